// Differential test: random operations on an index and on a std::map side by
// side, for every shape an index can have, with flushes, closes and reopens at
// random points and the consistency checker after every reopen.
//
// The default run takes a few seconds. VXP_DB_MODEL_OPS sets the operations
// per configuration (e.g. 100000 for a run of over a million operations) and
// VXP_DB_MODEL_SEED the random seed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <string>

#include "catalog/db_checker.h"
#include "db_test_util.h"

namespace {

struct Config {
    const char* name;
    uint32_t fixedKey;
    bool keysOut;
    bool keysOnly;
    uint32_t fixedValue;
    bool valuesOut;
    uint8_t keyType;
    uint32_t maxKey;   // longest random key
    uint32_t maxValue; // longest random value
};

const Config kConfigs[] = {
    {"inline keys, inline values", 0, false, false, 0, false, kKeyTypeBytes, 255, 255},
    {"inline keys, out-of-line values", 0, false, false, 0, true, kKeyTypeBytes, 120, 12000},
    {"fixed keys, fixed values", 12, false, false, 24, false, kKeyTypeBytes, 12, 24},
    {"out-of-line keys and values", 0, true, false, 0, true, kKeyTypeBytes, 6000, 3000},
    {"fixed out-of-line keys, inline values", 16, true, false, 0, false, kKeyTypeBytes, 16, 200},
    {"fixed keys, fixed out-of-line values", 8, false, false, 700, true, kKeyTypeBytes, 8, 700},
    {"keys only, inline", 0, false, true, 0, false, kKeyTypeBytes, 255, 0},
    {"keys only, fixed inline", 8, false, true, 0, false, kKeyTypeBytes, 8, 0},
    {"keys only, out of line", 0, true, true, 0, false, kKeyTypeBytes, 9000, 0},
    {"keys only, fixed out of line", 16, true, true, 0, false, kKeyTypeBytes, 16, 0},
    {"signed integer keys", 4, false, false, 0, true, kKeyTypeSigned, 4, 300},
    {"unsigned integer keys only", 4, false, true, 0, false, kKeyTypeUnsigned, 4, 0},
};

uint32_t EnvNumber(const char* name, uint32_t fallback) {
    const char* v = std::getenv(name);
    return v && *v ? static_cast<uint32_t>(std::strtoul(v, nullptr, 10)) : fallback;
}

struct KeyOrder {
    DbCompareFn compare;
    bool operator()(const std::string& a, const std::string& b) const {
        return compare(reinterpret_cast<const uint8_t*>(a.data()), static_cast<uint32_t>(a.size()),
                       reinterpret_cast<const uint8_t*>(b.data()),
                       static_cast<uint32_t>(b.size())) < 0;
    }
};

class ModelRun {
public:
    ModelRun(const Config& c, uint32_t seed)
        : m_cfg(c), m_rng(seed),
          m_model(KeyOrder{c.keyType == kKeyTypeSigned     ? DbCompareSigned
                           : c.keyType == kKeyTypeUnsigned ? DbCompareUnsigned
                                                           : DbCompareBytes}) {}

    void Run(uint32_t ops) {
        ASSERT_TRUE(m_db.Open(kDbCreate));
        OpenIndex();
        for (uint32_t i = 0; i < ops && !::testing::Test::HasFatalFailure(); ++i) {
            m_step = i;
            uint32_t dice = Rand(1000);
            if (dice < 380)
                DoPut();
            else if (dice < 520)
                DoGet();
            else if (dice < 720)
                DoErase();
            else if (dice < 770)
                DoUpdate();
            else if (dice < 900)
                DoWalk();
            else if (dice < 960)
                DoCursorErase();
            else if (dice < 990)
                ASSERT_TRUE(m_db.db->Flush(Rand(2) == 0)) << Where();
            else
                Reopen();
            if (i % 997 == 0)
                Check();
        }
        Reopen();
        m_db.db->ReleaseIndex(m_index);
        ASSERT_TRUE(m_db.db->Close());
    }

private:
    uint32_t Rand(uint32_t n) { return static_cast<uint32_t>(m_rng() % n); }

    std::string Where() const {
        return std::string(m_cfg.name) + " at step " + std::to_string(m_step);
    }

    void OpenIndex() {
        m_index = m_cfg.keysOnly ? m_db.db->OpenKeySet("Model", m_cfg.fixedKey, m_cfg.keysOut, true)
                                 : m_db.db->OpenIndex("Model", m_cfg.fixedKey, m_cfg.keysOut,
                                                      m_cfg.fixedValue, m_cfg.valuesOut, true);
        ASSERT_NE(m_index, nullptr) << Where();
        ASSERT_TRUE(m_index->SetKeyType(m_cfg.keyType)) << Where();
    }

