// The modal mouse loop: how each message ends it or not, what reaches the
// window, and that a WM_QUIT read inside it is not lost.
#include "ui/capture_loop.h"
#include "ui/ui.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Logs the messages the loop dispatches to it, with whether it held the
// capture at that moment.
class CLoopWindow : public CWindowImpl<CLoopWindow, CWindowImplBase, CNullTraits> {
public:
    DECLARE_WND_CLASS("VxpUiTestLoopWindow")
    std::vector<std::string> seen;

    BEGIN_MSG_MAP(CLoopWindow)
    MESSAGE_HANDLER(WM_KEYDOWN, OnLogged)
    MESSAGE_HANDLER(WM_SYSKEYDOWN, OnLogged)
    MESSAGE_HANDLER(WM_APP, OnLogged)
    MESSAGE_HANDLER(WM_APP + 1, OnDropCapture)
    END_MSG_MAP()

    LRESULT OnLogged(UINT uMsg, WPARAM, LPARAM, BOOL&) {
        const char* name = uMsg == WM_KEYDOWN ? "key" : uMsg == WM_SYSKEYDOWN ? "syskey" : "app";
        seen.push_back(std::string(name) + (::GetCapture() == m_hWnd ? "+capture" : ""));
        return 0;
    }
    LRESULT OnDropCapture(UINT, WPARAM, LPARAM, BOOL&) {
        ::ReleaseCapture();
        return 0;
    }
};

struct Posted {
    UINT message;
    WPARAM wParam;
};

TEST(CaptureLoop, EachMessageEndsCancelsOrPassesAsTheRulesSay) {
    struct Case {
        const char* name;
        std::vector<Posted> posted;
        bool cancelled;
        std::vector<std::string> seen;
        int moves; // seen by the handler
    } cases[] = {
        {"a release finishes", {{WM_MOUSEMOVE, 0}, {WM_LBUTTONUP, 0}}, false, {}, 1},
        {"Escape cancels", {{WM_KEYDOWN, VK_ESCAPE}}, true, {}, 0},
        {"other keys are dropped", {{WM_KEYDOWN, 'A'}, {WM_RBUTTONUP, 0}}, false, {}, 0},
        {"a second button cancels", {{WM_RBUTTONDOWN, 0}}, true, {}, 0},
        {"a system key cancels and arrives after the capture is gone",
         {{WM_SYSKEYDOWN, VK_MENU}},
         true,
         {"syskey"},
         0},
        {"other messages are dispatched during the loop",
         {{WM_APP, 0}, {WM_LBUTTONUP, 0}},
         false,
         {"app+capture"},
         0},
        {"losing the capture ends it", {{WM_APP + 1, 0}, {WM_APP, 0}}, true, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CLoopWindow window;
        ASSERT_NE((HWND)NULL, window.Create(NULL, CWindow::rcDefault, "loop", WS_POPUP));
        for (const Posted& p : c.posted)
            window.PostMessage(p.message, p.wParam, 0);
        int moves = 0;
        const UiLoopResult result = UiRunCaptureLoopEx(window, [&](const MSG& msg) {
            if (msg.message != WM_MOUSEMOVE)
                return UiLoopStep::Default;
            ++moves;
            return UiLoopStep::Taken;
        });
        EXPECT_EQ(c.cancelled, result.cancelled);
        EXPECT_FALSE(result.quit);
        EXPECT_EQ(c.moves, moves);
        EXPECT_EQ(nullptr, ::GetCapture());
        EXPECT_EQ(c.seen, window.seen);
        window.DestroyWindow();
        MSG msg;
        while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
    }
}

TEST(CaptureLoop, AQuitReadInsideTheLoopEndsItAndIsPostedAgain) {
    CLoopWindow window;
    ASSERT_NE((HWND)NULL, window.Create(NULL, CWindow::rcDefault, "loop", WS_POPUP));
    ::PostQuitMessage(7);
    const UiLoopResult result =
        UiRunCaptureLoopEx(window, [](const MSG&) { return UiLoopStep::Default; });
    EXPECT_TRUE(result.quit);
    EXPECT_EQ(nullptr, ::GetCapture());
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
    window.DestroyWindow();
}

TEST(CaptureLoop, TheHandlerMayFinishOrCancelItself) {
    for (UiLoopStep step : {UiLoopStep::Finish, UiLoopStep::Cancel}) {
        CLoopWindow window;
        ASSERT_NE((HWND)NULL, window.Create(NULL, CWindow::rcDefault, "loop", WS_POPUP));
        window.PostMessage(WM_APP + 2);
        const bool done = UiRunCaptureLoop(window, [&](const MSG& msg) {
            return msg.message == WM_APP + 2 ? step : UiLoopStep::Default;
        });
        EXPECT_EQ(step == UiLoopStep::Finish, done);
        window.DestroyWindow();
    }
}

} // namespace
