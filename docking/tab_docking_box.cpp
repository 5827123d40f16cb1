// The tabbed docking box.
#include "docking/tab_docking_box.h"

#include "docking/logic/tab_rules.h"
#include "resources/resource.h"

using namespace docking;

CTabDockingBox* CTabDockingBox::CreateBox(HWND frame) {
    CTabDockingBox* box = new CTabDockingBox();
    box->SetFrame(frame);
    RECT r = {0, 0, 100, 100};
    if (box->Create(frame, r, NULL,
                    WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW,
                    WS_EX_TOOLWINDOW) == NULL) {
        delete box;
        return nullptr;
    }
    return box;
}

LRESULT CTabDockingBox::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    RECT r = {0, 0, 0, 0};
    m_tabs.Create(m_hWnd, r, NULL,
                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | CTS_TOOLTIPS |
                      CTS_BOTTOM,
                  0, IDC_DOCK_TAB_STRIP);
    m_images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 5);
    m_tabs.SetImageList(m_images);
    return 0;
}

LRESULT CTabDockingBox::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    m_tabs.SetImageList(NULL);
    if (m_images != NULL)
        ImageList_Destroy(m_images);
    m_images = NULL;
    bHandled = FALSE;
    return 0;
}

LRESULT CTabDockingBox::OnSize(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (wParam != SIZE_MINIMIZED && m_tabs.m_hWnd != NULL) {
        RECT rc;
        GetClientRect(&rc);
        m_tabs.PlaceStrip(rc, NULL, SWP_NOACTIVATE | SWP_NOZORDER);
        if (m_shown != NULL) {
            const RECT page = m_tabs.PageRect(rc);
            ::SetWindowPos(m_shown, NULL, page.left, page.top, page.right - page.left,
                           page.bottom - page.top, SWP_NOACTIVATE | SWP_NOZORDER);
        }
    }
    bHandled = FALSE;
    return 0;
}

HWND CTabDockingBox::PaneAt(int index) const {
    const CCustomTabItem* item = m_tabs.GetItem(index);
    return item != nullptr ? (HWND)item->data : NULL;
}

int CTabDockingBox::ImageFor(HWND pane) {
    for (const auto& known : m_imageOf)
        if (known.first == pane)
            return known.second;
    HICON icon = (HICON)::SendMessageA(pane, WM_GETICON, ICON_SMALL, 0);
    if (icon == NULL)
        icon = (HICON)::GetClassLongPtrA(pane, GCLP_HICONSM);
    if (icon == NULL || m_images == NULL)
        return -1;
    const int index = ImageList_AddIcon(m_images, icon);
    if (index >= 0)
        m_imageOf.push_back({pane, index});
    return index;
}

int CTabDockingBox::AddPane(int position, HWND pane, LPARAM data) {
    char title[256] = "";
    ::GetWindowTextA(pane, title, sizeof(title));
    return m_tabs.AddItem(title, position, ImageFor(pane), data);
}

void CTabDockingBox::TakeIn(HWND pane) {
    TakePaneIn(pane, m_hWnd, 1, WS_CAPTION);
}

bool CTabDockingBox::RemovePane(HWND pane) {
    const int index = m_tabs.FindData((LPARAM)pane);
    if (pane == NULL || index < 0)
        return false;
    if (m_shown == pane)
        m_shown = NULL;
    if (!m_tabs.DeleteItem(index, true, false))
        return false;
    GivePaneBack(pane, m_hWnd, WS_CAPTION);
    return true;
}

void CTabDockingBox::ShowSelected() {
    HWND pane = PaneAt(m_tabs.GetCurSel());
    if (pane == NULL || pane == m_shown)
        return;
    if (m_shown != NULL)
        ::ShowWindow(m_shown, SW_HIDE);
    m_shown = pane;
    RECT rc;
    GetClientRect(&rc);
    const RECT page = m_tabs.PageRect(rc);
    ::SetWindowPos(pane, NULL, page.left, page.top, page.right - page.left, page.bottom - page.top,
                   SWP_NOACTIVATE | SWP_NOZORDER | SWP_SHOWWINDOW);
    char title[256] = "";
    ::GetWindowTextA(pane, title, sizeof(title));
    SetWindowText(title);
    HICON icon = (HICON)::SendMessageA(pane, WM_GETICON, ICON_SMALL, 0);
    if (icon == NULL)
        icon = (HICON)::GetClassLongPtrA(pane, GCLP_HICONSM);
    SendMessage(WM_SETICON, ICON_SMALL, (LPARAM)icon);
}

LRESULT CTabDockingBox::OnSelChange(int, LPNMHDR, BOOL&) {
    ShowSelected();
    return 0;
}

