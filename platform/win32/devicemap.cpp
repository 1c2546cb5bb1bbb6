#include "platform/win32/devicemap.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/exceptions.h"

namespace {
std::mutex GOverrideLock;
std::string GOverride;

std::string Trimmed(const std::string& S) {
  size_t b = S.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  size_t e = S.find_last_not_of(" \t\r");
  return S.substr(b, e - b + 1);
}

bool SameName(const std::string& A, const std::string& B) {
  return strcasecmp(A.c_str(), B.c_str()) == 0;
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
}  // namespace

std::string TSerialDeviceMap::DefaultPath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg && *xdg) {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && *home ? home : "") + "/.config";
  }
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
    std::string path = eq == std::string::npos ? "" : Trimmed(t.substr(eq + 1));
    if (name.empty() || path.empty()) {
      FLines.push_back({line, "", ""});
      FBadLines.push_back(line);
      continue;
    }
    FLines.push_back({"", name, path});
  }
}

std::vector<std::pair<std::string, std::string>> TSerialDeviceMap::Entries() const {
  std::vector<std::pair<std::string, std::string>> out;
  for (const TLine& l : FLines) {
    if (l.Name.empty()) continue;
    bool replaced = false;
    for (auto& e : out)
      if (SameName(e.first, l.Name)) {
        e.second = l.Path;
        replaced = true;
      }
    if (!replaced) out.emplace_back(l.Name, l.Path);
  }
  return out;
}

std::optional<std::string> TSerialDeviceMap::Find(const std::string& Name) const {
  std::optional<std::string> found;
  for (const TLine& l : FLines)
    if (!l.Name.empty() && SameName(l.Name, Name)) found = l.Path;
  return found;
}

void TSerialDeviceMap::Set(const std::string& Name, const std::string& DevicePath) {
  bool done = false;
  for (auto it = FLines.begin(); it != FLines.end();) {
    if (!it->Name.empty() && SameName(it->Name, Name)) {
      if (done) {
        it = FLines.erase(it);
        continue;
      }
      it->Name = Name;
      it->Path = DevicePath;
      done = true;
    }
    ++it;
  }
  if (!done) FLines.push_back({"", Name, DevicePath});
}

bool TSerialDeviceMap::Remove(const std::string& Name) {
  size_t before = FLines.size();
  std::erase_if(FLines, [&](const TLine& l) { return !l.Name.empty() && SameName(l.Name, Name); });
  return FLines.size() != before;
}

void TSerialDeviceMap::Save() const {
  std::string text;
  for (const TLine& l : FLines) text += (l.Name.empty() ? l.Text : l.Name + "=" + l.Path) + "\n";

  auto fail = [&](const char* what) {
    throw EWriteError("Cannot write the serial device map " + FFileName + ": " + what + ": " +
                      std::strerror(errno));
  };
  size_t slash = FFileName.find_last_of('/');
  if (slash != std::string::npos && !MakeDirs(FFileName.substr(0, slash))) fail("cannot create its folder");
  std::string tmp = FFileName + ".tmp." + std::to_string(getpid());
  int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) fail("cannot create a temporary file");
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      int e = errno;
      close(fd);
      unlink(tmp.c_str());
      errno = e;
      fail("write failed");
    }
    done += static_cast<size_t>(n);
  }
  bool synced = fsync(fd) == 0;
  int syncErr = errno;
  bool closed = close(fd) == 0;
  if (!synced || !closed) {
    int e = synced ? errno : syncErr;
    unlink(tmp.c_str());
    errno = e;
    fail("write failed");
  }
  if (rename(tmp.c_str(), FFileName.c_str()) != 0) {
    int e = errno;
    unlink(tmp.c_str());
    errno = e;
    fail("cannot replace the file");
  }
}

std::string ResolvePortDevice(const std::string& PortName) {
  if (!PortName.empty() && PortName[0] == '/') return PortName;
  if (auto p = TSerialDeviceMap().Find(PortName)) return *p;
  return "/dev/" + PortName;
}
