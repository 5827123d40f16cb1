// An open zip archive: its storage (a file, a memory stream or spanned
// volumes), its central directory, the one entry that may be open, the
// cipher keys and the progress callbacks. Errors are thrown as CZipException;
// what the archive's state does not allow is refused with false or 0.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <zlib.h>

#include "zip/zip_buffer.h"
#include "zip/zip_crypt.h"
#include "zip/zip_directory.h"
#include "zip/zip_exception.h"
#include "zip/zip_header.h"
#include "zip/zip_storage.h"
#include "zip/zip_stream.h"
#include "zip/zip_wildcard.h"

// Receives progress of the archive's long operations.
class CZipActionCallback {
public:
    virtual ~CZipActionCallback() = default;
    virtual bool OnProgress(uint32_t count) { return true; }
    virtual void Begin(const char* entryName, const char* targetPath) {}
    virtual void SetTotal(uint64_t total) {}
    virtual void End() {}
    virtual bool Advance(uint32_t count) { return true; }

    int m_type = 0; // the callback type of the running operation
};

// The data in transit for the open entry.
class CZipTransferState {
public:
    CZipTransferState() = default;
    virtual ~CZipTransferState() = default;

    z_stream m_stream{};
    uint32_t m_uncompressedLeft = 0;
    uint32_t m_compressedLeft = 0;
    uint32_t m_crc32 = 0;
    uint32_t m_bufferSize = 65536;
    CZipByteBuffer m_buffer;
};

// Bounds on what extraction writes, so that a small archive cannot fill the
// disk: an entry larger than maxEntrySize gives cause 27, one beyond the
// free space or the archive's total cause 28, before anything is written.
// The defaults pass any real photo archive (no image file the program reads
// reaches 2 GiB).
struct CZipExtractLimits {
    uint64_t maxEntrySize = 2ull << 30;  // declared size of one entry
    uint64_t maxTotalSize = 16ull << 30; // all entries extracted while the archive is open
    bool checkFreeSpace = true;          // the target volume must hold the entry
    // How long a free-space answer stands for the entries that follow into
    // the same folder (less what they wrote), in milliseconds.
    uint32_t freeSpaceReuseMs = 1000;
};

// What AddFile adds: a file or folder from disk, or a stream under a name.
struct CZipAddRequest {
    enum Options : int {
        kFolderPlain = 0x01,   // a folder entry is added without encryption
        kEmptyPlain = 0x02,    // an empty file is added without encryption
        kStoreTiny = 0x04,     // files shorter than 5 bytes are stored
        kCheckPays = 0x08,     // stored instead when compression gains nothing
        kCheckInMemory = 0x10, // that check compresses into memory
        kAgainStored = 0xF000, // internal: added again, stored, after the check
    };
    std::string m_sourcePath;
    std::string m_nameInArchive; // empty: taken from the source path
    bool m_keepPath = true;
    int m_level = -1; // -1 default, 0 store, 1-9
    int m_options = kFolderPlain | kEmptyPlain | kStoreTiny;
    // -1 appends; -2 replaces the entry of the same name if there is one;
    // 0 or more replaces that entry.
    int m_replaceIndex = -1;
    uint32_t m_bufferSize = 65536;
    CZipStream* m_stream = nullptr; // read instead of the source path when set
};

class CZipArchive {
public:
    using CWildcard = ::CWildcard;

    enum OpenMode : int { OpenExisting = 0, OpenReadOnly = 1, Create = 2, CreateSpan = 3 };
    enum CloseMode : int { CloseNormal = 0, CloseAbandon = 1, CloseKeepDirectory = 2 };
    enum CallbackType : int {
        cbAdd = 1,
        cbAddTmp = 2,
        cbAddStore = 4,
        cbExtract = 8,
        cbDeleteCnt = 16,
        cbDelete = 32,
        cbTest = 64,
        cbSave = 128,
        cbCopyFrom = 256,
        cbRename = 512,
        cbMoveData = 1024,
    };
    enum CloseEntryResult : int { kNotOpen = 0, kClosed = 1, kIncomplete = -1, kAttrFailed = -2 };
    static constexpr uint32_t kMaxEntries = 0xFFFF;
    static constexpr size_t kMaxPath = 260;

