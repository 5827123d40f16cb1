// The page file on its own (no allocator: new pages come from the end of the
// file): record chains, the cache budget, and I/O failures.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "catalog/memory_file.h"
#include "catalog/page_file.h"
#include "db_test_util.h"

namespace {

constexpr uint32_t kPs = 8192;
constexpr uint32_t kDs = kPs - 6;

struct PageFileFixture : ::testing::Test {
    std::shared_ptr<CMemoryDisk> disk = std::make_shared<CMemoryDisk>();
    std::shared_ptr<CMemoryDisk> journalDisk = std::make_shared<CMemoryDisk>();
    CMemoryFile* file = nullptr;
    CMemoryFile* journal = nullptr;
    CPageFile pages;

    void SetUp() override { ASSERT_TRUE(OpenPages()); }

    bool OpenPages() {
        auto f = std::unique_ptr<CMemoryFile>(new CMemoryFile(disk));
        file = f.get();
        pages.SetFile(std::unique_ptr<CWin32File>(f.release()));
        auto j = std::unique_ptr<CMemoryFile>(new CMemoryFile(journalDisk));
        journal = j.get();
        pages.SetJournalFile(std::unique_ptr<CWin32File>(j.release()));
        pages.SetPageSize(kPs);
        pages.SetCacheBytes(32 * kPs, 0xFFFFFFFFu);
        if (!pages.Open("pages", kFileOpenOrCreate) || !pages.AllocateCache())
            return false;
        if (pages.PageCount() == 0)
            return pages.ReservePage(); // page 0 stands for the header
        return true;
    }

    std::vector<uint8_t> Pattern(uint32_t n, uint8_t seed) {
        std::vector<uint8_t> v(n);
        for (uint32_t i = 0; i < n; ++i)
            v[i] = static_cast<uint8_t>(seed + i * 7);
        return v;
    }

    uint16_t InUse(uint32_t page) {
        PageRecord* r = pages.GetPage(page);
        EXPECT_NE(r, nullptr);
        uint16_t n = r ? CPageFile::BytesInUse(r) : 0;
        pages.ReleasePage(r);
        return n;
    }

    uint32_t NextOf(uint32_t page) {
        PageRecord* r = pages.GetPage(page);
        EXPECT_NE(r, nullptr);
        uint32_t next = r ? CPageFile::NextPageOf(r) : 0;
        pages.ReleasePage(r);
        return next;
    }

