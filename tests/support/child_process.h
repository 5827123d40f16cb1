// Starting, waiting for and ending the program under test, for the black-box
// tests that drive the real executable from outside.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

namespace test_support {

struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
};

// Starts `exe` with `args` (already quoted as needed); an empty handle when
// the process could not be made.
inline Process Start(const char* exe, const std::string& args) {
    std::string line = std::string("\"") + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    Process p;
    if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        p.handle = pi.hProcess;
        p.id = pi.dwProcessId;
    }
    return p;
}

// The exit code, or -1 when the process still runs after `ms`.
inline long WaitExit(Process& p, DWORD ms) {
    if (!p.handle || WaitForSingleObject(p.handle, ms) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(p.handle, &code);
    return long(code);
}

// Ends the process if it still runs and closes its handle.
inline void Kill(Process& p) {
    if (p.handle) {
        if (WaitForSingleObject(p.handle, 0) != WAIT_OBJECT_0) {
            TerminateProcess(p.handle, 99);
            WaitForSingleObject(p.handle, 5000);
        }
        CloseHandle(p.handle);
    }
    p.handle = nullptr;
}

// Polls `pred` until it holds or `ms` have passed; its last answer.
template <typename Pred> bool WaitFor(Pred pred, int ms = 10000) {
    for (int waited = 0; waited < ms; waited += 25) {
        if (pred())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return pred();
}

} // namespace test_support
