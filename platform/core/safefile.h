#pragma once
// Reading and replacing whole files without ever leaving one half written. Every
// file the system keeps (the project file, the workbook export, the ini files, the
// registry store, the serial device map) goes through here, so a fix lands once.
//
// Replacing: the new content goes to a temporary file in the target's folder, which
// is flushed to disk and renamed over the target only when everything was written;
// the folder is flushed after the rename.
// - A symbolic link is followed: the file it points to is replaced, the link stays.
// - An existing target that is read-only (no write permission bit, or not writable by
//   this user; root too) or not a regular file is refused at once and left alone.
// - The temporary file is named ".dtu-<pid>-<ten random characters>", short enough
//   for a target name of any valid length, and created exclusively. Its writer holds
//   a lock (flock) on it until it is renamed or removed, so a temporary left by a
//   writer that died (killed, power cut) can be told from one being written. The
//   first replacement a process makes in a folder removes the temporaries there
//   whose writer is gone: a regular file (never a link) of this user, named exactly
//   so, whose pid no longer exists on this machine, whose lock is free and which is
//   older than a minute; never the target itself, under any name.
// - A new file gets NewFileMode less the process umask; a replaced file keeps its
//   permissions and, where allowed, its owner.
// Paths are in the file system's encoding (UTF-8).
#include <sys/types.h>

#include <cstddef>
#include <string>

struct TSafeFileOptions {
  // Missing folders above the target are created with this mode; 0: a missing
  // folder fails the replacement.
  mode_t FolderMode = 0;
  // The permissions of a target that does not exist yet (before the umask).
  mode_t NewFileMode = 0666;
};

class TSafeFile {
public:
  explicit TSafeFile(const std::string& Path, const TSafeFileOptions& Options = {});
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
  // The errno of the first failure, 0 when none. A target that is not a regular
  // file gives EISDIR for a folder and EINVAL otherwise.
  int Error() const { return FError; }

  // Removes the temporaries of dead writers in Folder (see above), never the file
  // Keep (by name or identity); returns how many. Runs on every call.
  static int RemoveStaleTemporaries(const std::string& Folder, const std::string& Keep = std::string());

private:
  bool Fail(int Errno);

  std::string FTarget;
  std::string FTemp;
  int FFd = -1;
  int FError = 0;
  bool FCommitted = false;
};

// Reads the whole of the regular file Path into Data, at most MaxSize bytes (the
// rest is left unread). Anything else (a FIFO, a device, a folder) is refused at
// once, without blocking or reading it. With SkipBom a UTF-8 byte-order mark at the
// start is dropped and Bom tells whether there was one. Returns 0 or the errno:
// ENOENT when the file does not exist, EISDIR for a folder, EINVAL for other
// non-regular files.
int ReadRegularFile(const std::string& Path, std::string& Data, size_t MaxSize = static_cast<size_t>(-1),
                    bool SkipBom = false, bool* Bom = nullptr);

// "not a regular file" for EINVAL, else the system's text for Errno (in English).
std::string SafeFileErrorText(int Errno);

// Creates every missing folder of Dir with Mode; false (errno set) when one cannot
// be made or a non-folder is in the way.
bool MakeFolders(const std::string& Dir, mode_t Mode);
// The folder part of a path: "." for a bare name, "/" for a name in the root.
std::string FolderOfPath(const std::string& Path);
