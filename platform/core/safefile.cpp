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

// A folder path that may be empty for the current folder, as the walk builds it.
std::string Joined(const std::string& Folder, const std::string& Name) {
  return Folder.empty() ? Name : InFolder(Folder, Name);
}

// The path in words of the parent of Folder, a path the walk built (free of links,
// so ".." on it is its parent).
std::string ParentOf(const std::string& Folder) {
  if (Folder == "/") return Folder;
  const size_t last = Folder.rfind('/');
  const std::string tail = last == std::string::npos ? Folder : Folder.substr(last + 1);
  if (Folder.empty() || tail == "..") return Joined(Folder, "..");
  return last == std::string::npos ? "" : last == 0 ? "/" : Folder.substr(0, last);
}

// Adds the parts of Text to Pending, the next one last. A text ending in '/' names
// a folder: a "." after its last part says so.
void PushParts(const std::string& Text, std::vector<std::string>& Pending) {
  if (!Text.empty() && Text.back() == '/') Pending.push_back(".");
  size_t end = Text.size();
  while (end > 0) {
    size_t start = Text.rfind('/', end - 1);
    start = start == std::string::npos ? 0 : start + 1;
    if (end > start) Pending.push_back(Text.substr(start, end - start));
    end = start == 0 ? 0 : start - 1;
  }
}

// A descriptor closed when it goes out of scope, unless released.
class TFd {
public:
  explicit TFd(int Fd = -1) : FFd(Fd) {}
  ~TFd() { Reset(); }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return FFd; }
  void Reset(int Fd = -1) {
    if (FFd >= 0) ::close(FFd);
    FFd = Fd;
  }
  int Release() {
    int fd = FFd;
    FFd = -1;
    return fd;
  }
private:
  int FFd;
};

// The walk of TSaveFolder::Open: the folder reached so far and its path in words.
struct TWalk {
  TFd Dir;
  std::string Shown;
  std::vector<std::string> Pending;
  int Links = 0;
  std::string Refusal;
};

// Follows the link Link (an O_PATH descriptor of it, named Name in the walk's
// folder) under the rule for shared folders: its target's parts go to the front of
// the walk. Returns 0 or the errno.
int FollowLink(TWalk& W, int Link, const struct stat& LinkStat, const std::string& Name) {
  if (++W.Links > 40) return ELOOP;
  struct stat folder {};
  if (::fstat(W.Dir.Get(), &folder) != 0) return errno;
  if (!MayFollow(LinkStat.st_uid, folder)) {
    W.Refusal = RefusedLinkText(Joined(W.Shown, Name), LinkStat.st_uid, W.Shown.empty() ? "." : W.Shown);
    return EACCES;
  }
  std::string target(PATH_MAX, '\0');
  const ssize_t n = ::readlinkat(Link, "", target.data(), target.size());
  if (n <= 0) return n < 0 ? errno : ENOENT;
  target.resize(static_cast<size_t>(n));
  if (target.front() == '/') {
    W.Dir.Reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (W.Dir.Get() < 0) return errno;
    W.Shown = "/";
  }
  PushParts(target, W.Pending);
  return 0;
}

