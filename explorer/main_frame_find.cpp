// The explorer's Find command and its "Search Result" root: the frame keeps
// one search-result list for its whole life, shows it under the root, and
// owns the modeless find dialog from its first use until the dialog reports
// that its window is gone.
#include <windows.h>
#include <commctrl.h>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/file_item_list.h"
#include "explorer/find_dialog.h"
#include "explorer/main_frame.h"

bool CMainFrame::IsSearchRunning() const {
    return m_findDialog && m_findDialog->IsSearching();
}

LRESULT CMainFrame::OnFind(WORD, WORD, HWND, BOOL&) {
    if (!m_findDialog) {
        const uintptr_t key = m_searchList ? m_searchList->GetKeyValue() : 0;
        m_findDialog = new (std::nothrow) CFindDialog(key, m_tree.m_hWnd, m_searchRoot);
        if (!m_findDialog)
            return 0;
        if (!m_findDialog->Create(m_hWnd)) {
            delete m_findDialog;
            m_findDialog = nullptr;
            return 0;
        }
    }
    char folder[MAX_PATH] = "";
    HTREEITEM selected = m_tree.m_hWnd ? TreeView_GetSelection(m_tree.m_hWnd) : nullptr;
    CFolderTreeItemData* data = selected ? m_tree.ItemData(selected) : nullptr;
    if (data && data->kind == kTreeShellFolder &&
        CFolderTreeCtrl::GetItemPath(data->Pidl(), folder))
        m_findDialog->SetLookIn(folder);
    m_findDialog->Show();
    return 0;
}

LRESULT CMainFrame::OnFindClosed(UINT, WPARAM wParam, LPARAM, BOOL&) {
    if (m_findDialog && reinterpret_cast<CFindDialog*>(wParam) == m_findDialog) {
        delete m_findDialog;
        m_findDialog = nullptr;
    }
    return 0;
}

void CMainFrame::CloseFindDialog() {
    // Destroying the window stops the search and waits for its thread; the
    // notice it posts back can no longer arrive, so the object goes here.
    delete m_findDialog;
    m_findDialog = nullptr;
    if (m_searchList) {
        g_applicationState.ReleaseFileItemList(m_searchList);
        m_searchList = nullptr;
    }
}
