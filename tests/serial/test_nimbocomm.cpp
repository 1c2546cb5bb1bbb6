// The port object over a pseudo-terminal: the test plays the device on the master.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/syscall.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <future>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/locale.h"
#include "tests/platform/win32/pty.h"
#include "serial/nimbocomm.h"

namespace {

int CountEntries(const char* Dir) {
  int n = 0;
  if (DIR* d = opendir(Dir)) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') ++n;
    closedir(d);
  }
  return n - (std::strcmp(Dir, "/proc/self/fd") == 0 ? 1 : 0);  // the directory's own fd
}
int OpenFds() { return CountEntries("/proc/self/fd"); }
// Threads of the process. The first thread ever started may bring a runtime helper
// thread with it (ThreadSanitizer's), so one is started and joined first.
int Threads() {
  static const bool warmed = [] {
    std::thread([] {}).join();
    return true;
  }();
  (void)warmed;
  return CountEntries("/proc/self/task");
}

long ContextSwitches(pid_t Tid) {
  std::ifstream in("/proc/self/task/" + std::to_string(Tid) + "/status");
  std::string line;
  long total = 0;
  while (std::getline(in, line))
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
      total += std::stol(line.substr(line.find(':') + 1));
  return total;
}

std::vector<std::uint8_t> Pattern(size_t N, std::uint32_t Seed) {
  std::vector<std::uint8_t> v(N);
  for (auto& b : v) {
    Seed = Seed * 1103515245 + 12345;
    b = static_cast<std::uint8_t>(Seed >> 16);
  }
  return v;
}

int ErrorCodeOf(const std::function<void()>& F) {
  try {
    F();
  } catch (const ENimboCommError& e) {
    return static_cast<int>(e.ErrorCode());
  }
  return 0;
}

class Port : public ::testing::Test {
protected:
  TPtyPair Pty;
  TNimboComm Comm;
  void SetUp() override {
    SetThreadLocale(1033);
    Comm.fSetPortName(Pty.SlavePath);
  }
  void TearDown() override { ResetThreadLocale(); }
  // Reads what the port has received until N bytes came (or 10 s of nothing).
  std::vector<std::uint8_t> ReadFromPort(size_t N) {
    std::vector<std::uint8_t> got;
    std::uint8_t buf[3000];
    WaitUntil([&] {
      int n = Comm.Read(buf, sizeof buf);
      got.insert(got.end(), buf, buf + n);
      return got.size() >= N;
    });
    return got;
  }
};

TEST_F(Port, ReceivedBytesArriveExactlyThroughRead) {
  Comm.Open();
  auto data = Pattern(256 * 1024, 1);
  std::thread peer([&] { EXPECT_TRUE(Pty.WriteAll(data.data(), data.size())); });
  auto got = ReadFromPort(data.size());
  peer.join();
  EXPECT_EQ(got.size(), data.size());
  EXPECT_TRUE(got == data);
}

// Read ahead of the queue, bytes wait in the reader for room; however the consumer
// takes them (one at a time, a queue's worth, with pauses that fill everything),
// each must arrive once and in order.
TEST_F(Port, AStreamArrivesWholeWhateverPiecesTheConsumerTakes) {
  struct Case {
    const char* Name;
    std::vector<int> Pieces;
    int PauseEvery;  // reads between pauses of 2 ms; 0 for none
  } cases[] = {
      {"fast, mixed", {1, 4095, 7, 8191, 300}, 0},
      {"whole queues", {8191}, 0},
      {"small, pausing", {1, 13, 500}, 200},
      {"large, pausing", {3000, 8191}, 3},
  };
  for (const Case& c : cases) {
    TNimboComm comm;
    comm.fSetPortName(Pty.SlavePath);
    comm.Open();
    auto data = Pattern(1 << 20, 7);
    std::thread peer([&] { EXPECT_TRUE(Pty.WriteAll(data.data(), data.size())); });
    std::vector<std::uint8_t> got, buf(8191);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (size_t i = 0; got.size() < data.size() && std::chrono::steady_clock::now() < end; ++i) {
      int n = comm.Read(buf.data(), c.Pieces[i % c.Pieces.size()]);
      got.insert(got.end(), buf.begin(), buf.begin() + n);
      if (n == 0 || (c.PauseEvery && i % c.PauseEvery == 0)) usleep(n == 0 ? 50 : 2000);
    }
    peer.join();
    EXPECT_TRUE(got == data) << c.Name << ": " << got.size() << " bytes";
    comm.Close();
  }
}

