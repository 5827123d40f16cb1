// Pieces shared by the item-list cache and the list fill.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class CProgramDatabases;
class CCollectionRecord;
class CArchiveLocation;
class CZipEntryHeader;

// Reads the favorites folder record of that id from the main database into
// record (its key set to the id). False when the database or the record
// cannot be read.
bool LoadFavoritesRecord(CProgramDatabases& databases, int32_t id, CCollectionRecord* record);

// The number of backslashes in a text (0 for none or null).
int CountBackslashes(const char* text);
// Whether an archive entry's stored name lies directly in the inner folder
// (longer than it, starts with it with case, as deep) and has an image type.
bool ArchiveEntryInFolder(const std::string& name, const std::string& inner);
// Calls use(name inside the folder, header) for the image entries directly
// in the location's folder, in central-directory order, under the temporary
// folder's lock; at most `limit` file entries are examined (-1: all).
void ForEachArchiveEntry(
    const CArchiveLocation& location, int limit,
    const std::function<void(const std::string&, const CZipEntryHeader&)>& use);
