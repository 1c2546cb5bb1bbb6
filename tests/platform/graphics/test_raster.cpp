// Lines, rectangles, fills, polygons, ellipses, clipping, pixels and the focus
// rectangle, checked pixel by pixel.
#include <set>

#include "gfx_test_util.h"

using namespace gfxtest;

namespace {

std::set<std::pair<int, int>> Painted(const TPaintDC& P, int W, int H, COLORREF C) {
  std::set<std::pair<int, int>> s;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (P.At(x, y) == C) s.insert({x, y});
  return s;
}

}  // namespace

TEST(Lines, EveryDirectionLeavesOutTheEndPoint) {
  struct Case { int X1, Y1; };
  const Case cases[] = {{16, 10}, {16, 4}, {10, 4}, {4, 4}, {4, 10}, {4, 16}, {10, 16}, {16, 16}};
  for (const Case& c : cases) {
    TPaintDC p(21, 21);
    MoveToEx(p.Dc, 10, 10, nullptr);
    LineTo(p.Dc, c.X1, c.Y1);
    auto s = Painted(p, 21, 21, RGB(0, 0, 0));
    int dx = (c.X1 > 10) - (c.X1 < 10), dy = (c.Y1 > 10) - (c.Y1 < 10);
    std::set<std::pair<int, int>> want;
    for (int i = 0; i < 6; ++i) want.insert({10 + dx * i, 10 + dy * i});
    EXPECT_EQ(s, want) << "to " << c.X1 << "," << c.Y1;
    TPoint pos;
    GetCurrentPositionEx(p.Dc, &pos);
    EXPECT_EQ(pos, TPoint(c.X1, c.Y1));
  }
}

TEST(Lines, OtherSlopesRoundToNearestWithTiesToTheSmallerCoordinate) {
  struct Case { int X0, Y0, X1, Y1; std::set<std::pair<int, int>> Want; };
  const Case cases[] = {
      // dy/dx = 1/2: the half-way rows go to the smaller y.
      {10, 10, 16, 13, {{10, 10}, {11, 10}, {12, 11}, {13, 11}, {14, 12}, {15, 12}}},
      // The same line backwards: again the smaller y at the ties.
      {16, 13, 10, 10, {{16, 13}, {15, 12}, {14, 12}, {13, 11}, {12, 11}, {11, 10}}},
      // y-major: x steps at the thirds.
      {2, 2, 3, 5, {{2, 2}, {2, 3}, {3, 4}}},
  };
  for (const Case& c : cases) {
    TPaintDC p(21, 21);
    MoveToEx(p.Dc, c.X0, c.Y0, nullptr);
    LineTo(p.Dc, c.X1, c.Y1);
    EXPECT_EQ(Painted(p, 21, 21, RGB(0, 0, 0)), c.Want);
  }
}

TEST(Lines, PolylineOmitsOnlyItsLastPointAndXorPaintsSharedVerticesOnce) {
  TPaintDC p(8, 8, RGB(255, 255, 255));
  SetROP2(p.Dc, R2_XORPEN);
  HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  p.Select(white);
  const TPoint pts[] = {{1, 1}, {5, 1}, {5, 5}};
  Polyline(p.Dc, pts, 3);
  EXPECT_EQ(p.Picture(), Rows({"WWWWWWWW", "WKKKKKWW", "WWWWWKWW", "WWWWWKWW", "WWWWWKWW", "WWWWWWWW",
                               "WWWWWWWW", "WWWWWWWW"}));
  DeleteObject(white);
}

TEST(Lines, DottedPenRunsThreeOnThreeOffAndKeepsItsPhaseAcrossLineTo) {
  HPEN dot = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
  {
    TPaintDC p(14, 1);
    p.Select(dot);
    SetBkColor(p.Dc, RGB(255, 0, 0));
    MoveToEx(p.Dc, 0, 0, nullptr);
    LineTo(p.Dc, 5, 0);
    LineTo(p.Dc, 14, 0);
    EXPECT_EQ(p.Picture(), "KKKRRRKKKRRRKK\n");
  }
  {
    TPaintDC p(14, 1);
    p.Select(dot);
    SetBkMode(p.Dc, TRANSPARENT);
    MoveToEx(p.Dc, 0, 0, nullptr);
    LineTo(p.Dc, 14, 0);
    EXPECT_EQ(p.Picture(), "KKK...KKK...KK\n");
  }
  DeleteObject(dot);
}

