// Keys, characters and mouse state from Qt events to the system's terms.
#include <QKeyEvent>

#include "platform/backend/qt/qt_internal.h"
#include "platform/controls/input.h"
#include "platform/core/gbk.h"

namespace qtbackend {

namespace {

struct TKeyPair {
  int Qt;
  WORD VKey;
};

const TKeyPair kKeys[] = {
    {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Tab, VK_TAB}, {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Insert, VK_INSERT}, {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_Print, VK_SNAPSHOT}, {Qt::Key_Clear, VK_CLEAR}, {Qt::Key_Home, VK_HOME}, {Qt::Key_End, VK_END},
    {Qt::Key_Left, VK_LEFT}, {Qt::Key_Up, VK_UP}, {Qt::Key_Right, VK_RIGHT}, {Qt::Key_Down, VK_DOWN},
    {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU}, {Qt::Key_AltGr, VK_RMENU}, {Qt::Key_Meta, VK_LWIN},
    {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Menu, VK_APPS}, {Qt::Key_Help, VK_HELP}, {Qt::Key_Space, VK_SPACE},
    {Qt::Key_Semicolon, VK_OEM_1}, {Qt::Key_Colon, VK_OEM_1}, {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS}, {Qt::Key_Comma, VK_OEM_COMMA}, {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS}, {Qt::Key_Underscore, VK_OEM_MINUS}, {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD}, {Qt::Key_Slash, VK_OEM_2}, {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3}, {Qt::Key_AsciiTilde, VK_OEM_3}, {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4}, {Qt::Key_Backslash, VK_OEM_5}, {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_BraceRight, VK_OEM_6}, {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_QuoteDbl, VK_OEM_7}, {Qt::Key_Exclam, '1'}, {Qt::Key_At, '2'}, {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'}, {Qt::Key_Percent, '5'}, {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'}, {Qt::Key_ParenLeft, '9'}, {Qt::Key_ParenRight, '0'},
};

// The key a key-down of an input method reports.
constexpr WORD VK_PROCESSKEY = 0xE5;

}  // namespace

WORD QtKeyToVirtualKey(int Key, Qt::KeyboardModifiers Modifiers) {
  if (Modifiers & Qt::KeypadModifier) {
    if (Key >= Qt::Key_0 && Key <= Qt::Key_9) return static_cast<WORD>(VK_NUMPAD0 + (Key - Qt::Key_0));
    switch (Key) {
      case Qt::Key_Asterisk: return VK_MULTIPLY;
      case Qt::Key_Plus: return VK_ADD;
      case Qt::Key_Minus: return VK_SUBTRACT;
      case Qt::Key_Period: case Qt::Key_Comma: return VK_DECIMAL;
      case Qt::Key_Slash: return VK_DIVIDE;
      default: break;
    }
  }
  if (Key >= Qt::Key_A && Key <= Qt::Key_Z) return static_cast<WORD>('A' + (Key - Qt::Key_A));
  if (Key >= Qt::Key_0 && Key <= Qt::Key_9) return static_cast<WORD>('0' + (Key - Qt::Key_0));
  if (Key >= Qt::Key_F1 && Key <= Qt::Key_F24) return static_cast<WORD>(VK_F1 + (Key - Qt::Key_F1));
  for (const TKeyPair& k : kKeys)
    if (k.Qt == Key) return k.VKey;
  return Key == 0 || Key == Qt::Key_unknown ? VK_PROCESSKEY : 0;
}

int VirtualKeyToQtKey(WORD VKey) {
  if (VKey >= 'A' && VKey <= 'Z') return Qt::Key_A + (VKey - 'A');
  if (VKey >= '0' && VKey <= '9') return Qt::Key_0 + (VKey - '0');
  if (VKey >= VK_F1 && VKey <= VK_F12) return Qt::Key_F1 + (VKey - VK_F1);
  for (const TKeyPair& k : kKeys)
    if (k.VKey == VKey) return k.Qt;
  return 0;
}

std::string QtKeyChars(const QKeyEvent* E, bool& Refused) {
  Refused = false;
  Qt::KeyboardModifiers m = E->modifiers();
  switch (E->key()) {
    case Qt::Key_Return: case Qt::Key_Enter: return "\r";
    case Qt::Key_Escape: return "\x1b";
    case Qt::Key_Backspace: return "\b";
    case Qt::Key_Tab: case Qt::Key_Backtab: return "\t";
    default: break;
  }
  if ((m & Qt::ControlModifier) && !(m & Qt::AltModifier)) {
    int k = E->key();
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return std::string(1, static_cast<char>(k - Qt::Key_A + 1));
    if (k == Qt::Key_BracketLeft) return "\x1b";
    return {};
  }
  QString text = E->text();
  QString kept;
  for (QChar c : text)
    if (c.unicode() >= 0x20 && c.unicode() != 0x7F) kept += c;
  if (kept.isEmpty()) return {};
  bool lossless = true;
  std::string gbk = FromQt(kept, &lossless);
  if (!lossless) {
    Refused = true;
    return {};
  }
  return gbk;
}

void TypeUnmappedKey(const QKeyEvent* E, bool Press) {
  if (!Press) return;
  bool refused = false;
  std::string chars = QtKeyChars(E, refused);
  if (refused) MessageBeep(0);  // as for pasted text GBK cannot hold
  if (!chars.empty()) InputChars(chars);
}

LPARAM QtKeyData(const QKeyEvent* E, bool Release) {
  LPARAM d = 1 | static_cast<LPARAM>((E->nativeScanCode() & 0xFF) << 16);
  if (E->modifiers() & Qt::AltModifier) d |= KF_ALTDOWN_BIT;
  if (E->isAutoRepeat() || Release) d |= KF_REPEAT_BIT;
  if (Release) d |= KF_UP_BIT;
  return d;
}

void SyncModifiers(Qt::KeyboardModifiers Modifiers) {
  auto sync = [](int Generic, int Left, bool Down) {
    if ((GetKeyState(Generic) < 0) == Down) return;
    SetKeyDown(Left, Down);
    if (!Down) SetKeyDown(Generic == VK_SHIFT ? VK_RSHIFT : Generic == VK_CONTROL ? VK_RCONTROL : VK_RMENU, false);
  };
  sync(VK_SHIFT, VK_LSHIFT, Modifiers & Qt::ShiftModifier);
  sync(VK_CONTROL, VK_LCONTROL, Modifiers & Qt::ControlModifier);
  sync(VK_MENU, VK_LMENU, Modifiers & Qt::AltModifier);
}

WPARAM QtMouseKeys(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Modifiers) {
  WPARAM k = 0;
  if (Buttons & Qt::LeftButton) k |= MK_LBUTTON;
  if (Buttons & Qt::RightButton) k |= MK_RBUTTON;
  if (Buttons & Qt::MiddleButton) k |= MK_MBUTTON;
  if (Modifiers & Qt::ShiftModifier) k |= MK_SHIFT;
  if (Modifiers & Qt::ControlModifier) k |= MK_CONTROL;
  return k;
}

}  // namespace qtbackend
