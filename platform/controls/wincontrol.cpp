// TWinControl: the control with a window: child lists, tab order, alignment,
// the window's life, painting of its children, keyboard and message routing.
#include "platform/controls/controls.h"

#include <algorithm>
#include <cstring>

#include "platform/controls/controls_internal.h"
#include "platform/controls/docking.h"
#include "platform/controls/forms.h"
#include "platform/controls/menus.h"
#include "platform/core/filer.h"
#include "platform/core/gbk.h"
#include "platform/core/scope.h"
#include "platform/core/typinfo.h"

using controls_detail::ControlsByHandle;
using controls_detail::g_CaptureControl;

namespace {

int MulDiv(int A, int B, int C) {
  if (C == 0) return -1;
  long long p = static_cast<long long>(A) * B;
  long long q = (p < 0 ? -p : p) * 2 + (C < 0 ? -C : C);
  q /= 2LL * (C < 0 ? -C : C);
  return static_cast<int>(((p < 0) != (C < 0)) ? -q : q);
}

// The child window a parent's notification is about.
HWND NotifyingWindow(const TMessage& M) {
  if (!M.LParam) return nullptr;
  switch (M.Msg) {
    case WM_COMMAND: return reinterpret_cast<HWND>(M.LParam);
    case WM_DRAWITEM: return reinterpret_cast<const DRAWITEMSTRUCT*>(M.LParam)->hwndItem;
    case WM_MEASUREITEM: return reinterpret_cast<const MEASUREITEMSTRUCT*>(M.LParam)->hwndItem;
    case WM_DELETEITEM: return reinterpret_cast<const DELETEITEMSTRUCT*>(M.LParam)->hwndItem;
    default: return nullptr;
  }
}

}  // namespace

const TClassInfo& TWinControl::StaticClass() {
  static const TClassInfo info = TClassBuilder<TWinControl>("TWinControl", &inherited::StaticClass()).Build();
  return info;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  FBrush = new TBrush;
  FBrush->SetColor(FColor);
}

TWinControl::~TWinControl() { delete FBrush; }

void TWinControl::BeforeDestruction() {
  if (!Destroying()) MarkDestroying();
  // Children not freed by their owner go with their parent.
  while (!FControls.empty() || !FWinControls.empty()) {
    TControl* c = !FWinControls.empty() ? static_cast<TControl*>(FWinControls.back()) : FControls.back();
    if (c->Owner() && !c->Owner()->Destroying()) {
      RemoveControl(c);
      delete c;
    } else if (c->Owner()) {
      // Its owner is freeing it: it goes with the owner, taken off this list now.
      RemoveControl(c);
    } else {
      RemoveControl(c);
      delete c;
    }
  }
  TControl::BeforeDestruction();
  if (FHandle) DestroyHandle();
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  CreateHandle();
}

TControl* TWinControl::Controls(int Index) const {
  int g = static_cast<int>(FControls.size());
  if (Index < 0 || Index >= ControlCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return Index < g ? FControls[static_cast<size_t>(Index)] : FWinControls[static_cast<size_t>(Index - g)];
}

void TWinControl::InsertControl(TControl* AControl) {
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    FWinControls.push_back(w);
    FTabList.push_back(w);
  } else {
    FControls.push_back(AControl);
  }
  AControl->FParent = this;
  AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
  AControl->UpdateAnchorRules();
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (!w->ComponentState().Contains(csLoading)) w->UpdateControlState();
  } else {
    AControl->Invalidate();
  }
  AlignControl(AControl);
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl) {
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  DockClientRemoved(AControl);
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (TCustomForm* f = GetParentForm(this)) f->DefocusControl(w, true);
    if (w->FHandle) w->DestroyHandle();
    w->FShowing = false;
    FWinControls.erase(std::remove(FWinControls.begin(), FWinControls.end(), w), FWinControls.end());
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), w), FTabList.end());
  } else {
    AControl->InvalidateControl(AControl->Visible(), false);
    FControls.erase(std::remove(FControls.begin(), FControls.end(), AControl), FControls.end());
  }
  AControl->FParent = nullptr;
  if (!Destroying()) Realign();
}