    void SetNext(uint32_t page, uint32_t next) {
        PageRecord* r = pages.GetPage(page);
        ASSERT_NE(r, nullptr);
        pages.SetNextPage(r, next);
        pages.ReleasePage(r);
    }
};

TEST_F(PageFileFixture, RecordsRoundTripAcrossPages) {
    for (uint32_t n : {1u, 100u, kDs, kDs + 1, 3 * kDs + 17}) {
        std::vector<uint8_t> data = Pattern(n, static_cast<uint8_t>(n));
        DbLocation loc;
        ASSERT_TRUE(pages.AllocateRecord(data.data(), n, &loc)) << n;
        std::vector<uint8_t> back(n);
        DbLocation at = loc;
        ASSERT_TRUE(pages.ReadRecord(back.data(), n, &at, false)) << n;
        EXPECT_EQ(back, data) << n;
    }
    // The same bytes come back after a flush and a reopen.
    std::vector<uint8_t> data = Pattern(20000, 3);
    DbLocation loc;
    ASSERT_TRUE(pages.AllocateRecord(data.data(), 20000, &loc));
    uint32_t count = pages.PageCount();
    ASSERT_TRUE(pages.Flush(false));
    EXPECT_EQ(disk->bytes.size(), static_cast<size_t>(count) * kPs);
    ASSERT_TRUE(pages.Close());
    ASSERT_TRUE(OpenPages());
    pages.SetPageCount(count);
    std::vector<uint8_t> back(20000);
    ASSERT_TRUE(pages.ReadRecord(back.data(), 20000, &loc, false));
    EXPECT_EQ(back, data);
}

TEST_F(PageFileFixture, RecordFillingThePageEndsThereAndTheNextStartsFresh) {
    std::vector<uint8_t> first = Pattern(kDs, 1);
    DbLocation a;
    ASSERT_TRUE(pages.AllocateRecord(first.data(), kDs, &a));
    EXPECT_EQ(a.page, 1u);
    EXPECT_EQ(a.offset, 0u);
    EXPECT_EQ(pages.AppendLocation().page, 1u);
    EXPECT_EQ(pages.AppendLocation().offset, kDs);
    EXPECT_EQ(pages.PageCount(), 2u);
    // The full page's next-page field is untouched until a record continues.
    PageRecord* r = pages.GetPage(1);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(CPageFile::NextPageOf(r), 0u);
    pages.ReleasePage(r);

    // An append whose start page is full starts at (new page, 0).
    std::vector<uint8_t> second = Pattern(10, 2);
    DbLocation b;
    ASSERT_TRUE(pages.AllocateRecord(second.data(), 10, &b));
    EXPECT_EQ(b.page, 2u);
    EXPECT_EQ(b.offset, 0u);
    EXPECT_EQ(InUse(1), kDs);
    EXPECT_EQ(InUse(2), 10u);
}

TEST_F(PageFileFixture, FreeingSharedPagesCountsBytesAndFreesTheLastHolder) {
    DbLocation a, b;
    std::vector<uint8_t> data = Pattern(100, 5);
    ASSERT_TRUE(pages.AllocateRecord(data.data(), 100, &a));
    ASSERT_TRUE(pages.AllocateRecord(data.data(), 60, &b));
    ASSERT_EQ(a.page, b.page);
    ASSERT_TRUE(pages.FreeRecord(a, 100));
    EXPECT_EQ(InUse(a.page), 60u);
    EXPECT_TRUE(pages.IsCached(a.page));
    ASSERT_TRUE(pages.FreeRecord(b, 60));
    // The page was freed: it is forgotten and the next append starts afresh.
    EXPECT_FALSE(pages.IsCached(a.page));
    EXPECT_TRUE(pages.AppendLocation().IsNone());
    DbLocation c;
    ASSERT_TRUE(pages.AllocateRecord(data.data(), 10, &c));
    EXPECT_EQ(c.offset, 0u);
    EXPECT_NE(c.page, a.page); // no allocator here: the id is not reused
}

TEST_F(PageFileFixture, DamagedChainsFailWithoutLoopingOrFreeing) {
    std::vector<uint8_t> data = Pattern(3 * kDs, 9);
    DbLocation loc;
    ASSERT_TRUE(pages.AllocateRecord(data.data(), 3 * kDs, &loc));
    const uint32_t second = loc.page + 1;
    struct Case {
        const char* what;
        uint32_t next;
        bool readFails; // a loop that stays within the record's page bound reads garbage
    } cases[] = {{"header page", 0, true},
                 {"past the end", 1000, true},
                 {"self", second, true},
                 {"loop", loc.page, false}};
    for (const Case& c : cases) {
        SetNext(second, c.next);
        std::vector<uint8_t> back(3 * kDs);
        DbLocation at = loc;
        if (c.readFails) {
            EXPECT_FALSE(pages.ReadRecord(back.data(), 3 * kDs, &at, false)) << c.what;
        }
        uint16_t before = InUse(loc.page);
        EXPECT_FALSE(pages.FreeRecord(loc, 3 * kDs)) << c.what;
        EXPECT_EQ(InUse(loc.page), before) << c.what; // nothing changed
    }
    SetNext(second, second + 1);
    EXPECT_TRUE(pages.FreeRecord(loc, 3 * kDs));
}

// A writer that dies between flushes must leave the file exactly as its last
// flush left it: neither new pages nor changed ones are written back when
// their buffers are wanted, only by the next flush.
TEST_F(PageFileFixture, NewPagesReachTheFileOnlyAtTheNextFlush) {
    std::vector<uint8_t> data = Pattern(5 * kDs, 9); // pages 1..5
    DbLocation loc;
    ASSERT_TRUE(pages.AllocateRecord(data.data(), 5 * kDs, &loc));
    ASSERT_TRUE(pages.Flush(false));
    const size_t flushedSize = disk->bytes.size();
    ASSERT_EQ(flushedSize, static_cast<size_t>(pages.PageCount()) * kPs);
    const std::vector<uint8_t> flushed = disk->bytes;
    // Change the flushed pages, then make fresh pages until the unchanged
    // buffers run out and dirty ones must be given up.
    DbLocation at = loc;
    std::vector<uint8_t> changed = Pattern(5 * kDs, 10);
    ASSERT_TRUE(pages.RewriteRecord(changed.data(), 5 * kDs, &at, false));
    uint32_t firstNew = 0;
    for (uint32_t i = 0; i < 26; ++i) {
        PageRecord* r = pages.NewPage(false);
        ASSERT_NE(r, nullptr);
        firstNew = i == 0 ? static_cast<uint32_t>(r->id) : firstNew;
        r->data[100] = static_cast<uint8_t>(i + 1);
        pages.ReleasePage(r);
    }
    EXPECT_EQ(disk->bytes, flushed);
    EXPECT_EQ(pages.OverflowRecordCount(), 0u);
    // The pages read back from the cache, and the flush writes them all.
    at = loc;
    std::vector<uint8_t> back(5 * kDs);
    ASSERT_TRUE(pages.ReadRecord(back.data(), 5 * kDs, &at, false));
    EXPECT_EQ(back, changed);
    ASSERT_TRUE(pages.Flush(false));
    ASSERT_EQ(disk->bytes.size(), static_cast<size_t>(pages.PageCount()) * kPs);
    for (uint32_t i = 0; i < 26; ++i)
        EXPECT_EQ(disk->bytes[static_cast<size_t>(firstNew + i) * kPs + 100], i + 1) << i;
    EXPECT_EQ(std::memcmp(disk->bytes.data() + static_cast<size_t>(loc.page) * kPs + 6 + loc.offset,
                          changed.data(), kDs - loc.offset),
              0);
}

// The journal's record checksums, as the files hold them: one chain of
// multiplies (journals of earlier builds) or four lanes over 32-byte steps.
uint32_t ChainSum(uint32_t salt, uint32_t id, const uint8_t* data, uint32_t n) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ (static_cast<uint64_t>(salt) << 32 | id);
    uint32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, data + i, 8);
        h = (h ^ w) * 0x100000001B3ull;
        h ^= h >> 29;
    }
    for (; i < n; ++i)
        h = (h ^ data[i]) * 0x100000001B3ull;
    h ^= h >> 32;
    return static_cast<uint32_t>(h);
}

