// The package layer: record queues, head/tail and silence framing over a port,
// the transmit pump and its continuation on transmit-empty events.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/win32/clock.h"
#include "serial/commpackage.h"
#include "serial/framecodec.h"
#include "tests/platform/win32/pty.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

// A port that is never opened: the test plays its reader thread by calling
// CommNotify, supplies received bytes and limits how much Write takes.
class TFakePort : public TNimboComm {
public:
  int Read(void* Buffer, int Size) override {
    std::lock_guard<std::mutex> g(FLock);
    int n = std::min<int>(Size, static_cast<int>(FRx.size()));
    if (n > 0) std::memcpy(Buffer, FRx.data(), n);
    FRx.erase(FRx.begin(), FRx.begin() + n);
    if (n == 0) ++FZeroReads;
    return n;
  }
  int Write(const void* Buffer, int Size) override {
    std::lock_guard<std::mutex> g(FLock);
    int n = std::min<int>(Size, TxRoom);
    TxRoom -= n;
    Tx.insert(Tx.end(), static_cast<const std::uint8_t*>(Buffer), static_cast<const std::uint8_t*>(Buffer) + n);
    return n;
  }
  void PurgeRead(bool) override {
    std::lock_guard<std::mutex> g(FLock);
    FRx.clear();
  }
  void Push(const TBytes& B) {
    std::lock_guard<std::mutex> g(FLock);
    FRx.insert(FRx.end(), B.begin(), B.end());
  }
  // Reads that found nothing: the silence timer makes exactly one per pass.
  int ZeroReads() {
    std::lock_guard<std::mutex> g(FLock);
    return FZeroReads;
  }
  TBytes Tx;
  int TxRoom = 1 << 30;

private:
  std::mutex FLock;
  TBytes FRx;
  int FZeroReads = 0;
};

TBytes Frame(const TBytes& Data) {
  TBytes out(MaxEncodedSize(Data.size()));
  out.resize(EncodeFrame(Data.data(), Data.size(), TFrameMarks{}, false, out.data()));
  return out;
}

std::vector<TBytes> Unframe(const TBytes& Wire, std::uint32_t Max = 1 << 20) {
  TFrameDecoder d(Max);
  std::vector<TBytes> frames;
  d.Feed(Wire.data(), Wire.size(), TFrameMarks{},
         [&](const std::uint8_t* P, std::uint32_t N) { frames.emplace_back(P, P + N); });
  return frames;
}

struct TLayer {
  explicit TLayer(TCommPackageType Type) {
    Port.OnCommNotify = [this](TObject*, DWORD Mask) { PortMasks.push_back(Mask); };
    Pkg = std::make_unique<TCommPackage>(&Port);
    Pkg->OnPackage = [this](TObject* Sender, DWORD Bits) {
      EXPECT_EQ(Sender, Pkg.get());
      Bits_.push_back(Bits);
    };
    Pkg->fSetPkgType(Type);
    Pkg->fSetActive(true);
  }
  // The records come first: the handlers write them until Pkg and Port are gone.
  std::vector<DWORD> PortMasks;
  std::vector<DWORD> Bits_;
  TFakePort Port;
  std::unique_ptr<TCommPackage> Pkg;
};

