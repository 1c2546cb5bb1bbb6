// The toolbar's and tool buttons' themed paths against the recording stand-in of
// the visual-style library.
#include "basic_fixture.h"
#include "controls/basic/toolbar.h"
#include "controls/common/themes.h"
#include "platform/theme/themefake.h"

namespace {

struct ToolbarThemed : TFormFixture {
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
  std::vector<std::string> Classes() {
    std::vector<std::string> out;
    for (const auto& c : Fake->Calls)
      if (c.Name == "DrawThemeBackground") out.push_back(c.Class);
    return out;
  }
  std::unique_ptr<TThemeLibraryFake> Fake;
};

TEST_F(ToolbarThemed, TheToolbarDrawsTheRebarAndItsButtonsTheToolbarElements) {
  ASSERT_TRUE(ThemeServices()->ThemesEnabled());
  auto* bar = new TQvToolbar(Form);
  bar->SetParent(Form);
  auto* plain = new TQvToolButton(Form);
  plain->SetParent(bar);
  auto* split = new TQvToolButton(Form);
  split->OnClick = [](TObject*) {};
  split->SetToolStyle(tsDropDown);
  split->SetParent(bar);
  Fake->Calls.clear();
  Shot(bar);
  // The rebar behind; the plain button its toolbar element (normal state); the
  // split button its main part and its drop-down part.
  std::vector<std::string> want{"rebar", "toolbar", "toolbar", "toolbar"};
  EXPECT_EQ(Classes(), want);
}

}  // namespace
