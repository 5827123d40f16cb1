#include "catalog/db_checker.h"

#include <cstdarg>
#include <cstdio>
#include <functional>

#include "catalog/index_database.h"

namespace {

constexpr size_t kMaxProblems = 64;
constexpr uint32_t kMaxKeyBytesChecked = 1u << 20;

enum EOwner : uint8_t { kNobody, kHeaderPage, kRecordPage, kNodePage, kFreePage };

struct KeyBytes {
    bool known = false; // false: no bound / not comparable
    std::vector<uint8_t> bytes;
};

class CChecker {
public:
    CChecker(CIndexDatabase& db, DbCheckResult& out)
        : m_db(db), m_pages(db.Pages()), m_out(out), m_count(db.Pages().PageCount()),
          m_owner(m_count, kNobody), m_recordBytes(m_count, 0) {}

    void Run();

private:
    using LeafKeyFn =
        std::function<void(const std::vector<uint8_t>& key, const CNode& leaf, uint32_t slot)>;

    void Problem(const char* format, ...);
    void Claim(uint32_t page, EOwner owner, const char* what);
    bool MarkRecord(DbLocation loc, uint64_t n, const char* what);
    bool ReadRecordBytes(DbLocation loc, uint32_t fixed, std::vector<uint8_t>* bytes,
                         uint32_t* size);
    void CheckTree(const std::string& label, const IndexSpec& spec, const NodeFormat& fmt,
                   DbCompareFn compare, const LeafKeyFn& onKey);
    void Walk(uint32_t page, uint32_t depth, const KeyBytes& lo, const KeyBytes& hi);
    bool KeyOf(const CNode& node, uint32_t slot, KeyBytes* key);
    int Compare(const KeyBytes& a, const KeyBytes& b) const;

    CIndexDatabase& m_db;
    CPageFile& m_pages;
    DbCheckResult& m_out;
    uint32_t m_count;
    std::vector<uint8_t> m_owner;
    std::vector<uint64_t> m_recordBytes;

