#pragma once
// The ".cloud" project file: the device settings and the variable table in one
// little-endian binary layout without header or version (212 + 118*N bytes).
#include <string>
#include <vector>

#include "app/VarTable.h"

constexpr size_t ProjectHeaderSize = 212;

// Everything a project file holds, apart from the globals, so a file can be checked
// whole before anything the user sees is touched.
struct TProjectData {
  uint16_t SerialWord = 0x0800;
  int16_t Station = 0;
  int16_t RegStart = 0;
  int16_t CoilStart = 0;
  int16_t Interval = 5;
  char Addr[CloudTextSize] = {};
  char Port[CloudTextSize] = {};
  char DeviceId[CloudTextSize] = {};
  char Key[CloudTextSize] = {};
  std::vector<TVarRecord> Vars;
};

enum class TProjectResult { prOk, prCannotOpen, prBadFormat, prCannotWrite };

// The settings and table now in the globals, and the reverse.
TProjectData CaptureProject();
void ApplyProject(const TProjectData& Data);

// The file's bytes; every field whole, text bytes after a terminator included.
std::string EncodeProject(const TProjectData& Data);
// Checks and decodes a file's bytes: at least 212 bytes, a count of at most 1000,
// room for every record, type codes and decimals 0..4. Bytes past the last record are
// ignored. Data is written only on success.
TProjectResult DecodeProject(const std::string& Bytes, TProjectData& Data);

// Reads a project file (path in GBK). Anything but a regular file (a FIFO, a device,
// a folder) is refused at once with prCannotOpen. Data is written only on success.
TProjectResult ReadProjectFile(const std::string& Path, TProjectData& Data);
// Writes a project file safely (app/SafeFile.h): a failed save, a read-only target or
// one that is not a regular file leaves the old file as it was (prCannotWrite). A
// symbolic link that a save may not follow (another user's, in a shared sticky
// folder) is refused too. *Reason (when given) says why a write failed: the
// system's reason, or which link was refused and why, in GBK.
TProjectResult WriteProjectFile(const std::string& Path, const TProjectData& Data,
                                std::string* Reason = nullptr);

// The message shown for a failed read or write ("打开文件失败！", ...), GBK.
std::string ProjectResultMessage(TProjectResult Result);
// The message of a failed save: "保存文件失败！", the path and the reason (as
// WriteProjectFile gives it), one to a line (GBK).
std::string SaveFailureMessage(const std::string& Path, const std::string& Reason);
