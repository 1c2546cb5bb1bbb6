#pragma once
// Small facts about the running system that the system's code asks the OS for: the
// version (with the product name taken from os-release), environment-variable
// expansion and the top-level window lookup.
#include <string>

#include "platform/win32/messages.h"
#include "platform/win32/wintypes.h"

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFO {
  DWORD dwOSVersionInfoSize = sizeof(OSVERSIONINFO);
  DWORD dwMajorVersion = 0;
  DWORD dwMinorVersion = 0;
  DWORD dwBuildNumber = 0;
  DWORD dwPlatformId = 0;
  char szCSDVersion[128] = {};
};

// The version this layer reports: the NT family, 6.2, build 9200. These numbers
// are newer than every version test of the system (the newest asks for 6.0), and
// their minor number is at least every tested minor number too, so a test that
// compares major and minor independently still takes its modern branch.
constexpr DWORD DtuVersionMajor = 6;
constexpr DWORD DtuVersionMinor = 2;
constexpr DWORD DtuVersionBuild = 9200;

// Fills Info with the numbers above and an empty service-pack text.
BOOL GetVersionEx(OSVERSIONINFO* Info);
// The same facts as the class library's globals.
inline DWORD Win32Platform() { return VER_PLATFORM_WIN32_NT; }
inline DWORD Win32MajorVersion() { return DtuVersionMajor; }
inline DWORD Win32MinorVersion() { return DtuVersionMinor; }
inline DWORD Win32BuildNumber() { return DtuVersionBuild; }

// The distribution's name from os-release (PRETTY_NAME, else NAME; /etc/os-release,
// else /usr/lib/os-release), as GBK text; empty when neither file names one.
std::string OsProductName();
// The value of one os-release field (VERSION_ID, ...) as written there (UTF-8,
// quotes removed); empty when it is not set.
std::string OsReleaseField(const std::string& Key);
// Tests read another os-release file; empty restores the system's.
void SetOsReleasePathOverride(const std::string& Path);

// Replaces each %NAME% of Src (GBK) by the environment variable's value; a name
// that is not set, and a lone %, stay as they are. Returns the size the result
// needs including its terminating NUL; the result is copied to Dst only when it
// fits in Size bytes. 0 with ERROR_INVALID_PARAMETER when Src is null.
DWORD ExpandEnvironmentStrings(LPCSTR Src, char* Dst, DWORD Size);
// The same for std::string.
std::string ExpandEnvironmentString(const std::string& Src);

// The top-level window of a class or title. This desktop has no windows of other
// programs the system could look for (there is no task bar window), so: nullptr.
HWND FindWindow(LPCSTR ClassName, LPCSTR WindowName);
