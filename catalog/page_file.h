// Fixed-size pages over one file, a cache of page buffers, and records (byte
// strings of any length) stored as chains of record pages.
//
// Record page layout (every page that holds record bytes):
//   0  4  u32 id of the next page of a record that continues past this page
//         (a fresh page holds 0; read only when a record continues)
//   4  2  u16 bytes in use: how many bytes of live records lie in this page
//   6  .. data area; DbLocation offsets count from here
// A record starts at a DbLocation, fills the rest of that page's data area and
// continues at offset 0 of the page named in the next-page field. Records are
// appended one after another at the append location, so a page can hold the
// end of one record and the starts of others; when its bytes in use reach 0
// the page is freed. Node pages (btree_node.h) use the whole page and are
// never interpreted here.
//
// The cache: a block of preallocated page buffers that stays for the file's
// open life, plus overflow buffers for pages held at once beyond it, freed
// when their last holder releases them. Every cached record is on one MRU
// list, and is found by its page id through an index kept beside the list;
// a record nobody holds can be taken for another page at any time, and a
// dirty one is written back first. A page whose write-back fails stays
// dirty and cached: its content is never dropped silently. Buffers are taken
// from the back of the list; pages that are passed once (leaves after a
// point lookup or a cursor step, record pages that were read) are released
// to the back, so that the upper nodes of the trees, which every lookup
// passes, stay cached longer than a plain most-recently-used order keeps them.
// The size is the program's (CIndexDatabase::Open: 256 KiB, 32 pages).
//
// Crash safety: after a kill at any moment the file holds exactly what the
// last completed commit (flush) wrote. Between commits nothing reaches the
// file: dirty pages stay in their buffers (a dirty buffer is never taken for
// another page; overflow buffers hold what does not fit) until the next
// commit. A commit first saves the last committed image of every page it
// will overwrite inside the committed file, and of the header page, in a
// rollback journal beside the file (JournalPath) and syncs it; then it
// writes the pages, grows the file to the page count, writes the header,
// syncs the file and empties the journal, which is the commit point. The
// journal is then removed, and only after that are free pages cut off the
// end, so a kill in between leaves a file longer than its header says; such
// a file opens (the extra pages were never committed) and is cut at the next
// commit. A page changed back to its committed image, and a header that
// says what the file's header says, are not written: a commit writes each
// page that differs once, and one with nothing different writes nothing.
// Open plays a journal left behind back (page images, then the
// committed length) before anything is read.
//
// The originals come from memory where they can: a clean page handed out
// while changes are under way (CPageChanges: a put, an erase, a flush) keeps
// a copy of its buffer, which is then exactly what the file holds for it,
// until the journal has it. Only a page changed without such a copy has its
// original read back from the file, which holds it until the commit. A commit that fails keeps its
// journal, so that a later commit, or the next open, still knows every
// original; its pages stay dirty where they did not reach the file.
//
// I/O: every transfer is a positioned read or write of the file object (no
// seek per page); a file object handed in with SetFile (tests, fuzzers) sees
// each of them through its own members, fault hooks included.
//
// Reading a record that continues over pages that are not cached reads those
// pages in one call (up to kDbRunPages) as if the chain ran through
// consecutive ids, the data areas straight into the caller's buffer, then
// checks the chain in the headers that were read: where it jumps, the walk
// goes on from the named page and overwrites what was read past that point.
// Only the last page of such a read stays cached (the next record in file
// order starts where this one ends). A caller that can guess a record's
// length before reading it (an index reading a value whose length is stored
// in its first bytes) may fetch its pages with Prefetch, in one transfer too.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalog/db_format.h"
#include "imaging/win32_file.h"
#include "platform/platform.h"

// Most pages one transfer of the page file reads or writes.
constexpr uint32_t kDbRunPages = 16;

