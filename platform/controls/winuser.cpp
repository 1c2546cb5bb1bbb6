#include "platform/controls/winuser.h"

#include "platform/controls/textreply.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/controls/modal.h"
#include "platform/controls/winuser_internal.h"
#include "platform/win32/clock.h"

namespace {

struct TWnd {
  HWND Handle = nullptr;
  HWND Parent = nullptr;  // child windows
  HWND Owner = nullptr;   // top-level windows
  bool Child = false;
  bool SystemFrame = false;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  std::string ClassName;
  std::string Text;
  TRect Rect;    // child: parent client coordinates; top-level: screen
  TRect Client;  // window coordinates
  std::vector<HWND> Children;  // bottom of the z-order first
  HBITMAP Buffer = nullptr;
  bool BufferReleased = false;  // let go after it was shown (ReleaseShownBuffer)
  HRGN Invalid = nullptr;  // client coordinates
  bool EraseNeeded = false;
  bool FrameNeeded = false;
  bool Redraw = true;
  bool Destroying = false;
  bool TrackLeave = false;
  TMenu* Menu = nullptr;
  std::optional<TPoint> ScreenClient;  // top-level: the client origin the windowing system reports
  std::unique_ptr<TWindowPeer> Peer;
  int CaretHides = 0;
};

struct TTimerRec {
  UINT Interval = 0;
  std::uint64_t Due = 0;
};

struct TUser {
  std::unordered_map<HWND, std::unique_ptr<TWnd>> Windows;
  std::vector<HWND> TopLevels;  // bottom first
  std::vector<HWND> Pending;    // windows waiting to be painted
  std::unordered_map<HDC, HWND> DCs;
  HWND Focus = nullptr;
  HWND Active = nullptr;
  HWND Capture = nullptr;
  HCURSOR Cursor = nullptr;
  HWND CursorRoot = nullptr;
  std::uint8_t Keys[256] = {};
  std::map<std::pair<HWND, UINT_PTR>, TTimerRec> Timers;
};

TUser& U() {
  static TUser* u = new TUser;  // windows may outlive static destruction order
  return *u;
}

TWnd* Find(HWND Wnd) {
  if (!Wnd) return nullptr;
  auto it = U().Windows.find(Wnd);
  return it == U().Windows.end() ? nullptr : it->second.get();
}

TRect ClientRectOf(const TWnd& W) { return {0, 0, W.Client.Width(), W.Client.Height()}; }

// Where the back buffer starts, in window coordinates.
TPoint BufferOrigin(const TWnd& W) { return W.SystemFrame ? W.Client.TopLeft() : TPoint{0, 0}; }
TSize BufferSize(const TWnd& W) {
  return W.SystemFrame ? TSize{W.Client.Width(), W.Client.Height()} : TSize{W.Rect.Width(), W.Rect.Height()};
}
TPoint ClientOriginInBuffer(const TWnd& W) {
  TPoint o = BufferOrigin(W);
  return {W.Client.Left - o.X, W.Client.Top - o.Y};
}

// The window's buffer is made when first asked for (a DC, the peer presenting it),
// at the window's size then: a window that is never shown needs none, and one
// resized several times while it is built gets one buffer, not one per size.
// A resize drops a buffer of the old size (the new one starts black, as before).
void DropStaleBuffer(TWnd& W) {
  if (!W.Buffer) return;
  TSize s = BufferSize(W);
  BITMAP bm;
  GetObject(W.Buffer, bm);
  if (bm.bmWidth == std::max(1, s.cx) && bm.bmHeight == std::max(1, s.cy)) return;
  DeleteObject(W.Buffer);
  W.Buffer = nullptr;
}

void MakeBuffer(TWnd& W) {
  TSize s = BufferSize(W);
  int w = std::max(1, s.cx), h = std::max(1, s.cy);
  if (W.Buffer) {
    BITMAP bm;
    GetObject(W.Buffer, bm);
    if (bm.bmWidth == w && bm.bmHeight == h) return;
    DeleteObject(W.Buffer);
  }
  W.Buffer = CreateBlankBitmap(w, h);
}


void AddPending(HWND Wnd) {
  auto& p = U().Pending;
  if (std::find(p.begin(), p.end(), Wnd) == p.end()) p.push_back(Wnd);
}

void RemovePending(HWND Wnd) {
  auto& p = U().Pending;
  p.erase(std::remove(p.begin(), p.end(), Wnd), p.end());
}

// A buffer let go after it was shown comes back whole: the window is invalid all
// over, so that the paint under way draws every pixel of it again. The peer still
// shows those pixels, so it is not asked to update.
void ReviveBuffer(TWnd& W) {
  if (!W.BufferReleased) return;
  W.BufferReleased = false;
  TRect c = ClientRectOf(W);
  if (!W.Invalid) W.Invalid = CreateRectRgnIndirect(&c);
  else SetRectRgn(W.Invalid, c.Left, c.Top, c.Right, c.Bottom);
  W.EraseNeeded = true;
  W.FrameNeeded = true;
  AddPending(W.Handle);
}

bool RegionEmpty(HRGN R) {
  if (!R) return true;
  TRect box;
  return GetRgnBox(R, &box) == NULLREGION;
}

void InvalidateAll(TWnd& W, bool Frame) {
  TRect c = ClientRectOf(W);
  if (!W.Invalid) W.Invalid = CreateRectRgnIndirect(&c);
  else SetRectRgn(W.Invalid, c.Left, c.Top, c.Right, c.Bottom);
  W.EraseNeeded = true;
  if (Frame) W.FrameNeeded = true;
  AddPending(W.Handle);
  if (W.Peer) W.Peer->RequestUpdate();
}

bool InSubtree(HWND Root, HWND Wnd) {
  for (TWnd* w = Find(Wnd); w; w = Find(w->Child ? w->Parent : nullptr))
    if (w->Handle == Root) return true;
  return false;
}

// Focus and capture leave a window that is hidden, disabled or destroyed.
void Abandon(HWND Wnd) {
  TUser& u = U();
  if (u.Capture && InSubtree(Wnd, u.Capture)) {
    HWND c = u.Capture;
    SendMessage(c, WM_CANCELMODE, 0, 0);
    if (u.Capture == c) ReleaseCapture();
  }
  if (u.Focus && InSubtree(Wnd, u.Focus)) {
    HWND f = u.Focus;
    u.Focus = nullptr;
    if (Find(f)) SendMessage(f, WM_KILLFOCUS, 0, 0);
  }
}

void PresentAll(TWnd& W) {
  if (!W.Peer) return;
  TSize s = BufferSize(W);
  W.Peer->Present({0, 0, s.cx, s.cy});
}

// A window that clips its children never draws under its visible child windows:
// those parts show the children, and the back buffer's pages there stay untouched.
void ExcludeChildren(const TWnd& W, HRGN Visible) {
  if (!(W.Style & WS_CLIPCHILDREN)) return;
  for (HWND c : W.Children)
    if (const TWnd* cw = Find(c); cw && (cw->Style & WS_VISIBLE) && !cw->Rect.IsEmpty()) {
      HRGN r = CreateRectRgnIndirect(&cw->Rect);
      CombineRgn(Visible, Visible, r, RGN_DIFF);
      DeleteObject(r);
    }
}

// A child window that goes away from where it was (hidden, moved, sized, destroyed)
// uncovers that part of a parent that clips its children, which has not drawn there.
void UncoverParent(const TWnd& Child, const TRect& Was) {
  if (!Child.Child || !(Child.Style & WS_VISIBLE) || Was.IsEmpty()) return;
  TWnd* p = Find(Child.Parent);
  if (!p || p->Destroying || !(p->Style & WS_CLIPCHILDREN)) return;
  InvalidateRect(p->Handle, &Was, TRUE);
}

// Drawing outside a paint cycle on a window whose buffer was let go: the window
// is painted whole first, so what is drawn lands on what it shows.
TWnd* Revived(HWND Wnd) {
  UpdateWindow(Wnd);
  return Find(Wnd);
}

HDC MakeDC(TWnd& W, bool Window, HRGN Clip) {
  MakeBuffer(W);
  TPoint origin;
  HRGN visible = nullptr;
  if (Window && !W.SystemFrame) {
    origin = {0, 0};
  } else {
    origin = ClientOriginInBuffer(W);
    TRect c = ClientRectOf(W);
    visible = CreateRectRgnIndirect(&c);
    ExcludeChildren(W, visible);
  }
  if (Clip) {
    if (!visible) {
      TSize s = BufferSize(W);
      visible = CreateRectRgn(0, 0, s.cx, s.cy);
    }
    CombineRgn(visible, visible, Clip, RGN_AND);
  }
  HDC dc = CreateSurfaceDC(W.Buffer, origin, visible);
  if (visible) DeleteObject(visible);
  U().DCs[dc] = W.Handle;
  return dc;
}

}  // namespace

