// TTimer.
#include "platform/controls/extctrls.h"

#include "platform/core/typinfo.h"

const TClassInfo& TTimer::StaticClass() {
  using T = TTimer;
  static const TClassInfo info = TClassBuilder<T>("TTimer", &inherited::StaticClass())
                                     .Component()
                                     .Bool("Enabled", &T::Enabled, &T::SetEnabled, true)
                                     .Int("Interval", &T::Interval, [](T* x, int64_t v) { x->SetInterval(static_cast<unsigned>(v)); }, 1000)
                                     .Event("OnTimer", &T::OnTimer)
                                     .Build();
  return info;
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  FWindow = AllocateHWnd([this](TMessage& M) { WndProc(M); });
  UpdateTimer();
}

TTimer::~TTimer() {
  KillTimer(FWindow, 1);
  DeallocateHWnd(FWindow);
}

void TTimer::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned Value) {
  if (FInterval == Value) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  KillTimer(FWindow, 1);
  if (FEnabled && FInterval != 0 && !ComponentState().Contains(csLoading)) SetTimer(FWindow, 1, FInterval, nullptr);
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

void TTimer::WndProc(TMessage& M) {
  if (M.Msg != WM_TIMER) return;
  try {
    Timer();
  } catch (...) {
    HandleControlException(this);
  }
}
