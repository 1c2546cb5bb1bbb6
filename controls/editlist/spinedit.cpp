#include "controls/editlist/spinedit.h"

#include <cmath>

#include "platform/controls/winuser.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/gdi.h"

namespace {

constexpr int ButtonWidth = 15;

// The class library's Round: halves go to the even neighbour.
int RoundHalfEven(long double V) { return static_cast<int>(std::nearbyint(V)); }

}  // namespace

DTU_DECLARE_ENUM(TSpinButtonType)
DTU_DEFINE_ENUM(TSpinButtonType, "sbUp", "sbDown")

const TClassInfo& TQvSpinEdit::StaticClass() {
  using S = TQvSpinEdit;
  static const TClassInfo info =
      TClassBuilder<S>("TQvSpinEdit", &TCustomEdit::StaticClass())
          .Component()
          .Bool("AllowBlank", &S::AllowBlank, &S::SetAllowBlank, false)
          .Float("BlankValue", &S::BlankValue, &S::SetBlankValue)
          .Bool("CheckRange", &S::CheckRange, &S::SetCheckRange, false)
          .Int("Decimals", &S::Decimals, [](S* s, int64_t v) { s->SetDecimals(static_cast<int>(v)); }, 0)
          .Float("Increment", &S::Increment, &S::SetIncrement, [](S* s) { return s->Increment() != 1; })
          .Bool("IntegersOnly", &S::IntegersOnly, &S::SetIntegersOnly, true)
          .Float("Max", &S::Max, &S::SetMax, [](S* s) { return s->Max() != 100; })
          .Float("Min", &S::Min, &S::SetMin, [](S* s) { return s->Min() != 0; })
          .Float("PageSize", &S::PageSize, &S::SetPageSize, [](S* s) { return s->PageSize() != 10; })
          .Float("Value", &S::GetValue, &S::SetValue, [](S*) { return true; })
          .Prop(TControl::Property("Anchors"))
          .Prop(TControl::Property("Color"))
          .Prop(TControl::Property("Enabled"))
          .Prop(TControl::Property("Font"))
          .Prop(TControl::Property("ParentFont"))
          .Prop(TControl::Property("ShowHint"))
          .Prop(TControl::Property("TabOrder"))
          .Prop(TControl::Property("TabStop"))
          .Prop(TControl::Property("Visible"))
          .Event("OnChange", static_cast<TNotifyEvent S::*>(&TCustomEdit::OnChange))
          .Build();
  return info;
}

namespace {
const bool kRegistered = (RegisterClass(TQvSpinEdit::StaticClass()), true);
}

TQvSpinEdit::TQvSpinEdit(TComponent* AOwner) : TCustomEdit(AOwner) { SetValue(0); }

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
  std::string text = FloatToStrF(static_cast<double>(CheckValue(NewValue)), ffFixed, 18, FDecimals);
  bool keepCaret = Parent() && HandleAllocated() && SelLength() == 0;
  int pos = keepCaret ? SelStart() : 0;
  int before = static_cast<int>(Text().size());
  SetText(text);
  if (!keepCaret) return;
  int after = static_cast<int>(text.size());
  if (after > before) ++pos;
  else if (after < before) --pos;
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

void TQvSpinEdit::InvalidKeyPressed() { MessageBeep(0); }

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

void TQvSpinEdit::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_NCCALCSIZE: return WMNCCalcSize(M);
    case WM_NCPAINT: return WMNCPaint(M);
    case WM_NCHITTEST: return WMNCHitTest(M);
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: return WMNCLButtonDown(M);
    case WM_KEYDOWN: return WMKeyDown(M);
    case WM_MOUSEWHEEL: {
      int delta = static_cast<int16_t>(HIWORD(M.WParam));
      if (delta > 0) IncValue(FIncrement);
      else if (delta < 0) DecValue(FIncrement);
      M.Result = 0;
      return;
    }
    case WM_CHAR:
      // The value is changed only by stepping; typed characters are refused.
      if (static_cast<unsigned char>(M.WParam) >= ' ') InvalidKeyPressed();
      M.Result = 0;
      return;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
      return;
    case CM_EXIT:
      // Leaving the edit reformats its text; a text that is no number becomes Min.
      inherited::Dispatch(M);
      if (!(FAllowBlank && Text().empty())) SetValue(GetValue());
      return;
    default:
      inherited::Dispatch(M);
  }
}

void TQvSpinEdit::WMKeyDown(TMessage& M) {
  switch (M.WParam) {
    case VK_UP: IncValue(FIncrement); break;
    case VK_DOWN: DecValue(FIncrement); break;
    case VK_PRIOR: IncValue(FPageSize); break;
    case VK_NEXT: DecValue(FPageSize); break;
    case VK_DELETE: InvalidKeyPressed(); break;  // the text changes only by stepping
    default: return inherited::Dispatch(M);
  }
  M.Result = 0;
}

void TQvSpinEdit::WMNCCalcSize(TMessage& M) {
  NCCALCSIZE_PARAMS* p = TWMNCCalcSize(M).CalcSize_Params();
  TRect window = p->rgrc[0];
  inherited::Dispatch(M);
  TRect& client = p->rgrc[0];
  int width = std::min(ButtonWidth, std::max(0, client.Width() - 1));
  client.Right -= width;
  FButtons = TRect(client.Right - window.Left, client.Top - window.Top, client.Right + width - window.Left,
                   client.Bottom - window.Top);
}

void TQvSpinEdit::WMNCPaint(TMessage& M) {
  inherited::Dispatch(M);
  if (FButtons.IsEmpty()) return;
  HDC dc = GetWindowDC(Handle());
  int mid = FButtons.Top + FButtons.Height() / 2;
  TRect up(FButtons.Left, FButtons.Top, FButtons.Right, mid);
  TRect down(FButtons.Left, mid, FButtons.Right, FButtons.Bottom);
  UINT state = Enabled() ? 0 : DFCS_INACTIVE;
  DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP | state);
  DrawFrameControl(dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN | state);
  ReleaseDC(Handle(), dc);
}

void TQvSpinEdit::WMNCHitTest(TMessage& M) {
  inherited::Dispatch(M);
  TRect window;
  GetWindowRect(Handle(), &window);
  TPoint p = TWMNCHitTest(M).Pos();
  if (FButtons.Contains(TPoint(p.X - window.Left, p.Y - window.Top))) M.Result = HTBORDER;
}

void TQvSpinEdit::WMNCLButtonDown(TMessage& M) {
  TRect window;
  GetWindowRect(Handle(), &window);
  TPoint p = LParamToPoint(M.LParam);
  TPoint local(p.X - window.Left, p.Y - window.Top);
  if (!Enabled() || !FButtons.Contains(local)) return inherited::Dispatch(M);
  if (CanFocus()) SetFocus();
  bool up = local.Y < FButtons.Top + FButtons.Height() / 2;
  if (up) IncValue(FIncrement);
  else DecValue(FIncrement);
  M.Result = 0;
}
