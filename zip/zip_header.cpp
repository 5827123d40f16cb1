#include "zip/zip_header.h"

#include <cstring>

#include "zip/zip_path.h"
#include "zip/zip_platform.h"
#include "zip/zip_storage.h"

namespace {

bool LocalTime(time_t time, struct tm* out) {
#ifdef _WIN32
    return localtime_s(out, &time) == 0;
#else
    return localtime_r(&time, out) != nullptr;
#endif
}

} // namespace

bool CZipEntryHeader::ReadCentral(CZipVolumeStorage& storage) {
    uint8_t record[kCentralSize];
    const int volume = storage.GetCurrentVolume();
    storage.Read(record, kCentralSize, true);
    if (!ReadCentralFixed(record))
        return false;
    // Name, extra field and comment in one read, then split.
    const uint32_t variable = CentralVariableLength(record);
    CZipByteBuffer rest(variable);
    if (variable != 0)
        storage.Read(rest.Data(), variable, true);
    ReadCentralVariable(record, rest.Data());
    return storage.GetCurrentVolume() == volume;
}

uint32_t CZipEntryHeader::ReadCentral(const uint8_t* data, uint64_t available) {
    if (available < kCentralSize || !ReadCentralFixed(data))
        return 0;
    const uint32_t size = kCentralSize + CentralVariableLength(data);
    if (size > available)
        return 0;
    ReadCentralVariable(data, data + kCentralSize);
    return size;
}

uint32_t CZipEntryHeader::CentralVariableLength(const uint8_t* record) {
    return uint32_t(ZipGet16(record + 28)) + ZipGet16(record + 30) + ZipGet16(record + 32);
}

bool CZipEntryHeader::ReadCentralFixed(const uint8_t* record) {
    m_signature = ZipGet32(record);
    if (m_signature != kCentralSignature)
        return false;
    m_versionMadeBy = ZipGet16(record + 4);
    m_versionNeeded = ZipGet16(record + 6);
    m_flags = ZipGet16(record + 8);
    m_method = ZipGet16(record + 10);
    m_modTime = ZipGet16(record + 12);
    m_modDate = ZipGet16(record + 14);
    m_crc32 = ZipGet32(record + 16);
    m_compressedSize = ZipGet32(record + 20);
    m_uncompressedSize = ZipGet32(record + 24);
    m_diskStart = ZipGet16(record + 34);
    m_internalAttributes = ZipGet16(record + 36);
    m_externalAttributes = ZipGet32(record + 38);
    m_localHeaderOffset = ZipGet32(record + 42);
    return true;
}

void CZipEntryHeader::ReadCentralVariable(const uint8_t* record, const uint8_t* rest) {
    const uint16_t nameLength = ZipGet16(record + 28);
    const uint16_t extraLength = ZipGet16(record + 30);
    const uint16_t commentLength = ZipGet16(record + 32);
    m_fileName.Assign(rest, nameLength);
    m_extraField.Assign(rest + nameLength, extraLength);
    m_comment.Assign(rest + nameLength + extraLength, commentLength);
}

bool CZipEntryHeader::CheckLocalBytes(const uint8_t* local, uint16_t* extraLength) const {
    if (ZipGet32(local) != kLocalSignature)
        return false;
    const uint16_t flags = ZipGet16(local + 6);
    const uint16_t method = ZipGet16(local + 8);
    if ((flags & 0x0F) != (m_flags & 0x0F))
        return false;
    if (method != m_method || (method != 0 && method != 8))
        return false;
    if (ZipGet16(local + 26) != m_fileName.Length())
        return false;
    if ((m_flags & kFlagDescriptor) == 0 && !CompareCrcAndSizes(local + 14))
        return false;
    *extraLength = ZipGet16(local + 28);
    return true;
}

bool CZipEntryHeader::CheckLocal(CZipVolumeStorage& storage, uint16_t* extraLength) {
    uint8_t local[kLocalSize];
    storage.Read(local, kLocalSize, true);
    if (!CheckLocalBytes(local, extraLength))
        return false;
    const uint32_t nameLength = m_fileName.Length();
    if (nameLength != 0) {
        CZipByteBuffer skipped(nameLength);
        storage.Read(skipped.Data(), nameLength, true);
    }
    return true;
}