    CZipArchive();
    virtual ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // Opens an existing archive (modes 0 and 1) or creates one (mode 2), or
    // a spanned set (mode 3: volumes of volumeSize bytes, or removable disks
    // when it is 0).
    bool Open(const std::string& path, int mode = OpenReadOnly, uint32_t volumeSize = 0);
    bool OpenFromMemory(CZipMemoryStream& stream, int mode = OpenReadOnly);
    void Close(int afterException = CloseNormal, bool updateTimeStamp = false);
    bool IsClosed(bool archive = true) const;
    std::string GetArchivePath() const;

    bool OpenEntry(int index);
    uint32_t ReadEntry(void* buffer, uint32_t size);
    int CloseEntry(const char* targetPath = nullptr, bool afterException = false);
    int CloseEntryToFile(CZipDiskFile& file);

    bool ExtractFile(int index, const std::string& folder, bool keepPath = true,
                     const char* newName = nullptr, uint32_t bufferSize = 65536);
    bool ExtractToMemory(int index, CZipMemoryStream& stream, uint32_t bufferSize = 65536);
    bool TestEntry(int index, uint32_t bufferSize = 65536);
    bool ExtractFileByName(const std::string& name, const std::string& folder, bool keepPath = true,
                           const char* newName = nullptr, uint32_t bufferSize = 65536);
    std::string ExtractedPathFor(const std::string& entryName, const std::string& folder,
                                 bool keepPath, const char* newName = nullptr) const;

    bool GetFileInfo(CZipEntryHeader& header, int index) const;
    int GetCount() const;
    int CountFileEntries() const;
    int CountDirectoryEntries() const;
    // mode 1: linear and case-sensitive, 2: linear and case-insensitive,
    // other: the archive's rule with a binary search.
    int FindFile(const std::string& name, int caseMode = 0, bool nameOnly = false);
    void FindEntries(const std::vector<std::string>& names, std::vector<int>& indexes);
    void FindMatches(const std::string& pattern, std::vector<int>& indexes, bool fullPath = true);

    bool SetPassword(const char* password);
    std::string GetPassword() const { return m_password.ToString(); }
    void SetRootFolder(const char* path);
    const std::string& GetRootFolder() const { return m_rootFolder; }
    void SetCaseSensitivity(bool caseSensitive);
    void SetProgressCallback(CZipActionCallback* callback, int typeMask);
    void SetSpanCallback(CZipSpanCallback* callback) { m_storage.SetSpanCallback(callback); }
    void SetIgnoreCrc(bool ignore) { m_ignoreCrc = ignore; }
    int GetSystemCompatibility() const { return m_systemCode; }
    std::string GetGlobalComment() const;

    // Writing. What the archive's state does not allow (closed, read-only, an
    // entry open, an existing spanned set, a name that would leave the
    // folder it is extracted to) is refused with false and changes nothing.
    // A replace, rename or delete writes the new archive beside the old one
    // and puts it in its place only once it is complete.
    bool OpenNewEntry(CZipEntryHeader& header, int level = -1, const char* sourcePath = nullptr,
                      uint32_t replacedSize = 0);
    bool WriteEntry(const void* data, uint32_t length);
    bool CloseNewEntry(bool afterException = false);
    bool AddFile(CZipAddRequest& request);
    bool AddNewFile(const std::string& path, int level = -1, bool keepPath = true, int unused = 0,
                    uint32_t bufferSize = 65536);
    bool AddNewFile(const std::string& path, const std::string& name, int level = -1,
                    int unused = 0, uint32_t bufferSize = 65536);
    bool AddNewFile(CZipStream& stream, const std::string& name, int level = -1, int unused = 0,
                    uint32_t bufferSize = 65536);
    bool CopyEntryFrom(CZipArchive& other, int index, int replaceIndex = -1,
                       bool keepSystem = false, CZipActionCallback* callback = nullptr);
    bool CopyEntriesFrom(CZipArchive& other, std::vector<int> indexes, bool keepSystem = false);
    bool DeleteEntry(int index);
    bool DeleteEntries(std::vector<int> indexes);
    bool DeleteEntriesByName(const std::vector<std::string>& names);
    bool RenameEntry(int index, const std::string& newName);
    // kind 0: a folder, 1: a file, other: a folder when the path ends with a
    // separator.
    int FindAddedName(const std::string& path, bool keepPath, bool nameOnly, int kind);
    bool SetGlobalComment(const std::string& comment);
    bool SetEntryComment(int index, const std::string& comment);
    void SetTempFolder(const std::string& path, bool create);
    const std::string& GetTempFolder() const { return m_tempFolder; }
    bool SetSystemCode(int system);
    void SetAutoFlush(bool on) { m_autoFlush = on; }
    void FinishDirectory(bool flushStorage);
    // 0 when written, -1 for an existing spanned set.
    int FlushArchive();
    // The name a path gets in the archive, or empty when it gets none.
    std::string NameInArchive(const std::string& path, bool keepPath) const;

