// The "dates" page: the calendar, the time picker and the colour and date/time
// edits.
//
// Layout (tests check it):
// - a calendar at (16, 32), auto-sized, with week numbers; the page sets its dates
//   from today when loaded: the view shows this month, MinDate is the 3rd and
//   MaxDate the 26th of the month (days outside greyed), the selected day is today
//   + 1 (or today - 1 near the end of the range), today carries its frame;
// - a plain calendar without buttons and week numbers at (16, 232);
// - time pickers at (200, 32) in the 12-hour format (15:25, Set button shown) and
//   at (376, 32) in a 24-hour format "hh:nn" (9:40, minutes restricted to 5);
// - at x = 560: a date edit (y = 32, 2024-5-15), a time edit (y = 64, 15:25) and a
//   colour edit (y = 96, clTeal), each 121 x 21, and an empty colour edit (y = 128);
// - the same edits with their drop-downs open in the row at y = 252: the date edit
//   at x = 200, the time edit at x = 376, the colour edit at x = 560, each with its
//   popup panel right below it (the panel's look, drawn on the page).
#include <algorithm>

#include "controls/editlist/calendar.h"
#include "controls/editlist/classes.h"
#include "controls/editlist/dateedits.h"
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

// Shows a popup panel in place on the page, as its drop-down shows it.
class TGalleryShowPanel : public TComponent {
  DTU_CLASS(TGalleryShowPanel, TComponent)
public:
  explicit TGalleryShowPanel(TComponent* AOwner) : TComponent(AOwner) {}
  TControl* Panel() const { return FPanel; }
  void SetPanel(TControl* Value) { FPanel = Value; }
  void Loaded() override {
    TComponent::Loaded();
    if (FPanel) FPanel->SetVisible(true);
  }

private:
  TControl* FPanel = nullptr;
};

const TClassInfo& TGalleryShowPanel::StaticClass() {
  using S = TGalleryShowPanel;
  static const TClassInfo info = TClassBuilder<S>("TGalleryShowPanel", &TComponent::StaticClass())
                                     .Component()
                                     .Object<TControl>("Panel", &S::Panel, &S::SetPanel)
                                     .Build();
  return info;
}

const bool registered = [] {
  RegisterClasses({ClassEntry<TGalleryCalendarDates>(), ClassEntry<TGalleryShowPanel>()});
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
         "  object DateEdit: TQvDateTimeEdit\n    Left = 560\n    Top = 32\n    Width = 121\n    Height = 21\n"
         "    Date = 45427.0\n  end\n"
         "  object TimeEdit: TQvDateTimeEdit\n    Left = 560\n    Top = 64\n    Width = 121\n    Height = 21\n"
         "    EditType = etTime\n    Time = 0.642361111111111\n  end\n"
         "  object ColorEdit: TQvColorEdit\n    Left = 560\n    Top = 96\n    Width = 121\n    Height = 21\n"
         "    SelectedColor = clTeal\n  end\n"
         "  object ColorEditNone: TQvColorEdit\n    Left = 560\n    Top = 128\n    Width = 121\n    Height = 21\n"
         "  end\n"
         "  object DateOpen: TQvDateTimeEdit\n    Left = 200\n    Top = 252\n    Width = 121\n    Height = 21\n"
         "    Date = 45427.0\n  end\n"
         "  object DateDrop: TQvPopupPanel\n    Left = 200\n    Top = 273\n"
         "    object DropCalendar: TQvCalendar\n      Left = 3\n      Top = 3\n      Date = 45427.0\n"
         "      ThemeAware = False\n    end\n  end\n"
         "  object TimeOpen: TQvDateTimeEdit\n    Left = 376\n    Top = 252\n    Width = 121\n    Height = 21\n"
         "    EditType = etTime\n    Time = 0.642361111111111\n  end\n"
         "  object TimeDrop: TQvPopupPanel\n    Left = 376\n    Top = 273\n"
         "    object DropClock: TQvTimePicker\n      Left = 3\n      Top = 3\n      ShowSetButton = True\n"
         "      Time = 0.642361111111111\n    end\n  end\n"
         "  object ColorOpen: TQvColorEdit\n    Left = 560\n    Top = 252\n    Width = 121\n    Height = 21\n"
         "    SelectedColor = clTeal\n  end\n"
         "  object ColorDrop: TQvPopupPanel\n    Left = 560\n    Top = 273\n"
         "    object DropPicker: TQvColorPicker\n      Left = 3\n      Top = 3\n      SelectedColor = clTeal\n"
         "    end\n  end\n"
         "  object ShowDateDrop: TGalleryShowPanel\n    Panel = DateDrop\n  end\n"
         "  object ShowTimeDrop: TGalleryShowPanel\n    Panel = TimeDrop\n  end\n"
         "  object ShowColorDrop: TGalleryShowPanel\n    Panel = ColorDrop\n  end\n"
         "end\n";
}

void Captions(TCanvas* Canvas, const TRect&) {
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(16, 10, "TQvCalendar");
  Canvas->TextOut(200, 10, "TQvTimePicker: 12-hour");
  Canvas->TextOut(376, 10, "24-hour, minutes by 5");
  Canvas->TextOut(560, 10, "date, time and colour edits");
  Canvas->TextOut(200, 234, "drop-downs open: date");
  Canvas->TextOut(376, 234, "time");
  Canvas->TextOut(560, 234, "colour");
  Canvas->Brush()->SetStyle(bsSolid);
}

TGalleryPageRegistrar reg{{"dates", 760, 480, Source(), Captions, nullptr}};

}  // namespace
