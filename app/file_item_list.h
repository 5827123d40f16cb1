// File item lists: the ordered image items that a window browses (the image
// files of a folder, the image entries of one folder inside a zip archive,
// the items of a favorites folder, the hits of a search), and the change
// record that tells the windows when a list changed.
//
// The application object caches the lists by source (see
// CApplicationState::GetFileItemList), so every window showing one source
// shares one list. A list is reference counted; the count of a cached list
// changes only under the application's item-list lock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/string_list.h"
#include "platform/platform.h"

class CArchiveTempFolder;

// Kinds of list (the kind decides what the source is and what the items hold).
enum EFileItemListKind : int {
    kListDefault = -1,     // made by the default constructor
    kListFolder = 0,       // source: the folder path; items: file names
    kListArchive = 1,      // source: a CArchiveLocation; items: file names
    kListFavorites = 2,    // source: the favorites folder id; items: full paths
    kListSearchResult = 4, // source: the search-result number; items: full paths
};

// Sort fields.
enum : int {
    kSortAscending = 1, // any other order value sorts descending
    kSortByName = 1,
    kSortBySize = 2,
    kSortByType = 3,
    kSortByDate = 4,
};

// Source of an archive list: the archive's temporary folder and the folder
// inside the archive ("" for its root, otherwise ending in a backslash).
// Its key is the archive path, "|", the inner folder.
class CArchiveLocation {
public:
    // False for a key that SplitArchiveKey refuses.
    bool SetFromKey(const char* key);
    // Archive path and inner folder both equal without regard to case.
    bool Matches(const CArchiveLocation& other) const;

    CArchiveTempFolder* tempFolder = nullptr; // opened with the archive folders; one reference
    std::string archivePath;
    std::string innerPath;
};

class CFileItemList {
public:
    // Kind -1, sort order ascending, sort by name, no source, reference 1.
    CFileItemList();
    // A list of a kind and key with one reference, sort fields 0, not cached.
    // Kind 0 copies the folder path, kind 1 splits the key into its
    // CArchiveLocation; kinds 2 and 4 keep the key's value (an id or number
    // passed in the pointer's place). Check IsValid afterwards.
    CFileItemList(int kind, const char* key);
    ~CFileItemList();
    CFileItemList(const CFileItemList&) = delete;
    CFileItemList& operator=(const CFileItemList&) = delete;

    // False when the source could not be stored (no path, a refused
    // archive key, no memory).
    bool IsValid() const;
    // Same kind and key: folders by path and archives by archive path and
    // inner folder, without regard to case; favorites and results by value.
    bool HasSource(int kind, const char* key) const;

    // AddRef returns the new count; Release destroys the list at zero and
    // returns the new count. Cached lists are released through
    // CApplicationState::ReleaseFileItemList instead.
    int AddRef();
    int Release();

    // The list's lock guards the items and the sort fields.
    void Lock() { m_lock.Enter(); }
    void Unlock() { m_lock.Leave(); }

    int GetItemCount() const { return m_items.GetCount(); }
    bool IsEmpty() const { return m_items.GetCount() == 0; }
    // The item as stored; null outside the list. Hold the lock while using it
    // when other threads may change the list.
    const char* GetItem(int index) const { return m_items.GetAt(index); }
    void RemoveAllItems();
    // Inserts a copy before index (-1 appends); false when refused.
    bool InsertItemCopy(const char* text, int index);
    bool RemoveItem(int index);

    bool IsFolderList() const { return m_kind == kListFolder; }
    bool IsArchiveList() const { return m_kind == kListArchive; }
    bool IsFavoritesList() const { return m_kind == kListFavorites; }
    bool IsSearchResultList() const { return m_kind == kListSearchResult; }
    int GetKind() const { return m_kind; }

