// Time to open (read + decode) and save a 1000-variable project, and to export it.
//   build/bench/app/bench_app
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "app/DeviceCommands.h"
#include "app/ProjectFile.h"
#include "app/Unitmain.h"
#include "app/Unitmodify.h"
#include "app/Unitnew.h"
#include "app/Workbook.h"
#include "platform/controls/modal.h"
#include "platform/core/gbk.h"
#include "platform/win32/clock.h"
#include "serial/kxcommdevice.h"
#include "tools/dtusim/dtusim_runner.h"

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

// The main window's open and save commands on a full table: reading, checking and
// applying the file, refilling the list view; collecting the settings and writing.
void BM_OpenProjectIntoTheWindow(benchmark::State& State) {
  std::string path = Utf8ToGbk((Dir() / "window.cloud").string());
  WriteProjectFile(path, FullProject());
  TScriptedModalRunner runner;
  FormMain = new TFormMain(nullptr);
  for (auto _ : State) {
    runner.AnswerFileDialog({path});
    FormMain->NOpenClick(nullptr);
  }
  State.counters["rows"] = VarCount;
  delete FormMain;
  FormMain = nullptr;
}
BENCHMARK(BM_OpenProjectIntoTheWindow)->Unit(benchmark::kMillisecond);

void BM_SaveProjectFromTheWindow(benchmark::State& State) {
  std::string path = Utf8ToGbk((Dir() / "window.cloud").string());
  WriteProjectFile(path, FullProject());
  TScriptedModalRunner runner;
  FormMain = new TFormMain(nullptr);
  runner.AnswerFileDialog({path});
  FormMain->NOpenClick(nullptr);
  for (auto _ : State) FormMain->NSaveClick(nullptr);
  delete FormMain;
  FormMain = nullptr;
}
BENCHMARK(BM_SaveProjectFromTheWindow)->Unit(benchmark::kMillisecond);

#ifdef DTUSIM_PATH
// One command through the exchange against the simulator, which answers at once:
// what the exchange adds beyond the device's reply (its first read comes 200 ms
// after the write).
void BM_CommandExchange(benchmark::State& State) {
  dtusim_test::TSim sim({"--port", "COM61"});
  TKxCommDevice device(nullptr);
  device.SetPortParams("COM61,9600,N,8,1");
  device.SetActive(true);
  device.SetUsePackage(false);
  struct TPort : TCommandPort {
    TKxCommDevice& D;
    explicit TPort(TKxCommDevice& Dev) : D(Dev) {}
    bool Active() override { return D.Active(); }
    void PurgeRead() override { D.PurgeRead(false); }
    int Write(const char* B, int N) override { return D.Write(B, N); }
    int Read(char* B, int N) override { return D.Read(B, N); }
  } port(device);
  TCommandTiming timing{[](uint32_t Ms) { Sleep(Ms); }, [] { return GetTickCount(); }};
  SendCommandWaitOK(port, CmdEnterConfig, ReplyConfigMode, "", timing);
  for (auto _ : State) benchmark::DoNotOptimize(SendCommandWaitOK(port, "AT+CSQ?\r\n", "OK", "ERROR", timing));
  device.SetActive(false);
}
BENCHMARK(BM_CommandExchange)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
#endif

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  std::filesystem::remove_all(Dir());
  return 0;
}
