// The image view's mouse and keyboard input in a test parent window: double
// clicks, the marquee, and the nested mouse and keyboard loops, which must
// give a WM_QUIT back and end when the capture or the focus goes.
#include "viewer/tests/image_view_fixture.h"

namespace image_view_test {
namespace {

TEST_F(ImageViewTest, DoubleClickNotifiesTheParentWithoutSender) {
    Show(100, 100);
    g_log = ParentLog();
    ::SendMessageA(m_view, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(250, 250));
    ASSERT_TRUE(g_log.Has((UINT)NM_DBLCLK));
    for (const NMHDR& n : g_log.notifications) {
        if (n.code != (UINT)NM_DBLCLK)
            continue;
        EXPECT_EQ(n.hwndFrom, (HWND)NULL);
        EXPECT_EQ(n.idFrom, ID_VIEWER_PANE);
    }
    EXPECT_TRUE(g_log.commands.empty());
}

TEST_F(ImageViewTest, MarqueeClickLeavesNoSelectionAndDragMakesOne) {
    Show(100, 100);
    m_view.SetSelectionMode(true);

    // Press and release without moving.
    ::PostMessageA(m_view, WM_LBUTTONUP, 0, MAKELPARAM(250, 250));
    ::SendMessageA(m_view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(250, 250));
    EXPECT_FALSE(m_view.HasSelection());
    EXPECT_EQ(::GetCapture(), (HWND)NULL);

    // Press at (210, 210), drag to (260, 270): image (10, 10)-(60, 70).
    ::PostMessageA(m_view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(260, 270));
    ::PostMessageA(m_view, WM_LBUTTONUP, 0, MAKELPARAM(260, 270));
    ::SendMessageA(m_view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(210, 210));
    ASSERT_TRUE(m_view.HasSelection());
    RECT sel = m_view.GetCanvas().GetSelection();
    EXPECT_EQ(sel.left, 10);
    EXPECT_EQ(sel.top, 10);
    EXPECT_EQ(sel.right, 60);
    EXPECT_EQ(sel.bottom, 70);

    // A double click inside it asks the parent to crop, not NM_DBLCLK.
    g_log = ParentLog();
    ::SendMessageA(m_view, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(230, 230));
    ASSERT_EQ(g_log.commands.size(), 1u);
    EXPECT_EQ(LOWORD(g_log.commands[0]), ID_IMAGE_CROP);
    EXPECT_FALSE(g_log.Has((UINT)NM_DBLCLK));

    // Leaving selection mode clears it.
    m_view.SetSelectionMode(false);
    EXPECT_FALSE(m_view.HasSelection());
}

// The nested loops: each must end when a WM_QUIT arrives (and leave it for
// the application's loop) and when another window takes the mouse.
enum class Loop { Pan, NewSelection, MoveSelection };
enum class Ending { Quit, CaptureTaken };

// Ends a loop that failed to end by itself, so a fault fails the test
// instead of hanging it.
bool g_rescued = false;
void CALLBACK Rescue(HWND, UINT, UINT_PTR id, DWORD) {
    g_rescued = true;
    ::KillTimer(NULL, id);
    ::PostMessageA(::GetCapture(), WM_LBUTTONUP, 0, 0);
}

TEST_F(ImageViewTest, NestedMouseLoopsEndOnQuitAndOnLossOfCapture) {
    const Loop loops[] = {Loop::Pan, Loop::NewSelection, Loop::MoveSelection};
    const Ending endings[] = {Ending::Quit, Ending::CaptureTaken};
    for (Loop loop : loops) {
        for (Ending ending : endings) {
            SCOPED_TRACE(testing::Message() << "loop " << (int)loop << " ending " << (int)ending);
            // Pan needs a picture that scrolls; the selection loops one that fits.
            Show(loop == Loop::Pan ? 1000 : 100, loop == Loop::Pan ? 800 : 100);
            m_view.SetSelectionMode(loop != Loop::Pan);
            if (loop == Loop::MoveSelection)
                m_view.GetCanvas().SetSelection(10, 10, 60, 60); // press lands inside
            if (ending == Ending::Quit)
                ::PostQuitMessage(7);
            else
                ::PostMessageA(m_parent, kMsgStealCapture, 0, 0);
            g_rescued = false;
            UINT_PTR timer = ::SetTimer(NULL, 0, 3000, Rescue);
            ::SendMessageA(m_view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(230, 230));
            ::KillTimer(NULL, timer);
            EXPECT_FALSE(g_rescued) << "the loop did not end by itself";
            EXPECT_FALSE(m_view.IsPanning());
            EXPECT_NE(::GetCapture(), m_view.m_hWnd);
            if (ending == Ending::Quit) {
                MSG msg;
                ASSERT_TRUE(::PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE))
                    << "the WM_QUIT was swallowed";
                EXPECT_EQ(msg.wParam, 7u);
            }
            ::ReleaseCapture();
        }
    }
}

void CALLBACK RescueKeys(HWND, UINT, UINT_PTR id, DWORD) {
    g_rescued = true;
    ::KillTimer(NULL, id);
    ::SetFocus(NULL);
}

TEST_F(ImageViewTest, ArrowKeyLoopEndsWithoutKeyUp) {
    Show(1000, 800);
    m_view.SetFocus();
    ASSERT_EQ(::GetFocus(), m_view.m_hWnd);
    g_rescued = false;
    UINT_PTR timer = ::SetTimer(NULL, 0, 3000, RescueKeys);
    // No key is really held and no key-up comes: one pass of five 4-pixel
    // steps, then the loop sees the keys up and ends.
    ::SendMessageA(m_view, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_FALSE(g_rescued);
    EXPECT_EQ(m_view.GetCanvas().GetScrollX(), 20);

    // A WM_QUIT during the loop survives it.
    ::PostQuitMessage(3);
    ::SendMessageA(m_view, WM_KEYDOWN, VK_DOWN, 0);
    ::KillTimer(NULL, timer);
    EXPECT_FALSE(g_rescued);
    EXPECT_EQ(m_view.GetCanvas().GetScrollY(), 20);
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);

    // Without the focus the view does not scroll at all.
    ::SetFocus(m_parent);
    ::SendMessageA(m_view, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(m_view.GetCanvas().GetScrollX(), 20);
}

} // namespace
} // namespace image_view_test
