#include "explorer/pane_splitter.h"

#include <algorithm>

void CPaneSplitter::SetPanes(HWND top, HWND bottom) {
    m_panes[0] = top;
    m_panes[1] = bottom;
    UpdateLayout();
}

void CPaneSplitter::SetSinglePaneMode(int pane) {
    m_single = pane < 0 || pane > 1 ? -1 : pane;
    if (m_single >= 0)
        m_active = m_single;
    UpdateLayout();
}

void CPaneSplitter::SetActivePane(int pane) {
    m_active = pane & 1;
}

int CPaneSplitter::ClientHeight() const {
    RECT rc{};
    if (m_hWnd)
        ::GetClientRect(m_hWnd, &rc);
    return rc.bottom - rc.top;
}

void CPaneSplitter::SetBarPosition(int y) {
    m_bar = y;
    m_barSet = true;
    UpdateLayout();
}

void CPaneSplitter::UpdateLayout() {
    if (!m_hWnd)
        return;
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    const int height = rc.bottom - rc.top;
    if (!m_barSet)
        m_bar = height / 2;
    // The bar stays where both panes keep some room, when there is room.
    m_bar = std::max(0, std::min(m_bar, height - kBarHeight));
    for (int i = 0; i < 2; ++i) {
        HWND pane = m_panes[i];
        if (!pane || ::GetParent(pane) != m_hWnd)
            continue;
        const bool shown = m_single < 0 || m_single == i;
        RECT r = rc;
        if (m_single < 0) {
            if (i == 0)
                r.bottom = m_bar;
            else
                r.top = m_bar + kBarHeight;
        }
        ::SetWindowPos(pane, nullptr, r.left, r.top, r.right - r.left,
                       std::max(0L, r.bottom - r.top),
                       SWP_NOZORDER | SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool CPaneSplitter::OnBar(int y) const {
    return m_single < 0 && y >= m_bar && y < m_bar + kBarHeight;
}

LRESULT CPaneSplitter::OnSize(UINT, WPARAM, LPARAM, BOOL&) {
    UpdateLayout();
    return 0;
}

LRESULT CPaneSplitter::OnSetCursor(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    POINT pt;
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hWnd, &pt);
    if (reinterpret_cast<HWND>(wParam) == m_hWnd && OnBar(pt.y)) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_SIZENS));
        return TRUE;
    }
    handled = FALSE;
    return 0;
}

LRESULT CPaneSplitter::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const int y = static_cast<short>(HIWORD(lParam));
    if (OnBar(y)) {
        m_dragging = true;
        m_grab = y - m_bar;
        ::SetCapture(m_hWnd);
    }
    return 0;
}

LRESULT CPaneSplitter::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (m_dragging) {
        const int y = static_cast<short>(HIWORD(lParam)) - m_grab;
        const int height = ClientHeight();
        SetBarPosition(std::max(kMinPane, std::min(y, height - kBarHeight - kMinPane)));
    }
    return 0;
}

LRESULT CPaneSplitter::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&) {
    if (m_dragging)
        ::ReleaseCapture();
    return 0;
}

LRESULT CPaneSplitter::OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&) {
    m_dragging = false;
    return 0;
}

LRESULT CPaneSplitter::OnForward(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&) {
    HWND parent = ::GetParent(m_hWnd);
    return parent ? ::SendMessageA(parent, uMsg, wParam, lParam) : 0;
}
