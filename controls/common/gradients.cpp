// Gradient and bitmap drawing, trapezoid geometry and the parent background.
#include "controls/common/gradients.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/forms.h"
#include "platform/core/scope.h"

DTU_DEFINE_ENUM(TGradientDirection, "gdDiagonalUp", "gdDiagonalDown", "gdHorizontalEnd", "gdHorizontalCenter",
                "gdHorizontalBox", "gdVerticalEnd", "gdVerticalCenter", "gdVerticalBox", "gdSquareBox",
                "gdBigSquareBox")
DTU_DEFINE_ENUM(TDirection, "dirUp", "dirDown", "dirLeft", "dirRight")

namespace {

TRect Normalised(const TRect& R) {
  return {std::min(R.Left, R.Right), std::min(R.Top, R.Bottom), std::max(R.Left, R.Right),
          std::max(R.Top, R.Bottom)};
}

// A memory device context with a bitmap of its own, freed on every way out.
class TWorkBitmap {
public:
  // Colour unless Mono; Like (when given) makes it match that context's depth.
  TWorkBitmap(HDC Like, int Width, int Height, bool Mono = false) : Dc(CreateCompatibleDC(Like)) {
    if (Mono) Bmp = CreateBitmap(Width, Height, 1, 1, nullptr);
    else if (Like) Bmp = CreateCompatibleBitmap(Like, Width, Height);
    else Bmp = CreateBitmap(Width, Height, 1, 32, nullptr);
    Old = SelectObject(Dc, Bmp);
  }
  ~TWorkBitmap() {
    SelectObject(Dc, Old);
    DeleteObject(Bmp);
    DeleteDC(Dc);
  }
  TWorkBitmap(const TWorkBitmap&) = delete;
  TWorkBitmap& operator=(const TWorkBitmap&) = delete;
  HDC Dc;
  HBITMAP Bmp = nullptr;
  HGDIOBJ Old = nullptr;
};

// One band: a solid fill straight into DC, no brush made for it (a gradient has
// hundreds of bands).
void FillBand(HDC DC, const TRect& R, COLORREF Color) {
  if (R.IsEmpty()) return;
  FillSolidRect(DC, &R, Color);
}

// The shortest band, in steps beyond its first pixel: Colors above 8 ask for bands
// of K div Colors + 1 pixels; a band closes only when its colour has changed and
// more than this many steps have passed since it began.
int MinBandSteps(uint8_t Colors, int K) {
  int c = Colors;
  if (c > 8) c = K / c + 1;
  return std::max(c - 1, 0);
}

// A colour walk per channel in 16.16 fixed point, from From reaching To after
// Steps steps. Half a unit is added at the start so the high word rounds instead of
// truncating, and the last step lands on To exactly.
class TColorWalk {
public:
  TColorWalk(COLORREF From, COLORREF To, int Steps) {
    const int from[3] = {GetRValue(From), GetGValue(From), GetBValue(From)};
    const int to[3] = {GetRValue(To), GetGValue(To), GetBValue(To)};
    for (int i = 0; i < 3; ++i) {
      FAcc[i] = (int64_t(from[i]) << 16) + 0x8000;
      FStep[i] = Steps > 0 ? ((int64_t(to[i]) - from[i]) << 16) / Steps : 0;
    }
  }
  COLORREF Color() const {
    return RGB(static_cast<int>(FAcc[0] >> 16), static_cast<int>(FAcc[1] >> 16), static_cast<int>(FAcc[2] >> 16));
  }
  void Next() {
    for (int i = 0; i < 3; ++i) FAcc[i] += FStep[i];
  }
private:
  int64_t FAcc[3];
  int64_t FStep[3];
};

// Splits positions 0 .. Count - 1 into bands. The colour of position k is From
// plus k / Divisor of the way to To; Fill(first, end, colour) gets each band, the
// band taking the colour of its first position.
template <class F>
void WalkBands(int Count, COLORREF From, COLORREF To, int Divisor, int MinSteps, F&& Fill) {
  if (Count <= 0) return;
  TColorWalk walk(From, To, Divisor);
  int begin = 0;
  COLORREF color = walk.Color();
  for (int k = 1; k < Count; ++k) {
    walk.Next();
    COLORREF c = walk.Color();
    if (c != color && k - begin > MinSteps) {
      Fill(begin, k, color);
      begin = k;
      color = c;
    }
  }
  Fill(begin, Count, color);
}

}  // namespace

// ---------------------------------------------------------------------------
// Bitmaps
// ---------------------------------------------------------------------------

void DrawFullTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& Dest, const TRect& Source,
                               TColor TransparentColor) {
  if (!Canvas || !Bitmap || Bitmap->Empty()) return;
  TRect d = Normalised(Dest);
  if (d.IsEmpty()) return;
  COLORREF key = ColorToRGB(TransparentColor) & 0xFFFFFF;
  TWorkBitmap work(nullptr, d.Width(), d.Height());
  StretchBlt(work.Dc, 0, 0, d.Width(), d.Height(), Bitmap->Canvas()->Handle(), Source.Left, Source.Top,
             Source.Width(), Source.Height(), SRCCOPY);
  TransparentBlt(Canvas->Handle(), d.Left, d.Top, d.Width(), d.Height(), work.Dc, 0, 0, d.Width(), d.Height(), key);
}

void DrawTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& Dest, const TRect& Source,
                           TColor TransparentColor) {
  if (!Canvas || !Bitmap || Bitmap->Empty()) return;
  TRect d = Normalised(Dest);
  if (d.IsEmpty()) return;
  int w = d.Width(), h = d.Height();
  // A system colour is resolved first: the test "is it black" and the background
  // colour of the mask pass need the RGB value.
  COLORREF key = ColorToRGB(TransparentColor) & 0xFFFFFF;
  TWorkBitmap work(nullptr, w, h);
  TWorkBitmap mask(nullptr, w, h, true);
  StretchBlt(work.Dc, 0, 0, w, h, Bitmap->Canvas()->Handle(), Source.Left, Source.Top, Source.Width(),
             Source.Height(), SRCCOPY);
  // Mask: white where the picture has the transparent colour, black elsewhere.
  SetBkColor(work.Dc, key);
  BitBlt(mask.Dc, 0, 0, w, h, work.Dc, 0, 0, SRCCOPY);
  if (key != 0) {
    // Blacken the transparent pixels of the picture, so ORing it adds nothing there.
    SetBkColor(work.Dc, 0x000000);
    SetTextColor(work.Dc, 0xFFFFFF);
    BitBlt(work.Dc, 0, 0, w, h, mask.Dc, 0, 0, SRCAND);
  }
  // The mask's bits must reach the canvas as white (keep) and black (clear),
  // whatever the canvas's font and brush colours are; the raster operations are
  // given here, so the canvas's CopyMode is never touched.
  HDC dc = Canvas->Handle();
  COLORREF oldText = SetTextColor(dc, 0x000000);
  COLORREF oldBack = SetBkColor(dc, 0xFFFFFF);
  BitBlt(dc, d.Left, d.Top, w, h, mask.Dc, 0, 0, SRCAND);
  BitBlt(dc, d.Left, d.Top, w, h, work.Dc, 0, 0, SRCPAINT);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

namespace {

// Calls Tile(dest, source) for tiles of Bitmap over R on a grid whose first tile
// starts at source (OffsetX, OffsetY); later tiles start at source 0.
template <class F>
void ForEachTile(TBitmap* Bitmap, const TRect& R, int OffsetX, int OffsetY, F&& Tile) {
  int bw = Bitmap->Width(), bh = Bitmap->Height();
  for (int y = R.Top, sy = OffsetY; y < R.Bottom; sy = 0) {
    int ch = std::min(bh - sy, R.Bottom - y);
    for (int x = R.Left, sx = OffsetX; x < R.Right; sx = 0) {
      int cw = std::min(bw - sx, R.Right - x);
      Tile(Rect(x, y, x + cw, y + ch), Rect(sx, sy, sx + cw, sy + ch));
      x += cw;
    }
    y += ch;
  }
}

int PositiveMod(int A, int B) {
  int m = A % B;
  return m < 0 ? m + B : m;
}

}  // namespace

void TileTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& R, TColor TransparentColor) {
  if (!Canvas || !Bitmap || Bitmap->Empty()) return;
  ForEachTile(Bitmap, Normalised(R), 0, 0, [&](const TRect& D, const TRect& S) {
    DrawTransparentBitmap(Canvas, Bitmap, D, S, TransparentColor);
  });
}

void StretchTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& R, TColor TransparentColor) {
  if (!Canvas || !Bitmap || Bitmap->Empty()) return;
  DrawTransparentBitmap(Canvas, Bitmap, R, Rect(0, 0, Bitmap->Width(), Bitmap->Height()), TransparentColor);
}

void TileBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& R) {
  if (!Canvas || !Bitmap || Bitmap->Empty()) return;
  ForEachTile(Bitmap, Normalised(R), 0, 0,
              [&](const TRect& D, const TRect& S) { Canvas->CopyRect(D, Bitmap->Canvas(), S); });
}

void TileRealizedBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& R) {
  if (!Canvas || !Bitmap || Bitmap->Empty()) return;
  TRect r = Normalised(R);
  ForEachTile(Bitmap, r, PositiveMod(r.Left, Bitmap->Width()), PositiveMod(r.Top, Bitmap->Height()),
              [&](const TRect& D, const TRect& S) { Canvas->CopyRect(D, Bitmap->Canvas(), S); });
}

// The bitmap's pixel (bw div 2, bh div 2) sits on R's pixel (Left + W div 2,
// Top + H div 2); what falls outside R is cut off, nothing is stretched.
void CenterBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& R) {
  if (!Canvas || !Bitmap || Bitmap->Empty()) return;
  TRect r = Normalised(R);
  int bw = Bitmap->Width(), bh = Bitmap->Height();
  TRect placed = Bounds(r.Left + r.Width() / 2 - bw / 2, r.Top + r.Height() / 2 - bh / 2, bw, bh);
  TRect d;
  if (!IntersectRect(d, placed, r)) return;
  TRect s = d;
  OffsetRect(s, -placed.Left, -placed.Top);
  Canvas->CopyRect(d, Bitmap->Canvas(), s);
}

void StretchBitmap(TCanvas* Canvas, TBitmap* Bitmap, const TRect& R) {
  if (!Canvas || !Bitmap || Bitmap->Empty()) return;
  Canvas->CopyRect(R, Bitmap->Canvas(), Rect(0, 0, Bitmap->Width(), Bitmap->Height()));
}

void FlipBitmap(TBitmap* Bitmap) {
  if (!Bitmap || Bitmap->Empty()) return;
  int w = Bitmap->Width(), h = Bitmap->Height();
  TBitmap flipped;
  flipped.Assign(Bitmap);  // same size and format
  StretchBlt(flipped.Canvas()->Handle(), 0, h - 1, w, -h, Bitmap->Canvas()->Handle(), 0, 0, w, h, SRCCOPY);
  Bitmap->Assign(&flipped);
}

// ---------------------------------------------------------------------------
// Gradients
// ---------------------------------------------------------------------------

// Positions on the axis are walked from the far end toward 0. A pass that ends at 0
// reaches its target colour on position 0; the second pass of a centred gradient
// stops one short of the centre, which the first pass painted in Stop:
//
//   Pos < 0, Size 6:   S . . . . T      (S = Start, T = Stop)
//   Pos 3,   Size 8:   S . . T . . . S
namespace {

// The bands of FillGrad as Fill(first, last, colour), positions inclusive.
template <class F>
void AxisBands(int Pos, int Size, COLORREF StartColor, COLORREF StopColor, uint8_t Colors, F&& Fill) {
  if (Size <= 0) return;
  int minSteps = MinBandSteps(Colors, 255);
  if (Pos < 0) {
    WalkBands(Size, StopColor, StartColor, Size - 1, minSteps,
              [&](int K0, int K1, COLORREF C) { Fill(Size - K1, Size - 1 - K0, C); });
    return;
  }
  Pos = std::min(Pos, Size - 1);
  WalkBands(Pos + 1, StopColor, StartColor, Pos, minSteps,
            [&](int K0, int K1, COLORREF C) { Fill(Pos + 1 - K1, Pos - K0, C); });
  int n2 = Size - 1 - Pos;
  WalkBands(n2, StartColor, StopColor, n2, minSteps,
            [&](int K0, int K1, COLORREF C) { Fill(Size - K1, Size - 1 - K0, C); });
}

}  // namespace

void FillGrad(HDC DC, TGradientAxis Axis, int X, int Y, int Size, COLORREF StartColor, COLORREF StopColor,
              uint8_t Colors) {
  if (!DC || Size <= 0) return;
  // Positions First .. Last (inclusive) of the strip as a rectangle.
  AxisBands(Axis == gaX ? X : Y, Size, StartColor, StopColor, Colors, [&](int First, int Last, COLORREF C) {
    FillBand(DC, Axis == gaX ? Rect(First, 0, Last + 1, 8) : Rect(0, First, 8, Last + 1), C);
  });
}