TEST(CommPackageQueue, SizesCapacityPeekAndFailure) {
  struct Case {
    std::uint32_t Q, P, WantQ, WantP;
  } cases[] = {{0, 0, 2, 32}, {1, 12, 2, 32}, {16, 4100, 16, 4100}};
  for (const Case& c : cases) {
    TCommPackageQueue q(c.Q, c.P);
    EXPECT_EQ(q.QSize(), c.WantQ);
    EXPECT_EQ(q.PkgSize(), c.WantP);
    TBytes rec(q.PkgSize());
    std::uint32_t held = 0;
    for (std::uint32_t i = 0; i < q.QSize(); ++i) {
      rec[4] = static_cast<std::uint8_t>(i);
      held += q.In(rec.data());
    }
    EXPECT_EQ(held, q.QSize() - 1);  // one slot always stays free
    EXPECT_EQ(q.fGetRemain(), 0u);
    EXPECT_EQ(q.Read(rec.data(), held - 1), 1);
    EXPECT_EQ(rec[4], held - 1);
    EXPECT_EQ(q.Read(rec.data(), held), 0);
    EXPECT_EQ(q.Out(rec.data()), 1);
    EXPECT_EQ(rec[4], 0);
    EXPECT_EQ(q.fGetCount(), held - 1);
  }
  TCommPackageQueue q(4, 40);
  TBytes rec(40, 1);
  q.In(rec.data());
  try {
    q.SetQueue(0xFFFFFFFF, 0xFFFFFFFF);
    ADD_FAILURE() << "no error";
  } catch (const ENimboCommError& e) {
    EXPECT_EQ(e.ErrorCode(), ENimboCommError::ecOutOfMemory);
  }
  EXPECT_EQ(q.fGetCount(), 1u);  // the old storage stays
  q.fRemoveQueue();
  EXPECT_FALSE(q.fIsValid());
  EXPECT_EQ(q.In(rec.data()), 0);
  EXPECT_EQ(q.Out(rec.data()), 0);
}

// The timer thread starts with the first activation (a layer that is never
// activated, as in a session that never opens a port, runs none) and ends with the
// layer; activating again starts no second one.
TEST(CommPackage, TheTimerThreadStartsWithTheFirstActivation) {
  auto threads = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/task"), std::filesystem::directory_iterator());
  };
  // A thread started and joined first: a thread sanitizer starts its own helper
  // thread with the first thread the program makes, which is not the layer's.
  std::thread([] {}).join();
  const auto before = threads();
  {
    TFakePort port;
    TCommPackage pkg(&port);
    EXPECT_EQ(threads(), before);
    // Never activated yet: every call answers as an empty, inactive layer, and a
    // size past the queues' limit is refused at once.
    TBytes buf(8, 1);
    EXPECT_EQ(pkg.ReceivedCount(), 0u);
    EXPECT_EQ(pkg.QueuedCount(), 0u);
    EXPECT_EQ(pkg.WritePackage(buf.data(), 8), 0u);
    EXPECT_EQ(pkg.ReadPackage(buf.data(), 8), 0u);
    pkg.PurgeRead();
    pkg.PurgeWrite();
    port.CommNotify(EV_RXCHAR | EV_TXEMPTY);
    pkg.fSetPkgType(cptFrameHeadTail);
    EXPECT_THROW(pkg.fSetQSize(0x40000000), ENimboCommError);
    EXPECT_EQ(pkg.QueueSize(), 16u);
    pkg.fSetQSize(3);
    pkg.fSetActive(false);
    EXPECT_EQ(threads(), before);
    pkg.fSetActive(true);
    EXPECT_EQ(threads(), before + 1);
    // The size set before: with the port taking nothing, the first package waits
    // in the frame being sent, and a queue of three records holds two more.
    port.TxRoom = 0;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(pkg.WritePackage(buf.data(), 8), 8u) << i;
    EXPECT_EQ(pkg.QueuedCount(), 2u);
    EXPECT_EQ(pkg.WritePackage(buf.data(), 8), 0u);
    pkg.fSetActive(false);
    pkg.fSetActive(true);
    EXPECT_EQ(threads(), before + 1);
  }
  EXPECT_EQ(threads(), before);
}

