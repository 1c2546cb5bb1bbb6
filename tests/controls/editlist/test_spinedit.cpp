// The spin edit's value: text as the value, range checks, stepping, and loading.
#include <gtest/gtest.h>

#include "controls/editlist/spinedit.h"
#include "platform/controls/forms.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"

namespace {

struct TSpinFixture : ::testing::Test {
  void SetUp() override {
    Form = new TForm(nullptr);
    Spin = new TQvSpinEdit(Form);
    Spin->SetParent(Form);
  }
  void TearDown() override { delete Form; }
  TForm* Form = nullptr;
  TQvSpinEdit* Spin = nullptr;
};

}  // namespace

using SpinEdit = TSpinFixture;

TEST_F(SpinEdit, ValuesAreClampedAndFormattedIntoTheText) {
  EXPECT_EQ(Spin->Text(), "0");
  Spin->SetMax(3000);
  Spin->SetMin(6);
  EXPECT_EQ(Spin->Text(), "6");
  struct Case { long double in; const char* text; };
  const Case cases[] = {{2.6L, "6"}, {5000, "3000"}, {42, "42"}, {6.9L, "7"}};
  for (const auto& c : cases) {
    Spin->SetValue(c.in);
    EXPECT_EQ(Spin->Text(), c.text) << static_cast<double>(c.in);
  }
  Spin->SetDecimals(2);
  Spin->SetValue(6.9L);
  EXPECT_EQ(Spin->Text(), "6.90");
  EXPECT_EQ(static_cast<int>(Spin->GetValue()), 6);  // the application truncates 6.9 to 6
}

TEST_F(SpinEdit, NoRangeWhenMinEqualsMaxUnlessCheckRange) {
  Spin->SetMax(0);
  Spin->SetValue(-55);
  EXPECT_EQ(Spin->Text(), "-55");
  Spin->SetCheckRange(true);
  EXPECT_EQ(Spin->Text(), "0");
  Spin->SetValue(9);
  EXPECT_EQ(Spin->Text(), "0");
}

TEST_F(SpinEdit, EmptyOrBadTextReadsAsMin) {
  Spin->SetMax(3000);
  Spin->SetMin(6);
  Spin->SetText("");
  EXPECT_EQ(Spin->GetValue(), 6);
  EXPECT_EQ(Spin->Text(), "6");  // reading wrote the text of Min
  Spin->SetText("abc");
  EXPECT_EQ(Spin->GetValue(), 6);
  EXPECT_EQ(Spin->Text(), "abc");
  Spin->Perform(CM_EXIT, 0, 0);  // leaving the edit writes the text of Min
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
  Spin->SetMax(10);
  Spin->SetMin(20);
  EXPECT_EQ(Spin->Max(), 20);
  Spin->SetMax(5);
  EXPECT_EQ(Spin->Min(), 5);
}

TEST_F(SpinEdit, StepsByKeysWheelAndButtonsAskOnChangingAndReportTheButton) {
  Spin->SetMax(3000);
  Spin->SetMin(6);
  std::vector<std::string> log;
  bool allow = true;
  Spin->OnChanging = [&](TObject*, long double v, bool& ok) {
    log.push_back("changing " + std::to_string(static_cast<int>(v)));
    ok = allow;
  };
  Spin->OnButtonClick = [&](TObject*, TSpinButtonType b) { log.push_back(b == sbUp ? "up" : "down"); };
  struct Case { UINT msg; WPARAM w; const char* text; };
  const Case cases[] = {
      {WM_KEYDOWN, VK_UP, "7"},    {WM_KEYDOWN, VK_PRIOR, "17"}, {WM_KEYDOWN, VK_NEXT, "7"},
      {WM_KEYDOWN, VK_DOWN, "6"},  {WM_KEYDOWN, VK_DOWN, "6"},  // clamped at Min
      {WM_MOUSEWHEEL, static_cast<WPARAM>(120) << 16, "7"},
  };
  for (const auto& c : cases) {
    Spin->Perform(c.msg, c.w, 0);
    EXPECT_EQ(Spin->Text(), c.text);
  }
  EXPECT_EQ(log.front(), "changing 7");
  EXPECT_EQ(log[1], "up");
  EXPECT_EQ(log[8], "changing 5");  // OnChanging sees the value before clamping
  log.clear();
  allow = false;
  Spin->Perform(WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(Spin->Text(), "7");
  EXPECT_EQ(log, (std::vector<std::string>{"changing 8"}));
  // Typing and deleting are refused, wherever the caret is.
  for (int caret : {0, 1}) {
    Spin->SetSelStart(caret);
    Spin->Perform(WM_CHAR, '9', 0);
    Spin->Perform(WM_CHAR, 8, 0);
    Spin->Perform(WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(Spin->Text(), "7");
  }
}

TEST(SpinEditStream, MaxMinValueInStreamOrderShowSix) {
  RegisterClasses({&TForm::StaticClass(), &TQvSpinEdit::StaticClass()});
  std::string bin = FormTextToBinary(
      "object Spin: TQvSpinEdit\n  Max = 3000.000000000000000000\n  Min = 6.000000000000000000\n"
      "  Value = 6.000000000000000000\nend\n");
  auto* spin = new TQvSpinEdit(nullptr);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), spin);
  EXPECT_EQ(spin->Text(), "6");
  EXPECT_EQ(spin->Max(), 3000);
  delete spin;
}
