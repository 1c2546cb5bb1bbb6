#pragma once
// TQvControlButton: the small windowless button that edits put beside their text:
// a spin arrow (left, up, right, down), a combo-style drop-down arrow, or a plain
// face with a glyph. It follows the visual theme, has a flat mode that shows a
// frame only under the mouse, and can repeat its click while it is held down
// (RepeatClicks: the first repeat InitialDelay after the press, then every Delay,
// while the pointer is over the button).
//
// A press ends when the button is released, and also when it loses the mouse
// capture some other way (a modal box opened by a repeated click, the button
// disabled or hidden): then the face comes up and the repeats stop, with no click.
#include "controls/common/frames.h"
#include "controls/common/gradients.h"
#include "platform/controls/controls.h"
#include "platform/controls/extctrls.h"
#include "platform/stdctrls/speedbuttons.h"

enum class TQvControlButtonStyle { cbsNone, cbsLeft, cbsUp, cbsRight, cbsDown, cbsDropDown };
using enum TQvControlButtonStyle;
DTU_DECLARE_ENUM(TQvControlButtonStyle)

class TQvControlButton : public TGraphicControl {
  DTU_CLASS(TQvControlButton, TGraphicControl)
public:
  explicit TQvControlButton(TComponent* AOwner);
  ~TQvControlButton() override;

  bool Flat() const { return FFlat; }
  virtual void SetFlat(bool Value);
  TBitmap* Glyph() const { return FGlyph; }
  virtual void SetGlyph(TBitmap* Value);
  TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
  virtual void SetNumGlyphs(TNumGlyphs Value);
  bool RepeatClicks() const { return FRepeatClicks; }
  void SetRepeatClicks(bool Value) { FRepeatClicks = Value; }
  uint16_t InitialDelay() const { return FInitialDelay; }
  void SetInitialDelay(uint16_t Value) { FInitialDelay = Value; }
  uint16_t Delay() const { return FDelay; }
  void SetDelay(uint16_t Value) { FDelay = Value; }
  TQvControlButtonStyle Style() const { return FStyle; }
  virtual void SetStyle(TQvControlButtonStyle Value);

  // The face shows pressed / the pointer is over the button.
  bool IsDown() const { return FDown; }
  bool MouseOver() const { return FMouseOver; }
  // The repeat timer (nullptr until the first press with RepeatClicks).
  TTimer* RepeatTimer() const { return FRepeatTimer; }

  void Click() override;
  void Dispatch(TMessage& Message) override;
  HPALETTE GetPalette() override { return FGlyph->Palette(); }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

protected:
  virtual void DrawBtnFace(TRect& R);
  virtual void DrawSpinButton(TRect& R);
  virtual void DrawDropDownButton(TRect& R);
  virtual void DrawGlyph(const TRect& R);
  virtual TPoint GetImageSize();
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // The screen cursor in client coordinates.
  TPoint CursorPosition();
  void UpdateTracking();
  // Hot: the pointer is over an enabled button (or the button is being designed).
  bool Hot() const;

private:
  void DrawClassicFrame(TRect& R, TFrameStyleEx Up, TColor Face);
  void GlyphChanged(TObject* Sender);
  void TimerExpired(TObject* Sender);
  // Ends a press without a click: the face comes up and the repeats stop.
  void CancelPress();

  bool FDown = false;
  bool FDragging = false;
  bool FFlat = false;
  bool FMouseOver = false;
  TBitmap* FGlyph;
  TNumGlyphs FNumGlyphs = 1;
  bool FRepeatClicks = false;
  TTimer* FRepeatTimer = nullptr;
  uint16_t FInitialDelay = 400;
  uint16_t FDelay = 100;
  TQvControlButtonStyle FStyle = cbsNone;
};
