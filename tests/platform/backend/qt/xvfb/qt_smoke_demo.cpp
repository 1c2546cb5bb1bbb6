// A small demo form on a real display: shown through the Qt backend, photographed
// from the screen into a PNG, and checked for what it must show.
//   qt_smoke_demo <out.png>        exit 0 when the picture shows the form
#include <QCoreApplication>
#include <QImage>

#include <chrono>
#include <cstdio>
#include <set>
#include <thread>

#include "platform/backend/qt/qt_backend.h"
#include "platform/controls/forms.h"
#include "platform/core/gbk.h"

namespace {

// Four coloured blocks with a caption under them.
class TDemoPanel : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(ClientRect());
    const TColor colours[] = {clRed, clLime, clBlue, clYellow};
    for (int i = 0; i < 4; ++i) {
      c->Brush()->SetColor(colours[i]);
      c->FillRect(Bounds(10 + i * 60, 10, 50, 50));
    }
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(clBlack);
    c->TextOut(10, 70, Utf8ToGbk("配置 DTU 4G"));
  }
};

class TDemoMark : public TGraphicControl {
public:
  using TGraphicControl::TGraphicControl;
protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clNavy);
    Canvas()->FillRect(ClientRect());
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qt_smoke_demo <out.png>\n");
    return 2;
  }
  InstallQtBackend();
  Application->Initialize();
  Application->SetTitle("Smoke");
  auto* form = new TForm(Application);
  form->SetBorderStyle(bsSingle);
  form->SetCaption(Utf8ToGbk("烟雾测试"));
  form->SetClientSize(280, 130);
  form->SetPosition(poScreenCenter);
  auto* panel = new TDemoPanel(form);
  panel->SetBounds(10, 10, 260, 95);
  panel->SetParent(form);
  auto* mark = new TDemoMark(form);
  mark->SetBounds(10, 110, 260, 12);
  mark->SetParent(form);
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
    std::set<QRgb> colours;
    for (int y = 0; y < img.height(); y += 2)
      for (int x = 0; x < img.width(); x += 2) colours.insert(img.pixel(x, y) & 0xFFFFFF);
    // The panel's red block and the navy mark, at their places in the client area.
    bool red = img.pixelColor(10 + 25, 10 + 25) == QColor(255, 0, 0);
    bool navy = img.pixelColor(20, 115) == QColor(0, 0, 128);
    std::printf("%dx%d, %zu colours, red block %s, mark %s\n", img.width(), img.height(), colours.size(),
                red ? "found" : "missing", navy ? "found" : "missing");
    if (img.isNull() || colours.size() < 6 || !red || !navy) rc = 1;
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", e.Message().c_str());
    rc = 1;
  }
  DoneApplication();
  return rc;
}
