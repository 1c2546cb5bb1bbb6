#pragma once
// A shown form on the headless backend with a beep counter, a manual clock and a
// scripted modal runner, for the framed edit tests; input goes through the layer.
#include <gtest/gtest.h>

#include <memory>

#include "controls/editlist/classes.h"
#include "platform/controls/backend.h"
#include "platform/controls/forms.h"
#include "platform/controls/input.h"
#include "platform/controls/modal.h"
#include "platform/core/filer.h"
#include "platform/core/streams.h"
#include "platform/core/textform.h"
#include "platform/win32/clock.h"

struct TBeepCountingBackend : THeadlessBackend {
  int Beeps = 0;
  void Beep() override { ++Beeps; }
};

class EditTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterEditListClasses();
    SetClock(&Clock);
    FPrevious = &Backend();
    SetBackend(&Beeper);
    Runner = std::make_unique<TScriptedModalRunner>();
    InstallInputLayer();
    Form = new TForm(nullptr);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(100, 100, 300, 200);
  }
  void TearDown() override {
    delete Form;
    Application->ProcessMessages();
    ReleaseCapture();
    Runner.reset();
    SetBackend(FPrevious == &Beeper ? nullptr : FPrevious);
    SetClock(nullptr);
  }
  template <class T>
  T* Place(int X, int Y, int W, int H) {
    T* c = new T(Form);
    c->SetBounds(X, Y, W, H);
    c->SetParent(Form);
    return c;
  }
  void Show() {
    Form->Show();
    Application->ProcessMessages();
  }
  // A key typed to the focused window: its key-down (with the characters it types)
  // and key-up.
  void Key(WORD VKey, const std::string& Chars = {}) {
    InputKey(WM_KEYDOWN, VKey, 0, Chars);
    InputKey(WM_KEYUP, VKey, KF_UP_BIT, {});
    Application->ProcessMessages();
  }
  // A left press or release at a point of a control.
  void Press(TControl* C, TPoint P, bool Down) {
    TPoint s = C->ClientToScreen(P);
    TPoint f = Form->ScreenToClient(s);
    InputMouse(Form->Handle(), Down ? WM_LBUTTONDOWN : WM_LBUTTONUP, f, Down ? MK_LBUTTON : 0);
  }
  void Advance(int Ms) {
    for (int t = 0; t < Ms; t += 10) {
      Clock.Advance(10);
      Application->ProcessMessages();
    }
  }

  TManualClock Clock{1000};
  TBeepCountingBackend Beeper;
  std::unique_ptr<TScriptedModalRunner> Runner;
  TForm* Form = nullptr;

private:
  TBackend* FPrevious = nullptr;
};

// A component as a text form source, and a text form source read into a component.
inline std::string TextOf(TComponent* C) {
  TMemoryStream s;
  s.WriteComponent(C);
  return FormBinaryToText(std::string(static_cast<const char*>(s.Memory()), s.Size()));
}

inline void ReadInto(const std::string& Text, TComponent* C) {
  std::string bin = FormTextToBinary(Text);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), C);
}
