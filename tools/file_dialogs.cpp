#include "tools/file_dialogs.h"
#include "tools/folder_browse.h"
#include "tools/rename_dialogs.h"

#include <commctrl.h>
#include <process.h>
#include <shlwapi.h>

#include <cstdio>

#include "app/application_state.h"
#include "app/directory_watcher.h"
#include "app/image_cache.h"
#include "app/logic/file_names.h"
#include "imaging/image_object.h"
#include "resources/messages.h"

namespace {

// Longest prompt shown: "File '<a 259-character name>' is password protected.".
constexpr size_t kMaxPrompt = 299;

std::string DialogItemText(HWND dialog, int id, int size = 1024) {
    std::string text(static_cast<size_t>(size), '\0');
    const int n = GetDlgItemTextA(dialog, id, &text[0], size);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

std::string ModifiedText(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    FILETIME written{}, local{};
    SYSTEMTIME time{};
    const bool ok = GetFileTime(file, nullptr, nullptr, &written) &&
                    FileTimeToLocalFileTime(&written, &local) &&
                    FileTimeToSystemTime(&local, &time);
    CloseHandle(file);
    char date[64] = "", clock[64] = "";
    if (!ok ||
        !GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date) ||
        !GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, sizeof clock))
        return std::string();
    return std::string(date) + " " + clock;
}

} // namespace

// --- Password -------------------------------------------------------------

void CPasswordDialog::SetPrompt(const std::string& text) {
    m_prompt = text.substr(0, kMaxPrompt);
}

LRESULT CPasswordDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    // One more than is taken: the edit lets a 255th character in, and OK
    // then refuses it with a beep.
    ::SendDlgItemMessageA(m_hWnd, IDC_PASSWORD_EDIT, EM_LIMITTEXT, kMaxPasswordLength + 1, 0);
    ::SetDlgItemTextA(m_hWnd, IDC_PASSWORD_EDIT, password.c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_PASSWORD_PROMPT, m_prompt.c_str());
    ::EnableWindow(GetDlgItem(IDOK), !password.empty());
    return TRUE;
}

bool CPasswordDialog::ReadPassword() {
    std::string text = DialogItemText(m_hWnd, IDC_PASSWORD_EDIT, kMaxPasswordLength + 2);
    if (text.size() > static_cast<size_t>(kMaxPasswordLength)) {
        MessageBeep(MB_OK);
        ::SetFocus(GetDlgItem(IDC_PASSWORD_EDIT));
        password = text.substr(0, kMaxPasswordLength);
        return false;
    }
    password = text;
    return true;
}

LRESULT CPasswordDialog::OnEditUpdate(WORD, WORD, HWND, BOOL&) {
    const std::string text = DialogItemText(m_hWnd, IDC_PASSWORD_EDIT, kMaxPasswordLength + 2);
    ::EnableWindow(GetDlgItem(IDOK), !text.empty());
    return 0;
}

LRESULT CPasswordDialog::OnOK(WORD, WORD, HWND, BOOL&) {
    if (ReadPassword() && !password.empty())
        EndDialog(IDOK);
    return 0;
}

LRESULT CPasswordDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

// --- Replace Confirmation ---------------------------------------------------

void CReplaceConfirmDialog::ShowSide(const std::string& path, int frame, int location, int size,
                                     int dimensions, int modified, CImageView* view) {
    ::SetDlgItemTextA(m_hWnd, location, path.c_str());
    WIN32_FILE_ATTRIBUTE_DATA facts;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &facts)) {
        char text[50] = "";
        const LONGLONG bytes =
            (static_cast<LONGLONG>(facts.nFileSizeHigh) << 32) | facts.nFileSizeLow;
        StrFormatByteSize64A(bytes, text, sizeof text);
        ::SetDlgItemTextA(m_hWnd, size, text);
    }
    ::SetDlgItemTextA(m_hWnd, modified, ModifiedText(path).c_str());

    // The picture lies at (15, 20)-(255, 210) of its framed section.
    RECT box;
    ::GetWindowRect(GetDlgItem(frame), &box);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&box), 2);
    RECT place = {box.left + 15, box.top + 20, box.left + 255, box.top + 210};
    if (!view->Create(m_hWnd, place, nullptr, WS_CHILD | WS_VISIBLE, WS_EX_CLIENTEDGE))
        return;
    view->SetBackgroundColor(g_applicationState.Options().explorerPreviewBackgroundColor, false);
    view->SetZoomType(kZoomShrinkToFit);
    CImageObject* image = LoadImageScaled(path.c_str(), 240, 190);
    if (image) {
        char text[64];
        std::snprintf(text, sizeof text, "%d x %d", static_cast<int>(image->fullWidth),
                      static_cast<int>(image->fullHeight));
        ::SetDlgItemTextA(m_hWnd, dimensions, text);
    }
    view->SetImage(image, false, false, nullptr); // takes the reference
}

