// The configuration tool's program entry: the application object and the main
// window, the two variable dialogs (created once, hidden, and reused) made once the
// main window has first been painted, then the loop until the main window closes.
#include "app/Unitmain.h"
#include "platform/backend/qt/qt_backend.h"
#include "platform/win32/messages.h"

#include <cstddef>

// The program's icon, an ICO file's bytes (generated at build time).
extern const unsigned char kProgramIcon[];
extern const std::size_t kProgramIconSize;

int main(int argc, char** argv) {
  // The name is the windows' class, which the desktop entry names (StartupWMClass).
  InstallQtBackend(argc, argv, "dtu-config");
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
