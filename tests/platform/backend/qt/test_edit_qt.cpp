// The edit over the Qt backend's native editors: the shared edit cases with real Qt
// key, input-method and mouse events, and what only the native peer does (its
// frame, colours, composing text, changes made by the widget itself).
#include <QAbstractScrollArea>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"
#include "tests/platform/stdctrls/edit_cases.h"
#include "tests/platform/stdctrls/memo_cases.h"

using namespace qtbackend;

namespace {

QWidget* NativeOf(TWinControl* C) { return dynamic_cast<TQtPeer*>(WindowPeer(C->Handle()))->Client; }

void SendKey(QWidget* W, int Key, Qt::KeyboardModifiers Mods, const QString& Text) {
  QKeyEvent press(QEvent::KeyPress, Key, Mods, Text);
  QApplication::sendEvent(W, &press);
  QKeyEvent release(QEvent::KeyRelease, Key, Mods, Text);
  QApplication::sendEvent(W, &release);
}

struct TQtEdits {
  static void Install() { InstallQtBackend(); }
  static void Type(TCustomEdit* E, char C) {
    int key = C >= 'a' && C <= 'z' ? Qt::Key_A + (C - 'a') : C >= 'A' && C <= 'Z' ? Qt::Key_A + (C - 'A')
              : C >= '0' && C <= '9' ? Qt::Key_0 + (C - '0') : Qt::Key_Space;
    SendKey(NativeOf(E), key, Qt::NoModifier, QString(QChar(C)));
  }
  static void Commit(TCustomEdit* E, const char8_t* Utf8) {
    QInputMethodEvent e;
    e.setCommitString(QString::fromUtf8(reinterpret_cast<const char*>(Utf8)));
    QApplication::sendEvent(NativeOf(E), &e);
  }
  static void Chord(TCustomEdit* E, WORD VKey, bool Ctrl, bool Shift) {
    Qt::KeyboardModifiers m;
    if (Ctrl) m |= Qt::ControlModifier;
    if (Shift) m |= Qt::ShiftModifier;
    SendKey(NativeOf(E), VirtualKeyToQtKey(VKey), m, {});
  }
  static void RightClick(TCustomEdit* E) {
    QWidget* w = NativeOf(E);
    QPointF at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
  }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, EditCases, ::testing::Types<TQtEdits>);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, MemoCases, ::testing::Types<TQtEdits>);

namespace {

class QtEdit : public EditCases<TQtEdits> {
protected:
  QLineEdit* Line() { return qobject_cast<QLineEdit*>(NativeOf(Edit)); }
  void Pump() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
};

TEST_F(QtEdit, TheNativeLineEditSitsInsideTheFramePaintedByTheLayerInTheControlsColours) {
  ASSERT_TRUE(Line());
  Edit->SetText("Hello");
  Edit->SetColor(clInfoBk);
  Pump();
  QImage img = NativeOf(Form)->grab().toImage();
  auto at = [&](int X, int Y) { return img.pixel(Edit->Left() + X, Edit->Top() + Y) & 0xFFFFFF; };
  auto rgb = [](TColor C) {
    COLORREF c = ColorToRGB(C);
    return static_cast<unsigned>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
  };
  // The sunken client edge: shadow outside, dark shadow inside, on the top-left.
  EXPECT_EQ(at(0, 0), rgb(clBtnShadow));
  EXPECT_EQ(at(1, 1), rgb(cl3DDkShadow));
  EXPECT_EQ(at(Edit->Width() - 1, Edit->Height() - 1), rgb(clBtnHighlight));
  // Inside, the widget paints the control's colour and the text.
  EXPECT_EQ(at(Edit->Width() - 6, 4), rgb(clInfoBk));
  int ink = 0;
  for (int x = 2; x < 60; ++x)
    for (int y = 3; y < Edit->Height() - 3; ++y)
      if (at(x, y) != rgb(clInfoBk)) ++ink;
  EXPECT_GT(ink, 10);
  // The text area is the client area.
  TRect r;
  Edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.Left, 0);
  EXPECT_EQ(r.Right, Edit->ClientWidth());
}

TEST_F(QtEdit, ComposingTextIsShownButIsNotTheTextUntilCommitted) {
  Edit->SetText("ab");
  Edit->SetSelStart(2);
  QInputMethodEvent composing(QString::fromUtf8("zhong"), {});
  QApplication::sendEvent(Line(), &composing);
  EXPECT_EQ(Edit->Text(), "ab");
  EXPECT_EQ(Line()->displayText(), QString("ab"));  // the composition is drawn, not kept
  QInputMethodEvent commit;
  commit.setCommitString(QString::fromUtf8("中"));
  QApplication::sendEvent(Line(), &commit);
  EXPECT_EQ(Edit->Text(), G(u8"ab中"));
  EXPECT_EQ(Edit->SelStart(), 4);
}

