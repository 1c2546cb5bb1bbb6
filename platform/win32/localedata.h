#pragma once
// Locale date facts from fixed tables, so every machine gives the same results
// whatever its LC_TIME: Chinese (texts in GBK) and English are built in; 1024 (the
// user's locale) stands for the thread locale.
#include <string>

#include "platform/core/sysutils.h"
#include "platform/win32/locale.h"

constexpr LCID LOCALE_USER_DEFAULT = 1024;

// One locale's date and time facts. Names are GBK text.
struct TLocaleDateInfo {
  LCID Locale;
  std::string ShortMonthNames[12];   // January first
  std::string LongMonthNames[12];
  std::string ShortDayNames[7];      // Sunday first
  std::string LongDayNames[7];
  int FirstDayOfWeek;                // 0 = Monday .. 6 = Sunday
  std::string TimeAMString, TimePMString;
  std::string ShortDateFormat;       // in FormatDateTime's letters
  char DateSeparator;
  std::string LongTimeFormat;
  char TimeSeparator;
  // Captions of the date and time controls.
  std::string CaptionToday, CaptionClear, CaptionAM, CaptionPM, CaptionSet;
  std::string ClockHowToUse;         // one %d: the minute step
};

// The table of a locale: 1024 stands for the thread locale; the Chinese locales
// (2052, 1028, 3076, 4100) give the Chinese table, every other id the English one.
const TLocaleDateInfo* GetLocaleDateInfo(LCID Locale);
// Sets the formatting globals (patterns, separators, names, AM/PM) from a locale.
void ApplyLocaleFormatSettings(LCID Locale);

// Formats the date part with a locale picture: d dd ddd dddd M MM MMM MMMM y yy yyyy,
// text in single quotes copied; other characters copied.
std::string GetDateFormat(LCID Locale, TDateTime Date, const std::string& Picture);