bool TWinControl::ContainsControl(TControl* Control) {
  while (Control && Control != this) Control = Control->Parent();
  return Control != nullptr;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) {
  auto hit = [&](TControl* c) {
    if (!c->Visible() || !(c->Enabled() || AllowDisabled)) return false;
    TRect r = c->BoundsRect();
    if (!r.Contains(Pos)) return false;
    return c->Perform(CM_HITTEST, 0, PointToLParam({Pos.X - c->Left(), Pos.Y - c->Top()})) != 0;
  };
  if (AllowWinControls) {
    // Windows in their z-order, topmost first.
    std::vector<TWinControl*> order = FWinControls;
    if (FHandle) {
      order.clear();
      for (HWND h : ChildWindows(FHandle))
        if (TWinControl* w = FindControl(h); w && w->Parent() == this) order.push_back(w);
      for (TWinControl* w : FWinControls)
        if (!w->HandleAllocated()) order.push_back(w);
    }
    for (auto it = order.rbegin(); it != order.rend(); ++it)
      if (hit(*it)) return *it;
  }
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
    if (hit(*it)) return *it;
  return nullptr;
}

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  auto& l = Parent()->FTabList;
  auto it = std::find(l.begin(), l.end(), this);
  return it == l.end() ? -1 : static_cast<int>(it - l.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (FControlState.Contains(csReadingState) || ComponentState().Contains(csLoading)) {
    FTabOrderWanted = Value;
    if (!Parent()) return;
  }
  if (!Parent()) return;
  auto& l = Parent()->FTabList;
  auto it = std::find(l.begin(), l.end(), this);
  if (it == l.end()) return;
  l.erase(it);
  Value = std::clamp(Value, 0, static_cast<int>(l.size()));
  l.insert(l.begin() + Value, this);
}

void TWinControl::FixupTabList() {
  // Children read from a stream take the TabOrder they were written with; one that
  // has none in the stream (a form inside the form) keeps its place.
  std::vector<TWinControl*> wanted;
  for (TWinControl* w : FTabList)
    if (w->FTabOrderWanted >= 0) wanted.push_back(w);
  std::stable_sort(wanted.begin(), wanted.end(),
                   [](TWinControl* a, TWinControl* b) { return a->FTabOrderWanted < b->FTabOrderWanted; });
  for (size_t i = 0; i < FTabList.size(); ++i) {
    TWinControl* w = FTabList[i];
    if (w->FTabOrderWanted < 0) wanted.insert(wanted.begin() + static_cast<std::ptrdiff_t>(std::min(i, wanted.size())), w);
  }
  FTabList = wanted;
  for (TWinControl* w : FTabList) w->FTabOrderWanted = -1;
}

void TWinControl::SetTabStop(bool Value) {
  if (FTabStop == Value) return;
  FTabStop = Value;
  Perform(CM_TABSTOPCHANGED, 0, 0);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* w : FTabList) {
    List.push_back(w);
    w->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  auto found = std::find(list.begin(), list.end(), CurControl);
  int start = found == list.end() ? (GoForward ? n - 1 : 0) : static_cast<int>(found - list.begin());
  int i = start;
  do {
    i = GoForward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* c = list[static_cast<size_t>(i)];
    if (c->CanFocus() && (!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this)) return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop);
  if (next) next->SetFocus();
}

