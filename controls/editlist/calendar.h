#pragma once
// TQvCalendar: a month calendar on a framed panel. A caption strip with month and
// year between two month arrows (auto-repeating while held), an optional week
// number column (ISO 8601 week of each row's first date), a row of day names, a
// 7 x 6 grid of days starting with at least the last day of the previous month, and
// Today and Clear buttons. Dates are limited to an optional MinDate..MaxDate range,
// for the mouse and the keyboard alike.
#include <functional>
#include <memory>
#include <string>

#include "controls/basic/panels.h"
#include "controls/editlist/popupface.h"
#include "controls/editlist/spinner.h"
#include "platform/controls/menus.h"
#include "platform/controls/extctrls.h"
#include "platform/core/dates.h"

DTU_DECLARE_EXCEPTION(EQvCalendarError, Exception)

class TQvCalendar;

// Seven colours addressed by index; setting one repaints the owning calendar.
class TQvCalendarColors : public TPersistent {
  DTU_CLASS(TQvCalendarColors, TPersistent)
public:
  explicit TQvCalendarColors(TControl* AOwner = nullptr);
  static constexpr int Count = 7;
  TColor GetColor(int Index) const;
  void SetColor(int Index, TColor Value);
  void Assign(TPersistent* Source) override;
  void ClearOwner() { FOwner = nullptr; }
  TColor Days() const { return FColors[0]; }
  TColor FillDays() const { return FColors[1]; }
  TColor DaysOfWeek() const { return FColors[2]; }
  TColor Lines() const { return FColors[3]; }
  TColor SelectedDateBack() const { return FColors[4]; }
  TColor SelectedDateFore() const { return FColors[5]; }
  TColor TodaysDateFrame() const { return FColors[6]; }

private:
  TControl* FOwner;
  TColor FColors[Count];
};

enum class TQvCalendarArea {
  caYear, caMonth, caLeftArrow, caRightArrow, caWeekNumbers, caDays, caDaysOfWeek, caFillDays,
  caTodayButton, caClearButton
};
using enum TQvCalendarArea;
enum class TQvCalendarElement {
  ceYear, ceMonth, ceArrows, ceWeekNumbers, ceDaysOfWeek, ceFillDays, ceTodayButton, ceClearButton
};
using enum TQvCalendarElement;
using TQvCalendarElements = TSet<TQvCalendarElement>;
DTU_DECLARE_ENUM(TQvCalendarElement)
enum class TQvFirstDayOfWeek {
  fdowMonday, fdowTuesday, fdowWednesday, fdowThursday, fdowFriday, fdowSaturday, fdowSunday, fdowLocale
};
using enum TQvFirstDayOfWeek;
DTU_DECLARE_ENUM(TQvFirstDayOfWeek)

// All elements but the week numbers.
TQvCalendarElements DefaultCalendarElements();
// A bit (d - 1) for each day d in 1..31; other numbers are ignored.
int DaysToBitmask(std::initializer_list<int> Days);

using TQvGetBoldDaysEvent = std::function<void(TObject*, Word Year, Word Month, int& Bitmask)>;
using TQvGetDayFormatEvent = std::function<void(TObject*, TDateTime DayDate, Word Year, Word Month, Word Day,
                                                TColor& DayColor, TColor& DayFontColor, TFontStyles& DayFontStyle)>;
using TQvGetWeekNumberEvent = std::function<void(TObject*, TDateTime WeekDate, int& WeekNumber)>;
using TQvViewDateChangeEvent = std::function<void(TObject*, TDateTime ViewDate)>;
using TQvCalendarTodayEvent = std::function<void(TObject*, bool& AllowChange)>;
using TQvCalendarClearEvent = std::function<void(TObject*, bool& AllowClear)>;

// The year field the calendar shows over its caption: Enter or Esc hides it (the
// key swallowed), Tab is swallowed, and losing the focus hides it.
class TQvYearSpinner : public TQvSpinner {
  DTU_CLASS(TQvYearSpinner, TQvSpinner)
public:
  explicit TQvYearSpinner(TComponent* AOwner);
  TNotifyEvent OnHide;
  void Dispatch(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
};

class TQvCalendar : public TQvCustomPanel {
  DTU_CLASS(TQvCalendar, TQvCustomPanel)
public:
  explicit TQvCalendar(TComponent* AOwner);
  ~TQvCalendar() override;