struct PageRecord {
    int32_t id = -1; // -1: unused
    uint8_t* data = nullptr;
    uint8_t dirty = 0;
    int32_t use = 0; // number of holders
    bool overflow = false;
    // data was read from the file, or written to it, and not changed since
    // unless dirty is set.
    bool fileImage = false;
    // The page as the last commit left it, kept when it was handed out for a
    // change (CPageChanges) while clean, so that the commit journals it
    // without reading the file; null when none was kept.
    uint8_t* original = nullptr;
    // Neighbours in the cache's recency list (CRecencyList).
    PageRecord* newer = nullptr;
    PageRecord* older = nullptr;
    bool listed = false;
    bool parked = false; // off the list, dirty and unheld (CPageFile::Park)
    size_t parkSlot = 0; // where in the parked records, while parked
};

// The cache's records from the most to the least recently used, linked
// through the records themselves: every page access moves its record to
// one end, and with hundreds of records a search of an array per access
// cost more than the lookup it served.
class CRecencyList {
public:
    class Iterator {
    public:
        explicit Iterator(PageRecord* r) : m_r(r) {}
        PageRecord* operator*() const { return m_r; }
        Iterator& operator++() {
            m_r = m_r->older;
            return *this;
        }
        bool operator!=(const Iterator& o) const { return m_r != o.m_r; }

    private:
        PageRecord* m_r;
    };
    // From the newest record to the oldest.
    Iterator begin() const { return Iterator(m_newest); }
    Iterator end() const { return Iterator(nullptr); }
    PageRecord* Newest() const { return m_newest; }
    PageRecord* Oldest() const { return m_oldest; }
    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    void PushNewest(PageRecord* r) {
        Remove(r);
        r->older = m_newest;
        r->newer = nullptr;
        (m_newest ? m_newest->newer : m_oldest) = r;
        m_newest = r;
        r->listed = true;
        ++m_size;
    }
    void PushOldest(PageRecord* r) {
        Remove(r);
        r->newer = m_oldest;
        r->older = nullptr;
        (m_oldest ? m_oldest->older : m_newest) = r;
        m_oldest = r;
        r->listed = true;
        ++m_size;
    }
    // A record that is not in the list is left alone.
    void Remove(PageRecord* r) {
        if (!r->listed)
            return;
        (r->newer ? r->newer->older : m_newest) = r->older;
        (r->older ? r->older->newer : m_oldest) = r->newer;
        r->newer = r->older = nullptr;
        r->listed = false;
        --m_size;
    }
    void clear() {
        while (m_newest)
            Remove(m_newest);
    }

private:
    PageRecord* m_newest = nullptr;
    PageRecord* m_oldest = nullptr;
    size_t m_size = 0;
};

// The page file's source of free pages (free_page_list.h implements it).
class CPageAllocator {
public:
    virtual ~CPageAllocator() = default;
    // A free page id, or kDbNoPage when none is at hand.
    virtual uint32_t TakePage(bool refill) = 0;
    // Takes back a page that is no longer used. False when it could not be
    // recorded (the page is then lost to the file, never handed out twice).
    virtual bool ReleasePage(uint32_t id, bool toIndex, bool fromPageFile) = 0;
    // The page count without the free pages at the file's end.
    virtual uint32_t TrimFileEnd(uint32_t count) = 0;
    // Moves every cached free id into the persistent free-page index.
    virtual bool SpillToIndex() = 0;
};

class CPageFile;

// Marks a stretch of work that may change pages (a put, an erase, an update):
// a clean page handed out inside it keeps its committed image beside its
// buffer, so the next commit journals it from memory. A page changed outside
// any such stretch is journaled all the same: its original is read back from
// the file, which holds it until the commit.
class CPageChanges {
public:
    explicit CPageChanges(CPageFile* pages);
    ~CPageChanges();
    CPageChanges(const CPageChanges&) = delete;
    CPageChanges& operator=(const CPageChanges&) = delete;

private:
    CPageFile* m_pages;
};

class CPageFile {
public:
    CPageFile();
    ~CPageFile();
    CPageFile(const CPageFile&) = delete;
    CPageFile& operator=(const CPageFile&) = delete;

    // Replaces the file object used by the next Open (tests inject failing
    // files this way). Refused while open.
    bool SetFile(std::unique_ptr<CWin32File> file);
    // Replaces the journal's file object likewise (it is then emptied, not
    // removed, at each commit). Refused while open.
    bool SetJournalFile(std::unique_ptr<CWin32File> file);
    // Where the journal of the file at path lives.
    static std::string JournalPath(const char* path);

