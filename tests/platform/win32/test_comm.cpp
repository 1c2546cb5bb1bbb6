// Serial ports over pseudo-terminals: opening and locking, line settings read
// back from the driver, and the port wait.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <linux/serial.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

#include "platform/win32/clock.h"
#include "platform/win32/comm.h"
#include "platform/win32/devicemap.h"
#include "platform/win32/serialenum.h"
#include "pty.h"

namespace {

HANDLE OpenPort(const std::string& Name) {
  return CreateFileA(Name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                     FILE_FLAG_OVERLAPPED, nullptr);
}

TEST(CommOpen, FailuresSayWhy) {
  TPtyPair pty;
  std::string plain = "/tmp/dtu-comm-plain-" + std::to_string(getpid());
  std::ofstream(plain) << "x";
  HANDLE first = OpenPort("\\\\.\\" + pty.SlavePath);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(CommDevicePath(first), pty.SlavePath.c_str());
  EXPECT_TRUE(CommIsPseudoTerminal(first));
  struct Case {
    std::string Name;
    DWORD Error;
  } cases[] = {
      {"/dev/does-not-exist", ERROR_FILE_NOT_FOUND},
      {"\\\\.\\COM250", ERROR_FILE_NOT_FOUND},   // no map entry
      {pty.SlavePath, ERROR_ACCESS_DENIED},      // in use (the lock holds even for root)
      {plain, ERROR_INVALID_FUNCTION},           // not a terminal
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OpenPort(c.Name), INVALID_HANDLE_VALUE) << c.Name;
    EXPECT_EQ(GetLastError(), c.Error) << c.Name;
  }
  CloseHandle(first);
  HANDLE again = OpenPort(pty.SlavePath);  // free again once closed
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  CloseHandle(again);
  unlink(plain.c_str());
}

// A port name reaches only a terminal character device. The user's terminal, the
// consoles, anything else and names leading out of /dev are refused before anything
// could be written to them, with the name and the reason; so is a map entry naming
// one of them.
TEST(CommOpen, NamesThatLeadToNoSerialPortAreRefused) {
  const std::string map = "/tmp/dtu-comm-map-" + std::to_string(getpid());
  std::ofstream(map) << "COM41=/dev/tty\nCOM42=/dev/null\n";
  TSerialDeviceMap::SetPathOverride(map);
  struct Case {
    std::string Name;
    const char* Why;
    DWORD Error;
  } cases[] = {
      {"tty", "is the controlling terminal of whoever runs the program", ERROR_INVALID_FUNCTION},
      {"\\\\.\\tty", "is the controlling terminal of whoever runs the program", ERROR_INVALID_FUNCTION},
      {"/dev/tty", "is the controlling terminal of whoever runs the program", ERROR_INVALID_FUNCTION},
      {"COM41", "is the controlling terminal of whoever runs the program", ERROR_INVALID_FUNCTION},
      {"/dev/console", "is the system console", ERROR_INVALID_FUNCTION},
      {"tty1", "is a virtual console", ERROR_INVALID_FUNCTION},
      {"null", "is not a terminal", ERROR_INVALID_FUNCTION},
      {"COM42", "is not a terminal", ERROR_INVALID_FUNCTION},
      {"/tmp", "is not a character device", ERROR_INVALID_FUNCTION},
      {"../x", "a device name may not hold \"/\" or \"..\"", ERROR_INVALID_NAME},
      {"pts/../../etc/passwd", "a device name may not hold \"/\" or \"..\"", ERROR_INVALID_NAME},
      {"..", "a device name may not hold \"/\" or \"..\"", ERROR_INVALID_NAME},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string device = c.Name.rfind("COM", 0) == 0 ? "" : c.Name[0] == '/' ? c.Name : "/dev/" + c.Name;
    struct stat st {};
    if (!device.empty() && c.Error != ERROR_INVALID_NAME && stat(device.c_str(), &st) != 0) continue;  // not here
    EXPECT_EQ(OpenPort(c.Name), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), c.Error);
    const std::string shown = c.Name.rfind("\\\\.\\", 0) == 0 ? c.Name.substr(4) : c.Name;
    EXPECT_NE(CommOpenRefusal().find("\"" + shown + "\""), std::string::npos) << CommOpenRefusal();
    EXPECT_NE(CommOpenRefusal().find(c.Why), std::string::npos) << CommOpenRefusal();
  }
  TPtyPair pty;
  HANDLE ok = OpenPort(pty.SlavePath);
  EXPECT_NE(ok, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CommOpenRefusal(), "");
  CloseHandle(ok);

  // A pseudo-terminal that is the program's own controlling terminal, by its own
  // name: nothing reaches the other side.
  pid_t child = fork();
  if (child == 0) {
    setsid();
    int own = open(pty.SlavePath.c_str(), O_RDWR);  // becomes the controlling terminal
    HANDLE h = OpenPort(pty.SlavePath);
    bool refused = own >= 0 && h == INVALID_HANDLE_VALUE &&
                   CommOpenRefusal().find("is the controlling terminal of this program") != std::string::npos;
    _exit(refused ? 0 : 1);
  }
  int status = -1;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(pty.MasterPending(), 0);
  TSerialDeviceMap::SetPathOverride("");
  unlink(map.c_str());
}

