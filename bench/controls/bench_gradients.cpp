// PaintGradient over a whole 640 x 480 canvas (Start at the top, Stop at the
// bottom) against QPainter filling the same image with a linear gradient on a
// QImage. Diagonal and box directions are measured too, each against the Qt
// gradient of the nearest shape (linear diagonal, conical/radial box).
// PaintGradient works on one thread; QPainter spreads a large fill over the
// global thread pool unless it runs on one of the pool's own threads. The Qt side
// therefore paints on a pool thread (one thread, like ours) and is timed there.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QSemaphore>
#include <QThreadPool>

#include <chrono>

#include "controls/common/gradients.h"

namespace {

constexpr int kW = 640, kH = 480;
constexpr TColor kStart = 0x800000, kStop = 0x00FFFF;

void PaintOnce(benchmark::State& State, TGradientDirection Direction) {
  TBitmap b(kW, kH);
  TCanvas* c = b.Canvas();
  for (auto _ : State) {
    PaintGradient(c, Rect(0, 0, kW, kH), Direction, kStart, kStop, 1);
    benchmark::DoNotOptimize(b.Handle());
  }
}

void QtOnce(benchmark::State& State, const QGradient& Gradient) {
  QImage image(kW, kH, QImage::Format_RGB32);
  QThreadPool* pool = QThreadPool::globalInstance();
  QSemaphore done;
  for (auto _ : State) {
    double seconds = 0;
    pool->start([&] {
      auto t0 = std::chrono::steady_clock::now();
      QPainter p(&image);
      p.fillRect(0, 0, kW, kH, QBrush(Gradient));
      p.end();
      seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      done.release();
    });
    done.acquire();
    State.SetIterationTime(seconds);
    benchmark::DoNotOptimize(image.constBits());
  }
}

QLinearGradient Linear(int X1, int Y1, int X2, int Y2) {
  QLinearGradient g(X1, Y1, X2, Y2);
  g.setColorAt(0, QColor(0, 0, 128));
  g.setColorAt(1, QColor(255, 255, 0));
  return g;
}

void Vertical_Framed(benchmark::State& S) { PaintOnce(S, gdHorizontalEnd); }
void Vertical_Qt(benchmark::State& S) { QtOnce(S, Linear(0, 0, 0, kH - 1)); }
void Diagonal_Framed(benchmark::State& S) { PaintOnce(S, gdDiagonalUp); }
void Diagonal_Qt(benchmark::State& S) { QtOnce(S, Linear(0, kH - 1, kW - 1, 0)); }
void Box_Framed(benchmark::State& S) { PaintOnce(S, gdSquareBox); }
void Box_Qt(benchmark::State& S) {
  QRadialGradient g(kW / 2.0, kH / 2.0, kW / 2.0);
  g.setColorAt(0, QColor(255, 255, 0));
  g.setColorAt(1, QColor(0, 0, 128));
  QtOnce(S, g);
}

}  // namespace

BENCHMARK(Vertical_Framed)->Name("Gradient640x480/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(Vertical_Qt)->Name("Gradient640x480/Qt")->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(Diagonal_Framed)->Name("GradientDiagonal640x480/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(Diagonal_Qt)->Name("GradientDiagonal640x480/Qt")->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(Box_Framed)->Name("GradientBox640x480/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(Box_Qt)->Name("GradientBox640x480/Qt")->Unit(benchmark::kMillisecond)->UseManualTime();
