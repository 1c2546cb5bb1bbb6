// The locale date tables, the C library's locales and which one the user has.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "platform/core/gbk.h"
#include "platform/win32/localedata.h"

namespace {

TEST(LocaleData, Tables) {
  const TLocaleDateInfo* zh = GetLocaleDateInfo(LOCALE_ZH_CN);
  const TLocaleDateInfo* en = GetLocaleDateInfo(LOCALE_EN_US);
  ASSERT_TRUE(zh && en);
  EXPECT_EQ(GetLocaleDateInfo(4242), en);  // unknown ids read English
  EXPECT_EQ(GetLocaleDateInfo(1028), zh);
  EXPECT_EQ(zh->LongMonthNames[0], Utf8ToGbk("一月"));
  EXPECT_EQ(en->LongMonthNames[11], "December");
  EXPECT_EQ(zh->FirstDayOfWeek, 0);
  EXPECT_EQ(en->FirstDayOfWeek, 6);
  SetThreadLocale(LOCALE_EN_US);
  EXPECT_EQ(GetLocaleDateInfo(LOCALE_USER_DEFAULT), en);
  SetThreadLocale(LOCALE_ZH_CN);
  EXPECT_EQ(GetLocaleDateInfo(LOCALE_USER_DEFAULT), zh);
  ResetThreadLocale();
  EXPECT_EQ(GetDateFormat(LOCALE_EN_US, EncodeDate(2000, 3, 1), "dd MMMM"), "01 March");
  EXPECT_EQ(GetDateFormat(LOCALE_EN_US, EncodeDate(2024, 2, 9), "ddd d-MMM-yy 'x'yyyy"), "Fri 9-Feb-24 x2024");
}

}  // namespace

namespace {

// strftime patterns as the C library's locales write them, in FormatDateTime's letters.
TEST(LocaleData, StrftimePatterns) {
  struct Case {
    const char* pattern;
    const char* format;
  } cases[] = {
      {"%d.%m.%Y", "dd.mm.yyyy"},             // de_DE
      {"%m/%d/%y", "mm/dd/yy"},               // en_US
      {"%Y年%m月%d日", "yyyy年mm月dd日"},     // ja_JP: literals kept
      {"%I:%M:%S %p", "hh:nn:ss ampm"},
      {"%r", "hh:nn:ss ampm"},                // expands the 12-hour pattern
      {"%T", "hh:nn:ss"},
      {"%H h %M", "hh\" h \"nn"},              // letters quoted so they stay text
      {"%e-%b-%Y", "d-mmm-yyyy"},
      {"%-d.%-m.%Y", "d.m.yyyy"},             // no padding
      {"%Ey %Od %%", "yy dd %"},              // alternative forms read as plain ones
      {"%a %A %B %Z", "ddd dddd mmmm "},      // no letters for a time zone
  };
  for (const Case& c : cases) EXPECT_EQ(StrftimeToFormat(c.pattern), c.format) << c.pattern;
}

// Which locale dates follow, and what each kind of locale gives.
TEST(LocaleData, LoadingALocale) {
  TLocaleDateInfo t;
  EXPECT_FALSE(LoadLocaleDateInfo("C", t));
  EXPECT_FALSE(LoadLocaleDateInfo("POSIX", t));
  EXPECT_FALSE(LoadLocaleDateInfo("C.UTF-8", t));
  EXPECT_FALSE(LoadLocaleDateInfo("xx_YY.UTF-8", t)) << "not installed";
  ASSERT_TRUE(LoadLocaleDateInfo("zh_TW.Big5", t));
  EXPECT_EQ(t.TimePMString, Utf8ToGbk("下午"));
  ASSERT_TRUE(LoadLocaleDateInfo("en_US", t));
  EXPECT_EQ(t.ShortDateFormat, "m/d/yyyy");
  // The C library's data (scripts/setup generates de_DE.UTF-8); GBK has no "ä".
  ASSERT_TRUE(LoadLocaleDateInfo("de_DE.UTF-8", t));
  EXPECT_EQ(t.ShortDateFormat, "dd.mm.yyyy");
  EXPECT_EQ(t.DateSeparator, '.');
  EXPECT_EQ(t.LongDateFormat, "ddd dd mmm yyyy");
  EXPECT_EQ(t.LongTimeFormat, "hh:nn:ss");
  EXPECT_EQ(t.ShortTimeFormat, "hh:nn");
  EXPECT_EQ(t.TimeSeparator, ':');
  EXPECT_EQ(t.LongMonthNames[2], "Marz");
  EXPECT_EQ(t.ShortMonthNames[11], "Dez");
  EXPECT_EQ(t.LongDayNames[0], "Sonntag");
  EXPECT_EQ(t.ShortDayNames[1], "Mo");
  EXPECT_EQ(t.TimeAMString, "AM") << "a 24-hour locale keeps the built-in markers";

  // LC_ALL, else LC_TIME, else LANG; empty values do not count.
  struct Env {
    const char *all, *time, *lang, *name;
  } envs[] = {
      {"de_DE.UTF-8", "zh_CN.UTF-8", "en_US.UTF-8", "de_DE.UTF-8"},
      {"", "zh_CN.UTF-8", "en_US.UTF-8", "zh_CN.UTF-8"},
      {nullptr, "", "en_US.UTF-8", "en_US.UTF-8"},
      {nullptr, nullptr, nullptr, "C"},
  };
  const char* vars[3] = {"LC_ALL", "LC_TIME", "LANG"};
  std::optional<std::string> saved[3];
  for (int i = 0; i < 3; ++i)
    if (const char* v = std::getenv(vars[i])) saved[i] = v;
  for (const Env& e : envs) {
    const char* values[3] = {e.all, e.time, e.lang};
    for (int i = 0; i < 3; ++i) values[i] ? setenv(vars[i], values[i], 1) : unsetenv(vars[i]);
    EXPECT_EQ(TimeLocaleName(), e.name);
  }
  for (int i = 0; i < 3; ++i) saved[i] ? setenv(vars[i], saved[i]->c_str(), 1) : unsetenv(vars[i]);
}

}  // namespace

