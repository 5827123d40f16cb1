#include "explorer/main_frame.h"

#include "app/application_state.h"
#include "resources/resource.h"

namespace {

constexpr UINT kItemListChanged = WM_USER + 7;
constexpr UINT kDecodeStarted = WM_USER + 91;
constexpr UINT kDecodeEnded = WM_USER + 92;

LRESULT CALLBACK MainFrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CMainFrame*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        self = static_cast<CMainFrame*>(cs->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_hWnd = hwnd;
    }
    LRESULT result = 0;
    if (self && self->ProcessWindowMessage(message, wParam, lParam, result))
        return result;
    if (message == WM_NCDESTROY && self) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        g_applicationState.OnExplorerDestroyed(self);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

CMainFrame::~CMainFrame() {
    if (m_hWnd) {
        SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hWnd);
    }
}

HWND CMainFrame::CreateEx() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = MainFrameProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    return CreateWindowExA(WS_EX_APPWINDOW, kClassName, "Velmorantix XP",
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                           480, nullptr, nullptr, wc.hInstance, this);
}

bool CMainFrame::SelectPath(const char* path) {
    lstrcpynA(m_path, path ? path : "", MAX_PATH);
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, TRUE);
    return true;
}

bool CMainFrame::ProcessWindowMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    switch (message) {
    case WM_CLOSE:
        SaveSettings();
        g_applicationState.CloseExplorer(false);
        result = 0;
        return true;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        RECT rc;
        GetClientRect(m_hWnd, &rc);
        InflateRect(&rc, -12, -12);
        DrawTextA(dc, m_path, -1, &rc, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
        EndPaint(m_hWnd, &ps);
        result = 0;
        return true;
    }
    case kItemListChanged:
    case kDecodeStarted:
    case kDecodeEnded:
        result = 0;
        return true;
    default:
        return false;
    }
}
