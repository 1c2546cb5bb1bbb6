#pragma once
// The serial device map: the per-user list of port names (COM1, COM7 ...) and the
// devices behind them, standing in for the OS's serial device map. Users and the
// terminal simulator register ports here.
//
// File: $XDG_CONFIG_HOME/dtu-config/serial-ports.ini, or
// ~/.config/dtu-config/serial-ports.ini when XDG_CONFIG_HOME is unset, empty or not
// an absolute path; the home folder is $HOME, or the user's entry in the password
// database when HOME is unset or empty.
// One entry a line, NAME=DEVICE-PATH:
//   # the terminal simulator
//   COM7=/dev/pts/5   # a trailing comment
//   COM3=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0
// Names compare without regard to case; blank lines and lines starting with # or ;
// are comments, and so is the rest of an entry from a # or ; that follows a blank.
// A later entry for the same name wins. Lines that are not entries, and entries
// left unchanged, are kept as they are when the file is written back.
//
// An entry may name the process that registered it, as a trailing comment the
// program writes (the terminal simulator registers its pseudo-terminal so):
//   COM7=/dev/pts/5  # owner pid=4242 start=1234567
// (start: the process's start in clock ticks after boot, from /proc). Such an entry
// lives only as long as that process: once it has ended (killed too, so that it could
// not remove the entry itself) the entry is ignored, since the device it names may
// belong to someone else by then, and removed at the next change of the map.
// An owner counts as ended only when /proc can tell: /proc/self/stat is readable and
// is this process (so /proc is mounted and belongs to this pid namespace), and the
// owner's /proc/PID/stat is missing, is a zombie or shows another start. When /proc
// cannot tell (not mounted, hidden, another pid namespace) the entry is kept. An
// owned entry with start=0 proves nothing and counts as ended once /proc works; none
// is ever written: SetOwned refuses when this process's start cannot be read. A
// comment that starts like an owner's ("#", blanks, "owner", blanks, "pid=") but is
// not exactly "# owner pid=N start=M" (N > 0, digits only, nothing after) makes
// the entry count as ended too: it was meant to end, and cannot be tied to anyone.
//
// The file is read up to MaxFileSize bytes (see below), so a huge file costs no
// more than that to any resolve.
//
// Several processes may change the map at once (each terminal simulator registers
// its port): Update locks the file (flock on serial-ports.ini.lock beside it),
// reads it again under the lock, changes it and writes it back before unlocking.
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TSerialDeviceMap {
public:
  // The file the map lives in (see above).
  static std::string DefaultPath();
  // Tests point every later TSerialDeviceMap (and port open) at another file; an
  // empty path restores the default.
  static void SetPathOverride(const std::string& Path);
  static std::string Path();
  // Tests make the owners' liveness read from another folder than /proc; empty
  // restores /proc.
  static void SetProcRootOverride(const std::string& Root);

  // Reads the map from FileName (the current map file when empty). A missing file
  // is an empty map.
  explicit TSerialDeviceMap(const std::string& FileName = "");

  const std::string& FileName() const { return FFileName; }
  // Entries in file order, the later of two same-named entries only.
  std::vector<std::pair<std::string, std::string>> Entries() const;
  std::optional<std::string> Find(const std::string& Name) const;
  // Adds or replaces an entry (kept in place when it exists).
  void Set(const std::string& Name, const std::string& DevicePath);
  // The same for an entry that lasts only while this process runs (see above).
  // Throws EWriteError, leaving the map unchanged, when this process's start cannot
  // be read from /proc (the entry could then outlive it) or when the name is held
  // by another registrant that still runs (the message names it).
  void SetOwned(const std::string& Name, const std::string& DevicePath);
  // Whether entries of registrants that have ended were read (ignored by Find and
  // Entries; Save and Update leave them out of the file).
  bool HasDeadEntries() const;
  bool Remove(const std::string& Name);
  // Writes the file atomically (a temporary file renamed over it, the folder
  // synced), creating its folder, under the map's lock. Throws EWriteError with the
  // reason when that fails. It writes what this object holds: to change the map
  // without losing another process's change, use Update.
  void Save() const;
  // Locks the map file, reads it afresh, lets Change edit it and, when Change
  // returns true, writes it back; then unlocks. Returns the map as left. Throws
  // EWriteError when the lock or the write fails. The file is also written when it
  // held entries of ended registrants, to remove them.
  static TSerialDeviceMap Update(const std::function<bool(TSerialDeviceMap&)>& Change,
                                 const std::string& FileName = "");
  // The same without waiting: false, and nothing done, while another process holds
  // the map's lock.
  static bool TryUpdate(const std::function<bool(TSerialDeviceMap&)>& Change, const std::string& FileName = "");

  // Only the first MaxFileSize bytes of the file are read; the rest counts as one
  // bad line, and such a map is not written back (Save and Update raise), since
  // that would lose what was not read.
  static constexpr size_t MaxFileSize = 1 << 20;

  // Lines that could not be read as entries (reported by the tools, kept on save).
  const std::vector<std::string>& BadLines() const { return FBadLines; }

private:
  struct TLine {
    std::string Text;  // the line as read; empty for an entry changed since
    std::string Name;  // empty for a comment or a bad line
    std::string Path;
    long OwnerPid = 0;  // the registrant, 0 for a lasting entry
    unsigned long long OwnerStart = 0;
    bool Dead = false;  // its registrant has ended
  };
  void Put(TLine Entry);
  void _Write() const;
  static TSerialDeviceMap _UpdateLocked(const std::function<bool(TSerialDeviceMap&)>& Change,
                                        const std::string& File);
  std::string FFileName;
  std::vector<TLine> FLines;
  std::vector<std::string> FBadLines;
  bool FOversized = false;  // the file is longer than MaxFileSize
};

// The device path for a port name: a COMn or other mapped name from the map; an
// absolute path as it is; any other name under /dev. An unmapped COMn name gives
// its /dev path too (which does not exist, so opening it fails).
std::string ResolvePortDevice(const std::string& PortName);
