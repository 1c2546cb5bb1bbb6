// Page controls: pages streamed inside them, the page changes the user makes
// (OnChanging before, OnChange after the page changed) and those the program
// makes (no events), the focus leaving a hidden page, and the drawn tabs.
#include "tests/platform/controls/fixtures.h"
#include "platform/stdctrls/comctrls_pages.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/core/gbk.h"
#include "platform/core/streams.h"
#include "platform/core/textform.h"
#include "tests/platform/controls/shot.h"

namespace {

const char* kPagesForm = R"(object PagesForm: TForm
  Left = 100
  Top = 100
  BorderStyle = bsNone
  Width = 400
  Height = 300
  Color = clBtnFace
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  object Behind: TLabel
    Left = 200
    Top = 4
    Width = 40
    Height = 20
    AutoSize = False
    Color = clRed
  end
  object PageControl1: TPageControl
    Left = 8
    Top = 8
    Width = 380
    Height = 280
    ActivePage = TabSheet3
    TabOrder = 0
    object TabSheet1: TTabSheet
      Caption = '变量管理'
      object Button1: TButton
        Left = 8
        Top = 8
        Caption = '新建变量'
        TabOrder = 0
      end
    end
    object TabSheet3: TTabSheet
      Caption = '通讯设置及下载'
      ImageIndex = 1
      object Label1: TLabel
        Left = 16
        Top = 24
        Caption = '波特率：'
      end
      object Button3: TButton
        Left = 8
        Top = 100
        Caption = 'Go'
        TabOrder = 0
      end
    end
  end
end
)";

class PagesTest : public ControlsTest {
protected:
  void Load() {
    Form = Own(new TForm(nullptr));
    TStringStream s(FormTextToBinary(GbkToUtf8(kPagesForm)));
    s.ReadComponent(Form);
    Pages = Find<TPageControl>("PageControl1");
    Sheet1 = Find<TTabSheet>("TabSheet1");
    Sheet3 = Find<TTabSheet>("TabSheet3");
    Pages->OnChanging = [this](TObject*, bool& Allow) {
      Events.push_back("changing from " + Pages->ActivePage()->Name());
      Allow = AllowChange;
    };
    Pages->OnChange = [this](TObject*) { Events.push_back("change to " + Pages->ActivePage()->Name()); };
    Form->Show();
  }
  template <class T>
  T* Find(const std::string& Name) {
    auto* c = dynamic_cast<T*>(Form->FindComponent(Name));
    EXPECT_NE(c, nullptr) << Name;
    return c;
  }
  // A point on a visible tab, in form client coordinates.
  TPoint OnTab(int Index) {
    TRect r = Pages->TabRect(Index);
    return {Pages->Left() + (r.Left + r.Right) / 2, Pages->Top() + (r.Top + r.Bottom) / 2};
  }
  TForm* Form = nullptr;
  TPageControl* Pages = nullptr;
  TTabSheet* Sheet1 = nullptr;
  TTabSheet* Sheet3 = nullptr;
  TLog Events;
  bool AllowChange = true;
};

}  // namespace

TEST_F(PagesTest, PagesAreReadAsChildrenOfTheirPageControlAndWrittenBackThere) {
  Load();
  ASSERT_EQ(Pages->PageCount(), 2);
  EXPECT_EQ(Pages->Pages(0), Sheet1);
  EXPECT_EQ(Pages->ActivePage(), Sheet3);
  EXPECT_EQ(Pages->ActivePageIndex(), 1);
  EXPECT_EQ(Pages->TabIndex(), 1);
  EXPECT_FALSE(Sheet1->Visible());
  EXPECT_TRUE(Sheet3->Showing());
  EXPECT_EQ(Sheet3->ImageIndex(), 1);
  EXPECT_EQ(Sheet3->BoundsRect(), Pages->DisplayRect());
  EXPECT_EQ(Find<TButton>("Button3")->Parent(), Sheet3);
  auto* label = Find<TLabel>("Label1");
  EXPECT_EQ(label->Width(), TextExtentOf(Form->Font(), "波特率：").cx);  // sized once loaded

  TMemoryStream m;
  m.WriteComponent(Form);
  std::string text = FormBinaryToText(std::string(static_cast<const char*>(m.Memory()), m.Size()));
  size_t pc = text.find("object PageControl1: TPageControl"), sheet = text.find("object TabSheet1: TTabSheet"),
         button = text.find("object Button1: TButton"), sheet3 = text.find("object TabSheet3: TTabSheet");
  ASSERT_NE(pc, std::string::npos);
  EXPECT_LT(pc, sheet);
  EXPECT_LT(sheet, button);
  EXPECT_LT(button, sheet3);
  EXPECT_NE(text.find("ActivePage = TabSheet3"), std::string::npos);
}

