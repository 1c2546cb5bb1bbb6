// Window peers: the widgets that show the back buffers, take the native events and
// hand them to the input layer, and native widgets as windows.
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMetaObject>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QTimerEvent>
#include <QWindow>

#include <algorithm>
#include <map>

#include "platform/backend/qt/qt_internal.h"
#include "platform/controls/controls.h"
#include "platform/controls/input.h"
#include "platform/controls/menus.h"
#include "platform/core/gbk.h"
#include "platform/graphics/qtfonts.h"
#include "platform/controls/textreply.h"

namespace qtbackend {

namespace {

std::vector<QWidget*> g_Busy;                 // widgets inside an entry from Qt
std::vector<QPointer<QWidget>> g_Zombies;     // widgets of gone peers, freed once not in use

bool InUse(QWidget* W) {
  for (QWidget* b : g_Busy)
    if (b && (b == W || W->isAncestorOf(b))) return true;
  return false;
}

void Bury() {
  for (auto it = g_Zombies.begin(); it != g_Zombies.end();) {
    if (!*it) {
      it = g_Zombies.erase(it);
    } else if (!InUse(*it)) {
      QWidget* w = *it;
      it = g_Zombies.erase(it);
      delete w;
      it = g_Zombies.begin();  // the deletion may have freed others too
    } else {
      ++it;
    }
  }
}

// Frees a widget now, or once no entry from Qt uses it.
void Dispose(QWidget* W) {
  if (!W) return;
  W->hide();
  if (InUse(W)) g_Zombies.push_back(W);
  else delete W;
}

std::map<std::string, TNativeFactory>& NativeClasses() {
  static auto* m = new std::map<std::string, TNativeFactory>;
  return *m;
}

UINT ButtonMsg(Qt::MouseButton B, UINT Left) {
  // Left, right and middle messages are 3 apart: DOWN, UP, DBLCLK.
  switch (B) {
    case Qt::LeftButton: return Left;
    case Qt::RightButton: return Left + 3;
    case Qt::MiddleButton: return Left + 6;
    default: return 0;
  }
}

void SendMouse(QWidget* W, TQtPeer* P, QMouseEvent* E, UINT Msg) {
  if (!P || !Msg) return;
  QtGuard(W, [&] {
    SyncModifiers(E->modifiers());
    TQtPeer* root = P->Root();
    if (!root) return;
    TPoint p = P->ToRootClient(W, E->position().toPoint());
    InputMouse(root->Wnd, Msg, p, QtMouseKeys(E->buttons(), E->modifiers()));
  });
}

void SendKey(QWidget* W, TQtPeer* P, QKeyEvent* E, bool Press) {
  QtGuard(W, [&] {
    SyncModifiers(E->modifiers());
    WORD vk = QtKeyToVirtualKey(E->key(), E->modifiers());
    if (!vk) {
      TypeUnmappedKey(E, Press);
      return;
    }
    bool alt = (E->modifiers() & Qt::AltModifier) && !(E->modifiers() & Qt::ControlModifier);
    bool sys = alt || vk == VK_MENU || vk == VK_F10;
    bool refused = false;
    std::string chars = Press ? QtKeyChars(E, refused) : std::string();
    if (refused) MessageBeep(0);  // a character GBK cannot hold is refused where it is typed
    if (auto* native = dynamic_cast<TQtNativePeer*>(P)) {
      native->InFlightMsg = Press ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
      native->InFlightWParam = vk;
      native->InFlightHasText = !chars.empty() || refused;
    }
    InputKey(Press ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP), vk, QtKeyData(E, !Press),
             chars);
  });
}

}  // namespace

void QtGuard(QWidget* Widget, const std::function<void()>& F) {
  g_Busy.push_back(Widget);
  try {
    F();
  } catch (...) {
    HandleControlException(nullptr);
  }
  g_Busy.pop_back();
  Bury();
}

void RegisterNativeClass(const std::string& ClassName, TNativeFactory Factory) {
  NativeClasses()[ClassName] = std::move(Factory);
}

