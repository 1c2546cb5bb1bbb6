// The report list view: the main window's twelve columns from a form stream with
// the zero-width ones left out of the header, rows inserted and deleted by index
// with the selection following, and the mouse and keys choosing rows.
#include "tests/platform/controls/fixtures.h"
#include "platform/stdctrls/listview.h"
#include "platform/controls/scrollbars.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"

namespace {

// The variable list of the main window (its columns as the form has them).
const char* const kForm =
    "object F: TForm\n"
    "  BorderStyle = bsNone\n"
    "  Left = 0\n  Top = 0\n  Width = 720\n  Height = 520\n"
    "  object ListView1: TListView\n"
    "    Left = 8\n    Top = 8\n    Width = 695\n    Height = 489\n"
    "    Columns = <\n"
    "      item\n        Caption = 'Address'\n        Width = 80\n      end\n"
    "      item\n        Alignment = taCenter\n        Caption = 'Type'\n        Width = 100\n      end\n"
    "      item\n        Alignment = taCenter\n        Caption = 'Decimals'\n        Width = 60\n      end\n"
    "      item\n        Alignment = taCenter\n        Caption = 'Name'\n        Width = 120\n      end\n"
    "      item\n        Alignment = taCenter\n        Caption = 'Unit'\n        Width = 60\n      end\n"
    "      item\n        Alignment = taCenter\n        Caption = 'Access'\n        Width = 60\n      end\n"
    "      item\n        Alignment = taCenter\n        Caption = 'Security'\n        Width = 90\n      end\n"
    "      item\n        Alignment = taCenter\n        Caption = 'Store'\n        Width = 60\n      end\n"
    "      item\n        Alignment = taCenter\n        Caption = 'Period'\n        Width = 60\n      end\n"
    "      item\n        Alignment = taCenter\n        Caption = 'Upper'\n        Width = 0\n      end\n"
    "      item\n        Alignment = taCenter\n        Caption = 'Lower'\n        Width = 0\n      end\n"
    "      item\n        Alignment = taCenter\n        Caption = 'Condition'\n        Width = 0\n      end>\n"
    "    GridLines = True\n"
    "    ReadOnly = True\n"
    "    RowSelect = True\n"
    "    TabOrder = 0\n"
    "    ViewStyle = vsReport\n"
    "  end\n"
    "end\n";

// Reads the list view's window as shown (client coordinates).
struct TShown {
  HWND Wnd;
  COLORREF operator()(int X, int Y) const {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, WindowBuffer(Wnd));
    TPoint o = WindowBufferClientOrigin(Wnd);
    COLORREF c = GetPixel(dc, o.X + X, o.Y + Y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
  }
};

std::vector<std::string> Captions(TListView* L) {
  std::vector<std::string> out;
  for (int i = 0; i < L->Items()->Count(); ++i) out.push_back(L->Items()->Item(i)->Caption());
  return out;
}

}  // namespace

class ListViewTest : public ControlsTest {
protected:
  void SetUp() override {
    ControlsTest::SetUp();
    std::string bin = FormTextToBinary(kForm);
    Form = Own(new TForm(nullptr));
    ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), Form);
    List = dynamic_cast<TListView*>(Form->FindComponent("ListView1"));
    ASSERT_NE(List, nullptr);
    Form->Show();
  }
  TListItem* AddRow(const std::string& Caption, int Index = -1) {
    TListItem* item = Index < 0 ? List->Items()->Add() : List->Items()->Insert(Index);
    item->SetCaption(Caption);
    for (int c = 1; c < 12; ++c) item->SubItems()->Add(Caption + "." + std::to_string(c));
    return item;
  }
  // The middle of a shown row in client coordinates (-1: not shown).
  int RowY(int Row) {
    for (int y = 0; y < List->ClientHeight(); ++y)
      if (TListItem* i = List->GetItemAt(5, y); i && i->Index() == Row) return y + 7;
    return -1;
  }
  TForm* Form = nullptr;
  TListView* List = nullptr;
};

TEST_F(ListViewTest, AReportShowsTwelveColumnsLeavingOutTheZeroWidthOnes) {
  ASSERT_EQ(List->Columns()->Count(), 12);
  EXPECT_EQ(List->ViewStyle(), vsReport);
  EXPECT_TRUE(List->GridLines() && List->RowSelect() && List->ReadOnly());
  const int widths[] = {80, 100, 60, 120, 60, 60, 90, 60, 60, 0, 0, 0};
  for (int c = 0; c < 12; ++c) EXPECT_EQ(List->Columns()->Items(c)->Width(), widths[c]) << c;
  EXPECT_EQ(List->Columns()->Items(0)->Alignment(), taLeftJustify);
  EXPECT_EQ(List->Columns()->Items(3)->Alignment(), taCenter);
  AddRow("4X(D)1");
  List->Repaint();

  // The header's cells end in their dark right edge: nine of them, none for the
  // zero-width columns, at the running sum of the widths.
  TShown px{List->Handle()};
  const COLORREF edge = ColorToRGB(cl3DDkShadow);
  std::vector<int> edges;
  for (int x = 0; x < 690; ++x)
    if (px(x, 1) == edge) edges.push_back(x);
  EXPECT_EQ(edges, (std::vector<int>{79, 179, 239, 359, 419, 479, 569, 629, 689}));
  EXPECT_EQ(List->ClientWidth(), 691) << "one row needs no scroll bar";
  EXPECT_EQ(List->GetItemAt(689, RowY(0)), List->Items()->Item(0));
  EXPECT_EQ(List->GetItemAt(690, RowY(0)), nullptr) << "past the last shown column";

  // Hidden columns keep their texts.
  EXPECT_EQ(List->Items()->Item(0)->SubItems()->Strings(10), "4X(D)1.11");
  // A column made wide shows up in the header, past the client area: scrolled
  // fully right, its edge closes the header's last cell.
  List->Columns()->Items(9)->SetWidth(40);
  EXPECT_FALSE(ScrollBarRect(List->Handle(), SB_HORZ).IsEmpty());
  List->Perform(WM_HSCROLL, SB_RIGHT, 0);
  List->Repaint();
  edges.clear();
  for (int x = 0; x < 691; ++x)
    if (px(x, 1) == edge) edges.push_back(x);
  ASSERT_GE(edges.size(), 2u);
  EXPECT_EQ(edges[edges.size() - 2], 689 - 39);
  EXPECT_EQ(edges.back(), 729 - 39);
}

