#pragma once
// Edit cases shared by the windowing backends: the same cases run over the layer's
// own text model (tests/platform/controls) and over the Qt backend's native line
// edit (tests/platform/backend/qt). A backend type B gives:
//   static void Install();                      before the fixture's own set-up
//   static void Type(TCustomEdit*, char C);     one key typing an ASCII character
//   static void Commit(TCustomEdit*, const char8_t* Utf8);     text committed by an input method
//   static void Chord(TCustomEdit*, WORD VKey, bool Ctrl, bool Shift);  a key with modifiers
//   static void RightClick(TCustomEdit*);       a right click into the edit
#include <functional>

#include "platform/stdctrls/edit.h"
#include "platform/core/gbk.h"
#include "tests/platform/controls/fixtures.h"

inline std::string G(const char8_t* Utf8) { return Utf8ToGbk(std::string(reinterpret_cast<const char*>(Utf8))); }

// An edit that keeps chosen messages from its default handling (a subclass
// refusing them).
class TRefusingEdit : public TEdit {
public:
  TRefusingEdit(TComponent* AOwner, TLog*) : TEdit(AOwner) {}
  std::vector<UINT> Refused;
  std::vector<UINT> Seen;
  void Dispatch(TMessage& M) override {
    if (M.Msg == WM_CUT || M.Msg == WM_COPY || M.Msg == WM_PASTE || M.Msg == WM_CLEAR || M.Msg == WM_UNDO)
      Seen.push_back(M.Msg);
    if (std::find(Refused.begin(), Refused.end(), M.Msg) != Refused.end()) return;
    TEdit::Dispatch(M);
  }
};

template <class B>
class EditCases : public ControlsTest {
protected:
  void SetUp() override {
    B::Install();
    ControlsTest::SetUp();
    Form = MakeForm();
    Edit = Child<TRefusingEdit>(Form, "Edit1", {10, 10, 200, 35});
    Edit->OnChange = [this](TObject*) { ++Changes; };
    Form->Show();
    Edit->SetFocus();
  }
  void TypeAscii(const std::string& S) {
    for (char c : S) B::Type(Edit, c);
  }
  std::pair<DWORD, DWORD> Sel() {
    DWORD s = 0, e = 0;
    Edit->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    return {s, e};
  }
  TForm* Form = nullptr;
  TRefusingEdit* Edit = nullptr;
  int Changes = 0;
};

TYPED_TEST_SUITE_P(EditCases);

TYPED_TEST_P(EditCases, TypedKeysAndInputMethodTextBecomeGbkBytesAtByteOffsets) {
  using B = TypeParam;
  std::vector<unsigned> pressed;
  this->Edit->OnKeyPress = [&](TObject*, char& K) { pressed.push_back(static_cast<unsigned char>(K)); };
  this->TypeAscii("ab");
  B::Commit(this->Edit, u8"中文");
  this->TypeAscii("c");
  EXPECT_EQ(this->Edit->Text(), G(u8"ab中文c"));
  EXPECT_EQ(this->Edit->SelStart(), 7);
  // Every byte passed the key-press handler, lead byte first.
  std::string g = G(u8"中文");
  std::vector<unsigned> want{'a', 'b'};
  for (char c : g) want.push_back(static_cast<unsigned char>(c));
  want.push_back('c');
  EXPECT_EQ(pressed, want);
  EXPECT_TRUE(this->Edit->Modified());
  EXPECT_GE(this->Changes, 3);

  // Input in the middle, then Backspace takes one whole character.
  this->Edit->SetSelStart(4);
  B::Commit(this->Edit, u8"字");
  EXPECT_EQ(this->Edit->Text(), G(u8"ab中字文c"));
  EXPECT_EQ(this->Edit->SelStart(), 6);
  B::Chord(this->Edit, VK_BACK, false, false);
  EXPECT_EQ(this->Edit->Text(), G(u8"ab中文c"));
  EXPECT_EQ(this->Edit->SelStart(), 4);
  // A character GBK cannot hold is refused where it is typed.
  B::Commit(this->Edit, u8"\xF0\x9F\x98\x80");
  EXPECT_EQ(this->Edit->Text(), G(u8"ab中文c"));
}

