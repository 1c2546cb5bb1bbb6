// Gradients (coverage, end colours, symmetry, band lengths), masked and tiled
// bitmaps, trapezoid geometry and the parent background.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "controls/common/gradients.h"
#include "platform/controls/forms.h"

namespace {

constexpr TColor kSentinel = 0xFF00FF;  // magenta: on no gradient between the colours below
constexpr TColor kStart = 0x000000, kStop = 0x0000FF;

const TGradientDirection kAll[] = {gdDiagonalUp, gdDiagonalDown, gdHorizontalEnd, gdHorizontalCenter,
                                   gdHorizontalBox, gdVerticalEnd, gdVerticalCenter, gdVerticalBox,
                                   gdSquareBox, gdBigSquareBox};

struct TPicture {
  TPicture(int W, int H, TColor Fill = kSentinel) : Bmp(W, H) {
    Bmp.Canvas()->Brush()->SetColor(Fill);
    Bmp.Canvas()->FillRect(Rect(0, 0, W, H));
  }
  TColor operator()(int X, int Y) { return Bmp.Canvas()->Pixels(X, Y); }
  TCanvas* Canvas() { return Bmp.Canvas(); }
  TBitmap Bmp;
};

// Lengths of the runs of equal colour down column 0 of rows 0 .. H-1.
std::vector<int> RowRuns(TPicture& P, int H) {
  std::vector<int> runs;
  for (int y = 0; y < H; ++y) {
    if (y == 0 || P(0, y) != P(0, y - 1)) runs.push_back(0);
    ++runs.back();
  }
  return runs;
}

}  // namespace

TEST(Gradient, EveryDirectionPaintsEveryPixelOfTheRectangleAndNothingElse) {
  const TSize sizes[] = {{1, 1}, {1, 17}, {17, 1}, {2, 2}, {7, 5}, {4, 9}, {40, 31}, {64, 64}};
  for (TGradientDirection d : kAll)
    for (uint8_t colors : {1, 9, 16})
      for (TSize s : sizes) {
        TPicture p(s.cx + 4, s.cy + 4);
        PaintGradient(p.Canvas(), Bounds(2, 2, s.cx, s.cy), d, kStart, kStop, colors);
        int left = 0;
        for (int y = 0; y < s.cy + 4; ++y)
          for (int x = 0; x < s.cx + 4; ++x) {
            bool inside = x >= 2 && y >= 2 && x < s.cx + 2 && y < s.cy + 2;
            if ((p(x, y) == kSentinel) == inside) ++left;
          }
        EXPECT_EQ(left, 0) << int(d) << " colors " << int(colors) << " " << s.cx << "x" << s.cy;
      }
  TPicture p(10, 10);  // an empty rectangle paints nothing
  PaintGradient(p.Canvas(), Rect(2, 2, 2, 9), gdHorizontalEnd, kStart, kStop, 1);
  PaintGradient(p.Canvas(), Rect(2, 2, 9, 2), gdSquareBox, kStart, kStop, 1);
  EXPECT_EQ(p(2, 2), kSentinel);
}

TEST(Gradient, EndColoursSitWhereTheDirectionPutsThem) {
  struct TCase {
    TGradientDirection Dir;
    TPoint StartAt, StopAt, StartAt2;
  } cases[] = {
      {gdHorizontalEnd, {5, 0}, {5, 39}, {0, 0}},
      {gdVerticalEnd, {0, 5}, {29, 5}, {0, 39}},
      {gdHorizontalCenter, {3, 0}, {3, 20}, {3, 39}},  // even height: Stop at H div 2
      {gdVerticalCenter, {0, 3}, {15, 3}, {29, 3}},
      {gdDiagonalUp, {0, 39}, {29, 0}, {0, 39}},
      {gdDiagonalDown, {0, 0}, {29, 39}, {0, 0}},
      {gdSquareBox, {0, 0}, {14, 19}, {29, 39}},
      {gdBigSquareBox, {0, 20}, {10, 15}, {29, 0}},  // the Stop centre widened by W/4, H/4
  };
  for (const TCase& c : cases) {
    TPicture p(30, 40);
    PaintGradient(p.Canvas(), Rect(0, 0, 30, 40), c.Dir, clWindowText, kStop, 1);  // system colours resolve
    EXPECT_EQ(p(c.StartAt.X, c.StartAt.Y), kStart) << int(c.Dir);
    EXPECT_EQ(p(c.StartAt2.X, c.StartAt2.Y), kStart) << int(c.Dir);
    EXPECT_EQ(p(c.StopAt.X, c.StopAt.Y), kStop) << int(c.Dir);
  }
  TPicture w1(1, 9);  // the vertical-centre direction at width 1 still paints its column
  PaintGradient(w1.Canvas(), Rect(0, 0, 1, 9), gdVerticalCenter, kStart, kStop, 1);
  EXPECT_EQ(w1(0, 4), kStop);
}

