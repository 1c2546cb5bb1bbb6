// The check list: flags beside the items through every item operation, the text
// stream and its refusals, form streams, re-created windows and toggling by mouse
// and keys.
#include "controls/common/themes.h"
#include "controls/editlist/checklist.h"
#include "platform/theme/themefake.h"
#include "platform/core/streams.h"
#include "tests/controls/editlist/lists_fixture.h"

namespace {

std::string Saved(TQvCheckList* L) {
  TMemoryStream s;
  L->SaveToStream(&s);
  return std::string(static_cast<const char*>(s.Memory()), s.Size());
}

void Load(TQvCheckList* L, const std::string& Text) {
  TMemoryStream s;
  s.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
  s.SetPosition(0);
  L->LoadFromStream(&s);
}

// Text, enabled flag and state of each item, as "E S text".
std::vector<std::string> Rows(TQvCheckList* L) {
  std::vector<std::string> out;
  for (int i = 0; i < L->Items()->Count(); ++i)
    out.push_back(std::to_string(L->GetItemEnabled(i)) + " " + std::to_string(static_cast<int>(L->GetItemState(i))) +
                  " " + L->Items()->Strings(i));
  return out;
}

}  // namespace

using CheckList = ListsTest;

TEST_F(CheckList, TextStreamRoundTripsEveryFlagAndLongTexts) {
  auto* l = MakeList<TQvCheckList>();
  l->AddEx("one", true, true);
  l->AddEx("two", false, false);
  l->Items()->Add("three");
  l->SetItemState(2, cbGrayed);
  std::string big(10000, 'x');
  big[0] = 'B';
  big.back() = 'E';
  l->AddEx(big, true, false);
  std::string text = Saved(l);
  EXPECT_EQ(text.substr(0, 36), "&1 1 one\r\n&0 0 two\r\n&1 2 three\r\n&0 1");
  auto* back = MakeList<TQvCheckList>();
  Load(back, text);
  EXPECT_EQ(Rows(back), Rows(l));
  EXPECT_EQ(back->Items()->Strings(3), big);  // read back whole
  // Plain lines load as enabled unchecked items.
  Load(back, "plain\r\n\r\n&1 1 x\r\n");
  EXPECT_EQ(Rows(back), (std::vector<std::string>{"1 0 plain", "1 0 ", "1 1 x"}));
}

