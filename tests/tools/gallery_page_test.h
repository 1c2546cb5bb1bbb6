#pragma once
// A test of one gallery page: the page rendered as the program renders it, once
// per test, and its pixels as COLORREF values.
#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/winuser.h"
#include "tools/gallery/gallery.h"

class GalleryPageTest : public ::testing::Test {
protected:
  explicit GalleryPageTest(const char* Page) : FPage(Page) {}
  void SetUp() override {
    const TGalleryPage* page = FindGalleryPage(FPage);
    ASSERT_NE(page, nullptr);
    Shot.reset(RenderGalleryPage(*page));
  }
  COLORREF At(int X, int Y) { return static_cast<COLORREF>(Shot->Canvas()->Pixels(X, Y)); }
  std::unique_ptr<TBitmap> Shot;

private:
  const char* FPage;
};
