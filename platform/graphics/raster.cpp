// The raster engine for lines, shapes, fills and single pixels. Coordinates are
// converted from logical to surface coordinates on entry; every pixel written goes
// through the device context's clip.
#include <cmath>

#include "platform/graphics/gdi_internal.h"

namespace gdi {

namespace {

int FloorDiv(int64_t A, int64_t B) {  // B > 0
  int64_t q = A / B;
  if ((A % B != 0) && (A < 0)) --q;
  return static_cast<int>(q);
}
int CeilDiv(int64_t A, int64_t B) { return -FloorDiv(-A, B); }
int Mod(int A, int M) {
  int r = A % M;
  return r < 0 ? r + M : r;
}

}  // namespace

// Hatches repeat every 8 pixels from the brush origin (px, py in 0..7): horizontal
// lines on row 7, vertical ones on column 7, forward diagonals "\" where px == py,
// backward diagonals "/" where px + py == 7.
static bool HatchOn(unsigned Hatch, int Px, int Py) {
  switch (Hatch) {
    case HS_HORIZONTAL: return Py == 7;
    case HS_VERTICAL: return Px == 7;
    case HS_FDIAGONAL: return Px == Py;
    case HS_BDIAGONAL: return Px + Py == 7;
    case HS_CROSS: return Px == 7 || Py == 7;
    case HS_DIAGCROSS: return Px == Py || Px + Py == 7;
    default: return false;
  }
}

TBrushSampler::TBrushSampler(TDeviceContext* Dc, HBRUSH Brush) {
  const TSurface& target = Dc->Surface();
  FMonoTarget = target.Mono;
  FOrgX = Dc->DCOrg.X + Dc->S.BrushOrg.X;
  FOrgY = Dc->DCOrg.Y + Dc->S.BrushOrg.Y;
  if (!Brush || Brush->Log.lbStyle == BS_NULL) {
    FNull = true;
    return;
  }
  switch (Brush->Log.lbStyle) {
    case BS_HATCHED:
      FSolid = false;
      FHatch = static_cast<unsigned>(Brush->Log.lbHatch);
      FColor = ForSurface(target, ToPixel(Brush->Log.lbColor));
      FBack = ForSurface(target, ToPixel(Dc->S.BkColor));
      FBackTransparent = Dc->S.BkMode == TRANSPARENT;
      break;
    case BS_PATTERN:
      FSolid = false;
      FPattern = Brush->Pattern.get();
      if (!FPattern || FPattern->Width <= 0 || FPattern->Height <= 0) {
        FNull = true;
        break;
      }
      // A monochrome pattern on a colour surface takes the text (0) and background
      // (1) colours; between two monochrome surfaces the bits are used as they are.
      FPatMap = FPattern->Mono && !FMonoTarget;
      FPatText = ToPixel(Dc->S.TextColor);
      FPatBack = ToPixel(Dc->S.BkColor);
      break;
    default:
      FColor = ForSurface(target, ToPixel(Brush->Log.lbColor));
      break;
  }
}

bool TBrushSampler::Sample(int Sx, int Sy, uint32_t& P) const {
  if (FSolid) {
    P = FColor;
    return true;
  }
  if (FPattern) {
    uint32_t v = FPattern->Row(Mod(Sy - FOrgY, FPattern->Height))[Mod(Sx - FOrgX, FPattern->Width)];
    if (FPatMap) P = v == kWhite ? FPatBack : FPatText;
    else P = FMonoTarget ? SnapMono(v) : v;
    return true;
  }
  if (HatchOn(FHatch, Mod(Sx - FOrgX, 8), Mod(Sy - FOrgY, 8))) {
    P = FColor;
    return true;
  }
  if (FBackTransparent) return false;
  P = FBack;
  return true;
}

bool InClip(TDeviceContext* Dc, int X, int Y) {
  for (const TRect& c : Dc->ClipRects())
    if (X >= c.Left && X < c.Right && Y >= c.Top && Y < c.Bottom) return true;
  return false;
}

void PutPixelRop2(TDeviceContext* Dc, int X, int Y, uint32_t Color, int Rop) {
  if (!InClip(Dc, X, Y)) return;
  uint32_t& d = Dc->Surface().Row(Y)[X];
  d = Rop2(Rop, Color, d);
}

void FillSpanRop2(TDeviceContext* Dc, int Y, int X0, int X1, uint32_t Color, int Rop) {
  TSurface& s = Dc->Surface();
  for (const TRect& c : Dc->ClipRects()) {
    if (Y < c.Top || Y >= c.Bottom) continue;
    int a = std::max(X0, c.Left), b = std::min(X1, c.Right);
    if (a >= b) continue;
    uint32_t* row = s.Row(Y);
    if (Rop == R2_COPYPEN) std::fill(row + a, row + b, Color);
    else
      for (int x = a; x < b; ++x) row[x] = Rop2(Rop, Color, row[x]);
  }
}

void FillBrushSpan(TDeviceContext* Dc, int Y, int X0, int X1, const TBrushSampler& Brush, int Rop) {
  if (Brush.Null()) return;
  if (Brush.Solid()) {
    FillSpanRop2(Dc, Y, X0, X1, Brush.SolidPixel(), Rop);
    return;
  }
  TSurface& s = Dc->Surface();
  for (const TRect& c : Dc->ClipRects()) {
    if (Y < c.Top || Y >= c.Bottom) continue;
    int a = std::max(X0, c.Left), b = std::min(X1, c.Right);
    uint32_t* row = s.Row(Y);
    uint32_t p;
    for (int x = a; x < b; ++x)
      if (Brush.Sample(x, Y, p)) row[x] = Rop2(Rop, p, row[x]);
  }
}

void FillBrushRect(TDeviceContext* Dc, const TRect& R, const TBrushSampler& Brush) {
  if (Brush.Null() || R.IsEmpty()) return;
  TSurface& s = Dc->Surface();
  TRect t;
  for (const TRect& c : Dc->ClipRects()) {
    if (!IntersectRect(t, c, R)) continue;
    for (int y = t.Top; y < t.Bottom; ++y) {
      uint32_t* row = s.Row(y);
      if (Brush.Solid()) {
        std::fill(row + t.Left, row + t.Right, Brush.SolidPixel());
      } else {
        uint32_t p;
        for (int x = t.Left; x < t.Right; ++x)
          if (Brush.Sample(x, y, p)) row[x] = p;
      }
    }
  }
}

void PolygonSpans(const TPoint* Pts, int Count, std::vector<TRect>& Spans) {
  if (Count < 3) return;
  int ymin = Pts[0].Y, ymax = Pts[0].Y;
  for (int i = 1; i < Count; ++i) {
    ymin = std::min(ymin, Pts[i].Y);
    ymax = std::max(ymax, Pts[i].Y);
  }
  if (ymin >= ymax) return;
  std::vector<std::vector<int>> rows(static_cast<size_t>(ymax - ymin));
  // Alternate rule at pixel centres: vertices sit on pixel corners, pixel (x, y) is
  // filled when its centre (x + 0.5, y + 0.5) lies inside. Centres never fall on a
  // vertex row, so no edge end is counted twice; a centre exactly on an edge belongs
  // to the pixel right of it (left edges in, right edges out).
  for (int i = 0; i < Count; ++i) {
    TPoint a = Pts[i], b = Pts[(i + 1) % Count];
    if (a.Y == b.Y) continue;
    int y0 = std::min(a.Y, b.Y), y1 = std::max(a.Y, b.Y);
    for (int y = y0; y < y1; ++y) {
      // Crossing at the row centre: x = num / den; first pixel whose centre is at or
      // right of it: ceil(x - 1/2).
      int64_t num = int64_t(2) * a.X * (b.Y - a.Y) + int64_t(2 * y + 1 - 2 * a.Y) * (b.X - a.X);
      int64_t den = int64_t(2) * (b.Y - a.Y);
      if (den < 0) { num = -num; den = -den; }
      rows[static_cast<size_t>(y - ymin)].push_back(CeilDiv(2 * num - den, 2 * den));
    }
  }
  for (size_t r = 0; r < rows.size(); ++r) {
    std::vector<int>& xs = rows[r];
    std::sort(xs.begin(), xs.end());
    int y = ymin + static_cast<int>(r);
    for (size_t k = 0; k + 1 < xs.size(); k += 2)
      if (xs[k] < xs[k + 1]) Spans.push_back({xs[k], y, xs[k + 1], y + 1});
  }
}

}  // namespace gdi

