#include "explorer/main_frame.h"

#include "app/application_state.h"
#include "app/logic/path_parts.h"
#include "resources/resource.h"

CMainFrame::~CMainFrame() {
    // Reached with a live window only when the frame is dropped without its
    // window's last message; cut the link first so that message cannot free
    // this object a second time.
    if (m_hWnd) {
        HWND window = m_hWnd;
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(::DefWindowProcA));
        ::DestroyWindow(window);
    }
}

HWND CMainFrame::CreateEx() {
    CWndClassInfo& wc = GetWndClassInfo();
    if (!wc.m_hIcon)
        wc.m_hIcon = LoadIconA(UiModuleInstance(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    if (!Create(nullptr, CWindow::rcDefault, "Velmorantix XP",
                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_APPWINDOW))
        return nullptr;
    // The system picks the place; the stand-in keeps a fixed first size.
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return m_hWnd;
}

bool CMainFrame::SelectPath(const char* path) {
    lstrcpynA(m_path, path ? path : "", MAX_PATH);
    // Shown as Windows spells it, whichever separator the caller used.
    path_parts::NormalizeInPlace(m_path);
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return true;
}

void CMainFrame::OnFinalMessage(HWND) {
    g_applicationState.OnExplorerDestroyed(this);
}

LRESULT CMainFrame::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
    SaveSettings();
    g_applicationState.CloseExplorer(false);
    return 0;
}

LRESULT CMainFrame::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    InflateRect(&rc, -12, -12);
    DrawTextA(dc, m_path, -1, &rc, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    EndPaint(m_hWnd, &ps);
    return 0;
}
