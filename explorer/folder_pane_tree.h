// The folder tree of the explorer's Folders pane and of Browse for Folder:
// the folder tree with a My Collections root that lists the folders the user
// collected, a Favorites root with the favorites folders of the catalogue, a
// Search Result root that shows the find dialog's list, a context menu per
// kind of item with its commands, a history of selected items, and the path
// of the selected folder.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "explorer/folder_preview.h"
#include "explorer/folder_tree_ctrl.h"

class CCollectionRecord;

class CFolderPaneTree : public CFolderTreeCtrl {
public:
    CFolderPaneTree() { m_dropKind = explorer_drop_rules::DropTargetKind::PaneTree; }

    BEGIN_MSG_MAP(CFolderPaneTree)
    CHAIN_MSG_MAP_MEMBER(m_preview)
    MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
    REFLECTED_NOTIFY_CODE_HANDLER(NM_RCLICK, OnRightClick)
    REFLECTED_NOTIFY_CODE_HANDLER(TVN_ITEMEXPANDINGA, OnItemExpanding)
    REFLECTED_NOTIFY_CODE_HANDLER(TVN_ENDLABELEDITA, OnEndLabelEdit)
    REFLECTED_NOTIFY_CODE_HANDLER(TVN_SELCHANGEDA, OnSelChanged)
    REFLECTED_NOTIFY_CODE_HANDLER(TVN_BEGINLABELEDITA, OnBeginLabelEdit)
    REFLECTED_NOTIFY_CODE_HANDLER(TVN_DELETEITEMA, OnDeleteItem)
    CHAIN_MSG_MAP(CFolderTreeCtrl)
    END_MSG_MAP()

    // Set by Browse for Folder: a collection added here is also shown by the
    // explorer's own tree.
    void SetSecondaryTree(bool secondary) { m_secondaryTree = secondary; }

    // The folder preview popup; the explorer enables it.
    void SetPreviewEnabled(bool enabled) { m_preview.SetEnabled(enabled); }
    void ClosePreview() { m_preview.Close(); }
    CFolderPreview& Preview() { return m_preview; }

    // Appends "My Collections" {3, 0} after the top-level items, then lists
    // its folders (RefreshCollections).
    HTREEITEM InsertCollectionsRoot();
    HTREEITEM CollectionsRoot() const { return m_collectionsRoot; }
    // Lists the "Collections" index under My Collections anew; entries whose
    // folder no longer exists are erased from the index.
    void RefreshCollections();
    // Shows an existing folder under My Collections (with the link overlay);
    // with select, expands My Collections and selects it.
    bool AddCollectionFolder(const char* path, bool select);

    // Appends "Favorites" {2, 0}; its folders are listed when it expands.
    HTREEITEM InsertFavoritesRoot();
    HTREEITEM FavoritesRoot() const { return m_favoritesRoot; }
    // Appends a favorites folder {2, id} under parent.
    HTREEITEM InsertFavoritesFolder(const CCollectionRecord& record, HTREEITEM parent);
    // Appends "Search Result" {4, key}; key is that of the search-result
    // list the root shows.
    HTREEITEM InsertSearchResultRoot(uintptr_t key);
    HTREEITEM SearchResultRoot() const { return m_searchRoot; }

    // Folders under My Collections are found there first (folder_pane_select.cpp).
    bool SelectPidl(LPCITEMIDLIST pidl) override;
    // Besides the folder tree's kinds: -1 the first top-level item, 2 a
    // favorites folder by id (0 the Favorites root), 4 the search results.
    bool SelectItemSource(int kind, uintptr_t source) override;
    // The empty string unless the selected item is a shell folder.
    std::string GetSelectedFolderPath() const;

    // The explorer's Back, Forward and Up.
    void HistoryBack();
    void HistoryForward();
    void SelectParent();
    const std::vector<HTREEITEM>& History() const { return m_history; }
    size_t HistoryPosition() const { return m_historyPosition; }

    // A drop or paste onto My Collections (folders join it) or a favorites
    // folder (pictures are added, favorites of another folder copied or
    // moved in) (folder_pane_drop.cpp). Other items take nothing. Always
    // true: the data was the pane's to take.
    virtual bool DropOnPaneItem(HTREEITEM item, CLIPFORMAT format, STGMEDIUM* medium, bool copy);
    // Drops onto My Collections and favorites folders are the pane's; the
    // rest go to the folder tree.
    bool OnTreeDrop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect) override;

private:
    LRESULT OnCommand(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnRightClick(int, LPNMHDR header, BOOL& handled);
    LRESULT OnItemExpanding(int, LPNMHDR header, BOOL& handled);
    LRESULT OnEndLabelEdit(int, LPNMHDR header, BOOL& handled);
    // The commands of the pane's own items (folder_pane_commands.cpp); false
    // passes the command on to the folder tree.
    bool PaneCommand(UINT id);
    void NewCollection();
    void NewFavoritesFolder(HTREEITEM item);
    void DeleteCollectionEntry(HTREEITEM item);
    void DeleteFavoritesFolder(HTREEITEM item);
    void AddToCollections(HTREEITEM item);
    void ShowFolderProperties(HTREEITEM item);
    void PasteOnPaneItem(HTREEITEM item);
    void ListFavoritesFolder(HTREEITEM item);
    bool IsCollectionEntry(HTREEITEM item) const;
    LRESULT OnSelChanged(int, LPNMHDR header, BOOL& handled);
    LRESULT OnBeginLabelEdit(int, LPNMHDR header, BOOL& handled);
    LRESULT OnDeleteItem(int, LPNMHDR header, BOOL& handled);

    void SortCollections();

    bool m_secondaryTree = false;
    CFolderPreview m_preview{*this};
    HTREEITEM m_collectionsRoot = nullptr;
    HTREEITEM m_favoritesRoot = nullptr;
    HTREEITEM m_searchRoot = nullptr;
    std::vector<HTREEITEM> m_history; // the most recent first
    size_t m_historyPosition = 0;
};
