// Saving and loading the frame controller's 18 settings through an ini file (a
// save replaces the file once, atomically, under its lock, and reaches the disk; a
// load reads it once) against QSettings writing and reading the same 18 values in
// its ini format, synced once per save.
#include <benchmark/benchmark.h>

#include <QSettings>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "controls/common/framecontroller.h"

namespace {

std::string TempFolder() {
  char tmpl[] = "/tmp/bench-settings-XXXXXX";
  return mkdtemp(tmpl);
}

void SettingsSaveLoad_Framed(benchmark::State& State) {
  std::string dir = TempFolder();
  TQvRegIniFile ini(nullptr);
  ini.SetPath(dir + "/frames.ini");
  TQvFrameController fc(nullptr);
  fc.SetRegIniFile(&ini);
  for (auto _ : State) {
    fc.Save("Framing");
    fc.Load("Framing");
  }
  State.SetItemsProcessed(State.iterations() * 18);
  fc.SetRegIniFile(nullptr);
  std::filesystem::remove_all(dir);
}

void SettingsSaveLoad_Qt(benchmark::State& State) {
  std::string dir = TempFolder();
  QSettings s(QString::fromStdString(dir + "/frames.ini"), QSettings::IniFormat);
  const char* names[] = {"Color", "FlatButtonColor", "FlatButtons", "DisabledColor", "ReadOnlyColor",
                         "ReadOnlyColorOnFocus", "FocusColor", "FrameColor", "FrameHotColor",
                         "FrameHotStyle", "FrameHotTrack", "FrameSides_Left", "FrameSides_Top",
                         "FrameSides_Right", "FrameSides_Bottom", "FrameStyle", "FrameVisible",
                         "FramingPreference"};
  for (auto _ : State) {
    s.beginGroup("Framing");
    int n = 0;
    for (const char* name : names) s.setValue(name, n++);
    s.endGroup();
    s.sync();
    int sum = 0;
    s.beginGroup("Framing");
    for (const char* name : names) sum += s.value(name, 0).toInt();
    s.endGroup();
    benchmark::DoNotOptimize(sum);
  }
  State.SetItemsProcessed(State.iterations() * 18);
  std::filesystem::remove_all(dir);
}

}  // namespace

BENCHMARK(SettingsSaveLoad_Framed)->Name("SettingsSaveLoad/Framed")->Unit(benchmark::kMicrosecond);
BENCHMARK(SettingsSaveLoad_Qt)->Name("SettingsSaveLoad/Qt")->Unit(benchmark::kMicrosecond);
