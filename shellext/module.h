// What the whole library shares: its instance, the lock count that decides
// whether COM may unload it, the menu bitmap and the switches the handler
// last read.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "shellext/menu_plan.h"

namespace dovrexa {

extern HINSTANCE g_module;
extern HBITMAP g_menuBitmap; // loaded once when the process attaches
// The switches of the last QueryContextMenu; InvokeCommand and
// GetCommandString interpret command ids with them.
extern MenuSwitches g_switches;

// Every live object and every LockServer(TRUE) holds one lock.
void LockModule();
void UnlockModule();
LONG ModuleLockCount();

// The library's full path; false when it does not fit.
bool GetModulePath(char* path, DWORD size);
bool GetModulePathW(wchar_t* path, DWORD size);

// The library's own type library (resource TYPELIB 1); the caller releases it.
HRESULT LoadModuleTypeLib(ITypeLib** typeLib);

} // namespace dovrexa