bool NativeClassRegistered(const std::string& ClassName) { return NativeClasses().count(ClassName) != 0; }

TNativeFactory NativeFactory(const std::string& ClassName) {
  auto it = NativeClasses().find(ClassName);
  return it == NativeClasses().end() ? TNativeFactory{} : it->second;
}

// ---------------------------------------------------------------------------
// TPeerWidget

TPeerWidget::TPeerWidget(TQtPeer* APeer, QWidget* Parent) : QWidget(Parent), Peer(APeer) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  setMouseTracking(true);
}

void TPeerWidget::paintEvent(QPaintEvent* E) {
  if (!Peer) return;
  HWND wnd = Peer->Wnd;
  QtGuard(this, [&] { InputPaint(wnd); });
  if (!Peer || !IsControlWindow(wnd)) return;
  QPainter p(this);
  QImage img = Peer->BufferImage();
  if (img.isNull()) return;
  // Rectangle by rectangle of the exposed region: under a rectangular clip Qt
  // copies the image's rows; under a region it blends span by span and hands the
  // spans to its global thread pool (eight threads that then idle on).
  for (const QRect& r : E->region()) {
    p.setClipRect(r);
    p.drawImage(r, img, r);
  }
  // A large buffer that stays unpainted for a second is let go (the window layer
  // decides whether it may); each paint puts that second off again.
  constexpr qsizetype kLargeBuffer = qsizetype(256) << 10;
  if (img.sizeInBytes() >= kLargeBuffer) {
    if (ReleaseTimer) killTimer(ReleaseTimer);
    ReleaseTimer = startTimer(1000);
  }
}

void TPeerWidget::timerEvent(QTimerEvent* E) {
  if (E->timerId() != ReleaseTimer) return QWidget::timerEvent(E);
  killTimer(ReleaseTimer);
  ReleaseTimer = 0;
  if (!Peer) return;
  HWND wnd = Peer->Wnd;
  QtGuard(this, [&] { ReleaseShownBuffer(wnd); });
}

void TPeerWidget::mousePressEvent(QMouseEvent* E) { SendMouse(this, Peer, E, ButtonMsg(E->button(), WM_LBUTTONDOWN)); }
void TPeerWidget::mouseReleaseEvent(QMouseEvent* E) { SendMouse(this, Peer, E, ButtonMsg(E->button(), WM_LBUTTONUP)); }
void TPeerWidget::mouseDoubleClickEvent(QMouseEvent* E) {
  SendMouse(this, Peer, E, ButtonMsg(E->button(), WM_LBUTTONDBLCLK));
}
void TPeerWidget::mouseMoveEvent(QMouseEvent* E) { SendMouse(this, Peer, E, WM_MOUSEMOVE); }

void TPeerWidget::wheelEvent(QWheelEvent* E) {
  if (!Peer) return;
  QtGuard(this, [&] {
    SyncModifiers(E->modifiers());
    TQtPeer* root = Peer->Root();
    if (!root) return;
    TPoint p = Peer->ToRootClient(this, E->position().toPoint());
    InputMouseWheel(root->Wnd, E->angleDelta().y(), p, QtMouseKeys(E->buttons(), E->modifiers()));
  });
}

// ---------------------------------------------------------------------------
// TFrameWidget

TFrameWidget::TFrameWidget(TQtPeer* APeer, Qt::WindowFlags Flags) : QWidget(nullptr, Flags), Peer(APeer) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  setAttribute(Qt::WA_NoSystemBackground);
  setMouseTracking(true);
}

