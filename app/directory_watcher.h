// The directory watcher that keeps cached folder lists up to date with
// changes made outside the program. Until it exists, no volume is watched:
// folder lists work without updates from outside.
#pragma once

class CDirectoryWatcher {
public:
    // True when the path's volume is watched. For now always false.
    bool WatchVolume(const char* path);
};

// The one watcher of the process.
CDirectoryWatcher& DirectoryWatcher();
