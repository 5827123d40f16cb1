// CIndexDatabase: open, header, flush, close, user data and the free-page
// count. Index lookup and creation are in db_indexes.cpp, compaction in
// db_compact.cpp.
#include "catalog/index_database.h"

#include <cstring>

#include "imaging/byte_stream.h"

namespace {
constexpr uint8_t kMagic[4] = {'V', 'e', 'l', 'm'};
constexpr uint8_t kTrailer[2] = {'D', 'B'};
constexpr uint32_t kPreallocatedCache = 0x40000;
constexpr uint32_t kMaximumCache = 0xFFFFFFFFu;

bool ModeToFileFlags(int mode, uint32_t* flags) {
    switch (mode) {
    case kDbCreate:
        *flags = kFileTruncate; // create always
        return true;
    case kDbOpenOrCreate:
        *flags = kFileOpenOrCreate;
        return true;
    case kDbOpenExisting:
    case kDbReadOnly:
        *flags = 0; // open existing, read-write handle, not shared
        return true;
    default:
        return false;
    }
}
} // namespace

CIndexDatabase::CIndexDatabase()
    : m_cachePreallocated(kPreallocatedCache), m_cacheMaximum(kMaximumCache) {}

CIndexDatabase::~CIndexDatabase() {
    Close();
}

void CIndexDatabase::SetCacheBytes(uint32_t preallocated, uint32_t maximum) {
    m_cachePreallocated = preallocated;
    m_cacheMaximum = maximum;
}

bool CIndexDatabase::Open(const char* path, int mode) {
    uint32_t flags;
    if (m_open || !path || !ModeToFileFlags(mode, &flags))
        return false;
    m_freeList.reset(new CFreePageList(10));
    m_version = 0;
    std::memset(m_fileId, 0, sizeof m_fileId);
    m_catalogSpec = m_freeSpec = m_userData = DbLocation{};
    m_pages.SetPageSize(kDbPageSize);
    m_pages.SetCacheBytes(m_cachePreallocated, m_cacheMaximum);
    if (m_fileFactory) {
        m_pages.SetFile(m_fileFactory(path));
        m_pages.SetJournalFile(m_fileFactory(CPageFile::JournalPath(path)));
    }
    if (!m_pages.Open(path, flags))
        return false;
    m_readOnly = mode == kDbReadOnly;
    m_newFile = m_pages.IsNewFile();
    bool ok = m_newFile ? !m_readOnly && CreateNewFile() : LoadExistingFile();
    if (!ok) {
        Discard();
        return false;
    }
    m_open = true;
    return true;
}

// Drops everything of a failed open without writing to the file.
void CIndexDatabase::Discard() {
    m_catalog.reset();
    m_freeIndex.reset();
    if (m_freeList)
        m_freeList->Clear();
    m_pages.Abandon();
    m_open = false;
}

bool CIndexDatabase::CreateNewFile() {
    if (!m_pages.AllocateCache())
        return false;
    m_version = 0;
    StoreU32(m_fileId, 2);
    m_userData = DbLocation{};
    if (!m_pages.ReservePage() ||
        !m_pages.AllocateRecord(nullptr, kIndexSpecSize, &m_catalogSpec) ||
        !m_pages.AllocateRecord(nullptr, kIndexSpecSize, &m_freeSpec))
        return false;
    m_catalog.reset(new CBTreeIndex());
    if (!m_catalog->CreateKeyValue(&m_pages, 0, false, kDbLocationSize, false))
        return false;
    m_freeIndex.reset(new CBTreeIndex());
    m_freeIndex->freeToIndex = false;
    if (!m_freeIndex->CreateKeySet(&m_pages, 4, false) ||
        !m_freeIndex->SetKeyType(kKeyTypeUnsigned))
        return false;
    m_freeList->Attach(m_freeIndex.get(), &m_pages);
    m_pages.SetAllocator(m_freeList.get());
    // Put the whole new file on disk now, so that it is never seen short.
    m_open = true;
    bool ok = Flush(false);
    m_open = false;
    return ok;
}

bool CIndexDatabase::ReadSpecAt(DbLocation loc, uint8_t* spec) {
    return m_pages.ReadRecord(spec, kIndexSpecSize, &loc, false);
}

