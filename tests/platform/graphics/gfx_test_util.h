#pragma once
// A memory device context over a bitmap for pixel tests, ASCII pictures of its
// pixels, and the maps kept in data/.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "platform/graphics/gdi.h"

namespace gfxtest {

// Colours of the classic table as the pictures name them.
inline const std::map<COLORREF, char>& Legend() {
  static const std::map<COLORREF, char> m = {
      {RGB(255, 255, 255), 'W'}, {RGB(212, 208, 200), 'F'}, {RGB(128, 128, 128), 'S'},
      {RGB(64, 64, 64), 'D'},    {RGB(0, 0, 0), 'K'},       {RGB(0, 255, 0), '.'},
      {RGB(255, 0, 0), 'R'},     {RGB(0, 0, 255), 'B'},
  };
  return m;
}
constexpr COLORREF kBack = RGB(0, 255, 0);  // '.' in pictures

struct TPaintDC {
  HDC Dc;
  HBITMAP Bmp;
  TPaintDC(int W, int H, COLORREF Fill = kBack, bool Mono = false) {
    Dc = CreateCompatibleDC(nullptr);
    Bmp = CreateBitmap(W, H, 1, Mono ? 1 : 32, nullptr);
    SelectObject(Dc, Bmp);
    HBRUSH b = CreateSolidBrush(Fill);
    TRect r{0, 0, W, H};
    FillRect(Dc, &r, b);
    DeleteObject(b);
  }
  ~TPaintDC() {
    DeleteDC(Dc);
    DeleteObject(Bmp);
  }
  TPaintDC(const TPaintDC&) = delete;
  TPaintDC& operator=(const TPaintDC&) = delete;
  // The pixel as stored, whatever the device context's origin and clip.
  COLORREF At(int X, int Y) const {
    uint32_t p = BitmapSurface(Bmp).Row(Y)[X];
    return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
  }
  // Rows of legend characters, '\n' after each; '?' for colours not in the legend.
  std::string Picture(const std::map<COLORREF, char>& L = Legend()) const {
    const TSurface& s = BitmapSurface(Bmp);
    std::string out;
    for (int y = 0; y < s.Height; ++y) {
      for (int x = 0; x < s.Width; ++x) {
        auto it = L.find(At(x, y));
        out += it == L.end() ? '?' : it->second;
      }
      out += '\n';
    }
    return out;
  }
  void Select(HGDIOBJ Obj) { SelectObject(Dc, Obj); }
};

// A picture from data/<File>: the lines after "[Name]" up to the next blank line.
inline std::string DataMap(const std::string& File, const std::string& Name) {
  std::ifstream in(std::string(DTU_TEST_DATA_DIR) + "/" + File);
  std::string line, out;
  bool on = false;
  while (std::getline(in, line)) {
    if (line == "[" + Name + "]") { on = true; continue; }
    if (!on) continue;
    if (line.empty()) break;
    out += line + '\n';
  }
  return out;
}

// Joins picture rows given one per argument.
inline std::string Rows(std::initializer_list<const char*> Lines) {
  std::string s;
  for (const char* l : Lines) s += std::string(l) + '\n';
  return s;
}

}  // namespace gfxtest
