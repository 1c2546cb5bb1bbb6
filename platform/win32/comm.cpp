#include "platform/win32/comm.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "platform/win32/clock.h"
#include "platform/win32/devicemap.h"
#include "platform/win32/linemap.h"
#include "platform/win32/serialenum.h"

namespace {

// How often modem lines are looked at where the driver cannot wait for them
// (TIOCMIWAIT), and line-error counters and the input level where nothing wakes a
// wait for them (the kernel offers no descriptor to poll for them).
constexpr int kModemPollMs = 500;
// The line discipline holds at most this many received bytes, whatever size
// SetupComm asked for.
constexpr DWORD kLineDisciplineBuffer = 4096;
constexpr int kModemLines = TIOCM_CTS | TIOCM_DSR | TIOCM_CD | TIOCM_RNG;

int DriverModemGet(int Fd, int* Bits) { return ioctl(Fd, TIOCMGET, Bits); }
int DriverModemWait(int Fd, int Lines) { return ioctl(Fd, TIOCMIWAIT, Lines); }
int DriverCount(int Fd, serial_icounter_struct* Counts) { return ioctl(Fd, TIOCGICOUNT, Counts); }
const TCommModemDriver kDriver{DriverModemGet, DriverModemWait, DriverCount};
std::atomic<const TCommModemDriver*> gModemDriver{&kDriver};
const TCommModemDriver& ModemDriver() { return *gModemDriver.load(std::memory_order_acquire); }

// The signal that ends a modem-line watcher's TIOCMIWAIT when its port closes; its
// handler does nothing and is installed without SA_RESTART, so the blocked call
// returns EINTR. Installed only where the signal still has its default action.
int WatcherSignal() { return SIGRTMIN + 3; }
bool InstallWatcherSignal() {
  static const bool installed = [] {
    struct sigaction old{};
    if (sigaction(WatcherSignal(), nullptr, &old) != 0 || old.sa_handler != SIG_DFL) return false;
    struct sigaction sa{};
    sa.sa_handler = [](int) {};
    sigemptyset(&sa.sa_mask);
    return sigaction(WatcherSignal(), &sa, nullptr) == 0;
  }();
  return installed;
}
// Longest real-time step while waiting for the driver's output queue to drain.
constexpr int kDrainPollMaxMs = 100;

// An open serial port.
class TCommObject : public THandleObject {
public:
  TCommObject(int Fd, int WakeFd, std::string Path) : Fd(Fd), WakeFd(WakeFd), Path(std::move(Path)) {
    struct stat st{};
    // Unix 98 pseudo-terminal slaves: majors 136..143.
    Pty = fstat(Fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 &&
          major(st.st_rdev) <= 143;
    int bits = 0;
    ModemOk = ModemDriver().Get(Fd, &bits) == 0;
    LastModem = bits;
    IcountOk = ReadCounts(LastIcount);
  }
  bool ReadCounts(serial_icounter_struct& Counts) const {
    const TCommModemDriver& d = ModemDriver();
    return d.Count && d.Count(Fd, &Counts) == 0;
  }
  ~TCommObject() override {
    StopModemWatcher();
    ioctl(Fd, TIOCNXCL);
    close(Fd);
    close(WakeFd);
  }

  // Starts the thread that waits for modem-line changes in the driver, once, the
  // first time a wait asks for them on a device that has modem lines.
  void StartModemWatcher() {
    std::lock_guard<std::mutex> lock(WatcherLock);
    if (Watcher.joinable() || !ModemWaitWorks.load(std::memory_order_acquire)) return;
    // Without the signal the watcher could not be ended: keep looking by time.
    if (!InstallWatcherSignal()) {
      ModemWaitWorks.store(false, std::memory_order_release);
      return;
    }
    Watcher = std::thread([this] { WatchModemLines(); });
  }
  bool ModemWatched() const {
    return WatcherStarted.load(std::memory_order_acquire) && ModemWaitWorks.load(std::memory_order_acquire);
  }

  void Wake() {
    std::uint64_t one = 1;
    (void)!write(WakeFd, &one, sizeof one);
  }
  void DrainWake() {
    std::uint64_t v;
    (void)!read(WakeFd, &v, sizeof v);
  }
  void MarkBroken() { Broken.store(true, std::memory_order_release); }
  // Bytes just read: the event character among them raises EV_RXFLAG at the next
  // wait (the reader reads what the wait reported, so the byte is in the caller's
  // hands when the event comes).
  void NoteReceived(const void* Bytes, size_t N) {
    if (!(Mask.load(std::memory_order_relaxed) & EV_RXFLAG) || RxFlag.load(std::memory_order_relaxed)) return;
    if (std::memchr(Bytes, EvtChar.load(std::memory_order_relaxed), N) &&
        !RxFlag.exchange(true, std::memory_order_acq_rel))
      Wake();
  }
  // EV_RX80FULL once the driver's input passes 80 % of the queue size asked for
  // (the line discipline's own size at most); again only after it fell below.
  bool InputPassedMark(int Avail) {
    if (RearmMark(Avail)) return false;
    return !Rx80Reported.exchange(true, std::memory_order_acq_rel);
  }
  // A count of waiting bytes taken anywhere (a wait, ClearCommError, a read that
  // drained the driver) re-arms the mark once it is below; true when below.
  bool RearmMark(int Avail) {
    DWORD size = std::min(InQueue.load(std::memory_order_relaxed), kLineDisciplineBuffer);
    if (size == 0) size = kLineDisciplineBuffer;
    if (DWORD(std::max(Avail, 0)) * 5 >= size * 4) return false;
    if (Rx80Reported.load(std::memory_order_relaxed)) Rx80Reported.store(false, std::memory_order_relaxed);
    return true;
  }

  const int Fd;
  const int WakeFd;   // wakes a pending WaitCommEvent (mask change, output written)
  const std::string Path;
  bool Pty = false;

  std::atomic<DWORD> Mask{0};
  std::atomic<std::uint32_t> MaskSerial{0};   // bumped by every SetCommMask
  std::atomic<bool> TxPending{false};         // written since the last EV_TXEMPTY
  std::atomic<bool> Broken{false};            // hang-up or I/O error seen
  std::atomic<bool> BrokenReported{false};
  std::atomic<DWORD> Errors{0};               // CE_* bits for ClearCommError
  std::atomic<DWORD> Baud{9600};              // for the output drain estimate
  DCB Dcb{};                                  // last record set (fields the driver keeps not)
  std::atomic<DWORD> InQueue{0};
  DWORD OutQueue = 0;
  std::atomic<char> EvtChar{0};               // the DCB's event character
  std::atomic<bool> RxFlag{false};            // event character read since the last wait
  std::atomic<bool> ModemChanged{false};      // the watcher saw a modem line change
  std::atomic<bool> Rx80Reported{false};      // EV_RX80FULL sent, input not below since

  // Looked at by the waiting thread only.
  bool ModemOk = false;
  int LastModem = 0;
  bool IcountOk = false;
  serial_icounter_struct LastIcount{};

private:
  void WatchModemLines();
  void StopModemWatcher();

  std::mutex WatcherLock;
  std::thread Watcher;
  std::atomic<bool> WatcherStarted{false};
  std::atomic<bool> WatcherStop{false};
  std::atomic<bool> WatcherDone{false};
  std::atomic<bool> ModemWaitWorks{true};     // cleared when the driver has no TIOCMIWAIT
};

// Waits in the driver for a modem-line change and wakes the port's waiter for each.
// A driver without the request (a pseudo-terminal, some USB adapters) ends the
// watcher, and the waiter falls back to looking at the lines twice a second.
void TCommObject::WatchModemLines() {
  // The thread that opened the port may block signals; this one must take its own.
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, WatcherSignal());
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  WatcherStarted.store(true, std::memory_order_release);
  while (!WatcherStop.load(std::memory_order_acquire)) {
    int r = ModemDriver().Wait(Fd, kModemLines);
    int e = errno;
    if (WatcherStop.load(std::memory_order_acquire)) break;
    if (r == 0) {
      ModemChanged.store(true, std::memory_order_release);
      Wake();
    } else if (e != EINTR) {
      if (e == EIO || e == ENXIO || e == ENODEV) MarkBroken();
      else ModemWaitWorks.store(false, std::memory_order_release);
      Wake();
      break;
    }
  }
  WatcherDone.store(true, std::memory_order_release);
}

// Ends the watcher at once: the signal interrupts its wait in the driver, and is
// sent again until it has ended, since it may arrive just before the wait starts.
void TCommObject::StopModemWatcher() {
  std::lock_guard<std::mutex> lock(WatcherLock);
  if (!Watcher.joinable()) return;
  WatcherStop.store(true, std::memory_order_release);
  while (!WatcherDone.load(std::memory_order_acquire)) {
    pthread_kill(Watcher.native_handle(), WatcherSignal());
    for (int i = 0; i < 20 && !WatcherDone.load(std::memory_order_acquire); ++i) usleep(100);
  }
  Watcher.join();
}

TCommObject* Comm(HANDLE h) {
  auto* c = dynamic_cast<TCommObject*>(win32_detail::Object(h));
  if (!c && h != nullptr && h != INVALID_HANDLE_VALUE) SetLastError(ERROR_INVALID_HANDLE);
  return c;
}

BOOL Fail(DWORD Code) {
  SetLastError(Code);
  return FALSE;
}

BOOL FailErrno(TCommObject* C) {
  int e = errno;
  if (C && (e == EIO || e == ENXIO || e == ENODEV)) C->MarkBroken();
  return Fail(ErrnoToWinError(e));
}

// Why this thread's last CreateFileA refused its port name; empty when it did not.
thread_local std::string GRefusal;

// The controlling terminal named in a /proc/PID/stat (field 7, tty_nr), and the
// process's name (field 2) when Comm is given; 0 when it has none or the file
// cannot be read.
dev_t StatTerminal(const std::string& StatPath, std::string* Comm = nullptr) {
  char buf[1024];
  int fd = open(StatPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  ssize_t n = read(fd, buf, sizeof buf - 1);
  close(fd);
  if (n <= 0) return 0;
  buf[n] = '\0';
  // "pid (name) state ppid pgrp session tty_nr": the name may hold anything.
  const char* lp = std::strchr(buf, '(');
  const char* p = std::strrchr(buf, ')');
  int ttyNr = 0;
  if (!lp || !p || p < lp || std::sscanf(p + 1, " %*c %*d %*d %*d %d", &ttyNr) != 1 || ttyNr == 0) return 0;
  if (Comm) {
    // Shown in a message: another user's process may have named itself anything.
    Comm->assign(lp + 1, p);
    for (char& c : *Comm)
      if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) c = '?';
  }
  const unsigned u = static_cast<unsigned>(ttyNr);
  return makedev((u >> 8) & 0xfff, (u & 0xff) | ((u >> 12) & 0xfff00));
}

// A process (other than this one) whose controlling terminal is the device Rdev:
// its pid, and its name in *Comm; 0 when none is seen. Processes /proc hides from
// this user are not seen.
pid_t TerminalSessionProcess(dev_t Rdev, std::string* Comm) {
  DIR* d = opendir("/proc");
  if (!d) return 0;
  const pid_t self = getpid();
  pid_t found = 0;
  while (dirent* e = readdir(d)) {
    char* end = nullptr;
    const long pid = std::strtol(e->d_name, &end, 10);
    if (pid <= 0 || *end != '\0' || pid == self) continue;
    if (StatTerminal("/proc/" + std::string(e->d_name) + "/stat", Comm) == Rdev) {
      found = static_cast<pid_t>(pid);
      break;
    }
  }
  closedir(d);
  return found;
}

// The type of the terminal driver that serves the character device Rdev, from the
// kernel's list of them (/proc/tty/drivers: driver, node, major, minor or
// first-last, type): "serial", "pty:slave", "pty:master", "system:console", ...;
// "" when no terminal driver serves it; empty when the list cannot be read. Any
// other device (a watchdog, a disk's generic node) may act on being opened, so it
// is known before the open.
std::optional<std::string> TerminalDriverType(dev_t Rdev) {
  int fd = open("/proc/tty/drivers", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string text;
  char buf[4096];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0 && text.size() < (1u << 20);) text.append(buf, size_t(n));
  close(fd);
  bool any = false;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::vector<std::string> f;
    for (size_t i = pos; i < end;) {
      while (i < end && (text[i] == ' ' || text[i] == '\t')) ++i;
      size_t j = i;
      while (j < end && text[j] != ' ' && text[j] != '\t') ++j;
      if (j > i) f.push_back(text.substr(i, j - i));
      i = j;
    }
    pos = end + 1;
    unsigned maj = 0, first = 0, last = 0;
    if (f.size() < 4 || std::sscanf(f[f.size() - 3].c_str(), "%u", &maj) != 1) continue;
    const int got = std::sscanf(f[f.size() - 2].c_str(), "%u-%u", &first, &last);
    if (got < 1) continue;
    if (got == 1) last = first;
    any = true;
    if (major(Rdev) == maj && minor(Rdev) >= first && minor(Rdev) <= last) return f.back();
  }
  if (!any) return std::nullopt;
  return std::string();
}

