#include "controls/editlist/spinner.h"

#include <cstdio>

#include "controls/common/colors.h"
#include "controls/common/dialogs.h"
#include "controls/common/frames.h"
#include "controls/common/glyphs.h"
#include "controls/common/themes.h"
#include "controls/common/utils.h"
#include "platform/controls/winuser.h"
#include "platform/core/scope.h"
#include "platform/graphics/gdi.h"
#include "platform/win32/messages.h"

DTU_DEFINE_ENUM(TQvSpinnerArea, "saValue", "saMinusButton", "saPlusButton")

TQvSpinner::TQvSpinner(TComponent* AOwner)
    : TCustomControl(AOwner), FGlyph(std::make_unique<TBitmap>()), FImageChangeLink(std::make_unique<TChangeLink>()) {
  FImageChangeLink->OnChange = [this](TObject* Sender) {
    if (Sender != FImages) return;
    CheckMinSize();
    Invalidate();
  };
  SetBounds(Left(), Top(), 85, 21);
  SetTabStop(true);
  SetColor(clWindow);
  SetParentColor(false);
}

TQvSpinner::~TQvSpinner() {
  if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
  if (FFrameController) FFrameController->RemoveControl(this);
}

bool TQvSpinner::UseThemes() const { return FThemeAware && ThemeServices()->ThemesEnabled(); }

// ---------------------------------------------------------------------------
// Value

int TQvSpinner::CheckValue(int V) {
  if (FMin == FMax && !FCheckRange) return V;
  if (V < FMin) return FMin;
  if (V > FMax) return FMax;
  return V;
}

bool TQvSpinner::CanChange(int NewValue) {
  bool allow = true;
  if (OnChanging) OnChanging(this, NewValue, allow);
  return allow;
}

void TQvSpinner::Change() {
  if (OnChange) OnChange(this);
}

// While a form is read the value is kept as it comes (Min and Max may follow it);
// Loaded brings it into the range once.
void TQvSpinner::Loaded() {
  inherited::Loaded();
  SetValue(FValue);
}

void TQvSpinner::SetValue(int V) {
  int c = ComponentState().Contains(csReading) ? V : CheckValue(V);
  if (c == FValue || !CanChange(c)) return;
  FValue = c;
  Invalidate();
  Change();
  UpdateObjectInspector(this);
}

void TQvSpinner::IncValue(int Amount) {
  int old = FValue;
  SetValue(FValue + Amount);
  if (FValue != old && OnIncrement) OnIncrement(this, Amount);
}

void TQvSpinner::DecValue(int Amount) {
  int old = FValue;
  SetValue(FValue - Amount);
  if (FValue != old && OnDecrement) OnDecrement(this, Amount);
}

void TQvSpinner::SetMin(int V) {
  if (FMin == V) return;
  FMin = V;
  if (V > FMax) FMax = V;
  SetValue(FValue);
  Invalidate();
}

void TQvSpinner::SetMax(int V) {
  if (FMax == V) return;
  FMax = V;
  if (V < FMin) FMin = V;
  SetValue(FValue);
  Invalidate();
}

void TQvSpinner::SetCheckRange(bool V) {
  if (FCheckRange == V) return;
  FCheckRange = V;
  SetValue(FValue);
}

std::string TQvSpinner::DisplayText() const {
  char buf[32];
  if (FShowHexValue)
    std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(FValue));  // negative: 32-bit two's complement
  else
    std::snprintf(buf, sizeof buf, "%d", FValue);
  return FShowHexValue ? FHexValuePrefix + buf : std::string(buf);
}

#define QV_SPINNER_SETTER(Name, Type, Field) \
  void TQvSpinner::Set##Name(Type Value) {   \
    if (Field == Value) return;              \
    Field = Value;                           \
    Invalidate();                            \
  }
