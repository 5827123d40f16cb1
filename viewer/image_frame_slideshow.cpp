// The viewer frame's slide show, full screen and the hiding of the idle
// cursor in full screen. They share the frame's timers (1 the slide-show
// step, 2 the cursor) and its cursor-shown flag, which mirrors the
// ShowCursor calls this frame made so that it never unbalances the count.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "app/application_state.h"
#include "app/logic/image_attributes.h"
#include "imaging/image_object.h"
#include "viewer/image_frame.h"
#include "viewer/image_frame_lists.h"

namespace {

constexpr UINT kCursorHideDelay = 3000;
// The delays the options keep; the explorer writes its dialog's seconds
// straight into the viewer, so they are held to the same range here.
constexpr int kMinSlideDelay = 100;
constexpr int kMaxSlideDelay = 1000000;

// The last mouse position seen over any viewer's view (one for the process:
// a move into another viewer is a move too).
std::atomic<LPARAM> g_lastMousePosition{-1};

viewer::ScreenRect ToScreenRect(const RECT& r) {
    return viewer::ScreenRect{r.left, r.top, r.right, r.bottom};
}

} // namespace

void CImageFrame::StartSlideShow() {
    const int count = frame_lists::Count(m_itemList);
    if (m_slideShowSequence == viewer::kSlideRandom && count > 0) {
        // The first tick opens the item picked now; the current one stays
        // shown until then.
        m_currentIndex = std::rand() % count;
        m_nextRandomIndex = std::rand() % count;
    }
    const int delay = std::clamp(m_slideShowDelay, kMinSlideDelay, kMaxSlideDelay);
    ::SetTimer(m_hWnd, kSlideShowTimer, static_cast<UINT>(delay), nullptr);
    m_slideShowRunning = true;
    if (g_applicationState.Options().slideShowCaption)
        m_view.ShowCaption(true);
    g_applicationState.SetScreenSaverActive(false);
    UpdateToolBar();
}

void CImageFrame::StopSlideShow() {
    ::KillTimer(m_hWnd, kSlideShowTimer);
    m_slideShowRunning = false;
    m_nextRandomIndex = -1;
    if (m_view.IsCaptionShown())
        m_view.ShowCaption(false);
    g_applicationState.SetScreenSaverActive(true);
    UpdateToolBar();
}

void CImageFrame::SlideShowStep() {
    viewer::SlideTick tick;
    tick.index = m_currentIndex;
    tick.count = frame_lists::Count(m_itemList);
    tick.sequence = m_slideShowSequence;
    tick.repeat = m_slideShowRepeat;
    tick.active = ::GetActiveWindow() == m_hWnd;
    tick.menuOpen = m_contextMenuOpen;
    WORD command = 0;
    switch (viewer::NextSlideStep(tick)) {
    case viewer::SlideStep::Skip:
        return;
    case viewer::SlideStep::Stop:
        StopSlideShow();
        return;
    case viewer::SlideStep::Next:
        command = ID_VIEW_NEXT_IMAGE;
        break;
    case viewer::SlideStep::Previous:
        command = ID_VIEW_PREV_IMAGE;
        break;
    case viewer::SlideStep::First:
        command = ID_VIEW_FIRST_IMAGE;
        break;
    case viewer::SlideStep::Last:
        command = ID_VIEW_LAST_IMAGE;
        break;
    case viewer::SlideStep::Random:
        command = ID_VIEW_RANDOM_IMAGE;
        break;
    }
    // Through the frame's own commands, so each step asks to save an edit
    // like any other move to another image.
    ::SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

LRESULT CImageFrame::OnSlideShowCommand(WORD, WORD, HWND, BOOL&) {
    if (m_slideShowRunning)
        StopSlideShow();
    else if (GetDocument())
        StartSlideShow();
    return 0;
}

LRESULT CImageFrame::OnFullScreenCommand(WORD, WORD, HWND, BOOL&) {
    SetFullScreen(!m_fullScreen);
    return 0;
}

LRESULT CImageFrame::OnSlideShowTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (wParam == kSlideShowTimer) {
        if (m_slideShowRunning)
            SlideShowStep();
        else
            ::KillTimer(m_hWnd, kSlideShowTimer);
        return 0;
    }
    if (wParam == kCursorTimer) {
        viewer::CursorState state;
        const HWND focus = ::GetFocus();
        state.focusOnView =
            focus && (focus == m_view.m_hWnd || ::IsChild(m_view.m_hWnd, focus) != FALSE);
        state.panning = m_view.IsPanning();
        state.menuOpen = m_contextMenuOpen;
        state.selectionMode = m_view.IsSelectionMode();
        state.cursorShown = m_cursorShown;
        if (viewer::ShouldHideCursor(state))
            ShowCursorState(false);
        return 0;
    }
    bHandled = FALSE;
    return 0;
}

