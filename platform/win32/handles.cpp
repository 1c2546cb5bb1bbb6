#include "platform/win32/handles.h"

#include <atomic>
#include <memory>
#include <cerrno>
#include <thread>
#include <vector>

#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/win32/clock.h"

namespace {
thread_local DWORD GLastError = ERROR_SUCCESS;

// An event: an eventfd whose counter is non-zero while it is signalled. A set
// publishes the setter's memory (release) and a wait that finds the event set
// acquires it, as the original calls do, so data handed over with an event needs
// no other synchronisation.
class TEventObject : public THandleObject {
public:
  TEventObject(int Fd, bool Manual) : FFd(Fd), FManual(Manual) {}
  ~TEventObject() override { close(FFd); }
  int WaitFd() const override { return FFd; }
  bool Acquire() override {
    if (!FManual && !Take()) return false;
    FSets.load(std::memory_order_acquire);
    return true;
  }
  bool Set() {
    FSets.fetch_add(1, std::memory_order_release);
    std::uint64_t one = 1;
    return write(FFd, &one, sizeof one) == sizeof one;
  }
  bool Take() {
    std::uint64_t v;
    return read(FFd, &v, sizeof v) == sizeof v;
  }
  void Reset() { Take(); }

private:
  int FFd;
  bool FManual;
  std::atomic<std::uint64_t> FSets{0};
};

// The eventfd a thread signals when its body returns; shared by the handle and the
// thread, closed by whichever lets go last (a detached thread may outlive its handle).
struct TExitFd {
  explicit TExitFd(int AFd) : Fd(AFd) {}
  TExitFd(const TExitFd&) = delete;
  TExitFd& operator=(const TExitFd&) = delete;
  ~TExitFd() { close(Fd); }
  int Fd;
  std::atomic<bool> Done{false};  // what the thread did is visible to a successful wait
};

// A thread: signalled once the body has returned.
class TThreadObject : public THandleObject {
public:
  explicit TThreadObject(std::shared_ptr<TExitFd> Exit) : FExit(std::move(Exit)) {}
  ~TThreadObject() override {
    if (FThread.joinable()) {
      if (FThread.get_id() == std::this_thread::get_id()) FThread.detach();
      else FThread.join();
    }
  }
  int WaitFd() const override { return FExit->Fd; }
  bool Acquire() override { return FExit->Done.load(std::memory_order_acquire); }
  std::thread FThread;
  std::atomic<pid_t> FTid{0};
  std::shared_ptr<TExitFd> FExit;
};

int WaitFdOf(HANDLE h) {
  THandleObject* o = win32_detail::Object(h);
  return o ? o->WaitFd() : -1;
}
}  // namespace

DWORD GetLastError() { return GLastError; }
void SetLastError(DWORD Code) { GLastError = Code; }

DWORD ErrnoToWinError(int Errno) {
  switch (Errno) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EMFILE: case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES: case EPERM: case EBUSY: case EWOULDBLOCK: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EIO: case ENXIO: case ENODEV: return ERROR_BAD_COMMAND;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOTTY: case ENOSYS: case EOPNOTSUPP: return ERROR_INVALID_FUNCTION;
    default: return ERROR_GEN_FAILURE;
  }
}

