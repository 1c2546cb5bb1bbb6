// Actions on the framed buttons and check controls: the Action reference in form
// streams, what the action supplies (and is then left out of the stream), and the
// links of the check controls, the bit button, the tool and toolbar buttons.
#include <gtest/gtest.h>

#include <string>

#include "basic_fixture.h"
#include "controls/basic/bitbuttons.h"
#include "controls/basic/classes.h"
#include "controls/basic/radiocheck.h"
#include "controls/basic/tbspeedbuttons.h"
#include "controls/basic/toolbutton.h"
#include "platform/controls/actions.h"
#include "platform/core/typinfo.h"

namespace {

struct ActionForm : TFormFixture {
  void SetUp() override {
    TFormFixture::SetUp();
    RegisterBasicClasses();
  }
  // A form with action A (caption "Run", checked, image 2) and control C of ClassName
  // using it; Extra goes into C's lines.
  static std::string FormText(const std::string& ClassName, const std::string& Extra = "") {
    return "object F: TForm\n"
           "  object L: TActionList\n"
           "    object A: TAction\n      Caption = 'Run'\n      Checked = True\n      ImageIndex = 2\n    end\n"
           "  end\n"
           "  object C: " + ClassName + "\n    Action = A\n" + Extra + "  end\n"
           "end\n";
  }
  TControl* C() const { return dynamic_cast<TControl*>(Form->FindComponent("C")); }
  TAction* A() const { return dynamic_cast<TAction*>(Form->FindComponent("A")); }
};

const char* const kActionClients[] = {"TQvButton",        "TQvBitBtn",           "TQvMenuButton",
                                      "TQvToolButton",    "TQvToolbarButton",    "TQvMenuToolbarButton",
                                      "TQvControlButton", "TQvCheckBox",         "TQvRadioButton"};

TEST_F(ActionForm, TheActionIsAReferenceThatSurvivesWriteAndReadAndDrivesTheControl) {
  for (const char* cls : kActionClients) {
    SCOPED_TRACE(cls);
    ReadInto(FormText(cls), Form);
    ASSERT_NE(C(), nullptr);
    EXPECT_EQ(C()->Action(), A());
    EXPECT_EQ(C()->Caption(), "Run");
    int runs = 0;
    A()->SetOnExecute([&](TObject*) { ++runs; });
    C()->Click();
    EXPECT_EQ(runs, 1);
    A()->SetCaption("Stop");
    EXPECT_EQ(C()->Caption(), "Stop");

    std::string text = TextOf(Form);
    EXPECT_NE(text.find("Action = A"), std::string::npos) << text;
    delete Form;
    Form = new TForm(nullptr);
    ReadInto(text, Form);
    ASSERT_NE(C(), nullptr);
    EXPECT_EQ(C()->Action(), A());
    delete Form;
    Form = new TForm(nullptr);
  }
}

// Checked, Down and ImageIndex are stored only while the action does not supply them.
struct SuppliedCase {
  const char* Class;
  const char* Extra;     // lines that let the control take the value at all
  const char* Property;
  int64_t Differing;     // a value other than the action's
};

TEST_F(ActionForm, AValueTheActionSuppliesIsNotStoredAndOneThatDiffersIs) {
  const SuppliedCase cases[] = {
      {"TQvCheckBox", "", "Checked", 0},
      {"TQvRadioButton", "", "Checked", 0},
      {"TQvToolButton", "    GroupIndex = 1\n    AllowAllUp = True\n", "Down", 0},
      {"TQvToolButton", "", "ImageIndex", 5},
  };
  for (const SuppliedCase& c : cases) {
    SCOPED_TRACE(std::string(c.Class) + "." + c.Property);
    ReadInto(FormText(c.Class, c.Extra), Form);
    ASSERT_NE(C(), nullptr);
    const TPropInfo& p = FindPropInfo(C(), c.Property);
    EXPECT_EQ(GetOrdProp(C(), c.Property), std::string(c.Property) == "ImageIndex" ? 2 : 1);
    EXPECT_FALSE(p.IsStored(C()));
    SetOrdProp(C(), c.Property, c.Differing);
    EXPECT_TRUE(p.IsStored(C()));
    delete Form;
    Form = new TForm(nullptr);
  }
}

TEST_F(ActionForm, TheCheckControlsFollowTheActionsCheckedStateWithoutAClick) {
  for (const char* cls : {"TQvCheckBox", "TQvRadioButton"}) {
    SCOPED_TRACE(cls);
    ReadInto(FormText(cls), Form);
    auto* b = dynamic_cast<TQvCustomGlyphButton*>(C());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->ActionLink()->ClassInfo().Name, "TQvCheckedActionLink");
    EXPECT_TRUE(b->Checked());
    int runs = 0;
    A()->SetOnExecute([&](TObject*) { ++runs; });
    A()->SetChecked(false);
    EXPECT_FALSE(b->Checked());
    A()->SetChecked(true);
    EXPECT_TRUE(b->Checked());
    EXPECT_EQ(runs, 0);
    delete Form;
    Form = new TForm(nullptr);
  }
}

TEST_F(ActionForm, TheBitButtonTakesTheActionsImageIndex) {
  auto* b = new TQvBitBtn(Form);
  b->SetImageIndex(7);
  auto* a = new TAction(Form);
  a->SetImageIndex(3);
  b->SetAction(a);  // assigned at run time: every linked value follows
  EXPECT_EQ(b->ImageIndex(), 3);
  a->SetImageIndex(4);
  EXPECT_EQ(b->ImageIndex(), 4);
}

TEST_F(ActionForm, TheToolButtonLinksDownAndImageAndAssignsThemToAnAction) {
  ReadInto(FormText("TQvToolButton", "    GroupIndex = 1\n    AllowAllUp = True\n"), Form);
  auto* b = dynamic_cast<TQvToolButton*>(C());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->ActionLink()->ClassInfo().Name, "TQvToolButtonActionLink");
  A()->SetChecked(false);
  A()->SetImageIndex(6);
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(b->ImageIndex(), 6);

  TAction target(nullptr);
  b->SetDown(true);
  b->SetImageIndex(9);
  b->SetHint("tip");
  target.Assign(b);
  EXPECT_TRUE(target.Checked());
  EXPECT_EQ(target.ImageIndex(), 9);
  EXPECT_EQ(target.Caption(), "Run");
  EXPECT_EQ(target.Hint(), "tip");
}

TEST_F(ActionForm, AToolbarButtonThatIgnoresActionCaptionsKeepsItsOwn) {
  ReadInto(FormText("TQvToolbarButton", "    Caption = 'Mine'\n    IgnoreActionCaption = True\n"), Form);
  ASSERT_NE(C(), nullptr);
  EXPECT_EQ(C()->Caption(), "Mine");
  A()->SetCaption("Other");
  EXPECT_EQ(C()->Caption(), "Mine");
}

}  // namespace
