// The toolbar customisation dialog through the toolbar's Customize and the
// scripted modal runner: hiding a control, dragging an item with the layer's drag
// manager, refusing a drop from empty list space, the move buttons.
#include <gtest/gtest.h>

#include "controls/editlist/classes.h"
#include "controls/editlist/customizedlg.h"
#include "platform/controls/forms.h"
#include "platform/controls/input.h"
#include "platform/controls/modal.h"

namespace {

class CustomizeDialog : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterEditListClasses();
    SetModalRunner(&Runner);
    InstallInputLayer();
    Form = new TForm(nullptr);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(0, 0, 400, 300);
    Bar = new TQvToolbar(Form);
    Bar->SetName("Bar");
    Bar->SetAlign(alNone);
    Bar->SetBounds(0, 0, 300, 32);
    Bar->SetParent(Form);
    for (const char* n : {"A", "B", "C"}) {
      auto* b = new TQvToolButton(Form);
      b->SetName(n);
      b->SetCaption(n);
      b->SetParent(Bar);
    }
    Form->Show();
  }
  void TearDown() override {
    delete Form;
    ReleaseCapture();
    SetModalRunner(nullptr);
  }
  std::string Order() {
    std::string s;
    for (int i = 0; i < Bar->ToolbarControls()->Count(); ++i) s += Bar->ToolbarControls()->Items(i)->Control->Name();
    return s;
  }
  // Runs the dialog with Step inside it.
  void Customize(std::function<void(TQvFrmCustomizeToolbar*)> Step) {
    Runner.OnLoop([&](TWinControl* W) {
      auto* dlg = dynamic_cast<TQvFrmCustomizeToolbar*>(W);
      ASSERT_NE(dlg, nullptr);
      Step(dlg);
    });
    Bar->Customize(true);
    EXPECT_EQ(Runner.CallsOf("form").size(), 1u);
  }
  // A point on list item Index, in the dialog's client coordinates.
  static TPoint OnItem(TQvFrmCustomizeToolbar* D, int Index) {
    TRect r = D->LstControls->ItemRect(Index);
    return D->ScreenToClient(D->LstControls->ClientToScreen(TPoint{r.Left + 60, (r.Top + r.Bottom) / 2}));
  }
  void Drag(TQvFrmCustomizeToolbar* D, TPoint From, TPoint To) {
    InputMouse(D->Handle(), WM_MOUSEMOVE, From, 0);
    InputMouse(D->Handle(), WM_LBUTTONDOWN, From, MK_LBUTTON);
    InputMouse(D->Handle(), WM_MOUSEMOVE, {From.X, (From.Y + To.Y) / 2}, MK_LBUTTON);
    InputMouse(D->Handle(), WM_MOUSEMOVE, To, MK_LBUTTON);
    InputMouse(D->Handle(), WM_LBUTTONUP, To, 0);
  }
  TScriptedModalRunner Runner;
  TForm* Form = nullptr;
  TQvToolbar* Bar = nullptr;
};

TEST_F(CustomizeDialog, ListsTheControlsWithTheirStatesAndCaptions) {
  Bar->FindComponent("B");
  static_cast<TControl*>(Form->FindComponent("B"))->SetVisible(false);
  Customize([](TQvFrmCustomizeToolbar* D) {
    ASSERT_EQ(D->LstControls->Items()->Count(), 3);
    EXPECT_EQ(D->LstControls->Items()->Strings(1), "B");
    EXPECT_TRUE(D->LstControls->GetItemChecked(0));
    EXPECT_FALSE(D->LstControls->GetItemChecked(1));
    EXPECT_EQ(D->Caption(), "Customize Toolbar");
    EXPECT_EQ(D->CbxTextOptions->ItemIndex(), 0);
    EXPECT_FALSE(D->BtnMoveUp->Enabled());
    EXPECT_TRUE(D->BtnMoveDown->Enabled());
  });
}

