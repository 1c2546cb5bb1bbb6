// serial-settings: opens the serial device settings dialog for a port, as a
// program's SettingsDialog call shows it, and prints the settings chosen with OK.
//
//   serial-settings [PORT | PORTPARAMS] [--designing] [--about] [--png FILE]
//
// PORT names the port the dialog starts from (COM7, ttyUSB0, /dev/ttyS0); a text
// with commas is taken as the device's PortParams ("COM7,9600,E,7,1"). The dialog's
// language follows the locale (zh_CN, zh_TW, else English). --designing shows the
// About and Default buttons, which only a device being designed has; --about opens
// the About box instead. --png FILE renders the window offscreen into FILE.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend/qt/qt_backend.h"
#include "platform/controls/forms.h"
#include "serial/forms/kxcommdeviceabout.h"
#include "serial/forms/kxcommdevicesettings.h"
#include "serial/kxcommdevice.h"

namespace {

int Usage(FILE* Out, int Rc) {
  std::fprintf(Out,
               "usage: serial-settings [PORT | PORTPARAMS] [--designing] [--about] [--png FILE]\n"
               "Opens the serial device settings dialog for PORT (a COM name from the serial\n"
               "device map, a device name or a path; PORTPARAMS such as COM7,9600,E,7,1).\n"
               "OK prints the settings and exits 0; Cancel exits 1.\n"
               "  --designing  show the About and Default buttons\n"
               "  --about      open the About box instead\n"
               "  --png FILE   render the window offscreen into FILE and exit\n"
               "  -h, --help   this text\n"
               "  --version    the program's version\n");
  return Rc;
}

void Render(TCustomForm* Form, const std::string& File) {
  Form->Show();
  Application->ProcessMessages();
  SaveWindowImage(Form, File);
  std::printf("%s\n", File.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  // Offscreen rendering needs no display, and the help no Qt at all: decided before
  // Qt starts.
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") return Usage(stdout, 0);
    if (a == "--version") {
      std::printf("serial-settings %s\n", DTU_VERSION);
      return 0;
    }
    if (a == "--png") setenv("QT_QPA_PLATFORM", "offscreen", 0);
  }
  // Qt takes its own options (-platform, -display ...) out of the arguments.
  InstallQtBackend(argc, argv, "serial-settings");
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string port, png;
  bool designing = false, about = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") return Usage(stdout, 0);
    if (args[i] == "--png" && i + 1 < args.size()) png = args[++i];
    else if (args[i] == "--designing") designing = true;
    else if (args[i] == "--about") about = true;
    else if (!args[i].empty() && args[i][0] != '-' && port.empty()) port = args[i];
    else return Usage(stderr, 2);
  }
  RegisterSerialForms();
  int rc = 0;
  try {
    Application->Initialize();
    std::unique_ptr<TKxCommDevice> device(new TKxCommDevice(nullptr));
    if (port.find(',') != std::string::npos) device->SetPortParams(port);
    else if (!port.empty()) device->SetPortName(port);
    device->SetDesigning(designing);
    if (about) {
      std::unique_ptr<TForm_KXComm64_About> box(new TForm_KXComm64_About(nullptr, device->ClassName()));
      if (!png.empty()) Render(box.get(), png);
      else box->ShowModal();
    } else if (!png.empty()) {
      std::unique_ptr<TForm_KxCommDevice_Settings> dialog(
          new TForm_KxCommDevice_Settings(nullptr, device.get(), false));
      Render(dialog.get(), png);
    } else if (device->SettingsDialog(nullptr, false)) {
      std::printf("PortParams=%s\nFlowControl=%d\nAutoAnswer=%d\nInBufSize=%d\nOutBufSize=%d\n",
                  device->PortParams().c_str(), static_cast<int>(device->FlowControl()), device->AutoAnswer(),
                  device->InBufSize(), device->OutBufSize());
    } else {
      rc = 1;
    }
  } catch (const Exception& E) {
    std::fprintf(stderr, "serial-settings: %s\n", E.Message().c_str());
    rc = 2;
  }
  DoneApplication();
  return rc;
}