bool TFrameWidget::event(QEvent* E) {
  if (!Peer) return QWidget::event(E);
  HWND wnd = Peer->Wnd;
  switch (E->type()) {
    case QEvent::ShortcutOverride:
      // Keys come to the controls, not to Qt's shortcuts.
      E->accept();
      return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      SendKey(this, Peer, static_cast<QKeyEvent*>(E), E->type() == QEvent::KeyPress);
      return true;
    case QEvent::Close:
      E->ignore();
      QtGuard(this, [&] { InputClose(wnd); });
      return true;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
      QtGuard(this, [&] { InputActivate(wnd, E->type() == QEvent::WindowActivate); });
      break;
    case QEvent::Leave:
      QtGuard(this, [&] { InputMouseLeave(wnd); });
      break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show: {
      bool result = QWidget::event(E);
      if (E->type() == QEvent::Resize && Peer) Peer->LayoutFrame();
      if (Peer && isVisible() && !isMinimized()) {
        QtGuard(this, [&] {
          if (Peer->Client) {
            TPoint o = WindowBufferClientOrigin(wnd);
            QPoint g = Peer->Client->mapToGlobal(QPoint(o.X, o.Y));
            InputClientOrigin(wnd, {g.x(), g.y()});
          }
          TRect wr = GetWindowPlacement(wnd);
          if (wr.IsEmpty() && !IsControlWindow(wnd)) return;
          TRect ca = GetClientArea(wnd);
          int menu = Peer->MenuBar ? Peer->MenuBar->height() : 0;
          TRect nb;
          if (Peer->SystemFrame)
            nb = Bounds(pos().x(), pos().y(), width() + wr.Width() - ca.Width(),
                        height() - menu + wr.Height() - ca.Height());
          else
            nb = Bounds(pos().x(), pos().y(), width(), height());
          if (nb != wr) InputWindowMoved(wnd, nb);
        });
      }
      return result;
    }
    default:
      break;
  }
  return QWidget::event(E);
}

void TFrameWidget::inputMethodEvent(QInputMethodEvent* E) {
  if (!Peer || E->commitString().isEmpty()) return;
  QtGuard(this, [&] {
    bool lossless = true;
    std::string gbk = FromQt(E->commitString(), &lossless);
    if (!lossless) MessageBeep(0);
    if (!gbk.empty()) InputChars(gbk);
  });
}

QVariant TFrameWidget::inputMethodQuery(Qt::InputMethodQuery Query) const {
  if (Query == Qt::ImEnabled) return true;
  if (Query == Qt::ImCursorRectangle) return QRect(0, 0, 1, 16);
  return QWidget::inputMethodQuery(Query);
}

// ---------------------------------------------------------------------------
// TQtPeer

namespace {
Qt::WindowFlags FlagsOf(const TPeerParams& P) {
  Qt::WindowFlags f;
  if (P.SystemFrame) {
    f = (P.ExStyle & WS_EX_TOOLWINDOW) ? Qt::Tool : (P.ExStyle & WS_EX_DLGMODALFRAME) ? Qt::Dialog : Qt::Window;
    f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (P.Style & WS_SYSMENU) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (P.Style & WS_MINIMIZEBOX) f |= Qt::WindowMinimizeButtonHint;
    if (P.Style & WS_MAXIMIZEBOX) f |= Qt::WindowMaximizeButtonHint;
  } else if ((P.ExStyle & WS_EX_TOOLWINDOW) && (P.ExStyle & WS_EX_TOPMOST)) {
    f = Qt::ToolTip | Qt::FramelessWindowHint;
  } else {
    f = Qt::Tool | Qt::FramelessWindowHint;
  }
  if (P.ExStyle & WS_EX_TOPMOST) f |= Qt::WindowStaysOnTopHint;
  return f;
}

QWidget* ParentClientWidget(HWND Parent) {
  auto* p = dynamic_cast<TQtPeer*>(WindowPeer(Parent));
  return p ? p->Client.data() : nullptr;
}
}  // namespace

