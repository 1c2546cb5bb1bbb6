// The themed paths, against the recording stand-in of the visual-style library:
// which elements the group box, the status bar and the LED bar draw.
#include <algorithm>

#include "basic_fixture.h"
#include "controls/basic/colorpicker.h"
#include "controls/basic/groupbox.h"
#include "controls/basic/statusbar.h"
#include "controls/common/themes.h"
#include "platform/theme/themefake.h"

namespace {

struct Themed : TFormFixture {
  void SetUp() override {
    FreeThemeServices();
    Fake = std::make_unique<TThemeLibraryFake>();
    SetComCtlVersion(ComCtlVersionIE6);
    FreeThemeServices();
    TFormFixture::SetUp();
  }
  void TearDown() override {
    TFormFixture::TearDown();
    FreeThemeServices();
    Fake.reset();
    FreeThemeServices();
  }
  std::vector<TThemeLibraryFake::TCall> Backgrounds() {
    std::vector<TThemeLibraryFake::TCall> out;
    for (const auto& c : Fake->Calls)
      if (c.Name == "DrawThemeBackground") out.push_back(c);
    return out;
  }
  std::unique_ptr<TThemeLibraryFake> Fake;
};

TEST_F(Themed, ADisabledGroupBoxDrawsTheDisabledElementAndThemedText) {
  ASSERT_TRUE(ThemeServices()->ThemesEnabled());
  auto* g = new TQvGroupBox(Form);
  g->SetParent(Form);
  g->SetCaption("Grp");
  g->SetEnabled(false);
  Fake->Calls.clear();
  Shot(g);
  auto bg = Backgrounds();
  ASSERT_FALSE(bg.empty());
  EXPECT_EQ(bg.back().Class, "button");
  EXPECT_EQ(bg.back().Part, 4);   // the group box
  EXPECT_EQ(bg.back().State, 2);  // disabled
  EXPECT_EQ(Fake->CountOf("DrawThemeText"), 1);
}

TEST_F(Themed, AStatusBarDrawsTheStatusBackgroundAndTheGripper) {
  auto* s = new TQvStatusBar(Form);
  s->SetParent(Form);
  Fake->Calls.clear();
  Shot(s);
  auto bg = Backgrounds();
  ASSERT_EQ(bg.size(), 2u);
  EXPECT_EQ(bg[0].Class, "status");
  EXPECT_EQ(bg[1].Class, "status");
  EXPECT_NE(bg[0].Part, bg[1].Part);
}

TEST_F(Themed, AThemeAwareLedBarDrawsOneProgressChunk) {
  TBitmap b(100, 10);
  Fake->Calls.clear();
  DrawLEDBar(b.Canvas(), {0, 0, 100, 10}, orHorizontal, clLime, clGreen, 10, 50, true, false);
  auto bg = Backgrounds();
  ASSERT_EQ(bg.size(), 1u);
  EXPECT_EQ(bg[0].Class, "progress");
}

// The colour picker's button rows get the toolbar button's hot element (class
// "toolbar", part 1, state 2) when hot, as the grid cells do.
TEST_F(Themed, TheColourPickersButtonRowsDrawTheHotElement) {
  auto* p = new TQvColorPicker(Form);
  p->SetParent(Form);
  p->SetShowNoColor(true);
  p->SetShowDefaultColor(true);
  p->SetShowCustomColor(true);
  p->SetSelectedColor(clRed);  // a grid cell, so that the None row is not the selected one
  const TThemeLibraryFake::TCall hotButton{"DrawThemeBackground", "toolbar", 1, 2, 0};
  struct Case {
    const char* What;
    int Hot;
    int Elements;  // hot toolbar buttons drawn
  } cases[] = {
      {"nothing hot", -6, 0}, {"the None row", -1, 1}, {"the Default row", -4, 1},
      {"More Colors...", -3, 1},  {"the custom swatch", -2, 1}, {"a grid cell", 9, 1},
  };
  for (const Case& c : cases) {
    p->SetHighlightColorIndex(c.Hot);
    Fake->Calls.clear();
    Shot(Form);
    auto bg = Backgrounds();
    EXPECT_EQ(std::count(bg.begin(), bg.end(), hotButton), c.Elements) << c.What;
  }
}

}  // namespace
