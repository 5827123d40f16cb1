// Erasure from a CBTreeIndex. A leaf that becomes empty leaves the tree; its
// parent loses the child and a key beside it; a parent left with one child
// hands that child (and the key above it) to a sibling, splitting the sibling
// when it has no room; the height drops when the root keeps one child. The
// restructuring is planned on decoded nodes and written only once every page
// it needs is at hand.
#include <algorithm>
#include <memory>

#include "catalog/btree_plan.h"

bool CBTreeIndex::FreeSeparator(const std::vector<uint8_t>& key) {
    if (!m_spec.KeysOutOfLine() || key.size() != kDbLocationSize)
        return true;
    DbLocation loc = DbLocation::Load(key.data());
    uint32_t size;
    if (!RecordSize(loc, m_spec.fixedKey, &size) || !m_pages->FreeRecord(loc, size))
        return false;
    m_spec.outOfLineBytes -= std::min<uint64_t>(size, m_spec.outOfLineBytes);
    return true;
}

bool CBTreeIndex::CollapseAfterEmptyLeaf(std::vector<PathLevel>& path, PageRecord* leaf) {
    const NodeFormat fmt = Format();
    CNode leafNode(leaf->data, fmt, true);
    const uint32_t leafId = static_cast<uint32_t>(leaf->id);
    const uint32_t prevId = leafNode.Prev(), nextId = leafNode.Next();
    PageRecord *prev = nullptr, *next = nullptr;
    std::vector<PageRecord*> held; // siblings read for the plan
    auto fail = [&]() {
        m_pages->ReleasePage(prev);
        m_pages->ReleasePage(next);
        for (PageRecord* r : held)
            m_pages->ReleasePage(r);
        return false;
    };
    if (prevId != kDbNoPage &&
        (!m_pages->IsValidPage(prevId) || !(prev = m_pages->GetPage(prevId))))
        return fail();
    if (nextId != kDbNoPage &&
        (!m_pages->IsValidPage(nextId) || !(next = m_pages->GetPage(nextId))))
        return fail();

    Plan plan;
    std::vector<std::unique_ptr<InnerImage>> images(path.size());
    std::vector<size_t> freedLevels;
    std::vector<std::vector<uint8_t>> droppedKeys;
    auto imageAt = [&](size_t level) -> InnerImage* {
        if (!images[level]) {
            images[level].reset(new InnerImage());
            if (!images[level]->Decode(CNode(path[level].record->data, fmt, false)))
                return nullptr;
        }
        return images[level].get();
    };
    auto onPath = [&](uint32_t id) {
        if (id == leafId)
            return true;
        for (const PathLevel& p : path)
            if (static_cast<uint32_t>(p.record->id) == id)
                return true;
        return false;
    };

    size_t level = path.size() - 1;
    uint32_t d = path[level].child;
    bool keyMoved = false; // the key beside the removed child went down to a sibling
    for (;;) {
        InnerImage* node = imageAt(level);
        if (!node || d > node->keys.size())
            return fail();
        if (node->keys.size() >= 2) {
            std::vector<uint8_t> key = node->RemoveChild(d);
            if (!keyMoved)
                droppedKeys.push_back(std::move(key));
            plan.writes.push_back(Plan::Write{path[level].record, 0, std::move(*node)});
            break;
        }
        if (node->keys.size() != 1)
            return fail();
        const uint32_t survivor = d == 0 ? node->rights[0] : node->leftmost;
        if (!keyMoved)
            droppedKeys.push_back(node->keys[0]);
        freedLevels.push_back(level);
        --plan.innerDelta;
        if (level == 0) {
            plan.newRoot = survivor;
            plan.heightDelta = -1;
            break;
        }
        const size_t g = level - 1;
        InnerImage* parent = imageAt(g);
        const uint32_t f = path[g].child;
        if (!parent || parent->keys.empty() || f > parent->keys.size())
            return fail();
        const uint32_t siblingId = parent->Child(f > 0 ? f - 1 : 1);
        PageRecord* sibling = nullptr;
        if (!m_pages->IsValidPage(siblingId) || onPath(siblingId) ||
            !(sibling = m_pages->GetPage(siblingId)))
            return fail();
        held.push_back(sibling);
        InnerImage merged;
        if (!merged.Decode(CNode(sibling->data, fmt, false)))
            return fail();
        uint32_t insertedAt;
        if (f > 0) {
            merged.keys.push_back(parent->keys[f - 1]);
            merged.rights.push_back(survivor);
            insertedAt = static_cast<uint32_t>(merged.keys.size() - 1);
        } else {
            merged.keys.insert(merged.keys.begin(), parent->keys[0]);
            merged.rights.insert(merged.rights.begin(), merged.leftmost);
            merged.leftmost = survivor;
            insertedAt = 0;
        }
        if (merged.Fits(fmt)) {
            plan.writes.push_back(Plan::Write{sibling, 0, std::move(merged)});
            level = g;
            d = f;
            keyMoved = true;
            continue;
        }
        // The sibling is full: split it, and the parent takes the middle key
        // in place of the one that moved down.
        InnerImage left, right;
        std::vector<uint8_t> up;
        if (!SplitInnerImage(fmt, merged, insertedAt, &left, &up, &right))
            return fail();
        const uint32_t rightId = plan.Placeholder();
        ++plan.innerDelta;
        plan.writes.push_back(Plan::Write{sibling, 0, std::move(left)});
        plan.writes.push_back(Plan::Write{nullptr, rightId, std::move(right)});
        InnerImage updated = *parent;
        updated.RemoveChild(f);
        const uint32_t siblingAt = f > 0 ? f - 1 : 0;
        updated.InsertAfterChild(siblingAt, std::move(up), rightId);
        if (!PlanInsertAbove(plan, path, static_cast<int>(g), std::move(updated), siblingAt))
            return fail();
        break;
    }
    if (!TakePlanPages(plan))
        return fail();

    // Commit: unlink and free the leaf, write the planned nodes, free the
    // inner nodes that left the tree and the separators that were dropped.
    if (prev) {
        CNode(prev->data, fmt, true).SetNext(nextId);
        prev->dirty = 1;
        m_pages->ReleasePage(prev);
    } else {
        m_spec.firstLeaf = nextId;
    }
    if (next) {
        CNode(next->data, fmt, true).SetPrev(prevId);
        next->dirty = 1;
        m_pages->ReleasePage(next);
    } else {
        m_spec.lastLeaf = prevId;
    }
    DetachCursorsFrom(leafId);
    if (!m_pages->FreePage(leaf, freeToIndex))
        m_pages->ReleasePage(leaf);
    --m_spec.leafCount;
    CommitPlan(plan, path);
    for (size_t lvl : freedLevels) {
        if (!m_pages->FreePage(path[lvl].record, freeToIndex))
            m_pages->ReleasePage(path[lvl].record);
        path[lvl].record = nullptr;
    }
    for (PageRecord* r : held)
        m_pages->ReleasePage(r);
    for (const auto& key : droppedKeys)
        FreeSeparator(key);
    return true;
}

