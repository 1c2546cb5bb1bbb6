// The timer-driven state machine on the manual clock: ticks, state changes, waits,
// an interval of 0, and destruction while the timer thread waits for this thread
// (the test thread plays the GUI thread and drains its messages).
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/core/filer.h"
#include "platform/core/textform.h"
#include "serial/nimbofsm.h"

using namespace NimboClasses;

namespace {

using TRealClock = std::chrono::steady_clock;

class NimboFsm : public ::testing::Test {
protected:
  void SetUp() override { SetClock(&Clock); }
  void TearDown() override {
    Fsm.reset();
    ProcessMessages();
    SetClock(nullptr);
  }

  // Drains this thread's messages until Cond holds (false after 5 s of real time).
  static bool PumpUntil(const std::function<bool()>& Cond) {
    const auto end = TRealClock::now() + std::chrono::seconds(5);
    for (;;) {
      ProcessMessages();
      if (Cond()) return true;
      if (TRealClock::now() > end) return false;
      pollfd p{MessageQueueFd(), POLLIN, 0};
      poll(&p, 1, 2);
    }
  }
  // Both threads wait on the clock again, so a later Advance reaches them.
  void Settle() { ASSERT_TRUE(Clock.WaitForWaiters(2)); }

  // Moves the clock once the threads wait and returns when the ticker has seen it.
  void Tick(std::uint64_t Ms) {
    Settle();
    const std::uint64_t wakes = Fsm->Timer()->Ticker()->WakeUps();
    Clock.Advance(Ms);
    ASSERT_TRUE(PumpUntil([&] { return Fsm->Timer()->Ticker()->WakeUps() > wakes; }));
  }

  // A machine that records the state of each step; Handler may move it on.
  void Make(std::function<void(TNimboFSM*)> Handler = nullptr) {
    Fsm = std::make_unique<TNimboFSM>(nullptr);
    Fsm->Timer()->OnStart = [this](TObject*) { Started = true; };
    Fsm->OnProcessState = [this, Handler](TObject*) {
      Steps.push_back(Fsm->State());
      if (Handler) Handler(Fsm.get());
    };
    ASSERT_TRUE(PumpUntil([&] { return Started; }));
  }

