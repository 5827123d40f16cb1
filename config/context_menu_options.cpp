#include "config/context_menu_options.h"

#include <shlwapi.h>

#include "imaging/image_file_types.h"

namespace {

struct SwitchName {
    DWORD CContextMenuOptions::*field;
    const char* name;
};

const SwitchName kSwitches[] = {
    {&CContextMenuOptions::displayBrowse, "DisplayBrowse"},
    {&CContextMenuOptions::imageContextMenuItemsInSubfolder, "ImageContextMenuItemsInSubfolder"},
    {&CContextMenuOptions::displayView, "DisplayView"},
    {&CContextMenuOptions::displayPrint, "DisplayPrint"},
    {&CContextMenuOptions::displayEmail, "DisplayEmail"},
};

bool OpenKey(HKEY* key) {
    return RegCreateKeyExA(HKEY_CURRENT_USER, kContextMenuOptionsKey, 0, nullptr,
                           REG_OPTION_NON_VOLATILE, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE,
                           nullptr, key, nullptr) == ERROR_SUCCESS;
}

} // namespace

void CContextMenuOptions::Load() {
    HKEY key = nullptr;
    if (!OpenKey(&key))
        return;
    for (const SwitchName& s : kSwitches) {
        this->*s.field = 1;
        DWORD type = 0, value = 0, size = sizeof(value);
        if (RegQueryValueExA(key, s.name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof(value))
            this->*s.field = value;
    }
    RegCloseKey(key);
}

void CContextMenuOptions::Save() const {
    HKEY key = nullptr;
    if (!OpenKey(&key))
        return;
    for (const SwitchName& s : kSwitches) {
        const DWORD value = this->*s.field;
        RegSetValueExA(key, s.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof(value));
    }
    RegCloseKey(key);
}

// Start-up fills the shared small image list in a fixed order after the three
// folder-tree roots: BMP, GIF, JPEG, PNG, ICO, PCD, PCX, PSD, PSP, RAS, WMF,
// EMF, TGA, TIFF, WBMP.
int GetImageTypeIconIndex(int type) {
    static const int kIndexByType[kLastImageFileType + 1] = {
        -1,         3 /*BMP*/,   14 /*EMF*/,  4 /*GIF*/,  6 /*PNG*/,  7 /*ICO*/,
        5 /*JPEG*/, 8 /*PCD*/,   9 /*PCX*/,   10 /*PSD*/, 11 /*PSP*/, 12 /*RAS*/,
        15 /*TGA*/, 16 /*TIFF*/, 17 /*WBMP*/, 13 /*WMF*/};
    return type >= kFirstImageFileType && type <= kLastImageFileType ? kIndexByType[type] : -1;
}

void SplitPath(const char* path, char* folder, char* name) {
    lstrcpynA(folder, path, MAX_PATH);
    PathRemoveFileSpecA(folder);
    lstrcpynA(name, PathFindFileNameA(path), MAX_PATH);
}
