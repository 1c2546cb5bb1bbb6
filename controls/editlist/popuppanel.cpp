#include "controls/editlist/popuppanel.h"

#include <vector>

#include "controls/common/themes.h"
#include "platform/controls/forms.h"
#include "platform/controls/modal.h"
#include "platform/controls/winuser.h"
#include "platform/core/scope.h"
#include "platform/core/typinfo.h"
#include "platform/win32/messages.h"

TPoint PopupPlacement(const TRect& R, int W, int H, TAlignment Alignment, int X, int Y, const TRect& Work) {
  if (X != -1 || Y != -1) {
    X = R.Left + X;
    Y = R.Top + Y;
  } else {
    Y = R.Bottom;
    switch (Alignment) {
      case taLeftJustify: X = R.Left; break;
      case taRightJustify: X = R.Right - W; break;
      case taCenter: X = (R.Left + R.Right - W) / 2; break;
    }
  }
  if (X + W > Work.Right) X = Work.Right - W;
  if (Y + H > Work.Bottom) Y = R.Top - H;
  if (X < Work.Left) X = Work.Left;
  if (Y < Work.Top) Y = Work.Top;
  return {X, Y};
}

bool IsWindowInside(HWND Wnd, HWND Outer) {
  for (HWND h = Wnd; h; h = GetParent(h))
    if (h == Outer) return true;
  return false;
}

// ---------------------------------------------------------------------------
// TQvCustomPopup

TQvCustomPopup::TQvCustomPopup(TComponent* AOwner) : TQvCustomPanel(AOwner) {
  SetBorderWidth(2);
  SetBorderOuter(fsPopup);
  SetFlatColorAdjustment(0);
  SetVisible(false);
}

void TQvCustomPopup::AdjustClientRect(TRect& Rect) {
  TQvCustomPanel::AdjustClientRect(Rect);
  FixClientRect(Rect, false);
}

// The panel's own AlignControls moves the sides past the frame before the layer
// asks AdjustClientRect, which here does it already; once is enough.
void TQvCustomPopup::AlignControls(TControl* AControl, TRect& Rect) { TCustomPanel::AlignControls(AControl, Rect); }

void TQvCustomPopup::Paint() {
  TThemeServices* t = ThemeServices();
  if (t->ThemesEnabled()) {
    t->DrawElement(Canvas()->Handle(), t->GetElementDetails(teEditTextDisabled), GetClientRect());
    return;
  }
  TQvCustomPanel::Paint();
}

// ---------------------------------------------------------------------------
// TQvPopup

TQvPopup::TQvPopup(TQvPopupPanel* APanel) : TQvCustomPopup(APanel), FPanel(APanel) {
  SetVisible(false);
  SetColor(APanel->Color());
  Font()->Assign(APanel->Font());
  SetHint(APanel->Hint());
  SetShowHint(APanel->ShowHint());
  SetCtl3D(false);
}

TQvPopup::~TQvPopup() {
  // Whatever ended the loop, the content goes back to its panel.
  if (FShown) HidePopup();
}

void TQvPopup::CreateParams(TCreateParams& P) {
  TQvCustomPopup::CreateParams(P);
  P.Style = WS_POPUP;
  P.ExStyle = WS_EX_TOOLWINDOW;
  P.WndParent = nullptr;
}

void TQvPopup::ActivatePopupControl() {
  for (int i = FPanel->ControlCount() - 1; i >= 0; --i) FPanel->Controls(i)->SetParent(this);
  FFocusControl = nullptr;
  for (int i = 0; i < ControlCount(); ++i) {
    auto* w = dynamic_cast<TWinControl*>(Controls(i));
    if (w && w->Visible() && w->Enabled()) {
      FFocusControl = w;
      break;
    }
  }
}

void TQvPopup::HidePopup() {
  if (!FShown) return;
  FShown = false;
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetVisible(false);
  std::vector<TControl*> children;
  for (int i = 0; i < ControlCount(); ++i) children.push_back(Controls(i));
  for (TControl* c : children) c->SetParent(FPanel);
}

void TQvPopup::PostPopupClose(bool Accept) {
  if (Accept) FCancelled = false;
  if (HandleAllocated()) PostMessage(Handle(), CM_QVPOPUPCLOSE, 0, 0);
}

