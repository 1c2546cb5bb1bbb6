// Mouse routing, capture and hover; keyboard routing and characters as GBK bytes.
#include "fixtures.h"

namespace {

// The log entries of one control (only those named in Only, when given).
TLog Of(const TLog& All, const std::string& Name, const std::vector<std::string>& Only = {}) {
  TLog out;
  for (const std::string& e : All)
    if (e.rfind(Name + " ", 0) == 0) {
      std::string rest = e.substr(Name.size() + 1);
      if (Only.empty() || std::find(Only.begin(), Only.end(), rest) != Only.end()) out.push_back(rest);
    }
  return out;
}

const std::vector<std::string> kPointer = {"CM_MOUSEENTER", "CM_MOUSELEAVE", "WM_LBUTTONDOWN", "WM_LBUTTONUP",
                                           "Click"};

}  // namespace

using InputTest = ControlsTest;

TEST_F(InputTest, AScriptedClickEntersCapturesFollowsThePointerOutAndBackAndClicks) {
  // The same sequence for a windowed and a graphic control.
  for (bool windowed : {true, false}) {
    Log.clear();
    TForm* form = MakeForm(windowed ? "FW" : "FG");
    TControl* b = windowed ? static_cast<TControl*>(Child<TProbe>(form, "B", {50, 50, 150, 80}))
                           : static_cast<TControl*>(Child<TGraphicProbe>(form, "B", {50, 50, 150, 80}));
    b->SetControlStyle(b->ControlStyle() << csCaptureMouse << csClickEvents);
    form->Show();
    Mouse(form, WM_MOUSEMOVE, {10, 10});
    Mouse(form, WM_MOUSEMOVE, {60, 60});
    Mouse(form, WM_LBUTTONDOWN, {60, 60}, MK_LBUTTON);
    EXPECT_TRUE(b->MouseCapture());
    EXPECT_EQ(GetCaptureControl(), b);
    Mouse(form, WM_MOUSEMOVE, {250, 190}, MK_LBUTTON);
    Mouse(form, WM_MOUSEMOVE, {70, 60}, MK_LBUTTON);
    Mouse(form, WM_LBUTTONUP, {70, 60});
    EXPECT_FALSE(b->MouseCapture());
    EXPECT_EQ(Of(Log, "B", kPointer), (TLog{"CM_MOUSEENTER", "WM_LBUTTONDOWN", "CM_MOUSELEAVE", "CM_MOUSEENTER",
                                  "WM_LBUTTONUP", "Click"}))
        << (windowed ? "windowed" : "graphic");

    // Released outside: no click, and the leave comes with the next move.
    Log.clear();
    Mouse(form, WM_LBUTTONDOWN, {60, 60}, MK_LBUTTON);
    Mouse(form, WM_MOUSEMOVE, {5, 5}, MK_LBUTTON);
    Mouse(form, WM_LBUTTONUP, {5, 5});
    EXPECT_EQ(Of(Log, "B", kPointer), (TLog{"WM_LBUTTONDOWN", "CM_MOUSELEAVE", "WM_LBUTTONUP"}));
    form->Hide();
  }
}

TEST_F(InputTest, MouseMessagesCarryClientCoordinatesOfTheDeepestControl) {
  TForm* form = MakeForm();
  auto* panel = Child<TProbe>(form, "P", {20, 20, 220, 120});
  auto* inner = Child<TProbe>(panel, "I", {10, 10, 60, 40});
  auto* label = Child<TGraphicProbe>(panel, "L", {100, 10, 150, 40});
  form->Show();
  TPoint got;
  TControl* who = nullptr;
  for (TControl* c : {static_cast<TControl*>(panel), static_cast<TControl*>(inner), static_cast<TControl*>(label)})
    c->OnMouseDown = [&got, &who](TObject* S, TMouseButton, TShiftState, int X, int Y) {
      got = {X, Y};
      who = static_cast<TControl*>(S);
    };
  struct Case {
    TPoint At;
    TControl* Target;
    TPoint Client;
  };
  const Case cases[] = {
      {{35, 35}, inner, {5, 5}},
      {{125, 35}, label, {5, 5}},
      {{30, 100}, panel, {10, 80}},
  };
  for (const Case& c : cases) {
    who = nullptr;
    Mouse(form, WM_LBUTTONDOWN, c.At, MK_LBUTTON);
    Mouse(form, WM_LBUTTONUP, c.At);
    EXPECT_EQ(who, c.Target);
    EXPECT_EQ(got, c.Client);
  }
  // A disabled control does not take the click: its parent does.
  inner->SetEnabled(false);
  Mouse(form, WM_LBUTTONDOWN, {35, 35}, MK_LBUTTON);
  Mouse(form, WM_LBUTTONUP, {35, 35});
  EXPECT_EQ(who, panel);
}

