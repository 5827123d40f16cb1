// The explorer frame and its folder pane tree: the tree's roots, its notices
// of drives and of folders created, deleted, renamed or moved (the catalogue
// and the item lists follow them), the notices Browse for Folder passes on
// from its own tree, and Back, Forward and Up through the tree's history.
#include <windows.h>

#include <shlwapi.h>

#include <string>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/file_item_list.h"
#include "explorer/main_frame.h"

namespace {

std::string Joined(const char* folder, const char* name) {
    char path[MAX_PATH];
    if (!folder || !name || !PathCombineA(path, folder, name))
        return {};
    return path;
}

const char* Text(uintptr_t field) {
    return reinterpret_cast<const char*>(field);
}

bool NtFamilyPlatform() {
    return g_applicationState.VersionInfo().dwPlatformId == VER_PLATFORM_WIN32_NT;
}

} // namespace

void CMainFrame::FillTree() {
    if (!m_tree.m_hWnd)
        return;
    m_tree.SetNotifyWindow(m_hWnd);
    m_tree.InsertCollectionsRoot();
    m_tree.InsertFavoritesRoot();
    m_tree.InsertSpecialFolder(CSIDL_PERSONAL, nullptr);
    m_computerRoot = m_tree.InsertSpecialFolder(CSIDL_DRIVES, nullptr);
    m_tree.InsertSpecialFolder(CSIDL_NETWORK, nullptr);
    InsertSearchResultRoot();
}

void CMainFrame::InsertSearchResultRoot() {
    if (!m_tree.m_hWnd)
        return;
    if (!m_searchList)
        m_searchList = g_applicationState.NewSearchResultList();
    if (m_searchList)
        m_searchRoot = m_tree.InsertSearchResultRoot(m_searchList->GetKeyValue());
}

LRESULT CMainFrame::OnTreeNotice(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || header->idFrom != 0 || header->code < FTN_DRIVEADDED ||
        header->code > FTN_ENDOPERATION) {
        handled = FALSE;
        return 0;
    }
    const FolderTreeNotice* notice = reinterpret_cast<const FolderTreeNotice*>(header);
    const bool fromOwnTree = header->hwndFrom == m_tree.m_hWnd;
    // Without the tree's own watcher, changes made through another tree
    // reach this one as its private messages.
    const bool passOn = !fromOwnTree && !NtFamilyPlatform() && m_tree.m_hWnd;
    switch (header->code) {
    case FTN_DRIVEADDED:
        if (fromOwnTree)
            OnDriveAdded(header);
        break;
    case FTN_DRIVEREMOVED: {
        char root[4] = "";
        if (notice->fourth < 26 && PathBuildRootA(root, static_cast<int>(notice->fourth)))
            g_applicationState.Watcher().StopWatching(root);
        break;
    }
    case FTN_DRIVECHANGED:
        UpdateCaption();
        UpdateAddressBar();
        break;
    case FTN_FOLDERCREATED:
        if (passOn)
            ::SendMessageA(m_tree.m_hWnd, FTM_ITEMADDED, notice->first, notice->second);
        break;
    case FTN_FOLDERDELETED: {
        const std::string path = Joined(Text(notice->first), Text(notice->second));
        if (path.empty())
            break;
        // The list that vanished is the deleted folder's own.
        g_applicationState.OnFolderRemoved(kListFolder, path.c_str());
        g_applicationState.DeleteFolderData(path.c_str());
        if (passOn)
            ::SendMessageA(m_tree.m_hWnd, FTM_ITEMREMOVED, notice->first, notice->second);
        break;
    }
    case FTN_FOLDERRENAMED:
    case FTN_FOLDERMOVED: {
        std::string oldPath, newPath;
        if (header->code == FTN_FOLDERRENAMED) {
            oldPath = Joined(Text(notice->first), Text(notice->second));
            newPath = Joined(Text(notice->first), Text(notice->third));
        } else if (notice->second && notice->third) {
            oldPath = Text(notice->second);
            newPath = Text(notice->third);
        }
        if (oldPath.empty() || newPath.empty())
            break;
        g_applicationState.RenameFolderData(oldPath.c_str(), newPath.c_str());
        g_applicationState.OnFolderRenamed(oldPath.c_str(), newPath.c_str());
        g_applicationState.RenameInMyCollections(oldPath.c_str(), newPath.c_str());
        if (passOn)
            ::SendMessageA(m_tree.m_hWnd,
                           header->code == FTN_FOLDERRENAMED ? FTM_ITEMRENAMED : FTM_ITEMMOVED,
                           reinterpret_cast<WPARAM>(oldPath.c_str()),
                           reinterpret_cast<LPARAM>(newPath.c_str()));
        break;
    }
    case FTN_BEGINOPERATION:
    case FTN_ENDOPERATION: {
        ItemListChange change{nullptr, nullptr,
                              header->code == FTN_BEGINOPERATION ? kListChangeBatchBegin
                                                                 : kListChangeBatchEnd};
        ::SendMessageA(m_hWnd, kMsgItemListChanged, reinterpret_cast<WPARAM>(&change), 0);
        break;
    }
    default:
        break;
    }
    return 0;
}

LRESULT CMainFrame::OnPassedTreeNotice(UINT message, WPARAM wParam, LPARAM, BOOL&) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(wParam);
    if (header && header->code == message)
        ::SendMessageA(m_hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(header));
    return 0;
}

LRESULT CMainFrame::OnHistoryCommand(WORD, WORD id, HWND, BOOL&) {
    if (!m_tree.m_hWnd)
        return 0;
    // The tree checks the same bounds as the command states.
    if (id == ID_GO_BACK)
        m_tree.HistoryBack();
    else if (id == ID_GO_FORWARD)
        m_tree.HistoryForward();
    else
        m_tree.SelectParent();
    return 0;
}

LRESULT CMainFrame::OnAppCommand(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    const int command = GET_APPCOMMAND_LPARAM(lParam);
    if (command == APPCOMMAND_BROWSER_BACKWARD) {
        m_tree.HistoryBack();
        return TRUE;
    }
    if (command == APPCOMMAND_BROWSER_FORWARD) {
        m_tree.HistoryForward();
        return TRUE;
    }
    if (command == APPCOMMAND_BROWSER_FAVORITES) {
        SelectFavoritesRoot();
        return TRUE;
    }
    // The other keys are the frame's own commands.
    handled = FALSE;
    return 0;
}
