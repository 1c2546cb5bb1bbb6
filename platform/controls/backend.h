#pragma once
// The windowing system under the controls, as an interface the controls call: one
// peer per window (top-level or child), the screen, the clipboard, the event-loop
// hooks and the native dialogs and menus. The Qt backend (platform/backend/qt)
// implements it; without one, a headless backend keeps windows as back buffers
// only, so controls can be built, painted and driven in tests without a display.
//
// The layer owns every window's back buffer and its invalid region; a peer only
// shows the buffer (Present), asks for painting (RequestUpdate) and carries the
// native window. Input comes back through platform/controls/input.h.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/controls/winmsg.h"
#include "platform/graphics/colors.h"

class TMenuItem;
class TMenu;

// A cursor shape: one of the predefined cursors (IDC_ARROW ...) or one made by
// the backend.
using HCURSOR = struct HCURSOR__*;

// What a peer is created with. Geometry: a child's Bounds are its window
// rectangle in the parent's client coordinates; a top-level window's Bounds are
// its outer rectangle on the screen, and Client its client rectangle inside
// (window coordinates). A top-level window with SystemFrame gets its caption and
// borders from the windowing system: its back buffer covers only the client area.
struct TPeerParams {
  HWND Wnd = nullptr;
  HWND Parent = nullptr;  // child windows: the parent window
  HWND Owner = nullptr;   // top-level windows: the window it belongs to (stays above it)
  std::string ClassName;  // "" for windows the layer paints; else a native class (see HasNativeClass)
  DWORD Style = 0;
  DWORD ExStyle = 0;
  TRect Bounds;
  TRect Client;
  bool SystemFrame = false;
  std::string Caption;  // GBK
};

class TWindowPeer {
public:
  virtual ~TWindowPeer() = default;
  // New geometry (see TPeerParams).
  virtual void SetBounds(const TRect& Bounds, const TRect& Client) = 0;
  virtual void SetVisible(bool Visible) = 0;
  virtual void SetEnabled(bool Enabled) = 0;
  virtual void SetCaption(const std::string& Text) = 0;
  // Raises the window above its siblings (Top) or lowers it below them.
  virtual void SetZOrder(bool Top) = 0;
  // The back buffer changed within R (buffer coordinates): show it.
  virtual void Present(const TRect& R) = 0;
  // The window has invalid parts: call UpdateWindow soon.
  virtual void RequestUpdate() = 0;
  virtual void SetCursor(HCURSOR) {}
  // The layer's focus moved to this window: native keyboard focus follows.
  virtual void SetFocus() {}
  // Top-level windows: bring to the front and make active.
  virtual void Activate() {}
  // Keep the pointer coming to this window while it is outside (capture).
  virtual void SetCapture(bool) {}
  // Starts the windowing system's own resize of a top-level window from an edge
  // (WMSZ_LEFT .. WMSZ_BOTTOMRIGHT) while a button is held; false when it has
  // none, and the layer then follows the pointer itself.
  virtual bool StartSystemResize(int) { return false; }
  // Top-level windows: the menu bar (nullptr removes it); MenuChanged rebuilds it.
  virtual void SetMenu(TMenu*) {}
  virtual void MenuChanged() {}
  // Native peers: the native control's own handling of a message that reached
  // the default window procedure. Returns whether it handled it.
  virtual bool DefaultProc(TMessage&) { return false; }
  virtual bool Native() const { return false; }
  // Edit peers: show or hide the text caret (HideCaret / ShowCaret).
  virtual void SetCaretVisible(bool) {}
};

// How a popup menu stands against its screen point: the point is its left edge,
// its right edge or its middle (Align), at its top; RightToLeft lays its rows out
// right to left (text at the right, submenus opening to the left).
enum class TPopupAlign { paLeft, paRight, paCenter };
struct TPopupPlacement {
  TPopupAlign Align = TPopupAlign::paLeft;
  bool RightToLeft = false;
};

struct TMonitorInfo {
  TRect Bounds;
  TRect WorkArea;
  bool Primary = false;
};

// A standard file dialog; GBK text. Filter: "Text files|*.txt|All|*.*".
struct TFileDialogRequest {
  bool Save = false;
  HWND Owner = nullptr;
  std::string Title;
  std::string InitialDir;
  std::string FileName;
  std::string Filter;
  int FilterIndex = 1;  // 1-based
  std::string DefaultExt;
  bool OverwritePrompt = false;
  bool FileMustExist = false;
  bool PathMustExist = false;
  bool AllowMultiSelect = false;
  // Results: the chosen files (FileName is the first) and the filter used.
  std::vector<std::string> Files;
  // Set by a dialog that kept to FileMustExist, PathMustExist and OverwritePrompt
  // itself (asking the user there); otherwise the dialog component checks them.
  bool Confirmed = false;
};

