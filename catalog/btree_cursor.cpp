// CBTreeCursor: walks the leaf chain of one index in key order. A cursor holds
// the leaf it sits on; moving to a neighbour checks that the neighbour links
// back, and a walk never visits more leaves than the file has pages, so a
// damaged chain ends the walk instead of looping.
#include <cstring>
#include <vector>

#include "catalog/btree_index.h"

void CBTreeCursor::Reset() {
    if (m_leaf)
        m_index->Pages()->ReleasePageCold(m_leaf); // walks pass each leaf once
    m_leaf = nullptr;
    m_slot = -1;
}

bool CBTreeCursor::Enter(uint32_t leafId, bool last) {
    Reset();
    m_hops = 0;
    CPageFile* pages = m_index->Pages();
    if (!pages || !pages->IsValidPage(leafId))
        return false;
    PageRecord* rec = pages->GetPage(leafId);
    if (!rec)
        return false;
    const NodeFormat fmt = m_index->Format();
    uint32_t count = CNode(rec->data, fmt, true).Count();
    if (count == 0) {
        pages->ReleasePage(rec);
        return false;
    }
    m_leaf = rec;
    m_slot = last ? static_cast<int32_t>(count - 1) : 0;
    return true;
}

bool CBTreeCursor::First() {
    return Enter(m_index->Spec().firstLeaf, false);
}

bool CBTreeCursor::Last() {
    return Enter(m_index->Spec().lastLeaf, true);
}

bool CBTreeCursor::Step(uint32_t leafId, bool forward) {
    CPageFile* pages = m_index->Pages();
    const uint32_t from = static_cast<uint32_t>(m_leaf->id);
    PageRecord* rec = nullptr;
    // A chain that loops does so in one direction (each step checks that the
    // neighbour links back), so only a run of steps one way is bounded: a
    // cursor may walk back and forth as often as its user likes.
    if (forward != m_forward)
        m_hops = 0;
    m_forward = forward;
    if (++m_hops < pages->PageCount() && pages->IsValidPage(leafId))
        rec = pages->GetPage(leafId);
    if (!rec) {
        Reset();
        return false;
    }
    const NodeFormat fmt = m_index->Format();
    CNode node(rec->data, fmt, true);
    uint32_t count = node.Count();
    if (count == 0 || (forward ? node.Prev() : node.Next()) != from) {
        pages->ReleasePage(rec); // the chain does not link back: damaged
        Reset();
        return false;
    }
    Reset();
    m_leaf = rec;
    m_slot = forward ? 0 : static_cast<int32_t>(count - 1);
    return true;
}

bool CBTreeCursor::Next() {
    if (!OnEntry())
        return false;
    const NodeFormat fmt = m_index->Format();
    CNode node(m_leaf->data, fmt, true);
    if (static_cast<uint32_t>(m_slot) + 1 < node.Count()) {
        ++m_slot;
        return true;
    }
    uint32_t next = node.Next();
    if (next == kDbNoPage) {
        Reset();
        return false;
    }
    return Step(next, true);
}

bool CBTreeCursor::Prev() {
    if (!OnEntry())
        return false;
    const NodeFormat fmt = m_index->Format();
    CNode node(m_leaf->data, fmt, true);
    uint32_t count = node.Count();
    if (static_cast<uint32_t>(m_slot) > count)
        m_slot = static_cast<int32_t>(count);
    if (m_slot > 0) {
        --m_slot;
        return true;
    }
    uint32_t prev = node.Prev();
    if (prev == kDbNoPage)
        return false; // stays on the first entry
    return Step(prev, false);
}

bool CBTreeCursor::Seek(const DbBuffer& key) {
    Reset();
    m_hops = 0;
    CBTreeIndex::SearchKey sk;
    PageRecord* leaf;
    if (!m_index->Ready() || !m_index->MakeSearchKey(key, false, &sk) ||
        !m_index->Descend(sk, nullptr, &leaf))
        return false;
    const NodeFormat fmt = m_index->Format();
    CNode node(leaf->data, fmt, true);
    bool found = false;
    uint32_t slot = 0;
    uint32_t count = node.Count();
    if (count == 0 || !m_index->FindSlot(node, sk, &found, &slot)) {
        m_index->Pages()->ReleasePage(leaf);
        return false;
    }
    m_leaf = leaf;
    m_slot = static_cast<int32_t>(slot >= count ? count - 1 : slot);
    return found;
}

bool CBTreeCursor::SeekString(const char* text) {
    if (!text)
        return false;
    return Seek(DbBuffer::In(text, static_cast<uint32_t>(std::strlen(text))));
}

bool CBTreeCursor::GetKey(DbBuffer* key) {
    if (!OnEntry() || !key)
        return false;
    const NodeFormat fmt = m_index->Format();
    CNode node(m_leaf->data, fmt, true);
    return static_cast<uint32_t>(m_slot) < node.Count() &&
           m_index->ReadKeyOf(node, static_cast<uint32_t>(m_slot), key);
}

bool CBTreeCursor::GetValue(DbBuffer* value) {
    if (!OnEntry() || !value)
        return false;
    const NodeFormat fmt = m_index->Format();
    CNode node(m_leaf->data, fmt, true);
    return static_cast<uint32_t>(m_slot) < node.Count() &&
           m_index->ReadValueOf(node, static_cast<uint32_t>(m_slot), value);
}

bool CBTreeCursor::GetKeyValue(DbBuffer* key, DbBuffer* value) {
    return GetKey(key) && GetValue(value);
}

bool CBTreeCursor::Erase() {
    if (!m_writable || !OnEntry())
        return false;
    const NodeFormat fmt = m_index->Format();
    CNode node(m_leaf->data, fmt, true);
    const uint32_t count = node.Count();
    const uint32_t slot = static_cast<uint32_t>(m_slot);
    const uint8_t* stored;
    uint32_t length;
    if (slot >= count || !node.KeyAt(slot, &stored, &length))
        return false;
    // With keys out of line the key is handed over as its record's location.
    std::vector<uint8_t> key(stored, stored + length);
    if (slot + 1 == count) {
        // The entry slides away under the cursor: move to its successor, or
        // else its predecessor, or else to no entry.
        uint32_t next = node.Next(), prev = node.Prev();
        if (next != kDbNoPage)
            Step(next, true);
        else if (slot > 0)
            --m_slot;
        else if (prev != kDbNoPage)
            Step(prev, false);
        else
            Reset();
    }
    return m_index->Erase(DbBuffer::In(key.data(), length), fmt.keysOut);
}
