#include "viewer/caption_ctrl.h"

#include <cstring>

#include "app/application_state.h"

CCaptionCtrl::~CCaptionCtrl() {
    if (IsWindow())
        DestroyWindow();
    if (m_font != NULL) {
        ::DeleteObject(m_font);
        m_font = NULL;
    }
}

HWND CCaptionCtrl::CreateLabel(HWND parent, const RECT& rect) {
    return Create(parent, rect, NULL, WS_CHILD | WS_VISIBLE, WS_EX_TRANSPARENT);
}

void CCaptionCtrl::SetText(const char* text) {
    m_text = text != nullptr ? text : "";
    if (IsWindow())
        Invalidate(FALSE);
}

LOGFONTA CCaptionCtrl::MakeCaptionFont(HDC dc) {
    // A height of one logical unit gives a one-pixel font, so the label asks
    // for 10 points on the device it draws on.
    HDC screen = dc != NULL ? NULL : ::GetDC(NULL);
    int dpi = ::GetDeviceCaps(dc != NULL ? dc : screen, LOGPIXELSY);
    if (screen != NULL)
        ::ReleaseDC(NULL, screen);
    if (dpi <= 0)
        dpi = 96;
    LOGFONTA font;
    std::memset(&font, 0, sizeof(font));
    font.lfHeight = -::MulDiv(10, dpi, 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    std::strcpy(font.lfFaceName, "MS Sans Serif");
    return font;
}

LRESULT CCaptionCtrl::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
    HDC dc = ::GetDC(m_hWnd);
    LOGFONTA font = MakeCaptionFont(dc);
    ::ReleaseDC(m_hWnd, dc);
    m_font = ::CreateFontIndirectA(&font);
    handled = FALSE; // default processing goes on
    return 0;
}

LRESULT CCaptionCtrl::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (m_font != NULL) {
        ::DeleteObject(m_font);
        m_font = NULL;
    }
    handled = FALSE;
    return 0;
}

LRESULT CCaptionCtrl::OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) {
    return 1; // transparent over the picture: nothing is erased
}

LRESULT CCaptionCtrl::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    HGDIOBJ oldFont = m_font != NULL ? ::SelectObject(dc, m_font) : NULL;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, g_applicationState.Options().slideShowCaptionColor);
    RECT rect;
    GetClientRect(&rect);
    ::InflateRect(&rect, -kInset, -kInset);
    ::DrawTextA(dc, m_text.c_str(), (int)m_text.size(), &rect,
                DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_WORD_ELLIPSIS);
    if (oldFont != NULL)
        ::SelectObject(dc, oldFont);
    ::EndPaint(m_hWnd, &ps);
    return 0;
}
