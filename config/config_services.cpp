#include "config/config_services.h"

#include <shlobj.h>
#include <cstdio>

#include "app/app_globals.h"

namespace {

bool DeleteShortcutIn(int csidl, const char* subFolder, const char* fileName) {
    char folder[MAX_PATH];
    if (!GetSpecialFolder(csidl, folder))
        return false;
    char path[MAX_PATH];
    const int n = std::snprintf(path, sizeof(path), "%s%s\\%s", folder, subFolder, fileName);
    if (n < 0 || n >= int(sizeof(path)))
        return false;
    return DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

} // namespace

INT_PTR CConfigWizard::DoModal(HWND) {
    return IDCANCEL;
}

bool DeleteDesktopShortcut() {
    return DeleteShortcutIn(CSIDL_DESKTOPDIRECTORY, "", "Velmorantix XP.lnk");
}

bool DeleteStartupShortcut() {
    return DeleteShortcutIn(CSIDL_STARTUP, "", "Velmorantix XP.lnk");
}

bool DeleteStartMenuShortcut() {
    return DeleteShortcutIn(CSIDL_STARTMENU, "", "Velmorantix XP.lnk");
}

bool DeleteQuickLaunchShortcut() {
    return DeleteShortcutIn(CSIDL_APPDATA, "\\Microsoft\\Internet Explorer\\Quick Launch",
                            "Launch Velmorantix XP.lnk");
}

void RestoreAllFileAssociations() {}
