#include "platform/storage/atomicfile.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/exceptions.h"
#include "platform/core/gbk.h"

namespace {
bool MakeDirs(const std::string& Dir) {
  if (Dir.empty()) return true;
  struct stat st{};
  if (stat(Dir.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  }
  size_t slash = Dir.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeDirs(Dir.substr(0, slash))) return false;
  return mkdir(Dir.c_str(), 0755) == 0 || errno == EEXIST;
}

std::string FolderOf(const std::string& Path) {
  size_t slash = Path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return Path.substr(0, slash);
}
}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& FileName) {
  std::string path = GbkToUtf8(FileName);
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    throw EFOpenError("Cannot open file \"" + FileName + "\". " + std::strerror(errno));
  }
  std::string data;
  char buf[65536];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      int e = errno;
      close(fd);
      throw EFOpenError("Cannot read file \"" + FileName + "\". " + std::strerror(e));
    }
    if (n == 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  close(fd);
  return data;
}

void AtomicWriteFile(const std::string& FileName, const std::string& Data, const std::string& What) {
  std::string path = GbkToUtf8(FileName);
  std::string folder = FolderOf(path);
  auto fail = [&](int Err) {
    throw EWriteError(What + " " + FileName + ": " + std::strerror(Err));
  };
  if (!MakeDirs(folder)) fail(errno);

  struct stat old{};
  bool exists = stat(path.c_str(), &old) == 0;

  std::string name = path.substr(folder.size() + (folder == "/" ? 0 : 1));
  std::string pattern = (folder == "/" ? "/" : folder + "/") + "." + name + ".XXXXXX";
  std::vector<char> tmp(pattern.begin(), pattern.end());
  tmp.push_back('\0');
  int fd = mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) fail(errno);
  auto abandon = [&](int Err) {
    close(fd);
    unlink(tmp.data());
    fail(Err);
  };
  if (fchmod(fd, exists ? (old.st_mode & 07777) : 0644) != 0) abandon(errno);
  size_t done = 0;
  while (done < Data.size()) {
    ssize_t n = write(fd, Data.data() + done, Data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      abandon(errno);
    }
    done += static_cast<size_t>(n);
  }
  if (fsync(fd) != 0) abandon(errno);
  if (close(fd) != 0) {
    int e = errno;
    unlink(tmp.data());
    fail(e);
  }
  if (rename(tmp.data(), path.c_str()) != 0) {
    int e = errno;
    unlink(tmp.data());
    fail(e);
  }
  // The rename itself reaches the disk with the folder.
  int dfd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
}

TFolderLock::TFolderLock(const std::string& FileName) {
  std::string folder = FolderOf(GbkToUtf8(FileName));
  if (!MakeDirs(folder)) return;
  FFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (FFd < 0) return;
  while (flock(FFd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      close(FFd);
      FFd = -1;
      return;
    }
  }
}

TFolderLock::~TFolderLock() {
  if (FFd >= 0) close(FFd);  // closing releases the lock
}
