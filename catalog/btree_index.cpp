// CBTreeIndex: creation, key types and comparison, descent, lookups, the
// helpers for out-of-line records, and the typed forms. Insertion is in
// btree_put.cpp, erasure in btree_erase.cpp, cursors in btree_cursor.cpp.
#include "catalog/btree_index.h"

#include <algorithm>
#include <cstring>

namespace {

int32_t LoadInt(const uint8_t* p, uint32_t n) {
    uint8_t b[4] = {0, 0, 0, 0};
    std::memcpy(b, p, std::min<uint32_t>(n, 4));
    return static_cast<int32_t>(LoadU32(b));
}

int Sign(int64_t v) {
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

} // namespace

int DbCompareBytes(const uint8_t* a, uint32_t lengthA, const uint8_t* b, uint32_t lengthB) {
    const uint32_t m = std::min(lengthA, lengthB);
    if (m > 0) {
        if (int r = std::memcmp(a, b, m)) // unsigned byte order
            return r < 0 ? -1 : 1;
    }
    return Sign(static_cast<int64_t>(lengthA) - static_cast<int64_t>(lengthB));
}

// Integer keys compare as true signed or unsigned 32-bit values (a wrapping
// difference is no order: 0x7FFFFFFF < 0x80000000 < 0 < 0x7FFFFFFF).
int DbCompareSigned(const uint8_t* a, uint32_t lengthA, const uint8_t* b, uint32_t lengthB) {
    int32_t x = LoadInt(a, lengthA), y = LoadInt(b, lengthB);
    if (x != y)
        return x < y ? -1 : 1;
    return Sign(static_cast<int64_t>(lengthA) - static_cast<int64_t>(lengthB));
}

int DbCompareUnsigned(const uint8_t* a, uint32_t lengthA, const uint8_t* b, uint32_t lengthB) {
    uint32_t x = static_cast<uint32_t>(LoadInt(a, lengthA));
    uint32_t y = static_cast<uint32_t>(LoadInt(b, lengthB));
    if (x != y)
        return x < y ? -1 : 1;
    return Sign(static_cast<int64_t>(lengthA) - static_cast<int64_t>(lengthB));
}

uint32_t DbShortestPrefix(const uint8_t* a, uint32_t lengthA, const uint8_t* b, uint32_t lengthB) {
    uint32_t m = std::min(lengthA, lengthB);
    for (uint32_t i = 0; i < m; ++i)
        if (a[i] != b[i])
            return i + 1;
    return lengthA < lengthB ? lengthA + 1 : lengthA;
}

CBTreeIndex::~CBTreeIndex() {
    for (CBTreeCursor* c : m_cursors) {
        c->Reset();
        delete c;
    }
}

NodeFormat CBTreeIndex::Format() const {
    NodeFormat f;
    f.pageSize = m_pages ? m_pages->PageSize() : 0;
    f.keysOnly = m_spec.KeysOnly();
    f.keysOut = m_spec.KeysOutOfLine();
    f.valuesOut = !f.keysOnly && m_spec.ValuesOutOfLine();
    f.fixedKey = m_spec.fixedKey;
    f.fixedValue = f.keysOnly ? 0 : m_spec.fixedValue;
    f.innerKeyHasLength = m_prefix != nullptr;
    return f;
}

bool CBTreeIndex::InitNew(CPageFile* pages) {
    m_pages = pages;
    SetKeyType(kKeyTypeBytes);
    PageRecord* leaf = pages->NewPage(freeToIndex);
    if (!leaf) {
        m_pages = nullptr;
        return false;
    }
    NodeFormat fmt = Format();
    CNode node(leaf->data, fmt, true);
    node.SetPrev(kDbNoPage);
    node.SetNext(kDbNoPage);
    m_spec.root = m_spec.firstLeaf = m_spec.lastLeaf = static_cast<uint32_t>(leaf->id);
    m_spec.height = 0;
    m_spec.leafCount = 1;
    pages->ReleasePage(leaf);
    return true;
}

bool CBTreeIndex::CreateKeySet(CPageFile* pages, uint32_t fixedKey, bool keysOut) {
    if (m_pages || !pages || (!keysOut && fixedKey > kMaxInlineItem))
        return false;
    m_spec = IndexSpec{};
    m_spec.fixedKey = fixedKey;
    m_spec.flags = static_cast<uint8_t>(kIndexKeysOnly | (keysOut ? kIndexKeysOutOfLine : 0));
    return InitNew(pages);
}

bool CBTreeIndex::CreateKeyValue(CPageFile* pages, uint32_t fixedKey, bool keysOut,
                                 uint32_t fixedValue, bool valuesOut) {
    if (m_pages || !pages || (!keysOut && fixedKey > kMaxInlineItem))
        return false;
    if (!valuesOut && fixedValue > pages->PageSize() / 3)
        return false;
    m_spec = IndexSpec{};
    m_spec.fixedKey = fixedKey;
    m_spec.fixedValue = fixedValue;
    m_spec.flags = static_cast<uint8_t>((keysOut ? kIndexKeysOutOfLine : 0) |
                                        (valuesOut ? kIndexValuesOutOfLine : 0));
    return InitNew(pages);
}

bool CBTreeIndex::Load(CPageFile* pages, const uint8_t* spec) {
    if (m_pages || !pages)
        return false;
    IndexSpec s;
    s.Load(spec);
    const uint32_t count = pages->PageCount();
    bool ok = pages->IsValidPage(s.root) && pages->IsValidPage(s.firstLeaf) &&
              pages->IsValidPage(s.lastLeaf) && (s.flags & ~7u) == 0 &&
              s.height <= kMaxTreeHeight && s.height < 32 && (1ull << s.height) <= count &&
              s.leafCount >= 1 && static_cast<uint64_t>(s.leafCount) + s.innerCount < count &&
              (s.KeysOutOfLine() || s.fixedKey <= kMaxInlineItem) &&
              (s.KeysOnly() || s.ValuesOutOfLine() || s.fixedValue <= pages->PageSize() / 3) &&
              (s.height > 0 || (s.root == s.firstLeaf && s.root == s.lastLeaf));
    if (!ok)
        return false;
    m_spec = s;
    m_pages = pages;
    m_compare = nullptr;
    m_prefix = nullptr;
    uint8_t type = s.keyType;
    if (type == kKeyTypeBytes || type == kKeyTypeSigned || type == kKeyTypeUnsigned)
        SetKeyType(type);
    return true;
}

bool CBTreeIndex::SetKeyType(uint8_t type, DbCompareFn compare, DbPrefixFn prefix) {
    switch (type) {
    case kKeyTypeBytes:
        compare = DbCompareBytes;
        prefix = DbShortestPrefix;
        break;
    case kKeyTypeSigned:
        compare = DbCompareSigned;
        prefix = nullptr;
        break;
    case kKeyTypeUnsigned:
        compare = DbCompareUnsigned;
        prefix = nullptr;
        break;
    default:
        if (!compare)
            return false;
        break;
    }
    // Stored entries were ordered, and separators encoded, under the old type:
    // only an empty index may change either.
    bool populated = m_spec.count > 0 || m_spec.height > 0;
    bool encodingChanges = (m_prefix != nullptr) != (prefix != nullptr) && m_spec.fixedKey != 0;
    if (populated && (type != m_spec.keyType || (encodingChanges && m_compare != nullptr)))
        return false;
    m_spec.keyType = type;
    m_compare = compare;
    m_prefix = prefix;
    return true;
}

bool CBTreeIndex::EntryFits(const DbBuffer& key, const DbBuffer& value) const {
    if (!m_pages || key.length == 0 || (key.length > 0 && !key.data))
        return false;
    const IndexSpec& s = m_spec;
    if (s.fixedKey != 0 && key.length != s.fixedKey)
        return false;
    if (!s.KeysOutOfLine() && s.fixedKey == 0 && key.length > kMaxInlineItem)
        return false;
    if (s.KeysOutOfLine() && key.length > 0xFFFFFFFFu - 4)
        return false;
    uint64_t size = s.KeysOutOfLine() ? kDbLocationSize : s.fixedKey ? s.fixedKey : key.length + 1;
    if (!s.KeysOnly()) {
        if (value.length > 0 && !value.data)
            return false;
        if (s.fixedValue != 0 && value.length != s.fixedValue)
            return false;
        if (!s.ValuesOutOfLine() && s.fixedValue == 0 && value.length > kMaxInlineItem)
            return false;
        if (s.ValuesOutOfLine() && value.length > 0xFFFFFFFFu - 4)
            return false;
        size += s.ValuesOutOfLine() ? kDbLocationSize
                : s.fixedValue      ? s.fixedValue
                                    : value.length + 1;
    }
    return size <= m_pages->PageSize() / 3;
}

// ---- out-of-line records ----

bool CBTreeIndex::RecordLength(DbLocation loc, uint32_t fixed, uint32_t* length, DbLocation* data) {
    *data = loc;
    if (fixed != 0) {
        *length = fixed;
        return true;
    }
    uint8_t raw[4];
    if (!m_pages->ReadRecord(raw, 4, data, true))
        return false;
    uint32_t n = LoadU32(raw);
    // A length no record of this file (or this index) can have is damage.
    if (n > m_pages->MaxRecordBytes() || static_cast<uint64_t>(n) + 4 > m_spec.outOfLineBytes)
        return false;
    *length = n;
    return true;
}

bool CBTreeIndex::RecordSize(DbLocation loc, uint32_t fixed, uint32_t* size) {
    uint32_t n;
    DbLocation data;
    if (!RecordLength(loc, fixed, &n, &data))
        return false;
    *size = fixed != 0 ? fixed : n + 4;
    return true;
}

bool CBTreeIndex::WriteItemRecord(const DbBuffer& item, uint32_t fixed, DbLocation* loc,
                                  uint32_t* size) {
    if (fixed != 0) {
        *size = fixed;
        return m_pages->AllocateRecord(item.data, fixed, loc);
    }
    uint8_t raw[4];
    StoreU32(raw, item.length);
    if (!m_pages->AllocateRecord(raw, 4, loc))
        return false;
    DbLocation rest = m_pages->AppendLocation();
    if (!m_pages->AppendRecord(item.data, item.length, &rest)) {
        m_pages->FreeRecord(*loc, 4);
        return false;
    }
    *size = item.length + 4;
    return true;
}

bool CBTreeIndex::CopyItem(const uint8_t* stored, uint32_t length, bool outOfLine, uint32_t fixed,
                           DbBuffer* out) {
    if (!outOfLine) {
        out->length = out->offset < length ? length - out->offset : 0;
        uint32_t n = std::min(out->length, out->capacity);
        if (out->data && n > 0)
            std::memcpy(out->data, stored + out->offset, n);
        return true;
    }
    uint32_t total;
    DbLocation data;
    const DbLocation at = DbLocation::Load(stored);
    // The length comes first in the record: without a guess its page would
    // be read alone, then the rest. Items of an index tend to be alike.
    const bool whole = (out->data || out->capacity == kDbAllocate) && out->offset == 0;
    if (whole && m_lastItemBytes > 0) {
        const uint64_t want = std::min<uint64_t>(m_lastItemBytes, out->capacity) + 4;
        m_pages->Prefetch(at, want);
    }
    if (!RecordLength(at, fixed, &total, &data))
        return false;
    if (out->offset == 0)
        m_lastItemBytes = total;
    out->length = out->offset < total ? total - out->offset : 0;
    uint32_t n = out->length;
    if (out->capacity == kDbAllocate) {
        out->data = static_cast<uint8_t*>(std::malloc(std::max<uint32_t>(n, 1)));
        if (!out->data)
            return false;
    } else {
        n = std::min(n, out->capacity);
    }
    if (n == 0 || !out->data)
        return true;
    if (m_pages->ReadRecord(nullptr, out->offset, &data, true) &&
        m_pages->ReadRecord(out->data, n, &data, false))
        return true;
    if (out->capacity == kDbAllocate)
        DbBufferFree(*out); // the caller only frees what a successful read returned
    return false;
}

bool CBTreeIndex::ReadKeyOf(const CNode& leaf, uint32_t slot, DbBuffer* out) {
    const uint8_t* key;
    uint32_t length;
    if (!leaf.KeyAt(slot, &key, &length))
        return false;
    return CopyItem(key, length, m_spec.KeysOutOfLine(), m_spec.fixedKey, out);
}

bool CBTreeIndex::ReadValueOf(const CNode& leaf, uint32_t slot, DbBuffer* out) {
    if (m_spec.KeysOnly()) {
        out->length = 0;
        return true;
    }
    const uint8_t* value;
    uint32_t length;
    if (!leaf.ValueAt(slot, &value, &length))
        return false;
    return CopyItem(value, length, m_spec.ValuesOutOfLine(), m_spec.fixedValue, out);
}

// ---- comparison and descent ----

bool CBTreeIndex::MakeSearchKey(const DbBuffer& key, bool keyIsLocation, SearchKey* out) {
    if (!keyIsLocation) {
        if (key.length > 0 && !key.data)
            return false;
        out->data = key.data;
        out->length = key.length;
        return true;
    }
    if (!m_spec.KeysOutOfLine() || key.length != kDbLocationSize || !key.data)
        return false;
    out->isLocation = true;
    out->location = DbLocation::Load(key.data);
    return RecordLength(out->location, m_spec.fixedKey, &out->length, &out->recordData);
}

bool CBTreeIndex::CompareStoredRecord(const SearchKey& key, DbLocation stored, int* result) {
    uint32_t storedLength;
    DbLocation b;
    if (!RecordLength(stored, m_spec.fixedKey, &storedLength, &b))
        return false;
    constexpr uint32_t kPiece = 4096;
    const uint32_t m = std::min(key.length, storedLength);
    std::vector<uint8_t> pa(key.isLocation ? std::min(m, kPiece) : 0), pb(std::min(m, kPiece));
    DbLocation a = key.recordData;
    for (uint32_t done = 0; done < m;) {
        uint32_t k = std::min(m - done, kPiece);
        const uint8_t* left = key.data + done;
        if (key.isLocation) {
            if (!m_pages->ReadRecord(pa.data(), k, &a, true))
                return false;
            left = pa.data();
        }
        if (!m_pages->ReadRecord(pb.data(), k, &b, true))
            return false;
        int r = m_compare(left, k, pb.data(), k);
        if (r != 0) {
            *result = r;
            return true;
        }
        done += k;
    }
    *result = Sign(static_cast<int64_t>(key.length) - static_cast<int64_t>(storedLength));
    return true;
}

bool CBTreeIndex::CompareAt(const CNode& node, uint32_t slot, const SearchKey& key, int* result) {
    const uint8_t* stored;
    uint32_t length;
    if (!node.KeyAt(slot, &stored, &length))
        return false;
    if (!m_spec.KeysOutOfLine()) {
        *result = m_compare(key.data, key.length, stored, length);
        return true;
    }
    DbLocation loc = DbLocation::Load(stored);
    if (key.isLocation && loc == key.location) {
        *result = 0;
        return true;
    }
    return CompareStoredRecord(key, loc, result);
}

bool CBTreeIndex::FindSlot(const CNode& node, const SearchKey& key, bool* found, uint32_t* slot) {
    if (node.HasKeyDirectory() && !m_spec.KeysOutOfLine())
        return FindSlotByGroups(node, key, found, slot);
    uint32_t lo = 0, n = node.Count();
    while (n > 0) {
        uint32_t half = n / 2, mid = lo + half;
        int r;
        if (!CompareAt(node, mid, key, &r))
            return false;
        if (r == 0) {
            *found = true;
            *slot = mid;
            return true;
        }
        if (r < 0) {
            n = half;
        } else {
            lo = mid + 1;
            n = n - half - 1;
        }
    }
    *found = false;
    *slot = lo;
    return true;
}

bool CBTreeIndex::FindSlotByGroups(const CNode& node, const SearchKey& key, bool* found,
                                   uint32_t* slot) {
    const uint32_t count = node.Count();
    *found = false;
    // The first group whose first key is above the key.
    uint32_t lo = 0, n = (count + 3) / 4;
    while (n > 0) {
        const uint32_t half = n / 2, mid = lo + half;
        uint32_t off, length, size;
        const uint8_t* stored;
        if (!node.GroupOffset(mid, &off) || !node.KeyAtOffset(off, &stored, &length, &size))
            return false;
        const int r = m_compare(key.data, key.length, stored, length);
        if (r == 0) {
            *found = true;
            *slot = 4 * mid;
            return true;
        }
        if (r < 0) {
            n = half;
        } else {
            lo = mid + 1;
            n = n - half - 1;
        }
    }
    if (lo == 0) {
        *slot = 0;
        return true;
    }
    // The key lies after the first entry of group lo - 1: walk the rest.
    const uint32_t first = 4 * (lo - 1), last = std::min(first + 4, count);
    uint32_t off, length, size;
    const uint8_t* stored;
    if (!node.GroupOffset(lo - 1, &off) || !node.KeyAtOffset(off, &stored, &length, &size))
        return false;
    for (uint32_t i = first + 1; i < last; ++i) {
        off += size;
        if (!node.KeyAtOffset(off, &stored, &length, &size))
            return false;
        const int r = m_compare(key.data, key.length, stored, length);
        if (r <= 0) {
            *found = r == 0;
            *slot = i;
            return true;
        }
    }
    *slot = last;
    return true;
}

void CBTreeIndex::ReleasePath(std::vector<PathLevel>& path) {
    for (PathLevel& level : path)
        if (level.record)
            m_pages->ReleasePage(level.record);
    path.clear();
}

bool CBTreeIndex::Descend(const SearchKey& key, std::vector<PathLevel>* path, PageRecord** leaf) {
    const NodeFormat fmt = Format();
    uint32_t id = m_spec.root;
    uint32_t visited[kMaxTreeHeight + 1];
    for (uint32_t level = 0; level < m_spec.height; ++level) {
        visited[level] = id;
        PageRecord* rec = m_pages->GetPage(id);
        if (!rec)
            goto fail;
        CNode node(rec->data, fmt, false);
        bool found;
        uint32_t slot, child;
        bool ok = node.Count() > 0 && FindSlot(node, key, &found, &slot) &&
                  node.ChildAt(found ? slot + 1 : slot, &child) && m_pages->IsValidPage(child);
        for (uint32_t i = 0; ok && i <= level; ++i)
            ok = visited[i] != child; // a child that is an ancestor: the tree loops
        if (!ok) {
            m_pages->ReleasePage(rec);
            goto fail;
        }
        if (path)
            path->push_back(PathLevel{rec, found ? slot + 1 : slot});
        else
            m_pages->ReleasePage(rec);
        id = child;
    }
    *leaf = m_pages->GetPage(id);
    if (*leaf)
        return true;
fail:
    if (path)
        ReleasePath(*path);
    return false;
}

bool CBTreeIndex::Get(const DbBuffer& key, DbBuffer* value) {
    SearchKey sk;
    PageRecord* leaf;
    if (!Ready() || !MakeSearchKey(key, false, &sk) || !Descend(sk, nullptr, &leaf))
        return false;
    const NodeFormat fmt = Format();
    CNode node(leaf->data, fmt, true);
    bool found = false;
    uint32_t slot;
    bool ok = FindSlot(node, sk, &found, &slot) && found;
    if (ok && value)
        ok = ReadValueOf(node, slot, value);
    m_pages->ReleasePageCold(leaf);
    return ok;
}

bool CBTreeIndex::Contains(const DbBuffer& key) {
    return Get(key, nullptr);
}

bool CBTreeIndex::Update(const DbBuffer& key, const DbBuffer& value) {
    // Check first: the old entry stays untouched unless the new one can be
    // stored, and Put writes a new value record before freeing the old.
    if (!Ready() || !EntryFits(key, value) || !Contains(key))
        return false;
    return Put(key, value);
}

// ---- cursors ----

CBTreeCursor* CBTreeIndex::NewCursor(bool writable) {
    if (!m_pages)
        return nullptr;
    if (m_cursors.size() == m_cursors.capacity())
        m_cursors.reserve(std::max<size_t>(2, 2 * m_cursors.size()));
    CBTreeCursor* c = new CBTreeCursor(this, writable);
    m_cursors.push_back(c);
    return c;
}

bool CBTreeIndex::ReleaseCursor(CBTreeCursor* cursor) {
    auto it = std::find(m_cursors.begin(), m_cursors.end(), cursor);
    if (it == m_cursors.end())
        return false;
    cursor->Reset();
    delete cursor;
    m_cursors.erase(it);
    return true;
}

void CBTreeIndex::DetachCursorsFrom(uint32_t pageId) {
    for (CBTreeCursor* c : m_cursors)
        if (c->m_leaf && static_cast<uint32_t>(c->m_leaf->id) == pageId)
            c->Reset();
}
