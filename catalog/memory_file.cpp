#include "catalog/memory_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/platform.h"

CMemoryFile::CMemoryFile(std::shared_ptr<CMemoryDisk> disk) : m_disk(std::move(disk)) {}

CMemoryFile::~CMemoryFile() {
    Close();
}

bool CMemoryFile::Open(const char* path, uint32_t flags) {
    Close();
    if (m_disk->open)
        return false; // not shared: a second open of the same disk fails
    const bool openOrCreate = (flags & kFileOpenOrCreate) != 0;
    const bool truncate = (flags & kFileTruncate) != 0;
    if (openOrCreate && (flags & kFileCreateNew)) {
        if (m_disk->exists)
            return false;
        m_disk->bytes.clear();
    } else if (openOrCreate && truncate) {
        if (!m_disk->exists)
            return false;
        m_disk->bytes.clear();
    } else if (openOrCreate) {
        // open always: keep the content
    } else if (truncate) {
        m_disk->bytes.clear(); // create always
    } else if (!m_disk->exists) {
        return false; // open existing
    }
    m_disk->exists = true;
    m_disk->open = true;
    m_open = true;
    m_pos = 0;
    handle = 1; // any valid-looking value: IsOpen() reports an open file
    return true;
}

bool CMemoryFile::Close() {
    if (!m_open)
        return false;
    m_open = false;
    m_disk->open = false;
    handle = plat::kInvalidFile;
    return true;
}

int64_t CMemoryFile::Seek(int64_t offset, int origin) {
    if (!m_open)
        return -1;
    int64_t base = origin == 0   ? 0
                   : origin == 1 ? m_pos
                                 : static_cast<int64_t>(m_disk->bytes.size());
    int64_t target = base + offset;
    if (target < 0)
        return -1;
    m_pos = target;
    return m_pos;
}

int64_t CMemoryFile::GetSize() {
    return m_open ? static_cast<int64_t>(m_disk->bytes.size()) : -1;
}

int64_t CMemoryFile::Allowed(EOp op, uint32_t count) {
    if (!m_hook)
        return count;
    int64_t n = m_hook(op, static_cast<uint64_t>(m_pos), count);
    if (n < 0)
        return -1;
    return std::min<int64_t>(n, count);
}

int64_t CMemoryFile::Read(void* buffer, uint32_t count) {
    if (!m_open)
        return -1;
    int64_t allowed = Allowed(kOpRead, count);
    if (allowed < 0)
        return -1;
    const int64_t size = static_cast<int64_t>(m_disk->bytes.size());
    int64_t n = m_pos >= size ? 0 : std::min<int64_t>(allowed, size - m_pos);
    if (n > 0)
        std::memcpy(buffer, m_disk->bytes.data() + m_pos, static_cast<size_t>(n));
    m_pos += n;
    return n;
}

int64_t CMemoryFile::Write(const void* buffer, uint32_t count) {
    if (!m_open)
        return -1;
    int64_t n = Allowed(kOpWrite, count);
    if (n < 0)
        return -1;
    if (static_cast<uint64_t>(m_pos) + static_cast<uint64_t>(n) > m_disk->maxBytes)
        return -1;
    const uint64_t end = static_cast<uint64_t>(m_pos) + static_cast<uint64_t>(n);
    if (end > m_disk->bytes.size())
        m_disk->bytes.resize(static_cast<size_t>(end), 0);
    if (n > 0)
        std::memcpy(m_disk->bytes.data() + m_pos, buffer, static_cast<size_t>(n));
    m_pos += n;
    return n;
}

bool CMemoryFile::Flush() {
    if (!m_open)
        return false;
    return Allowed(kOpFlush, 0) >= 0;
}

bool CMemoryFile::SetEnd(int64_t position) {
    if (!m_open || position < 0 || static_cast<uint64_t>(position) > m_disk->maxBytes)
        return false;
    m_pos = position;
    if (Allowed(kOpSetEnd, 0) < 0)
        return false;
    m_disk->bytes.resize(static_cast<size_t>(position), 0);
    return true;
}

int64_t CMemoryFile::ReadAt(uint64_t offset, void* buffer, uint32_t count) {
    if (Seek(static_cast<int64_t>(offset), 0) < 0)
        return -1;
    return Read(buffer, count);
}

int64_t CMemoryFile::WriteAt(uint64_t offset, const void* buffer, uint32_t count) {
    if (Seek(static_cast<int64_t>(offset), 0) < 0)
        return -1;
    return Write(buffer, count);
}

int64_t CMemoryFile::ReadScatterAt(uint64_t offset, const plat::IoSlice* slices, uint32_t count) {
    uint64_t total = 0;
    for (uint32_t i = 0; i < count; ++i)
        total += slices[i].bytes;
    if (total > 0xFFFFFFFFu)
        return -1;
    std::vector<uint8_t> staged(static_cast<size_t>(total));
    const int64_t got = ReadAt(offset, staged.data(), static_cast<uint32_t>(total));
    if (got < 0)
        return -1;
    uint64_t at = 0;
    for (uint32_t i = 0; i < count && at < static_cast<uint64_t>(got); ++i) {
        const uint64_t n = std::min<uint64_t>(slices[i].bytes, static_cast<uint64_t>(got) - at);
        std::memcpy(slices[i].data, staged.data() + at, static_cast<size_t>(n));
        at += n;
    }
    return got;
}

bool CMemoryFile::WriteGatherAt(uint64_t offset, const void* const* pieces, uint32_t pieceBytes,
                                uint32_t count) {
    const uint64_t total = static_cast<uint64_t>(pieceBytes) * count;
    if (total > 0xFFFFFFFFu)
        return false;
    std::vector<uint8_t> staged(static_cast<size_t>(total));
    for (uint32_t i = 0; i < count; ++i)
        std::memcpy(staged.data() + static_cast<size_t>(i) * pieceBytes, pieces[i], pieceBytes);
    return WriteAt(offset, staged.data(), static_cast<uint32_t>(total)) ==
           static_cast<int64_t>(total);
}
