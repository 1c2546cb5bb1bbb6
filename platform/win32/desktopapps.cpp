// The desktop's applications for a kind of file (see desktopapps.h).
#include "platform/win32/desktopapps.h"

#include <fnmatch.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string Env(const char* Name) {
  const char* v = std::getenv(Name);
  return v ? v : "";
}

std::vector<std::string> Split(const std::string& S, char Sep) {
  std::vector<std::string> out;
  std::string cur;
  std::istringstream in(S);
  while (std::getline(in, cur, Sep))
    if (!cur.empty()) out.push_back(cur);
  return out;
}

// The base directories of one kind, most important first: the user's, then the
// system's list (its default when unset).
std::vector<std::string> BaseDirs(const char* HomeVar, const char* HomeDefault, const char* DirsVar,
                                  const char* DirsDefault) {
  std::vector<std::string> dirs;
  std::string home = Env(HomeVar);
  if (home.empty() && !Env("HOME").empty()) home = Env("HOME") + HomeDefault;
  if (!home.empty()) dirs.push_back(home);
  std::string list = Env(DirsVar);
  for (const std::string& d : Split(list.empty() ? DirsDefault : list, ':')) dirs.push_back(d);
  return dirs;
}

std::vector<std::string> DataDirs() {
  return BaseDirs("XDG_DATA_HOME", "/.local/share", "XDG_DATA_DIRS", "/usr/local/share:/usr/share");
}

std::vector<std::string> ConfigDirs() { return BaseDirs("XDG_CONFIG_HOME", "/.config", "XDG_CONFIG_DIRS", "/etc/xdg"); }

std::string Trim(const std::string& S) {
  size_t b = S.find_first_not_of(" \t\r"), e = S.find_last_not_of(" \t\r");
  return b == std::string::npos ? std::string() : S.substr(b, e - b + 1);
}

// The keys of the groups of a key file ("[Group]" lines, "Key=Value" lines).
using TKeyFile = std::map<std::string, std::map<std::string, std::string>>;

TKeyFile ReadKeyFile(const fs::path& Path) {
  TKeyFile groups;
  std::ifstream in(Path);
  std::string line, group;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      group = line.substr(1, line.size() - 2);
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos || group.empty()) continue;
    std::string key = Trim(line.substr(0, eq));
    if (!groups[group].count(key)) groups[group][key] = Trim(line.substr(eq + 1));
  }
  return groups;
}

// A string value's escapes: \s \n \t \r and \\.
std::string Unescape(const std::string& V) {
  std::string out;
  for (size_t i = 0; i < V.size(); ++i) {
    if (V[i] != '\\' || i + 1 == V.size()) {
      out += V[i];
      continue;
    }
    char c = V[++i];
    out += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
  }
  return out;
}

bool IsTrue(const std::string& V) { return V == "true" || V == "1"; }

// Every application entry on the search path by desktop-file ID, the first found
// of each ID winning, with the types it declares.
struct TEntry {
  TDesktopApp App;
  std::vector<std::string> Types;
  bool Hidden = false;
};

std::map<std::string, TEntry> ReadEntries() {
  std::map<std::string, TEntry> entries;
  for (const std::string& base : DataDirs()) {
    fs::path dir = fs::path(base) / "applications";
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) continue;
    for (auto it = fs::recursive_directory_iterator(dir, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (it->path().extension() != ".desktop" || !it->is_regular_file(ec)) continue;
      std::string id = fs::relative(it->path(), dir, ec).generic_string();
      std::replace(id.begin(), id.end(), '/', '-');
      if (entries.count(id)) continue;
      TKeyFile kf = ReadKeyFile(it->path());
      auto& g = kf["Desktop Entry"];
      TEntry e;
      e.App = {id, Unescape(g["Name"]), Unescape(g["Exec"]), Unescape(g["Icon"]), it->path().string()};
      e.Types = Split(g["MimeType"], ';');
      e.Hidden = IsTrue(g["Hidden"]) || (g.count("Type") && g["Type"] != "Application") || e.App.Exec.empty();
      entries[id] = e;
    }
  }
  return entries;
}

