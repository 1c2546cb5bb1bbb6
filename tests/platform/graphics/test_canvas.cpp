// TCanvas over its objects, TBitmap (files, resources, transparency, sizes) and TIcon.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "gfx_test_util.h"
#include "platform/core/streams.h"
#include "platform/graphics/graphics.h"

using namespace gfxtest;

namespace {

std::string Pic(TBitmap& B) {
  std::string out;
  for (int y = 0; y < B.Height(); ++y) {
    for (int x = 0; x < B.Width(); ++x) {
      auto it = Legend().find(static_cast<COLORREF>(B.Canvas()->Pixels(x, y)));
      out += it == Legend().end() ? '?' : it->second;
    }
    out += '\n';
  }
  return out;
}

std::vector<uint8_t> Save(TBitmap& B) {
  TMemoryStream m;
  B.SaveToStream(&m);
  return m.Bytes();
}

void Load(TGraphic& G, const std::vector<uint8_t>& Bytes) {
  TMemoryStream m;
  m.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  m.SetPosition(0);
  G.LoadFromStream(&m);
}

struct TDataBitmap : TBitmap {
  using TBitmap::ReadData;
  using TBitmap::WriteData;
};

}  // namespace

TEST(Canvas, ObjectsReachTheContextWhenTheyChange) {
  TBitmap b(6, 3);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clRed);
  c->FillRect({0, 0, 6, 3});
  c->Pen()->SetColor(clBlue);
  c->MoveTo(0, 1);
  c->LineTo(6, 1);
  c->Pen()->SetMode(pmXor);
  c->Pen()->SetColor(clWhite);
  c->MoveTo(0, 2);
  c->LineTo(3, 2);
  EXPECT_EQ(Pic(b), Rows({"RRRRRR", "BBBBBB", "???RRR"}));
  EXPECT_EQ(c->Pixels(0, 2), TColor(RGB(0, 255, 255)));
  EXPECT_EQ(c->Pixels(6, 0), TColor(-1));  // outside: an invalid colour
  c->SetPixels(-1, 0, clBlack);            // ignored
  EXPECT_EQ(c->PenPos(), TPoint(3, 2));
}

TEST(Canvas, BrushColourMakesAClearBrushSolidAndStyleSetsTheBackgroundMode) {
  TBrush brush;
  brush.SetStyle(bsClear);
  brush.SetColor(clRed);
  EXPECT_EQ(brush.Style(), bsSolid);
  TBitmap b(4, 1);
  TCanvas* c = b.Canvas();
  c->Brush()->SetStyle(bsClear);
  EXPECT_EQ(GetBkMode(c->Handle()), TRANSPARENT);
  c->Brush()->SetColor(clBlue);
  EXPECT_EQ(GetBkMode(c->Handle()), OPAQUE);
  EXPECT_EQ(GetBkColor(c->Handle()), ColorToRGB(clBlue));
}

TEST(Canvas, ChangeEventsFire) {
  TFont f;
  int font = 0;
  f.OnChange = [&](TObject*) { ++font; };
  f.SetSize(10);
  f.SetSize(10);  // unchanged: no event
  f.SetColor(clRed);
  f.SetStyle({fsBold});
  EXPECT_EQ(font, 3);
  TBitmap b(2, 2);
  int bitmap = 0;
  b.OnChange = [&](TObject*) { ++bitmap; };
  b.Canvas()->Font()->Assign(&f);  // the canvas's objects tell only the canvas
  b.Canvas()->Rectangle(0, 0, 2, 2);
  b.Canvas()->MoveTo(1, 1);        // moving the pen changes no pixel
  EXPECT_EQ(bitmap, 1);
  EXPECT_TRUE(b.Modified());
}

TEST(Canvas, FontSizeAndHeightAt96Dpi) {
  struct Case { int Size, Height; };
  TFont f;
  EXPECT_EQ(f.Name(), "MS Sans Serif");
  EXPECT_EQ(f.Height(), -11);
  EXPECT_EQ(f.Color(), clWindowText);
  for (Case c : {Case{8, -11}, Case{9, -12}, Case{10, -13}, Case{12, -16}, Case{14, -19}, Case{72, -96}}) {
    f.SetSize(c.Size);
    EXPECT_EQ(f.Height(), c.Height) << c.Size;
    EXPECT_EQ(f.Size(), c.Size) << c.Size;
  }
  // A handle made elsewhere is adopted with its description.
  f.SetHandle(CreateFont(-20, 0, 900, 900, FW_BOLD, 1, 0, 0, GB2312_CHARSET, 0, 0, 0, FIXED_PITCH, "Verdana"));
  EXPECT_EQ(f.Height(), -20);
  EXPECT_EQ(f.Name(), "Verdana");
  EXPECT_EQ(f.Style(), TFontStyles({fsBold, fsItalic}));
  EXPECT_EQ(f.Orientation(), 900);
  EXPECT_EQ(f.Pitch(), fpFixed);
  EXPECT_EQ(f.Charset(), GB2312_CHARSET);
}

