// The Qt file dialog behind the class library's file dialogs, answered by timers that
// act like the user.
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <filesystem>

#include "platform/backend/qt/qt_backend.h"
#include "platform/stdctrls/dialogs.h"
#include "platform/core/gbk.h"
#include "tests/platform/controls/fixtures.h"

namespace {

class QtFileDialogTest : public ControlsTest {
protected:
  void SetUp() override {
    InstallQtBackend();
    ControlsTest::SetUp();
    Runner.reset();  // the real runner over Qt
  }
};

}  // namespace

TEST_F(QtFileDialogTest, ANameTheSystemsTextCannotHoldIsRefusedWithAChineseMessage) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "dtu-filedialog";
  std::filesystem::create_directories(dir);
  // This file has no GBK literals: the texts here are UTF-8.
  const QString chosen = QStringLiteral("项目😀.cloud");
  QString text, title;
  bool answered = false;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* dialog = qobject_cast<QFileDialog*>(modal); dialog && !answered) {
      // Again on the next tick while the dialog is still busy reading its folder.
      if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) name->setText(chosen);
      static_cast<QDialog*>(dialog)->accept();  // as the Save button does
    } else if (auto* box = qobject_cast<QMessageBox*>(modal); box && !answered) {
      answered = true;
      text = box->text();
      title = box->windowTitle();
      box->buttons().front()->click();
    } else if (auto* again = qobject_cast<QFileDialog*>(modal)) {
      again->reject();  // back in the dialog after the message: the user gives up
    }
  });
  user.start(20);
  TSaveDialog save(nullptr);
  save.SetInitialDir(Utf8ToGbk(dir.string()));
  EXPECT_FALSE(save.Execute());
  user.stop();
  ASSERT_TRUE(answered);
  EXPECT_EQ(title, QStringLiteral("错误"));
  EXPECT_TRUE(text.startsWith(QStringLiteral("文件名“"))) << text.toStdString();
  EXPECT_TRUE(text.endsWith(QStringLiteral("”含有本程序无法使用的字符，请换一个文件名。"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("项目"))) << text.toStdString();
  std::filesystem::remove_all(dir);
}