TQtPeer::TQtPeer(const TPeerParams& P)
    : Wnd(P.Wnd), ParentWnd(P.Parent), TopLevel(P.Parent == nullptr), SystemFrame(P.SystemFrame),
      Bounds(P.Bounds), ClientArea(P.Client) {
  Offscreen = QGuiApplication::platformName() == QStringLiteral("offscreen");
  if (TopLevel) {
    Frame = new TFrameWidget(this, FlagsOf(P));
    if (!SystemFrame) Frame->setAttribute(Qt::WA_ShowWithoutActivating);
    Client = new TPeerWidget(this, Frame);
    Frame->setWindowTitle(ToQt(P.Caption));
  } else {
    auto* w = new TPeerWidget(this, ParentClientWidget(P.Parent));
    Client = w;
    w->hide();
  }
  SetBounds(P.Bounds, P.Client);
}

TQtPeer::~TQtPeer() {
  if (auto* w = dynamic_cast<TPeerWidget*>(Client.data())) w->Peer = nullptr;
  if (Frame) Frame->Peer = nullptr;
  if (Client && QWidget::mouseGrabber() == Client) Client->releaseMouse();
  Dispose(Outer());
}

QWidget* TQtPeer::Outer() const { return Frame ? static_cast<QWidget*>(Frame.data()) : Client.data(); }

TQtPeer* TQtPeer::Root() { return dynamic_cast<TQtPeer*>(WindowPeer(GetAncestorRoot(Wnd))); }

TPoint TQtPeer::ToRootClient(QWidget* From, QPoint P) {
  TQtPeer* root = Root();
  if (!root || !root->Client || !root->Outer()) return {P.x(), P.y()};
  QWidget* outer = root->Outer();
  QPoint q = From == outer ? P : From->mapTo(outer, P);
  if (root->Frame) q -= root->Client->pos();
  TPoint o = WindowBufferClientOrigin(root->Wnd);
  return {q.x() - o.X, q.y() - o.Y};
}

QImage TQtPeer::BufferImage() const {
  HBITMAP b = WindowBuffer(Wnd);
  if (!b) return {};
  const TSurface& s = BitmapSurface(b);
  if (s.Mono || s.Width <= 0 || s.Height <= 0) return {};
  return QImage(reinterpret_cast<const uchar*>(s.Bits.data()), s.Width, s.Height, s.Width * 4, QImage::Format_RGB32);
}

void TQtPeer::LayoutFrame() {
  if (!Frame || !Client) return;
  int menu = 0;
  if (MenuBar) {
    menu = MenuBar->sizeHint().height();
    MenuBar->setGeometry(0, 0, Frame->width(), menu);
  }
  Client->setGeometry(0, menu, Frame->width(), std::max(0, Frame->height() - menu));
}

void TQtPeer::SetBounds(const TRect& B, const TRect& C) {
  Bounds = B;
  ClientArea = C;
  if (TopLevel) {
    if (!Frame) return;
    int menu = MenuBar ? MenuBar->sizeHint().height() : 0;
    int w = SystemFrame ? C.Width() : B.Width();
    int h = (SystemFrame ? C.Height() : B.Height()) + menu;
    if (SystemFrame && !(GetWindowLong(Wnd, GWL_STYLE) & WS_THICKFRAME)) Frame->setFixedSize(w, h);
    Frame->move(B.Left, B.Top);
    Frame->resize(w, h);
    LayoutFrame();
  } else if (Client) {
    TPoint o = WindowBufferClientOrigin(ParentWnd);
    Client->setGeometry(B.Left + o.X, B.Top + o.Y, B.Width(), B.Height());
  }
}

void TQtPeer::SetVisible(bool Visible) {
  if (QWidget* w = Outer()) {
    if (!Visible && Client && QWidget::mouseGrabber() == Client) Client->releaseMouse();
    w->setVisible(Visible);
  }
}