struct TColorDialogRequest {
  HWND Owner = nullptr;
  TColor Color = 0;
  std::vector<TColor> CustomColors;
  bool FullOpen = false;
};

class TBackend {
public:
  virtual ~TBackend() = default;
  virtual std::unique_ptr<TWindowPeer> CreatePeer(const TPeerParams& Params) = 0;
  // Whether the backend has a native window class of this name (an edit, a
  // list ...). Controls fall back to painting themselves when it has not.
  virtual bool HasNativeClass(const std::string&) const { return false; }

  // Screen: the monitors, the primary first.
  virtual std::vector<TMonitorInfo> Monitors() = 0;
  virtual TPoint CursorPos() = 0;
  // Moves the pointer (a program asking for it).
  virtual void SetCursorPos(TPoint P) = 0;
  // Where the last input event had the pointer (screen coordinates).
  virtual void NotePointer(TPoint) {}
  // The cursor shown everywhere (Screen->Cursor); nullptr: each window's own.
  virtual void SetOverrideCursor(HCURSOR) {}

  // Clipboard text (GBK).
  virtual bool ClipboardHasText() = 0;
  virtual std::string ClipboardText() = 0;
  virtual void SetClipboardText(const std::string& Text) = 0;

  // Event loop. ProcessEvents handles what has arrived; with Wait it first sleeps
  // until something arrives (a native event, a posted message, the next timer).
  virtual void ProcessEvents(bool Wait) = 0;
  // Ends a ProcessEvents(true) that is sleeping.
  virtual void Wake() = 0;
  // The next WM_TIMER is due at DueMs on the clock service (none: no timers).
  virtual void TimerDue(std::optional<std::uint64_t> DueMs) = 0;

  // Native modal things; the modal runner calls these.
  virtual int MessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Type) = 0;
  // Shows the items of Root as a popup menu at a screen point, placed against it as
  // Placement says; the chosen item or nullptr. The item is not clicked.
  virtual TMenuItem* TrackPopupMenu(TMenuItem* Root, TPoint ScreenPos, HWND Owner,
                                    const TPopupPlacement& Placement) = 0;
  virtual bool FileDialog(TFileDialogRequest& Request) = 0;
  virtual bool ColorDialog(TColorDialogRequest& Request) = 0;
  virtual void Beep() {}
  // Opens a URL or a file (GBK) with the desktop's handler for it; false when none
  // took it. Without a windowing system nothing is opened.
  virtual bool ShellOpen(const std::string&) { return false; }
  // The frame of a control dragged to dock, above every window: R in screen
  // coordinates, Width pixels thick, in a half-tone pattern; an empty R removes
  // it. Without a windowing system nothing is drawn.
  virtual void ShowDragFrame(const TRect&, int) {}
};

// Opens a URL or a file with the desktop's handler (the backend's ShellOpen);
// false when it could not be opened. Tests replace the opener to record the call
// instead of starting a program; nullptr restores the backend's.
using TShellOpener = bool (*)(const std::string& Target);
bool ShellOpen(const std::string& Target);
void SetShellOpener(TShellOpener Opener);

// The backend in use: the headless one until another is installed.
TBackend& Backend();
// Installs a backend (not owned); nullptr restores the headless one. Install it
// before any window exists.
void SetBackend(TBackend* ABackend);

// The backend without a windowing system: peers keep only the state they are
// given, the screen is one 1024 x 768 monitor with a 40-pixel task bar at the
// bottom, the clipboard is a string, dialogs answer "cancelled", and ProcessEvents
// waits on the message queue and the clock service.
class THeadlessBackend : public TBackend {
public:
  std::unique_ptr<TWindowPeer> CreatePeer(const TPeerParams& Params) override;
  std::vector<TMonitorInfo> Monitors() override;
  TPoint CursorPos() override { return FCursor; }
  void SetCursorPos(TPoint P) override { FCursor = P; }
  void NotePointer(TPoint P) override { FCursor = P; }
  bool ClipboardHasText() override { return FHasClip; }
  std::string ClipboardText() override { return FClip; }
  void SetClipboardText(const std::string& Text) override {
    FClip = Text;
    FHasClip = true;
  }
  void ProcessEvents(bool Wait) override;
  void Wake() override;
  void TimerDue(std::optional<std::uint64_t> DueMs) override { FDue = DueMs; }
  int MessageBox(HWND, const std::string&, const std::string&, UINT Type) override;
  TMenuItem* TrackPopupMenu(TMenuItem*, TPoint, HWND, const TPopupPlacement&) override { return nullptr; }
  bool FileDialog(TFileDialogRequest&) override { return false; }
  bool ColorDialog(TColorDialogRequest&) override { return false; }

private:
  TPoint FCursor;
  std::string FClip;
  bool FHasClip = false;
  std::optional<std::uint64_t> FDue;
  int FWakeFd = -1;
};
