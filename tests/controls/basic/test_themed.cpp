// The themed paths, against the recording stand-in of the visual-style library:
// which elements the group box, the status bar and the LED bar draw.
#include <algorithm>

#include "basic_fixture.h"
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

}  // namespace
