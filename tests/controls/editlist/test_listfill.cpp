// Lists filled inside an update block (or from a stream, which fills in one) end as
// lists filled item by item: the same horizontal extent, automatic tab stops, scroll
// range and pixels, for the framed, the tabbed and the check list.
#include <functional>

#include "controls/editlist/checklist.h"
#include "controls/editlist/listboxes.h"
#include "controls/editlist/tabbedlist.h"
#include "platform/controls/scrollbars.h"
#include "tests/controls/editlist/lists_fixture.h"
#include "tests/platform/controls/shot.h"

namespace {

// Rows of three cells, a few of them far wider than the list.
std::vector<std::string> FillTexts() {
  std::vector<std::string> out;
  for (int i = 0; i < 240; ++i) {
    std::string row = "row " + std::to_string(i) + "\tcell\t" + std::to_string(i * 7);
    if (i % 60 == 17) row += std::string(30 + i / 10, 'W');
    out.push_back(row);
  }
  out.push_back("//group\tlast");
  return out;
}

std::vector<int> StopsOf(TQvCustomListBox* L) {
  std::vector<int> out;
  if (auto* t = dynamic_cast<TQvCustomTabbedListBox*>(L))
    for (int i = 0; i < t->TabStops()->Count(); ++i) out.push_back((*t->TabStops())[i]);
  return out;
}

SCROLLINFO HorzRange(TQvCustomListBox* L) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  GetScrollInfo(L->Handle(), SB_HORZ, &si);
  return si;
}

// Whether two lists of one size paint the same, at the left and scrolled to the right end.
bool SamePixels(TQvCustomListBox* A, TQvCustomListBox* B) {
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) {
      A->Perform(WM_HSCROLL, SB_RIGHT, 0);
      B->Perform(WM_HSCROLL, SB_RIGHT, 0);
    }
    TShot a(A), b(B);
    for (int y = 0; y < A->Height(); ++y)
      for (int x = 0; x < A->Width(); ++x)
        if (a(x, y) != b(x, y)) return false;
  }
  return true;
}

enum class TFill { OneByOne, Block, Stream };

void Fill(TQvCustomListBox* L, TFill How, const std::vector<std::string>& Texts) {
  if (How == TFill::Stream) {
    std::string lines;
    for (const auto& t : Texts) lines += "&1 0 " + t + "\r\n";
    TMemoryStream s;
    s.WriteBuffer(lines.data(), static_cast<int64_t>(lines.size()));
    s.SetPosition(0);
    dynamic_cast<TQvCheckList*>(L)->LoadFromStream(&s);
    return;
  }
  if (How == TFill::Block) L->Items()->BeginUpdate();
  for (const auto& t : Texts) L->Add(t);
  if (How == TFill::Block) L->Items()->EndUpdate();
}

}  // namespace

using ListFill = ListsTest;

TEST_F(ListFill, ABlockOrAStreamMeasuresAsItemByItem) {
  struct Case {
    const char* Name;
    std::function<TQvCustomListBox*()> Make;
    TFill How;
  };
  auto automatic = [](TQvCustomTabbedListBox* L) {
    L->SetTabStopsMode(tsmAutomatic);
    return L;
  };
  const Case cases[] = {
      {"list box, block", [this] { return MakeList<TQvListBox>(); }, TFill::Block},
      {"tabbed, block", [&] { return automatic(MakeList<TQvTabbedListBox>()); }, TFill::Block},
      {"check list, block", [&] { return automatic(MakeList<TQvCheckList>()); }, TFill::Block},
      {"check list, stream", [&] { return automatic(MakeList<TQvCheckList>()); }, TFill::Stream},
  };
  const std::vector<std::string> texts = FillTexts();
  TBitmap measure;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TQvCustomListBox* ref = c.Make();
    TQvCustomListBox* got = c.Make();
    for (auto* l : {ref, got}) l->SetHorzScrollBar(true);
    Fill(ref, TFill::OneByOne, texts);
    Fill(got, c.How, texts);
    ASSERT_EQ(got->Items()->Count(), static_cast<int>(texts.size()));
    // The widest row is far wider than the list: there is something to scroll to.
    measure.Canvas()->Font()->Assign(ref->Font());
    EXPECT_GT(ref->HorzExtent(), measure.Canvas()->TextWidth(std::string(50, 'W')));
    EXPECT_EQ(got->HorzExtent(), ref->HorzExtent());
    EXPECT_EQ(StopsOf(got), StopsOf(ref));
    EXPECT_EQ(HorzRange(got).nMax, HorzRange(ref).nMax);
    EXPECT_GT(HorzRange(got).nMax, static_cast<int>(HorzRange(got).nPage));
    EXPECT_TRUE(SamePixels(got, ref));
    delete ref;
    delete got;
  }
}

// The plain list's extent is the widest text with an "x" after it.
TEST_F(ListFill, ABlockEndsWithTheWidestItemsExtent) {
  auto* l = MakeList<TQvListBox>();
  l->SetHorzScrollBar(true);
  std::string wide(70, 'M');
  l->Items()->BeginUpdate();
  for (int i = 0; i < 500; ++i) l->Add(i == 250 ? wide : "item " + std::to_string(i));
  EXPECT_EQ(l->HorzExtent(), 0);  // nothing is measured per item inside the block
  l->Items()->EndUpdate();
  TBitmap b;
  b.Canvas()->Font()->Assign(l->Font());
  EXPECT_EQ(l->HorzExtent(), b.Canvas()->TextWidth(wide + "x"));
}
