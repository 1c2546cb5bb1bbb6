// The menu bar on a real display while a download waits for the terminal: a user
// clicks 文件 and, if a menu opens, 打开 another project. Nothing may open, and the
// terminal (a pseudo-terminal answering "OK") must receive the first project's
// commands alone, in order; afterwards the menu opens again.
//   app_menu_xvfb_check <folder>   exit 0 when all holds; during.png and after.png there
// The open menu shows the system's menu colour. Then the terminal hangs up: the port
// is closed and the user told (message.png, the last message box).
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/ProjectFile.h"
#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"
#include "platform/controls/menus.h"
#include "platform/core/gbk.h"
#include "platform/stdctrls/combobox.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "tests/app/pty_peer.h"
#include "tests/app/xvfb/xvfb_app.h"
#include "serial/kxcommdevice.h"

namespace {

// A project of twelve register variables named Prefix0 .. Prefix11 at addresses 0..11.
std::string WriteProject(const std::filesystem::path& Path, const std::string& Prefix) {
  TProjectData d = CaptureProject();
  for (int i = 0; i < 12; ++i) {
    TVarRecord r{};
    r.Address = static_cast<uint16_t>(i);
    SetVarTypeCode(r, 2);
    SetFieldText(r.Name, Prefix + std::to_string(i));
    d.Vars.push_back(r);
  }
  std::string path = Utf8ToGbk(Path.string());
  if (WriteProjectFile(path, d) != TProjectResult::prOk) std::fprintf(stderr, "cannot write %s\n", Path.c_str());
  return path;
}

QMenuBar* MainMenuBar() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* bar = w->findChild<QMenuBar*>(); bar && bar->isVisible()) return bar;
  return nullptr;
}

// A click on the menu bar's first entry (文件), as Qt delivers the user's.
void ClickFileMenu() {
  QMenuBar* bar = MainMenuBar();
  if (!bar || bar->actions().isEmpty()) {
    std::fprintf(stderr, "no menu bar\n");
    return;
  }
  QPoint local = bar->actionGeometry(bar->actions().front()).center();
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent e(type, QPointF(local), QPointF(bar->mapToGlobal(local)), Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &e);
  }
}

bool Expect(const char* What, bool Ok) {
  std::printf("%s: %s\n", What, Ok ? "ok" : "FAILED");
  return Ok;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path out = OutputFolder(argc, argv);
  if (out.empty()) return 2;
  InstallQtBackend();
  StartForms();
  Settle(800);
  TPtyPeer peer("OK\r\n");
  if (peer.Path.empty()) return 2;

  const std::string first = WriteProject(out / "first.cloud", "A");
  const std::string second = WriteProject(out / "second.cloud", "B");

  // The user: message boxes are read and closed, a file dialog gets the project named.
  std::string shown;
  QString answer = QString::fromStdString(GbkToUtf8(first));
  int dialogs = 0;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      shown = FromQt(box->text());
      box->grab().save(QString::fromStdString((out / "message.png").string()));
      box->buttons().front()->click();
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      ++dialogs;
      if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) name->setText(answer);
      static_cast<QDialog*>(dialog)->accept();
    }
  });
  user.start(50);

  FormMain->NOpenClick(nullptr);
  Settle(200);
  bool ok = Expect("first project open", VarCount == 12 && dialogs == 1);
  dialogs = 0;
  answer = QString::fromStdString(GbkToUtf8(second));
  FormMain->ComboBoxDownCom->SetItemIndex(-1);
  FormMain->ComboBoxDownCom->SetText(peer.Path);
  FormMain->ButtonOpenClick(nullptr);
  ok &= Expect("port open", FormMain->KxCommDevice1->Active());

  // Mid-download: the click on 文件, then, if a menu opened, 打开 in it.
  bool opened = false;
  QTimer::singleShot(700, [] { ClickFileMenu(); });
  QTimer::singleShot(1000, [&] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      opened = true;
      for (QAction* a : menu->actions())
        if (a->text() == QStringLiteral("打开")) a->trigger();
      menu->close();
    }
    SaveWindowImage(FormMain, (out / "during.png").string(), true);
  });
  Click(FormMain->ButtonDownload);
  Settle(500);
  // This file's literals are UTF-8; the tool's texts are GBK.
  ok &= Expect("download ended with success", GbkToUtf8(shown) == "下载成功！");
  ok &= Expect("no menu opened during the download", !opened);
  ok &= Expect("no file dialog during the download", dialogs == 0);
  ok &= Expect("the table is still the first project's", VarCount == 12 && FieldText(VarTable[0].Name) == "A0");

  // The terminal got the first project's variables, in order, and none of the other's.
  std::string expected;
  for (int i = 0; i < 12; ++i) expected += "AT+SETVAR@" + std::to_string(i + 1) + ",A" + std::to_string(i) + ",0\r\n";
  const std::string received = peer.Received();
  size_t at = received.find("AT+SETVAR@");
  ok &= Expect("the terminal received one project's variables in order",
               at != std::string::npos && received.substr(at) == expected);
  if (at == std::string::npos || received.substr(at) != expected) std::printf("received:\n%s\n", received.c_str());

  // Afterwards the menu opens again.
  ClickFileMenu();
  Settle(300);
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ok &= Expect("the menu opens after the download", menu != nullptr);
  if (menu && menu->actions().size() > 1) {
    // Beside an item's text the menu shows the system's menu colour (212,208,200),
    // as the menu bar does, not the white of an edit field.
    QImage shot = menu->grab().toImage();
    QRect item = menu->actionGeometry(menu->actions()[1]);
    QColor c = shot.pixelColor(item.right() - 4, item.center().y());
    ok &= Expect("the popup menu has the menu colour", c == QColor(212, 208, 200));
    if (c != QColor(212, 208, 200)) std::printf("popup colour %d,%d,%d\n", c.red(), c.green(), c.blue());
  }
  SaveWindowImage(FormMain, (out / "after.png").string(), true);
  if (menu) menu->close();
  Settle(100);

  // The terminal goes away (an adapter pulled out): the port is closed and the user
  // told, without touching anything (a generous bound for the report to arrive).
  shown.clear();
  peer.HangUp();
  for (int i = 0; i < 100 && shown.empty(); ++i) Settle(50);
  ok &= Expect("a vanished port is reported", GbkToUtf8(shown).rfind("串口“" + peer.Path + "”已断开", 0) == 0);
  ok &= Expect("a vanished port is closed", !FormMain->KxCommDevice1->Active() &&
                                                 GbkToUtf8(FormMain->ButtonOpen->Caption()) == "打开串口");
  user.stop();
  DoneApplication();
  return ok ? 0 : 1;
}
