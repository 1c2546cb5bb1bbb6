// The toolbars page region by region: the chevron of the narrowed toolbar and the
// owner-drawn menu's icon bar and separator.
#include <gtest/gtest.h>

#include <memory>

#include "tests/tools/gallery_page_test.h"
#include "tools/gallery/gallery.h"

namespace {

class ToolbarsPage : public GalleryPageTest {
protected:
  ToolbarsPage() : GalleryPageTest("toolbars") {}
  COLORREF Px(int X, int Y) { return At(X, Y); }
  bool Black(int X, int Y) { return Px(X, Y) == RGB(0, 0, 0); }
};

TEST_F(ToolbarsPage, TheNarrowedToolbarShowsItsChevronInTheLast14Pixels) {
  // TNarrow: (8, 200), 120 wide, 29 high.
  int ink = 0;
  for (int x = 8 + 106; x < 8 + 120; ++x)
    for (int y = 200; y < 229; ++y) ink += Black(x, y);
  EXPECT_EQ(ink, 20);  // two pairs of 3 x 5 ">" marks: 20 pixels
}

TEST_F(ToolbarsPage, TheMenuHasItsSeparatorOneLineBelowItsTop) {
  // Classic menu at (560, 24): two 22-pixel items, then the 3-pixel separator.
  const int top = 24 + 22 + 22;
  EXPECT_EQ(Px(620, top + 1), RGB(128, 128, 128));
  EXPECT_NE(Px(620, top), RGB(128, 128, 128));
  EXPECT_NE(Px(620, top + 2), RGB(128, 128, 128));
}

}  // namespace
