#include "controls/basic/radiocheck.h"

#include <memory>

#include "controls/common/colors.h"
#include "controls/common/gradients.h"
#include "controls/common/themes.h"
#include "controls/common/utils.h"
#include "platform/controls/actions.h"
#include "platform/core/filer.h"
#include "platform/core/scope.h"
#include "platform/core/typinfo.h"

namespace {

// Checked is stored unless the action supplies it.
template <class S>
bool CheckedStored(S* s) {
  return !s->ActionLink() || !s->ActionLink()->IsCheckedLinked();
}

// The published set both glyph buttons share.
template <class S>
TClassBuilder<S>& GlyphButtonProps(TClassBuilder<S>& b) {
  b.template Enum<TAlignment>("Alignment", &S::Alignment, &S::SetAlignment, taRightJustify)
      .template Enum<TAlignmentVertical>("AlignmentVertical", &S::AlignmentVertical, &S::SetAlignmentVertical, avTop)
      .template Object<TBitmap>("CustomGlyphs", &S::CustomGlyphs, &S::SetCustomGlyphs,
                       [](S* s) { return !s->CustomGlyphs()->Empty(); })
      .Int("DisabledColor", &S::DisabledColor, &S::SetDisabledColor, clBtnFace, {}, &ColorIdents())
      .Int("FillColor", &S::FillColor, &S::SetFillColor, clWindow, {}, &ColorIdents())
      .Int("FocusColor", &S::FocusColor, &S::SetFocusColor, clWindow, {}, &ColorIdents())
      .Int("FrameColor", &S::FrameColor, &S::SetFrameColor, clBtnShadow, {}, &ColorIdents())
      .template Object<TQvFrameController>("FrameController", &S::FrameController, &S::SetFrameController)
      .template Set<TQvFrameControllerProperty>("FrameControllerNotifications", &S::FrameControllerNotifications,
                                                &S::SetFrameControllerNotifications,
                                                TQvFrameControllerNotifications::FromInt(0xFFFF))
      .template Enum<TQvButtonHotTrackStyle>("HotTrackStyle", &S::HotTrackStyle, &S::SetHotTrackStyle, htsInterior)
      .Bool("ReadOnly", &S::ReadOnly, &S::SetReadOnly, false)
      .Int("ReadOnlyColor", &S::ReadOnlyColor, &S::SetReadOnlyColor, clInfoBk, {}, &ColorIdents())
      .Bool("ReadOnlyColorOnFocus", &S::ReadOnlyColorOnFocus, &S::SetReadOnlyColorOnFocus, false)
      .Bool("TabOnEnter", &S::TabOnEnter, &S::SetTabOnEnter, false)
      .Int("TransparentColor", &S::TransparentColor, &S::SetTransparentColor, 0x008080, {}, &ColorIdents())
      .Bool("UseCustomGlyphs", &S::UseCustomGlyphs, &S::SetUseCustomGlyphs, false)
      // A strip read turns custom glyphs on: written whenever it differs from that.
      .Implied([](S* s) { return std::optional<int64_t>(!s->CustomGlyphs()->Empty()); })
      .Int("WinMaskColor", &S::WinMaskColor, &S::SetWinMaskColor, 0x00FF00, {}, &ColorIdents())
      .template Object<TBasicAction>("Action", &S::Action, &S::SetAction)
      // Written whenever the control keeps a colour of its own: a new button takes
      // its parent's colour, so an own clWindow left out would come back as that.
      .Prop(TControl::Property("Color", std::nullopt))
      .Prop(TControl::Property("ParentColor", 1));
  return PublishInherited(b, {"Align", "Anchors", "BiDiMode", "ParentBiDiMode", "Caption", "Constraints",
                              "DragCursor", "DragKind", "DragMode",
                              "Enabled", "Font", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder",
                              "Visible", "OnClick", "OnContextPopup", "OnDblClick", "OnDragDrop", "OnDragOver",
                              "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp",
                              "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"});
}

}  // namespace

// ---------------------------------------------------------------------------
// TQvCustomGlyphButton
// ---------------------------------------------------------------------------

