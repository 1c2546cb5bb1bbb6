// The combo box's dropped list through the Qt backend: a frameless top-level
// window placed under the combo box, clicked through Qt, closed by a click
// elsewhere on the form.
#include <QApplication>
#include <QMouseEvent>

#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"
#include "platform/stdctrls/combobox.h"
#include "tests/platform/controls/fixtures.h"

using namespace qtbackend;

namespace {

class ComboQtTest : public ControlsTest {
protected:
  void SetUp() override {
    InstallQtBackend();
    ControlsTest::SetUp();
  }
  static TQtPeer* PeerOf(HWND Wnd) { return dynamic_cast<TQtPeer*>(WindowPeer(Wnd)); }
  static void Pump() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
  static void Click(QWidget* W, QPoint P) {
    for (auto [type, buttons] : {std::pair{QEvent::MouseButtonPress, Qt::MouseButtons(Qt::LeftButton)},
                                 std::pair{QEvent::MouseButtonRelease, Qt::MouseButtons(Qt::NoButton)}}) {
      QMouseEvent e(type, QPointF(P), QPointF(W->mapToGlobal(P)), Qt::LeftButton, buttons, Qt::NoModifier);
      QApplication::sendEvent(W, &e);
    }
  }
};

}  // namespace

TEST_F(ComboQtTest, TheDroppedListIsAWindowUnderTheComboBoxThatQtClicksReach) {
  TForm* form = MakeForm();
  auto* c = new TComboBox(form);
  c->SetStyle(csDropDownList);
  c->SetBounds(20, 20, 120, 21);
  c->SetParent(form);
  for (const char* s : {"9600", "19200", "38400"}) c->Items()->Add(s);
  c->SetItemIndex(0);
  form->Show();
  Pump();

  Click(PeerOf(c->Handle())->Client, {40, 10});
  Pump();
  ASSERT_TRUE(c->DroppedDown());
  TQtPeer* list = PeerOf(c->ListHandle());
  ASSERT_NE(list, nullptr);
  QWidget* outer = list->Frame ? static_cast<QWidget*>(list->Frame) : list->Client.data();
  EXPECT_TRUE(outer->isVisible());
  EXPECT_TRUE(outer->windowFlags() & Qt::FramelessWindowHint);
  TRect cr;
  GetWindowRect(c->Handle(), &cr);
  EXPECT_EQ(outer->pos(), QPoint(cr.Left, cr.Bottom));

  // A click on the second row through Qt picks it.
  TRect row = c->ListControl()->ItemRect(1);
  Click(list->Client, {row.Left + 10 + 1, row.Top + 1 + row.Height() / 2});
  Pump();
  EXPECT_FALSE(c->DroppedDown());
  EXPECT_EQ(c->Text(), "19200");
  EXPECT_FALSE(outer->isVisible());

  // Dropped again, a click on the form elsewhere closes it and keeps the choice.
  Click(PeerOf(c->Handle())->Client, {40, 10});
  Pump();
  ASSERT_TRUE(c->DroppedDown());
  Click(PeerOf(form->Handle())->Client, {250, 150});
  Pump();
  EXPECT_FALSE(c->DroppedDown());
  EXPECT_EQ(c->ItemIndex(), 1);
}
