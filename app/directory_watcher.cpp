// The directory watcher's records, its thread and its pause event.
//
// A record is freed by the thread alone, once it has seen both the record's
// stop packet and the end of its pending read (closing the handle cancels
// the read, whose completion comes with the record's key). Completion key 0
// ends the thread.
#include "app/directory_watcher.h"

#include <process.h>
#include <shlwapi.h>

#include <cstdlib>
#include <cstring>

#include "app/application_state.h"
#include "app/logic/notify_entries.h"

namespace {
constexpr DWORD kNoticeBufferBytes = 0x40000;
constexpr DWORD kNoticeFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES |
                                FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
constexpr uint32_t kMaxNameChars = MAX_PATH - 1;
constexpr int kMaxFailedReads = 3; // in a row

bool IsNtFamily() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}
} // namespace

struct CDirectoryWatcher::Record {
    HANDLE directory = INVALID_HANDLE_VALUE;
    char root[MAX_PATH] = {};
    // DWORD elements: the system wants the buffer aligned to 4 bytes.
    std::vector<DWORD> buffer = std::vector<DWORD>(kNoticeBufferBytes / sizeof(DWORD));
    OVERLAPPED overlapped{};
    bool stop = false;
    bool pending = false;        // a read is outstanding
    bool stopPacketSeen = false; // the thread has taken the stop packet
    int failures = 0;            // reads that ended with an error, in a row
    // A rename's halves can come in two reads; only the watcher's thread
    // touches this.
    CRenamePairing renames;
};

CDirectoryWatcher::CDirectoryWatcher() {
    m_enabled = IsNtFamily();
    if (!m_enabled)
        return;
    m_pauseEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    const char* each = std::getenv("VXP_WATCH_EACH_FOLDER");
    m_eachFolder = each && std::strcmp(each, "1") == 0;
}

CDirectoryWatcher::~CDirectoryWatcher() {
    Shutdown();
    if (m_pauseEvent)
        CloseHandle(m_pauseEvent);
}

bool CDirectoryWatcher::Arm(Record* record) {
    record->overlapped = OVERLAPPED{};
    record->pending =
        ReadDirectoryChangesW(record->directory, record->buffer.data(), kNoticeBufferBytes,
                              m_eachFolder ? FALSE : TRUE, kNoticeFilter, nullptr,
                              &record->overlapped, nullptr) != FALSE;
    return record->pending;
}

bool CDirectoryWatcher::WatchVolume(const char* path) {
    if (!path || !*path)
        return false;
    if (!m_enabled)
        return true;
    char root[MAX_PATH];
    lstrcpynA(root, path, MAX_PATH);
    if (m_eachFolder)
        PathRemoveBackslashA(root);
    else if (!PathStripToRootA(root))
        return false;
    plat::ScopedLock guard(m_lock);
    for (Record* record : m_records)
        if (lstrcmpiA(record->root, root) == 0)
            return true;
    HANDLE directory = CreateFileA(
        root, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (directory == INVALID_HANDLE_VALUE)
        return false;
    Record* record = new (std::nothrow) Record;
    if (!record) {
        CloseHandle(directory);
        return false;
    }
    record->directory = directory;
    lstrcpynA(record->root, root, MAX_PATH);
    HANDLE port = CreateIoCompletionPort(directory, m_port, reinterpret_cast<ULONG_PTR>(record), 0);
    if (!port) {
        CloseHandle(directory);
        delete record;
        return false;
    }
    m_port = port;
    if (!Arm(record)) {
        // No read, no completion: nothing will ever reach this record.
        CloseHandle(directory);
        delete record;
        return false;
    }
    m_records.push_back(record);
    if (!m_thread) {
        m_thread =
            reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadProc, this, 0, nullptr));
    }
    return true;
}

void CDirectoryWatcher::StopLocked(size_t index) {
    Record* record = m_records[index];
    record->stop = true;
    PostQueuedCompletionStatus(m_port, 0, reinterpret_cast<ULONG_PTR>(record), nullptr);
    m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(index));
}

bool CDirectoryWatcher::StopWatching(const char* root) {
    if (!root || !*root || !m_enabled)
        return false;
    plat::ScopedLock guard(m_lock);
    for (size_t i = 0; i < m_records.size(); ++i) {
        if (lstrcmpiA(m_records[i]->root, root) == 0) {
            StopLocked(i);
            return true;
        }
    }
    return false;
}

