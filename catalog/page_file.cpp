// The page cache of CPageFile: getting, creating, releasing, freeing and
// writing back pages. Transfers to and from the file live in page_io.cpp,
// record chains in page_records.cpp.
#include "catalog/page_file.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {
// Freed committed images kept for reuse, so that a commit's worth of changes
// does not allocate a buffer per page.
constexpr size_t kSpareImages = 64;
} // namespace

CPageFile::CPageFile() : m_file(new CWin32File()), m_journal(new CWin32File()) {}

CPageFile::~CPageFile() {
    Close();
}

bool CPageFile::SetFile(std::unique_ptr<CWin32File> file) {
    if (m_open || !file)
        return false;
    m_file = std::move(file);
    return true;
}

bool CPageFile::Open(const char* path, uint32_t flags) {
    if (m_open)
        return false;
    if (!m_file->Open(path, flags))
        return false;
    m_journalPath = JournalPath(path);
    m_journalActive = false;
    m_fileTouched = false;
    m_journaled.clear();
    m_committedHeader.clear();
    // A journal is played back before the length tells whether the file is
    // new: a file that was being created rolls back to empty.
    int64_t size = RecoverJournal() ? m_file->GetSize() : -1;
    if (size < 0) {
        m_file->Close();
        return false;
    }
    m_newFile = size == 0;
    m_open = true;
    return true;
}

bool CPageFile::Close() {
    if (!m_open)
        return false;
    bool ok = Flush(true);
    ok = DropCache() && ok;
    m_file->Close();
    if (m_journalActive)
        m_journal->Close(); // a failed commit's journal stays for the next open
    else if (m_journal->IsOpen())
        CloseJournal(); // the cleared journal of the last commit
    m_journalActive = false;
    m_journalStage.reset();
    m_journalStageBytes = 0;
    m_committedHeader.clear();
    m_pageSize = 0;
    m_pageCount = 0;
    m_flushedCount = 0;
    m_preBytes = 0;
    m_maxBytes = 0;
    m_append = DbLocation{};
    m_allocator = nullptr;
    m_newFile = false;
    m_open = false;
    return ok;
}

void CPageFile::Abandon() {
    if (!m_open)
        return;
    while (!m_overflow.empty())
        DestroyOverflow(m_overflow.back());
    for (PageRecord& r : m_pre)
        DropOriginal(&r);
    for (uint8_t* image : m_spareImages)
        delete[] image;
    m_spareImages.clear();
    m_parked.clear();
    m_mru.clear();
    m_empty.clear();
    m_byId.clear();
    m_pre.clear();
    m_block.reset();
    m_runBuffer.reset();
    m_cacheReady = false;
    m_file->Close();
    if (m_journalActive)
        m_journal->Close(); // a commit under way: its journal rolls it back at the next open
    else if (m_journal->IsOpen())
        CloseJournal(); // the cleared journal of the last commit is no one's
    m_journalActive = false;
    m_committedHeader.clear();
    m_pageSize = 0;
    m_pageCount = 0;
    m_flushedCount = 0;
    m_append = DbLocation{};
    m_allocator = nullptr;
    m_newFile = false;
    m_open = false;
}

void CPageFile::SetCacheBytes(uint32_t preallocated, uint32_t maximum) {
    m_preBytes = preallocated;
    m_maxBytes = maximum;
}

bool CPageFile::SetPageSize(uint32_t size) {
    if (m_open || size < 64 || size > 0xFFFF)
        return false;
    m_pageSize = size;
    return true;
}

uint32_t CPageFile::PageLimit() const {
    if (m_pageSize == 0)
        return 0;
    uint32_t limit = static_cast<uint32_t>(kDbMaxFileBytes / m_pageSize);
    if (m_pageLimitOverride != 0 && m_pageLimitOverride < limit)
        limit = m_pageLimitOverride;
    return limit;
}

