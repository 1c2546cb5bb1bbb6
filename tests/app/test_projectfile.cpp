// The variable table's rules and the project file's layout, checks and safe saving.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "app/CollectSettings.h"
#include "platform/core/exceptions.h"
#include "app/ProjectFile.h"

namespace fs = std::filesystem;

namespace {

TVarRecord MakeVar(int code, int address, const char* name, int decimals = 0) {
  TVarRecord r;
  std::memset(&r, 0, sizeof r);
  SetVarTypeCode(r, code);
  SetVarDecimals(r, decimals);
  r.Address = static_cast<uint16_t>(address);
  SetFieldText(r.Name, name);
  return r;
}

std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class ProjectFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetAppState();
    dir = fs::temp_directory_path() / ("dtu-project-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override {
    fs::remove_all(dir);
    ResetAppState();
  }
  fs::path dir;
};

}  // namespace

TEST(VarTable, AddressWindowsAreInclusiveAndPerType) {
  ResetAppState();
  PlcRegStart = 100;
  PlcCoilStart = 0;
  struct Case { int code; long long address; bool inside; };
  const Case cases[] = {
      {1, 100, true}, {1, 227, true}, {1, 99, false}, {1, 228, false}, {4, 150, true},
      {0, 127, true}, {0, 128, false}, {0, 100, true},  // coils ignore the register window
      {1, 65541, false},                                // never cut to 16 bits before the check
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.code) + "@" + std::to_string(c.address));
    EXPECT_EQ(AddressInWindow(c.code, c.address), c.inside);
  }
  EXPECT_EQ(WindowOffset(MakeVar(1, 100, "a")), 1);
  EXPECT_EQ(WindowOffset(MakeVar(1, 227, "a")), 128);
  ResetAppState();
}

TEST(VarTable, ListRowsShowTheRecordInColumnOrder) {
  TVarRecord coil = MakeVar(0, 16385, "K1");
  TVarRecord reg = MakeVar(3, 40001, "Temp", 2);
  reg.ReadWrite = 1;
  reg.Store = 1;
  SetFieldText(reg.Period, "5");
  SetFieldText(reg.Unit, "℃");
  auto c = VarRowTexts(coil, TTypeLabels::tlDialog);
  EXPECT_EQ(c[0], "0X(M)1");
  EXPECT_EQ(c[1], "位变量");
  EXPECT_EQ(VarRowTexts(coil, TTypeLabels::tlOpened)[1], "线圈");
  EXPECT_EQ(c[5], "只读");
  EXPECT_EQ(c[8], "");
  auto r = VarRowTexts(reg, TTypeLabels::tlOpened);
  EXPECT_EQ(r[0], "4X(D)40001");
  EXPECT_EQ(r[1], "无符号32位整数");
  EXPECT_EQ(r[2], "2");
  EXPECT_EQ(r[4], "\xA1\xE6");  // ℃ in GBK
  EXPECT_EQ(r[5], "读写");
  EXPECT_EQ(r[7], "存储");
  EXPECT_EQ(r[8], "5分钟");
  EXPECT_EQ(ExportTypeLabel(reg), "float32");
  EXPECT_EQ(ExportTypeLabel(coil), "bool");
}

TEST(VarTable, FieldTextsStopAtTheFieldEndAndKeepBytesAfterTheTerminator) {
  TVarRecord r = MakeVar(1, 1, "ABCDEFGHIJ");
  std::memset(r.Unit, 'x', sizeof r.Unit);  // no terminator at all
  EXPECT_EQ(FieldText(r.Unit), std::string(10, 'x'));
  SetFieldText(r.Unit, "kg");
  EXPECT_EQ(std::string(r.Unit, 10), std::string("kg\0xxxxxxx", 10));
  SetFieldText(r.Unit, "变量名称单位");  // 12 bytes into a 10-byte field: whole characters only
  EXPECT_EQ(FieldText(r.Unit), "变量名称");
}

