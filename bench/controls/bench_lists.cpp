// 100,000 items added to a list box and its first page painted: the framed list box
// against the layer's own list box and a QListView over a QStringListModel filled
// in one call (the usual Qt way to show a long list of texts), in this run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QListView>
#include <QStringList>
#include <QStringListModel>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/controls/benchapp.h"
#include "controls/editlist/listboxes.h"

namespace {

constexpr int kItems = 100000, kW = 200, kH = 400;

const bool kApplication = MakeBenchApplication();

const std::vector<std::string>& Texts() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> t;
    char buf[48];
    for (int i = 0; i < kItems; ++i) {
      std::snprintf(buf, sizeof buf, "Item %06d of the list", i);
      t.push_back(buf);
    }
    return t;
  }();
  return texts;
}

template <class L>
void FillAndPaint(benchmark::State& State) {
  const auto& texts = Texts();
  for (auto _ : State) {
    L list(nullptr);
    list.SetBounds(0, 0, kW, kH);
    TStrings* items = list.Items();
    items->BeginUpdate();
    for (const std::string& s : texts) items->Add(s);
    items->EndUpdate();
    TBitmap b(kW, kH);
    list.PaintTo(b.Canvas()->Handle(), 0, 0);
    benchmark::DoNotOptimize(b.Handle());
  }
  State.SetItemsProcessed(State.iterations() * kItems);
}

void Lists_Framed(benchmark::State& State) { FillAndPaint<TQvListBox>(State); }
void Lists_Platform(benchmark::State& State) { FillAndPaint<TListBox>(State); }

void Lists_Qt(benchmark::State& State) {
  const auto& texts = Texts();
  for (auto _ : State) {
    QStringList strings;
    strings.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& s : texts) strings << QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
    QStringListModel model;
    model.setStringList(strings);
    QListView list;
    list.setUniformItemSizes(true);  // every row one line of the same font, as in the list box
    list.resize(kW, kH);
    list.setModel(&model);
    QImage image(kW, kH, QImage::Format_RGB32);
    list.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
  State.SetItemsProcessed(State.iterations() * kItems);
}

}  // namespace

BENCHMARK(Lists_Framed)->Name("Lists/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(Lists_Platform)->Name("Lists/Platform")->Unit(benchmark::kMillisecond);
BENCHMARK(Lists_Qt)->Name("Lists/Qt")->Unit(benchmark::kMillisecond);
