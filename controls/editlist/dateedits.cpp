#include "controls/editlist/dateedits.h"

#include <cmath>

#include "controls/basic/colorpicker.h"
#include "controls/editlist/datetext.h"
#include "controls/editlist/popuppanel.h"
#include "platform/controls/forms.h"
#include "platform/controls/winmsg.h"
#include "platform/core/scope.h"
#include "platform/graphics/gdi.h"

DTU_DEFINE_ENUM(TQvDTEditType, "etDate", "etTime")

namespace {

TDateTime Frac(TDateTime V) { return V - std::trunc(V); }

[[noreturn]] void RaiseRange(bool Above, TDateTime Bound) {
  throw EQvCalendarError(::Format(Above ? "Date exceeds maximum of %s" : "Date is less than minimum of %s",
                                  {DateToStr(Bound)}));
}

// The flat border rule of the drop-downs: a flat frame on the edit gives the
// content a flat outer border in the edit's frame colour.
bool LooksFlat(TQvCustomEdit* E) {
  return (E->FrameVisible() && !E->UseThemes() && E->FrameStyle() == fsFlat) || E->FrameStyle() == fsFlatBold;
}

// The drop button's press holds the mouse capture; the popup's content must get
// the pointer while it is open.
void ReleasePointer(TWinControl* C) {
  if (C->HandleAllocated() && GetCapture() == C->Handle()) ReleaseCapture();
}

}  // namespace

// ---------------------------------------------------------------------------
// TQvColorEdit

TQvColorEdit::TQvColorEdit(TComponent* AOwner) : TQvCustomEdit(AOwner) {
  TControlStyle st = ControlStyle();
  st >> csDoubleClicks;
  st << csOwnClientPaint;  // the swatch covers the native edit's client
  SetControlStyle(st);
  SetDropButtonVisible(true);
  SetParentColor(false);
}

void TQvColorEdit::SetCustomColors(TQvCustomColors* Value) {
  if (Value == FCustomColors) return;
  if (FCustomColors) FCustomColors->RemoveFreeNotification(this);
  FCustomColors = Value;
  if (FCustomColors) FCustomColors->FreeNotification(this);
}

void TQvColorEdit::SetDropButtonVisible(bool Value) {
  if (Reading()) FDropButtonVisibleRead = true;
  inherited::SetDropButtonVisible(Value);
}

// A form that makes the edit read-only and has no DropButtonVisible line hides the
// button, as forms written before that line was kept beside ReadOnly expect.
void TQvColorEdit::Loaded() {
  if (ReadOnlyValue() && !FDropButtonVisibleRead) SetDropButtonVisible(false);
  FDropButtonVisibleRead = false;
  inherited::Loaded();
}

void TQvColorEdit::SetSelectedColor(TColor Value) {
  if (Value == FSelectedColor) return;
  FSelectedColor = Value;
  Invalidate();
}

void TQvColorEdit::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FCustomColors) FCustomColors = nullptr;
}

void TQvColorEdit::DropDown() {
  inherited::DropDown();
  if (!ReadOnly()) DisplayColorPicker();
}

void TQvColorEdit::DisplayColorPicker() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  auto* panel = new TQvPopupPanel(this);
  TOnExit done([&] {
    FPicker = nullptr;
    delete panel;
  });
  panel->SetParent(form);
  panel->Font()->SetName(Font()->Name());
  auto* picker = new TQvColorPicker(panel);
  picker->SetParent(panel);
  picker->SetNoColorCaption(FNoColorCaption);
  picker->SetShowNoColor(FShowNoColor);
  picker->SetCustomColorCaption(FCustomColorCaption);
  picker->SetDefaultColorCaption(FDefaultColorCaption);
  picker->SetShowCustomColor(FShowCustomColor);
  picker->SetShowDefaultColor(FShowDefaultColor);
  picker->SetShowSystemColors(FShowSystemColors);
  picker->SetShowColorHints(FShowColorHints);
  picker->SetCustomColor(FCustomColor);
  picker->SetDefaultColor(FDefaultColor);
  picker->SetSelectedColor(FSelectedColor);
  picker->SetCustomColors(FCustomColors);
  picker->SetColorDlgOptions(FColorDlgOptions);
  if (LooksFlat(this)) {
    picker->SetBorderOuter(fsFlat);
    picker->SetFlatColor(FrameColor());
  }
  picker->OnClick = panel->CloseEvent();
  FPicker = picker;
  ReleasePointer(this);
  if (panel->Popup(this)) {
    SetSelectedColor(picker->SelectedColor());
    FCustomColor = picker->CustomColor();
    SetCustomColors(picker->CustomColors());
    Change();
  }
}