TEST_F(Port, WritesReachThePeerAndShortCountsLeaveTheRestToTheCaller) {
  Comm.Open();
  auto data = Pattern(64 * 1024, 2);
  std::vector<std::uint8_t> got;
  std::thread peer([&] { got = Pty.ReadN(data.size()); });
  size_t off = 0;
  int shortCounts = 0;
  while (off < data.size()) {
    int want = static_cast<int>(std::min<size_t>(20000, data.size() - off));
    int n = Comm.Write(data.data() + off, want);
    if (n < want) {
      ++shortCounts;
      usleep(500);
    }
    off += static_cast<size_t>(n);
  }
  peer.join();
  EXPECT_GT(shortCounts, 0);  // 20000-byte writes into an 8192-byte queue
  EXPECT_TRUE(got == data);
}

// A Write that finds the queue empty and the writer idle hands its bytes to the
// driver itself; one that does not queues them. Mixed with a slow reader, both
// ways happen, and the device must still get every byte once, in order.
TEST_F(Port, SmallAndLargeWritesArriveInOrderWhetherSentAtOnceOrQueued) {
  Comm.Open();
  auto data = Pattern(300 * 1024, 3);
  std::vector<std::uint8_t> got;
  std::thread peer([&] {
    while (got.size() < data.size()) {
      auto part = Pty.ReadN(std::min<size_t>(4096, data.size() - got.size()));
      got.insert(got.end(), part.begin(), part.end());
      if (got.size() % 65536 < 4096) usleep(2000);  // now and then the driver fills up
    }
  });
  const size_t sizes[] = {1, 7, 300, 5000, 1, 9000, 2, 64};
  size_t off = 0;
  for (size_t i = 0; off < data.size(); ++i) {
    size_t want = std::min(sizes[i % 8], data.size() - off);
    int n = Comm.Write(data.data() + off, static_cast<int>(want));
    if (n < static_cast<int>(want)) usleep(200);
    off += static_cast<size_t>(n);
  }
  peer.join();
  EXPECT_TRUE(got == data);
}

// Each round's write is more than the driver takes at once: the rest waits in the
// queue and must go out with no later Write to push it, every time the writer has
// gone idle in between.
TEST_F(Port, TheQueuedRestGoesOutWithoutALaterWrite) {
  Comm.Open();
  for (std::uint32_t round = 0; round < 20; ++round) {
    auto data = Pattern(12000, 10 + round);
    int n = Comm.Write(data.data(), static_cast<int>(data.size()));
    ASSERT_GT(n, 0) << round;
    auto got = Pty.ReadN(static_cast<size_t>(n));
    ASSERT_EQ(got.size(), static_cast<size_t>(n)) << round;
    EXPECT_TRUE(std::equal(got.begin(), got.end(), data.begin())) << round;
  }
}

TEST_F(Port, DisableWriteStopsWriteButNotCommandAndOpenClearsIt) {
  Comm.fSetFCtrl(TNimboComm::fcRtsCts);
  Comm.fSetAAns(2);
  Comm.fSetDisableWrite(true);
  Comm.Open();
  EXPECT_FALSE(Comm.DisableWrite());
  Comm.fSetDisableWrite(true);
  EXPECT_EQ(Comm.Write("lost", 4), 0);
  EXPECT_EQ(Comm.OutQueue().fGetCount(), 0);
  Comm.Command("AT\r");
  Comm.ResetModem();
  Comm.InitModem();
  std::string want = "AT\rATZ\rATE0&K3S0=2\r";
  auto got = Pty.ReadN(want.size());
  EXPECT_EQ(std::string(got.begin(), got.end()), want);
}

