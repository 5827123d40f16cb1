// The module object and its per-thread registry of message loops.
#include "ui/app_module.h"

#include <atomic>

namespace {
// The module that Init made current; read from any thread.
std::atomic<HINSTANCE> g_moduleInstance{NULL};
std::atomic<CAppModule*> g_currentModule{NULL};
} // namespace

HINSTANCE UiModuleInstance() {
    HINSTANCE inst = g_moduleInstance.load();
    return inst != NULL ? inst : ::GetModuleHandleA(NULL);
}

CAppModule* UiCurrentModule() {
    return g_currentModule.load();
}

CAppModule::~CAppModule() {
    Term();
}

HRESULT CAppModule::Init(HINSTANCE hInstance) {
    m_hInst = hInstance != NULL ? hInstance : ::GetModuleHandleA(NULL);
    g_moduleInstance.store(m_hInst);
    g_currentModule.store(this);
    return S_OK;
}

void CAppModule::Term() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_loops.clear();
    }
    CAppModule* self = this;
    g_currentModule.compare_exchange_strong(self, NULL);
    if (m_hInst != NULL) {
        HINSTANCE expected = m_hInst;
        g_moduleInstance.compare_exchange_strong(expected, NULL);
    }
    m_hInst = NULL;
}

BOOL CAppModule::AddMessageLoop(CMessageLoop* pLoop, DWORD threadId) {
    if (pLoop == NULL)
        return FALSE;
    std::lock_guard<std::mutex> guard(m_lock);
    return m_loops.emplace(threadId, pLoop).second ? TRUE : FALSE;
}

BOOL CAppModule::RemoveMessageLoop(DWORD threadId) {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_loops.erase(threadId) != 0 ? TRUE : FALSE;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId) const {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_loops.find(threadId);
    return it != m_loops.end() ? it->second : NULL;
}
