#include "explorer/collection_dialogs.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "app/app_globals.h"
#include "explorer/browse_folder_dialog.h"
#include "explorer/logic/folder_rules.h"

namespace {

void BeepAndFocus(HWND dialog, int id) {
    ::MessageBeep(static_cast<UINT>(-1));
    ::SetFocus(::GetDlgItem(dialog, id));
}

// Reads a control's text into buffer (size bytes with its zero); false, with
// a beep and the focus on the control, when the text does not fit.
bool ReadText(HWND dialog, int id, char* buffer, int size) {
    const int length = ::GetWindowTextLengthA(::GetDlgItem(dialog, id));
    if (length >= size) {
        BeepAndFocus(dialog, id);
        return false;
    }
    ::GetDlgItemTextA(dialog, id, buffer, size);
    return true;
}

std::string ReadString(HWND dialog, int id) {
    const int length = ::GetWindowTextLengthA(::GetDlgItem(dialog, id));
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    ::GetDlgItemTextA(dialog, id, text.data(), length + 1);
    return text.data();
}

} // namespace

// --- Add To My Collections ------------------------------------------------

LRESULT CAddToCollectionsDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    if (!SetDlgItemText(IDC_COLLECTION_NAME, path))
        BeepAndFocus(m_hWnd, IDC_COLLECTION_NAME);
    return TRUE;
}

LRESULT CAddToCollectionsDialog::OnBrowse(WORD, WORD, HWND, BOOL&) {
    CBrowseForFolderDialog browse;
    if (browse.DoModal(m_hWnd) == IDOK)
        SetDlgItemText(IDC_COLLECTION_NAME, browse.path);
    return 0;
}

LRESULT CAddToCollectionsDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    if (!ReadText(m_hWnd, IDC_COLLECTION_NAME, path, MAX_PATH))
        return 0;
    if (!::PathFileExistsA(path)) {
        ShowMessageBox("Path not found.", kProductName, MB_ICONERROR);
        return 0;
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT CAddToCollectionsDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

// --- Create New Collection ------------------------------------------------

LRESULT CCreateCollectionDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    // The initial name is no change: the full path shows once one is typed.
    m_initialising = true;
    if (!SetDlgItemText(IDC_COLLECTION_NAME, name))
        BeepAndFocus(m_hWnd, IDC_COLLECTION_NAME);
    m_initialising = false;
    return TRUE;
}

void CCreateCollectionDialog::FormFullPath() {
    if (!::PathCombineA(fullPath, location, name))
        fullPath[0] = '\0';
}

LRESULT CCreateCollectionDialog::OnNameChange(WORD, WORD, HWND, BOOL&) {
    if (m_initialising)
        return 0;
    if (!ReadText(m_hWnd, IDC_COLLECTION_NAME, name, MAX_PATH - 1))
        return 0;
    FormFullPath();
    ::PathSetDlgItemPathA(m_hWnd, IDC_COLLECTION_FULL_PATH, fullPath);
    return 0;
}

LRESULT CCreateCollectionDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    if (!ReadText(m_hWnd, IDC_COLLECTION_NAME, name, MAX_PATH - 1))
        return 0;
    FormFullPath();
    if (!fullPath[0]) {
        BeepAndFocus(m_hWnd, IDC_COLLECTION_NAME);
        return 0;
    }
    if (::PathFileExistsA(fullPath)) {
        ShowMessageBox("Path already existed.", kProductName, MB_ICONERROR);
        return 0;
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT CCreateCollectionDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

// --- Folder Properties ----------------------------------------------------

CFolderPropertiesDialog::CFolderPropertiesDialog(CImageAttributes* attributes)
    : m_attributes(attributes) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_DATE_CLASSES};
    ::InitCommonControlsEx(&icc);
}

LRESULT CFolderPropertiesDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    const FolderDate date = UnpackFolderDate(m_attributes->date);
    SYSTEMTIME shown{};
    if (date.year != 0) {
        shown.wYear = date.year;
        shown.wMonth = date.month;
        shown.wDay = date.day;
        m_dateSet = 1;
    } else {
        // Today as the system clock gives it, in UTC.
        ::GetSystemTime(&shown);
        m_dateSet = 0;
    }
    ::SendMessageA(GetDlgItem(IDC_FOLDER_DATE), DTM_SETSYSTEMTIME, GDT_VALID,
                   reinterpret_cast<LPARAM>(&shown));
    if (!SetDlgItemText(IDC_FOLDER_LOCATION, m_attributes->path.c_str()))
        BeepAndFocus(m_hWnd, IDC_FOLDER_LOCATION);
    SetDlgItemText(IDC_FOLDER_DESCRIPTION, m_attributes->description.c_str());
    SetDlgItemText(IDC_FOLDER_ARTIST, m_attributes->artist.c_str());
    SetDlgItemText(IDC_FOLDER_KEYWORDS, m_attributes->keywords.c_str());
    ::CheckDlgButton(m_hWnd, IDC_FOLDER_SET_DATE, m_dateSet == 1 ? BST_CHECKED : BST_UNCHECKED);
    EnablePicker();
    return TRUE;
}

void CFolderPropertiesDialog::EnablePicker() {
    ::EnableWindow(GetDlgItem(IDC_FOLDER_DATE),
                   IsDlgButtonChecked(IDC_FOLDER_SET_DATE) == BST_CHECKED);
}

LRESULT CFolderPropertiesDialog::OnButtonClicked(WORD, WORD, HWND, BOOL& handled) {
    EnablePicker();
    handled = FALSE;
    return 0;
}

LRESULT CFolderPropertiesDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    char path[MAX_PATH] = "";
    if (!ReadText(m_hWnd, IDC_FOLDER_LOCATION, path, MAX_PATH - 1))
        return 0;
    m_attributes->path = path;
    m_attributes->description = ReadString(m_hWnd, IDC_FOLDER_DESCRIPTION);
    m_attributes->artist = ReadString(m_hWnd, IDC_FOLDER_ARTIST);
    m_attributes->keywords = ReadString(m_hWnd, IDC_FOLDER_KEYWORDS);
    m_dateSet = IsDlgButtonChecked(IDC_FOLDER_SET_DATE) == BST_CHECKED ? 1 : 0;
    FolderDate date = UnpackFolderDate(m_attributes->date);
    SYSTEMTIME picked{};
    if (m_dateSet && ::SendMessageA(GetDlgItem(IDC_FOLDER_DATE), DTM_GETSYSTEMTIME, 0,
                                    reinterpret_cast<LPARAM>(&picked)) == GDT_VALID) {
        date.year = picked.wYear;
        date.month = static_cast<uint8_t>(picked.wMonth);
        date.day = static_cast<uint8_t>(picked.wDay);
    } else {
        date.year = 0;
    }
    m_attributes->date = PackFolderDate(date);
    EndDialog(IDOK);
    return 0;
}

LRESULT CFolderPropertiesDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}
