#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "platform/storage/atomicfile.h"
#include "platform/storage/registry.h"
#include "platform/win32/osversion.h"
#include "tempdir.h"

namespace {
class RegistryTest : public ::testing::Test {
protected:
  void SetUp() override { SetRegistryStorePathOverride(Dir / "registry"); }
  void TearDown() override {
    SetRegistryStorePathOverride("");
    SetOsReleasePathOverride("");
  }
  TTempDir Dir;
};
}  // namespace

TEST_F(RegistryTest, TypedValuesRoundTripThroughTheStoreFile) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Temp\\t", true));
    reg.WriteString("", "default");
    reg.WriteString("Name", "a \"quoted\"\nline\\");
    reg.WriteExpandString("Path", "%HOME%/x");
    reg.WriteInteger("Count", -5);
    reg.WriteBinaryData("Bytes", "\x0A\xFF", 2);
  }
  TRegistry reg;
  ASSERT_FALSE(reg.OpenKey("\\software\\temp\\missing", false));
  ASSERT_TRUE(reg.OpenKey("\\software\\temp\\T", false));
  TStringList names;
  reg.GetValueNames(&names);
  EXPECT_EQ(names.CommaText(), ",Name,Path,Count,Bytes");
  struct { const char* Name; TRegDataType Type; int Size; } cases[] = {
      {"", rdString, 8}, {"Name", rdString, 17}, {"Path", rdExpandString, 9},
      {"Count", rdInteger, 4}, {"Bytes", rdBinary, 2}, {"None", rdUnknown, -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(reg.GetDataType(c.Name), c.Type) << c.Name;
    EXPECT_EQ(reg.GetDataSize(c.Name), c.Size) << c.Name;
  }
  EXPECT_EQ(reg.ReadString("name"), "a \"quoted\"\nline\\");
  EXPECT_EQ(reg.ReadInteger("Count"), -5);
  char buf[4] = {};
  EXPECT_EQ(reg.ReadBinaryData("Bytes", buf, 4), 2);
  EXPECT_EQ(std::string(buf, 2), "\x0A\xFF");
  EXPECT_THROW(reg.ReadInteger("Name"), ERegistryException);
  EXPECT_THROW(reg.ReadString("Count"), ERegistryException);
  EXPECT_NE(ReadWholeFile(Dir / "registry")->find("\"Count\"=dword:4294967291"), std::string::npos);
}

TEST_F(RegistryTest, IniFrontKeepsEachTypeInItsRegistryForm) {
  TRegistryIniFile ini("\\Software\\Temp\\front");
  TDateTime when = EncodeDate(2026, 12, 7) + EncodeTime(8, 30, 0, 0);
  ini.WriteString("S", "Text", "t");
  ini.WriteInteger("S", "Int", 5);
  ini.WriteBool("S", "Flag", true);
  ini.WriteFloat("S", "Float", 2.25);
  ini.WriteDateTime("S", "When", when);
  TMemoryStream bin;
  bin.WriteBuffer("\x01\x02\x03", 3);
  bin.SetPosition(0);
  ini.WriteBinaryStream("S", "Bin", &bin);

  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Software\\Temp\\front\\S", false));
  EXPECT_EQ(reg.GetDataType("Int"), rdInteger);
  EXPECT_EQ(reg.ReadString("Flag"), "1");
  EXPECT_EQ(reg.GetDataSize("Float"), 8);
  EXPECT_EQ(reg.GetDataType("Bin"), rdBinary);

  TRegistryIniFile other("\\Software\\Temp\\front");
  EXPECT_EQ(other.ReadString("S", "Text", ""), "t");
  EXPECT_EQ(other.ReadInteger("S", "Int", 0), 5);
  EXPECT_TRUE(other.ReadBool("S", "Flag", false));
  EXPECT_EQ(other.ReadFloat("S", "Float", 0), 2.25);
  EXPECT_EQ(other.ReadDateTime("S", "When", 0), when);
  TMemoryStream back;
  EXPECT_EQ(other.ReadBinaryStream("S", "Bin", &back), 3);
  EXPECT_EQ(other.ReadInteger("Missing", "Int", 9), 9);
  TStringList l;
  other.ReadSections(&l);
  EXPECT_EQ(l.CommaText(), "S");
  other.ReadSectionValues("S", &l);
  EXPECT_EQ(l.Strings(1), "Int=5");
  EXPECT_EQ(l.Strings(5), "Bin=01 02 03 ");
  other.DeleteKey("S", "Text");
  EXPECT_FALSE(other.ValueExists("S", "Text"));
  other.EraseSection("S");
  EXPECT_FALSE(ini.SectionExists("S"));
}

