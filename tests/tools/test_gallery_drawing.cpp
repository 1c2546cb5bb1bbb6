// The gradients and glyphs pages: cells in their places with the colours the
// drawing routines put there.
#include <gtest/gtest.h>

#include <memory>

#include "controls/common/colors.h"
#include "tools/gallery/gallery.h"

namespace {

std::unique_ptr<TBitmap> Render(const char* Name) {
  const TGalleryPage* page = FindGalleryPage(Name);
  EXPECT_NE(page, nullptr);
  return std::unique_ptr<TBitmap>(page ? RenderGalleryPage(*page) : nullptr);
}

TEST(Gallery, TheGradientsPageShowsEachDirectionInItsCell) {
  auto shot = Render("gradients");
  ASSERT_TRUE(shot);
  TCanvas* c = shot->Canvas();
  // Direction d, row r: (96 + d * 64, 24 + r * 64), 56 x 56, navy to yellow.
  auto at = [&](int D, int R, int Dx, int Dy) { return c->Pixels(96 + D * 64 + Dx, 24 + R * 64 + Dy); };
  EXPECT_EQ(at(2, 0, 10, 0), clNavy);     // HorzEnd: Start on the top row
  EXPECT_EQ(at(2, 0, 10, 55), clYellow);  // and Stop on the bottom row
  EXPECT_EQ(at(3, 0, 30, 28), clYellow);  // HorzCtr: Stop at row 56 div 2
  EXPECT_EQ(at(8, 0, 0, 0), clNavy);      // SquareBox: Start at the corners
  EXPECT_EQ(at(0, 0, 0, 55), clNavy);     // DiagUp: Start bottom-left, Stop top-right
  EXPECT_EQ(at(0, 0, 55, 0), clYellow);
  EXPECT_EQ(at(6, 3, 0, 30), clYellow);   // VertCtr at width 1: its single column is the centre
  EXPECT_EQ(at(2, 0, 56, 10), static_cast<TColor>(ColorToRGB(clBtnFace)));  // nothing beyond the cell
}

TEST(Gallery, TheGlyphsPageShowsBothColourModes) {
  auto shot = Render("glyphs");
  ASSERT_TRUE(shot);
  TCanvas* c = shot->Canvas();
  for (int m = 0; m < 2; ++m) {
    int x = 8 + m * 376;
    // Normal row: the check mark and the radio dot in black.
    EXPECT_EQ(c->Pixels(x + 88 + 24 + 6, 176 + 6), clBlack) << m;
    EXPECT_EQ(c->Pixels(x + 176 + 24 + 6, 176 + 6), clBlack) << m;
    // Classic drop-down arrow in the first arrow cell (20 x 20, anchor (10, 9) + 2).
    EXPECT_EQ(c->Pixels(x + 88 + 10, 28 + 11), clBlack) << m;
  }
  // The radio outline pixel (4, 0): blended on a full-colour display, the frame
  // colour itself on a 256-colour one.
  EXPECT_EQ(c->Pixels(8 + 176 + 4, 176), BlendColors(clBtnShadow, clBtnFace, 128));
  EXPECT_EQ(c->Pixels(384 + 176 + 4, 176), ColorToRGB(clBtnShadow));
}

}  // namespace
