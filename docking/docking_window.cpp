// Docking windows: caption, requests, placement, hide and show, the drag.
#include "docking/docking_window.h"

#include <cmath>
#include <cstring>

#include "docking/tab_docking_box.h"
#include "ui/capture_loop.h"

using namespace docking;

namespace {

bool IsEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// The docking window's side of a drag: its frame and the screen.
class PaneDragTargets : public DragTargets {
public:
    PaneDragTargets(HWND pane, HWND frame) : m_pane(pane), m_frame(frame) {}
    void ClientToScreen(int& x, int& y) override {
        POINT pt = {x, y};
        ::ClientToScreen(m_pane, &pt);
        x = pt.x;
        y = pt.y;
    }
    void Clamp(DockingRequest& request) override { SendRequest(m_frame, request); }
    bool FindTarget(DockingRequest& request) override {
        return FindDockingTarget(m_frame, request);
    }
    bool ControlHeld() override { return ::GetKeyState(VK_CONTROL) < 0; }

private:
    HWND m_pane, m_frame;
};

POINT MessagePoint(const MSG& msg, HWND to) {
    POINT pt = {(short)LOWORD(msg.lParam), (short)HIWORD(msg.lParam)};
    if (msg.hwnd != to)
        ::MapWindowPoints(msg.hwnd, to, &pt, 1);
    return pt;
}

} // namespace

// ---------------------------------------------------------------------------
// Caption buttons and caption.
// ---------------------------------------------------------------------------
void CCaptionButton::Layout(RECT& remaining, bool horizontal) {
    RECT b = remaining;
    ::InflateRect(&b, -m_inset, -m_inset);
    if (horizontal) {
        b.left = b.right - (b.bottom - b.top);
        remaining.right = b.left + m_inset;
    } else {
        b.bottom = b.top + (b.right - b.left);
        remaining.top = b.bottom + m_inset;
    }
    rect = b;
}

void CCaptionButton::Draw(HDC dc) const {
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (m_pin) {
        HICON icon = g_dockCaptionButtonIcons.icons[m_iconState & 1];
        const int cx = w < 11 ? w : 11, cy = h < 11 ? h : 11;
        ::DrawIconEx(dc, rect.left + (w - cx) / 2, rect.top + (h - cy) / 2, icon, cx, cy, 0, NULL,
                     DI_NORMAL);
        return;
    }
    HPEN pen = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ old = ::SelectObject(dc, pen);
    const int i = m_crossInset, l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
    // Two one-pixel diagonals side by side make each stroke two pixels wide.
    const POINT lines[4][2] = {{{l + i, t + i}, {r - i, b - i}},
                               {{l + i + 1, t + i}, {r - i + 1, b - i}},
                               {{l + i, b - i - 1}, {r - i, t + i - 1}},
                               {{l + i + 1, b - i - 1}, {r - i + 1, t + i - 1}}};
    for (const auto& line : lines) {
        ::MoveToEx(dc, line[0].x, line[0].y, NULL);
        ::LineTo(dc, line[1].x, line[1].y);
    }
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
}

void CCaptionButton::DrawOnWindow(HWND hWnd, UINT edge) const {
    HDC dc = ::GetWindowDC(hWnd);
    if (dc == NULL)
        return;
    Draw(dc);
    if (edge != 0) {
        RECT r = rect;
        ::DrawEdge(dc, &r, edge, BF_RECT);
    }
    ::ReleaseDC(hWnd, dc);
}

void CCaptionButton::DrawPressed(HWND hWnd) const {
    DrawOnWindow(hWnd, BDR_SUNKENOUTER);
}
void CCaptionButton::DrawNormal(HWND hWnd) const {
    DrawOnWindow(hWnd, 0);
}
void CCaptionButton::DrawHot(HWND hWnd) const {
    DrawOnWindow(hWnd, BDR_RAISEDINNER);
}

void CDockingCaption::Calculate(RECT& client, const RECT& window) {
    const int w = window.right - window.left, h = window.bottom - window.top;
    if (horizontal) {
        rect = RECT{0, 0, w, thickness};
        client.top += thickness;
    } else {
        rect = RECT{0, 0, thickness, h};
        client.left += thickness;
    }
    RECT remaining = rect;
    close.Layout(remaining, horizontal);
    pin.Layout(remaining, horizontal);
}

LRESULT CDockingCaption::HitTest(POINT pt) const {
    if (!::PtInRect(&rect, pt))
        return HTCLIENT;
    if (::PtInRect(&close.rect, pt))
        return kHitCloseButton;
    if (::PtInRect(&pin.rect, pt))
        return kHitPinButton;
    return HTCAPTION;
}

