// Labels, push buttons, check boxes, radio buttons and speed buttons: what the
// mouse, the keyboard and the BM_ messages do to them, the events they fire in the
// class library's order, and the classic faces they draw.
#include "tests/platform/controls/fixtures.h"
#include "platform/stdctrls/speedbuttons.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/core/streams.h"
#include "tests/platform/controls/shot.h"

namespace {

class ButtonsTest : public ControlsTest {
protected:
  template <class T>
  T* Make(TWinControl* Parent, const std::string& Name, TRect R, const std::string& Caption = {}) {
    T* c = new T(Parent->Owner() ? Parent->Owner() : Parent);
    c->SetName(Name);
    c->SetBoundsRect(R);
    c->SetParent(Parent);
    if (!Caption.empty()) c->SetCaption(Caption);
    return c;
  }
  // OnClick, OnMouseDown and OnMouseUp of a control, logged under its name.
  void Watch(TControl* C) {
    std::string n = C->Name();
    C->OnClick = [this, n](TObject*) { Events.push_back(n + " click"); };
    C->OnMouseDown = [this, n](TObject*, TMouseButton, TShiftState, int, int) { Events.push_back(n + " down"); };
    C->OnMouseUp = [this, n](TObject*, TMouseButton, TShiftState, int, int) { Events.push_back(n + " up"); };
  }
  TLog Events;
  void Click(TCustomForm* F, TPoint P) {
    Mouse(F, WM_LBUTTONDOWN, P, MK_LBUTTON);
    Mouse(F, WM_LBUTTONUP, P);
  }
};

}  // namespace

