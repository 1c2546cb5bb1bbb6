// Custom colours: the sixteen initial lines, saving and loading through the
// storage component, normalising and what a bad line does.
#include "controls/common/customcolors.h"
#include "platform/storage/atomicfile.h"
#include "storage_fixture.h"

namespace {

std::string Sixteen(const std::string& Value) {
  std::string s;
  for (char c = 'A'; c <= 'P'; ++c) s += std::string("Color") + c + "=" + Value + "\r\n";
  return s;
}

TEST_F(StorageTest, CustomColorsRoundTripSixteenLines) {
  TQvRegIniFile ini(nullptr);
  ini.SetPath(Dir + "/colors.ini");
  TQvCustomColors colors(nullptr);
  EXPECT_EQ(colors.Colors()->Text(), Sixteen("FFFFFF"));
  EXPECT_EQ(colors.GetColorName(15), "ColorP");
  colors.SetRegIniFile(&ini);
  colors.Save("Colors");
  EXPECT_EQ(*ReadWholeFile(Dir + "/colors.ini"), "[Colors]\n" + [] {
    std::string s;
    for (char c = 'A'; c <= 'P'; ++c) s += std::string("Color") + c + "=FFFFFF\n";
    return s;
  }());
  TQvCustomColors loaded(nullptr);
  loaded.Colors()->Clear();
  loaded.SetRegIniFile(&ini);
  loaded.Load("Colors");
  EXPECT_EQ(loaded.Colors()->Text(), Sixteen("FFFFFF"));
}

TEST_F(StorageTest, CustomColorsLoadNormalisesAndKeepsOldColoursOnABadLine) {
  AtomicWriteFile(Dir + "/c.ini", "[Short]\nColorA=ff\nColorB=1ABCDEF\n[Bad]\nColorA=123456\nColorB=zz\n");
  TQvRegIniFile ini(nullptr);
  ini.SetPath(Dir + "/c.ini");
  TQvCustomColors colors(nullptr);
  colors.SetRegIniFile(&ini);
  colors.Load("Short");
  EXPECT_EQ(colors.Colors()->Text(), "ColorA=0000FF\r\nColorB=ABCDEF\r\n");
  EXPECT_THROW(colors.Load("Bad"), EConvertError);
  EXPECT_EQ(colors.Colors()->Text(), "ColorA=0000FF\r\nColorB=ABCDEF\r\n");
  // Only the lines present are written back.
  colors.Save("Out");
  TStringList names;
  ini.ReadSection("Out", &names);
  EXPECT_EQ(names.CommaText(), "ColorA,ColorB");
}

TEST_F(StorageTest, CustomColorsWithoutStorageRaiseAndForgetAFreedOne) {
  TQvCustomColors colors(nullptr);
  struct { std::function<void()> Call; const char* Text; } cases[] = {
      {[&] { colors.Load("S"); }, "Cannot load Custom Colors--No TQvRegIniFile component specified"},
      {[&] { colors.Save("S"); }, "Cannot save Custom Colors--No TQvRegIniFile component specified"}};
  for (auto& c : cases) {
    try {
      c.Call();
      ADD_FAILURE() << c.Text;
    } catch (const ENoRegIniFile& E) {
      EXPECT_EQ(E.Message(), c.Text);
    }
  }
  auto* ini = new TQvRegIniFile(nullptr);
  colors.SetRegIniFile(ini);
  delete ini;
  EXPECT_EQ(colors.RegIniFile(), nullptr);
}

}  // namespace
