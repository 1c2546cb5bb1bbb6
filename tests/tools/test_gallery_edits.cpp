// The "edits" page: frame corners per style, the drop button's strip and the spin
// buttons' split, region by region.
#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/winuser.h"
#include "tests/tools/gallery_page_test.h"
#include "tools/gallery/gallery.h"

namespace {

constexpr COLORREF White = RGB(255, 255, 255), Shadow = RGB(128, 128, 128), DkShadow = RGB(64, 64, 64),
                   Black = RGB(0, 0, 0), Face = RGB(212, 208, 200);

class EditsPage : public GalleryPageTest {
protected:
  EditsPage() : GalleryPageTest("edits") {}
};

// Each style's frame on a white edit 112 x 21 (frame colour clBtnShadow): the
// corner pixel, the one inside it, and the lower-right corner.
TEST_F(EditsPage, EachFrameStyleHasItsCorners) {
  struct Case { const char* style; COLORREF corner, inside, lowerRight; };
  const Case cases[] = {
      {"fsFlat", Shadow, White, Shadow},           {"fsGroove", Shadow, White, White},
      {"fsBump", White, Shadow, Shadow},           {"fsLowered", Shadow, DkShadow, White},
      {"fsButtonDown", Black, Shadow, Black},      {"fsRaised", Face, White, DkShadow},
      {"fsButtonUp", White, Face, DkShadow},       {"fsStatus", Shadow, White, White},
      {"fsPopup", White, White, Shadow},           {"fsFlatBold", Shadow, Shadow, Shadow},
      {"sunken (no frame of its own)", Shadow, DkShadow, White},
  };
  for (int i = 0; i < 11; ++i) {
    const Case& c = cases[i];
    int x = 16, y = i < 10 ? 32 + i * 28 : 312;
    EXPECT_EQ(At(x, y), c.corner) << c.style;
    EXPECT_EQ(At(x + 1, y + 1), c.inside) << c.style;
    EXPECT_EQ(At(x + 111, y + 20), c.lowerRight) << c.style;
  }
}

// The drop button fills the rightmost scroll-bar width inside the 2-pixel border: a
// raised face with a black arrow in its middle, the text area white up to it.
TEST_F(EditsPage, TheDropButtonFillsItsStrip) {
  const int x = 152, y = 32 + 5 * 28, w = GetSystemMetrics(SM_CXVSCROLL);
  const int left = x + 112 - 2 - w;
  EXPECT_EQ(At(left - 1, y + 10), White);
  EXPECT_NE(At(left, y + 10), White);
  EXPECT_EQ(At(left + w - 1, y + 18), DkShadow);  // the face's lower-right edge
  int blacks = 0;
  for (int dx = 0; dx < w; ++dx) blacks += At(left + dx, y + 10) == Black;
  EXPECT_GT(blacks, 0);  // the arrow crosses the middle row
}

// 25 pixels of height split into 12 for the up button and 13 for the down one,
// each with its raised border (white top-left, dark lower-right); alone and inside
// a spin edit 29 high (its buttons 17 wide at the right of its client area).
TEST_F(EditsPage, TheSpinButtonsSplitTwentyFiveInto12And13) {
  struct Case { const char* what; int x, y; };
  const Case cases[] = {{"alone", 424, 32}, {"in the spin edit", 288 + 2 + 112 - 4 - 17, 228 + 2}};
  for (const Case& c : cases) {
    EXPECT_EQ(At(c.x + 8, c.y), White) << c.what;            // up: top edge
    EXPECT_EQ(At(c.x + 8, c.y + 11), DkShadow) << c.what;    // up: bottom edge
    EXPECT_EQ(At(c.x + 8, c.y + 12), White) << c.what;       // down: top edge
    EXPECT_EQ(At(c.x + 8, c.y + 24), DkShadow) << c.what;    // down: bottom edge
    EXPECT_EQ(At(c.x, c.y + 5), White) << c.what;            // 17 wide
    EXPECT_EQ(At(c.x + 16, c.y + 5), DkShadow) << c.what;
  }
  EXPECT_EQ(At(288 + 2 + 112 - 4 - 17 - 1, 240), White);  // the text area beside them
}

}  // namespace
