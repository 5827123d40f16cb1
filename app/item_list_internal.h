// Pieces shared by the item-list cache and the list fill.
#pragma once

#include <cstdint>

class CProgramDatabases;
class CCollectionRecord;

// Reads the favorites folder record of that id from the main database into
// record (its key set to the id). False when the database or the record
// cannot be read.
bool LoadFavoritesRecord(CProgramDatabases& databases, int32_t id, CCollectionRecord* record);