// How a refusal names the port: the name, and the device when that differs.
std::string PortShown(const std::string& Name, const std::string& Device) {
  return "\"" + Name + "\"" + (Name == Device ? "" : " (" + Device + ")");
}

// Why the device a port name leads to (St, found at the path Real) is no serial
// port to open: a console, the pseudo-terminal multiplexer or a master, a terminal
// some session is using, or no terminal at all. Empty when it may be opened.
// Looked at before the device is opened. Known by its device number, and by its
// name too: in a container /dev/console is often another terminal mounted in its
// place.
std::string DeviceRefusal(const std::string& What, const std::string& Real, const struct stat& St) {
  if (!S_ISCHR(St.st_mode)) return What + " is not a character device, so it is no serial port";
  unsigned vc = 64;
  char tail = 0;
  if (Real.rfind("/dev/tty", 0) == 0 && std::sscanf(Real.c_str() + 8, "%u%c", &vc, &tail) != 1) vc = 64;
  const unsigned maj = major(St.st_rdev), min = minor(St.st_rdev);
  const std::string base = Real.substr(Real.find_last_of('/') + 1);
  if ((maj == 5 && min == 0) || Real == "/dev/tty")
    return What + " is the controlling terminal of whoever runs the program, not a serial port";
  if ((maj == 5 && min == 1) || Real == "/dev/console") return What + " is the system console, not a serial port";
  if ((maj == 4 && min < 64) || vc < 64) return What + " is a virtual console, not a serial port";
  if ((maj == 5 && min == 2) || base == "ptmx")
    return What + " is the pseudo-terminal multiplexer (opening it makes a new pseudo-terminal), not a serial port";
  const TConsoleDevices consoles = ActiveConsoleDevices();
  if (std::find(consoles.Numbers.begin(), consoles.Numbers.end(), St.st_rdev) != consoles.Numbers.end())
    return What + " is where the system console writes, not a serial port";
  const std::optional<std::string> type = TerminalDriverType(St.st_rdev);
  if (type && type->empty()) return What + " is not a terminal, so it is no serial port";
  if (type && type->rfind("pty:master", 0) == 0)
    return What + " is the master side of a pseudo-terminal, not a serial port";
  if (dev_t own = StatTerminal("/proc/self/stat"); own != 0 && St.st_rdev == own)
    return What + " is the controlling terminal of this program, not a serial port";
  std::string comm;
  if (pid_t pid = TerminalSessionProcess(St.st_rdev, &comm))
    return What + " is the controlling terminal of process " + std::to_string(pid) + " (" + comm +
           "), a terminal in use, not a serial port";
  return {};
}

