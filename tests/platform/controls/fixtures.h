#pragma once
// Controls that record the messages they see, for the control-layer tests, and a
// fixture that scripts modal things and keeps time on a manual clock.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/extctrls.h"
#include "platform/controls/forms.h"
#include "platform/controls/input.h"
#include "platform/controls/menus.h"
#include "platform/controls/modal.h"
#include "platform/win32/clock.h"

inline std::string MsgName(UINT Msg) {
  static const std::map<UINT, std::string> names = {
      {WM_SETFOCUS, "WM_SETFOCUS"}, {WM_KILLFOCUS, "WM_KILLFOCUS"}, {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
      {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"}, {WM_LBUTTONUP, "WM_LBUTTONUP"}, {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
      {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"}, {WM_RBUTTONUP, "WM_RBUTTONUP"}, {WM_KEYDOWN, "WM_KEYDOWN"},
      {WM_KEYUP, "WM_KEYUP"}, {WM_CHAR, "WM_CHAR"}, {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"}, {WM_SYSCHAR, "WM_SYSCHAR"},
      {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"}, {WM_CANCELMODE, "WM_CANCELMODE"}, {WM_MOUSELEAVE, "WM_MOUSELEAVE"},
      {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"}, {WM_NCMOUSEMOVE, "WM_NCMOUSEMOVE"}, {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"},
      {CM_MOUSEENTER, "CM_MOUSEENTER"}, {CM_MOUSELEAVE, "CM_MOUSELEAVE"}, {CM_ENTER, "CM_ENTER"}, {CM_EXIT, "CM_EXIT"},
      {CM_DIALOGKEY, "CM_DIALOGKEY"}, {CM_DIALOGCHAR, "CM_DIALOGCHAR"}, {CN_KEYDOWN, "CN_KEYDOWN"},
      {CN_CHAR, "CN_CHAR"}, {WM_USER + 1, "WM_USER+1"}, {WM_TIMER, "WM_TIMER"},
  };
  auto it = names.find(Msg);
  return it == names.end() ? std::string() : it->second;
}

using TLog = std::vector<std::string>;

// Logs the named messages it receives (and Click) into a shared log, prefixed
// with its name, and paints itself in its colour.
template <class Base>
class TLogging : public Base {
public:
  explicit TLogging(TComponent* AOwner, TLog* Log = nullptr) : Base(AOwner), Log(Log) {}
  TLog* Log;
  bool LogMoves = false;
  void Dispatch(TMessage& M) override {
    std::string n = MsgName(M.Msg);
    bool mouseEnterLeave = (M.Msg == CM_MOUSEENTER || M.Msg == CM_MOUSELEAVE) && M.LParam != 0;
    if (Log && !n.empty() && !mouseEnterLeave && (LogMoves || M.Msg != WM_MOUSEMOVE)) {
      if (M.Msg == WM_CHAR || M.Msg == WM_SYSCHAR || M.Msg == WM_KEYDOWN || M.Msg == CM_DIALOGCHAR)
        n += ":" + std::to_string(M.WParam);
      Log->push_back(this->Name() + " " + n);
    }
    Base::Dispatch(M);
  }
  void Click() override {
    if (Log) Log->push_back(this->Name() + " Click");
    Base::Click();
  }
};

class TProbe : public TLogging<TCustomControl> {
public:
  explicit TProbe(TComponent* AOwner, TLog* Log = nullptr) : TLogging(AOwner, Log) { SetTabStop(true); }
  LRESULT DlgCode = 0;
  void Dispatch(TMessage& M) override {
    if (M.Msg == WM_GETDLGCODE) M.Result = DlgCode;
    else TLogging::Dispatch(M);
  }
protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

class TGraphicProbe : public TLogging<TGraphicControl> {
public:
  explicit TGraphicProbe(TComponent* AOwner, TLog* Log = nullptr) : TLogging(AOwner, Log) {}
  // Transparent: only a one-pixel frame is drawn, the parent shows through.
  bool Transparent = false;
protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    if (Transparent) Canvas()->FrameRect(ClientRect());
    else Canvas()->FillRect(ClientRect());
  }
};

// A push button as far as the dialog keys go: Enter clicks the default button,
// Escape the cancel button, Alt+its accelerator clicks it.
class TTestButton : public TProbe {
public:
  using TProbe::TProbe;
  bool Default = false;
  bool Cancel = false;
  TModalResult ModalResult = mrNone;
  void Click() override {
    if (ModalResult != mrNone)
      if (TCustomForm* f = GetParentForm(this)) f->SetModalResult(ModalResult);
    TProbe::Click();
  }
  void Dispatch(TMessage& M) override {
    TWMKey k(M);
    if (M.Msg == CM_DIALOGKEY && ((k.CharCode() == VK_RETURN && Default) || (k.CharCode() == VK_ESCAPE && Cancel)) &&
        CanFocus()) {
      Click();
      M.Result = 1;
    } else if (M.Msg == CM_DIALOGCHAR && IsAccel(k.CharCode(), Caption()) && CanFocus()) {
      Click();
      M.Result = 1;
    } else {
      TProbe::Dispatch(M);
    }
  }
};

// Each test gets a scripted modal runner and a manual clock, and frees what it made.
class ControlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetClock(&Clock);
    Runner = std::make_unique<TScriptedModalRunner>();
    InstallInputLayer();
  }
  void TearDown() override {
    Application->CancelHint();
    for (TComponent* c : Owned) delete c;
    Application->ProcessMessages();
    ReleaseCapture();
    Runner.reset();
    SetClock(nullptr);
  }
  template <class T>
  T* Own(T* C) {
    Owned.insert(Owned.begin(), C);
    return C;
  }
  // A shown form at (100, 100) with a 300 x 200 client area and no caption bar.
  TForm* MakeForm(const std::string& Name = "Form1") {
    TForm* f = Own(new TForm(nullptr));
    f->SetName(Name);
    f->SetBorderStyle(bsNone);
    f->SetBounds(100, 100, 300, 200);
    return f;
  }
  template <class T>
  T* Child(TWinControl* Parent, const std::string& Name, TRect R, TColor Color = clWhite) {
    T* c = new T(Parent->Owner() ? Parent->Owner() : Parent, &Log);
    c->SetName(Name);
    c->SetBoundsRect(R);
    c->SetColor(Color);
    c->SetParent(Parent);
    return c;
  }
  // The pointer moves / a button goes down or up at a client point of Form.
  void Mouse(TCustomForm* Form, UINT Msg, TPoint P, WPARAM Keys = 0) { InputMouse(Form->Handle(), Msg, P, Keys); }
  void Key(WORD VKey, const std::string& Chars = {}, bool Alt = false) {
    InputKey(Alt ? WM_SYSKEYDOWN : WM_KEYDOWN, VKey, Alt ? KF_ALTDOWN_BIT : 0, Chars);
    InputKey(Alt ? WM_SYSKEYUP : WM_KEYUP, VKey, (Alt ? KF_ALTDOWN_BIT : 0) | KF_UP_BIT, {});
  }

  TManualClock Clock{1000};
  std::unique_ptr<TScriptedModalRunner> Runner;
  std::vector<TComponent*> Owned;
  TLog Log;
};
