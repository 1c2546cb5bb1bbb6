#pragma once
// TQvCustomButton: the windowed base of the framed buttons. It tracks a left press
// and the pointer (the face shows pressed while the press stays inside), hot-tracks,
// follows the visual style when asked, and draws its caption in one of four 3-D
// text styles placed at the top, centre or bottom.
//
// TQvButton: the push button of the library, in three looks (themed, the flat
// hot-track look, classic), default and cancel button of its form, optionally a
// member of a group of exclusive buttons that stay down, and the form's modal
// result when clicked.
#include <functional>

#include "controls/basic/panels.h"
#include "controls/common/frames.h"
#include "platform/stdctrls/speedbuttons.h"
#include "platform/stdctrls/stdctrls_buttons.h"

enum class TTextStyle { tsNormal, tsRaised, tsRecessed, tsShadow };
enum class TQvHotTrackColorType { htctComplement, htctActual };
using enum TTextStyle;
using enum TQvHotTrackColorType;
DTU_DECLARE_ENUM(TTextStyle)
DTU_DECLARE_ENUM(TQvHotTrackColorType)

// Broadcast to a parent's children when a group button goes down: WParam is the
// group index, LParam the button.
constexpr UINT CMQvButtonPressed = 0x2421;

// The colours a 3-D caption is drawn with.
struct TQv3DTextColors {
  TTextStyle Style = tsNormal;
  bool LightTextStyle = false;
  TColor Highlight = clBtnHighlight;
  TColor Shadow = clBtnShadow;
  int ShadowDepth = 2;
};
// The word-wrapped height of a caption as last measured, with what it depends on:
// the text, the font and the rectangle. A button keeps one, so that painting the
// same caption again does not measure it again.
struct TQvCaptionMeasure {
  std::string Text;
  LOGFONT Font;
  TRect R;
  int Height = -1;  // none yet
};
// Draws Text into R with DrawText and Flags in the canvas's font, with the 3-D
// copies of Colors.Style (raised, recessed, shadow); a disabled caption is one
// clGrayText copy. The caption is placed vertically in R by Vertical (its height
// measured word-wrapped first, or taken from Measure when that holds the same
// caption, font and rectangle; Measure is updated); the canvas's font colour is as
// before afterwards.
void Draw3DCaption(TCanvas* Canvas, const std::string& Text, TRect R, unsigned Flags, TAlignmentVertical Vertical,
                   const TQv3DTextColors& Colors, bool Enabled, bool RightToLeft,
                   TQvCaptionMeasure* Measure = nullptr);

class TQvCustomButton : public TCustomControl {
  DTU_CLASS(TQvCustomButton, TCustomControl)
public:
  explicit TQvCustomButton(TComponent* AOwner);

  TAlignmentVertical AlignmentVertical() const { return FAlignmentVertical; }
  virtual void SetAlignmentVertical(TAlignmentVertical Value);
  TColor HotTrackColor() const { return FHotTrackColor; }
  void SetHotTrackColor(TColor Value);
  TQvHotTrackColorType HotTrackColorType() const { return FHotTrackColorType; }
  void SetHotTrackColorType(TQvHotTrackColorType Value);
  TColor HighlightColor() const { return FHighlightColor; }
  virtual void SetHighlightColor(TColor Value);
  bool LightTextStyle() const { return FLightTextStyle; }
  virtual void SetLightTextStyle(bool Value);
  TTextStyle TextStyle() const { return FTextStyle; }
  virtual void SetTextStyle(TTextStyle Value);
  TColor TextHighlightColor() const { return FTextHighlightColor; }
  virtual void SetTextHighlightColor(TColor Value);
  TColor TextShadowColor() const { return FTextShadowColor; }
  virtual void SetTextShadowColor(TColor Value);
  int TextShadowDepth() const { return FTextShadowDepth; }
  virtual void SetTextShadowDepth(int Value);
  bool HotTrack() const { return FHotTrack; }
  virtual void SetHotTrack(bool Value);
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  bool ThemeAware() const { return FThemeAware; }
  virtual void SetThemeAware(bool Value);

  // The face shows pressed (mouse held inside, or space held); the pointer is over it.
  bool Pressed() const { return FPressed; }
  bool MouseOver() const { return FMouseOver; }
  // ThemeAware and the visual style on.
  bool Themed() const;

