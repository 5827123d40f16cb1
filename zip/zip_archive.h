// An open zip archive: its storage (a file, a memory stream or spanned
// volumes), its central directory, the one entry that may be open, the
// cipher keys and the progress callbacks. Errors are thrown as CZipException;
// what the archive's state does not allow is refused with false or 0.
#pragma once

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

    // Reading existing archives (modes 0 and 1); creating archives (modes 2
    // and 3) lands with the writing side and is refused with false for now.
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
    const CZipByteBuffer& GetGlobalComment() const { return m_directory.Comment(); }

    void SetExtractLimits(const CZipExtractLimits& limits) { m_limits = limits; }
    const CZipExtractLimits& GetExtractLimits() const { return m_limits; }

    // An entry path is extracted only when it stays inside the target folder
    // and names nothing the system treats specially (devices, streams,
    // reserved characters); otherwise cause 115. Returns the checked path.
    std::string CheckedExtractPath(const CZipEntryHeader& header, const std::string& folder,
                                   bool keepPath, const char* newName) const;

private:
    struct ZlibBlock;
    static void* ZlibAlloc(void* opaque, unsigned items, unsigned size);
    static void ZlibFree(void* opaque, void* address);
    void ReadDirectoryAfterOpen();
    void FreeZlibBlocks();
    void ResetStream();
    [[noreturn]] void ThrowZlib(int result) const;
    CZipActionCallback* GetCallback(int type);
    void CheckLimits(const CZipEntryHeader& header, const std::string& folder) const;
    void DropOpenEntry();
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
};
