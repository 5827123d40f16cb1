// The zip code's operating-system boundary.
#include "zip/zip_path.h"
#include "zip/zip_platform.h"

#include <cerrno>
#include <vector>

#include "platform/fs.h"
#include "platform/platform.h"
#include "zip/zip_exception.h"
#include "zip/zip_header.h"

namespace ZipPlatformOps {
namespace {

// Free space for a path that may not exist yet: the nearest existing parent.
bool FreeSpaceOf(const std::string& path, uint64_t* bytes) {
    std::string p = path;
    for (int guard = 0; guard < 4096; ++guard) {
        if (!p.empty() && plat::Drives().FreeSpace(OsPath(p).c_str(), bytes))
            return true;
        std::string parent = CZipPathParts(p).GetFilePath();
        ZipStr::RemoveTrailingSeparators(parent);
        if (parent == p || parent.empty())
            break;
        p = parent;
    }
    return plat::Drives().FreeSpace(".", bytes);
}

// Attribute converters towards MS-DOS attributes and back.
uint32_t UnixToDos(uint32_t attributes) {
    const uint32_t mode = attributes >> 16;
    if (mode == 0)
        return attributes & 0xFFu; // no Unix mode stored: the low byte is DOS already
    uint32_t dos = 0;
    if ((mode & 0xF000u) == 0x4000u)
        dos |= kAttrDirectory;
    if ((mode & 0200u) == 0)
        dos |= kAttrReadOnly;
    if ((mode & 0100u) == 0)
        dos |= kAttrArchive;
    if ((mode & 0400u) == 0)
        dos |= kAttrHidden;
    return dos;
}

uint32_t DosToUnix(uint32_t attributes) {
    uint32_t mode = (attributes & kAttrHidden) ? 0u : 0444u;
    if ((attributes & kAttrReadOnly) == 0)
        mode |= 0220u;
    // A folder can be entered by whoever may read it.
    if (attributes & kAttrDirectory)
        return ((mode | ((mode & 0444u) >> 2) | 0x4000u) << 16) | kAttrDirectory;
    return (mode | 0x8000u) << 16;
}

uint32_t MacToDos(uint32_t attributes) {
    return attributes & 0x11u;
}
uint32_t Identity(uint32_t attributes) {
    return attributes;
}

using Converter = uint32_t (*)(uint32_t);
struct Converters {
    Converter toDos;
    Converter fromDos;
};
// Indexed by the made-by system code, the high byte of an entry's "version
// made by". Systems whose attributes this code cannot interpret have no
// converters and are refused rather than guessed at.
const Converters kConverters[11] = {
    {Identity, Identity},   // MS-DOS
    {nullptr, nullptr},     // not interpreted
    {nullptr, nullptr},     // not interpreted
    {UnixToDos, DosToUnix}, // Unix
    {nullptr, nullptr},     // not interpreted
    {nullptr, nullptr},     // not interpreted
    {Identity, Identity},   // OS/2 HPFS
    {MacToDos, MacToDos},   // Macintosh
    {nullptr, nullptr},     // not interpreted
    {nullptr, nullptr},     // not interpreted
    {Identity, Identity},   // Windows NTFS
};

} // namespace

std::string OsPath(const std::string& path) {
#ifdef _WIN32
    return path;
#else
    std::string out = path;
    for (char& c : out) {
        if (c == '\\')
            c = '/';
    }
    return out;
#endif
}

int ErrnoFromSystemError(uint32_t error) {
    switch (error) {
    case plat::kErrorFileNotFound:
    case plat::kErrorPathNotFound:
    case plat::kErrorInvalidDrive:
    case plat::kErrorFilenameTooLong:
    case plat::kErrorInvalidName:
        return ENOENT;
    case plat::kErrorTooManyOpenFiles:
        return EMFILE;
    case plat::kErrorAccessDenied:
    case plat::kErrorSharingViolation:
    case plat::kErrorLockViolation:
        return EACCES;
    case plat::kErrorWriteProtect:
        // The runtime folds this into "permission denied"; a read-only disk
        // is told apart so that the user knows no permission will help.
        return EROFS;
    case plat::kErrorInvalidHandle:
        return EBADF;
    case plat::kErrorNotEnoughMemory:
        return ENOMEM;
    case plat::kErrorFileExists:
    case plat::kErrorAlreadyExists:
        return EEXIST;
    case plat::kErrorDiskFull:
        return ENOSPC;
    default:
        return EINVAL;
    }
}

plat::FileHandle OpenFile(const std::string& path, ZipOpenFlags flags, int* error) {
    uint32_t access = 0;
    if (ZipHasFlag(flags, ZipOpenFlags::kRead))
        access |= plat::kAccessRead;
    if (ZipHasFlag(flags, ZipOpenFlags::kWrite))
        access |= plat::kAccessWrite;
    const bool writes = ZipHasFlag(flags, ZipOpenFlags::kWrite);
    const bool truncates = writes && !ZipHasFlag(flags, ZipOpenFlags::kNoTruncate);
    uint32_t disposition;
    if (ZipHasFlag(flags, ZipOpenFlags::kCreateNew))
        disposition = plat::kCreateNew;
    else if (ZipHasFlag(flags, ZipOpenFlags::kCreate))
        disposition = truncates ? plat::kCreateAlways : plat::kOpenAlways;
    else
        disposition = truncates ? plat::kTruncateExisting : plat::kOpenExisting;
    uint32_t share;
    switch (static_cast<uint32_t>(ZipShareField(flags))) {
    case 0x00:
        share = plat::kShareNone;
        break;
    case 0x04:
        share = plat::kShareRead;
        break;
    case 0x08:
        share = plat::kShareWrite;
        break;
    default:
        share = plat::kShareRead | plat::kShareWrite;
        break;
    }
    plat::SetLastErrorCode(0);
    const plat::FileHandle handle =
        plat::OpenFile(OsPath(path).c_str(), access, share, disposition);
    if (handle == plat::kInvalidFile && error != nullptr)
        *error = ErrnoFromSystemError(plat::LastError());
    return handle;
}

bool GetFileSize(const std::string& path, uint32_t* size) {
    const plat::FileHandle file = plat::OpenFile(OsPath(path).c_str(), plat::kAccessRead,
                                                 plat::kShareRead, plat::kOpenExisting);
    if (file == plat::kInvalidFile)
        return false;
    const int64_t length = plat::FileSize(file);
    plat::CloseFile(file);
    if (length < 0 || length >= 0xFFFFFFFFll)
        return false;
    *size = static_cast<uint32_t>(length);
    return true;
}

bool SetFileAttributes(const std::string& path, uint32_t attributes) {
    return plat::FsSetAttributes(OsPath(path).c_str(), attributes);
}

bool GetFileAttributes(const std::string& path, uint32_t* attributes) {
    return plat::FsGetAttributes(OsPath(path).c_str(), attributes);
}

bool GetFileModTime(const std::string& path, time_t* time) {
    int64_t seconds = 0;
    if (!plat::FsGetModTime(OsPath(path).c_str(), &seconds) || seconds == -1)
        return false;
    *time = static_cast<time_t>(seconds);
    return true;
}

bool SetFileModTime(const std::string& path, time_t time) {
    return plat::FsSetModTime(OsPath(path).c_str(), static_cast<int64_t>(time));
}

bool ChangeDir(const std::string& path) {
    return plat::FsChangeDir(OsPath(path).c_str());
}

int FileExists(const std::string& path) {
    plat::PathInfo info{};
    if (!plat::QueryPath(OsPath(path).c_str(), &info) || !info.exists)
        return 0;
    return info.isDirectory ? -1 : 1;
}

bool IsDirectory(const std::string& path) {
    return FileExists(path) == -1;
}

bool CreateDirectory(const std::string& path) {
    return plat::FsCreateDirectory(OsPath(path).c_str());
}

bool ForceDirectory(const std::string& path) {
    // Collect the missing folders from the innermost outwards, then create
    // them outermost first. No recursion: entry names can be very deep.
    std::vector<std::string> missing;
    std::string current = path;
    ZipStr::RemoveTrailingSeparators(current);
    while (!current.empty() && !IsDirectory(current)) {
        missing.push_back(current);
        std::string parent = CZipPathParts(current).GetFilePath();
        ZipStr::RemoveTrailingSeparators(parent);
        if (parent == current)
            break;
        current = parent;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        CZipPathParts parts(*it);
        if (parts.GetFileName().empty() && parts.GetFolder().empty())
            continue; // a bare drive or root
        if (!CreateDirectory(*it) && !IsDirectory(*it))
            return false;
    }
    return true;
}

bool GetCurrentDirectory(std::string* path) {
    return plat::FsCurrentDirectory(path);
}

bool GetDeviceFreeSpace64(const std::string& path, uint64_t* bytes) {
    return FreeSpaceOf(path, bytes);
}

uint32_t GetDeviceFreeSpace(const std::string& path) {
    uint64_t bytes = 0;
    if (!FreeSpaceOf(path, &bytes))
        return 0;
    return bytes > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(bytes);
}

bool IsDriveRemovable(const std::string& path) {
    return plat::Drives().IsRemovable(OsPath(path).c_str());
}

bool SetVolumeLabel(const std::string& path, const std::string& label) {
    return plat::Drives().SetLabel(OsPath(path).c_str(), label.c_str());
}

bool RemoveFile(const std::string& path, bool throwOnError) {
    if (plat::RemoveFile(OsPath(path).c_str()))
        return true;
    if (throwOnError)
        CZipException::ThrowError(CZipException::kNotRemoved, path);
    return false;
}

bool RenameFile(const std::string& from, const std::string& to, bool throwOnError) {
    if (plat::RenameFile(OsPath(from).c_str(), OsPath(to).c_str(), false))
        return true;
    if (throwOnError)
        CZipException::ThrowError(CZipException::kNotRenamed, from);
    return false;
}

bool ReplaceFile(const std::string& from, const std::string& to) {
    return plat::RenameFile(OsPath(from).c_str(), OsPath(to).c_str(), true);
}

std::string CreateTemporaryFileIn(const std::string& folder) {
    char name[plat::kMaxPath + 1] = {};
    std::string dir = folder.empty() ? std::string(".") : folder;
    if (plat::MakeTempFileName(OsPath(dir).c_str(), "ZAR", 0, name) == 0)
        return std::string();
    return name;
}

std::string GetTemporaryFileName(const std::string& folder, uint64_t requiredSpace) {
    auto hasSpace = [requiredSpace](const std::string& dir) {
        uint64_t free = 0;
        return FreeSpaceOf(dir, &free) && free >= requiredSpace;
    };
    std::string dir;
    if (!folder.empty() && hasSpace(folder)) {
        dir = folder;
    } else {
        char temp[plat::kMaxPath + 1] = {};
        if (plat::TempFolderPath(temp, sizeof temp) == 0)
            return std::string();
        dir = temp;
        if (!hasSpace(dir)) {
            if (!GetCurrentDirectory(&dir) || !hasSpace(dir))
                return std::string();
        }
    }
    return CreateTemporaryFileIn(dir);
}

bool IsSystemHandled(int code) {
    return code == kSystemDos || code == kSystemUnix || code == kSystemOs2 || code == kSystemMac ||
           code == kSystemNtfs;
}

uint32_t ConvertAttributes(uint32_t attributes, int fromSystem, int toSystem) {
    if (fromSystem == toSystem || fromSystem > 10 || toSystem > 10 || fromSystem < 0 ||
        toSystem < 0)
        return attributes;
    const Converters& from = kConverters[fromSystem];
    const Converters& to = kConverters[toSystem];
    if (from.toDos == nullptr || to.fromDos == nullptr)
        CZipException::ThrowError(CZipException::kPlatformNotSupported);
    return to.fromDos(from.toDos(attributes));
}

void ConvertName(CZipEntryHeader& header, bool toProgram) {
    CZipByteBuffer& name = header.FileNameBuffer();
    char* bytes = reinterpret_cast<char*>(name.Data());
    const uint32_t length = name.Length();
    const bool dos = header.GetSystemCompatibility() == kSystemDos;
    if (toProgram) {
        for (uint32_t i = 0; i < length; ++i) {
            if (bytes[i] == '/')
                bytes[i] = '\\';
        }
        if (dos)
            plat::FsOemToAnsi(bytes, length);
    } else {
        if (dos)
            plat::FsAnsiToOem(bytes, length);
        for (uint32_t i = 0; i < length; ++i) {
            if (bytes[i] == '\\')
                bytes[i] = '/';
        }
    }
}

} // namespace ZipPlatformOps
