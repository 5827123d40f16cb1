#include "program/message_loop_filters.h"

#include "viewer/image_frame.h"

BOOL CMainMessageFilter::PreTranslateMessage(MSG* msg) {
    if (msg->message != kFreeFrameMessage || msg->hwnd != nullptr)
        return FALSE;
    // A viewer frame whose window has received its last message.
    delete reinterpret_cast<CImageFrame*>(msg->wParam);
    return TRUE;
}

CMainMessageLoop::CMainMessageLoop() {
    // Frames and modal loops of this thread find the loop through the module.
    m_registered = g_module.AddMessageLoop(&m_loop) != FALSE;
    m_loop.AddMessageFilter(&m_filter);
    m_loop.AddIdleHandler(&m_idle);
}

CMainMessageLoop::~CMainMessageLoop() {
    m_loop.RemoveIdleHandler(&m_idle);
    m_loop.RemoveMessageFilter(&m_filter);
    if (m_registered)
        g_module.RemoveMessageLoop();
}

int RunMainMessageLoop() {
    CMainMessageLoop loop;
    return loop.Run();
}
