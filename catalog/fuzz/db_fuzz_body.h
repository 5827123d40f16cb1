// Bodies of the database fuzz targets, shared with the test that replays the
// inputs in fuzz/crashers/ (inputs that once crashed or hung).
//
//  - RunOpenFuzz: the input is a database file. It is opened read-only and
//    read-write, checked, every index is walked both ways and sought, and
//    keys derived from the input are put and erased.
//  - RunOpsFuzz: the input is a stream of operations on one index of a
//    database in memory, with short or failing reads, writes and flushes
//    injected on request. A run without injected faults must leave a file
//    that reopens and passes the consistency check.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "catalog/db_checker.h"
#include "catalog/index_database.h"
#include "catalog/memory_file.h"
#include "imaging/byte_stream.h"

namespace dbfuzz {

class CInput {
public:
    CInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_pos >= m_size; }
    uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint32_t Number(uint32_t limit) {
        uint32_t v = Byte() | (Byte() << 8);
        return limit ? v % limit : 0;
    }
    std::string Bytes(uint32_t n) {
        std::string s;
        for (uint32_t i = 0; i < n; ++i)
            s += static_cast<char>(Empty() ? 'a' + i % 7 : Byte());
        return s;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

inline void UseDisk(CIndexDatabase& db, std::shared_ptr<CMemoryDisk> disk,
                    CMemoryFile::FaultHook hook = nullptr) {
    auto journal = std::make_shared<CMemoryDisk>();
    db.SetFileFactory([disk, journal, hook](const std::string& path) {
        const bool isJournal = path.size() > 4 && path.compare(path.size() - 4, 4, ".jnl") == 0;
        auto f = std::unique_ptr<CMemoryFile>(new CMemoryFile(isJournal ? journal : disk));
        if (hook)
            f->SetFaultHook(hook);
        return std::unique_ptr<CWin32File>(f.release());
    });
}

inline DbBuffer Buf(const std::string& s) {
    return DbBuffer::In(s.data(), static_cast<uint32_t>(s.size()));
}

inline std::string KeyFor(const CBTreeIndex* index, CInput& in) {
    uint32_t fixed = index->Spec().fixedKey;
    if (fixed > 512)
        return std::string();
    return in.Bytes(fixed ? fixed : 1 + in.Byte() % 40);
}

inline void Exercise(CBTreeIndex* index, CInput& in, bool writable) {
    if (!index->HasComparison())
        return;
    CBTreeCursor* c = index->NewCursor(writable);
    DbBuffer key, value;
    for (bool ok = c->First(); ok; ok = c->Next()) {
        key.capacity = value.capacity = kDbAllocate;
        key.data = value.data = nullptr;
        c->GetKeyValue(&key, &value);
        DbBufferFree(key); // inline items were not allocated: data stays null
        DbBufferFree(value);
    }
    for (int i = 0; i < 50 && (i > 0 ? c->Prev() : c->Last()); ++i) {
    }
    std::string probe = KeyFor(index, in);
    c->Seek(Buf(probe));
    if (writable && c->OnEntry())
        c->Erase();
    index->ReleaseCursor(c);
    if (!writable)
        return;
    for (int i = 0; i < 24; ++i) {
        std::string k = KeyFor(index, in);
        uint32_t fixedValue = index->Spec().fixedValue;
        std::string v = in.Bytes(fixedValue && fixedValue < 4096 ? fixedValue : in.Byte());
        if (in.Byte() & 1)
            index->Put(Buf(k), Buf(v));
        else
            index->Erase(Buf(k), false);
    }
}

inline void RunOpenFuzz(const uint8_t* data, size_t size) {
    for (int mode : {kDbReadOnly, kDbOpenExisting}) {
        auto disk = std::make_shared<CMemoryDisk>();
        disk->bytes.assign(data, data + size);
        disk->exists = true;
        disk->maxBytes = size + (8u << 20);
        CIndexDatabase db;
        UseDisk(db, disk);
        if (!db.Open("fuzz.tdb", mode))
            continue;
        CInput in(data, size);
        CheckDatabase(db);
        std::vector<std::string> names;
        CBTreeCursor* c = db.Catalog()->NewCursor(false);
        for (bool ok = c->First(); ok && names.size() < 16; ok = c->Next()) {
            char name[32];
            DbBuffer k = DbBuffer::Out(name, sizeof name);
            if (c->GetKey(&k) && k.length < sizeof name)
                names.emplace_back(name, k.length);
        }
        db.Catalog()->ReleaseCursor(c);
        for (const std::string& name : names) {
            CBTreeIndex* index = db.FindIndex(name.c_str());
            if (index)
                Exercise(index, in, mode != kDbReadOnly);
            db.ReleaseIndex(index);
        }
        CByteStream user;
        db.ReadUserData(&user);
        if (mode != kDbReadOnly) {
            CBTreeIndex* made = db.OpenIndex("FuzzMade", 0, false, 0, true, true);
            if (made)
                Exercise(made, in, true);
            db.ReleaseIndex(made);
            db.Flush(true);
        }
        db.Close();
    }
}

struct Shape {
    uint32_t fixedKey;
    bool keysOut, keysOnly;
    uint32_t fixedValue;
    bool valuesOut;
};

inline void RunOpsFuzz(const uint8_t* data, size_t size) {
    static const Shape kShapes[] = {{0, false, false, 0, false},  {0, false, false, 0, true},
                                    {8, false, false, 16, false}, {0, true, false, 0, true},
                                    {0, false, true, 0, false},   {0, true, true, 0, false},
                                    {4, false, true, 0, false}};
    CInput in(data, size);
    const Shape& shape = kShapes[in.Byte() % (sizeof kShapes / sizeof kShapes[0])];
    auto disk = std::make_shared<CMemoryDisk>();
    disk->maxBytes = 32u << 20;
    // Fault plan: the op stream arms one fault at a time.
    struct Faults {
        int kind = 0; // 0 none, 1 fail write, 2 short write, 3 fail read, 4 short read, 5 flush
        uint32_t countdown = 0;
        bool ever = false;
    };
    auto faults = std::make_shared<Faults>();
    CMemoryFile::FaultHook hook = [faults](CMemoryFile::EOp op, uint64_t, uint32_t n) -> int64_t {
        Faults& f = *faults;
        if (f.kind == 0)
            return n;
        bool match = (op == CMemoryFile::kOpWrite && (f.kind == 1 || f.kind == 2)) ||
                     (op == CMemoryFile::kOpRead && (f.kind == 3 || f.kind == 4)) ||
                     (op == CMemoryFile::kOpFlush && f.kind == 5);
        if (!match || f.countdown-- > 0)
            return n;
        int kind = f.kind;
        f.kind = 0;
        f.ever = true;
        return kind == 2 || kind == 4 ? n / 2 : -1;
    };
    CIndexDatabase db;
    UseDisk(db, disk, hook);
    if (!db.Open("ops.tdb", kDbCreate))
        return;
    auto openIndex = [&]() {
        CBTreeIndex* i = shape.keysOnly ? db.OpenKeySet("F", shape.fixedKey, shape.keysOut, true)
                                        : db.OpenIndex("F", shape.fixedKey, shape.keysOut,
                                                       shape.fixedValue, shape.valuesOut, true);
        if (i && shape.fixedKey == 4)
            i->SetKeyType(kKeyTypeUnsigned);
        return i;
    };
    CBTreeIndex* index = openIndex();
    for (int steps = 0; index && !in.Empty() && steps < 2000; ++steps) {
        uint8_t op = in.Byte() % 10;
        if (op <= 3) {
            std::string k = KeyFor(index, in);
            uint32_t n = shape.fixedValue ? shape.fixedValue
                         : in.Byte() < 32 ? in.Number(shape.valuesOut ? 30000 : 256)
                                          : in.Byte();
            index->Put(Buf(k), Buf(in.Bytes(n)));
        } else if (op == 4) {
            std::string k = KeyFor(index, in);
            index->Erase(Buf(k), false);
        } else if (op == 5) {
            Exercise(index, in, in.Byte() & 1);
        } else if (op == 6) {
            db.Flush(in.Byte() & 1);
        } else if (op == 7) {
            db.ReleaseIndex(index);
            db.Close();
            if (!db.Open("ops.tdb", kDbOpenExisting))
                return; // a fault damaged the file: refused cleanly
            index = openIndex();
        } else if (op == 8) {
            faults->kind = 1 + in.Byte() % 5;
            faults->countdown = in.Byte() % 16;
        } else {
            std::string k = KeyFor(index, in);
            uint8_t out[64];
            DbBuffer v = DbBuffer::Out(out, sizeof out);
            index->Get(Buf(k), &v);
        }
    }
    db.ReleaseIndex(index);
    db.Close();
    faults->kind = 0;
    if (faults->ever)
        return;
    // Without injected faults the file must reopen clean.
    CIndexDatabase again;
    UseDisk(again, disk);
    if (!again.Open("ops.tdb", kDbOpenExisting) || !CheckDatabase(again).Ok())
        std::abort();
}

} // namespace dbfuzz