// A name that is not a path is a device in /dev: one holding "/" or ".." would
// lead out of it.
std::string NameRefusal(const std::string& Name) {
  if (Name.empty() || Name[0] == '/') return {};
  if (Name.find('/') != std::string::npos || Name == "." || Name.find("..") != std::string::npos)
    return "\"" + Name + "\" is no port name: a device name may not hold \"/\" or \"..\"";
  return {};
}

std::string StripDevicePrefix(const char* Name) {
  std::string n = Name;
  if (n.rfind("\\\\.\\", 0) == 0) n.erase(0, 4);
  return n;
}

// Events of the modem lines and error counters since the last look. The counters
// of a kind are taken as seen only when the mask asks for its events, so that what
// is counted meanwhile is reported once it is asked for.
DWORD ModemEvents(TCommObject* C, DWORD Mask) {
  DWORD ev = 0;
  const bool lines = Mask & (EV_CTS | EV_DSR | EV_RLSD);
  const bool counted = Mask & (EV_BREAK | EV_ERR | EV_RING);
  serial_icounter_struct now{};
  const bool haveCounts = C->IcountOk && (lines || counted) && C->ReadCounts(now);
  serial_icounter_struct& was = C->LastIcount;
  if (haveCounts && lines) {
    // The driver counts every change, also one undone before this look.
    if (now.cts != was.cts) ev |= EV_CTS;
    if (now.dsr != was.dsr) ev |= EV_DSR;
    if (now.dcd != was.dcd) ev |= EV_RLSD;
    was.cts = now.cts;
    was.dsr = now.dsr;
    was.dcd = now.dcd;
  }
  if (C->ModemOk && (Mask & (EV_CTS | EV_DSR | EV_RLSD | EV_RING))) {
    int bits = 0;
    C->ModemChanged.store(false, std::memory_order_release);
    if (ModemDriver().Get(C->Fd, &bits) == 0) {
      int changed = bits ^ C->LastModem;
      if (changed & TIOCM_CTS) ev |= EV_CTS;
      if (changed & TIOCM_DSR) ev |= EV_DSR;
      if (changed & TIOCM_CD) ev |= EV_RLSD;
      if ((changed & TIOCM_RI) && (bits & TIOCM_RI)) ev |= EV_RING;
      C->LastModem = bits;
    }
  }
  if (haveCounts && counted) {
    DWORD errors = 0;
    if (now.frame != was.frame) errors |= CE_FRAME;
    if (now.overrun != was.overrun) errors |= CE_OVERRUN;
    if (now.parity != was.parity) errors |= CE_RXPARITY;
    if (now.buf_overrun != was.buf_overrun) errors |= CE_RXOVER;
    if (now.brk != was.brk) {
      errors |= CE_BREAK;
      ev |= EV_BREAK;
    }
    if (now.rng != was.rng) ev |= EV_RING;
    if (errors & ~CE_BREAK) ev |= EV_ERR;
    C->Errors.fetch_or(errors, std::memory_order_acq_rel);
    const serial_icounter_struct lineCounts = was;
    was = now;
    was.cts = lineCounts.cts;
    was.dsr = lineCounts.dsr;
    was.dcd = lineCounts.dcd;
  }
  return ev & Mask;
}