TEST(CommPackage, HeadTailReceiveNotifiesPeeksAndDropsWhenFull) {
  TLayer l(cptFrameHeadTail);
  for (int i = 0; i < 16; ++i) l.Port.Push(Frame(TBytes(5, static_cast<std::uint8_t>(i))));
  l.Port.CommNotify(EV_RXCHAR | EV_CTS);
  EXPECT_EQ(l.Bits_, (std::vector<DWORD>{TCommPackage::PackageReceived | EV_CTS}));
  EXPECT_EQ(l.PortMasks, (std::vector<DWORD>{EV_RXCHAR | EV_CTS}));  // passed on as given
  EXPECT_EQ(l.Pkg->ReceivedCount(), 15u);                            // the sixteenth is dropped

  EXPECT_EQ(l.Pkg->ReadPackage(nullptr, 0), 5u);  // a look, twice, takes nothing
  TBytes buf(5);
  EXPECT_EQ(l.Pkg->ReadPackage(buf.data(), 0), 5u);
  EXPECT_EQ(l.Pkg->ReadPackage(buf.data(), 2), 2u);  // the rest of the package is lost
  EXPECT_EQ(l.Pkg->ReceivedCount(), 14u);
  EXPECT_EQ(l.Pkg->ReadPackage(buf.data(), 5), 5u);
  EXPECT_EQ(buf, TBytes(5, 1));

  // Inactive: nothing is decoded or reported, the port's events still pass.
  l.Pkg->fSetActive(false);
  l.Port.Push(Frame({1}));
  l.Port.CommNotify(EV_RXCHAR);
  EXPECT_EQ(l.Bits_.size(), 1u);
  EXPECT_EQ(l.PortMasks.size(), 2u);
  EXPECT_EQ(l.Pkg->ReadPackage(buf.data(), 5), 0u);
  EXPECT_EQ(l.Pkg->WritePackage(buf.data(), 5), 0u);
}

TEST(CommPackage, WriteCutsToPackageSize) {
  struct Case {
    TCommPackageType Type;
    DWORD Size, Want;
    bool Framed;
  } cases[] = {
      {cptFrameHeadTail, 5000, 4096, true},
      {cptFrameTimeout, 5000, 4096, false},
      {cptFrameHeadTail, 0, 0, true},
      {cptFrameTimeout, 3, 3, false},
  };
  TBytes data(5000, 0xEE);
  for (const Case& c : cases) {
    TLayer l(c.Type);
    EXPECT_EQ(l.Pkg->WritePackage(data.data(), c.Size), c.Want);
    if (c.Want == 0) {
      EXPECT_TRUE(l.Port.Tx.empty());
    } else if (c.Framed) {
      EXPECT_EQ(Unframe(l.Port.Tx), (std::vector<TBytes>{TBytes(c.Want, 0xEE)}));
    } else {
      EXPECT_EQ(l.Port.Tx, TBytes(c.Want, 0xEE));
    }
  }
}

// Records of a package size below the queues' smallest record: the caller's
// buffers hold exactly PackageSize + 4 bytes, which ASan watches.
TEST(CommPackage, CompatibleRecordsOfASmallPackageSize) {
  TLayer l(cptCompatiblePkg);
  l.Pkg->fSetPkgSz(8);
  l.Pkg->fSetActive(true);
  auto record = std::make_unique<std::uint8_t[]>(12);
  std::uint32_t len = 100;  // more than the package holds: cut to 8
  std::memcpy(record.get(), &len, 4);
  for (int i = 0; i < 8; ++i) record[4 + i] = static_cast<std::uint8_t>(0xEA + i);
  EXPECT_EQ(l.Pkg->WritePackage(record.get(), 11), 0u);  // smaller than a record
  EXPECT_EQ(l.Pkg->WritePackage(record.get(), 12), 1u);
  EXPECT_EQ(l.Pkg->WritePackage(record.get(), 0), 1u);   // 0: the buffer is a record
  TBytes wire = l.Port.Tx;
  ASSERT_EQ(Unframe(wire).size(), 2u);

  l.Port.Push(wire);
  l.Port.CommNotify(EV_RXCHAR);
  auto in = std::make_unique<std::uint8_t[]>(12);
  EXPECT_EQ(l.Pkg->ReadPackage(in.get(), 11), 0u);
  EXPECT_EQ(l.Pkg->ReceivedCount(), 2u);  // nothing taken
  EXPECT_EQ(l.Pkg->ReadPackage(in.get(), 12), 1u);
  std::memcpy(&len, in.get(), 4);
  EXPECT_EQ(len, 8u);
  EXPECT_EQ(std::memcmp(in.get() + 4, record.get() + 4, 8), 0);
  EXPECT_EQ(l.Pkg->ReadPackage(in.get(), 0), 1u);
  EXPECT_EQ(l.Pkg->ReadPackage(in.get(), 0), 0u);
}

