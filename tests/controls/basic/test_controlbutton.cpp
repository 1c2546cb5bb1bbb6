// The control button: glyph images, clicks and repeat clicks through the layer's
// input on the manual clock, the end of a press that loses the capture, and what
// the classic faces show.
#include <gtest/gtest.h>

#include <memory>

#include "controls/basic/controlbutton.h"
#include "platform/controls/forms.h"
#include "platform/controls/input.h"
#include "platform/controls/modal.h"
#include "platform/win32/clock.h"

namespace {

class ControlButton : public ::testing::Test {
protected:
  void SetUp() override {
    SetClock(&Clock);
    InstallInputLayer();
    Form = new TForm(nullptr);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(100, 100, 200, 100);
    Button = new TQvControlButton(Form);
    Button->SetBounds(10, 10, 17, 21);
    Button->SetParent(Form);
    Button->OnClick = [this](TObject*) { ++Clicks; };
    Form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    delete Form;
    Application->ProcessMessages();
    ReleaseCapture();
    SetClock(nullptr);
  }
  void Mouse(UINT Msg, TPoint P, WPARAM Keys) { InputMouse(Form->Handle(), Msg, {10 + P.X, 10 + P.Y}, Keys); }
  void Advance(int Ms) {
    for (int t = 0; t < Ms; t += 10) {
      Clock.Advance(10);
      Application->ProcessMessages();
    }
  }
  // The button painted alone into a bitmap (its own canvas on the bitmap's context).
  std::unique_ptr<TBitmap> Paint() {
    auto bmp = std::make_unique<TBitmap>(Button->Width(), Button->Height());
    Button->Perform(WM_PAINT, reinterpret_cast<WPARAM>(bmp->Canvas()->Handle()), 0);
    return bmp;
  }

  TManualClock Clock{1000};
  TScriptedModalRunner Runner;
  TForm* Form = nullptr;
  TQvControlButton* Button = nullptr;
  int Clicks = 0;
};

TEST_F(ControlButton, AGlyphStripSetsTheNumberOfImagesWhenItDividesEvenly) {
  struct Case { int w, h, images; };
  const Case cases[] = {{64, 16, 4}, {80, 16, 1}, {32, 16, 2}, {30, 16, 2}};
  for (const Case& c : cases) {
    TBitmap glyph(c.w, c.h);
    Button->SetGlyph(&glyph);
    EXPECT_EQ(Button->NumGlyphs(), c.images) << c.w << "x" << c.h;
  }
}

TEST_F(ControlButton, WithoutRepeatClicksAHeldButtonClicksOnceOnAReleaseInside) {
  Mouse(WM_LBUTTONDOWN, {5, 5}, MK_LBUTTON);
  EXPECT_TRUE(Button->IsDown());
  Advance(1000);
  EXPECT_EQ(Clicks, 0);
  Mouse(WM_LBUTTONUP, {5, 5}, 0);
  EXPECT_EQ(Clicks, 1);
  EXPECT_FALSE(Button->IsDown());
  Mouse(WM_LBUTTONDOWN, {5, 5}, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, {17, 5}, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, {17, 5}, 0);  // the right edge is outside
  EXPECT_EQ(Clicks, 1);
}

TEST_F(ControlButton, ARightPressStartsTheTimerButNeverClicks) {
  Button->SetRepeatClicks(true);
  Mouse(WM_RBUTTONDOWN, {5, 5}, MK_RBUTTON);
  ASSERT_NE(Button->RepeatTimer(), nullptr);
  EXPECT_TRUE(Button->RepeatTimer()->Enabled());
  Advance(1000);
  Mouse(WM_RBUTTONUP, {5, 5}, 0);
  EXPECT_EQ(Clicks, 0);
}

TEST_F(ControlButton, RepeatsComeAfterTheInitialDelayThenEveryDelayWhileHeld) {
  Button->SetRepeatClicks(true);
  Button->SetInitialDelay(300);
  Button->SetDelay(50);
  Mouse(WM_LBUTTONDOWN, {5, 5}, MK_LBUTTON);
  Advance(290);
  EXPECT_EQ(Clicks, 0);
  Advance(10);
  EXPECT_EQ(Clicks, 1);
  Advance(200);
  EXPECT_EQ(Clicks, 5);
  Mouse(WM_MOUSEMOVE, {40, 5}, MK_LBUTTON);  // outside: held but no clicks
  Advance(200);
  EXPECT_EQ(Clicks, 5);
  Mouse(WM_LBUTTONUP, {40, 5}, 0);
  EXPECT_FALSE(Button->RepeatTimer()->Enabled());
}

// A repeated click that raises stops the repeats; the press that a modal box (or a
// disabled, hidden button) cuts short ends: the face comes up, the timer stops.
TEST_F(ControlButton, ARaisingClickOrALostCaptureEndsTheRepeats) {
  Button->SetRepeatClicks(true);
  Button->OnClick = [this](TObject*) {
    if (++Clicks == 2) throw Exception("stop");
  };
  Mouse(WM_LBUTTONDOWN, {5, 5}, MK_LBUTTON);
  Advance(1000);
  EXPECT_EQ(Clicks, 2);
  EXPECT_FALSE(Button->RepeatTimer()->Enabled());
  Mouse(WM_LBUTTONUP, {5, 5}, 0);

  Clicks = 0;
  Button->OnClick = [this](TObject*) {
    ++Clicks;
    Runner.AnswerMessageBox(IDOK);
    Application->MessageBox("repeat", "", MB_OK);  // a modal box takes the capture
  };
  Mouse(WM_LBUTTONDOWN, {5, 5}, MK_LBUTTON);
  Advance(1000);
  EXPECT_EQ(Clicks, 1);
  EXPECT_FALSE(Button->IsDown());
  EXPECT_FALSE(Button->RepeatTimer()->Enabled());
}

TEST_F(ControlButton, ADisabledButtonWithTwoImagesShowsTheSecond) {
  TBitmap glyph(16, 8);
  glyph.Canvas()->Brush()->SetColor(clRed);
  glyph.Canvas()->FillRect({0, 0, 8, 8});
  glyph.Canvas()->Brush()->SetColor(clBlue);
  glyph.Canvas()->FillRect({8, 0, 16, 8});
  glyph.Canvas()->SetPixels(0, 7, clLime);  // the transparent colour
  Button->SetGlyph(&glyph);
  ASSERT_EQ(Button->NumGlyphs(), 2);
  auto at = [&](int X, int Y) { return static_cast<COLORREF>(Paint()->Canvas()->Pixels(X, Y)); };
  // The 8 x 8 image is centred in the face inside its border: at (4, 6).
  EXPECT_EQ(at(8, 10), RGB(255, 0, 0));
  Button->SetEnabled(false);
  EXPECT_EQ(at(8, 10), RGB(0, 0, 255));
}

TEST_F(ControlButton, AFlatButtonShowsAFrameOnlyUnderTheMouse) {
  Button->SetStyle(cbsUp);
  Button->SetFlat(true);
  Button->SetColor(clWhite);
  auto corner = [&] { return static_cast<COLORREF>(Paint()->Canvas()->Pixels(0, 0)); };
  EXPECT_EQ(corner(), RGB(255, 255, 255));
  Mouse(WM_MOUSEMOVE, {5, 5}, 0);
  EXPECT_TRUE(Button->MouseOver());
  EXPECT_EQ(corner(), RGB(255, 255, 255));   // fsPopup: highlight top-left
  EXPECT_EQ(static_cast<COLORREF>(Paint()->Canvas()->Pixels(16, 20)), RGB(128, 128, 128));
  Button->SetFlat(false);
  Mouse(WM_MOUSEMOVE, {60, 5}, 0);
  EXPECT_EQ(static_cast<COLORREF>(Paint()->Canvas()->Pixels(16, 20)), RGB(64, 64, 64));  // fsButtonUp
}

}  // namespace