// Whether the wait must look again by time: modem lines that no watcher waits for,
// line-error counters, and the input level while received bytes do not wake it.
bool WantsModemPolling(TCommObject* C, DWORD Mask) {
  return (C->ModemOk && (Mask & (EV_CTS | EV_DSR | EV_RLSD | EV_RING)) && !C->ModemWatched()) ||
         (C->IcountOk && (Mask & (EV_BREAK | EV_ERR | EV_RING))) ||
         ((Mask & EV_RX80FULL) && !(Mask & EV_RXCHAR));
}


// Opens the device a port name leads to once, checked first and then on the
// descriptor, before anything is written: the path is taken hold of without
// opening the device (O_PATH; links are followed, the COMn map and the names under
// /dev/serial are links), the device held is looked at, and that same device is
// opened through /proc/self/fd, so a link swapped in meanwhile changes nothing.
// Returns the descriptor, or -1 with the refusal in GRefusal or the system's error
// as the last error.
int OpenPortDevice(const std::string& Name, const std::string& Path) {
  auto refuse = [](std::string Why) {
    GRefusal = std::move(Why);
    SetLastError(ERROR_INVALID_FUNCTION);
    return -1;
  };
  auto failed = [] {
    SetLastError(ErrnoToWinError(errno));
    return -1;
  };
  const std::string what = PortShown(Name, Path);
  struct stat before {};
  const int held = open(Path.c_str(), O_PATH | O_CLOEXEC);
  if (held < 0 || fstat(held, &before) != 0) {
    const int e = errno;
    if (held >= 0) close(held);
    errno = e;
    return failed();
  }
  const std::string self = "/proc/self/fd/" + std::to_string(held);
  char real[PATH_MAX];
  const ssize_t n = readlink(self.c_str(), real, sizeof real - 1);
  std::string why = DeviceRefusal(what, n > 0 ? std::string(real, size_t(n)) : Path, before);
  int fd = -1;
  if (why.empty()) {
    fd = open(self.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // Without /proc the name is opened again, and the device compared below.
    if (fd < 0 && n <= 0) fd = open(Path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  }
  const int openErrno = errno;
  close(held);
  if (!why.empty()) return refuse(why);
  if (fd < 0) {
    errno = openErrno;
    return failed();
  }
  struct stat opened {};
  if (fstat(fd, &opened) != 0 || opened.st_dev != before.st_dev || opened.st_ino != before.st_ino ||
      opened.st_rdev != before.st_rdev || !S_ISCHR(opened.st_mode))
    why = "\"" + Name + "\" changed while it was opened";
  else if (!isatty(fd))
    why = what + " is not a terminal, so it is no serial port";
  else if (unsigned index = 0; ioctl(fd, TIOCGPTN, &index) == 0)
    why = what + " is the master side of a pseudo-terminal, not a serial port";
  else if (pid_t session = 0; ioctl(fd, TIOCGSID, &session) == 0)  // answered for our own terminal only
    why = what + " is the controlling terminal of this program, not a serial port";
  if (why.empty()) return fd;
  close(fd);
  return refuse(why);
}

}  // namespace

HANDLE CreateFileA(LPCSTR lpFileName, DWORD, DWORD, void*, DWORD dwCreationDisposition, DWORD,
                   HANDLE) {
  GRefusal.clear();
  if (!lpFileName || dwCreationDisposition != OPEN_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::string name = StripDevicePrefix(lpFileName);
  std::string why = name.empty() ? "no port name was given" : NameRefusal(name);
  if (!why.empty()) {
    GRefusal = std::move(why);
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  const std::string path = ResolvePortDevice(name);
  const int fd = OpenPortDevice(name, path);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  auto fail = [&](DWORD code) {
    close(fd);
    SetLastError(code);
    return INVALID_HANDLE_VALUE;
  };
  // The lock is what keeps a second opener out (TIOCEXCL does not stop root).
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno == EWOULDBLOCK ? ERROR_ACCESS_DENIED : ErrnoToWinError(errno));
  ioctl(fd, TIOCEXCL);
  int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wake < 0) return fail(ErrnoToWinError(errno));
  auto* c = new (std::nothrow) TCommObject(fd, wake, path);
  if (!c) {
    close(wake);
    return fail(ERROR_NOT_ENOUGH_MEMORY);
  }
  termios2 t{};
  if (ioctl(fd, TCGETS2, &t) == 0) {
    TermiosToDcb(t, c->Dcb);
    c->Baud.store(t.c_ospeed ? t.c_ospeed : 9600);
  }
  return c;
}

BOOL SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue) {
  TCommObject* c = Comm(hFile);
  if (!c) return FALSE;
  c->InQueue.store(dwInQueue, std::memory_order_relaxed);
  c->OutQueue = dwOutQueue;
  return TRUE;
}

