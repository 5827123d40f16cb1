// Consistency check of an open database, used by the tests, the fuzz targets
// and the inspection tool. It walks the header's records, the catalogue, the
// free-page list and every named index, and reports each place where the file
// breaks the format's invariants:
//   - every page 1..count-1 is exactly one of: a record page, a node of one
//     index, or a free page (in the free-page index or the free cache);
//   - a record page's bytes in use equal the bytes of the live records in it;
//   - every tree has all leaves at its height, nodes within their bounds, keys
//     strictly ascending across the doubly linked leaf chain, and entry,
//     leaf, inner-node and out-of-line byte counts equal to its IndexSpec;
//   - the append location lies in a record page.
// Indexes that are open are checked with their in-memory descriptions, so the
// check sees exactly what the next flush would write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CIndexDatabase;

struct DbCheckResult {
    std::vector<std::string> problems; // empty when the file is consistent
    uint32_t pageCount = 0;
    uint32_t recordPages = 0;
    uint32_t nodePages = 0;
    uint32_t freePages = 0;
    uint32_t namedIndexes = 0;
    uint64_t entries = 0; // in the named indexes

    bool Ok() const { return problems.empty(); }
    std::string Summary() const;
};

DbCheckResult CheckDatabase(CIndexDatabase& db);