// The bands are L shapes in the top-left quarter, walked from the inner corner
// (hw + 1, hh + 1) outward; the corner of step k is (ew - ew*k/n, eh - eh*k/n),
// reaching (0, 0) at the last step. Band from corner P (previous) to corner N:
//
//      N.x      P.x   hw+1
//  N.y  +--------------+
//       |   strip 1    |
//  P.y  +------+-------+
//       |strip2|
//       |      |
//  hh+1 +------+
namespace {

// The bands of FillGradRect as Fill(rectangle, colour); false when the box is one
// colour (Start) and no band was given.
template <class F>
bool BoxBands(int Width, int Height, int InsetX, int InsetY, COLORREF StartColor, COLORREF StopColor,
              uint8_t Colors, F&& Fill) {
  if (StartColor == StopColor || Width < 5 || Height < 5) return false;
  int hw = (Width - 1) >> 1, hh = (Height - 1) >> 1;
  int ew = std::max(hw - InsetX, 0), eh = std::max(hh - InsetY, 0);
  int n = std::max(ew, eh) + 1;
  auto corner = [&](int K) {
    if (K < 0) return Point(hw + 1, hh + 1);
    return Point(ew - static_cast<int>(int64_t(ew) * K / n), eh - static_cast<int>(int64_t(eh) * K / n));
  };
  WalkBands(n + 1, StopColor, StartColor, n, MinBandSteps(Colors, 256), [&](int K0, int K1, COLORREF C) {
    TPoint p = corner(K0 - 1), q = corner(K1 - 1);
    Fill(Rect(q.X, q.Y, hw + 1, p.Y), C);
    Fill(Rect(q.X, p.Y, p.X, hh + 1), C);
  });
  return true;
}

}  // namespace

void FillGradRect(HDC DC, int Width, int Height, int InsetX, int InsetY, COLORREF StartColor,
                  COLORREF StopColor, uint8_t Colors) {
  if (!DC) return;
  if (!BoxBands(Width, Height, InsetX, InsetY, StartColor, StopColor, Colors,
                [&](const TRect& R, COLORREF C) { FillBand(DC, R, C); }))
    FillBand(DC, Rect(0, 0, Width + 1, Height + 1), StartColor);
}

// The bands are strips between lines parallel to the diagonal from the top-left
// to the bottom-right corner. With v(x, y) = H*x - W*y at a pixel centre, the
// bottom-left pixel has the smallest v and the top-right pixel the largest; the
// L + 1 positions (L = trunc(sqrt(W^2 + H^2)) + 1) are spread evenly between them,
// and each pixel takes the band of its nearest position:
//
//   W 6, H 3, 3 bands:   b b c c c c      (a = Start ... c = Stop)
//                        a b b b c c
//                        a a a b b c
//
// Band j (first position K) begins on a row at the first column x with
// x >= (begin_j + W*(y + 1/2)) / H - 1/2, begin_j = vMin + S*(K - 1/2)/L,
// vMin = -S/2, S = 2WH - W - H. Scaled by 2LH that is an integer comparison:
// pixel x shows position floor(M / 2S), M = 2LH*x - LW*(2y + 1) + LH + S*(1 + L),
// and M grows by 2LH per column, so a row is walked with an addition and a carry per
// pixel instead of a division and a rounding per band edge. Where a band edge falls
// exactly on a pixel (M a multiple of 2S at a band's first position) the row is
// worked out in floating point as before, so the rounding there stays what it was;
// so are pictures too large for the integers (either side above 32767).
namespace {

constexpr int kExactSide = 32767;

class TDiagBands {
public:
  TDiagBands(int W, int H, COLORREF StartColor, COLORREF StopColor, uint8_t Colors) : FW(W), FH(H) {
    auto pixel = [](COLORREF C) {
      return 0xFF000000u | uint32_t(GetRValue(C)) << 16 | uint32_t(GetGValue(C)) << 8 | GetBValue(C);
    };
    const double vMin = -double(W) * H + (double(W) + H) / 2, span = -2 * vMin;
    FL = static_cast<int>(std::sqrt(double(W) * W + double(H) * H)) + 1;
    if (span <= 0) {  // a single pixel
      FBegins.push_back(0);
      FPixels.push_back(pixel(StartColor));
      return;
    }
    FExact = W <= kExactSide && H <= kExactSide;
    if (FExact) {
      FPositions.resize(static_cast<size_t>(FL) + 1);
      FStarts.resize(static_cast<size_t>(FL) + 1);
    }
    WalkBands(FL + 1, StartColor, StopColor, FL, MinBandSteps(Colors, 255), [&](int K0, int K1, COLORREF C) {
      FBegins.push_back(vMin + span * (K0 - 0.5) / FL);
      FPixels.push_back(pixel(C));
      if (!FExact) return;
      FStarts[static_cast<size_t>(K0)] = 1;
      std::fill(FPositions.begin() + K0, FPositions.begin() + K1, pixel(C));
    });
    const int64_t s = 2 * int64_t(W) * H - W - H;
    F2S = 2 * s;
    FStep = 2 * int64_t(FL) * H;
    FBase = int64_t(FL) * H + s * (1 + int64_t(FL));
    FGcd = std::gcd(FStep, F2S);
  }

