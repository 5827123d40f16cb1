// The temporary folder of an opened zip archive: the open archive and the
// folder into which its entries are extracted on demand, shared by every
// archive list of that archive (each holds one reference).
//
// The folder is "<temporary folder><archive file name><n>" for the first n
// that is free, made at once so that two archives with the same file name
// never share one. At the last release it is deleted with everything in it,
// but only when it lies inside the system's temporary folder and was made by
// this object.
#pragma once

#include <string>

#include "platform/platform.h"
#include "zip/zip_archive.h"

class CArchiveTempFolder {
public:
    CArchiveTempFolder() = default;
    CArchiveTempFolder(const CArchiveTempFolder&) = delete;
    CArchiveTempFolder& operator=(const CArchiveTempFolder&) = delete;

    // Changed only under the application's archive lock.
    int refCount = 1;
    std::string archivePath;
    // Open for reading for the object's whole life. Use it under `lock`.
    CZipArchive archive;
    std::string tempFolder;
    // Serialises extractions into the folder and the checks before them.
    plat::CriticalSection lock;
    bool madeFolder = false;
};

// Chooses and makes the extraction folder of an archive: base (ending in a
// separator) + the archive's file name + the first number whose folder can
// be created. Empty when none can.
std::string MakeArchiveTempFolder(const std::string& base, const std::string& archivePath);
