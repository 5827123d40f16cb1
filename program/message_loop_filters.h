// The user-interface thread's message loop with its message filter and idle
// handler.
#pragma once

#include <windows.h>

#include "app/app_module.h"
#include "ui/ui.h"

class CMainMessageFilter : public CMessageFilter {
public:
    // Consumes only the thread message 1026 (no window): a 1026 addressed to
    // a window belongs to that window and must not be taken for a frame.
    BOOL PreTranslateMessage(MSG* msg) override;
};

class CMainIdleHandler : public CIdleHandler {
public:
    BOOL OnIdle() override { return FALSE; }
};

// The user-interface thread's loop with the program's filter and idle
// handler, registered with g_module for the object's lifetime. It exists
// before the first frames are made, so that they find it and register their
// own filters (a viewer's keyboard shortcuts go through its filter).
class CMainMessageLoop {
public:
    CMainMessageLoop();
    ~CMainMessageLoop();
    CMainMessageLoop(const CMainMessageLoop&) = delete;
    CMainMessageLoop& operator=(const CMainMessageLoop&) = delete;

    // Runs until WM_QUIT and returns its exit code.
    int Run() { return m_loop.Run(); }

private:
    CMessageLoop m_loop;
    CMainMessageFilter m_filter;
    CMainIdleHandler m_idle;
    bool m_registered = false;
};

// Runs a loop of its own, registered with g_module, until WM_QUIT and
// returns its exit code.
int RunMainMessageLoop();
