// TControl, TWinControl, TGraphicControl, TCustomControl and TControlCanvas.
#include "platform/controls/controls.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/controls/forms.h"
#include "platform/controls/menus.h"
#include "platform/core/filer.h"
#include "platform/core/gbk.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom")
DTU_DEFINE_ENUM(TAnchorKind, "akLeft", "akTop", "akRight", "akBottom")
DTU_DEFINE_ENUM(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")
DTU_DEFINE_ENUM(TMouseButton, "mbLeft", "mbRight", "mbMiddle")
DTU_DEFINE_ENUM(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin")

TMouse* Mouse = new TMouse;

namespace {

std::unordered_map<HWND, TWinControl*>& ControlsByHandle() {
  static auto* m = new std::unordered_map<HWND, TWinControl*>;
  return *m;
}

// The graphic control holding the capture of its parent's window.
TControl* g_CaptureControl = nullptr;

int MulDiv(int A, int B, int C) {
  if (C == 0) return -1;
  long long p = static_cast<long long>(A) * B;
  long long q = (p < 0 ? -p : p) * 2 + (C < 0 ? -C : C);
  q /= 2LL * (C < 0 ? -C : C);
  return static_cast<int>(((p < 0) != (C < 0)) ? -q : q);
}

}  // namespace

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

namespace {
// The child window a parent's notification is about.
HWND NotifyingWindow(const TMessage& M) {
  if (!M.LParam) return nullptr;
  switch (M.Msg) {
    case WM_COMMAND: return reinterpret_cast<HWND>(M.LParam);
    case WM_DRAWITEM: return reinterpret_cast<const DRAWITEMSTRUCT*>(M.LParam)->hwndItem;
    case WM_MEASUREITEM: return reinterpret_cast<const MEASUREITEMSTRUCT*>(M.LParam)->hwndItem;
    case WM_DELETEITEM: return reinterpret_cast<const DELETEITEMSTRUCT*>(M.LParam)->hwndItem;
    default: return nullptr;
  }
}
}  // namespace

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

// ---------------------------------------------------------------------------
// TControl
// ---------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  WindowProc = [this](TMessage& M) { WndProc(M); };
  FFont = new TFont;
  FFont->OnChange = [this](TObject* S) { FontOnChange(S); };
}

TControl::~TControl() {
  if (g_CaptureControl == this) g_CaptureControl = nullptr;
  delete FFont;
}

void TControl::BeforeDestruction() {
  TComponent::BeforeDestruction();
  ControlDestroyed(this);
  if (g_CaptureControl == this) {
    g_CaptureControl = nullptr;
    ReleaseCapture();
  }
  if (FParent) FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) {
    AParent->InsertControl(this);
    if (!ComponentState().Contains(csLoading)) {
      Perform(CM_PARENTCOLORCHANGED, 0, 0);
      Perform(CM_PARENTFONTCHANGED, 0, 0);
      Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    }
  }
}

TComponent* TControl::GetParentComponent() { return FParent; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}

void TControl::ReadState(TReader* Reader) {
  FControlState << csReadingState;
  try {
    TComponent::ReadState(Reader);
  } catch (...) {
    FControlState >> csReadingState;
    throw;
  }
  FControlState >> csReadingState;
  if (FParent) {
    Perform(CM_PARENTCOLORCHANGED, 0, 0);
    Perform(CM_PARENTFONTCHANGED, 0, 0);
    Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
  }
}

void TControl::Loaded() {
  TComponent::Loaded();
  UpdateAnchorRules();
  if (FParent) RequestAlign();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (!CanResize(AWidth, AHeight)) {
    AWidth = FWidth;
    AHeight = FHeight;
  }
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  InvalidateControl(FVisible, false);
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  UpdateAnchorRules();
  Invalidate();
  Perform(WM_WINDOWPOSCHANGED, 0, 0);
  RequestAlign();
  if (!ComponentState().Contains(csLoading)) Resize();
}

TRect TControl::GetClientRect() { return {0, 0, FWidth, FHeight}; }

void TControl::SetClientWidth(int Value) { SetClientSize(Value, ClientHeight()); }
void TControl::SetClientHeight(int Value) { SetClientSize(ClientWidth(), Value); }

void TControl::SetClientSize(int AWidth, int AHeight) {
  TRect c = GetClientRect();
  SetBounds(FLeft, FTop, FWidth - c.Right + AWidth, FHeight - c.Bottom + AHeight);
}

TPoint TControl::ClientOrigin() {
  if (!FParent) throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  TPoint p = FParent->ClientOrigin();
  return {p.X + FLeft, p.Y + FTop};
}

