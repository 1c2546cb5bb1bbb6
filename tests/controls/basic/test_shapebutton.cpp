// Shape button: size from the bitmap, the bevel rings grown around the shape, the
// mask deciding where the mouse counts, lost presses, and the images' stream form.
#include "controls/basic/shapebutton.h"
#include "controls/common/colors.h"
#include "tests/controls/basic/buttons_fixture.h"

namespace {

constexpr TColor KeyColor = clFuchsia, Face = static_cast<TColor>(0x3399CC);

// A 60 x 40 bitmap: a 20 x 10 block at (20, 15) on the transparent colour.
void MakeShape(TBitmap& B) {
  B.SetSize(60, 40);
  B.Canvas()->Brush()->SetColor(KeyColor);
  B.Canvas()->FillRect({0, 0, 60, 40});
  B.Canvas()->Brush()->SetColor(Face);
  B.Canvas()->FillRect({20, 15, 40, 25});
}

class ShapeTest : public ButtonsFixture {
protected:
  TQvShapeButton* Shape(TForm* F) {
    auto* s = Make<TQvShapeButton>(F, "S", {10, 10, 90, 90});
    TBitmap b;
    MakeShape(b);
    s->SetBitmap(&b);
    s->OnClick = [this](TObject*) { ++Clicks; };
    return s;
  }
  int Clicks = 0;
};

TColor Px(TBitmap* B, int X, int Y) { return ColorToRGB(B->Canvas()->Pixels(X, Y)); }

TEST_F(ShapeTest, TheButtonTakesTheBitmapsSizeAndTheBevelWidthIsAtMostTwo) {
  TForm* form = MakeForm();
  TQvShapeButton* s = Shape(form);
  EXPECT_EQ(s->Width(), 64);
  EXPECT_EQ(s->Height(), 44);
  s->SetBevelWidth(3);
  EXPECT_EQ(s->BevelWidth(), 2);
  s->SetAutoSize(false);
  s->SetBounds(10, 10, 100, 30);
  EXPECT_EQ(s->Width(), 100);
}

TEST_F(ShapeTest, TheShapeGrowsByBevelBevelAndBorderAndTheDownImageLacksTheOuterLowerRightRing) {
  TForm* form = MakeForm();
  TQvShapeButton* s = Shape(form);
  TBitmap* up = s->BitmapUp();
  // Right of the block (x = 40, 41, 42): highlight? no, shadow, shadow, border;
  // left of it (x = 19, 18, 17): highlight, highlight, border.
  struct P {
    int X, Y;
    TColor Up, Down;
  } ring[] = {
      {40, 20, clBtnShadow, clBtnHighlight}, {41, 20, clBtnShadow, clBtnHighlight}, {42, 20, cl3DDkShadow, KeyColor},
      {19, 20, clBtnHighlight, clBtnShadow}, {18, 20, clBtnHighlight, clBtnShadow}, {17, 20, cl3DDkShadow, cl3DDkShadow},
      {30, 25, clBtnShadow, clBtnHighlight}, {30, 27, cl3DDkShadow, KeyColor},       {30, 12, cl3DDkShadow, cl3DDkShadow},
      {30, 20, Face, Face},                  {43, 20, KeyColor, KeyColor},
  };
  for (const P& p : ring) {
    EXPECT_EQ(Px(up, p.X, p.Y), ColorToRGB(p.Up)) << p.X << "," << p.Y;
    EXPECT_EQ(Px(s->BitmapDown(), p.X, p.Y), ColorToRGB(p.Down)) << p.X << "," << p.Y;
  }
}

TEST_F(ShapeTest, AHighlightEqualToTheTransparentColourIsDrawnOneStepDarker) {
  TForm* form = MakeForm();
  TQvShapeButton* s = Shape(form);
  s->SetBevelHighlightColor(KeyColor);
  TColor c = Px(s->BitmapUp(), 19, 20);
  EXPECT_NE(c, ColorToRGB(KeyColor));
  EXPECT_EQ(c, ColorToRGB(DarkerColor(KeyColor, 1)));
  EXPECT_TRUE(s->PtInMask(19, 20)) << "the bevel belongs to the shape";
}

TEST_F(ShapeTest, OnlyPressesOnTheShapeCountUnlessPreciseClickIsOff) {
  TForm* form = MakeForm();
  TQvShapeButton* s = Shape(form);
  form->Show();
  EXPECT_FALSE(s->PtInMask(63, 43)) << "beyond the mask's bitmap";
  EXPECT_FALSE(s->PtInMask(-1, 5));
  auto click = [&](TPoint P) {
    Mouse(form, WM_LBUTTONDOWN, {10 + P.X, 10 + P.Y}, MK_LBUTTON);
    TButtonState during = s->State();
    Mouse(form, WM_LBUTTONUP, {10 + P.X, 10 + P.Y});
    return during;
  };
  EXPECT_EQ(click({2, 2}), bsUp) << "a transparent corner";
  EXPECT_EQ(Clicks, 0);
  EXPECT_EQ(click({30, 20}), bsDown);
  EXPECT_EQ(Clicks, 1);
  s->SetPreciseClick(false);
  EXPECT_EQ(click({2, 2}), bsDown);
  EXPECT_EQ(Clicks, 2);
}

TEST_F(ShapeTest, APressThatLosesTheCaptureComesUpWithoutAClick) {
  TForm* form = MakeForm();
  TQvShapeButton* s = Shape(form);
  form->Show();
  Mouse(form, WM_LBUTTONDOWN, {40, 30}, MK_LBUTTON);
  ASSERT_EQ(s->State(), bsDown);
  s->SetEnabled(false);
  EXPECT_EQ(s->State(), bsUp);
  s->SetEnabled(true);
  Mouse(form, WM_MOUSEMOVE, {41, 30}, MK_LBUTTON);
  Mouse(form, WM_LBUTTONUP, {41, 30});
  EXPECT_EQ(Clicks, 0);
}

TEST_F(ShapeTest, TheImagesAreStoredAsALengthAndABitmapFileAndReadBack) {
  TForm* form = MakeForm();
  TQvShapeButton* s = Shape(form);
  s->SetCaption("Go");
  std::string text = FormText(form);
  EXPECT_NE(text.find("BitmapUp = {"), std::string::npos);
  // The length comes first (little-endian), then the file's "BM".
  size_t at = text.find("BitmapUp = {") + 12;
  while (text[at] == ' ' || text[at] == '\n') ++at;
  EXPECT_EQ(text.substr(at + 8, 4), "424D");
  TForm* back = Own(new TForm(nullptr));
  ReadForm(text, back);
  auto* r = dynamic_cast<TQvShapeButton*>(back->FindComponent("S"));
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Width(), 64);
  for (int x : {17, 19, 30, 40, 42})
    EXPECT_EQ(Px(r->BitmapDown(), x, 20), Px(s->BitmapDown(), x, 20)) << x;
  EXPECT_TRUE(r->PtInMask(30, 20));
  EXPECT_FALSE(r->PtInMask(2, 2));
  // A length beyond the data is refused with a message.
  std::string bad = text;
  size_t p = bad.find("BitmapDown = {");
  bad.replace(bad.find_first_not_of(" \n", p + 14), 8, "FFFFFF7F");
  TForm* broken = Own(new TForm(nullptr));
  EXPECT_THROW(ReadForm(bad, broken), EReadError);
}

}  // namespace
