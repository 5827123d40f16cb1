// The folder tree's selection by source: a folder found by its ID list,
// walking down from an item through the folders on the way (a special
// folder near the top that lies deeper on disk is matched at its depth on
// disk), a path (UNC paths under Network), and a folder inside a zip archive.
#include <windows.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/file_item_list.h"
#include "explorer/folder_tree_ctrl.h"

namespace {

IShellFolder* Desktop() {
    static IShellFolder* desktop = nullptr;
    if (!desktop)
        SHGetDesktopFolder(&desktop);
    return desktop;
}

int IdCount(LPCITEMIDLIST pidl) {
    int count = 0;
    for (; pidl && pidl->mkid.cb; pidl = ILGetNext(pidl))
        ++count;
    return count;
}

// The ID list the desktop parses from path; with folder, only when it is
// a folder. Null when it does not parse.
LPITEMIDLIST Parse(const char* path, bool folder) {
    WCHAR wide[MAX_PATH];
    if (!Desktop() || !MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH))
        return nullptr;
    LPITEMIDLIST pidl = nullptr;
    ULONG eaten = 0;
    ULONG attributes = folder ? SFGAO_FOLDER : 0;
    if (FAILED(Desktop()->ParseDisplayName(nullptr, nullptr, wide, &eaten, &pidl,
                                           folder ? &attributes : nullptr)))
        return nullptr;
    if (folder && !(attributes & SFGAO_FOLDER)) {
        CoTaskMemFree(pidl);
        return nullptr;
    }
    return pidl;
}

std::string PathOf(LPCITEMIDLIST pidl) {
    char path[MAX_PATH] = "";
    if (!pidl || !SHGetPathFromIDListA(pidl, path))
        return {};
    return path;
}

bool SameItem(LPCITEMIDLIST a, LPCITEMIDLIST b) {
    const std::string pathA = PathOf(a), pathB = PathOf(b);
    if (!pathA.empty() && pathA == pathB)
        return true;
    if (!Desktop() || !a || !b)
        return false;
    const HRESULT r = Desktop()->CompareIDs(0, a, b);
    return SUCCEEDED(r) && HRESULT_CODE(r) == 0;
}

// The first `count` IDs of an ID list, as a list of their own.
LPITEMIDLIST Ancestor(LPCITEMIDLIST pidl, int count) {
    LPITEMIDLIST copy = ILClone(pidl);
    if (!copy)
        return nullptr;
    LPITEMIDLIST at = copy;
    for (int i = 0; i < count && at->mkid.cb; ++i)
        at = ILGetNext(at);
    at->mkid.cb = 0;
    return copy;
}

bool IsUnc(const char* path) {
    return path[0] == '\\' && path[1] == '\\';
}

std::string WithoutTrailingBackslash(std::string path) {
    while (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path;
}

} // namespace

bool CFolderTreeCtrl::SelectPidlUnder(LPCITEMIDLIST pidl, HTREEITEM start) {
    const CFolderTreeItemData* startData = ItemData(start);
    if (!pidl || !startData || startData->kind != kTreeShellFolder)
        return false;
    const int n = IdCount(pidl);
    std::vector<LPITEMIDLIST> ancestors;
    for (int depth = 1; depth <= n; ++depth)
        ancestors.push_back(Ancestor(pidl, depth));

    HTREEITEM level = start;
    HTREEITEM parent = nullptr; // the match whose children `level` begins
    bool refreshed = false;
    if (level == m_desktopItem) {
        TreeView_Expand(m_hWnd, level, TVE_EXPAND);
        parent = level;
        level = TreeView_GetChild(m_hWnd, level);
    }
    bool selected = false;
    while (level && !selected) {
        HTREEITEM match = nullptr;
        int matchDepth = 0;
        for (HTREEITEM item = level; item && !match; item = TreeView_GetNextSibling(m_hWnd, item)) {
            const CFolderTreeItemData* data = ItemData(item);
            if (!data || data->kind != kTreeShellFolder || !data->Pidl())
                continue;
            // A special folder is matched at its depth on disk when that is
            // deeper than its own ID list.
            int depth = IdCount(data->Pidl());
            if (depth > n)
                continue;
            const std::string path = PathOf(data->Pidl());
            if (!path.empty()) {
                if (LPITEMIDLIST parsed = Parse(path.c_str(), false)) {
                    depth = std::max(depth, IdCount(parsed));
                    CoTaskMemFree(parsed);
                }
            }
            if (depth < 1 || depth > n || !ancestors[depth - 1] ||
                !SameItem(data->Pidl(), ancestors[depth - 1]))
                continue;
            match = item;
            matchDepth = depth;
        }
        if (!match) {
            // Children listed before the folder was made do not hold it yet
            // when no watcher told the tree: they are listed once more.
            if (!parent || refreshed)
                break;
            FillChildren(parent, true);
            refreshed = true;
            level = TreeView_GetChild(m_hWnd, parent);
            continue;
        }
        TreeView_Expand(m_hWnd, match, TVE_EXPAND);
        if (matchDepth == n) {
            TreeView_SelectItem(m_hWnd, match);
            TreeView_EnsureVisible(m_hWnd, match);
            selected = true;
        } else {
            parent = match;
            refreshed = false;
            level = TreeView_GetChild(m_hWnd, match);
            if (!level) {
                FillChildren(parent, true);
                refreshed = true;
                level = TreeView_GetChild(m_hWnd, parent);
            }
        }
    }
    for (LPITEMIDLIST ancestor : ancestors)
        CoTaskMemFree(ancestor);
    return selected;
}

