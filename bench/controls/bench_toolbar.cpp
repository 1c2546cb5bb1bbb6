// A toolbar of 200 tool buttons with images and captions: laid out again (wrapped
// into rows at a new width) and painted whole into a bitmap, against a QWidget
// holding 200 QToolButtons placed in the same rows and rendered into a QImage.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QToolButton>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/controls/benchapp.h"
#include "controls/basic/toolbar.h"
#include "platform/controls/forms.h"

namespace {

const bool kApplication = MakeBenchApplication();

constexpr int kButtons = 200, kW = 60, kH = 25;

void Toolbar_Framed(benchmark::State& State) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(0, 0, 1000, 800);
  auto* images = new TImageList(form.get());
  images->SetWidth(16);
  images->SetHeight(16);
  TBitmap glyph(16, 16);
  glyph.Canvas()->Brush()->SetColor(clNavy);
  glyph.Canvas()->FillRect(TRect(0, 0, 16, 16));
  images->Add(&glyph, nullptr);
  auto* bar = new TQvToolbar(form.get());
  bar->SetAlign(alNone);
  bar->SetBounds(0, 0, 800, 32);
  bar->SetImages(images);
  bar->SetParent(form.get());
  for (int i = 0; i < kButtons; ++i) {
    auto* b = new TQvToolButton(form.get());
    b->SetParent(bar);
    b->SetImageIndex(0);
    b->SetCaption("B" + std::to_string(i));
  }
  bar->SetTextOptions(ttoSelectiveTextOnRight);
  bar->HandleNeeded();
  TBitmap out(1000, 800);
  int width = 800;
  for (auto _ : State) {
    width = width == 800 ? 640 : 800;
    bar->SetWidth(width);
    bar->PositionControls();
    bar->PaintTo(out.Canvas()->Handle(), 0, 0);
    benchmark::DoNotOptimize(out.Handle());
  }
  State.SetItemsProcessed(State.iterations() * kButtons);
}

void Toolbar_Qt(benchmark::State& State) {
  QWidget bar;
  bar.resize(800, 32);
  QPixmap icon(16, 16);
  icon.fill(Qt::darkBlue);
  std::vector<QToolButton*> buttons;
  for (int i = 0; i < kButtons; ++i) {
    auto* b = new QToolButton(&bar);
    b->setIcon(QIcon(icon));
    b->setText(QString("B%1").arg(i));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    buttons.push_back(b);
  }
  QImage out(1000, 800, QImage::Format_RGB32);
  int width = 800;
  for (auto _ : State) {
    width = width == 800 ? 640 : 800;
    int x = 4, row = 0;
    for (QToolButton* b : buttons) {
      if (x + kW > width - 4 && x > 4) x = 4, ++row;
      b->setGeometry(x, 2 + row * kH, kW, kH);
      x += kW;
    }
    bar.resize(width, kH * (row + 1) + 4);
    bar.render(&out);
    benchmark::DoNotOptimize(out.constBits());
  }
  State.SetItemsProcessed(State.iterations() * kButtons);
}

}  // namespace

BENCHMARK(Toolbar_Framed)->Name("Toolbar200/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(Toolbar_Qt)->Name("Toolbar200/Qt")->Unit(benchmark::kMillisecond);
