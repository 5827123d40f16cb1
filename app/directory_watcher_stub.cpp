#include "app/directory_watcher.h"

bool CDirectoryWatcher::WatchVolume(const char*) {
    return false;
}

CDirectoryWatcher& DirectoryWatcher() {
    static CDirectoryWatcher watcher;
    return watcher;
}
