// The viewer frame: construction, window creation with its bars and view,
// layout, fitting the window to an image, and the end of the window.
#include "viewer/image_frame.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "app/application_state.h"
#include "app/file_item_list.h"
#include "app/app_module.h"
#include "imaging/image_object.h"
#include "ui/tool_strip.h"

namespace {

// Toolbar bitmaps: 32-bit strips, and the older masked strips.

constexpr ToolButton kToolButtons[27] = {
    {0, ID_FILE_BROWSE, BTNS_BUTTON},
    {1, ID_FILE_SAVE, BTNS_BUTTON},
    {2, ID_FILE_PRINT, BTNS_BUTTON},
    {-1, 0, BTNS_SEP},
    {3, ID_VIEW_FIRST_IMAGE, BTNS_BUTTON},
    {4, ID_VIEW_PREV_IMAGE, BTNS_BUTTON},
    {5, ID_VIEW_NEXT_IMAGE, BTNS_BUTTON},
    {-1, 0, BTNS_SEP},
    {6, ID_FILE_MOVE_TO, BTNS_BUTTON},
    {7, ID_FILE_COPY_TO, BTNS_BUTTON},
    {8, ID_FILE_DELETE, BTNS_BUTTON},
    {-1, 0, BTNS_SEP},
    {9, ID_FAVORITES_ADD, BTNS_BUTTON},
    {-1, 0, BTNS_SEP},
    {10, ID_ZOOM_IN, BTNS_BUTTON},
    {11, ID_ZOOM_OUT, BTNS_BUTTON},
    {-1, 0, BTNS_SEP},
    {12, ID_ROTATE_90CCW, BTNS_BUTTON},
    {13, ID_ROTATE_90CW, BTNS_BUTTON},
    {-1, 0, BTNS_SEP},
    {14, ID_VIEW_MARQUEE, BTNS_CHECK},
    {15, ID_VIEW_FULLSCREEN, BTNS_BUTTON},
    {16, ID_VIEW_SLIDESHOW, BTNS_CHECK},
    {17, ID_WALLPAPER_CENTER, BTNS_BUTTON},
    {18, ID_TOOLS_EDITOR, BTNS_DROPDOWN},
    {-1, 0, BTNS_SEP},
    {19, ID_FILE_PROPERTIES, BTNS_BUTTON},
};

HIMAGELIST LoadStrip(int id, bool alpha) {
    return LoadToolStrip(id, alpha, ILC_COLOR24, 20);
}

} // namespace

CImageFrame::CImageFrame() {
    const CAppOptions& options = g_applicationState.Options();
    m_slideShowSequence = static_cast<int>(options.slideShowSequence);
    m_slideShowDelay = static_cast<int>(options.slideShowDelay);
    m_slideShowRepeat = options.slideShowRepeat;
    std::srand(static_cast<unsigned>(std::time(nullptr)));
}

CImageFrame::~CImageFrame() {
    // Normally WM_DESTROY has done all of this; an object whose window never
    // existed still owns its thread and list.
    WaitForFolderThread(true);
    AdoptFolderResult();
    if (m_itemList) {
        g_applicationState.ReleaseFileItemList(m_itemList);
        m_itemList = nullptr;
    }
    for (HIMAGELIST& list : m_toolImages) {
        if (list)
            ImageList_Destroy(list);
        list = nullptr;
    }
}

HWND CImageFrame::CreateViewer() {
    return CreateEx(nullptr, UiRectArg(), 0, 0, nullptr, kInitialTitle);
}

HWND CImageFrame::GetRebarWindow() const {
    return m_hWndToolBar;
}

HWND CImageFrame::GetStatusBarWindow() const {
    return m_hWndStatusBar;
}

HMENU CImageFrame::GetFrameMenu() const {
    if (m_commandBar.m_hWnd && m_commandBar.GetMenu())
        return m_commandBar.GetMenu();
    return ::GetMenu(m_hWnd);
}

void CImageFrame::SetZoomType(int type) {
    if (m_view.m_hWnd)
        m_view.SetZoomType(type);
}

void CImageFrame::SetBackgroundColor(COLORREF colour, bool redraw) {
    m_view.SetBackgroundColor(colour, redraw);
}

