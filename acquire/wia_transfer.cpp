#include "acquire/wia_transfer.h"

#include <commctrl.h>
#include <process.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>

#include "acquire/logic/wia_formats.h"
#include "app/app_globals.h"
#include "app/image_saving.h"
#include "app/logic/output_naming.h"
#include "app/options.h"
#include "imaging/byte_stream.h"
#include "imaging/codecs/bmp_codec.h"
#include "imaging/image_object.h"

// --- CWiaTransferCallback ------------------------------------------------------

CWiaTransferCallback::CWiaTransferCallback(ProgressFn progress, void* context,
                                           int outputFormatIndex, HWND owner)
    : m_progress(progress), m_context(context), m_outputFormatIndex(outputFormatIndex),
      m_owner(owner) {}

CWiaTransferCallback::~CWiaTransferCallback() {
    DeleteTemporaryFile();
}

HRESULT CWiaTransferCallback::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IWiaDataCallback)) {
        *object = static_cast<IWiaDataCallback*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CWiaTransferCallback::AddRef() {
    return static_cast<ULONG>(++m_references);
}

ULONG CWiaTransferCallback::Release() {
    const LONG left = --m_references;
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

void CWiaTransferCallback::Reset() {
    m_total = 0;
    m_received = 0;
    m_writeFailed = false;
    m_written = false;
    DeleteTemporaryFile();
}

bool CWiaTransferCallback::OpenTemporaryFile() {
    DeleteTemporaryFile();
    char folder[MAX_PATH], path[MAX_PATH];
    const DWORD length = ::GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder || !::GetTempFileNameA(folder, "tvq", 0, path))
        return false;
    m_temporaryPath = path;
    m_file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (m_file == INVALID_HANDLE_VALUE) {
        DeleteTemporaryFile();
        return false;
    }
    return true;
}

void CWiaTransferCallback::DeleteTemporaryFile() {
    if (m_file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }
    if (!m_temporaryPath.empty()) {
        ::DeleteFileA(m_temporaryPath.c_str());
        m_temporaryPath.clear();
    }
}

HRESULT CWiaTransferCallback::BandedDataCallback(LONG message, LONG status, LONG percent, LONG,
                                                 LONG length, LONG, LONG, BYTE* buffer) {
    switch (message) {
    case IT_MSG_DATA_HEADER: {
        if (!OpenTemporaryFile())
            return S_FALSE;
        m_total = 0;
        m_received = 0;
        m_writeFailed = false;
        m_written = false;
        WiaFormatId format{};
        if (buffer && length >= static_cast<LONG>(sizeof(WIA_DATA_CALLBACK_HEADER))) {
            const auto* header = reinterpret_cast<const WIA_DATA_CALLBACK_HEADER*>(buffer);
            m_total = header->lBufferSize;
            static_assert(sizeof format == sizeof header->guidFormatID, "a format id is a GUID");
            std::memcpy(&format, &header->guidFormatID, sizeof format);
        }
        const WiaFormatClass kind = ClassifyWiaFormat(format, m_outputFormatIndex);
        m_kind = kind.kind;
        m_extension = kind.extension;
        target.clear();
        if (m_progress && !m_progress(this, m_kind, m_context, message, status, percent)) {
            DeleteTemporaryFile();
            return S_FALSE;
        }
        return S_OK;
    }
    case IT_MSG_DATA:
        if (m_file != INVALID_HANDLE_VALUE && length > 0 && buffer) {
            DWORD done = 0;
            if (!::WriteFile(m_file, buffer, static_cast<DWORD>(length), &done, nullptr) ||
                done != static_cast<DWORD>(length))
                m_writeFailed = true;
            m_received += length;
        }
        return S_OK;
    case IT_MSG_STATUS:
        if (m_progress && !m_progress(this, 0, m_context, message, status, percent)) {
            DeleteTemporaryFile();
            return S_FALSE;
        }
        return S_OK;
    case IT_MSG_TERMINATION:
        if (m_progress && !m_progress(this, 0, m_context, message, status, percent)) {
            DeleteTemporaryFile();
            return S_FALSE;
        }
        Finish();
        DeleteTemporaryFile();
        return S_OK;
    default:
        return S_OK;
    }
}

void CWiaTransferCallback::Finish() {
    if (m_file == INVALID_HANDLE_VALUE || target.empty())
        return;
    if (m_writeFailed || !IsWiaTransferComplete(m_total, m_received)) {
        ::MessageBoxA(m_owner, "The item did not arrive whole and was not saved.", kProductName,
                      MB_OK | MB_ICONERROR);
        return;
    }
    const std::string path = target + m_extension;
    ::CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    if (m_kind == kWiaKindMemoryBitmap) {
        m_written = SaveMemoryBitmap();
        return;
    }
    if (!::MoveFileA(m_temporaryPath.c_str(), path.c_str())) {
        const std::string text = "Cannot write \"" + path + "\".";
        ::MessageBoxA(m_owner, text.c_str(), "Failed!", MB_OK | MB_ICONERROR);
        return;
    }
    m_temporaryPath.clear();
    m_written = true;
}

bool CWiaTransferCallback::SaveMemoryBitmap() {
    HANDLE file = ::CreateFileA(m_temporaryPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool saved = false;
    HANDLE mapping = nullptr;
    if (::GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= 0x7FFFFFFF)
        mapping = ::CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const void* view = mapping ? ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (view) {
        auto* image = new CImageObject;
        CByteStream stream;
        stream.AttachReadOnly(view, static_cast<uint32_t>(size.QuadPart));
        CBmpReader reader;
        const std::string path = target + m_extension;
        if (reader.ReadFromStream(stream, image, false) && path.size() < sizeof image->path) {
            std::memcpy(image->path, path.c_str(), path.size() + 1);
            saved = image_saving::WriteImageFile(path.c_str(), image, false, false, m_owner);
        }
        image->Release();
        ::UnmapViewOfFile(view);
    }
    if (mapping)
        ::CloseHandle(mapping);
    ::CloseHandle(file);
    return saved;
}

// --- CTransferProgressDialog ----------------------------------------------------

CTransferProgressDialog::CTransferProgressDialog(const CAppOptions& options)
    : m_folder(options.outputSettingFilenamePath), m_prefix(options.outputSettingFilenamePrefix),
      m_padding(static_cast<int>(options.outputSettingPaddingZero)),
      m_formatIndex(static_cast<int>(options.outputSettingEncoderType)),
      m_sequence(static_cast<int>(options.outputSettingSequenceStartAt)) {}

CTransferProgressDialog::~CTransferProgressDialog() {
    if (m_thread) {
        ::WaitForSingleObject(m_thread, INFINITE);
        ::CloseHandle(m_thread);
    }
    ReleaseStreamsFrom(0);
}

LRESULT CTransferProgressDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    HWND bar = GetDlgItem(IDC_TRANSFER_PROGRESS);
    ::SendMessageA(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(streams.size()));
    ::SendMessageA(bar, PBM_SETSTEP, 1, 0);
    ::SetDlgItemTextA(m_hWnd, IDC_TRANSFER_STATUS, "");
    m_thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WorkerThread, this, 0, nullptr));
    if (!m_thread)
        EndDialog(IDCANCEL);
    return TRUE;
}