  // Columns X .. X + Count - 1 of row Y into Out, stepping by Dir (+1 or -1).
  void Row(int Y, int X, int Count, uint32_t* Out, int Dir) const {
    if (!FExact || !ExactRow(Y, X, Count, Out, Dir)) FloatRow(Y, X, Count, Out, Dir);
  }

private:
  // False at an edge that falls exactly on a pixel.
  bool ExactRow(int Y, int X, int Count, uint32_t* Out, int Dir) const {
    int64_t k, rem;
    Start(Y, X, k, rem);
    // Remainders on a row step by FStep modulo 2S, so all of them are multiples of
    // gcd(FStep, 2S) apart: none can be 0 unless the first one is such a multiple.
    if (Count >= 8 && rem % FGcd != 0) {
      FastRow(Y, X, Count, Out, Dir);
      return true;
    }
    return CarefulRow(Y, X, Count, Out, Dir);
  }

  // M of column X on row Y as a position and a remainder.
  void Start(int Y, int X, int64_t& K, int64_t& Rem) const {
    const int64_t m = X * FStep - int64_t(FL) * FW * (2 * int64_t(Y) + 1) + FBase;
    K = m / F2S;
    Rem = m % F2S;
  }

  // Four columns walked at once, each on its own (so no pixel waits for the
  // previous one's carry); no remainder on the row is 0.
  void FastRow(int Y, int X, int Count, uint32_t* Out, int Dir) const {
    int64_t k0, r0, k1, r1, k2, r2, k3, r3;
    Start(Y, X, k0, r0);
    Start(Y, X + 1, k1, r1);
    Start(Y, X + 2, k2, r2);
    Start(Y, X + 3, k3, r3);
    const int64_t stepK = 4 * FStep / F2S, stepRem = 4 * FStep % F2S, s2 = F2S;
    const uint32_t* positions = FPositions.data();
    auto next = [&](int64_t& K, int64_t& Rem) {
      Rem += stepRem;
      const bool carry = Rem >= s2;
      K += stepK + carry;
      Rem -= carry ? s2 : 0;
    };
    int i = 0;
    for (; i + 4 <= Count; i += 4, Out += 4 * Dir) {
      Out[0] = positions[k0];
      Out[Dir] = positions[k1];
      Out[2 * Dir] = positions[k2];
      Out[3 * Dir] = positions[k3];
      next(k0, r0);
      next(k1, r1);
      next(k2, r2);
      next(k3, r3);
    }
    const int64_t ks[3] = {k0, k1, k2};
    for (int j = 0; i + j < Count; ++j) Out[j * Dir] = positions[ks[j]];
  }

  bool CarefulRow(int Y, int X, int Count, uint32_t* Out, int Dir) const {
    int64_t k, rem;
    Start(Y, X, k, rem);
    const int64_t stepK = FStep / F2S, stepRem = FStep % F2S;
    for (int i = 0; i < Count; ++i, Out += Dir) {
      if (rem == 0 && FStarts[static_cast<size_t>(k)]) return false;
      *Out = FPositions[static_cast<size_t>(k)];
      rem += stepRem;
      const bool carry = rem >= F2S;
      k += stepK + carry;
      rem -= carry ? F2S : 0;
    }
    return true;
  }

  void FloatRow(int Y, int X, int Count, uint32_t* Out, int Dir) const {
    const double yTerm = double(FW) * (Y + 0.5);
    // The first column of band j on this row: the first pixel centre with v >= its begin.
    auto firstColumn = [&](size_t J) {
      return J < FBegins.size() ? std::ceil((FBegins[J] + yTerm) / FH - 0.5) : 1e300;
    };
    // The band at column 0: the last one beginning at or before it.
    size_t j = static_cast<size_t>(std::upper_bound(FBegins.begin() + 1, FBegins.end(), 0.5 * FH - yTerm) -
                                   FBegins.begin()) - 1;
    double next = firstColumn(j + 1);
    for (int x = 0; x < X + Count; ++x) {
      while (next <= x) next = firstColumn(++j + 1);
      if (x >= X) Out[static_cast<ptrdiff_t>(x - X) * Dir] = FPixels[j];
    }
  }

  int FW, FH, FL = 0;
  bool FExact = false;
  std::vector<double> FBegins;       // per band: the v where it begins
  std::vector<uint32_t> FPixels;     // per band
  std::vector<uint32_t> FPositions;  // per position: its band's pixel
  std::vector<uint8_t> FStarts;      // per position: 1 where a band begins
  int64_t F2S = 1, FStep = 0, FBase = 0, FGcd = 1;
};

}  // namespace

