// One database file: fixed-size pages holding any number of named B+-tree
// indexes, a free-page list and one opaque user-data record. The file format
// is described in db_format.h.
//
// Layout of a new file, in the order in which it is built: page 0 header;
// page 1 holds the catalogue's IndexSpec at data offset 0 and the free-page
// index's IndexSpec at data offset 50; page 2 is the catalogue's root leaf;
// page 3 the free-page index's root leaf. A new file is flushed at once, so it
// is 32768 bytes on disk from the start.
//
// The catalogue index maps index names (at most 19 bytes, case-sensitive,
// key type 1, inline) to the fixed 6-byte DbLocation of their IndexSpec. The
// free-page index is a keys-only index of 4-byte page ids (key type 3) used
// only through CFreePageList. The user-data record is a u32 length and that
// many bytes.
//
// Single-threaded: callers that share a database serialise every call.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalog/btree_index.h"
#include "catalog/free_page_list.h"
#include "catalog/page_file.h"

class CByteStream;

enum EDbOpenMode : int {
    kDbCreate = 0,       // create; an existing file is truncated
    kDbOpenOrCreate = 1, // open, or create when missing
    kDbOpenExisting = 2, // open an existing file
    kDbReadOnly = 3,     // open an existing file; every change is refused
};

class CIndexDatabase {
public:
    CIndexDatabase();
    ~CIndexDatabase();
    CIndexDatabase(const CIndexDatabase&) = delete;
    CIndexDatabase& operator=(const CIndexDatabase&) = delete;

    // Makes each Open use a file object from the factory (tests use in-memory
    // files with injected faults). Without one, a CWin32File is used.
    // The factory is asked for the database file and for its journal, by path.
    using FileFactory = std::function<std::unique_ptr<CWin32File>(const std::string& path)>;
    void SetFileFactory(FileFactory factory) { m_fileFactory = std::move(factory); }

    bool Open(const char* path, int mode);
    // Saves every open index's description, discards the index objects,
    // compacts twice, cuts free pages off the end and closes. Returns false
    // when something could not be written (nothing happens when closed).
    bool Close();
    // Closes without writing anything: a file found not to be the caller's is
    // left exactly as it was.
    void CloseWithoutWriting();
    // Writes every change and the header, then syncs the file. Cached free
    // page ids always go into the free-page index first (spill is kept for
    // callers that ask for it explicitly).
    bool Flush(bool spill = false);
    bool IsNewFile() const { return m_open && m_newFile; }
    bool IsOpen() const { return m_open; }
    bool IsReadOnly() const { return m_readOnly; }

    CBTreeIndex* FindIndex(const char* name);
    CBTreeIndex* OpenIndex(const char* name, uint32_t fixedKey, bool keysOut, uint32_t fixedValue,
                           bool valuesOut, bool create);
    CBTreeIndex* OpenKeySet(const char* name, uint32_t fixedKey, bool keysOut, bool create);
    void ReleaseIndex(CBTreeIndex* index);
    // Refused when the old name is absent, the new one exists, or it is empty
    // or longer than 19 characters.
    bool RenameIndex(const char* oldName, const char* newName);

    bool ReadUserData(CByteStream* stream);
    bool WriteUserData(CByteStream* stream);

    uint32_t CountFreePages();
    // The page cache of the next Open (preallocated bytes, and the most the
    // cache may hold with overflow buffers); kept until changed again.
    void SetCacheBytes(uint32_t preallocated, uint32_t maximum);

    // ---- inspection (checker, tool, tests) ----
    CPageFile& Pages() { return m_pages; }
    CBTreeIndex* Catalog() const { return m_catalog.get(); }
    CBTreeIndex* FreeIndex() const { return m_freeIndex.get(); }
    CFreePageList* FreeList() const { return m_freeList.get(); }
    const std::vector<CBTreeIndex*>& OpenIndexes() const { return m_indexes; }
    DbLocation CatalogSpecLocation() const { return m_catalogSpec; }
    DbLocation FreeSpecLocation() const { return m_freeSpec; }
    DbLocation UserDataLocation() const { return m_userData; }
    uint8_t Version() const { return m_version; }

private:
    bool ReadHeader();
    void BuildHeader(uint8_t* h);
    bool WriteInternalSpecs();
    bool SaveIndexSpec(CBTreeIndex* index);
    bool ReadSpecAt(DbLocation loc, uint8_t* spec);
    bool CreateNewFile();
    bool LoadExistingFile();
    CBTreeIndex* CreateIndex(const char* name, bool keySet, uint32_t fixedKey, bool keysOut,
                             uint32_t fixedValue, bool valuesOut, bool create);
    bool RegisterIndex(CBTreeIndex* index);
    void DropNewTree(CBTreeIndex* index);
    void Compact();
    bool MoveRoot(IndexSpec* spec, uint32_t to);
    void Discard();

    std::vector<CBTreeIndex*> m_indexes;
    std::unique_ptr<CBTreeIndex> m_catalog;
    CPageFile m_pages;
    bool m_open = false;
    bool m_readOnly = false;
    bool m_newFile = false;
    uint8_t m_version = 0;
    uint8_t m_fileId[16] = {};
    DbLocation m_catalogSpec;
    DbLocation m_freeSpec;
    DbLocation m_userData;
    std::unique_ptr<CFreePageList> m_freeList;
    std::unique_ptr<CBTreeIndex> m_freeIndex;
    FileFactory m_fileFactory;
    uint32_t m_cachePreallocated;
    uint32_t m_cacheMaximum;
};