void TQtPeer::SetEnabled(bool Enabled) {
  // Disabled child windows are the input layer's business (their parents get the
  // clicks); a disabled top-level window takes no input at all.
  if (!Frame) return;
  if (!Enabled) {
    // Qt moves the focus of a window it disables from the window itself to its next
    // child (a native editor, the port combo's edit): here it only leaves.
    if (Frame->focusWidget() == Frame) Frame->clearFocus();
    Frame->setEnabled(false);
    // The menu bar keeps its look while a modal window disables its window, as the
    // window's own controls do.
    if (MenuBar) {
      QPalette pal = MenuBar->palette();
      for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        pal.setColor(QPalette::Disabled, role, pal.color(QPalette::Active, role));
      MenuBar->setPalette(pal);
    }
    return;
  }
  Frame->setEnabled(true);
  if (MenuBar) MenuBar->setPalette(QPalette());
  // Qt, activating a window without a focus widget, focuses its first native editor.
  // The window's focus widget becomes the one of the layer's focus again (the frame
  // itself for a painted control or when the focus is elsewhere), which Qt restores
  // when the window is activated once the modal box or form is gone.
  HWND focus = GetFocus();
  auto* peer = focus && GetAncestorRoot(focus) == Wnd ? dynamic_cast<TQtPeer*>(WindowPeer(focus)) : nullptr;
  if (auto* native = dynamic_cast<TQtNativePeer*>(peer); native && native->Widget() && native->Widget()->isEnabled())
    native->Widget()->setFocus(Qt::OtherFocusReason);
  else
    Frame->setFocus(Qt::OtherFocusReason);
}

void TQtPeer::SetCaption(const std::string& Text) {
  if (Frame) Frame->setWindowTitle(ToQt(Text));
}

void TQtPeer::SetZOrder(bool Top) {
  if (QWidget* w = Outer(); w && !(Offscreen && TopLevel)) {
    if (Top) w->raise();
    else w->lower();
  }
}

void TQtPeer::Present(const TRect& R) {
  if (Client) Client->update(QRect(R.Left, R.Top, R.Width(), R.Height()));
}

void TQtPeer::RequestUpdate() {
  if (Client) Client->update();
}

void TQtPeer::SetCursor(HCURSOR Cursor) {
  if (QWidget* w = Outer()) w->setCursor(QCursor(CursorShapeOf(Cursor)));
}

void TQtPeer::SetFocus() {
  TQtPeer* root = Root();
  if (root && root->Frame && !root->Frame->hasFocus()) root->Frame->setFocus(Qt::OtherFocusReason);
}

void TQtPeer::Activate() {
  if (!Frame || !Frame->isVisible()) return;
  if (!Offscreen) Frame->raise();
  if (SystemFrame) Frame->activateWindow();
}

void TQtPeer::SetCapture(bool On) {
  if (!Client || Offscreen) return;
  if (On && Client->isVisible()) Client->grabMouse();
  else if (!On && QWidget::mouseGrabber() == Client) Client->releaseMouse();
}

// The window manager's own resize (X11 and others that have one); offscreen there
// is none, and the layer follows the pointer instead.
bool TQtPeer::StartSystemResize(int Edge) {
  if (!TopLevel || !Frame || Offscreen) return false;
  QWindow* w = Frame->windowHandle();
  if (!w) return false;
  Qt::Edges edges;
  if (Edge == WMSZ_LEFT || Edge == WMSZ_TOPLEFT || Edge == WMSZ_BOTTOMLEFT) edges |= Qt::LeftEdge;
  if (Edge == WMSZ_RIGHT || Edge == WMSZ_TOPRIGHT || Edge == WMSZ_BOTTOMRIGHT) edges |= Qt::RightEdge;
  if (Edge == WMSZ_TOP || Edge == WMSZ_TOPLEFT || Edge == WMSZ_TOPRIGHT) edges |= Qt::TopEdge;
  if (Edge == WMSZ_BOTTOM || Edge == WMSZ_BOTTOMLEFT || Edge == WMSZ_BOTTOMRIGHT) edges |= Qt::BottomEdge;
  return edges && w->startSystemResize(edges);
}

void TQtPeer::SetMenu(TMenu* AMenu) {
  if (!Frame) return;
  Menu = AMenu;
  if (!AMenu) {
    if (MenuBar) Dispose(MenuBar);
    MenuBar = nullptr;
  } else if (!MenuBar) {
    MenuBar = NewQtMenuBar(Frame);
    MenuBar->setNativeMenuBar(false);
    MenuBar->show();
  }
  RebuildMenu();
  SetBounds(Bounds, ClientArea);
}

