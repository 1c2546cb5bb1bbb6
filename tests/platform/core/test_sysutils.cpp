#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "platform/core/sysutils.h"

namespace {

// Restores a global setting when the test ends.
template <class T>
struct TRestore {
  T& Ref;
  T Saved;
  explicit TRestore(T& R) : Ref(R), Saved(R) {}
  ~TRestore() { Ref = Saved; }
};

std::string ConvertMessage(const std::function<void()>& Fn) {
  try {
    Fn();
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return "<no EConvertError>";
}

}  // namespace

// ---------------------------------------------------------------------------
// Integers

TEST(SysUtilsInt, TryStrToIntAcceptsDecimalAndHexAndRejectsTheRest) {
  struct Case { const char* Text; bool Ok; int Value; };
  const Case cases[] = {
      {"0", true, 0},           {"  42", true, 42},          {"-17", true, -17},
      {"+8", true, 8},          {"$FF", true, 255},          {"0x10", true, 16},
      {"0X1f", true, 31},       {"-$10", true, -16},         {"$FFFFFFFF", true, -1},
      {"$80000000", true, std::numeric_limits<int>::min()},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, std::numeric_limits<int>::min()},
      {"2147483648", false, 0}, {"$100000000", false, 0},    {"", false, 0},
      {"   ", false, 0},        {"-", false, 0},             {"$", false, 0},
      {"0x", false, 0},         {"12a", false, 0},           {"12 ", false, 0},
      {"1.5", false, 0},        {"--1", false, 0},           {"99999999999999999999", false, 0},
  };
  for (const Case& c : cases) {
    int v = 12345;
    EXPECT_EQ(TryStrToInt(c.Text, v), c.Ok) << c.Text;
    if (c.Ok) EXPECT_EQ(v, c.Value) << c.Text;
    else EXPECT_EQ(v, 12345) << c.Text << " must leave the value alone";
    EXPECT_EQ(StrToIntDef(c.Text, -99), c.Ok ? c.Value : -99) << c.Text;
  }
}

TEST(SysUtilsInt, ErrorsQuoteTheText) {
  EXPECT_EQ(ConvertMessage([] { StrToInt("12a"); }), "'12a' is not a valid integer value");
  EXPECT_EQ(ConvertMessage([] { StrToInt(""); }), "'' is not a valid integer value");
  EXPECT_EQ(ConvertMessage([] { StrToInt64("9223372036854775808"); }),
            "'9223372036854775808' is not a valid integer value");
}

