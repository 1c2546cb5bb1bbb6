#include "controls/editlist/spinbuttons.h"

#include "platform/core/exceptions.h"
#include "platform/core/scope.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/gdi.h"

DTU_DEFINE_ENUM(TSpinDirection, "sdUpDown", "sdLeftRight")
DTU_DEFINE_ENUM(TQvScrollStyle, "scsNone", "scsLeft", "scsUp", "scsRight", "scsDown")

// ---------------------------------------------------------------------------
// TQvRapidFireButton

const TClassInfo& TQvRapidFireButton::StaticClass() {
  using B = TQvRapidFireButton;
  static const TClassInfo info =
      TClassBuilder<B>("TQvRapidFireButton", &inherited::StaticClass())
          .Component()
          .Int("Delay", &B::Delay, [](B* b, int64_t v) { b->SetDelay(static_cast<uint16_t>(v)); }, 100)
          .Int("InitialDelay", &B::InitialDelay, [](B* b, int64_t v) { b->SetInitialDelay(static_cast<uint16_t>(v)); }, 400)
          .Enum<TQvScrollStyle>("ScrollStyle", &B::ScrollStyle, &B::SetScrollStyle, scsNone)
          .Build();
  return info;
}

TQvRapidFireButton::TQvRapidFireButton(TComponent* AOwner) : TSpeedButton(AOwner) {}

void TQvRapidFireButton::SetShowFocusRect(bool Value) {
  if (FFocusRect == Value) return;
  FFocusRect = Value;
  Invalidate();
}

void TQvRapidFireButton::SetScrollStyle(TQvScrollStyle Value) {
  if (FScrollStyle == Value) return;
  FScrollStyle = Value;
  TBitmap empty;
  SetGlyph(&empty);
  if (Value != scsNone) BuildArrowGlyph();
  Invalidate();
}

void TQvRapidFireButton::BuildArrowGlyph() {
  bool vertical = FScrollStyle == scsUp || FScrollStyle == scsDown;
  TBitmap glyph(9, vertical ? 6 : 9);
  TBitmap scratch(17, 17);
  TRect r(0, 0, 17, 17);
  unsigned kind = FScrollStyle == scsLeft ? DFCS_SCROLLLEFT : FScrollStyle == scsUp ? DFCS_SCROLLUP
                  : FScrollStyle == scsRight ? DFCS_SCROLLRIGHT : DFCS_SCROLLDOWN;
  if (FState == bsDown) kind |= DFCS_PUSHED;
  if (!Enabled()) kind |= DFCS_INACTIVE;
  DrawFrameControl(scratch.Canvas()->Handle(), &r, DFC_SCROLL, kind);
  TPoint from = FScrollStyle == scsLeft ? TPoint(4, 4) : FScrollStyle == scsUp ? TPoint(4, 5)
                : FScrollStyle == scsRight ? TPoint(6, 4) : TPoint(4, 6);
  TRect dest(0, 0, glyph.Width(), glyph.Height());
  glyph.Canvas()->CopyRect(dest, scratch.Canvas(),
                           TRect(from.X, from.Y, from.X + glyph.Width(), from.Y + glyph.Height()));
  SetGlyph(&glyph);
}

void TQvRapidFireButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (!FRepeat) return;
  if (!FRepeatTimer) {
    FRepeatTimer = new TTimer(this);
    FRepeatTimer->OnTimer = [this](TObject* s) { TimerExpired(s); };
  }
  FRepeatTimer->SetInterval(FInitialDelay);
  FRepeatTimer->SetEnabled(true);
}

void TQvRapidFireButton::TimerExpired(TObject*) {
  FRepeatTimer->SetInterval(FDelay);
  if (FState != bsDown) return;
  if (!MouseCapture()) {
    StopRepeat();  // the capture went elsewhere: the press is over
    return;
  }
  TOnExit stop([&] { FRepeatTimer->SetEnabled(false); });
  Click();
  stop.Dismiss();
}

void TQvRapidFireButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
}

void TQvRapidFireButton::StopRepeat() {
  if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
  FDragging = false;
  if (FState == bsDown) {
    FState = bsUp;
    Invalidate();
  }
}

void TQvRapidFireButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_CANCELMODE:
      inherited::Dispatch(M);
      StopRepeat();
      return;
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
      inherited::Dispatch(M);
      if (!Enabled() || !Visible()) {
        if (MouseCapture()) SetMouseCapture(false);
        StopRepeat();
      }
      return;
    default:
      inherited::Dispatch(M);
  }
}

void TQvRapidFireButton::Paint() {
  inherited::Paint();
  if (!FFocusRect) return;
  TRect r(3, 3, Width() - 3, Height() - 3);
  if (FState == bsDown) OffsetRect(r, 1, 1);
  DrawFocusRect(Canvas()->Handle(), &r);
}

// ---------------------------------------------------------------------------
// TQvSpinButtons

