// File mappings on POSIX, with the Win32 contract of platform.h: a mapping
// object keeps the file open on its own, views cover the whole file.
#include "platform/platform.h"
#include "platform/posix_util.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace plat {

using posix::FailWithErrno;
using posix::ToFd;
using posix::ToFileTime;

namespace {

struct NativeMapping {
    int fd;
    size_t size;
    bool readOnly;
};

} // namespace

MappingHandle CreateFileMappingOf(FileHandle file, bool readOnly) {
    int fd = ToFd(file);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        SetLastErrorCode(kErrorInvalidHandle);
        return kInvalidMapping;
    }
    if (st.st_size <= 0) {
        SetLastErrorCode(kErrorFileInvalid); // an empty file cannot be mapped
        return kInvalidMapping;
    }
    if (static_cast<uint64_t>(st.st_size) > SIZE_MAX) {
        SetLastErrorCode(kErrorNotEnoughMemory);
        return kInvalidMapping;
    }
    // The handle's access must allow the mapping's protection.
    int mode = fcntl(fd, F_GETFL);
    int accessMode = mode & O_ACCMODE;
    if (mode < 0 || (readOnly ? accessMode == O_WRONLY : accessMode != O_RDWR)) {
        SetLastErrorCode(kErrorAccessDenied);
        return kInvalidMapping;
    }
    // The mapping keeps the file alive on its own, like a Win32 mapping object.
    int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) {
        FailWithErrno();
        return kInvalidMapping;
    }
    NativeMapping* mapping = new NativeMapping{copy, static_cast<size_t>(st.st_size), readOnly};
    return reinterpret_cast<MappingHandle>(mapping);
}

void* MapWholeView(MappingHandle handle, bool readOnly) {
    if (handle == kInvalidMapping || handle == 0) {
        SetLastErrorCode(kErrorInvalidHandle);
        return nullptr;
    }
    NativeMapping* mapping = reinterpret_cast<NativeMapping*>(handle);
    if (!readOnly && mapping->readOnly) {
        SetLastErrorCode(kErrorAccessDenied);
        return nullptr;
    }
    int protection = readOnly ? PROT_READ : PROT_READ | PROT_WRITE;
    void* view = mmap(nullptr, mapping->size, protection, MAP_SHARED, mapping->fd, 0);
    if (view == MAP_FAILED) {
        FailWithErrno();
        return nullptr;
    }
    return view;
}

bool UnmapWholeView(void* view, size_t length) {
    if (!view || munmap(view, length) != 0) {
        SetLastErrorCode(kErrorInvalidParameter);
        return false;
    }
    return true;
}

bool FlushMappedView(void* view, size_t length) {
    if (!view || msync(view, length, MS_SYNC) != 0) {
        SetLastErrorCode(kErrorInvalidParameter);
        return false;
    }
    return true;
}

bool CloseFileMapping(MappingHandle handle) {
    if (handle == kInvalidMapping || handle == 0) {
        SetLastErrorCode(kErrorInvalidHandle);
        return false;
    }
    NativeMapping* mapping = reinterpret_cast<NativeMapping*>(handle);
    close(mapping->fd);
    delete mapping;
    return true;
}

bool IsMemoryWritable(const void* address) {
    if (!address)
        return false;
    FILE* maps = fopen("/proc/self/maps", "re");
    if (!maps)
        return false;
    uintptr_t target = reinterpret_cast<uintptr_t>(address);
    bool writable = false;
    char line[512];
    while (fgets(line, sizeof line, maps)) {
        unsigned long long from = 0, to = 0;
        char permissions[8] = {0};
        if (sscanf(line, "%llx-%llx %7s", &from, &to, permissions) != 3)
            continue;
        if (target >= from && target < to) {
            writable = permissions[1] == 'w';
            break;
        }
    }
    fclose(maps);
    return writable;
}

} // namespace plat
