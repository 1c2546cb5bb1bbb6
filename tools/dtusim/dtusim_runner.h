#pragma once
// One run of the terminal simulator (tools/dtusim) for tests and benchmarks: its own
// device map, log and dump under a temporary folder; ready once it has printed its
// port and device. Link the target dtusim_runner, which gives DTUSIM_PATH (the
// program's path) and builds dtusim first.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/devicemap.h"

extern char** environ;

#ifdef DTUSIM_PATH
namespace dtusim_test {

inline std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// One dtusim process with its own device map (or the one under MapHome), log and
// dump under a temporary folder. Ready once it has printed its port and device:
// the constructor waits for that unless told not to (then call WaitReady).
class TSim {
public:
  explicit TSim(const std::vector<std::string>& Args, const std::string& MapHome = "", bool Wait = true) {
    char tmpl[] = "/tmp/dtusim-test-XXXXXX";
    Dir = mkdtemp(tmpl);
    const std::string home = MapHome.empty() ? Dir : MapHome;
    TSerialDeviceMap::SetPathOverride(home + "/dtu-config/serial-ports.ini");
    std::vector<std::string> args = {DTUSIM_PATH, "--log", Dir + "/log.txt", "--dump", Dir + "/dump.json"};
    args.insert(args.end(), Args.begin(), Args.end());
    std::vector<std::string> env = {"XDG_CONFIG_HOME=" + home};
    for (char** e = environ; *e; ++e)
      if (std::strncmp(*e, "XDG_CONFIG_HOME=", 16) != 0) env.push_back(*e);
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    for (auto& e : env) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("dtusim: no pipe for its output");
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addopen(&fa, 2, (Dir + "/stderr.txt").c_str(), O_WRONLY | O_CREAT, 0600);
    int spawned = posix_spawn(&Pid, DTUSIM_PATH, &fa, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    if (spawned != 0) {
      Pid = -1;
      close(out[0]);
      TSerialDeviceMap::SetPathOverride("");
      std::filesystem::remove_all(Dir);
      throw std::runtime_error(std::string("dtusim cannot be started: ") + std::strerror(spawned));
    }
    Out = out[0];
    if (Wait) WaitReady();
  }
  // Reads the first line: "PORT DEVICE", or nothing when the program ended.
  void WaitReady() {
    if (Out < 0) return;
    std::string line;
    char c;
    pollfd p{Out, POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&p, 1, 10000) > 0 && read(Out, &c, 1) == 1) line += c;
    close(Out);
    Out = -1;
    std::istringstream words(line);
    words >> Port >> Device;
  }
  ~TSim() {
    if (Out >= 0) close(Out);
    if (Pid > 0) Stop();
    TSerialDeviceMap::SetPathOverride("");
    std::filesystem::remove_all(Dir);
  }
  // Ends the program with Sig (none: waits for it to end by itself); its exit status.
  int Stop(int Sig = SIGTERM) {
    if (Sig) kill(Pid, Sig);
    int status = -1;
    pid_t done = 0;
    // Up to ten seconds for it to end (a generous bound, not a timing test).
    for (int i = 0; i < 10000 && (done = waitpid(Pid, &status, WNOHANG)) == 0; ++i) usleep(1000);
    if (done == 0) {
      kill(Pid, SIGKILL);
      waitpid(Pid, &status, 0);
    }
    Pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Dump() const { return ReadFile(Dir + "/dump.json"); }
  std::string Log() const { return ReadFile(Dir + "/log.txt"); }
  std::string Errors() const { return ReadFile(Dir + "/stderr.txt"); }

  std::string Dir, Port, Device;
  pid_t Pid = -1;
  int Out = -1;  // its standard output until the first line is read
};

}  // namespace dtusim_test
#endif  // DTUSIM_PATH