void TQvColorEdit::PaintSwatch(HDC DC) {
  TCanvas c;
  c.SetHandle(DC);
  TRect r = ClientRect();
  InflateRect(r, -2, -2);
  TRect swatch = r;
  const bool active = Focused() || FDroppingDown;
  if (FSelectedColor != clNone) {
    DrawEdge(DC, &swatch, BDR_RAISEDOUTER, BF_RECT | BF_ADJUST | BF_FLAT);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(FSelectedColor);
    c.FillRect(swatch);
  } else {
    c.Brush()->SetColor(Color());
    c.FillRect(swatch);
    TColor hatch = active ? clBtnShadow : clBtnFace;
    c.Pen()->SetColor(hatch);
    c.Brush()->SetColor(hatch);
    c.Brush()->SetStyle(bsBDiagonal);
    // The hatch starts at the client area's corner wherever the edit is painted: on
    // the screen, or into another picture through PaintTo (an offset origin).
    TPoint view, window, oldOrg;
    GetViewportOrgEx(DC, &view);
    GetWindowOrgEx(DC, &window);
    SetBrushOrgEx(DC, view.X - window.X, view.Y - window.Y, &oldOrg);
    c.Rectangle(swatch);
    SetBrushOrgEx(DC, oldOrg.X, oldOrg.Y, nullptr);
    c.Brush()->SetStyle(bsSolid);
  }
  if (active) {
    c.Brush()->SetColor(Color());
    c.Font()->SetColor(clWindowText);
    c.DrawFocusRect(r);
  }
  c.SetHandle(nullptr);
}

void TQvColorEdit::WndProc(TMessage& M) {
  bool keyboard = M.Msg >= WM_KEYFIRST && M.Msg <= WM_KEYLAST;
  if (keyboard || M.Msg == WM_RBUTTONDOWN) {
    bool altDown = M.Msg == WM_SYSKEYDOWN && M.WParam == VK_DOWN && GetKeyState(VK_CONTROL) >= 0 &&
                   GetKeyState(VK_SHIFT) >= 0;
    bool f4 = keyboard && M.WParam == VK_F4;
    if (!altDown && !f4) return;
  }
  inherited::WndProc(M);
  if (M.Msg == WM_LBUTTONDOWN && !ComponentState().Contains(csDesigning) && HandleAllocated()) {
    HideCaret(Handle());
    ReleaseCapture();
  }
}

void TQvColorEdit::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_PAINT: {
      HDC dc = reinterpret_cast<HDC>(M.WParam);
      if (dc) {
        PaintSwatch(dc);
      } else {
        PAINTSTRUCT ps;
        dc = BeginPaint(Handle(), &ps);
        PaintSwatch(dc);
        EndPaint(Handle(), &ps);
      }
      M.Result = 0;
      return;
    }
    case WM_NCHITTEST:
      inherited::Dispatch(M);
      FMouseOverButton = true;  // a click anywhere presses the drop button
      return;
    case WM_SETFOCUS:
      inherited::Dispatch(M);
      if (HandleAllocated() && !IsCaretHidden(Handle())) HideCaret(Handle());
      Invalidate();
      return;
    case WM_KILLFOCUS:
      inherited::Dispatch(M);
      if (HandleAllocated())
        while (IsCaretHidden(Handle())) ShowCaret(Handle());
      if (!FDroppingDown) Invalidate();
      return;
    default: break;
  }
  inherited::Dispatch(M);
}

