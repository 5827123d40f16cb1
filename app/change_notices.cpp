// The change notices: what happened to a file or folder reaches the cached
// lists, the image cache, the favorites records and, through WM_USER+7, the
// windows. The program's own file operations and the directory watcher both
// call them.
//
// Each notice takes its lists as holds under the item-list lock, edits a
// list only under that list's own lock, sends without any list lock held,
// and gives every hold back without touching the kept slot.
#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/collection_record.h"
#include "app/file_item_list.h"
#include "app/item_list_internal.h"
#include "imaging/image_file_types.h"
#include "imaging/image_object.h"

namespace {

bool IsImageName(const char* name) {
    return name && DetectImageFileType(name) != kFileTypeUnknown;
}

std::string Joined(const char* folder, const char* name) {
    char path[MAX_PATH];
    if (!folder || !name || !PathCombineA(path, folder, name))
        return std::string();
    return path;
}

bool SameFolder(const char* a, const char* b) {
    char left[MAX_PATH], right[MAX_PATH];
    lstrcpynA(left, a, MAX_PATH);
    lstrcpynA(right, b, MAX_PATH);
    PathRemoveBackslashA(left);
    PathRemoveBackslashA(right);
    return lstrcmpiA(left, right) == 0;
}

// Gives back every hold of a snapshot.
void ReleaseHolds(const std::vector<CFileItemList*>& lists) {
    for (CFileItemList* list : lists)
        ReleaseFileItemListHold(list);
}

} // namespace

std::vector<CFileItemList*> CApplicationState::HoldListsForFolder(const char* folder) {
    std::vector<CFileItemList*> held;
    plat::ScopedLock guard(itemListLock);
    for (CFileItemList* list : itemListCache) {
        const bool matches = list->IsFolderList()
                                 ? SameFolder(list->GetFolder(), folder)
                                 : list->IsFavoritesList() || list->IsSearchResultList();
        if (matches) {
            list->AddRef();
            held.push_back(list);
        }
    }
    return held;
}

std::vector<std::string> CApplicationState::CachedFolderPaths() {
    std::vector<std::string> folders;
    plat::ScopedLock guard(itemListLock);
    for (CFileItemList* list : itemListCache)
        if (list->IsFolderList())
            folders.push_back(list->GetFolder());
    return folders;
}

void CApplicationState::RefreshFolderListsUnder(const char* root) {
    const size_t length = std::strlen(root);
    for (const std::string& folder : CachedFolderPaths())
        if (folder.size() >= length &&
            CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, folder.c_str(),
                           static_cast<int>(length), root, static_cast<int>(length)) == CSTR_EQUAL)
            RefreshFileItemList(folder.c_str());
}

void CApplicationState::BeginFolderUpdate() {
    SendItemListChange(nullptr, kListChangeBatchBegin, nullptr);
}

void CApplicationState::EndFolderUpdate() {
    SendItemListChange(nullptr, kListChangeBatchEnd, nullptr);
}

void CApplicationState::OnFileAdded(int kind, const char* key, const char* item) {
    if (!IsImageName(item))
        return;
    CFileItemList* list = FindFileItemList(kind, key);
    if (!list)
        return;
    list->Lock();
    if (list->FindItem(item) < 0)
        list->InsertItemCopy(item, -1);
    list->Unlock();
    SendItemListChange(list, kListChangeAdded, item);
    ReleaseFileItemListHold(list);
}

void CApplicationState::OnFileRemoved(const char* folder, const char* name) {
    if (!IsImageName(name))
        return;
    const std::string path = Joined(folder, name);
    if (path.empty())
        return;
    ForgetCachedImagePath(path.c_str());
    const std::vector<CFileItemList*> lists = HoldListsForFolder(folder);
    for (CFileItemList* list : lists) {
        const char* item = list->IsFolderList() ? name : path.c_str();
        list->Lock();
        const int index = list->FindItem(item);
        if (index >= 0)
            list->RemoveItem(index);
        list->Unlock();
        if (index < 0)
            continue;
        if (list->IsFavoritesList()) {
            CCollectionRecord record(static_cast<int32_t>(list->GetKeyValue()));
            if (LoadFavoritesFolder(record) && record.RemovePath(path.c_str()))
                StoreFavorites(record);
        }
        SendItemListChange(list, kListChangeRemoved, name,
                           list->IsFolderList() ? nullptr : path.c_str());
    }
    ReleaseHolds(lists);
}

void CApplicationState::OnFavoriteRemoved(int32_t folderId, const char* path) {
    CFileItemList* list = FindFileItemList(
        kListFavorites, reinterpret_cast<const char*>(static_cast<intptr_t>(folderId)));
    if (!list)
        return;
    list->Lock();
    const int index = list->FindItem(path);
    if (index >= 0)
        list->RemoveItem(index);
    list->Unlock();
    SendItemListChange(list, kListChangeRemoved, path);
    ReleaseFileItemListHold(list);
}

