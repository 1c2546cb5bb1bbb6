#pragma once
// A small bitmap read back as an ASCII map, one letter per pixel, for the drawing
// tests of the foundation. The letters are the classic system colours:
//   H white (clBtnHighlight, clWindow)   F clBtnFace / cl3DLight   S clBtnShadow
//   D cl3DDkShadow   T black (clBtnText)   . the background (pure green)
//   ? any other colour
#include <memory>
#include <string>

#include "platform/graphics/graphics.h"

constexpr TColor MapBackground = 0x00FF00;

class TCanvasMap {
public:
  TCanvasMap(int Width, int Height, TColor Background = MapBackground)
      : FBitmap(new TBitmap(Width, Height)) {
    Canvas()->Brush()->SetColor(Background);
    Canvas()->FillRect({0, 0, Width, Height});
  }
  TCanvas* Canvas() { return FBitmap->Canvas(); }
  COLORREF Pixel(int X, int Y) { return static_cast<COLORREF>(Canvas()->Pixels(X, Y)); }

  // Rows separated by '\n' (none after the last).
  std::string Map() {
    std::string out;
    for (int y = 0; y < FBitmap->Height(); ++y) {
      if (y) out += '\n';
      for (int x = 0; x < FBitmap->Width(); ++x) out += Letter(Pixel(x, y));
    }
    return out;
  }

  static char Letter(COLORREF C) {
    switch (C) {
      case RGB(255, 255, 255): return 'H';
      case RGB(212, 208, 200): return 'F';
      case RGB(128, 128, 128): return 'S';
      case RGB(64, 64, 64): return 'D';
      case RGB(0, 0, 0): return 'T';
      case RGB(0, 255, 0): return '.';
      default: return '?';
    }
  }

private:
  std::unique_ptr<TBitmap> FBitmap;
};

// "SSH\nS.H" from rows written one per string.
inline std::string Rows(std::initializer_list<const char*> Lines) {
  std::string out;
  for (const char* l : Lines) {
    if (!out.empty()) out += '\n';
    out += l;
  }
  return out;
}
