// The image view's window messages (other than the input loops), its zoom
// command and its notifications to the parent.
#include "viewer/image_view.h"

#include <commctrl.h>

#include "app/application_state.h"
#include "imaging/image_object.h"
#include "resources/resource.h"
#include "viewer/image_view_internal.h"
#include "viewer/logic/zoom_steps.h"

using namespace image_view_detail;

LRESULT CImageView::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    RECT rect = {0, 0, 0, 0};
    if (m_canvas.Create(m_hWnd, rect, NULL,
                        WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_CLIPSIBLINGS | WS_CLIPCHILDREN) ==
        NULL)
        return -1;
    GetClientRect(&m_clientRect);
    return 0;
}

LRESULT CImageView::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    m_canvas.Lock();
    CImageObject* current = m_canvas.GetImage();
    m_canvas.Reset(false);
    m_canvas.Unlock();
    if (current != nullptr)
        g_applicationState.ReleaseImage(current);
    ReleaseSlot(m_preloadedImage);
    ReleaseSlot(m_previousImage);
    ReleaseSlot(m_undoImage);
    if (m_captionShown) {
        if (m_caption.IsWindow())
            m_caption.DestroyWindow();
        m_captionShown = false;
    }
    handled = FALSE;
    return 0;
}

LRESULT CImageView::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    m_clientRect.left = 0;
    m_clientRect.top = 0;
    m_clientRect.right = LOWORD(lParam);
    m_clientRect.bottom = HIWORD(lParam);
    Notify(kViewNotifyZoomChanged);
    UpdateLayout(true);
    return 0;
}

LRESULT CImageView::OnEraseBackground(UINT, WPARAM wParam, LPARAM, BOOL&) {
    if (m_canvas.IsPaintEnabled()) {
        HDC dc = (HDC)wParam;
        COLORREF old = ::SetBkColor(dc, m_canvas.GetBackgroundColor());
        ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &m_clientRect, NULL, 0, NULL);
        ::SetBkColor(dc, old);
    }
    return 1;
}

LRESULT CImageView::OnSetCursor(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    if (LOWORD(lParam) != HTCLIENT) {
        handled = FALSE;
        return 0;
    }
    if (m_selectionMode) {
        // Cross over the picture outside the selection; elsewhere the
        // class's arrow.
        POINT pt;
        ::GetCursorPos(&pt);
        if (m_canvas.IsWindow() && m_canvas.IsWindowVisible() &&
            m_canvas.GetCurrentFrame() != nullptr) {
            m_canvas.ScreenToClient(&pt);
            RECT area;
            m_canvas.GetClientRect(&area);
            if (::PtInRect(&area, pt) && !(m_canvas.IsSelectionShown() &&
                                           m_canvas.HitTestSelection(m_canvas.ClientToImage(pt)))) {
                ::SetCursor(::LoadCursorA(NULL, (LPCSTR)IDC_CROSS));
                return TRUE;
            }
        }
        handled = FALSE;
        return 0;
    }
    ::SetCursor(m_scrollable ? OpenHandCursor() : ::LoadCursorA(NULL, (LPCSTR)IDC_ARROW));
    return TRUE;
}

LRESULT CImageView::OnForwardToParent(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
    HWND parent = GetParent();
    return parent != NULL ? ::SendMessageA(parent, msg, wParam, lParam) : 0;
}

LRESULT CImageView::OnDetachImage(UINT, WPARAM, LPARAM, BOOL&) {
    DetachImage();
    return 0;
}

