#include "controls/basic/controlbutton.h"

#include "controls/common/frames.h"
#include "controls/common/glyphs.h"
#include "controls/common/themes.h"
#include "controls/common/utils.h"
#include "platform/controls/actions.h"
#include "platform/core/scope.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TQvControlButtonStyle, "cbsNone", "cbsLeft", "cbsUp", "cbsRight", "cbsDown", "cbsDropDown")

const TClassInfo& TQvControlButton::StaticClass() {
  using B = TQvControlButton;
  static const TClassInfo info = [] {
    TClassBuilder<B> b("TQvControlButton", &inherited::StaticClass());
    b.Component()
        .Object<TBasicAction>("Action", &B::Action, &B::SetAction)
        .Int("Delay", &B::Delay, [](B* x, int64_t v) { x->SetDelay(static_cast<uint16_t>(v)); }, 100)
        .Bool("Flat", &B::Flat, &B::SetFlat, false)
        .Object<TBitmap>("Glyph", &B::Glyph, &B::SetGlyph, [](B* x) { return !x->Glyph()->Empty(); })
        .Int("InitialDelay", &B::InitialDelay, [](B* x, int64_t v) { x->SetInitialDelay(static_cast<uint16_t>(v)); }, 400)
        .Int("NumGlyphs", &B::NumGlyphs, [](B* x, int64_t v) { x->SetNumGlyphs(static_cast<int>(v)); }, 1)
        .Bool("RepeatClicks", &B::RepeatClicks, &B::SetRepeatClicks, false)
        .Enum<TQvControlButtonStyle>("Style", &B::Style, &B::SetStyle, cbsNone)
        .Event("OnMouseEnter", &B::OnMouseEnter)
        .Event("OnMouseLeave", &B::OnMouseLeave);
    PublishInherited(b, {"Caption", "Color", "DragCursor", "DragKind", "DragMode", "Enabled", "ParentShowHint",
                         "PopupMenu", "ShowHint", "Visible", "OnClick", "OnContextPopup", "OnDragDrop", "OnDragOver",
                         "OnEndDock", "OnEndDrag", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock",
                         "OnStartDrag"});
    return b.Build();
  }();
  return info;
}

TQvControlButton::TQvControlButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetControlStyle(TControlStyle{csCaptureMouse});
  FGlyph = new TBitmap();
  FGlyph->OnChange = [this](TObject* s) { GlyphChanged(s); };
  SetBounds(Left(), Top(), 17, 21);
  SetColor(clBtnFace);
}

TQvControlButton::~TQvControlButton() { delete FGlyph; }

void TQvControlButton::SetFlat(bool Value) {
  if (FFlat == Value) return;
  FFlat = Value;
  Repaint();
}

void TQvControlButton::SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }

void TQvControlButton::SetNumGlyphs(TNumGlyphs Value) {
  if (FNumGlyphs == Value) return;
  FNumGlyphs = Value;
  Invalidate();
}

void TQvControlButton::SetStyle(TQvControlButtonStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Invalidate();
}

void TQvControlButton::GlyphChanged(TObject*) {
  int h = FGlyph->Height();
  int w = FGlyph->Width();
  if (h != 0 && w % h == 0) {
    int n = w / h;
    FNumGlyphs = n > 4 ? 1 : n;
  }
  Invalidate();
}

TPoint TQvControlButton::GetImageSize() {
  if (FGlyph->Empty()) return {0, 0};
  return {FGlyph->Width() / std::max(1, FNumGlyphs), FGlyph->Height()};
}

void TQvControlButton::Click() { inherited::Click(); }

TPoint TQvControlButton::CursorPosition() {
  TPoint p;
  GetCursorPos(&p);
  return ScreenToClient(p);
}

bool TQvControlButton::Hot() const {
  return (FMouseOver && Enabled()) || ComponentState().Contains(csDesigning);
}

void TQvControlButton::UpdateTracking() {
  if (!(FFlat || ThemeServices()->ThemesEnabled()) || !Enabled()) return;
  TPoint p;
  GetCursorPos(&p);
  bool over = FindDragTarget(p, true) == this;
  Perform(over ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0);
}

void TQvControlButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && Enabled()) {
    if (!FDown) {
      FDown = true;
      Invalidate();
    }
    FDragging = true;
  }
  if (FRepeatClicks) {
    if (!FRepeatTimer) {
      FRepeatTimer = new TTimer(this);
      FRepeatTimer->OnTimer = [this](TObject* s) { TimerExpired(s); };
    }
    FRepeatTimer->SetInterval(FInitialDelay);
    FRepeatTimer->SetEnabled(true);
  }
}

