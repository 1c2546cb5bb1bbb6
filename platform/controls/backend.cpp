#include "platform/controls/backend.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/controls/winuser.h"
#include "platform/win32/clock.h"

namespace {

// A peer with nothing behind it: the window exists only as its back buffer.
class THeadlessPeer : public TWindowPeer {
public:
  void SetBounds(const TRect&, const TRect&) override {}
  void SetVisible(bool) override {}
  void SetEnabled(bool) override {}
  void SetCaption(const std::string&) override {}
  void SetZOrder(bool) override {}
  void Present(const TRect&) override {}
  void RequestUpdate() override {}
};

TBackend* g_Backend = nullptr;

}  // namespace

TBackend& Backend() {
  static THeadlessBackend* headless = new THeadlessBackend;
  return g_Backend ? *g_Backend : *headless;
}

void SetBackend(TBackend* ABackend) { g_Backend = ABackend; }

std::unique_ptr<TWindowPeer> THeadlessBackend::CreatePeer(const TPeerParams&) {
  return std::make_unique<THeadlessPeer>();
}

std::vector<TMonitorInfo> THeadlessBackend::Monitors() {
  return {TMonitorInfo{{0, 0, 1024, 768}, {0, 0, 1024, 728}, true}};
}

void THeadlessBackend::ProcessEvents(bool Wait) {
  if (!Wait) return;
  if (FWakeFd < 0) FWakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  pollfd fds[2] = {{MessageQueueFd(), POLLIN, 0}, {FWakeFd, POLLIN, 0}};
  ClockPoll(fds, 2, FDue);
  if (fds[1].revents & POLLIN) {
    uint64_t v;
    [[maybe_unused]] ssize_t n = ::read(FWakeFd, &v, sizeof v);
  }
}

void THeadlessBackend::Wake() {
  if (FWakeFd < 0) FWakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(FWakeFd, &one, sizeof one);
}

int THeadlessBackend::MessageBox(HWND, const std::string&, const std::string&, UINT Type) {
  return MessageBoxDefaultResult(Type);
}

namespace {
TShellOpener g_ShellOpener = nullptr;
}

bool ShellOpen(const std::string& Target) {
  return g_ShellOpener ? g_ShellOpener(Target) : Backend().ShellOpen(Target);
}

void SetShellOpener(TShellOpener Opener) { g_ShellOpener = Opener; }