void FillGradDiag(HDC DC, int Width, int Height, COLORREF StartColor, COLORREF StopColor, uint8_t Colors) {
  if (!DC || Width == 0 || Height <= 0) return;
  const bool mirror = Width < 0;
  const int w = std::abs(Width), h = Height;
  if (mirror) std::swap(StartColor, StopColor);
  const TDiagBands bands(w, h, StartColor, StopColor, Colors);
  // Each row goes straight into DC; a mirrored row is walked from its right end.
  PaintRows(DC, Rect(0, 0, w, h), [&](int Y, int X, int Count, uint32_t* Pixels) {
    if (mirror) bands.Row(Y, w - X - Count, Count, Pixels + Count - 1, -1);
    else bands.Row(Y, X, Count, Pixels, 1);
  });
}

void BitFillBlit(HDC DC, int X, int Y, int Width, int Height, int SeedWidth, int SeedHeight, uint32_t Rop) {
  int w = std::min(SeedWidth, Width), h = std::min(SeedHeight, Height);
  if (!DC || w <= 0 || h <= 0) return;
  bool down = h < Height;
  while (w < Width || h < Height) {
    if (h < Height && (down || w >= Width)) {
      int ch = std::min(h, Height - h);
      BitBlt(DC, X, Y + h, w, ch, DC, X, Y, Rop);
      h += ch;
      down = w >= Width;  // down again only once the width is complete
    } else {
      int cw = std::min(w, Width - w);
      BitBlt(DC, X + w, Y, cw, h, DC, X, Y, Rop);
      w += cw;
      down = h < Height;
    }
  }
}

// Rows 0 .. H div 2 - 1 are mirrored onto the bottom rows, then columns
// 0 .. W div 2 - 1 onto the right columns; an odd middle row or column is its own
// mirror image. Every copy has the same size at both ends, so pixel (x, y) equals
// (W-1-x, y) and (x, H-1-y) exactly.
void BoxBitMirrorBlit(HDC DC, int X, int Y, int Width, int Height, uint32_t Rop) {
  if (!DC) return;
  int hw = Width >> 1, hh = Height >> 1;
  // Row by row: each row is a plain copy, which moves whole rows at once.
  for (int i = 0; i < hh; ++i) BitBlt(DC, X, Y + Height - 1 - i, Width, 1, DC, X, Y + i, Rop);
  if (hw > 0) StretchBlt(DC, X + Width - 1, Y, -hw, Height, DC, X, Y, hw, Height, Rop);
}

namespace {
constexpr int kCopiedRows = 16;  // rows of bands made once and copied down a gradient
}  // namespace

void PaintGradient(TCanvas* Canvas, const TRect& R, TGradientDirection Direction, TColor StartColor,
                   TColor StopColor, uint8_t Colors) {
  if (!Canvas) return;
  COLORREF start = ColorToRGB(StartColor) & 0xFFFFFF, stop = ColorToRGB(StopColor) & 0xFFFFFF;
  TRect r = Normalised(R);
  int w = r.Width(), h = r.Height();
  if (w == 0 || h == 0) return;
  HDC target = Canvas->Handle();
  if (Direction == gdDiagonalUp || Direction == gdDiagonalDown) {
    // The diagonal painter writes its rows straight into the target, at R's top-left
    // corner.
    int saved = SaveDC(target);
    OffsetViewportOrgEx(target, r.Left, r.Top, nullptr);
    if (start == stop) FillBand(target, Rect(0, 0, w, h), start);
    else FillGradDiag(target, Direction == gdDiagonalUp ? w : -w, h, start, stop, Colors);
    RestoreDC(target, saved);
    return;
  }
  // The other painters' bands are solid rectangles: each is filled straight into
  // the target, a band across the whole width or height, and a box band together
  // with its three mirror images (pixel (x, y) of a box shows the top-left
  // quarter's pixel (min(x, w-1-x), min(y, h-1-y))). Together the bands cover R.
  auto band = [&](int Left, int Top, int Right, int Bottom, COLORREF C) {
    FillBand(target, Rect(r.Left + Left, r.Top + Top, r.Left + Right, r.Top + Bottom), C);
  };
  switch (Direction) {
    case gdDiagonalUp:
    case gdDiagonalDown:
      break;  // painted above
    case gdHorizontalEnd:
    case gdHorizontalCenter:
      AxisBands(Direction == gdHorizontalEnd ? -1 : h / 2, h, start, stop, Colors,
                [&](int First, int Last, COLORREF C) { band(0, First, w, Last + 1, C); });
      break;
    case gdVerticalEnd:
    case gdVerticalCenter: {
      const int pos = Direction == gdVerticalEnd ? -1 : w / 2;
      TRect box, vis;
      GetClipBox(target, &box);
      if (!IntersectRect(vis, box, r)) break;
      if (vis.Width() < kCopiedRows || vis.Height() <= kCopiedRows) {
        AxisBands(pos, w, start, stop, Colors, [&](int First, int Last, COLORREF C) { band(First, 0, Last + 1, h, C); });
        break;
      }
      // Every row is the same, and a band is only a pixel or two wide: filled in the
      // target it would be a run per row. In a large area the bands go once into a
      // few rows of the visible columns, which are then copied down the visible rows.
      TWorkBitmap strip(target, vis.Width(), kCopiedRows);
      AxisBands(pos, w, start, stop, Colors, [&](int First, int Last, COLORREF C) {
        FillBand(strip.Dc, Rect(r.Left + First - vis.Left, 0, r.Left + Last + 1 - vis.Left, kCopiedRows), C);
      });
      for (int y = vis.Top; y < vis.Bottom; y += kCopiedRows)
        BitBlt(target, vis.Left, y, vis.Width(), std::min(kCopiedRows, vis.Bottom - y), strip.Dc, 0, 0, SRCCOPY);
      break;
    }
    case gdHorizontalBox:
    case gdVerticalBox:
    case gdSquareBox:
    case gdBigSquareBox: {
      int insetX = Direction == gdHorizontalBox || Direction == gdBigSquareBox ? w / 4 : 0;
      int insetY = Direction == gdVerticalBox || Direction == gdBigSquareBox ? h / 4 : 0;
      auto mirrored = [&](const TRect& Q, COLORREF C) {
        if (Q.IsEmpty()) return;
        band(Q.Left, Q.Top, Q.Right, Q.Bottom, C);
        band(w - Q.Right, Q.Top, w - Q.Left, Q.Bottom, C);
        band(Q.Left, h - Q.Bottom, Q.Right, h - Q.Top, C);
        band(w - Q.Right, h - Q.Bottom, w - Q.Left, h - Q.Top, C);
      };
      if (!BoxBands(w, h, insetX, insetY, start, stop, Colors, mirrored)) band(0, 0, w, h, start);
      break;
    }
  }
}

