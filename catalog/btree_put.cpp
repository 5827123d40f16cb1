// Insertion into a CBTreeIndex. A change that splits nodes is planned in
// memory first (decoded inner nodes with placeholder ids for new pages); only
// when every new page has been taken is anything written.
#include <algorithm>
#include <cstring>

#include "catalog/btree_plan.h"

namespace {

// Size of the key part at the start of an encoded leaf entry.
uint32_t LeafKeyPart(const NodeFormat& f, const uint8_t* entry) {
    if (f.keysOut)
        return kDbLocationSize;
    if (f.fixedKey != 0)
        return f.fixedKey;
    return 1u + entry[0];
}

void RawKey(const NodeFormat& f, const uint8_t* entry, const uint8_t** key, uint32_t* length) {
    bool hasLength = !f.keysOut && f.fixedKey == 0;
    uint32_t part = LeafKeyPart(f, entry);
    *key = entry + (hasLength ? 1 : 0);
    *length = hasLength ? part - 1 : part;
}

} // namespace

bool CBTreeIndex::LeafSeparator(const uint8_t* lastLeft, const uint8_t* firstRight,
                                std::vector<uint8_t>* separator, DbLocation* copied,
                                uint32_t* copiedSize) {
    const NodeFormat fmt = Format();
    *copiedSize = 0;
    if (fmt.keysOut) {
        // The separator is a record of its own, so that erasing the key it
        // was copied from leaves it intact.
        DbLocation src = DbLocation::Load(firstRight);
        uint32_t size;
        if (!RecordSize(src, m_spec.fixedKey, &size) || !m_pages->CopyRecord(copied, src, size))
            return false;
        *copiedSize = size;
        separator->assign(kDbLocationSize, 0);
        copied->Store(separator->data());
        return true;
    }
    const uint8_t *a, *b;
    uint32_t la, lb;
    RawKey(fmt, lastLeft, &a, &la);
    RawKey(fmt, firstRight, &b, &lb);
    uint32_t cut = lb;
    if (m_prefix) {
        uint32_t p = m_prefix(a, la, b, lb);
        // Keep the cut only when it really separates the two keys.
        if (p >= 1 && p <= lb && m_compare(a, la, b, p) < 0 && m_compare(b, p, b, lb) <= 0)
            cut = p;
    }
    if (fmt.innerKeyHasLength || fmt.fixedKey == 0) {
        separator->assign(1, static_cast<uint8_t>(cut));
        separator->insert(separator->end(), b, b + cut);
    } else {
        separator->assign(b, b + lb);
    }
    return true;
}

bool CBTreeIndex::PlanInsertAbove(Plan& plan, std::vector<PathLevel>& path, int level,
                                  InnerImage image, uint32_t position) {
    const NodeFormat fmt = Format();
    for (;;) {
        if (image.Fits(fmt)) {
            plan.writes.push_back(Plan::Write{path[level].record, 0, std::move(image)});
            return true;
        }
        InnerImage left, right;
        std::vector<uint8_t> up;
        if (!SplitInnerImage(fmt, image, position, &left, &up, &right))
            return false;
        uint32_t rightId = plan.Placeholder();
        ++plan.innerDelta;
        plan.writes.push_back(Plan::Write{path[level].record, 0, std::move(left)});
        plan.writes.push_back(Plan::Write{nullptr, rightId, std::move(right)});
        if (level == 0) {
            if (m_spec.height + plan.heightDelta + 1 > static_cast<int>(kMaxTreeHeight))
                return false;
            InnerImage root;
            root.leftmost = static_cast<uint32_t>(path[0].record->id);
            root.keys.push_back(std::move(up));
            root.rights.push_back(rightId);
            plan.newRoot = plan.Placeholder();
            ++plan.innerDelta;
            ++plan.heightDelta;
            plan.writes.push_back(Plan::Write{nullptr, plan.newRoot, std::move(root)});
            return true;
        }
        --level;
        CNode parent(path[level].record->data, fmt, false);
        if (!image.Decode(parent))
            return false;
        position = path[level].child;
        if (position > image.keys.size())
            return false;
        image.InsertAfterChild(position, std::move(up), rightId);
    }
}

