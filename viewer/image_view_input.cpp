// The image view's keyboard scrolling and left-button handling (panning;
// the selection loops are in image_view_selection.cpp).
//
// The loops pump their own messages so that scrolling follows the hand
// without returning to the application's loop. Each of them gives a WM_QUIT
// back to the queue and ends, and each ends when the view loses the capture
// (mouse loops) or the focus (the key loop): a loop that outlived its input
// would spin for ever.
#include "viewer/image_view.h"

#include <windowsx.h>

#include "imaging/image_object.h"
#include "viewer/image_view_internal.h"
#include "viewer/logic/view_layout.h"

using namespace image_view_detail;

namespace {

bool IsArrowKey(WPARAM key) {
    return key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN;
}

bool AnyArrowKeyDown() {
    return (::GetAsyncKeyState(VK_LEFT) & 0x8000) != 0 ||
           (::GetAsyncKeyState(VK_UP) & 0x8000) != 0 ||
           (::GetAsyncKeyState(VK_RIGHT) & 0x8000) != 0 ||
           (::GetAsyncKeyState(VK_DOWN) & 0x8000) != 0;
}

struct ArrowState {
    bool left = false, up = false, right = false, down = false;
    void Set(WPARAM key, bool on) {
        switch (key) {
        case VK_LEFT:
            left = on;
            break;
        case VK_UP:
            up = on;
            break;
        case VK_RIGHT:
            right = on;
            break;
        case VK_DOWN:
            down = on;
            break;
        default:
            break;
        }
    }
    bool Any() const { return left || up || right || down; }
};

} // namespace

LRESULT CImageView::OnKeyDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if (!IsArrowKey(wParam))
        return OnForwardToParent(msg, wParam, lParam, handled);
    RunArrowKeyLoop(wParam);
    return 0;
}

void CImageView::RunArrowKeyLoop(WPARAM firstKey) {
    ArrowState keys;
    keys.Set(firstKey, true);
    int idlePasses = 0;
    bool firstPass = true;
    while (keys.Any()) {
        // Alt+Tab or a click elsewhere while a key is held: the key-up goes
        // to another window, so the view must notice by itself.
        if (::GetFocus() != m_hWnd)
            break;
        if (!firstPass && !AnyArrowKeyDown())
            break;
        firstPass = false;

        int dy = (keys.up ? -4 : 0) + (keys.down ? 4 : 0);
        int dx = (keys.left ? -4 : 0) + (keys.right ? 4 : 0);
        if (dx != 0 || dy != 0)
            ScrollBy(dy, dx);

        MSG msg;
        PumpResult got = PeekLoopMessage(msg);
        if (got == PumpResult::kQuit)
            break;
        if (got == PumpResult::kMessage) {
            idlePasses = 0;
            if (msg.hwnd == m_hWnd && IsArrowKey(msg.wParam) &&
                (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP)) {
                keys.Set(msg.wParam, msg.message == WM_KEYDOWN);
            } else {
                ::DispatchMessageA(&msg);
            }
            continue;
        }
        ++idlePasses;
        CImageObject* image = m_canvas.GetImage();
        bool lowDepth = image != nullptr && (image->bitsPerPixel == 1 || image->bitsPerPixel == 8);
        if (idlePasses >= 2 && lowDepth && m_canvas.GetZoom() >= 1.0) {
            ::Sleep(10);
            idlePasses = 0;
        }
    }
}

LRESULT CImageView::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (m_canvas.GetCurrentFrame() == nullptr)
        return 0;
    POINT screen = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(&screen);
    if (m_selectionMode) {
        if (!m_canvas.IsWindow() || !m_canvas.IsWindowVisible())
            return 0;
        POINT onCanvas = screen;
        m_canvas.ScreenToClient(&onCanvas);
        RECT area;
        m_canvas.GetClientRect(&area);
        if (!::PtInRect(&area, onCanvas))
            return 0;
        POINT press = m_canvas.ClientToImage(onCanvas);
        if (m_canvas.IsSelectionShown() && m_canvas.HitTestSelection(press)) {
            RunMoveSelectionLoop(press);
        } else {
            if (m_canvas.IsSelectionShown())
                m_canvas.HideSelection();
            RunNewSelectionLoop(press);
        }
    } else if (m_scrollable) {
        RunPanLoop(screen);
    }
    return 0;
}

void CImageView::RunPanLoop(POINT press) {
    ::SetCursor(ClosedHandCursor());
    m_panning = true;
    SetCapture();
    for (;;) {
        if (::GetCapture() != m_hWnd)
            break; // WM_CAPTURECHANGED: someone else took the mouse
        MSG msg;
        if (WaitLoopMessage(msg) == PumpResult::kQuit)
            break;
        if (msg.message == WM_MOUSEMOVE && msg.hwnd == m_hWnd) {
            POINT cursor = {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
            ClientToScreen(&cursor);
            int scrollX = m_canvas.GetScrollX();
            int scrollY = m_canvas.GetScrollY();
            int nx = viewer::PanScrollPosition(press.x, scrollX, cursor.x, m_maxScrollX);
            int ny = viewer::PanScrollPosition(press.y, scrollY, cursor.y, m_maxScrollY);
            ScrollTo(nx != scrollX ? nx : -1, ny != scrollY ? ny : -1);
            // The press point follows what actually scrolled, so the picture
            // stays under the hand.
            press.x -= m_canvas.GetScrollX() - scrollX;
            press.y -= m_canvas.GetScrollY() - scrollY;
        } else if (msg.message == WM_LBUTTONUP) {
            ::SetCursor(OpenHandCursor());
            break;
        } else {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    m_panning = false;
}