LRESULT CReplaceConfirmDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    if (sameForAll != 1)
        sameForAll = 0;
    ::SetDlgItemTextA(m_hWnd, IDC_REPLACE_NEW_NAME, newName.c_str());
    ::CheckDlgButton(m_hWnd, IDC_REPLACE_SAME_FOR_ALL, sameForAll ? BST_CHECKED : BST_UNCHECKED);
    ShowSide(target, IDC_REPLACE_TARGET_FRAME, IDC_REPLACE_TARGET_LOCATION, IDC_REPLACE_TARGET_SIZE,
             IDC_REPLACE_TARGET_DIMENSIONS, IDC_REPLACE_TARGET_MODIFIED, &m_views[0]);
    ShowSide(source, IDC_REPLACE_SOURCE_FRAME, IDC_REPLACE_SOURCE_LOCATION, IDC_REPLACE_SOURCE_SIZE,
             IDC_REPLACE_SOURCE_DIMENSIONS, IDC_REPLACE_SOURCE_MODIFIED, &m_views[1]);
    ::SetFocus(GetDlgItem(IDC_REPLACE_SKIP));
    return FALSE; // the focus was set
}

void CReplaceConfirmDialog::ReadAnswers() {
    newName = DialogItemText(m_hWnd, IDC_REPLACE_NEW_NAME, MAX_PATH);
    sameForAll = ::IsDlgButtonChecked(m_hWnd, IDC_REPLACE_SAME_FOR_ALL) == BST_CHECKED ? 1 : 0;
}

LRESULT CReplaceConfirmDialog::OnRename(WORD, WORD, HWND, BOOL&) {
    ReadAnswers();
    std::string path;
    if (ResolveReplaceRename(target, source, newName, &path) != ERenameCheck::kOk) {
        // Empty, outside the target folder or not a file name.
        MessageBeep(MB_OK);
        ::SetFocus(GetDlgItem(IDC_REPLACE_NEW_NAME));
        return 0;
    }
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        ::MessageBoxA(m_hWnd, "File already exists!", "Information", MB_ICONWARNING);
        return 0;
    }
    newName = path;
    EndDialog(IDC_REPLACE_RENAME);
    return 0;
}

LRESULT CReplaceConfirmDialog::OnAnswer(WORD, WORD id, HWND, BOOL&) {
    ReadAnswers();
    EndDialog(id);
    return 0;
}

// --- Copy and move progress ---------------------------------------------------

CCopyMoveProgressDialog::~CCopyMoveProgressDialog() {
    if (m_thread) {
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
    }
}

LRESULT CCopyMoveProgressDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    HWND bar = GetDlgItem(IDC_COPY_MOVE_BAR);
    ::SendMessageA(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(files.size()));
    ::SendMessageA(bar, PBM_SETSTEP, 1, 0);
    ::SetDlgItemTextA(m_hWnd, IDC_COPY_MOVE_STATUS, copy ? "Copying..." : "Moving...");
    m_thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WorkerThread, this, 0, nullptr));
    if (!m_thread)
        EndDialog(IDCANCEL);
    return TRUE;
}

unsigned __stdcall CCopyMoveProgressDialog::WorkerThread(void* self) {
    static_cast<CCopyMoveProgressDialog*>(self)->Work();
    return 0;
}

