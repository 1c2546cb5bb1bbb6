#pragma once
// The window calls of the OS the controls are written against (user32), over this
// layer's own windows: every window is a handle of the message system
// (platform/win32/messages.h), so SendMessage and PostMessage reach a control
// exactly as they reach a message-only window. A window has a rectangle, a client
// area computed by WM_NCCALCSIZE, a back buffer that this layer paints through
// WM_NCPAINT, WM_ERASEBKGND and WM_PAINT, and a peer from the backend that shows
// it. Focus, capture, the key state and timers are kept here too. GUI thread only,
// except PostMessage.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/controls/backend.h"
#include "platform/controls/winmsg.h"
#include "platform/graphics/gdi.h"

// ---------------------------------------------------------------------------
// Styles
// ---------------------------------------------------------------------------

constexpr DWORD WS_OVERLAPPED = 0x00000000, WS_TABSTOP = 0x00010000, WS_GROUP = 0x00020000,
                WS_MAXIMIZEBOX = 0x00010000, WS_MINIMIZEBOX = 0x00020000,
                WS_THICKFRAME = 0x00040000, WS_SYSMENU = 0x00080000, WS_HSCROLL = 0x00100000,
                WS_VSCROLL = 0x00200000, WS_DLGFRAME = 0x00400000, WS_BORDER = 0x00800000,
                WS_CAPTION = 0x00C00000, WS_MAXIMIZE = 0x01000000, WS_CLIPCHILDREN = 0x02000000,
                WS_CLIPSIBLINGS = 0x04000000, WS_DISABLED = 0x08000000, WS_VISIBLE = 0x10000000,
                WS_MINIMIZE = 0x20000000, WS_CHILD = 0x40000000, WS_POPUP = 0x80000000,
                WS_OVERLAPPEDWINDOW = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                      WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001, WS_EX_TOPMOST = 0x00000008,
                WS_EX_TRANSPARENT = 0x00000020, WS_EX_TOOLWINDOW = 0x00000080,
                WS_EX_WINDOWEDGE = 0x00000100, WS_EX_CLIENTEDGE = 0x00000200,
                WS_EX_CONTEXTHELP = 0x00000400, WS_EX_RIGHT = 0x00001000,
                WS_EX_RTLREADING = 0x00002000, WS_EX_LEFTSCROLLBAR = 0x00004000,
                WS_EX_CONTROLPARENT = 0x00010000, WS_EX_STATICEDGE = 0x00020000,
                WS_EX_APPWINDOW = 0x00040000;
constexpr UINT CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002, CS_DBLCLKS = 0x0008, CS_SAVEBITS = 0x0800;

// GetWindowLong / SetWindowLong.
constexpr int GWL_STYLE = -16, GWL_EXSTYLE = -20;
// ShowWindow.
constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3,
              SW_SHOWNOACTIVATE = 4, SW_SHOW = 5, SW_MINIMIZE = 6, SW_SHOWNA = 8, SW_RESTORE = 9;
// SetWindowPos insert-after values.
inline HWND const HWND_TOP = nullptr;
inline HWND const HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
// RedrawWindow.
constexpr UINT RDW_INVALIDATE = 0x0001, RDW_INTERNALPAINT = 0x0002, RDW_ERASE = 0x0004,
               RDW_VALIDATE = 0x0008, RDW_NOINTERNALPAINT = 0x0010, RDW_NOERASE = 0x0020,
               RDW_NOCHILDREN = 0x0040, RDW_ALLCHILDREN = 0x0080, RDW_UPDATENOW = 0x0100,
               RDW_ERASENOW = 0x0200, RDW_FRAME = 0x0400, RDW_NOFRAME = 0x0800;
// GetDCEx.
constexpr DWORD DCX_WINDOW = 0x0001, DCX_CACHE = 0x0002, DCX_CLIPCHILDREN = 0x0008,
                DCX_CLIPSIBLINGS = 0x0010, DCX_PARENTCLIP = 0x0020, DCX_INTERSECTRGN = 0x0080;

// ---------------------------------------------------------------------------
// Windows
// ---------------------------------------------------------------------------

// What a window is created from (the class library's TCreateParams).
struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;  // the parent (WS_CHILD) or owner window
  std::string WinClassName;   // "" for a painted window; a native class name otherwise
  UINT WindowClassStyle = CS_DBLCLKS;
};