TEST(CommPackage, TransmitEmptyContinuesAFrameAndPurgesForgetIt) {
  for (bool purge : {false, true}) {
    TLayer l(cptFrameHeadTail);
    l.Port.TxRoom = 3;
    TBytes data{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(l.Pkg->WritePackage(data.data(), 6), 6u);
    EXPECT_EQ(l.Port.Tx.size(), 3u);
    l.Port.TxRoom = 1 << 30;
    if (purge) l.Pkg->PurgeWrite();
    l.Port.CommNotify(EV_TXEMPTY);
    EXPECT_EQ(l.Bits_, (std::vector<DWORD>{TCommPackage::PackagesSent}));
    if (purge) EXPECT_EQ(l.Port.Tx.size(), 3u);
    else EXPECT_EQ(Unframe(l.Port.Tx), (std::vector<TBytes>{data}));
  }
  // Receive: a purge drops the partial frame.
  TLayer l(cptFrameHeadTail);
  l.Port.Push({0xEB, 0x01, 0x02});
  l.Port.CommNotify(EV_RXCHAR);
  l.Pkg->PurgeRead();
  l.Port.Push({0x03, 0xEE, 0xEB, 0x05, 0xEE});
  l.Port.CommNotify(EV_RXCHAR);
  TBytes buf(8);
  EXPECT_EQ(l.Pkg->ReadPackage(buf.data(), 8), 1u);
  EXPECT_EQ(buf[0], 0x05);
  EXPECT_EQ(l.Pkg->ReadPackage(buf.data(), 8), 0u);
}

// Silence framing on the manual clock. The test advances time only while the timer
// waits, and after each change and each advance that passes its deadline waits for
// the timer's pass (its read that finds the port empty) and its next wait, so every
// wake-up happens exactly where the time says. Each change wakes the timer exactly
// once: a pass more than counted would let the test run one pass ahead of the
// timer and read a package before it has ended.
TEST(CommPackage, SilenceEndsPackages) {
  struct Case {
    const char* What;
    std::uint32_t Interval;
    std::vector<std::uint64_t> Gaps;  // before each piece
    std::vector<int> Lengths;         // pieces per package
  } cases[] = {
      {"pieces 20 ms apart", 50, {0, 20, 20, 20, 20}, {5}},
      {"pieces 49 ms apart", 50, {0, 49, 49, 49}, {4}},
      {"a 100 ms gap", 50, {0, 100}, {1, 1}},
      {"a 150 ms gap", 50, {0, 20, 150, 20}, {2, 2}},
      {"interval 0 waits 1 ms", 0, {0, 0, 5}, {2, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TManualClock clock;
    SetClock(&clock);
    {
      TFakePort port;
      TCommPackage pkg(&port);
      std::atomic<int> notified{0};
      pkg.OnPackage = [&](TObject*, DWORD Bits) { notified += Bits == TCommPackage::PackageReceived; };
      // One setter at a time, each waking the timer once.
      int passes = 0;
      auto passed = [&] {
        ++passes;
        ASSERT_TRUE(WaitUntil([&] { return port.ZeroReads() >= passes && clock.Waiters() == 1; }));
        EXPECT_EQ(port.ZeroReads(), passes);
      };
      pkg.fSetActive(true);
      passed();
      pkg.fSetPkgInterval(c.Interval);
      passed();
      const std::uint64_t interval = std::max<std::uint32_t>(c.Interval, 1);
      std::uint64_t now = 0, deadline = interval;
      auto advance = [&](std::uint64_t Ms) {
        while (Ms > 0) {
          std::uint64_t step = std::min(Ms, deadline - now);
          clock.Advance(step);
          now += step;
          Ms -= step;
          if (now == deadline) {
            passed();
            deadline = now + interval;
          }
        }
      };
      std::vector<TBytes> pieces;
      for (size_t i = 0; i < c.Gaps.size(); ++i) {
        advance(c.Gaps[i]);
        pieces.push_back(TBytes(3, static_cast<std::uint8_t>(i)));
        port.Push(pieces.back());
      }
      advance(2 * interval);
      EXPECT_EQ(port.ZeroReads(), passes);  // the timer woke only when due

      size_t next = 0;
      for (int count : c.Lengths) {
        TBytes want, got(64);
        for (int k = 0; k < count; ++k, ++next) want.insert(want.end(), pieces[next].begin(), pieces[next].end());
        got.resize(pkg.ReadPackage(got.data(), 64));
        EXPECT_EQ(got, want);
      }
      EXPECT_EQ(pkg.ReadPackage(nullptr, 0), 0u);
      EXPECT_EQ(notified, static_cast<int>(c.Lengths.size()));
    }
    SetClock(nullptr);
  }
}

// Over a pseudo-terminal: a 4096-byte package of marks only encodes to more than
// the port's transmit queue takes, so it arrives whole only when the transmit-empty
// event hands over the rest; a burst of packages written while the reader pumps
// must all go out.
TEST(CommPackage, PackagesCrossAPtyWhole) {
  TPtyPair pty;
  TNimboComm port;
  port.fSetPortName(pty.SlavePath);
  auto pkg = std::make_unique<TCommPackage>(&port);
  std::atomic<int> sentBits{0};
  pkg->OnPackage = [&](TObject*, DWORD Bits) {
    if (Bits & TCommPackage::PackagesSent) ++sentBits;
  };
  pkg->fSetPkgType(cptFrameHeadTail);
  pkg->fSetActive(true);
  port.Open();

  const std::uint8_t kMarks[3] = {0xEB, 0xEC, 0xEE};
  TBytes marks(4096);
  for (size_t i = 0; i < marks.size(); ++i) marks[i] = kMarks[(i * 7 + i / 5) % 3];
  ASSERT_EQ(pkg->WritePackage(marks.data(), 4096), 4096u);
  TBytes wire = pty.ReadN(MaxEncodedSize(4096) - 2);
  EXPECT_EQ(Unframe(wire), (std::vector<TBytes>{marks}));
  EXPECT_TRUE(WaitUntil([&] { return sentBits > 0; }));

  std::vector<TBytes> burst;
  size_t wireSize = 0;
  for (int i = 0; i < 40; ++i) {
    burst.push_back(TBytes(300 + i, static_cast<std::uint8_t>(0xEA + i % 6)));
    wireSize += Frame(burst.back()).size();
  }
  TBytes burstWire;
  std::thread terminal([&] { burstWire = pty.ReadN(wireSize); });
  for (const TBytes& b : burst) {
    bool queued = WaitUntil([&] { return pkg->WritePackage(b.data(), static_cast<DWORD>(b.size())) != 0; });
    EXPECT_TRUE(queued);
    if (!queued) break;
  }
  terminal.join();
  EXPECT_EQ(Unframe(burstWire), burst);

  // And back: the same package from the terminal's side.
  TBytes frame = Frame(marks);
  ASSERT_TRUE(pty.WriteAll(frame.data(), frame.size()));
  ASSERT_TRUE(WaitUntil([&] { return pkg->ReceivedCount() == 1; }));
  TBytes got(5000);
  got.resize(pkg->ReadPackage(got.data(), 5000));
  EXPECT_EQ(got, marks);

  port.Close();  // the reader is gone before the layer unhooks
  pkg.reset();    // and the package timer before the counter its handler uses
}

}  // namespace