    bool Open(const char* path, uint32_t flags);
    // Flushes with spill, drops the cache and closes the file. Returns the
    // flush result (false also when nothing was open).
    bool Close();
    bool IsOpen() const { return m_open; }
    // Closes without writing anything: a file that failed to open, or a
    // read-only database, is left exactly as it was found.
    void Abandon();

    void SetCacheBytes(uint32_t preallocated, uint32_t maximum);
    bool SetPageSize(uint32_t size);
    bool AllocateCache();
    bool CacheReady() const { return m_cacheReady; }

    uint32_t PageSize() const { return m_pageSize; }
    uint32_t DataSize() const { return m_pageSize - kDbRecordHeader; }
    uint32_t PageCount() const { return m_pageCount; }
    // Sets the page count of a file as it is on disk (also the flushed count).
    void SetPageCount(uint32_t count) { m_pageCount = m_flushedCount = count; }
    // The page count the file had at the last completed flush.
    uint32_t FlushedPageCount() const { return m_flushedCount; }
    void MarkFlushed() { m_flushedCount = m_pageCount; }
    // Largest page count the format allows: no page may end past 2^32 - 1.
    uint32_t PageLimit() const;
    // Lowers the page limit (tests reach the format's limit this way).
    void SetPageLimit(uint32_t limit) { m_pageLimitOverride = limit; }
    bool IsValidPage(uint32_t id) const { return id != 0 && id < m_pageCount; }

    DbLocation AppendLocation() const { return m_append; }
    void SetAppendLocation(DbLocation loc) { m_append = loc; }
    bool IsNewFile() const { return m_newFile; }

    void SetAllocator(CPageAllocator* allocator) { m_allocator = allocator; }
    CPageAllocator* Allocator() const { return m_allocator; }

    // ---- pages ----
    PageRecord* GetPage(uint32_t id);
    void ReleasePage(PageRecord* record);
    // Releases a page that is unlikely to be wanted again soon (a leaf after a
    // point lookup, a value's pages): when nobody else holds it, it becomes
    // the first candidate for reuse, so that the upper nodes of the trees,
    // which every lookup passes, stay cached.
    void ReleasePageCold(PageRecord* record);
    PageRecord* NewPageRecord(uint32_t id);
    // Drops the only hold, forgets the page and hands its id to the allocator.
    // Refused (false, nothing changes) while anyone else holds the page.
    bool FreePage(PageRecord* record, bool toIndex);
    // Reads the pages a record of n bytes at loc would occupy if its chain ran
    // through consecutive ids, as far as they are not cached, into cache
    // buffers in one transfer (a hint: nothing is reported, nothing changes
    // but what is cached).
    void Prefetch(DbLocation loc, uint64_t n);
    bool WritePage(PageRecord* record);
    bool ReadPage(PageRecord* record);
    void MarkDirty(PageRecord* record) { record->dirty = 1; }

    // Takes a page id: from the allocator, else from the end of the file.
    // kDbNoPage when the file would pass its size limit.
    uint32_t TakePageId(bool refill);
    // A held, zero-filled, dirty buffer for a freshly taken page.
    PageRecord* NewPage(bool refill);
    // Returns a page taken with TakePageId/NewPage that was never used.
    void ReturnUnusedPage(PageRecord* record, bool toIndex);
    // Takes the next page id and discards it (page 0 of a new file).
    bool ReservePage();

    // With spill the allocator's cache goes to its index first; then a
    // commit without a header.
    bool Flush(bool spill);
    // Commits every change: journal, dirty pages, the file's length, then
    // header (headerBytes at offset 0, when given), sync, end of the journal.
    // False when anything failed: the last commit still holds on disk, and
    // what did not reach the file stays dirty for the next commit.
    bool Commit(const uint8_t* header, uint32_t headerBytes);
    // The header as the file holds it (read at open): a commit whose header
    // is the same does not write it again.
    void SetCommittedHeader(const uint8_t* header, uint32_t headerBytes) {
        m_committedHeader.assign(header, header + headerBytes);
    }
    // Lowers the page count over the free pages at the end; the file is cut
    // by the next commit, after its header names the new count.
    bool TruncateTail();
    // Drops every cached page, dirty ones too (they were never committed).
    bool DropCache();

