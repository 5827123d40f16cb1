// The command bar: buttons from a menu, dropping popups and switching
// between them while one is open (the keyboard side is in command_bar_keys.cpp).
//
// A dropped popup runs the system's menu loop (TrackPopupMenuEx); a message
// filter hook (WH_MSGFILTER, MSGF_MENU) watches it to switch to another
// button's popup: the hook records what comes next and ends the menu with
// EndMenu, and Track drops the next popup.
#include "ui/command_bar.h"

#include <cctype>
#include <cstring>

#include "ui/app_module.h"

namespace {

// Button command ids: the top-level item index plus this base.
constexpr int kButtonIdBase = 0xF000;

// The command bar whose popup is open on this thread (the hook has no context).
thread_local CCommandBarCtrl* t_tracking = NULL;

// Counts the visible popup menu windows of this thread: one while only the
// top popup is open, more while a submenu is open.
BOOL CALLBACK CountMenuWindow(HWND hWnd, LPARAM param) {
    char name[16] = {0};
    if (::IsWindowVisible(hWnd) && ::GetClassNameA(hWnd, name, sizeof name) &&
        std::strcmp(name, "#32768") == 0)
        ++*(int*)param;
    return TRUE;
}

int OpenMenuWindows() {
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), CountMenuWindow, (LPARAM)&count);
    return count;
}

} // namespace

CCommandBarCtrl::~CCommandBarCtrl() {
    UnregisterFilter();
}

HWND CCommandBarCtrl::Create(HWND parent, DWORD style, UINT nID) {
    if (m_hWnd != NULL)
        return NULL;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    HWND hWnd = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, NULL, style, 0, 0, 100, 22, parent,
                                  (HMENU)(UINT_PTR)nID, UiModuleInstance(), NULL);
    if (hWnd == NULL)
        return NULL;
    ::SendMessageA(hWnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (!SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return NULL;
    }
    m_hWndOwner = parent;
    RegisterFilter();
    return hWnd;
}

void CCommandBarCtrl::RegisterFilter() {
    CAppModule* module = UiCurrentModule();
    CMessageLoop* loop = module != NULL ? module->GetMessageLoop() : NULL;
    if (loop != NULL && loop->AddMessageFilter(this))
        m_loop = loop;
}

void CCommandBarCtrl::UnregisterFilter() {
    if (m_loop != NULL)
        m_loop->RemoveMessageFilter(this);
    m_loop = NULL;
}

BOOL CCommandBarCtrl::AttachMenu(HMENU menu) {
    if (m_hWnd == NULL)
        return FALSE;
    SetRedraw(FALSE);
    while (SendMessage(TB_BUTTONCOUNT) > 0)
        SendMessage(TB_DELETEBUTTON, 0);
    m_hMenu = menu;
    int count = menu != NULL ? ::GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        char text[128] = {0};
        ::GetMenuStringA(menu, (UINT)i, text, sizeof text, MF_BYPOSITION);
        UINT state = ::GetMenuState(menu, (UINT)i, MF_BYPOSITION);
        TBBUTTON button = {};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = kButtonIdBase + i;
        button.fsState = (state & (MF_GRAYED | MF_DISABLED)) ? 0 : TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE;
        button.iString = (INT_PTR)text; // copied by the toolbar
        SendMessage(TB_ADDBUTTONSA, 1, (LPARAM)&button);
    }
    SendMessage(TB_AUTOSIZE);
    // The band takes its height from the window: size it to the buttons.
    SIZE size = {0, 0};
    if (count > 0) {
        RECT last = {};
        SendMessage(TB_GETITEMRECT, (WPARAM)(count - 1), (LPARAM)&last);
        size.cx = last.right;
        size.cy = last.bottom;
    }
    SetWindowPos(NULL, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetRedraw(TRUE);
    Invalidate();
    return TRUE;
}

// ---------------------------------------------------------------------------
// Buttons.
// ---------------------------------------------------------------------------
int CCommandBarCtrl::ButtonCount() const {
    return m_hWnd != NULL ? (int)SendMessage(TB_BUTTONCOUNT) : 0;
}

bool CCommandBarCtrl::IsButtonEnabled(int index) const {
    return index >= 0 && index < ButtonCount() &&
           SendMessage(TB_ISBUTTONENABLED, (WPARAM)(kButtonIdBase + index)) != 0;
}

int CCommandBarCtrl::NextEnabled(int from, int step) const {
    int count = ButtonCount();
    for (int n = 1; n <= count; ++n) {
        int i = ((from + step * n) % count + count) % count;
        if (IsButtonEnabled(i))
            return i;
    }
    return -1;
}

