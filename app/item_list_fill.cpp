// Filling and sorting a file item list through a temporary sort database.
//
// The items are gathered from the list's source, one sort key each (see
// app/logic/sort_keys.h for the layouts), inserted into an index named
// "Sort" of a database in a temporary file with the prefix "tvq", and read
// back in key order (backward for a descending list). The temporary file is
// deleted before the fill returns.
#include <windows.h>
#include <shlwapi.h>

#include <functional>
#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/archive_temp_folder.h"
#include "app/collection_record.h"
#include "app/file_item_list.h"
#include "app/item_list_internal.h"
#include "app/logic/sort_keys.h"
#include "catalog/index_database.h"
#include "imaging/byte_stream.h"
#include "imaging/image_file_types.h"

namespace {

// Key type of the sort index: any type other than the built-in 1-3 makes the
// index use the compare and separator functions installed here.
constexpr uint8_t kSortKeyType = 16;
// Keys up to this length can live in the index pages; longer ones (long
// names with a prefix, long paths) make the index keep its keys out of line.
constexpr size_t kMaxInlineKey = 255;

// The user's locale order of two names, as -1, 0 or 1.
int LocaleCompareNames(const char* a, int lengthA, const char* b, int lengthB) {
    if (lengthA == 0 || lengthB == 0)
        return (lengthA > 0) - (lengthB > 0);
    const int r = CompareStringA(LOCALE_USER_DEFAULT, 0, a, lengthA, b, lengthB);
    return r == CSTR_LESS_THAN ? -1 : (r == CSTR_GREATER_THAN ? 1 : 0);
}

template <int SortBy>
int CompareKeys(const uint8_t* a, uint32_t lengthA, const uint8_t* b, uint32_t lengthB) {
    return CompareSortKeys(SortBy, a, lengthA, b, lengthB, LocaleCompareNames);
}

template <int SortBy>
uint32_t SeparatorLength(const uint8_t* a, uint32_t lengthA, const uint8_t* b, uint32_t lengthB) {
    return SortKeySeparatorLength(SortBy, a, lengthA, b, lengthB, LocaleCompareNames);
}

struct SortFunctions {
    DbCompareFn compare;
    DbPrefixFn separator;
};

SortFunctions FunctionsFor(int sortBy) {
    switch (sortBy) {
    case kSortBySize:
        return {CompareKeys<2>, SeparatorLength<2>};
    case kSortByType:
        return {CompareKeys<3>, SeparatorLength<3>};
    case kSortByDate:
        return {CompareKeys<4>, SeparatorLength<4>};
    default:
        return {CompareKeys<1>, SeparatorLength<1>};
    }
}

uint64_t Join64(DWORD high, DWORD low) {
    return (static_cast<uint64_t>(high) << 32) | low;
}

// Size and last-write time of a file named by its full path; 0 when unknown.
void FileFacts(const char* path, uint64_t* size, uint64_t* time) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        *size = Join64(data.nFileSizeHigh, data.nFileSizeLow);
        *time = Join64(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    } else {
        *size = *time = 0;
    }
}

class CKeyGatherer {
public:
    explicit CKeyGatherer(int sortBy) : m_sortBy(sortBy) {}
    void Add(const char* text, uint64_t size, uint64_t time) {
        std::vector<uint8_t> key;
        if (EncodeSortKey(m_sortBy, size, DetectImageFileType(text), time, text, &key))
            m_keys.push_back(std::move(key));
    }
    const std::vector<std::vector<uint8_t>>& Keys() const { return m_keys; }
    bool NeedsKeysOutOfLine() const {
        for (const auto& key : m_keys)
            if (key.size() > kMaxInlineKey)
                return true;
        return false;
    }

private:
    int m_sortBy;
    std::vector<std::vector<uint8_t>> m_keys;
};

void GatherFolder(const char* folder, CKeyGatherer* keys) {
    char pattern[MAX_PATH];
    lstrcpynA(pattern, folder, MAX_PATH);
    if (!PathAppendA(pattern, "*"))
        return;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE)
        return; // a folder that cannot be listed gives an empty list
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        if (DetectImageFileType(data.cFileName) == kFileTypeUnknown)
            continue;
        keys->Add(data.cFileName, Join64(data.nFileSizeHigh, data.nFileSizeLow),
                  Join64(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime));
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

// The paths of a favorites folder whose files exist; the others leave the
// stored record for good (stored again once).
void GatherFavorites(CProgramDatabases& databases, int32_t id, CKeyGatherer* keys) {
    plat::ScopedLock guard(g_applicationState.MainDatabaseLock());
    CCollectionRecord record;
    if (!LoadFavoritesRecord(databases, id, &record))
        return;
    bool removed = false;
    for (int i = 0; i < record.paths.GetCount();) {
        const char* path = record.paths.GetAt(i);
        if (PathFileExistsA(path)) {
            uint64_t size, time;
            FileFacts(path, &size, &time);
            keys->Add(path, size, time);
            ++i;
        } else {
            record.RemovePathAt(i);
            removed = true;
        }
    }
    if (removed)
        record.StoreFavorites(databases.Main(), databases.favorites);
}

} // namespace

int CountBackslashes(const char* text) {
    int n = 0;
    for (; text && *text; ++text)
        n += *text == '\\';
    return n;
}

