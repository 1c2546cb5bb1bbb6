// Message dispatch: Perform, WindowProc, per-class handlers, handles, posting,
// broadcasting and the exception display.
#include <cstring>

#include "fixtures.h"

namespace {

// Handles WM_USER+7 in a base class and a derived one; the derived handler runs
// first and passes to the base with inherited::Dispatch.
class TBaseHandler : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  std::vector<std::string>* Trace = nullptr;
  void WndProc(TMessage& M) override {
    if (M.Msg == WM_USER + 7) Trace->push_back("base WndProc");
    TCustomControl::WndProc(M);
  }
  void Dispatch(TMessage& M) override {
    if (M.Msg == WM_USER + 7) {
      Trace->push_back("base handler");
      M.Result += 1;
    } else {
      TCustomControl::Dispatch(M);
    }
  }
  void DefaultHandler(TMessage& M) override {
    if (M.Msg >= WM_USER) Trace->push_back("default " + std::to_string(M.Msg - WM_USER));
    TCustomControl::DefaultHandler(M);
  }
};

class TDerivedHandler : public TBaseHandler {
public:
  using TBaseHandler::TBaseHandler;
  void WndProc(TMessage& M) override {
    if (M.Msg == WM_USER + 7) Trace->push_back("derived WndProc");
    TBaseHandler::WndProc(M);
  }
  void Dispatch(TMessage& M) override {
    if (M.Msg == WM_USER + 7) {
      Trace->push_back("derived handler");
      M.Result += 10;
      TBaseHandler::Dispatch(M);  // inherited
    } else {
      TBaseHandler::Dispatch(M);
    }
  }
};

}  // namespace

using DispatchTest = ControlsTest;

TEST_F(DispatchTest, HandlersRunMostDerivedFirstAfterEveryWndProcAndUnhandledMessagesReachDefaultHandler) {
  std::vector<std::string> trace;
  TForm* form = MakeForm();
  auto* c = new TDerivedHandler(form);
  c->Trace = &trace;
  c->SetParent(form);
  EXPECT_EQ(c->Perform(WM_USER + 7, 0, 0), 11);
  EXPECT_EQ(trace, (std::vector<std::string>{"derived WndProc", "base WndProc", "derived handler", "base handler"}));

  trace.clear();
  c->Perform(WM_USER + 8, 0, 0);
  EXPECT_EQ(trace, (std::vector<std::string>{"default 8"}));

  // A replaced WindowProc sees the message first and may keep it.
  trace.clear();
  TWndMethod old = c->WindowProc;
  c->WindowProc = [&](TMessage& M) {
    trace.push_back("hook");
    if (M.Msg != WM_USER + 9) old(M);
  };
  c->Perform(WM_USER + 9, 0, 0);
  c->Perform(WM_USER + 7, 0, 0);
  EXPECT_EQ(trace.front(), "hook");
  EXPECT_EQ(trace.size(), 6u);  // hook, hook and the four of WM_USER+7
  c->WindowProc = old;
}

TEST_F(DispatchTest, HandleMessagesReachWindowProcAndPostedOnesArriveAfterTheHandlerReturns) {
  TForm* form = MakeForm();
  auto* c = Child<TProbe>(form, "C", {10, 10, 60, 40});
  form->Show();
  TLog order;
  TWndMethod old = c->WindowProc;
  c->WindowProc = [&](TMessage& M) {
    if (M.Msg == WM_USER + 2) {
      order.push_back("sent " + std::to_string(M.WParam));
      PostMessage(c->Handle(), WM_USER + 3, 0, 0);
      M.Result = 42;
      order.push_back("handler returns");
      return;
    }
    if (M.Msg == WM_USER + 3) order.push_back("posted");
    old(M);
  };
  EXPECT_EQ(SendMessage(c->Handle(), WM_USER + 2, 5, 0), 42);
  EXPECT_EQ(order, (TLog{"sent 5", "handler returns"}));
  Application->ProcessMessages();
  EXPECT_EQ(order, (TLog{"sent 5", "handler returns", "posted"}));
  EXPECT_EQ(FindControl(c->Handle()), c);
  c->WindowProc = old;
}

TEST_F(DispatchTest, BroadcastStopsAtTheFirstAnswerAndNotifyControlsReachesEveryChild) {
  TForm* form = MakeForm();
  auto* a = Child<TProbe>(form, "A", {0, 0, 10, 10});
  auto* b = Child<TGraphicProbe>(form, "B", {20, 0, 30, 10});
  auto* c = Child<TProbe>(form, "C", {40, 0, 50, 10});
  TLog seen;
  for (TControl* x : {static_cast<TControl*>(a), static_cast<TControl*>(b), static_cast<TControl*>(c)}) {
    TWndMethod old = x->WindowProc;
    x->WindowProc = [&seen, x, old](TMessage& M) {
      if (M.Msg == WM_USER + 4) {
        seen.push_back(x->Name());
        M.Result = x->Name() == "A" ? 1 : 0;  // graphic controls come first in the child order
        return;
      }
      old(M);
    };
  }
  TMessage m{WM_USER + 4, 0, 0, 0};
  form->Broadcast(m);
  EXPECT_EQ(seen, (TLog{"B", "A"}));
  seen.clear();
  form->NotifyControls(WM_USER + 4);
  EXPECT_EQ(seen, (TLog{"B", "A"}));
}

