// The database object: the exact layout of a new file, the header checks on
// open, the open modes, named indexes, user data and compaction.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "catalog/db_checker.h"
#include "db_test_util.h"
#include "imaging/byte_stream.h"

namespace {

std::vector<uint8_t> Hex(const char* text) {
    std::vector<uint8_t> out;
    for (const char* p = text; *p;) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        out.push_back(static_cast<uint8_t>(std::stoi(std::string(p, 2), nullptr, 16)));
        p += 2;
    }
    return out;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& v, size_t at, size_t n) {
    return std::vector<uint8_t>(v.begin() + at, v.begin() + at + n);
}

void ExpectClean(CIndexDatabase& db) {
    DbCheckResult r = CheckDatabase(db);
    std::string all;
    for (const std::string& p : r.problems)
        all += p + "\n";
    EXPECT_TRUE(r.Ok()) << r.Summary() << "\n" << all;
}

TEST(DatabaseLayout, NewFileHasTheExactBytes) {
    MemoryDb m;
    ASSERT_TRUE(m.Open(kDbOpenOrCreate));
    EXPECT_TRUE(m.db->IsNewFile());
    ExpectClean(*m.db);
    ASSERT_TRUE(m.db->Flush());
    const std::vector<uint8_t>& b = m.Bytes();
    ASSERT_EQ(b.size(), 32768u);
    // Header: magic, version, file id, page size, page count, append location
    // (1, 100), catalogue spec (1, 0), free-page spec (1, 50), no user data
    // (its offset bytes are not fixed), trailer.
    EXPECT_EQ(Slice(b, 0, 45), Hex("56656C6D 00 02000000 000000000000000000000000 0020 04000000 "
                                   "010000006400 010000000000 010000003200"));
    EXPECT_EQ(Slice(b, 45, 4), Hex("FFFFFFFF"));
    EXPECT_EQ(Slice(b, 51, 2), Hex("4442"));
    for (size_t i = 53; i < 8192; ++i)
        ASSERT_EQ(b[i], 0) << i;
    // Page 1: record header (no next page, 100 bytes in use), then both specs.
    EXPECT_EQ(Slice(b, 8192, 6), Hex("00000000 6400"));
    EXPECT_EQ(Slice(b, 8192 + 6, 50),
              Hex("02000000 00 00000000 00000000 00000000 06000000 01 00000000 01000000 02000000 "
                  "02000000 0000000000000000 00 000000"));
    EXPECT_EQ(Slice(b, 8192 + 56, 50),
              Hex("03000000 00 00000000 00000000 04000000 00000000 03 00000000 01000000 03000000 "
                  "03000000 0000000000000000 01 000000"));
    // Pages 2 and 3: empty root leaves.
    for (size_t page : {2u, 3u}) {
        EXPECT_EQ(Slice(b, page * 8192, 10), Hex("0000 FFFFFFFF FFFFFFFF")) << page;
        for (size_t i = 10; i < 8192; ++i)
            ASSERT_EQ(b[page * 8192 + i], 0) << page << ":" << i;
    }
    // Closing and reopening changes nothing and finds no named index.
    ASSERT_TRUE(m.db->Close());
    EXPECT_EQ(m.Bytes().size(), 32768u);
    ASSERT_TRUE(m.Open(kDbOpenExisting));
    EXPECT_FALSE(m.db->IsNewFile());
    EXPECT_EQ(m.db->FindIndex("x"), nullptr);
    ExpectClean(*m.db);
}

TEST(DatabaseLayout, OpenRefusesDamagedHeadersAndKeepsTheFile) {
    MemoryDb made;
    ASSERT_TRUE(made.Open(kDbCreate));
    ASSERT_TRUE(made.db->Close());
    const std::vector<uint8_t> good = made.Bytes();
    struct Case {
        const char* what;
        void (*damage)(std::vector<uint8_t>&);
    } cases[] = {
        {"one byte short", [](std::vector<uint8_t>& b) { b.pop_back(); }},
        {"wrong magic", [](std::vector<uint8_t>& b) { b[0] = 'v'; }},
        {"wrong trailer", [](std::vector<uint8_t>& b) { b[52] = 'C'; }},
        // 524292 x 8192 wraps to 32768 in 32 bits.
        {"page count wraps", [](std::vector<uint8_t>& b) { StoreU32(b.data() + 23, 524292); }},
        {"page size", [](std::vector<uint8_t>& b) { StoreU16(b.data() + 21, 4096); }},
        {"catalogue spec past the end",
         [](std::vector<uint8_t>& b) { StoreU32(b.data() + 33, 9); }},
        {"catalogue root on page 0",
         [](std::vector<uint8_t>& b) { StoreU32(b.data() + 8192 + 6, 0); }},
        {"catalogue height", [](std::vector<uint8_t>& b) { b[8192 + 6 + 4] = 200; }},
        {"empty file read-only", [](std::vector<uint8_t>& b) { b.clear(); }},
    };
    for (const Case& c : cases) {
        MemoryDb m;
        m.disk->bytes = good;
        m.disk->exists = true;
        c.damage(m.disk->bytes);
        const std::vector<uint8_t> before = m.disk->bytes;
        int mode = std::string(c.what) == "empty file read-only" ? kDbReadOnly : kDbOpenExisting;
        EXPECT_FALSE(m.Open(mode)) << c.what;
        EXPECT_FALSE(m.db->IsOpen()) << c.what;
        EXPECT_EQ(m.disk->bytes, before) << c.what; // never written or truncated
    }
}

