// The panels page, region by region: the grid's pitch, the LED's dots, the lit
// meter segments, the group boxes' captions and frames, and the transparent
// panel showing its parent.
#include <gtest/gtest.h>

#include <memory>

#include "controls/basic/panels.h"
#include "platform/controls/forms.h"
#include "tools/gallery/gallery.h"

namespace {

struct PanelsPage : ::testing::Test {
  void SetUp() override {
    Page = FindGalleryPage("panels");
    ASSERT_NE(Page, nullptr);
    Owner = std::make_unique<TComponent>(nullptr);
    Host = BuildGalleryPage(*Page, Owner.get(), nullptr);
    Shot = Render();
  }
  std::unique_ptr<TBitmap> Render() {
    auto b = std::make_unique<TBitmap>(Host->Width(), Host->Height());
    Host->PaintTo(b->Canvas()->Handle(), 0, 0);
    return b;
  }
  COLORREF At(int X, int Y) { return static_cast<COLORREF>(Shot->Canvas()->Pixels(X, Y)); }
  TControl* Find(const std::string& Name) {
    for (int i = 0; i < Owner->ComponentCount(); ++i)
      if (auto* c = dynamic_cast<TComponent*>(Owner->Components(i)))
        if (TComponent* f = c->FindComponent(Name)) return dynamic_cast<TControl*>(f);
    return nullptr;
  }
  // Runs of a colour along a row.
  int Runs(int Y, int X0, int X1, COLORREF C) {
    int n = 0;
    bool in = false;
    for (int x = X0; x < X1; ++x) {
      bool hit = At(x, Y) == C;
      if (hit && !in) ++n;
      in = hit;
    }
    return n;
  }
  const TGalleryPage* Page = nullptr;
  std::unique_ptr<TComponent> Owner;
  TWinControl* Host = nullptr;
  std::unique_ptr<TBitmap> Shot;
};

TEST_F(PanelsPage, GridDotsAreSixPixelsApart) {
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(At(28 + 6 * i, 82 + 6), RGB(0, 0, 0)) << i;
    EXPECT_EQ(At(28 + 6 * i + 1, 82 + 6), RGB(255, 255, 255)) << i;
    EXPECT_EQ(At(28 + 6 * i, 82 + 6 + 3), RGB(255, 255, 255)) << i;
  }
}

TEST_F(PanelsPage, LedDotsAreThreePixelsWithTwoLit) {
  // "H" column 0 is lit top to bottom; the first dot spans (9, 292)..(12, 295).
  EXPECT_EQ(At(10, 293), RGB(0, 255, 0));
  EXPECT_EQ(At(11, 294), RGB(0, 255, 0));
  EXPECT_EQ(At(12, 293), RGB(0, 0, 0));
  EXPECT_EQ(At(10, 296), RGB(0, 255, 0));  // the next dot down, three pixels on
}

TEST_F(PanelsPage, MetersLightFiveSegmentsAt55AndAllTenAt100) {
  const COLORREF green = RGB(0, 0x80, 0), yellow = RGB(0xFF, 0xFF, 0), red = RGB(0xFF, 0, 0);
  EXPECT_EQ(Runs(343, 8, 158, green) + Runs(343, 8, 158, yellow) + Runs(343, 8, 158, red), 0);
  EXPECT_EQ(Runs(343, 166, 316, green), 5);
  EXPECT_EQ(Runs(343, 166, 316, yellow), 0);
  EXPECT_EQ(Runs(343, 324, 474, green), 5);
  EXPECT_EQ(Runs(343, 324, 474, yellow), 3);
  EXPECT_EQ(Runs(343, 324, 474, red), 2);
}

TEST_F(PanelsPage, GroupBoxesShowCaptionAndFrame) {
  const COLORREF face = ColorToRGB(clBtnFace);
  for (int i = 0; i < 6; ++i) {
    int x = 8 + 140 * i;
    bool ink = false;
    for (int y = 137; y < 150 && !ink; ++y)
      for (int dx = 10; dx < 40 && !ink; ++dx) ink = At(x + dx, y) != face;
    EXPECT_TRUE(ink) << "caption of G" << i;
  }
  // The framed styles reach the bottom of their box: standard (groove), custom
  // (raised panel), flat (cut-corner line).
  EXPECT_EQ(At(8 + 60, 136 + 78), ColorToRGB(clBtnShadow));
  EXPECT_NE(At(148 + 60, 136 + 79), face);
  EXPECT_NE(At(428 + 60, 136 + 79), face);
  EXPECT_EQ(At(428, 136 + 79), face);  // the flat frame's cut corner
  // Top line and underline draw nothing at the bottom.
  EXPECT_EQ(At(288 + 60, 136 + 79), face);
  EXPECT_EQ(At(708 + 60, 136 + 79), face);
}

TEST_F(PanelsPage, TheTransparentPanelShowsItsParentBeneath) {
  TControl* trans = Find("PTrans");
  ASSERT_NE(trans, nullptr);
  auto with = std::move(Shot);
  trans->SetVisible(false);
  Shot = Render();
  // A strip of the panel clear of its caption: every pixel as the parent paints it.
  int diff = 0;
  for (int y = 28; y < 43; ++y)
    for (int x = 236; x < 396; ++x)
      if (static_cast<COLORREF>(with->Canvas()->Pixels(x, y)) != At(x, y)) ++diff;
  EXPECT_EQ(diff, 0);
}

}  // namespace
