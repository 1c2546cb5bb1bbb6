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

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/exceptions.h"
#include "platform/core/safefile.h"
#include "platform/storage/inifiles.h"
#include "platform/storage/registry.h"
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
       if (!f.Write("v") || !f.Commit()) throw EWriteError(SafeFileErrorText(f.Error()));
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

// A writer killed in the middle of a replacement: its temporary file stays.
void KilledWriter(const std::string& Path) {
  pid_t pid = fork();
  if (pid == 0) {
    TSafeFile f(Path);
    f.Write("half");
    raise(SIGKILL);
  }
  int status = 0;
  waitpid(pid, &status, 0);
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
      {"a dead writer's temporary goes, a live writer's stays",
       [](const std::string& D, const TStoreKind&) {
         KilledWriter(D + "/f");
         KilledWriter(D + "/g");
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

// A writer that is still at work keeps its temporary, even while others replace
// files beside it, and then commits as usual.
TEST(FileKinds, ALiveWritersTemporaryIsNeverTaken) {
  TTempDir dir;
  TSafeFile live(dir / "a");
  ASSERT_TRUE(live.Ok());
  ASSERT_TRUE(live.Write("live"));
  KilledWriter(dir / "b");
  int n = 0;
  for (const TStoreKind& kind : kKinds) {
    SCOPED_TRACE(kind.Name);
    kind.Write(dir / ("c" + std::to_string(n++)));
    EXPECT_TRUE(fs::exists(live.TempPath()));
  }
  EXPECT_EQ(TSafeFile::RemoveStaleTemporaries(dir.Path), 0);  // the dead one went already
  ASSERT_TRUE(live.Commit());
  EXPECT_EQ(Text(dir / "a"), "live");
  SetRegistryStorePathOverride("");
}
