// Auto-hide bars, their entries and the flyout.
#include "docking/auto_hide.h"

#include <algorithm>
#include <cstring>

#include "docking/logic/auto_hide_rules.h"
#include "ui/capture_loop.h"

using namespace docking;

namespace {

constexpr UINT_PTR kHideTimer = 1;
constexpr UINT kHideTimerMs = 1300;
constexpr DWORD kHoverMs = 300;
constexpr int kSlideMs = 100;
constexpr int kEdge = 5;

bool TopOrBottom(int side) {
    return (side & 1) == 0;
}

HFONT BarFont(bool vertical) {
    if (vertical && g_dockingSettings.verticalFont != NULL)
        return g_dockingSettings.verticalFont;
    return g_dockingSettings.guiFont != NULL ? g_dockingSettings.guiFont
                                             : (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
}

int TextExtent(HDC dc, const std::string& text) {
    SIZE s = {0, 0};
    ::GetTextExtentPoint32A(dc, text.c_str(), (int)text.size(), &s);
    return s.cx;
}

AutoHidePaneRecord MakeRecord(HWND pane, int size) {
    AutoHidePaneRecord rec;
    rec.size = size;
    rec.window = pane;
    rec.icon = (HICON)::SendMessageA(pane, WM_GETICON, ICON_SMALL, 0);
    if (rec.icon == NULL)
        rec.icon = (HICON)::GetClassLongPtrA(pane, GCLP_HICONSM);
    const int length = ::GetWindowTextLengthA(pane);
    std::string title((size_t)std::max(length, 0) + 1, '\0');
    ::GetWindowTextA(pane, &title[0], length + 1);
    title.resize(std::strlen(title.c_str()));
    rec.title = title;
    return rec;
}

void TakeIn(HWND pane, HWND manager, int side) {
    TakePaneIn(pane, manager, MAKEWPARAM(1, TopOrBottom(side) ? 1 : 0), WS_CAPTION);
}

void GiveBack(HWND pane, HWND manager) {
    GivePaneBack(pane, manager, WS_CAPTION);
}

// Icon and title inside a rectangle.
void DrawFace(HDC dc, const RECT& outer, const AutoHidePaneRecord& rec, bool vertical) {
    RECT r = outer;
    ::InflateRect(&r, -3, -3);
    const int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
    if (rec.icon != NULL) {
        if (vertical && cy + 6 < r.bottom - r.top) {
            ::DrawIconEx(dc, r.left + (r.right - r.left - cx) / 2, r.top, rec.icon, cx, cy, 0, NULL,
                         DI_NORMAL);
            r.top += cy + 3;
        } else if (!vertical && cx + 6 < r.right - r.left) {
            ::DrawIconEx(dc, r.left, r.top + (r.bottom - r.top - cy) / 2, rec.icon, cx, cy, 0, NULL,
                         DI_NORMAL);
            r.left += cx + 3;
        }
    }
    if (r.right > r.left && r.bottom > r.top)
        CDockingSettings::DrawEllipsisText(dc, rec.title.c_str(), -1, r, !vertical);
}

// ---------------------------------------------------------------------------
// Entries.
// ---------------------------------------------------------------------------
class CAutoHidePane : public CAutoHideEntry {
public:
    explicit CAutoHidePane(AutoHidePaneRecord rec) : m_rec(std::move(rec)) {}

    std::unique_ptr<CAutoHideEntry> Remove(HWND pane, HWND manager) override {
        if (pane == m_rec.window)
            GiveBack(pane, manager);
        return nullptr;
    }
    void Restore(HWND manager, DockingRequest& request) override {
        FillRequest(request, m_rec.window);
        request.pane = m_rec.window;
        GiveBack(m_rec.window, manager);
        request.code = kDockAtPlacement;
        SendRequest(request.host, request);
    }
    void SetLength(int length) override { m_length = length; }
    int GetLength() const override { return m_length; }
    int DesiredLength(HDC dc) const override {
        const int text = TextExtent(dc, m_rec.title);
        return m_rec.icon != NULL ? text + ::GetSystemMetrics(SM_CXSMICON) + 9 : text + 6;
    }
    void FillRequest(DockingRequest& request, HWND) const override {
        auto& p = request.placement;
        p.docked.barIndex = 0;
        p.docked.relativePosition = 0.0f;
        p.docked.barSize = m_rec.size;
        p.docked.paneSize = 1;
        p.tabIndex = 0;
    }
    AutoHidePaneRecord* ActiveRecord() override { return &m_rec; }
    AutoHidePaneRecord* TabAt(int, bool) override { return &m_rec; }
    AutoHidePaneRecord* Find(HWND pane) override { return pane == m_rec.window ? &m_rec : nullptr; }
    void DrawEntry(HDC dc, const RECT& rect, int side) const override {
        ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
        DrawFace(dc, rect, m_rec, (side & 1) != 0);
    }

private:
    AutoHidePaneRecord m_rec;
    int m_length = 0;
};

class CAutoHideTabs : public CAutoHideEntry {
public:
    CAutoHideTabs(std::vector<AutoHidePaneRecord> recs, int active)
        : m_recs(std::move(recs)), m_active(active) {
        m_iconTab = NaturalIconTab();
        FindWidest();
    }

    std::unique_ptr<CAutoHideEntry> Remove(HWND pane, HWND manager) override {
        const int index = IndexOf(pane);
        if (index < 0)
            return nullptr;
        GiveBack(pane, manager);
        const int count = (int)m_recs.size();
        if (count == 2)
            return std::make_unique<CAutoHidePane>(m_recs[(size_t)(1 - index)]);
        std::vector<AutoHidePaneRecord> rest = m_recs;
        rest.erase(rest.begin() + index);
        return std::make_unique<CAutoHideTabs>(std::move(rest),
                                               AutoHideActiveAfterRemove(m_active, index, count));
    }
    void Restore(HWND manager, DockingRequest& request) override {
        HWND frame = request.host;
        const int active = m_active;
        for (int j = 0; j < (int)m_recs.size(); ++j) {
            const AutoHidePaneRecord& rec = m_recs[(size_t)j];
            DockingRequest r = request;
            FillRequest(r, rec.window);
            r.pane = rec.window;
            r.code = kDockAtPlacement;
            GiveBack(rec.window, manager);
            if (j == 0) {
                r.host = frame;
                SendRequest(frame, r);
            } else {
                r.host = m_recs[0].window;
                r.placement.tabIndex = j;
                SendRequest(r.host, r);
            }
        }
        DockingRequest show;
        show.pane = m_recs[(size_t)active].window;
        show.host = m_recs[0].window;
        show.code = kShowPane;
        SendRequest(show.host, show);
    }
    void SetLength(int length) override {
        m_length = length;
        m_iconTab = AutoHideIconTabWidth(length, (int)m_recs.size(), NaturalIconTab());
    }
    int GetLength() const override { return m_length; }
    int DesiredLength(HDC dc) const override {
        return TextExtent(dc, m_recs[(size_t)m_widest].title) + ::GetSystemMetrics(SM_CXSMICON) +
               9 + ((int)m_recs.size() - 1) * NaturalIconTab();
    }
    void FillRequest(DockingRequest& request, HWND pane) const override {
        const int index = IndexOf(pane);
        auto& p = request.placement;
        if (index == m_active)
            p.flags |= kCurrentTab;
        p.docked.barIndex = 0;
        p.docked.relativePosition = 0.0f;
        p.docked.barSize = index >= 0 ? m_recs[(size_t)index].size : 0;
        p.docked.paneSize = 1;
        p.tabIndex = index;
    }
    AutoHidePaneRecord* ActiveRecord() override { return &m_recs[(size_t)m_active]; }
    AutoHidePaneRecord* TabAt(int offset, bool select) override {
        const int hit = AutoHideTabAt(offset, m_active, (int)m_recs.size(), m_iconTab, m_length);
        if (hit < 0)
            return nullptr;
        if (select)
            m_active = hit;
        return &m_recs[(size_t)hit];
    }
    AutoHidePaneRecord* Find(HWND pane) override {
        const int index = IndexOf(pane);
        return index >= 0 ? &m_recs[(size_t)index] : nullptr;
    }
    void DrawEntry(HDC dc, const RECT& rect, int side) const override {
        const bool vertical = (side & 1) != 0;
        ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
        const int count = (int)m_recs.size();
        int pos = vertical ? rect.top : rect.left;
        for (int i = 0; i < count; ++i) {
            const int length = i == m_active ? m_length - (count - 1) * m_iconTab : m_iconTab;
            RECT tab = vertical ? RECT{rect.left, pos, rect.right, pos + length}
                                : RECT{pos, rect.top, pos + length, rect.bottom};
            const AutoHidePaneRecord& rec = m_recs[(size_t)i];
            if (i == m_active) {
                DrawFace(dc, tab, rec, vertical);
            } else {
                RECT inner = tab;
                ::InflateRect(&inner, -3, -3);
                const int cx = ::GetSystemMetrics(SM_CXSMICON),
                          cy = ::GetSystemMetrics(SM_CYSMICON);
                if (rec.icon != NULL && inner.right - inner.left >= cx &&
                    inner.bottom - inner.top >= cy)
                    ::DrawIconEx(dc, inner.left, inner.top, rec.icon, cx, cy, 0, NULL, DI_NORMAL);
                else if (inner.right > inner.left && inner.bottom > inner.top)
                    CDockingSettings::DrawEllipsisText(dc, rec.title.c_str(), -1, inner, !vertical);
            }
            pos += length;
            if (vertical) {
                ::MoveToEx(dc, rect.left, pos, NULL);
                ::LineTo(dc, rect.right, pos);
            } else {
                ::MoveToEx(dc, pos, rect.top, NULL);
                ::LineTo(dc, pos, rect.bottom);
            }
        }
    }

private:
    static int NaturalIconTab() { return ::GetSystemMetrics(SM_CXSMICON) + 6; }
    int IndexOf(HWND pane) const {
        for (size_t i = 0; i < m_recs.size(); ++i)
            if (m_recs[i].window == pane)
                return (int)i;
        return -1;
    }
    void FindWidest() {
        m_widest = 0;
        for (size_t i = 1; i < m_recs.size(); ++i)
            if (m_recs[i].title.size() > m_recs[(size_t)m_widest].title.size())
                m_widest = (int)i;
    }

    std::vector<AutoHidePaneRecord> m_recs;
    int m_length = 0;
    int m_iconTab = 0;
    int m_active = 0;
    int m_widest = 0;
};

} // namespace

// ---------------------------------------------------------------------------
// Bars.
// ---------------------------------------------------------------------------
void CAutoHideBar::Fit(HDC dc) {
    if (entries.empty())
        return;
    HGDIOBJ old = ::SelectObject(dc, BarFont(Vertical()));
    std::vector<int> desired;
    for (const auto& e : entries)
        desired.push_back(e->DesiredLength(dc));
    ::SelectObject(dc, old);
    const int length = Vertical() ? rect.bottom - rect.top : rect.right - rect.left;
    const std::vector<int> fitted = FitAutoHideLengths(desired, length);
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i]->SetLength(fitted[i]);
}

