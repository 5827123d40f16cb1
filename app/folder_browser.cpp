#include "app/folder_browser.h"

namespace {

// Set once at start-up on the user-interface thread, before any window asks.
IFolderBrowser* g_folderBrowser = nullptr;

} // namespace

void SetFolderBrowser(IFolderBrowser* browser) {
    g_folderBrowser = browser;
}

IFolderBrowser* FolderBrowser() {
    return g_folderBrowser;
}

bool BrowseForFolder(HWND owner, const char* title, std::string* folder) {
    if (!g_folderBrowser || !folder)
        return false;
    return g_folderBrowser->BrowseForFolder(owner ? owner : ::GetActiveWindow(), title, folder);
}