const TClassInfo& TQvCustomGlyphButton::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvCustomGlyphButton>("TQvCustomGlyphButton", &TQvCustomButton::StaticClass()).Build();
  return info;
}

TQvCustomGlyphButton::TQvCustomGlyphButton(TComponent* AOwner) : TQvCustomButton(AOwner) {
  FControlStyle << csSetCaption << csReplicatable;
  FCustomGlyphs = new TBitmap();
  FCustomGlyphs->OnChange = [this](TObject* s) { CustomGlyphsChanged(s); };
  FBackground = new TBitmap();
  SetColor(clWindow);
  SetParentColor(true);
  SetAlignmentVertical(avTop);
}

TQvCustomGlyphButton::~TQvCustomGlyphButton() {
  if (FFrameController) FFrameController->RemoveControl(this);
  delete FCustomGlyphs;
  delete FBackground;
}


QV_SETTER(TQvCustomGlyphButton, Alignment, TLeftRight, FAlignment)
QV_SETTER(TQvCustomGlyphButton, FrameColor, TColor, FFrameColor)
QV_SETTER(TQvCustomGlyphButton, TransparentColor, TColor, FTransparentColor)
QV_SETTER(TQvCustomGlyphButton, WinMaskColor, TColor, FWinMaskColor)
QV_SETTER(TQvCustomGlyphButton, FillColor, TColor, FFillColor)
QV_SETTER(TQvCustomGlyphButton, FocusColor, TColor, FFocusColor)
QV_SETTER(TQvCustomGlyphButton, DisabledColor, TColor, FDisabledColor)
QV_SETTER(TQvCustomGlyphButton, ReadOnly, bool, FReadOnly)
QV_SETTER(TQvCustomGlyphButton, ReadOnlyColor, TColor, FReadOnlyColor)
QV_SETTER(TQvCustomGlyphButton, ReadOnlyColorOnFocus, bool, FReadOnlyColorOnFocus)
QV_SETTER(TQvCustomGlyphButton, HotTrackStyle, TQvButtonHotTrackStyle, FHotTrackStyle)

void TQvCustomGlyphButton::SetTransparent(bool Value) {
  FBackgroundDirty = true;
  inherited::SetTransparent(Value);
}

void TQvCustomGlyphButton::SetFrameController(TQvFrameController* Value) {
  SwitchFrameController(FFrameController, Value, this);
}

void TQvCustomGlyphButton::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFrameController) FFrameController = nullptr;
}

void TQvCustomGlyphButton::SetUseCustomGlyphs(bool Value) {
  if (ComponentState().Contains(csReading)) FUseCustomGlyphsRead = true;
  if (Value == FUseCustomGlyphs) return;
  FUseCustomGlyphs = Value;
  ApplyGlyphSize();
  Invalidate();
}

void TQvCustomGlyphButton::ApplyGlyphSize() {
  if (FUseCustomGlyphs && FGlyphCount > 0 && !FCustomGlyphs->Empty()) {
    FGlyphWidth = FCustomGlyphs->Width() / FGlyphCount;
    FGlyphHeight = FCustomGlyphs->Height();
  } else {
    FGlyphWidth = 13;
    FGlyphHeight = 13;
  }
}

void TQvCustomGlyphButton::SetCustomGlyphs(TBitmap* Value) { FCustomGlyphs->Assign(Value); }

// A new strip turns custom glyphs on (an empty one off); a UseCustomGlyphs the form
// being read gives stays as read, whichever line comes first. The glyph size follows
// the strip either way.
void TQvCustomGlyphButton::CustomGlyphsChanged(TObject*) {
  if (!(ComponentState().Contains(csReading) && FUseCustomGlyphsRead)) FUseCustomGlyphs = !FCustomGlyphs->Empty();
  ApplyGlyphSize();
  FBackgroundDirty = true;
  Invalidate();
}

void TQvCustomGlyphButton::Loaded() {
  inherited::Loaded();
  FUseCustomGlyphsRead = false;
}

