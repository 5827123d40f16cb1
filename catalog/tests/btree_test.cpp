// B+-tree behaviour at its edges: separators, split rules, the page-overflow
// case of count-based splits, entry limits, integer orders, cursors at the
// ends of the tree and on leaves that disappear, and replacing values.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "catalog/db_checker.h"
#include "db_test_util.h"

namespace {

void ExpectClean(CIndexDatabase& db) {
    DbCheckResult r = CheckDatabase(db);
    std::string all;
    for (const std::string& p : r.problems)
        all += p + "\n";
    EXPECT_TRUE(r.Ok()) << r.Summary() << "\n" << all;
}

std::string KeyAt(CBTreeCursor* c) {
    uint8_t buf[4096];
    DbBuffer k = DbBuffer::Out(buf, sizeof buf);
    if (!c->GetKey(&k))
        return "<none>";
    return std::string(reinterpret_cast<char*>(buf), k.length);
}

uint32_t LeafCount(CIndexDatabase& db, uint32_t leaf, const CBTreeIndex* idx) {
    PageRecord* r = db.Pages().GetPage(leaf);
    EXPECT_NE(r, nullptr);
    NodeFormat f = idx->Format();
    uint32_t n = CNode(r->data, f, true).Count();
    db.Pages().ReleasePage(r);
    return n;
}

struct TreeFixture : ::testing::Test {
    MemoryDb m;
    void SetUp() override { ASSERT_TRUE(m.Open(kDbCreate)); }
    void TearDown() override {
        ExpectClean(*m.db);
        EXPECT_TRUE(m.db->Close());
    }
};

TEST(KeyFunctions, ShortestPrefixAndIntegerOrders) {
    auto prefix = [](const std::string& a, const std::string& b) {
        return DbShortestPrefix(
            reinterpret_cast<const uint8_t*>(a.data()), static_cast<uint32_t>(a.size()),
            reinterpret_cast<const uint8_t*>(b.data()), static_cast<uint32_t>(b.size()));
    };
    EXPECT_EQ(prefix("apple", "apricot"), 3u); // "apr"
    EXPECT_EQ(prefix("ab", "abc"), 3u);        // "abc"
    EXPECT_EQ(prefix("a", "b"), 1u);

    // True signed and unsigned orders: the wrapping difference would put
    // 0x7FFFFFFF < 0x80000000 < 0 < 0x7FFFFFFF in a cycle.
    const uint32_t values[] = {0x80000000u, 0xFFFFFFFFu, 0u, 1u, 0x7FFFFFFFu};
    for (uint32_t a : values) {
        for (uint32_t b : values) {
            uint8_t ka[4], kb[4];
            StoreU32(ka, a);
            StoreU32(kb, b);
            int s = DbCompareSigned(ka, 4, kb, 4), u = DbCompareUnsigned(ka, 4, kb, 4);
            int32_t sa = static_cast<int32_t>(a), sb = static_cast<int32_t>(b);
            EXPECT_EQ(s < 0, sa < sb) << a << " " << b;
            EXPECT_EQ(s == 0, a == b);
            EXPECT_EQ(u < 0, a < b) << a << " " << b;
        }
    }
}

TEST_F(TreeFixture, IntegerKeysWalkInNumericOrder) {
    CBTreeIndex* s = m.db->OpenKeySet("Signed", 4, false, true);
    CBTreeIndex* u = m.db->OpenKeySet("Unsigned", 4, false, true);
    ASSERT_TRUE(s && u);
    ASSERT_TRUE(s->SetKeyType(kKeyTypeSigned));
    ASSERT_TRUE(u->SetKeyType(kKeyTypeUnsigned));
    const int32_t keys[] = {INT_MAX, -1, 0, INT_MIN, 1, 70000, -70000};
    for (int32_t k : keys) {
        ASSERT_TRUE(s->PutInt(k, DbBuffer()));
        ASSERT_TRUE(u->PutUInt(static_cast<uint32_t>(k), DbBuffer()));
    }
    // Typed forms refuse an index of another key type.
    EXPECT_FALSE(s->PutUInt(5, DbBuffer()));
    EXPECT_FALSE(u->ContainsInt(0));
    EXPECT_FALSE(s->PutText("x", "y"));
    std::vector<int32_t> seenS;
    std::vector<uint32_t> seenU;
    for (auto [idx, isSigned] : {std::make_pair(s, true), std::make_pair(u, false)}) {
        CBTreeCursor* c = idx->NewCursor(false);
        for (bool ok = c->First(); ok; ok = c->Next()) {
            uint8_t raw[4];
            DbBuffer k = DbBuffer::Out(raw, 4);
            ASSERT_TRUE(c->GetKey(&k));
            if (isSigned)
                seenS.push_back(static_cast<int32_t>(LoadU32(raw)));
            else
                seenU.push_back(LoadU32(raw));
        }
        EXPECT_TRUE(idx->ReleaseCursor(c));
    }
    EXPECT_EQ(seenS, (std::vector<int32_t>{INT_MIN, -70000, -1, 0, 1, 70000, INT_MAX}));
    EXPECT_EQ(seenU,
              (std::vector<uint32_t>{0, 1, 70000, INT_MAX, 0x80000000u, 0xFFFEEE90u, 0xFFFFFFFFu}));
    m.db->ReleaseIndex(s);
    m.db->ReleaseIndex(u);
}

TEST_F(TreeFixture, LeafSplitsByCountWhenBothHalvesFit) {
    CBTreeIndex* idx = m.db->OpenKeySet("Ids", 4, false, true);
    ASSERT_TRUE(idx->SetKeyType(kKeyTypeUnsigned));
    uint32_t k = 0;
    while (idx->Spec().leafCount == 1)
        ASSERT_TRUE(idx->PutUInt(k++, DbBuffer()));
    const uint32_t c = k - 1; // entries before the insertion that split
    const IndexSpec& s = idx->Spec();
    EXPECT_EQ(LeafCount(*m.db, s.firstLeaf, idx), c / 2);
    EXPECT_EQ(LeafCount(*m.db, s.lastLeaf, idx), c - c / 2 + 1); // the new key went right
    EXPECT_EQ(s.height, 1);
    m.db->ReleaseIndex(idx);
}

TEST_F(TreeFixture, CountSplitThatWouldOverflowAPageSplitsByBytes) {
    // 30 keys of 3 bytes and 31 of 255 bytes fill one root leaf (8096 bytes);
    // one more 255-byte key sorting last would give the new leaf 32 entries
    // of 256 bytes under the count rule: more than a page.
    CBTreeIndex* idx = m.db->OpenKeySet("Collections", 0, false, true);
    ASSERT_NE(idx, nullptr);
    std::vector<std::string> keys;
    for (int i = 0; i < 30; ++i)
        keys.push_back("a" + std::string(i < 10 ? "0" : "") + std::to_string(i));
    for (int i = 0; i < 32; ++i)
        keys.push_back("b" + std::string(i < 10 ? "0" : "") + std::to_string(i) +
                       std::string(252, 'z'));
    for (size_t i = 0; i + 1 < keys.size(); ++i)
        ASSERT_TRUE(idx->InsertKeyValue(Text(keys[i]))) << i;
    ASSERT_EQ(idx->Spec().leafCount, 1u);
    ASSERT_TRUE(idx->InsertKeyValue(Text(keys.back())));
    EXPECT_EQ(idx->Spec().leafCount, 2u);
    EXPECT_EQ(idx->Spec().count, keys.size());
    ExpectClean(*m.db);
    CBTreeCursor* c = idx->NewCursor(false);
    size_t i = 0;
    for (bool ok = c->First(); ok; ok = c->Next(), ++i)
        ASSERT_EQ(KeyAt(c), keys[i]);
    EXPECT_EQ(i, keys.size());
    idx->ReleaseCursor(c);
    m.db->ReleaseIndex(idx);
}

TEST_F(TreeFixture, EntryLimitsAndInlineKeyLength) {
    CBTreeIndex* inl = m.db->OpenKeySet("Inline", 0, false, true);
    CBTreeIndex* ool = m.db->OpenKeySet("OutOfLine", 0, true, true);
    ASSERT_TRUE(inl && ool);
    const std::string k255(255, 'k'), k256(256, 'k'), huge(20000, 'h');
    EXPECT_TRUE(inl->InsertKeyValue(Text(k255)));
    EXPECT_FALSE(inl->InsertKeyValue(Text(k256)));
    EXPECT_FALSE(inl->InsertKeyValue(Text("")));
    EXPECT_TRUE(ool->InsertKeyValue(Text(k256)));
    EXPECT_TRUE(ool->InsertKeyValue(Text(huge)));
    EXPECT_TRUE(ool->Contains(Text(huge)));
    EXPECT_FALSE(ool->Contains(Text(huge.substr(1))));

    // page size / 3 = 2730 bytes per entry.
    CBTreeIndex* fits = m.db->OpenIndex("Fits", 4, false, 2726, false, true);
    CBTreeIndex* over = m.db->OpenIndex("Over", 4, false, 2727, false, true);
    ASSERT_TRUE(fits && over);
    std::string v2726(2726, 'v'), v2727(2727, 'v');
    EXPECT_TRUE(fits->Put(Text("abcd"), Text(v2726)));
    EXPECT_FALSE(over->Put(Text("abcd"), Text(v2727)));
    // A fixed length means exactly that length.
    EXPECT_FALSE(fits->Put(Text("abcd"), Text("short")));
    EXPECT_FALSE(fits->Put(Text("abc"), Text(v2726)));
    for (CBTreeIndex* i : {inl, ool, fits, over})
        m.db->ReleaseIndex(i);
}

TEST_F(TreeFixture, UpdateAndReplaceNeverLoseTheOldValue) {
    CBTreeIndex* idx = m.db->OpenIndex("Values", 0, false, 0, false, true);
    ASSERT_NE(idx, nullptr);
    ASSERT_TRUE(idx->PutText("key", "old"));
    EXPECT_FALSE(idx->UpdateString("absent", Text("x")));
    EXPECT_FALSE(idx->ContainsString("absent"));
    EXPECT_FALSE(idx->UpdateString("key", Text(std::string(256, 'x')))); // too long inline
    std::string v;
    ASSERT_TRUE(GetText(idx, "key", &v));
    EXPECT_EQ(v, "old");
    ASSERT_TRUE(idx->UpdateString("key", Text("new")));
    ASSERT_TRUE(GetText(idx, "key", &v));
    EXPECT_EQ(v, "new");

    CBTreeIndex* ool = m.db->OpenIndex("Blobs", 0, false, 0, true, true);
    const std::string a(9000, 'a'), b(100, 'b');
    ASSERT_TRUE(ool->Put(Text("k"), Text(a)));
    EXPECT_EQ(ool->Spec().outOfLineBytes, 9004u);
    ASSERT_TRUE(ool->Put(Text("k"), Text(b))); // replaces; the old record is freed
    EXPECT_EQ(ool->Spec().outOfLineBytes, 104u);
    ASSERT_TRUE(GetText(ool, "k", &v));
    EXPECT_EQ(v, b);
    // The value buffer rules: offset, short capacity, allocation.
    uint8_t small[10];
    DbBuffer part = DbBuffer::Out(small, 10);
    part.offset = 95;
    ASSERT_TRUE(ool->Get(Text("k"), &part));
    EXPECT_EQ(part.length, 5u);
    part.offset = 200;
    ASSERT_TRUE(ool->Get(Text("k"), &part));
    EXPECT_EQ(part.length, 0u);
    DbBuffer all;
    all.capacity = kDbAllocate;
    ASSERT_TRUE(ool->Get(Text("k"), &all));
    ASSERT_NE(all.data, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(all.data), all.length), b);
    DbBufferFree(all);
    m.db->ReleaseIndex(idx);
    m.db->ReleaseIndex(ool);
}

