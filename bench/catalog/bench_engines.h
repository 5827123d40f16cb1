// The key-value stores the catalogue benchmark drives with the same
// operations: our database engine, SQLite (a WITHOUT ROWID table, 8192-byte
// pages) and LMDB. A batch is what lies between two Commit calls: a flush for
// our engine, a transaction for the others.
//
// Durability: our flush syncs its rollback journal before it overwrites a
// page and syncs the file before the journal goes, so it survives a kill or a
// power cut at any moment. The peers that compare like with like do the same:
// SQLite with its rollback journal (journal_mode=DELETE, synchronous=FULL)
// and LMDB with its default syncs. SQLite without a journal and without syncs
// is kept as a reference only: it can be left torn by a kill.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class CBenchEngine {
public:
    virtual ~CBenchEngine() = default;
    virtual const char* Name() const = 0;
    // Creates a new store at path (any old file is removed first). bigValues:
    // values of kilobytes (out of line in our engine), else at most 255 bytes.
    virtual bool Open(const std::string& path, bool bigValues) = 0;
    // Opens the store Close left at path again, with an empty cache of its own.
    virtual bool Reopen(const std::string& path, bool bigValues) = 0;
    virtual bool Begin() = 0;
    virtual bool Commit() = 0;
    // Around a phase of reads (Get, Scan).
    virtual bool BeginRead() { return Begin(); }
    virtual bool EndRead() { return Commit(); }
    virtual bool Put(const std::string& key, const std::string& value) = 0;
    // Copies the value into out (capacity bytes); its length, or -1 when the
    // key is absent or the read failed.
    virtual int64_t Get(const std::string& key, uint8_t* out, uint32_t capacity) = 0;
    virtual bool Erase(const std::string& key) = 0;
    // Walks every entry in key order, touching keys and values; the number of
    // entries, with the bytes seen added to *bytes.
    virtual uint64_t Scan(uint64_t* bytes) = 0;
    virtual bool Close() = 0;
    // Bytes of every file the store keeps at path.
    virtual uint64_t FileBytes(const std::string& path) const = 0;
};

std::unique_ptr<CBenchEngine> MakeOurEngine();
// SQLite with its rollback journal and full syncs.
std::unique_ptr<CBenchEngine> MakeSqliteEngine();
// SQLite without journal or syncs (reference only).
std::unique_ptr<CBenchEngine> MakeSqliteNoJournalEngine();
std::unique_ptr<CBenchEngine> MakeLmdbEngine();
// The page cache, in KiB, of our engine and of SQLite for stores opened
// afterwards (LMDB reads through the operating system's cache).
void SetCacheKiB(uint32_t kib);
