#pragma once
// What the tests of the buttons, labels and groups share: the control-layer fixture (scripted input,
// manual clock, scripted modal runner), children made on a form, and form-stream
// round trips of a whole form.
#include <string>

#include "controls/basic/classes.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"
#include "tests/platform/controls/fixtures.h"

class ButtonsFixture : public ControlsTest {
protected:
  void SetUp() override {
    ControlsTest::SetUp();
    RegisterBasicClasses();
  }
  template <class T>
  T* Make(TWinControl* Parent, const std::string& Name, TRect R) {
    T* c = new T(Parent->Owner() ? Parent->Owner() : Parent);
    c->SetName(Name);
    c->SetBoundsRect(R);
    c->SetParent(Parent);
    return c;
  }
};

// The text form of a component (a form writes its controls as children).
inline std::string FormText(TComponent* C) {
  TMemoryStream s;
  s.WriteComponent(C);
  return FormBinaryToText(std::string(static_cast<const char*>(s.Memory()), s.Size()));
}

inline void ReadForm(const std::string& Text, TComponent* C) {
  std::string bin = FormTextToBinary(Text);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), C);
}
