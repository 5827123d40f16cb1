// CWindow: a window handle with thin inline forwards to the user-interface API.
//
// The wrapper owns nothing: copying it copies the handle, destroying it leaves
// the window alone. Every forward uses the ANSI entry points, because the
// program's text is 8-bit in the system code page.
#pragma once

#include <windows.h>

class CWindow {
public:
    HWND m_hWnd;

    // A rectangle that lets the system choose position and size of a top-level window.
    static inline RECT rcDefault = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};

    CWindow(HWND hWnd = NULL) : m_hWnd(hWnd) {}
    CWindow& operator=(HWND hWnd) {
        m_hWnd = hWnd;
        return *this;
    }
    operator HWND() const { return m_hWnd; }

    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND Detach() {
        HWND h = m_hWnd;
        m_hWnd = NULL;
        return h;
    }
    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
    BOOL DestroyWindow() {
        if (!::DestroyWindow(m_hWnd))
            return FALSE;
        m_hWnd = NULL;
        return TRUE;
    }

    // Messages.
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, msg, wParam, lParam);
    }
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(m_hWnd, msg, wParam, lParam);
    }

    // Styles.
    DWORD GetStyle() const { return (DWORD)::GetWindowLongPtrA(m_hWnd, GWL_STYLE); }
    DWORD GetExStyle() const { return (DWORD)::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE); }
    // Removes then adds style bits; nFlags != 0 also applies frame changes with SetWindowPos.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT nFlags = 0) {
        return ModifyLong(GWL_STYLE, remove, add, nFlags);
    }
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT nFlags = 0) {
        return ModifyLong(GWL_EXSTYLE, remove, add, nFlags);
    }
    LONG_PTR GetWindowLongPtr(int index) const { return ::GetWindowLongPtrA(m_hWnd, index); }
    LONG_PTR SetWindowLongPtr(int index, LONG_PTR value) {
        return ::SetWindowLongPtrA(m_hWnd, index, value);
    }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

    // Text.
    BOOL SetWindowText(LPCSTR text) { return ::SetWindowTextA(m_hWnd, text); }
    int GetWindowText(LPSTR buffer, int size) const {
        return ::GetWindowTextA(m_hWnd, buffer, size);
    }
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    void SetFont(HFONT font, BOOL redraw = TRUE) {
        SendMessage(WM_SETFONT, (WPARAM)font, MAKELPARAM(redraw, 0));
    }
    HFONT GetFont() const { return (HFONT)SendMessage(WM_GETFONT); }

    // Relations.
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    HWND SetParent(HWND parent) { return ::SetParent(m_hWnd, parent); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    HWND GetWindow(UINT cmd) const { return ::GetWindow(m_hWnd, cmd); }
    HWND GetTopLevelParent() const { return ::GetAncestor(m_hWnd, GA_ROOT); }
    BOOL IsChild(HWND hWnd) const { return ::IsChild(m_hWnd, hWnd); }

    // Geometry.
    BOOL GetClientRect(RECT* rect) const { return ::GetClientRect(m_hWnd, rect); }
    BOOL GetWindowRect(RECT* rect) const { return ::GetWindowRect(m_hWnd, rect); }
    BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) {
        return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
    }
    BOOL SetWindowPos(HWND after, const RECT* rect, UINT flags) {
        return ::SetWindowPos(m_hWnd, after, rect->left, rect->top, rect->right - rect->left,
                              rect->bottom - rect->top, flags);
    }
    BOOL MoveWindow(int x, int y, int cx, int cy, BOOL repaint = TRUE) {
        return ::MoveWindow(m_hWnd, x, y, cx, cy, repaint);
    }
    BOOL ClientToScreen(POINT* pt) const { return ::ClientToScreen(m_hWnd, pt); }
    BOOL ScreenToClient(POINT* pt) const { return ::ScreenToClient(m_hWnd, pt); }
    BOOL CenterWindow(HWND center = NULL);

    // State.
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    BOOL BringWindowToTop() { return ::BringWindowToTop(m_hWnd); }
    HWND SetCapture() { return ::SetCapture(m_hWnd); }

    // Painting.
    BOOL Invalidate(BOOL erase = TRUE) { return ::InvalidateRect(m_hWnd, NULL, erase); }
    BOOL InvalidateRect(const RECT* rect, BOOL erase = TRUE) {
        return ::InvalidateRect(m_hWnd, rect, erase);
    }
    BOOL UpdateWindow() { return ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(const RECT* rect = NULL, HRGN rgn = NULL,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) {
        return ::RedrawWindow(m_hWnd, rect, rgn, flags);
    }
    void SetRedraw(BOOL redraw = TRUE) { SendMessage(WM_SETREDRAW, (WPARAM)redraw); }
    HDC GetDC() { return ::GetDC(m_hWnd); }
    int ReleaseDC(HDC dc) { return ::ReleaseDC(m_hWnd, dc); }

    // Timers, menus, dialog items.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = NULL) {
        return ::SetTimer(m_hWnd, id, elapse, proc);
    }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    HMENU GetMenu() const { return ::GetMenu(m_hWnd); }
    BOOL SetMenu(HMENU menu) { return ::SetMenu(m_hWnd, menu); }
    BOOL SetDlgItemText(int id, LPCSTR text) { return ::SetDlgItemTextA(m_hWnd, id, text); }
    UINT GetDlgItemText(int id, LPSTR buffer, int size) const {
        return ::GetDlgItemTextA(m_hWnd, id, buffer, size);
    }
    BOOL SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE) {
        return ::SetDlgItemInt(m_hWnd, id, value, isSigned);
    }
    UINT GetDlgItemInt(int id, BOOL* ok = NULL, BOOL isSigned = TRUE) const {
        return ::GetDlgItemInt(m_hWnd, id, ok, isSigned);
    }
    BOOL CheckDlgButton(int id, UINT check) { return ::CheckDlgButton(m_hWnd, id, check); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
    int MessageBox(LPCSTR text, LPCSTR caption = NULL, UINT type = MB_OK) {
        return ::MessageBoxA(m_hWnd, text, caption, type);
    }

private:
    BOOL ModifyLong(int index, DWORD remove, DWORD add, UINT nFlags) {
        DWORD old = (DWORD)::GetWindowLongPtrA(m_hWnd, index);
        DWORD now = (old & ~remove) | add;
        if (old == now)
            return FALSE;
        ::SetWindowLongPtrA(m_hWnd, index, (LONG_PTR)now);
        if (nFlags != 0)
            ::SetWindowPos(m_hWnd, NULL, 0, 0, 0, 0,
                           SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
        return TRUE;
    }
};

// Centers the window over `center` (its owner or parent when NULL), kept inside
// the work area of the screen.
inline BOOL CWindow::CenterWindow(HWND center) {
    if (center == NULL) {
        center = (GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);
    }
    RECT self, area, around;
    ::GetWindowRect(m_hWnd, &self);
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    if (center != NULL)
        ::GetWindowRect(center, &around);
    else
        around = area;
    int w = self.right - self.left, h = self.bottom - self.top;
    int x = (around.left + around.right - w) / 2, y = (around.top + around.bottom - h) / 2;
    if (GetStyle() & WS_CHILD) {
        POINT pt = {x, y};
        ::ScreenToClient(::GetParent(m_hWnd), &pt);
        x = pt.x;
        y = pt.y;
    } else {
        if (x + w > area.right)
            x = area.right - w;
        if (x < area.left)
            x = area.left;
        if (y + h > area.bottom)
            y = area.bottom - h;
        if (y < area.top)
            y = area.top;
    }
    return ::SetWindowPos(m_hWnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
