#pragma once
// Kernel objects of the system's OS calls over Linux descriptors: events are
// eventfds, waits are poll(), threads are joinable std::threads behind a HANDLE.
// A HANDLE points to one of these objects; CloseHandle frees it.
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/win32/wintypes.h"

// Base of everything a HANDLE can point to.
class THandleObject {
public:
  virtual ~THandleObject() = default;
  // Descriptor that polls readable while the object is signalled, or -1 when the
  // object cannot be waited on.
  virtual int WaitFd() const { return -1; }
  // Called when a wait found the object signalled: an auto-reset event takes its
  // signal here (false when another waiter took it first).
  virtual bool Acquire() { return true; }
};

// Events: manual-reset events stay signalled until ResetEvent; auto-reset events
// release one waiter and reset themselves. The security attributes and the name of
// the original call are not supported (pass nullptr).
HANDLE CreateEventA(void* lpEventAttributes, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName);
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);

// Closes an event, a thread (joining it; a thread closing its own handle is
// detached instead) or a serial port.
BOOL CloseHandle(HANDLE hObject);

// Waits until the object is signalled or the time-out (clock service) passes.
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
// Waits until any of the objects is signalled (the lowest index wins). Waiting
// for all of them (bWaitAll) is not supported: WAIT_FAILED, ERROR_INVALID_PARAMETER.
DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                             DWORD dwMilliseconds);

// Threads. Body runs in a new thread; the handle is signalled when it returns and
// CloseHandle joins it. nullptr when the thread cannot be started.
HANDLE BeginThread(std::function<void()> Body);
// Whether the calling thread is the one behind hThread.
bool IsCurrentThread(HANDLE hThread);
DWORD GetCurrentThreadId();

constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
// Best effort: the thread's nice value becomes -2 x nPriority; an unprivileged
// process may not raise it (FALSE).
BOOL SetThreadPriority(HANDLE hThread, int nPriority);

namespace win32_detail {
// The object behind a handle, or nullptr (ERROR_INVALID_HANDLE set) when the
// handle is null or INVALID_HANDLE_VALUE.
THandleObject* Object(HANDLE h);
// Waits on the handles plus extra descriptors. Returns WAIT_OBJECT_0 + i for the
// first signalled handle, WAIT_OBJECT_0 + nCount + j for extra descriptor j,
// WAIT_TIMEOUT when the deadline (clock service) or the real-time cap passed,
// WAIT_FAILED.
DWORD WaitHandlesAndFds(DWORD nCount, const HANDLE* lpHandles, const int* ExtraFds,
                        const short* ExtraEvents, short* ExtraRevents, DWORD nExtra,
                        std::optional<std::uint64_t> DeadlineMs, int RealCapMs = -1);
}  // namespace win32_detail
