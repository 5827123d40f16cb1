// A planned change of a B+-tree's inner levels: decoded node images to write,
// with placeholder ids for the new pages they need. Nothing is written until
// every new page has been taken (see btree_put.cpp and btree_erase.cpp).
#pragma once

#include <vector>

#include "catalog/btree_index.h"

struct CBTreeIndex::Plan {
    struct Write {
        PageRecord* record;   // an existing held node, or null for a new page
        uint32_t placeholder; // the new page when record is null
        InnerImage image;
    };
    std::vector<Write> writes;
    uint32_t newPages = 0;
    std::vector<PageRecord*> pages; // taken by TakePlanPages, in placeholder order
    std::vector<uint32_t> resolve;  // their ids
    uint32_t newRoot = kDbNoPage;   // an id or a placeholder
    int heightDelta = 0;
    int innerDelta = 0;

    uint32_t Placeholder() { return kPlaceholderBase + newPages++; }
    uint32_t Resolve(uint32_t id) const {
        return id >= kPlaceholderBase ? resolve[id - kPlaceholderBase] : id;
    }
};
