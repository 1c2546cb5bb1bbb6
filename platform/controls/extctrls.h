#pragma once
// TTimer: OnTimer every Interval milliseconds of the clock service (a manual clock
// in tests), delivered as WM_TIMER to a message-only window of its own when the
// message loop checks its timers. A handler that throws is shown by the
// application's exception display and the timer goes on.
#include "platform/controls/controls.h"

class TTimer : public TComponent {
  DTU_CLASS(TTimer, TComponent)
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned Value);
  void Loaded() override;
  TNotifyEvent OnTimer;
protected:
  virtual void Timer();
private:
  void UpdateTimer();
  void WndProc(TMessage& M);
  HWND FWindow = nullptr;
  bool FEnabled = true;
  unsigned FInterval = 1000;
};
