// The combo boxes in bulk: filling a font combo box with every installed font
// and dropping its list, against a QFontComboBox doing the same in the same run
// (given the names the framed combo lists beside the installed families - the
// system's font names and Marlett - so that both list the same set);
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
#include "platform/core/gbk.h"

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

// The names the framed font combo lists that a QFontComboBox does not.
QStringList ExtraFontNames() {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  auto* combo = new TQvFontComboBox(form.get());
  combo->SetParent(form.get());
  combo->HandleNeeded();
  QFontComboBox qt;
  QStringList extra;
  for (int i = 0; i < combo->Items()->Count(); ++i) {
    QString name = QString::fromStdU16String(GbkToUtf16(combo->Items()->Strings(i)));
    if (qt.findText(name, Qt::MatchFixedString) < 0) extra << name;
  }
  return extra;
}

void FontComboFill_Qt(benchmark::State& State) {
  const QStringList extra = ExtraFontNames();
  int fonts = 0;
  for (auto _ : State) {
    QFontComboBox combo;
    combo.addItems(extra);
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
    combo.addItems(texts);
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
