// The foundation's class registration. The foundation has no component classes
// yet; later packages add theirs here.
#include "controls/common/classes.h"

void RegisterCommonClasses() {}
