// The main window on a real display (Xvfb) around its modal windows, driven through
// Qt's own events: after the new-variable dialog is cancelled, and after a message
// box, the focus is back on the button that had it and typed keys do not reach the
// port combo; while a message box is up the native edits and the menu bar keep
// their text colour; Qt's palette (message box, native edit selection) is the
// layer's system colours.
// Photographs the window with a message box up.
//   app_focus_xvfb_check <folder>     exit 0 when all hold; box.png in folder
#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"
#include "platform/stdctrls/combobox.h"
#include "platform/stdctrls/comctrls_pages.h"
#include "platform/stdctrls/edit.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "tests/app/xvfb/xvfb_app.h"

namespace {

int g_Failures = 0;

void Check(const char* What, bool Ok, const std::string& Detail = {}) {
  std::printf("%s: %s%s%s\n", What, Ok ? "ok" : "FAILED", Detail.empty() ? "" : " - ", Detail.c_str());
  if (!Ok) ++g_Failures;
}

// Letters typed on the keyboard, to whichever widget Qt gives them.
void Type(const QString& Text) {
  for (QChar c : Text) {
    QWidget* target = QApplication::focusWidget();
    if (!target) target = QApplication::activeWindow();
    if (!target) {
      std::fprintf(stderr, "no window takes the keys\n");
      return;
    }
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent e(type, Qt::Key_A + (c.toUpper().unicode() - 'A'), Qt::NoModifier, QString(c));
      QApplication::sendEvent(target, &e);
    }
    Settle(30);
  }
}

// What a window manager does once a dialog is gone: the main window is active again.
void ActivateMain() {
  auto* peer = dynamic_cast<qtbackend::TQtPeer*>(WindowPeer(FormMain->Handle()));
  if (peer && peer->Frame && QApplication::activeWindow() != peer->Frame) peer->Frame->activateWindow();
  Settle(300);
}

std::string FocusName() {
  TWinControl* c = FindControl(GetFocus());
  return c ? c->Name() + (c->Name().empty() && c->Parent() ? " in " + c->Parent()->Name() : "") : "none";
}

QLineEdit* LineOf(TWinControl* Edit) {
  auto* peer = dynamic_cast<qtbackend::TQtNativePeer*>(WindowPeer(Edit->Handle()));
  return peer ? qobject_cast<QLineEdit*>(peer->Widget()) : nullptr;
}

// The darkest grey level among the widget's pixels: the text's ink.
int Ink(QWidget* W) {
  QImage img = W->grab().toImage();
  int darkest = 255;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) darkest = std::min(darkest, qGray(img.pixel(x, y)));
  return darkest;
}

int CountColor(QWidget* W, QRgb Color) {
  QImage img = W->grab().toImage().convertToFormat(QImage::Format_RGB32);
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += (img.pixel(x, y) & 0xFFFFFF) == (Color & 0xFFFFFF);
  return n;
}

// The classic scheme's colours, as the forms show them.
const QRgb kHighlight = qRgb(10, 36, 106);
const QRgb kButtonFace = qRgb(212, 208, 200);

// Runs While once a message box is up, then presses its first button.
void AnswerBoxes(QTimer& Timer, const std::function<void(QMessageBox*)>& While) {
  QObject::disconnect(&Timer, nullptr, nullptr, nullptr);
  QObject::connect(&Timer, &QTimer::timeout, [While] {
    static bool busy = false;
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || busy || !box->isVisible()) return;
    busy = true;
    Settle(200);
    While(box);
    box->buttons().front()->click();
    busy = false;
  });
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path out = OutputFolder(argc, argv);
  if (out.empty()) return 2;
  InstallQtBackend();
  StartForms();
  Settle(800);
  FormMain->ComboBoxDownCom->SetText("COM7");
  FormMain->PageControl1->SetActivePageIndex(0);
  Settle(200);

  // The new-variable dialog, opened with a click and cancelled with its button.
  QTimer user;
  user.start(50);
  QObject::connect(&user, &QTimer::timeout, [] {
    static bool busy = false;
    if (busy || !FormNew->Visible()) return;
    busy = true;
    Settle(200);
    Click(FormNew->ButtonCancel);
    busy = false;
  });
  Click(FormMain->ButtonNew);
  Settle(500);
  ActivateMain();
  Check("focus after the cancelled dialog", FormMain->ButtonNew->Focused(), FocusName());
  Type("ab");
  Check("port combo after typing", FormMain->ComboBoxDownCom->Text() == "COM7", FormMain->ComboBoxDownCom->Text());

  // A message box over the variable page.
  AnswerBoxes(user, [](QMessageBox* Box) {
    Check("message box face colour", Box->palette().color(QPalette::Window) == QColor(kButtonFace),
          Box->palette().color(QPalette::Window).name().toStdString());
  });
  FormMain->ButtonNew->SetFocus();
  QTimer::singleShot(0, [] { ShowMessage("box"); });
  Settle(800);
  ActivateMain();
  Check("focus after the message box", FormMain->ButtonNew->Focused(), FocusName());
  Type("cd");
  Check("port combo after typing", FormMain->ComboBoxDownCom->Text() == "COM7", FormMain->ComboBoxDownCom->Text());

  // The edits of the communication page under a message box.
  FormMain->PageControl1->SetActivePageIndex(1);
  Settle(300);
  QLineEdit* station = LineOf(FormMain->EditPLCAddr);
  if (!station) {
    std::fprintf(stderr, "the station edit has no native line edit\n");
    return 1;
  }
  const int before = Ink(station);
  auto* mainPeer = dynamic_cast<qtbackend::TQtPeer*>(WindowPeer(FormMain->Handle()));
  QWidget* menu = mainPeer ? mainPeer->MenuBar.data() : nullptr;
  const int menuBefore = menu ? Ink(menu) : -1;
  AnswerBoxes(user, [&](QMessageBox*) {
    const int during = Ink(station);
    Check("edit text colour under the box", during == before,
          "darkest " + std::to_string(during) + ", before " + std::to_string(before));
    const int menuDuring = menu ? Ink(menu) : -2;
    Check("menu bar text colour under the box", menuDuring == menuBefore,
          "darkest " + std::to_string(menuDuring) + ", before " + std::to_string(menuBefore));
    SaveWindowImage(FormMain, (out / "box.png").string(), true);
  });
  QTimer::singleShot(0, [] { ShowMessage("box"); });
  Settle(800);

  // A native edit's selection in the layer's highlight colour.
  FormMain->EditPLCAddr->SetText("123456");
  FormMain->EditPLCAddr->SetFocus();
  FormMain->EditPLCAddr->SelectAll();
  Settle(200);
  const int highlight = CountColor(station, kHighlight);
  Check("selection in the highlight colour", highlight > 20, std::to_string(highlight) + " pixels");
  user.stop();
  DoneApplication();
  std::printf("%s\n", g_Failures ? "FAILED" : "all hold");
  return g_Failures ? 1 : 0;
}
