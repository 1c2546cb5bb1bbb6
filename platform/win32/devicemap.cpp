#include "platform/win32/devicemap.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/exceptions.h"
#include "platform/core/safefile.h"
#include "platform/core/sysutils.h"

namespace {
std::mutex GOverrideLock;
std::string GOverride;

std::string Trimmed(const std::string& S) {
  size_t b = S.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  size_t e = S.find_last_not_of(" \t\r");
  return S.substr(b, e - b + 1);
}

// Names compare as the entries' index folds them (LowerCase).
bool SameName(const std::string& A, const std::string& B) { return SameText(A, B); }

// The value of an entry without a trailing comment: a # or ; after a blank.
std::string WithoutComment(const std::string& Value) {
  for (size_t i = 1; i < Value.size(); ++i)
    if ((Value[i] == '#' || Value[i] == ';') && (Value[i - 1] == ' ' || Value[i - 1] == '\t'))
      return Trimmed(Value.substr(0, i));
  return Value;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  std::vector<char> buf(16384);
  passwd pw{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return "";
}

[[noreturn]] void Fail(const std::string& File, const char* What, int Errno) {
  throw EWriteError("Cannot write the serial device map " + File + ": " + What + ": " +
                    std::strerror(Errno));
}

// The map's lock, held by this process from construction to destruction. It sits
// beside the file that is really replaced (a link to the map is followed first, as
// the replacement follows it), so two processes reaching one map by different
// names take one lock. The lock file
// stays: removing it would let two processes lock two different files. Without
// Wait a lock held by another process is not waited for: Held() is then false.
class TMapLock {
public:
  explicit TMapLock(const std::string& File, bool Wait = true) {
    // Reached as the replacement reaches the map, and opened through that folder.
    TSaveFolder folder;
    if (int error = folder.Open(File, 0700)) {
      if (folder.Refusal().empty()) Fail(File, "cannot reach its folder", error);
      throw EWriteError("Cannot write the serial device map " + File + ": " + folder.Refusal());
    }
    FFd = openat(folder.Dir(), (folder.Name() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (FFd < 0) Fail(File, "cannot open its lock file", errno);
    while (flock(FFd, Wait ? LOCK_EX : LOCK_EX | LOCK_NB) != 0) {
      if (errno == EINTR) continue;
      int e = errno;
      close(FFd);
      FFd = -1;
      if (!Wait && e == EWOULDBLOCK) return;
      Fail(File, "cannot lock it", e);
    }
  }
  ~TMapLock() {
    if (FFd >= 0) close(FFd);  // unlocks
  }
  TMapLock(const TMapLock&) = delete;
  TMapLock& operator=(const TMapLock&) = delete;
  bool Held() const { return FFd >= 0; }

private:
  int FFd = -1;
};

const char kOwnerMark[] = "# owner ";

std::mutex GProcRootLock;
std::string GProcRoot = "/proc";

std::string ProcRoot() {
  std::lock_guard<std::mutex> g(GProcRootLock);
  return GProcRoot;
}

// Reads <proc>/Which/stat: the pid, the state letter and the start (clock ticks
// after boot, field 22). Returns 0 or the errno (EINVAL when it cannot be read as one).
int ReadProcStat(const std::string& Which, long& Pid, char& State, unsigned long long& Start) {
  std::string stat;
  int error = ReadRegularFile(ProcRoot() + "/" + Which + "/stat", stat, 4096);
  if (error) return error;
  // "pid (name) state ...": the name may hold blanks and parentheses.
  size_t close = stat.rfind(')');
  if (close == std::string::npos) return EINVAL;
  std::vector<std::string> fields;
  size_t pos = close + 1;
  while (fields.size() < 20) {
    size_t b = stat.find_first_not_of(' ', pos);
    if (b == std::string::npos) break;
    size_t e = stat.find(' ', b);
    fields.push_back(stat.substr(b, e == std::string::npos ? std::string::npos : e - b));
    if (e == std::string::npos) break;
    pos = e;
  }
  if (fields.size() < 20 || fields[0].size() != 1) return EINVAL;
  char* end = nullptr;
  Pid = std::strtol(stat.c_str(), &end, 10);
  if (end == stat.c_str() || Pid <= 0) return EINVAL;
  State = fields[0][0];
  Start = std::strtoull(fields[19].c_str(), &end, 10);
  if (*end != '\0' && *end != '\n') return EINVAL;
  return 0;
}

// Whether /proc can tell who lives: it is mounted, readable and belongs to this
// process's pid namespace (its "self" is this process). Otherwise a missing pid
// proves nothing: it may live in another namespace, or be hidden.
bool ProcWorks() {
  long pid = 0;
  char state = 0;
  unsigned long long start = 0;
  return ReadProcStat("self", pid, state, start) == 0 && pid == static_cast<long>(getpid()) && start != 0;
}

enum class TOwner { Alive, Dead, Unknown };

// Whether the registrant recorded in an entry still runs: the same pid with the
// same start (a pid taken again by another program starts later). With ProcOk false
// nothing can be told and the entry is kept. An entry without a start proves no
// owner and counts as dead once /proc can be trusted.
TOwner OwnerState(long Pid, unsigned long long Start, bool ProcOk) {
  if (!ProcOk) return TOwner::Unknown;
  long pid = 0;
  char state = 0;
  unsigned long long start = 0;
  int error = ReadProcStat(std::to_string(Pid), pid, state, start);
  if (error == ENOENT || error == ESRCH) return TOwner::Dead;
  if (error) return TOwner::Unknown;
  if (state == 'Z' || state == 'X') return TOwner::Dead;  // killed, not yet reaped
  return Start != 0 && start == Start && pid == Pid ? TOwner::Alive : TOwner::Dead;
}

// Digits only, no sign and no blanks, into Value; false for anything else.
bool ParseDigits(const std::string& Text, unsigned long long& Value) {
  if (Text.empty() || Text.size() > 19 || Text.find_first_not_of("0123456789") != std::string::npos) return false;
  Value = std::stoull(Text);
  return true;
}

enum class TOwnerMark { None, Valid, Malformed };

// The comment after an entry's device. "# owner pid=N start=M", exactly so, names
// the entry's registrant. A comment that starts like one ("#", blanks, "owner",
// blanks, "pid=") but is not exactly that is Malformed: it was meant to limit the
// entry's life, and an entry that cannot be tied to a live owner must not last.
TOwnerMark ParseOwner(const std::string& Comment, long& Pid, unsigned long long& Start) {
  size_t p = Comment.find_first_not_of(" \t", 1);
  if (Comment.empty() || Comment[0] != '#' || p == std::string::npos || Comment.compare(p, 5, "owner") != 0)
    return TOwnerMark::None;
  size_t q = Comment.find_first_not_of(" \t", p + 5);
  if (q == p + 5 || q == std::string::npos || Comment.compare(q, 4, "pid=") != 0) return TOwnerMark::None;
  if (Comment.compare(0, sizeof kOwnerMark - 1, kOwnerMark) != 0) return TOwnerMark::Malformed;
  const std::string rest = Comment.substr(sizeof kOwnerMark - 1);  // "pid=N start=M"
  size_t blank = rest.find(' ');
  unsigned long long pid = 0;
  if (rest.compare(0, 4, "pid=") != 0 || blank == std::string::npos || rest.compare(blank + 1, 6, "start=") != 0 ||
      !ParseDigits(rest.substr(4, blank - 4), pid) || !ParseDigits(rest.substr(blank + 7), Start) || pid == 0 ||
      pid > static_cast<unsigned long long>(std::numeric_limits<int>::max()))
    return TOwnerMark::Malformed;
  Pid = static_cast<long>(pid);
  return TOwnerMark::Valid;
}
}  // namespace

std::string TSerialDeviceMap::DefaultPath() {
  // Only an absolute XDG_CONFIG_HOME counts; a relative one is ignored.
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base = xdg && xdg[0] == '/' ? std::string(xdg) : HomeFolder() + "/.config";
  return base + "/dtu-config/serial-ports.ini";
}

void TSerialDeviceMap::SetProcRootOverride(const std::string& Root) {
  std::lock_guard<std::mutex> g(GProcRootLock);
  GProcRoot = Root.empty() ? "/proc" : Root;
}

void TSerialDeviceMap::SetPathOverride(const std::string& Path) {
  std::lock_guard<std::mutex> g(GOverrideLock);
  GOverride = Path;
}

std::string TSerialDeviceMap::Path() {
  {
    std::lock_guard<std::mutex> g(GOverrideLock);
    if (!GOverride.empty()) return GOverride;
  }
  return DefaultPath();
}

TSerialDeviceMap::TSerialDeviceMap(const std::string& FileName)
    : FFileName(FileName.empty() ? Path() : FileName) {
  // Only a regular file is read (a FIFO in its place must not block); a byte-order
  // mark some editors put first is not part of the first entry.
  std::string data;
  if (ReadRegularFile(FFileName, data, MaxFileSize + 1) != 0) data.clear();
  if (data.size() > MaxFileSize) {
    // What lies beyond the limit is not read; a line cut by it is part of that.
    const size_t keep = data.rfind('\n', MaxFileSize - 1);
    data.resize(keep == std::string::npos ? 0 : keep + 1);
    FOversized = true;
  }
  if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) data.erase(0, 3);
  std::optional<bool> procOk;  // looked at once, for the first owned entry
  for (size_t pos = 0; pos < data.size();) {
    size_t end = data.find('\n', pos);
    if (end == std::string::npos) end = data.size();
    std::string line = data.substr(pos, end - pos);
    pos = end + 1;
    std::string t = Trimmed(line);
    if (t.empty() || t[0] == '#' || t[0] == ';') {
      FLines.push_back({line, "", ""});
      continue;
    }
    size_t eq = t.find('=');
    std::string value = eq == std::string::npos ? "" : Trimmed(t.substr(eq + 1));
    std::string name = eq == std::string::npos ? "" : Trimmed(t.substr(0, eq));
    std::string path = WithoutComment(value);
    if (name.empty() || path.empty()) {
      FLines.push_back({line, "", ""});
      FBadLines.push_back(line);
      continue;
    }
    TLine l{line, name, path};
    switch (ParseOwner(Trimmed(value.substr(path.size())), l.OwnerPid, l.OwnerStart)) {
      case TOwnerMark::None: break;
      case TOwnerMark::Malformed: l.Dead = true; break;
      case TOwnerMark::Valid:
        if (!procOk) procOk = ProcWorks();
        l.Dead = OwnerState(l.OwnerPid, l.OwnerStart, *procOk) == TOwner::Dead;
        break;
    }
    FLines.push_back(std::move(l));
  }
  if (FOversized)
    FBadLines.push_back("(everything after the first " + std::to_string(MaxFileSize) +
                        " bytes of the file, which are all that is read)");
}

bool TSerialDeviceMap::HasDeadEntries() const {
  return std::any_of(FLines.begin(), FLines.end(), [](const TLine& l) { return l.Dead; });
}

std::vector<std::pair<std::string, std::string>> TSerialDeviceMap::Entries() const {
  std::vector<std::pair<std::string, std::string>> out;
  std::unordered_map<std::string, size_t> index;  // lower-case name -> place in out
  for (const TLine& l : FLines) {
    if (l.Name.empty() || l.Dead) continue;
    auto [it, added] = index.try_emplace(LowerCase(l.Name), out.size());
    if (added) out.emplace_back(l.Name, l.Path);
    else out[it->second].second = l.Path;
  }
  return out;
}

std::optional<std::string> TSerialDeviceMap::Find(const std::string& Name) const {
  for (auto it = FLines.rbegin(); it != FLines.rend(); ++it)
    if (!it->Name.empty() && !it->Dead && SameName(it->Name, Name)) return it->Path;
  return std::nullopt;
}

void TSerialDeviceMap::Set(const std::string& Name, const std::string& DevicePath) {
  Put({"", Name, DevicePath});
}

void TSerialDeviceMap::SetOwned(const std::string& Name, const std::string& DevicePath) {
  TLine l{"", Name, DevicePath};
  char state = 0;
  // Without its start the entry could not be told from a later process with the
  // same pid, and would outlive this one: it is not written at all.
  if (!ProcWorks() || ReadProcStat("self", l.OwnerPid, state, l.OwnerStart) != 0 || l.OwnerStart == 0)
    throw EWriteError("Cannot register " + Name + " in the serial device map: the start of this process "
                      "cannot be read from " + ProcRoot() + "/self/stat, so the entry could outlive it");
  // A name another running registrant holds stays its own: taking it over would
  // leave that one believing it is registered.
  for (auto it = FLines.rbegin(); it != FLines.rend(); ++it) {
    if (it->Name.empty() || it->Dead || !SameName(it->Name, Name)) continue;
    if (it->OwnerPid > 0 && (it->OwnerPid != l.OwnerPid || it->OwnerStart != l.OwnerStart) &&
        OwnerState(it->OwnerPid, it->OwnerStart, true) == TOwner::Alive)
      throw EWriteError("Cannot register " + Name + " in the serial device map: process " +
                        std::to_string(it->OwnerPid) + " registered it for " + it->Path + " and is still running");
    break;
  }
  Put(std::move(l));
}

void TSerialDeviceMap::Put(TLine Entry) {
  const std::string& Name = Entry.Name;
  // The first entry of that name takes the new path in place, later ones go.
  auto first = std::find_if(FLines.begin(), FLines.end(),
                            [&](const TLine& l) { return !l.Name.empty() && SameName(l.Name, Name); });
  if (first == FLines.end()) {
    FLines.push_back(std::move(Entry));
    return;
  }
  if (first->Name != Name || first->Path != Entry.Path || first->OwnerPid != Entry.OwnerPid ||
      first->OwnerStart != Entry.OwnerStart || first->Dead)
    *first = Entry;
  FLines.erase(std::remove_if(first + 1, FLines.end(),
                              [&](const TLine& l) { return !l.Name.empty() && SameName(l.Name, Name); }),
               FLines.end());
}

bool TSerialDeviceMap::Remove(const std::string& Name) {
  size_t before = FLines.size();
  std::erase_if(FLines, [&](const TLine& l) { return !l.Name.empty() && SameName(l.Name, Name); });
  return FLines.size() != before;
}

void TSerialDeviceMap::Save() const {
  TMapLock lock(FFileName);
  _Write();
}

TSerialDeviceMap TSerialDeviceMap::Update(const std::function<bool(TSerialDeviceMap&)>& Change,
                                          const std::string& FileName) {
  std::string file = FileName.empty() ? Path() : FileName;
  TMapLock lock(file);
  return _UpdateLocked(Change, file);
}

bool TSerialDeviceMap::TryUpdate(const std::function<bool(TSerialDeviceMap&)>& Change,
                                 const std::string& FileName) {
  std::string file = FileName.empty() ? Path() : FileName;
  TMapLock lock(file, false);
  if (!lock.Held()) return false;
  _UpdateLocked(Change, file);
  return true;
}

TSerialDeviceMap TSerialDeviceMap::_UpdateLocked(const std::function<bool(TSerialDeviceMap&)>& Change,
                                                 const std::string& File) {
  TSerialDeviceMap map(File);  // read under the lock: another process may just have written
  // Entries whose registrant has gone are removed on the way.
  if (Change(map) || map.HasDeadEntries()) map._Write();
  std::erase_if(map.FLines, [](const TLine& l) { return l.Dead; });
  return map;
}

void TSerialDeviceMap::_Write() const {
  // Only part of an oversized file was read: writing it back would lose the rest.
  if (FOversized)
    throw EWriteError("Cannot write the serial device map " + FFileName + ": it is larger than " +
                      std::to_string(MaxFileSize) + " bytes, so only its start was read; shorten it first");
  std::string text;
  for (const TLine& l : FLines) {
    if (l.Dead) continue;
    if (!l.Text.empty() || l.Name.empty()) {
      text += l.Text + "\n";
      continue;
    }
    text += l.Name + "=" + l.Path;
    if (l.OwnerPid > 0)
      text += "  " + std::string(kOwnerMark) + "pid=" + std::to_string(l.OwnerPid) +
              " start=" + std::to_string(l.OwnerStart);
    text += "\n";
  }
  // Readable by the user only, like the folder.
  TSafeFileOptions options;
  options.FolderMode = 0700;
  options.NewFileMode = 0600;
  TSafeFile file(FFileName, options);
  if (!file.Write(text) || !file.Commit())
    throw EWriteError("Cannot write the serial device map " + FFileName + ": cannot replace the file: " +
                      file.ErrorText());
}

std::string ResolvePortDevice(const std::string& PortName) {
  if (!PortName.empty() && PortName[0] == '/') return PortName;
  TSerialDeviceMap map;
  if (auto p = map.Find(PortName)) return *p;
  if (map.HasDeadEntries()) {
    // An alias whose registrant has gone names a device someone else may have now:
    // it is dropped from the file (whoever gets there first; a failure changes
    // nothing). Never waited for: while another process holds the map, the next
    // resolve does it.
    try {
      TSerialDeviceMap::TryUpdate([](TSerialDeviceMap&) { return false; }, map.FileName());
    } catch (const Exception&) {
    }
  }
  return "/dev/" + PortName;
}