TYPED_TEST_P(EditCases, SelectionRoundTripsInBytesAndNeverSplitsACharacter) {
  this->Edit->SetText(G(u8"ab中文c"));  // a b [中 中] [文 文] c
  struct {
    std::intptr_t S, E;
    DWORD WantS, WantE;
    LRESULT WantCaret;  // the moving end: E, snapped
  } cases[] = {
      {0, -1, 0, 7, 7}, {2, 4, 2, 4, 4}, {3, 5, 2, 4, 4}, {5, 1, 1, 4, 1}, {100, 200, 7, 7, 7}, {6, 6, 6, 6, 6},
  };
  for (auto& c : cases) {
    this->Edit->Perform(EM_SETSEL, static_cast<WPARAM>(c.S), c.E);
    auto [s, e] = this->Sel();
    EXPECT_EQ(s, c.WantS) << c.S << "," << c.E;
    EXPECT_EQ(e, c.WantE) << c.S << "," << c.E;
    EXPECT_EQ(this->Edit->Perform(EM_GETCARETINDEX, 0, 0), c.WantCaret) << c.S << "," << c.E;
    LRESULT packed = this->Edit->Perform(EM_GETSEL, 0, 0);
    EXPECT_EQ(LOWORD(packed), c.WantS);
    EXPECT_EQ(HIWORD(packed), c.WantE);
  }
  // -1 deselects and keeps the caret.
  this->Edit->Perform(EM_SETSEL, 2, 6);
  this->Edit->Perform(EM_SETSEL, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(this->Sel(), std::make_pair(DWORD(6), DWORD(6)));

  this->Edit->SetSelStart(2);
  this->Edit->SetSelLength(4);
  EXPECT_EQ(this->Edit->SelText(), G(u8"中文"));
  this->Edit->SetSelText(G(u8"字"));
  EXPECT_EQ(this->Edit->Text(), G(u8"ab字c"));
  EXPECT_EQ(this->Edit->SelStart(), 4);
  EXPECT_EQ(this->Edit->SelLength(), 0);

  // Lines of a single-line edit: one line holding everything.
  EXPECT_EQ(this->Edit->Perform(EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_EQ(this->Edit->Perform(EM_LINEINDEX, 0, 0), 0);
  EXPECT_EQ(this->Edit->Perform(EM_LINEFROMCHAR, 3, 0), 0);
  EXPECT_EQ(this->Edit->Perform(EM_LINELENGTH, 0, 0), 5);
  // Margins move the text inside the client area.
  LRESULT before = this->Edit->Perform(EM_POSFROMCHAR, 0, 0);
  this->Edit->Perform(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(10, 7));
  EXPECT_EQ(this->Edit->Perform(EM_GETMARGINS, 0, 0), MAKELPARAM(10, 7));
  EXPECT_EQ(GET_X_LPARAM(this->Edit->Perform(EM_POSFROMCHAR, 0, 0)) - GET_X_LPARAM(before), 10);
  TRect fr;
  this->Edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&fr));
  EXPECT_GE(fr.Left, 10);
  EXPECT_LE(fr.Right, this->Edit->ClientWidth() - 7);
  this->Edit->Perform(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  // A point left of the text is the first byte; right of it, the end.
  EXPECT_EQ(LOWORD(this->Edit->Perform(EM_CHARFROMPOS, 0, MAKELPARAM(0, 5))), 0);
  EXPECT_EQ(LOWORD(this->Edit->Perform(EM_CHARFROMPOS, 0, MAKELPARAM(190, 5))), 5);
}

TYPED_TEST_P(EditCases, ASubclassRefusingTheClipboardMessagesStopsEveryWayIn) {
  using B = TypeParam;
  this->Edit->Refused = {WM_PASTE, WM_CUT};
  this->Edit->SetText(G(u8"中文"));
  this->Edit->SelectAll();
  SetClipboardText("zz");
  B::Chord(this->Edit, 'V', true, false);        // Ctrl+V
  B::Chord(this->Edit, VK_INSERT, false, true);  // Shift+Insert
  this->Edit->PasteFromClipboard();
  this->Runner->ChooseMenuItem("EditPaste");
  B::RightClick(this->Edit);
  B::Chord(this->Edit, 'X', true, false);        // Ctrl+X
  B::Chord(this->Edit, VK_DELETE, false, true);  // Shift+Delete
  EXPECT_EQ(this->Edit->Text(), G(u8"中文"));
  EXPECT_EQ(std::count(this->Edit->Seen.begin(), this->Edit->Seen.end(), WM_PASTE), 4);
  EXPECT_EQ(std::count(this->Edit->Seen.begin(), this->Edit->Seen.end(), WM_CUT), 2);
  // What is not refused works: copy, then a paste once allowed.
  this->Edit->SelectAll();
  B::Chord(this->Edit, 'C', true, false);
  EXPECT_EQ(GetClipboardText(), G(u8"中文"));
  this->Edit->Refused.clear();
  this->Edit->Perform(EM_SETSEL, 2, 2);
  SetClipboardText(G(u8"字"));
  B::Chord(this->Edit, 'V', true, false);
  EXPECT_EQ(this->Edit->Text(), G(u8"中字文"));
  B::Chord(this->Edit, 'Z', true, false);  // Ctrl+Z undoes the paste
  EXPECT_EQ(this->Edit->Text(), G(u8"中文"));
}

TYPED_TEST_P(EditCases, MaxLengthStopsAtTheByteLimitWithoutSplittingACharacter) {
  using B = TypeParam;
  this->Edit->SetMaxLength(5);
  B::Commit(this->Edit, u8"中文字");  // 6 bytes: the third character does not fit
  EXPECT_EQ(this->Edit->Text(), G(u8"中文"));
  this->TypeAscii("ab");
  EXPECT_EQ(this->Edit->Text(), G(u8"中文a"));
  EXPECT_EQ(this->Edit->Perform(EM_GETLIMITTEXT, 0, 0), 5);

  // Replacing a selection makes room; a paste is cut before the character that
  // would cross the limit.
  this->Edit->SetText("");
  SetClipboardText(G(u8"ab中文"));
  this->Edit->PasteFromClipboard();
  EXPECT_EQ(this->Edit->Text(), G(u8"ab中"));
  this->Edit->Perform(EM_SETSEL, 2, 4);
  B::Commit(this->Edit, u8"文");
  EXPECT_EQ(this->Edit->Text(), G(u8"ab文"));
  // Text the program sets is not cut; typing into it is refused.
  this->Edit->SetText("0123456789");
  this->TypeAscii("x");
  EXPECT_EQ(this->Edit->Text(), "0123456789");
  // The limit survives a new window.
  this->Edit->SetCharCase(ecUpperCase);
  this->Edit->SetText("");
  this->TypeAscii("abcdefg");
  EXPECT_EQ(this->Edit->Text(), "ABCDE");
}

TYPED_TEST_P(EditCases, KeyHandlersThatClearAKeyStopIt) {
  using B = TypeParam;
  // A filter like the variable-name one: ASCII letters and digits and Backspace.
  this->Edit->OnKeyPress = [](TObject*, char& K) {
    auto b = static_cast<unsigned char>(K);
    if (!(isalnum(b) && b < 0x80) && b != 8) K = 0;
  };
  B::Commit(this->Edit, u8"a中-b文9");
  EXPECT_EQ(this->Edit->Text(), "ab9");
  // A filter that keeps lead bytes but stops one trail byte: that character is lost
  // whole, and the next one is unharmed.
  std::string zhong = G(u8"中");
  this->Edit->OnKeyPress = [&](TObject*, char& K) {
    if (K == zhong[1]) K = 0;
  };
  this->Edit->SetText("");
  B::Commit(this->Edit, u8"中文");
  EXPECT_EQ(this->Edit->Text(), G(u8"文"));
  // A key-down handler that clears Delete keeps the text.
  this->Edit->OnKeyPress = nullptr;
  this->Edit->OnKeyDown = [](TObject*, WORD& K, TShiftState) {
    if (K == VK_DELETE) K = 0;
  };
  this->Edit->SetText("abc");
  this->Edit->SetSelStart(0);
  B::Chord(this->Edit, VK_DELETE, false, false);
  EXPECT_EQ(this->Edit->Text(), "abc");
  this->Edit->OnKeyDown = nullptr;
  B::Chord(this->Edit, VK_DELETE, false, false);
  EXPECT_EQ(this->Edit->Text(), "bc");
}

TYPED_TEST_P(EditCases, ReadOnlyPasswordAndUndo) {
  using B = TypeParam;
  this->Edit->SetText("abc");
  this->Edit->SetReadOnly(true);
  this->Edit->SetSelStart(3);
  this->TypeAscii("d");
  B::Commit(this->Edit, u8"中");
  SetClipboardText("zz");
  this->Edit->PasteFromClipboard();
  B::Chord(this->Edit, VK_BACK, false, false);
  EXPECT_EQ(this->Edit->Text(), "abc");
  EXPECT_FALSE(this->Edit->Modified());
  this->Edit->SetReadOnly(false);
  this->TypeAscii("d");
  EXPECT_EQ(this->Edit->Text(), "abcd");
  EXPECT_TRUE(this->Edit->Modified());
  EXPECT_TRUE(this->Edit->CanUndo());
  this->Edit->Undo();
  EXPECT_EQ(this->Edit->Text(), "abc");
  this->Edit->SetModified(false);
  EXPECT_FALSE(this->Edit->Modified());

  // A password edit shows no text to the clipboard.
  this->Edit->SetPasswordChar('*');
  SetClipboardText("keep");
  this->Edit->SelectAll();
  this->Edit->CopyToClipboard();
  this->Edit->CutToClipboard();
  EXPECT_EQ(GetClipboardText(), "keep");
  EXPECT_EQ(this->Edit->Text(), "abc");
  EXPECT_EQ(this->Edit->Perform(EM_GETPASSWORDCHAR, 0, 0), '*');
}

TYPED_TEST_P(EditCases, TheContextMenuSendsTheSameMessages) {
  using B = TypeParam;
  this->Edit->SetText(G(u8"中文"));
  this->Edit->Perform(EM_SETSEL, 0, 2);
  std::map<std::string, bool> enabled;
  this->Runner->ChooseMenuItem([&](TMenuItem* Root) -> TMenuItem* {
    for (int i = 0; i < Root->Count(); ++i)
      if (!Root->Items(i)->Name().empty()) enabled[Root->Items(i)->Name()] = Root->Items(i)->Enabled();
    for (int i = 0; i < Root->Count(); ++i)
      if (Root->Items(i)->Name() == "EditCut") return Root->Items(i);
    return nullptr;
  });
  B::RightClick(this->Edit);
  EXPECT_EQ(this->Edit->Text(), G(u8"文"));
  EXPECT_EQ(GetClipboardText(), G(u8"中"));
  EXPECT_TRUE(enabled["EditCut"]);
  EXPECT_TRUE(enabled["EditCopy"]);
  EXPECT_TRUE(enabled["EditSelectAll"]);
  EXPECT_EQ(this->Edit->Seen, std::vector<UINT>{WM_CUT});
  this->Runner->ChooseMenuItem("EditUndo");
  B::RightClick(this->Edit);
  EXPECT_EQ(this->Edit->Text(), G(u8"中文"));
  // A handler of OnContextPopup or a PopupMenu of its own replaces the menu.
  this->Edit->OnContextPopup = [](TObject*, TPoint, bool& Handled) { Handled = true; };
  size_t menus = this->Runner->CallsOf("menu").size();
  B::RightClick(this->Edit);
  EXPECT_EQ(this->Runner->CallsOf("menu").size(), menus);
}

REGISTER_TYPED_TEST_SUITE_P(EditCases, TypedKeysAndInputMethodTextBecomeGbkBytesAtByteOffsets,
                            SelectionRoundTripsInBytesAndNeverSplitsACharacter,
                            ASubclassRefusingTheClipboardMessagesStopsEveryWayIn,
                            MaxLengthStopsAtTheByteLimitWithoutSplittingACharacter, KeyHandlersThatClearAKeyStopIt,
                            ReadOnlyPasswordAndUndo, TheContextMenuSendsTheSameMessages);