const TClassInfo& TQvSpinButtons::StaticClass() {
  using S = TQvSpinButtons;
  static const TClassInfo info = [] {
    TClassBuilder<S> b("TQvSpinButtons", &inherited::StaticClass());
    b.Component()
        .Int("Color", &S::ButtonColor, [](S* s, int64_t v) { s->SetButtonColor(static_cast<TColor>(v)); }, clBtnFace,
             [](S* s) { return !s->ParentColor(); }, &ColorIdents())
        .Int("Delay", &S::Delay, [](S* s, int64_t v) { s->SetDelay(static_cast<uint16_t>(v)); }, 100)
        .Enum<TSpinDirection>("Direction", &S::Direction, &S::SetDirection, sdUpDown)
        .Bool("Enabled", &S::AllEnabled, &S::SetAllEnabled, true)
        .Bool("Flat", &S::Flat, &S::SetFlat, false)
        .Object<TWinControl>("FocusControl", &S::FocusControl, &S::SetFocusControl)
        .Object<TBitmap>("GlyphDownLeft", &S::DownLeftGlyph, &S::SetDownLeftGlyph,
                         [](S* s) { return s->CustomDownLeftGlyph(); })
        .Object<TBitmap>("GlyphUpRight", &S::UpRightGlyph, &S::SetUpRightGlyph,
                         [](S* s) { return s->CustomUpRightGlyph(); })
        .Int("InitialDelay", &S::InitialDelay, [](S* s, int64_t v) { s->SetInitialDelay(static_cast<uint16_t>(v)); }, 400)
        // With a custom glyph, and also when set to another count than new buttons
        // have (an arrow glyph has no count of its own to come back to).
        .Int("NumGlyphsDownLeft", &S::DownLeftNumGlyphs, [](S* s, int64_t v) { s->SetDownLeftNumGlyphs(static_cast<int>(v)); },
             2, [](S* s) { return s->CustomDownLeftGlyph() || s->DownLeftNumGlyphs() != 2; })
        .Int("NumGlyphsUpRight", &S::UpRightNumGlyphs, [](S* s, int64_t v) { s->SetUpRightNumGlyphs(static_cast<int>(v)); },
             2, [](S* s) { return s->CustomUpRightGlyph() || s->UpRightNumGlyphs() != 2; })
        .Enum<TOrientation>("Orientation", &S::Orientation, &S::SetOrientation, orVertical)
        .Event("OnDownLeftClick", &S::OnDownLeftClick)
        .Event("OnUpRightClick", &S::OnUpRightClick);
    PublishInherited(b, {"Align", "Anchors", "Constraints", "Ctl3D", "DragCursor", "DragKind", "DragMode"})
        .Prop(TControl::Property("ParentColor", 1));
    PublishInherited(b, {"ParentCtl3D", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder"})
        .Prop(TControl::Property("TabStop", 0));
    PublishInherited(b, {"Visible", "OnContextPopup", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter",
                         "OnExit", "OnStartDock", "OnStartDrag"});
    return b.Build();
  }();
  return info;
}

TQvSpinButtons::TQvSpinButtons(TComponent* AOwner) : TWinControl(AOwner) {
  TControlStyle s = ControlStyle();
  s >> csAcceptsControls;
  s >> csSetCaption;
  SetControlStyle(s);
  SetColor(clBtnFace);
  SetParentColor(true);
  FUpRight = CreateButton();
  FDownLeft = CreateButton();
  SetUpRightGlyph(nullptr);
  SetDownLeftGlyph(nullptr);
  SetBounds(Left(), Top(), 16, 25);
  FCurrent = FUpRight;
}

TQvControlButton* TQvSpinButtons::CreateButton() {
  auto* b = new TQvControlButton(this);
  b->SetParent(this);
  b->OnClick = [this](TObject* s) { BtnClickHandler(s); };
  b->OnMouseDown = [this](TObject* s, TMouseButton btn, TShiftState sh, int x, int y) {
    BtnMouseDownHandler(s, btn, sh, x, y);
  };
  b->SetVisible(true);
  b->SetEnabled(true);
  b->SetRepeatClicks(true);
  TNotifyEvent own = b->Glyph()->OnChange;
  b->Glyph()->OnChange = [this, b, own](TObject* s) {
    if (own) own(s);
    BtnGlyphChangeHandler(b);
  };
  b->SetNumGlyphs(2);
  return b;
}

void TQvSpinButtons::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c != FUpRight && c != FDownLeft && c->Owner() == Root) Proc(c);
  }
}

void TQvSpinButtons::BtnClickHandler(TObject* Sender) {
  if (Sender == FUpRight) UpRightClick();
  else DownLeftClick();
}

void TQvSpinButtons::UpRightClick() {
  if (OnUpRightClick) OnUpRightClick(this);
}

void TQvSpinButtons::DownLeftClick() {
  if (OnDownLeftClick) OnDownLeftClick(this);
}

