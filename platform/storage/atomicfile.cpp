#include "platform/storage/atomicfile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/core/exceptions.h"
#include "platform/core/gbk.h"
#include "platform/core/safefile.h"

std::optional<std::string> ReadWholeFile(const std::string& FileName, bool* Bom) {
  std::string data;
  int error = ReadRegularFile(GbkToUtf8(FileName), data, static_cast<size_t>(-1), Bom != nullptr, Bom);
  if (error == ENOENT || error == ENOTDIR) return std::nullopt;
  if (error) throw EFOpenError("Cannot open file \"" + FileName + "\". " + SafeFileErrorText(error));
  return data;
}

void AtomicWriteFile(const std::string& FileName, const std::string& Data, const std::string& What) {
  TSafeFileOptions options;
  options.FolderMode = 0755;
  options.NewFileMode = 0644;
  TSafeFile file(GbkToUtf8(FileName), options);
  if (!file.Write(Data) || !file.Commit())
    throw EWriteError(What + " " + FileName + ": " + Utf8ToGbk(file.ErrorText()));
}

TFolderLock::TFolderLock(const std::string& FileName) {
  // The folder of the file that is really replaced, reached as the replacement
  // reaches it: a link elsewhere and the real name take one lock. When the walk is
  // refused (a link another user planted) no lock is taken; the replacement then
  // fails with the reason.
  TSaveFolder folder;
  if (folder.Open(GbkToUtf8(FileName), 0755) != 0) return;
  FFd = folder.OpenFolder();
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