TEST_F(TreeFixture, CursorsAtTheEnds) {
    CBTreeIndex* idx = m.db->OpenKeySet("Walk", 0, false, true);
    CBTreeCursor* c = idx->NewCursor(true);
    EXPECT_FALSE(c->First()); // empty
    EXPECT_FALSE(c->Last());
    EXPECT_FALSE(c->Seek(Text("x")));
    EXPECT_FALSE(c->Erase());
    for (const char* k : {"b", "d", "f"})
        ASSERT_TRUE(idx->InsertKeyValue(Text(k)));
    ASSERT_TRUE(c->First());
    EXPECT_FALSE(c->Prev()); // stays on the first entry
    EXPECT_EQ(KeyAt(c), "b");
    ASSERT_TRUE(c->Last());
    EXPECT_FALSE(c->Next()); // past the end: no entry
    EXPECT_FALSE(c->OnEntry());
    EXPECT_EQ(KeyAt(c), "<none>");
    EXPECT_TRUE(c->SeekString("d"));
    EXPECT_FALSE(c->SeekString("c")); // insertion position
    EXPECT_EQ(KeyAt(c), "d");
    EXPECT_FALSE(c->SeekString("z")); // above every key: the last entry
    EXPECT_EQ(KeyAt(c), "f");
    // Erasing the last entry of the root leaf leaves an empty root leaf.
    CBTreeCursor* ro = idx->NewCursor(false);
    ASSERT_TRUE(ro->First());
    EXPECT_FALSE(ro->Erase()); // read-only cursor
    while (c->First())
        ASSERT_TRUE(c->Erase());
    EXPECT_EQ(idx->Spec().count, 0u);
    EXPECT_FALSE(c->First());
    EXPECT_EQ(idx->Spec().root, idx->Spec().firstLeaf);
    EXPECT_TRUE(idx->ReleaseCursor(ro));
    EXPECT_TRUE(idx->ReleaseCursor(c));
    EXPECT_FALSE(idx->ReleaseCursor(c));
    m.db->ReleaseIndex(idx);
}

