// The canvas window: creation and destruction, its render thread, row
// drawing, the DC's map and painting. Animation, frames and the selection
// are in image_window_frames.cpp.
#include "viewer/image_window.h"

#include <process.h>

#include <algorithm>

#include "app/draw_trace.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"

namespace {

bool IsMetafileImage(CImageObject* image) {
    return IsVectorImageFileType(image->GetFileType()) && image->metafile != nullptr;
}

// The system works out the regions of ScrollWindow (the uncovered strip) and
// of BeginPaint (the clipping to the update region) through the class's own
// DC; with the scroll origin and the scaling map in force it shifts them by
// the scroll, and the strip is then neither found nor drawn. While one of
// these runs, the DC is on plain client pixels.
class ClientPixelsScope {
public:
    explicit ClientPixelsScope(HDC dc) : m_dc(dc), m_saved(dc != NULL ? ::SaveDC(dc) : 0) {
        if (m_saved != 0) {
            ::SetMapMode(m_dc, MM_TEXT);
            ::SetViewportOrgEx(m_dc, 0, 0, NULL);
        }
    }
    ~ClientPixelsScope() {
        if (m_saved != 0)
            ::RestoreDC(m_dc, m_saved);
    }
    ClientPixelsScope(const ClientPixelsScope&) = delete;
    ClientPixelsScope& operator=(const ClientPixelsScope&) = delete;

private:
    HDC m_dc;
    int m_saved;
};

} // namespace

CImageWindow::CImageWindow() = default;

CImageWindow::~CImageWindow() {
    // A canvas object that goes away with its window still alive (or whose
    // WM_DESTROY never came) must not leave its thread running on freed
    // memory.
    StopRenderThread();
    if (m_memoryDC != NULL) {
        ::SelectObject(m_memoryDC, m_memoryFirstBitmap);
        ::DeleteDC(m_memoryDC);
        m_memoryDC = NULL;
    }
}

// ---------------------------------------------------------------------------
// Life of the window and its thread.
// ---------------------------------------------------------------------------

LRESULT CImageWindow::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    {
        plat::ScopedLock rows(m_rowLock);
        m_planner = CBandPlanner();
    }
    m_stop = 0;
    m_parent = ::GetParent(m_hWnd);
    m_wakeEvent = ::CreateEventA(NULL, FALSE, FALSE, NULL);
    if (m_wakeEvent == NULL)
        return -1;
    unsigned threadId = 0;
    m_renderThread = reinterpret_cast<HANDLE>(
        _beginthreadex(NULL, 0, &CImageWindow::RenderThreadProc, this, 0, &threadId));
    if (m_renderThread == NULL) {
        ::CloseHandle(m_wakeEvent);
        m_wakeEvent = NULL;
        return -1;
    }
    ::SetThreadPriority(m_renderThread, THREAD_PRIORITY_ABOVE_NORMAL);
    Lock();
    m_windowDC = ::GetDC(m_hWnd);
    m_memoryDC = ::CreateCompatibleDC(NULL);
    m_memoryFirstBitmap = m_memoryDC ? ::GetCurrentObject(m_memoryDC, OBJ_BITMAP) : NULL;
    Unlock();
    return 0;
}

LRESULT CImageWindow::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    // The thread is joined before anything it uses goes; the canvas lock is
    // not held meanwhile, so a pass in progress can finish.
    StopRenderThread();
    Reset(false);
    Lock();
    if (m_memoryDC != NULL) {
        ::SelectObject(m_memoryDC, m_memoryFirstBitmap);
        ::DeleteDC(m_memoryDC);
        m_memoryDC = NULL;
    }
    if (m_windowDC != NULL) {
        ::ReleaseDC(m_hWnd, m_windowDC);
        m_windowDC = NULL;
    }
    Unlock();
    return 0;
}

void CImageWindow::StopRenderThread() {
    HANDLE event;
    {
        // SignalRender reads the handle under the row lock; once it is
        // cleared here, late calls from a decode thread do nothing.
        plat::ScopedLock rows(m_rowLock);
        event = m_wakeEvent;
        m_wakeEvent = NULL;
    }
    if (m_renderThread != NULL) {
        ::InterlockedExchange(&m_stop, 1);
        ::SetEvent(event);
        ::WaitForSingleObject(m_renderThread, INFINITE);
        ::CloseHandle(m_renderThread);
        m_renderThread = NULL;
    }
    if (event != NULL)
        ::CloseHandle(event);
}