TEST_F(Port, BytesThatFindNoRoomWaitAndPurgeReadDropsThemAll) {
  Comm.Open();
  auto data = Pattern(24000, 3);
  ASSERT_TRUE(Pty.WriteAll(data.data(), data.size()));
  COMSTAT st;
  DWORD errors;
  // The queue fills to 8191 bytes; the rest waits in the driver, but for at most
  // two line buffers (8192 bytes) that the reader has read ahead and holds.
  ASSERT_TRUE(WaitUntil([&] {
    ClearCommError(Comm.Handle(), &errors, &st);
    return Comm.InQueue().fGetCount() == 8191 && st.cbInQue > 0;
  })) << Comm.InQueue().fGetCount() << " " << st.cbInQue;
  usleep(20000);
  EXPECT_EQ(Comm.InQueue().fGetCount(), 8191);
  auto got = ReadFromPort(data.size());
  EXPECT_TRUE(got == data);  // nothing dropped

  ASSERT_TRUE(Pty.WriteAll(data.data(), data.size()));
  ASSERT_TRUE(WaitUntil([&] { return Comm.InQueue().fGetCount() == 8191; }));
  usleep(20000);  // the reader has held what its last read did not fit
  Comm.PurgeRead(false);
  EXPECT_EQ(Comm.InQueue().fGetCount(), 0);
  ClearCommError(Comm.Handle(), &errors, &st);
  EXPECT_EQ(st.cbInQue, 0u);
  ASSERT_TRUE(Pty.WriteAll("fresh", 5));
  got = ReadFromPort(5);
  EXPECT_EQ(std::string(got.begin(), got.end()), "fresh");
  usleep(20000);
  std::uint8_t more[8];
  EXPECT_EQ(Comm.Read(more, sizeof more), 0);  // nothing stale follows

  // Bytes read after the purge are not taken for older ones, held or not.
  ASSERT_TRUE(Pty.WriteAll(data.data(), data.size()));
  got = ReadFromPort(data.size());
  EXPECT_TRUE(got == data);
}

// EV_RXFLAG tells that the event character is in the queue, also when the reader
// read it ahead of a full queue and held it.
TEST_F(Port, TheEventCharacterIsQueuedWhenItsEventComes) {
  std::mutex m;
  size_t taken = 0;
  std::vector<size_t> flagged;  // bytes taken and queued when each EV_RXFLAG came
  Comm.OnCommNotify = [&](TObject*, DWORD Mask) {
    if (!(Mask & EV_RXFLAG)) return;
    std::lock_guard<std::mutex> lock(m);
    flagged.push_back(taken + static_cast<size_t>(Comm.InQueue().fGetCount()));
  };
  Comm.Open();
  std::vector<std::uint8_t> data(12000, 'A');
  data.push_back(0);  // the event character by default
  ASSERT_TRUE(Pty.WriteAll(data.data(), data.size()));
  ASSERT_TRUE(WaitUntil([&] { return Comm.InQueue().fGetCount() == 8191; }));
  usleep(50000);
  {
    std::lock_guard<std::mutex> lock(m);
    EXPECT_TRUE(flagged.empty());  // the 0 waits beyond the full queue
  }
  ASSERT_TRUE(WaitUntil([&] {
    std::uint8_t buf[1000];
    std::lock_guard<std::mutex> lock(m);
    taken += static_cast<size_t>(Comm.Read(buf, sizeof buf));
    return taken == data.size() && !flagged.empty();
  }));
  usleep(20000);
  std::lock_guard<std::mutex> lock(m);
  EXPECT_EQ(flagged, std::vector<size_t>{data.size()});
  Comm.OnCommNotify = nullptr;
}

// A new queue size drops what the queue held, not what waited beyond it.
TEST_F(Port, ResizingTheQueueKeepsTheBytesBeyondIt) {
  Comm.Open();
  auto data = Pattern(24000, 5);
  ASSERT_TRUE(Pty.WriteAll(data.data(), data.size()));
  ASSERT_TRUE(WaitUntil([&] { return Comm.InQueue().fGetCount() == 8191; }));
  usleep(20000);
  Comm.fSetInBufSize(16384);
  auto got = ReadFromPort(data.size() - 8191);
  ASSERT_EQ(got.size(), data.size() - 8191);
  EXPECT_TRUE(std::equal(got.begin(), got.end(), data.begin() + 8191));
}