void TQvSpinButtons::BtnMouseDownHandler(TObject* Sender, TMouseButton Button, TShiftState, int, int) {
  if (Button != mbLeft) return;
  FCurrent = static_cast<TQvControlButton*>(Sender);
  auto refuse = [&] {
    // The focus change was refused: the press ends without a click.
    if (FCurrent->MouseCapture()) FCurrent->SetMouseCapture(false);
    FCurrent->Perform(WM_CANCELMODE, 0, 0);
    Abort();
  };
  if (FFocusControl && FFocusControl->TabStop() && FFocusControl->CanFocus() && !FFocusControl->Focused()) {
    FFocusControl->SetFocus();
    if (!FFocusControl->Focused()) refuse();
    return;
  }
  if (TabStop() && !Focused() && CanFocus()) {
    SetFocus();
    if (!Focused()) refuse();
  }
}

void TQvSpinButtons::BtnGlyphChangeHandler(TQvControlButton* Button) {
  if (FSettingGlyph) return;
  bool custom = !Button->Glyph()->Empty();
  bool up = Button == FUpRight;
  (up ? FCustomUpRight : FCustomDownLeft) = custom;
  Button->SetStyle(custom ? cbsNone : up ? UpRightArrow() : DownLeftArrow());
}

void TQvSpinButtons::SetUpRightGlyph(TBitmap* Value) { SetButtonGlyph(FUpRight, Value); }

void TQvSpinButtons::SetDownLeftGlyph(TBitmap* Value) { SetButtonGlyph(FDownLeft, Value); }

// A glyph set here (or cleared back to the arrow) is not reported back through
// BtnGlyphChangeHandler.
void TQvSpinButtons::SetButtonGlyph(TQvControlButton* Button, TBitmap* Value) {
  const bool up = Button == FUpRight;
  bool& custom = up ? FCustomUpRight : FCustomDownLeft;
  TRestore setting(FSettingGlyph, true);
  if (Value) {
    Button->SetGlyph(Value);
    custom = true;
    Button->SetStyle(cbsNone);
  } else {
    TBitmap empty;
    Button->SetGlyph(&empty);
    Button->SetStyle(up ? UpRightArrow() : DownLeftArrow());
    custom = false;
  }
}

void TQvSpinButtons::SetDirection(TSpinDirection Value) {
  if (FDirection == Value) return;
  FDirection = Value;
  SetUpRightGlyph(nullptr);
  SetDownLeftGlyph(nullptr);
  Invalidate();
}

void TQvSpinButtons::SetOrientation(TOrientation Value) {
  if (FOrientation == Value) return;
  FOrientation = Value;
  if (!ComponentState().Contains(csLoading)) SetWidth(Value == orVertical ? Width() / 2 : Width() * 2);
  Invalidate();
}

void TQvSpinButtons::SetFocusControl(TWinControl* Value) {
  if (FFocusControl == Value) return;
  FFocusControl = Value;
  if (Value) Value->FreeNotification(this);
}

void TQvSpinButtons::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FFocusControl) FFocusControl = nullptr;
  if (AComponent == FUpRight) FUpRight = nullptr;
  if (AComponent == FDownLeft) FDownLeft = nullptr;
}

void TQvSpinButtons::SetFlat(bool Value) {
  if (FFlat == Value) return;
  FFlat = Value;
  FUpRight->SetFlat(Value);
  FDownLeft->SetFlat(Value);
}

void TQvSpinButtons::SetAllEnabled(bool Value) {
  if (Enabled() == Value) return;
  SetEnabled(Value);
  FUpRight->SetEnabled(Value);
  FDownLeft->SetEnabled(Value);
}

void TQvSpinButtons::SetButtonColor(TColor Value) {
  SetColor(Value);
  FUpRight->SetColor(Value);
  FDownLeft->SetColor(Value);
}

void TQvSpinButtons::SetDelay(uint16_t Value) {
  FUpRight->SetDelay(Value);
  FDownLeft->SetDelay(Value);
}

void TQvSpinButtons::SetInitialDelay(uint16_t Value) {
  FUpRight->SetInitialDelay(Value);
  FDownLeft->SetInitialDelay(Value);
}

void TQvSpinButtons::AdjustDimensions(int& NewWidth, int& NewHeight) {
  if (!FUpRight || !FDownLeft || ComponentState().Contains(csLoading)) return;
  if (FOrientation == orVertical) {
    int half = NewHeight / 2;
    FUpRight->SetBounds(0, 0, NewWidth, half);
    FDownLeft->SetBounds(0, half, NewWidth, NewHeight - half);
  } else {
    int half = NewWidth / 2;
    FDownLeft->SetBounds(0, 0, half, NewHeight);
    FUpRight->SetBounds(half, 0, NewWidth - half, NewHeight);
  }
}

void TQvSpinButtons::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  int w = AWidth, h = AHeight;
  AdjustDimensions(w, h);
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TQvSpinButtons::Loaded() {
  inherited::Loaded();
  int w = Width(), h = Height();
  AdjustDimensions(w, h);
}

void TQvSpinButtons::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_UP) FUpRight->Click();
  else if (Key == VK_DOWN) FDownLeft->Click();
  inherited::KeyDown(Key, Shift);
}

void TQvSpinButtons::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_SIZE: {
      inherited::Dispatch(M);
      int w = Width(), h = Height();
      AdjustDimensions(w, h);
      M.Result = 0;
      return;
    }
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS;
      return;
    default:
      inherited::Dispatch(M);
  }
}