// The mimeapps.list files, most important first.
std::vector<fs::path> MimeAppsLists() {
  std::vector<fs::path> files;
  for (const std::string& d : ConfigDirs()) files.push_back(fs::path(d) / "mimeapps.list");
  for (const std::string& d : DataDirs()) files.push_back(fs::path(d) / "applications" / "mimeapps.list");
  return files;
}

}  // namespace

std::string MimeTypeOfName(const std::string& FileName) {
  std::string name = FileName.substr(FileName.find_last_of('/') == std::string::npos ? 0
                                                                                        : FileName.find_last_of('/') + 1);
  std::string best;
  int bestWeight = -1;
  size_t bestLength = 0;
  for (const std::string& base : DataDirs()) {
    std::ifstream in(fs::path(base) / "mime" / "globs2");
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::vector<std::string> f;
      std::string part;
      std::istringstream ls(line);
      while (std::getline(ls, part, ':')) f.push_back(part);
      if (f.size() < 3) continue;
      bool caseSensitive = f.size() > 3 && f[3].find("cs") != std::string::npos;
      int weight = std::atoi(f[0].c_str());
      const std::string& glob = f[2];
      if (fnmatch(glob.c_str(), name.c_str(), caseSensitive ? 0 : FNM_CASEFOLD) != 0) continue;
      if (weight > bestWeight || (weight == bestWeight && glob.size() > bestLength)) {
        best = f[1];
        bestWeight = weight;
        bestLength = glob.size();
      }
    }
    if (!best.empty()) break;  // the first folder that knows the name decides
  }
  return best;
}

std::vector<TDesktopApp> DesktopAppsForType(const std::string& MimeType) {
  std::vector<TDesktopApp> out;
  if (MimeType.empty()) return out;
  std::map<std::string, TEntry> entries = ReadEntries();
  std::set<std::string> removed, listed;
  // The lists were sifted through the removals as each file was read.
  auto take = [&](const std::string& Id) {
    auto it = entries.find(Id);
    if (it == entries.end() || it->second.Hidden || listed.count(Id)) return;
    listed.insert(Id);
    out.push_back(it->second.App);
  };
  std::vector<std::string> defaults, added;
  for (const fs::path& file : MimeAppsLists()) {
    TKeyFile kf = ReadKeyFile(file);
    // A file's removals hide what it and the less important files add (and what the
    // entries declare); what a more important file named stays.
    for (const std::string& id : Split(kf["Removed Associations"][MimeType], ';')) removed.insert(id);
    for (const std::string& id : Split(kf["Default Applications"][MimeType], ';'))
      if (!removed.count(id)) defaults.push_back(id);
    for (const std::string& id : Split(kf["Added Associations"][MimeType], ';'))
      if (!removed.count(id)) added.push_back(id);
  }
  for (const std::string& id : defaults) {
    size_t before = out.size();
    take(id);
    if (out.size() > before) break;  // the first installed default
  }
  for (const std::string& id : added) take(id);
  std::vector<TDesktopApp> declared;
  for (auto& [id, e] : entries)
    if (!e.Hidden && !removed.count(id) && !listed.count(id) &&
        std::find(e.Types.begin(), e.Types.end(), MimeType) != e.Types.end())
      declared.push_back(e.App);
  std::stable_sort(declared.begin(), declared.end(),
                   [](const TDesktopApp& A, const TDesktopApp& B) { return A.Name < B.Name; });
  out.insert(out.end(), declared.begin(), declared.end());
  return out;
}

