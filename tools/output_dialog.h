// The Output dialog (324): where and how newly acquired images are stored -
// the save format, the file-name prefix, the first number, the zero padding
// and the target folder.
//
// The caller fills the fields (LoadFrom copies the five output options),
// runs DoModal and, after IDOK, copies them back (StoreTo). Cancel changes
// nothing. OK refuses, keeping the dialog open: an empty or non-numeric
// number (beep, focus), a number out of range ("Value must be between %d and
// %d" under "Failed!"), a prefix with a character that file names cannot
// hold (beep, focus), and a folder that does not exist ("Path does not
// exists!" under "Velmorantix XP", information icon).
#pragma once

#include <windows.h>

#include <string>

#include "resources/resource.h"
#include "ui/dialog.h"

struct CAppOptions;

constexpr int kOutputStartMin = 0;
constexpr int kOutputStartMax = 16959;
constexpr int kOutputPaddingMin = 0;
constexpr int kOutputPaddingMax = 10;
constexpr int kOutputPrefixLimit = 200; // what the box takes; the option holds 259

class COutputDialog : public CDialogImpl<COutputDialog> {
public:
    enum { IDD = IDD_OUTPUT };

    COutputDialog(); // makes sure the up-down control class exists

    int formatId = 7; // index of the save-format table, 1..8
    std::string prefix = "PHOTO";
    int startAt = 1;
    int padding = 0;
    std::string folder;
    std::string currentFolder; // for "Use Current"

    void LoadFrom(const CAppOptions& options);
    void StoreTo(CAppOptions& options) const;

    // Whether "Options..." can open a save-options dialog at all; it then
    // opens the options of the chosen format (JPEG and PNG have some).
    static bool SaveOptionsAvailable() { return true; }

    BEGIN_MSG_MAP(COutputDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_ID_HANDLER(IDC_OUTPUT_BROWSE, OnBrowse)
    COMMAND_ID_HANDLER(IDC_OUTPUT_USE_CURRENT, OnUseCurrent)
    COMMAND_ID_HANDLER(IDC_OUTPUT_OPTIONS, OnSaveOptions)
    COMMAND_HANDLER(IDC_OUTPUT_FORMAT, CBN_SELCHANGE, OnFormatChanged)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnBrowse(WORD, WORD, HWND, BOOL&);
    LRESULT OnUseCurrent(WORD, WORD, HWND, BOOL&);
    LRESULT OnSaveOptions(WORD, WORD, HWND, BOOL&);
    LRESULT OnFormatChanged(WORD, WORD, HWND, BOOL&);
    int SelectedFormatId() const;
    void EnableOptions();
    bool ReadNumber(int id, int low, int high, int* value);
    std::string ItemText(int id) const;
};
