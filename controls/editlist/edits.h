#pragma once
// The framed single-line edits: TQvCustomEdit, the base of every framed edit of the
// library, on the masked edit; TQvEdit and TQvMaskEdit, its published forms.
//
// On top of the masked edit the base adds a frame drawn in the non-client area in
// one of the shared frame styles, state colours (disabled, focused, read-only), a
// hot frame while the mouse is over the control or it has the focus, an optional
// drop button painted at the right edge of the non-client area (left in
// right-to-left reading; Alt+Down and F4 press it), registration with a frame
// controller, Enter-as-Tab and a beep on invalid keys.
//
// The framing state and its setters are TQvFraming's (framing.h), shared with the
// memo, list box and combo box.
#include "controls/common/dialogs.h"
#include "controls/common/framecontroller.h"
#include "controls/common/frames.h"
#include "controls/editlist/framing.h"
#include "platform/core/filer.h"
#include "platform/core/typinfo.h"
#include "platform/stdctrls/maskedit.h"
#include "platform/stdctrls/speedbuttons.h"

using TQvValidateErrorEvent = std::function<void(TObject* Sender, std::string& ErrorMsg)>;

class TQvCustomEdit : public TQvFraming<TCustomMaskEdit> {
  DTU_CLASS(TQvCustomEdit, TQvFraming<TCustomMaskEdit>)
public:
  explicit TQvCustomEdit(TComponent* AOwner);
  ~TQvCustomEdit() override;

  TAlignment Alignment() const { return TCustomEdit::Alignment(); }
  virtual void SetAlignment(TAlignment Value);
  bool TabOnEnter() const { return FTabOnEnter; }
  void SetTabOnEnter(bool Value) { FTabOnEnter = Value; }
  bool BeepOnInvalidKey() const { return FBeepOnInvalidKey; }
  void SetBeepOnInvalidKey(bool Value) { FBeepOnInvalidKey = Value; }
  bool DropButtonVisible() const { return FDropButtonVisible; }
  virtual void SetDropButtonVisible(bool Value);
  bool FlatButtons() const { return FFlatButtons; }
  virtual void SetFlatButtons(bool Value);
  TColor FlatButtonColor() const { return FFlatButtonColor; }
  virtual void SetFlatButtonColor(TColor Value);
  TButtonState ButtonState() const { return FButtonState; }
  virtual void SetButtonState(TButtonState Value);
  // ReadOnly of the edit; a change shows or hides the buttons and recolours.
  bool ReadOnly() const { return TCustomEdit::ReadOnly(); }
  void SetReadOnly(bool Value);
  // Whether the control counts as read-only for its colours (descendants widen it).
  bool ReadOnlyValue() override { return ReadOnly(); }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TQvValidateErrorEvent OnValidateError;

  void Dispatch(TMessage& Message) override;
  void Loaded() override;
  // Presses the drop button (with a drop button only): down, DropDown, CloseUp, up.
  void DoDropDown();
  // A key the control refuses: a beep when BeepOnInvalidKey.
  virtual void InvalidKeyPressed();

protected:
  void UpdateFrame(bool ViaMouse, bool InFocus) override;
  void RepaintFrame() override;
  void RepaintButton();
  virtual TRect GetEditRect();
  virtual std::string GetRightJustifiedText();
  virtual void HideButton() {}
  virtual void ShowButton() {}
  virtual void DrawButton(TRect& Bounds);
  virtual void ReadOnlyChanged();
  virtual void DropDown();
  virtual void CloseUp();
  void ValidateError() override;
  void KeyPress(char& Key) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void CreateParams(TCreateParams& Params) override;
  void MouseCancel();
  // The drop button's strip in window coordinates (empty without a drop button).
  TRect DropButtonRect();
  // Right-to-left alignment puts the drop button at the left edge.
  bool RightToLeft() const { return UseRightToLeftAlignment(); }

  TControlCanvas* FCanvas;
  bool FMouseOverButton = false;
  bool FDroppingDown = false;

private:
  void WMNCPaint(TMessage& M);
  // Whether the frame's colour rings cover every pixel of the standard border.
  bool FrameCoversBorder();
  void WMNCCalcSize(TMessage& M);
  void WMNCHitTest(TMessage& M);

