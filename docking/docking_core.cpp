// Requests, target search, re-parenting and the screen ghost.
#include "docking/docking_core.h"

namespace docking {

void RectScreenToClient(HWND hWnd, DockRect& r) {
    POINT pts[2] = {{r.left, r.top}, {r.right, r.bottom}};
    ::MapWindowPoints(NULL, hWnd, pts, 2);
    r = DockRect{pts[0].x, pts[0].y, pts[1].x, pts[1].y};
}

void RectClientToScreen(HWND hWnd, DockRect& r) {
    POINT pts[2] = {{r.left, r.top}, {r.right, r.bottom}};
    ::MapWindowPoints(hWnd, NULL, pts, 2);
    r = DockRect{pts[0].x, pts[0].y, pts[1].x, pts[1].y};
}

BOOL SendAutoHide(HWND frame, HWND pane, int32_t flags, int32_t barSize, bool showNow,
                  int32_t count, WindowHandle* list) {
    DockingRequest pin;
    pin.pane = pane;
    pin.code = kAutoHide;
    pin.autoHide.flags = flags;
    pin.autoHide.barSize = barSize;
    pin.autoHide.showNow = showNow ? 1 : 0;
    pin.autoHide.paneCount = count;
    pin.autoHide.paneList = list;
    return SendRequest(frame, pin) != 0;
}

bool IsDockingBox(HWND hWnd) {
    if (hWnd == NULL || !::IsWindow(hWnd))
        return false;
    DockingRequest ask;
    ask.pane = hWnd;
    ask.code = kIsDockingBox;
    return SendBoxRequest(hWnd, ask) != 0;
}

bool FindDockingTarget(HWND frame, DockingRequest& request) {
    request.code = kHitTest;
    POINT pt = {request.rect.left, request.rect.top};
    for (HWND w = ::WindowFromPoint(pt); w != NULL && w != request.pane; w = ::GetParent(w)) {
        if (!IsDockingBox(w))
            continue;
        const DockingRequest before = request;
        request.host = w;
        if (SendBoxRequest(w, request))
            return true;
        // The first box found decides for its ancestors: it refused.
        request = before;
        break;
    }
    request.code = kHitTest;
    if (SendRequest(frame, request))
        return true;
    request.host = nullptr;
    return false;
}

void TakePaneIn(HWND pane, HWND host, WPARAM notice, DWORD removeStyles) {
    ::ShowWindow(pane, SW_HIDE);
    DWORD style = (DWORD)::GetWindowLongPtrA(pane, GWL_STYLE);
    style = (style & ~(WS_POPUP | WS_CHILD | removeStyles)) | WS_CHILD;
    ::SetWindowLongPtrA(pane, GWL_STYLE, (LONG_PTR)style);
    ::SetParent(pane, host);
    ::SendMessageA(pane, WM_NCACTIVATE, TRUE, 0);
    ::SendMessageA(pane, kMsgDockingNotice, notice, (LPARAM)host);
}

void GivePaneBack(HWND pane, HWND from, DWORD addStyles) {
    ::ShowWindow(pane, SW_HIDE);
    DWORD style = (DWORD)::GetWindowLongPtrA(pane, GWL_STYLE);
    style = (style & ~(WS_POPUP | WS_CHILD | (addStyles & WS_CAPTION))) | WS_POPUP | addStyles;
    ::SetWindowLongPtrA(pane, GWL_STYLE, (LONG_PTR)style);
    ::SetParent(pane, NULL);
    ::SendMessageA(pane, kMsgDockingNotice, 0, (LPARAM)from);
}

HBRUSH CreateHalftoneBrush() {
    const WORD rows[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
    HBITMAP bitmap = ::CreateBitmap(8, 8, 1, 1, rows);
    if (bitmap == NULL)
        return NULL;
    HBRUSH brush = ::CreatePatternBrush(bitmap);
    ::DeleteObject(bitmap);
    return brush;
}

namespace {

void PatInvertBars(const RECT* bars, int count) {
    HBRUSH brush = CreateHalftoneBrush();
    if (brush == NULL)
        return;
    HDC dc = ::GetWindowDC(NULL);
    if (dc != NULL) {
        HGDIOBJ old = ::SelectObject(dc, brush);
        for (int i = 0; i < count; ++i) {
            const RECT& b = bars[i];
            if (b.right > b.left && b.bottom > b.top)
                ::PatBlt(dc, b.left, b.top, b.right - b.left, b.bottom - b.top, PATINVERT);
        }
        ::SelectObject(dc, old);
        ::ReleaseDC(NULL, dc);
    }
    ::DeleteObject(brush);
}

ScreenGhostPainter g_screenPainter;
GhostPainter* g_painter = &g_screenPainter;

} // namespace

void ScreenGhostPainter::Invert(const DockRect& r) {
    const RECT bars[4] = {
        {r.left, r.top, r.right, r.top + 3},
        {r.left, r.bottom - 3, r.right, r.bottom},
        {r.left, r.top + 3, r.left + 3, r.bottom - 3},
        {r.right - 3, r.top + 3, r.right, r.bottom - 3},
    };
    PatInvertBars(bars, 4);
}

void ScreenGhostPainter::InvertSolid(const DockRect& r) {
    const RECT bar = ToRect(r);
    PatInvertBars(&bar, 1);
}

GhostPainter& CurrentGhostPainter() {
    return *g_painter;
}

void SetGhostPainter(GhostPainter* painter) {
    g_painter = painter != nullptr ? painter : &g_screenPainter;
}

} // namespace docking
