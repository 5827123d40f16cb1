// One ordered map (or ordered set) of byte-string keys stored as a B+-tree in
// the pages of a CPageFile, and cursors that walk its leaves in key order.
// The node layout is described in btree_node.h, the IndexSpec in db_format.h.
//
// A full leaf first hands entries to a sibling under the same parent that has
// room (the separator between them changes in place) and splits only when
// neither can take them, which keeps leaves of randomly ordered insertions
// well filled. Nodes are never merged: a leaf leaves the tree only when it
// becomes empty, an inner node only when it would be left without a key.
// Splits pick their point by entry count and fall back to a point chosen
// by bytes whenever the count rule would overflow a page; every change that
// needs new pages takes all of them before it writes anything, so a full file
// or a failing allocator makes the operation fail with the tree unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/btree_node.h"
#include "catalog/db_format.h"
#include "catalog/page_file.h"

// Compares search key a with stored key b: negative, 0 or positive.
using DbCompareFn = int (*)(const uint8_t* a, uint32_t lengthA, const uint8_t* b, uint32_t lengthB);
// Length of the shortest prefix S of b with a < S <= b, for the last key a of
// a left leaf and the first key b of the right one.
using DbPrefixFn = uint32_t (*)(const uint8_t* a, uint32_t lengthA, const uint8_t* b,
                                uint32_t lengthB);

int DbCompareBytes(const uint8_t* a, uint32_t lengthA, const uint8_t* b, uint32_t lengthB);
int DbCompareSigned(const uint8_t* a, uint32_t lengthA, const uint8_t* b, uint32_t lengthB);
int DbCompareUnsigned(const uint8_t* a, uint32_t lengthA, const uint8_t* b, uint32_t lengthB);
uint32_t DbShortestPrefix(const uint8_t* a, uint32_t lengthA, const uint8_t* b, uint32_t lengthB);

constexpr uint32_t kMaxTreeHeight = 40;

class CBTreeIndex;

class CBTreeCursor {
public:
    bool First();
    bool Last();
    bool Next();
    bool Prev();
    // True only on an exact match; otherwise the cursor sits on the insertion
    // position (or the leaf's last entry when that lies past it).
    bool Seek(const DbBuffer& key);
    bool SeekString(const char* text);
    bool GetKey(DbBuffer* key);
    bool GetKeyValue(DbBuffer* key, DbBuffer* value);
    bool GetValue(DbBuffer* value);
    bool Erase();

    bool IsWritable() const { return m_writable; }
    bool OnEntry() const { return m_slot >= 0 && m_leaf != nullptr; }

private:
    friend class CBTreeIndex;
    CBTreeCursor(CBTreeIndex* index, bool writable) : m_writable(writable), m_index(index) {}
    void Reset();
    bool Enter(uint32_t leafId, bool last);
    bool Step(uint32_t leafId, bool forward);

    int32_t m_slot = -1;
    bool m_writable;
    CBTreeIndex* m_index;
    PageRecord* m_leaf = nullptr;
    uint32_t m_hops = 0;   // leaves visited one way since the last positioning or turn
    bool m_forward = true; // the way of the last step
};

class CBTreeIndex {
public:
    CBTreeIndex() = default;
    ~CBTreeIndex();
    CBTreeIndex(const CBTreeIndex&) = delete;
    CBTreeIndex& operator=(const CBTreeIndex&) = delete;

    // A new index with an empty root leaf. Fixed inline key lengths above 255
    // are refused.
    bool CreateKeySet(CPageFile* pages, uint32_t fixedKey, bool keysOut);
    bool CreateKeyValue(CPageFile* pages, uint32_t fixedKey, bool keysOut, uint32_t fixedValue,
                        bool valuesOut);
    // An index described by a stored 50-byte IndexSpec; its key type's
    // functions are installed. False when the description is impossible.
    bool Load(CPageFile* pages, const uint8_t* spec);

    // Types 1-3 install the built-in functions (the arguments are ignored);
    // other types use the caller's. Refused when it would change how the
    // separators already stored in inner nodes are encoded.
    bool SetKeyType(uint8_t type, DbCompareFn compare = nullptr, DbPrefixFn prefix = nullptr);

    bool Put(const DbBuffer& key, const DbBuffer& value);
    bool Get(const DbBuffer& key, DbBuffer* value);
    bool Contains(const DbBuffer& key);
    bool Erase(const DbBuffer& key, bool keyIsLocation);
    // Replaces the value of an existing key; false (and no change) when the
    // key is absent or the new entry cannot be stored.
    bool Update(const DbBuffer& key, const DbBuffer& value);
    bool EntryFits(const DbBuffer& key, const DbBuffer& value) const;

    bool EraseKey(const DbBuffer& key) { return Erase(key, false); }
    bool InsertKeyValue(const DbBuffer& key) { return Put(key, DbBuffer()); }

