#include "app/SafeFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <random>
#include <system_error>

#include "platform/core/gbk.h"

namespace {

std::string FolderOf(const std::string& Path) {
  size_t slash = Path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : Path.substr(0, slash);
}

// Follows symbolic links in the last part of Path (as an open would), so that the
// file they lead to is replaced and the links stay. A dangling link leads to the
// name it holds, which is then created.
bool FollowLinks(std::string& Path, int& Error) {
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st {};
    if (::lstat(Path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::string link(PATH_MAX, '\0');
    ssize_t n = ::readlink(Path.c_str(), link.data(), link.size());
    if (n < 0) {
      Error = errno;
      return false;
    }
    link.resize(static_cast<size_t>(n));
    Path = link.front() == '/' ? link : FolderOf(Path) + "/" + link;
  }
  Error = ELOOP;
  return false;
}

std::string RandomSuffix() {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[10];
  if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
    std::random_device rd;
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(rd());
  }
  std::string out;
  for (unsigned char b : bytes) out.push_back(kChars[b % (sizeof kChars - 1)]);
  return out;
}

}  // namespace

TSafeFile::TSafeFile(const std::string& Path) : FTarget(Path) {
  int error = 0;
  if (FTarget.empty()) {
    Fail(ENOENT);
    return;
  }
  if (!FollowLinks(FTarget, error)) {
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
  const std::string folder = FolderOf(FTarget);
  for (int attempt = 0; attempt < 100 && FFd < 0; ++attempt) {
    FTemp = folder + "/.dtu-" + RandomSuffix();
    // 0666 before the umask, which the kernel applies: what a plain create gives.
    FFd = ::open(FTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (FFd < 0 && errno != EEXIST) break;
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
  if (FFd >= 0) ::close(FFd);
  if (!FCommitted && !FTemp.empty()) ::unlink(FTemp.c_str());
}

bool TSafeFile::Fail(int Errno) {
  if (FError == 0) FError = Errno ? Errno : EIO;
  if (FFd >= 0) {
    ::close(FFd);
    FFd = -1;
  }
  if (!FTemp.empty()) {
    ::unlink(FTemp.c_str());
    FTemp.clear();
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
  int fd = FFd;
  FFd = -1;
  if (::close(fd) != 0) return Fail(errno);
  if (::rename(FTemp.c_str(), FTarget.c_str()) != 0) return Fail(errno);
  FCommitted = true;
  // The rename is on disk only once the folder is.
  int dir = ::open(FolderOf(FTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

std::string SystemErrorText(int Errno) {
  // The C library's text is in the locale's encoding (UTF-8 on every current system).
  return Utf8ToGbk(std::generic_category().message(Errno));
}