TEST_F(ButtonsTest, APushButtonClicksWhenThePressIsReleasedOverIt) {
  TForm* form = MakeForm();
  TButton* b = Make<TButton>(form, "B", {10, 10, 85, 35}, "OK");
  form->Show();
  Watch(b);

  // The click comes back from the parent as CN_COMMAND before the mouse-up event.
  Click(form, {20, 20});
  EXPECT_EQ(Events, (TLog{"B down", "B click", "B up"}));
  EXPECT_TRUE(b->Focused());

  // Dragged out the face comes up; back in it goes down; released outside: no click.
  Events.clear();
  Mouse(form, WM_LBUTTONDOWN, {20, 20}, MK_LBUTTON);
  EXPECT_EQ(b->Perform(BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);
  Mouse(form, WM_MOUSEMOVE, {150, 150}, MK_LBUTTON);
  EXPECT_FALSE(b->Pressed());
  Mouse(form, WM_MOUSEMOVE, {30, 20}, MK_LBUTTON);
  EXPECT_TRUE(b->Pressed());
  Mouse(form, WM_MOUSEMOVE, {150, 150}, MK_LBUTTON);
  Mouse(form, WM_LBUTTONUP, {150, 150});
  EXPECT_EQ(Events, (TLog{"B down", "B up"}));

  // Space presses and its release clicks; BM_CLICK clicks; a disabled button does not.
  Events.clear();
  InputKey(WM_KEYDOWN, VK_SPACE, 0, " ");
  EXPECT_TRUE(b->Pressed());
  InputKey(WM_KEYUP, VK_SPACE, KF_UP_BIT, {});
  EXPECT_FALSE(b->Pressed());
  b->Perform(BM_CLICK, 0, 0);
  b->SetEnabled(false);
  Click(form, {20, 20});
  b->Perform(BM_CLICK, 0, 0);
  EXPECT_EQ(Events, (TLog{"B click", "B click"}));
}

TEST_F(ButtonsTest, EnterClicksTheFocusedButtonOrTheDefaultOneAndEscapeTheCancelButton) {
  TForm* form = MakeForm();
  auto* edit = Child<TProbe>(form, "Edit", {10, 10, 110, 31});
  edit->DlgCode = DLGC_WANTCHARS;
  TButton* ok = Make<TButton>(form, "Ok", {10, 50, 85, 75}, "OK");
  TButton* cancel = Make<TButton>(form, "Cancel", {90, 50, 165, 75}, "Cancel");
  TButton* other = Make<TButton>(form, "Other", {170, 50, 245, 75}, "&Other");
  ok->SetDefault(true);
  cancel->SetCancel(true);
  form->Show();
  for (TButton* b : {ok, cancel, other}) Watch(b);

  struct Case {
    TWinControl* Focus;
    WORD Key;
    bool Alt;
    std::string Clicked;
  };
  const Case cases[] = {
      {edit, VK_RETURN, false, "Ok click"},      // no button has the focus: the default one
      {other, VK_RETURN, false, "Other click"},  // a focused button takes Enter itself
      {other, VK_ESCAPE, false, "Cancel click"},
      {edit, 'O', true, "Other click"},           // Alt + the accelerator
  };
  for (const Case& c : cases) {
    Events.clear();
    c.Focus->SetFocus();
    Key(c.Key, c.Alt ? "o" : c.Key == VK_RETURN ? "\r" : "\x1b", c.Alt);
    EXPECT_EQ(Events, TLog{c.Clicked}) << c.Clicked;
  }
  // Only the button Enter would click wears the black default frame.
  edit->SetFocus();
  EXPECT_TRUE(ok->Active());
  EXPECT_EQ(TShot(form)(10, 50), Rgb(clWindowFrame));
  other->SetFocus();
  EXPECT_FALSE(ok->Active());
  EXPECT_TRUE(other->Active());
  TShot shot(form);
  EXPECT_EQ(shot(10, 50), Rgb(clBtnHighlight));
  EXPECT_EQ(shot(170, 50), Rgb(clWindowFrame));
}

TEST_F(ButtonsTest, AButtonsModalResultEndsTheModalForm) {
  TForm* form = MakeForm();
  TButton* ok = Make<TButton>(form, "Ok", {10, 50, 85, 75}, "OK");
  ok->SetModalResult(mrOk);
  Runner->OnLoop([&](TWinControl*) { Click(form, {20, 60}); });
  EXPECT_EQ(form->ShowModal(), mrOk);
}

TEST_F(ButtonsTest, CheckBoxesStepThroughTheirStatesAndFireOnClickOnEveryChange) {
  struct Case {
    bool AllowGrayed;
    std::vector<TCheckBoxState> AfterClicks;
  };
  const Case cases[] = {
      {false, {cbChecked, cbUnchecked, cbChecked}},
      {true, {cbGrayed, cbChecked, cbUnchecked}},
  };
  for (const Case& c : cases) {
    TForm* form = MakeForm();
    auto* box = Make<TCheckBox>(form, "Box", {10, 10, 107, 27}, "Check");
    box->SetAllowGrayed(c.AllowGrayed);
    form->Show();
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    for (TCheckBoxState want : c.AfterClicks) {
      Click(form, {15, 18});
      EXPECT_EQ(box->State(), want);
      EXPECT_EQ(box->Perform(BM_GETCHECK, 0, 0),
                want == cbGrayed ? BST_INDETERMINATE : want == cbChecked ? BST_CHECKED : BST_UNCHECKED);
    }
    EXPECT_EQ(clicks, 3);
    form->Hide();
  }
  TForm* form = MakeForm("Form2");
  auto* box = Make<TCheckBox>(form, "Box", {10, 10, 107, 27}, "Check");
  form->Show();
  int clicks = 0;
  box->OnClick = [&](TObject*) { ++clicks; };
  box->SetChecked(true);  // the property fires OnClick, as the class library does
  box->Perform(BM_SETCHECK, BST_UNCHECKED, 0);  // the message does not
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(box->Checked());
  box->SetFocus();
  Key(VK_SPACE, " ");
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(clicks, 2);
  // The box: a sunken frame with the mark inside; the caption starts beyond it.
  TShot shot(form);
  EXPECT_EQ(shot(10, 12), Rgb(clBtnShadow));
  EXPECT_EQ(shot(12, 14), Rgb(clWindow));
  EXPECT_TRUE(shot.Any({14, 14, 21, 21}, clWindowText));
}

TEST_F(ButtonsTest, ARadioButtonUnchecksItsSiblingsOnly) {
  TForm* form = MakeForm();
  auto* r1 = Make<TRadioButton>(form, "R1", {10, 10, 120, 27}, "One");
  auto* r2 = Make<TRadioButton>(form, "R2", {10, 30, 120, 47}, "Two");
  auto* r3 = Make<TRadioButton>(form, "R3", {10, 50, 120, 67}, "&Three");
  auto* panel = Child<TProbe>(form, "Panel", {150, 10, 290, 100});
  auto* other = Make<TRadioButton>(panel, "Other", {5, 5, 120, 22}, "Elsewhere");
  other->SetChecked(true);
  r1->SetChecked(true);
  form->Show();
  for (TControl* c : {static_cast<TControl*>(r1), static_cast<TControl*>(r2), static_cast<TControl*>(r3)}) Watch(c);

  Click(form, {15, 38});
  EXPECT_FALSE(r1->Checked());
  EXPECT_TRUE(r2->Checked());
  EXPECT_TRUE(other->Checked());
  // Only the checked button is a tab stop.
  EXPECT_FALSE(r1->TabStop());
  EXPECT_TRUE(r2->TabStop());

  // The arrow keys move the focus to the next button, which the keyboard checks;
  // Alt + an accelerator does the same.
  Events.clear();
  Key(VK_UP);
  EXPECT_TRUE(r1->Focused());
  EXPECT_TRUE(r1->Checked());
  Key('T', "t", true);
  EXPECT_TRUE(r3->Focused());
  EXPECT_TRUE(r3->Checked());
  EXPECT_FALSE(r1->Checked());
  EXPECT_EQ(Events, (TLog{"R1 click", "R3 click"}));
  // Unchecking fires nothing; the dot is drawn for the checked one only.
  r3->SetChecked(false);
  EXPECT_EQ(Events.size(), 2u);
  TShot shot(form);
  EXPECT_TRUE(shot.Any({13, 12 + 40, 19, 18 + 40}, clWindow));
  EXPECT_FALSE(shot.Any({15, 14 + 40, 17, 16 + 40}, clWindowText));
}

TEST_F(ButtonsTest, LabelsSizeThemselvesToTheirText) {
  TForm* form = MakeForm();
  TFont* f = form->Font();
  TSize hello = TextExtentOf(f, "Hello"), hi = TextExtentOf(f, "Hi"), space = TextExtentOf(f, " ");
  struct Case {
    const char* What;
    std::function<void(TLabel*)> Setup;
    TRect Expected;
  };
  const Case cases[] = {
      {"auto size", [](TLabel* l) { l->SetCaption("Hello"); }, Bounds(20, 10, hello.cx, hello.cy)},
      // An empty caption measures as a space: one line high.
      {"empty caption", [](TLabel* l) { l->SetCaption(""); }, Bounds(20, 10, space.cx, space.cy)},
      {"right aligned keeps its right edge",
       [](TLabel* l) {
         l->SetCaption("Hi");
         l->SetAlignment(taRightJustify);
         l->SetCaption("Hello");
       },
       Bounds(20 + hi.cx - hello.cx, 10, hello.cx, hello.cy)},
      {"fixed size",
       [](TLabel* l) {
         l->SetAutoSize(false);
         l->SetBounds(20, 10, 65, 17);
         l->SetCaption("Hello");
       },
       Bounds(20, 10, 65, 17)},
      {"word wrap breaks at the width and takes the widest line",
       [](TLabel* l) {
         l->SetAutoSize(false);
         l->SetWordWrap(true);
         l->SetWidth(40);
         l->SetAutoSize(true);
         l->SetCaption("Hello Hello Hello");
       },
       Bounds(20, 10, hello.cx, 3 * hello.cy)},
  };
  for (const Case& c : cases) {
    auto* l = Make<TLabel>(form, "L", {20, 10, 85, 27});
    c.Setup(l);
    EXPECT_EQ(l->BoundsRect(), c.Expected) << c.What;
    delete l;
  }
}

TEST_F(ButtonsTest, ALabelsAcceleratorFocusesItsControlAndItPaintsItsBackgroundUnlessTransparent) {
  TForm* form = MakeForm();
  auto* edit = Child<TProbe>(form, "Edit", {100, 10, 200, 31});
  auto* other = Child<TProbe>(form, "Other", {100, 40, 200, 61});
  auto* l = Make<TLabel>(form, "L", {10, 10, 50, 50}, "&Name");
  l->SetFocusControl(edit);
  form->Show();
  other->SetFocus();
  Key('N', "n", true);
  EXPECT_TRUE(edit->Focused());
  delete edit;  // the label forgets it
  EXPECT_EQ(l->FocusControl(), nullptr);

  l->SetAutoSize(false);
  l->SetBounds(10, 100, 80, 40);
  l->SetColor(clRed);
  l->SetLayout(tlBottom);
  TShot opaque(form);
  EXPECT_EQ(opaque(12, 102), Rgb(clRed));
  // Laid out at the bottom: the text is in the lower rows only.
  EXPECT_FALSE(opaque.Any({10, 100, 90, 115}, clWindowText));
  EXPECT_TRUE(opaque.Any({10, 125, 90, 140}, clWindowText));
  l->SetTransparent(true);
  EXPECT_EQ(TShot(form)(12, 102), Rgb(clBtnFace));
}

TEST_F(ButtonsTest, SpeedButtonsOfAGroupStayDownOneAtATime) {
  TForm* form = MakeForm();
  auto* b1 = Make<TSpeedButton>(form, "B1", {10, 10, 33, 32});
  auto* b2 = Make<TSpeedButton>(form, "B2", {40, 10, 63, 32});
  auto* plain = Make<TSpeedButton>(form, "Plain", {70, 10, 93, 32});
  auto* panel = Child<TProbe>(form, "Panel", {100, 10, 200, 60});
  auto* far = Make<TSpeedButton>(panel, "Far", {5, 5, 28, 27});
  for (TSpeedButton* b : {b1, b2, far}) b->SetGroupIndex(1);
  far->SetDown(true);
  form->Show();
  for (TSpeedButton* b : {b1, b2, plain}) Watch(b);

  plain->SetDown(true);  // no group: never down
  EXPECT_FALSE(plain->Down());
  Click(form, {15, 15});
  EXPECT_TRUE(b1->Down());
  EXPECT_EQ(b1->State(), bsExclusive);
  Click(form, {45, 15});
  EXPECT_TRUE(b2->Down());
  EXPECT_FALSE(b1->Down());
  EXPECT_TRUE(far->Down());  // another parent
  Click(form, {45, 15});     // the down button stays down ...
  EXPECT_TRUE(b2->Down());
  b2->SetAllowAllUp(true);   // ... until the group allows all up (told to every member)
  EXPECT_TRUE(b1->AllowAllUp());
  Click(form, {45, 15});
  EXPECT_FALSE(b2->Down());

  // Dragged off before the release: no click, the face comes back up.
  Events.clear();
  Mouse(form, WM_LBUTTONDOWN, {75, 15}, MK_LBUTTON);
  EXPECT_EQ(plain->State(), bsDown);
  Mouse(form, WM_MOUSEMOVE, {75, 80}, MK_LBUTTON);
  EXPECT_EQ(plain->State(), bsUp);
  Mouse(form, WM_LBUTTONUP, {75, 80});
  EXPECT_EQ(Events, (TLog{"Plain down", "Plain up"}));
}

TEST_F(ButtonsTest, SpeedButtonsDrawTheirGlyphStatesAndTheFlatHotFrame) {
  TForm* form = MakeForm();
  auto* b = Make<TSpeedButton>(form, "B", {10, 10, 40, 40});
  // Two 10 x 10 images: up (a blue square on olive) and disabled (green); olive,
  // the bottom-left colour, is transparent.
  TBitmap glyph(20, 10);
  glyph.Canvas()->Brush()->SetColor(clOlive);
  glyph.Canvas()->FillRect({0, 0, 20, 10});
  glyph.Canvas()->Brush()->SetColor(clBlue);
  glyph.Canvas()->FillRect({3, 3, 7, 7});
  glyph.Canvas()->Brush()->SetColor(clGreen);
  glyph.Canvas()->FillRect({13, 3, 17, 7});
  b->SetGlyph(&glyph);
  EXPECT_EQ(b->NumGlyphs(), 2);
  form->Show();
  // The 10 x 10 image is centred in the 28 x 28 face: at (9, 9) + the button's (11, 11).
  TShot up(form);
  EXPECT_EQ(up(10 + 1 + 9 + 4, 10 + 1 + 9 + 4), Rgb(clBlue));
  EXPECT_EQ(up(10 + 1 + 9, 10 + 1 + 9), Rgb(clBtnFace));  // transparent
  b->SetEnabled(false);
  EXPECT_EQ(TShot(form)(10 + 1 + 9 + 4, 10 + 1 + 9 + 4), Rgb(clGreen));
  // Without a disabled image the up image is embossed: shadow, highlight below right.
  b->SetNumGlyphs(1);
  TBitmap one(10, 10);
  one.Canvas()->Brush()->SetColor(clOlive);
  one.Canvas()->FillRect({0, 0, 10, 10});
  one.Canvas()->Brush()->SetColor(clBlue);
  one.Canvas()->FillRect({3, 3, 7, 7});
  b->SetGlyph(&one);
  TShot grey(form);
  int gx = 10 + 1 + 9, gy = 10 + 1 + 9;
  EXPECT_EQ(grey(gx + 4, gy + 4), Rgb(clBtnShadow));
  EXPECT_EQ(grey(gx + 7, gy + 7), Rgb(clBtnHighlight));

  // Flat: no frame until the pointer is over the button.
  b->SetEnabled(true);
  b->SetFlat(true);
  EXPECT_EQ(TShot(form)(10, 10), Rgb(clBtnFace));
  Mouse(form, WM_MOUSEMOVE, {20, 20});
  EXPECT_TRUE(b->MouseInControl());
  EXPECT_EQ(TShot(form)(10, 10), Rgb(clBtnHighlight));
  Mouse(form, WM_MOUSEMOVE, {200, 150});
  EXPECT_FALSE(b->MouseInControl());
}

TEST_F(ButtonsTest, TheButtonFamilyKeepsItsStateThroughAFormStream) {
  TForm* form = MakeForm();
  auto* target = Make<TButton>(form, "Target", {100, 10, 175, 35}, "Target");
  auto* label = Make<TLabel>(form, "Label1", {10, 10, 50, 23}, "&Name");
  label->SetFocusControl(target);
  label->SetLayout(tlCenter);
  auto* ok = Make<TButton>(form, "Ok", {10, 40, 85, 65}, "OK");
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* box = Make<TCheckBox>(form, "Box", {10, 70, 107, 87}, "Box");
  box->SetAllowGrayed(true);
  box->SetState(cbGrayed);
  auto* radio = Make<TRadioButton>(form, "Radio", {10, 90, 120, 107}, "Radio");
  radio->SetChecked(true);
  auto* speed = Make<TSpeedButton>(form, "Speed", {10, 110, 33, 132});
  speed->SetGroupIndex(4);
  speed->SetDown(true);
  speed->SetFlat(true);

  TMemoryStream m;
  m.WriteComponent(form);
  m.SetPosition(0);
  TForm* copy = Own(new TForm(nullptr));
  m.ReadComponent(copy);
  auto find = [&](const char* Name) { return copy->FindComponent(Name); };
  EXPECT_EQ(dynamic_cast<TLabel*>(find("Label1"))->FocusControl(), find("Target"));
  EXPECT_EQ(dynamic_cast<TLabel*>(find("Label1"))->Layout(), tlCenter);
  auto* ok2 = dynamic_cast<TButton*>(find("Ok"));
  EXPECT_TRUE(ok2->Default());
  EXPECT_EQ(ok2->ModalResult(), mrOk);
  EXPECT_EQ(dynamic_cast<TCheckBox*>(find("Box"))->State(), cbGrayed);
  EXPECT_TRUE(dynamic_cast<TRadioButton*>(find("Radio"))->Checked());
  auto* speed2 = dynamic_cast<TSpeedButton*>(find("Speed"));
  EXPECT_EQ(speed2->GroupIndex(), 4);
  EXPECT_TRUE(speed2->Down());
  EXPECT_TRUE(speed2->Flat());
}