TEST(Gradient, BoxGradientsAreFourFoldSymmetric) {
  for (TGradientDirection d : {gdHorizontalBox, gdVerticalBox, gdSquareBox, gdBigSquareBox})
    for (TSize s : {TSize{5, 5}, TSize{6, 6}, TSize{21, 8}, TSize{30, 41}, TSize{64, 17}}) {
      TPicture p(s.cx, s.cy);
      PaintGradient(p.Canvas(), Rect(0, 0, s.cx, s.cy), d, 0x20C040, 0xF01008, 1);
      int broken = 0;
      for (int y = 0; y < s.cy; ++y)
        for (int x = 0; x < s.cx; ++x)
          if (p(x, y) != p(s.cx - 1 - x, y) || p(x, y) != p(x, s.cy - 1 - y)) ++broken;
      EXPECT_EQ(broken, 0) << int(d) << " " << s.cx << "x" << s.cy;
    }
}

// A left-to-right gradient is the same down every column. A large one is made once
// for a few rows and copied down, so clips, holes and a moved origin must cut it
// exactly where they cut a gradient painted band by band, and nothing else may change.
TEST(Gradient, LeftToRightGradientsKeepEachColumnAndTheClip) {
  struct TCase {
    const char* Name;
    TRect Clip;  // logical, before the origin moves
    TRect Hole;  // excluded from the clip when not empty
  } cases[] = {
      {"no clip", {-100, -100, 200, 200}, {}},
      {"clip cuts rows and columns", {7, 19, 45, 61}, {}},
      {"clip with a hole", {0, 0, 60, 80}, {20, 30, 35, 52}},
      {"one visible row", {0, 40, 60, 41}, {}},
  };
  const TRect r = Rect(3, 4, 57, 77);  // 54 x 73 before the origin moves
  for (TGradientDirection d : {gdVerticalEnd, gdVerticalCenter})
    for (const TCase& c : cases) {
      TPicture ref(60, 80), p(60, 80);
      HDC dc = p.Canvas()->Handle(), refDc = ref.Canvas()->Handle();
      int saved = SaveDC(dc), refSaved = SaveDC(refDc);
      SetViewportOrgEx(dc, -2, 3, nullptr);
      SetViewportOrgEx(refDc, -2, 3, nullptr);
      IntersectClipRect(dc, c.Clip.Left, c.Clip.Top, c.Clip.Right, c.Clip.Bottom);
      if (!c.Hole.IsEmpty()) ExcludeClipRect(dc, c.Hole.Left, c.Hole.Top, c.Hole.Right, c.Hole.Bottom);
      PaintGradient(p.Canvas(), r, d, 0x20C040, 0xF01008, 1);
      PaintGradient(ref.Canvas(), r, d, 0x20C040, 0xF01008, 1);
      RestoreDC(dc, saved);  // pixels are read back in device coordinates, unclipped
      RestoreDC(refDc, refSaved);
      auto in = [](const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; };
      int wrong = 0;
      for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 60; ++x) {
          int lx = x + 2, ly = y - 3;  // logical coordinates of the pixel
          bool shown = in(r, lx, ly) && in(c.Clip, lx, ly) && !in(c.Hole, lx, ly);
          TColor want = shown ? ref(x, 7) : kSentinel;  // row 7 lies inside r
          if (p(x, y) != want || (in(r, lx, ly) && ref(x, y) != ref(x, 7))) ++wrong;
        }
      EXPECT_EQ(wrong, 0) << int(d) << " " << c.Name;
    }
}

