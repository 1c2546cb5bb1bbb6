#include <csignal>
#include <filesystem>
#include <random>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/safefile.h"
#include "platform/storage/atomicfile.h"
#include "platform/storage/inifiles.h"
#include "tempdir.h"

namespace {
std::string FileText(const std::string& Name) { return ReadWholeFile(Name).value_or("<missing>"); }
}  // namespace

// Every typed value goes out in its text form and comes back as it went.
TEST(IniFile, TypedValuesRoundTripInTheirTextForms) {
  TTempDir dir;
  TIniFile ini(dir / "a.ini");
  TDateTime date = EncodeDate(2026, 12, 7);
  TDateTime time = EncodeTime(13, 5, 9, 0);
  ini.WriteString("S", "Text", "hello world");
  ini.WriteInteger("S", "Int", -42);
  ini.WriteBool("S", "Flag", true);
  ini.WriteFloat("S", "Float", 1.5);
  ini.WriteDate("S", "Date", date);
  ini.WriteTime("S", "Time", time);
  ini.WriteDateTime("S", "When", date + time);
  TMemoryStream bin;
  bin.WriteBuffer("\x0A\xFF", 2);
  bin.SetPosition(0);
  ini.WriteBinaryStream("S", "Bin", &bin);

  EXPECT_EQ(FileText(dir / "a.ini"),
            "[S]\nText=hello world\nInt=-42\nFlag=1\nFloat=1.5\nDate=2026-12-7\n"
            "Time=13:05:09\nWhen=2026-12-7 13:05:09\nBin=0AFF\n");
  EXPECT_EQ(ini.ReadString("S", "Text", ""), "hello world");
  EXPECT_EQ(ini.ReadInteger("S", "Int", 0), -42);
  EXPECT_TRUE(ini.ReadBool("S", "Flag", false));
  EXPECT_EQ(ini.ReadFloat("S", "Float", 0), 1.5);
  EXPECT_EQ(ini.ReadDate("S", "Date", 0), date);
  EXPECT_NEAR(ini.ReadTime("S", "Time", 0), time, 1e-9);
  EXPECT_NEAR(ini.ReadDateTime("S", "When", 0), date + time, 1e-9);
  TMemoryStream back;
  EXPECT_EQ(ini.ReadBinaryStream("S", "Bin", &back), 2);
  EXPECT_EQ(back.Bytes(), (std::vector<uint8_t>{0x0A, 0xFF}));

  // Missing and unreadable values give the defaults.
  ini.WriteString("S", "Junk", "x1");
  EXPECT_EQ(ini.ReadInteger("S", "Junk", 7), 7);
  EXPECT_EQ(ini.ReadDate("S", "Junk", 3.0), 3.0);
  EXPECT_EQ(ini.ReadString("Other", "Text", "def"), "def");
  ini.WriteString("S", "Hex", "0x1F");
  EXPECT_EQ(ini.ReadInteger("S", "Hex", 0), 31);
}

TEST(IniFile, SectionsNamesEraseAndDelete) {
  TTempDir dir;
  std::string name = dir / "b.ini";
  AtomicWriteFile(name, "; kept comment\r\n[One]\r\nA = \"quoted\" \r\nb=2\r\n\r\n[Two]\r\nc=3\r\n");
  TIniFile ini(name);
  TStringList l;
  ini.ReadSections(&l);
  EXPECT_EQ(l.CommaText(), "One,Two");
  ini.ReadSection("one", &l);
  EXPECT_EQ(l.CommaText(), "A,b");
  ini.ReadSectionValues("ONE", &l);
  EXPECT_EQ(l.Text(), "A=quoted\r\nb=2\r\n");
  EXPECT_TRUE(ini.SectionExists("Two"));
  EXPECT_TRUE(ini.ValueExists("One", "B"));
  EXPECT_FALSE(ini.ValueExists("One", "c"));

  ini.WriteString("one", "New", "x");   // lands in the section, CRLF kept
  ini.DeleteKey("One", "b");
  ini.EraseSection("Two");
  EXPECT_EQ(FileText(name), "; kept comment\r\n[One]\r\nA = \"quoted\" \r\nNew=x\r\n\r\n");
  EXPECT_THROW(ini.WriteString("One", "Bad", "two\nlines"), EIniFileException);
  EXPECT_EQ(ini.ReadString("One", "New", ""), "x");
}

// Two objects on one file see each other's writes at once.
TEST(IniFile, TwoObjectsOnOneFileShareEveryWrite) {
  TTempDir dir;
  TIniFile a(dir / "c.ini"), b(dir / "c.ini");
  a.WriteInteger("S", "N", 1);
  EXPECT_EQ(b.ReadInteger("S", "N", 0), 1);
  b.WriteInteger("S", "N", 2);
  EXPECT_EQ(a.ReadInteger("S", "N", 0), 2);
}

// A process killed at any moment of a rewrite leaves the old or the new file,
// never a mix or a truncated one.
TEST(IniFile, KilledWriterLeavesOldOrNewContent) {
  TTempDir dir;
  std::string name = dir / "big.ini";
  const std::string a(1 << 20, 'a'), b((1 << 20) + 17, 'b');
  const std::string textA = "[S]\nBig=" + a + "\n", textB = "[S]\nBig=" + b + "\n";
  TIniFile(name).WriteString("S", "Big", a);
  std::mt19937 rng(16);
  for (int round = 0; round < 50; ++round) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      TIniFile ini(name);
      for (int i = 0;; ++i) ini.WriteString("S", "Big", i % 2 ? a : b);
    }
    usleep(2000 + rng() % 20000);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    std::string now = FileText(name);
    ASSERT_TRUE(now == textA || now == textB) << "round " << round << ": " << now.size() << " bytes";
  }
  // The killed writers' temporaries go once they are old (this process cleaned the
  // folder already, so it takes the explicit call).
  const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  for (const auto& e : std::filesystem::directory_iterator(dir.Path)) {
    if (e.path().filename() == "big.ini") continue;
    ASSERT_EQ(utimensat(AT_FDCWD, e.path().c_str(), old, 0), 0);
  }
  TSafeFile::RemoveStaleTemporaries(dir.Path);
  EXPECT_EQ(std::system(("test \"$(ls -A '" + dir.Path + "')\" = big.ini").c_str()), 0);
}

