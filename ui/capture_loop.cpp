// The modal mouse loop shared by the drag code of the windows.
#include "ui/capture_loop.h"

UiLoopResult UiRunCaptureLoopEx(HWND hWnd, const UiLoopHandler& handler) {
    UiLoopResult result;
    if (hWnd == NULL || !::IsWindow(hWnd))
        return UiLoopResult{true, false};
    ::SetCapture(hWnd);
    if (::GetCapture() != hWnd)
        return UiLoopResult{true, false};
    bool finished = false;
    while (!finished) {
        if (::GetCapture() != hWnd) {
            // Taken away from us: another window, a destroyed window, a system dialog.
            result.cancelled = true;
            break;
        }
        MSG msg;
        const BOOL got = ::GetMessageA(&msg, NULL, 0, 0);
        if (got == 0 || got == -1) {
            result.quit = got == 0;
            if (result.quit)
                ::PostQuitMessage((int)msg.wParam);
            result.cancelled = got == -1;
            break;
        }
        UiLoopStep step = handler ? handler(msg) : UiLoopStep::Default;
        bool dispatchAfter = false;
        if (step == UiLoopStep::Default) {
            switch (msg.message) {
            case WM_KEYDOWN:
                step = msg.wParam == VK_ESCAPE ? UiLoopStep::Cancel : UiLoopStep::Taken;
                break;
            case WM_KEYUP:
                step = UiLoopStep::Taken;
                break;
            case WM_SYSKEYDOWN:
                step = UiLoopStep::Cancel;
                dispatchAfter = true;
                break;
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_MBUTTONDOWN:
            case WM_CANCELMODE:
                step = UiLoopStep::Cancel;
                break;
            case WM_LBUTTONUP:
            case WM_RBUTTONUP:
                step = UiLoopStep::Finish;
                break;
            default:
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
                step = UiLoopStep::Taken;
                break;
            }
        }
        if (step == UiLoopStep::Finish || step == UiLoopStep::Cancel) {
            result.cancelled = step == UiLoopStep::Cancel;
            finished = true;
            if (::GetCapture() == hWnd)
                ::ReleaseCapture();
            if (dispatchAfter)
                ::DispatchMessageA(&msg);
        }
    }
    if (::GetCapture() == hWnd)
        ::ReleaseCapture();
    return result;
}
