// The thumbnail workers' side of the thumbnail database: the key of a file
// ("#<folder id>#<name>", the folder getting an id on first use), looking a
// record up and storing one, and the lock file that marks a database with
// changes not yet flushed.
//
// Every call takes the application's thumbnail lock, which guards the
// thumbnail database, the folder-id table and the lock file. Several workers
// write (the explorer's list and each folder preview), so the lock file
// counts its writers: the first one to start working creates it, and the
// last one to go idle flushes the database and removes it. A crash while any
// of them writes leaves the file behind, and the next start then recreates
// the database.
#pragma once

#include <cstddef>
#include <cstdint>

class CByteStream;

// The key of name in folder into key (256 bytes); with addFolder a folder
// without an id gets the next one, stored in the main database's
// "FolderSymbol" index. False when the folder has no id (and none could be
// given) or the key would be longer than an index key may be (255 bytes).
bool MakeThumbnailKey(const char* folder, const char* name, bool addFolder, char* key);

// Reads the record stored under key into stream (from its start, at most
// its capacity); false when there is none, it is longer than the stream or
// the thumbnail database is not open.
bool LookUpThumbnailRecord(const char* key, CByteStream* stream);
// Stores the stream's bytes under key, replacing an older record.
bool StoreThumbnailRecord(const char* key, const CByteStream& stream);

// A worker that has begun work holds one writer's place until it ends.
class CThumbnailWriter {
public:
    CThumbnailWriter() = default;
    ~CThumbnailWriter() { End(); }
    CThumbnailWriter(const CThumbnailWriter&) = delete;
    CThumbnailWriter& operator=(const CThumbnailWriter&) = delete;

    // Takes a place (the first creates the lock file); a second Begin while
    // holding one does nothing.
    void Begin();
    // Gives the place back after flushing the database; the last one
    // removes the lock file. Nothing when no place is held.
    void End();
    bool Holding() const { return m_holding; }

private:
    bool m_holding = false;
};

// How many writers hold a place now (for tests).
int ActiveThumbnailWriters();