bool CBTreeIndex::TakePlanPages(Plan& plan) {
    for (uint32_t i = 0; i < plan.newPages; ++i) {
        PageRecord* rec = m_pages->NewPage(freeToIndex);
        if (!rec) {
            while (!plan.pages.empty()) {
                m_pages->ReturnUnusedPage(plan.pages.back(), freeToIndex);
                plan.pages.pop_back();
            }
            plan.resolve.clear();
            return false;
        }
        plan.pages.push_back(rec);
        plan.resolve.push_back(static_cast<uint32_t>(rec->id));
    }
    return true;
}

void CBTreeIndex::CommitPlan(Plan& plan, std::vector<PathLevel>& path) {
    const NodeFormat fmt = Format();
    for (Plan::Write& w : plan.writes) {
        PageRecord* rec = w.record ? w.record : plan.pages[w.placeholder - kPlaceholderBase];
        w.image.Encode(rec->data, fmt, plan.resolve);
        rec->dirty = 1;
    }
    if (plan.newRoot != kDbNoPage)
        m_spec.root = plan.Resolve(plan.newRoot);
    m_spec.height = static_cast<uint8_t>(m_spec.height + plan.heightDelta);
    m_spec.innerCount =
        static_cast<uint32_t>(static_cast<int64_t>(m_spec.innerCount) + plan.innerDelta);
    for (PageRecord* rec : plan.pages)
        m_pages->ReleasePage(rec);
    plan.pages.clear();
}

