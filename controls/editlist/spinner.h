#pragma once
// TQvSpinner: a self-drawn integer spinner, a minus button at the left, a plus
// button at the right and the value (decimal, or hexadecimal after a prefix)
// centred between them. It steps by Increment or PageSize through the buttons
// (repeating while held: first after 400 ms, then every 100 ms), keys and the
// wheel, and keeps to Min..Max (only when Min <> Max, unless CheckRange).
// A held button steps only while the pointer is over it, and once more when it
// is released over it.
#include <memory>
#include <string>

#include "controls/common/framecontroller.h"
#include "platform/controls/controls.h"
#include "platform/controls/extctrls.h"
#include "platform/graphics/imglist.h"
#include "platform/core/typinfo.h"

enum class TQvSpinnerArea { saValue, saMinusButton, saPlusButton };
using enum TQvSpinnerArea;
DTU_DECLARE_ENUM(TQvSpinnerArea)

using TQvSpinnerEvent = std::function<void(TObject* Sender, int NewValue, bool& AllowChange)>;
using TQvSpinnerIncDecEvent = std::function<void(TObject* Sender, int Amount)>;

class TQvSpinner : public TCustomControl, public IQvCustomFramingNotification {
  DTU_CLASS(TQvSpinner, TCustomControl)
public:
  explicit TQvSpinner(TComponent* AOwner);
  ~TQvSpinner() override;

  int Value() const { return FValue; }
  virtual void SetValue(int Value);
  int Min() const { return FMin; }
  virtual void SetMin(int Value);
  int Max() const { return FMax; }
  virtual void SetMax(int Value);
  int Increment() const { return FIncrement; }
  void SetIncrement(int Value) { FIncrement = Value; }
  int PageSize() const { return FPageSize; }
  void SetPageSize(int Value) { FPageSize = Value; }
  bool CheckRange() const { return FCheckRange; }
  virtual void SetCheckRange(bool Value);
  bool TabOnEnter() const { return FTabOnEnter; }
  void SetTabOnEnter(bool Value) { FTabOnEnter = Value; }
  bool ShowHexValue() const { return FShowHexValue; }
  virtual void SetShowHexValue(bool Value);
  const std::string& HexValuePrefix() const { return FHexValuePrefix; }
  virtual void SetHexValuePrefix(const std::string& Value);
  TColor FrameColor() const { return FFrameColor; }
  virtual void SetFrameColor(TColor Value);
  TColor ButtonColor() const { return FButtonColor; }
  virtual void SetButtonColor(TColor Value);
  int ButtonWidth() const { return FButtonWidth; }
  virtual void SetButtonWidth(int Value);
  bool ShowFocusRect() const { return FShowFocusRect; }
  void SetShowFocusRect(bool Value);
  bool ThemeAware() const { return FThemeAware; }
  virtual void SetThemeAware(bool Value);
  TCustomImageList* Images() const { return FImages; }
  virtual void SetImages(TCustomImageList* Value);
  int ImageIndexMinus() const { return GetImageIndex(1); }
  void SetImageIndexMinus(int Value) { SetImageIndex(1, Value); }
  int ImageIndexPlus() const { return GetImageIndex(2); }
  void SetImageIndexPlus(int Value) { SetImageIndex(2, Value); }
  virtual int GetImageIndex(int Index) const;
  virtual void SetImageIndex(int Index, int Value);
  TQvFrameController* FrameController() const { return FFrameController; }
  virtual void SetFrameController(TQvFrameController* Value);
  TQvFrameControllerNotifications FrameControllerNotifications() const { return FFrameControllerNotifications; }
  void SetFrameControllerNotifications(TQvFrameControllerNotifications Value) {
    FFrameControllerNotifications = Value;
  }
  // Read-only: the glyph bitmap (never stored).
  TBitmap* Glyph() const { return FGlyph.get(); }

  virtual int CheckValue(int Value);
  virtual void IncValue(int Amount);
  virtual void DecValue(int Amount);
  TQvSpinnerArea HitTest(int X, int Y) const;
  TQvSpinnerArea HitTest(TPoint P) const { return HitTest(P.X, P.Y); }
  // The value as shown.
  std::string DisplayText() const;
  void CustomFramingChanged() override;
  void Dispatch(TMessage& Message) override;
  void DefineProperties(TFiler* Filer) override;
  bool MinusPressed() const { return FMinusPressed; }
  bool PlusPressed() const { return FPlusPressed; }

  TNotifyEvent OnChange;
  TQvSpinnerEvent OnChanging;
  TQvSpinnerIncDecEvent OnIncrement;
  TQvSpinnerIncDecEvent OnDecrement;

protected:
  virtual void DrawFrame();
  virtual void DrawValue();
  virtual void DrawButton(TQvSpinnerArea Area, bool Down, const TRect& Bounds);
  virtual void Change();
  virtual bool CanChange(int NewValue);
  void Paint() override;
  void Loaded() override;
  void DoEnter() override;
  void DoExit() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TPoint CursorPosition();
  void CheckHotTracking(TPoint P);
  void CheckMinSize();
  void TimerExpired(TObject* Sender);
  void StepPressed(TQvSpinnerArea Area);
  bool UseThemes() const;

  int FValue = 0;
  int FMin = 0;
  int FMax = 100;
  int FIncrement = 1;
  int FPageSize = 10;
  bool FCheckRange = false;
  bool FTabOnEnter = false;
  bool FShowHexValue = false;
  std::string FHexValuePrefix = "$";
  TColor FFrameColor = clBtnShadow;
  TColor FButtonColor = clBtnFace;
  int FButtonWidth = 18;
  bool FShowFocusRect = true;
  bool FMinusPressed = false;
  bool FPlusPressed = false;
  TQvSpinnerArea FHotArea = saValue;
  bool FPlusHot = false;
  bool FMinusHot = false;
  bool FThemeAware = true;
  TTimer* FTimer = nullptr;
  unsigned FInitialDelay = 400;
  unsigned FRepeatDelay = 100;
  std::unique_ptr<TBitmap> FGlyph;
  TCustomImageList* FImages = nullptr;
  int FImageIndexMinus = -1;
  int FImageIndexPlus = -1;
  std::unique_ptr<TChangeLink> FImageChangeLink;
  TQvFrameController* FFrameController = nullptr;
  TQvFrameControllerNotifications FFrameControllerNotifications =
      TQvFrameControllerNotifications::FromInt(AllFrameControllerNotifications);
};