void TQvControlButton::TimerExpired(TObject*) {
  FRepeatTimer->SetInterval(FDelay);
  if (!FDown) return;
  if (!MouseCapture()) {
    // The capture went elsewhere without telling the button: the press is over.
    CancelPress();
    return;
  }
  // Held with the pointer off the button: the face stays down, the repeats wait.
  TPoint p = CursorPosition();
  if (p.X < 0 || p.X >= ClientWidth() || p.Y < 0 || p.Y >= ClientHeight()) return;
  TOnExit stopRepeats([this] { FRepeatTimer->SetEnabled(false); });
  Click();
  stopRepeats.Dismiss();
}

void TQvControlButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (FDragging) {
    FDragging = false;
    bool inside = X >= 0 && X < ClientWidth() && Y >= 0 && Y < ClientHeight();
    FDown = false;
    FMouseOver = false;
    Repaint();
    if (inside) Click();
    UpdateTracking();
  }
  if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
}

void TQvControlButton::CancelPress() {
  if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
  FDragging = false;
  if (FDown) {
    FDown = false;
    Invalidate();
  }
}

void TQvControlButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
      bool enter = M.Msg == CM_MOUSEENTER;
      FMouseOver = enter;
      inherited::Dispatch(M);
      if (enter && OnMouseEnter) OnMouseEnter(this);
      if (!enter && OnMouseLeave) OnMouseLeave(this);
      if (FFlat || ThemeServices()->ThemesEnabled()) Invalidate();
      return;
    }
    case WM_CANCELMODE:
      // The capture is taken away (a modal box, a menu): the press ends without a
      // click. The layer's own handling releases the capture first.
      inherited::Dispatch(M);
      CancelPress();
      return;
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
      inherited::Dispatch(M);
      if (!Enabled() || !Visible()) {
        if (MouseCapture()) SetMouseCapture(false);
        CancelPress();
      }
      return;
    default:
      inherited::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------
// Painting

void TQvControlButton::Paint() {
  TRect r = ClientRect();
  switch (FStyle) {
    case cbsNone: {
      DrawBtnFace(r);
      if (!FGlyph->Empty()) {
        InflateRect(r, -1, -1);
        TPoint size = GetImageSize();
        TRect g = CenterRect(r, size.X, size.Y);
        if (FDown) OffsetRect(g, 1, ThemeServices()->ThemesEnabled() ? 0 : 1);
        DrawGlyph(g);
      }
      break;
    }
    case cbsLeft:
    case cbsUp:
    case cbsRight:
    case cbsDown: DrawSpinButton(r); break;
    case cbsDropDown: DrawDropDownButton(r); break;
  }
}

// The unthemed frame: a flat button shows one only while down or hot. Leaves the
// brush in the face colour.
void TQvControlButton::DrawClassicFrame(TRect& R, TFrameStyleEx Up, TColor Face) {
  TCanvas* c = Canvas();
  if (FFlat) {
    if (FDown || Hot()) R = DrawBorder(c, R, FDown ? fsStatus : fsPopup);
    c->Brush()->SetColor(Color());
  } else {
    R = FDown ? DrawBox(c, R, clBtnShadow) : DrawBorder(c, R, Up);
    c->Brush()->SetColor(Face);
  }
}

void TQvControlButton::DrawBtnFace(TRect& R) {
  TCanvas* c = Canvas();
  if (ThemeServices()->ThemesEnabled()) {
    if (FFlat && !FDown && !Hot()) {
      c->Brush()->SetColor(Color());
      c->FillRect(R);
    } else {
      TThemedScrollBar part = FDown ? TThemedScrollBar::tsThumbBtnHorzPressed
                              : Hot() ? TThemedScrollBar::tsThumbBtnHorzHot
                              : Enabled() ? TThemedScrollBar::tsThumbBtnHorzNormal
                                          : TThemedScrollBar::tsThumbBtnHorzDisabled;
      // The element is drawn larger than the button so that its own edges fall outside.
      TRect big = R;
      InflateRect(big, 2, 2);
      big.Left += 1;
      TBitmap bmp(big.Width(), big.Height());
      ThemeServices()->DrawElement(bmp.Canvas()->Handle(), ThemeServices()->GetElementDetails(part),
                                   TRect(0, 0, big.Width(), big.Height()));
      c->Draw(0, 0, &bmp);
    }
    InflateRect(R, -2, -2);
    return;
  }
  DrawClassicFrame(R, fsRaised, clBtnFace);
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(R);
}

