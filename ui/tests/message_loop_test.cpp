// The thread message loop: filters, idle handlers, nested loops and the
// module's per-thread registry of loops.
#include "ui/ui.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

// A window that logs the WM_APP-range messages dispatched to it and can run a
// callback for one of them.
class CLogWindow : public CWindowImpl<CLogWindow, CWindowImplBase, CNullTraits> {
public:
    DECLARE_WND_CLASS("VxpUiTestLogWindow")
    std::string* log = nullptr;
    std::function<void(UINT)> onMessage;

    BEGIN_MSG_MAP(CLogWindow)
    MESSAGE_RANGE_HANDLER(WM_APP, WM_APP + 99, OnApp)
    MESSAGE_HANDLER(WM_MOUSEMOVE, OnApp)
    END_MSG_MAP()

    LRESULT OnApp(UINT uMsg, WPARAM, LPARAM, BOOL&) {
        *log +=
            (uMsg == WM_MOUSEMOVE ? std::string("move") : "app" + std::to_string(uMsg - WM_APP)) +
            ";";
        if (onMessage)
            onMessage(uMsg);
        return 0;
    }
};

class CRecorder : public CMessageFilter {
public:
    std::string* log = nullptr;
    const char* name = "";
    UINT eat = 0; // a thread message (no window) to consume
    CMessageLoop* loop = nullptr;
    CMessageFilter* removeOnFirstCall = nullptr;
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (removeOnFirstCall != nullptr) {
            loop->RemoveMessageFilter(removeOnFirstCall);
            removeOnFirstCall = nullptr;
        }
        if (pMsg->message < WM_APP || pMsg->message > WM_APP + 99)
            return FALSE;
        *log += std::string(name) + (pMsg->hwnd ? "w" : "t") +
                std::to_string(pMsg->message - WM_APP) + ";";
        return eat != 0 && pMsg->message == eat && pMsg->hwnd == NULL;
    }
};

TEST(MessageLoop, FiltersSeeMessagesNewestFirstAndCanEatThem) {
    std::string log;
    CLogWindow w;
    w.log = &log;
    ASSERT_NE(w.Create(NULL, NULL, "log", WS_POPUP), (HWND)NULL);
    CMessageLoop loop;
    CRecorder older, eater, remover;
    older.log = eater.log = remover.log = &log;
    older.name = "older:";
    eater.name = "eater:";
    eater.eat = WM_APP + 1;
    remover.name = "remover:";
    remover.loop = &loop;
    ASSERT_TRUE(loop.AddMessageFilter(&older));
    CRecorder removed; // asked after the remover, which takes it out during the first walk
    removed.log = &log;
    removed.name = "removed:";
    ASSERT_TRUE(loop.AddMessageFilter(&removed));
    ASSERT_TRUE(loop.AddMessageFilter(&eater));
    ASSERT_TRUE(loop.AddMessageFilter(&remover));
    remover.removeOnFirstCall = &removed;
    EXPECT_FALSE(loop.AddMessageFilter(&eater)); // once only
    w.onMessage = [](UINT m) {
        if (m == WM_APP + 9)
            ::PostQuitMessage(3);
    };

    ASSERT_TRUE(::PostThreadMessageA(::GetCurrentThreadId(), WM_APP + 1, 0, 0));
    ASSERT_TRUE(w.PostMessage(WM_APP + 1));
    ASSERT_TRUE(w.PostMessage(WM_APP + 9));
    EXPECT_EQ(loop.Run(), 3);
    EXPECT_EQ(log, "remover:t1;eater:t1;"               // eaten: nobody else sees it
                   "remover:w1;eater:w1;older:w1;app1;" // a window's 1 is not eaten
                   "remover:w9;eater:w9;older:w9;app9;");
    EXPECT_FALSE(loop.RemoveMessageFilter(&removed));
    EXPECT_TRUE(loop.RemoveMessageFilter(&eater));
    w.DestroyWindow();
}

class CCountingIdle : public CIdleHandler {
public:
    std::function<BOOL(int)> step;
    int calls = 0;
    BOOL OnIdle() override { return step(++calls); }
};

