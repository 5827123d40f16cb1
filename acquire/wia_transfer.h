// Copying the chosen items of a WIA device into the output folder.
//
// The explorer lets the user pick a device and its items with the system's
// WIA dialogs, marshals each item into a stream for another apartment, and
// runs CTransferProgressDialog modally over them:
//
//   CTransferProgressDialog dialog(g_applicationState.Options());
//   dialog.streams = streams; // IWiaItem, from CoMarshalInterThreadInterfaceInStream
//   dialog.DoModal(owner);    // IDOK, or IDCANCEL when the user cancelled
//
// The dialog's worker asks each item for its data through the banded-data
// interface; CWiaTransferCallback writes it to a temporary file and, when the
// whole item has arrived, moves it to the next free output name (a memory
// bitmap is decoded and saved in the output format instead). Cancel lets the
// present item finish and stops before the next one. No temporary file
// outlives its item.
#pragma once

#include <windows.h>
#include <wia.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resources/messages.h"
#include "resources/resource.h"
#include "ui/dialog.h"

struct CAppOptions;

// Receives the data of one item at a time. Its reference count is a plain
// integer starting at 0, as the object lives on the one thread that uses it.
class CWiaTransferCallback : public IWiaDataCallback {
public:
    // Told of each header (with the kind of data), status and termination
    // message; false cancels the item. `kind` is 0 except for a header.
    using ProgressFn = bool (*)(CWiaTransferCallback* callback, int kind, void* context,
                                LONG message, LONG status, LONG percent);

    CWiaTransferCallback(ProgressFn progress, void* context, int outputFormatIndex, HWND owner);
    virtual ~CWiaTransferCallback();
    CWiaTransferCallback(const CWiaTransferCallback&) = delete;
    CWiaTransferCallback& operator=(const CWiaTransferCallback&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IWiaDataCallback
    HRESULT STDMETHODCALLTYPE BandedDataCallback(LONG message, LONG status, LONG percent,
                                                 LONG offset, LONG length, LONG reserved,
                                                 LONG reservedLength, BYTE* buffer) override;

    // Forgets the previous item: sizes 0, its temporary file deleted.
    void Reset();

    // Set by the progress callback on the header: where the item goes, with
    // the extension of its kind.
    std::string target;
    const std::string& Extension() const { return m_extension; }
    int Kind() const { return m_kind; }
    // The item that ended last was written to `target`.
    bool Written() const { return m_written; }

private:
    bool OpenTemporaryFile();
    void DeleteTemporaryFile();
    void Finish();
    bool SaveMemoryBitmap();

    LONG m_references = 0;
    ProgressFn m_progress;
    void* m_context;
    int m_outputFormatIndex;
    HWND m_owner;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    std::string m_temporaryPath;
    int64_t m_total = 0;
    int64_t m_received = 0;
    bool m_writeFailed = false;
    bool m_written = false;
    int m_kind = 0;
    std::string m_extension;
};

class CTransferProgressDialog : public CDialogImpl<CTransferProgressDialog> {
public:
    enum { IDD = IDD_TRANSFER_PROGRESS };

    // Takes the output settings (folder, prefix, padding, first number and
    // format) as they are now.
    explicit CTransferProgressDialog(const CAppOptions& options);
    ~CTransferProgressDialog();

    // The items, marshalled for another thread. The worker takes each stream
    // over; those it does not reach are released when it ends.
    std::vector<IStream*> streams;

    // The paths the run wrote, in order (for the caller and for tests).
    std::vector<std::string> written;

    BEGIN_MSG_MAP(CTransferProgressDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(kMsgWorkerEnded, OnWorkerEnded)
    COMMAND_ID_HANDLER(IDC_TRANSFER_CANCEL, OnCancelButton)
    COMMAND_ID_HANDLER(IDOK, OnIgnored)
    COMMAND_ID_HANDLER(IDCANCEL, OnIgnored)
    END_MSG_MAP()

private:
    static unsigned __stdcall WorkerThread(void* self);
    void Work();
    void ReleaseStreamsFrom(size_t first);
    static bool OnProgress(CWiaTransferCallback* callback, int kind, void* context, LONG message,
                           LONG status, LONG percent);
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnWorkerEnded(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCancelButton(WORD, WORD, HWND, BOOL&);
    LRESULT OnIgnored(WORD, WORD, HWND, BOOL&) { return 0; }

    std::string m_folder;
    std::string m_prefix;
    int m_padding = 0;
    int m_formatIndex = 7;
    int m_sequence = 1;
    volatile LONG m_cancel = 0;
    HANDLE m_thread = nullptr;
};
