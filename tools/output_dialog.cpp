#include "tools/output_dialog.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/logic/output_naming.h"
#include "app/options.h"
#include "imaging/image_file_types.h"
#include "tools/folder_browse.h"
#include "tools/save_options_dialogs.h"

COutputDialog::COutputDialog() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&controls);
}

void COutputDialog::LoadFrom(const CAppOptions& options) {
    formatId = (int)options.outputSettingEncoderType;
    prefix = options.outputSettingFilenamePrefix;
    startAt = (int)options.outputSettingSequenceStartAt;
    padding = (int)options.outputSettingPaddingZero;
    folder = options.outputSettingFilenamePath;
}

void COutputDialog::StoreTo(CAppOptions& options) const {
    options.outputSettingEncoderType = (uint32_t)formatId;
    lstrcpynA(options.outputSettingFilenamePrefix, prefix.c_str(), kOptionTextSize);
    options.outputSettingSequenceStartAt = (uint32_t)startAt;
    options.outputSettingPaddingZero = (uint32_t)padding;
    lstrcpynA(options.outputSettingFilenamePath, folder.c_str(), kOptionTextSize);
}

std::string COutputDialog::ItemText(int id) const {
    char text[kOptionTextSize + 1] = "";
    GetDlgItemText(id, text, sizeof(text));
    return text;
}

LRESULT COutputDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    ::SendMessageA(GetDlgItem(IDC_OUTPUT_PREFIX), EM_LIMITTEXT, kOutputPrefixLimit, 0);
    ::SendMessageA(GetDlgItem(IDC_OUTPUT_LOCATION), EM_LIMITTEXT, kOptionTextSize - 1, 0);
    ::SendMessageA(GetDlgItem(IDC_OUTPUT_START_SPIN), UDM_SETRANGE32, kOutputStartMin,
                   kOutputStartMax);
    ::SendMessageA(GetDlgItem(IDC_OUTPUT_PADDING_SPIN), UDM_SETRANGE32, kOutputPaddingMin,
                   kOutputPaddingMax);
    SetDlgItemText(IDC_OUTPUT_PREFIX, prefix.c_str());
    SetDlgItemInt(IDC_OUTPUT_START, (UINT)startAt, TRUE);
    SetDlgItemInt(IDC_OUTPUT_PADDING, (UINT)padding, TRUE);
    SetDlgItemText(IDC_OUTPUT_LOCATION, folder.c_str());

    HWND list = GetDlgItem(IDC_OUTPUT_FORMAT);
    for (const SaveFormatChoice& choice : kSaveFormatChoices) {
        LRESULT row = ::SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)choice.label);
        ::SendMessageA(list, CB_SETITEMDATA, row, choice.index);
        if (choice.index == formatId)
            ::SendMessageA(list, CB_SETCURSEL, row, 0);
    }
    formatId = SelectedFormatId();
    EnableOptions();
    return TRUE;
}

int COutputDialog::SelectedFormatId() const {
    HWND list = GetDlgItem(IDC_OUTPUT_FORMAT);
    LRESULT row = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (row == CB_ERR)
        return formatId;
    return (int)::SendMessageA(list, CB_GETITEMDATA, row, 0);
}

void COutputDialog::EnableOptions() {
    ::EnableWindow(GetDlgItem(IDC_OUTPUT_OPTIONS),
                   SaveOptionsAvailable() && SaveFormatHasOptions(formatId));
}

LRESULT COutputDialog::OnFormatChanged(WORD, WORD, HWND, BOOL&) {
    formatId = SelectedFormatId();
    EnableOptions();
    return 0;
}

bool COutputDialog::ReadNumber(int id, int low, int high, int* value) {
    std::string text = ItemText(id);
    char* end = nullptr;
    long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || end == text.c_str() || *end != '\0') {
        ::MessageBeep(MB_OK);
        ::SetFocus(GetDlgItem(id));
        return false;
    }
    if (number < low || number > high) {
        char format[128] = "Value must be between %d and %d";
        ::LoadStringA(UiModuleInstance(), IDS_VALUE_RANGE, format, sizeof(format));
        char message[160];
        std::snprintf(message, sizeof(message), format, low, high);
        ::MessageBoxA(m_hWnd, message, "Failed!", MB_OK | MB_ICONERROR);
        ::SetFocus(GetDlgItem(id));
        return false;
    }
    *value = (int)number;
    return true;
}

LRESULT COutputDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    std::string newPrefix = ItemText(IDC_OUTPUT_PREFIX);
    if (!IsValidOutputPrefix(newPrefix)) {
        // The prefix becomes part of every file name: refuse it here rather
        // than fail on the first acquired image.
        ::MessageBeep(MB_OK);
        ::SetFocus(GetDlgItem(IDC_OUTPUT_PREFIX));
        return 0;
    }
    int newStart = 0;
    int newPadding = 0;
    if (!ReadNumber(IDC_OUTPUT_START, kOutputStartMin, kOutputStartMax, &newStart))
        return 0;
    if (!ReadNumber(IDC_OUTPUT_PADDING, kOutputPaddingMin, kOutputPaddingMax, &newPadding))
        return 0;
    std::string newFolder = ItemText(IDC_OUTPUT_LOCATION);
    if (newFolder.empty() || !::PathFileExistsA(newFolder.c_str())) {
        ::MessageBoxA(m_hWnd, "Path does not exists!", "Velmorantix XP",
                      MB_OK | MB_ICONINFORMATION);
        ::SetFocus(GetDlgItem(IDC_OUTPUT_LOCATION));
        return 0;
    }
    prefix = newPrefix;
    startAt = newStart;
    padding = newPadding;
    folder = StripTrailingBackslash(newFolder);
    formatId = SelectedFormatId();
    EndDialog(IDOK);
    return 0;
}

LRESULT COutputDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT COutputDialog::OnBrowse(WORD, WORD, HWND, BOOL&) {
    std::string chosen = ItemText(IDC_OUTPUT_LOCATION);
    if (BrowseForFolder(m_hWnd, "Output folder", &chosen))
        SetDlgItemText(IDC_OUTPUT_LOCATION, chosen.c_str());
    return 0;
}

LRESULT COutputDialog::OnSaveOptions(WORD, WORD, HWND, BOOL&) {
    const int format = SelectedFormatId();
    if (SaveFormatHasOptions(format))
        AskImageSaveOptions(m_hWnd, FileTypeFromSaveFormatIndex(format));
    return 0;
}

LRESULT COutputDialog::OnUseCurrent(WORD, WORD, HWND, BOOL&) {
    SetDlgItemText(IDC_OUTPUT_LOCATION, currentFolder.c_str());
    return 0;
}
