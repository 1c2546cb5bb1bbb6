// The framed memo, rich edit and hot-key edit: caret line and column, the wheel,
// state colours, the rich-text content and their form streams with the retired
// framing properties.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "controls/editlist/memos.h"
#include "tests/controls/editlist/edit_fixture.h"

namespace {

struct Memos : EditTest {
  void SetUp() override {
    EditTest::SetUp();
    M = Place<TQvMemo>(10, 10, 150, 80);
    R = Place<TQvRichEdit>(10, 100, 150, 80);
    Show();
  }
  TQvMemo* M = nullptr;
  TQvRichEdit* R = nullptr;
};

TEST_F(Memos, LineAndColumnFromOne) {
  M->Lines()->SetText("first\r\nsecond line\r\nthird");
  M->SetSelStart(0);
  EXPECT_EQ(M->GetLine(), 1);
  EXPECT_EQ(M->GetColumn(), 1);
  int line = 0, col = 0;
  M->OnLineColChange = [&](TObject*, int L, int C) { line = L, col = C; };
  M->JumpTo(2, 4);
  EXPECT_EQ(line, 2);
  EXPECT_EQ(col, 4);
  EXPECT_EQ(M->GetColumn(), 4);
  M->SetColumn(40);  // beyond the line: the caret stays
  EXPECT_EQ(M->GetColumn(), 4);
  M->SetColumn(12);  // just after the last character
  EXPECT_EQ(M->GetColumn(), 12);
}

// Line and column follow the caret, the moving end of the selection, whichever
// way the selection was made.
TEST_F(Memos, LineAndColumnAreTheCaretsWhicheverWayTheSelectionRuns) {
  struct Case {
    const char* What;
    int Anchor, Caret;
    int Line, Column;
  } cases[] = {
      {"no selection", 9, 9, 2, 3},
      {"forwards", 2, 15, 2, 9},
      {"backwards", 15, 2, 1, 3},
      {"backwards from the end", 25, 7, 2, 1},
  };
  M->Lines()->SetText("first\r\nsecond line\r\nthird");  // lines start at 0, 7 and 20
  for (const Case& c : cases) {
    M->Perform(EM_SETSEL, static_cast<WPARAM>(c.Anchor), c.Caret);
    EXPECT_EQ(M->GetLine(), c.Line) << c.What;
    EXPECT_EQ(M->GetColumn(), c.Column) << c.What;
  }
  R->Lines()->SetText("first\r\nsecond line\r\nthird");
  R->Perform(EM_SETSEL, 15, 2);
  EXPECT_EQ(R->GetLine(), 1);
  EXPECT_EQ(R->GetColumn(), 3);
}

TEST_F(Memos, WheelScrollsThreeLinesANotch) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "line " + std::to_string(i) + "\r\n";
  M->Lines()->SetText(text);
  M->Perform(EM_LINESCROLL, 0, 10);
  int before = static_cast<int>(M->Perform(EM_GETFIRSTVISIBLELINE, 0, 0));
  TPoint c = M->ClientToScreen({20, 20});
  InputMouseWheel(Form->Handle(), 120, Form->ScreenToClient(c), 0);
  EXPECT_EQ(M->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), before - 3);
}

TEST_F(Memos, StateColours) {
  R->SetFocus();
  M->SetReadOnly(true);
  EXPECT_EQ(M->Color(), clInfoBk);
  M->SetFocusColor(clYellow);
  M->SetReadOnly(false);
  EXPECT_EQ(M->Color(), clWindow);
  M->SetFocus();
  EXPECT_EQ(M->Color(), clYellow);
  R->SetDisabledColor(clSilver);
  R->SetEnabled(false);
  EXPECT_EQ(R->Color(), clSilver);
  R->SetEnabled(true);
  EXPECT_EQ(R->Color(), clWindow);
}

