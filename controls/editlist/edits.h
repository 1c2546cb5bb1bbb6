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
// The framing property set (colours, frame styles, sides, hot tracking, flat
// buttons, framing preference, controller) is shared with the other framed
// controls: AddFramingProperties publishes it with its stored rules for any class
// that has the same accessors, and DefineOldFramingProperties reads the three
// retired properties of old form streams.
#include "controls/common/dialogs.h"
#include "controls/common/framecontroller.h"
#include "controls/common/frames.h"
#include "controls/editlist/framingfields.h"
#include "platform/core/filer.h"
#include "platform/core/typinfo.h"
#include "platform/stdctrls/maskedit.h"
#include "platform/stdctrls/speedbuttons.h"

using TQvValidateErrorEvent = std::function<void(TObject* Sender, std::string& ErrorMsg)>;

// Whether Controller (when set) supplies Property to a control accepting Accepts:
// such a property is not written to form streams.
inline bool ControllerOwns(const TQvFrameController* Controller, TQvFrameControllerNotifications Accepts,
                           TQvFrameControllerProperty Property) {
  return Controller && Accepts.Contains(Property);
}

class TQvCustomEdit : public TCustomMaskEdit, protected TQvFramingFields {
  DTU_CLASS(TQvCustomEdit, TCustomMaskEdit)
public:
  explicit TQvCustomEdit(TComponent* AOwner);
  ~TQvCustomEdit() override;