LRESULT CImageView::OnZoomCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    double before = m_canvas.GetZoom();
    double after = before;
    switch (wParam) {
    case 0: {
        LONG percent = (LONG)lParam;
        if (percent <= 0)
            return 0; // a scale of zero or less cannot be shown
        m_customZoom = true;
        after = viewer::ZoomFromPercent(percent);
        break;
    }
    case 1:
        m_customZoom = true;
        after = viewer::ZoomStepIn(before, ZoomLimit());
        break;
    case 2:
        m_customZoom = true;
        after = viewer::ZoomStepOut(before);
        break;
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
        m_zoomType = (int)wParam - 3;
        m_customZoom = false;
        break;
    default:
        return 0;
    }

    m_canvas.Lock();
    if (wParam >= 3) {
        ComputeFitZoom();
        after = m_canvas.GetZoom();
    } else {
        m_canvas.SetZoom(after);
    }
    if (after != before) {
        // Keep the point at the centre of the canvas where it is.
        const RECT& area = m_canvas.GetClientRectangle();
        int scrollX = m_canvas.GetScrollX();
        int scrollY = m_canvas.GetScrollY();
        viewer::KeepCentreOnZoom(area.right - area.left, area.bottom - area.top, before, after,
                                 scrollX, scrollY);
        m_canvas.SetScroll(scrollX, scrollY);
    }
    m_canvas.Unlock();
    UpdateLayout(true);
    Notify(kViewNotifyZoomChanged);
    return 0;
}

LRESULT CImageView::OnLayoutMessage(UINT, WPARAM, LPARAM, BOOL&) {
    UpdateLayout(true);
    return 0;
}

LRESULT CImageView::OnLastRowDrawn(UINT, WPARAM, LPARAM, BOOL&) {
    SizeCaptionToClient();
    Notify(kViewNotifyFullyShown);
    return 0;
}

LRESULT CImageView::OnSetImageMessage(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    SetImage(reinterpret_cast<CImageObject*>(lParam), wParam == 1, true, nullptr);
    return 0;
}

LRESULT CImageView::OnDecodeEnded(UINT, WPARAM, LPARAM, BOOL&) {
    if (m_canvas.IsSelectionShown())
        m_canvas.RedrawSelection();
    m_canvas.StartAnimation();
    return 0;
}

LRESULT CImageView::OnLButtonDblClk(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (!m_selectionMode) {
        Notify(NM_DBLCLK);
        return 0;
    }
    if (!m_canvas.IsSelectionShown() || !m_canvas.IsWindow())
        return 0;
    POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    ClientToScreen(&pt);
    m_canvas.ScreenToClient(&pt);
    if (m_canvas.HitTestSelection(m_canvas.ClientToImage(pt))) {
        HWND parent = GetParent();
        if (parent != NULL)
            ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(ID_IMAGE_CROP, 0), 0);
    }
    return 0;
}

void CImageView::Notify(UINT code) {
    HWND parent = GetParent();
    if (parent == NULL)
        return;
    int id = GetDlgCtrlID();
    NMHDR header;
    header.hwndFrom = NULL;
    header.idFrom = (UINT_PTR)id;
    header.code = code;
    ::SendMessageA(parent, WM_NOTIFY, (WPARAM)id, (LPARAM)&header);
}

void CImageView::NotifyZoomChanged() {
    Notify(kViewNotifyZoomChanged);
}

void CImageView::NotifyImageShown() {
    Notify(kViewNotifyFullyShown);
}

// --- zoom commands and queries ---

void CImageView::SetZoomPercent(int percent) {
    SendMessage(kMsgViewZoomCommand, 0, (LPARAM)percent);
}

void CImageView::ZoomIn() {
    SendMessage(kMsgViewZoomCommand, 1, 0);
}

void CImageView::ZoomOut() {
    SendMessage(kMsgViewZoomCommand, 2, 0);
}

void CImageView::SetZoomType(int type) {
    if (type < 0 || type > 4)
        return;
    if (!IsWindow()) {
        // Before the window exists there is nothing to lay out yet.
        m_zoomType = type;
        m_customZoom = false;
        return;
    }
    SendMessage(kMsgViewZoomCommand, (WPARAM)(type + 3), 0);
}

void CImageView::GetZoom(double& zoom, int& width, int& height) const {
    width = -1;
    height = -1;
    if (m_customZoom || m_zoomType == kZoomLock) {
        zoom = m_canvas.GetZoom();
    } else if (m_zoomType == kZoomActualSize || m_zoomType == kZoomEnlargeToFit) {
        zoom = 1.0;
    } else {
        zoom = 0.0;
        width = m_clientRect.right - m_clientRect.left;
        height = m_clientRect.bottom - m_clientRect.top;
    }
}

double CImageView::GetCurrentZoom() const {
    return m_canvas.GetZoom();
}
