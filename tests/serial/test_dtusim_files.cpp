// The simulator's log and dump, where someone else may have planted links: they are
// reached as a save reaches its file, so another user's link in a shared sticky
// folder is never followed, and the log takes a regular file only.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tools/dtusim/dtusim_runner.h"

#ifdef DTUSIM_PATH

using dtusim_test::ReadFile;
using dtusim_test::TSim;

namespace fs = std::filesystem;

namespace {

// A shared sticky folder anyone may write to, like /tmp, and a private file of
// root's beside it that a planted link aims at.
struct TPlayground {
  TPlayground() {
    char tmpl[] = "/tmp/dtusim-links-XXXXXX";
    Base = mkdtemp(tmpl);
    Shared = Base + "/shared";
    Private = Base + "/private";
    Victim = Private + "/victim";
    mkdir(Shared.c_str(), 0700);
    chmod(Shared.c_str(), 01777);
    mkdir(Private.c_str(), 0700);
    std::ofstream(Victim) << "secret";
    chmod(Victim.c_str(), 0600);
  }
  ~TPlayground() { fs::remove_all(Base); }
  // A link at Shared/Name to Target, given to Owner.
  void Plant(const std::string& Name, const std::string& Target, uid_t Owner) const {
    const std::string link = Shared + "/" + Name;
    ASSERT_EQ(symlink(Target.c_str(), link.c_str()), 0);
    ASSERT_EQ(lchown(link.c_str(), Owner, static_cast<gid_t>(-1)), 0);
  }
  std::string Base, Shared, Private, Victim;
};

}  // namespace

TEST(DtuSimFiles, PlantedLinksAndOtherFilesAreRefused) {
  const uid_t other = 65534, me = geteuid();
  struct Case {
    const char* What;
    bool NeedsRoot;  // to give a link to another user
    // Plants what the case needs; gives the options for the log or the dump.
    std::function<std::vector<std::string>(const TPlayground&)> Prepare;
    bool Runs;            // else it ends at once with status 1
    std::string Message;  // in the log when it runs, else on standard error
    std::function<void(const TPlayground&)> Check;
    bool LogsToVictim = false;  // the victim is the log (a link of one's own)
  };
  const Case cases[] = {
      {"another user's link as the dump", true,
       [&](const TPlayground& P) {
         P.Plant("dump.json", P.Victim, other);
         return std::vector<std::string>{"--dump", P.Shared + "/dump.json"};
       },
       true, "belongs to another user (uid 65534)",
       [](const TPlayground& P) { EXPECT_TRUE(fs::is_symlink(P.Shared + "/dump.json")); }},
      {"another user's link where a fixed temporary of the dump would be", true,
       [&](const TPlayground& P) {
         P.Plant("dump.json.tmp", P.Victim, other);
         return std::vector<std::string>{"--dump", P.Shared + "/dump.json"};
       },
       true, "",
       [](const TPlayground& P) {
         EXPECT_NE(ReadFile(P.Shared + "/dump.json").find("\"port\": \"COM40\""), std::string::npos);
         EXPECT_TRUE(fs::is_symlink(P.Shared + "/dump.json.tmp"));
       }},
      {"another user's link as the log", true,
       [&](const TPlayground& P) {
         P.Plant("log.txt", P.Victim, other);
         return std::vector<std::string>{"--log", P.Shared + "/log.txt"};
       },
       false, "belongs to another user (uid 65534)", nullptr},
      {"another user's link as the log, to a file not there yet", true,
       [&](const TPlayground& P) {
         P.Plant("log.txt", P.Private + "/made", other);
         return std::vector<std::string>{"--log", P.Shared + "/log.txt"};
       },
       false, "belongs to another user (uid 65534)", nullptr},
      {"another user's link to a folder on the way to the log", true,
       [&](const TPlayground& P) {
         P.Plant("logs", P.Private, other);
         return std::vector<std::string>{"--log", P.Shared + "/logs/victim"};
       },
       false, "the symbolic link", nullptr},
      {"another user's file as the log", true,
       [&](const TPlayground& P) {
         const std::string file = P.Shared + "/log.txt";
         std::ofstream(file) << "his\n";
         chmod(file.c_str(), 0666);
         EXPECT_EQ(chown(file.c_str(), other, static_cast<gid_t>(-1)), 0);
         return std::vector<std::string>{"--log", file};
       },
       false, "belongs to another user (uid 65534)",
       [](const TPlayground& P) { EXPECT_EQ(ReadFile(P.Shared + "/log.txt"), "his\n"); }},
      {"a FIFO as the log", false,
       [](const TPlayground& P) {
         mkfifo((P.Shared + "/fifo").c_str(), 0666);
         return std::vector<std::string>{"--log", P.Shared + "/fifo"};
       },
       false, "not a regular file", nullptr},
      {"one's own link as the log is followed", false,
       [&](const TPlayground& P) {
         P.Plant("mine", P.Victim, me);
         return std::vector<std::string>{"--log", P.Shared + "/mine"};
       },
       true, "", [](const TPlayground& P) { EXPECT_TRUE(fs::is_symlink(P.Shared + "/mine")); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    if (c.NeedsRoot && me != 0) continue;
    TPlayground play;
    std::vector<std::string> args = {"--port", "COM40"};
    for (const std::string& a : c.Prepare(play)) args.push_back(a);
    TSim sim(args);
    const bool ran = sim.Port == "COM40";
    EXPECT_EQ(ran, c.Runs) << sim.Errors();
    EXPECT_EQ(sim.Stop(), c.Runs ? 0 : 1);
    if (!c.Runs) {
      EXPECT_NE(sim.Errors().find("cannot open the log " + args.back()), std::string::npos) << sim.Errors();
      EXPECT_NE(sim.Errors().find(c.Message), std::string::npos) << sim.Errors();
    } else if (!c.Message.empty()) {
      EXPECT_NE(sim.Log().find("cannot write " + args.back() + ": the symbolic link"), std::string::npos)
          << sim.Log();
      EXPECT_NE(sim.Log().find(c.Message), std::string::npos) << sim.Log();
    }
    // Root's file is never written, and nothing is made beside it.
    if (c.LogsToVictim) {
      EXPECT_EQ(ReadFile(play.Victim).rfind("secret", 0), 0u);
      EXPECT_NE(ReadFile(play.Victim).find("registered COM40"), std::string::npos);
    } else {
      EXPECT_EQ(ReadFile(play.Victim), "secret");
      struct stat st {};
      ASSERT_EQ(stat(play.Victim.c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, 0600u);
      EXPECT_EQ(std::distance(fs::directory_iterator(play.Private), fs::directory_iterator()), 1);
    }
    if (c.Check) c.Check(play);
  }
}

#endif  // DTUSIM_PATH
