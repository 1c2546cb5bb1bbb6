#pragma once
// The clock service: every sleep, tick count and timed wait of the system reads
// time from here, so tests can install a manual clock and a 6-second time-out costs
// no real time. A timer service waits on it the same way (ClockPoll below).
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include <poll.h>

class TClockService {
public:
  virtual ~TClockService() = default;
  // Milliseconds since an arbitrary start; never goes back.
  virtual std::uint64_t NowMs() = 0;
  // A manual clock moves only when told: a waiter then needs a descriptor that
  // becomes readable when the time changes. Real clocks return false and waiters
  // use poll's own time-out.
  virtual bool Manual() const { return false; }
  // Registers/unregisters a waiter's eventfd to be signalled on every time change.
  virtual void AddWaiter(int) {}
  virtual void RemoveWaiter(int) {}
};

// CLOCK_MONOTONIC.
class TMonotonicClock : public TClockService {
public:
  std::uint64_t NowMs() override;
};

// Time that moves only by Advance/SetNow. Threads sleeping or waiting with a
// time-out on it wake when their deadline is passed.
class TManualClock : public TClockService {
public:
  explicit TManualClock(std::uint64_t StartMs = 0) : FNow(StartMs) {}
  std::uint64_t NowMs() override;
  bool Manual() const override { return true; }
  void AddWaiter(int Fd) override;
  void RemoveWaiter(int Fd) override;

  void Advance(std::uint64_t Ms);
  void SetNow(std::uint64_t Ms);
  // Threads currently waiting on this clock.
  std::size_t Waiters();
  // Blocks (real time, at most RealTimeoutMs) until at least N threads wait on the
  // clock, so a test can advance time only once a worker is asleep.
  bool WaitForWaiters(std::size_t N, int RealTimeoutMs = 10000);

private:
  void Notify();
  std::mutex FLock;
  std::condition_variable FChanged;
  std::uint64_t FNow;
  std::vector<int> FWaiters;
};

// The clock in use (a monotonic clock unless a test installed another).
TClockService& Clock();
// Installs a clock (not owned); nullptr restores the monotonic clock. Install it
// while no thread sleeps on the old one. The safe-replace routine's once-a-minute
// clean-up of folders follows it too.
void SetClock(TClockService* AClock);

// poll() with a deadline on the clock service: returns the number of ready
// descriptors, 0 when the deadline passed (or RealCapMs of real time passed, for
// callers that must look at hardware now and then), -1 on error. No deadline
// and no cap waits without a time-out.
int ClockPoll(pollfd* Fds, nfds_t Count, std::optional<std::uint64_t> DeadlineMs,
              int RealCapMs = -1);
// The deadline DelayMs from now, or none for INFINITE (0xFFFFFFFF).
std::optional<std::uint64_t> DeadlineAfter(std::uint32_t DelayMs);

// The system's time calls, through the clock service.
void Sleep(std::uint32_t Milliseconds);
std::uint32_t GetTickCount();
std::uint64_t GetTickCount64();
