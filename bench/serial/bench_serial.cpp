// Measures the port object against a raw pseudo-terminal in the same run:
//  - one-byte request/echo round trip (write -> peer echoes -> the byte is read),
//    p50 and p99;
//  - bulk throughput, device to program and program to device;
//  - the cost of an idle open port: context switches per second of its threads.
// At the end each figure is printed with the raw pty's and the ratio (medians).
// Usage: bench_serial [round-trips] [megabytes] [idle-seconds] [runs]
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <linux/futex.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "serial/nimbocomm.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration D) { return std::chrono::duration<double>(D).count(); }

struct TPair {
  int Master = -1;
  std::string Slave;
  TPair() {
    Master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    grantpt(Master);
    unlockpt(Master);
    char name[128] = {};
    ptsname_r(Master, name, sizeof name);
    Slave = name;
  }
  ~TPair() { close(Master); }
};

int OpenRawSlave(const std::string& Path) {
  int fd = open(Path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  termios t{};
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  tcsetattr(fd, TCSANOW, &t);
  return fd;
}

// The device: a thread on the master that echoes, sinks or sources bytes.
class TPeer {
public:
  enum TMode { Echo, Sink, Source };
  TPeer(int Master, TMode Mode, size_t Bytes = 0) : FMaster(Master), FMode(Mode), FBytes(Bytes) {
    FStop = eventfd(0, EFD_CLOEXEC);
    FThread = std::thread([this] { Run(); });
  }
  ~TPeer() {
    std::uint64_t one = 1;
    (void)!write(FStop, &one, sizeof one);
    FThread.join();
    close(FStop);
  }
  size_t Moved() const { return FMoved.load(); }

private:
  void Run() {
    std::vector<char> buf(65536, 'x');
    while (FMode != Source || FMoved < FBytes) {
      pollfd p[2] = {{FStop, POLLIN, 0}, {FMaster, short(FMode == Source ? POLLOUT : POLLIN), 0}};
      // A writer on a full pair is woken late by the kernel: look again every ms.
      if (poll(p, 2, FMode == Source ? 1 : -1) < 0 || p[0].revents) return;
      if (FMode == Source) {
        ssize_t n = write(FMaster, buf.data(), std::min(buf.size(), FBytes - FMoved));
        if (n > 0) FMoved += static_cast<size_t>(n);
        continue;
      }
      ssize_t n = read(FMaster, buf.data(), buf.size());
      if (n <= 0) continue;
      FMoved += static_cast<size_t>(n);
      if (FMode == Echo) {
        ssize_t off = 0;
        while (off < n) {
          ssize_t w = write(FMaster, buf.data() + off, static_cast<size_t>(n - off));
          if (w > 0) off += w;
        }
      }
    }
  }
  int FMaster;
  TMode FMode;
  size_t FBytes;
  int FStop;
  std::atomic<size_t> FMoved{0};
  std::thread FThread;
};

struct TLatency {
  double P50, P99;
};

TLatency Percentiles(std::vector<double> Us) {
  std::sort(Us.begin(), Us.end());
  return {Us[Us.size() / 2], Us[Us.size() * 99 / 100]};
}

TLatency RawRoundTrip(int N) {
  TPair pair;
  int fd = OpenRawSlave(pair.Slave);
  TPeer peer(pair.Master, TPeer::Echo);
  std::vector<double> us;
  char b = 'a';
  for (int i = 0; i < N + 100; ++i) {
    auto t0 = Clock::now();
    (void)!write(fd, &b, 1);
    for (;;) {
      pollfd p{fd, POLLIN, 0};
      poll(&p, 1, -1);
      if (read(fd, &b, 1) == 1) break;
    }
    if (i >= 100) us.push_back(Seconds(Clock::now() - t0) * 1e6);
  }
  close(fd);
  return Percentiles(us);
}

TLatency PortRoundTrip(int N) {
  TPair pair;
  int keep = OpenRawSlave(pair.Slave);
  TPeer peer(pair.Master, TPeer::Echo);
  TNimboComm port;
  port.fSetPortName(pair.Slave);
  port.Open();
  std::vector<double> us;
  char b = 'a';
  for (int i = 0; i < N + 100; ++i) {
    auto t0 = Clock::now();
    port.Write(&b, 1);
    while (port.Read(&b, 1) == 0) std::this_thread::yield();  // Read never waits: the caller polls
    if (i >= 100) us.push_back(Seconds(Clock::now() - t0) * 1e6);
  }
  port.Close();
  close(keep);
  return Percentiles(us);
}

double RawReceive(size_t Bytes) {
  TPair pair;
  int fd = OpenRawSlave(pair.Slave);
  std::vector<char> buf(65536);
  auto t0 = Clock::now();
  TPeer peer(pair.Master, TPeer::Source, Bytes);
  size_t got = 0;
  while (got < Bytes) {
    pollfd p{fd, POLLIN, 0};
    poll(&p, 1, 100);
    ssize_t n = read(fd, buf.data(), buf.size());
    if (n > 0) got += static_cast<size_t>(n);
  }
  double s = Seconds(Clock::now() - t0);
  close(fd);
  return Bytes / s / 1e6;
}

// The caller waits for the port's received-data notification (EV_RXCHAR, sent
// from the reader thread) as the raw side waits in poll(), and as a program using
// the port does; spinning on Read instead would keep one of the two pinned cores
// busy, the one the peer and the kernel's pty worker need.
double PortReceive(size_t Bytes) {
  TPair pair;
  int keep = OpenRawSlave(pair.Slave);
  TNimboComm port;
  port.fSetPortName(pair.Slave);
  // A counter with a futex: the caller sleeps in the kernel as the raw side does in
  // poll() (std::atomic::wait first spins with sched_yield, taking the pinned
  // cores from the peer and the reader).
  std::atomic<unsigned> arrivals{0};
  std::atomic<bool> sleeping{false};
  port.OnCommNotify = [&](TObject*, DWORD Mask) {
    if (!(Mask & EV_RXCHAR)) return;
    arrivals.fetch_add(1, std::memory_order_seq_cst);
    if (sleeping.load(std::memory_order_seq_cst))
      syscall(SYS_futex, reinterpret_cast<unsigned*>(&arrivals), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
  };
  port.Open();
  std::vector<char> buf(65536);
  auto t0 = Clock::now();
  TPeer peer(pair.Master, TPeer::Source, Bytes);
  size_t got = 0;
  while (got < Bytes) {
    unsigned seen = arrivals.load(std::memory_order_acquire);
    int n = port.Read(buf.data(), static_cast<int>(buf.size()));
    if (n == 0) {  // Read never waits
      sleeping.store(true, std::memory_order_seq_cst);
      if (arrivals.load(std::memory_order_seq_cst) == seen)
        syscall(SYS_futex, reinterpret_cast<unsigned*>(&arrivals), FUTEX_WAIT_PRIVATE, seen, nullptr, nullptr, 0);
      sleeping.store(false, std::memory_order_relaxed);
    }
    got += static_cast<size_t>(n);
  }
  double s = Seconds(Clock::now() - t0);
  port.Close();  // before the handler's locals go
  close(keep);
  return Bytes / s / 1e6;
}

double RawTransmit(size_t Bytes) {
  TPair pair;
  int fd = OpenRawSlave(pair.Slave);
  TPeer peer(pair.Master, TPeer::Sink);
  std::vector<char> buf(4096, 'y');
  auto t0 = Clock::now();
  size_t sent = 0;
  while (sent < Bytes) {
    ssize_t n = write(fd, buf.data(), std::min(buf.size(), Bytes - sent));
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else {
      pollfd p{fd, POLLOUT, 0};
      poll(&p, 1, 1);
    }
  }
  while (peer.Moved() < Bytes) std::this_thread::yield();
  double s = Seconds(Clock::now() - t0);
  close(fd);
  return Bytes / s / 1e6;
}

// With the queue full the caller sleeps until the port reports its transmit side
// empty (EV_TXEMPTY, from the reader thread), at most 1 ms, as the raw side sleeps
// in poll() for POLLOUT, at most 1 ms; spinning with sched_yield instead took half
// of the two pinned cores from the writer and the peer.
double PortTransmit(size_t Bytes) {
  TPair pair;
  int keep = OpenRawSlave(pair.Slave);
  TPeer peer(pair.Master, TPeer::Sink);
  TNimboComm port;
  port.fSetPortName(pair.Slave);
  std::atomic<unsigned> empties{0};
  std::atomic<bool> sleeping{false};
  port.OnCommNotify = [&](TObject*, DWORD Mask) {
    if (!(Mask & EV_TXEMPTY)) return;
    empties.fetch_add(1, std::memory_order_seq_cst);
    if (sleeping.load(std::memory_order_seq_cst))
      syscall(SYS_futex, reinterpret_cast<unsigned*>(&empties), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
  };
  port.Open();
  std::vector<char> buf(4096, 'y');
  auto t0 = Clock::now();
  size_t sent = 0;
  while (sent < Bytes) {
    unsigned seen = empties.load(std::memory_order_seq_cst);
    int n = port.Write(buf.data(), static_cast<int>(std::min(buf.size(), Bytes - sent)));
    if (n == 0) {
      timespec ms{0, 1000000};
      sleeping.store(true, std::memory_order_seq_cst);
      if (empties.load(std::memory_order_seq_cst) == seen)
        syscall(SYS_futex, reinterpret_cast<unsigned*>(&empties), FUTEX_WAIT_PRIVATE, seen, &ms, nullptr, 0);
      sleeping.store(false, std::memory_order_relaxed);
    }
    sent += static_cast<size_t>(n);
  }
  while (peer.Moved() < Bytes) std::this_thread::yield();
  double s = Seconds(Clock::now() - t0);
  port.Close();
  close(keep);
  return Bytes / s / 1e6;
}

std::set<std::string> Tasks() {
  std::set<std::string> t;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') t.insert(e->d_name);
    closedir(d);
  }
  return t;
}

long Switches(const std::string& Tid) {
  std::ifstream in("/proc/self/task/" + Tid + "/status");
  std::string line;
  long total = 0;
  while (std::getline(in, line))
    if (line.find("ctxt_switches:") != std::string::npos) total += std::stol(line.substr(line.find(':') + 1));
  return total;
}

double IdleWakeups(int Seconds_) {
  TPair pair;
  int keep = OpenRawSlave(pair.Slave);
  auto before = Tasks();
  TNimboComm port;
  port.fSetPortName(pair.Slave);
  port.Open();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::vector<std::string> workers;
  for (const std::string& t : Tasks())
    if (!before.count(t)) workers.push_back(t);
  long s0 = 0, s1 = 0;
  for (const auto& t : workers) s0 += Switches(t);
  std::this_thread::sleep_for(std::chrono::seconds(Seconds_));
  for (const auto& t : workers) s1 += Switches(t);
  port.Close();
  close(keep);
  return static_cast<double>(s1 - s0) / Seconds_;
}

double Median(std::vector<double> V) {
  std::sort(V.begin(), V.end());
  return V[V.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int trips = argc > 1 ? std::atoi(argv[1]) : 5000;
  size_t mb = argc > 2 ? static_cast<size_t>(std::atoi(argv[2])) : 64;
  int idle = argc > 3 ? std::atoi(argv[3]) : 5;
  int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
  size_t bytes = mb << 20;

  // Each figure is measured Runs times, the two sides one after the other; the
  // summary gives the medians.
  std::vector<double> rawTrip, portTrip, rawRx, portRx, rawTx, portTx;
  for (int i = 0; i < runs; ++i) {
    if (getenv("BENCH_ONLY")) {  // profiling one side of one row: rtraw rtport rxraw rxport txraw txport
      std::string only = getenv("BENCH_ONLY");
      if (only == "rtraw") std::printf("%.1f\n", RawRoundTrip(trips).P50);
      if (only == "rtport") std::printf("%.1f\n", PortRoundTrip(trips).P50);
      if (only == "rxraw") std::printf("%.1f\n", RawReceive(bytes));
      if (only == "rxport") std::printf("%.1f\n", PortReceive(bytes));
      if (only == "txraw") std::printf("%.1f\n", RawTransmit(bytes));
      if (only == "txport") std::printf("%.1f\n", PortTransmit(bytes));
      continue;
    }
    TLatency raw = RawRoundTrip(trips), port = PortRoundTrip(trips);
    std::printf("round trip, 1 byte (%d trips)    raw pty p50 %7.1f us  p99 %7.1f us\n", trips, raw.P50, raw.P99);
    std::printf("                                 port    p50 %7.1f us  p99 %7.1f us  (p50 %.2fx raw)\n",
                port.P50, port.P99, port.P50 / raw.P50);
    double rr = RawReceive(bytes), pr = PortReceive(bytes);
    std::printf("receive throughput (%zu MB)      raw pty %7.1f MB/s  port %7.1f MB/s  (%.0f%% of raw)\n", mb, rr,
                pr, 100 * pr / rr);
    double rt = RawTransmit(bytes), pt = PortTransmit(bytes);
    std::printf("transmit throughput (%zu MB)     raw pty %7.1f MB/s  port %7.1f MB/s  (%.0f%% of raw)\n", mb, rt,
                pt, 100 * pt / rt);
    rawTrip.push_back(raw.P50);
    portTrip.push_back(port.P50);
    rawRx.push_back(rr);
    portRx.push_back(pr);
    rawTx.push_back(rt);
    portTx.push_back(pt);
  }
  if (getenv("BENCH_ONLY")) return 0;
  std::printf("idle open port (%d s)             %.2f context switches/s (reader + writer)\n", idle, IdleWakeups(idle));
  std::printf("\n%-36s %10s %10s %8s  %s   (median of %d)\n", "figure (peer: raw pty)", "port", "raw", "ratio",
              "goal", runs);
  auto row = [](const char* Name, const std::vector<double>& Port, const std::vector<double>& Raw, const char* Goal) {
    double a = Median(Port), b = Median(Raw);
    std::printf("%-36s %10.1f %10.1f %7.2fx  %s\n", Name, a, b, a / b, Goal);
  };
  row("1-byte round trip p50, us", portTrip, rawTrip, "<= 1.5x");
  row("receive, MB/s", portRx, rawRx, ">= 0.9x");
  row("transmit, MB/s", portTx, rawTx, ">= 0.8x");
  return 0;
}
