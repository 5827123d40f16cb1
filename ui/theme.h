// Visual styles, looked up at run time: the program also runs where the
// theme library is missing or styles are off, and then a window draws
// without them (IsThemed() is false).
//
// A window keeps one CThemeHelper per theme class: Open() on create (or
// when it subclasses a control), Close() on destroy, and Open() again on
// WM_THEMECHANGED.
#pragma once

#include <windows.h>

class CThemeHelper {
public:
    CThemeHelper() = default;
    ~CThemeHelper() { Close(); }
    CThemeHelper(const CThemeHelper&) = delete;
    CThemeHelper& operator=(const CThemeHelper&) = delete;

    // Opens (or re-opens) the theme class list for the window.
    void Open(HWND hWnd, LPCWSTR classList);
    void Close();
    bool IsThemed() const { return m_theme != NULL; }

    // Both do nothing (and fail) without a theme.
    bool DrawBackground(HDC dc, int part, int state, const RECT& rect) const;
    bool ContentRect(HDC dc, int part, int state, const RECT& bounds, RECT* content) const;

private:
    HANDLE m_theme = NULL;
};
