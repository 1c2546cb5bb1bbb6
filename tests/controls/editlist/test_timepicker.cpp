// The time picker: clock geometry, mouse and keyboard, the minute step, SetTime's
// whole-minute rule and its form stream.
#include "controls/editlist/timepicker.h"

#include <cmath>
#include <memory>

#include "edit_fixture.h"

namespace {

class TimePickerTest : public EditTest {
protected:
  TQvTimePicker* Make(TDateTime Time) {
    auto* p = Place<TQvTimePicker>(10, 10, 160, 190);
    Show();
    p->SetTime(Time);
    return p;
  }
  // A point on the clock at a clock position (12 = top, 3 = right), 0.6 R out.
  static TPoint At(TQvTimePicker* P, double Hours) {
    double a = Hours * M_PI / 6 - M_PI / 2;
    int r = P->ClockRadius() * 6 / 10;
    TPoint c = P->ClockCenter();
    return TPoint{c.X + static_cast<int>(std::lround(r * std::cos(a))), c.Y + static_cast<int>(std::lround(r * std::sin(a)))};
  }
  void Click(TQvTimePicker* P, TPoint Pt, bool Right) {
    TPoint f = Form->ScreenToClient(P->ClientToScreen(Pt));
    InputMouse(Form->Handle(), Right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, f, Right ? MK_RBUTTON : MK_LBUTTON);
    InputMouse(Form->Handle(), Right ? WM_RBUTTONUP : WM_LBUTTONUP, f, 0);
    Application->ProcessMessages();
  }
  static int Hour(TDateTime T) { Word h, m, s, ms; DecodeTime(T, h, m, s, ms); return h; }
  static int Minute(TDateTime T) { Word h, m, s, ms; DecodeTime(T, h, m, s, ms); return m; }
};

TEST_F(TimePickerTest, LeftClickSetsTheHour) {
  struct Case {
    TDateTime start;
    double at;
    int hour;
  } cases[] = {
      {EncodeTime(9, 20, 0, 0), 3, 3},   {EncodeTime(15, 20, 0, 0), 3, 15},  // PM keeps the afternoon
      {EncodeTime(9, 20, 0, 0), 12, 0},  {EncodeTime(13, 20, 0, 0), 12, 12},
      {EncodeTime(9, 20, 0, 0), 7.2, 7},
  };
  auto* p = Make(0);
  for (const Case& c : cases) {
    p->SetTime(c.start);
    Click(p, At(p, c.at), false);
    EXPECT_EQ(Hour(p->Time()), c.hour) << c.at;
    EXPECT_EQ(Minute(p->Time()), 20);
  }
  // Exactly above the centre is 12; exactly below, minute 30.
  TPoint c = p->ClockCenter();
  EXPECT_EQ(p->GetHourFromXY(c.X, c.Y - 20), 12);
  EXPECT_EQ(p->GetMinuteFromXY(c.X, c.Y + 20, false), 30);
}

TEST_F(TimePickerTest, RightClickSetsSnappedMinutes) {
  auto* p = Make(EncodeTime(10, 0, 0, 0));
  p->SetRestrictMinutes(true);
  Click(p, At(p, 6.9), true);  // near 7 o'clock: minute 34 or 35 snaps to 35
  EXPECT_EQ(Minute(p->Time()), 35);
  EXPECT_EQ(Hour(p->Time()), 10);
  Click(p, At(p, 58.0 / 5), true);  // minute 58 snaps to 60, which is 0, the hour unchanged
  EXPECT_EQ(Minute(p->Time()), 0);
  EXPECT_EQ(Hour(p->Time()), 10);
  p->SetRestrictMinutesBy(7);  // 8 steps of 7: 59 gives 7 x round(59 / 60 x 8) = 56
  EXPECT_EQ(p->GetMinuteFromXY(At(p, 59.0 / 5).X, At(p, 59.0 / 5).Y, false), 56);
  for (int bad : {0, -5}) {
    p->SetRestrictMinutesBy(bad);
    EXPECT_EQ(p->RestrictMinutesBy(), 7) << bad;
  }
  EXPECT_NO_THROW(p->GetMinuteFromXY(At(p, 4).X, At(p, 4).Y, true));
}

TEST_F(TimePickerTest, SetTimeKeepsWholeMinutes) {
  auto* p = Make(EncodeTime(10, 30, 0, 0));
  int changes = 0;
  p->OnChange = [&](TObject*) { ++changes; };
  p->SetTime(EncodeTime(10, 30, 15, 0));  // the same minute with seconds: no change
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(p->Time(), EncodeTime(10, 30, 0, 0));
  p->SetTime(EncodeDate(2024, 1, 1) + EncodeTime(11, 5, 59, 0));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(p->Time(), EncodeTime(11, 5, 0, 0));
}

TEST_F(TimePickerTest, KeysAndAmPm) {
  auto* p = Make(EncodeTime(23, 30, 0, 0));
  p->SetFocus();
  EXPECT_TRUE(p->PM());
  Key(VK_PRIOR);  // 23:30 + 1 h = 0:30, AM
  EXPECT_EQ(p->Time(), EncodeTime(0, 30, 0, 0));
  EXPECT_FALSE(p->PM());
  Key(VK_DOWN);
  EXPECT_EQ(p->Time(), EncodeTime(0, 29, 0, 0));
  p->ChangeToPM();
  EXPECT_EQ(p->Time(), EncodeTime(12, 29, 0, 0));
  TRect am = p->AMRect();
  Click(p, {am.Left + 3, (am.Top + am.Bottom) / 2}, false);
  EXPECT_EQ(p->Time(), EncodeTime(0, 29, 0, 0));
  int sets = 0;
  p->OnSetBtnClick = [&](TObject*) { ++sets; };
  Key(VK_RETURN);
  EXPECT_EQ(sets, 0) << "no Set button shown";
  p->SetShowSetButton(true);
  Key(VK_RETURN);
  EXPECT_EQ(sets, 1);
}

TEST_F(TimePickerTest, HowToUseHintOverTheClock) {
  auto* p = Make(EncodeTime(9, 0, 0, 0));
  p->SetRestrictMinutesBy(10);
  TPoint c = p->ClockCenter();
  TPoint f = Form->ScreenToClient(p->ClientToScreen(c));
  InputMouse(Form->Handle(), WM_MOUSEMOVE, f, 0);
  Application->ProcessMessages();
  ASSERT_TRUE(p->HintShown());
  EXPECT_NE(p->HowToUseText().find("10"), std::string::npos);
  TPoint below = p->ClientToScreen({0, p->Height()});
  EXPECT_EQ(p->HintWindow()->Left(), below.X);
  EXPECT_EQ(p->HintWindow()->Top(), below.Y);
  TRect am = p->AMRect();
  f = Form->ScreenToClient(p->ClientToScreen({am.Left + 2, am.Top + 2}));
  InputMouse(Form->Handle(), WM_MOUSEMOVE, f, 0);
  Application->ProcessMessages();
  EXPECT_FALSE(p->HintShown());
}

TEST_F(TimePickerTest, AutoSizeAndStreamRoundTrip) {
  auto* p = Make(EncodeTime(14, 45, 0, 0));
  // 10T + 4(T + 2) high; max(13(W + 6), 24W) wide.
  EXPECT_EQ(p->Height(), 10 * 13 + 4 * 15);
  EXPECT_EQ(p->Width(), std::max(13 * (7 + 6), 24 * 7));
  p->SetRestrictMinutes(true);
  p->SetRestrictMinutesBy(15);
  p->SetFormat("hh:nn");
  p->SetCaptionSet("OK");
  p->ClockFaceColors()->SetColor(1, clRed);
  p->SetName("Clock");
  std::string text = TextOf(p);
  auto back = std::make_unique<TQvTimePicker>(nullptr);
  ReadInto(text, back.get());
  EXPECT_EQ(back->Time(), EncodeTime(14, 45, 0, 0));
  EXPECT_TRUE(back->PM());
  EXPECT_TRUE(back->RestrictMinutes());
  EXPECT_EQ(back->RestrictMinutesBy(), 15);
  EXPECT_EQ(back->Format(), "hh:nn");
  EXPECT_EQ(back->CaptionSet(), "OK");
  EXPECT_EQ(back->ClockFaceColors()->Hands(), clRed);
  EXPECT_EQ(back->ClockFaceColors()->GetColor(5), static_cast<TColor>(0x1FFFFFFF));
}

}  // namespace
