#pragma once
// Points, sizes and rectangles as the system passes them to the device-context
// functions and the canvas. A rectangle's right and bottom edges are exclusive:
// (0, 0, 10, 5) covers columns 0..9 and rows 0..4.
#include <cstdint>

struct TPoint {
  int X = 0;
  int Y = 0;
  constexpr TPoint() = default;
  constexpr TPoint(int AX, int AY) : X(AX), Y(AY) {}
  constexpr bool operator==(const TPoint&) const = default;
};
using POINT = TPoint;

struct TSize {
  int cx = 0;
  int cy = 0;
  constexpr TSize() = default;
  constexpr TSize(int ACx, int ACy) : cx(ACx), cy(ACy) {}
  constexpr bool operator==(const TSize&) const = default;
};
using SIZE = TSize;

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  constexpr TRect() = default;
  constexpr TRect(int L, int T, int R, int B) : Left(L), Top(T), Right(R), Bottom(B) {}
  constexpr TRect(TPoint TopLeft, TPoint BottomRight)
      : Left(TopLeft.X), Top(TopLeft.Y), Right(BottomRight.X), Bottom(BottomRight.Y) {}
  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  constexpr TPoint TopLeft() const { return {Left, Top}; }
  constexpr TPoint BottomRight() const { return {Right, Bottom}; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr bool Contains(TPoint P) const {
    return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom;
  }
  constexpr bool operator==(const TRect&) const = default;
};
using RECT = TRect;

constexpr TPoint Point(int X, int Y) { return {X, Y}; }
constexpr TRect Rect(int Left, int Top, int Right, int Bottom) { return {Left, Top, Right, Bottom}; }
constexpr TRect Bounds(int Left, int Top, int Width, int Height) {
  return {Left, Top, Left + Width, Top + Height};
}

// The rectangle helpers of the OS, with its results: an empty intersection or union
// gives (0, 0, 0, 0) and false.
bool IntersectRect(TRect& Dst, const TRect& A, const TRect& B);
bool UnionRect(TRect& Dst, const TRect& A, const TRect& B);
inline bool InflateRect(TRect& R, int Dx, int Dy) {
  R.Left -= Dx; R.Top -= Dy; R.Right += Dx; R.Bottom += Dy;
  return true;
}
inline bool OffsetRect(TRect& R, int Dx, int Dy) {
  R.Left += Dx; R.Top += Dy; R.Right += Dx; R.Bottom += Dy;
  return true;
}
inline bool PtInRect(const TRect& R, TPoint P) { return R.Contains(P); }
inline bool IsRectEmpty(const TRect& R) { return R.IsEmpty(); }
inline bool EqualRect(const TRect& A, const TRect& B) { return A == B; }
inline bool SetRect(TRect& R, int Left, int Top, int Right, int Bottom) {
  R = {Left, Top, Right, Bottom};
  return true;
}
inline bool SetRectEmpty(TRect& R) { R = {}; return true; }

// A colour as the device-context functions take it: 0x00BBGGRR.
using COLORREF = uint32_t;
constexpr COLORREF RGB(int R, int G, int B) {
  return static_cast<COLORREF>((R & 0xFF) | ((G & 0xFF) << 8) | ((B & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF C) { return static_cast<int>(C & 0xFF); }
constexpr int GetGValue(COLORREF C) { return static_cast<int>((C >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF C) { return static_cast<int>((C >> 16) & 0xFF); }
// What GetPixel and SetPixel report for a point outside the image or the clip.
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
