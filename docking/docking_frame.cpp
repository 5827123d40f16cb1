// The docking frame: its layout, painting, splitters and requests.
#include "docking/docking_frame.h"

#include <algorithm>

using namespace docking;

namespace {

// The outer area's centre: the inner area, laid out where the outer one puts it.
class CInnerAreaEntry : public CAreaEntry {
public:
    explicit CInnerAreaEntry(CDockingArea* inner) : m_inner(inner) {}
    HWND Window() const override { return NULL; }
    bool HitTest(DockingRequest& request) override { return m_inner->HitTest(request); }
    HDWP Place(HDWP batch, const RECT& r) override {
        m_inner->SetRect(r);
        return batch;
    }

private:
    CDockingArea* m_inner;
};

// The inner area's centre: whatever client view the frame has now.
class CClientViewEntry : public CAreaEntry {
public:
    explicit CClientViewEntry(const HWND* client) : m_client(client) {}
    HWND Window() const override { return *m_client; }
    bool HitTest(DockingRequest&) override { return false; }
    HDWP Place(HDWP batch, const RECT& r) override {
        if (batch == NULL || *m_client == NULL)
            return batch;
        return ::DeferWindowPos(batch, *m_client, NULL, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }

private:
    const HWND* m_client;
};

POINT PointOf(LPARAM lParam) {
    return POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)};
}

} // namespace

CDockingFrameBase::CDockingFrameBase() = default;
CDockingFrameBase::~CDockingFrameBase() = default;

BOOL CDockingFrameBase::InitDocking(DWORD flags) {
    if (m_ready)
        return TRUE;
    g_dockingSettings.flags = flags;
    m_outer.SetOwner(m_hWnd);
    m_inner.SetOwner(m_hWnd);
    const BOOL made = m_autoHide.Create(m_hWnd);
    g_dockingSettings.Refresh();
    m_autoHide.RefreshThickness();
    UpdateLayout(TRUE);
    m_outer.SetCentre(new CInnerAreaEntry(&m_inner));
    m_inner.SetCentre(new CClientViewEntry(&m_hWndClient));
    m_ready = true;
    return made;
}

void CDockingFrameBase::UpdateLayout(BOOL resizeBars) {
    if (m_hWnd == NULL || m_inLayout)
        return;
    m_inLayout = true;
    RECT rect = {};
    ::GetClientRect(m_hWnd, &rect);
    UpdateBarsPosition(rect, resizeBars);
    HDC dc = ::GetDC(m_hWnd);
    m_autoHide.LayoutBars(rect);
    if (m_ready) {
        m_outer.SetRect(rect);
        // A new client view is not known to the areas' bounds check.
        m_inner.LayoutEntries();
    }
    if (dc != NULL) {
        PaintDocking(dc);
        ::ReleaseDC(m_hWnd, dc);
    }
    m_inLayout = false;
}

void CDockingFrameBase::PaintDocking(HDC dc) {
    m_autoHide.PaintBars(dc);
    m_outer.PaintStrips(dc);
    m_inner.PaintStrips(dc);
}

void CDockingFrameBase::RedrawFrame() {
    UINT flags = RDW_INVALIDATE | RDW_UPDATENOW;
    if (m_hWndClient == NULL)
        flags |= RDW_ERASE;
    ::RedrawWindow(m_hWnd, NULL, NULL, flags);
}

LRESULT CDockingFrameBase::OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    InitDocking(0);
    bHandled = FALSE;
    return 0;
}

LRESULT CDockingFrameBase::OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&) {
    // The focus stays where the user puts it: a pane may hold it.
    return DefWindowProc(uMsg, wParam, lParam);
}

LRESULT CDockingFrameBase::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    PaintDocking(dc);
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

LRESULT CDockingFrameBase::OnSettingChange(UINT, WPARAM, LPARAM, BOOL&) {
    g_dockingSettings.Refresh();
    m_autoHide.RefreshThickness();
    UpdateLayout(TRUE);
    return 0;
}

LRESULT CDockingFrameBase::OnSetCursor(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if ((HWND)wParam == m_hWnd && LOWORD(lParam) == HTCLIENT) {
        const DWORD pos = ::GetMessagePos();
        POINT pt = {(short)LOWORD(pos), (short)HIWORD(pos)};
        ::ScreenToClient(m_hWnd, &pt);
        HCURSOR cursor = m_inner.SplitterCursor(pt);
        if (cursor == NULL && !::PtInRect(&m_inner.Rect(), pt))
            cursor = m_outer.SplitterCursor(pt);
        if (cursor != NULL) {
            ::SetCursor(cursor);
            return TRUE;
        }
    }
    bHandled = FALSE;
    return 0;
}

LRESULT CDockingFrameBase::OnMouseMove(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if (wParam != 0 || ::GetActiveWindow() == NULL || !m_autoHide.ArmHover(PointOf(lParam)))
        bHandled = FALSE;
    return 0;
}

LRESULT CDockingFrameBase::OnMouseHover(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if (wParam != 0) {
        bHandled = FALSE;
        return 0;
    }
    m_autoHide.ShowHovered(PointOf(lParam));
    return 0;
}

LRESULT CDockingFrameBase::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
    const POINT pt = PointOf(lParam);
    if (!::PtInRect(&m_outer.Rect(), pt))
        return 0;
    const bool outline = g_dockingSettings.OutlineDrag();
    const bool done = ::PtInRect(&m_inner.Rect(), pt) ? m_inner.SplitterDrag(pt, outline)
                                                      : m_outer.SplitterDrag(pt, outline);
    if (!done) {
        bHandled = FALSE;
        return 0;
    }
    RedrawFrame();
    return 0;
}

