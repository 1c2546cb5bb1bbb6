#pragma once
// The Qt backend's entry points for programs (no Qt types here).
#include <cstddef>
#include <string>

class TWinControl;

// Makes the Qt application object when there is none and installs the Qt backend
// for the controls (call it first in main, before Application->Initialize). A
// program passes its own arguments, from which Qt takes its options (-platform,
// -display ...; Argc and Argv keep the rest), and its name, which the window system
// shows as its windows' class (WM_CLASS on X11) and a desktop entry matches. The
// form without arguments names the program after its executable. Without a display
// to open windows on (none set, or one that cannot be reached) it says so on standard
// error and ends the program with exit status 1; a program that can do without
// windows (offscreen pictures) sets QT_QPA_PLATFORM=offscreen first.
void InstallQtBackend(int& Argc, char** Argv, const std::string& Name);
void InstallQtBackend();
// The icon of every window of the program, from the bytes of an ICO file (false when
// they hold no readable icon). Call it after InstallQtBackend.
bool SetProgramIcon(const unsigned char* Ico, std::size_t Size);
// Writes what a windowed control shows as a PNG file: composed from the window's
// peers (works on the offscreen platform), or taken from the screen (a real
// display such as Xvfb). EFCreateError when the file cannot be written;
// EInvalidOperation when the control has no window shown.
void SaveWindowImage(TWinControl* Control, const std::string& FileName, bool FromScreen = false);
