// Native stand-in for the file-system services. Behaves as the Win32 side
// does where the zip code can tell the difference.
#include "platform/fs.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "platform/platform.h"

namespace plat {
namespace {

std::string Native(const char* path) {
    std::string out(path ? path : "");
    for (char& c : out) {
        if (c == '\\')
            c = '/';
    }
    return out;
}

// Win32 error code for the current errno, kept as the thread's last error.
void SetLastFromErrno() {
    uint32_t code = kErrorGenFailure;
    switch (errno) {
    case ENOENT:
        code = kErrorFileNotFound;
        break;
    case ENOTDIR:
        code = kErrorPathNotFound;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        code = kErrorAccessDenied;
        break;
    case EEXIST:
        code = kErrorAlreadyExists;
        break;
    case ENOSPC:
        code = kErrorDiskFull;
        break;
    case ENAMETOOLONG:
        code = kErrorFilenameTooLong;
        break;
    case EINVAL:
        code = kErrorInvalidParameter;
        break;
    default:
        break;
    }
    SetLastErrorCode(code);
}

// Best-fit tables for code pages 437 and 1252, as Windows' own conversion
// maps them, so that names convert natively as they do there; upper halves
// (the lower halves are identical).
const uint8_t kOemToAnsi[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, 0x50, 0x83,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAC, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0xA6, 0xA6, 0xA6, 0xA6, 0xA6, 0xA6, 0xA6, 0x2B, 0x2B, 0xA6, 0xA6, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B,
    0x2B, 0x2D, 0x2D, 0x2B, 0x2D, 0x2B, 0xA6, 0xA6, 0x2B, 0x2B, 0x2D, 0x2D, 0xA6, 0x2D, 0x2B, 0x2D,
    0x2D, 0x2D, 0x2D, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0xA6, 0x5F, 0xA6, 0xA6, 0xAF,
    0x61, 0xDF, 0x47, 0x70, 0x53, 0x73, 0xB5, 0x74, 0x46, 0x54, 0x4F, 0x64, 0x38, 0x66, 0x65, 0x6E,
    0x3D, 0xB1, 0x3D, 0x3D, 0x28, 0x29, 0xF7, 0x98, 0xB0, 0xB7, 0xB7, 0x76, 0x6E, 0xB2, 0xA6, 0xA0,
};
const uint8_t kAnsiToOem[128] = {
    0x3F, 0x3F, 0x2C, 0x9F, 0x2C, 0x2E, 0x2B, 0xD8, 0x5E, 0x25, 0x53, 0x3C, 0x4F, 0x3F, 0x5A, 0x3F,
    0x3F, 0x60, 0x27, 0x22, 0x22, 0x07, 0x2D, 0x2D, 0x7E, 0x54, 0x73, 0x3E, 0x6F, 0x3F, 0x7A, 0x59,
    0xFF, 0xAD, 0x9B, 0x9C, 0x0F, 0x9D, 0xDD, 0x15, 0x22, 0x63, 0xA6, 0xAE, 0xAA, 0x2D, 0x72, 0x5F,
    0xF8, 0xF1, 0xFD, 0x33, 0x27, 0xE6, 0x14, 0xFA, 0x2C, 0x31, 0xA7, 0xAF, 0xAC, 0xAB, 0x5F, 0xA8,
    0x41, 0x41, 0x41, 0x41, 0x8E, 0x8F, 0x92, 0x80, 0x45, 0x90, 0x45, 0x45, 0x49, 0x49, 0x49, 0x49,
    0x44, 0xA5, 0x4F, 0x4F, 0x4F, 0x4F, 0x99, 0x78, 0x4F, 0x55, 0x55, 0x55, 0x9A, 0x59, 0x5F, 0xE1,
    0x85, 0xA0, 0x83, 0x61, 0x84, 0x86, 0x91, 0x87, 0x8A, 0x82, 0x88, 0x89, 0x8D, 0xA1, 0x8C, 0x8B,
    0x64, 0xA4, 0x95, 0xA2, 0x93, 0x6F, 0x94, 0xF6, 0x6F, 0x97, 0xA3, 0x96, 0x81, 0x79, 0x5F, 0x98,
};

} // namespace

bool FsGetAttributes(const char* path, uint32_t* attributes) {
    struct stat st;
    if (::stat(Native(path).c_str(), &st) != 0) {
        SetLastFromErrno();
        return false;
    }
    uint32_t a = S_ISDIR(st.st_mode) ? 0x10u : 0x20u;
    if ((st.st_mode & S_IWUSR) == 0)
        a |= 0x01u;
    *attributes = a;
    return true;
}

bool FsSetAttributes(const char* path, uint32_t attributes) {
    const std::string native = Native(path);
    struct stat st;
    if (::stat(native.c_str(), &st) != 0) {
        SetLastFromErrno();
        return false;
    }
    mode_t mode = st.st_mode & 07777;
    if (attributes & 0x01u)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    if (::chmod(native.c_str(), mode) != 0) {
        SetLastFromErrno();
        return false;
    }
    return true;
}

bool FsGetModTime(const char* path, int64_t* seconds) {
    struct stat st;
    if (::stat(Native(path).c_str(), &st) != 0) {
        SetLastFromErrno();
        return false;
    }
    *seconds = static_cast<int64_t>(st.st_mtime);
    return true;
}

bool FsSetModTime(const char* path, int64_t seconds) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_NOW;
    if (seconds < 0) {
        times[1].tv_sec = 0;
        times[1].tv_nsec = UTIME_NOW;
    } else {
        times[1].tv_sec = static_cast<time_t>(seconds);
        times[1].tv_nsec = 0;
    }
    if (::utimensat(AT_FDCWD, Native(path).c_str(), times, 0) != 0) {
        SetLastFromErrno();
        return false;
    }
    return true;
}

