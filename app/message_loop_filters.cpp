#include "app/message_loop_filters.h"

CAppModule g_module;

BOOL CMainMessageFilter::PreTranslateMessage(MSG* msg) {
    if (msg->message != kFreeFrameMessage || msg->hwnd != nullptr)
        return FALSE;
    // The viewer frame object arrives with the viewer; until then nothing
    // posts this message with an object.
    return TRUE;
}

int RunMainMessageLoop() {
    CMessageLoop loop;
    CMainMessageFilter filter;
    CMainIdleHandler idle;
    // Frames and modal loops of this thread find the loop through the module.
    const bool registered = g_module.AddMessageLoop(&loop) != FALSE;
    loop.AddMessageFilter(&filter);
    loop.AddIdleHandler(&idle);
    const int exitCode = loop.Run();
    loop.RemoveIdleHandler(&idle);
    loop.RemoveMessageFilter(&filter);
    if (registered)
        g_module.RemoveMessageLoop();
    return exitCode;
}
