// One entry of an archive: the fields of its central record plus name, extra
// field and comment, and the rules for reading and checking its headers.
//
// Central directory record (little-endian), 46 bytes then name, extra field
// and comment:
//   0 signature 0x02014B50   4 version made by (low: zip version, high: system)
//   6 version needed         8 flags (1 encrypted, 2/4/6 deflate level, 8 descriptor)
//  10 method (0 stored, 8 deflated)   12 DOS time   14 DOS date
//  16 CRC-32   20 compressed size (includes a 12-byte encryption header)
//  24 uncompressed size   28 name length   30 extra length   32 comment length
//  34 disk number start   36 internal attributes   38 external attributes (u32)
//  42 local header offset (u32, within its volume)
// Local file header, 30 bytes then name and extra field:
//   0 signature 0x04034B50   4 version needed   6 flags   8 method   10 time
//  12 date   14 CRC-32   18 compressed size   22 uncompressed size
//  26 name length   28 extra length
// Invariants: a central record never spans two volumes; a local header agrees
// with its central record in the low four flag bits, method (0 or 8) and name
// length, and in CRC and sizes unless flag 8 puts them in a descriptor after
// the data.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "zip/zip_buffer.h"

class CZipVolumeStorage;

class CZipEntryHeader {
public:
    enum : uint32_t {
        kCentralSignature = 0x02014B50u,
        kLocalSignature = 0x04034B50u,
        kCentralSize = 46,
        kLocalSize = 30,
    };
    enum : uint16_t {
        kFlagEncrypted = 0x0001,
        kFlagDescriptor = 0x0008,
    };

    CZipEntryHeader() = default;
    CZipEntryHeader(const CZipEntryHeader&) = default;
    CZipEntryHeader& operator=(const CZipEntryHeader&) = default;
    virtual ~CZipEntryHeader() = default;

    // Reads a central record; false for a wrong signature or a record that
    // would span two volumes. Storage errors are thrown.
    bool ReadCentral(CZipVolumeStorage& storage);
    // The same from a directory already in memory: the record at data, with
    // `available` bytes left there. Returns the record's size, 0 when it is
    // no central record or runs past the end.
    uint32_t ReadCentral(const uint8_t* data, uint64_t available);
    // Reads and checks the local header at the storage position, skips the
    // name and hands back the local extra length.
    bool CheckLocal(CZipVolumeStorage& storage, uint16_t* extraLength);
    // Decodes a local header from 30 bytes; false when it does not agree.
    bool CheckLocalBytes(const uint8_t* local, uint16_t* extraLength) const;

    // Writes the central record in one piece and returns its size. The name
    // is written as given in archiveName when there is one (the archive's
    // form of a name held converted), else as held.
    uint32_t WriteCentral(CZipVolumeStorage& storage,
                          const CZipByteBuffer* archiveName = nullptr) const;
    // Writes the local header (name and extra field) in one piece, then
    // forgets the extra field (the central record goes without it) and
    // records the volume and the offset within it where the header began.
    void WriteLocal(CZipVolumeStorage& storage, const CZipByteBuffer* archiveName = nullptr);

    // Prepares the fixed fields of a new entry; false when the name, extra
    // field or comment is longer than 0xFFFF bytes.
    bool PrepareData(int level, bool dataDescriptor, bool encrypted);

    // DOS date and time to calendar time and back, in local time.
    time_t GetTime() const;
    void SetTime(time_t time);

    // Bytes of the local header (30 + name + extra) or of the central record
    // (46 + name + extra + comment).
    uint32_t GetSize(bool local) const;

    void SetFileName(const std::string& name);
    std::string GetFileName() const { return m_fileName.ToString(); }
    void SetComment(const std::string& comment);
    std::string GetComment() const { return m_comment.ToString(); }
    CZipByteBuffer& FileNameBuffer() { return m_fileName; }
    CZipByteBuffer& ExtraFieldBuffer() { return m_extraField; }
    const CZipByteBuffer& FileNameBuffer() const { return m_fileName; }
    const CZipByteBuffer& ExtraField() const { return m_extraField; }
    bool NameEndsWithSeparator() const;

    void SetSystemAttributes(uint32_t attributes);
    uint32_t GetSystemAttributes() const;
    bool IsDirectory() const;
    bool IsFile() const { return !IsDirectory(); }
    bool IsEncrypted() const { return (m_flags & kFlagEncrypted) != 0; }
    bool HasDescriptor() const { return (m_flags & kFlagDescriptor) != 0; }

    int GetSystemCompatibility() const { return m_versionMadeBy >> 8; }
    void SetSystemCompatibility(int system);
    void SetVersion(int version);

    void GetCrcAndSizes(uint8_t out[12]) const;
    bool CompareCrcAndSizes(const uint8_t in[12]) const;

    uint32_t m_signature = 0;
    uint16_t m_versionMadeBy = 0;
    uint16_t m_versionNeeded = 0;
    uint16_t m_flags = 0;
    uint16_t m_method = 8;
    uint16_t m_modTime = 0;
    uint16_t m_modDate = 0;
    uint32_t m_crc32 = 0;
    uint32_t m_compressedSize = 0;
    uint32_t m_uncompressedSize = 0;
    uint16_t m_diskStart = 0;
    uint16_t m_internalAttributes = 0;
    uint32_t m_externalAttributes = 0;
    uint32_t m_localHeaderOffset = 0;

private:
    // A central record in two steps: the fixed 46 bytes (false for a wrong
    // signature), then the name, extra field and comment that follow it.
    static uint32_t CentralVariableLength(const uint8_t* record);
    bool ReadCentralFixed(const uint8_t* record);
    void ReadCentralVariable(const uint8_t* record, const uint8_t* rest);

    CZipByteBuffer m_extraField;
    CZipByteBuffer m_fileName;
    CZipByteBuffer m_comment;
};

// Little-endian field access for the record decoders.
inline uint16_t ZipGet16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (static_cast<uint16_t>(p[1]) << 8));
}
inline uint32_t ZipGet32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void ZipPut16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void ZipPut32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
