#pragma once
// Indexed BMP files written the way other programs write them, for the tests of
// bitmaps that keep their colour table.
#include <cstdint>
#include <vector>

#include "platform/core/streams.h"
#include "platform/graphics/graphics.h"

namespace gfxtest {

// A file of Bits (1, 4 or 8) bits per pixel: a 40-byte header without a resolution
// or an image size, a colour table of Table (0xRRGGBB) with its length as the
// used-colour count, then Rows (top-down lists of indexes) stored bottom-up, or
// top-down with a negative height. The pad bytes that end each row hold Pad.
inline std::vector<uint8_t> IndexedBmp(int Bits, const std::vector<uint32_t>& Table,
                                       const std::vector<std::vector<int>>& Rows, bool TopDown = false,
                                       uint8_t Pad = 0) {
  const int w = static_cast<int>(Rows[0].size()), h = static_cast<int>(Rows.size());
  const int stride = (w * Bits + 31) / 32 * 4, used = (w * Bits + 7) / 8;
  const uint32_t off = 14 + 40 + 4 * static_cast<uint32_t>(Table.size());
  std::vector<uint8_t> v;
  auto put = [&v](uint32_t X, int N) {
    for (int i = 0; i < N; ++i) v.push_back(static_cast<uint8_t>(X >> (8 * i)));
  };
  v = {'B', 'M'};
  put(off + static_cast<uint32_t>(stride * h), 4);
  put(0, 4);
  put(off, 4);
  put(40, 4);
  put(static_cast<uint32_t>(w), 4);
  put(static_cast<uint32_t>(TopDown ? -h : h), 4);
  put(1, 2);
  put(static_cast<uint32_t>(Bits), 2);
  put(0, 4);  // no compression
  put(0, 4);  // image size left out
  put(0, 4);  // no resolution
  put(0, 4);
  put(static_cast<uint32_t>(Table.size()), 4);
  put(0, 4);
  for (uint32_t c : Table) put(c, 4);  // blue, green, red, 0
  for (int r = 0; r < h; ++r) {
    const std::vector<int>& row = Rows[TopDown ? r : h - 1 - r];
    std::vector<uint8_t> bytes(static_cast<size_t>(stride), 0);
    for (int x = 0; x < w; ++x)
      bytes[static_cast<size_t>(x * Bits / 8)] |=
          static_cast<uint8_t>(row[static_cast<size_t>(x)] << (8 - Bits - (x * Bits) % 8));
    for (int i = used; i < stride; ++i) bytes[static_cast<size_t>(i)] = Pad;
    v.insert(v.end(), bytes.begin(), bytes.end());
  }
  return v;
}

// The bytes a bitmap saves.
inline std::vector<uint8_t> Save(TBitmap& B) {
  TMemoryStream m;
  B.SaveToStream(&m);
  return m.Bytes();
}

// A palette's entries; none for no palette.
inline std::vector<PALETTEENTRY> EntriesOf(HPALETTE P) {
  uint16_t n = 0;
  if (!GetObject(P, n)) return {};
  std::vector<PALETTEENTRY> e(n);
  GetPaletteEntries(P, 0, n, e.data());
  return e;
}

}  // namespace gfxtest