bool CIndexDatabase::LoadExistingFile() {
    if (!ReadHeader() || !m_pages.AllocateCache())
        return false;
    uint8_t spec[kIndexSpecSize];
    m_catalog.reset(new CBTreeIndex());
    if (!ReadSpecAt(m_catalogSpec, spec) || !m_catalog->Load(&m_pages, spec))
        return false;
    const IndexSpec& cat = m_catalog->Spec();
    if (cat.KeysOnly() || cat.KeysOutOfLine() || cat.ValuesOutOfLine() ||
        cat.fixedValue != kDbLocationSize || cat.keyType != kKeyTypeBytes)
        return false;
    if (m_readOnly) {
        m_catalog->readOnly = true;
        return true; // no free-page index and no allocator
    }
    m_freeIndex.reset(new CBTreeIndex());
    m_freeIndex->freeToIndex = false;
    if (!ReadSpecAt(m_freeSpec, spec) || !m_freeIndex->Load(&m_pages, spec))
        return false;
    const IndexSpec& fs = m_freeIndex->Spec();
    if (!fs.KeysOnly() || fs.KeysOutOfLine() || fs.fixedKey != 4 || fs.keyType != kKeyTypeUnsigned)
        return false;
    m_freeList->Attach(m_freeIndex.get(), &m_pages);
    m_pages.SetAllocator(m_freeList.get());
    m_freeList->Refill();
    return true;
}

bool CIndexDatabase::ReadHeader() {
    uint8_t h[kDbHeaderSize];
    if (!m_pages.ReadAt(0, h, kDbHeaderSize))
        return false;
    if (std::memcmp(h, kMagic, 4) != 0 || std::memcmp(h + kDbHeaderTrailer, kTrailer, 2) != 0)
        return false;
    const uint32_t pageSize = LoadU16(h + kDbHeaderPageSize);
    const uint32_t pageCount = LoadU32(h + kDbHeaderPageCount);
    const DbLocation append = DbLocation::Load(h + kDbHeaderAppend);
    const DbLocation catalog = DbLocation::Load(h + kDbHeaderCatalog);
    const DbLocation freeSpec = DbLocation::Load(h + kDbHeaderFreeSpec);
    const DbLocation user = DbLocation::Load(h + kDbHeaderUserData);
    // The size check is made in 64 bits: a page count whose product with the
    // page size wraps in 32 bits must not match a small file. A file longer
    // than its header says holds pages that were never committed (a commit
    // cuts the free tail only after its header); the next commit cuts them.
    const int64_t size = m_pages.FileSize();
    if (pageSize != m_pages.PageSize() || size < 0 ||
        size > static_cast<int64_t>(kDbMaxFileBytes) ||
        static_cast<uint64_t>(size) < static_cast<uint64_t>(pageSize) * pageCount ||
        pageCount < 4 || pageCount > m_pages.PageLimit())
        return false;
    const uint32_t ds = pageSize - kDbRecordHeader;
    auto valid = [&](DbLocation loc, bool mayBeNone) {
        if (loc.IsNone())
            return mayBeNone;
        return loc.page != 0 && loc.page < pageCount && loc.offset <= ds;
    };
    if (!valid(append, true) || !valid(catalog, false) || !valid(freeSpec, false) ||
        !valid(user, true))
        return false;
    m_pages.SetCommittedHeader(h, kDbHeaderSize);
    m_version = h[kDbHeaderVersion];
    std::memcpy(m_fileId, h + kDbHeaderFileId, 16);
    m_pages.SetPageCount(pageCount);
    m_pages.SetAppendLocation(append);
    m_catalogSpec = catalog;
    m_freeSpec = freeSpec;
    m_userData = user;
    return true;
}

void CIndexDatabase::BuildHeader(uint8_t* h) {
    std::memcpy(h, kMagic, 4);
    h[kDbHeaderVersion] = m_version;
    std::memcpy(h + kDbHeaderFileId, m_fileId, 16);
    StoreU16(h + kDbHeaderPageSize, static_cast<uint16_t>(m_pages.PageSize()));
    StoreU32(h + kDbHeaderPageCount, m_pages.PageCount());
    m_pages.AppendLocation().Store(h + kDbHeaderAppend);
    m_catalogSpec.Store(h + kDbHeaderCatalog);
    m_freeSpec.Store(h + kDbHeaderFreeSpec);
    m_userData.Store(h + kDbHeaderUserData);
    std::memcpy(h + kDbHeaderTrailer, kTrailer, 2);
}