void CImageFrame::SetFullScreen(bool on) {
    if (!m_hWnd)
        return;
    const CAppOptions& options = g_applicationState.Options();
    if (on) {
        RECT window{};
        ::GetWindowRect(m_hWnd, &window);
        m_fullScreenMemory.Enter(ToScreenRect(window), static_cast<unsigned long>(
                                                           ::GetWindowLongPtrA(m_hWnd, GWL_STYLE)));
        m_view.EnableLayout(false);
        ShowBand(ID_BAND_VIEWER_MENU, options.viewerFullscreenShowMenu ? TRUE : FALSE);
        ShowBand(ID_BAND_VIEWER_TOOLBAR, FALSE);
        UISetCheck(ID_VIEW_TOOLBAR, 0);
        ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, WS_MAXIMIZE);
        ::SetWindowLongPtrA(m_view.m_hWnd, GWL_EXSTYLE, 0);
        ::SetWindowPos(m_view.m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        m_view.EnableLayout(true);
        ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, ::GetSystemMetrics(SM_CXSCREEN),
                       ::GetSystemMetrics(SM_CYSCREEN), SWP_SHOWWINDOW | SWP_FRAMECHANGED);
        m_fullScreen = true;
        ShowCursorState(false);
        ::SetTimer(m_hWnd, kCursorTimer, kCursorHideDelay, nullptr);
        UpdateLayout();
        UpdateToolBar();
        return;
    }
    if (!m_fullScreen)
        return;
    m_view.EnableLayout(false);
    ShowBand(ID_BAND_VIEWER_MENU, TRUE);
    ShowBand(ID_BAND_VIEWER_TOOLBAR, options.viewerShowToolbar ? TRUE : FALSE);
    UISetCheck(ID_VIEW_TOOLBAR, options.viewerShowToolbar ? 1 : 0);
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(m_fullScreenMemory.savedStyle));
    ::SetWindowLongPtrA(m_view.m_hWnd, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
    ::SetWindowPos(m_view.m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_view.EnableLayout(true);
    const viewer::ScreenRect saved = m_fullScreenMemory.Leave();
    ::SetWindowPos(m_hWnd, nullptr, saved.left, saved.top, saved.right - saved.left,
                   saved.bottom - saved.top, SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    m_fullScreen = false;
    ::KillTimer(m_hWnd, kCursorTimer);
    ShowCursorState(true);
    UpdateLayout();
    UpdateToolBar();
}

void CImageFrame::ShowCursorState(bool show) {
    if (show == m_cursorShown)
        return;
    ::ShowCursor(show ? TRUE : FALSE);
    m_cursorShown = show;
}

void CImageFrame::WakeCursor() {
    ::SetTimer(m_hWnd, kCursorTimer, kCursorHideDelay, nullptr);
    ShowCursorState(true);
}

void CImageFrame::SetCursorAutoHide(bool on) {
    if (on) {
        ShowCursorState(false);
        ::SetTimer(m_hWnd, kCursorTimer, kCursorHideDelay, nullptr);
    } else {
        ::KillTimer(m_hWnd, kCursorTimer);
        ShowCursorState(true);
    }
}

void CImageFrame::NoticeMouseMove(const MSG& msg) {
    if (!m_fullScreen || msg.message != WM_MOUSEMOVE || !m_view.m_hWnd)
        return;
    if (msg.hwnd != m_view.m_hWnd && !::IsChild(m_view.m_hWnd, msg.hwnd))
        return;
    if (g_lastMousePosition.exchange(msg.lParam) != msg.lParam)
        WakeCursor();
}

const char* CImageFrame::SlideCaptionFor(CImageObject* image, std::string& text) {
    if (!image || !m_slideShowRunning || !g_applicationState.Options().slideShowCaption)
        return nullptr;
    CImageAttributes attributes;
    attributes.path = image->path;
    if (!g_applicationState.LoadImageAttributes(attributes))
        return nullptr;
    text = attributes.description;
    return text.c_str();
}
