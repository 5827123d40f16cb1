// The one application object, g_applicationState: what outlives any window.
// Built by static initialisation before WinMain and destroyed after it
// returns; its destructor saves the options and closes the databases.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/folder_symbols.h"
#include "app/options.h"
#include "app/window_hosts.h"
#include "catalog/program_databases.h"
#include "platform/platform.h"

// The catalogue's view of the running program: its data folder, its message
// boxes (no owner) and the favorites root of a new main database.
class CAppDbHost : public IProgramDbHost {
public:
    std::string DataFolder() override;
    int ShowMessage(const std::string& text, const char* caption, uint32_t flags) override;
    bool StoreFavoritesRoot(CIndexDatabase& db, CBTreeIndex* favorites) override;
};

// Finds the program's data folder ("Velmorantix\Velmorantix XP" under the
// user's application data folder), creating both levels; on failure shows
// "Cannot open application data folder" and returns false. `folder` holds
// MAX_PATH characters.
bool GetAppDataFolder(char* folder);

class CApplicationState {
public:
    CApplicationState();
    ~CApplicationState();
    CApplicationState(const CApplicationState&) = delete;
    CApplicationState& operator=(const CApplicationState&) = delete;

    // Options (registry key of the current user).
    void LoadOptions();
    void SaveOptions();

    // Databases and folder identifiers.
    int OpenDatabases(); // 0, or the exit code 1 after the message was shown
    void LoadFolderSymbols();

    // Tray icon (hidden window, identifier 0).
    void AddTrayIcon();
    void RemoveTrayIcon();
    void ExitFromTray();

    // Frames. The program's top makes and closes them; the members that the
    // windows and the core call forward to the registered IFrameHost.
    bool ShowExplorer();
    void ShowStartupDialogs();
    HWND OpenPath(const char* path, bool newViewer);
    void CloseExplorer(bool force);
    void CloseAllViewers();
    void StartAcquire();
    // The explorer window is gone: the frame object is freed.
    void OnExplorerDestroyed(CMainFrame* frame);
    bool IsExplorerVisible() const;
    void DestroyExplorerWindow();

    // Viewers (frame management, viewer side).
    bool ShowExplorerOnItem(CFileItemList* list, int index);
    CImageFrame* GetViewer(bool& newViewer, COLORREF background);
    CImageFrame* OpenViewerOnItem(CFileItemList* list, int index, COLORREF background,
                                  bool fullScreen, bool newViewer);
    CImageFrame* OpenViewerOnDocument(CFileItemList* list, int index, CImageObject* image,
                                      COLORREF background, bool fullScreen, bool newViewer);
    void OnViewerDestroyed(CImageFrame* viewer);
    void ShowOptionsSheet();
    bool SetViewerToolbarVisible(bool visible);
    void BringViewersToTop();
    void ArrangeViewers(int k, char mode);

    // File item lists (cached by source; see app/file_item_list.h).
    CFileItemList* GetFileItemList(int kind, const char* key);
    CFileItemList* FindFileItemList(int kind, const char* key);
    CFileItemList* NewSearchResultList();
    CFileItemList* ListFirstItems(int kind, const char* key, int limit);
    bool FillFileItemList(CFileItemList* list);
    bool RefreshFileItemList(const char* folder);
    void NotifyListChanged(CFileItemList* list);
    void ReleaseFileItemList(CFileItemList* list);
    bool IsSearchRunning();
    void CollectImagesRecursive(const char* folder, CFileItemList* list);
    // The list kept for a quick return, and how many lists the cache holds.
    CFileItemList* KeptItemList();
    size_t CachedItemListCount();

    // Image cache and decode threads (see app/image_cache.h).
    CImageObject* OpenImage(const char* path, int boxWidth, int boxHeight, double zoom);
    bool NeedsLargerDecode(CImageObject* image, int boxWidth, int boxHeight, double zoom);
    void ReleaseImage(CImageObject* image);
    CImageObject* OpenListImage(CFileItemList* list, int index, int boxWidth, int boxHeight,
                                double zoom);
    bool ForgetCachedImagePath(const char* path);
    bool ForgetCachedImage(CImageObject* image);
    // The image kept for a quick return, and how many images are live.
    CImageObject* KeptImage();
    size_t CachedImageCount();