TEST_F(Port, SettersCloseThePortOrKeepItOpenAsDocumented) {
  struct Case {
    const char* Name;
    std::function<void(TNimboComm&)> Set;
    bool Closes;
  } cases[] = {
      {"Baud", [](TNimboComm& c) { c.fSetBaud(9600); }, true},
      {"Parity", [](TNimboComm& c) { c.fSetParity(EVENPARITY); }, true},
      {"ByteSize", [](TNimboComm& c) { c.fSetByteSize(8); }, true},
      {"StopBits", [](TNimboComm& c) { c.fSetStopBits(ONESTOPBIT); }, true},
      {"FlowControl", [](TNimboComm& c) { c.fSetFCtrl(TNimboComm::fcNone); }, true},
      {"DataOnly", [](TNimboComm& c) { c.fSetDataOnly(true); }, true},
      {"HwInSize", [](TNimboComm& c) { c.fSetHwInSize(4096); }, true},
      {"HwOutSize", [](TNimboComm& c) { c.fSetHwOutSize(4096); }, true},
      {"PortName", [this](TNimboComm& c) { c.fSetPortName(Pty.SlavePath); }, true},
      {"PortName empty", [](TNimboComm& c) { c.fSetPortName(""); }, false},
      {"InBufSize", [](TNimboComm& c) { c.fSetInBufSize(4096); }, false},
      {"OutBufSize", [](TNimboComm& c) { c.fSetOutBufSize(4096); }, false},
      {"AutoAnswer", [](TNimboComm& c) { c.fSetAAns(1); }, false},
      {"DTR", [](TNimboComm& c) { c.fSetDTR(false); }, false},
      {"RTS", [](TNimboComm& c) { c.fSetRTS(false); }, false},
  };
  for (const Case& c : cases) {
    Comm.Open();
    ASSERT_TRUE(Pty.WriteAll("xy", 2));
    ASSERT_TRUE(WaitUntil([&] { return Comm.InQueue().fGetCount() == 2; })) << c.Name;
    c.Set(Comm);
    EXPECT_EQ(Comm.Active(), !c.Closes) << c.Name;
    if (!c.Closes) {
      // Still working: a resized queue lost its bytes, but new ones arrive.
      std::uint8_t b[8];
      Comm.Read(b, sizeof b);
      ASSERT_TRUE(Pty.WriteAll("z", 1));
      auto got = ReadFromPort(1);
      EXPECT_EQ(std::string(got.begin(), got.end()), "z") << c.Name;
      Comm.Close();
    } else {
      Comm.InQueue().Clear();
      tcflush(Pty.KeepSlave, TCIFLUSH);
    }
  }
  EXPECT_EQ(Comm.InBufSize(), 4096);
}

TEST_F(Port, PortNamesAndNumbers) {
  struct Case {
    const char* Set;
    int No;
    const char* Name;
  } cases[] = {
      {"com5", 5, "COM5"}, {"ttyUSB0", 0, "ttyUSB0"}, {"", 0, "ttyUSB0"}, {"COM12", 12, "COM12"},
  };
  for (const Case& c : cases) {
    Comm.fSetPortName(c.Set);
    EXPECT_EQ(Comm.PortNo(), c.No) << c.Set;
    EXPECT_EQ(Comm.PortName(), c.Name) << c.Set;
  }
  Comm.fSetPort(7);
  EXPECT_EQ(Comm.PortName(), "COM7");
  Comm.fSetPort(0);
  EXPECT_EQ(Comm.PortName(), "COM7");
  EXPECT_EQ(Comm.PortNo(), 0);
}

TEST_F(Port, FlowControlCodesReadBackFromTheLineSettings) {
  struct Case {
    int Set, Read;
  } cases[] = {{0, 0}, {3, 3}, {4, 4}, {5, 4}, {6, 6}, {7, 0}, {1, 0}};
  for (const Case& c : cases) {
    Comm.fSetFCtrl(static_cast<TNimboComm::TFlowControl>(c.Set));
    EXPECT_EQ(static_cast<int>(Comm.FlowControl()), c.Read) << c.Set;
    EXPECT_EQ(Comm.Dcb().fDtrControl, DWORD(DTR_CONTROL_ENABLE));
  }
}