void TQvPopup::Abort() {
  FCancelled = true;
  FDone = true;
  HidePopup();
}

bool TQvPopup::Hook(HWND Wnd, TMessage& M) {
  if (FDone) return false;
  HWND self = HandleAllocated() ? Handle() : nullptr;
  switch (M.Msg) {
    case CM_QVPOPUPCLOSE:
      // Done first: hiding the window may deactivate it, which must not cancel.
      FDone = true;
      HidePopup();
      return Wnd == self;  // another popup's close message stays for it
    case CM_DEACTIVATE:
    case WM_ACTIVATEAPP:
      FCancelled = true;
      FDone = true;
      HidePopup();
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
      if (self && IsWindowInside(Wnd, self)) return false;
      FCancelled = true;
      FDone = true;
      HidePopup();
      return true;  // the click does not reach the other window
    default:
      if (M.Msg >= WM_KEYFIRST && M.Msg <= WM_KEYLAST) {
        if (self) SendMessage(self, M.Msg, M.WParam, M.LParam);
        return true;
      }
      return false;
  }
}

bool TQvPopup::ShowPopupAt(TControl* Control, TAlignment Alignment, int X, int Y) {
  FPopupControl = Control;
  TRect r;
  if (auto* w = dynamic_cast<TWinControl*>(Control); w && w->HandleAllocated()) {
    GetWindowRect(w->Handle(), &r);
  } else if (Control) {
    TRect b = Control->BoundsRect();
    TPoint tl = Control->Parent() ? Control->Parent()->ClientToScreen(b.TopLeft()) : b.TopLeft();
    TPoint br = Control->Parent() ? Control->Parent()->ClientToScreen(b.BottomRight()) : b.BottomRight();
    r = {tl.X, tl.Y, br.X, br.Y};
  }
  ActivatePopupControl();
  int w = FPanel->Width(), h = FPanel->Height();
  TPoint first = (X != -1 || Y != -1) ? TPoint{r.Left + X, r.Top + Y} : TPoint{r.Left, r.Bottom};
  TRect work = Screen->WorkAreaRect();
  if (TMonitor* m = Screen->MonitorFromPoint(first, TMonitorDefaultTo::mdNull)) work = m->WorkareaRect;
  TPoint p = PopupPlacement(r, w, h, Alignment, X, Y, work);
  SetBounds(p.X, p.Y, w, h);
  HandleNeeded();
  FShown = true;
  FCancelled = true;
  FDone = false;
  SetWindowPos(Handle(), nullptr, p.X, p.Y, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  SetVisible(true);

  int hook = Application->AddMessageHook([this](HWND Wnd, TMessage& M) { return Hook(Wnd, M); });
  TOnExit unhook([&] { Application->RemoveMessageHook(hook); });
  TModalLoop loop;
  loop.Kind = "popup";
  loop.Window = this;
  loop.Done = [this] {
    if (!FDone && Application->Terminated()) {
      FCancelled = true;
      FDone = true;
      HidePopup();
    }
    return FDone;
  };
  loop.Cancel = [this] { PostPopupClose(false); };
  ModalRunner().RunLoop(loop);
  HidePopup();
  return !FCancelled;
}

void TQvPopup::WndProc(TMessage& M) {
  if (M.Msg >= WM_KEYFIRST && M.Msg <= WM_KEYLAST) {
    if (M.Msg == WM_KEYDOWN && M.WParam == VK_ESCAPE) PostPopupClose(false);
    if (FFocusControl && FFocusControl->HandleAllocated())
      M.Result = SendMessage(FFocusControl->Handle(), M.Msg, M.WParam, M.LParam);
    else
      TQvCustomPopup::WndProc(M);
    return;
  }
  switch (M.Msg) {
    case WM_SYSCOMMAND: PostPopupClose(false); return;
    case CM_QVPOPUPCLOSE: return;  // the panel frees the popup when its loop ends
    case WM_MOUSEACTIVATE: M.Result = MA_NOACTIVATE; return;
    case WM_NCACTIVATE: M.Result = 0; return;
    default: TQvCustomPopup::WndProc(M);
  }
}

// ---------------------------------------------------------------------------
// TQvPopupPanel

TQvPopupPanel::TQvPopupPanel(TComponent* AOwner) : TQvCustomPopup(AOwner) {
  SetAlignment(taRightJustify);
  SetBounds(Left(), Top(), 100, 100);
  FControlStyle << csAcceptsControls;
  SetColor(clBtnFace);
  SetParentColor(false);
  SetAutoSize(true);
}

TQvPopupPanel::~TQvPopupPanel() {
  if (FPopup) FPopup->Abort();
}

void TQvPopupPanel::DoPopup() {
  if (OnPopup) OnPopup(this);
}

void TQvPopupPanel::DoClose() {
  if (OnClose) OnClose(this);
}

void TQvPopupPanel::DestroyWnd() {
  // The loop ends unaccepted: what the content shows is going away with the window.
  if (FPopup) FPopup->Abort();
  TQvCustomPopup::DestroyWnd();
}

void TQvPopupPanel::Close(TObject*) {
  if (FPopup) FPopup->PostPopupClose(true);
}

bool TQvPopupPanel::Popup(TControl* Control, int X, int Y) {
  if (FPopup) return false;
  FPopupControl = Control;
  TCustomForm* form = GetParentForm(this);
  TWinControl* active = form ? form->ActiveControl() : nullptr;
  bool result = false;
  {
    TOnExit restore([&] {
      delete FPopup;  // freed on every exit, whatever ended the loop
      FPopup = nullptr;
      FPopupControl = nullptr;
      if (Application->Active() && active && active->CanFocus() && !active->Focused()) active->SetFocus();
    });
    DoPopup();
    HandleNeeded();
    FPopup = new TQvPopup(this);
    FPopup->SetBorderOuter(BorderOuter());
    FPopup->SetFlatColor(FlatColor());
    result = FPopup->ShowPopupAt(Control, Alignment(), X, Y);
    DoClose();
  }
  return result;
}

// ---------------------------------------------------------------------------
// Published properties

const TClassInfo& TQvCustomPopup::StaticClass() {
  static const TClassInfo info = TClassBuilder<TQvCustomPopup>("TQvCustomPopup", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TQvPopup::StaticClass() {
  static const TClassInfo info = TClassBuilder<TQvPopup>("TQvPopup", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TQvPopupPanel::StaticClass() {
  using C = TQvPopupPanel;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvPopupPanel", &inherited::StaticClass());
    b.Component()
        .Enum<TAlignment>("Alignment", &C::Alignment, &C::SetAlignment, taRightJustify)
        .Int("BevelWidth", &C::BevelWidth, [](C* x, int64_t v) { x->SetBevelWidth(static_cast<int>(v)); }, 1)
        .Enum<TFrameStyleEx>("BorderInner", &C::BorderInner, &C::SetBorderInner, fsNone)
        .Enum<TFrameStyleEx>("BorderOuter", &C::BorderOuter, &C::SetBorderOuter, fsPopup)
        .Int("BorderColor", &C::BorderColor, &C::SetBorderColor, clBtnFace, {}, &ColorIdents())
        .Int("BorderHighlight", &C::BorderHighlight, &C::SetBorderHighlight, clBtnHighlight, {}, &ColorIdents())
        .Int("BorderShadow", &C::BorderShadow, &C::SetBorderShadow, clBtnShadow, {}, &ColorIdents())
        .Int("BorderWidth", &C::BorderWidth, [](C* x, int64_t v) { x->SetBorderWidth(static_cast<int>(v)); }, 0)
        .Int("FlatColor", &C::FlatColor, &C::SetFlatColor, clBtnShadow, {}, &ColorIdents())
        .Int("FlatColorAdjustment", &C::FlatColorAdjustment,
             [](C* x, int64_t v) { x->SetFlatColorAdjustment(static_cast<int>(v)); }, 0)
        .Bool("AutoSize", &C::AutoSize, &C::SetAutoSize, true)
        .Prop(TControl::Property("Color", clBtnFace))
        .Event<TNotifyEvent>("OnClose", &C::OnClose)
        .Event<TNotifyEvent>("OnPopup", &C::OnPopup);
    PublishInherited(b, {"Ctl3D", "ParentCtl3D", "Font", "ParentFont", "ShowHint", "ParentShowHint"});
    return b.Build();
  }();
  return info;
}
