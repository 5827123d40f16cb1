// The image view's marquee loops: moving a shown selection, and drawing a
// new one with auto-scroll at the canvas's edges and a tracking tooltip that
// shows the corner and the size. Selections are kept by the canvas in
// full-image coordinates.
#include "viewer/image_view.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "imaging/image_object.h"
#include "viewer/image_view_internal.h"
#include "viewer/logic/view_layout.h"

using namespace image_view_detail;

namespace {

// The tracking tooltip of the new-selection loop.
class CSelectionTip {
public:
    explicit CSelectionTip(HWND view) : m_view(view) {
        m_tip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, NULL,
                                  WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, view, NULL,
                                  (HINSTANCE)::GetWindowLongPtrA(view, GWLP_HINSTANCE), NULL);
        if (m_tip == NULL)
            return;
        ::SetWindowPos(m_tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        TOOLINFOA info = MakeInfo();
        info.lpszText = const_cast<char*>("");
        ::SendMessageA(m_tip, TTM_ADDTOOLA, 0, (LPARAM)&info);
    }
    ~CSelectionTip() {
        if (m_tip == NULL)
            return;
        TOOLINFOA info = MakeInfo();
        ::SendMessageA(m_tip, TTM_TRACKACTIVATE, FALSE, (LPARAM)&info);
        ::SendMessageA(m_tip, TTM_DELTOOLA, 0, (LPARAM)&info);
        ::DestroyWindow(m_tip);
    }
    CSelectionTip(const CSelectionTip&) = delete;
    CSelectionTip& operator=(const CSelectionTip&) = delete;

    void Show(const std::string& text, POINT cursorOnScreen) {
        if (m_tip == NULL)
            return;
        TOOLINFOA info = MakeInfo();
        info.lpszText = const_cast<char*>(text.c_str());
        ::SendMessageA(m_tip, TTM_UPDATETIPTEXTA, 0, (LPARAM)&info);
        RECT bounds = {0, 0, 0, 0};
        ::GetWindowRect(m_tip, &bounds);
        int x = 0, y = 0;
        viewer::PlaceSelectionTip(cursorOnScreen.x, cursorOnScreen.y, bounds.right - bounds.left,
                                  bounds.bottom - bounds.top, ::GetSystemMetrics(SM_CXSCREEN),
                                  ::GetSystemMetrics(SM_CYSCREEN), x, y);
        ::SendMessageA(m_tip, TTM_TRACKPOSITION, 0, MAKELPARAM(x, y));
        ::SendMessageA(m_tip, TTM_TRACKACTIVATE, TRUE, (LPARAM)&info);
    }

private:
    TOOLINFOA MakeInfo() const {
        TOOLINFOA info = {};
        info.cbSize = TTTOOLINFOA_V1_SIZE;
        info.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
        info.hwnd = m_view;
        info.uId = (UINT_PTR)m_view;
        return info;
    }

    HWND m_view;
    HWND m_tip = NULL;
};

bool ButtonUpQueued() {
    MSG msg;
    return ::PeekMessageA(&msg, NULL, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE) != 0;
}

} // namespace

void CImageView::RunMoveSelectionLoop(POINT pressImage) {
    RECT start = m_canvas.GetSelection();
    SetCapture();
    ::SetCursor(::LoadCursorA(NULL, (LPCSTR)IDC_SIZEALL));
    for (;;) {
        if (::GetCapture() != m_hWnd)
            break;
        MSG msg;
        if (WaitLoopMessage(msg) == PumpResult::kQuit)
            break;
        if (msg.message == WM_MOUSEMOVE && msg.hwnd == m_hWnd) {
            POINT cursor = {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
            ::MapWindowPoints(m_hWnd, m_canvas, &cursor, 1);
            POINT now = m_canvas.ClientToImage(cursor);
            int dx = pressImage.x - now.x;
            int dy = pressImage.y - now.y;
            m_canvas.SetSelection(start.left - dx, start.top - dy, start.right - dx,
                                  start.bottom - dy);
        } else if (msg.message == WM_LBUTTONUP) {
            ::SetCursor(::LoadCursorA(NULL, (LPCSTR)IDC_ARROW));
            break;
        } else {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}

void CImageView::RunNewSelectionLoop(POINT anchor) {
    CSelectionTip tip(m_hWnd);
    SetCapture();
    CImageObject* frame = m_canvas.GetCurrentFrame();
    int fullWidth = frame == nullptr ? 0 : (frame->fullWidth > 0 ? frame->fullWidth : frame->width);
    int fullHeight =
        frame == nullptr ? 0 : (frame->fullHeight > 0 ? frame->fullHeight : frame->height);

    // The selection from the anchor to the cursor (view client coordinates),
    // kept inside the image.
    auto select = [&](POINT onView) -> POINT {
        POINT onCanvas = onView;
        ::MapWindowPoints(m_hWnd, m_canvas, &onCanvas, 1);
        POINT corner = m_canvas.ClientToImage(onCanvas);
        corner.x = std::clamp<LONG>(corner.x, 0, std::max(0, fullWidth));
        corner.y = std::clamp<LONG>(corner.y, 0, std::max(0, fullHeight));
        m_canvas.SetSelection(anchor.x, anchor.y, corner.x, corner.y);
        return corner;
    };

    for (;;) {
        if (::GetCapture() != m_hWnd)
            break;
        MSG msg;
        if (WaitLoopMessage(msg) == PumpResult::kQuit)
            break;
        if (msg.message == WM_MOUSEMOVE && msg.hwnd == m_hWnd) {
            // Auto-scroll while the cursor is outside the canvas, as long as
            // the needed direction can still scroll.
            for (;;) {
                POINT cursor;
                ::GetCursorPos(&cursor);
                ::ScreenToClient(m_canvas, &cursor);
                RECT area;
                m_canvas.GetClientRect(&area);
                int dx = 0, dy = 0;
                if (cursor.x < 1 && m_canvas.GetScrollX() > 0)
                    dx = -4;
                else if (cursor.x >= area.right && m_canvas.GetScrollX() < m_maxScrollX)
                    dx = 4;
                if (cursor.y < 1 && m_canvas.GetScrollY() > 0)
                    dy = -4;
                else if (cursor.y >= area.bottom && m_canvas.GetScrollY() < m_maxScrollY)
                    dy = 4;
                if ((dx == 0 && dy == 0) || ButtonUpQueued() || ::GetCapture() != m_hWnd)
                    break;
                ScrollBy(dy, dx);
                POINT onView = cursor;
                ::MapWindowPoints(m_canvas, m_hWnd, &onView, 1);
                select(onView);
            }
            POINT onView = {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
            POINT corner = select(onView);
            RECT sel = m_canvas.GetSelection();
            POINT onScreen = onView;
            ClientToScreen(&onScreen);
            tip.Show(viewer::FormatSelectionTip(sel.left, sel.top, sel.right, sel.bottom,
                                                corner.x >= anchor.x, corner.y >= anchor.y),
                     onScreen);
        } else if (msg.message == WM_LBUTTONUP) {
            break;
        } else {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    // A click without a drag leaves no selection.
    RECT sel = m_canvas.GetSelection();
    if (!m_canvas.IsSelectionShown() || (sel.left == sel.right && sel.top == sel.bottom)) {
        if (m_canvas.IsSelectionShown())
            m_canvas.HideSelection();
        ClearSelection();
    }
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}
