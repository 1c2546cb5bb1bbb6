#include "controls/editlist/spinedit.h"

#include <cmath>

#include "controls/common/dialogs.h"
#include "controls/common/themes.h"
#include "controls/common/utils.h"
#include "platform/controls/winuser.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"

namespace {
// The class library's Round: halves go to the even neighbour.
int RoundHalfEven(long double V) { return static_cast<int>(std::nearbyint(V)); }
}  // namespace

DTU_DEFINE_ENUM(TSpinButtonType, "sbUp", "sbDown")

const TClassInfo& TQvSpinEdit::StaticClass() {
  using S = TQvSpinEdit;
  static const TClassInfo info = [] {
    TClassBuilder<S> b("TQvSpinEdit", &inherited::StaticClass());
    // The flat-button colour is the spin edit's own: written whatever the controller.
    PublishFramedEdit(b.Component(), {.FlatButtons = true},
                      {.MaxLength = false, .Alignment = taRightJustify})
        .Int("FlatButtonColor", &S::FlatButtonColor, [](S* s,
             int64_t v) { s->SetFlatButtonColor(static_cast<TColor>(v)); },
             clBtnFace, {}, &ColorIdents())
        .Bool("AllowBlank", &S::AllowBlank, &S::SetAllowBlank, false)
        .Bool("AllowKeyEdit", &S::AllowKeyEdit, &S::SetAllowKeyEdit, false)
        .Bool("BeepOnInvalidKey", &S::BeepOnInvalidKey, &S::SetBeepOnInvalidKey, true)
        .Float("BlankValue", &S::BlankValue, &S::SetBlankValue, [](S* s) { return s->BlankValue() != 0; })
        .Object<TBitmap>("ButtonDownGlyph", &S::ButtonDownGlyph, &S::SetButtonDownGlyph,
                         [](S* s) { return s->Buttons()->CustomDownLeftGlyph(); })
        // The counts as the spin buttons store theirs: with a custom glyph or another count.
        .Int("ButtonDownNumGlyphs", &S::ButtonDownNumGlyphs, [](S* s,
             int64_t v) { s->SetButtonDownNumGlyphs(static_cast<int>(v)); },
             2, [](S* s) { return s->Buttons()->CustomDownLeftGlyph() || s->ButtonDownNumGlyphs() != 2; })
        .Object<TBitmap>("ButtonUpGlyph", &S::ButtonUpGlyph, &S::SetButtonUpGlyph,
                         [](S* s) { return s->Buttons()->CustomUpRightGlyph(); })
        .Int("ButtonUpNumGlyphs", &S::ButtonUpNumGlyphs, [](S* s,
             int64_t v) { s->SetButtonUpNumGlyphs(static_cast<int>(v)); },
             2, [](S* s) { return s->Buttons()->CustomUpRightGlyph() || s->ButtonUpNumGlyphs() != 2; })
        .Int("ButtonWidth", &S::ButtonWidth, [](S* s, int64_t v) { s->SetButtonWidth(static_cast<int>(v)); }, 17)
        .Bool("CheckRange", &S::CheckRange, &S::SetCheckRange, false)
        .Int("Decimals", &S::Decimals, [](S* s, int64_t v) { s->SetDecimals(static_cast<int>(v)); }, 0)
        .Enum<TSpinDirection>("Direction", &S::Direction, &S::SetDirection, sdUpDown)
        .Float("Increment", &S::Increment, &S::SetIncrement, [](S* s) { return s->Increment() != 1; })
        .Bool("IntegersOnly", &S::IntegersOnly, &S::SetIntegersOnly, true)
        .Float("Max", &S::Max, &S::SetMax, [](S* s) { return s->Max() != 100; })
        .Float("Min", &S::Min, &S::SetMin, [](S* s) { return s->Min() != 0; })
        .Enum<TOrientation>("Orientation", &S::Orientation, &S::SetOrientation, orVertical)
        .Float("PageSize", &S::PageSize, &S::SetPageSize, [](S* s) { return s->PageSize() != 10; })
        .Float("Value", &S::GetValue, &S::SetValue, [](S*) { return true; })
        .Event("OnButtonClick", &S::OnButtonClick)
        .Event("OnChanging", &S::OnChanging);
    PublishInherited(b, {"OnMouseWheel", "OnMouseWheelDown", "OnMouseWheelUp"});
    return b.Build();
  }();
  return info;
}

