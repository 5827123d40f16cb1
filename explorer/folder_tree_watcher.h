// The folder tree's directory watcher: the roots of the local fixed drives
// whose folders a tree shows are watched on one I/O completion port and one
// thread per tree, and folders created, removed or renamed by other programs
// reach the tree as FTM_ITEMADDED, FTM_ITEMREMOVED and FTM_ITEMRENAMED, sent
// to it so that it handles them on its own thread while the watcher waits.
//
// It watches only on the Windows NT family; elsewhere every call does
// nothing and reports success where it returns a result.
//
// Ending never hangs: the owner waits for the thread while still answering
// the messages the thread sends it, and every completion packet that carries
// a read (finished, overflowed, failed or aborted) is handled, so a watch
// never goes silent or leaks its buffer.
#pragma once

#include <windows.h>

#include <atomic>
#include <vector>

#include "platform/platform.h"

// Watch record of one drive root.
struct CFolderTreeWatch {
    HANDLE directory = INVALID_HANDLE_VALUE;
    char root[MAX_PATH] = {};
    unsigned char* buffer = nullptr; // kFolderTreeWatchBuffer bytes
    DWORD bytesReturned = 0;
    OVERLAPPED overlapped{};
    std::atomic<bool> stop{false};
    std::atomic<bool> readPending{false};
    bool stopPacketSeen = false; // the watcher thread's own
};

constexpr DWORD kFolderTreeWatchBuffer = 0x40000;
constexpr DWORD kFolderTreeWatchFilter =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_CREATION;

class CFolderTreeWatcher {
public:
    CFolderTreeWatcher();
    ~CFolderTreeWatcher();
    CFolderTreeWatcher(const CFolderTreeWatcher&) = delete;
    CFolderTreeWatcher& operator=(const CFolderTreeWatcher&) = delete;

    // The window that receives the notices (the tree control).
    void SetTarget(HWND target) { m_target = target; }

    // Watches the root of path: false for an empty path, A: and B:, remote
    // and CD drives; true without watching for removable drives; true when
    // the root is already watched or the watch started.
    bool WatchDrive(const char* path);
    // Stops the watch of path's root; false when none matches.
    bool UnwatchDrive(const char* path);
    // Stops every watch, now and for drives watched later.
    void StopAllWatches();
    // Stops every watch and ends the thread (the tree's WM_DESTROY).
    void Shutdown();

    // For tests: the roots watched now.
    size_t WatchCount();
    bool StoppedForGood() const { return m_stopAll; }

private:
    static unsigned __stdcall ThreadProc(void* self);
    void Run();
    bool IssueRead(CFolderTreeWatch* watch);
    void Deliver(CFolderTreeWatch* watch, DWORD bytes);
    void Retire(CFolderTreeWatch* watch); // under the lock
    void FreeRetired(CFolderTreeWatch* watch);

    bool m_nt = false;
    HWND m_target = nullptr;
    HANDLE m_port = nullptr;
    HANDLE m_thread = nullptr;
    std::atomic<bool> m_stopAll{false};
    plat::CriticalSection m_lock;
    std::vector<CFolderTreeWatch*> m_watches; // guarded by m_lock
    std::vector<CFolderTreeWatch*> m_retired; // stopped, not yet freed; guarded by m_lock
};
