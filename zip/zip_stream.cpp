#include "zip/zip_stream.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/platform.h"
#include "zip/zip_exception.h"
#include "zip/zip_platform.h"

// ---------------------------------------------------------------------------
// CZipDiskFile
// ---------------------------------------------------------------------------

CZipDiskFile::~CZipDiskFile() {
    if (m_handle != plat::kInvalidFile)
        plat::CloseFile(m_handle);
}

void CZipDiskFile::ThrowLast() const {
    const int error = ZipPlatformOps::ErrnoFromSystemError(plat::LastError());
    errno = error;
    CZipException::ThrowError(error, m_path);
}

bool CZipDiskFile::Open(const char* path, ZipOpenFlags flags, bool throwOnError) {
    if (!IsClosed())
        Close();
    int error = 0;
    const plat::FileHandle handle = ZipPlatformOps::OpenFile(path ? path : "", flags, &error);
    if (handle == plat::kInvalidFile) {
        if (throwOnError) {
            errno = error;
            CZipException::ThrowError(error, path ? path : "");
        }
        return false;
    }
    m_handle = handle;
    m_path = path ? path : "";
    return true;
}

void CZipDiskFile::Close() {
    if (IsClosed())
        return;
    const plat::FileHandle handle = m_handle;
    m_handle = plat::kInvalidFile;
    if (!plat::CloseFile(handle))
        ThrowLast();
}

void CZipDiskFile::Flush() {
    if (!plat::FlushFile(m_handle))
        ThrowLast();
}

uint64_t CZipDiskFile::GetPosition() {
    const int64_t position = plat::SeekFile(m_handle, 0, plat::kSeekCurrent);
    if (position < 0)
        ThrowLast();
    return static_cast<uint64_t>(position);
}

uint64_t CZipDiskFile::Seek(int64_t offset, int origin) {
    const int64_t position = plat::SeekFile(m_handle, offset, origin);
    if (position < 0)
        ThrowLast();
    return static_cast<uint64_t>(position);
}

uint64_t CZipDiskFile::GetLength() {
    const int64_t length = plat::FileSize(m_handle);
    if (length < 0)
        ThrowLast();
    return static_cast<uint64_t>(length);
}

void CZipDiskFile::SetLength(uint64_t length) {
    const uint64_t position = GetPosition();
    Seek(static_cast<int64_t>(length), kBegin);
    if (!plat::SetFileEndHere(m_handle))
        ThrowLast();
    Seek(static_cast<int64_t>(position < length ? position : length), kBegin);
}

uint32_t CZipDiskFile::Read(void* buffer, uint32_t count) {
    uint32_t done = 0;
    if (!plat::ReadFileBytes(m_handle, buffer, count, &done))
        ThrowLast();
    return done;
}

void CZipDiskFile::Write(const void* buffer, uint32_t count) {
    uint32_t done = 0;
    if (!plat::WriteFileBytes(m_handle, buffer, count, &done))
        ThrowLast();
    if (done != count) {
        errno = ENOSPC;
        CZipException::ThrowError(ENOSPC, m_path);
    }
}

plat::FileHandle CZipDiskFile::OsHandle() const {
    if (IsClosed()) {
        errno = EBADF;
        CZipException::ThrowError(EBADF, m_path);
    }
    return m_handle;
}

void CZipDiskFile::Swap(CZipDiskFile& other) noexcept {
    std::swap(m_handle, other.m_handle);
    m_path.swap(other.m_path);
}

// ---------------------------------------------------------------------------
// CZipMemoryStream
// ---------------------------------------------------------------------------

void CZipMemoryStream::Attach(const void* data, size_t size) {
    Close();
    if (size > kMaxSize)
        CZipException::ThrowError(CZipException::kZlibMemError);
    m_data = static_cast<uint8_t*>(const_cast<void*>(data));
    m_capacity = size;
    m_size = size;
    m_owns = false;
}

void CZipMemoryStream::Close() {
    if (m_owns)
        std::free(m_data);
    m_data = nullptr;
    m_capacity = 0;
    m_size = 0;
    m_position = 0;
    m_owns = true;
}

void CZipMemoryStream::Grow(uint64_t needed) {
    if (needed <= m_capacity && (m_owns || m_data == nullptr))
        return;
    if (m_growthStep == 0 || needed > kMaxSize)
        CZipException::ThrowError(CZipException::kZlibMemError);
    uint64_t capacity = m_owns ? m_capacity : 0;
    if (capacity < needed) {
        const uint64_t steps = (needed - capacity + m_growthStep - 1) / m_growthStep;
        capacity += steps * m_growthStep;
    }
    if (capacity > kMaxSize)
        capacity = needed;
    uint8_t* block;
    if (m_owns) {
        block = static_cast<uint8_t*>(std::realloc(m_data, static_cast<size_t>(capacity)));
    } else {
        // A caller's block is never written: take a private copy.
        block = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(capacity)));
        if (block != nullptr && m_size != 0)
            std::memcpy(block, m_data, m_size);
    }
    if (block == nullptr)
        CZipException::ThrowError(CZipException::kZlibMemError);
    m_data = block;
    m_owns = true;
    m_capacity = static_cast<size_t>(capacity);
}

uint64_t CZipMemoryStream::Seek(int64_t offset, int origin) {
    int64_t base;
    switch (origin) {
    case kBegin:
        base = 0;
        break;
    case kCurrent:
        base = static_cast<int64_t>(m_position);
        break;
    case kEnd:
        base = static_cast<int64_t>(m_size);
        break;
    default:
        return m_position;
    }
    // Positions before the start or beyond 63 bits are refused, not wrapped.
    if ((offset < 0 && base + offset < 0) || (offset > 0 && base > INT64_MAX - offset)) {
        errno = EINVAL;
        CZipException::ThrowError(EINVAL);
    }
    m_position = static_cast<uint64_t>(base + offset);
    return m_position;
}

void CZipMemoryStream::SetLength(uint64_t length) {
    if (length > kMaxSize)
        CZipException::ThrowError(CZipException::kZlibMemError);
    if (m_capacity < length || (!m_owns && length > m_size)) {
        Grow(length);
    } else {
        m_position = length;
    }
    // Bytes gained by growing read as zeros, never as stale memory.
    if (length > m_size)
        std::memset(m_data + m_size, 0, static_cast<size_t>(length - m_size));
    m_size = static_cast<size_t>(length);
}

uint32_t CZipMemoryStream::Read(void* buffer, uint32_t count) {
    if (m_position >= m_size || count == 0)
        return 0;
    const uint64_t available = m_size - m_position;
    const uint32_t n = available < count ? static_cast<uint32_t>(available) : count;
    std::memcpy(buffer, m_data + m_position, n);
    m_position += n;
    return n;
}

void CZipMemoryStream::Write(const void* buffer, uint32_t count) {
    if (count == 0)
        return;
    if (m_position > kMaxSize || count > kMaxSize - m_position)
        CZipException::ThrowError(CZipException::kZlibMemError);
    const uint64_t end = m_position + count;
    Grow(end);
    if (m_position > m_size)
        std::memset(m_data + m_size, 0, static_cast<size_t>(m_position - m_size));
    std::memcpy(m_data + m_position, buffer, count);
    m_position = end;
    if (end > m_size)
        m_size = static_cast<size_t>(end);
}