TEST_F(TreeFixture, CursorWalksBackAndForthAcrossLeavesWithoutLimit) {
    // A few leaves in a file of few pages: crossing between two of them
    // more often than the file has pages is an ordinary walk, not a loop.
    CBTreeIndex* idx = m.db->OpenKeySet("Ids", 4, false, true);
    ASSERT_TRUE(idx->SetKeyType(kKeyTypeUnsigned));
    uint32_t n = 0;
    while (idx->Spec().leafCount < 2)
        ASSERT_TRUE(idx->PutUInt(n++, DbBuffer()));
    const uint32_t firstLeafCount = LeafCount(*m.db, idx->Spec().firstLeaf, idx);
    CBTreeCursor* c = idx->NewCursor(false);
    uint8_t key[4];
    DbBuffer k = DbBuffer::Out(key, sizeof key);
    ASSERT_TRUE(c->First());
    for (uint32_t i = 0; i + 1 < firstLeafCount; ++i)
        ASSERT_TRUE(c->Next());
    for (uint32_t turn = 0; turn < 3 * m.db->Pages().PageCount(); ++turn) {
        ASSERT_TRUE(c->Next()) << turn; // into the second leaf
        ASSERT_TRUE(c->GetKey(&k));
        ASSERT_EQ(LoadU32(key), firstLeafCount);
        ASSERT_TRUE(c->Prev()) << turn; // back into the first
    }
    idx->ReleaseCursor(c);
    m.db->ReleaseIndex(idx);
}

