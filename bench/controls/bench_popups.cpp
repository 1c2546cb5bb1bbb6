// The pickers in bulk: 20 colour pickers with the system colours painted whole
// against the same 70 swatches per picker drawn straight with the platform's
// canvas; a popup panel with a picker opened and closed 100 times against a
// new frameless platform form per drop-down, the content moved in and back; a memo filled with 2,000 lines and its
// caret walked line by line against the platform's memo.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "controls/basic/colorpicker.h"
#include "controls/editlist/edits.h"
#include "controls/editlist/memos.h"
#include "controls/editlist/popuppanel.h"
#include "platform/controls/forms.h"
#include "platform/controls/modal.h"
#include "platform/stdctrls/panels.h"

namespace {

constexpr int kPickers = 20, kPopups = 100, kLines = 2000;

void Pickers_Framed(benchmark::State& State) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(0, 0, 800, 400);
  auto* host = new TPanel(form.get());
  host->SetBounds(0, 0, 800, 400);
  host->SetParent(form.get());
  for (int i = 0; i < kPickers; ++i) {
    auto* p = new TQvColorPicker(form.get());
    p->SetShowSystemColors(true);
    p->SetLeft((i % 5) * 156);
    p->SetTop((i / 5) * 100 % 400);
    p->SetSelColorIndex(i);
    p->SetParent(host);
  }
  TBitmap bmp(800, 400);
  for (auto _ : State) {
    host->PaintTo(bmp.Canvas()->Handle(), 0, 0);
    benchmark::DoNotOptimize(bmp.Handle());
  }
  State.SetItemsProcessed(State.iterations() * kPickers);
}

void Pickers_Platform(benchmark::State& State) {
  TBitmap bmp(800, 400);
  TCanvas* c = bmp.Canvas();
  for (auto _ : State) {
    c->Brush()->SetColor(clBtnFace);
    c->FillRect({0, 0, 800, 400});
    for (int i = 0; i < kPickers; ++i) {
      int x0 = (i % 5) * 156, y0 = (i / 5) * 100 % 400;
      for (int k = 0; k < PickerColorCount; ++k) {
        TRect r = Bounds(x0 + 4 + (k % 8) * 18 + 4, y0 + 4 + (k / 8) * 18 + 4, 10, 10);
        c->Brush()->SetColor(PickerColors(k).Color);
        c->FillRect(r);
        c->Brush()->SetColor(clBtnShadow);
        c->FrameRect(r);
      }
    }
    benchmark::DoNotOptimize(bmp.Handle());
  }
  State.SetItemsProcessed(State.iterations() * kPickers);
}

void Popups_Framed(benchmark::State& State) {
  TScriptedModalRunner runner;
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(100, 100, 300, 200);
  auto* edit = new TQvEdit(form.get());
  edit->SetBounds(10, 10, 120, 21);
  edit->SetParent(form.get());
  auto* panel = new TQvPopupPanel(form.get());
  panel->SetParent(form.get());
  auto* picker = new TQvColorPicker(form.get());
  picker->SetParent(panel);
  picker->OnClick = panel->CloseEvent();
  form->Show();
  for (auto _ : State) {
    for (int i = 0; i < kPopups; ++i) {
      runner.OnLoop([&](TWinControl*) { panel->Close(nullptr); });
      benchmark::DoNotOptimize(panel->Popup(edit));
    }
    runner.Calls.clear();
  }
  State.SetItemsProcessed(State.iterations() * kPopups);
}

void Popups_Platform(benchmark::State& State) {
  std::unique_ptr<TForm> owner(new TForm(nullptr));
  auto* content = new TPanel(owner.get());
  content->SetBounds(0, 0, 152, 98);
  content->SetParent(owner.get());
  owner->Show();
  for (auto _ : State) {
    for (int i = 0; i < kPopups; ++i) {
      // A new frameless window per drop-down, the content moved in and back.
      std::unique_ptr<TForm> popup(new TForm(nullptr));
      popup->SetBorderStyle(bsNone);
      popup->SetBounds(100 + i % 7, 131, 158, 104);
      content->SetParent(popup.get());
      popup->Show();
      Application->ProcessMessages();
      popup->Hide();
      content->SetParent(owner.get());
    }
  }
  State.SetItemsProcessed(State.iterations() * kPopups);
}

template <class M>
void FillMemo(benchmark::State& State, bool Framed) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(0, 0, 300, 300);
  auto* m = new M(form.get());
  m->SetBounds(0, 0, 280, 280);
  m->SetParent(form.get());
  m->HandleNeeded();
  std::string text;
  for (int i = 0; i < kLines; ++i) text += "line " + std::to_string(i) + "\r\n";
  int sum = 0;
  for (auto _ : State) {
    m->Lines()->SetText(text);
    for (int i = 0; i < 200; ++i) {
      m->Perform(EM_SETSEL, static_cast<WPARAM>(i * 9), i * 9);
      if constexpr (std::is_same_v<M, TQvMemo>) {
        if (Framed) sum += m->GetLine() + m->GetColumn();
      } else {
        TPoint p = m->CaretPos();
        sum += p.X + p.Y;
      }
    }
  }
  benchmark::DoNotOptimize(sum);
  State.SetItemsProcessed(State.iterations() * kLines);
}

void Memo_Framed(benchmark::State& State) { FillMemo<TQvMemo>(State, true); }
void Memo_Platform(benchmark::State& State) { FillMemo<TMemo>(State, false); }

}  // namespace

BENCHMARK(Pickers_Framed)->Name("Pickers/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(Pickers_Platform)->Name("Pickers/Platform")->Unit(benchmark::kMillisecond);
BENCHMARK(Popups_Framed)->Name("Popups/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(Popups_Platform)->Name("Popups/Platform")->Unit(benchmark::kMillisecond);
BENCHMARK(Memo_Framed)->Name("MemoFill/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(Memo_Platform)->Name("MemoFill/Platform")->Unit(benchmark::kMillisecond);