namespace {

// Locales whose data the tables do not hold, read as the C library gives them
// (scripts/setup generates these): the first day of the week, a time without its
// seconds that keeps the minutes' suffix, the long date without the separator
// that stood before the time, and names GBK lacks a letter of.
TEST(LocaleData, CLibraryLocalesReadWhole) {
  struct Case {
    const char* Name;
    int FirstDay;  // 0 = Monday .. 6 = Sunday
    const char* ShortTime;  // UTF-8
    const char* LongDate;
    const char* MondayName;
  } cases[] = {
      {"de_DE.UTF-8", 0, "hh:nn", "ddd dd mmm yyyy", "Montag"},
      {"en_US.UTF-8", 6, "h:nn AMPM", "dddd, mmmm d, yyyy", "Monday"},
      {"ja_JP.UTF-8", 6, "hh時nn分", "yyyy年mm月dd日", "月曜日"},
      {"hu_HU.UTF-8", 0, "hh:nn", "yyyy. mmm. d., dddd", "hétfo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TLocaleDateInfo t;
    ASSERT_TRUE(LoadLocaleDateInfo(c.Name, t));
    EXPECT_EQ(t.FirstDayOfWeek, c.FirstDay);
    EXPECT_EQ(t.ShortTimeFormat, Utf8ToGbk(c.ShortTime));
    EXPECT_EQ(t.LongDateFormat, Utf8ToGbk(c.LongDate));
    EXPECT_EQ(t.LongDayNames[1], Utf8ToGbk(c.MondayName));
  }
  // 13:30 in a Japanese time edit.
  TLocaleDateInfo ja;
  ASSERT_TRUE(LoadLocaleDateInfo("ja_JP.UTF-8", ja));
  EXPECT_EQ(FormatDateTime(ja.ShortTimeFormat, EncodeTime(13, 30, 0, 0)), Utf8ToGbk("13時30分"));
}

// The user's locale, where the thread locale is none the tables know, gives the
// calendar its first day of the week.
TEST(LocaleData, TheUsersLocaleGivesTheFirstDayOfTheWeek) {
  std::optional<std::string> saved[3];
  const char* vars[3] = {"LC_ALL", "LC_TIME", "LANG"};
  for (int i = 0; i < 3; ++i)
    if (const char* v = std::getenv(vars[i])) saved[i] = v;
  unsetenv("LC_TIME");
  unsetenv("LANG");
  const struct {
    const char* Name;
    int FirstDay;
  } cases[] = {{"de_DE.UTF-8", 0}, {"en_US.UTF-8", 6}, {"zh_CN.UTF-8", 0}, {"C", 6}};
  for (const auto& c : cases) {
    setenv("LC_ALL", c.Name, 1);
    EXPECT_EQ(GetLocaleDateInfo(LOCALE_USER_DEFAULT)->FirstDayOfWeek, c.FirstDay) << c.Name;
  }
  for (int i = 0; i < 3; ++i) saved[i] ? setenv(vars[i], saved[i]->c_str(), 1) : unsetenv(vars[i]);
}

}  // namespace
