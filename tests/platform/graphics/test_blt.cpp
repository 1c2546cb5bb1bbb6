// Block transfers: the raster-operation truth table, monochrome <-> colour,
// stretching and mirroring, overlapping copies.
#include "gfx_test_util.h"

using namespace gfxtest;

namespace {

constexpr COLORREF kB = RGB(0, 0, 0), kW = RGB(255, 255, 255);

// Fills a one-row bitmap's pixels from a string of 'K' and 'W' (or legend letters).
void Paint(TPaintDC& P, const std::string& Row) {
  for (size_t x = 0; x < Row.size(); ++x)
    for (auto [c, ch] : Legend())
      if (ch == Row[x]) SetPixel(P.Dc, static_cast<int>(x), 0, c);
}

}  // namespace

TEST(Blt, RasterOperationTruthTable) {
  // Column i holds pattern, source and destination bits (i >> 2, i >> 1, i) & 1;
  // the result of each operation is bit i of its code's truth-table byte.
  const uint32_t rops[] = {SRCCOPY, SRCPAINT, SRCAND, SRCINVERT, SRCERASE, NOTSRCCOPY, NOTSRCERASE,
                           MERGECOPY, MERGEPAINT, PATCOPY, PATPAINT, PATINVERT, DSTINVERT, BLACKNESS,
                           WHITENESS, 0x00E20746 /* greyed-image operation: S ? D : P */};
  for (uint32_t rop : rops) {
    TPaintDC dst(8, 1), src(8, 1), pat(8, 1);
    std::string d, s, p;
    for (int i = 0; i < 8; ++i) {
      p += (i >> 2) & 1 ? 'W' : 'K';
      s += (i >> 1) & 1 ? 'W' : 'K';
      d += i & 1 ? 'W' : 'K';
    }
    Paint(dst, d);
    Paint(src, s);
    Paint(pat, p);
    HBRUSH brush = CreatePatternBrush(pat.Bmp);
    dst.Select(brush);
    ASSERT_TRUE(BitBlt(dst.Dc, 0, 0, 8, 1, src.Dc, 0, 0, rop));
    for (int i = 0; i < 8; ++i)
      EXPECT_EQ(dst.At(i, 0), ((rop >> (16 + i)) & 1) ? kW : kB) << std::hex << rop << " column " << i;
    dst.Select(GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  }
}

TEST(Blt, OperationsWorkOnEveryColourBit) {
  TPaintDC dst(1, 1, RGB(0x0F, 0xF0, 0x33)), src(1, 1, RGB(0xFF, 0x0F, 0x55));
  BitBlt(dst.Dc, 0, 0, 1, 1, src.Dc, 0, 0, SRCINVERT);
  EXPECT_EQ(dst.At(0, 0), RGB(0xF0, 0xFF, 0x66));
  BitBlt(dst.Dc, 0, 0, 1, 1, src.Dc, 0, 0, SRCAND);
  EXPECT_EQ(dst.At(0, 0), RGB(0xF0, 0x0F, 0x44));
  BitBlt(dst.Dc, 0, 0, 1, 1, nullptr, 0, 0, DSTINVERT);
  EXPECT_EQ(dst.At(0, 0), RGB(0x0F, 0xF0, 0xBB));
  EXPECT_FALSE(BitBlt(dst.Dc, 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));  // needs a source
  EXPECT_FALSE(PatBlt(dst.Dc, 0, 0, 1, 1, SRCCOPY));
}

TEST(Blt, MonochromeAndColourConvertThroughTextAndBackgroundColours) {
  // Monochrome to colour: 0 bits take the destination's text colour, 1 bits its
  // background colour.
  TPaintDC mono(4, 1, kB, true), color(4, 1);
  SetPixel(mono.Dc, 1, 0, kW);
  SetPixel(mono.Dc, 3, 0, kW);
  SetTextColor(color.Dc, RGB(255, 0, 0));
  SetBkColor(color.Dc, RGB(0, 0, 255));
  BitBlt(color.Dc, 0, 0, 4, 1, mono.Dc, 0, 0, SRCCOPY);
  EXPECT_EQ(color.Picture(), "RBRB\n");
  // Colour to monochrome: the source's background colour becomes white, all else black.
  SetBkColor(color.Dc, RGB(0, 0, 255));
  TPaintDC mask(4, 1, kB, true);
  BitBlt(mask.Dc, 0, 0, 4, 1, color.Dc, 0, 0, SRCCOPY);
  EXPECT_EQ(mask.Picture(), "KWKW\n");
  // A monochrome pattern brush on colour takes the same two colours.
  TPaintDC out(4, 1);
  HBRUSH brush = CreatePatternBrush(mono.Bmp);
  out.Select(brush);
  SetTextColor(out.Dc, RGB(0, 255, 0));
  SetBkColor(out.Dc, RGB(255, 0, 0));
  PatBlt(out.Dc, 0, 0, 4, 1, PATCOPY);
  EXPECT_EQ(out.Picture(), ".R.R\n");
  out.Select(GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}

TEST(Blt, StretchSamplesPixelCentresAndMirrorsOnOppositeSigns) {
  TPaintDC src(4, 1);
  Paint(src, "KWRB");
  struct Case { int X, W, SrcX, SrcW; const char* Want; };
  const Case cases[] = {
      {0, 4, 0, 4, "KWRB....\n"},
      {3, -4, 0, 4, "BRWK....\n"},      // the origin pixel and the three before it
      {0, 4, 3, -4, "BRWK....\n"},
      {3, -4, 3, -4, "KWRB....\n"},     // both negative: no mirror
      {0, 5, 0, 3, "KKWRR...\n"},       // widening: (2i + 1) * 3 / 10
      {0, 2, 0, 4, "WB......\n"},       // narrowing: (2i + 1) * 4 / 4
      {6, 4, 2, 4, "......RB\n"},       // clipped to the destination image
      {0, 4, 2, 4, "RB......\n"},       // source columns beyond the image leave pixels alone
  };
  for (const Case& c : cases) {
    TPaintDC dst(8, 1);
    StretchBlt(dst.Dc, c.X, 0, c.W, 1, src.Dc, c.SrcX, 0, c.SrcW, 1, SRCCOPY);
    EXPECT_EQ(dst.Picture(), c.Want) << c.X << " " << c.W << " " << c.SrcX << " " << c.SrcW;
  }
  // Vertical mirroring, as when a picture is completed from its top half.
  TPaintDC col(1, 4);
  SetPixel(col.Dc, 0, 0, RGB(255, 0, 0));
  SetPixel(col.Dc, 0, 1, RGB(0, 0, 255));
  StretchBlt(col.Dc, 0, 3, 1, -2, col.Dc, 0, 0, 1, 2, SRCCOPY);
  EXPECT_EQ(col.Picture(), "R\nB\nB\nR\n");
}

TEST(Blt, OverlappingCopyWithinOneBitmapReadsBeforeItWrites) {
  TPaintDC p(6, 1);
  Paint(p, "KWRB.S");
  BitBlt(p.Dc, 1, 0, 4, 1, p.Dc, 0, 0, SRCCOPY);
  EXPECT_EQ(p.Picture(), "KKWRBS\n");
  BitBlt(p.Dc, 0, 0, 4, 1, p.Dc, 1, 0, SRCCOPY);
  EXPECT_EQ(p.Picture(), "KWRBBS\n");
}

TEST(Blt, TransparentBltSkipsTheKeyColourAndHonoursTheClip) {
  TPaintDC src(4, 1), dst(4, 1, RGB(255, 255, 255));
  Paint(src, "K.R.");
  ExcludeClipRect(dst.Dc, 2, 0, 3, 1);
  TransparentBlt(dst.Dc, 0, 0, 4, 1, src.Dc, 0, 0, 4, 1, kBack);
  EXPECT_EQ(dst.Picture(), "KWWW\n");
}

TEST(PixelStorage, SizedStorageReadsAsZeroPastWhatItKeeps) {
  struct TCase {
    size_t Kept, Old, New;  // pixels kept, pixels the storage held before, new size
  };
  // Fresh small and large (system pages) blocks; storage shrunk and grown again
  // within its capacity, where old pixels lie past its size.
  const TCase cases[] = {{0, 0, 16}, {0, 0, 300000}, {2, 16, 16}, {0, 16, 8}, {3, 300000, 300000}};
  for (const TCase& c : cases) {
    TSurfaceBits bits;
    if (c.Old) {
      bits.assign(c.Old, 0x12345678);
      bits.resize(c.Kept);
    }
    gdi::SizeFreshPixels(bits, c.New);
    ASSERT_EQ(bits.size(), c.New);
    for (size_t i = 0; i < c.New; ++i)
      ASSERT_EQ(bits[i], i < c.Kept ? 0x12345678u : 0u) << "case " << c.Old << "/" << c.Kept << " at " << i;
  }
}