using namespace gdi;

namespace {

// The pen of an operation.
struct TPenInfo {
  bool Null = true;
  int Width = 1;
  unsigned Style = PS_SOLID;
  uint32_t Color = 0;
  uint32_t Back = 0;
  bool BackOpaque = false;
  int Rop = R2_COPYPEN;
};

TPenInfo PenOf(TDeviceContext* Dc) {
  TPenInfo p;
  HPEN pen = Dc->S.Pen;
  if (!pen || pen->Log.lopnStyle == PS_NULL) return p;
  const TSurface& s = Dc->Surface();
  p.Null = false;
  p.Width = std::max(1, pen->Log.lopnWidth.X);
  p.Style = pen->Log.lopnStyle == PS_INSIDEFRAME ? PS_SOLID : pen->Log.lopnStyle;
  if (p.Width > 1) p.Style = PS_SOLID;
  p.Color = ForSurface(s, ToPixel(pen->Log.lopnColor));
  p.Back = ForSurface(s, ToPixel(Dc->S.BkColor));
  p.BackOpaque = Dc->S.BkMode == OPAQUE;
  p.Rop = Dc->S.Rop2;
  return p;
}

// Dash patterns of one-pixel styled pens, as runs of pixels on, off, on, off...
// The run position starts at 0 with MoveToEx (and with each Polyline, Polygon or
// Rectangle) and carries on from one LineTo to the next.
bool StyleOn(unsigned Style, int Pos) {
  static const int kDash[] = {18, 6}, kDot[] = {3, 3}, kDashDot[] = {9, 6, 3, 6},
                   kDashDotDot[] = {9, 3, 3, 3, 3, 3};
  const int* runs;
  int n;
  switch (Style) {
    case PS_DASH: runs = kDash; n = 2; break;
    case PS_DOT: runs = kDot; n = 2; break;
    case PS_DASHDOT: runs = kDashDot; n = 4; break;
    case PS_DASHDOTDOT: runs = kDashDotDot; n = 6; break;
    default: return true;
  }
  int total = 0;
  for (int i = 0; i < n; ++i) total += runs[i];
  int p = Pos % total;
  for (int i = 0; i < n; ++i) {
    if (p < runs[i]) return i % 2 == 0;
    p -= runs[i];
  }
  return true;
}

void PenPixel(TDeviceContext* Dc, const TPenInfo& Pen, int X, int Y, int& StylePos) {
  if (Pen.Style == PS_SOLID) {
    PutPixelRop2(Dc, X, Y, Pen.Color, Pen.Rop);
    return;
  }
  if (StyleOn(Pen.Style, StylePos)) PutPixelRop2(Dc, X, Y, Pen.Color, Pen.Rop);
  else if (Pen.BackOpaque) PutPixelRop2(Dc, X, Y, Pen.Back, Pen.Rop);
  ++StylePos;
}

// The pixels of a line from (X0, Y0) towards (X1, Y1). The longer axis steps one
// pixel at a time; the other coordinate is the exact one rounded to the nearest
// pixel, a tie going to the smaller coordinate. Equal extents give exact diagonals.
template <class F>
void WalkLine(int X0, int Y0, int X1, int Y1, bool IncludeEnd, F&& Plot) {
  int dx = X1 - X0, dy = Y1 - Y0;
  int adx = std::abs(dx), ady = std::abs(dy);
  if (adx == 0 && ady == 0) {
    if (IncludeEnd) Plot(X0, Y0);
    return;
  }
  int steps = std::max(adx, ady) + (IncludeEnd ? 1 : 0);
  // Minor offset at step t: floor((2 t d + n - 1) / 2n), n the major extent and d
  // the signed minor one; kept as quotient and remainder, one step at a time.
  bool xMajor = adx >= ady;
  int64_t n = xMajor ? adx : ady, d = xMajor ? dy : dx, den = 2 * n;
  int64_t q = 0, rem = n - 1;
  int step = (xMajor ? dx : dy) > 0 ? 1 : -1;
  for (int t = 0; t < steps; ++t) {
    if (xMajor) Plot(X0 + step * t, Y0 + static_cast<int>(q));
    else Plot(X0 + static_cast<int>(q), Y0 + step * t);
    rem += 2 * d;
    if (rem >= den) { rem -= den; ++q; }
    else if (rem < 0) { rem += den; --q; }
  }
}

// The union of the pixels a wide pen covers, kept as row runs so that each pixel is
// painted once whatever the mix mode.
class TSpanSet {
public:
  void Add(int Y, int X0, int X1) {
    if (X0 < X1) FSpans.push_back({X0, Y, X1, Y + 1});
  }
  // A wide pen puts a Width x Width square on every pixel of the path, covering
  // X - Width / 2 .. X - Width / 2 + Width - 1 (the same vertically).
  void Stamp(int X, int Y, int Width) {
    int x0 = X - Width / 2, y0 = Y - Width / 2;
    for (int y = y0; y < y0 + Width; ++y) Add(y, x0, x0 + Width);
  }
  void Paint(TDeviceContext* Dc, uint32_t Color, int Rop) {
    std::sort(FSpans.begin(), FSpans.end(), [](const TRect& a, const TRect& b) {
      return a.Top != b.Top ? a.Top < b.Top : a.Left < b.Left;
    });
    size_t i = 0;
    while (i < FSpans.size()) {
      int y = FSpans[i].Top, x0 = FSpans[i].Left, x1 = FSpans[i].Right;
      size_t j = i + 1;
      while (j < FSpans.size() && FSpans[j].Top == y && FSpans[j].Left <= x1) {
        x1 = std::max(x1, FSpans[j].Right);
        ++j;
      }
      FillSpanRop2(Dc, y, x0, x1, Color, Rop);
      i = j;
    }
  }
private:
  std::vector<TRect> FSpans;
};

// A path of points (surface coordinates) drawn with the pen. One-pixel pens leave
// out the final point; wide pens cover every point of the path.
void StrokePath(TDeviceContext* Dc, const TPenInfo& Pen, const TPoint* Pts, int Count, bool Closed,
                int& StylePos) {
  if (Pen.Null || Count < 1) return;
  int segs = Closed ? Count : Count - 1;
  if (Pen.Width == 1) {
    if (Pen.Style == PS_SOLID && Pen.Rop == R2_COPYPEN && !Closed && Count == 2 && Pts[0].Y == Pts[1].Y) {
      int x0 = Pts[0].X, x1 = Pts[1].X;
      if (x0 <= x1) FillSpanRop2(Dc, Pts[0].Y, x0, x1, Pen.Color, Pen.Rop);
      else FillSpanRop2(Dc, Pts[0].Y, x1 + 1, x0 + 1, Pen.Color, Pen.Rop);
      return;
    }
    if (Pen.Style == PS_SOLID) {
      // Solid pens: the clip and surface are looked up once per path.
      const std::vector<TRect>& clip = Dc->ClipRects();
      TSurface& s = Dc->Surface();
      auto put = [&](int x, int y) {
        for (const TRect& c : clip)
          if (x >= c.Left && x < c.Right && y >= c.Top && y < c.Bottom) {
            uint32_t& d = s.Row(y)[x];
            d = Pen.Rop == R2_COPYPEN ? Pen.Color : Rop2(Pen.Rop, Pen.Color, d);
            return;
          }
      };
      for (int i = 0; i < segs; ++i) {
        TPoint a = Pts[i], b = Pts[(i + 1) % Count];
        WalkLine(a.X, a.Y, b.X, b.Y, false, put);
      }
      return;
    }
    for (int i = 0; i < segs; ++i) {
      TPoint a = Pts[i], b = Pts[(i + 1) % Count];
      WalkLine(a.X, a.Y, b.X, b.Y, false, [&](int x, int y) { PenPixel(Dc, Pen, x, y, StylePos); });
    }
    return;
  }
  TSpanSet set;
  if (Count == 1) set.Stamp(Pts[0].X, Pts[0].Y, Pen.Width);
  for (int i = 0; i < segs; ++i) {
    TPoint a = Pts[i], b = Pts[(i + 1) % Count];
    WalkLine(a.X, a.Y, b.X, b.Y, true, [&](int x, int y) { set.Stamp(x, y, Pen.Width); });
  }
  set.Paint(Dc, Pen.Color, Pen.Rop);
}

std::vector<TPoint> ToSurface(TDeviceContext* Dc, const TPoint* Pts, int Count) {
  std::vector<TPoint> v(static_cast<size_t>(Count));
  for (int i = 0; i < Count; ++i) v[static_cast<size_t>(i)] = {Pts[i].X + Dc->OffX(), Pts[i].Y + Dc->OffY()};
  return v;
}

// Row runs of a closed shape: Rows[j] = [L, R) for row Top + j; L >= R when empty.
struct TShapeRows {
  int Top = 0;
  std::vector<std::pair<int, int>> Rows;
  bool Has(int J) const { return J >= 0 && J < static_cast<int>(Rows.size()) && Rows[J].first < Rows[J].second; }
  // One step of erosion by the four neighbours: a pixel stays when it and its left,
  // right, upper and lower neighbours are all in the shape. Wide outlines are the
  // shape minus its Width-times eroded inside.
  TShapeRows Eroded() const {
    TShapeRows e;
    e.Top = Top;
    e.Rows.resize(Rows.size(), {0, 0});
    for (int j = 0; j < static_cast<int>(Rows.size()); ++j) {
      if (!Has(j) || !Has(j - 1) || !Has(j + 1)) continue;
      int l = std::max({Rows[j].first + 1, Rows[j - 1].first, Rows[j + 1].first});
      int r = std::min({Rows[j].second - 1, Rows[j - 1].second, Rows[j + 1].second});
      if (l < r) e.Rows[j] = {l, r};
    }
    return e;
  }
};

// The pixels of an ellipse inscribed in [L, R) x [T, B): those whose centres lie on
// or inside it.
TShapeRows EllipseRows(int L, int T, int R, int B) {
  TShapeRows s;
  s.Top = T;
  int64_t A = R - L, Bh = B - T;
  if (A <= 0 || Bh <= 0) return s;
  s.Rows.resize(static_cast<size_t>(Bh), {0, 0});
  using i128 = __int128;
  auto inside = [&](int i, int j) {
    i128 u = 2 * int64_t(i) + 1 - (int64_t(L) + R), v = 2 * int64_t(j) + 1 - (int64_t(T) + B);
    return u * u * Bh * Bh + v * v * A * A <= i128(A) * A * Bh * Bh;
  };
  double c = double(L) + R - 1;
  for (int j = T; j < B; ++j) {
    double v = 2.0 * j + 1 - (double(T) + B);
    double rem = 1.0 - (v * v) / double(Bh * Bh);
    if (rem < 0) continue;
    double U = double(A) * std::sqrt(rem);
    int lo = static_cast<int>(std::ceil((c - U) / 2)), hi = static_cast<int>(std::floor((c + U) / 2));
    while (inside(lo - 1, j)) --lo;
    while (lo <= hi && !inside(lo, j)) ++lo;
    while (inside(hi + 1, j)) ++hi;
    while (hi >= lo && !inside(hi, j)) --hi;
    if (lo <= hi) s.Rows[static_cast<size_t>(j - T)] = {lo, hi + 1};
  }
  return s;
}

TShapeRows RectRows(int L, int T, int R, int B) {
  TShapeRows s;
  s.Top = T;
  if (R > L && B > T) s.Rows.assign(static_cast<size_t>(B - T), {L, R});
  return s;
}

// Brush inside, pen ring outside: the brush fills Inner, the pen paints Outer - Inner.
void PaintShape(TDeviceContext* Dc, const TShapeRows& Outer, const TShapeRows& Inner,
                const TPenInfo& Pen, bool FillRing) {
  TBrushSampler brush(Dc, Dc->S.Brush);
  for (size_t j = 0; j < Inner.Rows.size(); ++j)
    if (Inner.Has(static_cast<int>(j)))
      FillBrushSpan(Dc, Inner.Top + static_cast<int>(j), Inner.Rows[j].first, Inner.Rows[j].second, brush, Dc->S.Rop2);
  if (!FillRing) return;
  for (size_t j = 0; j < Outer.Rows.size(); ++j) {
    if (!Outer.Has(static_cast<int>(j))) continue;
    int y = Outer.Top + static_cast<int>(j);
    auto [l, r] = Outer.Rows[j];
    int ij = y - Inner.Top;
    if (Inner.Has(ij)) {
      FillSpanRop2(Dc, y, l, Inner.Rows[static_cast<size_t>(ij)].first, Pen.Color, Pen.Rop);
      FillSpanRop2(Dc, y, Inner.Rows[static_cast<size_t>(ij)].second, r, Pen.Color, Pen.Rop);
    } else {
      FillSpanRop2(Dc, y, l, r, Pen.Color, Pen.Rop);
    }
  }
}

void Normalise(int& L, int& T, int& R, int& B) {
  if (L > R) std::swap(L, R);
  if (T > B) std::swap(T, B);
}

}  // namespace

