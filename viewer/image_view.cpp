// The image view's construction, its shared resources and its image slots
// (current, previous, preloaded, undo), caption, frames and selection mode.
#include "viewer/image_view.h"

#include <cstring>
#include <new>
#include <vector>

#include "app/application_state.h"
#include "imaging/image_object.h"
#include "resources/resource.h"
#include "viewer/image_view_internal.h"
#include "viewer/logic/zoom_steps.h"

namespace image_view_detail {

namespace {

volatile LONG g_instances = 0;
HBITMAP g_screenBitmap = NULL;
int g_screenWidth = 0;
int g_screenHeight = 0;
HCURSOR g_openHand = NULL;
HCURSOR g_closedHand = NULL;

// Guards the creation and destruction of the shared items.
plat::CriticalSection& StaticLock() {
    static plat::CriticalSection lock;
    return lock;
}

HCURSOR LoadViewCursor(int id) {
    HCURSOR cursor = ::LoadCursorA(UiModuleInstance(), MAKEINTRESOURCEA(id));
    return cursor != NULL ? cursor : ::LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
}

} // namespace

void AddViewInstance() {
    if (::InterlockedIncrement(&g_instances) != 1)
        return;
    plat::CriticalSection& lock = StaticLock();
    lock.Enter();
    if (g_screenBitmap == NULL) {
        HDC screen = ::GetDC(NULL);
        if (screen != NULL) {
            g_screenWidth = ::GetDeviceCaps(screen, HORZRES);
            g_screenHeight = ::GetDeviceCaps(screen, VERTRES);
            g_screenBitmap = ::CreateCompatibleBitmap(screen, g_screenWidth, g_screenHeight);
            ::ReleaseDC(NULL, screen);
        }
        if (g_screenBitmap == NULL) {
            // Without the bitmap every layout takes the progressive path.
            g_screenWidth = 0;
            g_screenHeight = 0;
        }
    }
    if (g_openHand == NULL)
        g_openHand = LoadViewCursor(IDC_HAND_OPEN);
    if (g_closedHand == NULL)
        g_closedHand = LoadViewCursor(IDC_HAND_CLOSED);
    lock.Leave();
}

void RemoveViewInstance() {
    if (::InterlockedDecrement(&g_instances) != 0)
        return;
    plat::CriticalSection& lock = StaticLock();
    lock.Enter();
    ScreenBitmapLock().Enter();
    if (g_screenBitmap != NULL)
        ::DeleteObject(g_screenBitmap);
    g_screenBitmap = NULL;
    g_screenWidth = 0;
    g_screenHeight = 0;
    ScreenBitmapLock().Leave();
    lock.Leave();
}

HBITMAP ScreenBitmap() {
    return g_screenBitmap;
}
int ScreenWidth() {
    return g_screenWidth;
}
int ScreenHeight() {
    return g_screenHeight;
}

plat::CriticalSection& ScreenBitmapLock() {
    static plat::CriticalSection lock;
    return lock;
}

HCURSOR OpenHandCursor() {
    return g_openHand != NULL ? g_openHand : ::LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
}
HCURSOR ClosedHandCursor() {
    return g_closedHand != NULL ? g_closedHand : ::LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
}

double ZoomLimit() {
    static const bool nt = [] {
        if (g_applicationState.VersionInfo().dwOSVersionInfoSize != 0)
            return g_applicationState.VersionInfo().dwPlatformId == VER_PLATFORM_WIN32_NT;
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof(info);
        if (!::GetVersionExA(&info))
            return true;
        return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }();
    return viewer::ZoomLimitFor(nt);
}

PumpResult PeekLoopMessage(MSG& msg) {
    if (!::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        return PumpResult::kNone;
    if (msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return PumpResult::kQuit;
    }
    return PumpResult::kMessage;
}

PumpResult WaitLoopMessage(MSG& msg) {
    BOOL got = ::GetMessageA(&msg, NULL, 0, 0);
    if (got == 0 || msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return PumpResult::kQuit;
    }
    if (got == -1)
        return PumpResult::kQuit;
    return PumpResult::kMessage;
}

} // namespace image_view_detail

using namespace image_view_detail;

CImageView::CImageView() {
    AddViewInstance();
}

CImageView::~CImageView() {
    // A view destroyed without its window still gives its references back.
    CImageObject* current = m_canvas.m_hWnd == NULL ? m_canvas.GetImage() : nullptr;
    if (current != nullptr) {
        m_canvas.Reset(false);
        g_applicationState.ReleaseImage(current);
    }
    ReleaseSlot(m_preloadedImage);
    ReleaseSlot(m_previousImage);
    ReleaseSlot(m_undoImage);
    RemoveViewInstance();
}

CImageObject* CImageView::GetImage() const {
    return m_canvas.GetImage();
}

void CImageView::ReleaseSlot(CImageObject*& slot) {
    CImageObject* image = slot;
    slot = nullptr;
    if (image != nullptr)
        g_applicationState.ReleaseImage(image);
}

// --- images ---

void CImageView::ResetViewState(bool keep) {
    m_canvas.ClearPendingRows();
    m_canvas.SetReady(false);
    m_scrollable = false;
    m_offsetX = 0;
    m_offsetY = 0;
    if (!keep && m_zoomType != kZoomLock)
        m_customZoom = false;
    m_canvas.Reset(keep);
    if (m_captionShown && m_caption.IsWindow()) {
        m_caption.ShowWindow(SW_HIDE);
        m_caption.SetText("");
    }
}

void CImageView::ResetView(bool keep) {
    // The canvas's image is the view's current image: it stays shown (and
    // held) across a reset asked for from outside.
    m_canvas.Lock();
    CImageObject* current = m_canvas.GetImage();
    ResetViewState(keep);
    if (current != nullptr)
        m_canvas.AttachImage(current, keep);
    m_canvas.Unlock();
}

void CImageView::SetImage(CImageObject* image, bool keepPrevious, bool keepView,
                          const char* captionText) {
    // References are given back after the canvas lock is left, so the image
    // cache's lock is never taken inside it.
    std::vector<CImageObject*> toRelease;
    m_canvas.Lock();
    ++m_deferShownNotify;
    CImageObject* old = m_canvas.GetImage();
    if (image == nullptr) {
        ResetViewState(false);
        if (old != nullptr)
            toRelease.push_back(old);
        UpdateLayout(true);
        if (m_preloadedImage)
            toRelease.push_back(m_preloadedImage);
        if (m_previousImage)
            toRelease.push_back(m_previousImage);
        m_preloadedImage = nullptr;
        m_previousImage = nullptr;
    } else if (image == old) {
        toRelease.push_back(image); // the caller's extra reference
    } else {
        int scrollX = m_canvas.GetScrollX();
        int scrollY = m_canvas.GetScrollY();
        double zoom = m_canvas.GetZoom();
        ResetViewState(false);
        if (old != nullptr && (!old->complete || old->modified)) {
            toRelease.push_back(old);
            old = nullptr;
        }
        if (m_preloadedImage)
            toRelease.push_back(m_preloadedImage);
        if (m_previousImage)
            toRelease.push_back(m_previousImage);
        m_preloadedImage = nullptr;
        m_previousImage = nullptr;

        m_canvas.AttachImage(image, false);
        if (captionText != nullptr)
            m_caption.SetText(captionText);
        m_keepViewOnce = keepView;
        if (keepView) {
            m_canvas.SetZoom(zoom);
            m_canvas.SetScroll(scrollX, scrollY);
            m_customZoom = true;
        }
        UpdateLayout(true);
        if (old != nullptr) {
            if (keepPrevious)
                m_previousImage = old;
            else
                toRelease.push_back(old);
        }
    }
    --m_deferShownNotify;
    m_canvas.Unlock();
    for (CImageObject* released : toRelease)
        g_applicationState.ReleaseImage(released);
    FlushShownNotify();
}

void CImageView::SetImageKeepView(CImageObject* image) {
    m_canvas.Lock();
    ++m_deferShownNotify;
    CImageObject* old = m_canvas.GetImage();
    ResetViewState(true);
    if (image != nullptr)
        m_canvas.AttachImage(image, true);
    m_keepViewOnce = true;
    UpdateLayout(true);
    --m_deferShownNotify;
    m_canvas.Unlock();
    if (old != nullptr)
        g_applicationState.ReleaseImage(old);
    FlushShownNotify();
}

void CImageView::DetachImage() {
    m_canvas.Lock();
    CImageObject* shared = m_canvas.GetImage();
    if (shared == nullptr) {
        m_canvas.Unlock();
        return;
    }
    CImageObject* copy = new (std::nothrow) CImageObject(shared->path, nullptr);
    bool copied = false;
    if (copy != nullptr) {
        shared->lock.Enter();
        copied = copy->CopyFrom(shared);
        shared->lock.Leave();
        if (copied && copy->headerReady)
            copy->SignalReady();
    }
    if (!copied) {
        // Out of memory: the view keeps showing the shared image.
        delete copy;
        m_canvas.Unlock();
        return;
    }
    ++m_deferShownNotify;
    m_canvas.AttachImage(copy, true);
    m_keepViewOnce = true;
    UpdateLayout(false);
    --m_deferShownNotify;
    m_canvas.Unlock();
    // The view held one reference to the shared image; the copy replaces it.
    g_applicationState.ReleaseImage(shared);
    FlushShownNotify();
}

void CImageView::ReleasePreviousImage() {
    ReleaseSlot(m_previousImage);
}

void CImageView::SetPreloadedImage(CImageObject* image) {
    if (image == m_preloadedImage) {
        if (image != nullptr)
            g_applicationState.ReleaseImage(image); // the caller's extra reference
        return;
    }
    ReleaseSlot(m_preloadedImage);
    m_preloadedImage = image;
}

void CImageView::SetUndoImage(CImageObject* image, int value) {
    CImageObject* held = m_undoImage;
    m_undoImage = image;
    m_undoValue = value;
    if (held != nullptr)
        g_applicationState.ReleaseImage(held);
}

CImageObject* CImageView::TakeUndoImage() {
    CImageObject* image = m_undoImage;
    m_undoImage = nullptr;
    return image;
}

void CImageView::ReleaseUndoImage() {
    ReleaseSlot(m_undoImage);
}

// --- caption ---

void CImageView::ShowCaption(bool show) {
    if (show) {
        if (m_captionShown)
            return;
        RECT rect = {0, 0, 0, 0};
        if (m_caption.Create(m_hWnd, rect, NULL, WS_CHILD | WS_DISABLED, WS_EX_TRANSPARENT) == NULL)
            return;
        m_captionShown = true;
        CImageObject* image = m_canvas.GetImage();
        if (!m_canvas.HasPendingRows() && image != nullptr && image->complete)
            SizeCaptionToClient();
    } else if (m_captionShown) {
        if (m_caption.IsWindow())
            m_caption.DestroyWindow();
        m_captionShown = false;
    }
}

void CImageView::SizeCaptionToClient() {
    if (m_captionShown && m_caption.IsWindow())
        m_caption.SetWindowPos(NULL, 0, 0, m_clientRect.right, m_clientRect.bottom,
                               SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- frames ---

void CImageView::NextFrame() {
    m_canvas.NextFrame(false);
    UpdateLayout(true);
    m_canvas.Invalidate();
}

void CImageView::PrevFrame() {
    m_canvas.PrevFrame(false);
    UpdateLayout(true);
    m_canvas.Invalidate();
}

void CImageView::SetFrame(int index) {
    CImageObject* image = m_canvas.GetImage();
    int last = image != nullptr ? image->FrameCount() : 0;
    if (index > last)
        index = last;
    if (index < 0)
        index = 0;
    m_canvas.SetFrameIndex(index);
    UpdateLayout(true);
    m_canvas.Invalidate();
}

// --- appearance and selection ---

void CImageView::SetBackgroundColor(COLORREF colour, bool redraw) {
    if (colour == m_canvas.GetBackgroundColor())
        return;
    m_canvas.SetBackgroundColor(colour);
    if (redraw && IsWindow())
        Invalidate(TRUE);
}

COLORREF CImageView::GetBackgroundColor() const {
    return m_canvas.GetBackgroundColor();
}

void CImageView::SetSelectionMode(bool on) {
    m_selectionMode = on;
    if (m_canvas.IsSelectionShown())
        m_canvas.HideSelection();
    RECT empty = {0, 0, 0, 0};
    m_canvas.StoreSelection(empty, false);
    if (IsWindow()) {
        // Refresh the cursor at once, as if the mouse had moved.
        POINT pt;
        ::GetCursorPos(&pt);
        HWND under = ::WindowFromPoint(pt);
        if (under == m_hWnd || ::IsChild(m_hWnd, under))
            SendMessage(WM_SETCURSOR, (WPARAM)m_hWnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
}

void CImageView::SetFixedSelection(bool fixed, int width, int height) {
    m_canvas.SetFixedAspect(fixed, width, height);
    if (m_canvas.IsSelectionShown()) {
        RECT r = m_canvas.GetSelection();
        m_canvas.SetSelection(r.left, r.top, r.right, r.bottom);
    }
}

bool CImageView::HasSelection() const {
    return m_canvas.IsSelectionShown();
}

void CImageView::ClearSelection() {
    RECT empty = {0, 0, 0, 0};
    m_canvas.StoreSelection(empty, false);
}
