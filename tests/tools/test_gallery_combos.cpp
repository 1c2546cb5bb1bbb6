// The combos page: the drop button strip, the frames, the colour swatches'
// borders, and the image combo's images at their indents.
#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/winuser.h"
#include "platform/graphics/colors.h"
#include "tools/gallery/gallery.h"

namespace {

class GalleryCombos : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    const TGalleryPage* page = FindGalleryPage("combos");
    ASSERT_NE(page, nullptr);
    Shot.reset(RenderGalleryPage(*page));
  }
  static void TearDownTestSuite() { Shot.reset(); }
  COLORREF At(int X, int Y) { return static_cast<COLORREF>(Shot->Canvas()->Pixels(X, Y)); }
  static COLORREF Rgb(TColor C) { return static_cast<COLORREF>(ColorToRGB(C)); }
  // The first x in [X0, X1) on row Y with colour C, or -1.
  int FirstX(int X0, int X1, int Y, TColor C) {
    for (int x = X0; x < X1; ++x)
      if (At(x, Y) == Rgb(C)) return x;
    return -1;
  }
  // The leftmost pixel of colour C in the rectangle, and the row it is on.
  TPoint Leftmost(TRect R, TColor C) {
    for (int x = R.Left; x < R.Right; ++x)
      for (int y = R.Top; y < R.Bottom; ++y)
        if (At(x, y) == Rgb(C)) return {x, y};
    return {-1, -1};
  }
  static std::unique_ptr<TBitmap> Shot;
};
std::unique_ptr<TBitmap> GalleryCombos::Shot;

TEST_F(GalleryCombos, FramesAndTheDropButtonStrip) {
  // Column 1 combos are 170 wide at x = 10; the button strip is the scroll bar
  // width, 2 pixels in from the right edge.
  int right = 10 + 170 - 2, strip = right - GetSystemMetrics(SM_CXVSCROLL);
  // fsFlat in clBtnShadow round a 2-pixel bevel in the control's colour.
  EXPECT_EQ(At(10, 70), Rgb(clBtnShadow));
  EXPECT_EQ(At(11, 70), Rgb(clWindow));
  // fsFlatBold in clNavy: two pixels.
  EXPECT_EQ(At(10, 100), Rgb(clNavy));
  EXPECT_EQ(At(11, 100), Rgb(clNavy));
  // The hot flat button: a 1-pixel bevel, highlight on its left edge.
  EXPECT_EQ(At(strip, 70), Rgb(clBtnHighlight));
  EXPECT_EQ(At(strip + 3, 70), Rgb(clBtnFace));
  // Read-only: the button strip is filled with the read-only colour.
  for (int x : {strip + 2, strip + 8, right - 2}) EXPECT_EQ(At(x, 130), Rgb(clInfoBk)) << x;
}

TEST_F(GalleryCombos, SwatchBordersFollowTheColoursBrightness) {
  // Red is brighter than 0x80 in red: a gray border; teal has no channel above
  // 0x80: a black border.
  int red = FirstX(200, 260, 40, clRed);
  ASSERT_GT(red, 200);
  EXPECT_EQ(At(red - 1, 40), Rgb(TColor(0x808080)));
  int teal = FirstX(200, 260, 100, clTeal);
  ASSERT_GT(teal, 200);
  EXPECT_EQ(At(teal - 1, 100), Rgb(clBlack));
  // With names the swatch is 16 pixels wide (border included): 14 of colour.
  EXPECT_EQ(At(red + 13, 40), Rgb(clRed));
  EXPECT_NE(At(red + 14, 40), Rgb(clRed));
}

TEST_F(GalleryCombos, ImagesSitAtTheirIndentsInTheListButNotInTheEditField) {
  // Dropped image list at (580, 230): Computer (purple, level 0), Projects
  // (olive, level 1), Gateway (olive, level 2); ItemIndent 12.
  TRect list(580, 230, 760, 330);
  TPoint computer = Leftmost(list, clPurple);
  TPoint projects = Leftmost(list, clOlive);
  ASSERT_GE(computer.X, 0);
  EXPECT_EQ(projects.X - computer.X, 12);
  // Gateway: the olive image on a lower row, 24 pixels in.
  TPoint gateway = Leftmost(TRect(580, projects.Y + 12, 760, 330), clOlive);
  EXPECT_EQ(gateway.X - computer.X, 24);
  // Closed at (390, 90), the same item shows without its indent.
  TPoint closed = Leftmost(TRect(390, 90, 560, 112), clOlive);
  EXPECT_EQ(closed.X - 390, computer.X - 580 + 2);  // the combo's sunken edge is 1 pixel wider than the list's border
}

}  // namespace
