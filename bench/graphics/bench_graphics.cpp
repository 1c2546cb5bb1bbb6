// A 640 x 480 canvas: 10,000 filled rectangles, 10,000 lines and 1,000 short strings
// per iteration, with fixed pseudo-random coordinates. Run with
// QT_QPA_PLATFORM=offscreen when there is no display.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/graphics.h"

namespace {

constexpr int kW = 640, kH = 480;

struct TRandom {
  uint32_t State = 12345;
  int Next(int Limit) {
    State = State * 1664525u + 1013904223u;
    return static_cast<int>((State >> 8) % static_cast<uint32_t>(Limit));
  }
};

const TColor kColors[] = {clRed, clBlue, clLime, clBtnFace, clBtnShadow, clWindow, clNavy, clTeal};

void FillRectangles(benchmark::State& State) {
  TBitmap b(kW, kH);
  TCanvas* c = b.Canvas();
  TRandom r;
  std::vector<TRect> rects;
  for (int i = 0; i < 10000; ++i) {
    int x = r.Next(kW), y = r.Next(kH);
    rects.push_back(Bounds(x, y, 1 + r.Next(120), 1 + r.Next(60)));
  }
  for (auto _ : State) {
    int i = 0;
    for (const TRect& rc : rects) {
      c->Brush()->SetColor(kColors[i++ % 8]);
      c->FillRect(rc);
    }
    benchmark::DoNotOptimize(b.Handle());
  }
  State.SetItemsProcessed(State.iterations() * 10000);
}

void DrawLines(benchmark::State& State) {
  TBitmap b(kW, kH);
  TCanvas* c = b.Canvas();
  TRandom r;
  std::vector<TRect> lines;
  for (int i = 0; i < 10000; ++i) lines.push_back({r.Next(kW), r.Next(kH), r.Next(kW), r.Next(kH)});
  for (auto _ : State) {
    int i = 0;
    for (const TRect& l : lines) {
      c->Pen()->SetColor(kColors[i++ % 8]);
      c->MoveTo(l.Left, l.Top);
      c->LineTo(l.Right, l.Bottom);
    }
    benchmark::DoNotOptimize(b.Handle());
  }
  State.SetItemsProcessed(State.iterations() * 10000);
}

void DrawStrings(benchmark::State& State) {
  TBitmap b(kW, kH);
  TCanvas* c = b.Canvas();
  c->Font()->SetName("Tahoma");
  c->Brush()->SetStyle(bsClear);
  TRandom r;
  struct TItem { int X, Y; std::string Text; };
  std::vector<TItem> items;
  for (int i = 0; i < 1000; ++i) {
    std::string s = i % 4 == 3 ? "\xB6\xCB\xBF\xDA " + std::to_string(i) : "Item " + std::to_string(i);
    items.push_back({r.Next(kW - 60), r.Next(kH - 14), s});
  }
  for (auto _ : State) {
    for (const TItem& it : items) c->TextOut(it.X, it.Y, it.Text);
    benchmark::DoNotOptimize(b.Handle());
  }
  State.SetItemsProcessed(State.iterations() * 1000);
}

}  // namespace

BENCHMARK(FillRectangles)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawLines)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawStrings)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