TQvSpinEdit::TQvSpinEdit(TComponent* AOwner) : TQvCustomEdit(AOwner) {
  TControlStyle s = ControlStyle();
  s >> csSetCaption;
  SetControlStyle(s);
  SetWidth(47);
  SetAlignment(taRightJustify);
  FButtons = new TQvSpinButtons(this);
  FButtons->SetBounds(0, 0, 17, 17);
  FButtons->SetVisible(true);
  FButtons->SetParent(this);
  FButtons->SetFocusControl(this);
  FButtons->OnUpRightClick = [this](TObject* Sender) { UpRightClickHandler(Sender); };
  FButtons->OnDownLeftClick = [this](TObject* Sender) { DownLeftClickHandler(Sender); };
  SetValue(0);
}

void TQvSpinEdit::GetChildren(const TGetChildProc&, TComponent*) {}

void TQvSpinEdit::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty("FlatButtonParentColor", TQvOldPropReader::ReadOldBooleanProp, nullptr, false);
}

TQvControlButton* TQvSpinEdit::GetButton(TSpinButtonType Index) const {
  return Index == sbDown ? FButtons->DownLeftButton() : FButtons->UpRightButton();
}

// ---------------------------------------------------------------------------
// The value

long double TQvSpinEdit::GetValue() {
  try {
    if (!Text().empty()) return StrToFloat(Text());
    if (FAllowBlank) return FBlankValue;
    SetText(FloatToStr(static_cast<double>(FMin)));
    return StrToFloat(Text());
  } catch (const EConvertError&) {
    return FMin;
  }
}

long double TQvSpinEdit::CheckValue(long double NewValue) const {
  if (FMin != FMax || FCheckRange) {
    if (NewValue < FMin) return FMin;
    if (NewValue > FMax) return FMax;
  }
  return NewValue;
}

void TQvSpinEdit::SetValue(long double NewValue) {
  // While a form is read the value is kept as it comes (Min and Max may follow it);
  // Loaded brings it into the range once.
  if (!ComponentState().Contains(csReading)) NewValue = CheckValue(NewValue);
  std::string text = FloatToStrF(static_cast<double>(NewValue), ffFixed, 18, FDecimals);
  bool keepCaret = Parent() && HandleAllocated() && SelLength() == 0;
  int pos = keepCaret ? SelStart() : 0;
  int before = static_cast<int>(Text().size());
  SetText(text);
  if (!keepCaret) return;
  int after = static_cast<int>(text.size());
  if (after > before) ++pos;
  else if (after < before) --pos;
  // A text that shrank below the caret leaves it at the start, never before it.
  SetSelStart(std::clamp(pos, 0, after));
}

int TQvSpinEdit::GetIntValue() { return RoundHalfEven(GetValue()); }

void TQvSpinEdit::SetMin(long double Value) {
  if (Value == FMin) return;
  FMin = Value;
  if (FMin > FMax) FMax = FMin;
  SetValue(GetValue());
  Invalidate();
}

void TQvSpinEdit::SetMax(long double Value) {
  if (Value == FMax) return;
  FMax = Value;
  if (FMax < FMin) FMin = FMax;
  SetValue(GetValue());
  Invalidate();
}

void TQvSpinEdit::SetCheckRange(bool Value) {
  if (Value == FCheckRange) return;
  FCheckRange = Value;
  SetValue(GetValue());
}

void TQvSpinEdit::SetDecimals(int Value) {
  Value = std::clamp(Value, 0, 255);
  if (Value == FDecimals) return;
  FDecimals = Value;
  SetValue(GetValue());
}

void TQvSpinEdit::SetIntegersOnly(bool Value) {
  if (Value == FIntegersOnly) return;
  FIntegersOnly = Value;
  if (Value) {
    SetDecimals(0);
    SetValue(RoundHalfEven(GetValue()));
  }
}

