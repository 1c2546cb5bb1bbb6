// The configuration tool's program entry: the application object, the main window
// and the two variable dialogs (created once, hidden, and reused), then the message
// loop until the main window closes.
#include "app/Unitmain.h"
#include "app/Unitmodify.h"
#include "app/Unitnew.h"
#include "platform/backend/qt/qt_backend.h"

#include <cstddef>

// The program's icon, an ICO file's bytes (generated at build time).
extern const unsigned char kProgramIcon[];
extern const std::size_t kProgramIconSize;

int main(int argc, char** argv) {
  // The name is the windows' class, which the desktop entry names (StartupWMClass).
  InstallQtBackend(argc, argv, "dtu-config");
  SetProgramIcon(kProgramIcon, kProgramIconSize);
  try {
    Application->Initialize();
    Application->CreateForm(FormMain);
    Application->CreateForm(FormNew);
    Application->CreateForm(FormModify);
    Application->Run();
  } catch (const Exception& E) {
    Application->ShowException(E);
  } catch (...) {
    Application->ShowException(Exception(""));
  }
  // Frees the forms, and with them the serial device, which closes its port.
  DoneApplication();
  return 0;
}
