#include "explorer/folder_pane_tree.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "catalog/btree_index.h"

namespace {

constexpr int kRefreshCollections = 103;

LPITEMIDLIST ParseFolder(const char* path) {
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return nullptr;
    WCHAR wide[MAX_PATH];
    LPITEMIDLIST pidl = nullptr;
    ULONG eaten = 0;
    ULONG attributes = SFGAO_FOLDER;
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) ||
        FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide, &eaten, &pidl, &attributes)) ||
        !(attributes & SFGAO_FOLDER)) {
        if (pidl)
            CoTaskMemFree(pidl);
        pidl = nullptr;
    }
    desktop->Release();
    return pidl;
}

} // namespace

HTREEITEM CFolderPaneTree::InsertCollectionsRoot() {
    CFolderTreeItemData* data = CreateItemData(kTreeMyCollections, 0);
    if (!data)
        return nullptr;
    CBTreeIndex* collections = g_applicationState.Databases().collections;
    bool any = false;
    if (collections) {
        plat::ScopedLock guard(g_applicationState.MainDatabaseLock());
        if (CBTreeCursor* cursor = collections->NewCursor(false)) {
            any = cursor->First();
            collections->ReleaseCursor(cursor);
        }
    }
    TVINSERTSTRUCTA insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>("My Collections");
    insert.item.iImage = g_myCollectionsIconIndex;
    insert.item.iSelectedImage = g_myCollectionsIconIndex;
    insert.item.cChildren = any ? 1 : 0;
    insert.item.lParam = reinterpret_cast<LPARAM>(data);
    m_collectionsRoot = reinterpret_cast<HTREEITEM>(
        ::SendMessageA(m_hWnd, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!m_collectionsRoot) {
        delete data;
        return nullptr;
    }
    RefreshCollections();
    return m_collectionsRoot;
}

void CFolderPaneTree::RefreshCollections() {
    if (!m_collectionsRoot)
        return;
    while (HTREEITEM child = TreeView_GetChild(m_hWnd, m_collectionsRoot))
        TreeView_DeleteItem(m_hWnd, child);
    std::vector<std::string> folders;
    CBTreeIndex* collections = g_applicationState.Databases().collections;
    if (collections) {
        plat::ScopedLock guard(g_applicationState.MainDatabaseLock());
        if (CBTreeCursor* cursor = collections->NewCursor(true)) {
            bool on = cursor->First();
            while (on) {
                char raw[MAX_PATH + 1] = "";
                DbBuffer key = DbBuffer::Out(raw, MAX_PATH);
                if (!cursor->GetKey(&key)) {
                    on = cursor->Next();
                    continue;
                }
                raw[std::min<uint32_t>(key.length, MAX_PATH)] = '\0';
                if (PathIsDirectoryA(raw)) {
                    folders.push_back(raw);
                    on = cursor->Next();
                } else {
                    // Erasing leaves the cursor on the entry that followed.
                    on = cursor->Erase() && cursor->OnEntry();
                }
            }
            collections->ReleaseCursor(cursor);
        }
        g_applicationState.Databases().Main().Flush();
    }
    for (const std::string& folder : folders)
        AddCollectionFolder(folder.c_str(), false);
    SortCollections();
}

bool CFolderPaneTree::AddCollectionFolder(const char* path, bool select) {
    if (!m_collectionsRoot || !path || !PathFileExistsA(path))
        return false;
    LPITEMIDLIST pidl = ParseFolder(path);
    if (!pidl)
        return false;
    HTREEITEM item = InsertShellItem(m_collectionsRoot, pidl, true);
    if (!item)
        return false;
    TVITEMA tv{};
    tv.mask = TVIF_CHILDREN;
    tv.hItem = m_collectionsRoot;
    tv.cChildren = 1;
    TreeView_SetItem(m_hWnd, &tv);
    if (select) {
        TreeView_Expand(m_hWnd, m_collectionsRoot, TVE_EXPAND);
        TreeView_SelectItem(m_hWnd, item);
    }
    return true;
}

void CFolderPaneTree::SortCollections() {
    if (m_collectionsRoot)
        TreeView_SortChildren(m_hWnd, m_collectionsRoot, FALSE);
}

std::string CFolderPaneTree::GetSelectedFolderPath() const {
    char path[MAX_PATH] = "";
    GetItemPathOf(TreeView_GetSelection(m_hWnd), path);
    return path;
}

void CFolderPaneTree::HistoryBack() {
    if (m_historyPosition + 1 >= m_history.size())
        return;
    ++m_historyPosition;
    TreeView_SelectItem(m_hWnd, m_history[m_historyPosition]);
}

void CFolderPaneTree::HistoryForward() {
    if (m_historyPosition == 0 || m_history.empty())
        return;
    --m_historyPosition;
    TreeView_SelectItem(m_hWnd, m_history[m_historyPosition]);
}

void CFolderPaneTree::SelectParent() {
    if (HTREEITEM parent = TreeView_GetParent(m_hWnd, TreeView_GetSelection(m_hWnd)))
        TreeView_SelectItem(m_hWnd, parent);
}

LRESULT CFolderPaneTree::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (LOWORD(wParam) == kRefreshCollections) {
        RefreshCollections();
        return 0;
    }
    if (!PaneCommand(LOWORD(wParam)))
        handled = FALSE;
    return 0;
}

LRESULT CFolderPaneTree::OnSelChanged(int, LPNMHDR header, BOOL& handled) {
    handled = FALSE; // the base keeps its current item
    HTREEITEM item = reinterpret_cast<const NMTREEVIEWA*>(header)->itemNew.hItem;
    if (!item || (!m_history.empty() && m_historyPosition < m_history.size() &&
                  m_history[m_historyPosition] == item))
        return 0;
    m_history.insert(m_history.begin(), item);
    m_historyPosition = 0;
    return 0;
}

LRESULT CFolderPaneTree::OnBeginLabelEdit(int, LPNMHDR header, BOOL&) {
    const NMTVDISPINFOA* info = reinterpret_cast<const NMTVDISPINFOA*>(header);
    // Top-level items are never renamed.
    return TreeView_GetParent(m_hWnd, info->item.hItem) == nullptr ? TRUE : FALSE;
}

LRESULT CFolderPaneTree::OnDeleteItem(int, LPNMHDR header, BOOL& handled) {
    handled = FALSE; // the base frees the record
    HTREEITEM item = reinterpret_cast<const NMTREEVIEWA*>(header)->itemOld.hItem;
    m_history.erase(std::remove(m_history.begin(), m_history.end(), item), m_history.end());
    if (m_historyPosition >= m_history.size())
        m_historyPosition = m_history.empty() ? 0 : m_history.size() - 1;
    if (item == m_collectionsRoot)
        m_collectionsRoot = nullptr;
    if (item == m_favoritesRoot)
        m_favoritesRoot = nullptr;
    if (item == m_searchRoot)
        m_searchRoot = nullptr;
    return 0;
}
