// The edit list box (slow second click, F2, Enter, Escape, the editor's keys) and
// the rank list box (dragging with the pointer kept inside, Shift+keys).
#include "controls/editlist/editlists.h"
#include "platform/controls/backend.h"
#include "tests/controls/editlist/lists_fixture.h"

namespace {

// The headless backend, recording where programs put the pointer.
class TPointerRecorder : public THeadlessBackend {
public:
  std::vector<TPoint> Moves;
  void SetCursorPos(TPoint P) override {
    Moves.push_back(P);
    THeadlessBackend::SetCursorPos(P);
  }
};

}  // namespace

class EditListBox : public ListsTest {
protected:
  TQvEditListBox* Make(bool Sorted = false) {
    auto* l = MakeList<TQvEditListBox>();
    l->SetSorted(Sorted);
    for (const char* s : {"beta", "delta", "gamma"}) l->Add(s);
    return l;
  }
  TPoint Row(TQvEditListBox* L, int I) { return TPoint(30, I * L->ItemHeight() + 3); }
};

TEST_F(EditListBox, ASlowSecondClickOpensTheEditorAfter400Ms) {
  auto* l = Make();
  std::vector<int> changed;
  l->OnItemChanged = [&](TObject*, int I) { changed.push_back(I); };
  ClickAt(l, Row(l, 1));  // takes the focus: never opens the editor
  Wait(1000);
  EXPECT_FALSE(l->PopupVisible());
  ClickAt(l, Row(l, 1));
  Wait(399);
  EXPECT_FALSE(l->PopupVisible());
  Wait(1);
  ASSERT_TRUE(l->PopupVisible());
  EXPECT_TRUE(l->Editor()->Visible());
  EXPECT_EQ(l->Editor()->Text(), "delta");
  EXPECT_EQ(l->Editor()->Top(), l->ItemHeight() - 2);
  // Escape: the item keeps its text, OnItemChanged still fires.
  l->Editor()->SetText("changed");
  Key(VK_ESCAPE);
  EXPECT_FALSE(l->PopupVisible());
  EXPECT_EQ(l->Items()->Strings(1), "delta");
  EXPECT_EQ(l->ItemIndex(), 1);
  EXPECT_EQ(changed, (std::vector<int>{1}));
}

TEST_F(EditListBox, ADoubleClickNeverOpensTheEditor) {
  auto* l = Make();
  ClickAt(l, Row(l, 0));
  Wait(1000);
  ClickAt(l, Row(l, 0));
  ClickAt(l, Row(l, 0), 0, true);
  Wait(1000);
  EXPECT_FALSE(l->PopupVisible());
}

TEST_F(EditListBox, EnterInASortedListReinsertsTheItemInOrder) {
  auto* l = Make(true);
  ClickAt(l, Row(l, 0));
  Key(VK_F2);
  ASSERT_TRUE(l->PopupVisible());
  l->Editor()->SetText("");
  Key('Z', "z");
  Key('C', "c");  // a plain "c" is typed, not taken as a shortcut
  EXPECT_EQ(l->Editor()->Text(), "zc");
  Key(VK_RETURN, "\r");
  EXPECT_FALSE(l->PopupVisible());
  EXPECT_EQ(ItemTexts(l->Items()), (std::vector<std::string>{"delta", "gamma", "zc"}));
  EXPECT_EQ(l->ItemIndex(), 2);
  EXPECT_TRUE(l->Focused());
}

TEST_F(EditListBox, CtrlCInTheEditorIsNoFormShortcut) {
  auto* l = Make();
  std::vector<WPARAM> shortcuts;
  Form->OnShortCut = [&](TMessage& M, bool&) { shortcuts.push_back(M.WParam); };
  ClickAt(l, Row(l, 2));
  Key(VK_F2);
  ASSERT_TRUE(l->PopupVisible());
  shortcuts.clear();
  InputKey(WM_KEYDOWN, VK_CONTROL, 0, {});
  Key('C', "\x03");
  InputKey(WM_KEYUP, VK_CONTROL, KF_UP_BIT, {});
  EXPECT_EQ(std::count(shortcuts.begin(), shortcuts.end(), WPARAM('C')), 0);
  EXPECT_TRUE(l->PopupVisible());
  EXPECT_EQ(l->Editor()->Text(), "gamma");
  Key('X', "x");  // other keys still reach the form's shortcuts
  EXPECT_EQ(std::count(shortcuts.begin(), shortcuts.end(), WPARAM('X')), 1);
}

class RankListBox : public ListsTest {
protected:
  void SetUp() override {
    SetBackend(&Recorder);
    ListsTest::SetUp();
  }
  void TearDown() override {
    ListsTest::TearDown();
    SetBackend(nullptr);
  }
  TPointerRecorder Recorder;
};

