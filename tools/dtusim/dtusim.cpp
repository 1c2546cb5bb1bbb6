// dtusim: plays a 4G data terminal on a pseudo-terminal, so that the configuration
// tool (and its tests) can be tried without the hardware. See Usage below.
#include <fcntl.h>
#include <getopt.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/safefile.h"
#include "platform/win32/devicemap.h"
#include "tools/dtusim/atdevice.h"

namespace {

const char kUsage[] =
    "Usage: dtusim --port NAME [--log FILE] [--dump FILE] [--rules FILE] [--fault RULE]...\n"
    "\n"
    "Plays a 4G data terminal on a pseudo-terminal. The terminal's side of the\n"
    "configuration protocol: in normal mode it answers only the line \"+++++\" with\n"
    "\"4G DTU Enter Config Mode OK\" and enters configuration mode; there every command\n"
    "line (AT+CLRVAR?, AT+DSCADDR@.., AT+DTUID@.., AT+UARTCFG@.., AT+HEARTIME@..,\n"
    "AT+PLCFG@.., AT+SETBADDR@.., AT+SETVAR@.., AT+SETBVAR@.., AT+MINFO, AT+CSQ?,\n"
    "AT+REBOOT) is checked strictly (field count, numbers) and stored, and answered\n"
    "OK or ERROR; AT+REBOOT returns to normal mode.\n"
    "\n"
    "Options:\n"
    "  -p, --port NAME    the port name to register for the pseudo-terminal in the\n"
    "                     serial device map (COM7); required. The map is\n"
    "                     $XDG_CONFIG_HOME/dtu-config/serial-ports.ini (or\n"
    "                     ~/.config/dtu-config/serial-ports.ini); the entry is\n"
    "                     removed again when dtusim ends (also on SIGINT, SIGTERM);\n"
    "                     it names this process, so once dtusim has ended (even\n"
    "                     killed) it is ignored and removed by the next user\n"
    "  -l, --log FILE     append the log here instead of standard error: every byte\n"
    "                     received (RX) and sent (TX), in hex and as text, with the\n"
    "                     time of day, and the terminal's events; a regular file only\n"
    "  -d, --dump FILE    write the stored configuration (settings, variables, the\n"
    "                     attempts of each command, the mode) as JSON to FILE when\n"
    "                     dtusim ends and on SIGUSR1, replacing it whole; without it,\n"
    "                     to standard output\n"
    "  -r, --rules FILE   fault rules, one a line; '#' starts a comment\n"
    "  -f, --fault RULE   one fault rule; may be given more than once\n"
    "  -h, --help         this text\n"
    "      --version      the program's version\n"
    "\n"
    "A symbolic link that another user left in a shared sticky folder (/tmp) is not\n"
    "followed, for the log or the dump, nor in the folders on the way to them; a log\n"
    "file another user made there is refused.\n"
    "\n"
    "When the line is ready dtusim prints one line, the port name and the device\n"
    "path (\"COM7 /dev/pts/5\"), on standard output.\n"
    "\n"
    "Fault rules: KIND COMMAND [key=value]...  COMMAND is the command up to its '@'\n"
    "or '?' (AT+SETVAR, AT+CSQ, +++++) in any case, or * for every command.\n"
    "attempts=N or attempts=N..M limits a rule to those arrivals of the command\n"
    "(counted from 1; default: every arrival).\n"
    "  error COMMAND          answer ERROR (the command is not carried out)\n"
    "  silent COMMAND         no answer (the command is not carried out)\n"
    "  late COMMAND ms=MS     the answer comes MS ms late\n"
    "  split COMMAND pieces=N ms=MS\n"
    "                         the answer in N pieces, MS ms apart\n"
    "  nul COMMAND count=N    N NUL bytes before the answer\n"
    "  garbage COMMAND count=N\n"
    "                         N bytes of garbage (0x80..0xFF) before the answer\n"
    "  oversize COMMAND bytes=N\n"
    "                         filler lines before the answer, N bytes in all\n"
    "  hangup COMMAND         hang up (close the line) instead of answering, then end\n"
    "  echo                   echo every answered command line before its answer\n"
    "  idle-ok ms=MS          an unsolicited \"OK\" once the line has been quiet for MS\n"
    "                         ms (again after the next received byte)\n"
    "Example: dtusim -p COM7 -f 'error AT+DTUID attempts=1..2' -f 'hangup AT+SETVAR attempts=3'\n"
    "\n"
    "Exit status: 0 after SIGINT, SIGTERM or a hang-up; 1 when the line or the map\n"
    "cannot be set up, or another running simulator holds the port name; 2 for bad\n"
    "options.\n";

std::uint64_t NowMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

class TLog {
public:
  explicit TLog(FILE* F) : FFile(F) {}
  void Line(const std::string& Text) {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    tm local{};
    localtime_r(&tv.tv_sec, &local);
    std::fprintf(FFile, "%02d:%02d:%02d.%03d %s\n", local.tm_hour, local.tm_min, local.tm_sec,
                 static_cast<int>(tv.tv_usec / 1000), Text.c_str());
    std::fflush(FFile);
  }
  // Bytes in lines of up to 16, in hex and as escaped text.
  void Bytes(const char* Dir, const char* Data, size_t N) {
    for (size_t at = 0; at < N; at += 16) {
      std::string hex, text;
      for (size_t i = at; i < N && i < at + 16; ++i) {
        unsigned char c = static_cast<unsigned char>(Data[i]);
        char h[4];
        std::snprintf(h, sizeof h, "%02X ", c);
        hex += h;
        if (c == '\r') text += "\\r";
        else if (c == '\n') text += "\\n";
        else if (c >= 0x20 && c < 0x7F && c != '\\') text += static_cast<char>(c);
        else {
          char e[6];
          std::snprintf(e, sizeof e, "\\x%02X", c);
          text += e;
        }
      }
      char head[32];
      std::snprintf(head, sizeof head, "%s %4zu: ", Dir, at);
      hex.resize(48, ' ');
      Line(head + hex + " " + text);
    }
  }

private:
  FILE* FFile;
};

struct TOptions {
  std::string Port, LogFile, DumpFile;
  std::vector<TFaultRule> Rules;
};

bool ValidPortName(const std::string& Name) {
  if (Name.empty() || Name[0] == '#' || Name[0] == ';') return false;
  for (char c : Name)
    if (c == '=' || c == '/' || static_cast<unsigned char>(c) <= ' ') return false;
  return true;
}

// 0: go on; otherwise the exit status.
int ParseOptions(int argc, char** argv, TOptions& O) {
  static const option longs[] = {{"port", required_argument, nullptr, 'p'},  {"log", required_argument, nullptr, 'l'},
                                 {"dump", required_argument, nullptr, 'd'},  {"rules", required_argument, nullptr, 'r'},
                                 {"fault", required_argument, nullptr, 'f'}, {"help", no_argument, nullptr, 'h'},
                                 {"version", no_argument, nullptr, 'V'},  {nullptr, 0, nullptr, 0}};
  std::string error;
  for (int c; (c = getopt_long(argc, argv, "p:l:d:r:f:h", longs, nullptr)) != -1;) {
    switch (c) {
      case 'p': O.Port = optarg; break;
      case 'l': O.LogFile = optarg; break;
      case 'd': O.DumpFile = optarg; break;
      case 'r': {
        std::ifstream in(optarg, std::ios::binary);
        if (!in) {
          std::fprintf(stderr, "dtusim: cannot read the rules file %s: %s\n", optarg, std::strerror(errno));
          return 2;
        }
        std::stringstream text;
        text << in.rdbuf();
        if (!ParseFaultRules(text.str(), O.Rules, error)) {
          std::fprintf(stderr, "dtusim: %s: %s\n", optarg, error.c_str());
          return 2;
        }
        break;
      }
      case 'f': {
        TFaultRule rule;
        if (!ParseFaultRule(optarg, rule, error)) {
          std::fprintf(stderr, "dtusim: --fault '%s': %s\n", optarg, error.c_str());
          return 2;
        }
        O.Rules.push_back(rule);
        break;
      }
      case 'h': std::fputs(kUsage, stdout); return -1;
      case 'V': std::printf("dtusim %s\n", DTU_VERSION); return -1;
      default: std::fputs("Try 'dtusim --help'.\n", stderr); return 2;
    }
  }
  if (optind < argc) {
    std::fprintf(stderr, "dtusim: unexpected argument '%s'\nTry 'dtusim --help'.\n", argv[optind]);
    return 2;
  }
  if (!ValidPortName(O.Port)) {
    std::fprintf(stderr, "dtusim: %s\nTry 'dtusim --help'.\n",
                 O.Port.empty() ? "--port NAME is required" : "the port name may not hold spaces, '=' or '/'");
    return 2;
  }
  return 0;
}

// Writes the JSON to File through the safe replacement (a link another user
// planted in a shared folder is not followed), or to standard output.
void Dump(const std::string& Json, const std::string& File, TLog& Log) {
  if (File.empty()) {
    std::fputs(Json.c_str(), stdout);
    std::fflush(stdout);
    return;
  }
  TSafeFile f(File);
  if (!f.Write(Json) || !f.Commit()) Log.Line("cannot write " + File + ": " + f.ErrorText());
}

// Opens the log for appending: reached as a save reaches its file (a link another
// user planted in a shared folder is refused), opened through that folder without
// following a link, and only a regular file, not another user's in a shared folder.
// nullptr with the reason otherwise.
FILE* OpenLog(const std::string& Path, std::string& Reason) {
  TSaveFolder folder;
  if (int error = folder.Open(Path)) {
    Reason = folder.Refusal().empty() ? SafeFileErrorText(error) : folder.Refusal();
    return nullptr;
  }
  if (folder.Exists() && !S_ISREG(folder.Stat().st_mode)) {
    Reason = SafeFileErrorText(EINVAL);
    return nullptr;
  }
  // Without blocking: something put there since must not hang the start.
  const int flags = O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  int fd = openat(folder.Dir(), folder.Name().c_str(), flags, 0666);
  struct stat st {};
  if (fd < 0) {
    Reason = errno == ELOOP ? "a symbolic link was put in its place" : std::strerror(errno);
    return nullptr;
  }
  FILE* f = nullptr;
  // In a shared sticky folder a file someone else made there is not ours to write
  // into (he reads what we append); as for links, only its owner or the folder's may.
  struct stat dir {};
  const mode_t shared = S_ISVTX | S_IWOTH;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) Reason = SafeFileErrorText(EINVAL);
  else if (fstat(folder.Dir(), &dir) != 0) Reason = std::strerror(errno);
  else if ((dir.st_mode & shared) == shared && st.st_uid != geteuid() && st.st_uid != dir.st_uid)
    Reason = "the file " + folder.Path() + " belongs to another user (uid " + std::to_string(st.st_uid) +
             ") in a shared sticky folder and is not written to";
  else if (fcntl(fd, F_SETFL, O_APPEND) != 0 || !(f = fdopen(fd, "a"))) Reason = std::strerror(errno);
  if (!f) close(fd);
  return f;
}