TEST_F(ProjectFileTest, GoldenLayout) {
  TProjectData d;
  EXPECT_EQ(EncodeProject(d).size(), 212u);
  d.SerialWord = 0x0810;
  d.Station = 1;
  d.Interval = 6;
  std::strcpy(d.Addr, "iot.example.com");
  d.Vars = {MakeVar(0, 3, "A"), MakeVar(1, 40001, "B", 1), MakeVar(4, 7, "C")};
  std::string bytes = EncodeProject(d);
  ASSERT_EQ(bytes.size(), 566u);
  EXPECT_EQ(bytes.substr(0, 10), std::string("\x10\x08\x01\x00\x00\x00\x00\x00\x06\x00", 10));
  EXPECT_EQ(bytes.substr(10, 15), "iot.example.com");
  EXPECT_EQ(bytes.substr(210, 2), std::string("\x03\x00", 2));
  // Second record: address 40001 = 0x9C41, format = type 1 << 1 | 1 decimal << 4.
  EXPECT_EQ(bytes.substr(212 + 118, 4), std::string("\x41\x9C\x00\x12", 4));
  EXPECT_EQ(bytes.substr(212 + 118 + 4, 2), std::string("B\0", 2));
}

TEST_F(ProjectFileTest, OpenThenSaveIsByteIdenticalEvenWithJunkAfterTerminators) {
  TProjectData d;
  std::memset(d.Key, 'k', sizeof d.Key);
  d.Key[3] = '\0';
  TVarRecord r = MakeVar(2, 5, "V1");
  std::memset(r.Condition, 0x7F, sizeof r.Condition);
  r.Condition[0] = '\0';
  r.Reserved = 0xAB;
  r.Format |= 1;  // reserved bit kept
  d.Vars = {r};
  std::string original = EncodeProject(d);
  original += "trailing bytes are ignored";
  fs::path p = dir / "junk.cloud";
  std::ofstream(p, std::ios::binary) << original;

  TProjectData loaded;
  ASSERT_EQ(ReadProjectFile(p.string(), loaded), TProjectResult::prOk);
  ApplyProject(loaded);
  fs::path q = dir / "copy.cloud";
  ASSERT_EQ(WriteProjectFile(q.string(), CaptureProject()), TProjectResult::prOk);
  EXPECT_EQ(ReadBytes(q), original.substr(0, 212 + 118));
}

TEST_F(ProjectFileTest, BadFilesAreRefusedAndNothingIsTouched) {
  TProjectData good;
  good.Vars = {MakeVar(1, 1, "A"), MakeVar(1, 2, "B")};
  std::string bytes = EncodeProject(good);
  auto withCount = [&](uint16_t n) {
    std::string b = bytes;
    b[210] = static_cast<char>(n & 0xFF);
    b[211] = static_cast<char>(n >> 8);
    return b;
  };
  std::string badType = bytes;
  badType[212 + 3] = static_cast<char>(5 << 1);
  std::string badDecimals = bytes;
  badDecimals[212 + 118 + 3] = static_cast<char>((1 << 1) | (5 << 4));
  struct Case { const char* what; std::string bytes; };
  const Case cases[] = {
      {"empty", ""},
      {"short header", bytes.substr(0, 211)},
      {"truncated record", bytes.substr(0, bytes.size() - 1)},
      {"count above 1000", withCount(1001) + std::string(118 * 1001, '\0')},
      {"count beyond the data", withCount(3)},
      {"type code 5", badType},
      {"decimals 5", badDecimals},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TProjectData out;
    out.Station = 77;
    EXPECT_EQ(DecodeProject(c.bytes, out), TProjectResult::prBadFormat);
    EXPECT_EQ(out.Station, 77);
    EXPECT_TRUE(out.Vars.empty());
  }
  TProjectData out;
  EXPECT_EQ(ReadProjectFile((dir / "missing.cloud").string(), out), TProjectResult::prCannotOpen);
  EXPECT_EQ(ProjectResultMessage(TProjectResult::prBadFormat), "文件格式错误！");
}