bool CFolderTreeCtrl::SelectPidl(LPCITEMIDLIST pidl) {
    for (HTREEITEM item = TreeView_GetRoot(m_hWnd); item;
         item = TreeView_GetNextSibling(m_hWnd, item))
        if (SelectPidlUnder(pidl, item))
            return true;
    return false;
}

bool CFolderTreeCtrl::SelectNetworkPidl(LPCITEMIDLIST pidl) {
    LPITEMIDLIST network = nullptr;
    if (!pidl || FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_NETWORK, &network)))
        return false;
    HTREEITEM root = nullptr;
    for (HTREEITEM item = TreeView_GetRoot(m_hWnd); item && !root;
         item = TreeView_GetNextSibling(m_hWnd, item)) {
        const CFolderTreeItemData* data = ItemData(item);
        if (data && data->kind == kTreeShellFolder && data->Pidl() &&
            SameItem(data->Pidl(), network))
            root = item;
    }
    CoTaskMemFree(network);
    if (!root)
        return false;
    TreeView_Expand(m_hWnd, root, TVE_EXPAND);
    const std::string path = PathOf(pidl);
    HTREEITEM found = nullptr;
    for (HTREEITEM child = TreeView_GetChild(m_hWnd, root); child && !found;
         child = TreeView_GetNextSibling(m_hWnd, child)) {
        const CFolderTreeItemData* data = ItemData(child);
        if (data && data->kind == kTreeShellFolder && data->Pidl() &&
            ((!path.empty() && PathOf(data->Pidl()) == path) || SameItem(data->Pidl(), pidl)))
            found = child;
    }
    if (!found) {
        LPITEMIDLIST copy = ILClone(pidl);
        if (!copy || !(found = InsertShellItem(root, copy, false)))
            return false;
    }
    TreeView_SelectItem(m_hWnd, found);
    TreeView_EnsureVisible(m_hWnd, found);
    return true;
}

bool CFolderTreeCtrl::SelectItemSource(int kind, uintptr_t source) {
    if (kind == 0) {
        const char* path = reinterpret_cast<const char*>(source);
        if (!path || !*path)
            return false;
        const bool unc = IsUnc(path);
        if (!unc && !PathFileExistsA(path))
            return false;
        char folder[MAX_PATH];
        lstrcpynA(folder, path, MAX_PATH);
        if (!unc && !PathIsDirectoryA(path))
            PathRemoveFileSpecA(folder);
        // The folder already selected answers at once. Compared as the
        // folder to select, so that a sub-folder of the selected one is
        // still selected.
        char selected[MAX_PATH];
        if (GetItemPathOf(TreeView_GetSelection(m_hWnd), selected) &&
            WithoutTrailingBackslash(selected) == WithoutTrailingBackslash(folder))
            return true;
        LPITEMIDLIST pidl = Parse(folder, true);
        if (!pidl)
            return false;
        const bool answer = unc ? SelectNetworkPidl(pidl) : SelectPidl(pidl);
        CoTaskMemFree(pidl);
        return answer;
    }
    if (kind == 1) {
        const auto* location = reinterpret_cast<const CArchiveLocation*>(source);
        if (!location || location->archivePath.empty())
            return false;
        const std::string key = location->innerPath.empty()
                                    ? location->archivePath
                                    : location->archivePath + "|" + location->innerPath;
        const CFolderTreeItemData* data = ItemData(TreeView_GetSelection(m_hWnd));
        if (data && data->kind == kTreeArchive && data->Text() && key == data->Text())
            return true;
        for (HTREEITEM item = TreeView_GetRoot(m_hWnd); item; item = NextInTree(item)) {
            data = ItemData(item);
            if (data && data->kind == kTreeArchive && data->Text() && key == data->Text()) {
                TreeView_EnsureVisible(m_hWnd, item);
                TreeView_SelectItem(m_hWnd, item);
                return true;
            }
        }
    }
    return false;
}
