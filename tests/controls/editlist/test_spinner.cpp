// The spinner: range rules, the hexadecimal display, stepping by buttons (with the
// held button's repeats on the manual clock), keys and the wheel, and its stream
// with the retired properties.
#include <gtest/gtest.h>

#include "controls/editlist/spinner.h"
#include "tests/controls/editlist/edit_fixture.h"

namespace {

struct Spinner : EditTest {
  void SetUp() override {
    EditTest::SetUp();
    S = Place<TQvSpinner>(10, 10, 85, 21);
    S->OnIncrement = [this](TObject*, int A) { Steps += "+" + std::to_string(A); };
    S->OnDecrement = [this](TObject*, int A) { Steps += "-" + std::to_string(A); };
    Show();
  }
  TPoint Minus() const { return {5, 10}; }
  TPoint Plus() const { return {80, 10}; }
  void Move(TPoint P) {
    TPoint f = Form->ScreenToClient(S->ClientToScreen(P));
    InputMouse(Form->Handle(), WM_MOUSEMOVE, f, MK_LBUTTON);
  }
  TQvSpinner* S = nullptr;
  std::string Steps;
};

TEST_F(Spinner, RangeAndDisplay) {
  struct Case { int min, max; bool check; int in, value; };
  const Case cases[] = {
      {0, 100, false, 150, 100}, {0, 100, false, -3, 0}, {0, 0, false, -55, -55}, {0, 0, true, -55, 0},
      {5, 5, false, 9, 9},
  };
  for (const auto& c : cases) {
    auto* s = Place<TQvSpinner>(10, 40, 85, 21);
    s->SetMax(c.max);
    s->SetMin(c.min);
    s->SetCheckRange(c.check);
    s->SetValue(c.in);
    EXPECT_EQ(s->Value(), c.value) << c.min << ".." << c.max << " " << c.in;
    delete s;
  }
  struct Hex { int value; const char* prefix; const char* text; };
  const Hex hexes[] = {{255, "$", "$FF"}, {0, "$", "$0"}, {-1, "$", "$FFFFFFFF"}, {4096, "0x", "0x1000"}};
  S->SetMin(-10);
  S->SetMax(5000);
  for (const auto& h : hexes) {
    S->SetShowHexValue(true);
    S->SetHexValuePrefix(h.prefix);
    S->SetValue(h.value);
    EXPECT_EQ(S->DisplayText(), h.text);
  }
  S->SetShowHexValue(false);
  EXPECT_EQ(S->DisplayText(), "4096");
}

TEST_F(Spinner, KeysAndWheelStep) {
  S->SetValue(50);
  Key(VK_UP);
  Key(VK_ADD);
  Key(VK_LEFT);
  Key(VK_PRIOR);
  Key(VK_NEXT);
  Key(VK_NEXT);
  EXPECT_EQ(S->Value(), 41);
  EXPECT_EQ(Steps, "+1+1-1+10-10-10");
  S->SetValue(100);
  Steps.clear();
  Key(VK_UP);  // already at Max: no step reported
  EXPECT_EQ(Steps, "");
  TPoint c = S->ClientToScreen({40, 10});
  InputMouseWheel(Form->Handle(), -120, Form->ScreenToClient(c), 0);
  EXPECT_EQ(S->Value(), 99);
}

TEST_F(Spinner, AHeldButtonRepeatsOnlyWhileThePointerIsOverIt) {
  S->SetValue(50);
  Press(S, Plus(), true);
  Advance(390);
  EXPECT_EQ(S->Value(), 50);
  Advance(20);  // 400 ms
  EXPECT_EQ(S->Value(), 51);
  Advance(200);
  EXPECT_EQ(S->Value(), 53);
  Press(S, Plus(), false);  // once more on release
  EXPECT_EQ(S->Value(), 54);
  // press on minus, release on plus: nothing
  Press(S, Minus(), true);
  Move(Plus());
  Press(S, Plus(), false);
  EXPECT_EQ(S->Value(), 54);
  // held on minus, dragged over plus for a while: no ticks step
  Press(S, Minus(), true);
  Move({40, 10});
  Advance(700);
  EXPECT_EQ(S->Value(), 54);
  Move(Minus());
  Advance(100);
  EXPECT_EQ(S->Value(), 53);
  Press(S, Minus(), false);
  EXPECT_EQ(S->Value(), 52);
  EXPECT_FALSE(S->MinusPressed());
}

TEST_F(Spinner, StreamWithRetiredProperties) {
  auto* s = new TQvSpinner(Form);
  ReadInto("object X: TQvSpinner\n  Max = 500\n  Value = 300\n  ShowHexValue = True\n  HexValuePrefix = '#'\n"
           "  NumGlyphsMinus = 2\n  NumGlyphsPlus = 2\n  Flat = True\nend\n",
           s);
  EXPECT_EQ(s->Value(), 300);
  EXPECT_EQ(s->DisplayText(), "#12C");
  std::string text = TextOf(s);
  EXPECT_EQ(text.find("NumGlyphs"), std::string::npos) << text;
  EXPECT_EQ(text.find("Flat"), std::string::npos) << text;
  auto copy = std::make_unique<TQvSpinner>(nullptr);
  ReadInto(text, copy.get());
  EXPECT_EQ(TextOf(copy.get()), text);
  EXPECT_EQ(TextOf(new TQvSpinner(Form)).find("HexValuePrefix"), std::string::npos);
}

}  // namespace

