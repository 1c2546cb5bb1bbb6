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

// Fills columns Left .. Right - 1 of rows Top .. Bottom - 1 (inside the surface, not
// empty) with P. Rows across the whole surface lie back to back, so such a rectangle
// is one run. The edges come as numbers, as the callers have them after clipping:
// a gradient fills hundreds of bands a few rows high, and each band's own cost shows.
void FillSurfaceRect(TSurface& S, int Left, int Top, int Right, int Bottom, uint32_t P) {
  const size_t stride = static_cast<size_t>(S.Width);
  uint32_t* row = S.Row(Top) + Left;
  const int n = Right - Left;
  if (n == S.Width && n >= kLongRun) {
    FillLongRun(row, stride * static_cast<size_t>(Bottom - Top), P);
    return;
  }
  for (int y = Top; y < Bottom; ++y, row += stride) FillPixels(row, n, P);
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
    if (Rop == R2_COPYPEN) FillPixels(row + a, b - a, Color);
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
    if (Brush.Solid()) {
      FillSurfaceRect(s, t.Left, t.Top, t.Right, t.Bottom, Brush.SolidPixel());
      continue;
    }
    for (int y = t.Top; y < t.Bottom; ++y) {
      uint32_t* row = s.Row(y);
      uint32_t p;
      for (int x = t.Left; x < t.Right; ++x)
        if (Brush.Sample(x, y, p)) row[x] = p;
    }
  }
}

