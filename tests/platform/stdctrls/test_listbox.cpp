// The list box: items, data and selection kept by its messages, Items routed
// through them, owner drawing with the right rectangles and states, the mouse,
// keys and scroll bars, re-created windows and form streams.
#include "tests/platform/controls/fixtures.h"
#include "platform/stdctrls/listbox.h"
#include "platform/stdctrls/listcommon.h"
#include "platform/controls/scrollbars.h"
#include "platform/core/filer.h"
#include "platform/core/sysutils.h"
#include "platform/core/textform.h"

namespace {

LPARAM Str(const char* S) { return reinterpret_cast<LPARAM>(S); }

std::vector<std::string> Texts(TCustomListBox* L) {
  std::vector<std::string> out;
  for (int i = 0; i < L->Items()->Count(); ++i) out.push_back(L->Items()->Strings(i));
  return out;
}

// Records the LB_ messages that reach the control and the items announced deleted.
class TLogListBox : public TListBox {
public:
  using TListBox::TListBox;
  TLog Messages;
  std::vector<ULONG_PTR> Deleted;
  bool UpperCaseAdds = false;
  void WndProc(TMessage& M) override {
    static const std::map<UINT, std::string> names = {
        {LB_ADDSTRING, "ADDSTRING"}, {LB_INSERTSTRING, "INSERTSTRING"}, {LB_DELETESTRING, "DELETESTRING"},
        {LB_RESETCONTENT, "RESETCONTENT"}, {LB_GETCOUNT, "GETCOUNT"}, {LB_GETTEXT, "GETTEXT"},
        {LB_GETTEXTLEN, "GETTEXTLEN"}, {LB_GETITEMDATA, "GETITEMDATA"}, {LB_SETITEMDATA, "SETITEMDATA"},
        {LB_FINDSTRINGEXACT, "FINDSTRINGEXACT"}, {LB_SETCURSEL, "SETCURSEL"}, {LB_GETCURSEL, "GETCURSEL"}};
    if (auto it = names.find(M.Msg); it != names.end()) Messages.push_back(it->second);
    if (M.Msg == CN_DELETEITEM) Deleted.push_back(reinterpret_cast<DELETEITEMSTRUCT*>(M.LParam)->itemData);
    if (M.Msg == LB_ADDSTRING && UpperCaseAdds) {
      std::string up = UpperCase(reinterpret_cast<const char*>(M.LParam));
      TMessage copy = M;
      copy.LParam = reinterpret_cast<LPARAM>(up.c_str());
      TListBox::WndProc(copy);
      M.Result = copy.Result;
      return;
    }
    TListBox::WndProc(M);
  }
};

struct TDrawn {
  int Index;
  TRect Rect;
  TOwnerDrawState State;
};

}  // namespace

class ListBoxTest : public ControlsTest {
protected:
  // A list box of 120 x 100 at (10, 10) on a shown form.
  template <class T = TLogListBox>
  T* MakeList(bool Show = true) {
    Form = MakeForm();
    auto* l = new T(Form);
    l->SetName("List1");
    l->SetBounds(10, 10, 120, 100);
    l->SetParent(Form);
    if (Show) Form->Show();
    return l;
  }
  void Click(TPoint ListPoint, WPARAM Keys = 0, bool Double = false) {
    TPoint p{ListPoint.X + 12, ListPoint.Y + 12};  // the client area starts inside the 2-pixel edge
    Mouse(Form, Double ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, p, Keys | MK_LBUTTON);
    Mouse(Form, WM_LBUTTONUP, p, Keys);
  }
  // The list box "List1" read from a text form whose list has the Properties lines.
  TListBox* ReadList(const std::string& Properties) {
    std::string bin = FormTextToBinary("object F: TForm\n  object List1: TListBox\n" + Properties + "  end\nend\n");
    auto* f = Own(new TForm(nullptr));
    ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), f);
    return dynamic_cast<TListBox*>(f->FindComponent("List1"));
  }
  TForm* Form = nullptr;
};

