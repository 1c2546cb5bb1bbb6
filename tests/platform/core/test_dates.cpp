// Locale tables and the strict date/time converters.
#include <gtest/gtest.h>

#include "platform/core/dates.h"

namespace {

struct GlobalsGuard {
  std::string fmt = ShortDateFormat, ltf = LongTimeFormat;
  char sep = DateSeparator;
  int window = TwoDigitYearCenturyWindow;
  ~GlobalsGuard() {
    ShortDateFormat = fmt;
    LongTimeFormat = ltf;
    DateSeparator = sep;
    TwoDigitYearCenturyWindow = window;
  }
};

TEST(Dates, StrictConverters) {
  GlobalsGuard g;
  ShortDateFormat = "yyyy-m-d";
  DateSeparator = '-';
  LongTimeFormat = "h:nn:ss";
  TwoDigitYearCenturyWindow = 50;
  EXPECT_EQ(StrToDate("2024-3-5"), EncodeDate(2024, 3, 5));
  EXPECT_EQ(StrToDate("24-3-5"), EncodeDate(2024, 3, 5));
  EXPECT_EQ(ExpandTwoDigitYear(99, 2026), 1999);
  EXPECT_EQ(ExpandTwoDigitYear(76, 2026), 1976);
  EXPECT_EQ(ExpandTwoDigitYear(75, 2026), 2075);
  for (const char* bad : {"2024-2-30", "2024-13-1", "abc", "2024-3-5x", "", "12345678901-1-1"}) {
    TDateTime v = 7;
    EXPECT_FALSE(TryStrToDate(bad, v)) << bad;
    EXPECT_EQ(v, 7) << bad;
  }
  EXPECT_THROW(StrToDate("2024-2-30"), EConvertError);
  EXPECT_DOUBLE_EQ(StrToTime("13:05:07"), EncodeTime(13, 5, 7, 0));
  EXPECT_DOUBLE_EQ(StrToTime("1:05 PM"), EncodeTime(13, 5, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("12:00 AM"), 0);
  EXPECT_THROW(StrToTime("24:00"), EConvertError);
  EXPECT_DOUBLE_EQ(StrToDateTime("2024-3-5 6:07"), EncodeDate(2024, 3, 5) + EncodeTime(6, 7, 0, 0));
  EXPECT_EQ(DateToStr(EncodeDate(2024, 3, 5)), "2024-3-5");
  EXPECT_EQ(TimeToStr(EncodeTime(6, 7, 8, 0)), "6:07:08");
}

TEST(Dates, IncMonthAndWeeks) {
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31), 1), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 31), -13), EncodeDate(2023, 2, 28));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 12, 15), 1), EncodeDate(2025, 1, 15));
  EXPECT_DOUBLE_EQ(IncMonth(EncodeDate(2024, 5, 1) + 0.5, 1), EncodeDate(2024, 6, 1) + 0.5);
  struct W {
    int y, m, d, week;
  } weeks[] = {{2021, 1, 3, 53}, {2021, 1, 4, 1}, {2024, 12, 30, 1}, {2020, 12, 31, 53}, {2024, 6, 15, 24}};
  for (const W& w : weeks)
    EXPECT_EQ(WeekOfTheYear(EncodeDate(w.y, w.m, w.d)), w.week) << w.y << "-" << w.m << "-" << w.d;
}

}  // namespace
