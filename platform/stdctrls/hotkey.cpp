// TCustomHotKey: a key combination shown and taken from the keyboard.
#include "platform/stdctrls/hotkey.h"

#include "platform/core/gbk.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(THKModifier, "hkShift", "hkCtrl", "hkAlt", "hkExt")
DTU_DEFINE_ENUM(THKInvalidKey, "hcNone", "hcShift", "hcCtrl", "hcAlt", "hcShiftCtrl", "hcShiftAlt", "hcCtrlAlt",
                "hcShiftCtrlAlt")

namespace {

WORD CombOf(WORD Flags) {
  switch (Flags & (HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT)) {
    case 0: return HKCOMB_NONE;
    case HOTKEYF_SHIFT: return HKCOMB_S;
    case HOTKEYF_CONTROL: return HKCOMB_C;
    case HOTKEYF_ALT: return HKCOMB_A;
    case HOTKEYF_SHIFT | HOTKEYF_CONTROL: return HKCOMB_SC;
    case HOTKEYF_SHIFT | HOTKEYF_ALT: return HKCOMB_SA;
    case HOTKEYF_CONTROL | HOTKEYF_ALT: return HKCOMB_CA;
    default: return HKCOMB_SCA;
  }
}

WORD FlagsOf(THKModifiers M) {
  WORD f = 0;
  if (M.Contains(hkShift)) f |= HOTKEYF_SHIFT;
  if (M.Contains(hkCtrl)) f |= HOTKEYF_CONTROL;
  if (M.Contains(hkAlt)) f |= HOTKEYF_ALT;
  if (M.Contains(hkExt)) f |= HOTKEYF_EXT;
  return f;
}

TShortCut ShortCutOf(WORD Key, WORD Flags) {
  TShortCut s = Key;
  if (Flags & HOTKEYF_SHIFT) s |= scShift;
  if (Flags & HOTKEYF_CONTROL) s |= scCtrl;
  if (Flags & HOTKEYF_ALT) s |= scAlt;
  return s;
}

bool IsModifierKey(WORD VKey) {
  return VKey == VK_SHIFT || VKey == VK_CONTROL || VKey == VK_MENU || VKey == VK_LSHIFT || VKey == VK_RSHIFT ||
         VKey == VK_LCONTROL || VKey == VK_RCONTROL || VKey == VK_LMENU || VKey == VK_RMENU;
}

WORD FlagsNow() {
  WORD f = 0;
  if (GetKeyState(VK_SHIFT) < 0) f |= HOTKEYF_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) f |= HOTKEYF_CONTROL;
  if (GetKeyState(VK_MENU) < 0) f |= HOTKEYF_ALT;
  return f;
}

}  // namespace

TCustomHotKey::TCustomHotKey(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 121, 25);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  SetCursor(crIBeam);
  ApplyRules();
}

void TCustomHotKey::CreateParams(TCreateParams& P) {
  TCustomControl::CreateParams(P);
  P.ExStyle |= WS_EX_CLIENTEDGE;
}

TShortCut TCustomHotKey::HotKey() {
  auto v = static_cast<WORD>(Perform(HKM_GETHOTKEY, 0, 0));
  return ShortCutOf(v & 0xFF, v >> 8);
}

void TCustomHotKey::SetHotKey(TShortCut Value) {
  WORD key = 0;
  TShiftState shift;
  ShortCutToKey(Value, key, shift);
  WORD f = 0;
  if (shift.Contains(ssShift)) f |= HOTKEYF_SHIFT;
  if (shift.Contains(ssCtrl)) f |= HOTKEYF_CONTROL;
  if (shift.Contains(ssAlt)) f |= HOTKEYF_ALT;
  Perform(HKM_SETHOTKEY, static_cast<WPARAM>((key & 0xFF) | (f << 8)), 0);
}

void TCustomHotKey::SetModifiers(THKModifiers Value) {
  FModifiers = Value;
  if (!Loading()) ApplyRules();
}

void TCustomHotKey::SetInvalidKeys(THKInvalidKeys Value) {
  FInvalidKeys = Value;
  if (!Loading()) ApplyRules();
}

void TCustomHotKey::Loaded() {
  inherited::Loaded();
  ApplyRules();
}

void TCustomHotKey::ApplyRules() {
  static const std::pair<THKInvalidKey, WORD> map[] = {
      {hcNone, HKCOMB_NONE}, {hcShift, HKCOMB_S}, {hcCtrl, HKCOMB_C}, {hcAlt, HKCOMB_A},
      {hcShiftCtrl, HKCOMB_SC}, {hcShiftAlt, HKCOMB_SA}, {hcCtrlAlt, HKCOMB_CA}, {hcShiftCtrlAlt, HKCOMB_SCA}};
  WORD comb = 0;
  for (auto [k, c] : map)
    if (FInvalidKeys.Contains(k)) comb |= c;
  Perform(HKM_SETRULES, comb, FlagsOf(FModifiers));
}

void TCustomHotKey::Correct() {
  if (FKey && (FRefused & CombOf(FFlags))) FFlags = static_cast<WORD>((FFlags & HOTKEYF_EXT) | FDefaultFlags);
}

