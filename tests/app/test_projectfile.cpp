// The variable table's rules and the project file's layout, checks and safe saving.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "app/CollectSettings.h"
#include "platform/core/exceptions.h"
#include "app/ProjectFile.h"
#include "tests/app/filesize_limit.h"

namespace fs = std::filesystem;

// The test binary is linked with --wrap=fsync and --wrap=umask: every call of the
// code under test is recorded, then made.
namespace {
struct TSyncCall {
  bool Folder;
  std::string Path;
};
std::vector<TSyncCall> SyncCalls;
std::vector<mode_t> UmaskCalls;
std::mutex CallsLock;  // other threads of the binary may call them too
}  // namespace

extern "C" int __real_fsync(int Fd);
extern "C" mode_t __real_umask(mode_t Mask);
extern "C" int __wrap_fsync(int Fd) {
  struct stat st {};
  ::fstat(Fd, &st);
  char path[4096] = {};
  ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(Fd)).c_str(), path, sizeof path - 1);
  {
    std::lock_guard<std::mutex> lock(CallsLock);
    SyncCalls.push_back({S_ISDIR(st.st_mode), n > 0 ? std::string(path, static_cast<size_t>(n)) : ""});
  }
  return __real_fsync(Fd);
}
extern "C" mode_t __wrap_umask(mode_t Mask) {
  {
    std::lock_guard<std::mutex> lock(CallsLock);
    UmaskCalls.push_back(Mask);
  }
  return __real_umask(Mask);
}

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
  TProjectResult result;
  {
    TFileSizeLimit limit(300);
    result = WriteProjectFile(p.string(), big);
  }

  EXPECT_EQ(result, TProjectResult::prCannotWrite);
  EXPECT_EQ(ReadBytes(p), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  EXPECT_EQ(WriteProjectFile((dir / "no-such-dir" / "x.cloud").string(), old),
            TProjectResult::prCannotWrite);
}

