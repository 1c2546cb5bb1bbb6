#pragma once
// The hot-key control of the class library: TCustomHotKey and THotKey. It shows a
// key combination ("Ctrl+Alt+K") and takes the next one the user presses while it
// has the focus; Backspace, Delete or Space alone clear it. Combinations whose
// modifiers are in InvalidKeys get the Modifiers instead (while a form is read the
// key and the rules are kept as read, and the rules are checked once it is loaded,
// so the order of the lines does not decide the key). The window keeps the
// combination (HKM_SETHOTKEY / HKM_GETHOTKEY, HKM_SETRULES) and the layer paints
// it inside a sunken client edge.
#include "platform/controls/controls.h"
#include "platform/controls/menus.h"

enum class THKModifier { hkShift, hkCtrl, hkAlt, hkExt };
using THKModifiers = TSet<THKModifier>;
enum class THKInvalidKey { hcNone, hcShift, hcCtrl, hcAlt, hcShiftCtrl, hcShiftAlt, hcCtrlAlt, hcShiftCtrlAlt };
using THKInvalidKeys = TSet<THKInvalidKey>;
using enum THKModifier;
using enum THKInvalidKey;
DTU_DECLARE_ENUM(THKModifier)
DTU_DECLARE_ENUM(THKInvalidKey)

// Hot-key window messages: W the key in the low byte and HOTKEYF_ flags in the high
// byte (SET), the same as the result (GET); SETRULES W the HKCOMB_ combinations
// refused, L the HOTKEYF_ flags used instead.
constexpr UINT HKM_SETHOTKEY = WM_USER + 1, HKM_GETHOTKEY = WM_USER + 2, HKM_SETRULES = WM_USER + 3;
constexpr WORD HOTKEYF_SHIFT = 0x01, HOTKEYF_CONTROL = 0x02, HOTKEYF_ALT = 0x04, HOTKEYF_EXT = 0x08;
constexpr WORD HKCOMB_NONE = 0x01, HKCOMB_S = 0x02, HKCOMB_C = 0x04, HKCOMB_A = 0x08, HKCOMB_SC = 0x10,
               HKCOMB_SA = 0x20, HKCOMB_CA = 0x40, HKCOMB_SCA = 0x80;

class TCustomHotKey : public TCustomControl {
  DTU_CLASS(TCustomHotKey, TCustomControl)
public:
  explicit TCustomHotKey(TComponent* AOwner);

  // The combination as a shortcut (key plus scShift, scCtrl, scAlt).
  TShortCut HotKey();
  void SetHotKey(TShortCut Value);
  THKModifiers Modifiers() const { return FModifiers; }
  void SetModifiers(THKModifiers Value);
  THKInvalidKeys InvalidKeys() const { return FInvalidKeys; }
  void SetInvalidKeys(THKInvalidKeys Value);

  void Dispatch(TMessage& Message) override;
  void Loaded() override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;

private:
  bool Loading() const { return ComponentState().Contains(csLoading); }
  void ApplyRules();
  // A refused combination takes the default modifiers.
  void Correct();
  std::string Shown() const;
  WORD FKey = 'A';
  WORD FFlags = HOTKEYF_ALT;
  WORD FPending = 0;  // modifiers held with no key yet (shown while held)
  WORD FRefused = 0;  // HKCOMB_ combinations
  WORD FDefaultFlags = 0;
  THKModifiers FModifiers{hkAlt};
  THKInvalidKeys FInvalidKeys{hcNone, hcShift};
};

class THotKey : public TCustomHotKey {
  DTU_CLASS(THotKey, TCustomHotKey)
public:
  explicit THotKey(TComponent* AOwner) : TCustomHotKey(AOwner) {}
};
