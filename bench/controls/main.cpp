// Runs every benchmark of the framed-control library and prints, for each case
// measured both ways, the library's time, its peer's (Qt's and/or the layer's own
// control's) and their ratio, with the goal where the case has one. A case
// registers "<Case>/Framed" with "<Case>/Qt" and/or "<Case>/Platform". With
// --benchmark_repetitions=N each figure is the median of the N runs.
//   build/bench/controls/bench_controls --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// Goals (ratio framed / peer at most).
const std::map<std::string, double> kGoals = {
    {"Buttons/Platform", 1.3}, {"Edits/Platform", 1.3},     {"Gradient640x480/Qt", 1.5},
    {"Lists/Qt", 1.5}, {"ListsOnForm/Qt", 1.5},
};

double Median(std::vector<double> V) {
  std::sort(V.begin(), V.end());
  size_t n = V.size();
  return n % 2 ? V[n / 2] : (V[n / 2 - 1] + V[n / 2]) / 2;
}

class TRatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& Reports) override {
    ConsoleReporter::ReportRuns(Reports);
    for (const Run& r : Reports) {
      if (r.run_type != Run::RT_Iteration || r.iterations == 0) continue;
      std::string name = r.run_name.function_name;
      size_t slash = name.rfind('/');
      if (slash == std::string::npos) continue;
      // Times in milliseconds whatever unit the case reports in.
      double ms = r.GetAdjustedRealTime() * benchmark::GetTimeUnitMultiplier(benchmark::kMillisecond) /
                  benchmark::GetTimeUnitMultiplier(r.time_unit);
      Times[name.substr(0, slash)][name.substr(slash + 1)].push_back(ms);
    }
  }
  void PrintRatios() const {
    std::printf("\n%-32s %12s %12s %9s %7s  %s\n", "case / peer", "framed ms", "peer ms", "ratio", "goal", "runs");
    for (const auto& [name, halves] : Times) {
      auto f = halves.find("Framed");
      if (f == halves.end()) continue;
      double mine = Median(f->second);
      for (const char* other : {"Platform", "Qt"}) {
        auto q = halves.find(other);
        if (q == halves.end()) continue;
        double theirs = Median(q->second);
        if (theirs <= 0) continue;
        std::string key = name + "/" + other;
        auto goal = kGoals.find(key);
        char g[16] = "";
        if (goal != kGoals.end()) std::snprintf(g, sizeof g, "<=%.1f", goal->second);
        std::printf("%-32s %12.3f %12.3f %8.2fx %7s  %zu\n", key.c_str(), mine, theirs, mine / theirs, g,
                    f->second.size());
      }
    }
  }

private:
  std::map<std::string, std::map<std::string, std::vector<double>>> Times;
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
