#include "program/tray_icon_wnd.h"

#include <shellapi.h>

#include <cstring>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "explorer/main_frame.h"
#include "resources/resource.h"

namespace {

constexpr ULONG_PTR kCodeQuit = 100;
// Checks whether the modal window that holds hand-overs back has ended.
constexpr UINT_PTR kPendingTimer = 1;
constexpr UINT kPendingCheckMs = 200;

} // namespace

CTrayIconWnd::~CTrayIconWnd() {
    // Bound while the body runs, so the window's last messages still find us.
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

HWND CTrayIconWnd::CreateHidden() {
    return Create(nullptr, CWindow::rcDefault, "Hidden", WS_DISABLED);
}

bool CTrayIconWnd::RunStartUpStep() {
    // Below a step (the start-up wizard's modal loop), messages are taken as
    // they always were while start-up showed its dialogs.
    if (m_startingUp || m_startUpFailed)
        return !m_startUpFailed;
    if (m_nextStep < m_stepCount) {
        // Counted first: a step pumps messages that may come back here.
        const StartUpStep step = m_steps[m_nextStep++];
        m_startingUp = true;
        m_startUpFailed = !step();
        m_startingUp = false;
    }
    return !m_startUpFailed;
}

bool CTrayIconWnd::FinishStartUp() {
    while (!m_startingUp && !m_startUpFailed && m_nextStep < m_stepCount)
        RunStartUpStep();
    return !m_startUpFailed;
}

LRESULT CTrayIconWnd::OnFinishStartUp(UINT, WPARAM, LPARAM, BOOL&) {
    if (RunStartUpStep() && !m_startingUp && m_nextStep < m_stepCount &&
        !::PostMessageA(m_hWnd, kMsgFinishStartUp, 0, 0))
        FinishStartUp();
    return 0;
}

LRESULT CTrayIconWnd::OnGetForegroundHandle(UINT, WPARAM, LPARAM, BOOL&) {
    FinishStartUp();
    // A frame raised above its own modal dialog would take no input.
    if (HWND modal = FindModalWindow(m_hWnd))
        return reinterpret_cast<LRESULT>(modal);
    return reinterpret_cast<LRESULT>(g_lastActiveWindow);
}

LRESULT CTrayIconWnd::OnPendingTimer(UINT, WPARAM id, LPARAM, BOOL& handled) {
    if (id != kPendingTimer) {
        handled = FALSE;
        return 0;
    }
    if (FindModalWindow(m_hWnd))
        return 0;
    KillTimer(kPendingTimer);
    for (const CPendingHandOvers::Entry& entry : m_pending.Take())
        Open(entry.hasText ? entry.text.c_str() : nullptr);
    return 0;
}

LRESULT CTrayIconWnd::OnCopyData(UINT, WPARAM, LPARAM data, BOOL&) {
    // A program that could not start is ending already.
    if (!FinishStartUp())
        return 0;
    HandOver(reinterpret_cast<const COPYDATASTRUCT*>(data));
    return 1;
}

LRESULT CTrayIconWnd::OnExit(WORD, WORD, HWND, BOOL&) {
    if (!FinishStartUp())
        return 0;
    g_applicationState.ExitFromTray();
    return 0;
}

LRESULT CTrayIconWnd::OnTrayIconNotify(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (!FinishStartUp())
        return 0;
    const UINT mouseMessage = UINT(lParam);
    CApplicationState& app = g_applicationState;
    if (mouseMessage == WM_LBUTTONDOWN) {
        const bool existed = app.Explorer() != nullptr;
        // An explorer that already existed keeps its folder.
        if (app.ShowExplorer() && !existed) {
            app.Explorer()->SelectPath(app.Options().explorerHomeFolder);
            app.ShowStartupDialogs();
        }
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        HMENU menu = CreatePopupMenu();
        if (!menu)
            return 0;
        AppendMenuA(menu, MF_STRING, ID_TRAY_EXIT, "Exit");
        POINT pt{};
        GetCursorPos(&pt);
        // Without the foreground and the WM_NULL the menu would not close on
        // a click elsewhere.
        ::SetForegroundWindow(m_hWnd);
        TrackPopupMenu(menu, TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
        ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
        DestroyMenu(menu);
    }
    return 0;
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

void CTrayIconWnd::HandOver(const COPYDATASTRUCT* data) {
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
    // Behind a waiting one too, so that hand-overs open in the order given.
    HWND modal = FindModalWindow(m_hWnd);
    if (modal || !m_pending.Empty()) {
        m_pending.Push(hasText ? text : nullptr);
        SetTimer(kPendingTimer, kPendingCheckMs);
        if (modal)
            ::SetForegroundWindow(modal);
        return;
    }
    Open(hasText ? text : nullptr);
}

void CTrayIconWnd::Open(const char* text) {
    CApplicationState& app = g_applicationState;
    if (text && std::strcmp(text, "/Acquire") == 0)
        app.StartAcquire();
    else
        app.OpenPath(text, false);
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
    // Marked first: the shell call waits on the tray's window, and messages
    // sent to us meanwhile (a frame closing) must already see the icon that
    // keeps the process alive.
    trayIconShown = true;
    AddNotifyIcon(hiddenWindow, 0, icon, kProductName);
}

void CApplicationState::RemoveTrayIcon() {
    DeleteNotifyIcon(hiddenWindow, 0);
    trayIconShown = false;
}

void CApplicationState::ExitFromTray() {
    if (!trayIconShown)
        return;
    WithViewerList([&](std::vector<CImageFrame*>& viewers) {
        if (viewers.empty() && (!explorer || !IsExplorerVisible())) {
            DestroyExplorerWindow();
            PostQuitMessage(0);
        }
    });
    RemoveTrayIcon();
}