LRESULT CTabDockingBox::OnDragOut(int, LPNMHDR, BOOL&) {
    HWND pane = PaneAt(m_tabs.GetCurSel());
    if (pane != NULL) {
        RECT w;
        ::GetWindowRect(pane, &w);
        ::PostMessageA(pane, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(w.left, w.top));
    }
    return 0;
}

LRESULT CTabDockingBox::OnTabDblClk(int, LPNMHDR, BOOL&) {
    HWND pane = PaneAt(m_tabs.GetCurSel());
    if (pane != NULL) {
        RECT w;
        ::GetWindowRect(pane, &w);
        ::PostMessageA(pane, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(w.left, w.top));
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Requests.
// ---------------------------------------------------------------------------
BOOL CTabDockingBox::DockPane(DockingRequest& r, int position) {
    if (r.pane == NULL || r.pane == m_hWnd || !::IsWindow(r.pane))
        return FALSE;
    if (m_tabs.FindData((LPARAM)r.pane) >= 0)
        return FALSE;
    if (position < 0 || position > PaneCount())
        position = -1;
    TakeIn(r.pane);
    return AddPane(position, r.pane, (LPARAM)r.pane) >= 0;
}

void CTabDockingBox::DropPlaceholder() {
    if (m_placeholder < 0)
        return;
    const CCustomTabItem* item = m_tabs.GetItem(m_placeholder);
    if (item != nullptr && item->data == 0) {
        m_tabs.DeleteItem(m_placeholder, true, false);
        m_tabs.SetCurSel(m_selectionBefore, true);
    }
    m_placeholder = -1;
}

BOOL CTabDockingBox::HitTestStrip(DockingRequest& r) {
    POINT pt = {r.rect.left, r.rect.top};
    bool ours = false;
    for (HWND w = ::WindowFromPoint(pt); w != NULL; w = ::GetParent(w))
        if (w == m_hWnd) {
            ours = true;
            break;
        }
    if (!ours || m_tabs.m_hWnd == NULL)
        return FALSE;
    POINT local = pt;
    ::ScreenToClient(m_tabs.m_hWnd, &local);
    RECT strip;
    m_tabs.GetClientRect(&strip);
    if (!::PtInRect(&strip, local)) {
        if (SendMessage(WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)) != HTCAPTION)
            return FALSE;
        if (IsDocked() && !m_caption.horizontal)
            local = POINT{(strip.left + strip.right) / 2, (strip.top + strip.bottom) / 2};
        else
            local.y = (strip.top + strip.bottom) / 2;
    }
    const bool horizontal = !(m_tabs.GetStyle() & CTS_VERTICAL);
    const int c = horizontal ? local.x : local.y;
    int moving = m_placeholder;
    const int selected = m_tabs.GetCurSel();
    const CCustomTabItem* current = m_tabs.GetItem(selected);
    if (current != nullptr && current->data != 0 && (HWND)current->data != r.pane) {
        // A placeholder tab shows where the pane would go.
        int at = m_tabs.HitTest(local, nullptr);
        if (at < 0) {
            RECT first;
            m_tabs.GetItemRect(0, &first);
            at = c < (horizontal ? first.left : first.top) ? 0 : PaneCount();
        }
        m_selectionBefore = selected;
        char title[256] = "";
        ::GetWindowTextA(r.pane, title, sizeof(title));
        moving = m_tabs.AddItem(title, at, ImageFor(r.pane), 0);
        MSG msg;
        while (::PeekMessageA(&msg, NULL, WM_NOTIFY, WM_NOTIFY, PM_REMOVE))
            ::DispatchMessageA(&msg);
        m_placeholder = moving;
        m_lastExchanged = -1;
        m_lastCoordinate = c;
    } else if (moving < 0) {
        moving = selected; // the dragged pane's own tab, or the placeholder
        m_placeholder = current != nullptr && current->data == 0 ? selected : -1;
    }
    const int under = m_tabs.HitTest(local, nullptr);
    if (under >= 0 && moving >= 0 && under != moving &&
        ShouldExchangeTabs(under, moving, m_lastExchanged, c, m_lastCoordinate)) {
        m_tabs.SwapItems(moving, under);
        if (m_placeholder == moving)
            m_placeholder = under;
        moving = under;
        m_tabs.SetCurSel(under, true);
        m_lastExchanged = m_tabs.HitTest(local, nullptr);
    }
    m_lastCoordinate = c;
    r.host = m_hWnd;
    r.rect = DockRect{moving, moving, moving, moving};

    // Look at what comes next: the placeholder stays only while the
    // pointer keeps moving over the strip without Ctrl.
    MSG next;
    bool pending = false;
    while (::GetCapture() == r.pane && r.pane != NULL) {
        while (::PeekMessageA(&next, NULL, 0, 0, PM_REMOVE | PM_QS_PAINT))
            ::DispatchMessageA(&next);
        if (::PeekMessageA(&next, NULL, 0, 0, PM_NOREMOVE)) {
            pending = true;
            break;
        }
        ::MsgWaitForMultipleObjects(0, NULL, FALSE, 100, QS_ALLINPUT);
    }
    bool keep = pending && next.message == WM_MOUSEMOVE && ::GetKeyState(VK_CONTROL) >= 0;
    if (keep) {
        POINT p = next.pt;
        ::ScreenToClient(m_tabs.m_hWnd, &p);
        keep = ::PtInRect(&strip, p) != FALSE;
    }
    if (!keep) {
        const int position = m_placeholder;
        DropPlaceholder();
        if (position >= 0)
            r.rect = DockRect{position, position, position, position};
    }
    return TRUE;
}

LRESULT CTabDockingBox::HandleRequest(DockingRequest& r) {
    switch (r.code) {
    case kHitTest:
        return HitTestStrip(r);
    case kDock:
        return DockPane(r, r.rect.left);
    case kDockAtPlacement:
        return DockPane(r, r.placement.tabIndex);
    case kUndock: {
        const bool removed = RemovePane(r.pane);
        if (removed && PaneCount() == 1)
            PostMessage(WM_CLOSE, 1);
        return removed;
    }
    case kGetPlacement: {
        HWND member = r.pane;
        AnswerPlacement(r);
        const int index = m_tabs.FindData((LPARAM)member);
        r.placement.tabIndex = index;
        if (PaneCount() == 2 && index >= 0)
            r.host = PaneAt(1 - index);
        else
            r.host = m_hWnd;
        if (member != NULL && member == m_shown)
            r.placement.flags |= kCurrentTab;
        r.pane = member;
        return TRUE;
    }
    case kIsDockingBox:
        return 1;
    case kShowPane: {
        const int index = m_tabs.FindData((LPARAM)r.pane);
        if (index < 0)
            return 0;
        m_tabs.SetCurSel(index, true);
        if (!IsWindowVisible())
            Show();
        return 1;
    }
    default:
        return 0;
    }
}

BOOL CTabDockingBox::DockTo(DockingRequest& request) {
    HWND target = request.host;
    if (!IsDockingBox(target))
        return CDockingWindowBase::DockTo(request);
    HWND shown = m_shown;
    for (int i = PaneCount() - 1; i >= 0; --i) {
        HWND pane = PaneAt(i);
        if (pane == NULL || !RemovePane(pane))
            continue;
        DockingRequest offer;
        offer.pane = pane;
        offer.host = target;
        offer.code = kDock;
        offer.rect = DockRect{-1, -1, -1, -1};
        SendRequest(target, offer);
    }
    if (shown != NULL) {
        DockingRequest show;
        show.pane = shown;
        show.host = target;
        show.code = kShowPane;
        SendRequest(target, show);
    }
    PostMessage(WM_CLOSE);
    return TRUE;
}

void CTabDockingBox::AutoHide() {
    if (!IsDocked())
        return;
    const DockingRequest where = QueryPlacement();
    Undock();
    HWND shown = m_shown;
    std::vector<HWND> panes((size_t)PaneCount(), NULL);
    for (int i = PaneCount() - 1; i >= 0; --i) {
        HWND pane = PaneAt(i);
        if (RemovePane(pane))
            panes[(size_t)i] = pane;
    }
    SendAutoHide(m_frame, shown != NULL ? shown : (panes.empty() ? NULL : panes.front()),
                 where.placement.flags, where.placement.docked.barSize, true, (int32_t)panes.size(),
                 panes.data());
    PostMessage(WM_CLOSE);
}

LRESULT CTabDockingBox::OnClose(UINT, WPARAM wParam, LPARAM, BOOL&) {
    const int count = PaneCount();
    if (count >= 2) {
        // The user's close hides the box; a dissolve that was posted when one
        // pane was left is void once another pane came in meanwhile.
        if (wParam == 0)
            Hide();
        return 0;
    }
    if (count == 1) {
        // One pane left: it takes the box's place.
        HWND last = PaneAt(0);
        RECT box;
        GetWindowRect(&box);
        RemovePane(last);
        if (IsDocked()) {
            DockingRequest replace;
            replace.pane = m_hWnd;
            replace.host = m_host;
            replace.code = kReplacePane;
            replace.replacement = last;
            if (!SendRequest(m_host, replace))
                Undock();
        } else {
            ::SetWindowPos(last, NULL, box.left, box.top, box.right - box.left,
                           box.bottom - box.top, SWP_NOZORDER | SWP_SHOWWINDOW);
        }
    } else if (IsDocked()) {
        Undock();
    }
    DestroyWindow();
    return 0;
}