// A key opened for reading refuses every change.
TEST_F(RegistryTest, ReadAccessRefusesWrites) {
  TRegistryIniFile ini("\\Software\\Temp\\ro", KEY_READ);
  EXPECT_EQ(ini.RegIniFile()->CurrentAccess(), 0x20019u);
  EXPECT_THROW(ini.WriteString("S", "V", "x"), ERegistryException);
  TRegistry full;
  ASSERT_TRUE(full.OpenKey("\\Software\\Temp\\ro\\S", true));
  full.WriteString("V", "kept");
  EXPECT_THROW(ini.WriteString("S", "V", "x"), ERegistryException);
  EXPECT_THROW(ini.EraseSection("S"), ERegistryException);
  EXPECT_EQ(ini.ReadString("S", "V", ""), "kept");
  TRegistry reg(KEY_READ);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Temp\\ro\\S", false));
  EXPECT_THROW(reg.WriteInteger("N", 1), ERegistryException);
  EXPECT_FALSE(reg.DeleteValue("V"));
}

// The machine's version key answers from os-release; machine keys are read-only.
TEST_F(RegistryTest, MachineVersionKeyAnswersFromThisMachine) {
  AtomicWriteFile(Dir / "os-release", "NAME=\"Some Linux\"\nPRETTY_NAME=\"Some Linux 12\"\n");
  SetOsReleasePathOverride(Dir / "os-release");
  TRegistry reg(KEY_READ);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey("Software\\Microsoft\\Windows NT\\CurrentVersion", false));
  EXPECT_EQ(reg.ReadString("ProductName"), "Some Linux 12");
  EXPECT_EQ(reg.ReadString("CurrentVersion"), "6.2");
  EXPECT_EQ(reg.ReadString("CurrentBuildNumber"), "9200");
  EXPECT_FALSE(reg.ValueExists("CSDVersion"));
  EXPECT_FALSE(reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion", false));
  TRegistry writer;
  writer.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(writer.OpenKey("Software\\Microsoft\\Windows NT\\CurrentVersion", false));
  EXPECT_FALSE(writer.OpenKey("Software\\Mine", true));
  // The user's own keys the system reads from the machine are absent until written.
  TRegistry user;
  EXPECT_FALSE(user.OpenKey("\\Control Panel\\Desktop", false));
}

// A store file with a line it cannot read is never written over.
// Values another program wrote with a raw type and size come out of an unrelated
// change with the same type and bytes.
TEST_F(RegistryTest, RawValuesKeepTheirTypeAndSizeWhenTheStoreIsRewritten) {
  const std::string lines[] = {
      "\"Short\"=hex(4):41,00",           // a dword of 2 bytes
      "\"Long\"=hex(4):01,02,03,04,05",   // a dword of 5 bytes
      "\"Empty\"=hex(4):",                // a dword of none
      "\"Dword\"=dword:65",               // a true dword stays one
      "\"Multi\"=hex(7):61,00,00,00",     // a string list
      "\"Bin\"=hex:0A,FF",
  };
  std::string store = "[HKEY_CURRENT_USER\\K]\n";
  for (const std::string& l : lines) store += l + "\n";
  AtomicWriteFile(Dir / "registry", store);
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\K", false));
  reg.WriteString("Other", "x");
  const std::string after = *ReadWholeFile(Dir / "registry");
  for (const std::string& l : lines) EXPECT_NE(after.find(l + "\n"), std::string::npos) << l << "\n" << after;
  struct {
    const char* Name;
    int Size;
  } sizes[] = {{"Short", 2}, {"Long", 5}, {"Empty", 0}, {"Dword", 4}};
  for (const auto& c : sizes) EXPECT_EQ(reg.GetDataSize(c.Name), c.Size) << c.Name;
}

TEST_F(RegistryTest, DamagedStoreIsNotOverwritten) {
  const std::string damaged = "[HKEY_CURRENT_USER\\K]\n\"A\"=sz:\"x\"\nnot a value line\n";
  AtomicWriteFile(Dir / "registry", damaged);
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\K", false));
  EXPECT_EQ(reg.ReadString("A"), "x");
  EXPECT_THROW(reg.WriteString("B", "y"), ERegistryException);
  EXPECT_EQ(*ReadWholeFile(Dir / "registry"), damaged);
}

