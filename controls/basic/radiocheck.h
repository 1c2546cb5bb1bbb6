#pragma once
// TQvCustomGlyphButton: a button that draws a glyph (check box square or radio
// circle) beside a 3-D capable caption. The glyph comes from a user bitmap strip
// (custom glyphs), the visual style, the library's hot-track painters or the
// classic frame control. TQvRadioButton is exclusive among its sibling radio
// buttons; TQvCheckBox has three states. Both follow a frame controller's colours
// and support read-only display, transparency and Enter as Tab.
#include "controls/basic/buttons.h"
#include "controls/common/framecontroller.h"
#include "controls/common/glyphs.h"
#include "platform/controls/actions.h"

class TQvCheckedActionLink;

class TQvCustomGlyphButton : public TQvCustomButton, public IQvCustomFramingNotification {
  DTU_CLASS(TQvCustomGlyphButton, TQvCustomButton)
public:
  explicit TQvCustomGlyphButton(TComponent* AOwner);
  ~TQvCustomGlyphButton() override;

  TLeftRight Alignment() const { return FAlignment; }
  virtual void SetAlignment(TLeftRight Value);
  TColor FrameColor() const { return FFrameColor; }
  virtual void SetFrameColor(TColor Value);
  TBitmap* CustomGlyphs() const { return FCustomGlyphs; }
  virtual void SetCustomGlyphs(TBitmap* Value);
  bool UseCustomGlyphs() const { return FUseCustomGlyphs; }
  virtual void SetUseCustomGlyphs(bool Value);
  TColor TransparentColor() const { return FTransparentColor; }
  virtual void SetTransparentColor(TColor Value);
  TColor WinMaskColor() const { return FWinMaskColor; }
  virtual void SetWinMaskColor(TColor Value);
  TColor FillColor() const { return FFillColor; }
  virtual void SetFillColor(TColor Value);
  TColor FocusColor() const { return FFocusColor; }
  virtual void SetFocusColor(TColor Value);
  TColor DisabledColor() const { return FDisabledColor; }
  virtual void SetDisabledColor(TColor Value);
  bool ReadOnly() const { return FReadOnly; }
  virtual void SetReadOnly(bool Value);
  TColor ReadOnlyColor() const { return FReadOnlyColor; }
  virtual void SetReadOnlyColor(TColor Value);
  bool ReadOnlyColorOnFocus() const { return FReadOnlyColorOnFocus; }
  void SetReadOnlyColorOnFocus(bool Value);
  bool TabOnEnter() const { return FTabOnEnter; }
  void SetTabOnEnter(bool Value) { FTabOnEnter = Value; }
  TQvButtonHotTrackStyle HotTrackStyle() const { return FHotTrackStyle; }
  void SetHotTrackStyle(TQvButtonHotTrackStyle Value);
  TQvFrameController* FrameController() const { return FFrameController; }
  virtual void SetFrameController(TQvFrameController* Value);
  TQvFrameControllerNotifications FrameControllerNotifications() const { return FNotifications; }
  void SetFrameControllerNotifications(TQvFrameControllerNotifications Value) { FNotifications = Value; }
  void SetTransparent(bool Value) override;

  virtual bool GetChecked() = 0;
  virtual void SetChecked(bool Value) = 0;
  bool Checked() { return GetChecked(); }
  int GlyphWidth() const { return FGlyphWidth; }
  int GlyphHeight() const { return FGlyphHeight; }
  // While set, changing the check state fires no OnClick (an action writes it).
  bool ClicksDisabled() const { return FClicksDisabled; }
  void SetClicksDisabled(bool Value) { FClicksDisabled = Value; }
  // Where the glyph goes in the client area (also the hot-track rectangle).
  TRect GlyphRect();
  // The caption lies left of the glyph.
  bool CaptionLeftOfGlyph();
  TAlignment GetControlsAlignment() override;