void TQtPeer::MenuChanged() {
  // Rebuilt after the event in hand: an action may be the one being triggered.
  if (MenuDirty || !Frame) return;
  MenuDirty = true;
  QPointer<TFrameWidget> frame = Frame;
  QTimer::singleShot(0, Frame, [frame] {
    if (frame && frame->Peer) frame->Peer->RebuildMenu();
  });
}

void TQtPeer::RebuildMenu() {
  MenuDirty = false;
  if (!MenuBar) return;
  // The bar's drop-downs are its children and clear() leaves them: they go too,
  // closed first if open, since their rows point at the items as they were.
  const auto old = MenuBar->findChildren<QMenu*>(Qt::FindDirectChildrenOnly);
  MenuBar->clear();
  for (QMenu* m : old) Dispose(m);
  if (Menu) FillQtMenu(MenuBar, Menu->Items(), true, Menu->OwnerDraw(), {});
}

// ---------------------------------------------------------------------------
// Native peers

namespace {

// Sends a Qt event to the native widget itself (bypassing the translation).
void Replay(TQtNativePeer* P, QEvent* E) {
  if (!P->Widget()) return;
  P->Replaying = true;
  QCoreApplication::sendEvent(P->Widget(), E);
  P->Replaying = false;
}

void ReplayKey(TQtNativePeer* P, int Key, Qt::KeyboardModifiers Mods, const QString& Text) {
  QKeyEvent press(QEvent::KeyPress, Key, Mods, Text);
  Replay(P, &press);
  QKeyEvent release(QEvent::KeyRelease, Key, Mods, Text);
  Replay(P, &release);
}

class TNativeFilter : public QObject {
public:
  TNativeFilter(TQtNativePeer* APeer, QObject* Parent) : QObject(Parent), Peer(APeer) {}
  TQtNativePeer* Peer;
  bool eventFilter(QObject*, QEvent* E) override {
    if (!Peer || Peer->Replaying) return false;
    QWidget* w = Peer->Widget();
    switch (E->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(E);
        UINT msg = E->type() == QEvent::MouseMove ? WM_MOUSEMOVE
                   : E->type() == QEvent::MouseButtonPress ? ButtonMsg(m->button(), WM_LBUTTONDOWN)
                   : E->type() == QEvent::MouseButtonRelease ? ButtonMsg(m->button(), WM_LBUTTONUP)
                                                              : ButtonMsg(m->button(), WM_LBUTTONDBLCLK);
        return Translate(msg, 0, [&] { SendMouse(w, Peer, m, msg); });
      }
      case QEvent::ShortcutOverride:
        E->accept();
        return true;
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        auto* k = static_cast<QKeyEvent*>(E);
        return Translate(0, 0, [&] { SendKey(w, Peer, k, E->type() == QEvent::KeyPress); });
      }
      case QEvent::InputMethod: {
        auto* im = static_cast<QInputMethodEvent*>(E);
        if (im->commitString().isEmpty()) return false;
        QtGuard(w, [&] {
          bool lossless = true;
          std::string gbk = FromQt(im->commitString(), &lossless);
          if (!lossless) MessageBeep(0);
          if (!gbk.empty()) InputChars(gbk);
        });
        return true;
      }
      case QEvent::FocusIn: {
        // Keys never reach Qt's own tab navigation, so a focus coming by tab is Qt
        // moving it by itself (away from a widget being hidden or disabled): the
        // layer keeps its focus, and Qt's goes back to it once the event is done.
        Qt::FocusReason reason = static_cast<QFocusEvent*>(E)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
          QTimer::singleShot(0, w, [] {
            QtGuard(nullptr, [] {
              if (HWND focus = GetFocus())
                if (TWindowPeer* p = WindowPeer(focus)) p->SetFocus();
            });
          });
          return false;
        }
        HWND wnd = Peer->Wnd;
        QtGuard(w, [&] { InputNativeFocus(wnd); });
        return false;
      }
      default:
        return false;
    }
  }