    void Check() {
        DbCheckResult r = CheckDatabase(*m_db.db);
        ASSERT_TRUE(r.Ok()) << Where() << ": " << r.Summary() << "\n" << r.problems[0];
        ASSERT_EQ(m_index->Spec().count, m_model.size()) << Where();
    }

    void Reopen() {
        // Either release the index first or leave it to Close.
        if (Rand(2) == 0)
            m_db.db->ReleaseIndex(m_index);
        ASSERT_TRUE(m_db.db->Close()) << Where();
        ASSERT_TRUE(m_db.Open(kDbOpenExisting)) << Where();
        OpenIndex();
        Check();
    }

    std::string RandomKey() {
        if (!m_model.empty() && Rand(3) == 0) {
            auto it = m_model.begin();
            std::advance(it, Rand(static_cast<uint32_t>(std::min<size_t>(m_model.size(), 64))));
            return it->first;
        }
        uint32_t n = m_cfg.fixedKey;
        if (n == 0) {
            uint32_t r = Rand(100);
            n = r < 70   ? 1 + Rand(std::min<uint32_t>(12, m_cfg.maxKey))
                : r < 95 ? 1 + Rand(std::min<uint32_t>(260, m_cfg.maxKey))
                         : 1 + Rand(m_cfg.maxKey);
        }
        std::string k(n, 'a');
        for (char& c : k)
            c = static_cast<char>(m_cfg.keyType == kKeyTypeBytes ? 'a' + Rand(4) : Rand(256));
        return k;
    }

    std::string RandomValue() {
        if (m_cfg.keysOnly)
            return std::string();
        uint32_t n = m_cfg.fixedValue;
        if (n == 0)
            n = Rand(10) < 8 ? Rand(std::min<uint32_t>(40, m_cfg.maxValue) + 1)
                             : Rand(m_cfg.maxValue + 1);
        std::string v(n, 'v');
        for (char& c : v)
            c = static_cast<char>(Rand(256));
        return v;
    }

    std::string ReadValue(CBTreeCursor* c) {
        DbBuffer out;
        uint8_t small[300];
        if (m_cfg.valuesOut)
            out.capacity = kDbAllocate;
        else
            out = DbBuffer::Out(small, sizeof small);
        bool ok = c ? c->GetValue(&out) : false;
        EXPECT_TRUE(ok) << Where();
        std::string v;
        const uint8_t* data = m_cfg.valuesOut ? out.data : small;
        if (ok && out.length)
            v.assign(reinterpret_cast<const char*>(data), out.length);
        if (m_cfg.valuesOut)
            DbBufferFree(out);
        return v;
    }

    void DoPut() {
        std::string k = RandomKey(), v = RandomValue();
        bool fits = m_index->EntryFits(Text(k), Text(v));
        ASSERT_EQ(m_index->Put(Text(k), Text(v)), fits) << Where();
        if (fits)
            m_model[k] = v;
    }

    void DoGet() {
        std::string k = RandomKey();
        auto it = m_model.find(k);
        DbBuffer out;
        uint8_t small[300];
        if (m_cfg.valuesOut)
            out.capacity = kDbAllocate;
        else
            out = DbBuffer::Out(small, sizeof small);
        bool got = m_index->Get(Text(k), &out);
        ASSERT_EQ(got, it != m_model.end()) << Where();
        ASSERT_EQ(m_index->Contains(Text(k)), got) << Where();
        if (got && !m_cfg.keysOnly) {
            const uint8_t* data = m_cfg.valuesOut ? out.data : small;
            ASSERT_EQ(std::string(reinterpret_cast<const char*>(data), out.length), it->second)
                << Where();
        }
        if (m_cfg.valuesOut)
            DbBufferFree(out);
    }

    void DoErase() {
        std::string k = RandomKey();
        bool present = m_model.erase(k) > 0;
        ASSERT_EQ(m_index->Erase(Text(k), false), present) << Where();
    }

    void DoUpdate() {
        std::string k = RandomKey(), v = RandomValue();
        auto it = m_model.find(k);
        bool expect = it != m_model.end() && m_index->EntryFits(Text(k), Text(v));
        ASSERT_EQ(m_index->Update(Text(k), Text(v)), expect) << Where();
        if (expect)
            it->second = v;
    }

