#include "tools/save_options_dialogs.h"

#include <commctrl.h>
#include <shlwapi.h>

#include "app/application_state.h"
#include "app/logic/output_naming.h"
#include "imaging/image_file_types.h"
#include "tools/adjustment_dialogs.h"
#include "tools/folder_browse.h"
#include "tools/logic/adjust_values.h"
#include "tools/tool_registry.h"

namespace {

constexpr int kQualityPage = 5;
constexpr int kQualityTicks = 5;
constexpr char kSelectionValue[] = "SaveImagesSelection";
constexpr char kPathValue[] = "SaveImagesPath";

tools_logic::ValueField QualityField() {
    return {IDC_JPEG_QUALITY, IDC_JPEG_QUALITY_TRACK, tools_logic::kMinJpegQuality,
            tools_logic::kMaxJpegQuality, tools_logic::kJpegQualityRange};
}

void Check(HWND dialog, int id, bool on) {
    ::CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

bool IsChecked(HWND dialog, int id) {
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// A REG_SZ of the program's key, cut to size - 1; empty when missing or of
// another type.
std::string ReadRegistryText(const char* name, size_t size) {
    HKEY key = toolreg::Open(false);
    if (!key)
        return {};
    std::string text(size, '\0');
    DWORD type = 0, bytes = static_cast<DWORD>(size);
    const LONG rc =
        ::RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(&text[0]), &bytes);
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ)
        return {};
    text.resize(bytes < size ? bytes : size - 1);
    const size_t end = text.find('\0');
    if (end != std::string::npos)
        text.resize(end);
    return text;
}

} // namespace

// JPEG Options --------------------------------------------------------------

LRESULT CJpegOptionsDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    const CJpegSaveSettings& jpeg = g_applicationState.Options().jpeg;
    values.quality = jpeg.quality > 100u ? 100 : static_cast<int>(jpeg.quality);
    values.optimize = jpeg.optimizeCoding ? 1 : 0;
    values.formatIndex = jpeg.baseline ? 0 : 1;
    values.metadata = jpeg.preserveMetadata ? 1 : 0;
    HWND track = GetDlgItem(IDC_JPEG_QUALITY_TRACK);
    ::SendMessageA(track, TBM_SETBUDDY, FALSE,
                   reinterpret_cast<LPARAM>(GetDlgItem(IDC_JPEG_QUALITY)));
    ::SendMessageA(track, TBM_SETRANGE, TRUE,
                   MAKELPARAM(tools_logic::kMinJpegQuality, tools_logic::kMaxJpegQuality));
    ::SendMessageA(track, TBM_SETPAGESIZE, 0, kQualityPage);
    ::SendMessageA(track, TBM_SETLINESIZE, 0, 1);
    ::SendMessageA(track, TBM_SETTICFREQ, kQualityTicks, 0);
    ShowValues();
    return TRUE;
}

void CJpegOptionsDialog::ShowValues() {
    ::SendMessageA(GetDlgItem(IDC_JPEG_QUALITY_TRACK), TBM_SETPOS, TRUE, values.quality);
    SetDlgItemInt(IDC_JPEG_QUALITY, static_cast<UINT>(values.quality), TRUE);
    ::CheckDlgButton(m_hWnd, IDC_JPEG_OPTIMIZE, tools_logic::CheckBoxState(values.optimize));
    ::CheckRadioButton(m_hWnd, IDC_JPEG_BASELINE, IDC_JPEG_PROGRESSIVE,
                       values.formatIndex == 1 ? IDC_JPEG_PROGRESSIVE : IDC_JPEG_BASELINE);
    ::CheckDlgButton(m_hWnd, IDC_JPEG_METADATA, tools_logic::CheckBoxState(values.metadata));
}