// ---------------------------------------------------------------------------
// Windows

TRect NonClientInsets(DWORD Style, DWORD ExStyle, bool TopLevel, bool HasMenu) {
  int b = 0;
  if (Style & WS_THICKFRAME) b = GetSystemMetrics(SM_CXFRAME);
  else if ((Style & WS_DLGFRAME) || (ExStyle & WS_EX_DLGMODALFRAME)) b = GetSystemMetrics(SM_CXDLGFRAME);
  else if (Style & WS_BORDER) b = GetSystemMetrics(SM_CXBORDER);
  if (ExStyle & WS_EX_CLIENTEDGE) b += GetSystemMetrics(SM_CXEDGE);
  if (ExStyle & WS_EX_STATICEDGE) b += GetSystemMetrics(SM_CXBORDER);
  TRect r{b, b, b, b};
  if ((Style & WS_CAPTION) == WS_CAPTION)
    r.Top += (ExStyle & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
  if (TopLevel && HasMenu) r.Top += GetSystemMetrics(SM_CYMENU);
  return r;
}

HWND CreateWindowEx(const TCreateParams& Params, TWndMethod Proc, const std::function<void(HWND)>& Created) {
  bool child = (Params.Style & WS_CHILD) != 0;
  TWnd* parent = Find(Params.WndParent);
  if (child && !parent) return nullptr;
  HWND h = AllocateHWnd(std::move(Proc));
  auto rec = std::make_unique<TWnd>();
  TWnd& w = *rec;
  w.Handle = h;
  w.Child = child;
  if (child) w.Parent = Params.WndParent;
  else w.Owner = parent ? Params.WndParent : nullptr;
  w.Style = Params.Style & ~WS_VISIBLE;
  w.ExStyle = Params.ExStyle;
  w.ClassName = Params.WinClassName;
  w.Text = Params.Caption;
  w.SystemFrame = !child && ((Params.Style & WS_CAPTION) == WS_CAPTION || (Params.Style & WS_THICKFRAME));
  w.Rect = Bounds(Params.X, Params.Y, std::max(0, Params.Width), std::max(0, Params.Height));
  w.Client = {0, 0, w.Rect.Width(), w.Rect.Height()};
  TUser& u = U();
  u.Windows[h] = std::move(rec);
  if (child) parent->Children.push_back(h);
  else u.TopLevels.push_back(h);
  if (Created) Created(h);

  NCCALCSIZE_PARAMS p;
  p.rgrc[0] = w.Rect;
  SendMessage(h, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&p));
  if (TWnd* again = Find(h)) {
    again->Client = p.rgrc[0];
    OffsetRect(again->Client, -again->Rect.Left, -again->Rect.Top);
    TPeerParams pp;
    pp.Wnd = h;
    pp.Parent = again->Parent;
    pp.Owner = again->Owner;
    pp.ClassName = again->ClassName;
    pp.Style = again->Style;
    pp.ExStyle = again->ExStyle;
    pp.Bounds = again->Rect;
    pp.Client = again->Client;
    pp.SystemFrame = again->SystemFrame;
    pp.Caption = again->Text;
    again->Peer = Backend().CreatePeer(pp);
    InvalidateAll(*again, true);
  }
  if (!Find(h)) return nullptr;
  SendMessage(h, WM_CREATE, 0, 0);
  if (!Find(h)) return nullptr;
  {
    TWnd* again = Find(h);
    SendMessage(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(again->Client.Width(), again->Client.Height()));
    if (!(again = Find(h))) return nullptr;
    SendMessage(h, WM_MOVE, 0, PointToLParam({again->Rect.Left + again->Client.Left, again->Rect.Top + again->Client.Top}));
    if (!Find(h)) return nullptr;
  }
  if (Params.Style & WS_DISABLED) Find(h)->Style |= WS_DISABLED;
  if (TWnd* again = Find(h); again && again->Peer && (again->Style & WS_DISABLED)) again->Peer->SetEnabled(false);
  if (Params.Style & WS_VISIBLE)
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW | SWP_NOACTIVATE);
  return h;
}

BOOL DestroyWindow(HWND Wnd) {
  TWnd* w = Find(Wnd);
  if (!w) return FALSE;
  if (w->Destroying) return TRUE;
  w->Destroying = true;
  TUser& u = U();
  if (w->Peer && (w->Style & WS_VISIBLE)) w->Peer->SetVisible(false);
  Abandon(Wnd);
  if (u.Active == Wnd) u.Active = nullptr;
  SendMessage(Wnd, WM_DESTROY, 0, 0);
  for (;;) {
    w = Find(Wnd);
    if (!w || w->Children.empty()) break;
    DestroyWindow(w->Children.back());
  }
  // Owned top-level windows go with their owner.
  std::vector<HWND> owned;
  for (HWND t : u.TopLevels)
    if (TWnd* tw = Find(t); tw && tw->Owner == Wnd) owned.push_back(t);
  for (HWND t : owned) DestroyWindow(t);
  SendMessage(Wnd, WM_NCDESTROY, 0, 0);
  w = Find(Wnd);
  if (!w) return TRUE;
  for (auto it = u.Timers.begin(); it != u.Timers.end();)
    it = it->first.first == Wnd ? u.Timers.erase(it) : std::next(it);
  if (TWnd* p = Find(w->Parent)) {
    p->Children.erase(std::remove(p->Children.begin(), p->Children.end(), Wnd), p->Children.end());
    UncoverParent(*w, w->Rect);
  }
  u.TopLevels.erase(std::remove(u.TopLevels.begin(), u.TopLevels.end(), Wnd), u.TopLevels.end());
  RemovePending(Wnd);
  if (u.CursorRoot == Wnd) u.CursorRoot = nullptr;
  for (auto it = u.DCs.begin(); it != u.DCs.end();)
    it = it->second == Wnd ? u.DCs.erase(it) : std::next(it);
  std::unique_ptr<TWnd> rec = std::move(u.Windows[Wnd]);
  u.Windows.erase(Wnd);
  rec->Peer.reset();
  if (rec->Buffer) DeleteObject(rec->Buffer);
  if (rec->Invalid) DeleteObject(rec->Invalid);
  DeallocateHWnd(Wnd);
  return TRUE;
}

