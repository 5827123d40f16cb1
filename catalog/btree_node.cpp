#include "catalog/btree_node.h"

#include <algorithm>
#include <cstring>

#include "catalog/db_format.h"

namespace {

bool LeafKeyHasLength(const NodeFormat& f) {
    return f.LeafKeyHasLength();
}
bool InnerKeyHasLength(const NodeFormat& f) {
    return f.InnerKeyHasLength();
}

bool FitsBytes(const NodeFormat& f, bool leaf, uint32_t count, uint64_t end) {
    return end + f.SlotBytes(leaf, count) <= f.pageSize;
}

} // namespace

uint32_t NodeFormat::FixedEntrySize(bool leaf) const {
    uint32_t key;
    if (keysOut)
        key = kDbLocationSize;
    else if (fixedKey != 0 && (leaf || !innerKeyHasLength))
        key = fixedKey;
    else
        return 0;
    if (!leaf)
        return key + kChildBytes;
    if (keysOnly)
        return key;
    if (valuesOut)
        return key + kDbLocationSize;
    if (fixedValue != 0)
        return key + fixedValue;
    return 0;
}

bool CNode::EntryOffset(uint32_t i, uint32_t* offset) const {
    const uint32_t count = Count();
    if (i > count || SlotBytes(count) + Header() > m_format.pageSize)
        return false;
    const uint32_t limit = Limit(count);
    if (uint32_t fixed = m_format.FixedEntrySize(m_leaf)) {
        uint64_t off = Header() + static_cast<uint64_t>(i) * fixed;
        if (off > limit)
            return false;
        *offset = static_cast<uint32_t>(off);
        return true;
    }
    uint32_t g = i / 4;
    uint32_t off = Header();
    if (g > 0 && m_format.HasSlots(m_leaf)) {
        off = LoadU16(m_data + m_format.pageSize - 2 * g);
        if (off < Header() || off > limit)
            return false;
    } else {
        g = 0;
    }
    for (uint32_t k = 4 * g; k < i; ++k) {
        uint32_t size;
        if (!EntrySizeAt(off, &size))
            return false;
        off += size;
    }
    *offset = off;
    return true;
}

bool CNode::EntryAt(uint32_t i, const uint8_t** entry, uint32_t* size) const {
    uint32_t off;
    if (i >= Count() || !EntryOffset(i, &off) || !EntrySizeAt(off, size))
        return false;
    *entry = m_data + off;
    return true;
}

bool CNode::KeyAt(uint32_t i, const uint8_t** key, uint32_t* length) const {
    uint32_t off, size;
    if (i >= Count() || !EntryOffset(i, &off) || !KeySizeAt(off, Limit(Count()), &size))
        return false;
    bool hasLength = m_leaf ? LeafKeyHasLength(m_format) : InnerKeyHasLength(m_format);
    *key = m_data + off + (hasLength ? 1 : 0);
    *length = hasLength ? size - 1 : size;
    return true;
}

bool CNode::ValueAt(uint32_t i, const uint8_t** value, uint32_t* length) const {
    uint32_t off, k, v;
    if (!m_leaf || i >= Count() || !EntryOffset(i, &off))
        return false;
    uint32_t limit = Limit(Count());
    if (!KeySizeAt(off, limit, &k) || !ValueSizeAt(off + k, limit, &v))
        return false;
    bool hasLength = !m_format.keysOnly && !m_format.valuesOut && m_format.fixedValue == 0;
    *value = m_data + off + k + (hasLength ? 1 : 0);
    *length = hasLength ? v - 1 : v;
    return true;
}

bool CNode::ChildAt(uint32_t i, uint32_t* child) const {
    if (m_leaf || i > Count())
        return false;
    if (i == 0) {
        *child = LoadU32(m_data + 2);
        return true;
    }
    const uint8_t* entry;
    uint32_t size;
    if (!EntryAt(i - 1, &entry, &size))
        return false;
    *child = LoadU32(entry + size - kChildBytes);
    return true;
}

uint32_t CNode::Prev() const {
    return LoadU32(m_data + 2);
}
uint32_t CNode::Next() const {
    return LoadU32(m_data + 6);
}
void CNode::SetPrev(uint32_t id) {
    StoreU32(m_data + 2, id);
}
void CNode::SetNext(uint32_t id) {
    StoreU32(m_data + 6, id);
}