unsigned __stdcall CImageWindow::RenderThreadProc(void* param) {
    static_cast<CImageWindow*>(param)->RenderLoop();
    return 0;
}

void CImageWindow::RenderLoop() {
    // The handle is read once: StopRenderThread clears the member before it
    // signals and joins.
    HANDLE event = m_wakeEvent;
    for (;;) {
        ::WaitForSingleObject(event, INFINITE);
        if (m_stop)
            return;
        Lock();
        CImageObject* image = m_image;
        if (image == nullptr) {
            Unlock();
            continue;
        }
        BandStep step;
        {
            plat::ScopedLock rows(m_rowLock);
            step = m_planner.TakeBand(image->height, image->notLoaded.load());
        }
        if (step.pass == EBandPass::kWait) {
            Unlock();
            continue;
        }
        RenderRows(step.count, step.first, true, true);
        bool again = false;
        if (m_image != nullptr) {
            plat::ScopedLock rows(m_rowLock);
            again = m_planner.ShouldContinue(m_image->height);
        }
        Unlock();
        if (again && !m_stop)
            ::SetEvent(event);
    }
}

LRESULT CImageWindow::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    Lock();
    ::SetRect(&m_clientRect, 0, 0, LOWORD(lParam), HIWORD(lParam));
    Unlock();
    return 0;
}

LRESULT CImageWindow::OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) {
    return 1;
}

// ---------------------------------------------------------------------------
// Image and layout.
// ---------------------------------------------------------------------------

void CImageWindow::Reset(bool keepScroll) {
    Lock();
    StopAnimation();
    {
        plat::ScopedLock rows(m_rowLock);
        m_image = nullptr;
        m_planner.Clear();
        m_planner.SetReady(false);
    }
    m_displayWidth = 0;
    m_displayHeight = 0;
    m_frameIndex = 0;
    if (!keepScroll) {
        m_scrollX = 0;
        m_scrollY = 0;
    }
    Unlock();
}

void CImageWindow::AttachImage(CImageObject* image, bool keepScroll) {
    Lock();
    Reset(keepScroll);
    {
        plat::ScopedLock rows(m_rowLock);
        m_image = image;
    }
    m_frameIndex = 0;
    m_traceFirstBand = image != nullptr;
    if (image != nullptr && image->complete)
        StartAnimation();
    Unlock();
}

CImageObject* CImageWindow::GetCurrentFrame() const {
    CImageObject* image = m_image;
    if (image == nullptr || m_frameIndex < 0)
        return nullptr;
    // GetFrame counts the image itself as frame 0 and null past the list.
    return image->GetFrame(m_frameIndex);
}

void CImageWindow::SetDisplaySize(int width, int height) {
    Lock();
    m_displayWidth = width;
    m_displayHeight = height;
    Unlock();
}

void CImageWindow::SetScroll(int x, int y) {
    Lock();
    m_scrollX = x;
    m_scrollY = y;
    if (m_windowDC != NULL)
        ::SetViewportOrgEx(m_windowDC, -x, -y, NULL);
    Unlock();
}

void CImageWindow::ScrollPixels(int dx, int dy) {
    Lock();
    {
        ClientPixelsScope plain(m_windowDC);
        ::ScrollWindow(m_hWnd, dx, dy, NULL, NULL);
    }
    Unlock();
}

bool CImageWindow::IsReady() const {
    plat::ScopedLock rows(const_cast<plat::CriticalSection&>(m_rowLock));
    return m_planner.IsReady();
}

void CImageWindow::SetReady(bool ready) {
    plat::ScopedLock rows(m_rowLock);
    m_planner.SetReady(ready);
}

