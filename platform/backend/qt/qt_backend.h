#pragma once
// The Qt backend's entry points for programs (no Qt types here).
#include <string>

class TWinControl;

// Makes the Qt application object when there is none and installs the Qt backend
// for the controls (call it first in main, before Application->Initialize).
void InstallQtBackend();
// Writes what a windowed control shows as a PNG file: composed from the window's
// peers (works on the offscreen platform), or taken from the screen (a real
// display such as Xvfb). EFCreateError when the file cannot be written;
// EInvalidOperation when the control has no window shown.
void SaveWindowImage(TWinControl* Control, const std::string& FileName, bool FromScreen = false);
