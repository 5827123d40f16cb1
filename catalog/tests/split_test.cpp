// Splits and moves of every shape, checked against a model after every
// insertion: a full leaf taking its new entry in the first, the last or a
// middle slot, a full leaf handing entries to its left or right sibling, a
// value that grows out of its leaf, a full parent that splits below the root
// and beside it, and the root splitting at the leaf and at the inner level.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "catalog/db_checker.h"
#include "db_test_util.h"

namespace {

enum class Order {
    Ascending,  // every split puts the new entry in the last slot
    Descending, // ... in the first slot
    Middle,     // even keys first, then the odd ones between them
    Scattered,  // neither sorted nor reversed
};

struct SplitCase {
    const char* name;
    Order order;
    uint32_t fixedKey; // 0: keys of keyBytes with a length byte
    bool keysOut;
    bool longSeparators; // keys share all but their last 8 bytes
    uint32_t keyBytes;
    uint32_t valueBytes;
    uint32_t grownBytes; // when not 0, every value is then put again this long
    uint32_t keys;
    uint8_t minHeight;
    uint32_t minInnerSplits; // inner nodes split, new roots included
    uint32_t minFillPercent; // of the leaves' entry space, at the end
};

const SplitCase kCases[] = {
    {"a full root leaf takes its new key in the last slot and becomes a tree", Order::Ascending, 0,
     false, false, 24, 100, 0, 400, 1, 0, 0},
    {"a full last leaf hands its first entries to its left sibling", Order::Ascending, 0, false,
     false, 24, 100, 0, 3000, 1, 0, 85},
    {"a full first leaf hands its last entries to its right sibling", Order::Descending, 0, false,
     false, 24, 100, 0, 3000, 1, 0, 85},
    {"a full leaf takes its new key in a middle slot", Order::Middle, 0, false, false, 24, 100, 0,
     400, 1, 0, 0},
    {"scattered insertions fill leaves by moving entries both ways", Order::Scattered, 0, false,
     false, 24, 100, 0, 3000, 1, 0, 80},
    {"a value that grows out of its leaf splits it", Order::Scattered, 0, false, false, 24, 10, 200,
     400, 1, 0, 0},
    {"a full parent splits below the root, after the root split", Order::Ascending, 0, false, true,
     200, 8, 0, 2500, 2, 2, 0},
    {"a full parent takes its separator in a middle slot", Order::Scattered, 0, false, true, 200, 8,
     0, 4000, 2, 2, 80},
    {"separators of keys out of line are records of their own", Order::Middle, 0, true, false, 40,
     100, 0, 600, 1, 0, 0},
    {"moved entries replace out-of-line separator records", Order::Scattered, 0, true, false, 40,
     100, 0, 3000, 1, 0, 80},
    {"fixed-length keys are cut to prefixes in inner nodes", Order::Descending, 250, false, true,
     250, 0, 0, 1500, 2, 1, 0},
};

std::string KeyOf(const SplitCase& c, uint32_t i) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08u", i);
    if (c.longSeparators)
        return std::string(c.keyBytes - 8, 'p') + digits;
    return digits + std::string(c.keyBytes - 8, 'x');
}

std::string ValueOf(uint32_t i, uint32_t bytes) {
    std::string v(bytes, 'a');
    for (uint32_t k = 0; k < bytes; ++k)
        v[k] = static_cast<char>('a' + (i + k) % 26);
    return v;
}

std::vector<uint32_t> InsertOrder(Order order, uint32_t n) {
    std::vector<uint32_t> out;
    for (uint32_t i = 0; i < n; ++i) {
        switch (order) {
        case Order::Ascending:
            out.push_back(i);
            break;
        case Order::Descending:
            out.push_back(n - 1 - i);
            break;
        case Order::Middle:
            out.push_back(i < (n + 1) / 2 ? 2 * i : 2 * (i - (n + 1) / 2) + 1);
            break;
        case Order::Scattered:
            out.push_back(static_cast<uint32_t>((static_cast<uint64_t>(i) * 7919) % n));
            break;
        }
    }
    return out;
}

// The index holds exactly the model, in order, with the same values.
void ExpectModel(CBTreeIndex* idx, const std::map<std::string, std::string>& model) {
    CBTreeCursor* c = idx->NewCursor(false);
    ASSERT_NE(c, nullptr);
    auto it = model.begin();
    uint8_t key[512], value[512];
    for (bool ok = c->First(); ok; ok = c->Next(), ++it) {
        ASSERT_NE(it, model.end()) << "an entry the model does not have";
        DbBuffer k = DbBuffer::Out(key, sizeof key), v = DbBuffer::Out(value, sizeof value);
        ASSERT_TRUE(c->GetKeyValue(&k, &v));
        ASSERT_EQ(std::string(reinterpret_cast<char*>(key), k.length), it->first);
        ASSERT_EQ(std::string(reinterpret_cast<char*>(value), v.length), it->second) << it->first;
    }
    EXPECT_EQ(it, model.end()) << "an entry missing from the index: " << it->first;
    EXPECT_EQ(idx->Spec().count, model.size());
    idx->ReleaseCursor(c);
}

