#include "imaging/win32_file.h"

#include "platform/platform.h"

namespace {

constexpr int kOpenAttempts = 3;
constexpr uint32_t kOpenRetryWaitMs = 500;

// Errors that another attempt cannot cure: the open gives up at once.
bool IsFinalOpenError(uint32_t error) {
    return error == plat::kErrorFileNotFound || error == plat::kErrorPathNotFound ||
           error == plat::kErrorInvalidDrive || error == plat::kErrorFileExists;
}

void TranslateFlags(uint32_t flags, uint32_t* access, uint32_t* share, uint32_t* disposition) {
    if (flags & kFileRead) {
        *access = plat::kAccessRead;
        *share = plat::kShareRead;
    } else if (flags & kFileWrite) {
        *access = plat::kAccessWrite;
        *share = plat::kShareNone;
    } else {
        *access = plat::kAccessRead | plat::kAccessWrite;
        *share = plat::kShareNone;
    }
    // Tested in this order; kFileCreateNew without kFileOpenOrCreate has no effect.
    if ((flags & kFileOpenOrCreate) && (flags & kFileCreateNew))
        *disposition = plat::kCreateNew;
    else if ((flags & kFileOpenOrCreate) && (flags & kFileTruncate))
        *disposition = plat::kTruncateExisting;
    else if (flags & kFileOpenOrCreate)
        *disposition = plat::kOpenAlways;
    else if (flags & kFileTruncate)
        *disposition = plat::kCreateAlways;
    else
        *disposition = plat::kOpenExisting;
}

} // namespace

CWin32File::CWin32File(const char* path, uint32_t flags) {
    Open(path, flags);
}

CWin32File::~CWin32File() {
    if (IsOpen())
        CWin32File::Close();
}

bool CWin32File::Open(const char* path, uint32_t flags) {
    if (IsOpen())
        CWin32File::Close();
    if (!path || !*path) {
        plat::SetLastErrorCode(plat::kErrorPathNotFound);
        return false;
    }
    uint32_t access, share, disposition;
    TranslateFlags(flags, &access, &share, &disposition);
    // A writer or the directory watcher may hold the file for a moment without
    // sharing it: try again after a short wait.
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        plat::FileHandle file = plat::OpenFile(path, access, share, disposition);
        if (file != plat::kInvalidFile) {
            handle = file;
            return true;
        }
        uint32_t error = plat::LastError();
        if (IsFinalOpenError(error))
            return false;
        plat::SleepMs(kOpenRetryWaitMs);
        plat::SetLastErrorCode(error);
    }
    return false;
}

bool CWin32File::Close() {
    if (!IsOpen())
        return false;
    bool closed = plat::CloseFile(handle);
    handle = plat::kInvalidFile;
    return closed;
}

int64_t CWin32File::Seek(int64_t offset, int origin) {
    if (!IsOpen())
        return -1;
    int method = origin == 0 ? plat::kSeekBegin : origin == 1 ? plat::kSeekCurrent : plat::kSeekEnd;
    return plat::SeekFile(handle, offset, method);
}

int64_t CWin32File::GetSize() {
    if (!IsOpen())
        return -1;
    return plat::FileSize(handle);
}

int64_t CWin32File::Read(void* buffer, uint32_t count) {
    uint32_t done = 0;
    if (!IsOpen() || (!buffer && count > 0) || !plat::ReadFileBytes(handle, buffer, count, &done))
        return -1;
    return done;
}

int64_t CWin32File::Write(const void* buffer, uint32_t count) {
    uint32_t done = 0;
    if (!IsOpen() || (!buffer && count > 0) || !plat::WriteFileBytes(handle, buffer, count, &done))
        return -1;
    return done;
}

bool CWin32File::Flush() {
    return IsOpen() && plat::FlushFile(handle);
}

bool CWin32File::SetEnd(int64_t position) {
    if (Seek(position, 0) == -1)
        return false;
    return plat::SetFileEndHere(handle);
}

int64_t CWin32File::ReadAt(uint64_t offset, void* buffer, uint32_t count) {
    uint32_t done = 0;
    if (!IsOpen() || (!buffer && count > 0) ||
        !plat::ReadFileAt(handle, offset, buffer, count, &done))
        return -1;
    return done;
}

int64_t CWin32File::WriteAt(uint64_t offset, const void* buffer, uint32_t count) {
    uint32_t done = 0;
    if (!IsOpen() || (!buffer && count > 0) ||
        !plat::WriteFileAt(handle, offset, buffer, count, &done))
        return -1;
    return done;
}

int64_t CWin32File::ReadScatterAt(uint64_t offset, const plat::IoSlice* slices, uint32_t count) {
    uint32_t done = 0;
    if (!IsOpen() || !plat::ReadFileScatterAt(handle, offset, slices, count, &done))
        return -1;
    return done;
}

bool CWin32File::WriteGatherAt(uint64_t offset, const void* const* pieces, uint32_t pieceBytes,
                               uint32_t count) {
    return IsOpen() && plat::WriteFileGatherAt(handle, offset, pieces, pieceBytes, count);
}

plat::FileTimeValue CWin32File::GetLastWriteTime() {
    plat::FileTimeValue time = 0;
    if (!IsOpen() || !plat::FileLastWriteTime(handle, &time))
        return 0;
    return time;
}

CMappedFile::~CMappedFile() {
    CMappedFile::Close();
    CWin32File::Close();
}

bool CMappedFile::Open(const char* path, uint32_t flags) {
    CMappedFile::Close();
    openFlags = flags;
    if (!CWin32File::Open(path, flags))
        return false;
    bool readOnly = flags == kFileRead;
    int64_t length = GetSize();
    // An empty file cannot be mapped; a file larger than the address space
    // cannot be viewed whole.
    if (length <= 0 || static_cast<uint64_t>(length) > SIZE_MAX) {
        plat::SetLastErrorCode(length == 0 ? plat::kErrorFileInvalid : plat::kErrorNotEnoughMemory);
        CWin32File::Close();
        return false;
    }
    mapping = plat::CreateFileMappingOf(handle, readOnly);
    if (mapping == plat::kInvalidMapping) {
        CWin32File::Close();
        return false;
    }
    void* bytes = plat::MapWholeView(mapping, readOnly);
    if (!bytes) {
        plat::CloseFileMapping(mapping);
        mapping = plat::kInvalidMapping;
        CWin32File::Close();
        return false;
    }
    view = static_cast<uint8_t*>(bytes);
    viewSize = static_cast<uint64_t>(length);
    return true;
}

bool CMappedFile::Close() {
    if (view)
        plat::UnmapWholeView(view, static_cast<size_t>(viewSize));
    view = nullptr;
    viewSize = 0;
    if (mapping != plat::kInvalidMapping)
        plat::CloseFileMapping(mapping);
    mapping = plat::kInvalidMapping;
    return true;
}

bool CMappedFile::Flush() {
    return view != nullptr && plat::FlushMappedView(view, static_cast<size_t>(viewSize));
}
