// Frame windows: bar helpers, layout and the frame's accelerators.
#include "ui/frame_window.h"

#include <cstring>

namespace {

// The size a band needs for a toolbar: the extent of its last visible button.
SIZE ToolBarExtent(HWND toolbar) {
    SIZE size = {0, 0};
    int count = (int)::SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0);
    for (int i = count - 1; i >= 0; --i) {
        RECT r = {};
        if (::SendMessageA(toolbar, TB_GETITEMRECT, i, (LPARAM)&r)) {
            size.cx = r.right;
            size.cy = r.bottom;
            break;
        }
    }
    if (size.cy == 0) {
        DWORD buttonSize = (DWORD)::SendMessageA(toolbar, TB_GETBUTTONSIZE, 0, 0);
        size.cy = HIWORD(buttonSize);
    }
    return size;
}

bool IsToolBar(HWND hWnd) {
    char name[32] = {0};
    ::GetClassNameA(hWnd, name, sizeof name);
    return std::strcmp(name, TOOLBARCLASSNAMEA) == 0;
}

// The window's own visibility: its frame may still be hidden (layout runs
// from WM_CREATE, before the frame is shown).
bool HasVisibleStyle(HWND hWnd) {
    return hWnd != NULL && (::GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool IsReBar(HWND hWnd) {
    char name[32] = {0};
    ::GetClassNameA(hWnd, name, sizeof name);
    return std::strcmp(name, REBARCLASSNAMEA) == 0;
}

} // namespace

void UiLoadFrameIcons(CWndClassInfo& info, UINT resourceId) {
    if (info.m_hIcon != NULL)
        return;
    HINSTANCE inst = UiModuleInstance();
    info.m_hIcon = (HICON)::LoadImageA(inst, MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                       ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON),
                                       LR_DEFAULTCOLOR);
    info.m_hIconSm = (HICON)::LoadImageA(inst, MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                         ::GetSystemMetrics(SM_CXSMICON),
                                         ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR);
}

HWND CFrameWindowImplBase::CreateFromResource(ATOM atom, UINT resourceId, HWND parent,
                                              const RECT* rect, LPCSTR windowName, DWORD style,
                                              DWORD exStyle, LPVOID param) {
    HINSTANCE inst = UiModuleInstance();
    char title[256] = {0};
    if (windowName == NULL && ::LoadStringA(inst, resourceId, title, sizeof title) > 0)
        windowName = title;
    HMENU menu = ::LoadMenuA(inst, MAKEINTRESOURCEA(resourceId));
    // The table is needed as soon as the window exists; WM_CREATE may already pump.
    if (m_hAccel == NULL)
        m_hAccel = ::LoadAcceleratorsA(inst, MAKEINTRESOURCEA(resourceId));
    m_hMenu = menu;
    HWND hWnd = CreateImpl(atom, parent, rect, windowName, style, exStyle, menu, param);
    if (hWnd == NULL && menu != NULL) {
        ::DestroyMenu(menu);
        m_hMenu = NULL;
    }
    return hWnd;
}

// ---------------------------------------------------------------------------
// Bars.
// ---------------------------------------------------------------------------
HWND CFrameWindowImplBase::CreateSimpleReBarCtrl(HWND parent, DWORD style, UINT nID) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_COOL_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    HWND rebar = ::CreateWindowExA(0, REBARCLASSNAMEA, NULL, style, 0, 0, 100, 100, parent,
                                   (HMENU)(UINT_PTR)nID, UiModuleInstance(), NULL);
    if (rebar == NULL)
        return NULL;
    REBARINFO info = {};
    info.cbSize = sizeof info;
    if (!::SendMessageA(rebar, RB_SETBARINFO, 0, (LPARAM)&info)) {
        ::DestroyWindow(rebar);
        return NULL;
    }
    return rebar;
}

BOOL CFrameWindowImplBase::CreateSimpleReBar(DWORD style, UINT nID) {
    m_hWndToolBar = CreateSimpleReBarCtrl(m_hWnd, style, nID);
    return m_hWndToolBar != NULL;
}

