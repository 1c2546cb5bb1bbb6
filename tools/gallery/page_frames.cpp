// The "frames" page: every frame style through DrawFrame (system colours, and
// colours derived from clBtnFace) and through the stacked painters (outer style,
// border ring, inner style), each on all sides, left+top and no sides; below them
// focus borders at odd and even sizes, the dashed border with a solid box drawn
// after it, boxes, corner hooks, rounded flat borders and drop shadows.
//
// Cell grid (tests check it): the cell of style s, column c is at
// x = 96 + c * 52, y = 40 + s * 28, 44 x 22 pixels; columns 0..2 DrawFrame with
// clWindow (all, left+top, none), 3..5 DrawFrame with clBtnFace, 6..8 stacked.
#include "controls/common/frames.h"
#include "platform/core/typinfo.h"
#include "tools/gallery/gallery.h"

namespace {

constexpr int CellX = 96, CellY = 40, CellW = 44, CellH = 22, PitchX = 52, PitchY = 28;
const TSides SideSets[3] = {AllSides, TSides{sdLeft, sdTop}, TSides{}};
const char* const SideNames[3] = {"all", "L+T", "none"};

// Draws with (X, Y) as the canvas origin.
template <class Fn>
void At(TCanvas* Canvas, int X, int Y, Fn Draw) {
  HDC dc = Canvas->Handle();
  TPoint old;
  OffsetViewportOrgEx(dc, X, Y, &old);
  Draw();
  SetViewportOrgEx(dc, old.X, old.Y, nullptr);
}

void Text(TCanvas* Canvas, int X, int Y, const std::string& S) {
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(X, Y, S);
  Canvas->Brush()->SetStyle(bsSolid);
}

void Fill(TCanvas* Canvas, const TRect& R, TColor Color) {
  Canvas->Brush()->SetColor(Color);
  Canvas->FillRect(R);
}

void PaintFrameGrid(TCanvas* Canvas) {
  Text(Canvas, CellX, 4, "DrawFrame, clWindow");
  Text(Canvas, CellX + 3 * PitchX, 4, "DrawFrame, clBtnFace");
  Text(Canvas, CellX + 6 * PitchX, 4, "outer, ring, inner");
  for (int c = 0; c < 9; ++c) Text(Canvas, CellX + c * PitchX + 4, 22, SideNames[c % 3]);
  for (int s = 0; s <= static_cast<int>(fsFlatRounded); ++s) {
    auto style = static_cast<TFrameStyleEx>(s);
    int y = CellY + s * PitchY;
    Text(Canvas, 6, y + 4, GetEnumName(TEnumTraits<TFrameStyleEx>::Info(), s));
    for (int c = 0; c < 6; ++c) {
      TColor color = c < 3 ? clWindow : clBtnFace;
      TRect cell = Bounds(CellX + c * PitchX, y, CellW, CellH);
      Fill(Canvas, cell, color);
      At(Canvas, cell.Left, cell.Top, [&] {
        DrawFrame(Canvas, CellW, CellH, style, color, clBlack, SideSets[c % 3], false);
      });
    }
    for (int c = 0; c < 3; ++c) {
      TRect cell = Bounds(CellX + (6 + c) * PitchX, y, CellW, CellH);
      TRect inner = DrawInnerOuterBorders(Canvas, cell, style, style, 1, SideSets[c], 1, clGray, clBtnHighlight,
                                          clBtnShadow, clBtnShadow, 0, clBtnFace, clBtnFace, false, false);
      Fill(Canvas, inner, clWindow);
    }
  }
}

void PaintHelpers(TCanvas* Canvas, int Top) {
  Text(Canvas, 6, Top, "DrawFocusBorder on white and clBtnFace: 1x9, 9x1, 7x7, 8x8, 7x8, 20x12, 21x13");
  const TSize sizes[] = {{1, 9}, {9, 1}, {7, 7}, {8, 8}, {7, 8}, {20, 12}, {21, 13}};
  int x = 6;
  for (TSize sz : sizes) {
    for (int row = 0; row < 2; ++row) {
      TRect r = Bounds(x, Top + 20 + row * 18, sz.cx, sz.cy);
      if (!row) Fill(Canvas, {r.Left - 2, r.Top - 2, r.Right + 2, r.Bottom + 2}, clWhite);
      DrawFocusBorder(Canvas, r);
    }
    x += sz.cx + 10;
  }

  int y = Top + 64;
  Text(Canvas, 6, y, "dashed, then a box");
  Fill(Canvas, Bounds(6, y + 18, 60, 30), clWindow);
  DrawDashedBorder(Canvas, Bounds(6, y + 18, 60, 30), clBlack);
  DrawBox(Canvas, Bounds(12, y + 24, 48, 18), clNavy);

  Text(Canvas, 150, y, "box, corners, rounded");
  Fill(Canvas, Bounds(150, y + 18, 40, 30), clWindow);
  DrawBox(Canvas, Bounds(150, y + 18, 40, 30), clBtnShadow);
  Fill(Canvas, Bounds(198, y + 18, 40, 30), clWindow);
  DrawBoxCorners(Canvas, Bounds(198, y + 18, 40, 30), clRed, 6);
  Fill(Canvas, Bounds(246, y + 18, 40, 30), clWindow);
  DrawRoundedFlatBorder(Canvas, Bounds(246, y + 18, 40, 30), clBtnShadow, AllSides);
  Fill(Canvas, Bounds(294, y + 18, 40, 30), clWindow);
  DrawRoundedFlatBorder(Canvas, Bounds(294, y + 18, 40, 30), clBtnShadow, TSides{sdLeft, sdTop});

  y += 64;
  Text(Canvas, 6, y, "DrawDropShadow, depth 2, 4, 8 on clBtnFace and white");
  int sx = 6;
  for (TColor back : {clBtnFace, clWhite}) {
    for (int depth : {2, 4, 8}) {
      TRect r = Bounds(sx, y + 18, 60, 36);
      Fill(Canvas, {r.Left - 4, r.Top - 4, r.Right + 12, r.Bottom + 12}, back);
      Fill(Canvas, r, clWindow);
      DrawBox(Canvas, r, clBtnShadow);
      DrawDropShadow(Canvas, r, depth, clBlack);
      sx += 60 + 24;
    }
  }
}

void PaintFrames(TCanvas* Canvas, const TRect& Client) {
  Fill(Canvas, Client, clBtnFace);
  PaintFrameGrid(Canvas);
  PaintHelpers(Canvas, CellY + 12 * PitchY + 8);
}

TGalleryPageRegistrar reg{{"frames", CellX + 9 * PitchX + 8, CellY + 12 * PitchY + 8 + 200, "", PaintFrames, nullptr}};

}  // namespace