QV_SPINNER_SETTER(ShowHexValue, bool, FShowHexValue)
QV_SPINNER_SETTER(HexValuePrefix, const std::string&, FHexValuePrefix)
QV_SPINNER_SETTER(FrameColor, TColor, FFrameColor)
QV_SPINNER_SETTER(ButtonColor, TColor, FButtonColor)
QV_SPINNER_SETTER(ButtonWidth, int, FButtonWidth)
QV_SPINNER_SETTER(ShowFocusRect, bool, FShowFocusRect)
QV_SPINNER_SETTER(ThemeAware, bool, FThemeAware)
#undef QV_SPINNER_SETTER

int TQvSpinner::GetImageIndex(int Index) const { return Index == 1 ? FImageIndexMinus : FImageIndexPlus; }

void TQvSpinner::SetImageIndex(int Index, int Value) {
  int& field = Index == 1 ? FImageIndexMinus : FImageIndexPlus;
  if (field == Value) return;
  field = Value;
  Invalidate();
}

void TQvSpinner::SetImages(TCustomImageList* Value) {
  if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
  FImages = Value;
  if (Value) {
    Value->RegisterChanges(FImageChangeLink.get());
    Value->FreeNotification(this);
    CheckMinSize();
  }
  Invalidate();
}

void TQvSpinner::CheckMinSize() {
  if (!FImages) return;
  if (FImages->Width() > FButtonWidth) SetButtonWidth(FImages->Width() + 4);
  if (FImages->Height() > Height()) SetHeight(FImages->Height() + 4);
}

void TQvSpinner::SetFrameController(TQvFrameController* Value) {
  SwitchFrameController(FFrameController, Value, this);
}

void TQvSpinner::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) SetImages(nullptr);
  if (AComponent == FFrameController) FFrameController = nullptr;
}

void TQvSpinner::CustomFramingChanged() {
  if (!FFrameController || !FFrameController->FrameVisible()) return;
  const auto& n = FFrameControllerNotifications;
  if (n.Contains(fcpFrameColor)) FFrameColor = FFrameController->FrameColor();
  if (n.Contains(fcpFlatButtonColor)) FButtonColor = FFrameController->FlatButtonColor();
  if (n.Contains(fcpColor)) SetColor(FFrameController->Color());
  if (n.Contains(fcpParentColor)) SetParentColor(FFrameController->ParentColor());
  Invalidate();
}

// ---------------------------------------------------------------------------
// Painting

TQvSpinnerArea TQvSpinner::HitTest(int X, int Y) const {
  if (Y >= 0 && Y < Height()) {
    if (X >= 0 && X < FButtonWidth) return saMinusButton;
    if (X >= Width() - FButtonWidth && X < Width()) return saPlusButton;
  }
  return saValue;
}

void TQvSpinner::Paint() {
  DrawFrame();
  DrawValue();
  DrawButton(saMinusButton, FMinusPressed, {1, 1, FButtonWidth - 1, Height() - 1});
  DrawButton(saPlusButton, FPlusPressed, {Width() - FButtonWidth + 1, 1, Width() - 1, Height() - 1});
  if (Focused() && FShowFocusRect) {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->DrawFocusRect({FButtonWidth + 1, 2, Width() - FButtonWidth - 1, Height() - 2});
  }
}

void TQvSpinner::DrawFrame() {
  TCanvas* c = Canvas();
  TRect r = GetClientRect();
  if (UseThemes()) {
    TThemeServices* t = ThemeServices();
    t->DrawElement(c->Handle(), t->GetElementDetails(Enabled() ? teEditTextNormal : teEditTextDisabled), r);
    c->Pen()->SetColor(GetXPThemeColor(xptcEditBorder));
  } else {
    c->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
    c->Pen()->SetColor(Enabled() ? FFrameColor : clBtnShadow);
    c->Rectangle(r);
  }
  c->MoveTo(FButtonWidth - 1, 1);
  c->LineTo(FButtonWidth - 1, Height() - 1);
  c->MoveTo(Width() - FButtonWidth, 1);
  c->LineTo(Width() - FButtonWidth, Height() - 1);
}