uint32_t LaneSum(uint32_t salt, uint32_t id, const uint8_t* data, uint32_t n) {
    const uint64_t seed = 0x9E3779B97F4A7C15ull ^ (static_cast<uint64_t>(salt) << 32 | id);
    uint64_t h[4] = {seed, seed ^ 0x1111111111111111ull, seed ^ 0x2222222222222222ull,
                     seed ^ 0x3333333333333333ull};
    uint32_t i = 0;
    for (; i + 32 <= n; i += 32) {
        for (int k = 0; k < 4; ++k) {
            uint64_t w;
            std::memcpy(&w, data + i + 8 * k, 8);
            h[k] = (h[k] ^ w) * 0x100000001B3ull;
            h[k] ^= h[k] >> 29;
        }
    }
    uint64_t all = h[0] ^ (h[1] * 3) ^ (h[2] * 5) ^ (h[3] * 7);
    for (; i < n; ++i)
        all = (all ^ data[i]) * 0x100000001B3ull;
    all ^= all >> 32;
    return static_cast<uint32_t>(all);
}

// A writer killed inside a commit leaves the journal it wrote: the next open
// puts the saved page back, whichever record checksum the journal names, and
// refuses a journal that names one it does not know (leaving both files).
TEST_F(PageFileFixture, HotJournalsOfEitherChecksumRollBack) {
    const struct {
        const char* name;
        uint8_t kind;
        bool opens;
    } cases[] = {
        {"a journal of one checksum chain rolls back", 0, true},
        {"a journal of four checksum lanes rolls back", 1, true},
        {"a journal of an unknown record kind is refused", 3, false},
    };
    const std::vector<uint8_t> committed = Pattern(kDs, 3), torn = Pattern(kDs, 4);
    DbLocation loc;
    ASSERT_TRUE(pages.AllocateRecord(committed.data(), kDs, &loc));
    ASSERT_EQ(loc.page, 1u);
    ASSERT_TRUE(pages.Close());
    const std::vector<uint8_t> file = disk->bytes;
    ASSERT_EQ(file.size(), 2u * kPs);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        disk->bytes = file;
        std::memcpy(disk->bytes.data() + kPs + 6, torn.data(), kDs); // overwritten in place
        const uint32_t salt = 0x5A17u + c.kind;
        std::vector<uint8_t> j(32 + 8 + kPs, 0);
        std::memcpy(j.data(), "VelmJrnl", 8);
        StoreU32(j.data() + 8, kPs);
        StoreU32(j.data() + 12, 2); // page count of the last commit
        StoreU32(j.data() + 16, salt);
        j[20] = c.kind;
        StoreU32(j.data() + 28, ChainSum(0, 0, j.data(), 28));
        StoreU32(j.data() + 32, 1);
        std::memcpy(j.data() + 40, file.data() + kPs, kPs);
        StoreU32(j.data() + 36, (c.kind == 1 ? LaneSum : ChainSum)(salt, 1, j.data() + 40, kPs));
        journalDisk->bytes = j;
        const std::vector<uint8_t> left = disk->bytes;
        ASSERT_EQ(OpenPages(), c.opens);
        if (!c.opens) {
            EXPECT_EQ(disk->bytes, left);
            EXPECT_EQ(journalDisk->bytes, j);
            continue;
        }
        EXPECT_EQ(disk->bytes, file);
        pages.SetPageCount(2);
        std::vector<uint8_t> back(kDs);
        DbLocation at = loc;
        ASSERT_TRUE(pages.ReadRecord(back.data(), kDs, &at, false));
        EXPECT_EQ(back, committed);
        ASSERT_TRUE(pages.Close());
    }
}