TEST_F(Port, LineSettingsReachTheDriverOrTheOpenFailsWithCode8) {
  Comm.fSetBaud(56000);
  Comm.fSetStopBits(TWOSTOPBITS);
  Comm.fSetFCtrl(TNimboComm::fcRtsCts);
  Comm.Open();
  DCB d;
  ASSERT_TRUE(GetCommState(Comm.Handle(), &d));
  EXPECT_EQ(d.BaudRate, 56000u);
  EXPECT_EQ(d.StopBits, TWOSTOPBITS);
  EXPECT_EQ(d.fOutxCtsFlow, 1u);
  Comm.Close();

  struct Case {
    const char* What;
    std::function<void(TNimboComm&)> Set;
  } bad[] = {
      {"1.5 stop bits with 8 data bits", [](TNimboComm& c) { c.fSetStopBits(ONE5STOPBITS); }},
      {"baud 0", [](TNimboComm& c) { c.fSetBaud(0); }},
      {"9 data bits", [](TNimboComm& c) { c.fSetByteSize(9); }},
  };
  for (const Case& c : bad) {
    TNimboComm port;
    port.fSetPortName(Pty.SlavePath);
    c.Set(port);
    EXPECT_EQ(ErrorCodeOf([&] { port.Open(); }), 8) << c.What;
    EXPECT_FALSE(port.Active()) << c.What;
  }
}

TEST_F(Port, FailedOpensAndManyCyclesLeaveNoThreadOrDescriptor) {
  const int fds0 = OpenFds(), threads0 = Threads();
  {
    TNimboComm missing;
    missing.fSetPortName("/dev/does-not-exist");
    try {
      missing.Open();
      ADD_FAILURE() << "opened a missing port";
    } catch (const ENimboCommError& e) {
      EXPECT_EQ(e.ErrorCode(), ENimboCommError::ecOpenPort);
      EXPECT_EQ(e.Message(), "Serial port: \"/dev/does-not-exist\" - Cannot open COM port");
    }
    EXPECT_FALSE(missing.Active());
    EXPECT_EQ(OpenFds(), fds0);
    EXPECT_EQ(Threads(), threads0);
  }
  Comm.Open();
  EXPECT_EQ(Threads(), threads0 + 2);  // the reader and the writer
  TNimboComm second;
  second.fSetPortName(Pty.SlavePath);
  EXPECT_EQ(ErrorCodeOf([&] { second.Open(); }), 4);  // busy
  Comm.Close();
  const int fdsAfterFirst = OpenFds();
  for (int i = 0; i < 100; ++i) {
    Comm.Open();
    if (i % 10 == 0) {
      ASSERT_EQ(Comm.Write("c", 1), 1);
      ASSERT_EQ(Pty.ReadN(1).size(), 1u);
    }
    Comm.Close();
  }
  EXPECT_EQ(OpenFds(), fdsAfterFirst);
  EXPECT_EQ(Threads(), threads0);
}

TEST_F(Port, NotificationsOnOpenComeBeforeAnyReaderEventAndCloseNotifiesLast) {
  std::mutex lock;
  std::vector<std::string> seen;
  std::atomic<int> inside{0};
  std::atomic<bool> overlap{false};
  auto note = [&](const std::string& s) {
    std::lock_guard<std::mutex> g(lock);
    seen.push_back(s);
  };
  Comm.OnCommNotify = [&](TObject* Sender, DWORD Mask) {
    EXPECT_EQ(Sender, &Comm);
    if (inside.fetch_add(1) != 0) overlap = true;
    note(Mask == TNimboComm::ModemLineEvents ? "lines" : (Mask & EV_RXCHAR) ? "rx" : "other");
    usleep(2000);  // widen the window two callers would share
    inside.fetch_sub(1);
  };
  Comm.AfterOpen = [&](TObject*) { note("after-open"); };
  Comm.BeforeClose = [&](TObject*) { note("before-close"); };
  ASSERT_TRUE(Pty.WriteAll("pending", 7));  // waiting in the driver before the open
  Comm.Open();
  ASSERT_TRUE(WaitUntil([&] { return Comm.InQueue().fGetCount() == 7; }));
  ASSERT_TRUE(WaitUntil([&] {
    std::lock_guard<std::mutex> g(lock);
    return seen.size() >= 3;
  }));
  Comm.Close();
  std::lock_guard<std::mutex> g(lock);
  ASSERT_GE(seen.size(), 5u);
  EXPECT_EQ(seen[0], "lines");
  EXPECT_EQ(seen[1], "after-open");
  EXPECT_EQ(seen[2], "rx");
  EXPECT_EQ(seen[seen.size() - 2], "before-close");
  EXPECT_EQ(seen.back(), "lines");
  EXPECT_FALSE(overlap.load());
}

