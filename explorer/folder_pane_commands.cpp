// The folder pane tree's own roots and commands: the Favorites and Search
// Result roots, the favorites folders listed when they open, the context
// menu of each kind of item, and the commands on My Collections, its
// entries, the favorites folders and Search Result. Shell folders go on to
// the folder tree's file commands.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>
#include <utility>
#include <vector>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/collection_record.h"
#include "app/file_item_list.h"
#include "explorer/collection_dialogs.h"
#include "explorer/drop_formats.h"
#include "explorer/folder_pane_tree.h"
#include "explorer/logic/folder_rules.h"
#include "explorer/logic/tree_rules.h"
#include "ui/wait_cursor.h"

using explorer_file_commands::MenuEntry;

namespace {

const char kCaption[] = "Velmorantix XP";

bool SameNameNoCase(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_EQUAL;
}

int32_t FavoritesId(const CFolderTreeItemData* data) {
    return static_cast<int32_t>(static_cast<intptr_t>(data->data));
}

HTREEITEM InsertRoot(HWND tree, const char* text, int image, int children,
                     CFolderTreeItemData* data, HTREEITEM parent = TVI_ROOT) {
    if (!data)
        return nullptr;
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    insert.item.cChildren = children;
    insert.item.lParam = reinterpret_cast<LPARAM>(data);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        ::SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item)
        delete data;
    return item;
}

} // namespace

// --- roots and favorites folders ---------------------------------------------------

HTREEITEM CFolderPaneTree::InsertFavoritesRoot() {
    CCollectionRecord root(0);
    const bool children = g_applicationState.LoadFavoritesFolder(root) && !root.childKeys.empty();
    m_favoritesRoot = InsertRoot(m_hWnd, "Favorites", g_favoritesIconIndex, children ? 1 : 0,
                                 CreateItemData(kTreeFavorites, 0));
    return m_favoritesRoot;
}

HTREEITEM CFolderPaneTree::InsertFavoritesFolder(const CCollectionRecord& record,
                                                 HTREEITEM parent) {
    const uintptr_t id = static_cast<uintptr_t>(static_cast<intptr_t>(record.key));
    return InsertRoot(m_hWnd, record.name.c_str(), g_favoritesIconIndex,
                      record.childKeys.empty() ? 0 : 1, CreateItemData(kTreeFavorites, id), parent);
}

HTREEITEM CFolderPaneTree::InsertSearchResultRoot(uintptr_t key) {
    // The record keeps the real key of the list, so the root shows the
    // explorer's own results whatever the counter stood at.
    m_searchRoot = InsertRoot(m_hWnd, "Search Result", g_searchResultIconIndex, 0,
                              CreateItemData(kTreeSearchResult, key));
    return m_searchRoot;
}

void CFolderPaneTree::ListFavoritesFolder(HTREEITEM item) {
    const CFolderTreeItemData* data = ItemData(item);
    if (!data || data->kind != kTreeFavorites)
        return;
    CWaitCursor wait;
    ::SendMessageA(m_hWnd, WM_SETREDRAW, FALSE, 0);
    CCollectionRecord record(FavoritesId(data));
    if (g_applicationState.LoadFavoritesFolder(record) && !record.childKeys.empty()) {
        SetChildrenFlag(item, 1);
        for (int32_t id : record.childKeys) {
            CCollectionRecord child(id);
            if (id != record.key && g_applicationState.LoadFavoritesFolder(child))
                InsertFavoritesFolder(child, item);
        }
    }
    ::SendMessageA(m_hWnd, WM_SETREDRAW, TRUE, 0);
}

LRESULT CFolderPaneTree::OnItemExpanding(int, LPNMHDR header, BOOL& handled) {
    const NMTREEVIEWA* nm = reinterpret_cast<const NMTREEVIEWA*>(header);
    HTREEITEM item = nm->itemNew.hItem;
    if (!(nm->action & TVE_EXPAND)) {
        handled = FALSE; // collapsing is the folder tree's
        return FALSE;
    }
    // Items that were listed once keep their children; My Collections lists
    // its own.
    if (TreeView_GetChild(m_hWnd, item) || item == m_collectionsRoot)
        return FALSE;
    const CFolderTreeItemData* data = ItemData(item);
    if (data && data->kind == kTreeFavorites) {
        ListFavoritesFolder(item);
        return FALSE;
    }
    handled = FALSE;
    return FALSE;
}

