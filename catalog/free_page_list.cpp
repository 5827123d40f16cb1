#include "catalog/free_page_list.h"

#include <algorithm>

#include "catalog/btree_index.h"

uint32_t CFreePageList::IndexedCount() const {
    return m_index ? m_index->Spec().count : 0;
}

bool CFreePageList::InCache(uint32_t id) const {
    return std::binary_search(m_cache.begin(), m_cache.end(), id);
}

bool CFreePageList::PutIndexed(uint32_t id) {
    uint8_t key[4];
    StoreU32(key, id);
    return m_index && m_index->Put(DbBuffer::In(key, 4), DbBuffer());
}

bool CFreePageList::EraseIndexed(uint32_t id) {
    uint8_t key[4];
    StoreU32(key, id);
    return m_index && m_index->Erase(DbBuffer::In(key, 4), false);
}

uint32_t CFreePageList::SmallestIndexed() {
    return EndIndexed(false);
}

uint32_t CFreePageList::LargestIndexed() {
    return EndIndexed(true);
}

uint32_t CFreePageList::EndIndexed(bool largest) {
    if (!m_index || m_index->Spec().count == 0)
        return kDbNoPage;
    CBTreeCursor* c = m_index->NewCursor(false);
    uint8_t key[4];
    DbBuffer out = DbBuffer::Out(key, 4);
    uint32_t id = kDbNoPage;
    if ((largest ? c->Last() : c->First()) && c->GetKey(&out) && out.length == 4)
        id = LoadU32(key);
    m_index->ReleaseCursor(c);
    return id;
}

uint32_t CFreePageList::TakePage(bool refill) {
    if (refill)
        Refill();
    while (!m_cache.empty()) {
        uint32_t id = m_cache.front();
        m_cache.erase(m_cache.begin());
        // Ids come from a file that may be damaged: hand out only real pages.
        if (m_pages && m_pages->IsValidPage(id))
            return id;
    }
    return kDbNoPage;
}

bool CFreePageList::Refill() {
    if (m_cache.size() > 2 || !m_index || m_index->Spec().count == 0)
        return true;
    while (m_cache.size() < m_capacity) {
        uint32_t id = SmallestIndexed();
        if (id == kDbNoPage)
            break;
        if (!EraseIndexed(id))
            return false;
        if (!InCache(id))
            m_cache.insert(std::upper_bound(m_cache.begin(), m_cache.end(), id), id);
    }
    return true;
}

bool CFreePageList::ReleasePage(uint32_t id, bool toIndex, bool fromPageFile) {
    if (!m_pages || !m_pages->IsValidPage(id) || InCache(id))
        return false; // out of range or already free: never record it twice
    const bool indexUsable = m_index && m_index->HasComparison();
    if (indexUsable && (!fromPageFile || (toIndex && (IndexedCount() > 0 || m_cache.size() > 1)))) {
        return PutIndexed(id); // an id already indexed stays there once
    }
    m_cache.insert(std::upper_bound(m_cache.begin(), m_cache.end(), id), id);
    return true;
}

bool CFreePageList::SpillToIndex() {
    bool ok = true;
    while (!m_cache.empty() && m_index) {
        uint32_t id = m_cache.back();
        m_cache.pop_back();
        if (!PutIndexed(id))
            ok = false; // lost to the file, but never handed out twice
    }
    return ok;
}

uint32_t CFreePageList::TrimFileEnd(uint32_t count) {
    SpillToIndex();
    while (count > 1) {
        uint32_t last = LargestIndexed();
        if (last == kDbNoPage || last != count - 1)
            break;
        if (!EraseIndexed(last))
            break;
        SpillToIndex();
        --count;
    }
    SpillToIndex();
    return count;
}

void CFreePageList::Clear() {
    m_cache.clear();
    m_cache.shrink_to_fit();
    m_index = nullptr;
    m_pages = nullptr;
}
