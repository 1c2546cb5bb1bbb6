#pragma once
// The headless backend as the shared edit cases drive it (see edit_cases.h).
#include "platform/stdctrls/edit.h"
#include "platform/controls/forms.h"
#include "platform/controls/input.h"
#include "platform/core/gbk.h"

// Input as the headless backend has it: keys and committed text enter through the
// input layer.
struct THeadlessEdits {
  static void Install() {}
  static void Type(TCustomEdit*, char C) {
    WORD vk = C >= 'a' && C <= 'z' ? static_cast<WORD>(C - 32) : static_cast<WORD>(static_cast<unsigned char>(C));
    InputKey(WM_KEYDOWN, vk, 0, std::string(1, C));
    InputKey(WM_KEYUP, vk, KF_UP_BIT, {});
  }
  static void Commit(TCustomEdit*, const char8_t* Utf8) {
    // Like the Qt boundary: what GBK cannot hold is dropped.
    std::string all(reinterpret_cast<const char*>(Utf8)), gbk;
    for (size_t i = 0; i < all.size();) {
      size_t n = 1;
      auto b = static_cast<unsigned char>(all[i]);
      if (b >= 0xF0) n = 4;
      else if (b >= 0xE0) n = 3;
      else if (b >= 0xC0) n = 2;
      if (auto one = TryUtf8ToGbk(all.substr(i, n))) gbk += *one;
      i += n;
    }
    InputChars(gbk);
  }
  static void Chord(TCustomEdit*, WORD VKey, bool Ctrl, bool Shift) {
    if (Ctrl) SetKeyDown(VK_CONTROL, true);
    if (Shift) SetKeyDown(VK_SHIFT, true);
    std::string chars;
    if (Ctrl && VKey >= 'A' && VKey <= 'Z') chars = std::string(1, static_cast<char>(VKey - 'A' + 1));
    if (VKey == VK_BACK) chars = "\b";
    if (VKey == VK_RETURN) chars = "\r";
    InputKey(WM_KEYDOWN, VKey, 0, chars);
    InputKey(WM_KEYUP, VKey, KF_UP_BIT, {});
    SetKeyDown(VK_CONTROL, false);
    SetKeyDown(VK_SHIFT, false);
  }
  static void RightClick(TCustomEdit* E) {
    TCustomForm* f = GetParentForm(E);
    TPoint p = f->ScreenToClient(E->ClientToScreen({5, 5}));
    InputMouse(f->Handle(), WM_RBUTTONDOWN, p, MK_RBUTTON);
    InputMouse(f->Handle(), WM_RBUTTONUP, p, 0);
  }
};


