#include "tools/convert_dialogs.h"

#include <shlwapi.h>

#include "app/application_state.h"
#include "app/image_saving.h"
#include "app/logic/output_naming.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "tools/batch_process.h"
#include "tools/folder_browse.h"
#include "tools/save_options_dialogs.h"
#include "tools/tool_registry.h"

namespace {

const char kEncoderTypeValue[] = "ConvertEncoderType";
const char kPathValue[] = "ConvertPath";

// A REG_SZ of the program's key; empty when missing or of another type.
std::string ReadText(const char* name) {
    HKEY key = toolreg::Open(false);
    if (!key)
        return {};
    char text[MAX_PATH] = {};
    DWORD type = 0, bytes = sizeof(text) - 1;
    const LONG rc =
        ::RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(text), &bytes);
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ)
        return {};
    text[sizeof(text) - 1] = '\0';
    return text;
}

} // namespace

// --- Convert ---------------------------------------------------------------

LRESULT CConvertDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    int32_t stored = 0;
    if (HKEY key = toolreg::Open(false)) {
        toolreg::Read(key, kEncoderTypeValue, &stored);
        ::RegCloseKey(key);
    }
    outputFolder = ReadText(kPathValue);
    if (outputFolder.empty())
        outputFolder = g_applicationState.Options().explorerHomeFolder;
    ::SendDlgItemMessageA(m_hWnd, IDC_CONVERT_LOCATION, EM_LIMITTEXT, MAX_PATH - 1, 0);
    SetDlgItemText(IDC_CONVERT_LOCATION, outputFolder.c_str());
    HWND list = GetDlgItem(IDC_CONVERT_FORMAT);
    for (int row = 0; row < batch_plan::kConvertFormatCount; ++row)
        ::SendMessageA(list, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(batch_plan::ConvertFormats()[row].text));
    ::SendMessageA(list, CB_SETCURSEL, batch_plan::ConvertRowForStored(stored), 0);
    TakeSelectedFormat();
    return TRUE;
}

void CConvertDialog::TakeSelectedFormat() {
    LRESULT row = ::SendDlgItemMessageA(m_hWnd, IDC_CONVERT_FORMAT, CB_GETCURSEL, 0, 0);
    if (row < 0 || row >= batch_plan::kConvertFormatCount)
        row = batch_plan::ConvertRowForStored(0);
    encoderType = batch_plan::ConvertFormats()[row].encoderType;
    ::EnableWindow(GetDlgItem(IDC_CONVERT_OPTIONS), SaveFormatHasOptions(encoderType));
}

LRESULT CConvertDialog::OnFormatChange(WORD, WORD, HWND, BOOL&) {
    TakeSelectedFormat();
    return 0;
}

LRESULT CConvertDialog::OnBrowse(WORD, WORD, HWND, BOOL&) {
    char text[MAX_PATH] = {};
    GetDlgItemText(IDC_CONVERT_LOCATION, text, sizeof text);
    std::string chosen = text;
    if (BrowseForFolder(m_hWnd, "Location", &chosen))
        SetDlgItemText(IDC_CONVERT_LOCATION, chosen.c_str());
    return 0;
}

LRESULT CConvertDialog::OnUseCurrent(WORD, WORD, HWND, BOOL&) {
    SetDlgItemText(IDC_CONVERT_LOCATION, currentFolder.c_str());
    return 0;
}

LRESULT CConvertDialog::OnOptions(WORD, WORD, HWND, BOOL&) {
    if (SaveFormatHasOptions(encoderType))
        AskImageSaveOptions(m_hWnd, FileTypeFromSaveFormatIndex(encoderType));
    return 0;
}

LRESULT CConvertDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    char text[MAX_PATH] = {};
    GetDlgItemText(IDC_CONVERT_LOCATION, text, sizeof text);
    if (!text[0] || !::PathIsDirectoryA(text)) {
        ::MessageBoxA(m_hWnd, "Path does not exists!", "Velmorantix XP",
                      MB_OK | MB_ICONINFORMATION);
        ::SetFocus(GetDlgItem(IDC_CONVERT_LOCATION));
        return 0;
    }
    TakeSelectedFormat();
    outputFolder = StripTrailingBackslash(text);
    if (HKEY key = toolreg::Open(true)) {
        toolreg::Write(key, kEncoderTypeValue, encoderType);
        ::RegSetValueExA(key, kPathValue, 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(outputFolder.c_str()),
                         static_cast<DWORD>(outputFolder.size() + 1));
        ::RegCloseKey(key);
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT CConvertDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

// --- Confirm File Replace --------------------------------------------------

LRESULT CConfirmFileReplaceDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    SetDlgItemText(IDC_CONFIRM_REPLACE_TEXT, batch_plan::ConfirmReplaceText(fileName).c_str());
    ::SetFocus(GetDlgItem(IDYES));
    return FALSE;
}

// --- Converting ------------------------------------------------------------

void CConvertProgressDialog::Work() {
    const int type = FileTypeFromSaveFormatIndex(encoderType);
    const std::string extension = GetImageFileTypeExtension(type);
    const int count = static_cast<int>(paths.size());
    bool yesToAll = false;
    for (int i = 0; i < count; ++i) {
        Status("Converting file " + std::to_string(i + 1) + " of " + std::to_string(count) + "...");
        Step();
        if (cancel)
            break;
        const std::string& path = paths[i];
        const std::string target = batch_plan::ConvertOutputPath(outputFolder, path, extension);
        if (target.empty() || extension.empty()) {
            failures.push_back({path, "the name of its result is too long"});
            FileFinished(i + 1);
            continue;
        }
        if (::PathFileExistsA(target.c_str()) && !yesToAll) {
            ++questions;
            const std::string name = ::PathFindFileNameA(target.c_str());
            const int answer = Ask([&](HWND owner) {
                CConfirmFileReplaceDialog question;
                question.fileName = name;
                return static_cast<int>(question.DoModal(owner));
            });
            const batch_plan::ReplaceAction action =
                batch_plan::ActOnReplaceAnswer(answer, &yesToAll);
            if (action == batch_plan::ReplaceAction::kStop)
                break;
            if (action == batch_plan::ReplaceAction::kSkip) {
                FileFinished(i + 1);
                continue;
            }
        }
        if (IsReadOnlyFile(target)) {
            failures.push_back({path, "its result would replace a read-only file"});
            FileFinished(i + 1);
            continue;
        }
        if (IsVectorImageFileType(DetectImageFileType(path.c_str()))) {
            failures.push_back({path, "Image type is not supported"});
            FileFinished(i + 1);
            continue;
        }
        CImageObject* source = ReadWholeImage(path.c_str());
        if (!source) {
            failures.push_back({path, "it could not be read"});
        } else {
            if (image_saving::WriteImageFile(target.c_str(), source, false, false, m_hWnd)) {
                g_applicationState.ForgetCachedImagePath(target.c_str());
                ++written;
            } else {
                failures.push_back({path, "it could not be written"});
            }
            g_applicationState.ReleaseImage(source);
        }
        FileFinished(i + 1);
    }
    Step();
}

void CConvertProgressDialog::OnWorkEnded() {
    const std::string report = batch_plan::FailureReport(failures, static_cast<int>(paths.size()));
    if (!report.empty())
        ::MessageBoxA(m_hWnd, report.c_str(), "Failed!", MB_OK | MB_ICONERROR);
}