void CApplicationState::OnFileRenamed(const char* folder, const char* oldName,
                                      const char* newName) {
    if (!IsImageName(oldName) && !IsImageName(newName))
        return;
    const std::string oldPath = Joined(folder, oldName), newPath = Joined(folder, newName);
    if (oldPath.empty() || newPath.empty())
        return;
    ForgetCachedImagePath(oldPath.c_str());
    // A rename that changes only letter case finds the old item under the
    // new name too: it is the same item, given its new spelling.
    const bool caseOnly = lstrcmpiA(oldName, newName) == 0;
    const std::vector<CFileItemList*> lists = HoldListsForFolder(folder);
    for (CFileItemList* list : lists) {
        const bool names = list->IsFolderList();
        const char* oldItem = names ? oldName : oldPath.c_str();
        const char* newItem = names ? newName : newPath.c_str();
        list->Lock();
        const int index = list->FindItem(oldItem);
        const bool renamed =
            index >= 0 && (caseOnly || list->FindItem(newItem) < 0) &&
            (IsImageName(newName) ? list->Items().SetAt(index, newItem) : list->RemoveItem(index));
        list->Unlock();
        if (!renamed)
            continue;
        if (list->IsFavoritesList()) {
            CCollectionRecord record(static_cast<int32_t>(list->GetKeyValue()));
            if (LoadFavoritesFolder(record)) {
                const int at = record.FindPath(oldPath.c_str());
                if (at >= 0 && record.paths.SetAt(at, newPath.c_str()))
                    StoreFavorites(record);
            }
        }
        if (IsImageName(newName))
            SendItemListChange(list, kListChangeRenamed, newItem);
        else // renamed to something that is not an image: it left the list
            SendItemListChange(list, kListChangeRemoved, oldName,
                               names ? nullptr : oldPath.c_str());
    }
    ReleaseHolds(lists);
}

void CApplicationState::OnFolderRenamed(const char* oldFolder, const char* newFolder) {
    CFileItemList* list = FindFileItemList(kListFolder, oldFolder);
    if (!list)
        return;
    {
        plat::ScopedLock guard(itemListLock);
        list->Lock();
        list->m_folder = newFolder;
        list->Unlock();
    }
    SendItemListChange(list, kListChangeFolderRenamed, nullptr);
    ReleaseFileItemListHold(list);
}

void CApplicationState::OnFolderRemoved(int kind, const char* key) {
    CFileItemList* list = FindFileItemList(kind, key);
    if (!list)
        return;
    SendItemListChange(list, kListChangeFolderRemoved, nullptr);
    ReleaseFileItemListHold(list);
}

void CApplicationState::OnFileModified(const char* folder, const char* name) {
    if (!IsImageName(name))
        return;
    const std::string path = Joined(folder, name);
    if (path.empty())
        return;
    plat::PathInfo info{};
    const bool known = plat::QueryPath(path.c_str(), &info) && info.exists;
    {
        plat::ScopedLock guard(imageLock);
        // The newest entry of that path (without case, as lookups are) that
        // knows its file time leaves the cache when the file changed.
        for (auto it = imageCache.rbegin(); it != imageCache.rend(); ++it) {
            CImageObject* image = *it;
            if (lstrcmpiA(image->path, path.c_str()) != 0 || image->fileTime == 0)
                continue;
            if (!known || image->fileTime != info.lastWriteTime)
                imageCache.erase(std::next(it).base());
            break;
        }
    }
    const std::vector<CFileItemList*> lists = HoldListsForFolder(folder);
    for (CFileItemList* list : lists) {
        const char* item = list->IsFolderList() ? name : path.c_str();
        list->Lock();
        const bool held = list->FindItem(item) >= 0;
        list->Unlock();
        if (held)
            SendItemListChange(list, kListChangeFileChanged, item);
    }
    ReleaseHolds(lists);
}

void CApplicationState::ClearResultList(uintptr_t number) {
    CFileItemList* list =
        FindFileItemList(kListSearchResult, reinterpret_cast<const char*>(number));
    if (!list)
        return;
    list->Lock();
    list->RemoveAllItems();
    list->sortOrder = 0;
    list->sortBy = 0;
    list->Unlock();
    SendItemListChange(list, kListChangeResultEmptied, nullptr);
    ReleaseFileItemListHold(list);
}

void CApplicationState::OnFolderPathRenamed(const char* oldFolder, const char* newFolder) {
    RenameFolderData(oldFolder, newFolder);
    OnFolderRenamed(oldFolder, newFolder);
    RenameInMyCollections(oldFolder, newFolder);
}
