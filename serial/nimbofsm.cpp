#include "serial/nimbofsm.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "platform/core/scope.h"
#include "platform/core/typinfo.h"

namespace NimboClasses {

namespace detail {

// Runs a worker thread's request in the thread that created this object and makes
// the worker wait until it has run (the class library's Synchronize). Requests
// travel as a posted message to a message-only window of the owner thread. While
// the owner waits for the worker to end (ServeUntilEnded) it serves requests
// itself: those marked MustRun run, the others are dropped.
class TGuiCall {
public:
  static constexpr UINT WM_SYNCREQUEST = WM_USER + 0x51;

  static std::shared_ptr<TGuiCall> Create() {
    std::shared_ptr<TGuiCall> call(new TGuiCall);
    std::weak_ptr<TGuiCall> weak = call;
    call->FWnd = AllocateHWnd([weak](TMessage& M) {
      // Holding the object for the call: a request may free its timer.
      if (M.Msg != WM_SYNCREQUEST) return;
      if (std::shared_ptr<TGuiCall> self = weak.lock()) self->Serve();
    });
    return call;
  }

  ~TGuiCall() {
    if (FWnd) DeallocateHWnd(FWnd);
    if (FRequest) CloseHandle(FRequest);
  }
  TGuiCall(const TGuiCall&) = delete;
  TGuiCall& operator=(const TGuiCall&) = delete;

  // Worker thread: runs Fn in the owner thread and returns once it ran or was
  // dropped.
  void Call(std::function<void()> Fn, bool MustRun) {
    std::unique_lock<std::mutex> lock(FLock);
    const std::uint64_t id = ++FLastId;
    FFn = std::move(Fn);
    FMustRun = MustRun;
    FWaitingId = id;
    lock.unlock();
    SetEvent(FRequest);
    PostMessage(FWnd, WM_SYNCREQUEST, 0, 0);
    lock.lock();
    FDone.wait(lock, [&] { return FDoneId >= id; });
  }

  // Owner thread (or, dropping everything, any thread): from now on requests that
  // are not MustRun are dropped; serves requests until Thread has ended. A request
  // in progress further up this thread's stack (a handler that destroys the timer)
  // counts as done, so its worker goes on to its end.
  void ServeUntilEnded(HANDLE Thread) {
    const bool owner = IsWindowOwnedByCurrentThread(FWnd);
    {
      std::lock_guard<std::mutex> lock(FLock);
      FDraining = true;
      if (!owner) FDropAll = true;
      if (FRunningId) MarkDone(FRunningId);
    }
    for (;;) {
      HANDLE handles[2] = {Thread, FRequest};
      DWORD r = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
      if (r != WAIT_OBJECT_0 + 1) break;  // the thread ended (or the wait failed)
      ResetEvent(FRequest);
      try {
        Serve();
      } catch (...) {
        // OnStop failed while the timer goes away: there is no one left to tell.
      }
    }
  }

private:
  TGuiCall() : FRequest(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    if (!FRequest) throw EOutOfResources("Cannot create the state machine's synchronisation event");
  }

  // Called with FLock held.
  void MarkDone(std::uint64_t Id) {
    FDoneId = std::max(FDoneId, Id);
    if (FRunningId == Id) FRunningId = 0;
    FDone.notify_all();
  }

  // Runs (or drops) the waiting request, if any.
  void Serve() {
    std::unique_lock<std::mutex> lock(FLock);
    if (!FWaitingId) return;
    const std::uint64_t id = FWaitingId;
    FWaitingId = 0;
    std::function<void()> fn = std::move(FFn);
    FFn = nullptr;
    const bool run = !FDropAll && (FMustRun || !FDraining);
    if (run) FRunningId = id;
    lock.unlock();
    struct TDoneGuard {
      TGuiCall* Self;
      std::uint64_t Id;
      ~TDoneGuard() {
        std::lock_guard<std::mutex> g(Self->FLock);
        Self->MarkDone(Id);
      }
    } guard{this, id};
    if (run) fn();
  }

  std::mutex FLock;
  std::condition_variable FDone;
  std::function<void()> FFn;
  bool FMustRun = false;
  std::uint64_t FLastId = 0;
  std::uint64_t FWaitingId = 0;  // the request posted and not yet taken (0: none)
  std::uint64_t FRunningId = 0;  // the request the owner is running (0: none)
  std::uint64_t FDoneId = 0;     // every request up to this one has run or was dropped
  bool FDraining = false;
  bool FDropAll = false;
  HANDLE FRequest;  // set with every request, for ServeUntilEnded
  HWND FWnd = nullptr;
};

}  // namespace detail

namespace {

// Twice the interval (at least 1 ms each), INFINITE staying INFINITE.
std::uint32_t TickWait(std::uint32_t Interval) {
  if (Interval == INFINITE) return INFINITE;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(2ull * std::max<std::uint32_t>(1, Interval), INFINITE - 1));
}

HANDLE NewManualEvent() {
  HANDLE h = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!h) throw EOutOfResources("Cannot create the state machine's timer event");
  return h;
}

}  // namespace

