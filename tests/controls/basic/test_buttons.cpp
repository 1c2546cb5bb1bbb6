// Push buttons: pressing by mouse and space, what ends a press, default and cancel
// buttons through the dialog keys, exclusive groups, the caption's 3-D styles and
// the stored properties.
#include "controls/basic/buttons.h"
#include "tests/controls/basic/buttons_fixture.h"
#include "tests/platform/controls/shot.h"

namespace {

class ButtonsTest : public ButtonsFixture {
protected:
  TQvButton* Button(TForm* F, const std::string& Name, TRect R) {
    auto* b = Make<TQvButton>(F, Name, R);
    b->SetCaption(Name);
    b->OnClick = [this, Name](TObject*) { Clicks.push_back(Name); };
    return b;
  }
  TLog Clicks;
};

TEST_F(ButtonsTest, APressClicksOnlyWhenReleasedInside) {
  TForm* form = MakeForm();
  TQvButton* b = Button(form, "B", {10, 10, 85, 35});
  form->Show();
  Mouse(form, WM_LBUTTONDOWN, {20, 20}, MK_LBUTTON);
  EXPECT_TRUE(b->Pressed());
  Mouse(form, WM_MOUSEMOVE, {150, 150}, MK_LBUTTON);
  EXPECT_FALSE(b->Pressed()) << "dragged out, the face comes up";
  Mouse(form, WM_MOUSEMOVE, {84, 34}, MK_LBUTTON);
  EXPECT_TRUE(b->Pressed()) << "the last pixel inside";
  Mouse(form, WM_MOUSEMOVE, {85, 20}, MK_LBUTTON);
  EXPECT_FALSE(b->Pressed()) << "the right edge is outside";
  Mouse(form, WM_LBUTTONUP, {85, 20});
  EXPECT_TRUE(Clicks.empty());
  Mouse(form, WM_LBUTTONDOWN, {20, 20}, MK_LBUTTON);
  Mouse(form, WM_LBUTTONUP, {21, 21});
  EXPECT_EQ(Clicks, TLog{"B"});
  // Space presses, its release clicks.
  Key(VK_SPACE, " ");
  EXPECT_EQ(Clicks, (TLog{"B", "B"}));
}

TEST_F(ButtonsTest, APressTheButtonCanNoLongerFinishEndsWithoutAClick) {
  TForm* form = MakeForm();
  TQvButton* b = Button(form, "B", {10, 10, 85, 35});
  form->Show();
  struct Case {
    const char* What;
    std::function<void()> Lose, Restore;
  } cases[] = {
      {"disabled", [&] { b->SetEnabled(false); }, [&] { b->SetEnabled(true); }},
      {"hidden", [&] { b->Hide(); }, [&] { b->Show(); }},
      {"capture taken", [&] { ReleaseCapture(); }, [] {}},
      {"cancel mode", [&] { SendMessage(b->Handle(), WM_CANCELMODE, 0, 0); }, [] {}},
      {"modal box", [&] { Application->MessageBox("x", "y"); }, [] {}},
  };
  for (auto& c : cases) {
    Mouse(form, WM_LBUTTONDOWN, {20, 20}, MK_LBUTTON);
    ASSERT_TRUE(b->Pressed()) << c.What;
    c.Lose();
    EXPECT_FALSE(b->Pressed()) << c.What;
    c.Restore();
    Mouse(form, WM_MOUSEMOVE, {22, 20}, MK_LBUTTON);
    EXPECT_FALSE(b->Pressed()) << c.What << ": the press is over";
    Mouse(form, WM_LBUTTONUP, {22, 20});
    EXPECT_TRUE(Clicks.empty()) << c.What;
  }
}

TEST_F(ButtonsTest, EnterEscapeAndSpaceSetTheFormsModalResult) {
  TForm* form = MakeForm();
  auto* edit = Child<TProbe>(form, "Edit", {10, 50, 110, 71});
  TQvButton* ok = Button(form, "Ok", {10, 10, 85, 35});
  TQvButton* cancel = Button(form, "Cancel", {90, 10, 165, 35});
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  form->Show();
  edit->SetFocus();
  Key(VK_RETURN, "\r");
  EXPECT_EQ(form->ModalResult(), mrOk);
  form->SetModalResult(mrNone);
  Key(VK_ESCAPE, "\x1b");
  EXPECT_EQ(form->ModalResult(), mrCancel);
  form->SetModalResult(mrNone);
  // Enter with Alt held is no dialog key for the button.
  EXPECT_EQ(ok->Perform(CM_DIALOGKEY, VK_RETURN, KF_ALTDOWN_BIT), 0);
  EXPECT_EQ(form->ModalResult(), mrNone);
  // The focused push button is the one Enter presses; space presses it too.
  cancel->SetFocus();
  EXPECT_FALSE(ok->Active());
  EXPECT_TRUE(cancel->Active());
  Key(VK_RETURN, "\r");
  EXPECT_EQ(form->ModalResult(), mrCancel);
  form->SetModalResult(mrNone);
  ok->SetFocus();
  Key(VK_SPACE, " ");
  EXPECT_EQ(form->ModalResult(), mrOk);
  EXPECT_EQ(Clicks, (TLog{"Ok", "Cancel", "Cancel", "Ok"}));
}

TEST_F(ButtonsTest, GroupButtonsStayDownOneAtATime) {
  TForm* form = MakeForm();
  TQvButton* a = Button(form, "A", {10, 10, 85, 35});
  TQvButton* b = Button(form, "B", {90, 10, 165, 35});
  TQvButton* other = Button(form, "Other", {170, 10, 245, 35});
  auto* panel = Make<TCustomControl>(form, "P", {10, 100, 200, 150});
  TQvButton* elsewhere = Button(form, "Elsewhere", {0, 0, 75, 25});
  elsewhere->SetParent(panel);
  for (TQvButton* x : {a, b, elsewhere}) x->SetGroupIndex(1);
  other->SetGroupIndex(2);
  form->Show();
  TQvButton plain(nullptr);
  plain.SetDown(true);
  EXPECT_FALSE(plain.Down()) << "GroupIndex 0 is never down";

  other->SetDown(true);
  elsewhere->SetDown(true);
  a->SetDown(true);
  EXPECT_TRUE(a->Down());
  EXPECT_EQ(a->State(), bsExclusive);
  b->SetDown(true);
  EXPECT_FALSE(a->Down()) << "the same group on the same parent goes up";
  EXPECT_TRUE(other->Down()) << "another group";
  EXPECT_TRUE(elsewhere->Down()) << "another parent";
  // Clicking the down button: it stays down unless AllowAllUp.
  Mouse(form, WM_LBUTTONDOWN, {100, 20}, MK_LBUTTON);
  Mouse(form, WM_LBUTTONUP, {100, 20});
  EXPECT_TRUE(b->Down());
  a->SetAllowAllUp(true);
  EXPECT_TRUE(b->AllowAllUp()) << "the group shares AllowAllUp";
  Mouse(form, WM_LBUTTONDOWN, {100, 20}, MK_LBUTTON);
  Mouse(form, WM_LBUTTONUP, {100, 20});
  EXPECT_FALSE(b->Down());
}

// Text drawn by the 3-D caption painter, in a 60 x 20 bitmap on white.
struct TCaptionShot {
  TBitmap B{60, 20};
  TCaptionShot(TTextStyle Style, unsigned Flags, bool Enabled) {
    B.Canvas()->Brush()->SetColor(clWhite);
    B.Canvas()->FillRect({0, 0, 60, 20});
    B.Canvas()->Font()->SetColor(clBlack);
    TQv3DTextColors c{Style, false, clRed, clBlue, 2};
    Draw3DCaption(B.Canvas(), "MM", {0, 0, 60, 20}, Flags, avTop, c, Enabled, false);
  }
  // Text is smoothed: a copy shows as pixels near its colour.
  static bool Near(TColor A, TColor B) {
    A = ColorToRGB(A), B = ColorToRGB(B);
    for (int shift : {0, 8, 16})
      if (std::abs(int((A >> shift) & 0xFF) - int((B >> shift) & 0xFF)) > 24) return false;
    return true;
  }
  bool Has(TColor C) {
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 60; ++x)
        if (Near(B.Canvas()->Pixels(x, y), C)) return true;
    return false;
  }
  int Leftmost(TColor C) {
    for (int x = 0; x < 60; ++x)
      for (int y = 0; y < 20; ++y)
        if (Near(B.Canvas()->Pixels(x, y), C)) return x;
    return -1;
  }
};