// Items are captioned by the tool button's caption; else "Spacer" for a spacer,
// else the hint, else the name.
TEST_F(CustomizeDialog, ItemCaptionsForButtonsWithoutCaptionsAndSpacers) {
  struct Case {
    const char* Name;
    bool Spacer;
    const char* Hint;
    const char* Want;
  } cases[] = {
      {"QvSpacer1", true, "", "Spacer"},
      {"QvSpacer2", true, "A gap", "Spacer"},
      {"Hinted", false, "Print it", "Print it"},
      {"Bare", false, "", "Bare"},
  };
  for (const Case& c : cases) {
    TControl* ctl;
    if (c.Spacer) ctl = new TQvSpacer(Form);
    else ctl = new TQvToolButton(Form);  // no caption
    ctl->SetName(c.Name);
    ctl->SetHint(c.Hint);
    ctl->SetParent(Bar);
  }
  Customize([&](TQvFrmCustomizeToolbar* D) {
    ASSERT_EQ(D->LstControls->Items()->Count(), 7);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(D->LstControls->Items()->Strings(3 + i), cases[i].Want) << cases[i].Name;
  });
}

// The hidden spacer buttons outside the dialog give the spacers their list images:
// two gap edges, and a groove between them for a grooved spacer.
TEST_F(CustomizeDialog, SpacersTakeTheirListImagesFromTheHiddenSpacerButtons) {
  auto* plain = new TQvSpacer(Form);
  plain->SetParent(Bar);
  auto* grooved = new TQvSpacer(Form);
  grooved->SetGrooved(true);
  grooved->SetParent(Bar);
  Customize([&](TQvFrmCustomizeToolbar* D) {
    struct Button {
      TSpeedButton* B;
      const char* Hint;
    } buttons[] = {{D->BtnSpacer, "Add a Spacer"}, {D->BtnGrooveSpacer, "Add a Grooved Spacer"}};
    for (const Button& b : buttons) {
      ASSERT_NE(b.B, nullptr) << b.Hint;
      EXPECT_EQ(b.B->Hint(), b.Hint);
      EXPECT_FALSE(b.B->Visible()) << b.Hint;
      EXPECT_TRUE(b.B->Left() + b.B->Width() <= 0 || b.B->Top() + b.B->Height() <= 0) << b.Hint;
    }
    TCanvas* c = D->LstControls->Canvas();
    const TColor shadow = ColorToRGB(clBtnShadow), white = ColorToRGB(clBtnHighlight);
    struct Row {
      int Index;
      TColor Edge, Groove, GrooveLight;  // at x 2, 7 and 8 of the image, 8 rows down
    } rows[] = {{3, shadow, clWhite, clWhite}, {4, shadow, shadow, white}};
    for (const Row& r : rows) {
      TRect item = D->LstControls->ItemRect(r.Index);
      c->Brush()->SetColor(clWhite);
      D->ListBoxDrawItem(D->LstControls, r.Index, item, {});
      auto px = [&](int X) { return static_cast<TColor>(c->Pixels(item.Left + 2 + X, item.Top + 2 + 8)); };
      EXPECT_EQ(px(2), r.Edge) << r.Index;
      EXPECT_EQ(px(13), r.Edge) << r.Index;
      EXPECT_EQ(px(7), r.Groove) << r.Index;
      EXPECT_EQ(px(8), r.GrooveLight) << r.Index;
      EXPECT_EQ(px(0), clWhite) << "the glyph's background is left out";
    }
  });
}

TEST_F(CustomizeDialog, UncheckingAnItemHidesItsControlAndTheOthersCloseUp) {
  Customize([this](TQvFrmCustomizeToolbar* D) {
    D->LstControls->SetItemIndex(0);
    D->LstControls->SetFocus();
    InputKey(WM_KEYDOWN, VK_SPACE, 0, " ");
    InputKey(WM_KEYUP, VK_SPACE, KF_UP_BIT, "");
    Application->ProcessMessages();
    EXPECT_FALSE(D->LstControls->GetItemChecked(0));
    EXPECT_FALSE(static_cast<TControl*>(Form->FindComponent("A"))->Visible());
    EXPECT_EQ(static_cast<TControl*>(Form->FindComponent("B"))->Left(), 4);
  });
}

