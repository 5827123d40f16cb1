// The explorer's rename commands: Rename (312 and the list's 32798) renames
// the tree's item when the tree has the focus, else edits the label of the
// one selected thumbnail or batch-renames several; Batch Rename (368) needs
// more than one. The end of a label edit renames the file.
#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include <cstring>

#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "explorer/main_frame.h"
#include "tools/rename_dialogs.h"

namespace {

// The selection's full paths, in list order (items whose path does not fit
// are left out).
std::vector<std::string> ListedPaths(CFileItemList* list, const std::vector<int>& indexes) {
    std::vector<std::string> paths;
    if (!list)
        return paths;
    list->Lock();
    for (int index : indexes) {
        char path[MAX_PATH] = "";
        if (list->GetItemPath(index, path))
            paths.emplace_back(path);
    }
    list->Unlock();
    return paths;
}

} // namespace

LRESULT CMainFrame::OnRenameCommand(WORD, WORD id, HWND, BOOL&) {
    if (id != ID_TOOLS_BATCH_RENAME && m_tree.m_hWnd && ::GetFocus() == m_tree.m_hWnd) {
        ::SendMessageA(m_tree.m_hWnd, WM_COMMAND, ID_TREE_RENAME, 0);
        return 0;
    }
    CFileItemList* shown = m_list.ItemSource();
    if (!shown || shown->IsArchiveList() || !m_list.m_hWnd)
        return 0;
    std::vector<int> selected;
    m_list.GetSelectedIndices(&selected);
    if (selected.size() == 1 && id != ID_TOOLS_BATCH_RENAME) {
        ::SetFocus(m_list.m_hWnd);
        ListView_EditLabel(m_list.m_hWnd, selected.front());
        return 0;
    }
    if (selected.size() < 2)
        return 0;
    PromptSaveChanges();
    // A folder list renames into its folder; the other lists keep each file
    // in its own.
    const std::string folder = shown->IsFolderList() ? shown->GetFolder() : "";
    const std::vector<std::string> paths = ListedPaths(shown, selected);
    HWND owner = ::GetActiveWindow();
    if (RunBatchRename(owner ? owner : m_hWnd, paths, folder))
        RefreshPanes(false);
    return 0;
}

LRESULT CMainFrame::OnEndLabelEdit(NMLVDISPINFOA* info) {
    CFileItemList* shown = m_list.ItemSource();
    if (!info->item.pszText || !shown || shown->IsArchiveList())
        return FALSE;
    char oldPath[MAX_PATH] = "";
    shown->Lock();
    const bool found = shown->GetItemPath(info->item.iItem, oldPath);
    shown->Unlock();
    if (!found)
        return FALSE;
    // The typed name keeps the file's own extension in place of any typed.
    const std::string typed = info->item.pszText;
    const std::string folder =
        shown->IsFolderList() ? std::string(shown->GetFolder()) : batch_rename::FolderOf(oldPath);
    const char* oldName = PathFindFileNameA(oldPath);
    const char* oldDot = std::strrchr(oldName, '.');
    const std::string oldExtension = oldDot && oldDot != oldName ? oldDot : "";
    std::string stem = typed;
    const size_t dot = stem.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        stem.resize(dot);
    const std::string newPath = batch_rename::Join(folder, stem + oldExtension);
    if (newPath == oldPath)
        return FALSE;
    if (!CheckNewName(oldPath, typed, newPath)) {
        // The editor closes; it opens again on the same item to try again.
        ::PostMessageA(m_list.m_hWnd, LVM_EDITLABELA, info->item.iItem, 0);
        return FALSE;
    }
    g_applicationState.BeginFolderUpdate();
    const bool renamed = g_applicationState.RenameFile(newPath.c_str(), oldPath, true);
    if (renamed)
        RefreshPanes(false);
    g_applicationState.EndFolderUpdate();
    // The rename's notice has relabelled the item with the file's new name;
    // the editor's text may differ from it (another extension typed), and
    // accepting it would show a name the file does not have.
    return renamed && typed == PathFindFileNameA(newPath.c_str()) ? TRUE : FALSE;
}
