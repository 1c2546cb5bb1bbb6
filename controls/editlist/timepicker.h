#pragma once
// TQvTimePicker: a clock face on a framed panel. The time as text on top, an
// analogue clock (hour numbers, hour and minute ticks, two hands), AM and PM radio
// buttons and an optional Set button. A left click or drag on the clock sets the
// hour, a right click or drag the minute (snapped to RestrictMinutesBy with
// RestrictMinutes on or Ctrl held). Times are whole minutes.
#include <memory>
#include <string>

#include "controls/basic/panels.h"
#include "controls/editlist/calendar.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/forms.h"
#include "platform/core/dates.h"

class TQvClockFaceColors : public TPersistent {
  DTU_CLASS(TQvClockFaceColors, TPersistent)
public:
  explicit TQvClockFaceColors(TControl* AOwner = nullptr);
  static constexpr int Count = 5;
  TColor GetColor(int Index) const;
  void SetColor(int Index, TColor Value);
  void Assign(TPersistent* Source) override;
  void ClearOwner() { FOwner = nullptr; }
  TColor Face() const { return FColors[0]; }
  TColor Hands() const { return FColors[1]; }
  TColor Numbers() const { return FColors[2]; }
  TColor HourTicks() const { return FColors[3]; }
  TColor MinuteTicks() const { return FColors[4]; }

private:
  TControl* FOwner;
  TColor FColors[Count];
};

// The angle of (dx, dy) clockwise on screen from 3 o'clock, 0..2 pi (dx <> 0).
double NormalizedArcTan(double Dx, double Dy);

class TQvTimePicker : public TQvCustomPanel {
  DTU_CLASS(TQvTimePicker, TQvCustomPanel)
public:
  explicit TQvTimePicker(TComponent* AOwner);
  ~TQvTimePicker() override;

  TDateTime Time() const { return FTime; }
  virtual void SetTime(TDateTime Value);
  bool PM() const { return FPM; }
  bool RestrictMinutes() const { return FRestrictMinutes; }
  void SetRestrictMinutes(bool Value) { FRestrictMinutes = Value; }
  int RestrictMinutesBy() const { return FRestrictMinutesBy; }
  // Values below 1 are ignored: the snapping divides by the step.
  void SetRestrictMinutesBy(int Value);
  std::string Format() const { return FFormat; }
  virtual void SetFormat(const std::string& Value);
  std::string CaptionAM() const { return FCaptionAM; }
  virtual void SetCaptionAM(const std::string& Value);
  std::string CaptionPM() const { return FCaptionPM; }
  virtual void SetCaptionPM(const std::string& Value);
  std::string CaptionSet() const { return FCaptionSet; }
  virtual void SetCaptionSet(const std::string& Value);
  TColor ButtonColor() const { return FButtonColor; }
  virtual void SetButtonColor(TColor Value);
  TColor ButtonFontColor() const { return FButtonFontColor; }
  virtual void SetButtonFontColor(TColor Value);
  TQvClockFaceColors* ClockFaceColors() const { return FClockFaceColors.get(); }
  virtual void SetClockFaceColors(TQvClockFaceColors* Value);
  bool ShowSetButton() const { return FShowSetButton; }
  virtual void SetShowSetButton(bool Value);
  bool ShowTime() const { return FShowTime; }
  virtual void SetShowTime(bool Value);
  bool ShowHowToUseHint() const { return FShowHowToUseHint; }
  void SetShowHowToUseHint(bool Value) { FShowHowToUseHint = Value; }
  std::string HowToUseMsg() const { return FHowToUseMsg; }
  void SetHowToUseMsg(const std::string& Value) { FHowToUseMsg = Value; }
  bool ThemeAware() const { return FThemeAware; }
  virtual void SetThemeAware(bool Value);

  void SetHour(int H);
  void SetMinutes(int M);
  void ChangeToAM();
  void ChangeToPM();
  void AdjustHour(int Amount);
  void AdjustMinute(int Amount);
  void Clear() { SetTime(0); }
  bool IsClear() const { return FTime == 0; }
  int GetHourFromXY(int X, int Y);
  int GetMinuteFromXY(int X, int Y, bool Restrict);
  // The time strip's text: Time in Format ("h:mm ampm" when empty).
  std::string TimeText() const;
  // The hint text shown over the clock.
  std::string HowToUseText() const;
  std::string AMCaption() const;
  std::string PMCaption() const;
  std::string SetCaption() const;

  TRect ClockRect() { CalcRects(); return FClockRect; }
  TPoint ClockCenter() { CalcRects(); return FCenter; }
  int ClockRadius() { CalcRects(); return FRadius; }
  TRect AMRect() { CalcRects(); return FAMRect; }
  TRect PMRect() { CalcRects(); return FPMRect; }
  TRect SetRect() { CalcRects(); return FSetRect; }
  THintWindow* HintWindow() const { return FHintWindow; }
  bool HintShown() { return FHintWindow && FHintWindow->Shown(); }

  void Dispatch(TMessage& Message) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnSetBtnClick;
  TNotifyEvent OnSetTime;

protected:
  virtual void Changed();
  virtual void SetBtnClick();
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void DoHint(int X, int Y);
  void HideHint();
  void HintTick(TObject*);
  void AdjustForFont();
  void CalcRects();
  void DrawClock(TCanvas* C);
  void DrawAmPm(TCanvas* C, const TRect& R, const std::string& Caption, bool Checked);

  TDateTime FTime = 0;
  bool FPM = false;
  bool FRestrictMinutes = false;
  int FRestrictMinutesBy = 5;
  TRect FTimeRect, FClockRect, FAMRect, FPMRect, FSetRect;
  TPoint FCenter;
  int FRadius = 0;
  int FCharWidth = 6, FTextHeight = 13, FMinFontHeight = 15;
  std::string FFormat, FCaptionAM, FCaptionPM, FCaptionSet;
  bool FAMDown = false, FPMDown = false, FSetDown = false, FClockDown = false;
  bool FLeftDown = false, FRightDown = false;
  TColor FButtonColor = clBtnFace, FButtonFontColor = clWindowText;
  std::unique_ptr<TQvClockFaceColors> FClockFaceColors;
  bool FShowSetButton = false, FShowTime = true, FShowHowToUseHint = true;
  std::string FHowToUseMsg;
  THintWindow* FHintWindow = nullptr;
  TTimer* FHintTimer = nullptr;
  int FLastMinute = 0;
  bool FThemeAware = true;
};
