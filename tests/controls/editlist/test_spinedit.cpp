// The spin edit: text as the value, range checks, stepping by buttons, keys and the
// wheel, refusals with one beep each, the held button's repeats on the manual
// clock, and its form stream.
#include <gtest/gtest.h>

#include "controls/editlist/spinedit.h"
#include "tests/controls/editlist/edit_fixture.h"

namespace {

struct SpinEdit : EditTest {
  void SetUp() override {
    EditTest::SetUp();
    Spin = Place<TQvSpinEdit>(10, 10, 97, 21);
    Spin->SetMax(3000);
    Spin->SetMin(6);
  }
  TQvSpinEdit* Spin = nullptr;
};

TEST_F(SpinEdit, ValuesAreClampedAndFormattedIntoTheText) {
  EXPECT_EQ(Spin->Text(), "6");
  struct Case { long double in; const char* text; };
  const Case cases[] = {{2.6L, "6"}, {5000, "3000"}, {42, "42"}, {6.9L, "7"}};
  for (const auto& c : cases) {
    Spin->SetValue(c.in);
    EXPECT_EQ(Spin->Text(), c.text) << static_cast<double>(c.in);
  }
  Spin->SetIntegersOnly(false);
  Spin->SetDecimals(2);
  Spin->SetValue(6.9L);
  EXPECT_EQ(Spin->Text(), "6.90");
  EXPECT_EQ(static_cast<int>(Spin->GetValue()), 6);  // the application truncates 6.9 to 6
}

TEST_F(SpinEdit, NoRangeWhenMinEqualsMaxUnlessCheckRange) {
  auto* s = Place<TQvSpinEdit>(10, 40, 60, 21);
  s->SetMax(0);
  s->SetValue(-55);
  EXPECT_EQ(s->Text(), "-55");
  s->SetCheckRange(true);
  EXPECT_EQ(s->Text(), "0");
  s->SetValue(9);
  EXPECT_EQ(s->Text(), "0");
}

TEST_F(SpinEdit, EmptyOrBadTextReadsAsMinAndLeavingRewritesIt) {
  Spin->SetText("");
  EXPECT_EQ(Spin->GetValue(), 6);
  EXPECT_EQ(Spin->Text(), "6");  // reading wrote the text of Min
  Spin->SetText("abc");
  EXPECT_EQ(Spin->GetValue(), 6);
  EXPECT_EQ(Spin->Text(), "abc");
  Spin->Perform(CM_EXIT, 0, 0);
  EXPECT_EQ(Spin->Text(), "6");
  Spin->SetText("9000");
  Spin->Perform(CM_EXIT, 0, 0);
  EXPECT_EQ(Spin->Text(), "3000");
  Spin->SetAllowBlank(true);
  Spin->SetBlankValue(1.5L);
  Spin->SetText("");
  EXPECT_EQ(Spin->GetValue(), 1.5L);
  Spin->Perform(CM_EXIT, 0, 0);  // a blank that is allowed stays blank
  EXPECT_EQ(Spin->Text(), "");
}

TEST_F(SpinEdit, MinAndMaxPushEachOther) {
  Spin->SetMax(5);
  EXPECT_EQ(Spin->Min(), 5);
  Spin->SetMin(20);
  EXPECT_EQ(Spin->Max(), 20);
}

// The caret stays where it was as the text changes length; a text that shrinks
// under a caret at its start leaves the caret at 0, not before it.
TEST_F(SpinEdit, TheCaretFollowsTheTextAndNeverGoesBeforeIt) {
  Show();
  Spin->SetValue(1000);
  Spin->SetSelStart(2);
  Spin->SetValue(10000 - 7000);  // same length
  EXPECT_EQ(Spin->SelStart(), 2);
  Spin->SetValue(42);
  EXPECT_EQ(Spin->SelStart(), 1);
  Spin->SetSelStart(0);
  Spin->SetValue(7);
  EXPECT_EQ(Spin->SelStart(), 0);
  EXPECT_EQ(Spin->SelLength(), 0);
}

TEST_F(SpinEdit, KeysAndWheelStepAskOnChangingAndReportTheButton) {
  Show();
  Spin->SetFocus();
  std::vector<std::string> log;
  bool allow = true;
  Spin->OnChanging = [&](TObject*, long double v, bool& ok) {
    log.push_back("changing " + std::to_string(static_cast<int>(v)));
    ok = allow;
  };
  Spin->OnButtonClick = [&](TObject*, TSpinButtonType b) { log.push_back(b == sbUp ? "up" : "down"); };
  struct Case { WORD key; const char* text; };
  const Case cases[] = {{VK_PRIOR, "16"}, {VK_DOWN, "15"}, {VK_UP, "16"}, {VK_NEXT, "6"}, {VK_DOWN, "6"}};
  for (const auto& c : cases) {
    Key(c.key);
    EXPECT_EQ(Spin->Text(), c.text) << c.key;
  }
  EXPECT_EQ(log[0], "changing 16");
  EXPECT_EQ(log[1], "up");
  EXPECT_EQ(log[8], "changing 5");  // OnChanging sees the value before clamping
  InputMouseWheel(Form->Handle(), 120, {20, 20}, 0);
  EXPECT_EQ(Spin->Text(), "7");
  InputMouseWheel(Form->Handle(), 120, {20, 20}, MK_CONTROL);
  EXPECT_EQ(Spin->Text(), "17");
  log.clear();
  allow = false;
  Key(VK_UP);
  EXPECT_EQ(Spin->Text(), "17");
  EXPECT_EQ(log, (std::vector<std::string>{"changing 18"}));
  EXPECT_EQ(Beeper.Beeps, 0);
}

// The wheel steps after the OnMouseWheel handler, whether or not that reports the
// wheel handled.
TEST_F(SpinEdit, TheWheelStepsAfterItsEventHandledOrNot) {
  Show();
  Spin->SetFocus();
  std::vector<std::string> log;
  bool handled = false;
  Spin->OnMouseWheel = [&](TObject*, TShiftState, int Delta, TPoint, bool& Handled) {
    log.push_back("wheel " + std::to_string(Delta) + " at " + Spin->Text());
    Handled = handled;
  };
  struct Case {
    bool Handled;
    int Delta;
    WPARAM Keys;
    const char* Text;
  } cases[] = {{false, 120, 0, "7"}, {true, 120, 0, "8"}, {true, -120, 0, "7"}, {true, 120, MK_CONTROL, "17"}};
  for (const Case& c : cases) {
    handled = c.Handled;
    InputMouseWheel(Form->Handle(), c.Delta, {20, 20}, c.Keys);
    EXPECT_EQ(Spin->Text(), c.Text) << c.Handled << " " << c.Delta;
  }
  EXPECT_EQ(log, (std::vector<std::string>{"wheel 120 at 6", "wheel 120 at 7", "wheel -120 at 8", "wheel 120 at 7"}));
}

// Without AllowKeyEdit every way of changing the text but stepping is refused, each
// with exactly one beep; the text stays.
TEST_F(SpinEdit, EditingIsRefusedWithOneBeepEach) {
  Show();
  Spin->SetFocus();
  Spin->SetValue(42);
  SetClipboardText("123");
  struct Case { const char* what; std::function<void()> act; };
  const Case cases[] = {
      {"typing", [&] { Key('5', "5"); }},
      {"Backspace", [&] { Key(VK_BACK, "\x08"); }},
      {"Delete", [&] { Key(VK_DELETE); }},
      {"Ctrl+V", [&] { Key('V', "\x16"); }},
      {"Ctrl+X", [&] { Key('X', "\x18"); }},
      {"Ctrl+Z", [&] { Key('Z', "\x1A"); }},
      {"Enter", [&] { Key(VK_RETURN, "\r"); }},
      {"context menu Delete", [&] {
         Spin->SelectAll();
         Runner->ChooseMenuItem("EditDelete");
         Spin->Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Spin->Handle()), -1);
       }},
      {"context menu Paste", [&] {
         Runner->ChooseMenuItem("EditPaste");
         Spin->Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Spin->Handle()), -1);
       }},
      {"EM_UNDO", [&] { Spin->Perform(EM_UNDO, 0, 0); }},
      {"WM_CLEAR", [&] { Spin->Perform(WM_CLEAR, 0, 0); }},
  };
  for (const auto& c : cases) {
    Beeper.Beeps = 0;
    c.act();
    EXPECT_EQ(Spin->Text(), "42") << c.what;
    EXPECT_EQ(Beeper.Beeps, 1) << c.what;
  }
  // Copying changes nothing and is allowed.
  Beeper.Beeps = 0;
  Spin->SelectAll();
  Key('C', "\x03");
  EXPECT_EQ(Beeper.Beeps, 0);
  EXPECT_EQ(GetClipboardText(), "42");
}

