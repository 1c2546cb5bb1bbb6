#pragma once
// The Qt backend's classes: window peers and their widgets, native peers, the
// backend itself, and the translation of Qt events (keys, text, mouse) into the
// controls' input calls. Every entry from Qt goes through QtGuard, which catches
// any exception for Application->HandleException: none crosses Qt's event loop.
#include <QImage>
#include <QLocale>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/backend.h"
#include "platform/controls/winuser.h"
#include "platform/graphics/qtgbk.h"

class QMenuBar;
class QMenu;
class QKeyEvent;
class QMouseEvent;
class QSocketNotifier;
class QTimer;

// Everything of the backend but the programs' entry points (qt_backend.h).
namespace qtbackend {

class TQtPeer;

// Runs F as one entry from Qt. Widget (may be null) is in use meanwhile: a peer
// destroyed while one of its widgets (or a child's) is in use is hidden and freed
// once the last entry using it returns.
void QtGuard(QWidget* Widget, const std::function<void()>& F);

// ---------------------------------------------------------------------------
// Event translation

// The virtual-key code of a Qt key (0 for none).
WORD QtKeyToVirtualKey(int Key, Qt::KeyboardModifiers Modifiers);
// The Qt key of a virtual-key code (for replaying keys to native widgets).
int VirtualKeyToQtKey(WORD VKey);
// The GBK bytes a key press types (control characters as the OS makes them:
// Enter 13, Escape 27, Backspace 8, Tab 9, Ctrl+letter 1..26). Refused: a
// character GBK cannot hold gives Refused = true and no bytes.
std::string QtKeyChars(const QKeyEvent* E, bool& Refused);
// A key without a virtual key of its own (a degree sign, a letter of another
// layout) types its text all the same: its press sends the GBK bytes as WM_CHAR to
// the focused window, or beeps when GBK cannot hold a character.
void TypeUnmappedKey(const QKeyEvent* E, bool Press);
LPARAM QtKeyData(const QKeyEvent* E, bool Release);
// The key state follows the modifiers of every event.
void SyncModifiers(Qt::KeyboardModifiers Modifiers);
WPARAM QtMouseKeys(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Modifiers);

// Loads Qt's translations of its own texts for Locale in place of the ones loaded
// before (none for a locale without translations: false). The backend loads the
// system locale's when it starts.
bool LoadQtTranslations(const QLocale& Locale);

// ---------------------------------------------------------------------------
// Peers

// Shows one window's back buffer and turns the pointer's events into input.
class TPeerWidget : public QWidget {
public:
  TPeerWidget(TQtPeer* APeer, QWidget* Parent);
  TQtPeer* Peer;  // nullptr once the window is gone
protected:
  void paintEvent(QPaintEvent* E) override;
  void mousePressEvent(QMouseEvent* E) override;
  void mouseReleaseEvent(QMouseEvent* E) override;
  void mouseDoubleClickEvent(QMouseEvent* E) override;
  void mouseMoveEvent(QMouseEvent* E) override;
  void wheelEvent(QWheelEvent* E) override;
  void timerEvent(QTimerEvent* E) override;

private:
  int ReleaseTimer = 0;  // a large buffer is let go when it has not been painted for a while
};

// A top-level window: the menu bar (when there is a menu) above the client widget;
// it takes the keyboard and the window-manager events.
class TFrameWidget : public QWidget {
public:
  TFrameWidget(TQtPeer* APeer, Qt::WindowFlags Flags);
  TQtPeer* Peer;
protected:
  bool event(QEvent* E) override;
  void inputMethodEvent(QInputMethodEvent* E) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery Query) const override;
};

class TQtPeer : public TWindowPeer {
public:
  explicit TQtPeer(const TPeerParams& Params);
  ~TQtPeer() override;

  void SetBounds(const TRect& Bounds, const TRect& Client) override;
  void SetVisible(bool Visible) override;
  void SetEnabled(bool Enabled) override;
  void SetCaption(const std::string& Text) override;
  void SetZOrder(bool Top) override;
  void Present(const TRect& R) override;
  void RequestUpdate() override;
  void SetCursor(HCURSOR Cursor) override;
  void SetFocus() override;
  void Activate() override;
  void SetCapture(bool On) override;
  bool StartSystemResize(int Edge) override;
  void SetMenu(TMenu* Menu) override;
  void MenuChanged() override;

  // The peer of the top-level window this one is in.
  TQtPeer* Root();
  // The outermost widget (the frame of a top-level window).
  QWidget* Outer() const;
  // Where a widget's point is in the top-level window's client coordinates.
  TPoint ToRootClient(QWidget* From, QPoint P);
  // The back buffer as an image (shares the pixels).
  QImage BufferImage() const;
  void LayoutFrame();
  void RebuildMenu();

