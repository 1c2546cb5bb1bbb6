#pragma once
// Reading and replacing whole files without ever leaving one half written. Every
// file the system keeps (the project file, the workbook export, the ini files, the
// registry store, the serial device map) goes through here, so a fix lands once.
//
// Replacing: the path is walked once, a folder descriptor at a time (TSaveFolder
// below), and everything after goes through the final folder's descriptor: the new
// content goes to a temporary file there, which is flushed to disk and renamed over
// the target only when everything was written; the folder is flushed after the
// rename. No name is looked up a second time, so a folder on the path swapped for a
// link once the walk has passed it changes nothing.
// - A symbolic link is followed: the file it points to is replaced, the link stays.
//   A link found in a sticky folder that anyone may write to (/tmp) is followed only
//   when it belongs to this user (the effective uid) or to the folder's owner, as the
//   kernel's protected-symlinks rule has it; a link planted there by someone else is
//   refused (EACCES, ErrorText names the link and why), whether or not the kernel
//   enforces the rule. This holds for root too, and for the links among the
//   folders on the way to the file as for the file's own name.
// - An existing target that is read-only (no write permission bit, or not writable by
//   this user; root too) or not a regular file is refused at once and left alone.
// - The temporary file is named ".dtu-<pid>-<ten random characters>", short enough
//   for a target name of any valid length, and created exclusively. Its writer holds
//   a lock (flock) on it until it is renamed or removed, so a temporary left by a
//   writer that died (killed, power cut) can be told from one being written. A
//   replacement removes the temporaries in its folder whose writer is gone (the
//   first replacement a process makes there, then at most once a minute on the
//   clock set with SetSafeFileClock): a regular file (never a link) of this user, named exactly
//   so, whose pid no longer exists on this machine, whose lock is free and which is
//   older than a minute; never the target itself, under any name.
// - A new file gets NewFileMode less the process umask; a replaced file keeps its
//   permissions and, where allowed, its owner.
// Paths are in the file system's encoding (UTF-8).
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The folder a file of a given path is replaced in, reached by walking the path
// once: each part is opened relative to the folder before it (openat, O_NOFOLLOW),
// and each symbolic link met, among the folders or as the file's own name, is read
// through the descriptor that found it and followed only under the rule for shared
// folders above (at most 40 links). What is then done to the file goes through
// Dir() and Name(), never through the path again.
class TSaveFolder {
public:
  TSaveFolder() = default;
  ~TSaveFolder();
  TSaveFolder(const TSaveFolder&) = delete;
  TSaveFolder& operator=(const TSaveFolder&) = delete;

  // Walks Path. Missing folders on the way are created with FolderMode; 0: a missing
  // folder fails with ENOENT. Returns 0 or the errno; EACCES with Refusal() for a
  // link that is not followed, EISDIR when Path can name a folder only ("dir/", "..").
  int Open(const std::string& Path, mode_t FolderMode = 0);
  // The final folder (an O_PATH descriptor, for the *at calls), -1 before Open.
  int Dir() const { return FDir; }
  // The file's name in Dir().
  const std::string& Name() const { return FName; }
  // The file's path in words, every link followed: for messages, never to open it.
  const std::string& Path() const { return FPath; }
  // Whether something is there under Name(), and what (never a link: it was
  // followed; a dangling one leads to the name it holds, which does not exist).
  bool Exists() const { return FExists; }
  const struct stat& Stat() const { return FStat; }
  // Which link was refused and why; empty when no link was.
  const std::string& Refusal() const { return FRefusal; }
  // The folder itself opened for reading, to flush or lock it; -1 with errno set.
  int OpenFolder() const;

private:
  int FDir = -1;
  std::string FName, FPath, FRefusal;
  bool FExists = false;
  struct stat FStat {};
};

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
  // The temporary file, open for writing. Its path is for messages and tests only:
  // a writer that needs a file name writes elsewhere and copies through Fd().
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
  // The reason in words: which link was refused and why, else SafeFileErrorText.
  std::string ErrorText() const;
  // Which link was refused and why; empty when no link was.
  const std::string& Refusal() const { return FRefusal; }

  // Removes the temporaries of dead writers in Folder (see above), never the file
  // Keep (by name or identity); returns how many. Runs on every call.
  static int RemoveStaleTemporaries(const std::string& Folder, const std::string& Keep = std::string());

private:
  bool Fail(int Errno);
  bool CreateTemporary(mode_t Mode);

  TSaveFolder FFolder;
  std::string FTarget;
  std::string FTemp;      // in words, for TempPath()
  std::string FTempName;  // in FFolder
  std::string FRefusal;
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

// The time source of the clean-up's once-a-minute limit (milliseconds, never going
// back); nullptr: CLOCK_MONOTONIC. The clock service installs itself here.
using TSafeFileClock = std::uint64_t (*)();
void SetSafeFileClock(TSafeFileClock NowMs);

// The folder part of a path: "." for a bare name, "/" for a name in the root.
std::string FolderOfPath(const std::string& Path);