BOOL GetCommState(HANDLE hFile, DCB* lpDCB) {
  TCommObject* c = Comm(hFile);
  if (!c) return FALSE;
  if (!lpDCB) return Fail(ERROR_INVALID_PARAMETER);
  termios2 t{};
  if (ioctl(c->Fd, TCGETS2, &t) != 0) return FailErrno(c);
  DCB d = c->Dcb;
  TermiosToDcb(t, d);
  *lpDCB = d;
  return TRUE;
}

BOOL SetCommState(HANDLE hFile, const DCB* lpDCB) {
  TCommObject* c = Comm(hFile);
  if (!c) return FALSE;
  if (!lpDCB) return Fail(ERROR_INVALID_PARAMETER);
  termios2 cur{}, want{}, got{};
  if (ioctl(c->Fd, TCGETS2, &cur) != 0) return FailErrno(c);
  if (!DcbToTermios(*lpDCB, cur, want)) return Fail(ERROR_INVALID_PARAMETER);
  if (ioctl(c->Fd, TCSETS2, &want) != 0) return FailErrno(c);
  if (ioctl(c->Fd, TCGETS2, &got) != 0) return FailErrno(c);
  if (!TermiosTaken(want, got, c->Pty)) {
    ioctl(c->Fd, TCSETS2, &cur);  // leave the line as it was
    return Fail(ERROR_INVALID_PARAMETER);
  }
  c->Dcb = *lpDCB;
  c->EvtChar.store(lpDCB->EvtChar, std::memory_order_relaxed);
  c->Baud.store(got.c_ospeed ? got.c_ospeed : lpDCB->BaudRate);
  // DTR and RTS levels: best effort, a pseudo-terminal has no such lines.
  int dtr = TIOCM_DTR, rts = TIOCM_RTS;
  ioctl(c->Fd, lpDCB->fDtrControl == DTR_CONTROL_DISABLE ? TIOCMBIC : TIOCMBIS, &dtr);
  if (lpDCB->fRtsControl == RTS_CONTROL_DISABLE) ioctl(c->Fd, TIOCMBIC, &rts);
  else if (lpDCB->fRtsControl == RTS_CONTROL_ENABLE) ioctl(c->Fd, TIOCMBIS, &rts);
  return TRUE;
}

