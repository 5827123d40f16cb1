#include "config/shortcuts.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "app/app_globals.h"
#include "app/application_state.h"

namespace {

struct ShortcutRow {
    int csidl;
    const char* file; // appended to the folder
    const char* arguments;
    const char* description;
};

const ShortcutRow kStartup = {CSIDL_STARTUP, "Velmorantix XP.lnk", "/TrayIcon",
                              "Velmorantix XP Tray Icon"};
const ShortcutRow kDesktop = {CSIDL_DESKTOP, "Velmorantix XP.lnk", nullptr,
                              "Velmorantix XP Image Management Software"};
const ShortcutRow kStartMenu = {CSIDL_STARTMENU, "Velmorantix XP.lnk", nullptr,
                                "Velmorantix XP Image Management Software"};
const ShortcutRow kQuickLaunch = {
    CSIDL_APPDATA, "Microsoft\\Internet Explorer\\Quick Launch\\Launch Velmorantix XP.lnk", nullptr,
    nullptr};

// The shortcut's full path through the program's ShFolder entry; the
// query's failure when the folder cannot be found.
HRESULT ShortcutPath(const ShortcutRow& row, char* path) {
    if (!g_pfnSHGetFolderPath)
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    const HRESULT hr = g_pfnSHGetFolderPath(nullptr, row.csidl, nullptr, 0, path);
    if (FAILED(hr))
        return hr;
    return PathAppendA(path, row.file) ? S_OK : HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
}

BOOL Exists(const ShortcutRow& row) {
    char path[MAX_PATH];
    return SUCCEEDED(ShortcutPath(row, path)) && PathFileExistsA(path);
}

HRESULT Create(const ShortcutRow& row, bool makeFolder) {
    char path[MAX_PATH];
    const HRESULT hr = ShortcutPath(row, path);
    if (FAILED(hr))
        return hr;
    if (makeFolder) {
        // The quick-launch folder exists only while that bar is enabled;
        // without it saving the link fails.
        char folder[MAX_PATH];
        lstrcpynA(folder, path, MAX_PATH);
        PathRemoveFileSpecA(folder);
        const int rc = SHCreateDirectoryExA(nullptr, folder, nullptr);
        if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS && rc != ERROR_FILE_EXISTS)
            return HRESULT_FROM_WIN32(rc);
    }
    return CreateShortcut(row.arguments, row.description, g_applicationState.ProgramPath(), path);
}

void Delete(const ShortcutRow& row) {
    char path[MAX_PATH];
    if (SUCCEEDED(ShortcutPath(row, path)))
        DeleteFileA(path);
}

} // namespace

HRESULT CreateShortcut(const char* arguments, const char* description, const char* target,
                       const char* linkPath) {
    IShellLinkA* link = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link));
    if (FAILED(hr))
        return hr;
    link->SetPath(target);
    if (arguments)
        link->SetArguments(arguments);
    if (description)
        link->SetDescription(description);
    IPersistFile* file = nullptr;
    hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(hr)) {
        wchar_t wide[MAX_PATH];
        if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, MAX_PATH))
            hr = file->Save(wide, TRUE);
        else
            hr = HRESULT_FROM_WIN32(GetLastError());
        file->Release();
    }
    link->Release();
    return hr;
}

BOOL StartupShortcutExists() {
    return Exists(kStartup);
}
HRESULT CreateStartupShortcut() {
    return Create(kStartup, false);
}
void DeleteStartupShortcut() {
    Delete(kStartup);
}
BOOL DesktopShortcutExists() {
    return Exists(kDesktop);
}
HRESULT CreateDesktopShortcut() {
    return Create(kDesktop, false);
}
void DeleteDesktopShortcut() {
    Delete(kDesktop);
}
BOOL StartMenuShortcutExists() {
    return Exists(kStartMenu);
}
HRESULT CreateStartMenuShortcut() {
    return Create(kStartMenu, false);
}
void DeleteStartMenuShortcut() {
    Delete(kStartMenu);
}
BOOL QuickLaunchShortcutExists() {
    return Exists(kQuickLaunch);
}
HRESULT CreateQuickLaunchShortcut() {
    return Create(kQuickLaunch, true);
}
void DeleteQuickLaunchShortcut() {
    Delete(kQuickLaunch);
}