bool CIndexDatabase::WriteInternalSpecs() {
    uint8_t spec[kIndexSpecSize];
    m_catalog->StoreSpec(spec);
    DbLocation loc = m_catalogSpec;
    bool ok = m_pages.RewriteRecord(spec, kIndexSpecSize, &loc, false);
    if (m_freeIndex) {
        m_freeIndex->StoreSpec(spec);
        loc = m_freeSpec;
        ok = m_pages.RewriteRecord(spec, kIndexSpecSize, &loc, false) && ok;
    }
    return ok;
}

bool CIndexDatabase::SaveIndexSpec(CBTreeIndex* index) {
    if (m_readOnly)
        return true;
    uint8_t spec[kIndexSpecSize];
    index->StoreSpec(spec);
    DbLocation loc = index->specLocation;
    return m_pages.RewriteRecord(spec, kIndexSpecSize, &loc, false);
}

// The free-page cache goes into its index first (it may take pages), then
// every description; the page file's commit makes all of it, and the
// header, reach the file as one change or not at all.
// The cache is spilled at every flush, not only when asked: ids that exist
// only in memory would be lost to the file (neither free nor used) when the
// process dies before the next flush.
bool CIndexDatabase::Flush(bool spill) {
    if (!m_open)
        return false;
    if (m_readOnly)
        return true;
    CPageChanges changes(&m_pages);
    bool ok = true;
    if (spill || !m_freeList->Cached().empty())
        ok = m_freeList->SpillToIndex();
    for (CBTreeIndex* index : m_indexes)
        ok = SaveIndexSpec(index) && ok;
    ok = WriteInternalSpecs() && ok;
    uint8_t h[kDbHeaderSize];
    BuildHeader(h);
    return m_pages.Commit(h, kDbHeaderSize) && ok;
}

void CIndexDatabase::CloseWithoutWriting() {
    if (!m_open)
        return;
    for (CBTreeIndex* index : m_indexes)
        delete index;
    m_indexes.clear();
    Discard();
}

bool CIndexDatabase::Close() {
    if (!m_open)
        return false;
    if (m_readOnly) {
        CloseWithoutWriting();
        return true;
    }
    // Save the descriptions of indexes still open before discarding them:
    // compaction reads them back from the file.
    bool ok = Flush(false);
    for (CBTreeIndex* index : m_indexes)
        delete index;
    m_indexes.clear();
    if (ok) {
        Compact();
        Compact();
    }
    ok = Flush(true) && ok;
    ok = m_pages.Close() && ok;
    m_freeIndex.reset();
    m_freeList->Clear();
    m_catalog.reset();
    m_open = false;
    return ok;
}

bool CIndexDatabase::WriteUserData(CByteStream* stream) {
    if (!m_open || m_readOnly || !stream || (stream->size > 0 && !stream->buffer))
        return false;
    const uint32_t length = stream->size;
    // The new record is written before the old one is freed, so a failure
    // keeps the old user data.
    uint8_t raw[4];
    StoreU32(raw, length);
    DbLocation loc;
    if (!m_pages.AllocateRecord(raw, 4, &loc))
        return false;
    DbLocation rest = m_pages.AppendLocation();
    if (!m_pages.AppendRecord(stream->buffer, length, &rest)) {
        m_pages.FreeRecord(loc, 4);
        return false;
    }
    if (!m_userData.IsNone()) {
        DbLocation old = m_userData;
        uint8_t oldRaw[4];
        if (m_pages.ReadRecord(oldRaw, 4, &old, false)) {
            uint32_t oldLength = LoadU32(oldRaw);
            if (oldLength <= m_pages.MaxRecordBytes())
                m_pages.FreeRecord(m_userData, oldLength + 4);
        }
    }
    m_userData = loc;
    Flush(false);
    return true;
}

bool CIndexDatabase::ReadUserData(CByteStream* stream) {
    if (!m_open || !stream || m_userData.IsNone())
        return false;
    DbLocation loc = m_userData;
    uint8_t raw[4];
    if (!m_pages.ReadRecord(raw, 4, &loc, true))
        return false;
    const uint32_t length = LoadU32(raw);
    // Never allocate from a length the file cannot hold.
    if (length > m_pages.MaxRecordBytes())
        return false;
    if (length == 0) {
        stream->Free();
        return true;
    }
    if (!stream->Allocate(length) || !m_pages.ReadRecord(stream->buffer, length, &loc, false))
        return false;
    stream->size = length;
    stream->position = 0;
    return true;
}

uint32_t CIndexDatabase::CountFreePages() {
    if (!m_open || m_readOnly || !m_freeList)
        return 0;
    return m_freeList->IndexedCount() + static_cast<uint32_t>(m_freeList->Cached().size());
}
