// The themed paths of the buttons, against the recording stand-in of the
// visual-style library: the element each state draws, whatever HotTrack or Color.
#include "basic_fixture.h"
#include "controls/basic/buttons.h"
#include "controls/basic/radiocheck.h"
#include "controls/common/themes.h"
#include "platform/theme/themefake.h"

namespace {

struct ThemedButtons : TFormFixture {
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
  // (part, state) of the last button-class background drawn.
  std::pair<int, int> Drawn(TWinControl* C) {
    Fake->Calls.clear();
    Shot(C);
    std::pair<int, int> last{-1, -1};
    for (const auto& c : Fake->Calls)
      if (c.Name == "DrawThemeBackground" && c.Class == "button") last = {c.Part, c.State};
    return last;
  }
  std::unique_ptr<TThemeLibraryFake> Fake;
};

TEST_F(ThemedButtons, APushButtonDrawsItsStateAndIgnoresHotTrackAndColour) {
  ASSERT_TRUE(ThemeServices()->ThemesEnabled());
  auto* b = new TQvButton(Form);
  b->SetParent(Form);
  EXPECT_EQ(Drawn(b), (std::pair{1, 1}));  // push button, normal
  b->SetHotTrack(true);
  b->SetColor(clRed);
  EXPECT_EQ(Drawn(b), (std::pair{1, 1}));
  b->SetEnabled(false);
  EXPECT_EQ(Drawn(b), (std::pair{1, 4}));  // disabled
  b->SetEnabled(true);
  b->SetDefault(true);
  b->Perform(CM_FOCUSCHANGED, 0, 0);
  EXPECT_EQ(Drawn(b), (std::pair{1, 5}));  // defaulted
}

TEST_F(ThemedButtons, CheckBoxesAndRadioButtonsDrawTheirThemedGlyphs) {
  auto* box = new TQvCheckBox(Form);
  box->SetParent(Form);
  box->SetAllowGrayed(true);
  box->SetState(cbGrayed);
  EXPECT_EQ(Drawn(box), (std::pair{3, 9}));  // check box, mixed normal
  box->SetEnabled(false);
  EXPECT_EQ(Drawn(box), (std::pair{3, 12}));  // mixed disabled
  auto* radio = new TQvRadioButton(Form);
  radio->SetParent(Form);
  radio->SetChecked(true);
  EXPECT_EQ(Drawn(radio), (std::pair{2, 5}));  // radio button, checked normal
}

}  // namespace
