// What the calendar and the time picker answer alike: the accelerators of their
// button captions (only while they can take the focus), the arrow keys, and a new
// measure after a font change.
#include <functional>
#include <string>

#include "controls/editlist/calendar.h"
#include "controls/editlist/timepicker.h"
#include "edit_fixture.h"

namespace {

class PopupFaceTest : public EditTest {
protected:
  static LRESULT Send(TControl* C, UINT Msg, WPARAM W = 0) {
    TMessage m{Msg, W, 0, 0};
    C->Dispatch(m);
    return m.Result;
  }
};

TEST_F(PopupFaceTest, CaptionAcceleratorsRunTheirButtons) {
  auto* cal = Place<TQvCalendar>(10, 10, 50, 50);
  cal->SetCaptionClearBtn("&Leeren");
  cal->SetCaptionTodayBtn("&Heute");
  auto* clock = Place<TQvTimePicker>(10, 80, 160, 190);
  clock->SetCaptionAM("&Vor");
  clock->SetCaptionPM("&Nach");
  clock->SetCaptionSet("&Setzen");
  int setClicks = 0;
  clock->OnSetBtnClick = [&](TObject*) { ++setClicks; };
  Show();
  const TDateTime someDay = EncodeDate(2024, 5, 15);
  struct Case {
    const char* what;
    TControl* control;
    char key;
    std::function<void()> before;
    bool handled;
    std::function<bool()> done;
  } cases[] = {
      {"calendar Clear", cal, 'L', [&] { cal->SetDate(someDay); }, true, [&] { return cal->IsClear(); }},
      {"calendar Today", cal, 'H', [&] { cal->SetDate(someDay); }, true, [&] { return cal->Date() == ::Date(); }},
      {"calendar other key", cal, 'X', [&] { cal->SetDate(someDay); }, false,
       [&] { return cal->Date() == someDay; }},
      {"picker PM", clock, 'N', [&] { clock->SetTime(EncodeTime(9, 30, 0, 0)); }, true,
       [&] { return clock->PM() && clock->Time() == EncodeTime(21, 30, 0, 0); }},
      {"picker AM", clock, 'V', [&] { clock->SetTime(EncodeTime(21, 30, 0, 0)); }, true,
       [&] { return !clock->PM() && clock->Time() == EncodeTime(9, 30, 0, 0); }},
      {"picker Set", clock, 'S', [&] { setClicks = 0; }, true, [&] { return setClicks == 1; }},
      {"picker other key", clock, 'L', [&] { setClicks = 0; }, false, [&] { return setClicks == 0; }},
  };
  for (const Case& c : cases) {
    c.before();
    EXPECT_EQ(Send(c.control, CM_DIALOGCHAR, static_cast<WPARAM>(c.key)) != 0, c.handled) << c.what;
    EXPECT_TRUE(c.done()) << c.what;
  }
  // A hidden control cannot take the focus and leaves the key to others.
  for (TControl* c : {static_cast<TControl*>(cal), static_cast<TControl*>(clock)}) {
    c->SetVisible(false);
    cal->SetDate(someDay);
    setClicks = 0;
    EXPECT_EQ(Send(c, CM_DIALOGCHAR, c == cal ? 'L' : 'S'), 0);
    EXPECT_EQ(cal->Date(), someDay);
    EXPECT_EQ(setClicks, 0);
  }
}

TEST_F(PopupFaceTest, ArrowKeysAndANewMeasureAfterAFontChange) {
  auto* cal = Place<TQvCalendar>(10, 10, 50, 50);
  auto* clock = Place<TQvTimePicker>(10, 80, 160, 190);
  Show();
  for (TControl* c : {static_cast<TControl*>(cal), static_cast<TControl*>(clock)}) {
    EXPECT_EQ(Send(c, WM_GETDLGCODE), DLGC_WANTARROWS);
    // Both size themselves by their font: a larger font makes them grow.
    const int w = c->Width(), h = c->Height();
    c->Font()->SetSize(c->Font()->Size() * 2);
    Application->ProcessMessages();
    EXPECT_GT(c->Width(), w);
    EXPECT_GT(c->Height(), h);
  }
}

}  // namespace