void PolygonSpans(const TPoint* Pts, int Count, std::vector<TRect>& Spans, int RowMin, int RowMax) {
  if (Count < 3) return;
  int ymin = Pts[0].Y, ymax = Pts[0].Y;
  for (int i = 1; i < Count; ++i) {
    ymin = std::min(ymin, Pts[i].Y);
    ymax = std::max(ymax, Pts[i].Y);
  }
  ymin = std::max(ymin, RowMin);
  ymax = std::min(ymax, RowMax);
  if (ymin >= ymax) return;
  std::vector<std::vector<int>> rows(static_cast<size_t>(ymax - ymin));
  // Alternate rule at pixel centres: vertices sit on pixel corners, pixel (x, y) is
  // filled when its centre (x + 0.5, y + 0.5) lies inside. Centres never fall on a
  // vertex row, so no edge end is counted twice; a centre exactly on an edge belongs
  // to the pixel right of it (left edges in, right edges out).
  for (int i = 0; i < Count; ++i) {
    TPoint a = Pts[i], b = Pts[(i + 1) % Count];
    if (a.Y == b.Y) continue;
    int y0 = std::max(std::min(a.Y, b.Y), ymin), y1 = std::min(std::max(a.Y, b.Y), ymax);
    for (int y = y0; y < y1; ++y) {
      // Crossing at the row centre: x = num / den; first pixel whose centre is at or
      // right of it: ceil(x - 1/2).
      int64_t num = int64_t(2) * a.X * (b.Y - a.Y) + (int64_t(2) * y + 1 - int64_t(2) * a.Y) * (b.X - a.X);
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

// Pens are at most this wide.
constexpr int kMaxPenWidth = 1024;

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
  p.Width = std::clamp(pen->Log.lopnWidth.X, 1, kMaxPenWidth);
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

// One pixel of a one-pixel pen at position Pos of its style run.
void PenPixel(TDeviceContext* Dc, const TPenInfo& Pen, int X, int Y, int Pos) {
  if (Pen.Style == PS_SOLID || StyleOn(Pen.Style, Pos)) PutPixelRop2(Dc, X, Y, Pen.Color, Pen.Rop);
  else if (Pen.BackOpaque) PutPixelRop2(Dc, X, Y, Pen.Back, Pen.Rop);
}

// The pixels of a line from (X0, Y0) towards (X1, Y1). The longer axis steps one
// pixel at a time; the other coordinate is the exact one rounded to the nearest
// pixel, a tie going to the smaller coordinate. Equal extents give exact diagonals.
// Plot(x, y, t) gets the step number t; only the steps whose major coordinate lies
// in Box are walked. Returns the number of steps of the whole line.
template <class F>
int WalkLine(int X0, int Y0, int X1, int Y1, bool IncludeEnd, const TRect& Box, F&& Plot) {
  int64_t dx = int64_t(X1) - X0, dy = int64_t(Y1) - Y0;
  int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  int64_t steps = std::max(adx, ady) + (IncludeEnd ? 1 : 0);
  if (adx == 0 && ady == 0) {
    if (IncludeEnd) Plot(X0, Y0, 0);
    return static_cast<int>(steps);
  }
  // Minor offset at step t: floor((2 t d + n - 1) / 2n), n the major extent and d
  // the signed minor one; kept as quotient and remainder, one step at a time.
  bool xMajor = adx >= ady;
  int64_t n = xMajor ? adx : ady, d = xMajor ? dy : dx, den = 2 * n;
  int step = (xMajor ? dx : dy) > 0 ? 1 : -1;
  int64_t origin = xMajor ? X0 : Y0, lo = xMajor ? Box.Left : Box.Top, hi = xMajor ? Box.Right : Box.Bottom;
  int64_t t0 = step > 0 ? lo - origin : origin - hi + 1, t1 = step > 0 ? hi - origin : origin - lo + 1;
  t0 = std::max<int64_t>(t0, 0);
  t1 = std::min<int64_t>(t1, steps);
  if (t0 >= t1) return static_cast<int>(steps);
  int64_t num = 2 * t0 * d + n - 1;
  int64_t q = FloorDiv(num, den), rem = num - q * den;
  for (int64_t t = t0; t < t1; ++t) {
    int major = static_cast<int>(origin + step * t), minor = static_cast<int>((xMajor ? Y0 : X0) + q);
    if (xMajor) Plot(major, minor, static_cast<int>(t));
    else Plot(minor, major, static_cast<int>(t));
    rem += 2 * d;
    if (rem >= den) { rem -= den; ++q; }
    else if (rem < 0) { rem += den; --q; }
  }
  return static_cast<int>(steps);
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
  void Stamp(int X, int Y, int Width, const TRect& Box) {
    int x0 = X - Width / 2, y0 = Y - Width / 2;
    if (x0 >= Box.Right || x0 + Width <= Box.Left) return;
    for (int y = std::max(y0, Box.Top); y < std::min(y0 + Width, Box.Bottom); ++y) Add(y, x0, x0 + Width);
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
// out the final point; wide pens cover every point of the path. StylePos is the
// style run position at the start and is carried past the path.
void StrokePath(TDeviceContext* Dc, const TPenInfo& Pen, const TPoint* Pts, int Count, bool Closed,
                int& StylePos) {
  if (Pen.Null || Count < 1) return;
  TRect box = VisibleBox(Dc);
  if (box.IsEmpty()) return;
  int segs = Closed ? Count : Count - 1;
  if (Pen.Width == 1) {
    if (Pen.Style == PS_SOLID) {
      // Solid pens: the clip and surface are looked up once per path.
      const std::vector<TRect>& clip = Dc->ClipRects();
      TSurface& s = Dc->Surface();
      auto put = [&](int x, int y, int) {
        for (const TRect& c : clip)
          if (x >= c.Left && x < c.Right && y >= c.Top && y < c.Bottom) {
            uint32_t& d = s.Row(y)[x];
            d = Pen.Rop == R2_COPYPEN ? Pen.Color : Rop2(Pen.Rop, Pen.Color, d);
            return;
          }
      };
      // A level or upright segment of a copy pen (frames and borders, most lines
      // drawn) fills its pixels clip rectangle by clip rectangle: the pixels from
      // the start up to, not including, the end.
      auto straight = [&](TPoint a, TPoint b) {
        if (Pen.Rop != R2_COPYPEN || (a.X != b.X && a.Y != b.Y) || (a.X == b.X && a.Y == b.Y)) return false;
        TRect line = a.Y == b.Y ? TRect{a.X < b.X ? a.X : b.X + 1, a.Y, a.X < b.X ? b.X : a.X + 1, a.Y + 1}
                                : TRect{a.X, a.Y < b.Y ? a.Y : b.Y + 1, a.X + 1, a.Y < b.Y ? b.Y : a.Y + 1};
        TRect t;
        for (const TRect& c : clip) {
          if (!IntersectRect(t, c, line)) continue;
          for (int y = t.Top; y < t.Bottom; ++y) FillPixels(s.Row(y) + t.Left, t.Width(), Pen.Color);
        }
        return true;
      };
      for (int i = 0; i < segs; ++i) {
        TPoint a = Pts[i], b = Pts[(i + 1) % Count];
        if (!straight(a, b)) WalkLine(a.X, a.Y, b.X, b.Y, false, box, put);
      }
      return;
    }
    for (int i = 0; i < segs; ++i) {
      TPoint a = Pts[i], b = Pts[(i + 1) % Count];
      int base = StylePos;
      StylePos += WalkLine(a.X, a.Y, b.X, b.Y, false, box,
                           [&](int x, int y, int t) { PenPixel(Dc, Pen, x, y, base + t); });
    }
    return;
  }
  TSpanSet set;
  TRect reach = box;
  InflateRect(reach, Pen.Width, Pen.Width);
  if (Count == 1) set.Stamp(Pts[0].X, Pts[0].Y, Pen.Width, box);
  for (int i = 0; i < segs; ++i) {
    TPoint a = Pts[i], b = Pts[(i + 1) % Count];
    WalkLine(a.X, a.Y, b.X, b.Y, true, reach, [&](int x, int y, int) { set.Stamp(x, y, Pen.Width, box); });
  }
  set.Paint(Dc, Pen.Color, Pen.Rop);
}

std::vector<TPoint> ToSurface(TDeviceContext* Dc, const TPoint* Pts, int Count) {
  std::vector<TPoint> v(static_cast<size_t>(Count));
  for (int i = 0; i < Count; ++i) v[static_cast<size_t>(i)] = {SurfX(Dc, Pts[i].X), SurfY(Dc, Pts[i].Y)};
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
// Only rows Lo .. Hi - 1 are worked out.
TShapeRows EllipseRows(int L, int T, int R, int B, int Lo, int Hi) {
  TShapeRows s;
  s.Top = std::max(T, Lo);
  int64_t A = int64_t(R) - L, Bh = int64_t(B) - T;
  int last = std::min(B, Hi);
  if (A <= 0 || Bh <= 0 || s.Top >= last) return s;
  s.Rows.resize(static_cast<size_t>(last - s.Top), {0, 0});
  using i128 = __int128;
  auto inside = [&](int i, int j) {
    i128 u = 2 * int64_t(i) + 1 - (int64_t(L) + R), v = 2 * int64_t(j) + 1 - (int64_t(T) + B);
    return u * u * Bh * Bh + v * v * A * A <= i128(A) * A * Bh * Bh;
  };
  double c = double(L) + R - 1;
  for (int j = s.Top; j < last; ++j) {
    double v = 2.0 * j + 1 - (double(T) + B);
    double rem = 1.0 - (v * v) / (double(Bh) * double(Bh));
    if (rem < 0) continue;
    double U = double(A) * std::sqrt(rem);
    int lo = static_cast<int>(std::ceil((c - U) / 2)), hi = static_cast<int>(std::floor((c + U) / 2));
    while (inside(lo - 1, j)) --lo;
    while (lo <= hi && !inside(lo, j)) ++lo;
    while (inside(hi + 1, j)) ++hi;
    while (hi >= lo && !inside(hi, j)) --hi;
    if (lo <= hi) s.Rows[static_cast<size_t>(j - s.Top)] = {lo, hi + 1};
  }
  return s;
}

TShapeRows RectRows(int L, int T, int R, int B, int Lo, int Hi) {
  TShapeRows s;
  s.Top = std::max(T, Lo);
  int last = std::min(B, Hi);
  if (R > L && last > s.Top) s.Rows.assign(static_cast<size_t>(last - s.Top), {L, R});
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
  // Two points: converted in place, no allocation (frames are drawn line by line).
  TPoint s[2] = {{SurfX(Dc, Dc->S.CurPos.X), SurfY(Dc, Dc->S.CurPos.Y)}, {SurfX(Dc, X), SurfY(Dc, Y)}};
  StrokePath(Dc, PenOf(Dc), s, 2, false, Dc->S.StylePos);
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
  TRect box = VisibleBox(Dc);
  PolygonSpans(s.data(), Count, spans, box.Top, box.Bottom);
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
  TRect sr = SurfRect(Dc, {Left, Top, Right, Bottom});
  int l = sr.Left, t = sr.Top, r = sr.Right, b = sr.Bottom;
  TPenInfo pen = PenOf(Dc);
  TRect box = VisibleBox(Dc);
  int lo = box.Top - kMaxPenWidth - 1, hi = box.Bottom + kMaxPenWidth + 1;
  if (pen.Null) {
    PaintShape(Dc, {}, RectRows(l, t, r - 1, b - 1, lo, hi), pen, false);
    return true;
  }
  if (pen.Style == PS_SOLID) {
    int w = pen.Width;
    PaintShape(Dc, RectRows(l, t, r, b, lo, hi), RectRows(l + w, t + w, r - w, b - w, lo, hi), pen, true);
    return true;
  }
  // A styled outline runs clockwise from the top-left corner, each pixel once;
  // position p along it decides dash or gap.
  PaintShape(Dc, {}, RectRows(l + 1, t + 1, r - 1, b - 1, lo, hi), pen, false);
  if (r <= l || b <= t) return true;
  int w = r - l, h = b - t;
  auto xs = [&](int From, int To) { return std::pair{std::max(From, box.Left), std::min(To, box.Right)}; };
  auto ys = [&](int From, int To) { return std::pair{std::max(From, box.Top), std::min(To, box.Bottom)}; };
  if (t >= box.Top && t < box.Bottom)
    for (auto [x0, x1] = xs(l, r); x0 < x1; ++x0) PenPixel(Dc, pen, x0, t, x0 - l);
  for (auto [y0, y1] = ys(t + 1, b); y0 < y1; ++y0) PenPixel(Dc, pen, r - 1, y0, w + (y0 - t - 1));
  if (h > 1 && b - 1 >= box.Top && b - 1 < box.Bottom)
    for (auto [x0, x1] = xs(l, r - 1); x0 < x1; ++x0) PenPixel(Dc, pen, x0, b - 1, w + h - 1 + (r - 2 - x0));
  if (w > 1)
    for (auto [y0, y1] = ys(t + 1, b - 1); y0 < y1; ++y0) PenPixel(Dc, pen, l, y0, 2 * w + h - 2 + (b - 2 - y0));
  return true;
}

// The ellipse inscribed in the rectangle; a pen of width w paints the pixels that w
// steps of erosion remove; the brush fills the rest. Styled pens draw ellipses solid.
// Without a pen the brush fills the ellipse of the rectangle less its right column
// and bottom row, as for Rectangle.
bool Ellipse(HDC Dc, int Left, int Top, int Right, int Bottom) {
  if (!Dc) return false;
  Normalise(Left, Top, Right, Bottom);
  TRect sr = SurfRect(Dc, {Left, Top, Right, Bottom});
  int l = sr.Left, t = sr.Top, r = sr.Right, b = sr.Bottom;
  TPenInfo pen = PenOf(Dc);
  TRect box = VisibleBox(Dc);
  int lo = box.Top - kMaxPenWidth - 1, hi = box.Bottom + kMaxPenWidth + 1;
  if (pen.Null) {
    PaintShape(Dc, {}, EllipseRows(l, t, r - 1, b - 1, lo, hi), pen, false);
    return true;
  }
  TShapeRows outer = EllipseRows(l, t, r, b, lo, hi), inner = outer;
  for (int i = 0; i < pen.Width; ++i) inner = inner.Eroded();
  PaintShape(Dc, outer, inner, pen, true);
  return true;
}

int FillRect(HDC Dc, const TRect* R, HBRUSH Brush) {
  if (!Dc || !R || !Brush) return 0;
  FillBrushRect(Dc, SurfRect(Dc, *R), TBrushSampler(Dc, Brush));
  return 1;
}

int FillSolidRect(HDC Dc, const TRect* R, COLORREF Color) {
  if (!Dc || !R) return 0;
  TRect r = SurfRect(Dc, *R);
  if (r.IsEmpty()) return 1;
  // The pixel a solid brush of this colour gives, written as FillBrushRect writes it.
  const uint32_t p = ForSurface(Dc->Surface(), ToPixel(Color));
  TSurface& s = Dc->Surface();
  for (const TRect& c : Dc->ClipRects()) {
    const int left = std::max(c.Left, r.Left), top = std::max(c.Top, r.Top);
    const int right = std::min(c.Right, r.Right), bottom = std::min(c.Bottom, r.Bottom);
    if (left < right && top < bottom) FillSurfaceRect(s, left, top, right, bottom, p);
  }
  return 1;
}

bool PaintRows(HDC Dc, const TRect& R, const TRowPainter& Row) {
  if (!Dc || !Row) return false;
  const TRect r = SurfRect(Dc, R);
  TRect box;
  if (!IntersectRect(box, r, VisibleBox(Dc))) return true;
  TSurface& s = Dc->Surface();
  const std::vector<TRect>& clips = Dc->ClipRects();
  const int n = box.Width();
  std::vector<uint32_t> buffer;
  for (int y = box.Top; y < box.Bottom; ++y) {
    bool shown = false, whole = false;
    for (const TRect& c : clips) {
      if (y < c.Top || y >= c.Bottom || c.Right <= box.Left || c.Left >= box.Right) continue;
      shown = true;
      whole = whole || (c.Left <= box.Left && c.Right >= box.Right);
    }
    if (!shown) continue;
    uint32_t* dst = s.Row(y) + box.Left;
    if (whole) {
      Row(y - r.Top, box.Left - r.Left, n, dst);
      if (s.Mono)
        for (int i = 0; i < n; ++i) dst[i] = SnapMono(dst[i]);
      continue;
    }
    // Partly hidden: the row goes through a buffer and only the clip's pieces of it
    // are copied.
    buffer.resize(static_cast<size_t>(n));
    Row(y - r.Top, box.Left - r.Left, n, buffer.data());
    for (const TRect& c : clips) {
      if (y < c.Top || y >= c.Bottom) continue;
      for (int x = std::max(c.Left, box.Left); x < std::min(c.Right, box.Right); ++x)
        s.Row(y)[x] = ForSurface(s, buffer[static_cast<size_t>(x - box.Left)]);
    }
  }
  return true;
}

int FrameRect(HDC Dc, const TRect* R, HBRUSH Brush) {
  if (!Dc || !R || !Brush) return 0;
  if (R->IsEmpty()) return 1;
  TRect s = SurfRect(Dc, *R);
  TBrushSampler brush(Dc, Brush);
  FillBrushRect(Dc, {s.Left, s.Top, s.Right, s.Top + 1}, brush);
  if (s.Height() > 1) FillBrushRect(Dc, {s.Left, s.Bottom - 1, s.Right, s.Bottom}, brush);
  FillBrushRect(Dc, {s.Left, s.Top + 1, s.Left + 1, s.Bottom - 1}, brush);
  if (s.Width() > 1) FillBrushRect(Dc, {s.Right - 1, s.Top + 1, s.Right, s.Bottom - 1}, brush);
  return 1;
}

bool InvertRect(HDC Dc, const TRect* R) {
  if (!Dc || !R) return false;
  TRect s;
  if (!IntersectRect(s, SurfRect(Dc, *R), VisibleBox(Dc))) return true;
  for (int y = s.Top; y < s.Bottom; ++y) FillSpanRop2(Dc, y, s.Left, s.Right, 0, R2_NOT);
  return true;
}

// A dotted frame drawn by inverting every second pixel of the rectangle's one-pixel
// border: the pixels whose device coordinates add up to an even number, so the dots
// run on evenly round the corners and a second call restores the pixels.
bool DrawFocusRect(HDC Dc, const TRect* R) {
  if (!Dc || !R) return false;
  if (R->IsEmpty()) return true;
  TRect s = SurfRect(Dc, *R), box = VisibleBox(Dc);
  auto dot = [&](int x, int y) {
    if (((x - Dc->DCOrg.X) + (y - Dc->DCOrg.Y)) % 2 == 0) PutPixelRop2(Dc, x, y, 0, R2_NOT);
  };
  for (int x = std::max(s.Left, box.Left); x < std::min(s.Right, box.Right); ++x) {
    dot(x, s.Top);
    if (s.Bottom - 1 > s.Top) dot(x, s.Bottom - 1);
  }
  for (int y = std::max(s.Top + 1, box.Top); y < std::min(s.Bottom - 1, box.Bottom); ++y) {
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
  int x = SurfX(Dc, X), y = SurfY(Dc, Y);
  if (!InClip(Dc, x, y)) return CLR_INVALID;
  return ToColorRef(Dc->Surface().Row(y)[x]);
}

COLORREF SetPixel(HDC Dc, int X, int Y, COLORREF Color) {
  if (!Dc) return CLR_INVALID;
  int x = SurfX(Dc, X), y = SurfY(Dc, Y);
  if (!InClip(Dc, x, y)) return CLR_INVALID;
  uint32_t p = ForSurface(Dc->Surface(), ToPixel(Color));
  Dc->Surface().Row(y)[x] = p;
  return ToColorRef(p);
}

bool SetPixelV(HDC Dc, int X, int Y, COLORREF Color) { return SetPixel(Dc, X, Y, Color) != CLR_INVALID; }
