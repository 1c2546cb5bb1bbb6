// A page of 200 push buttons (20 columns of 10, each 75 x 25, captioned) painted
// into a bitmap: framed buttons in the classic look against the platform's
// buttons, both through PaintTo.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "controls/basic/buttons.h"
#include "platform/controls/forms.h"
#include "platform/stdctrls/stdctrls_buttons.h"

namespace {

constexpr int kCols = 20, kRows = 10, kW = 80, kH = 28;

template <class B>
void PaintButtons(benchmark::State& State) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, kCols * kW, kRows * kH);
  for (int i = 0; i < kCols * kRows; ++i) {
    auto* b = new B(form.get());
    b->SetBounds((i % kCols) * kW, (i / kCols) * kH, 75, 25);
    b->SetCaption("Button " + std::to_string(i));
    b->SetParent(form.get());
  }
  form->HandleNeeded();
  TBitmap bmp(form->Width(), form->Height());
  HDC dc = bmp.Canvas()->Handle();
  for (auto _ : State) {
    for (int i = 0; i < form->ControlCount(); ++i) form->Controls(i)->Invalidate();
    form->PaintTo(dc, 0, 0);
    benchmark::DoNotOptimize(bmp.Handle());
  }
  State.SetItemsProcessed(State.iterations() * kCols * kRows);
}

void Buttons_Framed(benchmark::State& State) { PaintButtons<TQvButton>(State); }
void Buttons_Platform(benchmark::State& State) { PaintButtons<TButton>(State); }

}  // namespace

BENCHMARK(Buttons_Framed)->Name("Buttons/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(Buttons_Platform)->Name("Buttons/Platform")->Unit(benchmark::kMillisecond);
