// CFileItemList: one list's source, items and the questions windows ask it.
#include "app/file_item_list.h"

#include <shlwapi.h>

#include <cstring>

#include "app/app_globals.h"
#include "app/application_state.h"
#include "app/archive_temp_folder.h"
#include "app/logic/archive_key.h"
#include "imaging/image_file_types.h"

namespace {

bool CopyOut(const char* text, char* out) {
    const size_t length = std::strlen(text);
    if (length >= MAX_PATH)
        return false;
    std::memcpy(out, text, length + 1);
    return true;
}

// Position of each image type's icon in the shared small icon list, which
// start-up fills in a fixed order after the three folder-tree roots: BMP,
// GIF, JPEG, PNG, ICO, PCD, PCX, PSD, PSP, RAS, WMF, EMF, TGA, TIFF, WBMP.
int TypeIconIndex(int type) {
    static const int kIndexByType[kLastImageFileType + 1] = {
        -1,         3 /*BMP*/,   14 /*EMF*/,  4 /*GIF*/,  6 /*PNG*/,  7 /*ICO*/,
        5 /*JPEG*/, 8 /*PCD*/,   9 /*PCX*/,   10 /*PSD*/, 11 /*PSP*/, 12 /*RAS*/,
        15 /*TGA*/, 16 /*TIFF*/, 17 /*WBMP*/, 13 /*WMF*/};
    return type >= kFirstImageFileType && type <= kLastImageFileType ? kIndexByType[type] : -1;
}

} // namespace

bool CArchiveLocation::SetFromKey(const char* key) {
    return SplitArchiveKey(key, &archivePath, &innerPath);
}

bool CArchiveLocation::Matches(const CArchiveLocation& other) const {
    return lstrcmpiA(archivePath.c_str(), other.archivePath.c_str()) == 0 &&
           lstrcmpiA(innerPath.c_str(), other.innerPath.c_str()) == 0;
}

CFileItemList::CFileItemList() : sortOrder(kSortAscending), sortBy(kSortByName) {}

CFileItemList::CFileItemList(int kind, const char* key) : m_kind(kind) {
    switch (kind) {
    case kListFolder:
        m_valid = key != nullptr && std::strlen(key) < MAX_PATH;
        if (m_valid)
            m_folder = key;
        break;
    case kListArchive:
        m_valid = m_archive.SetFromKey(key);
        break;
    case kListFavorites:
    case kListSearchResult:
        m_keyValue = reinterpret_cast<uintptr_t>(key);
        break;
    default:
        m_valid = false;
        break;
    }
}

CFileItemList::~CFileItemList() {
    if (m_archive.tempFolder)
        g_applicationState.ReleaseArchiveTempFolder(m_archive.tempFolder);
}

bool CFileItemList::IsValid() const {
    return m_valid;
}

bool CFileItemList::HasSource(int kind, const char* key) const {
    if (kind != m_kind || !m_valid)
        return false;
    switch (kind) {
    case kListFolder:
        return key && lstrcmpiA(m_folder.c_str(), key) == 0;
    case kListArchive: {
        CArchiveLocation wanted;
        return wanted.SetFromKey(key) && wanted.Matches(m_archive);
    }
    case kListFavorites:
    case kListSearchResult:
        return m_keyValue == reinterpret_cast<uintptr_t>(key);
    default:
        return false;
    }
}

int CFileItemList::AddRef() {
    return ++refCount;
}

int CFileItemList::Release() {
    const int remaining = --refCount;
    if (remaining == 0)
        delete this;
    return remaining;
}

void CFileItemList::RemoveAllItems() {
    m_items.RemoveAll();
}

bool CFileItemList::InsertItemCopy(const char* text, int index) {
    return m_items.InsertCopy(text, index);
}

bool CFileItemList::RemoveItem(int index) {
    return m_items.RemoveAt(index);
}

bool CFileItemList::GetItemPath(int index, char* path) const {
    const char* item = m_items.GetAt(index);
    if (!item || !path)
        return false;
    switch (m_kind) {
    case kListFolder: {
        if (m_folder.size() + std::strlen(item) + 2 > MAX_PATH)
            return false;
        return PathCombineA(path, m_folder.c_str(), item) != nullptr;
    }
    case kListArchive:
        return CopyOut(ArchiveItemPath(m_archive.archivePath, m_archive.innerPath, item).c_str(),
                       path);
    default:
        return CopyOut(item, path);
    }
}

bool CFileItemList::GetExtractedPath(int index, char* path) const {
    const char* item = m_items.GetAt(index);
    CArchiveTempFolder* temp = m_kind == kListArchive ? m_archive.tempFolder : nullptr;
    if (!item || !path || !temp)
        return false;
    const std::string entry = m_archive.innerPath + item;
    const std::string extracted = temp->tempFolder + "\\" + entry;
    if (!CopyOut(extracted.c_str(), path))
        return false;
    // The check and the extraction under the folder's lock: two threads
    // asking for one entry extract it once.
    plat::ScopedLock guard(temp->lock);
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return true;
    return g_applicationState.ExtractArchiveEntry(&temp->archive, entry.c_str(),
                                                  temp->tempFolder.c_str(), true, false);
}

bool CFileItemList::GetItemName(int index, char* name) const {
    const char* item = m_items.GetAt(index);
    if (!item || !name)
        return false;
    if (m_kind == kListFavorites || m_kind == kListSearchResult)
        item = PathFindFileNameA(item);
    return CopyOut(item, name);
}

int CFileItemList::GetItemIconIndex(int index) const {
    const char* item = m_items.GetAt(index);
    if (!item || !g_smallImageList)
        return -1;
    return TypeIconIndex(DetectImageFileType(item));
}

int CFileItemList::FindPath(const char* path) const {
    if (!path)
        return -1;
    if (m_kind != kListFolder)
        return m_items.Find(path);
    const char* name = PathFindFileNameA(path);
    if (name == path)
        return -1;
    // The folder part without its separator, compared with the list's folder.
    std::string folder(path, static_cast<size_t>(name - path));
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') &&
           !(folder.size() == 3 && folder[1] == ':'))
        folder.pop_back();
    std::string own = m_folder;
    while (own.size() > 1 && (own.back() == '\\' || own.back() == '/') &&
           !(own.size() == 3 && own[1] == ':'))
        own.pop_back();
    if (lstrcmpiA(folder.c_str(), own.c_str()) != 0)
        return -1;
    return m_items.Find(name);
}

int CFileItemList::FindItem(const char* text) const {
    return text ? m_items.Find(text) : -1;
}