const TClassInfo& TQvColorEdit::StaticClass() {
  using C = TQvColorEdit;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvColorEdit", &inherited::StaticClass());
    PublishFramedEdit(b.Component(), {.FlatButtons = true, .FlatButtonColor = true},
                      {.TextEntry = false, .MaxLength = false})
        .Enum<TBorderStyle>("BorderStyle", &C::BorderStyle, &C::SetBorderStyle, bsSingle)
        .Int("CustomColor", &C::CustomColor, &C::SetCustomColor, 0xFFFFFF, {}, &ColorIdents())
        .Int("DefaultColor", &C::DefaultColor, &C::SetDefaultColor, clHighlight, {}, &ColorIdents())
        .Set<TColorDialogOption>("ColorDlgOptions", &C::ColorDlgOptions, &C::SetColorDlgOptions,
                                 TColorDialogOptions{TColorDialogOption::cdFullOpen})
        .Object<TQvCustomColors>("CustomColors", &C::CustomColors, &C::SetCustomColors)
        .Str("CustomColorCaption", &C::CustomColorCaption, &C::SetCustomColorCaption)
        .Str("NoColorCaption", &C::NoColorCaption, &C::SetNoColorCaption)
        .Str("DefaultColorCaption", &C::DefaultColorCaption, &C::SetDefaultColorCaption)
        .Bool("ShowCustomColor", &C::ShowCustomColor, &C::SetShowCustomColor, false)
        .Bool("ShowNoColor", &C::ShowNoColor, &C::SetShowNoColor, false)
        .Bool("ShowDefaultColor", &C::ShowDefaultColor, &C::SetShowDefaultColor, false)
        .Bool("ShowSystemColors", &C::ShowSystemColors, &C::SetShowSystemColors, false)
        .Int("SelectedColor", &C::SelectedColor, &C::SetSelectedColor, clNone, {}, &ColorIdents())
        .Bool("ShowColorHints", &C::ShowColorHints, &C::SetShowColorHints, true)
        .Bool("DropButtonVisible", &C::DropButtonVisible, &C::SetDropButtonVisible, true)
        // A read-only edit read hides its drop button unless the stream says otherwise.
        .Implied([](C* c) { return c->ReadOnly() ? std::optional<int64_t>(0) : std::nullopt; })
        .Event("OnDropDown", static_cast<TNotifyEvent C::*>(&TQvCustomEdit::OnDropDown))
        .Event("OnCloseUp", static_cast<TNotifyEvent C::*>(&TQvCustomEdit::OnCloseUp));
    return b.Build();
  }();
  return info;
}

// ---------------------------------------------------------------------------
// TQvDateTimeEdit

TQvDateTimeEdit::TQvDateTimeEdit(TComponent* AOwner)
    : TQvCustomEdit(AOwner),
      FCalendarElements(DefaultCalendarElements()),
      FCalendarColors(std::make_unique<TQvCalendarColors>()),
      FClockFaceColors(std::make_unique<TQvClockFaceColors>()) {
  SetDropButtonVisible(true);
}

TQvDateTimeEdit::~TQvDateTimeEdit() = default;

std::string TQvDateTimeEdit::DisplayFormat() const {
  if (!FFormat.empty()) return FFormat;
  return FEditType == etDate ? "ddddd" : "t";
}

TDateTime TQvDateTimeEdit::GetDate() const { return std::trunc(FValue); }
TDateTime TQvDateTimeEdit::GetTime() const { return Frac(FValue); }

void TQvDateTimeEdit::UpdateText() {
  const std::string fmt = DisplayFormat();
  {
    TRestore updating(FUpdatingText, true);
    if (FEditType == etDate) {
      if (!FInSetDate && FValue == 0 &&
          (!FDateSet || (Text().empty() && !FApplyingCalendar)))
        SetText("");
      else
        SetText(FormatDateTime(fmt, FValue));
    } else {
      if (!FInSetTime && FValue == 0 &&
          (!FTimeSet || (Text().empty() && !FApplyingPicker)))
        SetText("");
      else
        SetText(FormatDateTime(fmt, FValue));
    }
  }
  SetModified(false);
}

void TQvDateTimeEdit::ChangeCheck() {
  bool changed = FEditType == etTime ? Frac(FValue) != Frac(FPrevious) : std::trunc(FValue) != std::trunc(FPrevious);
  if (changed) {
    DateTimeChange();
    FPrevious = FValue;
  }
}

void TQvDateTimeEdit::DateTimeChange() {
  if (OnDateTimeChange) OnDateTimeChange(this, FValue);
}

