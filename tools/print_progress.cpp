#include "tools/print_progress.h"

#include <commctrl.h>
#include <process.h>

#include <cstdio>

#include "tools/print_preview.h"

#ifdef VXP_TEST_HOOKS
namespace {
PrintPageObserver g_pageObserver = nullptr;
}
void SetPrintPageObserver(PrintPageObserver observer) {
    g_pageObserver = observer;
}
#endif

LRESULT CPrintProgressDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    ::SendDlgItemMessageA(m_hWnd, IDC_PRINT_PROGRESS_BAR, PBM_SETSTEP, 1, 0);
    SetDlgItemText(IDC_PRINT_PROGRESS_STATUS, "Printing...");
    const uintptr_t thread = _beginthreadex(nullptr, 0, WorkerThread, this, 0, nullptr);
    worker = reinterpret_cast<HANDLE>(thread);
    if (!worker) {
        failed = true;
        ::PostMessageA(m_hWnd, kMsgWorkerEnded, 0, 0);
    }
    return TRUE;
}

unsigned __stdcall CPrintProgressDialog::WorkerThread(void* dialog) {
    static_cast<CPrintProgressDialog*>(dialog)->Work();
    return 0;
}

void CPrintProgressDialog::Status(const char* text) {
    ::SendDlgItemMessageA(m_hWnd, IDC_PRINT_PROGRESS_STATUS, WM_SETTEXT, 0, (LPARAM)text);
}

void CPrintProgressDialog::Step() {
    ::SendDlgItemMessageA(m_hWnd, IDC_PRINT_PROGRESS_BAR, PBM_STEPIT, 0, 0);
}

void CPrintProgressDialog::Work() {
    const int pages = lastPage - firstPage + 1;
    const long long total = pages > 0 && copies > 0 ? 1LL * pages * copies : 0;
    ::SendDlgItemMessageA(m_hWnd, IDC_PRINT_PROGRESS_BAR, PBM_SETRANGE32, 0, (LPARAM)(total + 1));
    Step();
    HDC dc = preview ? preview->PrinterDC() : nullptr;
    DOCINFOA doc = {};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = "Velmorantix XP";
    if (!dc || ::StartDocA(dc, &doc) <= 0) {
        failed = true;
    } else {
        bool ended = false;
        long long running = 0;
        for (int copy = 0; copy < copies && !ended; ++copy) {
            for (int page = firstPage; page <= lastPage; ++page) {
                char text[96];
                std::snprintf(text, sizeof(text), "Printing page %lld of %lld...", ++running,
                              total);
                Status(text);
                Step();
#ifdef VXP_TEST_HOOKS
                if (g_pageObserver)
                    g_pageObserver(this, static_cast<int>(running), page);
#endif
                if (cancel) {
                    ::AbortDoc(dc);
                    ended = true;
                    break;
                }
                if (::StartPage(dc) <= 0) {
                    // The printer refused the page: what was spooled goes out,
                    // and the run counts as failed.
                    ::EndDoc(dc);
                    failed = true;
                    ended = true;
                    break;
                }
                preview->DrawPage(dc, true, page);
                if (::EndPage(dc) <= 0) {
                    ::AbortDoc(dc);
                    failed = true;
                    ended = true;
                    break;
                }
            }
        }
        if (!ended) {
            if (cancel)
                ::AbortDoc(dc);
            else if (::EndDoc(dc) <= 0)
                failed = true;
        }
    }
    Step();
    ::SendMessageA(m_hWnd, kMsgWorkerEnded, 0, 0);
}

CPrintProgressDialog::~CPrintProgressDialog() {
    // The worker's last act is the send that ended the dialog.
    if (worker) {
        ::WaitForSingleObject(worker, INFINITE);
        ::CloseHandle(worker);
    }
}

LRESULT CPrintProgressDialog::OnWorkerEnded(UINT, WPARAM, LPARAM, BOOL&) {
    // The worker waits in its send until this returns.
    if (cancel) {
        EndDialog(IDCANCEL);
    } else if (failed) {
        ::MessageBoxA(m_hWnd, "Printing failed", "Velmorantix XP", MB_OK | MB_ICONERROR);
        EndDialog(IDABORT);
    } else {
        EndDialog(IDOK);
    }
    return 0;
}

LRESULT CPrintProgressDialog::OnCancel(WORD, WORD, HWND, BOOL&) {
    cancel = true;
    return 0;
}
