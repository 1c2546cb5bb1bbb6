// SC_SIZE through the Qt backend: where the platform has no resize of its own (the
// offscreen platform), the layer sizes the form by following Qt's pointer events.
#include <QApplication>
#include <QMouseEvent>

#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"
#include "tests/platform/controls/fixtures.h"

using namespace qtbackend;

namespace {

class QtSizing : public ControlsTest {
protected:
  void SetUp() override {
    InstallQtBackend();
    ControlsTest::SetUp();
  }
  void Mouse(TCustomForm* Form, QEvent::Type Type, QPoint P, Qt::MouseButton Button, Qt::MouseButtons Buttons) {
    QWidget* client = dynamic_cast<TQtPeer*>(WindowPeer(Form->Handle()))->Client;
    QMouseEvent e(Type, QPointF(P), QPointF(client->mapToGlobal(P)), Button, Buttons, Qt::NoModifier);
    QApplication::sendEvent(client, &e);
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
};

TEST_F(QtSizing, ASizeCommandWithoutASystemResizeFollowsThePointer) {
  TForm* form = MakeForm();
  form->SetBorderStyle(bsSizeable);
  form->Show();
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  int w = form->Width(), h = form->Height();
  Mouse(form, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
  SendMessage(form->Handle(), WM_SYSCOMMAND, SC_SIZE + WMSZ_BOTTOMRIGHT, 0);
  Mouse(form, QEvent::MouseMove, {130, 110}, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(form->Width(), w + 30);
  EXPECT_EQ(form->Height(), h + 10);
  Mouse(form, QEvent::MouseMove, {135, 115}, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(form->Width(), w + 35);
  EXPECT_EQ(form->Height(), h + 15);
  Mouse(form, QEvent::MouseButtonRelease, {140, 120}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(form->Width(), w + 40);
  EXPECT_EQ(form->Height(), h + 20);
  Mouse(form, QEvent::MouseMove, {200, 200}, Qt::NoButton, Qt::NoButton);  // the sizing has ended
  EXPECT_EQ(form->Width(), w + 40);
}

}  // namespace
