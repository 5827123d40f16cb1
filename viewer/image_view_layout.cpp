// The image view's layout (fit scale, displayed size, centring, scroll
// range, the progressive and the immediate drawing paths) and scrolling.
//
// Locks: the canvas's own operations (SetScroll, ApplyMapping, the selection
// drawing, its paint) take the canvas lock, so the view always takes the
// canvas lock before an image's lock, never after: the render thread holds
// the canvas lock and then takes the image's.
#include "viewer/image_view.h"

#include <algorithm>

#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "viewer/image_view_internal.h"
#include "viewer/logic/view_layout.h"
#include "viewer/logic/zoom_steps.h"

using namespace image_view_detail;

namespace {

// The canvas lock, then the current image's lock (when there is an image).
class CanvasAndImageLock {
public:
    explicit CanvasAndImageLock(CImageWindow& canvas) : m_canvas(canvas) {
        m_canvas.Lock();
        m_image = m_canvas.GetImage();
        if (m_image != nullptr)
            m_image->lock.Enter();
    }
    ~CanvasAndImageLock() {
        if (m_image != nullptr)
            m_image->lock.Leave();
        m_canvas.Unlock();
    }
    CanvasAndImageLock(const CanvasAndImageLock&) = delete;
    CanvasAndImageLock& operator=(const CanvasAndImageLock&) = delete;
    CImageObject* Image() const { return m_image; }

private:
    CImageWindow& m_canvas;
    CImageObject* m_image = nullptr;
};

bool IsMetafile(const CImageObject* image) {
    return IsVectorImageFileType(image->GetFileType()) && image->metafile != nullptr;
}

// Rows of a frame that hold decoded pixels.
int DecodedRows(const CImageObject* frame) {
    return std::max(0, std::min(frame->rowsDecoded.load(), frame->height));
}

} // namespace

void CImageView::ComputeFitZoom() {
    if (m_customZoom)
        return;
    CImageObject* frame = m_canvas.GetCurrentFrame();
    CImageObject* image = m_canvas.GetImage();
    if (frame == nullptr || image == nullptr)
        return;
    int fullWidth = frame->fullWidth > 0 ? frame->fullWidth : frame->width;
    int fullHeight = frame->fullHeight > 0 ? frame->fullHeight : frame->height;
    double zoom = viewer::ComputeFitZoom(m_zoomType, m_canvas.GetZoom(), m_clientRect.right,
                                         m_clientRect.bottom, fullWidth, fullHeight, ZoomLimit());
    m_canvas.SetZoom(zoom);
}

