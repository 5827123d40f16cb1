// Node pages of a B+-tree index. A node uses the whole page (little-endian):
//
//   Leaf:   0 u16 entry count, 2 u32 previous leaf (-1 none), 6 u32 next leaf
//           (-1 none), 10.. entries, each the key followed by the value.
//   Inner:  0 u16 key count, 2 u32 leftmost child, 6.. entries, each a key
//           followed by the u32 id of the child to that key's right.
//
//   Slot table: at the page end, one u16 per four entries: the u16 at byte
//   (page size - 2g) holds the page offset of entry 4g, g = 1 .. count / 4
//   (when count is a multiple of 4 the last one is the end of the entries).
//   Inner nodes of indexes whose keys are stored out of line keep none.
//   A node with c entries ending at byte e is valid while e + 2 x (c / 4) is
//   at most the page size.
//
//   Item encodings:  key, leaf:  6-byte DbLocation when keys are out of line,
//                                else L bytes for a fixed length L, else an
//                                8-bit length and 1..255 bytes;
//                    key, inner: as in a leaf, except that a fixed-length
//                                key of an index with a prefix function is
//                                stored with a length byte (separators are
//                                cut to a prefix);
//                    value:      6-byte DbLocation when out of line, else L
//                                bytes, else an 8-bit length and 0..255
//                                bytes; none in a keys-only index.
//   Out-of-line records hold the L bytes, or a u32 length and the bytes.
//
// Every access is bounds-checked against the page: a damaged count, length
// or slot makes the access fail instead of leaving the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "catalog/db_format.h"

constexpr uint32_t kLeafHeader = 10;
constexpr uint32_t kInnerHeader = 6;
constexpr uint32_t kChildBytes = 4;

struct NodeFormat {
    uint32_t pageSize = 0;
    bool keysOnly = false;
    bool keysOut = false;
    bool valuesOut = false;
    uint32_t fixedKey = 0;
    uint32_t fixedValue = 0;
    bool innerKeyHasLength = true; // inner keys carry an 8-bit length

    // Size of one entry when every entry of such a node has the same size,
    // else 0.
    uint32_t FixedEntrySize(bool leaf) const;
    bool HasSlots(bool leaf) const { return leaf || !keysOut; }
    uint32_t SlotBytes(bool leaf, uint32_t count) const {
        return HasSlots(leaf) ? 2 * (count / 4) : 0;
    }
    bool LeafKeyHasLength() const { return !keysOut && fixedKey == 0; }
    bool InnerKeyHasLength() const { return !keysOut && (fixedKey == 0 || innerKeyHasLength); }
};

// A view over one node page.
class CNode {
public:
    CNode(uint8_t* data, const NodeFormat& format, bool leaf)
        : m_data(data), m_format(format), m_leaf(leaf) {}

    uint8_t* Data() const { return m_data; }
    bool IsLeaf() const { return m_leaf; }
    uint32_t Count() const { return static_cast<uint32_t>(m_data[0]) | m_data[1] << 8; }
    uint32_t Header() const { return m_leaf ? kLeafHeader : kInnerHeader; }
    uint32_t SlotBytes(uint32_t count) const { return m_format.SlotBytes(m_leaf, count); }
    bool Fits(uint32_t count, uint32_t end) const {
        return static_cast<uint64_t>(end) + SlotBytes(count) <= m_format.pageSize;
    }
    // Offset of entry i (i may equal the count: the end of the entries).
    bool EntryOffset(uint32_t i, uint32_t* offset) const;
    bool EntrySizeAt(uint32_t offset, uint32_t* size) const;
    bool EntryEnd(uint32_t* end) const { return EntryOffset(Count(), end); }
    // The stored key of entry i without its length byte (or the 6-byte
    // location of an out-of-line key).
    bool KeyAt(uint32_t i, const uint8_t** key, uint32_t* length) const;
    // Leaf only: the stored value (without length byte, or its location).
    bool ValueAt(uint32_t i, const uint8_t** value, uint32_t* length) const;
    // Inner only: child i (0 is the leftmost child).
    bool ChildAt(uint32_t i, uint32_t* child) const;
    // Raw bytes of entry i.
    bool EntryAt(uint32_t i, const uint8_t** entry, uint32_t* size) const;

    // The key directory of a node whose entries differ in size: the slot
    // table gives the offset of every fourth entry, so a search can halve
    // over those and walk at most three entries, instead of walking from a
    // slot at every probe.
    bool HasKeyDirectory() const {
        return m_format.HasSlots(m_leaf) && m_format.FixedEntrySize(m_leaf) == 0;
    }
    // Offset of entry 4g (g below (count + 3) / 4).
    bool GroupOffset(uint32_t g, uint32_t* offset) const;
    // The stored key of the entry at offset (as KeyAt) and the entry's size.
    bool KeyAtOffset(uint32_t offset, const uint8_t** key, uint32_t* length, uint32_t* size) const;

    // In-place edits (the caller has checked that the result fits).
    bool Insert(uint32_t i, const uint8_t* entry, uint32_t size);
    bool Remove(uint32_t i);
    // Keeps entries [0, keep) and zeroes what followed them.
    bool Truncate(uint32_t keep);
    // Writes the whole slot table of a node whose entries were copied in.
    void WriteSlots() { RebuildSlots(Count(), Count(), 0); }