bool TQvSpinEdit::CanChange(long double NewValue) {
  bool allow = true;
  if (OnChanging) OnChanging(this, NewValue, allow);
  return allow;
}

void TQvSpinEdit::DoButtonClick(TSpinButtonType Button) {
  if (OnButtonClick) OnButtonClick(this, Button);
}

void TQvSpinEdit::IncValue(long double Amount) {
  if (ReadOnly()) return InvalidKeyPressed();
  long double v = GetValue() + Amount;
  if (!CanChange(v)) return;
  SetValue(v);
  DoButtonClick(sbUp);
}

void TQvSpinEdit::DecValue(long double Amount) {
  if (ReadOnly()) return InvalidKeyPressed();
  long double v = GetValue() - Amount;
  if (!CanChange(v)) return;
  SetValue(v);
  DoButtonClick(sbDown);
}

void TQvSpinEdit::UpRightClickHandler(TObject*) { IncValue(FIncrement); }

void TQvSpinEdit::DownLeftClickHandler(TObject*) { DecValue(FIncrement); }

// ---------------------------------------------------------------------------
// Buttons and margins

void TQvSpinEdit::SetButtonWidth(int Value) {
  if (Value == FButtonWidth) return;
  FButtonWidth = std::max(Value, 0);
  FButtons->SetWidth(Orientation() == orVertical ? FButtonWidth : 2 * FButtonWidth);
  ResizeButtons();
  Invalidate();
}

void TQvSpinEdit::SetOrientation(TOrientation Value) {
  FButtons->SetOrientation(Value);
  ResizeButtons();
  Invalidate();
}

void TQvSpinEdit::SetFrameStyle(TFrameStyle Value) {
  inherited::SetFrameStyle(Value);
  ResizeButtons();
}

void TQvSpinEdit::SetFlatButtons(bool Value) {
  inherited::SetFlatButtons(Value);
  FButtons->SetFlat(Value);
  ResizeButtons();
}

void TQvSpinEdit::SetFlatButtonColor(TColor Value) {
  inherited::SetFlatButtonColor(Value);
  UpdateFrame(false, FFocused);
}

void TQvSpinEdit::ResizeButtons() {
  if (!FButtons || ComponentState().Contains(csLoading)) return;
  int minHeight = GetMinFontHeight(Font());
  if (minHeight > Height()) {
    SetHeight(minHeight);
    return;
  }
  int w = FButtons->Width();
  if (UseRightToLeftAlignment()) {
    FButtons->SetBounds(0, 0, w, Height() - 4);
  } else if (FrameVisible() || Ctl3D()) {
    if (ThemeServices()->ThemesEnabled()) FButtons->SetBounds(Width() - w - 3, -1, w, Height() - 2);
    else FButtons->SetBounds(Width() - w - 4, 0, w, Height() - 4);
  } else {
    FButtons->SetBounds(Width() - w - 1, 1, w, Height() - 2);
  }
  SetEditRect();
}

void TQvSpinEdit::SetEditRect() {
  if (!HandleAllocated()) return;
  if (ReadOnly()) {
    SendMessage(Handle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
    return;
  }
  if (ComponentState().Contains(csLoading)) return;
  const int margin = FButtons->Width() + 2;
  const bool rtl = UseRightToLeftAlignment();
  SendMessage(Handle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
              rtl ? MAKELPARAM(margin, 0) : MAKELPARAM(0, margin));
}

TRect TQvSpinEdit::GetEditRect() {
  TRect r = ClientRect();
  if (!ReadOnly()) r.Right -= FButtons->Width() + 2;
  return r;
}

void TQvSpinEdit::ReadOnlyChanged() {
  inherited::ReadOnlyChanged();
  FButtons->SetVisible(!ReadOnly());
  ResizeButtons();
}

void TQvSpinEdit::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
}

void TQvSpinEdit::CreateWnd() {
  inherited::CreateWnd();
  SetEditRect();
}

void TQvSpinEdit::Loaded() {
  inherited::Loaded();
  if (!(FAllowBlank && Text().empty())) SetValue(GetValue());
  ResizeButtons();
}