// ---------------------------------------------------------------------------
// TNimboTimerThread
// ---------------------------------------------------------------------------

const TClassInfo& TNimboFsmTimer::TNimboTimerThread::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TNimboTimerThread>("TNimboTimerThread", &inherited::StaticClass()).Build();
  return info;
}

TNimboFsmTimer::TNimboTimerThread::TNimboTimerThread(HANDLE Target) : FTarget(Target) {
  FEvent = NewManualEvent();
  FThread = BeginThread([this] { Execute(); });
  if (!FThread) {
    CloseHandle(FEvent);
    throw EOutOfResources("Cannot start the state machine's ticker thread");
  }
}

TNimboFsmTimer::TNimboTimerThread::~TNimboTimerThread() {
  FStop.store(true, std::memory_order_release);
  SetEvent(FEvent);
  CloseHandle(FThread);  // joins
  CloseHandle(FEvent);
}

void TNimboFsmTimer::TNimboTimerThread::SetInterval(std::uint32_t Value) {
  FInterval.store(Value, std::memory_order_release);
  SetEvent(FEvent);  // the running wait starts again with the new interval
}

void TNimboFsmTimer::TNimboTimerThread::Execute() {
  while (!FStop.load(std::memory_order_acquire)) {
    const std::uint32_t interval = Interval();
    WaitForSingleObject(FEvent, interval == INFINITE ? INFINITE : std::max<std::uint32_t>(1, interval));
    FWakeUps.fetch_add(1, std::memory_order_acq_rel);
    ResetEvent(FEvent);
    if (FStop.load(std::memory_order_acquire)) break;
    SetEvent(FTarget);
  }
}

// ---------------------------------------------------------------------------
// TNimboFsmTimer
// ---------------------------------------------------------------------------

const TClassInfo& TNimboFsmTimer::StaticClass() {
  static const TClassInfo info = TClassBuilder<TNimboFsmTimer>("TNimboFsmTimer", &inherited::StaticClass()).Build();
  return info;
}

TNimboFsmTimer::TNimboFsmTimer() {
  TOnExit undo([&] {
    delete FTicker;
    FGui.reset();
    if (FTriggerEvent) CloseHandle(FTriggerEvent);
    if (FTimerEvent) CloseHandle(FTimerEvent);
  });
  FTimerEvent = NewManualEvent();
  FTriggerEvent = NewManualEvent();
  FGui = detail::TGuiCall::Create();
  FTicker = new TNimboTimerThread(FTimerEvent);
  FThread = BeginThread([this] { Execute(); });
  if (!FThread) throw EOutOfResources("Cannot start the state machine's timer thread");
  undo.Dismiss();
}

TNimboFsmTimer::~TNimboFsmTimer() { Shutdown(); }

void TNimboFsmTimer::BeforeDestruction() {
  Shutdown();
  inherited::BeforeDestruction();
}

void TNimboFsmTimer::Shutdown() {
  if (!FThread) return;
  FStop.store(true, std::memory_order_release);
  SetEvent(FTriggerEvent);
  SetEvent(FTimerEvent);
  delete FTicker;
  FTicker = nullptr;
  FGui->ServeUntilEnded(FThread);
  CloseHandle(FThread);  // joins
  FThread = nullptr;
  FGui.reset();
  CloseHandle(FTriggerEvent);
  CloseHandle(FTimerEvent);
  FTriggerEvent = FTimerEvent = nullptr;
}

void TNimboFsmTimer::SetInterval(std::uint32_t Value) {
  FInterval.store(Value, std::memory_order_release);
  if (FTicker) FTicker->SetInterval(Value);
}

void TNimboFsmTimer::Trigger() {
  FPending.store(0, std::memory_order_release);
  SetEvent(FTimerEvent);
  SetEvent(FTriggerEvent);
}

void TNimboFsmTimer::Wait(std::uint32_t Ms) {
  FPending.store(Ms, std::memory_order_release);
  SetEvent(FTimerEvent);
  SetEvent(FTriggerEvent);
}

void TNimboFsmTimer::EvStart() {
  if (OnStart) OnStart(this);
}

void TNimboFsmTimer::EvStop() {
  if (OnStop) OnStop(this);
}