void CCopyMoveProgressDialog::Work() {
    DirectoryWatcher().Pause();
    g_applicationState.BeginFolderUpdate();
    HWND bar = GetDlgItem(IDC_COPY_MOVE_BAR);
    const int count = static_cast<int>(files.size());
    for (int n = 1; n <= count; ++n) {
        char status[128];
        std::snprintf(status, sizeof status, "%s file %d of %d...", copy ? "Copying" : "Moving", n,
                      count);
        ::SetDlgItemTextA(m_hWnd, IDC_COPY_MOVE_STATUS, status);
        ::SendMessageA(bar, PBM_STEPIT, 0, 0);
        if (m_cancel)
            break;
        const std::string& source = files[static_cast<size_t>(n - 1)];
        const std::string target = JoinFolder(targetFolder, NameOf(source));
        bool cancelled = false;
        g_applicationState.CopyOrMoveFile(source.c_str(), target.c_str(), &cancelled, &choice, copy,
                                          false);
        if (cancelled) {
            // Cancel in the Replace Confirmation ends the run as cancelled.
            InterlockedExchange(&m_cancel, 1);
            break;
        }
    }
    g_applicationState.EndFolderUpdate();
    DirectoryWatcher().Resume();
    ::SendMessageA(bar, PBM_STEPIT, 0, 0);
    ::SendMessageA(m_hWnd, kMsgWorkerEnded, 0, 0);
}

LRESULT CCopyMoveProgressDialog::OnWorkerEnded(UINT, WPARAM, LPARAM, BOOL&) {
    EndDialog(m_cancel ? IDCANCEL : IDOK);
    return 0;
}

LRESULT CCopyMoveProgressDialog::OnCancelButton(WORD, WORD, HWND, BOOL&) {
    InterlockedExchange(&m_cancel, 1);
    return 0;
}

// --- The core's way in ---------------------------------------------------------

bool CToolFileDialogs::AskPassword(const char* prompt, std::string* password) {
    CPasswordDialog dialog;
    dialog.SetPrompt(prompt ? prompt : "");
    if (dialog.DoModal(GetActiveWindow()) != IDOK)
        return false;
    *password = dialog.password;
    return true;
}

int CToolFileDialogs::AskReplace(const char* source, const char* target, bool copy,
                                 std::string* newName, bool* applyToAll) {
    CReplaceConfirmDialog dialog;
    dialog.source = source;
    dialog.target = target;
    dialog.newName = *newName;
    dialog.copy = copy;
    dialog.sameForAll = *applyToAll ? 1 : 0;
    const int answer = static_cast<int>(dialog.DoModal(GetActiveWindow()));
    if (answer < 0)
        return IDCANCEL;
    *newName = dialog.newName;
    *applyToAll = dialog.sameForAll == 1;
    return answer;
}

int CToolFileDialogs::RunCopyMoveProgress(const char* targetFolder, bool copy,
                                          const std::vector<std::string>& files, int option) {
    if (files.empty())
        return IDOK;
    CCopyMoveProgressDialog dialog;
    dialog.copy = copy;
    dialog.targetFolder = targetFolder ? targetFolder : "";
    dialog.files = files;
    dialog.choice = option;
    const INT_PTR result = dialog.DoModal(GetActiveWindow());
    return result == IDOK ? IDOK : IDCANCEL;
}

bool CToolFileDialogs::BrowseForFolder(HWND owner, const char* title, std::string* folder) {
    return ::BrowseForFolder(owner, title, folder);
}

bool CToolFileDialogs::AskRename(HWND owner, std::string* name) {
    return AskRenameFile(owner, nullptr, name);
}

bool CToolFileDialogs::AskRenameFile(HWND owner, const char* path, std::string* name) {
    CRenameDialog dialog;
    dialog.name = *name;
    dialog.path = path ? path : "";
    if (dialog.DoModal(owner ? owner : GetActiveWindow()) != IDOK)
        return false;
    *name = dialog.name;
    return true;
}
