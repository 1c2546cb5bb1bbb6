// Memory, file, string and resource streams.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "platform/core/gbk.h"
#include "platform/core/streams.h"

namespace {

std::string TempPath(const std::string& Leaf) {
  auto dir = std::filesystem::temp_directory_path() / ("dtu-streams-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return (dir / Leaf).string();
}

TEST(Streams, MemoryStreamGrowsSeeksAndRefusesShortReads) {
  TMemoryStream m;
  m.WriteBuffer("hello", 5);
  m.SetPosition(8);  // writing past the end fills the gap with zeros
  m.WriteBuffer("!", 1);
  EXPECT_EQ(m.Size(), 9);
  EXPECT_EQ(m.Bytes(), (std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o', 0, 0, 0, '!'}));
  m.SetSize(3);
  m.SetSize(6);  // regrown bytes do not show the old content
  EXPECT_EQ(m.Bytes(), (std::vector<uint8_t>{'h', 'e', 'l', 0, 0, 0}));

  char buf[8];
  m.SetPosition(4);
  EXPECT_EQ(m.Read(buf, 8), 2);
  m.SetPosition(4);
  try {
    m.ReadBuffer(buf, 3);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
  EXPECT_THROW(m.Seek(-1, soBeginning), EStreamError);
  EXPECT_EQ(m.Seek(-2, soEnd), 4);
}

TEST(Streams, CopyFromWholeSourceOrCount) {
  TStringStream src("abcdef");
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(&src, 0), 6);
  src.SetPosition(2);
  EXPECT_EQ(dst.CopyFrom(&src, 3), 3);
  EXPECT_EQ(std::string(static_cast<const char*>(dst.Memory()), 9), "abcdefcde");
  src.SetPosition(5);
  EXPECT_THROW(dst.CopyFrom(&src, 3), EReadError);
}

TEST(Streams, StringStreamReadsAndOverwrites) {
  TStringStream s("0123456789");
  s.SetPosition(3);
  EXPECT_EQ(s.ReadString(4), "3456");
  s.WriteString("xyz12");
  EXPECT_EQ(s.DataString(), "0123456xyz12");
  EXPECT_EQ(s.Seek(100, soBeginning), 12);  // never past the end
}

TEST(Streams, FileStreamCreateReopenAndErrors) {
  std::string name = TempPath("数据.bin");  // UTF-8 name passed to the OS as is
  {
    TFileStream f(name, fmCreate);
    f.WriteBuffer("abc", 3);
  }
  {
    TFileStream f(name, fmOpenReadWrite | fmShareDenyWrite);
    EXPECT_EQ(f.Size(), 3);
    f.Seek(0, soEnd);
    f.WriteBuffer("d", 1);
  }
  TMemoryStream m;
  m.LoadFromFile(name);
  EXPECT_EQ(m.Bytes(), (std::vector<uint8_t>{'a', 'b', 'c', 'd'}));
  {
    TFileStream ro(name, fmOpenRead);
    EXPECT_THROW(ro.WriteBuffer("x", 1), EWriteError);
  }

  struct Case { std::string Path; uint16_t Mode; std::string Prefix; bool Create; };
  const Case cases[] = {
      {TempPath("missing.bin"), fmOpenRead, "Cannot open file \"", false},
      {TempPath("no/such/dir.bin"), fmCreate, "Cannot create file \"", true},
      {std::filesystem::temp_directory_path().string(), fmOpenRead, "Cannot open file \"", false},
  };
  for (const Case& c : cases) {
    try {
      TFileStream f(c.Path, c.Mode);
      ADD_FAILURE() << c.Path;
    } catch (const EStreamError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.Prefix + c.Path + "\". ", 0), 0u) << e.what();
      EXPECT_EQ(dynamic_cast<const EFCreateError*>(&e) != nullptr, c.Create);
    }
  }
  std::filesystem::remove_all(std::filesystem::path(name).parent_path());
}

TEST(Streams, ResourceStreamReadsRegisteredBytes) {
  static const uint8_t kData[] = {1, 2, 3};
  RegisterResource("TFormProbe", kData, sizeof kData);
  TResourceStream r("tformprobe");
  EXPECT_EQ(r.Size(), 3);
  uint8_t b[3];
  r.ReadBuffer(b, 3);
  EXPECT_EQ(b[2], 3);
  EXPECT_EQ(r.Write(b, 1), 0);  // resources are read-only
  EXPECT_EQ(FindFormResource("TFormProbe").size(), 3u);
  EXPECT_TRUE(FindFormResource("TNoSuchForm").empty());
  try {
    TResourceStream missing("TNoSuchForm");
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_STREQ(e.what(), "Resource TNoSuchForm not found");
  }
}

}  // namespace

TEST(Streams, FileNamesAreGbkTextConvertedForTheOs) {
  auto dir = std::filesystem::temp_directory_path() / ("dtu-gbkname-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string utf8 = (dir / "\xE5\x8F\x98\xE9\x87\x8F.bin").string();  // 变量.bin
  {
    TFileStream f(Utf8ToGbk(utf8), fmCreate);
    f.WriteBuffer("x", 1);
  }
  EXPECT_TRUE(std::filesystem::exists(utf8));
  std::filesystem::remove_all(dir);
}