TPoint TControl::ClientToScreen(TPoint P) {
  TPoint o = ClientOrigin();
  return {P.X + o.X, P.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint P) {
  TPoint o = ClientOrigin();
  return {P.X - o.X, P.Y - o.Y};
}

void TControl::SetAlign(TAlign Value) {
  if (FAlign == Value) return;
  TAlign old = FAlign;
  FAlign = Value;
  FAnchors = (Value == alNone || Value == alCustom) ? TAnchors{akLeft, akTop} : FAnchors;
  switch (Value) {
    case alTop: FAnchors = {akLeft, akTop, akRight}; break;
    case alBottom: FAnchors = {akLeft, akRight, akBottom}; break;
    case alLeft: FAnchors = {akLeft, akTop, akBottom}; break;
    case alRight: FAnchors = {akRight, akTop, akBottom}; break;
    case alClient: FAnchors = {akLeft, akTop, akRight, akBottom}; break;
    default: break;
  }
  if (old != alNone && Value == alNone && FParent) UpdateAnchorRules();
  RequestAlign();
}

void TControl::SetAnchors(TAnchors Value) {
  if (FAnchors == Value) return;
  FAnchors = Value;
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (FAnchorMove || ComponentState().Contains(csLoading)) return;
  if (FAnchors == TAnchors{akLeft, akTop}) {
    FOriginalParentSize = {0, 0};
    return;
  }
  if (FAnchors.Contains(akRight)) FAnchorRules.X = FAnchors.Contains(akLeft) ? FWidth : FLeft;
  else FAnchorRules.X = FLeft + FWidth / 2;
  if (FAnchors.Contains(akBottom)) FAnchorRules.Y = FAnchors.Contains(akTop) ? FHeight : FTop;
  else FAnchorRules.Y = FTop + FHeight / 2;
  if (FParent) {
    TRect c = FParent->GetClientRect();
    FOriginalParentSize = {c.Right, c.Bottom};
  }
}

void TControl::RequestAlign() {
  if (FParent) FParent->AlignControl(this);
}

void TControl::SetVisible(bool Value) {
  if (FVisible == Value) return;
  VisibleChanging();
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
  RequestAlign();
}

void TControl::Show() {
  if (FParent) FParent->Show();
  SetVisible(true);
}

void TControl::Hide() { SetVisible(false); }

void TControl::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

bool TControl::IsVisibleOnScreen() { return FVisible && FParent && FParent->IsVisibleOnScreen(); }

void TControl::SetColor(TColor Value) {
  if (FColor == Value) {
    FParentColor = false;
    return;
  }
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
  if (FParentColor == Value) return;
  FParentColor = Value;
  if (FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetFont(TFont* Value) { FFont->Assign(Value); }

void TControl::FontOnChange(TObject*) { FontChanged(); }

void TControl::FontChanged() {
  FParentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
  if (FParentFont == Value) return;
  FParentFont = Value;
  if (FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

std::string TControl::GetText() {
  auto n = static_cast<size_t>(std::max<LRESULT>(0, Perform(WM_GETTEXTLENGTH, 0, 0)));
  std::string s(n + 1, '\0');
  LRESULT got = Perform(WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, static_cast<LRESULT>(n))));
  return s;
}

void TControl::SetText(const std::string& Value) {
  if (GetText() == Value) return;
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str()));
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
  if (FShowHint == Value && !FParentShowHint) return;
  FShowHint = Value;
  FParentShowHint = false;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
  if (FParentShowHint == Value) return;
  FParentShowHint = Value;
  if (FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor Value) {
  if (FCursor == Value) return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

bool TControl::MouseCapture() { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool Value) {
  if (MouseCapture() == Value) return;
  SetCaptureControl(Value ? this : nullptr);
}

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
  if (!FParent || !FParent->HandleAllocated() || !IsVisible) return;
  TRect r = BoundsRect();
  // The area needs its background erased unless something paints all of it anyway:
  // this control as it will be (IsOpaque), a parent that paints its whole face, or
  // an opaque control beneath this one that covers the area. This control's own
  // opaque style does not count: it is hidden, moving away or leaving.
  auto covered = [&] {
    const auto& list = FParent->FControls;
    auto self = std::find(list.begin(), list.end(), this);
    for (auto it = self; it != list.begin();) {
      const TControl* c = *--it;
      if (!c->Visible() || !c->FControlStyle.Contains(csOpaque)) continue;
      TRect both;
      if (IntersectRect(both, r, c->BoundsRect()) && EqualRect(both, r)) return true;
    }
    return false;
  };
  bool erase = !(IsOpaque || FParent->FControlStyle.Contains(csOpaque) || covered());
  InvalidateRect(FParent->Handle(), &r, erase ? TRUE : FALSE);
}

void TControl::Invalidate() { InvalidateControl(FVisible, FControlStyle.Contains(csOpaque)); }

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
  if (FControlStyle.Contains(csOpaque)) {
    // Paints straight onto the parent's window.
    HDC dc = GetDC(FParent->Handle());
    SaveDC(dc);
    IntersectClipRect(dc, FLeft, FTop, FLeft + FWidth, FTop + FHeight);
    FParent->PaintControls(dc, this);
    RestoreDC(dc, -1);
    ReleaseDC(FParent->Handle(), dc);
  } else {
    Invalidate();
    Update();
  }
}

void TControl::BringToFront() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it != list.end()) {
    list.erase(it);
    list.push_back(this);
    Invalidate();
  }
}

void TControl::SendToBack() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it != list.end()) {
    list.erase(it);
    list.insert(list.begin(), this);
    Invalidate();
  }
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  WindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& M) {
  if (M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MOUSELAST) {
    if (!FControlStyle.Contains(csDoubleClicks)) {
      if (M.Msg == WM_LBUTTONDBLCLK || M.Msg == WM_RBUTTONDBLCLK || M.Msg == WM_MBUTTONDBLCLK)
        M.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    }
    switch (M.Msg) {
      case WM_MOUSEMOVE:
        if (Application) Application->HintMouseMessage(this, M);
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        FControlState << csLButtonDown;
        break;
      case WM_LBUTTONUP:
        FControlState >> csLButtonDown;
        break;
      default:
        break;
    }
  }
  Dispatch(M);
}

void TControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(M); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(M); break;
    case WM_LBUTTONUP: WMLButtonUp(M); break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: WMRButtonDown(M); break;
    case WM_RBUTTONUP: WMRButtonUp(M); break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: WMMButtonDown(M); break;
    case WM_MBUTTONUP: WMMButtonUp(M); break;
    case WM_MOUSEMOVE: WMMouseMove(M); break;
    case WM_CANCELMODE: WMCancelMode(M); break;
    case WM_CONTEXTMENU: WMContextMenu(M); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(M); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(M); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(M); break;
    case CM_MOUSEENTER: case CM_MOUSELEAVE: CMMouseEnterLeave(M); break;
    case CM_HITTEST: M.Result = HTCLIENT; break;
    case CM_VISIBLECHANGED:
      if (!FVisible && MouseCapture()) Perform(WM_CANCELMODE, 0, 0);
      InvalidateControl(true, FVisible && FControlStyle.Contains(csOpaque));
      break;
    case CM_ENABLEDCHANGED:
      if (!FEnabled && MouseCapture()) Perform(WM_CANCELMODE, 0, 0);
      Invalidate();
      break;
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
      Invalidate();
      break;
    default:
      DefaultHandler(M);
  }
}

