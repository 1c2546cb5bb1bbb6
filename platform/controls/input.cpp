// The input router: native events in, the system's messages out.
#include "platform/controls/input.h"
#include "platform/controls/dragdrop.h"

#include <algorithm>

#include "platform/controls/forms.h"
#include "platform/controls/winuser_internal.h"

namespace {

TControl* g_MouseControl = nullptr;
HWND g_HoverWnd = nullptr;
thread_local bool t_Installed = false;

bool IsKeyMessage(UINT Msg) { return Msg >= WM_KEYFIRST && Msg <= WM_KEYLAST; }

// The focused control's keyboard pre-processing (CN_KEYDOWN, CN_CHAR ...): true
// when the control took the message.
bool IsKeyMsg(HWND Wnd, TMessage& M) {
  HWND h = Wnd;
  TWinControl* c = FindControl(h);
  while (!c && h) {
    h = GetParent(h);
    c = FindControl(h);
  }
  if (!c || !c->HandleAllocated()) return false;
  return SendMessage(c->Handle(), CN_BASE + M.Msg, M.WParam, M.LParam) != 0;
}

bool PreDispatch(HWND Wnd, TMessage& M) {
  if (Application && Application->PreDispatch(Wnd, M)) return true;
  if (IsKeyMessage(M.Msg) && IsControlWindow(Wnd)) return IsKeyMsg(Wnd, M);
  return false;
}

// The character a key types when the message loop translates a posted key-down.
int TranslatedChar(WORD VKey) {
  switch (VKey) {
    case VK_RETURN: return 13;
    case VK_ESCAPE: return 27;
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    default: return -1;
  }
}

bool PostedFilter(HWND Wnd, TMessage& M) {
  if (M.Msg == CM_RELEASE) {
    if (TWinControl* c = FindControl(Wnd)) {
      delete c;
      return true;
    }
  }
  if (PreDispatch(Wnd, M)) return true;
  if ((M.Msg == WM_KEYDOWN || M.Msg == WM_SYSKEYDOWN) && IsControlWindow(Wnd)) {
    SendMessage(Wnd, M.Msg, M.WParam, M.LParam);
    int ch = TranslatedChar(static_cast<WORD>(M.WParam));
    if (ch >= 0 && IsControlWindow(Wnd))
      PostMessage(Wnd, M.Msg == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR, static_cast<WPARAM>(ch), M.LParam);
    return true;
  }
  return false;
}

bool WindowAndParentsEnabled(HWND Wnd) {
  for (HWND h = Wnd; h; h = IsControlWindow(h) && (GetWindowLong(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr)
    if (!IsWindowEnabled(h)) return false;
  return Wnd != nullptr;
}

// The deepest visible window of Root at a screen point (disabled ones included).
HWND ChildAt(HWND Root, TPoint Screen) {
  HWND w = Root;
  for (;;) {
    TPoint c = Screen;
    ScreenToClient(w, &c);
    HWND next = nullptr;
    std::vector<HWND> kids = ChildWindows(w);
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
      if (!(GetWindowLong(*it, GWL_STYLE) & WS_VISIBLE)) continue;
      TRect r;
      GetWindowRect(*it, &r);
      if (r.Contains(Screen)) {
        next = *it;
        break;
      }
    }
    if (!next) return w;
    w = next;
  }
}

void UpdateHover(TPoint Screen) {
  TControl* now = FindDragTarget(Screen, true);
  TControl* cap = GetCaptureControl();
  if (now != g_MouseControl) {
    TControl* old = g_MouseControl;
    g_MouseControl = now;
    if (old && (!cap || old == cap)) old->Perform(CM_MOUSELEAVE, 0, 0);
    if (now && now == g_MouseControl && (!cap || now == cap)) now->Perform(CM_MOUSEENTER, 0, 0);
  }
  HWND wnd = nullptr;
  for (TControl* c = g_MouseControl; c && !wnd; c = c->Parent())
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated()) wnd = w->Handle();
  if (wnd != g_HoverWnd) {
    HWND old = g_HoverWnd;
    g_HoverWnd = wnd;
    if (old && winuser_detail::TakeTrackLeave(old)) SendMessage(old, WM_MOUSELEAVE, 0, 0);
  }
}

void Finish() { FreeDeviceContexts(); }

}  // namespace

