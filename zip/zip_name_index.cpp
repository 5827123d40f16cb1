// The directory's name index: headers sorted by name for binary search.
#include <algorithm>
#include <cctype>
#include <utility>

#include "zip/zip_directory.h"
#include "zip/zip_path.h"
#include "zip/zip_platform.h"

namespace {

// The lower-casing of std::tolower, looked up: a large directory lowers
// millions of characters, and a call per character was most of the cost.
class CLowerTable {
public:
    CLowerTable() {
        for (int c = 0; c < 256; ++c)
            m_lower[c] = static_cast<char>(std::tolower(c));
    }
    char operator()(char c) const { return m_lower[static_cast<unsigned char>(c)]; }

private:
    char m_lower[256];
};

const CLowerTable& Lower() {
    static const CLowerTable table;
    return table;
}

} // namespace

size_t CZipDirectory::AppendNameKey(const CZipByteBuffer& name) {
    const size_t offset = m_nameKeys.size();
    m_nameKeys.append(reinterpret_cast<const char*>(name.Data()), name.Length());
    m_nameKeys.push_back('\0');
    if (!m_nameIndexCaseSensitive) {
        // The collating compare of these keys orders exactly as the
        // case-insensitive collating compare orders the names.
        const CLowerTable& lower = Lower();
        for (size_t i = offset; i + 1 < m_nameKeys.size(); ++i)
            m_nameKeys[i] = lower(m_nameKeys[i]);
    }
    return offset;
}

void CZipDirectory::BuildNameIndex(bool caseSensitive) {
    m_nameIndexCaseSensitive = caseSensitive;
    m_nameCompare = GetCompareFunction(caseSensitive, true);
    m_nameIndex.clear();
    m_nameKeys.clear();
    size_t keyBytes = 0;
    for (const auto& header : m_headers)
        keyBytes += header->FileNameBuffer().Length() + 1;
    m_nameKeys.reserve(keyBytes);
    m_nameIndex.reserve(m_headers.size());
    for (size_t i = 0; i < m_headers.size(); ++i) {
        m_nameIndex.push_back({AppendNameKey(m_headers[i]->FileNameBuffer()), m_headers[i].get(),
                               static_cast<uint16_t>(i)});
    }
    // Equal names keep their order in the directory: the entries are in that
    // order here, so their position breaks the tie.
    const ZipCompareFunction compare = GetCompareFunction(true, true);
    const char* keys = m_nameKeys.data();
    std::sort(m_nameIndex.begin(), m_nameIndex.end(),
              [compare, keys](const NameIndexEntry& a, const NameIndexEntry& b) {
                  const int r = compare(keys + a.keyOffset, keys + b.keyOffset);
                  return r != 0 ? r < 0 : a.index < b.index;
              });
    m_nameIndexOn = true;
}

// An added header has the highest index, so it goes after the names equal to
// it, as BuildNameIndex would place it.
void CZipDirectory::InsertIntoNameIndex(CZipEntryHeader* header, int index) {
    const size_t offset = AppendNameKey(header->FileNameBuffer());
    const ZipCompareFunction compare = GetCompareFunction(true, true);
    const char* key = m_nameKeys.data() + offset;
    const auto at = std::upper_bound(m_nameIndex.begin(), m_nameIndex.end(), key,
                                     [this, compare](const char* k, const NameIndexEntry& e) {
                                         return compare(k, NameKey(e)) < 0;
                                     });
    m_nameIndex.insert(at, {offset, header, static_cast<uint16_t>(index)});
}

int CZipDirectory::SearchNameIndex(const std::string& name) const {
    const ZipCompareFunction compare = GetCompareFunction(true, true);
    std::string key = name;
    if (!m_nameIndexCaseSensitive) {
        const CLowerTable& lower = Lower();
        for (char& c : key)
            c = lower(c);
    }
    int lo = 0, hi = static_cast<int>(m_nameIndex.size()) - 1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int r = compare(NameKey(m_nameIndex[static_cast<size_t>(mid)]), key.c_str());
        if (r == 0)
            return mid;
        if (r < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return -1;
}

void CZipDirectory::EnableNameIndex(bool on, bool caseSensitive) {
    if (on) {
        BuildNameIndex(caseSensitive);
    } else {
        m_nameIndex.clear();
        m_nameKeys.clear();
        m_nameIndexOn = false;
    }
}

int CZipDirectory::FindEntry(const std::string& name, bool caseSensitive, bool linear,
                             bool nameOnly) {
    if (!m_nameIndexOn)
        BuildNameIndex(linear ? !caseSensitive : caseSensitive);
    int found = -1;
    if (nameOnly) {
        for (size_t i = 0; i < m_nameIndex.size() && found < 0; ++i) {
            std::string entry = m_nameIndex[i].header->GetFileName();
            ZipStr::RemoveTrailingSeparators(entry);
            const std::string last = CZipPathParts(entry).GetFileName();
            if (m_nameCompare(last.c_str(), name.c_str()) == 0)
                found = static_cast<int>(i);
        }
    } else if (caseSensitive == m_nameIndexCaseSensitive) {
        found = SearchNameIndex(name);
    } else if (linear) {
        // A walk honours the rule asked for, whatever the index was built with.
        const ZipCompareFunction compare = GetCompareFunction(caseSensitive, true);
        for (size_t i = 0; i < m_nameIndex.size() && found < 0; ++i) {
            if (compare(m_nameIndex[i].header->GetFileName().c_str(), name.c_str()) == 0)
                found = static_cast<int>(i);
        }
    } else {
        BuildNameIndex(caseSensitive);
        found = SearchNameIndex(name);
    }
    return found < 0 ? -1 : m_nameIndex[static_cast<size_t>(found)].index;
}
