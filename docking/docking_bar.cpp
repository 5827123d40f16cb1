// Docking bars and docking areas.
#include "docking/docking_bar.h"

#include "docking/splitter_drag.h"

using namespace docking;

namespace {

// Where the spans of a layout fall across `rect`.
RECT SpanRect(int orientation, const RECT& rect, int begin, int end) {
    if (orientation == 1)
        return RECT{begin, rect.top, end, rect.bottom};
    return RECT{rect.left, begin, rect.right, end};
}

bool PointIn(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

} // namespace

// ---------------------------------------------------------------------------
// The bar window.
// ---------------------------------------------------------------------------
void CPackageWindow::SetBoundsFromClient() {
    RECT rc;
    GetClientRect(&rc);
    if (m_layout.Orientation() == 1)
        m_layout.SetBounds(rc.left, rc.right);
    else
        m_layout.SetBounds(rc.top, rc.bottom);
}

bool CPackageWindow::LayoutPanes() {
    if (m_layout.Empty())
        return true;
    RECT rc;
    GetClientRect(&rc);
    HDWP batch = ::BeginDeferWindowPos(m_layout.Count());
    if (batch == NULL)
        return false;
    for (const auto& span : m_layout.Spans()) {
        const RECT r = SpanRect(m_layout.Orientation(), rc, span.begin, span.end);
        batch = ::DeferWindowPos(batch, span.entry, NULL, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        if (batch == NULL)
            return false;
    }
    return ::EndDeferWindowPos(batch) != FALSE;
}

LRESULT CPackageWindow::OnSize(UINT, WPARAM wParam, LPARAM, BOOL&) {
    if (wParam != SIZE_MINIMIZED) {
        SetBoundsFromClient();
        LayoutPanes();
    }
    return 0;
}

LRESULT CPackageWindow::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    RECT rc;
    GetClientRect(&rc);
    for (int i = 1; i < m_layout.Count(); ++i) {
        const RECT strip = StripRect(m_layout.Orientation(), rc, m_layout.PositionAt(i));
        ::FillRect(dc, &strip, ::GetSysColorBrush(COLOR_BTNFACE));
    }
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

LRESULT CPackageWindow::OnSetCursor(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if ((HWND)wParam != m_hWnd || LOWORD(lParam) != HTCLIENT) {
        bHandled = FALSE;
        return 0;
    }
    const DWORD pos = ::GetMessagePos();
    POINT pt = {(short)LOWORD(pos), (short)HIWORD(pos)};
    ScreenToClient(&pt);
    if (m_layout.SplitterAt(AxisOf(m_layout.Orientation(), pt)) < 0) {
        bHandled = FALSE;
        return 0;
    }
    ::SetCursor(m_layout.Orientation() == 1 ? g_dockingSettings.sizeWE : g_dockingSettings.sizeNS);
    return TRUE;
}

LRESULT CPackageWindow::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
    POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    RECT rc;
    GetClientRect(&rc);
    const bool done = RunSplitterDrag<HWND>(
        m_hWnd, m_layout, rc, pt, g_dockingSettings.OutlineDrag(), [this](int index, int position) {
            m_layout.MoveSplitter(index, position);
            LayoutPanes();
            Invalidate();
        });
    if (!done)
        bHandled = FALSE;
    return 0;
}

void CPackageWindow::TakeIn(HWND pane) {
    TakePaneIn(pane, m_hWnd, MAKEWPARAM(1, m_layout.Orientation()));
}

void CPackageWindow::ShowPane(HWND pane) {
    ::SetWindowPos(pane, NULL, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

BOOL CPackageWindow::HitTest(DockingRequest& r) {
    if (m_layout.Count() == 1 && m_layout.At(0).entry == r.pane)
        return FALSE; // a pane cannot dock into the bar it fills alone
    DockRect local = r.rect;
    RectScreenToClient(m_hWnd, local);
    RECT rc;
    GetClientRect(&rc);
    if (!PointIn(rc, local.left, local.top))
        return FALSE;
    if (m_layout.Orientation() == 1) {
        local.top = rc.top;
        local.bottom = rc.bottom;
    } else {
        local.left = rc.left;
        local.right = rc.right;
    }
    RectClientToScreen(m_hWnd, local);
    r.rect = local;
    r.host = m_hWnd;
    return TRUE;
}

BOOL CPackageWindow::Dock(DockingRequest& r) {
    if (r.pane == NULL || m_layout.IndexOf(r.pane) >= 0)
        return FALSE;
    DockRect local = r.rect;
    RectScreenToClient(m_hWnd, local);
    const bool across = m_layout.Orientation() == 1;
    const int c = across ? local.left : local.top;
    const int l = across ? local.right - local.left : local.bottom - local.top;
    m_layout.InsertAtDrop(c, l, r.pane);
    TakeIn(r.pane);
    LayoutPanes();
    ShowPane(r.pane);
    Invalidate();
    return TRUE;
}

BOOL CPackageWindow::Undock(DockingRequest& r) {
    const int i = m_layout.IndexOf(r.pane);
    if (i < 0)
        return FALSE;
    m_layout.RemoveFromBar(i);
    LayoutPanes();
    Invalidate();
    GivePaneBack(r.pane, m_hWnd);
    if (m_layout.Empty()) {
        HWND parent = GetParent();
        DockingRequest gone;
        gone.pane = m_hWnd;
        gone.host = parent;
        gone.code = kUndock;
        SendRequest(parent, gone);
        PostMessage(WM_CLOSE);
    }
    return TRUE;
}

BOOL CPackageWindow::GetPlacement(DockingRequest& r) {
    const int i = m_layout.IndexOf(r.pane);
    if (i < 0)
        return FALSE;
    const int length = m_layout.End() - m_layout.Start();
    auto& p = r.placement;
    p.docked.relativePosition =
        length > 0 ? (float)(m_layout.PositionAt(i) - m_layout.Start()) / (float)length : 0.0f;
    p.docked.paneSize = m_layout.NextPosition(i) - m_layout.PositionAt(i) - kStripSize;
    if (m_layout.Count() == 1)
        p.flags |= kAloneInBar;
    else
        p.flags &= ~kAloneInBar;
    return TRUE;
}

BOOL CPackageWindow::DockAtPlacement(DockingRequest& r) {
    if (r.pane == NULL || m_layout.IndexOf(r.pane) >= 0)
        return FALSE;
    const auto& p = r.placement.docked;
    float rel = p.relativePosition;
    if (!(rel >= 0.0f)) // also NaN from a damaged store
        rel = 0.0f;
    if (rel > 1.0f)
        rel = 1.0f;
    const int w = m_layout.Start() + (int)(rel * (float)(m_layout.End() - m_layout.Start()));
    // The stored size is the window's; its strip comes on top, so the pane
    // gets back the length it had.
    const int l = std::max(p.paneSize, 0) + kStripSize;
    m_layout.InsertAtDrop(w, l, r.pane);
    TakeIn(r.pane);
    LayoutPanes();
    ShowPane(r.pane);
    Invalidate();
    return TRUE;
}

BOOL CPackageWindow::ReplacePane(DockingRequest& r) {
    const int i = m_layout.IndexOf(r.pane);
    HWND with = r.replacement;
    if (i < 0 || with == NULL || !::IsWindow(with))
        return FALSE;
    GivePaneBack(r.pane, m_hWnd);
    m_layout.Replace(i, with);
    TakeIn(with);
    LayoutPanes();
    ShowPane(with);
    return TRUE;
}

LRESULT CPackageWindow::OnRequest(UINT, WPARAM, LPARAM lParam, BOOL&) {
    DockingRequest* r = (DockingRequest*)lParam;
    if (r == nullptr)
        return 0;
    switch (r->code) {
    case kHitTest:
        return HitTest(*r);
    case kDock:
        return Dock(*r);
    case kUndock:
        return Undock(*r);
    case kGetPlacement:
        return GetPlacement(*r);
    case kDockAtPlacement:
        return DockAtPlacement(*r);
    case kReplacePane:
        return ReplacePane(*r);
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------
// The bar as an area entry.
// ---------------------------------------------------------------------------
CPackageWindowFrame* CPackageWindowFrame::Create(HWND frame, int areaOrientation) {
    CPackageWindow* bar = new CPackageWindow(areaOrientation == 1 ? 0 : 1);
    RECT empty = {0, 0, 0, 0};
    if (bar->Create(frame, empty, NULL, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                    0) == NULL) {
        delete bar;
        return nullptr;
    }
    CPackageWindowFrame* entry = new CPackageWindowFrame();
    entry->m_hWnd = bar->m_hWnd;
    return entry;
}

bool CPackageWindowFrame::HitTest(DockingRequest& request) {
    HWND owner = ::GetParent(m_hWnd);
    RectClientToScreen(owner, request.rect);
    request.host = m_hWnd;
    const bool ok = SendRequest(m_hWnd, request) != 0;
    RectScreenToClient(owner, request.rect);
    return ok;
}

HDWP CPackageWindowFrame::Place(HDWP batch, const RECT& r) {
    if (batch == NULL)
        return NULL;
    return ::DeferWindowPos(batch, m_hWnd, NULL, r.left, r.top, r.right - r.left, r.bottom - r.top,
                            SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------
// Docking areas.
// ---------------------------------------------------------------------------
CDockingArea::~CDockingArea() {
    for (int i = 0; i < m_layout.Count(); ++i)
        delete m_layout.At(i).entry;
}

void CDockingArea::SetCentre(CAreaEntry* centre) {
    m_centre = centre;
    const bool across = Orientation() == 1;
    m_layout.SetBounds(across ? m_rect.left : m_rect.top, across ? m_rect.right : m_rect.bottom);
    m_layout.InsertAt(m_layout.Start(), m_layout.End() - m_layout.Start(), 0, centre);
    LayoutEntries();
}

void CDockingArea::SetRect(const RECT& r, bool force) {
    if (!force && ::EqualRect(&r, &m_rect))
        return;
    m_rect = r;
    const bool across = Orientation() == 1;
    m_layout.SetBounds(across ? r.left : r.top, across ? r.right : r.bottom);
    LayoutEntries();
}

bool CDockingArea::LayoutEntries() {
    if (m_layout.Empty())
        return true;
    HDWP batch = ::BeginDeferWindowPos(m_layout.Count());
    if (batch == NULL)
        return false;
    for (const auto& span : m_layout.Spans()) {
        batch = span.entry->Place(batch, SpanRect(Orientation(), m_rect, span.begin, span.end));
        if (batch == NULL)
            return false;
    }
    return ::EndDeferWindowPos(batch) != FALSE;
}

int CDockingArea::IndexOfWindow(HWND bar) const {
    if (bar == NULL)
        return -1;
    for (int i = 0; i < m_layout.Count(); ++i)
        if (m_layout.At(i).entry->Window() == bar)
            return i;
    return -1;
}

bool CDockingArea::RemoveBar(HWND bar) {
    const int i = IndexOfWindow(bar);
    if (i < 0 || m_layout.At(i).entry == m_centre)
        return false;
    CAreaEntry* entry = m_layout.At(i).entry;
    m_layout.RemoveFromArea(i, CentreIndex());
    delete entry;
    LayoutEntries();
    return true;
}

bool CDockingArea::HitTest(DockingRequest& request) {
    const DockRect& r = request.rect;
    if (!PointIn(m_rect, r.left, r.top))
        return false;
    const bool across = Orientation() == 1;
    const AreaHit hit = m_layout.HitTestArea(across ? r.left : r.top, across ? r.right : r.bottom);
    if (hit.kind == AreaHit::None)
        return false;
    if (hit.kind == AreaHit::NewBar) {
        if (across) {
            request.rect.top = m_rect.top;
            request.rect.bottom = m_rect.bottom;
        } else {
            request.rect.left = m_rect.left;
            request.rect.right = m_rect.right;
        }
        return true;
    }
    return m_layout.At(hit.index).entry->HitTest(request);
}

void CDockingArea::PaintStrips(HDC dc) const {
    for (int i = 1; i < m_layout.Count(); ++i) {
        const RECT strip = StripRect(Orientation(), m_rect, m_layout.PositionAt(i));
        ::FillRect(dc, &strip, ::GetSysColorBrush(COLOR_BTNFACE));
    }
}

HCURSOR CDockingArea::SplitterCursor(POINT pt) const {
    if (!::PtInRect(&m_rect, pt) || m_layout.SplitterAt(AxisOf(Orientation(), pt)) <= 0)
        return NULL;
    return Orientation() == 1 ? g_dockingSettings.sizeWE : g_dockingSettings.sizeNS;
}

bool CDockingArea::SplitterDrag(POINT pt, bool outline) {
    return RunSplitterDrag<CAreaEntry*>(m_owner, m_layout, m_rect, pt, outline,
                                        [this](int index, int position) {
                                            m_layout.MoveSplitter(index, position);
                                            LayoutEntries();
                                        });
}
