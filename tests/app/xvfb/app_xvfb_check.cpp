// The main window on a real display, driven through Qt's own mouse events and dialogs:
// a typing error on the communication page followed by a switch to the variable page
// and back keeps every typed value, and File > New shows station 1. Photographs the
// window after each step.
//   app_xvfb_check <folder>     exit 0 when both hold; typo.png and new.png in folder
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"
#include "platform/stdctrls/comctrls_pages.h"
#include "platform/stdctrls/edit.h"
#include "platform/core/gbk.h"
#include "platform/win32/clock.h"
#include "tests/app/xvfb/xvfb_app.h"

namespace {

// A click on a page tab, delivered by Qt to the widget under it, as the user's would be.
void ClickTab(int Index) {
  TPageControl* pages = FormMain->PageControl1;
  TRect r = pages->TabRect(Index);
  TPoint p = pages->ClientToScreen(TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  QPoint global(p.X, p.Y);
  QWidget* target = QApplication::widgetAt(global);
  if (!target) {
    std::fprintf(stderr, "nothing on screen at %d,%d\n", p.X, p.Y);
    return;
  }
  QPoint local = target->mapFromGlobal(global);
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent e(type, QPointF(local), QPointF(global), Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
  }
  Settle(200);
}

bool Expect(const char* What, const std::string& Got, const std::string& Want) {
  bool ok = Got == Want;
  std::printf("%s: \"%s\" %s\n", What, GbkToUtf8(Got).c_str(), ok ? "ok" : ("expected \"" + GbkToUtf8(Want) + "\"").c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path out = OutputFolder(argc, argv);
  if (out.empty()) return 2;
  InstallQtBackend();
  StartForms();
  Settle(800);

  // Whatever modal window comes up is answered as the user would: the error box is
  // read and closed, the file dialog gets a new project's name.
  std::string shown;
  const QString newProject = QString::fromStdString((out / "new.cloud").string());
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      shown = FromQt(box->text());
      box->buttons().front()->click();
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) name->setText(newProject);
      static_cast<QDialog*>(dialog)->accept();
    }
  });
  user.start(50);

  bool ok = true;
  FormMain->EditPLCAddr->SetText("x");
  FormMain->EditAddr->SetText("10.1.2.3");
  FormMain->EditDeviceID->SetText("dev");
  ClickTab(0);
  ok &= Expect("page after the first click", std::to_string(FormMain->PageControl1->ActivePageIndex()), "0");
  ok &= !shown.empty();
  std::printf("error shown: %s\n", GbkToUtf8(shown).c_str());
  ClickTab(1);
  ok &= Expect("page after the second click", std::to_string(FormMain->PageControl1->ActivePageIndex()), "1");
  ok &= Expect("station", FormMain->EditPLCAddr->Text(), "x");
  ok &= Expect("address", FormMain->EditAddr->Text(), "10.1.2.3");
  ok &= Expect("device ID", FormMain->EditDeviceID->Text(), "dev");
  SaveWindowImage(FormMain, (out / "typo.png").string(), true);

  FormMain->EditPLCAddr->SetText("3");
  FormMain->NNewClick(nullptr);
  Settle(300);
  ok &= Expect("station after New", FormMain->EditPLCAddr->Text(), "1");
  ok &= Expect("address after New", FormMain->EditAddr->Text(), "10.1.2.3");
  SaveWindowImage(FormMain, (out / "new.png").string(), true);
  user.stop();
  DoneApplication();
  return ok ? 0 : 1;
}