// Terminals that are no serial line: the pseudo-terminal multiplexer (opening it
// makes a new pseudo-terminal, by any of its names or a link to it), a
// pseudo-terminal another session uses (its keystrokes would be read), the device
// the system console writes to (named by a fake sysfs tree), and no name at all,
// which has its own refusal however the name before it was refused. A
// pseudo-terminal no session uses, as the simulator's, opens.
TEST(CommOpen, OnlyATerminalNoOneElseUsesOpens) {
  TPtyPair free, used, console;
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t session = fork();
  if (session == 0) {
    setsid();
    (void)!open(used.SlavePath.c_str(), O_RDWR);  // becomes the new session's terminal
    (void)!write(ready[1], "x", 1);
    pause();
    _exit(0);
  }
  char x;
  ASSERT_EQ(read(ready[0], &x, 1), 1);
  const std::string sys = "/tmp/dtu-comm-sys-" + std::to_string(getpid());
  struct stat st {};
  ASSERT_EQ(stat(console.SlavePath.c_str(), &st), 0);
  ASSERT_EQ(system(("mkdir -p " + sys + "/class/tty/console " + sys + "/class/tty/ttyS9").c_str()), 0);
  std::ofstream(sys + "/class/tty/console/active") << "tty0 ttyS9\n";
  std::ofstream(sys + "/class/tty/ttyS9/dev") << major(st.st_rdev) << ":" << minor(st.st_rdev) << "\n";
  SetSerialEnumRoots({sys, "/dev"});
  const std::string link = sys + "/port";
  ASSERT_EQ(symlink("/dev/ptmx", link.c_str()), 0);
  struct Case {
    std::string Name;
    std::string Why;  // empty: opens
    DWORD Error;
  } cases[] = {
      {"/dev/ptmx", "is the pseudo-terminal multiplexer", ERROR_INVALID_FUNCTION},
      {"ptmx", "is the pseudo-terminal multiplexer", ERROR_INVALID_FUNCTION},
      {"\\\\.\\ptmx", "is the pseudo-terminal multiplexer", ERROR_INVALID_FUNCTION},
      {"/dev/pts/ptmx", "is the pseudo-terminal multiplexer", ERROR_INVALID_FUNCTION},
      {link, "is the pseudo-terminal multiplexer", ERROR_INVALID_FUNCTION},
      {used.SlavePath, "is the controlling terminal of process " + std::to_string(session), ERROR_INVALID_FUNCTION},
      {console.SlavePath, "is where the system console writes", ERROR_INVALID_FUNCTION},
      {"", "no port name was given", ERROR_INVALID_NAME},
      {"\\\\.\\", "no port name was given", ERROR_INVALID_NAME},
      {free.SlavePath, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    HANDLE h = OpenPort(c.Name);
    if (c.Why.empty()) {
      EXPECT_NE(h, INVALID_HANDLE_VALUE);
      EXPECT_EQ(CommOpenRefusal(), "");
      CloseHandle(h);
      continue;
    }
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), c.Error);
    const std::string shown = c.Name.rfind("\\\\.\\", 0) == 0 ? c.Name.substr(4) : c.Name;
    if (!shown.empty()) {
      EXPECT_NE(CommOpenRefusal().find("\"" + shown + "\""), std::string::npos) << CommOpenRefusal();
    }
    EXPECT_NE(CommOpenRefusal().find(c.Why), std::string::npos) << CommOpenRefusal();
  }
  EXPECT_EQ(used.MasterPending(), 0);  // nothing reached the session's terminal
  SetSerialEnumRoots({});
  kill(session, SIGKILL);
  waitpid(session, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  ASSERT_EQ(system(("rm -rf " + sys).c_str()), 0);
}