void TControl::DefaultHandler(TMessage& M) {
  switch (M.Msg) {
    case WM_GETTEXT: {
      char* buf = reinterpret_cast<char*>(M.LParam);
      size_t cap = M.WParam;
      if (!buf || cap == 0) {
        M.Result = 0;
        break;
      }
      size_t n = std::min(cap - 1, FText.size());
      std::memcpy(buf, FText.data(), n);
      buf[n] = '\0';
      M.Result = static_cast<LRESULT>(n);
      break;
    }
    case WM_GETTEXTLENGTH:
      M.Result = static_cast<LRESULT>(FText.size());
      break;
    case WM_SETTEXT: {
      const char* t = reinterpret_cast<const char*>(M.LParam);
      FText = t ? t : "";
      M.Result = 1;
      break;
    }
    default:
      break;
  }
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::Changed() { Perform(CM_CHANGED, 0, ControlToLParam(this)); }

void TControl::DoMouseDown(TMessage& M, TMouseButton Button, TShiftState Shift) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  TWMMouse m(M);
  MouseDown(Button, KeysToShiftState(m.Keys()) + Shift, m.XPos(), m.YPos());
}

void TControl::DoMouseUp(TMessage& M, TMouseButton Button) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  TWMMouse m(M);
  MouseUp(Button, KeysToShiftState(m.Keys()), m.XPos(), m.YPos());
}

void TControl::WMLButtonDown(TMessage& M) {
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (FControlStyle.Contains(csClickEvents)) FControlState << csClicked;
  DoMouseDown(M, mbLeft, {});
}

void TControl::WMLButtonDblClk(TMessage& M) {
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (FControlStyle.Contains(csClickEvents)) DblClick();
  DoMouseDown(M, mbLeft, {ssDouble});
}

void TControl::WMLButtonUp(TMessage& M) {
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
  if (FControlState.Contains(csClicked)) {
    FControlState >> csClicked;
    if (ClientRect().Contains(TWMMouse(M).Pos())) Click();
  }
  DoMouseUp(M, mbLeft);
}

void TControl::WMRButtonDown(TMessage& M) { DoMouseDown(M, mbRight, {}); }

void TControl::WMRButtonUp(TMessage& M) {
  DoMouseUp(M, mbRight);
  if (M.Result == 0) {
    // A right click that nobody took opens the context menu at the pointer.
    TPoint p = ClientToScreen(TWMMouse(M).Pos());
    M.Result = Perform(WM_CONTEXTMENU, 0, PointToLParam(p));
  }
}

void TControl::WMMButtonDown(TMessage& M) { DoMouseDown(M, mbMiddle, {}); }
void TControl::WMMButtonUp(TMessage& M) { DoMouseUp(M, mbMiddle); }

void TControl::WMMouseMove(TMessage& M) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  TWMMouse m(M);
  MouseMove(KeysToShiftState(m.Keys()), m.XPos(), m.YPos());
}

void TControl::WMCancelMode(TMessage& M) {
  DefaultHandler(M);
  if (MouseCapture()) {
    SetMouseCapture(false);
    if (FControlState.Contains(csLButtonDown)) Perform(WM_LBUTTONUP, 0, MAKELPARAM(-1, -1));
  } else {
    FControlState >> csLButtonDown;
  }
}

void TControl::WMContextMenu(TMessage& M) {
  if (M.Result != 0) return;
  TPoint screen = LParamToPoint(M.LParam);
  TPoint client = ScreenToClient(screen);
  bool handled = false;
  if (OnContextPopup) OnContextPopup(this, client, handled);
  if (handled) {
    M.Result = 1;
    return;
  }
  if (FPopupMenu && FPopupMenu->AutoPopup()) {
    FPopupMenu->SetPopupComponent(this);
    FPopupMenu->Popup(screen.X, screen.Y);
    M.Result = 1;
    return;
  }
  // Nobody here: the parent may have a menu.
  if (FParent && !dynamic_cast<TWinControl*>(this)) M.Result = FParent->Perform(WM_CONTEXTMENU, M.WParam, M.LParam);
  else DefaultHandler(M);
}

void TControl::CMParentColorChanged(TMessage& M) {
  if (!FParentColor) return;
  TColor c = M.WParam ? static_cast<TColor>(M.LParam) : (FParent ? FParent->Color() : FColor);
  if (c != FColor) {
    FColor = c;
    Perform(CM_COLORCHANGED, 0, 0);
  }
}

void TControl::CMParentFontChanged(TMessage& M) {
  if (!FParentFont) return;
  TFont* f = M.WParam ? reinterpret_cast<TFont*>(M.LParam) : (FParent ? FParent->Font() : nullptr);
  if (!f) return;
  FFont->Assign(f);  // fires FontChanged, which clears FParentFont
  FParentFont = true;
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (FParentShowHint && FParent) {
    FShowHint = FParent->ShowHint();
    FParentShowHint = true;
  }
}

void TControl::CMMouseEnterLeave(TMessage& M) {
  // The parent hears about the child the pointer entered or left.
  if (FParent && M.LParam == 0) FParent->Perform(M.Msg, 0, ControlToLParam(this));
  else if (FParent) FParent->Perform(M.Msg, 0, M.LParam);
}

// ---------------------------------------------------------------------------
// TWinControl
// ---------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  FBrush = new TBrush;
  FBrush->SetColor(FColor);
}

TWinControl::~TWinControl() { delete FBrush; }

void TWinControl::BeforeDestruction() {
  if (!Destroying()) MarkDestroying();
  // Children not freed by their owner go with their parent.
  while (!FControls.empty() || !FWinControls.empty()) {
    TControl* c = !FWinControls.empty() ? static_cast<TControl*>(FWinControls.back()) : FControls.back();
    if (c->Owner() && !c->Owner()->Destroying()) {
      RemoveControl(c);
      delete c;
    } else if (c->Owner()) {
      // Its owner is freeing it: it goes with the owner, taken off this list now.
      RemoveControl(c);
    } else {
      RemoveControl(c);
      delete c;
    }
  }
  TControl::BeforeDestruction();
  if (FHandle) DestroyHandle();
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  CreateHandle();
}