  HWND Wnd;
  HWND ParentWnd;
  bool TopLevel;
  bool SystemFrame;
  QPointer<TFrameWidget> Frame;
  QPointer<QWidget> Client;
  QPointer<QMenuBar> MenuBar;
  TMenu* Menu = nullptr;
  bool MenuDirty = false;
  bool Offscreen = false;  // the platform cannot raise windows or grab the pointer
  TRect Bounds;
  TRect ClientArea;
};

// A native widget as a window (an edit, a list ...): the widget paints itself and
// handles what reaches the default window procedure. Its events become input like
// a painted window's; an event whose message the control keeps (does not pass to
// the default procedure) does not reach the widget.
using TNativeFactory = std::function<QWidget*(QWidget* Parent)>;
void RegisterNativeClass(const std::string& ClassName, TNativeFactory Factory);
bool NativeClassRegistered(const std::string& ClassName);
TNativeFactory NativeFactory(const std::string& ClassName);

// A window class that makes its own peers (an edit whose native widget sits inside
// the frame the layer paints ...): CreatePeer asks it before the native widget
// classes, and HasNativeClass counts it.
using TPeerFactory = std::function<std::unique_ptr<TWindowPeer>(const TPeerParams& Params)>;
void RegisterPeerClass(const std::string& ClassName, TPeerFactory Factory);
TPeerFactory PeerClassFactory(const std::string& ClassName);
// Registers the edit, memo and rich edit peers (qt_edit.cpp).
void RegisterEditPeers();

class TQtNativePeer : public TQtPeer {
public:
  TQtNativePeer(const TPeerParams& Params, const TNativeFactory& Factory);
  // Detaches the widget's event filter first: the widget's own destruction still
  // sends it events (a focus-out), which must not reach a half-destroyed peer.
  ~TQtNativePeer() override;
  bool DefaultProc(TMessage& M) override;
  bool Native() const override { return true; }
  void SetEnabled(bool Enabled) override;
  void SetCaption(const std::string& Text) override;
  void SetFocus() override;
  QWidget* Widget() const { return Client; }
  QPointer<QObject> NativeFilter;  // the widget's event filter

  // The message of the Qt event being translated, and whether it reached the
  // default procedure (then the widget gets the event).
  UINT InFlightMsg = 0;
  WPARAM InFlightWParam = 0;
  bool PassInFlight = false;
  bool InFlightHasText = false;
  std::string PendingLead;  // a GBK lead byte waiting for its trail byte
  bool Replaying = false;   // events the peer sends the widget itself
};

// ---------------------------------------------------------------------------
// The backend

class TQtBackend : public TBackend {
public:
  TQtBackend();
  ~TQtBackend() override;
  std::unique_ptr<TWindowPeer> CreatePeer(const TPeerParams& Params) override;
  bool HasNativeClass(const std::string& ClassName) const override;
  std::vector<TMonitorInfo> Monitors() override;
  TPoint CursorPos() override;
  void SetCursorPos(TPoint P) override;
  void NotePointer(TPoint P) override { FLastPointer = P; }
  void SetOverrideCursor(HCURSOR Cursor) override;
  bool ClipboardHasText() override;
  std::string ClipboardText() override;
  void SetClipboardText(const std::string& Text) override;
  void ProcessEvents(bool Wait) override;
  void Wake() override;
  void TimerDue(std::optional<std::uint64_t> DueMs) override;
  int MessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Type) override;
  TMenuItem* TrackPopupMenu(TMenuItem* Root, TPoint ScreenPos, HWND Owner, const TPopupPlacement& Placement) override;
  bool FileDialog(TFileDialogRequest& Request) override;
  bool ColorDialog(TColorDialogRequest& Request) override;
  void Beep() override;
  bool ShellOpen(const std::string& Target) override;
  void ShowDragFrame(const TRect& R, int Width) override;

  // Whether the platform has no real display (offscreen).
  bool Offscreen() const { return FOffscreen; }

private:
  QSocketNotifier* FQueueNotifier = nullptr;
  QTimer* FTimer = nullptr;
  TPoint FLastPointer;
  bool FOffscreen = false;
  bool FOverride = false;
  QWidget* FDragFrame = nullptr;
};

// The cursor shape of a handle.
Qt::CursorShape CursorShapeOf(HCURSOR Cursor);
// Fills a menu (or the menu bar, TopLevel) with Root's items; the actions click
// their items when triggered unless Choose is given, which then receives the item.
void FillQtMenu(QWidget* Menu, TMenuItem* Root, bool TopLevel, bool OwnerDraw,
                const std::function<void(TMenuItem*)>& Choose);
// A form's menu bar: it paints the entries whose items are drawn by their owner.
QMenuBar* NewQtMenuBar(QWidget* Parent);
// The layer's system colours (button face, window, highlight ...) as a Qt palette;
// the application's palette once the backend is installed.
QPalette SystemPalette();
// Popup menus in the system's menu colours (their palette and the drawing of their
// background); the backend installs it after the application's palette.
void InstallMenuLook();
// The image a window's peers show (its children included).
QImage GrabWindowImage(HWND Wnd, bool FromScreen);

}  // namespace qtbackend
