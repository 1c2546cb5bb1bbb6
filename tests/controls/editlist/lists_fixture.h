#pragma once
// What the list box tests share: a shown form on a manual clock, typed characters,
// clicks at list points and form-stream round trips.
#include <string>
#include <vector>

#include "platform/core/filer.h"
#include "platform/core/textform.h"
#include "platform/stdctrls/listbox.h"
#include "tests/platform/controls/fixtures.h"

inline std::string StreamText(TComponent* C) {
  TMemoryStream s;
  s.WriteComponent(C);
  return FormBinaryToText(std::string(static_cast<const char*>(s.Memory()), s.Size()));
}

inline void StreamInto(const std::string& Text, TComponent* C) {
  std::string bin = FormTextToBinary(Text);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), C);
}

inline std::vector<std::string> ItemTexts(TStrings* S) {
  std::vector<std::string> out;
  for (int i = 0; i < S->Count(); ++i) out.push_back(S->Strings(i));
  return out;
}

class ListsTest : public ControlsTest {
protected:
  // A list of 160 x 120 at (10, 10) on a shown form (the client area starts 2
  // pixels inside for the sunken edge).
  template <class T>
  T* MakeList(bool Show = true) {
    if (!Form) Form = MakeForm();
    auto* l = new T(Form);
    l->SetName("List" + std::to_string(++FCount));
    l->SetBounds(10, 10, 160, 120);
    l->SetParent(Form);
    if (Show) Form->Show();
    return l;
  }
  void Type(TWinControl* C, const std::string& Bytes) {
    for (char ch : Bytes) C->Perform(WM_CHAR, static_cast<unsigned char>(ch), 0);
  }
  void Wait(unsigned Ms) {
    Clock.Advance(Ms);
    Application->ProcessMessages();
  }
  // A press and release at a client point of list C (form coordinates through the
  // input layer).
  void ClickAt(TWinControl* C, TPoint P, WPARAM Keys = 0, bool Double = false) {
    TPoint f{P.X + C->Left() + 2, P.Y + C->Top() + 2};
    Mouse(Form, Double ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, f, Keys | MK_LBUTTON);
    Mouse(Form, WM_LBUTTONUP, f, Keys);
  }
  TForm* Form = nullptr;
  int FCount = 0;
};