TEST_F(ListBoxTest, MessagesKeepItemsDataAndSelectionTogetherWithAndWithoutAWindow) {
  struct Step {
    const char* What;
    UINT Msg;
    WPARAM W;
    LPARAM L;
    LRESULT Result;
    std::vector<std::string> Items;
    int CurSel;
  };
  const Step steps[] = {
      {"add", LB_ADDSTRING, 0, Str("b"), 0, {"b"}, -1},
      {"add", LB_ADDSTRING, 0, Str("a"), 1, {"b", "a"}, -1},
      {"add", LB_ADDSTRING, 0, Str("c"), 2, {"b", "a", "c"}, -1},
      {"select a", LB_SETCURSEL, 1, 0, 1, {"b", "a", "c"}, 1},
      {"insert before the selection", LB_INSERTSTRING, 0, Str("z"), 0, {"z", "b", "a", "c"}, 2},
      {"insert at the end", LB_INSERTSTRING, WPARAM(-1), Str("d"), 4, {"z", "b", "a", "c", "d"}, 2},
      {"insert past the end", LB_INSERTSTRING, 9, Str("x"), LB_ERR, {"z", "b", "a", "c", "d"}, 2},
      {"delete before the selection", LB_DELETESTRING, 0, 0, 4, {"b", "a", "c", "d"}, 1},
      {"delete the selection", LB_DELETESTRING, 1, 0, 3, {"b", "c", "d"}, -1},
      {"delete a missing item", LB_DELETESTRING, 3, 0, LB_ERR, {"b", "c", "d"}, -1},
      {"select a missing item", LB_SETCURSEL, 7, 0, LB_ERR, {"b", "c", "d"}, -1},
      {"select d", LB_SETCURSEL, 2, 0, 2, {"b", "c", "d"}, 2},
      {"prefix from the top", LB_FINDSTRING, WPARAM(-1), Str("C"), 1, {"b", "c", "d"}, 2},
      {"prefix search wraps", LB_FINDSTRING, 2, Str("b"), 0, {"b", "c", "d"}, 2},
      {"empty prefix: the next item", LB_FINDSTRING, 0, Str(""), 1, {"b", "c", "d"}, 2},
      {"exact, any case", LB_FINDSTRINGEXACT, WPARAM(-1), Str("D"), 2, {"b", "c", "d"}, 2},
      {"exact is not a prefix", LB_FINDSTRINGEXACT, WPARAM(-1), Str("d "), LB_ERR, {"b", "c", "d"}, 2},
      {"text of a missing item", LB_GETTEXTLEN, 3, 0, LB_ERR, {"b", "c", "d"}, 2},
      {"no multiple selection here", LB_SETSEL, 1, 0, LB_ERR, {"b", "c", "d"}, 2},
      {"clear the selection", LB_SETCURSEL, WPARAM(-1), 0, LB_ERR, {"b", "c", "d"}, -1},
  };
  for (bool window : {false, true}) {
    SCOPED_TRACE(window ? "with a window" : "without a window");
    TLogListBox* l = MakeList(window);
    for (const Step& s : steps) {
      EXPECT_EQ(l->Perform(s.Msg, s.W, s.L), s.Result) << s.What;
      EXPECT_EQ(Texts(l), s.Items) << s.What;
      EXPECT_EQ(l->Perform(LB_GETCURSEL, 0, 0), s.CurSel) << s.What;
    }
    // Data follows its item through inserts and deletes.
    l->Perform(LB_SETITEMDATA, 0, 100);
    l->Perform(LB_SETITEMDATA, 2, 300);
    l->Perform(LB_INSERTSTRING, 1, Str("new"));
    EXPECT_EQ(l->Perform(LB_GETITEMDATA, 0, 0), 100);
    EXPECT_EQ(l->Perform(LB_GETITEMDATA, 1, 0), 0);
    EXPECT_EQ(l->Perform(LB_GETITEMDATA, 3, 0), 300);
    EXPECT_EQ(l->Perform(LB_SETITEMDATA, 4, 1), LB_ERR);
    // Items with data are announced when they go, through the parent when there is one.
    l->Perform(LB_DELETESTRING, 0, 0);
    l->Perform(LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(l->Deleted, (std::vector<ULONG_PTR>{100, 300}));
    EXPECT_EQ(l->Count(), 0);
  }
}

TEST_F(ListBoxTest, ItemsGoThroughTheMessagesSoASubclassSeesAndChangesThem) {
  TLogListBox* l = MakeList(false);
  TStrings* items = l->Items();
  TObject marker;
  items->Add("one");
  items->AddObject("two", &marker);
  items->Insert(0, "zero");
  EXPECT_EQ(items->Strings(2), "two");
  EXPECT_EQ(items->Objects(2), &marker);
  EXPECT_EQ(items->IndexOf("ONE"), 1);
  items->Delete(0);
  EXPECT_EQ(l->Messages, (TLog{"ADDSTRING", "ADDSTRING", "SETITEMDATA", "GETCOUNT", "INSERTSTRING", "GETTEXTLEN",
                               "GETTEXT", "GETITEMDATA", "FINDSTRINGEXACT", "DELETESTRING"}));
  EXPECT_THROW(items->Strings(5), EStringListError);
  EXPECT_THROW(items->Delete(-1), EStringListError);
  EXPECT_THROW(items->Insert(9, "x"), EStringListError);

  l->Messages.clear();
  items->Clear();
  EXPECT_EQ(l->Messages, (TLog{"RESETCONTENT"}));
  EXPECT_EQ(l->Deleted, (std::vector<ULONG_PTR>{reinterpret_cast<ULONG_PTR>(&marker)}));

  l->UpperCaseAdds = true;
  items->Add("shout");
  EXPECT_EQ(items->Strings(0), "SHOUT");
  // Assign and the form filer use the same messages.
  TStringList src;
  src.SetText("x\r\ny\r\n");
  items->Assign(&src);
  EXPECT_EQ(Texts(l), (std::vector<std::string>{"X", "Y"}));
}

TEST_F(ListBoxTest, SortedListsPlaceAddedItemsAndResortWhatTheyHold) {
  TLogListBox* l = MakeList();
  for (const char* s : {"pear", "Apple", "fig"}) l->Items()->Add(s);
  l->SetItemIndex(0);
  l->Perform(LB_SETITEMDATA, 1, 7);
  l->SetSorted(true);
  EXPECT_EQ(Texts(l), (std::vector<std::string>{"Apple", "fig", "pear"}));
  EXPECT_EQ(l->ItemIndex(), 2) << "the selection stays on its item";
  EXPECT_EQ(l->Perform(LB_GETITEMDATA, 0, 0), 7);
  EXPECT_EQ(l->Items()->Add("banana"), 1);
  EXPECT_EQ(l->Items()->Add("APPLE"), 1) << "after the equal item";
  l->Items()->Insert(0, "zzz");
  EXPECT_EQ(l->Items()->Strings(0), "zzz") << "an insert does not sort";
}

TEST_F(ListBoxTest, MultipleAndExtendedSelectionByMessagesMouseAndKeys) {
  TLogListBox* l = MakeList();
  for (const char* s : {"a", "b", "c", "d", "e"}) l->Items()->Add(s);
  l->SetMultiSelect(true);
  auto selected = [&] {
    std::vector<int> out(static_cast<size_t>(l->SelCount()));
    l->Perform(LB_GETSELITEMS, out.size(), reinterpret_cast<LPARAM>(out.data()));
    return out;
  };
  int clicks = 0;
  l->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_EQ(l->Perform(LB_SETCURSEL, 1, 0), LB_ERR);
  l->Perform(LB_SETSEL, 1, -1);
  EXPECT_EQ(selected(), (std::vector<int>{0, 1, 2, 3, 4}));
  l->ClearSelection();
  EXPECT_EQ(selected(), std::vector<int>{});
  EXPECT_EQ(clicks, 0) << "messages notify nobody";

  // Extended (the default with MultiSelect): a click selects one, Shift extends
  // from the anchor, Ctrl toggles; each changing click notifies once.
  const int h = l->ItemHeight();
  Click({5, 1 * h + 2});
  EXPECT_EQ(selected(), (std::vector<int>{1}));
  Click({5, 3 * h + 2}, MK_SHIFT);
  EXPECT_EQ(selected(), (std::vector<int>{1, 2, 3}));
  Click({5, 2 * h + 2}, MK_CONTROL);
  EXPECT_EQ(selected(), (std::vector<int>{1, 3}));
  EXPECT_EQ(l->ItemIndex(), 2) << "the caret";
  EXPECT_EQ(clicks, 3);
  SetKeyDown(VK_SHIFT, true);
  Key(VK_DOWN);
  SetKeyDown(VK_SHIFT, false);
  EXPECT_EQ(selected(), (std::vector<int>{2, 3}));
  EXPECT_EQ(clicks, 4);

  // Plain multiple selection: clicks and Space toggle, arrows only move the caret.
  l->SetExtendedSelect(false);
  l->ClearSelection();
  Click({5, 0 * h + 2});
  Click({5, 4 * h + 2});
  Key(VK_UP);
  Key(VK_SPACE);
  EXPECT_EQ(selected(), (std::vector<int>{0, 3, 4}));
  Click({5, 0 * h + 2});
  EXPECT_EQ(selected(), (std::vector<int>{3, 4}));
  l->DeleteSelected();
  EXPECT_EQ(Texts(l), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(ListBoxTest, OwnerDrawingGetsEachItemsRectangleAndState) {
  auto* l = MakeList();
  for (const char* s : {"a", "b", "c", "d", "e", "f", "g"}) l->Items()->Add(s);
  std::vector<TDrawn> drawn;
  l->OnDrawItem = [&](TWinControl*, int Index, TRect R, TOwnerDrawState S) { drawn.push_back({Index, R, S}); };
  l->SetStyle(lbOwnerDrawFixed);
  l->SetItemHeight(20);
  l->SetItemIndex(2);
  l->SetFocus();
  drawn.clear();
  l->Repaint();
  // 96 pixels of client height show 4 full items and part of a fifth; the bar takes 16.
  const int width = 120 - 4 - 16;
  ASSERT_EQ(drawn.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(drawn[size_t(i)].Index, i);
    EXPECT_EQ(drawn[size_t(i)].Rect, (TRect{0, 20 * i, width, 20 * i + 20})) << i;
    TOwnerDrawState want = i == 2 ? TOwnerDrawState{odSelected, odFocused} : TOwnerDrawState{};
    EXPECT_EQ(drawn[size_t(i)].State, want) << i;
  }
  // Scrolled down by two, the items move up; a disabled list says so.
  l->SetTopIndex(2);
  l->SetEnabled(false);
  drawn.clear();
  l->Repaint();
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn[0].Index, 2);
  EXPECT_EQ(drawn[0].Rect.Top, 0);
  EXPECT_EQ(drawn[0].State, (TOwnerDrawState{odSelected, odDisabled}));

  // Variable heights: each item is measured once, rectangles stack by height.
  l->SetEnabled(true);
  int measured = 0;
  l->OnMeasureItem = [&](TWinControl*, int Index, int& H) {
    ++measured;
    H = 10 + 5 * Index;
  };
  l->SetStyle(lbOwnerDrawVariable);
  EXPECT_EQ(measured, 7);
  l->SetTopIndex(0);
  EXPECT_EQ(l->ItemRect(3), (TRect{0, 10 + 15 + 20, width, 10 + 15 + 20 + 25}));
  EXPECT_EQ(l->ItemAtPos({5, 30}, true), 2);
  EXPECT_EQ(l->Perform(LB_GETITEMHEIGHT, 4, 0), 30);
  drawn.clear();
  l->Repaint();
  ASSERT_GE(drawn.size(), 4u);
  EXPECT_EQ(drawn[3].Rect, l->ItemRect(3));
  l->Items()->Add("h");
  EXPECT_EQ(measured, 8) << "a new item is measured as it comes";
}

TEST_F(ListBoxTest, ClicksAndKeysSelectAndNotifyScrollBarsFollowTheItems) {
  auto* l = MakeList();
  TLog events;
  l->OnClick = [&](TObject*) { events.push_back("click " + std::to_string(l->ItemIndex())); };
  l->OnDblClick = [&](TObject*) { events.push_back("dblclick"); };
  for (int i = 0; i < 3; ++i) l->Items()->Add("item " + std::to_string(i));
  EXPECT_TRUE(ScrollBarRect(l->Handle(), SB_VERT).IsEmpty()) << "three items fit";
  EXPECT_EQ(l->ClientWidth(), 116);

  const int h = l->ItemHeight();
  l->SetItemIndex(0);
  Click({5, h + 2});
  Click({5, h + 2});
  Click({5, h + 2}, 0, true);
  EXPECT_EQ(events, (TLog{"click 1", "dblclick"}));
  EXPECT_EQ(GetFocus(), l->Handle());

  for (int i = 3; i < 30; ++i) l->Items()->Add("item " + std::to_string(i));
  EXPECT_FALSE(ScrollBarRect(l->Handle(), SB_VERT).IsEmpty());
  EXPECT_EQ(l->ClientWidth(), 100) << "the bar narrows the client area";
  const int page = l->ClientHeight() / h;
  events.clear();
  Key(VK_END);
  EXPECT_EQ(l->ItemIndex(), 29);
  EXPECT_EQ(l->TopIndex(), 30 - page);
  Key(VK_HOME);
  Key(VK_DOWN);
  EXPECT_EQ(events, (TLog{"click 29", "click 0", "click 1"}));
  Key(VK_NEXT);
  EXPECT_EQ(l->ItemIndex(), 1 + page - 1);
  Key('I', "i");
  EXPECT_EQ(l->ItemIndex(), page + 1) << "a typed letter goes to the next item starting with it";

  // The bar's arrows scroll the list; the wheel scrolls three lines a notch.
  l->SetTopIndex(0);
  TRect bar = ScrollBarRect(l->Handle(), SB_VERT);
  TPoint down{10 + bar.Left + 4, 10 + bar.Bottom - 4};
  Mouse(Form, WM_LBUTTONDOWN, down, MK_LBUTTON);
  Mouse(Form, WM_LBUTTONUP, down, 0);
  EXPECT_EQ(l->TopIndex(), 1);
  Clock.Advance(1000);
  Application->ProcessMessages();
  EXPECT_EQ(l->TopIndex(), 1) << "no repeat once the button is up";
  TPoint track{10 + bar.Left + 4, 10 + bar.Top + 40};
  Mouse(Form, WM_LBUTTONDOWN, track, MK_LBUTTON);
  Mouse(Form, WM_LBUTTONUP, track, 0);
  EXPECT_EQ(l->TopIndex(), 1 + page) << "a page";
  InputMouseWheel(Form->Handle(), -120, {30, 30}, 0);
  EXPECT_EQ(l->TopIndex(), 4 + page);
  EXPECT_EQ(events.size(), 5u) << "scrolling selects nothing";
}

// One scroll bar message from position 10, a line of 2, a page of 5 and an end at
// 40: where each code goes, and that the end is asked for only when it is the target
// (a variable-height list measures its items to find it).
TEST(ListScrollBarTarget, EachCodeMovesByItsStepOrToItsEnd) {
  struct TRow {
    WPARAM WParam;
    std::optional<int> Want;
  };
  const TRow rows[] = {{SB_LINEUP, 8},          {SB_LINEDOWN, 12},   {SB_PAGEUP, 5},
                       {SB_PAGEDOWN, 15},       {SB_TOP, 0},         {SB_BOTTOM, 40},
                       {MAKEWPARAM(SB_THUMBTRACK, 23), 23},         {MAKEWPARAM(SB_THUMBPOSITION, 7), 7},
                       {SB_ENDSCROLL, std::nullopt}};
  for (const TRow& row : rows) {
    int asked = 0;
    std::optional<int> to = ScrollBarTarget(row.WParam, 10, 2, 5, [&] {
      ++asked;
      return 40;
    });
    EXPECT_EQ(to, row.Want) << "code " << LOWORD(row.WParam);
    EXPECT_EQ(asked, LOWORD(row.WParam) == SB_BOTTOM ? 1 : 0) << "code " << LOWORD(row.WParam);
  }
}

TEST_F(ListBoxTest, ARecreatedWindowKeepsItemsDataAndSelection) {
  auto* l = MakeList();
  for (const char* s : {"one", "two", "three"}) l->Items()->Add(s);
  l->Perform(LB_SETITEMDATA, 1, 42);
  l->SetItemIndex(1);
  l->SetBorderStyle(bsNone);
  EXPECT_EQ(l->ClientWidth(), 120);
  EXPECT_EQ(Texts(l), (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(l->Perform(LB_GETITEMDATA, 1, 0), 42);
  EXPECT_EQ(l->ItemIndex(), 1);
  l->SetMultiSelect(true);
  EXPECT_TRUE(l->Selected(1));
  EXPECT_EQ(l->SelCount(), 1);
  l->SetMultiSelect(false);
  EXPECT_EQ(l->ItemIndex(), 1);
  EXPECT_EQ(l->Deleted.size(), 0u) << "nothing was deleted";
}

// A list filled inside an update block (one item at a time or in one call) shows
// what a list filled item by item outside one shows: the same scroll range, bar
// and pixels once redraw is back on; meanwhile its bar waits, and every item still
// passes through the messages.
TEST_F(ListBoxTest, AListFilledInsideAnUpdateBlockShowsWhatOneFilledOutsideShows) {
  enum class TFill { Add, AddStrings, Assign, SetText, DeleteHalf };
  TStringList source;
  for (int i = 0; i < 30; ++i) source.Add("item " + std::to_string(i));
  auto scroll = [](TListBox* L) {
    SCROLLINFO si{};
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    GetScrollInfo(L->Handle(), SB_VERT, &si);
    return std::vector<int>{si.nMin, si.nMax, static_cast<int>(si.nPage), si.nPos};
  };
  auto pixels = [](TListBox* L) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, WindowBuffer(L->Handle()));
    TPoint o = WindowBufferClientOrigin(L->Handle());
    std::vector<COLORREF> out;
    for (int y = 0; y < L->ClientHeight(); ++y)
      for (int x = 0; x < L->ClientWidth(); ++x) out.push_back(GetPixel(dc, o.X + x, o.Y + y));
    SelectObject(dc, old);
    DeleteDC(dc);
    return out;
  };
  for (TFill fill : {TFill::Add, TFill::AddStrings, TFill::Assign, TFill::SetText, TFill::DeleteHalf}) {
    SCOPED_TRACE(static_cast<int>(fill));
    TLogListBox* l = MakeList();
    auto* ref = new TListBox(Form);
    ref->SetBounds(140, 10, 120, 100);
    ref->SetParent(Form);
    for (int i = 0; i < 30; ++i) ref->Items()->Add(source.Strings(i));
    TStrings* items = l->Items();
    switch (fill) {
      case TFill::Add:
        items->BeginUpdate();
        for (int i = 0; i < 30; ++i) items->Add(source.Strings(i));
        EXPECT_TRUE(ScrollBarRect(l->Handle(), SB_VERT).IsEmpty()) << "the bar waits for the end of the block";
        items->EndUpdate();
        break;
      case TFill::AddStrings: items->AddStrings(&source); break;
      case TFill::Assign: items->Assign(&source); break;
      case TFill::SetText: items->SetText(source.Text()); break;
      case TFill::DeleteHalf:
        for (int i = 0; i < 30; ++i) items->Add(source.Strings(i));
        items->BeginUpdate();
        for (int i = 29; i >= 15; --i) items->Delete(i);
        items->EndUpdate();
        for (int i = 29; i >= 15; --i) ref->Items()->Delete(i);
        break;
    }
    const size_t count = fill == TFill::DeleteHalf ? 15 : 30;
    EXPECT_EQ(std::count(l->Messages.begin(), l->Messages.end(), "ADDSTRING"), 30);
    EXPECT_EQ(static_cast<size_t>(items->Count()), count);
    Application->ProcessMessages();
    EXPECT_EQ(scroll(l), scroll(ref));
    EXPECT_EQ(scroll(l)[1], static_cast<int>(count) - 1);
    EXPECT_FALSE(ScrollBarRect(l->Handle(), SB_VERT).IsEmpty());
    EXPECT_EQ(l->ClientWidth(), ref->ClientWidth());
    EXPECT_TRUE(pixels(l) == pixels(ref)) << "the list shows as the one filled item by item";
  }
}

TEST_F(ListBoxTest, AFormStreamGivesItemsAndAnItemIndexReadBeforeThem) {
  auto* l = ReadList(
      "    Left = 8\n    Top = 8\n    Width = 100\n    Height = 80\n"
      "    ItemIndex = 1\n"
      "    Sorted = True\n"
      "    TabOrder = 0\n"
      "    Items.Strings = (\n      #20057\n      'b'\n      'a')\n");
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(Texts(l), (std::vector<std::string>{"a", "b", "乙"}));
  EXPECT_EQ(l->ItemIndex(), 1);
  EXPECT_TRUE(l->TabStop());
}

TEST_F(ListBoxTest, AHorizontalExtentWiderThanTheListShowsTheHorizontalBar) {
  // A subclass asks for the bar, as the framed list box does.
  struct THorz : TListBox {
    using TListBox::TListBox;
    void CreateParams(TCreateParams& P) override {
      TListBox::CreateParams(P);
      P.Style |= WS_HSCROLL;
    }
  };
  auto* l = MakeList<THorz>();
  l->Items()->Add("a long line");
  EXPECT_TRUE(ScrollBarRect(l->Handle(), SB_HORZ).IsEmpty());
  l->Perform(LB_SETHORIZONTALEXTENT, 300, 0);
  EXPECT_EQ(l->Perform(LB_GETHORIZONTALEXTENT, 0, 0), 300);
  EXPECT_FALSE(ScrollBarRect(l->Handle(), SB_HORZ).IsEmpty());
  EXPECT_EQ(l->ClientHeight(), 96 - 16);
  EXPECT_EQ(l->ItemRect(0).Right, 300);
  l->Perform(WM_HSCROLL, SB_RIGHT, 0);
  EXPECT_EQ(l->ItemRect(0).Left, -(300 - l->ClientWidth()));
  l->Perform(LB_SETHORIZONTALEXTENT, 50, 0);
  EXPECT_TRUE(ScrollBarRect(l->Handle(), SB_HORZ).IsEmpty());
  EXPECT_EQ(l->ItemRect(0).Left, 0) << "nothing left to scroll";
}

// Ten owner-drawn items of 20 pixels in two columns of a 120 x 100 list: the
// client area is 116 wide (columns of 58) and 80 high once the horizontal bar
// shows, so four rows; three columns of items, two in view.
TEST_F(ListBoxTest, ColumnsFlowDownThenAcrossAndScrollByWholeColumns) {
  auto* l = MakeList();
  l->SetStyle(lbOwnerDrawFixed);
  l->SetItemHeight(20);
  for (int i = 0; i < 10; ++i) l->Items()->Add("item " + std::to_string(i));
  l->SetColumns(2);
  ASSERT_EQ(l->ClientHeight(), 80);
  EXPECT_FALSE(ScrollBarRect(l->Handle(), SB_HORZ).IsEmpty());
  EXPECT_TRUE(ScrollBarRect(l->Handle(), SB_VERT).IsEmpty()) << "columns never scroll up and down";
  struct TPlace {
    int Index;
    TRect Rect;
  };
  const TPlace places[] = {{0, {0, 0, 58, 20}}, {3, {0, 60, 58, 80}}, {4, {58, 0, 116, 20}},
                           {7, {58, 60, 116, 80}}, {9, {116, 20, 174, 40}}};
  for (const TPlace& p : places) {
    EXPECT_EQ(l->ItemRect(p.Index), p.Rect) << p.Index;
    EXPECT_EQ(l->ItemAtPos({p.Rect.Left + 5, p.Rect.Top + 5}, true), p.Rect.Left < 116 ? p.Index : -1) << p.Index;
  }

  // The bar, the keys and the wheel move the top index a column at a time.
  struct TStep {
    const char* What;
    std::function<void()> Do;
    int Top;
    int ItemIndex;
  };
  const TStep steps[] = {
      {"a line right", [&] { l->Perform(WM_HSCROLL, SB_LINEDOWN, 0); }, 4, -1},
      {"no further than the last column", [&] { l->Perform(WM_HSCROLL, SB_LINEDOWN, 0); }, 4, -1},
      {"back to the start", [&] { l->Perform(WM_HSCROLL, SB_TOP, 0); }, 0, -1},
      {"a top index inside a column", [&] { l->SetTopIndex(6); }, 4, -1},
      {"the thumb", [&] { l->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0); }, 0, -1},
      {"select the second item", [&] { l->SetItemIndex(1); }, 0, 1},
      {"Right goes a column across", [&] { Key(VK_RIGHT); }, 0, 5},
      {"into the hidden column", [&] { Key(VK_RIGHT); }, 4, 9},
      {"Left comes back", [&] { Key(VK_LEFT); }, 4, 5},
      {"Up is the item above", [&] { Key(VK_UP); }, 4, 4},
      {"the wheel towards the user", [&] { l->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0); }, 4, 4},
      {"the wheel away", [&] { l->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0); }, 0, 4},
  };
  l->SetFocus();
  for (const TStep& s : steps) {
    s.Do();
    EXPECT_EQ(l->TopIndex(), s.Top) << s.What;
    EXPECT_EQ(l->ItemIndex(), s.ItemIndex) << s.What;
  }

  // A click in the second column picks its item; more columns make them narrower.
  Click({60, 45});
  EXPECT_EQ(l->ItemIndex(), 6);
  l->SetColumns(4);
  EXPECT_EQ(l->ItemRect(4), (TRect{29, 0, 58, 20}));
  l->SetColumns(0);
  EXPECT_EQ(l->ItemRect(4), (TRect{0, 80, 100, 100})) << "one column again, with the vertical bar";
}