TControl* TWinControl::Controls(int Index) const {
  int g = static_cast<int>(FControls.size());
  if (Index < 0 || Index >= ControlCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return Index < g ? FControls[static_cast<size_t>(Index)] : FWinControls[static_cast<size_t>(Index - g)];
}

void TWinControl::InsertControl(TControl* AControl) {
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    FWinControls.push_back(w);
    FTabList.push_back(w);
  } else {
    FControls.push_back(AControl);
  }
  AControl->FParent = this;
  AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
  AControl->UpdateAnchorRules();
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (!w->ComponentState().Contains(csLoading)) w->UpdateControlState();
  } else {
    AControl->Invalidate();
  }
  AlignControl(AControl);
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl) {
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (TCustomForm* f = GetParentForm(this)) f->DefocusControl(w, true);
    if (w->FHandle) w->DestroyHandle();
    w->FShowing = false;
    FWinControls.erase(std::remove(FWinControls.begin(), FWinControls.end(), w), FWinControls.end());
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), w), FTabList.end());
  } else {
    AControl->InvalidateControl(AControl->Visible(), false);
    FControls.erase(std::remove(FControls.begin(), FControls.end(), AControl), FControls.end());
  }
  AControl->FParent = nullptr;
  if (!Destroying()) Realign();
}

bool TWinControl::ContainsControl(TControl* Control) {
  while (Control && Control != this) Control = Control->Parent();
  return Control != nullptr;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) {
  auto hit = [&](TControl* c) {
    if (!c->Visible() || !(c->Enabled() || AllowDisabled)) return false;
    TRect r = c->BoundsRect();
    if (!r.Contains(Pos)) return false;
    return c->Perform(CM_HITTEST, 0, PointToLParam({Pos.X - c->Left(), Pos.Y - c->Top()})) != 0;
  };
  if (AllowWinControls) {
    // Windows in their z-order, topmost first.
    std::vector<TWinControl*> order = FWinControls;
    if (FHandle) {
      order.clear();
      for (HWND h : ChildWindows(FHandle))
        if (TWinControl* w = FindControl(h); w && w->Parent() == this) order.push_back(w);
      for (TWinControl* w : FWinControls)
        if (!w->HandleAllocated()) order.push_back(w);
    }
    for (auto it = order.rbegin(); it != order.rend(); ++it)
      if (hit(*it)) return *it;
  }
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
    if (hit(*it)) return *it;
  return nullptr;
}

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  auto& l = Parent()->FTabList;
  auto it = std::find(l.begin(), l.end(), this);
  return it == l.end() ? -1 : static_cast<int>(it - l.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (FControlState.Contains(csReadingState) || ComponentState().Contains(csLoading)) {
    FTabOrderWanted = Value;
    if (!Parent()) return;
  }
  if (!Parent()) return;
  auto& l = Parent()->FTabList;
  auto it = std::find(l.begin(), l.end(), this);
  if (it == l.end()) return;
  l.erase(it);
  Value = std::clamp(Value, 0, static_cast<int>(l.size()));
  l.insert(l.begin() + Value, this);
}

void TWinControl::FixupTabList() {
  // Children read from a stream take the TabOrder they were written with.
  std::vector<TWinControl*> wanted = FTabList;
  std::stable_sort(wanted.begin(), wanted.end(), [](TWinControl* a, TWinControl* b) {
    int x = a->FTabOrderWanted < 0 ? 1 << 30 : a->FTabOrderWanted;
    int y = b->FTabOrderWanted < 0 ? 1 << 30 : b->FTabOrderWanted;
    return x < y;
  });
  FTabList = wanted;
  for (TWinControl* w : FTabList) w->FTabOrderWanted = -1;
}

void TWinControl::SetTabStop(bool Value) {
  if (FTabStop == Value) return;
  FTabStop = Value;
  Perform(CM_TABSTOPCHANGED, 0, 0);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* w : FTabList) {
    List.push_back(w);
    w->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  auto found = std::find(list.begin(), list.end(), CurControl);
  int start = found == list.end() ? (GoForward ? n - 1 : 0) : static_cast<int>(found - list.begin());
  int i = start;
  do {
    i = GoForward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* c = list[static_cast<size_t>(i)];
    if (c->CanFocus() && (!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this)) return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop);
  if (next) next->SetFocus();
}

