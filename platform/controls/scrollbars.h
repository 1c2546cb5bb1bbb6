#pragma once
// Window scroll bars: the bars a window with WS_VSCROLL / WS_HSCROLL shows in its
// non-client area, between its border and its client area, drawn and tracked by
// this layer. A window procedure that wants them passes its messages to
// ScrollBarsDefProc before its default handling; the calls below keep each bar's
// range, page and position per window, and show or hide the bar by its range
// (turning the style bit on or off and recomputing the client area) as the OS does.
// Dragging a bar sends WM_VSCROLL / WM_HSCROLL (SB_ codes) to the window.
#include "platform/controls/winuser.h"

constexpr int SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3;
// The request codes (SB_LINEUP ...) are in winmsg.h.
constexpr UINT SIF_RANGE = 0x1, SIF_PAGE = 0x2, SIF_POS = 0x4, SIF_DISABLENOSCROLL = 0x8, SIF_TRACKPOS = 0x10,
               SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

struct SCROLLINFO {
  UINT cbSize = sizeof(SCROLLINFO);
  UINT fMask = 0;
  int nMin = 0;
  int nMax = 0;
  UINT nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;
};

// Sets what the mask says; the position is kept within nMin .. nMax - max(nPage - 1, 0).
// A bar whose page covers its range is hidden (or shown disabled with
// SIF_DISABLENOSCROLL); one that does not is shown. Returns the new position.
int SetScrollInfo(HWND Wnd, int Bar, const SCROLLINFO* Info, BOOL Redraw);
// Fills what the mask asks; FALSE for a window or bar without scroll information.
BOOL GetScrollInfo(HWND Wnd, int Bar, SCROLLINFO* Info);
// The previous position.
int SetScrollPos(HWND Wnd, int Bar, int Pos, BOOL Redraw);
int GetScrollPos(HWND Wnd, int Bar);
BOOL SetScrollRange(HWND Wnd, int Bar, int Min, int Max, BOOL Redraw);
// Shows or hides a bar (SB_BOTH: both) whatever its range.
BOOL ShowScrollBar(HWND Wnd, int Bar, BOOL Show);

// The window procedure's part: the non-client size, hit test, painting and clicks
// of the bars (these call DefWindowProc themselves), and, while a bar is being
// dragged, the mouse, capture and timer messages of the drag. True when the
// message was handled here; false lets the window handle it.
bool ScrollBarsDefProc(HWND Wnd, TMessage& M);
// Whether a bar of this window is being dragged (the window then gives every
// message to ScrollBarsDefProc first).
bool ScrollBarTracking(HWND Wnd);
// The bar rectangles in window coordinates (empty when the bar is hidden).
TRect ScrollBarRect(HWND Wnd, int Bar);
