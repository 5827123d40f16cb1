// The four shell shortcuts to the program: start-up (with the tray icon
// only), desktop, start menu and quick launch.
#pragma once

#include <windows.h>

// Saves a shell link to `target` at `linkPath`; `arguments` and
// `description` are set only when given. COM must be initialised.
HRESULT CreateShortcut(const char* arguments, const char* description, const char* target,
                       const char* linkPath);

// exists: FALSE when the folder cannot be found, else whether the file is
// there. create: the folder query's failure, else CreateShortcut's result.
// delete: removes the file when the folder can be found.
BOOL StartupShortcutExists();
HRESULT CreateStartupShortcut();
void DeleteStartupShortcut();
BOOL DesktopShortcutExists();
HRESULT CreateDesktopShortcut();
void DeleteDesktopShortcut();
BOOL StartMenuShortcutExists();
HRESULT CreateStartMenuShortcut();
void DeleteStartMenuShortcut();
BOOL QuickLaunchShortcutExists();
HRESULT CreateQuickLaunchShortcut();
void DeleteQuickLaunchShortcut();
