// The message loop of a user-interface thread, with message filters that see
// every message before it is dispatched and idle handlers that run whenever
// the queue is empty.
//
// Nested loops: a loop that runs inside another one (a modal dialog, a mouse
// or keyboard tracking loop) must not swallow WM_QUIT, or the outer loop never
// learns that the thread should end. UiNestedGetMessage and UiPumpUntil post
// the quit again when they meet it, so every enclosing loop ends in turn.
#pragma once

#include <windows.h>

#include <vector>

class CMessageFilter {
public:
    // TRUE consumes the message: it is neither translated nor dispatched.
    virtual BOOL PreTranslateMessage(MSG* pMsg) = 0;

protected:
    ~CMessageFilter() = default;
};

class CIdleHandler {
public:
    // TRUE asks to be called again while the queue stays empty.
    virtual BOOL OnIdle() = 0;

protected:
    ~CIdleHandler() = default;
};

class CMessageLoop {
public:
    CMessageLoop() = default;
    CMessageLoop(const CMessageLoop&) = delete;
    CMessageLoop& operator=(const CMessageLoop&) = delete;
    virtual ~CMessageLoop() = default;

    // Adding twice fails; removing an absent entry fails. Both are safe from
    // inside a filter or an idle handler (a removed one is not called again).
    BOOL AddMessageFilter(CMessageFilter* pFilter);
    BOOL RemoveMessageFilter(CMessageFilter* pFilter);
    BOOL AddIdleHandler(CIdleHandler* pHandler);
    BOOL RemoveIdleHandler(CIdleHandler* pHandler);

    // Runs until WM_QUIT and returns its exit code (-1 if GetMessage fails).
    // While the queue is empty the idle handlers run, again and again as long
    // as one of them asks for more; any message except the frequent ones
    // (IsIdleMessage) arms them again.
    int Run();

    // Asks the filters, the one added last first; the first TRUE consumes.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Calls every idle handler; TRUE when one of them wants to run again.
    virtual BOOL OnIdle(int nIdleCount);
    // Mouse moves, paints and the caret blink do not re-arm the idle handlers.
    static BOOL IsIdleMessage(const MSG* pMsg);

    MSG m_msg = {};

private:
    template <class P> static BOOL AddTo(std::vector<P*>& v, P* p);
    template <class P> BOOL RemoveFrom(std::vector<P*>& v, P* p);
    void Compact();

    std::vector<CMessageFilter*> m_filters;
    std::vector<CIdleHandler*> m_idleHandlers;
    int m_walking = 0; // > 0 while the lists are being walked: removal only clears slots
};

// Posts WM_QUIT again with the exit code of `msg` (a WM_QUIT that a nested loop met).
inline void UiRepostQuit(const MSG& msg) {
    ::PostQuitMessage((int)msg.wParam);
}

// GetMessage for nested loops: FALSE when the loop must end, because WM_QUIT
// arrived (it is posted again) or GetMessage failed.
BOOL UiNestedGetMessage(MSG* pMsg, HWND hWnd = NULL, UINT msgFirst = 0, UINT msgLast = 0);

// Dispatches messages (through the thread's CMessageLoop filters when
// `loop` is given) until done() returns true. Returns false when it ended on
// WM_QUIT (posted again) or on a GetMessage failure.
template <class Done> bool UiPumpUntil(Done done, CMessageLoop* loop = NULL) {
    MSG msg;
    while (!done()) {
        if (!UiNestedGetMessage(&msg))
            return false;
        if (loop != NULL && loop->PreTranslateMessage(&msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return true;
}
