// Block transfers: PatBlt, BitBlt and StretchBlt with ternary raster operations and
// monochrome <-> colour conversion.
#include <cstring>

#include "platform/graphics/gdi_internal.h"

using namespace gdi;

namespace {

// An extent from an origin: n >= 0 covers origin .. origin + n - 1; n < 0 covers
// origin + n + 1 .. origin (the origin pixel and the |n| - 1 before it). Pixel i of
// an extent counts from the origin in the extent's direction.
void Span(int Origin, int Extent, int& Lo, int& Hi) {
  if (Extent >= 0) { Lo = Origin; Hi = Origin + Extent; }
  else { Lo = Origin + Extent + 1; Hi = Origin + 1; }
}

// Stretching takes, for destination pixel i of n, source pixel (2i + 1) * m / (2n)
// of m: the source pixel under the destination pixel's centre. No pixels are
// blended; opposite signs of the two extents mirror the picture.
int MapIndex(int I, int DstLen, int SrcLen) {
  return static_cast<int>((int64_t(2) * I + 1) * SrcLen / (int64_t(2) * DstLen));
}

}  // namespace

bool PatBlt(HDC Dc, int X, int Y, int Width, int Height, uint32_t Rop) {
  if (!Dc) return false;
  uint8_t code = static_cast<uint8_t>(Rop >> 16);
  if (RopUsesSource(code)) return false;
  TRect r;
  Span(SurfX(Dc, X), ClampCoord(Width), r.Left, r.Right);
  Span(SurfY(Dc, Y), ClampCoord(Height), r.Top, r.Bottom);
  TBrushSampler brush(Dc, Dc->S.Brush);
  bool usesP = RopUsesPattern(code);
  if (usesP && brush.Null()) return true;  // a null brush leaves the pixels alone
  if (code == 0xF0) {
    FillBrushRect(Dc, r, brush);
    return true;
  }
  TSurface& s = Dc->Surface();
  TRect t;
  for (const TRect& c : Dc->ClipRects()) {
    if (!IntersectRect(t, c, r)) continue;
    for (int y = t.Top; y < t.Bottom; ++y) {
      uint32_t* row = s.Row(y);
      for (int x = t.Left; x < t.Right; ++x) {
        uint32_t p = 0;
        if (usesP && !brush.Sample(x, y, p)) continue;
        row[x] = Rop3(code, p, 0, row[x]);
      }
    }
  }
  return true;
}

