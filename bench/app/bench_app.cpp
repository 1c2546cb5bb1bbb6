// Time to open (read + decode) and save a 1000-variable project, and to export it
// (against libxlsxwriter called from C with the same cells, fsync and rename); then,
// given a display, the time from starting the program to its mapped main window and
// its memory and threads at idle, against a minimal Qt window with one Chinese
// label. Each figure is printed with its peer and the ratio at the end.
//   build/bench/app/bench_app --benchmark_repetitions=5
//   xvfb-run -a build/bench/app/bench_app     (with the start-up figures;
//   BENCH_DTU_CONFIG=<program> starts another build of the program instead)
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

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

// The same workbook written by a C program with libxlsxwriter: the same cells (its
// texts already UTF-8, as a C program would hold them) into a temporary file that
// is flushed and renamed over the target, and the folder flushed.
void BM_ExportWorkbookLibxlsxwriter(benchmark::State& State) {
  TProjectData d = FullProject();
  std::vector<std::vector<std::string>> rows;
  rows.emplace_back();
  for (int c = 1; c <= ExportColumns; ++c) rows.back().push_back(GbkToUtf8(ExportHeading(c)));
  for (const TVarRecord& r : d.Vars) {
    rows.emplace_back();
    for (int c = 1; c <= ExportColumns; ++c) rows.back().push_back(GbkToUtf8(ExportCellText(r, c)));
  }
  std::string path = (Dir() / "peer.xlsx").string(), temp = (Dir() / ".peer.xlsx.tmp").string();
  for (auto _ : State) {
    lxw_workbook* book = workbook_new(temp.c_str());
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Sheet1");
    for (size_t r = 0; r < rows.size(); ++r)
      for (size_t c = 0; c < rows[r].size(); ++c)
        if (!rows[r][c].empty())
          worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c), rows[r][c].c_str(),
                                 nullptr);
    workbook_close(book);
    int fd = open(temp.c_str(), O_RDONLY | O_CLOEXEC);
    fsync(fd);
    close(fd);
    std::rename(temp.c_str(), path.c_str());
    int dir = open(Dir().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    fsync(dir);
    close(dir);
  }
}
BENCHMARK(BM_ExportWorkbookLibxlsxwriter)->Unit(benchmark::kMillisecond);

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

// ---------------------------------------------------------------------------
// Start-up and idle memory, measured from outside: the program is started with a
// HOME of its own, the time until X maps its first top-level window is taken, and
// two seconds later its resident memory and thread count are read from /proc.
// ---------------------------------------------------------------------------

struct TStart {
  double Ms = 0;
  long RssKb = 0;
  long Threads = 0;
};

long StatusField(pid_t Pid, const char* Field) {
  std::ifstream in("/proc/" + std::to_string(Pid) + "/status");
  std::string line;
  size_t n = std::strlen(Field);
  while (std::getline(in, line))
    if (line.compare(0, n, Field) == 0 && line.size() > n && line[n] == ':') return std::atol(line.c_str() + n + 1);
  return -1;
}

