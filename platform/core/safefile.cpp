#include "platform/core/safefile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <tuple>
#include <vector>
#include <algorithm>
#include <climits>
#include <cstring>
#include <random>

namespace {

const char kTempPrefix[] = ".dtu-";
constexpr size_t kRandomChars = 10;
// A temporary younger than this is never taken: its writer may have just made it.
constexpr time_t kStaleSeconds = 60;
// A folder is looked at for such temporaries at most this often.
constexpr std::uint64_t kCleanIntervalMs = 60000;

std::string InFolder(const std::string& Folder, const std::string& Name) {
  return Folder == "/" ? "/" + Name : Folder + "/" + Name;
}

// Whether a link owned by LinkOwner, found in the folder described by Folder, may be
// followed by this process. The kernel's rule for shared folders: in a sticky folder
// that anyone may write to (/tmp), a link is followed only by its owner or by the
// folder's owner, so another user cannot steer a write there. The kernel may not
// enforce it (fs.protected_symlinks is off in many containers), so it is applied here.
bool MayFollow(uid_t LinkOwner, const struct stat& Folder) {
  const mode_t shared = S_ISVTX | S_IWOTH;
  return (Folder.st_mode & shared) != shared || LinkOwner == ::geteuid() || LinkOwner == Folder.st_uid;
}

std::string RefusedLinkText(const std::string& Link, uid_t Owner, const std::string& Folder) {
  return "the symbolic link " + Link + " belongs to another user (uid " + std::to_string(Owner) +
         ") in the shared sticky folder " + Folder + " and is not followed";
}

// One step of ResolveSaveTarget: whether Path is a link, and where it leads. The link is
// looked at and read through one descriptor, so both are of the same link.
enum class TLinkStep { NoLink, Followed, Failed };
TLinkStep ReadLinkAt(std::string& Path, int& Error, std::string& Refusal) {
  int fd = ::open(Path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return TLinkStep::NoLink;  // missing: a new file is made under this name
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISLNK(st.st_mode)) {
    ::close(fd);
    return TLinkStep::NoLink;
  }
  const std::string folder = FolderOfPath(Path);
  struct stat dir {};
  if (::stat(folder.c_str(), &dir) != 0) {
    Error = errno;
    ::close(fd);
    return TLinkStep::Failed;
  }
  if (!MayFollow(st.st_uid, dir)) {
    Error = EACCES;
    Refusal = RefusedLinkText(Path, st.st_uid, folder);
    ::close(fd);
    return TLinkStep::Failed;
  }
  std::string link(PATH_MAX, '\0');
  ssize_t n = ::readlinkat(fd, "", link.data(), link.size());
  ::close(fd);
  if (n <= 0) {
    Error = n < 0 ? errno : ENOENT;
    return TLinkStep::Failed;
  }
  link.resize(static_cast<size_t>(n));
  Path = link.front() == '/' ? link : InFolder(folder, link);
  return TLinkStep::Followed;
}

// A folder path that may be empty for the current folder, as ResolveFolders builds it.
std::string Joined(const std::string& Folder, const std::string& Name) {
  return Folder.empty() ? Name : InFolder(Folder, Name);
}

// The folders on the way to Path's last part, with every symbolic link among them
// followed under the same rule, so that the kernel meets no link on the way when the
// file is replaced: a planted link to a folder would otherwise lead the save where
// its owner chose. Parts that do not exist (folders a save makes) stay as written.
// Links counts the links followed so far, against the same limit as the last part's.
int ResolveFolders(std::string& Path, int& Links, std::string& Refusal) {
  const size_t slash = Path.rfind('/');
  if (slash == std::string::npos) return 0;
  std::vector<std::string> pending;  // the parts still to walk, the next one last
  auto push = [&pending](const std::string& Folder) {
    size_t end = Folder.size();
    while (end > 0) {
      size_t start = Folder.rfind('/', end - 1);
      start = start == std::string::npos ? 0 : start + 1;
      if (end > start) pending.push_back(Folder.substr(start, end - start));
      end = start == 0 ? 0 : start - 1;
    }
  };
  push(Path.substr(0, slash));
  std::string real = Path[0] == '/' ? "/" : "";  // free of links: ".." on it is its parent
  bool missing = false;
  while (!pending.empty()) {
    const std::string part = pending.back();
    pending.pop_back();
    if (part == ".") continue;
    if (part == "..") {
      const size_t last = real.rfind('/');
      const std::string tail = last == std::string::npos ? real : real.substr(last + 1);
      if (real == "/") continue;
      if (missing || real.empty() || tail == "..") real = Joined(real, "..");
      else real = last == std::string::npos ? "" : last == 0 ? "/" : real.substr(0, last);
      continue;
    }
    const std::string next = Joined(real, part);
    struct stat st {};
    if (!missing && ::lstat(next.c_str(), &st) != 0) missing = true;
    if (missing || !S_ISLNK(st.st_mode)) {
      real = next;
      continue;
    }
    if (++Links > 40) return ELOOP;
    const std::string folder = real.empty() ? "." : real;
    struct stat dir {};
    if (::stat(folder.c_str(), &dir) != 0) return errno;
    if (!MayFollow(st.st_uid, dir)) {
      Refusal = RefusedLinkText(next, st.st_uid, folder);
      return EACCES;
    }
    std::string link(PATH_MAX, '\0');
    ssize_t n = ::readlink(next.c_str(), link.data(), link.size());
    if (n <= 0) return n < 0 ? errno : ENOENT;
    link.resize(static_cast<size_t>(n));
    if (link.front() == '/') real = "/";
    push(link);
  }
  Path = Joined(real, Path.substr(slash + 1));
  return 0;
}

std::string RandomSuffix() {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[kRandomChars];
  if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
    std::random_device rd;
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(rd());
  }
  std::string out;
  for (unsigned char b : bytes) out.push_back(kChars[b % (sizeof kChars - 1)]);
  return out;
}