void SetCanvasMap(HDC dc, int frameHeight, int displayedHeight) {
    // One scale from the heights serves both axes, so a picture is never
    // distorted by rounding of the displayed width.
    ::SetMapMode(dc, MM_ANISOTROPIC);
    ::SetWindowExtEx(dc, frameHeight, frameHeight, NULL);
    ::SetViewportExtEx(dc, displayedHeight, displayedHeight, NULL);
    if (displayedHeight < frameHeight && CanvasHalftoneOption()) {
        ::SetStretchBltMode(dc, HALFTONE);
        ::SetBrushOrgEx(dc, 0, 0, NULL);
    } else {
        ::SetStretchBltMode(dc, COLORONCOLOR);
    }
}

void CImageWindow::ApplyMapping() {
    Lock();
    CImageObject* image = m_image;
    if (image != nullptr && m_windowDC != NULL) {
        plat::ScopedLock imageLock(image->lock);
        CImageObject* frame = GetCurrentFrame();
        if (frame != nullptr && frame->headerReady) {
            if (frame->height == m_displayHeight || m_displayHeight <= 0 || frame->height <= 0 ||
                IsVectorImageFileType(image->GetFileType())) {
                ::SetMapMode(m_windowDC, MM_TEXT);
                if (m_memoryDC != NULL)
                    ::SetMapMode(m_memoryDC, MM_TEXT);
            } else {
                SetCanvasMap(m_windowDC, frame->height, m_displayHeight);
            }
            ::SetViewportOrgEx(m_windowDC, -m_scrollX, -m_scrollY, NULL);
        }
    }
    Unlock();
}

// ---------------------------------------------------------------------------
// Progressive drawing.
// ---------------------------------------------------------------------------

void CImageWindow::QueueRows(int count, int first) {
    QueueRowsOf(m_image, count, first);
}

void CImageWindow::QueueRowsOf(CImageObject* image, int count, int first) {
    if (image == nullptr)
        return;
    plat::ScopedLock rows(m_rowLock);
    // The shown image changes under the row lock too, so this check cannot
    // pass for an image that has just been detached.
    if (m_image != image)
        return;
    m_planner.Queue(count, first, image->rowsDecoded.load(), image->height);
    if (m_wakeEvent != NULL && m_planner.TakeWake(image->height))
        ::SetEvent(m_wakeEvent);
}

void CImageWindow::SignalRender() {
    CImageObject* image = m_image;
    if (image == nullptr)
        return;
    plat::ScopedLock rows(m_rowLock);
    if (m_wakeEvent != NULL && m_planner.TakeWake(image->height))
        ::SetEvent(m_wakeEvent);
}

void CImageWindow::ClearPendingRows() {
    plat::ScopedLock rows(m_rowLock);
    if (m_wakeEvent != NULL)
        ::ResetEvent(m_wakeEvent);
    m_planner.Clear();
}

void CImageWindow::TraceShown(bool whole) {
    if (m_traceFirstBand) {
        m_traceFirstBand = false;
        DrawTraceMark("first");
    }
    if (whole)
        DrawTraceMark("whole");
}

bool CImageWindow::HasPendingRows() const {
    plat::ScopedLock rows(const_cast<plat::CriticalSection&>(m_rowLock));
    return m_planner.PendingRows() > 0;
}

