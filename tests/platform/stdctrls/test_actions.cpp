// Actions and their links: controls follow an action's state while they agree
// with it, a click executes the action (the list's handler first), checked groups,
// an action freed before its clients, and actions streamed inside their list.
#include "tests/platform/controls/fixtures.h"
#include "platform/controls/actions.h"
#include "platform/stdctrls/speedbuttons.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/core/gbk.h"
#include "platform/core/streams.h"
#include "platform/core/textform.h"
#include "platform/graphics/imglist.h"

namespace {

class ActionsTest : public ControlsTest {
protected:
  void SetUp() override {
    ControlsTest::SetUp();
    Form = MakeForm();
    List = new TActionList(Form);
    Save = new TAction(Form);
    Save->SetName("ActSave");
    Save->SetActionList(List);
    Save->SetCaption("&Save");
    Save->SetHint("Save the project");
    Save->SetOnExecute([this](TObject*) { Events.push_back("save executed"); });
    Button = new TButton(Form);
    Button->SetBounds(10, 10, 75, 25);
    Button->SetParent(Form);
    Button->SetAction(Save);
    Form->Show();
  }
  void ClickButton() {
    Mouse(Form, WM_LBUTTONDOWN, {20, 20}, MK_LBUTTON);
    Mouse(Form, WM_LBUTTONUP, {20, 20});
  }
  TForm* Form = nullptr;
  TActionList* List = nullptr;
  TAction* Save = nullptr;
  TButton* Button = nullptr;
  TLog Events;
};

}  // namespace

TEST_F(ActionsTest, AControlFollowsItsActionWhileTheyAgree) {
  EXPECT_EQ(Button->Caption(), "&Save");
  EXPECT_EQ(Button->Hint(), "Save the project");
  struct Step {
    const char* What;
    std::function<void()> Do;
    std::string Caption;
    bool Enabled, Visible;
  };
  const Step steps[] = {
      {"caption", [&] { Save->SetCaption("Save &all"); }, "Save &all", true, true},
      {"disabled", [&] { Save->SetEnabled(false); }, "Save &all", false, true},
      {"enabled", [&] { Save->SetEnabled(true); }, "Save &all", true, true},
      {"hidden", [&] { Save->SetVisible(false); }, "Save &all", true, false},
      {"shown", [&] { Save->SetVisible(true); }, "Save &all", true, true},
  };
  for (const Step& s : steps) {
    s.Do();
    EXPECT_EQ(Button->Caption(), s.Caption) << s.What;
    EXPECT_EQ(Button->Enabled(), s.Enabled) << s.What;
    EXPECT_EQ(Button->Visible(), s.Visible) << s.What;
  }
  auto* link = dynamic_cast<TActionLink*>(Button->ActionLink());
  ASSERT_NE(link, nullptr);
  EXPECT_TRUE(link->IsCaptionLinked());
  // A button given its own caption no longer takes the action's changes to it.
  Button->SetCaption("Mine");
  EXPECT_FALSE(link->IsCaptionLinked());
  EXPECT_TRUE(link->IsEnabledLinked());
}

TEST_F(ActionsTest, AClickExecutesTheActionAndTheListMayTakeItFirst) {
  bool listTakes = false;
  List->OnExecute = [&](TBasicAction* A, bool& Handled) {
    Events.push_back("list saw " + A->Name());
    Handled = listTakes;
  };
  ClickButton();
  listTakes = true;
  Button->Perform(BM_CLICK, 0, 0);
  Save->SetEnabled(false);  // a disabled action does not run
  EXPECT_FALSE(Button->ActionLink()->Execute(Button));
  EXPECT_EQ(Events, (TLog{"list saw ActSave", "save executed", "list saw ActSave"}));
  EXPECT_EQ(Save->ActionComponent(), nullptr);
}

