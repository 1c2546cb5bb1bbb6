#pragma once
// Device-context state and the raster helpers shared by the sources of this folder.
// Nothing outside platform/graphics includes this header.
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/graphics/gdi.h"

// One level of device-context state (the part SaveDC keeps).
struct TDCState {
  HPEN Pen = nullptr;
  HBRUSH Brush = nullptr;
  HFONT Font = nullptr;
  HBITMAP Bitmap = nullptr;
  COLORREF TextColor = 0x000000;
  COLORREF BkColor = 0xFFFFFF;
  int BkMode = OPAQUE;
  int Rop2 = R2_COPYPEN;
  unsigned TextAlign = 0;
  TPoint ViewportOrg;
  TPoint WindowOrg;
  TPoint BrushOrg;
  TPoint CurPos;
  int StylePos = 0;             // pixels of the pen style run since the last MoveToEx
  bool HasClip = false;
  std::vector<TRect> Clip;      // device coordinates
};

struct TDeviceContext {
  TDCState S;
  std::vector<TDCState> Saved;
  bool Memory = true;           // false: a window layer's surface context
  bool Screen = false;          // the screen's context: ScreenSize is its resolution
  TSize ScreenSize;
  HBITMAP OwnBitmap = nullptr;  // the default bitmap of a memory context
  TPoint DCOrg;                 // device (0, 0) in the surface
  bool HasVisible = false;
  std::vector<TRect> Visible;   // device coordinates

  TSurface& Surface() { return S.Bitmap->Surface; }
  bool Mono() const { return S.Bitmap->Surface.Mono; }
  // Logical -> surface offset.
  int OffX() const;
  int OffY() const;
  // The drawable area in surface coordinates: clip, visible area and surface bounds.
  // Kept until the clip, the visible area or the surface changes; every fill asks.
  const std::vector<TRect>& ClipRects() {
    const TSurface& s = Surface();
    if (FClipValid && FClipSurface == &s && FClipW == s.Width && FClipH == s.Height) return FClip;
    return BuildClipRects();
  }
  void InvalidateClip() { FClipValid = false; }

private:
  const std::vector<TRect>& BuildClipRects();
  std::vector<TRect> FClip;
  bool FClipValid = false;
  int FClipW = -1;
  int FClipH = -1;
  TSurface* FClipSurface = nullptr;
};

namespace gdi {

// Coordinates are cut to +-2^29 on their way to the surface, so that no sum or
// product in the rasteriser overflows; work is bounded by the visible area, so a
// huge shape costs no more than one that covers the surface.
constexpr int kCoordLimit = 1 << 29;
inline int ClampCoord(int64_t V) {
  return V < -kCoordLimit ? -kCoordLimit : V > kCoordLimit ? kCoordLimit : static_cast<int>(V);
}
}  // namespace gdi

inline int TDeviceContext::OffX() const {
  return gdi::ClampCoord(int64_t(S.ViewportOrg.X) - S.WindowOrg.X + DCOrg.X);
}
inline int TDeviceContext::OffY() const {
  return gdi::ClampCoord(int64_t(S.ViewportOrg.Y) - S.WindowOrg.Y + DCOrg.Y);
}