bool CBTreeIndex::SplitLeafAndPut(std::vector<PathLevel>& path, PageRecord* leaf,
                                  const std::vector<uint8_t>& entry, uint32_t position,
                                  bool replace) {
    const NodeFormat fmt = Format();
    CNode node(leaf->data, fmt, true);
    const uint32_t count = node.Count();
    const uint32_t shift = replace ? 0 : 1; // entries after the new one moved by this
    const uint32_t total = count + shift;
    if (position >= total || (replace && position >= count))
        return false;
    // Offsets of the stored entries, then the byte totals of the entries as
    // they will be: the stored ones with the new entry in place.
    std::vector<uint32_t> at(count + 1);
    at[0] = kLeafHeader;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t size;
        if (!node.EntrySizeAt(at[i], &size))
            return false;
        at[i + 1] = at[i] + size;
    }
    auto stored = [&](uint32_t i) { return i < position ? i : i - shift; };
    auto entryData = [&](uint32_t i) {
        return i == position ? entry.data() : leaf->data + at[stored(i)];
    };
    std::vector<uint64_t> before(total + 1);
    for (uint32_t i = 0; i < total; ++i) {
        const uint32_t o = stored(i);
        before[i + 1] = before[i] + (i == position ? entry.size() : at[o + 1] - at[o]);
    }
    const uint32_t keep = ChooseLeafSplit(fmt, before.data(), total, position);
    if (keep == 0)
        return false;
    const uint32_t leafId = static_cast<uint32_t>(leaf->id);
    const uint32_t nextId = node.Next();
    PageRecord* next = nullptr;
    if (nextId != kDbNoPage) {
        if (!m_pages->IsValidPage(nextId) || !(next = m_pages->GetPage(nextId)))
            return false;
    }
    std::vector<uint8_t> separator;
    DbLocation copied;
    uint32_t copiedSize = 0;
    if (!LeafSeparator(entryData(keep - 1), entryData(keep), &separator, &copied, &copiedSize)) {
        m_pages->ReleasePage(next);
        return false;
    }
    // Usually the parent has room for one more separator and takes it in
    // place; only a full parent (or none) is planned as a change of the
    // inner levels.
    Plan plan;
    const uint32_t newLeaf = plan.Placeholder();
    bool planned = true, direct = false;
    if (path.empty()) {
        InnerImage root;
        root.leftmost = leafId;
        root.keys.push_back(separator);
        root.rights.push_back(newLeaf);
        plan.newRoot = plan.Placeholder();
        plan.innerDelta = 1;
        plan.heightDelta = 1;
        plan.writes.push_back(Plan::Write{nullptr, plan.newRoot, std::move(root)});
    } else {
        const PathLevel& up = path.back();
        CNode parent(up.record->data, fmt, false);
        const uint32_t keys = parent.Count();
        uint32_t end;
        if (up.child > keys || !parent.EntryEnd(&end)) {
            planned = false;
        } else if (keys + 1 < 0xFFFF &&
                   parent.Fits(keys + 1,
                               end + static_cast<uint32_t>(separator.size()) + kChildBytes)) {
            direct = true;
        } else {
            InnerImage image;
            planned = image.Decode(parent);
            if (planned) {
                image.InsertAfterChild(up.child, separator, newLeaf);
                planned = PlanInsertAbove(plan, path, static_cast<int>(path.size()) - 1,
                                          std::move(image), up.child);
            }
        }
    }
    if (!planned || !TakePlanPages(plan)) {
        if (copiedSize)
            m_pages->FreeRecord(copied, copiedSize);
        m_pages->ReleasePage(next);
        return false;
    }
    PageRecord* right = plan.pages[0];
    const uint32_t rightId = static_cast<uint32_t>(right->id);
    // The new leaf (a zero-filled page) takes the upper entries, copied as
    // runs from the stored ones before the old leaf is cut.
    uint8_t* out = right->data + kLeafHeader;
    auto copyStored = [&](uint32_t from, uint32_t to) {
        if (from < to) {
            std::memcpy(out, leaf->data + at[from], at[to] - at[from]);
            out += at[to] - at[from];
        }
    };
    if (position >= keep) {
        copyStored(keep, position);
        std::memcpy(out, entry.data(), entry.size());
        out += entry.size();
        copyStored(position + 1 - shift, count);
    } else {
        copyStored(keep - shift, count);
    }
    CNode rightNode(right->data, fmt, true);
    StoreU16(right->data, static_cast<uint16_t>(total - keep));
    rightNode.SetPrev(leafId);
    rightNode.SetNext(nextId);
    rightNode.WriteSlots();
    // The old leaf keeps the lower entries; its key directory changes only
    // from the cut (or the new entry) on.
    if (position >= keep) {
        node.Truncate(keep);
    } else {
        node.Truncate(keep - shift);
        if (replace)
            node.Remove(position);
        node.Insert(position, entry.data(), static_cast<uint32_t>(entry.size()));
    }
    node.SetNext(rightId);
    leaf->dirty = 1;
    right->dirty = 1;
    if (direct) {
        PathLevel& up = path.back();
        separator.resize(separator.size() + kChildBytes);
        StoreU32(separator.data() + separator.size() - kChildBytes, rightId);
        CNode(up.record->data, fmt, false)
            .Insert(up.child, separator.data(), static_cast<uint32_t>(separator.size()));
        up.record->dirty = 1;
    }
    if (next) {
        CNode(next->data, fmt, true).SetPrev(rightId);
        next->dirty = 1;
        m_pages->ReleasePage(next);
    }
    if (m_spec.lastLeaf == leafId)
        m_spec.lastLeaf = rightId;
    ++m_spec.leafCount;
    m_spec.outOfLineBytes += copiedSize;
    CommitPlan(plan, path);
    return true;
}