BOOL CFrameWindowImplBase::AddSimpleReBarBandCtrl(HWND rebar, HWND band, UINT nID, LPCSTR title,
                                                  BOOL newRow, int cxWidth, BOOL fullWidthAlways) {
    if (rebar == NULL || band == NULL)
        return FALSE;
    int count = (int)::SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0);
    REBARBANDINFOA rbi = {};
    // The size every common-controls version accepts (no header and chevron fields).
    rbi.cbSize = REBARBANDINFOA_V6_SIZE;
    rbi.fMask =
        RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_ID | RBBIM_SIZE | RBBIM_IDEALSIZE;
    rbi.fStyle = RBBS_CHILDEDGE;
    if (newRow)
        rbi.fStyle |= RBBS_BREAK;
    if (title != NULL) {
        rbi.fMask |= RBBIM_TEXT;
        rbi.lpText = const_cast<LPSTR>(title);
    }
    rbi.hwndChild = band;
    rbi.wID = nID != 0 ? nID : UI_IDW_BAND_FIRST + (UINT)count;

    RECT r = {};
    ::GetWindowRect(band, &r);
    int cx = r.right - r.left, cy = r.bottom - r.top;
    if (IsToolBar(band)) {
        SIZE extent = ToolBarExtent(band);
        int buttons = (int)::SendMessageA(band, TB_BUTTONCOUNT, 0, 0);
        if (buttons > 0)
            rbi.fStyle |= RBBS_USECHEVRON;
        cx = extent.cx;
        cy = extent.cy;
    }
    rbi.cxMinChild = fullWidthAlways ? cx : 0;
    rbi.cyMinChild = cy;
    rbi.cxIdeal = cx;
    rbi.cx = cxWidth != 0 ? cxWidth : cx;
    if (fullWidthAlways)
        rbi.fStyle |= RBBS_FIXEDSIZE;
    return ::SendMessageA(rebar, RB_INSERTBANDA, (WPARAM)-1, (LPARAM)&rbi) != 0;
}

BOOL CFrameWindowImplBase::AddSimpleReBarBand(HWND band, LPCSTR title, BOOL newRow, int cxWidth,
                                              BOOL fullWidthAlways) {
    return AddSimpleReBarBandCtrl(m_hWndToolBar, band, 0, title, newRow, cxWidth, fullWidthAlways);
}

HWND CFrameWindowImplBase::CreateSimpleToolBarCtrl(HWND parent, const TBBUTTON* buttons, int count,
                                                   HIMAGELIST normal, HIMAGELIST hot,
                                                   HIMAGELIST disabled, DWORD style, UINT nID,
                                                   DWORD exStyle) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    HWND toolbar = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, NULL, style, 0, 0, 100, 100, parent,
                                     (HMENU)(UINT_PTR)nID, UiModuleInstance(), NULL);
    if (toolbar == NULL)
        return NULL;
    ::SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (exStyle != 0)
        ::SendMessageA(toolbar, TB_SETEXTENDEDSTYLE, 0, (LPARAM)exStyle);
    if (normal != NULL)
        ::SendMessageA(toolbar, TB_SETIMAGELIST, 0, (LPARAM)normal);
    if (hot != NULL)
        ::SendMessageA(toolbar, TB_SETHOTIMAGELIST, 0, (LPARAM)hot);
    if (disabled != NULL)
        ::SendMessageA(toolbar, TB_SETDISABLEDIMAGELIST, 0, (LPARAM)disabled);
    if (count > 0 && buttons != NULL &&
        !::SendMessageA(toolbar, TB_ADDBUTTONSA, (WPARAM)count, (LPARAM)buttons)) {
        ::DestroyWindow(toolbar);
        return NULL;
    }
    ::SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
    return toolbar;
}

BOOL CFrameWindowImplBase::CreateSimpleStatusBar(LPCSTR text, DWORD style, UINT nID) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    m_hWndStatusBar = ::CreateWindowExA(0, STATUSCLASSNAMEA, text, style, 0, 0, 0, 0, m_hWnd,
                                        (HMENU)(UINT_PTR)nID, UiModuleInstance(), NULL);
    return m_hWndStatusBar != NULL;
}

