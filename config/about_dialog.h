// The About dialog: the program's icon, name and version.
#pragma once

#include <windows.h>

#include "resources/resource.h"
#include "ui/dialog.h"

class CAboutDialog : public CDialogImpl<CAboutDialog> {
public:
    enum { IDD = IDD_ABOUT };

    BEGIN_MSG_MAP(CAboutDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnClose)
    COMMAND_ID_HANDLER(IDCANCEL, OnClose)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(WORD, WORD id, HWND, BOOL&);
};