bool TWinControl::CanFocus() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  for (TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm(this);
  if (form) form->FocusControl(this);
  else if (FParent) FParent->SetFocus();
  else if (!IsVisibleOnScreen() || !Enabled()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  else ::SetFocus(Handle());
}

void TWinControl::Broadcast(TMessage& M) {
  std::vector<TControl*> all(FControls.begin(), FControls.end());
  all.insert(all.end(), FWinControls.begin(), FWinControls.end());
  for (TControl* c : all) {
    c->WindowProc(M);
    if (M.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  TMessage m{Msg, 0, 0, 0};
  Broadcast(m);
}

void TWinControl::DisableAlign() { ++FAlignLevel; }

void TWinControl::EnableAlign() {
  if (--FAlignLevel == 0 && FControlState.Contains(csAlignmentNeeded) && !ComponentState().Contains(csLoading))
    Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* AControl) {
  if (!FHandle || Destroying()) return;
  if (FAlignLevel != 0 || ComponentState().Contains(csLoading)) {
    FControlState << csAlignmentNeeded;
    return;
  }
  DisableAlign();
  TRect r = GetClientRect();
  AlignControls(AControl, r);
  FControlState >> csAlignmentNeeded;
  --FAlignLevel;
  if (AutoSize()) AdjustSize();
}

void TWinControl::AdjustClientRect(TRect& Rect) {
  InflateRect(Rect, -FBorderWidth, -FBorderWidth);
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  AdjustClientRect(Rect);
  TRect client = GetClientRect();
  TPoint parentSize{client.Right, client.Bottom};
  std::vector<TControl*> all(FControls.begin(), FControls.end());
  all.insert(all.end(), FWinControls.begin(), FWinControls.end());

  auto before = [&](TControl* a, TControl* b, TAlign al) {
    // The control being moved goes before others at the same position.
    auto key = [&](TControl* c) {
      switch (al) {
        case alTop: return c->Top();
        case alBottom: return -(c->Top() + c->Height());
        case alLeft: return c->Left();
        case alRight: return -(c->Left() + c->Width());
        default: return 0;
      }
    };
    int ka = key(a), kb = key(b);
    if (ka != kb) return ka < kb;
    return a == AControl && b != AControl;
  };

  for (TAlign al : {alTop, alBottom, alLeft, alRight, alClient, alNone}) {
    std::vector<TControl*> list;
    for (TControl* c : all)
      if (c->Align() == al && c->Visible()) list.push_back(c);
    if (al != alNone)
      std::stable_sort(list.begin(), list.end(), [&](TControl* a, TControl* b) { return before(a, b, al); });
    for (TControl* c : list) {
      int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
      switch (al) {
        case alTop:
          l = Rect.Left; t = Rect.Top; w = Rect.Width();
          Rect.Top += h;
          break;
        case alBottom:
          l = Rect.Left; w = Rect.Width(); t = Rect.Bottom - h;
          Rect.Bottom -= h;
          break;
        case alLeft:
          l = Rect.Left; t = Rect.Top; h = Rect.Height();
          Rect.Left += w;
          break;
        case alRight:
          t = Rect.Top; h = Rect.Height(); l = Rect.Right - w;
          Rect.Right -= w;
          break;
        case alClient:
          l = Rect.Left; t = Rect.Top; w = Rect.Width(); h = Rect.Height();
          break;
        case alNone: {
          TAnchors a = c->Anchors();
          TPoint orig = c->FOriginalParentSize;
          if (a == TAnchors{akLeft, akTop} || (orig.X == 0 && orig.Y == 0)) continue;
          if (a.Contains(akRight)) {
            if (a.Contains(akLeft)) w = parentSize.X - (orig.X - c->FAnchorRules.X);
            else l = parentSize.X - (orig.X - c->FAnchorRules.X);
          } else if (!a.Contains(akLeft) && orig.X) {
            l = MulDiv(c->FAnchorRules.X, parentSize.X, orig.X) - w / 2;
          }
          if (a.Contains(akBottom)) {
            if (a.Contains(akTop)) h = parentSize.Y - (orig.Y - c->FAnchorRules.Y);
            else t = parentSize.Y - (orig.Y - c->FAnchorRules.Y);
          } else if (!a.Contains(akTop) && orig.Y) {
            t = MulDiv(c->FAnchorRules.Y, parentSize.Y, orig.Y) - h / 2;
          }
          break;
        }
        default:
          break;
      }
      c->FAnchorMove = true;
      c->SetBounds(l, t, std::max(0, w), std::max(0, h));
      c->FAnchorMove = false;
    }
  }
  // Docked controls follow their site's size.
  if (FDockSite && FUseDockManager && FDockManager) FDockManager->ResetBounds(false);
}

void TWinControl::CreateParams(TCreateParams& P) {
  P = TCreateParams{};
  P.Caption = FText;
  P.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle.Contains(csAcceptsControls)) {
    P.Style |= WS_CLIPCHILDREN;
    P.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (!Enabled()) P.Style |= WS_DISABLED;
  if (FTabStop) P.Style |= WS_TABSTOP;
  // Right to left: the window reads right to left, keeps its scroll bar on the
  // left and aligns what it aligns to the left edge to the right one.
  if (UseRightToLeftReading()) P.ExStyle |= WS_EX_RTLREADING;
  if (UseRightToLeftScrollBar()) P.ExStyle |= WS_EX_LEFTSCROLLBAR;
  if (UseRightToLeftAlignment() && GetControlsAlignment() == taLeftJustify) P.ExStyle |= WS_EX_RIGHT;
  P.X = FLeft;
  P.Y = FTop;
  P.Width = FWidth;
  P.Height = FHeight;
  if (FParent && !FMeasuring) P.WndParent = FParent->Handle();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  CreateWindowEx(Params, [this](TMessage& M) { MainWndProc(M); },
                 [this](HWND H) {
                   FHandle = H;
                   ControlsByHandle()[H] = this;
                 });
  if (!FHandle) throw EOutOfResources("Error creating window");
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if (!p.WndParent && (p.Style & WS_CHILD))
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  CreateWindowHandle(p);
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 1);
}

void TWinControl::DestroyWnd() {
  if (FHandle) DestroyWindow(FHandle);
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  // The parent's window first: a parent may make its children's windows with its
  // own (a combo box its edit's), and then this one is there already. Made again,
  // the first window would stay behind without its control.
  if (FParent) FParent->HandleNeeded();
  if (FHandle) return;
  {
    FControlState << csCreating;
    TOnExit created([&] { FControlState >> csCreating; });
    CreateWnd();
  }
  if (FParent && FHandle) ReorderWindows();
  for (TControl* c : FControls) c->UpdateAnchorRules();
  for (TWinControl* c : FWinControls) c->UpdateAnchorRules();
}

void TWinControl::ReorderWindows() {
  // A window made later than its siblings still takes its place in their order.
  if (!FParent || !FParent->FHandle) return;
  auto& sibs = FParent->FWinControls;
  auto it = std::find(sibs.begin(), sibs.end(), this);
  for (auto above = std::next(it); it != sibs.end() && above != sibs.end(); ++above)
    if ((*above)->FHandle) {
      SetWindowPos(FHandle, (*above)->FHandle, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      return;
    }
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  FControlState << csDestroyingHandle;
  for (TWinControl* c : FWinControls)
    if (c->FHandle) c->DestroyHandle();
  DestroyWnd();
  FControlState >> csDestroyingHandle;
}

void TWinControl::RecreateWnd() {
  if (FHandle) Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::CMRecreateWnd(TMessage&) {
  bool wasFocused = Focused();
  DestroyHandle();
  UpdateControlState();
  if (wasFocused && FHandle) ::SetFocus(FHandle);
}

void TWinControl::UpdateShowing() {
  bool show = Visible() && !FControlState.Contains(csReadingState) && !ComponentState().Contains(csLoading);
  if (show) {
    if (!FHandle) CreateHandle();
    for (TWinControl* c : std::vector<TWinControl*>(FWinControls)) c->UpdateShowing();
  }
  if (FShowing != show) {
    FShowing = show;
    TOnExit failed([&] { FShowing = !show; });
    Perform(CM_SHOWINGCHANGED, 0, 0);
    failed.Dismiss();
  }
  if (!show)
    for (TWinControl* c : std::vector<TWinControl*>(FWinControls)) c->UpdateShowing();
}

void TWinControl::UpdateControlState() {
  TWinControl* c = this;
  while (c->Parent()) {
    c = c->Parent();
    if (!c->Showing()) return;
  }
  if (c->IsRootWindow()) UpdateShowing();
}

void TWinControl::UpdateBounds() {
  if (!FHandle) return;
  TRect r = GetWindowPlacement(FHandle);
  if (r.Left != FLeft || r.Top != FTop || r.Width() != FWidth || r.Height() != FHeight) {
    FLeft = r.Left;
    FTop = r.Top;
    FWidth = r.Width();
    FHeight = r.Height();
    UpdateAnchorRules();
  }
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (!CanResize(AWidth, AHeight)) {
    AWidth = FWidth;
    AHeight = FHeight;
  }
  ApplyConstraints(AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  if (FHandle) {
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    // The window may not have moved (WM_WINDOWPOSCHANGING); the fields follow it.
    UpdateBounds();
  } else {
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    UpdateAnchorRules();
  }
  RequestAlign();
  if (!FHandle && !ComponentState().Contains(csLoading)) Resize();
}

TRect TWinControl::GetClientRect() {
  if (FHandle) {
    TRect r;
    ::GetClientRect(FHandle, &r);
    return r;
  }
  // Without a window: what the window will have, from the style it would get.
  TCreateParams p;
  {
    FMeasuring = true;
    TOnExit measured([&] { FMeasuring = false; });
    CreateParams(p);
  }
  TRect in = NonClientInsets(p.Style, p.ExStyle, !(p.Style & WS_CHILD), false);
  return {0, 0, std::max(0, FWidth - in.Left - in.Right), std::max(0, FHeight - in.Top - in.Bottom)};
}

TPoint TWinControl::ClientOrigin() {
  TPoint p{0, 0};
  ::ClientToScreen(Handle(), &p);
  return p;
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque) ? TRUE : FALSE);
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

bool TWinControl::IsVisibleOnScreen() { return FShowing && FHandle && IsWindowVisible(FHandle); }

void TWinControl::SetBorderWidth(int Value) {
  if (FBorderWidth == Value) return;
  FBorderWidth = Value;
  Realign();
  Invalidate();
}

void TWinControl::SetCtl3D(bool Value) {
  if (ComponentState().Contains(csReading)) FCtl3DRead = true;
  if (FCtl3D == Value) return;
  FCtl3D = Value;
  FParentCtl3D = false;
  Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::SetParentCtl3D(bool Value) {
  if (ComponentState().Contains(csReading)) FCtl3DRead = true;
  if (FParentCtl3D == Value) return;
  FParentCtl3D = Value;
  if (FParent && Value) SetCtl3D(FParent->Ctl3D()), FParentCtl3D = true;
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
  FControlState << csPaintCopy;
  int saved = SaveDC(DC);
  TPoint org;
  OffsetViewportOrgEx(DC, X, Y, &org);
  IntersectClipRect(DC, 0, 0, FWidth, FHeight);
  TPoint client{0, 0};
  if (FHandle) {
    // The non-client area as the window shows it.
    TRect area = GetClientArea(FHandle);
    client = area.TopLeft();
    if (area != TRect{0, 0, FWidth, FHeight}) {
      UpdateWindow(FHandle);
      HDC src = CreateCompatibleDC(nullptr);
      HBITMAP buf = WindowBuffer(FHandle);
      TPoint o = WindowBufferClientOrigin(FHandle);
      HGDIOBJ old = SelectObject(src, buf);
      int s2 = SaveDC(DC);
      ExcludeClipRect(DC, area.Left, area.Top, area.Right, area.Bottom);
      BitBlt(DC, 0, 0, FWidth, FHeight, src, client.X - o.X, client.Y - o.Y, SRCCOPY);
      RestoreDC(DC, s2);
      SelectObject(src, old);
      DeleteDC(src);
    }
  }
  OffsetViewportOrgEx(DC, client.X, client.Y, nullptr);
  TRect c = GetClientRect();
  IntersectClipRect(DC, 0, 0, c.Right, c.Bottom);
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  for (TWinControl* w : FWinControls)
    if (w->Visible()) w->PaintTo(DC, w->Left(), w->Top());
  RestoreDC(DC, saved);
  FControlState >> csPaintCopy;
}

void TWinControl::PaintWindow(HDC DC) {
  TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
  DefaultHandler(m);
}

void TWinControl::PaintHandler(TMessage& M) {
  HDC dc = reinterpret_cast<HDC>(M.WParam);
  PAINTSTRUCT ps;
  bool own = dc == nullptr;
  if (own) {
    if (!FHandle) return;
    dc = BeginPaint(FHandle, &ps);
    if (!dc) return;
  }
  FPainting = true;
  TOnExit painted([&] {
    FPainting = false;
    if (own) EndPaint(FHandle, &ps);
  });
  int clip = 0;
  if (!FControls.empty()) {
    // Opaque graphic controls cover their part of the window's face.
    clip = SaveDC(dc);
    for (TControl* c : FControls)
      if (c->Visible() && c->FControlStyle.Contains(csOpaque))
        ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
  }
  PaintWindow(dc);
  if (clip) RestoreDC(dc, clip);
  PaintControls(dc, nullptr);
  if (FDockSite && FUseDockManager && FDockManager) FDockManager->PaintSite(dc);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto it = FControls.begin();
  if (First) {
    it = std::find(FControls.begin(), FControls.end(), First);
    if (it == FControls.end()) it = FControls.begin();
  }
  for (; it != FControls.end(); ++it) {
    TControl* c = *it;
    if (!c->Visible() || c->FPainting) continue;
    TRect r = c->BoundsRect();
    if (!RectVisible(DC, &r)) continue;
    int saved = SaveDC(DC);
    OffsetViewportOrgEx(DC, c->Left(), c->Top(), nullptr);
    IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
    c->FPainting = true;
    TOnExit painted([&] {
      c->FPainting = false;
      RestoreDC(DC, saved);
    });
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  }
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

bool TWinControl::DoKeyDown(TMessage& M) { return DoKeyUpOrDown(M, true); }

bool TWinControl::DoKeyUp(TMessage& M) { return DoKeyUpOrDown(M, false); }

bool TWinControl::DoKeyUpOrDown(TMessage& M, bool Down) {
  TWMKey k(M);
  TShiftState shift = KeyDataToShiftState(k.KeyData());
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) {
    TMessage copy = M;
    if (static_cast<TWinControl*>(form)->DoKeyUpOrDown(copy, Down)) return true;
    M.WParam = copy.WParam;
  }
  WORD key = k.CharCode();
  if (Down) KeyDown(key, shift);
  else KeyUp(key, shift);
  k.SetCharCode(key);
  return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& M) {
  TWMKey k(M);
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) {
    TMessage copy = M;
    if (form->DoKeyPress(copy)) return true;
    M.WParam = copy.WParam;
  }
  char c = static_cast<char>(k.CharCode() & 0xFF);
  KeyPress(c);
  k.SetCharCode(static_cast<unsigned char>(c));
  return c == 0;
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

bool TWinControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (handled) return true;
  if (WheelDelta < 0) return DoMouseWheelDown(Shift, MousePos);
  if (WheelDelta > 0) return DoMouseWheelUp(Shift, MousePos);
  return false;
}

bool TWinControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
  return handled;
}

bool TWinControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
  return handled;
}

void TWinControl::MainWndProc(TMessage& M) {
  try {
    WindowProc(M);
  } catch (...) {
    HandleControlException(this);
  }
}

bool TWinControl::IsControlMouseMsg(TMessage& M) {
  TControl* target = nullptr;
  TWMMouse m(M);
  if (FHandle && GetCapture() == FHandle) {
    if (g_CaptureControl && g_CaptureControl->Parent() == this) target = g_CaptureControl;
  } else {
    target = ControlAtPos(m.Pos(), false);
  }
  if (!target) return false;
  TPoint p{m.XPos() - target->Left(), m.YPos() - target->Top()};
  M.Result = target->Perform(M.Msg, M.WParam, PointToLParam(p));
  return true;
}

void TWinControl::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_SETFOCUS: {
      TCustomForm* form = GetParentForm(this);
      if (form && !form->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (FControlState.Contains(csFocusing)) return;
      break;
    case WM_NCHITTEST:
      TControl::WndProc(M);
      if (M.Result == HTTRANSPARENT && ControlAtPos(ScreenToClient(LParamToPoint(M.LParam)), false))
        M.Result = HTCLIENT;
      return;
    case WM_CANCELMODE:
      if (FHandle && GetCapture() == FHandle && g_CaptureControl && g_CaptureControl->Parent() == this)
        g_CaptureControl->Perform(WM_CANCELMODE, 0, 0);
      break;
    default:
      // A dock site's grabbers and close buttons belong to its dock manager.
      if (M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MOUSELAST && FDockSite && FUseDockManager && FDockManager &&
          FDockManager->MouseMessage(M))
        return;
      if (M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MOUSELAST && M.Msg != WM_MOUSEWHEEL && IsControlMouseMsg(M)) {
        if (M.Result == 0 && FHandle) DefWindowProc(FHandle, M);
        return;
      }
      break;
  }
  TControl::WndProc(M);
}

void TWinControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_PAINT: WMPaint(M); break;
    case WM_ERASEBKGND: WMEraseBkgnd(M); break;
    case WM_SIZE: WMSize(M); break;
    case WM_MOVE: WMMove(M); break;
    case WM_SETCURSOR: WMSetCursor(M); break;
    case WM_NCDESTROY: WMNCDestroy(M); break;
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
      if (!DoKeyDown(M)) DefaultHandler(M);
      break;
    case WM_KEYUP: case WM_SYSKEYUP:
      if (!DoKeyUp(M)) DefaultHandler(M);
      break;
    case WM_CHAR:
      if (!DoKeyPress(M)) DefaultHandler(M);
      break;
    case WM_MOUSEWHEEL: {
      TWMMouseWheel w(M);
      if (DoMouseWheel(KeysToShiftState(w.Keys()), w.WheelDelta(), w.Pos())) M.Result = 1;
      else DefaultHandler(M);
      break;
    }
    case CN_KEYDOWN: case CN_SYSKEYDOWN: CNKeyDown(M); break;
    case CN_KEYUP: CNKeyUp(M); break;
    case CN_CHAR: CNChar(M); break;
    case CN_SYSCHAR: CNSysChar(M); break;
    case CM_DIALOGKEY: case CM_DIALOGCHAR: case CM_FOCUSCHANGED: Broadcast(M); break;
    case CM_ENTER: DoEnter(); break;
    case CM_EXIT: DoExit(); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(M); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(M); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(M); break;
    case CM_COLORCHANGED: CMColorChanged(M); break;
    case CM_FONTCHANGED: CMFontChanged(M); break;
    case CM_CURSORCHANGED: CMCursorChanged(M); break;
    case CM_RECREATEWND: CMRecreateWnd(M); break;
    case CM_SHOWHINTCHANGED: case CM_PARENTSHOWHINTCHANGED:
      TControl::Dispatch(M);
      NotifyControls(CM_PARENTSHOWHINTCHANGED);
      break;
    case WM_COMMAND: case WM_DRAWITEM: case WM_MEASUREITEM: case WM_DELETEITEM:
      if (!DoControlMsg(NotifyingWindow(M), M)) TControl::Dispatch(M);
      break;
    case CM_BIDIMODECHANGED:
      TControl::Dispatch(M);
      // The window takes the mode's styles anew; a form's own window has none.
      if (M.WParam == 0 && !IsRootWindow()) RecreateWnd();
      NotifyControls(CM_PARENTBIDIMODECHANGED);
      break;
    case CM_CTL3DCHANGED: NotifyControls(CM_PARENTCTL3DCHANGED); break;
    case CM_PARENTCTL3DCHANGED:
      // Taking the parent's look is not a Ctl3D the form set.
      if (FParentCtl3D && FParent) {
        TRestore read(FCtl3DRead);
        SetCtl3D(FParent->Ctl3D());
        FParentCtl3D = true;
      }
      break;
    default:
      TControl::Dispatch(M);
  }
}