void TQvCustomGlyphButton::ExtractGlyph(int Index, TBitmap* Glyph, TBitmap* Source, int W, int H) {
  Glyph->SetSize(W, H);
  TRect src(Index * W, 0, (Index + 1) * W, H);
  Glyph->Canvas()->CopyRect({0, 0, W, H}, Source->Canvas(), src);
}

void TQvCustomGlyphButton::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(
      "Flat",
      [this](TReader* R) {
        TValueType t = R->NextValue();
        if (t != vaTrue && t != vaFalse) return R->SkipValue();
        SetHotTrack(R->ReadBoolean());
      },
      nullptr, false);
}

void TQvCustomGlyphButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  inherited::ActionChange(Sender, CheckDefaults);
  if (auto* a = dynamic_cast<TCustomAction*>(Sender)) {
    if (!CheckDefaults || !GetChecked()) {
      TRestore quiet(FClicksDisabled, true);
      SetChecked(a->Checked());
    }
  }
}

TControlActionLink* TQvCustomGlyphButton::CreateActionLink() { return new TQvCheckedActionLink(this); }

bool TQvCheckedActionLink::IsCheckedLinked() {
  return TWinControlActionLink::IsCheckedLinked() && FButton->GetChecked() == CustomAction()->Checked();
}

void TQvCheckedActionLink::SetChecked(bool Value) {
  if (!IsCheckedLinked()) return;
  TRestore quiet(FButton->FClicksDisabled, true);
  FButton->SetChecked(Value);
}

const TClassInfo& TQvCheckedActionLink::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvCheckedActionLink>("TQvCheckedActionLink", &inherited::StaticClass()).Build();
  return info;
}

bool TQvCustomGlyphButton::CaptionLeftOfGlyph() {
  // Alignment names the caption's side of the glyph, mirrored right to left.
  return UseRightToLeftAlignment() == (FAlignment == taRightJustify);
}

TAlignment TQvCustomGlyphButton::GetControlsAlignment() {
  if (!UseRightToLeftAlignment()) return taRightJustify;
  return FAlignment == taRightJustify ? taLeftJustify : taRightJustify;
}

TRect TQvCustomGlyphButton::GlyphRect() {
  int x = CaptionLeftOfGlyph() ? Width() - FGlyphWidth : 0;
  int y = 2;
  if (AlignmentVertical() == avCenter) y = (Height() - FGlyphHeight) / 2;
  else if (AlignmentVertical() == avBottom) y = Height() - FGlyphHeight - 2;
  return Bounds(x, y, FGlyphWidth, FGlyphHeight);
}

TQvButtonDisplayState TQvCustomGlyphButton::DisplayState() const {
  if (!Enabled()) return bdsDisabled;
  if (FPressed) return bdsDown;
  if (FMouseOver) return bdsHot;
  return bdsNormal;
}

void TQvCustomGlyphButton::HotColors(TColor& Hot, TColor& HotFrame) const {
  if (HotTrackColorType() == htctActual) {
    Hot = BlendColors(0xFFFFFF, HotTrackColor(), 190);
    HotFrame = HotTrackColor();
  } else {
    Hot = ComplementaryColor(HotTrackColor(), 180);
    HotFrame = DarkerColor(Hot, 30);
  }
}

void TQvCustomGlyphButton::UpdateBackground() {
  FBackground->SetSize(Width(), Height());
  if (Transparent()) {
    DrawParentImage(this, FBackground->Canvas());
  } else {
    FBackground->Canvas()->Brush()->SetColor(Color());
    FBackground->Canvas()->FillRect({0, 0, Width(), Height()});
  }
  FBackgroundDirty = false;
}