TEST(SysUtilsInt, Int64AndHexOutput) {
  EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64("4294967296"), 4294967296LL);
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(std::int64_t{-1}, 2), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(0xABCDu, 8), "0000ABCD");
  EXPECT_EQ(IntToStr(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(IntToStr(4000000000u), "4000000000");
  EXPECT_EQ(IntToStr(18446744073709551615ull), "18446744073709551615");
}

// ---------------------------------------------------------------------------
// Floats

TEST(SysUtilsFloat, FloatToStrGeneralForms) {
  struct Case { double Value; const char* Text; };
  const Case cases[] = {
      {0, "0"},           {-0.0, "0"},          {1, "1"},
      {-2.5, "-2.5"},     {0.1 + 0.2, "0.3"},   {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},           {123456789012345.0, "123456789012345"},
      {1e15, "1E15"},     {1.5e20, "1.5E20"},   {0.00001, "0.00001"},
      {0.000001, "1E-6"}, {-1.25e-7, "-1.25E-7"},
      {std::numeric_limits<double>::infinity(), "INF"},
      {-std::numeric_limits<double>::infinity(), "-INF"},
      {std::nan(""), "NAN"},
  };
  for (const Case& c : cases) EXPECT_EQ(FloatToStr(c.Value), c.Text) << c.Value;
}

TEST(SysUtilsFloat, FloatToStrFFormats) {
  struct Case { double Value; TFloatFormat Fmt; int Prec, Digits; const char* Text; };
  const Case cases[] = {
      {1234.5678, ffFixed, 18, 2, "1234.57"},
      {1.005, ffFixed, 18, 2, "1.01"},          // rounds the decimal digits, half away from zero
      {-2.5, ffFixed, 18, 0, "-3"},
      {999.996, ffFixed, 18, 2, "1000.00"},
      {-0.001, ffFixed, 18, 2, "0.00"},         // no "-0.00"
      {0.5, ffFixed, 18, 3, "0.500"},
      {1234.5678, ffFixed, 4, 2, "1235.00"},    // precision limits the significant digits
      {1e20, ffFixed, 15, 2, "1E20"},           // more integer digits than the precision
      {1234567.891, ffNumber, 18, 2, "1,234,567.89"},
      {-999.5, ffNumber, 18, 0, "-1,000"},
      {-1234.5, ffCurrency, 18, 2, "-$1,234.50"},
      {1500, ffExponent, 15, 3, "1.50000000000000E+003"},
      {-0.00123, ffExponent, 4, 2, "-1.230E-03"},
      {0, ffExponent, 3, 0, "0.00E+0"},
      {123.456, ffGeneral, 4, 0, "123.5"},
      {123456, ffGeneral, 4, 0, "1.235E5"},
      {123456, ffGeneral, 4, 2, "1.235E05"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FloatToStrF(c.Value, c.Fmt, c.Prec, c.Digits), c.Text) << c.Value << " " << int(c.Fmt);
}

TEST(SysUtilsFloat, StrToFloatParsesFixedSyntax) {
  struct Case { const char* Text; bool Ok; double Value; };
  const Case cases[] = {
      {"1.5", true, 1.5},     {"  -2.25 ", true, -2.25}, {"+3", true, 3},     {".5", true, 0.5},
      {"5.", true, 5},        {"1e3", true, 1000},       {"1.5E-2", true, 0.015},
      {"1e-400", true, 0},    {"0.0001e-400", true, 0},
      {"", false, 0},         {".", false, 0},           {"1,5", false, 0},   {"1e", false, 0},
      {"abc", false, 0},      {"1.5x", false, 0},        {"inf", false, 0},   {"nan", false, 0},
      {"1e400", false, 0},    {"1 000", false, 0},
  };
  for (const Case& c : cases) {
    double v = -7;
    EXPECT_EQ(TryStrToFloat(c.Text, v), c.Ok) << c.Text;
    EXPECT_EQ(v, c.Ok ? c.Value : -7) << c.Text;
  }
  EXPECT_EQ(ConvertMessage([] { StrToFloat("1,5"); }), "'1,5' is not a valid floating point value");
  EXPECT_EQ(StrToFloatDef("x", 2.5), 2.5);
}

TEST(SysUtilsFloat, SeparatorsComeFromTheSettings) {
  TRestore<char> d(DecimalSeparator), t(ThousandSeparator);
  DecimalSeparator = ',';
  ThousandSeparator = '.';
  EXPECT_EQ(FloatToStrF(1234.5, ffNumber, 18, 2), "1.234,50");
  EXPECT_EQ(FloatToStr(0.25), "0,25");
  EXPECT_EQ(StrToFloat("0,25"), 0.25);
  double v;
  EXPECT_FALSE(TryStrToFloat("0.25", v));
}

TEST(SysUtilsFloat, OutputIgnoresTheProcessLocale) {
  std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
  EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 18, 2), "1234.57");
  EXPECT_EQ(FloatToStrF(1234.5678, ffNumber, 18, 2), "1,234.57");
  EXPECT_EQ(FloatToStr(0.1), "0.1");
  EXPECT_EQ(FormatFloat("0.00", 3.14159), "3.14");
  EXPECT_EQ(Format("%f %e", {2.5, 2.5}), "2.50 2.50000000000000E+000");
  EXPECT_EQ(StrToFloat("3.5"), 3.5);
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(SysUtilsFloat, FormatFloatPictures) {
  struct Case { const char* Fmt; double Value; const char* Text; };
  const Case cases[] = {
      {"#,##0.00", 1234567.891, "1,234,567.89"},
      {"#,##0.00", 5, "5.00"},
      {"#,##0", -1234567, "-1,234,567"},
      {"000", 5, "005"},
      {"0.##", 1, "1"},
      {"0.0#", 1.5, "1.5"},
      {"#.##", 0.5, ".5"},
      {"#", 0, ""},
      {"00-00", 1234, "12-34"},
      {"0 'kg'", 12.6, "13 kg"},
      {"\"<\"0\">\"", 7, "<7>"},
      {"0.00E+00", 1234, "1.23E+03"},
      {"00.00E+00", 1234, "12.34E+02"},
      {"0.###E-0", 0.000123456, "1.235E-4"},
      {"0.00E+00", 0, "0.00E+00"},
      {"0.00;(0.00)", -5, "(5.00)"},
      {"0.00;(0.00);zero", 0.001, "zero"},
      {"0.00;;zero", -2, "-2.00"},
      {"0.00", -0.001, "0.00"},
      {"0.0", 0.05, "0.1"},
      {"", 1.5, "1.5"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatFloat(c.Fmt, c.Value), c.Text) << c.Fmt << " " << c.Value;
}

// ---------------------------------------------------------------------------
// Format

TEST(SysUtilsFormat, Specifiers) {
  struct Case { const char* Fmt; std::initializer_list<TVarRec> Args; const char* Text; };
  const Case cases[] = {
      {"%d|%5d|%-5d|%.3d", {42, 42, 42, -5}, "42|   42|42   |-005"},
      {"%u|%u", {-1, 4000000000u}, "4294967295|4000000000"},
      {"%x|%X|%.6x", {255, 255, 0xABC}, "ff|FF|000abc"},
      {"%x", {std::int64_t{-1}}, "ffffffffffffffff"},
      {"%s|%6s|%-6s|%.2s", {"abc", std::string("abc"), "abc", "abcdef"}, "abc|   abc|abc   |ab"},
      {"%s%s", {'x', "y"}, "xy"},
      {"%f|%.3f|%.0f", {1234.5678, 2.0, 2.5}, "1234.57|2.000|3"},
      {"%e|%g|%g", {1234.5, 1.5e20, 0.5}, "1.23450000000000E+003|1.5E020|0.5"},
      {"%n|%m", {1234567.891, 12.5}, "1,234,567.89|$12.50"},
      {"%1:s %0:s %s", {"a", "b"}, "b a b"},
      {"%*d|%-*d|%.*f", {4, 7, 3, 8, 1, 3.14159}, "   7|8  |3.1"},
      {"%u%%", {50}, "50%"},
      {"%d", {true}, "1"},
      {"no args", {}, "no args"},
  };
  for (const Case& c : cases) EXPECT_EQ(Format(c.Fmt, c.Args), c.Text) << c.Fmt;
}

TEST(SysUtilsFormat, BadFormatsAndArguments) {
  struct Case { const char* Fmt; std::initializer_list<TVarRec> Args; };
  const Case cases[] = {
      {"%d", {"x"}}, {"%s", {5}},  {"%f", {5}},  {"%d", {1.5}}, {"%d %d", {1}},
      {"%", {1}},    {"%q", {1}},  {"%5", {1}},  {"%2:d", {1}}, {"%*d", {"w", 1}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ConvertMessage([&] { Format(c.Fmt, c.Args); }),
              std::string("Format '") + c.Fmt + "' invalid or incompatible with argument");
}

TEST(SysUtilsFormat, PrecisionNeverSplitsADoubleByteCharacter) {
  // "\xB1\xE4\xC1\xBF" is two GBK characters; three bytes would cut the second one.
  EXPECT_EQ(Format("%.3s", {"\xB1\xE4\xC1\xBF"}), "\xB1\xE4");
}

// ---------------------------------------------------------------------------
// Strings

TEST(SysUtilsStrings, CaseFoldingLeavesDoubleByteCharactersWhole) {
  // "\x81\x61" and "\x81\x41" are two different GBK characters whose second bytes
  // look like 'a' and 'A'.
  EXPECT_EQ(UpperCase("ab\x81\x61z"), "AB\x81\x61Z");
  EXPECT_EQ(LowerCase("AB\x81\x41Z"), "ab\x81\x41z");
  EXPECT_EQ(AnsiUpperCase("\xB1\x64x"), "\xB1\x64X");
  EXPECT_FALSE(SameText("\x81\x41", "\x81\x61"));
  EXPECT_TRUE(SameText("Hello\xB1\xE4", "hELLO\xB1\xE4"));
  EXPECT_NE(AnsiCompareText("\x81\x41", "\x81\x61"), 0);
}

TEST(SysUtilsStrings, Comparisons) {
  EXPECT_LT(CompareStr("A", "a"), 0);
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_LT(CompareText("abc", "ABCD"), 0);
  EXPECT_LT(CompareText("A", "_"), 0);  // folds to upper case, as the class library does
  EXPECT_GT(CompareStr("\xB1\xE4", "z"), 0);
}

TEST(SysUtilsStrings, StringReplace) {
  struct Case { const char* S; const char* Old; const char* New; TReplaceFlags Flags; const char* Result; };
  const Case cases[] = {
      {"a-b-c", "-", "+", {}, "a+b-c"},
      {"a-b-c", "-", "+", {rfReplaceAll}, "a+b+c"},
      {"Ab ab AB", "ab", "x", {rfReplaceAll, rfIgnoreCase}, "x x x"},
      {"Ab ab AB", "ab", "x", {rfReplaceAll}, "Ab x AB"},
      {"aaa", "aa", "b", {rfReplaceAll}, "ba"},
      {"abc", "", "x", {rfReplaceAll}, "abc"},
      // the 'a' inside the double-byte character is not a match
      {"\x81\x61" "a", "a", "b", {rfReplaceAll}, "\x81\x61" "b"},
  };
  for (const Case& c : cases) EXPECT_EQ(StringReplace(c.S, c.Old, c.New, c.Flags), c.Result) << c.S;
}

TEST(SysUtilsStrings, PosCopyTrimQuote) {
  EXPECT_EQ(Pos("lo", "hello"), 4);
  EXPECT_EQ(Pos("x", "hello"), 0);
  EXPECT_EQ(Pos("", "hello"), 0);
  EXPECT_EQ(Copy("hello", 2, 3), "ell");
  EXPECT_EQ(Copy("hello", 0, 2), "he");
  EXPECT_EQ(Copy("hello", 4, 100), "lo");
  EXPECT_EQ(Copy("hello", 6, 1), "");
  EXPECT_EQ(Copy("hello", 2, -1), "");
  EXPECT_EQ(Trim(" \t\r\nab c\x01 "), "ab c");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(AnsiQuotedStr("say \"hi\"", '"'), "\"say \"\"hi\"\"\"");

  struct Case { const char* Src; const char* Text; size_t Consumed; };
  const Case cases[] = {
      {"'ab''c' rest", "ab'c", 7},
      {"'' x", "", 2},
      {"'unterminated", "unterminated", 13},  // nothing is lost
      {"no quote", "", 0},
  };
  for (const Case& c : cases) {
    const char* p = c.Src;
    EXPECT_EQ(AnsiExtractQuotedStr(p, '\''), c.Text) << c.Src;
    EXPECT_EQ(static_cast<size_t>(p - c.Src), c.Consumed) << c.Src;
  }
}

TEST(SysUtilsStrings, IdentsAndFileNames) {
  EXPECT_TRUE(IsValidIdent("_Abc1"));
  EXPECT_FALSE(IsValidIdent("1abc"));
  EXPECT_FALSE(IsValidIdent(""));
  EXPECT_FALSE(IsValidIdent("a-b"));
  EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp"), "/tmp/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp/"), "/tmp/");
  EXPECT_EQ(ExtractFileName("/a/b.c/name.txt"), "name.txt");
  EXPECT_EQ(ExtractFilePath("/a/b.c/name.txt"), "/a/b.c/");
  EXPECT_EQ(ExtractFileExt("/a/b.c/name.txt"), ".txt");
  EXPECT_EQ(ExtractFileExt("/a/b.c/name"), "");
  EXPECT_EQ(ChangeFileExt("/a/b.c/name", ".ini"), "/a/b.c/name.ini");
  EXPECT_EQ(ChangeFileExt("/a/name.txt", ".ini"), "/a/name.ini");
  EXPECT_EQ(ChangeFileExt("name.txt", ""), "name");
}

// ---------------------------------------------------------------------------
// Dates and times

TEST(SysUtilsDate, EncodeDecodeRoundTrip) {
  struct Case { Word Y, M, D; double Serial; };
  const Case cases[] = {
      {1899, 12, 30, 0},   {1900, 1, 1, 2},        {2000, 2, 29, 36585},
      {2024, 3, 1, 45352}, {1, 1, 1, -693593},     {9999, 12, 31, 2958465},
      {1899, 12, 29, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeDate(c.Y, c.M, c.D), c.Serial) << c.Y << "-" << c.M << "-" << c.D;
    Word y, m, d;
    // 18:00 that day: before 1899-12-30 the day counts down and the time still counts up.
    DecodeDate(c.Serial < 0 ? c.Serial - 0.75 : c.Serial + 0.75, y, m, d);
    EXPECT_EQ(y, c.Y);
    EXPECT_EQ(m, c.M);
    EXPECT_EQ(d, c.D);
  }
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 2, 29)), 5);  // a Thursday
  EXPECT_EQ(DayOfWeek(0), 7);                        // 1899-12-30 was a Saturday
  EXPECT_EQ(DayOfWeek(-1), 6);
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_EQ(DaysInAMonth(2023, 2), 28);
  EXPECT_EQ(MonthDays[1][2], 29);
}