private:
  // Runs the translation with the message in flight; the widget gets the event only
  // when the message reached the default window procedure.
  template <class F>
  bool Translate(UINT Msg, WPARAM WParam, F&& Send) {
    QPointer<QObject> guard(this);
    TQtNativePeer* p = Peer;
    if (Msg) {
      p->InFlightMsg = Msg;
      p->InFlightWParam = WParam;
      p->InFlightHasText = false;
    }
    p->PassInFlight = false;
    Send();
    if (!guard || !Peer) return true;
    bool pass = Peer->PassInFlight;
    Peer->InFlightMsg = 0;
    Peer->PassInFlight = false;
    return !pass;
  }
};

}  // namespace

TQtNativePeer::TQtNativePeer(const TPeerParams& P, const TNativeFactory& Factory) : TQtPeer(P) {
  // The painted client made by the base is replaced by the native widget.
  QWidget* parent = ParentClientWidget(P.Parent);
  if (auto* painted = dynamic_cast<TPeerWidget*>(Client.data())) {
    painted->Peer = nullptr;
    delete painted;
  }
  QWidget* w = Factory(parent);
  Client = w;
  w->hide();
  w->setMouseTracking(true);
  auto* filter = new TNativeFilter(this, w);
  NativeFilter = filter;
  w->installEventFilter(filter);
  w->setEnabled(!(P.Style & WS_DISABLED));
  SetBounds(P.Bounds, P.Client);
}

TQtNativePeer::~TQtNativePeer() {
  if (auto* f = static_cast<TNativeFilter*>(NativeFilter.data())) f->Peer = nullptr;
}

void TQtNativePeer::SetEnabled(bool Enabled) {
  if (Client) Client->setEnabled(Enabled);
}

void TQtNativePeer::SetCaption(const std::string&) {}

void TQtNativePeer::SetFocus() {
  if (Client && !Client->hasFocus()) Client->setFocus(Qt::OtherFocusReason);
}

