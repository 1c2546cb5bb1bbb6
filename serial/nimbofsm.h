#pragma once
// TNimboFSM: a component for writing protocol sequences as a state machine driven
// by time. It holds an integer State; a worker thread runs the component's
// ProcessState (and so OnProcessState) in the thread that created the component
// (the GUI thread) on every tick of Interval, at once after a State change, or
// after a chosen delay (Wait, WaitState). A handler looks at State and Elapsed and
// moves the machine on.
//
// Threads: the timer thread (TNimboFsmTimer) and its ticker (TNimboTimerThread)
// run for the component's whole life. The timer thread hands each step to the
// GUI thread through a message-only window and waits for it, so the GUI thread must
// process its messages (ProcessMessages or an application's message loop).
// Destroying the component (from the GUI thread, also from inside a handler) stops
// both threads; while it waits for them it serves the timer thread's requests
// itself: OnStop still runs, a pending step is dropped, and no step runs once the
// destruction has begun.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/core/object.h"
#include "platform/win32/clock.h"
#include "platform/win32/handles.h"
#include "platform/win32/messages.h"

namespace NimboClasses {

// A value with the tick count at which it was last set and a change callback
// (holder, new value, old value), which runs before the tick is stamped.
template <class T>
class TNimboFsmStateT {
public:
  using TChangeEvent = std::function<void(TNimboFsmStateT& Holder, T NewValue, T OldValue)>;

  T Value() const { return FValue; }
  void SetValue(T NewValue) {
    T old = FValue;
    FValue = NewValue;
    if (OnChange) OnChange(*this, NewValue, old);
    FTick = GetTickCount();
  }
  std::uint32_t Tick() const { return FTick; }
  void SetTick(std::uint32_t Value) { FTick = Value; }

  TChangeEvent OnChange;

private:
  T FValue{};
  std::uint32_t FTick = 0;
};

namespace detail {
class TGuiCall;
}

// The timer thread: steps when its timer event is pulsed by the ticker or by
// Trigger, or when a requested wait ends; each step (and OnStart, OnStop) runs in
// the thread that created the timer.
class TNimboFsmTimer : public TObject {
  DTU_CLASS(TNimboFsmTimer, TObject)
public:
  // Pulses the target event every Interval milliseconds (at least 1 ms, so an
  // Interval of 0 does not spin). Changing the interval restarts the running wait.
  class TNimboTimerThread : public TObject {
    DTU_CLASS(TNimboTimerThread, TObject)
  public:
    explicit TNimboTimerThread(HANDLE Target);
    ~TNimboTimerThread() override;
    std::uint32_t Interval() const { return FInterval.load(std::memory_order_acquire); }
    void SetInterval(std::uint32_t Value);
    // How often the thread's wait has ended so far (ticks and interval changes).
    std::uint64_t WakeUps() const { return FWakeUps.load(std::memory_order_acquire); }

  protected:
    virtual void Execute();

  private:
    std::atomic<std::uint32_t> FInterval{100};
    HANDLE FTarget;
    HANDLE FEvent = nullptr;
    std::atomic<bool> FStop{false};
    std::atomic<std::uint64_t> FWakeUps{0};
    HANDLE FThread = nullptr;
  };

  // Starts both threads; raises EOutOfResources when a thread or an event cannot be
  // made.
  TNimboFsmTimer();
  ~TNimboFsmTimer() override;
  void BeforeDestruction() override;

  // Ends a pending wait and steps at once.
  virtual void Trigger();
  // The next step comes only after Ms milliseconds (ticks are ignored meanwhile)
  // unless Trigger cuts the wait short; INFINITE waits for Trigger.
  virtual void Wait(std::uint32_t Ms);
  virtual void EvStart();
  virtual void EvStop();
  virtual void EvTimer();

  std::uint32_t Interval() const { return FInterval.load(std::memory_order_acquire); }
  void SetInterval(std::uint32_t Value);
  // The wait the timer thread has not taken up yet (0: none).
  std::uint32_t Waiting() const { return FPending.load(std::memory_order_acquire); }
  TNimboTimerThread* Ticker() const { return FTicker; }

  // Each runs in the creating thread with the timer as Sender.
  TNotifyEvent OnTimer;
  TNotifyEvent OnStart;
  TNotifyEvent OnStop;

protected:
  virtual void Execute();
  // Stops the timer thread and the ticker and waits for them, serving the timer
  // thread's requests meanwhile (OnStop runs, steps are dropped). Called by every
  // destructor level; idempotent.
  void Shutdown();

private:
  HANDLE FTimerEvent = nullptr;
  HANDLE FTriggerEvent = nullptr;
  TNimboTimerThread* FTicker = nullptr;
  std::atomic<std::uint32_t> FInterval{100};  // the ticker's, for the timer thread
  std::atomic<std::uint32_t> FPending{0};
  std::atomic<bool> FStop{false};
  std::shared_ptr<detail::TGuiCall> FGui;
  HANDLE FThread = nullptr;
};

class TNimboCustomFSM : public TComponent {
  DTU_CLASS(TNimboCustomFSM, TComponent)
public:
  explicit TNimboCustomFSM(TComponent* AOwner);
  ~TNimboCustomFSM() override;
  void BeforeDestruction() override;

  virtual void Trigger();
  virtual void Wait(std::uint32_t Ms);
  // Enters State without a step at once; the next step comes after Ms (or Trigger).
  virtual void WaitState(int AState, std::uint32_t Ms);
  // One step: OnProcessState.
  virtual void ProcessState();

  int State() const { return FState.Value(); }
  // Enters a state and steps at once (outside WaitState).
  void fSetState(int Value);
  void SetState(int Value) { fSetState(Value); }
  // Milliseconds since the state was entered; setting it moves the entry back.
  std::uint32_t Elapsed() const { return GetTickCount() - FState.Tick(); }
  void SetElapsed(std::uint32_t Value) { FState.SetTick(GetTickCount() - Value); }
  std::uint32_t Waiting() const { return FTimer ? FTimer->Waiting() : 0; }
  std::uint32_t Interval() const { return FInterval; }
  void SetInterval(std::uint32_t Value);
  // The timer thread (nullptr once the component is being destroyed).
  TNimboFsmTimer* Timer() const { return FTimer; }

  TNotifyEvent OnProcessState;

protected:
  // Frees the timer, which stops its threads; no step runs afterwards. Called by
  // every destructor level, so a step never meets a half-destroyed object.
  void Shutdown();

private:
  void _FsmSetState(TNimboFsmStateT<int>& Holder, int NewValue, int OldValue);
  void _FsmThreadTimer(TObject* Sender);

  TNimboFsmStateT<int> FState;
  TNimboFsmTimer* FTimer = nullptr;
  bool FInWaitState = false;
  std::uint32_t FInterval = 100;  // kept for reading after the timer is gone
};

// The published component: Interval (default 100) and OnProcessState.
class TNimboFSM : public TNimboCustomFSM {
  DTU_CLASS(TNimboFSM, TNimboCustomFSM)
public:
  explicit TNimboFSM(TComponent* AOwner);
  ~TNimboFSM() override;
};

}  // namespace NimboClasses
