#include "platform/core/exceptions.h"

void Abort() { throw EAbort("Operation aborted"); }
