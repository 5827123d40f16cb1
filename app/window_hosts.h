// The few ways the application core reaches the windows above it. The core
// owns the images, the lists and the frame bookkeeping, but it never knows a
// window class: the program's top implements these interfaces and registers
// them with g_applicationState at start-up, the way the catalogue reaches
// the program through IProgramDbHost. Until something is registered (the
// core's own tests) every request does nothing and answers "none".
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class CFileItemList;
class CImageFrame;
class CImageObject;
class CImageView;
class CMainFrame;

// Decode progress and row redraws of the windows that show an image. The
// decode threads call it, so an implementation takes the locks it needs.
class IImageWindows {
public:
    virtual ~IImageWindows() = default;
    // See NotifyImageWindows in app/image_cache.h.
    virtual void NotifyImageWindows(CImageObject* image, int32_t event, int32_t first,
                                    int32_t count) = 0;
    // See RedrawImageViewRows in app/image_cache.h.
    virtual void RedrawImageViewRows(CImageView* view, int first, int count) = 0;
};

// Delivery of an item-list change to the frames (see SendItemListChange in
// app/file_item_list.h).
class IItemListWindows {
public:
    virtual ~IItemListWindows() = default;
    virtual void SendItemListChange(CFileItemList* list, int code, const char* item,
                                    const char* explorerItem) = 0;
};

// The dialogs that file operations ask through: the password of a protected
// zip entry, the Replace Confirmation of a copy or move that meets an
// existing file, and the progress of copying or moving many files. The
// image tools provide them; without them a password is never known, a
// collision is skipped, and many files are copied without progress.
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // Shows the prompt; true with the typed password (at most 254
    // characters) on OK, false on Cancel.
    virtual bool AskPassword(const char* prompt, std::string* password) = 0;
    // Returns the button: 2 Cancel, 3 Skip, 1022 Rename, 1027 Delete, 1028
    // Replace. newName comes in as the proposed file name and holds the full
    // new path after Rename; applyToAll comes in and goes out as the state
    // of "Use the same option for all files".
    virtual int AskReplace(const char* source, const char* target, bool copy, std::string* newName,
                           bool* applyToAll) = 0;
    // Copies (copy set) or moves the files into the folder behind the
    // progress dialog; IDOK when the run completed, IDCANCEL when it was
    // cancelled.
    virtual int RunCopyMoveProgress(const char* targetFolder, bool copy,
                                    const std::vector<std::string>& files, int option) = 0;
    // Browse for Folder titled `title`, starting in *folder; true with the
    // chosen folder in *folder. Without the tools' picker nothing is chosen.
    virtual bool BrowseForFolder(HWND owner, const char* title, std::string* folder) {
        (void)owner, (void)title, (void)folder;
        return false;
    }
    // The Rename dialog over `owner` showing *name; true on OK with the
    // typed name in *name. Without the tools' dialog nothing is renamed.
    virtual bool AskRename(HWND owner, std::string* name) {
        (void)owner, (void)name;
        return false;
    }
    // The same for the file at `path`: the dialog itself refuses, with its
    // message, a name no file may have or one that another file of the
    // folder has. Without the tools' dialog it is AskRename.
    virtual bool AskRenameFile(HWND owner, const char* path, std::string* name) {
        (void)path;
        return AskRename(owner, name);
    }
};

// What the windows and the core ask of the program's frame management: the
// CApplicationState members of the same names forward here, because their
// bodies make, show and close frames.
class IFrameHost {
public:
    virtual ~IFrameHost() = default;
    virtual void CloseExplorer(bool force) = 0;
    virtual void OnExplorerDestroyed(CMainFrame* frame) = 0;
    virtual bool IsSearchRunning() = 0;
    virtual void CloseAllViewers() = 0;
    virtual bool ShowExplorerOnItem(CFileItemList* list, int index) = 0;
    virtual CImageFrame* OpenViewerOnDocument(CFileItemList* list, int index, CImageObject* image,
                                              COLORREF background, bool fullScreen,
                                              bool newViewer) = 0;
    virtual void OnViewerDestroyed(CImageFrame* viewer) = 0;
    virtual void ShowOptionsSheet() = 0;
    virtual bool SetViewerToolbarVisible(bool visible) = 0;
    virtual void BringViewersToTop() = 0;
    virtual void ArrangeViewers(int k, char mode) = 0;
    // Records the active frame: the explorer (isExplorer) or `viewer`;
    // false when the frames are left to keep the record themselves.
    virtual bool SetActiveFrame(bool isExplorer, CImageFrame* viewer) {
        (void)isExplorer, (void)viewer;
        return false;
    }
};

// Event 2 sends the decode-started notice and event 3 the decode-ended
// notice to every frame whose canvas shows the image; event 4 hands (count,
// first) to those canvases' QueueRows. Other events do nothing.
void NotifyImageWindows(CImageObject* image, int32_t event, int32_t first, int32_t count);
