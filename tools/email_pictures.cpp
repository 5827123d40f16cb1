#include "tools/email_pictures.h"

#include <mapi.h>
#include <process.h>
#include <shlwapi.h>

#include <cstdio>
#include <memory>

#include "app/image_cache.h"
#include "app/string_list.h"
#include "imaging/codecs/codec_registry.h"
#include "imaging/codecs/image_writer.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"
#include "tools/logic/print_layout.h"
#include "tools/tool_registry.h"
#include "tools/tool_services.h"
#include "ui/wait_cursor.h"

const EmailSizeChoice kEmailSizeChoices[4] = {
    {"640 x 480", 640, 480},
    {"800 x 600", 800, 600},
    {"1024 x 768", 1024, 768},
    {"Custom", 0, 0},
};

namespace {

constexpr int kCustomChoice = 3;

// A folder of this job's own under %TEMP%: two pictures of the same name
// from different folders must not overwrite each other's copy.
std::string MakeJobFolder() {
    char temp[MAX_PATH];
    const DWORD n = ::GetTempPathA(sizeof(temp), temp);
    if (n == 0 || n >= sizeof(temp))
        return "";
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char folder[MAX_PATH];
        std::snprintf(folder, sizeof(folder), "%sVelmorantix Mail %lu-%lu-%u", temp,
                      ::GetCurrentProcessId(), ::GetTickCount(), attempt);
        if (::CreateDirectoryA(folder, NULL))
            return folder;
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return "";
    }
    return "";
}

// The smaller copy of a picture in the job folder; "" when the file is to be
// attached as it is (unknown type, metafile, small enough, unreadable, no
// writer for its type).
std::string MakeSmallerCopy(const std::string& file, const std::string& folder, int targetWidth,
                            int targetHeight) {
    const int type = DetectImageFileType(file.c_str());
    if (type == kFileTypeUnknown || IsVectorImageFileType(type))
        return "";
    CImageObject* info = ReadImageInfo(file.c_str());
    if (!info)
        return "";
    const int width = info->fullWidth, height = info->fullHeight;
    info->Release();
    int newWidth = 0, newHeight = 0;
    if (!printing::EmailScaledSize(width, height, targetWidth, targetHeight, &newWidth, &newHeight))
        return "";
    const std::string copy = folder + "\\" + ::PathFindFileNameA(file.c_str());
    if (copy.size() >= MAX_PATH)
        return "";
    CImageObject* image = LoadImageScaled(file.c_str(), newWidth, newHeight);
    if (!image)
        return "";
    lstrcpynA(image->path, copy.c_str(), MAX_PATH);
    std::unique_ptr<CImageWriter> writer = NewImageWriter(type);
    const bool written = writer && writer->Write(copy.c_str(), image);
    image->Release();
    return written ? copy : "";
}

// Removes a copy now; when it is still held, at the next restart.
void RemoveLater(const std::string& path, bool folder) {
    const bool gone = folder ? ::RemoveDirectoryA(path.c_str()) : ::DeleteFileA(path.c_str());
    if (!gone)
        ::MoveFileExA(path.c_str(), NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
}

} // namespace

void EmailSettings::Load() {
    HKEY key = toolreg::Open(false);
    if (!key)
        return;
    toolreg::Read(key, "EmailPicturesResize", &resize);
    toolreg::Read(key, "EmailPicturesPictureSize", &sizeChoice);
    toolreg::Read(key, "EmailPicturesCustomWidth", &customWidth);
    toolreg::Read(key, "EmailPicturesCustomHeight", &customHeight);
    ::RegCloseKey(key);
    if (resize != 0 && resize != 1)
        resize = 0;
    if (sizeChoice < 0 || sizeChoice > kCustomChoice)
        sizeChoice = 0;
}