bool TWinControl::CanFocus() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  for (TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm(this);
  if (form) form->FocusControl(this);
  else if (FParent) FParent->SetFocus();
  else if (!IsVisibleOnScreen() || !Enabled()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  else ::SetFocus(Handle());
}

void TWinControl::Broadcast(TMessage& M) {
  std::vector<TControl*> all(FControls.begin(), FControls.end());
  all.insert(all.end(), FWinControls.begin(), FWinControls.end());
  for (TControl* c : all) {
    c->WindowProc(M);
    if (M.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  TMessage m{Msg, 0, 0, 0};
  Broadcast(m);
}

void TWinControl::DisableAlign() { ++FAlignLevel; }

void TWinControl::EnableAlign() {
  if (--FAlignLevel == 0 && FControlState.Contains(csAlignmentNeeded) && !ComponentState().Contains(csLoading))
    Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* AControl) {
  if (!FHandle || Destroying()) return;
  if (FAlignLevel != 0 || ComponentState().Contains(csLoading)) {
    FControlState << csAlignmentNeeded;
    return;
  }
  DisableAlign();
  TRect r = GetClientRect();
  AlignControls(AControl, r);
  FControlState >> csAlignmentNeeded;
  --FAlignLevel;
}

void TWinControl::AdjustClientRect(TRect& Rect) {
  InflateRect(Rect, -FBorderWidth, -FBorderWidth);
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  AdjustClientRect(Rect);
  TRect client = GetClientRect();
  TPoint parentSize{client.Right, client.Bottom};
  std::vector<TControl*> all(FControls.begin(), FControls.end());
  all.insert(all.end(), FWinControls.begin(), FWinControls.end());

  auto before = [&](TControl* a, TControl* b, TAlign al) {
    // The control being moved goes before others at the same position.
    auto key = [&](TControl* c) {
      switch (al) {
        case alTop: return c->Top();
        case alBottom: return -(c->Top() + c->Height());
        case alLeft: return c->Left();
        case alRight: return -(c->Left() + c->Width());
        default: return 0;
      }
    };
    int ka = key(a), kb = key(b);
    if (ka != kb) return ka < kb;
    return a == AControl && b != AControl;
  };

  for (TAlign al : {alTop, alBottom, alLeft, alRight, alClient, alNone}) {
    std::vector<TControl*> list;
    for (TControl* c : all)
      if (c->Align() == al && c->Visible()) list.push_back(c);
    if (al != alNone)
      std::stable_sort(list.begin(), list.end(), [&](TControl* a, TControl* b) { return before(a, b, al); });
    for (TControl* c : list) {
      int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
      switch (al) {
        case alTop:
          l = Rect.Left; t = Rect.Top; w = Rect.Width();
          Rect.Top += h;
          break;
        case alBottom:
          l = Rect.Left; w = Rect.Width(); t = Rect.Bottom - h;
          Rect.Bottom -= h;
          break;
        case alLeft:
          l = Rect.Left; t = Rect.Top; h = Rect.Height();
          Rect.Left += w;
          break;
        case alRight:
          t = Rect.Top; h = Rect.Height(); l = Rect.Right - w;
          Rect.Right -= w;
          break;
        case alClient:
          l = Rect.Left; t = Rect.Top; w = Rect.Width(); h = Rect.Height();
          break;
        case alNone: {
          TAnchors a = c->Anchors();
          TPoint orig = c->FOriginalParentSize;
          if (a == TAnchors{akLeft, akTop} || (orig.X == 0 && orig.Y == 0)) continue;
          if (a.Contains(akRight)) {
            if (a.Contains(akLeft)) w = parentSize.X - (orig.X - c->FAnchorRules.X);
            else l = parentSize.X - (orig.X - c->FAnchorRules.X);
          } else if (!a.Contains(akLeft) && orig.X) {
            l = MulDiv(c->FAnchorRules.X, parentSize.X, orig.X) - w / 2;
          }
          if (a.Contains(akBottom)) {
            if (a.Contains(akTop)) h = parentSize.Y - (orig.Y - c->FAnchorRules.Y);
            else t = parentSize.Y - (orig.Y - c->FAnchorRules.Y);
          } else if (!a.Contains(akTop) && orig.Y) {
            t = MulDiv(c->FAnchorRules.Y, parentSize.Y, orig.Y) - h / 2;
          }
          break;
        }
        default:
          break;
      }
      c->FAnchorMove = true;
      c->SetBounds(l, t, std::max(0, w), std::max(0, h));
      c->FAnchorMove = false;
    }
  }
}

void TWinControl::CreateParams(TCreateParams& P) {
  P = TCreateParams{};
  P.Caption = FText;
  P.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle.Contains(csAcceptsControls)) {
    P.Style |= WS_CLIPCHILDREN;
    P.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (!Enabled()) P.Style |= WS_DISABLED;
  if (FTabStop) P.Style |= WS_TABSTOP;
  P.X = FLeft;
  P.Y = FTop;
  P.Width = FWidth;
  P.Height = FHeight;
  if (FParent && !FMeasuring) P.WndParent = FParent->Handle();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  CreateWindowEx(Params, [this](TMessage& M) { MainWndProc(M); },
                 [this](HWND H) {
                   FHandle = H;
                   ControlsByHandle()[H] = this;
                 });
  if (!FHandle) throw EOutOfResources("Error creating window");
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if (!p.WndParent && (p.Style & WS_CHILD))
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  CreateWindowHandle(p);
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 1);
}

void TWinControl::DestroyWnd() {
  if (FHandle) DestroyWindow(FHandle);
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  FControlState << csCreating;
  try {
    CreateWnd();
  } catch (...) {
    FControlState >> csCreating;
    throw;
  }
  FControlState >> csCreating;
  if (FParent && FHandle) ReorderWindows();
  for (TControl* c : FControls) c->UpdateAnchorRules();
  for (TWinControl* c : FWinControls) c->UpdateAnchorRules();
}

void TWinControl::ReorderWindows() {
  // A window made later than its siblings still takes its place in their order.
  if (!FParent || !FParent->FHandle) return;
  auto& sibs = FParent->FWinControls;
  auto it = std::find(sibs.begin(), sibs.end(), this);
  for (auto above = std::next(it); it != sibs.end() && above != sibs.end(); ++above)
    if ((*above)->FHandle) {
      SetWindowPos(FHandle, (*above)->FHandle, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      return;
    }
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  FControlState << csDestroyingHandle;
  for (TWinControl* c : FWinControls)
    if (c->FHandle) c->DestroyHandle();
  DestroyWnd();
  FControlState >> csDestroyingHandle;
}

void TWinControl::RecreateWnd() {
  if (FHandle) Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::CMRecreateWnd(TMessage&) {
  bool wasFocused = Focused();
  DestroyHandle();
  UpdateControlState();
  if (wasFocused && FHandle) ::SetFocus(FHandle);
}

void TWinControl::UpdateShowing() {
  bool show = Visible() && !FControlState.Contains(csReadingState) && !ComponentState().Contains(csLoading);
  if (show) {
    if (!FHandle) CreateHandle();
    for (TWinControl* c : std::vector<TWinControl*>(FWinControls)) c->UpdateShowing();
  }
  if (FShowing != show) {
    FShowing = show;
    try {
      Perform(CM_SHOWINGCHANGED, 0, 0);
    } catch (...) {
      FShowing = !show;
      throw;
    }
  }
  if (!show)
    for (TWinControl* c : std::vector<TWinControl*>(FWinControls)) c->UpdateShowing();
}

void TWinControl::UpdateControlState() {
  TWinControl* c = this;
  while (c->Parent()) {
    c = c->Parent();
    if (!c->Showing()) return;
  }
  if (c->IsRootWindow()) UpdateShowing();
}

void TWinControl::UpdateBounds() {
  if (!FHandle) return;
  TRect r = GetWindowPlacement(FHandle);
  if (r.Left != FLeft || r.Top != FTop || r.Width() != FWidth || r.Height() != FHeight) {
    FLeft = r.Left;
    FTop = r.Top;
    FWidth = r.Width();
    FHeight = r.Height();
    UpdateAnchorRules();
  }
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (!CanResize(AWidth, AHeight)) {
    AWidth = FWidth;
    AHeight = FHeight;
  }
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  if (FHandle) {
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    // The window may not have moved (WM_WINDOWPOSCHANGING); the fields follow it.
    UpdateBounds();
  } else {
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    UpdateAnchorRules();
  }
  RequestAlign();
  if (!FHandle && !ComponentState().Contains(csLoading)) Resize();
}

TRect TWinControl::GetClientRect() {
  if (FHandle) {
    TRect r;
    ::GetClientRect(FHandle, &r);
    return r;
  }
  // Without a window: what the window will have, from the style it would get.
  TCreateParams p;
  FMeasuring = true;
  try {
    CreateParams(p);
  } catch (...) {
    FMeasuring = false;
    throw;
  }
  FMeasuring = false;
  TRect in = NonClientInsets(p.Style, p.ExStyle, !(p.Style & WS_CHILD), false);
  return {0, 0, std::max(0, FWidth - in.Left - in.Right), std::max(0, FHeight - in.Top - in.Bottom)};
}

TPoint TWinControl::ClientOrigin() {
  TPoint p{0, 0};
  ::ClientToScreen(Handle(), &p);
  return p;
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque) ? TRUE : FALSE);
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

bool TWinControl::IsVisibleOnScreen() { return FShowing && FHandle && IsWindowVisible(FHandle); }

void TWinControl::SetBorderWidth(int Value) {
  if (FBorderWidth == Value) return;
  FBorderWidth = Value;
  Realign();
  Invalidate();
}

void TWinControl::SetCtl3D(bool Value) {
  if (FCtl3D == Value) return;
  FCtl3D = Value;
  FParentCtl3D = false;
  Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::SetParentCtl3D(bool Value) {
  if (FParentCtl3D == Value) return;
  FParentCtl3D = Value;
  if (FParent && Value) SetCtl3D(FParent->Ctl3D()), FParentCtl3D = true;
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
  FControlState << csPaintCopy;
  int saved = SaveDC(DC);
  TPoint org;
  OffsetViewportOrgEx(DC, X, Y, &org);
  IntersectClipRect(DC, 0, 0, FWidth, FHeight);
  TPoint client{0, 0};
  if (FHandle) {
    // The non-client area as the window shows it.
    TRect area = GetClientArea(FHandle);
    client = area.TopLeft();
    if (area != TRect{0, 0, FWidth, FHeight}) {
      UpdateWindow(FHandle);
      HDC src = CreateCompatibleDC(nullptr);
      HBITMAP buf = WindowBuffer(FHandle);
      TPoint o = WindowBufferClientOrigin(FHandle);
      HGDIOBJ old = SelectObject(src, buf);
      int s2 = SaveDC(DC);
      ExcludeClipRect(DC, area.Left, area.Top, area.Right, area.Bottom);
      BitBlt(DC, 0, 0, FWidth, FHeight, src, client.X - o.X, client.Y - o.Y, SRCCOPY);
      RestoreDC(DC, s2);
      SelectObject(src, old);
      DeleteDC(src);
    }
  }
  OffsetViewportOrgEx(DC, client.X, client.Y, nullptr);
  TRect c = GetClientRect();
  IntersectClipRect(DC, 0, 0, c.Right, c.Bottom);
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  for (TWinControl* w : FWinControls)
    if (w->Visible()) w->PaintTo(DC, w->Left(), w->Top());
  RestoreDC(DC, saved);
  FControlState >> csPaintCopy;
}

void TWinControl::PaintWindow(HDC DC) {
  TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
  DefaultHandler(m);
}

void TWinControl::PaintHandler(TMessage& M) {
  HDC dc = reinterpret_cast<HDC>(M.WParam);
  PAINTSTRUCT ps;
  bool own = dc == nullptr;
  if (own) {
    if (!FHandle) return;
    dc = BeginPaint(FHandle, &ps);
    if (!dc) return;
  }
  FPainting = true;
  try {
    int clip = 0;
    if (!FControls.empty()) {
      // Opaque graphic controls cover their part of the window's face.
      clip = SaveDC(dc);
      for (TControl* c : FControls)
        if (c->Visible() && c->FControlStyle.Contains(csOpaque))
          ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
    }
    PaintWindow(dc);
    if (clip) RestoreDC(dc, clip);
    PaintControls(dc, nullptr);
  } catch (...) {
    FPainting = false;
    if (own) EndPaint(FHandle, &ps);
    throw;
  }
  FPainting = false;
  if (own) EndPaint(FHandle, &ps);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto it = FControls.begin();
  if (First) {
    it = std::find(FControls.begin(), FControls.end(), First);
    if (it == FControls.end()) it = FControls.begin();
  }
  for (; it != FControls.end(); ++it) {
    TControl* c = *it;
    if (!c->Visible() || c->FPainting) continue;
    TRect r = c->BoundsRect();
    if (!RectVisible(DC, &r)) continue;
    int saved = SaveDC(DC);
    OffsetViewportOrgEx(DC, c->Left(), c->Top(), nullptr);
    IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
    c->FPainting = true;
    try {
      c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    } catch (...) {
      c->FPainting = false;
      RestoreDC(DC, saved);
      throw;
    }
    c->FPainting = false;
    RestoreDC(DC, saved);
  }
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

bool TWinControl::DoKeyDown(TMessage& M) {
  TWMKey k(M);
  TShiftState shift = KeyDataToShiftState(k.KeyData());
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) {
    TMessage copy = M;
    if (form->DoKeyDown(copy)) return true;
    M.WParam = copy.WParam;
  }
  WORD key = k.CharCode();
  KeyDown(key, shift);
  k.SetCharCode(key);
  return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& M) {
  TWMKey k(M);
  TShiftState shift = KeyDataToShiftState(k.KeyData());
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) {
    TMessage copy = M;
    if (form->DoKeyUp(copy)) return true;
    M.WParam = copy.WParam;
  }
  WORD key = k.CharCode();
  KeyUp(key, shift);
  k.SetCharCode(key);
  return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& M) {
  TWMKey k(M);
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) {
    TMessage copy = M;
    if (form->DoKeyPress(copy)) return true;
    M.WParam = copy.WParam;
  }
  char c = static_cast<char>(k.CharCode() & 0xFF);
  KeyPress(c);
  k.SetCharCode(static_cast<unsigned char>(c));
  return c == 0;
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

bool TWinControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  return handled;
}

void TWinControl::MainWndProc(TMessage& M) {
  try {
    WindowProc(M);
  } catch (...) {
    HandleControlException(this);
  }
}

bool TWinControl::IsControlMouseMsg(TMessage& M) {
  TControl* target = nullptr;
  TWMMouse m(M);
  if (FHandle && GetCapture() == FHandle) {
    if (g_CaptureControl && g_CaptureControl->Parent() == this) target = g_CaptureControl;
  } else {
    target = ControlAtPos(m.Pos(), false);
  }
  if (!target) return false;
  TPoint p{m.XPos() - target->Left(), m.YPos() - target->Top()};
  M.Result = target->Perform(M.Msg, M.WParam, PointToLParam(p));
  return true;
}

void TWinControl::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_SETFOCUS: {
      TCustomForm* form = GetParentForm(this);
      if (form && !form->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (FControlState.Contains(csFocusing)) return;
      break;
    case WM_NCHITTEST:
      TControl::WndProc(M);
      if (M.Result == HTTRANSPARENT && ControlAtPos(ScreenToClient(LParamToPoint(M.LParam)), false))
        M.Result = HTCLIENT;
      return;
    case WM_CANCELMODE:
      if (FHandle && GetCapture() == FHandle && g_CaptureControl && g_CaptureControl->Parent() == this)
        g_CaptureControl->Perform(WM_CANCELMODE, 0, 0);
      break;
    default:
      if (M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MOUSELAST && M.Msg != WM_MOUSEWHEEL && IsControlMouseMsg(M)) {
        if (M.Result == 0 && FHandle) DefWindowProc(FHandle, M);
        return;
      }
      break;
  }
  TControl::WndProc(M);
}

void TWinControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_PAINT: WMPaint(M); break;
    case WM_ERASEBKGND: WMEraseBkgnd(M); break;
    case WM_SIZE: WMSize(M); break;
    case WM_MOVE: WMMove(M); break;
    case WM_SETCURSOR: WMSetCursor(M); break;
    case WM_NCDESTROY: WMNCDestroy(M); break;
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
      if (!DoKeyDown(M)) DefaultHandler(M);
      break;
    case WM_KEYUP: case WM_SYSKEYUP:
      if (!DoKeyUp(M)) DefaultHandler(M);
      break;
    case WM_CHAR:
      if (!DoKeyPress(M)) DefaultHandler(M);
      break;
    case WM_MOUSEWHEEL: {
      TWMMouseWheel w(M);
      if (DoMouseWheel(KeysToShiftState(w.Keys()), w.WheelDelta(), w.Pos())) M.Result = 1;
      else DefaultHandler(M);
      break;
    }
    case CN_KEYDOWN: case CN_SYSKEYDOWN: CNKeyDown(M); break;
    case CN_KEYUP: CNKeyUp(M); break;
    case CN_CHAR: CNChar(M); break;
    case CN_SYSCHAR: CNSysChar(M); break;
    case CM_DIALOGKEY: case CM_DIALOGCHAR: case CM_FOCUSCHANGED: Broadcast(M); break;
    case CM_ENTER: DoEnter(); break;
    case CM_EXIT: DoExit(); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(M); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(M); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(M); break;
    case CM_COLORCHANGED: CMColorChanged(M); break;
    case CM_FONTCHANGED: CMFontChanged(M); break;
    case CM_CURSORCHANGED: CMCursorChanged(M); break;
    case CM_RECREATEWND: CMRecreateWnd(M); break;
    case CM_SHOWHINTCHANGED: case CM_PARENTSHOWHINTCHANGED:
      TControl::Dispatch(M);
      NotifyControls(CM_PARENTSHOWHINTCHANGED);
      break;
    case WM_COMMAND: case WM_DRAWITEM: case WM_MEASUREITEM: case WM_DELETEITEM:
      if (!DoControlMsg(NotifyingWindow(M), M)) TControl::Dispatch(M);
      break;
    case CM_CTL3DCHANGED: NotifyControls(CM_PARENTCTL3DCHANGED); break;
    case CM_PARENTCTL3DCHANGED:
      if (FParentCtl3D && FParent) {
        SetCtl3D(FParent->Ctl3D());
        FParentCtl3D = true;
      }
      break;
    default:
      TControl::Dispatch(M);
  }
}