namespace {
TDirection ArrowDirection(TQvControlButtonStyle S) {
  switch (S) {
    case cbsLeft: return dirLeft;
    case cbsRight: return dirRight;
    case cbsDown: return dirDown;
    default: return dirUp;
  }
}

// The spin edit's own buttons (owned by its spin buttons) keep the button face.
bool OwnedBySpinEdit(TComponent* Owner) {
  if (!Owner || !Owner->Owner()) return false;
  for (const TClassInfo* c = &Owner->Owner()->ClassInfo(); c; c = c->Parent)
    if (c->Name == "TQvSpinEdit") return true;
  return false;
}
}  // namespace

void TQvControlButton::DrawSpinButton(TRect& R) {
  TCanvas* c = Canvas();
  TDirection dir = ArrowDirection(FStyle);
  c->Brush()->SetStyle(bsSolid);
  if (ThemeServices()->ThemesEnabled()) {
    if (FFlat && !FDown && !Hot()) {
      c->Brush()->SetColor(Color());
      c->FillRect(R);
      DrawSpinArrow(c, R, uiWindowsXP, dir, FDown, Enabled());
    } else {
      int state = FDown ? 2 : Hot() ? 1 : Enabled() ? 0 : 3;  // pressed, hot, normal, disabled
      using S = TThemedSpin;
      static const S up[] = {S::tsUpNormal, S::tsUpHot, S::tsUpPressed, S::tsUpDisabled};
      static const S down[] = {S::tsDownNormal, S::tsDownHot, S::tsDownPressed, S::tsDownDisabled};
      static const S upHorz[] = {S::tsUpHorzNormal, S::tsUpHorzHot, S::tsUpHorzPressed, S::tsUpHorzDisabled};
      static const S downHorz[] = {S::tsDownHorzNormal, S::tsDownHorzHot, S::tsDownHorzPressed,
                                   S::tsDownHorzDisabled};
      const S* set = FStyle == cbsUp ? up : FStyle == cbsDown ? down : FStyle == cbsRight ? upHorz : downHorz;
      ThemeServices()->DrawElement(c->Handle(), ThemeServices()->GetElementDetails(set[state]), R);
    }
    InflateRect(R, -2, -2);
    return;
  }
  DrawClassicFrame(R, fsButtonUp, OwnedBySpinEdit(Owner()) ? clBtnFace : Color());
  c->FillRect(R);
  DrawSpinArrow(c, R, uiWindows95, dir, FDown, Enabled());
}

void TQvControlButton::DrawDropDownButton(TRect& R) {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  if (ThemeServices()->ThemesEnabled()) {
    InflateRect(R, 1, 1);
    if (FFlat && !FDown && !Hot()) {
      c->Brush()->SetColor(Color());
      c->FillRect(R);
      DrawDropDownArrow(c, R, uiWindowsXP, FDown, Enabled());
    } else {
      using T = TThemedComboBox;
      T part = FDown ? T::tcDropDownButtonPressed : Hot() ? T::tcDropDownButtonHot
               : Enabled() ? T::tcDropDownButtonNormal : T::tcDropDownButtonDisabled;
      ThemeServices()->DrawElement(c->Handle(), ThemeServices()->GetElementDetails(part), R);
    }
    InflateRect(R, -2, -2);
    return;
  }
  DrawClassicFrame(R, fsButtonUp, clBtnFace);
  c->FillRect(R);
  DrawDropDownArrow(c, R, uiWindows95, FDown, Enabled());
}

void TQvControlButton::DrawGlyph(const TRect& R) {
  int w = R.Width(), h = R.Height();
  if (w <= 0 || h <= 0) return;
  int image = (FNumGlyphs >= 3 && FDown) ? 3 : (FNumGlyphs < 2 || Enabled()) ? 1 : 2;
  TBitmap bmp(w, h);
  bmp.Canvas()->CopyRect(TRect(0, 0, w, h), Canvas(), R);
  DrawFullTransparentBitmap(bmp.Canvas(), FGlyph, TRect(0, 0, w, h), TRect((image - 1) * w, 0, image * w, h),
                            FGlyph->TransparentColor());
  Canvas()->Draw(R.Left, R.Top, &bmp);
}
