#include "explorer/framed_list_wnd.h"

#include <commctrl.h>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "explorer/list_view_class.h"
#include "explorer/logic/folder_rules.h"

CFramedListWnd::~CFramedListWnd() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

HWND CFramedListWnd::Create(HWND owner) {
    // The list view answers every message the popup leaves to it.
    if (!RegisterListViewSuperclass(kClassName))
        return nullptr;
    HWND window = CreateWindowExA(0, kClassName, nullptr, WS_POPUP | WS_BORDER | WS_DISABLED, 0, 0,
                                  0, 0, owner, nullptr, UiModuleInstance(), nullptr);
    if (!window)
        return nullptr;
    if (!SubclassWindow(window)) {
        ::DestroyWindow(window);
        return nullptr;
    }
    // What WM_CREATE would do: the window was bound after it.
    const RECT none{0, 0, 0, 0};
    if (!m_list.Create(m_hWnd, none,
                       WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | LVS_NOSCROLL,
                       0)) {
        ::DestroyWindow(m_hWnd);
        return nullptr;
    }
    m_list.SetImageOnlyMode();
    const COLORREF colour = g_applicationState.Options().folderPreviewThumbnailColor;
    m_list.SetBackgroundColor(colour); // the text background too
    SetIconSpacing();
    return m_hWnd;
}

void CFramedListWnd::ReleaseSource() {
    if (m_list.m_hWnd)
        m_list.SetItemSource(nullptr);
}

LRESULT CFramedListWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    ReleaseSource();
    return 0;
}

LRESULT CFramedListWnd::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (m_list.m_hWnd)
        ::MoveWindow(m_list.m_hWnd, 2, 2, LOWORD(lParam) - 4, HIWORD(lParam) - 4, TRUE);
    return 0;
}

LRESULT CFramedListWnd::OnEraseBackground(UINT, WPARAM wParam, LPARAM, BOOL&) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    ::SetBkColor(dc, g_applicationState.Options().folderPreviewFrameColor);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
    return 1;
}

void CFramedListWnd::GetPreferredSize(int* width, int* height) const {
    const CAppOptions& options = g_applicationState.Options();
    CFileItemList* source = m_list.ItemSource();
    const PreviewSize size = FolderPreviewSize(
        source ? source->GetItemCount() : 0, static_cast<int32_t>(options.folderPreviewThumbnails),
        ThumbnailSide(options.explorerThumbnailWidth),
        ThumbnailSide(options.explorerThumbnailHeight));
    *width = size.width;
    *height = size.height;
}

void CFramedListWnd::SetItemSource(CFileItemList* list) {
    if (!m_hWnd) {
        if (list)
            g_applicationState.ReleaseFileItemList(list);
        return;
    }
    m_list.SetItemSource(list);
    if (!m_list.ItemSource())
        return;
    int width = 0, height = 0;
    GetPreferredSize(&width, &height);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, width, height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    ::MoveWindow(m_list.m_hWnd, 2, 2, client.right - 4, client.bottom - 4, TRUE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CFramedListWnd::ShowAt(int x, int y) {
    if (!m_hWnd)
        return;
    m_list.ResumeWorker();
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
}

void CFramedListWnd::Hide() {
    if (m_hWnd)
        ::ShowWindow(m_hWnd, SW_HIDE);
}

void CFramedListWnd::SetIconSpacing() {
    const CAppOptions& options = g_applicationState.Options();
    ::SendMessageA(m_list.m_hWnd, LVM_SETICONSPACING, 0,
                   MAKELPARAM(ThumbnailSide(options.explorerThumbnailWidth),
                              ThumbnailSide(options.explorerThumbnailHeight)));
}

void CFramedListWnd::ApplyColors() {
    if (!m_list.m_hWnd)
        return;
    const COLORREF colour = g_applicationState.Options().folderPreviewThumbnailColor;
    m_list.SetBackgroundColor(colour); // the text background too
    ReleaseSource();
}
