// The program's two database files in its data folder: the main database
// "VelmorantixXP.tdb" (favorites, collections, folder identifiers, image
// attributes) and the thumbnail cache "Thumbnail.tdb", with the lock file
// "Thumbnail.lock" that marks a thumbnail database holding unflushed changes.
//
// Tag record (the user data of both files, 29 bytes):
//   0 25  "Velmorantix.VelmorantixXP", no terminator (compared without case)
//  25  4  u32 schema version, 2 for files made by this program; a file of
//         version 3 or more is refused. Each file keeps its own version.
//
// Named indexes:  main       "Collections"     keys only, variable inline, type 1
//                 main       "Favorites"       4-byte keys, values out of line, type 2
//                 main       "FolderSymbol"    4-byte keys, values out of line only
//                                              below schema 2, type 2
//                 main       "ImageProperties" variable keys, values out of line, type 1
//                 thumbnail  "Thumbnail"       variable keys, values out of line, type 1
//
// The main database is never truncated, recreated or written when it fails to
// open or is not recognised: the user keeps the file. Only the thumbnail
// cache falls back to an empty file.
//
// What the program shows and where its folder lies come from an injected host,
// so that the logic runs headless; the message texts are the program's own.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/index_database.h"
#include "platform/platform.h"

// Message box flags and answers, as MessageBoxA takes and returns them.
enum : uint32_t {
    kMsgOk = 0x0,
    kMsgYesNo = 0x4,
    kMsgIconError = 0x10,
    kMsgIconWarning = 0x30,
};
enum : int {
    kMsgAnswerOk = 1,
    kMsgAnswerYes = 6,
    kMsgAnswerNo = 7,
};

extern const char kProgramCaption[];        // "Velmorantix XP"
extern const char kFailureCaption[];        // "Failed!"
extern const char kMainDatabaseFile[];      // "VelmorantixXP.tdb"
extern const char kThumbnailDatabaseFile[]; // "Thumbnail.tdb"
extern const char kThumbnailLockFile[];     // "Thumbnail.lock"
constexpr uint32_t kSchemaVersion = 2;

class IProgramDbHost {
public:
    virtual ~IProgramDbHost() = default;
    // The program's data folder (the user's application data folder, then
    // "Velmorantix", then "Velmorantix XP").
    virtual std::string DataFolder() = 0;
    // Shows a message box without owner; returns the answer.
    virtual int ShowMessage(const std::string& text, const char* caption, uint32_t flags) = 0;
    // Stores the root favorites folder "Favorites" (key 0, parent -1) in a new
    // main database and flushes.
    virtual bool StoreFavoritesRoot(CIndexDatabase& db, CBTreeIndex* favorites) = 0;
    // The explorer's thumbnail worker, paused while the cache is rebuilt.
    virtual void PauseThumbnailWorker() {}
    virtual void WakeThumbnailWorker() {}
    // File system; the defaults use the platform layer.
    virtual bool FileExists(const std::string& path);
    virtual bool RemoveFile(const std::string& path);
};

// Joins a folder and a file name with the platform's separator.
std::string JoinPath(const std::string& folder, const char* name);

class CProgramDatabases {
public:
    explicit CProgramDatabases(IProgramDbHost& host) : m_host(host) {}
    ~CProgramDatabases();
    CProgramDatabases(const CProgramDatabases&) = delete;
    CProgramDatabases& operator=(const CProgramDatabases&) = delete;

    // Opens both databases. On failure the start-up message has been shown
    // and the result is the exit code 1; 0 when both are open.
    int OpenAtStartup();

    bool OpenMainDatabase(const std::string& path);
    bool OpenThumbnailDatabase(bool recreate);
    bool LoadThumbnailDatabase(bool recreate, const std::string& path);

    // Lock-file protocol of the thumbnail worker (each takes the thumbnail
    // lock). The lock file is removed only when the flush succeeded.
    bool CreateThumbnailLockFile();
    bool RemoveThumbnailLockFile();
    bool FlushThumbnailDatabase();

    void CloseThumbnailDatabase();
    void ResetThumbnailDatabase();
    void CloseMainDatabase();

    CIndexDatabase& Main() { return m_main; }
    CIndexDatabase& Thumbnails() { return m_thumbs; }
    plat::CriticalSection& ThumbnailLock() { return m_thumbLock; }

    CBTreeIndex* collections = nullptr;
    CBTreeIndex* favorites = nullptr;
    CBTreeIndex* folderSymbol = nullptr;
    CBTreeIndex* imageProperties = nullptr;
    CBTreeIndex* thumbnail = nullptr;
    uint32_t mainVersion = kSchemaVersion;
    uint32_t thumbnailVersion = kSchemaVersion;
    std::string thumbnailPath;
    std::string lockPath;

private:
    bool WriteTag(CIndexDatabase& db, uint32_t version);
    bool CheckTag(CIndexDatabase& db, uint32_t* version);
    void ReleaseMainIndexes();

    IProgramDbHost& m_host;
    CIndexDatabase m_main;
    CIndexDatabase m_thumbs;
    plat::CriticalSection m_thumbLock;
};

// Deletes the thumbnail database; with ask, after the user's confirmation and
// with the program's messages.
void DeleteThumbnailDatabase(IProgramDbHost& host, bool ask);