void CAutoHideBar::Paint(HDC dc, bool erase) const {
    if (entries.empty())
        return;
    if (erase) {
        HBRUSH brush = ::CreateSolidBrush(g_dockingSettings.lightFaceColour);
        ::FillRect(dc, &rect, brush);
        ::DeleteObject(brush);
    }
    const bool vertical = Vertical();
    RECT work = rect;
    switch (side) {
    case 3:
        work.right -= 2;
        break;
    case 1:
        work.left += 2;
        break;
    case 2:
        work.bottom -= 2;
        break;
    default:
        work.top += 2;
        break;
    }
    if (vertical) {
        work.top += 3;
        work.bottom -= 3;
    } else {
        work.left += 3;
        work.right -= 3;
    }
    const int workLength = vertical ? work.bottom - work.top : work.right - work.left;
    if (!AutoHideBarPaints((int)entries.size(), workLength))
        return;
    const int saved = ::SaveDC(dc);
    HPEN pen = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
    HPEN face = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNFACE));
    ::SelectObject(dc, pen);
    ::SelectObject(dc, ::GetSysColorBrush(COLOR_BTNFACE));
    ::SetTextColor(dc, g_dockingSettings.dimmedTextColour);
    ::SetBkMode(dc, TRANSPARENT);
    ::SelectObject(dc, BarFont(vertical));
    ::IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    int pos = vertical ? work.top : work.left;
    for (const auto& e : entries) {
        const int length = e->GetLength();
        const RECT r = vertical ? RECT{work.left, pos, work.right, pos + length}
                                : RECT{pos, work.top, pos + length, work.bottom};
        ::SelectObject(dc, pen);
        e->DrawEntry(dc, r, side);
        // The side on the frame's border.
        ::SelectObject(dc, face);
        switch (side) {
        case 3:
            ::MoveToEx(dc, r.left, r.top, NULL);
            ::LineTo(dc, r.left, r.bottom);
            break;
        case 1:
            ::MoveToEx(dc, r.right - 1, r.top, NULL);
            ::LineTo(dc, r.right - 1, r.bottom);
            break;
        case 2:
            ::MoveToEx(dc, r.left, r.top, NULL);
            ::LineTo(dc, r.right, r.top);
            break;
        default:
            ::MoveToEx(dc, r.left, r.bottom - 1, NULL);
            ::LineTo(dc, r.right, r.bottom - 1);
            break;
        }
        pos += length + kAutoHideGap;
    }
    ::RestoreDC(dc, saved);
    ::DeleteObject(pen);
    ::DeleteObject(face);
}

