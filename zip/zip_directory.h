// The central directory of an archive: the end record, the entry headers in
// data order, an optional index sorted by name, and the directory's side of
// opening and closing an entry.
//
// End-of-central-directory record (little-endian), 22 bytes then comment:
//   0 signature 50 4B 05 06   4 number of this volume
//   6 volume where the directory starts   8 entries on this volume
//  10 total entries   12 directory size   16 directory offset (relative to
//     its volume and to the first byte of the archive proper)   20 comment length
// Data descriptor (after an entry's data when flag 8 is set): an optional
// signature 50 4B 07 08, then CRC-32, compressed and uncompressed size (u32
// each), which must equal the central record's.
// A large-archive locator (20 bytes) and record (56 bytes) right before the
// end record are stepped over; archives that need their 64-bit values are
// refused. Invariants checked when reading: the record lies within the last 65557
// bytes; the directory ends at or before the record; entry count and size are
// both zero or both non-zero; the records fill exactly the stated size; no two
// entries share a local-header position and no entry's data runs into the
// next entry (or into the directory). Bytes found before the archive proper
// (self-extractor stubs) are added to every offset.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zip/zip_buffer.h"
#include "zip/zip_header.h"
#include "zip/zip_wildcard.h"

class CZipActionCallback;
class CZipVolumeStorage;

class CZipDirectory {
public:
    static constexpr uint32_t kEndSignature = 0x06054B50u;
    static constexpr uint32_t kEndSize = 22;
    static constexpr uint32_t kMaxEndSearch = 0xFFFF + kEndSize;
    static constexpr uint32_t kDescriptorSignature = 0x08074B50u;
    static constexpr uint16_t kDescriptorFlag = 0x0008;
    static constexpr uint32_t kZip64LocatorSignature = 0x07064B50u;
    static constexpr uint32_t kZip64RecordSignature = 0x06064B50u;
    static constexpr uint32_t kZip64LocatorSize = 20;
    static constexpr uint32_t kZip64RecordSize = 56;

    CZipDirectory() = default;
    virtual ~CZipDirectory() = default;
    CZipDirectory(const CZipDirectory&) = delete;
    CZipDirectory& operator=(const CZipDirectory&) = delete;

    void SetStorage(CZipVolumeStorage* storage) { m_storage = storage; }

    void Reset();
    // Finds and reads the end record and every header; throws 101 or 116.
    void Read();
    // Absolute position of the end record in the last volume; throws 116.
    uint64_t Locate();

    // Makes the entry current, checks its local header and reads the local
    // extra field, leaving the storage at the entry's data; throws 101.
    void OpenEntry(int index);
    // Checks a data descriptor unless skipDescriptor; forgets the entry.
    void CloseEntry(bool skipDescriptor);
    // Drops the open entry without touching the storage.
    void DropEntry();
    // everything: also the headers, the name index and the comment.
    void Clear(bool everything);
    // Writes the headers and the end record unless the directory on disk is
    // current. A set being created that still fits its first volume becomes
    // one ordinary archive first. The callback counts the headers and may
    // abort: 106 when what was written could be taken back, else 105.
    void Write(CZipActionCallback* callback = nullptr);

    // A copy of the template becomes the last entry and the current header;
    // the storage is left at the end of the archive, where it goes.
    CZipEntryHeader* AddHeader(const CZipEntryHeader& header);
    // shiftIndexes renumbers the name index after the removed entry.
    void RemoveHeader(int index, bool shiftIndexes);
    // Takes back the last entry (-1 for it): its header goes and the file is
    // cut back to its local header.
    void RemoveLastEntry(int index = -1);
    void RenameHeader(int index, const std::string& name);
    // Before the content changes: a directory on disk is cut off the file.
    void OnChange();
    // Completes the current new entry: a data descriptor after the data, or
    // the CRC-32 and sizes patched into its local header.
    void CloseNewEntry();
    void SetComment(const std::string& comment);
    bool IsOnDisk() const { return m_directoryOnDisk; }
    // The name of a header as the archive stores it.
    CZipByteBuffer ArchiveName(const CZipEntryHeader& header) const;

    int FindEntry(const std::string& name, bool caseSensitive, bool linear, bool nameOnly);
    void EnableNameIndex(bool on, bool caseSensitive);

    bool IsValidIndex(int index) const {
        return index >= 0 && static_cast<size_t>(index) < m_headers.size();
    }
    int GetCount() const { return static_cast<int>(m_headers.size()); }
    int CountEntries(bool filesOnly) const;
    CZipEntryHeader* GetHeader(int index) { return m_headers[static_cast<size_t>(index)].get(); }
    const CZipEntryHeader* GetHeader(int index) const {
        return m_headers[static_cast<size_t>(index)].get();
    }
    CZipEntryHeader* CurrentHeader() { return m_current; }
    const CZipByteBuffer& LocalExtraField() const { return m_localExtraField; }
    const CZipByteBuffer& Comment() const { return m_comment; }
    uint64_t GetSize(bool withHeaders) const;
    uint64_t BytesBeforeArchive() const { return m_bytesBeforeZip; }
    void SetBytesBeforeArchive(uint64_t bytes) { m_bytesBeforeZip = bytes; }
    bool NamesConverted() const { return m_namesConverted; }

private:
    struct NameIndexEntry {
        // Where the entry's key starts in m_nameKeys: the name as the index
        // orders it, lower-cased once when case is ignored, so that neither
        // the sort nor a search lower-cases a name per comparison.
        size_t keyOffset;
        CZipEntryHeader* header;
        uint16_t index;
    };
    const char* NameKey(const NameIndexEntry& entry) const {
        return m_nameKeys.data() + entry.keyOffset;
    }
    // Appends the key of name to m_nameKeys; returns where it starts.
    size_t AppendNameKey(const CZipByteBuffer& name);
    // The volume an entry lives on; a single archive has only volume 0.
    int VolumeOf(const CZipEntryHeader& header) const;
    void CheckLayout() const;
    void BuildNameIndex(bool caseSensitive);
    void InsertIntoNameIndex(CZipEntryHeader* header, int index);
    // The storage file of a set being created holds one volume: drops the
    // spanning signature and the descriptors of entries that are not
    // encrypted, and patches their local headers.
    void RemoveDescriptors();
    int SearchNameIndex(const std::string& name) const;

    CZipByteBuffer m_comment;
    CZipByteBuffer m_localExtraField;
    CZipEntryHeader* m_current = nullptr;
    int m_currentIndex = -1;
    CZipVolumeStorage* m_storage = nullptr;
    std::vector<std::unique_ptr<CZipEntryHeader>> m_headers;
    bool m_namesConverted = true;
    std::vector<NameIndexEntry> m_nameIndex;
    // Every key of the index, each ended by a NUL, in one buffer: building
    // the index of a large directory then costs no allocation per name.
    std::string m_nameKeys;
    bool m_nameIndexOn = false;
    ZipCompareFunction m_nameCompare = GetCompareFunction(false, true);
    bool m_nameIndexCaseSensitive = false;
    uint64_t m_endRecordPosition = 0;
    uint64_t m_bytesBeforeZip = 0;
    uint16_t m_thisVolume = 0;
    uint16_t m_directoryStartVolume = 0;
    uint16_t m_entriesOnThisVolume = 0;
    uint16_t m_entryCount = 0;
    uint32_t m_directorySize = 0;
    uint32_t m_directoryOffset = 0;
    bool m_directoryOnDisk = false;
};
