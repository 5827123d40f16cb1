// tdbtool: looks inside a database file and checks it. A development tool,
// not part of the product.
//
//   tdbtool info    FILE                 header, indexes and free pages
//   tdbtool check   FILE                 consistency check (exit 1 on problems)
//   tdbtool walk    FILE INDEX           every key (and value length) in order
//   tdbtool get     FILE INDEX KEY       one value, as text with escapes
//   tdbtool put     FILE INDEX KEY VALUE (creates a variable-length index)
//   tdbtool erase   FILE INDEX KEY
//   tdbtool create  FILE                 a new, empty database
//   tdbtool compact FILE                 open and close (compaction)
// Keys and values are taken as text; integer-keyed indexes take a number.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "catalog/db_checker.h"
#include "catalog/index_database.h"

namespace {

std::string Escape(const uint8_t* p, uint32_t n, uint32_t limit = 80) {
    std::string out;
    for (uint32_t i = 0; i < n && i < limit; ++i) {
        if (p[i] >= 0x20 && p[i] < 0x7F && p[i] != '\\') {
            out += static_cast<char>(p[i]);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", p[i]);
            out += hex;
        }
    }
    if (n > limit)
        out += "...";
    return out;
}

std::string Shape(const IndexSpec& s) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "type %u, keys %s%s, %s, %u entries, height %u, %u leaves, %u inner, "
                  "root %u, %llu out-of-line bytes",
                  s.keyType, s.fixedKey ? "fixed " : "variable ",
                  s.KeysOutOfLine() ? "out of line" : "inline",
                  s.KeysOnly()          ? "no values"
                  : s.ValuesOutOfLine() ? "values out of line"
                                        : "values inline",
                  s.count, s.height, s.leafCount, s.innerCount, s.root,
                  static_cast<unsigned long long>(s.outOfLineBytes));
    return text;
}

// Key bytes for an index: a number for integer types, the text otherwise.
std::string KeyFor(const CBTreeIndex* index, const char* text) {
    uint8_t type = index->Spec().keyType;
    if (type != kKeyTypeSigned && type != kKeyTypeUnsigned)
        return text;
    uint8_t raw[4];
    StoreU32(raw, static_cast<uint32_t>(std::strtoll(text, nullptr, 0)));
    return std::string(reinterpret_cast<char*>(raw), 4);
}

int Info(CIndexDatabase& db) {
    CPageFile& pages = db.Pages();
    std::printf("pages %u of %u bytes, version %u, append (%u,%u), user data page %d\n",
                pages.PageCount(), pages.PageSize(), db.Version(), pages.AppendLocation().page,
                pages.AppendLocation().offset, static_cast<int>(db.UserDataLocation().page));
    std::printf("catalogue: %s\n", Shape(db.Catalog()->Spec()).c_str());
    CBTreeCursor* c = db.Catalog()->NewCursor(false);
    for (bool ok = c->First(); ok; ok = c->Next()) {
        char name[32];
        DbBuffer key = DbBuffer::Out(name, sizeof name - 1);
        if (!c->GetKey(&key))
            continue;
        name[key.length < sizeof name ? key.length : sizeof name - 1] = 0;
        CBTreeIndex* index = db.FindIndex(name);
        std::printf("index '%s': %s\n", name, index ? Shape(index->Spec()).c_str() : "unreadable");
        db.ReleaseIndex(index);
    }
    db.Catalog()->ReleaseCursor(c);
    return 0;
}

int Walk(CIndexDatabase& db, const char* name) {
    CBTreeIndex* index = db.FindIndex(name);
    if (!index || !index->HasComparison()) {
        std::fprintf(stderr, "no usable index '%s'\n", name);
        return 1;
    }
    CBTreeCursor* c = index->NewCursor(false);
    for (bool ok = c->First(); ok; ok = c->Next()) {
        DbBuffer key, value;
        key.capacity = kDbAllocate;
        uint8_t keyBuf[256];
        if (!index->Spec().KeysOutOfLine())
            key = DbBuffer::Out(keyBuf, sizeof keyBuf);
        if (!c->GetKey(&key))
            break;
        const uint8_t* k = index->Spec().KeysOutOfLine() ? key.data : keyBuf;
        value.capacity = 0; // lengths only
        c->GetValue(&value);
        std::printf("%s\t%u\n", Escape(k, key.length).c_str(), value.length);
        if (index->Spec().KeysOutOfLine())
            DbBufferFree(key);
    }
    index->ReleaseCursor(c);
    db.ReleaseIndex(index);
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: tdbtool info|check|walk|get|put|erase|create|compact FILE ...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return Usage();
    const std::string cmd = argv[1];
    const char* path = argv[2];
    CIndexDatabase db;
    const bool writes = cmd == "put" || cmd == "erase" || cmd == "compact" || cmd == "create";
    int mode = cmd == "create" ? kDbCreate : writes ? kDbOpenExisting : kDbReadOnly;
    if (!db.Open(path, mode)) {
        std::fprintf(stderr, "%s: cannot open as a database\n", path);
        return 1;
    }
    int rc = 0;
    if (cmd == "info") {
        rc = Info(db);
    } else if (cmd == "check") {
        DbCheckResult r = CheckDatabase(db);
        for (const std::string& p : r.problems)
            std::printf("problem: %s\n", p.c_str());
        std::printf("%s\n", r.Summary().c_str());
        rc = r.Ok() ? 0 : 1;
    } else if (cmd == "walk" && argc == 4) {
        rc = Walk(db, argv[3]);
    } else if ((cmd == "get" || cmd == "erase") && argc == 5) {
        CBTreeIndex* index = db.FindIndex(argv[3]);
        std::string key = index ? KeyFor(index, argv[4]) : std::string();
        DbBuffer k = DbBuffer::In(key.data(), static_cast<uint32_t>(key.size()));
        if (!index) {
            rc = 1;
        } else if (cmd == "erase") {
            rc = index->Erase(k, false) ? 0 : 1;
        } else {
            DbBuffer value;
            value.capacity = kDbAllocate;
            uint8_t inlineBuf[256];
            if (!index->Spec().ValuesOutOfLine())
                value = DbBuffer::Out(inlineBuf, sizeof inlineBuf);
            rc = index->Get(k, &value) ? 0 : 1;
            if (rc == 0) {
                const uint8_t* v = index->Spec().ValuesOutOfLine() ? value.data : inlineBuf;
                std::printf("%s\n", Escape(v, value.length, 1u << 20).c_str());
            }
            if (index->Spec().ValuesOutOfLine())
                DbBufferFree(value);
        }
        db.ReleaseIndex(index);
    } else if (cmd == "put" && argc == 6) {
        CBTreeIndex* index = db.OpenIndex(argv[3], 0, false, 0, true, true);
        std::string key = index ? KeyFor(index, argv[4]) : std::string();
        rc = index && index->Put(DbBuffer::In(key.data(), static_cast<uint32_t>(key.size())),
                                 DbBuffer::In(argv[5], static_cast<uint32_t>(std::strlen(argv[5]))))
                 ? 0
                 : 1;
        db.ReleaseIndex(index);
    } else if (cmd != "create" && cmd != "compact") {
        rc = Usage();
    }
    if (writes && !db.Close()) {
        std::fprintf(stderr, "%s: writing failed\n", path);
        return 1;
    }
    return rc;
}