std::string TCustomHotKey::Shown() const {
  if (FPending) {
    std::string t = ShortCutToText(ShortCutOf('A', FPending));
    return t.substr(0, t.size() - 1);  // "Ctrl+" while the modifiers are held
  }
  if (!FKey) return Utf8ToGbk(std::string(reinterpret_cast<const char*>(u8"无")));
  return ShortCutToText(ShortCutOf(FKey, FFlags));
}

void TCustomHotKey::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  c->SetFont(Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  std::string t = Shown();
  int h = c->TextHeight("Ag");
  int y = std::max(0, (r.Height() - h) / 2);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(2, y, t);
  if (Focused()) {
    int x = 2 + c->TextWidth(t);
    TRect caret{x, y, x + 1, y + h};
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Font()->Color());
    c->FillRect(caret);
  }
}

void TCustomHotKey::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTCHARS | DLGC_WANTARROWS;
      return;
    case HKM_SETRULES:
      FRefused = LOWORD(M.WParam);
      FDefaultFlags = LOWORD(static_cast<std::uintptr_t>(M.LParam));
      Correct();
      Invalidate();
      return;
    case HKM_SETHOTKEY:
      FKey = M.WParam & 0xFF;
      FFlags = (M.WParam >> 8) & 0xFF;
      FPending = 0;
      if (!Loading()) Correct();
      Invalidate();
      return;
    case HKM_GETHOTKEY:
      M.Result = static_cast<LRESULT>(FKey | (FFlags << 8));
      return;
    case WM_KEYDOWN: case WM_SYSKEYDOWN: {
      if (DoKeyDown(M)) return;
      auto vk = static_cast<WORD>(M.WParam);
      WORD f = FlagsNow();
      if (IsModifierKey(vk)) {
        FPending = f;
      } else if (!f && (vk == VK_BACK || vk == VK_DELETE || vk == VK_SPACE)) {
        FKey = FFlags = FPending = 0;
      } else if (vk != VK_TAB && vk != VK_RETURN && vk != VK_ESCAPE) {
        FKey = vk;
        FFlags = f;
        FPending = 0;
        Correct();
      }
      Invalidate();
      return;
    }
    case WM_KEYUP: case WM_SYSKEYUP:
      if (DoKeyUp(M)) return;
      if (IsModifierKey(static_cast<WORD>(M.WParam))) {
        FPending = FlagsNow();
        Invalidate();
      }
      return;
    case WM_CHAR: case WM_SYSCHAR:
      DoKeyPress(M);  // nothing is typed
      return;
    case CN_SYSCHAR:
      M.Result = 0;  // Alt with a letter is a combination here, not an accelerator
      return;
    case WM_SETFOCUS: case WM_KILLFOCUS:
      FPending = 0;
      TCustomControl::Dispatch(M);
      Invalidate();
      return;
    case WM_LBUTTONDOWN:
      if (CanFocus() && !Focused()) SetFocus();
      TCustomControl::Dispatch(M);
      return;
    default:
      TCustomControl::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------

const TClassInfo& TCustomHotKey::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomHotKey>("TCustomHotKey", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& THotKey::StaticClass() {
  using H = THotKey;
  static const TClassInfo info =
      TClassBuilder<H>("THotKey", &inherited::StaticClass())
          .Component()
          .Prop(TControl::Property("Align"))
          .Prop(TControl::Property("Anchors"))
          .Prop(TControl::Property("Color"))
          .Prop(TControl::Property("Enabled"))
          .Prop(TControl::Property("Font"))
          .Int("HotKey", &H::HotKey, [](H* x, int64_t v) { x->SetHotKey(static_cast<TShortCut>(v)); }, scAlt | 'A')
          .Set<THKInvalidKey>("InvalidKeys", &H::InvalidKeys, &H::SetInvalidKeys, THKInvalidKeys{hcNone, hcShift})
          .Set<THKModifier>("Modifiers", &H::Modifiers, &H::SetModifiers, THKModifiers{hkAlt})
          .Prop(TControl::Property("ParentColor"))
          .Prop(TControl::Property("ParentFont"))
          .Prop(TControl::Property("ParentShowHint"))
          .Prop(TControl::Property("PopupMenu"))
          .Prop(TControl::Property("ShowHint"))
          .Prop(TControl::Property("TabOrder"))
          .Prop(TControl::Property("TabStop"))
          .Prop(TControl::Property("Visible"))
          .Prop(TControl::Property("OnContextPopup"))
          .Prop(TControl::Property("OnEnter"))
          .Prop(TControl::Property("OnExit"))
          .Prop(TControl::Property("OnMouseDown"))
          .Prop(TControl::Property("OnMouseMove"))
          .Prop(TControl::Property("OnMouseUp"))
          .Build();
  return info;
}

namespace {
struct THotKeyRegistration {
  THotKeyRegistration() { RegisterClass(ClassEntry<THotKey>()); }
} const kHotKeyRegistration;
}  // namespace
