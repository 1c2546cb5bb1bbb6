#pragma once
// Window-layer calls for the input router and the backends only.
#include "platform/controls/winuser.h"

namespace winuser_detail {
// SetWindowPos; FromPeer: the native window already has this geometry (the user
// moved or sized it), so the peer is not told again.
BOOL SetWindowPosFrom(HWND Wnd, HWND InsertAfter, int X, int Y, int Cx, int Cy, UINT Flags, bool FromPeer);
// Whether the window asked for WM_MOUSELEAVE (TrackMouseEvent); clears the request.
bool TakeTrackLeave(HWND Wnd);
// The top-level window under the pointer, whose peer shows the cursor SetCursor sets.
void SetCursorRoot(HWND Root);
// Where the windowing system really put a top-level window's client area on the
// screen (its frame may differ from the classic metrics); screen mapping uses it.
void SetScreenClientOrigin(HWND Wnd, TPoint Origin);
// Resizes a top-level window by following the pointer from Edge until the left
// button is released (SC_SIZE where the windowing system has no resize of its own).
void BeginSizeTracking(HWND Root, int Edge, TPoint ScreenPos);
bool SizeTracking();
}  // namespace winuser_detail