CAutoHideEntry* CAutoHideBar::EntryAt(POINT pt, bool select, AutoHidePaneRecord** record) {
    if (record)
        *record = nullptr;
    if (entries.empty() || !::PtInRect(&rect, pt))
        return nullptr;
    int offset = Vertical() ? pt.y - rect.top : pt.x - rect.left;
    for (const auto& e : entries) {
        const int length = e->GetLength();
        if (offset < length) {
            AutoHidePaneRecord* rec = e->TabAt(offset, select);
            if (record)
                *record = rec;
            return rec != nullptr ? e.get() : nullptr;
        }
        offset -= length + kAutoHideGap;
        if (offset < 0)
            return nullptr; // in the gap
    }
    return nullptr;
}

int CAutoHideBar::IndexOf(HWND pane) const {
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i]->Find(pane) != nullptr)
            return (int)i;
    return -1;
}

// ---------------------------------------------------------------------------
// The manager.
// ---------------------------------------------------------------------------
CAutoHideManager::CAutoHideManager() : m_caption(3, 5, 0) {}

BOOL CAutoHideManager::Create(HWND frame) {
    m_frame = frame;
    for (int side = 0; side < 4; ++side)
        m_bars[side].side = side;
    RefreshThickness();
    RECT empty = {0, 0, 0, 0};
    return CWindowImpl::Create(frame, empty, NULL, 0, 0) != NULL;
}