// A handler may free the timer: nothing here touches it after the call.
void TNimboFsmTimer::EvTimer() {
  if (OnTimer) OnTimer(this);
}

void TNimboFsmTimer::Execute() {
  auto stopped = [this] { return FStop.load(std::memory_order_acquire); };
  try {
    FGui->Call([this] { EvStart(); }, true);
    while (!stopped()) {
      if (std::uint32_t wait = FPending.exchange(0, std::memory_order_acq_rel)) {
        WaitForSingleObject(FTriggerEvent, wait);
      } else {
        WaitForSingleObject(FTimerEvent, TickWait(Interval()));
      }
      ResetEvent(FTimerEvent);
      ResetEvent(FTriggerEvent);
      if (stopped() || FPending.load(std::memory_order_acquire) != 0) continue;
      FGui->Call([this] { EvTimer(); }, false);
      // The step asked for a wait: its own Trigger call must not cut it short.
      if (FPending.load(std::memory_order_acquire) != 0) ResetEvent(FTriggerEvent);
    }
    FGui->Call([this] { EvStop(); }, true);
  } catch (...) {
    // Nothing can be reported from this thread; the timer simply stops stepping.
  }
}

// ---------------------------------------------------------------------------
// TNimboCustomFSM, TNimboFSM
// ---------------------------------------------------------------------------

const TClassInfo& TNimboCustomFSM::StaticClass() {
  static const TClassInfo info = TClassBuilder<TNimboCustomFSM>("TNimboCustomFSM", &inherited::StaticClass()).Build();
  return info;
}

TNimboCustomFSM::TNimboCustomFSM(TComponent* AOwner) : TComponent(AOwner) {
  FState.OnChange = [this](TNimboFsmStateT<int>& Holder, int NewValue, int OldValue) {
    _FsmSetState(Holder, NewValue, OldValue);
  };
  FState.SetTick(GetTickCount());
  FTimer = new TNimboFsmTimer;
  FTimer->OnTimer = [this](TObject* Sender) { _FsmThreadTimer(Sender); };
}

TNimboCustomFSM::~TNimboCustomFSM() { Shutdown(); }

void TNimboCustomFSM::BeforeDestruction() {
  Shutdown();
  inherited::BeforeDestruction();
}

void TNimboCustomFSM::Shutdown() {
  TNimboFsmTimer* timer = FTimer;
  FTimer = nullptr;
  delete timer;
}

void TNimboCustomFSM::fSetState(int Value) { FState.SetValue(Value); }

void TNimboCustomFSM::_FsmSetState(TNimboFsmStateT<int>&, int, int) {
  if (!FInWaitState && FTimer) FTimer->Trigger();
}

void TNimboCustomFSM::Trigger() {
  if (FTimer) FTimer->Trigger();
}

void TNimboCustomFSM::Wait(std::uint32_t Ms) {
  if (FTimer) FTimer->Wait(Ms);
}

void TNimboCustomFSM::WaitState(int AState, std::uint32_t Ms) {
  struct TFlag {
    bool& F;
    explicit TFlag(bool& Flag) : F(Flag) { F = true; }
    ~TFlag() { F = false; }
  } inWaitState(FInWaitState);
  FState.SetValue(AState);
  if (FTimer) FTimer->Wait(Ms);
}

void TNimboCustomFSM::ProcessState() {
  if (OnProcessState) OnProcessState(this);
}

void TNimboCustomFSM::SetInterval(std::uint32_t Value) {
  FInterval = Value;
  if (FTimer) FTimer->SetInterval(Value);
}

// A handler may free the component: nothing here touches it after the call.
void TNimboCustomFSM::_FsmThreadTimer(TObject*) { ProcessState(); }

TNimboFSM::TNimboFSM(TComponent* AOwner) : TNimboCustomFSM(AOwner) {}

TNimboFSM::~TNimboFSM() { Shutdown(); }

const TClassInfo& TNimboFSM::StaticClass() {
  using F = TNimboFSM;
  static const TClassInfo info =
      TClassBuilder<F>("TNimboFSM", &inherited::StaticClass())
          .Component()
          .Int("Interval", &F::Interval, [](F* f, std::int64_t v) {
            f->SetInterval(static_cast<std::uint32_t>(std::clamp<std::int64_t>(v, 0, INFINITE)));
          }, 100)
          .Event<TNotifyEvent>("OnProcessState", &F::OnProcessState)
          .Build();
  return info;
}

namespace {
// Form streams create the component by its class name.
const bool kRegistered = (RegisterClass(ClassEntry<TNimboFSM>()), true);
}  // namespace

}  // namespace NimboClasses
