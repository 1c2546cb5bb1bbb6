// Port names and numbers, the sort order, and enumeration over a fake sysfs tree
// merged with the device map.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "platform/core/exceptions.h"
#include "platform/win32/devicemap.h"
#include "platform/win32/serialenum.h"
#include "serial/portlist.h"
#include "tests/platform/win32/pty.h"

namespace {

TEST(PortNames, NumbersFromNamesAndBack) {
  struct Case {
    const char* Name;
    int No;
  } cases[] = {
      {"COM7", 7},   {"com7", 7},   {"cOm12", 12},  {"COM0", 0},         {"COM", 0},
      {"COM7x", 0},  {"COM-1", 0},  {"LPT1", 0},    {"", 0},             {"CO", 0},
      {"COM2147483647", 2147483647}, {"COM2147483648", 0}, {"COM99999999999999999999", 0},
      {"ttyUSB0", 0}, {"/dev/ttyS0", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(TCommSerialPortInfo::PortNo(c.Name), c.No) << c.Name;
  EXPECT_EQ(TCommSerialPortInfo::PortName(3), "COM3");
  EXPECT_EQ(TCommSerialPortInfo::PortName(0), "");
  EXPECT_EQ(TCommSerialPortInfo::PortName(-4), "");
}

TEST(PortNames, SortPutsNumberedPortsFirstByNumber) {
  std::vector<std::string> names = {"ttyUSB0", "COM10", "COM2", "ttyACM0", "COM1x", "COM2", "COM3"};
  std::vector<TNimboSerialPortInfo> infos(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    infos[i].PortName = names[i];
    infos[i].InstanceId = std::to_string(i);
  }
  std::vector<const TNimboSerialPortInfo*> order;
  for (auto& i : infos) order.push_back(&i);
  std::stable_sort(order.begin(), order.end(), [](auto* a, auto* b) {
    return TNimboSerialPortList::_SortCompare(*a, *b) < 0;
  });
  std::vector<std::string> got;
  for (auto* i : order) got.push_back(i->PortName + "#" + i->InstanceId);
  EXPECT_EQ(got, (std::vector<std::string>{"COM2#2", "COM2#5", "COM3#6", "COM10#1", "COM1x#4",
                                           "ttyACM0#3", "ttyUSB0#0"}));
}

class Enumeration : public ::testing::Test {
protected:
  std::string Data = DTU_TEST_DATA_DIR;
  std::string MapFile = "/tmp/dtu-serial-ports-" + std::to_string(getpid()) + ".ini";
  void SetUp() override {
    SetSerialEnumRoots({Data + "/sysfs", Data + "/dev"});
    TSerialDeviceMap::SetPathOverride(MapFile);
  }
  void TearDown() override {
    SetSerialEnumRoots({});
    TSerialDeviceMap::SetPathOverride("");
    unlink(MapFile.c_str());
  }
  void WriteMap(const std::string& Text) { std::ofstream(MapFile) << Text; }
  static std::vector<std::string> Names(const TNimboSerialPortList& L) {
    std::vector<std::string> n;
    for (int i = 0; i < L._FGetSPCount(); ++i) n.push_back(L._FGetPortName(i));
    return n;
  }
};

TEST_F(Enumeration, SysfsDevicesWithDescriptionsDriversAndLocations) {
  auto devs = EnumSerialDevices();
  ASSERT_EQ(devs.size(), 4u);  // tty0 has no device, ttyS1 is an empty UART slot
  struct Want {
    const char* Name;
    const char* Desc;
    const char* Driver;
    const char* Location;
  } want[] = {
      {"ttyACM0", "Serial port", "cdc_acm", ""},  // USB device without a product string
      {"ttyS0", "Serial port", "serial8250", ""},
      {"ttyUSB0", "FT232R USB UART", "ftdi_sio", "pci-0000:00:14.0-usb-0:2:1.0-port0"},
      {"ttyUSB10", "USB-Serial Controller", "ftdi_sio", ""},
  };
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(devs[i].Name, want[i].Name);
    EXPECT_EQ(devs[i].Description, want[i].Desc) << want[i].Name;
    EXPECT_EQ(devs[i].Driver, want[i].Driver) << want[i].Name;
    EXPECT_EQ(devs[i].Location, want[i].Location) << want[i].Name;
    EXPECT_EQ(devs[i].DevicePath, Data + "/dev/" + want[i].Name);
  }
  EXPECT_EQ(devs[2].InstancePath, "devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB0");
}

TEST_F(Enumeration, MappedDevicesShowUnderTheirComNamesSorted) {
  WriteMap("COM10=" + Data + "/dev/ttyACM0\n"
           "com3=" + Data + "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0\n"
           "COM7=" + Data + "/dev/ttyS0\n"
           "COM8=/dev/does-not-exist\n");  // stale: the device is gone, not listed
  TCommSerialPortInfo info;
  TNimboSerialPortList& l = info.List();
  EXPECT_EQ(Names(l), (std::vector<std::string>{"com3", "COM7", "COM10", "ttyUSB10"}));
  TNimboSerialPortInfo* com3 = l.PortByName("COM3");  // any case
  ASSERT_NE(com3, nullptr);
  EXPECT_EQ(com3->FriendlyName, "FT232R USB UART (com3)");
  EXPECT_EQ(com3->DeviceDesc, "FT232R USB UART");
  EXPECT_EQ(com3->DriverKey, "ftdi_sio");
  EXPECT_EQ(com3->LocationInfo, "pci-0000:00:14.0-usb-0:2:1.0-port0");
  EXPECT_EQ(l.PortByName("ttyUSB0"), nullptr);  // listed once, under its COM name
  EXPECT_EQ(l.PortByName("COM10")->FriendlyName, "Serial port (COM10)");
  EXPECT_EQ(l.PortByName("ttyUSB10")->FriendlyName, "USB-Serial Controller (ttyUSB10)");
  EXPECT_EQ(l.PortByName("COM8"), nullptr);
  EXPECT_THROW(l._FGetSPInfo(4), EListError);
  EXPECT_THROW(l._FGetSPInfo(-1), EListError);

  // A mapped device that sysfs does not know (a pseudo-terminal) has a name only.
  WriteMap("COM20=" + Data + "/dev/ttyS1\n");
  info.Refresh();
  EXPECT_EQ(Names(l), (std::vector<std::string>{"COM20", "ttyACM0", "ttyS0", "ttyUSB0", "ttyUSB10"}));
  EXPECT_EQ(l.PortByName("COM20")->FriendlyName, "");

  TNimboSerialPortInfo copy(*l.PortByName("ttyUSB0"));
  EXPECT_EQ(copy.FriendlyName, "FT232R USB UART (ttyUSB0)");
  EXPECT_EQ(copy.LocationInfo, "pci-0000:00:14.0-usb-0:2:1.0-port0");
}

// The devices the system console writes to are not offered, whether sysfs lists
// them or the map names them; the other ports are.
TEST(ConsoleDevices, AreNotListed) {
  namespace fs = std::filesystem;
  const fs::path sys = "/tmp/dtu-console-sys-" + std::to_string(getpid());
  const std::string map = sys.string() + ".ini";
  TPtyPair console, other;
  struct stat st {};
  ASSERT_EQ(stat(console.SlavePath.c_str(), &st), 0);
  for (const char* tty : {"ttyS7", "ttyUSB3"}) {
    fs::create_directories(sys / "devices" / tty);
    fs::create_directories(sys / "class/tty" / tty);
    fs::create_symlink(sys / "devices" / tty, sys / "class/tty" / tty / "device");
  }
  fs::create_directories(sys / "class/tty/console");
  fs::create_directories(sys / "class/tty/hvc9");
  std::ofstream(sys / "class/tty/console/active") << "ttyS7 hvc9\n";
  std::ofstream(sys / "class/tty/hvc9/dev") << major(st.st_rdev) << ":" << minor(st.st_rdev) << "\n";
  std::ofstream(map) << "COM5=" << console.SlavePath << "\nCOM6=" << other.SlavePath << "\n";
  SetSerialEnumRoots({sys.string(), "/dev"});
  TSerialDeviceMap::SetPathOverride(map);
  std::vector<std::string> names;
  for (const TSerialDeviceInfo& d : EnumSerialDevices()) names.push_back(d.Name);
  EXPECT_EQ(names, std::vector<std::string>{"ttyUSB3"});
  TCommSerialPortInfo info;
  names.clear();
  for (int i = 0; i < info.List()._FGetSPCount(); ++i) names.push_back(info.List()._FGetPortName(i));
  EXPECT_EQ(names, (std::vector<std::string>{"COM6", "ttyUSB3"}));
  SetSerialEnumRoots({});
  TSerialDeviceMap::SetPathOverride("");
  fs::remove_all(sys);
  fs::remove(map);
}

}  // namespace
