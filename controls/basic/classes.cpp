// The basic controls' class registration.
#include "controls/basic/classes.h"

#include "controls/common/classes.h"
#include "platform/core/object.h"

void RegisterBasicClasses() {
  RegisterCommonClasses();
}