bool CPageFile::AllocateCache() {
    if (m_cacheReady || m_pageSize < 64)
        return false;
    uint32_t records = m_preBytes / m_pageSize;
    if (records == 0)
        return false;
    size_t bytes = static_cast<size_t>(records) * m_pageSize;
    m_block.reset(new (std::nothrow) uint8_t[bytes]);
    if (!m_block)
        return false;
    std::memset(m_block.get(), 0, bytes);
    m_preBytes = records * m_pageSize;
    // Without the run buffer records are read page by page: slower, not wrong.
    m_runBuffer.reset(new (std::nothrow) uint8_t[static_cast<size_t>(kDbRunPages) * m_pageSize]);
    m_mru.clear(); // before the records it links go
    m_pre.assign(records, PageRecord{});
    m_byId.clear();
    for (uint32_t i = 0; i < records; ++i) {
        m_pre[i].data = m_block.get() + static_cast<size_t>(i) * m_pageSize;
        m_mru.PushOldest(&m_pre[i]);
    }
    m_empty.clear();
    for (uint32_t i = records; i-- > 0;)
        m_empty.push_back(&m_pre[i]); // the oldest first, as the list would
    m_cacheReady = true;
    return true;
}

PageRecord* CPageFile::FindCached(uint32_t id) const {
    auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : it->second;
}

void CPageFile::SetRecordId(PageRecord* record, int32_t id) {
    if (record->id == id)
        return;
    if (record->id >= 0) {
        auto it = m_byId.find(static_cast<uint32_t>(record->id));
        if (it != m_byId.end() && it->second == record)
            m_byId.erase(it);
    }
    record->id = id;
    if (id >= 0)
        m_byId[static_cast<uint32_t>(id)] = record;
}

bool CPageFile::IsCached(uint32_t id) const {
    return FindCached(id) != nullptr;
}

uint32_t CPageFile::HeldPageCount() const {
    uint32_t n = 0;
    for (PageRecord* r : m_mru)
        if (r->use > 0)
            ++n;
    return n;
}

void CPageFile::MoveToFront(PageRecord* record) {
    if (record->parked)
        Unpark(record, true);
    else if (record->listed)
        m_mru.PushNewest(record);
}

void CPageFile::RemoveFromMru(PageRecord* record) {
    Unpark(record, true);
    m_mru.Remove(record);
}

void CPageFile::KeepOriginal(PageRecord* record) {
    if (m_changing <= 0 || record->dirty || !record->fileImage || record->original ||
        record->id < 0)
        return;
    const uint32_t id = static_cast<uint32_t>(record->id);
    const uint32_t base = m_journalActive ? m_journalBase : m_flushedCount;
    // Past the committed end nothing needs saving; a page already journaled
    // may have been overwritten by a commit that failed after its journal.
    if (id >= base || (id < m_journaled.size() && m_journaled[id]))
        return;
    uint8_t* image = TakeSpareImage();
    if (!image)
        return;
    std::memcpy(image, record->data, m_pageSize);
    record->original = image;
}

void CPageFile::DropOriginal(PageRecord* record) {
    if (!record->original)
        return;
    GiveSpareImage(record->original);
    record->original = nullptr;
}

uint8_t* CPageFile::TakeSpareImage() {
    if (m_spareImages.empty())
        return new (std::nothrow) uint8_t[m_pageSize];
    uint8_t* image = m_spareImages.back();
    m_spareImages.pop_back();
    return image;
}

// Buffers come back here between commits and go out again in the next one:
// one commit after another needs about as many, and a buffer freed and
// allocated anew would cost the system's page faults each time. The pool
// never holds more than were in use at once; a commit trims it to what it
// needed (TrimSpareImages).
void CPageFile::GiveSpareImage(uint8_t* image) {
    if (image)
        m_spareImages.push_back(image);
}

void CPageFile::TrimSpareImages(size_t keep) {
    keep = std::max(keep, kSpareImages);
    while (m_spareImages.size() > keep) {
        delete[] m_spareImages.back();
        m_spareImages.pop_back();
    }
}

void CPageFile::DestroyOverflow(PageRecord* record) {
    DropOriginal(record);
    SetRecordId(record, -1);
    RemoveFromMru(record);
    auto it = std::find(m_overflow.begin(), m_overflow.end(), record);
    if (it != m_overflow.end())
        m_overflow.erase(it);
    GiveSpareImage(record->data);
    delete record;
}

