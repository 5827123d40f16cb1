// The explorer frame and its folder tree's drives: device changes go on to
// the tree, which watches the drives and announces the ones added; and the
// keys that open the Favorites root.
#include <windows.h>

#include "explorer/main_frame.h"

LRESULT CMainFrame::OnDeviceChange(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
    if (m_tree.m_hWnd)
        return ::SendMessageA(m_tree.m_hWnd, message, wParam, lParam);
    return TRUE;
}

void CMainFrame::SelectFavoritesRoot() {
    if (!m_tree.m_hWnd)
        return;
    ::SetFocus(m_tree.m_hWnd);
    m_tree.SelectItemSource(kTreeFavorites, 0);
}

LRESULT CMainFrame::OnGoFavorites(WORD, WORD, HWND, BOOL&) {
    SelectFavoritesRoot();
    return 0;
}
