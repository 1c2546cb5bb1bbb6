// BMP and ICO codecs (our own code) and PNG through QtGui's QImage.
#include "platform/graphics/imageio.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/core/exceptions.h"
#include "platform/core/streams.h"
#include "platform/graphics/gdi_internal.h"

namespace gdi {

namespace {

constexpr int kMaxSide = 32768;
constexpr int64_t kMaxBytes = int64_t(1) << 30;

[[noreturn]] void BadBmp(const std::string& Why) { throw EInvalidGraphic("Bitmap image is not valid: " + Why); }
[[noreturn]] void BadIco(const std::string& Why) { throw EInvalidGraphic("Icon image is not valid: " + Why); }

uint16_t U16(const uint8_t* P) { return static_cast<uint16_t>(P[0] | (P[1] << 8)); }
uint32_t U32(const uint8_t* P) {
  return static_cast<uint32_t>(P[0]) | (static_cast<uint32_t>(P[1]) << 8) | (static_cast<uint32_t>(P[2]) << 16) |
         (static_cast<uint32_t>(P[3]) << 24);
}
int32_t I32(const uint8_t* P) { return static_cast<int32_t>(U32(P)); }
void Put16(std::vector<uint8_t>& V, uint32_t X) { V.push_back(uint8_t(X)); V.push_back(uint8_t(X >> 8)); }
void Put32(std::vector<uint8_t>& V, uint32_t X) { Put16(V, X & 0xFFFF); Put16(V, X >> 16); }

// What the headers of a DIB (after the file header) say.
struct TDibInfo {
  int HeaderSize = 0;
  int Width = 0;
  int Height = 0;  // > 0 bottom-up, < 0 top-down
  int Bpp = 0;
  uint32_t Compression = 0;
  uint32_t Masks[3] = {0, 0, 0};
  int PaletteCount = 0;
  int PaletteEntry = 4;
  int64_t PaletteOffset = 0;  // from the DIB start
  int64_t Stride = 0;
};

// Parses the DIB headers at Dib (Avail bytes); Bad raises the format's error.
template <class F>
TDibInfo ParseDib(const uint8_t* Dib, int64_t Avail, F Bad) {
  TDibInfo d;
  if (Avail < 12) Bad("truncated header");
  d.HeaderSize = static_cast<int>(U32(Dib));
  if (d.HeaderSize == 12) {
    d.Width = U16(Dib + 4);
    d.Height = static_cast<int16_t>(U16(Dib + 6));
    d.Bpp = U16(Dib + 10);
    d.PaletteEntry = 3;
  } else if (d.HeaderSize >= 40 && d.HeaderSize <= 124) {
    if (Avail < d.HeaderSize) Bad("truncated header");
    d.Width = I32(Dib + 4);
    d.Height = I32(Dib + 8);
    d.Bpp = U16(Dib + 14);
    d.Compression = U32(Dib + 16);
    uint32_t used = U32(Dib + 32);
    if (used > 256) Bad("palette too large");
    d.PaletteCount = static_cast<int>(used);
  } else {
    Bad("unknown header size " + std::to_string(d.HeaderSize));
  }
  if (d.Width <= 0 || d.Width > kMaxSide || d.Height == 0 || d.Height > kMaxSide || d.Height < -kMaxSide)
    Bad("bad size " + std::to_string(d.Width) + " x " + std::to_string(d.Height));
  if (d.Bpp != 1 && d.Bpp != 4 && d.Bpp != 8 && d.Bpp != 16 && d.Bpp != 24 && d.Bpp != 32)
    Bad("unsupported bit depth " + std::to_string(d.Bpp));
  int64_t after = d.HeaderSize;
  if (d.Compression == 3) {  // BI_BITFIELDS: masks inside a large header or right after a small one
    if (d.Bpp != 16 && d.Bpp != 32) Bad("bit fields need 16 or 32 bits per pixel");
    const uint8_t* m = Dib + 40;
    if (d.HeaderSize == 40) {
      if (Avail < 52) Bad("truncated bit fields");
      after = 52;
    }
    for (int i = 0; i < 3; ++i) d.Masks[i] = U32(m + 4 * i);
  } else if (d.Compression != 0) {
    Bad("unsupported compression " + std::to_string(d.Compression));
  }
  if (d.Bpp <= 8 && d.PaletteCount == 0) d.PaletteCount = 1 << d.Bpp;
  if (d.Bpp > 8 && d.HeaderSize == 12) d.PaletteCount = 0;
  d.PaletteOffset = after;
  d.Stride = (int64_t(d.Width) * d.Bpp + 31) / 32 * 4;
  return d;
}

uint32_t FromMask(uint32_t V, uint32_t Mask) {
  if (Mask == 0) return 0;
  int shift = 0;
  while (!((Mask >> shift) & 1)) ++shift;
  uint32_t max = Mask >> shift;
  return ((V & Mask) >> shift) * 255 / max;
}

// Decodes DIB pixels (rows as the header orders them) into 0xFFRRGGBB.
void DecodePixels(const TDibInfo& D, const uint8_t* Palette, const uint8_t* Bits, int Rows, std::vector<uint32_t>& Out) {
  int w = D.Width;
  Out.assign(static_cast<size_t>(w) * static_cast<size_t>(Rows), 0xFF000000u);
  auto pal = [&](int i) -> uint32_t {
    if (i >= D.PaletteCount) return 0xFF000000u;
    const uint8_t* p = Palette + static_cast<ptrdiff_t>(i) * D.PaletteEntry;
    return 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
  };
  uint32_t masks[3] = {D.Masks[0], D.Masks[1], D.Masks[2]};
  if (D.Compression == 0 && D.Bpp == 16) { masks[0] = 0x7C00; masks[1] = 0x03E0; masks[2] = 0x001F; }
  for (int r = 0; r < Rows; ++r) {
    int y = D.Height > 0 ? Rows - 1 - r : r;
    const uint8_t* row = Bits + static_cast<ptrdiff_t>(r) * D.Stride;
    uint32_t* out = Out.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
    for (int x = 0; x < w; ++x) {
      switch (D.Bpp) {
        case 1: out[x] = pal((row[x / 8] >> (7 - x % 8)) & 1); break;
        case 4: out[x] = pal((row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF); break;
        case 8: out[x] = pal(row[x]); break;
        case 16: {
          uint32_t v = U16(row + 2 * x);
          out[x] = 0xFF000000u | (FromMask(v, masks[0]) << 16) | (FromMask(v, masks[1]) << 8) | FromMask(v, masks[2]);
          break;
        }
        case 24: out[x] = 0xFF000000u | (uint32_t(row[3 * x + 2]) << 16) | (uint32_t(row[3 * x + 1]) << 8) | row[3 * x]; break;
        case 32: {
          uint32_t v = U32(row + 4 * x);
          if (D.Compression == 3)
            out[x] = 0xFF000000u | (FromMask(v, masks[0]) << 16) | (FromMask(v, masks[1]) << 8) | FromMask(v, masks[2]);
          else
            out[x] = 0xFF000000u | (v & 0xFFFFFF);
          break;
        }
      }
    }
  }
}

void ReadExact(TStream* S, std::vector<uint8_t>& V, size_t Count, void (*Bad)(const std::string&)) {
  size_t at = V.size();
  V.resize(at + Count);
  if (Count && S->Read(V.data() + at, static_cast<int64_t>(Count)) != static_cast<int64_t>(Count)) Bad("truncated data");
}

}  // namespace

std::vector<uint8_t> ReadBmpBytes(TStream* Stream) {
  std::vector<uint8_t> v;
  ReadExact(Stream, v, 18, BadBmp);
  if (v[0] != 'B' || v[1] != 'M') BadBmp("no BM signature");
  uint32_t hs = U32(v.data() + 14);
  if (hs < 12 || hs > 124) BadBmp("unknown header size " + std::to_string(hs));
  ReadExact(Stream, v, hs - 4, BadBmp);
  if (hs == 40 && U32(v.data() + 14 + 16) == 3) ReadExact(Stream, v, 12, BadBmp);  // bit-field masks
  TDibInfo d = ParseDib(v.data() + 14, static_cast<int64_t>(v.size()) - 14, BadBmp);
  int64_t pixels = d.Stride * std::abs(d.Height);
  int64_t palEnd = 14 + d.PaletteOffset + int64_t(d.PaletteCount) * d.PaletteEntry;
  int64_t off = U32(v.data() + 10);
  if (off == 0) off = palEnd;
  int64_t total = std::max(palEnd, off + pixels);
  if (total > kMaxBytes) BadBmp("too large");
  if (total > static_cast<int64_t>(v.size())) ReadExact(Stream, v, static_cast<size_t>(total) - v.size(), BadBmp);
  else v.resize(static_cast<size_t>(total));
  return v;
}

void DecodeBmp(const std::vector<uint8_t>& Data, TSurface& Out, TPixelFormat& Format,
               std::vector<PALETTEENTRY>* Table) {
  if (Data.size() < 18 || Data[0] != 'B' || Data[1] != 'M') BadBmp("no BM signature");
  int64_t size = static_cast<int64_t>(Data.size());
  TDibInfo d = ParseDib(Data.data() + 14, size - 14, BadBmp);
  int64_t palAt = 14 + d.PaletteOffset;
  if (palAt + int64_t(d.PaletteCount) * d.PaletteEntry > size) BadBmp("truncated palette");
  int64_t off = U32(Data.data() + 10);
  if (off == 0) off = palAt + int64_t(d.PaletteCount) * d.PaletteEntry;
  int rows = std::abs(d.Height);
  if (off < 0 || off + d.Stride * rows > size) BadBmp("truncated pixel data");
  const uint8_t* pal = Data.data() + palAt;
  std::vector<uint32_t> px;
  DecodePixels(d, pal, Data.data() + off, rows, px);
  // A 1-bit image with a black-and-white palette is a monochrome bitmap.
  bool mono = false;
  if (d.Bpp == 1 && d.PaletteCount >= 2) {
    auto entry = [&](int i) { const uint8_t* p = pal + i * d.PaletteEntry; return (p[0] | (p[1] << 8) | (p[2] << 16)); };
    mono = entry(0) == 0 && entry(1) == 0xFFFFFF;
  }
  if (Table) {
    Table->clear();
    for (int i = 0; d.Bpp <= 8 && i < d.PaletteCount; ++i) {
      const uint8_t* p = pal + static_cast<ptrdiff_t>(i) * d.PaletteEntry;
      Table->push_back({p[2], p[1], p[0], 0});
    }
  }
  Out.Width = d.Width;
  Out.Height = rows;
  Out.Mono = mono;
  Out.Bits.assign(px.begin(), px.end());
  switch (d.Bpp) {
    case 1: Format = pf1bit; break;
    case 4: Format = pf4bit; break;
    case 8: Format = pf8bit; break;
    case 16: Format = (d.Compression == 3 && d.Masks[1] == 0x07E0) ? pf16bit : pf15bit; break;
    case 24: Format = pf24bit; break;
    default: Format = pf32bit; break;
  }
}

namespace {
// The file and info headers of a bottom-up, uncompressed BMP whose colour table
// (4 bytes an entry) and pixels follow; the caller appends both.
std::vector<uint8_t> BmpHeaders(const TSurface& S, int Bpp, uint32_t PalBytes, uint32_t Image) {
  const uint32_t off = 14 + 40 + PalBytes;
  std::vector<uint8_t> v;
  v.reserve(off + Image);
  v.push_back('B'); v.push_back('M');
  Put32(v, off + Image); Put32(v, 0); Put32(v, off);
  Put32(v, 40); Put32(v, static_cast<uint32_t>(S.Width)); Put32(v, static_cast<uint32_t>(S.Height));
  Put16(v, 1); Put16(v, static_cast<uint32_t>(Bpp)); Put32(v, 0); Put32(v, Image);
  Put32(v, 3780); Put32(v, 3780);  // 96 pixels per inch
  Put32(v, PalBytes / 4); Put32(v, 0);
  return v;
}
}  // namespace

std::vector<uint8_t> EncodeBmp(const TSurface& S, int BitsPerPixel) {
  int bpp = (BitsPerPixel == 1 && S.Mono) ? 1 : (BitsPerPixel == 32 ? 32 : 24);
  int64_t stride = (int64_t(S.Width) * bpp + 31) / 32 * 4;
  uint32_t palBytes = bpp == 1 ? 8 : 0;
  std::vector<uint8_t> v = BmpHeaders(S, bpp, palBytes, static_cast<uint32_t>(stride * S.Height));
  if (bpp == 1) { Put32(v, 0x000000); Put32(v, 0xFFFFFF); }
  for (int y = S.Height - 1; y >= 0; --y) {
    const uint32_t* row = S.Row(y);
    size_t start = v.size();
    if (bpp == 1) {
      v.resize(start + static_cast<size_t>(stride), 0);
      for (int x = 0; x < S.Width; ++x)
        if (row[x] == kWhite) v[start + static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
      continue;
    }
    for (int x = 0; x < S.Width; ++x) {
      v.push_back(uint8_t(row[x])); v.push_back(uint8_t(row[x] >> 8)); v.push_back(uint8_t(row[x] >> 16));
      if (bpp == 32) v.push_back(0);
    }
    v.resize(start + static_cast<size_t>(stride), 0);
  }
  return v;
}

std::vector<uint8_t> EncodeIndexedBmp(const TSurface& S, int BitsPerPixel, const std::vector<PALETTEENTRY>& Table) {
  const int bpp = BitsPerPixel;
  if ((bpp != 1 && bpp != 4 && bpp != 8) || Table.empty() || Table.size() > (size_t(1) << bpp)) return {};
  // The first entry of each colour is its index.
  std::unordered_map<uint32_t, uint8_t> index;
  for (size_t i = Table.size(); i-- > 0;) {
    const PALETTEENTRY& e = Table[i];
    index[0xFF000000u | (uint32_t(e.peRed) << 16) | (uint32_t(e.peGreen) << 8) | e.peBlue] = static_cast<uint8_t>(i);
  }
  int64_t stride = (int64_t(S.Width) * bpp + 31) / 32 * 4;
  uint32_t palBytes = static_cast<uint32_t>(Table.size()) * 4;
  std::vector<uint8_t> v = BmpHeaders(S, bpp, palBytes, static_cast<uint32_t>(stride * S.Height));
  for (const PALETTEENTRY& e : Table) {
    v.push_back(e.peBlue); v.push_back(e.peGreen); v.push_back(e.peRed); v.push_back(0);
  }
  const int perByte = 8 / bpp;
  for (int y = S.Height - 1; y >= 0; --y) {
    const uint32_t* row = S.Row(y);
    size_t start = v.size();
    v.resize(start + static_cast<size_t>(stride), 0);
    for (int x = 0; x < S.Width; ++x) {
      auto it = index.find(row[x] | 0xFF000000u);
      if (it == index.end()) return {};
      int shift = (perByte - 1 - x % perByte) * bpp;
      v[start + static_cast<size_t>(x / perByte)] |= static_cast<uint8_t>(it->second << shift);
    }
  }
  return v;
}

// ---------------------------------------------------------------------------
// ICO
// ---------------------------------------------------------------------------

std::vector<uint8_t> ReadIcoBytes(TStream* Stream) {
  std::vector<uint8_t> v;
  ReadExact(Stream, v, 6, BadIco);
  if (U16(v.data()) != 0 || U16(v.data() + 2) != 1) BadIco("no icon directory");
  int count = U16(v.data() + 4);
  if (count == 0) BadIco("no images");
  ReadExact(Stream, v, static_cast<size_t>(count) * 16, BadIco);
  int64_t end = static_cast<int64_t>(v.size());
  for (int i = 0; i < count; ++i) {
    const uint8_t* e = v.data() + 6 + 16 * i;
    end = std::max(end, int64_t(U32(e + 12)) + int64_t(U32(e + 8)));
  }
  if (end > kMaxBytes) BadIco("too large");
  ReadExact(Stream, v, static_cast<size_t>(end) - v.size(), BadIco);
  return v;
}

int IcoImageCount(const std::vector<uint8_t>& Data) {
  int64_t size = static_cast<int64_t>(Data.size());
  if (size < 6 || U16(Data.data()) != 0 || U16(Data.data() + 2) != 1) BadIco("no icon directory");
  int count = U16(Data.data() + 4);
  if (count == 0 || 6 + 16 * int64_t(count) > size) BadIco("truncated directory");
  return count;
}

void DecodeIco(const std::vector<uint8_t>& Data, int& Width, int& Height, std::vector<uint32_t>& Pixels) {
  int count = IcoImageCount(Data);
  // The 32 x 32 image with the most colours, else the first.
  int pick = 0, bestBits = -1;
  for (int i = 0; i < count; ++i) {
    const uint8_t* e = Data.data() + 6 + 16 * i;
    int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256, bits = U16(e + 6);
    if (w == 32 && h == 32 && bits > bestBits) { pick = i; bestBits = bits; }
  }
  DecodeIcoImage(Data, pick, Width, Height, Pixels);
}

void DecodeIcoImage(const std::vector<uint8_t>& Data, int Index, int& Width, int& Height,
                    std::vector<uint32_t>& Pixels) {
  int64_t size = static_cast<int64_t>(Data.size());
  if (Index < 0 || Index >= IcoImageCount(Data)) BadIco("no such image");
  const uint8_t* e = Data.data() + 6 + 16 * Index;
  int64_t len = U32(e + 8), off = U32(e + 12);
  if (off < 0 || off + len > size || len < 12) BadIco("truncated image");
  const uint8_t* img = Data.data() + off;
  if (len >= 8 && std::memcmp(img, "\x89PNG\r\n\x1a\n", 8) == 0) {
    QImage q;
    if (!q.loadFromData(img, static_cast<int>(len), "PNG")) BadIco("bad PNG image");
    q = q.convertToFormat(QImage::Format_ARGB32);
    Width = q.width();
    Height = q.height();
    Pixels.resize(static_cast<size_t>(Width) * static_cast<size_t>(Height));
    for (int y = 0; y < Height; ++y)
      std::memcpy(Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(Width), q.constScanLine(y),
                  static_cast<size_t>(Width) * 4);
    return;
  }
  TDibInfo d = ParseDib(img, len, BadIco);
  if (d.Compression != 0) BadIco("compressed image");
  int h = std::abs(d.Height) / 2;  // the height covers the image and its AND mask
  if (h == 0) BadIco("bad size");
  TDibInfo xd = d;
  xd.Height = h;
  int64_t palAt = d.PaletteOffset, bitsAt = palAt + int64_t(d.PaletteCount) * d.PaletteEntry;
  int64_t maskStride = (int64_t(d.Width) + 31) / 32 * 4;
  int64_t maskAt = bitsAt + d.Stride * h;
  bool hasMask = maskAt + maskStride * h <= len;
  if (maskAt > len) BadIco("truncated image");
  std::vector<uint32_t> px;
  DecodePixels(xd, img + palAt, img + bitsAt, h, px);
  // 32-bit images with any alpha use it; others take the AND mask (1 = transparent).
  bool alpha = false;
  if (d.Bpp == 32)
    for (int64_t i = 0; i < int64_t(d.Width) * h && !alpha; ++i)
      alpha = img[bitsAt + (i / d.Width) * d.Stride + (i % d.Width) * 4 + 3] != 0;
  for (int r = 0; r < h; ++r) {
    int y = h - 1 - r;
    for (int x = 0; x < d.Width; ++x) {
      uint32_t a = 255;
      if (alpha) a = img[bitsAt + r * d.Stride + x * 4 + 3];
      else if (hasMask && ((img[maskAt + r * maskStride + x / 8] >> (7 - x % 8)) & 1)) a = 0;
      uint32_t& p = px[static_cast<size_t>(y) * static_cast<size_t>(d.Width) + static_cast<size_t>(x)];
      p = (p & 0xFFFFFF) | (a << 24);
    }
  }
  Width = d.Width;
  Height = h;
  Pixels = std::move(px);
}

// ---------------------------------------------------------------------------
// PNG
// ---------------------------------------------------------------------------

std::vector<uint8_t> EncodePng(const TSurface& S) {
  QImage img(reinterpret_cast<const uchar*>(S.Bits.data()), S.Width, S.Height, S.Width * 4, QImage::Format_RGB32);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (S.Width == 0 || S.Height == 0 || !img.save(&buffer, "PNG"))
    throw EInvalidGraphicOperation("Cannot encode the image as PNG");
  return {bytes.begin(), bytes.end()};
}

}  // namespace gdi

void SaveBitmapToPng(HBITMAP Bitmap, const std::string& FileName) {
  if (!Bitmap) throw EInvalidGraphicOperation("No bitmap to save");
  std::vector<uint8_t> png = gdi::EncodePng(Bitmap->Surface);
  TFileStream f(FileName, fmCreate);
  f.WriteBuffer(png.data(), static_cast<int64_t>(png.size()));
}
