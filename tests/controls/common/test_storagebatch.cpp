// A save of many values replaces the settings file once, a load replaces it not at
// all, whichever store is behind the storage component; single writes still go
// through at once.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <functional>

#include "controls/common/framecontroller.h"
#include "controls/common/storage.h"
#include "storage_fixture.h"

namespace {

// How many times a file was renamed into Folder while Body ran.
int Replacements(const std::string& Folder, const std::function<void()>& Body) {
  int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  EXPECT_GE(inotify_add_watch(fd, Folder.c_str(), IN_MOVED_TO), 0);
  Body();
  int count = 0;
  alignas(inotify_event) char buf[65536];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
    for (char* p = buf; p < buf + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
      ++count;
  close(fd);
  return count;
}

class StorageBatchTest : public StorageTest {};

}  // namespace

TEST_F(StorageBatchTest, AControllersSaveIsOneReplacementAndItsLoadNone) {
  struct Case {
    const char* What;
    TQvPathType Type;
    std::string Folder;  // where the file lives
  } cases[] = {{"ini file", ptIniFile, Dir + "/ini"}, {"registry store", ptRegistry, Dir}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TQvRegIniFile ini(nullptr);
    ini.SetPathType(c.Type);
    ini.SetPath(c.Type == ptIniFile ? c.Folder + "/frames.ini" : "\\Software\\Temp\\batch");
    TQvFrameController fc(nullptr);
    fc.SetRegIniFile(&ini);
    ini.WriteInteger("Other", "Kept", 7);  // also makes the folder
    fc.SetFrameColor(0x123456);
    EXPECT_EQ(Replacements(c.Folder, [&] { fc.Save("Framing"); }), 1);
    fc.SetFrameColor(0);
    EXPECT_EQ(Replacements(c.Folder, [&] { fc.Load("Framing"); }), 0);
    EXPECT_EQ(fc.FrameColor(), 0x123456);
    EXPECT_EQ(ini.ReadInteger("Framing", "FrameHotStyle", -1), static_cast<int>(fc.FrameHotStyle()));
    EXPECT_EQ(Replacements(c.Folder, [&] { ini.WriteInteger("Other", "Kept", 8); }), 1);
    EXPECT_EQ(ini.ReadInteger("Other", "Kept", 0), 8);
    fc.SetRegIniFile(nullptr);
  }
}
