#pragma once
// The serial devices present on the machine, read from sysfs: every
// class/tty/<name> that has a device link, except the placeholder ports of the
// legacy UART driver (type 0) and the devices the kernel's console writes to
// (class/tty/console/active). Tests point it at a fake tree.
#include <string>
#include <vector>

#include <sys/types.h>

struct TSerialDeviceInfo {
  std::string Name;          // "ttyUSB0"
  std::string DevicePath;    // "/dev/ttyUSB0"
  std::string Description;   // the USB product string, or "Serial port"
  std::string InstancePath;  // the device's sysfs path below the root ("devices/pci0000:00/...")
  std::string Driver;        // "ftdi_sio", "serial8250", "cdc_acm" (empty when unknown)
  std::string Location;      // its name under /dev/serial/by-path (empty when none)
};

struct TSerialEnumRoots {
  std::string Sys = "/sys";
  std::string Dev = "/dev";
};

// The roots enumeration reads (tests replace them).
TSerialEnumRoots SerialEnumRoots();
void SetSerialEnumRoots(const TSerialEnumRoots& Roots);

// The devices, sorted by name. Unreadable parts of the tree leave fields empty or
// devices out; nothing is raised.
std::vector<TSerialDeviceInfo> EnumSerialDevices();
std::vector<TSerialDeviceInfo> EnumSerialDevices(const TSerialEnumRoots& Roots);

// The devices the kernel's console writes to: the names class/tty/console/active
// lists ("tty0 ttyS0"), and their device numbers (each one's dev attribute, else
// the node of that name under the dev root). Empty when sysfs does not tell.
struct TConsoleDevices {
  std::vector<std::string> Names;
  std::vector<dev_t> Numbers;
};
TConsoleDevices ActiveConsoleDevices();
TConsoleDevices ActiveConsoleDevices(const TSerialEnumRoots& Roots);

// The canonical path of a file (symbolic links resolved), or "" when it does not exist.
std::string CanonicalPath(const std::string& Path);
