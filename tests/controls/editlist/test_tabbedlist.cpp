// The tabbed list box: stops computed from the cells, cells read and written, stops
// from header controls, and the stops sent to the window.
#include "controls/editlist/tabbedlist.h"
#include "platform/stdctrls/header.h"
#include "tests/controls/editlist/lists_fixture.h"

namespace {

std::vector<int> Stops(TQvCustomTabbedListBox* L) {
  std::vector<int> out;
  for (int i = 0; i < L->TabStops()->Count(); ++i) out.push_back((*L->TabStops())[i]);
  return out;
}

// Records the stops the window is given.
class TRecordingTabbedList : public TQvTabbedListBox {
public:
  using TQvTabbedListBox::TQvTabbedListBox;
  std::vector<int> Sent;
  int SentCount = -1;
  void WndProc(TMessage& M) override {
    if (M.Msg == LB_SETTABSTOPS) {
      SentCount = static_cast<int>(M.WParam);
      const int* p = reinterpret_cast<const int*>(M.LParam);
      Sent.assign(p, p + (p ? SentCount : 0));
    }
    TQvTabbedListBox::WndProc(M);
  }
};

}  // namespace

using TabbedListBox = ListsTest;

TEST_F(TabbedListBox, AutomaticStopsAddEachColumnsWidestCellPlusFour) {
  auto* l = MakeList<TQvTabbedListBox>();
  l->Add("ab\tWWWW\tx");
  l->Add("abcdefgh\tW");
  l->Add("//Group header is wider");  // no tab: it only widens column 0 when there are columns
  l->SetTabStopsMode(tsmAutomatic);
  TBitmap b;
  TCanvas* c = b.Canvas();
  c->Font()->Assign(l->GroupFont());
  int col0 = c->TextWidth("Group header is wider");
  c->Font()->Assign(l->Font());
  col0 = std::max(col0, c->TextWidth("abcdefgh"));
  int col1 = c->TextWidth("WWWW");
  int a = l->AverageCharWidth();
  EXPECT_GT(a, 2);
  int first = col0 / a + 4;
  EXPECT_EQ(Stops(l), (std::vector<int>{first, col1 / a + first + 4}));
  l->Items()->Delete(0);  // one column left
  EXPECT_EQ(Stops(l).size(), 1u);
}

TEST_F(TabbedListBox, OnlyTheFirstThousandStopsReachTheWindowAndNoneGivesTheDefault) {
  auto* l = MakeList<TRecordingTabbedList>();
  l->TabStops()->Add(-12);
  EXPECT_EQ(l->Sent, (std::vector<int>{-48}));
  l->TabStops()->Clear();
  l->UpdateTabStops();
  EXPECT_EQ(l->SentCount, 0);
  for (int i = 1; i <= 1001; ++i) l->TabStops()->Add(i);
  EXPECT_EQ(l->SentCount, 1000);
  EXPECT_EQ(l->Sent.back(), 4000);
}

TEST_F(TabbedListBox, CellsAreReadAndWrittenByColumn) {
  auto* l = MakeList<TQvTabbedListBox>();
  l->Add("a\tbb\tccc");
  EXPECT_EQ(l->GetCellText(0, 0), "a");
  EXPECT_EQ(l->GetCellText(2, 0), "ccc");  // the last cell, no tab after it
  l->SetCellText(1, 0, "B");
  EXPECT_EQ(l->Items()->Strings(0), "a\tB\tccc");
  l->SetCellText(2, 0, "");
  EXPECT_EQ(l->Items()->Strings(0), "a\tB\t");
  struct Case { int col, row; const char* message; };
  for (const Case& k : {Case{3, 0, "Column parameter out of range"}, Case{-1, 0, "Column parameter out of range"},
                        Case{0, 1, "Row parameter out of range"}, Case{0, -1, "Row parameter out of range"}}) {
    try {
      l->GetCellText(k.col, k.row);
      ADD_FAILURE() << k.col << "," << k.row;
    } catch (const EListError& e) {
      EXPECT_STREQ(e.what(), k.message);
    }
    EXPECT_THROW(l->SetCellText(k.col, k.row, "x"), EListError);
  }
}

TEST_F(TabbedListBox, StopsFollowHeaderSections) {
  auto* l = MakeList<TQvTabbedListBox>();
  auto* hc = new THeaderControl(Form);
  hc->SetParent(Form);
  for (int w : {60, 80, 100}) hc->Sections()->Add()->SetWidth(w);
  for (int s : {5, -5, 7}) l->TabStops()->Add(s);
  l->UpdateFromHeader(hc);
  int a = l->AverageCharWidth();
  // 60/a+1; right-aligned at the end of the next section: 1-(100+140)/a; 240/a+1.
  EXPECT_EQ(Stops(l), (std::vector<int>{60 / a + 1, 1 - 240 / a, 240 / a + 1}));
  l->TabStops()->SetItem(2, -1);  // a negative stop at the last section uses the list's own width
  l->UpdateFromHeader(hc);
  EXPECT_EQ(Stops(l), (std::vector<int>{60 / a + 1, 1 - 240 / a, 1 - 160 / a}));

  auto* h = new THeader(Form);
  h->SetParent(Form);
  for (const char* s : {"a", "b", "c"}) h->Sections()->Add(s);
  h->SetSectionWidth(0, 30);
  h->SetSectionWidth(1, 90);
  l->TabStops()->Clear();
  for (int s : {1, -1, 2}) l->TabStops()->Add(s);
  l->UpdateFromHeader(h);
  // Two stops for three sections: 30/a+1; 1-(50+120)/a; the third stays.
  EXPECT_EQ(Stops(l), (std::vector<int>{30 / a + 1, 1 - 170 / a, 2}));

  try {
    l->UpdateFromHeader(l);
    ADD_FAILURE();
  } catch (const EHeaderError& e) {
    EXPECT_STREQ(e.what(),
                 "Only THeader and THeaderControl components can be passed to TQvCustomTabbedListBox.UpdateFromHeader");
  }
}

TEST_F(TabbedListBox, StreamsKeepStopsAndMode) {
  auto* l = MakeList<TQvTabbedListBox>(false);
  l->Add("a\tb");
  for (int s : {10, -20}) l->TabStops()->Add(s);
  std::string text = StreamText(l);
  EXPECT_EQ(text.find("ShowItemHints"), std::string::npos);  // false is its default here
  auto* back = Own(new TQvTabbedListBox(nullptr));
  back->SetParent(Form);
  StreamInto(text, back);
  EXPECT_EQ(Stops(back), (std::vector<int>{10, -20}));
  EXPECT_EQ(StreamText(back), text);
  l->SetTabStopsMode(tsmAutomatic);
  auto* back2 = Own(new TQvTabbedListBox(nullptr));
  back2->SetParent(Form);
  StreamInto(StreamText(l), back2);
  EXPECT_EQ(back2->TabStopsMode(), tsmAutomatic);
  EXPECT_EQ(Stops(back2), Stops(l));
}
