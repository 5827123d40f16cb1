// One favorites folder of the main database: its name, the image paths it
// holds and the ids of its sub-folders.
//
// Stored in the index "Favorites" under its 4-byte id (key type 2). The value
// is, with every integer 4 bytes little-endian and every string a 4-byte
// length followed by that many bytes without terminator:
//
//   parent key (int32, -1 for the root)
//   name       (string)
//   text       (string, a second text; empty for the root)
//   n          (uint32), then n child keys (int32)
//   m          (uint32), then m paths (strings)
//
// The key itself is not part of the value. A new database holds one record:
// the root, named "Favorites", parent -1, under id 0. A value whose counts or
// lengths run past its end is refused as a whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/string_list.h"

class CByteStream;
class CIndexDatabase;
class CBTreeIndex;

extern const char kFavoritesRootName[]; // "Favorites"

class CCollectionRecord {
public:
    CCollectionRecord() = default;
    explicit CCollectionRecord(int32_t recordKey) : key(recordKey) {}

    // Parent -1, texts emptied, paths and child keys freed, dirty cleared;
    // the key is kept.
    void Clear();
    // Reads a serialised value from the stream's position. False (and the
    // record cleared) when the value is cut short or its counts are
    // impossible.
    bool Load(CByteStream* stream);
    // Appends the serialised value at the stream's position.
    bool Save(CByteStream* stream) const;

    // Index of the first path equal to this one without regard to case, or -1.
    int FindPath(const char* path) const;
    // Appends a copy unless the path is already held; sets the dirty flag.
    // Whether it was added.
    bool AddPath(const char* path);
    // Removes the first equal path (as FindPath); whether one was removed.
    bool RemovePath(const char* path);
    bool RemovePathAt(int index);

    // Serialises the record into the "Favorites" index and flushes the
    // database. A record without a key (-1) first gets a new id: the largest
    // id in the index + 1, or 0 for an empty index; the key is set only when
    // the record was written. Inserts or replaces; whether written and
    // flushed.
    bool StoreFavorites(CIndexDatabase& db, CBTreeIndex* favorites);

    int32_t key = -1;
    int32_t parentKey = -1;
    std::string name;
    std::string text;
    bool dirty = false;
    CStringList paths;
    std::vector<int32_t> childKeys;
};

// Stores the root of the favorites tree in a new main database: a record
// named "Favorites" with parent -1 under the next free id (0 in a new file).
bool StoreFavoritesRoot(CIndexDatabase& db, CBTreeIndex* favorites);
