// Frame painters: the pixels each style draws on a 6 x 5 rectangle, the rectangle
// each returns, and the sound behaviour of the dashed, focus, rounded and bevel
// painters.
#include <gtest/gtest.h>

#include "canvas_map.h"
#include "controls/common/frames.h"

namespace {

const TRect Cell(0, 0, 6, 5);
const TSides LeftTop{sdLeft, sdTop};

TEST(Frames, EachStyleDrawsItsMapAndReturnsWhatIsLeftInside) {
  struct Case {
    TFrameStyleEx Style;
    TSides Sides;
    std::string Map;
    TRect Inner;
  } cases[] = {
      {fsNone, AllSides, Rows({"......", "......", "......", "......", "......"}), Cell},
      {fsFlat, AllSides, Rows({"DDDDDD", "D....D", "D....D", "D....D", "DDDDDD"}), {1, 1, 5, 4}},
      {fsGroove, AllSides, Rows({"SSSSSH", "SHHHSH", "SH..SH", "SSSSSH", "HHHHHH"}), {2, 2, 4, 3}},
      {fsGroove, LeftTop, Rows({"SSSSSS", "SHHHHH", "SH....", "SH....", "SH...."}), {2, 2, 6, 5}},
      {fsBump, AllSides, Rows({"HHHHHS", "HSSSHS", "HS..HS", "HHHHHS", "SSSSSS"}), {2, 2, 4, 3}},
      {fsLowered, AllSides, Rows({"SSSSSH", "SDDDFH", "SD..FH", "SFFFFH", "HHHHHH"}), {2, 2, 4, 3}},
      {fsRaised, AllSides, Rows({"FFFFFD", "FHHHSD", "FH..SD", "FSSSSD", "DDDDDD"}), {2, 2, 4, 3}},
      {fsButtonUp, AllSides, Rows({"HHHHHD", "HFFFSD", "HF..SD", "HSSSSD", "DDDDDD"}), {2, 2, 4, 3}},
      {fsButtonDown, AllSides, Rows({"TTTTTT", "TSSSST", "TS..ST", "TSSSST", "TTTTTT"}), {2, 2, 4, 3}},
      {fsStatus, AllSides, Rows({"SSSSSH", "S....H", "S....H", "S....H", "HHHHHH"}), {1, 1, 5, 4}},
      {fsPopup, AllSides, Rows({"HHHHHS", "H....S", "H....S", "H....S", "SSSSSS"}), {1, 1, 5, 4}},
      {fsFlatBold, AllSides, Rows({"SSSSSS", "SSSSSS", "SS..SS", "SSSSSS", "SSSSSS"}), {2, 2, 4, 3}},
      {fsFlatBold, LeftTop, Rows({"SSSSSS", "SSSSSS", "SS....", "SS....", "SS...."}), {2, 2, 6, 5}},
      // Drawn here, a rounded style is drawn as flat.
      {fsFlatRounded, AllSides, Rows({"DDDDDD", "D....D", "D....D", "D....D", "DDDDDD"}), {1, 1, 5, 4}},
  };
  for (const Case& c : cases) {
    TCanvasMap m(6, 5);
    TRect inner = DrawBorderSides(m.Canvas(), Cell, c.Style, c.Sides);
    EXPECT_EQ(m.Map(), c.Map) << static_cast<int>(c.Style);
    EXPECT_EQ(inner, c.Inner) << static_cast<int>(c.Style);
  }
}

TEST(Frames, NoSidesDrawNothingAndKeepTheRectangle) {
  for (int s = 0; s <= static_cast<int>(fsFlatRounded); ++s) {
    auto style = static_cast<TFrameStyleEx>(s);
    TCanvasMap a(6, 5), b(6, 5), c(6, 5);
    EXPECT_EQ(DrawBorderSides(a.Canvas(), Cell, style, {}), Cell) << s;
    EXPECT_EQ(DrawColorBorderSides(b.Canvas(), Cell, clBtnFace, style, {}), Cell) << s;
    // The panel frame: outer and inner style, a border ring and bevels, no sides.
    EXPECT_EQ(DrawInnerOuterBorders(c.Canvas(), Cell, style, style, 1, {}, 1, clBlack, clWhite, clBlack, clBlack,
                                    0, clWhite, clBlack, false, false),
              Cell)
        << s;
    std::string blank = Rows({"......", "......", "......", "......", "......"});
    EXPECT_EQ(a.Map(), blank) << s;
    EXPECT_EQ(b.Map(), blank) << s;
    EXPECT_EQ(c.Map(), blank) << s;
  }
}

TEST(Frames, SidesBevelsAndBoxes) {
  TCanvasMap m(6, 5);
  // Both colours clNone: nothing drawn, yet the rectangle shrinks.
  EXPECT_EQ(DrawSides(m.Canvas(), Cell, clNone, clNone, AllSides), TRect(1, 1, 5, 4));
  m.Canvas()->Pen()->SetWidth(3);
  EXPECT_EQ(DrawBevel(m.Canvas(), Cell, clBlack, clBlack, 0, AllSides), Cell);
  EXPECT_EQ(m.Canvas()->Pen()->Width(), 1);
  EXPECT_EQ(m.Map(), Rows({"......", "......", "......", "......", "......"}));

  EXPECT_EQ(DrawBox(m.Canvas(), Cell, clBtnShadow), TRect(1, 1, 5, 4));
  EXPECT_EQ(m.Map(), Rows({"SSSSSS", "S....S", "S....S", "S....S", "SSSSSS"}));

  TCanvasMap corners(7, 6);
  EXPECT_EQ(DrawBoxCorners(corners.Canvas(), {0, 0, 7, 6}, clBlack, 2), TRect(1, 1, 6, 5));
  EXPECT_EQ(corners.Map(), Rows({"TT...TT", "T.....T", ".......", ".......", "T.....T", "TT...TT"}));
}

TEST(Frames, SidesOfAnInvertedRectangleAndThePenTheyLeave) {
  // Each side is a line up to, not including, its end point, drawn backwards here.
  TCanvasMap m(6, 5);
  DrawSides(m.Canvas(), {4, 3, 2, 1}, clBtnShadow, cl3DDkShadow, AllSides);
  EXPECT_EQ(m.Map(), Rows({"...DD.", "......", ".D..S.", ".D.SS.", "......"}));
  // The pen keeps the last colour, at the end of the bottom line.
  EXPECT_EQ(m.Canvas()->Pen()->Color(), cl3DDkShadow);
  EXPECT_EQ(m.Canvas()->PenPos(), TPoint(2, 0));
}

TEST(Frames, TheNextFrameAfterADashedBorderIsSolid) {
  TCanvasMap m(8, 6);
  m.Canvas()->Brush()->SetStyle(bsSolid);
  EXPECT_EQ(DrawDashedBorder(m.Canvas(), {0, 0, 8, 6}, clBlack), TRect(1, 1, 7, 5));
  EXPECT_EQ(m.Canvas()->Pen()->Style(), psSolid);
  EXPECT_EQ(m.Canvas()->Brush()->Style(), bsSolid);
  // The dashed border leaves gaps; the box drawn next has none.
  EXPECT_NE(m.Map().substr(0, 8), "TTTTTTTT");
  DrawBox(m.Canvas(), {1, 1, 7, 5}, clBtnShadow);
  std::string map = m.Map();
  EXPECT_EQ(map.substr(1 * 9 + 1, 6), "SSSSSS");
  EXPECT_EQ(map.substr(4 * 9 + 1, 6), "SSSSSS");
  for (int y = 1; y < 5; ++y) {
    EXPECT_EQ(map[y * 9 + 1], 'S') << y;
    EXPECT_EQ(map[y * 9 + 6], 'S') << y;
  }
}

TEST(Frames, FocusBorderInvertsEachMarkedPixelOnce) {
  struct Case {
    int W, H;
    std::string Map;
  } cases[] = {
      // Even sizes: the bottom-right corner is on the right column and on the
      // bottom row, inverted once.
      {6, 4, Rows({"HTHTHT", "THHHHT", "HHHHHH", "TTHTHT"})},
      {5, 5, Rows({"HTHTH", "THHHT", "HHHHH", "THHHT", "HTHTH"})},
      // Width 1: the left and the right column are one.
      {1, 4, Rows({"H", "T", "H", "T"})},
      // Height 1: the top and the bottom row are one.
      {4, 1, Rows({"HTHT"})},
  };
  for (const Case& c : cases) {
    TCanvasMap m(c.W, c.H, clWhite);
    EXPECT_EQ(DrawFocusBorder(m.Canvas(), {0, 0, c.W, c.H}), TRect(1, 1, c.W - 1, c.H - 1));
    EXPECT_EQ(m.Map(), c.Map) << c.W << "x" << c.H;
  }
  // Any colour is inverted: clBtnFace (212, 208, 200) becomes (43, 47, 55).
  TCanvasMap face(3, 3, clBtnFace);
  DrawFocusBorder(face.Canvas(), {0, 0, 3, 3});
  EXPECT_EQ(face.Pixel(1, 0), RGB(43, 47, 55));
}

TEST(Frames, RoundedFlatBorderCutsTheCorners) {
  TCanvasMap m(6, 5);
  EXPECT_EQ(DrawRoundedFlatBorder(m.Canvas(), Cell, clBtnShadow, AllSides), TRect(2, 2, 4, 3));
  EXPECT_EQ(m.Map(), Rows({"..SS..", ".S..S.", "S....S", ".S..S.", "..SS.."}));
  TCanvasMap lt(6, 5);
  EXPECT_EQ(DrawRoundedFlatBorder(lt.Canvas(), Cell, clBtnShadow, LeftTop), TRect(2, 2, 6, 5));
  EXPECT_EQ(lt.Map(), Rows({"..SSSS", ".S....", "S.....", "S.....", "S....."}));
}

TEST(Frames, StackedFrameReturnsTheClientLeftInside) {
  // Outer flat in FlatColor, a one-pixel border ring, inner status bevel.
  TCanvasMap m(8, 7);
  TRect inner = DrawInnerOuterBorders(m.Canvas(), {0, 0, 8, 7}, fsFlat, fsStatus, 1, AllSides, 1, clBtnFace,
                                      clBtnHighlight, clBtnShadow, cl3DDkShadow, 0, clWindow, clBtnFace, false,
                                      false);
  EXPECT_EQ(inner, TRect(3, 3, 5, 4));
  EXPECT_EQ(m.Map(), Rows({"DDDDDDDD", "DFFFFFFD", "DFSSSHFD", "DFS..HFD", "DFHHHHFD", "DFFFFFFD",
                           "DDDDDDDD"}));
  // A soft inner flat box leaves out its corners and ignores the sides.
  TCanvasMap soft(6, 5);
  EXPECT_EQ(DrawInnerOuterBorders(soft.Canvas(), Cell, fsNone, fsFlat, 0, {}, 1, clBlack, clWhite, clBlack,
                                  clBtnShadow, 0, clWhite, clBlack, false, true),
            TRect(1, 1, 5, 4));
  EXPECT_EQ(soft.Map(), Rows({".SSSS.", "S....S", "S....S", "S....S", ".SSSS."}));
}

TEST(Frames, DrawFrameErasesTheOldFrameAndPicksItsColours) {
  // Color clWindow: the system-colour border over two rings in the control colour.
  TCanvasMap m(6, 5);
  DrawFrame(m.Canvas(), 6, 5, fsLowered, clWindow, clBlack, LeftTop, false);
  EXPECT_EQ(m.Map(), Rows({"SSSSSS", "SDDDDD", "SD..HH", "SDHHHH", "SDHHHH"}));
  // Flat styles use FrameColor; KeepOuterRing leaves the rings alone.
  TCanvasMap flat(6, 5);
  DrawFrame(flat.Canvas(), 6, 5, fsFlat, clWindow, clBtnShadow, AllSides, true);
  EXPECT_EQ(flat.Map(), Rows({"SSSSSS", "S....S", "S....S", "S....S", "SSSSSS"}));
  // Any other colour, clBtnFace too, draws the colour-derived border.
  TCanvasMap face(6, 5), derived(6, 5);
  DrawFrame(face.Canvas(), 6, 5, fsRaised, clBtnFace, clBlack, AllSides, true);
  DrawColorBorderSides(derived.Canvas(), Cell, clBtnFace, fsRaised, AllSides);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(face.Pixel(x, y), derived.Pixel(x, y)) << x << "," << y;
  EXPECT_NE(face.Map(), Rows({"FFFFFD", "FHHHSD", "FH..SD", "FSSSSD", "DDDDDD"}));
}

TEST(Frames, DrawFrameFlatStylesOverTheColourRings) {
  // Color clBtnFace (F), FrameColor cl3DDkShadow (D); the rings stay where the
  // frame has no side.
  const TSides RightBottom{sdRight, sdBottom};
  struct Case {
    TFrameStyleEx Style;
    TColor FrameColor;
    TSides Sides;
    std::string Map;
  } cases[] = {
      {fsFlat, cl3DDkShadow, AllSides, Rows({"DDDDDD", "DFFFFD", "DF..FD", "DFFFFD", "DDDDDD"})},
      {fsFlat, cl3DDkShadow, LeftTop, Rows({"DDDDDD", "DFFFFF", "DF..FF", "DFFFFF", "DFFFFF"})},
      {fsFlat, cl3DDkShadow, RightBottom, Rows({"FFFFFD", "FFFFFD", "FF..FD", "FFFFFD", "DDDDDD"})},
      {fsFlat, cl3DDkShadow, {}, Rows({"FFFFFF", "FFFFFF", "FF..FF", "FFFFFF", "FFFFFF"})},
      {fsFlat, clNone, AllSides, Rows({"FFFFFF", "FFFFFF", "FF..FF", "FFFFFF", "FFFFFF"})},
      {fsFlatBold, cl3DDkShadow, AllSides, Rows({"DDDDDD", "DDDDDD", "DD..DD", "DDDDDD", "DDDDDD"})},
      {fsFlatBold, cl3DDkShadow, LeftTop, Rows({"DDDDDD", "DDDDDD", "DD..FF", "DDFFFF", "DDFFFF"})},
      {fsFlatBold, cl3DDkShadow, RightBottom, Rows({"FFFFDD", "FFFFDD", "FF..DD", "DDDDDD", "DDDDDD"})},
  };
  for (const Case& c : cases) {
    TCanvasMap m(6, 5);
    DrawFrame(m.Canvas(), 6, 5, c.Style, clBtnFace, c.FrameColor, c.Sides, false);
    EXPECT_EQ(m.Map(), c.Map) << static_cast<int>(c.Style) << " sides " << c.Sides.ToInt();
  }
}

TEST(Frames, DropShadowFadesOutward) {
  // Rect (0, 0, 8, 6), depth 2: ring 1 blends black at alpha 128, ring 2 at 64.
  TCanvasMap m(12, 10, clWhite);
  DrawDropShadow(m.Canvas(), {0, 0, 8, 6}, 2, clBlack);
  EXPECT_EQ(m.Pixel(8, 4), RGB(127, 127, 127));  // ring 1, right column
  EXPECT_EQ(m.Pixel(5, 6), RGB(127, 127, 127));  // ring 1, row below
  EXPECT_EQ(m.Pixel(9, 3), RGB(191, 191, 191));  // ring 2, right column
  EXPECT_EQ(m.Pixel(5, 7), RGB(191, 191, 191));  // ring 2, row below
  EXPECT_EQ(m.Pixel(1, 6), RGB(255, 255, 255));  // the shadow starts 2 x depth in
  EXPECT_EQ(m.Pixel(8, 1), RGB(255, 255, 255));
  EXPECT_EQ(m.Pixel(10, 9), RGB(255, 255, 255));

  // Depth 200: a step of 0, so the last ring still blends at 128.
  TCanvasMap deep(210, 210, clWhite);
  DrawDropShadow(deep.Canvas(), {0, 0, 4, 4}, 200, clBlack);
  EXPECT_EQ(deep.Pixel(203, 201), RGB(127, 127, 127));

  TCanvasMap none(4, 4, clWhite);
  DrawDropShadow(none.Canvas(), {0, 0, 2, 2}, 0, clBlack);
  EXPECT_EQ(none.Map(), Rows({"HHHH", "HHHH", "HHHH", "HHHH"}));
}

}  // namespace
