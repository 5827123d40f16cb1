// Files on POSIX, with the Win32 contract of platform.h: Win32 error codes,
// dispositions and FILETIME values.
#include "platform/platform.h"
#include "platform/posix_util.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

namespace plat {

namespace {

thread_local uint32_t t_lastError = 0;

std::atomic<OpenFileErrorHook> g_openHook{nullptr};
std::atomic<uintptr_t> g_openHookContext{0};

// True when the folder that would hold path exists.
bool ParentExists(const char* path) {
    const char* slash = strrchr(path, '/');
    if (!slash)
        return true; // relative name in the current folder
    if (slash == path)
        return true; // the root
    size_t length = static_cast<size_t>(slash - path);
    if (length >= PATH_MAX)
        return false;
    char parent[PATH_MAX];
    memcpy(parent, path, length);
    parent[length] = '\0';
    struct stat st;
    return stat(parent, &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

namespace posix {

int ToFd(FileHandle file) {
    if (file == kInvalidFile || file > static_cast<FileHandle>(INT_MAX))
        return -1;
    return static_cast<int>(file);
}

uint32_t ErrnoToWin32(int error, const char* path) {
    switch (error) {
    case 0:
        return kErrorSuccess;
    case ENOENT:
        // Win32 tells a missing file from a missing folder on the way to it.
        return (path && !ParentExists(path)) ? kErrorPathNotFound : kErrorFileNotFound;
    case ENOTDIR:
        return kErrorPathNotFound;
    case EEXIST:
        return kErrorFileExists;
    case EACCES:
    case EPERM:
    case EISDIR:
        return kErrorAccessDenied;
    case EMFILE:
    case ENFILE:
        return kErrorTooManyOpenFiles;
    case EBADF:
        return kErrorInvalidHandle;
    case ENOMEM:
        return kErrorNotEnoughMemory;
    case ENAMETOOLONG:
        return kErrorFilenameTooLong;
    case ENOSPC:
        return kErrorDiskFull;
    case EROFS:
        return kErrorWriteProtect;
    case ENOTEMPTY:
        return kErrorDirNotEmpty;
    case EINVAL:
        return kErrorInvalidParameter;
    case EIO:
        return kErrorIoDevice;
    case ETXTBSY:
    case EBUSY:
        return kErrorSharingViolation;
    default:
        return kErrorGenFailure;
    }
}

void FailWithErrno(const char* path) {
    SetLastErrorCode(ErrnoToWin32(errno, path));
}

FileTimeValue ToFileTime(const struct timespec& ts) {
    if (ts.tv_sec < -static_cast<int64_t>(kFileTimeUnixEpochSeconds))
        return 0;
    uint64_t seconds =
        static_cast<uint64_t>(ts.tv_sec + static_cast<int64_t>(kFileTimeUnixEpochSeconds));
    return seconds * 10000000ull + static_cast<uint64_t>(ts.tv_nsec) / 100u;
}

} // namespace posix

using posix::FailWithErrno;
using posix::ToFd;
using posix::ToFileTime;

uint32_t LastError() {
    return t_lastError;
}
void SetLastErrorCode(uint32_t code) {
    t_lastError = code;
}

void SetOpenFileErrorHook(OpenFileErrorHook hook, uintptr_t context) {
    g_openHookContext = context;
    g_openHook = hook;
}

FileHandle OpenFile(const char* path, uint32_t access, uint32_t share, uint32_t disposition) {
    if (!path || !*path) {
        t_lastError = !path ? kErrorInvalidParameter : kErrorPathNotFound;
        return kInvalidFile;
    }
    if (OpenFileErrorHook hook = g_openHook.load()) {
        uint32_t forced = hook(path, g_openHookContext.load());
        if (forced != 0) {
            t_lastError = forced;
            return kInvalidFile;
        }
    }
    bool wantRead = (access & kAccessRead) != 0;
    bool wantWrite = (access & kAccessWrite) != 0;
    int flags = O_CLOEXEC;
    if (wantRead && wantWrite)
        flags |= O_RDWR;
    else if (wantWrite)
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;
    switch (disposition) {
    case kCreateNew:
        flags |= O_CREAT | O_EXCL;
        break;
    case kCreateAlways:
        flags |= O_CREAT | O_TRUNC;
        break;
    case kOpenExisting:
        break;
    case kOpenAlways:
        flags |= O_CREAT;
        break;
    case kTruncateExisting:
        // Truncating needs write access, as on Windows.
        if (!wantWrite) {
            t_lastError = kErrorInvalidParameter;
            return kInvalidFile;
        }
        flags |= O_TRUNC;
        break;
    default:
        t_lastError = kErrorInvalidParameter;
        return kInvalidFile;
    }
    int fd;
    do {
        fd = open(path, flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        FailWithErrno(path);
        return kInvalidFile;
    }
    // Windows refuses to open a folder as a file.
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        t_lastError = kErrorAccessDenied;
        return kInvalidFile;
    }
    t_lastError = kErrorSuccess;
    return static_cast<FileHandle>(fd);
}

bool CloseFile(FileHandle file) {
    int fd = ToFd(file);
    if (fd < 0 || close(fd) != 0) {
        t_lastError = kErrorInvalidHandle;
        return false;
    }
    return true;
}

int64_t SeekFile(FileHandle file, int64_t offset, int origin) {
    int fd = ToFd(file);
    if (fd < 0) {
        t_lastError = kErrorInvalidHandle;
        return -1;
    }
    int whence = origin == kSeekBegin ? SEEK_SET : origin == kSeekCurrent ? SEEK_CUR : SEEK_END;
    off_t result = lseek(fd, static_cast<off_t>(offset), whence);
    if (result < 0) {
        t_lastError = errno == EINVAL ? kErrorNegativeSeek : posix::ErrnoToWin32(errno, nullptr);
        return -1;
    }
    return static_cast<int64_t>(result);
}

int64_t FileSize(FileHandle file) {
    int fd = ToFd(file);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        t_lastError = kErrorInvalidHandle;
        return -1;
    }
    return static_cast<int64_t>(st.st_size);
}

namespace {

// Repeats `step(moved)` (one read or write of the bytes not moved yet) until
// `count` bytes are moved, an error, or, for reads, the end of the file: what
// ReadFile and WriteFile do on a disk file.
template <typename Step> bool MoveAll(uint32_t count, uint32_t* done, bool stopAtEnd, Step step) {
    uint32_t total = 0;
    bool ok = true;
    while (total < count) {
        ssize_t moved = step(total);
        if (moved < 0) {
            if (errno == EINTR)
                continue;
            FailWithErrno();
            ok = false;
            break;
        }
        if (moved == 0 && stopAtEnd)
            break;
        total += static_cast<uint32_t>(moved);
    }
    if (done)
        *done = total;
    return ok;
}

// The descriptor of `file`, or -1 with the Win32 error set; positioned calls
// also check that the last byte's offset fits a file offset.
int CheckedFd(FileHandle file, uint32_t* done, const uint64_t* offset = nullptr,
              uint64_t count = 0) {
    if (done)
        *done = 0;
    int fd = ToFd(file);
    if (fd < 0) {
        t_lastError = kErrorInvalidHandle;
        return -1;
    }
    if (offset && *offset > static_cast<uint64_t>(INT64_MAX) - count) {
        t_lastError = kErrorInvalidParameter;
        return -1;
    }
    return fd;
}

} // namespace

bool ReadFileBytes(FileHandle file, void* buffer, uint32_t count, uint32_t* done) {
    int fd = CheckedFd(file, done);
    return fd >= 0 && MoveAll(count, done, true, [&](uint32_t total) {
               return read(fd, static_cast<uint8_t*>(buffer) + total, count - total);
           });
}

bool WriteFileBytes(FileHandle file, const void* buffer, uint32_t count, uint32_t* done) {
    int fd = CheckedFd(file, done);
    return fd >= 0 && MoveAll(count, done, false, [&](uint32_t total) {
               return write(fd, static_cast<const uint8_t*>(buffer) + total, count - total);
           });
}

bool ReadFileAt(FileHandle file, uint64_t offset, void* buffer, uint32_t count, uint32_t* done) {
    int fd = CheckedFd(file, done, &offset, count);
    return fd >= 0 && MoveAll(count, done, true, [&](uint32_t total) {
               return pread(fd, static_cast<uint8_t*>(buffer) + total, count - total,
                            static_cast<off_t>(offset + total));
           });
}

bool WriteFileAt(FileHandle file, uint64_t offset, const void* buffer, uint32_t count,
                 uint32_t* done) {
    int fd = CheckedFd(file, done, &offset, count);
    return fd >= 0 && MoveAll(count, done, false, [&](uint32_t total) {
               return pwrite(fd, static_cast<const uint8_t*>(buffer) + total, count - total,
                             static_cast<off_t>(offset + total));
           });
}

bool ReadFileScatterAt(FileHandle file, uint64_t offset, const IoSlice* slices, uint32_t count,
                       uint32_t* done) {
    if (done)
        *done = 0;
    int fd = ToFd(file);
    uint64_t total = 0;
    for (uint32_t i = 0; i < count; ++i)
        total += slices[i].bytes;
    if (fd < 0 || total > 0xFFFFFFFFu || offset > static_cast<uint64_t>(INT64_MAX) - total) {
        t_lastError = fd < 0 ? kErrorInvalidHandle : kErrorInvalidParameter;
        return false;
    }
    constexpr uint32_t kMaxVectors = 64;
    struct iovec vec[kMaxVectors];
    uint32_t got = 0;
    // Resumes after a partial transfer at the first byte not yet read.
    while (got < total) {
        uint32_t n = 0, skip = got;
        for (uint32_t i = 0; i < count && n < kMaxVectors; ++i) {
            if (skip >= slices[i].bytes) {
                skip -= slices[i].bytes;
                continue;
            }
            vec[n].iov_base = static_cast<uint8_t*>(slices[i].data) + skip;
            vec[n].iov_len = slices[i].bytes - skip;
            skip = 0;
            ++n;
        }
        ssize_t r = preadv(fd, vec, static_cast<int>(n), static_cast<off_t>(offset + got));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            FailWithErrno();
            if (done)
                *done = got;
            return false;
        }
        if (r == 0)
            break;
        got += static_cast<uint32_t>(r);
    }
    if (done)
        *done = got;
    return true;
}

bool WriteFileGatherAt(FileHandle file, uint64_t offset, const void* const* pieces,
                       uint32_t pieceBytes, uint32_t count) {
    int fd = ToFd(file);
    const uint64_t total = static_cast<uint64_t>(pieceBytes) * count;
    if (fd < 0 || offset > static_cast<uint64_t>(INT64_MAX) - total) {
        t_lastError = fd < 0 ? kErrorInvalidHandle : kErrorInvalidParameter;
        return false;
    }
    // pwritev takes at most IOV_MAX buffers and may stop early: resume from
    // the first byte not yet written.
    constexpr uint32_t kMaxVectors = 64;
    struct iovec vec[kMaxVectors];
    uint64_t written = 0;
    while (written < total) {
        uint32_t first = static_cast<uint32_t>(written / pieceBytes);
        uint32_t skip = static_cast<uint32_t>(written % pieceBytes);
        uint32_t n = 0;
        for (uint32_t i = first; i < count && n < kMaxVectors; ++i, ++n) {
            uint32_t from = i == first ? skip : 0;
            vec[n].iov_base = const_cast<uint8_t*>(static_cast<const uint8_t*>(pieces[i]) + from);
            vec[n].iov_len = pieceBytes - from;
        }
        ssize_t put = pwritev(fd, vec, static_cast<int>(n), static_cast<off_t>(offset + written));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            FailWithErrno();
            return false;
        }
        if (put == 0) {
            t_lastError = kErrorDiskFull;
            return false;
        }
        written += static_cast<uint64_t>(put);
    }
    return true;
}

bool FlushFile(FileHandle file) {
    int fd = ToFd(file);
    if (fd < 0 || fsync(fd) != 0) {
        fd < 0 ? (void)(t_lastError = kErrorInvalidHandle) : FailWithErrno();
        return false;
    }
    return true;
}

bool SetFileEndHere(FileHandle file) {
    int fd = ToFd(file);
    if (fd < 0) {
        t_lastError = kErrorInvalidHandle;
        return false;
    }
    off_t here = lseek(fd, 0, SEEK_CUR);
    if (here < 0 || ftruncate(fd, here) != 0) {
        FailWithErrno();
        return false;
    }
    return true;
}

bool FileLastWriteTime(FileHandle file, FileTimeValue* time) {
    int fd = ToFd(file);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        t_lastError = kErrorInvalidHandle;
        return false;
    }
    if (time)
        *time = ToFileTime(st.st_mtim);
    return true;
}

bool SetFileModTimeOf(FileHandle file, int64_t seconds) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_NOW;
    times[1].tv_sec = seconds < 0 ? 0 : static_cast<time_t>(seconds);
    times[1].tv_nsec = seconds < 0 ? UTIME_NOW : 0;
    int fd = ToFd(file);
    if (fd < 0) {
        t_lastError = kErrorInvalidHandle;
        return false;
    }
    if (futimens(fd, times) != 0) {
        t_lastError = posix::ErrnoToWin32(errno, nullptr);
        return false;
    }
    return true;
}

} // namespace plat
