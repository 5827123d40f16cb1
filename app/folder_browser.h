// Browse for Folder as the application offers it to every window: the
// explorer's own dialog (a folder tree with My Collections, the recent
// folders and the new-folder button), which the program's top registers.
// The tools, acquisition and options layers ask through here because they
// may not include the explorer; until something is registered (their own
// tests) nothing is chosen.
#pragma once

#include <windows.h>

#include <string>

class IFolderBrowser {
public:
    virtual ~IFolderBrowser() = default;
    // Runs the dialog modally over owner, titled `title` (null or empty
    // keeps the dialog's own caption) and starting in *folder; true with the
    // chosen folder in *folder, false (unchanged) after Cancel.
    virtual bool BrowseForFolder(HWND owner, const char* title, std::string* folder) = 0;
};

void SetFolderBrowser(IFolderBrowser* browser);
IFolderBrowser* FolderBrowser();

// The registered dialog over owner, or over the active window when owner is
// null; false when none is registered.
bool BrowseForFolder(HWND owner, const char* title, std::string* folder);
