// The in-process module registry behind LoadLibraryA and GetProcAddress.
#include "platform/theme/uxtheme.h"

#include <atomic>
#include <mutex>

struct HMODULE__ {
  std::string Name;
  TModuleExports Exports;
};

namespace {

std::string Lower(std::string S) {
  for (char& c : S)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return S;
}

struct TModuleRegistry {
  std::mutex Lock;
  std::map<std::string, TModuleExports> Registered;  // by lower-case name
  int Loaded = 0;
};

TModuleRegistry& Registry() {
  static TModuleRegistry r;
  return r;
}

std::atomic<DWORD> g_ComCtlVersion{ComCtlVersionIE6};

}  // namespace

void RegisterModule(const std::string& Name, TModuleExports Exports) {
  TModuleRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.Lock);
  r.Registered[Lower(Name)] = std::move(Exports);
}

void UnregisterModule(const std::string& Name) {
  TModuleRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.Lock);
  r.Registered.erase(Lower(Name));
}

HMODULE LoadLibraryA(const char* FileName) {
  TModuleRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.Lock);
  auto it = FileName ? r.Registered.find(Lower(FileName)) : r.Registered.end();
  if (it == r.Registered.end()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  // Each load gets its own handle holding a copy of the exports, so a module
  // unregistered while loaded stays callable until it is freed.
  ++r.Loaded;
  return new HMODULE__{it->first, it->second};
}

FARPROC GetProcAddress(HMODULE Module, const char* ProcName) {
  if (!Module || !ProcName) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto it = Module->Exports.find(ProcName);
  if (it == Module->Exports.end() || !it->second) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return it->second;
}

BOOL FreeLibrary(HMODULE Module) {
  if (!Module) return FALSE;
  TModuleRegistry& r = Registry();
  {
    std::lock_guard<std::mutex> lock(r.Lock);
    --r.Loaded;
  }
  delete Module;
  return TRUE;
}

int LoadedModuleCount() {
  TModuleRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.Lock);
  return r.Loaded;
}

DWORD GetComCtlVersion() { return g_ComCtlVersion.load(); }
void SetComCtlVersion(DWORD Version) { g_ComCtlVersion.store(Version); }
