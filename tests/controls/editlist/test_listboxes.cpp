// The framed list box: incremental search on the manual clock, groups, the
// horizontal extent, deleting with the selection kept, and form streams.
#include "controls/editlist/checklist.h"
#include "controls/editlist/combobox.h"
#include "controls/editlist/editlists.h"
#include "controls/editlist/listboxes.h"
#include "controls/editlist/tabbedlist.h"
#include "tests/controls/editlist/lists_fixture.h"

using FramedListBox = ListsTest;

TEST_F(FramedListBox, IncrementalSearchRestartsAfterThePause) {
  auto* l = MakeList<TQvListBox>();
  for (const char* s : {"Apple", "abc", "ABD", "banana", "bz"}) l->Add(s);
  int matches = 0;
  l->OnMatch = [&](TObject*) { ++matches; };
  Type(l, "a");
  EXPECT_EQ(l->ItemIndex(), 0);
  Wait(1400);
  Type(l, "B");  // "aB": the first item beginning with "ab", any case
  EXPECT_EQ(l->ItemIndex(), 1);
  Type(l, "d");
  EXPECT_EQ(l->ItemIndex(), 2);
  EXPECT_EQ(matches, 3);
  Type(l, "q");  // no match: the selection stays and the text is kept
  EXPECT_EQ(l->ItemIndex(), 2);
  Wait(1600);
  Type(l, "b");  // a new search
  EXPECT_EQ(l->ItemIndex(), 3);
  Type(l, "z");
  EXPECT_EQ(l->ItemIndex(), 4);
  // An arrow key clears the search text: "a" is searched on its own.
  l->Perform(WM_KEYDOWN, VK_UP, 0);
  Type(l, "a");
  EXPECT_EQ(l->ItemIndex(), 0);
  Type(l, "\x1b");
  EXPECT_EQ(l->ItemIndex(), -1);
}

TEST_F(FramedListBox, BackspaceThatEmptiesTheSearchSelectsTheFirstItemAndClicks) {
  auto* l = MakeList<TQvListBox>();
  for (const char* s : {"x", "ya", "yb"}) l->Add(s);
  int clicks = 0;
  l->OnClick = [&](TObject*) { ++clicks; };
  Type(l, "yb");
  EXPECT_EQ(l->ItemIndex(), 2);
  Type(l, "\b");  // "y"
  EXPECT_EQ(l->ItemIndex(), 1);
  EXPECT_EQ(clicks, 0);
  Type(l, "\b");
  EXPECT_EQ(l->ItemIndex(), 0);
  EXPECT_EQ(clicks, 1);
}

TEST_F(FramedListBox, DoubleByteItemsAreFoundByTheirTwoBytes) {
  auto* l = MakeList<TQvListBox>();
  // Two GBK characters that differ only in the case of their second byte, and a
  // backspace that takes a whole character off.
  for (const char* s : {"a", "\xB0\x41\xB0\x42", "\xB0\x61", "\xB0\x41\xB0\x62"}) l->Add(s);
  Type(l, "\xB0\x61");
  EXPECT_EQ(l->ItemIndex(), 2);
  Wait(1600);
  Type(l, "\xB0\x41\xB0\x62");
  EXPECT_EQ(l->ItemIndex(), 3);
  Type(l, "\b");  // back to the first character: item 1 comes first
  EXPECT_EQ(l->ItemIndex(), 1);
}

