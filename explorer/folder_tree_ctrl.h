// The folder tree: a tree view of the shell namespace (special folders,
// drives, file-system folders) that also shows zip archives, and the folders
// inside them, as folders. It follows the disk through its own directory
// watcher and the private messages FTM_ITEMADDED, FTM_ITEMREMOVED,
// FTM_ITEMRENAMED and FTM_ITEMMOVED.
//
// Every item owns a CFolderTreeItemData record (its lParam), freed when the
// item is deleted. Icons live in the application's shared small image list;
// each distinct shell icon is added to it once and its index reused.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdint>

#include "explorer/folder_tree_watcher.h"
#include "explorer/logic/drop_rules.h"
#include "explorer/logic/drive_events.h"
#include "resources/messages.h"
#include "resources/resource.h"
#include "ui/message_loop.h"
#include "ui/window_impl.h"

enum EFolderTreeItemKind : int {
    kTreeShellFolder = 0, // data: absolute item-ID list (null for the desktop)
    kTreeArchive = 1,     // data: heap copy of "archive" or "archive|dir\"
    kTreeFavorites = 2,   // data: favorites folder id, 0 for the root
    kTreeMyCollections = 3,
    kTreeSearchResult = 4,
};

// The record behind every item; data is pointer-sized so that it can carry
// an ID list or a string pointer in a 64-bit build.
struct CFolderTreeItemData {
    int kind = kTreeShellFolder;
    uintptr_t data = 0;

    LPITEMIDLIST Pidl() const { return reinterpret_cast<LPITEMIDLIST>(data); }
    const char* Text() const { return reinterpret_cast<const char*>(data); }
};

// The record of every folder tree notice (FTN_*); fields a code does not use
// are zero. Pointer-sized so that the strings fit in a 64-bit build.
struct FolderTreeNotice {
    NMHDR hdr;
    uintptr_t first;
    uintptr_t second;
    uintptr_t third;
    uintptr_t fourth;
};

class CFolderTreeDropTarget;

class CFolderTreeCtrl : public CWindowImplBase, public CIdleHandler {
public:
    CFolderTreeCtrl();
    ~CFolderTreeCtrl() override;

    // Creates the tree view as a child, or takes over a dialog's tree view.
    HWND Create(HWND parent, const RECT& rect, DWORD style, UINT id);
    bool Attach(HWND treeView);

    BEGIN_MSG_MAP(CFolderTreeCtrl)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
    MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
    MESSAGE_HANDLER(WM_TIMER, OnTimer)
    MESSAGE_HANDLER(FTM_ITEMADDED, OnItemAdded)
    MESSAGE_HANDLER(FTM_ITEMREMOVED, OnItemRemoved)
    MESSAGE_HANDLER(FTM_ITEMRENAMED, OnItemRenamed)
    MESSAGE_HANDLER(FTM_ITEMMOVED, OnItemMoved)
    MESSAGE_HANDLER(WM_DEVICECHANGE, OnDeviceChange)
    MESSAGE_HANDLER(FTM_REFRESHDRIVES, OnRefreshDrives)
    MESSAGE_HANDLER(FTM_DRIVEADDED, OnDriveNotice)
    MESSAGE_HANDLER(FTM_DRIVEREMOVED, OnDriveNotice)
    MESSAGE_HANDLER(FTM_DRIVECHANGED, OnDriveNotice)
    MESSAGE_HANDLER(WM_TIMER, OnDriveTimer)
    COMMAND_ID_HANDLER(ID_TREE_NEW_FOLDER, OnNewFolder)
    COMMAND_ID_HANDLER(ID_TREE_DELETE, OnDeleteFolder)
    COMMAND_ID_HANDLER(ID_TREE_RENAME, OnRenameFolder)
    COMMAND_ID_HANDLER(ID_EDIT_COPY, OnCopyCut)
    COMMAND_ID_HANDLER(ID_EDIT_CUT, OnCopyCut)
    COMMAND_ID_HANDLER(ID_EDIT_PASTE, OnPaste)
    REFLECTED_NOTIFY_CODE_HANDLER(TVN_ENDLABELEDITA, OnEndLabelEdit)
    REFLECTED_NOTIFY_CODE_HANDLER(TVN_ITEMEXPANDINGA, OnItemExpanding)
    REFLECTED_NOTIFY_CODE_HANDLER(TVN_SELCHANGEDA, OnSelChanged)
    REFLECTED_NOTIFY_CODE_HANDLER(TVN_DELETEITEMA, OnDeleteItem)
    REFLECTED_NOTIFY_CODE_HANDLER(TVN_BEGINDRAGA, OnBeginDrag)
    END_MSG_MAP()

