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
  std::string LongDateFormat;
  char DateSeparator;
  std::string ShortTimeFormat;
  std::string LongTimeFormat;
  char TimeSeparator;
  // Captions of the date and time controls.
  std::string CaptionToday, CaptionClear, CaptionAM, CaptionPM, CaptionSet;
  std::string ClockHowToUse;         // one %d: the minute step
};

// The table of a locale: 1024 stands for the thread locale; the Chinese locales
// (2052, 1028, 3076, 4100) give the Chinese table, every other id the English one.
// A thread locale the tables do not know (0) reads the user's locale from the C
// library's data (LoadLocaleDateInfo of TimeLocaleName) where it loads.
const TLocaleDateInfo* GetLocaleDateInfo(LCID Locale);
// Sets the formatting globals (patterns, separators, names, AM/PM) from a locale.
void ApplyLocaleFormatSettings(LCID Locale);
// The formatting globals as they stand, and setting all of them from one table
// (the captions and the first day of the week are not globals: left alone).
TLocaleDateInfo CurrentFormatSettings();
void SetFormatSettings(const TLocaleDateInfo& Info);
// The globals' start-up values: English names, "yyyy-m-d", "h:nn:ss", AM and PM.
const TLocaleDateInfo& BuiltInFormatSettings();

// The locale dates and times follow, read as the C library reads LC_TIME: the
// first non-empty of LC_ALL, LC_TIME and LANG; "C" when none is set.
std::string TimeLocaleName();
// The date and time facts of a locale name: the Chinese table for zh_CN, zh_TW,
// zh_HK and zh_SG, the English one for en_US, any other locale from the C
// library's data (names converted to GBK, strftime patterns to FormatDateTime's
// letters); false for C, POSIX and a locale that cannot be loaded.
bool LoadLocaleDateInfo(const std::string& Name, TLocaleDateInfo& Info);
// A strftime pattern in FormatDateTime's letters ("%d.%m.%Y" gives "dd.mm.yyyy");
// %r, %x and %X expand to the given patterns. The result is UTF-8 like the input.
std::string StrftimeToFormat(const std::string& Pattern, const std::string& AmPmTime = "%I:%M:%S %p",
                             const std::string& Date = "%m/%d/%y", const std::string& Time = "%H:%M:%S");
// Sets the formatting globals from the user's locale (TimeLocaleName), or to the
// built-in values when it cannot be loaded. Run once as a program starts.
void ApplyUserLocaleFormatSettings();

// Formats the date part with a locale picture: d dd ddd dddd M MM MMM MMMM y yy yyyy,
// text in single quotes copied; other characters copied.
std::string GetDateFormat(LCID Locale, TDateTime Date, const std::string& Picture);