void TWinControl::DefaultHandler(TMessage& M) {
  if (!FHandle) {
    TControl::DefaultHandler(M);
    return;
  }
  bool native = WindowPeer(FHandle) && WindowPeer(FHandle)->Native();
  switch (M.Msg) {
    case WM_GETTEXT: case WM_GETTEXTLENGTH:
      if (native) DefWindowProc(FHandle, M);
      else TControl::DefaultHandler(M);
      return;
    case WM_SETTEXT:
      if (!native) TControl::DefaultHandler(M);
      DefWindowProc(FHandle, M);
      return;
    default:
      DefWindowProc(FHandle, M);
  }
}

std::string TWinControl::GetText() { return TControl::GetText(); }

void TWinControl::WMPaint(TMessage& M) { PaintHandler(M); }

void TWinControl::WMEraseBkgnd(TMessage& M) {
  HDC dc = reinterpret_cast<HDC>(M.WParam);
  TRect r = GetClientRect();
  ::FillRect(dc, &r, FBrush->Handle());
  M.Result = 1;
}

void TWinControl::WMSize(TMessage& M) {
  UpdateBounds();
  DefaultHandler(M);
  TRect c = GetClientRect();
  if (c.Right != FLastClientSize.X || c.Bottom != FLastClientSize.Y) {
    FLastClientSize = {c.Right, c.Bottom};
    Realign();
  }
  if (!ComponentState().Contains(csLoading)) Resize();
}

