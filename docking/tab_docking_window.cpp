// The flying tab strip and the tab docking window.
#include "docking/tab_docking_window.h"

#include "resources/messages.h"
#include "docking/logic/tab_rules.h"
#include "ui/capture_loop.h"

using namespace docking;

// ---------------------------------------------------------------------------
// The flying strip.
// ---------------------------------------------------------------------------
void CFlyingTabCtrl::ComputeThickness(HFONT font) {
    if (font == NULL) {
        m_thickness = 24;
        return;
    }
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, font);
    TEXTMETRICA tm = {};
    const bool measured = ::GetTextMetricsA(dc, &tm) != FALSE;
    ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    m_thickness = FlyingTabThickness(measured ? tm.tmAscent : 0);
}

LRESULT CFlyingTabCtrl::OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    ComputeThickness(GetFont());
    bHandled = FALSE;
    return 0;
}

LRESULT CFlyingTabCtrl::OnSetFont(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    ComputeThickness((HFONT)wParam);
    bHandled = FALSE;
    return 0;
}

void CFlyingTabCtrl::PlaceStrip(const RECT& rect, HWND insertAfter, UINT flags) {
    const bool bottom = (GetStyle() & CTS_BOTTOM) != 0;
    RECT r = rect;
    if (GetStyle() & CTS_VERTICAL) {
        if (bottom)
            r.left = r.right - m_thickness;
        else
            r.right = r.left + m_thickness;
    } else {
        if (bottom)
            r.top = r.bottom - m_thickness;
        else
            r.bottom = r.top + m_thickness;
    }
    SetWindowPos(insertAfter, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
}

RECT CFlyingTabCtrl::PageRect(const RECT& rect) const {
    const bool bottom = (GetStyle() & CTS_BOTTOM) != 0;
    RECT r = rect;
    if (GetStyle() & CTS_VERTICAL) {
        if (bottom)
            r.right -= m_thickness;
        else
            r.left += m_thickness;
    } else {
        if (bottom)
            r.bottom -= m_thickness;
        else
            r.top += m_thickness;
    }
    return r;
}

LRESULT CFlyingTabCtrl::OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&) {
    // The base strip first: buttons, NM_CLICK, selection.
    LRESULT result = 0;
    CCustomTabCtrlBase::ProcessWindowMessage(m_hWnd, uMsg, wParam, lParam, result, 0);
    POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    unsigned flag = 0;
    if (HitTest(pt, &flag) >= 0 && m_hWnd != NULL)
        RunTabDrag(pt);
    return result;
}

bool CFlyingTabCtrl::RunTabDrag(POINT pt) {
    POINT screen = pt;
    ClientToScreen(&screen);
    if (!::DragDetect(m_hWnd, screen))
        return false;
    return TrackTabDrag(pt);
}

bool CFlyingTabCtrl::TrackTabDrag(POINT pt) {
    const bool horizontal = !(GetStyle() & CTS_VERTICAL);
    int dragged = HitTest(pt, nullptr);
    if (dragged < 0)
        return false;
    int lastExchanged = -1;
    int lastCoordinate = horizontal ? pt.x : pt.y;
    POINT last = pt;
    const UiLoopResult end = UiRunCaptureLoopEx(m_hWnd, [&](const MSG& msg) {
        if (msg.message != WM_MOUSEMOVE)
            return UiLoopStep::Default;
        POINT p = {(short)LOWORD(msg.lParam), (short)HIWORD(msg.lParam)};
        if (msg.hwnd != m_hWnd)
            ::MapWindowPoints(msg.hwnd, m_hWnd, &p, 1);
        last = p;
        const int c = horizontal ? p.x : p.y;
        const int h = HitTest(p, nullptr);
        if (h < 0)
            return UiLoopStep::Finish; // the tab left the strip
        if (ShouldExchangeTabs(h, dragged, lastExchanged, c, lastCoordinate)) {
            SwapItems(dragged, h);
            dragged = h;
            SetCurSel(h, true);
            lastExchanged = HitTest(p, nullptr);
        }
        lastCoordinate = c;
        UpdateWindow();
        return UiLoopStep::Taken;
    });
    if (end.cancelled || !::IsWindow(m_hWnd))
        return false;
    if (HitTest(last, nullptr) >= 0)
        return false; // a reorder
    MSG msg;
    while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage((int)msg.wParam);
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    if (!::IsWindow(m_hWnd))
        return false;
    NMHDR nm = {m_hWnd, (UINT_PTR)GetDlgCtrlID(), CTN_DRAGOUT};
    ::SendMessageA(GetParent(), WM_NOTIFY, nm.idFrom, (LPARAM)&nm);
    return true;
}

LRESULT CFlyingTabCtrl::OnLButtonDblClk(UINT, WPARAM, LPARAM lParam, BOOL&) {
    POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (HitTest(pt, nullptr) >= 0) {
        NMHDR nm = {m_hWnd, (UINT_PTR)GetDlgCtrlID(), (UINT)NM_DBLCLK};
        ::SendMessageA(GetParent(), WM_NOTIFY, nm.idFrom, (LPARAM)&nm);
    }
    return 0;
}

// ---------------------------------------------------------------------------
// The tab docking window.
// ---------------------------------------------------------------------------
HWND CTabDockingWindow::Create(HWND frame, const char* title, DWORD style, DWORD exStyle) {
    SetFrame(frame);
    return CWindowImpl::Create(frame, UiRectArg(), title, style, exStyle);
}

void CTabDockingWindow::SetClient(HWND client) {
    m_client = client;
    if (client == NULL)
        return;
    ::SetParent(client, m_hWnd);
    FitClient();
    ::UpdateWindow(client);
}

void CTabDockingWindow::FitClient() {
    if (m_client == NULL)
        return;
    RECT rc;
    GetClientRect(&rc);
    ::SetWindowPos(m_client, NULL, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CTabDockingWindow::OnSize(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (wParam != SIZE_MINIMIZED)
        FitClient();
    bHandled = FALSE;
    return 0;
}

LRESULT CTabDockingWindow::OnSetFocus(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    if (m_client != NULL && ::IsWindow(m_client)) {
        ::SetFocus(m_client);
        return 0;
    }
    bHandled = FALSE;
    return 0;
}
