// Registration: every class of the library and of the foundation can be found by
// name once the program has registered them.
#include <gtest/gtest.h>

#include "controls/basic/classes.h"
#include "platform/core/object.h"

TEST(BasicClasses, RegistrationAlsoRegistersTheFoundation) {
  RegisterBasicClasses();
  EXPECT_NE(GetClass("TQvFrameController"), nullptr);
}
