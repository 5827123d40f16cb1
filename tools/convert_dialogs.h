// Convert: the dialog that asks the format and the output folder, the
// progress that writes every selected file again in that format on a worker
// thread, and the question it asks before it replaces a file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "tools/logic/batch_plan.h"
#include "tools/worker_progress.h"
#include "ui/dialog.h"

// "Convert" (330): the Format list and the Location; both are kept under the
// program's key (ConvertEncoderType, ConvertPath) when OK succeeds.
class CConvertDialog : public CDialogImpl<CConvertDialog> {
public:
    enum { IDD = IDD_CONVERT };

    // In: the folder "Use Current" offers. Out after OK: the save-format
    // index (1..8) and the folder, without a trailing backslash.
    std::string currentFolder;
    int encoderType = batch_plan::kDefaultConvertEncoderType;
    std::string outputFolder;

    BEGIN_MSG_MAP(CConvertDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    COMMAND_ID_HANDLER(IDC_CONVERT_BROWSE, OnBrowse)
    COMMAND_ID_HANDLER(IDC_CONVERT_USE_CURRENT, OnUseCurrent)
    COMMAND_ID_HANDLER(IDC_CONVERT_OPTIONS, OnOptions)
    COMMAND_HANDLER(IDC_CONVERT_FORMAT, CBN_SELCHANGE, OnFormatChange)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnBrowse(WORD, WORD, HWND, BOOL&);
    LRESULT OnUseCurrent(WORD, WORD, HWND, BOOL&);
    LRESULT OnOptions(WORD, WORD, HWND, BOOL&);
    LRESULT OnFormatChange(WORD, WORD, HWND, BOOL&);
    // The encoder type of the selected row; "Options..." follows it.
    void TakeSelectedFormat();
};

// "Confirm File Replace" (332): ends with IDYES, IDC_CONFIRM_REPLACE_YES_TO_ALL,
// IDNO or IDCANCEL.
class CConfirmFileReplaceDialog : public CDialogImpl<CConfirmFileReplaceDialog> {
public:
    enum { IDD = IDD_CONFIRM_FILE_REPLACE };

    std::string fileName;

    BEGIN_MSG_MAP(CConfirmFileReplaceDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDYES, OnAnswer)
    COMMAND_ID_HANDLER(IDC_CONFIRM_REPLACE_YES_TO_ALL, OnAnswer)
    COMMAND_ID_HANDLER(IDNO, OnAnswer)
    COMMAND_ID_HANDLER(IDCANCEL, OnAnswer)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAnswer(WORD, WORD id, HWND, BOOL&) {
        EndDialog(id);
        return 0;
    }
};

// "Converting" (367): "Converting file n of m...". A file whose output
// exists is replaced only after Confirm File Replace (Yes to All holds for
// the rest of this run; Cancel there stops at once). Sources are read only
// once their decode has ended; files that could not be converted are
// reported together at the end.
class CConvertProgressDialog : public CWorkerProgressDialog<CConvertProgressDialog> {
public:
    enum { IDD = IDD_CONVERT_PROGRESS };

    int encoderType = batch_plan::kDefaultConvertEncoderType;
    std::string outputFolder;
    std::vector<std::string> paths;

    std::vector<batch_plan::Failure> failures;
    int written = 0;
    int questions = 0; // how many replace questions were asked

    BEGIN_MSG_MAP(CConvertProgressDialog)
    CHAIN_MSG_MAP(CWorkerProgressDialog<CConvertProgressDialog>)
    END_MSG_MAP()

    void Work();

protected:
    void OnWorkEnded() override;
    int StepCount() const override { return static_cast<int>(paths.size()) + 1; }
};
