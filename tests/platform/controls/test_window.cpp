// The window layer under the controls: placement messages, invalid regions,
// suspended painting, focus rules, window re-creation, freeing controls in use.
#include "fixtures.h"

using WindowTest = ControlsTest;

TEST_F(WindowTest, PlacementSendsChangingThenSizeAndAHandlerMayKeepTheWindowWhereItIs) {
  TForm* form = MakeForm();
  auto* c = Child<TProbe>(form, "C", {10, 10, 60, 40});
  form->Show();
  TLog seen;
  bool pin = false;
  TWndMethod old = c->WindowProc;
  c->WindowProc = [&](TMessage& M) {
    if (M.Msg == WM_WINDOWPOSCHANGING) {
      seen.push_back("changing");
      if (pin) TWMWindowPosMsg(M).WindowPos()->flags |= SWP_NOMOVE;
    }
    if (M.Msg == WM_WINDOWPOSCHANGED) seen.push_back("changed");
    if (M.Msg == WM_MOVE) seen.push_back("move");
    if (M.Msg == WM_SIZE) seen.push_back("size " + std::to_string(TWMSize(M).Width()));
    old(M);
  };
  c->SetBounds(20, 10, 70, 30);
  EXPECT_EQ(seen, (TLog{"changing", "changed", "move", "size 70"}));
  EXPECT_EQ(c->BoundsRect(), TRect(20, 10, 90, 40));
  seen.clear();
  pin = true;
  c->SetBounds(99, 99, 70, 30);  // vetoed: the control stays with its window
  EXPECT_EQ(c->Left(), 20);
  EXPECT_EQ(seen, (TLog{"changing", "changed"}));  // nothing moved: no WM_MOVE, no WM_SIZE
  c->WindowProc = old;
}

