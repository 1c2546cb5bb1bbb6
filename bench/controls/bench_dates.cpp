// The date and time package in bulk: 10,000 typed dates parsed leniently against
// the strict converter on the same texts, and 50 month calendars painted against a
// month grid of day numbers painted straight with Qt (QDate and QPainter) in the
// same run.
#include <benchmark/benchmark.h>

#include <QDate>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <memory>
#include <string>
#include <vector>

#include "controls/editlist/calendar.h"
#include "controls/editlist/datetext.h"
#include "platform/controls/forms.h"

namespace {

std::vector<std::string> Texts() {
  std::vector<std::string> t;
  for (int i = 0; i < 10000; ++i)
    t.push_back(std::to_string(1990 + i % 40) + "-" + std::to_string(1 + i % 12) + "-" + std::to_string(1 + i % 28));
  return t;
}

void DateParse_Framed(benchmark::State& State) {
  ShortDateFormat = "yyyy-m-d";
  DateSeparator = '-';
  auto texts = Texts();
  for (auto _ : State) {
    double sum = 0;
    for (const std::string& s : texts) {
      TDateTime d;
      StrToDateEx(s, d);
      sum += d;
    }
    benchmark::DoNotOptimize(sum);
  }
  State.SetItemsProcessed(State.iterations() * texts.size());
}

void DateParse_Platform(benchmark::State& State) {
  ShortDateFormat = "yyyy-m-d";
  DateSeparator = '-';
  auto texts = Texts();
  for (auto _ : State) {
    double sum = 0;
    for (const std::string& s : texts) {
      TDateTime d = 0;
      TryStrToDate(s, d);
      sum += d;
    }
    benchmark::DoNotOptimize(sum);
  }
  State.SetItemsProcessed(State.iterations() * texts.size());
}

constexpr int kCalendars = 50;

void CalendarPaint_Framed(benchmark::State& State) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(0, 0, 1000, 1000);
  std::vector<TQvCalendar*> cals;
  for (int i = 0; i < kCalendars; ++i) {
    auto* c = new TQvCalendar(form.get());
    c->SetParent(form.get());
    c->SetDate(EncodeDate(2024, static_cast<Word>(1 + i % 12), 15));
    c->HandleNeeded();
    cals.push_back(c);
  }
  TBitmap bmp(cals[0]->Width(), cals[0]->Height());
  for (auto _ : State) {
    for (TQvCalendar* c : cals) c->PaintTo(bmp.Canvas()->Handle(), 0, 0);
    benchmark::DoNotOptimize(bmp.Handle());
  }
  State.SetItemsProcessed(State.iterations() * kCalendars);
}

void CalendarPaint_Qt(benchmark::State& State) {
  QImage img(161, 159, QImage::Format_RGB32);
  QFont font("MS Sans Serif");
  font.setPixelSize(11);
  for (auto _ : State) {
    for (int i = 0; i < kCalendars; ++i) {
      QPainter p(&img);
      p.setFont(font);
      p.fillRect(img.rect(), Qt::white);
      QDate first(2024, 1 + i % 12, 1);
      p.drawText(QRect(0, 0, 161, 18), Qt::AlignCenter, first.toString("MMMM yyyy"));
      QDate d = first.addDays(-(first.dayOfWeek() % 7) - 1);
      for (int cell = 0; cell < 42; ++cell, d = d.addDays(1)) {
        QRect r(10 + (cell % 7) * 19, 36 + (cell / 7) * 15, 19, 15);
        if (d == first.addDays(14)) p.fillRect(r, QColor(10, 36, 106));
        p.setPen(d.month() == first.month() ? Qt::black : Qt::gray);
        p.drawText(r, Qt::AlignRight | Qt::AlignVCenter, QString::number(d.day()));
      }
    }
    benchmark::DoNotOptimize(img.bits());
  }
  State.SetItemsProcessed(State.iterations() * kCalendars);
}

}  // namespace

BENCHMARK(DateParse_Framed)->Name("DateParse/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(DateParse_Platform)->Name("DateParse/Platform")->Unit(benchmark::kMillisecond);
BENCHMARK(CalendarPaint_Framed)->Name("CalendarPaint/Framed")->Unit(benchmark::kMillisecond);
BENCHMARK(CalendarPaint_Qt)->Name("CalendarPaint/Qt")->Unit(benchmark::kMillisecond);
