// The bar drawing functions: the filled part, the LED bar's segments, the centred
// percent text, and what they do with out-of-range input.
#include <gtest/gtest.h>

#include "canvas_map.h"
#include "controls/common/progressbars.h"

namespace {

TEST(PercentBar, FillIsClampedAndRounded) {
  const TRect r{10, 0, 110, 20};
  struct Case { int pct; TOrientation o; TRect want; };
  const Case cases[] = {
      {0, orHorizontal, {10, 0, 10, 20}},  {55, orHorizontal, {10, 0, 65, 20}},
      {150, orHorizontal, r},              {-5, orHorizontal, {10, 0, 10, 20}},
      {25, orVertical, {10, 15, 110, 20}}, {100, orVertical, r},
  };
  for (const Case& c : cases) EXPECT_EQ(PercentBarFill(r, c.o, c.pct), c.want) << c.pct;
}

// Half a pixel goes to the even neighbour, across and up.
TEST(PercentBar, FillRoundsHalvesToEven) {
  const TRect r{0, 0, 10, 10};
  struct Case { int pct; int across, up; };
  const Case cases[] = {{5, 0, 0}, {15, 2, 2}, {25, 2, 2}, {35, 4, 4}, {45, 4, 4}, {95, 10, 10}, {24, 2, 2}, {26, 3, 3}};
  for (const Case& c : cases) {
    EXPECT_EQ(PercentBarFill(r, orHorizontal, c.pct).Right, c.across) << c.pct << " %";
    EXPECT_EQ(10 - PercentBarFill(r, orVertical, c.pct).Top, c.up) << c.pct << " %";
  }
}

TEST(PercentBar, TextIsCentredBetweenLeftAndRight) {
  TCanvasMap map(220, 20, clWhite);
  DrawPercentBar(map.Canvas(), {100, 0, 200, 20}, orHorizontal, clBlack, clWhite, 0, true, false);
  int first = -1, last = -1;
  for (int x = 0; x < 220; ++x)
    for (int y = 0; y < 20; ++y)
      if (map.Pixel(x, y) != RGB(255, 255, 255)) {
        if (first < 0) first = x;
        last = x;
      }
  ASSERT_GE(first, 100);  // nothing left of the bar
  EXPECT_NEAR((first + last) / 2, 150, 3);
}

TEST(PercentBar, AtZeroTheWholeBarIsTheBackPart) {
  TCanvasMap map(50, 10);
  DrawPercentBar(map.Canvas(), {0, 0, 50, 10}, orHorizontal, clRed, clBlue, 0, false, false);
  EXPECT_EQ(map.Pixel(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(map.Pixel(49, 9), RGB(0, 0, 255));
  DrawPercentBar(map.Canvas(), {0, 0, 50, 10}, orHorizontal, clRed, clBlue, 300, false, false);
  EXPECT_EQ(map.Pixel(49, 9), RGB(255, 0, 0));
}

// The gradient bar: the done part from the bar's start to its stop colour, the rest
// from the back's start to its stop colour (left alone when transparent).
TEST(GradientPercentBar, PartsAndTheirGradients) {
  const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255), white = RGB(255, 255, 255), black = RGB(0, 0, 0);
  const COLORREF bg = RGB(0, 255, 0);
  struct Case {
    const char* What;
    TOrientation Orientation;
    TGradientDirection Direction;
    uint16_t Percent;
    bool Transparent;
    TPoint Probe[4];    // bar start, bar end, back start, back end
    COLORREF Want[4];   // the colour at each probe
  } cases[] = {
      {"40% across, left to right", orHorizontal, TGradientDirection::gdVerticalEnd, 40, false,
       {{0, 5}, {39, 5}, {40, 5}, {99, 5}}, {red, blue, white, black}},
      {"40% across, top to bottom", orHorizontal, TGradientDirection::gdHorizontalEnd, 40, false,
       {{10, 0}, {10, 9}, {60, 0}, {60, 9}}, {red, blue, white, black}},
      {"40% across, transparent", orHorizontal, TGradientDirection::gdVerticalEnd, 40, true,
       {{0, 5}, {39, 5}, {40, 5}, {99, 5}}, {red, blue, bg, bg}},
      {"0%: all back", orHorizontal, TGradientDirection::gdVerticalEnd, 0, false,
       {{0, 5}, {0, 0}, {0, 9}, {99, 5}}, {white, white, white, black}},
      {"above 100%: all bar", orHorizontal, TGradientDirection::gdVerticalEnd, 300, false,
       {{0, 5}, {99, 5}, {0, 0}, {99, 9}}, {red, blue, red, blue}},
      {"50% upward", orVertical, TGradientDirection::gdHorizontalEnd, 50, false,
       {{50, 5}, {50, 9}, {50, 0}, {50, 4}}, {red, blue, white, black}},
  };
  for (const Case& c : cases) {
    TCanvasMap map(100, 10);
    DrawGradientPercentBar(map.Canvas(), {0, 0, 100, 10}, c.Orientation, clRed, clBlue, clWhite, clBlack,
                           c.Direction, c.Percent, false, c.Transparent);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(map.Pixel(c.Probe[i].X, c.Probe[i].Y), c.Want[i]) << c.What << ", probe " << i;
  }
}

// The text over the done part is in the back's start colour, over the rest in the
// bar's start colour: "50%" straddles the edge of a half-done bar.
TEST(GradientPercentBar, TextTakesTheOtherPartsColour) {
  TCanvasMap map(100, 20);
  DrawGradientPercentBar(map.Canvas(), {0, 0, 100, 20}, orHorizontal, clRed, clRed, clBlue, clBlue,
                         TGradientDirection::gdHorizontalEnd, 50, true, false);
  // Text pixels are blended with the part's fill: count those nearer the text colour.
  int blueInBar = 0, redInBack = 0, other = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 100; ++x) {
      COLORREF p = map.Pixel(x, y);
      if (GetGValue(p) != 0) ++other;
      if (x < 50 && GetBValue(p) > GetRValue(p)) ++blueInBar;
      if (x >= 50 && GetRValue(p) > GetBValue(p)) ++redInBack;
    }
  EXPECT_EQ(other, 0);
  EXPECT_GT(blueInBar, 0);
  EXPECT_GT(redInBack, 0);
}

TEST(LedBar, LayoutFollowsTheBarLength) {
  struct Case { int size, segments, pct; int count, segSize, offset, lit; };
  const Case cases[] = {
      {80, 20, 0, 10, 8, 0, 0},      // short bars show at most ten
      {100, 10, 55, 10, 10, 0, 5},
      {103, 10, 100, 10, 10, 1, 10},
      {100, 3, 50, 3, 33, 0, 1},
      {100, 0, 50, 0, 0, 0, 0},      // no segments asked
      {5, 7, 50, 0, 0, 0, 0},        // shorter than a pixel per segment
      {100, 10, 500, 10, 10, 0, 10}, // percent above 100
  };
  for (const Case& c : cases) {
    TLEDBarLayout l = LEDBarLayout(c.size, c.segments, c.pct);
    EXPECT_EQ(l.Count, c.count) << c.size << "/" << c.segments;
    EXPECT_EQ(l.SegSize, c.segSize) << c.size << "/" << c.segments;
    EXPECT_EQ(l.Offset, c.offset) << c.size << "/" << c.segments;
    EXPECT_EQ(l.Lit, c.lit) << c.size << "/" << c.segments;
  }
}

//  A 20 x 2 bar, 4 segments at 50%: two lit (T), two off (S), one-pixel gaps (S).
TEST(LedBar, LitAndOffSegmentsWithGaps) {
  TCanvasMap map(20, 2);
  DrawLEDBar(map.Canvas(), {0, 0, 20, 2}, orHorizontal, clBlack, clBtnShadow, 4, 50, false, false);
  EXPECT_EQ(map.Map(), Rows({"TTTTSTTTTSSSSSSSSSSS", "TTTTSTTTTSSSSSSSSSSS"}));
  TCanvasMap empty(20, 2);
  DrawLEDBar(empty.Canvas(), {0, 0, 20, 2}, orHorizontal, clBlack, clBtnShadow, 0, 50, false, false);
  EXPECT_EQ(empty.Map(), Rows({"SSSSSSSSSSSSSSSSSSSS", "SSSSSSSSSSSSSSSSSSSS"}));  // no segments: an empty bar
}

TEST(GroupBar, ClassicPaintsNothing) {
  TCanvasMap map(10, 10);
  DrawGroupBarBackground(map.Canvas(), {0, 0, 10, 10}, vsClassic, gcsSystem, gpTopToBottom, clRed, clBlue);
  EXPECT_EQ(map.Pixel(5, 5), MapBackground);
  DrawGroupBarBackground(map.Canvas(), {0, 0, 10, 10}, vsGradient, gcsCustom, gpTopToBottom, clRed, clBlue);
  if (FullColorSupported) {
    EXPECT_NE(map.Pixel(5, 5), MapBackground);
  }
}

}  // namespace