// Creates a window whose messages go to Proc: registers a handle with the message
// system (Created hears of it before the first message), sends WM_NCCALCSIZE (the
// client area), makes its back buffer and its peer, sends WM_CREATE, WM_SIZE and
// WM_MOVE. Shown when Style has WS_VISIBLE. WS_CHILD windows need a parent; others
// are top-level (with a system frame when they have WS_CAPTION or WS_THICKFRAME).
// nullptr when the parent does not exist.
HWND CreateWindowEx(const TCreateParams& Params, TWndMethod Proc,
                    const std::function<void(HWND)>& Created = {});
// Sends WM_DESTROY, destroys the children first, frees the peer and the handle.
BOOL DestroyWindow(HWND Wnd);
// Whether Wnd is one of this layer's windows (a message-only window is not).
bool IsControlWindow(HWND Wnd);
// The default handling of a message, what a window procedure passes on (a native
// peer handles it first): non-client size, hit test and borders by style, WM_SIZE
// and WM_MOVE after WM_WINDOWPOSCHANGED, the window text, WM_SETCURSOR asking the
// parent first, wheel and context-menu messages passed to the parent, WM_CLOSE
// destroying the window, Alt+F4 closing the top-level window.
void DefWindowProc(HWND Wnd, TMessage& Msg);
LRESULT DefWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
// What the default WM_NCCALCSIZE takes off each side of the window rectangle for
// a style (Left, Top, Right, Bottom are the widths).
TRect NonClientInsets(DWORD Style, DWORD ExStyle, bool TopLevel, bool HasMenu);
// A top-level window's menu bar: it takes SM_CYMENU off the client area, and the
// peer shows the menu.
void SetWindowMenu(HWND Wnd, TMenu* Menu);
TMenu* GetWindowMenu(HWND Wnd);

HWND GetParent(HWND Wnd);
// The top-level window that contains Wnd (itself when top-level).
HWND GetAncestorRoot(HWND Wnd);
BOOL IsChild(HWND Parent, HWND Wnd);
LONG GetWindowLong(HWND Wnd, int Index);
LONG SetWindowLong(HWND Wnd, int Index, LONG Value);

BOOL ShowWindow(HWND Wnd, int CmdShow);
BOOL IsWindowVisible(HWND Wnd);  // the window and all its parents are visible
BOOL EnableWindow(HWND Wnd, BOOL Enable);
BOOL IsWindowEnabled(HWND Wnd);
// Moves, sizes, shows, hides and reorders a window; sends WM_WINDOWPOSCHANGING,
// WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE and WM_SIZE as the OS does.
BOOL SetWindowPos(HWND Wnd, HWND InsertAfter, int X, int Y, int Cx, int Cy, UINT Flags);
BOOL MoveWindow(HWND Wnd, int X, int Y, int Width, int Height, BOOL Repaint);
// The window rectangle on the screen; the client rectangle (0, 0, width, height).
BOOL GetWindowRect(HWND Wnd, TRect* R);
BOOL GetClientRect(HWND Wnd, TRect* R);
// The client area within the window rectangle (window coordinates).
TRect GetClientArea(HWND Wnd);
// The window rectangle as placed: in the parent's client coordinates for a child,
// the outer rectangle the program (or the user) gave a top-level window.
TRect GetWindowPlacement(HWND Wnd);
BOOL ClientToScreen(HWND Wnd, TPoint* P);
BOOL ScreenToClient(HWND Wnd, TPoint* P);
int MapWindowPoints(HWND From, HWND To, TPoint* Points, UINT Count);
// The deepest visible, enabled window at a screen point (nullptr: none of ours).
HWND WindowFromPoint(TPoint P);
// Child windows of Parent, bottom of the z-order first.
std::vector<HWND> ChildWindows(HWND Parent);
// Top-level windows, bottom of the z-order first.
std::vector<HWND> TopLevelWindows();

int GetWindowTextLength(HWND Wnd);
std::string GetWindowTextString(HWND Wnd);
BOOL SetWindowText(HWND Wnd, const std::string& Text);

// The window's peer (nullptr for a handle that is not one of this layer's windows).
TWindowPeer* WindowPeer(HWND Wnd);
// The window's back buffer (what its peer shows) and where its client area sits in
// it.
HBITMAP WindowBuffer(HWND Wnd);
TPoint WindowBufferClientOrigin(HWND Wnd);
// Lets a large container window's back buffer go once its peer has shown it (the
// windowing system keeps those pixels): a window that clips its visible child
// windows and has nothing waiting to be painted. The buffer is made again, and the
// window painted whole, when it next paints or is drawn on.
void ReleaseShownBuffer(HWND Wnd);