void TQvCustomGlyphButton::DrawGlyph(TCanvas* Canvas) {
  auto glyph = std::make_unique<TBitmap>(FGlyphWidth, FGlyphHeight);
  SelectGlyph(glyph.get());
  TRect at = GlyphRect();
  TRect g(0, 0, FGlyphWidth, FGlyphHeight);
  auto composed = std::make_unique<TBitmap>(FGlyphWidth, FGlyphHeight);
  if (Transparent()) {
    composed->Canvas()->CopyRect(g, Canvas, at);
    TColor key = ThemeServices()->ThemesEnabled() ? clBtnFace : FTransparentColor;
    DrawFullTransparentBitmap(composed->Canvas(), glyph.get(), g, g, key);
  } else {
    composed->Canvas()->Brush()->SetColor(Color());
    composed->Canvas()->BrushCopy(g, glyph.get(), g, FTransparentColor);
  }
  if (FUseCustomGlyphs) {
    auto result = std::make_unique<TBitmap>(FGlyphWidth, FGlyphHeight);
    result->Canvas()->Brush()->SetColor(clWindow);
    result->Canvas()->BrushCopy(g, composed.get(), g, FWinMaskColor);
    composed = std::move(result);
  }
  if (Transparent()) BlendButtonFrame(composed.get());
  Canvas->Draw(at.Left, at.Top, composed.get());
}

void TQvCustomGlyphButton::Paint() {
  if (ComponentState().Contains(csDestroying)) return;
  auto work = std::make_unique<TBitmap>(Width(), Height());
  TCanvas* wc = work->Canvas();
  wc->SetFont(Font());
  wc->Brush()->SetColor(Color());
  if (FBackgroundDirty) UpdateBackground();
  wc->Draw(0, 0, FBackground);
  DrawGlyph(wc);
  TRect r = ClientRect();
  InflateRect(r, -1, -1);
  if (CaptionLeftOfGlyph()) r.Right -= FGlyphWidth + 4;
  else r.Left += FGlyphWidth + 4;
  const bool rtl = UseRightToLeftAlignment();
  Draw3DText(wc, r, DT_WORDBREAK | DT_EXPANDTABS | (rtl ? DT_RIGHT : 0));
  InflateRect(r, 1, 1);
  std::string caption = Caption();
  if (Focused() && !caption.empty()) {
    wc->SetFont(Font());
    int w = std::min(r.Width(), wc->TextWidth(Trim(caption)) + 3);
    if (rtl) r.Left = r.Right - w;
    else r.Right = r.Left + w;
    DrawFocusBorder(wc, r);
  }
  Canvas()->Draw(0, 0, work.get());
}

void TQvCustomGlyphButton::PaintBackground(HDC DC) {
  if (Transparent()) DrawParentImage(this, DC, true);
}

void TQvCustomGlyphButton::KeyPress(char& Key) {
  if (FTabOnEnter && Key == '\r') {
    Key = 0;
    PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
  }
  inherited::KeyPress(Key);
}

void TQvCustomGlyphButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FMousePressed = true;
  inherited::MouseDown(Button, Shift, X, Y);
}

void TQvCustomGlyphButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  FMousePressed = false;
}

void TQvCustomGlyphButton::CustomFramingChanged() {
  if (!FFrameController || !FFrameController->FrameVisible()) return;
  TQvFrameController* c = FFrameController;
  SetHotTrack(true);
  if (FNotifications.Contains(fcpColor)) SetFillColor(c->Color());
  if (FNotifications.Contains(fcpFrameColor)) SetFrameColor(c->FrameColor());
  if (FNotifications.Contains(fcpFocusColor)) SetFocusColor(c->FocusColor());
  if (FNotifications.Contains(fcpDisabledColor)) SetDisabledColor(c->DisabledColor());
  if (FNotifications.Contains(fcpReadOnlyColor)) SetReadOnlyColor(c->ReadOnlyColor());
  if (FNotifications.Contains(fcpReadOnlyColorOnFocus)) SetReadOnlyColorOnFocus(c->ReadOnlyColorOnFocus());
  if (FNotifications.Contains(fcpFrameHotTrack)) SetHotTrackStyle(c->FrameHotTrack() ? htsFrame : htsInterior);
  if (FNotifications.Contains(fcpFrameHotColor) && FHotTrackStyle == htsFrame) SetHotTrackColor(c->FrameHotColor());
  Invalidate();
}

void TQvCustomGlyphButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_ERASEBKGND:
      inherited::Dispatch(M);
      FBackgroundDirty = true;
      break;
    case WM_SIZE:
      FBackgroundDirty = true;
      inherited::Dispatch(M);
      break;
    case CM_ENABLEDCHANGED:
    case CM_PARENTCOLORCHANGED:
      FBackgroundDirty = true;
      inherited::Dispatch(M);
      Invalidate();
      break;
    case CM_COLORCHANGED:
      FBackgroundDirty = true;
      inherited::Dispatch(M);
      break;
    default:
      inherited::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------
// TQvRadioButton
// ---------------------------------------------------------------------------

const TClassInfo& TQvRadioButton::StaticClass() {
  using S = TQvRadioButton;
  static const TClassInfo info = [] {
    TClassBuilder<S> b("TQvRadioButton", &TQvCustomGlyphButton::StaticClass());
    b.Component().Bool("Checked", &S::GetChecked, &S::SetChecked, false, &CheckedStored<S>);
    // The checked button is the tab stop: a TabStop read stays as read, and one left
    // out beside Checked reads as True.
    TPropInfo tabStop = TControl::Property("TabStop", 0);
    tabStop.SetOrd = [set = tabStop.SetOrd](TObject* o, int64_t v) {
      auto* r = static_cast<S*>(o);
      if (r->ComponentState().Contains(csReading)) r->FTabStopRead = true;
      set(o, v);
    };
    tabStop.Implied = [](TObject* o) {
      return static_cast<S*>(o)->GetChecked() ? std::optional<int64_t>(1) : std::nullopt;
    };
    GlyphButtonProps(b).Prop(tabStop);
    return b.Build();
  }();
  return info;
}

TQvRadioButton::TQvRadioButton(TComponent* AOwner) : TQvCustomGlyphButton(AOwner) {
  FGlyphCount = 6;
  SetTabStop(false);
}

void TQvRadioButton::Loaded() {
  inherited::Loaded();
  FTabStopRead = false;
}

void TQvRadioButton::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  if (!(ComponentState().Contains(csReading) && FTabStopRead)) SetTabStop(Value);
  UpdateDisplay();
  if (!Value) return;
  if (TWinControl* p = Parent())
    for (int i = 0; i < p->ControlCount(); ++i)
      if (auto* r = dynamic_cast<TQvRadioButton*>(p->Controls(i)); r && r != this) r->SetChecked(false);
  if (!FClicksDisabled) Click();
}

void TQvRadioButton::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  UpdateDisplay();
  if (TWinControl* p = Parent())
    for (int i = 0; i < p->ControlCount(); ++i)
      if (auto* r = dynamic_cast<TQvRadioButton*>(p->Controls(i)); r && r != this) r->SetReadOnly(Value);
}

void TQvRadioButton::ChangeState() {
  if (!FChecked && !FReadOnly) SetChecked(true);
}

void TQvRadioButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_DIALOGCHAR: {
      TWMKey k(M);
      if (IsAccel(k.CharCode(), Caption()) && CanFocus()) {
        SetFocus();
        M.Result = 1;
      } else {
        inherited::Dispatch(M);
      }
      break;
    }
    case CM_DIALOGKEY: {
      TWMKey k(M);
      TShiftState s = KeyDataToShiftState(k.KeyData());
      if (k.CharCode() == VK_DOWN && !s.Contains(ssShift) && !s.Contains(ssCtrl) && !s.Contains(ssAlt) &&
          CanFocus()) {
        if (!FClicksDisabled) Click();
        M.Result = 1;
      } else {
        inherited::Dispatch(M);
      }
      break;
    }
    case WM_SETFOCUS:
      inherited::Dispatch(M);
      if (!FMousePressed && !FReadOnly) SetChecked(true);
      break;
    case WM_LBUTTONDBLCLK:
      inherited::Dispatch(M);
      DblClick();
      break;
    case BM_GETCHECK:
      M.Result = FChecked ? 1 : 0;
      break;
    default:
      inherited::Dispatch(M);
  }
}