TEST_F(InputTest, CaptureEndsWhenTheControlIsHiddenOrDisabledOrAModalThingOpens) {
  struct Case {
    const char* What;
    std::function<void(TControl*)> Do;
  };
  const Case cases[] = {
      {"hidden", [](TControl* C) { C->SetVisible(false); }},
      {"disabled", [](TControl* C) { C->SetEnabled(false); }},
      {"message box", [](TControl*) { ShowMessage("x"); }},
  };
  for (const Case& c : cases) {
    for (bool windowed : {true, false}) {
      TForm* form = MakeForm(std::string("F") + c.What[0] + (windowed ? "w" : "g"));
      TControl* b = windowed ? static_cast<TControl*>(Child<TProbe>(form, "B", {10, 10, 60, 40}))
                             : static_cast<TControl*>(Child<TGraphicProbe>(form, "B", {10, 10, 60, 40}));
      form->Show();
      Mouse(form, WM_LBUTTONDOWN, {20, 20}, MK_LBUTTON);
      ASSERT_TRUE(b->MouseCapture()) << c.What;
      c.Do(b);
      EXPECT_FALSE(b->MouseCapture()) << c.What << (windowed ? " windowed" : " graphic");
      EXPECT_EQ(GetCapture(), nullptr) << c.What;
      EXPECT_FALSE(b->ControlState().Contains(csLButtonDown)) << c.What;
      form->Hide();
    }
  }
}

TEST_F(InputTest, KeysGoToTheFocusedControlAndCharactersArriveAsGbkBytes) {
  TForm* form = MakeForm();
  auto* a = Child<TProbe>(form, "A", {0, 0, 50, 20});
  auto* b = Child<TProbe>(form, "B", {0, 30, 50, 50});
  a->DlgCode = b->DlgCode = DLGC_WANTCHARS;
  form->Show();
  std::string typed;
  b->OnKeyPress = [&](TObject*, char& K) {
    typed += K;
    if (K == 'x') K = 0;  // refused
  };
  b->SetFocus();
  Log.clear();
  Key('A', "a");
  Key(VK_OEM_1, "中");  // an input method's character: two WM_CHARs, lead byte first
  Key('X', "x");
  InputChars("文");
  EXPECT_EQ(typed, "a中x文");
  TLog chars;
  for (const std::string& e : Of(Log, "B"))
    if (e.rfind("WM_CHAR", 0) == 0) chars.push_back(e);
  const std::string zhong = "中", wen = "文";
  EXPECT_EQ(chars, (TLog{"WM_CHAR:97", "WM_CHAR:" + std::to_string(static_cast<unsigned char>(zhong[0])),
                         "WM_CHAR:" + std::to_string(static_cast<unsigned char>(zhong[1])), "WM_CHAR:120",
                         "WM_CHAR:" + std::to_string(static_cast<unsigned char>(wen[0])),
                         "WM_CHAR:" + std::to_string(static_cast<unsigned char>(wen[1]))}));
  EXPECT_TRUE(Of(Log, "A").empty());

  // Focus order of messages: the old control hears of the new one, then the new.
  Log.clear();
  a->SetFocus();
  EXPECT_EQ(Log, (TLog{"B WM_KILLFOCUS", "B CM_EXIT", "A CM_ENTER", "A WM_SETFOCUS"}));
}