bool IsControlWindow(HWND Wnd) { return Find(Wnd) != nullptr; }

HWND GetParent(HWND Wnd) {
  TWnd* w = Find(Wnd);
  if (!w) return nullptr;
  return w->Child ? w->Parent : w->Owner;
}

HWND GetAncestorRoot(HWND Wnd) {
  TWnd* w = Find(Wnd);
  while (w && w->Child) w = Find(w->Parent);
  return w ? w->Handle : nullptr;
}

BOOL IsChild(HWND Parent, HWND Wnd) {
  TWnd* w = Find(Wnd);
  while (w && w->Child) {
    if (w->Parent == Parent) return TRUE;
    w = Find(w->Parent);
  }
  return FALSE;
}

LONG GetWindowLong(HWND Wnd, int Index) {
  TWnd* w = Find(Wnd);
  if (!w) return 0;
  if (Index == GWL_STYLE) return static_cast<LONG>(w->Style);
  if (Index == GWL_EXSTYLE) return static_cast<LONG>(w->ExStyle);
  return 0;
}

LONG SetWindowLong(HWND Wnd, int Index, LONG Value) {
  TWnd* w = Find(Wnd);
  if (!w) return 0;
  LONG old = GetWindowLong(Wnd, Index);
  if (Index == GWL_STYLE) {
    DWORD keep = w->Style & (WS_VISIBLE | WS_DISABLED | WS_CHILD);
    w->Style = (static_cast<DWORD>(Value) & ~(WS_VISIBLE | WS_DISABLED | WS_CHILD)) | keep;
  } else if (Index == GWL_EXSTYLE) {
    w->ExStyle = static_cast<DWORD>(Value);
  }
  return old;
}