void TWinControl::DefaultHandler(TMessage& M) {
  if (!FHandle) {
    TControl::DefaultHandler(M);
    return;
  }
  bool native = WindowPeer(FHandle) && WindowPeer(FHandle)->Native();
  switch (M.Msg) {
    case WM_GETTEXT: case WM_GETTEXTLENGTH:
      if (native) DefWindowProc(FHandle, M);
      else TControl::DefaultHandler(M);
      return;
    case WM_SETTEXT:
      if (!native) TControl::DefaultHandler(M);
      DefWindowProc(FHandle, M);
      return;
    default:
      DefWindowProc(FHandle, M);
  }
}

std::string TWinControl::GetText() { return TControl::GetText(); }

void TWinControl::WMPaint(TMessage& M) { PaintHandler(M); }

void TWinControl::WMEraseBkgnd(TMessage& M) {
  HDC dc = reinterpret_cast<HDC>(M.WParam);
  TRect r = GetClientRect();
  ::FillRect(dc, &r, FBrush->Handle());
  M.Result = 1;
}

void TWinControl::WMSize(TMessage& M) {
  UpdateBounds();
  DefaultHandler(M);
  TRect c = GetClientRect();
  if (c.Right != FLastClientSize.X || c.Bottom != FLastClientSize.Y) {
    FLastClientSize = {c.Right, c.Bottom};
    Realign();
  }
  if (!ComponentState().Contains(csLoading)) Resize();
}