void TWinControl::WMMove(TMessage& M) {
  DefaultHandler(M);
  UpdateBounds();
}

void TWinControl::WMSetCursor(TMessage& M) {
  TWMSetCursor s(M);
  if (s.CursorWnd() == FHandle && s.HitTest() == HTCLIENT) {
    TCursor cursor = Screen ? Screen->Cursor() : crDefault;
    if (cursor == crDefault) {
      TPoint p;
      GetCursorPos(&p);
      TControl* c = ControlAtPos(ScreenToClient(p), false);
      if (c) cursor = c->Cursor();
      if (cursor == crDefault) cursor = Cursor();
    }
    if (cursor != crDefault && Screen) {
      ::SetCursor(Screen->Cursors(cursor));
      M.Result = 1;
      return;
    }
  }
  DefaultHandler(M);
}

void TWinControl::WMNCDestroy(TMessage& M) {
  DefaultHandler(M);
  ControlsByHandle().erase(FHandle);
  FHandle = nullptr;
  FShowing = false;
  FLastClientSize = {-1, -1};
}

void TWinControl::CNKeyDown(TMessage& M) {
  M.Result = 1;
  TWMKey k(M);
  TCustomForm* form = GetParentForm(this);
  // Menu shortcuts first.
  if (form && form->IsShortCut(M)) return;
  if (Application && Application->IsShortCut(M)) return;
  if (Perform(CM_CHILDKEY, k.CharCode(), ControlToLParam(this)) != 0) return;
  LRESULT mask = 0;
  switch (k.CharCode()) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN: case VK_EXECUTE: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
  }
  if (mask && Perform(CM_WANTSPECIALKEY, k.CharCode(), 0) == 0 && (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0 &&
      form && form->Perform(CM_DIALOGKEY, k.CharCode(), k.KeyData()) != 0)
    return;
  M.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& M) { M.Result = 0; }