  bool FTabOnEnter = false;
  bool FBeepOnInvalidKey = true;
  bool FDropButtonVisible = false;
  bool FFlatButtons = false;
  TColor FFlatButtonColor = clBtnFace;
  TButtonState FButtonState = bsUp;
};

// The published framed edits.
class TQvEdit : public TQvCustomEdit {
  DTU_CLASS(TQvEdit, TQvCustomEdit)
public:
  explicit TQvEdit(TComponent* AOwner) : TQvCustomEdit(AOwner) {}
};

class TQvMaskEdit : public TQvCustomEdit {
  DTU_CLASS(TQvMaskEdit, TQvCustomEdit)
public:
  explicit TQvMaskEdit(TComponent* AOwner) : TQvCustomEdit(AOwner) {}
protected:
  // The window's raw text, not the masked Text.
  std::string GetRightJustifiedText() override { return WindowText(); }
};

// Which parts of the framed edits' standard published set a class takes.
struct TEditStandardSet {
  bool TextEntry = true;  // AutoSelect, PasswordChar (the colour edit shows no text)
  bool MaxLength = true;
  TAlignment Alignment = taLeftJustify;  // the default written to form streams
};

// Publishes the framing set and the standard set every framed edit shares (not
// Text, EditMask or the class's own properties, which the class adds after it).
template <class E>
TClassBuilder<E>& PublishFramedEdit(TClassBuilder<E>& B, TFramingSet Framing, TEditStandardSet Standard = {}) {
  PublishFraming(B, Framing);
  PublishInherited(B, {"Align"});
  B.template Enum<TAlignment>("Alignment", &E::Alignment, &E::SetAlignment, Standard.Alignment);
  PublishInherited(B, {"Anchors"});
  if (Standard.TextEntry) B.Bool("AutoSelect", &E::AutoSelect, &E::SetAutoSelect, true);
  B.Bool("AutoSize", &E::AutoSize, &E::SetAutoSize, true)
      .template Enum<TEditCharCase>("CharCase", &E::CharCase, &E::SetCharCase, ecNormal);
  PublishInherited(B, {"Constraints", "Ctl3D", "DragCursor", "DragKind", "DragMode", "Enabled", "Font"});
  B.Bool("HideSelection", &E::HideSelection, &E::SetHideSelection, true);
  PublishInherited(B, {"ImeMode", "ImeName"});
  if (Standard.MaxLength)
    B.Int("MaxLength", &E::MaxLength, [](E* x, int64_t v) { x->SetMaxLength(static_cast<int>(v)); }, 0);
  B.Bool("OEMConvert", &E::OEMConvert, &E::SetOEMConvert, false)
      .Prop(FramingParentColor<E>());
  PublishInherited(B, {"BiDiMode", "ParentBiDiMode", "ParentCtl3D", "ParentFont", "ParentShowHint"});
  if (Standard.TextEntry) B.Char("PasswordChar", &E::PasswordChar, &E::SetPasswordChar, 0);
  PublishInherited(B, {"PopupMenu"});
  B.Bool("ReadOnly", &E::ReadOnly, &E::SetReadOnly, false);
  PublishInherited(B, {"ShowHint"});
  B.Bool("TabOnEnter", &E::TabOnEnter, &E::SetTabOnEnter, false);
  PublishInherited(B, {"TabOrder"}).Prop(TControl::Property("TabStop", 1));
  PublishInherited(B, {"Visible"});
  B.Event("OnChange", static_cast<TNotifyEvent E::*>(&TCustomEdit::OnChange));
  PublishInherited(B, {"OnClick", "OnContextPopup", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDock",
                       "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown",
                       "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"});
  B.Event("OnMouseEnter", static_cast<TNotifyEvent E::*>(&TQvCustomEdit::OnMouseEnter))
      .Event("OnMouseLeave", static_cast<TNotifyEvent E::*>(&TQvCustomEdit::OnMouseLeave));
  return B;
}
