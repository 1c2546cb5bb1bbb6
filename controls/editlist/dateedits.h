#pragma once
// Two framed edits whose drop button opens a picker in a popup panel.
//
// TQvColorEdit shows a colour swatch instead of text and drops down a colour
// picker; a click anywhere on it presses the drop button.
//
// TQvDateTimeEdit edits a date (etDate) or a time of day (etTime) as text in a
// display format, steps it with keys (Up/Down, Page Up/Down, '+' and '-'), drops
// down a calendar or a time picker, parses what the user types leniently and keeps
// an optional MinDate..MaxDate range. Unparsable text never raises: a date goes
// through OnInvalidDate.
#include <functional>
#include <string>

#include "controls/common/customcolors.h"
#include "controls/editlist/calendar.h"
#include "controls/editlist/edits.h"
#include "controls/editlist/timepicker.h"
#include "platform/stdctrls/dialogs.h"

class TQvPopupPanel;

class TQvColorEdit : public TQvCustomEdit {
  DTU_CLASS(TQvColorEdit, TQvCustomEdit)
public:
  explicit TQvColorEdit(TComponent* AOwner);

  TColor CustomColor() const { return FCustomColor; }
  void SetCustomColor(TColor Value) { FCustomColor = Value; }
  TColor DefaultColor() const { return FDefaultColor; }
  void SetDefaultColor(TColor Value) { FDefaultColor = Value; }
  TColorDialogOptions ColorDlgOptions() const { return FColorDlgOptions; }
  void SetColorDlgOptions(TColorDialogOptions Value) { FColorDlgOptions = Value; }
  TQvCustomColors* CustomColors() const { return FCustomColors; }
  virtual void SetCustomColors(TQvCustomColors* Value);
  std::string CustomColorCaption() const { return FCustomColorCaption; }
  void SetCustomColorCaption(const std::string& Value) { FCustomColorCaption = Value; }
  std::string NoColorCaption() const { return FNoColorCaption; }
  void SetNoColorCaption(const std::string& Value) { FNoColorCaption = Value; }
  std::string DefaultColorCaption() const { return FDefaultColorCaption; }
  void SetDefaultColorCaption(const std::string& Value) { FDefaultColorCaption = Value; }
  bool ShowCustomColor() const { return FShowCustomColor; }
  void SetShowCustomColor(bool Value) { FShowCustomColor = Value; }
  bool ShowNoColor() const { return FShowNoColor; }
  void SetShowNoColor(bool Value) { FShowNoColor = Value; }
  bool ShowDefaultColor() const { return FShowDefaultColor; }
  void SetShowDefaultColor(bool Value) { FShowDefaultColor = Value; }
  bool ShowSystemColors() const { return FShowSystemColors; }
  void SetShowSystemColors(bool Value) { FShowSystemColors = Value; }
  TColor SelectedColor() const { return FSelectedColor; }
  virtual void SetSelectedColor(TColor Value);
  bool ShowColorHints() const { return FShowColorHints; }
  void SetShowColorHints(bool Value) { FShowColorHints = Value; }

  // The picker while the drop-down is open (tests drive it), else nullptr.
  TControl* DroppedPicker() const { return FPicker; }

  // The drop button; a read-only colour edit hides it (see HideButton).
  void SetDropButtonVisible(bool Value) override;

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void Loaded() override;

protected:
  virtual void DisplayColorPicker();
  void DropDown() override;
  // ReadOnly hides the drop button and takes it back. While a form is read that
  // waits for Loaded, so a DropButtonVisible line keeps its value in any order.
  void HideButton() override {
    if (!Reading()) SetDropButtonVisible(false);
  }
  void ShowButton() override {
    if (!Reading()) SetDropButtonVisible(true);
  }
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void PaintSwatch(HDC DC);

  TColor FCustomColor = 0xFFFFFF;
  TColor FDefaultColor = clHighlight;
  TColorDialogOptions FColorDlgOptions{TColorDialogOption::cdFullOpen};
  TQvCustomColors* FCustomColors = nullptr;
  std::string FCustomColorCaption, FNoColorCaption, FDefaultColorCaption;
  bool FShowCustomColor = false, FShowNoColor = false, FShowDefaultColor = false, FShowSystemColors = false;
  TColor FSelectedColor = clNone;
  bool FShowColorHints = true;
  bool FDropButtonVisibleRead = false;  // the stream being read has set it (until Loaded)
  TControl* FPicker = nullptr;
};

enum class TQvDTEditType { etDate, etTime };
using enum TQvDTEditType;
DTU_DECLARE_ENUM(TQvDTEditType)

using TQvDateTimeChangeEvent = std::function<void(TObject*, TDateTime DateTime)>;
using TQvInvalidDateEvent =
    std::function<void(TObject*, bool& KeepFocused, bool& KeepInvalidText, TDateTime& NewDate)>;

class TQvDateTimeEdit : public TQvCustomEdit {
  DTU_CLASS(TQvDateTimeEdit, TQvCustomEdit)
public:
  explicit TQvDateTimeEdit(TComponent* AOwner);
  ~TQvDateTimeEdit() override;