namespace {

bool Blt(HDC Dst, int X, int Y, int Width, int Height, HDC Src, int SrcX, int SrcY, int SrcWidth,
         int SrcHeight, uint32_t Rop, bool Keyed, COLORREF Key) {
  if (!Dst) return false;
  uint8_t code = static_cast<uint8_t>(Rop >> 16);
  uint32_t key = ToPixel(Key) & 0xFFFFFF;
  bool usesS = RopUsesSource(code), usesP = RopUsesPattern(code);
  if (!usesS) return PatBlt(Dst, X, Y, Width, Height, Rop);
  if (!Src) return false;
  Width = ClampCoord(Width);
  Height = ClampCoord(Height);
  SrcWidth = ClampCoord(SrcWidth);
  SrcHeight = ClampCoord(SrcHeight);
  int dw = std::abs(Width), dh = std::abs(Height), sw = std::abs(SrcWidth), sh = std::abs(SrcHeight);
  if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return true;

  TSurface& ds = Dst->Surface();
  const TSurface& ss = Src->Surface();
  int dox = SurfX(Dst, X), doy = SurfY(Dst, Y);
  int sox = SurfX(Src, SrcX), soy = SurfY(Src, SrcY);
  TRect whole;
  Span(dox, Width, whole.Left, whole.Right);
  Span(doy, Height, whole.Top, whole.Bottom);
  // Only the visible part of the destination is mapped.
  TRect dr;
  if (!IntersectRect(dr, whole, VisibleBox(Dst))) return true;

  // A plain copy at the same size between surfaces of one kind moves whole rows.
  // Within one surface it runs only under a single clip rectangle, rows taken in
  // the order that reads every source row before it is overwritten.
  if (code == 0xCC && !Keyed && ss.Mono == ds.Mono && Width == SrcWidth && Height == SrcHeight && Width > 0 &&
      Height > 0 && (&ss != &ds || Dst->ClipRects().size() == 1)) {
    TRect inSource = {dox - sox, doy - soy, dox - sox + ss.Width, doy - soy + ss.Height};
    for (const TRect& c : Dst->ClipRects()) {
      TRect t;
      if (!IntersectRect(t, c, dr) || !IntersectRect(t, t, inSource)) continue;
      size_t n = static_cast<size_t>(t.Width());
      int sx = t.Left - dox + sox;
      auto copyRow = [&](int y) {
        const uint32_t* from = ss.Row(y - doy + soy) + sx;
        std::memmove(ds.Row(y) + t.Left, from, n * sizeof(uint32_t));
      };
      if (&ss == &ds && doy > soy) {
        for (int y = t.Bottom - 1; y >= t.Top; --y) copyRow(y);
      } else {
        for (int y = t.Top; y < t.Bottom; ++y) copyRow(y);
      }
    }
    return true;
  }

  // Source coordinate for each visible destination column and row (surface coordinates).
  std::vector<int> mapX(static_cast<size_t>(dr.Width())), mapY(static_cast<size_t>(dr.Height()));
  for (int dx = dr.Left; dx < dr.Right; ++dx) {
    int i = Width >= 0 ? dx - dox : dox - dx;
    int j = MapIndex(i, dw, sw);
    mapX[static_cast<size_t>(dx - dr.Left)] = ClampCoord(SrcWidth >= 0 ? int64_t(sox) + j : int64_t(sox) - j);
  }
  for (int dy = dr.Top; dy < dr.Bottom; ++dy) {
    int i = Height >= 0 ? dy - doy : doy - dy;
    int j = MapIndex(i, dh, sh);
    mapY[static_cast<size_t>(dy - dr.Top)] = ClampCoord(SrcHeight >= 0 ? int64_t(soy) + j : int64_t(soy) - j);
  }

  // A copy within one surface reads from a snapshot of the source block, so that
  // overlapping areas copy as if all pixels were read first.
  const TSurface* from = &ss;
  TSurface snapshot;
  int snapX = 0, snapY = 0;
  if (&ss == &ds) {
    auto [x0, x1] = std::minmax_element(mapX.begin(), mapX.end());
    auto [y0, y1] = std::minmax_element(mapY.begin(), mapY.end());
    TRect box;
    if (!IntersectRect(box, {*x0, *y0, *x1 + 1, *y1 + 1}, {0, 0, ss.Width, ss.Height})) return true;
    snapshot.Width = box.Width();
    snapshot.Height = box.Height();
    snapshot.Mono = ss.Mono;
    snapshot.Bits.resize(static_cast<size_t>(box.Width()) * static_cast<size_t>(box.Height()));
    for (int y = box.Top; y < box.Bottom; ++y)
      std::copy(ss.Row(y) + box.Left, ss.Row(y) + box.Right, snapshot.Row(y - box.Top));
    from = &snapshot;
    snapX = box.Left;
    snapY = box.Top;
  }

  // Monochrome source on a colour destination: 0 bits take the destination's text
  // colour, 1 bits its background colour. Colour source on a monochrome
  // destination: pixels equal to the source's background colour become 1 (white),
  // all others 0 (black).
  enum { kAsIs, kMonoToColor, kColorToMono } conv = kAsIs;
  if (ss.Mono && !ds.Mono) conv = kMonoToColor;
  else if (!ss.Mono && ds.Mono) conv = kColorToMono;
  uint32_t text = ToPixel(Dst->S.TextColor), back = ToPixel(Dst->S.BkColor);
  uint32_t srcBack = ToPixel(Src->S.BkColor) & 0xFFFFFF;

  TBrushSampler brush(Dst, Dst->S.Brush);
  if (usesP && brush.Null()) return true;
  TRect t;
  for (const TRect& c : Dst->ClipRects()) {
    if (!IntersectRect(t, c, dr)) continue;
    for (int y = t.Top; y < t.Bottom; ++y) {
      int sy = mapY[static_cast<size_t>(y - dr.Top)] - snapY;
      if (sy < 0 || sy >= from->Height) continue;  // outside the source: left alone
      const uint32_t* srow = from->Row(sy);
      uint32_t* drow = ds.Row(y);
      for (int x = t.Left; x < t.Right; ++x) {
        int sx = mapX[static_cast<size_t>(x - dr.Left)] - snapX;
        if (sx < 0 || sx >= from->Width) continue;
        uint32_t sv = srow[sx];
        if (Keyed && (sv & 0xFFFFFF) == key) continue;
        if (conv == kMonoToColor) sv = sv == kWhite ? back : text;
        else if (conv == kColorToMono) sv = (sv & 0xFFFFFF) == srcBack ? kWhite : kBlack;
        uint32_t p = 0;
        if (usesP && !brush.Sample(x, y, p)) continue;
        drow[x] = code == 0xCC ? sv : Rop3(code, p, sv, drow[x]);
      }
    }
  }
  return true;
}

}  // namespace

bool StretchBlt(HDC Dst, int X, int Y, int Width, int Height, HDC Src, int SrcX, int SrcY,
                int SrcWidth, int SrcHeight, uint32_t Rop) {
  return Blt(Dst, X, Y, Width, Height, Src, SrcX, SrcY, SrcWidth, SrcHeight, Rop, false, 0);
}

bool TransparentBlt(HDC Dst, int X, int Y, int Width, int Height, HDC Src, int SrcX, int SrcY,
                    int SrcWidth, int SrcHeight, COLORREF Transparent) {
  return Blt(Dst, X, Y, Width, Height, Src, SrcX, SrcY, SrcWidth, SrcHeight, SRCCOPY, true, Transparent);
}

bool BitBlt(HDC Dst, int X, int Y, int Width, int Height, HDC Src, int SrcX, int SrcY, uint32_t Rop) {
  return StretchBlt(Dst, X, Y, Width, Height, Src, SrcX, SrcY, Width, Height, Rop);
}
