// Runs every benchmark of the framed-control library and prints, for each case
// measured both ways, the ratio of the library's time to Qt's. A case registers
// its two halves as "<Case>/Framed" and "<Case>/Qt" (or "<Case>/Platform" against
// the platform layer's own control).
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
      for (const char* other : {"Qt", "Platform"}) {
        auto q = halves.find(other);
        if (f == halves.end() || q == halves.end() || q->second <= 0) continue;
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