// ---------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = FALSE;
  TRect rcPaint;  // client coordinates
};

// A device context over the client area (GetDC) or the whole window (GetWindowDC)
// in the back buffer. Give it back with ReleaseDC, which shows what was drawn.
HDC GetDC(HWND Wnd);
HDC GetWindowDC(HWND Wnd);
HDC GetDCEx(HWND Wnd, HRGN Clip, DWORD Flags);
int ReleaseDC(HWND Wnd, HDC Dc);
// The paint cycle: BeginPaint sends WM_ERASEBKGND when the invalid region asks for
// erasing, validates the window and returns a device context clipped to what was
// invalid; EndPaint frees it and shows the result.
HDC BeginPaint(HWND Wnd, PAINTSTRUCT* Ps);
BOOL EndPaint(HWND Wnd, const PAINTSTRUCT* Ps);

// R in client coordinates (nullptr: the whole client area).
BOOL InvalidateRect(HWND Wnd, const TRect* R, BOOL Erase);
BOOL InvalidateRgn(HWND Wnd, HRGN Rgn, BOOL Erase);
BOOL ValidateRect(HWND Wnd, const TRect* R);
BOOL GetUpdateRect(HWND Wnd, TRect* R, BOOL Erase);
// Paints the window now when it has an invalid region or frame: WM_NCPAINT, then
// WM_PAINT (whose BeginPaint sends WM_ERASEBKGND).
BOOL UpdateWindow(HWND Wnd);
// The text caret of a window: HideCaret calls nest and each needs its ShowCaret;
// ShowCaret without a pending HideCaret fails. The window's peer shows the result.
BOOL HideCaret(HWND Wnd);
BOOL ShowCaret(HWND Wnd);
bool IsCaretHidden(HWND Wnd);
BOOL RedrawWindow(HWND Wnd, const TRect* R, HRGN Rgn, UINT Flags);
// Paints every window that waits for it (what a message loop does when idle).
void UpdatePendingWindows();
// WM_SETREDRAW false suspends painting of a window until it is set true again.
bool WindowRedrawEnabled(HWND Wnd);

// ---------------------------------------------------------------------------
// Focus, activation, capture
// ---------------------------------------------------------------------------

// Moves the keyboard focus: WM_KILLFOCUS to the old window, WM_SETFOCUS to the new
// one (each with the other in WParam). Returns the old focus. A disabled or hidden
// window does not take it (nullptr).
HWND SetFocus(HWND Wnd);
HWND GetFocus();
// The active top-level window: WM_ACTIVATE/WM_NCACTIVATE go to the old and new.
HWND SetActiveWindow(HWND Wnd);
HWND GetActiveWindow();
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND Wnd);
// Mouse capture: while set, every mouse message goes to this window in its client
// coordinates. The window losing it gets WM_CAPTURECHANGED.
HWND SetCapture(HWND Wnd);
BOOL ReleaseCapture();
HWND GetCapture();

// WM_MOUSELEAVE when the pointer leaves the window (TME_LEAVE).
constexpr DWORD TME_HOVER = 0x00000001, TME_LEAVE = 0x00000002, TME_CANCEL = 0x80000000;
constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;
struct TRACKMOUSEEVENT {
  DWORD cbSize = sizeof(TRACKMOUSEEVENT);
  DWORD dwFlags = 0;
  HWND hwndTrack = nullptr;
  DWORD dwHoverTime = HOVER_DEFAULT;
};
BOOL TrackMouseEvent(TRACKMOUSEEVENT* Event);

// ---------------------------------------------------------------------------
// Keyboard and mouse state
// ---------------------------------------------------------------------------

// High bit set (negative) while the key or button is down; bit 0 the toggle state.
std::int16_t GetKeyState(int VirtKey);
std::int16_t GetAsyncKeyState(int VirtKey);
// Sets the state the input layer saw (the backend and tests).
void SetKeyDown(int VirtKey, bool Down);
BOOL GetCursorPos(TPoint* P);
BOOL SetCursorPos(int X, int Y);

// Predefined cursors (LoadCursor(nullptr, IDC_ARROW)).
constexpr std::uintptr_t IDC_ARROW = 32512, IDC_IBEAM = 32513, IDC_WAIT = 32514,
                         IDC_CROSS = 32515, IDC_UPARROW = 32516, IDC_SIZENWSE = 32642,
                         IDC_SIZENESW = 32643, IDC_SIZEWE = 32644, IDC_SIZENS = 32645,
                         IDC_SIZEALL = 32646, IDC_NO = 32648, IDC_HAND = 32649,
                         IDC_APPSTARTING = 32650, IDC_HELP = 32651;