TEST_F(QtEdit, ChangesTheWidgetMakesByItselfAreNotifiedAtOnce) {
  Edit->SetText(G(u8"中文"));
  int before = Changes;
  Edit->SetSelStart(0);
  SendKey(Line(), Qt::Key_Delete, Qt::NoModifier, {});
  EXPECT_EQ(Edit->Text(), G(u8"文"));
  EXPECT_EQ(Changes, before + 1);
  EXPECT_TRUE(Edit->Modified());
  // Caret keys move the native caret; the layer reads it back in bytes.
  SendKey(Line(), Qt::Key_End, Qt::NoModifier, {});
  EXPECT_EQ(Edit->SelStart(), 2);
  SendKey(Line(), Qt::Key_Left, Qt::ShiftModifier, {});
  EXPECT_EQ(Edit->SelStart(), 0);
  EXPECT_EQ(Edit->SelLength(), 2);
  // A click with the middle button pastes nothing.
  SetClipboardText("zz");
  QPointF at(20, 8);
  QMouseEvent press(QEvent::MouseButtonPress, at, Line()->mapToGlobal(at), Qt::MiddleButton, Qt::MiddleButton, Qt::NoModifier);
  QApplication::sendEvent(Line(), &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, Line()->mapToGlobal(at), Qt::MiddleButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(Line(), &release);
  EXPECT_EQ(Edit->Text(), G(u8"文"));
}

class QtMemo : public MemoCases<TQtEdits> {};

TEST_F(QtMemo, TheScrollingEditorsSitInsideTheSunkenFramePaintedByTheLayer) {
  Memo->Lines()->Add("Memo line");
  Rich->Lines()->Add("Rich line");
  auto rgb = [](TColor C) {
    COLORREF c = ColorToRGB(C);
    return static_cast<unsigned>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
  };
  for (TScrollStyle bars : {ssNone, ssBoth}) {
    for (TCustomMemo* m : {static_cast<TCustomMemo*>(Memo), static_cast<TCustomMemo*>(Rich)}) {
      SCOPED_TRACE(m->Name() + (bars == ssBoth ? " with scroll bars" : ""));
      m->SetScrollBars(bars);
      for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
      QImage img = NativeOf(Form)->grab().toImage();
      auto at = [&](int X, int Y) { return img.pixel(m->Left() + X, m->Top() + Y) & 0xFFFFFF; };
      int midX = m->Width() / 2, midY = m->Height() / 2;
      EXPECT_EQ(at(0, midY), rgb(clBtnShadow));
      EXPECT_EQ(at(1, midY), rgb(cl3DDkShadow));
      EXPECT_EQ(at(midX, 1), rgb(cl3DDkShadow));
      EXPECT_EQ(at(m->Width() - 1, midY), rgb(clBtnHighlight));
      EXPECT_EQ(at(midX, m->Height() - 1), rgb(clBtnHighlight));
      // The native bar sits inside the frame; the text area is the client area
      // less the bar.
      QScrollBar* bar = qobject_cast<QAbstractScrollArea*>(NativeOf(m))->verticalScrollBar();
      int barWidth = 0;
      if (bars == ssBoth) {
        barWidth = bar->width();
        EXPECT_EQ(bar->mapTo(NativeOf(m), QPoint(bar->width(), 0)).x(), m->Width() - 2);
      }
      TRect r;
      m->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
      EXPECT_EQ(r.Left, 0);
      EXPECT_EQ(r.Top, 0);
      EXPECT_EQ(r.Right, m->ClientWidth() - barWidth);
      EXPECT_EQ(r.Bottom, m->ClientHeight());
    }
  }
}

// An edit with a frame of its own, the way framed edits make theirs: three red
// pixels all round and a button strip on the right, all in the non-client area.
class TOwnFrameEdit : public TEdit {
public:
  TOwnFrameEdit(TComponent* AOwner, TLog*) : TEdit(AOwner) {}
  void Dispatch(TMessage& M) override {
    if (M.Msg == WM_NCCALCSIZE) {
      TRect& r = reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam)->rgrc[0];
      r = {r.Left + 3, r.Top + 3, r.Right - 3 - 16, r.Bottom - 3};
      M.Result = 0;
    } else if (M.Msg == WM_NCPAINT) {
      HDC dc = GetWindowDC(Handle());
      TRect all{0, 0, Width(), Height()};
      HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
      ::FillRect(dc, &all, red);
      DeleteObject(red);
      ReleaseDC(Handle(), dc);
      M.Result = 0;
    } else {
      TEdit::Dispatch(M);
    }
  }
};