    void SetExtractLimits(const CZipExtractLimits& limits) { m_limits = limits; }
    const CZipExtractLimits& GetExtractLimits() const { return m_limits; }

    // An entry path is extracted only when it stays inside the target folder
    // and names nothing the system treats specially (devices, streams,
    // reserved characters); otherwise cause 115. Returns the checked path.
    std::string CheckedExtractPath(const CZipEntryHeader& header, const std::string& folder,
                                   bool keepPath, const char* newName) const;

private:
    struct ZlibBlock;
    // One entry of an archive being rewritten: where it comes from and the
    // name it gets (none: its own).
    struct RewriteItem {
        CZipArchive* source;
        int index;
        const std::string* name;
    };
    bool CanModify() const;
    // Names that may go into the archive: relative, no "..", nothing a
    // system would treat specially.
    static bool IsSafeEntryName(const std::string& name);
    void FlushDataBuffer();
    void AppendRaw(CZipArchive& source, int index, const std::string* name, bool keepSystem,
                   CZipActionCallback* callback);
    // Writes the items into a new archive beside this one and puts it in
    // this one's place; a failure leaves this archive as it was.
    void Rewrite(const std::vector<RewriteItem>& items, CZipActionCallback* callback);
    bool AddThroughTemporary(CZipAddRequest& request, int replaceIndex, uint32_t size);
    void TakeBackPartialEntry(bool directoryWasOnDisk);
    static void* ZlibAlloc(void* opaque, unsigned items, unsigned size);
    static void ZlibFree(void* opaque, void* address);
    void ReadDirectoryAfterOpen();
    void StartNewArchive();
    void FreeZlibBlocks();
    void ResetStream();
    [[noreturn]] void ThrowZlib(int result) const;
    CZipActionCallback* GetCallback(int type);
    void CheckLimits(const CZipEntryHeader& header, const std::string& folder) const;
    void DropOpenEntry();
    // CloseEntry's work for a reading entry; with file (open on targetPath)
    // its time is set through the handle before it is closed. freshFile: the
    // file was created empty by the extraction.
    int FinishEntry(const char* targetPath, CZipDiskFile* file, bool freshFile);
    int CloseEntryToFile(CZipDiskFile& file, bool freshFile);
    // Reads the open entry to its end in pieces of up to bufferSize bytes,
    // hands each to `sink` (when there is one) and counts it on `callback`.
    // Returns 0, or the abort code of a callback that asked to stop: "safely"
    // when nothing of the entry was left to read.
    int PumpOpenEntry(uint32_t bufferSize, CZipActionCallback* callback,
                      const std::function<void(const uint8_t*, uint32_t)>& sink);
    std::string BuildExtractedPath(const std::string& entryName, const std::string& folder,
                                   bool keepPath, const char* newName, std::string* relative) const;

    std::map<int, CZipActionCallback*> m_callbacks;
    bool m_caseSensitive = false;
    ZipCompareFunction m_compare;
    CZipTransferState m_info;
    CZipVolumeStorage m_storage;
    CZipDirectory m_directory;
    int m_entryState = 0; // 0 none, -1 reading, 1 writing
    bool m_ignoreCrc = false;
    std::string m_rootFolder;
    int m_systemCode = 0;
    ZlibBlock* m_zlibBlocks = nullptr;
    bool m_trackZlibBlocks = true;
    bool m_inflateActive = false;
    CZipByteBuffer m_password;
    CZipCryptKeys m_keys;
    CZipExtractLimits m_limits;
    uint64_t m_extractedTotal = 0;
    // The last free-space answer for an extraction folder, and the total
    // extracted when it came: entries that follow into the same folder soon
    // after are checked against it less what was written since, instead of
    // asking the system once per entry.
    struct FreeSpaceNote {
        std::string folder;
        uint64_t bytes = 0;
        uint64_t extractedAt = 0;
        std::chrono::steady_clock::time_point when;
    };
    mutable FreeSpaceNote m_freeSpace;
    std::string m_tempFolder;
    bool m_autoFlush = false;
    uint64_t m_writtenIn = 0; // input bytes of the entry being written
};
