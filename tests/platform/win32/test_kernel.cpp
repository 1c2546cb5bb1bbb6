// Events, waits, threads, the clock service and the thread locale.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <memory>
#include <thread>

#include "platform/win32/clock.h"
#include "platform/win32/handles.h"
#include "platform/win32/locale.h"

namespace {

// Installs a manual clock for one test.
struct TManualClockScope {
  TManualClock Clock{1000};
  TManualClockScope() { SetClock(&Clock); }
  ~TManualClockScope() { SetClock(nullptr); }
};

TEST(Events, ManualAndAutoResetSemantics) {
  struct Case {
    BOOL Manual;
    BOOL Initial;
    DWORD FirstWait, SecondWait;  // with a zero time-out
  } cases[] = {
      {TRUE, TRUE, WAIT_OBJECT_0, WAIT_OBJECT_0},   // stays signalled
      {FALSE, TRUE, WAIT_OBJECT_0, WAIT_TIMEOUT},   // one waiter takes it
      {TRUE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
  };
  for (const Case& c : cases) {
    HANDLE e = CreateEventA(nullptr, c.Manual, c.Initial, nullptr);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(WaitForSingleObject(e, 0), c.FirstWait) << c.Manual << c.Initial;
    EXPECT_EQ(WaitForSingleObject(e, 0), c.SecondWait) << c.Manual << c.Initial;
    // Two sets before a wait are one signal; a reset clears it.
    SetEvent(e);
    SetEvent(e);
    ResetEvent(e);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    CloseHandle(e);
  }
}

TEST(Events, MultipleWaitReportsLowestSignalledIndexAndRefusesWaitAll) {
  HANDLE e[3];
  for (HANDLE& h : e) h = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SetEvent(e[2]);
  SetEvent(e[1]);
  EXPECT_EQ(WaitForMultipleObjects(3, e, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(3, e, TRUE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  for (HANDLE h : e) CloseHandle(h);
  EXPECT_EQ(WaitForSingleObject(INVALID_HANDLE_VALUE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Threads, HandleIsSignalledWhenTheBodyReturnsAndCloseJoins) {
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> stage{0};
  HANDLE t = BeginThread([&] {
    stage = 1;
    WaitForSingleObject(go, INFINITE);
    stage = 2;
  });
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_TIMEOUT);
  SetEvent(go);
  EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(stage.load(), 2);
  EXPECT_TRUE(CloseHandle(t));
  CloseHandle(go);
}

TEST(Threads, AThreadClosingItsOwnHandleIsDetachedNotDeadlocked) {
  HANDLE own = nullptr;
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  // 1: was its own thread and closed it. The thread holds the promise, so that it
  // may still be returning from set_value when this test ends.
  auto state = std::make_shared<std::promise<int>>();
  std::future<int> reported = state->get_future();
  own = BeginThread([&own, ready, state] {
    WaitForSingleObject(ready, INFINITE);
    bool current = IsCurrentThread(own);
    CloseHandle(own);
    state->set_value(current ? 1 : 2);
  });
  SetEvent(ready);
  EXPECT_EQ(reported.get(), 1);
  CloseHandle(ready);  // the thread is past its wait
}

TEST(Clock, ManualClockDrivesSleepTimedWaitsAndTickCount) {
  TManualClockScope scope;
  EXPECT_EQ(GetTickCount(), 1000u);
  std::atomic<bool> slept{false};
  std::thread sleeper([&] {
    Sleep(6000);
    slept = true;
  });
  ASSERT_TRUE(scope.Clock.WaitForWaiters(1));
  scope.Clock.Advance(5999);
  // Still asleep one millisecond short: the waiter re-registers on the clock.
  ASSERT_TRUE(scope.Clock.WaitForWaiters(1));
  EXPECT_FALSE(slept.load());
  scope.Clock.Advance(1);
  sleeper.join();
  EXPECT_TRUE(slept.load());
  EXPECT_EQ(GetTickCount64(), 7000u);

  HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<DWORD> result{0xDEAD};
  std::thread waiter([&] { result = WaitForSingleObject(e, 100); });
  ASSERT_TRUE(scope.Clock.WaitForWaiters(1));
  scope.Clock.Advance(100);
  waiter.join();
  EXPECT_EQ(result.load(), WAIT_TIMEOUT);
  // A signal beats the time-out.
  std::thread waiter2([&] { result = WaitForSingleObject(e, 100); });
  ASSERT_TRUE(scope.Clock.WaitForWaiters(1));
  SetEvent(e);
  waiter2.join();
  EXPECT_EQ(result.load(), WAIT_OBJECT_0);
  CloseHandle(e);
}

TEST(Locale, EnvironmentNamesMapToLocaleIdsAndTheOverrideWins) {
  struct Case {
    const char* LcAll;
    const char* LcMessages;
    const char* Lang;
    LCID Id;
  } cases[] = {
      {"", "", "zh_CN.UTF-8", 2052},
      {"", "", "zh_TW.Big5", 1028},
      {"", "", "zh_HK.UTF-8", 3076},
      {"", "", "zh_SG", 4100},
      {"", "", "en_US.UTF-8", 0},
      {"", "", "C", 0},
      {"", "zh_TW.UTF-8", "zh_CN.UTF-8", 1028},       // LC_MESSAGES before LANG
      {"C.UTF-8", "zh_TW.UTF-8", "zh_CN.UTF-8", 0},   // LC_ALL before both
      {"zh_CN.GBK@x", "", "", 2052},
  };
  auto keep = [](const char* n) { const char* v = getenv(n); return v ? std::string(v) : std::string("\x01"); };
  std::string was[3] = {keep("LC_ALL"), keep("LC_MESSAGES"), keep("LANG")};
  for (const Case& c : cases) {
    setenv("LC_ALL", c.LcAll, 1);
    setenv("LC_MESSAGES", c.LcMessages, 1);
    setenv("LANG", c.Lang, 1);
    EXPECT_EQ(GetThreadLocale(), c.Id) << c.LcAll << "|" << c.LcMessages << "|" << c.Lang;
  }
  SetThreadLocale(1028);
  EXPECT_EQ(GetThreadLocale(), 1028u);
  LCID other = 0xFFFF;
  std::thread([&] { other = GetThreadLocale(); }).join();
  EXPECT_EQ(other, 2052u);  // the override is this thread's only
  ResetThreadLocale();
  EXPECT_EQ(GetThreadLocale(), 2052u);
  const char* names[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  for (int i = 0; i < 3; ++i)
    if (was[i] == "\x01") unsetenv(names[i]); else setenv(names[i], was[i].c_str(), 1);
}

}  // namespace