LRESULT CDockingFrameBase::OnRequest(UINT, WPARAM, LPARAM lParam, BOOL&) {
    DockingRequest* r = (DockingRequest*)lParam;
    return r != nullptr ? HandleRequest(*r) : 0;
}

LRESULT CDockingFrameBase::HandleRequest(DockingRequest& r) {
    if (!m_ready)
        return 0;
    switch (r.code) {
    case kHitTest:
        return HitTest(r);
    case kDock:
        return Dock(r);
    case kUndock:
        return Undock(r);
    case kGetPlacement:
        return GetPlacement(r);
    case kDockAtPlacement:
        return DockAtPlacement(r);
    case kClampDragRect:
        return ClampDragRect(r);
    case kIsAutoHidden:
        return r.host != NULL && r.host == m_autoHide.m_hWnd;
    case kAutoHide:
        return AutoHide(r);
    default:
        return 0;
    }
}

BOOL CDockingFrameBase::HitTest(DockingRequest& r) {
    RectScreenToClient(m_hWnd, r.rect);
    r.host = m_hWnd;
    const bool ok = m_outer.HitTest(r);
    if (!ok)
        r.host = NULL;
    RectClientToScreen(m_hWnd, r.rect);
    return ok;
}

BOOL CDockingFrameBase::Dock(DockingRequest& r) {
    DockRect local = r.rect;
    RectScreenToClient(m_hWnd, local);
    const RECT& outer = m_outer.Rect();
    const POINT pt = {local.left, local.top};
    const bool acrossOuter =
        local.left == outer.left && local.right - local.left == outer.right - outer.left;
    CDockingArea& area = (!::PtInRect(&m_inner.Rect(), pt) || acrossOuter) ? m_outer : m_inner;
    CPackageWindowFrame* bar = CPackageWindowFrame::Create(m_hWnd, area.Orientation());
    if (bar == nullptr)
        return FALSE;
    const bool across = area.Orientation() == 1;
    const int c = across ? local.left : local.top;
    const int l = across ? local.right - local.left : local.bottom - local.top;
    area.Layout().InsertAtDrop(c, l, bar);
    area.LayoutEntries();
    RECT barRect;
    ::GetWindowRect(bar->Window(), &barRect);
    r.host = bar->Window();
    r.rect = ToDockRect(barRect);
    const LRESULT answer = SendRequest(bar->Window(), r);
    RedrawFrame();
    return (BOOL)answer;
}

BOOL CDockingFrameBase::Undock(DockingRequest& r) {
    const bool removed = m_outer.RemoveBar(r.pane) || m_inner.RemoveBar(r.pane);
    RedrawFrame();
    return removed;
}

BOOL CDockingFrameBase::GetPlacement(DockingRequest& r) {
    if (m_autoHide.PlacementOf(r))
        return TRUE;
    auto& p = r.placement;
    CDockingArea* area = &m_outer;
    int i = m_outer.IndexOfWindow(r.host);
    p.flags = 0;
    if (i < 0) {
        area = &m_inner;
        i = m_inner.IndexOfWindow(r.host);
        p.flags = kInnerArea;
    }
    if (i < 0 || i == area->CentreIndex())
        return FALSE;
    const auto& layout = area->Layout();
    p.docked.barSize = layout.NextPosition(i) - layout.PositionAt(i) - kStripSize;
    bool before = false;
    p.docked.barIndex = PlacementBarIndex(layout.Count(), area->CentreIndex(), i, before);
    if (before)
        p.flags |= kBeforeCentre;
    HWND bar = layout.At(i).entry->Window();
    r.host = bar;
    return SendRequest(bar, r) != 0;
}

BOOL CDockingFrameBase::DockAtPlacement(DockingRequest& r) {
    auto& p = r.placement;
    CDockingArea& area = (p.flags & kInnerArea) ? m_inner : m_outer;
    p.docked.barSize = std::max(p.docked.barSize, kMinEntryLength);
    const int centre = area.CentreIndex();
    const PlacementTarget target =
        ChoosePlacementTarget(area.Layout().Count(), centre, (p.flags & kBeforeCentre) != 0,
                              p.docked.barIndex, (p.flags & kAloneInBar) != 0);
    HWND bar = NULL;
    if (target.newBar) {
        CPackageWindowFrame* entry = CPackageWindowFrame::Create(m_hWnd, area.Orientation());
        if (entry == nullptr)
            return FALSE;
        area.Layout().InsertTakingFromCentre(target.index, p.docked.barSize + kStripSize, centre,
                                             entry);
        area.LayoutEntries();
        bar = entry->Window();
    } else {
        bar = area.Layout().At(target.index).entry->Window();
    }
    r.host = bar;
    const LRESULT answer = SendRequest(bar, r);
    RedrawFrame();
    return (BOOL)answer;
}

BOOL CDockingFrameBase::ClampDragRect(DockingRequest& r) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    int w = std::min(r.rect.right - r.rect.left, (int)(client.right / 3));
    int h = std::min(r.rect.bottom - r.rect.top, (int)(client.bottom / 3));
    w = std::max(w, ::GetSystemMetrics(SM_CXMIN));
    h = std::max(h, ::GetSystemMetrics(SM_CYMIN));
    r.rect.right = r.rect.left + w;
    r.rect.bottom = r.rect.top + h;
    return TRUE;
}

BOOL CDockingFrameBase::AutoHide(DockingRequest& r) {
    bool barWasEmpty = false;
    if (!m_autoHide.AddPane(r, barWasEmpty))
        return FALSE;
    if (barWasEmpty) {
        UpdateLayout(TRUE);
        RedrawFrame();
    }
    m_autoHide.ShowPendingEntry();
    return TRUE;
}
