// The Options sheet's Image Formats page: which image types the program
// opens from the shell. A row opens checked when the program holds its
// type's own extension.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "config/options_page.h"
#include "resources/resource.h"

class COptionsImageFormatsPage : public COptionsPage<COptionsImageFormatsPage> {
public:
    enum { IDD = IDD_OPTIONS_IMAGE_FORMATS };

    // Whether "&Options" can open a save-options dialog at all: the image
    // tools register them; without them the button stays disabled rather
    // than offer settings it could not keep.
    static bool SaveOptionsAvailable();

    BEGIN_MSG_MAP(COptionsImageFormatsPage)
    CHAIN_MSG_MAP(COptionsPage<COptionsImageFormatsPage>)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDC_FORMAT_SELECT_ALL, OnSelectAll)
    COMMAND_ID_HANDLER(IDC_FORMAT_REMOVE_ALL, OnRemoveAll)
    COMMAND_ID_HANDLER(IDC_FORMAT_OPTIONS, OnOptions)
    NOTIFY_HANDLER(IDC_FORMAT_LIST, LVN_ITEMCHANGED, OnItemChanged)
    END_MSG_MAP()

    // Associates every checked type with the program and gives back every
    // unchecked one that the program holds. The options are not saved.
    BOOL OnApply();

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSelectAll(WORD, WORD, HWND, BOOL&);
    LRESULT OnRemoveAll(WORD, WORD, HWND, BOOL&);
    // The save options of the selected row's type (PNG or JPEG), stored by
    // the dialog itself on OK.
    LRESULT OnOptions(WORD, WORD, HWND, BOOL&);
    LRESULT OnItemChanged(int, LPNMHDR, BOOL&);
    void EnableOptions();
};