    uint32_t Prev() const;
    uint32_t Next() const;
    void SetPrev(uint32_t id);
    void SetNext(uint32_t id);

private:
    bool KeySizeAt(uint32_t offset, uint32_t limit, uint32_t* size) const;
    bool ValueSizeAt(uint32_t offset, uint32_t limit, uint32_t* size) const;
    uint32_t Limit(uint32_t count) const { return m_format.pageSize - SlotBytes(count); }
    // Rewrites the slot table after entries from index `from` on moved.
    void RebuildSlots(uint32_t count, uint32_t oldCount, uint32_t from = 0);

    uint8_t* m_data;
    const NodeFormat& m_format;
    bool m_leaf;
};

// The accessors every search goes through, inline so that a probe costs a
// few loads and bounds checks rather than calls.

inline bool CNode::KeySizeAt(uint32_t offset, uint32_t limit, uint32_t* size) const {
    const bool hasLength = m_leaf ? m_format.LeafKeyHasLength() : m_format.InnerKeyHasLength();
    uint32_t n;
    if (m_format.keysOut)
        n = kDbLocationSize;
    else if (!hasLength)
        n = m_format.fixedKey;
    else if (offset < limit)
        n = 1u + m_data[offset];
    else
        return false;
    if (static_cast<uint64_t>(offset) + n > limit)
        return false;
    *size = n;
    return true;
}

inline bool CNode::ValueSizeAt(uint32_t offset, uint32_t limit, uint32_t* size) const {
    uint32_t n;
    if (!m_leaf)
        n = kChildBytes;
    else if (m_format.keysOnly)
        n = 0;
    else if (m_format.valuesOut)
        n = kDbLocationSize;
    else if (m_format.fixedValue != 0)
        n = m_format.fixedValue;
    else if (offset < limit)
        n = 1u + m_data[offset];
    else
        return false;
    if (static_cast<uint64_t>(offset) + n > limit)
        return false;
    *size = n;
    return true;
}

inline bool CNode::EntrySizeAt(uint32_t offset, uint32_t* size) const {
    const uint32_t count = Count();
    if (SlotBytes(count) > m_format.pageSize)
        return false;
    const uint32_t limit = Limit(count);
    uint32_t k, v;
    if (!KeySizeAt(offset, limit, &k) || !ValueSizeAt(offset + k, limit, &v))
        return false;
    *size = k + v;
    return true;
}

inline bool CNode::GroupOffset(uint32_t g, uint32_t* offset) const {
    const uint32_t count = Count();
    if (4ull * g >= count || SlotBytes(count) + Header() > m_format.pageSize)
        return false;
    if (g == 0) {
        *offset = Header();
        return true;
    }
    const uint8_t* slot = m_data + m_format.pageSize - 2 * g;
    const uint32_t off = static_cast<uint32_t>(slot[0]) | slot[1] << 8;
    if (off < Header() || off > Limit(count))
        return false;
    *offset = off;
    return true;
}

inline bool CNode::KeyAtOffset(uint32_t offset, const uint8_t** key, uint32_t* length,
                               uint32_t* size) const {
    const uint32_t count = Count();
    if (SlotBytes(count) > m_format.pageSize)
        return false;
    const uint32_t limit = Limit(count);
    uint32_t k, v;
    if (!KeySizeAt(offset, limit, &k) || !ValueSizeAt(offset + k, limit, &v))
        return false;
    const bool hasLength = m_leaf ? m_format.LeafKeyHasLength() : m_format.InnerKeyHasLength();
    *key = m_data + offset + (hasLength ? 1 : 0);
    *length = hasLength ? k - 1 : k;
    *size = k + v;
    return true;
}

// An inner node decoded into memory, for splits and merges. keys hold the
// encoded key part of each entry exactly as stored; children may be
// placeholders until new pages are taken.
struct InnerImage {
    uint32_t leftmost = 0;
    std::vector<std::vector<uint8_t>> keys;
    std::vector<uint32_t> rights;

    uint32_t Child(uint32_t i) const { return i == 0 ? leftmost : rights[i - 1]; }
    uint32_t ChildCount() const { return static_cast<uint32_t>(keys.size()) + 1; }
    // Inserts (key, right) directly after child i.
    void InsertAfterChild(uint32_t i, std::vector<uint8_t> key, uint32_t right);
    // Removes child d together with the key beside it (key d-1, or key 0 for
    // the leftmost child); returns that key.
    std::vector<uint8_t> RemoveChild(uint32_t d);
    uint32_t Bytes() const;
    bool Fits(const NodeFormat& format) const;

    bool Decode(const CNode& node);
    // Writes the node; ids at or above kPlaceholderBase are mapped through
    // the resolve table first.
    void Encode(uint8_t* page, const NodeFormat& format,
                const std::vector<uint32_t>& resolve) const;
};

constexpr uint32_t kPlaceholderBase = 0xFFFFF000u;

// Splits an inner image whose key `inserted` was just added: the left part
// keeps keys [0, m), key m goes up, the right part takes the rest. The count
// rule of the format is tried first; when it would overflow a page the split
// point is chosen by bytes. False when no split fits.
bool SplitInnerImage(const NodeFormat& format, InnerImage& all, uint32_t inserted, InnerImage* left,
                     std::vector<uint8_t>* up, InnerImage* right);

// Number of entries that stay in the left leaf when a leaf of `total`
// entries (after insertion at `inserted`) splits; 0 when no split fits.
// before[i] is the number of bytes of entries [0, i), for i up to total.
uint32_t ChooseLeafSplit(const NodeFormat& format, const uint64_t* before, uint32_t total,
                         uint32_t inserted);