bool ArchiveEntryInFolder(const std::string& name, const std::string& inner) {
    return name.size() > inner.size() && name.compare(0, inner.size(), inner) == 0 &&
           CountBackslashes(name.c_str()) == CountBackslashes(inner.c_str()) &&
           DetectImageFileType(name.c_str()) != kFileTypeUnknown;
}

void ForEachArchiveEntry(
    const CArchiveLocation& location, int limit,
    const std::function<void(const std::string&, const CZipEntryHeader&)>& use) {
    CArchiveTempFolder* temp = location.tempFolder;
    if (!temp)
        return;
    plat::ScopedLock guard(temp->lock);
    const int count = temp->archive.GetCount();
    int examined = 0;
    for (int i = 0; i < count && (limit < 0 || examined < limit); ++i) {
        CZipEntryHeader header;
        if (!temp->archive.GetFileInfo(header, i) || header.IsDirectory())
            continue;
        ++examined;
        const std::string name = header.GetFileName();
        if (ArchiveEntryInFolder(name, location.innerPath))
            use(name.substr(location.innerPath.size()), header);
    }
}

namespace {

void GatherArchive(const CArchiveLocation& location, CKeyGatherer* keys) {
    ForEachArchiveEntry(location, -1, [&](const std::string& name, const CZipEntryHeader& header) {
        FILETIME time{};
        DosDateTimeToFileTime(header.m_modDate, header.m_modTime, &time);
        keys->Add(name.c_str(), header.m_uncompressedSize,
                  Join64(time.dwHighDateTime, time.dwLowDateTime));
    });
}

void GatherOwnPaths(CFileItemList* list, CKeyGatherer* keys) {
    for (int i = 0; i < list->GetItemCount(); ++i) {
        const char* path = list->GetItem(i);
        if (!PathFileExistsA(path))
            continue;
        uint64_t size, time;
        FileFacts(path, &size, &time);
        keys->Add(path, size, time);
    }
}

// Sorts the keys through the database and replaces the list's items with
// the texts in index order. False when the index cannot be made or filled.
bool SortInto(CIndexDatabase& db, const CKeyGatherer& keys, int sortBy, bool ascending,
              CFileItemList* list) {
    CBTreeIndex* index = db.OpenKeySet("Sort", 0, keys.NeedsKeysOutOfLine(), true);
    if (!index)
        return false;
    const SortFunctions functions = FunctionsFor(sortBy);
    bool ok = index->SetKeyType(kSortKeyType, functions.compare, functions.separator);
    for (size_t i = 0; ok && i < keys.Keys().size(); ++i) {
        const auto& key = keys.Keys()[i];
        ok = index->InsertKeyValue(DbBuffer::In(key.data(), static_cast<uint32_t>(key.size())));
    }
    CBTreeCursor* cursor = ok ? index->NewCursor(false) : nullptr;
    ok = cursor != nullptr;
    if (ok) {
        list->RemoveAllItems();
        uint8_t buffer[1024];
        for (bool on = ascending ? cursor->First() : cursor->Last(); on;
             on = ascending ? cursor->Next() : cursor->Prev()) {
            DbBuffer key = DbBuffer::Out(buffer, sizeof buffer);
            if (!cursor->GetKey(&key) || key.length > sizeof buffer)
                continue;
            if (const char* text = SortKeyText(sortBy, buffer, key.length))
                list->InsertItemCopy(text, -1);
        }
        index->ReleaseCursor(cursor);
    }
    db.ReleaseIndex(index);
    return ok;
}

} // namespace

bool LoadFavoritesRecord(CProgramDatabases& databases, int32_t id, CCollectionRecord* record) {
    if (!databases.favorites || !databases.Main().IsOpen())
        return false;
    DbBuffer value = DbBuffer::Out(nullptr, kDbAllocate);
    if (!databases.favorites->GetInt(id, &value) || !value.data)
        return false;
    CByteStream stream;
    stream.AttachReadOnly(value.data, value.length);
    record->key = id;
    const bool ok = record->Load(&stream);
    DbBufferFree(value);
    return ok;
}

bool CApplicationState::FillFileItemList(CFileItemList* list) {
    if (!list)
        return false;
    if (list->IsSearchResultList()) {
        if (IsSearchRunning())
            return false;
        list->Lock();
        const bool empty = list->IsEmpty();
        list->Unlock();
        if (empty)
            return true;
        SendItemListChange(list, kListChangeResorting, nullptr);
    }
    char folder[MAX_PATH];
    char file[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, folder);
    if (n == 0 || n >= MAX_PATH || GetTempFileNameA(folder, "tvq", 0, file) == 0)
        return false;
    bool ok;
    {
        CIndexDatabase db;
        ok = db.Open(file, kDbCreate);
        if (ok) {
            list->Lock();
            const int sortBy = list->sortBy;
            CKeyGatherer keys(sortBy);
            if (list->IsFolderList())
                GatherFolder(list->GetFolder(), &keys);
            else if (list->IsFavoritesList())
                GatherFavorites(databases, static_cast<int32_t>(list->GetKeyValue()), &keys);
            else if (list->IsArchiveList())
                GatherArchive(*list->GetArchiveLocation(), &keys);
            else if (list->IsSearchResultList())
                GatherOwnPaths(list, &keys);
            ok = SortInto(db, keys, sortBy, list->sortOrder == kSortAscending, list);
            list->Unlock();
        }
        // Nothing in the file is wanted afterwards.
        db.CloseWithoutWriting();
    }
    DeleteFileA(file);
    return ok;
}