void TQvSpinner::DrawValue() {
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  if (!Enabled()) c->Font()->SetColor(clBtnShadow);
  TRect r{FButtonWidth - 1, 0, Width() - FButtonWidth + 1, Height()};
  InflateRect(r, -1, -1);
  std::string text = DisplayText();
  c->Brush()->SetStyle(bsClear);
  UINT old = SetTextAlign(c->Handle(), TA_CENTER);
  int y = r.Top + (r.Height() - c->TextHeight(text)) / 2;
  c->TextRect(r, Width() / 2, y, text);
  SetTextAlign(c->Handle(), old);
  c->Brush()->SetStyle(bsSolid);
}

void TQvSpinner::DrawButton(TQvSpinnerArea Area, bool Down, const TRect& Bounds) {
  TCanvas* c = Canvas();
  bool plus = Area == saPlusButton;
  bool hot = plus ? FPlusHot : FMinusHot;
  if (UseThemes()) {
    TThemeServices* t = ThemeServices();
    TThemedSpin s = plus ? (Down ? tsUpHorzPressed : !Enabled() ? tsUpHorzDisabled : hot ? tsUpHorzHot : tsUpHorzNormal)
                         : (Down ? tsDownHorzPressed : !Enabled() ? tsDownHorzDisabled
                                                     : hot ? tsDownHorzHot : tsDownHorzNormal);
    t->DrawElement(c->Handle(), t->GetElementDetails(s), Bounds);
    c->Pen()->SetColor(clWindow);
    int x = plus ? Bounds.Left : Bounds.Right - 1;
    c->MoveTo(x, Bounds.Top);
    c->LineTo(x, Bounds.Bottom);
  } else {
    TRect r = DrawBox(c, Bounds, clWindow);
    if (Down) {
      c->Brush()->SetColor(DarkerColor(FButtonColor, 20));
    } else if (!Enabled()) {
      c->Brush()->SetColor(clBtnFace);
    } else if (hot) {
      r = DrawBox(c, r, DarkerColor(FButtonColor, 20));
      c->Brush()->SetColor(LighterColor(FButtonColor, 10));
    } else {
      c->Brush()->SetColor(FButtonColor);
    }
    c->FillRect(r);
    int index = GetImageIndex(plus ? 2 : 1);
    if (FImages && index != -1) {
      int x = (Bounds.Left + Bounds.Right) / 2 - FImages->Width() / 2;
      int y = (Bounds.Top + Bounds.Bottom) / 2 - FImages->Height() / 2;
      FImages->Draw(c, x, y, index, Enabled());
    } else {
      DrawSpinArrow(c, Bounds, TQvUIStyle::uiWindows95, plus ? TDirection::dirRight : TDirection::dirLeft, Down,
                    Enabled());
    }
  }
  c->Pen()->SetColor(clWindowText);
  c->Brush()->SetColor(clWindow);
}

// ---------------------------------------------------------------------------
// Input

TPoint TQvSpinner::CursorPosition() {
  TPoint p;
  GetCursorPos(&p);
  return ScreenToClient(p);
}

void TQvSpinner::CheckHotTracking(TPoint P) {
  TQvSpinnerArea a = HitTest(P);
  if (a == FHotArea) return;
  FHotArea = a;
  FPlusHot = a == saPlusButton;
  FMinusHot = a == saMinusButton;
  Invalidate();
}

void TQvSpinner::StepPressed(TQvSpinnerArea Area) {
  // Only the pressed button steps, and only while the pointer is over it.
  if (Area == saPlusButton && FPlusPressed) IncValue(FIncrement);
  if (Area == saMinusButton && FMinusPressed) DecValue(FIncrement);
}

