// The library's error texts in its three languages.
#include <gtest/gtest.h>

#include "platform/core/gbk.h"
#include "platform/win32/locale.h"
#include "serial/commerror.h"

namespace {

struct TLocaleScope {
  explicit TLocaleScope(LCID Id) { SetThreadLocale(Id); }
  ~TLocaleScope() { ResetThreadLocale(); }
};

TEST(CommError, MessagesFollowTheThreadLocaleExactly) {
  struct Case {
    LCID Locale;
    int Code;
    const char* Port;
    const char* Utf8;
  } cases[] = {
      {1033, 4, "COM3", "Serial port: \"COM3\" - Cannot open COM port"},
      {0, 8, "COM1", "Serial port: \"COM1\" - Cannot set COM port parameters"},  // unknown: English
      {2052, 4, "COM3", "串行口:“COM3”- 不能打开串行口"},
      {1028, 4, "COM3", "序列埠:『COM3』- 不能打開序列埠"},
      {2052, 14, "COM2", "串行口:“COM2”- 不能关闭串行口写线程"},
      {1028, 9, "COM2", "序列埠:『COM2』- 不能創建序列埠非同步讀事件"},
      {3076, 4, "COM3", "Serial port: \"COM3\" - Cannot open COM port"},  // Hong Kong: English
      {4100, 2, "COM3", "Serial port: \"COM3\" - Cannot initialize read buffer"},
      {2052, 1, "", "内存不够"},
      {1028, 1, "", "記憶體不夠"},
      {1033, 0, "COM5", "Serial port: \"COM5\" - Unknown error"},
      {2052, 15, "", "未知错误"},
      {1028, 99, "", "未知錯誤"},
      {1033, 13, "/dev/ttyUSB0", "Serial port: \"/dev/ttyUSB0\" - Cannot close COM port read thread"},
      {1033, 4, "%s%d", "Serial port: \"%s%d\" - Cannot open COM port"},  // the name is not a format
  };
  for (const Case& c : cases) {
    TLocaleScope scope(c.Locale);
    ENimboCommError e(c.Code, c.Port);
    EXPECT_EQ(GbkToUtf8(e.Message()), c.Utf8) << c.Locale << " " << c.Code;
    EXPECT_EQ(static_cast<int>(e.ErrorCode()), c.Code);
    EXPECT_EQ(e.PortName(), c.Port);
  }
}

TEST(CommError, CarriesCodeAndPortWhenCopiedAndCatchableAsException) {
  TLocaleScope scope(1033);
  try {
    throw ENimboCommError(ENimboCommError::ecOpenPort, "COM9");
  } catch (const Exception& e) {
    EXPECT_STREQ(e.ClassName(), "ENimboCommError");
    auto copy = dynamic_cast<const ENimboCommError&>(e);
    EXPECT_EQ(copy.ErrorCode(), ENimboCommError::ecOpenPort);
    EXPECT_EQ(copy.PortName(), "COM9");
    EXPECT_EQ(copy.Message(), "Serial port: \"COM9\" - Cannot open COM port");
  }
  ENimboCommError noPort(ENimboCommError::ecOutOfMemory);
  EXPECT_EQ(noPort.Message(), "Out of memory");
  EXPECT_TRUE(noPort.PortName().empty());
}

TEST(CommError, LanguageIdIsTheThreadLocaleOrEnglish) {
  {
    TLocaleScope scope(0);
    EXPECT_EQ(TNimboCommLanguage().LcId(), 1033u);
  }
  TLocaleScope scope(2052);
  TNimboCommLanguage l;
  EXPECT_EQ(l.LcId(), 2052u);
  l.fSetLcId(1028);
  EXPECT_EQ(l.LcId(), 1028u);
}

}  // namespace
