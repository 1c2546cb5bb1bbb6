#pragma once
// Memo and rich-edit cases shared by the windowing backends (see edit_cases.h for
// the backend type B).
#include "platform/stdctrls/memo.h"
#include "tests/platform/stdctrls/edit_cases.h"

// A memo that counts the edit messages its Lines send.
template <class Base>
class TCountingMemo : public Base {
public:
  TCountingMemo(TComponent* AOwner, TLog*) : Base(AOwner) {}
  int Replaced = 0;
  void Dispatch(TMessage& M) override {
    if (M.Msg == EM_REPLACESEL) ++Replaced;
    Base::Dispatch(M);
  }
};

template <class B>
class MemoCases : public ControlsTest {
protected:
  void SetUp() override {
    B::Install();
    ControlsTest::SetUp();
    Form = MakeForm();
    Memo = Child<TCountingMemo<TMemo>>(Form, "Memo1", {10, 10, 200, 100});
    Rich = Child<TCountingMemo<TRichEdit>>(Form, "Rich1", {10, 110, 200, 170});
    Form->Show();
    Memo->SetFocus();
  }
  TForm* Form = nullptr;
  TCountingMemo<TMemo>* Memo = nullptr;
  TCountingMemo<TRichEdit>* Rich = nullptr;
};

TYPED_TEST_SUITE_P(MemoCases);

TYPED_TEST_P(MemoCases, LinesGoThroughTheControlsMessagesInBytes) {
  for (TCustomMemo* m : {static_cast<TCustomMemo*>(this->Memo), static_cast<TCustomMemo*>(this->Rich)}) {
    TStrings* lines = m->Lines();
    lines->Add(G(u8"一"));
    lines->Add("two");
    lines->Add(G(u8"三三"));
    EXPECT_EQ(m->Text(), G(u8"一\r\ntwo\r\n三三\r\n"));
    ASSERT_EQ(lines->Count(), 3);
    EXPECT_EQ(lines->Strings(2), G(u8"三三"));
    EXPECT_EQ(m->Perform(EM_LINEINDEX, 2, 0), 9);
    EXPECT_EQ(m->Perform(EM_LINEFROMCHAR, 8, 0), 1);
    EXPECT_EQ(m->Perform(EM_LINELENGTH, 9, 0), 4);
    EXPECT_EQ(m->Perform(EM_GETLINECOUNT, 0, 0), 4);  // the empty line after the last break
    lines->Insert(1, "x");
    lines->Delete(0);
    lines->SetStrings(1, G(u8"二"));
    EXPECT_EQ(m->Text(), G(u8"x\r\n二\r\n三三\r\n"));
    m->SetText("a\r\nb");  // no break at the end: still two lines
    EXPECT_EQ(lines->Count(), 2);
    lines->Add("c");
    EXPECT_EQ(m->Text(), "a\r\nb\r\nc");
    lines->Clear();
    EXPECT_EQ(lines->Count(), 0);
  }
  EXPECT_GE(this->Memo->Replaced, 5);
  EXPECT_GE(this->Rich->Replaced, 5);
}

TYPED_TEST_P(MemoCases, EnterTypesALineBreakUnlessTheMemoDoesNotWantReturns) {
  using B = TypeParam;
  B::Type(this->Memo, 'a');
  B::Chord(this->Memo, VK_RETURN, false, false);
  B::Commit(this->Memo, u8"中文");
  EXPECT_EQ(this->Memo->Text(), G(u8"a\r\n中文"));
  EXPECT_EQ(this->Memo->CaretPos(), (TPoint{4, 1}));
  EXPECT_EQ(this->Memo->Lines()->Count(), 2);
  this->Memo->SetCaretPos({1, 0});
  EXPECT_EQ(this->Memo->SelStart(), 1);
  this->Memo->SetWantReturns(false);
  B::Chord(this->Memo, VK_RETURN, false, false);
  EXPECT_EQ(this->Memo->Text(), G(u8"a\r\n中文"));
  // The memo takes Enter and arrows as its own keys; Tab only when it wants tabs.
  this->Memo->SetWantReturns(true);
  LRESULT code = this->Memo->Perform(WM_GETDLGCODE, 0, 0);
  EXPECT_TRUE(code & DLGC_WANTALLKEYS);
  EXPECT_FALSE(code & DLGC_WANTTAB);
  this->Memo->SetWantTabs(true);
  EXPECT_TRUE(this->Memo->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);
  // Backspace at a line start takes the whole line break.
  this->Memo->SetSelStart(3);
  B::Chord(this->Memo, VK_BACK, false, false);
  EXPECT_EQ(this->Memo->Text(), G(u8"a中文"));
}

