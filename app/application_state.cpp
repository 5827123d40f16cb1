// Construction, destruction and the small services of the application object.
#include "app/application_state.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <cstdio>

#include "app/app_globals.h"
#include "app/collection_record.h"

CApplicationState g_applicationState;

std::string CAppDbHost::DataFolder() {
    char folder[MAX_PATH];
    return GetAppDataFolder(folder) ? std::string(folder) : std::string();
}

int CAppDbHost::ShowMessage(const std::string& text, const char* caption, uint32_t flags) {
    return MessageBoxA(nullptr, text.c_str(), caption, flags);
}

bool CAppDbHost::StoreFavoritesRoot(CIndexDatabase& db, CBTreeIndex* favorites) {
    return ::StoreFavoritesRoot(db, favorites);
}

bool GetAppDataFolder(char* folder) {
    folder[0] = '\0';
    if (!g_pfnSHGetFolderPath ||
        FAILED(
            g_pfnSHGetFolderPath(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder)) ||
        folder[0] == '\0') {
        ShowMessageBox("Cannot open application data folder", "Failed!", MB_ICONERROR);
        return false;
    }
    // Both levels must fit with room to join a file name; existing folders are no error.
    if (!PathAppendA(folder, "Velmorantix")) {
        ShowMessageBox("Cannot open application data folder", "Failed!", MB_ICONERROR);
        return false;
    }
    CreateDirectoryA(folder, nullptr);
    if (!PathAppendA(folder, "Velmorantix XP")) {
        ShowMessageBox("Cannot open application data folder", "Failed!", MB_ICONERROR);
        return false;
    }
    CreateDirectoryA(folder, nullptr);
    return true;
}

CApplicationState::CApplicationState() {
    versionInfo.dwOSVersionInfoSize = sizeof(versionInfo);
    GetVersionExA(&versionInfo);
    BOOL active = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    screenSaverActiveAtStart = screenSaverActiveNow = (active == 1);
}

CApplicationState::~CApplicationState() {
    SaveOptions();
    // Every window is gone by now; what the caches still hold is the kept
    // list and the kept image, each with the application's one reference.
    ReleaseFileItemList(nullptr);
    ReleaseImage(nullptr);
    databases.CloseThumbnailDatabase();
    databases.CloseMainDatabase();
    if (screenSaverActiveAtStart && !screenSaverActiveNow &&
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_SENDCHANGE))
        screenSaverActiveNow = true;
}

void CApplicationState::LoadOptions() {
    CRegistryOptionStore store;
    CShellOptionsHost host;
    LoadAppOptions(&options, store, host);
    optionsLoaded = true;
}

void CApplicationState::SaveOptions() {
    // Nothing to write before the options were read: the defaults would
    // overwrite what the user has.
    if (!optionsLoaded)
        return;
    CRegistryOptionStore store;
    SaveAppOptions(options, store);
}

int CApplicationState::OpenDatabases() {
    return databases.OpenAtStartup();
}

void CApplicationState::LoadFolderSymbols() {
    ::LoadFolderSymbols(databases.folderSymbol, &folderSymbols);
}

void CApplicationState::SetScreenSaverActive(bool active) {
    if (active != screenSaverActiveNow &&
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active ? TRUE : FALSE, nullptr,
                              SPIF_SENDCHANGE))
        screenSaverActiveNow = active;
}

bool ShellOpenFile(const char* path) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    info.lpVerb = "open";
    info.lpFile = path;
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&info) != FALSE;
}