void TQvRadioButton::SelectGlyph(TBitmap* Glyph) {
  TCanvas* c = Glyph->Canvas();
  TRect r(0, 0, GlyphWidth(), GlyphHeight());
  if (UseCustomGlyphs()) {
    int index = FChecked ? 1 : 0;
    if (!Enabled()) index += 4;
    else if (FPressed) index += 2;
    ExtractGlyph(index, Glyph, CustomGlyphs(), GlyphWidth(), GlyphHeight());
  } else if (ThemeServices()->ThemesEnabled()) {
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    int state = !Enabled() ? 3 : FPressed ? 2 : FMouseOver ? 1 : 0;
    auto e = static_cast<TThemedButton>(static_cast<int>(FChecked ? tbRadioButtonCheckedNormal
                                                                   : tbRadioButtonUncheckedNormal) + state);
    ThemeServices()->DrawElement(c->Handle(), ThemeServices()->GetElementDetails(e), r);
  } else if (HotTrack()) {
    TColor hot, hotFrame;
    HotColors(hot, hotFrame);
    DrawRadioButton(c, r, FChecked, DisplayState(), Focused(), HotTrackStyle(), FrameColor(), HighlightColor(),
                    FillColor(), FocusColor(), DisabledColor(), hot, hotFrame, Color(), Transparent(),
                    TransparentColor(), FReadOnly, ReadOnlyColorOnFocus(), ReadOnlyColor());
  } else {
    c->Brush()->SetColor(TransparentColor());
    c->FillRect(r);
    unsigned flags = DFCS_BUTTONRADIO | DFCS_TRANSPARENT;
    if (FChecked) flags |= DFCS_CHECKED;
    if (FPressed) flags |= DFCS_PUSHED;
    if (!Enabled()) flags |= DFCS_INACTIVE;
    DrawFrameControl(c->Handle(), &r, DFC_BUTTON, flags);
  }
}

// Softens the hot-track circle's outline into what lies under a transparent button:
// 'x' pixels take half the frame colour, 'o' pixels a sixth of it.
//   . . . o x . . . x o . . .
//   . . x . . . . . . . x . .
//   . x . . . . . . . . . x .
//   o . . . . . . . . . . . o
//   x . . . . . . . . . . . x      (rows 5..7 blank at the edges)
void TQvRadioButton::BlendButtonFrame(TBitmap* Glyph) {
  // The pixel positions belong to the library's 13 x 13 circle; other glyphs are
  // left alone.
  if (Glyph->Width() != 13 || Glyph->Height() != 13 || UseCustomGlyphs()) return;
  static const int half[][2] = {{4, 0}, {8, 0}, {2, 1}, {10, 1}, {1, 2}, {11, 2}, {0, 4}, {12, 4},
                                {0, 8}, {12, 8}, {1, 10}, {11, 10}, {2, 11}, {10, 11}, {4, 12}, {8, 12}};
  static const int light[][2] = {{3, 0}, {9, 0}, {0, 3}, {12, 3}, {0, 9}, {12, 9}, {3, 12}, {9, 12}};
  TCanvas* c = Glyph->Canvas();
  for (auto& p : half) c->SetPixels(p[0], p[1], BlendColors(FrameColor(), c->Pixels(p[0], p[1]), 128));
  for (auto& p : light) c->SetPixels(p[0], p[1], BlendColors(FrameColor(), c->Pixels(p[0], p[1]), 40));
}

// ---------------------------------------------------------------------------
// TQvCustomCheckBox
// ---------------------------------------------------------------------------



const TClassInfo& TQvCustomCheckBox::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvCustomCheckBox>("TQvCustomCheckBox", &TQvCustomGlyphButton::StaticClass()).Build();
  return info;
}

const TClassInfo& TQvCheckBox::StaticClass() {
  using S = TQvCheckBox;
  static const TClassInfo info = [] {
    TClassBuilder<S> b("TQvCheckBox", &TQvCustomCheckBox::StaticClass());
    b.Component()
        .Bool("AllowGrayed", &S::AllowGrayed, &S::SetAllowGrayed, false)
        .Bool("Checked", &S::GetChecked, &S::SetChecked, false, &CheckedStored<S>)
        .template Enum<TCheckBoxState>("State", &S::State, &S::SetState, cbUnchecked);
    GlyphButtonProps(b).Prop(TControl::Property("TabStop", 1));
    return b.Build();
  }();
  return info;
}

