#pragma once
// The drag manager of the control tree (drag and drop between controls, not the
// windowing system's). A drag starts with TControl::BeginDrag, or by itself on a
// left press on a control whose DragMode is dmAutomatic (after the control has
// handled the press, so a list box selects the item first). Until the pointer has
// moved Threshold pixels (5 by default) in either direction the press stays the
// control's own; then the drag is on: the source's press is cancelled
// (WM_CANCELMODE), the source holds the mouse capture, OnStartDrag fires, and each
// move asks the control under the pointer (FindDragTarget, enabled controls only)
// through OnDragOver (dsDragEnter, dsDragMove, dsDragLeave) whether it accepts the
// source; the screen cursor shows the source's DragCursor over an accepting
// target, else crNoDrop. Releasing the button over an accepting target fires its
// OnDragDrop; the source's OnEndDrag fires in every case, with the target that
// took the drop or nullptr. Escape, a lost capture or the source's destruction
// cancel the drag (no drop; OnEndDrag with no target unless the source is gone).
//
// A source whose DragKind is dkDock is dragged to dock: OnStartDock fires instead
// of OnStartDrag, and each move offers the source to the dock site under the
// pointer (the smallest whose influence rectangle, GetSiteInfo, holds it), which
// answers through OnDockOver (dsDragEnter, dsDragMove, dsDragLeave; it accepts
// unless the handler says no). The dock rectangle follows the pointer as a frame
// drawn over the screen: where the source would go on the accepting site (its
// dock manager's PositionDockRect; on a site without one, the source at its
// undocked size with the grabbed point under the pointer), a thin frame; else
// where it would float, placed the same way, a thick one.
// Releasing the button docks the source on the accepting site (the old site's
// OnUnDock first, then the new site's OnDockDrop) or floats it in a window of its
// own (ManualFloat); OnEndDock then fires with the site, the floating window, or
// nullptr when the drag was cancelled or the old site kept the control.
#include "platform/controls/controls.h"

// The pointer distance that turns a press into a drag.
constexpr int DefaultDragThreshold = 5;

// The control being dragged (or waiting for the threshold), nullptr when none.
TControl* DragSource();
// Whether the threshold has been passed and the drag is on.
bool DragActive();
// Ends the drag or the wait for it; Drop: drop on the current target if it accepts.
void CancelDrag();
// While a control is dragged to dock: the dock rectangle shown (screen
// coordinates; empty when none) and the site it is over (nullptr: floating).
TRect DockDragRect(TWinControl** Site = nullptr);
// The widths of the dock rectangle's frame over a site and where it floats.
constexpr int DockFrameWidth = 2, FloatFrameWidth = 4;

namespace drag_detail {
// TControl::WndProc asks first; true: the message belonged to the drag.
bool FilterMessage(TControl* Control, TMessage& M);
// Around a left press on a control whose DragMode is dmAutomatic: remembers the
// control (true when a drag may start), and after the press starts its drag,
// waiting for the threshold, when the control is still alive.
bool BeforeLeftPress(TControl* Control);
void AfterLeftPress();
// A key went down anywhere: Escape cancels a drag (true: the key was taken).
bool KeyDown(WORD VKey);
// A control is being freed.
void ControlDestroyed(TControl* Control);
}  // namespace drag_detail