TEST(DatabaseModes, ModesBehaveAsDocumented) {
    MemoryDb m;
    EXPECT_FALSE(m.Open(kDbReadOnly)); // missing
    EXPECT_FALSE(m.Open(kDbOpenExisting));
    EXPECT_FALSE(m.Open(7));
    ASSERT_TRUE(m.Open(kDbCreate));
    EXPECT_FALSE(m.Open(kDbOpenOrCreate)); // already open
    CBTreeIndex* idx = m.db->OpenIndex("Things", 0, false, 0, false, true);
    ASSERT_NE(idx, nullptr);
    ASSERT_TRUE(idx->PutText("k", "v"));
    m.db->ReleaseIndex(idx);
    ASSERT_TRUE(m.db->Close());

    ASSERT_TRUE(m.Open(kDbReadOnly));
    const std::vector<uint8_t> before = m.Bytes();
    EXPECT_EQ(m.db->OpenIndex("Things", 0, false, 0, false, true), nullptr);
    EXPECT_EQ(m.db->OpenIndex("New", 0, false, 0, false, true), nullptr);
    CBTreeIndex* found = m.db->FindIndex("Things");
    ASSERT_NE(found, nullptr);
    std::string value;
    EXPECT_TRUE(GetText(found, "k", &value));
    EXPECT_EQ(value, "v");
    EXPECT_FALSE(found->PutText("k2", "v2"));
    EXPECT_FALSE(found->EraseString("k"));
    EXPECT_TRUE(m.db->Flush());
    EXPECT_EQ(m.db->CountFreePages(), 0u);
    CByteStream s;
    ASSERT_TRUE(s.Write("x", 1));
    EXPECT_FALSE(m.db->WriteUserData(&s));
    EXPECT_FALSE(m.db->RenameIndex("Things", "Other"));
    ExpectClean(*m.db);
    m.db->ReleaseIndex(found);
    EXPECT_TRUE(m.db->Close());
    EXPECT_EQ(m.Bytes(), before);

    // Mode 0 empties an existing file.
    ASSERT_TRUE(m.Open(kDbCreate));
    EXPECT_TRUE(m.db->IsNewFile());
    EXPECT_EQ(m.db->FindIndex("Things"), nullptr);
    ASSERT_TRUE(m.db->Close());
}

