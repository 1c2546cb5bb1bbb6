// The About box: its texts in three languages, the system line from an os-release
// file and the kernel release, and its picture.
#include <sys/utsname.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/stdctrls/panels.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/win32/locale.h"
#include "platform/win32/osversion.h"
#include "serial/forms/kxcommdeviceabout.h"
#include "tests/platform/controls/fixtures.h"

namespace {

TEST(AboutDialog, TheSystemLineIsNameVersionAndKernel) {
  struct Case {
    const char* Name;
    const char* VersionId;
    const char* Kernel;
    const char* Line;
  };
  const Case cases[] = {
      {"Debian GNU/Linux 12 (bookworm)", "12", "6.1.0-18-amd64", "Debian GNU/Linux 12 (bookworm) (6.1.0-18-amd64)"},
      {"Ubuntu 22.04.3 LTS", "22.04", "6.5.0", "Ubuntu 22.04.3 LTS (6.5.0)"},
      {"openSUSE Tumbleweed", "20240101", "6.8.0", "openSUSE Tumbleweed 20240101 (6.8.0)"},
      {"Distro 121", "12", "", "Distro 121 12"},  // a longer number is not the version
      {"Arch Linux", "", " 6.9.1-arch1 ", "Arch Linux (6.9.1-arch1)"},
      {"", "", "6.8.0", "Linux (6.8.0)"},
      {"\xC9\xEE\xB6\xC8", "23\xE2\x9C\x93", "", "\xC9\xEE\xB6\xC8 23"},  // a check mark GBK lacks
  };
  for (const Case& c : cases) EXPECT_EQ(OsVersionLine(c.Name, c.VersionId, c.Kernel), c.Line) << c.Line;
}

class AboutDialogTest : public ControlsTest {
protected:
  void TearDown() override {
    SetOsReleasePathOverride("");
    ResetThreadLocale();
    ControlsTest::TearDown();
  }
};

TEST_F(AboutDialogTest, ShowsTheClassNameVersionAndSystemInTheThreadsLanguage) {
  const std::string file = testing::TempDir() + "os-release-" + std::to_string(::getpid());
  std::ofstream(file) << "NAME=\"Test OS\"\nVERSION_ID=\"7.2\"\n";
  SetOsReleasePathOverride(file);
  utsname u{};
  ASSERT_EQ(uname(&u), 0);

  struct Case {
    LCID Locale;
    const char* Caption;
    const char* Version;
    const char* Ok;
  };
  const Case cases[] = {
      {LOCALE_EN_US, "About TKxCommDevice...", "Version: 1.5.0.6", "OK"},
      {LOCALE_ZH_CN, "关于 TKxCommDevice……", "版本: 1.5.0.6", "确定"},
      {LOCALE_ZH_TW, "關於 TKxCommDevice……", "版本: 1.5.0.6", "確定"},
  };
  for (const Case& c : cases) {
    SetThreadLocale(c.Locale);
    std::unique_ptr<TForm_KXComm64_About> box(new TForm_KXComm64_About(nullptr, "TKxCommDevice"));
    EXPECT_EQ(box->Caption(), c.Caption);
    EXPECT_EQ(box->LabelCaption->Caption(), "TKxCommDevice");
    EXPECT_EQ(box->LabelCaption->Font()->Size(), 11);
    EXPECT_EQ(box->LabelVersion->Caption(), c.Version);
    EXPECT_EQ(box->BnOK->Caption(), c.Ok);
    EXPECT_EQ(box->LabelOSVer->Caption(), std::string("Test OS 7.2 (") + u.release + ")");
    // The version keeps its right edge; the picture is the 32 x 32 icon.
    EXPECT_EQ(box->LabelVersion->Left() + box->LabelVersion->Width(), 270);
    EXPECT_EQ(box->Image1->Picture()->Width(), 32);
    EXPECT_EQ(box->Image1->Picture()->Height(), 32);
    Runner->OnLoop([](TWinControl* W) { static_cast<TForm_KXComm64_About*>(W)->BnOK->Click(); });
    EXPECT_EQ(box->ShowModal(), mrOk);
  }
  std::remove(file.c_str());
}

}  // namespace
