#include "app/app_globals.h"

#include "app/app_module.h"

CAppModule g_module;

const UINT g_velmorantixXPGetForegroundHandle =
    RegisterWindowMessageA("VelmorantixXPGetForegroundHandle");
const UINT g_trayIconNotify = RegisterWindowMessageA("TrayIconNotify");
const UINT g_optionsChanged = RegisterWindowMessageA("OptionsChanged");
const UINT g_favoritesClipboardFormat = RegisterClipboardFormatA("FavoritesClipboardFormat");
const UINT g_zipClipboardFormat = RegisterClipboardFormatA("ZipClipboardFormat");

HANDLE g_instanceMutex = nullptr;
HMODULE g_shFolderModule = nullptr;
PFN_SHGetFolderPathA g_pfnSHGetFolderPath = nullptr;
IMalloc* g_shellMalloc = nullptr;
IShellFolder* g_desktopFolder = nullptr;
HIMAGELIST g_smallImageList = nullptr;
int g_favoritesIconIndex = -1;
int g_myCollectionsIconIndex = -1;
int g_searchResultIconIndex = -1;
HWND g_lastActiveWindow = nullptr;

const char kProductName[] = "Velmorantix XP";

void ReleaseInstanceMutex() {
    static bool released = false;
    if (g_instanceMutex && !released) {
        ReleaseMutex(g_instanceMutex);
        released = true;
    }
}

bool LoadShFolder() {
    if (!g_shFolderModule)
        g_shFolderModule = LoadLibraryA("ShFolder.DLL");
    if (g_shFolderModule && !g_pfnSHGetFolderPath)
        g_pfnSHGetFolderPath = reinterpret_cast<PFN_SHGetFolderPathA>(
            reinterpret_cast<void*>(GetProcAddress(g_shFolderModule, "SHGetFolderPathA")));
    return g_pfnSHGetFolderPath != nullptr;
}

void FreeShFolder() {
    if (g_shFolderModule)
        FreeLibrary(g_shFolderModule);
    g_shFolderModule = nullptr;
    g_pfnSHGetFolderPath = nullptr;
}

bool GetSpecialFolder(int csidl, char* path) {
    path[0] = '\0';
    if (!g_pfnSHGetFolderPath)
        return false;
    return SUCCEEDED(g_pfnSHGetFolderPath(nullptr, csidl, nullptr, 0, path)) && path[0] != '\0';
}

int ShowMessageBox(const char* text, const char* caption, UINT flags) {
    return MessageBoxA(GetActiveWindow(), text, caption, flags);
}
