// The viewer side of frame management: making or reusing a viewer, opening
// items and documents in it, its end (and with the last one, possibly the
// process's), the toolbar option, and bringing forward and arranging all
// viewers. Everything runs on the user-interface thread; the viewer list is
// changed and walked under its lock.
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/file_item_list.h"
#include "explorer/main_frame.h"
#include "imaging/image_object.h"
#include "program/program_frames.h"
#include "viewer/image_frame.h"
#include "viewer/logic/arrange_geometry.h"

namespace {

viewer::ScreenRect WorkArea() {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return {work.left, work.top, work.right, work.bottom};
}

// Places a new viewer: the saved rectangle when it lies wholly in the work
// area, otherwise the whole work area.
void PlaceNewViewer(CImageFrame* frame, const CAppOptions& options) {
    viewer::ScreenRect saved{options.viewerLeft, options.viewerTop, options.viewerRight,
                             options.viewerBottom};
    if (viewer::UseSavedViewerRect(saved, options.viewerMaximized, WorkArea()))
        MoveWindow(frame->m_hWnd, saved.left, saved.top, saved.right - saved.left,
                   saved.bottom - saved.top, TRUE);
    else
        frame->MoveToWorkArea();
}

// Lays the view out below the rebar and above the status bar.
void LayOutViewer(CImageFrame* frame) {
    RECT client{};
    GetClientRect(frame->m_hWnd, &client);
    HWND rebar = frame->GetRebarWindow();
    if (rebar && IsWindowVisible(rebar)) {
        SendMessageA(rebar, WM_SIZE, 0, 0);
        RECT rect{};
        GetWindowRect(rebar, &rect);
        client.top += rect.bottom - rect.top;
    }
    HWND statusBar = frame->GetStatusBarWindow();
    if (statusBar && IsWindowVisible(statusBar)) {
        SendMessageA(statusBar, WM_SIZE, 0, 0);
        RECT rect{};
        GetWindowRect(statusBar, &rect);
        client.bottom -= rect.bottom - rect.top;
    }
    HWND view = frame->GetViewWindow();
    if (view)
        SetWindowPos(view, nullptr, client.left, client.top, client.right - client.left,
                     client.bottom - client.top, SWP_NOACTIVATE | SWP_NOZORDER);
}

// The viewer that a reused viewer request goes to: the first one marked
// last active, else the newest.
CImageFrame* LastActiveViewer(const std::vector<CImageFrame*>& viewers) {
    for (CImageFrame* viewer : viewers)
        if (viewer->m_lastActive)
            return viewer;
    return viewers.empty() ? nullptr : viewers.back();
}

// Gives the viewer `list` with `index` as its current item. The viewer holds
// one reference to its list: a new list gets one, the list it already holds
// keeps the one it has.
void AdoptList(CImageFrame* viewer, CFileItemList* list, int index) {
    if (list && list != viewer->GetItemList())
        list->AddRef();
    viewer->SetItemList(list, index);
}

} // namespace

bool CProgramFrames::ShowExplorerOnItem(CFileItemList* list, int index) {
    CApplicationState& app = g_applicationState;
    if (!app.ShowExplorer())
        return false;
    if (CMainFrame* explorer = app.Explorer())
        explorer->ShowItem(index, list);
    app.ShowStartupDialogs();
    return true;
}

CImageFrame* CApplicationState::GetViewer(bool& newViewer, COLORREF background) {
    CImageFrame* viewer = nullptr;
    {
        plat::ScopedLock lock(viewerListLock);
        if (newViewer || viewers.empty()) {
            auto* frame = new CImageFrame;
            if (!frame->CreateViewer()) {
                delete frame;
                return nullptr;
            }
            newViewer = true;
            frame->SetZoomType((int)options.viewerZoomType);
            frame->SetBackgroundColor(background, false);
            // A viewer that sizes itself to its image is placed and shown
            // by the frame once the image's size is known.
            if (!options.viewerResizeFitImage || options.viewerMaximized) {
                PlaceNewViewer(frame, options);
                ShowWindow(frame->m_hWnd, SW_SHOW);
            }
            viewers.push_back(frame);
            viewer = frame;
        } else {
            viewer = LastActiveViewer(viewers);
            if (viewer->GetBackgroundColor() != background)
                viewer->SetBackgroundColor(background, true);
            if (!options.viewerResizeFitImage && IsIconic(viewer->m_hWnd))
                ShowWindow(viewer->m_hWnd, SW_SHOWNORMAL);
        }
    }
    SetForegroundWindow(viewer->m_hWnd);
    return viewer;
}

CImageFrame* CApplicationState::OpenViewerOnItem(CFileItemList* list, int index,
                                                 COLORREF background, bool fullScreen,
                                                 bool newViewer) {
    CImageFrame* viewer = GetViewer(newViewer, background);
    if (!viewer)
        return nullptr;
    AdoptList(viewer, list, index);
    viewer->OpenCurrentItem(true);
    if (fullScreen)
        viewer->SetFullScreen(true);
    return viewer;
}

