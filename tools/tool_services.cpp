#include "tools/tool_services.h"

#include "app/string_list.h"
#include "tools/print_dialog.h"

bool PrintFiles(HWND frame, CApplicationState*, CStringList* files, bool modal) {
    if (!EnsurePrinterInstalled(frame, modal))
        return false;
    CPrintDialog dialog;
    if (files)
        for (int i = 0; i < files->GetCount(); ++i)
            dialog.files.push_back(files->GetAt(i));
    return dialog.DoModal(frame ? frame : ::GetActiveWindow()) == IDOK;
}

unsigned __stdcall EmailPicturesThread(void* files) {
    delete static_cast<CStringList*>(files);
    return 0;
}