// Seconds on the monotonic clock (<chrono> does not build with GBK literals).
double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// Starts Argv with its own HOME and waits for a top-level window to be mapped. The
// one connection X stays open through all runs: a server left without clients
// resets itself and refuses connections meanwhile.
bool StartOnce(xcb_connection_t* x, const std::vector<std::string>& Argv, TStart& Out) {
  while (xcb_generic_event_t* old = xcb_poll_for_event(x)) std::free(old);  // the last run's
  xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
  std::filesystem::path home = Dir() / "home";
  std::filesystem::create_directories(home / "config");
  double t0 = Now();
  pid_t pid = fork();
  if (pid == 0) {
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    unsetenv("QT_QPA_PLATFORM");
    std::vector<char*> args;
    for (const std::string& a : Argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  // Until the window is mapped, the program ends or 30 s have passed.
  bool mapped = false;
  while (!mapped && Now() - t0 < 30 && waitpid(pid, nullptr, WNOHANG) == 0) {
    pollfd p{xcb_get_file_descriptor(x), POLLIN, 0};
    poll(&p, 1, 10);
    while (xcb_generic_event_t* e = xcb_poll_for_event(x)) {
      if ((e->response_type & 0x7F) == XCB_MAP_NOTIFY) {
        auto* m = reinterpret_cast<xcb_map_notify_event_t*>(e);
        mapped = mapped || (m->event == root && !m->override_redirect);
      }
      std::free(e);
    }
  }
  Out.Ms = (Now() - t0) * 1e3;
  sleep(2);
  Out.RssKb = StatusField(pid, "VmRSS");
  Out.Threads = StatusField(pid, "Threads");
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return mapped;
}

double Median(std::vector<double> V) {
  std::sort(V.begin(), V.end());
  return V.empty() ? 0 : V[V.size() / 2];
}

void PrintStartFigures() {
#if defined(DTU_CONFIG_PATH) && defined(PEER_WINDOW_PATH)
  if (!std::getenv("DISPLAY")) {
    std::printf("\nstart-up and idle memory: no X display (run under xvfb-run -a)\n");
    return;
  }
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x)) {
    std::printf("\nstart-up and idle memory: cannot connect to the X display\n");
    xcb_disconnect(x);
    return;
  }
  xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
  uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(x);
  constexpr int kRuns = 5;
  std::vector<double> ms[2], rss[2], threads[2];
  // BENCH_DTU_CONFIG names another build of the program to start (to compare builds).
  const char* program = std::getenv("BENCH_DTU_CONFIG");
  const std::vector<std::string> argv[2] = {{program ? program : DTU_CONFIG_PATH}, {PEER_WINDOW_PATH}};
  for (int i = 0; i < kRuns; ++i)
    for (int side = 0; side < 2; ++side) {
      TStart s;
      if (!StartOnce(x, argv[side], s)) {
        std::printf("\nstart-up: no window was mapped (%s)\n", argv[side][0].c_str());
        xcb_disconnect(x);
        return;
      }
      ms[side].push_back(s.Ms);
      rss[side].push_back(static_cast<double>(s.RssKb) / 1024);
      threads[side].push_back(static_cast<double>(s.Threads));
    }
  std::printf("\n%-44s %10s %10s %8s  %s\n", "start-up (median of 5; peer: Qt window, one label)", "program",
              "peer", "ratio", "goal");
  auto row = [](const char* Name, const std::vector<double>& A, const std::vector<double>& B, const char* Goal) {
    double a = Median(A), b = Median(B);
    std::printf("%-44s %10.1f %10.1f %7.2fx  %s\n", Name, a, b, a / b, Goal);
  };
  row("start to a mapped main window, ms", ms[0], ms[1], "<= 1.3x");
  row("resident memory 2 s later, MB", rss[0], rss[1], "<= 1.3x");
  row("threads 2 s later", threads[0], threads[1], "");
  xcb_disconnect(x);
#endif
}

// Prints each figure that has a peer in this file with the peer and the ratio.
class TPeerReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& Reports) override {
    ConsoleReporter::ReportRuns(Reports);
    for (const Run& r : Reports)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0) {
        Times[r.run_name.function_name].push_back(r.GetAdjustedRealTime());
        CpuTimes[r.run_name.function_name].push_back(r.GetAdjustedCPUTime());
      }
  }
  void PrintRatios() const {
    struct TPair {
      const char *Name, *Mine, *Peer, *Goal;
    };
    const TPair pairs[] = {
        {"workbook export, 1,000 variables (libxlsxwriter from C)", "BM_ExportWorkbook",
         "BM_ExportWorkbookLibxlsxwriter", "<= 1.1x"},
    };
    // Wall time (the goal's figure) and processor time (which the two flushes to
    // disk, the larger part of the wall time, do not sway).
    std::printf("\n%-58s %9s %9s %7s  %9s %9s %7s  %s\n", "figure (peer)", "ms", "peer ms", "ratio", "cpu ms",
                "peer cpu", "ratio", "goal");
    for (const TPair& p : pairs) {
      auto a = Times.find(p.Mine), b = Times.find(p.Peer);
      if (a == Times.end() || b == Times.end()) continue;
      double x = Median(a->second), y = Median(b->second);
      double cx = Median(CpuTimes.at(p.Mine)), cy = Median(CpuTimes.at(p.Peer));
      std::printf("%-58s %9.2f %9.2f %6.2fx  %9.2f %9.2f %6.2fx  %s\n", p.Name, x, y, x / y, cx, cy, cx / cy, p.Goal);
    }
  }

private:
  std::map<std::string, std::vector<double>> Times, CpuTimes;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TPeerReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  PrintStartFigures();
  std::filesystem::remove_all(Dir());
  return 0;
}