TEST_F(TreeFixture, CursorEraseEmptiesATallTreeAndFreesEveryNode) {
    // Long keys with a long common prefix keep separators long: a few
    // thousand entries make the tree two inner levels high.
    CBTreeIndex* idx = m.db->OpenIndex("Tall", 0, false, 0, true, true);
    ASSERT_NE(idx, nullptr);
    const int kCount = 4000;
    for (int i = 0; i < kCount; ++i) {
        std::string key = std::string(230, 'p') + std::to_string(100000 + i * 7 % kCount);
        ASSERT_TRUE(idx->Put(Text(key), Text(std::string(i % 50, 'v'))));
    }
    ASSERT_GE(idx->Spec().height, 2);
    const uint32_t nodes = idx->Spec().leafCount + idx->Spec().innerCount;
    ExpectClean(*m.db);
    // A second cursor parked on the first leaf, which will be freed.
    CBTreeCursor* parked = idx->NewCursor(false);
    ASSERT_TRUE(parked->First());
    CBTreeCursor* c = idx->NewCursor(true);
    ASSERT_TRUE(c->First());
    int erased = 0;
    while (c->OnEntry()) {
        ASSERT_TRUE(c->Erase()) << erased;
        ++erased;
    }
    EXPECT_EQ(erased, kCount);
    EXPECT_FALSE(parked->OnEntry()); // detached, not left on a freed page
    EXPECT_FALSE(parked->Next());
    const IndexSpec& s = idx->Spec();
    EXPECT_EQ(s.count, 0u);
    EXPECT_EQ(s.height, 0);
    EXPECT_EQ(s.leafCount, 1u);
    EXPECT_EQ(s.innerCount, 0u);
    EXPECT_EQ(s.outOfLineBytes, 0u);
    EXPECT_GE(m.db->CountFreePages(), nodes - 1);
    idx->ReleaseCursor(parked);
    idx->ReleaseCursor(c);
    m.db->ReleaseIndex(idx);
}

