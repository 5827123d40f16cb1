// The slide show, full screen and idle cursor of a viewer in this process.
// The timers are driven with their WM_TIMER messages, so no case waits for
// a delay to pass.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/application_state.h"
#include "imaging/image_object.h"
#include "resources/resource.h"
#include "tests/support/dialog_script.h"
#include "viewer/image_frame.h"
#include "viewer/tests/frame_test_support.h"

namespace {

using namespace frame_test;

class FrameSlideShowTest : public ViewerFrameTest {
protected:
    void SetUp() override {
        ViewerFrameTest::SetUp();
        CAppOptions& o = g_applicationState.Options();
        o.viewerShowToolbar = true;
        o.viewerFullscreenShowMenu = false;
        o.slideShowCaption = false;
        o.viewerRepeat = true; // the show's own repeat must win over it
    }

    // Three small pictures a, b and c in a folder of their own.
    std::string MakeFolder(const char* folder) {
        CreateDirectoryA(folder, nullptr);
        for (const char* name : {"a", "b", "c"})
            WriteBmp(std::string(folder) + "\\" + name + ".bmp", 8, 6, 24, {},
                     [](int x, int y) { return 0x405060u + x * 0x10u + y * 0x1000u; });
        return std::string(folder) + "\\a.bmp";
    }

    // A viewer on the folder's first picture, listed, shown and active.
    CImageFrame* OpenFolder(const char* folder, int sequence, bool repeat, int startIndex = 0) {
        const std::string first = MakeFolder(folder);
        CImageFrame* frame = StartViewerOn(first);
        if (!frame)
            return nullptr;
        EXPECT_TRUE(PumpUntil([&] { return Position(frame) == "(1 of 3)"; }))
            << Title(frame->m_hWnd);
        if (startIndex != 0) {
            SendMessageA(frame->m_hWnd, WM_COMMAND, ID_VIEW_LAST_IMAGE, 0);
            PumpFor(50);
        }
        frame->m_slideShowSequence = sequence;
        // The real timer must not tick between the cases' own ticks.
        frame->m_slideShowDelay = 1000000;
        frame->m_slideShowRepeat = repeat;
        SetForegroundWindow(frame->m_hWnd);
        SetActiveWindow(frame->m_hWnd);
        PumpFor(50);
        return frame;
    }

    // "(i of n)" at the end of the title.
    static std::string Position(CImageFrame* frame) {
        const std::string title = Title(frame->m_hWnd);
        const size_t open = title.rfind('(');
        return open == std::string::npos ? std::string() : title.substr(open);
    }

    static void Activate(HWND window) {
        SetForegroundWindow(window);
        SetActiveWindow(window);
    }

    // One tick of the show's timer; the viewer is made the active window
    // first (other test programs share the display).
    static void Tick(CImageFrame* frame) {
        Activate(frame->m_hWnd);
        SendMessageA(frame->m_hWnd, WM_TIMER, 1, 0);
        PumpFor(50);
    }

    static bool ButtonChecked(CImageFrame* frame, int id) {
        frame->UpdateToolBar();
        return (frame->UIGetState(id) & UPDUI_CHECKED) != 0;
    }

