// Favorites folders, My Collections, folder identifiers and the attributes
// of images and folders, kept in the main database.
//
// The database engine has no locks of its own, and these records are
// reached from the user-interface thread, the copy and move worker and the
// search thread: every main-database access here holds the main-database
// lock, and thumbnail-index changes the thumbnail lock inside it (never the
// other way round).
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <set>
#include <string>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/collection_record.h"
#include "app/file_item_list.h"
#include "app/item_list_internal.h"
#include "app/logic/image_attributes.h"
#include "catalog/index_database.h"
#include "imaging/byte_stream.h"
#include "imaging/image_file_types.h"

namespace {

// Deepest favorites tree that a delete walks; a stored tree that claims
// more (or loops back on itself) is damage and stops there.
constexpr int kMaxFavoritesDepth = 256;

std::string Lowered(const char* path) {
    std::string text = path ? path : "";
    if (!text.empty())
        CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

DbBuffer TextKey(const std::string& text) {
    return DbBuffer::In(text.data(), static_cast<uint32_t>(text.size()));
}

bool EqualPrefixNoCase(const char* a, const char* b, size_t length) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, static_cast<int>(length), b,
                          static_cast<int>(length)) == CSTR_EQUAL;
}

std::string FolderPart(const char* path) {
    char folder[MAX_PATH];
    lstrcpynA(folder, path, MAX_PATH);
    PathRemoveFileSpecA(folder);
    return folder;
}

// Walks the paths of a list of zero-terminated strings ended by an extra zero.
template <typename Use> void ForEachListedPath(const char* paths, Use&& use) {
    for (const char* p = paths; p && *p; p += std::strlen(p) + 1)
        use(p);
}

// Erases every key that begins with `prefix` (compared with case). The keys
// are gathered first and erased by name, so the walk never depends on where
// an erase leaves the cursor.
void ErasePrefixed(CBTreeIndex* index, const std::string& prefix) {
    if (!index)
        return;
    CBTreeCursor* cursor = index->NewCursor(false);
    if (!cursor)
        return;
    std::vector<std::string> doomed;
    std::vector<uint8_t> key(1024);
    cursor->SeekString(prefix.c_str());
    for (bool on = cursor->OnEntry(); on; on = cursor->Next()) {
        DbBuffer got = DbBuffer::Out(key.data(), static_cast<uint32_t>(key.size()));
        if (!cursor->GetKey(&got) || got.length > key.size())
            break;
        const std::string text(reinterpret_cast<const char*>(got.data), got.length);
        if (text.compare(0, prefix.size(), prefix) < 0)
            continue; // the seek stopped on the entry before the prefix
        if (text.compare(0, prefix.size(), prefix) != 0)
            break;
        doomed.push_back(text);
    }
    index->ReleaseCursor(cursor);
    for (const std::string& text : doomed)
        index->EraseString(text.c_str());
}

// String resource 136: "Favorite item %s already existed."
constexpr UINT kFavoriteExistedString = 136;

void ShowAlreadyInFavorites(const char* path) {
    char loaded[256];
    std::string text =
        LoadStringA(GetModuleHandleA(nullptr), kFavoriteExistedString, loaded, sizeof loaded) > 0
            ? loaded
            : "Favorite item %s already existed.";
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, path);
    MessageBoxA(GetFocus(), text.c_str(), "Favorites", MB_ICONINFORMATION);
}

} // namespace

bool CApplicationState::LoadFavoritesFolder(CCollectionRecord& record) {
    plat::ScopedLock guard(mainDbLock);
    return LoadFavoritesRecord(databases, record.key, &record);
}

bool CApplicationState::StoreFavorites(CCollectionRecord& record) {
    plat::ScopedLock guard(mainDbLock);
    return record.StoreFavorites(databases.Main(), databases.favorites);
}

bool CApplicationState::DeleteFavoritesTree(int32_t id, int depth) {
    if (id == 0 || depth > kMaxFavoritesDepth)
        return false; // the root is never deleted
    CCollectionRecord record(id);
    if (LoadFavoritesRecord(databases, id, &record)) {
        for (int32_t child : record.childKeys)
            if (child != id)
                DeleteFavoritesTree(child, depth + 1);
        CCollectionRecord parent(record.parentKey);
        if (record.parentKey != -1 && LoadFavoritesRecord(databases, record.parentKey, &parent)) {
            auto& keys = parent.childKeys;
            for (auto it = keys.begin(); it != keys.end();)
                it = *it == id ? keys.erase(it) : it + 1;
            parent.StoreFavorites(databases.Main(), databases.favorites);
        }
    }
    const bool erased = databases.favorites && databases.favorites->EraseInt(id);
    databases.Main().Flush();
    return erased;
}