TEST_F(Port, TransmitterEmptyIsReportedOnceTheQueueHasDrained) {
  std::atomic<int> txEmpty{0};
  std::atomic<int> queuedAtEvent{-1};
  Comm.OnCommNotify = [&](TObject*, DWORD Mask) {
    if (Mask & EV_TXEMPTY) {
      queuedAtEvent = Comm.OutQueue().fGetCount();
      ++txEmpty;
    }
  };
  Comm.Open();
  auto data = Pattern(3000, 4);
  ASSERT_EQ(Comm.Write(data.data(), 3000), 3000);
  EXPECT_TRUE(Pty.ReadN(3000) == data);
  EXPECT_TRUE(WaitUntil([&] { return txEmpty.load() > 0; }));
  Comm.Close();  // the handler uses this test's locals: no reader may outlive them
  EXPECT_EQ(queuedAtEvent.load(), 0);
}

// The caller purges while bytes keep coming: a flush between the reader's poll and
// its look at the driver's count leaves a readable port with nothing to read, which
// is no hang-up. The port must go on receiving and report no error.
TEST_F(Port, PurgingWhileBytesArriveKeepsThePortReceiving) {
  std::atomic<int> errors{0};
  Comm.OnCommNotify = [&](TObject*, DWORD Mask) {
    if (Mask & EV_ERR) ++errors;
  };
  Comm.Open();
  std::atomic<bool> stop{false};
  std::thread peer([&] {
    while (!stop.load()) {
      Pty.WriteAll("\r\n", 2);
      usleep(50);
    }
  });
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (std::chrono::steady_clock::now() < end) Comm.PurgeRead(false);
  stop = true;
  peer.join();
  usleep(20000);
  Comm.PurgeRead(false);
  ASSERT_TRUE(Pty.WriteAll("fresh line\r\n", 12));
  std::string got;
  EXPECT_TRUE(WaitUntil([&] {
    char buf[256];
    got.append(buf, static_cast<size_t>(Comm.Read(buf, sizeof buf)));
    return got.find("fresh line\r\n") != std::string::npos;
  })) << got.size() << " bytes came after the purges";
  Comm.Close();
  EXPECT_EQ(errors.load(), 0);
}

// Purges from another thread while a consumer reads a stream: nothing received
// before a purge is read after it. The peer numbers its records (four bytes, the
// first with its top bit set, so a reader finds the next record after a cut); the
// purger notes the last record written before each purge, and a record whose
// first byte comes from a Read begun after that purge returned must be newer.
TEST_F(Port, NoRecordReceivedBeforeAPurgeIsReadAfterIt) {
  Comm.Open();
  std::atomic<std::uint32_t> written{0}, purgedUpTo{0};
  std::atomic<bool> stop{false};
  std::thread peer([&] {
    std::vector<std::uint8_t> chunk;
    for (std::uint32_t seq = 1; !stop.load(); written.store(seq - 1)) {
      chunk.clear();
      for (int i = 0; i < 512; ++i, ++seq)
        for (int shift : {21, 14, 7, 0})
          chunk.push_back(static_cast<std::uint8_t>(((seq >> shift) & 0x7f) | (shift == 21 ? 0x80 : 0)));
      if (!Pty.WriteAll(chunk.data(), chunk.size(), 2000)) break;
    }
  });
  std::atomic<long> records{0}, stale{0};
  std::thread consumer([&] {
    std::uint8_t buf[8192];
    std::uint32_t seq = 0, limit = 0;
    int have = -1;  // bytes of the record being read; -1 before a first byte
    unsigned reads = 0;
    while (!stop.load()) {
      const std::uint32_t purged = purgedUpTo.load();
      // Mostly a byte at a time, so that a purge often comes in the middle of a Read.
      const int n = Comm.Read(buf, ++reads % 8 ? 1 : int(sizeof buf));
      for (int i = 0; i < n; ++i) {
        if (buf[i] & 0x80) {
          seq = buf[i] & 0x7f;
          have = 1;
          limit = purged;
        } else if (have > 0) {
          seq = seq << 7 | buf[i];
          if (++have == 4) {
            ++records;
            if (seq <= limit) ++stale;
            have = -1;
          }
        }
      }
    }
  });
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
    const std::uint32_t before = written.load();
    Comm.PurgeRead(false);
    purgedUpTo.store(before);
    if (i % 16 == 0) usleep(20);  // the queue fills again between some of them
  }
  stop = true;
  peer.join();
  consumer.join();
  Comm.Close();
  EXPECT_GT(records.load(), 0);
  EXPECT_EQ(stale.load(), 0) << "records read after the purge that dropped them";
}

