// The directory watcher: keeps the cached lists, the image cache and the
// windows in step with changes that other programs make on disk.
//
// It watches whole volumes: each volume on which a folder list was built
// gets one watch of its root with the subtree, and one thread takes the
// notices of every watch from one I/O completion port and hands each change
// to the application's change notices (file added, removed, modified,
// renamed). The program's own file operations pause it (Pause/Resume), so
// that each of their changes is announced once, by the operation itself.
//
// Some systems report sub-folder changes only for the watched folder itself;
// with the environment variable VXP_WATCH_EACH_FOLDER=1 each listed folder
// gets a watch of its own instead (on the same port and thread).
//
// Exists on the Windows NT family only; elsewhere every call does nothing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/platform.h"

class CDirectoryWatcher {
public:
    CDirectoryWatcher();
    ~CDirectoryWatcher();
    CDirectoryWatcher(const CDirectoryWatcher&) = delete;
    CDirectoryWatcher& operator=(const CDirectoryWatcher&) = delete;

    // True when the path's volume (or, in the per-folder mode, the folder)
    // is watched, or when the platform has no watcher.
    bool WatchVolume(const char* path);
    // Stops the watch of that root; false when none was found.
    bool StopWatching(const char* root);
    // Stops every watch, ends the thread and waits for it. Safe to call
    // from the user-interface thread: sent messages are handled meanwhile,
    // so a notice that the thread is delivering cannot deadlock the wait.
    void Shutdown();

    // The pause event: reset while the program's own file operations work.
    // Pauses nest; the event is set again when the last one resumes.
    void Pause();
    void Resume();
    HANDLE PauseEvent() const { return m_pauseEvent; }

    // How many watches exist (for tests and diagnostics).
    size_t WatchCount();
    bool Exists() const { return m_enabled; }

private:
    struct Record;
    static unsigned __stdcall ThreadProc(void* self);
    void Run();
    void Handle(Record* record, DWORD bytes);
    bool Arm(Record* record);
    void Retire(Record* record);
    void StopLocked(size_t index);

    bool m_enabled = false;
    bool m_eachFolder = false;
    HANDLE m_port = nullptr;
    HANDLE m_thread = nullptr;
    HANDLE m_pauseEvent = nullptr;
    plat::CriticalSection m_lock; // guards m_records and m_pauseCount
    std::vector<Record*> m_records;
    int m_pauseCount = 0;
};

// The one watcher of the process (the application object's).
CDirectoryWatcher& DirectoryWatcher();
