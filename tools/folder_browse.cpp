#include "tools/folder_browse.h"

#include <shlobj.h>

namespace {

int CALLBACK SelectStart(HWND hWnd, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0)
        ::SendMessageA(hWnd, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

} // namespace

bool BrowseForFolder(HWND owner, const char* title, std::string* folder) {
    char display[MAX_PATH] = "";
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = SelectStart;
    info.lParam = folder->empty() ? 0 : (LPARAM)folder->c_str();
    LPITEMIDLIST chosen = ::SHBrowseForFolderA(&info);
    if (chosen == NULL)
        return false;
    char path[MAX_PATH] = "";
    bool ok = ::SHGetPathFromIDListA(chosen, path) != FALSE && path[0] != '\0';
    ::CoTaskMemFree(chosen);
    if (ok)
        *folder = path;
    return ok;
}