TEST_F(Memos, RichTextOfTwoLines) {
  R->Lines()->SetText("\xD6\xD0\xCE\xC4\r\nabc");  // 中文 in GBK
  std::string rtf = R->GetRtfData();
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg936", 0), 0u) << rtf;
  EXPECT_NE(rtf.find("\\'d6\\'d0\\'ce\\'c4\\par"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("abc\\par"), std::string::npos) << rtf;
  R->Lines()->SetText("a{b}\\c");
  EXPECT_NE(R->GetRtfData().find("a\\{b\\}\\\\c\\par"), std::string::npos);
}

TEST_F(Memos, RichTextOpensInAReader) {
  if (std::system("command -v unrtf >/dev/null 2>&1") != 0) GTEST_SKIP() << "no rich-text reader installed";
  R->Lines()->SetText("\xD6\xD0\xCE\xC4\r\nabc");
  std::string path = testing::TempDir() + "/richedit.rtf";
  std::ofstream(path, std::ios::binary) << R->GetRtfData();
  std::string cmd = "unrtf --html " + path + " 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[256];
  while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
  pclose(p);
  EXPECT_NE(out.find("&#20013;&#25991;"), std::string::npos) << out;  // U+4E2D U+6587
  EXPECT_NE(out.find("abc"), std::string::npos) << out;
}

TEST_F(Memos, StreamsWithRetiredFramingProperties) {
  for (TWinControl* c : std::initializer_list<TWinControl*>{M, R, Place<TQvHotKeyEdit>(200, 10, 80, 21)}) {
    SCOPED_TRACE(c->ClassInfo().Name);
    std::string cls = c->ClassInfo().Name;
    std::unique_ptr<TComponent> x(static_cast<TComponent*>(FindClass(cls).Create(nullptr)));
    ReadInto("object X: " + cls + "\n  FrameFlat = True\n  FrameFocusStyle = fsFlatBold\n  FrameFlatStyle = fsRaised\n"
             "  FocusColor = clYellow\nend\n",
             x.get());
    std::string text = TextOf(x.get());
    EXPECT_NE(text.find("FrameHotTrack = True"), std::string::npos) << text;
    EXPECT_NE(text.find("FrameStyle = fsStatus"), std::string::npos) << text;
    EXPECT_EQ(text.find("FrameFlat"), std::string::npos) << text;
    EXPECT_NE(text.find("FocusColor = clYellow"), std::string::npos) << text;
  }
  auto* h = Place<TQvHotKeyEdit>(200, 40, 80, 30);
  EXPECT_EQ(TQvHotKeyEdit(nullptr).Height(), 21);
  (void)h;
}

// The hot-key edit writes no framing property its frame controller supplies.
TEST_F(Memos, TheHotKeyEditLeavesTheControllersPropertiesOutOfItsStream) {
  auto* fc = new TQvFrameController(Form);
  fc->SetName("FC");
  auto* h = Place<TQvHotKeyEdit>(200, 10, 80, 21);
  h->SetName("H");
  h->SetFrameStyle(fsRaised);
  h->SetFrameColor(clRed);
  h->SetColor(clYellow);
  auto has = [&](const char* Line) { return TextOf(h).find(Line) != std::string::npos; };
  EXPECT_TRUE(has("  FrameStyle = fsRaised\n"));
  h->SetFrameControllerNotifications({fcpFrameStyle});
  h->SetFrameController(fc);
  EXPECT_FALSE(has("  FrameStyle ="));
  EXPECT_TRUE(has("  FrameColor = clRed\n"));
  EXPECT_TRUE(has("  Color = clYellow\n"));
  EXPECT_TRUE(has("  FrameController = FC\n"));
  h->SetFrameControllerNotifications(TQvFrameControllerNotifications::FromInt(AllFrameControllerNotifications));
  for (const char* owned : {"  FrameStyle =", "  FrameColor =", "  Color =", "  FrameVisible =", "  FrameSides ="})
    EXPECT_FALSE(has(owned)) << owned;
  delete fc;
  EXPECT_TRUE(has("  FrameColor = clRed\n"));
}

// Showing the frame turns the 3-D look on, as in the other framed controls.
TEST_F(Memos, ShowingTheFrameSetsCtl3D) {
  for (TWinControl* c : std::initializer_list<TWinControl*>{M, R, Place<TQvHotKeyEdit>(200, 10, 80, 21)}) {
    SCOPED_TRACE(c->ClassInfo().Name);
    c->SetCtl3D(false);
    if (auto* m = dynamic_cast<TQvMemo*>(c)) m->SetFrameVisible(true);
    if (auto* r = dynamic_cast<TQvRichEdit*>(c)) r->SetFrameVisible(true);
    if (auto* k = dynamic_cast<TQvHotKeyEdit*>(c)) k->SetFrameVisible(true);
    EXPECT_TRUE(c->Ctl3D());
  }
}

}  // namespace
