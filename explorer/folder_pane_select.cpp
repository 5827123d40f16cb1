// The folder pane tree's selection by source: folders under My Collections
// before the rest of the tree, the first top-level item, a favorites folder
// found down the chain of its ancestors, and the Search Result root.
#include <windows.h>

#include <set>
#include <vector>

#include "app/application_state.h"
#include "app/collection_record.h"
#include "explorer/folder_pane_tree.h"

namespace {

// A chain of favorites folders longer than this, or one that comes back to
// a folder it passed, is a damaged database, not a tree.
constexpr size_t kMaxFavoritesDepth = 256;

} // namespace

bool CFolderPaneTree::SelectPidl(LPCITEMIDLIST pidl) {
    if (m_collectionsRoot)
        for (HTREEITEM child = TreeView_GetChild(m_hWnd, m_collectionsRoot); child;
             child = TreeView_GetNextSibling(m_hWnd, child))
            if (SelectPidlUnder(pidl, child))
                return true;
    return CFolderTreeCtrl::SelectPidl(pidl);
}

bool CFolderPaneTree::SelectItemSource(int kind, uintptr_t source) {
    if (kind == -1) {
        HTREEITEM first = TreeView_GetRoot(m_hWnd);
        if (!first)
            return false;
        TreeView_Expand(m_hWnd, first, TVE_EXPAND);
        TreeView_SelectItem(m_hWnd, first);
        return true;
    }
    if (kind == kTreeSearchResult) {
        if (!m_searchRoot)
            return false;
        TreeView_Expand(m_hWnd, m_searchRoot, TVE_EXPAND);
        return true;
    }
    if (kind != kTreeFavorites)
        return CFolderTreeCtrl::SelectItemSource(kind, source);
    if (!m_favoritesRoot)
        return false;
    TreeView_Expand(m_hWnd, m_favoritesRoot, TVE_EXPAND);
    const int32_t id = static_cast<int32_t>(static_cast<intptr_t>(source));
    if (id == 0) {
        TreeView_SelectItem(m_hWnd, m_favoritesRoot);
        return true;
    }
    // The folder and its ancestors up to the one right under the root,
    // nearest the root first.
    std::vector<int32_t> chain;
    std::set<int32_t> seen;
    for (int32_t at = id; at != 0;) {
        CCollectionRecord record(at);
        if (!g_applicationState.LoadFavoritesFolder(record) || !seen.insert(at).second ||
            chain.size() >= kMaxFavoritesDepth)
            return false;
        chain.insert(chain.begin(), at);
        at = record.parentKey;
        if (at < 0)
            return false; // only the root has no parent
    }
    HTREEITEM item = m_favoritesRoot;
    for (int32_t wanted : chain) {
        HTREEITEM found = nullptr;
        for (HTREEITEM child = TreeView_GetChild(m_hWnd, item); child && !found;
             child = TreeView_GetNextSibling(m_hWnd, child)) {
            const CFolderTreeItemData* data = ItemData(child);
            if (data && data->kind == kTreeFavorites &&
                static_cast<int32_t>(static_cast<intptr_t>(data->data)) == wanted)
                found = child;
        }
        if (!found)
            return false;
        TreeView_Expand(m_hWnd, found, TVE_EXPAND);
        item = found;
    }
    TreeView_SelectItem(m_hWnd, item);
    TreeView_EnsureVisible(m_hWnd, item);
    return true;
}