// --- the context menu ------------------------------------------------------------------

LRESULT CFolderPaneTree::OnRightClick(int, LPNMHDR, BOOL&) {
    POINT at{};
    ::GetCursorPos(&at);
    TVHITTESTINFO hit{};
    hit.pt = at;
    ::ScreenToClient(m_hWnd, &hit.pt);
    // The item of the row under the cursor, wherever on the row.
    HTREEITEM item = TreeView_HitTest(m_hWnd, &hit);
    if (!item)
        return TRUE;
    SetCurrentItem(item);
    const CFolderTreeItemData* data = ItemData(item);
    if (!data)
        return TRUE;
    explorer_tree_rules::TreeMenuItem menuItem;
    menuItem.kind = data->kind;
    menuItem.favoritesRoot = data->kind == kTreeFavorites && data->data == 0;
    char path[MAX_PATH] = "";
    if (data->kind == kTreeShellFolder && GetItemPathOf(item, path)) {
        menuItem.exists = PathFileExistsA(path) != FALSE;
        menuItem.driveRoot = PathIsRootA(path) != FALSE;
        menuItem.inCollections = g_applicationState.IsInMyCollections(path);
    }
    const std::vector<MenuEntry> entries = explorer_tree_rules::TreeContextMenu(menuItem);
    HMENU menu = ::CreatePopupMenu();
    for (const MenuEntry& e : entries) {
        if (e.id == 0)
            ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        else
            ::AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(e.id), e.text);
    }
    if (!entries.empty())
        ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, m_hWnd, nullptr);
    ::DestroyMenu(menu);
    return TRUE;
}

// --- keys and label edits -----------------------------------------------------------

LRESULT CFolderPaneTree::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam != VK_DELETE) {
        handled = FALSE;
        return 0;
    }
    HTREEITEM selected = TreeView_GetSelection(m_hWnd);
    if (selected && TreeView_GetParent(m_hWnd, selected)) {
        SetCurrentItem(selected);
        ::SendMessageA(m_hWnd, WM_COMMAND, ID_TREE_DELETE, 0);
    } else {
        SetCurrentItem(nullptr);
    }
    return 0;
}

LRESULT CFolderPaneTree::OnEndLabelEdit(int, LPNMHDR header, BOOL& handled) {
    const NMTVDISPINFOA* info = reinterpret_cast<const NMTVDISPINFOA*>(header);
    const CFolderTreeItemData* data = ItemData(info->item.hItem);
    if (!data || data->kind != kTreeFavorites) {
        handled = FALSE; // a folder on disk: the folder tree renames it
        return FALSE;
    }
    if (!info->item.pszText || !info->item.pszText[0])
        return FALSE;
    const std::string text = info->item.pszText;
    CCollectionRecord record(FavoritesId(data));
    if (!g_applicationState.LoadFavoritesFolder(record))
        return FALSE;
    // An edit that ends without a change (the list view hands the text on
    // even when it is left as it was) renames nothing.
    if (text == record.name)
        return FALSE;
    // The item itself, its parent and the parent's folders, by id and name.
    std::vector<std::pair<int32_t, std::string>> others;
    others.emplace_back(record.key, record.name);
    CCollectionRecord parent(record.parentKey);
    if (record.parentKey >= 0 && g_applicationState.LoadFavoritesFolder(parent)) {
        others.emplace_back(parent.key, parent.name);
        for (int32_t id : parent.childKeys) {
            CCollectionRecord sibling(id);
            if (g_applicationState.LoadFavoritesFolder(sibling))
                others.emplace_back(sibling.key, sibling.name);
        }
    }
    for (const auto& other : others) {
        if (other.first != 0 && SameNameNoCase(other.second, text)) {
            const std::string message =
                "Cannot rename " + record.name +
                ": A Favorite folder with the name you specified already exists.  Specify a "
                "different file name.";
            ShowMessageBox(message.c_str(), "Error Renaming Favorite Folder", MB_OK | MB_ICONERROR);
            ::PostMessageA(m_hWnd, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(info->item.hItem));
            return FALSE;
        }
    }
    record.name = text;
    return g_applicationState.StoreFavorites(record) ? TRUE : FALSE;
}