void CDirectoryWatcher::Shutdown() {
    if (!m_enabled)
        return;
    {
        plat::ScopedLock guard(m_lock);
        while (!m_records.empty())
            StopLocked(m_records.size() - 1);
    }
    if (m_port)
        PostQueuedCompletionStatus(m_port, 0, 0, nullptr);
    if (m_thread) {
        // The thread may be sending a change message to a window of this
        // thread: handle sent messages while waiting, or both would wait on
        // each other.
        for (;;) {
            const DWORD woke =
                MsgWaitForMultipleObjects(1, &m_thread, FALSE, INFINITE, QS_SENDMESSAGE);
            if (woke != WAIT_OBJECT_0 + 1)
                break;
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    // Records whose cancelled reads had not come back stay allocated: their
    // buffers may still be written by the system until the process ends.
    if (m_port) {
        CloseHandle(m_port);
        m_port = nullptr;
    }
    // A watcher that was shut down is gone for good: a late call does nothing.
    m_enabled = false;
}

void CDirectoryWatcher::Pause() {
    if (!m_pauseEvent)
        return;
    plat::ScopedLock guard(m_lock);
    if (m_pauseCount++ == 0)
        ResetEvent(m_pauseEvent);
}

void CDirectoryWatcher::Resume() {
    if (!m_pauseEvent)
        return;
    plat::ScopedLock guard(m_lock);
    if (m_pauseCount > 0 && --m_pauseCount == 0)
        SetEvent(m_pauseEvent);
}

size_t CDirectoryWatcher::WatchCount() {
    plat::ScopedLock guard(m_lock);
    return m_records.size();
}

unsigned __stdcall CDirectoryWatcher::ThreadProc(void* self) {
    static_cast<CDirectoryWatcher*>(self)->Run();
    return 0;
}

void CDirectoryWatcher::Run() {
    for (;;) {
        DWORD bytes = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* overlapped = nullptr;
        const BOOL ok = GetQueuedCompletionStatus(m_port, &bytes, &key, &overlapped, INFINITE);
        if (!ok && !overlapped)
            return; // the port itself failed (closed)
        if (key == 0)
            return;
        Record* record = reinterpret_cast<Record*>(key);
        if (overlapped)
            record->pending = false;
        else
            record->stopPacketSeen = true;
        if (record->stop) {
            if (record->directory != INVALID_HANDLE_VALUE) {
                CloseHandle(record->directory); // cancels a pending read
                record->directory = INVALID_HANDLE_VALUE;
            }
            if (record->stopPacketSeen && !record->pending)
                delete record;
            continue;
        }
        if (!overlapped)
            continue;
        if (!ok) {
            // The read ended with an error (the system found its notices
            // unusable, or dropped them): what changed meanwhile is unknown,
            // so the batch counts as lost and the watch goes on. A root whose
            // reads keep failing (a volume that went away) is given up
            // rather than re-read in a loop.
            if (++record->failures > kMaxFailedReads)
                Retire(record);
            else
                Handle(record, 0);
            continue;
        }
        record->failures = 0;
        Handle(record, bytes);
    }
}

void CDirectoryWatcher::Retire(Record* record) {
    // A watch whose read cannot be issued again hears nothing more: it
    // leaves the list, so that the next list of the volume makes a fresh one,
    // and is freed through the stop protocol like any other.
    plat::ScopedLock guard(m_lock);
    for (size_t i = 0; i < m_records.size(); ++i)
        if (m_records[i] == record) {
            StopLocked(i);
            return;
        }
}

void CDirectoryWatcher::Handle(Record* record, DWORD bytes) {
    // Take the batch out of the buffer and re-arm at once, so that changes
    // made while this batch waits for the pause event are not lost.
    const DWORD taken = bytes > kNoticeBufferBytes ? 0 : bytes;
    std::vector<uint8_t> batch(reinterpret_cast<const uint8_t*>(record->buffer.data()),
                               reinterpret_cast<const uint8_t*>(record->buffer.data()) + taken);
    char root[MAX_PATH];
    lstrcpynA(root, record->root, MAX_PATH);
    const bool armed = Arm(record);

    WaitForSingleObject(m_pauseEvent, INFINITE);
    if (taken == 0 || !armed) {
        // The batch was lost (the system's buffer overflowed, or it found
        // nothing it could hand over although it woke the read), or no
        // further read can be issued: the lists of folders on this volume
        // are read again instead, and an old rename half waiting for its new
        // half pairs with nothing any more.
        record->renames.Forget();
        g_applicationState.RefreshFolderListsUnder(root);
        if (!armed)
            Retire(record);
        return;
    }
    ForEachNotifyEntry(
        batch.data(), taken, kMaxNameChars,
        [&](uint32_t action, const uint16_t* name, uint32_t chars) {
            wchar_t wide[MAX_PATH] = {};
            std::memcpy(wide, name, chars * sizeof(wchar_t));
            char relative[MAX_PATH] = "";
            if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, relative, MAX_PATH, nullptr, nullptr))
                return;
            char full[MAX_PATH];
            lstrcpynA(full, root, MAX_PATH);
            if (!PathAppendA(full, relative))
                return;
            char file[MAX_PATH];
            lstrcpynA(file, PathFindFileNameA(full), MAX_PATH);
            char folder[MAX_PATH];
            lstrcpynA(folder, full, MAX_PATH);
            PathRemoveFileSpecA(folder);
            switch (action) {
            case kNotifyAdded:
                g_applicationState.OnFileAdded(0, folder, file);
                break;
            case kNotifyRemoved:
                g_applicationState.OnFileRemoved(folder, file);
                break;
            case kNotifyModified:
                g_applicationState.OnFileModified(folder, file);
                break;
            case kNotifyRenamedOld:
                record->renames.Old(folder, file);
                break;
            case kNotifyRenamedNew: {
                std::string oldName;
                if (record->renames.New(folder, &oldName))
                    g_applicationState.OnFileRenamed(folder, oldName.c_str(), file);
                break;
            }
            default:
                break;
            }
        });
}

CDirectoryWatcher& DirectoryWatcher() {
    return g_applicationState.Watcher();
}
