#pragma once
// Two small button components of the spin controls.
//
// TQvRapidFireButton: a speed button that repeats its click while held down (the
// first repeat InitialDelay after the press, then every Delay) and can show a
// scroll-arrow glyph of its own drawing (ScrollStyle).
//
// TQvSpinButtons: a windowed control holding a pair of control buttons, up/right
// and down/left, split across its height (orVertical) or width (orHorizontal),
// with repeat clicking, arrow or custom glyphs, and a focus rule: a press first
// hands the focus to FocusControl (or takes it itself when it is a tab stop); a
// press whose focus change is refused does not click.
//
// Either button stops repeating when its press is cut short: the mouse capture
// taken away, the button disabled or hidden.
#include "controls/basic/controlbutton.h"
#include "controls/common/progressbars.h"  // TOrientation
#include "platform/controls/controls.h"

enum class TSpinDirection { sdUpDown, sdLeftRight };
using enum TSpinDirection;
DTU_DECLARE_ENUM(TSpinDirection)
enum class TQvScrollStyle { scsNone, scsLeft, scsUp, scsRight, scsDown };
using enum TQvScrollStyle;
DTU_DECLARE_ENUM(TQvScrollStyle)

class TQvRapidFireButton : public TSpeedButton {
  DTU_CLASS(TQvRapidFireButton, TSpeedButton)
public:
  explicit TQvRapidFireButton(TComponent* AOwner);

  uint16_t InitialDelay() const { return FInitialDelay; }
  void SetInitialDelay(uint16_t Value) { FInitialDelay = Value; }
  uint16_t Delay() const { return FDelay; }
  void SetDelay(uint16_t Value) { FDelay = Value; }
  TQvScrollStyle ScrollStyle() const { return FScrollStyle; }
  virtual void SetScrollStyle(TQvScrollStyle Value);
  bool RepeatAllowed() const { return FRepeat; }
  void SetRepeatAllowed(bool Value) { FRepeat = Value; }
  bool ShowFocusRect() const { return FFocusRect; }
  void SetShowFocusRect(bool Value);
  TTimer* RepeatTimer() const { return FRepeatTimer; }

  void Dispatch(TMessage& Message) override;

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Paint() override;

private:
  void TimerExpired(TObject* Sender);
  void BuildArrowGlyph();
  void StopRepeat();

  TTimer* FRepeatTimer = nullptr;
  uint16_t FInitialDelay = 400;
  uint16_t FDelay = 100;
  bool FRepeat = true;
  bool FFocusRect = false;
  TQvScrollStyle FScrollStyle = scsNone;
};

class TQvSpinButtons : public TWinControl {
  DTU_CLASS(TQvSpinButtons, TWinControl)
public:
  explicit TQvSpinButtons(TComponent* AOwner);

  TSpinDirection Direction() const { return FDirection; }
  virtual void SetDirection(TSpinDirection Value);
  TOrientation Orientation() const { return FOrientation; }
  virtual void SetOrientation(TOrientation Value);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);
  bool Flat() const { return FFlat; }
  virtual void SetFlat(bool Value);
  bool AllEnabled() const { return Enabled(); }
  virtual void SetAllEnabled(bool Value);
  TColor ButtonColor() const { return Color(); }
  virtual void SetButtonColor(TColor Value);
  uint16_t Delay() const { return FUpRight->Delay(); }
  void SetDelay(uint16_t Value);
  uint16_t InitialDelay() const { return FUpRight->InitialDelay(); }
  void SetInitialDelay(uint16_t Value);
  TBitmap* UpRightGlyph() const { return FUpRight->Glyph(); }
  virtual void SetUpRightGlyph(TBitmap* Value);
  TBitmap* DownLeftGlyph() const { return FDownLeft->Glyph(); }
  virtual void SetDownLeftGlyph(TBitmap* Value);
  TNumGlyphs UpRightNumGlyphs() const { return FUpRight->NumGlyphs(); }
  void SetUpRightNumGlyphs(TNumGlyphs Value) { FUpRight->SetNumGlyphs(Value); }
  TNumGlyphs DownLeftNumGlyphs() const { return FDownLeft->NumGlyphs(); }
  void SetDownLeftNumGlyphs(TNumGlyphs Value) { FDownLeft->SetNumGlyphs(Value); }
  bool CustomUpRightGlyph() const { return FCustomUpRight; }
  bool CustomDownLeftGlyph() const { return FCustomDownLeft; }

  TQvControlButton* UpRightButton() const { return FUpRight; }
  TQvControlButton* DownLeftButton() const { return FDownLeft; }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Loaded() override;
  void Dispatch(TMessage& Message) override;
  // The two buttons are made by the control: a form written from it holds neither.
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

  TNotifyEvent OnUpRightClick;
  TNotifyEvent OnDownLeftClick;

protected:
  virtual TQvControlButton* CreateButton();
  virtual void BtnClickHandler(TObject* Sender);
  virtual void BtnMouseDownHandler(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void BtnGlyphChangeHandler(TQvControlButton* Button);
  virtual void AdjustDimensions(int& NewWidth, int& NewHeight);
  virtual void UpRightClick();
  virtual void DownLeftClick();
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void SetButtonGlyph(TQvControlButton* Button, TBitmap* Value);
  // The arrow style of each button for the current direction.
  TQvControlButtonStyle UpRightArrow() const { return FDirection == sdLeftRight ? cbsRight : cbsUp; }
  TQvControlButtonStyle DownLeftArrow() const { return FDirection == sdLeftRight ? cbsLeft : cbsDown; }

  TSpinDirection FDirection = sdUpDown;
  TOrientation FOrientation = orVertical;
  TQvControlButton* FUpRight = nullptr;
  TQvControlButton* FDownLeft = nullptr;
  TQvControlButton* FCurrent = nullptr;
  TWinControl* FFocusControl = nullptr;
  bool FFlat = false;
  bool FCustomUpRight = false;
  bool FCustomDownLeft = false;
  bool FSettingGlyph = false;
};
