#pragma once
// The project file and the workbook export are replaced through the system's one
// safe-replace routine (platform/core/safefile.h); this adds the user's text for a
// failure.
#include <string>

#include "platform/core/safefile.h"

// The system's reason for an errno value in the user's language, as GBK text.
std::string SystemErrorText(int Errno);

// Why File failed, as GBK text: which link was refused and why, else the system's
// reason for its errno.
std::string SafeFileFailureText(const TSafeFile& File);
