// The "dates" page: the calendar and the time picker.
//
// Layout (tests check it):
// - a calendar at (16, 32), auto-sized, with week numbers; the page sets its dates
//   from today when loaded: the view shows this month, MinDate is the 3rd and
//   MaxDate the 26th of the month (days outside greyed), the selected day is today
//   + 1 (or today - 1 near the end of the range), today carries its frame;
// - a plain calendar without buttons and week numbers at (16, 232);
// - time pickers at (200, 32) in the 12-hour format (15:25, Set button shown) and
//   at (376, 32) in a 24-hour format "hh:nn" (9:40, minutes restricted to 5).
#include <algorithm>

#include "controls/editlist/calendar.h"
#include "controls/editlist/classes.h"
#include "controls/editlist/timepicker.h"
#include "platform/core/typinfo.h"
#include "tools/gallery/gallery.h"

namespace {

// Gives a calendar of the page dates relative to today once the page is read, so
// the picture always shows the today mark next to a selected day and a range.
class TGalleryCalendarDates : public TComponent {
  DTU_CLASS(TGalleryCalendarDates, TComponent)
public:
  explicit TGalleryCalendarDates(TComponent* AOwner) : TComponent(AOwner) {}
  TQvCalendar* Calendar() const { return FCalendar; }
  void SetCalendar(TQvCalendar* Value) { FCalendar = Value; }
  void Loaded() override {
    TComponent::Loaded();
    if (!FCalendar) return;
    Word y, m, d;
    DecodeDate(::Date(), y, m, d);
    FCalendar->SetMinDate(EncodeDate(y, m, 3));
    FCalendar->SetMaxDate(EncodeDate(y, m, 26));
    int sel = d + 1 <= 26 && d + 1 >= 3 ? d + 1 : std::clamp(d - 1, 3, 26);
    FCalendar->SetDate(EncodeDate(y, m, static_cast<Word>(sel)));
  }

private:
  TQvCalendar* FCalendar = nullptr;
};

const TClassInfo& TGalleryCalendarDates::StaticClass() {
  using S = TGalleryCalendarDates;
  static const TClassInfo info = TClassBuilder<S>("TGalleryCalendarDates", &TComponent::StaticClass())
                                     .Component()
                                     .Object<TQvCalendar>("Calendar", &S::Calendar, &S::SetCalendar)
                                     .Build();
  return info;
}

const bool registered = [] {
  RegisterClasses({&TGalleryCalendarDates::StaticClass()});
  return true;
}();

std::string Source() {
  return "object DatesPage: TForm\n"
         "  object Calendar: TQvCalendar\n    Left = 16\n    Top = 32\n"
         "    Elements = [ceYear, ceMonth, ceArrows, ceWeekNumbers, ceDaysOfWeek, ceFillDays, ceTodayButton, "
         "ceClearButton]\n  end\n"
         "  object CalendarPlain: TQvCalendar\n    Left = 16\n    Top = 232\n"
         "    Elements = [ceYear, ceMonth, ceArrows, ceDaysOfWeek]\n    BorderOuter = fsFlat\n  end\n"
         "  object Clock12: TQvTimePicker\n    Left = 200\n    Top = 32\n    ShowSetButton = True\n"
         "    Time = 0.642361111111111\n  end\n"
         "  object Clock24: TQvTimePicker\n    Left = 376\n    Top = 32\n    Format = 'hh:nn'\n"
         "    RestrictMinutes = True\n    Time = 0.402777777777778\n  end\n"
         "  object CalendarDates: TGalleryCalendarDates\n    Calendar = Calendar\n  end\n"
         "end\n";
}

void Captions(TCanvas* Canvas, const TRect&) {
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(16, 10, "TQvCalendar");
  Canvas->TextOut(200, 10, "TQvTimePicker: 12-hour");
  Canvas->TextOut(376, 10, "24-hour, minutes by 5");
  Canvas->Brush()->SetStyle(bsSolid);
}

TGalleryPageRegistrar reg{{"dates", 560, 420, Source(), Captions}};

}  // namespace