TEST_F(SpinEdit, WithAllowKeyEditOnlyNumberCharactersAreTyped) {
  Show();
  Spin->SetFocus();
  Spin->SetAllowKeyEdit(true);
  Spin->SetValue(42);
  Spin->SetSelStart(2);
  Key('5', "5");
  Key('A', "a");
  Key(0xBE, ".");  // integers only: no separator
  Key(0xBD, "-");   // a sign only at the start
  EXPECT_EQ(Spin->Text(), "425");
  EXPECT_EQ(Beeper.Beeps, 3);
  Key(VK_BACK, "\x08");
  EXPECT_EQ(Spin->Text(), "42");
}

TEST_F(SpinEdit, ReadOnlyHidesTheButtonsAndStepsOnlyBeep) {
  Show();
  Spin->SetFocus();
  Spin->SetReadOnly(true);
  EXPECT_FALSE(Spin->Buttons()->Visible());
  Key(VK_UP);
  Key(VK_PRIOR);
  EXPECT_EQ(Spin->Text(), "6");
  EXPECT_EQ(Beeper.Beeps, 2);
  Spin->SetReadOnly(false);
  EXPECT_TRUE(Spin->Buttons()->Visible());
}

// The buttons are a child window at the right edge of the client area; the text's
// right margin leaves them room.
TEST_F(SpinEdit, ButtonsSitInTheClientAreaAndSplitItsHeight) {
  Show();
  TQvSpinButtons* b = Spin->Buttons();
  EXPECT_EQ(b->Parent(), Spin);
  EXPECT_EQ(b->BoundsRect(), TRect(97 - 17 - 4, 0, 97 - 4, 17));  // 3-D border, no themes
  EXPECT_EQ(Spin->GetButton(sbUp)->Height(), 8);
  EXPECT_EQ(Spin->GetButton(sbDown)->Height(), 9);
  EXPECT_EQ(HIWORD(Spin->Perform(EM_GETMARGINS, 0, 0)), 17 + 2);
  Spin->SetButtonWidth(20);
  EXPECT_EQ(b->Width(), 20);
  EXPECT_EQ(b->Left(), 97 - 20 - 4);
  Spin->SetOrientation(orHorizontal);
  EXPECT_EQ(b->Width(), 40);
}

