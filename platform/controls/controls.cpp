// What controls.h declares beside the control classes: the enumerations' names,
// the handle map, mouse capture, shift states, accelerators and the mouse.
#include "platform/controls/controls.h"

#include "platform/controls/controls_internal.h"
#include "platform/controls/forms.h"
#include "platform/core/gbk.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom")
DTU_DEFINE_ENUM(TAnchorKind, "akLeft", "akTop", "akRight", "akBottom")
DTU_DEFINE_ENUM(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")
DTU_DEFINE_ENUM(TBiDiMode, "bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly")
DTU_DEFINE_ENUM(TMouseButton, "mbLeft", "mbRight", "mbMiddle")
DTU_DEFINE_ENUM(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin")

TMouse* Mouse = new TMouse;

namespace controls_detail {

std::unordered_map<HWND, TWinControl*>& ControlsByHandle() {
  static auto* m = new std::unordered_map<HWND, TWinControl*>;
  return *m;
}

// The graphic control holding the capture of its parent's window.
TControl* g_CaptureControl = nullptr;

}  // namespace controls_detail

using controls_detail::ControlsByHandle;
using controls_detail::g_CaptureControl;

const TIdentMap& CursorIdents() {
  static const TIdentMap map{{
      {crDefault, "crDefault"}, {crNone, "crNone"}, {crArrow, "crArrow"}, {crCross, "crCross"},
      {crIBeam, "crIBeam"}, {crSizeNESW, "crSizeNESW"}, {crSizeNS, "crSizeNS"}, {crSizeNWSE, "crSizeNWSE"},
      {crSizeWE, "crSizeWE"}, {crUpArrow, "crUpArrow"}, {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
      {crNoDrop, "crNoDrop"}, {crHSplit, "crHSplit"}, {crVSplit, "crVSplit"}, {crMultiDrag, "crMultiDrag"},
      {crSQLWait, "crSQLWait"}, {crNo, "crNo"}, {crAppStart, "crAppStart"}, {crHelp, "crHelp"},
      {crHandPoint, "crHandPoint"}, {crSizeAll, "crSizeAll"},
  }};
  return map;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s << ssCtrl;
  if (KeyData & KF_ALTDOWN_BIT) s << ssAlt;
  return s;
}

TShiftState KeysToShiftState(WPARAM Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s << ssShift;
  if (Keys & MK_CONTROL) s << ssCtrl;
  if (Keys & MK_LBUTTON) s << ssLeft;
  if (Keys & MK_RBUTTON) s << ssRight;
  if (Keys & MK_MBUTTON) s << ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s << ssAlt;
  return s;
}

TShiftState ShiftStateNow() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s << ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s << ssAlt;
  return s;
}

TWinControl* FindControl(HWND Handle) {
  auto& m = ControlsByHandle();
  auto it = m.find(Handle);
  return it == m.end() ? nullptr : it->second;
}

bool DoControlMsg(HWND ControlHandle, TMessage& M) {
  TWinControl* c = ControlHandle ? FindControl(ControlHandle) : nullptr;
  if (!c) return false;
  M.Result = c->Perform(CN_BASE + M.Msg, M.WParam, M.LParam);
  return true;
}

TCustomForm* GetParentForm(TControl* Control) {
  while (Control && Control->Parent()) Control = Control->Parent();
  return dynamic_cast<TCustomForm*>(Control);
}

TControl* GetCaptureControl() {
  TControl* c = FindControl(GetCapture());
  if (c && g_CaptureControl && g_CaptureControl->Parent() == c) return g_CaptureControl;
  return c;
}

void SetCaptureControl(TControl* Control) {
  ReleaseCapture();
  g_CaptureControl = nullptr;
  if (!Control) return;
  auto* win = dynamic_cast<TWinControl*>(Control);
  if (!win) {
    if (!Control->Parent()) return;
    g_CaptureControl = Control;
    win = Control->Parent();
  }
  SetCapture(win->Handle());
}

bool IsAccel(WORD Key, const std::string& Text) {
  for (size_t i = 0; i < Text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(Text[i]);
    if (IsGbkLeadByte(c) && i + 1 < Text.size()) {
      ++i;
      continue;
    }
    if (c != '&' || i + 1 >= Text.size()) continue;
    unsigned char n = static_cast<unsigned char>(Text[i + 1]);
    if (n == '&') {
      ++i;
      continue;
    }
    auto up = [](unsigned v) { return v >= 'a' && v <= 'z' ? v - 32 : v; };
    return up(n) == up(Key & 0xFF);
  }
  return false;
}

std::string StripHotkey(const std::string& Text) {
  std::string out;
  for (size_t i = 0; i < Text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(Text[i]);
    if (IsGbkLeadByte(c) && i + 1 < Text.size()) {
      out += Text[i];
      out += Text[++i];
      continue;
    }
    if (c == '&') {
      if (i + 1 < Text.size() && Text[i + 1] == '&') out += '&';
      if (i + 1 < Text.size()) ++i;
      else break;
      if (Text[i] != '&') out += Text[i];
      continue;
    }
    out += Text[i];
  }
  return out;
}

TControl* FindDragTarget(TPoint Pos, bool AllowDisabled) {
  auto tops = TopLevelWindows();
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    if (!IsWindowVisible(*it)) continue;
    TRect r;
    GetWindowRect(*it, &r);
    if (!r.Contains(Pos)) continue;
    TWinControl* root = FindControl(*it);
    if (!root) return nullptr;
    TWinControl* w = root;
    for (;;) {
      TPoint c = w->ScreenToClient(Pos);
      TControl* hit = w->ControlAtPos(c, AllowDisabled, true);
      auto* win = dynamic_cast<TWinControl*>(hit);
      if (win && win->HandleAllocated()) {
        w = win;
        continue;
      }
      return hit ? hit : w;
    }
  }
  return nullptr;
}

TPoint TMouse::CursorPos() const {
  TPoint p;
  GetCursorPos(&p);
  return p;
}

void TMouse::SetCursorPos(TPoint P) { ::SetCursorPos(P.X, P.Y); }

void TMouse::SetCapture(HWND Wnd) {
  if (Wnd) ::SetCapture(Wnd);
  else ReleaseCapture();
}