TEST_F(ListViewTest, RowsAreInsertedAndDeletedByIndexWithTheSelectionFollowing) {
  for (const char* s : {"a", "b", "c"}) AddRow(s);
  List->SetItemIndex(2);
  AddRow("x", 1);
  EXPECT_EQ(Captions(List), (std::vector<std::string>{"a", "x", "b", "c"}));
  EXPECT_EQ(List->ItemIndex(), 3) << "the selection stays on c";
  EXPECT_EQ(List->Selected()->Caption(), "c");
  List->Items()->Delete(0);
  EXPECT_EQ(Captions(List), (std::vector<std::string>{"x", "b", "c"}));
  EXPECT_EQ(List->ItemIndex(), 2);

  // The modify command: the row goes and a new one takes its index.
  List->Items()->Delete(2);
  EXPECT_EQ(List->ItemIndex(), -1);
  AddRow("c2", 2);
  EXPECT_EQ(Captions(List), (std::vector<std::string>{"x", "b", "c2"}));
  EXPECT_EQ(List->Items()->Item(2)->SubItems()->Count(), 11);
  EXPECT_THROW(List->Items()->Delete(3), EListError);
  EXPECT_THROW(List->Items()->Insert(4), EListError);

  // The delete command removes the selected row; rows are drawn where they now are.
  List->SetItemIndex(1);
  List->SetFocus();
  List->Repaint();
  TShown px{List->Handle()};
  const COLORREF hl = ColorToRGB(clHighlight);
  EXPECT_EQ(px(685, RowY(1)), hl);
  EXPECT_NE(px(685, RowY(2)), hl);
  List->DeleteSelected();
  EXPECT_EQ(Captions(List), (std::vector<std::string>{"x", "c2"}));
  EXPECT_EQ(List->ItemIndex(), -1);
  List->Repaint();
  EXPECT_NE(px(685, RowY(1)), hl);

  // The selection is hidden while another control has the focus.
  auto* other = Child<TProbe>(Form, "Other", {0, 500, 10, 510});
  List->SetItemIndex(0);
  other->SetFocus();
  List->Repaint();
  EXPECT_NE(px(685, RowY(0)), hl);
  List->Items()->Clear();
  EXPECT_EQ(List->ItemIndex(), -1);
  EXPECT_EQ(List->Items()->Count(), 0);
}

TEST_F(ListViewTest, ClicksDoubleClicksAndKeysChooseRows) {
  for (int i = 0; i < 60; ++i) AddRow("row " + std::to_string(i));
  TLog events;
  List->OnClick = [&](TObject*) { events.push_back("click " + std::to_string(List->ItemIndex())); };
  List->OnDblClick = [&](TObject*) { events.push_back("dblclick " + std::to_string(List->ItemIndex())); };
  // The list starts at (8, 8) on the form and its client area 2 pixels further in.
  auto at = [&](int X, int Y) { return TPoint{8 + 2 + X, 8 + 2 + Y}; };
  TPoint p = at(300, RowY(1));
  Mouse(Form, WM_LBUTTONDOWN, p, MK_LBUTTON);
  Mouse(Form, WM_LBUTTONUP, p, 0);
  Mouse(Form, WM_LBUTTONDBLCLK, p, MK_LBUTTON);
  Mouse(Form, WM_LBUTTONUP, p, 0);
  EXPECT_EQ(events, (TLog{"click 1", "dblclick 1"})) << "the second press is the double click";
  EXPECT_EQ(GetFocus(), List->Handle());

  Key(VK_DOWN);
  EXPECT_EQ(List->ItemIndex(), 2);
  Key(VK_END);
  EXPECT_EQ(List->ItemIndex(), 59);
  EXPECT_EQ(List->TopItem()->Index(), 60 - List->VisibleRowCount());
  EXPECT_FALSE(ScrollBarRect(List->Handle(), SB_VERT).IsEmpty());
  Key(VK_HOME);
  EXPECT_EQ(List->TopItem()->Index(), 0);
  InputMouseWheel(Form->Handle(), -120, p, 0);
  EXPECT_EQ(List->TopItem()->Index(), 3);

  // Without whole-row selection only the first column takes a click; the rest clears.
  List->SetRowSelect(false);
  p = at(300, RowY(5));
  Mouse(Form, WM_LBUTTONDOWN, p, MK_LBUTTON);
  Mouse(Form, WM_LBUTTONUP, p, 0);
  EXPECT_EQ(List->ItemIndex(), -1);
  p = at(20, RowY(5));
  Mouse(Form, WM_LBUTTONDOWN, p, MK_LBUTTON);
  Mouse(Form, WM_LBUTTONUP, p, 0);
  EXPECT_EQ(List->ItemIndex(), 5);
}