struct TOut {
  std::uint64_t Due;
  std::string Bytes;
  bool HangUp;
};

}  // namespace

int main(int argc, char** argv) {
  TOptions opt;
  if (int status = ParseOptions(argc, argv, opt)) return status < 0 ? 0 : status;

  FILE* logFile = stderr;
  std::string reason;
  if (!opt.LogFile.empty() && !(logFile = OpenLog(opt.LogFile, reason))) {
    std::fprintf(stderr, "dtusim: cannot open the log %s: %s\n", opt.LogFile.c_str(), reason.c_str());
    return 1;
  }
  TLog log(logFile);

  // The line: a pseudo-terminal in raw mode. The slave stays open here as well, so
  // the master never sees a hang-up when the tool closes its port.
  int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  char name[128] = {};
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
    std::fprintf(stderr, "dtusim: cannot make a pseudo-terminal: %s\n", std::strerror(errno));
    return 1;
  }
  const std::string device = name;
  int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  termios raw{};
  if (slave < 0 || tcgetattr(slave, &raw) != 0) {
    std::fprintf(stderr, "dtusim: cannot open %s: %s\n", name, std::strerror(errno));
    return 1;
  }
  cfmakeraw(&raw);
  tcsetattr(slave, TCSANOW, &raw);

  // Signals arrive through a descriptor, so the loop stays a plain poll().
  sigset_t sigs;
  sigemptyset(&sigs);
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) sigaddset(&sigs, s);
  sigprocmask(SIG_BLOCK, &sigs, nullptr);
  signal(SIGPIPE, SIG_IGN);
  int sigfd = signalfd(-1, &sigs, SFD_CLOEXEC | SFD_NONBLOCK);

  try {
    TSerialDeviceMap map = TSerialDeviceMap::Update([&](TSerialDeviceMap& Map) {
      const std::optional<std::string> old = Map.Find(opt.Port);
      // Gone with this process, even when killed; refused while another running
      // registrant holds the name (this one then ends with its message).
      Map.SetOwned(opt.Port, device);
      if (old && *old != device) log.Line("replacing the map entry " + opt.Port + "=" + *old);
      return true;
    });
    log.Line("registered " + opt.Port + "=" + device + " in " + map.FileName());
  } catch (const Exception& e) {
    std::fprintf(stderr, "dtusim: cannot register %s: %s\n", opt.Port.c_str(), e.Message().c_str());
    return 1;
  }
  std::printf("%s %s\n", opt.Port.c_str(), device.c_str());
  std::fflush(stdout);

  TAtDevice dtu(opt.Rules);
  std::deque<TOut> out;
  std::uint64_t lastDue = 0, lastRx = NowMs();
  bool idleOkSent = false;
  const std::optional<std::uint32_t> idleOk = dtu.IdleOkMs();
  bool hungUp = false, running = true;

  while (running) {
    std::uint64_t now = NowMs();
    bool blocked = false;  // the line takes no more output for now
    while (!out.empty() && out.front().Due <= now) {
      TOut& o = out.front();
      if (o.HangUp) {
        log.Line("hang-up");
        close(master);
        close(slave);
        master = slave = -1;
        hungUp = true;
        running = false;
        break;
      }
      ssize_t n = o.Bytes.empty() ? 0 : write(master, o.Bytes.data(), o.Bytes.size());
      if (n < 0) {
        blocked = true;
        break;
      }
      log.Bytes("TX", o.Bytes.data(), static_cast<size_t>(n));
      o.Bytes.erase(0, static_cast<size_t>(n));
      if (!o.Bytes.empty()) {
        blocked = true;
        break;
      }
      out.pop_front();
    }
    if (!running) break;
    if (idleOk && !idleOkSent && out.empty() && now >= lastRx + *idleOk) {
      out.push_back({now, TAtDevice::IdleOkBytes(), false});
      lastDue = now;
      idleOkSent = true;
      log.Line("unsolicited OK");
      continue;
    }

    int timeout = -1;
    auto wake = [&](std::uint64_t At) {
      int ms = At > now ? static_cast<int>(std::min<std::uint64_t>(At - now, 60000)) : 0;
      timeout = timeout < 0 ? ms : std::min(timeout, ms);
    };
    if (!out.empty() && !blocked) wake(out.front().Due);
    if (idleOk && !idleOkSent) wake(lastRx + *idleOk);
    pollfd fds[2] = {{master, static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)), 0}, {sigfd, POLLIN, 0}};
    if (poll(fds, 2, timeout) < 0 && errno != EINTR) {
      log.Line(std::string("poll: ") + std::strerror(errno));
      break;
    }
    if (fds[1].revents & POLLIN) {
      signalfd_siginfo si{};
      while (read(sigfd, &si, sizeof si) == sizeof si) {
        if (si.ssi_signo == SIGUSR1) {
          Dump(dtu.Json(opt.Port, device), opt.DumpFile, log);
        } else {
          log.Line(std::string("ending on ") + strsignal(static_cast<int>(si.ssi_signo)));
          running = false;
        }
      }
    }
    if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) && !(fds[0].revents & POLLIN)) {
      log.Line("the line failed");
      break;
    }
    if (fds[0].revents & POLLIN) {
      char buf[4096];
      ssize_t n = read(master, buf, sizeof buf);
      if (n > 0) {
        log.Bytes("RX", buf, static_cast<size_t>(n));
        lastRx = NowMs();
        idleOkSent = false;
        const bool wasConfig = dtu.ConfigMode();
        for (TReply& r : dtu.Feed(std::string(buf, static_cast<size_t>(n)))) {
          std::uint64_t at = std::max(lastRx, lastDue);
          for (TReplyPiece& p : r.Pieces) {
            at += p.DelayMs;
            out.push_back({at, std::move(p.Bytes), false});
          }
          if (r.HangUp) out.push_back({at, "", true});
          lastDue = at;
        }
        if (dtu.ConfigMode() != wasConfig) log.Line(dtu.ConfigMode() ? "configuration mode" : "normal mode");
      }
    }
  }

  try {
    TSerialDeviceMap::Update([&](TSerialDeviceMap& Map) {
      // Unless another simulator took the name since.
      return Map.Find(opt.Port) == device && Map.Remove(opt.Port);
    });
  } catch (const Exception& e) {
    log.Line("cannot remove the map entry: " + e.Message());
  }
  Dump(dtu.Json(opt.Port, device), opt.DumpFile, log);
  if (!hungUp) {
    close(master);
    close(slave);
  }
  if (logFile != stderr) std::fclose(logFile);
  return 0;
}
