// Reading a large serial device map: the map's entries, one name lookup, and the
// whole port list as serial-ports and the port combo build it.
// Usage: bench_devicemap [lines]   (default 50000)
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32/devicemap.h"
#include "serial/portlist.h"

namespace {
using Clock = std::chrono::steady_clock;
double Ms(Clock::duration D) { return std::chrono::duration<double, std::milli>(D).count(); }
}  // namespace

int main(int argc, char** argv) {
  const int lines = argc > 1 ? std::atoi(argv[1]) : 50000;
  char tmpl[] = "/tmp/bench-devicemap-XXXXXX";
  const std::string dir = mkdtemp(tmpl);
  const std::string file = dir + "/serial-ports.ini";
  {
    // Every entry names a device that exists, so each one reaches the port list.
    std::ofstream out(file);
    for (int i = 1; i <= lines; ++i) out << "COM" << i << "=/dev/null   # entry " << i << "\n";
  }
  TSerialDeviceMap::SetPathOverride(file);

  auto t0 = Clock::now();
  TSerialDeviceMap map;
  auto t1 = Clock::now();
  size_t entries = map.Entries().size();
  auto t2 = Clock::now();
  bool found = map.Find("COM" + std::to_string(lines / 2)).has_value();
  auto t3 = Clock::now();
  TCommSerialPortInfo ports;
  auto t4 = Clock::now();

  std::printf("device map of %d lines: read %.1f ms, entries (%zu) %.1f ms, one lookup (%s) %.3f ms\n", lines,
              Ms(t1 - t0), entries, Ms(t2 - t1), found ? "found" : "missing", Ms(t3 - t2));
  std::printf("port list (%d ports)               %.1f ms\n", ports.List()._FGetSPCount(), Ms(t4 - t3));
  TSerialDeviceMap::SetPathOverride("");
  std::filesystem::remove_all(dir);
  return 0;
}
