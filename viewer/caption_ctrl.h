// The caption label that the image view lays over the picture during a slide
// show: one line of text at the bottom of the picture, drawn transparently in
// the slide-show caption colour and shortened with an ellipsis when it does
// not fit.
//
// The view creates it (WS_CHILD | WS_VISIBLE, extended style
// WS_EX_TRANSPARENT) with Create(view, rect), sizes it to its client area and
// destroys it when the caption is hidden.
#pragma once

#include <windows.h>

#include <string>

#include "ui/window_impl.h"

class CCaptionCtrl : public CWindowImpl<CCaptionCtrl> {
public:
    // Class styles 0, no background brush (nothing is erased), arrow cursor.
    DECLARE_WND_CLASS_EX("CaptionCtrl", 0, -1)

    // Distance between the text and every edge of the label.
    static constexpr int kInset = 10;

    CCaptionCtrl() = default;
    ~CCaptionCtrl() override;

    // Creates the label as a transparent child over the whole rectangle.
    HWND CreateLabel(HWND parent, const RECT& rect);

    // The text shown; setting it repaints the label.
    void SetText(const char* text);
    const std::string& GetText() const { return m_text; }

    // The font in use (null before WM_CREATE and after WM_DESTROY).
    HFONT GetFont() const { return m_font; }

    // The LOGFONT the label draws with: "MS Sans Serif", normal weight, the
    // default character set, 10 points high on the screen `dc` (the screen
    // when null).
    static LOGFONTA MakeCaptionFont(HDC dc);

    BEGIN_MSG_MAP(CCaptionCtrl)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);

    HFONT m_font = NULL;
    std::string m_text;
};
