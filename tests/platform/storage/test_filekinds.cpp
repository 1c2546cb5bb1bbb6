// Every file the system keeps goes through one safe-replace routine: the ini files,
// the registry store, the serial device map and (through TSafeFile itself) the
// project file and the workbook export. One table of file kinds and faults, run
// against each of them.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/exceptions.h"
#include "platform/core/safefile.h"
#include "platform/core/scope.h"
#include "platform/storage/inifiles.h"
#include "platform/storage/registry.h"
#include "platform/win32/clock.h"
#include "platform/win32/devicemap.h"
#include "tempdir.h"

namespace fs = std::filesystem;

namespace {

// One kind of file: how a value "v" is written to Path and read back, and what the
// file holds before ("old" as the value, after an optional prefix such as a
// byte-order mark).
struct TStoreKind {
  const char* Name;
  std::function<void(const std::string& Path)> Write;  // raises when refused
  std::function<std::string(const std::string& Path)> Read;
  std::function<std::string(const std::string& Prefix)> OldText;
};

const TStoreKind kKinds[] = {
    {"ini file",
     [](const std::string& P) { TIniFile(P).WriteString("S", "k", "v"); },
     [](const std::string& P) { return TIniFile(P).ReadString("S", "k", ""); },
     [](const std::string& Prefix) { return Prefix + "[S]\nk=old\n"; }},
    {"registry store",
     [](const std::string& P) {
       SetRegistryStorePathOverride(P);
       TRegistry reg;
       reg.OpenKey("\\Software\\T", true);
       reg.WriteString("k", "v");
     },
     [](const std::string& P) {
       SetRegistryStorePathOverride(P);
       TRegistry reg;
       return reg.OpenKey("\\Software\\T", false) ? reg.ReadString("k") : std::string();
     },
     [](const std::string& Prefix) { return Prefix + "[HKEY_CURRENT_USER\\Software\\T]\n\"k\"=sz:\"old\"\n"; }},
    {"device map",
     [](const std::string& P) {
       TSerialDeviceMap::Update([](TSerialDeviceMap& M) {
         M.Set("k", "v");
         return true;
       }, P);
     },
     [](const std::string& P) { return TSerialDeviceMap(P).Find("k").value_or(""); },
     [](const std::string& Prefix) { return Prefix + "k=old\n"; }},
    {"project file / workbook (TSafeFile)",
     [](const std::string& P) {
       TSafeFile f(P);
       if (!f.Write("v") || !f.Commit()) throw EWriteError(f.ErrorText());
     },
     [](const std::string& P) {
       std::string data;
       return ReadRegularFile(P, data, static_cast<size_t>(-1), true) == 0 && data.rfind("k=", 0) == 0 ? data.substr(2, data.find('\n') - 2)
                                                                       : data;
     },
     [](const std::string& Prefix) { return Prefix + "k=old\n"; }},
};

std::string Text(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// What a reader gives, "<refused>" when it raises.
std::string ReadOrRefused(const TStoreKind& K, const std::string& Path) {
  try {
    return K.Read(Path);
  } catch (const Exception&) {
    return "<refused>";
  }
}

bool Refused(const TStoreKind& K, const std::string& Path) {
  try {
    K.Write(Path);
    return false;
  } catch (const Exception&) {
    return true;
  }
}

// The names in Folder, the locks the device map keeps beside its file left out.
std::set<std::string> Names(const std::string& Folder) {
  std::set<std::string> out;
  for (const auto& e : fs::directory_iterator(Folder)) {
    std::string n = e.path().filename().string();
    if (n.size() < 5 || n.compare(n.size() - 5, 5, ".lock") != 0) out.insert(n);
  }
  return out;
}

// Sets the time stamps of Path (not of what a link leads to) far in the past.
void MakeOld(const std::string& Path) {
  const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, Path.c_str(), old, AT_SYMLINK_NOFOLLOW), 0) << Path;
}

