#include "platform/win32/locale.h"

#include <cstdlib>
#include <optional>

namespace {
thread_local std::optional<LCID> GOverride;
}

LCID LocaleNameToLcid(const std::string& Name) {
  // Language and territory only: "zh_CN.GBK" and "zh_CN@x" are zh_CN.
  std::string base = Name.substr(0, Name.find_first_of(".@"));
  static const struct { const char* Name; LCID Id; } table[] = {
      {"zh_CN", LOCALE_ZH_CN}, {"zh_TW", LOCALE_ZH_TW}, {"zh_HK", LOCALE_ZH_HK},
      {"zh_SG", LOCALE_ZH_SG}};
  for (const auto& e : table)
    if (base == e.Name) return e.Id;
  return 0;
}

LCID GetThreadLocale() {
  if (GOverride) return *GOverride;
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    if (v && *v) return LocaleNameToLcid(v);
  }
  return 0;
}

BOOL SetThreadLocale(LCID Locale) {
  GOverride = Locale;
  return TRUE;
}

void ResetThreadLocale() { GOverride.reset(); }
