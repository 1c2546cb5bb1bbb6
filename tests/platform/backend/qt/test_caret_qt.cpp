// HideCaret and ShowCaret over the Qt edit peers: the native editor stops drawing
// its text cursor while hidden and draws it again after the matching ShowCaret.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>

#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"
#include "platform/stdctrls/edit.h"
#include "platform/stdctrls/memo.h"
#include "tests/platform/controls/fixtures.h"

using namespace qtbackend;

namespace {

class QtCaretTest : public ControlsTest {
protected:
  void SetUp() override {
    InstallQtBackend();
    ControlsTest::SetUp();
  }
  static QWidget* ClientOf(TWinControl* C) { return dynamic_cast<TQtPeer*>(WindowPeer(C->Handle()))->Client; }
};

TEST_F(QtCaretTest, HiddenCaretsNestAndComeBack) {
  TForm* form = MakeForm();
  auto* edit = new TEdit(form);
  edit->SetBounds(10, 10, 150, 25);
  edit->SetParent(form);
  auto* memo = new TMemo(form);
  memo->SetBounds(10, 50, 150, 60);
  memo->SetParent(form);
  form->Show();
  auto* line = qobject_cast<QLineEdit*>(ClientOf(edit));
  ASSERT_NE(line, nullptr);
  auto width = [&] { return line->style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, line); };
  const int normal = width();
  EXPECT_GT(normal, 0);
  EXPECT_TRUE(HideCaret(edit->Handle()));
  EXPECT_TRUE(HideCaret(edit->Handle()));
  EXPECT_EQ(width(), 0);
  EXPECT_TRUE(ShowCaret(edit->Handle()));
  EXPECT_EQ(width(), 0) << "one HideCaret is still pending";
  EXPECT_TRUE(ShowCaret(edit->Handle()));
  EXPECT_EQ(width(), normal);
  EXPECT_FALSE(ShowCaret(edit->Handle())) << "nothing left to show";
  auto* plain = qobject_cast<QPlainTextEdit*>(ClientOf(memo));
  ASSERT_NE(plain, nullptr);
  HideCaret(memo->Handle());
  EXPECT_EQ(plain->cursorWidth(), 0);
  ShowCaret(memo->Handle());
  EXPECT_EQ(plain->cursorWidth(), 1);
}

}  // namespace