TEST(Lines, WidePenCoversASquareOnEveryPointIncludingTheEnd) {
  TPaintDC p(9, 9);
  HPEN wide = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
  p.Select(wide);
  MoveToEx(p.Dc, 2, 4, nullptr);
  LineTo(p.Dc, 6, 4);
  EXPECT_EQ(p.Picture(), Rows({".........", ".........", ".........", ".KKKKKKK.", ".KKKKKKK.", ".KKKKKKK.",
                               ".........", ".........", "........."}));
  DeleteObject(wide);
}

TEST(Shapes, RectangleAndFillEdges) {
  struct Case {
    const char* Name;
    void (*Draw)(HDC);
    std::string Want;
  };
  const Case cases[] = {
      {"FillRect excludes right and bottom", [](HDC dc) {
         TRect r{2, 2, 6, 5};
         FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
       }, Rows({"........", "........", "..KKKK..", "..KKKK..", "..KKKK..", "........", "........"})},
      {"Rectangle: outline inside, brush within", [](HDC dc) {
         HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
         SelectObject(dc, red);
         Rectangle(dc, 1, 1, 7, 6);
         SelectObject(dc, GetStockObject(WHITE_BRUSH));
         DeleteObject(red);
       }, Rows({"........", ".KKKKKK.", ".KRRRRK.", ".KRRRRK.", ".KRRRRK.", ".KKKKKK.", "........"})},
      {"Rectangle without pen loses its right column and bottom row", [](HDC dc) {
         SelectObject(dc, GetStockObject(NULL_PEN));
         SelectObject(dc, GetStockObject(BLACK_BRUSH));
         Rectangle(dc, 1, 1, 7, 6);
       }, Rows({"........", ".KKKKK..", ".KKKKK..", ".KKKKK..", ".KKKKK..", "........", "........"})},
      {"swapped corners are put in order", [](HDC dc) {
         SelectObject(dc, GetStockObject(NULL_BRUSH));
         Rectangle(dc, 7, 6, 1, 1);
       }, Rows({"........", ".KKKKKK.", ".K....K.", ".K....K.", ".K....K.", ".KKKKKK.", "........"})},
      {"two-pixel pen stays inside", [](HDC dc) {
         HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
         SelectObject(dc, pen);
         SelectObject(dc, GetStockObject(WHITE_BRUSH));
         Rectangle(dc, 1, 0, 7, 7);
         SelectObject(dc, GetStockObject(BLACK_PEN));
         DeleteObject(pen);
       }, Rows({".KKKKKK.", ".KKKKKK.", ".KKWWKK.", ".KKWWKK.", ".KKWWKK.", ".KKKKKK.", ".KKKKKK."})},
      {"FrameRect", [](HDC dc) {
         TRect r{1, 1, 7, 6};
         FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
       }, Rows({"........", ".KKKKKK.", ".K....K.", ".K....K.", ".K....K.", ".KKKKKK.", "........"})},
      {"dotted Rectangle runs clockwise from the top-left corner", [](HDC dc) {
         HPEN dot = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
         SelectObject(dc, dot);
         SelectObject(dc, GetStockObject(NULL_BRUSH));
         SetBkMode(dc, TRANSPARENT);
         Rectangle(dc, 1, 1, 7, 6);
         SelectObject(dc, GetStockObject(BLACK_PEN));
         DeleteObject(dot);
       }, Rows({"........", ".KKK....", "......K.", "......K.", "......K.", ".KKK....", "........"})},
  };
  for (const Case& c : cases) {
    TPaintDC p(8, 7);
    c.Draw(p.Dc);
    EXPECT_EQ(p.Picture(), c.Want) << c.Name;
  }
}