void TWinControl::CNChar(TMessage& M) {
  M.Result = 1;
  TWMKey k(M);
  TCustomForm* form = GetParentForm(this);
  // A control that takes no characters lets them act as accelerators.
  if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0 && form &&
      form->Perform(CM_DIALOGCHAR, k.CharCode(), k.KeyData()) != 0)
    return;
  M.Result = 0;
}

void TWinControl::CNSysChar(TMessage& M) {
  TWMKey k(M);
  TCustomForm* form = GetParentForm(this);
  if (k.CharCode() != VK_SPACE && form) M.Result = form->Perform(CM_DIALOGCHAR, k.CharCode(), k.KeyData());
}

void TWinControl::CMShowingChanged(TMessage&) {
  if (!FHandle) return;
  UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, flags | (FShowing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMVisibleChanged(TMessage& M) {
  if (!Visible() && MouseCapture()) Perform(WM_CANCELMODE, 0, 0);
  if (!Visible()) {
    if (TCustomForm* f = GetParentForm(this); f && f != this) f->DefocusControl(this, false);
  }
  UpdateControlState();
  (void)M;
}

void TWinControl::CMEnabledChanged(TMessage&) {
  if (!Enabled()) {
    if (TCustomForm* f = GetParentForm(this); f && f != this) f->DefocusControl(this, false);
  }
  if (FHandle) EnableWindow(FHandle, Enabled() ? TRUE : FALSE);
  Invalidate();
}

void TWinControl::CMColorChanged(TMessage& M) {
  TControl::Dispatch(M);
  FBrush->SetColor(FColor);
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& M) {
  TControl::Dispatch(M);
  if (FHandle) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 0);
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMCursorChanged(TMessage&) {
  if (!FHandle) return;
  TPoint p;
  GetCursorPos(&p);
  if (FindDragTarget(p, true) == this) Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(FHandle), HTCLIENT);
}

void TWinControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Owner() == Root) Proc(c);
  }
}

void TWinControl::ReadState(TReader* Reader) {
  {
    DisableAlign();
    TOnExit aligned([&] { --FAlignLevel; });
    TControl::ReadState(Reader);
  }
  FixupTabList();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  FCtl3DRead = false;
  if (FTabOrderWanted >= 0 && FParent) {
    int want = FTabOrderWanted;
    FTabOrderWanted = -1;
    SetTabOrder(want);
  }
  if (FHandle) {
    TRect c = GetClientRect();
    FLastClientSize = {c.Right, c.Bottom};
    Realign();
  }
  UpdateControlState();
}
