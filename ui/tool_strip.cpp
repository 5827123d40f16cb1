#include "ui/tool_strip.h"

#include "ui/app_module.h"

HIMAGELIST LoadToolStrip(int bitmapId, bool alpha, UINT maskedFlags, int images) {
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(UiModuleInstance(), MAKEINTRESOURCEA(bitmapId),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return nullptr;
    HIMAGELIST list =
        ImageList_Create(16, 16, alpha ? ILC_COLOR32 : (maskedFlags | ILC_MASK), images, 0);
    if (list) {
        if (alpha)
            ImageList_Add(list, bitmap, nullptr);
        else
            ImageList_AddMasked(list, bitmap, RGB(255, 0, 255));
    }
    DeleteObject(bitmap);
    return list;
}

bool ToolStripsHaveAlpha() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version))
        return false;
    return version.dwMajorVersion > 4 && version.dwMinorVersion != 0;
}