TEST(DatabaseIndexes, FindOpenReleaseAndRename) {
    MemoryDb m;
    ASSERT_TRUE(m.Open(kDbCreate));
    CBTreeIndex* a = m.db->OpenIndex("Alpha", 4, false, 0, true, true);
    ASSERT_NE(a, nullptr);
    ASSERT_TRUE(a->SetKeyType(kKeyTypeSigned));
    CByteStream payload;
    ASSERT_TRUE(a->PutInt(7, Text("seven")));
    // An existing name keeps its stored shape whatever is asked for.
    CBTreeIndex* again = m.db->OpenIndex("Alpha", 0, true, 9, false, true);
    EXPECT_EQ(again, a);
    EXPECT_EQ(again->Spec().fixedKey, 4u);
    EXPECT_TRUE(again->Spec().ValuesOutOfLine());
    EXPECT_EQ(m.db->FindIndex("Alpha"), a);
    EXPECT_EQ(a->refCount, 3);
    m.db->ReleaseIndex(a);
    m.db->ReleaseIndex(a);
    EXPECT_EQ(m.db->OpenIndexes().size(), 1u);
    m.db->ReleaseIndex(a);
    EXPECT_TRUE(m.db->OpenIndexes().empty());

    // Names: at most 19 characters, never cut, case-sensitive.
    EXPECT_EQ(m.db->OpenKeySet("ABCDEFGHIJKLMNOPQRST", 0, false, true), nullptr);
    CBTreeIndex* b = m.db->OpenKeySet("ABCDEFGHIJKLMNOPQRS", 0, false, true);
    ASSERT_NE(b, nullptr);
    m.db->ReleaseIndex(b);
    EXPECT_EQ(m.db->FindIndex("alpha"), nullptr);
    EXPECT_EQ(m.db->OpenIndex("Missing", 0, false, 0, false, false), nullptr);
    EXPECT_EQ(m.db->OpenIndex("", 0, false, 0, false, true), nullptr);
    EXPECT_EQ(m.db->OpenIndex("Wide", 300, false, 0, false, true), nullptr);

    // Rename: refused onto an existing name, past 19 characters, or when the
    // old name is missing; an open object follows the new name.
    CBTreeIndex* open = m.db->FindIndex("Alpha");
    EXPECT_FALSE(m.db->RenameIndex("Alpha", "ABCDEFGHIJKLMNOPQRS"));
    EXPECT_FALSE(m.db->RenameIndex("Alpha", "ABCDEFGHIJKLMNOPQRSTU"));
    EXPECT_FALSE(m.db->RenameIndex("Nope", "Beta"));
    ASSERT_TRUE(m.db->RenameIndex("Alpha", "Beta"));
    EXPECT_EQ(open->name, "Beta");
    m.db->ReleaseIndex(open);
    ExpectClean(*m.db);
    ASSERT_TRUE(m.db->Close());
    ASSERT_TRUE(m.Open(kDbOpenExisting));
    EXPECT_EQ(m.db->FindIndex("Alpha"), nullptr);
    CBTreeIndex* beta = m.db->FindIndex("Beta");
    ASSERT_NE(beta, nullptr);
    EXPECT_EQ(beta->Spec().keyType, kKeyTypeSigned);
    uint8_t out[16];
    DbBuffer v = DbBuffer::Out(out, sizeof out);
    ASSERT_TRUE(beta->GetInt(7, &v));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), v.length), "seven");
    ExpectClean(*m.db);
}

TEST(DatabaseClose, UnreleasedIndexesAreSavedBeforeCompaction) {
    MemoryDb m;
    ASSERT_TRUE(m.Open(kDbCreate));
    CBTreeIndex* idx = m.db->OpenIndex("Grow", 0, false, 0, false, true);
    ASSERT_NE(idx, nullptr);
    std::string value(200, 'v');
    for (int i = 0; i < 3000; ++i)
        ASSERT_TRUE(idx->PutText(("key" + std::to_string(i)).c_str(), value.c_str()));
    ASSERT_GT(idx->Spec().height, 0); // the root moved since the last flush
    ASSERT_TRUE(m.db->Close());       // idx not released
    ASSERT_TRUE(m.Open(kDbOpenExisting));
    ExpectClean(*m.db);
    CBTreeIndex* back = m.db->FindIndex("Grow");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Spec().count, 3000u);
    std::string got;
    ASSERT_TRUE(GetText(back, "key2999", &got));
    EXPECT_EQ(got, value);
}

TEST(DatabaseUserData, WritingTwiceKeepsOneRecordAndFreesTheOld) {
    MemoryDb m;
    ASSERT_TRUE(m.Open(kDbCreate));
    CByteStream big;
    std::vector<uint8_t> bytes(30000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 13);
    ASSERT_EQ(big.Write(bytes.data(), 30000), 30000u);
    ASSERT_TRUE(m.db->WriteUserData(&big));
    const uint32_t freeBefore = m.db->CountFreePages();
    CByteStream small;
    ASSERT_TRUE(small.Write("tag", 3));
    ASSERT_TRUE(m.db->WriteUserData(&small));
    // The big record's pages that held nothing else are free again.
    EXPECT_GE(m.db->CountFreePages(), freeBefore + 2);
    ExpectClean(*m.db);
    CByteStream back;
    ASSERT_TRUE(m.db->ReadUserData(&back));
    ASSERT_EQ(back.size, 3u);
    EXPECT_EQ(std::memcmp(back.buffer, "tag", 3), 0);
    ASSERT_TRUE(m.db->Close());
    ASSERT_TRUE(m.Open(kDbReadOnly));
    CByteStream again;
    ASSERT_TRUE(m.db->ReadUserData(&again));
    EXPECT_EQ(again.size, 3u);
}

