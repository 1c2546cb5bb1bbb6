#pragma once
// A picture of a control and its children, painted with PaintTo, read back pixel
// by pixel (control coordinates) for the drawing tests of the standard controls.
#include "platform/controls/controls.h"

class TShot {
public:
  explicit TShot(TWinControl* Control) {
    FDc = CreateCompatibleDC(nullptr);
    FBmp = CreateBitmap(Control->Width(), Control->Height(), 1, 32, nullptr);
    FOld = SelectObject(FDc, FBmp);
    Control->PaintTo(FDc, 0, 0);
  }
  ~TShot() {
    SelectObject(FDc, FOld);
    DeleteObject(FBmp);
    DeleteDC(FDc);
  }
  TShot(const TShot&) = delete;
  TShot& operator=(const TShot&) = delete;
  COLORREF operator()(int X, int Y) const { return GetPixel(FDc, X, Y); }
  // Whether any pixel of R has the colour.
  bool Any(const TRect& R, TColor Color) const {
    COLORREF c = ColorToRGB(Color);
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x)
        if (GetPixel(FDc, x, y) == c) return true;
    return false;
  }
  HBITMAP Bitmap() const { return FBmp; }

private:
  HDC FDc;
  HBITMAP FBmp;
  HGDIOBJ FOld;
};

inline COLORREF Rgb(TColor C) { return ColorToRGB(C); }
