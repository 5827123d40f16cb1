// Modal mouse loops: a window captures the mouse and reads the thread's
// messages itself until the drag ends, the way splitters, caption drags,
// caption buttons and tab drags work.
//
//   bool done = UiRunCaptureLoop(m_hWnd, [&](const MSG& msg) {
//       if (msg.message == WM_MOUSEMOVE) { Track(msg); return UiLoopStep::Taken; }
//       return UiLoopStep::Default;
//   });
//
// The handler sees every message first. What it leaves (UiLoopStep::Default)
// gets the common rules: Esc, a button press or a system key cancels (the
// system key is dispatched after the capture is gone), a button release
// finishes, other keys are dropped, everything else is dispatched.
//
// The loop also ends, cancelled, when the window loses the capture in any
// other way (another window took it, the window went away, the system took
// it when the application lost the focus). A WM_QUIT read by the loop ends
// it and is posted again, so the thread's own loop still sees it.
#pragma once

#include <windows.h>

#include <functional>

enum class UiLoopStep {
    Default, // the common rules decide
    Taken,   // the handler dealt with it; the loop goes on
    Finish,  // release the capture, not cancelled
    Cancel,  // release the capture, cancelled
};

using UiLoopHandler = std::function<UiLoopStep(const MSG&)>;

struct UiLoopResult {
    bool cancelled = false;
    bool quit = false; // a WM_QUIT ended the loop (and was posted again)
};

// Captures the mouse for `hWnd` and runs the loop. Returns how it ended.
UiLoopResult UiRunCaptureLoopEx(HWND hWnd, const UiLoopHandler& handler);

// The same; true when the loop ended without a cancel.
inline bool UiRunCaptureLoop(HWND hWnd, const UiLoopHandler& handler) {
    return !UiRunCaptureLoopEx(hWnd, handler).cancelled;
}
