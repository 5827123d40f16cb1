// The three key-value stores the catalogue benchmark drives with the same
// operations: our database engine, SQLite (a WITHOUT ROWID table, 8192-byte
// pages, journal_mode=OFF, synchronous=OFF) and LMDB (MDB_NOSYNC). A batch is
// what lies between two Commit calls: a flush for our engine, a transaction
// for the others.
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
std::unique_ptr<CBenchEngine> MakeSqliteEngine();
// SQLite's page cache in KiB for stores opened afterwards; 0 keeps its default.
void SetSqliteCacheKiB(int kib);
std::unique_ptr<CBenchEngine> MakeLmdbEngine();