BOOL ShowWindow(HWND Wnd, int CmdShow) {
  TWnd* w = Find(Wnd);
  if (!w) return FALSE;
  bool was = (w->Style & WS_VISIBLE) != 0;
  bool show = CmdShow != SW_HIDE;
  if (show != was) SendMessage(Wnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
  bool activate = show && (CmdShow == SW_SHOW || CmdShow == SW_SHOWNORMAL || CmdShow == SW_RESTORE ||
                           CmdShow == SW_SHOWMAXIMIZED);
  if (!activate) flags |= SWP_NOACTIVATE;
  SetWindowPos(Wnd, nullptr, 0, 0, 0, 0, flags);
  return was ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND Wnd) {
  for (TWnd* w = Find(Wnd); w; w = w->Child ? Find(w->Parent) : nullptr)
    if (!(w->Style & WS_VISIBLE)) return FALSE;
  return Find(Wnd) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND Wnd, BOOL Enable) {
  TWnd* w = Find(Wnd);
  if (!w) return FALSE;
  bool wasDisabled = (w->Style & WS_DISABLED) != 0;
  if (Enable == !wasDisabled) return wasDisabled ? TRUE : FALSE;
  if (Enable) w->Style &= ~WS_DISABLED;
  else w->Style |= WS_DISABLED;
  if (w->Peer) w->Peer->SetEnabled(Enable != FALSE);
  if (!Enable) Abandon(Wnd);
  SendMessage(Wnd, WM_ENABLE, Enable ? TRUE : FALSE, 0);
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND Wnd) {
  TWnd* w = Find(Wnd);
  return w && !(w->Style & WS_DISABLED) ? TRUE : FALSE;
}

namespace winuser_detail {

BOOL SetWindowPosFrom(HWND Wnd, HWND InsertAfter, int X, int Y, int Cx, int Cy, UINT Flags, bool FromPeer) {
  TWnd* w = Find(Wnd);
  if (!w) return FALSE;
  WINDOWPOS wp{Wnd, InsertAfter, X, Y, Cx, Cy, Flags};
  if (Flags & SWP_NOMOVE) { wp.x = w->Rect.Left; wp.y = w->Rect.Top; }
  if (Flags & SWP_NOSIZE) { wp.cx = w->Rect.Width(); wp.cy = w->Rect.Height(); }
  wp.cx = std::max(0, wp.cx);
  wp.cy = std::max(0, wp.cy);
  if (wp.x == w->Rect.Left && wp.y == w->Rect.Top) wp.flags |= SWP_NOMOVE;
  if (wp.cx == w->Rect.Width() && wp.cy == w->Rect.Height()) wp.flags |= SWP_NOSIZE;
  bool visible = (w->Style & WS_VISIBLE) != 0;
  if ((wp.flags & SWP_SHOWWINDOW) && visible) wp.flags &= ~SWP_SHOWWINDOW;
  if ((wp.flags & SWP_HIDEWINDOW) && !visible) wp.flags &= ~SWP_HIDEWINDOW;
  const UINT changes = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;
  bool anything = (wp.flags & changes) != changes ||
                  (wp.flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED));
  if (!anything) return TRUE;

  SendMessage(Wnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
  if (!(w = Find(Wnd))) return FALSE;
  wp.cx = std::max(0, wp.cx);
  wp.cy = std::max(0, wp.cy);
  if (!(wp.flags & SWP_NOMOVE) && wp.x == w->Rect.Left && wp.y == w->Rect.Top) wp.flags |= SWP_NOMOVE;
  if (!(wp.flags & SWP_NOSIZE) && wp.cx == w->Rect.Width() && wp.cy == w->Rect.Height()) wp.flags |= SWP_NOSIZE;

  bool geometry = !(wp.flags & SWP_NOMOVE) || !(wp.flags & SWP_NOSIZE) || (wp.flags & SWP_FRAMECHANGED);
  if (geometry) {
    TRect newRect = Bounds(wp.x, wp.y, wp.cx, wp.cy);
    NCCALCSIZE_PARAMS p;
    p.rgrc[0] = newRect;
    SendMessage(Wnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&p));
    if (!(w = Find(Wnd))) return FALSE;
    TRect client = p.rgrc[0];
    OffsetRect(client, -newRect.Left, -newRect.Top);
    bool resized = newRect.Width() != w->Rect.Width() || newRect.Height() != w->Rect.Height() ||
                   client != w->Client;
    UncoverParent(*w, w->Rect);
    w->Rect = newRect;
    w->Client = client;
    if (resized || (wp.flags & SWP_FRAMECHANGED)) {
      DropStaleBuffer(*w);
      InvalidateAll(*w, true);
    }
    if (w->Peer && !FromPeer) w->Peer->SetBounds(w->Rect, w->Client);
  }
  if (wp.flags & SWP_SHOWWINDOW) {
    w->Style |= WS_VISIBLE;
    InvalidateAll(*w, true);
    if (w->Peer) w->Peer->SetVisible(true);
  } else if (wp.flags & SWP_HIDEWINDOW) {
    UncoverParent(*w, w->Rect);
    w->Style &= ~WS_VISIBLE;
    if (w->Peer) w->Peer->SetVisible(false);
    Abandon(Wnd);
    if (U().Active == Wnd) U().Active = nullptr;
  }
  if (!(wp.flags & SWP_NOZORDER)) {
    std::vector<HWND>& list = w->Child ? Find(w->Parent)->Children : U().TopLevels;
    list.erase(std::remove(list.begin(), list.end(), Wnd), list.end());
    bool top = true;
    if (wp.hwndInsertAfter == HWND_BOTTOM) {
      list.insert(list.begin(), Wnd);
      top = false;
    } else if (wp.hwndInsertAfter == HWND_TOP || wp.hwndInsertAfter == HWND_TOPMOST ||
               wp.hwndInsertAfter == HWND_NOTOPMOST) {
      list.push_back(Wnd);
    } else {
      // Below the given sibling (the list runs bottom to top).
      auto at = std::find(list.begin(), list.end(), wp.hwndInsertAfter);
      top = at == list.end();
      list.insert(at, Wnd);
    }
    if (w->Peer) w->Peer->SetZOrder(top);
  }
  if ((wp.flags & SWP_SHOWWINDOW) && !w->Child && !(wp.flags & SWP_NOACTIVATE)) SetActiveWindow(Wnd);
  SendMessage(Wnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
  return TRUE;
}

bool TakeTrackLeave(HWND Wnd) {
  TWnd* w = Find(Wnd);
  if (!w || !w->TrackLeave) return false;
  w->TrackLeave = false;
  return true;
}

void SetCursorRoot(HWND Root) { U().CursorRoot = Root; }

void SetScreenClientOrigin(HWND Wnd, TPoint Origin) {
  if (TWnd* w = Find(Wnd); w && !w->Child) w->ScreenClient = Origin;
}

}  // namespace winuser_detail

BOOL SetWindowPos(HWND Wnd, HWND InsertAfter, int X, int Y, int Cx, int Cy, UINT Flags) {
  return winuser_detail::SetWindowPosFrom(Wnd, InsertAfter, X, Y, Cx, Cy, Flags, false);
}

BOOL MoveWindow(HWND Wnd, int X, int Y, int Width, int Height, BOOL Repaint) {
  return SetWindowPos(Wnd, nullptr, X, Y, Width, Height, SWP_NOZORDER | SWP_NOACTIVATE | (Repaint ? 0 : SWP_NOREDRAW));
}

namespace {
// Screen position of a window's top-left corner.
TPoint WindowScreenOrigin(const TWnd& W) {
  if (!W.Child)
    return W.ScreenClient ? TPoint{W.ScreenClient->X - W.Client.Left, W.ScreenClient->Y - W.Client.Top}
                          : W.Rect.TopLeft();
  TWnd* p = Find(W.Parent);
  TPoint o = p ? WindowScreenOrigin(*p) : TPoint{};
  if (p) { o.X += p->Client.Left; o.Y += p->Client.Top; }
  return {o.X + W.Rect.Left, o.Y + W.Rect.Top};
}
TPoint ClientScreenOrigin(const TWnd& W) {
  TPoint o = WindowScreenOrigin(W);
  return {o.X + W.Client.Left, o.Y + W.Client.Top};
}
}  // namespace

BOOL GetWindowRect(HWND Wnd, TRect* R) {
  TWnd* w = Find(Wnd);
  if (!w || !R) return FALSE;
  TPoint o = WindowScreenOrigin(*w);
  *R = Bounds(o.X, o.Y, w->Rect.Width(), w->Rect.Height());
  return TRUE;
}

BOOL GetClientRect(HWND Wnd, TRect* R) {
  TWnd* w = Find(Wnd);
  if (!w || !R) return FALSE;
  *R = ClientRectOf(*w);
  return TRUE;
}

TRect GetWindowPlacement(HWND Wnd) {
  TWnd* w = Find(Wnd);
  return w ? w->Rect : TRect{};
}

TRect GetClientArea(HWND Wnd) {
  TWnd* w = Find(Wnd);
  return w ? w->Client : TRect{};
}

BOOL ClientToScreen(HWND Wnd, TPoint* P) {
  TWnd* w = Find(Wnd);
  if (!w || !P) return FALSE;
  TPoint o = ClientScreenOrigin(*w);
  P->X += o.X;
  P->Y += o.Y;
  return TRUE;
}

BOOL ScreenToClient(HWND Wnd, TPoint* P) {
  TWnd* w = Find(Wnd);
  if (!w || !P) return FALSE;
  TPoint o = ClientScreenOrigin(*w);
  P->X -= o.X;
  P->Y -= o.Y;
  return TRUE;
}

int MapWindowPoints(HWND From, HWND To, TPoint* Points, UINT Count) {
  TPoint a = From && Find(From) ? ClientScreenOrigin(*Find(From)) : TPoint{};
  TPoint b = To && Find(To) ? ClientScreenOrigin(*Find(To)) : TPoint{};
  int dx = a.X - b.X, dy = a.Y - b.Y;
  for (UINT i = 0; i < Count; ++i) {
    Points[i].X += dx;
    Points[i].Y += dy;
  }
  return MAKELPARAM(dx, dy);
}

namespace {
HWND DeepestAt(TWnd& W, TPoint ScreenP) {
  TPoint c = ScreenP;
  TPoint o = ClientScreenOrigin(W);
  c.X -= o.X;
  c.Y -= o.Y;
  for (auto it = W.Children.rbegin(); it != W.Children.rend(); ++it) {
    TWnd* ch = Find(*it);
    if (!ch || !(ch->Style & WS_VISIBLE) || (ch->Style & WS_DISABLED)) continue;
    if (ch->Rect.Contains(c)) return DeepestAt(*ch, ScreenP);
  }
  return W.Handle;
}
}  // namespace

HWND WindowFromPoint(TPoint P) {
  auto& tops = U().TopLevels;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    TWnd* w = Find(*it);
    if (!w || !(w->Style & WS_VISIBLE)) continue;
    TRect r;
    GetWindowRect(*it, &r);
    if (r.Contains(P)) return DeepestAt(*w, P);
  }
  return nullptr;
}

std::vector<HWND> ChildWindows(HWND Parent) {
  TWnd* w = Find(Parent);
  return w ? w->Children : std::vector<HWND>{};
}

std::vector<HWND> TopLevelWindows() { return U().TopLevels; }

int GetWindowTextLength(HWND Wnd) { return static_cast<int>(SendMessage(Wnd, WM_GETTEXTLENGTH, 0, 0)); }

std::string GetWindowTextString(HWND Wnd) {
  int n = GetWindowTextLength(Wnd);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  LRESULT got = SendMessage(Wnd, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, n)));
  return s;
}

BOOL SetWindowText(HWND Wnd, const std::string& Text) {
  return SendMessage(Wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str())) != 0;
}

TWindowPeer* WindowPeer(HWND Wnd) {
  TWnd* w = Find(Wnd);
  return w ? w->Peer.get() : nullptr;
}

HBITMAP WindowBuffer(HWND Wnd) {
  TWnd* w = Find(Wnd);
  if (w && w->BufferReleased) w = Revived(Wnd);
  if (!w) return nullptr;
  MakeBuffer(*w);
  return w->Buffer;
}