bool CApplicationState::DeleteFavoritesFolder(int32_t id, bool ask) {
    if (id == 0)
        return false;
    if (ask && MessageBoxA(GetFocus(), "Are you sure you want to delete this favorites folder?",
                           "Confirmation", MB_ICONQUESTION | MB_OKCANCEL) != IDOK)
        return false;
    plat::ScopedLock guard(mainDbLock);
    return DeleteFavoritesTree(id, 0);
}

bool CApplicationState::AddToFavoritesFolder(const char* paths, int32_t id, int* added) {
    if (added)
        *added = 0;
    CCollectionRecord record(id);
    if (!LoadFavoritesFolder(record))
        return false;
    ForEachListedPath(paths, [&](const char* path) {
        if (DetectImageFileType(path) == kFileTypeUnknown)
            return;
        if (record.FindPath(path) >= 0) {
            ShowAlreadyInFavorites(path);
            return;
        }
        if (!record.AddPath(path))
            return;
        OnFileAdded(kListFavorites, reinterpret_cast<const char*>(static_cast<intptr_t>(id)), path);
        if (added)
            ++*added;
    });
    return StoreFavorites(record);
}

void CApplicationState::RemoveFromFavoritesFolder(int32_t id, const char* paths, bool ask) {
    if (ask && MessageBoxA(GetFocus(),
                           "Are you sure you want to delete Favorite(s)?\nDeleting items in "
                           "Favorites does not delete the original file.",
                           "Confirm Favorite Delete", MB_ICONQUESTION | MB_OKCANCEL) != IDOK)
        return;
    BeginFolderUpdate();
    HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    CCollectionRecord record(id);
    if (LoadFavoritesFolder(record)) {
        ForEachListedPath(paths, [&](const char* path) {
            if (record.RemovePath(path))
                OnFavoriteRemoved(id, path);
        });
        StoreFavorites(record);
    }
    EndFolderUpdate();
    SetCursor(cursor);
}

bool CApplicationState::MoveToFavoritesFolder(int32_t sourceId, int32_t targetId, const char* paths,
                                              bool copy) {
    CCollectionRecord source(sourceId), target(targetId);
    if (!LoadFavoritesFolder(source) || !LoadFavoritesFolder(target))
        return false;
    BeginFolderUpdate();
    ForEachListedPath(paths, [&](const char* path) {
        if (DetectImageFileType(path) == kFileTypeUnknown)
            return;
        if (target.FindPath(path) >= 0) {
            ShowAlreadyInFavorites(path);
            return;
        }
        target.AddPath(path);
        OnFileAdded(kListFavorites, reinterpret_cast<const char*>(static_cast<intptr_t>(targetId)),
                    path);
        if (!copy && source.RemovePath(path))
            OnFavoriteRemoved(sourceId, path);
    });
    StoreFavorites(source);
    StoreFavorites(target);
    EndFolderUpdate();
    return true;
}

bool CApplicationState::IsInMyCollections(const char* path) {
    const std::string key = Lowered(path);
    plat::ScopedLock guard(mainDbLock);
    return databases.collections && !key.empty() && databases.collections->Contains(TextKey(key));
}

bool CApplicationState::AddToMyCollections(const char* path, bool show) {
    if (!path || !PathFileExistsA(path)) {
        ShowMessageBox("Path doesn't exists", "Failed!", MB_ICONERROR);
        return false;
    }
    if (IsInMyCollections(path)) {
        ShowMessageBox("Path already existed in My Collections", "Failed!", MB_ICONERROR);
        return false;
    }
    const std::string key = Lowered(path);
    {
        plat::ScopedLock guard(mainDbLock);
        if (!databases.collections || !databases.collections->InsertKeyValue(TextKey(key)))
            return false;
        databases.Main().Flush();
    }
    // Showing it under the explorer's My Collections root is the explorer's
    // part once its folder tree exists; `show` asks for it.
    (void)show;
    return true;
}

bool CApplicationState::RemoveFromMyCollections(const char* path) {
    const std::string key = Lowered(path);
    plat::ScopedLock guard(mainDbLock);
    if (!databases.collections || key.empty() || !databases.collections->EraseKey(TextKey(key)))
        return false;
    databases.Main().Flush();
    return true;
}