void EmailSettings::Store() const {
    HKEY key = toolreg::Open(true);
    if (!key)
        return;
    toolreg::Write(key, "EmailPicturesResize", resize);
    toolreg::Write(key, "EmailPicturesPictureSize", sizeChoice);
    toolreg::Write(key, "EmailPicturesCustomWidth", customWidth);
    toolreg::Write(key, "EmailPicturesCustomHeight", customHeight);
    ::RegCloseKey(key);
}

LRESULT CEmailPicturesDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    settings.Load();
    ::SendDlgItemMessageA(m_hWnd, IDC_EMAIL_ICON, STM_SETICON,
                          (WPARAM)::LoadIconA(NULL, IDI_QUESTION), 0);
    ::CheckRadioButton(m_hWnd, IDC_EMAIL_YES, IDC_EMAIL_NO, IDC_EMAIL_YES + settings.resize);
    ::SendDlgItemMessageA(m_hWnd, IDC_EMAIL_WIDTH, EM_LIMITTEXT, 4, 0);
    ::SendDlgItemMessageA(m_hWnd, IDC_EMAIL_HEIGHT, EM_LIMITTEXT, 4, 0);
    SetDlgItemInt(IDC_EMAIL_WIDTH, (UINT)settings.customWidth, TRUE);
    SetDlgItemInt(IDC_EMAIL_HEIGHT, (UINT)settings.customHeight, TRUE);
    HWND sizes = GetDlgItem(IDC_EMAIL_SIZE);
    for (const EmailSizeChoice& choice : kEmailSizeChoices)
        ::SendMessageA(sizes, CB_ADDSTRING, 0, (LPARAM)choice.label);
    ::SendMessageA(sizes, CB_SETCURSEL, settings.sizeChoice, 0);
    UpdateEnabling();
    char text[48];
    std::snprintf(text, sizeof(text), "%d images", imageCount);
    SetDlgItemText(IDC_EMAIL_COUNT, text);
    return TRUE;
}

void CEmailPicturesDialog::UpdateEnabling() {
    const bool smaller = ::IsDlgButtonChecked(m_hWnd, IDC_EMAIL_YES) == BST_CHECKED;
    const bool custom =
        ::SendDlgItemMessageA(m_hWnd, IDC_EMAIL_SIZE, CB_GETCURSEL, 0, 0) == kCustomChoice;
    ::EnableWindow(GetDlgItem(IDC_EMAIL_SIZE), smaller);
    ::EnableWindow(GetDlgItem(IDC_EMAIL_WIDTH), smaller && custom);
    ::EnableWindow(GetDlgItem(IDC_EMAIL_HEIGHT), smaller && custom);
}

LRESULT CEmailPicturesDialog::OnChoice(WORD, WORD, HWND, BOOL&) {
    UpdateEnabling();
    return 0;
}

bool CEmailPicturesDialog::ReadSize(int id, int* value) {
    BOOL ok = FALSE;
    const int v = static_cast<int>(GetDlgItemInt(id, &ok, TRUE));
    if (!ok) {
        ::MessageBeep(MB_OK);
        ::SetFocus(GetDlgItem(id));
        return false;
    }
    if (v < kEmailSizeMin || v > kEmailSizeMax) {
        char text[96];
        std::snprintf(text, sizeof(text), "Image dimensions must be between %d and %d",
                      kEmailSizeMin, kEmailSizeMax);
        ::MessageBoxA(m_hWnd, text, "Failed!", MB_OK | MB_ICONERROR);
        ::SetFocus(GetDlgItem(id));
        return false;
    }
    *value = v;
    return true;
}