bool FsChangeDir(const char* path) {
    if (::chdir(Native(path).c_str()) != 0) {
        SetLastFromErrno();
        return false;
    }
    return true;
}

bool FsCurrentDirectory(std::string* path) {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr) {
        SetLastFromErrno();
        return false;
    }
    *path = buffer;
    return true;
}

bool FsCreateDirectory(const char* path) {
    if (::mkdir(Native(path).c_str(), 0777) != 0) {
        SetLastFromErrno();
        return false;
    }
    return true;
}

bool FsFreeSpace(const char* path, uint64_t* bytes) {
    struct statvfs sv;
    if (::statvfs(Native(path).c_str(), &sv) != 0) {
        SetLastFromErrno();
        return false;
    }
    const uint64_t blocks = static_cast<uint64_t>(sv.f_bavail);
    const uint64_t size = static_cast<uint64_t>(sv.f_frsize ? sv.f_frsize : sv.f_bsize);
    *bytes = (size != 0 && blocks > UINT64_MAX / size) ? UINT64_MAX : blocks * size;
    return true;
}

// There are no drives: nothing is removable and volumes carry no labels.
bool FsIsDriveRemovable(const char*) {
    return false;
}

bool FsSetVolumeLabel(const char*, const char*) {
    SetLastErrorCode(kErrorNotSupported);
    return false;
}

bool FsGetVolumeLabel(const char*, std::string*) {
    SetLastErrorCode(kErrorNotSupported);
    return false;
}

void FsOemToAnsi(char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = static_cast<uint8_t>(text[i]);
        if (c >= 0x80)
            text[i] = static_cast<char>(kOemToAnsi[c - 0x80]);
    }
}

void FsAnsiToOem(char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = static_cast<uint8_t>(text[i]);
        if (c >= 0x80)
            text[i] = static_cast<char>(kAnsiToOem[c - 0x80]);
    }
}

bool FsSystemErrorText(uint32_t code, std::string* text) {
    struct Row {
        uint32_t code;
        const char* text;
    };
    static const Row kRows[] = {
        {kErrorFileNotFound, "The system cannot find the file specified."},
        {kErrorPathNotFound, "The system cannot find the path specified."},
        {kErrorAccessDenied, "Access is denied."},
        {kErrorSharingViolation,
         "The process cannot access the file because it is being used by another process."},
        {kErrorFileExists, "The file exists."},
        {kErrorAlreadyExists, "Cannot create a file when that file already exists."},
        {kErrorDiskFull, "There is not enough space on the disk."},
        {kErrorInvalidParameter, "The parameter is incorrect."},
        {kErrorFilenameTooLong, "The filename or extension is too long."},
        {kErrorNotSupported, "The request is not supported."},
    };
    for (const Row& row : kRows) {
        if (row.code == code) {
            *text = row.text;
            return true;
        }
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "Error %u", static_cast<unsigned>(code));
    *text = buffer;
    return true;
}

} // namespace plat