  void Click() override;
  void Dispatch(TMessage& Message) override;

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

protected:
  bool FTransparentRead = false;  // the stream being read has set Transparent (until Loaded)
  virtual void PaintBackground(HDC /*DC*/) {}
  virtual void UpdateDisplay() {}
  virtual void RepaintDisplay() { Repaint(); }
  virtual TRect GetHotTrackRect() { return ClientRect(); }
  // The caption in the button's 3-D text style (see Draw3DCaption).
  virtual void Draw3DText(TCanvas* Canvas, const TRect& R, unsigned Flags);
  virtual void ChangeState() = 0;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // Ends a press the button can no longer finish (capture lost, disabled, hidden):
  // no click, the face comes up.
  virtual void CancelPress();

  bool FDragging = false;
  bool FReleasing = false;  // inside the left button's release
  bool FMouseOver = false;
  bool FPressed = false;

private:
  TAlignmentVertical FAlignmentVertical = avCenter;
  TColor FHotTrackColor = static_cast<TColor>(0x149BF0);
  TQvHotTrackColorType FHotTrackColorType = htctActual;
  TColor FHighlightColor = clHighlight;
  bool FLightTextStyle = false;
  TTextStyle FTextStyle = tsNormal;
  TColor FTextHighlightColor = clBtnHighlight;
  TColor FTextShadowColor = clBtnShadow;
  int FTextShadowDepth = 2;
  bool FHotTrack = false;
  bool FTransparent = false;
  bool FThemeAware = true;
  TQvCaptionMeasure FCaptionMeasure;
};

class TQvButton : public TQvCustomButton {
  DTU_CLASS(TQvButton, TQvCustomButton)
public:
  explicit TQvButton(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  virtual void SetAlignment(TAlignment Value);
  bool Default() const { return FDefault; }
  virtual void SetDefault(bool Value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool AllowAllUp() const { return FAllowAllUp; }
  virtual void SetAllowAllUp(bool Value);
  bool Down() const { return FDown; }
  virtual void SetDown(bool Value);
  int GroupIndex() const { return FGroupIndex; }
  virtual void SetGroupIndex(int Value);
  bool ShowDownPattern() const { return FShowDownPattern; }
  virtual void SetShowDownPattern(bool Value);
  bool ShowFocusRect() const { return FShowFocusRect; }
  virtual void SetShowFocusRect(bool Value);
  bool DropDownOnEnter() const { return FDropDownOnEnter; }
  void SetDropDownOnEnter(bool Value) { FDropDownOnEnter = Value; }
  TColor FrameColor() const { return FFrameColor; }
  virtual void SetFrameColor(TColor Value);
  TButtonState State() const { return FState; }
  // Enter presses this button now.
  bool Active() const { return FActive; }
  // Set while Enter clicks a button whose DropDownOnEnter is off.
  bool NoDropDown() const { return FNoDropDown; }

  // Also makes the button transparent (its corners show the parent) while on.
  void SetHotTrack(bool Value) override;
  void Click() override;
  void Loaded() override;
  void Dispatch(TMessage& Message) override;
  void DefineProperties(TFiler* Filer) override;

protected:
  virtual TRect GetCaptionRect();
  virtual void DrawButtonContent();
  // The 8 x 8 down pattern of an exclusive group button.
  virtual void CreateBrushPattern(TBitmap* Bitmap);
  void PaintBackground(HDC DC) override;
  void UpdateDisplay() override { Invalidate(); }
  void ChangeState() override;
  void Paint() override;
  void CreateWnd() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void CancelPress() override;
  // The face shows pressed: down or exclusive, or the pressed flag.
  bool FaceShowsPressed() const;
  // GroupIndex 0, Enter presses it or it has the focus, and not pressed.
  bool DefaultLook();
  void UpdateExclusive();

private:
  // Each look paints its frame and face and returns the face's rectangle.
  TRect PaintHotTrack(TRect R);
  void PaintXPFace(TRect& R);
  TRect PaintClassic(TRect R);

  TAlignment FAlignment = taCenter;
  bool FClicking = false;
  bool FDefault = false;
  bool FCancel = false;
  bool FActive = false;
  TModalResult FModalResult = 0;
  bool FSpace = false;
  bool FAllowAllUp = false;
  bool FDown = false;
  int FGroupIndex = 0;
  bool FShowDownPattern = true;
  bool FShowFocusRect = true;
  bool FDropDownOnEnter = true;
  TColor FFrameColor = cl3DDkShadow;
  TButtonState FState = bsUp;
  bool FNoDropDown = false;
};
