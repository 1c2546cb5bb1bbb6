// The lists page region by region: group header rows, tab columns at their stops
// and the check boxes where the check list draws them. The lists are real windows
// with a sunken two-pixel frame: each client area starts 2 pixels inside the
// list's bounds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "controls/common/utils.h"
#include "platform/controls/forms.h"
#include "tests/tools/gallery_page_test.h"
#include "tools/gallery/gallery.h"

namespace {

class ListsPage : public GalleryPageTest {
protected:
  ListsPage() : GalleryPageTest("lists") {}
  COLORREF Px(int X, int Y) { return At(X, Y); }
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
  static constexpr int F = 2;  // the frame
};

TEST_F(ListsPage, GroupHeadersFillTheirRowsFromTheGroupColour) {
  // The left column of the Groups list: runs of the group colour (where the
  // gradient starts) mark header rows.
  const COLORREF group = RGB(0xA0, 0xC8, 0xF0);
  std::vector<std::pair<int, int>> runs;  // start, length
  for (int y = 24 + F; y < 24 + 164; ++y) {
    if (!Near(Px(8 + F, y), group)) continue;
    if (!runs.empty() && runs.back().first + runs.back().second == y) ++runs.back().second;
    else runs.push_back({y, 1});
  }
  ASSERT_EQ(runs.size(), 3u);  // items 0, 4 and 7
  int h = runs[0].second;
  EXPECT_GE(h, 15);
  EXPECT_EQ(runs[0].first, 24 + F);
  EXPECT_EQ(runs[1].first, 24 + F + 4 * h);
  EXPECT_EQ(runs[2].first, 24 + F + 7 * h);
  // The gradient runs to the list's colour at the right; ordinary rows keep the
  // list's colour in their indent.
  COLORREF end = Px(8 + 160, 24 + F + 1);
  EXPECT_GE(GetRValue(end), 0xA0 + 64);
  EXPECT_GE(GetGValue(end), 0xC8 + 32);
  for (int x = 8 + F; x < 8 + F + 10; ++x) EXPECT_EQ(Px(x, 24 + F + h + h / 2), RGB(255, 255, 255)) << x;
}

TEST_F(ListsPage, ManualColumnsMeetTheirStops) {
  TFont font;
  int a = GetAvgCharWidth(&font);
  int origin = 200 + F + 2;  // the text starts 2 pixels into the client area
  int top = 108 + F, bottom = 108 + F + 13;
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
  const int top = 216 + F, left = 12 + F;
  while (Px(20, top + h) != white && h < 40) ++h;
  ASSERT_GE(h, 17);  // at least the glyph's 13 pixels and 4
  for (int row : {1, 2, 3}) {
    int y = top + row * h + (h - 13) / 2;
    EXPECT_EQ(Px(left + 6, y), shadow) << row;      // the box's top edge
    EXPECT_EQ(Px(left, y + 6), shadow) << row;      // its left edge, 4 pixels in
    EXPECT_EQ(Px(left - 1, y + 6), white) << row;   // nothing left of it
    EXPECT_NE(Px(left + 6, y - 1), shadow) << row;  // nor above
  }
  EXPECT_NE(Px(left + 6, top + (h - 13) / 2), shadow);  // the header row has no box
}

}  // namespace