TEST(Shapes, HatchedBrushFollowsTheBrushOriginAndBackgroundMode) {
  TPaintDC p(8, 8);
  HBRUSH hatch = CreateHatchBrush(HS_BDIAGONAL, RGB(0, 0, 0));
  SetBkMode(p.Dc, TRANSPARENT);
  TRect r{0, 0, 8, 8};
  FillRect(p.Dc, &r, hatch);
  std::string want;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) want += (x + y == 7) ? 'K' : '.';
    want += '\n';
  }
  EXPECT_EQ(p.Picture(), want);
  SetBkMode(p.Dc, OPAQUE);
  SetBkColor(p.Dc, RGB(255, 0, 0));
  SetBrushOrgEx(p.Dc, 1, 0, nullptr);
  FillRect(p.Dc, &r, hatch);
  EXPECT_EQ(p.At(0, 0), RGB(0, 0, 0));  // (x - 1) + y == -1 == 7 mod 8
  EXPECT_EQ(p.At(1, 0), RGB(255, 0, 0));
  DeleteObject(hatch);
}

TEST(Shapes, PolygonFillsPixelCentresByTheAlternateRule) {
  {
    TPaintDC p(10, 10);
    SelectObject(p.Dc, GetStockObject(NULL_PEN));
    SelectObject(p.Dc, GetStockObject(BLACK_BRUSH));
    const TPoint tri[] = {{1, 1}, {9, 1}, {1, 9}};
    Polygon(p.Dc, tri, 3);
    EXPECT_EQ(p.Picture(), Rows({"..........", ".KKKKKKK..", ".KKKKKK...", ".KKKKK....", ".KKKK.....",
                                 ".KKK......", ".KK.......", ".K........", "..........", ".........."}));
  }
  {
    TPaintDC p(10, 8);
    SelectObject(p.Dc, GetStockObject(NULL_PEN));
    SelectObject(p.Dc, GetStockObject(BLACK_BRUSH));
    const TPoint loop[] = {{1, 1}, {7, 1}, {7, 5}, {3, 5}, {3, 3}, {9, 3}, {9, 7}, {1, 7}};
    Polygon(p.Dc, loop, 8);
    EXPECT_EQ(p.Picture(), Rows({"..........", ".KKKKKK...", ".KKKKKK...", ".KK....KK.", ".KK....KK.",
                                 ".KKKKKKKK.", ".KKKKKKKK.", ".........."}));
  }
  {
    TPaintDC p(8, 8);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    SelectObject(p.Dc, red);
    const TPoint sq[] = {{2, 2}, {6, 2}, {6, 6}, {2, 6}};
    Polygon(p.Dc, sq, 4);  // the outline passes through every vertex
    EXPECT_EQ(p.Picture(), Rows({"........", "........", "..KKKKK.", "..KRRRK.", "..KRRRK.", "..KRRRK.",
                                 "..KKKKK.", "........"}));
    SelectObject(p.Dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(red);
  }
}

TEST(Shapes, EllipseStaysInItsBoxAndIsSymmetric) {
  TPaintDC p(12, 10);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  SelectObject(p.Dc, red);
  Ellipse(p.Dc, 1, 1, 11, 9);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      bool inBox = x >= 1 && x < 11 && y >= 1 && y < 9;
      if (!inBox) {
        EXPECT_EQ(p.At(x, y), kBack) << x << "," << y;
      }
      EXPECT_EQ(p.At(x, y), p.At(11 - x, y)) << x << "," << y;
      EXPECT_EQ(p.At(x, y), p.At(x, 9 - y)) << x << "," << y;
    }
  EXPECT_EQ(p.At(1, 1), kBack);              // corners are outside
  EXPECT_EQ(p.At(1, 4), RGB(0, 0, 0));       // the outline touches the box
  EXPECT_EQ(p.At(5, 1), RGB(0, 0, 0));
  EXPECT_EQ(p.At(5, 4), RGB(255, 0, 0));     // the brush inside
  DeleteObject(red);
}