void TQvSpinner::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (!ComponentState().Contains(csDesigning) && CanFocus()) SetFocus();
  if (Button != mbLeft) return;
  TQvSpinnerArea a = HitTest(X, Y);
  if (a == saValue) return;
  (a == saPlusButton ? FPlusPressed : FMinusPressed) = true;
  if (!FTimer) {
    FTimer = new TTimer(this);
    FTimer->OnTimer = [this](TObject* Sender) { TimerExpired(Sender); };
  }
  FTimer->SetEnabled(false);
  FTimer->SetInterval(FInitialDelay);
  FTimer->SetEnabled(true);
  Repaint();
}

void TQvSpinner::TimerExpired(TObject*) {
  FTimer->SetInterval(FRepeatDelay);
  TOnExit stop([&] { FTimer->SetEnabled(false); });
  StepPressed(HitTest(CursorPosition()));
  stop.Dismiss();
}

void TQvSpinner::MouseMove(TShiftState Shift, int X, int Y) {
  CheckHotTracking({X, Y});
  TCustomControl::MouseMove(Shift, X, Y);
}

void TQvSpinner::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    if (FTimer) FTimer->SetEnabled(false);
    bool any = FPlusPressed || FMinusPressed;
    if (any) StepPressed(HitTest(X, Y));
    FPlusPressed = FMinusPressed = false;
    if (any) Repaint();
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TQvSpinner::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos);
  int amount = Shift.Contains(ssCtrl) ? FPageSize : FIncrement;
  if (WheelDelta > 0)
    IncValue(amount);
  else if (WheelDelta < 0)
    DecValue(amount);
  return true;
}

void TQvSpinner::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  switch (Key) {
    case VK_UP:
    case VK_RIGHT:
    case VK_ADD: IncValue(FIncrement); break;
    case VK_DOWN:
    case VK_LEFT:
    case VK_SUBTRACT: DecValue(FIncrement); break;
    case VK_PRIOR: IncValue(FPageSize); break;
    case VK_NEXT: DecValue(FPageSize); break;
    default: break;
  }
}

void TQvSpinner::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (FTabOnEnter && Key == 13) {
    Key = 0;
    PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
  }
}

void TQvSpinner::DoEnter() {
  TCustomControl::DoEnter();
  Repaint();
}

void TQvSpinner::DoExit() {
  TCustomControl::DoExit();
  Repaint();
}

void TQvSpinner::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_GETDLGCODE: M.Result = DLGC_WANTARROWS; break;
    case CM_ENABLEDCHANGED:
      TCustomControl::Dispatch(M);
      Invalidate();
      break;
    case CM_MOUSEENTER:
      TCustomControl::Dispatch(M);
      CheckHotTracking(CursorPosition());
      break;
    case CM_MOUSELEAVE:
      TCustomControl::Dispatch(M);
      if (FPlusHot || FMinusHot) Invalidate();
      FPlusHot = FMinusHot = false;
      FHotArea = saValue;
      break;
    case CM_DESIGNHITTEST: {
      TShiftState s = KeysToShiftState(M.WParam);
      TQvSpinnerArea a = HitTest(static_cast<short>(M.LParam & 0xFFFF), static_cast<short>(M.LParam >> 16));
      M.Result = a != saValue && !(s.Contains(ssShift) && s.Contains(ssCtrl)) ? 1 : 0;
      break;
    }
    default: TCustomControl::Dispatch(M);
  }
}

void TQvSpinner::DefineProperties(TFiler* Filer) {
  TCustomControl::DefineProperties(Filer);
  // Retired properties of older forms, read and dropped.
  Filer->DefineProperty("NumGlyphsMinus", TQvOldPropReader::ReadOldIntegerProp, nullptr, false);
  Filer->DefineProperty("NumGlyphsPlus", TQvOldPropReader::ReadOldIntegerProp, nullptr, false);
  Filer->DefineProperty("Flat", TQvOldPropReader::ReadOldBooleanProp, nullptr, false);
}