// ---------------------------------------------------------------------------
// Trapezoids
// ---------------------------------------------------------------------------

void SetTrapezoid(TTrap& Trap, const TRect& Rect, int Size, TTrapShape Shape, TDirection Direction,
                  TTrapDirect TrapDirect) {
  bool vertical = Direction == dirUp || Direction == dirDown;
  int length = vertical ? Rect.Width() : Rect.Height();
  int small = std::min(length, Size);
  int offset = Shape == tsLeft ? 0 : Shape == tsCenter ? (length - small) / 2 : length - small;
  if (vertical) {
    int a = Rect.Left + offset, b = a + small;
    Trap.P0.Y = Trap.P1.Y = Rect.Top;
    Trap.P2.Y = Trap.P3.Y = Rect.Bottom;
    bool shortTop = (TrapDirect == tdLargeToSmall && Direction == dirUp) ||
                    (TrapDirect == tdSmallToLarge && Direction == dirDown);
    if (shortTop) {
      Trap.P0.X = a; Trap.P1.X = b; Trap.P3.X = Rect.Left; Trap.P2.X = Rect.Right;
    } else {
      Trap.P0.X = Rect.Left; Trap.P1.X = Rect.Right; Trap.P3.X = a; Trap.P2.X = b;
    }
  } else {
    int a = Rect.Top + offset, b = a + small;
    Trap.P0.X = Trap.P3.X = Rect.Left;
    Trap.P1.X = Trap.P2.X = Rect.Right;
    bool shortRight = (TrapDirect == tdLargeToSmall && Direction == dirRight) ||
                      (TrapDirect == tdSmallToLarge && Direction == dirLeft);
    if (shortRight) {
      Trap.P1.Y = a; Trap.P2.Y = b; Trap.P0.Y = Rect.Top; Trap.P3.Y = Rect.Bottom;
    } else {
      Trap.P0.Y = a; Trap.P3.Y = b; Trap.P1.Y = Rect.Top; Trap.P2.Y = Rect.Bottom;
    }
  }
}

void Intersect(const TPoint& P1, const TPoint& P2, const TPoint& Q, TPoint& R, TDirection Direction) {
  // Rounding to nearest, ties to even (the default rounding mode).
  if (Direction == dirUp || Direction == dirDown) {
    R.Y = Q.Y;
    if (P2.Y == P1.Y) { R.X = P2.X; return; }
    double x = P2.X - double(P2.X - P1.X) / (P2.Y - P1.Y) * (P2.Y - Q.Y);
    R.X = static_cast<int>(std::nearbyint(x));
  } else {
    R.X = Q.X;
    if (P2.X == P1.X) { R.Y = P2.Y; return; }
    double y = P2.Y - double(P2.Y - P1.Y) / (P2.X - P1.X) * (P2.X - Q.X);
    R.Y = static_cast<int>(std::nearbyint(y));
  }
}