CImageFrame* CProgramFrames::OpenViewerOnDocument(CFileItemList* list, int index,
                                                  CImageObject* image, COLORREF background,
                                                  bool fullScreen, bool newViewer) {
    CImageFrame* viewer = g_applicationState.GetViewer(newViewer, background);
    if (!viewer)
        return nullptr;
    AdoptList(viewer, list, index);
    if (image) {
        // The viewer takes over this reference.
        image->AddRef();
        viewer->ShowDocument(image, false);
    }
    if (fullScreen)
        viewer->SetFullScreen(true);
    return viewer;
}

void CProgramFrames::OnViewerDestroyed(CImageFrame* viewer) {
    CApplicationState& app = g_applicationState;
    app.WithViewerList([&](std::vector<CImageFrame*>& viewers) {
        for (auto it = viewers.begin(); it != viewers.end(); ++it) {
            if (*it == viewer) {
                viewers.erase(it);
                break;
            }
        }
        app.Options().viewerZoomType = (uint32_t)viewer->GetZoomType();
        if (viewer->m_hWnd)
            DestroyWindow(viewer->m_hWnd);
        if (viewers.empty() && !app.IsExplorerVisible() && !app.TrayIconShown()) {
            app.DestroyExplorerWindow();
            PostQuitMessage(0);
            app.ReleaseFileItemList(nullptr); // drops the kept list
        }
    });
}

void CProgramFrames::CloseAllViewers() {
    CApplicationState& app = g_applicationState;
    app.WithViewerList([&](std::vector<CImageFrame*>& viewers) {
        // The list is emptied first, so that what the windows do while they
        // are destroyed (activating one another) sees no half-closed viewer.
        std::vector<CImageFrame*> closing;
        closing.swap(viewers);
        for (CImageFrame* viewer : closing)
            if (viewer->m_hWnd)
                DestroyWindow(viewer->m_hWnd);
        // With nothing left on screen and no tray icon to come back through,
        // the process ends as it does after its last viewer closes.
        if (!closing.empty() && !app.IsExplorerVisible() && !app.TrayIconShown()) {
            app.DestroyExplorerWindow();
            PostQuitMessage(0);
            app.ReleaseFileItemList(nullptr);
        }
    });
}

void CProgramFrames::ShowOptionsSheet() {
    bool viewerActive = false;
    g_applicationState.ForEachViewer(
        [&](CImageFrame* viewer) { viewerActive = viewerActive || viewer->m_active; });
    // The options sheet opens on its viewer page when a viewer is the active
    // frame (start page 1), otherwise on its first page (0). The sheet's
    // pages do not exist yet; nothing is shown until they do.
    int startPage = viewerActive ? 1 : 0;
    (void)startPage;
}

bool CProgramFrames::SetViewerToolbarVisible(bool visible) {
    CApplicationState& app = g_applicationState;
    app.Options().viewerShowToolbar = visible;
    app.ForEachViewer([&](CImageFrame* viewer) {
        HWND rebar = viewer->GetRebarWindow();
        if (rebar) {
            int band = (int)SendMessageA(rebar, RB_IDTOINDEX, ID_BAND_VIEWER_TOOLBAR, 0);
            if (band >= 0)
                SendMessageA(rebar, RB_SHOWBAND, band, visible ? TRUE : FALSE);
        }
        viewer->UISetCheck(ID_VIEW_TOOLBAR, visible ? 1 : 0);
        LayOutViewer(viewer);
    });
    return app.Options().viewerShowToolbar;
}

std::vector<HWND> CApplicationState::ViewerWindows() {
    std::vector<HWND> windows;
    plat::ScopedLock lock(viewerListLock);
    windows.reserve(viewers.size());
    for (CImageFrame* viewer : viewers)
        if (viewer && viewer->m_hWnd)
            windows.push_back(viewer->m_hWnd);
    return windows;
}

int CApplicationState::BroadcastToViewers(UINT message, WPARAM wParam, LPARAM lParam) {
    const std::vector<HWND> windows = ViewerWindows();
    for (HWND window : windows)
        if (IsWindow(window))
            SendMessageA(window, message, wParam, lParam);
    return int(windows.size());
}

void CProgramFrames::BringViewersToTop() {
    g_applicationState.WithViewerList([](std::vector<CImageFrame*>& viewers) {
        CImageFrame* focus = nullptr;
        for (CImageFrame* viewer : viewers) {
            BringWindowToTop(viewer->m_hWnd);
            if (viewer->m_lastActive && !focus)
                focus = viewer;
        }
        if (focus)
            SetFocus(focus->m_hWnd);
    });
}

void CProgramFrames::ArrangeViewers(int k, char mode) {
    g_applicationState.WithViewerList([&](std::vector<CImageFrame*>& viewers) {
        std::vector<viewer::WindowPlace> places =
            viewer::ArrangeViewerPlaces((int)viewers.size(), k, mode, WorkArea());
        if (places.empty())
            return;
        for (size_t i = 0; i < places.size(); ++i) {
            HWND window = viewers[i]->m_hWnd;
            if (IsZoomed(window))
                ShowWindow(window, SW_SHOWNOACTIVATE);
            const viewer::WindowPlace& place = places[i];
            SetWindowPos(window, nullptr, place.x, place.y, place.width, place.height,
                         SWP_SHOWWINDOW);
        }
        for (CImageFrame* viewer : viewers) {
            if (viewer->m_lastActive) {
                SetFocus(viewer->m_hWnd);
                break;
            }
        }
    });
}