bool CApplicationState::RenameInMyCollections(const char* oldPath, const char* newPath) {
    const std::string oldKey = Lowered(oldPath), newKey = Lowered(newPath);
    plat::ScopedLock guard(mainDbLock);
    if (!databases.collections || oldKey.empty() || newKey.empty() ||
        !databases.collections->EraseKey(TextKey(oldKey)))
        return false;
    databases.collections->InsertKeyValue(TextKey(newKey));
    databases.Main().Flush();
    return true;
}

int32_t CApplicationState::AddFolderSymbol(const char* path) {
    if (!path || !*path || std::strlen(path) > kMaxFolderSymbolPath)
        return -1;
    plat::ScopedLock guard(mainDbLock);
    CBTreeIndex* index = databases.folderSymbol;
    if (!index)
        return -1;
    int32_t id = 0;
    if (CBTreeCursor* cursor = index->NewCursor(false)) {
        if (cursor->Last()) {
            uint8_t raw[4] = {};
            DbBuffer key = DbBuffer::Out(raw, sizeof raw);
            if (cursor->GetKey(&key) && key.length == 4) {
                const int32_t largest = static_cast<int32_t>(raw[0] | raw[1] << 8 | raw[2] << 16 |
                                                             static_cast<uint32_t>(raw[3]) << 24);
                id = largest == INT32_MAX ? -1 : largest + 1;
            }
        }
        index->ReleaseCursor(cursor);
    }
    if (id < 0 || !index->PutInt(id, DbBuffer::In(path, static_cast<uint32_t>(std::strlen(path)))))
        return -1;
    ::LoadFolderSymbols(index, &folderSymbols);
    databases.Main().Flush();
    return id;
}

int32_t CApplicationState::FindFolderSymbol(const char* path) {
    if (!path)
        return -1;
    plat::ScopedLock guard(mainDbLock);
    for (const CFolderSymbol& symbol : folderSymbols)
        if (lstrcmpiA(symbol.path.c_str(), path) == 0)
            return symbol.id;
    return -1;
}

bool CApplicationState::MakeAttributesKey(const char* path, std::string* key) {
    if (!path || !key)
        return false;
    const int32_t id = FindFolderSymbol(FolderPart(path).c_str());
    if (id < 0)
        return false;
    *key = FileAttributesKey(id, PathFindFileNameA(path));
    return true;
}

bool CApplicationState::ResolveAttributesKey(const char* key, std::string* path) {
    int32_t id;
    std::string name;
    if (!key || !path || !ParseAttributesKey(key, &id, &name))
        return false;
    plat::ScopedLock guard(mainDbLock);
    for (const CFolderSymbol& symbol : folderSymbols) {
        if (symbol.id == id) {
            char full[MAX_PATH];
            lstrcpynA(full, symbol.path.c_str(), MAX_PATH);
            if (!name.empty() && !PathAppendA(full, name.c_str()))
                return false;
            *path = full;
            return true;
        }
    }
    return false;
}

void CApplicationState::DeleteFolderData(const char* path) {
    if (!path || !*path)
        return;
    plat::ScopedLock guard(mainDbLock);
    const std::vector<CFolderSymbol> symbols = folderSymbols;
    for (const CFolderSymbol& symbol : symbols) {
        if (!PathIsAtOrBelow(path, symbol.path, EqualPrefixNoCase))
            continue;
        const std::string prefix = FolderAttributesKey(symbol.id);
        ErasePrefixed(databases.imageProperties, prefix);
        {
            plat::ScopedLock thumbs(databases.ThumbnailLock());
            ErasePrefixed(databases.thumbnail, prefix);
        }
        if (databases.folderSymbol)
            databases.folderSymbol->EraseInt(symbol.id);
    }
    ::LoadFolderSymbols(databases.folderSymbol, &folderSymbols);
    databases.Main().Flush();
}

void CApplicationState::RenameFolderData(const char* oldPath, const char* newPath) {
    if (!oldPath || !*oldPath || !newPath || !*newPath || !databases.folderSymbol)
        return;
    plat::ScopedLock guard(mainDbLock);
    const std::string from = oldPath;
    for (const CFolderSymbol& symbol : std::vector<CFolderSymbol>(folderSymbols)) {
        if (!PathIsAtOrBelow(from, symbol.path, EqualPrefixNoCase))
            continue;
        const std::string renamed = newPath + symbol.path.substr(from.size());
        if (renamed.size() > kMaxFolderSymbolPath)
            continue;
        databases.folderSymbol->PutInt(
            symbol.id, DbBuffer::In(renamed.data(), static_cast<uint32_t>(renamed.size())));
    }
    ::LoadFolderSymbols(databases.folderSymbol, &folderSymbols);
    databases.Main().Flush();
}