TEST_F(RegistryTest, ConcurrentWritersKeepEveryValue) {
  auto writer = [](const std::string& Prefix) {
    TRegistry reg;
    reg.OpenKey("\\Software\\Temp\\mt", true);
    for (int i = 0; i < 20; ++i) reg.WriteInteger(Prefix + std::to_string(i), i);
  };
  std::thread a(writer, "a"), b(writer, "b");
  a.join();
  b.join();
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Software\\Temp\\mt", false));
  TStringList names;
  reg.GetValueNames(&names);
  EXPECT_EQ(names.Count(), 40);
}

// A batch of writes through the ini front is one replacement of the store, and a
// byte-order mark at its start hides nothing.
TEST_F(RegistryTest, AnUpdateIsOneReplacementOfTheStore) {
  AtomicWriteFile(Dir / "registry", "\xEF\xBB\xBF[HKEY_CURRENT_USER\\Software\\T\\S]\n\"A\"=dword:1\n");
  TRegistryIniFile ini("\\Software\\T");
  EXPECT_EQ(ini.ReadInteger("S", "A", 0), 1);
  const std::string before = *ReadWholeFile(Dir / "registry");
  ini.BeginUpdate();
  ini.WriteInteger("S", "A", 2);
  ini.WriteString("S", "B", "x");
  EXPECT_EQ(ini.ReadInteger("S", "A", 0), 2);
  EXPECT_EQ(*ReadWholeFile(Dir / "registry"), before);
  ini.EndUpdate();
  TRegistryIniFile fresh("\\Software\\T");
  EXPECT_EQ(fresh.ReadInteger("S", "A", 0), 2);
  EXPECT_EQ(fresh.ReadString("S", "B", ""), "x");
}

// A batch is made again over the store as it is at its end: another thread's change
// made meanwhile stays, and a write whose key another thread deleted meanwhile (it
// had returned normally) is reported by EndUpdate once the rest is written.
TEST_F(RegistryTest, AnUpdateEndsOverOtherWritersChanges) {
  struct Case {
    const char* What;
    std::function<void()> Meanwhile;  // run on another thread inside the batch
    bool Raises;
    const char* Store;  // the store after EndUpdate, without its heading line
  };
  const Case cases[] = {
      {"another value written",
       [] {
         TRegistry reg;
         reg.OpenKey("\\Software\\T\\S", true);
         reg.WriteString("C", "3");
       },
       false,
       "\n[HKEY_CURRENT_USER\\Software\\T\\S]\n\"A\"=sz:\"1\"\n\"C\"=sz:\"3\"\n\"B\"=sz:\"2\"\n"
       "\n[HKEY_CURRENT_USER\\Software\\T\\U]\n\"D\"=sz:\"4\"\n"},
      {"the key of a write deleted",
       [] {
         TRegistry reg;
         reg.DeleteKey("\\Software\\T\\S");
       },
       true, "\n[HKEY_CURRENT_USER\\Software\\T\\U]\n\"D\"=sz:\"4\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    AtomicWriteFile(Dir / "registry", "[HKEY_CURRENT_USER\\Software\\T\\S]\n\"A\"=sz:\"1\"\n"
                                      "[HKEY_CURRENT_USER\\Software\\T\\U]\n");
    TRegistryIniFile ini("\\Software\\T");
    ini.BeginUpdate();
    ini.WriteString("S", "B", "2");
    std::thread(c.Meanwhile).join();
    ini.WriteString("U", "D", "4");
    if (c.Raises) {
      try {
        ini.EndUpdate();
        ADD_FAILURE() << "EndUpdate did not raise";
      } catch (const ERegistryException& E) {
        EXPECT_EQ(E.Message(), "Failed to set data for 'B'");
      }
    } else {
      ini.EndUpdate();
    }
    const std::string text = *ReadWholeFile(Dir / "registry");
    EXPECT_EQ(text.substr(text.find('\n') + 1), c.Store);
  }
}

// A damaged store refuses a write inside a batch at once, as it does outside one,
// and is left as it is.
TEST_F(RegistryTest, ADamagedStoreRefusesBatchedWrites) {
  const std::string damaged = "[HKEY_CURRENT_USER\\K]\nnot a value line\n";
  AtomicWriteFile(Dir / "registry", damaged);
  TRegistryIniFile ini("\\K");
  ini.BeginUpdate();
  EXPECT_THROW(ini.WriteString("", "B", "y"), ERegistryException);
  ini.EndUpdate();
  EXPECT_EQ(*ReadWholeFile(Dir / "registry"), damaged);
}
