// The edit over the layer's own text model (no native edit): the shared edit cases,
// painting, the window's life and the form stream.
#include "platform/core/filer.h"
#include "platform/core/textform.h"
#include "tests/platform/controls/edit_cases.h"

namespace {

// Input as the headless backend has it: keys and committed text enter through the
// input layer.
struct THeadlessEdits {
  static void Install() {}
  static void Type(TCustomEdit*, char C) {
    WORD vk = C >= 'a' && C <= 'z' ? static_cast<WORD>(C - 32) : static_cast<WORD>(static_cast<unsigned char>(C));
    InputKey(WM_KEYDOWN, vk, 0, std::string(1, C));
    InputKey(WM_KEYUP, vk, KF_UP_BIT, {});
  }
  static void Commit(TCustomEdit*, const char8_t* Utf8) {
    // Like the Qt boundary: what GBK cannot hold is dropped.
    std::string all(reinterpret_cast<const char*>(Utf8)), gbk;
    for (size_t i = 0; i < all.size();) {
      size_t n = 1;
      auto b = static_cast<unsigned char>(all[i]);
      if (b >= 0xF0) n = 4;
      else if (b >= 0xE0) n = 3;
      else if (b >= 0xC0) n = 2;
      if (auto one = TryUtf8ToGbk(all.substr(i, n))) gbk += *one;
      i += n;
    }
    InputChars(gbk);
  }
  static void Chord(TCustomEdit*, WORD VKey, bool Ctrl, bool Shift) {
    if (Ctrl) SetKeyDown(VK_CONTROL, true);
    if (Shift) SetKeyDown(VK_SHIFT, true);
    std::string chars;
    if (Ctrl && VKey >= 'A' && VKey <= 'Z') chars = std::string(1, static_cast<char>(VKey - 'A' + 1));
    if (VKey == VK_BACK) chars = "\b";
    InputKey(WM_KEYDOWN, VKey, 0, chars);
    InputKey(WM_KEYUP, VKey, KF_UP_BIT, {});
    SetKeyDown(VK_CONTROL, false);
    SetKeyDown(VK_SHIFT, false);
  }
  static void RightClick(TCustomEdit* E) {
    TCustomForm* f = GetParentForm(E);
    TPoint p = f->ScreenToClient(E->ClientToScreen({5, 5}));
    InputMouse(f->Handle(), WM_RBUTTONDOWN, p, MK_RBUTTON);
    InputMouse(f->Handle(), WM_RBUTTONUP, p, 0);
  }
};

}  // namespace

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

}  // namespace
