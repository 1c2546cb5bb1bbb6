// The storage component: default paths, typed values through both stores, the
// registry section listing, access masks and lazy rebuilding.
#include <filesystem>

#include "controls/common/storage.h"
#include "platform/controls/forms.h"
#include "storage_fixture.h"

namespace {

TEST_F(StorageTest, DefaultIniFileLivesInTheUserConfigFolder) {
  TQvRegIniFile ini(nullptr);
  EXPECT_EQ(ini.Path(), "");
  ini.WriteString("S", "V", "x");
  std::string exe = std::filesystem::path(Application->ExeName()).stem().string();
  EXPECT_EQ(ini.Path(), Dir + "/" + exe + "/" + exe + ".ini");
  EXPECT_TRUE(std::filesystem::exists(ini.Path()));
}

TEST_F(StorageTest, DefaultRegistryKeyIsNamedAfterTheApplicationTitle) {
  std::string saved = Application->Title();
  Application->SetTitle("Gallery");
  TQvRegIniFile reg(nullptr);
  reg.SetPathType(ptRegistry);
  reg.WriteInteger("S", "N", 5);
  Application->SetTitle(saved);
  EXPECT_EQ(reg.Path(), "\\Software\\Temp\\Gallery");
  TRegistry check;
  ASSERT_TRUE(check.OpenKey("\\Software\\Temp\\Gallery\\S", false));
  EXPECT_EQ(check.ReadInteger("N"), 5);
}

// Every typed operation round-trips through the ini file and the registry alike.
TEST_F(StorageTest, TypedValuesRoundTripThroughBothStores) {
  for (TQvPathType type : {ptIniFile, ptRegistry}) {
    SCOPED_TRACE(type == ptIniFile ? "ini" : "registry");
    TQvRegIniFile w(nullptr), r(nullptr);
    std::string path = type == ptIniFile ? Dir + "/t.ini" : "\\Software\\Temp\\typed";
    for (TQvRegIniFile* c : {&w, &r}) {
      c->SetPathType(type);
      c->SetPath(path);
    }
    TDateTime date = EncodeDate(2026, 12, 7), time = EncodeTime(23, 59, 58, 0);
    w.WriteString("S", "Str", "text");
    w.WriteInteger("S", "Int", -7);
    w.WriteBool("S", "Bool", true);
    w.WriteFloat("S", "Float", 0.125);
    w.WriteDate("S", "Date", date);
    w.WriteTime("S", "Time", time);
    w.WriteDateTime("S", "DateTime", date + time);
    TMemoryStream bin;
    bin.WriteBuffer("\x00\x7F\x80", 3);
    bin.SetPosition(0);
    w.WriteBinaryStream("S", "Bin", &bin);

    EXPECT_EQ(r.ReadString("S", "Str", ""), "text");
    EXPECT_EQ(r.ReadInteger("S", "Int", 0), -7);
    EXPECT_TRUE(r.ReadBool("S", "Bool", false));
    EXPECT_EQ(r.ReadFloat("S", "Float", 0), 0.125);
    EXPECT_EQ(r.ReadDate("S", "Date", 0), date);
    EXPECT_NEAR(r.ReadTime("S", "Time", 0), time, 1e-9);
    EXPECT_NEAR(r.ReadDateTime("S", "DateTime", 0), date + time, 1e-9);
    TMemoryStream back;
    EXPECT_EQ(r.ReadBinaryStream("S", "Bin", &back), 3);
    EXPECT_EQ(back.Bytes(), (std::vector<uint8_t>{0x00, 0x7F, 0x80}));

    TStringList l;
    r.ReadSections(&l);
    EXPECT_EQ(l.CommaText(), "S");
    r.ReadSection("S", &l);
    EXPECT_EQ(l.Count(), 8);
    EXPECT_TRUE(r.SectionExists("S"));
    EXPECT_TRUE(r.ValueExists("S", "Str"));
    w.DeleteKey("S", "Str");
    EXPECT_FALSE(r.ValueExists("S", "Str"));
    w.EraseSection("S");
    EXPECT_FALSE(r.SectionExists("S"));
  }
}

TEST_F(StorageTest, RegistrySectionValuesListTheDefaultFirstAndNumbersInDecimal) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Software\\Temp\\values\\S", true));
  reg.WriteInteger("Count", 5);
  reg.WriteString("", "text");
  reg.WriteBinaryData("Bytes", "\x0A\xFF", 2);
  reg.WriteRaw("Multi", REG_MULTI_SZ, std::string("a\0\0", 3));
  TQvRegIniFile c(nullptr);
  c.SetPathType(ptRegistry);
  c.SetPath("\\Software\\Temp\\values");
  TStringList l;
  c.ReadSectionValues("S", &l);
  EXPECT_EQ(l.Text(), "Default=text\r\nBytes=0A FF \r\nCount=5\r\nMulti=Unknown Data Type\r\n");
  c.SetPath("\\Software\\Temp\\values\\");  // no second "\" is inserted
  c.ReadSectionValues("S", &l);
  EXPECT_EQ(l.Count(), 4);
  c.ReadSectionValues("Missing", &l);
  EXPECT_EQ(l.Count(), 0);
}

TEST_F(StorageTest, ReadAccessOpensTheKeyForReadingAndRefusesWrites) {
  TQvRegIniFile c(nullptr);
  c.SetPathType(ptRegistry);
  c.SetPath("\\Software\\Temp\\readonly");
  c.SetRegAccess({keyRead});
  auto* reg = dynamic_cast<TRegistryIniFile*>(c.Storage());
  ASSERT_NE(reg, nullptr);
  EXPECT_EQ(reg->RegIniFile()->CurrentAccess(), 0x20019u);
  EXPECT_THROW(c.WriteString("S", "V", "x"), ERegistryException);
  EXPECT_EQ(c.ReadString("S", "V", "none"), "none");
}

// A setter given the value it holds leaves the storage object alone; a change
// rebuilds it once, at the next operation.
TEST_F(StorageTest, OnlyARealChangeRebuildsTheStorageObject) {
  TQvRegIniFile c(nullptr);
  c.SetPath(Dir + "/a.ini");
  c.ReadString("S", "V", "");
  EXPECT_EQ(c.StorageBuilds(), 1);
  c.SetPath(Dir + "/a.ini");
  c.SetPathType(ptIniFile);
  c.SetRegKey(hkeyCurrentUser);
  c.SetRegAccess({keyAllAccess});
  c.ReadString("S", "V", "");
  EXPECT_EQ(c.StorageBuilds(), 1);
  c.SetRegKey(hkeyLocalMachine);
  c.SetRegKey(hkeyCurrentUser);  // changed twice, rebuilt once
  EXPECT_EQ(c.StorageBuilds(), 1);
  c.ReadString("S", "V", "");
  EXPECT_EQ(c.StorageBuilds(), 2);
}

TEST_F(StorageTest, TwoComponentsOnOneFileSeeEachOthersWrites) {
  TQvRegIniFile a(nullptr), b(nullptr);
  a.SetPath(Dir + "/shared.ini");
  b.SetPath(Dir + "/shared.ini");
  EXPECT_EQ(b.ReadInteger("S", "N", 0), 0);
  a.WriteInteger("S", "N", 1);
  EXPECT_EQ(b.ReadInteger("S", "N", 0), 1);
  b.WriteInteger("S", "N", 2);
  EXPECT_EQ(a.ReadInteger("S", "N", 0), 2);
}

}  // namespace
