// Runs every benchmark of the framed-control library and prints, for each case
// measured both ways, the ratio of the library's time to Qt's (and to the layer's
// own control's). A case registers "<Case>/Framed" with "<Case>/Qt" and/or
// "<Case>/Platform".
//   build/bench/controls/bench_controls
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

class TRatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& Reports) override {
    ConsoleReporter::ReportRuns(Reports);
    for (const Run& r : Reports) {
      if (r.run_type != Run::RT_Iteration || r.iterations == 0) continue;
      std::string name = r.benchmark_name();
      size_t slash = name.rfind('/');
      if (slash == std::string::npos) continue;
      Times[name.substr(0, slash)][name.substr(slash + 1)] = r.GetAdjustedRealTime();
    }
  }
  void PrintRatios() const {
    for (const auto& [name, halves] : Times) {
      auto f = halves.find("Framed");
      if (f == halves.end()) continue;
      for (const char* other : {"Platform", "Qt"}) {
        auto q = halves.find(other);
        if (q == halves.end() || q->second <= 0) continue;
        std::printf("%s: framed / %s = %.2f\n", name.c_str(), other, f->second / q->second);
      }
    }
  }

private:
  std::map<std::string, std::map<std::string, double>> Times;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