void TWinControl::WMMove(TMessage& M) {
  DefaultHandler(M);
  UpdateBounds();
}

void TWinControl::WMSetCursor(TMessage& M) {
  TWMSetCursor s(M);
  if (s.CursorWnd() == FHandle && s.HitTest() == HTCLIENT) {
    TCursor cursor = Screen ? Screen->Cursor() : crDefault;
    if (cursor == crDefault) {
      TPoint p;
      GetCursorPos(&p);
      TControl* c = ControlAtPos(ScreenToClient(p), false);
      if (c) cursor = c->Cursor();
      if (cursor == crDefault) cursor = Cursor();
    }
    if (cursor != crDefault && Screen) {
      ::SetCursor(Screen->Cursors(cursor));
      M.Result = 1;
      return;
    }
  }
  DefaultHandler(M);
}

void TWinControl::WMNCDestroy(TMessage& M) {
  DefaultHandler(M);
  ControlsByHandle().erase(FHandle);
  FHandle = nullptr;
  FShowing = false;
  FLastClientSize = {-1, -1};
}

void TWinControl::CNKeyDown(TMessage& M) {
  M.Result = 1;
  TWMKey k(M);
  TCustomForm* form = GetParentForm(this);
  // Menu shortcuts first.
  if (form && form->IsShortCut(M)) return;
  if (Application && Application->IsShortCut(M)) return;
  if (Perform(CM_CHILDKEY, k.CharCode(), ControlToLParam(this)) != 0) return;
  LRESULT mask = 0;
  switch (k.CharCode()) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN: case VK_EXECUTE: case VK_ESCAPE: case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
  }
  if (mask && Perform(CM_WANTSPECIALKEY, k.CharCode(), 0) == 0 && (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0 &&
      form && form->Perform(CM_DIALOGKEY, k.CharCode(), k.KeyData()) != 0)
    return;
  M.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& M) { M.Result = 0; }

