// The numeric edit (display format, evaluation, typed characters, the range
// check on leaving and the focus it keeps) and the expand edit.
#include <gtest/gtest.h>

#include "controls/editlist/numedits.h"
#include "platform/core/sysutils.h"
#include "tests/controls/editlist/edit_fixture.h"

namespace {

struct NumericEdit : EditTest {
  void SetUp() override {
    EditTest::SetUp();
    DecimalSeparator = '.';
    ThousandSeparator = ',';
    A = Place<TQvNumericEdit>(10, 10, 65, 21);
    B = Place<TQvNumericEdit>(10, 40, 65, 21);
    Show();
  }
  TQvNumericEdit* A = nullptr;
  TQvNumericEdit* B = nullptr;
};

TEST_F(NumericEdit, FormatsAndEvaluates) {
  EXPECT_EQ(A->Text(), "0");
  A->SetValue(-1234);
  EXPECT_EQ(A->Text(), "(1,234)");
  EXPECT_EQ(A->GetValue(), -1234);
  struct Case { const char* text; double value; };
  const Case cases[] = {{"1.5E-3", 0.0015}, {"-1.5E-3", -0.0015}, {"1,234,567", 1234567}, {"-42", -42},
                        {"abc", 0}, {"+7", 7}, {"", 0}};
  for (const auto& c : cases) {
    A->SetText(c.text);
    EXPECT_DOUBLE_EQ(A->EvaluateText(), c.value) << c.text;
  }
  A->SetText("");
  A->SetMin(5);
  A->SetMax(10);
  EXPECT_EQ(A->GetValue(), 5);  // an empty text reads as Min and shows it
  EXPECT_EQ(A->Text(), "5");
}

TEST_F(NumericEdit, TypedCharacters) {
  A->SetFocus();
  A->SetText("-12");
  A->SetSelStart(0);
  A->SetSelLength(0);
  Key('5', "5");
  EXPECT_EQ(A->Text(), "-12") << "a digit in front of a sign is refused";
  A->SetSelStart(3);
  Key('x', "x");
  Key('.', ".");
  EXPECT_EQ(A->Text(), "-12");
  EXPECT_EQ(Beeper.Beeps, 3);
  A->SetIntegersOnly(false);
  A->SetSelStart(3);
  Key('.', ".");
  Key('5', "5");
  EXPECT_EQ(A->Text(), "-12.5");
}

TEST_F(NumericEdit, LeavingOutOfRangeCorrectsOrKeepsTheFocus) {
  A->SetMax(100);
  A->SetFocus();
  A->SetText("250");
  B->SetFocus();
  EXPECT_EQ(A->Text(), "100");
  EXPECT_TRUE(B->Focused());
  // no range: nothing is checked
  B->SetText("-99999");
  A->SetFocus();
  EXPECT_EQ(B->Text(), "(99,999)");
}

TEST_F(NumericEdit, TwoRefusingEditsDoNotBounceTheFocus) {
  int messages = 0, focusChanges = 0;
  for (auto* e : {A, B}) {
    e->SetMax(10);
    e->OnRangeError = [&](TObject*, double, double, bool& AutoCorrect) {
      ++messages;
      AutoCorrect = false;
    };
    e->OnEnter = [&](TObject*) { ++focusChanges; };
  }
  A->SetFocus();
  A->SetText("50");
  B->SetText("60");
  focusChanges = 0;
  Key(VK_TAB);
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  EXPECT_EQ(messages, 1);
  EXPECT_TRUE(A->Focused()) << "the edit with the refused entry keeps the focus";
  EXPECT_LE(focusChanges, 2);
  EXPECT_EQ(A->Text(), "50");
}

TEST_F(NumericEdit, StreamRoundTrip) {
  A->SetMin(-5);
  A->SetMax(500);
  A->SetDisplayFormat("0.00");
  A->SetValue(12.5);
  std::string text = TextOf(A);
  EXPECT_EQ(text.find("Text ="), std::string::npos) << text;
  auto copy = std::make_unique<TQvNumericEdit>(nullptr);
  ReadInto(text, copy.get());
  EXPECT_EQ(copy->Text(), "12.50");
  EXPECT_EQ(copy->Max(), 500);
  EXPECT_EQ(copy->GetValue(), 12.5) << "the decimals survive the default format";
}

TEST_F(NumericEdit, ExpandEditWidensWhileFocused) {
  auto* e = Place<TQvExpandEdit>(100, 10, 60, 21);
  e->SetExpandOn(etFocus);
  e->SetExpandedWidth(150);
  e->SetFocus();
  EXPECT_EQ(e->Width(), 150);
  A->SetFocus();
  EXPECT_EQ(e->Width(), 60);
  e->SetExpandOn(etMouseButton2Click);
  e->Perform(WM_RBUTTONUP, 0, 0);
  EXPECT_EQ(e->Width(), 150);
  e->Perform(WM_RBUTTONUP, 0, 0);
  EXPECT_EQ(e->Width(), 60);
  auto copy = std::make_unique<TQvExpandEdit>(nullptr);
  ReadInto(TextOf(e), copy.get());
  EXPECT_EQ(copy->ExpandedWidth(), 150);
  EXPECT_EQ(copy->ExpandOn(), etMouseButton2Click);
}

}  // namespace