uint32_t CZipEntryHeader::WriteCentral(CZipVolumeStorage& storage,
                                       const CZipByteBuffer* archiveName) const {
    const CZipByteBuffer& name = archiveName != nullptr ? *archiveName : m_fileName;
    const uint32_t size = kCentralSize + name.Length() + m_extraField.Length() + m_comment.Length();
    CZipByteBuffer record(size);
    uint8_t* r = record.Data();
    ZipPut32(r, kCentralSignature);
    ZipPut16(r + 4, m_versionMadeBy);
    ZipPut16(r + 6, m_versionNeeded);
    ZipPut16(r + 8, m_flags);
    ZipPut16(r + 10, m_method);
    ZipPut16(r + 12, m_modTime);
    ZipPut16(r + 14, m_modDate);
    GetCrcAndSizes(r + 16);
    ZipPut16(r + 28, static_cast<uint16_t>(name.Length()));
    ZipPut16(r + 30, static_cast<uint16_t>(m_extraField.Length()));
    ZipPut16(r + 32, static_cast<uint16_t>(m_comment.Length()));
    ZipPut16(r + 34, m_diskStart);
    ZipPut16(r + 36, m_internalAttributes);
    ZipPut32(r + 38, m_externalAttributes);
    ZipPut32(r + 42, m_localHeaderOffset);
    uint8_t* p = r + kCentralSize;
    if (name.Length() != 0)
        std::memcpy(p, name.Data(), name.Length());
    p += name.Length();
    if (m_extraField.Length() != 0)
        std::memcpy(p, m_extraField.Data(), m_extraField.Length());
    p += m_extraField.Length();
    if (m_comment.Length() != 0)
        std::memcpy(p, m_comment.Data(), m_comment.Length());
    storage.Write(r, size, true);
    return size;
}

void CZipEntryHeader::WriteLocal(CZipVolumeStorage& storage, const CZipByteBuffer* archiveName) {
    const CZipByteBuffer& name = archiveName != nullptr ? *archiveName : m_fileName;
    const uint32_t size = kLocalSize + name.Length() + m_extraField.Length();
    CZipByteBuffer header(size);
    uint8_t* h = header.Data();
    ZipPut32(h, kLocalSignature);
    ZipPut16(h + 4, m_versionNeeded);
    ZipPut16(h + 6, m_flags);
    ZipPut16(h + 8, m_method);
    ZipPut16(h + 10, m_modTime);
    ZipPut16(h + 12, m_modDate);
    GetCrcAndSizes(h + 14);
    ZipPut16(h + 26, static_cast<uint16_t>(name.Length()));
    ZipPut16(h + 28, static_cast<uint16_t>(m_extraField.Length()));
    if (name.Length() != 0)
        std::memcpy(h + kLocalSize, name.Data(), name.Length());
    if (m_extraField.Length() != 0)
        std::memcpy(h + kLocalSize + name.Length(), m_extraField.Data(), m_extraField.Length());
    const uint64_t position = storage.Write(h, size, true);
    m_extraField.Release();
    m_diskStart = static_cast<uint16_t>(storage.GetCurrentVolume());
    m_localHeaderOffset = static_cast<uint32_t>(position);
}

bool CZipEntryHeader::PrepareData(int level, bool dataDescriptor, bool encrypted) {
    m_signature = kCentralSignature;
    m_internalAttributes = 0;
    m_versionNeeded = IsDirectory() ? 10 : 20;
    SetVersion(20);
    m_crc32 = 0;
    m_compressedSize = 0;
    m_uncompressedSize = 0;
    if (level == 0)
        m_method = 0;
    else if (m_method != 0 && m_method != 8)
        m_method = 8;
    m_flags = 0;
    if (m_method == 8) {
        if (level == 1)
            m_flags = 6;
        else if (level == 2)
            m_flags = 4;
        else if (level == 8 || level == 9)
            m_flags = 2;
    }
    if (dataDescriptor || encrypted)
        m_flags |= kFlagDescriptor;
    if (encrypted) {
        m_flags |= kFlagEncrypted;
        m_compressedSize = 12;
    }
    return m_fileName.Length() <= 0xFFFF && m_extraField.Length() <= 0xFFFF &&
           m_comment.Length() <= 0xFFFF;
}