TEST_F(WindowTest, InvalidRegionsAccumulateAndSuspendedWindowsPaintOnlyWhenResumed) {
  TForm* form = MakeForm();
  auto* c = Child<TProbe>(form, "C", {0, 0, 100, 100});
  form->Show();
  Application->ProcessMessages();
  HWND h = c->Handle();
  TRect r;
  EXPECT_FALSE(GetUpdateRect(h, &r, FALSE));
  struct Step {
    TRect Invalidate;
    TRect Want;
  };
  const Step steps[] = {
      {{10, 10, 20, 20}, {10, 10, 20, 20}},
      {{50, 5, 60, 15}, {10, 5, 60, 20}},
      {{-50, -50, 5, 5}, {0, 0, 60, 20}},  // clipped to the client area
  };
  for (const Step& s : steps) {
    InvalidateRect(h, &s.Invalidate, FALSE);
    ASSERT_TRUE(GetUpdateRect(h, &r, FALSE));
    EXPECT_EQ(r, s.Want);
  }
  ValidateRect(h, nullptr);
  EXPECT_FALSE(GetUpdateRect(h, &r, FALSE));

  int paints = 0;
  TWndMethod old = c->WindowProc;
  c->WindowProc = [&](TMessage& M) {
    if (M.Msg == WM_PAINT) ++paints;
    old(M);
  };
  SendMessage(h, WM_SETREDRAW, FALSE, 0);
  c->Invalidate();
  Application->ProcessMessages();
  EXPECT_EQ(paints, 0);
  SendMessage(h, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(paints, 1);
  c->WindowProc = old;
}

TEST_F(WindowTest, AnExitHandlerCanKeepTheFocusAndDisabledOrHiddenControlsLoseIt) {
  TForm* form = MakeForm();
  auto* a = Child<TProbe>(form, "A", {0, 0, 50, 20});
  auto* b = Child<TProbe>(form, "B", {0, 30, 50, 50});
  auto* c = Child<TProbe>(form, "C", {0, 60, 50, 80});
  form->Show();
  a->SetFocus();
  // A's exit refuses once (a value out of range): the focus goes back to A and B
  // never hears CM_ENTER.
  bool refuse = true;
  a->OnExit = [&](TObject*) {
    if (refuse) {
      refuse = false;
      a->SetFocus();
    }
  };
  Log.clear();
  b->SetFocus();
  EXPECT_TRUE(a->Focused());
  EXPECT_EQ(std::count(Log.begin(), Log.end(), "B CM_ENTER"), 0);
  b->SetFocus();
  EXPECT_TRUE(b->Focused());

  b->SetEnabled(false);
  EXPECT_FALSE(b->Focused());
  EXPECT_EQ(GetFocus(), form->Handle());
  EXPECT_THROW(b->SetFocus(), EInvalidOperation);
  c->SetFocus();
  c->Hide();
  EXPECT_EQ(form->ActiveControl(), nullptr);
  EXPECT_EQ(GetFocus(), form->Handle());
  Key(VK_TAB, "\t");
  EXPECT_TRUE(a->Focused());  // the only focusable control left
}

TEST_F(WindowTest, RecreatingAWindowKeepsItsChildrenTextAndFocus) {
  TForm* form = MakeForm();
  auto* p = Child<TProbe>(form, "P", {0, 0, 200, 100});
  p->SetControlStyle(p->ControlStyle() << csAcceptsControls);
  auto* inner = Child<TProbe>(p, "I", {10, 10, 50, 30});
  p->SetCaption("面板");
  form->Show();
  p->SetFocus();
  HWND before = p->Handle();
  HWND innerBefore = inner->Handle();
  TMessage m{CM_RECREATEWND, 0, 0, 0};
  p->WindowProc(m);
  EXPECT_NE(p->Handle(), before);
  EXPECT_FALSE(IsWindow(innerBefore));
  EXPECT_TRUE(inner->HandleAllocated());
  EXPECT_TRUE(IsWindowVisible(inner->Handle()));
  EXPECT_EQ(GetParent(inner->Handle()), p->Handle());
  EXPECT_TRUE(p->Focused());
  EXPECT_EQ(p->Caption(), "面板");
  EXPECT_EQ(GetWindowTextString(p->Handle()), "面板");
}

TEST_F(WindowTest, ControlsFreedWhileTheyHaveTheFocusCaptureOrPointerLeaveNothingBehind) {
  TForm* form = MakeForm();
  auto* a = Child<TProbe>(form, "A", {10, 10, 60, 40});
  auto* g = Child<TGraphicProbe>(form, "G", {100, 10, 150, 40});
  form->Show();
  a->SetFocus();
  Mouse(form, WM_MOUSEMOVE, {20, 20});
  Mouse(form, WM_LBUTTONDOWN, {20, 20}, MK_LBUTTON);
  ASSERT_EQ(MouseControl(), a);
  delete a;
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(MouseControl(), nullptr);
  EXPECT_EQ(form->ActiveControl(), nullptr);
  Mouse(form, WM_MOUSEMOVE, {120, 20});
  Mouse(form, WM_LBUTTONDOWN, {120, 20}, MK_LBUTTON);
  ASSERT_EQ(GetCaptureControl(), g);
  delete g;
  EXPECT_EQ(GetCapture(), nullptr);
  Mouse(form, WM_MOUSEMOVE, {130, 20}, MK_LBUTTON);
  Mouse(form, WM_LBUTTONUP, {130, 20});
  EXPECT_EQ(MouseControl(), form);
}

TEST_F(WindowTest, ClientAreasFollowTheWindowStyles) {
  struct Case {
    DWORD Style, ExStyle;
    TRect Client;
  };
  const Case cases[] = {
      {0, 0, {0, 0, 100, 50}},
      {WS_BORDER, 0, {1, 1, 99, 49}},
      {0, WS_EX_CLIENTEDGE, {2, 2, 98, 48}},
      {WS_BORDER, WS_EX_CLIENTEDGE, {3, 3, 97, 47}},
  };
  TForm* form = MakeForm();
  form->Show();
  for (const Case& c : cases) {
    TCreateParams p;
    p.Style = WS_CHILD | WS_VISIBLE | c.Style;
    p.ExStyle = c.ExStyle;
    p.Width = 100;
    p.Height = 50;
    p.WndParent = form->Handle();
    HWND self = nullptr;
    HWND h = CreateWindowEx(p, [&self](TMessage& M) { DefWindowProc(self, M); }, [&self](HWND H) { self = H; });
    ASSERT_TRUE(h);
    EXPECT_EQ(GetClientArea(h), c.Client);
    DestroyWindow(h);
  }
}
