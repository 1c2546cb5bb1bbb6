// The services page: the frame controller's settings reach its three boxes (the
// third keeps its own frame style) after a round trip through an ini file.
#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/forms.h"
#include "tools/gallery/gallery.h"

namespace {

TEST(Gallery, TheServicesPageFramesItsBoxesFromTheController) {
  const TGalleryPage* page = FindGalleryPage("services");
  ASSERT_NE(page, nullptr);
  std::unique_ptr<TBitmap> shot(RenderGalleryPage(*page));
  TCanvas* c = shot->Canvas();
  auto px = [&](int X, int Y) { return static_cast<COLORREF>(c->Pixels(X, Y)); };
  const COLORREF navy = RGB(0, 0, 128), infoBk = RGB(255, 255, 225);
  for (int left : {16, 176}) {
    EXPECT_EQ(px(left, 32), navy) << left;           // fsFlatBold in the frame colour
    EXPECT_EQ(px(left + 1, 33), navy) << left;       // two pixels wide
    EXPECT_EQ(px(left + 143, 79), navy) << left;
    EXPECT_EQ(px(left + 4, 36), infoBk) << left;     // the controller's colour
  }
  EXPECT_NE(px(336, 32), navy);   // the third box keeps fsRaised
  EXPECT_EQ(px(336 + 4, 36), infoBk);
}

}  // namespace
