#include "config/dialog_frame.h"

#include "resources/resource.h"
#include "ui/app_module.h"
#include "ui/window.h"

void PrepareProgramDialog(HWND dialog) {
    HICON icon = ::LoadIconA(UiModuleInstance(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    if (icon != NULL) {
        ::SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)icon);
        ::SendMessageA(dialog, WM_SETICON, ICON_SMALL, (LPARAM)icon);
    }
    CWindow(dialog).CenterWindow(::GetParent(dialog));
}