unsigned __stdcall CTransferProgressDialog::WorkerThread(void* self) {
    static_cast<CTransferProgressDialog*>(self)->Work();
    return 0;
}

void CTransferProgressDialog::ReleaseStreamsFrom(size_t first) {
    for (size_t i = first; i < streams.size(); ++i) {
        if (!streams[i])
            continue;
        // The marshalled reference goes with the stream.
        ::CoReleaseMarshalData(streams[i]);
        streams[i]->Release();
        streams[i] = nullptr;
    }
}

bool CTransferProgressDialog::OnProgress(CWiaTransferCallback* callback, int, void* context,
                                         LONG message, LONG, LONG) {
    auto* self = static_cast<CTransferProgressDialog*>(context);
    if (message == IT_MSG_DATA_HEADER) {
        // Only the number is formatted: the folder and the prefix are the
        // user's text.
        callback->target = NextFreeOutputPath(
            self->m_folder, self->m_prefix, self->m_padding, callback->Extension(),
            &self->m_sequence,
            [](const std::string& path) { return ::PathFileExistsA(path.c_str()) != FALSE; });
        if (!callback->target.empty()) {
            // The callback adds the extension when it writes the file.
            callback->target.resize(callback->target.size() - callback->Extension().size());
        }
    }
    // Cancel waits for the present item to end, so no item is left half
    // written; the loop stops before the next one.
    return true;
}

void CTransferProgressDialog::Work() {
    const HRESULT initialised = ::CoInitialize(nullptr);
    auto* callback = new CWiaTransferCallback(OnProgress, this, m_formatIndex, m_hWnd);
    callback->AddRef();
    HWND bar = GetDlgItem(IDC_TRANSFER_PROGRESS);
    const int count = static_cast<int>(streams.size());
    size_t next = 0;
    for (int i = 0; i < count; ++i) {
        char status[96];
        std::snprintf(status, sizeof status, "Transfering file %d of %d...", i + 1, count);
        ::SetDlgItemTextA(m_hWnd, IDC_TRANSFER_STATUS, status);
        ::SendMessageA(bar, PBM_STEPIT, 0, 0);
        if (m_cancel)
            break;
        IStream* stream = streams[static_cast<size_t>(i)];
        streams[static_cast<size_t>(i)] = nullptr;
        next = static_cast<size_t>(i) + 1;
        IWiaItem* item = nullptr;
        if (!stream ||
            FAILED(::CoGetInterfaceAndReleaseStream(stream, IID_IWiaItem,
                                                    reinterpret_cast<void**>(&item))) ||
            !item)
            break;
        IWiaDataTransfer* transfer = nullptr;
        item->QueryInterface(IID_IWiaDataTransfer, reinterpret_cast<void**>(&transfer));
        item->Release();
        if (!transfer)
            continue;
        callback->Reset();
        const int remembered = m_sequence;
        WIA_DATA_TRANSFER_INFO info{};
        info.ulSize = sizeof info;
        info.bDoubleBuffer = TRUE;
        const HRESULT result = transfer->idtGetBandedData(&info, callback);
        transfer->Release();
        if (FAILED(result)) {
            m_sequence = remembered;
            callback->Reset();
            if (::MessageBoxA(m_hWnd, "Transfer item failed.", kProductName,
                              MB_OKCANCEL | MB_ICONERROR) == IDCANCEL)
                break;
            continue;
        }
        if (callback->Written())
            written.push_back(callback->target + callback->Extension());
    }
    ReleaseStreamsFrom(next);
    callback->Release();
    ::SendMessageA(bar, PBM_STEPIT, 0, 0);
    if (SUCCEEDED(initialised))
        ::CoUninitialize();
    ::SendMessageA(m_hWnd, kMsgWorkerEnded, 0, 0);
}

LRESULT CTransferProgressDialog::OnWorkerEnded(UINT, WPARAM, LPARAM, BOOL&) {
    EndDialog(m_cancel ? IDCANCEL : IDOK);
    return 0;
}

LRESULT CTransferProgressDialog::OnCancelButton(WORD, WORD, HWND, BOOL&) {
    ::InterlockedExchange(&m_cancel, 1);
    return 0;
}