void ReleaseShownBuffer(HWND Wnd) {
  // Small buffers are cheap to keep; a window without visible child windows is
  // likely to change again soon (a list, an editor) and keeps its buffer too.
  constexpr int64_t kReleasedBytes = int64_t(256) << 10;
  TWnd* w = Find(Wnd);
  if (!w || !w->Buffer || !(w->Style & WS_CLIPCHILDREN)) return;
  if (!RegionEmpty(w->Invalid) || w->EraseNeeded || w->FrameNeeded) return;
  BITMAP bm;
  GetObject(w->Buffer, bm);
  if (int64_t(bm.bmWidth) * bm.bmHeight * 4 < kReleasedBytes) return;
  bool covered = std::any_of(w->Children.begin(), w->Children.end(), [](HWND c) {
    const TWnd* cw = Find(c);
    return cw && (cw->Style & WS_VISIBLE);
  });
  if (!covered) return;
  for (const auto& dc : U().DCs)
    if (dc.second == Wnd) return;  // someone is drawing on it
  DeleteObject(w->Buffer);
  w->Buffer = nullptr;
  w->BufferReleased = true;
}

TPoint WindowBufferClientOrigin(HWND Wnd) {
  TWnd* w = Find(Wnd);
  return w ? ClientOriginInBuffer(*w) : TPoint{};
}

void SetWindowMenu(HWND Wnd, TMenu* Menu) {
  TWnd* w = Find(Wnd);
  if (!w || w->Child) return;
  bool had = w->Menu != nullptr;
  w->Menu = Menu;
  if (w->Peer) w->Peer->SetMenu(Menu);
  if (had != (Menu != nullptr))
    SetWindowPos(Wnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

TMenu* GetWindowMenu(HWND Wnd) {
  TWnd* w = Find(Wnd);
  return w ? w->Menu : nullptr;
}

// ---------------------------------------------------------------------------
// Default window procedure

namespace {

void DefaultNcPaint(HWND Wnd, TWnd& W) {
  if (W.SystemFrame) return;
  TRect r{0, 0, W.Rect.Width(), W.Rect.Height()};
  if (r == W.Client) return;
  HDC dc = GetWindowDC(Wnd);
  if (W.Style & WS_THICKFRAME || W.Style & WS_DLGFRAME || W.ExStyle & WS_EX_DLGMODALFRAME) {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    int rest = (W.Style & WS_THICKFRAME ? GetSystemMetrics(SM_CXFRAME) : GetSystemMetrics(SM_CXDLGFRAME)) - 2;
    for (int i = 0; i < rest; ++i) {
      FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
      InflateRect(r, -1, -1);
    }
  } else if (W.Style & WS_BORDER) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(r, -1, -1);
  }
  if (W.ExStyle & WS_EX_CLIENTEDGE) DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  if (W.ExStyle & WS_EX_STATICEDGE) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  ReleaseDC(Wnd, dc);
}

// The client area inside the frame, caption and menu bar the styles give.
void DefaultNcCalcSize(const TWnd& W, TMessage& M) {
  auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam);
  if (!p) return;
  TRect in = NonClientInsets(W.Style, W.ExStyle, !W.Child, W.Menu != nullptr);
  TRect& r = p->rgrc[0];
  r.Left += in.Left;
  r.Top += in.Top;
  r.Right = std::max(r.Left, r.Right - in.Right);
  r.Bottom = std::max(r.Top, r.Bottom - in.Bottom);
  M.Result = 0;
}

// Client, caption (a top-level window with a caption, above its client area),
// border, or nowhere.
void DefaultNcHitTest(const TWnd& W, TMessage& M) {
  TPoint p = LParamToPoint(M.LParam);
  TPoint o = WindowScreenOrigin(W);
  p.X -= o.X;
  p.Y -= o.Y;
  TRect whole{0, 0, W.Rect.Width(), W.Rect.Height()};
  if (W.Client.Contains(p)) M.Result = HTCLIENT;
  else if (whole.Contains(p)) M.Result = p.Y < W.Client.Top && !W.Child && (W.Style & WS_CAPTION) == WS_CAPTION
                                             ? HTCAPTION : HTBORDER;
  else M.Result = HTNOWHERE;
}

// The parent chooses first; else the arrow, and TRUE only over the client area.
void DefaultSetCursor(const TWnd& W, TMessage& M) {
  HWND parent = W.Child ? W.Parent : nullptr;
  if (parent && SendMessage(parent, WM_SETCURSOR, M.WParam, M.LParam)) {
    M.Result = TRUE;
    return;
  }
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  M.Result = static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(M.LParam))) == HTCLIENT ? TRUE : FALSE;
}

// Close, minimise, or size from a frame edge (by the windowing system when it can).
void DefaultSysCommand(HWND Wnd, WPARAM Command) {
  if ((Command & 0xFFF0) == SC_CLOSE) SendMessage(GetAncestorRoot(Wnd), WM_CLOSE, 0, 0);
  else if ((Command & 0xFFF0) == SC_MINIMIZE) ShowWindow(Wnd, SW_MINIMIZE);
  else if ((Command & 0xFFF0) == SC_SIZE) {
    int edge = static_cast<int>(Command & 0xF);
    HWND root = GetAncestorRoot(Wnd);
    TWnd* r = Find(root);
    if (edge >= WMSZ_LEFT && edge <= WMSZ_BOTTOMRIGHT && r && !(r->Peer && r->Peer->StartSystemResize(edge)))
      winuser_detail::BeginSizeTracking(root, edge, Backend().CursorPos());
  }
}

// WM_MOVE and WM_SIZE from a position change (the window may be gone after WM_MOVE).
void DefaultWindowPosChanged(HWND Wnd, const TWnd& W, const WINDOWPOS& Pos) {
  if (!(Pos.flags & SWP_NOMOVE)) {
    TPoint c{W.Rect.Left + W.Client.Left, W.Rect.Top + W.Client.Top};
    SendMessage(Wnd, WM_MOVE, 0, PointToLParam(c));
  }
  if (!(Pos.flags & SWP_NOSIZE) || (Pos.flags & SWP_FRAMECHANGED)) {
    if (TWnd* again = Find(Wnd))
      SendMessage(Wnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(again->Client.Width(), again->Client.Height()));
  }
}

}  // namespace

