#pragma once
// The framing every framed edit, memo, list box and combo box shares: state
// colours (disabled, focused, read-only, normal), a frame drawn in one of the
// shared frame styles with a hot style while the control is focused or under the
// mouse, the sides that carry it, the framing preference, and a frame controller
// that may supply any of these.
//
// TQvFraming<Base> keeps that state once, with its setters and its colour rules.
// Its one hook is RepaintFrame: how the control gets its frame repainted (most
// invalidate the non-client frame; the combo box paints its frame in WM_PAINT and
// invalidates its client area instead). PublishFraming publishes the set with its
// stored rules, and DefineOldFramingProperties reads the three retired
// properties of old form streams.
#include <type_traits>

#include "controls/common/dialogs.h"
#include "controls/common/framecontroller.h"
#include "controls/common/frames.h"
#include "controls/common/themes.h"
#include "platform/controls/controls.h"
#include "platform/core/filer.h"
#include "platform/core/scope.h"
#include "platform/core/typinfo.h"

template <class Base>
class TQvFraming : public Base {
public:
  explicit TQvFraming(TComponent* AOwner) : Base(AOwner) {}
  ~TQvFraming() override {
    if (FFrameController) FFrameController->RemoveControl(this);
  }

  TColor DisabledColor() const { return FDisabledColor; }
  virtual void SetDisabledColor(TColor Value) {
    FDisabledColor = Value;
    if (!this->Enabled()) UpdateColors();
  }
  TColor FocusColor() const { return FFocusColor; }
  virtual void SetFocusColor(TColor Value) {
    if (Reading()) FFocusColorRead = true;
    FFocusColor = Value;
    if (FFocused) UpdateColors();
  }
  TColor ReadOnlyColor() const { return FReadOnlyColor; }
  virtual void SetReadOnlyColor(TColor Value) {
    FReadOnlyColor = Value;
    if (ReadOnlyValue()) UpdateColors();
  }
  bool ReadOnlyColorOnFocus() const { return FReadOnlyColorOnFocus; }
  virtual void SetReadOnlyColorOnFocus(bool Value) {
    if (FReadOnlyColorOnFocus == Value) return;
    FReadOnlyColorOnFocus = Value;
    UpdateColors();
  }
  TColor FrameColor() const { return FFrameColor; }
  virtual void SetFrameColor(TColor Value) { SetAndRepaint(FFrameColor, Value); }
  TColor FrameHotColor() const { return FFrameHotColor; }
  virtual void SetFrameHotColor(TColor Value) { SetAndRepaint(FFrameHotColor, Value); }
  TFrameStyle FrameHotStyle() const { return FFrameHotStyle; }
  // fsFlatRounded is not a frame style of these controls and is refused.
  virtual void SetFrameHotStyle(TFrameStyle Value) {
    if (Value != fsFlatRounded) SetAndRepaint(FFrameHotStyle, Value);
  }
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  virtual void SetFrameStyle(TFrameStyle Value) {
    if (Value != fsFlatRounded) SetAndRepaint(FFrameStyle, Value);
  }
  TSides FrameSides() const { return FFrameSides; }
  virtual void SetFrameSides(TSides Value) { SetAndRepaint(FFrameSides, Value); }
  bool FrameHotTrack() const { return FFrameHotTrack; }
  // Turning hot tracking on shows the frame and, outside loading, on all sides.
  virtual void SetFrameHotTrack(bool Value) {
    if (FFrameHotTrack == Value) return;
    FFrameHotTrack = Value;
    if (Value) {
      // A FrameVisible the stream being read holds stays as read.
      if (!(Reading() && FFrameVisibleRead)) SetFrameVisible(true);
      if (!this->ComponentState().Contains(csLoading)) SetFrameSides(AllSides);
    }
    RepaintFrame();
    this->Invalidate();
  }
  bool FrameVisible() const { return FFrameVisible; }
  // The frame replaces the standard border, which the window gets when created:
  // the window is recreated. While a form is read the 3-D look is left to Loaded, so
  // that Ctl3D lines keep their values whatever their order.
  virtual void SetFrameVisible(bool Value) {
    if (Reading()) FFrameVisibleRead = true;
    if (FFrameVisible == Value) return;
    FFrameVisible = Value;
    if (Value && !Reading()) this->SetCtl3D(true);
    this->RecreateWnd();
  }
  TFramingPreference FramingPreference() const { return FFramingPreference; }
  virtual void SetFramingPreference(TFramingPreference Value) {
    if (FFramingPreference == Value) return;
    FFramingPreference = Value;
    if (Value == fpCustomFraming) RepaintFrame();
  }
  TQvFrameController* FrameController() const { return FFrameController; }
  virtual void SetFrameController(TQvFrameController* Value) { SwitchFrameController(FFrameController, Value, this); }
  TQvFrameControllerNotifications FrameControllerNotifications() const { return FFrameControllerNotifications; }
  void SetFrameControllerNotifications(TQvFrameControllerNotifications Value) { FFrameControllerNotifications = Value; }