  TAlignment Alignment() const { return TCustomEdit::Alignment(); }
  virtual void SetAlignment(TAlignment Value);
  bool TabOnEnter() const { return FTabOnEnter; }
  void SetTabOnEnter(bool Value) { FTabOnEnter = Value; }
  bool BeepOnInvalidKey() const { return FBeepOnInvalidKey; }
  void SetBeepOnInvalidKey(bool Value) { FBeepOnInvalidKey = Value; }
  TColor DisabledColor() const { return FDisabledColor; }
  virtual void SetDisabledColor(TColor Value);
  TColor FocusColor() const { return FFocusColor; }
  virtual void SetFocusColor(TColor Value);
  TColor ReadOnlyColor() const { return FReadOnlyColor; }
  virtual void SetReadOnlyColor(TColor Value);
  bool ReadOnlyColorOnFocus() const { return FReadOnlyColorOnFocus; }
  void SetReadOnlyColorOnFocus(bool Value);
  TColor FrameColor() const { return FFrameColor; }
  virtual void SetFrameColor(TColor Value);
  TColor FrameHotColor() const { return FFrameHotColor; }
  virtual void SetFrameHotColor(TColor Value);
  TQvFrameController* FrameController() const { return FFrameController; }
  virtual void SetFrameController(TQvFrameController* Value);
  TQvFrameControllerNotifications FrameControllerNotifications() const { return FFrameControllerNotifications; }
  void SetFrameControllerNotifications(TQvFrameControllerNotifications Value) { FFrameControllerNotifications = Value; }
  bool FrameHotTrack() const { return FFrameHotTrack; }
  virtual void SetFrameHotTrack(bool Value);
  TFrameStyle FrameHotStyle() const { return FFrameHotStyle; }
  virtual void SetFrameHotStyle(TFrameStyle Value);
  TSides FrameSides() const { return FFrameSides; }
  virtual void SetFrameSides(TSides Value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  virtual void SetFrameStyle(TFrameStyle Value);
  bool FrameVisible() const { return FFrameVisible; }
  virtual void SetFrameVisible(bool Value);
  TFramingPreference FramingPreference() const { return FFramingPreference; }
  virtual void SetFramingPreference(TFramingPreference Value);
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
  virtual bool ReadOnlyValue() { return ReadOnly(); }
  virtual bool UseThemes();
  // The colour the control has now for its state (disabled, focused, read-only).
  TColor StateColor();
  bool IsFocusedFlag() const { return FFocused; }
  bool IsMouseOver() const { return FMouseOver; }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TQvValidateErrorEvent OnValidateError;

  void Dispatch(TMessage& Message) override;
  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;
  // Presses the drop button (with a drop button only): down, DropDown, CloseUp, up.
  void DoDropDown();
  // A key the control refuses: a beep when BeepOnInvalidKey.
  virtual void InvalidKeyPressed();

protected:
  virtual void UpdateColors();
  virtual void UpdateFrame(bool ViaMouse, bool InFocus);
  virtual void RepaintFrame();
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
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseCancel();
  // The drop button's strip in window coordinates (empty without a drop button).
  TRect DropButtonRect();
  // Right-to-left layout puts the drop button at the left edge.
  bool RightToLeft() const { return false; }

  TControlCanvas* FCanvas;
  bool FUpdatingColor = false;
  TColor FNormalColor = clWindow;
  bool FFocused = false;
  bool FMouseOver = false;
  bool FMouseOverButton = false;
  bool FDroppingDown = false;

private:
  void WMNCPaint(TMessage& M);
  void WMNCCalcSize(TMessage& M);
  void WMNCHitTest(TMessage& M);

  bool FTabOnEnter = false;
  bool FBeepOnInvalidKey = true;
  TColor FReadOnlyColor = clInfoBk;
  bool FReadOnlyColorOnFocus = false;
  bool FDropButtonVisible = false;
  bool FFlatButtons = false;
  TColor FFlatButtonColor = clBtnFace;
  TButtonState FButtonState = bsUp;
};

// Publishes the framing property set of a framed control E with its stored rules
// (a property the control's frame controller supplies is not written; Color only
// while enabled; FocusColor only when it differs from Color). WithButtons adds
// FlatButtons and FlatButtonColor.
template <class E>
void AddFramingProperties(TClassBuilder<E>& B, bool WithButtons) {
  auto free = [](TQvFrameControllerProperty P) {
    return [P](E* e) { return !ControllerOwns(e->FrameController(), e->FrameControllerNotifications(), P); };
  };
  const TIdentMap* colors = &ColorIdents();
  B.Int("Color", &E::Color, &E::SetColor, clWindow,
        [](E* e) { return !ControllerOwns(e->FrameController(), e->FrameControllerNotifications(), fcpColor) && e->Enabled(); },
        colors)
      .Int("DisabledColor", &E::DisabledColor, [](E* e, int64_t v) { e->SetDisabledColor(static_cast<TColor>(v)); },
           clBtnFace, free(fcpDisabledColor), colors)
      .Int("FocusColor", &E::FocusColor, [](E* e, int64_t v) { e->SetFocusColor(static_cast<TColor>(v)); }, clWindow,
           [](E* e) {
             return !ControllerOwns(e->FrameController(), e->FrameControllerNotifications(), fcpFocusColor) &&
                    ColorToRGB(e->FocusColor()) != ColorToRGB(e->Color());
           },
           colors)
      .Int("FrameColor", &E::FrameColor, [](E* e, int64_t v) { e->SetFrameColor(static_cast<TColor>(v)); },
           clBtnShadow, free(fcpFrameColor), colors)
      .template Object<TQvFrameController>("FrameController", &E::FrameController, &E::SetFrameController)
      .template Set<TQvFrameControllerProperty>("FrameControllerNotifications", &E::FrameControllerNotifications,
                                                &E::SetFrameControllerNotifications,
                                                TQvFrameControllerNotifications::FromInt(AllFrameControllerNotifications))
      .Int("FrameHotColor", &E::FrameHotColor, [](E* e, int64_t v) { e->SetFrameHotColor(static_cast<TColor>(v)); },
           clBtnShadow, free(fcpFrameHotColor), colors)
      .Bool("FrameHotTrack", &E::FrameHotTrack, &E::SetFrameHotTrack, false, free(fcpFrameHotTrack))
      .template Enum<TFrameStyle>("FrameHotStyle", &E::FrameHotStyle, &E::SetFrameHotStyle, fsFlatBold,
                                  free(fcpFrameHotStyle))
      .template Set<TSide>("FrameSides", &E::FrameSides, &E::SetFrameSides, AllSides, free(fcpFrameSides))
      .template Enum<TFrameStyle>("FrameStyle", &E::FrameStyle, &E::SetFrameStyle, fsFlat, free(fcpFrameStyle))
      .Bool("FrameVisible", &E::FrameVisible, &E::SetFrameVisible, false, free(fcpFrameVisible))
      .template Enum<TFramingPreference>("FramingPreference", &E::FramingPreference, &E::SetFramingPreference,
                                         fpXPThemes, free(fcpFramingPreference))
      .Int("ReadOnlyColor", &E::ReadOnlyColor, [](E* e, int64_t v) { e->SetReadOnlyColor(static_cast<TColor>(v)); },
           clInfoBk, free(fcpReadOnlyColor), colors)
      .Bool("ReadOnlyColorOnFocus", &E::ReadOnlyColorOnFocus, &E::SetReadOnlyColorOnFocus, false,
            free(fcpReadOnlyColorOnFocus));
  // Controls without a drop button (memo, rich edit) have no button accessors.
  if constexpr (requires(E* e) { e->FlatButtons(); })
  if (WithButtons) {
    B.Bool("FlatButtons", &E::FlatButtons, &E::SetFlatButtons, false, free(fcpFlatButtons))
        .Int("FlatButtonColor", &E::FlatButtonColor,
             [](E* e, int64_t v) { e->SetFlatButtonColor(static_cast<TColor>(v)); }, clBtnFace,
             free(fcpFlatButtonColor), colors);
  }
}

// The retired framing properties of old form streams, read into Control and never
// written: "FrameFlat" (hot tracking; true also means the fsStatus frame with the
// fsLowered hot frame), "FrameFocusStyle" (the hot style by name), "FrameFlatStyle"
// (dropped).
template <class E>
void DefineOldFramingProperties(TFiler* Filer, E* Control) {
  Filer->DefineProperty(
      "FrameFlat",
      [Control](TReader* R) {
        TValueType t = R->NextValue();
        if (t != vaTrue && t != vaFalse) return R->SkipValue();
        bool flat = R->ReadBoolean();
        Control->SetFrameHotTrack(flat);
        if (flat) {
          Control->SetFrameStyle(fsStatus);
          Control->SetFrameHotStyle(fsLowered);
        }
      },
      nullptr, false);
  Filer->DefineProperty(
      "FrameFocusStyle",
      [Control](TReader* R) {
        if (R->NextValue() != vaIdent) return R->SkipValue();
        std::string name = R->ReadIdent();
        int v = GetEnumValue(TEnumTraits<TFrameStyleEx>::Info(), name);
        if (v >= 0 && v < FrameStyleCount) Control->SetFrameHotStyle(static_cast<TFrameStyle>(v));
      },
      nullptr, false);
  Filer->DefineProperty("FrameFlatStyle", TQvOldPropReader::ReadOldEnumProp, nullptr, false);
}

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
