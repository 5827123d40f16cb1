// The user-interface thread's message loop with its message filter and idle
// handler.
#pragma once

#include <windows.h>

// WM_USER + 2, posted to the thread (no window) by a viewer frame after its
// window was destroyed, with the frame object in wParam.
constexpr UINT kFreeFrameMessage = WM_USER + 2;

class CMainMessageFilter {
public:
    // Consumes only the thread message 1026 (no window): a 1026 addressed to
    // a window belongs to that window and must not be taken for a frame.
    bool PreTranslateMessage(MSG* msg);
};

class CMainIdleHandler {
public:
    bool OnIdle() { return false; }
};

// Runs until WM_QUIT and returns its exit code.
int RunMainMessageLoop();