// A press on the upper button clicks on release; held, it repeats 400 ms after the
// press and every 100 ms after that, and once more on a release inside.
TEST_F(SpinEdit, AHeldButtonRepeatsOnTheClock) {
  Show();
  TQvControlButton* up = Spin->GetButton(sbUp);
  for (int i = 0; i < 3; ++i) {
    Press(up, {8, 4}, true);
    Press(up, {8, 4}, false);
  }
  EXPECT_EQ(Spin->Text(), "9");
  EXPECT_TRUE(Spin->Focused());
  int steps = 0;
  Spin->OnButtonClick = [&](TObject*, TSpinButtonType) { ++steps; };
  Press(up, {8, 4}, true);
  Advance(390);
  EXPECT_EQ(steps, 0);
  Advance(10);
  EXPECT_EQ(steps, 1);
  Advance(1100);
  EXPECT_EQ(steps, 12);
  Press(up, {8, 4}, false);
  EXPECT_EQ(steps, 13);
  Advance(500);
  EXPECT_EQ(steps, 13);
}

// A held button whose press is cut short (the capture taken by a modal box or by
// another window, the button disabled or hidden) comes up and stops repeating.
TEST_F(SpinEdit, LosingTheCaptureWhileHeldStopsTheRepeats) {
  Show();
  TQvControlButton* up = Spin->GetButton(sbUp);
  struct Case { const char* what; std::function<void()> cut; };
  const Case cases[] = {
      {"cancel mode", [&] { SendMessage(Spin->Buttons()->Handle(), WM_CANCELMODE, 0, 0); }},
      {"capture taken", [&] { SetCapture(Form->Handle()); }},
      {"disabled", [&] { Spin->SetEnabled(false); }},
      {"hidden", [&] { up->SetVisible(false); }},
  };
  for (const auto& c : cases) {
    Spin->SetEnabled(true);
    up->SetVisible(true);
    ReleaseCapture();
    int steps = 0;
    Spin->OnButtonClick = [&](TObject*, TSpinButtonType) { ++steps; };
    Press(up, {8, 4}, true);
    Advance(450);
    EXPECT_EQ(steps, 1) << c.what;
    c.cut();
    Advance(1000);
    EXPECT_EQ(steps, 1) << c.what;
    EXPECT_FALSE(up->IsDown()) << c.what;
    EXPECT_FALSE(up->RepeatTimer()->Enabled()) << c.what;
    Press(up, {8, 4}, false);
  }
}

TEST_F(SpinEdit, TheStreamKeepsTheValueAndReadsTheRetiredProperty) {
  Spin->SetName("Spin");
  Spin->SetValue(42);
  Spin->SetIncrement(5);
  Spin->SetFlatButtonColor(clRed);
  Spin->SetParent(nullptr);  // written alone, as a form's child would be
  std::string text = TextOf(Spin);
  EXPECT_NE(text.find("Value = 42"), std::string::npos) << text;
  EXPECT_EQ(text.find("object", 1), std::string::npos) << text;  // the buttons are not written
  EXPECT_EQ(text.find("PageSize"), std::string::npos) << text;
  auto* back = new TQvSpinEdit(nullptr);
  ReadInto(text, back);
  EXPECT_EQ(back->Text(), "42");
  EXPECT_EQ(back->Increment(), 5);
  EXPECT_EQ(back->FlatButtonColor(), clRed);
  EXPECT_EQ(TextOf(back), text);
  delete back;
  // The application's stream: Max, Min, Value in that order show 6; an old stream's
  // FlatButtonParentColor is read and dropped.
  back = new TQvSpinEdit(nullptr);
  ReadInto("object Spin: TQvSpinEdit\n  Max = 3000.0\n  Min = 6.0\n  FlatButtonParentColor = True\n"
           "  Value = 6.0\nend\n", back);
  EXPECT_EQ(back->Text(), "6");
  EXPECT_EQ(back->Max(), 3000);
  EXPECT_EQ(TextOf(back).find("FlatButtonParentColor"), std::string::npos);
  delete back;
}

}  // namespace