void AdjustTrapezoid(const TTrap& Trap, const TRect& Rect, TDirection Direction, TTrap& Result) {
  TTrap t = Trap;  // Result may be Trap
  TPoint top(Rect.Left, Rect.Top), bottom(Rect.Right, Rect.Bottom);
  if (Direction == dirUp || Direction == dirDown) {
    Intersect(t.P0, t.P3, top, Result.P0, Direction);
    Intersect(t.P1, t.P2, top, Result.P1, Direction);
    Intersect(t.P0, t.P3, bottom, Result.P3, Direction);
    Intersect(t.P1, t.P2, bottom, Result.P2, Direction);
  } else {
    Intersect(t.P0, t.P1, top, Result.P0, Direction);
    Intersect(t.P3, t.P2, top, Result.P3, Direction);
    Intersect(t.P0, t.P1, bottom, Result.P1, Direction);
    Intersect(t.P3, t.P2, bottom, Result.P2, Direction);
  }
}

void InflateTrapezoid(TTrap& Trap, int N) {
  Trap.P0 = {Trap.P0.X - N, Trap.P0.Y - N};
  Trap.P1 = {Trap.P1.X + N, Trap.P1.Y - N};
  Trap.P2 = {Trap.P2.X + N, Trap.P2.Y + N};
  Trap.P3 = {Trap.P3.X - N, Trap.P3.Y + N};
}

void DrawTrapezoidBorder(TCanvas* Canvas, const TTrap& Trap, TTrapBevelStyle Style, int Width) {
  if (!Canvas) return;
  TPen saved;
  saved.Assign(Canvas->Pen());
  TColor a = Style == TTrapBevelStyle::bsLowered ? clBtnHighlight : clBtnShadow;
  TColor b = Style == TTrapBevelStyle::bsLowered ? clBtnShadow : clBtnHighlight;
  TOnExit restorePen([&] { Canvas->Pen()->Assign(&saved); });
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetStyle(psSolid);
  for (int i = 0; i < Width; ++i) {
    Canvas->Pen()->SetColor(a);
    Canvas->MoveTo(Trap.P1.X - i - 1, Trap.P1.Y + i);
    Canvas->LineTo(Trap.P2.X - i - 1, Trap.P2.Y - i - 1);
    Canvas->LineTo(Trap.P3.X + i, Trap.P3.Y - i - 1);
    Canvas->Pen()->SetColor(b);
    Canvas->LineTo(Trap.P0.X + i, Trap.P0.Y + i);
    Canvas->LineTo(Trap.P1.X - i - 1, Trap.P1.Y + i);
  }
}

// ---------------------------------------------------------------------------
// Parent background
// ---------------------------------------------------------------------------

namespace {
// Parents whose image is being painted: their painting may paint a child that asks
// for the same parent's image again (a graphic child is painted as part of its
// parent); that inner call has nothing to add and returns at once.
thread_local std::vector<TWinControl*> gPaintingParents;
}  // namespace

void DrawParentImage(TControl* Control, HDC DC, bool InvalidateParent) {
  if (!Control || !DC) return;
  TWinControl* parent = Control->Parent();
  if (!parent) return;
  if (std::find(gPaintingParents.begin(), gPaintingParents.end(), parent) != gPaintingParents.end()) return;
  gPaintingParents.push_back(parent);
  {
    int saved = SaveDC(DC);
    TOnExit restore([&] {
      RestoreDC(DC, saved);
      gPaintingParents.pop_back();
    });
    OffsetViewportOrgEx(DC, -Control->Left(), -Control->Top(), nullptr);
    IntersectClipRect(DC, 0, 0, parent->ClientWidth(), parent->ClientHeight());
    parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
    parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  }
  // Invalidating the parent from inside painting does not come back here without
  // end: the layer does not invalidate child windows with their parent, so a
  // windowed control is not painted again, and the parent's repaint settles.
  if (InvalidateParent && !dynamic_cast<TCustomControl*>(parent) &&
      !dynamic_cast<TCustomForm*>(parent) && !Control->ComponentState().Contains(TComponentStateItem::csDesigning))
    parent->Invalidate();
}

void DrawParentImage(TControl* Control, TCanvas* Dest, bool InvalidateParent) {
  if (!Dest) return;
  DrawParentImage(Control, Dest->Handle(), InvalidateParent);
}