// ---------------------------------------------------------------------------

const TClassInfo& TQvSpinner::StaticClass() {
  using C = TQvSpinner;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvSpinner", &inherited::StaticClass());
    auto intSet = [](void (C::*f)(int)) { return [f](C* x, int64_t v) { (x->*f)(static_cast<int>(v)); }; };
    b.Component()
        .Int("ButtonColor", &C::ButtonColor, &C::SetButtonColor, clBtnFace, {}, &ColorIdents())
        .Int("ButtonWidth", &C::ButtonWidth, intSet(&C::SetButtonWidth), 18)
        .Bool("CheckRange", &C::CheckRange, &C::SetCheckRange, false)
        .Int("FrameColor", &C::FrameColor, &C::SetFrameColor, clBtnShadow, {}, &ColorIdents())
        // The glyph bitmap of both buttons, readable by its two names, never stored.
        .Object<TBitmap>("GlyphMinus", &C::Glyph, nullptr, [](C*) { return false; })
        .Object<TBitmap>("GlyphPlus", &C::Glyph, nullptr, [](C*) { return false; })
        .Object<TQvFrameController>("FrameController", &C::FrameController, &C::SetFrameController)
        .Set<TQvFrameControllerProperty>("FrameControllerNotifications", &C::FrameControllerNotifications,
                                         &C::SetFrameControllerNotifications,
                                         TQvFrameControllerNotifications::FromInt(AllFrameControllerNotifications))
        .Str("HexValuePrefix", &C::HexValuePrefix, &C::SetHexValuePrefix,
             [](C* x) { return x->HexValuePrefix() != "$"; })
        .Object<TCustomImageList>("Images", &C::Images, &C::SetImages)
        .Int("ImageIndexMinus", &C::ImageIndexMinus, intSet(&C::SetImageIndexMinus), -1)
        .Int("ImageIndexPlus", &C::ImageIndexPlus, intSet(&C::SetImageIndexPlus), -1)
        .Int("Increment", &C::Increment, intSet(&C::SetIncrement), 1)
        .Int("Max", &C::Max, intSet(&C::SetMax), 100)
        .Int("Min", &C::Min, intSet(&C::SetMin), 0)
        .Int("PageSize", &C::PageSize, intSet(&C::SetPageSize), 10)
        .Bool("ShowFocusRect", &C::ShowFocusRect, &C::SetShowFocusRect, true)
        .Bool("ShowHexValue", &C::ShowHexValue, &C::SetShowHexValue, false)
        .Bool("TabOnEnter", &C::TabOnEnter, &C::SetTabOnEnter, false)
        .Bool("ThemeAware", &C::ThemeAware, &C::SetThemeAware, true)
        .Int("Value", &C::Value, intSet(&C::SetValue), 0)
        .Event<TNotifyEvent>("OnChange", &C::OnChange)
        .Event<TQvSpinnerEvent>("OnChanging", &C::OnChanging)
        .Event<TQvSpinnerIncDecEvent>("OnDecrement", &C::OnDecrement)
        .Event<TQvSpinnerIncDecEvent>("OnIncrement", &C::OnIncrement)
        .Prop(TControl::Property("Color", clWindow))
        .Int("Height", &C::Height, [](C* x, int64_t v) { x->SetHeight(static_cast<int>(v)); }, 21);
    // A new spinner has its own colour and takes the focus by Tab.
    PublishInherited(b, {"Align", "Anchors", "Constraints", "DragCursor", "DragMode", "Enabled", "Font"})
        .Prop(TControl::Property("ParentColor", 0));
    PublishInherited(b, {"ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder"})
        .Prop(TControl::Property("TabStop", 1));
    PublishInherited(b, {"Visible", "OnClick", "OnContextPopup", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter",
                         "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp",
                         "OnStartDrag"});
    return b.Build();
  }();
  return info;
}
