// The cache of opened zip archives and their temporary folders.
#include "app/archive_temp_folder.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <new>

#include "app/application_state.h"

namespace {

constexpr int kMaxFolderNumber = 10000;

std::string TempBase() {
    char base[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, base);
    return n == 0 || n >= MAX_PATH ? std::string() : std::string(base);
}

// Deletes the folder with everything in it, silently and without the
// recycle bin; only a path below the temporary folder.
void DeleteTempFolder(const std::string& folder) {
    const std::string base = TempBase();
    if (folder.empty() || base.empty() || folder.size() <= base.size() ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, folder.c_str(),
                       static_cast<int>(base.size()), base.c_str(),
                       static_cast<int>(base.size())) != CSTR_EQUAL ||
        folder.find("..") != std::string::npos)
        return;
    std::string from = folder;
    from.push_back('\0'); // the list ends with an extra zero
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    SHFileOperationA(&op);
}

// What the user is told about an archive that cannot be opened.
std::string OpenErrorText(const char* path, const CZipException& e) {
    std::string text = "Cannot open the archive ";
    text += path;
    text += ".\n";
    // Nobody changes disks for the program: a set spread over removable
    // disks is never read, whatever the disk in the drive.
    if (e.Cause() == CZipException::kNoCallback)
        text += "It is spread over several removable disks, and such archives cannot be read.";
    else
        text += e.GetErrorDescription();
    return text;
}

} // namespace

std::string MakeArchiveTempFolder(const std::string& base, const std::string& archivePath) {
    if (base.empty())
        return std::string();
    const std::string name = PathFindFileNameA(archivePath.c_str());
    for (int n = 0; n < kMaxFolderNumber; ++n) {
        const std::string folder = base + name + std::to_string(n);
        if (folder.size() >= MAX_PATH - 1)
            return std::string();
        // Made at once: the name is this archive's from here on.
        if (CreateDirectoryA(folder.c_str(), nullptr))
            return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS)
            return std::string();
    }
    return std::string();
}

CArchiveTempFolder* CApplicationState::GetArchiveTempFolder(const char* path) {
    if (!path || !*path)
        return nullptr;
    plat::ScopedLock guard(archiveLock);
    for (CArchiveTempFolder* folder : archiveCache) {
        if (lstrcmpiA(folder->archivePath.c_str(), path) == 0) {
            ++folder->refCount;
            return folder;
        }
    }
    CArchiveTempFolder* folder = new (std::nothrow) CArchiveTempFolder;
    if (!folder)
        return nullptr;
    bool opened = false;
    archiveOpenError.clear();
    try {
        opened = folder->archive.Open(path, CZipArchive::OpenReadOnly);
    } catch (const CZipException& e) {
        opened = false;
        archiveOpenError = OpenErrorText(path, e);
    }
    if (opened) {
        folder->archivePath = path;
        folder->tempFolder = MakeArchiveTempFolder(TempBase(), folder->archivePath);
        folder->madeFolder = !folder->tempFolder.empty();
    }
    if (!opened || !folder->madeFolder) {
        try {
            folder->archive.Close(CZipArchive::CloseAbandon);
        } catch (const CZipException&) {
        }
        delete folder;
        return nullptr;
    }
    archiveCache.push_back(folder);
    return folder;
}

int CApplicationState::ReleaseArchiveTempFolder(CArchiveTempFolder* folder) {
    if (!folder)
        return 0;
    {
        plat::ScopedLock guard(archiveLock);
        if (--folder->refCount > 0)
            return folder->refCount;
        for (auto it = archiveCache.begin(); it != archiveCache.end(); ++it) {
            if (*it == folder) {
                archiveCache.erase(it);
                break;
            }
        }
    }
    // Off the cache: no one else can reach it now.
    DestroyArchiveTempFolder(folder);
    return 0;
}

void CApplicationState::DestroyArchiveTempFolder(CArchiveTempFolder* folder) {
    {
        plat::ScopedLock guard(folder->lock);
        try {
            folder->archive.Close(CZipArchive::CloseAbandon);
        } catch (const CZipException&) {
        }
    }
    if (folder->madeFolder)
        DeleteTempFolder(folder->tempFolder);
    delete folder;
}

std::string CApplicationState::TakeArchiveOpenError() {
    plat::ScopedLock guard(archiveLock);
    std::string taken;
    taken.swap(archiveOpenError);
    return taken;
}

size_t CApplicationState::ArchiveTempFolderCount() {
    plat::ScopedLock guard(archiveLock);
    return archiveCache.size();
}

void CApplicationState::ReleaseAllArchiveTempFolders() {
    std::vector<CArchiveTempFolder*> left;
    {
        plat::ScopedLock guard(archiveLock);
        left.swap(archiveCache);
    }
    for (CArchiveTempFolder* folder : left)
        DestroyArchiveTempFolder(folder);
}
