// Image lists: masks, enabled and greyed drawing, overlays, change links, streaming.
#include "gfx_test_util.h"
#include "platform/core/streams.h"
#include "platform/graphics/imglist.h"

using namespace gfxtest;

namespace {

// A strip of 2 x 2 images: image i has a red pixel at (i % 2, 0), a white one at
// (1, 1) and lime (the mask colour) elsewhere.
TBitmap* Strip(int Count) {
  auto* b = new TBitmap(2 * Count, 2);
  b->Canvas()->Brush()->SetColor(clLime);
  b->Canvas()->FillRect({0, 0, 2 * Count, 2});
  for (int i = 0; i < Count; ++i) {
    b->Canvas()->SetPixels(2 * i + i % 2, 0, clRed);
    b->Canvas()->SetPixels(2 * i + 1, 1, clWhite);
  }
  return b;
}

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

TBitmap* Target() {
  auto* t = new TBitmap(3, 3);
  t->Canvas()->Brush()->SetColor(clBlue);
  t->Canvas()->FillRect({0, 0, 3, 3});
  return t;
}

}  // namespace

TEST(ImageList, AddMaskedDrawsOnlyTheImagePixels) {
  TImageList list(nullptr);
  list.SetWidth(2);
  list.SetHeight(2);
  std::unique_ptr<TBitmap> strip(Strip(2));
  EXPECT_EQ(list.AddMasked(strip.get(), clLime), 0);
  EXPECT_EQ(list.Count(), 2);
  std::unique_ptr<TBitmap> t(Target());
  list.Draw(t->Canvas(), 1, 1, 1);
  EXPECT_EQ(Pic(*t), Rows({"BBB", "BBR", "BBW"}));
  list.SetBkColor(clBlack);  // transparent pixels take the background colour
  list.Draw(t->Canvas(), 0, 0, 0);
  EXPECT_EQ(Pic(*t), Rows({"RKB", "KWR", "BBW"}));
  list.Draw(t->Canvas(), 0, 0, 5);  // out of range: nothing
  TBitmap got;
  EXPECT_TRUE(list.GetBitmap(0, &got));
  EXPECT_EQ(Pic(got), Rows({"RK", "KW"}));  // masked pixels are stored black
  EXPECT_FALSE(list.GetBitmap(2, &got));
}

TEST(ImageList, DisabledImagesAreEmbossedFromTheirDarkPixels) {
  TImageList list(nullptr);
  list.SetWidth(2);
  list.SetHeight(2);
  std::unique_ptr<TBitmap> strip(Strip(1));
  list.AddMasked(strip.get(), clLime);
  std::unique_ptr<TBitmap> t(Target());
  list.Draw(t->Canvas(), 0, 0, 0, false);
  // The red pixel is the shape (white and transparent pixels are not): highlight at
  // (1, 1), shadow at (0, 0).
  EXPECT_EQ(Pic(*t), Rows({"SBB", "BWB", "BBB"}));
}

TEST(ImageList, AddWithAMaskBitmapAndOverlays) {
  TImageList list(nullptr);
  list.SetWidth(2);
  list.SetHeight(2);
  std::unique_ptr<TBitmap> strip(Strip(2));
  TBitmap mask(4, 2);
  mask.SetMonochrome(true);
  mask.Canvas()->Brush()->SetColor(clWhite);
  mask.Canvas()->FillRect({0, 0, 4, 2});
  mask.Canvas()->SetPixels(3, 1, clBlack);  // only image 1's white pixel is opaque
  list.Add(strip.get(), &mask);
  list.Add(strip.get(), nullptr);  // no mask: everything opaque
  EXPECT_EQ(list.Count(), 4);
  EXPECT_TRUE(list.Overlay(1, 0));
  EXPECT_FALSE(list.Overlay(1, 4));
  std::unique_ptr<TBitmap> t(Target());
  list.DrawOverlay(t->Canvas(), 0, 0, 2, 0);
  EXPECT_EQ(Pic(*t), Rows({"R.B", ".WB", "BBB"}));
  list.Delete(1);  // the overlay's image goes with it
  EXPECT_THROW(list.Delete(9), EInvalidOperation);
  TBitmap narrow(1, 2);
  EXPECT_THROW(list.Add(&narrow, nullptr), EInvalidOperation);
}

TEST(ImageList, ChangeLinksHearChangesUntilEitherSideGoes) {
  auto* list = new TImageList(nullptr);
  TChangeLink a, b;
  int ca = 0, cb = 0;
  a.OnChange = [&](TObject* s) { EXPECT_EQ(s, list); ++ca; };
  b.OnChange = [&](TObject*) { ++cb; };
  list->RegisterChanges(&a);
  list->RegisterChanges(&a);  // once only
  {
    TChangeLink c;
    list->RegisterChanges(&c);
  }  // a freed link takes itself off
  list->RegisterChanges(&b);
  list->SetBkColor(clRed);
  EXPECT_EQ(ca, 1);
  EXPECT_EQ(cb, 1);
  list->UnRegisterChanges(&b);
  list->SetWidth(8);  // a new size clears the list: a change
  EXPECT_EQ(ca, 2);
  EXPECT_EQ(cb, 1);
  delete list;
  EXPECT_EQ(a.Sender(), nullptr);
}

TEST(ImageList, StreamsWithItsForm) {
  RegisterClass(TImageList::StaticClass());
  TImageList list(nullptr);
  list.SetName("Images");
  list.SetWidth(2);
  list.SetHeight(2);
  list.SetBkColor(clYellow);
  std::unique_ptr<TBitmap> strip(Strip(3));
  list.AddMasked(strip.get(), clLime);
  TMemoryStream m;
  m.WriteComponent(&list);
  m.SetPosition(0);
  TImageList copy(nullptr);
  m.ReadComponent(&copy);
  EXPECT_EQ(copy.Count(), 3);
  EXPECT_EQ(copy.BkColor(), clYellow);
  for (int i = 0; i < 3; ++i) {
    std::unique_ptr<TBitmap> x(Target()), y(Target());
    list.Draw(x->Canvas(), 0, 0, i);
    copy.Draw(y->Canvas(), 0, 0, i);
    EXPECT_EQ(Pic(*x), Pic(*y)) << i;
  }
}
