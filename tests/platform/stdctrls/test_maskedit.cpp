// The masked edit: the edit-mask language, masked typing, paste and validation.
#include "platform/stdctrls/maskedit.h"
#include "platform/core/textform.h"
#include "platform/core/filer.h"
#include "tests/platform/controls/fixtures.h"
#include "platform/core/gbk.h"

namespace {

std::string U(const char8_t* Utf8) { return Utf8ToGbk(std::string(reinterpret_cast<const char*>(Utf8))); }

TEST(EditMask, TheMaskLanguageFormatsValues) {
  struct {
    const char* Mask;
    std::string Value, Want;
  } cases[] = {
      {"!(999)000-0000;0;_", "8005551212", "(800)555-1212"},
      {"!(999)000-0000;1;_", "(800)555-1212", "(800)555-1212"},
      {">LL-00;1;_", "ab-12", "AB-12"},
      {"<LL>L;0;_", "ABc", "abC"},
      {"\\A00;0;*", "12", "A12"},
      {"000;0;_", "1", "1  "},
      {"CC-C;0;_", U(u8"中文x"), U(u8"中文-x")},
      {"", "as is", "as is"},
  };
  for (auto& c : cases) EXPECT_EQ(FormatMaskText(c.Mask, c.Value), c.Want) << c.Mask;
  TParsedMask m = ParseEditMask("!99:99;0;*");
  EXPECT_TRUE(m.LeadingBlanks);
  EXPECT_FALSE(m.SaveLiterals);
  EXPECT_EQ(m.Blank, '*');
  ASSERT_EQ(m.Positions.size(), 5u);
  EXPECT_TRUE(m.Positions[2].Literal);
  struct {
    char Code;
    std::string Ch;
    bool Ok;
  } accepts[] = {{'0', "5", true}, {'0', "a", false}, {'L', "a", true}, {'L', "1", false}, {'A', "1", true},
                 {'#', "-", true}, {'#', "x", false}, {'C', U(u8"中"), true}, {'A', U(u8"中"), false}};
  for (auto& a : accepts) {
    TMaskPosition p;
    p.Code = a.Code;
    EXPECT_EQ(MaskCharAccepts(p, a.Ch), a.Ok) << a.Code << " " << a.Ch;
  }
}

class MaskEditTest : public ControlsTest {
protected:
  void SetUp() override {
    ControlsTest::SetUp();
    Form = MakeForm();
    Edit = new TMaskEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 150, 25);
    Other = new TMaskEdit(Form);
    Other->SetParent(Form);
    Other->SetBounds(10, 50, 150, 25);
    Form->Show();
    Edit->SetFocus();
  }
  void Type(const std::string& Gbk) { InputChars(Gbk); }
  void Press(WORD VKey, bool Shift = false) {
    if (Shift) SetKeyDown(VK_SHIFT, true);
    Key(VKey, VKey == VK_BACK ? "\b" : "");
    SetKeyDown(VK_SHIFT, false);
  }
  TForm* Form = nullptr;
  TMaskEdit* Edit = nullptr;
  TMaskEdit* Other = nullptr;
};