    std::string CursorKey(CBTreeCursor* c) {
        DbBuffer out;
        out.capacity = kDbAllocate;
        std::string k;
        if (m_cfg.keysOut) {
            EXPECT_TRUE(c->GetKey(&out)) << Where();
            k.assign(reinterpret_cast<const char*>(out.data), out.length);
            DbBufferFree(out);
        } else {
            uint8_t small[300];
            out = DbBuffer::Out(small, sizeof small);
            EXPECT_TRUE(c->GetKey(&out)) << Where();
            k.assign(reinterpret_cast<const char*>(small), out.length);
        }
        return k;
    }

    // Positions a cursor like the model and returns the model position.
    bool Position(CBTreeCursor* c, std::map<std::string, std::string, KeyOrder>::iterator* at) {
        uint32_t how = Rand(3);
        if (how == 0) {
            bool ok = c->First();
            EXPECT_EQ(ok, !m_model.empty()) << Where();
            *at = m_model.begin();
            return ok;
        }
        if (how == 1) {
            bool ok = c->Last();
            EXPECT_EQ(ok, !m_model.empty()) << Where();
            if (ok)
                *at = std::prev(m_model.end());
            return ok;
        }
        std::string k = RandomKey();
        bool found = c->Seek(Text(k));
        auto lb = m_model.lower_bound(k);
        EXPECT_EQ(found, lb != m_model.end() && !m_model.key_comp()(k, lb->first)) << Where();
        if (!c->OnEntry()) {
            EXPECT_TRUE(m_model.empty()) << Where();
            return false;
        }
        std::string got = CursorKey(c);
        // Not found: the insertion position, or the last entry of the leaf
        // when the position lies past it.
        if (lb != m_model.end() && got == lb->first) {
            *at = lb;
        } else {
            EXPECT_FALSE(found) << Where();
            EXPECT_TRUE(lb != m_model.begin()) << Where();
            if (lb == m_model.begin())
                return false;
            *at = std::prev(lb);
            EXPECT_EQ(got, (*at)->first) << Where();
        }
        return true;
    }

    void DoWalk() {
        CBTreeCursor* c = m_index->NewCursor(false);
        std::map<std::string, std::string, KeyOrder>::iterator at;
        if (Position(c, &at)) {
            bool forward = Rand(2) == 0;
            for (uint32_t steps = Rand(40); steps > 0; --steps) {
                ASSERT_EQ(CursorKey(c), at->first) << Where();
                if (!m_cfg.keysOnly && Rand(4) == 0) {
                    ASSERT_EQ(ReadValue(c), at->second) << Where();
                }
                if (forward) {
                    bool more = c->Next();
                    ++at;
                    ASSERT_EQ(more, at != m_model.end()) << Where();
                    if (!more)
                        break;
                } else {
                    bool more = c->Prev();
                    ASSERT_EQ(more, at != m_model.begin()) << Where();
                    if (!more)
                        break;
                    --at;
                }
            }
        }
        m_index->ReleaseCursor(c);
    }

    void DoCursorErase() {
        CBTreeCursor* c = m_index->NewCursor(true);
        std::map<std::string, std::string, KeyOrder>::iterator at;
        if (Position(c, &at)) {
            for (uint32_t n = Rand(5) + 1; n > 0 && c->OnEntry(); --n) {
                std::string k = CursorKey(c);
                ASSERT_TRUE(c->Erase()) << Where();
                ASSERT_EQ(m_model.erase(k), 1u) << Where();
                ASSERT_FALSE(m_index->Contains(Text(k))) << Where();
                if (!c->OnEntry()) {
                    ASSERT_TRUE(m_model.empty()) << Where();
                    break;
                }
                // On the successor, or on the predecessor when none follows.
                auto next = m_model.upper_bound(k);
                std::string want = next != m_model.end() ? next->first : m_model.rbegin()->first;
                ASSERT_EQ(CursorKey(c), want) << Where();
            }
        }
        m_index->ReleaseCursor(c);
    }

    const Config& m_cfg;
    std::mt19937 m_rng;
    MemoryDb m_db;
    CBTreeIndex* m_index = nullptr;
    std::map<std::string, std::string, KeyOrder> m_model;
    uint32_t m_step = 0;
};

class ModelTest : public ::testing::TestWithParam<Config> {};

TEST_P(ModelTest, MatchesStdMap) {
    const uint32_t ops = EnvNumber("VXP_DB_MODEL_OPS", 4000);
    const uint32_t seed = EnvNumber("VXP_DB_MODEL_SEED", 20240611);
    ModelRun run(GetParam(), seed);
    run.Run(ops);
}

INSTANTIATE_TEST_SUITE_P(AllShapes, ModelTest, ::testing::ValuesIn(kConfigs),
                         [](const ::testing::TestParamInfo<Config>& info) {
                             std::string n = info.param.name;
                             for (char& c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return n;
                         });

} // namespace
