// 1,000 frames on a 640 x 480 canvas: DrawBorder of every two-ring style (8 lines
// each) against QPainter drawing the same two one-pixel rectangle outlines per
// frame on a QImage without antialiasing.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cstdint>
#include <vector>

#include "controls/common/frames.h"

namespace {

constexpr int kW = 640, kH = 480, kFrames = 1000;

std::vector<TRect> FrameRects() {
  std::vector<TRect> rects;
  uint32_t state = 12345;
  auto next = [&](int Limit) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 8) % static_cast<uint32_t>(Limit));
  };
  for (int i = 0; i < kFrames; ++i) rects.push_back(Bounds(next(kW - 120), next(kH - 60), 8 + next(112), 8 + next(52)));
  return rects;
}

const TFrameStyleEx kStyles[] = {fsGroove, fsBump, fsLowered, fsRaised, fsButtonUp, fsButtonDown, fsFlatBold};

void Frames_Framed(benchmark::State& State) {
  TBitmap b(kW, kH);
  TCanvas* c = b.Canvas();
  std::vector<TRect> rects = FrameRects();
  for (auto _ : State) {
    int i = 0;
    for (const TRect& r : rects) DrawBorder(c, r, kStyles[i++ % 7]);
    benchmark::DoNotOptimize(b.Handle());
  }
  State.SetItemsProcessed(State.iterations() * kFrames);
}

void Frames_Qt(benchmark::State& State) {
  QImage image(kW, kH, QImage::Format_RGB32);
  image.fill(Qt::white);
  std::vector<TRect> rects = FrameRects();
  const QColor outer(128, 128, 128), inner(64, 64, 64);
  for (auto _ : State) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    for (const TRect& r : rects) {
      p.setPen(QPen(outer, 0));
      p.drawRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1);
      p.setPen(QPen(inner, 0));
      p.drawRect(r.Left + 1, r.Top + 1, r.Width() - 3, r.Height() - 3);
    }
    p.end();
    benchmark::DoNotOptimize(image.constBits());
  }
  State.SetItemsProcessed(State.iterations() * kFrames);
}

}  // namespace

BENCHMARK(Frames_Framed)->Name("Frames/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(Frames_Qt)->Name("Frames/Qt")->Unit(benchmark::kMillisecond);