bool CBTreeIndex::ShiftToSiblingAndPut(std::vector<PathLevel>& path, PageRecord* leaf,
                                       const std::vector<uint8_t>& entry, uint32_t position,
                                       bool replace) {
    if (path.empty())
        return false;
    const NodeFormat fmt = Format();
    PathLevel& up = path.back();
    CNode parent(up.record->data, fmt, false);
    CNode node(leaf->data, fmt, true);
    const uint32_t keys = parent.Count(), d = up.child, count = node.Count();
    uint32_t parentEnd, leafEnd;
    if (d > keys || position + (replace ? 1 : 0) > count || !parent.EntryEnd(&parentEnd) ||
        !node.EntryEnd(&leafEnd))
        return false;
    uint32_t oldBytes = 0;
    if (replace) {
        const uint8_t* old;
        if (!node.EntryAt(position, &old, &oldBytes))
            return false;
    }
    const uint64_t leafBytes = leafEnd - kLeafHeader - oldBytes + entry.size();
    // Only a sibling with clearly more room is worth the move: one that is
    // nearly as full would send the next insertion here back to it.
    const uint32_t wanted =
        std::max<uint32_t>(fmt.pageSize / 16, 2 * static_cast<uint32_t>(entry.size()));
    for (int side = 0; side < 2; ++side) {
        const bool left = side == 0;
        if (left ? d == 0 : d == keys)
            continue;
        uint32_t siblingId;
        if (!parent.ChildAt(left ? d - 1 : d + 1, &siblingId) ||
            siblingId == static_cast<uint32_t>(leaf->id) || !m_pages->IsValidPage(siblingId))
            continue;
        PageRecord* sibling = m_pages->GetPage(siblingId);
        if (!sibling)
            continue;
        if (ShiftInto(path, leaf, sibling, left, entry, position, replace, leafBytes, wanted)) {
            m_pages->ReleasePage(sibling);
            return true;
        }
        m_pages->ReleasePage(sibling);
    }
    return false;
}

