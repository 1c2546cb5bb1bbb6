// The main of every test binary: each run gets a fresh HOME and XDG configuration
// folders of its own, removed again at the end, so nothing a test (or Qt on its
// behalf) writes under the user's home reaches the real one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/dtu-test-home-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    std::perror("cannot make a temporary home");
    return 1;
  }
  const std::string home = pattern;
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
  setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
  testing::InitGoogleTest(&argc, argv);
  int status = RUN_ALL_TESTS();
  std::error_code ec;
  std::filesystem::remove_all(home, ec);
  return status;
}