void CImageWindow::RenderRows(int count, int first, bool fillFirst, bool postDone) {
    if (count == 0 || !IsReady())
        return;
    Lock();
    CImageObject* image = m_image;
    if (image == nullptr || m_windowDC == NULL || m_memoryDC == NULL) {
        Unlock();
        return;
    }
    bool post = false;
    {
        plat::ScopedLock imageLock(image->lock);
        CImageObject* frame = GetCurrentFrame();
        if (frame != nullptr && frame->headerReady && frame->bitmap != nullptr) {
            POINT corner = {m_clientRect.right - m_clientRect.left,
                            m_clientRect.bottom - m_clientRect.top};
            ::DPtoLP(m_windowDC, &corner, 1);
            RowCopyInput in;
            in.frameWidth = frame->width;
            in.frameHeight = frame->height;
            in.rowsDecoded = frame->rowsDecoded.load();
            in.topDown = frame->topDown;
            in.first = first;
            in.count = count;
            in.logicalWidth = corner.x;
            in.logicalHeight = corner.y;
            in.scaleStep = GetScaleStep();
            in.fillFirst = fillFirst;
            in.postDone = postDone;
            RowCopyPlan plan = PlanRowCopy(in);
            if (plan.fill) {
                // A new image replaces the previous picture from the top.
                HBRUSH brush = ::CreateSolidBrush(m_background);
                RECT whole = {0, 0, frame->width, frame->height};
                ::FillRect(m_windowDC, &whole, brush);
                ::DeleteObject(brush);
            }
            if (plan.copy) {
                HGDIOBJ old = ::SelectObject(m_memoryDC, frame->bitmap);
                ::BitBlt(m_windowDC, plan.left, plan.top, plan.right - plan.left,
                         plan.bottom - plan.top, m_memoryDC, plan.left, plan.top, SRCCOPY);
                ::SelectObject(m_memoryDC, old != NULL ? old : m_memoryFirstBitmap);
            }
            // Batched drawing of this thread reaches the screen now, not at
            // the next band.
            ::GdiFlush();
            if (plan.copy)
                TraceShown(false);
            post = plan.postDone;
            if (post)
                DrawTraceMark("whole");
        }
    }
    Unlock();
    if (post && m_parent != NULL)
        ::PostMessageA(m_parent, kMsgViewLastRowDrawn, 0, 0);
}

// ---------------------------------------------------------------------------
// Painting.
// ---------------------------------------------------------------------------

LRESULT CImageWindow::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    // BeginPaint clips the shared window DC to the update region; the render
    // thread must not draw through it meanwhile.
    Lock();
    PAINTSTRUCT ps;
    HDC dc = NULL;
    {
        ClientPixelsScope plain(m_windowDC);
        dc = ::BeginPaint(m_hWnd, &ps);
    }
    CImageObject* image = m_image;
    if (dc != NULL && m_paintEnabled && IsReady() && image != nullptr) {
        plat::ScopedLock imageLock(image->lock);
        if (IsMetafileImage(image)) {
            ::SetBkColor(dc, m_background);
            ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &m_clientRect, NULL, 0, NULL);
            ::PlayEnhMetaFile(dc, reinterpret_cast<HENHMETAFILE>(image->metafile), &m_clientRect);
        } else {
            // The own DC keeps the scroll origin and the scaling map, while
            // the update rectangle is in client pixels: the picture's part
            // under it is what must be drawn.
            RECT update = ps.rcPaint;
            ::DPtoLP(dc, reinterpret_cast<POINT*>(&update), 2);
            PaintFrame(dc, update);
        }
    }
    ::EndPaint(m_hWnd, &ps);
    Unlock();
    return 0;
}

void CImageWindow::PaintFrame(HDC dc, const RECT& update) {
    CImageObject* frame = GetCurrentFrame();
    if (frame == nullptr || frame->bitmap == nullptr || !frame->headerReady)
        return;
    int decoded = std::min(frame->rowsDecoded.load(), frame->height);
    if (decoded <= 0)
        return;
    int s = GetScaleStep();
    RECT r;
    r.left = std::max(0L, static_cast<LONG>(update.left - s));
    r.top = std::max(0L, static_cast<LONG>(update.top - s));
    r.right = std::min(static_cast<LONG>(frame->width), static_cast<LONG>(update.right + s));
    if (frame->topDown) {
        r.bottom = std::min(static_cast<LONG>(decoded), static_cast<LONG>(update.bottom + s));
    } else {
        // Rows of a bottom-up frame fill it from the bottom: the rows above
        // them hold nothing yet and are left as the first band painted them.
        r.bottom = std::min(static_cast<LONG>(frame->height), static_cast<LONG>(update.bottom + s));
        r.top = std::max(r.top, static_cast<LONG>(frame->height - decoded));
    }
    if (r.right > r.left && r.bottom > r.top) {
        HGDIOBJ old = ::SelectObject(m_memoryDC, frame->bitmap);
        ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, m_memoryDC, r.left, r.top,
                 SRCCOPY);
        ::SelectObject(m_memoryDC, old != NULL ? old : m_memoryFirstBitmap);
    }
    RedrawSelection();
}