bool CBTreeIndex::Erase(const DbBuffer& key, bool keyIsLocation) {
    SearchKey sk;
    if (readOnly || !Ready() || !MakeSearchKey(key, keyIsLocation, &sk))
        return false;
    CPageChanges changes(m_pages);
    const NodeFormat fmt = Format();
    std::vector<PathLevel> path;
    PageRecord* leafRec;
    if (!Descend(sk, &path, &leafRec))
        return false;
    CNode leaf(leafRec->data, fmt, true);
    bool found = false;
    uint32_t pos = 0;
    if (!FindSlot(leaf, sk, &found, &pos) || !found) {
        m_pages->ReleasePage(leafRec);
        ReleasePath(path);
        return false;
    }
    // Learn the sizes of the records to free before anything changes.
    DbLocation keyLoc, valueLoc;
    uint32_t keySize = 0, valueSize = 0;
    bool ok = true;
    const uint8_t* stored;
    uint32_t n;
    if (fmt.keysOut) {
        ok = leaf.KeyAt(pos, &stored, &n);
        if (ok) {
            keyLoc = DbLocation::Load(stored);
            ok = RecordSize(keyLoc, m_spec.fixedKey, &keySize);
        }
    }
    if (ok && fmt.valuesOut) {
        ok = leaf.ValueAt(pos, &stored, &n);
        if (ok) {
            valueLoc = DbLocation::Load(stored);
            ok = RecordSize(valueLoc, m_spec.fixedValue, &valueSize);
        }
    }
    bool leafFreed = false;
    if (ok) {
        if (leaf.Count() > 1 || path.empty()) {
            ok = leaf.Remove(pos);
            leafRec->dirty = 1;
        } else {
            ok = CollapseAfterEmptyLeaf(path, leafRec);
            leafFreed = ok;
        }
    }
    if (!leafFreed)
        m_pages->ReleasePage(leafRec);
    ReleasePath(path);
    if (!ok)
        return false;
    if (m_spec.count > 0)
        --m_spec.count;
    if (keySize && m_pages->FreeRecord(keyLoc, keySize))
        m_spec.outOfLineBytes -= std::min<uint64_t>(keySize, m_spec.outOfLineBytes);
    if (valueSize && m_pages->FreeRecord(valueLoc, valueSize))
        m_spec.outOfLineBytes -= std::min<uint64_t>(valueSize, m_spec.outOfLineBytes);
    return true;
}
