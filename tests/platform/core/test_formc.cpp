// The form compiler, run as a program on a form whose path holds control bytes.
#include <gtest/gtest.h>

#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifdef FORMC_PATH
extern char** environ;

namespace {

int RunProgram(std::vector<std::string> Args) {
  std::vector<char*> argv;
  for (auto& a : Args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A newline in an input path would end the comment that names it and make the
// rest of the path code; a trailing backslash would splice the next line into it.
TEST(Formc, ControlBytesOfAnInputPathNeverReachTheGeneratedCode) {
  char tmpl[] = "/tmp/formc-test-XXXXXX";
  const std::string dir = mkdtemp(tmpl);
  const std::string form = dir + "/a\nint injected = 1;\r\t\x7f\\";
  std::filesystem::copy_file(std::string(DTU_TEST_DATA_DIR) + "/TFormFilerTest.form", form);
  const std::string out = dir + "/forms.cpp";
  ASSERT_EQ(RunProgram({FORMC_PATH, "--cpp", out, form}), 0);
  std::ifstream in(out);
  std::string line;
  std::vector<std::string> comments;
  while (std::getline(in, line)) {
    EXPECT_NE(line, "int injected = 1;");
    EXPECT_TRUE(line.empty() || line.back() != '\\') << line;
    if (line.rfind("// \"", 0) == 0) comments.push_back(line);
  }
  EXPECT_EQ(comments, std::vector<std::string>{"// \"TFormFilerTest\" from \"" + dir + "/aint injected = 1;\\\""});
  std::filesystem::remove_all(dir);
}

}  // namespace
#endif  // FORMC_PATH
