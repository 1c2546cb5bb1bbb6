#pragma once
// The message for a port that could not be opened, shared by the programs' own
// windows and the library's device settings dialog.
#include <string>

#include "platform/win32/wintypes.h"

// The serial library's own message (its code's table text), then the system's
// reason for OsError (errno, 0: none) on a second line; a permission failure adds
// what to do about it, naming the group that owns DevicePath (the usual "dialout"
// when it cannot be read), and a port locked by another program says so. The added
// texts are in the language of Language as the library's tables choose it (1028
// traditional Chinese, 2052 simplified Chinese, anything else English). GBK.
// A port name refused before its device was opened (ENimboCommError::Refusal)
// gives that reason on the second line instead of the system's.
std::string PortOpenFailureText(const std::string& Message, int OsError, const std::string& DevicePath,
                                LCID Language, const std::string& Refusal = {});
