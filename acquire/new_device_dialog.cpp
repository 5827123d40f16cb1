#include "acquire/new_device_dialog.h"

#include <shlwapi.h>

#include "app/options.h"
#include "tools/folder_browse.h"

namespace {

constexpr int kFolderLimit = MAX_PATH - 1;

int CheckShown(int state) {
    return state >= 0 && state <= 2 ? state : 0;
}

} // namespace

CNewDeviceDialog::CNewDeviceDialog(CAppOptions& options) : m_options(options) {}

LRESULT CNewDeviceDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    action = m_options.explorerNewDeviceActionDlgDefAction > 0 ? 1 : 0;
    removeAfterDownload = m_options.explorerNewDeviceActionDlgDefRemoveItemsAfterDownloaded ? 1 : 0;
    pictureOnly = m_options.explorerNewDeviceActionDlgDefPictureOnly ? 1 : 0;

    ::CheckRadioButton(m_hWnd, IDC_NEW_DEVICE_BROWSE_ITEMS, IDC_NEW_DEVICE_DOWNLOAD,
                       action == 1 ? IDC_NEW_DEVICE_DOWNLOAD : IDC_NEW_DEVICE_BROWSE_ITEMS);
    CheckDlgButton(IDC_NEW_DEVICE_REMOVE, (UINT)CheckShown(removeAfterDownload));
    CheckDlgButton(IDC_NEW_DEVICE_PICTURE_ONLY, (UINT)CheckShown(pictureOnly));
    ::SendMessageA(GetDlgItem(IDC_NEW_DEVICE_FOLDER), EM_LIMITTEXT, kFolderLimit, 0);
    if (folder.size() > (size_t)kFolderLimit ||
        !SetDlgItemText(IDC_NEW_DEVICE_FOLDER, folder.c_str())) {
        ::MessageBeep(MB_OK);
        ::SetFocus(GetDlgItem(IDC_NEW_DEVICE_FOLDER));
    }
    EnableDownloadControls();
    return TRUE;
}

bool CNewDeviceDialog::ReadControls() {
    action = IsDlgButtonChecked(IDC_NEW_DEVICE_DOWNLOAD) == BST_CHECKED ? 1 : 0;
    removeAfterDownload = (int)IsDlgButtonChecked(IDC_NEW_DEVICE_REMOVE);
    pictureOnly = (int)IsDlgButtonChecked(IDC_NEW_DEVICE_PICTURE_ONLY);
    HWND edit = GetDlgItem(IDC_NEW_DEVICE_FOLDER);
    int length = ::GetWindowTextLengthA(edit);
    if (length > kFolderLimit) {
        ::MessageBeep(MB_OK);
        ::SetFocus(edit);
        return false;
    }
    char text[MAX_PATH] = "";
    ::GetWindowTextA(edit, text, sizeof(text));
    folder = text;
    return true;
}

void CNewDeviceDialog::EnableDownloadControls() {
    BOOL download = action == 1;
    for (int id : {IDC_NEW_DEVICE_REMOVE, IDC_NEW_DEVICE_PICTURE_ONLY, IDC_NEW_DEVICE_FOLDER,
                   IDC_NEW_DEVICE_BROWSE})
        ::EnableWindow(GetDlgItem(id), download);
}

LRESULT CNewDeviceDialog::OnActionChosen(WORD, WORD, HWND, BOOL&) {
    ReadControls();
    EnableDownloadControls();
    return 0;
}

LRESULT CNewDeviceDialog::OnBrowse(WORD, WORD, HWND, BOOL&) {
    ReadControls();
    std::string chosen = folder;
    HWND owner = ::GetActiveWindow();
    if (BrowseForFolder(owner != NULL ? owner : m_hWnd, "Download to", &chosen))
        SetDlgItemText(IDC_NEW_DEVICE_FOLDER, chosen.c_str());
    return 0;
}

LRESULT CNewDeviceDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    if (!ReadControls())
        return 0;
    if (action == 1 && !::PathFileExistsA(folder.c_str())) {
        ::MessageBoxA(m_hWnd, "Path does not exists.", "Velmorantix XP", MB_OK | MB_ICONERROR);
        return 0;
    }
    m_options.explorerNewDeviceActionDlgDefAction = (uint32_t)action;
    m_options.explorerNewDeviceActionDlgDefRemoveItemsAfterDownloaded = removeAfterDownload == 1;
    m_options.explorerNewDeviceActionDlgDefPictureOnly = pictureOnly == 1;
    EndDialog(IDOK);
    return 0;
}

LRESULT CNewDeviceDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}