// Records that leave a page's zero run out: playback rebuilds the whole page
// (the run as zeros, whatever the killed commit left there), stops at a torn
// or damaged record, and cuts pages past the committed count, which have no
// record at all.
TEST_F(PageFileFixture, HotJournalsWithZeroRunsRestoreWholePages) {
    const std::vector<uint8_t> live = Pattern(1000, 9), torn = Pattern(kDs, 5);
    DbLocation loc;
    ASSERT_TRUE(pages.AllocateRecord(live.data(), 1000, &loc)); // page 1: a long zero tail
    ASSERT_TRUE(pages.Close());
    const std::vector<uint8_t> file = disk->bytes;
    ASSERT_EQ(file.size(), 2u * kPs);
    const uint32_t runAt = 6 + 1000, runBytes = kPs - runAt;
    const struct {
        const char* name;
        uint32_t cut;  // bytes cut off the journal's end
        bool damage;   // one byte of the record flipped
        bool grown;    // the killed commit had added page 2
        bool restored; // page 1 is back as committed
    } cases[] = {
        {"a record without its zero run puts the whole page back", 0, false, false, true},
        {"a page added past the committed count is cut off", 0, false, true, true},
        {"a record torn by the journal's end is not played", 1, false, false, false},
        {"a record that does not check is not played", 0, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        disk->bytes = file;
        std::memcpy(disk->bytes.data() + kPs + 6, torn.data(), kDs); // overwritten in place
        if (c.grown)
            disk->bytes.resize(3u * kPs, 0x77);
        const uint32_t salt = 0x0C0FFEEu;
        std::vector<uint8_t> j(32, 0);
        std::memcpy(j.data(), "VelmJrnl", 8);
        StoreU32(j.data() + 8, kPs);
        StoreU32(j.data() + 12, 2);
        StoreU32(j.data() + 16, salt);
        j[20] = 2;
        StoreU32(j.data() + 28, ChainSum(0, 0, j.data(), 28));
        std::vector<uint8_t> rec(12);
        StoreU32(rec.data(), 1);
        StoreU16(rec.data() + 8, static_cast<uint16_t>(runAt));
        StoreU16(rec.data() + 10, static_cast<uint16_t>(runBytes));
        rec.insert(rec.end(), file.begin() + kPs, file.begin() + kPs + runAt);
        StoreU32(rec.data() + 4,
                 LaneSum(salt, 1, rec.data() + 8, static_cast<uint32_t>(rec.size() - 8)));
        if (c.damage)
            rec[100] ^= 1;
        j.insert(j.end(), rec.begin(), rec.end() - c.cut);
        journalDisk->bytes = j;
        const std::vector<uint8_t> left = disk->bytes;
        ASSERT_TRUE(OpenPages());
        if (c.restored) {
            EXPECT_EQ(disk->bytes, file);
        } else {
            EXPECT_EQ(disk->bytes.size(), 2u * kPs); // cut back all the same
            EXPECT_EQ(std::memcmp(disk->bytes.data(), left.data(), 2u * kPs), 0);
        }
        pages.SetPageCount(2);
        ASSERT_TRUE(pages.Close());
    }
}

// A flush cut short after the append page was written but before the header
// leaves an append location behind the page's live bytes. Appending there
// would overwrite them; refusing would stop every later record. The record
// goes to a fresh page instead.
TEST_F(PageFileFixture, StaleAppendLocationStartsAFreshPage) {
    // A small record would fit in the room after the stale location (it
    // would overwrite live bytes); a long one would overflow the page count.
    for (uint32_t n : {4u, kDs + 10}) {
        std::vector<uint8_t> first = Pattern(100, 5);
        DbLocation a;
        ASSERT_TRUE(pages.AllocateRecord(first.data(), 100, &a));
        const uint16_t end = static_cast<uint16_t>(a.offset + 100);
        ASSERT_EQ(pages.AppendLocation(), (DbLocation{a.page, end}));
        const uint16_t inUse = InUse(a.page);
        pages.SetAppendLocation(DbLocation{a.page, static_cast<uint16_t>(end - 60)});
        std::vector<uint8_t> second = Pattern(n, 6);
        DbLocation b;
        ASSERT_TRUE(pages.AllocateRecord(second.data(), n, &b)) << n;
        EXPECT_NE(b.page, a.page) << n;
        EXPECT_EQ(b.offset, 0u) << n;
        EXPECT_EQ(InUse(a.page), inUse) << n;
        std::vector<uint8_t> back(100);
        DbLocation at = a;
        ASSERT_TRUE(pages.ReadRecord(back.data(), 100, &at, false)) << n;
        EXPECT_EQ(back, first) << n;
        std::vector<uint8_t> back2(n);
        at = b;
        ASSERT_TRUE(pages.ReadRecord(back2.data(), n, &at, false)) << n;
        EXPECT_EQ(back2, second) << n;
    }
}

TEST_F(PageFileFixture, PagesBeyondThePreallocatedBudgetUseOverflowBuffers) {
    std::vector<PageRecord*> held;
    for (uint32_t i = 0; i < 33; ++i) {
        PageRecord* r = pages.NewPage(false);
        ASSERT_NE(r, nullptr);
        r->data[100] = static_cast<uint8_t>(i + 1);
        held.push_back(r);
    }
    EXPECT_EQ(pages.OverflowRecordCount(), 1u);
    EXPECT_EQ(pages.OverflowAllocations(), 1u);
    EXPECT_TRUE(held.back()->overflow);
    const uint32_t last = static_cast<uint32_t>(held.back()->id);
    for (PageRecord* r : held)
        pages.ReleasePage(r);
    // Released but changed: kept until the commit, which writes and frees it.
    EXPECT_EQ(pages.OverflowRecordCount(), 1u);
    EXPECT_TRUE(disk->bytes.empty());
    ASSERT_TRUE(pages.Flush(false));
    EXPECT_EQ(pages.OverflowRecordCount(), 0u);
    ASSERT_GE(disk->bytes.size(), (static_cast<size_t>(last) + 1) * kPs);
    EXPECT_EQ(disk->bytes[static_cast<size_t>(last) * kPs + 100], 33);
    PageRecord* again = pages.GetPage(last);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->data[100], 33);
    pages.ReleasePage(again);
}