TEST_F(FramedListBox, GroupsAreFoundByTheirPrefix) {
  auto* l = MakeList<TQvListBox>();
  for (const char* s : {"loose", "//One", "a", "b", "//Two", "c"}) l->Add(s);
  EXPECT_EQ(l->ItemIndexOfGroup(0), 1);
  EXPECT_EQ(l->ItemIndexOfGroup(1), 4);
  EXPECT_EQ(l->ItemIndexOfGroup(2), -1);
  EXPECT_EQ(l->ItemsInGroup(0), 2);
  EXPECT_EQ(l->ItemsInGroup(1), 1);  // the last group counts to the end
  EXPECT_EQ(l->ItemCaption(4), "Two");
  EXPECT_EQ(l->ItemCaption(9), "");
  EXPECT_EQ(l->ItemGroupIndex(0), -1);
  EXPECT_EQ(l->ItemGroupIndex(3), 1);
  EXPECT_EQ(l->GroupIndexOfItem(4), 1);
  EXPECT_EQ(l->GroupIndexOfItem(3), -1);
  EXPECT_EQ(l->InsertItemIntoGroup(1, 1, "d"), 6);  // one past the last item appends to the group
  EXPECT_EQ(l->InsertItemIntoGroup(1, 3, "x"), -1);
  EXPECT_EQ(l->AddItemToGroup(0, "e"), 4);
  EXPECT_EQ(ItemTexts(l->Items()), (std::vector<std::string>{"loose", "//One", "a", "b", "e", "//Two", "c", "d"}));
  l->SetItemIndex(2);
  l->ItemToGroup(2);
  EXPECT_EQ(l->Items()->Strings(2), "//a");
  EXPECT_EQ(l->ItemIndex(), 2);
  l->GroupToItem(2);
  EXPECT_EQ(l->Items()->Strings(2), "a");
  EXPECT_EQ(l->ItemIndex(), 2);
}

TEST_F(FramedListBox, DeleteKeepsASelectionAndSelectedItemReadsIt) {
  auto* l = MakeList<TQvListBox>();
  for (const char* s : {"a", "b", "c"}) l->Add(s);
  l->SetItemIndex(2);
  l->Delete(2);
  EXPECT_EQ(l->ItemIndex(), 1);
  EXPECT_EQ(l->SelectedItem(), "b");
  EXPECT_TRUE(l->FindItem("A"));
  EXPECT_EQ(l->ItemIndex(), 0);
  EXPECT_FALSE(l->FindItem("zz"));
  l->SetMultiSelect(true);
  l->UnselectAll();
  EXPECT_EQ(l->SelectedItem(), "");
  l->SelectAll();
  int deleted = 0;
  l->OnDeleteItems = [&](TObject*) { ++deleted; };
  l->DeleteSelectedItems();
  EXPECT_EQ(l->Items()->Count(), 0);
  EXPECT_EQ(deleted, 1);
}

TEST_F(FramedListBox, TheHorizontalExtentFollowsTheWidestItem) {
  auto* l = MakeList<TQvListBox>();
  l->SetHorzScrollBar(true);
  EXPECT_EQ(l->HorzExtent(), 0);
  std::string wide(60, 'W');
  l->Add("short");
  l->Add(wide);
  TBitmap b;
  b.Canvas()->Font()->Assign(l->Font());
  EXPECT_EQ(l->HorzExtent(), b.Canvas()->TextWidth(wide + "x"));
  l->Items()->Clear();
  EXPECT_EQ(l->HorzExtent(), 0);
}

TEST_F(FramedListBox, StateColoursFollowFocusAndEnabled) {
  auto* l = MakeList<TQvListBox>();
  l->SetColor(clYellow);
  EXPECT_EQ(l->FocusColor(), clYellow);  // it equalled the normal colour and follows it
  l->SetFocusColor(clAqua);
  l->SetFocus();
  EXPECT_EQ(l->Color(), clAqua);
  l->SetEnabled(false);
  EXPECT_EQ(l->Color(), clBtnFace);
  l->SetEnabled(true);  // disabling took the focus away
  EXPECT_EQ(l->Color(), clYellow);
}

