// The configuration tool's program entry: the application object and the main
// window, the two variable dialogs (created once, hidden, and reused) made once the
// main window has first been painted, then the loop until the main window closes.
#include "app/Unitmain.h"
#include "platform/backend/qt/qt_backend.h"
#include "platform/win32/messages.h"

#include <cstddef>
#include <cstdio>
#include <string>

// The program's icon, an ICO file's bytes (generated at build time).
extern const unsigned char kProgramIcon[];
extern const std::size_t kProgramIconSize;

namespace {

const char kUsage[] =
    "Usage: dtu-config [QT OPTION]...\n"
    "Keeps the PLC variables of a 4G data terminal in .cloud project files, exports\n"
    "them as a workbook and configures the terminal over a serial port. Opens a\n"
    "window, so it needs a display (X11 or Wayland; on none: xvfb-run -a dtu-config).\n"
    "\n"
    "  -h, --help     this text\n"
    "      --version  the program's version\n"
    "\n"
    "Qt's own options are taken too, for example -display :1 or -platform offscreen.\n"
    "Ports named COMn are looked up in the serial device map\n"
    "$XDG_CONFIG_HOME/dtu-config/serial-ports.ini (one NAME=DEVICE line each).\n";

// The answers that need no window; -1 when the window is to open.
int AnswerOnTerminal(int Argc, char** Argv) {
  for (int i = 1; i < Argc; ++i) {
    const std::string a = Argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (a == "--version") {
      std::printf("dtu-config %s\n", DTU_VERSION);
      return 0;
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (int rc = AnswerOnTerminal(argc, argv); rc >= 0) return rc;
  // The name is the windows' class, which the desktop entry names (StartupWMClass).
  InstallQtBackend(argc, argv, "dtu-config");
  // Qt has taken its own options; the program has none that open the window.
  if (argc > 1) {
    std::fprintf(stderr, "dtu-config: unknown argument '%s'\nTry 'dtu-config --help'.\n", argv[1]);
    return 2;
  }
  SetProgramIcon(kProgramIcon, kProgramIconSize);
  // The dialogs are made once the main window has been painted for the first time,
  // so that neither its showing nor its first picture waits for them. A command that
  // needs them before then makes them itself (CreateVarDialogs makes only what is
  // missing).
  HWND deferred = AllocateHWnd([](TMessage&) {
    if (FormMain) FormMain->OnPaint = nullptr;
    try {
      CreateVarDialogs();
    } catch (...) {
      Application->HandleException(Application);
    }
  });
  try {
    Application->Initialize();
    Application->CreateForm(FormMain);
    FormMain->OnPaint = [deferred, posted = false](TObject*) mutable {
      if (!posted) PostMessage(deferred, WM_USER, 0, 0);
      posted = true;
    };
    Application->Run();
  } catch (const Exception& E) {
    Application->ShowException(E);
  } catch (...) {
    Application->ShowException(Exception(""));
  }
  DeallocateHWnd(deferred);
  // Frees the forms, and with them the serial device, which closes its port.
  DoneApplication();
  return 0;
}