// ---------------------------------------------------------------------------
// Layout.
// ---------------------------------------------------------------------------
void CFrameWindowImplBase::UpdateBarsPosition(RECT& rect, BOOL resizeBars) {
    if (HasVisibleStyle(m_hWndToolBar)) {
        if (resizeBars) {
            // A rebar is as high as its bands; a lone toolbar as its buttons
            // (placed by hand: with CCS_NOPARENTALIGN it does not place itself).
            int height = 0;
            if (IsReBar(m_hWndToolBar)) {
                ::SendMessageA(m_hWndToolBar, WM_SIZE, 0, 0);
                height = (int)::SendMessageA(m_hWndToolBar, RB_GETBARHEIGHT, 0, 0);
            } else if (IsToolBar(m_hWndToolBar)) {
                ::SendMessageA(m_hWndToolBar, TB_AUTOSIZE, 0, 0);
                height = ToolBarExtent(m_hWndToolBar).cy;
            } else {
                RECT own = {};
                ::GetWindowRect(m_hWndToolBar, &own);
                height = own.bottom - own.top;
            }
            ::SetWindowPos(m_hWndToolBar, NULL, rect.left, rect.top, rect.right - rect.left, height,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            ::InvalidateRect(m_hWndToolBar, NULL, TRUE);
        }
        RECT bar = {};
        ::GetWindowRect(m_hWndToolBar, &bar);
        rect.top += bar.bottom - bar.top;
    }
    if (HasVisibleStyle(m_hWndStatusBar)) {
        if (resizeBars)
            ::SendMessageA(m_hWndStatusBar, WM_SIZE, 0, 0);
        RECT bar = {};
        ::GetWindowRect(m_hWndStatusBar, &bar);
        rect.bottom -= bar.bottom - bar.top;
    }
    if (rect.bottom < rect.top)
        rect.bottom = rect.top;
}

void CFrameWindowImplBase::UpdateLayout(BOOL resizeBars) {
    if (m_hWnd == NULL || m_inLayout)
        return;
    m_inLayout = true;
    RECT rect = {};
    ::GetClientRect(m_hWnd, &rect);
    UpdateBarsPosition(rect, resizeBars);
    if (m_hWndClient != NULL)
        ::SetWindowPos(m_hWndClient, NULL, rect.left, rect.top, rect.right - rect.left,
                       rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    m_inLayout = false;
}

BOOL CFrameWindowImplBase::ShowBand(UINT bandId, BOOL show) {
    if (m_hWndToolBar == NULL || !IsReBar(m_hWndToolBar))
        return FALSE;
    int index = (int)::SendMessageA(m_hWndToolBar, RB_IDTOINDEX, bandId, 0);
    if (index < 0)
        return FALSE;
    ::SendMessageA(m_hWndToolBar, RB_SHOWBAND, (WPARAM)index, show ? TRUE : FALSE);
    UpdateLayout();
    return TRUE;
}

BOOL CFrameWindowImplBase::IsBandVisible(UINT bandId) const {
    if (m_hWndToolBar == NULL || !IsReBar(m_hWndToolBar))
        return FALSE;
    int index = (int)::SendMessageA(m_hWndToolBar, RB_IDTOINDEX, bandId, 0);
    if (index < 0)
        return FALSE;
    REBARBANDINFOA rbi = {};
    rbi.cbSize = REBARBANDINFOA_V6_SIZE;
    rbi.fMask = RBBIM_STYLE;
    if (!::SendMessageA(m_hWndToolBar, RB_GETBANDINFOA, (WPARAM)index, (LPARAM)&rbi))
        return FALSE;
    return (rbi.fStyle & RBBS_HIDDEN) == 0;
}

void CFrameWindowImplBase::ShowStatusBar(BOOL show) {
    if (m_hWndStatusBar == NULL)
        return;
    ::ShowWindow(m_hWndStatusBar, show ? SW_SHOWNOACTIVATE : SW_HIDE);
    UpdateLayout();
}

// ---------------------------------------------------------------------------
// Keyboard and messages.
// ---------------------------------------------------------------------------
BOOL CFrameWindowImplBase::PreTranslateMessage(MSG* pMsg) {
    if (m_hAccel == NULL || m_hWnd == NULL || pMsg == NULL)
        return FALSE;
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return FALSE;
    // Only this frame's keys: another frame's filter may be asked first.
    if (pMsg->hwnd == NULL || ::GetAncestor(pMsg->hwnd, GA_ROOT) != m_hWnd)
        return FALSE;
    return ::TranslateAcceleratorA(m_hWnd, m_hAccel, pMsg) != 0;
}

LRESULT CFrameWindowImplBase::OnSize(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (wParam != SIZE_MINIMIZED)
        UpdateLayout();
    bHandled = FALSE;
    return 0;
}

LRESULT CFrameWindowImplBase::OnEraseBackground(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    // The client window covers the background: erasing it would only flicker.
    if (HasVisibleStyle(m_hWndClient))
        return 1;
    bHandled = FALSE;
    return 0;
}

LRESULT CFrameWindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    if (HasVisibleStyle(m_hWndClient))
        ::SetFocus(m_hWndClient);
    bHandled = FALSE;
    return 0;
}

LRESULT CFrameWindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    // A menu that the command bar took is no longer the window's; destroy it here.
    if (m_hMenu != NULL && ::GetMenu(m_hWnd) != m_hMenu)
        ::DestroyMenu(m_hMenu);
    m_hMenu = NULL;
    if (m_hAccel != NULL)
        ::DestroyAcceleratorTable(m_hAccel);
    m_hAccel = NULL;
    bHandled = FALSE;
    return 0;
}

LRESULT CFrameWindowImplBase::OnReBarAutoSize(int, LPNMHDR pnmh, BOOL& bHandled) {
    if (pnmh->hwndFrom != m_hWndToolBar || m_hWndToolBar == NULL) {
        bHandled = FALSE;
        return 0;
    }
    UpdateLayout(FALSE);
    return 0;
}
