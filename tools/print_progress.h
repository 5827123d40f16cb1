// The printing progress dialog (359, "Printing"): prints pages first..last,
// copies times collated, on a worker thread while it shows the page being
// printed. Ends with IDOK when every page went out, IDCANCEL when the user
// cancelled (the document is aborted), IDABORT when the printer refused the
// document or a page ("Printing failed" was shown).
#pragma once

#include <windows.h>

#include <atomic>

#include "resources/messages.h"
#include "resources/resource.h"
#include "ui/dialog.h"

class CPrintPreviewCtrl;
class CPrintProgressDialog;

#ifdef VXP_TEST_HOOKS
// Test builds only. Called on the worker before each page, with the running
// page number (from 1 over all copies) and the page itself, before the
// cancel flag is read; null removes it.
using PrintPageObserver = void (*)(CPrintProgressDialog* dialog, int running, int page);
void SetPrintPageObserver(PrintPageObserver observer);
#endif

class CPrintProgressDialog : public CDialogImpl<CPrintProgressDialog> {
public:
    enum { IDD = IDD_PRINT_PROGRESS };

    CPrintProgressDialog() = default;
    ~CPrintProgressDialog() override;

    int firstPage = 1;
    int lastPage = 1;
    int copies = 1;
    CPrintPreviewCtrl* preview = nullptr;

    // Set by the user-interface thread, read by the worker between pages.
    std::atomic<bool> cancel{false};

    BEGIN_MSG_MAP(CPrintProgressDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(kMsgWorkerEnded, OnWorkerEnded)
    COMMAND_ID_HANDLER(IDC_PRINT_PROGRESS_CANCEL, OnCancel)
    COMMAND_ID_HANDLER(IDOK, OnIgnore)
    COMMAND_ID_HANDLER(IDCANCEL, OnIgnore)
    END_MSG_MAP()

    // The worker's procedure; public for _beginthreadex.
    static unsigned __stdcall WorkerThread(void* dialog);

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnWorkerEnded(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnIgnore(WORD, WORD, HWND, BOOL&) { return 0; }
    void Work();
    void Status(const char* text);
    void Step();

    HANDLE worker = nullptr;
    bool failed = false; // written by the worker before it reports
};