time_t CZipEntryHeader::GetTime() const {
    struct tm t;
    std::memset(&t, 0, sizeof t);
    t.tm_sec = (m_modTime & 0x1F) * 2;
    t.tm_min = (m_modTime >> 5) & 0x3F;
    t.tm_hour = m_modTime >> 11;
    t.tm_mday = m_modDate & 0x1F;
    t.tm_mon = ((m_modDate >> 5) & 0x0F) - 1;
    t.tm_year = (m_modDate >> 9) + 80;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

void CZipEntryHeader::SetTime(time_t time) {
    struct tm t;
    if (!LocalTime(time, &t)) {
        m_modDate = 0x21; // 1 January 1980
        m_modTime = 0;
        return;
    }
    int year = t.tm_year + 1900;
    // The field holds 1980..2107; earlier years store 0, later ones clamp
    // instead of wrapping into the past.
    int yearField = year <= 1980 ? 0 : year - 1980;
    if (yearField > 0x7F)
        yearField = 0x7F;
    m_modDate = static_cast<uint16_t>(t.tm_mday + (t.tm_mon + 1) * 32 + yearField * 512);
    m_modTime = static_cast<uint16_t>(t.tm_sec / 2 + t.tm_min * 32 + t.tm_hour * 2048);
}

uint32_t CZipEntryHeader::GetSize(bool local) const {
    if (local)
        return kLocalSize + m_fileName.Length() + m_extraField.Length();
    return kCentralSize + m_fileName.Length() + m_extraField.Length() + m_comment.Length();
}

void CZipEntryHeader::SetFileName(const std::string& name) {
    m_fileName.Assign(name.data(), static_cast<uint32_t>(name.size()));
}

void CZipEntryHeader::SetComment(const std::string& comment) {
    m_comment.Assign(comment.data(), static_cast<uint32_t>(comment.size()));
}

bool CZipEntryHeader::NameEndsWithSeparator() const {
    const uint32_t n = m_fileName.Length();
    return n != 0 && ZipStr::IsSeparator(static_cast<char>(m_fileName.Data()[n - 1]));
}

void CZipEntryHeader::SetSystemAttributes(uint32_t attributes) {
    m_externalAttributes = ZipPlatformOps::ConvertAttributes(attributes, ZipPlatformOps::kOwnSystem,
                                                             GetSystemCompatibility());
}

uint32_t CZipEntryHeader::GetSystemAttributes() const {
    const int system = GetSystemCompatibility();
    if (ZipPlatformOps::IsSystemHandled(system)) {
        if (m_externalAttributes == 0 && NameEndsWithSeparator())
            return ZipPlatformOps::kDefaultDirAttributes;
        return ZipPlatformOps::ConvertAttributes(m_externalAttributes, system,
                                                 ZipPlatformOps::kOwnSystem);
    }
    return NameEndsWithSeparator() ? ZipPlatformOps::kDefaultDirAttributes
                                   : ZipPlatformOps::kDefaultFileAttributes;
}

bool CZipEntryHeader::IsDirectory() const {
    return (GetSystemAttributes() & ZipPlatformOps::kAttrDirectory) != 0;
}

void CZipEntryHeader::SetSystemCompatibility(int system) {
    m_versionMadeBy = static_cast<uint16_t>((m_versionMadeBy & 0xFF) | ((system & 0xFF) << 8));
}

void CZipEntryHeader::SetVersion(int version) {
    m_versionMadeBy = static_cast<uint16_t>((m_versionMadeBy & 0xFF00) | (version & 0xFF));
}

void CZipEntryHeader::GetCrcAndSizes(uint8_t out[12]) const {
    ZipPut32(out, m_crc32);
    ZipPut32(out + 4, m_compressedSize);
    ZipPut32(out + 8, m_uncompressedSize);
}

bool CZipEntryHeader::CompareCrcAndSizes(const uint8_t in[12]) const {
    return ZipGet32(in) == m_crc32 && ZipGet32(in + 4) == m_compressedSize &&
           ZipGet32(in + 8) == m_uncompressedSize;
}
