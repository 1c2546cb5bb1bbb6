#pragma once
// The serial ports present on the machine, each with a description, and the
// conversions between port names and COM numbers. Two sources are merged: the
// serial device map (port names only, devicemap.h) and the devices found in sysfs
// (with descriptions); a device that has a map entry is listed under its COM name.
#include <memory>
#include <string>
#include <vector>

#include "platform/core/object.h"

class TNimboSerialPortInfo : public TObject {
  DTU_CLASS(TNimboSerialPortInfo, TObject)
public:
  TNimboSerialPortInfo() = default;
  TNimboSerialPortInfo(const TNimboSerialPortInfo& Other) : TObject() { Assign(Other); }
  void Assign(const TNimboSerialPortInfo& Other);

  std::string PortName;          // "COM3", or the device name ("ttyUSB0") when unmapped
  std::string ClassGuid;         // not known on Linux: empty
  std::string ClassDescription;  // the device class ("tty")
  std::string InstanceId;        // the device's sysfs path
  std::string DeviceDesc;        // the USB product string, or "Serial port"
  std::string FriendlyName;      // "DeviceDesc (PortName)"
  std::string LocationInfo;      // the name of its /dev/serial/by-path link
  std::string DriverKey;         // the kernel driver ("ftdi_sio")
  std::string DevicePath;        // the device node the port opens ("/dev/ttyUSB0")
};

class TNimboSerialPortList : public TObject {
  DTU_CLASS(TNimboSerialPortList, TObject)
public:
  TNimboSerialPortList() = default;
  // Clears the list, reads the device map, then the devices, then sorts.
  virtual void EnumPortsA();
  // The first port whose name equals Name ignoring case, or nullptr.
  TNimboSerialPortInfo* PortByName(const std::string& Name) const;
  int _FGetSPCount() const { return static_cast<int>(FList.size()); }
  // Raises EListError for an index out of range.
  TNimboSerialPortInfo* _FGetSPInfo(int Index) const;
  const std::string& _FGetPortName(int Index) const { return _FGetSPInfo(Index)->PortName; }
  // The sort order: numbered COM ports first by number, then other names in the
  // locale's collation order (< 0, 0, > 0).
  static int _SortCompare(const TNimboSerialPortInfo& A, const TNimboSerialPortInfo& B);

private:
  void _FromRegistry();
  void _FromSetupAPI();
  std::vector<std::unique_ptr<TNimboSerialPortInfo>> FList;
};

class TCommSerialPortInfo {
public:
  // Enumerates at once.
  TCommSerialPortInfo();
  virtual ~TCommSerialPortInfo();
  void Refresh();
  TNimboSerialPortList& List() const { return *FList; }

  // The COM number of a name: "COM" in any case followed by a decimal number that
  // fills the rest of the name and fits 32 bits; 0 for anything else.
  static int PortNo(const std::string& Name);
  // "COM<n>" for n > 0, otherwise "".
  static std::string PortName(int Number);

private:
  TNimboSerialPortList* FList;
};
