// The free-page list of a database file: a small sorted cache of free page ids
// in front of the free-page index, a keys-only index of 4-byte page ids (key
// type 3) stored in the same file. A free page is either in the index or in
// the cache, never in both, and never page 0 or at or past the page count.
// Ids still cached when the process ends without a flush that spills them are
// lost to the file (neither free nor used) until the file is rebuilt.
#pragma once

#include <cstdint>
#include <vector>

#include "catalog/page_file.h"

class CBTreeIndex;

class CFreePageList : public CPageAllocator {
public:
    explicit CFreePageList(uint32_t capacity = 10) : m_capacity(capacity) {}

    void Attach(CBTreeIndex* index, CPageFile* pages) {
        m_index = index;
        m_pages = pages;
    }

    uint32_t TakePage(bool refill) override;
    bool ReleasePage(uint32_t id, bool toIndex, bool fromPageFile) override;
    uint32_t TrimFileEnd(uint32_t count) override;
    bool SpillToIndex() override;
    // Moves the smallest indexed ids into the cache when it runs low.
    bool Refill();
    void Clear();

    const std::vector<uint32_t>& Cached() const { return m_cache; }
    uint32_t IndexedCount() const;
    // Smallest id in the free-page index, or kDbNoPage.
    uint32_t SmallestIndexed();
    bool EraseIndexed(uint32_t id);

private:
    bool PutIndexed(uint32_t id);
    bool InCache(uint32_t id) const;
    uint32_t LargestIndexed();
    // The first or the last id of the free-page index, or kDbNoPage.
    uint32_t EndIndexed(bool largest);

    uint32_t m_capacity;
    std::vector<uint32_t> m_cache; // ascending
    CBTreeIndex* m_index = nullptr;
    CPageFile* m_pages = nullptr;
};