    int BroadcastToViewers(UINT message, WPARAM wParam, LPARAM lParam);
    // The viewer frame windows in list order, taken under the viewer-list
    // lock so that messages can be sent to them after it is left: a viewer
    // may close on a message and leave the list, and a frame that answers on
    // another thread cannot wait on the sender.
    std::vector<HWND> ViewerWindows();
    LRESULT SendToExplorer(UINT message, WPARAM wParam, LPARAM lParam);
    void SetScreenSaverActive(bool active);

    // The windows' side of the program, registered by the program's top
    // before its first frame and cleared (null) when it ends.
    void SetWindowHosts(IFrameHost* frames, IImageWindows* imageWindows,
                        IItemListWindows* listWindows);
    IImageWindows* ImageWindows() const { return imageWindows; }
    IItemListWindows* ItemListWindows() const { return listWindows; }

    // The viewer list, oldest first. Its lock is held while `use` runs:
    // frames are added and removed under it, and the decode threads walk it.
    // ForEachViewer calls use(CImageFrame*); WithViewerList hands over the
    // list itself for the frame management that changes it.
    template <typename Use> void ForEachViewer(Use&& use) {
        plat::ScopedLock lock(viewerListLock);
        for (CImageFrame* viewer : viewers)
            if (viewer)
                use(viewer);
    }
    template <typename Use> auto WithViewerList(Use&& use) {
        plat::ScopedLock lock(viewerListLock);
        return use(viewers);
    }
    void AddViewer(CImageFrame* viewer);
    size_t ViewerCount();

    CAppOptions& Options() { return options; }
    const CAppOptions& Options() const { return options; }
    CMainFrame* Explorer() const { return explorer; }
    // Set by the frame management when it makes and frees the explorer.
    void SetExplorer(CMainFrame* frame) { explorer = frame; }
    const char* ProgramPath() const { return programPath; }
    // Records this module's path (never argv[0]: the shell extension's
    // command line begins with a blank, which leaves argv[0] empty).
    void SetProgramPathFromModule();
    // For tests that stand a recorded program path in for the module's own.
    void SetProgramPath(const char* path) { lstrcpynA(programPath, path, MAX_PATH); }
    HWND HiddenWindow() const { return hiddenWindow; }
    void SetHiddenWindow(HWND window) { hiddenWindow = window; }
    bool TrayIconShown() const { return trayIconShown; }
    // Whether closing the last frame leaves the process running; set by
    // AddTrayIcon and RemoveTrayIcon (and by tests of the frame management).
    void SetTrayIconShown(bool shown) { trayIconShown = shown; }
    const OSVERSIONINFOA& VersionInfo() const { return versionInfo; }
    CProgramDatabases& Databases() { return databases; }
    CAppDbHost& DbHost() { return dbHost; }
    const std::vector<CFolderSymbol>& FolderSymbols() const { return folderSymbols; }

private:
    // The item-list cache's helpers touch the cache under its lock.
    friend void ReleaseFileItemListHold(CFileItemList* list);

    CAppOptions options;
    CMainFrame* explorer = nullptr;
    std::vector<CImageFrame*> viewers; // oldest first; filled by the viewer frames
    char programPath[MAX_PATH] = {};
    HWND hiddenWindow = nullptr;
    bool trayIconShown = false;
    bool optionsLoaded = false;
    bool screenSaverActiveAtStart = false;
    bool screenSaverActiveNow = false;
    OSVERSIONINFOA versionInfo{};
    std::vector<CFolderSymbol> folderSymbols;

    IFrameHost* frames = nullptr;
    IImageWindows* imageWindows = nullptr;
    IItemListWindows* listWindows = nullptr;

    CAppDbHost dbHost;
    CProgramDatabases databases{dbHost};
    plat::CriticalSection viewerListLock;
    plat::CriticalSection itemListLock;
    plat::CriticalSection imageLock;
    plat::CriticalSection archiveLock;

    // Guarded by itemListLock: the list cache (holds no references), the kept
    // list (holds one) and the next search-result key.
    std::vector<CFileItemList*> itemListCache;
    CFileItemList* keptItemList = nullptr;
    uintptr_t nextSearchResult = 1;

    // Guarded by imageLock: the live images (no references) and the kept
    // image (one reference).
    std::vector<CImageObject*> imageCache;
    CImageObject* keptImage = nullptr;
};

extern CApplicationState g_applicationState;

// Opens a file or address with the shell's "open" verb.
bool ShellOpenFile(const char* path);