// A transmit purge or a Close from a handler while the owner thread resizes the
// receive queue (which stops this handler's reader) is not lost: what was queued
// before the purge is never sent after it (the peer reads nothing until then, so
// the queue still holds most), and the port closed is closed.
TEST_F(Port, AHandlersPurgeOrCloseDuringAReceiveResizeTakesEffect) {
  for (bool closes : {false, true}) {
    SCOPED_TRACE(closes ? "Close" : "PurgeWrite");
    Comm.fSetOutBufSize(1 << 20);
    std::atomic<bool> inHandler{false}, done{false};
    Comm.OnCommNotify = [&](TObject*, DWORD Mask) {
      if (!(Mask & EV_RXCHAR) || inHandler.exchange(true)) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the resize is waiting for this reader
      if (closes) Comm.Close();
      else Comm.PurgeWrite(false);
      done = true;
    };
    Comm.Open();
    const auto data = Pattern(1 << 20, 11);
    ASSERT_EQ(Comm.Write(data.data(), static_cast<int>(data.size())), static_cast<int>(data.size()));
    ASSERT_TRUE(Pty.WriteAll("x", 1));
    ASSERT_TRUE(WaitUntil([&] { return inHandler.load(); }));
    Comm.fSetInBufSize(8192);
    ASSERT_TRUE(done.load());
    EXPECT_EQ(Comm.Active(), !closes);
    const size_t got = Pty.ReadN(data.size(), 500).size();
    EXPECT_LT(got, data.size() / 4) << "bytes queued before the purge were sent after it";
    Comm.Close();
    Comm.OnCommNotify = nullptr;
  }
}

// Close from two threads at once: from two callers, or from a caller and the
// handler of the reader it stops. Both return, and no thread is left behind.
TEST_F(Port, TwoClosesAtOnceBothReturn) {
  const int threads0 = Threads();
  for (bool fromHandler : {false, true}) {
    SCOPED_TRACE(fromHandler ? "a caller and a handler" : "two callers");
    for (int round = 0; round < 40; ++round) {
      std::atomic<bool> go{false};
      Comm.OnCommNotify = [&](TObject*, DWORD Mask) {
        if (fromHandler && (Mask & EV_RXCHAR) && !go.exchange(true)) Comm.Close();
      };
      Comm.Open();
      auto other = std::async(std::launch::async, [&] {
        if (fromHandler) {
          Pty.WriteAll("x", 1);
        } else {
          while (!go.load()) {}
          Comm.Close();
        }
      });
      if (fromHandler) {
        while (!go.load()) {}
      } else {
        go = true;
      }
      Comm.Close();
      if (other.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "a Close hangs (round " << round << ")";
        std::abort();
      }
      EXPECT_FALSE(Comm.Active());
    }
    Comm.OnCommNotify = nullptr;
  }
  EXPECT_TRUE(WaitUntil([&] { return Threads() == threads0; }));
  Comm.Open();  // the port is free again
  EXPECT_TRUE(Comm.Active());
  Comm.Close();
}

TEST_F(Port, ClosingFromTheNotificationHandlerDoesNotWaitForItself) {
  std::atomic<int> calls{0};
  Comm.OnCommNotify = [&](TObject*, DWORD Mask) {
    if ((Mask & EV_RXCHAR) && calls.fetch_add(1) == 0) Comm.Close();
  };
  const int threads0 = Threads();
  Comm.Open();
  ASSERT_TRUE(Pty.WriteAll("bye", 3));
  ASSERT_TRUE(WaitUntil([&] { return !Comm.Active(); }));
  ASSERT_TRUE(WaitUntil([&] { return Threads() == threads0; }));
  EXPECT_EQ(calls.load(), 1);
  // The port is free again and works.
  Comm.Open();
  ASSERT_TRUE(Pty.WriteAll("hi", 2));
  auto got = ReadFromPort(5);  // the queue keeps what came before the close
  Comm.Close();
  EXPECT_EQ(std::string(got.begin(), got.end()), "byehi");
}