TEST(Canvas, TextRectFillsWithTheBrushAndClips) {
  TBitmap b(40, 20);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clRed);
  c->Font()->SetColor(clRed);
  c->TextRect({2, 3, 12, 9}, 0, 0, "HHHHHHHH");
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x)
      EXPECT_EQ(b.Canvas()->Pixels(x, y), (x >= 2 && x < 12 && y >= 3 && y < 9) ? clRed : clBlack) << x << "," << y;
  c->TextOut(1, 1, "Hi");
  EXPECT_EQ(c->PenPos(), TPoint(1 + c->TextWidth("Hi"), 1));
  EXPECT_EQ(c->TextHeight("x"), c->TextExtent("Hi").cy);
}

TEST(Canvas, CanvasWithoutAContextRefusesToDraw) {
  TCanvas c;
  try {
    c.Rectangle(0, 0, 1, 1);
    FAIL();
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "Canvas does not allow drawing");
  }
  TPaintDC p(2, 2);
  c.SetHandle(p.Dc);
  c.Brush()->SetColor(clRed);
  c.FillRect({0, 0, 2, 2});
  EXPECT_EQ(p.Picture(), "RR\nRR\n");
  c.SetHandle(nullptr);
  EXPECT_EQ(GetCurrentObject(p.Dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
}

TEST(Canvas, DrawCopyRectAndBrushCopy) {
  TBitmap glyph(3, 2);
  glyph.Canvas()->Brush()->SetColor(clLime);
  glyph.Canvas()->FillRect({0, 0, 3, 2});
  glyph.Canvas()->SetPixels(1, 0, clRed);
  glyph.Canvas()->SetPixels(2, 1, clBlue);
  EXPECT_EQ(glyph.TransparentColor(), clLime);  // the bottom-left pixel

  TBitmap target(4, 3);
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect({0, 0, 4, 3});
  glyph.SetTransparent(true);
  target.Canvas()->Draw(1, 1, &glyph);
  EXPECT_EQ(Pic(target), Rows({"WWWW", "WWRW", "WWWB"}));

  glyph.SetTransparent(false);
  target.Canvas()->StretchDraw({0, 0, 4, 1}, &glyph);  // columns 0, 1, 1, 2 of row 1
  EXPECT_EQ(Pic(target).substr(0, 5), "...B\n");

  target.Canvas()->SetCopyMode(cmSrcInvert);
  target.Canvas()->CopyRect({0, 2, 3, 3}, glyph.Canvas(), {0, 1, 3, 2});
  EXPECT_EQ(target.Canvas()->Pixels(0, 2), TColor(RGB(255, 0, 255)));  // white xor lime

  target.Canvas()->Brush()->SetColor(clBlack);
  target.Canvas()->BrushCopy({0, 1, 3, 2}, &glyph, {0, 0, 3, 1}, clLime);
  EXPECT_EQ(Pic(target).substr(5, 5), "KRKW\n");
}

TEST(Bitmap, SizeMonochromeAndTransparentColour) {
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  b.SetSize(3, 2);
  b.Canvas()->SetPixels(0, 0, clRed);
  b.SetSize(4, 3);  // the shared top-left part stays; new pixels are black
  EXPECT_EQ(Pic(b), Rows({"RKKK", "KKKK", "KKKK"}));
  b.Canvas()->SetPixels(1, 0, TColor(RGB(200, 200, 200)));
  b.SetMonochrome(true);
  EXPECT_EQ(b.PixelFormat(), pf1bit);
  EXPECT_EQ(Pic(b), Rows({"KWKK", "KKKK", "KKKK"}));
  b.SetTransparentColor(clWhite);
  EXPECT_EQ(b.TransparentMode(), tmFixed);
  b.SetTransparentMode(tmAuto);
  EXPECT_EQ(b.TransparentColor(), clBlack);
  EXPECT_THROW(b.SetSize(-1, 2), EInvalidGraphicOperation);
  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, BmpFilesRoundTrip) {
  struct Case { TPixelFormat Format; int Bits; };
  for (Case c : {Case{pf1bit, 1}, Case{pf24bit, 24}, Case{pf32bit, 32}}) {
    TBitmap a(5, 3);
    a.Canvas()->Brush()->SetColor(clWhite);
    a.Canvas()->FillRect({0, 0, 5, 3});
    a.Canvas()->SetPixels(4, 0, TColor(RGB(1, 2, 3)));
    a.Canvas()->SetPixels(0, 2, clBlack);
    a.SetPixelFormat(c.Format);
    std::vector<uint8_t> bytes = Save(a);
    EXPECT_EQ(bytes[28], c.Bits);
    TBitmap b;
    Load(b, bytes);
    EXPECT_EQ(b.Monochrome(), c.Format == pf1bit);
    EXPECT_EQ(Pic(b), Pic(a));
    EXPECT_EQ(b.Canvas()->Pixels(4, 0), c.Format == pf1bit ? clBlack : TColor(RGB(1, 2, 3)));
  }
}

TEST(Bitmap, PalettedAndTopDownFilesLoad) {
  // A 2 x 2 8-bit file, bottom-up, palette red and blue; and the same top-down at 4 bits.
  std::vector<uint8_t> f8 = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0,
                             40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 8, 0, 0, 0, 0, 0, 8, 0, 0, 0,
                             0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,
                             0, 0, 255, 0, 255, 0, 0, 0,
                             1, 1, 0, 0,   // bottom row: blue blue
                             0, 1, 0, 0};  // top row: red blue
  TBitmap b;
  Load(b, f8);
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  EXPECT_EQ(Pic(b), Rows({"RB", "BB"}));
  std::vector<uint8_t> f4 = f8;
  f4[22] = 0xFE; f4[23] = 0xFF; f4[24] = 0xFF; f4[25] = 0xFF;  // height -2
  f4[28] = 4;
  f4[62] = 0x01; f4[66] = 0x11;  // row 0: red blue; row 1: blue blue
  Load(b, f4);
  EXPECT_EQ(b.PixelFormat(), pf4bit);
  EXPECT_EQ(Pic(b), Rows({"RB", "BB"}));
}

