#pragma once
// "Open With": a modal dialog listing the desktop's applications for the kind of a
// file, starting the one the user picks with it. Shown through the modal runner.
#include <string>

#include "platform/win32/messages.h"

// Offers the applications registered for Target's type (Target is GBK text, a path
// or a URL) and starts the chosen one with it; true when one was started. With no
// application for the type, or when the chosen one cannot be started, the user is
// told so and the result is false.
bool ShowOpenWithDialog(const std::string& Target, HWND Owner);
