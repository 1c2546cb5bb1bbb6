#pragma once
// Whole-file reads and atomic replacement of settings files. File names are GBK
// text, like every string of the system; they reach the OS as UTF-8.
#include <optional>
#include <string>

// The file's bytes; nullopt when it does not exist. Other failures (a folder in
// its place, no permission to read) raise EFOpenError with the reason.
std::optional<std::string> ReadWholeFile(const std::string& FileName);

// Replaces FileName with Data so that a reader (or a crash at any moment) sees
// either the old or the new content: a temporary file in the same folder is
// written, flushed to disk (fsync) and renamed over the file, then the folder is
// flushed. Missing folders are created first. An existing file keeps its
// permission bits. On failure the old file is untouched, the temporary file is
// removed and EWriteError is raised with "<What> <file>: <reason>".
void AtomicWriteFile(const std::string& FileName, const std::string& Data,
                     const std::string& What = "Cannot write");

// Holds an exclusive lock (flock) on the folder of FileName while it lives, so a
// load-change-store of a settings file in one process does not lose a change
// another process makes meanwhile. The folder is created when missing; when it
// cannot be, or cannot be opened, no lock is taken (the store then fails anyway).
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
