// E-mailing pictures through Simple MAPI: the "E-Mail Pictures" dialog (366)
// asks whether and how far to shrink them, and the job hands the mail
// program one new message, with no recipients, that carries every file (or
// its smaller copy) as an attachment for the user to address and send.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/dialog.h"

class CStringList;

constexpr int kEmailSizeMin = 1;
constexpr int kEmailSizeMax = 9999;

// The size choices of the "Size:" list; the last one is "Custom".
struct EmailSizeChoice {
    const char* label;
    int width;
    int height;
};
extern const EmailSizeChoice kEmailSizeChoices[4];

// The four remembered values (HKCU, program key), read when the dialog
// opens and written when it closes with OK.
struct EmailSettings {
    int resize = 0; // 0 make smaller, 1 keep the files
    int sizeChoice = 0;
    int customWidth = 1280;
    int customHeight = 1024;

    void Load();
    void Store() const;
};

class CEmailPicturesDialog : public CDialogImpl<CEmailPicturesDialog> {
public:
    enum { IDD = IDD_EMAIL_PICTURES };

    int imageCount = 0;
    EmailSettings settings;
    // After IDOK: the size to fit the pictures into.
    int targetWidth = 0;
    int targetHeight = 0;

    BEGIN_MSG_MAP(CEmailPicturesDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_ID_HANDLER(IDC_EMAIL_YES, OnChoice)
    COMMAND_ID_HANDLER(IDC_EMAIL_NO, OnChoice)
    COMMAND_HANDLER(IDC_EMAIL_SIZE, CBN_SELCHANGE, OnChoice)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnChoice(WORD, WORD, HWND, BOOL&);
    void UpdateEnabling();
    bool ReadSize(int id, int* value);
};

// The whole job on the calling thread: files are full paths, in order.
void EmailPictures(const std::vector<std::string>& files);

// Starts the job on a thread of its own, which takes over the heap-allocated
// list; with wait, returns when the job has ended. False when the thread
// could not be made (the list is freed then).
bool StartEmailPictures(CStringList* files, bool wait);