void CAutoHideManager::RefreshThickness() {
    HWND measure = m_frame != NULL ? m_frame : m_hWnd;
    m_thickness = g_dockingSettings.AutoHideStripHeight(measure);
    HDC dc = ::GetDC(measure);
    HGDIOBJ old = ::SelectObject(dc, DockCaptionFont(false));
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(dc, &tm);
    ::SelectObject(dc, old);
    ::ReleaseDC(measure, dc);
    m_caption.thickness = tm.tmHeight + 10;
}

void CAutoHideManager::LayoutBars(RECT& rc) {
    const int t = m_thickness;
    CAutoHideBar &bottom = m_bars[0], &right = m_bars[1], &top = m_bars[2], &left = m_bars[3];
    const int l = left.Empty() ? 0 : t, r = right.Empty() ? 0 : t;
    top.rect = top.Empty() ? RECT{0, 0, 0, 0} : RECT{rc.left + l, rc.top, rc.right - r, rc.top + t};
    bottom.rect = bottom.Empty() ? RECT{0, 0, 0, 0}
                                 : RECT{rc.left + l, rc.bottom - t, rc.right - r, rc.bottom};
    if (!top.Empty())
        rc.top += t;
    if (!bottom.Empty())
        rc.bottom -= t;
    left.rect = left.Empty() ? RECT{0, 0, 0, 0} : RECT{rc.left, rc.top, rc.left + t, rc.bottom};
    right.rect = right.Empty() ? RECT{0, 0, 0, 0} : RECT{rc.right - t, rc.top, rc.right, rc.bottom};
    rc.left += l;
    rc.right -= r;
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    m_area = rc;
    HDC dc = ::GetDC(m_frame);
    for (CAutoHideBar& bar : m_bars)
        bar.Fit(dc);
    ::ReleaseDC(m_frame, dc);
    if (m_shownPane != NULL)
        PlaceFlyout();
}

void CAutoHideManager::PaintBars(HDC dc) {
    RECT frame;
    ::GetClientRect(m_frame, &frame);
    HBRUSH brush = ::CreateSolidBrush(g_dockingSettings.lightFaceColour);
    for (const CAutoHideBar& bar : m_bars)
        if (!bar.Empty())
            ::FillRect(dc, &bar.rect, brush);
    // The corners where a top or bottom bar meets a side bar.
    const CAutoHideBar &bottom = m_bars[0], &right = m_bars[1], &top = m_bars[2], &left = m_bars[3];
    auto corner = [&](const CAutoHideBar& across, const CAutoHideBar& side, bool atLeft) {
        if (across.Empty() || side.Empty())
            return;
        RECT c = across.rect;
        if (atLeft) {
            c.right = c.left;
            c.left = side.rect.left;
        } else {
            c.left = c.right;
            c.right = side.rect.right;
        }
        ::FillRect(dc, &c, brush);
    };
    corner(top, left, true);
    corner(top, right, false);
    corner(bottom, left, true);
    corner(bottom, right, false);
    ::DeleteObject(brush);
    for (const CAutoHideBar& bar : m_bars)
        bar.Paint(dc, false);
}

void CAutoHideManager::RepaintBar(int side) {
    HDC dc = ::GetDC(m_frame);
    m_bars[side].Fit(dc);
    m_bars[side].Paint(dc, true);
    ::ReleaseDC(m_frame, dc);
}