// Hundreds of pages changed between commits (most in overflow buffers), some
// freed while dirty, buffers passing from one page to another after the
// commit: every lookup by id must find that page's own content, and a freed
// page nothing.
TEST_F(PageFileFixture, LookupByIdFollowsEveryPageThroughReuseAndFreeing) {
    constexpr uint32_t kCount = 400;
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < kCount; ++i) {
        PageRecord* r = pages.NewPage(false);
        ASSERT_NE(r, nullptr);
        StoreU32(r->data + 100, r->id * 3u + 1);
        ids.push_back(static_cast<uint32_t>(r->id));
        pages.ReleasePage(r);
    }
    auto check = [&](const char* when) {
        for (uint32_t id : ids) {
            PageRecord* r = pages.GetPage(id);
            ASSERT_NE(r, nullptr) << when << " " << id;
            EXPECT_EQ(r->id, static_cast<int32_t>(id)) << when;
            EXPECT_EQ(LoadU32(r->data + 100), id * 3u + 1) << when << " " << id;
            pages.ReleasePage(r);
        }
    };
    check("dirty");
    // Free every third page while it is dirty: no stale copy stays findable.
    std::vector<uint32_t> kept;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (i % 3 != 0) {
            kept.push_back(ids[i]);
            continue;
        }
        PageRecord* r = pages.GetPage(ids[i]);
        ASSERT_NE(r, nullptr);
        ASSERT_TRUE(pages.FreePage(r, false));
        EXPECT_FALSE(pages.IsCached(ids[i])) << ids[i];
    }
    ids = kept;
    check("after freeing");
    ASSERT_TRUE(pages.Flush(false));
    check("after the commit");
    // Clean buffers now change pages as the pages are read in turn.
    std::vector<uint32_t> order(ids.rbegin(), ids.rend());
    for (uint32_t id : order) {
        PageRecord* r = pages.GetPage(id);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(LoadU32(r->data + 100), id * 3u + 1) << id;
        pages.ReleasePageCold(r);
    }
    check("after reuse");
    EXPECT_EQ(pages.HeldPageCount(), 0u);
}

TEST_F(PageFileFixture, CompareRecordsIsByteOrderAcrossPieces) {
    std::vector<uint8_t> a = Pattern(10000, 0), b = a;
    b[5000] = static_cast<uint8_t>(a[5000] + 1);
    DbLocation la, lb, lc;
    ASSERT_TRUE(pages.AllocateRecord(a.data(), 10000, &la));
    ASSERT_TRUE(pages.AllocateRecord(b.data(), 10000, &lb));
    ASSERT_TRUE(pages.AllocateRecord(a.data(), 9000, &lc));
    int r = 0;
    ASSERT_TRUE(pages.CompareRecords(la, 10000, lb, 10000, &r));
    EXPECT_EQ(r, -1);
    ASSERT_TRUE(pages.CompareRecords(lb, 10000, la, 10000, &r));
    EXPECT_EQ(r, 1);
    ASSERT_TRUE(pages.CompareRecords(la, 10000, lc, 9000, &r));
    EXPECT_EQ(r, 1000);
    ASSERT_TRUE(pages.CompareRecords(la, 0, lc, 9000, &r));
    EXPECT_EQ(r, -9000);
    ASSERT_TRUE(pages.CompareRecords(la, 10000, la, 10000, &r));
    EXPECT_EQ(r, 0);

    DbLocation copy;
    ASSERT_TRUE(pages.CopyRecord(&copy, lb, 10000));
    ASSERT_TRUE(pages.CompareRecords(copy, 10000, lb, 10000, &r));
    EXPECT_EQ(r, 0);
}

TEST_F(PageFileFixture, FailedReadIsNeverCachedAsZeros) {
    std::vector<uint8_t> data = Pattern(50, 7);
    DbLocation loc;
    ASSERT_TRUE(pages.AllocateRecord(data.data(), 50, &loc));
    ASSERT_TRUE(pages.Flush(false));
    ASSERT_TRUE(pages.DropCache());
    ASSERT_TRUE(pages.AllocateCache());
    file->SetFaultHook([](CMemoryFile::EOp op, uint64_t, uint32_t n) -> int64_t {
        return static_cast<int64_t>(op == CMemoryFile::kOpRead ? n / 2 : n); // short reads
    });
    EXPECT_EQ(pages.GetPage(loc.page), nullptr);
    EXPECT_FALSE(pages.IsCached(loc.page));
    EXPECT_EQ(pages.HeldPageCount(), 0u);
    file->SetFaultHook(nullptr);
    std::vector<uint8_t> back(50);
    DbLocation at = loc;
    ASSERT_TRUE(pages.ReadRecord(back.data(), 50, &at, false));
    EXPECT_EQ(back, data);
}

