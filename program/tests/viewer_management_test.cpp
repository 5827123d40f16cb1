// Frame management of the viewers in this process: making and reusing a
// viewer and where a new one goes, arranging several, the toolbar option
// across viewers, and what closing the last viewer or all of them does to
// the process.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "program/message_loop_filters.h"
#include "program/program_frames.h"
#include "viewer/image_frame.h"

namespace {

// The program's frame management and image windows, as start-up registers them.
class ProgramFramesEnvironment : public ::testing::Environment {
public:
    void SetUp() override { RegisterProgramFrames(); }
};
::testing::Environment* const kProgramFrames =
    ::testing::AddGlobalTestEnvironment(new ProgramFramesEnvironment);

// Dispatches what is queued; frees the viewer objects whose windows are gone
// (what the program's message filter does) and reports a WM_QUIT.
bool Pump() {
    bool quit = false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            continue;
        }
        if (msg.message == kFreeFrameMessage && msg.hwnd == nullptr) {
            delete reinterpret_cast<CImageFrame*>(msg.wParam);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return quit;
}

RECT WorkArea() {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

RECT WindowRect(CImageFrame* frame) {
    RECT rect{};
    GetWindowRect(frame->m_hWnd, &rect);
    return rect;
}

class ViewerManagementTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_COOL_CLASSES};
        InitCommonControlsEx(&controls);
        m_saved = g_applicationState.Options();
        CAppOptions& o = g_applicationState.Options();
        o.viewerResizeFitImage = false;
        o.viewerMaximized = false;
        o.viewerShowToolbar = true;
        o.viewerZoomType = 2;
        o.viewerBackgroundClr = RGB(125, 158, 192);
        m_tray = g_applicationState.TrayIconShown();
        g_applicationState.SetTrayIconShown(true); // nothing quits unless a test says so
        Pump();
    }

    void TearDown() override {
        std::vector<CImageFrame*> left;
        {
            g_applicationState.WithViewerList(
                [&](std::vector<CImageFrame*>& viewers) { left.swap(viewers); });
        }
        for (CImageFrame* frame : left)
            if (frame->m_hWnd)
                DestroyWindow(frame->m_hWnd);
        Pump();
        g_applicationState.Options() = m_saved;
        g_applicationState.SetTrayIconShown(m_tray);
    }

    // A new viewer through frame management.
    CImageFrame* NewViewer(COLORREF background = RGB(125, 158, 192)) {
        bool newViewer = true;
        CImageFrame* frame = g_applicationState.GetViewer(newViewer, background);
        EXPECT_NE(nullptr, frame);
        EXPECT_TRUE(newViewer);
        Pump();
        return frame;
    }

    CAppOptions m_saved;
    bool m_tray = false;
};

TEST_F(ViewerManagementTest, GetViewerMakesOneThenReusesTheLastActive) {
    bool newViewer = false;
    CImageFrame* first = g_applicationState.GetViewer(newViewer, RGB(1, 2, 3));
    ASSERT_NE(nullptr, first);
    EXPECT_TRUE(newViewer); // an empty list always gets a new viewer
    EXPECT_EQ(2, first->GetZoomType());
    EXPECT_EQ(RGB(1, 2, 3), first->GetBackgroundColor());
    EXPECT_TRUE(IsWindowVisible(first->m_hWnd));

    CImageFrame* second = NewViewer();
    ASSERT_EQ(2u, g_applicationState.ViewerCount());

    // No viewer marked: the newest is reused, and takes the colour asked for.
    // Showing the viewers may have activated either of them, and activation
    // marks one, so the marks are cleared here.
    first->m_lastActive = false;
    second->m_lastActive = false;
    newViewer = false;
    EXPECT_EQ(second, g_applicationState.GetViewer(newViewer, RGB(9, 9, 9)));
    EXPECT_FALSE(newViewer);
    EXPECT_EQ(RGB(9, 9, 9), second->GetBackgroundColor());

    // The one marked last active wins over the newest.
    first->m_lastActive = true;
    second->m_lastActive = false;
    EXPECT_EQ(first, g_applicationState.GetViewer(newViewer, RGB(1, 2, 3)));
    EXPECT_EQ(2u, g_applicationState.ViewerCount());
}

