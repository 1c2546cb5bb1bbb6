#pragma once
// Where input enters the controls: a backend turns each native event into one of
// these calls, and they turn it into the system's messages. The routing is this
// layer's own: the window under the pointer by our hit test (WM_NCHITTEST), mouse
// capture, the control under the pointer (CM_MOUSEENTER/CM_MOUSELEAVE for
// windowed and graphic controls alike, sent as the pointer moves, before the
// WM_MOUSEMOVE that moved it; while a control has the capture only it hears them),
// keys to the focused window after the
// dialog-key pre-processing (CN_KEYDOWN, CM_DIALOGKEY, CM_DIALOGCHAR), characters
// as GBK bytes through the message queue (WM_CHAR per byte, lead byte first).
//
// These calls let exceptions through: the backend's event boundary catches them
// for Application->HandleException.
#include <string>

#include "platform/controls/winuser.h"

class TControl;

// Mouse: Msg is WM_MOUSEMOVE or a button message (WM_LBUTTONDOWN ...
// WM_MBUTTONDBLCLK); Pos is in the client coordinates of Wnd (a top-level window
// of this layer); Keys the MK_ flags after the event.
void InputMouse(HWND Wnd, UINT Msg, TPoint Pos, WPARAM Keys);
// The wheel turned by Delta (120 per notch) with the pointer at Pos (client
// coordinates of Wnd); it goes to the focused window.
void InputMouseWheel(HWND Wnd, int Delta, TPoint Pos, WPARAM Keys);
// The pointer left the top-level window Wnd.
void InputMouseLeave(HWND Wnd);
// A key went down or up (WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP) with
// key data (KF_ALTDOWN_BIT etc.). Chars are the GBK bytes the key types (empty for
// none); they follow the key-down as WM_CHAR (WM_SYSCHAR with Alt) unless the
// key-down was taken as a dialog key or shortcut.
void InputKey(UINT Msg, WORD VKey, LPARAM KeyData, const std::string& Chars);
// Text committed by an input method, as GBK bytes, to the focused window.
void InputChars(const std::string& Gbk);
// The windowing system activated or deactivated a top-level window, or the
// application.
void InputActivate(HWND Wnd, bool Active);
void InputAppActivate(bool Active);
// The user asked to close a top-level window (WM_SYSCOMMAND SC_CLOSE).
void InputClose(HWND Wnd);
// The user moved or resized a top-level window: its new outer rectangle.
void InputWindowMoved(HWND Wnd, TRect Bounds);
// Where the windowing system put a top-level window's client area on the screen.
void InputClientOrigin(HWND Wnd, TPoint ScreenOrigin);
// A native peer took the keyboard focus by itself (a click into it).
void InputNativeFocus(HWND Wnd);
// Paints the window's invalid parts before the peer shows its buffer.
void InputPaint(HWND Wnd);
// Delivers posted messages (through the pre-dispatch step) and due timers, and
// paints what waits: the backend calls it when the queue descriptor is readable or
// the timer is due.
void DispatchPostedMessages();

// Installs the pre-dispatch filter on the calling (GUI) thread's queue; the
// application and the first window do it.
void InstallInputLayer();
// The control the pointer is over (as the last input event found it).
TControl* MouseControl();
// The input layer drops what it holds of a control being freed.
void InputControlDestroyed(TControl* Control);
