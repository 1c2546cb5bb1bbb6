// TProgressBar.
#include "platform/stdctrls/progress.h"

#include <algorithm>

#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TProgressBarOrientation, "pbHorizontal", "pbVertical")

TProgressBar::TProgressBar(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 150, 16); }

void TProgressBar::SetRange(int Low, int High) {
  if (FMin == Low && FMax == High) return;
  FMin = Low;
  FMax = High;
  FPosition = std::clamp(FPosition, FMin, std::max(FMin, FMax));
  Invalidate();
}

void TProgressBar::SetMin(int Value) {
  // While a form is read, Min may arrive before Max.
  if (Value > FMax && !ComponentState().Contains(csLoading))
    throw EInvalidOperation("Property value out of range");
  SetRange(Value, std::max(Value, FMax));
}

void TProgressBar::SetMax(int Value) {
  if (Value < FMin && !ComponentState().Contains(csLoading))
    throw EInvalidOperation("Property value out of range");
  SetRange(std::min(Value, FMin), Value);
}

void TProgressBar::SetPosition(int Value) {
  Value = std::clamp(Value, FMin, FMax);
  if (FPosition == Value) return;
  FPosition = Value;
  Invalidate();
}

void TProgressBar::SetStep(int Value) { FStep = Value; }

void TProgressBar::SetOrientation(TProgressBarOrientation Value) {
  if (FOrientation == Value) return;
  FOrientation = Value;
  Invalidate();
}

void TProgressBar::SetSmooth(bool Value) {
  if (FSmooth == Value) return;
  FSmooth = Value;
  Invalidate();
}

void TProgressBar::StepIt() {
  long long p = static_cast<long long>(FPosition) + FStep;
  long long range = static_cast<long long>(FMax) - FMin;
  if (range > 0 && p > FMax) p = FMin + (p - FMin) % range;
  SetPosition(static_cast<int>(std::clamp<long long>(p, FMin, FMax)));
}

void TProgressBar::StepBy(int Delta) {
  long long p = static_cast<long long>(FPosition) + Delta;
  SetPosition(static_cast<int>(std::clamp<long long>(p, FMin, FMax)));
}

void TProgressBar::Dispatch(TMessage& M) {
  int old = FPosition;
  switch (M.Msg) {
    case PBM_SETRANGE: {
      PBRANGE before{FMin, FMax};
      SetRange(static_cast<int>(LOWORD(static_cast<std::uintptr_t>(M.LParam))),
               static_cast<int>(HIWORD(static_cast<std::uintptr_t>(M.LParam))));
      M.Result = MAKELPARAM(before.iLow, before.iHigh);
      break;
    }
    case PBM_SETRANGE32: {
      int lo = static_cast<int>(M.WParam), hi = static_cast<int>(M.LParam);
      M.Result = MAKELPARAM(FMin, FMax);
      SetRange(lo, std::max(lo, hi));
      break;
    }
    case PBM_GETRANGE:
      if (auto* r = reinterpret_cast<PBRANGE*>(M.LParam)) *r = {FMin, FMax};
      M.Result = M.WParam ? FMin : FMax;
      break;
    case PBM_SETPOS:
      SetPosition(static_cast<int>(M.WParam));
      M.Result = old;
      break;
    case PBM_DELTAPOS:
      StepBy(static_cast<int>(M.WParam));
      M.Result = old;
      break;
    case PBM_SETSTEP:
      M.Result = FStep;
      FStep = static_cast<int>(M.WParam);
      break;
    case PBM_STEPIT:
      StepIt();
      M.Result = old;
      break;
    case PBM_GETPOS:
      M.Result = FPosition;
      break;
    case WM_ERASEBKGND:
      M.Result = 1;  // Paint covers everything
      break;
    default:
      inherited::Dispatch(M);
  }
}

void TProgressBar::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(r);
  DrawEdge(c->Handle(), &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  InflateRect(r, -1, -1);
  if (r.IsEmpty() || FMax <= FMin) return;
  bool vertical = FOrientation == pbVertical;
  int length = vertical ? r.Height() : r.Width();
  long long filled = (static_cast<long long>(FPosition) - FMin) * length / (static_cast<long long>(FMax) - FMin);
  c->Brush()->SetColor(clHighlight);
  if (FSmooth) {
    TRect f = vertical ? TRect{r.Left, r.Bottom - static_cast<int>(filled), r.Right, r.Bottom}
                       : TRect{r.Left, r.Top, r.Left + static_cast<int>(filled), r.Bottom};
    c->FillRect(f);
    return;
  }
  // Blocks two thirds as long as the bar is thick, two pixels apart.
  int thick = vertical ? r.Width() : r.Height();
  int block = std::max(1, thick * 2 / 3), gap = 2;
  for (int at = 0; at < filled; at += block + gap) {
    int len = std::min(block, length - at);
    TRect b = vertical ? TRect{r.Left, r.Bottom - at - len, r.Right, r.Bottom - at}
                       : TRect{r.Left + at, r.Top, r.Left + at + len, r.Bottom};
    c->FillRect(b);
  }
}

const TClassInfo& TProgressBar::StaticClass() {
  using C = TProgressBar;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TProgressBar", &inherited::StaticClass());
    b.Component()
        .Int("Max", &C::Max, [](C* x, int64_t v) { x->SetMax(static_cast<int>(v)); }, 100)
        .Int("Min", &C::Min, [](C* x, int64_t v) { x->SetMin(static_cast<int>(v)); }, 0)
        .Enum<TProgressBarOrientation>("Orientation", &C::Orientation, &C::SetOrientation, pbHorizontal)
        .Int("Position", &C::Position, [](C* x, int64_t v) { x->SetPosition(static_cast<int>(v)); }, 0)
        .Bool("Smooth", &C::Smooth, &C::SetSmooth, false)
        .Int("Step", &C::Step, [](C* x, int64_t v) { x->SetStep(static_cast<int>(v)); }, 10);
    for (const char* n : {"Align", "Anchors", "Enabled", "ParentShowHint", "PopupMenu", "ShowHint",
                          "TabOrder", "TabStop", "Visible", "OnContextPopup", "OnEnter", "OnExit", "OnMouseDown",
                          "OnMouseMove", "OnMouseUp"})
      b.Prop(TControl::Property(n));
    return b.Build();
  }();
  return info;
}

namespace {
struct TRegistration {
  TRegistration() { RegisterClass(ClassEntry<TProgressBar>()); }
} const kRegistration;
}  // namespace