TEST_F(ViewerManagementTest, NewViewerTakesTheSavedRectangleOnlyInsideTheWorkArea) {
    RECT work = WorkArea();
    CAppOptions& o = g_applicationState.Options();
    o.viewerLeft = work.left + 100;
    o.viewerTop = work.top + 80;
    o.viewerRight = work.left + 700;
    o.viewerBottom = work.top + 480;
    RECT inside = WindowRect(NewViewer());
    EXPECT_EQ(o.viewerLeft, inside.left);
    EXPECT_EQ(o.viewerTop, inside.top);
    EXPECT_EQ(o.viewerRight, inside.right);
    EXPECT_EQ(o.viewerBottom, inside.bottom);

    // Partly below the work area: the new viewer fills the work area.
    o.viewerBottom = work.bottom + 50;
    RECT filled = WindowRect(NewViewer());
    EXPECT_EQ(work.left, filled.left);
    EXPECT_EQ(work.top, filled.top);
    EXPECT_EQ(work.right, filled.right);
    EXPECT_EQ(work.bottom, filled.bottom);

    // Fitting the image and not maximised: neither placed nor shown here.
    o.viewerResizeFitImage = true;
    CImageFrame* sized = NewViewer();
    EXPECT_FALSE(IsWindowVisible(sized->m_hWnd));
}

TEST_F(ViewerManagementTest, ArrangeSevenViewersInTwoRowsOfFour) {
    std::vector<CImageFrame*> frames;
    for (int i = 0; i < 7; ++i)
        frames.push_back(NewViewer());
    ShowWindow(frames[2]->m_hWnd, SW_MAXIMIZE);
    Pump();
    g_applicationState.ArrangeViewers(0, 'r');
    Pump();
    RECT work = WorkArea();
    int cellWidth = (work.right - work.left) / 4;
    int cellHeight = (work.bottom - work.top) / 2;
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        RECT rect = WindowRect(frames[i]);
        EXPECT_FALSE(IsZoomed(frames[i]->m_hWnd));
        EXPECT_EQ(work.left + (i % 4) * cellWidth, rect.left);
        EXPECT_EQ(work.top + (i / 4) * cellHeight, rect.top);
        EXPECT_EQ(cellWidth, rect.right - rect.left);
        EXPECT_EQ(cellHeight, rect.bottom - rect.top);
    }
}

TEST_F(ViewerManagementTest, ArrangeLeavesASingleViewerAlone) {
    CImageFrame* only = NewViewer();
    MoveWindow(only->m_hWnd, 10, 20, 400, 300, TRUE);
    g_applicationState.ArrangeViewers(0, 'r');
    RECT rect = WindowRect(only);
    EXPECT_EQ(10, rect.left);
    EXPECT_EQ(400, rect.right - rect.left);
}

TEST_F(ViewerManagementTest, ToolbarOptionHidesTheBandInEveryViewer) {
    CImageFrame* frames[2] = {NewViewer(), NewViewer()};
    EXPECT_FALSE(g_applicationState.SetViewerToolbarVisible(false));
    EXPECT_FALSE(g_applicationState.Options().viewerShowToolbar);
    for (CImageFrame* frame : frames) {
        HWND rebar = frame->GetRebarWindow();
        ASSERT_NE(nullptr, rebar);
        int band = (int)SendMessageA(rebar, RB_IDTOINDEX, 60161, 0);
        ASSERT_GE(band, 0);
        REBARBANDINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = RBBIM_STYLE;
        SendMessageA(rebar, RB_GETBANDINFOA, band, (LPARAM)&info);
        EXPECT_TRUE(info.fStyle & RBBS_HIDDEN);
        // The view starts right below the rebar.
        RECT rebarRect{}, viewRect{};
        GetWindowRect(rebar, &rebarRect);
        GetWindowRect(frame->GetViewWindow(), &viewRect);
        EXPECT_EQ(rebarRect.bottom, viewRect.top);
    }
    EXPECT_TRUE(g_applicationState.SetViewerToolbarVisible(true));
}