TQvCustomCheckBox::TQvCustomCheckBox(TComponent* AOwner) : TQvCustomGlyphButton(AOwner) { FGlyphCount = 9; }

void TQvCustomCheckBox::SetState(TCheckBoxState Value) {
  if (Value == FState) return;
  FState = Value;
  UpdateDisplay();
  if (!FClicksDisabled) Click();
}

void TQvCustomCheckBox::InitState(TCheckBoxState Value) {
  FState = Value;
  UpdateDisplay();
}

void TQvCustomCheckBox::ChangeState() {
  if (FReadOnly && FMousePressed) return;
  switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TQvCustomCheckBox::KeyDown(WORD& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (FReadOnly) return;
  if (Key == VK_ESCAPE) {
    FSpace = false;
    FPressed = false;
    UpdateDisplay();
  } else if (Key == VK_SPACE) {
    FSpace = true;
    FPressed = true;
    UpdateDisplay();
  }
}

void TQvCustomCheckBox::KeyUp(WORD& Key, TShiftState Shift) {
  inherited::KeyUp(Key, Shift);
  if (FReadOnly || Key != VK_SPACE) return;
  FPressed = false;
  if (FSpace) {
    FSpace = false;
    ChangeState();
  }
  UpdateDisplay();
}

void TQvCustomCheckBox::DoExit() {
  inherited::DoExit();
  FSpace = false;
  FPressed = false;
  UpdateDisplay();
}

void TQvCustomCheckBox::CancelPress() {
  FSpace = false;
  inherited::CancelPress();
}

void TQvCustomCheckBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_DIALOGCHAR: {
      TWMKey k(M);
      if (IsAccel(k.CharCode(), Caption()) && CanFocus()) {
        SetFocus();
        if (Focused() && !FReadOnly) {
          ChangeState();
          UpdateDisplay();
        }
        M.Result = 1;
      } else {
        inherited::Dispatch(M);
      }
      break;
    }
    case BM_GETCHECK:
      M.Result = static_cast<LRESULT>(FState);
      break;
    default:
      inherited::Dispatch(M);
  }
}

void TQvCustomCheckBox::SelectGlyph(TBitmap* Glyph) {
  TCanvas* c = Glyph->Canvas();
  TRect r(0, 0, GlyphWidth(), GlyphHeight());
  int state = static_cast<int>(FState);
  if (UseCustomGlyphs()) {
    int index = state;
    if (!Enabled()) index += 6;
    else if (FPressed) index += 3;
    ExtractGlyph(index, Glyph, CustomGlyphs(), GlyphWidth(), GlyphHeight());
  } else if (ThemeServices()->ThemesEnabled()) {
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    int display = !Enabled() ? 3 : FPressed ? 2 : FMouseOver ? 1 : 0;
    static const TThemedButton first[3] = {tbCheckBoxUncheckedNormal, tbCheckBoxCheckedNormal,
                                           tbCheckBoxMixedNormal};
    auto e = static_cast<TThemedButton>(static_cast<int>(first[state]) + display);
    ThemeServices()->DrawElement(c->Handle(), ThemeServices()->GetElementDetails(e), r);
  } else if (HotTrack()) {
    TColor hot, hotFrame;
    HotColors(hot, hotFrame);
    DrawCheckBox(c, r, FState, DisplayState(), Focused(), HotTrackStyle(), FrameColor(), HighlightColor(),
                 FillColor(), FocusColor(), DisabledColor(), hot, hotFrame, FReadOnly, ReadOnlyColorOnFocus(),
                 ReadOnlyColor());
  } else {
    static const unsigned checkFlags[3] = {0, DFCS_CHECKED, DFCS_CHECKED | DFCS_BUTTON3STATE};
    unsigned flags = DFCS_BUTTONCHECK | checkFlags[state];
    if (FPressed) flags |= DFCS_PUSHED;
    if (!Enabled()) flags |= DFCS_INACTIVE;
    DrawFrameControl(c->Handle(), &r, DFC_BUTTON, flags);
  }
}
