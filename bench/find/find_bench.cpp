// Find by keyword over a catalogue of attribute records: the search thread's
// walk (a read-only cursor over "ImageProperties", each value parsed as an
// attributes record and its keywords matched piece by piece) beside a SQLite
// query with LIKE over the same records in a table.
//
//   find_bench [--records N] [--runs R] [--dir D]
//
// The records (fixed seed) carry one to five keywords from a vocabulary of
// 200 words, and one in 50 holds the searched word. LIKE '%word%' is a
// substring test, so SQLite is asked the easier question; its hit count is
// printed beside ours. Every figure is the median of R runs over a warm file
// in D (default /dev/shm, where the page cache holds it).
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/logic/image_attributes.h"
#include "catalog/index_database.h"
#include "explorer/logic/find_rules.h"
#include "imaging/byte_stream.h"

namespace {

struct Record {
    std::string key, keywords, artist;
};

std::vector<Record> MakeRecords(int count) {
    std::mt19937 random(20);
    std::vector<std::string> words;
    for (int i = 0; i < 200; ++i)
        words.push_back("word" + std::to_string(i));
    std::vector<Record> records;
    for (int i = 0; i < count; ++i) {
        Record r;
        r.key = "#" + std::to_string(i / 500) + "#picture" + std::to_string(i) + ".jpg";
        const int n = 1 + static_cast<int>(random() % 5);
        for (int k = 0; k < n; ++k)
            r.keywords += (k ? ", " : "") + words[random() % words.size()];
        if (i % 50 == 0)
            r.keywords += ", sunset";
        r.artist = "Artist " + std::to_string(random() % 40);
        records.push_back(r);
    }
    return records;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename Run> double TimeMs(Run&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main(int argc, char** argv) {
    int count = 100000, runs = 5;
    std::string dir = "/dev/shm";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--records"))
            count = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--runs"))
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--dir"))
            dir = argv[i + 1];
    }
    const std::vector<Record> records = MakeRecords(count);
    const std::string ours = dir + "/vxp-find-bench.tdb", theirs = dir + "/vxp-find-bench.sqlite";
    std::remove(ours.c_str());
    std::remove(theirs.c_str());

    CIndexDatabase db;
    if (!db.Open(ours.c_str(), kDbCreate))
        return 1;
    CBTreeIndex* index = db.OpenIndex("ImageProperties", 0, false, 0, true, true);
    if (!index)
        return 1;
    for (const Record& r : records) {
        CImageAttributes attributes;
        attributes.keywords = r.keywords;
        attributes.artist = r.artist;
        CByteStream stream;
        attributes.Store(&stream);
        index->PutString(r.key.c_str(), DbBuffer::In(stream.buffer, stream.size));
    }
    db.Flush();

    sqlite3* sql = nullptr;
    if (sqlite3_open(theirs.c_str(), &sql) != SQLITE_OK)
        return 1;
    sqlite3_exec(sql, "CREATE TABLE p(k TEXT PRIMARY KEY, keywords TEXT, artist TEXT)", nullptr,
                 nullptr, nullptr);
    sqlite3_exec(sql, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(sql, "INSERT INTO p VALUES(?,?,?)", -1, &insert, nullptr);
    for (const Record& r : records) {
        sqlite3_bind_text(insert, 1, r.key.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 2, r.keywords.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, r.artist.c_str(), -1, SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(sql, "COMMIT", nullptr, nullptr, nullptr);

    size_t ourHits = 0, theirHits = 0;
    std::vector<double> ourTimes, theirTimes;
    std::vector<uint8_t> keyBytes(261), valueBytes(4096);
    for (int run = 0; run < runs; ++run) {
        ourTimes.push_back(TimeMs([&] {
            // As the search thread walks: buffers and the record reused.
            std::vector<std::string> hits;
            CImageAttributes record;
            CBTreeCursor* cursor = index->NewCursor(false);
            for (bool on = cursor->First(); on; on = cursor->Next()) {
                DbBuffer key =
                    DbBuffer::Out(keyBytes.data(), static_cast<uint32_t>(keyBytes.size()));
                DbBuffer value =
                    DbBuffer::Out(valueBytes.data(), static_cast<uint32_t>(valueBytes.size()));
                if (!cursor->GetKeyValue(&key, &value) || value.length > valueBytes.size())
                    continue;
                CByteStream stream;
                stream.AttachReadOnly(valueBytes.data(), value.length);
                if (record.Load(&stream) &&
                    find_rules::KeywordsMatch(record.keywords, "sunset", false))
                    hits.emplace_back(reinterpret_cast<const char*>(key.data), key.length);
            }
            index->ReleaseCursor(cursor);
            ourHits = hits.size();
        }));
        theirTimes.push_back(TimeMs([&] {
            sqlite3_stmt* query = nullptr;
            sqlite3_prepare_v2(sql, "SELECT k FROM p WHERE keywords LIKE '%sunset%'", -1, &query,
                               nullptr);
            std::vector<std::string> hits;
            while (sqlite3_step(query) == SQLITE_ROW)
                hits.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(query, 0)));
            sqlite3_finalize(query);
            theirHits = hits.size();
        }));
    }
    sqlite3_close(sql);
    const double a = Median(ourTimes), b = Median(theirTimes);
    std::printf("find by keyword over %d records (median of %d)\n", count, runs);
    std::printf("  ours (cursor walk, whole keywords) %8.1f ms  %zu hits\n", a, ourHits);
    std::printf("  SQLite LIKE '%%sunset%%'            %8.1f ms  %zu hits\n", b, theirHits);
    std::printf("  SQLite time / ours                  %8.2f\n", b / a);
    std::remove(ours.c_str());
    std::remove(theirs.c_str());
    return 0;
}
