#include "explorer/folder_tree_watcher.h"

#include <process.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "app/application_state.h"
#include "app/directory_watcher.h"
#include "resources/messages.h"

namespace {

// Waits for a thread while answering the messages other threads send to
// this one: the watcher may be inside SendMessage to the tree right now.
void WaitAnsweringSentMessages(HANDLE thread) {
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1)
            return;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void RootOf(const char* path, char* root) {
    lstrcpynA(root, path, MAX_PATH);
    PathStripToRootA(root);
}

} // namespace

CFolderTreeWatcher::CFolderTreeWatcher() {
    m_nt = g_applicationState.VersionInfo().dwPlatformId == VER_PLATFORM_WIN32_NT;
}

CFolderTreeWatcher::~CFolderTreeWatcher() {
    Shutdown();
}

bool CFolderTreeWatcher::WatchDrive(const char* path) {
    if (!m_nt)
        return true;
    if (!path || !*path)
        return false;
    char root[MAX_PATH];
    RootOf(path, root);
    const int drive = PathGetDriveNumberA(path);
    if (drive == 0 || drive == 1)
        return false;
    switch (GetDriveTypeA(root)) {
    case DRIVE_REMOVABLE:
        return true;
    case DRIVE_REMOTE:
    case DRIVE_CDROM:
        return false;
    default:
        break;
    }
    {
        plat::ScopedLock lock(m_lock);
        for (CFolderTreeWatch* watch : m_watches)
            if (lstrcmpiA(watch->root, root) == 0)
                return true;
    }
    // The application's own watch of the volume starts first, before this
    // tree lists any folder of it: some systems (Wine) give a folder only the
    // kinds of notice that the volume's watches asked for when the folder was
    // first listed, so a later watch of the whole volume would never hear of
    // files being written there, only of names coming and going.
    DirectoryWatcher().WatchVolume(root);
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    HANDLE directory = CreateFileA(
        root, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    SetErrorMode(oldMode);
    if (directory == INVALID_HANDLE_VALUE)
        return false;
    CFolderTreeWatch* watch = new (std::nothrow) CFolderTreeWatch;
    unsigned char* buffer = new (std::nothrow) unsigned char[kFolderTreeWatchBuffer];
    if (!watch || !buffer) {
        delete watch;
        delete[] buffer;
        CloseHandle(directory);
        return false;
    }
    watch->directory = directory;
    watch->buffer = buffer;
    lstrcpynA(watch->root, root, MAX_PATH);
    HANDLE port = CreateIoCompletionPort(directory, m_port, reinterpret_cast<ULONG_PTR>(watch), 0);
    if (!port || !IssueRead(watch)) {
        CloseHandle(directory);
        delete[] buffer;
        delete watch;
        if (port && !m_port)
            m_port = port;
        return false;
    }
    m_port = port;
    plat::ScopedLock lock(m_lock);
    if (m_stopAll) {
        // Watches that begin after a stop-all are stopped at once.
        m_watches.push_back(watch);
        Retire(watch);
    } else {
        m_watches.push_back(watch);
    }
    if (!m_thread)
        m_thread = reinterpret_cast<HANDLE>(
            _beginthreadex(nullptr, 0, &CFolderTreeWatcher::ThreadProc, this, 0, nullptr));
    return true;
}

bool CFolderTreeWatcher::IssueRead(CFolderTreeWatch* watch) {
    std::memset(&watch->overlapped, 0, sizeof watch->overlapped);
    watch->readPending = true;
    if (ReadDirectoryChangesW(watch->directory, watch->buffer, kFolderTreeWatchBuffer, TRUE,
                              kFolderTreeWatchFilter, &watch->bytesReturned, &watch->overlapped,
                              nullptr))
        return true;
    watch->readPending = false;
    return false;
}

void CFolderTreeWatcher::Retire(CFolderTreeWatch* watch) {
    watch->stop = true;
    m_retired.push_back(watch);
    m_watches.erase(std::find(m_watches.begin(), m_watches.end(), watch));
    PostQueuedCompletionStatus(m_port, 0, reinterpret_cast<ULONG_PTR>(watch), nullptr);
}

bool CFolderTreeWatcher::UnwatchDrive(const char* path) {
    if (!m_nt || !path || !*path)
        return false;
    char root[MAX_PATH];
    RootOf(path, root);
    plat::ScopedLock lock(m_lock);
    for (CFolderTreeWatch* watch : m_watches)
        if (lstrcmpiA(watch->root, root) == 0) {
            Retire(watch);
            return true;
        }
    return false;
}

void CFolderTreeWatcher::StopAllWatches() {
    if (!m_nt)
        return;
    m_stopAll = true;
    plat::ScopedLock lock(m_lock);
    while (!m_watches.empty())
        Retire(m_watches.back());
}

size_t CFolderTreeWatcher::WatchCount() {
    plat::ScopedLock lock(m_lock);
    return m_watches.size();
}

void CFolderTreeWatcher::Shutdown() {
    if (!m_port)
        return;
    {
        plat::ScopedLock lock(m_lock);
        while (!m_watches.empty())
            Retire(m_watches.back());
    }
    if (m_thread) {
        PostQueuedCompletionStatus(m_port, 0, 0, nullptr);
        WaitAnsweringSentMessages(m_thread);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    // What the thread left: close the handles, collect the aborted reads'
    // packets, then free the buffers the system no longer writes into.
    std::vector<CFolderTreeWatch*> left;
    {
        plat::ScopedLock lock(m_lock);
        left.swap(m_retired);
    }
    for (CFolderTreeWatch* watch : left)
        if (watch->directory != INVALID_HANDLE_VALUE) {
            CloseHandle(watch->directory);
            watch->directory = INVALID_HANDLE_VALUE;
        }
    for (int tries = 0; tries < 20; ++tries) {
        const bool pending = std::any_of(left.begin(), left.end(),
                                         [](CFolderTreeWatch* w) { return w->readPending.load(); });
        if (!pending)
            break;
        DWORD bytes;
        ULONG_PTR key;
        OVERLAPPED* overlapped = nullptr;
        GetQueuedCompletionStatus(m_port, &bytes, &key, &overlapped, 50);
        if (overlapped && key)
            reinterpret_cast<CFolderTreeWatch*>(key)->readPending = false;
    }
    for (CFolderTreeWatch* watch : left) {
        // A read the system never gave back keeps its buffer: better a leak
        // than a write into freed memory.
        if (!watch->readPending)
            delete[] watch->buffer;
        delete watch;
    }
    CloseHandle(m_port);
    m_port = nullptr;
}

void CFolderTreeWatcher::FreeRetired(CFolderTreeWatch* watch) {
    {
        plat::ScopedLock lock(m_lock);
        auto at = std::find(m_retired.begin(), m_retired.end(), watch);
        if (at == m_retired.end())
            return;
        m_retired.erase(at);
    }
    delete[] watch->buffer;
    delete watch;
}

unsigned __stdcall CFolderTreeWatcher::ThreadProc(void* self) {
    static_cast<CFolderTreeWatcher*>(self)->Run();
    return 0;
}

void CFolderTreeWatcher::Run() {
    for (;;) {
        DWORD bytes = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* overlapped = nullptr;
        const BOOL ok = GetQueuedCompletionStatus(m_port, &bytes, &key, &overlapped, INFINITE);
        if (!ok && !overlapped) {
            // A failed wait: only a port that is gone ends the loop.
            if (GetLastError() == ERROR_INVALID_HANDLE || GetLastError() == ERROR_ABANDONED_WAIT_0)
                return;
            continue;
        }
        if (key == 0)
            return;
        CFolderTreeWatch* watch = reinterpret_cast<CFolderTreeWatch*>(key);
        if (overlapped)
            watch->readPending = false; // this packet is the read's completion
        if (watch->stop) {
            if (!overlapped)
                watch->stopPacketSeen = true;
            if (watch->directory != INVALID_HANDLE_VALUE) {
                CloseHandle(watch->directory); // completes the outstanding read
                watch->directory = INVALID_HANDLE_VALUE;
            }
            // Freed once both its stop packet and its read's end are in.
            if (watch->stopPacketSeen && !watch->readPending)
                FreeRetired(watch);
            continue;
        }
        if (!overlapped)
            continue;
        if (ok && bytes > 0 && !m_stopAll)
            Deliver(watch, bytes);
        if (m_stopAll)
            continue;
        // Also after an overflow (0 bytes) or a failed read: the watch goes on.
        if (!IssueRead(watch)) {
            plat::ScopedLock lock(m_lock);
            if (std::find(m_watches.begin(), m_watches.end(), watch) != m_watches.end())
                Retire(watch);
        }
    }
}

void CFolderTreeWatcher::Deliver(CFolderTreeWatch* watch, DWORD bytes) {
    char oldName[MAX_PATH] = "";
    DWORD offset = 0;
    const DWORD limit = std::min(bytes, kFolderTreeWatchBuffer);
    while (offset + sizeof(FILE_NOTIFY_INFORMATION) <= limit) {
        const FILE_NOTIFY_INFORMATION* info =
            reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(watch->buffer + offset);
        const DWORD nameBytes = info->FileNameLength;
        const DWORD nameOffset = offsetof(FILE_NOTIFY_INFORMATION, FileName);
        if (nameBytes > limit - offset - nameOffset)
            break;
        // The name in a zeroed buffer of 260 UTF-16 characters, then ANSI.
        WCHAR wide[MAX_PATH] = {};
        std::memcpy(wide, info->FileName, std::min<DWORD>(nameBytes, sizeof wide - sizeof(WCHAR)));
        char name[MAX_PATH] = "";
        WideCharToMultiByte(CP_ACP, 0, wide, -1, name, MAX_PATH, nullptr, nullptr);
        char oldPath[MAX_PATH], newPath[MAX_PATH];
        switch (info->Action) {
        case FILE_ACTION_ADDED:
            SendMessageA(m_target, FTM_ITEMADDED, reinterpret_cast<WPARAM>(watch->root),
                         reinterpret_cast<LPARAM>(name));
            break;
        case FILE_ACTION_REMOVED:
            SendMessageA(m_target, FTM_ITEMREMOVED, reinterpret_cast<WPARAM>(watch->root),
                         reinterpret_cast<LPARAM>(name));
            break;
        case FILE_ACTION_RENAMED_OLD_NAME:
            lstrcpynA(oldName, name, MAX_PATH);
            break;
        case FILE_ACTION_RENAMED_NEW_NAME:
            if (PathCombineA(oldPath, watch->root, oldName) &&
                PathCombineA(newPath, watch->root, name))
                SendMessageA(m_target, FTM_ITEMRENAMED, reinterpret_cast<WPARAM>(oldPath),
                             reinterpret_cast<LPARAM>(newPath));
            break;
        default:
            break;
        }
        if (info->NextEntryOffset == 0 || m_stopAll || watch->stop)
            break;
        offset += info->NextEntryOffset;
    }
}