TEST_F(FramedListBox, StreamsRoundTripAndRetiredFramePropertiesConvert) {
  auto* l = MakeList<TQvListBox>(false);
  l->Add("//G");
  l->Add("one");
  l->SetShowGroups(true);
  l->SetGroupPrefix("#");
  l->SetFrameVisible(true);
  l->SetFrameSides({sdLeft, sdTop});
  l->GroupFont()->SetColor(clRed);
  l->SetHorzScrollBar(true);
  std::string text = StreamText(l);
  EXPECT_NE(text.find("GroupPrefix = '#'"), std::string::npos);
  EXPECT_NE(text.find("GroupFont.Color = clRed"), std::string::npos);
  auto* back = Own(new TQvListBox(nullptr));
  back->SetParent(Form);
  StreamInto(text, back);
  EXPECT_EQ(ItemTexts(back->Items()), ItemTexts(l->Items()));
  EXPECT_EQ(back->GroupPrefix(), "#");
  EXPECT_TRUE(back->FrameVisible());
  EXPECT_EQ(back->FrameSides(), (TSides{sdLeft, sdTop}));
  EXPECT_EQ(back->GroupFont()->Color(), clRed);
  EXPECT_EQ(StreamText(back), text);
  // A default list writes neither the prefix nor the group font.
  TQvListBox plain(nullptr);
  plain.SetName("Plain");
  EXPECT_EQ(StreamText(&plain).find("Group"), std::string::npos);

  TQvListBox old(nullptr);
  StreamInto("object L: TQvListBox\n  FrameFlat = True\n  FrameFlatStyle = fsWhatever\nend\n", &old);
  EXPECT_TRUE(old.FrameHotTrack());
  EXPECT_TRUE(old.FrameVisible());
  EXPECT_EQ(old.FrameStyle(), fsStatus);
  EXPECT_EQ(old.FrameHotStyle(), fsLowered);
  TQvListBox old2(nullptr);
  StreamInto("object L: TQvListBox\n  FrameFocusStyle = fsRaised\nend\n", &old2);
  EXPECT_EQ(old2.FrameHotStyle(), fsRaised);
  EXPECT_FALSE(old2.FrameHotTrack());
}

TEST_F(FramedListBox, AHintShowsItemsWiderThanTheList) {
  auto* l = MakeList<TQvListBox>();
  l->Add("short");
  l->Add(std::string(80, 'W'));
  TPoint origin{l->Left() + 2, l->Top() + 2};
  int h = l->ItemHeight();
  Mouse(Form, WM_MOUSEMOVE, {origin.X + 10, origin.Y + h / 2});
  EXPECT_TRUE(!l->ItemHintWindow() || !l->ItemHintWindow()->Shown());
  Mouse(Form, WM_MOUSEMOVE, {origin.X + 10, origin.Y + h + h / 2});
  ASSERT_NE(l->ItemHintWindow(), nullptr);
  EXPECT_TRUE(l->ItemHintWindow()->Shown());
  // Over the item's place on the screen, one pixel left of the text.
  TPoint item = l->ClientToScreen(TPoint(0, h));
  EXPECT_EQ(l->ItemHintWindow()->Left(), item.X - 1);
  Mouse(Form, WM_MOUSEMOVE, {origin.X + 10, origin.Y + h / 2});
  EXPECT_FALSE(l->ItemHintWindow()->Shown());
}

TEST_F(FramedListBox, EveryListReadsTheRetiredFramePropertiesOfOldForms) {
  std::vector<TQvCustomListBox*> lists{Own(new TQvListBox(nullptr)), Own(new TQvTabbedListBox(nullptr)),
                                       Own(new TQvCheckList(nullptr)), Own(new TQvEditListBox(nullptr)),
                                       Own(new TQvRankListBox(nullptr))};
  for (TQvCustomListBox* l : lists) {
    SCOPED_TRACE(l->ClassName());
    StreamInto("object L: " + l->ClassName() +
                   "\n  FrameFlat = True\n  FrameFocusStyle = fsRaised\n  FrameFlatStyle = fsOld\nend\n",
               l);
    EXPECT_TRUE(l->FrameHotTrack());
    EXPECT_EQ(l->FrameStyle(), fsStatus);
    EXPECT_EQ(l->FrameHotStyle(), fsRaised);  // read after FrameFlat
    // Written back, only today's names appear, and they read back the same.
    std::string text = StreamText(l);
    EXPECT_EQ(text.find("FrameFlat"), std::string::npos);
    EXPECT_NE(text.find("FrameHotTrack = True"), std::string::npos);
  }
}