// ".dtu-<pid>-<ten letters or digits>": only names this code makes are touched.
// Gives the writer's pid, 0 for any other name.
pid_t TempNamePid(const char* Name) {
  const size_t prefix = sizeof kTempPrefix - 1;
  if (std::strncmp(Name, kTempPrefix, prefix) != 0) return 0;
  const char* p = Name + prefix;
  long long pid = 0;
  const char* digits = p;
  for (; *p >= '0' && *p <= '9'; ++p) {
    pid = pid * 10 + (*p - '0');
    if (pid > INT_MAX) return 0;
  }
  if (p == digits || *p != '-') return 0;
  ++p;
  size_t n = 0;
  for (; p[n]; ++n)
    if (!((p[n] >= 'a' && p[n] <= 'z') || (p[n] >= 'A' && p[n] <= 'Z') || (p[n] >= '0' && p[n] <= '9')))
      return 0;
  return n == kRandomChars ? static_cast<pid_t>(pid) : 0;
}

bool SameFile(const struct stat& A, const struct stat& B) { return A.st_dev == B.st_dev && A.st_ino == B.st_ino; }

std::atomic<TSafeFileClock> GClock{nullptr};

std::uint64_t NowMs() {
  if (TSafeFileClock clock = GClock.load(std::memory_order_acquire)) return clock();
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000 + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000;
}

// Whether the folder is due for a clean-up (and marks it cleaned now): the first
// replacement in it, then at most once a minute, so a long-running program also
// removes what writers killed later leave. Known by path and identity, so a folder
// made anew under an old name counts as new.
bool CleanDue(const std::string& Folder) {
  struct stat st {};
  if (::stat(Folder.c_str(), &st) != 0) return false;
  static std::mutex lock;
  static std::map<std::tuple<dev_t, ino_t, std::string>, std::uint64_t> last;
  const std::uint64_t now = NowMs();
  std::lock_guard<std::mutex> guard(lock);
  auto [it, added] = last.try_emplace({st.st_dev, st.st_ino, Folder}, now);
  if (added) return true;
  if (now - it->second < kCleanIntervalMs) return false;
  it->second = now;
  return true;
}

}  // namespace