// Forgets a record's page: an overflow record is freed, a preallocated one
// becomes unused and moves to the back of the list (reused first).
void CPageFile::ResetRecord(PageRecord* record) {
    if (record->overflow) {
        DestroyOverflow(record);
        return;
    }
    DropOriginal(record);
    SetRecordId(record, -1);
    RemoveFromMru(record);
    record->use = 0;
    record->dirty = 0;
    record->fileImage = false;
    m_mru.PushOldest(record);
    m_empty.push_back(record);
}

PageRecord* CPageFile::GetPage(uint32_t id) {
    if (!m_cacheReady || !IsValidPage(id))
        return nullptr;
    if (PageRecord* r = FindCached(id)) {
        ++r->use;
        MoveToFront(r);
        KeepOriginal(r);
        return r;
    }
    PageRecord* r = TakeBuffer(id, false); // the read fills the whole buffer
    if (!r)
        return nullptr;
    if (!ReadPage(r)) {
        // Never leave the zero-filled buffer cached as the page's content.
        ResetRecord(r);
        return nullptr;
    }
    r->fileImage = true;
    KeepOriginal(r);
    return r;
}

PageRecord* CPageFile::NewPageRecord(uint32_t id) {
    return TakeBuffer(id, true);
}

PageRecord* CPageFile::FindReusableRecord() {
    // Changes reach the file only in a commit, so a dirty page cannot give
    // up its buffer: one met here leaves the list for the parked ones until
    // it is wanted again or committed. Moved to the list's new end instead,
    // it came back into every search as soon as a few clean pages were
    // used after it, and between commits of many random changes each miss
    // walked past every one of them.
    for (PageRecord* r = m_mru.Oldest(); r;) {
        PageRecord* newer = r->newer;
        if (r->use == 0) {
            if (!(r->dirty && r->id >= 0))
                return r;
            Park(r);
        }
        r = newer;
    }
    return nullptr;
}

void CPageFile::Park(PageRecord* record) {
    m_mru.Remove(record);
    record->parked = true;
    record->parkSlot = m_parked.size();
    m_parked.push_back(record);
}

void CPageFile::Unpark(PageRecord* record, bool newest) {
    if (!record->parked)
        return;
    PageRecord* last = m_parked.back();
    m_parked[record->parkSlot] = last;
    last->parkSlot = record->parkSlot;
    m_parked.pop_back();
    record->parked = false;
    newest ? m_mru.PushNewest(record) : m_mru.PushOldest(record);
}

void CPageFile::UnparkAll() {
    while (!m_parked.empty())
        Unpark(m_parked.back(), false);
}

PageRecord* CPageFile::TakeBuffer(uint32_t id, bool zero) {
    if (!m_cacheReady || id > 0x7FFFFFFFu)
        return nullptr;
    PageRecord* found = FindCached(id);
    if (found && found->use > 0)
        return nullptr; // somebody holds this page: it cannot be new
    while (!found && !m_empty.empty()) {
        PageRecord* r = m_empty.back();
        m_empty.pop_back();
        if (r->id < 0 && r->use == 0 && r->listed)
            found = r;
    }
    if (!found)
        found = FindReusableRecord();
    if (!found && m_mru.size() + m_parked.size() >= m_maxBytes / m_pageSize)
        return nullptr; // cache exhausted
    if (!found) {
        PageRecord* r = new (std::nothrow) PageRecord();
        if (!r)
            return nullptr;
        r->data = TakeSpareImage();
        if (!r->data) {
            delete r;
            return nullptr;
        }
        r->overflow = true;
        m_overflow.push_back(r);
        m_mru.PushNewest(r);
        ++m_overflowAllocations;
        found = r;
    } else {
        MoveToFront(found);
    }
    if (zero)
        std::memset(found->data, 0, m_pageSize);
    DropOriginal(found);
    SetRecordId(found, static_cast<int32_t>(id));
    found->dirty = 0;
    found->fileImage = false;
    found->use = 1;
    return found;
}