TEST_F(InputTest, APostedTabKeyDownMovesTheFocusLikeATypedOne) {
  TForm* form = MakeForm();
  auto* a = Child<TProbe>(form, "A", {0, 0, 50, 20});
  auto* b = Child<TProbe>(form, "B", {0, 30, 50, 50});
  form->Show();
  a->SetFocus();
  PostMessage(a->Handle(), WM_KEYDOWN, VK_TAB, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(b->Focused());
}

TEST_F(InputTest, ArrowsMoveAmongSiblingsAndAControlCanAskForThem) {
  TForm* form = MakeForm();
  auto* group = Child<TProbe>(form, "G", {0, 0, 200, 100});
  group->SetTabStop(false);
  TProbe* r[3];
  for (int i = 0; i < 3; ++i) {
    r[i] = Child<TProbe>(group, "R" + std::to_string(i), {10, 10 + 25 * i, 100, 30 + 25 * i});
    r[i]->SetTabStop(i == 0);  // only the first is a tab stop, as in a radio group
  }
  auto* other = Child<TProbe>(form, "O", {0, 150, 50, 170});
  form->Show();
  r[0]->SetFocus();
  Key(VK_DOWN);
  EXPECT_TRUE(r[1]->Focused());
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_TRUE(r[0]->Focused());  // wraps within the group
  Key(VK_UP);
  EXPECT_TRUE(r[2]->Focused());
  Key(VK_TAB, "\t");
  EXPECT_TRUE(other->Focused());
  // A control that wants arrows gets them as keys instead.
  r[0]->SetFocus();
  r[0]->DlgCode = DLGC_WANTARROWS;
  Log.clear();
  Key(VK_DOWN);
  EXPECT_TRUE(r[0]->Focused());
  EXPECT_EQ(Of(Log, "R0", {"WM_KEYDOWN:40"}).size(), 1u);
}

TEST_F(InputTest, NonClientAreaGetsNonClientMessagesAndTrackedWindowsHearWhenThePointerLeaves) {
  TForm* form = MakeForm();
  auto* framed = Child<TProbe>(form, "F", {10, 10, 110, 60});
  framed->OnMouseDown = nullptr;
  form->Show();
  // A border: WS_BORDER through the window style.
  SetWindowLong(framed->Handle(), GWL_STYLE, GetWindowLong(framed->Handle(), GWL_STYLE) | WS_BORDER);
  SetWindowPos(framed->Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  EXPECT_EQ(framed->ClientWidth(), 98);
  Log.clear();
  Mouse(form, WM_LBUTTONDOWN, {10, 30}, MK_LBUTTON);  // on the left border
  Mouse(form, WM_LBUTTONUP, {10, 30});
  EXPECT_EQ(Of(Log, "F").at(1), "WM_NCLBUTTONDOWN");

  TRACKMOUSEEVENT t;
  t.dwFlags = TME_LEAVE;
  t.hwndTrack = framed->Handle();
  TrackMouseEvent(&t);
  Log.clear();
  Mouse(form, WM_MOUSEMOVE, {200, 150});
  EXPECT_EQ(Of(Log, "F"), (TLog{"CM_MOUSELEAVE", "WM_MOUSELEAVE"}));
}

TEST_F(InputTest, AWheelTheWheelHandlerLeavesGoesToTheUpOrDownHandlerByItsDirection) {
  struct Case {
    int Delta;
    bool WheelHandles;
    const char* Expected;
  } const cases[] = {
      {-120, false, "wheel down"}, {120, false, "wheel up"}, {-120, true, "wheel"}, {240, true, "wheel"},
  };
  for (const Case& c : cases) {
    TForm* form = MakeForm();
    auto* p = Child<TProbe>(form, "P", {10, 10, 110, 60});
    form->Show();
    std::string seen;
    p->OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool& Handled) {
      seen = "wheel";
      Handled = c.WheelHandles;
    };
    p->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& Handled) { seen += " down", Handled = true; };
    p->OnMouseWheelUp = [&](TObject*, TShiftState, TPoint, bool& Handled) { seen += " up", Handled = true; };
    LRESULT r = SendMessage(p->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, c.Delta), MAKELPARAM(20, 20));
    EXPECT_EQ(seen, c.Expected) << c.Delta;
    EXPECT_EQ(r, 1) << "handled either way";
  }
}