TEST_F(DispatchTest, TextAndChangeNotificationsGoThroughMessages) {
  TForm* form = MakeForm();
  auto* c = Child<TProbe>(form, "C", {0, 0, 10, 10}, clRed);
  TLog seen;
  TWndMethod old = c->WindowProc;
  c->WindowProc = [&](TMessage& M) {
    if (M.Msg == CM_TEXTCHANGED) seen.push_back("text " + c->Caption());
    if (M.Msg == CM_COLORCHANGED) seen.push_back("color");
    if (M.Msg == CM_ENABLEDCHANGED) seen.push_back("enabled");
    if (M.Msg == CM_VISIBLECHANGED) seen.push_back("visible");
    if (M.Msg == CM_FONTCHANGED) seen.push_back("font");
    if (M.Msg == CM_PARENTCOLORCHANGED) seen.push_back("parent color");
    old(M);
  };
  c->SetCaption("设置");
  c->SetCaption("设置");  // unchanged: no notification
  c->SetColor(clBlue);
  c->SetEnabled(false);
  c->SetVisible(false);
  c->Font()->SetHeight(-15);
  form->SetColor(clYellow);  // the child keeps its own colour
  EXPECT_EQ(seen, (TLog{"text 设置", "color", "enabled", "visible", "font", "parent color"}));
  EXPECT_EQ(c->Color(), clBlue);
  c->SetParentColor(true);
  EXPECT_EQ(c->Color(), clYellow);
  EXPECT_EQ(form->Handle() != nullptr, true);
  EXPECT_EQ(c->Text(), "设置");
  EXPECT_FALSE(c->ParentFont());
}

TEST_F(DispatchTest, AHandlerThatThrowsIsShownByTheExceptionDisplayAndTheLoopGoesOn) {
  Application->SetTitle("配置工具");
  TForm* form = MakeForm();
  auto* c = Child<TProbe>(form, "C", {0, 0, 10, 10});
  form->Show();
  int after = 0;
  TWndMethod old = c->WindowProc;
  c->WindowProc = [&](TMessage& M) {
    if (M.Msg == WM_USER + 5) throw EConvertError("'x1' is not a valid integer value");
    if (M.Msg == WM_USER + 6) throw EAbort("silent");
    if (M.Msg == WM_USER + 8) ++after;
    old(M);
  };
  PostMessage(c->Handle(), WM_USER + 5, 0, 0);
  PostMessage(c->Handle(), WM_USER + 6, 0, 0);
  PostMessage(c->Handle(), WM_USER + 8, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(after, 1);
  auto boxes = Runner->CallsOf("messagebox");
  ASSERT_EQ(boxes.size(), 1u);  // EAbort shows nothing
  EXPECT_EQ(boxes[0].Text, "'x1' is not a valid integer value.");
  EXPECT_EQ(boxes[0].Caption, "配置工具");
  EXPECT_EQ(boxes[0].Type, MB_OK | MB_ICONERROR);

  // OnException replaces the display.
  std::string seen;
  Application->OnException = [&](TObject* Sender, Exception* E) { seen = (Sender == c ? "C: " : "?: ") + E->Message(); };
  SendMessage(c->Handle(), WM_USER + 5, 0, 0);
  Application->OnException = nullptr;
  EXPECT_EQ(seen, "C: 'x1' is not a valid integer value");
  Application->SetTitle("");
  c->WindowProc = old;
}

TEST(ExceptionDisplay, AddsAFullStopOnlyAfterACharacterAboveIt) {
  struct Case {
    std::string Message, Shown;
  };
  const Case cases[] = {
      {"Error", "Error."},
      {"Done.", "Done."},
      {"Really?", "Really?."},   // '?' is above '.': a stop is added ...
      {"Stop!", "Stop!"},        // ... '!' is below it: none
      {"请先打开串口！", "请先打开串口！."},  // a double-byte character counts as above
      {"", ""},
  };
  TScriptedModalRunner runner;
  for (const Case& c : cases) Application->ShowException(Exception(c.Message));
  ASSERT_EQ(runner.Calls.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(runner.Calls[i].Text, cases[i].Shown) << cases[i].Message;
}

// WM_GETTEXT into a short buffer, from a windowless control's own text and from a
// window's default procedure: never half a double-byte character, always a NUL.
TEST_F(ControlsTest, GetTextIntoAShortBufferNeverSplitsADoubleByteCharacter) {
  TForm* form = MakeForm();
  auto* label = Child<TGraphicProbe>(form, "Probe", TRect(0, 0, 10, 10));
  label->SetText("A\xD6\xD0" "B");  // "A中B" in GBK
  form->SetCaption("A\xD6\xD0" "B");
  struct Row {
    WPARAM Size;
    const char* Expected;
  } rows[] = {{1, ""}, {2, "A"}, {3, "A"}, {4, "A\xD6\xD0"}, {5, "A\xD6\xD0" "B"}, {9, "A\xD6\xD0" "B"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Size);
    char buf[16];
    std::memset(buf, 'x', sizeof buf);
    LRESULT n = label->Perform(WM_GETTEXT, r.Size, reinterpret_cast<LPARAM>(buf));
    EXPECT_EQ(std::string(buf), r.Expected);
    EXPECT_EQ(n, static_cast<LRESULT>(std::strlen(r.Expected)));
    std::memset(buf, 'x', sizeof buf);
    n = SendMessage(form->Handle(), WM_GETTEXT, r.Size, reinterpret_cast<LPARAM>(buf));
    EXPECT_EQ(std::string(buf), r.Expected);
    EXPECT_EQ(n, static_cast<LRESULT>(std::strlen(r.Expected)));
  }
}