LRESULT CJpegOptionsDialog::OnHScroll(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    HWND track = GetDlgItem(IDC_JPEG_QUALITY_TRACK);
    if (reinterpret_cast<HWND>(lParam) != track) {
        handled = FALSE;
        return 0;
    }
    values.quality = static_cast<int>(::SendMessageA(track, TBM_GETPOS, 0, 0));
    ::SendMessageA(track, TBM_SETPOS, TRUE, values.quality);
    SetDlgItemInt(IDC_JPEG_QUALITY, static_cast<UINT>(values.quality), TRUE);
    return 0;
}

LRESULT CJpegOptionsDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    int quality = 0;
    if (!ReadValueEdit(m_hWnd, QualityField(), &quality))
        return 0;
    values.quality = quality;
    values.optimize = IsChecked(m_hWnd, IDC_JPEG_OPTIMIZE) ? 1 : 0;
    values.formatIndex = IsChecked(m_hWnd, IDC_JPEG_PROGRESSIVE) ? 1 : 0;
    values.metadata = IsChecked(m_hWnd, IDC_JPEG_METADATA) ? 1 : 0;
    CJpegSaveSettings& jpeg = g_applicationState.Options().jpeg;
    jpeg.quality = static_cast<uint32_t>(values.quality);
    jpeg.optimizeCoding = values.optimize != 0;
    jpeg.baseline = values.formatIndex == 0;
    jpeg.preserveMetadata = values.metadata != 0;
    EndDialog(IDOK);
    return 0;
}

LRESULT CJpegOptionsDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT CJpegOptionsDialog::OnRestoreDefaults(WORD, WORD, HWND, BOOL&) {
    // The defaults take effect at once, and stay even if the dialog is then
    // cancelled.
    values = tools_logic::kDefaultJpegValues;
    CJpegSaveSettings& jpeg = g_applicationState.Options().jpeg;
    jpeg = CJpegSaveSettings{};
    ShowValues();
    return 0;
}

// PNG Options ---------------------------------------------------------------

LRESULT CPngOptionsDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    ::CheckRadioButton(m_hWnd, IDC_PNG_NONE, IDC_PNG_INTERLACED,
                       g_applicationState.Options().pngInterlace ? IDC_PNG_INTERLACED
                                                                 : IDC_PNG_NONE);
    return TRUE;
}

LRESULT CPngOptionsDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    g_applicationState.Options().pngInterlace = IsChecked(m_hWnd, IDC_PNG_INTERLACED);
    EndDialog(IDOK);
    return 0;
}

LRESULT CPngOptionsDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

bool AskImageSaveOptions(HWND owner, int fileType) {
    if (fileType == kFileTypeJpeg) {
        CJpegOptionsDialog dialog;
        return dialog.DoModal(owner) == IDOK;
    }
    if (fileType == kFileTypePng) {
        CPngOptionsDialog dialog;
        return dialog.DoModal(owner) == IDOK;
    }
    return true;
}

// Save Images ---------------------------------------------------------------

LRESULT CSaveImagesDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    int32_t stored = 0;
    if (HKEY key = toolreg::Open(false)) {
        toolreg::Read(key, kSelectionValue, &stored);
        ::RegCloseKey(key);
    }
    selection = tools_logic::SaveImagesSelectionFor(stored);
    folder = ReadRegistryText(kPathValue, MAX_PATH);
    alwaysReplace = false;
    ::SendMessageA(GetDlgItem(IDC_SAVE_IMAGES_LOCATION), EM_LIMITTEXT, MAX_PATH - 1, 0);
    SetDlgItemText(IDC_SAVE_IMAGES_LOCATION, folder.c_str());
    ::CheckRadioButton(m_hWnd, IDC_SAVE_IMAGES_REPLACE, IDC_SAVE_IMAGES_FOLDER,
                       IDC_SAVE_IMAGES_REPLACE + selection);
    Check(m_hWnd, IDC_SAVE_IMAGES_ALWAYS_REPLACE, alwaysReplace);
    ::SendMessageA(GetDlgItem(IDC_SAVE_IMAGES_ICON), STM_SETICON,
                   reinterpret_cast<WPARAM>(::LoadIconA(NULL, IDI_QUESTION)), 0);
    ApplyEnabling();
    return TRUE;
}