void TQvDateTimeEdit::InvalidDate(bool& KeepFocused, bool& KeepInvalidText, TDateTime& NewDate) {
  if (OnInvalidDate) OnInvalidDate(this, KeepFocused, KeepInvalidText, NewDate);
}

void TQvDateTimeEdit::SetDate(TDateTime Value) {
  TRestore setting(FInSetDate, true);
  if (FMaxDate != 0 && std::trunc(Value) > FMaxDate) RaiseRange(true, FMaxDate);
  if (FMinDate != 0 && std::trunc(Value) < FMinDate) RaiseRange(false, FMinDate);
  FValue = Value;
  FDateSet = true;
  SetEditType(etDate);
  ChangeCheck();
  UpdateText();
}

void TQvDateTimeEdit::SetTime(TDateTime Value) {
  TRestore setting(FInSetTime, true);
  FValue = Value;
  FTimeSet = true;
  SetEditType(etTime);
  ChangeCheck();
  UpdateText();
}

bool TQvDateTimeEdit::HoldsOtherPart() const {
  return FEditType == etDate ? FValue != std::trunc(FValue) : FValue != Frac(FValue);
}

// Date and Time read back as the whole value (their setters keep it), so a value with
// both parts is written whole under the name of the part the edit shows: a date with
// its time of day, a time with its date.
void TQvDateTimeEdit::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  bool whole = HoldsOtherPart();
  auto write = [this](TWriter* W) { W->WriteFloat(FValue); };
  Filer->DefineProperty("Date", nullptr, write, whole && IsDate());
  Filer->DefineProperty("Time", nullptr, write, whole && IsTime());
}

void TQvDateTimeEdit::SetRange(TDateTime Min, TDateTime Max) {
  if (FEditType != etDate || !FDateSet || FValue == 0) return;
  // The new bound is stored by the caller afterwards.
  TRestore keepMin(FMinDate, 0.0);
  TRestore keepMax(FMaxDate, 0.0);
  if (Min != 0 && std::trunc(FValue) < Min) SetDate(Min);
  else if (Max != 0 && std::trunc(FValue) > Max) SetDate(Max);
}

void TQvDateTimeEdit::SetMinDate(TDateTime Value) {
  Value = std::trunc(Value);
  if (Value != 0 && FMaxDate != 0 && Value > FMaxDate) RaiseRange(true, FMaxDate);
  if (Value == FMinDate) return;
  SetRange(Value, FMaxDate);
  FMinDate = Value;
}

void TQvDateTimeEdit::SetMaxDate(TDateTime Value) {
  Value = std::trunc(Value);
  if (Value != 0 && FMinDate != 0 && Value < FMinDate) RaiseRange(false, FMinDate);
  if (Value == FMaxDate) return;
  SetRange(FMinDate, Value);
  FMaxDate = Value;
}

void TQvDateTimeEdit::SetEditType(TQvDTEditType Value) {
  if (Value == FEditType) return;
  FEditType = Value;
  ReformatDateTime();
}

void TQvDateTimeEdit::SetFormat(const std::string& Value) {
  if (Value == FFormat) return;
  SetDateTime();
  FFormat = Value;
  UpdateText();
}

void TQvDateTimeEdit::Clear() {
  {
    TRestore updating(FUpdatingText, true);
    inherited::Clear();
  }
  FValue = 0;
  ChangeCheck();
  FDateSet = FTimeSet = false;
  UpdateText();
}

void TQvDateTimeEdit::SetDateTime() {
  if (!Modified()) return;
  SetModified(false);
  try {
    if (FEditType == etDate) {
      TDateTime d = 0;
      StrToDateEx(Text(), d);
      FValue = d;
      FDateSet = true;
    } else {
      FValue = StrToTimeEx(Text());
      FTimeSet = true;
    }
    ChangeCheck();
  } catch (...) {
    // Typed text never raises out of the edit.
  }
}