TEST_F(ListBoxTest, AnIntegralHeightShedsThePartOfAnItemAtTheBottom) {
  // A 100-pixel list has a client area 96 high inside its 2-pixel edges.
  struct TCase {
    const char* What;
    TListBoxStyle Style;
    bool Integral;
    int Height;
    int Want;
  };
  const TCase cases[] = {
      {"off: the height as given", lbOwnerDrawFixed, false, 100, 100},
      {"items of 20: 96 becomes 80", lbOwnerDrawFixed, true, 100, 84},
      {"whole items already", lbOwnerDrawFixed, true, 104, 104},
      {"less than one item stays", lbOwnerDrawFixed, true, 14, 14},
      {"grown: 146 becomes 140", lbOwnerDrawFixed, true, 150, 144},
      {"variable heights keep theirs", lbOwnerDrawVariable, true, 100, 100},
      {"a virtual list too", lbVirtual, true, 100, 84},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    auto* l = MakeList();
    l->SetStyle(c.Style);
    l->SetItemHeight(20);
    l->SetIntegralHeight(c.Integral);
    l->SetHeight(c.Height);
    EXPECT_EQ(l->Height(), c.Want);
    EXPECT_EQ(l->IntegralHeight(), c.Integral);
  }
  // Standard items take the font's height.
  auto* l = MakeList();
  l->SetIntegralHeight(true);
  const int h = l->ItemHeight();
  EXPECT_EQ(l->ClientHeight() % h, 0);
  EXPECT_GT(l->ClientHeight(), 96 - h);
}