bool CAutoHideManager::AddPane(DockingRequest& request, bool& barWasEmpty) {
    HWND pane = request.pane;
    const int side = request.autoHide.flags & kSideMask;
    const int size = request.autoHide.barSize;
    const bool showNow = (request.autoHide.showNow & 1) != 0;
    std::vector<HWND> panes;
    if (request.autoHide.paneCount >= 2 && request.autoHide.paneList != nullptr) {
        for (int i = 0; i < request.autoHide.paneCount; ++i) {
            HWND w = request.autoHide.paneList[i];
            if (w != NULL && ::IsWindow(w) &&
                std::find(panes.begin(), panes.end(), w) == panes.end())
                panes.push_back(w);
        }
    }
    if (panes.size() < 2) {
        panes.clear();
        if (pane == NULL || !::IsWindow(pane))
            return false;
        panes.push_back(pane);
    }
    request.host = m_hWnd;
    std::unique_ptr<CAutoHideEntry> entry;
    if (panes.size() == 1) {
        entry = std::make_unique<CAutoHidePane>(MakeRecord(panes[0], size));
    } else {
        std::vector<AutoHidePaneRecord> recs;
        int active = 0;
        for (size_t i = 0; i < panes.size(); ++i) {
            recs.push_back(MakeRecord(panes[i], size));
            if (panes[i] == pane)
                active = (int)i;
        }
        entry = std::make_unique<CAutoHideTabs>(std::move(recs), active);
    }
    for (HWND w : panes)
        TakeIn(w, m_hWnd, side);
    CAutoHideBar& bar = m_bars[side];
    barWasEmpty = bar.Empty();
    CAutoHideEntry* made = entry.get();
    bar.entries.push_back(std::move(entry));
    if (!barWasEmpty)
        RepaintBar(side);
    if (showNow) {
        m_pending = made;
        m_pendingSide = side;
    }
    return true;
}

void CAutoHideManager::ShowPendingEntry() {
    CAutoHideEntry* entry = m_pending;
    m_pending = nullptr;
    if (entry != nullptr)
        ShowEntry(entry, m_pendingSide, false);
}

