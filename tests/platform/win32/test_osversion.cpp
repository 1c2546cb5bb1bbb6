#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/win32/osversion.h"

TEST(OsVersion, ReportsTheModernNtFamily) {
  OSVERSIONINFO info;
  ASSERT_TRUE(GetVersionEx(&info));
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_GE(info.dwMajorVersion, 6u);
  EXPECT_GE(info.dwMinorVersion, 2u);  // so that independent minor tests pass too
  EXPECT_EQ(FindWindow("Shell_TrayWnd", nullptr), nullptr);
}

TEST(OsVersion, ExpandsEnvironmentReferences) {
  setenv("DTU_TEST_VAR", "value", 1);
  unsetenv("DTU_TEST_UNSET");
  struct { const char* In; const char* Out; } cases[] = {
      {"%DTU_TEST_VAR%/x", "value/x"},
      {"a%DTU_TEST_UNSET%b", "a%DTU_TEST_UNSET%b"},
      {"50% of %DTU_TEST_VAR%", "50% of value"},
      {"trailing %", "trailing %"},
      {"%%", "%%"}};
  for (const auto& c : cases) EXPECT_EQ(ExpandEnvironmentString(c.In), c.Out) << c.In;
  char small[4];
  EXPECT_EQ(ExpandEnvironmentStrings("%DTU_TEST_VAR%", small, sizeof small), 6u);
  char big[16];
  EXPECT_EQ(ExpandEnvironmentStrings("%DTU_TEST_VAR%", big, sizeof big), 6u);
  EXPECT_STREQ(big, "value");
}