TEST(DatabaseUserData, ImpossibleLengthIsRefusedWithoutAllocating) {
    MemoryDb m;
    ASSERT_TRUE(m.Open(kDbCreate));
    CByteStream s;
    ASSERT_TRUE(s.Write("tag", 3));
    ASSERT_TRUE(m.db->WriteUserData(&s));
    DbLocation loc = m.db->UserDataLocation();
    ASSERT_TRUE(m.db->Close());
    StoreU32(m.Bytes().data() + static_cast<size_t>(loc.page) * 8192 + 6 + loc.offset, 0xFFFFFFF0u);
    ASSERT_TRUE(m.Open(kDbReadOnly));
    CByteStream back;
    EXPECT_FALSE(m.db->ReadUserData(&back));
    EXPECT_EQ(back.capacity, 0u);
}

TEST(DatabaseFreeList, PagesFreedByAnIndexAreCachedThenIndexed) {
    MemoryDb m;
    ASSERT_TRUE(m.Open(kDbCreate));
    CBTreeIndex* idx = m.db->OpenKeySet("Pages", 4, false, true);
    ASSERT_NE(idx, nullptr);
    ASSERT_TRUE(idx->SetKeyType(kKeyTypeUnsigned));
    // Grow to several leaves (enough that emptying four keeps the root an
    // inner node), then empty them one by one.
    for (uint32_t k = 0; k < 12000; ++k)
        ASSERT_TRUE(idx->PutUInt(k, DbBuffer()));
    ASSERT_TRUE(m.db->Flush(true));
    CFreePageList* list = m.db->FreeList();
    EXPECT_TRUE(list->Cached().empty());
    EXPECT_EQ(m.db->CountFreePages(), list->IndexedCount());
    ASSERT_EQ(m.db->CountFreePages(), 0u);
    const uint32_t leaves = idx->Spec().leafCount;
    ASSERT_GE(leaves, 6u);
    uint32_t k = 0;
    while (idx->Spec().leafCount > leaves - 3)
        ASSERT_TRUE(idx->EraseUInt(k++));
    // The first two freed pages stay in the cache, the third goes to the index.
    EXPECT_EQ(list->Cached().size(), 2u);
    EXPECT_EQ(list->IndexedCount(), 1u);
    ExpectClean(*m.db);
    // Taking a page with three or more cached ids uses the smallest and leaves
    // the index alone.
    while (idx->Spec().leafCount > leaves - 4)
        ASSERT_TRUE(idx->EraseUInt(k++));
    ASSERT_EQ(list->IndexedCount(), 2u);
    const uint32_t moved = list->SmallestIndexed();
    ASSERT_TRUE(list->EraseIndexed(moved));
    ASSERT_TRUE(list->ReleasePage(moved, false, true));
    ASSERT_EQ(list->Cached().size(), 3u);
    ASSERT_EQ(list->IndexedCount(), 1u);
    uint32_t smallest = list->Cached().front();
    EXPECT_EQ(list->TakePage(true), smallest);
    EXPECT_EQ(list->IndexedCount(), 1u);
    ASSERT_TRUE(list->ReleasePage(smallest, false, true));
    // Ids out of range or already free are refused.
    EXPECT_FALSE(list->ReleasePage(0, true, true));
    EXPECT_FALSE(list->ReleasePage(m.db->Pages().PageCount(), true, true));
    EXPECT_FALSE(list->ReleasePage(smallest, true, true));
    m.db->ReleaseIndex(idx);
    ExpectClean(*m.db);
}

// Free ids held only in memory would be lost when the process dies after a
// flush: every flush puts them into the free-page index, so the file as
// flushed accounts for every page.
TEST(DatabaseFreeList, FlushRecordsCachedFreePagesInTheFile) {
    MemoryDb m;
    ASSERT_TRUE(m.Open(kDbCreate));
    CBTreeIndex* idx = m.db->OpenKeySet("Pages", 4, false, true);
    ASSERT_NE(idx, nullptr);
    ASSERT_TRUE(idx->SetKeyType(kKeyTypeUnsigned));
    for (uint32_t k = 0; k < 3000; ++k)
        ASSERT_TRUE(idx->PutUInt(k, DbBuffer()));
    ASSERT_TRUE(m.db->Flush());
    uint32_t k = 0;
    while (m.db->FreeList()->Cached().empty())
        ASSERT_TRUE(idx->EraseUInt(k++));
    const uint32_t freePages = m.db->CountFreePages();
    ASSERT_TRUE(m.db->Flush());
    EXPECT_TRUE(m.db->FreeList()->Cached().empty());
    EXPECT_EQ(m.db->FreeList()->IndexedCount(), freePages);
    // The flushed bytes, opened as they are (as after a crash), are complete.
    MemoryDb copy;
    copy.disk->bytes = m.Bytes();
    copy.disk->exists = true;
    ASSERT_TRUE(copy.Open(kDbOpenExisting));
    ExpectClean(*copy.db);
    EXPECT_EQ(copy.db->CountFreePages(), freePages);
    copy.db->CloseWithoutWriting();
    m.db->ReleaseIndex(idx);
}

