// The "pickers" page: the colour pickers' auto-sizes, a selected and a hot cell,
// the popup under its edit and the hexadecimal spinner, region by region.
#include <gtest/gtest.h>

#include <memory>

#include "tests/tools/gallery_page_test.h"
#include "tools/gallery/gallery.h"

namespace {

constexpr COLORREF White = RGB(255, 255, 255), Face = RGB(212, 208, 200), Red = RGB(255, 0, 0);

class PickersPage : public GalleryPageTest {
protected:
  PickersPage() : GalleryPageTest("pickers") {}
};

// A picker's lowered frame ends white at its lower-right pixel; the page follows.
TEST_F(PickersPage, PickersAutoSize) {
  struct Case { const char* what; int right, bottom; };
  const Case cases[] = {{"without system rows, 152 x 98", 200 + 151, 16 + 97},
                        {"with system rows, 152 x 178", 200 + 151, 130 + 177}};
  for (const auto& c : cases) {
    EXPECT_EQ(At(c.right, c.bottom), White) << c.what;
    EXPECT_EQ(At(c.right + 1, c.bottom + 1), Face) << c.what;
  }
}

// Cells are 18 x 18 from the client's corner (4, 4): Red (16) is selected with a
// box and its swatch, cell 12 is hot with a face-coloured middle.
TEST_F(PickersPage, SelectedAndHotCells) {
  EXPECT_EQ(At(200 + 4 + 9, 16 + 4 + 2 * 18 + 9), Red);
  EXPECT_NE(At(200 + 4, 16 + 4 + 2 * 18), White) << "the selection box";
  EXPECT_EQ(At(200 + 4 + 4 * 18 + 1, 16 + 4 + 18 + 1), Face) << "the hot cell's middle";
}

// The popup panel lies right-aligned under its edit, the picker inside its frame.
TEST_F(PickersPage, PopupUnderItsEdit) {
  EXPECT_EQ(At(10, 37), White) << "the popup frame's light corner";
  EXPECT_EQ(At(10 + 157, 37 + 150), RGB(128, 128, 128)) << "the popup frame's dark corner";
  // the picker's first cell (black) inside: 3 + 4 pixels in, the Default row above it
  EXPECT_EQ(At(10 + 3 + 4 + 9, 37 + 3 + 4 + 23 + 9), RGB(0, 0, 0));
}

}  // namespace