  // Whether the attached controller supplies Property (then it is not written to
  // form streams).
  bool ControllerSupplies(TQvFrameControllerProperty Property) const {
    return FFrameController && FFrameControllerNotifications.Contains(Property);
  }
  // Themed drawing wins over the custom frame when themes are on.
  virtual bool UseThemes() { return FFramingPreference == fpXPThemes && ThemeServices()->ThemesEnabled(); }
  // Whether the read-only colours apply (controls without a read-only state: never).
  virtual bool ReadOnlyValue() { return false; }
  // The colour the control has now for its state (disabled, focused, read-only).
  TColor StateColor() {
    if (!this->Enabled()) return FDisabledColor;
    if (FFocused) return ReadOnlyValue() && FReadOnlyColorOnFocus ? FReadOnlyColor : FFocusColor;
    return ReadOnlyValue() ? FReadOnlyColor : FNormalColor;
  }
  // The colour of the normal state (what Color holds while the control is enabled,
  // unfocused and not read-only): the one form streams keep.
  TColor NormalColor() const { return FNormalColor; }
  bool IsFocusedFlag() const { return FFocused; }
  bool IsMouseOver() const { return FMouseOver; }

  // ParentColor as a form stream sets it. Written forms hold it after Color, but a
  // Color line read after it clears it again: a ParentColor the stream turned on is
  // turned on again once the form is loaded.
  void SetParentColorRead(bool Value) {
    if (Reading()) FParentColorRead = Value;
    this->SetParentColor(Value);
  }