bool CBTreeIndex::ShiftInto(std::vector<PathLevel>& path, PageRecord* leaf, PageRecord* sibling,
                            bool siblingLeft, const std::vector<uint8_t>& entry, uint32_t position,
                            bool replace, uint64_t leafBytes, uint32_t wanted) {
    const NodeFormat fmt = Format();
    PathLevel& up = path.back();
    CNode parent(up.record->data, fmt, false);
    CNode node(leaf->data, fmt, true);
    CNode other(sibling->data, fmt, true);
    const uint32_t count = node.Count(), otherCount = other.Count();
    uint32_t otherEnd;
    if (!other.EntryEnd(&otherEnd) || otherEnd < kLeafHeader)
        return false;
    const uint64_t otherBytes = otherEnd - kLeafHeader;
    if (otherEnd + other.SlotBytes(otherCount) + wanted > fmt.pageSize)
        return false;
    // The entries of both leaves in key order, the new one in place: the
    // lower leaf's first, then the upper one's.
    struct Piece {
        const uint8_t* data;
        uint32_t size;
    };
    std::vector<Piece> all;
    all.reserve(count + otherCount + 1);
    auto addStored = [&](const CNode& n, uint32_t from, uint32_t to) {
        for (uint32_t i = from; i < to; ++i) {
            const uint8_t* e;
            uint32_t size;
            if (!n.EntryAt(i, &e, &size))
                return false;
            all.push_back(Piece{e, size});
        }
        return true;
    };
    auto addLeaf = [&]() {
        if (!addStored(node, 0, position))
            return false;
        all.push_back(Piece{entry.data(), static_cast<uint32_t>(entry.size())});
        return addStored(node, position + (replace ? 1 : 0), count);
    };
    if (siblingLeft ? !(addStored(other, 0, otherCount) && addLeaf())
                    : !(addLeaf() && addStored(other, 0, otherCount)))
        return false;
    const uint32_t total = static_cast<uint32_t>(all.size());
    std::vector<uint64_t> before(total + 1);
    for (uint32_t i = 0; i < total; ++i)
        before[i + 1] = before[i] + all[i].size;
    if (before[total] != leafBytes + otherBytes)
        return false;
    // The most even cut where both leaves fit, and which moves something.
    const uint32_t lowCount = siblingLeft ? otherCount : total - otherCount;
    uint64_t best = UINT64_MAX;
    uint32_t cut = 0;
    for (uint32_t k = 1; k < total; ++k) {
        if (siblingLeft ? k <= lowCount : k >= lowCount)
            continue;
        if (k > 0xFFFF || total - k > 0xFFFF ||
            kLeafHeader + before[k] + fmt.SlotBytes(true, k) > fmt.pageSize ||
            kLeafHeader + before[total] - before[k] + fmt.SlotBytes(true, total - k) > fmt.pageSize)
            continue;
        const uint64_t a = before[k], b = before[total] - before[k];
        const uint64_t diff = a > b ? a - b : b - a;
        if (diff < best) {
            best = diff;
            cut = k;
        }
    }
    if (cut == 0)
        return false;
    // The separator between the two leaves changes in place.
    const uint32_t sepIndex = siblingLeft ? up.child - 1 : up.child;
    const uint8_t* oldSep;
    uint32_t oldSepSize;
    uint32_t parentEnd;
    if (!parent.EntryAt(sepIndex, &oldSep, &oldSepSize) || oldSepSize <= kChildBytes ||
        !parent.EntryEnd(&parentEnd))
        return false;
    std::vector<uint8_t> separator;
    DbLocation copied;
    uint32_t copiedSize = 0;
    if (!LeafSeparator(all[cut - 1].data, all[cut].data, &separator, &copied, &copiedSize))
        return false;
    const uint32_t child = LoadU32(oldSep + oldSepSize - kChildBytes);
    const std::vector<uint8_t> oldKey(oldSep, oldSep + oldSepSize - kChildBytes);
    if (!parent.Fits(parent.Count(), parentEnd - oldSepSize +
                                         static_cast<uint32_t>(separator.size()) + kChildBytes)) {
        if (copiedSize)
            m_pages->FreeRecord(copied, copiedSize);
        return false;
    }
    // Both leaves are written from a copy: the pieces point into them.
    std::vector<uint8_t> bytes;
    bytes.reserve(before[total]);
    for (const Piece& p : all)
        bytes.insert(bytes.end(), p.data, p.data + p.size);
    PageRecord* low = siblingLeft ? sibling : leaf;
    PageRecord* high = siblingLeft ? leaf : sibling;
    auto fill = [&](PageRecord* rec, uint32_t from, uint32_t to) {
        uint8_t* data = rec->data;
        std::memset(data + kLeafHeader, 0, fmt.pageSize - kLeafHeader);
        std::memcpy(data + kLeafHeader, bytes.data() + before[from], before[to] - before[from]);
        StoreU16(data, static_cast<uint16_t>(to - from));
        CNode(data, fmt, true).WriteSlots();
        rec->dirty = 1;
    };
    fill(low, 0, cut);
    fill(high, cut, total);
    separator.resize(separator.size() + kChildBytes);
    StoreU32(separator.data() + separator.size() - kChildBytes, child);
    parent.Remove(sepIndex);
    parent.Insert(sepIndex, separator.data(), static_cast<uint32_t>(separator.size()));
    up.record->dirty = 1;
    m_spec.outOfLineBytes += copiedSize;
    FreeSeparator(oldKey);
    return true;
}