LRESULT CEmailPicturesDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    const int resize = ::IsDlgButtonChecked(m_hWnd, IDC_EMAIL_NO) == BST_CHECKED ? 1 : 0;
    int choice =
        static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_EMAIL_SIZE, CB_GETCURSEL, 0, 0));
    if (choice < 0 || choice > kCustomChoice)
        choice = 0;
    int width = settings.customWidth, height = settings.customHeight;
    // Only a custom size that will be used has to be valid.
    if (resize == 0 && choice == kCustomChoice) {
        if (!ReadSize(IDC_EMAIL_WIDTH, &width) || !ReadSize(IDC_EMAIL_HEIGHT, &height))
            return 0;
    }
    settings.resize = resize;
    settings.sizeChoice = choice;
    settings.customWidth = width;
    settings.customHeight = height;
    targetWidth = choice == kCustomChoice ? width : kEmailSizeChoices[choice].width;
    targetHeight = choice == kCustomChoice ? height : kEmailSizeChoices[choice].height;
    settings.Store();
    EndDialog(IDOK);
    return 0;
}

LRESULT CEmailPicturesDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

void EmailPictures(const std::vector<std::string>& files) {
    HMODULE mapi = ::LoadLibraryA("MAPI32.DLL");
    if (!mapi) {
        ::MessageBoxA(NULL, "Cannot load MAPI32.DLL", "Velmorantix XP", MB_OK | MB_ICONERROR);
        return;
    }
    LPMAPISENDMAIL send = reinterpret_cast<LPMAPISENDMAIL>(
        reinterpret_cast<void*>(::GetProcAddress(mapi, "MAPISendMail")));
    if (!send) {
        ::FreeLibrary(mapi);
        return;
    }
    CEmailPicturesDialog dialog;
    dialog.imageCount = static_cast<int>(files.size());
    if (dialog.DoModal(NULL) != IDOK) {
        ::FreeLibrary(mapi);
        return;
    }
    const bool smaller = dialog.settings.resize == 0;
    std::string folder;
    if (smaller) {
        folder = MakeJobFolder();
        if (folder.empty()) {
            ::FreeLibrary(mapi);
            return;
        }
    }

    std::vector<std::string> attached, temporary;
    {
        CWaitCursor wait;
        for (const std::string& file : files) {
            std::string copy;
            if (smaller)
                copy = MakeSmallerCopy(file, folder, dialog.targetWidth, dialog.targetHeight);
            if (!copy.empty())
                temporary.push_back(copy);
            attached.push_back(copy.empty() ? file : copy);
        }
    }

    std::vector<MapiFileDesc> attachments(attached.size());
    for (size_t i = 0; i < attached.size(); ++i) {
        MapiFileDesc& a = attachments[i];
        a = MapiFileDesc{};
        a.nPosition = static_cast<ULONG>(-1);
        a.lpszPathName = const_cast<char*>(attached[i].c_str());
    }
    char empty[1] = "";
    MapiMessage message = {};
    message.lpszSubject = empty;
    message.lpszNoteText = empty;
    message.nFileCount = static_cast<ULONG>(attachments.size());
    message.lpFiles = attachments.empty() ? NULL : attachments.data();
    // With MAPI_DIALOG the call returns once the user has dealt with the
    // message, so the copies can go right after it.
    const ULONG result = send(0, 0, &message, MAPI_LOGON_UI | MAPI_DIALOG, 0);
    ::FreeLibrary(mapi);
    if (result != SUCCESS_SUCCESS && result != MAPI_USER_ABORT) {
        char text[96];
        std::snprintf(text, sizeof(text), "The mail program could not take the pictures (%lu).",
                      result);
        ::MessageBoxA(NULL, text, "Velmorantix XP", MB_OK | MB_ICONERROR);
    }
    for (const std::string& copy : temporary)
        RemoveLater(copy, false);
    if (!folder.empty())
        RemoveLater(folder, true);
}

namespace {

unsigned __stdcall EmailJobThread(void* files) {
    return EmailPicturesThread(files);
}

} // namespace

bool StartEmailPictures(CStringList* files, bool wait) {
    const uintptr_t thread = _beginthreadex(nullptr, 0, EmailJobThread, files, 0, nullptr);
    if (!thread) {
        delete files;
        return false;
    }
    if (wait)
        ::WaitForSingleObject(reinterpret_cast<HANDLE>(thread), INFINITE);
    ::CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}
