// Compaction at close: the roots of the free-page index and of every named
// index move down onto the lowest free pages below them, then the free pages
// at the end of the file are cut off. Only roots move (a moved leaf root is
// the index's only leaf, and no node points up), so no other page changes.
// The smallest free id is looked up afresh after every move: a cursor held
// across a move would still see the page as it was before.
#include "catalog/index_database.h"

bool CIndexDatabase::MoveRoot(IndexSpec* spec, uint32_t to) {
    const uint32_t from = spec->root;
    if (!m_pages.IsValidPage(from) || !m_pages.MovePage(to, from))
        return false;
    spec->root = to;
    if (spec->firstLeaf == from)
        spec->firstLeaf = to;
    if (spec->lastLeaf == from)
        spec->lastLeaf = to;
    return true;
}

void CIndexDatabase::Compact() {
    if (m_readOnly || !m_freeIndex)
        return;
    m_freeList->SpillToIndex();

    uint32_t smallest = m_freeList->SmallestIndexed();
    if (smallest != kDbNoPage && smallest < m_freeIndex->Spec().root) {
        const uint32_t old = m_freeIndex->Spec().root;
        if (MoveRoot(&m_freeIndex->MutableSpec(), smallest)) {
            m_freeList->EraseIndexed(smallest);
            m_freeList->ReleasePage(old, true, false);
        }
    }

    CBTreeCursor* cursor = m_catalog->NewCursor(false);
    for (bool more = cursor->First(); more; more = cursor->Next()) {
        smallest = m_freeList->SmallestIndexed();
        if (smallest == kDbNoPage)
            break;
        uint8_t raw[kDbLocationSize];
        DbBuffer value = DbBuffer::Out(raw, sizeof raw);
        if (!cursor->GetValue(&value) || value.length != kDbLocationSize)
            continue;
        DbLocation loc = DbLocation::Load(raw);
        uint8_t specBytes[kIndexSpecSize];
        if (!ReadSpecAt(loc, specBytes))
            continue;
        IndexSpec spec;
        spec.Load(specBytes);
        if (smallest >= spec.root)
            continue;
        const uint32_t old = spec.root;
        if (!MoveRoot(&spec, smallest))
            continue;
        spec.Store(specBytes);
        if (!m_pages.RewriteRecord(specBytes, kIndexSpecSize, &loc, false))
            continue;
        m_freeList->EraseIndexed(smallest);
        m_freeList->ReleasePage(old, true, false);
    }
    m_catalog->ReleaseCursor(cursor);

    m_freeList->SpillToIndex();
    m_pages.TruncateTail();
    Flush(false);
}