TEST_F(ViewerManagementTest, LastViewerClosingEndsTheProcessOnlyWithoutTrayOrExplorer) {
    // With the tray icon the process goes on.
    CImageFrame* kept = NewViewer();
    kept->SetZoomType(3);
    g_applicationState.OnViewerDestroyed(kept);
    EXPECT_FALSE(Pump());
    EXPECT_EQ(0u, g_applicationState.ViewerCount());
    EXPECT_EQ(3u, g_applicationState.Options().viewerZoomType); // for the next viewer

    // Without it, closing one of two viewers goes on, the last one quits.
    g_applicationState.SetTrayIconShown(false);
    CImageFrame* first = NewViewer();
    CImageFrame* second = NewViewer();
    EXPECT_EQ(3, first->GetZoomType());
    HWND firstWindow = first->m_hWnd;
    g_applicationState.OnViewerDestroyed(first);
    EXPECT_FALSE(IsWindow(firstWindow));
    EXPECT_FALSE(Pump());
    g_applicationState.OnViewerDestroyed(second);
    EXPECT_TRUE(Pump());
}

TEST_F(ViewerManagementTest, BroadcastReachesEveryViewerEvenOneThatCloses) {
    CImageFrame* first = NewViewer(RGB(1, 1, 1));
    CImageFrame* second = NewViewer(RGB(2, 2, 2));
    g_applicationState.Options().viewerBackgroundClr = RGB(40, 50, 60);
    EXPECT_EQ(2, g_applicationState.BroadcastToViewers(g_optionsChanged, 0, 0));
    EXPECT_EQ(RGB(40, 50, 60), first->GetBackgroundColor());
    EXPECT_EQ(RGB(40, 50, 60), second->GetBackgroundColor());

    // Each viewer leaves the list while it handles the message.
    const HWND windows[] = {first->m_hWnd, second->m_hWnd, NewViewer()->m_hWnd};
    EXPECT_EQ(3, g_applicationState.BroadcastToViewers(WM_CLOSE, 0, 0));
    EXPECT_EQ(0u, g_applicationState.ViewerCount());
    for (HWND window : windows)
        EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(0, g_applicationState.BroadcastToViewers(WM_CLOSE, 0, 0));
    Pump();
}

TEST_F(ViewerManagementTest, CloseAllViewersDestroysEveryWindow) {
    std::vector<HWND> windows;
    for (int i = 0; i < 3; ++i)
        windows.push_back(NewViewer()->m_hWnd);
    g_applicationState.CloseAllViewers();
    EXPECT_EQ(0u, g_applicationState.ViewerCount());
    for (HWND window : windows)
        EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(Pump()); // the tray icon keeps the process

    // With nothing left to return to, the process ends as after the last viewer.
    g_applicationState.SetTrayIconShown(false);
    NewViewer();
    g_applicationState.CloseAllViewers();
    EXPECT_TRUE(Pump());
}

} // namespace

TEST_F(ViewerManagementTest, TheActiveFrameIsRecordedOnceAcrossViewersAndTheExplorer) {
    CImageFrame* viewers[] = {NewViewer(), NewViewer(), NewViewer()};
    struct Step {
        const char* what;
        int activate; // a viewer's index, or -1 for the explorer
        int active;   // the viewer active afterwards, or -1 for none
        int last;     // the viewer marked active last, or -1 for none
    };
    const Step steps[] = {
        {"a viewer becomes active and active last", 0, 0, 0},
        {"another viewer takes both marks", 2, 2, 2},
        {"the explorer clears every viewer's active mark", -1, -1, 2},
        {"the one active last keeps its mark until a viewer comes", 1, 1, 1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.activate < 0) {
            EXPECT_TRUE(g_applicationState.SetActiveFrame(true, nullptr));
        } else {
            // The way a viewer records itself: its activation.
            SendMessageA(viewers[step.activate]->m_hWnd, WM_ACTIVATE, WA_ACTIVE, 0);
        }
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(i == step.active, viewers[i]->m_active) << i;
            EXPECT_EQ(i == step.last, viewers[i]->m_lastActive) << i;
        }
    }
    // The image an opened file goes to is the one active last.
    bool newViewer = false;
    EXPECT_EQ(viewers[1], g_applicationState.GetViewer(newViewer, RGB(1, 2, 3)));
}