// One folder on the way: the walk goes into it (following a link to it, creating it
// when missing and FolderMode allows). Returns 0 or the errno.
int WalkFolder(TWalk& W, const std::string& Part, mode_t FolderMode, int& Created) {
  if (Part == ".") return 0;
  if (Part == "..") {
    W.Dir.Reset(::openat(W.Dir.Get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (W.Dir.Get() < 0) return errno;
    W.Shown = ParentOf(W.Shown);
    return 0;
  }
  TFd fd(::openat(W.Dir.Get(), Part.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  if (fd.Get() < 0) {
    if (errno != ENOENT || FolderMode == 0) return errno;
    // Made here and looked at again: whatever is there then is walked as found.
    if (::mkdirat(W.Dir.Get(), Part.c_str(), FolderMode) != 0 && errno != EEXIST) return errno;
    if (++Created > 1000) return ENOENT;
    W.Pending.push_back(Part);
    return 0;
  }
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) return errno;
  if (S_ISLNK(st.st_mode)) return FollowLink(W, fd.Get(), st, Part);
  if (!S_ISDIR(st.st_mode)) return ENOTDIR;
  W.Dir.Reset(fd.Release());
  W.Shown = Joined(W.Shown, Part);
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
bool CleanDue(int Dir, const std::string& Folder) {
  struct stat st {};
  if (::fstat(Dir, &st) != 0) return false;
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

// Whether the entry Name of the folder Dir is a dead writer's temporary (see
// RemoveStaleTemporaries) and was removed. Everything is looked at and removed
// through Dir.
bool RemoveIfStale(int Dir, const char* Name, const struct stat* Keep, time_t Now) {
  const pid_t pid = TempNamePid(Name);
  if (pid <= 0) return false;
  // Only a plain file of this user, not the target under another name (a hard
  // link), old enough that no writer can be about to lock it.
  struct stat named {};
  if (::fstatat(Dir, Name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode) ||
      named.st_uid != ::geteuid() || (Keep && SameFile(named, *Keep)) || named.st_mtime > Now - kStaleSeconds)
    return false;
  // The writer named in it is gone from this machine (a pid in use, by it or by
  // anyone, keeps the file).
  if (::kill(pid, 0) == 0 || errno != ESRCH) return false;
  // Any access mode takes the lock (a temporary keeps its target's mode, which
  // may allow writing only).
  const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  TFd fd(::openat(Dir, Name, O_RDONLY | flags));
  if (fd.Get() < 0 && errno == EACCES) fd.Reset(::openat(Dir, Name, O_WRONLY | flags));
  if (fd.Get() < 0) return false;
  struct stat held {}, again {};
  // A live writer holds the lock; the lock is free once its writer is gone.
  return ::fstat(fd.Get(), &held) == 0 && SameFile(held, named) && held.st_nlink > 0 &&
         ::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0 && ::fstatat(Dir, Name, &again, AT_SYMLINK_NOFOLLOW) == 0 &&
         SameFile(again, held) && ::unlinkat(Dir, Name, 0) == 0;
}

// RemoveStaleTemporaries on the folder Dir (any descriptor of it), never the file
// Keep (by name or identity).
int RemoveStaleIn(int Dir, const std::string& KeepName, const struct stat* Keep) {
  const int fd = ::openat(Dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return 0;
  }
  const time_t now = ::time(nullptr);
  int removed = 0;
  while (dirent* e = ::readdir(dir))
    if (e->d_name != KeepName && RemoveIfStale(fd, e->d_name, Keep, now)) ++removed;
  ::closedir(dir);
  return removed;
}

}  // namespace

void SetSafeFileClock(TSafeFileClock NowMs) { GClock.store(NowMs, std::memory_order_release); }

TSaveFolder::~TSaveFolder() {
  if (FDir >= 0) ::close(FDir);
}

int TSaveFolder::Open(const std::string& Path, mode_t FolderMode) {
  if (FDir >= 0) ::close(FDir);
  FDir = -1;
  FName.clear();
  FPath.clear();
  FRefusal.clear();
  FExists = false;
  if (Path.empty()) return ENOENT;
  TWalk w;
  w.Shown = Path[0] == '/' ? "/" : "";
  w.Dir.Reset(::open(w.Shown.empty() ? "." : "/", O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (w.Dir.Get() < 0) return errno;
  PushParts(Path, w.Pending);
  int created = 0;
  while (!w.Pending.empty()) {
    const std::string part = w.Pending.back();
    w.Pending.pop_back();
    int error = 0;
    if (!w.Pending.empty()) {
      error = WalkFolder(w, part, FolderMode, created);
    } else if (part == "." || part == "..") {
      error = EISDIR;
    } else {
      // The file's own name: a link is followed like one on the way, anything else
      // (nothing at all included) is what is replaced.
      TFd fd(::openat(w.Dir.Get(), part.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
      struct stat st {};
      if (fd.Get() < 0 && errno != ENOENT) {
        error = errno;
      } else if (fd.Get() >= 0 && ::fstat(fd.Get(), &st) != 0) {
        error = errno;
      } else if (fd.Get() >= 0 && S_ISLNK(st.st_mode)) {
        error = FollowLink(w, fd.Get(), st, part);
      } else {
        FExists = fd.Get() >= 0;
        FStat = st;
        FName = part;
      }
    }
    if (error != 0) {
      FRefusal = w.Refusal;
      return error;
    }
  }
  FPath = Joined(w.Shown, FName);
  FDir = w.Dir.Release();
  return 0;
}

int TSaveFolder::OpenFolder() const { return ::openat(FDir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC); }

std::string FolderOfPath(const std::string& Path) {
  size_t slash = Path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : Path.substr(0, slash);
}

int TSafeFile::RemoveStaleTemporaries(const std::string& Folder, const std::string& Keep) {
  TFd dir(::open(Folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() < 0) return 0;
  struct stat keep {};
  const bool haveKeep = !Keep.empty() && ::stat(Keep.c_str(), &keep) == 0;
  return RemoveStaleIn(dir.Get(), Keep.empty() ? std::string() : Keep.substr(Keep.rfind('/') + 1),
                       haveKeep ? &keep : nullptr);
}

TSafeFile::TSafeFile(const std::string& Path, const TSafeFileOptions& Options) : FTarget(Path) {
  if (int error = FFolder.Open(Path, Options.FolderMode)) {
    FRefusal = FFolder.Refusal();
    Fail(error);
    return;
  }
  FTarget = FFolder.Path();
  const struct stat& old = FFolder.Stat();
  if (FFolder.Exists()) {
    if (S_ISDIR(old.st_mode)) {
      Fail(EISDIR);
      return;
    }
    if (!S_ISREG(old.st_mode)) {
      Fail(EINVAL);
      return;
    }
    // Root may write anything; a file nobody may write is still left alone.
    if ((old.st_mode & 0222) == 0 || ::faccessat(FFolder.Dir(), FFolder.Name().c_str(), W_OK, 0) != 0) {
      Fail(EACCES);
      return;
    }
  }
  if (CleanDue(FFolder.Dir(), FolderOfPath(FTarget)))
    RemoveStaleIn(FFolder.Dir(), FFolder.Name(), FFolder.Exists() ? &old : nullptr);
  if (!CreateTemporary(Options.NewFileMode)) return;
  if (FFolder.Exists()) {
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

bool TSafeFile::CreateTemporary(mode_t Mode) {
  const std::string prefix = std::string(kTempPrefix) + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100 && FFd < 0; ++attempt) {
    FTempName = prefix + RandomSuffix();
    FFd = ::openat(FFolder.Dir(), FTempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, Mode);
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
    const int e = errno;
    FTempName.clear();
    return Fail(e);
  }
  FTemp = InFolder(FolderOfPath(FTarget), FTempName);
  return true;
}

TSafeFile::~TSafeFile() {
  // Removed while still locked, so nobody else's clean-up races for it.
  if (!FCommitted && !FTempName.empty()) ::unlinkat(FFolder.Dir(), FTempName.c_str(), 0);
  if (FFd >= 0) ::close(FFd);
}

bool TSafeFile::Fail(int Errno) {
  if (FError == 0) FError = Errno ? Errno : EIO;
  if (!FTempName.empty()) {
    ::unlinkat(FFolder.Dir(), FTempName.c_str(), 0);
    FTempName.clear();
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
  if (::renameat(FFolder.Dir(), FTempName.c_str(), FFolder.Dir(), FFolder.Name().c_str()) != 0) return Fail(errno);
  FCommitted = true;
  ::close(FFd);
  FFd = -1;
  // The rename is on disk only once the folder is.
  TFd dir(FFolder.OpenFolder());
  if (dir.Get() < 0) {
    FError = errno;
    return false;
  }
  // Some file systems cannot flush a folder (EINVAL); the data itself is flushed.
  if (::fsync(dir.Get()) != 0 && errno != EINVAL) {
    FError = errno;
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
