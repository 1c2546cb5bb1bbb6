#pragma once
// State shared by the sources of the control tree (not for other folders).
#include <unordered_map>

#include "platform/controls/controls.h"

namespace controls_detail {
// The control owning each window, by handle (FindControl).
std::unordered_map<HWND, TWinControl*>& ControlsByHandle();
// The graphic control holding the capture of its parent's window.
extern TControl* g_CaptureControl;
}  // namespace controls_detail