// A folder that cannot be written to makes a write raise and keeps the file.
TEST(IniFile, ReadOnlyFolderMakesWritesRaise) {
  TTempDir dir;
  std::string name = dir / "ro.ini";
  TIniFile(name).WriteString("S", "V", "old");
  ASSERT_EQ(chmod(dir.Path.c_str(), 0555), 0);
  // Run as root the folder's mode binds nothing: the child gives up its
  // capabilities first, as an ordinary user would not have them.
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    __user_cap_header_struct hdr{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2] = {};
    syscall(SYS_capset, &hdr, caps);
    TIniFile ini(name);
    int code = 1;
    try {
      ini.WriteString("S", "V", "new");
    } catch (const EIniFileException& E) {
      code = std::string(E.Message()).find("Unable to write to " + name) == 0 ? 0 : 2;
    }
    if (code == 0 && FileText(name) != "[S]\nV=old\n") code = 3;
    _exit(code);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(FileText(name), "[S]\nV=old\n");
}

// Threads, and processes, changing one file through their own objects lose none
// of the values.
TEST(IniFile, ConcurrentWritersKeepEveryValue) {
  TTempDir dir;
  std::string name = dir / "mt.ini";
  auto writer = [&](const std::string& Prefix) {
    TIniFile ini(name);
    for (int i = 0; i < 20; ++i) ini.WriteInteger("S", Prefix + std::to_string(i), i);
  };
  std::thread a(writer, "a"), b(writer, "b");
  a.join();
  b.join();
  pid_t pids[2];
  for (int p = 0; p < 2; ++p) {
    pids[p] = fork();
    ASSERT_GE(pids[p], 0);
    if (pids[p] == 0) {
      writer(p ? "d" : "c");
      _exit(0);
    }
  }
  for (pid_t pid : pids) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  TStringList names;
  TIniFile(name).ReadSection("S", &names);
  EXPECT_EQ(names.Count(), 80);
}

// Two processes changing one file, one through a symbolic link in another folder
// and one by its real name, lose none of each other's values: both lock the folder
// of the file that is really replaced.
TEST(IniFile, WritersThroughALinkAndTheRealNameKeepEveryValue) {
  TTempDir dir;
  ASSERT_EQ(mkdir((dir / "real").c_str(), 0700), 0);
  ASSERT_EQ(mkdir((dir / "elsewhere").c_str(), 0700), 0);
  const std::string real = dir / "real/shared.ini", link = dir / "elsewhere/link.ini";
  ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
  const std::string names[2] = {real, link};
  pid_t pids[2];
  for (int p = 0; p < 2; ++p) {
    pids[p] = fork();
    ASSERT_GE(pids[p], 0);
    if (pids[p] == 0) {
      TIniFile ini(names[p]);
      for (int i = 0; i < 60; ++i) ini.WriteInteger("S", (p ? "link" : "real") + std::to_string(i), i);
      _exit(0);
    }
  }
  for (pid_t pid : pids) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  TStringList keys;
  TIniFile(real).ReadSection("S", &keys);
  EXPECT_EQ(keys.Count(), 120);
  struct stat st {};
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

namespace {
ino_t InodeOf(const std::string& Name) {
  struct stat st {};
  return stat(Name.c_str(), &st) == 0 ? st.st_ino : 0;
}
}  // namespace

// Between BeginUpdate and EndUpdate the changes gather; the file is replaced once,
// at the end, over what it holds then, so another writer's change stays.
TEST(IniFile, AnUpdateIsOneReplacementOverTheFileAsItIsAtTheEnd) {
  TTempDir dir;
  const std::string name = dir / "batch.ini";
  AtomicWriteFile(name, "\xEF\xBB\xBF[S]\r\nA=1\r\n");
  const ino_t before = InodeOf(name);
  TIniFile ini(name), other(name);
  EXPECT_EQ(ini.ReadString("S", "A", ""), "1");  // the byte-order mark is no part of the section
  ini.BeginUpdate();
  ini.BeginUpdate();
  ini.WriteString("S", "B", "2");
  ini.DeleteKey("S", "A");
  EXPECT_THROW(ini.WriteString("S", "bad\nname", "x"), EIniFileException);
  EXPECT_EQ(ini.ReadString("S", "B", ""), "2");  // reads see the batch
  EXPECT_EQ(ini.ReadString("S", "A", "gone"), "gone");
  EXPECT_EQ(InodeOf(name), before);  // nothing written yet
  other.WriteString("S", "C", "3");
  ini.EndUpdate();
  EXPECT_EQ(FileText(name), "\xEF\xBB\xBF[S]\r\nA=1\r\nC=3\r\n");  // still inside the outer update
  ini.EndUpdate();
  EXPECT_EQ(FileText(name), "\xEF\xBB\xBF[S]\r\nC=3\r\nB=2\r\n");
  // Single writes go through at once again.
  ini.WriteString("S", "D", "4");
  EXPECT_EQ(other.ReadString("S", "D", ""), "4");
}
