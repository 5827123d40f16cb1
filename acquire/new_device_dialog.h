// The New device detected dialog (306): what to do with the pictures of a
// drive that has just been attached - browse its content (action 0) or
// download the items to a folder (action 1), optionally removing them from the
// device afterwards and copying only pictures.
//
// The dialog opens on the remembered choices of the application's options and,
// after OK, leaves the new ones there and in its own fields:
//
//   CNewDeviceDialog dialog(options);
//   if (dialog.DoModal(owner) == IDOK && dialog.action == 1)
//       Download(dialog.folder, dialog.removeAfterDownload == 1, dialog.pictureOnly == 1);
//
// OK with Download chosen and a folder that does not exist says so and keeps
// the dialog open. Cancel changes nothing.
#pragma once

#include <windows.h>

#include <string>

#include "resources/resource.h"
#include "ui/dialog.h"

struct CAppOptions;

class CNewDeviceDialog : public CDialogImpl<CNewDeviceDialog> {
public:
    enum { IDD = IDD_NEW_DEVICE };

    explicit CNewDeviceDialog(CAppOptions& options);

    int action = 0;              // 0 browse content, 1 download
    int removeAfterDownload = 0; // check states 0..2; other values show as 0
    int pictureOnly = 0;
    std::string folder; // the target; empty unless the caller sets it

    BEGIN_MSG_MAP(CNewDeviceDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDC_NEW_DEVICE_BROWSE_ITEMS, OnActionChosen)
    COMMAND_ID_HANDLER(IDC_NEW_DEVICE_DOWNLOAD, OnActionChosen)
    COMMAND_ID_HANDLER(IDC_NEW_DEVICE_BROWSE, OnBrowse)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnActionChosen(WORD, WORD, HWND, BOOL&);
    LRESULT OnBrowse(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    // Reads the controls into the fields; false (beep, focus on the folder)
    // when the folder text is too long to be a path.
    bool ReadControls();
    void EnableDownloadControls();

    CAppOptions& m_options;
};
