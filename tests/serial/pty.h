#pragma once
// A pseudo-terminal pair for serial tests: the port side opens SlavePath, the test
// plays the device on Master. A raw slave descriptor is kept open so the port can
// close and reopen without hanging the pair up.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

struct TPtyPair {
  int Master = -1;
  int KeepSlave = -1;
  std::string SlavePath;

  TPtyPair() {
    Master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    grantpt(Master);
    unlockpt(Master);
    char name[128] = {};
    ptsname_r(Master, name, sizeof name);
    SlavePath = name;
    KeepSlave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    termios t{};
    tcgetattr(KeepSlave, &t);
    cfmakeraw(&t);
    tcsetattr(KeepSlave, TCSANOW, &t);
    int fl = fcntl(Master, F_GETFL);
    fcntl(Master, F_SETFL, fl | O_NONBLOCK);
  }
  ~TPtyPair() {
    CloseMaster();
    if (KeepSlave >= 0) close(KeepSlave);
  }
  void CloseMaster() {
    if (Master >= 0) close(Master);
    Master = -1;
  }
  // Reads exactly N bytes from the master, giving up after TimeoutMs of silence.
  std::vector<std::uint8_t> ReadN(size_t N, int TimeoutMs = 10000) {
    std::vector<std::uint8_t> out;
    std::uint8_t buf[4096];
    while (out.size() < N) {
      pollfd p{Master, POLLIN, 0};
      if (poll(&p, 1, TimeoutMs) <= 0) break;
      ssize_t n = read(Master, buf, std::min(sizeof buf, N - out.size()));
      if (n > 0) out.insert(out.end(), buf, buf + n);
      else if (n < 0 && errno != EAGAIN && errno != EINTR) break;
    }
    return out;
  }
  // Writes all bytes to the master. The kernel wakes a writer blocked on a full
  // pair only once the other side has nearly emptied its buffer, so this looks
  // again every few milliseconds instead of trusting the wake-up.
  bool WriteAll(const void* Data, size_t N, int TimeoutMs = 10000) {
    const auto* p = static_cast<const std::uint8_t*>(Data);
    size_t done = 0;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (done < N) {
      ssize_t n = write(Master, p + done, N - done);
      if (n > 0) { done += static_cast<size_t>(n); continue; }
      if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
      if (std::chrono::steady_clock::now() > end) return false;
      pollfd q{Master, POLLOUT, 0};
      poll(&q, 1, 5);
    }
    return true;
  }
  // Bytes waiting to be read on the master.
  int MasterPending() const {
    int n = 0;
    ioctl(Master, FIONREAD, &n);
    return n;
  }
};

// Polls Cond until it holds or RealMs pass (a generous bound, not a timing test).
template <class F>
bool WaitUntil(F Cond, int RealMs = 10000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(RealMs);
  while (!Cond()) {
    if (std::chrono::steady_clock::now() > end) return false;
    usleep(1000);
  }
  return true;
}
