// Files, paths and file mappings on Windows: thin wrappers over the Win32 API.
#include <windows.h>

#include "platform/platform.h"

#include <atomic>

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
