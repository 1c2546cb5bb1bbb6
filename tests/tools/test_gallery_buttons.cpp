// The buttons page: button faces by their corner pixels, check and radio glyphs in
// their places, the shape button's size from its bitmap, turned label extents.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "controls/basic/buttons.h"
#include "controls/basic/labels.h"
#include "controls/basic/radiogroups.h"
#include "controls/basic/shapebutton.h"
#include "controls/common/colors.h"
#include "tools/gallery/gallery.h"

namespace {

const TGalleryPage* Page() {
  const TGalleryPage* page = FindGalleryPage("buttons");
  EXPECT_NE(page, nullptr);
  return page;
}

TColor Rgb(TColor C) { return static_cast<TColor>(ColorToRGB(C)); }

TEST(GalleryButtons, ButtonFacesShowTheirLooksAtTheCorners) {
  std::unique_ptr<TBitmap> shot(RenderGalleryPage(*Page()));
  TCanvas* c = shot->Canvas();
  // Classic (16, 24) 75 x 25: a raised border, white at the left, darkest at the
  // bottom-right.
  EXPECT_EQ(c->Pixels(16, 24), Rgb(clBtnHighlight));
  EXPECT_EQ(c->Pixels(16, 30), Rgb(clBtnHighlight));
  EXPECT_EQ(c->Pixels(17, 30), Rgb(cl3DLight));
  EXPECT_EQ(c->Pixels(90, 48), Rgb(cl3DDkShadow));
  EXPECT_EQ(c->Pixels(89, 47), Rgb(clBtnShadow));
  // Pressed classic (100, 24): the black frame of the clicking button, then the
  // pressed border.
  EXPECT_EQ(c->Pixels(100, 24), Rgb(clWindowFrame));
  // The exclusive group button (184, 24) shows the silver down pattern inside.
  int silver = 0;
  for (int x = 190; x < 200; ++x) silver += c->Pixels(x, 30) == Rgb(0xC0C0C0);
  EXPECT_GE(silver, 4);
  // Flat (352, 24): the corner shows the page, the outer ring starts two pixels in,
  // the flat frame lies inside it.
  EXPECT_EQ(c->Pixels(352, 24), Rgb(clBtnFace));
  EXPECT_EQ(c->Pixels(352, 26), Rgb(DarkerColor(clBtnFace, 20)));
  EXPECT_EQ(c->Pixels(353, 25), Rgb(DarkerColor(clBtnFace, 20)));
  EXPECT_EQ(c->Pixels(353, 26), Rgb(cl3DDkShadow));
  // Flat pressed (520, 24): the face is one shade darker than the button colour.
  EXPECT_EQ(c->Pixels(530, 40), Rgb(DarkerColor(clBtnFace, 10)));
  // Flat disabled (604, 24): a one-pixel frame, no outer ring; the parent shows
  // around it (and nowhere else: the classic button's top row is intact above).
  EXPECT_EQ(c->Pixels(604, 30), Rgb(clBtnFace));
  EXPECT_EQ(c->Pixels(605, 30), Rgb(LighterColor(clBtnShadow, 30)));
}

TEST(GalleryButtons, GlyphsSitAtTheLeftTwoPixelsDown) {
  std::unique_ptr<TBitmap> shot(RenderGalleryPage(*Page()));
  TCanvas* c = shot->Canvas();
  auto black = [&](int X, int Y, int W, int H) {
    int n = 0;
    for (int y = Y; y < Y + H; ++y)
      for (int x = X; x < X + W; ++x) n += c->Pixels(x, y) == Rgb(clBlack);
    return n;
  };
  // Check boxes at x = 16 + i * 128, y = 112: the 13 x 13 glyph at (x, 114).
  EXPECT_EQ(black(19, 117, 7, 7), 0) << "unchecked";
  EXPECT_GT(black(147, 117, 7, 7), 5) << "checked";
  EXPECT_EQ(c->Pixels(144, 114), Rgb(clBtnShadow)) << "the classic box's outer corner";
  EXPECT_EQ(c->Pixels(143, 114), Rgb(clBtnFace)) << "nothing left of the glyph";
  // The checked radio button at (144, 196): its dot in the glyph's middle.
  EXPECT_GT(black(148, 202, 5, 5), 3);
  EXPECT_EQ(black(20, 202, 5, 5), 0);
}

TEST(GalleryButtons, ControlsTakeTheirSizesAndPlaces) {
  std::unique_ptr<TComponent> owner(new TComponent(nullptr));
  TWinControl* host = BuildGalleryPage(*Page(), owner.get(), nullptr);
  std::function<TControl*(TWinControl*, const std::string&)> search = [&](TWinControl* W, const std::string& N) {
    for (int i = 0; i < W->ControlCount(); ++i) {
      TControl* c = W->Controls(i);
      if (c->Name() == N) return c;
      if (auto* w = dynamic_cast<TWinControl*>(c))
        if (TControl* f = search(w, N)) return f;
    }
    return static_cast<TControl*>(nullptr);
  };
  auto find = [&](const char* Name) { return search(host, Name); };
  auto* shape = dynamic_cast<TQvShapeButton*>(find("ShapeUp"));
  ASSERT_NE(shape, nullptr);
  EXPECT_EQ(shape->Width(), 64);
  EXPECT_EQ(shape->Height(), 44);
  auto* flat = dynamic_cast<TQvLabel*>(find("LblPlain"));
  auto* l45 = dynamic_cast<TQvLabel*>(find("Lbl45"));
  auto* l90 = dynamic_cast<TQvLabel*>(find("Lbl90"));
  ASSERT_TRUE(flat && l45 && l90);
  EXPECT_GT(flat->Width(), flat->Height());
  EXPECT_EQ(l90->Width(), flat->Height()) << "a quarter turn swaps the extents";
  EXPECT_NEAR(l45->Width(), l45->Height(), 1);
  auto* group = dynamic_cast<TQvRadioGroup*>(find("RadioGroup"));
  ASSERT_NE(group, nullptr);
  ASSERT_EQ(group->ButtonCount(), 5);
  EXPECT_EQ(group->Button(3)->Top(), group->Button(0)->Top()) << "two columns of three rows";
  EXPECT_TRUE(group->Button(3)->Checked());
}

}  // namespace
