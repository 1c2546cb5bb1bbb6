// A 640 x 480 canvas: 10,000 filled rectangles, 10,000 lines and 1,000 short strings
// (a quarter of them Chinese) per iteration, with fixed pseudo-random coordinates,
// each drawn by this system's raster engine and by QPainter on a QImage of the same
// size. After the table each figure is printed with its peer and the ratio (ours /
// peer), measured side by side in this run: the best of interleaved rounds, so
// that a busy machine disturbs both sides alike. The strings are measured three
// ways: drawn again and again (against drawText and against QStaticText, Qt's
// way to draw a text laid out once) and each drawn for the first time. Run with QT_QPA_PLATFORM=offscreen when there is no
// display.
#include <benchmark/benchmark.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStaticText>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/gbk.h"
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

QColor QtColor(TColor C) {
  uint32_t rgb = static_cast<uint32_t>(ColorToRGB(C));
  return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

// The work items, the same for both sides.
struct TWork {
  std::vector<TRect> Rects;
  std::vector<TRect> Lines;  // Left, Top -> Right, Bottom
  struct TItem {
    int X, Y;
    std::string Text;  // GBK, as this system holds it
    QString QText;     // the same text as Qt code would hold it
  };
  std::vector<TItem> Items;

  // Sets of 1,000 strings never drawn before: the same places, other numbers.
  static std::vector<TItem> FreshItems(int Set) {
    std::vector<TItem> v;
    TRandom t;
    for (int i = 0; i < 1000; ++i) {
      int n = 1000 * (Set + 1) + i;
      std::string s = i % 4 == 3 ? "\xB6\xCB\xBF\xDA " + std::to_string(n) : "Item " + std::to_string(n);
      v.push_back({t.Next(kW - 60), t.Next(kH - 14), s, QString::fromStdU16String(GbkToUtf16(s))});
    }
    return v;
  }

  TWork() {
    TRandom r;
    for (int i = 0; i < 10000; ++i) {
      int x = r.Next(kW), y = r.Next(kH);
      Rects.push_back(Bounds(x, y, 1 + r.Next(120), 1 + r.Next(60)));
    }
    TRandom l;
    for (int i = 0; i < 10000; ++i) Lines.push_back({l.Next(kW), l.Next(kH), l.Next(kW), l.Next(kH)});
    TRandom t;
    for (int i = 0; i < 1000; ++i) {
      std::string s = i % 4 == 3 ? "\xB6\xCB\xBF\xDA " + std::to_string(i) : "Item " + std::to_string(i);
      Items.push_back({t.Next(kW - 60), t.Next(kH - 14), s, QString::fromStdU16String(GbkToUtf16(s))});
    }
  }
};

const TWork& Work() {
  static const TWork w;
  return w;
}

// This system's side.
struct TOurs {
  TBitmap Bitmap{kW, kH};
  TCanvas* C = Bitmap.Canvas();
  TOurs() {
    C->Font()->SetName("Tahoma");
  }
  void Rects() {
    int i = 0;
    for (const TRect& rc : Work().Rects) {
      C->Brush()->SetColor(kColors[i++ % 8]);
      C->FillRect(rc);
    }
  }
  void Lines() {
    int i = 0;
    for (const TRect& l : Work().Lines) {
      C->Pen()->SetColor(kColors[i++ % 8]);
      C->MoveTo(l.Left, l.Top);
      C->LineTo(l.Right, l.Bottom);
    }
  }
  void Strings() { DrawItems(Work().Items); }
  void DrawItems(const std::vector<TWork::TItem>& Items) {
    C->Brush()->SetStyle(bsClear);
    for (const auto& it : Items) C->TextOut(it.X, it.Y, it.Text);
  }
};

// QPainter on a QImage of the same pixel format (0xFFRRGGBB), with the font this
// system shows for "Tahoma" at the same pixel size.
struct TQt {
  QImage Image{kW, kH, QImage::Format_RGB32};
  QFont Font;
  QColor Colors[8];
  QPen Pens[8];
  TQt() {
    Image.fill(Qt::black);
    for (int i = 0; i < 8; ++i) {
      Colors[i] = QtColor(kColors[i]);
      Pens[i] = QPen(Colors[i], 0);  // cosmetic one-pixel pen, QPainter's fastest
    }
    Font.setFamilies({"DejaVu Sans", "WenQuanYi Micro Hei"});
    Font.setPixelSize(11);
    Font.setKerning(false);
  }
  void Rects() {
    QPainter p(&Image);
    int i = 0;
    for (const TRect& rc : Work().Rects) p.fillRect(QRect(rc.Left, rc.Top, rc.Width(), rc.Height()), Colors[i++ % 8]);
  }
  void Lines() {
    QPainter p(&Image);
    int i = 0;
    for (const TRect& l : Work().Lines) {
      p.setPen(Pens[i++ % 8]);
      p.drawLine(l.Left, l.Top, l.Right, l.Bottom);
    }
  }
  void Strings() { DrawItems(Work().Items); }
  void DrawItems(const std::vector<TWork::TItem>& Items) {
    QPainter p(&Image);
    p.setFont(Font);
    p.setPen(Qt::black);
    QFontMetrics m(Font);
    for (const auto& it : Items) p.drawText(it.X, it.Y + m.ascent(), it.QText);
  }
  // The same strings laid out once as QStaticText (Qt's way to draw a text that
  // does not change again and again) and drawn from there.
  std::vector<QStaticText> Static;
  void StaticStrings() {
    if (Static.empty())
      for (const auto& it : Work().Items) {
        QStaticText t(it.QText);
        t.setTextFormat(Qt::PlainText);
        t.prepare(QTransform(), Font);
        Static.push_back(t);
      }
    QPainter p(&Image);
    p.setFont(Font);
    p.setPen(Qt::black);
    size_t i = 0;
    for (const auto& it : Work().Items) p.drawStaticText(QPointF(it.X, it.Y), Static[i++]);
  }
};

TOurs& OurSide() {
  static TOurs o;
  return o;
}
TQt& QtSide() {
  static TQt q;
  return q;
}

template <void (TOurs::*F)()>
void BM_Ours(benchmark::State& State, int Items) {
  TOurs& o = OurSide();
  for (auto _ : State) {
    (o.*F)();
    benchmark::DoNotOptimize(o.Bitmap.Handle());
  }
  State.SetItemsProcessed(State.iterations() * Items);
}
template <void (TQt::*F)()>
void BM_Qt(benchmark::State& State, int Items) {
  TQt& q = QtSide();
  for (auto _ : State) {
    (q.*F)();
    benchmark::DoNotOptimize(q.Image.constBits());
  }
  State.SetItemsProcessed(State.iterations() * Items);
}

void FillRectangles(benchmark::State& S) { BM_Ours<&TOurs::Rects>(S, 10000); }
void FillRectanglesQPainter(benchmark::State& S) { BM_Qt<&TQt::Rects>(S, 10000); }
void DrawLines(benchmark::State& S) { BM_Ours<&TOurs::Lines>(S, 10000); }
void DrawLinesQPainter(benchmark::State& S) { BM_Qt<&TQt::Lines>(S, 10000); }
void DrawStrings(benchmark::State& S) { BM_Ours<&TOurs::Strings>(S, 1000); }
void DrawStringsQPainter(benchmark::State& S) { BM_Qt<&TQt::Strings>(S, 1000); }
void DrawStringsQStaticText(benchmark::State& S) { BM_Qt<&TQt::StaticStrings>(S, 1000); }

BENCHMARK(FillRectangles)->Unit(benchmark::kMillisecond);
BENCHMARK(FillRectanglesQPainter)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawLines)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawLinesQPainter)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawStrings)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawStringsQPainter)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawStringsQStaticText)->Unit(benchmark::kMillisecond);