TEST_F(CustomizeDialog, DraggingItem2OntoItem0ReordersTheToolbarAndADragFromEmptySpaceIsRefused) {
  Customize([this](TQvFrmCustomizeToolbar* D) {
    Drag(D, OnItem(D, 2), OnItem(D, 0));
    EXPECT_EQ(Order(), "CAB");
    EXPECT_EQ(D->LstControls->Items()->Strings(0), "C");
    EXPECT_EQ(static_cast<TControl*>(Form->FindComponent("C"))->Left(), 4);
    // From below the last item: nothing moves.
    TPoint empty = OnItem(D, 2);
    empty.Y += 60;
    Drag(D, empty, OnItem(D, 0));
    EXPECT_EQ(Order(), "CAB");
    // The move buttons move the toolbar's entries too.
    D->LstControls->SetItemIndex(1);
    D->BtnMoveDown->Click();
    EXPECT_EQ(Order(), "CBA");
    EXPECT_FALSE(D->BtnMoveDown->Enabled());
  });
}

}  // namespace

namespace {

TQvToolButton* FindButton(TWinControl* W, const std::string& Caption) {
  for (int i = 0; i < W->ControlCount(); ++i) {
    if (auto* b = dynamic_cast<TQvToolButton*>(W->Controls(i)); b && b->Caption() == Caption) return b;
    if (auto* w = dynamic_cast<TWinControl*>(W->Controls(i)))
      if (TQvToolButton* b = FindButton(w, Caption)) return b;
  }
  return nullptr;
}

TEST_F(CustomizeDialog, TheChevronPopsUpTheCutOffButtonsAndClicksTheChosenOne) {
  int clicked = 0;
  static_cast<TQvToolButton*>(Form->FindComponent("C"))->OnClick = [&](TObject*) { ++clicked; };
  Bar->SetWrapControls(false);
  Bar->SetWidth(60);
  Bar->PositionControls();
  Bar->PositionControls();
  ASSERT_NE(Bar->Chevron(), nullptr);
  std::vector<std::string> offered;
  Runner.OnLoop([&](TWinControl* W) {
    for (const char* c : {"A", "B", "C"})
      if (FindButton(W, c)) offered.push_back(c);
    if (TQvToolButton* b = FindButton(W, "C")) b->Click();
  });
  Bar->Chevron()->DisplayButtons();
  EXPECT_EQ(offered, (std::vector<std::string>{"C"}));  // B ends at 54, within 60 - 4
  EXPECT_EQ(clicked, 1);
}

}  // namespace

namespace {

TEST_F(CustomizeDialog, ADialogPastTheDesktopIsMovedOntoItAndCustomTextOptionsSelectNothing) {
  // The headless desktop is 1024 x 768 with no task bar window to take off.
  Form->SetBounds(1000, 700, 400, 300);
  Bar->SetButtonWidth(30);  // text options become custom
  Customize([](TQvFrmCustomizeToolbar* D) {
    EXPECT_EQ(D->Left() + D->Width(), 1024);
    EXPECT_EQ(D->Top() + D->Height(), 768);
    EXPECT_EQ(D->CbxTextOptions->ItemIndex(), -1);
  });
  // Without the text options the dialog ends 8 pixels below the list.
  Runner.OnLoop([](TWinControl* W) {
    auto* D = static_cast<TQvFrmCustomizeToolbar*>(W);
    EXPECT_FALSE(D->CbxTextOptions->Visible());
    EXPECT_EQ(D->ClientHeight(), 24 + 205 + 8);
  });
  Bar->Customize(false);
}

}  // namespace