// The entries around key agree with the model: every leaf a change can
// touch (the leaf, its siblings, a new leaf) lies within span entries.
void ExpectModelNear(CBTreeIndex* idx, const std::map<std::string, std::string>& model,
                     const std::string& key, uint32_t span = 300) {
    CBTreeCursor* c = idx->NewCursor(false);
    ASSERT_NE(c, nullptr);
    ASSERT_TRUE(c->Seek(Text(key))) << key;
    auto it = model.find(key);
    ASSERT_NE(it, model.end());
    for (uint32_t i = 0; i < span && it != model.begin(); ++i, --it)
        ASSERT_TRUE(c->Prev()) << "fewer entries before " << key << " than the model has";
    if (it == model.begin()) {
        EXPECT_FALSE(c->Prev() && c->Next()) << "an entry before the model's first";
    }
    uint8_t k[512], v[512];
    for (uint32_t i = 0; i < 2 * span && it != model.end(); ++i, ++it) {
        DbBuffer kb = DbBuffer::Out(k, sizeof k), vb = DbBuffer::Out(v, sizeof v);
        ASSERT_TRUE(c->OnEntry()) << "the index ends before " << it->first;
        ASSERT_TRUE(c->GetKeyValue(&kb, &vb));
        ASSERT_EQ(std::string(reinterpret_cast<char*>(k), kb.length), it->first);
        ASSERT_EQ(std::string(reinterpret_cast<char*>(v), vb.length), it->second) << it->first;
        if (!c->Next()) {
            EXPECT_EQ(std::next(it), model.end()) << "the index ends after " << it->first;
        }
    }
    idx->ReleaseCursor(c);
}

// Bytes of entries over the entry space of every leaf, in percent.
uint32_t LeafFillPercent(CIndexDatabase& db, CBTreeIndex* idx) {
    const NodeFormat f = idx->Format();
    uint64_t used = 0, space = 0;
    for (uint32_t id = idx->Spec().firstLeaf; id != kDbNoPage;) {
        PageRecord* r = db.Pages().GetPage(id);
        if (!r)
            return 0;
        CNode leaf(r->data, f, true);
        uint32_t end = kLeafHeader;
        EXPECT_TRUE(leaf.EntryEnd(&end));
        used += end - kLeafHeader + leaf.SlotBytes(leaf.Count());
        space += f.pageSize - kLeafHeader;
        id = leaf.Next();
        db.Pages().ReleasePage(r);
    }
    return space ? static_cast<uint32_t>(100 * used / space) : 0;
}

void ExpectClean(CIndexDatabase& db) {
    DbCheckResult r = CheckDatabase(db);
    std::string all;
    for (const std::string& p : r.problems)
        all += p + "\n";
    EXPECT_TRUE(r.Ok()) << r.Summary() << "\n" << all;
}

TEST(TreeSplits, EverySplitShapeKeepsWhatAModelHolds) {
    for (const SplitCase& c : kCases) {
        SCOPED_TRACE(c.name);
        MemoryDb m;
        ASSERT_TRUE(m.Open(kDbCreate));
        CBTreeIndex* idx = c.valueBytes == 0 && c.grownBytes == 0
                               ? m.db->OpenKeySet("Splits", c.fixedKey, c.keysOut, true)
                               : m.db->OpenIndex("Splits", c.fixedKey, c.keysOut, 0, false, true);
        ASSERT_NE(idx, nullptr);
        std::map<std::string, std::string> model;
        uint32_t splits = 0, puts = 0;
        auto put = [&](uint32_t i, uint32_t bytes) {
            const std::string key = KeyOf(c, i), value = ValueOf(i, bytes);
            const uint32_t leaves = idx->Spec().leafCount;
            ASSERT_TRUE(idx->Put(Text(key), Text(value))) << key;
            model[key] = value;
            // Entries move between leaves without a split, so every
            // insertion is checked where it can have changed something, and
            // the whole index now and then.
            ExpectModelNear(idx, model, key);
            if (++puts % 64 == 0)
                ExpectModel(idx, model);
            if (idx->Spec().leafCount != leaves && ++splits % 16 == 0)
                ExpectClean(*m.db);
        };
        for (uint32_t i : InsertOrder(c.order, c.keys)) {
            put(i, c.valueBytes);
            if (::testing::Test::HasFatalFailure())
                return;
        }
        const uint32_t splitsBeforeGrowth = splits;
        if (c.grownBytes) {
            for (uint32_t i : InsertOrder(c.order, c.keys)) {
                put(i, c.grownBytes);
                if (::testing::Test::HasFatalFailure())
                    return;
            }
            EXPECT_GT(splits, splitsBeforeGrowth) << "no value grew out of its leaf";
        }
        const IndexSpec& s = idx->Spec();
        EXPECT_GT(splits, 0u);
        EXPECT_GE(s.height, c.minHeight);
        EXPECT_GE(s.innerCount - s.height, c.minInnerSplits)
            << "inner nodes " << s.innerCount << ", height " << int(s.height);
        const uint32_t fill = LeafFillPercent(*m.db, idx);
        EXPECT_GE(fill, c.minFillPercent) << s.leafCount << " leaves";
        ExpectClean(*m.db);
        for (const auto& [key, value] : model) {
            std::string got;
            ASSERT_TRUE(GetText(idx, key, &got)) << key;
            ASSERT_EQ(got, value) << key;
        }
        m.db->ReleaseIndex(idx);
        ASSERT_TRUE(m.db->Close());

        // What the splits wrote is what the file holds.
        m.Reset();
        ASSERT_TRUE(m.Open(kDbOpenExisting));
        idx = m.db->FindIndex("Splits");
        if (!idx)
            idx = c.valueBytes == 0 && c.grownBytes == 0
                      ? m.db->OpenKeySet("Splits", c.fixedKey, c.keysOut, false)
                      : m.db->OpenIndex("Splits", c.fixedKey, c.keysOut, 0, false, false);
        ASSERT_NE(idx, nullptr);
        ExpectModel(idx, model);
        EXPECT_EQ(LeafFillPercent(*m.db, idx), fill);
        ExpectClean(*m.db);
        m.db->ReleaseIndex(idx);
        EXPECT_TRUE(m.db->Close());
    }
}

} // namespace