    // Kind 0: the folder path; empty for other kinds.
    const char* GetFolder() const { return m_folder.c_str(); }
    // Kind 1: the archive location; null for other kinds.
    const CArchiveLocation* GetArchiveLocation() const {
        return m_kind == kListArchive ? &m_archive : nullptr;
    }
    // Kinds 2 and 4: the id or number; 0 for other kinds.
    uintptr_t GetKeyValue() const { return m_keyValue; }

    // Full path of an item into path (MAX_PATH characters): kind 0 the folder
    // joined with the name; kinds 2 and 4 the stored path; kind 1 the archive
    // path, a backslash, the inner folder and the name (a name for display
    // and comparison, not a file on disk). False outside the list or when the
    // path does not fit.
    bool GetItemPath(int index, char* path) const;
    // Kind 1: the item's file in the archive's temporary folder, extracted
    // on demand (stored paths kept, no prompt); false when that fails or the
    // list has no open archive.
    bool GetExtractedPath(int index, char* path) const;
    // The file-name part (kinds 2 and 4) or the item itself (kinds 0 and 1),
    // into name (MAX_PATH characters). False outside the list.
    bool GetItemName(int index, char* name) const;
    // Icon of the item's image type in the shared small icon list; -1 for
    // any other file or when the list does not exist.
    int GetItemIconIndex(int index) const;
    // Folder lists: the path's folder must equal the list's folder (without
    // case) and its file name is searched; other kinds search the whole
    // path. Index or -1.
    int FindPath(const char* path) const;
    // Searches the items as stored, without case. Index or -1.
    int FindItem(const char* text) const;

    // Sort fields (under the lock): order 1 ascending, otherwise descending;
    // by 1 name, 2 size, 3 type, 4 date.
    int sortOrder = 0;
    int sortBy = 0;
    // Set when the list belongs to the application's cache.
    bool cached = false;
    // Reference count; guarded by the application's item-list lock for cached
    // lists.
    int refCount = 1;

private:
    friend class CApplicationState;
    CStringList& Items() { return m_items; }

    plat::CriticalSection m_lock;
    int m_kind = kListDefault;
    bool m_valid = true;
    std::string m_folder;
    CArchiveLocation m_archive;
    uintptr_t m_keyValue = 0;
    CStringList m_items;
};

// Item-list change record: the wParam of WM_USER+7 (kMsgItemListChanged),
// sent synchronously with lParam 0; it lives on the sender's stack for the
// call.
struct ItemListChange {
    CFileItemList* list; // null for codes 0 and 1
    const char* item;    // the item concerned, or null
    int code;            // EItemListChangeCode
};

enum EItemListChangeCode : int {
    kListChangeBatchBegin = 0,    // explorer only
    kListChangeBatchEnd = 1,      // explorer only
    kListChangeAdded = 2,         // every viewer, then the explorer
    kListChangeRemoved = 3,       // every viewer (last to first), then the explorer
    kListChangeRenamed = 4,       // the explorer, then every viewer
    kListChangeFolderRenamed = 5, // the explorer, then every viewer
    kListChangeFolderRemoved = 6, // the explorer, then every viewer
    kListChangeFileChanged = 7,   // every viewer, then the explorer
    kListChangeRefilled = 8,      // the explorer, then every viewer
    kListChangeResultEmptied = 9, // the explorer, then every viewer
    kListChangeResorting = 10,    // the explorer, then every viewer
};

// Gives back a reference taken for internal work (FindFileItemList in the
// change notices, a refresh) without touching the kept slot, so the list
// the user left last stays kept. At zero a cached list leaves the cache.
void ReleaseFileItemListHold(CFileItemList* list);

// Sends one change to its recipients in the order its code asks for: the
// explorer frame (when it exists) and the viewer frames in the order of the
// viewer list. explorerItem is what the explorer gets as the item (code 3
// hands it the full path for lists of kinds 1, 2 and 4); null means item.
// Call it without holding the list's lock.
void SendItemListChange(CFileItemList* list, int code, const char* item,
                        const char* explorerItem = nullptr);
