// The configuration tool's program entry: the application object, the main window
// and the two variable dialogs (created once, hidden, and reused), then the message
// loop until the main window closes.
#include "app/Unitmain.h"
#include "app/Unitmodify.h"
#include "app/Unitnew.h"
#include "platform/backend/qt/qt_backend.h"

int main() {
  InstallQtBackend();
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