  void DefineProperties(TFiler* Filer) override;
  // The rules a form's values meet run once every line is read: a frame shown while
  // reading gives the 3-D look unless the stream set Ctl3D or ParentCtl3D; a
  // ParentColor read stays on whatever colour lines came after it.
  void Loaded() override {
    bool ctl3DRead = this->Ctl3DRead();
    bool shown = FFrameVisibleRead && FFrameVisible;
    // An attached controller that supplies ParentColor has the last word on it,
    // wherever it stands in the form.
    if (FParentColorRead && !this->ParentColor() && !ControllerSupplies(fcpParentColor))
      this->SetParentColor(true);
    Base::Loaded();
    FFocusColorRead = FFrameVisibleRead = FParentColorRead = false;
    if (shown && !ctl3DRead) FrameShownCtl3D();
  }

protected:
  // The one hook: gets the control's frame repainted.
  virtual void RepaintFrame() = 0;
  // The 3-D look a shown frame gives when a form is loaded.
  virtual void FrameShownCtl3D() { this->SetCtl3D(true); }
  bool Reading() const { return this->ComponentState().Contains(csReading); }
  // Color := the state colour (not while loading). ParentColor stays as it is: it
  // says where the normal colour comes from, and a read-only or disabled control
  // that follows its parent shows its state colour over it.
  virtual void UpdateColors() {
    if (this->ComponentState().Contains(csLoading)) return;
    TColor c = StateColor();
    if (c == this->Color()) return;
    TRestore updating(FUpdatingColor, true);
    this->ShowStateColor(c);
  }
  // The focused (InFocus, ViaMouse false) or hovered (ViaMouse true) state
  // changed: the hot frame follows, then the colours.
  virtual void UpdateFrame(bool ViaMouse, bool InFocus) {
    if (ViaMouse) FMouseOver = InFocus;
    else FFocused = InFocus;
    if (FFrameHotTrack) RepaintFrame();
    UpdateColors();
  }
  // After CM_COLORCHANGED or CM_PARENTCOLORCHANGED: a colour that came from
  // outside UpdateColors (or from the parent, with ParentColor) becomes the normal
  // colour, and a focus colour that equalled the old one follows it.
  void FollowOutsideColor(bool FromParent) {
    if (FUpdatingColor || (FromParent && !this->ParentColor())) return;
    if (FFocusColor == FNormalColor && !FFocusColorRead) FFocusColor = this->Color();
    FNormalColor = this->Color();
    // The parent's colour is the normal one: a state colour stays shown over it.
    if (FromParent) UpdateColors();
  }
  // Whether the hot frame is drawn now.
  bool FrameHot() const { return FFrameHotTrack && (FFocused || FMouseOver); }
  // Draws the frame over the whole window (Width x Height) on Canvas, which holds
  // the window DC.
  void DrawWindowFrame(TCanvas* Canvas) {
    bool hot = FrameHot();
    DrawFrame(Canvas, this->Width(), this->Height(), hot ? FFrameHotStyle : FFrameStyle, this->Color(),
              hot ? FFrameHotColor : FFrameColor, FFrameSides, false);
  }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    Base::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFrameController) FFrameController = nullptr;
  }

  TColor FDisabledColor = clBtnFace;
  TColor FFocusColor = clWindow;
  TColor FNormalColor = clWindow;
  TColor FReadOnlyColor = clInfoBk;
  bool FReadOnlyColorOnFocus = false;
  TColor FFrameColor = clBtnShadow;
  TColor FFrameHotColor = clBtnShadow;
  TQvFrameController* FFrameController = nullptr;
  TQvFrameControllerNotifications FFrameControllerNotifications =
      TQvFrameControllerNotifications::FromInt(AllFrameControllerNotifications);
  bool FFrameHotTrack = false;
  TFrameStyle FFrameHotStyle = fsFlatBold;
  TSides FFrameSides = AllSides;
  TFrameStyle FFrameStyle = fsFlat;
  bool FFrameVisible = false;
  TFramingPreference FFramingPreference = fpXPThemes;
  bool FUpdatingColor = false;  // while UpdateColors sets Color
  // The stream being read has set FocusColor / FrameVisible / ParentColor on (until
  // Loaded).
  bool FFocusColorRead = false, FFrameVisibleRead = false, FParentColorRead = false;
  bool FFocused = false;
  bool FMouseOver = false;

private:
  template <class T>
  void SetAndRepaint(T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    RepaintFrame();
  }
};

