// The theme library's entry points, found once per process.
#include "ui/theme.h"

namespace {

struct ThemeApi {
    typedef HANDLE(WINAPI* OpenFn)(HWND, LPCWSTR);
    typedef HRESULT(WINAPI* CloseFn)(HANDLE);
    typedef HRESULT(WINAPI* DrawFn)(HANDLE, HDC, int, int, const RECT*, const RECT*);
    typedef HRESULT(WINAPI* ContentFn)(HANDLE, HDC, int, int, const RECT*, RECT*);
    OpenFn open = nullptr;
    CloseFn close = nullptr;
    DrawFn draw = nullptr;
    ContentFn content = nullptr;

    ThemeApi() {
        HMODULE module = ::LoadLibraryA("uxtheme.dll");
        if (module == NULL)
            return;
        open = (OpenFn)(void*)::GetProcAddress(module, "OpenThemeData");
        close = (CloseFn)(void*)::GetProcAddress(module, "CloseThemeData");
        draw = (DrawFn)(void*)::GetProcAddress(module, "DrawThemeBackground");
        content = (ContentFn)(void*)::GetProcAddress(module, "GetThemeBackgroundContentRect");
        if (!open || !close || !draw || !content)
            open = nullptr;
    }
    static const ThemeApi& Get() {
        static ThemeApi api;
        return api;
    }
};

} // namespace

void CThemeHelper::Open(HWND hWnd, LPCWSTR classList) {
    Close();
    const ThemeApi& api = ThemeApi::Get();
    if (api.open != nullptr && hWnd != NULL)
        m_theme = api.open(hWnd, classList);
}

void CThemeHelper::Close() {
    if (m_theme != NULL)
        ThemeApi::Get().close(m_theme);
    m_theme = NULL;
}

bool CThemeHelper::DrawBackground(HDC dc, int part, int state, const RECT& rect) const {
    return m_theme != NULL &&
           SUCCEEDED(ThemeApi::Get().draw(m_theme, dc, part, state, &rect, NULL));
}

bool CThemeHelper::ContentRect(HDC dc, int part, int state, const RECT& bounds,
                               RECT* content) const {
    return m_theme != NULL &&
           SUCCEEDED(ThemeApi::Get().content(m_theme, dc, part, state, &bounds, content));
}
