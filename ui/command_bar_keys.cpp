// The command bar's keyboard: the filter that catches F10, Alt alone and
// Alt+mnemonic for its frame, and the keyboard mode. The mode is a loop of
// its own with the mouse captured: it reads the keys of every window of the
// thread until the user leaves it, drops a popup, or clicks elsewhere.
#include "ui/command_bar.h"

// ---------------------------------------------------------------------------
// Keyboard mode.
// ---------------------------------------------------------------------------
void CCommandBarCtrl::EnterKeyboardMode() {
    if (m_hWnd == NULL || m_keyboardMode || m_droppedIndex >= 0)
        return;
    int first = NextEnabled(-1, +1);
    if (first < 0)
        return;
    RunKeyboardLoop(first);
}

bool CCommandBarCtrl::HandleKeyboardModeKey(WPARAM key) {
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT: {
        int index = NextEnabled(m_hotIndex, key == VK_LEFT ? -1 : +1);
        if (index >= 0)
            SetHot(index);
        return true;
    }
    case VK_DOWN:
    case VK_UP:
    case VK_RETURN: {
        int index = m_hotIndex;
        Outcome outcome = Track(index, true);
        if (outcome == Outcome::Gone)
            return false;
        SetHot(index);
        return outcome == Outcome::Escaped;
    }
    case VK_ESCAPE:
    case VK_F10:
    case VK_MENU:
        return false;
    default:
        return true;
    }
}

void CCommandBarCtrl::RunKeyboardLoop(int hot) {
    HWND self = m_hWnd;
    m_keyboardMode = true;
    m_altDown = false;
    SetHot(hot);
    ::SetCapture(self);
    MSG msg;
    while (m_keyboardMode) {
        if (!UiNestedGetMessage(&msg))
            break; // WM_QUIT, posted again for the outer loop
        if (!::IsWindow(self))
            return; // destroyed meanwhile: the object may be gone too
        bool stay = true;
        switch (msg.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            ::TranslateMessage(&msg); // characters for the mnemonics
            stay = HandleKeyboardModeKey(msg.wParam);
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            break;
        case WM_CHAR:
        case WM_SYSCHAR: {
            int index = FindMnemonic((char)msg.wParam);
            if (index >= 0 && IsButtonEnabled(index)) {
                Outcome outcome = Track(index, true);
                if (outcome == Outcome::Gone)
                    return;
                SetHot(index);
                stay = outcome == Outcome::Escaped;
            }
            break;
        }
        case WM_MOUSEMOVE:
            if (msg.hwnd == self) {
                int index = HitTestScreen(msg.pt);
                if (index >= 0 && IsButtonEnabled(index))
                    SetHot(index);
            }
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN: {
            int index = msg.message == WM_LBUTTONDOWN ? HitTestScreen(msg.pt) : -1;
            if (index >= 0 && IsButtonEnabled(index)) {
                Outcome outcome = Track(index, false);
                if (outcome == Outcome::Gone)
                    return;
                SetHot(index);
                stay = outcome == Outcome::Escaped;
            } else {
                stay = false; // a click elsewhere leaves the mode
            }
            break;
        }
        default:
            // The thread's filters still see everything else: some take
            // thread messages (no window) that dispatching would lose.
            if (m_loop != NULL && m_loop->PreTranslateMessage(&msg))
                break;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
            break;
        }
        if (!::IsWindow(self))
            return; // a command or a dispatched message destroyed the control
        if (!stay)
            m_keyboardMode = false;
        else if (m_keyboardMode && ::GetCapture() != self)
            ::SetCapture(self); // a popup took it meanwhile
    }
    m_keyboardMode = false;
    SetHot(-1);
    if (::GetCapture() == self)
        ::ReleaseCapture();
}

// ---------------------------------------------------------------------------
// The filter.
// ---------------------------------------------------------------------------
BOOL CCommandBarCtrl::PreTranslateMessage(MSG* pMsg) {
    if (m_hWnd == NULL || pMsg == NULL || pMsg->hwnd == NULL || !IsWindowVisible())
        return FALSE;
    if (::GetAncestor(pMsg->hwnd, GA_ROOT) != ::GetAncestor(m_hWnd, GA_ROOT))
        return FALSE; // keys of another frame
    switch (pMsg->message) {
    case WM_SYSKEYDOWN:
        if (pMsg->wParam == VK_MENU) {
            if (!(pMsg->lParam & (1 << 30))) // not an auto-repeat
                m_altDown = true;
            return FALSE;
        }
        m_altDown = false;
        if (pMsg->wParam == VK_F10 && !(::GetKeyState(VK_SHIFT) & 0x8000)) {
            EnterKeyboardMode();
            return TRUE;
        }
        return FALSE;
    case WM_SYSKEYUP:
        if (pMsg->wParam == VK_MENU && m_altDown) {
            // Alt pressed and released alone; the system would enter its own menu mode.
            m_altDown = false;
            EnterKeyboardMode();
            return TRUE;
        }
        if (pMsg->wParam == VK_F10)
            return TRUE; // the system would take it for its menu otherwise
        return FALSE;
    case WM_SYSCHAR: {
        m_altDown = false;
        int index = FindMnemonic((char)pMsg->wParam);
        if (index < 0 || !IsButtonEnabled(index))
            return FALSE;
        DropMenu(index, true);
        return TRUE;
    }
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        m_altDown = false;
        return FALSE;
    default:
        return FALSE;
    }
}