void CPageFile::ReleasePage(PageRecord* record) {
    if (!record || record->use <= 0)
        return;
    if (--record->use > 0)
        return;
    if (!record->overflow)
        return;
    if (record->dirty)
        return; // kept for the next commit, which frees it
    DestroyOverflow(record);
}

void CPageFile::ReleasePageCold(PageRecord* record) {
    if (record && record->use == 1 && !record->overflow && record->listed)
        m_mru.PushOldest(record);
    ReleasePage(record);
}

bool CPageFile::FreePage(PageRecord* record, bool toIndex) {
    if (!record || record->use != 1 || record->id < 0)
        return false;
    uint32_t id = static_cast<uint32_t>(record->id);
    ResetRecord(record); // the content of a freed page is never written back
    if (m_append.page == id)
        m_append = DbLocation{};
    if (!m_allocator)
        return true;
    return m_allocator->ReleasePage(id, toIndex, true);
}

uint32_t CPageFile::TakePageId(bool refill) {
    if (m_allocator) {
        uint32_t id = m_allocator->TakePage(refill);
        if (id != kDbNoPage) {
            PageRecord* cached = FindCached(id);
            if (IsValidPage(id) && !(cached && cached->use > 0))
                return id;
            // A free id that is out of range or in use comes from a damaged
            // free list: drop it rather than hand out a live page.
        }
    }
    if (m_pageCount >= PageLimit())
        return kDbNoPage;
    return m_pageCount++;
}

PageRecord* CPageFile::NewPage(bool refill) {
    uint32_t id = TakePageId(refill);
    if (id == kDbNoPage)
        return nullptr;
    PageRecord* r = NewPageRecord(id);
    if (!r) {
        if (id + 1 == m_pageCount)
            --m_pageCount;
        else if (m_allocator)
            m_allocator->ReleasePage(id, true, true);
        return nullptr;
    }
    r->dirty = 1;
    return r;
}

void CPageFile::ReturnUnusedPage(PageRecord* record, bool toIndex) {
    if (record->id >= 0 && static_cast<uint32_t>(record->id) + 1 == m_pageCount &&
        record->use == 1) {
        ResetRecord(record); // the last page of the file: just give the id back
        --m_pageCount;
        return;
    }
    if (!FreePage(record, toIndex))
        ReleasePage(record);
}

bool CPageFile::ReservePage() {
    return TakePageId(false) != kDbNoPage;
}

bool CPageFile::Flush(bool spill) {
    if (!m_open)
        return false;
    bool ok = true;
    if (spill && m_allocator)
        ok = m_allocator->SpillToIndex();
    return Commit(nullptr, 0) && ok;
}

bool CPageFile::TruncateTail() {
    if (!m_open || !m_allocator)
        return m_open;
    UnparkAll(); // every cached page is looked at below
    const uint32_t before = m_pageCount;
    uint32_t cut = m_allocator->TrimFileEnd(before);
    if (m_pageCount != before || cut >= before || cut == 0)
        return true;
    for (PageRecord* r : m_mru)
        if (r->id >= 0 && static_cast<uint32_t>(r->id) >= cut && r->use > 0)
            return false; // a held page can't be free: leave the file as it is
    // Resetting moves or frees records: collect them first, oldest first.
    std::vector<PageRecord*> cutOff;
    for (PageRecord* r = m_mru.Oldest(); r; r = r->newer)
        if (r->id >= 0 && static_cast<uint32_t>(r->id) >= cut)
            cutOff.push_back(r);
    for (PageRecord* r : cutOff)
        ResetRecord(r);
    if (!m_append.IsNone() && m_append.page >= cut)
        m_append = DbLocation{};
    m_pageCount = cut;
    return true;
}

bool CPageFile::DropCache() {
    if (!m_cacheReady)
        return true;
    while (!m_overflow.empty())
        DestroyOverflow(m_overflow.back());
    for (PageRecord& r : m_pre)
        DropOriginal(&r);
    for (uint8_t* image : m_spareImages)
        delete[] image;
    m_spareImages.clear();
    m_parked.clear();
    m_mru.clear();
    m_empty.clear();
    m_byId.clear();
    m_pre.clear();
    m_block.reset();
    m_runBuffer.reset();
    m_cacheReady = false;
    return true;
}