void TQvDateTimeEdit::ReformatDateTime() {
  SetDateTime();
  if (FEditType == etDate) {
    bool keepFocused = false, keepInvalidText = false;
    TDateTime d = 0;
    if (!StrToDateEx(Text(), d)) {
      TDateTime newDate = 0;
      InvalidDate(keepFocused, keepInvalidText, newDate);
      FValue = newDate;
      if ((keepFocused || keepInvalidText) && CanFocus()) SetFocus();
      if (!keepInvalidText && FValue == 0) {
        FUpdatingText = true;
        SetText("");
        FUpdatingText = false;
      }
      FDateSet = false;
    }
    if (FValue != 0) {
      if (FMaxDate != 0 && std::trunc(FValue) > FMaxDate) RaiseRange(true, FMaxDate);
      if (FMinDate != 0 && std::trunc(FValue) < FMinDate) RaiseRange(false, FMinDate);
    }
    if (!keepFocused && !keepInvalidText) UpdateText();
  } else {
    UpdateText();
  }
}

void TQvDateTimeEdit::Change() {
  if (!FUpdatingText) {
    SetDateTime();
    DateTimeChange();
  }
  inherited::Change();
}

void TQvDateTimeEdit::DoEnter() {
  inherited::DoEnter();
  if (!FInPopupOrExit) UpdateText();
}

void TQvDateTimeEdit::DoExit() {
  inherited::DoExit();
  if (FInPopupOrExit || ComponentState().Contains(csDestroying)) return;
  FInPopupOrExit = true;
  try {
    ReformatDateTime();
  } catch (...) {
    Application->MessageBox("Date is beyond valid date range", Application->Title(), MB_OK | MB_ICONERROR);
    if (CanFocus()) SetFocus();
  }
  FInPopupOrExit = false;
}

void TQvDateTimeEdit::StepDays(int Days) {
  if (FValue == 0) FValue = ::Date();
  FValue += Days;
  FDateSet = true;
  ChangeCheck();
  UpdateText();
}

void TQvDateTimeEdit::StepMonths(int Months) {
  if (FValue == 0) FValue = ::Date();
  FValue = IncMonth(FValue, Months);
  FDateSet = true;
  ChangeCheck();
  UpdateText();
}

void TQvDateTimeEdit::StepMinutes(int Minutes) {
  if (FValue == 0) FValue = Frac(::Now());
  FValue += static_cast<double>(Minutes) / MinsPerDay;
  if (FValue < 0) FValue += 1;
  FTimeSet = true;
  ChangeCheck();
  UpdateText();
}

void TQvDateTimeEdit::KeyDown(WORD& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (FEditType == etDate) {
    switch (Key) {
      case VK_PRIOR: StepMonths(Shift.Contains(ssShift) ? 12 : 1); break;
      case VK_NEXT: StepMonths(Shift.Contains(ssShift) ? -12 : -1); break;
      case VK_UP: StepDays(1); break;
      case VK_DOWN: StepDays(-1); break;
      default: break;
    }
  } else {
    switch (Key) {
      case VK_PRIOR: StepMinutes(60); break;
      case VK_NEXT: StepMinutes(-60); break;
      case VK_UP: StepMinutes(1); break;
      case VK_DOWN: StepMinutes(-1); break;
      default: break;
    }
  }
}

void TQvDateTimeEdit::KeyPress(char& Key) {
  const bool stepKey = Key == '+' || Key == '-' || Key == '=' || Key == '_';
  if (ReadOnly() && stepKey) {
    Key = 0;
    return;
  }
  if (FEditType == etTime) {
    char up = static_cast<char>(Key >= 'a' && Key <= 'z' ? Key - 32 : Key);
    if (up >= 'A' && up <= 'Z' && up != 'A' && up != 'M' && up != 'P') {
      InvalidKeyPressed();
      Key = 0;
      return;
    }
    if (Key != TimeSeparator && stepKey) {
      StepMinutes(Key == '+' || Key == '=' ? 60 : -60);
      Key = 0;
      return;
    }
  } else if (Key != DateSeparator && stepKey) {
    StepDays(Key == '+' || Key == '=' ? 1 : -1);
    Key = 0;
    return;
  }
  inherited::KeyPress(Key);
}

void TQvDateTimeEdit::DropDown() {
  if (ReadOnly()) return;
  inherited::DropDown();
  TRestore keepEnter(OnEnter, nullptr);
  TRestore keepExit(OnExit, nullptr);
  if (FEditType == etDate) DisplayCalendar();
  else DisplayTimePicker();
}