    // State of the tree being walked.
    std::string m_label;
    IndexSpec m_spec;
    NodeFormat m_fmt;
    DbCompareFn m_compare = nullptr;
    const LeafKeyFn* m_onKey = nullptr;
    std::vector<uint32_t> m_leaves;
    uint64_t m_entries = 0, m_inner = 0, m_outOfLine = 0;
    KeyBytes m_lastKey;
    uint32_t m_page = 0; // the node being read
};

void CChecker::Problem(const char* format, ...) {
    if (m_out.problems.size() >= kMaxProblems)
        return;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_out.problems.push_back(text);
}

void CChecker::Claim(uint32_t page, EOwner owner, const char* what) {
    if (page >= m_count) {
        Problem("%s: page %u is past the page count %u", what, page, m_count);
        return;
    }
    uint8_t& slot = m_owner[page];
    if (slot == kNobody || (slot == kRecordPage && owner == kRecordPage)) {
        slot = owner;
        return;
    }
    Problem("%s: page %u is already used (%u) and claimed again (%u)", what, page, slot, owner);
}

bool CChecker::MarkRecord(DbLocation loc, uint64_t n, const char* what) {
    const uint32_t ds = m_pages.DataSize();
    if (n == 0)
        return true;
    if (!m_pages.IsValidPage(loc.page) || loc.offset > ds) {
        Problem("%s: record location (%u,%u) is invalid", what, loc.page, loc.offset);
        return false;
    }
    uint32_t page = loc.page, off = loc.offset;
    uint64_t done = 0;
    for (uint32_t hops = 0; hops <= m_count; ++hops) {
        uint64_t take = std::min<uint64_t>(ds - off, n - done);
        if (take > 0) {
            Claim(page, kRecordPage, what);
            if (page < m_count)
                m_recordBytes[page] += take;
        }
        done += take;
        if (done == n)
            return true;
        PageRecord* r = m_pages.GetPage(page);
        if (!r) {
            Problem("%s: record page %u cannot be read", what, page);
            return false;
        }
        uint32_t next = CPageFile::NextPageOf(r);
        m_pages.ReleasePage(r);
        if (!m_pages.IsValidPage(next)) {
            Problem("%s: record continues to invalid page %u", what, next);
            return false;
        }
        page = next;
        off = 0;
    }
    Problem("%s: record chain loops", what);
    return false;
}

bool CChecker::ReadRecordBytes(DbLocation loc, uint32_t fixed, std::vector<uint8_t>* bytes,
                               uint32_t* size) {
    DbLocation at = loc;
    uint32_t n = fixed;
    if (fixed == 0) {
        uint8_t raw[4];
        if (!m_pages.ReadRecord(raw, 4, &at, true))
            return false;
        n = LoadU32(raw);
        if (n > m_pages.MaxRecordBytes())
            return false;
    }
    *size = fixed != 0 ? fixed : n + 4;
    if (!bytes)
        return true;
    if (n > kMaxKeyBytesChecked)
        return false;
    bytes->resize(n);
    return m_pages.ReadRecord(bytes->data(), n, &at, false);
}

int CChecker::Compare(const KeyBytes& a, const KeyBytes& b) const {
    return m_compare(a.bytes.data(), static_cast<uint32_t>(a.bytes.size()), b.bytes.data(),
                     static_cast<uint32_t>(b.bytes.size()));
}

bool CChecker::KeyOf(const CNode& node, uint32_t slot, KeyBytes* key) {
    const uint8_t* stored;
    uint32_t length;
    key->known = false;
    if (!node.KeyAt(slot, &stored, &length)) {
        Problem("%s: page %u entry %u is damaged", m_label.c_str(), static_cast<unsigned>(0), slot);
        return false;
    }
    if (!m_fmt.keysOut) {
        key->bytes.assign(stored, stored + length);
        key->known = true;
        return true;
    }
    DbLocation loc = DbLocation::Load(stored);
    uint32_t size = 0;
    std::vector<uint8_t> bytes;
    bool read = ReadRecordBytes(loc, m_spec.fixedKey, &bytes, &size);
    if (size == 0 && !ReadRecordBytes(loc, m_spec.fixedKey, nullptr, &size)) {
        Problem("%s: key record at (%u,%u) cannot be read", m_label.c_str(), loc.page, loc.offset);
        return false;
    }
    MarkRecord(loc, size, m_label.c_str());
    m_outOfLine += size;
    if (read) {
        key->bytes = std::move(bytes);
        key->known = true;
    }
    return true;
}

void CChecker::Walk(uint32_t page, uint32_t depth, const KeyBytes& lo, const KeyBytes& hi) {
    const char* label = m_label.c_str();
    if (!m_pages.IsValidPage(page)) {
        Problem("%s: node id %u is invalid", label, page);
        return;
    }
    if (m_owner[page] != kNobody) {
        Problem("%s: node page %u is used twice", label, page);
        return;
    }
    Claim(page, kNodePage, label);
    m_page = page;
    PageRecord* rec = m_pages.GetPage(page);
    if (!rec) {
        Problem("%s: node page %u cannot be read", label, page);
        return;
    }
    const bool leaf = depth == m_spec.height;
    CNode node(rec->data, m_fmt, leaf);
    const uint32_t count = node.Count();
    uint32_t end;
    if (!node.EntryEnd(&end))
        Problem("%s: node %u has damaged entries (count %u)", label, page, count);
    auto inBounds = [&](const KeyBytes& k, bool inner) {
        if (!m_compare || !k.known)
            return;
        if (lo.known && Compare(k, lo) < 0)
            Problem("%s: key in %s %u is below its lower bound", label, inner ? "node" : "leaf",
                    page);
        if (hi.known && (inner ? Compare(k, hi) > 0 : Compare(k, hi) >= 0))
            Problem("%s: key in %s %u is not below its upper bound", label, inner ? "node" : "leaf",
                    page);
    };
    if (leaf) {
        m_leaves.push_back(page);
        if (count == 0 && page != m_spec.root)
            Problem("%s: non-root leaf %u is empty", label, page);
        for (uint32_t i = 0; i < count; ++i) {
            KeyBytes key;
            if (!KeyOf(node, i, &key))
                break;
            inBounds(key, false);
            if (m_compare && key.known && m_lastKey.known && Compare(m_lastKey, key) >= 0)
                Problem("%s: keys out of order in leaf %u at entry %u", label, page, i);
            if (key.known)
                m_lastKey = key;
            if (m_fmt.valuesOut) {
                const uint8_t* v;
                uint32_t n, size;
                if (node.ValueAt(i, &v, &n) &&
                    ReadRecordBytes(DbLocation::Load(v), m_spec.fixedValue, nullptr, &size)) {
                    MarkRecord(DbLocation::Load(v), size, label);
                    m_outOfLine += size;
                } else {
                    Problem("%s: value record of leaf %u entry %u cannot be read", label, page, i);
                }
            }
            if (*m_onKey && key.known)
                (*m_onKey)(key.bytes, node, i);
            ++m_entries;
        }
        m_pages.ReleasePage(rec);
        return;
    }
    ++m_inner;
    if (count == 0)
        Problem("%s: inner node %u has no key", label, page);
    std::vector<KeyBytes> keys(count);
    std::vector<uint32_t> children(count + 1, kDbNoPage);
    m_page = page;
    for (uint32_t i = 0; i < count; ++i) {
        if (!KeyOf(node, i, &keys[i]))
            break;
        inBounds(keys[i], true);
        if (i > 0 && m_compare && keys[i].known && keys[i - 1].known &&
            Compare(keys[i - 1], keys[i]) >= 0)
            Problem("%s: separators out of order in node %u", label, page);
    }
    for (uint32_t i = 0; i <= count; ++i)
        if (!node.ChildAt(i, &children[i]))
            Problem("%s: child %u of node %u is damaged", label, i, page);
    m_pages.ReleasePage(rec); // keep few pages held during the descent
    for (uint32_t i = 0; i <= count; ++i) {
        if (children[i] == kDbNoPage)
            continue;
        Walk(children[i], depth + 1, i == 0 ? lo : keys[i - 1], i == count ? hi : keys[i]);
    }
}

void CChecker::CheckTree(const std::string& label, const IndexSpec& spec, const NodeFormat& fmt,
                         DbCompareFn compare, const LeafKeyFn& onKey) {
    m_label = label;
    m_spec = spec;
    m_fmt = fmt;
    m_compare = compare;
    m_onKey = &onKey;
    m_leaves.clear();
    m_entries = m_inner = m_outOfLine = 0;
    m_lastKey = KeyBytes();
    const char* l = m_label.c_str();
    if (spec.height > kMaxTreeHeight) {
        Problem("%s: height %u is impossible", l, spec.height);
        return;
    }
    Walk(spec.root, 0, KeyBytes(), KeyBytes());
    // The leaf chain must link the leaves in tree order, both ways.
    for (size_t i = 0; i < m_leaves.size(); ++i) {
        PageRecord* rec = m_pages.GetPage(m_leaves[i]);
        if (!rec)
            continue;
        CNode node(rec->data, m_fmt, true);
        uint32_t wantPrev = i == 0 ? kDbNoPage : m_leaves[i - 1];
        uint32_t wantNext = i + 1 == m_leaves.size() ? kDbNoPage : m_leaves[i + 1];
        if (node.Prev() != wantPrev || node.Next() != wantNext)
            Problem("%s: leaf %u links to %u/%u instead of %u/%u", l, m_leaves[i], node.Prev(),
                    node.Next(), wantPrev, wantNext);
        m_pages.ReleasePage(rec);
    }
    if (!m_leaves.empty() &&
        (spec.firstLeaf != m_leaves.front() || spec.lastLeaf != m_leaves.back()))
        Problem("%s: first/last leaf %u/%u, tree has %u/%u", l, spec.firstLeaf, spec.lastLeaf,
                m_leaves.front(), m_leaves.back());
    if (spec.count != m_entries)
        Problem("%s: %u entries recorded, %llu found", l, spec.count,
                static_cast<unsigned long long>(m_entries));
    if (spec.leafCount != m_leaves.size() || spec.innerCount != m_inner)
        Problem("%s: %u leaves and %u inner nodes recorded, %zu and %llu found", l, spec.leafCount,
                spec.innerCount, m_leaves.size(), static_cast<unsigned long long>(m_inner));
    if (spec.outOfLineBytes != m_outOfLine)
        Problem("%s: %llu out-of-line bytes recorded, %llu found", l,
                static_cast<unsigned long long>(spec.outOfLineBytes),
                static_cast<unsigned long long>(m_outOfLine));
}

NodeFormat FormatFor(const IndexSpec& spec, uint32_t pageSize, bool hasPrefix) {
    NodeFormat f;
    f.pageSize = pageSize;
    f.keysOnly = spec.KeysOnly();
    f.keysOut = spec.KeysOutOfLine();
    f.valuesOut = !f.keysOnly && spec.ValuesOutOfLine();
    f.fixedKey = spec.fixedKey;
    f.fixedValue = f.keysOnly ? 0 : spec.fixedValue;
    f.innerKeyHasLength = hasPrefix;
    return f;
}

DbCompareFn BuiltinCompare(uint8_t type) {
    switch (type) {
    case kKeyTypeBytes:
        return DbCompareBytes;
    case kKeyTypeSigned:
        return DbCompareSigned;
    case kKeyTypeUnsigned:
        return DbCompareUnsigned;
    default:
        return nullptr;
    }
}

void CChecker::Run() {
    m_out.pageCount = m_count;
    if (m_count == 0) {
        Problem("the database is not open");
        return;
    }
    const uint32_t ps = m_pages.PageSize();
    m_owner[0] = kHeaderPage;
    MarkRecord(m_db.CatalogSpecLocation(), kIndexSpecSize, "catalogue description");
    MarkRecord(m_db.FreeSpecLocation(), kIndexSpecSize, "free-page index description");
    if (!m_db.UserDataLocation().IsNone()) {
        uint32_t size;
        if (ReadRecordBytes(m_db.UserDataLocation(), 0, nullptr, &size))
            MarkRecord(m_db.UserDataLocation(), size, "user data");
        else
            Problem("user data record cannot be read");
    }

    // Catalogue: collect the named indexes.
    struct Named {
        std::string name;
        DbLocation loc;
    };
    std::vector<Named> named;
    CBTreeIndex* catalog = m_db.Catalog();
    LeafKeyFn onCatalog = [&](const std::vector<uint8_t>& key, const CNode& leaf, uint32_t slot) {
        const uint8_t* v;
        uint32_t n;
        if (leaf.ValueAt(slot, &v, &n) && n == kDbLocationSize)
            named.push_back(Named{std::string(key.begin(), key.end()), DbLocation::Load(v)});
    };
    CheckTree("catalogue", catalog->Spec(), FormatFor(catalog->Spec(), ps, true), DbCompareBytes,
              onCatalog);

    // Free pages: the free-page index (from memory, or from the file when
    // the database is read-only) and the free cache.
    IndexSpec freeSpec;
    if (CBTreeIndex* fi = m_db.FreeIndex()) {
        freeSpec = fi->Spec();
    } else {
        uint8_t raw[kIndexSpecSize];
        DbLocation loc = m_db.FreeSpecLocation();
        if (m_pages.ReadRecord(raw, kIndexSpecSize, &loc, false))
            freeSpec.Load(raw);
    }
    std::vector<uint32_t> freeIds;
    LeafKeyFn onFree = [&](const std::vector<uint8_t>& key, const CNode&, uint32_t) {
        if (key.size() == 4)
            freeIds.push_back(LoadU32(key.data()));
    };
    if (freeSpec.root != kDbNoPage)
        CheckTree("free-page index", freeSpec, FormatFor(freeSpec, ps, false), DbCompareUnsigned,
                  onFree);
    if (CFreePageList* list = m_db.FreeList())
        for (uint32_t id : list->Cached())
            freeIds.push_back(id);
    for (uint32_t id : freeIds) {
        if (id == 0 || id >= m_count)
            Problem("free page id %u is out of range", id);
        else
            Claim(id, kFreePage, "free page");
    }

    LeafKeyFn none = nullptr;
    for (const Named& n : named) {
        std::string label = "index '" + n.name + "'";
        MarkRecord(n.loc, kIndexSpecSize, label.c_str());
        CBTreeIndex* open = nullptr;
        for (CBTreeIndex* idx : m_db.OpenIndexes())
            if (idx->name == n.name)
                open = idx;
        IndexSpec spec;
        DbCompareFn compare;
        bool prefix;
        if (open) {
            if (open->specLocation != n.loc)
                Problem("%s: open object describes another location", label.c_str());
            spec = open->Spec();
            compare = open->CompareFunction();
            prefix = open->Format().innerKeyHasLength;
        } else {
            uint8_t raw[kIndexSpecSize];
            DbLocation loc = n.loc;
            if (!m_pages.ReadRecord(raw, kIndexSpecSize, &loc, false)) {
                Problem("%s: description cannot be read", label.c_str());
                continue;
            }
            spec.Load(raw);
            compare = BuiltinCompare(spec.keyType);
            prefix = spec.keyType == kKeyTypeBytes;
        }
        ++m_out.namedIndexes;
        CheckTree(label, spec, FormatFor(spec, ps, prefix), compare, none);
        m_out.entries += m_entries;
    }

    for (uint32_t page = 1; page < m_count; ++page) {
        switch (m_owner[page]) {
        case kNobody:
            Problem("page %u is neither a record page, a node nor free", page);
            break;
        case kRecordPage: {
            ++m_out.recordPages;
            PageRecord* r = m_pages.GetPage(page);
            if (!r) {
                Problem("record page %u cannot be read", page);
                break;
            }
            uint32_t inUse = CPageFile::BytesInUse(r);
            m_pages.ReleasePage(r);
            if (inUse != m_recordBytes[page])
                Problem("record page %u counts %u bytes in use, records hold %llu", page, inUse,
                        static_cast<unsigned long long>(m_recordBytes[page]));
            break;
        }
        case kNodePage:
            ++m_out.nodePages;
            break;
        case kFreePage:
            ++m_out.freePages;
            break;
        }
    }
    DbLocation append = m_pages.AppendLocation();
    if (!append.IsNone() && (append.page >= m_count || m_owner[append.page] != kRecordPage)) {
        Problem("append location page %u is not a record page", append.page);
    } else if (!append.IsNone() && m_recordBytes[append.page] > append.offset) {
        // Live bytes past the location: it is stale (a flush cut short).
        Problem("append location (%u,%u) lies before %llu live bytes of its page", append.page,
                append.offset, static_cast<unsigned long long>(m_recordBytes[append.page]));
    }
}

} // namespace

std::string DbCheckResult::Summary() const {
    char text[256];
    std::snprintf(text, sizeof text,
                  "%u pages: %u record, %u node, %u free; %u named indexes, %llu entries; %zu "
                  "problem(s)",
                  pageCount, recordPages, nodePages, freePages, namedIndexes,
                  static_cast<unsigned long long>(entries), problems.size());
    return text;
}

DbCheckResult CheckDatabase(CIndexDatabase& db) {
    DbCheckResult result;
    if (!db.IsOpen()) {
        result.problems.push_back("the database is not open");
        return result;
    }
    CChecker(db, result).Run();
    return result;
}