TEST_F(CheckList, LinesWithoutAStateOfTheStripAreRefused) {
  auto* l = MakeList<TQvCheckList>();
  for (const char* bad : {"&1 x text", "&1 5 text", "&1 3", "&1", "&"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(Load(l, std::string("&1 1 kept\r\n") + bad + "\r\nnever\r\n"), EConvertError);
    EXPECT_EQ(Rows(l), (std::vector<std::string>{"1 1 kept"}));  // the lines before it stay
    l->Invalidate();
    l->Update();  // and draw
  }
  // The same lines given to AddStrings.
  TStringList src;
  src.Add("&0 2 ok");
  src.Add("&1 9 bad");
  l->Items()->Clear();
  EXPECT_THROW(l->Items()->AddStrings(&src), EConvertError);
  EXPECT_EQ(Rows(l), (std::vector<std::string>{"0 2 ok"}));
}

TEST_F(CheckList, FormStreamsCarryTheFlagsOnTheItemsListAndDropBadStates) {
  auto* l = MakeList<TQvCheckList>(false);
  l->AddEx("a", true, true);
  l->AddEx("b", false, false);
  l->Items()->Add("c");
  l->SetItemState(2, cbGrayed);
  std::string text = StreamText(l);
  EXPECT_NE(text.find("Items.ItemEnabled = (\n    True\n    False\n    True)"), std::string::npos) << text;
  EXPECT_NE(text.find("Items.ItemState = (\n    1\n    0\n    2)"), std::string::npos) << text;
  EXPECT_EQ(text.find("\n  ItemState"), std::string::npos) << "not on the component any more";
  auto* back = Own(new TQvCheckList(nullptr));
  back->SetParent(Form);
  StreamInto(text, back);
  EXPECT_EQ(Rows(back), Rows(l));
  EXPECT_EQ(StreamText(back), text);

  // Where the flags are read: on the items list, and on the check list itself as
  // forms written before carry them; values beyond the items and bad states go.
  for (const char* prefix : {"Items.", ""}) {
    SCOPED_TRACE(prefix);
    auto* crafted = Own(new TQvCheckList(nullptr));
    crafted->SetParent(Form);
    StreamInto(std::string("object C: TQvCheckList\n  Items.Strings = (\n    'a'\n    'b')\n  ") + prefix +
                   "ItemEnabled = (\n    False\n    True\n    False\n    False)\n  " + prefix +
                   "ItemState = (\n    7\n    -1\n    2\n    1)\nend\n",
               crafted);
    EXPECT_EQ(Rows(crafted), (std::vector<std::string>{"0 0 a", "1 0 b"}));
    crafted->Invalidate();
    crafted->Update();
  }
}

TEST_F(CheckList, ItemOperationsAndRecreatedWindowsKeepTheFlags) {
  auto* l = MakeList<TQvCheckList>();
  for (const char* s : {"d", "b", "//g", "a", "c"}) l->Items()->Add(s);
  l->SetItemState(0, cbChecked);
  l->SetItemEnabled(1, false);
  l->SetItemState(4, cbGrayed);
  l->Items()->Move(0, 4);
  EXPECT_EQ(Rows(l), (std::vector<std::string>{"0 0 b", "1 0 //g", "1 0 a", "1 2 c", "1 1 d"}));
  l->Items()->Exchange(0, 3);
  EXPECT_EQ(Rows(l), (std::vector<std::string>{"1 2 c", "1 0 //g", "1 0 a", "0 0 b", "1 1 d"}));
  l->Items()->SetStrings(3, "bb");
  EXPECT_EQ(Rows(l)[3], "0 0 bb");
  l->Items()->Insert(0, "new");
  l->Items()->Delete(1);
  EXPECT_EQ(Rows(l), (std::vector<std::string>{"1 0 new", "1 0 //g", "1 0 a", "0 0 bb", "1 1 d"}));
  // The layer's own delete reaches the flags too.
  l->Perform(LB_DELETESTRING, 0, 0);
  l->SetHeight(2 * l->ItemHeight() + 4);  // two rows show
  l->SetItemIndex(3);
  l->SetTopIndex(1);
  ASSERT_EQ(l->TopIndex(), 1);
  std::vector<std::string> before = Rows(l);
  l->SetFrameVisible(true);  // a new window
  EXPECT_EQ(Rows(l), before);
  EXPECT_EQ(l->ItemIndex(), 3);
  EXPECT_EQ(l->TopIndex(), 1);
  l->SetSorted(true);  // a new window that sorts the items: each keeps its flags
  EXPECT_EQ(Rows(l), (std::vector<std::string>{"1 0 //g", "1 0 a", "0 0 bb", "1 1 d"}));
  EXPECT_EQ(l->ItemsChecked(), 1);
  l->SetItemChecked(0, true);  // a header is never counted
  EXPECT_EQ(l->ItemsChecked(), 1);
  l->SetEnabled(false);
  EXPECT_EQ(Rows(l)[3], "0 1 d");
  l->SetEnabled(true);
  EXPECT_EQ(Rows(l)[2], "1 0 bb");
}

TEST_F(CheckList, SortingWithoutAWindowKeepsEachItemsFlags) {
  auto* l = MakeList<TQvCheckList>(false);
  l->AddEx("c", true, true);
  l->AddEx("a", false, false);
  l->AddEx("b", true, false);
  l->SetSorted(true);
  EXPECT_EQ(Rows(l), (std::vector<std::string>{"0 0 a", "0 1 b", "1 1 c"}));
}

TEST_F(CheckList, ClicksOnTheBoxAndSpaceToggle) {
  auto* l = MakeList<TQvCheckList>();
  l->SetAllowGrayed(true);
  for (const char* s : {"a", "b", "//h", "d"}) l->Items()->Add(s);
  l->SetItemEnabled(1, false);
  int h = l->ItemHeight();
  std::vector<int> changes;
  l->OnChange = [&](TObject*, int I, TCheckBoxState S) { changes.push_back(I * 10 + static_cast<int>(S)); };
  auto box = [&](int I) { return TPoint(8, I * h + h / 2); };
  auto text = [&](int I) { return TPoint(80, I * h + h / 2); };
  ClickAt(l, box(0));
  EXPECT_EQ(l->GetItemState(0), cbGrayed);
  ClickAt(l, box(0));
  EXPECT_EQ(l->GetItemState(0), cbChecked);
  ClickAt(l, box(0));
  EXPECT_EQ(l->GetItemState(0), cbUnchecked);
  ClickAt(l, text(0));  // away from the box
  EXPECT_EQ(l->GetItemState(0), cbUnchecked);
  ClickAt(l, box(1));  // disabled
  ClickAt(l, box(2));  // a header
  EXPECT_EQ(Rows(l), (std::vector<std::string>{"1 0 a", "0 0 b", "1 0 //h", "1 0 d"}));
  EXPECT_EQ(changes, (std::vector<int>{2, 1, 0}));
  l->SetToggleOnItemClick(true);
  ClickAt(l, text(3));
  EXPECT_EQ(l->GetItemState(3), cbGrayed);
  l->OnChanging = [](TObject*, int, TCheckBoxState, bool& Allow) { Allow = false; };
  ClickAt(l, text(3));
  EXPECT_EQ(l->GetItemState(3), cbGrayed);
  l->OnChanging = nullptr;
  l->SetFocus();
  Key(VK_SPACE, " ");
  EXPECT_EQ(l->GetItemState(3), cbChecked);
  EXPECT_EQ(l->ItemIndex(), 3);  // the space searched for nothing
}

TEST_F(CheckList, CustomGlyphsSetTheGlyphSize) {
  auto* l = MakeList<TQvCheckList>();
  TBitmap strip;
  strip.SetWidth(6 * 16);
  strip.SetHeight(20);
  l->SetCustomGlyphs(&strip);
  EXPECT_TRUE(l->UseCustomGlyphs());
  EXPECT_EQ(l->GlyphWidth(), 16);
  EXPECT_EQ(l->GlyphHeight(), 20);
  EXPECT_GE(l->ItemHeight(), 24);
  l->SetUseCustomGlyphs(false);
  EXPECT_EQ(l->GlyphWidth(), 13);
}

TEST_F(CheckList, WithThemesTheBoxesAreTheThemesCheckBoxElements) {
  FreeThemeServices();
  auto fake = std::make_unique<TThemeLibraryFake>();
  {
    auto* l = MakeList<TQvCheckList>(false);
    l->AddEx("checked", true, true);
    l->AddEx("unchecked, disabled", false, false);
    l->Items()->Add("grayed");
    l->SetItemState(2, cbGrayed);
    TBitmap b(l->Width(), l->Height());
    l->PaintTo(b.Canvas()->Handle(), 0, 0);
    std::vector<std::pair<int, int>> boxes;
    for (const auto& c : fake->Calls)
      if (c.Name == "DrawThemeBackground" && c.Class == "button") boxes.push_back({c.Part, c.State});
    // BP_CHECKBOX with CBS_CHECKEDNORMAL, CBS_UNCHECKEDDISABLED, CBS_MIXEDNORMAL.
    EXPECT_EQ(boxes, (std::vector<std::pair<int, int>>{{3, 5}, {3, 4}, {3, 9}}));
  }
  delete Form;
  Form = nullptr;
  Owned.clear();
  FreeThemeServices();
}

// The boxes take the glyph's width and 8 pixels before each item's text: the
// horizontal extent and the item hints count them.
TEST_F(CheckList, TheExtentAndTheItemHintsCountTheBoxes) {
  auto* l = MakeList<TQvCheckList>();
  l->SetShowItemHints(true);
  l->SetHorzScrollBar(true);
  const int indent = 13 + 8;
  TBitmap b;
  b.Canvas()->Font()->Assign(l->Font());
  // Wide enough to be clipped behind the boxes, narrow enough to fit without them.
  std::string clipped;
  while (b.Canvas()->TextWidth(clipped) + 2 <= l->ClientWidth() - indent) clipped += 'W';
  ASSERT_LE(b.Canvas()->TextWidth(clipped) + 2, l->ClientWidth());
  l->Items()->Add("short");
  l->Items()->Add(clipped);
  EXPECT_EQ(l->HorzExtent(), indent + b.Canvas()->TextWidth(clipped + "x"));
  TPoint origin{l->Left() + 2, l->Top() + 2};
  const int h = l->ItemHeight();
  struct Case {
    int Row;
    bool Shown;
  } cases[] = {{1, true}, {0, false}};
  for (const Case& c : cases) {
    Mouse(Form, WM_MOUSEMOVE, {origin.X + 40, origin.Y + c.Row * h + h / 2});
    bool shown = l->ItemHintWindow() && l->ItemHintWindow()->Shown();
    EXPECT_EQ(shown, c.Shown) << "row " << c.Row;
    if (shown) {
      EXPECT_EQ(l->ItemHintWindow()->Left(), l->ClientToScreen(TPoint(0, h)).X + indent - 1);
    }
  }
}
