// The lists page region by region: group header rows, tab columns at their stops
// and the check boxes where the check list draws them. Rendered offscreen the
// lists have no window frames: each client area starts at the list's bounds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "controls/common/utils.h"
#include "platform/controls/forms.h"
#include "tools/gallery/gallery.h"

namespace {

class ListsPage : public ::testing::Test {
protected:
  void SetUp() override {
    const TGalleryPage* page = FindGalleryPage("lists");
    ASSERT_NE(page, nullptr);
    Shot.reset(RenderGalleryPage(*page));
  }
  COLORREF Px(int X, int Y) { return static_cast<COLORREF>(Shot->Canvas()->Pixels(X, Y)); }
  bool Near(COLORREF A, COLORREF B) {
    return std::abs(GetRValue(A) - GetRValue(B)) <= 2 && std::abs(GetGValue(A) - GetGValue(B)) <= 2 &&
           std::abs(GetBValue(A) - GetBValue(B)) <= 2;
  }
  bool Ink(int X, int Y) {
    COLORREF c = Px(X, Y);
    return GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128;
  }
  // Whether column X has text ink in rows Top..Bottom-1.
  bool InkIn(int X, int Top, int Bottom) {
    for (int y = Top; y < Bottom; ++y)
      if (Ink(X, y)) return true;
    return false;
  }
  std::unique_ptr<TBitmap> Shot;
};

TEST_F(ListsPage, GroupHeadersFillTheirRowsFromTheGroupColour) {
  // The left column of the Groups list: runs of the group colour (where the
  // gradient starts) mark header rows.
  const COLORREF group = RGB(0xA0, 0xC8, 0xF0);
  std::vector<std::pair<int, int>> runs;  // start, length
  for (int y = 24; y < 24 + 164; ++y) {
    if (!Near(Px(8, y), group)) continue;
    if (!runs.empty() && runs.back().first + runs.back().second == y) ++runs.back().second;
    else runs.push_back({y, 1});
  }
  ASSERT_EQ(runs.size(), 3u);  // items 0, 4 and 7
  int h = runs[0].second;
  EXPECT_GE(h, 15);
  EXPECT_EQ(runs[0].first, 24);
  EXPECT_EQ(runs[1].first, 24 + 4 * h);
  EXPECT_EQ(runs[2].first, 24 + 7 * h);
  // The gradient runs to the list's colour at the right; ordinary rows keep the
  // list's colour in their indent.
  COLORREF end = Px(8 + 160, 25);
  EXPECT_GE(GetRValue(end), 0xA0 + 64);
  EXPECT_GE(GetGValue(end), 0xC8 + 32);
  for (int x = 8; x < 8 + 10; ++x) EXPECT_EQ(Px(x, 24 + h + h / 2), RGB(255, 255, 255)) << x;
}

TEST_F(ListsPage, ManualColumnsMeetTheirStops) {
  TFont font;
  int a = GetAvgCharWidth(&font);
  int origin = 200 + 2;  // the text starts 2 pixels in
  int top = 108, bottom = 108 + 13;
  int right = origin + 16 * a, left = origin + 18 * a;  // stops -16 and 18
  bool endsAtRight = false;
  for (int x = right - 2; x < right; ++x) endsAtRight |= InkIn(x, top, bottom);
  EXPECT_TRUE(endsAtRight) << "right-aligned column ends at " << right;
  for (int x = right; x < left; ++x) EXPECT_FALSE(InkIn(x, top, bottom)) << x;
  bool startsAtLeft = false;
  for (int x = left; x < left + 3; ++x) startsAtLeft |= InkIn(x, top, bottom);
  EXPECT_TRUE(startsAtLeft) << "left column starts at " << left;
}

TEST_F(ListsPage, CheckBoxesSitFourPixelsIntoTheirRows) {
  const COLORREF shadow = RGB(128, 128, 128), white = RGB(255, 255, 255);
  // Row height: the header row (item 0) ends where the list's white begins.
  int h = 0;
  while (Px(20, 216 + h) != white && h < 40) ++h;
  ASSERT_GE(h, 17);  // at least the glyph's 13 pixels and 4
  for (int row : {1, 2, 3}) {
    int y = 216 + row * h + (h - 13) / 2;
    EXPECT_EQ(Px(12 + 6, y), shadow) << row;      // the box's top edge
    EXPECT_EQ(Px(12, y + 6), shadow) << row;      // its left edge, 4 pixels in
    EXPECT_EQ(Px(11, y + 6), white) << row;       // nothing left of it
    EXPECT_NE(Px(12 + 6, y - 1), shadow) << row;  // nor above
  }
  EXPECT_NE(Px(12 + 6, 216 + (h - 13) / 2), shadow);  // the header row has no box
}

}  // namespace