// Diagonal pictures as they have always been painted, pixel for pixel: each row
// holds the checksum of 32 pictures of its size (both directions, four colour
// pairs, four colour counts), painted at an offset into a larger canvas and, where
// Clipped, through a moved origin and a clip with a hole; the canvas round the
// picture is part of the sum.
TEST(Gradient, DiagonalPicturesKeepTheirPixels) {
  struct TCase {
    int W, H;
    bool Clipped;
    uint64_t Sum;
  } cases[] = {
      {1, 1, false, 8857544531911963051ull},       {1, 17, false, 7558848728779031811ull},
      {17, 1, false, 1315446236594589343ull},      {2, 2, false, 8241387525232290599ull},
      {3, 7, false, 18125289492803758009ull},      {6, 3, false, 8799811450035710067ull},
      {13, 13, false, 9377733197016372331ull},     {40, 31, true, 1999713402829536251ull},
      {64, 64, false, 8595465314043718623ull},     {100, 7, true, 1476830122459173661ull},
      {7, 100, false, 9168234387862259723ull},     {255, 3, false, 13911980518173272331ull},
      {320, 240, true, 18255178830767642403ull},   {640, 480, false, 15243111099045539487ull},
      {333, 777, false, 5654544306951915925ull},   {1000, 10, false, 11666422672155835971ull},
      {2, 33000, false, 15212545962126714471ull},
  };
  const TColor pairs[][2] = {{0x800000, 0x00FFFF}, {kStart, kStop}, {0x123456, 0xFEDCBA}, {clBtnFace, clHighlight}};
  for (const TCase& c : cases) {
    uint64_t sum = 1469598103934665603ull;  // FNV-1a over every pixel of every picture
    for (TGradientDirection d : {gdDiagonalUp, gdDiagonalDown})
      for (const auto& pair : pairs)
        for (uint8_t colors : {1, 9, 64, 255}) {
          TPicture p(std::min(c.W + 6, 2000), std::min(c.H + 8, 2000));  // a giant picture shows in part
          HDC dc = p.Canvas()->Handle();
          int saved = SaveDC(dc);
          if (c.Clipped) {
            SetViewportOrgEx(dc, 1, -2, nullptr);
            IntersectClipRect(dc, 4, 6, c.W, c.H + 7);
            ExcludeClipRect(dc, c.W / 3, c.H / 4, c.W / 2, c.H / 2 + 1);
          }
          PaintGradient(p.Canvas(), Bounds(3, 5, c.W, c.H), d, pair[0], pair[1], colors);
          RestoreDC(dc, saved);
          for (uint32_t px : BitmapSurface(p.Bmp.Handle()).Bits) sum = (sum ^ px) * 1099511628211ull;
        }
    EXPECT_EQ(sum, c.Sum) << c.W << "x" << c.H;
  }
  // Wider than any bitmap can be: the part that shows is painted all the same, its
  // top-right corner in Stop.
  TPicture wide(100, 6);
  PaintGradient(wide.Canvas(), Bounds(-39950, 1, 40000, 4), gdDiagonalUp, kStart, kStop, 1);
  int wrong = 0;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 100; ++x)
      if ((wide(x, y) == kSentinel) == (x < 50 && y >= 1 && y < 5)) ++wrong;
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(wide(49, 1), kStop);
}

TEST(Gradient, BandLengthsFollowTheColourCount) {
  // Black to red over 256 rows changes colour on every row; bands are counted from
  // the far (Stop) end, the last band at the top taking what is left.
  struct TCase {
    uint8_t Colors;
    std::vector<int> Runs;
  } cases[] = {
      {1, std::vector<int>(256, 1)},
      {16, std::vector<int>(16, 16)},                      // 255 div 16 + 1 = 16
      {9, {24, 29, 29, 29, 29, 29, 29, 29, 29}},           // 255 div 9 + 1 = 29
  };
  for (const TCase& c : cases) {
    TPicture p(3, 256);
    PaintGradient(p.Canvas(), Rect(0, 0, 3, 256), gdHorizontalEnd, kStart, kStop, c.Colors);
    EXPECT_EQ(RowRuns(p, 256), c.Runs) << int(c.Colors);
  }
}

