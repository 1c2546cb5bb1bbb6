// The per-user serial device map file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/exceptions.h"
#include "platform/win32/devicemap.h"

namespace {

struct TTempDir {
  std::string Path;
  TTempDir() {
    char tmpl[] = "/tmp/dtu-devmap-XXXXXX";
    Path = mkdtemp(tmpl);
  }
  ~TTempDir() { std::system(("rm -rf '" + Path + "'").c_str()); }
};

std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(DeviceMap, LivesUnderTheXdgConfigFolder) {
  std::string xdg = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
  std::string home = getenv("HOME") ? getenv("HOME") : "";
  struct Case {
    const char* Xdg;
    const char* Home;
    const char* Want;
  } cases[] = {
      {"/x/cfg", "/home/u", "/x/cfg/dtu-config/serial-ports.ini"},
      {"", "/home/u", "/home/u/.config/dtu-config/serial-ports.ini"},
      {"cfg", "/home/u", "/home/u/.config/dtu-config/serial-ports.ini"},  // relative: ignored
      {nullptr, nullptr, nullptr},  // no HOME: the password database's home folder
  };
  passwd* pw = getpwuid(getuid());
  ASSERT_NE(pw, nullptr);
  const std::string fromPasswd = std::string(pw->pw_dir) + "/.config/dtu-config/serial-ports.ini";
  for (const Case& c : cases) {
    if (c.Xdg) setenv("XDG_CONFIG_HOME", c.Xdg, 1);
    else unsetenv("XDG_CONFIG_HOME");
    if (c.Home) setenv("HOME", c.Home, 1);
    else unsetenv("HOME");
    EXPECT_EQ(TSerialDeviceMap::DefaultPath(), c.Want ? c.Want : fromPasswd) << (c.Xdg ? c.Xdg : "(unset)");
  }
  setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
  if (xdg.empty()) unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", home.c_str(), 1);
}

TEST(DeviceMap, ReadsEntriesKeepsEverythingElseAndReplacesAtomically) {
  TTempDir dir;
  std::string file = dir.Path + "/sub/serial-ports.ini";
  mkdir((dir.Path + "/sub").c_str(), 0700);
  std::ofstream(file) << "# simulator\n"
                         "COM7=/dev/pts/5\n"
                         "  com3 = /dev/ttyUSB0  \n"
                         "not an entry\n"
                         "=/dev/null\n"
                         "\n"
                         "COM7=/dev/pts/9\n";
  TSerialDeviceMap map(file);
  ASSERT_EQ(map.Entries().size(), 2u);
  EXPECT_EQ(map.Entries()[0], (std::pair<std::string, std::string>{"COM7", "/dev/pts/9"}));  // later wins
  EXPECT_EQ(map.Find("COM3").value_or(""), "/dev/ttyUSB0");  // any case, blanks trimmed
  EXPECT_FALSE(map.Find("COM4").has_value());
  EXPECT_EQ(map.BadLines().size(), 2u);

  map.Set("COM7", "/dev/pts/6");
  map.Set("COM12", "/dev/ttyACM0");
  EXPECT_TRUE(map.Remove("COM3"));
  EXPECT_FALSE(map.Remove("COM3"));
  map.Save();
  EXPECT_EQ(ReadFile(file),
            "# simulator\n"
            "COM7=/dev/pts/6\n"
            "not an entry\n"
            "=/dev/null\n"
            "\n"
            "COM12=/dev/ttyACM0\n");
  // Nothing temporary is left beside it, only the lock file.
  EXPECT_EQ(std::system(("test \"$(ls -A '" + dir.Path + "/sub' | tr '\\n' ' ')\" = "
                         "'serial-ports.ini serial-ports.ini.lock '").c_str()), 0);

  // A new map in a folder that does not exist yet.
  TSerialDeviceMap fresh(dir.Path + "/a/b/serial-ports.ini");
  EXPECT_TRUE(fresh.Entries().empty());
  fresh.Set("COM1", "/dev/ttyS0");
  fresh.Save();
  EXPECT_EQ(ReadFile(dir.Path + "/a/b/serial-ports.ini"), "COM1=/dev/ttyS0\n");
}

TEST(DeviceMap, TrailingCommentsAreNoPartOfTheDeviceAndUnchangedLinesStay) {
  TTempDir dir;
  std::string file = dir.Path + "/serial-ports.ini";
  std::ofstream(file) << "COM7=/dev/pts/5   # the simulator\n"
                         "COM8 = /dev/ttyUSB1\t; lab bench\n"
                         "COM9=/dev/odd#name\n";
  TSerialDeviceMap map(file);
  EXPECT_EQ(map.Find("COM7").value_or(""), "/dev/pts/5");
  EXPECT_EQ(map.Find("COM8").value_or(""), "/dev/ttyUSB1");
  EXPECT_EQ(map.Find("COM9").value_or(""), "/dev/odd#name");  // no blank before it
  EXPECT_TRUE(map.BadLines().empty());
  map.Set("COM8", "/dev/ttyUSB2");
  map.Save();
  EXPECT_EQ(ReadFile(file),
            "COM7=/dev/pts/5   # the simulator\n"
            "COM8=/dev/ttyUSB2\n"
            "COM9=/dev/odd#name\n");
}

// The temporary file is made afresh under a name nobody can guess: a link planted
// under the name a writer used to choose is not followed.
TEST(DeviceMap, SaveNeverWritesThroughAPlantedTemporaryName) {
  TTempDir dir;
  std::string file = dir.Path + "/serial-ports.ini";
  std::ofstream(dir.Path + "/victim") << "keep";
  ASSERT_EQ(symlink((dir.Path + "/victim").c_str(), (file + ".tmp." + std::to_string(getpid())).c_str()), 0);
  TSerialDeviceMap map(file);
  map.Set("COM1", "/dev/ttyS0");
  map.Save();
  EXPECT_EQ(ReadFile(dir.Path + "/victim"), "keep");
  EXPECT_EQ(ReadFile(file), "COM1=/dev/ttyS0\n");
}

TEST(DeviceMap, SaveFailureRaisesAndLeavesTheOldFile) {
  // A file where the folder should be fails even for root.
  TTempDir dir;
  std::ofstream(dir.Path + "/blocker") << "x";
  TSerialDeviceMap map(dir.Path + "/blocker/serial-ports.ini");
  map.Set("COM1", "/dev/ttyS0");
  EXPECT_THROW(map.Save(), EWriteError);
  EXPECT_EQ(ReadFile(dir.Path + "/blocker"), "x");
}

TEST(DeviceMap, PortNamesResolveToDevices) {
  TTempDir dir;
  std::string file = dir.Path + "/serial-ports.ini";
  std::ofstream(file) << "COM7=/dev/pts/5\nlab=/dev/ttyUSB3\n";
  TSerialDeviceMap::SetPathOverride(file);
  struct Case {
    const char* Name;
    const char* Want;
  } cases[] = {
      {"COM7", "/dev/pts/5"}, {"com7", "/dev/pts/5"}, {"LAB", "/dev/ttyUSB3"},
      {"COM8", "/dev/COM8"},  {"ttyUSB0", "/dev/ttyUSB0"}, {"/dev/pts/2", "/dev/pts/2"},
  };
  for (const Case& c : cases) EXPECT_EQ(ResolvePortDevice(c.Name), c.Want) << c.Name;
  TSerialDeviceMap::SetPathOverride("");
}

// The start of process Pid in clock ticks after boot (field 22 of /proc/PID/stat).
std::string StartOf(pid_t Pid) {
  std::string stat = ReadFile("/proc/" + std::to_string(Pid) + "/stat");
  std::istringstream rest(stat.substr(stat.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 22; ++i) rest >> field;
  return field;
}

// An entry that names its registrant lives as long as that process: the same pid
// with the same start. Others are ignored, and removed at the next update.
TEST(DeviceMap, AnEntryNamingItsRegistrantLivesOnlyAsLongAsIt) {
  TTempDir dir;
  const std::string file = dir.Path + "/serial-ports.ini";
  pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  const std::string me = std::to_string(getpid()), start = StartOf(getpid());
  const std::string alive = "COM1=/dev/pts/1  # owner pid=" + me + " start=" + start + "\n";
  const std::string lasting = "COM4=/dev/ttyUSB0\nCOM5=/dev/pts/5  # the simulator\n";
  std::ofstream(file) << alive << "COM2=/dev/pts/2  # owner pid=" << gone << " start=1\n"
                      << "COM3=/dev/pts/3  # owner pid=" << me << " start=" << std::stoull(start) + 1 << "\n"
                      << lasting;
  struct Case {
    const char* Name;
    const char* Want;  // "" when ignored
  } cases[] = {
      {"COM1", "/dev/pts/1"},    // this process
      {"COM2", ""},              // its registrant has ended
      {"COM3", ""},              // its pid now belongs to a process that started later
      {"COM4", "/dev/ttyUSB0"},  // entries without a registrant last
      {"COM5", "/dev/pts/5"},    // an ordinary comment names nobody
  };
  TSerialDeviceMap map(file);
  for (const Case& c : cases) EXPECT_EQ(map.Find(c.Name).value_or(""), c.Want) << c.Name;
  EXPECT_EQ(map.Entries().size(), 3u);
  EXPECT_TRUE(map.HasDeadEntries());

  // Any update drops them, even one that changes nothing itself.
  TSerialDeviceMap::Update([](TSerialDeviceMap&) { return false; }, file);
  EXPECT_EQ(ReadFile(file), alive + lasting);

  // SetOwned names this process.
  TSerialDeviceMap::Update([](TSerialDeviceMap& M) {
    M.SetOwned("COM9", "/dev/pts/9");
    return true;
  }, file);
  EXPECT_NE(ReadFile(file).find("COM9=/dev/pts/9  # owner pid=" + me + " start=" + start + "\n"),
            std::string::npos);
  EXPECT_EQ(TSerialDeviceMap(file).Find("COM9").value_or(""), "/dev/pts/9");
}

// A stand-in for /proc: "self" and the processes given, each as its stat line.
struct TFakeProc {
  TTempDir Dir;
  void Add(const std::string& Which, long Pid, char State, const std::string& Start) {
    mkdir((Dir.Path + "/" + Which).c_str(), 0755);
    std::ofstream(Dir.Path + "/" + Which + "/stat")
        << Pid << " (dtu sim) " << State << " 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 " << Start << " 0 0\n";
  }
};

// An owner counts as ended only where /proc can tell: when it is missing, hidden or
// another pid namespace's, a live owner would look dead, so the entry is kept. An
// entry without a start proves no owner.
TEST(DeviceMap, AnOwnerIsEndedOnlyWhereProcCanTellIt) {
  const long me = getpid(), owner = 4000000;  // above any pid the system hands out
  struct Case {
    const char* What;
    std::function<void(TFakeProc&)> Proc;  // nullptr: no /proc at all
    const char* Start;                       // recorded in the entry
    bool Kept;
  };
  const Case cases[] = {
      {"no /proc", nullptr, "500", true},
      {"/proc without self (hidden)", [](TFakeProc&) {}, "500", true},
      {"/proc of another pid namespace", [&](TFakeProc& P) { P.Add("self", me + 1, 'R', "100"); }, "500", true},
      {"owner missing", [&](TFakeProc& P) { P.Add("self", me, 'R', "100"); }, "500", false},
      {"owner alive",
       [&](TFakeProc& P) {
         P.Add("self", me, 'R', "100");
         P.Add(std::to_string(owner), owner, 'S', "500");
       },
       "500", true},
      {"owner's pid taken by a later process",
       [&](TFakeProc& P) {
         P.Add("self", me, 'R', "100");
         P.Add(std::to_string(owner), owner, 'S', "900");
       },
       "500", false},
      {"owner killed, not yet reaped",
       [&](TFakeProc& P) {
         P.Add("self", me, 'R', "100");
         P.Add(std::to_string(owner), owner, 'Z', "500");
       },
       "500", false},
      {"no start recorded, /proc works",
       [&](TFakeProc& P) {
         P.Add("self", me, 'R', "100");
         P.Add(std::to_string(owner), owner, 'S', "0");
       },
       "0", false},
      {"no start recorded, no /proc", nullptr, "0", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TTempDir dir;
    TFakeProc proc;
    TSerialDeviceMap::SetProcRootOverride(c.Proc ? proc.Dir.Path : dir.Path + "/none");
    if (c.Proc) c.Proc(proc);
    const std::string file = dir.Path + "/serial-ports.ini";
    const std::string text =
        "COM32=/dev/pts/2  # owner pid=" + std::to_string(owner) + " start=" + c.Start + "\nCOM4=/dev/ttyUSB0\n";
    std::ofstream(file) << text;
    TSerialDeviceMap::SetPathOverride(file);
    // Opening the port resolves it and, for an ended owner, removes the entry.
    EXPECT_EQ(ResolvePortDevice("COM32"), c.Kept ? "/dev/pts/2" : "/dev/COM32");
    EXPECT_EQ(ReadFile(file), c.Kept ? text : "COM4=/dev/ttyUSB0\n");
  }
  TSerialDeviceMap::SetPathOverride("");
  TSerialDeviceMap::SetProcRootOverride("");
}

// An entry that lasts only while its registrant runs is never written without the
// registrant's start: the registration fails and the map stays as it was.
TEST(DeviceMap, AnOwnedEntryIsNeverWrittenWithoutAStart) {
  TTempDir dir;
  const std::string file = dir.Path + "/serial-ports.ini";
  std::ofstream(file) << "COM4=/dev/ttyUSB0\n";
  for (const char* proc : {"/none", ""}) {
    SCOPED_TRACE(proc);
    TSerialDeviceMap::SetProcRootOverride(*proc ? dir.Path + proc : "");
    auto change = [](TSerialDeviceMap& M) {
      M.SetOwned("COM9", "/dev/pts/9");
      return true;
    };
    if (*proc) {
      EXPECT_THROW(TSerialDeviceMap::Update(change, file), EWriteError);
      EXPECT_EQ(ReadFile(file), "COM4=/dev/ttyUSB0\n");
    } else {
      TSerialDeviceMap::Update(change, file);
      EXPECT_EQ(ReadFile(file), "COM4=/dev/ttyUSB0\nCOM9=/dev/pts/9  # owner pid=" + std::to_string(getpid()) +
                                    " start=" + StartOf(getpid()) + "\n");
    }
  }
  TSerialDeviceMap::SetProcRootOverride("");
}

// An owned entry recorded without a start (as an earlier version wrote when it could
// not read one) names this very process, yet proves nothing: it is ignored.
TEST(DeviceMap, AnOwnedEntryWithoutAStartIsIgnored) {
  TTempDir dir;
  const std::string file = dir.Path + "/serial-ports.ini";
  std::ofstream(file) << "COM9=/dev/pts/9  # owner pid=" << getpid() << " start=0\n";
  TSerialDeviceMap map(file);
  EXPECT_EQ(map.Find("COM9"), std::nullopt);
  EXPECT_TRUE(map.HasDeadEntries());
}

// Resolving a name never waits for the map's lock: the clean-up of ended entries
// is skipped while another process holds it, and done by a later resolve.
TEST(DeviceMap, AHeldLockDoesNotStallAResolve) {
  TTempDir dir;
  const std::string file = dir.Path + "/serial-ports.ini";
  const std::string text = "COM32=/dev/pts/2  # owner pid=4000000 start=5\nCOM4=/dev/ttyUSB0\n";
  std::ofstream(file) << text;
  TSerialDeviceMap::SetPathOverride(file);
  int lock = open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);  // another open file: conflicts as another process's would
  auto resolved = std::async(std::launch::async, [] { return ResolvePortDevice("COM32"); });
  const bool done = resolved.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  close(lock);  // lets a stalled resolve end before the test does
  EXPECT_TRUE(done);
  EXPECT_EQ(resolved.get(), "/dev/COM32");
  EXPECT_EQ(ReadFile(file), text);  // not cleaned while held
  EXPECT_EQ(ResolvePortDevice("COM32"), "/dev/COM32");
  EXPECT_EQ(ReadFile(file), "COM4=/dev/ttyUSB0\n");
  TSerialDeviceMap::SetPathOverride("");
}

// Only the first MiB of the map is read: entries beyond it are not seen, they
// count as one bad line, and the map is not written back (it would lose them).
TEST(DeviceMap, ALargeMapIsReadOnlyUpToItsLimit) {
  TTempDir dir;
  const std::string file = dir.Path + "/serial-ports.ini";
  std::string text = "COM1=/dev/ttyS1\n";
  const std::string comment = "# " + std::string(61, 'x') + "\n";  // 64 bytes
  while (text.size() < 3 * 1024 * 1024) text += comment;
  text += "COM2=/dev/ttyS2\n";
  std::ofstream(file) << text;
  TSerialDeviceMap map(file);
  EXPECT_EQ(map.Find("COM1").value_or(""), "/dev/ttyS1");
  EXPECT_EQ(map.Find("COM2"), std::nullopt);
  EXPECT_EQ(map.BadLines().size(), 1u);
  const auto change = [](TSerialDeviceMap& M) {
    M.Set("COM3", "/dev/ttyS3");
    return true;
  };
  EXPECT_THROW(TSerialDeviceMap::Update(change, file), EWriteError);
  EXPECT_THROW(map.Save(), EWriteError);
  EXPECT_EQ(ReadFile(file), text);
}

// An owner comment that does not read exactly as the program writes it makes its
// entry count as ended (ignored, dropped at the next update); an ordinary comment
// that merely mentions an owner does not.
TEST(DeviceMap, AMalformedOwnerCommentEndsItsEntry) {
  TTempDir dir;
  const std::string file = dir.Path + "/serial-ports.ini";
  const std::string me = std::to_string(getpid()), start = StartOf(getpid());
  struct Case {
    std::string Comment;
    bool Lives;
  } cases[] = {
      {"# owner pid=" + me + " start=" + start, true},
      {"# owner pid=999999 start=5 extra", false},
      {"# owner pid=" + me + " start=" + start + " extra", false},
      {"#  owner pid=" + me + " start=" + start, false},
      {"# owner  pid=" + me + " start=" + start, false},
      {"# owner pid=" + me + "  start=" + start, false},
      {"# owner pid=-" + me + " start=" + start, false},
      {"# owner pid=+" + me + " start=" + start, false},
      {"# owner pid=" + me + " start=-" + start, false},
      {"# owner pid=" + me, false},
      {"# owner pid=0 start=" + start, false},
      {"#owner pid=" + me + " start=" + start, false},
      {"# owner is the lab bench", true},
      {"# owner: Li", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Comment);
    const std::string entry = "COM9=/dev/pts/9  " + c.Comment + "\n";
    std::ofstream(file) << entry << "COM4=/dev/ttyUSB0\n";
    TSerialDeviceMap map(file);
    EXPECT_EQ(map.Find("COM9").value_or(""), c.Lives ? "/dev/pts/9" : "");
    EXPECT_EQ(map.HasDeadEntries(), !c.Lives);
    TSerialDeviceMap::Update([](TSerialDeviceMap&) { return false; }, file);
    EXPECT_EQ(ReadFile(file), (c.Lives ? entry : "") + "COM4=/dev/ttyUSB0\n");
  }
}

// A name registered by a process that still runs is not taken by a second
// registrant: it is refused with a message naming the holder, and the map stays.
// An ended holder's name, a lasting entry and this process's own are taken.
TEST(DeviceMap, ASecondRegistrantOfALiveOwnersNameIsRefused) {
  TTempDir dir;
  const std::string file = dir.Path + "/serial-ports.ini";
  pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  const std::string parent = std::to_string(getppid());
  struct Case {
    const char* What;
    std::string Entry;
    bool Refused;
  } cases[] = {
      {"held by a running process", "COM7=/dev/pts/3  # owner pid=" + parent + " start=" + StartOf(getppid()), true},
      {"held by an ended process", "COM7=/dev/pts/3  # owner pid=" + std::to_string(gone) + " start=5", false},
      {"a lasting entry", "COM7=/dev/pts/3", false},
      {"this process's own", "COM7=/dev/pts/3  # owner pid=" + std::to_string(getpid()) + " start=" +
                                 StartOf(getpid()), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    std::ofstream(file) << c.Entry << "\n";
    auto change = [](TSerialDeviceMap& M) {
      M.SetOwned("com7", "/dev/pts/8");
      return true;
    };
    if (c.Refused) {
      try {
        TSerialDeviceMap::Update(change, file);
        ADD_FAILURE() << "registered over a live owner";
      } catch (const EWriteError& E) {
        EXPECT_NE(E.Message().find("process " + parent + " registered it for /dev/pts/3 and is still running"),
                  std::string::npos)
            << E.Message();
      }
      EXPECT_EQ(ReadFile(file), c.Entry + "\n");
    } else {
      TSerialDeviceMap::Update(change, file);
      EXPECT_EQ(TSerialDeviceMap(file).Find("COM7").value_or(""), "/dev/pts/8");
    }
  }
}

}  // namespace