TEST_F(QtEdit, ASubclassFrameFromTheNonClientMessagesSurroundsTheNativeTextArea) {
  auto* framed = Child<TOwnFrameEdit>(Form, "Framed", {10, 50, 160, 77});
  framed->SetText("abc");
  Pump();
  QImage img = NativeOf(Form)->grab().toImage();
  auto at = [&](int X, int Y) { return img.pixel(framed->Left() + X, framed->Top() + Y) & 0xFFFFFF; };
  EXPECT_EQ(at(1, 1), 0xFF0000u);
  EXPECT_EQ(at(149, 13), 0xFF0000u);  // the strip
  EXPECT_EQ(at(140, 13), 0xFF0000u);
  EXPECT_NE(at(125, 13), 0xFF0000u);  // the text area
  EXPECT_EQ(framed->ClientWidth(), 150 - 6 - 16);
  TRect r;
  framed->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.Right, framed->ClientWidth());
  // A click on the strip is a non-client click: the native caret stays.
  framed->SetFocus();
  framed->SetSelStart(1);
  QWidget* w = NativeOf(framed);
  QPointF strip(145, 13);
  QMouseEvent press(QEvent::MouseButtonPress, strip, w->mapToGlobal(strip), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, strip, w->mapToGlobal(strip), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &release);
  EXPECT_EQ(framed->SelStart(), 1);
}

// An edit that paints its whole client green on WM_PAINT, and counts the WM_PAINT
// messages that bring a device context of someone else's.
class TGreenEdit : public TEdit {
public:
  TGreenEdit(TComponent* AOwner, TLog*) : TEdit(AOwner) {}
  int PaintsIntoAnotherDC = 0;
  void Dispatch(TMessage& M) override {
    if (M.Msg != WM_PAINT) return TEdit::Dispatch(M);
    if (M.WParam) ++PaintsIntoAnotherDC;
    PAINTSTRUCT ps;
    HDC dc = M.WParam ? reinterpret_cast<HDC>(M.WParam) : BeginPaint(Handle(), &ps);
    TRect all{0, 0, ClientWidth(), ClientHeight()};
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    ::FillRect(dc, &all, green);
    DeleteObject(green);
    if (!M.WParam) EndPaint(Handle(), &ps);
    M.Result = 0;
  }
};

// Whether the native widget's client shows the control's own picture is the
// control's word (csOwnClientPaint): Qt's painting never sends the control a
// WM_PAINT to find out, which would run its painting (and its user's handlers) at
// a moment of Qt's choosing.
TEST_F(QtEdit, AControlPaintsTheNativeClientOnlyWhenItsStyleSaysSo) {
  for (bool own : {false, true}) {
    SCOPED_TRACE(own ? "csOwnClientPaint" : "no csOwnClientPaint");
    auto* e = Child<TGreenEdit>(Form, own ? "Own" : "Native", {10, 50, 160, 75});
    if (own) e->SetControlStyle(e->ControlStyle() << csOwnClientPaint);
    e->SetText("abc");
    Pump();
    QImage img = NativeOf(Form)->grab().toImage();
    EXPECT_EQ(e->PaintsIntoAnotherDC, 0);  // Qt's painting asked nothing of the control
    const QPoint mid(e->Left() + e->Width() / 2, e->Top() + e->Height() / 2);
    EXPECT_EQ(img.pixel(mid) & 0xFFFFFF, own ? 0x00FF00u : 0xFFFFFFu);
    delete e;
  }
}

}  // namespace

namespace {

// Read right to left, the native line shows its text in that order: "Text!" comes
// out as "!Text" does left to right (the neutral "!" ends the line on the left).
TEST_F(QtEdit, TheNativeLineReadRightToLeftShowsItsTextInThatOrder) {
  auto picture = [&](const std::string& Text, TBiDiMode Mode) {
    Edit->SetBiDiMode(Mode);
    Edit->SetText(Text);
    Pump();
    QLineEdit* line = Line();
    EXPECT_TRUE(line);
    if (!line) return QImage();
    line->clearFocus();
    line->setCursorPosition(0);
    Pump();
    return line->grab().toImage();
  };
  const QImage reversed = picture("Text!", bdRightToLeftReadingOnly);
  const QImage expected = picture("!Text", bdLeftToRight);
  const QImage unread = picture("Text!", bdLeftToRight);
  EXPECT_EQ(reversed, expected);
  EXPECT_NE(reversed, unread);
}

}  // namespace