HWND CImageFrame::CreateViewerToolBar() {
    const bool alpha = ToolStripsHaveAlpha();
    m_toolImages[0] = LoadStrip(alpha ? IDB_VIEWER_TOOLBAR32 : IDB_VIEWER_TOOLBAR, alpha);
    m_toolImages[1] = LoadStrip(alpha ? IDB_VIEWER_TOOLBAR32_HOT : IDB_VIEWER_TOOLBAR_HOT, alpha);
    m_toolImages[2] =
        LoadStrip(alpha ? IDB_VIEWER_TOOLBAR32_DISABLED : IDB_VIEWER_TOOLBAR_DISABLED, alpha);

    TBBUTTON buttons[27];
    FillToolButtons(kToolButtons, buttons);
    const DWORD style = WS_CHILD | WS_VISIBLE | TBSTYLE_LIST | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                        CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_TOP;
    HWND toolBar = CreateSimpleToolBarCtrl(m_hWnd, buttons, 27, m_toolImages[0], m_toolImages[1],
                                           m_toolImages[2], style);
    if (toolBar)
        ::SendMessageA(toolBar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    return toolBar;
}

LRESULT CImageFrame::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    const CAppOptions& options = g_applicationState.Options();

    // The menu moves onto the command bar; without one it stays a menu bar.
    if (m_commandBar.Create(m_hWnd) &&
        m_commandBar.AttachMenu(m_hMenu ? m_hMenu : ::GetMenu(m_hWnd)))
        ::SetMenu(m_hWnd, nullptr);
    else if (m_commandBar.m_hWnd)
        m_commandBar.DestroyWindow();

    m_toolBar = CreateViewerToolBar();
    if (CreateSimpleReBar(UI_SIMPLE_REBAR_NOBORDER_STYLE)) {
        if (m_commandBar.m_hWnd)
            AddSimpleReBarBand(m_commandBar.m_hWnd);
        if (m_toolBar)
            AddSimpleReBarBandCtrl(m_hWndToolBar, m_toolBar, ID_BAND_VIEWER_TOOLBAR, nullptr, TRUE);
    } else {
        m_hWndToolBar = m_toolBar;
    }

    if (m_toolBar)
        UIAddToolBar(m_toolBar);
    UISetCheck(ID_VIEW_TOOLBAR, options.viewerShowToolbar ? 1 : 0);
    ShowBand(ID_BAND_VIEWER_TOOLBAR, options.viewerShowToolbar ? TRUE : FALSE);

    m_view.Create(m_hWnd, UiRectArg(), nullptr,
                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CLIENTEDGE,
                  ID_VIEWER_PANE);
    m_hWndClient = m_view.m_hWnd;
    m_view.SetBackgroundColor(options.viewerBackgroundClr, false);
    m_view.SetZoomType(static_cast<int>(options.viewerZoomType));
    m_view.SetFixedSelection(options.marqueeDimensions, static_cast<int>(options.marqueeWidth),
                             static_cast<int>(options.marqueeHeight));
    UpdateLayout();

    if (CMessageLoop* loop = g_module.GetMessageLoop()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
        m_filterRegistered = true;
    }
    m_backward = FALSE;
    UpdateTitle();
    return 0;
}

LRESULT CImageFrame::OnSize(UINT, WPARAM wParam, LPARAM, BOOL&) {
    if (wParam != SIZE_MINIMIZED) {
        UpdateLayout();
        const int type = m_view.GetZoomType();
        if (type >= kZoomFitOnScreen && type <= kZoomEnlargeToFit)
            UpdateTitle();
    }
    return 0;
}

LRESULT CImageFrame::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    // A show that ends with its window gives the screen saver back, and a
    // cursor this frame hid comes back.
    if (m_slideShowRunning)
        StopSlideShow();
    ::KillTimer(m_hWnd, kCursorTimer);
    ShowCursorState(true);
    WaitForFolderThread(true);
    AdoptFolderResult();
    // A window destroyed without closing (by its owner, or by the system)
    // must still leave the viewer list: the decode threads walk that list and
    // would reach this frame's canvas after it is gone.
    g_applicationState.WithViewerList([this](std::vector<CImageFrame*>& viewers) {
        viewers.erase(std::remove(viewers.begin(), viewers.end(), this), viewers.end());
    });
    m_view.ReleaseUndoImage();
    m_view.SetImage(nullptr, false, false, nullptr);
    if (m_itemList) {
        g_applicationState.ReleaseFileItemList(m_itemList);
        m_itemList = nullptr;
    }
    m_currentIndex = -1;
    UpdateTitle();
    if (m_filterRegistered) {
        if (CMessageLoop* loop = g_module.GetMessageLoop()) {
            loop->RemoveMessageFilter(this);
            loop->RemoveIdleHandler(this);
        }
        m_filterRegistered = false;
    }
    SavePlacement();
    bHandled = FALSE; // the frame base forgets its bars too
    return 0;
}

