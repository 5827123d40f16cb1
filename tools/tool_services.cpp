#include "tools/tool_services.h"

#include "app/string_list.h"

bool PrintFiles(HWND, CApplicationState*, CStringList*, bool) {
    return false;
}

unsigned __stdcall EmailPicturesThread(void* files) {
    delete static_cast<CStringList*>(files);
    return 0;
}