void CNode::RebuildSlots(uint32_t count, uint32_t oldCount, uint32_t from) {
    if (!m_format.HasSlots(m_leaf))
        return;
    const uint32_t ps = m_format.pageSize;
    uint32_t oldSlots = oldCount / 4, newSlots = count / 4;
    if (oldSlots > newSlots)
        std::memset(m_data + ps - 2 * oldSlots, 0, 2 * (oldSlots - newSlots));
    // Entries before `from` kept their offsets, and so did the slots that
    // point at them: start at the last of those.
    uint32_t g = std::min(from / 4, newSlots);
    uint32_t off = Header();
    if (g > 0) {
        off = LoadU16(m_data + ps - 2 * g);
        if (off < Header() || off > ps) {
            g = 0;
            off = Header();
        }
    }
    const uint32_t fixed = m_format.FixedEntrySize(m_leaf);
    if (SlotBytes(count) > ps)
        return;
    const uint32_t limit = Limit(count);
    for (uint32_t i = 4 * g; i < 4 * newSlots; ++i) {
        uint32_t size = fixed, k, v;
        if (!size) {
            if (!KeySizeAt(off, limit, &k) || !ValueSizeAt(off + k, limit, &v))
                return;
            size = k + v;
        }
        off += size;
        if ((i + 1) % 4 == 0)
            StoreU16(m_data + ps - 2 * ((i + 1) / 4), static_cast<uint16_t>(off));
    }
}

bool CNode::Insert(uint32_t i, const uint8_t* entry, uint32_t size) {
    const uint32_t count = Count();
    uint32_t at, end;
    if (count >= 0xFFFF || !EntryOffset(i, &at) || !EntryEnd(&end))
        return false;
    if (!Fits(count + 1, end + size))
        return false;
    std::memmove(m_data + at + size, m_data + at, end - at);
    std::memcpy(m_data + at, entry, size);
    StoreU16(m_data, static_cast<uint16_t>(count + 1));
    RebuildSlots(count + 1, count, i);
    return true;
}

bool CNode::Remove(uint32_t i) {
    const uint32_t count = Count();
    uint32_t at, size, end;
    if (i >= count || !EntryOffset(i, &at) || !EntrySizeAt(at, &size) || !EntryEnd(&end))
        return false;
    // A damaged page can claim an entry that runs past the used area.
    if (at > end || size > end - at)
        return false;
    std::memmove(m_data + at, m_data + at + size, end - at - size);
    std::memset(m_data + end - size, 0, size);
    StoreU16(m_data, static_cast<uint16_t>(count - 1));
    RebuildSlots(count - 1, count, i);
    return true;
}

bool CNode::Truncate(uint32_t keep) {
    const uint32_t count = Count();
    uint32_t at, end;
    if (keep > count || !EntryOffset(keep, &at) || !EntryEnd(&end) || at > end)
        return false;
    std::memset(m_data + at, 0, end - at);
    StoreU16(m_data, static_cast<uint16_t>(keep));
    RebuildSlots(keep, count, keep);
    return true;
}

// ---- inner images ----

void InnerImage::InsertAfterChild(uint32_t i, std::vector<uint8_t> key, uint32_t right) {
    keys.insert(keys.begin() + i, std::move(key));
    rights.insert(rights.begin() + i, right);
}

std::vector<uint8_t> InnerImage::RemoveChild(uint32_t d) {
    std::vector<uint8_t> key;
    if (keys.empty())
        return key;
    if (d == 0) {
        leftmost = rights[0];
        key = std::move(keys[0]);
        keys.erase(keys.begin());
        rights.erase(rights.begin());
    } else {
        key = std::move(keys[d - 1]);
        keys.erase(keys.begin() + (d - 1));
        rights.erase(rights.begin() + (d - 1));
    }
    return key;
}

uint32_t InnerImage::Bytes() const {
    uint32_t n = kInnerHeader;
    for (const auto& k : keys)
        n += static_cast<uint32_t>(k.size()) + kChildBytes;
    return n;
}

bool InnerImage::Fits(const NodeFormat& format) const {
    return keys.size() < 0xFFFF &&
           FitsBytes(format, false, static_cast<uint32_t>(keys.size()), Bytes());
}