HFONT DockCaptionFont(bool vertical) {
    struct Fonts {
        HFONT horizontal = NULL, vertical = NULL;
        Fonts() {
            NONCLIENTMETRICSA ncm{};
            ncm.cbSize = sizeof(ncm);
            if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
                return;
            horizontal = ::CreateFontIndirectA(&ncm.lfMenuFont);
            LOGFONTA lf = ncm.lfMenuFont;
            lf.lfEscapement = 900;
            lf.lfOrientation = 900;
            lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
            lf.lfClipPrecision |= CLIP_LH_ANGLES;
            this->vertical = ::CreateFontIndirectA(&lf);
        }
        ~Fonts() {
            if (horizontal)
                ::DeleteObject(horizontal);
            if (vertical)
                ::DeleteObject(vertical);
        }
    };
    static Fonts fonts;
    HFONT f = vertical ? fonts.vertical : fonts.horizontal;
    return f != NULL ? f : (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
}

void TrackCaptionButton(HWND hWnd, const CDockingCaption& caption, LRESULT hit, bool pressed) {
    const CCaptionButton* button = caption.ButtonFor(hit);
    if (button == nullptr)
        return;
    if (pressed)
        button->DrawPressed(hWnd);
    else
        button->DrawHot(hWnd);
    // Client points to window points: the client area's offset in the window.
    RECT window, client;
    ::GetWindowRect(hWnd, &window);
    POINT origin = {0, 0};
    ::ClientToScreen(hWnd, &origin);
    const int dx = origin.x - window.left, dy = origin.y - window.top;
    (void)client;
    bool clicked = false;
    UiRunCaptureLoop(hWnd, [&](const MSG& msg) {
        switch (msg.message) {
        case WM_KEYDOWN:
            return msg.wParam == VK_ESCAPE ? UiLoopStep::Cancel : UiLoopStep::Taken;
        case WM_RBUTTONDOWN:
            return UiLoopStep::Cancel;
        case WM_RBUTTONUP:
            return UiLoopStep::Finish;
        case WM_MOUSEMOVE: {
            POINT pt = MessagePoint(msg, hWnd);
            pt.x += dx;
            pt.y += dy;
            if (caption.HitTest(pt) != hit)
                return UiLoopStep::Finish;
            return UiLoopStep::Taken;
        }
        case WM_LBUTTONDOWN:
            button->DrawPressed(hWnd);
            return UiLoopStep::Taken;
        case WM_LBUTTONUP: {
            POINT pt = MessagePoint(msg, hWnd);
            pt.x += dx;
            pt.y += dy;
            clicked = caption.HitTest(pt) == hit;
            return UiLoopStep::Finish;
        }
        default:
            return UiLoopStep::Default;
        }
    });
    if (::IsWindow(hWnd))
        button->DrawNormal(hWnd);
    if (clicked && ::IsWindow(hWnd)) {
        const DWORD pos = ::GetMessagePos();
        ::SendMessageA(hWnd, WM_NCLBUTTONUP, (WPARAM)hit, (LPARAM)pos);
    }
}

// ---------------------------------------------------------------------------
// Requests.
// ---------------------------------------------------------------------------
LRESULT CDockingWindowBase::OnRequest(UINT, WPARAM, LPARAM lParam, BOOL&) {
    DockingRequest* r = (DockingRequest*)lParam;
    return r != nullptr ? HandleRequest(*r) : 0;
}

LRESULT CDockingWindowBase::HandleRequest(DockingRequest& r) {
    switch (r.code) {
    case kHitTest: {
        const LRESULT hit = SendMessage(WM_NCHITTEST, 0, MAKELPARAM(r.rect.left, r.rect.top));
        if (hit != HTCAPTION)
            return FALSE;
        RECT client;
        GetClientRect(&client);
        DockRect rect = ToDockRect(client);
        RectClientToScreen(m_hWnd, rect);
        r.rect = rect;
        r.host = m_hWnd;
        return TRUE;
    }
    case kDock:
    case kDockAtPlacement:
        if (r.pane == NULL || r.pane == m_hWnd)
            return FALSE;
        if (m_host != NULL && IsDockingBox(m_host)) {
            r.host = m_host;
            return SendRequest(m_host, r);
        }
        return DockIntoNewBox(r);
    case kGetPlacement:
        return AnswerPlacement(r);
    case kIsDockingBox:
        return 1;
    case kShowPane:
        if (m_host == NULL)
            return 0;
        r.host = m_host;
        return SendRequest(m_host, r);
    default:
        return 0;
    }
}

HWND CDockingWindowBase::PlacementTarget() const {
    return m_host != NULL && IsDockingBox(m_host) ? m_host : m_frame;
}

DockingRequest CDockingWindowBase::QueryPlacement() const {
    DockingRequest where;
    where.pane = m_hWnd;
    where.host = m_host;
    where.code = kGetPlacement;
    SendRequest(PlacementTarget(), where);
    return where;
}

BOOL CDockingWindowBase::AnswerPlacement(DockingRequest& r) {
    HWND caller = r.pane;
    if (m_host != NULL) {
        r.pane = m_hWnd;
        r.host = m_host;
        r.code = kGetPlacement;
        SendRequest(PlacementTarget(), r);
    } else if (IsWindowVisible() || m_saved.host == NULL) {
        RECT w;
        GetWindowRect(&w);
        r.placement.flags |= kFloating;
        r.placement.floating = ToDockRect(w);
    } else {
        const HWND keepPane = r.pane;
        r = m_saved;
        r.pane = keepPane;
    }
    r.code = kGetPlacement;
    r.pane = caller;
    r.host = m_hWnd;
    return TRUE;
}

BOOL CDockingWindowBase::DockIntoNewBox(DockingRequest& r) {
    CTabDockingBox* box = CTabDockingBox::CreateBox(m_frame);
    if (box == nullptr)
        return FALSE;
    HWND boxWnd = box->m_hWnd;
    if (m_host != NULL) {
        DockingRequest replace;
        replace.pane = m_hWnd;
        replace.host = m_host;
        replace.code = kReplacePane;
        replace.replacement = boxWnd;
        if (!SendRequest(m_host, replace)) {
            ::PostMessageA(boxWnd, WM_CLOSE, 0, 0);
            return FALSE;
        }
    } else {
        RECT w;
        GetWindowRect(&w);
        ::SetWindowPos(boxWnd, NULL, w.left, w.top, w.right - w.left, w.bottom - w.top,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        ShowWindow(SW_HIDE);
    }
    DockingRequest self;
    self.pane = m_hWnd;
    self.host = boxWnd;
    self.code = kDock;
    self.rect = DockRect{0, 0, 0, 0};
    SendRequest(boxWnd, self);
    r.host = boxWnd;
    if (r.code == kDock)
        r.rect = DockRect{-1, -1, -1, -1}; // after this pane
    return SendRequest(boxWnd, r);
}

// ---------------------------------------------------------------------------
// Operations.
// ---------------------------------------------------------------------------
BOOL CDockingWindowBase::Undock() {
    if (m_host == NULL)
        return FALSE;
    HWND host = m_host;
    m_saved = QueryPlacement();
    m_saved.pane = m_hWnd;
    DockingRequest leave;
    leave.pane = m_hWnd;
    leave.host = host;
    leave.code = kUndock;
    return SendRequest(host, leave) != 0;
}

BOOL CDockingWindowBase::DockTo(DockingRequest& request) {
    request.code = kDock;
    return SendRequest(request.host, request) != 0;
}

void CDockingWindowBase::Hide() {
    if (m_host != NULL) {
        if (Undock())
            ::SetWindowPos(m_hWnd, NULL, m_floatRect.left, m_floatRect.top,
                           m_floatRect.right - m_floatRect.left,
                           m_floatRect.bottom - m_floatRect.top,
                           SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        m_saved.host = NULL;
    }
    ShowWindow(SW_HIDE);
}

void CDockingWindowBase::Show() {
    if (m_host != NULL && IsDockingBox(m_host)) {
        DockingRequest show;
        show.pane = m_hWnd;
        show.host = m_host;
        show.code = kShowPane;
        SendRequest(m_host, show);
        return;
    }
    if (m_saved.host == NULL) {
        ShowWindow(SW_SHOW);
        return;
    }
    if (m_host != NULL)
        Undock();
    Redock(m_saved);
}

BOOL CDockingWindowBase::Redock(DockingRequest record) {
    record.pane = m_hWnd;
    if ((record.placement.flags & kPinnedAway) && !(record.placement.flags & kFloating)) {
        // Pinned away when it was stored: back onto the auto-hide bar of its side.
        return SendAutoHide(m_frame, m_hWnd, record.placement.flags & ~(kPinnedAway | kCurrentTab),
                            record.placement.docked.barSize, false);
    }
    if (record.host != NULL && record.host != m_hWnd && ::IsWindow(record.host) &&
        IsDockingBox(record.host)) {
        record.code = kDockAtPlacement;
        return SendRequest(record.host, record) != 0;
    }
    if (record.placement.flags & kFloating) {
        const DockRect& f = record.placement.floating;
        return ::SetWindowPos(m_hWnd, NULL, f.left, f.top, f.right - f.left, f.bottom - f.top,
                              SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    record.host = m_frame;
    record.code = kDockAtPlacement;
    return SendRequest(m_frame, record) != 0;
}

BOOL CDockingWindowBase::IsVisible() {
    if (m_host != NULL) {
        DockingRequest ask;
        ask.pane = m_hWnd;
        ask.host = m_host;
        ask.code = kIsAutoHidden;
        if (SendRequest(m_frame, ask))
            return TRUE;
    }
    return IsWindowVisible();
}

void CDockingWindowBase::ToggleVisible() {
    if (IsVisible())
        Hide();
    else
        Show();
}

void CDockingWindowBase::GetPlacement(DockingPlacement& placement) {
    placement = DockingPlacement();
    placement.docked = m_host != NULL;
    placement.visible = IsVisible();
    if (m_host != NULL) {
        placement.floating = ToDockRect(m_floatRect);
        placement.request = QueryPlacement();
        return;
    }
    RECT w;
    GetWindowRect(&w);
    placement.floating = ToDockRect(w);
    if (!placement.visible && m_saved.host != NULL) {
        placement.request = m_saved;
        return;
    }
    placement.request.pane = m_hWnd;
    placement.request.code = kGetPlacement;
    placement.request.placement.flags = kFloating;
    placement.request.placement.floating = ToDockRect(w);
}

void CDockingWindowBase::SetPlacement(const DockingPlacement& placement) {
    const DockRect& f = placement.floating;
    const RECT floating = {f.left, f.top, f.right, f.bottom};
    if (m_host != NULL)
        Undock();
    m_saved = placement.request;
    m_saved.pane = m_hWnd;
    // A stored placement carries no window handles: a docked place read
    // back from the registry (also the one a hidden pane reported) is kept
    // valid through the frame, so Show docks the pane there.
    if (m_saved.host == NULL && !(m_saved.placement.flags & kFloating))
        m_saved.host = m_frame;
    if (placement.visible && placement.docked) {
        Redock(m_saved);
        if (!IsEmpty(floating))
            m_floatRect = floating;
        return;
    }
    if (!placement.visible && !IsEmpty(floating))
        m_floatRect = floating;
    ::SetWindowPos(m_hWnd, NULL, f.left, f.top, f.right - f.left, f.bottom - f.top,
                   (placement.visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW) | SWP_NOACTIVATE |
                       SWP_NOZORDER);
}

void CDockingWindowBase::AutoHide() {
    if (m_host == NULL)
        return;
    const DockingRequest where = QueryPlacement();
    if (!Undock())
        return;
    SendAutoHide(m_frame, m_hWnd, where.placement.flags, where.placement.docked.barSize, true);
}

// ---------------------------------------------------------------------------
// The drag.
// ---------------------------------------------------------------------------
bool CDockingWindowBase::RunDrag(POINT clientPoint) {
    RECT window;
    GetWindowRect(&window);
    if (IsEmpty(m_floatRect)) {
        DockingRequest clamp;
        clamp.pane = m_hWnd;
        clamp.code = kClampDragRect;
        clamp.rect = ToDockRect(window);
        SendRequest(m_frame, clamp);
        m_floatRect = ToRect(clamp.rect);
    }
    POINT screen = clientPoint;
    ClientToScreen(&screen);
    const int fw = m_floatRect.right - m_floatRect.left, fh = m_floatRect.bottom - m_floatRect.top;
    const int ww = std::max(1, (int)(window.right - window.left));
    const int wh = std::max(1, (int)(window.bottom - window.top));
    const int left = (int)(screen.x - (double)(screen.x - window.left) / ww * fw);
    const int top = (int)(screen.y - (double)(screen.y - window.top) / wh * fh);
    const DockRect start = {left, top, left + fw, top + fh};

    PaneDragTargets targets(m_hWnd, m_frame);
    DragTracker tracker(CurrentGhostPainter(), targets, m_hWnd, fw, fh, left - clientPoint.x,
                        top - clientPoint.y);
    tracker.Begin(start);
    POINT last = clientPoint;
    const bool done = UiRunCaptureLoop(m_hWnd, [&](const MSG& msg) {
        switch (msg.message) {
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (msg.wParam == VK_CONTROL) {
                POINT pt = msg.pt;
                ScreenToClient(&pt);
                tracker.Move(pt.x, pt.y);
                return UiLoopStep::Taken;
            }
            return UiLoopStep::Default;
        case WM_MOUSEMOVE: {
            last = MessagePoint(msg, m_hWnd);
            tracker.Move(last.x, last.y);
            UpdateWindow();
            return UiLoopStep::Taken;
        }
        default:
            return UiLoopStep::Default;
        }
    });
    tracker.End();
    if (!done || !::IsWindow(m_hWnd))
        return false;
    DockingRequest request = tracker.Request();
    const bool moved = last.x != clientPoint.x || last.y != clientPoint.y;
    if (request.host == NULL && !moved)
        return true;
    if (m_host != NULL)
        Undock();
    if (request.host != NULL) {
        DockTo(request);
    } else {
        const DockRect& r = request.rect;
        ::SetWindowPos(m_hWnd, NULL, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_SHOWWINDOW | SWP_FRAMECHANGED | SWP_NOZORDER);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Messages.
// ---------------------------------------------------------------------------
LRESULT CDockingWindowBase::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
    Hide();
    return 0;
}

LRESULT CDockingWindowBase::OnNcLButtonDblClk(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (wParam != HTCAPTION) {
        bHandled = FALSE;
        return 0;
    }
    if (m_host != NULL) {
        if (!IsEmpty(m_floatRect) && Undock())
            ::SetWindowPos(m_hWnd, NULL, m_floatRect.left, m_floatRect.top,
                           m_floatRect.right - m_floatRect.left,
                           m_floatRect.bottom - m_floatRect.top,
                           SWP_SHOWWINDOW | SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER);
    } else if (m_saved.host != NULL) {
        Redock(m_saved);
    }
    return 0;
}

bool CDockingWindowBase::HasCaptionStyle() const {
    return (GetStyle() & (WS_BORDER | WS_DLGFRAME)) != 0;
}

LRESULT CDockingWindowBase::OnNcCalcSize(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if (m_host == NULL) {
        bHandled = FALSE;
        return 0;
    }
    RECT* proposed = (RECT*)lParam; // the first rectangle of either form
    if (HasCaptionStyle()) {
        const RECT window = *proposed;
        m_caption.Calculate(*proposed, window);
    } else {
        m_caption.rect = RECT{0, 0, 0, 0};
    }
    (void)wParam;
    return 0;
}

LRESULT CDockingWindowBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
    if (m_host == NULL) {
        bHandled = FALSE;
        return 0;
    }
    RECT window;
    GetWindowRect(&window);
    POINT pt = {(short)LOWORD(lParam) - window.left, (short)HIWORD(lParam) - window.top};
    // The button tracking starts from the mouse messages, never from here:
    // this message is also sent by WindowFromPoint and the cursor code.
    return m_caption.HitTest(pt);
}

LRESULT CDockingWindowBase::OnNcMouseMove(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (m_host == NULL || (wParam != kHitPinButton && wParam != kHitCloseButton) ||
        ::GetCapture() != NULL) {
        bHandled = FALSE;
        return 0;
    }
    TrackCaptionButton(m_hWnd, m_caption, (LRESULT)wParam, false);
    return 0;
}

void CDockingWindowBase::PaintCaption(HDC dc) {
    char text[128] = "";
    GetWindowText(text, sizeof(text));
    const bool horizontal = m_caption.horizontal;
    ::FillRect(dc, &m_caption.rect, (HBRUSH)(INT_PTR)(COLOR_BTNFACE + 1));
    RECT r = m_caption.rect;
    if (horizontal) {
        r.left += 1;
        r.top += 1;
        r.bottom -= 1;
        r.right = m_caption.pin.rect.left - 2;
    } else {
        r.left += 1;
        r.right -= 1;
        r.bottom -= 1;
        r.top = m_caption.pin.rect.bottom + 2;
    }
    if (r.right > r.left && r.bottom > r.top) {
        ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
        HBRUSH frame = ::CreateSolidBrush(::GetSysColor(COLOR_BTNSHADOW));
        ::FrameRect(dc, &r, frame);
        ::DeleteObject(frame);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
        HGDIOBJ old = ::SelectObject(dc, DockCaptionFont(!horizontal));
        if (horizontal) {
            RECT t = r;
            t.left += 4;
            ::DrawTextA(dc, text, -1, &t,
                        DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
        } else {
            ::ExtTextOutA(dc, r.left, r.bottom - 4, ETO_CLIPPED, &r, text, (UINT)std::strlen(text),
                          NULL);
        }
        ::SelectObject(dc, old);
    }
    m_caption.close.Draw(dc);
    m_caption.pin.Draw(dc);
}

LRESULT CDockingWindowBase::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    if (m_host == NULL) {
        bHandled = FALSE;
        return 0;
    }
    if (HasCaptionStyle()) {
        HDC dc = ::GetWindowDC(m_hWnd);
        if (dc != NULL) {
            PaintCaption(dc);
            ::ReleaseDC(m_hWnd, dc);
        }
    }
    return 0;
}

LRESULT CDockingWindowBase::OnNcActivate(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    if (m_host == NULL || !IsWindowEnabled()) {
        bHandled = FALSE;
        return 0;
    }
    return TRUE;
}

LRESULT CDockingWindowBase::OnNcLButtonUp(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (m_host == NULL) {
        bHandled = FALSE;
        return 0;
    }
    if (wParam == kHitCloseButton)
        PostMessage(WM_CLOSE);
    else if (wParam == kHitPinButton)
        AutoHide();
    return 0;
}

LRESULT DefProcWithoutCaption(CWindowImplBase& window, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    const DWORD style = window.GetStyle();
    ::SetWindowLongPtrA(window, GWL_STYLE, (LONG_PTR)(style & ~(WS_BORDER | WS_DLGFRAME)));
    const LRESULT result = window.DefWindowProc(uMsg, wParam, lParam);
    ::SetWindowLongPtrA(window, GWL_STYLE, (LONG_PTR)style);
    window.SetWindowPos(NULL, 0, 0, 0, 0,
                        SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return result;
}

LRESULT DefProcNoMinimumSize(CWindowImplBase& window, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = window.DefWindowProc(uMsg, wParam, lParam);
    ((MINMAXINFO*)lParam)->ptMinTrackSize = POINT{0, 0};
    return result;
}

LRESULT CDockingWindowBase::OnSetTextOrIcon(UINT uMsg, WPARAM wParam, LPARAM lParam,
                                            BOOL& bHandled) {
    if (m_host == NULL) {
        bHandled = FALSE;
        return 0;
    }
    return DefProcWithoutCaption(*this, uMsg, wParam, lParam);
}

LRESULT CDockingWindowBase::OnGetMinMaxInfo(UINT uMsg, WPARAM wParam, LPARAM lParam,
                                            BOOL& bHandled) {
    if (m_host == NULL) {
        bHandled = FALSE;
        return 0;
    }
    return DefProcNoMinimumSize(*this, uMsg, wParam, lParam);
}

LRESULT CDockingWindowBase::OnWindowPosChanging(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    if (m_host == NULL)
        bHandled = FALSE;
    return 0;
}

LRESULT CDockingWindowBase::OnWindowPosChanged(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
    const WINDOWPOS* pos = (const WINDOWPOS*)lParam;
    if (m_host == NULL && IsWindowVisible() && pos != nullptr &&
        ((pos->flags & SWP_SHOWWINDOW) || !(pos->flags & SWP_NOMOVE) ||
         !(pos->flags & SWP_NOSIZE))) {
        RECT w;
        GetWindowRect(&w);
        m_floatRect = w;
    }
    bHandled = FALSE;
    return 0;
}

LRESULT CDockingWindowBase::OnNcLButtonDown(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if (m_host != NULL && (wParam == kHitPinButton || wParam == kHitCloseButton)) {
        TrackCaptionButton(m_hWnd, m_caption, (LRESULT)wParam, true);
        return 0;
    }
    if (wParam != HTCAPTION) {
        bHandled = FALSE;
        return 0;
    }
    SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    POINT screen = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (::DragDetect(m_hWnd, screen)) {
        POINT client = screen;
        ScreenToClient(&client);
        RunDrag(client);
    }
    return 0;
}

LRESULT CDockingWindowBase::OnDockingNotice(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    if (wParam != 0) {
        ModifyStyle(WS_THICKFRAME, 0);
        m_host = (HWND)lParam;
        m_caption.horizontal = HIWORD(wParam) != 1;
    } else {
        ModifyStyle(0, WS_THICKFRAME);
        m_caption.horizontal = true;
        m_host = NULL;
    }
    return 1;
}
