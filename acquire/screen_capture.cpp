#include "acquire/screen_capture.h"

#include "imaging/image_object.h"

SIZE CaptureSize(HWND source) {
    SIZE size = {0, 0};
    if (source != NULL) {
        RECT rect = {};
        if (::GetWindowRect(source, &rect)) {
            size.cx = rect.right - rect.left - 1;
            size.cy = rect.bottom - rect.top - 1;
        }
        return size;
    }
    HDC screen = ::GetWindowDC(NULL);
    size.cx = ::GetDeviceCaps(screen, HORZRES) - 1;
    size.cy = ::GetDeviceCaps(screen, VERTRES) - 1;
    ::ReleaseDC(NULL, screen);
    return size;
}

bool CaptureToImage(HWND source, CImageObject* image) {
    SIZE size = CaptureSize(source);
    if (size.cx <= 0 || size.cy <= 0)
        return false;
    HDC from = ::GetWindowDC(source);
    if (from == NULL)
        return false;
    bool ok = image->Create(size.cx, size.cy, 24, 0) && image->UpdateColorTable();
    if (ok) {
        HDC memory = ::CreateCompatibleDC(from);
        HGDIOBJ old = ::SelectObject(memory, (HBITMAP)image->bitmap);
        ok = ::BitBlt(memory, 0, 0, size.cx, size.cy, from, 0, 0, SRCCOPY) != FALSE;
        ::SelectObject(memory, old);
        ::DeleteDC(memory);
        ::GdiFlush();
    }
    ::ReleaseDC(source, from);
    return ok;
}
