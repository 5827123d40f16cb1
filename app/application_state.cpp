// Construction, destruction and the small services of the application object.
#include "app/application_state.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <cstdio>

#include "app/app_globals.h"
#include "app/collection_record.h"
#include "app/file_item_list.h"
#include "app/image_cache.h"
#include "app/archive_temp_folder.h"

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
    watcher.Shutdown();
    // Every window is gone by now; what the caches still hold is the kept
    // list and the kept image, each with the application's one reference.
    ReleaseFileItemList(nullptr);
    ReleaseImage(nullptr);
    // Whatever archive folders are still open go with their extracted files.
    ReleaseAllArchiveTempFolders();
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
    // Only what this program switched off is switched on again: a user who
    // keeps the screen saver off keeps it off after a slide show.
    if (active && !screenSaverActiveAtStart)
        return;
    if (active != screenSaverActiveNow &&
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active ? TRUE : FALSE, nullptr,
                              SPIF_SENDCHANGE))
        screenSaverActiveNow = active;
}

void CApplicationState::SetProgramPathFromModule() {
    GetModuleFileNameA(nullptr, programPath, MAX_PATH);
}

void CApplicationState::SetWindowHosts(IFrameHost* frameHost, IImageWindows* images,
                                       IItemListWindows* lists) {
    frames = frameHost;
    imageWindows = images;
    listWindows = lists;
}

void CApplicationState::AddViewer(CImageFrame* viewer) {
    plat::ScopedLock lock(viewerListLock);
    viewers.push_back(viewer);
}

CImageObject* CApplicationState::KeptImage() {
    plat::ScopedLock guard(imageLock);
    return keptImage;
}

size_t CApplicationState::CachedImageCount() {
    plat::ScopedLock guard(imageLock);
    return imageCache.size();
}

size_t CApplicationState::ViewerCount() {
    plat::ScopedLock lock(viewerListLock);
    return viewers.size();
}

// The frame requests of the windows and the core: the program's frame
// management does them; without it there are no frames to make or close.
void CApplicationState::CloseExplorer(bool force) {
    if (frames)
        frames->CloseExplorer(force);
}

void CApplicationState::OnExplorerDestroyed(CMainFrame* frame) {
    if (frames)
        frames->OnExplorerDestroyed(frame);
}

bool CApplicationState::IsSearchRunning() {
    return frames && frames->IsSearchRunning();
}

void CApplicationState::CloseAllViewers() {
    if (frames)
        frames->CloseAllViewers();
}

bool CApplicationState::ShowExplorerOnItem(CFileItemList* list, int index) {
    return frames && frames->ShowExplorerOnItem(list, index);
}

CImageFrame* CApplicationState::OpenViewerOnDocument(CFileItemList* list, int index,
                                                     CImageObject* image, COLORREF background,
                                                     bool fullScreen, bool newViewer) {
    return frames
               ? frames->OpenViewerOnDocument(list, index, image, background, fullScreen, newViewer)
               : nullptr;
}

void CApplicationState::OnViewerDestroyed(CImageFrame* viewer) {
    if (frames)
        frames->OnViewerDestroyed(viewer);
}

void CApplicationState::ShowOptionsSheet() {
    if (frames)
        frames->ShowOptionsSheet();
}

bool CApplicationState::SetViewerToolbarVisible(bool visible) {
    if (frames)
        return frames->SetViewerToolbarVisible(visible);
    options.viewerShowToolbar = visible;
    return visible;
}

void CApplicationState::BringViewersToTop() {
    if (frames)
        frames->BringViewersToTop();
}

bool CApplicationState::SetActiveFrame(bool isExplorer, CImageFrame* viewer) {
    return frames && frames->SetActiveFrame(isExplorer, viewer);
}

void CApplicationState::ArrangeViewers(int k, char mode) {
    if (frames)
        frames->ArrangeViewers(k, mode);
}

void NotifyImageWindows(CImageObject* image, int32_t event, int32_t first, int32_t count) {
    if (IImageWindows* windows = g_applicationState.ImageWindows())
        windows->NotifyImageWindows(image, event, first, count);
}

void RedrawImageViewRows(CImageView* view, int first, int count) {
    if (IImageWindows* windows = g_applicationState.ImageWindows())
        windows->RedrawImageViewRows(view, first, count);
}

void SendItemListChange(CFileItemList* list, int code, const char* item, const char* explorerItem) {
    if (IItemListWindows* windows = g_applicationState.ItemListWindows())
        windows->SendItemListChange(list, code, item, explorerItem);
}

bool ShellOpenFile(const char* path) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    info.lpVerb = "open";
    info.lpFile = path;
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&info) != FALSE;
}
