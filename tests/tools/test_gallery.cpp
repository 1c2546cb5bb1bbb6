// The gallery's pages render offscreen and show what they promise, region by
// region; a form source that cannot be read reports the reader's message.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>
#include <memory>

#include "platform/stdctrls/comctrls_pages.h"
#include "platform/controls/forms.h"
#include "platform/core/exceptions.h"
#include "platform/core/textform.h"
#include "tools/gallery/gallery.h"

namespace {

TEST(Gallery, TheFramesPageShowsEachStyleInItsCell) {
  const TGalleryPage* page = FindGalleryPage("frames");
  ASSERT_NE(page, nullptr);
  std::unique_ptr<TBitmap> shot(RenderGalleryPage(*page));
  ASSERT_EQ(shot->Width(), page->Width);
  TCanvas* c = shot->Canvas();
  // Cell of style s, column k: (96 + k * 52, 40 + s * 28), 44 x 22.
  auto at = [&](int Style, int Column, int Dx, int Dy) {
    return static_cast<COLORREF>(c->Pixels(96 + Column * 52 + Dx, 40 + Style * 28 + Dy));
  };
  // fsFlat through DrawFrame, all sides: a ring in the frame colour (black) round white.
  EXPECT_EQ(at(1, 0, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(at(1, 0, 43, 21), RGB(0, 0, 0));
  EXPECT_EQ(at(1, 0, 1, 1), RGB(255, 255, 255));
  // fsLowered, left+top: clBtnShadow top-left, white (erased ring) bottom-right.
  EXPECT_EQ(at(4, 1, 0, 0), RGB(128, 128, 128));
  EXPECT_EQ(at(4, 1, 43, 21), RGB(255, 255, 255));
  // No sides: the cell stays in the control colour.
  EXPECT_EQ(at(4, 2, 0, 0), RGB(255, 255, 255));
  // Stacked fsButtonDown, all sides: black outer pixel, white client inside.
  EXPECT_EQ(at(5, 6, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(at(5, 6, 22, 11), RGB(255, 255, 255));
}

TEST(Gallery, AFormFileThatCannotBeReadGivesTheReadersMessage) {
  std::unique_ptr<TComponent> owner(new TComponent(nullptr));
  EXPECT_THROW(LoadFormFile("/nonexistent/x.form", owner.get()), EFOpenError);
  std::string path = ::testing::TempDir() + "bad.form";
  std::ofstream(path) << "object F: TForm\n  Caption = \n";
  try {
    LoadFormFile(path, owner.get());
    FAIL() << "a bad source was read";
  } catch (const EParserError& E) {
    EXPECT_NE(std::string(E.Message()).find("line"), std::string::npos) << E.Message();
  }
  // A root of a class nobody registered is not read into an empty form.
  std::ofstream(path) << "object F: TNoSuchForm\n  Caption = 'x'\nend\n";
  try {
    LoadFormFile(path, owner.get());
    FAIL() << "a root of an unknown class was read";
  } catch (const EReadError& E) {
    EXPECT_EQ(E.Message(), "Class TNoSuchForm not found");
  }
  // A form class makes the root; its caption is read.
  std::ofstream(path) << "object F: TForm\n  Caption = 'read'\nend\n";
  EXPECT_EQ(LoadFormFile(path, owner.get())->Caption(), "read");
}

TEST(Gallery, AFormWithEveryFramedClassAndValuesSetLoads) {
  std::unique_ptr<TComponent> owner(new TComponent(nullptr));
  TCustomForm* form = LoadFormFile(std::string(DTU_TEST_DATA_DIR) + "/every-class.form", owner.get());
  ASSERT_NE(form, nullptr);
  std::set<std::string> found;
  std::function<void(TComponent*)> collect = [&](TComponent* c) {
    found.insert(c->ClassName());
    for (int i = 0; i < c->ComponentCount(); ++i) collect(c->Components(i));
  };
  collect(form);
  // Every class of the library a form can name (the popup tool button is made by its
  // toolbar in code only).
  for (const TClassInfo* c : RegisteredClasses())
    if (c->Name.rfind("TQv", 0) == 0 && c->Create && c->InheritsFrom(&TComponent::StaticClass()) &&
        c->Name != "TQvPopupToolButton") {
      EXPECT_TRUE(found.count(c->Name)) << c->Name << " is missing from every-class.form";
    }
}

TEST(Gallery, TheWindowHasATabPerPage) {
  std::unique_ptr<TComponent> owner(new TComponent(nullptr));
  TCustomForm* form = CreateGalleryWindow(owner.get());
  auto* pages = dynamic_cast<TPageControl*>(form->Controls(0));
  ASSERT_NE(pages, nullptr);
  ASSERT_EQ(pages->PageCount(), static_cast<int>(GalleryPages().size()));
  for (int i = 0; i < pages->PageCount(); ++i) EXPECT_EQ(pages->Pages(i)->Caption(), GalleryPages()[i]->Name);
  // The first page fits the display area whole.
  TRect display = pages->DisplayRect();
  EXPECT_GE(display.Width(), GalleryPages()[0]->Width);
  EXPECT_GE(display.Height(), GalleryPages()[0]->Height);
}

}  // namespace
