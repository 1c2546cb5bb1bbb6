// Text form sources: parsing into the binary format and printing back.
#include <gtest/gtest.h>

#include "platform/core/filer.h"
#include "platform/core/textform.h"

namespace {

// Canonical text: the printer gives back exactly what the parser took.
const char kCanonical[] =
    "object X: TThing\n"
    "  S = 'it''s'#13#10'中'#200\n"
    "  Empty = ''\n"
    "  I = -5\n"
    "  Big = 5000000000\n"
    "  F = 1000.0\n"
    "  G = 1e+20\n"
    "  H = -0.1\n"
    "  Sg = 1.5s\n"
    "  Cy = 2.5c\n"
    "  Dt = 3.0d\n"
    "  Id = clBtnFace\n"
    "  Ref = Form2.Button1\n"
    "  B = True\n"
    "  N = nil\n"
    "  Set = []\n"
    "  Set2 = [a, b]\n"
    "  L = ()\n"
    "  L2 = (\n"
    "    1\n"
    "    'x')\n"
    "  Bin = {}\n"
    "  C = <>\n"
    "  object TUnnamed\n"
    "  end\n"
    "  inline Frame1: TFrame [3]\n"
    "  end\n"
    "end\n";

TEST(TextForm, CanonicalTextRoundTrips) {
  EXPECT_EQ(FormBinaryToText(FormTextToBinary(kCanonical)), kCanonical);
}

// Reads the value of the root's first property from a one-property form.
struct FirstValue {
  explicit FirstValue(const std::string& Value)
      : Stream(FormTextToBinary("object X: T\n  P = " + Value + "\nend\n")), R(&Stream) {
    R.ReadSignature();
    TFilerFlags flags;
    int pos = 0;
    R.ReadPrefix(flags, pos);
    R.ReadStr();
    R.ReadStr();
    R.ReadStr();  // "P"
  }
  TStringStream Stream;
  TReader R;
};

TEST(TextForm, ValuesBecomeTheirBinaryForms) {
  struct Case { const char* Text; std::string Gbk; };
  const Case strings[] = {
      {"'a''b'", "a'b"},
      {"#$41#66'c'", "ABc"},
      {"#20013", "\xD6\xD0"},             // a Unicode code point above 255 becomes GBK
      {"'中文'", "\xD6\xD0\xCE\xC4"},
      {"'ab' +\n   'cd' + #33", "abcd!"},
      {"#0", std::string(1, '\0')},
  };
  for (const Case& c : strings) EXPECT_EQ(FirstValue(c.Text).R.ReadString(), c.Gbk) << c.Text;

  struct Int { const char* Text; int64_t Value; TValueType Tag; };
  const Int ints[] = {{"$FF", 255, vaInt16},        {"$FFFFFFFF", -1, vaInt8},
                      {"-$10", -16, vaInt8},        {"-2147483648", INT32_MIN, vaInt32},
                      {"9223372036854775807", INT64_MAX, vaInt64}};
  for (const Int& c : ints) {
    FirstValue v(c.Text);
    EXPECT_EQ(v.R.NextValue(), c.Tag) << c.Text;
    EXPECT_EQ(v.R.ReadInt64(), c.Value) << c.Text;
  }

  std::string longText(300, 'x');
  FirstValue lv("'" + longText + "'");
  EXPECT_EQ(lv.R.NextValue(), vaLString);
  EXPECT_EQ(lv.R.ReadString(), longText);
}

TEST(TextForm, EveryByteOfAStringSurvivesThePrinter) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  all += "\xD6\xD0\x81";  // a valid pair, then a lead byte with nothing after it
  TStringStream bin;
  TWriter w(&bin);
  w.WriteSignature();
  w.WriteStr("T");
  w.WriteStr("X");
  w.WriteStr("P");
  w.WriteString(all);
  w.WriteListEnd();
  w.WriteListEnd();
  std::string text = FormBinaryToText(bin.DataString());
  EXPECT_NE(text.find("'中'#129"), std::string::npos);
  FirstValue v(text.substr(text.find("= ") + 2, text.rfind("\nend") - text.find("= ") - 2));
  EXPECT_EQ(v.R.ReadString(), all);
}

TEST(TextForm, SyntaxErrorsNameTheLine) {
  struct Case { const char* Text; const char* Message; };
  const Case cases[] = {
      {"object X: T\n  P = 'abc\nend\n", "Unterminated string on line 2"},
      {"object X: T\n  P = 1\n", "'end' expected on line 3"},
      {"object X: T\n  P = '\xF0\x9F\x98\x80'\nend\n", "String holds a character that GBK cannot hold or is not UTF-8 on line 2"},
      {"object X: T\n  P = #1114112\nend\n", "Invalid character code on line 2"},
      {"object X: T\n\n  P = {ABC}\nend\n", "Odd number of hex digits in binary value on line 3"},
      {"object X: T\n  P = [a b]\nend\n", "',' expected on line 2"},
      {"object X: T\n  P = 99999999999999999999\nend\n", "Integer out of range 99999999999999999999 on line 2"},
      {"object X: T\n  P = <thing>\nend\n", "'item' expected on line 2"},
      {"object X: T\n  P = )\nend\n", "Invalid property value on line 2"},
      {"thing X: T\nend\n", "'object' expected on line 1"},
      {"object X: T\nend\nend\n", "End of file expected on line 3"},
  };
  for (const Case& c : cases) {
    try {
      FormTextToBinary(c.Text);
      ADD_FAILURE() << c.Message;
    } catch (const EParserError& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
  }
  std::string deep;
  for (int i = 0; i < 100; ++i) deep += "object A: T\n";
  EXPECT_THROW(FormTextToBinary(deep), EParserError);
  EXPECT_THROW(FormTextToBinary("object X: T\n  P = " + std::string(1000, '(') + "\nend\n"), EParserError);
}

}  // namespace
