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
  // The folder of the file that is really replaced: a link elsewhere and the real
  // name take one lock. A link that is refused keeps its own folder; the
  // replacement then fails with the reason.
  std::string target = GbkToUtf8(FileName);
  if (ResolveSaveTarget(target) != 0) target = GbkToUtf8(FileName);
  std::string folder = FolderOfPath(target);
  if (!MakeFolders(folder, 0755)) return;
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