bool CApplicationState::ReadAttributesRecord(const std::string& key, CImageAttributes* attributes) {
    if (!databases.imageProperties)
        return false;
    DbBuffer value = DbBuffer::Out(nullptr, kDbAllocate);
    if (!databases.imageProperties->GetString(key.c_str(), &value) || !value.data)
        return false;
    CByteStream stream;
    stream.AttachReadOnly(value.data, value.length);
    const bool ok = attributes->Load(&stream);
    DbBufferFree(value);
    return ok;
}

bool CApplicationState::WriteAttributesRecord(const std::string& key,
                                              const CImageAttributes& attributes) {
    CByteStream stream;
    if (!databases.imageProperties || !attributes.Store(&stream))
        return false;
    const bool ok =
        databases.imageProperties->PutString(key.c_str(), DbBuffer::In(stream.buffer, stream.size));
    return databases.Main().Flush() && ok;
}

int32_t CApplicationState::FolderIdFor(const char* folder, bool make) {
    int32_t id = FindFolderSymbol(folder);
    if (id < 0 && make)
        id = AddFolderSymbol(folder);
    return id;
}

bool CApplicationState::LoadFolderAttributes(CImageAttributes& attributes) {
    plat::ScopedLock guard(mainDbLock);
    const int32_t id = FindFolderSymbol(attributes.path.c_str());
    if (id < 0)
        return true; // a folder without an id has no attributes yet
    return ReadAttributesRecord(FolderAttributesKey(id), &attributes);
}

bool CApplicationState::SaveFolderAttributes(const CImageAttributes& attributes) {
    plat::ScopedLock guard(mainDbLock);
    const int32_t id = FolderIdFor(attributes.path.c_str(), true);
    return id >= 0 && WriteAttributesRecord(FolderAttributesKey(id), attributes);
}

bool CApplicationState::LoadImageAttributes(CImageAttributes& attributes) {
    plat::ScopedLock guard(mainDbLock);
    std::string key;
    return MakeAttributesKey(attributes.path.c_str(), &key) &&
           ReadAttributesRecord(key, &attributes);
}

bool CApplicationState::SaveImageAttributes(const CImageAttributes& attributes) {
    plat::ScopedLock guard(mainDbLock);
    const int32_t id = FolderIdFor(FolderPart(attributes.path.c_str()).c_str(), true);
    return id >= 0 &&
           WriteAttributesRecord(FileAttributesKey(id, PathFindFileNameA(attributes.path.c_str())),
                                 attributes);
}

bool CApplicationState::DeleteImageAttributes(const char* path) {
    plat::ScopedLock guard(mainDbLock);
    std::string key;
    if (!MakeAttributesKey(path, &key))
        return false;
    {
        plat::ScopedLock thumbs(databases.ThumbnailLock());
        if (databases.thumbnail)
            databases.thumbnail->EraseString(key.c_str());
    }
    if (databases.imageProperties)
        databases.imageProperties->EraseString(key.c_str());
    databases.Main().Flush();
    return true;
}

bool CApplicationState::MoveImageAttributes(const char* oldPath, const char* newPath, bool copy) {
    plat::ScopedLock guard(mainDbLock);
    std::string oldKey;
    if (!MakeAttributesKey(oldPath, &oldKey))
        return false;
    const int32_t id = FolderIdFor(FolderPart(newPath).c_str(), true);
    if (id < 0)
        return false;
    const std::string newKey = FileAttributesKey(id, PathFindFileNameA(newPath));
    CImageAttributes record;
    if (oldKey != newKey && ReadAttributesRecord(oldKey, &record) &&
        (copy ||
         (databases.imageProperties && databases.imageProperties->EraseString(oldKey.c_str()))))
        WriteAttributesRecord(newKey, record);
    databases.Main().Flush();
    if (!copy) {
        // The thumbnail is made again for the new path.
        plat::ScopedLock thumbs(databases.ThumbnailLock());
        if (databases.thumbnail)
            databases.thumbnail->EraseString(oldKey.c_str());
    }
    return true;
}