    // Inserts the special folder at the end of parent's children (the top
    // level for null); null when the special folder does not exist.
    HTREEITEM InsertSpecialFolder(int csidl, HTREEITEM parent);
    // Inserts a shell folder item; the item takes over pidl.
    HTREEITEM InsertShellItem(HTREEITEM parent, LPITEMIDLIST pidl, bool linkOverlay);
    // Lists an item's children anew; with refresh, children that still exist
    // are kept.
    void FillChildren(HTREEITEM item, bool refresh);

    // The file-system path of an ID list into path (MAX_PATH); false when it
    // has none.
    static bool GetItemPath(LPCITEMIDLIST pidl, char* path);
    bool GetItemPathOf(HTREEITEM item, char* path) const;
    CFolderTreeItemData* ItemData(HTREEITEM item) const;
    static CFolderTreeItemData* CreateItemData(int kind, uintptr_t data);

    // Selection by source (folder_tree_select.cpp). Walks down from start and
    // its siblings to the folder of an absolute ID list, expanding the way,
    // and selects it.
    virtual bool SelectPidlUnder(LPCITEMIDLIST pidl, HTREEITEM start);
    // SelectPidlUnder from each top-level item until one succeeds.
    virtual bool SelectPidl(LPCITEMIDLIST pidl);
    // Selects the item that shows a list's source: kind 0 a path (its folder
    // when it is a file), kind 1 an archive folder (a CArchiveLocation).
    virtual bool SelectItemSource(int kind, uintptr_t source);
    // Selects a network folder under the top-level Network item, inserting
    // it there when it is missing.
    virtual bool SelectNetworkPidl(LPCITEMIDLIST pidl);

    // The drive of a volume that arrived, waiting to be listed under My
    // Computer, idle after idle (folder_tree_devices.cpp).
    BOOL OnIdle() override;

    void StopAllWatches() { m_watcher.StopAllWatches(); }
    CFolderTreeWatcher& Watcher() { return m_watcher; }

    void SetNotifyWindow(HWND window) { m_notifyWindow = window; }
    void SetNoArchives(bool noArchives) { m_noArchives = noArchives; }
    HTREEITEM CurrentItem() const { return m_currentItem; }
    void SetCurrentItem(HTREEITEM item) { m_currentItem = item; }
    // The item a command acts on: the current item, else the selected one.
    HTREEITEM CommandItem() const;

    // Copies or moves dropped or pasted data into the command item's folder:
    // CF_HDROP files and folders, or the entries of a "ZipClipboardFormat"
    // block. Whether a format was handled.
    bool DropOrPaste(CLIPFORMAT format, STGMEDIUM* medium, bool copy, bool drop);

    // --- the tree as a drop target (folder_tree_drop.cpp) ---

    // The tree's registered drop target; null when OLE refused it.
    IDropTarget* DropTarget() const;
    // Whether a drag may rest on the item: a folder that exists (and in the
    // pane tree Favorites and My Collections).
    virtual bool CanDropOn(HTREEITEM item) const;
    // The drop handler: the matched format, its medium and the effect the
    // rule chose; false (with the effect none) when the data was not used.
    virtual bool OnTreeDrop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect);
    // The item under a screen point gets the drop highlight and becomes the
    // current item; with hover the rows around it are scrolled into view and
    // the expand timer runs. Whether a drop may land there.
    bool TrackDrag(POINTL point, bool hover);
    // The drag left or dropped: no highlight, no current item, no timer.
    void EndDrag();
    bool HoverTimerRunning() const { return m_hoverTimer; }
    // The row a drag shows the drop highlight on, or null.
    HTREEITEM DropHighlight() const { return m_dropItem; }
    void SetDropHighlight(HTREEITEM item);

    // Sends the notification window an FTN_* notice.
    LRESULT Notify(UINT code, const char* first, const char* second = nullptr,
                   const char* third = nullptr, uintptr_t fourth = 0);

