// The edit over the layer's own text model (no native edit): the shared edit cases,
// painting, the window's life and the form stream.
#include "platform/core/filer.h"
#include "platform/core/textform.h"
#include "tests/platform/stdctrls/edit_backends.h"
#include "tests/platform/stdctrls/edit_cases.h"

INSTANTIATE_TYPED_TEST_SUITE_P(Headless, EditCases, ::testing::Types<THeadlessEdits>);

namespace {

using HeadlessEdit = EditCases<THeadlessEdits>;

TEST_F(HeadlessEdit, TheTextAndStateOutliveANewWindowAndTheWindowPaintsThem) {
  Edit->SetText(G(u8"中文abc"));
  Edit->SetModified(true);
  Edit->SetMaxLength(9);
  Edit->SetAlignment(taRightJustify);  // a new window
  EXPECT_EQ(Edit->Text(), G(u8"中文abc"));
  EXPECT_TRUE(Edit->Modified());
  EXPECT_EQ(Edit->Perform(EM_GETLIMITTEXT, 0, 0), 9);
  EXPECT_TRUE(GetWindowLong(Edit->Handle(), GWL_STYLE) & ES_RIGHT);
  EXPECT_TRUE(GetWindowLong(Edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  // The selection is painted in the highlight colour, right-justified, inside the frame.
  Edit->Perform(EM_SETSEL, 0, -1);
  UpdateWindow(Edit->Handle());
  TBitmap shot;
  shot.SetWidth(Edit->Width());
  shot.SetHeight(Edit->Height());
  Edit->PaintTo(shot.Canvas()->Handle(), 0, 0);
  int highlight = 0;
  for (int x = 0; x < shot.Width(); ++x)
    if (static_cast<COLORREF>(shot.Canvas()->Pixels(x, Edit->Height() / 2)) == ColorToRGB(clHighlight)) ++highlight;
  EXPECT_GT(highlight, 10);
  EXPECT_EQ(static_cast<COLORREF>(shot.Canvas()->Pixels(3, Edit->Height() / 2)), ColorToRGB(clWindow));
}

TEST_F(HeadlessEdit, AnEditReadsItsPropertiesFromAFormStream) {
  const char8_t* source =
      u8"object Form2: TForm\n"
      "  object EditVarName: TEdit\n"
      "    Left = 88\n    Top = 76\n    Width = 137\n    Height = 21\n    TabOrder = 2\n"
      "    Text = '变量'\n    MaxLength = 10\n    ReadOnly = True\n    PasswordChar = '*'\n"
      "    CharCase = ecUpperCase\n  end\nend\n";
  std::string bin = FormTextToBinary(reinterpret_cast<const char*>(source));
  auto* form = Own(new TForm(nullptr));
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), form);
  auto* e = dynamic_cast<TEdit*>(form->FindComponent("EditVarName"));
  ASSERT_TRUE(e);
  EXPECT_EQ(e->Text(), G(u8"变量"));
  EXPECT_EQ(e->MaxLength(), 10);
  EXPECT_TRUE(e->ReadOnly());
  EXPECT_EQ(e->PasswordChar(), '*');
  EXPECT_EQ(e->CharCase(), ecUpperCase);
  EXPECT_EQ(e->Height(), 21);
  EXPECT_TRUE(e->TabStop());
  e->HandleNeeded();
  EXPECT_EQ(e->Perform(EM_GETLIMITTEXT, 0, 0), 10);
  EXPECT_EQ(e->Text(), G(u8"变量"));
}

TEST_F(HeadlessEdit, EnteringByKeyboardSelectsAllUnlessAutoSelectIsOff) {
  auto* other = Child<TRefusingEdit>(Form, "Other", {10, 50, 200, 75});
  struct {
    bool AutoSelect;
    DWORD WantEnd;
  } cases[] = {{true, 5}, {false, 0}};
  for (auto& c : cases) {
    other->SetText("hello");
    other->SetAutoSelect(c.AutoSelect);
    other->SetSelStart(0);
    Edit->SetFocus();
    Key(VK_TAB, "\t");
    ASSERT_TRUE(other->Focused());
    EXPECT_EQ(other->SelStart(), 0);
    EXPECT_EQ(static_cast<DWORD>(other->SelLength()), c.WantEnd);
  }
}

}  // namespace
