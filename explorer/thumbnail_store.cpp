#include "explorer/thumbnail_store.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/application_state.h"
#include "catalog/btree_index.h"
#include "imaging/byte_stream.h"

namespace {

// Guarded by the thumbnail lock.
int g_writers = 0;

int FindFolderId(const char* folder) {
    for (const CFolderSymbol& symbol : g_applicationState.FolderSymbols())
        if (lstrcmpiA(symbol.path.c_str(), folder) == 0)
            return symbol.id;
    return -1;
}

int AddFolderId(const char* folder) {
    CProgramDatabases& dbs = g_applicationState.Databases();
    const size_t length = std::strlen(folder);
    if (!dbs.folderSymbol || length == 0 || length > kMaxFolderSymbolPath)
        return -1;
    const std::vector<CFolderSymbol>& symbols = g_applicationState.FolderSymbols();
    const int id = symbols.empty() ? 0 : symbols.back().id + 1;
    if (id < 0 ||
        !dbs.folderSymbol->PutInt(id, DbBuffer::In(folder, static_cast<uint32_t>(length))))
        return -1;
    dbs.Main().Flush(false);
    g_applicationState.LoadFolderSymbols();
    return FindFolderId(folder);
}

} // namespace

bool MakeThumbnailKey(const char* folder, const char* name, bool addFolder, char* key) {
    if (!folder || !name || !key)
        return false;
    key[0] = '\0';
    plat::ScopedLock lock(g_applicationState.Databases().ThumbnailLock());
    int id = FindFolderId(folder);
    if (id < 0 && addFolder)
        id = AddFolderId(folder);
    if (id < 0)
        return false;
    const int written = std::snprintf(key, 256, "#%d#%s", id, name);
    return written > 0 && written < 256;
}

bool LookUpThumbnailRecord(const char* key, CByteStream* stream) {
    CProgramDatabases& dbs = g_applicationState.Databases();
    plat::ScopedLock lock(dbs.ThumbnailLock());
    if (!dbs.thumbnail || !stream || !stream->buffer)
        return false;
    DbBuffer value = DbBuffer::Out(stream->buffer, stream->capacity);
    // The length comes back whole even when the value is longer than the
    // buffer; such a record cannot be one this program wrote.
    if (!dbs.thumbnail->GetString(key, &value) || value.length > stream->capacity)
        return false;
    stream->size = value.length;
    stream->position = 0;
    return true;
}

bool StoreThumbnailRecord(const char* key, const CByteStream& stream) {
    CProgramDatabases& dbs = g_applicationState.Databases();
    plat::ScopedLock lock(dbs.ThumbnailLock());
    return dbs.thumbnail && dbs.thumbnail->PutString(key, DbBuffer::In(stream.buffer, stream.size));
}

void CThumbnailWriter::Begin() {
    if (m_holding)
        return;
    CProgramDatabases& dbs = g_applicationState.Databases();
    plat::ScopedLock lock(dbs.ThumbnailLock());
    m_holding = true;
    if (g_writers++ == 0)
        dbs.CreateThumbnailLockFile();
}

void CThumbnailWriter::End() {
    if (!m_holding)
        return;
    CProgramDatabases& dbs = g_applicationState.Databases();
    plat::ScopedLock lock(dbs.ThumbnailLock());
    m_holding = false;
    if (--g_writers == 0)
        dbs.RemoveThumbnailLockFile(); // flushes first; keeps the file when that fails
    else
        dbs.FlushThumbnailDatabase();
}

int ActiveThumbnailWriters() {
    plat::ScopedLock lock(g_applicationState.Databases().ThumbnailLock());
    return g_writers;
}
