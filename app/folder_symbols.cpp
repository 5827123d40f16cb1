#include "app/folder_symbols.h"

#include <cstring>

#include "catalog/btree_index.h"

namespace {
// Reads one entry at the cursor; false when it is damaged.
bool ReadEntry(CBTreeCursor* cursor, CFolderSymbol* entry) {
    uint8_t rawKey[4] = {};
    DbBuffer key = DbBuffer::Out(rawKey, sizeof rawKey);
    char path[kMaxFolderSymbolPath + 1] = {};
    DbBuffer value = DbBuffer::Out(path, kMaxFolderSymbolPath);
    // The lengths come back whole even when longer than the buffers.
    if (!cursor->GetKeyValue(&key, &value) || key.length != 4 || value.length == 0 ||
        value.length > kMaxFolderSymbolPath)
        return false;
    if (std::memchr(path, '\0', value.length))
        return false;
    entry->id = static_cast<int32_t>(LoadU32(rawKey));
    entry->path.assign(path, value.length);
    return true;
}
} // namespace

bool LoadFolderSymbols(CBTreeIndex* folderSymbol, std::vector<CFolderSymbol>* list) {
    if (!list)
        return false;
    list->clear();
    if (!folderSymbol)
        return false;
    CBTreeCursor* cursor = folderSymbol->NewCursor(false);
    if (!cursor)
        return false;
    bool ok = true;
    for (bool more = cursor->First(); more; more = cursor->Next()) {
        CFolderSymbol entry;
        if (ReadEntry(cursor, &entry))
            list->push_back(std::move(entry));
        else
            ok = false;
    }
    folderSymbol->ReleaseCursor(cursor);
    return ok;
}
