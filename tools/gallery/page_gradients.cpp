// The "gradients" page: every PaintGradient direction with 1, 9 and 16 colours and
// at width or height 1; tiled, realized-tiled, centred, stretched and masked
// bitmaps; trapezoids with their bevels.
//
// Grid (tests may check it): direction d, colour row r at x = 96 + d * 64,
// y = 24 + r * 64, 56 x 56 pixels (rows 0..2: 1, 9, 16 colours); row 3 holds, per
// direction, a 1 x 56 strip at the cell's left and a 48 x 1 line at its top + 4.
#include <string>

#include "controls/common/gradients.h"
#include "tools/gallery/gallery.h"

namespace {

constexpr int CellX = 96, CellY = 24, Cell = 56, Pitch = 64;
const char* const DirectionNames[10] = {"DiagUp",  "DiagDown", "HorzEnd", "HorzCtr", "HorzBox",
                                        "VertEnd", "VertCtr",  "VertBox", "Square",  "BigSquare"};
constexpr TColor Magenta = 0xFF00FF;

void Text(TCanvas* Canvas, int X, int Y, const std::string& S) {
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(X, Y, S);
  Canvas->Brush()->SetStyle(bsSolid);
}

// A 16 x 16 tile: a blue ring on magenta (the transparent colour) with a yellow
// corner, so tiling, centring and masking are easy to tell apart.
void MakeTile(TBitmap& B) {
  B.SetSize(16, 16);
  TCanvas* c = B.Canvas();
  c->Brush()->SetColor(Magenta);
  c->FillRect(Rect(0, 0, 16, 16));
  c->Brush()->SetColor(clNavy);
  c->Pen()->SetColor(clNavy);
  c->Ellipse(2, 2, 14, 14);
  c->Brush()->SetColor(Magenta);
  c->Ellipse(5, 5, 11, 11);
  c->Brush()->SetColor(clYellow);
  c->FillRect(Rect(0, 0, 4, 4));
}

void PaintGradients(TCanvas* Canvas, const TRect& Client) {
  Canvas->Brush()->SetColor(clBtnFace);
  Canvas->FillRect(Client);
  for (int d = 0; d < 10; ++d) Text(Canvas, CellX + d * Pitch, 6, DirectionNames[d]);
  const char* const rowNames[4] = {"1 colour", "9 colours", "16 colours", "w 1 / h 1"};
  const uint8_t colors[3] = {1, 9, 16};
  for (int r = 0; r < 4; ++r) Text(Canvas, 8, CellY + r * Pitch + 22, rowNames[r]);
  for (int d = 0; d < 10; ++d) {
    auto dir = static_cast<TGradientDirection>(d);
    int x = CellX + d * Pitch;
    for (int r = 0; r < 3; ++r)
      PaintGradient(Canvas, Bounds(x, CellY + r * Pitch, Cell, Cell), dir, clNavy, clYellow, colors[r]);
    int y = CellY + 3 * Pitch;
    PaintGradient(Canvas, Bounds(x, y, 1, Cell), dir, clNavy, clYellow, 1);
    PaintGradient(Canvas, Bounds(x + 6, y + 4, 48, 1), dir, clNavy, clYellow, 1);
    PaintGradient(Canvas, Bounds(x + 6, y + 10, 48, 40), dir, clBtnShadow, clWindow, 1);  // system colours
  }

  // Bitmaps: 96 x 64 areas in one row.
  TBitmap tile;
  MakeTile(tile);
  int y = CellY + 4 * Pitch + 16;
  struct TArea {
    const char* Name;
    void (*Draw)(TCanvas*, TBitmap*, const TRect&);
  } const areas[] = {
      {"tiled", [](TCanvas* c, TBitmap* b, const TRect& r) { TileBitmap(c, b, r); }},
      {"realized", [](TCanvas* c, TBitmap* b, const TRect& r) { TileRealizedBitmap(c, b, r); }},
      {"centred", [](TCanvas* c, TBitmap* b, const TRect& r) { CenterBitmap(c, b, r); }},
      {"stretched", [](TCanvas* c, TBitmap* b, const TRect& r) { StretchBitmap(c, b, r); }},
      {"masked", [](TCanvas* c, TBitmap* b, const TRect& r) { StretchTransparentBitmap(c, b, r, Magenta); }},
      {"masked tiles", [](TCanvas* c, TBitmap* b, const TRect& r) { TileTransparentBitmap(c, b, r, Magenta); }},
      {"full mask", [](TCanvas* c, TBitmap* b, const TRect& r) {
         DrawFullTransparentBitmap(c, b, r, Rect(0, 0, 16, 16), Magenta);
       }},
  };
  int x = 8;
  for (const TArea& a : areas) {
    TRect r = Bounds(x, y + 16, 88, 60);
    Text(Canvas, x, y, a.Name);
    PaintGradient(Canvas, r, gdVerticalEnd, clWhite, clSilver, 1);  // shows what the mask lets through
    a.Draw(Canvas, &tile, r);
    x += 96;
  }
  TRect small = Bounds(x, y + 16, 10, 10);  // centring a bitmap larger than the rectangle
  Text(Canvas, x, y, "cut");
  CenterBitmap(Canvas, &tile, small);

  // Trapezoids: a bar meter segment each way, filled, cut and bevelled.
  y += 92;
  Text(Canvas, 8, y, "trapezoids");
  const TDirection dirs[4] = {dirUp, dirDown, dirLeft, dirRight};
  for (int i = 0; i < 4; ++i) {
    TRect r = i < 2 ? Bounds(100 + i * 90, y, 60, 80) : Bounds(100 + i * 110, y + 10, 90, 50);
    TTrap t;
    SetTrapezoid(t, r, 16, tsCenter, dirs[i], tdLargeToSmall);
    Canvas->Brush()->SetColor(clTeal);
    Canvas->Pen()->SetColor(clTeal);
    Canvas->Polygon({t.P0, t.P1, t.P2, t.P3});
    TRect cut = r;
    if (i < 2) InflateRect(cut, 0, -20);
    else InflateRect(cut, -25, 0);
    TTrap inner;
    AdjustTrapezoid(t, cut, dirs[i], inner);
    Canvas->Brush()->SetColor(clLime);
    Canvas->Pen()->SetColor(clLime);
    Canvas->Polygon({inner.P0, inner.P1, inner.P2, inner.P3});
    DrawTrapezoidBorder(Canvas, t, i % 2 ? TTrapBevelStyle::bsRaised : TTrapBevelStyle::bsLowered, 2);
  }
  Canvas->Pen()->SetColor(clBlack);
}

TGalleryPageRegistrar reg{{"gradients", 760, 560, "", PaintGradients, nullptr}};

}  // namespace
