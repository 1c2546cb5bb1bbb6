#pragma once
// The desktop's applications for a kind of file, read from the freedesktop data
// the desktop keeps: the MIME type of a file name from the shared MIME globs, the
// desktop entries that declare that type, the user's and the system's
// associations (mimeapps.list), and the start of a chosen one with a file,
// without a shell. The stand-in for the shell's "open with" list. Paths, names and
// arguments are UTF-8, as the desktop's files are.
#include <string>
#include <vector>

struct TDesktopApp {
  std::string Id;    // desktop-file ID ("org.example.Viewer.desktop")
  std::string Name;  // the name a user reads
  std::string Exec;  // the command line template with its field codes
  std::string Icon;
  std::string Path;  // the desktop entry file
};

// The MIME type the desktop gives a file of this name ("page.htm": "text/html"),
// from the glob with the highest weight (then the longest); empty when none
// matches.
std::string MimeTypeOfName(const std::string& FileName);

// The applications registered for a MIME type: the default association first, then
// added associations, then the entries that declare the type, by name; removed
// associations and hidden entries left out; an entry of the user's data folder
// hides one of the same ID further down the search path.
std::vector<TDesktopApp> DesktopAppsForType(const std::string& MimeType);

// The program and its arguments for opening Target with App: the Exec line split
// as the desktop entry format quotes it, %f %F %u %U replaced by Target as one
// argument (added at the end when the line names none), %c %k %i and %% expanded,
// the deprecated codes dropped. False with Error for a line that cannot be read.
bool ExpandExec(const TDesktopApp& App, const std::string& Target, std::vector<std::string>& Argv,
                std::string& Error);

// Starts Argv[0] (searched on PATH) with the arguments, in a session of its own,
// without waiting for it; false with the system's reason when it cannot be started.
bool StartDetached(const std::vector<std::string>& Argv, std::string& Error);

// Hands Target (a path or a URL) to the desktop's opener, xdg-open on PATH, and
// waits up to WaitMs for its word: exit status 0 is Opened, any other status
// Failed (xdg-open exits 4 when nothing opens the file, 3 when a tool it needs is
// missing). An opener still running after WaitMs is running the program it chose
// and counts as Opened. NoOpener when PATH holds none.
enum class TDesktopOpen { NoOpener, Opened, Failed };
TDesktopOpen OpenWithDesktopOpener(const std::string& Target, int WaitMs = 5000);
