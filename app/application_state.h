// The one application object, g_applicationState: what outlives any window.
// Built by static initialisation before WinMain and destroyed after it
// returns; its destructor saves the options and closes the databases.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/directory_watcher.h"
#include "app/folder_symbols.h"
#include "app/options.h"
#include "app/window_hosts.h"
#include "catalog/program_databases.h"
#include "platform/platform.h"

// The catalogue's view of the running program: its data folder, its message
// boxes (no owner) and the favorites root of a new main database.
class CArchiveTempFolder;
class CCollectionRecord;
class CImageAttributes;
class CStringList;
class CZipArchive;

// Longest zip password kept for the next protected entry, in characters.
constexpr size_t kMaxZipPassword = 99;

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
    // After the user agreed: the image at path becomes the desktop wallpaper
    // (style 0 centred, 1 tiled, 2 stretched) through a bitmap copy sized
    // for the screen; any other style removes the wallpaper. Failures end
    // it silently.
    void SetDesktopWallpaper(const char* path, int style);
    bool SetViewerToolbarVisible(bool visible);
    void BringViewersToTop();
    void ArrangeViewers(int k, char mode);
    // Which frame is active: clears the explorer's and every viewer's active
    // flag, then marks the explorer, or marks `viewer` active and the one
    // viewer active last. False when no frame management keeps the record.
    bool SetActiveFrame(bool isExplorer, CImageFrame* viewer);
    // A frame's image whose file was renamed takes the new path (under the
    // image lock: decode threads read it).
    void RetargetImage(CImageObject* image, const char* newPath);

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

    // Change notices: each tells the cached lists, the image cache and the
    // windows (WM_USER+7) what happened (app/change_notices.cpp).
    void BeginFolderUpdate();
    void EndFolderUpdate();
    // Kind 0: key the folder, item the file name; kind 2: key the favorites
    // id in the pointer's place, item the full path.
    void OnFileAdded(int kind, const char* key, const char* item);
    void OnFileRemoved(const char* folder, const char* name);
    void OnFavoriteRemoved(int32_t folderId, const char* path);
    void OnFileRenamed(const char* folder, const char* oldName, const char* newName);
    void OnFolderRenamed(const char* oldFolder, const char* newFolder);
    void OnFolderRemoved(int kind, const char* key);
    void OnFileModified(const char* folder, const char* name);
    void ClearResultList(uintptr_t number);
    void OnFolderPathRenamed(const char* oldFolder, const char* newFolder);
    // After lost notices: every cached folder list whose folder starts with
    // root is filled again.
    void RefreshFolderListsUnder(const char* root);

    // File operations (app/file_operations.cpp). Each pauses the watcher
    // while it works (RenameFile and CopyOrMoveFile when asked to) and
    // announces its own changes.
    bool ExtractArchiveEntry(CZipArchive* archive, const char* entryName, const char* folder,
                             bool keepPaths, bool ask);
    bool ExtractFromArchiveList(const char* key, const char* entryName, const char* folder,
                                bool keepPaths, bool ask);
    // False for the same path, and when the rename failed. A change of
    // letter case only is performed.
    bool RenameFile(const char* newPath, const char* oldPath, bool pauseWatcher);
    void DuplicateFile(const char* path, HWND owner);
    // Copies (copy set) or moves one file. True when it was copied or moved
    // and when the Replace Confirmation answer was handled (Cancel, with
    // *cancelled set, Skip, Delete); false only when the copy or move failed.
    // *choice remembers an answer given for all files (0: ask).
    bool CopyOrMoveFile(const char* source, const char* target, bool* cancelled, int* choice,
                        bool copy, bool pauseWatcher);
    // True when every file was handled and the run was not cancelled.
    bool CopyMoveFilesWithProgress(const char* targetFolder, bool copy,
                                   const std::vector<std::string>& files, int option);
    // paths: zero-terminated strings ended by an extra zero. Always true.
    bool DeleteFiles(const char* paths, HWND owner, bool confirm);
    // A free "<stem>_<n><ext>" in the target's folder, as a full path.
    std::string MakeUniqueTargetName(const char* source, const char* target);
    void ShowErrorMessage(HWND owner, const char* text);
    std::string ZipPassword() {
        plat::ScopedLock guard(passwordLock);
        return zipPassword;
    }

    // Favorites, My Collections, folder ids and attributes (app/catalogue_data.cpp).
    bool LoadFavoritesFolder(CCollectionRecord& record);
    bool StoreFavorites(CCollectionRecord& record);
    bool DeleteFavoritesFolder(int32_t id, bool ask);
    bool AddToFavoritesFolder(const char* paths, int32_t id, int* added);
    void RemoveFromFavoritesFolder(int32_t id, const char* paths, bool ask);
    bool MoveToFavoritesFolder(int32_t sourceId, int32_t targetId, const char* paths, bool copy);
    bool IsInMyCollections(const char* path);
    bool AddToMyCollections(const char* path, bool show);
    bool RemoveFromMyCollections(const char* path);
    bool RenameInMyCollections(const char* oldPath, const char* newPath);
    int32_t AddFolderSymbol(const char* path); // the new id, or -1
    int32_t FindFolderSymbol(const char* path);
    bool MakeAttributesKey(const char* path, std::string* key);
    bool ResolveAttributesKey(const char* key, std::string* path);
    void DeleteFolderData(const char* path);
    void RenameFolderData(const char* oldPath, const char* newPath);
    bool LoadFolderAttributes(CImageAttributes& attributes);
    bool SaveFolderAttributes(const CImageAttributes& attributes);
    bool LoadImageAttributes(CImageAttributes& attributes);
    bool SaveImageAttributes(const CImageAttributes& attributes);
    bool DeleteImageAttributes(const char* path);
    bool MoveImageAttributes(const char* oldPath, const char* newPath, bool copy);
    // Held around every main-database access (the engine has no locks).
    plat::CriticalSection& MainDatabaseLock() { return mainDbLock; }

    // Temporary folders of opened zip archives (app/archive_temp_folder.cpp).
    CArchiveTempFolder* GetArchiveTempFolder(const char* path);
    int ReleaseArchiveTempFolder(CArchiveTempFolder* folder);
    size_t ArchiveTempFolderCount();
    // Why the archive that GetArchiveTempFolder last failed to open could
    // not be opened, as the user reads it; empty once taken, and when the
    // last open succeeded. The windows that asked for its list show it.
    std::string TakeArchiveOpenError();

    CDirectoryWatcher& Watcher() { return watcher; }
    void SetFileDialogs(IFileDialogs* dialogs) { fileDialogs = dialogs; }
    IFileDialogs* FileDialogs() const { return fileDialogs; }

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

    std::vector<CFileItemList*> HoldListsForFolder(const char* folder);
    std::vector<std::string> CachedFolderPaths();
    bool DeleteFavoritesTree(int32_t id, int depth);
    bool AttachArchive(CFileItemList* list);
    bool ReadAttributesRecord(const std::string& key, CImageAttributes* attributes);
    bool WriteAttributesRecord(const std::string& key, const CImageAttributes& attributes);
    int32_t FolderIdFor(const char* folder, bool make);
    void DestroyArchiveTempFolder(CArchiveTempFolder* folder);
    void ReleaseAllArchiveTempFolders();

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
    plat::CriticalSection mainDbLock;
    plat::CriticalSection passwordLock;
    std::string zipPassword;                       // guarded by passwordLock
    std::vector<CArchiveTempFolder*> archiveCache; // guarded by archiveLock; no references
    std::string archiveOpenError;                  // guarded by archiveLock
    IFileDialogs* fileDialogs = nullptr;
    // Constructed after the locks it uses and stopped first in the destructor.
    CDirectoryWatcher watcher;

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
