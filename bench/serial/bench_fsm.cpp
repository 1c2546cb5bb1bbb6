// The state machine's step round trip (timer thread -> this thread -> timer thread)
// against the nearest platform call, a worker's SendMessage to a window of this
// thread; and the wake-ups of an idle machine in one second.
// Usage: bench_fsm [steps]   (default 20000)
#include <poll.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/win32/messages.h"
#include "serial/nimbofsm.h"

using namespace NimboClasses;

namespace {
using Clock = std::chrono::steady_clock;
double Ms(Clock::duration D) { return std::chrono::duration<double, std::milli>(D).count(); }

// Delivers this thread's messages until Done holds.
template <class F>
void PumpUntil(F Done) {
  while (!Done()) {
    pollfd p{MessageQueueFd(), POLLIN, 0};
    poll(&p, 1, 10);
    ProcessMessages();
  }
}
}  // namespace

int main(int argc, char** argv) {
  const int steps = argc > 1 ? std::atoi(argv[1]) : 20000;

  // Each step enters the next state, which steps at once.
  int done = 0;
  auto fsm = std::make_unique<TNimboFSM>(nullptr);
  fsm->OnProcessState = [&](TObject*) {
    if (++done < steps) fsm->SetState(done);
  };
  auto t0 = Clock::now();
  fsm->Trigger();
  PumpUntil([&] { return done >= steps; });
  auto t1 = Clock::now();
  fsm.reset();

  // The same number of round trips as plain sent messages.
  std::atomic<int> handled{0};
  HWND wnd = AllocateHWnd([&](TMessage& M) { M.Result = ++handled; });
  std::atomic<bool> finished{false};
  auto t2 = Clock::now();
  std::thread worker([&] {
    for (int i = 0; i < steps; ++i) SendMessage(wnd, WM_USER, 0, 0);
    finished = true;
  });
  PumpUntil([&] { return finished.load(); });
  auto t3 = Clock::now();
  worker.join();
  DeallocateHWnd(wnd);

  // An idle machine at the default interval: wake-ups and steps in one second.
  int idleSteps = 0;
  fsm = std::make_unique<TNimboFSM>(nullptr);
  fsm->OnProcessState = [&](TObject*) { ++idleSteps; };
  const std::uint64_t wakes0 = fsm->Timer()->Ticker()->WakeUps();
  auto end = Clock::now() + std::chrono::seconds(1);
  PumpUntil([&] { return Clock::now() >= end; });
  const std::uint64_t wakes = fsm->Timer()->Ticker()->WakeUps() - wakes0;
  fsm.reset();

  std::printf("%d state-machine steps    %8.1f ms  (%.2f us a step)\n", steps, Ms(t1 - t0),
              1000.0 * Ms(t1 - t0) / steps);
  std::printf("%d sent messages          %8.1f ms  (%.2f us a message)\n", steps, Ms(t3 - t2),
              1000.0 * Ms(t3 - t2) / steps);
  std::printf("idle second at Interval 100: %llu ticker wake-ups, %d steps\n",
              static_cast<unsigned long long>(wakes), idleSteps);
  return 0;
}
