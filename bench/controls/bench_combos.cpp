// The combo boxes in bulk: filling a font combo box with every installed font
// and dropping its list, against a QFontComboBox doing the same in the same run;
// filling a framed combo box with 100,000 items, against the layer's combo box
// and a QComboBox.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QFontComboBox>
#include <QStringList>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/controls/benchapp.h"
#include "controls/editlist/combobox.h"
#include "controls/editlist/fontlists.h"
#include "platform/controls/forms.h"

namespace {

const bool kApplication = MakeBenchApplication();

constexpr int kItems = 100000;

void FontComboFill_Framed(benchmark::State& State) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->HandleNeeded();
  int fonts = 0;
  for (auto _ : State) {
    auto* combo = new TQvFontComboBox(form.get());
    combo->SetParent(form.get());
    combo->HandleNeeded();  // loads the fonts
    combo->SetDroppedDown(true);
    combo->SetDroppedDown(false);
    fonts = combo->Items()->Count();
    delete combo;
  }
  State.counters["fonts"] = fonts;
}

void FontComboFill_Qt(benchmark::State& State) {
  int fonts = 0;
  for (auto _ : State) {
    QFontComboBox combo;
    combo.showPopup();
    combo.hidePopup();
    fonts = combo.count();
  }
  State.counters["fonts"] = fonts;
}

std::vector<std::string> Texts() {
  std::vector<std::string> out;
  out.reserve(kItems);
  for (int i = 0; i < kItems; ++i) out.push_back("item " + std::to_string(i));
  return out;
}

template <class T>
void FillLayerCombo(benchmark::State& State) {
  std::vector<std::string> texts = Texts();
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->HandleNeeded();
  for (auto _ : State) {
    auto* combo = new T(form.get());
    combo->SetParent(form.get());
    combo->HandleNeeded();
    combo->Items()->BeginUpdate();
    for (const std::string& s : texts) combo->Items()->Add(s);
    combo->Items()->EndUpdate();
    combo->SetItemIndex(kItems - 1);
    benchmark::DoNotOptimize(combo->Text());
    delete combo;
  }
  State.SetItemsProcessed(State.iterations() * kItems);
}

void ComboFill_Framed(benchmark::State& State) { FillLayerCombo<TQvComboBox>(State); }
void ComboFill_Platform(benchmark::State& State) { FillLayerCombo<TComboBox>(State); }

void ComboFill_Qt(benchmark::State& State) {
  QStringList texts;
  for (int i = 0; i < kItems; ++i) texts << QString("item %1").arg(i);
  for (auto _ : State) {
    QComboBox combo;
    for (const QString& s : texts) combo.addItem(s);
    combo.setCurrentIndex(kItems - 1);
    benchmark::DoNotOptimize(combo.currentText());
  }
  State.SetItemsProcessed(State.iterations() * kItems);
}

}  // namespace

BENCHMARK(FontComboFill_Framed)->Name("FontComboFill/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(FontComboFill_Qt)->Name("FontComboFill/Qt")->Unit(benchmark::kMillisecond);
BENCHMARK(ComboFill_Framed)->Name("ComboFill100k/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(ComboFill_Platform)->Name("ComboFill100k/Platform")->Unit(benchmark::kMillisecond);
BENCHMARK(ComboFill_Qt)->Name("ComboFill100k/Qt")->Unit(benchmark::kMillisecond);