// The best time of Rounds interleaved runs of each side.
struct TFigure {
  double Mine = 0, Theirs = 0;  // seconds
  double Ratio() const { return Mine / Theirs; }
};

TFigure Measure(const std::function<void()>& Mine, const std::function<void()>& Theirs, int Rounds) {
  using clock = std::chrono::steady_clock;
  auto once = [](const std::function<void()>& F) {
    auto t0 = clock::now();
    F();
    return std::chrono::duration<double>(clock::now() - t0).count();
  };
  TFigure f{1e9, 1e9};
  for (int i = 0; i < Rounds; ++i) {
    f.Mine = std::min(f.Mine, once(Mine));
    f.Theirs = std::min(f.Theirs, once(Theirs));
  }
  return f;
}

void PrintRatios() {
  TOurs& o = OurSide();
  TQt& q = QtSide();
  constexpr int kRounds = 30;
  TFigure rects = Measure([&] { o.Rects(); }, [&] { q.Rects(); }, kRounds);
  TFigure lines = Measure([&] { o.Lines(); }, [&] { q.Lines(); }, kRounds);
  TFigure strings = Measure([&] { o.Strings(); }, [&] { q.Strings(); }, kRounds);
  TFigure statics = Measure([&] { o.Strings(); }, [&] { q.StaticStrings(); }, kRounds);
  // Strings drawn for the first time (a set per round, each side its own copy).
  std::vector<std::vector<TWork::TItem>> fresh;
  for (int i = 0; i < 2 * kRounds; ++i) fresh.push_back(TWork::FreshItems(i));
  int mine = 0, theirs = kRounds;
  TFigure first = Measure([&] { o.DrawItems(fresh[mine++]); }, [&] { q.DrawItems(fresh[theirs++]); }, kRounds);
  std::printf("\nTime against QPainter on a QImage (best of %d interleaved rounds; ratio < 1 is faster):\n", kRounds);
  std::printf("  %-44s %9s %9s %8s  %s\n", "case (peer)", "ours ms", "peer ms", "ratio", "goal");
  auto row = [](const char* Name, const TFigure& F, const char* Goal) {
    std::printf("  %-44s %9.3f %9.3f %7.2fx  %s\n", Name, F.Mine * 1e3, F.Theirs * 1e3, F.Ratio(), Goal);
  };
  row("10,000 filled rectangles (fillRect)", rects, "<= 1.2x");
  row("10,000 lines (drawLine)", lines, "<= 0.38x, as before");
  row("1,000 short strings, cached (drawText)", strings, "<= 1.5x");
  row("1,000 short strings, cached (QStaticText)", statics, "for information");
  row("1,000 short strings, first drawing (drawText)", first, "<= 2x");
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintRatios();
  return 0;
}