// The window frame repaint of the controls whose frame is in the non-client area.
inline void RepaintWindowFrame(TWinControl* Control, const TRect& Rect) {
  if (Control->HandleAllocated()) InvalidateWindowFrame(Control->Handle(), Rect);
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

template <class Base>
void TQvFraming<Base>::DefineProperties(TFiler* Filer) {
  Base::DefineProperties(Filer);
  DefineOldFramingProperties(Filer, this);
}

// ParentColor of a framed control, published with its default False: a ParentColor
// a form turns on stays on whatever colour lines the form has after it (see
// TQvFraming::SetParentColorRead).
template <class C>
TPropInfo FramingParentColor() {
  TPropInfo p = TControl::Property("ParentColor", 0);
  p.SetOrd = [](TObject* o, int64_t v) { static_cast<C*>(o)->SetParentColorRead(v != 0); };
  return p;
}

// Which optional members of the framing set a class publishes.
struct TFramingSet {
  bool ReadOnlyColors = true;   // ReadOnlyColor, ReadOnlyColorOnFocus
  bool FlatButtons = false;     // FlatButtons (controls with a drop button)
  bool FlatButtonColor = false; // FlatButtonColor, when the controller may supply it
};

// Publishes the framing set of a TQvFraming control C, with its stored rules: a
// property the attached frame controller supplies is not written; Color is written
// as the normal state's colour (a disabled, focused or read-only control shows
// another one, which must not replace it in the stream); FocusColor only when it
// differs from that colour as set (two colour constants of one RGB value are two
// values: a reader gives a focus colour left out the normal colour itself). FrameController and the notifications
// are always written. Publish it before ParentColor (FramingParentColor): reading
// Color clears ParentColor, so written forms hold ParentColor after it.
template <class C>
TClassBuilder<C>& PublishFraming(TClassBuilder<C>& B, TFramingSet Set = {}) {
  using P = TQvFrameControllerProperty;
  auto free = [](P Property) { return [Property](C* c) { return !c->ControllerSupplies(Property); }; };
  auto color = [](void (C::*Setter)(TColor)) { return [Setter](C* c, int64_t v) { (c->*Setter)(static_cast<TColor>(v)); }; };
  const TIdentMap* idents = &ColorIdents();
  B.Int("Color", &C::NormalColor, &C::SetColor, clWindow, [](C* c) { return !c->ControllerSupplies(fcpColor); },
        idents)
      .Int("DisabledColor", &C::DisabledColor, color(&C::SetDisabledColor), clBtnFace, free(fcpDisabledColor), idents)
      .Int("FocusColor", &C::FocusColor, color(&C::SetFocusColor), clWindow,
           [](C* c) {
             return !c->ControllerSupplies(fcpFocusColor) && c->FocusColor() != c->NormalColor();
           },
           idents)
      // A focus colour left out follows Color when read.
      .Implied([](C* c) { return std::optional<int64_t>(c->NormalColor()); })
      .Int("FrameColor", &C::FrameColor, color(&C::SetFrameColor), clBtnShadow, free(fcpFrameColor), idents)
      .template Object<TQvFrameController>("FrameController", &C::FrameController, &C::SetFrameController)
      .template Set<P>("FrameControllerNotifications", &C::FrameControllerNotifications,
                       &C::SetFrameControllerNotifications,
                       TQvFrameControllerNotifications::FromInt(AllFrameControllerNotifications))
      .Int("FrameHotColor", &C::FrameHotColor, color(&C::SetFrameHotColor), clBtnShadow, free(fcpFrameHotColor),
           idents)
      .Bool("FrameHotTrack", &C::FrameHotTrack, &C::SetFrameHotTrack, false, free(fcpFrameHotTrack))
      .template Enum<TFrameStyle>("FrameHotStyle", &C::FrameHotStyle, &C::SetFrameHotStyle, fsFlatBold,
                                  free(fcpFrameHotStyle))
      .template Set<TSide>("FrameSides", &C::FrameSides, &C::SetFrameSides, AllSides, free(fcpFrameSides))
      .template Enum<TFrameStyle>("FrameStyle", &C::FrameStyle, &C::SetFrameStyle, fsFlat, free(fcpFrameStyle))
      .Bool("FrameVisible", &C::FrameVisible, &C::SetFrameVisible, false, free(fcpFrameVisible))
      // Hot tracking read shows the frame unless the stream says otherwise.
      .Implied([](C* c) { return c->FrameHotTrack() ? std::optional<int64_t>(1) : std::nullopt; })
      .template Enum<TFramingPreference>("FramingPreference", &C::FramingPreference, &C::SetFramingPreference,
                                         fpXPThemes, free(fcpFramingPreference));
  if (Set.ReadOnlyColors)
    B.Int("ReadOnlyColor", &C::ReadOnlyColor, color(&C::SetReadOnlyColor), clInfoBk, free(fcpReadOnlyColor), idents)
        .Bool("ReadOnlyColorOnFocus", &C::ReadOnlyColorOnFocus, &C::SetReadOnlyColorOnFocus, false,
              free(fcpReadOnlyColorOnFocus));
  // Only controls with a drop button have the button accessors.
  if constexpr (requires(C* c) { c->FlatButtons(); c->FlatButtonColor(); }) {
    if (Set.FlatButtons) B.Bool("FlatButtons", &C::FlatButtons, &C::SetFlatButtons, false, free(fcpFlatButtons));
    if (Set.FlatButtonColor)
      B.Int("FlatButtonColor", &C::FlatButtonColor, color(&C::SetFlatButtonColor), clBtnFace,
            free(fcpFlatButtonColor), idents);
  }
  return B;
}