void TQvDateTimeEdit::SetupPopup(TQvPopupPanel* Panel, TQvCustomPanel* Content) {
  Panel->SetParent(GetParentForm(this));
  Panel->Font()->SetName(Font()->Name());
  Panel->Font()->SetColor(Font()->Color());
  Content->SetParent(Panel);
  Content->SetColor(Color());
  if (LooksFlat(this)) {
    Content->SetBorderOuter(fsFlat);
    Content->SetFlatColor(FrameColor());
  }
}

void TQvDateTimeEdit::DisplayCalendar() {
  if (!GetParentForm(this)) return;
  bool autoSelect = AutoSelect();
  SetAutoSelect(false);
  auto* panel = new TQvPopupPanel(this);
  bool cleared = false;
  TOnExit done([&] {
    FContent = nullptr;
    FInPopupOrExit = false;
    FApplyingCalendar = false;
    delete panel;
    SetAutoSelect(autoSelect);
  });
  auto* cal = new TQvCalendar(panel);
  SetupPopup(panel, cal);
  cal->SetThemeAware(UseThemes());
  cal->SetButtonColor(FPopupButtonColor);
  cal->SetButtonFontColor(FPopupButtonFontColor);
  cal->SetElements(FCalendarElements);
  cal->SetFirstDayOfWeek(FFirstDayOfWeek);
  cal->SetCaptionClearBtn(FCaptionClearBtn);
  cal->SetCaptionTodayBtn(FCaptionTodayBtn);
  cal->OnGetBoldDays = OnGetBoldDays;
  cal->OnGetDayFormat = OnGetDayFormat;
  cal->OnGetWeekNumber = OnGetWeekNumber;
  cal->OnViewDateChange = OnViewDateChange;
  cal->SetMinDate(FMinDate);
  cal->SetMaxDate(FMaxDate);
  cal->SetCalendarColors(FCalendarColors.get());
  if (GetDate() == 0) {
    SetDate(::Date());
    cal->SetDate(::Date());
  } else {
    TDateTime d = GetDate();
    if (FMinDate != 0 && d < FMinDate) d = FMinDate;
    if (FMaxDate != 0 && d > FMaxDate) d = FMaxDate;
    cal->SetDate(d);
  }
  cal->OnClear = [&cleared](TObject*, bool&) { cleared = true; };
  cal->OnClick = panel->CloseEvent();
  FContent = cal;
  FInPopupOrExit = true;
  ReleasePointer(this);
  if (panel->Popup(this)) {
    FInPopupOrExit = false;
    if (cleared) {
      Clear();
    } else {
      FApplyingCalendar = true;
      SetDate(cal->Date());
    }
  }
}

void TQvDateTimeEdit::DisplayTimePicker() {
  if (!GetParentForm(this)) return;
  bool autoSelect = AutoSelect();
  SetAutoSelect(false);
  auto* panel = new TQvPopupPanel(this);
  TOnExit done([&] {
    FContent = nullptr;
    FInPopupOrExit = false;
    FApplyingPicker = false;
    delete panel;
    SetAutoSelect(autoSelect);
  });
  auto* picker = new TQvTimePicker(panel);
  SetupPopup(panel, picker);
  picker->SetThemeAware(UseThemes());
  picker->SetButtonColor(FPopupButtonColor);
  picker->SetButtonFontColor(FPopupButtonFontColor);
  picker->SetCaptionAM(FCaptionAM);
  picker->SetCaptionPM(FCaptionPM);
  picker->SetCaptionSet(FCaptionSet);
  picker->SetTime(GetTime());
  picker->SetClockFaceColors(FClockFaceColors.get());
  picker->SetFormat(FFormat);
  picker->SetShowSetButton(true);
  picker->SetShowHowToUseHint(FShowHowToUseHint);
  picker->SetHowToUseMsg(FHowToUseMsg);
  picker->SetRestrictMinutes(FRestrictMinutes);
  picker->OnSetBtnClick = panel->CloseEvent();
  FContent = picker;
  FInPopupOrExit = true;
  ReleasePointer(this);
  if (panel->Popup(this)) {
    FInPopupOrExit = false;
    FApplyingPicker = true;
    SetTime(picker->Time());
  }
}