THandleObject* win32_detail::Object(HANDLE h) {
  if (h == nullptr || h == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return static_cast<THandleObject*>(h);
}

HANDLE CreateEventA(void* lpEventAttributes, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName) {
  if (lpEventAttributes || lpName) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  int fd = eventfd(bInitialState ? 1 : 0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (fd < 0) {
    SetLastError(ErrnoToWinError(errno));
    return nullptr;
  }
  return new (std::nothrow) TEventObject(fd, bManualReset != FALSE);
}

BOOL SetEvent(HANDLE hEvent) {
  auto* e = dynamic_cast<TEventObject*>(win32_detail::Object(hEvent));
  if (!e) return FALSE;
  return e->Set() ? TRUE : FALSE;
}

BOOL ResetEvent(HANDLE hEvent) {
  auto* e = dynamic_cast<TEventObject*>(win32_detail::Object(hEvent));
  if (!e) return FALSE;
  e->Reset();
  return TRUE;
}

BOOL CloseHandle(HANDLE hObject) {
  THandleObject* o = win32_detail::Object(hObject);
  if (!o) return FALSE;
  delete o;
  return TRUE;
}

DWORD win32_detail::WaitHandlesAndFds(DWORD nCount, const HANDLE* lpHandles, const int* ExtraFds,
                                      const short* ExtraEvents, short* ExtraRevents, DWORD nExtra,
                                      std::optional<std::uint64_t> DeadlineMs, int RealCapMs) {
  if (nCount + nExtra > MAXIMUM_WAIT_OBJECTS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  pollfd fds[MAXIMUM_WAIT_OBJECTS];
  for (DWORD i = 0; i < nCount; ++i) {
    int fd = WaitFdOf(lpHandles[i]);
    if (fd < 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    fds[i] = pollfd{fd, POLLIN, 0};
  }
  for (DWORD j = 0; j < nExtra; ++j) fds[nCount + j] = pollfd{ExtraFds[j], ExtraEvents[j], 0};
  for (;;) {
    int r = ClockPoll(fds, nCount + nExtra, DeadlineMs, RealCapMs);
    if (r < 0) {
      SetLastError(ErrnoToWinError(errno));
      return WAIT_FAILED;
    }
    if (r == 0) return WAIT_TIMEOUT;
    for (DWORD i = 0; i < nCount; ++i)
      if (fds[i].revents && static_cast<THandleObject*>(lpHandles[i])->Acquire()) {
        for (DWORD j = 0; j < nExtra; ++j) ExtraRevents[j] = fds[nCount + j].revents;
        return WAIT_OBJECT_0 + i;
      }
    for (DWORD j = 0; j < nExtra; ++j) ExtraRevents[j] = fds[nCount + j].revents;
    for (DWORD j = 0; j < nExtra; ++j)
      if (ExtraRevents[j]) return WAIT_OBJECT_0 + nCount + j;
    // An auto-reset event was taken by another waiter: wait again.
  }
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                             DWORD dwMilliseconds) {
  if (bWaitAll || nCount == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  return win32_detail::WaitHandlesAndFds(nCount, lpHandles, nullptr, nullptr, nullptr, 0,
                                         DeadlineAfter(dwMilliseconds));
}

HANDLE BeginThread(std::function<void()> Body) {
  int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (fd < 0) {
    SetLastError(ErrnoToWinError(errno));
    return nullptr;
  }
  std::shared_ptr<TExitFd> exit;
  try {
    exit = std::make_shared<TExitFd>(fd);
  } catch (const std::bad_alloc&) {
    close(fd);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  TThreadObject* t = nullptr;
  try {
    t = new TThreadObject(exit);
    std::atomic<pid_t>* tid = &t->FTid;
    t->FThread = std::thread([tid, exit, body = std::move(Body)] {
      tid->store(static_cast<pid_t>(syscall(SYS_gettid)), std::memory_order_release);
      body();
      // The handle may be closed by now (the thread detached): touch only exit.
      exit->Done.store(true, std::memory_order_release);
      std::uint64_t one = 1;
      (void)!write(exit->Fd, &one, sizeof one);
    });
  } catch (const std::system_error& e) {
    delete t;
    SetLastError(ErrnoToWinError(e.code().value()));
    return nullptr;
  } catch (const std::bad_alloc&) {
    delete t;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return t;
}

bool IsCurrentThread(HANDLE hThread) {
  auto* t = dynamic_cast<TThreadObject*>(win32_detail::Object(hThread));
  return t && t->FThread.get_id() == std::this_thread::get_id();
}

DWORD GetCurrentThreadId() { return static_cast<DWORD>(syscall(SYS_gettid)); }

BOOL SetThreadPriority(HANDLE hThread, int nPriority) {
  auto* t = dynamic_cast<TThreadObject*>(win32_detail::Object(hThread));
  if (!t) return FALSE;
  pid_t tid = t->FTid.load(std::memory_order_acquire);
  if (tid == 0) {
    // Not running yet: wait for it to publish its id (a few microseconds).
    for (int i = 0; i < 10000 && (tid = t->FTid.load(std::memory_order_acquire)) == 0; ++i)
      std::this_thread::yield();
    if (tid == 0) return FALSE;
  }
  if (setpriority(PRIO_PROCESS, static_cast<id_t>(tid), -2 * nPriority) != 0) {
    SetLastError(ErrnoToWinError(errno));
    return FALSE;
  }
  return TRUE;
}