namespace {

TEST_F(Spinner, TakesItsColoursFromAFrameController) {
  auto* fc = new TQvFrameController(Form);
  S->SetFrameControllerNotifications(TQvFrameControllerNotifications{fcpFrameColor, fcpFlatButtonColor});
  S->SetFrameController(fc);
  fc->SetFrameColor(clNavy);
  fc->SetFlatButtonColor(clSilver);
  fc->SetColor(clYellow);
  fc->SetFrameVisible(true);
  S->CustomFramingChanged();
  EXPECT_EQ(S->FrameColor(), clNavy);
  EXPECT_EQ(S->ButtonColor(), clSilver);
  EXPECT_EQ(S->Color(), clWindow) << "Color is not among the accepted properties";
  delete fc;
  EXPECT_EQ(S->FrameController(), nullptr);
}

}  // namespace

#include "controls/common/themes.h"
#include "platform/theme/themefake.h"

namespace {

// With themes the buttons are the spin control's horizontal parts (down = minus,
// up = plus) over the edit's background; a pressed button takes the pressed state.
TEST_F(Spinner, ThemedButtonsAreTheHorizontalSpinParts) {
  FreeThemeServices();
  {
    TThemeLibraryFake fake;
    ASSERT_TRUE(ThemeServices()->ThemesEnabled());
    auto drawn = [&](const std::string& Class) {
      std::vector<std::pair<int, int>> out;
      for (const auto& c : fake.Calls)
        if (c.Name == "DrawThemeBackground" && c.Class == Class) out.emplace_back(c.Part, c.State);
      fake.Calls.clear();
      return out;
    };
    using Drawn = std::vector<std::pair<int, int>>;
    TBitmap bmp(85, 21);
    fake.Calls.clear();
    S->PaintTo(bmp.Canvas()->Handle(), 0, 0);
    EXPECT_EQ(drawn("spin"), (Drawn{{4, 1}, {3, 1}}));
    Press(S, Plus(), true);
    fake.Calls.clear();
    S->PaintTo(bmp.Canvas()->Handle(), 0, 0);
    EXPECT_EQ(drawn("spin"), (Drawn{{4, 1}, {3, 3}}));
    Press(S, Plus(), false);
    S->SetThemeAware(false);
    fake.Calls.clear();
    S->PaintTo(bmp.Canvas()->Handle(), 0, 0);
    EXPECT_EQ(drawn("spin"), Drawn{});
    FreeThemeServices();
  }
}

}  // namespace