TEST(MessageLoop, IdleHandlersRunWhenTheQueueEmptiesAndRearmOnRealMessages) {
    std::string log;
    CLogWindow w;
    w.log = &log;
    ASSERT_NE(w.Create(NULL, NULL, "idle", WS_POPUP), (HWND)NULL);
    CMessageLoop loop;
    CCountingIdle idle;
    int idleCallsAtApp5 = -1;
    idle.step = [&](int call) {
        log += "idle" + std::to_string(call) + ";";
        if (call == 1)
            w.PostMessage(WM_APP + 1);
        else if (call == 2)
            w.PostMessage(WM_MOUSEMOVE); // does not re-arm the idle handlers
        else
            ::PostQuitMessage(0);
        return FALSE;
    };
    w.onMessage = [&](UINT m) {
        if (m == WM_MOUSEMOVE)
            w.PostMessage(WM_APP + 5);
        if (m == WM_APP + 5)
            idleCallsAtApp5 = idle.calls;
    };
    ASSERT_TRUE(loop.AddIdleHandler(&idle));
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_EQ(log, "idle1;app1;idle2;move;app5;idle3;");
    EXPECT_EQ(idleCallsAtApp5, 2);

    // A handler that asks for more runs again while the queue stays empty;
    // removing itself during the walk is safe.
    log.clear();
    CCountingIdle eager;
    eager.step = [&](int call) {
        if (call == 3) {
            loop.RemoveIdleHandler(&eager);
            loop.RemoveIdleHandler(&idle);
            ::PostQuitMessage(9);
            return FALSE;
        }
        return TRUE;
    };
    idle.calls = 0;
    idle.step = [&](int) { return FALSE; };
    ASSERT_TRUE(loop.AddIdleHandler(&eager));
    EXPECT_EQ(loop.Run(), 9);
    EXPECT_EQ(eager.calls, 3);
    EXPECT_EQ(idle.calls, 3); // called on each pass while the eager one wanted more
    EXPECT_FALSE(loop.RemoveIdleHandler(&eager));
    w.DestroyWindow();
}

TEST(MessageLoop, NestedLoopPostsQuitAgainSoTheOuterLoopEnds) {
    std::string log;
    CLogWindow w;
    w.log = &log;
    ASSERT_NE(w.Create(NULL, NULL, "nested", WS_POPUP), (HWND)NULL);
    int nestedResult = -1;
    w.onMessage = [&](UINT m) {
        if (m != WM_APP)
            return;
        w.PostMessage(WM_APP + 2);
        ::PostQuitMessage(5);
        // A tracking loop that never finishes on its own.
        nestedResult = UiPumpUntil([] { return false; }) ? 1 : 0;
        log += "nested-end;";
    };
    CMessageLoop loop;
    w.PostMessage(WM_APP);
    EXPECT_EQ(loop.Run(), 5);
    EXPECT_EQ(nestedResult, 0);
    EXPECT_EQ(log, "app0;app2;nested-end;");

    // A finished nested loop leaves no quit behind.
    log.clear();
    int pumped = 0;
    w.PostMessage(WM_APP + 3);
    EXPECT_TRUE(UiPumpUntil([&] { return ++pumped > 1; }));
    MSG msg;
    EXPECT_FALSE(::PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    EXPECT_EQ(log, "app3;");
    w.DestroyWindow();
}

TEST(AppModule, KeepsOneLoopPerThreadAndTheInstance) {
    CAppModule module;
    HINSTANCE exe = ::GetModuleHandleA(NULL);
    EXPECT_EQ(UiModuleInstance(), exe);
    HINSTANCE other = ::GetModuleHandleA("user32.dll");
    ASSERT_EQ(module.Init(other), S_OK);
    EXPECT_EQ(UiModuleInstance(), other);
    EXPECT_EQ(module.GetModuleInstance(), other);

    CMessageLoop mine, second, theirs;
    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    EXPECT_TRUE(module.AddMessageLoop(&mine));
    EXPECT_FALSE(module.AddMessageLoop(&second)); // one per thread
    EXPECT_EQ(module.GetMessageLoop(), &mine);
    DWORD mainThread = ::GetCurrentThreadId();
    DWORD workerThread = 0;
    CMessageLoop* seenByWorker = &second;
    CMessageLoop* mainSeenByWorker = nullptr;
    std::thread worker([&] {
        workerThread = ::GetCurrentThreadId();
        seenByWorker = module.GetMessageLoop();
        module.AddMessageLoop(&theirs);
        mainSeenByWorker = module.GetMessageLoop(mainThread);
    });
    worker.join();
    EXPECT_EQ(seenByWorker, nullptr);
    EXPECT_EQ(mainSeenByWorker, &mine);
    EXPECT_EQ(module.GetMessageLoop(workerThread), &theirs);
    EXPECT_EQ(module.GetMessageLoop(), &mine);
    EXPECT_TRUE(module.RemoveMessageLoop());
    EXPECT_FALSE(module.RemoveMessageLoop());
    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    EXPECT_EQ(module.GetMessageLoop(workerThread), &theirs);

    module.Term();
    EXPECT_EQ(module.GetMessageLoop(workerThread), nullptr);
    EXPECT_EQ(UiModuleInstance(), exe);
}

} // namespace
