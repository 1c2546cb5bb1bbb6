#include "platform/win32/osversion.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>

#include "platform/core/gbk.h"

namespace {
std::mutex GOsReleaseLock;
std::string GOsReleaseOverride;

// The value of KEY=VALUE in an os-release file, quotes and escapes removed.
std::string OsReleaseValue(const std::string& Text, const std::string& Key) {
  size_t pos = 0;
  while (pos < Text.size()) {
    size_t end = Text.find('\n', pos);
    if (end == std::string::npos) end = Text.size();
    std::string line = Text.substr(pos, end - pos);
    pos = end + 1;
    if (line.compare(0, Key.size() + 1, Key + "=") != 0) continue;
    std::string v = line.substr(Key.size() + 1);
    while (!v.empty() && (v.back() == '\r' || v.back() == ' ')) v.pop_back();
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
      std::string out;
      for (size_t i = 1; i + 1 < v.size(); ++i) {
        if (v[i] == '\\' && i + 2 < v.size()) ++i;
        out += v[i];
      }
      v = out;
    }
    return v;
  }
  return "";
}

std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  if (!in) return "";
  return std::string(std::istreambuf_iterator<char>(in), {});
}
}  // namespace

BOOL GetVersionEx(OSVERSIONINFO* Info) {
  if (!Info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Info->dwMajorVersion = DtuVersionMajor;
  Info->dwMinorVersion = DtuVersionMinor;
  Info->dwBuildNumber = DtuVersionBuild;
  Info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  Info->szCSDVersion[0] = '\0';
  return TRUE;
}

void SetOsReleasePathOverride(const std::string& Path) {
  std::lock_guard<std::mutex> lock(GOsReleaseLock);
  GOsReleaseOverride = Path;
}

namespace {
// The os-release file in use: the override, else the system's.
std::string OsReleaseText() {
  std::lock_guard<std::mutex> lock(GOsReleaseLock);
  if (!GOsReleaseOverride.empty()) return ReadFile(GOsReleaseOverride);
  std::string text = ReadFile("/etc/os-release");
  return text.empty() ? ReadFile("/usr/lib/os-release") : text;
}
}  // namespace

std::string OsReleaseField(const std::string& Key) { return OsReleaseValue(OsReleaseText(), Key); }

std::string OsProductName() {
  const std::string text = OsReleaseText();
  std::string name = OsReleaseValue(text, "PRETTY_NAME");
  if (name.empty()) name = OsReleaseValue(text, "NAME");
  std::string gbk;
  if (!Utf8ToGbk(name, gbk)) {
    // Characters without a GBK form: keep the ASCII ones.
    for (char c : name)
      if (static_cast<unsigned char>(c) < 0x80) gbk += c;
  }
  return gbk;
}

std::string ExpandEnvironmentString(const std::string& Src) {
  std::string out;
  size_t i = 0;
  while (i < Src.size()) {
    if (Src[i] != '%') {
      out += Src[i++];
      continue;
    }
    size_t close = Src.find('%', i + 1);
    if (close == std::string::npos) {
      out += Src.substr(i);
      break;
    }
    std::string name = Src.substr(i + 1, close - i - 1);
    const char* value = name.empty() ? nullptr : std::getenv(GbkToUtf8(name).c_str());
    if (value) {
      std::string gbk;
      out += Utf8ToGbk(value, gbk) ? gbk : std::string(value);
      i = close + 1;
    } else {
      // Not a variable: the % stays, and the closing one may open the next name.
      out += Src.substr(i, close - i);
      i = close;
    }
  }
  return out;
}

DWORD ExpandEnvironmentStrings(LPCSTR Src, char* Dst, DWORD Size) {
  if (!Src) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string out = ExpandEnvironmentString(Src);
  DWORD need = static_cast<DWORD>(out.size() + 1);
  if (Dst && Size >= need) std::memcpy(Dst, out.c_str(), need);
  return need;
}

HWND FindWindow(LPCSTR, LPCSTR) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}