void InstallInputLayer() {
  if (t_Installed) return;
  t_Installed = true;
  SetPostedMessageFilter(PostedFilter);
}

TControl* MouseControl() { return g_MouseControl; }

void InputControlDestroyed(TControl* Control) {
  if (g_MouseControl == Control) g_MouseControl = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(Control); w && w->HandleAllocated() && g_HoverWnd == w->Handle())
    g_HoverWnd = nullptr;
}

void DispatchPostedMessages() {
  InstallInputLayer();
  ProcessMessages();
  FireDueTimers();
  ProcessMessages();
  UpdatePendingWindows();
  FreeDeviceContexts();
}

namespace {
// A window being sized by following the pointer (see BeginSizeTracking). The
// pointer is taken in the window's client coordinates, which stay put while a
// right or bottom edge moves and move with a left or top edge, so the tracking
// does not depend on where the windowing system reports the window's frame.
struct TSizeTrack {
  HWND Root = nullptr;
  int Edge = 0;
  TPoint Start;  // the pointer in the root's client coordinates
  TSize StartSize;
} g_SizeTrack;

void TrackSize(TPoint Screen) {
  TSizeTrack& t = g_SizeTrack;
  TPoint p = Screen;
  ScreenToClient(t.Root, &p);
  int dx = p.X - t.Start.X, dy = p.Y - t.Start.Y;
  TRect r;
  GetWindowRect(t.Root, &r);
  bool left = t.Edge == WMSZ_LEFT || t.Edge == WMSZ_TOPLEFT || t.Edge == WMSZ_BOTTOMLEFT;
  bool right = t.Edge == WMSZ_RIGHT || t.Edge == WMSZ_TOPRIGHT || t.Edge == WMSZ_BOTTOMRIGHT;
  bool top = t.Edge == WMSZ_TOP || t.Edge == WMSZ_TOPLEFT || t.Edge == WMSZ_TOPRIGHT;
  bool bottom = t.Edge == WMSZ_BOTTOM || t.Edge == WMSZ_BOTTOMLEFT || t.Edge == WMSZ_BOTTOMRIGHT;
  if (left) r.Left = std::min(r.Left + dx, r.Right - 1);
  if (right) r.Right = r.Left + std::max(t.StartSize.cx + dx, 1);
  if (top) r.Top = std::min(r.Top + dy, r.Bottom - 1);
  if (bottom) r.Bottom = r.Top + std::max(t.StartSize.cy + dy, 1);
  SetWindowPos(t.Root, nullptr, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

namespace winuser_detail {
void BeginSizeTracking(HWND Root, int Edge, TPoint ScreenPos) {
  if (!IsControlWindow(Root)) return;
  TRect r;
  GetWindowRect(Root, &r);
  TPoint p = ScreenPos;
  ScreenToClient(Root, &p);
  g_SizeTrack = {Root, Edge, p, {r.Width(), r.Height()}};
}
bool SizeTracking() { return g_SizeTrack.Root != nullptr; }
}  // namespace winuser_detail

void InputMouse(HWND Wnd, UINT Msg, TPoint Pos, WPARAM Keys) {
  InstallInputLayer();
  if (!IsControlWindow(Wnd)) return;
  TPoint screen = Pos;
  ClientToScreen(Wnd, &screen);
  if (g_SizeTrack.Root) {
    // Sizing a window: the pointer drags its edges until the button is released.
    if (!IsControlWindow(g_SizeTrack.Root)) g_SizeTrack = {};
    else if (Msg == WM_MOUSEMOVE && (Keys & MK_LBUTTON)) return TrackSize(screen), Finish();
    else if (Msg == WM_MOUSEMOVE || Msg == WM_LBUTTONUP) {
      TrackSize(screen);
      g_SizeTrack = {};
      return Finish();
    }
  }
  Backend().NotePointer(screen);
  winuser_detail::SetCursorRoot(GetAncestorRoot(Wnd));
  SetKeyDown(VK_LBUTTON, Keys & MK_LBUTTON);
  SetKeyDown(VK_RBUTTON, Keys & MK_RBUTTON);
  SetKeyDown(VK_MBUTTON, Keys & MK_MBUTTON);

  HWND target = GetCapture();
  LRESULT hit = HTCLIENT;
  if (!target) {
    target = ChildAt(GetAncestorRoot(Wnd), screen);
    for (;;) {
      hit = SendMessage(target, WM_NCHITTEST, 0, PointToLParam(screen));
      if (!IsControlWindow(target)) return;
      if (hit != HTTRANSPARENT) break;
      HWND parent = (GetWindowLong(target, GWL_STYLE) & WS_CHILD) ? GetParent(target) : nullptr;
      if (!parent) {
        hit = HTNOWHERE;
        break;
      }
      target = parent;
    }
  }
  UpdateHover(screen);
  if (!IsControlWindow(target)) return Finish();
  bool buttonDown = Msg == WM_LBUTTONDOWN || Msg == WM_RBUTTONDOWN || Msg == WM_MBUTTONDOWN ||
                    Msg == WM_LBUTTONDBLCLK || Msg == WM_RBUTTONDBLCLK || Msg == WM_MBUTTONDBLCLK;
  if (!WindowAndParentsEnabled(target)) {
    if (buttonDown) MessageBeep(0);
    return Finish();
  }
  if (hit == HTNOWHERE) return Finish();
  if (Msg == WM_MOUSEMOVE && !GetCapture())
    SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(static_cast<int>(hit), Msg));
  if (!IsControlWindow(target)) return Finish();

  if (buttonDown) {
    HWND root = GetAncestorRoot(target);
    if (root != GetActiveWindow()) {
      LRESULT ma = SendMessage(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(root),
                               MAKELPARAM(static_cast<int>(hit), Msg));
      if (ma == MA_ACTIVATE || ma == MA_ACTIVATEANDEAT || ma == 0) SetActiveWindow(root);
      if (ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT || !IsControlWindow(target)) return Finish();
    }
  }

  TMessage m;
  if (hit == HTCLIENT) {
    TPoint c = screen;
    ScreenToClient(target, &c);
    m = TMessage{Msg, Keys, PointToLParam(c), 0};
  } else {
    m = TMessage{Msg - WM_MOUSEMOVE + WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), PointToLParam(screen), 0};
  }
  if (!PreDispatch(target, m)) SendMessage(target, m.Msg, m.WParam, m.LParam);
  Finish();
}

void InputMouseWheel(HWND Wnd, int Delta, TPoint Pos, WPARAM Keys) {
  InstallInputLayer();
  if (!IsControlWindow(Wnd)) return;
  TPoint screen = Pos;
  ClientToScreen(Wnd, &screen);
  HWND target = GetFocus();
  if (!target || GetAncestorRoot(target) != GetAncestorRoot(Wnd)) target = ChildAt(GetAncestorRoot(Wnd), screen);
  if (!WindowAndParentsEnabled(target)) return;
  TMessage m{WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(Keys), Delta), PointToLParam(screen), 0};
  if (!PreDispatch(target, m)) SendMessage(target, m.Msg, m.WParam, m.LParam);
  Finish();
}

