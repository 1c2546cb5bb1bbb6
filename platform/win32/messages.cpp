#include "platform/win32/messages.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <deque>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/core/scope.h"

namespace {

struct TWindow {
  std::shared_ptr<TWndMethod> Method;
  std::thread::id Owner;
};

struct TQueued {
  HWND Wnd;
  TMessage Msg;
  std::shared_ptr<std::promise<LRESULT>> Reply;  // set for a message sent from another thread
};

struct TThreadQueue {
  std::deque<TQueued> Sent;
  std::deque<TQueued> Posted;
  int Fd = -1;  // eventfd: readable while the queues are not empty
  bool Signalled = false;  // whether Fd is readable now (written and not yet read)
  TPostedMessageFilter Filter;
};

struct TMessageSystem {
  std::mutex Lock;
  std::map<HWND, TWindow> Windows;
  std::map<std::thread::id, TThreadQueue> Queues;
  std::uintptr_t NextHandle = 0x1000;
  std::function<void()> WakeHook;

  // Called with Lock held.
  TThreadQueue& QueueOf(std::thread::id Id) {
    TThreadQueue& q = Queues[Id];
    if (q.Fd < 0) q.Fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return q;
  }
  // The calling thread's queue if it has one; threads that only post have none.
  TThreadQueue* FindQueue(std::thread::id Id) {
    auto it = Queues.find(Id);
    return it == Queues.end() ? nullptr : &it->second;
  }
  // The descriptor is written by the first message into an empty queue and read
  // once the queue is empty again, so that an idle loop, which asks for messages
  // many times a tick, makes no system call for them.
  static void Signal(TThreadQueue& Q) {
    if (Q.Signalled) return;
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(Q.Fd, &one, sizeof one);
    Q.Signalled = true;
  }
  static void Drain(TThreadQueue& Q) {
    if (!Q.Signalled) return;
    uint64_t v;
    [[maybe_unused]] ssize_t n = ::read(Q.Fd, &v, sizeof v);
    Q.Signalled = false;
  }
};

TMessageSystem& System() {
  static TMessageSystem* s = new TMessageSystem;  // lives to the end: threads may post late
  return *s;
}

}  // namespace

HWND AllocateHWnd(TWndMethod Method) {
  TMessageSystem& s = System();
  std::lock_guard<std::mutex> lock(s.Lock);
  HWND h = reinterpret_cast<HWND>(s.NextHandle);
  s.NextHandle += 0x10;  // handles are never reused
  s.Windows[h] = TWindow{std::make_shared<TWndMethod>(std::move(Method)), std::this_thread::get_id()};
  s.QueueOf(std::this_thread::get_id());
  return h;
}

void DeallocateHWnd(HWND Wnd) {
  TMessageSystem& s = System();
  std::vector<std::shared_ptr<std::promise<LRESULT>>> waiting;
  {
    std::lock_guard<std::mutex> lock(s.Lock);
    auto it = s.Windows.find(Wnd);
    if (it == s.Windows.end()) return;
    TThreadQueue& q = s.QueueOf(it->second.Owner);
    s.Windows.erase(it);
    for (auto* list : {&q.Sent, &q.Posted})
      for (auto m = list->begin(); m != list->end();) {
        if (m->Wnd != Wnd) { ++m; continue; }
        if (m->Reply) waiting.push_back(m->Reply);
        m = list->erase(m);
      }
  }
  for (auto& r : waiting) r->set_value(0);
}

void SetWindowProc(HWND Wnd, TWndMethod Method) {
  TMessageSystem& s = System();
  std::lock_guard<std::mutex> lock(s.Lock);
  auto it = s.Windows.find(Wnd);
  if (it != s.Windows.end()) it->second.Method = std::make_shared<TWndMethod>(std::move(Method));
}

TWndMethod GetWindowProc(HWND Wnd) {
  TMessageSystem& s = System();
  std::lock_guard<std::mutex> lock(s.Lock);
  auto it = s.Windows.find(Wnd);
  if (it == s.Windows.end() || !it->second.Method) return {};
  return *it->second.Method;
}

bool IsWindow(HWND Wnd) {
  TMessageSystem& s = System();
  std::lock_guard<std::mutex> lock(s.Lock);
  return s.Windows.count(Wnd) != 0;
}

bool IsWindowOwnedByCurrentThread(HWND Wnd) {
  TMessageSystem& s = System();
  std::lock_guard<std::mutex> lock(s.Lock);
  auto it = s.Windows.find(Wnd);
  return it != s.Windows.end() && it->second.Owner == std::this_thread::get_id();
}

