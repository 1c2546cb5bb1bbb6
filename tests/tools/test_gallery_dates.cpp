// The "dates" page: the calendar's marks, the clock faces and the edits' swatches,
// region by region.
#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/winuser.h"
#include "tests/tools/gallery_page_test.h"
#include "tools/gallery/gallery.h"

namespace {

constexpr COLORREF White = RGB(255, 255, 255), Highlight = RGB(10, 36, 106),
                   TodayFrame = RGB(128, 0, 0), Teal = RGB(0, 128, 128), Face = RGB(212, 208, 200);

class DatesPage : public GalleryPageTest {
protected:
  DatesPage() : GalleryPageTest("dates") {}
  int Count(TRect R, COLORREF C) {
    int n = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x) n += At(x, y) == C;
    return n;
  }
};

TEST_F(DatesPage, CalendarShowsTodaySelectionAndWeekNumbers) {
  const TRect cal{16, 32, 16 + 180, 32 + 159};
  EXPECT_NE(At(16, 100), Face) << "the frame's left edge";
  EXPECT_EQ(At(16 + 181, 100), Face) << "nothing right of the auto-sized calendar";
  EXPECT_GT(Count(cal, Highlight), 60) << "the selected day";
  EXPECT_GT(Count(cal, TodayFrame), 20) << "today's frame";
  // Week numbers left of the day grid: something drawn in the column.
  EXPECT_LT(Count({20, 70, 44, 150}, White), 24 * 80);
}

TEST_F(DatesPage, ClockFacesAndEdits) {
  // The clock face is filled with the button face around its centre (12-hour picker).
  EXPECT_GT(Count({220, 60, 350, 180}, Face), 5000);
  // The colour edits: a teal swatch, and the hatched "no colour" one.
  EXPECT_EQ(At(580, 106), Teal);
  EXPECT_GT(Count({564, 132, 650, 145}, Face), 20);
  EXPECT_EQ(Count({564, 132, 650, 145}, Teal), 0);
  // The open drop-downs lie right below their edits.
  EXPECT_GT(Count({204, 276, 364, 430}, Highlight), 60) << "the dropped calendar's selected day";
  EXPECT_GT(Count({565, 278, 715, 370}, Teal), 50) << "the dropped colour picker";
}

}  // namespace
