#include "platform/win32/devicemap.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"

namespace {
std::mutex GOverrideLock;
std::string GOverride;

std::string Trimmed(const std::string& S) {
  size_t b = S.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  size_t e = S.find_last_not_of(" \t\r");
  return S.substr(b, e - b + 1);
}

// Names compare as the entries' index folds them (LowerCase).
bool SameName(const std::string& A, const std::string& B) { return SameText(A, B); }

// The value of an entry without a trailing comment: a # or ; after a blank.
std::string WithoutComment(const std::string& Value) {
  for (size_t i = 1; i < Value.size(); ++i)
    if ((Value[i] == '#' || Value[i] == ';') && (Value[i - 1] == ' ' || Value[i - 1] == '\t'))
      return Trimmed(Value.substr(0, i));
  return Value;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  std::vector<char> buf(16384);
  passwd pw{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return "";
}

// Creates every missing folder of Dir.
bool MakeDirs(const std::string& Dir) {
  if (Dir.empty()) return true;
  struct stat st{};
  if (stat(Dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  size_t slash = Dir.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeDirs(Dir.substr(0, slash))) return false;
  return mkdir(Dir.c_str(), 0700) == 0 || errno == EEXIST;
}

std::string FolderOf(const std::string& File) {
  size_t slash = File.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : File.substr(0, slash);
}

[[noreturn]] void Fail(const std::string& File, const char* What, int Errno) {
  throw EWriteError("Cannot write the serial device map " + File + ": " + What + ": " +
                    std::strerror(Errno));
}

// The map's lock, held by this process from construction to destruction. The lock
// file stays: removing it would let two processes lock two different files.
class TMapLock {
public:
  explicit TMapLock(const std::string& File) {
    if (!MakeDirs(FolderOf(File))) Fail(File, "cannot create its folder", errno);
    FFd = open((File + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (FFd < 0) Fail(File, "cannot open its lock file", errno);
    while (flock(FFd, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      int e = errno;
      close(FFd);
      Fail(File, "cannot lock it", e);
    }
  }
  ~TMapLock() { close(FFd); }  // unlocks
  TMapLock(const TMapLock&) = delete;
  TMapLock& operator=(const TMapLock&) = delete;

private:
  int FFd = -1;
};
}  // namespace

std::string TSerialDeviceMap::DefaultPath() {
  // Only an absolute XDG_CONFIG_HOME counts; a relative one is ignored.
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base = xdg && xdg[0] == '/' ? std::string(xdg) : HomeFolder() + "/.config";
  return base + "/dtu-config/serial-ports.ini";
}

void TSerialDeviceMap::SetPathOverride(const std::string& Path) {
  std::lock_guard<std::mutex> g(GOverrideLock);
  GOverride = Path;
}

std::string TSerialDeviceMap::Path() {
  {
    std::lock_guard<std::mutex> g(GOverrideLock);
    if (!GOverride.empty()) return GOverride;
  }
  return DefaultPath();
}

TSerialDeviceMap::TSerialDeviceMap(const std::string& FileName)
    : FFileName(FileName.empty() ? Path() : FileName) {
  std::ifstream in(FFileName, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    std::string t = Trimmed(line);
    if (t.empty() || t[0] == '#' || t[0] == ';') {
      FLines.push_back({line, "", ""});
      continue;
    }
    size_t eq = t.find('=');
    std::string name = eq == std::string::npos ? "" : Trimmed(t.substr(0, eq));
    std::string path = eq == std::string::npos ? "" : WithoutComment(Trimmed(t.substr(eq + 1)));
    if (name.empty() || path.empty()) {
      FLines.push_back({line, "", ""});
      FBadLines.push_back(line);
      continue;
    }
    FLines.push_back({line, name, path});
  }
}

std::vector<std::pair<std::string, std::string>> TSerialDeviceMap::Entries() const {
  std::vector<std::pair<std::string, std::string>> out;
  std::unordered_map<std::string, size_t> index;  // lower-case name -> place in out
  for (const TLine& l : FLines) {
    if (l.Name.empty()) continue;
    auto [it, added] = index.try_emplace(LowerCase(l.Name), out.size());
    if (added) out.emplace_back(l.Name, l.Path);
    else out[it->second].second = l.Path;
  }
  return out;
}

std::optional<std::string> TSerialDeviceMap::Find(const std::string& Name) const {
  for (auto it = FLines.rbegin(); it != FLines.rend(); ++it)
    if (!it->Name.empty() && SameName(it->Name, Name)) return it->Path;
  return std::nullopt;
}

void TSerialDeviceMap::Set(const std::string& Name, const std::string& DevicePath) {
  // The first entry of that name takes the new path in place, later ones go.
  auto first = std::find_if(FLines.begin(), FLines.end(),
                            [&](const TLine& l) { return !l.Name.empty() && SameName(l.Name, Name); });
  if (first == FLines.end()) {
    FLines.push_back({"", Name, DevicePath});
    return;
  }
  if (first->Name != Name || first->Path != DevicePath) *first = {"", Name, DevicePath};
  FLines.erase(std::remove_if(first + 1, FLines.end(),
                              [&](const TLine& l) { return !l.Name.empty() && SameName(l.Name, Name); }),
               FLines.end());
}

bool TSerialDeviceMap::Remove(const std::string& Name) {
  size_t before = FLines.size();
  std::erase_if(FLines, [&](const TLine& l) { return !l.Name.empty() && SameName(l.Name, Name); });
  return FLines.size() != before;
}

void TSerialDeviceMap::Save() const {
  TMapLock lock(FFileName);
  _Write();
}

TSerialDeviceMap TSerialDeviceMap::Update(const std::function<bool(TSerialDeviceMap&)>& Change,
                                          const std::string& FileName) {
  std::string file = FileName.empty() ? Path() : FileName;
  TMapLock lock(file);
  TSerialDeviceMap map(file);  // read under the lock: another process may just have written
  if (Change(map)) map._Write();
  return map;
}

void TSerialDeviceMap::_Write() const {
  std::string text;
  for (const TLine& l : FLines) text += (l.Text.empty() && !l.Name.empty() ? l.Name + "=" + l.Path : l.Text) + "\n";

  const std::string folder = FolderOf(FFileName);
  if (!MakeDirs(folder)) Fail(FFileName, "cannot create its folder", errno);
  // mkostemp creates the file with O_EXCL under a random name, readable by the
  // user only.
  std::string tmp = FFileName + ".XXXXXX";
  int fd = mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) Fail(FFileName, "cannot create a temporary file", errno);
  auto failAndRemove = [&](const char* What, int Errno) {
    unlink(tmp.c_str());
    Fail(FFileName, What, Errno);
  };
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      int e = errno;
      close(fd);
      failAndRemove("write failed", e);
    }
    done += static_cast<size_t>(n);
  }
  if (fsync(fd) != 0) {
    int e = errno;
    close(fd);
    failAndRemove("write failed", e);
  }
  if (close(fd) != 0) failAndRemove("write failed", errno);
  if (rename(tmp.c_str(), FFileName.c_str()) != 0) failAndRemove("cannot replace the file", errno);
  // The rename itself is durable only once the folder is.
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) Fail(FFileName, "cannot sync its folder", errno);
  int synced = fsync(dir);
  int e = errno;
  close(dir);
  if (synced != 0) Fail(FFileName, "cannot sync its folder", e);
}

std::string ResolvePortDevice(const std::string& PortName) {
  if (!PortName.empty() && PortName[0] == '/') return PortName;
  if (auto p = TSerialDeviceMap().Find(PortName)) return *p;
  return "/dev/" + PortName;
}
