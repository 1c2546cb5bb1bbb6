#include "platform/win32/serialenum.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {
std::mutex GRootsLock;
TSerialEnumRoots GRoots;

std::vector<std::string> ListDir(const std::string& Dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(Dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool Exists(const std::string& Path) {
  struct stat st{};
  return stat(Path.c_str(), &st) == 0;
}

// The first line of a small sysfs attribute, without surrounding blanks.
std::string ReadAttr(const std::string& Path) {
  std::ifstream in(Path);
  std::string line;
  if (!std::getline(in, line)) return "";
  size_t b = line.find_first_not_of(" \t\r\n");
  size_t e = line.find_last_not_of(" \t\r\n");
  return b == std::string::npos ? "" : line.substr(b, e - b + 1);
}

std::string BaseName(const std::string& Path) {
  size_t slash = Path.find_last_of('/');
  return slash == std::string::npos ? Path : Path.substr(slash + 1);
}
}  // namespace

std::string CanonicalPath(const std::string& Path) {
  char buf[PATH_MAX];
  return realpath(Path.c_str(), buf) ? std::string(buf) : std::string();
}

TSerialEnumRoots SerialEnumRoots() {
  std::lock_guard<std::mutex> g(GRootsLock);
  return GRoots;
}

void SetSerialEnumRoots(const TSerialEnumRoots& Roots) {
  std::lock_guard<std::mutex> g(GRootsLock);
  GRoots = Roots;
}

TConsoleDevices ActiveConsoleDevices() { return ActiveConsoleDevices(SerialEnumRoots()); }

TConsoleDevices ActiveConsoleDevices(const TSerialEnumRoots& Roots) {
  TConsoleDevices out;
  std::ifstream in(Roots.Sys + "/class/tty/console/active");
  for (std::string name; in >> name;) {
    if (name.find('/') != std::string::npos || name == "." || name == "..") continue;
    out.Names.push_back(name);
    unsigned maj = 0, min = 0;
    char colon = 0;
    struct stat st{};
    std::istringstream dev(ReadAttr(Roots.Sys + "/class/tty/" + name + "/dev"));
    if (dev >> maj >> colon >> min && colon == ':') out.Numbers.push_back(makedev(maj, min));
    else if (stat((Roots.Dev + "/" + name).c_str(), &st) == 0 && S_ISCHR(st.st_mode)) out.Numbers.push_back(st.st_rdev);
  }
  return out;
}

std::vector<TSerialDeviceInfo> EnumSerialDevices() { return EnumSerialDevices(SerialEnumRoots()); }

std::vector<TSerialDeviceInfo> EnumSerialDevices(const TSerialEnumRoots& Roots) {
  std::vector<TSerialDeviceInfo> out;
  std::string sysReal = CanonicalPath(Roots.Sys);
  if (sysReal.empty()) return out;
  std::string classDir = Roots.Sys + "/class/tty";

  // by-path links, resolved once: target -> link name.
  std::vector<std::pair<std::string, std::string>> byPath;
  std::string byPathDir = Roots.Dev + "/serial/by-path";
  for (const std::string& link : ListDir(byPathDir)) {
    std::string target = CanonicalPath(byPathDir + "/" + link);
    if (!target.empty()) byPath.emplace_back(target, link);
  }

  // The console's devices are no ports to offer: the kernel writes its messages
  // there, and opening them is refused.
  const std::vector<std::string> consoles = ActiveConsoleDevices(Roots).Names;
  for (const std::string& name : ListDir(classDir)) {
    if (std::find(consoles.begin(), consoles.end(), name) != consoles.end()) continue;
    std::string entry = classDir + "/" + name;
    std::string device = CanonicalPath(entry + "/device");
    if (device.empty()) continue;  // virtual terminals, pseudo-terminals
    // A legacy UART slot with no chip behind it reports type 0.
    if (Exists(entry + "/type") && ReadAttr(entry + "/type") == "0") continue;

    TSerialDeviceInfo info;
    info.Name = name;
    info.DevicePath = Roots.Dev + "/" + name;
    info.Driver = BaseName(CanonicalPath(device + "/driver"));
    if (device.compare(0, sysReal.size() + 1, sysReal + "/") == 0)
      info.InstancePath = device.substr(sysReal.size() + 1);

    // The USB device is the nearest folder above with an idVendor attribute.
    info.Description = "Serial port";
    for (std::string dir = device; dir.size() > sysReal.size(); dir = dir.substr(0, dir.find_last_of('/'))) {
      if (Exists(dir + "/idVendor")) {
        std::string product = ReadAttr(dir + "/product");
        if (!product.empty()) info.Description = product;
        break;
      }
    }

    std::string node = CanonicalPath(info.DevicePath);
    for (const auto& [target, link] : byPath)
      if (!node.empty() && target == node) {
        info.Location = link;
        break;
      }
    out.push_back(std::move(info));
  }
  return out;
}