bool CBTreeIndex::Put(const DbBuffer& key, const DbBuffer& value) {
    SearchKey sk;
    if (readOnly || !Ready() || !EntryFits(key, value) || !MakeSearchKey(key, false, &sk))
        return false;
    CPageChanges changes(m_pages);
    const NodeFormat fmt = Format();
    std::vector<PathLevel> path;
    path.reserve(kMaxTreeHeight);
    PageRecord* leafRec;
    if (!Descend(sk, &path, &leafRec))
        return false;
    CNode leaf(leafRec->data, fmt, true);
    bool found = false;
    uint32_t pos = 0;
    auto finish = [&](bool result) {
        m_pages->ReleasePage(leafRec);
        ReleasePath(path);
        return result;
    };
    if (!FindSlot(leaf, sk, &found, &pos))
        return finish(false);
    if (found && fmt.keysOnly)
        return finish(true);

    // New out-of-line records are written before the tree changes; the old
    // value record is freed only once the new entry is in place.
    std::vector<uint8_t> entry;
    // One allocation: EntryFits has bounded both parts (a length byte each).
    entry.reserve(2 + (fmt.keysOut ? kDbLocationSize : key.length) +
                  (fmt.valuesOut ? kDbLocationSize : value.length));
    DbLocation keyLoc, valueLoc, oldValueLoc;
    uint32_t keySize = 0, valueSize = 0, oldValueSize = 0;
    auto undo = [&]() {
        if (keySize)
            m_pages->FreeRecord(keyLoc, keySize);
        if (valueSize)
            m_pages->FreeRecord(valueLoc, valueSize);
        return finish(false);
    };
    if (fmt.keysOut) {
        if (found) {
            const uint8_t* stored;
            uint32_t n;
            if (!leaf.KeyAt(pos, &stored, &n))
                return finish(false);
            keyLoc = DbLocation::Load(stored);
        } else if (!WriteItemRecord(key, m_spec.fixedKey, &keyLoc, &keySize)) {
            return finish(false);
        }
        entry.resize(kDbLocationSize);
        keyLoc.Store(entry.data());
    } else {
        if (m_spec.fixedKey == 0)
            entry.push_back(static_cast<uint8_t>(key.length));
        entry.insert(entry.end(), key.data, key.data + key.length);
    }
    if (!fmt.keysOnly) {
        if (fmt.valuesOut) {
            if (found) {
                const uint8_t* stored;
                uint32_t n;
                if (!leaf.ValueAt(pos, &stored, &n))
                    return undo();
                oldValueLoc = DbLocation::Load(stored);
                if (!RecordSize(oldValueLoc, m_spec.fixedValue, &oldValueSize))
                    return undo();
            }
            if (!WriteItemRecord(value, m_spec.fixedValue, &valueLoc, &valueSize))
                return undo();
            size_t at = entry.size();
            entry.resize(at + kDbLocationSize);
            valueLoc.Store(entry.data() + at);
        } else {
            if (m_spec.fixedValue == 0)
                entry.push_back(static_cast<uint8_t>(value.length));
            if (value.length)
                entry.insert(entry.end(), value.data, value.data + value.length);
        }
    }

    const uint32_t count = leaf.Count();
    uint32_t end, oldSize = 0, at;
    if (!leaf.EntryEnd(&end))
        return undo();
    if (found && (!leaf.EntryOffset(pos, &at) || !leaf.EntrySizeAt(at, &oldSize)))
        return undo();
    const uint32_t newCount = found ? count : count + 1;
    const uint32_t newEnd = end - oldSize + static_cast<uint32_t>(entry.size());
    if (newCount <= 0xFFFF && leaf.Fits(newCount, newEnd)) {
        if (found && !leaf.Remove(pos))
            return undo();
        if (!leaf.Insert(pos, entry.data(), static_cast<uint32_t>(entry.size())))
            return undo();
        leafRec->dirty = 1;
    } else if (!ShiftToSiblingAndPut(path, leafRec, entry, pos, found) &&
               !SplitLeafAndPut(path, leafRec, entry, pos, found)) {
        return undo();
    }
    if (!found)
        ++m_spec.count;
    m_spec.outOfLineBytes += keySize + valueSize;
    if (oldValueSize && m_pages->FreeRecord(oldValueLoc, oldValueSize))
        m_spec.outOfLineBytes -= std::min<uint64_t>(oldValueSize, m_spec.outOfLineBytes);
    return finish(true);
}