TEST(SysUtilsDate, InvalidArgumentsRaise) {
  TDateTime t = 5;
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, t));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, t));
  EXPECT_FALSE(TryEncodeDate(2023, 13, 1, t));
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, t));
  EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, t));
  EXPECT_EQ(t, 5);
  EXPECT_EQ(ConvertMessage([] { EncodeDate(2023, 2, 29); }), "Invalid argument to date encode");
  EXPECT_EQ(ConvertMessage([] { EncodeTime(0, 60, 0, 0); }), "Invalid argument to time encode");
}

TEST(SysUtilsDate, TimeRoundsToMillisecondsAndCarriesIntoTheNextDay) {
  Word h, n, s, ms;
  DecodeTime(EncodeTime(13, 5, 9, 7), h, n, s, ms);
  EXPECT_EQ((std::vector<int>{h, n, s, ms}), (std::vector<int>{13, 5, 9, 7}));
  TDateTime almost = EncodeDate(2023, 12, 31) + (MSecsPerDay - 0.4) / MSecsPerDay;
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", almost), "2024-01-01 00:00:00.000");
}

TEST(SysUtilsDate, FormatDateTimeSpecifiers) {
  const TDateTime t = EncodeDate(2024, 2, 9) + EncodeTime(13, 5, 7, 42);
  struct Case { const char* Fmt; const char* Text; };
  const Case cases[] = {
      {"yyyy-mm-dd hh:nn:ss.zzz", "2024-02-09 13:05:07.042"},
      {"yy/m/d h:n:s z", "24-2-9 13:5:7 42"},
      {"ddd dddd mmm mmmm", "Fri Friday Feb February"},
      {"hh:mm", "13:05"},  // m right after an hour is the minute
      {"h:nn am/pm", "1:05 pm"},
      {"h:nn AM/PM", "1:05 PM"},
      {"hh a/p", "01 p"},
      {"h ampm", "1 PM"},
      {"'yyyy' \"mm\" yyyy", "yyyy mm 2024"},
      {"ddddd", "2024-2-9"},
      {"c", "2024-2-9 13:05:07"},
      {"t|tt", "13:05|13:05:07"},
      {"\xC4\xEAyyyy\xB1\x64", "\xC4\xEA" "2024\xB1\x64"},  // a 'd' second byte is not a specifier
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.Fmt, t), c.Text) << c.Fmt;
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 2, 9)), "2024-2-9");
}