TEST(TransparentBitmap, OnlyOpaquePixelsReachTheCanvasAndTheCanvasIsLeftAsItWas) {
  // 3 x 2 picture; B = clBtnFace (the transparent colour, given as a system colour).
  TBitmap glyph(3, 2);
  const TColor face = ColorToRGB(clBtnFace);
  const TColor px[2][3] = {{face, clRed, face}, {clBlue, face, clBlack}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) glyph.Canvas()->SetPixels(x, y, px[y][x]);
  for (bool full : {false, true}) {
    TPicture p(5, 4, clLime);
    p.Canvas()->Brush()->SetColor(clYellow);  // colours the mask must not pick up
    p.Canvas()->Font()->SetColor(clAqua);
    p.Canvas()->SetCopyMode(cmMergeCopy);
    if (full) DrawFullTransparentBitmap(p.Canvas(), &glyph, Rect(1, 1, 4, 3), Rect(0, 0, 3, 2), clBtnFace);
    else DrawTransparentBitmap(p.Canvas(), &glyph, Rect(1, 1, 4, 3), Rect(0, 0, 3, 2), clBtnFace);
    EXPECT_EQ(p(1, 1), clLime) << full;
    EXPECT_EQ(p(2, 1), clRed) << full;
    EXPECT_EQ(p(1, 2), clBlue) << full;
    EXPECT_EQ(p(2, 2), clLime) << full;
    EXPECT_EQ(p(3, 2), clBlack) << full;
    EXPECT_EQ(p.Canvas()->CopyMode(), cmMergeCopy);
  }
  TPicture black(3, 2, clLime);  // black as the transparent colour
  DrawTransparentBitmap(black.Canvas(), &glyph, Rect(0, 0, 3, 2), Rect(0, 0, 3, 2), clBlack);
  EXPECT_EQ(black(2, 1), clLime);
  EXPECT_EQ(black(0, 0), face);
}

TEST(TileAndCentre, EmptyBitmapsReturnAndReversedRectanglesAreNormalised) {
  TBitmap empty;
  TPicture p(8, 8, clLime);
  TileBitmap(p.Canvas(), &empty, Rect(0, 0, 8, 8));
  TileRealizedBitmap(p.Canvas(), &empty, Rect(0, 0, 8, 8));
  CenterBitmap(p.Canvas(), &empty, Rect(0, 0, 8, 8));
  TileTransparentBitmap(p.Canvas(), &empty, Rect(0, 0, 8, 8), clBlack);
  EXPECT_EQ(p(0, 0), clLime);

  TBitmap tile(3, 2);  // columns red, blue, black
  for (int y = 0; y < 2; ++y) {
    tile.Canvas()->SetPixels(0, y, clRed);
    tile.Canvas()->SetPixels(1, y, clBlue);
  }
  TPicture fwd(8, 5, clLime), rev(8, 5, clLime), real(8, 5, clLime);
  TileBitmap(fwd.Canvas(), &tile, Rect(1, 1, 8, 5));
  TileBitmap(rev.Canvas(), &tile, Rect(8, 5, 1, 1));
  TileRealizedBitmap(real.Canvas(), &tile, Rect(1, 1, 8, 5));  // grid anchored at 0
  for (int x = 0; x < 8; ++x) EXPECT_EQ(fwd(x, 3), rev(x, 3)) << x;
  EXPECT_EQ(fwd(1, 1), clRed);
  EXPECT_EQ(fwd(7, 4), clRed);
  EXPECT_EQ(real(1, 1), clBlue);
  EXPECT_EQ(real(3, 1), clRed);
  EXPECT_EQ(fwd(0, 0), clLime);

  TPicture c(7, 7, clLime);  // a 3-wide tile centred on 7 columns: columns 2..4
  CenterBitmap(c.Canvas(), &tile, Rect(0, 0, 7, 7));
  EXPECT_EQ(c(2, 3), clRed);
  EXPECT_EQ(c(4, 3), clBlack);
  EXPECT_EQ(c(1, 3), clLime);
  EXPECT_EQ(c(5, 3), clLime);
  tile.Canvas()->SetPixels(2, 0, clLime);  // the top row's last pixel goes to the bottom row
  FlipBitmap(&tile);
  EXPECT_EQ(tile.Canvas()->Pixels(2, 1), clLime);
  EXPECT_EQ(tile.Canvas()->Pixels(2, 0), clBlack);
  EXPECT_EQ(tile.Canvas()->Pixels(0, 0), clRed);
}