void CImageFrame::SavePlacement() {
    CAppOptions& options = g_applicationState.Options();
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    // Full screen wears WS_MAXIMIZE; what counts is the placement from
    // before it.
    const viewer::ClosingPlacement placement = viewer::PlacementToRecord(
        m_fullScreen, ::IsZoomed(m_hWnd) != FALSE,
        viewer::ScreenRect{window.left, window.top, window.right, window.bottom},
        m_fullScreenMemory, WS_MAXIMIZE);
    options.viewerMaximized = placement.maximised;
    if (!placement.maximised) {
        options.viewerLeft = placement.rect.left;
        options.viewerTop = placement.rect.top;
        options.viewerRight = placement.rect.right;
        options.viewerBottom = placement.rect.bottom;
    }
}

void CImageFrame::SizeToImage(CImageObject* image) {
    const CAppOptions& options = g_applicationState.Options();
    if (!options.viewerResizeFitImage || !image || !image->headerReady || ::IsZoomed(m_hWnd))
        return;
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int workWidth = work.right - work.left;
    const int workHeight = work.bottom - work.top;
    RECT bar{};
    // The bars' own style, not IsWindowVisible: a viewer sizes itself before
    // it is first shown.
    if (m_hWndToolBar && (::GetWindowLongPtrA(m_hWndToolBar, GWL_STYLE) & WS_VISIBLE))
        ::GetWindowRect(m_hWndToolBar, &bar);
    const int borderWidth = 2 * GetSystemMetrics(SM_CXFRAME) + 4;
    const int borderHeight = 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) +
                             (bar.bottom - bar.top) + 4;

    double zoom = 0;
    int boxWidth = 0, boxHeight = 0;
    m_view.GetZoom(zoom, boxWidth, boxHeight);
    int contentWidth, contentHeight;
    if (boxWidth == -1 && boxHeight == -1) {
        contentWidth = static_cast<int>(image->fullWidth * zoom);
        contentHeight = static_cast<int>(image->fullHeight * zoom);
    } else {
        contentWidth = image->width;
        contentHeight = image->height;
        const int spaceWidth = workWidth - borderWidth;
        const int spaceHeight = workHeight - borderHeight;
        if ((contentWidth >= spaceWidth || contentHeight >= spaceHeight) && contentWidth > 0 &&
            contentHeight > 0 && spaceWidth > 0 && spaceHeight > 0) {
            const double rx = static_cast<double>(spaceWidth) / contentWidth;
            const double ry = static_cast<double>(spaceHeight) / contentHeight;
            if (rx < ry) {
                contentWidth = spaceWidth;
                contentHeight = static_cast<int>(contentHeight * rx);
            } else {
                contentHeight = spaceHeight;
                contentWidth = static_cast<int>(contentWidth * ry);
            }
        }
    }
    int width = std::min(contentWidth, image->width) + borderWidth;
    int height = std::min(contentHeight, image->height) + borderHeight;
    width = std::max(std::min(width, workWidth), 300);
    height = std::max(std::min(height, workHeight), 150);
    const int x = width < workWidth ? work.left + (workWidth - width) / 2 : work.left;
    const int y = height < workHeight ? work.top + (workHeight - height) / 2 : work.top;

    CImageWindow& canvas = m_view.GetCanvas();
    canvas.EnablePaint(false);
    ::SetWindowPos(m_hWnd, nullptr, x, y, width, height,
                   SWP_NOSENDCHANGING | SWP_NOCOPYBITS | SWP_SHOWWINDOW | SWP_NOZORDER);
    canvas.EnablePaint(true);
    UpdateLayout();
}

void CImageFrame::OnFinalMessage(HWND) {
    // The object outlives its window until the user-interface thread's
    // message filter frees it, after every message to it has been handled.
    ::PostThreadMessageA(::GetCurrentThreadId(), kFreeFrameMessage, reinterpret_cast<WPARAM>(this),
                         0);
}