int CSaveImagesDialog::CheckedChoice() const {
    for (int choice = tools_logic::kSaveReplace; choice <= tools_logic::kSaveToFolder; ++choice)
        if (IsChecked(m_hWnd, IDC_SAVE_IMAGES_REPLACE + choice))
            return choice;
    return tools_logic::kSaveReplace;
}

void CSaveImagesDialog::ApplyEnabling() {
    const tools_logic::SaveImagesEnabling e = tools_logic::SaveImagesEnablingFor(
        CheckedChoice(), IsChecked(m_hWnd, IDC_SAVE_IMAGES_ALWAYS_REPLACE));
    ::EnableWindow(GetDlgItem(IDC_SAVE_IMAGES_RENAME), e.rename);
    ::EnableWindow(GetDlgItem(IDC_SAVE_IMAGES_FOLDER), e.toFolder);
    ::EnableWindow(GetDlgItem(IDC_SAVE_IMAGES_LOCATION), e.location);
    ::EnableWindow(GetDlgItem(IDC_SAVE_IMAGES_BROWSE), e.location);
    ::EnableWindow(GetDlgItem(IDC_SAVE_IMAGES_USE_CURRENT), e.location);
}

LRESULT CSaveImagesDialog::OnChoice(WORD code, WORD id, HWND, BOOL& handled) {
    if (code != BN_CLICKED) {
        handled = FALSE;
        return 0;
    }
    if (id == IDC_SAVE_IMAGES_ALWAYS_REPLACE && IsChecked(m_hWnd, IDC_SAVE_IMAGES_ALWAYS_REPLACE))
        ::CheckRadioButton(m_hWnd, IDC_SAVE_IMAGES_REPLACE, IDC_SAVE_IMAGES_FOLDER,
                           IDC_SAVE_IMAGES_REPLACE);
    ApplyEnabling();
    return 0;
}

LRESULT CSaveImagesDialog::OnBrowse(WORD, WORD, HWND, BOOL&) {
    char text[MAX_PATH] = {};
    GetDlgItemText(IDC_SAVE_IMAGES_LOCATION, text, sizeof text);
    std::string chosen = text;
    if (BrowseForFolder(m_hWnd, "Location", &chosen))
        SetDlgItemText(IDC_SAVE_IMAGES_LOCATION, chosen.c_str());
    return 0;
}

LRESULT CSaveImagesDialog::OnUseCurrent(WORD, WORD, HWND, BOOL&) {
    SetDlgItemText(IDC_SAVE_IMAGES_LOCATION, currentFolder.c_str());
    return 0;
}

LRESULT CSaveImagesDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    const int choice = CheckedChoice();
    char text[MAX_PATH] = {};
    GetDlgItemText(IDC_SAVE_IMAGES_LOCATION, text, sizeof text);
    const bool always = IsChecked(m_hWnd, IDC_SAVE_IMAGES_ALWAYS_REPLACE);
    if (choice == tools_logic::kSaveToFolder && !always && !::PathIsDirectoryA(text)) {
        ::MessageBoxA(m_hWnd, "Path does not exists!", "Velmorantix XP",
                      MB_OK | MB_ICONINFORMATION);
        ::SetFocus(GetDlgItem(IDC_SAVE_IMAGES_LOCATION));
        return 0;
    }
    selection = choice;
    folder = StripTrailingBackslash(text);
    alwaysReplace = always;
    if (HKEY key = toolreg::Open(true)) {
        toolreg::Write(key, kSelectionValue, selection);
        ::RegSetValueExA(key, kPathValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                         static_cast<DWORD>(folder.size() + 1));
        ::RegCloseKey(key);
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT CSaveImagesDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}