  void CustomFramingChanged() override;
  void Dispatch(TMessage& Message) override;
  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;

protected:
  virtual void SelectGlyph(TBitmap* Glyph) = 0;
  virtual void BlendButtonFrame(TBitmap* /*Glyph*/) {}
  virtual void DrawGlyph(TCanvas* Canvas);
  void ExtractGlyph(int Index, TBitmap* Glyph, TBitmap* Source, int W, int H);
  void Paint() override;
  void UpdateDisplay() override { Repaint(); }
  void RepaintDisplay() override { Repaint(); }
  TRect GetHotTrackRect() override { return GlyphRect(); }
  void PaintBackground(HDC DC) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLink* CreateActionLink() override;
  // The glyph state as the hot-track painters show it.
  TQvButtonDisplayState DisplayState() const;
  void HotColors(TColor& Hot, TColor& HotFrame) const;

  int FGlyphCount = 2;
  bool FMousePressed = false;
  bool FReadOnly = false;
  bool FClicksDisabled = false;

private:
  friend class TQvCheckedActionLink;
  void CustomGlyphsChanged(TObject*);
  // The glyph size: the strip's images while custom glyphs are used, else 13 x 13.
  void ApplyGlyphSize();
  void UpdateBackground();

  TLeftRight FAlignment = taRightJustify;
  TColor FFrameColor = clBtnShadow;
  TBitmap* FCustomGlyphs;
  bool FUseCustomGlyphs = false;
  bool FUseCustomGlyphsRead = false;  // the stream being read has set it (until Loaded)
  TColor FTransparentColor = static_cast<TColor>(0x008080);
  TColor FWinMaskColor = static_cast<TColor>(0x00FF00);
  TColor FFillColor = clWindow;
  TColor FFocusColor = clWindow;
  TColor FDisabledColor = clBtnFace;
  bool FReadOnlyColorOnFocus = false;
  TColor FReadOnlyColor = clInfoBk;
  int FGlyphWidth = 13;
  int FGlyphHeight = 13;
  bool FTabOnEnter = false;
  TQvButtonHotTrackStyle FHotTrackStyle = htsInterior;
  TQvFrameController* FFrameController = nullptr;
  TQvFrameControllerNotifications FNotifications = TQvFrameControllerNotifications::FromInt(0xFFFF);
  TBitmap* FBackground;
  bool FBackgroundDirty = true;
};

// The link of the check box and radio button: Checked follows the action's while
// they agree, without clicking the control.
class TQvCheckedActionLink : public TWinControlActionLink {
  DTU_CLASS(TQvCheckedActionLink, TWinControlActionLink)
public:
  explicit TQvCheckedActionLink(TQvCustomGlyphButton* AClient) : TWinControlActionLink(AClient), FButton(AClient) {}
  bool IsCheckedLinked() override;
  void SetChecked(bool Value) override;

private:
  TQvCustomGlyphButton* FButton;
};

class TQvRadioButton : public TQvCustomGlyphButton {
  DTU_CLASS(TQvRadioButton, TQvCustomGlyphButton)
public:
  explicit TQvRadioButton(TComponent* AOwner);
  bool GetChecked() override { return FChecked; }
  void SetChecked(bool Value) override;
  void SetReadOnly(bool Value) override;
  void Dispatch(TMessage& Message) override;
  void Loaded() override;

protected:
  void ChangeState() override;
  void SelectGlyph(TBitmap* Glyph) override;
  void BlendButtonFrame(TBitmap* Glyph) override;

private:
  bool FChecked = false;

private:
  bool FTabStopRead = false;  // the stream being read has set TabStop (until Loaded)
};

class TQvCustomCheckBox : public TQvCustomGlyphButton {
  DTU_CLASS(TQvCustomCheckBox, TQvCustomGlyphButton)
public:
  explicit TQvCustomCheckBox(TComponent* AOwner);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  TCheckBoxState State() const { return FState; }
  virtual void SetState(TCheckBoxState Value);
  // Sets the state without a click.
  void InitState(TCheckBoxState Value);
  bool GetChecked() override { return FState == cbChecked; }
  void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
  void Dispatch(TMessage& Message) override;

protected:
  void ChangeState() override;
  void SelectGlyph(TBitmap* Glyph) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void DoExit() override;
  void CancelPress() override;

private:
  bool FAllowGrayed = false;
  TCheckBoxState FState = cbUnchecked;
  bool FSpace = false;
};

class TQvCheckBox : public TQvCustomCheckBox {
  DTU_CLASS(TQvCheckBox, TQvCustomCheckBox)
public:
  using TQvCustomCheckBox::TQvCustomCheckBox;
};