bool CAutoHideManager::ShowEntry(CAutoHideEntry* entry, int side, bool slide) {
    if (m_shownPane != NULL) {
        KillTimer(kHideTimer);
        ::ShowWindow(m_shownPane, SW_HIDE);
        m_shownPane = NULL;
        m_shownEntry = nullptr;
        ShowWindow(SW_HIDE);
    }
    AutoHidePaneRecord* rec = entry->ActiveRecord();
    if (rec == nullptr)
        return false;
    m_side = side;
    m_edgeHorizontal = TopOrBottom(side);
    if (!::SetWindowPos(rec->window, NULL, 0, 0, 0, 0,
                        SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE))
        return false;
    m_shownPane = rec->window;
    m_shownEntry = entry;
    PlaceFlyout();
    SetWindowText(rec->title.c_str());
    if (slide && g_dockingSettings.FullWindowDrag())
        Slide(kSlideMs, true);
    else
        SetWindowPos(HWND_TOP, 0, 0, 0, 0,
                     SWP_SHOWWINDOW | SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(&client);
    ::SetWindowPos(m_shownPane, NULL, 0, 0, client.right, client.bottom,
                   SWP_NOACTIVATE | SWP_NOZORDER);
    return SetTimer(kHideTimer, kHideTimerMs) != 0;
}

void CAutoHideManager::PlaceFlyout() {
    AutoHidePaneRecord* rec = m_shownEntry ? m_shownEntry->Find(m_shownPane) : nullptr;
    if (rec == nullptr)
        return;
    const RECT& a = m_area;
    const int extent = TopOrBottom(m_side) ? a.bottom - a.top : a.right - a.left;
    const int limit = extent <= 4 ? 5 : extent - 5;
    const int c = std::min(rec->size + 5, limit);
    RECT r = a;
    switch (m_side) {
    case 3:
        r.right = a.left + c;
        break;
    case 1:
        r.left = a.right - c;
        break;
    case 2:
        r.bottom = a.top + c;
        break;
    default:
        r.top = a.bottom - c;
        break;
    }
    SetWindowPos(HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
}

void CAutoHideManager::HideFlyout(bool slide) {
    if (m_shownPane != NULL) {
        KillTimer(kHideTimer);
        ::ShowWindow(m_shownPane, SW_HIDE);
        m_shownPane = NULL;
        m_shownEntry = nullptr;
        if (slide && g_dockingSettings.FullWindowDrag())
            Slide(kSlideMs, false);
    }
    ShowWindow(SW_HIDE);
}

void CAutoHideManager::Slide(int duration, bool in) {
    RECT r;
    GetWindowRect(&r);
    ::MapWindowPoints(NULL, m_frame, (POINT*)&r, 2);
    const bool vertical = !TopOrBottom(m_side);
    const int step = (vertical ? r.right - r.left : r.bottom - r.top) / 10;
    // The edge away from the bar moves; a positive step grows away from it.
    LONG* edge = m_side == 3 ? &r.right : m_side == 1 ? &r.left : m_side == 2 ? &r.bottom : &r.top;
    const int sign = (m_side == 3 || m_side == 2) ? 1 : -1;
    auto place = [&](UINT extra) {
        SetWindowPos(HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOACTIVATE | extra);
    };
    if (in) {
        ::RedrawWindow(m_frame, &r, NULL, RDW_UPDATENOW | RDW_INVALIDATE);
        *edge -= sign * step * 10;
        place(SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    }
    for (int i = 0; i < 10; ++i) {
        const RECT before = r;
        *edge += (in ? sign : -sign) * step;
        place(0);
        RedrawWindow(NULL, NULL, RDW_UPDATENOW | RDW_INVALIDATE);
        if (!in)
            ::RedrawWindow(m_frame, &before, NULL, RDW_UPDATENOW | RDW_INVALIDATE | RDW_ERASE);
        ::Sleep((DWORD)(duration / 10));
    }
}

bool CAutoHideManager::RemovePane(HWND pane, bool redock) {
    int side = -1, index = -1;
    for (int s = 0; s < 4 && index < 0; ++s) {
        index = m_bars[s].IndexOf(pane);
        side = s;
    }
    if (index < 0)
        return false;
    CAutoHideBar& bar = m_bars[side];
    CAutoHideEntry* entry = bar.entries[(size_t)index].get();
    if (m_shownEntry == entry || m_shownPane == pane) {
        KillTimer(kHideTimer);
        if (m_shownPane != NULL)
            ::ShowWindow(m_shownPane, SW_HIDE);
        m_shownPane = NULL;
        m_shownEntry = nullptr;
        ShowWindow(SW_HIDE);
    }
    if (m_hoverCandidate == entry)
        m_hoverCandidate = nullptr;
    if (m_pending == entry)
        m_pending = nullptr;
    std::unique_ptr<CAutoHideEntry> taken = std::move(bar.entries[(size_t)index]);
    if (redock) {
        bar.entries.erase(bar.entries.begin() + index);
    } else {
        std::unique_ptr<CAutoHideEntry> rest = taken->Remove(pane, m_hWnd);
        if (rest)
            bar.entries[(size_t)index] = std::move(rest);
        else
            bar.entries.erase(bar.entries.begin() + index);
    }
    if (!bar.Empty()) {
        RepaintBar(side);
    } else {
        // The frame gives the strip's room back before anything docks
        // again, so the areas do not stretch what they hold.
        bar.rect = RECT{0, 0, 0, 0};
        ::SendMessageA(m_frame, WM_SIZE, 0, 0);
    }
    if (redock) {
        DockingRequest request;
        request.pane = pane;
        request.host = m_frame;
        request.placement.flags = side | kPinnedAway | kAloneInBar;
        taken->Restore(m_hWnd, request);
    }
    if (bar.Empty())
        ::RedrawWindow(m_frame, NULL, NULL, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
    return true;
}

bool CAutoHideManager::PlacementOf(DockingRequest& request) {
    for (int side = 0; side < 4; ++side) {
        const int index = m_bars[side].IndexOf(request.pane);
        if (index < 0)
            continue;
        request.placement.flags = side | kPinnedAway | kAloneInBar;
        m_bars[side].entries[(size_t)index]->FillRequest(request, request.pane);
        request.placement.docked.barIndex = index;
        return true;
    }
    return false;
}

CAutoHideEntry* CAutoHideManager::EntryAt(POINT pt, bool select, int* side) {
    for (int s = 0; s < 4; ++s) {
        CAutoHideEntry* e = m_bars[s].EntryAt(pt, select, nullptr);
        if (e != nullptr) {
            if (side)
                *side = s;
            return e;
        }
    }
    return nullptr;
}

bool CAutoHideManager::ArmHover(POINT pt) {
    CAutoHideEntry* e = EntryAt(pt, false, nullptr);
    if (e == nullptr || (e == m_shownEntry && e->ActiveRecord()->window == m_shownPane))
        return false;
    m_hoverCandidate = e;
    TRACKMOUSEEVENT tme = {sizeof(tme), TME_HOVER, m_frame, kHoverMs};
    ::TrackMouseEvent(&tme);
    return true;
}

void CAutoHideManager::ShowHovered(POINT pt) {
    int side = 0;
    CAutoHideEntry* e = EntryAt(pt, true, &side);
    if (e == nullptr || e != m_hoverCandidate)
        return;
    if (e == m_shownEntry && e->ActiveRecord()->window == m_shownPane)
        return;
    RepaintBar(side);
    ShowEntry(e, side, true);
}

// ---------------------------------------------------------------------------
// The flyout's messages.
// ---------------------------------------------------------------------------
LRESULT CAutoHideManager::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (wParam != kHideTimer) {
        bHandled = FALSE;
        return 0;
    }
    POINT cursor;
    ::GetCursorPos(&cursor);
    RECT window;
    GetWindowRect(&window);
    if (::PtInRect(&window, cursor))
        return 0;
    POINT local = cursor;
    ::ScreenToClient(m_frame, &local);
    CAutoHideEntry* under = EntryAt(local, false, nullptr);
    if (under != nullptr && under == m_shownEntry)
        return 0;
    for (HWND w = ::GetFocus(); w != NULL; w = ::GetParent(w))
        if (w == m_hWnd)
            return 0;
    HideFlyout(true);
    return 0;
}

LRESULT CAutoHideManager::OnSize(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    bHandled = FALSE;
    if (wParam == SIZE_MINIMIZED || m_shownPane == NULL)
        return 0;
    RECT client;
    GetClientRect(&client);
    ::SetWindowPos(m_shownPane, NULL, 0, 0, client.right, client.bottom,
                   SWP_NOACTIVATE | SWP_NOZORDER);
    AutoHidePaneRecord* rec = m_shownEntry ? m_shownEntry->Find(m_shownPane) : nullptr;
    RECT window;
    GetWindowRect(&window);
    const int extent =
        (TopOrBottom(m_side) ? window.bottom - window.top : window.right - window.left) - 5;
    if (rec != nullptr && extent > 0)
        rec->size = extent;
    return 0;
}

LRESULT CAutoHideManager::OnRequest(UINT, WPARAM, LPARAM lParam, BOOL&) {
    DockingRequest* r = (DockingRequest*)lParam;
    if (r == nullptr || r->code != kUndock)
        return 0;
    return RemovePane(r->pane, false);
}

LRESULT CAutoHideManager::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
    if (m_shownPane != NULL)
        ::PostMessageA(m_shownPane, WM_CLOSE, 0, 0);
    return 0;
}

RECT CAutoHideManager::EdgeRect(const RECT& w) const {
    switch (m_side) {
    case 3:
        return RECT{w.right - kEdge, w.top, w.right, w.bottom};
    case 1:
        return RECT{w.left, w.top, w.left + kEdge, w.bottom};
    case 2:
        return RECT{w.left, w.bottom - kEdge, w.right, w.bottom};
    default:
        return RECT{w.left, w.top, w.right, w.top + kEdge};
    }
}

LRESULT CAutoHideManager::OnNcCalcSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    RECT* proposed = (RECT*)lParam;
    const RECT window = *proposed;
    const RECT local = {0, 0, window.right - window.left, window.bottom - window.top};
    m_edge = EdgeRect(local);
    switch (m_side) {
    case 3:
        proposed->right -= kEdge;
        break;
    case 1:
        proposed->left += kEdge;
        break;
    case 2:
        proposed->bottom -= kEdge;
        break;
    default:
        proposed->top += kEdge;
        break;
    }
    if (GetStyle() & (WS_BORDER | WS_DLGFRAME)) {
        // The caption runs across the part the edge left, in window coordinates.
        RECT inner = {proposed->left - window.left, proposed->top - window.top,
                      proposed->right - window.left, proposed->bottom - window.top};
        m_caption.horizontal = true;
        m_caption.rect = RECT{inner.left, inner.top, inner.right, inner.top + m_caption.thickness};
        RECT remaining = m_caption.rect;
        m_caption.close.Layout(remaining, true);
        m_caption.pin.Layout(remaining, true);
        proposed->top += m_caption.thickness;
    } else {
        m_caption.rect = RECT{0, 0, 0, 0};
    }
    return 0;
}

LRESULT CAutoHideManager::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL&) {
    RECT window;
    GetWindowRect(&window);
    POINT pt = {(short)LOWORD(lParam) - window.left, (short)HIWORD(lParam) - window.top};
    if (::PtInRect(&m_edge, pt))
        return TopOrBottom(m_side) ? HTTOP : HTLEFT;
    return m_caption.HitTest(pt);
}