TEST_F(ButtonsTest, CaptionStylesDrawTheirCopiesAndADisabledCaptionOnce) {
  // Raised: highlight (red) copy up-left, shadow (blue) copy down-right.
  TCaptionShot raised(tsRaised, DT_LEFT, true);
  EXPECT_TRUE(raised.Has(clRed));
  EXPECT_TRUE(raised.Has(clBlue));
  TCaptionShot disabled(tsShadow, DT_LEFT, false);
  EXPECT_FALSE(disabled.Has(clBlue));
  EXPECT_FALSE(disabled.Has(clBlack));
  EXPECT_TRUE(disabled.Has(clGrayText));
  // Right-aligned shadow text: the shadow straight below where the text would be,
  // the text two pixels left of it.
  TCaptionShot right(tsShadow, DT_RIGHT, true);
  TCaptionShot plainRight(tsNormal, DT_RIGHT, true);
  // (Right-aligned text moves left by the shadow depth in every style.)
  EXPECT_EQ(right.Leftmost(clBlue), plainRight.Leftmost(clBlack) + 2);
  EXPECT_EQ(right.Leftmost(clBlack), plainRight.Leftmost(clBlack));
}

TEST_F(ButtonsTest, AKeptCaptionMeasureFollowsTextRectangleAndFont) {
  // Each step changes one of them so that the caption's height changes; drawn with
  // the kept measure it sits where a freshly measured caption sits.
  struct Step {
    const char* Text;
    TRect R;
    int FontHeight;
  } steps[] = {
      {"MM", {0, 0, 60, 40}, -11},
      {"MM", {0, 0, 60, 40}, -11},
      {"MM MM MM MM", {0, 0, 60, 40}, -11},
      {"MM MM MM MM", {0, 0, 20, 40}, -11},
      {"MM MM MM MM", {0, 0, 20, 40}, -16},
  };
  TQvCaptionMeasure kept;
  for (const Step& st : steps) {
    auto shot = [&](TQvCaptionMeasure* Measure) {
      auto b = std::make_unique<TBitmap>(60, 40);
      b->Canvas()->Brush()->SetColor(clWhite);
      b->Canvas()->FillRect({0, 0, 60, 40});
      b->Canvas()->Font()->SetHeight(st.FontHeight);
      b->Canvas()->Font()->SetColor(clBlack);
      Draw3DCaption(b->Canvas(), st.Text, st.R, DT_CENTER | DT_WORDBREAK, avCenter, TQv3DTextColors{}, true, false,
                    Measure);
      return b;
    };
    auto withKept = shot(&kept), fresh = shot(nullptr);
    int differ = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 60; ++x) differ += withKept->Canvas()->Pixels(x, y) != fresh->Canvas()->Pixels(x, y);
    EXPECT_EQ(differ, 0) << st.Text << " width " << st.R.Width() << " font " << st.FontHeight;
  }
}

