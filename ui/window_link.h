// The one link from a window handle to the object behind it: a window
// property, set when the window is created (WM_NCCREATE, or the first message
// a dialog gets) and removed when it goes. Windows and dialogs keep theirs
// under properties of their own, so a dialog's object is never taken for a
// window's.
#pragma once

#include <windows.h>

template <class T> class CWindowLink {
public:
    explicit constexpr CWindowLink(const char* property) : m_property(property) {}

    T* Get(HWND hWnd) const {
        return hWnd != NULL ? static_cast<T*>(::GetPropA(hWnd, m_property)) : NULL;
    }
    void Set(HWND hWnd, T* object) const {
        ::SetPropA(hWnd, m_property, static_cast<HANDLE>(object));
    }
    void Clear(HWND hWnd) const {
        if (hWnd != NULL)
            ::RemovePropA(hWnd, m_property);
    }

private:
    const char* m_property;
};