LRESULT CAutoHideManager::OnNcPaint(UINT, WPARAM, LPARAM, BOOL&) {
    HDC dc = ::GetWindowDC(m_hWnd);
    if (dc == NULL)
        return 0;
    if (GetStyle() & (WS_BORDER | WS_DLGFRAME)) {
        ::FillRect(dc, &m_caption.rect, (HBRUSH)(INT_PTR)(COLOR_BTNFACE + 1));
        char text[128] = "";
        GetWindowText(text, sizeof(text));
        RECT t = m_caption.rect;
        t.left += 12;
        t.right = m_caption.pin.rect.left - 3;
        if (t.right > t.left && t.bottom > t.top) {
            const int saved = ::SaveDC(dc);
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            ::SetBkMode(dc, TRANSPARENT);
            ::SelectObject(dc, DockCaptionFont(false));
            CDockingSettings::DrawEllipsisText(dc, text, -1, t, true);
            ::RestoreDC(dc, saved);
        }
        m_caption.close.Draw(dc);
        m_caption.pin.Draw(dc);
        RECT edge = m_caption.rect;
        ::DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
    }
    ::FillRect(dc, &m_edge, (HBRUSH)(INT_PTR)(COLOR_BTNFACE + 1));
    RECT edge = m_edge;
    ::DrawEdge(dc, &edge, BDR_RAISEDINNER,
               m_edgeHorizontal ? (BF_TOP | BF_BOTTOM) : (BF_LEFT | BF_RIGHT));
    ::ReleaseDC(m_hWnd, dc);
    return 0;
}