void InputMouseLeave(HWND Wnd) {
  if (GetCapture()) return;
  if (g_MouseControl) {
    TWinControl* root = nullptr;
    for (TControl* c = g_MouseControl; c; c = c->Parent())
      if (auto* w = dynamic_cast<TWinControl*>(c)) root = w;
    if (root && root->HandleAllocated() && root->Handle() != GetAncestorRoot(Wnd)) return;
  }
  TControl* old = g_MouseControl;
  g_MouseControl = nullptr;
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  HWND hov = g_HoverWnd;
  g_HoverWnd = nullptr;
  if (hov && winuser_detail::TakeTrackLeave(hov)) SendMessage(hov, WM_MOUSELEAVE, 0, 0);
  if (Application) Application->CancelHint();
  Finish();
}

void InputKey(UINT Msg, WORD VKey, LPARAM KeyData, const std::string& Chars) {
  InstallInputLayer();
  bool down = Msg == WM_KEYDOWN || Msg == WM_SYSKEYDOWN;
  SetKeyDown(VKey, down);
  if (VKey == VK_MENU || VKey == VK_SHIFT || VKey == VK_CONTROL) {
    // The generic modifier keys stand for the left ones.
    SetKeyDown(VKey == VK_MENU ? VK_LMENU : VKey == VK_SHIFT ? VK_LSHIFT : VK_LCONTROL, down);
  }
  if (Msg == WM_KEYDOWN && drag_detail::KeyDown(VKey)) return Finish();
  HWND target = GetFocus();
  if (!target) target = GetActiveWindow();
  if (!target || !IsControlWindow(target) || !IsWindowEnabled(GetAncestorRoot(target))) return;
  if (down && Application) Application->CancelHint();
  TMessage m{Msg, VKey, KeyData, 0};
  bool consumed = PreDispatch(target, m);
  if (!consumed) SendMessage(target, m.Msg, m.WParam, m.LParam);
  if (down && !consumed && !Chars.empty() && IsControlWindow(target)) {
    UINT charMsg = Msg == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    for (char c : Chars) PostMessage(target, charMsg, static_cast<unsigned char>(c), KeyData);
  }
  ProcessMessages();
  UpdatePendingWindows();
  Finish();
}

