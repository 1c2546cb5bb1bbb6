// The status bar: pane scaling, simple mode, the size grip (drawn, refused on
// fixed or maximised forms, and sizing the form through the layer), streams.
#include "basic_fixture.h"
#include "controls/basic/classes.h"
#include "controls/basic/statusbar.h"
#include "platform/controls/input.h"

namespace {

struct StatusBar : TFormFixture {
  void SetUp() override {
    TFormFixture::SetUp();
    S = new TQvStatusBar(Form);
    S->SetParent(Form);
    S->HandleNeeded();
  }
  TQvStatusBar* S = nullptr;
};

TEST_F(StatusBar, ScaledPanesGrowWithTheBar) {
  S->SetAlign(alNone);
  S->SetBounds(0, 0, 200, 19);
  auto* pane = new TQvPanel(Form);
  pane->SetParent(S);
  pane->SetBounds(0, 0, 100, 19);
  S->SetAutoScalePanes(true);
  S->SetWidth(300);
  EXPECT_EQ(pane->Width(), 150);
  // A half pixel of growth rounds to even; the share of the last width is a single
  // and the growth is not: 100 / 600 as a single, times 3, is just over a half.
  struct Case {
    int From, To, Pane, Expected;
  } cases[] = {{200, 201, 100, 100}, {200, 203, 100, 102}, {200, 205, 100, 102}, {200, 199, 100, 100},
               {200, 197, 100, 98},  {600, 603, 100, 101}, {600, 606, 50, 51},   {400, 402, 100, 100},
               {400, 410, 100, 102}, {600, 597, 100, 99}};
  for (const Case& c : cases) {
    S->SetWidth(c.From);
    pane->SetWidth(c.Pane);
    S->SetWidth(c.To);
    EXPECT_EQ(pane->Width(), c.Expected) << c.From << " to " << c.To;
  }
  // A last width of 0: the next resize does not divide by it.
  S->SetWidth(0);
  S->SetWidth(120);
  EXPECT_GE(pane->Width(), 0);
  EXPECT_NO_THROW(Shot(S));
}

TEST_F(StatusBar, SimpleModeHidesEveryPaneAndShowsThemAllAfter) {
  auto* a = new TQvPanel(Form);
  auto* b = new TQvPanel(Form);
  a->SetParent(S);
  b->SetParent(S);
  b->SetVisible(false);
  S->SetSimpleStatus(true);
  EXPECT_FALSE(a->Visible());
  S->SetSimpleStatus(false);
  EXPECT_TRUE(a->Visible());
  EXPECT_TRUE(b->Visible());  // also the one hidden before
}

TEST_F(StatusBar, TheGripIsOnlyForASizeableFormThatIsNotMaximised) {
  struct Case { TFormBorderStyle style; TWindowState state; bool usable; };
  const Case cases[] = {{bsSizeable, wsNormal, true}, {bsSizeToolWin, wsNormal, true},
                        {bsDialog, wsNormal, false}, {bsSingle, wsNormal, false},
                        {bsSizeable, wsMaximized, false}};
  for (const Case& c : cases) {
    Form->SetBorderStyle(c.style);
    Form->SetWindowState(c.state);
    S->ValidateSizeGrip();
    EXPECT_EQ(S->SizeGripUsable(), c.usable) << static_cast<int>(c.style);
    Form->SetWindowState(wsNormal);
  }
}

TEST_F(StatusBar, TheGripIsDrawnInTheCornerOnlyWhenUsable) {
  S->SetAlign(alNone);
  S->SetBounds(0, 0, 100, 19);
  S->SetColor(clWhite);
  // R = client rect less a pixel: Right 101, Bottom 19 (x = 100, y = 19); the last
  // dark square of the column sits at (95, 14)..(96, 15).
  auto shot = Shot(S);
  EXPECT_EQ(Px(shot.get(), 95, 14), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(shot.get(), 97, 16), ColorToRGB(clBtnHighlight));
  Form->SetBorderStyle(bsDialog);
  shot = Shot(S);
  EXPECT_EQ(Px(shot.get(), 95, 14), RGB(255, 255, 255));
}

TEST_F(StatusBar, PressingTheGripSizesTheForm) {
  Form->SetBorderStyle(bsSizeable);
  Form->Show();
  int w = Form->Width(), h = Form->Height();
  TPoint grip{S->Left() + S->Width() - 4, S->Top() + S->Height() - 4};
  InputMouse(Form->Handle(), WM_LBUTTONDOWN, grip, MK_LBUTTON);
  InputMouse(Form->Handle(), WM_MOUSEMOVE, {grip.X + 30, grip.Y + 20}, MK_LBUTTON);
  InputMouse(Form->Handle(), WM_LBUTTONUP, {grip.X + 40, grip.Y + 25}, 0);
  EXPECT_EQ(Form->Width(), w + 40);
  EXPECT_EQ(Form->Height(), h + 25);
  InputMouse(Form->Handle(), WM_MOUSEMOVE, {grip.X + 90, grip.Y + 90}, 0);  // tracking has ended
  EXPECT_EQ(Form->Width(), w + 40);
}

TEST_F(StatusBar, StreamsRoundTrip) {
  S->SetName("SB");
  S->SetSimpleStatus(true);
  S->SetSimpleCaption("Ready");
  S->SetShowSizeGrip(false);
  S->SetAutoScalePanes(true);
  std::string text = TextOf(S);
  EXPECT_NE(text.find("BorderOuter = fsNone"), std::string::npos);  // stored whatever it is
  auto* back = new TQvStatusBar(nullptr);
  back->SetParent(Form);
  ReadInto(text, back);
  EXPECT_TRUE(back->SimpleStatus());
  EXPECT_EQ(back->SimpleCaption(), "Ready");
  EXPECT_FALSE(back->ShowSizeGrip());
  EXPECT_TRUE(back->AutoScalePanes());
  EXPECT_TRUE(back->AutoStyle());
  EXPECT_EQ(TextOf(back), text);
}

// A bar aligned to a side of a form writes the bounds it was read with: writing
// and reading the form again and again moves nothing.
// A bar aligned to a side writes the bounds it was read with: a form written and read
// again and again keeps every bound, the bar directly on the form or on a form inside
// it, with and without windows.
TEST_F(StatusBar, AnAlignedBarInAFormWritesTheBoundsItRead) {
  RegisterBasicClasses();
  for (int mode = 0; mode < 8; ++mode) {
    for (TAlign align : {alLeft, alRight, alTop, alBottom}) {
      const bool nested = mode & 1, sizeable = mode & 2, shown = mode & 4;
      std::unique_ptr<TForm> f(new TForm(nullptr));
      f->SetName("F");
      if (!sizeable) f->SetBorderStyle(bsNone);
      f->SetBounds(100, 100, 300, 200);
      TWinControl* host = f.get();
      if (nested) {
        auto* inner = new TForm(f.get());
        inner->SetName("Inner");
        inner->SetParent(f.get());
        inner->SetBounds(5, 5, 200, 150);
        host = inner;
      }
      auto* bar = new TQvStatusBar(f.get());
      bar->SetName("SB");
      bar->SetParent(host);
      bar->SetAlign(align);
      if (shown) f->Show();
      std::string text = TextOf(f.get());
      const std::string first = text;
      for (int round = 0; round < 3; ++round) {
        f.reset(new TForm(nullptr));
        ReadInto(text, f.get());
        if (shown) f->Show();
        text = TextOf(f.get());
        EXPECT_EQ(text, first) << "align " << int(align) << " mode " << mode << " round " << round;
      }
    }
  }
}

}  // namespace
