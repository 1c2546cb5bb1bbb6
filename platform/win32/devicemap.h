#pragma once
// The serial device map: the per-user list of port names (COM1, COM7 ...) and the
// devices behind them, standing in for the OS's serial device map. Users and the
// terminal simulator register ports here.
//
// File: $XDG_CONFIG_HOME/dtu-config/serial-ports.ini, or
// ~/.config/dtu-config/serial-ports.ini when XDG_CONFIG_HOME is unset or empty.
// One entry a line, NAME=DEVICE-PATH:
//   # the terminal simulator
//   COM7=/dev/pts/5
//   COM3=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0
// Names compare without regard to case; blank lines and lines starting with # or ;
// are comments. A later entry for the same name wins. Lines that are not entries
// are kept as they are when the file is written back.
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

  // Reads the map from FileName (the current map file when empty). A missing file
  // is an empty map.
  explicit TSerialDeviceMap(const std::string& FileName = "");

  const std::string& FileName() const { return FFileName; }
  // Entries in file order, the later of two same-named entries only.
  std::vector<std::pair<std::string, std::string>> Entries() const;
  std::optional<std::string> Find(const std::string& Name) const;
  // Adds or replaces an entry (kept in place when it exists).
  void Set(const std::string& Name, const std::string& DevicePath);
  bool Remove(const std::string& Name);
  // Writes the file atomically (a temporary file renamed over it), creating its
  // folder. Throws EWriteError with the reason when that fails.
  void Save() const;

  // Lines that could not be read as entries (reported by the tools, kept on save).
  const std::vector<std::string>& BadLines() const { return FBadLines; }

private:
  struct TLine {
    std::string Text;  // the line as read (comments, bad lines), or empty for an entry
    std::string Name;
    std::string Path;
  };
  std::string FFileName;
  std::vector<TLine> FLines;
  std::vector<std::string> FBadLines;
};

// The device path for a port name: a COMn or other mapped name from the map; an
// absolute path as it is; any other name under /dev. An unmapped COMn name gives
// its /dev path too (which does not exist, so opening it fails).
std::string ResolvePortDevice(const std::string& PortName);