namespace {

// One field code of an unquoted part; false for a code the format does not know.
bool ExpandCode(char Code, const TDesktopApp& App, const std::string& Target, std::string& Arg,
                std::vector<std::string>& Argv, bool Alone, bool& UsedTarget) {
  switch (Code) {
    case '%': Arg += '%'; return true;
    case 'f': case 'u': case 'F': case 'U':
      UsedTarget = true;
      Arg += Target;
      return true;
    case 'c': Arg += App.Name; return true;
    case 'k': Arg += App.Path; return true;
    case 'i':
      if (Alone && !App.Icon.empty()) {
        Argv.push_back("--icon");
        Arg += App.Icon;
      }
      return true;
    case 'd': case 'D': case 'n': case 'N': case 'v': case 'm': return true;  // deprecated: dropped
    default: return false;
  }
}

}  // namespace

bool ExpandExec(const TDesktopApp& App, const std::string& Target, std::vector<std::string>& Argv,
                std::string& Error) {
  Argv.clear();
  const std::string& s = App.Exec;
  bool usedTarget = false;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i == s.size()) break;
    std::string arg;
    bool quoted = false, any = false;
    size_t start = i;
    for (; i < s.size() && (quoted || (s[i] != ' ' && s[i] != '\t')); ++i) {
      char c = s[i];
      if (c == '"') {
        quoted = !quoted;
        any = true;
      } else if (quoted && c == '\\' && i + 1 < s.size() && std::strchr("\"`$\\", s[i + 1])) {
        arg += s[++i];
      } else if (!quoted && c == '%' && i + 1 < s.size()) {
        size_t end = i + 2;
        bool alone = start == i && (end == s.size() || s[end] == ' ' || s[end] == '\t');
        if (!ExpandCode(s[++i], App, Target, arg, Argv, alone, usedTarget)) {
          Error = "unknown field code in \"" + s + "\"";
          return false;
        }
        any = true;
      } else {
        arg += c;
      }
    }
    if (quoted) {
      Error = "unbalanced quotes in \"" + s + "\"";
      return false;
    }
    if (!arg.empty() || (any && s.find('"', start) < i)) Argv.push_back(arg);
  }
  if (Argv.empty()) {
    Error = "no program in \"" + s + "\"";
    return false;
  }
  if (!usedTarget) Argv.push_back(Target);
  return true;
}

bool StartDetached(const std::vector<std::string>& Argv, std::string& Error) {
  if (Argv.empty()) {
    Error = "no program";
    return false;
  }
  std::vector<char*> args;
  for (const std::string& a : Argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, args[0], nullptr, &attr, args.data(), environ);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) {
    Error = Argv[0] + ": " + std::strerror(rc);
    return false;
  }
  // Nobody waits for the program; a thread of its own collects it when it ends.
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

namespace {

// The first executable Name in a folder of PATH; empty when there is none.
std::string FindOnPath(const std::string& Name) {
  for (const std::string& dir : Split(Env("PATH"), ':')) {
    fs::path p = fs::path(dir) / Name;
    if (access(p.c_str(), X_OK) == 0 && !fs::is_directory(p)) return p.string();
  }
  return {};
}

}  // namespace

TDesktopOpen OpenWithDesktopOpener(const std::string& Target, int WaitMs) {
  std::string opener = FindOnPath("xdg-open");
  if (opener.empty()) return TDesktopOpen::NoOpener;
  char* args[] = {const_cast<char*>(opener.c_str()), const_cast<char*>(Target.c_str()), nullptr};
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, opener.c_str(), nullptr, &attr, args, environ);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return TDesktopOpen::Failed;
  int status = 0;
  for (int waited = 0;; waited += 10) {
    pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) break;
    if (r < 0 && errno != EINTR) return TDesktopOpen::Failed;
    if (waited >= WaitMs) {
      // It runs the program it chose in the foreground: collected when it ends.
      std::thread([pid] {
        int s = 0;
        while (waitpid(pid, &s, 0) < 0 && errno == EINTR) {
        }
      }).detach();
      return TDesktopOpen::Opened;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? TDesktopOpen::Opened : TDesktopOpen::Failed;
}