// A node of the "full" device (1,7), a character device no terminal driver serves,
// in a private folder (/dev/full itself where nodes cannot be made), watched through
// inotify so that only opens of this node are seen.
struct TWatchedNode {
  explicit TWatchedNode(const std::string& Tag) : Folder("/tmp/dtu-comm-" + Tag + "-" + std::to_string(getpid())) {
    EXPECT_EQ(mkdir(Folder.c_str(), 0700), 0);
    Node = Folder + "/full";
    if (mknod(Node.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) Node = "/dev/full";
    Watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    EXPECT_GE(Watch, 0);
    EXPECT_GE(inotify_add_watch(Watch, Node.c_str(), IN_OPEN), 0);
  }
  ~TWatchedNode() {
    close(Watch);
    if (Node != "/dev/full") unlink(Node.c_str());
    rmdir(Folder.c_str());
  }
  bool Opened() const {
    char events[256];
    return read(Watch, events, sizeof events) > 0;
  }
  std::string Folder, Node;
  int Watch = -1;
};

// The device held is the device opened: a link that another thread swaps between a
// pseudo-terminal and a device no terminal driver serves never gets the latter
// opened, whichever the open finds.
TEST(CommOpen, ALinkSwappedDuringTheOpenNeverOpensAnotherDevice) {
  std::ifstream drivers("/proc/tty/drivers");
  if (!drivers) GTEST_SKIP() << "/proc/tty/drivers cannot be read here";
  TWatchedNode watched("swap");
  const std::string& node = watched.Node;
  TPtyPair pty;
  const std::string link = watched.Folder + "/port", spare = watched.Folder + "/spare";
  ASSERT_EQ(symlink(pty.SlavePath.c_str(), link.c_str()), 0);
  std::atomic<bool> stop{false};
  std::thread swapper([&] {
    for (bool toNode = true; !stop.load(); toNode = !toNode) {
      unlink(spare.c_str());
      if (symlink(toNode ? node.c_str() : pty.SlavePath.c_str(), spare.c_str()) == 0) rename(spare.c_str(), link.c_str());
    }
  });
  int opened = 0;
  for (int i = 0; i < 300; ++i) {
    HANDLE h = OpenPort(link);
    if (h == INVALID_HANDLE_VALUE) continue;
    ++opened;
    EXPECT_TRUE(CommIsPseudoTerminal(h));
    CloseHandle(h);
  }
  stop = true;
  swapper.join();
  EXPECT_FALSE(watched.Opened()) << node << " was opened";
  EXPECT_GT(opened, 0);
  unlink(link.c_str());
  unlink(spare.c_str());
}

// A character device no terminal driver serves is refused without being opened at
// all: opening some devices acts (a watchdog starts counting down). Seen through
// inotify on a node of the "full" device (1,7) made for this test, so no other
// program's opens are counted; /dev/full itself where nodes cannot be made.
TEST(CommOpen, ADeviceNoTerminalDriverServesIsNeverOpened) {
  std::ifstream drivers("/proc/tty/drivers");
  if (!drivers) GTEST_SKIP() << "/proc/tty/drivers cannot be read here";
  TWatchedNode watched("node");
  const std::string& node = watched.Node;
  EXPECT_EQ(OpenPort(node), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FUNCTION));
  EXPECT_NE(CommOpenRefusal().find("is not a terminal"), std::string::npos) << CommOpenRefusal();
  EXPECT_FALSE(watched.Opened()) << node << " was opened";
}

