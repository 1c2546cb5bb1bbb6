#include "platform/win32/clock.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>

#include <sched.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/core/safefile.h"

std::uint64_t TMonotonicClock::NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000 + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000;
}

std::uint64_t TManualClock::NowMs() {
  std::lock_guard<std::mutex> g(FLock);
  return FNow;
}

void TManualClock::AddWaiter(int Fd) {
  std::lock_guard<std::mutex> g(FLock);
  FWaiters.push_back(Fd);
  FChanged.notify_all();
}

void TManualClock::RemoveWaiter(int Fd) {
  std::lock_guard<std::mutex> g(FLock);
  FWaiters.erase(std::remove(FWaiters.begin(), FWaiters.end(), Fd), FWaiters.end());
}

void TManualClock::Advance(std::uint64_t Ms) {
  {
    std::lock_guard<std::mutex> g(FLock);
    FNow += Ms;
  }
  Notify();
}

void TManualClock::SetNow(std::uint64_t Ms) {
  {
    std::lock_guard<std::mutex> g(FLock);
    FNow = std::max(FNow, Ms);
  }
  Notify();
}

void TManualClock::Notify() {
  std::lock_guard<std::mutex> g(FLock);
  for (int fd : FWaiters) {
    std::uint64_t one = 1;
    (void)!write(fd, &one, sizeof one);
  }
}

std::size_t TManualClock::Waiters() {
  std::lock_guard<std::mutex> g(FLock);
  return FWaiters.size();
}

bool TManualClock::WaitForWaiters(std::size_t N, int RealTimeoutMs) {
  std::unique_lock<std::mutex> g(FLock);
  return FChanged.wait_for(g, std::chrono::milliseconds(RealTimeoutMs),
                           [&] { return FWaiters.size() >= N; });
}

namespace {
TMonotonicClock GMonotonic;
std::atomic<TClockService*> GClock{&GMonotonic};

// One eventfd per thread for waits on a manual clock, closed when the thread ends.
struct TThreadClockFd {
  int Fd = -1;
  ~TThreadClockFd() {
    if (Fd >= 0) close(Fd);
  }
  int Get() {
    if (Fd < 0) Fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return Fd;
  }
};
thread_local TThreadClockFd GThreadClockFd;

int PollRetry(pollfd* Fds, nfds_t Count, int TimeoutMs) {
  for (;;) {
    int r = poll(Fds, Count, TimeoutMs);
    if (r >= 0 || errno != EINTR) return r;
  }
}
}  // namespace

TClockService& Clock() { return *GClock.load(std::memory_order_acquire); }

void SetClock(TClockService* AClock) {
  GClock.store(AClock ? AClock : &GMonotonic, std::memory_order_release);
  // The safe-replace routine's clean-up keeps its pace on this clock too.
  SetSafeFileClock(AClock ? +[] { return Clock().NowMs(); } : nullptr);
}

std::optional<std::uint64_t> DeadlineAfter(std::uint32_t DelayMs) {
  if (DelayMs == 0xFFFFFFFFu) return std::nullopt;
  return Clock().NowMs() + DelayMs;
}

int ClockPoll(pollfd* Fds, nfds_t Count, std::optional<std::uint64_t> DeadlineMs, int RealCapMs) {
  TClockService& clock = Clock();
  if (!DeadlineMs) return PollRetry(Fds, Count, RealCapMs);

  if (!clock.Manual()) {
    // Polls at least once, so a zero time-out still reports what is ready.
    for (;;) {
      std::uint64_t now = clock.NowMs();
      std::uint64_t left = *DeadlineMs > now ? *DeadlineMs - now : 0;
      int timeout = static_cast<int>(std::min<std::uint64_t>(left, 0x7FFFFFFF));
      bool capped = RealCapMs >= 0 && RealCapMs < timeout;
      if (capped) timeout = RealCapMs;
      int r = PollRetry(Fds, Count, timeout);
      if (r != 0 || capped || left == 0) return r;
    }
  }

  // Manual clock: wait on the caller's descriptors plus this thread's clock fd.
  int cfd = GThreadClockFd.Get();
  if (cfd < 0) return -1;
  std::vector<pollfd> all(Fds, Fds + Count);
  all.push_back(pollfd{cfd, POLLIN, 0});
  clock.AddWaiter(cfd);
  int result;
  for (;;) {
    bool due = clock.NowMs() >= *DeadlineMs;
    int r = PollRetry(all.data(), all.size(), due ? 0 : RealCapMs);
    if (r < 0) { result = r; break; }
    if (r == 0) { result = 0; break; }  // due, or the real-time cap
    if (all.back().revents != 0) {
      std::uint64_t v;
      (void)!read(cfd, &v, sizeof v);
      --r;
    }
    if (r > 0 || due) { result = r; break; }
  }
  clock.RemoveWaiter(cfd);
  for (nfds_t i = 0; i < Count; ++i) Fds[i].revents = all[i].revents;
  return result;
}

void Sleep(std::uint32_t Milliseconds) {
  if (Milliseconds == 0) {
    sched_yield();
    return;
  }
  std::optional<std::uint64_t> deadline = DeadlineAfter(Milliseconds);
  do {
    ClockPoll(nullptr, 0, deadline);
  } while (deadline && Clock().NowMs() < *deadline);
}

std::uint32_t GetTickCount() { return static_cast<std::uint32_t>(Clock().NowMs()); }
std::uint64_t GetTickCount64() { return Clock().NowMs(); }
