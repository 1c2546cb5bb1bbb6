#pragma once
// A terminal on the master side of a pseudo-terminal, for the checks that drive the
// main window against a port: it answers every line it receives ("\n" ends one) with
// a fixed reply, keeps every byte, and can hang up (close the master) at once or when
// a given text has arrived. The tool opens the slave by its path.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

class TPtyPeer {
public:
  explicit TPtyPeer(std::string Reply, std::string HangUpOn = {})
      : FReply(std::move(Reply)), FHangUpOn(std::move(HangUpOn)) {
    FMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster < 0 || ::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0) return;
    Path = ::ptsname(FMaster);
    FThread = std::thread([this] { Serve(); });
  }
  ~TPtyPeer() {
    FStop = true;
    if (FThread.joinable()) FThread.join();
    HangUp();
  }
  TPtyPeer(const TPtyPeer&) = delete;
  TPtyPeer& operator=(const TPtyPeer&) = delete;

  // Closes the master: the slave sees a hang-up, as when a USB adapter is pulled.
  void HangUp() {
    std::lock_guard<std::mutex> lock(FLock);
    if (FMaster >= 0) ::close(FMaster);
    FMaster = -1;
  }
  bool HungUp() {
    std::lock_guard<std::mutex> lock(FLock);
    return FMaster < 0;
  }
  std::string Received() {
    std::lock_guard<std::mutex> lock(FLock);
    return FReceived;
  }

  std::string Path;  // the slave; empty when no pseudo-terminal could be made

private:
  void Serve() {
    std::string line;
    while (!FStop) {
      int fd;
      {
        std::lock_guard<std::mutex> lock(FLock);
        fd = FMaster;
      }
      if (fd < 0) return;
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
      char buf[256];
      ssize_t n = ::read(fd, buf, sizeof buf);
      if (n <= 0) {  // no slave open yet (EIO) or nothing
        ::usleep(5000);
        continue;
      }
      std::lock_guard<std::mutex> lock(FLock);
      FReceived.append(buf, static_cast<size_t>(n));
      line.append(buf, static_cast<size_t>(n));
      if (!FHangUpOn.empty() && FReceived.find(FHangUpOn) != std::string::npos) {
        ::close(FMaster);
        FMaster = -1;
        return;
      }
      for (size_t end; (end = line.find('\n')) != std::string::npos; line.erase(0, end + 1))
        if (!FReply.empty()) (void)!::write(FMaster, FReply.data(), FReply.size());
    }
  }

  std::string FReply;
  std::string FHangUpOn;
  int FMaster = -1;
  std::mutex FLock;
  std::string FReceived;
  std::atomic<bool> FStop{false};
  std::thread FThread;
};