TEST_F(RankListBox, ShiftDragBelowTheListMovesTheItemLastAndKeepsThePointerInside) {
  auto* l = MakeList<TQvRankListBox>();
  for (const char* s : {"a", "b", "c"}) l->Add(s);
  std::vector<std::pair<int, int>> moves;
  l->OnMoveItem = [&](TObject*, int From, int To) { moves.push_back({From, To}); };
  TPoint origin{l->Left() + 2, l->Top() + 2};  // the client area in form coordinates
  // A plain drag only selects.
  Mouse(Form, WM_LBUTTONDOWN, {origin.X + 20, origin.Y + 3}, MK_LBUTTON);
  Mouse(Form, WM_MOUSEMOVE, {origin.X + 20, origin.Y + 200}, MK_LBUTTON);
  Mouse(Form, WM_LBUTTONUP, {origin.X + 20, origin.Y + 200}, 0);
  EXPECT_EQ(ItemTexts(l->Items()), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(Recorder.Moves.empty());

  Mouse(Form, WM_LBUTTONDOWN, {origin.X + 20, origin.Y + 3}, MK_LBUTTON | MK_SHIFT);
  EXPECT_TRUE(l->Moving());
  EXPECT_THROW(l->SetMoveOnDrag(false), Exception);
  Mouse(Form, WM_MOUSEMOVE, {origin.X + 20, origin.Y + 200}, MK_LBUTTON | MK_SHIFT);
  EXPECT_EQ(ItemTexts(l->Items()), (std::vector<std::string>{"b", "c", "a"}));
  ASSERT_EQ(Recorder.Moves.size(), 1u);
  TRect client = l->GetClientRect();
  TPoint inside = l->ClientToScreen(TPoint(20, client.Bottom - 1));
  EXPECT_EQ(Recorder.Moves[0].X, inside.X);
  EXPECT_EQ(Recorder.Moves[0].Y, inside.Y);
  // Above the list: the first place.
  Mouse(Form, WM_MOUSEMOVE, {origin.X + 20, origin.Y - 30}, MK_LBUTTON | MK_SHIFT);
  EXPECT_EQ(ItemTexts(l->Items()), (std::vector<std::string>{"a", "b", "c"}));
  Mouse(Form, WM_LBUTTONUP, {origin.X + 20, origin.Y - 30}, MK_SHIFT);
  EXPECT_FALSE(l->Moving());
  EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{0, 2}, {2, 0}}));
}

TEST_F(RankListBox, ShiftWithHomeEndUpAndDownMovesTheSelectedItem) {
  auto* l = MakeList<TQvRankListBox>();
  for (const char* s : {"a", "b", "c", "d"}) l->Add(s);
  l->SetFocus();
  auto shiftKey = [&](WORD K) {
    InputKey(WM_KEYDOWN, VK_SHIFT, 0, {});
    Key(K);
    InputKey(WM_KEYUP, VK_SHIFT, KF_UP_BIT, {});
  };
  shiftKey(VK_END);  // nothing selected: nothing moves
  EXPECT_EQ(ItemTexts(l->Items()), (std::vector<std::string>{"a", "b", "c", "d"}));
  l->SetItemIndex(1);
  shiftKey(VK_END);
  EXPECT_EQ(ItemTexts(l->Items()), (std::vector<std::string>{"a", "c", "d", "b"}));
  EXPECT_EQ(l->ItemIndex(), 3);
  shiftKey(VK_UP);
  EXPECT_EQ(ItemTexts(l->Items()), (std::vector<std::string>{"a", "c", "b", "d"}));
  shiftKey(VK_HOME);
  EXPECT_EQ(ItemTexts(l->Items()), (std::vector<std::string>{"b", "a", "c", "d"}));
  shiftKey(VK_DOWN);
  EXPECT_EQ(ItemTexts(l->Items()), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(l->ItemIndex(), 1);
}

TEST_F(RankListBox, StreamsRoundTrip) {
  auto* l = MakeList<TQvRankListBox>(false);
  l->SetModifierKey(mkNone);
  l->SetMoveOnDrag(false);
  l->Add("x");
  auto* e = MakeList<TQvEditListBox>(false);
  e->SetAllowEdit(false);
  e->SetAllowDeleteByKbd(true);
  std::vector<std::pair<TComponent*, TControl*>> pairs{{l, Own(new TQvRankListBox(nullptr))},
                                                       {e, Own(new TQvEditListBox(nullptr))}};
  for (auto [c, back] : pairs) {
    std::string text = StreamText(c);
    back->SetParent(Form);
    StreamInto(text, back);
    EXPECT_EQ(StreamText(back), text);
  }
  EXPECT_NE(StreamText(l).find("ModifierKey = mkNone"), std::string::npos);
  EXPECT_NE(StreamText(e).find("AllowDeleteByKbd = True"), std::string::npos);
}

TEST_F(EditListBox, DeleteRemovesTheSelectionOnlyWhenAllowed) {
  auto* l = Make();
  l->SetFocus();
  l->SetItemIndex(0);
  Key(VK_DELETE);
  EXPECT_EQ(l->Items()->Count(), 3);
  l->SetAllowDeleteByKbd(true);
  Key(VK_DELETE);
  EXPECT_EQ(ItemTexts(l->Items()), (std::vector<std::string>{"delta", "gamma"}));
}

TEST_F(EditListBox, ShowEditorWithoutACaretItemDoesNothing) {
  auto* l = Make();
  ASSERT_EQ(l->Perform(LB_GETCARETINDEX, 0, 0), -1);  // no item has had the caret
  EXPECT_NO_THROW(l->ShowEditor());
  EXPECT_FALSE(l->PopupVisible());
  l->Items()->Clear();
  EXPECT_NO_THROW(l->ShowEditor());
  EXPECT_FALSE(l->PopupVisible());
}
