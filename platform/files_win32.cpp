// Files, paths and file mappings on Windows: thin wrappers over the Win32 API.
#include <windows.h>

#include "platform/platform.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

namespace plat {

static_assert(sizeof(HANDLE) == sizeof(FileHandle), "handles are pointer-sized");

namespace {

std::atomic<OpenFileErrorHook> g_openHook{nullptr};
std::atomic<uintptr_t> g_openHookContext{0};

HANDLE ToHandle(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

FileTimeValue ToValue(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

} // namespace

uint32_t LastError() {
    return GetLastError();
}
void SetLastErrorCode(uint32_t code) {
    SetLastError(code);
}

void SetOpenFileErrorHook(OpenFileErrorHook hook, uintptr_t context) {
    g_openHookContext = context;
    g_openHook = hook;
}

FileHandle OpenFile(const char* path, uint32_t access, uint32_t share, uint32_t disposition) {
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return kInvalidFile;
    }
    if (OpenFileErrorHook hook = g_openHook.load()) {
        uint32_t forced = hook(path, g_openHookContext.load());
        if (forced != 0) {
            SetLastError(forced);
            return kInvalidFile;
        }
    }
    HANDLE file =
        CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return reinterpret_cast<FileHandle>(file);
}

bool CloseFile(FileHandle file) {
    return CloseHandle(ToHandle(file)) != FALSE;
}

int64_t SeekFile(FileHandle file, int64_t offset, int origin) {
    DWORD method = origin == kSeekBegin     ? FILE_BEGIN
                   : origin == kSeekCurrent ? FILE_CURRENT
                                            : FILE_END;
    LONG high = static_cast<LONG>(offset >> 32);
    SetLastError(NO_ERROR);
    DWORD low =
        SetFilePointer(ToHandle(file), static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(static_cast<DWORD>(high)) << 32) | low);
}

int64_t FileSize(FileHandle file) {
    DWORD high = 0;
    SetLastError(NO_ERROR);
    DWORD low = GetFileSize(ToHandle(file), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
}

bool ReadFileBytes(FileHandle file, void* buffer, uint32_t count, uint32_t* done) {
    DWORD got = 0;
    BOOL ok = ReadFile(ToHandle(file), buffer, count, &got, nullptr);
    if (done)
        *done = got;
    return ok != FALSE;
}

bool WriteFileBytes(FileHandle file, const void* buffer, uint32_t count, uint32_t* done) {
    DWORD put = 0;
    BOOL ok = WriteFile(ToHandle(file), buffer, count, &put, nullptr);
    if (done)
        *done = put;
    return ok != FALSE;
}

namespace {

OVERLAPPED AtOffset(uint64_t offset) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

} // namespace

bool ReadFileAt(FileHandle file, uint64_t offset, void* buffer, uint32_t count, uint32_t* done) {
    uint32_t total = 0;
    BOOL ok = TRUE;
    // A synchronous handle with an OVERLAPPED offset reads at that offset.
    while (ok && total < count) {
        OVERLAPPED at = AtOffset(offset + total);
        DWORD got = 0;
        ok = ReadFile(ToHandle(file), static_cast<uint8_t*>(buffer) + total, count - total, &got,
                      &at);
        if (!ok && GetLastError() == ERROR_HANDLE_EOF) {
            ok = TRUE; // past the end: a short read, as without an offset
            got = 0;
        }
        total += got;
        if (ok && got == 0)
            break;
    }
    if (done)
        *done = total;
    return ok != FALSE;
}

bool WriteFileAt(FileHandle file, uint64_t offset, const void* buffer, uint32_t count,
                 uint32_t* done) {
    uint32_t total = 0;
    BOOL ok = TRUE;
    while (ok && total < count) {
        OVERLAPPED at = AtOffset(offset + total);
        DWORD put = 0;
        ok = WriteFile(ToHandle(file), static_cast<const uint8_t*>(buffer) + total, count - total,
                       &put, &at);
        if (ok && put == 0) {
            SetLastError(ERROR_DISK_FULL);
            ok = FALSE;
        }
        total += put;
    }
    if (done)
        *done = total;
    return ok != FALSE;
}

bool ReadFileScatterAt(FileHandle file, uint64_t offset, const IoSlice* slices, uint32_t count,
                       uint32_t* done) {
    if (done)
        *done = 0;
    uint64_t total = 0;
    for (uint32_t i = 0; i < count; ++i)
        total += slices[i].bytes;
    if (total > 0xFFFFFFFFu) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    // ReadFileScatter needs unbuffered, sector-aligned handles: stage instead.
    std::vector<uint8_t> stage(static_cast<size_t>(total));
    uint32_t got = 0;
    if (!ReadFileAt(file, offset, stage.data(), static_cast<uint32_t>(total), &got))
        return false;
    uint32_t at = 0;
    for (uint32_t i = 0; i < count && at < got; ++i) {
        uint32_t n = std::min(slices[i].bytes, got - at);
        std::memcpy(slices[i].data, stage.data() + at, n);
        at += n;
    }
    if (done)
        *done = got;
    return true;
}

bool WriteFileGatherAt(FileHandle file, uint64_t offset, const void* const* pieces,
                       uint32_t pieceBytes, uint32_t count) {
    // WriteFileGather needs unbuffered, sector-aligned handles: stage the
    // pieces in one buffer instead, a bounded slice at a time.
    constexpr uint32_t kStageBytes = 256 * 1024;
    const uint32_t perCall = pieceBytes == 0 ? 0 : std::max(1u, kStageBytes / pieceBytes);
    if (perCall <= 1 || count <= 1) {
        for (uint32_t i = 0; i < count; ++i)
            if (!WriteFileAt(file, offset + static_cast<uint64_t>(i) * pieceBytes, pieces[i],
                             pieceBytes, nullptr))
                return false;
        return true;
    }
    std::vector<uint8_t> stage(static_cast<size_t>(std::min(perCall, count)) * pieceBytes);
    for (uint32_t i = 0; i < count;) {
        uint32_t n = std::min(perCall, count - i);
        for (uint32_t k = 0; k < n; ++k)
            std::memcpy(stage.data() + static_cast<size_t>(k) * pieceBytes, pieces[i + k],
                        pieceBytes);
        if (!WriteFileAt(file, offset + static_cast<uint64_t>(i) * pieceBytes, stage.data(),
                         n * pieceBytes, nullptr))
            return false;
        i += n;
    }
    return true;
}

bool FlushFile(FileHandle file) {
    return FlushFileBuffers(ToHandle(file)) != FALSE;
}

bool SetFileEndHere(FileHandle file) {
    return SetEndOfFile(ToHandle(file)) != FALSE;
}

bool FileLastWriteTime(FileHandle file, FileTimeValue* time) {
    FILETIME written;
    if (!GetFileTime(ToHandle(file), nullptr, nullptr, &written))
        return false;
    if (time)
        *time = ToValue(written);
    return true;
}

bool SetFileModTimeOf(FileHandle file, int64_t seconds) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    FILETIME written = now;
    if (seconds >= 0) {
        const uint64_t value =
            (static_cast<uint64_t>(seconds) + kFileTimeUnixEpochSeconds) * 10000000ull;
        written.dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
        written.dwHighDateTime = static_cast<DWORD>(value >> 32);
    }
    return SetFileTime(ToHandle(file), nullptr, &now, &written) != FALSE;
}

bool QueryPath(const char* path, PathInfo* info) {
    PathInfo result = {false, false, 0, 0};
    WIN32_FILE_ATTRIBUTE_DATA data;
    bool ok = path && GetFileAttributesExA(path, GetFileExInfoStandard, &data);
    if (ok) {
        result.exists = true;
        result.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        result.size = result.isDirectory
                          ? 0
                          : (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        result.lastWriteTime = ToValue(data.ftLastWriteTime);
    }
    if (info)
        *info = result;
    return ok;
}

bool RemoveFile(const char* path) {
    return path && DeleteFileA(path);
}

bool RenameFile(const char* from, const char* to, bool replaceExisting) {
    return from && to && MoveFileExA(from, to, replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
}

uint32_t TempFolderPath(char* out, uint32_t capacity) {
    if (!out || capacity == 0)
        return 0;
    DWORD length = GetTempPathA(capacity, out);
    if (length == 0 || length >= capacity) {
        out[0] = '\0';
        return 0;
    }
    return length;
}

uint32_t MakeTempFileName(const char* folder, const char* prefix, uint32_t unique, char* out) {
    if (!folder || !out)
        return 0;
    return GetTempFileNameA(folder, prefix ? prefix : "", unique, out);
}

MappingHandle CreateFileMappingOf(FileHandle file, bool readOnly) {
    HANDLE mapping = CreateFileMappingA(ToHandle(file), nullptr,
                                        readOnly ? PAGE_READONLY : PAGE_READWRITE, 0, 0, nullptr);
    return mapping ? reinterpret_cast<MappingHandle>(mapping) : kInvalidMapping;
}

void* MapWholeView(MappingHandle mapping, bool readOnly) {
    if (mapping == kInvalidMapping)
        return nullptr;
    return MapViewOfFile(reinterpret_cast<HANDLE>(mapping),
                         readOnly ? FILE_MAP_READ : FILE_MAP_ALL_ACCESS, 0, 0, 0);
}

bool UnmapWholeView(void* view, size_t length) {
    return view && UnmapViewOfFile(view);
}

bool FlushMappedView(void* view, size_t length) {
    return view && FlushViewOfFile(view, 0);
}

bool CloseFileMapping(MappingHandle mapping) {
    return mapping != kInvalidMapping && CloseHandle(reinterpret_cast<HANDLE>(mapping));
}

bool IsMemoryWritable(const void* address) {
    MEMORY_BASIC_INFORMATION info;
    if (!address || VirtualQuery(address, &info, sizeof info) != sizeof info ||
        info.State != MEM_COMMIT)
        return false;
    const DWORD writable =
        PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return (info.Protect & writable) != 0 && (info.Protect & PAGE_GUARD) == 0;
}

} // namespace plat