TEST_F(PageFileFixture, FlushReportsFailedWritesAndKeepsPagesDirty) {
    std::vector<uint8_t> data = Pattern(300, 4);
    DbLocation loc;
    ASSERT_TRUE(pages.AllocateRecord(data.data(), 300, &loc));
    struct Case {
        const char* what;
        CMemoryFile::EOp op;
        int64_t result; // -1 fails, otherwise the byte count allowed
    } cases[] = {{"short write", CMemoryFile::kOpWrite, 100},
                 {"failed write", CMemoryFile::kOpWrite, -1},
                 {"failed flush", CMemoryFile::kOpFlush, -1}};
    for (const Case& c : cases) {
        file->SetFaultHook([c](CMemoryFile::EOp op, uint64_t, uint32_t n) -> int64_t {
            return op == c.op ? c.result : static_cast<int64_t>(n);
        });
        EXPECT_FALSE(pages.Flush(false)) << c.what;
        file->SetFaultHook(nullptr);
        if (c.op == CMemoryFile::kOpWrite) {
            PageRecord* r = pages.GetPage(loc.page);
            ASSERT_NE(r, nullptr);
            EXPECT_TRUE(r->dirty) << c.what;
            pages.ReleasePage(r);
        }
    }
    // The content was kept: a later flush writes it.
    ASSERT_TRUE(pages.Flush(false));
    EXPECT_EQ(std::memcmp(disk->bytes.data() + static_cast<size_t>(loc.page) * kPs + 6 + loc.offset,
                          data.data(), 300),
              0);
}

TEST_F(PageFileFixture, EvictionThatCannotWriteKeepsThePage) {
    std::vector<uint8_t> data = Pattern(40, 8);
    DbLocation loc;
    ASSERT_TRUE(pages.AllocateRecord(data.data(), 40, &loc));
    // Flushed and changed again: the page lies inside the file, so eviction
    // would write it in place.
    ASSERT_TRUE(pages.Flush(false));
    DbLocation again = loc;
    ASSERT_TRUE(pages.RewriteRecord(data.data(), 40, &again, false));
    bool failWrites = true;
    file->SetFaultHook([&](CMemoryFile::EOp op, uint64_t, uint32_t n) -> int64_t {
        return op == CMemoryFile::kOpWrite && failWrites ? -1 : static_cast<int64_t>(n);
    });
    // Touch more pages than the cache holds: the dirty record page can't be
    // written, so it must stay cached rather than be dropped.
    for (int i = 0; i < 40; ++i) {
        PageRecord* r = pages.NewPage(false);
        ASSERT_NE(r, nullptr);
        pages.ReleasePage(r);
    }
    EXPECT_TRUE(pages.IsCached(loc.page));
    failWrites = false;
    std::vector<uint8_t> back(40);
    DbLocation at = loc;
    ASSERT_TRUE(pages.ReadRecord(back.data(), 40, &at, false));
    EXPECT_EQ(back, data);
    file->SetFaultHook(nullptr); // the hook refers to this test's locals
}

TEST_F(PageFileFixture, FileNeverGrowsPastItsLimit) {
    pages.SetPageLimit(6);
    std::vector<uint8_t> data = Pattern(3 * kDs, 1);
    DbLocation loc;
    ASSERT_TRUE(pages.AllocateRecord(data.data(), 2 * kDs, &loc)); // pages 1, 2
    const uint32_t count = pages.PageCount();
    const DbLocation append = pages.AppendLocation();
    // Needs four more pages where only three remain: refused before writing.
    EXPECT_FALSE(pages.AllocateRecord(data.data(), 3 * kDs + 1, &loc));
    EXPECT_EQ(pages.PageCount(), count);
    EXPECT_EQ(pages.AppendLocation(), append);
    ASSERT_TRUE(pages.AllocateRecord(data.data(), 3 * kDs, &loc));
    EXPECT_EQ(pages.PageCount(), 6u);
    EXPECT_EQ(pages.NewPage(false), nullptr);
    // The real limit keeps every page below 4 GiB.
    pages.SetPageLimit(0);
    EXPECT_EQ(pages.PageLimit(), 524287u);
    EXPECT_LE(static_cast<uint64_t>(pages.PageLimit()) * kPs, 0xFFFFFFFFull);
}