  TQvDTEditType EditType() const { return FEditType; }
  virtual void SetEditType(TQvDTEditType Value);
  virtual TDateTime GetDate() const;
  virtual void SetDate(TDateTime Value);
  virtual bool IsDate() const { return FEditType == etDate; }
  virtual TDateTime GetTime() const;
  virtual void SetTime(TDateTime Value);
  virtual bool IsTime() const { return FEditType == etTime; }
  TDateTime Value() const { return FValue; }
  TDateTime MinDate() const { return FMinDate; }
  virtual void SetMinDate(TDateTime Value);
  TDateTime MaxDate() const { return FMaxDate; }
  virtual void SetMaxDate(TDateTime Value);
  std::string Format() const { return FFormat; }
  virtual void SetFormat(const std::string& Value);
  TQvCalendarElements CalendarElements() const { return FCalendarElements; }
  void SetCalendarElements(TQvCalendarElements Value) { FCalendarElements = Value; }
  TQvCalendarColors* CalendarColors() const { return FCalendarColors.get(); }
  virtual void SetCalendarColors(TQvCalendarColors* Value) { FCalendarColors->Assign(Value); }
  TQvClockFaceColors* ClockFaceColors() const { return FClockFaceColors.get(); }
  virtual void SetClockFaceColors(TQvClockFaceColors* Value) { FClockFaceColors->Assign(Value); }
  std::string CaptionClearBtn() const { return FCaptionClearBtn; }
  void SetCaptionClearBtn(const std::string& V) { FCaptionClearBtn = V; }
  std::string CaptionTodayBtn() const { return FCaptionTodayBtn; }
  void SetCaptionTodayBtn(const std::string& V) { FCaptionTodayBtn = V; }
  TQvFirstDayOfWeek FirstDayOfWeek() const { return FFirstDayOfWeek; }
  void SetFirstDayOfWeek(TQvFirstDayOfWeek V) { FFirstDayOfWeek = V; }
  std::string CaptionAM() const { return FCaptionAM; }
  void SetCaptionAM(const std::string& V) { FCaptionAM = V; }
  std::string CaptionPM() const { return FCaptionPM; }
  void SetCaptionPM(const std::string& V) { FCaptionPM = V; }
  std::string CaptionSet() const { return FCaptionSet; }
  void SetCaptionSet(const std::string& V) { FCaptionSet = V; }
  bool RestrictMinutes() const { return FRestrictMinutes; }
  void SetRestrictMinutes(bool V) { FRestrictMinutes = V; }
  bool ShowHowToUseHint() const { return FShowHowToUseHint; }
  void SetShowHowToUseHint(bool V) { FShowHowToUseHint = V; }
  std::string HowToUseMsg() const { return FHowToUseMsg; }
  void SetHowToUseMsg(const std::string& V) { FHowToUseMsg = V; }
  TColor PopupButtonColor() const { return FPopupButtonColor; }
  void SetPopupButtonColor(TColor V) { FPopupButtonColor = V; }
  TColor PopupButtonFontColor() const { return FPopupButtonFontColor; }
  void SetPopupButtonFontColor(TColor V) { FPopupButtonFontColor = V; }

  void Clear();
  // Whether the value holds more than the part the edit type shows: a date edit's
  // value with a time of day, a time edit's value with a date.
  bool HoldsOtherPart() const;
  void DefineProperties(TFiler* Filer) override;
  // The calendar or time picker while the drop-down is open (tests drive it).
  TControl* DroppedContent() const { return FContent; }

  void Dispatch(TMessage& Message) override;

  TQvGetBoldDaysEvent OnGetBoldDays;
  TQvGetDayFormatEvent OnGetDayFormat;
  TQvGetWeekNumberEvent OnGetWeekNumber;
  TQvViewDateChangeEvent OnViewDateChange;
  TQvDateTimeChangeEvent OnDateTimeChange;
  TQvInvalidDateEvent OnInvalidDate;

protected:
  virtual void DisplayCalendar();
  virtual void DisplayTimePicker();
  void Change() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DropDown() override;
  virtual void DateTimeChange();
  void DoEnter() override;
  void DoExit() override;
  virtual void InvalidDate(bool& KeepFocused, bool& KeepInvalidText, TDateTime& NewDate);

private:
  std::string DisplayFormat() const;
  void UpdateText();
  void ChangeCheck();
  void SetDateTime();
  void ReformatDateTime();
  void SetRange(TDateTime Min, TDateTime Max);
  void StepDays(int Days);
  void StepMonths(int Months);
  void StepMinutes(int Minutes);
  void SetupPopup(TQvPopupPanel* Panel, TQvCustomPanel* Content);

  TQvDTEditType FEditType = etDate;
  TDateTime FPrevious = 0, FValue = 0, FMinDate = 0, FMaxDate = 0;
  std::string FFormat;
  bool FUpdatingText = false;
  bool FTimeSet = false, FInSetTime = false, FApplyingPicker = false;
  bool FDateSet = false, FInSetDate = false, FApplyingCalendar = false;
  bool FInPopupOrExit = false;
  TQvCalendarElements FCalendarElements;
  std::unique_ptr<TQvCalendarColors> FCalendarColors;
  std::string FCaptionClearBtn, FCaptionTodayBtn;
  TQvFirstDayOfWeek FFirstDayOfWeek = fdowLocale;
  std::unique_ptr<TQvClockFaceColors> FClockFaceColors;
  std::string FCaptionAM, FCaptionPM, FCaptionSet;
  bool FRestrictMinutes = false, FShowHowToUseHint = true;
  std::string FHowToUseMsg;
  TColor FPopupButtonColor = clBtnFace, FPopupButtonFontColor = clWindowText;
  TControl* FContent = nullptr;
};
