#include "app/tray_icon_wnd.h"

#include <shellapi.h>

#include <cstring>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "explorer/main_frame.h"
#include "resources/resource.h"

namespace {

constexpr ULONG_PTR kCodeQuit = 100;

LRESULT CALLBACK HiddenWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CTrayIconWnd*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        self = static_cast<CTrayIconWnd*>(cs->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_hWnd = hwnd;
    }
    LRESULT result = 0;
    if (self && self->ProcessWindowMessage(message, wParam, lParam, result))
        return result;
    if (message == WM_NCDESTROY && self) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

CTrayIconWnd::~CTrayIconWnd() {
    DestroyWindow();
}

HWND CTrayIconWnd::Create() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = HiddenWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    return CreateWindowExA(0, kClassName, "Hidden", WS_DISABLED, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, wc.hInstance, this);
}

void CTrayIconWnd::DestroyWindow() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

bool CTrayIconWnd::ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                        LRESULT& result) {
    if (message == g_trayIconNotify) {
        OnTrayIconNotify(UINT(lParam));
        result = 0;
        return true;
    }
    if (message == g_velmorantixXPGetForegroundHandle) {
        result = reinterpret_cast<LRESULT>(g_lastActiveWindow);
        return true;
    }
    if (message == WM_COPYDATA) {
        OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        result = 1;
        return true;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == ID_TRAY_EXIT) {
        OnExit();
        result = 0;
        return true;
    }
    return false;
}

void CTrayIconWnd::OnTrayIconNotify(UINT mouseMessage) {
    CApplicationState& app = g_applicationState;
    if (mouseMessage == WM_LBUTTONDOWN) {
        const bool existed = app.explorer != nullptr;
        // An explorer that already existed keeps its folder.
        if (app.ShowExplorer() && !existed) {
            app.explorer->SelectPath(app.options.explorerHomeFolder);
            app.ShowStartupDialogs();
        }
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        HMENU menu = CreatePopupMenu();
        if (!menu)
            return;
        AppendMenuA(menu, MF_STRING, ID_TRAY_EXIT, "Exit");
        POINT pt{};
        GetCursorPos(&pt);
        // Without the foreground and the WM_NULL the menu would not close on
        // a click elsewhere.
        SetForegroundWindow(m_hWnd);
        TrackPopupMenu(menu, TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
        PostMessageA(m_hWnd, WM_NULL, 0, 0);
        DestroyMenu(menu);
    }
}

bool ReadHandOverText(const COPYDATASTRUCT* data, char* text, bool* hasText) {
    text[0] = '\0';
    *hasText = false;
    if (!data || data->cbData == 0 || !data->lpData)
        return true;
    const char* bytes = static_cast<const char*>(data->lpData);
    const size_t limit = data->cbData < MAX_PATH ? data->cbData : MAX_PATH;
    const void* end = std::memchr(bytes, '\0', limit);
    if (!end)
        return false; // unterminated within its data, or too long for a path
    std::memcpy(text, bytes, static_cast<const char*>(end) - bytes + 1);
    *hasText = true;
    return true;
}

void CTrayIconWnd::OnCopyData(const COPYDATASTRUCT* data) {
    CApplicationState& app = g_applicationState;
    if (data && data->dwData == kCodeQuit) {
        app.CloseExplorer(true);
        app.CloseAllViewers();
        app.RemoveTrayIcon();
        PostQuitMessage(0);
        return;
    }
    char text[MAX_PATH];
    bool hasText = false;
    if (!ReadHandOverText(data, text, &hasText))
        return;
    if (hasText && std::strcmp(text, "/Acquire") == 0)
        app.StartAcquire();
    else
        app.OpenPath(hasText ? text : nullptr, false);
}

void CTrayIconWnd::OnExit() {
    g_applicationState.ExitFromTray();
}

BOOL AddNotifyIcon(HWND window, UINT id, HICON icon, const char* tip) {
    NOTIFYICONDATAA data{};
    // The version-2 layout: the same fields on every shell that has a tray.
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = window;
    data.uID = id;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = g_trayIconNotify;
    data.hIcon = icon;
    lstrcpynA(data.szTip, tip, 128);
    const BOOL ok = Shell_NotifyIconA(NIM_ADD, &data);
    if (icon)
        DestroyIcon(icon);
    return ok;
}

BOOL DeleteNotifyIcon(HWND window, UINT id) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = window;
    data.uID = id;
    return Shell_NotifyIconA(NIM_DELETE, &data);
}

void CApplicationState::AddTrayIcon() {
    HICON icon =
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY),
                                      IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    AddNotifyIcon(hiddenWindow, 0, icon, kProductName);
    trayIconShown = true;
}

void CApplicationState::RemoveTrayIcon() {
    DeleteNotifyIcon(hiddenWindow, 0);
    trayIconShown = false;
}

void CApplicationState::ExitFromTray() {
    if (!trayIconShown)
        return;
    {
        plat::ScopedLock lock(viewerListLock);
        if (viewers.empty() && (!explorer || !IsExplorerVisible())) {
            DestroyExplorerWindow();
            PostQuitMessage(0);
        }
    }
    RemoveTrayIcon();
}
