// Asks the user for a folder with the shell's folder picker, starting at a
// given folder. Used by the dialogs whose "Browse..." chooses where files go.
#pragma once

#include <windows.h>

#include <string>

// True with *folder replaced by the chosen folder; false (folder unchanged)
// when the user cancelled or picked something that is not a file-system
// folder.
bool BrowseForFolder(HWND owner, const char* title, std::string* folder);