// ---------------------------------------------------------------------------
// Lines
// ---------------------------------------------------------------------------

bool MoveToEx(HDC Dc, int X, int Y, TPoint* Old) {
  if (!Dc) return false;
  if (Old) *Old = Dc->S.CurPos;
  Dc->S.CurPos = {X, Y};
  Dc->S.StylePos = 0;
  return true;
}

bool GetCurrentPositionEx(HDC Dc, TPoint* Pos) {
  if (!Dc || !Pos) return false;
  *Pos = Dc->S.CurPos;
  return true;
}

bool LineTo(HDC Dc, int X, int Y) {
  if (!Dc) return false;
  TPoint pts[2] = {Dc->S.CurPos, {X, Y}};
  std::vector<TPoint> s = ToSurface(Dc, pts, 2);
  StrokePath(Dc, PenOf(Dc), s.data(), 2, false, Dc->S.StylePos);
  Dc->S.CurPos = {X, Y};
  return true;
}

bool Polyline(HDC Dc, const TPoint* Points, int Count) {
  if (!Dc || !Points || Count < 2) return false;
  std::vector<TPoint> s = ToSurface(Dc, Points, Count);
  int style = 0;
  StrokePath(Dc, PenOf(Dc), s.data(), Count, false, style);
  return true;
}