TEST_F(ProjectFileTest, SavingReplacesOnlyWhatItShouldAndFlushesTheFolder) {
  TProjectData old, fresh;
  fresh.Station = 9;
  const std::string freshBytes = EncodeProject(fresh);
  struct Case {
    const char* what;
    std::function<fs::path()> prepare;  // the path saved to
    TProjectResult result;
    const char* kept;                   // the file that must hold the old bytes, if any
  };
  auto writeOld = [&](const fs::path& p) { std::ofstream(p, std::ios::binary) << EncodeProject(old); };
  const Case cases[] = {
      {"read-only file", [&] { writeOld(dir / "ro.cloud"); fs::permissions(dir / "ro.cloud", fs::perms(0444)); return dir / "ro.cloud"; },
       TProjectResult::prCannotWrite, "ro.cloud"},
      {"a FIFO", [&] { ::mkfifo((dir / "fifo.cloud").c_str(), 0644); return dir / "fifo.cloud"; },
       TProjectResult::prCannotWrite, nullptr},
      {"a 250-byte name", [&] { return dir / (std::string(244, 'n') + ".cloud"); }, TProjectResult::prOk, nullptr},
      {"a symbolic link", [&] {
         writeOld(dir / "real.cloud");
         fs::create_symlink("real.cloud", dir / "link.cloud");
         return dir / "link.cloud"; }, TProjectResult::prOk, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::path target = c.prepare();
    SyncCalls.clear();
    EXPECT_EQ(WriteProjectFile(target.string(), fresh), c.result);
    if (c.kept) {
      EXPECT_EQ(ReadBytes(dir / c.kept), EncodeProject(old));
    }
    if (c.result == TProjectResult::prOk) {
      EXPECT_EQ(ReadBytes(target), freshBytes);
      // The file is flushed, then the folder that holds its new name.
      ASSERT_EQ(SyncCalls.size(), 2u);
      EXPECT_FALSE(SyncCalls[0].Folder);
      EXPECT_TRUE(SyncCalls[1].Folder);
      EXPECT_EQ(fs::path(SyncCalls[1].Path), fs::canonical(dir));
    }
  }
  EXPECT_TRUE(fs::is_symlink(dir / "link.cloud"));
  EXPECT_EQ(ReadBytes(dir / "real.cloud"), freshBytes);
  EXPECT_TRUE(fs::is_fifo(dir / "fifo.cloud"));
  // No temporary file is left behind by any of them.
  for (const auto& e : fs::directory_iterator(dir)) EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
}

TEST_F(ProjectFileTest, ANewFileGetsThePermissionsOfTheUmaskWhichIsNeverCleared) {
  mode_t saved = __real_umask(027);
  UmaskCalls.clear();
  TProjectResult result = WriteProjectFile((dir / "new.cloud").string(), TProjectData{});
  __real_umask(saved);
  ASSERT_EQ(result, TProjectResult::prOk);
  EXPECT_EQ(fs::status(dir / "new.cloud").permissions(), fs::perms(0640));
  EXPECT_EQ(std::count(UmaskCalls.begin(), UmaskCalls.end(), 0), 0);
  // A replaced file keeps its own permissions.
  fs::permissions(dir / "new.cloud", fs::perms(0604));
  ASSERT_EQ(WriteProjectFile((dir / "new.cloud").string(), TProjectData{}), TProjectResult::prOk);
  EXPECT_EQ(fs::status(dir / "new.cloud").permissions(), fs::perms(0604));
}

TEST_F(ProjectFileTest, OnlyRegularFilesAreOpenedAndAFifoDoesNotBlock) {
  ASSERT_EQ(::mkfifo((dir / "pipe.cloud").c_str(), 0600), 0);
  for (const fs::path& p : {dir / "pipe.cloud", fs::path("/dev/zero"), dir}) {
    SCOPED_TRACE(p.string());
    std::atomic<bool> done{false};
    TProjectResult result = TProjectResult::prOk;
    std::thread reader([&] {
      TProjectData out;
      result = ReadProjectFile(p.string(), out);
      done = true;
    });
    for (int i = 0; i < 1000 && !done; ++i) ::usleep(10000);
    if (!done) {
      ADD_FAILURE() << "the read blocks";
      ::close(::open((dir / "pipe.cloud").c_str(), O_WRONLY | O_NONBLOCK));  // lets it end
    }
    reader.join();
    EXPECT_EQ(result, TProjectResult::prCannotOpen);
  }
}

TEST(ProjectDecoder, RandomDamageIsRefusedOrDecodedFieldByField) {
  // Each damaged file is judged from the layout alone: refused exactly when it is
  // shorter than its count says, counts above 1000, or holds a type code or decimals
  // above 4; otherwise every field is the bytes at its offset.
  TProjectData d;
  d.Vars.assign(5, MakeVar(1, 1, "A"));
  const std::string base = EncodeProject(d);
  auto u16 = [](const std::string& b, size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
  };
  std::mt19937 rng(1234);
  int decoded = 0, refused = 0;
  for (int i = 0; i < 3000; ++i) {
    std::string b = base.substr(0, base.size() - rng() % 120 * (rng() % 4 == 0));
    for (int k = rng() % 6; k > 0; --k) b[rng() % b.size()] = static_cast<char>(rng());
    if (rng() % 8 == 0) b[210 + rng() % 2] = static_cast<char>(rng() % 8);
    const unsigned count = u16(b, 210);
    bool valid = count <= 1000 && b.size() >= 212 + 118 * count;
    for (unsigned r = 0; valid && r < count; ++r) {
      unsigned char format = static_cast<unsigned char>(b[212 + 118 * r + 3]);
      valid = ((format >> 1) & 7) <= 4 && (format >> 4) <= 4;
    }
    SCOPED_TRACE(i);
    TProjectData out;
    ASSERT_EQ(DecodeProject(b, out) == TProjectResult::prOk, valid);
    if (!valid) {
      ++refused;
      continue;
    }
    ++decoded;
    EXPECT_EQ(out.SerialWord, u16(b, 0));
    EXPECT_EQ(static_cast<uint16_t>(out.Station), u16(b, 2));
    EXPECT_EQ(static_cast<uint16_t>(out.RegStart), u16(b, 4));
    EXPECT_EQ(static_cast<uint16_t>(out.CoilStart), u16(b, 6));
    EXPECT_EQ(static_cast<uint16_t>(out.Interval), u16(b, 8));
    EXPECT_EQ(std::string(out.Key, 50), b.substr(160, 50));
    ASSERT_EQ(out.Vars.size(), count);
    for (unsigned r = 0; r < count; ++r) {
      EXPECT_EQ(out.Vars[r].Address, u16(b, 212 + 118 * r));
      EXPECT_EQ(std::memcmp(&out.Vars[r], b.data() + 212 + 118 * r, 118), 0);
    }
  }
  // Both outcomes were really exercised.
  EXPECT_GT(decoded, 300);
  EXPECT_GT(refused, 300);
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

  // A bad number raises before any setting changes.
  const char* const bad[][3] = {{"x", "0", "0"}, {"7", "40001", "0"}, {"7", "0", "abc"}};
  for (const auto& numbers : bad) {
    SCOPED_TRACE(std::string(numbers[0]) + " " + numbers[1] + " " + numbers[2]);
    TPageValues typo;
    typo.BaudIndex = 4;
    typo.Station = numbers[0];
    typo.RegStart = numbers[1];
    typo.CoilStart = numbers[2];
    typo.Addr = "typed";
    typo.Interval = 60;
    EXPECT_THROW(CollectSettingsFrom(typo), EConvertError);
    EXPECT_EQ(PlcSerialWord, 0x0810);
    EXPECT_EQ(PlcStation, 1);
    EXPECT_EQ(PlcRegStart, 100);
    EXPECT_EQ(FieldText(CloudAddr), "");
    EXPECT_EQ(UploadInterval, 6);
  }
  try {
    SettingFromText("40001");
    ADD_FAILURE() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "“40001”超出范围，请输入 -32768 到 32767 之间的整数！");
  }
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
