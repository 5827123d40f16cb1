// A kill at every point of a commit: each write, resize and sync that a
// flush, an index creation or a close makes, of the database file and of its
// journal, is in turn the last thing that happens (the process "dies" there:
// nothing after it reaches either file, and a write may be torn half way).
// The files left behind must open, pass the checker and hold exactly the
// records of the last completed commit, or of the one that was under way
// when its commit point had been passed.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "catalog/db_checker.h"
#include "db_test_util.h"

namespace {

using Table = std::map<std::string, std::string>;
// Index name -> its entries; an index that does not exist is absent.
using Content = std::map<std::string, Table>;

constexpr const char* kProps = "Props";
constexpr const char* kThumbs = "Thumbs";
constexpr const char* kAdded = "Added";

std::string Key(uint32_t n) {
    return "#" + std::to_string(1000 + n % 37) + "#picture" + std::to_string(n * 7919u) + ".jpg";
}

std::string Value(uint32_t n, uint32_t length) {
    std::string v(length, '\0');
    for (uint32_t i = 0; i < length; ++i)
        v[i] = static_cast<char>('a' + (n * 31 + i * 7) % 26);
    return v;
}

CBTreeIndex* OpenNamed(CIndexDatabase& db, const char* name, bool create) {
    CBTreeIndex* index = db.FindIndex(name);
    if (!index)
        index = db.OpenIndex(name, 0, false, 0, true, create);
    if (index && create)
        index->SetKeyType(kKeyTypeBytes);
    return index;
}

bool ReadContent(CIndexDatabase& db, Content* out) {
    out->clear();
    for (const char* name : {kProps, kThumbs, kAdded}) {
        CBTreeIndex* index = OpenNamed(db, name, false);
        if (!index)
            continue;
        Table& table = (*out)[name];
        CBTreeCursor* c = index->NewCursor(false);
        for (bool more = c->First(); more; more = c->Next()) {
            uint8_t key[256];
            DbBuffer k = DbBuffer::Out(key, sizeof key), v;
            v.capacity = kDbAllocate; // values are stored out of line
            if (!c->GetKeyValue(&k, &v) || k.length > sizeof key) {
                index->ReleaseCursor(c);
                return false;
            }
            table[std::string(reinterpret_cast<const char*>(key), k.length)] =
                std::string(reinterpret_cast<const char*>(v.data), v.length);
            DbBufferFree(v);
        }
        index->ReleaseCursor(c);
    }
    return true;
}

// Applies the same change to the database and to the model; false when the
// database refused it (a kill has happened).
struct Writer {
    CIndexDatabase& db;
    Content& model;
    bool Put(const char* name, uint32_t n, uint32_t length) {
        CBTreeIndex* index = OpenNamed(db, name, true);
        const std::string k = Key(n), v = Value(n, length);
        if (!index || !index->Put(Text(k), Text(v)))
            return false;
        model[name][k] = v;
        return true;
    }
    bool Erase(const char* name, uint32_t n) {
        CBTreeIndex* index = OpenNamed(db, name, false);
        const std::string k = Key(n);
        if (!index || !index->EraseKey(Text(k)))
            return false;
        model[name].erase(k);
        return true;
    }
};

// What the committed file holds before the scenario: a few hundred
// properties records (inline and out of line), thumbnails, and free pages.
void Prepare(Writer& w) {
    for (uint32_t n = 0; n < 150; ++n)
        ASSERT_TRUE(w.Put(kProps, n, 20 + n * 13 % 2900));
    for (uint32_t n = 0; n < 12; ++n)
        ASSERT_TRUE(w.Put(kThumbs, n, 4096 + n * 523 % 20000));
    for (uint32_t n = 0; n < 150; n += 3)
        ASSERT_TRUE(w.Erase(kProps, n));
    ASSERT_TRUE(w.db.Flush());
}

struct Scenario {
    const char* what;
    // Makes the change; returns false as soon as the database refuses.
    bool (*run)(Writer& w);
};

const Scenario kScenarios[] = {
    {"a flush of puts, replacements and erases",
     [](Writer& w) {
         for (uint32_t n = 150; n < 200; ++n)
             if (!w.Put(kProps, n, 30 + n * 17 % 2500))
                 return false;
         for (uint32_t n = 1; n < 140; n += 6)
             if (!w.Put(kProps, n, 100 + n % 300) || !w.Erase(kProps, n + 1))
                 return false;
         for (uint32_t n = 12; n < 15; ++n)
             if (!w.Put(kThumbs, n, 8000 + n * 97))
                 return false;
         return w.db.Flush();
     }},
    {"erasing a few records, which leaves the header as it is",
     [](Writer& w) {
         for (uint32_t n = 4; n < 140; n += 18)
             if (!w.Erase(kProps, n))
                 return false;
         return w.db.Flush();
     }},
    {"creating an index and filling it",
     [](Writer& w) {
         for (uint32_t n = 0; n < 30; ++n)
             if (!w.Put(kAdded, n, 50 + n * 41 % 3000))
                 return false;
         return w.db.Flush();
     }},
    {"a close that compacts and cuts the file after a mass erase",
     [](Writer& w) {
         for (uint32_t n = 0; n < 150; ++n)
             if (n % 3 != 0 && n % 10 != 1 && !w.Erase(kProps, n))
                 return false;
         for (uint32_t n = 0; n < 12; n += 2)
             if (!w.Erase(kThumbs, n))
                 return false;
         for (CBTreeIndex* index : std::vector<CBTreeIndex*>(w.db.OpenIndexes()))
             w.db.ReleaseIndex(index);
         return w.db.Close();
     }},
};

// The sequence of writes, resizes and syncs of both files, with a kill at
// one of them: the call numbered killAt does nothing (or, torn, half of a
// write), and every call after it fails, reads included.
struct KillSwitch {
    uint32_t calls = 0;
    uint32_t killAt = UINT32_MAX;
    bool tear = false;
    bool dead = false;
    bool armed = false;
    int64_t Decide(CMemoryFile::EOp op, uint32_t count) {
        if (dead)
            return -1;
        if (!armed || op == CMemoryFile::kOpRead)
            return count;
        if (calls++ != killAt)
            return count;
        dead = true;
        return tear && op == CMemoryFile::kOpWrite && count > 1 ? count / 2 : -1;
    }
};

std::string Describe(const Content& c) {
    std::string s;
    for (const auto& t : c)
        s += t.first + ":" + std::to_string(t.second.size()) + " ";
    return s;
}

TEST(KillPoints, EveryWriteResizeAndSyncOfACommitLeavesTheLastCommitOrTheNext) {
    uint32_t swept = 0, sawBefore = 0, sawAfter = 0;
    for (const Scenario& scenario : kScenarios) {
        for (bool tear : {false, true}) {
            // killAt = UINT32_MAX: the run without a kill, which counts the calls.
            uint32_t calls = 0;
            for (uint32_t killAt = UINT32_MAX; killAt == UINT32_MAX || killAt < calls;
                 killAt = killAt == UINT32_MAX ? 0 : killAt + 1) {
                SCOPED_TRACE(std::string(scenario.what) + (tear ? ", torn" : ", failed") +
                             " at call " + std::to_string(killAt));
                MemoryDb m;
                Content before;
                {
                    Writer w{*m.db, before};
                    ASSERT_TRUE(m.Open(kDbCreate));
                    Prepare(w);
                    if (HasFatalFailure())
                        return;
                    for (CBTreeIndex* index : std::vector<CBTreeIndex*>(m.db->OpenIndexes()))
                        m.db->ReleaseIndex(index);
                    ASSERT_TRUE(m.db->Close());
                }
                auto kill = std::make_shared<KillSwitch>();
                kill->killAt = killAt;
                kill->tear = tear;
                m.hook = [kill](CMemoryFile::EOp op, uint64_t, uint32_t count) {
                    return kill->Decide(op, count);
                };
                m.Reset();
                ASSERT_TRUE(m.Open(kDbOpenExisting));
                kill->armed = true; // the scenario's calls are counted from here
                Content after = before;
                Writer w{*m.db, after};
                const bool completed = scenario.run(w) && !kill->dead;
                if (killAt == UINT32_MAX) {
                    ASSERT_TRUE(completed) << "the scenario fails without a kill";
                    calls = kill->calls;
                    std::printf("%s: %u calls\n", scenario.what, calls);
                }
                m.Reset(); // the dead process's objects go; nothing more reaches the files
                m.hook = nullptr;
                m.Reset();

                ASSERT_TRUE(m.Open(kDbOpenExisting));
                DbCheckResult check = CheckDatabase(*m.db);
                ASSERT_TRUE(check.Ok()) << check.Summary() << "\n"
                                        << (check.problems.empty() ? "" : check.problems[0]);
                Content found;
                ASSERT_TRUE(ReadContent(*m.db, &found));
                // Indexes are saved by name only once they hold something.
                for (Content* c : {&before, &after})
                    for (auto it = c->begin(); it != c->end();)
                        it = it->second.empty() ? c->erase(it) : std::next(it);
                for (auto it = found.begin(); it != found.end();)
                    it = it->second.empty() ? found.erase(it) : std::next(it);
                if (completed) {
                    EXPECT_EQ(found, after) << Describe(found) << "| " << Describe(after);
                } else {
                    EXPECT_TRUE(found == before || found == after)
                        << Describe(found) << "| " << Describe(before) << "| " << Describe(after);
                }
                sawBefore += !completed && found == before;
                sawAfter += !completed && found == after;
                m.db->Close();
                swept += killAt != UINT32_MAX;
                if (HasFailure())
                    return;
            }
        }
    }
    std::printf("kill points: %u swept, %u left the last commit, %u the next\n", swept, sawBefore,
                sawAfter);
    // Both outcomes occur: kills before the commit point and after it.
    EXPECT_GT(sawBefore, 0u);
    EXPECT_GT(sawAfter, 0u);
}

} // namespace

namespace {

TEST(CommitJournal, ChangedPagesAreJournaledFromTheImagesKeptInMemory) {
    MemoryDb m;
    ASSERT_TRUE(m.Open(kDbCreate));
    Content model;
    Writer w{*m.db, model};
    Prepare(w);
    if (HasFatalFailure())
        return;
    // Replacements and erases change pages the last commit wrote; none of
    // their originals needs reading back from the file.
    for (uint32_t n = 1; n < 150; n += 5)
        ASSERT_TRUE(w.Put(kProps, n, 40 + n % 200));
    for (uint32_t n = 2; n < 150; n += 7)
        w.Erase(kProps, n);
    ASSERT_TRUE(m.db->Flush());
    EXPECT_EQ(m.db->Pages().OriginalsReadBack(), 0u);
    Content found;
    ASSERT_TRUE(ReadContent(*m.db, &found));
    EXPECT_EQ(found, model);
}

} // namespace