void TQvDateTimeEdit::Dispatch(TMessage& M) {
  if (M.Msg == WM_GETDLGCODE) {
    inherited::Dispatch(M);
    M.Result |= DLGC_WANTARROWS | DLGC_WANTCHARS;
    return;
  }
  inherited::Dispatch(M);
}

const TClassInfo& TQvDateTimeEdit::StaticClass() {
  using C = TQvDateTimeEdit;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvDateTimeEdit", &inherited::StaticClass());
    PublishFramedEdit(b.Component(), {.FlatButtons = true, .FlatButtonColor = true})
        .Bool("BeepOnInvalidKey", &C::BeepOnInvalidKey, &C::SetBeepOnInvalidKey, true)
        .Enum<TQvDTEditType>("EditType", &C::EditType, &C::SetEditType, etDate)
        // A value with both parts is written whole by DefineProperties instead.
        .Float("Date", &C::GetDate, &C::SetDate, [](C* x) { return x->IsDate() && !x->HoldsOtherPart(); })
        .Float("Time", &C::GetTime, &C::SetTime, [](C* x) { return x->IsTime() && !x->HoldsOtherPart(); })
        .Float("MinDate", &C::MinDate, &C::SetMinDate, [](C* x) { return x->MinDate() != 0; })
        .Float("MaxDate", &C::MaxDate, &C::SetMaxDate, [](C* x) { return x->MaxDate() != 0; })
        .Str("Format", &C::Format, &C::SetFormat)
        .Set<TQvCalendarElement>("CalendarElements", &C::CalendarElements, &C::SetCalendarElements,
                                 DefaultCalendarElements())
        .Object<TQvCalendarColors>("CalendarColors", &C::CalendarColors, &C::SetCalendarColors)
        .Str("CaptionClearBtn", &C::CaptionClearBtn, &C::SetCaptionClearBtn)
        .Str("CaptionTodayBtn", &C::CaptionTodayBtn, &C::SetCaptionTodayBtn)
        .Enum<TQvFirstDayOfWeek>("FirstDayOfWeek", &C::FirstDayOfWeek, &C::SetFirstDayOfWeek, fdowLocale)
        .Object<TQvClockFaceColors>("ClockFaceColors", &C::ClockFaceColors, &C::SetClockFaceColors)
        .Str("CaptionAM", &C::CaptionAM, &C::SetCaptionAM)
        .Str("CaptionPM", &C::CaptionPM, &C::SetCaptionPM)
        .Str("CaptionSet", &C::CaptionSet, &C::SetCaptionSet)
        .Bool("RestrictMinutes", &C::RestrictMinutes, &C::SetRestrictMinutes, false)
        .Bool("ShowHowToUseHint", &C::ShowHowToUseHint, &C::SetShowHowToUseHint, true)
        .Str("HowToUseMsg", &C::HowToUseMsg, &C::SetHowToUseMsg)
        .Int("PopupButtonColor", &C::PopupButtonColor, &C::SetPopupButtonColor, clBtnFace, {}, &ColorIdents())
        .Int("PopupButtonFontColor", &C::PopupButtonFontColor, &C::SetPopupButtonFontColor, clWindowText, {},
             &ColorIdents())
        .Bool("DropButtonVisible", &C::DropButtonVisible, &C::SetDropButtonVisible, true)
        .Event("OnDropDown", static_cast<TNotifyEvent C::*>(&TQvCustomEdit::OnDropDown))
        .Event("OnCloseUp", static_cast<TNotifyEvent C::*>(&TQvCustomEdit::OnCloseUp))
        .Event("OnGetBoldDays", &C::OnGetBoldDays)
        .Event("OnGetDayFormat", &C::OnGetDayFormat)
        .Event("OnGetWeekNumber", &C::OnGetWeekNumber)
        .Event("OnViewDateChange", &C::OnViewDateChange)
        .Event("OnDateTimeChange", &C::OnDateTimeChange)
        .Event("OnInvalidDate", &C::OnInvalidDate)
        .Prop([] {
          TPropInfo text = TControl::Property("Text");
          text.Stored = [](TObject*) { return false; };  // Date or Time is stored instead
          return text;
        }());
    return b.Build();
  }();
  return info;
}
