// The folder-symbol list: a copy of the main database's index "FolderSymbol",
// which gives every folder that has attributes or thumbnails a 4-byte id.
//
// "FolderSymbol": key a 4-byte id (key type 2, ids start at 0), value the
// folder's path as stored, without terminator (values inline from schema 2,
// out of line below). A path is at most 259 bytes; a longer or empty value,
// or a key that is not 4 bytes, is damage and that entry is skipped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CBTreeIndex;

struct CFolderSymbol {
    int32_t id = -1;
    std::string path;
};

constexpr uint32_t kMaxFolderSymbolPath = 259;

// Rebuilds the list from the index in key order. False when the index is
// missing or could not be read through, or an entry was damaged; the list
// then holds the sound entries that were read.
bool LoadFolderSymbols(CBTreeIndex* folderSymbol, std::vector<CFolderSymbol>* list);
