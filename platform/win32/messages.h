#pragma once
// Window handles, messages and the per-thread message queue. A window here is a
// handle with a window procedure owned by the thread that made it: message-only
// windows (AllocateHWnd) carry worker-thread notifications to the GUI thread, and the
// controls register their windows the same way. Posted messages wait in the owner
// thread's queue until that thread calls ProcessMessages; a message whose window is
// gone by then is dropped, never delivered to freed memory.
#include <cstdint>
#include <functional>

#include "platform/win32/wintypes.h"

using HWND = struct HWND__*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// One message as a window procedure receives it.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// A window procedure.
using TWndMethod = std::function<void(TMessage& Message)>;

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;

// Makes a message-only window on the calling thread; Method runs on that thread.
HWND AllocateHWnd(TWndMethod Method);
// Removes the window; messages still queued for it are dropped.
void DeallocateHWnd(HWND Wnd);
// Replaces a window's procedure (the old one finishes any call in progress).
void SetWindowProc(HWND Wnd, TWndMethod Method);
// The window's current procedure (empty when the window does not exist), so a
// caller can hook it and pass messages on.
TWndMethod GetWindowProc(HWND Wnd);
bool IsWindow(HWND Wnd);
// Whether the calling thread owns the window.
bool IsWindowOwnedByCurrentThread(HWND Wnd);

// Queues a message for the window's thread; any thread may call it. FALSE when the
// window does not exist.
BOOL PostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
// Calls the window procedure and returns its result. From another thread the call
// waits until the owner thread processes its messages; it returns 0 at once when the
// window does not exist (or disappears before the owner gets to it).
LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

// Delivers every message queued for the calling thread's windows, in order (sent
// messages first), including those posted while it runs. Returns how many were
// delivered.
int ProcessMessages();
// Whether messages wait for the calling thread.
bool MessagesPending();
// A descriptor that polls readable while messages wait for the calling thread, for
// an event loop to watch (the GUI backend plugs it into its own loop). Watchers only
// poll it; ProcessMessages reads it when it has emptied the queue.
int MessageQueueFd();
// Called from the posting thread after each post to the given owner thread, so an
// event loop that cannot watch the descriptor can be woken (optional; one hook).
void SetMessageWakeHook(std::function<void()> Hook);

// The pre-dispatch step of the calling thread's message loop (what a loop does
// between taking a message and dispatching it: keyboard pre-processing, modal-loop
// filters). ProcessMessages calls it for each posted message whose window still
// exists, before the window procedure; returning true consumes the message. Sent
// messages do not pass through it. Empty removes it.
using TPostedMessageFilter = std::function<bool(HWND Wnd, TMessage& Msg)>;
void SetPostedMessageFilter(TPostedMessageFilter Filter);

// A queued message as PeekMessage returns it.
struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};
constexpr UINT PM_NOREMOVE = 0;
constexpr UINT PM_REMOVE = 1;
// Looks for the first message posted to the calling thread's windows that is for
// Wnd (nullptr: any window) and within [MsgFilterMin, MsgFilterMax] (both 0: any).
// Copies it to Msg and, with PM_REMOVE, takes it out of the queue undelivered.
// FALSE when there is none.
BOOL PeekMessage(MSG* Msg, HWND Wnd, UINT MsgFilterMin, UINT MsgFilterMax, UINT RemoveMsg);
