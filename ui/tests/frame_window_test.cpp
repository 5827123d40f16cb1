// Frame windows: creation from a resource id, the layout of rebar, status bar
// and client, bands shown and hidden by id, and accelerators that stay with
// the frame the key was pressed in.
#include "ui/ui.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ui/tests/frame_test_support.h"

using namespace uitest;

namespace {

class FrameWindow : public ::testing::Test {
protected:
    void SetUp() override { module.Init(::GetModuleHandleA(NULL)); }
    void TearDown() override { module.Term(); }
    CAppModule module;
};

TEST_F(FrameWindow, CreatesFromTheResourceIdWithMenuAcceleratorsTitleAndClassStyles) {
    CTestFrame frame;
    frame.withBars = false;
    ASSERT_NE(frame.CreateEx(), (HWND)NULL);
    char title[64] = {0};
    frame.GetWindowText(title, sizeof title);
    EXPECT_STREQ(title, "Test Frame");
    EXPECT_NE(frame.m_hAccel, (HACCEL)NULL);
    ASSERT_NE(frame.GetMenu(), (HMENU)NULL);
    EXPECT_EQ(::GetMenuItemCount(frame.GetMenu()), 4);
    char cls[32] = {0};
    ::GetClassNameA(frame, cls, sizeof cls);
    EXPECT_STREQ(cls, "VxpUiTestFrame");
    EXPECT_EQ(::GetClassLongPtrA(frame, GCL_STYLE), 0);
    // An explicit title wins over the string resource.
    CTestFrame named;
    named.withBars = false;
    ASSERT_NE(named.CreateEx(NULL, UiRectArg(), 0, 0, NULL, "Named"), (HWND)NULL);
    named.GetWindowText(title, sizeof title);
    EXPECT_STREQ(title, "Named");
    named.DestroyWindow();
    frame.DestroyWindow();
}

TEST_F(FrameWindow, LayoutStacksReBarClientAndStatusBarAndFollowsBandVisibility) {
    CTestFrame frame;
    RECT rc = {0, 0, 500, 400};
    ASSERT_NE(frame.CreateEx(NULL, rc), (HWND)NULL);
    frame.ShowWindow(SW_SHOWNORMAL);
    ASSERT_NE(frame.m_hWndToolBar, (HWND)NULL);
    ASSERT_NE(frame.m_hWndStatusBar, (HWND)NULL);

    // Band ids follow the insertion order from the first band id.
    EXPECT_EQ(::GetDlgCtrlID(frame.m_hWndToolBar), (int)UI_IDW_TOOLBAR);
    EXPECT_EQ(::SendMessageA(frame.m_hWndToolBar, RB_IDTOINDEX, UI_IDW_BAND_FIRST, 0), 0);
    EXPECT_EQ(::SendMessageA(frame.m_hWndToolBar, RB_IDTOINDEX, UI_IDW_BAND_FIRST + 1, 0), 1);

    auto expectStacked = [&](const char* when) {
        SCOPED_TRACE(when);
        RECT client = {};
        frame.GetClientRect(&client);
        RECT bar = RectIn(frame, frame.m_hWndToolBar);
        RECT status = RectIn(frame, frame.m_hWndStatusBar);
        RECT view = RectIn(frame, frame.m_hWndClient);
        EXPECT_EQ(bar.top, 0);
        EXPECT_EQ(bar.left, 0);
        EXPECT_EQ(bar.right, client.right);
        EXPECT_GT(bar.bottom, 0);
        EXPECT_EQ(status.bottom, client.bottom);
        EXPECT_EQ(status.left, 0);
        EXPECT_EQ(status.right, client.right);
        EXPECT_EQ(view.left, 0);
        EXPECT_EQ(view.right, client.right);
        EXPECT_EQ(view.top, bar.bottom);
        EXPECT_EQ(view.bottom, status.top);
        return bar.bottom - bar.top;
    };
    int twoRows = expectStacked("both bands");

    frame.SetWindowPos(NULL, 0, 0, 420, 330, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(expectStacked("after a resize"), twoRows);

    // Hiding the toolbar band (its own row) gives its height to the client.
    EXPECT_TRUE(frame.IsBandVisible(UI_IDW_BAND_FIRST + 1));
    ASSERT_TRUE(frame.ShowBand(UI_IDW_BAND_FIRST + 1, FALSE));
    EXPECT_FALSE(frame.IsBandVisible(UI_IDW_BAND_FIRST + 1));
    int oneRow = expectStacked("toolbar band hidden");
    EXPECT_LT(oneRow, twoRows);
    ASSERT_TRUE(frame.ShowBand(UI_IDW_BAND_FIRST + 1, TRUE));
    EXPECT_EQ(expectStacked("toolbar band shown again"), twoRows);
    // An unknown band is refused.
    EXPECT_FALSE(frame.ShowBand(UI_IDW_BAND_FIRST + 7, FALSE));

    // Without a status bar the client reaches the bottom.
    frame.ShowStatusBar(FALSE);
    RECT client = {};
    frame.GetClientRect(&client);
    EXPECT_EQ(RectIn(frame, frame.m_hWndClient).bottom, client.bottom);
    frame.DestroyWindow();
}

// Without a rebar the toolbar alone sits on top, as high as its buttons. The
// frame stays hidden: frames lay out from WM_CREATE, before they are shown.
TEST_F(FrameWindow, LayoutPlacesALoneToolBarOnTop) {
    CTestFrame frame;
    frame.withReBar = false;
    RECT rc = {0, 0, 400, 300};
    ASSERT_NE(frame.CreateEx(NULL, rc), (HWND)NULL);
    ASSERT_EQ(frame.m_hWndToolBar, frame.toolbar);
    frame.UpdateLayout();
    RECT client = {};
    frame.GetClientRect(&client);
    RECT bar = RectIn(frame, frame.toolbar);
    RECT button = {};
    ::SendMessageA(frame.toolbar, TB_GETITEMRECT, 0, (LPARAM)&button);
    EXPECT_EQ(bar.top, 0);
    EXPECT_EQ(bar.right - bar.left, client.right);
    EXPECT_EQ(bar.bottom - bar.top, button.bottom);
    EXPECT_EQ(RectIn(frame, frame.m_hWndClient).top, bar.bottom);
    EXPECT_EQ(RectIn(frame, frame.m_hWndClient).bottom, RectIn(frame, frame.m_hWndStatusBar).top);
    // Bands need a rebar.
    EXPECT_FALSE(frame.ShowBand(UI_IDW_BAND_FIRST, FALSE));
    frame.DestroyWindow();
}

// Two frames with the same accelerator table, both filtering the thread's
// messages: a key goes to the frame whose window (or child) it was meant for.
TEST_F(FrameWindow, AcceleratorsRunOnlyInTheFrameOfTheKeyWindow) {
    CMessageLoop loop;
    ASSERT_TRUE(module.AddMessageLoop(&loop));
    CTestFrame one, two;
    one.withBars = two.withBars = false;
    ASSERT_NE(one.CreateEx(), (HWND)NULL);
    ASSERT_NE(two.CreateEx(), (HWND)NULL);
    loop.AddMessageFilter(&one);
    loop.AddMessageFilter(&two); // asked first
    HWND stranger =
        ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);

    struct Case {
        const char* name;
        HWND target;
        size_t oneCommands, twoCommands;
    };
    const Case cases[] = {
        {"frame one's client", one.m_hWndClient, 1, 0},
        {"frame two's client", two.m_hWndClient, 0, 1},
        {"frame one itself", one.m_hWnd, 1, 0},
        {"a window of neither frame", stranger, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        one.commands.clear();
        two.commands.clear();
        ::PostMessageA(c.target, WM_KEYDOWN, VK_F5, 1);
        ::PostMessageA(c.target, WM_APP, 0, 0); // marks the end of the key's processing
        bool marker = false;
        MSG msg;
        DWORD start = ::GetTickCount();
        while (!marker && ::GetTickCount() - start < 3000) {
            if (!::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
                ::Sleep(5);
                continue;
            }
            if (msg.message == WM_APP) {
                marker = true;
                continue;
            }
            if (loop.PreTranslateMessage(&msg))
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ASSERT_TRUE(marker);
        EXPECT_EQ(one.commands.size(), c.oneCommands);
        EXPECT_EQ(two.commands.size(), c.twoCommands);
        for (UINT id : one.commands)
            EXPECT_EQ(id, kRefresh);
        for (UINT id : two.commands)
            EXPECT_EQ(id, kRefresh);
    }

    // The filter itself refuses another frame's key and non-key messages.
    MSG foreign = {two.m_hWndClient, WM_KEYDOWN, VK_F5, 1, 0, {0, 0}};
    EXPECT_FALSE(one.PreTranslateMessage(&foreign));
    MSG notKey = {one.m_hWndClient, WM_APP, VK_F5, 1, 0, {0, 0}};
    EXPECT_FALSE(one.PreTranslateMessage(&notKey));

    loop.RemoveMessageFilter(&one);
    loop.RemoveMessageFilter(&two);
    ::DestroyWindow(stranger);
    one.DestroyWindow();
    two.DestroyWindow();
    module.RemoveMessageLoop();
}

TEST_F(FrameWindow, FinalMessageLetsAHeapFrameDeleteItself) {
    struct CSelfDeleting : CTestFrame {
        bool* deleted = nullptr;
        void OnFinalMessage(HWND) override {
            *deleted = true;
            delete this;
        }
    };
    bool deleted = false;
    auto* frame = new CSelfDeleting;
    frame->deleted = &deleted;
    ASSERT_NE(frame->CreateEx(), (HWND)NULL);
    HWND hWnd = frame->m_hWnd;
    ::DestroyWindow(hWnd);
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(::IsWindow(hWnd));
}

} // namespace