TEST_F(ProjectFileTest, AFailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
  fs::path p = dir / "keep.cloud";
  TProjectData old;
  ASSERT_EQ(WriteProjectFile(p.string(), old), TProjectResult::prOk);
  std::string before = ReadBytes(p);

  // A file-size limit makes the write fail part way, whoever runs the test (root too).
  TProjectData big;
  big.Vars.assign(3, MakeVar(1, 1, "X"));
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 300;
  setrlimit(RLIMIT_FSIZE, &small);
  TProjectResult result = WriteProjectFile(p.string(), big);
  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &previous, nullptr);

  EXPECT_EQ(result, TProjectResult::prCannotWrite);
  EXPECT_EQ(ReadBytes(p), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  EXPECT_EQ(WriteProjectFile((dir / "no-such-dir" / "x.cloud").string(), old),
            TProjectResult::prCannotWrite);
}

TEST(ProjectDecoder, RandomDamageNeverCrashesOrOverreads) {
  TProjectData d;
  d.Vars.assign(5, MakeVar(1, 1, "A"));
  const std::string base = EncodeProject(d);
  std::mt19937 rng(1234);
  for (int i = 0; i < 3000; ++i) {
    std::string b = base.substr(0, rng() % (base.size() + 1));
    for (int k = rng() % 6; k > 0 && !b.empty(); --k) b[rng() % b.size()] = static_cast<char>(rng());
    TProjectData out;
    if (DecodeProject(b, out) == TProjectResult::prOk) {
      EXPECT_LE(out.Vars.size(), 5u);
      EXPECT_GE(b.size(), 212 + 118 * out.Vars.size());
    }
  }
}

TEST(CollectSettings, CopiesThePageAndChecksEveryVariable) {
  ResetAppState();
  TPageValues page;
  page.BaudIndex = 4;
  page.BitsIndex = 1;
  page.ParityIndex = 2;
  page.StopIndex = 1;
  page.Interval = 6.9;
  page.Key = std::string(60, 'k');  // longer than the field: cut to 49 bytes
  EXPECT_EQ(CollectSettingsFrom(page), 0);  // an empty table always passes
  EXPECT_EQ(PlcSerialWord, 0x2419);
  EXPECT_EQ(PlcStation, 1);
  EXPECT_EQ(UploadInterval, 6);
  EXPECT_EQ(FieldText(CloudKey).size(), 49u);

  page = TPageValues{};
  page.RegStart = "100";
  VarTable[0] = MakeVar(1, 100, "A");
  VarTable[1] = MakeVar(1, 228, "B");
  VarCount = 2;
  EXPECT_EQ(CollectSettingsFrom(page), 1);
  EXPECT_EQ(PlcRegStart, 100);  // assigned before the check failed
  VarTable[1] = MakeVar(0, 127, "B");
  EXPECT_EQ(CollectSettingsFrom(page), 0);

  // Bad numbers raise; fields before the failing one keep their new values.
  page.Station = "7";
  page.RegStart = "40001";
  EXPECT_THROW(CollectSettingsFrom(page), EConvertError);
  EXPECT_EQ(PlcStation, 7);
  page.RegStart = "abc";
  EXPECT_THROW(CollectSettingsFrom(page), EConvertError);
  EXPECT_EQ(SettingFromText("-32768"), -32768);
  EXPECT_EQ(SettingFromText("$10"), 16);
  ResetAppState();
}

TEST(ProjectDecoder, FuzzCorpusReplaysClean) {
  int files = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(DTU_TEST_DATA_DIR) / "fuzz-project")) {
    SCOPED_TRACE(entry.path().filename().string());
    std::string bytes = ReadBytes(entry.path());
    TProjectData d;
    if (DecodeProject(bytes, d) == TProjectResult::prOk) {
      EXPECT_EQ(bytes.compare(0, EncodeProject(d).size(), EncodeProject(d)), 0);
    }
    ++files;
  }
  EXPECT_GE(files, 6);
}
