// 100,000 items added to a list box and its first page painted: the framed list box
// against the layer's own list box and a QListView over a QStringListModel filled
// in one call (the usual Qt way to show a long list of texts), in this run. The
// items go in one Items->Add at a time inside BeginUpdate/EndUpdate, with and
// without the list box's window, and by AddStrings, Assign and SetText.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QListView>
#include <QStringList>
#include <QStringListModel>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/controls/benchapp.h"
#include "controls/editlist/listboxes.h"
#include "platform/controls/forms.h"

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

// How the items go in: one Items->Add at a time inside BeginUpdate/EndUpdate (as form
// code fills a list), or one call from a string list or a text made beforehand.
enum class TFill { Add, AddStrings, Assign, SetText };

TStringList& SourceList() {
  static TStringList* list = [] {
    auto* l = new TStringList;
    for (const std::string& s : Texts()) l->Add(s);
    return l;
  }();
  return *list;
}

// Without a form the list box has no window while it is filled (a list filled in
// code before it is shown); on a form it has one, so each item reaches a window.
template <class L>
void FillAndPaint(benchmark::State& State, bool OnForm, TFill Fill = TFill::Add) {
  const auto& texts = Texts();
  TStringList& source = SourceList();
  const std::string text = source.Text();
  std::unique_ptr<TForm> form;
  if (OnForm) {
    form.reset(new TForm(nullptr));
    form->SetBounds(0, 0, kW + 40, kH + 40);
    form->HandleNeeded();
  }
  for (auto _ : State) {
    std::unique_ptr<L> list(new L(nullptr));
    list->SetBounds(0, 0, kW, kH);
    if (OnForm) {
      list->SetParent(form.get());
      list->HandleNeeded();
    }
    TStrings* items = list->Items();
    switch (Fill) {
      case TFill::Add:
        items->BeginUpdate();
        for (const std::string& s : texts) items->Add(s);
        items->EndUpdate();
        break;
      case TFill::AddStrings: items->AddStrings(&source); break;
      case TFill::Assign: items->Assign(&source); break;
      case TFill::SetText: items->SetText(text); break;
    }
    TBitmap b(kW, kH);
    list->PaintTo(b.Canvas()->Handle(), 0, 0);
    benchmark::DoNotOptimize(b.Handle());
  }
  State.SetItemsProcessed(State.iterations() * kItems);
}

void Lists_Framed(benchmark::State& State) { FillAndPaint<TQvListBox>(State, false); }
void Lists_Platform(benchmark::State& State) { FillAndPaint<TListBox>(State, false); }
void ListsOnForm_Framed(benchmark::State& State) { FillAndPaint<TQvListBox>(State, true); }
void ListsOnForm_Platform(benchmark::State& State) { FillAndPaint<TListBox>(State, true); }
void ListsAddStrings_Framed(benchmark::State& State) { FillAndPaint<TQvListBox>(State, true, TFill::AddStrings); }
void ListsAssign_Framed(benchmark::State& State) { FillAndPaint<TQvListBox>(State, true, TFill::Assign); }
void ListsSetText_Framed(benchmark::State& State) { FillAndPaint<TQvListBox>(State, true, TFill::SetText); }

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
BENCHMARK(ListsOnForm_Framed)->Name("ListsOnForm/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(ListsOnForm_Platform)->Name("ListsOnForm/Platform")->Unit(benchmark::kMillisecond);
BENCHMARK(Lists_Qt)->Name("ListsOnForm/Qt")->Unit(benchmark::kMillisecond);
BENCHMARK(ListsAddStrings_Framed)->Name("ListsAddStrings/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(Lists_Qt)->Name("ListsAddStrings/Qt")->Unit(benchmark::kMillisecond);
BENCHMARK(ListsAssign_Framed)->Name("ListsAssign/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(Lists_Qt)->Name("ListsAssign/Qt")->Unit(benchmark::kMillisecond);
BENCHMARK(ListsSetText_Framed)->Name("ListsSetText/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(Lists_Qt)->Name("ListsSetText/Qt")->Unit(benchmark::kMillisecond);