// With the visual style on, a flat button away from the mouse shows its colour and
// the arrow only; any other button draws the themed element of its style.
#include "controls/common/themes.h"
#include "platform/theme/themefake.h"

namespace {

TEST_F(ControlButton, ThemedFlatButtonsAwayFromTheMouseDrawNoElement) {
  FreeThemeServices();
  {
    TThemeLibraryFake fake;
    ASSERT_TRUE(ThemeServices()->ThemesEnabled());
    // The themed backgrounds drawn for an element class (the XP arrow itself may
    // look at the combo box's button for its colour).
    auto drawn = [&](const std::string& Class) {
      std::vector<std::pair<int, int>> out;
      for (const auto& c : fake.Calls)
        if (c.Name == "DrawThemeBackground" && c.Class == Class) out.emplace_back(c.Part, c.State);
      fake.Calls.clear();
      return out;
    };
    using Drawn = std::vector<std::pair<int, int>>;
    Button->SetStyle(cbsUp);
    Button->SetFlat(true);
    Button->SetColor(clWhite);
    fake.Calls.clear();
    auto shot = Paint();
    EXPECT_EQ(drawn("spin"), Drawn{});
    EXPECT_EQ(static_cast<COLORREF>(shot->Canvas()->Pixels(0, 0)), RGB(255, 255, 255));
    Button->SetFlat(false);
    fake.Calls.clear();
    Paint();
    EXPECT_EQ(drawn("spin"), (Drawn{{1, 1}}));  // the up part, normal
    Button->SetStyle(cbsDropDown);
    Button->SetEnabled(false);
    fake.Calls.clear();
    Paint();
    EXPECT_EQ(drawn("combobox"), (Drawn{{1, 4}}));  // the drop-down button, disabled
    FreeThemeServices();
  }
}

}  // namespace
