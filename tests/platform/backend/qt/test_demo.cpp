// The demo form of the standard controls on Qt's offscreen platform: shown through
// the Qt backend (edits as native peers, the rest drawn by the layer), photographed
// into demo_form.png in the test's working directory, and checked part by part.
#include <QApplication>
#include <QImage>

#include <filesystem>
#include <iostream>

#include "demo_form.h"
#include "platform/backend/qt/qt_backend.h"
#include "tests/platform/controls/fixtures.h"

namespace {

class DemoTest : public ControlsTest {
protected:
  void SetUp() override {
    InstallQtBackend();
    ControlsTest::SetUp();
  }
};

}  // namespace

TEST_F(DemoTest, TheDemoFormIsPhotographedAndShowsEveryControl) {
  TForm* form = Own(MakeDemoForm(nullptr));
  form->Show();
  for (int i = 0; i < 5; ++i) {
    QCoreApplication::processEvents();
    Application->ProcessMessages();
  }
  std::string file = (std::filesystem::current_path() / "demo_form.png").string();
  SaveWindowImage(form, file);
  std::cout << "demo form picture: " << file << std::endl;
  QImage img(QString::fromStdString(file));
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(img.width(), TDemoLayout::Width);
  EXPECT_EQ(img.height(), TDemoLayout::Height);
  for (const std::string& fault : DemoPictureFaults(img)) ADD_FAILURE() << fault;
}