TEST_F(ListBoxTest, VirtualListsTakeACountAndAskTheDataEventsForTextsObjectsAndSearches) {
  auto* l = MakeList();
  std::vector<int> asked;
  TObject marker;
  l->OnData = [&](TWinControl* C, int Index, std::string& Data) {
    EXPECT_EQ(C, l);
    asked.push_back(Index);
    Data = "row " + std::to_string(Index);
  };
  l->OnDataObject = [&](TWinControl*, int Index, TObject*& Obj) { Obj = Index == 3 ? &marker : nullptr; };
  EXPECT_THROW(l->SetCount(5), EListError) << "only the virtual styles take a count";
  l->Items()->Add("kept");
  l->SetStyle(lbVirtual);
  l->SetCount(100000);
  EXPECT_EQ(l->Count(), 100000);
  EXPECT_EQ(l->Items()->Count(), 100000);
  EXPECT_EQ(l->Items()->Strings(41), "row 41");
  EXPECT_EQ(l->Items()->Objects(3), &marker);
  EXPECT_EQ(l->Items()->Add("more"), -1) << "nothing to add to";
  l->Items()->Insert(0, "more");
  EXPECT_EQ(l->Count(), 100000);
  EXPECT_EQ(l->Perform(LB_GETTEXTLEN, 0, 0), LB_ERR);
  EXPECT_EQ(l->Perform(LB_ADDSTRING, 0, Str("x")), LB_ERR);
  EXPECT_EQ(l->Items()->IndexOf("row 9"), -1) << "no OnDataFind";
  std::string looked;
  l->OnDataFind = [&](TWinControl*, const std::string& S) {
    looked = S;
    return 9;
  };
  EXPECT_EQ(l->Items()->IndexOf("row 9"), 9);
  EXPECT_EQ(looked, "row 9");

  // Painting asks only for the items in view (20 pixels each: five rows begun).
  l->SetItemHeight(20);
  asked.clear();
  l->Repaint();
  EXPECT_EQ(asked, (std::vector<int>{0, 1, 2, 3, 4}));
  l->SetItemIndex(99999);
  EXPECT_EQ(l->TopIndex(), 99999 - 3);
  // A smaller count drops a selection beyond it.
  l->SetCount(10);
  EXPECT_EQ(l->ItemIndex(), -1);
  EXPECT_EQ(l->TopIndex(), 6);

  // The owner-drawn virtual style leaves the drawing to OnDrawItem.
  std::vector<int> drawn;
  l->OnDrawItem = [&](TWinControl*, int Index, TRect, TOwnerDrawState) { drawn.push_back(Index); };
  l->SetStyle(lbVirtualOwnerDraw);
  l->SetTopIndex(0);
  drawn.clear();
  l->Repaint();
  EXPECT_EQ(drawn, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(l->Count(), 10) << "the count outlives a re-created window";
}

TEST_F(ListBoxTest, AFormStreamGivesColumnsIntegralHeightAndTheVirtualStyles) {
  auto* l = ReadList(
      "    Width = 100\n    Height = 100\n"
      "    Columns = 3\n"
      "    IntegralHeight = True\n"
      "    Style = lbVirtualOwnerDraw\n");
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->Columns(), 3);
  EXPECT_TRUE(l->IntegralHeight());
  EXPECT_EQ(l->Style(), lbVirtualOwnerDraw);
}