void DefWindowProc(HWND Wnd, TMessage& M) {
  TWnd* w = Find(Wnd);
  if (!w) return;
  if (w->Peer && w->Peer->Native() && w->Peer->DefaultProc(M)) return;
  switch (M.Msg) {
    case WM_NCCALCSIZE:
      DefaultNcCalcSize(*w, M);
      break;
    case WM_NCHITTEST:
      DefaultNcHitTest(*w, M);
      break;
    case WM_NCPAINT:
      DefaultNcPaint(Wnd, *w);
      break;
    case WM_PAINT:
      if (!M.WParam) {  // a paint into a given device context has nothing to validate
        PAINTSTRUCT ps;
        BeginPaint(Wnd, &ps);
        EndPaint(Wnd, &ps);
      }
      break;
    case WM_ERASEBKGND:
      M.Result = 0;
      break;
    case WM_SETCURSOR:
      DefaultSetCursor(*w, M);
      break;
    case WM_MOUSEACTIVATE: {
      HWND parent = w->Child ? w->Parent : nullptr;
      LRESULT r = parent ? SendMessage(parent, WM_MOUSEACTIVATE, M.WParam, M.LParam) : 0;
      M.Result = r ? r : MA_ACTIVATE;
      break;
    }
    case WM_MOUSEWHEEL:
    case WM_CONTEXTMENU:
      if (w->Child) M.Result = SendMessage(w->Parent, M.Msg, M.WParam, M.LParam);
      break;
    case WM_SETTEXT: {
      const char* text = reinterpret_cast<const char*>(M.LParam);
      w->Text = text ? text : "";
      if (w->Peer) w->Peer->SetCaption(w->Text);
      M.Result = TRUE;
      break;
    }
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
      ReplyWindowText(M, w->Text);
      break;
    case WM_CLOSE:
      DestroyWindow(Wnd);
      break;
    case WM_SYSCOMMAND:
      DefaultSysCommand(Wnd, M.WParam);
      break;
    case WM_SYSKEYDOWN:
      if (M.WParam == VK_F4 && (M.LParam & KF_ALTDOWN_BIT))
        SendMessage(GetAncestorRoot(Wnd), WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case WM_WINDOWPOSCHANGED:
      if (auto* wp = reinterpret_cast<WINDOWPOS*>(M.LParam)) DefaultWindowPosChanged(Wnd, *w, *wp);
      break;
    case WM_ACTIVATE:
      if (LOWORD(M.WParam) != WA_INACTIVE && !InSubtree(Wnd, U().Focus)) SetFocus(Wnd);
      break;
    case WM_NCACTIVATE:
      M.Result = TRUE;
      break;
    case WM_SETREDRAW:
      w->Redraw = M.WParam != 0;
      break;
    case WM_CANCELMODE:
      if (U().Capture == Wnd) ReleaseCapture();
      break;
    default:
      break;
  }
}

LRESULT DefWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  DefWindowProc(Wnd, m);
  return m.Result;
}

// ---------------------------------------------------------------------------
// Painting

