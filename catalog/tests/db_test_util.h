// Helpers shared by the database engine tests: in-memory disks, databases
// opened on them, and a scratch folder for tests that need real files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "catalog/index_database.h"
#include "catalog/memory_file.h"

// A database whose file lives on an in-memory disk that outlives it, so that
// tests can close, inspect or damage the bytes and reopen.
// The journal beside it lives on a disk of its own.
struct MemoryDb {
    std::shared_ptr<CMemoryDisk> disk = std::make_shared<CMemoryDisk>();
    std::shared_ptr<CMemoryDisk> journal = std::make_shared<CMemoryDisk>();
    CMemoryFile::FaultHook hook;
    std::unique_ptr<CIndexDatabase> db;

    MemoryDb() { Reset(); }
    void Reset() {
        db.reset(new CIndexDatabase());
        db->SetFileFactory([this](const std::string& path) {
            const bool isJournal = path == CPageFile::JournalPath("memory.tdb");
            auto f = std::unique_ptr<CMemoryFile>(new CMemoryFile(isJournal ? journal : disk));
            if (hook)
                f->SetFaultHook(hook);
            return std::unique_ptr<CWin32File>(f.release());
        });
    }
    bool Open(int mode) { return db->Open("memory.tdb", mode); }
    std::vector<uint8_t>& Bytes() { return disk->bytes; }
};

inline DbBuffer Text(const std::string& s) {
    return DbBuffer::In(s.data(), static_cast<uint32_t>(s.size()));
}

// Reads a whole value (any length) into a string.
inline bool GetText(CBTreeIndex* index, const std::string& key, std::string* value) {
    DbBuffer out;
    out.capacity = kDbAllocate;
    uint8_t small[256];
    if (!index->Spec().ValuesOutOfLine()) {
        out = DbBuffer::Out(small, sizeof small);
    }
    if (!index->Get(Text(key), &out))
        return false;
    const uint8_t* data = index->Spec().ValuesOutOfLine() ? out.data : small;
    value->assign(reinterpret_cast<const char*>(data), out.length);
    if (index->Spec().ValuesOutOfLine())
        DbBufferFree(out);
    return true;
}

// A folder under the build's test data directory, emptied on creation.
inline std::string ScratchFolder(const std::string& name) {
    std::string dir = std::string(VXP_TEST_DATA_DIR) + "/catalog-" + name;
    std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "'";
#ifdef _WIN32
    std::string native = dir;
    for (char& c : native)
        if (c == '/')
            c = '\\';
    std::system(("cmd /c rmdir /s /q \"" + native + "\" >nul 2>nul").c_str());
    std::system(("cmd /c mkdir \"" + native + "\" >nul 2>nul").c_str());
#else
    if (std::system(cmd.c_str()) != 0)
        return std::string();
#endif
    return dir;
}
