// The dialogs of the file operations: the Password dialog (378), the
// Replace Confirmation dialog (214) and the copy and move progress (364),
// and the IFileDialogs through which the application core runs them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/window_hosts.h"
#include "resources/resource.h"
#include "ui/dialog.h"
#include "viewer/image_view.h"

constexpr int kMaxPasswordLength = 254;

// Asks the password of a protected zip entry. OK is enabled only while the
// password is not empty; a password longer than kMaxPasswordLength beeps
// and keeps the dialog open.
class CPasswordDialog : public CDialogImpl<CPasswordDialog> {
public:
    enum { IDD = IDD_PASSWORD };

    // Cut to fit: an entry name may be as long as a path.
    void SetPrompt(const std::string& text);
    const std::string& Prompt() const { return m_prompt; }
    std::string password; // in: shown at opening; out after IDOK

    BEGIN_MSG_MAP(CPasswordDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_HANDLER(IDC_PASSWORD_EDIT, EN_UPDATE, OnEditUpdate)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEditUpdate(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    // The edit's text, false (with a beep) when it is too long.
    bool ReadPassword();

    std::string m_prompt;
};

// Both pictures side by side (left the existing target, right the source)
// with their location, size, dimensions and last change, and the answers
// Rename (1022), Delete (1027), Replace (1028), Skip (3) and Cancel (2).
class CReplaceConfirmDialog : public CDialogImpl<CReplaceConfirmDialog> {
public:
    enum { IDD = IDD_REPLACE_CONFIRM };

    std::string source;
    std::string target;
    std::string newName; // in: the proposed name; out after Rename: the full new path
    int sameForAll = 0;  // in and out; values other than 1 open as 0
    bool copy = true;

    BEGIN_MSG_MAP(CReplaceConfirmDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDC_REPLACE_RENAME, OnRename)
    COMMAND_ID_HANDLER(IDC_REPLACE_DELETE, OnAnswer)
    COMMAND_ID_HANDLER(IDC_REPLACE_REPLACE, OnAnswer)
    COMMAND_ID_HANDLER(IDC_REPLACE_SKIP, OnAnswer)
    COMMAND_ID_HANDLER(IDCANCEL, OnAnswer)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRename(WORD, WORD, HWND, BOOL&);
    LRESULT OnAnswer(WORD, WORD id, HWND, BOOL&);
    void ShowSide(const std::string& path, int frame, int location, int size, int dimensions,
                  int modified, CImageView* view);
    void ReadAnswers();

    CImageView m_views[2];
};

// Copies or moves the files into the folder on a worker thread, one at a
// time through the core's CopyOrMoveFile, with "Copying file n of m..."
// and a bar. Cancel (or Cancel in a Replace Confirmation) stops the run
// after the present file; the dialog then ends with IDCANCEL, else IDOK.
class CCopyMoveProgressDialog : public CDialogImpl<CCopyMoveProgressDialog> {
public:
    enum { IDD = IDD_COPY_MOVE_PROGRESS };

    ~CCopyMoveProgressDialog();

    bool copy = true;
    std::string targetFolder;
    std::vector<std::string> files;
    int choice = 0; // a same-for-all answer remembered across the files

    BEGIN_MSG_MAP(CCopyMoveProgressDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(kMsgWorkerEnded, OnWorkerEnded)
    COMMAND_ID_HANDLER(IDC_COPY_MOVE_CANCEL, OnCancelButton)
    COMMAND_ID_HANDLER(IDOK, OnIgnored)
    COMMAND_ID_HANDLER(IDCANCEL, OnIgnored)
    END_MSG_MAP()

    // For tests: whether the run was cancelled.
    bool Cancelled() const { return m_cancel != 0; }

private:
    static unsigned __stdcall WorkerThread(void* self);
    void Work();
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnWorkerEnded(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCancelButton(WORD, WORD, HWND, BOOL&);
    LRESULT OnIgnored(WORD, WORD, HWND, BOOL&) { return 0; }

    volatile LONG m_cancel = 0;
    HANDLE m_thread = nullptr;
};

// The core's way to these dialogs (registered by the program's top).
class CToolFileDialogs : public IFileDialogs {
public:
    bool AskPassword(const char* prompt, std::string* password) override;
    int AskReplace(const char* source, const char* target, bool copy, std::string* newName,
                   bool* applyToAll) override;
    int RunCopyMoveProgress(const char* targetFolder, bool copy,
                            const std::vector<std::string>& files, int option) override;
    bool BrowseForFolder(HWND owner, const char* title, std::string* folder) override;
    bool AskRename(HWND owner, std::string* name) override;
    bool AskRenameFile(HWND owner, const char* path, std::string* name) override;
};