// ---------------------------------------------------------------------------
// Shapes
// ---------------------------------------------------------------------------

bool Polygon(HDC Dc, const TPoint* Points, int Count) {
  if (!Dc || !Points || Count < 2) return false;
  std::vector<TPoint> s = ToSurface(Dc, Points, Count);
  std::vector<TRect> spans;
  PolygonSpans(s.data(), Count, spans);
  TBrushSampler brush(Dc, Dc->S.Brush);
  for (const TRect& r : spans) FillBrushSpan(Dc, r.Top, r.Left, r.Right, brush, Dc->S.Rop2);
  // The outline runs through every vertex and back to the first one.
  int style = 0;
  StrokePath(Dc, PenOf(Dc), s.data(), Count, true, style);
  return true;
}

// The outline lies inside the rectangle; the brush fills what the outline leaves.
// Without a pen the brush fills the rectangle less its right column and bottom row
// (the outline's share of the old rule that right and bottom edges are exclusive).
bool Rectangle(HDC Dc, int Left, int Top, int Right, int Bottom) {
  if (!Dc) return false;
  Normalise(Left, Top, Right, Bottom);
  int l = Left + Dc->OffX(), t = Top + Dc->OffY(), r = Right + Dc->OffX(), b = Bottom + Dc->OffY();
  TPenInfo pen = PenOf(Dc);
  if (pen.Null) {
    PaintShape(Dc, {}, RectRows(l, t, r - 1, b - 1), pen, false);
    return true;
  }
  if (pen.Style == PS_SOLID) {
    int w = pen.Width;
    PaintShape(Dc, RectRows(l, t, r, b), RectRows(l + w, t + w, r - w, b - w), pen, true);
    return true;
  }
  // A styled outline runs clockwise from the top-left corner, each pixel once.
  PaintShape(Dc, {}, RectRows(l + 1, t + 1, r - 1, b - 1), pen, false);
  if (r <= l || b <= t) return true;
  int style = 0;
  for (int x = l; x < r; ++x) PenPixel(Dc, pen, x, t, style);
  for (int y = t + 1; y < b; ++y) PenPixel(Dc, pen, r - 1, y, style);
  if (b - 1 > t)
    for (int x = r - 2; x >= l; --x) PenPixel(Dc, pen, x, b - 1, style);
  if (r - 1 > l)
    for (int y = b - 2; y > t; --y) PenPixel(Dc, pen, l, y, style);
  return true;
}