protected:
    HTREEITEM NextInTree(HTREEITEM item) const;
    HTREEITEM DesktopItem() const { return m_desktopItem; }

    // The folder file commands (folder_tree_commands.cpp).
    LRESULT OnNewFolder(WORD, WORD, HWND, BOOL&);
    LRESULT OnDeleteFolder(WORD, WORD, HWND, BOOL&);
    LRESULT OnRenameFolder(WORD, WORD, HWND, BOOL&);
    LRESULT OnCopyCut(WORD, WORD, HWND, BOOL&);
    LRESULT OnPaste(WORD, WORD, HWND, BOOL&);
    LRESULT OnEndLabelEdit(int, LPNMHDR header, BOOL& handled);
    void SortChildren(HTREEITEM parent);
    void SetChildrenFlag(HTREEITEM item, int children);
    void StopHoverTimer();

    // Set by the pane tree before it is created: its formats and roots.
    explorer_drop_rules::DropTargetKind m_dropKind =
        explorer_drop_rules::DropTargetKind::FolderTree;

private:
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnItemAdded(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnItemRemoved(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnItemRenamed(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnItemMoved(UINT, WPARAM, LPARAM, BOOL& handled);
    // Drives (folder_tree_devices.cpp).
    LRESULT OnDeviceChange(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnRefreshDrives(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnDriveNotice(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnDriveTimer(UINT, WPARAM, LPARAM, BOOL& handled);
    HTREEITEM DrivesItem() const;
    // A drive item whose media went or came: emptied, collapsed and shown
    // anew.
    void ResetDriveItem(HTREEITEM item);
    LRESULT OnItemExpanding(int, LPNMHDR header, BOOL& handled);
    LRESULT OnSelChanged(int, LPNMHDR header, BOOL& handled);
    LRESULT OnDeleteItem(int, LPNMHDR header, BOOL& handled);
    LRESULT OnBeginDrag(int, LPNMHDR header, BOOL& handled);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL& handled);

    void OnAttached();
    void RegisterDropTarget();
    void RevokeDropTarget();
    void FillShellChildren(HTREEITEM item, bool refresh);
    void FillArchiveChildren(HTREEITEM item);
    void AppendArchives(HTREEITEM item, const char* folder);
    HTREEITEM InsertItem(HTREEITEM parent, const char* text, int image, int selectedImage,
                         int children, CFolderTreeItemData* data);
    bool ItemPathForMatch(HTREEITEM item, char* path) const;

    CFolderTreeWatcher m_watcher;
    HWND m_notifyWindow = nullptr;
    HTREEITEM m_currentItem = nullptr;
    HTREEITEM m_desktopItem = nullptr;
    bool m_noArchives = false;
    CFolderTreeDropTarget* m_dropTarget = nullptr; // one reference of ours
    bool m_hoverTimer = false;
    HTREEITEM m_dropItem = nullptr;
    bool m_idleRegistered = false;
    explorer_drive_events::PendingDrives m_drives;
    bool m_drivesRefreshPosted = false;
};

// The index in the shared small image list of the icon SHGetFileInfoA gives
// for pidl with flags (SHGFI_OPENICON, SHGFI_LINKOVERLAY); each distinct
// system icon is added once. -1 when there is none.
int SharedSmallIconIndex(LPCITEMIDLIST pidl, UINT flags);
// The ordinary folder's and the zip file type's icons (closed, open).
void FolderIcons(int* closed, int* open);
void ZipIcons(const char* anyZipPath, int* closed, int* open);
