// The wait cursor for the length of a scope:
//
//   CWaitCursor wait;   // hourglass now
//   ...long work...     // the previous cursor comes back at the end of the scope
#pragma once

#include <windows.h>

class CWaitCursor {
public:
    explicit CWaitCursor(bool set = true, LPCSTR cursorId = IDC_WAIT)
        : m_hWaitCursor(::LoadCursorA(NULL, cursorId)) {
        if (set)
            Set();
    }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    ~CWaitCursor() { Restore(); }

    // Shows the wait cursor; FALSE when it is already shown by this object.
    bool Set() {
        if (m_inUse)
            return false;
        m_hOldCursor = ::SetCursor(m_hWaitCursor);
        m_inUse = true;
        return true;
    }
    // Brings the cursor from before Set back; FALSE when Set was not called.
    bool Restore() {
        if (!m_inUse)
            return false;
        ::SetCursor(m_hOldCursor);
        m_inUse = false;
        return true;
    }
    bool IsSet() const { return m_inUse; }

private:
    HCURSOR m_hWaitCursor;
    HCURSOR m_hOldCursor = NULL;
    bool m_inUse = false;
};
