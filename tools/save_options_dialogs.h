// The dialogs around saving: JPEG Options and PNG Options edit the writers'
// options in memory (saved with all the other options), and Save Images asks
// where the results of a command on several images go.
#pragma once

#include <windows.h>

#include <string>

#include "resources/resource.h"
#include "tools/logic/save_options.h"
#include "ui/dialog.h"

class CJpegOptionsDialog : public CDialogImpl<CJpegOptionsDialog> {
public:
    enum { IDD = IDD_JPEG_OPTIONS };

    // What the controls show; read from the options at opening.
    tools_logic::JpegDialogValues values;

    BEGIN_MSG_MAP(CJpegOptionsDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_HSCROLL, OnHScroll)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_ID_HANDLER(IDC_JPEG_DEFAULTS, OnRestoreDefaults)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHScroll(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnRestoreDefaults(WORD, WORD, HWND, BOOL&);
    void ShowValues();
};

class CPngOptionsDialog : public CDialogImpl<CPngOptionsDialog> {
public:
    enum { IDD = IDD_PNG_OPTIONS };

    BEGIN_MSG_MAP(CPngOptionsDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
};

// Runs the options dialog of a file type that has one (JPEG, PNG); true on
// OK and for a type without options. The save flow's asker.
bool AskImageSaveOptions(HWND owner, int fileType);

// Save Images keeps its choice and folder in the registry values
// "SaveImagesSelection" and "SaveImagesPath"; "always replace" is asked anew
// each time.
class CSaveImagesDialog : public CDialogImpl<CSaveImagesDialog> {
public:
    enum { IDD = IDD_SAVE_IMAGES };

    std::string currentFolder; // in: what Use Current puts into the folder edit
    // After IDOK: the choice (tools_logic::kSaveReplace..kSaveToFolder), the
    // folder without a trailing backslash, and the always-replace box.
    int selection = tools_logic::kSaveReplace;
    std::string folder;
    bool alwaysReplace = false;

    BEGIN_MSG_MAP(CSaveImagesDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_ID_HANDLER(IDC_SAVE_IMAGES_BROWSE, OnBrowse)
    COMMAND_ID_HANDLER(IDC_SAVE_IMAGES_USE_CURRENT, OnUseCurrent)
    COMMAND_RANGE_HANDLER(IDC_SAVE_IMAGES_REPLACE, IDC_SAVE_IMAGES_FOLDER, OnChoice)
    COMMAND_ID_HANDLER(IDC_SAVE_IMAGES_ALWAYS_REPLACE, OnChoice)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnBrowse(WORD, WORD, HWND, BOOL&);
    LRESULT OnUseCurrent(WORD, WORD, HWND, BOOL&);
    LRESULT OnChoice(WORD, WORD, HWND, BOOL&);
    int CheckedChoice() const;
    void ApplyEnabling();
};