TEST_F(Port, AnUnpluggedDeviceGivesOneErrorEventAndNoBusyLoop) {
  std::atomic<int> errors{0};
  std::atomic<pid_t> reader{0};
  Comm.OnCommNotify = [&](TObject*, DWORD Mask) {
    reader = static_cast<pid_t>(syscall(SYS_gettid));
    if (Mask & EV_ERR) ++errors;
  };
  Comm.Open();
  ASSERT_TRUE(Pty.WriteAll("a", 1));
  ASSERT_TRUE(WaitUntil([&] { return Comm.InQueue().fGetCount() == 1; }));
  Pty.CloseMaster();
  ASSERT_TRUE(WaitUntil([&] { return errors.load() == 1; }));
  EXPECT_EQ(Comm.Write("zz", 2), 2);  // the writer tries once, fails, and waits
  long before = ContextSwitches(reader);
  usleep(300000);
  EXPECT_LE(ContextSwitches(reader) - before, 3);
  EXPECT_EQ(errors.load(), 1);
  EXPECT_TRUE(Comm.Active());
  Comm.Close();
  EXPECT_FALSE(Comm.Active());
}

TEST_F(Port, OutsideHandleIsUsedButNotClosed) {
  HANDLE h = CreateFileA(Pty.SlavePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  Comm.fSetHandle(h);
  EXPECT_EQ(Comm.PortNo(), 0);
  EXPECT_EQ(Comm.PortName(), "");
  Comm.Open();
  EXPECT_EQ(Comm.Write("out", 3), 3);
  auto got = Pty.ReadN(3);
  EXPECT_EQ(std::string(got.begin(), got.end()), "out");
  Comm.Close();
  DWORD put = 0;
  EXPECT_TRUE(WriteFile(h, "!", 1, &put, nullptr));  // still open
  EXPECT_EQ(put, 1u);
  Comm.fSetPortName(Pty.SlavePath);  // forgets the caller's handle without closing it
  EXPECT_TRUE(WriteFile(h, "!", 1, &put, nullptr));
  CloseHandle(h);
}

TEST_F(Port, TheReaderWaitsForTheEventsOfItsMode) {
  struct Case {
    bool DataOnly;
    DWORD Mask;
  } cases[] = {{false, 0x5BF}, {true, 0x85}};
  for (const Case& c : cases) {
    Comm.fSetDataOnly(c.DataOnly);
    Comm.Open();
    DWORD mask = 0;
    EXPECT_TRUE(WaitUntil([&] { return GetCommMask(Comm.Handle(), &mask) && mask == c.Mask; }))
        << std::hex << "DataOnly " << c.DataOnly << ": 0x" << mask;
    Comm.Close();
  }
}

TEST_F(Port, ModemLinesOfAPseudoTerminalAreAbsent) {
  EXPECT_FALSE(Comm.DTR());  // closed: false whatever is wanted
  EXPECT_FALSE(Comm.RTS());
  Comm.Open();
  EXPECT_TRUE(Comm.DTR());
  EXPECT_FALSE(Comm.EscapeCommFunction(CLRDTR));  // no such line
  Comm.fSetDTR(false);
  EXPECT_TRUE(Comm.DTR());
  EXPECT_EQ(Comm.ModemStatus(), 0u);
  Comm.Close();
  EXPECT_FALSE(Comm.EscapeCommFunction(SETDTR));
}

TEST_F(Port, QueuesWithoutStorageFailTheOpen) {
  struct Case {
    bool In;
    int Code;
  } cases[] = {{true, 2}, {false, 3}};
  for (const Case& c : cases) {
    TNimboComm port;
    port.fSetPortName(Pty.SlavePath);
    if (c.In) {
      port.fSetInBufSize(0);
    } else {
      port.fSetOutBufSize(0);
    }
    EXPECT_EQ(ErrorCodeOf([&] { port.Open(); }), c.Code);
    EXPECT_FALSE(port.Active());
  }
}

}  // namespace