TEST(Bitmap, BadFilesRaiseAndLeaveTheBitmapAlone) {
  TBitmap good(2, 1);
  std::vector<uint8_t> bytes = Save(good);
  struct Case { const char* Name; std::vector<uint8_t> Data; };
  std::vector<uint8_t> truncated(bytes.begin(), bytes.end() - 1), badDepth = bytes, huge = bytes, noMagic = bytes;
  badDepth[28] = 7;
  huge[18] = 0; huge[19] = 0; huge[20] = 0x10;  // width 1 << 20
  noMagic[0] = 'X';
  for (const Case& c : {Case{"truncated", truncated}, Case{"depth", badDepth}, Case{"huge", huge},
                        Case{"magic", noMagic}, Case{"empty", {}}}) {
    TBitmap b(3, 3);
    EXPECT_THROW(Load(b, c.Data), EInvalidGraphic) << c.Name;
    EXPECT_EQ(b.Width(), 3) << c.Name;
  }
}

TEST(Bitmap, FormDataAndResources) {
  TDataBitmap a;
  a.SetSize(2, 2);
  a.Canvas()->SetPixels(1, 1, clRed);
  TMemoryStream m;
  a.WriteData(&m);
  std::vector<uint8_t> data = m.Bytes();
  EXPECT_EQ(data.size(), Save(a).size() + 4);
  EXPECT_EQ(data[0] | (data[1] << 8), static_cast<int>(data.size() - 4));
  m.SetPosition(0);
  TDataBitmap b;
  b.ReadData(&m);
  EXPECT_EQ(Pic(b), Pic(a));

  // A resource may hold the bitmap without its file header.
  static std::vector<uint8_t> dib;
  dib.assign(data.begin() + 4 + 14, data.end());
  RegisterResource("TEST_GLYPH", dib.data(), dib.size());
  TBitmap r;
  r.LoadFromResourceName(0, "test_glyph");
  EXPECT_EQ(Pic(r), Pic(a));
  EXPECT_THROW(r.LoadFromResourceName(0, "NO_SUCH_GLYPH"), EResNotFound);
}

