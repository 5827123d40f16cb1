// The shape that the batch and Convert progress dialogs share: a status
// text, a bar stepped once per file and a Cancel button that only raises a
// flag, with the files done on a worker thread. Enter and Esc are ignored
// while it runs. The worker's questions and messages are shown on the
// user-interface thread, owned by the dialog; its end is sent as
// kMsgWorkerEnded, on which the dialog ends with IDCANCEL after Cancel,
// else IDOK.
//
// T provides `void Work()` (run on the worker) and may override
// `void OnWorkEnded()` (run on the user-interface thread before the end).
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <process.h>

#include <atomic>
#include <functional>
#include <string>

#include "resources/messages.h"
#include "resources/resource.h"
#include "ui/dialog.h"

#ifdef VXP_TEST_HOOKS
// Test builds only: called on the worker after each file it has finished
// (1-based count), with the progress dialog, before the next file's cancel
// check. Null removes it.
using WorkerItemObserver = void (*)(HWND dialog, int finished);
void SetWorkerItemObserver(WorkerItemObserver observer);
void NotifyWorkerItemObserver(HWND dialog, int finished);
#endif

template <class T> class CWorkerProgressDialog : public CDialogImpl<T> {
public:
    ~CWorkerProgressDialog() override {
        // The worker's last act is the send that ended the dialog.
        if (m_worker) {
            ::WaitForSingleObject(m_worker, INFINITE);
            ::CloseHandle(m_worker);
        }
    }

    // Set by the user-interface thread, read by the worker before each file.
    std::atomic<bool> cancel{false};

    BEGIN_MSG_MAP(CWorkerProgressDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(kMsgWorkerEnded, OnWorkerEnded)
    MESSAGE_HANDLER(kMsgWorkerAsk, OnWorkerAsk)
    COMMAND_ID_HANDLER(IDC_TRANSFER_CANCEL, OnCancelButton)
    COMMAND_ID_HANDLER(IDOK, OnIgnored)
    COMMAND_ID_HANDLER(IDCANCEL, OnIgnored)
    END_MSG_MAP()

protected:
    // Worker side.
    void Status(const std::string& text) {
        ::SendDlgItemMessageA(this->m_hWnd, IDC_TRANSFER_STATUS, WM_SETTEXT, 0,
                              reinterpret_cast<LPARAM>(text.c_str()));
    }
    void Step() { ::SendDlgItemMessageA(this->m_hWnd, IDC_TRANSFER_PROGRESS, PBM_STEPIT, 0, 0); }
    // Runs `ask` on the user-interface thread with the dialog as owner and
    // hands back its answer.
    int Ask(const std::function<int(HWND)>& ask) {
        Question question{&ask, 0};
        ::SendMessageA(this->m_hWnd, kMsgWorkerAsk, 0, reinterpret_cast<LPARAM>(&question));
        return question.answer;
    }
    void FileFinished(int finished) {
#ifdef VXP_TEST_HOOKS
        NotifyWorkerItemObserver(this->m_hWnd, finished);
#else
        (void)finished;
#endif
    }

    // User-interface side, before the dialog ends.
    virtual void OnWorkEnded() {}
    // The number of steps of the bar: one per file and one at the end.
    virtual int StepCount() const = 0;

private:
    struct Question {
        const std::function<int(HWND)>* ask;
        int answer;
    };

    static unsigned __stdcall WorkerThread(void* self) {
        T* dialog = static_cast<T*>(self);
        dialog->Work();
        ::SendMessageA(dialog->m_hWnd, kMsgWorkerEnded, 0, 0);
        return 0;
    }

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
        ::SendDlgItemMessageA(this->m_hWnd, IDC_TRANSFER_PROGRESS, PBM_SETRANGE32, 0, StepCount());
        ::SendDlgItemMessageA(this->m_hWnd, IDC_TRANSFER_PROGRESS, PBM_SETSTEP, 1, 0);
        const uintptr_t thread = _beginthreadex(nullptr, 0, WorkerThread, this, 0, nullptr);
        m_worker = reinterpret_cast<HANDLE>(thread);
        if (!m_worker)
            ::PostMessageA(this->m_hWnd, kMsgWorkerEnded, 0, 0);
        return TRUE;
    }
    LRESULT OnWorkerEnded(UINT, WPARAM, LPARAM, BOOL&) {
        // The worker waits in its send until this returns.
        OnWorkEnded();
        this->EndDialog(cancel ? IDCANCEL : IDOK);
        return 0;
    }
    LRESULT OnWorkerAsk(UINT, WPARAM, LPARAM lParam, BOOL&) {
        auto* question = reinterpret_cast<Question*>(lParam);
        if (question && question->ask)
            question->answer = (*question->ask)(this->m_hWnd);
        return 0;
    }
    LRESULT OnCancelButton(WORD, WORD, HWND, BOOL&) {
        cancel = true;
        return 0;
    }
    LRESULT OnIgnored(WORD, WORD, HWND, BOOL&) {
        return 0;
    }

    HANDLE m_worker = nullptr;
};
