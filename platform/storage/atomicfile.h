#pragma once
// Whole-file reads and atomic replacement of settings files (the ini files and the
// registry store), over the system's one safe-replace routine (TSafeFile). File
// names are GBK text, like every string of the system; they reach the OS as UTF-8.
#include <optional>
#include <string>

// The file's bytes; nullopt when it does not exist. Anything but a regular file (a
// folder, a FIFO, a device) is refused at once, and other failures (no permission
// to read) too: EFOpenError with the reason. With Bom, a UTF-8 byte-order mark at
// the start is left out and *Bom tells whether there was one.
std::optional<std::string> ReadWholeFile(const std::string& FileName, bool* Bom = nullptr);

// Replaces FileName with Data so that a reader (or a crash at any moment) sees
// either the old or the new content (TSafeFile: a symbolic link is followed and
// kept, a read-only or non-regular target is refused and left alone). Missing
// folders are created first; a new file is made with mode 0644 less the umask. On
// failure the old file is untouched and EWriteError is raised with
// "<What> <file>: <reason>".
void AtomicWriteFile(const std::string& FileName, const std::string& Data,
                     const std::string& What = "Cannot write");

// Holds an exclusive lock (flock) on the folder of the file that FileName leads to
// (reached as a replacement reaches it, TSaveFolder) while it lives, so a
// load-change-store of a settings file in one process does not lose a change
// another process makes meanwhile. The folder is created when missing; when it
// cannot be, or cannot be reached or opened, no lock is taken (the store then fails
// anyway).
// Not for two locks of one folder in one thread: take a process-wide mutex first.
class TFolderLock {
public:
  explicit TFolderLock(const std::string& FileName);
  ~TFolderLock();
  TFolderLock(const TFolderLock&) = delete;
  TFolderLock& operator=(const TFolderLock&) = delete;
private:
  int FFd = -1;
};