bool InnerImage::Decode(const CNode& node) {
    keys.clear();
    rights.clear();
    uint32_t count = node.Count();
    if (node.IsLeaf() || !node.ChildAt(0, &leftmost))
        return false;
    keys.reserve(count);
    rights.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* entry;
        uint32_t size;
        if (!node.EntryAt(i, &entry, &size) || size <= kChildBytes)
            return false;
        keys.emplace_back(entry, entry + size - kChildBytes);
        rights.push_back(LoadU32(entry + size - kChildBytes));
    }
    return true;
}

void InnerImage::Encode(uint8_t* page, const NodeFormat& format,
                        const std::vector<uint32_t>& resolve) const {
    auto id = [&](uint32_t v) { return v >= kPlaceholderBase ? resolve[v - kPlaceholderBase] : v; };
    const uint32_t ps = format.pageSize;
    std::memset(page, 0, ps);
    const uint32_t count = static_cast<uint32_t>(keys.size());
    StoreU16(page, static_cast<uint16_t>(count));
    StoreU32(page + 2, id(leftmost));
    uint32_t off = kInnerHeader;
    const bool slots = format.HasSlots(false);
    for (uint32_t i = 0; i < count; ++i) {
        if (slots && i > 0 && i % 4 == 0)
            StoreU16(page + ps - 2 * (i / 4), static_cast<uint16_t>(off));
        std::memcpy(page + off, keys[i].data(), keys[i].size());
        off += static_cast<uint32_t>(keys[i].size());
        StoreU32(page + off, id(rights[i]));
        off += kChildBytes;
    }
    if (slots && count > 0 && count % 4 == 0)
        StoreU16(page + ps - 2 * (count / 4), static_cast<uint16_t>(off));
}

bool SplitInnerImage(const NodeFormat& format, InnerImage& all, uint32_t inserted, InnerImage* left,
                     std::vector<uint8_t>* up, InnerImage* right) {
    const uint32_t total = static_cast<uint32_t>(all.keys.size());
    if (total < 3)
        return false;
    std::vector<uint64_t> before(total + 1, 0); // bytes of entries [0, i)
    for (uint32_t i = 0; i < total; ++i)
        before[i + 1] = before[i] + all.keys[i].size() + kChildBytes;
    auto fits = [&](uint32_t m) {
        uint64_t leftBytes = kInnerHeader + before[m];
        uint64_t rightBytes = kInnerHeader + before[total] - before[m + 1];
        return FitsBytes(format, false, m, leftBytes) &&
               FitsBytes(format, false, total - m - 1, rightBytes);
    };
    const uint32_t c = total - 1, h = c / 2;
    uint32_t m = inserted <= h ? h + 1 : h;
    if (m < 1 || m > total - 2 || !fits(m)) {
        // Choose by bytes: the most even split where both halves fit.
        uint64_t best = UINT64_MAX;
        m = 0;
        for (uint32_t k = 1; k + 1 < total; ++k) {
            if (!fits(k))
                continue;
            uint64_t l = before[k], r = before[total] - before[k + 1];
            uint64_t diff = l > r ? l - r : r - l;
            if (diff < best) {
                best = diff;
                m = k;
            }
        }
        if (m == 0)
            return false;
    }
    left->leftmost = all.leftmost;
    left->keys.assign(all.keys.begin(), all.keys.begin() + m);
    left->rights.assign(all.rights.begin(), all.rights.begin() + m);
    *up = all.keys[m];
    right->leftmost = all.rights[m];
    right->keys.assign(all.keys.begin() + m + 1, all.keys.end());
    right->rights.assign(all.rights.begin() + m + 1, all.rights.end());
    return true;
}

uint32_t ChooseLeafSplit(const NodeFormat& format, const uint64_t* before, uint32_t total,
                         uint32_t inserted) {
    if (total < 2)
        return 0;
    auto fits = [&](uint32_t l) {
        return FitsBytes(format, true, l, kLeafHeader + before[l]) &&
               FitsBytes(format, true, total - l, kLeafHeader + before[total] - before[l]);
    };
    const uint32_t c = total - 1, h = c / 2;
    uint32_t l = inserted <= h ? h + 1 : h;
    if (l >= 1 && l < total && fits(l))
        return l;
    // The count rule would overflow a page: split by bytes instead.
    uint64_t best = UINT64_MAX;
    uint32_t choice = 0;
    for (uint32_t k = 1; k < total; ++k) {
        if (!fits(k))
            continue;
        uint64_t a = before[k], b = before[total] - before[k];
        uint64_t diff = a > b ? a - b : b - a;
        if (diff < best) {
            best = diff;
            choice = k;
        }
    }
    return choice;
}
