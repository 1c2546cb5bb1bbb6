#pragma once
// A desktop of its own for a test: user and system data and config folders under a
// temporary folder, named by the XDG variables while the fixture lives.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

class TTempDesktop {
public:
  TTempDesktop() {
    char tmpl[] = "/tmp/dtu-desktop-XXXXXX";
    Root = mkdtemp(tmpl);
    Set("XDG_DATA_HOME", Root + "/user");
    Set("XDG_DATA_DIRS", Root + "/sys1:" + Root + "/sys2");
    Set("XDG_CONFIG_HOME", Root + "/config");
    Set("XDG_CONFIG_DIRS", Root + "/etc");
    Write("sys1/mime/globs2", "# weight:type:glob\n50:text/html:*.htm\n50:text/html:*.html\n"
                              "50:text/plain:*.txt\n10:text/x-readme:README*\n60:text/x-special:*.special.txt\n");
  }
  ~TTempDesktop() {
    for (auto& [name, old] : Saved) {
      if (old.first) setenv(name.c_str(), old.second.c_str(), 1);
      else unsetenv(name.c_str());
    }
    std::filesystem::remove_all(Root);
  }
  TTempDesktop(const TTempDesktop&) = delete;
  TTempDesktop& operator=(const TTempDesktop&) = delete;
  // Writes a file under the root (folders made as needed).
  void Write(const std::string& Rel, const std::string& Text) {
    std::filesystem::path p = std::filesystem::path(Root) / Rel;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p) << Text;
  }
  // A desktop entry in a data folder ("user", "sys1", "sys2").
  void App(const std::string& Folder, const std::string& File, const std::string& Name, const std::string& Exec,
           const std::string& Types, const std::string& Extra = "") {
    Write(Folder + "/applications/" + File, "[Desktop Entry]\nType=Application\nName=" + Name + "\nExec=" + Exec +
                                                "\nMimeType=" + Types + "\n" + Extra);
  }
  // Puts a stand-in for the desktop's opener (xdg-open) first on PATH: it writes
  // its arguments, one a line, to <Root>/opened and, after Seconds (holding none of
  // the test's output), exits with ExitCode. A negative ExitCode leaves PATH with no opener at all.
  void Opener(int ExitCode, int Seconds = 0) {
    std::filesystem::create_directories(Root + "/bin");
    if (ExitCode < 0) {
      Set("PATH", Root + "/bin");
      return;
    }
    Write("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + Root + "/opened'\nexec >/dev/null 2>&1\nsleep " +
                              std::to_string(Seconds) + "\nexit " + std::to_string(ExitCode) + "\n");
    std::filesystem::permissions(Root + "/bin/xdg-open", std::filesystem::perms::owner_all);
    if (!Saved.count("PATH")) Set("PATH", Root + "/bin:" + std::getenv("PATH"));
  }
  // What the stand-in opener was given.
  std::string Opened() const {
    std::ifstream in(Root + "/opened");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string Root;

private:
  void Set(const std::string& Name, const std::string& Value) {
    const char* old = std::getenv(Name.c_str());
    Saved[Name] = {old != nullptr, old ? old : ""};
    setenv(Name.c_str(), Value.c_str(), 1);
  }
  std::map<std::string, std::pair<bool, std::string>> Saved;
};