void CImageView::UpdateLayout(bool progressive) {
    if (!m_layoutEnabled || !m_canvas.IsPaintEnabled() || !IsWindow() || !m_canvas.IsWindow())
        return;
    bool notifyShown = false;
    {
        CanvasAndImageLock lock(m_canvas);
        CImageObject* image = lock.Image();
        CImageObject* frame = image != nullptr ? m_canvas.GetCurrentFrame() : nullptr;
        if (image == nullptr || !image->headerReady || frame == nullptr || !frame->headerReady) {
            m_canvas.ShowWindow(SW_HIDE);
            Invalidate(TRUE);
            return;
        }

        ComputeFitZoom();
        ::SetViewportOrgEx(m_canvas.GetWindowDC(), 0, 0, NULL);

        viewer::ViewLayoutInput in;
        in.clientWidth = m_clientRect.right;
        in.clientHeight = m_clientRect.bottom;
        in.frameWidth = frame->width;
        in.frameHeight = frame->height;
        in.fullWidth = frame->fullWidth > 0 ? frame->fullWidth : frame->width;
        in.fullHeight = frame->fullHeight > 0 ? frame->fullHeight : frame->height;
        in.zoom = m_canvas.GetZoom();
        in.actualSize = m_zoomType == kZoomActualSize && !m_customZoom;
        in.scrollX = m_canvas.GetScrollX();
        in.scrollY = m_canvas.GetScrollY();
        in.keepScroll = m_keepViewOnce;
        viewer::ViewLayout layout = viewer::ComputeViewLayout(in);

        m_canvas.SetDisplaySize(layout.displayedWidth, layout.displayedHeight);
        m_offsetX = layout.offsetX;
        m_offsetY = layout.offsetY;
        m_maxScrollX = layout.maxScrollX;
        m_maxScrollY = layout.maxScrollY;
        m_scrollable = layout.scrollable;
        m_canvas.SetScroll(layout.scrollX, layout.scrollY);

        viewer::ImmediatePathInput path;
        path.progressive = progressive;
        path.rowsDecoded = DecodedRows(frame);
        path.displayedWidth = layout.displayedWidth;
        path.displayedHeight = layout.displayedHeight;
        path.frameWidth = frame->width;
        path.frameHeight = frame->height;
        path.scrollable = layout.scrollable;
        path.screenWidth = ScreenWidth();
        path.screenHeight = ScreenHeight();
        path.metafile = IsMetafile(image);

        m_canvas.SetWindowPos(NULL, layout.canvasX, layout.canvasY, layout.canvasWidth,
                              layout.canvasHeight, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        if (viewer::UseImmediatePath(path)) {
            notifyShown = LayoutImmediate(frame, layout.displayedWidth, layout.displayedHeight);
        } else {
            m_canvas.ApplyMapping();
            m_canvas.ShowWindow(SW_SHOWNA);
            Invalidate(TRUE);
            UpdateWindow();
            bool pending = m_canvas.HasPendingRows();
            if (pending)
                m_canvas.QueueRows(-1, 0);
            m_canvas.SetReady(true);
            if (pending || !image->complete) {
                m_canvas.SignalRender();
            } else {
                m_canvas.Invalidate(FALSE);
                m_canvas.UpdateWindow();
                m_canvas.TraceShown(true);
                notifyShown = true;
            }
        }
        m_keepViewOnce = false;
    }
    // Told after the locks are left: the parent may open images (the image
    // cache's lock comes before any image's lock).
    if (notifyShown)
        NotifyShownNowOrLater();
}

void CImageView::NotifyShownNowOrLater() {
    if (m_deferShownNotify > 0) {
        m_shownNotifyPending = true;
        return;
    }
    SizeCaptionToClient();
    Notify(kViewNotifyFullyShown);
}

void CImageView::FlushShownNotify() {
    if (m_deferShownNotify > 0 || !m_shownNotifyPending)
        return;
    m_shownNotifyPending = false;
    SizeCaptionToClient();
    Notify(kViewNotifyFullyShown);
}

bool CImageView::LayoutImmediate(CImageObject* frame, int displayedWidth, int displayedHeight) {
    HDC windowDC = m_canvas.GetWindowDC();
    HDC memoryDC = m_canvas.GetMemoryDC();
    int rows = DecodedRows(frame);
    bool allRows = rows >= frame->height;

    ScreenBitmapLock().Enter();
    HDC temp = ::CreateCompatibleDC(windowDC);
    HBITMAP screen = ScreenBitmap();
    if (temp == NULL || screen == NULL || memoryDC == NULL) {
        // Nothing to stretch into: draw progressively instead.
        if (temp != NULL)
            ::DeleteDC(temp);
        ScreenBitmapLock().Leave();
        m_canvas.ApplyMapping();
        m_canvas.ShowWindow(SW_SHOWNA);
        m_canvas.QueueRows(-1, 0);
        m_canvas.SetReady(true);
        m_canvas.SignalRender();
        return false;
    }
    HGDIOBJ tempOld = ::SelectObject(temp, screen);
    ::SelectObject(memoryDC, (HBITMAP)frame->bitmap);
    ::SetMapMode(memoryDC, MM_TEXT);

    // Background first: rows not decoded yet show it, not an older picture.
    RECT fill = {0, 0, std::min(std::max(frame->width, displayedWidth), ScreenWidth()),
                 std::min(std::max(frame->height, displayedHeight), ScreenHeight())};
    COLORREF oldBk = ::SetBkColor(temp, m_canvas.GetBackgroundColor());
    ::ExtTextOutA(temp, 0, 0, ETO_OPAQUE, &fill, NULL, 0, NULL);
    ::SetBkColor(temp, oldBk);

    SetCanvasMap(temp, frame->height, displayedHeight);
    int top = frame->topDown ? 0 : frame->height - rows;
    ::BitBlt(temp, 0, top, frame->width, rows, memoryDC, 0, top, SRCCOPY);

    m_canvas.ClearPendingRows();
    ::ValidateRect(m_canvas, NULL);
    m_canvas.ShowWindow(SW_SHOWNA);
    Invalidate(TRUE);
    UpdateWindow();

    ::SetMapMode(temp, MM_TEXT);
    ::SetMapMode(windowDC, MM_TEXT);
    ::SetViewportOrgEx(windowDC, 0, 0, NULL);
    ::BitBlt(windowDC, 0, 0, displayedWidth, displayedHeight, temp, 0, 0, SRCCOPY);
    m_canvas.TraceShown(allRows);
    ::SelectObject(temp, tempOld);
    ::SelectObject(memoryDC, m_canvas.GetMemoryDCFirstBitmap());
    m_canvas.ApplyMapping();

    if (!allRows)
        m_canvas.QueueRows(-1, rows); // later rows continue the picture
    m_canvas.SetReady(true);
    if (!allRows)
        m_canvas.SignalRender();
    m_canvas.RedrawSelection();
    ScreenBitmapLock().Leave();
    ::DeleteDC(temp);
    return allRows;
}

// --- scrolling ---

void CImageView::ScrollToUnlocked(int x, int y) {
    int scrollX = m_canvas.GetScrollX();
    int scrollY = m_canvas.GetScrollY();
    if (x != -1 && x != scrollX && m_maxScrollX != 0) {
        int nx = viewer::ClampScroll(x, m_maxScrollX);
        if (nx != scrollX) {
            m_canvas.SetScroll(nx, scrollY);
            m_canvas.ScrollPixels(scrollX - nx, 0);
            m_canvas.UpdateWindow();
            scrollX = nx;
        }
    }
    if (y != -1 && y != scrollY && m_maxScrollY != 0) {
        int ny = viewer::ClampScroll(y, m_maxScrollY);
        if (ny != scrollY) {
            m_canvas.SetScroll(scrollX, ny);
            m_canvas.ScrollPixels(0, scrollY - ny);
            m_canvas.UpdateWindow();
        }
    }
}

void CImageView::ScrollTo(int x, int y) {
    CanvasAndImageLock lock(m_canvas);
    ScrollToUnlocked(x, y);
}

void CImageView::ScrollBy(int dy, int dx) {
    CanvasAndImageLock lock(m_canvas);
    for (int i = 0; i < 5; ++i) {
        int x = dx != 0 ? std::max(0, m_canvas.GetScrollX() + dx) : -1;
        int y = dy != 0 ? std::max(0, m_canvas.GetScrollY() + dy) : -1;
        ScrollToUnlocked(x, y);
    }
}

LRESULT CImageView::OnScroll(UINT msg, WPARAM wParam, LPARAM, BOOL&) {
    bool horizontal = msg == WM_HSCROLL;
    int maximum = horizontal ? m_maxScrollX : m_maxScrollY;
    if (maximum == 0)
        return 0;
    CanvasAndImageLock lock(m_canvas);
    int current = horizontal ? m_canvas.GetScrollX() : m_canvas.GetScrollY();
    int page = horizontal ? m_clientRect.right : m_clientRect.bottom;
    int target = current;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: // SB_LINELEFT
        target = current - 100;
        break;
    case SB_LINEDOWN: // SB_LINERIGHT
        target = current + 100;
        break;
    case SB_PAGEUP: // SB_PAGELEFT
        target = current - page;
        break;
    case SB_PAGEDOWN: // SB_PAGERIGHT
        target = current + page;
        break;
    case SB_THUMBTRACK:
        target = HIWORD(wParam);
        break;
    case SB_TOP:
        target = 0;
        break;
    case SB_BOTTOM:
        target = maximum;
        break;
    default:
        return 0;
    }
    target = std::max(0, target); // -1 would mean "unchanged"
    if (horizontal)
        ScrollToUnlocked(target, -1);
    else
        ScrollToUnlocked(-1, target);
    return 0;
}