// --- commands --------------------------------------------------------------------------------

bool CFolderPaneTree::IsCollectionEntry(HTREEITEM item) const {
    return item && m_collectionsRoot && TreeView_GetParent(m_hWnd, item) == m_collectionsRoot;
}

bool CFolderPaneTree::PaneCommand(UINT id) {
    const HTREEITEM current = CurrentItem();
    const HTREEITEM item = CommandItem();
    const CFolderTreeItemData* data = ItemData(item);
    const int kind = data ? data->kind : -1;
    switch (id) {
    case ID_SEARCH_CLEAR:
        if (m_searchRoot)
            if (const CFolderTreeItemData* search = ItemData(m_searchRoot))
                g_applicationState.ClearResultList(search->data);
        return true;
    case ID_TREE_PROPERTIES:
        if (current && kind == kTreeShellFolder)
            ShowFolderProperties(current);
        return true;
    case ID_TREE_REFRESH:
        if (current && kind == kTreeShellFolder)
            FillChildren(current, true);
        return true;
    case ID_TREE_ADD_TO_COLLECTIONS:
        if (current && kind != kTreeFavorites)
            AddToCollections(current);
        return true;
    case ID_TREE_NEW_FOLDER:
        if (item && item == m_collectionsRoot) {
            NewCollection();
            return true;
        }
        if (kind == kTreeFavorites) {
            NewFavoritesFolder(item);
            return true;
        }
        return false;
    case ID_TREE_DELETE:
        if (!current)
            return true;
        if (!TreeView_GetParent(m_hWnd, current)) {
            SetCurrentItem(nullptr);
            return true;
        }
        if (IsCollectionEntry(current)) {
            DeleteCollectionEntry(current);
            return true;
        }
        if (kind == kTreeFavorites) {
            DeleteFavoritesFolder(current);
            return true;
        }
        return false;
    case ID_EDIT_COPY:
    case ID_EDIT_CUT:
        return kind == kTreeMyCollections || kind == kTreeFavorites || kind == kTreeSearchResult;
    case ID_EDIT_PASTE:
        if (kind == kTreeMyCollections || kind == kTreeFavorites) {
            PasteOnPaneItem(item);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void CFolderPaneTree::ShowFolderProperties(HTREEITEM item) {
    char path[MAX_PATH] = "";
    if (!GetItemPathOf(item, path) || !path[0])
        return;
    CImageAttributes attributes;
    attributes.path = path;
    g_applicationState.LoadFolderAttributes(attributes);
    CFolderPropertiesDialog dialog(&attributes);
    if (dialog.DoModal(::GetActiveWindow()) == IDOK)
        g_applicationState.SaveFolderAttributes(attributes);
}

void CFolderPaneTree::AddToCollections(HTREEITEM item) {
    std::string folder;
    if (item == m_collectionsRoot) {
        CAddToCollectionsDialog dialog;
        if (dialog.DoModal(::GetActiveWindow()) != IDOK)
            return;
        folder = dialog.path;
        if (PathIsRelativeA(folder.c_str())) {
            char joined[MAX_PATH];
            if (!PathCombineA(joined, g_applicationState.Options().explorerMyCollectionsFolder,
                              folder.c_str()))
                return;
            folder = joined;
        }
    } else {
        char path[MAX_PATH] = "";
        if (!GetItemPathOf(item, path))
            return;
        folder = path;
    }
    const bool added = g_applicationState.AddToMyCollections(folder.c_str(), m_secondaryTree);
    if (added)
        AddCollectionFolder(folder.c_str(), false);
    if (m_collectionsRoot) {
        TreeView_SortChildren(m_hWnd, m_collectionsRoot, FALSE);
        TreeView_Expand(m_hWnd, m_collectionsRoot, TVE_EXPAND);
    }
    if (added)
        ShowMessageBox("The item(s) have been added to My Collections", "Add to My Collections",
                       MB_OK | MB_ICONINFORMATION);
}

void CFolderPaneTree::NewCollection() {
    CCreateCollectionDialog dialog;
    lstrcpynA(dialog.location, g_applicationState.Options().explorerMyCollectionsFolder, MAX_PATH);
    if (dialog.DoModal(::GetActiveWindow()) == IDOK) {
        if (!::CreateDirectoryA(dialog.fullPath, nullptr)) {
            const std::string message = std::string("Cannot create folder: ") + dialog.fullPath;
            ShowMessageBox(message.c_str(), kCaption, MB_OK | MB_ICONERROR);
        } else {
            if (g_applicationState.AddToMyCollections(dialog.fullPath, m_secondaryTree))
                AddCollectionFolder(dialog.fullPath, true);
            if (m_collectionsRoot)
                TreeView_Expand(m_hWnd, m_collectionsRoot, TVE_EXPAND);
        }
    }
    SetCurrentItem(nullptr);
}

void CFolderPaneTree::NewFavoritesFolder(HTREEITEM item) {
    const CFolderTreeItemData* data = ItemData(item);
    SetChildrenFlag(item, 1);
    TreeView_Expand(m_hWnd, item, TVE_EXPAND);
    CCollectionRecord parent(FavoritesId(data));
    if (!g_applicationState.LoadFavoritesFolder(parent))
        return;
    std::vector<std::string> names;
    for (int32_t id : parent.childKeys) {
        CCollectionRecord child(id);
        if (g_applicationState.LoadFavoritesFolder(child))
            names.push_back(child.name);
    }
    const std::string name = FirstFreeFolderName([&](const std::string& candidate) {
        for (const std::string& n : names)
            if (SameNameNoCase(n, candidate))
                return true;
        return false;
    });
    if (name.empty())
        return;
    CCollectionRecord record;
    record.parentKey = parent.key;
    record.name = name;
    if (!g_applicationState.StoreFavorites(record))
        return;
    HTREEITEM added = InsertFavoritesFolder(record, item);
    parent.childKeys.push_back(record.key);
    g_applicationState.StoreFavorites(parent);
    if (!added)
        return;
    SetCurrentItem(added);
    TreeView_SelectItem(m_hWnd, added);
    TreeView_EnsureVisible(m_hWnd, added);
    ::SendMessageA(m_hWnd, WM_COMMAND, ID_TREE_RENAME, 0);
}

void CFolderPaneTree::DeleteCollectionEntry(HTREEITEM item) {
    if (ShowMessageBox("Are you sure you want to delete this entry in My Collections?\n"
                       "Deleting this folder only removes an entry from My Collections.  It does "
                       "not delete the original folder.",
                       "Delete Confirmation", MB_ICONQUESTION | MB_OKCANCEL) == IDCANCEL)
        return;
    char path[MAX_PATH] = "";
    if (GetItemPathOf(item, path) && g_applicationState.RemoveFromMyCollections(path))
        TreeView_DeleteItem(m_hWnd, item);
}

void CFolderPaneTree::DeleteFavoritesFolder(HTREEITEM item) {
    const CFolderTreeItemData* data = ItemData(item);
    const int32_t id = FavoritesId(data);
    // Asks first, then removes the folder with its sub-folders from the
    // catalogue and from its parent's record.
    if (!g_applicationState.DeleteFavoritesFolder(id, true))
        return;
    g_applicationState.OnFolderRemoved(kListFavorites,
                                       reinterpret_cast<const char*>(static_cast<intptr_t>(id)));
    TreeView_DeleteItem(m_hWnd, item);
}

void CFolderPaneTree::PasteOnPaneItem(HTREEITEM item) {
    IDataObject* clip = nullptr;
    if (FAILED(::OleGetClipboard(&clip)) || !clip)
        return;
    const bool move = PreferredEffectMoves(clip);
    // Files when the clipboard has them, else favorites of another folder.
    for (UINT format : {static_cast<UINT>(CF_HDROP), g_favoritesClipboardFormat}) {
        FORMATETC etc{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1,
                      TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (FAILED(clip->GetData(&etc, &medium)))
            continue;
        if (medium.tymed == TYMED_HGLOBAL)
            DropOnPaneItem(item, etc.cfFormat, &medium, !move);
        ::ReleaseStgMedium(&medium);
        break;
    }
    clip->Release();
}
