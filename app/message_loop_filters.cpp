#include "app/message_loop_filters.h"

bool CMainMessageFilter::PreTranslateMessage(MSG* msg) {
    if (msg->message != kFreeFrameMessage || msg->hwnd != nullptr)
        return false;
    // The viewer frame object arrives with the viewer; until then nothing
    // posts this message with an object.
    return true;
}

int RunMainMessageLoop() {
    CMainMessageFilter filter;
    CMainIdleHandler idle;
    MSG msg;
    bool runIdle = true;
    for (;;) {
        while (runIdle && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!idle.OnIdle())
                runIdle = false;
        }
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1)
            return -1;
        if (!got)
            return int(msg.wParam);
        if (!filter.PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE:
        case WM_PAINT:
        case 0x0118: // the caret's blink timer
            break;
        default:
            runIdle = true;
        }
    }
}