void TQvSpinEdit::UpdateFrame(bool ViaMouse, bool InFocus) {
  inherited::UpdateFrame(ViaMouse, InFocus);
  if (!FlatButtons() || !FButtons) return;
  bool hot = FFocused || FMouseOver;
  if (ThemeServices()->ThemesEnabled()) {
    FButtons->SetFlat(!hot);
    if (!hot) FButtons->SetButtonColor(Color());
  } else {
    FButtons->SetButtonColor(hot ? FlatButtonColor() : Color());
  }
}

// ---------------------------------------------------------------------------
// Keys, characters, the wheel

bool TQvSpinEdit::IsValidChar(char Key) {
  auto k = static_cast<unsigned char>(Key);
  bool control = k < 32 && k != 13;
  if (!FAllowKeyEdit) return control && k != 8;
  bool digit = k >= '0' && k <= '9';
  bool sign = Key == '+' || Key == '-';
  bool separator = !FIntegersOnly && Key == DecimalSeparator;
  if (!digit && !sign && !separator) return control;
  std::string text = Text();
  if (separator) {
    bool inText = text.find(DecimalSeparator) != std::string::npos;
    if (SelLength() == 0) return !inText;
    return !inText || SelText().find(DecimalSeparator) != std::string::npos;
  }
  if (sign) {
    if (SelStart() == 0 && text.find_first_of("+-") == std::string::npos) return true;
    return SelLength() == static_cast<int>(text.size());
  }
  return true;
}

void TQvSpinEdit::KeyDown(WORD& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (!FAllowKeyEdit && Key == VK_DELETE) {
    Key = 0;
    InvalidKeyPressed();
  }
  switch (Key) {
    case VK_PRIOR: IncValue(FPageSize); break;
    case VK_NEXT: DecValue(FPageSize); break;
    case VK_UP: IncValue(FIncrement); break;
    case VK_DOWN: DecValue(FIncrement); break;
    default: return;
  }
  Key = 0;
}

void TQvSpinEdit::KeyPress(char& Key) {
  inherited::KeyPress(Key);
  if (Key != 0 && !IsValidChar(Key)) {
    Key = 0;
    InvalidKeyPressed();
  }
}

// The wheel events run first; the value steps whatever they report.
bool TQvSpinEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  inherited::DoMouseWheel(Shift, WheelDelta, MousePos);
  long double step = Shift.Contains(ssCtrl) ? FPageSize : FIncrement;
  if (WheelDelta > 0) IncValue(step);
  else if (WheelDelta < 0) DecValue(step);
  return true;
}

void TQvSpinEdit::EditingMessage(TMessage& M) {
  if (!FAllowKeyEdit) {
    InvalidKeyPressed();
    M.Result = 0;
    return;
  }
  if (ReadOnly()) {
    M.Result = 0;
    return;
  }
  inherited::Dispatch(M);
}

void TQvSpinEdit::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
      return EditingMessage(M);
    case CM_BIDIMODECHANGED:  // the buttons change sides
      inherited::Dispatch(M);
      ResizeButtons();
      return;
    case CM_ENTER:
      inherited::Dispatch(M);
      SetEditRect();
      if (AutoSelect() && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
      return;
    case CM_EXIT:
      inherited::Dispatch(M);
      SetEditRect();
      // Leaving the edit reformats its text; a text that is no number becomes Min.
      if (!(FAllowBlank && Text().empty())) SetValue(GetValue());
      return;
    case WM_SIZE:
      inherited::Dispatch(M);
      ResizeButtons();
      return;
    case CM_ENABLEDCHANGED:
      inherited::Dispatch(M);
      SetEditRect();
      FButtons->SetAllEnabled(Enabled());
      if (FlatButtons()) FButtons->SetButtonColor(Color());
      return;
    case CM_FONTCHANGED:
      inherited::Dispatch(M);
      if (HandleAllocated()) SetEditRect();
      FButtons->SetAllEnabled(Enabled());
      return;
    case CM_COLORCHANGED:
      inherited::Dispatch(M);
      if (FButtons) FButtons->SetButtonColor(Color());
      return;
    default:
      inherited::Dispatch(M);
  }
}