// No window: the screen's context, released through ReleaseDC like a window's.
static HDC ScreenDC() {
  HDC dc = CreateScreenDC(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  U().DCs[dc] = nullptr;
  return dc;
}

HDC GetDC(HWND Wnd) {
  if (!Wnd) return ScreenDC();
  TWnd* w = Find(Wnd);
  if (w && w->BufferReleased) w = Revived(Wnd);
  return w ? MakeDC(*w, false, nullptr) : nullptr;
}

HDC GetWindowDC(HWND Wnd) {
  if (!Wnd) return ScreenDC();
  TWnd* w = Find(Wnd);
  if (w && w->BufferReleased) w = Revived(Wnd);
  return w ? MakeDC(*w, true, nullptr) : nullptr;
}

HDC GetDCEx(HWND Wnd, HRGN Clip, DWORD Flags) {
  if (!Wnd) return ScreenDC();
  TWnd* w = Find(Wnd);
  if (w && w->BufferReleased) w = Revived(Wnd);
  return w ? MakeDC(*w, (Flags & DCX_WINDOW) != 0, (Flags & DCX_INTERSECTRGN) ? Clip : nullptr) : nullptr;
}

int ReleaseDC(HWND, HDC Dc) {
  auto& dcs = U().DCs;
  auto it = dcs.find(Dc);
  if (it == dcs.end()) return 0;
  HWND owner = it->second;
  dcs.erase(it);
  DeleteDC(Dc);
  if (!owner) return 1;  // the screen's context
  if (TWnd* w = Find(owner)) PresentAll(*w);
  return 1;
}

HDC BeginPaint(HWND Wnd, PAINTSTRUCT* Ps) {
  TWnd* w = Find(Wnd);
  if (!w || !Ps) return nullptr;
  *Ps = PAINTSTRUCT{};
  ReviveBuffer(*w);
  HRGN region = w->Invalid ? CreateRectRgn(0, 0, 0, 0) : nullptr;
  if (region) CombineRgn(region, w->Invalid, nullptr, RGN_COPY);
  else region = CreateRectRgn(0, 0, 0, 0);
  if (w->Invalid) SetRectRgn(w->Invalid, 0, 0, 0, 0);
  bool erase = w->EraseNeeded;
  w->EraseNeeded = false;
  if (!w->FrameNeeded) RemovePending(Wnd);
  if (erase) {
    HDC edc = MakeDC(*w, false, region);
    LRESULT erased = SendMessage(Wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(edc), 0);
    ReleaseDC(Wnd, edc);
    Ps->fErase = erased ? FALSE : TRUE;
    if (!(w = Find(Wnd))) {
      DeleteObject(region);
      return nullptr;
    }
  }
  GetRgnBox(region, &Ps->rcPaint);
  Ps->hdc = MakeDC(*w, false, region);
  DeleteObject(region);
  return Ps->hdc;
}

BOOL EndPaint(HWND Wnd, const PAINTSTRUCT* Ps) {
  if (!Ps || !Ps->hdc) return FALSE;
  ReleaseDC(Wnd, Ps->hdc);
  return TRUE;
}

BOOL InvalidateRect(HWND Wnd, const TRect* R, BOOL Erase) {
  TWnd* w = Find(Wnd);
  if (!w) return FALSE;
  TRect c = ClientRectOf(*w);
  TRect r = c;
  if (R && !IntersectRect(r, *R, c)) return TRUE;
  if (!w->Invalid) w->Invalid = CreateRectRgn(0, 0, 0, 0);
  HRGN add = CreateRectRgnIndirect(&r);
  CombineRgn(w->Invalid, w->Invalid, add, RGN_OR);
  DeleteObject(add);
  if (Erase) w->EraseNeeded = true;
  AddPending(Wnd);
  if (w->Peer) w->Peer->RequestUpdate();
  return TRUE;
}

BOOL InvalidateRgn(HWND Wnd, HRGN Rgn, BOOL Erase) {
  TWnd* w = Find(Wnd);
  if (!w) return FALSE;
  if (!Rgn) return InvalidateRect(Wnd, nullptr, Erase);
  if (!w->Invalid) w->Invalid = CreateRectRgn(0, 0, 0, 0);
  TRect c = ClientRectOf(*w);
  HRGN add = CreateRectRgnIndirect(&c);
  CombineRgn(add, add, Rgn, RGN_AND);
  CombineRgn(w->Invalid, w->Invalid, add, RGN_OR);
  DeleteObject(add);
  if (Erase) w->EraseNeeded = true;
  AddPending(Wnd);
  if (w->Peer) w->Peer->RequestUpdate();
  return TRUE;
}

BOOL ValidateRect(HWND Wnd, const TRect* R) {
  TWnd* w = Find(Wnd);
  if (!w) return FALSE;
  if (!w->Invalid) return TRUE;
  if (!R) {
    SetRectRgn(w->Invalid, 0, 0, 0, 0);
  } else {
    HRGN cut = CreateRectRgnIndirect(R);
    CombineRgn(w->Invalid, w->Invalid, cut, RGN_DIFF);
    DeleteObject(cut);
  }
  if (RegionEmpty(w->Invalid)) {
    w->EraseNeeded = false;
    if (!w->FrameNeeded) RemovePending(Wnd);
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND Wnd, TRect* R, BOOL) {
  TWnd* w = Find(Wnd);
  if (!w) return FALSE;
  TRect box;
  bool any = w->Invalid && GetRgnBox(w->Invalid, &box) != NULLREGION;
  if (R) *R = any ? box : TRect{};
  return any ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND Wnd) {
  TWnd* w = Find(Wnd);
  if (!w) return FALSE;
  ReviveBuffer(*w);
  if (!w->Redraw || !IsWindowVisible(Wnd)) return TRUE;
  if (w->FrameNeeded) {
    w->FrameNeeded = false;
    SendMessage(Wnd, WM_NCPAINT, 1, 0);
    if (!(w = Find(Wnd))) return TRUE;
  }
  if (!RegionEmpty(w->Invalid) || w->EraseNeeded) {
    SendMessage(Wnd, WM_PAINT, 0, 0);
    // A handler that did not begin a paint cycle still leaves the window valid, so
    // it is not asked again and again.
    if ((w = Find(Wnd))) {
      if (w->Invalid) SetRectRgn(w->Invalid, 0, 0, 0, 0);
      w->EraseNeeded = false;
    }
  }
  RemovePending(Wnd);
  return TRUE;
}

BOOL RedrawWindow(HWND Wnd, const TRect* R, HRGN Rgn, UINT Flags) {
  TWnd* w = Find(Wnd);
  if (!w) return FALSE;
  if (Flags & RDW_INVALIDATE) {
    bool erase = (Flags & RDW_ERASE) != 0;
    if (Rgn) InvalidateRgn(Wnd, Rgn, erase);
    else InvalidateRect(Wnd, R, erase);
    if (Flags & RDW_FRAME) {
      w->FrameNeeded = true;
      AddPending(Wnd);
      if (w->Peer) w->Peer->RequestUpdate();
    }
  }
  if (Flags & RDW_VALIDATE) ValidateRect(Wnd, R);
  if (Flags & RDW_ALLCHILDREN)
    for (HWND c : ChildWindows(Wnd)) RedrawWindow(c, nullptr, nullptr, Flags & ~RDW_UPDATENOW);
  if (Flags & (RDW_UPDATENOW | RDW_ERASENOW)) {
    UpdateWindow(Wnd);
    if (Flags & RDW_ALLCHILDREN)
      for (HWND c : ChildWindows(Wnd)) RedrawWindow(c, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  return TRUE;
}

void UpdatePendingWindows() {
  // Painting may invalidate other windows; each round takes what waits now.
  for (int round = 0; round < 8 && !U().Pending.empty(); ++round) {
    std::vector<HWND> now = U().Pending;
    for (HWND h : now) {
      TWnd* w = Find(h);
      if (!w) continue;
      if (!IsWindowVisible(h) || !w->Redraw) continue;
      UpdateWindow(h);
    }
    // Hidden windows keep waiting until they are shown.
    auto& p = U().Pending;
    if (std::all_of(p.begin(), p.end(), [](HWND h) { return !IsWindowVisible(h) || !WindowRedrawEnabled(h); })) break;
  }
}

bool WindowRedrawEnabled(HWND Wnd) {
  TWnd* w = Find(Wnd);
  return w && w->Redraw;
}

// ---------------------------------------------------------------------------
// Focus, activation, capture

HWND SetFocus(HWND Wnd) {
  TUser& u = U();
  HWND old = u.Focus;
  if (Wnd == old) return old;
  if (Wnd) {
    TWnd* w = Find(Wnd);
    if (!w || !IsWindowEnabled(Wnd)) return nullptr;
    HWND root = GetAncestorRoot(Wnd);
    if (u.Active != root) {
      SetActiveWindow(root);
      if (!Find(Wnd)) return nullptr;
      old = u.Focus;
      if (old == Wnd) return old;
    }
  }
  u.Focus = Wnd;
  if (old && Find(old)) SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(Wnd), 0);
  if (Wnd && u.Focus == Wnd && Find(Wnd)) {
    SendMessage(Wnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    if (u.Focus == Wnd)
      if (TWindowPeer* p = WindowPeer(Wnd)) p->SetFocus();
  }
  return old;
}

HWND GetFocus() { return U().Focus; }

HWND SetActiveWindow(HWND Wnd) {
  TUser& u = U();
  if (Wnd) Wnd = GetAncestorRoot(Wnd);
  HWND old = u.Active;
  if (Wnd == old) return old;
  u.Active = Wnd;
  if (old && Find(old)) {
    SendMessage(old, WM_NCACTIVATE, FALSE, 0);
    SendMessage(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(Wnd));
  }
  if (Wnd && u.Active == Wnd && Find(Wnd)) {
    if (TWindowPeer* p = WindowPeer(Wnd)) p->Activate();
    SendMessage(Wnd, WM_NCACTIVATE, TRUE, 0);
    SendMessage(Wnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
  }
  return old;
}

HWND GetActiveWindow() { return U().Active; }
HWND GetForegroundWindow() { return U().Active; }
BOOL SetForegroundWindow(HWND Wnd) {
  SetActiveWindow(Wnd);
  return TRUE;
}

HWND SetCapture(HWND Wnd) {
  TUser& u = U();
  HWND old = u.Capture;
  if (old == Wnd || !Find(Wnd)) return old;
  u.Capture = Wnd;
  if (old && Find(old)) {
    SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(Wnd));
    if (TWindowPeer* p = WindowPeer(GetAncestorRoot(old))) p->SetCapture(false);
  }
  if (TWindowPeer* p = WindowPeer(GetAncestorRoot(Wnd))) p->SetCapture(true);
  return old;
}

BOOL ReleaseCapture() {
  TUser& u = U();
  HWND old = u.Capture;
  if (!old) return TRUE;
  u.Capture = nullptr;
  if (Find(old)) {
    if (TWindowPeer* p = WindowPeer(GetAncestorRoot(old))) p->SetCapture(false);
    SendMessage(old, WM_CAPTURECHANGED, 0, 0);
  }
  return TRUE;
}

HWND GetCapture() { return U().Capture; }

BOOL TrackMouseEvent(TRACKMOUSEEVENT* Event) {
  if (!Event) return FALSE;
  TWnd* w = Find(Event->hwndTrack);
  if (!w) return FALSE;
  w->TrackLeave = (Event->dwFlags & TME_LEAVE) && !(Event->dwFlags & TME_CANCEL);
  return TRUE;
}

// ---------------------------------------------------------------------------
// Keyboard and mouse state

std::int16_t GetKeyState(int VirtKey) {
  if (VirtKey < 0 || VirtKey > 255) return 0;
  std::uint8_t k = U().Keys[VirtKey];
  return static_cast<std::int16_t>(((k & 0x80) ? 0x8000 : 0) | (k & 1));
}

std::int16_t GetAsyncKeyState(int VirtKey) { return GetKeyState(VirtKey); }

void SetKeyDown(int VirtKey, bool Down) {
  if (VirtKey < 0 || VirtKey > 255) return;
  std::uint8_t& k = U().Keys[VirtKey];
  if (Down && !(k & 0x80)) k ^= 1;  // each press toggles
  k = static_cast<std::uint8_t>((k & 1) | (Down ? 0x80 : 0));
  // The generic modifier keys follow their left and right keys.
  auto sync = [](int Generic, int L, int R) {
    std::uint8_t* keys = U().Keys;
    bool down = (keys[L] & 0x80) || (keys[R] & 0x80);
    keys[Generic] = static_cast<std::uint8_t>((keys[Generic] & 1) | (down ? 0x80 : 0));
  };
  if (VirtKey == VK_LSHIFT || VirtKey == VK_RSHIFT) sync(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
  if (VirtKey == VK_LCONTROL || VirtKey == VK_RCONTROL) sync(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
  if (VirtKey == VK_LMENU || VirtKey == VK_RMENU) sync(VK_MENU, VK_LMENU, VK_RMENU);
}

BOOL GetCursorPos(TPoint* P) {
  if (!P) return FALSE;
  *P = Backend().CursorPos();
  return TRUE;
}

BOOL SetCursorPos(int X, int Y) {
  Backend().SetCursorPos({X, Y});
  return TRUE;
}

HCURSOR LoadCursor(void*, std::uintptr_t Id) { return reinterpret_cast<HCURSOR>(Id); }

std::uintptr_t PredefinedCursorId(HCURSOR Cursor) {
  auto id = reinterpret_cast<std::uintptr_t>(Cursor);
  return id >= IDC_ARROW && id <= IDC_HELP ? id : 0;
}

HCURSOR SetCursor(HCURSOR Cursor) {
  TUser& u = U();
  HCURSOR old = u.Cursor;
  u.Cursor = Cursor;
  if (old != Cursor)
    if (TWindowPeer* p = WindowPeer(u.CursorRoot)) p->SetCursor(Cursor);
  return old;
}

HCURSOR GetCursor() { return U().Cursor; }

// ---------------------------------------------------------------------------
// Metrics

int GetSystemMetrics(int Index) {
  switch (Index) {
    case SM_CXSCREEN: case SM_CYSCREEN: case SM_CXFULLSCREEN: case SM_CYFULLSCREEN:
    case SM_CMONITORS: case SM_CXVIRTUALSCREEN: case SM_CYVIRTUALSCREEN: {
      std::vector<TMonitorInfo> m = Backend().Monitors();
      if (m.empty()) return 0;
      if (Index == SM_CMONITORS) return static_cast<int>(m.size());
      if (Index == SM_CXSCREEN) return m[0].Bounds.Width();
      if (Index == SM_CYSCREEN) return m[0].Bounds.Height();
      if (Index == SM_CXFULLSCREEN) return m[0].WorkArea.Width();
      if (Index == SM_CYFULLSCREEN) return m[0].WorkArea.Height() - 19;
      TRect all = m[0].Bounds;
      for (const auto& x : m) UnionRect(all, all, x.Bounds);
      return Index == SM_CXVIRTUALSCREEN ? all.Width() : all.Height();
    }
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVTHUMB: case SM_CXHTHUMB:
    case SM_CYVSCROLL: case SM_CXHSCROLL: case SM_CXSMICON: case SM_CYSMICON:
      return 16;
    case SM_CYCAPTION: case SM_CYMENU: return 19;
    case SM_CYSMCAPTION: return 15;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME: case SM_CYFRAME: case SM_CXDOUBLECLK: case SM_CYDOUBLECLK:
    case SM_CXDRAG: case SM_CYDRAG: return 4;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXSIZE: case SM_CYSIZE: return 18;
    case SM_CXMENUCHECK: case SM_CYMENUCHECK: return 13;
    default: return 0;
  }
}

BOOL SystemParametersInfo(UINT Action, UINT, void* Value, UINT) {
  if (Action != SPI_GETWORKAREA || !Value) return FALSE;
  std::vector<TMonitorInfo> m = Backend().Monitors();
  *static_cast<TRect*>(Value) = m.empty() ? TRect{} : m[0].WorkArea;
  return TRUE;
}

UINT GetDoubleClickTime() { return 500; }

// ---------------------------------------------------------------------------
// Timers

UINT_PTR SetTimer(HWND Wnd, UINT_PTR Id, UINT Elapse, void*) {
  if (!IsWindow(Wnd)) return 0;
  Elapse = std::max<UINT>(Elapse, 10);  // the OS's shortest period
  U().Timers[{Wnd, Id}] = TTimerRec{Elapse, Clock().NowMs() + Elapse};
  Backend().TimerDue(NextTimerDue());
  return Id ? Id : 1;
}

BOOL KillTimer(HWND Wnd, UINT_PTR Id) {
  BOOL found = U().Timers.erase({Wnd, Id}) ? TRUE : FALSE;
  if (found) Backend().TimerDue(NextTimerDue());
  return found;
}

int FireDueTimers() {
  TUser& u = U();
  std::uint64_t now = Clock().NowMs();
  std::vector<std::pair<std::uint64_t, std::pair<HWND, UINT_PTR>>> due;
  for (auto& [key, t] : u.Timers)
    if (t.Due <= now) due.push_back({t.Due, key});
  std::sort(due.begin(), due.end());
  int fired = 0;
  for (auto& [when, key] : due) {
    auto it = u.Timers.find(key);
    if (it == u.Timers.end() || it->second.Due > now) continue;  // killed or reset meanwhile
    if (!IsWindow(key.first)) {
      u.Timers.erase(it);
      continue;
    }
    it->second.Due = now + it->second.Interval;
    ++fired;
    SendMessage(key.first, WM_TIMER, key.second, 0);
  }
  Backend().TimerDue(NextTimerDue());
  return fired;
}

std::optional<std::uint64_t> NextTimerDue() {
  std::optional<std::uint64_t> next;
  for (auto& [key, t] : U().Timers)
    if (!next || t.Due < *next) next = t.Due;
  return next;
}

// ---------------------------------------------------------------------------
// Message boxes, beeps, clipboard

int MessageBoxDefaultResult(UINT Type) {
  switch (Type & MB_TYPEMASK) {
    case MB_OK: return IDOK;
    case MB_YESNO: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDCANCEL;
  }
}

int MessageBoxA(HWND Owner, const char* Text, const char* Caption, UINT Type) {
  if (HWND c = GetCapture()) {
    SendMessage(c, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
  }
  return ModalRunner().MessageBox(Owner, Text ? Text : "", Caption ? Caption : "Error", Type);
}

BOOL MessageBeep(UINT) {
  Backend().Beep();
  return TRUE;
}

bool ClipboardHasText() { return Backend().ClipboardHasText(); }
std::string GetClipboardText() { return Backend().ClipboardText(); }
void SetClipboardText(const std::string& Text) { Backend().SetClipboardText(Text); }

// ---------------------------------------------------------------------------
// Caret

BOOL HideCaret(HWND Wnd) {
  TWnd* w = Find(Wnd);
  if (!w) return FALSE;
  if (w->CaretHides++ == 0 && w->Peer) w->Peer->SetCaretVisible(false);
  return TRUE;
}

BOOL ShowCaret(HWND Wnd) {
  TWnd* w = Find(Wnd);
  if (!w || w->CaretHides == 0) return FALSE;
  if (--w->CaretHides == 0 && w->Peer) w->Peer->SetCaretVisible(true);
  return TRUE;
}

bool IsCaretHidden(HWND Wnd) {
  TWnd* w = Find(Wnd);
  return w && w->CaretHides > 0;
}