TEST_F(ActionsTest, CheckedActionsKeepTheirCheckBoxesAndGroupsInStep) {
  auto* bold = new TAction(Form);
  bold->SetActionList(List);
  bold->SetAutoCheck(true);
  auto* box = new TCheckBox(Form);
  box->SetBounds(10, 50, 97, 17);
  box->SetParent(Form);
  int clicks = 0;
  box->SetAction(bold);
  bold->OnUpdate = [&](TObject*) { ++clicks; };
  // A click checks the box and, through the action, the action: once each.
  Mouse(Form, WM_LBUTTONDOWN, {15, 58}, MK_LBUTTON);
  Mouse(Form, WM_LBUTTONUP, {15, 58});
  EXPECT_TRUE(box->Checked());
  EXPECT_TRUE(bold->Checked());
  EXPECT_EQ(clicks, 1);
  // The action unchecked from the program: the box follows without a click.
  bold->SetChecked(false);
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(clicks, 1);

  // Two actions of one group: one checked at a time.
  auto* left = new TAction(Form);
  auto* right = new TAction(Form);
  for (TAction* a : {left, right}) {
    a->SetActionList(List);
    a->SetGroupIndex(3);
  }
  left->SetChecked(true);
  right->SetChecked(true);
  EXPECT_FALSE(left->Checked());
  EXPECT_TRUE(right->Checked());
}

TEST_F(ActionsTest, ASpeedButtonTakesItsGroupAndGlyphFromItsAction) {
  auto* images = new TCustomImageList(Form);
  images->SetWidth(16);
  images->SetHeight(16);
  TBitmap strip(32, 16);
  strip.Canvas()->Brush()->SetColor(clRed);
  strip.Canvas()->FillRect({16, 0, 32, 16});
  images->Add(&strip, nullptr);
  List->SetImages(images);
  auto* align = new TAction(Form);
  align->SetActionList(List);
  align->SetGroupIndex(2);
  align->SetImageIndex(1);
  auto* b = new TSpeedButton(Form);
  b->SetParent(Form);
  b->SetAction(align);
  EXPECT_EQ(b->GroupIndex(), 2);
  EXPECT_EQ(b->Glyph()->Width(), 16);
  EXPECT_EQ(b->Glyph()->Canvas()->Pixels(8, 8), clRed);
}

TEST_F(ActionsTest, AFreedActionLeavesItsClientsUnlinked) {
  delete Save;
  EXPECT_EQ(Button->Action(), nullptr);
  ClickButton();  // nothing to run, nothing breaks
  EXPECT_TRUE(Events.empty());
  EXPECT_EQ(List->ActionCount(), 0);
}

TEST_F(ActionsTest, ActionsAreStreamedInsideTheirListAndControlsFindThemByName) {
  TForm* form = Own(new TForm(nullptr));
  TStringStream s(FormTextToBinary(GbkToUtf8(R"(object ActForm: TForm
  object ButtonOpen: TButton
    Left = 10
    Top = 10
    Action = ActOpen
    TabOrder = 0
  end
  object ButtonKept: TButton
    Left = 10
    Top = 40
    Action = ActOpen
    Caption = '自己的'
    TabOrder = 1
  end
  object ActionList1: TActionList
    object ActOpen: TAction
      Caption = '打开串口'
      Category = 'Port'
      Hint = '打开'
    end
  end
end
)")));
  s.ReadComponent(form);
  auto* list = dynamic_cast<TActionList*>(form->FindComponent("ActionList1"));
  auto* open = dynamic_cast<TAction*>(form->FindComponent("ActOpen"));
  ASSERT_NE(list, nullptr);
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->ActionList(), list);
  EXPECT_EQ(open->Category(), "Port");
  auto* b1 = dynamic_cast<TButton*>(form->FindComponent("ButtonOpen"));
  auto* b2 = dynamic_cast<TButton*>(form->FindComponent("ButtonKept"));
  EXPECT_EQ(b1->Action(), open);
  EXPECT_EQ(b1->Caption(), "打开串口");
  EXPECT_EQ(b2->Caption(), "自己的");  // read from the stream: kept
  EXPECT_EQ(b2->Hint(), "打开");

  TMemoryStream m;
  m.WriteComponent(form);
  std::string text = FormBinaryToText(std::string(static_cast<const char*>(m.Memory()), m.Size()));
  size_t l = text.find("object ActionList1: TActionList"), a = text.find("object ActOpen: TAction");
  ASSERT_NE(l, std::string::npos);
  EXPECT_LT(l, a);
  EXPECT_NE(text.find("Action = ActOpen"), std::string::npos);
}