TEST_F(FramedListBox, TheFrameIsPaintedInTheNonClientAreaAndHotWhileFocused) {
  auto* l = MakeList<TQvListBox>();
  auto* other = MakeList<TQvListBox>();
  other->SetLeft(200);
  l->SetFrameVisible(true);
  l->SetFrameColor(clRed);
  l->SetFrameHotColor(clBlue);
  auto shot = [&] {
    Application->ProcessMessages();
    TBitmap b(l->Width(), l->Height());
    l->PaintTo(b.Canvas()->Handle(), 0, 0);
    return std::vector<COLORREF>{static_cast<COLORREF>(b.Canvas()->Pixels(0, 0)),
                                 static_cast<COLORREF>(b.Canvas()->Pixels(1, 1)),
                                 static_cast<COLORREF>(b.Canvas()->Pixels(l->Width() - 1, 5))};
  };
  const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255), white = RGB(255, 255, 255);
  EXPECT_EQ(shot(), (std::vector<COLORREF>{red, white, red}));  // fsFlat: one line, then the colour
  l->SetFrameHotTrack(true);  // fsFlatBold in the hot colour while focused or under the mouse
  other->SetFocus();
  EXPECT_EQ(shot(), (std::vector<COLORREF>{red, white, red}));
  l->SetFocus();
  EXPECT_EQ(shot(), (std::vector<COLORREF>{blue, blue, blue}));
  other->SetFocus();
  EXPECT_EQ(shot(), (std::vector<COLORREF>{red, white, red}));
}

TEST_F(FramedListBox, AFrameControllerSuppliesTheFramingAndKeepsItOutOfTheStream) {
  auto* l = MakeList<TQvListBox>(false);
  TQvFrameController fc(nullptr);
  fc.SetFrameColor(clNavy);
  fc.SetFrameVisible(true);
  fc.SetFrameStyle(fsFlatBold);
  l->SetFrameController(&fc);
  EXPECT_EQ(l->FrameColor(), clNavy);
  EXPECT_TRUE(l->FrameVisible());
  EXPECT_EQ(l->FrameStyle(), fsFlatBold);
  std::string text = StreamText(l);
  for (const char* name : {"FrameColor", "FrameVisible", "FrameStyle", "  Color"})
    EXPECT_EQ(text.find(name), std::string::npos) << name;
  l->SetFrameControllerNotifications(TQvFrameControllerNotifications{fcpFrameVisible});
  EXPECT_NE(StreamText(l).find("FrameStyle = fsFlatBold"), std::string::npos);
}

// What a form gives stays after the control has finished reading it: the parent
// colour (the state colours must not take it away) and an item height (the
// parent's font, handed down again unchanged, must not measure it away).
TEST_F(FramedListBox, ParentColorAndAnItemHeightReadFromAFormStay) {
  struct TCase {
    std::function<TWinControl*()> Make;
    std::string Text;
    std::function<void(TWinControl*)> Check;
  };
  Form = MakeForm();
  Form->SetColor(clBtnFace);
  const TCase cases[] = {
      {[&] { return new TQvListBox(Form); }, "object L: TQvListBox\n  ParentColor = True\nend\n",
       [](TWinControl* C) {
         EXPECT_TRUE(C->ParentColor());
         EXPECT_EQ(C->Color(), clBtnFace);
       }},
      {[&] { return new TQvComboBox(Form); }, "object C: TQvComboBox\n  ParentColor = True\nend\n",
       [](TWinControl* C) { EXPECT_TRUE(C->ParentColor()); }},
      {[&] { return new TQvCheckList(Form); }, "object K: TQvCheckList\n  ItemHeight = 23\nend\n",
       [](TWinControl* C) { EXPECT_EQ(static_cast<TQvCheckList*>(C)->ItemHeight(), 23); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    TWinControl* control = c.Make();
    control->SetParent(Form);
    StreamInto(c.Text, control);
    c.Check(control);
  }
}

// The framed list box draws a virtual list's texts from OnData, in columns too.
TEST_F(FramedListBox, AVirtualListInColumnsDrawsTheTextsOnDataGives) {
  auto* l = MakeList<TQvListBox>();
  std::vector<int> asked;
  l->OnData = [&](TWinControl*, int Index, std::string& Data) {
    asked.push_back(Index);
    Data = "row " + std::to_string(Index);
  };
  l->SetStyle(lbVirtual);
  l->SetItemHeight(20);
  l->SetCount(50);
  l->SetColumns(2);
  // 156 x 100 of client area once the horizontal bar shows: five rows, two columns.
  EXPECT_EQ(l->ItemRect(7), (TRect{78, 40, 156, 60}));
  asked.clear();
  l->Repaint();
  std::sort(asked.begin(), asked.end());
  asked.erase(std::unique(asked.begin(), asked.end()), asked.end());
  EXPECT_EQ(asked, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(l->Items()->Strings(42), "row 42");
}