    static bool ScreenSaverActive() {
        BOOL active = FALSE;
        SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
        return active != FALSE;
    }
};

TEST_F(FrameSlideShowTest,
       AForwardShowWithoutRepeatEndsOnTheLastPictureAndGivesBackTheScreenSaver) {
    CImageFrame* frame = OpenFolder("C:\\vxpshow_forward", viewer::kSlideForward, false);
    ASSERT_NE(frame, nullptr);
    const bool saverBefore = ScreenSaverActive();
    SendMessageA(frame->m_hWnd, WM_COMMAND, ID_VIEW_SLIDESHOW, 0);
    ASSERT_TRUE(frame->IsSlideShowRunning());
    EXPECT_TRUE(ButtonChecked(frame, ID_VIEW_SLIDESHOW));
    EXPECT_FALSE(ScreenSaverActive()) << "the screen saver is off while the show runs";
    EXPECT_EQ(Position(frame), "(1 of 3)");
    Tick(frame);
    EXPECT_EQ(Position(frame), "(2 of 3)");
    Tick(frame);
    EXPECT_EQ(Position(frame), "(3 of 3)");
    EXPECT_TRUE(frame->IsSlideShowRunning());
    Tick(frame);
    EXPECT_FALSE(frame->IsSlideShowRunning()) << "the tick after the last picture ends the show";
    EXPECT_EQ(Position(frame), "(3 of 3)");
    EXPECT_FALSE(ButtonChecked(frame, ID_VIEW_SLIDESHOW));
    EXPECT_EQ(ScreenSaverActive(), saverBefore);
}

TEST_F(FrameSlideShowTest, TheShowsOrderRepeatAndActivationDecideEachTick) {
    {
        SCOPED_TRACE("backward with repeat from the first picture goes round to the last");
        CImageFrame* frame = OpenFolder("C:\\vxpshow_backward", viewer::kSlideBackward, true);
        ASSERT_NE(frame, nullptr);
        frame->StartSlideShow();
        Tick(frame);
        EXPECT_EQ(Position(frame), "(3 of 3)");
        Tick(frame);
        EXPECT_EQ(Position(frame), "(2 of 3)");
        EXPECT_TRUE(frame->IsSlideShowRunning());
        // The command stops a running show.
        SendMessageA(frame->m_hWnd, WM_COMMAND, ID_VIEW_SLIDESHOW, 0);
        EXPECT_FALSE(frame->IsSlideShowRunning());
        Tick(frame);
        EXPECT_EQ(Position(frame), "(2 of 3)") << "a stopped show does not step";
        DestroyWindow(frame->m_hWnd);
        PumpFor(50);
    }
    {
        SCOPED_TRACE("a viewer that is not the active window waits");
        CImageFrame* frame = OpenFolder("C:\\vxpshow_inactive", viewer::kSlideForward, true);
        ASSERT_NE(frame, nullptr);
        frame->StartSlideShow();
        HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                     200, 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(other, nullptr);
        SetForegroundWindow(other);
        SetActiveWindow(other);
        PumpFor(50);
        ASSERT_NE(GetActiveWindow(), frame->m_hWnd);
        for (int i = 0; i < 3; ++i) {
            Activate(other);
            SendMessageA(frame->m_hWnd, WM_TIMER, 1, 0);
            PumpFor(30);
        }
        EXPECT_EQ(Position(frame), "(1 of 3)");
        DestroyWindow(other);
        SetForegroundWindow(frame->m_hWnd);
        SetActiveWindow(frame->m_hWnd);
        PumpFor(50);
        Tick(frame);
        EXPECT_EQ(Position(frame), "(2 of 3)") << "activated again, it goes on";
        DestroyWindow(frame->m_hWnd);
        PumpFor(50);
    }
    {
        SCOPED_TRACE("a random show opens nothing at its start and one picture per tick");
        CImageFrame* frame = OpenFolder("C:\\vxpshow_random", viewer::kSlideRandom, false);
        ASSERT_NE(frame, nullptr);
        CImageObject* shown = frame->GetDocument();
        frame->StartSlideShow();
        PumpFor(50);
        EXPECT_EQ(frame->GetDocument(), shown);
        EXPECT_EQ(Position(frame), "(1 of 3)");
        for (int i = 0; i < 4; ++i) {
            Tick(frame);
            const std::string position = Position(frame);
            EXPECT_TRUE(position == "(1 of 3)" || position == "(2 of 3)" || position == "(3 of 3)")
                << position;
            EXPECT_TRUE(frame->IsSlideShowRunning()) << "a random show never ends by itself";
        }
        frame->StopSlideShow();
    }
}

TEST_F(FrameSlideShowTest, FullScreenCoversTheScreenAndGivesBackTheExactRectangle) {
    CImageFrame* frame = OpenFolder("C:\\vxpshow_full", viewer::kSlideForward, false);
    ASSERT_NE(frame, nullptr);
    HWND window = frame->m_hWnd;
    MoveWindow(window, 37, 41, 611, 397, TRUE);
    PumpFor(50);
    RECT before{};
    GetWindowRect(window, &before);
    const LONG_PTR styleBefore = GetWindowLongPtrA(window, GWL_STYLE);

    SendMessageA(window, WM_COMMAND, ID_VIEW_FULLSCREEN, 0);
    PumpFor(100);
    ASSERT_TRUE(frame->IsFullScreen());
    RECT full{};
    GetWindowRect(window, &full);
    EXPECT_EQ(full.left, 0);
    EXPECT_EQ(full.top, 0);
    EXPECT_EQ(full.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(full.bottom, GetSystemMetrics(SM_CYSCREEN));
    // The system keeps WS_CLIPSIBLINGS on every top-level window.
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & ~WS_CLIPSIBLINGS, WS_MAXIMIZE | WS_VISIBLE);
    EXPECT_EQ(GetWindowLongPtrA(frame->GetViewWindow(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_FALSE(frame->IsBandVisible(ID_BAND_VIEWER_TOOLBAR));
    EXPECT_FALSE(frame->IsCursorShown());
    EXPECT_TRUE(ButtonChecked(frame, ID_VIEW_FULLSCREEN));
    // The view fills the whole screen.
    RECT view{};
    GetWindowRect(frame->GetViewWindow(), &view);
    EXPECT_EQ(view.right - view.left, GetSystemMetrics(SM_CXSCREEN));
    testsupport::MaybeScreenshot(window, "viewer_full_screen");

    // Entering again while on must not take the full-screen rectangle as
    // the one to go back to.
    frame->SetFullScreen(true);
    PumpFor(50);

    SendMessageA(window, WM_COMMAND, ID_VIEW_ESCAPE, 0);
    PumpFor(100);
    EXPECT_FALSE(frame->IsFullScreen());
    RECT after{};
    GetWindowRect(window, &after);
    EXPECT_TRUE(EqualRect(&after, &before))
        << after.left << "," << after.top << "," << after.right << "," << after.bottom;
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE), styleBefore);
    EXPECT_NE(GetWindowLongPtrA(frame->GetViewWindow(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_TRUE(frame->IsBandVisible(ID_BAND_VIEWER_TOOLBAR));
    EXPECT_TRUE(frame->IsCursorShown());
    EXPECT_TRUE(IsWindow(window)) << "Esc in full screen leaves it; it does not close";

    // Closed in full screen, the viewer records where it was before.
    SendMessageA(window, WM_COMMAND, ID_VIEW_FULLSCREEN, 0);
    PumpFor(50);
    CAppOptions& options = g_applicationState.Options();
    options.viewerMaximized = true;
    DestroyWindow(window);
    PumpFor(50);
    EXPECT_FALSE(options.viewerMaximized);
    EXPECT_EQ(options.viewerLeft, before.left);
    EXPECT_EQ(options.viewerTop, before.top);
    EXPECT_EQ(options.viewerRight, before.right);
    EXPECT_EQ(options.viewerBottom, before.bottom);
}

TEST_F(FrameSlideShowTest, TheIdleCursorHidesInFullScreenAndAMoveBringsItBack) {
    CImageFrame* frame = OpenFolder("C:\\vxpshow_cursor", viewer::kSlideForward, false);
    ASSERT_NE(frame, nullptr);
    HWND window = frame->m_hWnd;
    SendMessageA(window, WM_COMMAND, ID_VIEW_FULLSCREEN, 0);
    PumpFor(50);
    ASSERT_FALSE(frame->IsCursorShown()) << "entering full screen hides the cursor";

    auto move = [&](int x, int y) {
        MSG msg{};
        msg.hwnd = frame->GetView().GetCanvas().m_hWnd;
        msg.message = WM_MOUSEMOVE;
        msg.lParam = MAKELPARAM(x, y);
        frame->PreTranslateMessage(&msg);
    };
    move(10, 20);
    EXPECT_TRUE(frame->IsCursorShown()) << "a move wakes it";

    SetFocus(frame->GetViewWindow());
    SendMessageA(window, WM_TIMER, 2, 0);
    EXPECT_FALSE(frame->IsCursorShown()) << "the cursor timer hides an idle cursor";

    move(10, 20);
    EXPECT_FALSE(frame->IsCursorShown()) << "a move to the same place is no move";
    move(11, 20);
    EXPECT_TRUE(frame->IsCursorShown());

    // Selecting needs the pointer: selection mode keeps it.
    SendMessageA(window, WM_COMMAND, ID_VIEW_MARQUEE, 0);
    ASSERT_TRUE(frame->GetView().IsSelectionMode());
    SetFocus(frame->GetViewWindow());
    SendMessageA(window, WM_TIMER, 2, 0);
    EXPECT_TRUE(frame->IsCursorShown());
    SendMessageA(window, WM_COMMAND, ID_VIEW_MARQUEE, 0);

    // Out of full screen nothing hides it.
    SendMessageA(window, WM_COMMAND, ID_VIEW_FULLSCREEN, 0);
    PumpFor(50);
    EXPECT_TRUE(frame->IsCursorShown());
    // The thread's display count is back where it was.
    const int count = ShowCursor(TRUE);
    ShowCursor(FALSE);
    EXPECT_GE(count, 1);
}

} // namespace