TEST(Bitmap, SavesAsPng) {
  TBitmap b(3, 2);
  std::string file = (std::filesystem::temp_directory_path() / "dtu_gfx_test.png").string();
  b.SaveToPngFile(file);
  std::ifstream in(file, std::ios::binary);
  char sig[8] = {};
  in.read(sig, 8);
  EXPECT_EQ(std::string(sig, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  std::remove(file.c_str());
  EXPECT_THROW(b.SaveToPngFile("/nonexistent-dir/x.png"), EFCreateError);
}

TEST(Icon, LoadsAnIcoWithItsMaskAndDrawsThroughIt) {
  // One 2 x 2 image, 24 bits, AND mask with the top-left pixel transparent.
  std::vector<uint8_t> ico = {0, 0, 1, 0, 1, 0, 2, 2, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 22, 0, 0, 0};
  std::vector<uint8_t> img = {40, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                              0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                              255, 0, 0, 255, 0, 0, 0, 0,   // bottom row: blue blue
                              0, 0, 255, 0, 0, 255, 0, 0,   // top row: red red
                              0, 0, 0, 0,                   // mask bottom row: opaque
                              0x80, 0, 0, 0};               // mask top row: left transparent
  uint32_t size = static_cast<uint32_t>(img.size());
  ico[14] = uint8_t(size);
  ico.insert(ico.end(), img.begin(), img.end());
  TIcon icon;
  Load(icon, ico);
  EXPECT_EQ(icon.Width(), 2);
  EXPECT_EQ(icon.Pixels()[0] >> 24, 0u);
  TBitmap target(2, 2);
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect({0, 0, 2, 2});
  target.Canvas()->Draw(0, 0, &icon);
  EXPECT_EQ(Pic(target), Rows({"WR", "BB"}));
  TMemoryStream out;
  icon.SaveToStream(&out);
  EXPECT_EQ(out.Bytes(), ico);
  std::vector<uint8_t> bad(ico.begin(), ico.begin() + 30);
  EXPECT_THROW(Load(icon, bad), EInvalidGraphic);
  EXPECT_THROW(icon.SetWidth(3), EInvalidGraphicOperation);
}

TEST(Icon, DecodesEveryImageOfAFileInDirectoryOrder) {
  // 1 x 1 at 32 bits with half alpha, then 2 x 2 at 24 bits with the top-left masked.
  std::vector<uint8_t> small = {40, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0,
                                0x10, 0x20, 0x30, 0x80,  // BGRA
                                0, 0, 0, 0};             // mask
  std::vector<uint8_t> square = {40, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0,
                                 255, 0, 0, 255, 0, 0, 0, 0,  // bottom row: blue blue
                                 0, 0, 255, 0, 0, 255, 0, 0,  // top row: red red
                                 0, 0, 0, 0, 0x80, 0, 0, 0};  // mask: top-left transparent
  std::vector<uint8_t> ico = {0, 0, 1, 0, 2, 0};
  uint32_t at = 6 + 2 * 16;
  for (const auto* img : {&small, &square}) {
    uint8_t side = img == &small ? 1 : 2, bits = img == &small ? 32 : 24;
    uint32_t n = static_cast<uint32_t>(img->size());
    ico.insert(ico.end(), {side, side, 0, 0, 1, 0, bits, 0, uint8_t(n), uint8_t(n >> 8), 0, 0, uint8_t(at),
                           uint8_t(at >> 8), 0, 0});
    at += n;
  }
  ico.insert(ico.end(), small.begin(), small.end());
  ico.insert(ico.end(), square.begin(), square.end());
  std::vector<TIconImage> images = DecodeIconImages(ico.data(), ico.size());
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(images[0].Width, 1);
  EXPECT_EQ(images[0].Height, 1);
  EXPECT_EQ(images[0].Pixels, (std::vector<uint32_t>{0x80302010}));
  EXPECT_EQ(images[1].Width, 2);
  EXPECT_EQ(images[1].Height, 2);
  EXPECT_EQ(images[1].Pixels, (std::vector<uint32_t>{0x00FF0000, 0xFFFF0000, 0xFF0000FF, 0xFF0000FF}));
  for (size_t cut : {size_t{4}, size_t{20}, ico.size() - 60})
    EXPECT_THROW(DecodeIconImages(ico.data(), cut), EInvalidGraphic) << cut;
}
