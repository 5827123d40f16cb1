// The directory's name index: headers sorted by name for binary search.
#include <algorithm>
#include <cctype>
#include <utility>

#include "zip/zip_directory.h"
#include "zip/zip_path.h"
#include "zip/zip_platform.h"

namespace {

// What the index sorts by: the name, lower-cased when case is ignored. The
// collating compare of these keys orders exactly as the case-insensitive
// collating compare orders the names.
std::string IndexKey(const std::string& name, bool caseSensitive) {
    std::string key = name;
    if (!caseSensitive)
        for (char& c : key)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

} // namespace

void CZipDirectory::BuildNameIndex(bool caseSensitive) {
    m_nameIndexCaseSensitive = caseSensitive;
    m_nameCompare = GetCompareFunction(caseSensitive, true);
    m_nameIndex.clear();
    m_nameIndex.reserve(m_headers.size());
    for (size_t i = 0; i < m_headers.size(); ++i) {
        const std::string& name = m_headers[i]->GetFileName();
        m_nameIndex.push_back(
            {name, IndexKey(name, caseSensitive), m_headers[i].get(), static_cast<uint16_t>(i)});
    }
    // Equal names keep their order in the directory.
    const ZipCompareFunction compare = GetCompareFunction(true, true);
    std::stable_sort(m_nameIndex.begin(), m_nameIndex.end(),
                     [compare](const NameIndexEntry& a, const NameIndexEntry& b) {
                         return compare(a.key.c_str(), b.key.c_str()) < 0;
                     });
    m_nameIndexOn = true;
}

// An added header has the highest index, so it goes after the names equal to
// it, as the stable sort of BuildNameIndex would place it.
void CZipDirectory::InsertIntoNameIndex(CZipEntryHeader* header, int index) {
    const std::string& name = header->GetFileName();
    NameIndexEntry entry{name, IndexKey(name, m_nameIndexCaseSensitive), header,
                         static_cast<uint16_t>(index)};
    const ZipCompareFunction compare = GetCompareFunction(true, true);
    const auto at = std::upper_bound(m_nameIndex.begin(), m_nameIndex.end(), entry,
                                     [compare](const NameIndexEntry& a, const NameIndexEntry& b) {
                                         return compare(a.key.c_str(), b.key.c_str()) < 0;
                                     });
    m_nameIndex.insert(at, std::move(entry));
}

int CZipDirectory::SearchNameIndex(const std::string& name) const {
    const ZipCompareFunction compare = GetCompareFunction(true, true);
    const std::string key = IndexKey(name, m_nameIndexCaseSensitive);
    int lo = 0, hi = static_cast<int>(m_nameIndex.size()) - 1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int r = compare(m_nameIndex[static_cast<size_t>(mid)].key.c_str(), key.c_str());
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
            std::string entry = m_nameIndex[i].name;
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
            if (compare(m_nameIndex[i].name.c_str(), name.c_str()) == 0)
                found = static_cast<int>(i);
        }
    } else {
        BuildNameIndex(caseSensitive);
        found = SearchNameIndex(name);
    }
    return found < 0 ? -1 : m_nameIndex[static_cast<size_t>(found)].index;
}