TEST(Trapezoid, ShapeCutAndInflate) {
  TTrap t;
  SetTrapezoid(t, Rect(10, 0, 30, 50), 6, tsCenter, dirUp, tdLargeToSmall);  // short side on top
  EXPECT_EQ(t, (TTrap{{17, 0}, {23, 0}, {30, 50}, {10, 50}}));
  SetTrapezoid(t, Rect(10, 0, 30, 50), 99, tsRight, dirDown, tdLargeToSmall);  // wider than the rect
  EXPECT_EQ(t, (TTrap{{10, 0}, {30, 0}, {30, 50}, {10, 50}}));
  SetTrapezoid(t, Rect(0, 10, 40, 20), 4, tsLeft, dirRight, tdLargeToSmall);  // short side right
  EXPECT_EQ(t, (TTrap{{0, 10}, {40, 10}, {40, 14}, {0, 20}}));

  TTrap cut;  // left edge (0,0)-(5,10): x at y = 5 is 2.5, rounded to even
  AdjustTrapezoid(TTrap{{0, 0}, {20, 0}, {20, 10}, {5, 10}}, Rect(0, 5, 20, 7), dirUp, cut);
  EXPECT_EQ(cut.P0, TPoint(2, 5));
  EXPECT_EQ(cut.P3, TPoint(4, 7));  // 3.5 rounds to 4
  TPoint r;
  Intersect({3, 4}, {9, 4}, {0, 8}, r, dirUp);  // an edge without height: no division
  EXPECT_EQ(r, TPoint(9, 8));
  Intersect({3, 4}, {3, 9}, {6, 0}, r, dirLeft);
  EXPECT_EQ(r, TPoint(6, 9));
  InflateTrapezoid(cut, 1);
  EXPECT_EQ(cut.P0, TPoint(1, 4));
  EXPECT_EQ(cut.P2, TPoint(21, 8));
}

namespace {

// A graphic control painted over its parent's image, optionally asking for the
// parent to be invalidated; counts its paints.
class TSeeThroughGraphic : public TGraphicControl {
public:
  using TGraphicControl::TGraphicControl;
  int Paints = 0;
  bool Invalidating = false;
protected:
  void Paint() override {
    ++Paints;
    DrawParentImage(this, Canvas(), Invalidating);
    Canvas()->Brush()->SetColor(clBlack);
    Canvas()->FrameRect(Rect(0, 0, Width(), Height()));
  }
};

}  // namespace

TEST(ParentImage, APaintingChildDoesNotLoopAndShowsItsParent) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(0, 0, 120, 80);
  form->SetColor(clTeal);
  auto* child = new TSeeThroughGraphic(form.get());
  child->SetParent(form.get());
  child->SetBounds(10, 10, 30, 20);
  child->Invalidating = true;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(form->Width(), form->Height(), 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  form->PaintTo(dc, 0, 0);  // the child's parent image paints the child once more, no further
  EXPECT_LE(child->Paints, 2);
  EXPECT_EQ(GetPixel(dc, 20, 20), ColorToRGB(clTeal));
  EXPECT_EQ(GetPixel(dc, 10, 10), 0u);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

namespace {

class TSeeThroughWindow : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  int Paints = 0;
protected:
  void Paint() override {
    ++Paints;
    DrawParentImage(this, Canvas(), true);
  }
};

}  // namespace

TEST(ParentImage, InvalidatingThePlainParentSettlesAfterOnePaint) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(0, 0, 200, 120);
  auto* holder = new TWinControl(form.get());  // neither a custom control nor a form
  holder->SetParent(form.get());
  holder->SetBounds(10, 10, 150, 80);
  auto* window = new TSeeThroughWindow(form.get());
  window->SetParent(holder);
  window->SetBounds(5, 5, 40, 30);
  auto* graphic = new TSeeThroughGraphic(form.get());
  graphic->SetParent(holder);
  graphic->SetBounds(60, 5, 40, 30);
  graphic->Invalidating = true;
  form->Show();
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  int windowPaints = window->Paints, graphicPaints = graphic->Paints;
  EXPECT_GE(windowPaints, 1);
  EXPECT_GE(graphicPaints, 1);
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();  // nothing left to paint
  EXPECT_EQ(window->Paints, windowPaints);
  EXPECT_EQ(graphic->Paints, graphicPaints);
  form->Hide();
}
