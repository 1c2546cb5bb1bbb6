// The "righttoleft" page: the right pane's controls follow its bdRightToLeft and
// lie mirrored against the left pane's.
#include <gtest/gtest.h>

#include <memory>

#include "controls/basic/radiocheck.h"
#include "controls/editlist/spinedit.h"
#include "platform/controls/forms.h"
#include "tools/gallery/gallery.h"

namespace {

struct RightToLeftPage : ::testing::Test {
  void SetUp() override {
    const TGalleryPage* page = FindGalleryPage("righttoleft");
    ASSERT_NE(page, nullptr);
    Owner = std::make_unique<TComponent>(nullptr);
    Host = BuildGalleryPage(*page, Owner.get(), nullptr);
    Shot = std::make_unique<TBitmap>(Host->Width(), Host->Height());
    Host->PaintTo(Shot->Canvas()->Handle(), 0, 0);
  }
  TControl* Find(const std::string& Name) { return FindGalleryControl(Host, Name); }
  COLORREF At(int X, int Y) { return static_cast<COLORREF>(Shot->Canvas()->Pixels(X, Y)); }
  std::unique_ptr<TComponent> Owner;
  TWinControl* Host = nullptr;
  std::unique_ptr<TBitmap> Shot;
};

TEST_F(RightToLeftPage, TheRightPaneMirrorsTheLeftOne) {
  ASSERT_NE(Find("RPane"), nullptr);
  EXPECT_EQ(Find("RPane")->BiDiMode(), bdRightToLeft);
  EXPECT_EQ(Find("RCheck")->BiDiMode(), bdRightToLeft);  // followed, not stored
  EXPECT_TRUE(Find("RCheck")->ParentBiDiMode());
  EXPECT_EQ(Find("LCheck")->BiDiMode(), bdLeftToRight);
  // The toolbar's buttons (30, 30 and 44 wide, from 4 pixels in) from the right
  // edge of its 200 pixels.
  EXPECT_EQ(Find("LT1")->Left(), 4);
  EXPECT_EQ(Find("RT1")->Left(), 200 - 4 - 30);
  EXPECT_EQ(Find("RT3")->Left(), 200 - 4 - 30 - 30 - 44);
  for (const char* t : {"T1", "T2", "T3"}) {
    TControl* l = Find(std::string("L") + t);
    TControl* r = Find(std::string("R") + t);
    ASSERT_TRUE(l && r) << t;
    EXPECT_EQ(r->Left(), 200 - l->Left() - l->Width()) << t;
    EXPECT_EQ(r->Width(), l->Width()) << t;
  }
  // The check box's glyph at the right end of its 140 pixels, the spin buttons at
  // the left of the spin edit.
  EXPECT_EQ(static_cast<TQvCheckBox*>(Find("LCheck"))->GlyphRect().Left, 0);
  EXPECT_EQ(static_cast<TQvCheckBox*>(Find("RCheck"))->GlyphRect().Left, 140 - 13);
  EXPECT_EQ(static_cast<TQvSpinEdit*>(Find("RSpin"))->Buttons()->Left(), 0);
  EXPECT_GT(static_cast<TQvSpinEdit*>(Find("LSpin"))->Buttons()->Left(), 50);
  // Painted: inside the check box's white box, 3 pixels in from its corner at
  // (0, 2) in the left pane and (127, 2) in the right one (pane tops at y = 24).
  EXPECT_EQ(At(8 + 8 + 3, 24 + 120 + 2 + 3), RGB(255, 255, 255));
  EXPECT_EQ(At(456 + 8 + 127 + 3, 24 + 120 + 2 + 3), RGB(255, 255, 255));
  EXPECT_NE(At(456 + 8 + 3, 24 + 120 + 2 + 3), RGB(255, 255, 255));
}

}  // namespace