TEST(Clipping, ExcludeIntersectSaveAndRestore) {
  TPaintDC p(8, 6);
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  TRect all{0, 0, 8, 6};
  TRect box;
  EXPECT_EQ(GetClipBox(p.Dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, all);

  int level = SaveDC(p.Dc);
  EXPECT_EQ(level, 1);
  EXPECT_EQ(IntersectClipRect(p.Dc, 1, 1, 7, 5), SIMPLEREGION);
  EXPECT_EQ(ExcludeClipRect(p.Dc, 3, 2, 5, 4), COMPLEXREGION);
  FillRect(p.Dc, &all, black);
  EXPECT_EQ(p.Picture(), Rows({"........", ".KKKKKK.", ".KK..KK.", ".KK..KK.", ".KKKKKK.", "........"}));
  EXPECT_EQ(GetClipBox(p.Dc, &box), COMPLEXREGION);
  EXPECT_EQ(box, TRect(1, 1, 7, 5));

  SaveDC(p.Dc);
  ExcludeClipRect(p.Dc, 0, 0, 8, 6);
  EXPECT_EQ(GetClipBox(p.Dc, &box), NULLREGION);
  EXPECT_FALSE(RestoreDC(p.Dc, 3));  // no such level: nothing changes
  EXPECT_EQ(GetClipBox(p.Dc, &box), NULLREGION);
  EXPECT_TRUE(RestoreDC(p.Dc, level));  // back past both levels
  EXPECT_EQ(GetClipBox(p.Dc, &box), SIMPLEREGION);
  EXPECT_FALSE(RestoreDC(p.Dc, -1));

  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(p.Dc, &all, red);
  EXPECT_EQ(p.At(3, 2), RGB(255, 0, 0));
  DeleteObject(red);
}

TEST(Clipping, ClipRectanglesAreLogicalAndStayPutWhenTheOriginMoves) {
  // The pattern of painting a parent's background: move the origin, clip, paint.
  TPaintDC p(10, 6);
  SaveDC(p.Dc);
  SetViewportOrgEx(p.Dc, -3, -2, nullptr);
  IntersectClipRect(p.Dc, 0, 0, 8, 5);  // device (-3,-2)-(5,3)
  TRect box;
  GetClipBox(p.Dc, &box);
  EXPECT_EQ(box, TRect(3, 2, 8, 5));  // logical: device (0,0)-(5,3)
  SetViewportOrgEx(p.Dc, 0, 0, nullptr);
  TRect all{0, 0, 10, 6};
  FillRect(p.Dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RestoreDC(p.Dc, -1);
  EXPECT_EQ(p.Picture(), Rows({"KKKKK.....", "KKKKK.....", "KKKKK.....", "..........", "..........", ".........."}));
  TPoint org;
  GetViewportOrgEx(p.Dc, &org);
  EXPECT_EQ(org, TPoint(0, 0));
}

TEST(Clipping, RegionsCombine) {
  HRGN a = CreateRectRgn(0, 0, 4, 4), b = CreateRectRgn(2, 2, 6, 6), r = CreateRectRgn(0, 0, 0, 0);
  TRect box;
  EXPECT_EQ(CombineRgn(r, a, b, RGN_AND), SIMPLEREGION);
  GetRgnBox(r, &box);
  EXPECT_EQ(box, TRect(2, 2, 4, 4));
  EXPECT_EQ(CombineRgn(r, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(r, 5, 5));
  EXPECT_FALSE(PtInRegion(r, 5, 0));
  EXPECT_EQ(CombineRgn(r, a, b, RGN_XOR), COMPLEXREGION);
  EXPECT_FALSE(PtInRegion(r, 3, 3));
  EXPECT_EQ(CombineRgn(r, a, a, RGN_DIFF), NULLREGION);
  // Cut apart and put back together, a rectangle is one rectangle again.
  HRGN left = CreateRectRgn(0, 0, 2, 4), right = CreateRectRgn(2, 0, 4, 4);
  EXPECT_EQ(CombineRgn(r, left, right, RGN_OR), SIMPLEREGION);
  for (HRGN h : {a, b, r, left, right}) DeleteObject(h);
}

TEST(Pixels, OutsideTheImageReadsInvalidAndWritesNothing) {
  TPaintDC p(4, 3);
  struct Case { int X, Y; };
  for (Case c : {Case{-1, 0}, Case{0, -1}, Case{4, 0}, Case{0, 3}, Case{100000, 100000}}) {
    EXPECT_EQ(GetPixel(p.Dc, c.X, c.Y), CLR_INVALID);
    EXPECT_EQ(SetPixel(p.Dc, c.X, c.Y, RGB(1, 2, 3)), CLR_INVALID);
  }
  EXPECT_EQ(p.Picture(), Rows({"....", "....", "...."}));
  EXPECT_EQ(SetPixel(p.Dc, 3, 2, RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(p.Dc, 3, 2), RGB(1, 2, 3));
  // Outside the clip counts as outside.
  ExcludeClipRect(p.Dc, 0, 0, 1, 1);
  EXPECT_EQ(GetPixel(p.Dc, 0, 0), CLR_INVALID);
  // A monochrome bitmap keeps the nearer of black and white.
  TPaintDC m(2, 1, RGB(0, 0, 0), true);
  EXPECT_EQ(SetPixel(m.Dc, 0, 0, RGB(200, 200, 200)), RGB(255, 255, 255));
  EXPECT_EQ(SetPixel(m.Dc, 1, 0, RGB(100, 100, 100)), RGB(0, 0, 0));
}

TEST(FocusRect, InvertsEverySecondBorderPixelAndUndoesItself) {
  TPaintDC p(6, 4, RGB(255, 255, 255));
  TRect r{0, 0, 6, 4};
  DrawFocusRect(p.Dc, &r);
  EXPECT_EQ(p.Picture(), Rows({"KWKWKW", "WWWWWK", "KWWWWW", "WKWKWK"}));
  DrawFocusRect(p.Dc, &r);
  EXPECT_EQ(p.Picture(), Rows({"WWWWWW", "WWWWWW", "WWWWWW", "WWWWWW"}));
  // The dots follow device coordinates, not the rectangle.
  SetViewportOrgEx(p.Dc, 1, 0, nullptr);
  TRect one{0, 0, 1, 1};
  DrawFocusRect(p.Dc, &one);
  EXPECT_EQ(p.At(1, 0), RGB(255, 255, 255));
}

TEST(Objects, DeletingASelectedObjectWaitsUntilItIsLetGo) {
  TPaintDC p(2, 2);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  p.Select(pen);
  SaveDC(p.Dc);
  EXPECT_TRUE(DeleteObject(pen));  // still selected: freed later
  MoveToEx(p.Dc, 0, 0, nullptr);
  LineTo(p.Dc, 2, 0);
  EXPECT_EQ(p.At(1, 0), RGB(255, 0, 0));
  p.Select(GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(p.Dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  RestoreDC(p.Dc, -1);  // the saved level still held it
  EXPECT_EQ(GetCurrentObject(p.Dc, OBJ_PEN), pen);
  p.Select(GetStockObject(BLACK_PEN));  // last hold gone: freed (checked by ASan)
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));  // stock objects stay
  HDC window = CreateSurfaceDC(p.Bmp, {0, 0}, nullptr);
  EXPECT_EQ(SelectObject(window, p.Bmp), nullptr);  // a window context keeps its surface
  DeleteDC(window);
}

TEST(Limits, HugeCoordinatesCostNoMoreThanTheVisibleArea) {
  // Each call covers the whole 6 x 4 surface with a shape reaching far outside it;
  // a cost that grew with the shape would not finish.
  constexpr int kFar = 2000000000;
  struct Case { const char* Name; void (*Draw)(HDC); };
  const Case cases[] = {
      {"Rectangle", [](HDC dc) { Rectangle(dc, -kFar, -kFar, kFar, kFar); }},
      {"Ellipse", [](HDC dc) { Ellipse(dc, -kFar, -kFar, kFar, kFar); }},
      {"Polygon", [](HDC dc) {
         const TPoint pts[] = {{-kFar, -kFar}, {kFar, -kFar}, {kFar, kFar}, {-kFar, kFar}};
         Polygon(dc, pts, 4);
       }},
      {"FillRect", [](HDC dc) {
         TRect r{-kFar, -kFar, kFar, kFar};
         FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
       }},
      {"PatBlt", [](HDC dc) {
         SelectObject(dc, GetStockObject(BLACK_BRUSH));
         PatBlt(dc, -kFar, -kFar, kFar, kFar, PATCOPY);
         PatBlt(dc, 0, 0, kFar, kFar, PATCOPY);
       }},
      {"StretchBlt", [](HDC dc) {
         HDC src = CreateCompatibleDC(nullptr);
         HBITMAP b = CreateBitmap(1, 1, 1, 32, nullptr);
         SelectObject(src, b);
         StretchBlt(dc, -kFar, -kFar, kFar, kFar, src, 0, 0, 1, 1, SRCCOPY);
         StretchBlt(dc, 0, 0, kFar, kFar, src, 0, 0, 1, 1, SRCCOPY);
         DeleteDC(src);
         DeleteObject(b);
       }},
      {"DrawEdge", [](HDC dc) {
         TRect r{-kFar, -kFar, kFar, kFar};
         DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_FLAT | BF_MONO);
         SelectObject(dc, GetStockObject(BLACK_BRUSH));
         PatBlt(dc, 0, 0, 6, 4, PATCOPY);
         DrawFrameControl(dc, &r, DFC_SCROLL, DFCS_SCROLLDOWN);
         DrawFrameControl(dc, &r, DFC_MENU, DFCS_MENUBULLET);
       }},
      {"wide lines", [](HDC dc) {
         HPEN pen = CreatePen(PS_SOLID, 2000000, RGB(0, 0, 0));
         SelectObject(dc, pen);
         MoveToEx(dc, -kFar, 2, nullptr);
         LineTo(dc, kFar, 2);
         SelectObject(dc, GetStockObject(BLACK_PEN));
         DeleteObject(pen);
       }},
  };
  for (const Case& c : cases) {
    TPaintDC p(6, 4);
    p.Select(GetStockObject(BLACK_BRUSH));
    c.Draw(p.Dc);
    EXPECT_EQ(p.Picture(), Rows({"KKKKKK", "KKKKKK", "KKKKKK", "KKKKKK"})) << c.Name;
  }
  TPaintDC p(6, 4);
  HPEN dot = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
  p.Select(dot);
  SetBkMode(p.Dc, TRANSPARENT);
  MoveToEx(p.Dc, -kFar + 1, 0, nullptr);  // the dot run keeps its phase to the visible part
  LineTo(p.Dc, kFar, 0);
  int phase = (1 << 29) % 6;  // pixels from the start, cut to -2^29, to x = 0
  std::string row;
  for (int x = 0; x < 6; ++x) row += (phase + x) % 6 < 3 ? 'K' : '.';
  EXPECT_EQ(p.Picture().substr(0, 7), row + "\n");
  DeleteObject(dot);
}

// The brush-free solid fill must leave exactly the pixels FillRect with a solid
// brush of the same colour leaves: moved origin, clip, monochrome snapping, and a
// turned-round rectangle that fills nothing.
TEST(Shapes, SolidFillMatchesASolidBrushFill) {
  struct Case { bool Mono; TRect R; COLORREF C; };
  const Case cases[] = {{false, {1, 1, 9, 6}, RGB(255, 0, 0)}, {false, {-4, -4, 20, 20}, RGB(1, 2, 3)},
                        {false, {8, 6, 2, 1}, RGB(0, 0, 255)}, {true, {0, 2, 7, 5}, RGB(200, 200, 200)},
                        {true, {2, 0, 6, 8}, RGB(60, 60, 60)}};
  for (const Case& c : cases) {
    TPaintDC want(12, 9, kBack, c.Mono), got(12, 9, kBack, c.Mono);
    for (HDC dc : {want.Dc, got.Dc}) {
      SetViewportOrgEx(dc, 1, -1, nullptr);
      IntersectClipRect(dc, 0, 0, 8, 7);
    }
    HBRUSH b = CreateSolidBrush(c.C);
    FillRect(want.Dc, &c.R, b);
    DeleteObject(b);
    EXPECT_EQ(FillSolidRect(got.Dc, &c.R, c.C), 1);
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 12; ++x) EXPECT_EQ(got.At(x, y), want.At(x, y)) << x << "," << y << " mono " << c.Mono;
  }
}

// Runs of 64 pixels and more, and rectangles across the whole width (filled as one
// run over several rows), are written differently from short runs; each fill must
// still stop exactly at its own edges and at the clip.
TEST(Shapes, WideFillsStopAtTheirEdgesAndTheClip) {
  constexpr int kW = 150, kH = 7;
  const TRect all{0, 0, kW, kH};
  struct Case { const char* Name; TRect R; TRect Clip; };
  const Case cases[] = {
      {"whole width, middle rows", {0, 2, kW, 5}, all},
      {"whole width, one row", {-3, 3, kW + 3, 4}, all},
      {"beyond the surface on every side", {-10, -10, 200, 200}, all},
      {"63 pixels", {5, 1, 68, 6}, all},
      {"64 pixels", {5, 1, 69, 6}, all},
      {"65 pixels ending at the right edge", {85, 0, kW, kH}, all},
      {"long run cut on both sides by the clip", {0, 0, 131, kH}, {7, 1, 140, 6}},
      {"whole width, the clip takes the middle rows", all, {0, 2, kW, 4}},
      {"whole width, the clip leaves out the first column", all, {1, 0, kW, kH}},
  };
  const COLORREF color = RGB(10, 20, 30);
  for (const Case& c : cases)
    for (bool brush : {false, true}) {
      TPaintDC p(kW, kH);
      IntersectClipRect(p.Dc, c.Clip.Left, c.Clip.Top, c.Clip.Right, c.Clip.Bottom);
      if (brush) {
        HBRUSH b = CreateSolidBrush(color);
        FillRect(p.Dc, &c.R, b);
        DeleteObject(b);
      } else {
        FillSolidRect(p.Dc, &c.R, color);
      }
      auto in = [](const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; };
      int wrong = 0;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
          wrong += p.At(x, y) != (in(c.R, x, y) && in(c.Clip, x, y) ? color : kBack);
      EXPECT_EQ(wrong, 0) << c.Name << (brush ? " (FillRect)" : " (FillSolidRect)");
    }
}

// PaintRows: the rows a painter computes land where the clip and the surface let
// them, on a colour surface as given and on a monochrome one as black or white; the
// painter is asked only for what can show, and nothing outside R changes.
TEST(PaintRows, RowsGoUnderTheClipAndTheSurfaceOnly) {
  struct TCase {
    const char* Name;
    bool Mono;
    TRect R;     // logical; the origin is moved by (1, 2)
    TRect Hole;  // excluded from the clip when not empty
  } cases[] = {
      {"inside", false, {2, 1, 9, 6}, {}},
      {"off the surface", false, {-4, -5, 20, 3}, {}},
      {"hole", false, {0, 0, 10, 7}, {3, 2, 6, 4}},
      {"monochrome", true, {0, 0, 10, 7}, {}},
  };
  // Column X, row Y of R: white on even sums, red on odd ones.
  auto shade = [](int X, int Y) { return (X + Y) % 2 ? 0xFFFF0000u : 0xFFFFFFFFu; };
  for (const TCase& c : cases) {
    TPaintDC p(12, 9, kBack, c.Mono);
    SetViewportOrgEx(p.Dc, 1, 2, nullptr);
    if (!c.Hole.IsEmpty()) ExcludeClipRect(p.Dc, c.Hole.Left, c.Hole.Top, c.Hole.Right, c.Hole.Bottom);
    int asked = 0;
    ASSERT_TRUE(PaintRows(p.Dc, c.R, [&](int Y, int X, int Count, uint32_t* Pixels) {
      for (int i = 0; i < Count; ++i) Pixels[i] = shade(X + i, Y);
      asked += Count;
    }));
    const COLORREF back = c.Mono ? RGB(0, 0, 0) : kBack;  // green is dark: black on monochrome
    int wrong = 0, shown = 0;
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 12; ++x) {
        int lx = x - 1, ly = y - 2;
        bool in = lx >= c.R.Left && lx < c.R.Right && ly >= c.R.Top && ly < c.R.Bottom &&
                  !(lx >= c.Hole.Left && lx < c.Hole.Right && ly >= c.Hole.Top && ly < c.Hole.Bottom);
        COLORREF want = back;
        if (in) {
          bool odd = (lx - c.R.Left + ly - c.R.Top) % 2;
          want = !odd ? RGB(255, 255, 255) : c.Mono ? RGB(0, 0, 0) : RGB(255, 0, 0);
          ++shown;
        }
        if (p.At(x, y) != want) ++wrong;
      }
    EXPECT_EQ(wrong, 0) << c.Name;
    EXPECT_LE(asked, 12 * 9) << c.Name;  // never more than the surface holds
    EXPECT_GE(asked, shown) << c.Name;
  }
}