TEST_F(ButtonsTest, TheClassicFaceCoversItsWholeRectangle) {
  // Nothing of the form's colour shows through, whatever the state.
  TForm* form = MakeForm();
  form->SetColor(clRed);
  TQvButton* plain = Button(form, "Plain", {10, 10, 85, 35});
  TQvButton* def = Button(form, "Def", {100, 10, 175, 35});
  TQvButton* down = Button(form, "Down", {190, 10, 265, 35});
  def->SetDefault(true);
  down->SetGroupIndex(1);
  down->SetDown(true);
  form->Show();
  TShot shot(form);
  for (TQvButton* b : {plain, def, down})
    for (int y = b->Top(); y < b->Top() + b->Height(); ++y)
      for (int x = b->Left(); x < b->Left() + b->Width(); ++x)
        ASSERT_NE(shot(x, y), Rgb(clRed)) << b->Name() << " " << x << "," << y;
}

TEST_F(ButtonsTest, TheClassicDefaultButtonHasABlackRingAndTheFlatLookRoundedCorners) {
  TForm* form = MakeForm();
  form->SetColor(clBtnFace);
  TQvButton* def = Button(form, "Def", {10, 10, 85, 35});
  TQvButton* flat = Button(form, "Flat", {100, 10, 175, 35});
  def->SetDefault(true);
  flat->SetHotTrack(true);
  form->Show();
  TShot shot(form);
  EXPECT_EQ(shot(10, 10), Rgb(clWindowFrame));
  EXPECT_EQ(shot(84, 34), Rgb(clWindowFrame));
  EXPECT_EQ(shot(100, 10), Rgb(clBtnFace)) << "the corner shows the parent";
  EXPECT_EQ(shot(100, 12), Rgb(DarkerColor(clBtnFace, 20)));
  EXPECT_EQ(shot(101, 12), Rgb(cl3DDkShadow)) << "the flat frame";
}

TEST_F(ButtonsTest, StoredPropertiesRoundTripAndTheOldFlatFlagIsRead) {
  TForm* form = MakeForm();
  TQvButton* b = Button(form, "B", {10, 10, 85, 35});
  b->SetGroupIndex(3);
  b->SetDown(true);
  b->SetAlignment(taLeftJustify);
  b->SetTextStyle(tsRecessed);
  b->SetModalResult(mrYes);
  b->SetFrameColor(clRed);
  b->SetShowFocusRect(false);
  std::string text = FormText(form);
  TForm* back = Own(new TForm(nullptr));
  ReadForm(text, back);
  auto* r = dynamic_cast<TQvButton*>(back->FindComponent("B"));
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(r->Down());
  EXPECT_EQ(r->GroupIndex(), 3);
  EXPECT_EQ(r->TextStyle(), tsRecessed);
  EXPECT_EQ(r->ModalResult(), mrYes);
  EXPECT_EQ(r->FrameColor(), clRed);
  EXPECT_FALSE(r->ShowFocusRect());
  EXPECT_EQ(FormText(back), text);

  TForm* old = Own(new TForm(nullptr));
  ReadForm("object F: TForm\n  object X: TQvButton\n    FrameFlat = True\n  end\nend\n", old);
  auto* x = dynamic_cast<TQvButton*>(old->FindComponent("X"));
  ASSERT_NE(x, nullptr);
  EXPECT_TRUE(x->HotTrack());
  EXPECT_EQ(FormText(old).find("FrameFlat"), std::string::npos) << "read, never written";
}

}  // namespace