bool TQtNativePeer::DefaultProc(TMessage& M) {
  QWidget* w = Client;
  if (!w) return false;
  bool key = M.Msg == WM_KEYDOWN || M.Msg == WM_KEYUP || M.Msg == WM_SYSKEYDOWN || M.Msg == WM_SYSKEYUP;
  if (InFlightMsg && M.Msg == InFlightMsg && (!key || M.WParam == InFlightWParam)) {
    // The event being translated: the widget may have it, except the key-down of
    // a typed character, which comes back as WM_CHAR.
    if (!((M.Msg == WM_KEYDOWN || M.Msg == WM_SYSKEYDOWN) && InFlightHasText)) PassInFlight = true;
    return true;
  }
  switch (M.Msg) {
    case WM_CHAR: {
      auto b = static_cast<unsigned char>(M.WParam & 0xFF);
      std::string gbk;
      if (!PendingLead.empty()) {
        gbk = PendingLead + static_cast<char>(b);
        PendingLead.clear();
      } else if (IsGbkLeadByte(b)) {
        PendingLead = std::string(1, static_cast<char>(b));
        return true;
      } else if (b < 0x20) {
        switch (b) {
          case 8: ReplayKey(this, Qt::Key_Backspace, Qt::NoModifier, {}); break;
          case 13: ReplayKey(this, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")); break;
          case 27: ReplayKey(this, Qt::Key_Escape, Qt::NoModifier, {}); break;
          case 9: ReplayKey(this, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t")); break;
          default:
            if (b >= 1 && b <= 26) ReplayKey(this, Qt::Key_A + b - 1, Qt::ControlModifier, {});
        }
        return true;
      } else {
        gbk = std::string(1, static_cast<char>(b));
      }
      ReplayKey(this, 0, Qt::NoModifier, ToQt(gbk));
      return true;
    }
    case WM_KEYDOWN: case WM_KEYUP: {
      int qk = VirtualKeyToQtKey(static_cast<WORD>(M.WParam));
      if (!qk) return true;
      QKeyEvent e(M.Msg == WM_KEYDOWN ? QEvent::KeyPress : QEvent::KeyRelease, qk, QApplication::keyboardModifiers());
      Replay(this, &e);
      return true;
    }
    case WM_SETTEXT: {
      const char* t = reinterpret_cast<const char*>(M.LParam);
      if (w->metaObject()->indexOfProperty("text") < 0) return false;
      w->setProperty("text", ToQt(t ? t : ""));
      M.Result = TRUE;
      return true;
    }
    case WM_GETTEXT: case WM_GETTEXTLENGTH: {
      if (w->metaObject()->indexOfProperty("text") < 0) return false;
      ReplyWindowText(M, FromQt(w->property("text").toString()));
      return true;
    }
    case WM_CUT: case WM_COPY: case WM_PASTE: case WM_CLEAR: case WM_UNDO: {
      const char* slot = M.Msg == WM_CUT ? "cut" : M.Msg == WM_COPY ? "copy" : M.Msg == WM_PASTE ? "paste"
                         : M.Msg == WM_CLEAR ? "del" : "undo";
      QMetaObject::invokeMethod(w, slot);
      return true;
    }
    case WM_ERASEBKGND:
      M.Result = 1;
      return true;
    case WM_PAINT: {
      HDC dc = reinterpret_cast<HDC>(M.WParam);
      if (!dc) return false;
      // Painting into a given device context (PaintTo): the widget as it looks. The
      // context's origin is the client area's, which the widget may not start at
      // (an edit's widget covers its frame too).
      QImage img = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
      const int sx = std::max(0, ClientArea.Left), sy = std::max(0, ClientArea.Top);
      std::vector<uint32_t> rows(static_cast<size_t>(img.width()) * static_cast<size_t>(img.height()));
      for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) rows[static_cast<size_t>(y) * img.width() + x] = line[x] & 0xFFFFFF;
      }
      HBITMAP bmp = CreateBitmap(img.width(), img.height(), 1, 32, rows.data());
      HDC src = CreateCompatibleDC(nullptr);
      HGDIOBJ old = SelectObject(src, bmp);
      BitBlt(dc, 0, 0, img.width() - sx, img.height() - sy, src, sx, sy, SRCCOPY);
      SelectObject(src, old);
      DeleteDC(src);
      DeleteObject(bmp);
      return true;
    }
    case WM_SETFONT: {
      LOGFONT lf;
      if (!M.WParam || !GetObject(reinterpret_cast<HFONT>(M.WParam), lf)) return true;
      QFont f = w->font();
      // The layer's own family list: a face name alone lets fontconfig pick by the
      // locale, and under Chinese its choice draws Latin in the CJK face and some
      // symbols (℃, ℉) as nothing.
      f.setFamilies(FontFamilies(lf.lfFaceName, (lf.lfPitchAndFamily & 3) == FIXED_PITCH));
      if (lf.lfHeight) f.setPixelSize(std::abs(lf.lfHeight));
      f.setBold(lf.lfWeight >= FW_BOLD);
      f.setItalic(lf.lfItalic != 0);
      w->setFont(f);
      return true;
    }
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------

QImage GrabWindowImage(HWND Wnd, bool FromScreen) {
  auto* p = dynamic_cast<TQtPeer*>(WindowPeer(Wnd));
  if (!p || !p->Outer()) return {};
  UpdatePendingWindows();
  QWidget* w = p->Outer();
  if (!FromScreen) return w->grab().toImage();
  QWidget* top = w->window();
  QScreen* screen = top->screen();
  if (!screen) return {};
  QPoint at = w->mapToGlobal(QPoint(0, 0));
  return screen->grabWindow(0, at.x(), at.y(), w->width(), w->height()).toImage();
}

}  // namespace qtbackend
