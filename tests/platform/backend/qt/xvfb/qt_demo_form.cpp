// The demo form of the standard controls on a real display: shown through the Qt
// backend, photographed from the screen into a PNG and checked part by part.
//   qt_demo_form <out.png>        exit 0 when the picture shows every control
#include <QCoreApplication>
#include <QImage>

#include <chrono>
#include <cstdio>
#include <thread>

#include "../demo_form.h"
#include "platform/backend/qt/qt_backend.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qt_demo_form <out.png>\n");
    return 2;
  }
  InstallQtBackend();
  Application->Initialize();
  Application->SetTitle("Demo");
  TForm* form = MakeDemoForm(Application);
  form->Show();
  // Let the window appear and be painted.
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
  while (std::chrono::steady_clock::now() < end) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  int rc = 0;
  try {
    SaveWindowImage(form, argv[1], true);
    QImage img(QString::fromLocal8Bit(argv[1]));
    std::printf("%dx%d picture in %s\n", img.width(), img.height(), argv[1]);
    for (const std::string& fault : DemoPictureFaults(img)) {
      std::printf("fault: %s\n", fault.c_str());
      rc = 1;
    }
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", e.Message().c_str());
    rc = 1;
  }
  DoneApplication();
  return rc;
}