  TManualClock Clock{10000};
  std::unique_ptr<TNimboFSM> Fsm;
  std::vector<int> Steps;
  bool Started = false;
};

TEST_F(NimboFsm, StepsOnEveryTickOfTheInterval) {
  Make();
  EXPECT_EQ(Fsm->Interval(), 100u);
  for (size_t i = 1; i <= 10; ++i) {
    Settle();
    Clock.Advance(100);
    ASSERT_TRUE(PumpUntil([&] { return Steps.size() == i; })) << i;
  }
  // A second's worth of ticks, one step each.
  EXPECT_EQ(Steps.size(), 10u);
}

TEST_F(NimboFsm, AStateChangeStepsAtOnceWithoutATick) {
  Make([](TNimboFSM* F) {
    if (F->State() < 3) F->SetState(F->State() + 1);
  });
  Fsm->Trigger();
  // Three changes, each followed by its step; the clock never moves.
  ASSERT_TRUE(PumpUntil([&] { return Steps.size() == 4; }));
  EXPECT_EQ(Steps, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Fsm->Elapsed(), 0u);
}

TEST_F(NimboFsm, WaitStateHoldsStepsUntilItsDeadlineOrATrigger) {
  Make([](TNimboFSM* F) {
    if (F->State() == 0) F->WaitState(5, 1000);
    else if (F->State() == 5) F->WaitState(6, 1000);
  });
  Fsm->Trigger();
  ASSERT_TRUE(PumpUntil([&] { return Steps.size() == 1; }));
  EXPECT_EQ(Fsm->State(), 5);  // entered without a step of its own

  // Nine ticks pass unanswered.
  for (int t = 0; t < 9; ++t) Tick(100);
  Settle();
  ProcessMessages();
  EXPECT_EQ(Steps.size(), 1u);
  EXPECT_EQ(Fsm->Elapsed(), 900u);

  // The deadline steps in state 5, which waits again in state 6; a trigger cuts
  // that wait short.
  Clock.Advance(100);
  ASSERT_TRUE(PumpUntil([&] { return Steps.size() == 2; }));
  EXPECT_EQ(Steps.back(), 5);
  Tick(300);
  Settle();
  ProcessMessages();
  EXPECT_EQ(Steps.size(), 2u);
  Fsm->Trigger();
  ASSERT_TRUE(PumpUntil([&] { return Steps.size() == 3; }));
  EXPECT_EQ(Steps.back(), 6);
  EXPECT_EQ(Fsm->Elapsed(), 300u);
}

TEST_F(NimboFsm, ElapsedCountsFromTheLastStateChange) {
  Make();
  Clock.Advance(250);
  EXPECT_EQ(Fsm->Elapsed(), 250u);
  Fsm->SetElapsed(500);
  EXPECT_EQ(Fsm->Elapsed(), 500u);
  Fsm->SetState(2);
  EXPECT_EQ(Fsm->Elapsed(), 0u);
  Clock.Advance(40);
  EXPECT_EQ(Fsm->Elapsed(), 40u);
}

TEST_F(NimboFsm, AnIntervalOfZeroDoesNotSpin) {
  Make();
  // Changing the interval ends the running wait, which is a tick.
  Fsm->SetInterval(0);
  EXPECT_EQ(Fsm->Interval(), 0u);
  ASSERT_TRUE(PumpUntil([&] { return Steps.size() == 1; }));
  Settle();
  ProcessMessages();
  const std::uint64_t wakes = Fsm->Timer()->Ticker()->WakeUps();
  const size_t steps = Steps.size();
  // With the clock standing still, real time brings no wake-ups and no steps.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ProcessMessages();
  EXPECT_EQ(Fsm->Timer()->Ticker()->WakeUps(), wakes);
  EXPECT_EQ(Steps.size(), steps);
  // A millisecond is a tick.
  Clock.Advance(1);
  ASSERT_TRUE(PumpUntil([&] { return Steps.size() == steps + 1; }));
  EXPECT_EQ(Fsm->Timer()->Ticker()->WakeUps(), wakes + 1);
}

TEST_F(NimboFsm, DestroyingItWhileAStepWaitsForThisThreadDropsTheStepAndRunsOnStop) {
  Make();
  bool stopped = false;
  Fsm->Timer()->OnStop = [&](TObject*) { stopped = true; };
  Fsm->Trigger();
  // The step request is queued for this thread, which does not serve it.
  const auto end = TRealClock::now() + std::chrono::seconds(5);
  while (!MessagesPending() && TRealClock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(MessagesPending());

  const auto start = TRealClock::now();
  Fsm.reset();
  EXPECT_LT(TRealClock::now() - start, std::chrono::milliseconds(100));
  EXPECT_TRUE(stopped);
  ProcessMessages();
  EXPECT_TRUE(Steps.empty());
}

TEST_F(NimboFsm, AHandlerMayDestroyTheMachine) {
  bool stopped = false;
  Make([&](TNimboFSM*) {
    Fsm->Timer()->OnStop = [&](TObject*) { stopped = true; };
    Fsm.reset();
  });
  Fsm->Trigger();
  ASSERT_TRUE(PumpUntil([&] { return Fsm == nullptr; }));
  EXPECT_TRUE(stopped);
  EXPECT_EQ(Steps.size(), 1u);
}

TEST_F(NimboFsm, StreamsItsInterval) {
  const std::string text =
      "object Fsm1: TNimboFSM\n"
      "  Interval = 250\n"
      "end\n";
  std::string binary = FormTextToBinary(text);
  std::unique_ptr<TComponent> c(
      ReadComponentFromBytes(reinterpret_cast<const std::uint8_t*>(binary.data()), binary.size(), nullptr));
  auto* f = dynamic_cast<TNimboFSM*>(c.get());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Interval(), 250u);
  f->SetInterval(100);  // the default is not written
  TStringStream out;
  out.WriteComponent(f);
  EXPECT_EQ(FormBinaryToText(out.DataString()), "object Fsm1: TNimboFSM\nend\n");
}

}  // namespace
