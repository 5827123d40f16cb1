#include "explorer/list_view_class.h"

#include <commctrl.h>

#include "ui/app_module.h"

bool RegisterListViewSuperclass(const char* className) {
    HINSTANCE instance = UiModuleInstance();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(instance, className, &wc))
        return true;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    if (!GetClassInfoExA(nullptr, WC_LISTVIEWA, &wc))
        return false;
    wc.cbSize = sizeof wc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

int ThumbnailSide(uint32_t option) {
    return option >= 50 && option <= 200 ? static_cast<int>(option) : 100;
}