void SetSafeFileClock(TSafeFileClock NowMs) { GClock.store(NowMs, std::memory_order_release); }

int ResolveSaveTarget(std::string& Path, std::string* Refusal) {
  std::string refusal;
  int links = 0;
  for (int depth = 0; depth < 40; ++depth) {
    int error = ResolveFolders(Path, links, refusal);
    if (error != 0) {
      if (Refusal) *Refusal = refusal;
      return error;
    }
    switch (ReadLinkAt(Path, error, refusal)) {
      case TLinkStep::NoLink: return 0;
      case TLinkStep::Followed: continue;
      case TLinkStep::Failed:
        if (Refusal) *Refusal = refusal;
        return error;
    }
  }
  return ELOOP;
}

std::string FolderOfPath(const std::string& Path) {
  size_t slash = Path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : Path.substr(0, slash);
}

bool MakeFolders(const std::string& Dir, mode_t Mode) {
  if (Dir.empty()) return true;
  struct stat st {};
  if (::stat(Dir.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  }
  size_t slash = Dir.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(Dir.substr(0, slash), Mode)) return false;
  return ::mkdir(Dir.c_str(), Mode) == 0 || errno == EEXIST;
}

int TSafeFile::RemoveStaleTemporaries(const std::string& Folder, const std::string& Keep) {
  DIR* dir = ::opendir(Folder.c_str());
  if (!dir) return 0;
  struct stat keep {};
  const bool haveKeep = !Keep.empty() && ::stat(Keep.c_str(), &keep) == 0;
  const std::string keepName = Keep.empty() ? std::string() : Keep.substr(Keep.rfind('/') + 1);
  const time_t now = ::time(nullptr);
  const uid_t me = ::geteuid();
  int removed = 0;
  while (dirent* e = ::readdir(dir)) {
    const pid_t pid = TempNamePid(e->d_name);
    if (pid <= 0 || e->d_name == keepName) continue;
    const std::string path = InFolder(Folder, e->d_name);
    // Only a plain file of this user, not the target under another name (a hard
    // link), old enough that no writer can be about to lock it.
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode) || named.st_uid != me ||
        (haveKeep && SameFile(named, keep)) || named.st_mtime > now - kStaleSeconds)
      continue;
    // The writer named in it is gone from this machine (a pid in use, by it or by
    // anyone, keeps the file).
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
    // Any access mode takes the lock (a temporary keeps its target's mode, which
    // may allow writing only).
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::open(path.c_str(), O_RDONLY | flags);
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_WRONLY | flags);
    if (fd < 0) continue;
    struct stat held {}, again {};
    // A live writer holds the lock; the lock is free once its writer is gone.
    if (::fstat(fd, &held) == 0 && SameFile(held, named) && held.st_nlink > 0 &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &again) == 0 && SameFile(again, held) &&
        ::unlink(path.c_str()) == 0)
      ++removed;
    ::close(fd);
  }
  ::closedir(dir);
  return removed;
}

