#include "serial/portlist.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <unordered_map>
#include <vector>

#include <strings.h>
#include <sys/stat.h>

#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"
#include "platform/core/scope.h"
#include "platform/win32/devicemap.h"
#include "platform/win32/serialenum.h"

const TClassInfo& TNimboSerialPortInfo::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TNimboSerialPortInfo>("TNimboSerialPortInfo", &inherited::StaticClass())
          .Creatable()
          .Build();
  return info;
}

const TClassInfo& TNimboSerialPortList::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TNimboSerialPortList>("TNimboSerialPortList", &inherited::StaticClass())
          .Creatable()
          .Build();
  return info;
}

void TNimboSerialPortInfo::Assign(const TNimboSerialPortInfo& Other) {
  PortName = Other.PortName;
  ClassGuid = Other.ClassGuid;
  ClassDescription = Other.ClassDescription;
  InstanceId = Other.InstanceId;
  DeviceDesc = Other.DeviceDesc;
  FriendlyName = Other.FriendlyName;
  LocationInfo = Other.LocationInfo;
  DriverKey = Other.DriverKey;
  DevicePath = Other.DevicePath;
}

void TNimboSerialPortList::EnumPortsA() {
  FList.clear();
  _FromRegistry();
  _FromSetupAPI();
  std::stable_sort(FList.begin(), FList.end(), [](const auto& a, const auto& b) {
    return _SortCompare(*a, *b) < 0;
  });
}

// The device map: one record per entry whose device is present now (the map
// outlives the devices it names; the OS's own map lists only present ports), and
// is not where the system console writes (opening that is refused).
void TNimboSerialPortList::_FromRegistry() {
  const std::vector<dev_t> consoles = ActiveConsoleDevices().Numbers;
  for (const auto& [name, path] : TSerialDeviceMap().Entries()) {
    std::string device = CanonicalPath(path);
    if (device.empty()) continue;
    struct stat st{};
    if (stat(device.c_str(), &st) == 0 && S_ISCHR(st.st_mode) &&
        std::find(consoles.begin(), consoles.end(), st.st_rdev) != consoles.end())
      continue;
    auto info = std::make_unique<TNimboSerialPortInfo>();
    info->PortName = name;
    info->DevicePath = path;
    FList.push_back(std::move(info));
  }
}

// The devices in sysfs, described; a mapped device fills its map records.
void TNimboSerialPortList::_FromSetupAPI() {
  // The map's records by device node and by name, each looked up once: a map of
  // many entries must not cost entries x devices path resolutions.
  std::unordered_map<std::string, std::vector<TNimboSerialPortInfo*>> byNode;
  std::unordered_map<std::string, TNimboSerialPortInfo*> byName;
  for (const auto& rec : FList) {
    byNode[CanonicalPath(rec->DevicePath)].push_back(rec.get());
    byName.try_emplace(LowerCase(rec->PortName), rec.get());
  }
  for (const TSerialDeviceInfo& dev : EnumSerialDevices()) {
    std::string node = CanonicalPath(dev.DevicePath);
    std::vector<TNimboSerialPortInfo*> records;
    if (auto it = byNode.find(node); !node.empty() && it != byNode.end()) records = it->second;
    if (records.empty()) {
      TNimboSerialPortInfo*& rec = byName[LowerCase(dev.Name)];
      if (!rec) {
        FList.push_back(std::make_unique<TNimboSerialPortInfo>());
        rec = FList.back().get();
        rec->PortName = dev.Name;
        rec->DevicePath = dev.DevicePath;
      }
      records.push_back(rec);
    }
    for (TNimboSerialPortInfo* rec : records) {
      rec->ClassDescription = "tty";
      rec->InstanceId = dev.InstancePath;
      rec->DeviceDesc = dev.Description;
      rec->FriendlyName = dev.Description + " (" + rec->PortName + ")";
      rec->LocationInfo = dev.Location;
      rec->DriverKey = dev.Driver;
    }
  }
}

TNimboSerialPortInfo* TNimboSerialPortList::PortByName(const std::string& Name) const {
  for (const auto& rec : FList)
    if (strcasecmp(rec->PortName.c_str(), Name.c_str()) == 0) return rec.get();
  return nullptr;
}

TNimboSerialPortInfo* TNimboSerialPortList::_FGetSPInfo(int Index) const {
  if (Index < 0 || Index >= _FGetSPCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FList[static_cast<size_t>(Index)].get();
}

int TNimboSerialPortList::_SortCompare(const TNimboSerialPortInfo& A, const TNimboSerialPortInfo& B) {
  int na = TCommSerialPortInfo::PortNo(A.PortName), nb = TCommSerialPortInfo::PortNo(B.PortName);
  if (na >= 1 && nb >= 1) return na < nb ? -1 : na > nb ? 1 : 0;
  if (na != nb) return nb < na ? -1 : 1;  // the numbered one first
  return std::strcoll(A.PortName.c_str(), B.PortName.c_str());
}

TCommSerialPortInfo::TCommSerialPortInfo() : FList(new TNimboSerialPortList()) {
  TOnExit failed([&] { delete FList; });
  FList->EnumPortsA();
  failed.Dismiss();
}

TCommSerialPortInfo::~TCommSerialPortInfo() { delete FList; }

void TCommSerialPortInfo::Refresh() { FList->EnumPortsA(); }

int TCommSerialPortInfo::PortNo(const std::string& Name) {
  if (Name.size() < 3 || strncasecmp(Name.c_str(), "COM", 3) != 0) return 0;
  const char* rest = Name.c_str() + 3;
  char* end = nullptr;
  errno = 0;
  long n = std::strtol(rest, &end, 10);
  if (errno == ERANGE || *end != '\0' || n < 0 || n > INT_MAX) return 0;
  return static_cast<int>(n);
}

std::string TCommSerialPortInfo::PortName(int Number) {
  return Number > 0 ? "COM" + std::to_string(Number) : std::string();
}