  TDateTime Date() const { return FDate; }
  virtual void SetDate(TDateTime Value);
  // The property setter: a date beyond the range raises EQvCalendarError.
  virtual void SetDateProperty(TDateTime Value);
  TDateTime MinDate() const { return FMinDate; }
  virtual void SetMinDate(TDateTime Value);
  TDateTime MaxDate() const { return FMaxDate; }
  virtual void SetMaxDate(TDateTime Value);
  // 1 above MaxDate, -1 below MinDate, else 0.
  int DateInRange(TDateTime Value) const;
  TDateTime ViewDate() const { return FViewDate; }
  virtual void SetViewDate(TDateTime Value);
  TDateTime FirstShownDate() const { return FFirstShownDate; }
  TQvFirstDayOfWeek FirstDayOfWeek() const { return FFirstDayOfWeek; }
  virtual void SetFirstDayOfWeek(TQvFirstDayOfWeek Value);
  int FirstDayIndex() const { return FFirstDayIndex; }  // 0 Monday .. 6 Sunday
  TQvCalendarElements Elements() const { return FElements; }
  virtual void SetElements(TQvCalendarElements Value);
  bool ShowDays() const { return FShowDays; }
  virtual void SetShowDays(bool Value);
  TColor ButtonColor() const { return FButtonColor; }
  virtual void SetButtonColor(TColor Value);
  TColor ButtonFontColor() const { return FButtonFontColor; }
  virtual void SetButtonFontColor(TColor Value);
  std::string CaptionClearBtn() const { return FCaptionClearBtn; }
  virtual void SetCaptionClearBtn(const std::string& Value);
  std::string CaptionTodayBtn() const { return FCaptionTodayBtn; }
  virtual void SetCaptionTodayBtn(const std::string& Value);
  TQvCalendarColors* CalendarColors() const { return FCalendarColors.get(); }
  virtual void SetCalendarColors(TQvCalendarColors* Value);
  bool ThemeAware() const { return FThemeAware; }
  virtual void SetThemeAware(bool Value);

  void Today();
  void Clear();
  bool IsClear() const { return FDate == 0; }
  // The date in the day cell under a client point, or 0.
  TDateTime HitTest(int X, int Y);
  TQvCalendarArea AreaAt(int X, int Y);
  TRect AreaRect(TQvCalendarArea Area);
  TRect CellRect(int Row, int Col);  // row 0..5, column 0..6 of the day grid
  int CharWidth() const { return FCharWidth; }
  int TextHeight() const { return FTextHeight; }
  bool ArrowRepeating() const { return FRepeatTimer->Enabled(); }
  TPopupMenu* MonthMenu() const { return FMonthMenu; }
  TQvYearSpinner* YearSpinner() const { return FYearSpinner; }
  bool YearSpinnerShown() const { return FYearSpinnerShown; }
  void ShowYearSpinner();
  void HideYearSpinner();
  // The caption strip's text: the view month's long name, and its year with ceYear.
  std::string CaptionText() const;
  // The caption shown on the Today and Clear buttons.
  std::string TodayCaption() const;
  std::string ClearCaption() const;

  void Dispatch(TMessage& Message) override;
  void DefineProperties(TFiler* Filer) override;

  TNotifyEvent OnChange;
  TQvGetBoldDaysEvent OnGetBoldDays;
  TQvGetDayFormatEvent OnGetDayFormat;
  TQvGetWeekNumberEvent OnGetWeekNumber;
  TQvViewDateChangeEvent OnViewDateChange;
  TQvCalendarTodayEvent OnToday;
  TQvCalendarClearEvent OnClear;

protected:
  virtual void Changed();
  virtual void ViewDateChange();
  virtual bool CanClear();
  virtual bool CanGoToToday();
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  void CreateWnd() override;
  void Loaded() override;
  bool StoringRead() const;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Click() override;
  void DblClick() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

private:
  void SetRange(TDateTime Min, TDateTime Max);
  void AdjustForFont();
  void CalcAreas();
  void StepArrow();
  void RepeatTick(TObject*);
  void TodayTick(TObject*);
  void UpdateHighlight(int X, int Y);
  void DrawButton(TCanvas* C, const TRect& R, const std::string& Caption, TQvCalendarArea Area);
  void PaintCaption(TCanvas* C, const TRect& Client, bool Themed);
  void PaintArrows(TCanvas* C);
  void PaintButtons(TCanvas* C, const TRect& Client, bool Themed);
  void PaintDaysOfWeek(TCanvas* C);
  void PaintDays(TCanvas* C);
  void PaintDay(TCanvas* C, int Row, int Column, const int (&BoldMasks)[3]);
  void PaintWeekNumbers(TCanvas* C);
  void ForcedSetDate(TDateTime Value);
  void MonthMenuClick(TObject* Sender);
  void YearIncrement(int Amount);
  void YearDecrement(int Amount);

  TQvFirstDayOfWeek FFirstDayOfWeek = fdowLocale;
  int FFirstDayIndex = 0;
  TQvCalendarElements FElements;
  TQvCalendarArea FPressedArea = caFillDays;
  TQvCalendarArea FOverArea = caFillDays;
  bool FShowDays = true;
  int FCharWidth = 6, FTextHeight = 13, FCellWidth = 0, FRowHeight = 0;
  TDateTime FDate = 0, FMinDate = 0, FMaxDate = 0;
  TDateTime FToday = 0, FViewDate = 0, FFirstShownDate = 0;
  bool FForced = false, FClickSuppressed = false;
  TColor FButtonColor = clBtnFace, FButtonFontColor = clWindowText;
  std::string FCaptionClearBtn, FCaptionTodayBtn;
  int FTodayWidth = 0, FClearWidth = 0;
  std::unique_ptr<TQvCalendarColors> FCalendarColors;
  bool FThemeAware = true;
  TPopupMenu* FMonthMenu = nullptr;
  TQvYearSpinner* FYearSpinner = nullptr;
  bool FYearSpinnerShown = false;
  TTimer* FTodayTimer = nullptr;
  TTimer* FRepeatTimer = nullptr;
  int FRepeatCount = -1;
  TRect FAreas[10];
  TRect& Area(TQvCalendarArea A) { return FAreas[static_cast<int>(A)]; }
  TRect FDayBlock;  // the grid of days, below the header row
};
