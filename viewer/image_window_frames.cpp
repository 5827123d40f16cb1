// The canvas's frame animation and stepping, its geometry (scale step,
// client to image points) and the marquee selection drawn by inversion.
#include "viewer/image_window.h"

#include "imaging/image_object.h"

namespace {
constexpr UINT_PTR kAnimationTimer = 1;
} // namespace

// ---------------------------------------------------------------------------
// Animation and frames.
// ---------------------------------------------------------------------------

void CImageWindow::StartAnimation() {
    CImageObject* image = m_image;
    if (image == nullptr || !image->complete || image->FrameCount() < 1 || image->frameDelay <= 0)
        return;
    if (m_hWnd == NULL)
        return;
    m_frameIndex = 0;
    SetTimer(kAnimationTimer, static_cast<UINT>(image->frameDelay));
    m_animating = true;
}

void CImageWindow::StopAnimation() {
    if (m_hWnd != NULL)
        KillTimer(kAnimationTimer);
    m_animating = false;
}

LRESULT CImageWindow::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (wParam != kAnimationTimer) {
        bHandled = FALSE;
        return 0;
    }
    KillTimer(kAnimationTimer);
    Lock();
    CImageObject* image = m_image;
    if (!m_animating || image == nullptr) {
        Unlock();
        return 0;
    }
    // The image itself and its frames make one cycle of count + 1 pictures;
    // an index moved out of the cycle from outside starts it again.
    int count = image->FrameCount();
    m_frameIndex = m_frameIndex >= count ? 0 : m_frameIndex + 1;
    CImageObject* frame = GetCurrentFrame();
    int delay = frame != nullptr ? frame->frameDelay : 0;
    if (delay <= 0)
        delay = image->frameDelay; // a frame without a delay must not spin the timer
    SetTimer(kAnimationTimer, static_cast<UINT>(delay > 0 ? delay : 100));
    Unlock();
    ApplyMapping();
    Invalidate(TRUE);
    return 0;
}

void CImageWindow::NextFrame(bool wrap) {
    Lock();
    int count = m_image != nullptr ? m_image->FrameCount() : 0;
    ++m_frameIndex;
    if (m_frameIndex > count)
        m_frameIndex = wrap ? 0 : count;
    Unlock();
}

void CImageWindow::PrevFrame(bool wrap) {
    Lock();
    int count = m_image != nullptr ? m_image->FrameCount() : 0;
    --m_frameIndex;
    if (m_frameIndex < 0)
        m_frameIndex = wrap ? count : 0;
    Unlock();
}

// ---------------------------------------------------------------------------
// Geometry.
// ---------------------------------------------------------------------------

int CImageWindow::GetScaleStep() const {
    CImageObject* frame = GetCurrentFrame();
    if (frame == nullptr)
        return 0;
    return ComputeScaleStep(frame->width, frame->height, m_displayWidth, m_displayHeight);
}

POINT CImageWindow::ClientToImage(POINT client) const {
    CImageObject* frame = GetCurrentFrame();
    int fullHeight = frame != nullptr ? frame->fullHeight : m_displayHeight;
    POINT p;
    int x = 0, y = 0;
    ClientToImagePoint(client.x, client.y, m_scrollX, m_scrollY, fullHeight, m_displayHeight, &x,
                       &y);
    p.x = x;
    p.y = y;
    return p;
}

// ---------------------------------------------------------------------------
// Selection.
// ---------------------------------------------------------------------------

void CImageWindow::SetFixedAspect(bool fixed, int aspectWidth, int aspectHeight) {
    m_fixedAspect = fixed;
    m_aspectWidth = aspectWidth;
    m_aspectHeight = aspectHeight;
}

void CImageWindow::SetSelection(int x1, int y1, int x2, int y2) {
    Lock();
    if (GetCurrentFrame() == nullptr) {
        Unlock();
        return;
    }
    if (m_fixedAspect)
        ApplyFixedAspect(x1, y1, &x2, &y2, m_aspectWidth, m_aspectHeight);
    CanvasRect n = NormalizeCorners(x1, y1, x2, y2);
    RECT r = {n.left, n.top, n.right, n.bottom};
    if (m_selectionShown && ::EqualRect(&r, &m_selection)) {
        Unlock();
        return;
    }
    if (m_selectionShown)
        DrawSelectionXor(m_selection);
    m_selection = r;
    DrawSelectionXor(m_selection);
    m_selectionShown = true;
    Unlock();
}

void CImageWindow::StoreSelection(const RECT& rect, bool shown) {
    Lock();
    CanvasRect n = NormalizeCorners(rect.left, rect.top, rect.right, rect.bottom);
    ::SetRect(&m_selection, n.left, n.top, n.right, n.bottom);
    m_selectionShown = shown;
    Unlock();
}

void CImageWindow::HideSelection() {
    Lock();
    if (m_selectionShown)
        DrawSelectionXor(m_selection);
    m_selectionShown = false;
    Unlock();
}

void CImageWindow::RedrawSelection() {
    Lock();
    if (m_selectionShown)
        DrawSelectionXor(m_selection);
    Unlock();
}

void CImageWindow::DrawSelectionXor(const RECT& rect) {
    Lock();
    CImageObject* frame = GetCurrentFrame();
    if (frame == nullptr || m_windowDC == NULL) {
        Unlock();
        return;
    }
    // In device pixels: a one-pixel outline must stay one pixel wide at any
    // zoom. The viewport origin (the scroll position) stays in force.
    ::SetMapMode(m_windowDC, MM_TEXT);
    HPEN pen = ::CreatePen(PS_INSIDEFRAME, 1, RGB(0, 0, 0));
    HGDIOBJ oldPen = ::SelectObject(m_windowDC, pen);
    HGDIOBJ oldBrush = ::SelectObject(m_windowDC, ::GetStockObject(NULL_BRUSH));
    int oldRop = ::SetROP2(m_windowDC, R2_NOT);
    CanvasRect image = {static_cast<int>(rect.left), static_cast<int>(rect.top),
                        static_cast<int>(rect.right), static_cast<int>(rect.bottom)};
    CanvasRect d = ImageRectToDisplay(image, m_displayHeight, frame->fullHeight);
    ::Rectangle(m_windowDC, d.left, d.top, d.right, d.bottom);
    ::SetROP2(m_windowDC, oldRop);
    ::SelectObject(m_windowDC, oldBrush);
    ::SelectObject(m_windowDC, oldPen);
    ::DeleteObject(pen);
    ::GdiFlush();
    ApplyMapping();
    Unlock();
}

bool CImageWindow::HitTestSelection(POINT point) const {
    if (GetCurrentFrame() == nullptr)
        return false;
    return ::PtInRect(&m_selection, point) != FALSE;
}