TEST(CommState, LineSettingsAreReadBackFromTheDriver) {
  TPtyPair pty;
  HANDLE h = OpenPort(pty.SlavePath);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DCB d;
  ASSERT_TRUE(GetCommState(h, &d));
  d.BaudRate = 56000;
  d.ByteSize = 7;
  d.Parity = MARKPARITY;
  d.StopBits = TWOSTOPBITS;
  d.fOutxCtsFlow = 1;
  d.fRtsControl = RTS_CONTROL_HANDSHAKE;
  ASSERT_TRUE(SetCommState(h, &d));
  DCB back;
  ASSERT_TRUE(GetCommState(h, &back));
  EXPECT_EQ(back.BaudRate, 56000u);
  EXPECT_EQ(back.StopBits, TWOSTOPBITS);
  EXPECT_EQ(back.fOutxCtsFlow, 1u);
  EXPECT_EQ(back.fRtsControl, DWORD(RTS_CONTROL_HANDSHAKE));
  // The kernel makes every pseudo-terminal 8 bits without parity.
  EXPECT_EQ(back.ByteSize, 8);
  EXPECT_EQ(back.Parity, NOPARITY);

  // Refused settings leave the line as it was.
  using TEdit = void (*)(DCB&);
  for (TEdit bad : {TEdit([](DCB& x) { x.BaudRate = 0; }), TEdit([](DCB& x) { x.StopBits = ONE5STOPBITS; })}) {
    DCB b = d;
    bad(b);
    EXPECT_FALSE(SetCommState(h, &b));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  ASSERT_TRUE(GetCommState(h, &back));
  EXPECT_EQ(back.BaudRate, 56000u);
  // A pseudo-terminal has no modem lines.
  DWORD status;
  EXPECT_FALSE(GetCommModemStatus(h, &status));
  EXPECT_FALSE(EscapeCommFunction(h, SETDTR));
  CloseHandle(h);
}

TEST(CommWait, EventsComeFromThePortAndTheHandles) {
  TPtyPair pty;
  HANDLE h = OpenPort(pty.SlavePath);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DCB d;
  GetCommState(h, &d);
  ASSERT_TRUE(SetCommState(h, &d));
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(SetCommMask(h, EV_RXCHAR | EV_TXEMPTY | EV_ERR));
  DWORD ev = 0xFF;

  // Nothing happens: the time-out.
  EXPECT_EQ(WaitCommEvent(h, &ev, 1, &stop, 20), WAIT_TIMEOUT);
  // Received bytes.
  ASSERT_TRUE(pty.WriteAll("abc", 3));
  EXPECT_EQ(WaitCommEvent(h, &ev, 1, &stop, 10000), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(ev, EV_RXCHAR);
  COMSTAT st;
  DWORD errors;
  ASSERT_TRUE(ClearCommError(h, &errors, &st));
  EXPECT_EQ(st.cbInQue, 3u);
  char buf[8];
  DWORD got = 0;
  ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &got, nullptr));
  EXPECT_EQ(got, 3u);
  ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &got, nullptr));  // nothing left: no wait
  EXPECT_EQ(got, 0u);
  // Written bytes that left the driver: EV_TXEMPTY, once.
  DWORD put = 0;
  ASSERT_TRUE(WriteFile(h, "xyz", 3, &put, nullptr));
  EXPECT_EQ(put, 3u);
  EXPECT_EQ(WaitCommEvent(h, &ev, 1, &stop, 10000), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(ev, EV_TXEMPTY);
  EXPECT_EQ(WaitCommEvent(h, &ev, 1, &stop, 20), WAIT_TIMEOUT);
  // A handle wins; a mask change from another thread ends the wait with no events.
  SetEvent(stop);
  EXPECT_EQ(WaitCommEvent(h, &ev, 1, &stop, 10000), WAIT_OBJECT_0);
  ResetEvent(stop);
  {
    // The mask changes once the wait is under way: the waiter sits on the manual
    // clock. Should the change not end the wait, the clock runs the wait out.
    TManualClock clock;
    SetClock(&clock);
    std::atomic<DWORD> result{0xDEAD};
    std::thread waiter([&] { result = WaitCommEvent(h, &ev, 1, &stop, 10000); });
    EXPECT_TRUE(clock.WaitForWaiters(1));
    SetCommMask(h, EV_RXCHAR);
    for (int i = 0; i < 1000 && result.load() == 0xDEAD; ++i) usleep(10000);
    if (result.load() == 0xDEAD) clock.Advance(10000);
    waiter.join();
    SetClock(nullptr);
    EXPECT_EQ(result.load(), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(ev, 0u);
  }
  // Purging the receive side empties the driver.
  ASSERT_TRUE(pty.WriteAll("0123456789", 10));
  ASSERT_TRUE(WaitUntil([&] { ClearCommError(h, &errors, &st); return st.cbInQue == 10; }));
  ASSERT_TRUE(PurgeComm(h, PURGE_RXCLEAR));
  ClearCommError(h, &errors, &st);
  EXPECT_EQ(st.cbInQue, 0u);
  CloseHandle(stop);
  CloseHandle(h);
}

TEST(CommWait, AVanishedDeviceIsReportedOnceThenOnlyHandlesAreWaitedOn) {
  auto* pty = new TPtyPair;
  std::string path = pty->SlavePath;
  HANDLE h = OpenPort(path);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SetCommMask(h, EV_RXCHAR | EV_TXEMPTY | EV_ERR);
  delete pty;  // unplugged: both ends of the pair are gone but ours
  DWORD ev = 0;
  EXPECT_EQ(WaitCommEvent(h, &ev, 1, &stop, 10000), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(ev, EV_ERR);
  DWORD errors = 0;
  ClearCommError(h, &errors, nullptr);
  EXPECT_EQ(errors, CE_IOE);
  // No second report and no busy return: the wait runs to its time-out.
  TManualClock clock;
  SetClock(&clock);
  DWORD result = 0;
  std::thread waiter([&] { result = WaitCommEvent(h, &ev, 1, &stop, 50); });
  ASSERT_TRUE(clock.WaitForWaiters(1));
  clock.Advance(50);
  waiter.join();
  SetClock(nullptr);
  EXPECT_EQ(result, WAIT_TIMEOUT);
  DWORD put = 0;
  EXPECT_FALSE(WriteFile(h, "x", 1, &put, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_BAD_COMMAND);
  // Writability of a dead port returns at once (the write then fails).
  EXPECT_EQ(WaitCommWritable(h, 1, &stop, 10000), WAIT_OBJECT_0 + 1);
  CloseHandle(stop);
  CloseHandle(h);
}

TEST(CommWait, TheEventCharacterAndTheEightyPercentMark) {
  TPtyPair pty;
  HANDLE h = OpenPort(pty.SlavePath);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetupComm(h, 1200, 1200));  // the mark: 960 bytes
  DCB d;
  GetCommState(h, &d);
  d.EvtChar = '\n';
  ASSERT_TRUE(SetCommState(h, &d));
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(SetCommMask(h, EV_RXCHAR | EV_RXFLAG | EV_RX80FULL));
  DWORD ev = 0, errors = 0, got = 0;
  COMSTAT st;
  char buf[2048];
  auto arrive = [&](const std::string& bytes, DWORD total) {
    ASSERT_TRUE(pty.WriteAll(bytes.data(), bytes.size()));
    ASSERT_TRUE(WaitUntil([&] { ClearCommError(h, &errors, &st); return st.cbInQue == total; }));
  };
  auto drain = [&] {
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) {}
  };
  struct Case {
    std::string Bytes;
    DWORD Total;         // bytes waiting in the driver once they arrived
    DWORD Events;        // what the wait reports
    bool Read;           // the bytes are read, then the next wait looked at
    DWORD AfterRead;     // events of that wait (0: it times out)
  } cases[] = {
      {"abc", 3, EV_RXCHAR, true, 0},
      {"ab\ncd", 5, EV_RXCHAR, true, EV_RXFLAG},
      {std::string(959, 'x'), 959, EV_RXCHAR, false, 0},
      {"y", 960, EV_RXCHAR | EV_RX80FULL, false, 0},
      {"z", 961, EV_RXCHAR, true, 0},                 // still above: reported once
      {std::string(1000, 'w'), 1000, EV_RXCHAR | EV_RX80FULL, true, 0},  // again after falling below
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Total);
    arrive(c.Bytes, c.Total);
    ASSERT_EQ(WaitCommEvent(h, &ev, 1, &stop, 10000), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(ev, c.Events);
    if (!c.Read) continue;
    drain();
    DWORD r = WaitCommEvent(h, &ev, 1, &stop, 50);
    if (c.AfterRead) {
      EXPECT_EQ(r, WAIT_OBJECT_0 + 1);
      EXPECT_EQ(ev, c.AfterRead);
    } else {
      EXPECT_EQ(r, WAIT_TIMEOUT);
    }
  }
  CloseHandle(stop);
  CloseHandle(h);
}

// A device with modem lines played on a pseudo-terminal. The driver's wait
// (TIOCMIWAIT) blocks until the test changes a line; only then does the line state
// the driver reports change, so a change that arrives was seen by the waiting thread,
// not by looking at the lines by time. Unsupported, the wait fails at once and the
// lines show every change straight away.
struct TFakeModem {
  static inline std::atomic<int> Lines{0}, Shown{0}, Waits{0}, Interrupted{0};
  static inline std::atomic<bool> CanWait{true};
  static int Get(int, int* Bits) {
    *Bits = CanWait ? Shown.load() : Lines.load();
    return 0;
  }
  static int Wait(int, int) {
    if (!CanWait) {
      errno = EINVAL;
      return -1;
    }
    ++Waits;
    while (Lines.load() == Shown.load()) {
      if (poll(nullptr, 0, 2) < 0 && errno == EINTR) {
        ++Interrupted;
        return -1;
      }
    }
    Shown = Lines.load();
    return 0;
  }
};

TEST(CommWait, ModemLineChangesComeFromTheDriversWaitOrByTime) {
  static const TCommModemDriver fake{TFakeModem::Get, TFakeModem::Wait, nullptr};
  SetCommModemDriver(&fake);
  for (bool canWait : {true, false}) {
    SCOPED_TRACE(canWait ? "driver waits" : "driver cannot wait: looked at by time");
    TFakeModem::CanWait = canWait;
    TFakeModem::Lines = TFakeModem::Shown = TIOCM_DSR;
    TFakeModem::Waits = TFakeModem::Interrupted = 0;
    TPtyPair pty;
    HANDLE h = OpenPort(pty.SlavePath);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetCommMask(h, EV_CTS | EV_DSR | EV_RLSD | EV_RING);
    DWORD ev = 0;
    EXPECT_EQ(WaitCommEvent(h, &ev, 1, &stop, 20), WAIT_TIMEOUT);
    struct Step {
      int Lines;
      DWORD Events;
    } steps[] = {{TIOCM_DSR | TIOCM_CTS, EV_CTS}, {TIOCM_CD, EV_CTS | EV_DSR | EV_RLSD}, {TIOCM_CD | TIOCM_RNG, EV_RING}};
    for (const Step& s : steps) {
      TFakeModem::Lines = s.Lines;
      ASSERT_EQ(WaitCommEvent(h, &ev, 1, &stop, 10000), WAIT_OBJECT_0 + 1);
      EXPECT_EQ(ev, s.Events);
    }
    DWORD status = 0;
    ASSERT_TRUE(GetCommModemStatus(h, &status));
    EXPECT_EQ(status, MS_RLSD_ON | MS_RING_ON);
    if (canWait) {
      ASSERT_TRUE(WaitUntil([] { return TFakeModem::Waits.load() == 4; }));  // waiting again
    }
    // Closing ends the driver's wait at once.
    CloseHandle(h);
    EXPECT_EQ(TFakeModem::Interrupted.load(), canWait ? 1 : 0);
    EXPECT_EQ(TFakeModem::Waits.load(), canWait ? 4 : 0);
    CloseHandle(stop);
  }
  SetCommModemDriver(nullptr);
}

// A driver that counts the changes of each line (TIOCGICOUNT): a line that went
// off, on and off again between two looks has the level it had, but its event
// comes. Where the driver counts no change of a line, or keeps no counters at all,
// a change of its level raises the event.
struct TCountingModem {
  static inline std::atomic<int> Lines{0}, Changes{0}, Taken{0};
  static inline std::atomic<unsigned> Cts{0}, Dsr{0}, Dcd{0};
  static int Get(int, int* Bits) {
    *Bits = Lines.load();
    return 0;
  }
  // Returns once the test has changed something, as the driver's wait does.
  static int Wait(int, int) {
    while (Changes.load() == Taken.load())
      if (poll(nullptr, 0, 2) < 0 && errno == EINTR) return -1;
    Taken = Changes.load();
    return 0;
  }
  static int Count(int, serial_icounter_struct* C) {
    *C = serial_icounter_struct{};
    C->cts = static_cast<int>(Cts.load());
    C->dsr = static_cast<int>(Dsr.load());
    C->dcd = static_cast<int>(Dcd.load());
    return 0;
  }
};

TEST(CommWait, EveryModemLineChangeTheDriverCountedRaisesItsEvent) {
  static const TCommModemDriver counting{TCountingModem::Get, TCountingModem::Wait, TCountingModem::Count};
  static const TCommModemDriver levelsOnly{TCountingModem::Get, TCountingModem::Wait, nullptr};
  struct Step {
    const char* What;
    unsigned Cts, Dsr, Dcd;  // changes the driver counts
    int Lines;               // the levels afterwards
    DWORD Events;
  };
  struct Case {
    const TCommModemDriver* Driver;
    std::vector<Step> Steps;
  } cases[] = {
      {&counting,
       {{"CTS off, on, off", 2, 0, 0, 0, EV_CTS},
        {"DSR and DCD on and off", 0, 2, 2, 0, EV_DSR | EV_RLSD},
        {"CTS on", 1, 0, 0, TIOCM_CTS, EV_CTS},
        {"DCD on, not counted", 0, 0, 0, TIOCM_CTS | TIOCM_CD, EV_RLSD}}},
      {&levelsOnly,
       {{"CTS on, no counters", 0, 0, 0, TIOCM_CTS, EV_CTS},
        {"DSR on", 0, 0, 0, TIOCM_CTS | TIOCM_DSR, EV_DSR}}},
  };
  for (const Case& c : cases) {
    SetCommModemDriver(c.Driver);
    TCountingModem::Lines = TCountingModem::Changes = TCountingModem::Taken = 0;
    TCountingModem::Cts = TCountingModem::Dsr = TCountingModem::Dcd = 0;
    TPtyPair pty;
    HANDLE h = OpenPort(pty.SlavePath);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetCommMask(h, EV_CTS | EV_DSR | EV_RLSD | EV_RING);
    DWORD ev = 0;
    EXPECT_EQ(WaitCommEvent(h, &ev, 1, &stop, 20), WAIT_TIMEOUT);
    for (const Step& s : c.Steps) {
      SCOPED_TRACE(s.What);
      TCountingModem::Cts += s.Cts;
      TCountingModem::Dsr += s.Dsr;
      TCountingModem::Dcd += s.Dcd;
      TCountingModem::Lines = s.Lines;
      ++TCountingModem::Changes;
      ASSERT_EQ(WaitCommEvent(h, &ev, 1, &stop, 10000), WAIT_OBJECT_0 + 1);
      EXPECT_EQ(ev, s.Events);
    }
    CloseHandle(h);
    CloseHandle(stop);
  }
  SetCommModemDriver(nullptr);
}

}  // namespace
