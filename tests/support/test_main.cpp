// The main of every test binary: each run gets a fresh HOME and XDG configuration
// folders of its own, removed again at the end, so nothing a test (or Qt on its
// behalf) writes under the user's home reaches the real one.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {
std::string GHome;
pid_t GOwner = 0;

// At any normal end (a test may call exit), by the process that made the folder
// only: a forked child that ends must not take its parent's home away.
void RemoveHome() {
  if (getpid() != GOwner || GHome.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(GHome, ec);
}
}  // namespace

int main(int argc, char** argv) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/dtu-test-home-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    std::perror("cannot make a temporary home");
    return 1;
  }
  GHome = pattern;
  GOwner = getpid();
  std::atexit(RemoveHome);
  setenv("HOME", GHome.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (GHome + "/.config").c_str(), 1);
  setenv("XDG_CACHE_HOME", (GHome + "/.cache").c_str(), 1);
  setenv("XDG_DATA_HOME", (GHome + "/.local/share").c_str(), 1);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