    // Raw access below the cache (page 0 holds the database header).
    bool ReadAt(uint64_t offset, void* data, uint32_t n);
    bool WriteAt(uint64_t offset, const void* data, uint32_t n);
    int64_t FileSize();

    // ---- records ----
    bool AllocateRecord(const void* src, uint32_t n, DbLocation* out);
    // Appends n bytes (src null: zero-filled) starting at start, which moves to
    // a fresh page when its page has no room; updates the append location.
    bool AppendRecord(const void* src, uint32_t n, DbLocation* start);
    bool ReadRecord(void* dst, uint32_t n, DbLocation* loc, bool advance);
    bool RewriteRecord(const void* src, uint32_t n, DbLocation* loc, bool advance);
    // Checks the whole chain before changing anything: a damaged chain
    // (bad page id, loop, bytes in use too small) fails and frees nothing.
    bool FreeRecord(DbLocation loc, uint32_t n);
    bool MovePage(uint32_t dst, uint32_t src);
    bool CopyRecord(DbLocation* out, DbLocation src, uint32_t n);
    // -1/1 at the first differing unsigned byte, else length a - length b.
    bool CompareRecords(DbLocation a, uint32_t lenA, DbLocation b, uint32_t lenB, int* result);
    // Largest length a record can have in this file (a bound for lengths read
    // from pages before anything is allocated from them).
    uint64_t MaxRecordBytes() const;

    // ---- small page operations ----
    static uint16_t BytesInUse(const PageRecord* r) { return LoadU16(r->data + 4); }
    static uint32_t NextPageOf(const PageRecord* r) { return LoadU32(r->data); }
    void SetNextPage(PageRecord* r, uint32_t id) {
        StoreU32(r->data, id);
        r->dirty = 1;
    }

    // Inside CPageChanges (nested stretches count).
    void BeginChanges() { ++m_changing; }
    void EndChanges() { --m_changing; }

    // ---- inspection (tests, checker) ----
    // Originals the last commit read back from the file rather than from a
    // kept image (a measure of how well CPageChanges covers the changes).
    uint32_t OriginalsReadBack() const { return m_originalsReadBack; }
    uint32_t OverflowRecordCount() const { return static_cast<uint32_t>(m_overflow.size()); }
    uint64_t OverflowAllocations() const { return m_overflowAllocations; }
    uint32_t HeldPageCount() const;
    bool IsCached(uint32_t id) const;

private:
    PageRecord* FindCached(uint32_t id) const;
    void MoveToFront(PageRecord* record);
    void RemoveFromMru(PageRecord* record);
    void DestroyOverflow(PageRecord* record);
    void ResetRecord(PageRecord* record);
    // Gives a record a page id (or none: -1), keeping the id index in step.
    void SetRecordId(PageRecord* record, int32_t id);
    bool WalkRecord(uint8_t* dst, const uint8_t* src, uint32_t n, DbLocation* loc, bool advance);
    uint32_t MaxChainPages(uint32_t n) const;
    // Keeps the committed image of a clean page handed out while changes
    // are under way (a hint: without memory nothing is kept).
    void KeepOriginal(PageRecord* record);
    void DropOriginal(PageRecord* record);
    // Page-size buffers for originals and overflow records.
    uint8_t* TakeSpareImage();
    void GiveSpareImage(uint8_t* image);
    void TrimSpareImages(size_t keep);
    bool RecoverJournal();
    bool RollBack();
    // Saves the committed image of each page the commit will overwrite.
    bool JournalOriginals(const std::vector<PageRecord*>& dirty, bool header);
    void CloseJournal();
    void DiscardJournal();
    // The commit point: the journal's header is cleared, so that the journal
    // rolls nothing back; the file stays open (and its space allocated) for
    // the next commit and goes at close.
    bool EndJournal();
    PageRecord* TakeBuffer(uint32_t id, bool zero);
    // An unheld record whose buffer may be taken (clean, or holding no
    // page), searched from the list's old end; null when there is none.
    PageRecord* FindReusableRecord();
    // Parked records hold dirty pages nobody holds: they are off the
    // recency list, which buffer searches walk, until they are wanted again
    // (Unpark, at the list's new end) or a commit looks at every page
    // (UnparkAll, at its old end: clean after the commit, they go first).
    void Park(PageRecord* record);
    void Unpark(PageRecord* record, bool newest);
    void UnparkAll();
    // Writes count held-or-cached dirty records of consecutive ids.
    bool WriteRun(PageRecord* const* records, uint32_t count);
    bool WritePagesAt(uint64_t offset, PageRecord* const* records, uint32_t count);
    // Reads consecutive bytes from offset into the slices (at most
    // kDbRunPages pages in all); true only when every byte was read.
    bool ReadSlicesAt(uint64_t offset, const plat::IoSlice* slices, uint32_t count);
    // The run read of WalkRecord; false when it did not happen (the caller
    // then reads page by page), else *result is the walk's result.
    bool ReadRun(uint8_t* dst, uint32_t n, uint32_t run, uint32_t* page, uint32_t* off,
                 uint32_t* done, uint32_t* pages, uint32_t maxPages, DbLocation* loc, bool advance,
                 bool* result);
    // How many pages from page on (at most pagesWanted) are not cached.
    uint32_t UncachedRunFrom(uint32_t page, uint32_t pagesWanted) const;

