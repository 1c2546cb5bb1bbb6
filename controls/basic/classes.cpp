// The basic controls' class registration.
#include "controls/basic/classes.h"

#include "controls/basic/controlbutton.h"
#include "controls/common/classes.h"
#include "platform/core/object.h"

void RegisterBasicClasses() {
  RegisterCommonClasses();
  RegisterClasses({&TQvControlButton::StaticClass()});
}