TEST(DatabaseCompaction, ClosingAfterMassEraseShrinksTheFileAndLowersRoots) {
    MemoryDb m;
    ASSERT_TRUE(m.Open(kDbCreate));
    CBTreeIndex* idx = m.db->OpenIndex("Big", 4, false, 0, true, true);
    ASSERT_NE(idx, nullptr);
    ASSERT_TRUE(idx->SetKeyType(kKeyTypeSigned));
    const int kCount = 100000;
    std::string value(20, 'x');
    for (int i = 0; i < kCount; ++i) {
        value[0] = static_cast<char>('a' + i % 26);
        ASSERT_TRUE(idx->PutInt(i, Text(value)));
    }
    m.db->ReleaseIndex(idx);
    ASSERT_TRUE(m.db->Close());
    const size_t fullSize = m.Bytes().size();

    ASSERT_TRUE(m.Open(kDbOpenExisting));
    idx = m.db->FindIndex("Big");
    ASSERT_NE(idx, nullptr);
    const int kKept = kCount / 10;
    for (int i = kKept; i < kCount; ++i)
        ASSERT_TRUE(idx->EraseInt(i)) << i;
    m.db->ReleaseIndex(idx);
    ASSERT_TRUE(m.db->Close());
    EXPECT_LT(m.Bytes().size(), fullSize);

    ASSERT_TRUE(m.Open(kDbOpenExisting));
    ExpectClean(*m.db);
    idx = m.db->FindIndex("Big");
    ASSERT_NE(idx, nullptr);
    EXPECT_EQ(idx->Spec().count, static_cast<uint32_t>(kCount / 10));
    // Every root sits below every free page.
    uint32_t lowestFree = m.db->FreeList()->SmallestIndexed();
    for (uint32_t id : m.db->FreeList()->Cached())
        lowestFree = std::min(lowestFree, id);
    EXPECT_LT(idx->Spec().root, lowestFree);
    EXPECT_LT(m.db->FreeIndex()->Spec().root, lowestFree);
    for (int i = 0; i < kKept; ++i) {
        uint8_t out[32];
        DbBuffer v = DbBuffer::Out(out, sizeof out);
        ASSERT_TRUE(idx->GetInt(i, &v)) << i;
        ASSERT_EQ(v.length, 20u);
        ASSERT_EQ(out[0], 'a' + i % 26);
    }
}

} // namespace

namespace {

bool FileExists(const std::string& path) {
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        return true;
    }
    return false;
}

// A scratch database (the item lists sort through one in the temporary
// folder) leaves nothing beside it, however it is closed after its commits.
TEST(DatabaseJournal, NoJournalOutlivesADatabaseClosedAfterItsCommits) {
    const std::string folder = ScratchFolder("journal-left");
    ASSERT_FALSE(folder.empty());
    const struct {
        const char* what;
        bool keep; // closed with its changes written, or thrown away
    } cases[] = {
        {"closed with its changes", true},
        {"closed without writing", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder + "/" + (c.keep ? "kept" : "dropped") + ".tdb";
        CIndexDatabase db;
        ASSERT_TRUE(db.Open(path.c_str(), kDbCreate));
        CBTreeIndex* idx = db.OpenKeySet("Sort", 4, false, true);
        ASSERT_NE(idx, nullptr);
        ASSERT_TRUE(idx->SetKeyType(kKeyTypeUnsigned));
        for (uint32_t k = 0; k < 3000; ++k)
            ASSERT_TRUE(idx->PutUInt(k, DbBuffer()));
        ASSERT_TRUE(db.Flush());
        ASSERT_TRUE(idx->PutUInt(3000, DbBuffer())); // and a change after the commit
        db.ReleaseIndex(idx);
        if (c.keep)
            EXPECT_TRUE(db.Close());
        else
            db.CloseWithoutWriting();
        EXPECT_TRUE(FileExists(path));
        EXPECT_FALSE(FileExists(CPageFile::JournalPath(path.c_str())));
    }
}

} // namespace
