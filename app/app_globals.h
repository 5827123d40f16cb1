// Process-wide values of the running program: the registered messages and
// clipboard formats (set by static initialisation before WinMain) and the
// handles that start-up fills in.
#pragma once

#include <windows.h>
#include <shlobj.h>

extern const UINT g_velmorantixXPGetForegroundHandle; // "VelmorantixXPGetForegroundHandle"
extern const UINT g_trayIconNotify;                   // "TrayIconNotify"
extern const UINT g_optionsChanged;                   // "OptionsChanged"
extern const UINT g_favoritesClipboardFormat;         // "FavoritesClipboardFormat"
extern const UINT g_zipClipboardFormat;               // "ZipClipboardFormat"

extern HANDLE g_instanceMutex; // "VelmorantixXPReadyToFindInstance" while starting
// Lets a waiting second start go on; only the first call releases.
void ReleaseInstanceMutex();

using PFN_SHGetFolderPathA = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
extern HMODULE g_shFolderModule;
extern PFN_SHGetFolderPathA g_pfnSHGetFolderPath; // null when ShFolder.DLL lacks it

extern IMalloc* g_shellMalloc;
extern IShellFolder* g_desktopFolder;

extern HIMAGELIST g_smallImageList;
extern int g_favoritesIconIndex;
extern int g_myCollectionsIconIndex;
extern int g_searchResultIconIndex;

// The frame window that the last opened argument showed; the answer to
// "VelmorantixXPGetForegroundHandle".
extern HWND g_lastActiveWindow;

// Loads "ShFolder.DLL" and its "SHGetFolderPathA" (once); false when missing.
bool LoadShFolder();
void FreeShFolder();

// Asks the shell for a special folder through g_pfnSHGetFolderPath; false
// when the entry is missing or the folder is unknown. `path` holds MAX_PATH.
bool GetSpecialFolder(int csidl, char* path);

// Shows a message box owned by the active window.
int ShowMessageBox(const char* text, const char* caption, UINT flags);

extern const char kProductName[]; // "Velmorantix XP"
