// Painting a page of framed panels (raised frames, captions, a grid and gradient
// here and there) against the same page of the platform's panels, and a meter
// updated and painted 10,000 times against the platform's progress bar (both as
// plain bars without text).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "controls/basic/meter.h"
#include "controls/basic/panels.h"
#include "platform/stdctrls/panels.h"
#include "platform/stdctrls/progress.h"

namespace {

constexpr int kCols = 6, kRows = 5, kW = 120, kH = 60, kUpdates = 10000;

std::unique_ptr<TPanel> Host(int W, int H) {
  auto host = std::make_unique<TPanel>(nullptr);
  host->SetBevelOuter(bvNone);
  host->SetBounds(0, 0, W, H);
  return host;
}

void PanelsPage_Framed(benchmark::State& State) {
  auto host = Host(kCols * kW, kRows * kH);
  for (int i = 0; i < kCols * kRows; ++i) {
    auto* p = new TQvPanel(host.get());
    p->SetParent(host.get());
    p->SetBounds((i % kCols) * kW, (i / kCols) * kH, kW - 4, kH - 4);
    p->SetCaption("Panel " + std::to_string(i));
    p->SetBorderInner(i % 3 == 0 ? fsLowered : fsNone);
    if (i % 5 == 0) p->SetShowGrid(true);
    if (i % 7 == 0) p->SetVisualStyle(vsGradient);
  }
  TBitmap b(host->Width(), host->Height());
  for (auto _ : State) {
    host->PaintTo(b.Canvas()->Handle(), 0, 0);
    benchmark::DoNotOptimize(b.Handle());
  }
  State.SetItemsProcessed(State.iterations() * kCols * kRows);
}

void PanelsPage_Platform(benchmark::State& State) {
  auto host = Host(kCols * kW, kRows * kH);
  for (int i = 0; i < kCols * kRows; ++i) {
    auto* p = new TPanel(host.get());
    p->SetParent(host.get());
    p->SetBounds((i % kCols) * kW, (i / kCols) * kH, kW - 4, kH - 4);
    p->SetCaption("Panel " + std::to_string(i));
    p->SetBevelInner(i % 3 == 0 ? bvLowered : bvNone);
  }
  TBitmap b(host->Width(), host->Height());
  for (auto _ : State) {
    host->PaintTo(b.Canvas()->Handle(), 0, 0);
    benchmark::DoNotOptimize(b.Handle());
  }
  State.SetItemsProcessed(State.iterations() * kCols * kRows);
}

void MeterUpdates_Framed(benchmark::State& State) {
  auto host = Host(150, 30);
  auto* m = new TQvMeter(host.get());
  m->SetParent(host.get());
  m->SetMeterType(mtNormal);
  m->SetShowPercent(false);  // the progress bar shows no text either
  TBitmap b(150, 30);
  for (auto _ : State) {
    for (int i = 0; i < kUpdates; ++i) {
      m->SetValue(i % 101);
      host->PaintTo(b.Canvas()->Handle(), 0, 0);
    }
    benchmark::DoNotOptimize(b.Handle());
  }
  State.SetItemsProcessed(State.iterations() * kUpdates);
}

void MeterUpdates_Platform(benchmark::State& State) {
  auto host = Host(150, 30);
  auto* bar = new TProgressBar(host.get());
  bar->SetParent(host.get());
  bar->SetBounds(0, 0, 150, 30);
  bar->SetSmooth(true);
  TBitmap b(150, 30);
  for (auto _ : State) {
    for (int i = 0; i < kUpdates; ++i) {
      bar->SetPosition(i % 101);
      host->PaintTo(b.Canvas()->Handle(), 0, 0);
    }
    benchmark::DoNotOptimize(b.Handle());
  }
  State.SetItemsProcessed(State.iterations() * kUpdates);
}

}  // namespace

BENCHMARK(PanelsPage_Framed)->Name("PanelsPage/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(PanelsPage_Platform)->Name("PanelsPage/Platform")->Unit(benchmark::kMillisecond);
BENCHMARK(MeterUpdates_Framed)->Name("MeterUpdates/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(MeterUpdates_Platform)->Name("MeterUpdates/Platform")->Unit(benchmark::kMillisecond);
