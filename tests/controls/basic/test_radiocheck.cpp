// Radio buttons and check boxes: exclusivity among siblings, the check box's state
// cycle with grayed and read-only, glyph strips, and the stored properties.
#include "controls/basic/radiocheck.h"
#include "tests/controls/basic/buttons_fixture.h"

namespace {

class RadioCheckTest : public ButtonsFixture {
protected:
  void Click(TForm* F, TPoint P) {
    Mouse(F, WM_LBUTTONDOWN, P, MK_LBUTTON);
    Mouse(F, WM_LBUTTONUP, P);
  }
};

TEST_F(RadioCheckTest, ARadioButtonUnchecksItsSiblingsOnly) {
  TForm* form = MakeForm();
  auto* a = Make<TQvRadioButton>(form, "A", {10, 10, 110, 27});
  auto* b = Make<TQvRadioButton>(form, "B", {10, 30, 110, 47});
  auto* panel = Make<TCustomControl>(form, "P", {150, 10, 290, 60});
  auto* c = Make<TQvRadioButton>(form, "C", {0, 0, 100, 17});
  c->SetParent(panel);
  form->Show();
  c->SetChecked(true);
  Click(form, {15, 15});
  EXPECT_TRUE(a->Checked());
  EXPECT_TRUE(a->TabStop()) << "the checked button is the tab stop";
  Click(form, {15, 35});
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(a->Checked());
  EXPECT_FALSE(a->TabStop());
  EXPECT_TRUE(c->Checked()) << "another parent";
  EXPECT_EQ(b->Perform(BM_GETCHECK, 0, 0), 1);
  // Keyboard focus checks a button; a read-only one stays as it is (and so do
  // its siblings, which share ReadOnly).
  a->SetFocus();
  EXPECT_TRUE(a->Checked());
  b->SetReadOnly(true);
  EXPECT_TRUE(a->ReadOnly());
  b->SetFocus();
  EXPECT_FALSE(b->Checked());
  Click(form, {15, 35});
  EXPECT_FALSE(b->Checked());
}

TEST_F(RadioCheckTest, CheckBoxStatesCycleAndReadOnlyRefusesTheUser) {
  TForm* form = MakeForm();
  auto* box = Make<TQvCheckBox>(form, "Box", {10, 10, 110, 27});
  int clicks = 0;
  box->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  struct Step {
    bool AllowGrayed;
    TCheckBoxState After;
  } steps[] = {{false, cbChecked}, {false, cbUnchecked}, {true, cbGrayed}, {true, cbChecked}, {true, cbUnchecked}};
  for (const Step& s : steps) {
    box->SetAllowGrayed(s.AllowGrayed);
    Click(form, {15, 15});
    EXPECT_EQ(box->State(), s.After);
  }
  Key(VK_SPACE, " ");
  EXPECT_EQ(box->State(), cbGrayed);
  EXPECT_EQ(box->Perform(BM_GETCHECK, 0, 0), 2);
  EXPECT_EQ(clicks, 6);
  box->SetReadOnly(true);
  Click(form, {15, 15});
  Key(VK_SPACE, " ");
  box->SetCaption("&Box");
  Key('B', "b", true);
  EXPECT_EQ(box->State(), cbGrayed);
  EXPECT_EQ(clicks, 6);
  box->SetState(cbChecked);  // the program may still change it
  EXPECT_EQ(clicks, 7);
}

TEST_F(RadioCheckTest, AGlyphStripSetsTheGlyphSizeAndAnEmptyOneSwitchesItOff) {
  TQvCheckBox box(nullptr);
  TBitmap strip(117, 13);
  box.SetCustomGlyphs(&strip);
  EXPECT_TRUE(box.UseCustomGlyphs());
  EXPECT_EQ(box.GlyphWidth(), 13);
  EXPECT_EQ(box.GlyphHeight(), 13);
  TBitmap big(180, 20);
  box.SetCustomGlyphs(&big);
  EXPECT_EQ(box.GlyphWidth(), 20);
  EXPECT_EQ(box.GlyphHeight(), 20);
  TBitmap empty;
  box.SetCustomGlyphs(&empty);
  EXPECT_FALSE(box.UseCustomGlyphs());
  EXPECT_EQ(box.GlyphWidth(), 13);
}

TEST_F(RadioCheckTest, EnterWithTabOnEnterMovesToTheNextControl) {
  TForm* form = MakeForm();
  auto* box = Make<TQvCheckBox>(form, "Box", {10, 10, 110, 27});
  auto* next = Make<TQvCheckBox>(form, "Next", {10, 30, 110, 47});
  box->SetTabOnEnter(true);
  form->Show();
  box->SetFocus();
  Key(VK_RETURN, "\r");
  Application->ProcessMessages();
  EXPECT_TRUE(next->Focused());
}

TEST_F(RadioCheckTest, StoredPropertiesRoundTripAndTheOldFlatFlagIsRead) {
  TForm* form = MakeForm();
  auto* box = Make<TQvCheckBox>(form, "Box", {10, 10, 110, 27});
  box->SetAllowGrayed(true);
  box->SetState(cbGrayed);
  box->SetReadOnly(true);
  box->SetHotTrackStyle(htsFrame);
  box->SetAlignment(taLeftJustify);
  auto* radio = Make<TQvRadioButton>(form, "Radio", {10, 30, 110, 47});
  radio->SetChecked(true);
  radio->SetFillColor(clYellow);
  std::string text = FormText(form);
  TForm* back = Own(new TForm(nullptr));
  ReadForm(text, back);
  auto* b = dynamic_cast<TQvCheckBox*>(back->FindComponent("Box"));
  auto* r = dynamic_cast<TQvRadioButton*>(back->FindComponent("Radio"));
  ASSERT_TRUE(b && r);
  EXPECT_EQ(b->State(), cbGrayed);
  EXPECT_TRUE(b->ReadOnly());
  EXPECT_EQ(b->HotTrackStyle(), htsFrame);
  EXPECT_EQ(b->Alignment(), taLeftJustify);
  EXPECT_TRUE(r->Checked());
  EXPECT_EQ(r->FillColor(), clYellow);
  EXPECT_EQ(FormText(back), text);

  TForm* old = Own(new TForm(nullptr));
  ReadForm("object F: TForm\n  object X: TQvCheckBox\n    Flat = True\n  end\nend\n", old);
  auto* x = dynamic_cast<TQvCheckBox*>(old->FindComponent("X"));
  ASSERT_NE(x, nullptr);
  EXPECT_TRUE(x->HotTrack());
}

}  // namespace