int CCommandBarCtrl::HitTestScreen(POINT screenPt) const {
    if (m_hWnd == NULL)
        return -1;
    POINT pt = screenPt;
    ::ScreenToClient(m_hWnd, &pt);
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    if (!::PtInRect(&client, pt))
        return -1;
    int index = (int)SendMessage(TB_HITTEST, 0, (LPARAM)&pt);
    return index >= 0 && index < ButtonCount() ? index : -1;
}

void CCommandBarCtrl::SetHot(int index) {
    m_hotIndex = index;
    SendMessage(TB_SETHOTITEM, (WPARAM)index);
}

void CCommandBarCtrl::PressButton(int index, bool pressed) {
    if (index >= 0)
        SendMessage(TB_PRESSBUTTON, (WPARAM)(kButtonIdBase + index), MAKELPARAM(pressed, 0));
}

int CCommandBarCtrl::FindMnemonic(char ch) const {
    if (m_hMenu == NULL || ch == 0)
        return -1;
    int wanted = std::tolower((unsigned char)ch);
    int count = ::GetMenuItemCount(m_hMenu);
    for (int i = 0; i < count; ++i) {
        char text[128] = {0};
        ::GetMenuStringA(m_hMenu, (UINT)i, text, sizeof text, MF_BYPOSITION);
        for (const char* p = text; *p != 0; ++p) {
            if (*p != '&')
                continue;
            if (p[1] == '&') { // "&&" is a literal ampersand
                ++p;
                continue;
            }
            if (p[1] != 0 && std::tolower((unsigned char)p[1]) == wanted)
                return i;
            break;
        }
    }
    return -1;
}

// ---------------------------------------------------------------------------
// Dropping popups.
// ---------------------------------------------------------------------------
void CCommandBarCtrl::DropMenu(int index, bool byKeyboard) {
    if (m_hWnd == NULL || m_droppedIndex >= 0 || !IsButtonEnabled(index))
        return;
    if (m_keyboardMode) {
        // The keyboard loop drops menus itself; from outside, leave it first.
        return;
    }
    Outcome outcome = Track(index, byKeyboard);
    if (outcome == Outcome::Escaped)
        RunKeyboardLoop(index);
    else if (outcome != Outcome::Gone)
        SetHot(-1);
}

CCommandBarCtrl::Outcome CCommandBarCtrl::Track(int& index, bool byKeyboard) {
    HWND self = m_hWnd;
    HWND owner = m_hWndOwner;
    UINT command = 0;
    Outcome outcome = Outcome::Cancelled;
    m_cancelAll = false;
    for (;;) {
        HMENU popup = ::GetSubMenu(m_hMenu, index);
        if (popup == NULL) {
            // A top-level item that is a command itself.
            command = ::GetMenuItemID(m_hMenu, index);
            outcome = command != (UINT)-1 && command != 0 ? Outcome::Command : Outcome::Cancelled;
            break;
        }
        m_droppedIndex = index;
        m_next = NextStep::None;
        m_hMenuActive = popup;
        m_selectedHasPopup = false;
        SetHot(index);
        PressButton(index, true);
        RECT button = {};
        SendMessage(TB_GETITEMRECT, (WPARAM)index, (LPARAM)&button);
        ::MapWindowPoints(self, NULL, (POINT*)&button, 2);
        TPMPARAMS tpm = {sizeof tpm, button};

        CCommandBarCtrl* outer = t_tracking;
        t_tracking = this;
        m_hook = ::SetWindowsHookExA(WH_MSGFILTER, MenuFilterHook, NULL, ::GetCurrentThreadId());
        if (byKeyboard) // the menu selects its first item on the first Down
            ::PostMessageA(self, WM_KEYDOWN, VK_DOWN, 0);
        command = (UINT)::TrackPopupMenuEx(
            popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL | TPM_LEFTBUTTON | TPM_RETURNCMD,
            button.left, button.bottom, self, &tpm);
        if (!::IsWindow(self))
            return Outcome::Gone;
        if (m_hook != NULL)
            ::UnhookWindowsHookEx(m_hook);
        m_hook = NULL;
        t_tracking = outer;
        PressButton(index, false);
        m_droppedIndex = -1;
        if (command != 0) {
            outcome = Outcome::Command;
            break;
        }
        if (m_next == NextStep::Switch && !m_cancelAll) {
            index = m_nextIndex;
            byKeyboard = m_nextByKeyboard;
            continue;
        }
        outcome =
            m_next == NextStep::Escape && !m_cancelAll ? Outcome::Escaped : Outcome::Cancelled;
        break;
    }
    if (outcome == Outcome::Command)
        ::PostMessageA(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    return outcome;
}

void CCommandBarCtrl::SwitchTo(int index, bool byKeyboard) {
    m_next = NextStep::Switch;
    m_nextIndex = index;
    m_nextByKeyboard = byKeyboard;
    ::EndMenu();
}

void CCommandBarCtrl::CancelMenus() {
    m_cancelAll = true;
    m_keyboardMode = false;
    if (m_droppedIndex >= 0)
        ::EndMenu();
}

LRESULT CALLBACK CCommandBarCtrl::MenuFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    CCommandBarCtrl* self = t_tracking;
    if (code == MSGF_MENU && self != NULL && lParam != 0 &&
        self->OnMenuFilterMessage(*(const MSG*)lParam))
        return 1;
    return ::CallNextHookEx(NULL, code, wParam, lParam);
}