TEST_F(TreeFixture, SeparatorsAreCutAndStillSeparate) {
    CBTreeIndex* idx = m.db->OpenKeySet("Prefixes", 0, false, true);
    std::vector<std::string> keys;
    for (int i = 0; i < 3000; ++i)
        keys.push_back("common-prefix-" + std::to_string(i * 7919 % 3000) + "-tail");
    for (const std::string& k : keys)
        ASSERT_TRUE(idx->InsertKeyValue(Text(k)));
    ASSERT_GE(idx->Spec().height, 1);
    // The root's separators are prefixes no longer than the keys they cut.
    PageRecord* r = m.db->Pages().GetPage(idx->Spec().root);
    ASSERT_NE(r, nullptr);
    NodeFormat f = idx->Format();
    CNode root(r->data, f, false);
    const uint8_t* key;
    uint32_t length;
    ASSERT_TRUE(root.KeyAt(0, &key, &length));
    EXPECT_LT(length, std::string("common-prefix-0000-tail").size());
    m.db->Pages().ReleasePage(r);
    for (const std::string& k : keys)
        ASSERT_TRUE(idx->Contains(Text(k))) << k;
    m.db->ReleaseIndex(idx);
}

TEST_F(TreeFixture, SearchesFindEveryKeyAndEveryGapAcrossTheKeyDirectory) {
    // Keys of different lengths, so that the search halves over the slot
    // table's groups of four and walks within one: each count puts the
    // last group's edge somewhere else. Keys sit at even numbers; the odd
    // numbers between them are the gaps.
    const struct {
        uint32_t count;
        bool oneLeaf;
    } cases[] = {{1, true},  {2, true},  {3, true},  {4, true},    {5, true},    {7, true},
                 {8, true},  {9, true},  {12, true}, {13, true},   {31, true},   {32, true},
                 {33, true}, {45, true}, {46, true}, {700, false}, {2001, false}};
    auto name = [](uint32_t n) {
        char head[16];
        std::snprintf(head, sizeof head, "k%05u", n);
        return std::string(head) + std::string((n * 37) % 97, static_cast<char>('a' + n % 26));
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        const std::string indexName = "Directory" + std::to_string(c.count);
        CBTreeIndex* idx = m.db->OpenKeySet(indexName.c_str(), 0, false, true);
        ASSERT_NE(idx, nullptr);
        for (uint32_t i = 0; i < c.count; ++i) // an order that is neither sorted nor reversed
            ASSERT_TRUE(idx->InsertKeyValue(Text(name(2 * ((i * 1009) % c.count)))));
        ASSERT_EQ(idx->Spec().count, c.count);
        EXPECT_EQ(idx->Spec().leafCount == 1, c.oneLeaf);
        CBTreeCursor* cursor = idx->NewCursor(false);
        for (uint32_t n = 0; n <= 2 * c.count; ++n) {
            const std::string key = name(n);
            const bool present = n % 2 == 0 && n < 2 * c.count;
            EXPECT_EQ(idx->Contains(Text(key)), present) << key;
            EXPECT_EQ(cursor->Seek(Text(key)), present) << key;
            if (!c.oneLeaf)
                continue;
            // In one leaf a seek rests on the first key at or after the
            // one sought, or on the last key past the end.
            const uint32_t at = std::min(n + n % 2, 2 * c.count - 2);
            EXPECT_EQ(KeyAt(cursor), name(at)) << key;
        }
        idx->ReleaseCursor(cursor);
        m.db->ReleaseIndex(idx);
    }
}

} // namespace