BOOL SetCommMask(HANDLE hFile, DWORD dwEvtMask) {
  TCommObject* c = Comm(hFile);
  if (!c) return FALSE;
  c->Mask.store(dwEvtMask, std::memory_order_release);
  c->MaskSerial.fetch_add(1, std::memory_order_acq_rel);
  c->Wake();
  return TRUE;
}

BOOL GetCommMask(HANDLE hFile, DWORD* lpEvtMask) {
  TCommObject* c = Comm(hFile);
  if (!c || !lpEvtMask) return FALSE;
  *lpEvtMask = c->Mask.load(std::memory_order_acquire);
  return TRUE;
}

DWORD WaitCommEvent(HANDLE hFile, DWORD* lpEvtMask, DWORD nCount, const HANDLE* lpHandles,
                    DWORD dwMilliseconds) {
  TCommObject* c = Comm(hFile);
  if (!c || !lpEvtMask || nCount + 2 > MAXIMUM_WAIT_OBJECTS) {
    if (c) SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  *lpEvtMask = 0;
  const std::uint32_t serial = c->MaskSerial.load(std::memory_order_acquire);
  const std::optional<std::uint64_t> deadline = DeadlineAfter(dwMilliseconds);
  const DWORD portResult = WAIT_OBJECT_0 + nCount;

  for (;;) {
    const DWORD mask = c->Mask.load(std::memory_order_acquire);
    const bool broken = c->Broken.load(std::memory_order_acquire);
    DWORD ev = 0;
    int cap = -1;

    if (broken) {
      if ((mask & EV_ERR) && !c->BrokenReported.exchange(true, std::memory_order_acq_rel)) {
        c->Errors.fetch_or(CE_IOE, std::memory_order_acq_rel);
        *lpEvtMask = EV_ERR;
        return portResult;
      }
    } else {
      if (c->ModemOk && (mask & (EV_CTS | EV_DSR | EV_RLSD | EV_RING))) c->StartModemWatcher();
      ev |= ModemEvents(c, mask);
      if ((mask & EV_RXFLAG) && c->RxFlag.exchange(false, std::memory_order_acq_rel)) ev |= EV_RXFLAG;
      if ((mask & EV_RX80FULL) && !(mask & EV_RXCHAR)) {
        int avail = 0;
        if (ioctl(c->Fd, FIONREAD, &avail) == 0 && c->InputPassedMark(avail)) ev |= EV_RX80FULL;
      }
      if ((mask & EV_TXEMPTY) && c->TxPending.load(std::memory_order_acquire)) {
        int outq = 0;
        if (ioctl(c->Fd, TIOCOUTQ, &outq) != 0 || outq <= 0) {
          c->TxPending.store(false, std::memory_order_release);
          ev |= EV_TXEMPTY;
        } else {
          // Time for the queued bytes to leave at the line rate (10 bits a byte).
          std::uint64_t ms = std::uint64_t(outq) * 10000 / std::max<DWORD>(c->Baud.load(), 1) + 1;
          cap = static_cast<int>(std::min<std::uint64_t>(ms, kDrainPollMaxMs));
        }
      }
      if (WantsModemPolling(c, mask)) cap = cap < 0 ? kModemPollMs : std::min(cap, kModemPollMs);
    }
    if (ev) {
      *lpEvtMask = ev;
      return portResult;
    }

    // Wait on the handles, the wake descriptor and, unless it is gone, the port.
    int fds[2] = {c->WakeFd, c->Fd};
    short want[2] = {POLLIN, (mask & EV_RXCHAR) ? short(POLLIN) : short(0)};
    short got[2] = {0, 0};
    DWORD nExtra = broken ? 1 : 2;
    DWORD r = win32_detail::WaitHandlesAndFds(nCount, lpHandles, fds, want, got, nExtra, deadline, cap);
    if (r == WAIT_FAILED) return WAIT_FAILED;
    if (r == WAIT_TIMEOUT) {
      if (deadline && Clock().NowMs() >= *deadline) return WAIT_TIMEOUT;
      continue;  // time to look at the hardware again
    }
    if (r < WAIT_OBJECT_0 + nCount) return r;
    if (got[0]) {
      c->DrainWake();
      if (c->MaskSerial.load(std::memory_order_acquire) != serial) return portResult;  // events 0
    }
    if (!broken && got[1]) {
      if (got[1] & (POLLHUP | POLLERR | POLLNVAL)) {
        c->MarkBroken();
        continue;
      }
      if (got[1] & POLLIN) {
        int avail = 0;
        if (ioctl(c->Fd, FIONREAD, &avail) != 0) {
          c->MarkBroken();
          continue;
        }
        // Readable with nothing to read is no hang-up (that comes as POLLHUP or
        // POLLERR, or as a read returning 0 or EIO): a receive purge between the
        // poll and the count flushed the bytes. Wait again.
        if (avail <= 0) continue;
        *lpEvtMask = EV_RXCHAR;
        if ((mask & EV_RX80FULL) && c->InputPassedMark(avail)) *lpEvtMask |= EV_RX80FULL;
        return portResult;
      }
    }
  }
}

DWORD WaitCommWritable(HANDLE hFile, DWORD nCount, const HANDLE* lpHandles, DWORD dwMilliseconds) {
  TCommObject* c = Comm(hFile);
  if (!c) return WAIT_FAILED;
  if (c->Broken.load(std::memory_order_acquire)) return WAIT_OBJECT_0 + nCount;
  int fd = c->Fd;
  short want = POLLOUT, got = 0;
  return win32_detail::WaitHandlesAndFds(nCount, lpHandles, &fd, &want, &got, 1,
                                         DeadlineAfter(dwMilliseconds));
}

BOOL ReadFile(HANDLE hFile, void* lpBuffer, DWORD nNumberOfBytesToRead, DWORD* lpNumberOfBytesRead,
              void*) {
  TCommObject* c = Comm(hFile);
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  if (!c) return FALSE;
  if (nNumberOfBytesToRead == 0) return TRUE;
  for (;;) {
    ssize_t n = read(c->Fd, lpBuffer, nNumberOfBytesToRead);
    if (n > 0) {
      c->NoteReceived(lpBuffer, static_cast<size_t>(n));
      if (DWORD(n) < nNumberOfBytesToRead) c->RearmMark(0);  // the driver is drained
      if (lpNumberOfBytesRead) *lpNumberOfBytesRead = static_cast<DWORD>(n);
      return TRUE;
    }
    if (n == 0) {
      c->MarkBroken();  // end of file on a terminal: hung up
      return Fail(ERROR_BAD_COMMAND);
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN) return TRUE;
    return FailErrno(c);
  }
}

BOOL WriteFile(HANDLE hFile, const void* lpBuffer, DWORD nNumberOfBytesToWrite,
               DWORD* lpNumberOfBytesWritten, void*) {
  TCommObject* c = Comm(hFile);
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  if (!c) return FALSE;
  if (nNumberOfBytesToWrite == 0) return TRUE;
  for (;;) {
    ssize_t n = write(c->Fd, lpBuffer, nNumberOfBytesToWrite);
    if (n >= 0) {
      if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = static_cast<DWORD>(n);
      // Pending even before a mask asks for EV_TXEMPTY, so a waiter that sets
      // its mask just after this write still hears when the output has left.
      if (n > 0 && !c->TxPending.exchange(true, std::memory_order_acq_rel) &&
          (c->Mask.load(std::memory_order_acquire) & EV_TXEMPTY))
        c->Wake();
      return TRUE;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN) return TRUE;
    return FailErrno(c);
  }
}

BOOL ClearCommError(HANDLE hFile, DWORD* lpErrors, COMSTAT* lpStat) {
  TCommObject* c = Comm(hFile);
  if (!c) return FALSE;
  DWORD errors = c->Errors.exchange(0, std::memory_order_acq_rel);
  if (lpErrors) *lpErrors = errors;
  if (lpStat) {
    *lpStat = COMSTAT{};
    int n = 0;
    if (ioctl(c->Fd, FIONREAD, &n) == 0 && n >= 0) {
      lpStat->cbInQue = static_cast<DWORD>(n);
      c->RearmMark(n);
    }
    n = 0;
    if (ioctl(c->Fd, TIOCOUTQ, &n) == 0 && n > 0) lpStat->cbOutQue = static_cast<DWORD>(n);
  }
  return TRUE;
}

BOOL PurgeComm(HANDLE hFile, DWORD dwFlags) {
  TCommObject* c = Comm(hFile);
  if (!c) return FALSE;
  bool rx = dwFlags & PURGE_RXCLEAR, tx = dwFlags & PURGE_TXCLEAR;
  if (!rx && !tx) return TRUE;
  int what = rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH;
  if (ioctl(c->Fd, TCFLSH, what) != 0) return FailErrno(c);
  return TRUE;
}

BOOL EscapeCommFunction(HANDLE hFile, DWORD dwFunc) {
  TCommObject* c = Comm(hFile);
  if (!c) return FALSE;
  int dtr = TIOCM_DTR, rts = TIOCM_RTS;
  int r;
  switch (dwFunc) {
    case SETDTR: r = ioctl(c->Fd, TIOCMBIS, &dtr); break;
    case CLRDTR: r = ioctl(c->Fd, TIOCMBIC, &dtr); break;
    case SETRTS: r = ioctl(c->Fd, TIOCMBIS, &rts); break;
    case CLRRTS: r = ioctl(c->Fd, TIOCMBIC, &rts); break;
    case SETBREAK: r = ioctl(c->Fd, TIOCSBRK); break;
    case CLRBREAK: r = ioctl(c->Fd, TIOCCBRK); break;
    case SETXOFF: r = ioctl(c->Fd, TCXONC, TCOOFF); break;
    case SETXON: r = ioctl(c->Fd, TCXONC, TCOON); break;
    default: return Fail(ERROR_INVALID_PARAMETER);
  }
  return r == 0 ? TRUE : FailErrno(c);
}

BOOL GetCommModemStatus(HANDLE hFile, DWORD* lpModemStat) {
  TCommObject* c = Comm(hFile);
  if (!c || !lpModemStat) return FALSE;
  int bits = 0;
  if (ModemDriver().Get(c->Fd, &bits) != 0) return FailErrno(c);
  DWORD s = 0;
  if (bits & TIOCM_CTS) s |= MS_CTS_ON;
  if (bits & TIOCM_DSR) s |= MS_DSR_ON;
  if (bits & TIOCM_RI) s |= MS_RING_ON;
  if (bits & TIOCM_CD) s |= MS_RLSD_ON;
  *lpModemStat = s;
  return TRUE;
}

const std::string& CommOpenRefusal() { return GRefusal; }

const char* CommDevicePath(HANDLE hFile) {
  auto* c = dynamic_cast<TCommObject*>(static_cast<THandleObject*>(
      hFile == INVALID_HANDLE_VALUE ? nullptr : hFile));
  return c ? c->Path.c_str() : "";
}

bool CommIsPseudoTerminal(HANDLE hFile) {
  auto* c = dynamic_cast<TCommObject*>(static_cast<THandleObject*>(
      hFile == INVALID_HANDLE_VALUE ? nullptr : hFile));
  return c && c->Pty;
}

bool CommDeviceGone(HANDLE hFile) {
  auto* c = dynamic_cast<TCommObject*>(static_cast<THandleObject*>(
      hFile == INVALID_HANDLE_VALUE ? nullptr : hFile));
  return c && c->Broken.load(std::memory_order_acquire);
}

void SetCommModemDriver(const TCommModemDriver* Driver) {
  gModemDriver.store(Driver ? Driver : &kDriver, std::memory_order_release);
}