BOOL PostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessageSystem& s = System();
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> lock(s.Lock);
    auto it = s.Windows.find(Wnd);
    if (it == s.Windows.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    TThreadQueue& q = s.QueueOf(it->second.Owner);
    q.Posted.push_back(TQueued{Wnd, TMessage{Msg, WParam, LParam, 0}, nullptr});
    TMessageSystem::Signal(q);
    hook = s.WakeHook;
  }
  if (hook) hook();
  return TRUE;
}

LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessageSystem& s = System();
  std::shared_ptr<TWndMethod> method;
  std::shared_ptr<std::promise<LRESULT>> reply;
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> lock(s.Lock);
    auto it = s.Windows.find(Wnd);
    if (it == s.Windows.end()) return 0;
    if (it->second.Owner == std::this_thread::get_id()) {
      method = it->second.Method;
    } else {
      reply = std::make_shared<std::promise<LRESULT>>();
      TThreadQueue& q = s.QueueOf(it->second.Owner);
      q.Sent.push_back(TQueued{Wnd, TMessage{Msg, WParam, LParam, 0}, reply});
      TMessageSystem::Signal(q);
      hook = s.WakeHook;
    }
  }
  if (method) {
    TMessage m{Msg, WParam, LParam, 0};
    (*method)(m);
    return m.Result;
  }
  if (hook) hook();
  return reply->get_future().get();
}

int ProcessMessages() {
  TMessageSystem& s = System();
  int delivered = 0;
  for (;;) {
    TQueued item;
    std::shared_ptr<TWndMethod> method;
    TPostedMessageFilter filter;
    {
      std::lock_guard<std::mutex> lock(s.Lock);
      TThreadQueue* found = s.FindQueue(std::this_thread::get_id());
      if (!found) return delivered;
      TThreadQueue& q = *found;
      std::deque<TQueued>& from = !q.Sent.empty() ? q.Sent : q.Posted;
      if (from.empty()) {
        TMessageSystem::Drain(q);
        return delivered;
      }
      item = std::move(from.front());
      from.pop_front();
      auto it = s.Windows.find(item.Wnd);
      if (it != s.Windows.end()) method = it->second.Method;
      if (!item.Reply) filter = q.Filter;
    }
    if (!method) {  // the window went away after the message was queued
      if (item.Reply) item.Reply->set_value(0);
      continue;
    }
    if (filter && filter(item.Wnd, item.Msg)) {
      ++delivered;
      continue;
    }
    {
      // A sender waiting for the result is answered 0 when the handler throws.
      TOnExit failed([&] {
        if (item.Reply) item.Reply->set_value(0);
      });
      (*method)(item.Msg);
      failed.Dismiss();
    }
    if (item.Reply) item.Reply->set_value(item.Msg.Result);
    ++delivered;
  }
}

bool MessagesPending() {
  TMessageSystem& s = System();
  std::lock_guard<std::mutex> lock(s.Lock);
  TThreadQueue* q = s.FindQueue(std::this_thread::get_id());
  return q && (!q->Sent.empty() || !q->Posted.empty());
}

int MessageQueueFd() {
  TMessageSystem& s = System();
  std::lock_guard<std::mutex> lock(s.Lock);
  return s.QueueOf(std::this_thread::get_id()).Fd;
}

void SetMessageWakeHook(std::function<void()> Hook) {
  TMessageSystem& s = System();
  std::lock_guard<std::mutex> lock(s.Lock);
  s.WakeHook = std::move(Hook);
}

void SetPostedMessageFilter(TPostedMessageFilter Filter) {
  TMessageSystem& s = System();
  std::lock_guard<std::mutex> lock(s.Lock);
  s.QueueOf(std::this_thread::get_id()).Filter = std::move(Filter);
}

BOOL PeekMessage(MSG* Msg, HWND Wnd, UINT MsgFilterMin, UINT MsgFilterMax, UINT RemoveMsg) {
  TMessageSystem& s = System();
  std::lock_guard<std::mutex> lock(s.Lock);
  TThreadQueue* found = s.FindQueue(std::this_thread::get_id());
  if (!found) return FALSE;
  TThreadQueue& q = *found;
  bool anyMsg = MsgFilterMin == 0 && MsgFilterMax == 0;
  for (auto it = q.Posted.begin(); it != q.Posted.end(); ++it) {
    if (Wnd && it->Wnd != Wnd) continue;
    if (!anyMsg && (it->Msg.Msg < MsgFilterMin || it->Msg.Msg > MsgFilterMax)) continue;
    if (Msg) *Msg = MSG{it->Wnd, it->Msg.Msg, it->Msg.WParam, it->Msg.LParam};
    if (RemoveMsg & PM_REMOVE) q.Posted.erase(it);
    return TRUE;
  }
  return FALSE;
}
