#include "tools/tool_services.h"

#include "app/string_list.h"
#include "tools/email_pictures.h"
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
    CStringList* list = static_cast<CStringList*>(files);
    std::vector<std::string> paths;
    if (list)
        for (int i = 0; i < list->GetCount(); ++i)
            paths.push_back(list->GetAt(i));
    delete list;
    EmailPictures(paths);
    return 0;
}