// The ellipse inscribed in the rectangle; a pen of width w paints the pixels that w
// steps of erosion remove; the brush fills the rest. Styled pens draw ellipses solid.
// Without a pen the brush fills the ellipse of the rectangle less its right column
// and bottom row, as for Rectangle.
bool Ellipse(HDC Dc, int Left, int Top, int Right, int Bottom) {
  if (!Dc) return false;
  Normalise(Left, Top, Right, Bottom);
  int l = Left + Dc->OffX(), t = Top + Dc->OffY(), r = Right + Dc->OffX(), b = Bottom + Dc->OffY();
  TPenInfo pen = PenOf(Dc);
  if (pen.Null) {
    PaintShape(Dc, {}, EllipseRows(l, t, r - 1, b - 1), pen, false);
    return true;
  }
  TShapeRows outer = EllipseRows(l, t, r, b), inner = outer;
  for (int i = 0; i < pen.Width; ++i) inner = inner.Eroded();
  PaintShape(Dc, outer, inner, pen, true);
  return true;
}

int FillRect(HDC Dc, const TRect* R, HBRUSH Brush) {
  if (!Dc || !R || !Brush) return 0;
  TRect s = *R;
  OffsetRect(s, Dc->OffX(), Dc->OffY());
  FillBrushRect(Dc, s, TBrushSampler(Dc, Brush));
  return 1;
}