// A writer killed in the middle of a replacement: its temporary file stays. With
// LongAgo it died long ago (its temporary is old). Gives the temporary's path.
std::string KilledWriter(const std::string& Path, bool LongAgo = false) {
  int pipe_[2];
  if (pipe(pipe_) != 0) return "";
  pid_t pid = fork();
  if (pid == 0) {
    TSafeFile f(Path);
    f.Write("half");
    (void)!write(pipe_[1], f.TempPath().c_str(), f.TempPath().size());
    raise(SIGKILL);
  }
  close(pipe_[1]);
  char temp[4096];
  ssize_t n = read(pipe_[0], temp, sizeof temp);
  close(pipe_[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  const std::string out = n > 0 ? std::string(temp, static_cast<size_t>(n)) : "";
  if (LongAgo && !out.empty()) MakeOld(out);
  return out;
}

// The pid of a process that has ended and been reaped.
pid_t DeadPid() {
  pid_t pid = fork();
  if (pid == 0) _exit(0);
  int status = 0;
  waitpid(pid, &status, 0);
  return pid;
}

class CurrentFolder {
public:
  explicit CurrentFolder(const std::string& Dir) : FOld(fs::current_path()) { fs::current_path(Dir); }
  ~CurrentFolder() { fs::current_path(FOld); }
private:
  fs::path FOld;
};

}  // namespace

TEST(FileKinds, EveryStoreReplacesSafelyAndRefusesWhatItMustNot) {
  enum TOutcome { Written, Refused_ };
  struct Case {
    const char* What;
    // Makes the case in Dir and gives the path to use (relative ones run in Dir).
    std::function<std::string(const std::string& Dir, const TStoreKind& K)> Prepare;
    TOutcome Outcome;
    // The value read before the write ("" when there is none to read).
    const char* Before;
    // Further checks after the write.
    std::function<void(const std::string& Dir)> Check;
  };
  const Case cases[] = {
      {"a symbolic link is followed and kept",
       [](const std::string& D, const TStoreKind& K) {
         std::ofstream(D + "/real") << K.OldText("");
         fs::create_symlink("real", D + "/link");
         return D + "/link";
       },
       Written, "old",
       [](const std::string& D) {
         EXPECT_TRUE(fs::is_symlink(D + "/link"));
         EXPECT_EQ(Names(D), (std::set<std::string>{"link", "real"}));
       }},
      {"a read-only file is refused and kept",
       [](const std::string& D, const TStoreKind& K) {
         std::ofstream(D + "/ro") << K.OldText("");
         fs::permissions(D + "/ro", fs::perms(0444));
         return D + "/ro";
       },
       Refused_, "old",
       [](const std::string& D) { EXPECT_EQ(fs::status(D + "/ro").permissions(), fs::perms(0444)); }},
      {"a 250-character name",
       [](const std::string& D, const TStoreKind&) { return D + "/" + std::string(250, 'n'); }, Written, "",
       [](const std::string& D) { EXPECT_EQ(Names(D), std::set<std::string>{std::string(250, 'n')}); }},
      {"a FIFO is refused at once",
       [](const std::string& D, const TStoreKind&) {
         mkfifo((D + "/fifo").c_str(), 0644);
         return D + "/fifo";
       },
       Refused_, "",
       [](const std::string& D) { EXPECT_TRUE(fs::is_fifo(D + "/fifo")); }},
      {"a device (through a link to /dev/zero) is refused and never read",
       [](const std::string& D, const TStoreKind&) {
         fs::create_symlink("/dev/zero", D + "/zero");
         return D + "/zero";
       },
       Refused_, "",
       [](const std::string& D) { EXPECT_EQ(Names(D), std::set<std::string>{"zero"}); }},
      {"a one-character name without a folder",
       [](const std::string&, const TStoreKind&) { return std::string("x"); }, Written, "",
       [](const std::string& D) { EXPECT_EQ(Names(D), std::set<std::string>{"x"}); }},
      {"a longer name without a folder",
       [](const std::string& D, const TStoreKind& K) {
         std::ofstream(D + "/settings") << K.OldText("");
         return std::string("settings");
       },
       Written, "old", [](const std::string& D) { EXPECT_EQ(Names(D), std::set<std::string>{"settings"}); }},
      {"a UTF-8 byte-order mark is skipped",
       [](const std::string& D, const TStoreKind& K) {
         std::ofstream(D + "/bom") << K.OldText("\xEF\xBB\xBF");
         return D + "/bom";
       },
       Written, "old", nullptr},
      {"the temporaries of writers that died long ago go",
       [](const std::string& D, const TStoreKind&) {
         KilledWriter(D + "/f", true);
         KilledWriter(D + "/g", true);
         return D + "/f";
       },
       Written, "",
       [](const std::string& D) { EXPECT_EQ(Names(D), std::set<std::string>{"f"}); }},
  };
  for (const TStoreKind& kind : kKinds) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(kind.Name) + ": " + c.What);
      TTempDir dir;
      CurrentFolder here(dir.Path);
      const std::string path = c.Prepare(dir.Path, kind);
      const bool fileBefore = fs::is_regular_file(path);
      const std::string before = fileBefore ? Text(path) : "";
      if (fileBefore) {
        EXPECT_EQ(ReadOrRefused(kind, path), c.Before);
      } else {
        // Reading what is not a regular file returns at once, with nothing.
        std::string read = ReadOrRefused(kind, path);
        EXPECT_TRUE(read.empty() || read == "<refused>") << read;
      }
      EXPECT_EQ(Refused(kind, path), c.Outcome == Refused_);
      if (c.Outcome == Written) {
        EXPECT_EQ(ReadOrRefused(kind, path), "v");
      } else if (fileBefore) {
        EXPECT_EQ(Text(path), before);  // left as it was
      }
      if (c.Check) c.Check(dir.Path);
    }
  }
  SetRegistryStorePathOverride("");
}

