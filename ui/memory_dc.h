// Drawing through an off-screen bitmap: paint into the memory DC, and the
// destructor copies the rectangle to the target DC, so a window that repaints
// its whole face does not flicker.
#pragma once

#include <windows.h>

class CMemoryDC {
public:
    CMemoryDC(HDC target, const RECT& rect) : m_target(target), m_rect(rect) {
        m_dc = ::CreateCompatibleDC(target);
        const int w = rect.right - rect.left, h = rect.bottom - rect.top;
        m_bitmap = m_dc != NULL && w > 0 && h > 0 ? ::CreateCompatibleBitmap(target, w, h) : NULL;
        if (m_bitmap != NULL) {
            m_oldBitmap = (HBITMAP)::SelectObject(m_dc, m_bitmap);
            ::SetViewportOrgEx(m_dc, -rect.left, -rect.top, NULL);
        }
    }
    ~CMemoryDC() {
        if (m_bitmap != NULL) {
            ::SetViewportOrgEx(m_dc, 0, 0, NULL);
            ::BitBlt(m_target, m_rect.left, m_rect.top, m_rect.right - m_rect.left,
                     m_rect.bottom - m_rect.top, m_dc, 0, 0, SRCCOPY);
            ::SelectObject(m_dc, m_oldBitmap);
            ::DeleteObject(m_bitmap);
        }
        if (m_dc != NULL)
            ::DeleteDC(m_dc);
    }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    // The DC to draw on: the memory DC, or the target itself when no bitmap
    // could be made (the drawing then goes straight to the window).
    HDC Get() const { return m_bitmap != NULL ? m_dc : m_target; }
    operator HDC() const { return Get(); }

private:
    HDC m_target;
    RECT m_rect;
    HDC m_dc = NULL;
    HBITMAP m_bitmap = NULL;
    HBITMAP m_oldBitmap = NULL;
};
