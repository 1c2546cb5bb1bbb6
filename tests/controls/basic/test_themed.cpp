// The themed paths, against the recording stand-in of the visual-style library:
// which elements the group box, the status bar and the LED bar draw.
#include <algorithm>

#include "basic_fixture.h"
#include "controls/basic/colorpicker.h"
#include "controls/basic/groupbox.h"
#include "controls/basic/statusbar.h"
#include "controls/common/progressbars.h"
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

// The chunk covers the bar less a one-pixel border, cut to the percentage of its
// length (halves to even) from the left, or from the bottom of a vertical bar.
TEST_F(Themed, TheLedBarsChunkIsCutToThePercentage) {
  struct Case {
    TRect R;
    TOrientation Orientation;
    int Percent;
    int Part;    // 3: the chunk, 4: the vertical chunk; 0: nothing drawn
    TRect Chunk;
  } cases[] = {
      {{0, 0, 100, 10}, orHorizontal, 50, 3, {1, 1, 50, 9}},
      {{0, 0, 100, 10}, orHorizontal, 25, 3, {1, 1, 25, 9}},    // 24.5 pixels: 24
      {{0, 0, 104, 10}, orHorizontal, 50, 3, {1, 1, 52, 9}},
      {{0, 0, 100, 10}, orHorizontal, 150, 3, {1, 1, 99, 9}},   // above 100: the whole bar
      {{0, 0, 10, 100}, orVertical, 75, 4, {1, 25, 9, 99}},     // 73.5 pixels: 74
      {{0, 0, 100, 10}, orHorizontal, 0, 0, {}},
  };
  for (const Case& c : cases) {
    TBitmap b(c.R.Right, c.R.Bottom);
    Fake->Calls.clear();
    Fake->BackgroundRects.clear();
    DrawLEDBar(b.Canvas(), c.R, c.Orientation, clLime, clGreen, 10, c.Percent, true, false);
    auto bg = Backgrounds();
    if (c.Part == 0) {
      EXPECT_TRUE(bg.empty()) << c.Percent;
      continue;
    }
    ASSERT_EQ(bg.size(), 1u) << c.Percent;
    EXPECT_EQ(bg[0].Class, "progress");
    EXPECT_EQ(bg[0].Part, c.Part) << c.Percent;
    EXPECT_EQ(Fake->BackgroundRects[0], c.Chunk) << c.Percent;
  }
}

// The group bar: the explorer bar's root element over the whole rectangle with the
// XP style; the other styles paint their gradient without the theme.
TEST_F(Themed, TheGroupBarBackgroundIsTheExplorerBarRootWithTheXpStyle) {
  struct Case {
    TQvVisualStyle Style;
    size_t Elements;
  } cases[] = {{vsWinXP, 1}, {vsGradient, 0}, {vsClassic, 0}};
  for (const Case& c : cases) {
    TBitmap b(40, 30);
    Fake->Calls.clear();
    Fake->BackgroundRects.clear();
    DrawGroupBarBackground(b.Canvas(), {0, 0, 40, 30}, c.Style, gcsSystem, gpTopToBottom, clRed, clBlue);
    auto bg = Backgrounds();
    ASSERT_EQ(bg.size(), c.Elements) << static_cast<int>(c.Style);
    if (c.Elements) {
      EXPECT_EQ(bg[0].Class, "explorerbar");
      EXPECT_EQ(bg[0].Part, 0);
      EXPECT_EQ(Fake->BackgroundRects[0], (TRect{0, 0, 40, 30}));
    }
  }
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