// A writer that is still at work keeps its temporary (old as it may be), even while
// others replace files beside it and clean the folder, and then commits as usual.
TEST(FileKinds, ALiveWritersTemporaryIsNeverTaken) {
  TTempDir dir;
  TSafeFile live(dir / "a");
  ASSERT_TRUE(live.Ok());
  ASSERT_TRUE(live.Write("live"));
  MakeOld(live.TempPath());
  KilledWriter(dir / "b", true);
  int n = 0;
  for (const TStoreKind& kind : kKinds) {
    SCOPED_TRACE(kind.Name);
    kind.Write(dir / ("c" + std::to_string(n++)));
    EXPECT_TRUE(fs::exists(live.TempPath()));
  }
  EXPECT_EQ(TSafeFile::RemoveStaleTemporaries(dir.Path), 1);  // the dead one only
  EXPECT_TRUE(fs::exists(live.TempPath()));
  ASSERT_TRUE(live.Commit());
  EXPECT_EQ(Text(dir / "a"), "live");
  SetRegistryStorePathOverride("");
}

// Only a temporary whose writer is surely gone is ever removed: one named exactly so,
// a plain file, its pid gone from this machine, its lock free, older than a minute,
// and never the file being replaced.
TEST(FileKinds, OnlyADeadWritersOldTemporaryIsRemoved) {
  const std::string dead = std::to_string(DeadPid());
  const std::string live = std::to_string(getpid());
  struct Case {
    const char* What;
    // Makes the file(s) in Dir; gives the name that must stay or go.
    std::function<std::string(const std::string& Dir)> Prepare;
    bool Removed;
  };
  const Case cases[] = {
      {"a dead writer's old temporary",
       [&](const std::string& D) {
         std::ofstream(D + "/.dtu-" + dead + "-abcdefghij") << "half";
         MakeOld(D + "/.dtu-" + dead + "-abcdefghij");
         return ".dtu-" + dead + "-abcdefghij";
       },
       true},
      {"a killed writer's old temporary (its lock was released)",
       [](const std::string& D) { return fs::path(KilledWriter(D + "/f", true)).filename().string(); }, true},
      {"a file named so whose pid is alive",
       [&](const std::string& D) {
         std::ofstream(D + "/.dtu-" + live + "-abcdefghij") << "mine";
         MakeOld(D + "/.dtu-" + live + "-abcdefghij");
         return ".dtu-" + live + "-abcdefghij";
       },
       false},
      {"a young file whose pid is gone",
       [&](const std::string& D) {
         std::ofstream(D + "/.dtu-" + dead + "-abcdefghij") << "mine";
         return ".dtu-" + dead + "-abcdefghij";
       },
       false},
      {"a killed writer's temporary from a moment ago",
       [](const std::string& D) { return fs::path(KilledWriter(D + "/f")).filename().string(); }, false},
      {"a symbolic link named so",
       [&](const std::string& D) {
         std::ofstream(D + "/real") << "real";
         fs::create_symlink("real", D + "/.dtu-" + dead + "-abcdefghij");
         MakeOld(D + "/real");
         MakeOld(D + "/.dtu-" + dead + "-abcdefghij");
         return ".dtu-" + dead + "-abcdefghij";
       },
       false},
      {"nine random characters",
       [&](const std::string& D) {
         std::ofstream(D + "/.dtu-" + dead + "-abcdefghi") << "mine";
         MakeOld(D + "/.dtu-" + dead + "-abcdefghi");
         return ".dtu-" + dead + "-abcdefghi";
       },
       false},
      {"eleven random characters",
       [&](const std::string& D) {
         std::ofstream(D + "/.dtu-" + dead + "-abcdefghijk") << "mine";
         MakeOld(D + "/.dtu-" + dead + "-abcdefghijk");
         return ".dtu-" + dead + "-abcdefghijk";
       },
       false},
      {"a pid too large for any process",
       [](const std::string& D) {
         std::ofstream(D + "/.dtu-99999999999-abcdefghij") << "mine";
         MakeOld(D + "/.dtu-99999999999-abcdefghij");
         return std::string(".dtu-99999999999-abcdefghij");
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TTempDir dir;
    const std::string name = c.Prepare(dir.Path);
    ASSERT_FALSE(name.empty());
    // A replacement of another file in the folder cleans it (the first in this folder).
    TSafeFile other(dir / "other");
    ASSERT_TRUE(other.Write("x") && other.Commit());
    EXPECT_EQ(!fs::exists(fs::symlink_status(dir / name)), c.Removed);
    EXPECT_EQ(Text(dir / "other"), "x");
  }
}

// The file being replaced is never taken for a temporary, also when its name (or
// another name of it) looks like one; the failed replacement leaves it as it was.
TEST(FileKinds, ATargetNamedLikeATemporaryIsKept) {
  const std::string dead = std::to_string(DeadPid());
  TTempDir dir;
  const std::string target = dir / (".dtu-" + dead + "-ABCDEFGHIJ");
  const std::string alias = dir / (".dtu-" + dead + "-KLMNOPQRST");
  std::ofstream(target) << "old";
  fs::create_hard_link(target, alias);
  MakeOld(target);
  for (const std::string& path : {target, alias}) {
    SCOPED_TRACE(path);
    {
      TSafeFile f(path);
      ASSERT_TRUE(f.Ok());
      EXPECT_EQ(TSafeFile::RemoveStaleTemporaries(dir.Path, path), 0);
    }  // not committed
    EXPECT_EQ(Text(path), "old");
  }
  EXPECT_EQ(fs::hard_link_count(target), 2u);
}

// A folder is cleaned at its first replacement and then at most once a minute (on
// the clock service), so a long-running program also removes what writers killed
// later leave; the explicit call cleans every time.
TEST(FileKinds, AFolderIsCleanedAtMostOnceAMinute) {
  TManualClock clock(1000000);
  SetClock(&clock);
  TOnExit restore([] { SetClock(nullptr); });
  TTempDir dir;
  auto save = [&] {
    TSafeFile f(dir / "a");
    ASSERT_TRUE(f.Write("a") && f.Commit());
  };
  save();
  struct Step {
    const char* What;
    std::uint64_t AdvanceMs;
    bool Cleaned;
  };
  const Step steps[] = {
      {"a later save at once", 0, false},
      {"59.999 s after the first", 59999, false},
      {"a minute after the first", 1, true},
      {"right after that clean-up", 0, false},
      {"another minute on", 60000, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.What);
    const std::string stale = KilledWriter(dir / "b", true);
    ASSERT_TRUE(fs::exists(stale));
    clock.Advance(s.AdvanceMs);
    save();
    EXPECT_EQ(!fs::exists(stale), s.Cleaned);
    if (fs::exists(stale)) {
      EXPECT_EQ(TSafeFile::RemoveStaleTemporaries(dir.Path), 1);
      EXPECT_FALSE(fs::exists(stale));
    }
  }
}

namespace {
// What Write raises, "" when it does not.
std::string Refusal(const TStoreKind& K, const std::string& Path) {
  try {
    K.Write(Path);
    return "";
  } catch (const Exception& E) {
    return E.Message();
  }
}
}  // namespace

// A save follows a link in a shared sticky folder (/tmp) only where the kernel's
// protected-symlinks rule would: the link belongs to the saving user or to the
// folder's owner. A link planted there by someone else is refused with the reason,
// and neither the file it names nor the place it points to is touched. The rule is
// applied whether or not the kernel enforces it.
TEST(FileKinds, ALinkPlantedByAnotherUserInASharedFolderIsNotFollowed) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to give a link to another user (uid 65534)";
  const uid_t other = 65534;
  struct Case {
    const char* What;
    mode_t FolderMode;
    uid_t FolderOwner, LinkOwner;
    bool Dangling;  // the link names a file that does not exist yet
    bool Followed;
    bool ToFolder = false;  // the link leads to the folder, the save goes through it
  };
  const Case cases[] = {
      {"another user's link in a sticky world-writable folder", 01777, 0, other, false, false},
      {"another user's dangling link there (no file is made)", 01777, 0, other, true, false},
      {"this user's own link there", 01777, 0, 0, false, true},
      {"the folder owner's link there", 01777, other, other, false, true},
      {"another user's link in a folder that is not sticky", 0777, 0, other, false, true},
      {"another user's link in a sticky folder only its owner may write", 01755, 0, other, false, true},
      {"another user's link to a folder in a sticky world-writable folder", 01777, 0, other, false, false, true},
      {"another user's link to a folder there, the file not made yet", 01777, 0, other, true, false, true},
      {"this user's own link to a folder there", 01777, 0, 0, false, true, true},
  };
  for (const TStoreKind& kind : kKinds) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(kind.Name) + ": " + c.What);
      TTempDir dir;
      const std::string shared = dir / "shared", secret = dir / "private";
      ASSERT_EQ(mkdir(shared.c_str(), 0700), 0);
      ASSERT_EQ(chmod(shared.c_str(), c.FolderMode), 0);
      ASSERT_EQ(chown(shared.c_str(), c.FolderOwner, 0), 0);
      ASSERT_EQ(mkdir(secret.c_str(), 0700), 0);
      const std::string victim = secret + "/victim";
      const std::string old = kind.OldText("");
      if (!c.Dangling) {
        std::ofstream(victim) << old;
        ASSERT_EQ(chmod(victim.c_str(), 0600), 0);
      }
      const std::string link = shared + (c.ToFolder ? "/work" : "/x.cloud");
      ASSERT_EQ(symlink(c.ToFolder ? secret.c_str() : victim.c_str(), link.c_str()), 0);
      ASSERT_EQ(lchown(link.c_str(), c.LinkOwner, 0), 0);
      const std::string refused = Refusal(kind, c.ToFolder ? link + "/victim" : link);
      if (c.Followed) {
        EXPECT_EQ(refused, "");
        EXPECT_EQ(ReadOrRefused(kind, victim), "v");
      } else {
        EXPECT_NE(refused.find(link), std::string::npos) << refused;
        EXPECT_NE(refused.find("belongs to another user (uid 65534)"), std::string::npos) << refused;
        if (c.Dangling) EXPECT_FALSE(fs::exists(victim));
        else EXPECT_EQ(Text(victim), old);
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(Names(secret), c.Dangling ? std::set<std::string>{} : std::set<std::string>{"victim"});
      }
    }
  }
  SetRegistryStorePathOverride("");
}
