// Paths on POSIX: facts, deletion, renaming and temporary names, with the
// Win32 contract of platform.h.
#include "platform/platform.h"
#include "platform/posix_util.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace plat {

using posix::FailWithErrno;
using posix::ToFd;
using posix::ToFileTime;

bool QueryPath(const char* path, PathInfo* info) {
    PathInfo result = {false, false, 0, 0};
    struct stat st;
    bool ok = path && *path && stat(path, &st) == 0;
    if (ok) {
        result.exists = true;
        result.isDirectory = S_ISDIR(st.st_mode);
        result.size = result.isDirectory ? 0 : static_cast<uint64_t>(st.st_size);
        result.lastWriteTime = ToFileTime(st.st_mtim);
    } else if (path && *path) {
        FailWithErrno(path);
    } else {
        SetLastErrorCode(kErrorPathNotFound);
    }
    if (info)
        *info = result;
    return ok;
}

bool RemoveFile(const char* path) {
    if (!path || !*path) {
        SetLastErrorCode(kErrorPathNotFound);
        return false;
    }
    struct stat st;
    if (stat(path, &st) == 0 && S_ISDIR(st.st_mode)) {
        SetLastErrorCode(kErrorAccessDenied); // DeleteFile refuses folders
        return false;
    }
    if (unlink(path) != 0) {
        FailWithErrno(path);
        return false;
    }
    return true;
}

bool RenameFile(const char* from, const char* to, bool replaceExisting) {
    if (!from || !to || !*from || !*to) {
        SetLastErrorCode(kErrorPathNotFound);
        return false;
    }
    struct stat st;
    if (stat(from, &st) != 0) {
        FailWithErrno(from);
        return false;
    }
    if (replaceExisting) {
        if (rename(from, to) != 0) {
            FailWithErrno(to);
            return false;
        }
        return true;
    }
    // Without replacing: link + unlink never overwrites an existing target;
    // folders cannot be hard-linked and are renamed after a check instead.
    if (!S_ISDIR(st.st_mode) && link(from, to) == 0) {
        if (unlink(from) != 0) {
            int saved = errno;
            unlink(to);
            errno = saved;
            FailWithErrno(from);
            return false;
        }
        return true;
    }
    if (errno == EEXIST || lstat(to, &st) == 0) {
        SetLastErrorCode(kErrorAlreadyExists);
        return false;
    }
    if (rename(from, to) != 0) {
        FailWithErrno(to);
        return false;
    }
    return true;
}

uint32_t TempFolderPath(char* out, uint32_t capacity) {
    const char* dir = getenv("TMPDIR");
    if (!dir || !*dir)
        dir = "/tmp";
    size_t length = strlen(dir);
    bool addSlash = dir[length - 1] != '/';
    size_t total = length + (addSlash ? 1 : 0);
    if (!out || total + 1 > capacity) {
        SetLastErrorCode(kErrorInvalidParameter);
        return 0;
    }
    memcpy(out, dir, length);
    if (addSlash)
        out[length] = '/';
    out[total] = '\0';
    return static_cast<uint32_t>(total);
}

uint32_t MakeTempFileName(const char* folder, const char* prefix, uint32_t unique, char* out) {
    if (!folder || !out) {
        SetLastErrorCode(kErrorInvalidParameter);
        return 0;
    }
    size_t folderLength = strlen(folder);
    bool addSlash =
        folderLength > 0 && folder[folderLength - 1] != '/' && folder[folderLength - 1] != '\\';
    // Room after the head for four hex digits, ".tmp" and the zero.
    char head[kMaxPath - 8];
    int headLength =
        snprintf(head, sizeof head, "%s%s%.3s", folder, addSlash ? "/" : "", prefix ? prefix : "");
    if (headLength < 0 || static_cast<size_t>(headLength) >= sizeof head) {
        SetLastErrorCode(kErrorFilenameTooLong);
        return 0;
    }
    if (unique != 0) {
        snprintf(out, kMaxPath, "%s%04X.tmp", head, unique & 0xFFFFu);
        return unique;
    }
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint32_t start = static_cast<uint32_t>(now.tv_nsec / 1000 + getpid()) & 0xFFFFu;
    for (uint32_t i = 0; i < 0x10000u; ++i) {
        uint32_t number = (start + i) & 0xFFFFu;
        if (number == 0)
            continue;
        snprintf(out, kMaxPath, "%s%04X.tmp", head, number);
        int fd = open(out, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            return number;
        }
        if (errno != EEXIST) {
            FailWithErrno(out);
            out[0] = '\0';
            return 0;
        }
    }
    out[0] = '\0';
    SetLastErrorCode(kErrorFileExists);
    return 0;
}

} // namespace plat
