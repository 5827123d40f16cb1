// The application's cache of file item lists: lookup by source, the kept
// slot, release, refresh and the small services around the lists.
//
// The item-list lock guards the cache (which holds no references), the kept
// list (which holds one) and the reference counts of cached lists. A cached
// list leaves the cache only when its count reaches zero.
#include <windows.h>
#include <shlwapi.h>

#include <new>
#include <string>

#include "app/application_state.h"
#include "app/archive_temp_folder.h"
#include "app/collection_record.h"
#include "app/directory_watcher.h"
#include "app/file_item_list.h"
#include "app/item_list_internal.h"
#include "imaging/image_file_types.h"

namespace {

// Deepest folder nesting that CollectImagesRecursive descends into.
constexpr int kMaxCollectDepth = 64;

CFileItemList* FindCachedLocked(const std::vector<CFileItemList*>& cache, int kind,
                                const char* key) {
    for (CFileItemList* list : cache)
        if (list->HasSource(kind, key))
            return list;
    return nullptr;
}

// Drops one reference of a cached list; at zero it leaves the cache and is
// destroyed. The item-list lock is held.
void DropCachedLocked(std::vector<CFileItemList*>& cache, CFileItemList* list) {
    if (--list->refCount > 0)
        return;
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if (*it == list) {
            cache.erase(it);
            break;
        }
    }
    delete list;
}

void CollectInto(const std::string& folder, CFileItemList* list, int depth) {
    std::string pattern = folder;
    if (pattern.empty() || pattern.back() != '\\')
        pattern += '\\';
    const std::string prefix = pattern;
    pattern += '*';
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string path = prefix + data.cFileName;
        if (path.size() >= MAX_PATH)
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (lstrcmpA(data.cFileName, ".") == 0 || lstrcmpA(data.cFileName, "..") == 0)
                continue;
            // A junction or link may lead back up the tree: not followed.
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || depth >= kMaxCollectDepth)
                continue;
            CollectInto(path, list, depth + 1);
        } else if (DetectImageFileType(data.cFileName) != kFileTypeUnknown) {
            list->Lock();
            list->InsertItemCopy(path.c_str(), -1);
            list->Unlock();
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

} // namespace

CFileItemList* CApplicationState::GetFileItemList(int kind, const char* key) {
    plat::ScopedLock guard(itemListLock);
    if (CFileItemList* found = FindCachedLocked(itemListCache, kind, key)) {
        found->AddRef();
        return found;
    }
    CFileItemList* list = new (std::nothrow) CFileItemList(kind, key);
    if (!list)
        return nullptr;
    if (!list->IsValid()) {
        delete list;
        return nullptr;
    }
    list->cached = true;
    if (kind == kListArchive && !AttachArchive(list)) {
        delete list;
        return nullptr;
    }
    if (kind != kListSearchResult) {
        list->sortOrder = static_cast<int>(options.sortOrder);
        list->sortBy = static_cast<int>(options.sortBy);
        // The volume is watched before the folder is read: a file written in
        // between is then heard of rather than missed, and some systems
        // (Wine) report changes only in folders read under a watch.
        if (kind == kListFolder)
            DirectoryWatcher().WatchVolume(key);
        if (!FillFileItemList(list)) {
            delete list;
            return nullptr;
        }
    }
    itemListCache.push_back(list);
    return list;
}

CFileItemList* CApplicationState::FindFileItemList(int kind, const char* key) {
    plat::ScopedLock guard(itemListLock);
    CFileItemList* found = FindCachedLocked(itemListCache, kind, key);
    if (found)
        found->AddRef();
    return found;
}

CFileItemList* CApplicationState::NewSearchResultList() {
    uintptr_t number;
    {
        plat::ScopedLock guard(itemListLock);
        number = nextSearchResult++;
    }
    return GetFileItemList(kListSearchResult, reinterpret_cast<const char*>(number));
}

CFileItemList* CApplicationState::ListFirstItems(int kind, const char* key, int limit) {
    if (limit < 1)
        limit = 1;
    CFileItemList* list = new (std::nothrow) CFileItemList(kind, key);
    if (!list)
        return nullptr;
    if (!list->IsValid()) {
        delete list;
        return nullptr;
    }
    if (kind == kListArchive) {
        if (AttachArchive(list))
            ForEachArchiveEntry(*list->GetArchiveLocation(), limit,
                                [&](const std::string& name, const CZipEntryHeader&) {
                                    list->InsertItemCopy(name.c_str(), -1);
                                });
    } else if (kind == kListFolder) {
        char pattern[MAX_PATH];
        lstrcpynA(pattern, key, MAX_PATH);
        WIN32_FIND_DATAA data;
        HANDLE find =
            PathAppendA(pattern, "*") ? FindFirstFileA(pattern, &data) : INVALID_HANDLE_VALUE;
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    DetectImageFileType(data.cFileName) != kFileTypeUnknown)
                    list->InsertItemCopy(data.cFileName, -1);
            } while (list->GetItemCount() < limit && FindNextFileA(find, &data));
            FindClose(find);
        }
    } else if (kind == kListFavorites) {
        plat::ScopedLock guard(mainDbLock);
        CCollectionRecord record;
        if (LoadFavoritesRecord(databases, static_cast<int32_t>(list->GetKeyValue()), &record)) {
            const int examined = record.paths.GetCount() < limit ? record.paths.GetCount() : limit;
            for (int i = 0; i < examined; ++i)
                if (PathFileExistsA(record.paths.GetAt(i)))
                    list->InsertItemCopy(record.paths.GetAt(i), -1);
        }
    }
    // Search results have no source to read.
    return list;
}

bool CApplicationState::RefreshFileItemList(const char* folder) {
    CFileItemList* list = FindFileItemList(kListFolder, folder);
    if (!list)
        return false;
    const bool filled = FillFileItemList(list);
    if (filled)
        NotifyListChanged(list);
    // An internal hold: giving it back must not disturb the kept slot.
    ReleaseFileItemListHold(list);
    return filled;
}

void CApplicationState::NotifyListChanged(CFileItemList* list) {
    SendItemListChange(list, kListChangeRefilled, nullptr);
}

void CApplicationState::ReleaseFileItemList(CFileItemList* list) {
    if (list && !list->cached) {
        delete list;
        return;
    }
    plat::ScopedLock guard(itemListLock);
    CFileItemList* previous = keptItemList;
    // The caller's reference passes to the slot (null empties it).
    keptItemList = list;
    if (previous)
        DropCachedLocked(itemListCache, previous);
}

CFileItemList* CApplicationState::KeptItemList() {
    plat::ScopedLock guard(itemListLock);
    return keptItemList;
}

size_t CApplicationState::CachedItemListCount() {
    plat::ScopedLock guard(itemListLock);
    return itemListCache.size();
}

void ReleaseFileItemListHold(CFileItemList* list) {
    if (!list)
        return;
    if (!list->cached) {
        delete list;
        return;
    }
    plat::ScopedLock guard(g_applicationState.itemListLock);
    DropCachedLocked(g_applicationState.itemListCache, list);
}

void CApplicationState::CollectImagesRecursive(const char* folder, CFileItemList* list) {
    if (!folder || !list)
        return;
    CollectInto(folder, list, 0);
}

bool CApplicationState::AttachArchive(CFileItemList* list) {
    if (list->m_archive.tempFolder)
        return true;
    list->m_archive.tempFolder = GetArchiveTempFolder(list->m_archive.archivePath.c_str());
    return list->m_archive.tempFolder != nullptr;
}
