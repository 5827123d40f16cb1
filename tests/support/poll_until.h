// Waits for something a window does in its own time (a posted message, a
// page change) by running the thread's messages until it holds, within a
// ceiling: never a fixed sleep that hopes.
#pragma once

#include <windows.h>

#include <functional>

namespace testsupport {

// True once `done` holds; false when `ceilingMs` passed first.
inline bool PollUntil(const std::function<bool()>& done, DWORD ceilingMs = 5000) {
    for (DWORD start = ::GetTickCount(); !done();) {
        if (::GetTickCount() - start > ceilingMs)
            return false;
        MSG msg;
        while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(5);
    }
    return true;
}

} // namespace testsupport