TEST_F(MaskEditTest, TypingFillsInputPositionsSkipsLiteralsAndRefusesWhatDoesNotFit) {
  Edit->SetEditMask("!(999)000-0000;1;_");
  EXPECT_EQ(Edit->EditText(), "(___)___-____");
  Edit->SetSelStart(0);
  Type("80x05551212");  // the x is refused
  EXPECT_EQ(Edit->EditText(), "(800)555-1212");
  EXPECT_EQ(Edit->Text(), "(800)555-1212");
  Edit->SetEditMask("!(999)000-0000;0;_");
  EXPECT_EQ(Edit->Text(), "8005551212");
  EXPECT_EQ(Edit->EditText(), "(800)555-1212");

  // Backspace and Delete empty a position without moving the rest; the caret skips
  // literals.
  Edit->SetSelStart(5);  // after ')'
  Press(VK_BACK);
  EXPECT_EQ(Edit->EditText(), "(80_)555-1212");
  EXPECT_EQ(Edit->SelStart(), 3);
  Press(VK_RIGHT);
  EXPECT_EQ(Edit->SelStart(), 5);
  Press(VK_DELETE);
  EXPECT_EQ(Edit->EditText(), "(80_)_55-1212");
  Type("9");
  EXPECT_EQ(Edit->EditText(), "(80_)955-1212");
  EXPECT_EQ(Edit->SelStart(), 6);
  Press(VK_END);
  Type("7");  // past the last position: refused
  EXPECT_EQ(Edit->EditText(), "(80_)955-1212");

  // Case rules and a GBK character at an any-character position.
  Edit->SetEditMask(">LL<L-CC;1;_");
  Edit->SetText("");
  Edit->SetSelStart(0);
  Type("abC" + U(u8"中") + "z");
  EXPECT_EQ(Edit->EditText(), "ABc-" + U(u8"中") + "z");
}

TEST_F(MaskEditTest, PasteLinesUpWithTheMaskAndSelectionsAreEmptied) {
  Edit->SetEditMask("!(999)000-0000;0;_");
  Edit->SetSelStart(0);
  SetClipboardText("(800)555-12");
  Edit->PasteFromClipboard();
  EXPECT_EQ(Edit->EditText(), "(800)555-12__");
  Edit->Perform(EM_SETSEL, 1, 4);
  Edit->CutToClipboard();
  EXPECT_EQ(GetClipboardText(), "800");
  EXPECT_EQ(Edit->EditText(), "(___)555-12__");
  SetClipboardText("12a4");
  Edit->Perform(EM_SETSEL, 9, 9);
  Edit->PasteFromClipboard();  // stops at the letter
  EXPECT_EQ(Edit->EditText(), "(___)555-12__");
  EXPECT_EQ(Edit->Text(), "   55512  ");
}

TEST_F(MaskEditTest, LeavingWithARequiredPositionEmptyRaisesAndKeepsTheFocusAndEscapeResets) {
  Edit->SetEditMask("00-00;1;_");
  Edit->SetText("12-3");
  Other->SetFocus();  // unchanged by the user: no check
  EXPECT_TRUE(Other->Focused());
  Edit->SetFocus();
  Edit->SetSelStart(4);
  Type("4");
  EXPECT_EQ(Edit->Text(), "12-34");
  Press(VK_BACK);
  EXPECT_THROW(Edit->ValidateEdit(), EDBEditError);
  Other->SetFocus();  // refused: the application shows why
  EXPECT_TRUE(Edit->Focused());
  EXPECT_EQ(Edit->SelStart(), 4);
  ASSERT_EQ(Runner->CallsOf("messagebox").size(), 1u);
  EXPECT_EQ(Runner->CallsOf("messagebox")[0].Text, "Invalid input value.  Use escape key to abandon changes.");
  // Escape puts back the text the edit had when it took the focus.
  Edit->Perform(WM_CHAR, 27, 0);
  EXPECT_EQ(Edit->Text(), "12-3 ");
  EXPECT_FALSE(Edit->Modified());
  Other->SetFocus();
  EXPECT_TRUE(Other->Focused());
}

TEST_F(MaskEditTest, AMaskEditReadsItsMaskBeforeItsTextFromAFormStream) {
  std::string bin = FormTextToBinary(
      "object Form3: TForm\n  object Phone: TMaskEdit\n    Text = '8005551212'\n"
      "    EditMask = '!(999)000-0000;0;_'\n  end\nend\n");
  auto* form = Own(new TForm(nullptr));
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), form);
  auto* e = dynamic_cast<TMaskEdit*>(form->FindComponent("Phone"));
  ASSERT_TRUE(e);
  EXPECT_EQ(e->EditText(), "(800)555-1212");
  EXPECT_EQ(e->Text(), "8005551212");
}

}  // namespace
