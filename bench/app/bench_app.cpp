// Time to open (read + decode) and save a 1000-variable project, and to export it.
//   build/bench/app/bench_app
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "app/ProjectFile.h"
#include "app/Workbook.h"

namespace {

std::filesystem::path Dir() {
  static std::filesystem::path d = [] {
    auto p = std::filesystem::temp_directory_path() / ("dtu-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(p);
    return p;
  }();
  return d;
}

TProjectData FullProject() {
  TProjectData d;
  d.Vars.resize(MaxVarCount);
  for (int i = 0; i < MaxVarCount; ++i) {
    TVarRecord& r = d.Vars[static_cast<size_t>(i)];
    std::memset(&r, 0, sizeof r);
    SetVarTypeCode(r, i % 5);
    r.Address = static_cast<uint16_t>(i % 128);
    SetFieldText(r.Name, "V" + std::to_string(i));
    r.Store = 1;
    SetFieldText(r.Period, "5");
  }
  return d;
}

void BM_SaveProject(benchmark::State& State) {
  TProjectData d = FullProject();
  std::string path = (Dir() / "full.cloud").string();
  for (auto _ : State) benchmark::DoNotOptimize(WriteProjectFile(path, d));
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

void BM_OpenProject(benchmark::State& State) {
  std::string path = (Dir() / "open.cloud").string();
  WriteProjectFile(path, FullProject());
  for (auto _ : State) {
    TProjectData d;
    benchmark::DoNotOptimize(ReadProjectFile(path, d));
    ApplyProject(d);
  }
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond);

void BM_ExportWorkbook(benchmark::State& State) {
  TProjectData d = FullProject();
  std::string path = (Dir() / "full.xlsx").string();
  for (auto _ : State) {
    auto excel = TWorkbookAutomation::Create();
    ExportVariables(*excel, d.Vars.data(), static_cast<int>(d.Vars.size()), path);
  }
}
BENCHMARK(BM_ExportWorkbook)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  std::filesystem::remove_all(Dir());
  return 0;
}
