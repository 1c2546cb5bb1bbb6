#pragma once
// The thread locale: a Windows locale id taken from the environment's message
// locale, with a per-thread override that tests (and a user's choice) can set.
#include <string>

#include "platform/win32/wintypes.h"

// Locale ids the system distinguishes.
constexpr LCID LOCALE_ZH_CN = 2052;  // Chinese (PRC)
constexpr LCID LOCALE_ZH_TW = 1028;  // Chinese (Taiwan)
constexpr LCID LOCALE_ZH_HK = 3076;  // Chinese (Hong Kong)
constexpr LCID LOCALE_ZH_SG = 4100;  // Chinese (Singapore)
constexpr LCID LOCALE_EN_US = 1033;

// The calling thread's override if set, else the id of the first non-empty of
// LC_ALL, LC_MESSAGES and LANG: zh_CN 2052, zh_TW 1028, zh_HK 3076, zh_SG 4100;
// any other locale, "C" and "POSIX" give 0 (unknown).
LCID GetThreadLocale();
// Sets the calling thread's override.
BOOL SetThreadLocale(LCID Locale);
// Drops the calling thread's override: the environment decides again.
void ResetThreadLocale();
// The locale id of one POSIX locale name ("zh_CN.UTF-8", "zh_TW@euro"), 0 when unknown.
LCID LocaleNameToLcid(const std::string& Name);