TYPED_TEST_P(MemoCases, ScrollingMovesTheFirstVisibleLine) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "line " + std::to_string(i) + "\r\n";
  this->Memo->SetText(text);
  EXPECT_EQ(this->Memo->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  LRESULT r = 0;
  for (int i = 0; i < 3; ++i) r = this->Memo->Perform(EM_SCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(HIWORD(r), TRUE);
  EXPECT_EQ(static_cast<int16_t>(LOWORD(r)), 1);
  EXPECT_EQ(this->Memo->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), 3);
  this->Memo->Perform(EM_LINESCROLL, 0, 5);
  EXPECT_EQ(this->Memo->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), 8);
  this->Memo->Perform(EM_SCROLL, SB_PAGEUP, 0);
  EXPECT_LT(this->Memo->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), 8);
  this->Memo->Perform(EM_LINESCROLL, 0, -100);
  EXPECT_EQ(this->Memo->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  r = this->Memo->Perform(EM_SCROLL, SB_LINEUP, 0);
  EXPECT_EQ(static_cast<int16_t>(LOWORD(r)), 0);
  // The character at the top-left corner is the first of the first visible line.
  this->Memo->Perform(EM_LINESCROLL, 0, 2);
  LRESULT at = this->Memo->Perform(EM_CHARFROMPOS, 0, MAKELPARAM(0, 2));
  EXPECT_EQ(HIWORD(at), 2);
  EXPECT_EQ(LOWORD(at), this->Memo->Perform(EM_LINEINDEX, 2, 0));
}

TYPED_TEST_P(MemoCases, AReadOnlyRichEditShowsDeviceRepliesAndRefusesTyping) {
  using B = TypeParam;
  this->Rich->SetReadOnly(true);
  this->Rich->SetText(G(u8"+CSQ: 23,99\r\nOK\r\n信号"));
  this->Rich->SetFocus();
  B::Type(this->Rich, 'x');
  B::Commit(this->Rich, u8"中");
  B::Chord(this->Rich, VK_BACK, false, false);
  EXPECT_EQ(this->Rich->Text(), G(u8"+CSQ: 23,99\r\nOK\r\n信号"));
  EXPECT_EQ(this->Rich->Lines()->Count(), 3);
  EXPECT_EQ(this->Rich->Lines()->Strings(2), G(u8"信号"));
  // The selection still moves and can be copied.
  this->Rich->Perform(EM_SETSEL, 17, 21);
  this->Rich->CopyToClipboard();
  EXPECT_EQ(GetClipboardText(), G(u8"信号"));
  int selChanges = 0;
  this->Rich->OnSelectionChange = [&](TObject*) { ++selChanges; };
  this->Rich->Perform(EM_SETSEL, 0, 0);
  EXPECT_GE(selChanges, 1);
}

REGISTER_TYPED_TEST_SUITE_P(MemoCases, LinesGoThroughTheControlsMessagesInBytes,
                            EnterTypesALineBreakUnlessTheMemoDoesNotWantReturns, ScrollingMovesTheFirstVisibleLine,
                            AReadOnlyRichEditShowsDeviceRepliesAndRefusesTyping);