TEST_F(PagesTest, TheUsersPageChangeAsksOnChangingBeforeAndFiresOnChangeAfter) {
  Load();
  struct Step {
    const char* What;
    std::function<void()> Do;
    bool Allow;
    TTabSheet* Active;
    TLog Events;
  };
  const Step steps[] = {
      {"a click on the other tab", [&] { Mouse(Form, WM_LBUTTONDOWN, OnTab(0), MK_LBUTTON); }, true, Sheet1,
       {"changing from TabSheet3", "change to TabSheet1"}},
      {"a click on the chosen tab", [&] { Mouse(Form, WM_LBUTTONDOWN, OnTab(0), MK_LBUTTON); }, true, Sheet1, {}},
      {"refused", [&] { Mouse(Form, WM_LBUTTONDOWN, OnTab(1), MK_LBUTTON); }, false, Sheet1,
       {"changing from TabSheet1"}},
      {"the right arrow on the focused tabs", [&] { Key(VK_RIGHT); }, true, Sheet3,
       {"changing from TabSheet1", "change to TabSheet3"}},
      {"the right arrow at the last tab", [&] { Key(VK_RIGHT); }, true, Sheet3, {}},
      {"Ctrl+Tab from a control on the page",
       [&] {
         Find<TButton>("Button3")->SetFocus();
         SetKeyDown(VK_CONTROL, true);
         Key(VK_TAB, "\t");
         SetKeyDown(VK_CONTROL, false);
       },
       true, Sheet1, {"changing from TabSheet3", "change to TabSheet1"}},
      {"the program sets the page", [&] { Pages->SetActivePage(Sheet3); }, true, Sheet3, {}},
      {"the program sets the index", [&] { Pages->SetActivePageIndex(0); }, true, Sheet1, {}},
  };
  for (const Step& s : steps) {
    Events.clear();
    AllowChange = s.Allow;
    s.Do();
    EXPECT_EQ(Pages->ActivePage(), s.Active) << s.What;
    EXPECT_EQ(Events, s.Events) << s.What;
    EXPECT_TRUE(s.Active->Visible()) << s.What;
    EXPECT_FALSE((s.Active == Sheet1 ? Sheet3 : Sheet1)->Visible()) << s.What;
  }
  // The focus was on the page that went away (Ctrl+Tab): it went to the tabs.
  Find<TButton>("Button1")->SetFocus();
  Pages->SelectNextPage(true);
  EXPECT_TRUE(Pages->Focused());
}

TEST_F(PagesTest, HiddenTabsAndRemovedPages) {
  Load();
  auto* extra = new TTabSheet(Form);
  extra->SetName("Extra");
  extra->SetCaption("Extra");
  extra->SetPageControl(Pages);
  EXPECT_EQ(extra->PageIndex(), 2);
  EXPECT_EQ(extra->TabIndex(), 2);
  Sheet1->SetTabVisible(false);
  EXPECT_EQ(Sheet1->TabIndex(), -1);
  EXPECT_EQ(Sheet3->TabIndex(), 0);
  EXPECT_EQ(extra->TabIndex(), 1);
  // Ctrl+Tab skips the hidden tab, round the end.
  Pages->SetFocus();
  Pages->SelectNextPage(true);
  EXPECT_EQ(Pages->ActivePage(), extra);
  Pages->SelectNextPage(true);
  EXPECT_EQ(Pages->ActivePage(), Sheet3);
  extra->SetPageIndex(0);
  EXPECT_EQ(Pages->Pages(0), extra);
  // Freeing the active page shows the next one.
  delete Sheet3;
  EXPECT_EQ(Pages->PageCount(), 2);
  EXPECT_EQ(Pages->ActivePage(), extra);
  EXPECT_TRUE(extra->Visible());
}

TEST_F(PagesTest, TheTabsAreDrawnOverWhatLiesBehindTheirRow) {
  Load();
  TShot shot(Form);
  TRect chosen = Pages->TabRect(1), other = Pages->TabRect(0);
  int x0 = Pages->Left(), y0 = Pages->Top();
  // The chosen tab rises two pixels above the others and covers the pane's edge.
  EXPECT_EQ(shot(x0 + chosen.Left + 5, y0 + 0), Rgb(clBtnHighlight));
  EXPECT_EQ(shot(x0 + other.Left + 5, y0 + 0), Rgb(clBtnFace));
  EXPECT_EQ(shot(x0 + other.Left + 5, y0 + other.Top), Rgb(clBtnHighlight));
  int paneTop = other.Bottom;
  EXPECT_EQ(shot(x0 + other.Left + 5, y0 + paneTop), Rgb(clBtnHighlight));
  EXPECT_EQ(shot(x0 + chosen.Left + 5, y0 + paneTop), Rgb(clBtnFace));
  EXPECT_EQ(shot(x0 + 379, y0 + 279), Rgb(cl3DDkShadow));
  // Right of the tabs the form shows through, with its label behind the row: in
  // the page control's own window too.
  EXPECT_TRUE(shot.Any({200, 8, 230, 8 + paneTop}, clRed));
  EXPECT_EQ(shot(x0 + 370, y0 + 2), Rgb(clBtnFace));
  Application->ProcessMessages();
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, WindowBuffer(Pages->Handle()));
  TPoint o = WindowBufferClientOrigin(Pages->Handle());
  EXPECT_EQ(GetPixel(dc, o.X + 200 - x0 + 2, o.Y + 8 - y0 + 2), Rgb(clRed));
  SelectObject(dc, old);
  DeleteDC(dc);
}