void InputChars(const std::string& Gbk) {
  InstallInputLayer();
  HWND target = GetFocus();
  if (!target || !IsControlWindow(target) || !IsWindowEnabled(GetAncestorRoot(target))) return;
  for (char c : Gbk) PostMessage(target, WM_CHAR, static_cast<unsigned char>(c), 1);
  ProcessMessages();
  UpdatePendingWindows();
  Finish();
}

void InputActivate(HWND Wnd, bool Active) {
  if (!IsControlWindow(Wnd)) return;
  if (Active) {
    if (GetActiveWindow() != Wnd && IsWindowEnabled(Wnd)) SetActiveWindow(Wnd);
  } else if (GetActiveWindow() == Wnd) {
    TMessage m{CM_DEACTIVATE, 0, 0, 0};
    PreDispatch(Wnd, m);
  }
  Finish();
}

void InputAppActivate(bool Active) {
  if (!Application) return;
  TMessage m{WM_ACTIVATEAPP, Active ? WPARAM(1) : WPARAM(0), 0, 0};
  HWND active = GetActiveWindow();
  if (Application->PreDispatch(active, m)) return;
  Application->SetActiveState(Active);
  for (HWND h : TopLevelWindows()) SendMessage(h, WM_ACTIVATEAPP, m.WParam, 0);
  Finish();
}

void InputClose(HWND Wnd) {
  if (!IsControlWindow(Wnd) || !IsWindowEnabled(Wnd)) return;
  SendMessage(Wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  Finish();
}

void InputWindowMoved(HWND Wnd, TRect Bounds) {
  if (!IsControlWindow(Wnd)) return;
  winuser_detail::SetWindowPosFrom(Wnd, nullptr, Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height(),
                                   SWP_NOZORDER | SWP_NOACTIVATE, true);
  UpdatePendingWindows();
  Finish();
}

void InputClientOrigin(HWND Wnd, TPoint ScreenOrigin) {
  if (IsControlWindow(Wnd)) winuser_detail::SetScreenClientOrigin(Wnd, ScreenOrigin);
}

void InputNativeFocus(HWND Wnd) {
  if (!IsControlWindow(Wnd) || GetFocus() == Wnd) return;
  SetFocus(Wnd);
  Finish();
}

void InputPaint(HWND Wnd) {
  if (!IsControlWindow(Wnd)) return;
  UpdateWindow(Wnd);
}
