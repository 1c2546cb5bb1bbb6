#pragma once
// Replacing a file without ever leaving it half written: the new content goes to a
// temporary file in the target's folder, which is flushed to disk and renamed over the
// target only when everything was written; the folder is flushed after the rename.
//
// - A symbolic link is followed: the file it points to is replaced, the link stays.
// - An existing target that is read-only (no write permission bit, or not writable by
//   this user) or not a regular file is refused and left alone.
// - The temporary file's name is short (".dtu-" and ten random characters), so a
//   target name of any valid length still works; it is created exclusively.
// - A new file gets the permissions a plain create gives (the kernel applies the
//   process umask); a replaced file keeps its permissions and, where allowed, owner.
// Paths are in the file system's encoding (UTF-8).
#include <string>

class TSafeFile {
public:
  explicit TSafeFile(const std::string& Path);
  // Removes the temporary file unless the commit succeeded.
  ~TSafeFile();
  TSafeFile(const TSafeFile&) = delete;
  TSafeFile& operator=(const TSafeFile&) = delete;

  // Whether the temporary file is ready to be written.
  bool Ok() const { return FFd >= 0; }
  // The temporary file, open for writing, and its path (for writers that open by name).
  int Fd() const { return FFd; }
  const std::string& TempPath() const { return FTemp; }
  // The file that is replaced (the target of a symbolic link).
  const std::string& Target() const { return FTarget; }
  // Writes all of Bytes to the temporary file.
  bool Write(const std::string& Bytes);
  // Flushes and closes the temporary file, renames it over the target and flushes the
  // folder. False (with the temporary file removed) when any step fails.
  bool Commit();
  // The errno of the first failure, 0 when none.
  int Error() const { return FError; }

private:
  bool Fail(int Errno);

  std::string FTarget;
  std::string FTemp;
  int FFd = -1;
  int FError = 0;
  bool FCommitted = false;
};

// The system's reason for an errno value in the user's language, as GBK text.
std::string SystemErrorText(int Errno);