LRESULT CAutoHideManager::OnNcMouseMove(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if ((wParam != kHitPinButton && wParam != kHitCloseButton) || ::GetCapture() != NULL) {
        bHandled = FALSE;
        return 0;
    }
    TrackCaptionButton(m_hWnd, m_caption, (LRESULT)wParam, false);
    return 0;
}

LRESULT CAutoHideManager::OnNcLButtonDown(UINT, WPARAM wParam, LPARAM, BOOL&) {
    if (wParam == HTLEFT || wParam == HTTOP)
        ResizeDrag();
    else if (wParam == kHitPinButton || wParam == kHitCloseButton)
        TrackCaptionButton(m_hWnd, m_caption, (LRESULT)wParam, true);
    // Anything else is swallowed: the flyout does not move by its caption.
    return 0;
}

LRESULT CAutoHideManager::OnNcLButtonUp(UINT, WPARAM wParam, LPARAM, BOOL&) {
    if (wParam == kHitPinButton && m_shownPane != NULL)
        RemovePane(m_shownPane, true);
    else if (wParam == kHitCloseButton)
        PostMessage(WM_CLOSE);
    return 0;
}

LRESULT CAutoHideManager::OnNcActivate(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    if (!IsWindowEnabled()) {
        bHandled = FALSE;
        return 0;
    }
    return TRUE;
}

LRESULT CAutoHideManager::OnSetTextOrIcon(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&) {
    return DefProcWithoutCaption(*this, uMsg, wParam, lParam);
}

LRESULT CAutoHideManager::OnGetMinMaxInfo(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&) {
    return DefProcNoMinimumSize(*this, uMsg, wParam, lParam);
}

LRESULT CAutoHideManager::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&) {
    return 1; // the pane covers the client area
}

void CAutoHideManager::ResizeDrag() {
    RECT start;
    GetWindowRect(&start);
    ::MapWindowPoints(NULL, m_frame, (POINT*)&start, 2);
    RECT r = start;
    const bool outline = g_dockingSettings.OutlineDrag();
    const bool vertical = !TopOrBottom(m_side);
    LONG* edge = m_side == 3 ? &r.right : m_side == 1 ? &r.left : m_side == 2 ? &r.bottom : &r.top;
    const int low = (vertical ? m_area.left : m_area.top) + kEdge;
    const int high = (vertical ? m_area.right : m_area.bottom) - kEdge;
    GhostPainter& painter = CurrentGhostPainter();
    auto ghost = [&]() {
        RECT w = r;
        ::MapWindowPoints(m_frame, NULL, (POINT*)&w, 2);
        painter.InvertSolid(ToDockRect(EdgeRect(w)));
    };
    if (outline)
        ghost();
    const bool done = UiRunCaptureLoop(m_hWnd, [&](const MSG& msg) {
        if (msg.message != WM_MOUSEMOVE)
            return UiLoopStep::Default;
        POINT pt = msg.pt;
        ::ScreenToClient(m_frame, &pt);
        const int wanted = std::clamp((int)(vertical ? pt.x : pt.y), low, std::max(low, high));
        if (wanted != *edge) {
            if (outline)
                ghost();
            *edge = wanted;
            if (outline)
                ghost();
            else
                SetWindowPos(NULL, r.left, r.top, r.right - r.left, r.bottom - r.top,
                             SWP_NOACTIVATE | SWP_NOZORDER);
        }
        UpdateWindow();
        return UiLoopStep::Taken;
    });
    if (outline)
        ghost();
    if (!done)
        r = start;
    SetWindowPos(NULL, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOACTIVATE | SWP_NOZORDER);
}
