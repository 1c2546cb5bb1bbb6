// The desktop's applications for a file: its type from the MIME globs, the entries
// and associations that list programs for it, the Exec line made into arguments,
// and a program started without a shell.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/win32/desktopapps.h"
#include "tests/platform/win32/desktop_fixture.h"

namespace {

TEST(DesktopApps, TheTypeOfANameComesFromTheHeaviestLongestGlob) {
  TTempDesktop desktop;
  struct Case {
    const char* Name;
    const char* Type;
  } cases[] = {
      {"page.htm", "text/html"},
      {"/srv/www/INDEX.HTM", "text/html"},       // globs match whatever the case
      {"http://example.org/a/b.html", "text/html"},
      {"notes.special.txt", "text/x-special"},   // the heavier glob wins
      {"README.txt", "text/plain"},              // weight before length
      {"project.cloud", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(MimeTypeOfName(c.Name), c.Type) << c.Name;
}

TEST(DesktopApps, EntriesAndAssociationsListTheProgramsForAType) {
  TTempDesktop desktop;
  desktop.App("sys1", "zeta.desktop", "Zeta Browser", "zeta %u", "text/html;");
  desktop.App("sys1", "alpha.desktop", "Alpha Viewer", "alpha %f", "text/plain;text/html;");
  desktop.App("sys2", "vendor/editor.desktop", "Editor", "edit %F", "text/plain;");
  desktop.App("sys1", "gone.desktop", "Gone", "gone %f", "text/html;", "Hidden=true\n");
  desktop.App("sys1", "dropped.desktop", "Dropped", "dropped %f", "text/html;");
  desktop.App("sys2", "image.desktop", "Images", "img %f", "image/png;");
  // The user's entry of the same ID hides the system's.
  desktop.App("user", "zeta.desktop", "Zeta Browser (mine)", "zeta --private %u", "text/html;");
  desktop.Write("config/mimeapps.list", "[Default Applications]\ntext/html=missing.desktop;image.desktop;\n"
                                        "[Removed Associations]\ntext/html=dropped.desktop;\n");
  desktop.Write("sys1/applications/mimeapps.list", "[Added Associations]\ntext/html=vendor-editor.desktop;\n");
  std::vector<std::string> names;
  for (const TDesktopApp& a : DesktopAppsForType("text/html")) names.push_back(a.Name);
  // The first installed default, the added one, then the declaring entries by name.
  EXPECT_EQ(names, (std::vector<std::string>{"Images", "Editor", "Alpha Viewer", "Zeta Browser (mine)"}));
  EXPECT_TRUE(DesktopAppsForType("application/x-nothing").empty());
  EXPECT_TRUE(DesktopAppsForType("").empty());
}

TEST(DesktopApps, ExecLinesBecomeArgumentsWithTheTargetAsOneArgument) {
  const std::string target = "/tmp/my page.htm";
  struct Case {
    const char* Exec;
    std::vector<std::string> Argv;  // empty: refused
  } cases[] = {
      {"viewer %f", {"viewer", target}},
      {"viewer --open %U --new", {"viewer", "--open", target, "--new"}},
      {"viewer", {"viewer", target}},  // no field code: the target goes last
      {"viewer --file=%u", {"viewer", "--file=" + target}},
      {"\"/opt/my app/run\" \"a \\\"quoted\\\" \\$word\" %F", {"/opt/my app/run", "a \"quoted\" $word", target}},
      {"viewer %i %c %k %% %d %f", {"viewer", "--icon", "web", "Viewer", "/apps/v.desktop", "%", target}},
      {"viewer ';rm -rf x' %f", {"viewer", "';rm", "-rf", "x'", target}},  // no shell: quotes of a shell are text
      {"viewer \"unclosed %f", {}},
      {"viewer %z", {}},
      {"   ", {}},
  };
  for (const Case& c : cases) {
    TDesktopApp app{"v.desktop", "Viewer", c.Exec, "web", "/apps/v.desktop"};
    std::vector<std::string> argv;
    std::string error;
    bool ok = ExpandExec(app, target, argv, error);
    EXPECT_EQ(ok, !c.Argv.empty()) << c.Exec;
    if (ok) EXPECT_EQ(argv, c.Argv) << c.Exec;
    else EXPECT_FALSE(error.empty()) << c.Exec;
  }
}

TEST(DesktopApps, AProgramStartsWithoutAShellAndAMissingOneIsReported) {
  TTempDesktop desktop;
  const std::string marker = desktop.Root + "/a file; with $(odd) name";
  std::string error;
  ASSERT_TRUE(StartDetached({"touch", marker}, error)) << error;
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!std::filesystem::exists(marker) && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(std::filesystem::exists(marker));
  EXPECT_FALSE(StartDetached({"/nonexistent/dtu-no-such-program"}, error));
  EXPECT_NE(error.find("dtu-no-such-program"), std::string::npos) << error;
}

// The user's own lines outrank the system's: a system-wide removal hides what the
// system and the entries offer, never what the user named.
TEST(DesktopApps, TheUsersAssociationsOutrankASystemWideRemoval) {
  struct Case {
    const char* Name;
    const char* User;    // the user's mimeapps.list
    const char* System;  // a system-wide one
    const char* SystemFile;
    std::vector<std::string> Listed;
  } cases[] = {
      {"user default, system removal", "[Default Applications]\ntext/html=viewer.desktop;\n",
       "[Removed Associations]\ntext/html=viewer.desktop;\n", "etc/mimeapps.list", {"Viewer", "Other"}},
      {"the same in the data folder", "[Default Applications]\ntext/html=viewer.desktop;\n",
       "[Removed Associations]\ntext/html=viewer.desktop;\n", "sys1/applications/mimeapps.list", {"Viewer", "Other"}},
      {"user addition, system removal", "[Added Associations]\ntext/html=viewer.desktop;\n",
       "[Removed Associations]\ntext/html=viewer.desktop;\n", "etc/mimeapps.list", {"Viewer", "Other"}},
      {"system removal alone", "", "[Removed Associations]\ntext/html=viewer.desktop;\n", "etc/mimeapps.list",
       {"Other"}},
      {"user removal, system default", "[Removed Associations]\ntext/html=viewer.desktop;\n",
       "[Default Applications]\ntext/html=viewer.desktop;\n", "etc/mimeapps.list", {"Other"}},
      {"a removal in the user's own file", "[Default Applications]\ntext/html=viewer.desktop;\n"
       "[Removed Associations]\ntext/html=viewer.desktop;\n", "", "etc/mimeapps.list", {"Other"}},
  };
  for (const Case& c : cases) {
    TTempDesktop desktop;
    desktop.App("sys2", "viewer.desktop", "Viewer", "viewer %u", "text/html;");
    desktop.App("sys2", "other.desktop", "Other", "other %u", "text/html;");
    desktop.Write("config/mimeapps.list", c.User);
    desktop.Write(c.SystemFile, c.System);
    std::vector<std::string> names;
    for (const TDesktopApp& a : DesktopAppsForType("text/html")) names.push_back(a.Name);
    EXPECT_EQ(names, c.Listed) << c.Name;
  }
}

// The desktop's opener says by its exit status whether a program took the target.
TEST(DesktopApps, TheOpenersExitStatusDecidesWhetherTheTargetWasOpened) {
  struct Case {
    int Exit;  // of the stand-in opener; -1: none on PATH
    TDesktopOpen Result;
  } cases[] = {{0, TDesktopOpen::Opened}, {4, TDesktopOpen::Failed}, {3, TDesktopOpen::Failed},
               {-1, TDesktopOpen::NoOpener}};
  for (const Case& c : cases) {
    TTempDesktop desktop;
    desktop.Opener(c.Exit);
    const std::string target = desktop.Root + "/my page; $(x).htm";
    EXPECT_EQ(OpenWithDesktopOpener(target, 60000), c.Result) << c.Exit;
    EXPECT_EQ(desktop.Opened(), c.Exit < 0 ? "" : target + "\n") << c.Exit;
  }
}

// An opener still running when the wait ends runs the program it chose: the caller
// (the window's thread) gets its answer when the wait ends, not when the opener does.
TEST(DesktopApps, AnOpenerStillRunningAfterTheWaitCountsAsOpenedAtOnce) {
  TTempDesktop desktop;
  desktop.Opener(4, 3);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(OpenWithDesktopOpener(desktop.Root + "/page.htm", 300), TDesktopOpen::Opened);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
}

}  // namespace
