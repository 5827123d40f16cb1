// The module object: the instance handle that classes and resources come
// from, and the registry of message loops, one per user-interface thread.
//
// The program has one CAppModule; Init makes it the one that the layer asks
// for the instance (UiModuleInstance). Before Init, and after Term, the
// layer uses the handle of the executable.
#pragma once

#include <windows.h>

#include <map>
#include <mutex>

class CMessageLoop;

class CAppModule {
public:
    CAppModule() = default;
    CAppModule(const CAppModule&) = delete;
    CAppModule& operator=(const CAppModule&) = delete;
    ~CAppModule();

    HRESULT Init(HINSTANCE hInstance);
    void Term();

    HINSTANCE GetModuleInstance() const { return m_hInst; }
    HINSTANCE GetResourceInstance() const { return m_hInst; }

    // One loop per thread: adding a second one for the same thread fails.
    BOOL AddMessageLoop(CMessageLoop* pLoop, DWORD threadId = ::GetCurrentThreadId());
    // Removes the thread's loop; FALSE when it had none.
    BOOL RemoveMessageLoop(DWORD threadId = ::GetCurrentThreadId());
    // The loop of a thread, NULL when it has none.
    CMessageLoop* GetMessageLoop(DWORD threadId = ::GetCurrentThreadId()) const;

private:
    HINSTANCE m_hInst = NULL;
    mutable std::mutex m_lock;
    std::map<DWORD, CMessageLoop*> m_loops;
};

// The instance of the module given to CAppModule::Init, else the executable's.
HINSTANCE UiModuleInstance();
// The module that Init made current (NULL before Init and after Term): the
// controls that register themselves with their thread's loop find it here.
CAppModule* UiCurrentModule();