HCURSOR LoadCursor(void* Instance, std::uintptr_t Id);
// Which predefined cursor a handle is (0 for one made otherwise).
std::uintptr_t PredefinedCursorId(HCURSOR Cursor);
// Sets the cursor of the window under the pointer; returns the previous one.
HCURSOR SetCursor(HCURSOR Cursor);
HCURSOR GetCursor();

// ---------------------------------------------------------------------------
// Metrics
// ---------------------------------------------------------------------------

constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3,
              SM_CYCAPTION = 4, SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CXDLGFRAME = 7,
              SM_CYDLGFRAME = 8, SM_CYVTHUMB = 9, SM_CXHTHUMB = 10, SM_CXICON = 11,
              SM_CYICON = 12, SM_CXCURSOR = 13, SM_CYCURSOR = 14, SM_CYMENU = 15,
              SM_CXFULLSCREEN = 16, SM_CYFULLSCREEN = 17, SM_CYVSCROLL = 20, SM_CXHSCROLL = 21,
              SM_CXMIN = 28, SM_CYMIN = 29, SM_CXSIZE = 30, SM_CYSIZE = 31, SM_CXFRAME = 32,
              SM_CYFRAME = 33, SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37, SM_CXEDGE = 45,
              SM_CYEDGE = 46, SM_CXSMICON = 49, SM_CYSMICON = 50, SM_CYSMCAPTION = 51,
              SM_CXMENUCHECK = 71, SM_CYMENUCHECK = 72, SM_CXDRAG = 68, SM_CYDRAG = 69,
              SM_CMONITORS = 80, SM_CXVIRTUALSCREEN = 78, SM_CYVIRTUALSCREEN = 79;
constexpr int SM_CXFIXEDFRAME = SM_CXDLGFRAME, SM_CYFIXEDFRAME = SM_CYDLGFRAME,
              SM_CXSIZEFRAME = SM_CXFRAME, SM_CYSIZEFRAME = SM_CYFRAME;
// The classic metrics (96 dpi), and the screen from the backend.
int GetSystemMetrics(int Index);
constexpr UINT SPI_GETWORKAREA = 0x0030;
BOOL SystemParametersInfo(UINT Action, UINT Param, void* Value, UINT WinIni);
UINT GetDoubleClickTime();

// ---------------------------------------------------------------------------
// Timers and other calls
// ---------------------------------------------------------------------------

// WM_TIMER (WParam the id) to Wnd every Elapse milliseconds of the clock service,
// delivered when the message loop checks the timers (Application->ProcessMessages,
// the event loop); a timer that fell behind fires once, not once per period. Returns
// the id, 0 for a window that does not exist.
UINT_PTR SetTimer(HWND Wnd, UINT_PTR Id, UINT Elapse, void* TimerFunc);
BOOL KillTimer(HWND Wnd, UINT_PTR Id);
// Sends WM_TIMER for every due timer; returns how many fired.
int FireDueTimers();
// When the next timer is due on the clock service.
std::optional<std::uint64_t> NextTimerDue();

// Message box types and results.
constexpr UINT MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3,
               MB_YESNO = 0x4, MB_RETRYCANCEL = 0x5, MB_TYPEMASK = 0xF, MB_ICONHAND = 0x10,
               MB_ICONERROR = 0x10, MB_ICONSTOP = 0x10, MB_ICONQUESTION = 0x20,
               MB_ICONEXCLAMATION = 0x30, MB_ICONWARNING = 0x30, MB_ICONASTERISK = 0x40,
               MB_ICONINFORMATION = 0x40, MB_ICONMASK = 0xF0, MB_DEFBUTTON1 = 0x0,
               MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200, MB_APPLMODAL = 0x0,
               MB_SYSTEMMODAL = 0x1000, MB_TASKMODAL = 0x2000;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;
// The answer of a message box closed without choosing (Escape, the close box, a
// modal runner that does not answer): Cancel, No or the only button.
int MessageBoxDefaultResult(UINT Type);
// Shows a message box through the modal runner.
int MessageBoxA(HWND Owner, const char* Text, const char* Caption, UINT Type);
BOOL MessageBeep(UINT Type);

// The clipboard's text through the backend (GBK).
bool ClipboardHasText();
std::string GetClipboardText();
void SetClipboardText(const std::string& Text);