namespace gdi {

// Logical -> surface.
inline int SurfX(TDeviceContext* Dc, int X) { return ClampCoord(int64_t(X) + Dc->OffX()); }
inline int SurfY(TDeviceContext* Dc, int Y) { return ClampCoord(int64_t(Y) + Dc->OffY()); }
inline TRect SurfRect(TDeviceContext* Dc, const TRect& R) {
  const int64_t x = Dc->OffX(), y = Dc->OffY();
  return {ClampCoord(R.Left + x), ClampCoord(R.Top + y), ClampCoord(R.Right + x), ClampCoord(R.Bottom + y)};
}
// The bounding box of the drawable area (surface coordinates).
TRect VisibleBox(TDeviceContext* Dc);

// COLORREF (0x00BBGGRR) <-> surface pixel (0xFFRRGGBB).
inline uint32_t ToPixel(COLORREF C) {
  return 0xFF000000u | ((C & 0xFFu) << 16) | (C & 0xFF00u) | ((C >> 16) & 0xFFu);
}
inline COLORREF ToColorRef(uint32_t P) {
  return ((P >> 16) & 0xFFu) | (P & 0xFF00u) | ((P & 0xFFu) << 16);
}
// Sets N pixels to P, N of any size. The C library's wide-character fill is a 32-bit
// fill that uses the widest stores the processor offers (chosen when the program
// starts), which a loop built for the baseline instruction set cannot; FillPixels
// below sends it the runs it does not write itself.
static_assert(sizeof(wchar_t) == sizeof(uint32_t));
inline void FillLongRun(uint32_t* Dst, size_t N, uint32_t P) {
  std::wmemset(reinterpret_cast<wchar_t*>(Dst), static_cast<wchar_t>(P), N);
}
// Runs at least this long go to FillLongRun: the call costs more than it saves below.
constexpr int kLongRun = 64;
// Sets N pixels to P. The plain loop (std::fill included) is not vectorised by
// g++ at -O2, so a short run is written 16 bytes at a time through a vector type;
// the few pixels left over are written singly.
inline void FillPixels(uint32_t* Dst, int N, uint32_t P) {
  if (N >= kLongRun) {
    FillLongRun(Dst, static_cast<size_t>(N), P);
    return;
  }
  using TVec = uint32_t __attribute__((vector_size(16)));
  const TVec v = {P, P, P, P};
  int i = 0;
  for (; i + 8 <= N; i += 8) {
    std::memcpy(Dst + i, &v, sizeof v);
    std::memcpy(Dst + i + 4, &v, sizeof v);
  }
  if (i + 4 <= N) {
    std::memcpy(Dst + i, &v, sizeof v);
    i += 4;
  }
  for (; i < N; ++i) Dst[i] = P;
}
constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
// A colour drawn on a monochrome surface becomes the nearer of black and white.
inline uint32_t SnapMono(uint32_t P) {
  int sum = static_cast<int>(((P >> 16) & 0xFF) + ((P >> 8) & 0xFF) + (P & 0xFF));
  return sum >= 383 ? kWhite : kBlack;
}
inline uint32_t ForSurface(const TSurface& S, uint32_t P) { return S.Mono ? SnapMono(P) : (P | 0xFF000000u); }

// Pen mix: the ROP2 code minus one is a truth table over pen (bit 1) and
// destination (bit 0), applied to each colour bit.
inline uint32_t Rop2(int Code, uint32_t P, uint32_t D) {
  switch (Code) {
    case R2_COPYPEN: return P;
    case R2_XORPEN: return (P ^ D) | 0xFF000000u;
    case R2_NOT: return ~D | 0xFF000000u;
    case R2_NOP: return D;
    default: break;
  }
  unsigned t = static_cast<unsigned>(Code - 1) & 0xF;
  uint32_t r = 0;
  if (t & 8) r |= P & D;
  if (t & 4) r |= P & ~D;
  if (t & 2) r |= ~P & D;
  if (t & 1) r |= ~P & ~D;
  return r | 0xFF000000u;
}

// Ternary raster operation: bits 16..23 of the code are a truth table indexed by
// P * 4 + S * 2 + D, applied to each colour bit.
inline uint32_t Rop3(uint8_t Code, uint32_t P, uint32_t S, uint32_t D) {
  switch (Code) {
    case 0xCC: return S;
    case 0xF0: return P;
    case 0x88: return S & D;
    case 0xEE: return S | D;
    case 0x66: return (S ^ D) | 0xFF000000u;
    case 0x55: return ~D | 0xFF000000u;
    case 0x5A: return (P ^ D) | 0xFF000000u;
    case 0x00: return 0xFF000000u;
    case 0xFF: return 0xFFFFFFFFu;
    case 0xAA: return D;
    default: break;
  }
  uint32_t r = 0;
  for (unsigned i = 0; i < 8; ++i)
    if (Code & (1u << i)) r |= ((i & 4) ? P : ~P) & ((i & 2) ? S : ~S) & ((i & 1) ? D : ~D);
  return r | 0xFF000000u;
}
inline bool RopUsesSource(uint8_t Code) { return (((Code >> 2) ^ Code) & 0x33) != 0; }
inline bool RopUsesPattern(uint8_t Code) { return (((Code >> 4) ^ Code) & 0x0F) != 0; }

// Region arithmetic over disjoint rectangle lists.
std::vector<TRect> RgnIntersect(const std::vector<TRect>& A, const TRect& R);
std::vector<TRect> RgnIntersect(const std::vector<TRect>& A, const std::vector<TRect>& B);
std::vector<TRect> RgnSubtract(const std::vector<TRect>& A, const TRect& R);
std::vector<TRect> RgnSubtract(const std::vector<TRect>& A, const std::vector<TRect>& B);
std::vector<TRect> RgnUnion(const std::vector<TRect>& A, const std::vector<TRect>& B);
std::vector<TRect> RgnOffset(std::vector<TRect> A, int Dx, int Dy);
TRect RgnBox(const std::vector<TRect>& A);
int RgnType(const std::vector<TRect>& A);

// The brush of an operation, sampled per surface pixel: false leaves the pixel
// alone (the background of a hatch in TRANSPARENT mode).
class TBrushSampler {
public:
  TBrushSampler(TDeviceContext* Dc, HBRUSH Brush);
  bool Null() const { return FNull; }
  bool Solid() const { return FSolid; }
  uint32_t SolidPixel() const { return FColor; }
  bool Sample(int Sx, int Sy, uint32_t& P) const;
private:
  bool FNull = false;
  bool FSolid = true;
  uint32_t FColor = 0;
  uint32_t FBack = 0;
  bool FBackTransparent = false;
  unsigned FHatch = 0;
  const TSurface* FPattern = nullptr;
  uint32_t FPatText = 0;
  uint32_t FPatBack = 0;
  bool FPatMap = false;
  int FOrgX = 0;
  int FOrgY = 0;
  bool FMonoTarget = false;
};

// Paints pixels through the clip of a device context (surface coordinates).
void FillSpanRop2(TDeviceContext* Dc, int Y, int X0, int X1, uint32_t Color, int Rop);
void FillBrushSpan(TDeviceContext* Dc, int Y, int X0, int X1, const TBrushSampler& Brush, int Rop);
// Fills a surface rectangle with a brush through the clip (raster operation P).
void FillBrushRect(TDeviceContext* Dc, const TRect& R, const TBrushSampler& Brush);
void PutPixelRop2(TDeviceContext* Dc, int X, int Y, uint32_t Color, int Rop);
bool InClip(TDeviceContext* Dc, int X, int Y);
// The runs of pixels a polygon fills (surface coordinates), each as a one-row
// rectangle.
void PolygonSpans(const TPoint* Pts, int Count, std::vector<TRect>& Spans, int RowMin = -kCoordLimit,
                  int RowMax = kCoordLimit);

}  // namespace gdi