bool CCommandBarCtrl::OnMenuFilterMessage(const MSG& msg) {
    if (m_next != NextStep::None || m_cancelAll)
        return false; // already ending
    switch (msg.message) {
    case WM_MOUSEMOVE: {
        // Hot tracking: the mouse on another button switches popups.
        int index = HitTestScreen(msg.pt);
        if (index >= 0 && index != m_droppedIndex && IsButtonEnabled(index)) {
            SwitchTo(index, false);
            return true;
        }
        return false;
    }
    case WM_LBUTTONDOWN: {
        int index = HitTestScreen(msg.pt);
        if (index < 0)
            return false; // elsewhere: the menu closes itself
        if (index == m_droppedIndex) {
            // A second click on the open button closes its popup.
            m_cancelAll = true;
            ::EndMenu();
        } else if (IsButtonEnabled(index)) {
            SwitchTo(index, false);
        }
        return true;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        // Whether only the top popup is open (no submenu shown).
        bool atTop = OpenMenuWindows() <= 1;
        if (msg.wParam == VK_LEFT && atTop) {
            int index = NextEnabled(m_droppedIndex, -1);
            if (index >= 0 && index != m_droppedIndex) {
                SwitchTo(index, true);
                return true;
            }
        } else if (msg.wParam == VK_RIGHT && !m_selectedHasPopup) {
            // Right opens the selected item's submenu; on any other item it moves on.
            int index = NextEnabled(m_droppedIndex, +1);
            if (index >= 0 && index != m_droppedIndex) {
                SwitchTo(index, true);
                return true;
            }
        } else if (msg.wParam == VK_ESCAPE && atTop) {
            m_next = NextStep::Escape; // the menu closes itself on Esc
        }
        return false;
    }
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
// Messages.
// ---------------------------------------------------------------------------
LRESULT CCommandBarCtrl::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
    POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    int index = (int)SendMessage(TB_HITTEST, 0, (LPARAM)&pt);
    if (index < 0 || index >= ButtonCount() || !IsButtonEnabled(index)) {
        bHandled = FALSE;
        return 0;
    }
    DropMenu(index, false);
    return 0;
}

LRESULT CCommandBarCtrl::OnForwardToOwner(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if (m_hWndOwner == NULL || !::IsWindow(m_hWndOwner)) {
        bHandled = FALSE;
        return 0;
    }
    return ::SendMessageA(m_hWndOwner, uMsg, wParam, lParam);
}

LRESULT CCommandBarCtrl::OnMenuSelect(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    UINT flags = HIWORD(wParam);
    if (flags == 0xFFFF && lParam == 0) { // the menu closed
        m_selectedHasPopup = false;
    } else {
        m_hMenuActive = (HMENU)lParam;
        m_selectedHasPopup = (flags & MF_POPUP) != 0;
    }
    return OnForwardToOwner(uMsg, wParam, lParam, bHandled);
}

LRESULT CCommandBarCtrl::OnPaint(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    // Frames made before their thread's loop was registered find it now.
    if (m_loop == NULL)
        RegisterFilter();
    bHandled = FALSE; // the toolbar paints itself
    return 0;
}

LRESULT CCommandBarCtrl::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    UnregisterFilter();
    if (m_droppedIndex >= 0)
        ::EndMenu();
    m_keyboardMode = false;
    if (t_tracking == this) {
        if (m_hook != NULL)
            ::UnhookWindowsHookEx(m_hook);
        m_hook = NULL;
        t_tracking = NULL;
    }
    bHandled = FALSE;
    return 0;
}
