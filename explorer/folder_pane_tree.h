// The folder tree of the explorer's Folders pane and of Browse for Folder:
// the folder tree with a My Collections root that lists the folders the user
// collected, a history of selected items, and the path of the selected
// folder.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "explorer/folder_preview.h"
#include "explorer/folder_tree_ctrl.h"

class CFolderPaneTree : public CFolderTreeCtrl {
public:
    BEGIN_MSG_MAP(CFolderPaneTree)
    CHAIN_MSG_MAP_MEMBER(m_preview)
    MESSAGE_HANDLER(WM_COMMAND, OnCommand)
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

    // Finds the shell folder of path among the items, expanding the folders on
    // the way, and selects it; false when it is not found.
    bool SelectFolderPath(const char* path);
    // The empty string unless the selected item is a shell folder.
    std::string GetSelectedFolderPath() const;

    // The explorer's Back, Forward and Up.
    void HistoryBack();
    void HistoryForward();
    void SelectParent();
    const std::vector<HTREEITEM>& History() const { return m_history; }
    size_t HistoryPosition() const { return m_historyPosition; }

private:
    LRESULT OnCommand(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnSelChanged(int, LPNMHDR header, BOOL& handled);
    LRESULT OnBeginLabelEdit(int, LPNMHDR header, BOOL& handled);
    LRESULT OnDeleteItem(int, LPNMHDR header, BOOL& handled);

    void SortCollections();
    HTREEITEM FindFolder(HTREEITEM first, const std::string& path, int depth);

    bool m_secondaryTree = false;
    CFolderPreview m_preview{*this};
    HTREEITEM m_collectionsRoot = nullptr;
    std::vector<HTREEITEM> m_history; // the most recent first
    size_t m_historyPosition = 0;
};
