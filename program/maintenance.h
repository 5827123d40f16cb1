// The maintenance switches that end the process at once, and the two sides
// of a second start's hand-over to the running copy.
#pragma once

#include <windows.h>

// The single-instance mutex; a starting copy owns it until its first windows exist.
extern const char kInstanceMutexName[]; // "VelmorantixXPReadyToFindInstance"

// "/Shutdown": asks the running copy (if any) to quit.
void ShutdownRunningInstance();
// Sends one argument (null: none) to the running copy's hidden window and
// returns the window it wants in front.
HWND ForwardToRunningInstance(const char* text, HWND hiddenWindow);

// "/Install" and "/Uninstall" of the Still Image launch registration; the
// command is the program path (quoted when it holds blanks) + " /Acquire".
void RegisterStillImageLaunch(HINSTANCE instance, const char* programPath);
void UnregisterStillImageLaunch(HINSTANCE instance);

// "/Uninstall" apart from the Still Image step.
void UninstallFiles();
