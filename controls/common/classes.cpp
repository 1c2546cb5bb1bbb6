// The foundation's class registration.
#include "controls/common/classes.h"

#include "controls/common/customcolors.h"
#include "controls/common/dialogs.h"
#include "controls/common/framecontroller.h"
#include "controls/common/menucontroller.h"
#include "controls/common/storage.h"

void RegisterCommonClasses() {
  RegisterClasses({ClassEntry<TQvRegIniFile>(), ClassEntry<TQvCustomColors>(),
                   ClassEntry<TQvDialogComponent>(), ClassEntry<TQvFrameController>()});
  RegisterClasses({ClassEntry<TQvMenuController>()});
}