// Records over pages that are not cached are read in one transfer when their
// chain runs through consecutive ids. What was read must never win over a
// cached page (it may be newer than the file), a chain that jumps must be
// followed, a damaged one refused, and a short transfer must fall back to
// reading page by page. The same holds when the pages were first fetched
// into the cache by a prefetch hint.
TEST_F(PageFileFixture, ColdRecordReadsFollowTheChainAndPreferTheCache) {
    const uint32_t n = 5 * kDs - 100;
    struct Case {
        const char* what;
        int change; // 0 none, 1 cached newer page, 2 chain jumps, 3 damaged next, 4 short reads
        uint32_t damagedNext;
        bool readOk;
    } cases[] = {{"cold", 0, 0, true},
                 {"newer cached page", 1, 0, true},
                 {"chain jumps", 2, 0, true},
                 {"next is the header", 3, 0, false},
                 {"next past the end", 3, 100000, false},
                 {"next is itself", 3, ~0u, false},
                 {"short transfers", 4, 0, true}};
    for (bool prefetch : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(prefetch ? "prefetched" : "read directly");
            std::vector<uint8_t> data = Pattern(n, static_cast<uint8_t>(c.change * 3 + 1));
            DbLocation loc;
            ASSERT_TRUE(pages.AllocateRecord(data.data(), n, &loc)) << c.what;
            const uint32_t second = NextOf(loc.page), third = NextOf(second);
            if (c.change == 2) {
                // Move the third page to the end of the file and relink.
                PageRecord* fresh = pages.NewPage(false);
                ASSERT_NE(fresh, nullptr);
                const uint32_t moved = static_cast<uint32_t>(fresh->id);
                pages.ReleasePage(fresh);
                ASSERT_TRUE(pages.MovePage(moved, third)) << c.what;
                SetNext(second, moved);
            }
            if (c.change == 3)
                SetNext(second, c.damagedNext == ~0u ? second : c.damagedNext);
            ASSERT_TRUE(pages.Flush(false)) << c.what;
            ASSERT_TRUE(pages.DropCache());
            ASSERT_TRUE(pages.AllocateCache());
            if (c.change == 1) {
                PageRecord* r = pages.GetPage(third);
                ASSERT_NE(r, nullptr);
                r->data[6 + 10] ^= 0xFF;
                data[(kDs - loc.offset) + kDs + 10] ^= 0xFF;
                pages.MarkDirty(r);
                pages.ReleasePage(r);
            }
            int reads = 0;
            file->SetFaultHook([&](CMemoryFile::EOp op, uint64_t, uint32_t count) -> int64_t {
                if (op != CMemoryFile::kOpRead)
                    return count;
                ++reads;
                return c.change == 4 && count > kPs ? count / 2 : count;
            });
            if (prefetch)
                pages.Prefetch(loc, n);
            std::vector<uint8_t> back(n);
            DbLocation at = loc;
            EXPECT_EQ(pages.ReadRecord(back.data(), n, &at, true), c.readOk) << c.what;
            file->SetFaultHook(nullptr);
            if (!c.readOk)
                continue;
            EXPECT_EQ(back, data) << c.what;
            EXPECT_EQ(at, pages.AppendLocation()) << c.what;
            if (c.change == 0) {
                ASSERT_EQ(third, loc.page + 2); // appended pages follow each other
                EXPECT_EQ(reads, 1) << c.what;
                // Only the end page, where the next record starts, stays cached.
                EXPECT_TRUE(pages.IsCached(at.page));
                EXPECT_EQ(pages.IsCached(second), prefetch);
            }
        }
}

// The file object made by the page file is used through positioned calls
// and gathered writes; a file handed in is used through seek, read and write.
// The same work must leave the same bytes either way.
TEST_F(PageFileFixture, PositionedFileHoldsTheSameBytes) {
    const std::string dir = ScratchFolder("positioned");
    ASSERT_FALSE(dir.empty());
    const std::string path = dir + "/pages.bin";
    CPageFile real;
    real.SetPageSize(kPs);
    real.SetCacheBytes(32 * kPs, 0xFFFFFFFFu);
    ASSERT_TRUE(real.Open(path.c_str(), kFileOpenOrCreate));
    ASSERT_TRUE(real.AllocateCache());
    ASSERT_TRUE(real.ReservePage());
    // About 26 pages of records between flushes (runs longer than one
    // transfer), and pages rewritten inside the file after the first flush.
    std::vector<DbLocation> locs;
    for (int round = 0; round < 3; ++round) {
        for (uint32_t i = 0; i < 12; ++i) {
            const uint32_t n = 1000 + i * 3001 + round * 17;
            std::vector<uint8_t> data = Pattern(n, static_cast<uint8_t>(i + round));
            DbLocation a, b;
            ASSERT_TRUE(pages.AllocateRecord(data.data(), n, &a));
            ASSERT_TRUE(real.AllocateRecord(data.data(), n, &b));
            ASSERT_EQ(a, b);
            locs.push_back(a);
        }
        if (round > 0) {
            std::vector<uint8_t> data = Pattern(900, static_cast<uint8_t>(round * 5));
            DbLocation a = locs[round], b = locs[round];
            ASSERT_TRUE(pages.RewriteRecord(data.data(), 900, &a, false));
            ASSERT_TRUE(real.RewriteRecord(data.data(), 900, &b, false));
        }
        ASSERT_TRUE(pages.Flush(false));
        ASSERT_TRUE(real.Flush(false));
    }
    ASSERT_TRUE(real.DropCache());
    ASSERT_TRUE(real.AllocateCache());
    ASSERT_TRUE(pages.DropCache());
    ASSERT_TRUE(pages.AllocateCache());
    for (size_t i = 0; i < locs.size(); ++i) {
        const uint32_t n = 1000 + static_cast<uint32_t>(i % 12) * 3001 + (i / 12) * 17;
        std::vector<uint8_t> a(n), b(n);
        DbLocation la = locs[i], lb = locs[i];
        ASSERT_TRUE(pages.ReadRecord(a.data(), n, &la, false)) << i;
        ASSERT_TRUE(real.ReadRecord(b.data(), n, &lb, false)) << i;
        ASSERT_EQ(a, b) << i;
    }
    ASSERT_TRUE(real.Close());
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> bytes(disk->bytes.size() + 1);
    size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    bytes.resize(got);
    // Page 0 is never written by the page file: the memory disk holds zeros.
    EXPECT_EQ(bytes, disk->bytes);
}