int FrameRect(HDC Dc, const TRect* R, HBRUSH Brush) {
  if (!Dc || !R || !Brush) return 0;
  TRect s = *R;
  if (s.IsEmpty()) return 1;
  OffsetRect(s, Dc->OffX(), Dc->OffY());
  TBrushSampler brush(Dc, Brush);
  FillBrushRect(Dc, {s.Left, s.Top, s.Right, s.Top + 1}, brush);
  if (s.Height() > 1) FillBrushRect(Dc, {s.Left, s.Bottom - 1, s.Right, s.Bottom}, brush);
  FillBrushRect(Dc, {s.Left, s.Top + 1, s.Left + 1, s.Bottom - 1}, brush);
  if (s.Width() > 1) FillBrushRect(Dc, {s.Right - 1, s.Top + 1, s.Right, s.Bottom - 1}, brush);
  return 1;
}

bool InvertRect(HDC Dc, const TRect* R) {
  if (!Dc || !R) return false;
  TRect s = *R;
  OffsetRect(s, Dc->OffX(), Dc->OffY());
  for (int y = s.Top; y < s.Bottom; ++y) FillSpanRop2(Dc, y, s.Left, s.Right, 0, R2_NOT);
  return true;
}

// A dotted frame drawn by inverting every second pixel of the rectangle's one-pixel
// border: the pixels whose device coordinates add up to an even number, so the dots
// run on evenly round the corners and a second call restores the pixels.
bool DrawFocusRect(HDC Dc, const TRect* R) {
  if (!Dc || !R) return false;
  TRect s = *R;
  if (s.IsEmpty()) return true;
  OffsetRect(s, Dc->OffX(), Dc->OffY());
  auto dot = [&](int x, int y) {
    if (((x - Dc->DCOrg.X) + (y - Dc->DCOrg.Y)) % 2 == 0) PutPixelRop2(Dc, x, y, 0, R2_NOT);
  };
  for (int x = s.Left; x < s.Right; ++x) {
    dot(x, s.Top);
    if (s.Bottom - 1 > s.Top) dot(x, s.Bottom - 1);
  }
  for (int y = s.Top + 1; y < s.Bottom - 1; ++y) {
    dot(s.Left, y);
    if (s.Right - 1 > s.Left) dot(s.Right - 1, y);
  }
  return true;
}

// ---------------------------------------------------------------------------
// Pixels: outside the image or the clip a read gives CLR_INVALID and a write does
// nothing (and reports CLR_INVALID).
// ---------------------------------------------------------------------------

COLORREF GetPixel(HDC Dc, int X, int Y) {
  if (!Dc) return CLR_INVALID;
  int x = X + Dc->OffX(), y = Y + Dc->OffY();
  if (!InClip(Dc, x, y)) return CLR_INVALID;
  return ToColorRef(Dc->Surface().Row(y)[x]);
}

COLORREF SetPixel(HDC Dc, int X, int Y, COLORREF Color) {
  if (!Dc) return CLR_INVALID;
  int x = X + Dc->OffX(), y = Y + Dc->OffY();
  if (!InClip(Dc, x, y)) return CLR_INVALID;
  uint32_t p = ForSurface(Dc->Surface(), ToPixel(Color));
  Dc->Surface().Row(y)[x] = p;
  return ToColorRef(p);
}

bool SetPixelV(HDC Dc, int X, int Y, COLORREF Color) { return SetPixel(Dc, X, Y, Color) != CLR_INVALID; }
