// Reflection of notifications from a parent back to its child controls, and
// the command probe.
#include "ui/message_map.h"

namespace {
thread_local int t_commandProbes = 0;
} // namespace

bool UiCommandProbeActive() {
    return t_commandProbes > 0;
}

CUiCommandProbe::CUiCommandProbe() {
    ++t_commandProbes;
}

CUiCommandProbe::~CUiCommandProbe() {
    --t_commandProbes;
}

HWND UiNotificationSource(HWND hWndParent, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_COMMAND:
        // lParam is 0 for menus and accelerators.
        return (HWND)lParam;
    case WM_NOTIFY:
        return lParam != 0 ? ((const NMHDR*)lParam)->hwndFrom : NULL;
    case WM_PARENTNOTIFY:
        switch (LOWORD(wParam)) {
        case WM_CREATE:
        case WM_DESTROY:
            return (HWND)lParam;
        default:
            // Mouse clicks: the child id is in the high word.
            return ::GetDlgItem(hWndParent, HIWORD(wParam));
        }
    case WM_DRAWITEM:
        // wParam 0 means a menu item, which has no control.
        return (wParam != 0 && lParam != 0) ? ((const DRAWITEMSTRUCT*)lParam)->hwndItem : NULL;
    case WM_MEASUREITEM:
        return (wParam != 0 && lParam != 0)
                   ? ::GetDlgItem(hWndParent, ((const MEASUREITEMSTRUCT*)lParam)->CtlID)
                   : NULL;
    case WM_COMPAREITEM:
        return (wParam != 0 && lParam != 0) ? ((const COMPAREITEMSTRUCT*)lParam)->hwndItem : NULL;
    case WM_DELETEITEM:
        return (wParam != 0 && lParam != 0) ? ((const DELETEITEMSTRUCT*)lParam)->hwndItem : NULL;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return (HWND)lParam;
    default:
        return NULL;
    }
}

LRESULT UiReflectNotifications(HWND hWndParent, UINT uMsg, WPARAM wParam, LPARAM lParam,
                               BOOL& bHandled) {
    HWND child = UiNotificationSource(hWndParent, uMsg, wParam, lParam);
    // Only our own descendants: a handle in a message could name any window.
    if (child == NULL || !::IsChild(hWndParent, child)) {
        bHandled = FALSE;
        return 0;
    }
    return ::SendMessageA(child, OCM__BASE + uMsg, wParam, lParam);
}

BOOL UiDefaultReflectionHandler(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                LRESULT& lResult) {
    if (uMsg < OCM__BASE || uMsg > OCM__LAST)
        return FALSE;
    lResult = ::DefWindowProcA(hWnd, uMsg - OCM__BASE, wParam, lParam);
    return TRUE;
}