// Pages passed once (a leaf after a point lookup, a value's pages) go first
// when a buffer is wanted, so that pages used by every lookup stay cached; a
// page somebody else still holds is not moved.
TEST_F(PageFileFixture, ColdReleasedPagesAreReusedFirst) {
    std::vector<uint8_t> data = Pattern(40, 3);
    std::vector<DbLocation> locs(3);
    for (DbLocation& loc : locs) {
        ASSERT_TRUE(pages.AllocateRecord(data.data(), 40, &loc));
        pages.SetAppendLocation(DbLocation{}); // each record on a page of its own
    }
    ASSERT_TRUE(pages.Flush(false));
    ASSERT_TRUE(pages.DropCache());
    ASSERT_TRUE(pages.AllocateCache());
    PageRecord* upper = pages.GetPage(locs[0].page);
    PageRecord* cold = pages.GetPage(locs[1].page);
    PageRecord* shared = pages.GetPage(locs[2].page);
    PageRecord* sharedAgain = pages.GetPage(locs[2].page);
    ASSERT_TRUE(upper && cold && shared && sharedAgain);
    pages.ReleasePage(upper);
    pages.ReleasePageCold(cold);
    pages.ReleasePageCold(sharedAgain); // still held: stays where it is
    pages.ReleasePage(shared);
    // The 29 unused buffers go before the cold page, the cold one next.
    for (uint32_t i = 0; i < 30; ++i) {
        PageRecord* r = pages.NewPage(false);
        ASSERT_NE(r, nullptr);
        pages.ReleasePage(r);
    }
    EXPECT_FALSE(pages.IsCached(locs[1].page));
    EXPECT_TRUE(pages.IsCached(locs[0].page));
    EXPECT_TRUE(pages.IsCached(locs[2].page));
}

TEST_F(PageFileFixture, ColdPagesStayWhileEmptyBuffersRemainAndTheOldestUsedGoesFirst) {
    // 40 committed pages, one per record, against a cache of 32 buffers.
    std::vector<uint8_t> data = Pattern(40, 5);
    std::vector<DbLocation> locs(40);
    for (DbLocation& loc : locs) {
        ASSERT_TRUE(pages.AllocateRecord(data.data(), 40, &loc));
        pages.SetAppendLocation(DbLocation{});
    }
    ASSERT_TRUE(pages.Flush(false));
    ASSERT_TRUE(pages.DropCache());
    ASSERT_TRUE(pages.AllocateCache());
    auto read = [&](uint32_t i, bool cold) {
        PageRecord* r = pages.GetPage(locs[i].page);
        ASSERT_NE(r, nullptr);
        cold ? pages.ReleasePageCold(r) : pages.ReleasePage(r);
    };
    // Point lookups release their leaf cold; while buffers are empty a
    // cold page must not be the one a later read replaces.
    for (uint32_t i = 0; i < 20; ++i)
        read(i, true);
    for (uint32_t i = 0; i < 20; ++i)
        EXPECT_TRUE(pages.IsCached(locs[i].page)) << i;
    // Fill the rest warm, then touch page 0 again: of the pages used once,
    // the cold ones go first, newest cold first, then the least recent.
    for (uint32_t i = 20; i < 32; ++i)
        read(i, false);
    read(0, false);
    read(32, false); // replaces page 19, the last released cold
    EXPECT_FALSE(pages.IsCached(locs[19].page));
    for (uint32_t i = 33; i < 40; ++i)
        read(i, false); // replaces pages 18 down to 12
    for (uint32_t i = 12; i < 20; ++i)
        EXPECT_FALSE(pages.IsCached(locs[i].page)) << i;
    for (uint32_t i = 0; i < 12; ++i)
        EXPECT_TRUE(pages.IsCached(locs[i].page)) << i;
    for (uint32_t i = 20; i < 40; ++i)
        EXPECT_TRUE(pages.IsCached(locs[i].page)) << i;
    EXPECT_EQ(pages.HeldPageCount(), 0u);
}

} // namespace
