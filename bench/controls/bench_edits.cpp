// 200 edits painted whole (frame and text) on a hidden form: framed edits with
// their own flat frame against the platform's edits with the standard sunken
// border, in the same run.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/editlist/edits.h"
#include "platform/controls/forms.h"

namespace {

constexpr int kEdits = 200, kCols = 4, kW = 150, kH = 21;

template <class E>
void PaintEdits(benchmark::State& State, bool Framed) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(0, 0, kCols * (kW + 8), (kEdits / kCols) * (kH + 4));
  std::vector<E*> edits;
  for (int i = 0; i < kEdits; ++i) {
    auto* e = new E(form.get());
    e->SetBounds((i % kCols) * (kW + 8), (i / kCols) * (kH + 4), kW, kH);
    e->SetText("edit " + std::to_string(i));
    if constexpr (std::is_base_of_v<TQvCustomEdit, E>)
      if (Framed) e->SetFrameVisible(true);
    e->SetParent(form.get());
    e->HandleNeeded();
    edits.push_back(e);
  }
  TBitmap bmp(kW, kH);
  for (auto _ : State) {
    for (E* e : edits) {
      SendMessage(e->Handle(), WM_NCPAINT, 1, 0);
      e->PaintTo(bmp.Canvas()->Handle(), 0, 0);
    }
    benchmark::DoNotOptimize(bmp.Handle());
  }
  State.SetItemsProcessed(State.iterations() * kEdits);
}

void Edits_Framed(benchmark::State& State) { PaintEdits<TQvEdit>(State, true); }
void Edits_Platform(benchmark::State& State) { PaintEdits<TEdit>(State, false); }

}  // namespace

BENCHMARK(Edits_Framed)->Name("Edits/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(Edits_Platform)->Name("Edits/Platform")->Unit(benchmark::kMillisecond);