TSafeFile::TSafeFile(const std::string& Path, const TSafeFileOptions& Options) : FTarget(Path) {
  int error = 0;
  if (FTarget.empty()) {
    Fail(ENOENT);
    return;
  }
  if ((error = ResolveSaveTarget(FTarget, &FRefusal)) != 0) {
    Fail(error);
    return;
  }
  struct stat old {};
  bool exists = ::stat(FTarget.c_str(), &old) == 0;
  if (exists) {
    if (S_ISDIR(old.st_mode)) {
      Fail(EISDIR);
      return;
    }
    if (!S_ISREG(old.st_mode)) {
      Fail(EINVAL);
      return;
    }
    // Root may write anything; a file nobody may write is still left alone.
    if ((old.st_mode & 0222) == 0 || ::access(FTarget.c_str(), W_OK) != 0) {
      Fail(EACCES);
      return;
    }
  }
  const std::string folder = FolderOfPath(FTarget);
  if (!exists && Options.FolderMode != 0 && !MakeFolders(folder, Options.FolderMode)) {
    Fail(errno);
    return;
  }
  if (CleanDue(folder)) RemoveStaleTemporaries(folder, FTarget);
  const std::string prefix = std::string(kTempPrefix) + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100 && FFd < 0; ++attempt) {
    FTemp = InFolder(folder, prefix + RandomSuffix());
    FFd = ::open(FTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, Options.NewFileMode);
    if (FFd < 0) {
      if (errno != EEXIST) break;
      continue;
    }
    // Another writer's clean-up may take the file in the moment before it is locked:
    // then it is gone (no links left) and another name is tried.
    struct stat st {};
    while (::flock(FFd, LOCK_EX) != 0 && errno == EINTR) {
    }
    if (::fstat(FFd, &st) != 0 || st.st_nlink == 0) {
      ::close(FFd);
      FFd = -1;
      errno = EEXIST;
    }
  }
  if (FFd < 0) {
    int e = errno;
    FTemp.clear();
    Fail(e);
    return;
  }
  if (exists) {
    if (::fchmod(FFd, old.st_mode & 07777) != 0) {
      Fail(errno);
      return;
    }
    struct stat now {};
    if (::fstat(FFd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid)) {
      // Keeping the owner is allowed to root only (and the group to its members).
      if (::fchown(FFd, old.st_uid, old.st_gid) == 0) ::fchmod(FFd, old.st_mode & 07777);
    }
  }
}

TSafeFile::~TSafeFile() {
  // Removed while still locked, so nobody else's clean-up races for it.
  if (!FCommitted && !FTemp.empty()) ::unlink(FTemp.c_str());
  if (FFd >= 0) ::close(FFd);
}

bool TSafeFile::Fail(int Errno) {
  if (FError == 0) FError = Errno ? Errno : EIO;
  if (!FTemp.empty()) {
    ::unlink(FTemp.c_str());
    FTemp.clear();
  }
  if (FFd >= 0) {
    ::close(FFd);
    FFd = -1;
  }
  return false;
}

bool TSafeFile::Write(const std::string& Bytes) {
  if (FFd < 0) return false;
  size_t done = 0;
  while (done < Bytes.size()) {
    ssize_t n = ::write(FFd, Bytes.data() + done, Bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(errno);
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool TSafeFile::Commit() {
  if (FFd < 0) return false;
  if (::fsync(FFd) != 0) return Fail(errno);
  // The lock stays on a duplicate until the rename: closing the file itself first
  // lets a late write error (network file systems report them on close) stop it.
  int lock = ::dup(FFd);
  if (lock < 0) return Fail(errno);
  int fd = FFd;
  FFd = lock;
  if (::close(fd) != 0) return Fail(errno);
  if (::rename(FTemp.c_str(), FTarget.c_str()) != 0) return Fail(errno);
  FCommitted = true;
  ::close(FFd);
  FFd = -1;
  // The rename is on disk only once the folder is.
  int dir = ::open(FolderOfPath(FTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) {
    FError = errno;
    return false;
  }
  int synced = ::fsync(dir);
  int e = errno;
  ::close(dir);
  // Some file systems cannot flush a folder (EINVAL); the data itself is flushed.
  if (synced != 0 && e != EINVAL) {
    FError = e;
    return false;
  }
  return true;
}

int ReadRegularFile(const std::string& Path, std::string& Data, size_t MaxSize, bool SkipBom, bool* Bom) {
  Data.clear();
  if (Bom) *Bom = false;
  // Without blocking: a FIFO with no writer must not hang the caller.
  int fd = ::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    int e = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    return e;
  }
  char buf[65536];
  int error = 0;
  while (Data.size() < MaxSize) {
    ssize_t n = ::read(fd, buf, std::min(sizeof buf, MaxSize - Data.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    Data.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  if (error) {
    Data.clear();
    return error;
  }
  if (SkipBom && Data.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    Data.erase(0, 3);
    if (Bom) *Bom = true;
  }
  return 0;
}

std::string TSafeFile::ErrorText() const { return FRefusal.empty() ? SafeFileErrorText(FError) : FRefusal; }

std::string SafeFileErrorText(int Errno) {
  if (Errno == EINVAL) return "not a regular file";
  return std::strerror(Errno);
}
