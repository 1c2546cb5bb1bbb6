// Saves while another user swaps a part of the path for a link he planted in a
// shared sticky folder, as fast as he can: a save either lands in the folder it
// names or is refused, never in the folder the link leads to.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <system_error>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/safefile.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> Names(const std::string& Folder) {
  std::set<std::string> out;
  for (const auto& e : fs::directory_iterator(Folder)) out.insert(e.path().filename().string());
  return out;
}

// A fresh folder for one case, on tmpfs where there is one: a flush there does not
// wait for the disk, so thousands of saves take a moment. Removed with its content.
struct TRaceDir {
  TRaceDir() {
    char shm[] = "/dev/shm/dtu-race-XXXXXX", tmp[] = "/tmp/dtu-race-XXXXXX";
    const char* made = mkdtemp(shm);
    Path = made ? made : mkdtemp(tmp);
  }
  ~TRaceDir() {
    std::error_code ec;
    fs::remove_all(Path, ec);
  }
  std::string operator/(const std::string& Name) const { return Path + "/" + Name; }
  std::string Path;
};

std::string Text(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Swaps the names A and B until Stop, atomically where the file system can, else
// in four renames; both are back in place at the end.
class TSwapper {
public:
  TSwapper(std::string A, std::string B) : FA(std::move(A)), FB(std::move(B)), FThread([this] { Run(); }) {}
  ~TSwapper() {
    FStop = true;
    FThread.join();
  }
  long Swaps() const { return FSwaps; }

private:
  // The link stays in place only for a moment, then the folder for a little while:
  // most saves then find the folder, and some meet the link right after.
  void Run() {
    const std::string hold = FA + ".hold";
    while (!FStop) {
      for (int i = 0; i < 2; ++i) {
        if (renameat2(AT_FDCWD, FA.c_str(), AT_FDCWD, FB.c_str(), RENAME_EXCHANGE) == 0) {
          ++FSwaps;
          continue;
        }
        // Without an atomic exchange: four renames.
        if (std::rename(FA.c_str(), hold.c_str()) != 0) return;
        std::rename(FB.c_str(), FA.c_str());
        std::rename(FA.c_str(), FB.c_str());
        std::rename(hold.c_str(), FA.c_str());
        FSwaps += 2;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
  }
  std::string FA, FB;
  std::atomic<bool> FStop{false};
  std::atomic<long> FSwaps{0};
  std::thread FThread;
};

}  // namespace

TEST(SaveRace, APathPartSwappedForAPlantedLinkNeverLeadsASaveElsewhere) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to give the link to another user (uid 65534)";
  const uid_t other = 65534;
  struct Case {
    const char* What;
    // The part of the saved path that is swapped (in the shared folder), and what
    // the planted link leads to.
    const char* Swapped;
    const char* Saved;
    const char* LinkTo;
  };
  const Case cases[] = {
      {"a folder on the path", "work", "work/file", "attacker"},
      {"the file's own name", "file", "file", "attacker/victim"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TRaceDir dir;
    const std::string shared = dir / "shared", attacker = dir / "attacker";
    ASSERT_EQ(mkdir(shared.c_str(), 0700), 0);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    ASSERT_EQ(mkdir(attacker.c_str(), 0777), 0);
    ASSERT_EQ(mkdir((shared + "/work").c_str(), 0755), 0);
    std::ofstream(dir / "attacker/victim") << "victim";
    std::ofstream(shared + "/file") << "old";
    const std::string link = shared + "/planted";
    ASSERT_EQ(symlink((dir / c.LinkTo).c_str(), link.c_str()), 0);
    ASSERT_EQ(lchown(link.c_str(), other, 0), 0);

    const std::string saved = shared + "/" + c.Saved;
    int written = 0, refused = 0;
    long swaps = 0;
    {
      TSwapper swapper(shared + "/" + c.Swapped, link);
      for (int i = 0; i < 3000; ++i) {
        TSafeFile f(saved);
        if (f.Write("new") && f.Commit()) ++written;
        else ++refused;
      }
      swaps = swapper.Swaps();
    }
    EXPECT_EQ(Names(attacker), std::set<std::string>{"victim"});
    EXPECT_EQ(Text(dir / "attacker/victim"), "victim");
    // The race was run: saves met both the folder and the link.
    EXPECT_GT(written, 0);
    EXPECT_GT(swaps, 0);
    if (std::string(c.Swapped) == "work") {
      EXPECT_GT(refused, 0);
      // Every save that was not refused replaced the file, leaving no temporary.
      EXPECT_EQ(Names(shared + "/work"), std::set<std::string>{"file"});
      EXPECT_EQ(Text(saved), "new");
    }
  }
}
