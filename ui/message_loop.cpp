// The thread message loop, its filters and idle handlers, and the nested-loop helpers.
#include "ui/message_loop.h"

#include <algorithm>

template <class P> BOOL CMessageLoop::AddTo(std::vector<P*>& v, P* p) {
    if (p == NULL || std::find(v.begin(), v.end(), p) != v.end())
        return FALSE;
    v.push_back(p);
    return TRUE;
}

template <class P> BOOL CMessageLoop::RemoveFrom(std::vector<P*>& v, P* p) {
    auto it = std::find(v.begin(), v.end(), p);
    if (p == NULL || it == v.end())
        return FALSE;
    if (m_walking > 0)
        *it = NULL; // the walk in progress skips it; compacted afterwards
    else
        v.erase(it);
    return TRUE;
}

void CMessageLoop::Compact() {
    if (m_walking > 0)
        return;
    m_filters.erase(std::remove(m_filters.begin(), m_filters.end(), nullptr), m_filters.end());
    m_idleHandlers.erase(std::remove(m_idleHandlers.begin(), m_idleHandlers.end(), nullptr),
                         m_idleHandlers.end());
}

BOOL CMessageLoop::AddMessageFilter(CMessageFilter* pFilter) {
    return AddTo(m_filters, pFilter);
}
BOOL CMessageLoop::RemoveMessageFilter(CMessageFilter* pFilter) {
    return RemoveFrom(m_filters, pFilter);
}
BOOL CMessageLoop::AddIdleHandler(CIdleHandler* pHandler) {
    return AddTo(m_idleHandlers, pHandler);
}
BOOL CMessageLoop::RemoveIdleHandler(CIdleHandler* pHandler) {
    return RemoveFrom(m_idleHandlers, pHandler);
}

BOOL CMessageLoop::PreTranslateMessage(MSG* pMsg) {
    BOOL consumed = FALSE;
    ++m_walking;
    // Index-based from the back: filters added during the walk are not asked
    // for this message, removed ones are skipped.
    for (size_t i = m_filters.size(); i-- > 0 && !consumed;) {
        CMessageFilter* filter = i < m_filters.size() ? m_filters[i] : NULL;
        if (filter != NULL && filter->PreTranslateMessage(pMsg))
            consumed = TRUE;
    }
    --m_walking;
    Compact();
    return consumed;
}

BOOL CMessageLoop::OnIdle(int nIdleCount) {
    BOOL more = FALSE;
    ++m_walking;
    for (size_t i = 0, n = m_idleHandlers.size(); i < n; ++i) {
        CIdleHandler* handler = m_idleHandlers[i];
        if (handler != NULL && handler->OnIdle())
            more = TRUE;
    }
    --m_walking;
    Compact();
    return more;
}

BOOL CMessageLoop::IsIdleMessage(const MSG* pMsg) {
    switch (pMsg->message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case 0x0118: // the system timer that blinks the caret
        return FALSE;
    default:
        return TRUE;
    }
}

int CMessageLoop::Run() {
    BOOL doIdle = TRUE;
    int idleCount = 0;
    for (;;) {
        while (doIdle && !::PeekMessageA(&m_msg, NULL, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++))
                doIdle = FALSE;
        }
        BOOL ret = ::GetMessageA(&m_msg, NULL, 0, 0);
        if (ret == -1)
            return -1; // only an invalid call fails; looping would spin for ever
        if (!ret)
            break;
        if (!PreTranslateMessage(&m_msg)) {
            ::TranslateMessage(&m_msg);
            ::DispatchMessageA(&m_msg);
        }
        if (IsIdleMessage(&m_msg)) {
            doIdle = TRUE;
            idleCount = 0;
        }
    }
    return (int)m_msg.wParam;
}

BOOL UiNestedGetMessage(MSG* pMsg, HWND hWnd, UINT msgFirst, UINT msgLast) {
    BOOL ret = ::GetMessageA(pMsg, hWnd, msgFirst, msgLast);
    if (ret == -1)
        return FALSE;
    if (!ret) {
        UiRepostQuit(*pMsg);
        return FALSE;
    }
    return TRUE;
}
