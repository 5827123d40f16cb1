// The user-interface thread's message loop with its message filter and idle
// handler.
#pragma once

#include <windows.h>

#include "ui/ui.h"

// WM_USER + 2, posted to the thread (no window) by a viewer frame after its
// window was destroyed, with the frame object in wParam.
constexpr UINT kFreeFrameMessage = WM_USER + 2;

// The program's module object: the instance for classes and resources, and
// the message loop of each user-interface thread.
extern CAppModule g_module;

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

// Runs the thread's loop, registered with g_module, until WM_QUIT and returns
// its exit code.
int RunMainMessageLoop();
