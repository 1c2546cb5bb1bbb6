// Lenient date and time parsing against the cases of the date/time edit.
#include <gtest/gtest.h>

#include "controls/editlist/datetext.h"
#include "platform/core/gbk.h"

namespace {

// Sets the formatting globals for one test and puts them back afterwards.
class DateTextTest : public ::testing::Test {
protected:
  void SetUp() override {
    saved = {ShortDateFormat, LongTimeFormat, TimeAMString, TimePMString};
    savedSep = DateSeparator;
    for (int i = 0; i < 12; ++i) savedMonths[i] = LongMonthNames[i], savedShort[i] = ShortMonthNames[i];
  }
  void TearDown() override {
    ShortDateFormat = saved[0];
    LongTimeFormat = saved[1];
    TimeAMString = saved[2];
    TimePMString = saved[3];
    DateSeparator = savedSep;
    ResetThreadLocale();
    for (int i = 0; i < 12; ++i) LongMonthNames[i] = savedMonths[i], ShortMonthNames[i] = savedShort[i];
  }
  static Word ThisYear() {
    Word y, m, d;
    DecodeDate(Date(), y, m, d);
    return y;
  }
  std::vector<std::string> saved;
  char savedSep = '-';
  std::string savedMonths[12], savedShort[12];
};

struct DateCase {
  const char* text;
  bool ok;
  int y, m, d;  // y 0: this year; m 0: this month
};

void CheckDates(const std::vector<DateCase>& cases) {
  Word ty, tm, td;
  DecodeDate(Date(), ty, tm, td);
  for (const DateCase& c : cases) {
    TDateTime got = -1;
    bool ok = false;
    EXPECT_NO_THROW(ok = StrToDateEx(c.text, got)) << c.text;
    EXPECT_EQ(ok, c.ok) << c.text;
    if (!c.ok) {
      EXPECT_EQ(got, 0) << c.text;
      continue;
    }
    if (c.d == 0) {
      EXPECT_EQ(got, 0) << c.text;
      continue;
    }
    Word y, m, d;
    DecodeDate(got, y, m, d);
    EXPECT_EQ(y, c.y ? c.y : ty) << c.text;
    EXPECT_EQ(m, c.m ? c.m : tm) << c.text;
    EXPECT_EQ(d, c.d) << c.text;
  }
}

TEST_F(DateTextTest, MonthDayYearOrder) {
  ShortDateFormat = "M/d/yyyy";
  DateSeparator = '/';
  Word ty, tm, td;
  DecodeDate(Date(), ty, tm, td);
  CheckDates({
      {"12/25/2024", true, 2024, 12, 25},
      {"25/12/2024", true, 2024, 12, 25},
      {"0312", true, 0, 3, 12},
      {"031224", true, 2024, 3, 12},
      {"", true, 0, 0, 0},
      {"   ", true, 0, 0, 0},
      {"2024/2/30", false, 0, 0, 0},
      {"65537", false, 0, 0, 0},               // a year beyond 9999 does not wrap to 1
      {"12345678901234567890", false, 0, 0, 0},  // a run beyond an Integer
      {"1/1/99999999999", false, 0, 0, 0},
  });
  TDateTime d;
  ASSERT_TRUE(StrToDateEx("7", d));
  Word y, m, dd;
  DecodeDate(d, y, m, dd);
  EXPECT_EQ(m, 7);
  EXPECT_EQ(y, ty);
  // 13 13 2024: both 13s go to the day, the month stays this month.
  ASSERT_TRUE(StrToDateEx("13 13 2024", d));
  DecodeDate(d, y, m, dd);
  EXPECT_EQ(m, tm);
}

TEST_F(DateTextTest, DayMonthYearWithNames) {
  ShortDateFormat = "d/M/yyyy";
  DateSeparator = '/';
  CheckDates({
      {"5 mar 2024", true, 2024, 3, 5},
      {"5 MARCH 2024", true, 2024, 3, 5},
      {"5 march 2024", true, 2024, 3, 5},
      {"31 feb 2024", false, 0, 0, 0},
  });
}

TEST_F(DateTextTest, ChineseShortFormatAndMonthNames) {
  SetThreadLocale(LOCALE_ZH_CN);
  ApplyLocaleFormatSettings(LOCALE_ZH_CN);
  CheckDates({
      {"2024-12-25", true, 2024, 12, 25},
      {"2024-2-30", false, 0, 0, 0},
      {"24-3-5", true, 2024, 3, 5},
      {"65537-1-1", false, 0, 0, 0},
      {"12345678901234567890-1-1", false, 0, 0, 0},
  });
  // Chinese month names, in the globals and as the user locale's names.
  const std::string march = "2024-" + Utf8ToGbk("三月") + "-5";
  const std::string december = "2024-" + Utf8ToGbk("十二月") + "-25";
  CheckDates({{march.c_str(), true, 2024, 3, 5}, {december.c_str(), true, 2024, 12, 25},
              {"2024-March-5", true, 2024, 3, 5}});
}

TEST_F(DateTextTest, Times) {
  LongTimeFormat = "h:mm:ss AMPM";
  TimeAMString = "AM";
  TimePMString = "PM";
  struct Case {
    const char* text;
    int h, m, s, ms;
  } cases[] = {
      {"130", 1, 30, 0, 0},   {"1:30 p", 13, 30, 0, 0}, {"12 am", 0, 0, 0, 0},
      {"25:61", 1, 0, 0, 0},  {"1:2:3.4567", 1, 2, 3, 0}, {"", 0, 0, 0, 0},
      {"99999999999999999999", 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    TDateTime t = StrToTimeEx(c.text);
    Word h, m, s, ms;
    DecodeTime(t, h, m, s, ms);
    EXPECT_EQ(h, c.h) << c.text;
    EXPECT_EQ(m, c.m) << c.text;
    EXPECT_EQ(s, c.s) << c.text;
    EXPECT_EQ(ms, c.ms) << c.text;
  }
  LongTimeFormat = "hh:nn:ss.zzz";
  Word h, m, s, ms;
  DecodeTime(StrToTimeEx("1:2:3.4567"), h, m, s, ms);
  EXPECT_EQ(ms, 45);
}

TEST_F(DateTextTest, Helpers) {
  EXPECT_EQ(GetFormatOrder("m/d/yyyy", "DMY"), "MDY");
  EXPECT_EQ(GetFormatOrder("yyyy-m-d", "DMY"), "YMD");
  std::string s = " ,12ab-", tok;
  EXPECT_EQ(NextToken(s, tok), 1);
  EXPECT_EQ(tok, "12");
  EXPECT_EQ(NextToken(s, tok), -1);
  EXPECT_EQ(tok, "ab");
  EXPECT_EQ(NextToken(s, tok), 0);
  EXPECT_EQ(tok, "");
  EXPECT_EQ(GetLocaleMonthName(LOCALE_EN_US, 9), "September");
  EXPECT_EQ(GetLocaleMonthName(LOCALE_ZH_CN, 9), Utf8ToGbk("九月"));
  EXPECT_EQ(IsPMString("P"), 1);
  EXPECT_EQ(IsPMString("A"), -1);
  EXPECT_EQ(IsPMString("X"), 0);
}

}  // namespace
