// What a flush writes, counted over real files: every page a change left
// different is written once, and nothing that is already in the file is
// written again (no page whose bytes did not change, no header that names
// what the file already says, no journal when nothing is overwritten).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "db_test_util.h"
#include "imaging/win32_file.h"

namespace {

constexpr uint32_t kPs = 8192;

// Everything written to one file between two calls of Start.
struct WriteLog {
    std::map<uint64_t, uint32_t> timesByOffset; // write start -> count
    uint64_t bytes = 0;
    uint32_t syncs = 0;
    uint32_t overwritten = 0; // writes over bytes the file already held
    uint32_t unchanged = 0;   // of them, writes of the very bytes held
    void Start() { *this = WriteLog(); }
};

// The platform's own file, with every write and sync counted, and each
// write compared with what the file held where it lands.
class CountingFile : public CWin32File {
public:
    explicit CountingFile(WriteLog* log) : m_log(log) {}
    int64_t Write(const void* buffer, uint32_t count) override {
        const int64_t at = Seek(0, 1);
        Note(static_cast<uint64_t>(at), buffer, count);
        return CWin32File::Write(buffer, count);
    }
    int64_t WriteAt(uint64_t offset, const void* buffer, uint32_t count) override {
        Note(offset, buffer, count);
        return CWin32File::WriteAt(offset, buffer, count);
    }
    bool WriteGatherAt(uint64_t offset, const void* const* pieces, uint32_t pieceBytes,
                       uint32_t count) override {
        // A run counts as one write per page, each at its own offset.
        for (uint32_t i = 0; i < count; ++i)
            Note(offset + static_cast<uint64_t>(i) * pieceBytes, pieces[i], pieceBytes);
        return CWin32File::WriteGatherAt(offset, pieces, pieceBytes, count);
    }
    bool Flush() override {
        ++m_log->syncs;
        return CWin32File::Flush();
    }

private:
    void Note(uint64_t offset, const void* buffer, uint32_t count) {
        ++m_log->timesByOffset[offset];
        m_log->bytes += count;
        const int64_t at = Seek(0, 1);
        std::vector<uint8_t> held(count);
        if (count > 0 && CWin32File::ReadAt(offset, held.data(), count) == count) {
            ++m_log->overwritten;
            m_log->unchanged += std::memcmp(held.data(), buffer, count) == 0;
        }
        Seek(at, 0);
    }

    WriteLog* m_log;
};

std::string Key(uint32_t n) {
    return "#" + std::to_string(100 + n % 23) + "#photo" + std::to_string(n * 7919u) + ".jpg";
}

std::string Value(uint32_t n, uint32_t length) {
    std::string v(length, '\0');
    for (uint32_t i = 0; i < length; ++i)
        v[i] = static_cast<char>('A' + (n * 13 + i * 5) % 26);
    return v;
}

struct FlushFixture {
    std::string path;
    WriteLog file, journal;
    CIndexDatabase db;
    CBTreeIndex* props = nullptr;
    CBTreeIndex* thumbs = nullptr;

    bool Open(const std::string& folder) {
        path = folder + "/flush.tdb";
        const std::string journalPath = CPageFile::JournalPath(path.c_str());
        db.SetFileFactory([this, journalPath](const std::string& p) {
            return std::unique_ptr<CWin32File>(
                new CountingFile(p == journalPath ? &journal : &file));
        });
        if (!db.Open(path.c_str(), kDbCreate))
            return false;
        props = db.OpenIndex("Props", 0, false, 0, false, true);
        thumbs = db.OpenIndex("Thumbs", 0, false, 0, true, true);
        return props && thumbs;
    }
    bool Put(CBTreeIndex* index, uint32_t n, uint32_t length) {
        const std::string k = Key(n), v = Value(n, length);
        return index->Put(Text(k), Text(v));
    }
};

struct FlushCase {
    const char* what;
    // The change made before the flush that is counted.
    std::function<bool(FlushFixture&)> change;
    // At most this many pages written (header page included), -1: any.
    int maxPages;
};

const FlushCase kCases[] = {
    {"a flush with nothing changed writes nothing and keeps no journal",
     [](FlushFixture&) { return true; }, 0},
    {"putting values that are already stored writes nothing",
     [](FlushFixture& f) {
         for (uint32_t n = 0; n < 400; n += 9)
             if (!f.Put(f.props, n, 10 + n % 150))
                 return false;
         return true;
     },
     0},
    {"replacing one small value writes its leaf and nothing else",
     [](FlushFixture& f) { return f.Put(f.props, 77, 40); }, 1},
    {"erasing one small value writes its leaf and the index's description (its count)",
     [](FlushFixture& f) { return f.props->EraseKey(Text(Key(78))); }, 2},
    {"a batch of inserts into a large tree writes each changed page once",
     [](FlushFixture& f) {
         for (uint32_t n = 400; n < 1400; ++n)
             if (!f.Put(f.props, n, 10 + n % 150))
                 return false;
         return true;
     },
     -1},
    {"replacing thumbnails writes their new records and the pages that lost the old ones",
     [](FlushFixture& f) {
         for (uint32_t n = 0; n < 6; ++n)
             if (!f.Put(f.thumbs, n, 9000 + n * 311))
                 return false;
         return true;
     },
     -1},
    {"erasing thumbnails writes the tree and the freed pages' index only",
     [](FlushFixture& f) {
         for (uint32_t n = 10; n < 20; ++n)
             if (!f.thumbs->EraseKey(Text(Key(n))))
                 return false;
         return true;
     },
     -1},
};

TEST(FlushWrites, EachChangedPageIsWrittenOnceAndNothingUnchangedIsWritten) {
    const std::string folder = ScratchFolder("flush-writes");
    ASSERT_FALSE(folder.empty());
    for (const FlushCase& c : kCases) {
        SCOPED_TRACE(c.what);
        FlushFixture f;
        ASSERT_TRUE(f.Open(folder));
        for (uint32_t n = 0; n < 400; ++n)
            ASSERT_TRUE(f.Put(f.props, n, 10 + n % 150));
        for (uint32_t n = 0; n < 30; ++n)
            ASSERT_TRUE(f.Put(f.thumbs, n, 4096 + n * 523 % 20000));
        ASSERT_TRUE(f.db.Flush());
        // A second flush settles what the first one left to do (the free
        // pages it took for its own changes are recorded by then).
        ASSERT_TRUE(f.db.Flush());
        f.file.Start();
        f.journal.Start();
        ASSERT_TRUE(c.change(f));
        ASSERT_TRUE(f.db.Flush());

        uint32_t pages = 0;
        for (const auto& w : f.file.timesByOffset) {
            EXPECT_EQ(w.second, 1u) << "offset " << w.first << " written " << w.second << " times";
            ++pages;
        }
        // A page (or header) inside the file is written only when it differs.
        EXPECT_EQ(f.file.unchanged, 0u);
        if (c.maxPages >= 0) {
            EXPECT_LE(pages, static_cast<uint32_t>(c.maxPages));
        }
        if (pages == 0) {
            EXPECT_EQ(f.file.syncs, 0u);
            EXPECT_EQ(f.journal.bytes, 0u);
        }
        // The journal holds one original per page overwritten inside the old
        // file, never more: its header, those records, and the cleared header
        // of the commit point.
        if (f.journal.bytes > 0) {
            EXPECT_LE(f.journal.bytes, 32 + uint64_t{f.file.overwritten} * (8 + kPs) + 32);
        }
        EXPECT_TRUE(f.db.Close());
    }
}

} // namespace
