#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/core/gbk.h"

TEST(GbkCodec, RoundTrips) {
  struct Case { const char* Utf8; const char* Gbk; };
  const Case cases[] = {
      {"", ""},
      {"ASCII 123 \t~", "ASCII 123 \t~"},
      {"变量名称", "\xB1\xE4\xC1\xBF\xC3\xFB\xB3\xC6"},
      {"℃", "\xA1\xE6"},
      {"€", "\x80"},
      {"à", "\xA8\xA4"},
      {"乤", "\x81\x61"},            // second byte 'a'
      {"\xEE\x80\x80", "\xAA\xA1"},  // U+E000, user-defined area in CP936 itself
      {"\xEE\x93\x86", "\xA1\x40"},  // U+E4C6, user-defined area only GB18030 decodes
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GbkToUtf8(c.Gbk), c.Utf8) << c.Utf8;
    EXPECT_EQ(Utf8ToGbk(c.Utf8), c.Gbk) << c.Utf8;
    std::u16string u16 = GbkToUtf16(c.Gbk);
    EXPECT_EQ(Utf16ToGbk(u16), c.Gbk) << c.Utf8;
  }
  EXPECT_EQ(GbkToUtf16("\xB1\xE4" "A"), u"变A");
}

TEST(GbkCodec, InvalidBytesDecodeToReplacementOneByteAtATime) {
  struct Case { const char* Gbk; const char* Utf8; };
  const Case cases[] = {
      {"\xFF", "\xEF\xBF\xBD"},
      {"a\xB1", "a\xEF\xBF\xBD"},                 // lead byte at the end
      {"\xB1,x", "\xEF\xBF\xBD,x"},               // a following ASCII byte survives
      {"\x81\x7F", "\xEF\xBF\xBD\x7F"},
      {"\xFF\xB1\xE4", "\xEF\xBF\xBD\xE5\x8F\x98"},
  };
  for (const Case& c : cases) EXPECT_EQ(GbkToUtf8(c.Gbk), c.Utf8) << c.Utf8;
  EXPECT_EQ(GbkToUtf16("\xFF"), u"\uFFFD");
  // GB18030 spells the euro A2 E3; read, it is still the euro, written back as 0x80.
  EXPECT_EQ(Utf8ToGbk(GbkToUtf8("\xA2\xE3")), "\x80");
}

TEST(GbkCodec, CharactersWithoutATwoByteFormAreRefused) {
  struct Case { const char* Utf8; const char* Named; };
  const Case cases[] = {
      {"a😀", "U+1F600"},      // four bytes in GB18030
      {"\xC2\x80", "U+0080"},  // a C1 control
      {"\xE2\x82\xAD", "U+20AD"},
  };
  for (const Case& c : cases) {
    std::string out = "unchanged";
    EXPECT_FALSE(Utf8ToGbk(c.Utf8, out)) << c.Named;
    EXPECT_EQ(out, "unchanged");
    EXPECT_FALSE(TryUtf8ToGbk(c.Utf8).has_value());
    try {
      Utf8ToGbk(c.Utf8);
      ADD_FAILURE() << c.Named << " accepted";
    } catch (const EConvertError& e) {
      EXPECT_NE(e.Message().find(c.Named), std::string::npos) << e.Message();
    }
  }
  // Malformed input is refused, never guessed at.
  for (const char* bad : {"\xFF", "\xC0\x80", "\xED\xA0\x80", "\xE5\x8F"})
    EXPECT_THROW(Utf8ToGbk(bad), EConvertError) << bad;
  EXPECT_THROW(Utf16ToGbk(std::u16string(1, char16_t(0xD800))), EConvertError);
  EXPECT_FALSE(TryUtf16ToGbk(u"\U0001F600").has_value());
  EXPECT_EQ(TryUtf16ToGbk(u"变"), "\xB1\xE4");

  struct CanCase { char32_t Ch; bool Ok; };
  const CanCase can[] = {{U'A', true}, {U'变', true}, {U'€', true}, {0xE4C6, true},
                         {0x1F600, false}, {0xD800, false}, {0x110000, false}, {0x0E01, false}};
  for (const CanCase& c : can) EXPECT_EQ(CanEncodeGbk(c.Ch), c.Ok) << std::hex << unsigned(c.Ch);
}

TEST(GbkCodec, ByteTypeAndTruncation) {
  const std::string s = "a\xB1\xE4" "b\x81\x61";
  const TMbcsByteType expected[] = {mbSingleByte, mbLeadByte, mbTrailByte, mbSingleByte, mbLeadByte, mbTrailByte};
  for (size_t i = 0; i < s.size(); ++i) EXPECT_EQ(ByteType(s, i), expected[i]) << i;
  EXPECT_EQ(ByteType(s, 99), mbSingleByte);
  EXPECT_EQ(ByteType("\xB1", 0), mbLeadByte);
  // Walking from the start decides: the same byte 0xB1 is lead or trail by position.
  EXPECT_EQ(ByteType("\xB1\xB1\xB1", 1), mbTrailByte);
  EXPECT_EQ(ByteType("\xB1\xB1\xB1", 2), mbLeadByte);

  struct Case { size_t Max; const char* Result; };
  const Case cases[] = {{0, ""}, {1, "a"}, {2, "a"}, {3, "a\xB1\xE4"}, {5, "a\xB1\xE4" "b"}, {6, "a\xB1\xE4" "b\x81\x61"}, {50, "a\xB1\xE4" "b\x81\x61"}};
  for (const Case& c : cases) EXPECT_EQ(GbkTruncate(s, c.Max), c.Result) << c.Max;
}

TEST(GbkCodec, ConcurrentUseFromManyThreads) {
  const std::string gbk = "\xB1\xE4\xC1\xBF\xC3\xFB\xB3\xC6 \xA1\xE6\x80\xFF\xA1\x40";
  const std::string utf8 = GbkToUtf8(gbk);
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i) {
        if (GbkToUtf8(gbk) != utf8) ++failures[t];
        if (Utf8ToGbk("变量名称℃€") != "\xB1\xE4\xC1\xBF\xC3\xFB\xB3\xC6\xA1\xE6\x80") ++failures[t];
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
}