    CPageAllocator* m_allocator = nullptr;
    std::vector<PageRecord*> m_overflow;
    uint32_t m_pageSize = 0;
    uint32_t m_pageCount = 0;
    uint32_t m_flushedCount = 0;
    DbLocation m_append;
    bool m_newFile = false;
    uint32_t m_preBytes = 0;
    uint32_t m_maxBytes = 0;
    std::unique_ptr<uint8_t[]> m_block;
    std::vector<PageRecord> m_pre;
    CRecencyList m_mru;
    std::vector<PageRecord*> m_parked; // Park; each knows its slot
    // Records that hold no page, taken before any page is evicted: a page
    // released cold waits at the list's old end, and without this it would
    // go at the next miss while empty records sat beside it. Entries may be
    // stale (the record got a page since); they are checked when taken.
    std::vector<PageRecord*> m_empty;
    // Page id -> its cached record, kept in step with every id a record takes
    // or drops: between commits the list holds every dirty page, so finding
    // a page by walking it would cost more the more was changed.
    std::unordered_map<uint32_t, PageRecord*> m_byId;
    bool m_cacheReady = false;
    bool m_open = false;
    std::unique_ptr<CWin32File> m_file;
    std::unique_ptr<CWin32File> m_journal;
    bool m_ownJournal = true; // made here: removed by path when it is closed
    std::string m_journalPath;
    bool m_journalActive = false; // holds originals not yet committed over
    bool m_fileTouched = false;   // pages were written under this journal
    uint32_t m_journalBase = 0;   // page count of the commit it protects
    uint32_t m_journalSalt = 0;
    uint64_t m_journalEnd = 0;
    std::vector<bool> m_journaled;             // by page id: original already saved
    std::unique_ptr<uint8_t[]> m_journalStage; // records on their way to the journal
    size_t m_journalStageBytes = 0;
    std::vector<uint8_t> m_committedHeader; // empty: unknown, written at the next commit
    std::unique_ptr<uint8_t[]> m_runBuffer; // kDbRunPages pages, for record reads
    uint32_t m_pageLimitOverride = 0;
    uint64_t m_overflowAllocations = 0;
    int m_changing = 0;
    std::vector<uint8_t*> m_spareImages; // freed page-size buffers, for reuse
    uint32_t m_originalsReadBack = 0;
};

inline CPageChanges::CPageChanges(CPageFile* pages) : m_pages(pages) {
    if (m_pages)
        m_pages->BeginChanges();
}

inline CPageChanges::~CPageChanges() {
    if (m_pages)
        m_pages->EndChanges();
}
