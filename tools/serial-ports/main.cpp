// serial-ports: prints the serial ports the configuration tool can open, sorted
// as its port list shows them (numbered COM ports first), with their friendly
// names and devices. COM names come from the serial device map.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/devicemap.h"
#include "serial/portlist.h"

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("serial-ports %s\n", DTU_VERSION);
    return 0;
  }
  if (argc > 1) {
    bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
    std::fprintf(help ? stdout : stderr,
                 "Usage: serial-ports [--help | --version]\n"
                 "Lists the serial ports: name, device, friendly name.\n"
                 "COM names are read from the serial device map %s\n"
                 "(one NAME=DEVICE line each, for example COM7=/dev/pts/5).\n",
                 TSerialDeviceMap::Path().c_str());
    return help ? 0 : 2;
  }
  TSerialDeviceMap map;
  for (const std::string& line : map.BadLines())
    std::fprintf(stderr, "serial-ports: %s: ignored a line that is not NAME=DEVICE: %s\n",
                 map.FileName().c_str(), line.c_str());

  TCommSerialPortInfo ports;
  TNimboSerialPortList& list = ports.List();
  std::printf("# device map: %s\n", map.FileName().c_str());
  if (list._FGetSPCount() == 0) {
    std::printf("# no serial ports found\n");
    return 0;
  }
  for (int i = 0; i < list._FGetSPCount(); ++i) {
    const TNimboSerialPortInfo* p = list._FGetSPInfo(i);
    std::printf("%-10s %-24s %s\n", p->PortName.c_str(), p->DevicePath.c_str(),
                p->FriendlyName.empty() ? "(device map entry)" : p->FriendlyName.c_str());
  }
  return 0;
}
