// The fixed locale date tables.
#include <gtest/gtest.h>

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