    // Typed forms; each refuses an index of another key type.
    bool GetString(const char* key, DbBuffer* value);
    bool ContainsString(const char* key);
    bool EraseString(const char* key);
    bool PutString(const char* key, const DbBuffer& value);
    bool PutText(const char* key, const char* text);
    bool UpdateString(const char* key, const DbBuffer& value);
    bool GetInt(int32_t key, DbBuffer* value);
    bool ContainsInt(int32_t key);
    bool EraseInt(int32_t key);
    bool PutInt(int32_t key, const DbBuffer& value);
    bool UpdateInt(int32_t key, const DbBuffer& value);
    bool GetUInt(uint32_t key, DbBuffer* value);
    bool ContainsUInt(uint32_t key);
    bool EraseUInt(uint32_t key);
    bool PutUInt(uint32_t key, const DbBuffer& value);
    bool UpdateUInt(uint32_t key, const DbBuffer& value);

    CBTreeCursor* NewCursor(bool writable);
    bool ReleaseCursor(CBTreeCursor* cursor);

    const IndexSpec& Spec() const { return m_spec; }
    IndexSpec& MutableSpec() { return m_spec; }
    void StoreSpec(uint8_t* out) const { m_spec.Store(out); }
    NodeFormat Format() const;
    CPageFile* Pages() const { return m_pages; }
    bool HasComparison() const { return m_compare != nullptr; }
    DbCompareFn CompareFunction() const { return m_compare; }

    // Bookkeeping of the owning database.
    bool freeToIndex = true; // pages this index frees may go to the free-page index
    bool readOnly = false;   // every change is refused (a read-only database)
    std::string name;
    int32_t refCount = 0;
    DbLocation specLocation;

    // Drops every cursor's hold on a leaf page (before the page is freed or
    // moved).
    void DetachCursorsFrom(uint32_t pageId);

private:
    friend class CBTreeCursor;
    struct SearchKey {
        const uint8_t* data = nullptr;
        uint32_t length = 0;
        bool isLocation = false;
        DbLocation location;   // the key record (when isLocation)
        DbLocation recordData; // its first key byte
    };
    struct PathLevel {
        PageRecord* record;
        uint32_t child;
    };
    struct Plan;

    bool Ready() const { return m_pages != nullptr && m_compare != nullptr; }
    bool InitNew(CPageFile* pages);
    bool MakeSearchKey(const DbBuffer& key, bool keyIsLocation, SearchKey* out);
    bool CompareAt(const CNode& node, uint32_t slot, const SearchKey& key, int* result);
    bool CompareStoredRecord(const SearchKey& key, DbLocation stored, int* result);
    bool FindSlot(const CNode& node, const SearchKey& key, bool* found, uint32_t* slot);
    bool FindSlotByGroups(const CNode& node, const SearchKey& key, bool* found, uint32_t* slot);
    bool Descend(const SearchKey& key, std::vector<PathLevel>* path, PageRecord** leaf);
    void ReleasePath(std::vector<PathLevel>& path);
    bool RecordLength(DbLocation loc, uint32_t fixed, uint32_t* length, DbLocation* data);
    bool RecordSize(DbLocation loc, uint32_t fixed, uint32_t* size);
    bool WriteItemRecord(const DbBuffer& item, uint32_t fixed, DbLocation* loc, uint32_t* size);
    bool CopyItem(const uint8_t* stored, uint32_t length, bool outOfLine, uint32_t fixed,
                  DbBuffer* out);
    bool ReadKeyOf(const CNode& leaf, uint32_t slot, DbBuffer* out);
    bool ReadValueOf(const CNode& leaf, uint32_t slot, DbBuffer* out);
    bool LeafSeparator(const uint8_t* lastLeft, const uint8_t* firstRight,
                       std::vector<uint8_t>* separator, DbLocation* copied, uint32_t* copiedSize);
    bool PlanInsertAbove(Plan& plan, std::vector<PathLevel>& path, int level, InnerImage image,
                         uint32_t position);
    bool TakePlanPages(Plan& plan);
    void CommitPlan(Plan& plan, std::vector<PathLevel>& path);
    // Puts the entry at `position` of a leaf it does not fit into (in place
    // of the entry there when `replace`), splitting the leaf.
    bool SplitLeafAndPut(std::vector<PathLevel>& path, PageRecord* leaf,
                         const std::vector<uint8_t>& entry, uint32_t position, bool replace);
    // Puts such an entry by moving entries between the leaf and a sibling
    // under the same parent that has room, so that both end about equally
    // full; false, with nothing changed, when no sibling can take them.
    bool ShiftToSiblingAndPut(std::vector<PathLevel>& path, PageRecord* leaf,
                              const std::vector<uint8_t>& entry, uint32_t position, bool replace);
    bool ShiftInto(std::vector<PathLevel>& path, PageRecord* leaf, PageRecord* sibling,
                   bool siblingLeft, const std::vector<uint8_t>& entry, uint32_t position,
                   bool replace, uint64_t leafBytes, uint32_t wanted);
    bool CollapseAfterEmptyLeaf(std::vector<PathLevel>& path, PageRecord* leaf);
    bool FreeSeparator(const std::vector<uint8_t>& key);
    bool TypedKey(uint8_t type) const { return m_spec.keyType == type && Ready(); }

    IndexSpec m_spec;
    DbCompareFn m_compare = nullptr;
    DbPrefixFn m_prefix = nullptr;
    CPageFile* m_pages = nullptr;
    std::vector<CBTreeCursor*> m_cursors;
    // Length of the last out-of-line item read whole: the guess for how many
    // pages to fetch at once when the next one starts on an uncached page.
    uint32_t m_lastItemBytes = 0;
};