void TWinControl::CNChar(TMessage& M) {
  M.Result = 1;
  TWMKey k(M);
  TCustomForm* form = GetParentForm(this);
  // A control that takes no characters lets them act as accelerators.
  if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0 && form &&
      form->Perform(CM_DIALOGCHAR, k.CharCode(), k.KeyData()) != 0)
    return;
  M.Result = 0;
}

void TWinControl::CNSysChar(TMessage& M) {
  TWMKey k(M);
  TCustomForm* form = GetParentForm(this);
  if (k.CharCode() != VK_SPACE && form) M.Result = form->Perform(CM_DIALOGCHAR, k.CharCode(), k.KeyData());
}

void TWinControl::CMShowingChanged(TMessage&) {
  if (!FHandle) return;
  UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, flags | (FShowing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMVisibleChanged(TMessage& M) {
  if (!Visible() && MouseCapture()) Perform(WM_CANCELMODE, 0, 0);
  if (!Visible()) {
    if (TCustomForm* f = GetParentForm(this); f && f != this) f->DefocusControl(this, false);
  }
  UpdateControlState();
  (void)M;
}

void TWinControl::CMEnabledChanged(TMessage&) {
  if (!Enabled()) {
    if (TCustomForm* f = GetParentForm(this); f && f != this) f->DefocusControl(this, false);
  }
  if (FHandle) EnableWindow(FHandle, Enabled() ? TRUE : FALSE);
  Invalidate();
}

void TWinControl::CMColorChanged(TMessage& M) {
  TControl::Dispatch(M);
  FBrush->SetColor(FColor);
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& M) {
  TControl::Dispatch(M);
  if (FHandle) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 0);
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMCursorChanged(TMessage&) {
  if (!FHandle) return;
  TPoint p;
  GetCursorPos(&p);
  if (FindDragTarget(p, true) == this) Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(FHandle), HTCLIENT);
}

void TWinControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Owner() == Root) Proc(c);
  }
}

void TWinControl::ReadState(TReader* Reader) {
  DisableAlign();
  try {
    TControl::ReadState(Reader);
  } catch (...) {
    --FAlignLevel;
    throw;
  }
  --FAlignLevel;
  FixupTabList();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  if (FTabOrderWanted >= 0 && FParent) {
    int want = FTabOrderWanted;
    FTabOrderWanted = -1;
    SetTabOrder(want);
  }
  if (FHandle) {
    TRect c = GetClientRect();
    FLastClientSize = {c.Right, c.Bottom};
    Realign();
  }
  UpdateControlState();
}

// ---------------------------------------------------------------------------
// TControlCanvas, TGraphicControl, TCustomControl
// ---------------------------------------------------------------------------

namespace {
std::vector<TControlCanvas*>& CanvasesHoldingDCs() {
  static auto* v = new std::vector<TControlCanvas*>;
  return *v;
}
}  // namespace

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* Value) {
  if (FControl == Value) return;
  FreeHandle();
  FControl = Value;
}

void TControlCanvas::CreateHandle() {
  if (!FControl) return;
  HWND wnd = nullptr;
  TPoint offset{0, 0};
  if (auto* w = dynamic_cast<TWinControl*>(FControl)) {
    wnd = w->Handle();
  } else if (TWinControl* p = FControl->Parent()) {
    wnd = p->Handle();
    offset = {FControl->Left(), FControl->Top()};
  }
  if (!wnd) return;
  HDC dc = GetDC(wnd);
  if (!dc) return;
  if (offset.X || offset.Y) SetViewportOrgEx(dc, offset.X, offset.Y, nullptr);
  if (!dynamic_cast<TWinControl*>(FControl)) IntersectClipRect(dc, 0, 0, FControl->Width(), FControl->Height());
  FWindow = wnd;
  FOwnDC = dc;
  SetHandle(dc);
  CanvasesHoldingDCs().push_back(this);
}

void TControlCanvas::FreeHandle() {
  if (!FOwnDC) return;
  HDC dc = FOwnDC;
  FOwnDC = nullptr;
  if (HandleAllocated()) SetHandle(nullptr);
  ReleaseDC(FWindow, dc);
  FWindow = nullptr;
  auto& v = CanvasesHoldingDCs();
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void FreeDeviceContexts() {
  auto v = CanvasesHoldingDCs();
  for (TControlCanvas* c : v) c->FreeHandle();
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {
  FCanvas = new TControlCanvas;
  FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() { delete FCanvas; }

void TGraphicControl::Dispatch(TMessage& M) {
  if (M.Msg == WM_PAINT) WMPaint(M);
  else TControl::Dispatch(M);
}

void TGraphicControl::WMPaint(TMessage& M) {
  HDC dc = reinterpret_cast<HDC>(M.WParam);
  if (!dc || Destroying()) return;
  FCanvas->FreeHandle();
  FCanvas->SetHandle(dc);
  try {
    Paint();
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    throw;
  }
  FCanvas->SetHandle(nullptr);
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {
  FCanvas = new TControlCanvas;
  FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl() { delete FCanvas; }

void TCustomControl::PaintWindow(HDC DC) {
  FCanvas->FreeHandle();
  FCanvas->SetHandle(DC);
  try {
    Paint();
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    throw;
  }
  FCanvas->SetHandle(nullptr);
}
