#include "zip/zip_directory.h"

#include <algorithm>
#include <cstring>

#include "zip/zip_archive.h"
#include "zip/zip_exception.h"
#include "zip/zip_platform.h"
#include "zip/zip_storage.h"

namespace {

// Directories up to this size are read with one call (65535 entries with
// names of a usual length take about 5 MB).
constexpr uint32_t kDirectoryReadAtOnce = 64u << 20;

// Data of one entry cannot start before this many bytes past its header.
uint64_t MinimalEntryEnd(const CZipEntryHeader& h) {
    return uint64_t(h.m_localHeaderOffset) + CZipEntryHeader::kLocalSize +
           h.FileNameBuffer().Length() + h.m_compressedSize;
}

} // namespace

void CZipDirectory::Reset() {
    m_directoryOnDisk = false;
    m_endRecordPosition = 0;
    m_bytesBeforeZip = 0;
    m_current = nullptr;
    m_currentIndex = -1;
    m_comment.Release();
}

int CZipDirectory::VolumeOf(const CZipEntryHeader& header) const {
    return m_storage->IsSpanned() ? header.m_diskStart : 0;
}

uint64_t CZipDirectory::Locate() {
    const std::string path = m_storage->GetFilePath();
    const uint64_t length = m_storage->GetLength();
    if (length < kEndSize)
        CZipException::ThrowError(CZipException::kCdirNotFound, path);
    const uint32_t window =
        static_cast<uint32_t>(std::min<uint64_t>(length, uint64_t(kMaxEndSearch)));
    const uint64_t base = length - window;
    CZipByteBuffer tail(window);
    m_storage->Seek(base);
    if (m_storage->File()->Read(tail.Data(), window) != window)
        CZipException::ThrowError(CZipException::kBadZipFile, path);

    // Every signature in the window is a candidate, the last one first. A
    // record whose comment ends exactly at the end of the file wins; else
    // one whose fields are consistent; else the last signature found, which
    // Read then rejects. A comment that happens to contain the signature
    // therefore cannot hide the real record.
    const uint8_t* d = tail.Data();
    int64_t consistent = -1, last = -1;
    for (int64_t i = int64_t(window) - 4; i >= 0; --i) {
        if (ZipGet32(d + i) != kEndSignature)
            continue;
        if (last < 0)
            last = i;
        if (uint64_t(i) + kEndSize > window)
            continue;
        const uint8_t* r = d + i;
        const uint64_t end = uint64_t(i) + kEndSize + ZipGet16(r + 20);
        if (end == window)
            return base + uint64_t(i);
        const bool fits = end <= window;
        const bool before = ZipGet16(r + 4) != 0 ||
                            uint64_t(ZipGet32(r + 16)) + ZipGet32(r + 12) <= base + uint64_t(i);
        if (consistent < 0 && fits && before)
            consistent = i;
    }
    if (consistent >= 0)
        return base + uint64_t(consistent);
    if (last >= 0)
        return base + uint64_t(last);
    CZipException::ThrowError(CZipException::kCdirNotFound, path);
}

void CZipDirectory::Read() {
    const std::string path = m_storage->GetFilePath();
    auto fail = [&path]() { CZipException::ThrowError(CZipException::kBadZipFile, path); };

    const uint64_t position = Locate();
    m_storage->Seek(position);
    uint8_t record[kEndSize];
    if (m_storage->File()->Read(record, kEndSize) != kEndSize)
        fail();
    m_endRecordPosition = position;
    m_thisVolume = ZipGet16(record + 4);
    m_directoryStartVolume = ZipGet16(record + 6);
    m_entriesOnThisVolume = ZipGet16(record + 8);
    m_entryCount = ZipGet16(record + 10);
    m_directorySize = ZipGet32(record + 12);
    m_directoryOffset = ZipGet32(record + 16);
    const uint16_t commentLength = ZipGet16(record + 20);

    // Large-archive extension records may sit between the directory and the
    // end record (writers add them at 65535 entries even when every field
    // still fits). Their values are not read; only where the archive ends.
    uint64_t archiveEnd = position;
    if (position >= kZip64LocatorSize + kZip64RecordSize) {
        uint8_t locator[kZip64LocatorSize];
        m_storage->Seek(position - kZip64LocatorSize);
        if (m_storage->File()->Read(locator, kZip64LocatorSize) == kZip64LocatorSize &&
            ZipGet32(locator) == kZip64LocatorSignature) {
            uint8_t signature[4];
            m_storage->Seek(position - kZip64LocatorSize - kZip64RecordSize);
            if (m_storage->File()->Read(signature, 4) == 4 &&
                ZipGet32(signature) == kZip64RecordSignature)
                archiveEnd = position - kZip64LocatorSize - kZip64RecordSize;
        }
    }
    // Saturated fields need the extension's values, which are not supported.
    if (m_directoryOffset == 0xFFFFFFFFu || m_directorySize == 0xFFFFFFFFu)
        fail();

    m_storage->SetThisVolume(m_thisVolume);
    const bool spanned = m_storage->IsSpanned();
    const uint64_t directoryEnd = uint64_t(m_directoryOffset) + m_directorySize;
    if (!spanned) {
        if (archiveEnd < directoryEnd)
            fail();
        // One volume: the directory starts on it and holds every entry.
        if (m_directoryStartVolume != 0 || m_entriesOnThisVolume != m_entryCount)
            fail();
    } else if (m_directoryStartVolume > m_thisVolume) {
        fail();
    }
    if (commentLength != 0) {
        m_comment.Allocate(commentLength);
        m_storage->Seek(position + kEndSize);
        if (m_storage->File()->Read(m_comment.Data(), commentLength) != commentLength)
            fail();
    }
    m_bytesBeforeZip = spanned ? 0 : archiveEnd - directoryEnd;
    if ((m_directorySize == 0) != (m_entryCount == 0))
        fail();
    // Every record takes at least 46 bytes: no more headers than that allows.
    if (uint64_t(m_entryCount) * CZipEntryHeader::kCentralSize > m_directorySize)
        fail();

    m_directoryOnDisk = true;
    m_storage->ChangeVolume(m_directoryStartVolume);
    m_headers.clear();
    if (m_directorySize != 0) {
        m_storage->Seek(uint64_t(m_directoryOffset) + m_bytesBeforeZip);
        m_headers.reserve(m_entryCount);
        uint64_t consumed = 0;
        // One read for the whole directory of a single-volume archive (its
        // size was checked against the file above); record by record across
        // volumes, or when it is too large to hold at once.
        CZipByteBuffer whole;
        if (!spanned && m_directorySize <= kDirectoryReadAtOnce) {
            whole.Allocate(m_directorySize);
            if (m_storage->File()->Read(whole.Data(), m_directorySize) != m_directorySize)
                fail();
        }
        for (uint32_t i = 0; i < m_entryCount; ++i) {
            m_headers.push_back(std::make_unique<CZipEntryHeader>());
            CZipEntryHeader& header = *m_headers.back();
            if (whole.Length() != 0) {
                const uint32_t size =
                    header.ReadCentral(whole.Data() + consumed, m_directorySize - consumed);
                if (size == 0)
                    fail();
                consumed += size;
            } else {
                if (!header.ReadCentral(*m_storage))
                    fail();
                consumed += header.GetSize(false);
                if (consumed > m_directorySize)
                    fail();
            }
            if (m_namesConverted)
                ZipPlatformOps::ConvertName(header, true);
        }
        // The records must fill the stated size exactly: a count that
        // disagrees with the directory shows here.
        if (consumed != m_directorySize)
            fail();
        std::stable_sort(m_headers.begin(), m_headers.end(),
                         [this](const std::unique_ptr<CZipEntryHeader>& a,
                                const std::unique_ptr<CZipEntryHeader>& b) {
                             const int va = VolumeOf(*a), vb = VolumeOf(*b);
                             if (va != vb)
                                 return va < vb;
                             return a->m_localHeaderOffset < b->m_localHeaderOffset;
                         });
        CheckLayout();
    }
    if (m_nameIndexOn)
        BuildNameIndex(m_nameIndexCaseSensitive);
}

void CZipDirectory::CheckLayout() const {
    // Entries sorted by position may neither share a position nor overlap:
    // overlapping entries are how small archives claim huge outputs.
    const std::string path = m_storage->GetFilePath();
    const bool spanned = m_storage->IsSpanned();
    for (size_t i = 0; i < m_headers.size(); ++i) {
        const CZipEntryHeader& h = *m_headers[i];
        if (spanned && h.m_diskStart > m_storage->GetLastVolume())
            CZipException::ThrowError(CZipException::kBadZipFile, path);
        const uint64_t end = MinimalEntryEnd(h);
        if (i + 1 < m_headers.size()) {
            const CZipEntryHeader& next = *m_headers[i + 1];
            if (VolumeOf(next) == VolumeOf(h) && end > next.m_localHeaderOffset)
                CZipException::ThrowError(CZipException::kBadZipFile, path);
        } else if (VolumeOf(h) == m_directoryStartVolume && end > m_directoryOffset) {
            CZipException::ThrowError(CZipException::kBadZipFile, path);
        }
    }
}

void CZipDirectory::OpenEntry(int index) {
    const std::string path = m_storage->GetFilePath();
    auto fail = [&path]() { CZipException::ThrowError(CZipException::kBadZipFile, path); };
    if (!IsValidIndex(index))
        fail();
    CZipEntryHeader& h = *m_headers[static_cast<size_t>(index)];
    m_current = &h;
    m_currentIndex = index;
    m_storage->ChangeVolume(VolumeOf(h));
    m_storage->Seek(m_bytesBeforeZip + h.m_localHeaderOffset);
    uint16_t extraLength = 0;
    if (!h.CheckLocal(*m_storage, &extraLength))
        fail();
    m_localExtraField.Release();
    if (extraLength != 0) {
        const int volume = m_storage->GetCurrentVolume();
        m_localExtraField.Allocate(extraLength);
        m_storage->Read(m_localExtraField.Data(), extraLength, true);
        if (m_storage->GetCurrentVolume() != volume)
            fail();
    }
    // With the local extra field known, the data must still end before the
    // next entry or the directory on the same volume.
    const uint64_t dataEnd = m_storage->GetPosition() + h.m_compressedSize;
    const int volume = m_storage->GetCurrentVolume();
    if (static_cast<size_t>(index) + 1 < m_headers.size()) {
        const CZipEntryHeader& next = *m_headers[static_cast<size_t>(index) + 1];
        if (VolumeOf(next) == volume && dataEnd > m_bytesBeforeZip + next.m_localHeaderOffset)
            fail();
    } else if (m_directoryOnDisk && volume == m_directoryStartVolume &&
               dataEnd > m_bytesBeforeZip + m_directoryOffset) {
        // (Entries added since the directory was cut off end at the file's end.)
        fail();
    }
}

void CZipDirectory::CloseEntry(bool skipDescriptor) {
    if (m_current != nullptr && !skipDescriptor && m_current->HasDescriptor()) {
        // Optional signature, then CRC-32 and both sizes.
        uint8_t bytes[16];
        m_storage->Read(bytes, 4, false);
        uint32_t have = 4;
        if (ZipGet32(bytes) == kDescriptorSignature)
            have = 0;
        m_storage->Read(bytes + have, 12 - have, false);
        if (!m_current->CompareCrcAndSizes(bytes))
            CZipException::ThrowError(CZipException::kBadZipFile, m_storage->GetFilePath());
    }
    DropEntry();
}

void CZipDirectory::DropEntry() {
    m_current = nullptr;
    m_currentIndex = -1;
    m_localExtraField.Release();
}

void CZipDirectory::Clear(bool everything) {
    DropEntry();
    if (everything) {
        m_nameIndex.clear();
        m_nameKeys.clear();
        m_headers.clear();
        m_comment.Release();
    }
}

CZipByteBuffer CZipDirectory::ArchiveName(const CZipEntryHeader& header) const {
    if (!m_namesConverted)
        return header.FileNameBuffer();
    CZipEntryHeader copy;
    copy.m_versionMadeBy = header.m_versionMadeBy;
    copy.FileNameBuffer() = header.FileNameBuffer();
    ZipPlatformOps::ConvertName(copy, false);
    return copy.FileNameBuffer();
}

void CZipDirectory::SetComment(const std::string& comment) {
    m_comment.Assign(comment.data(), static_cast<uint32_t>(comment.size()));
}

void CZipDirectory::OnChange() {
    if (m_directoryOnDisk) {
        m_storage->Truncate(uint64_t(m_directoryOffset) + m_bytesBeforeZip);
        m_directoryOnDisk = false;
    } else {
        m_storage->Flush();
    }
}

CZipEntryHeader* CZipDirectory::AddHeader(const CZipEntryHeader& header) {
    m_headers.push_back(std::make_unique<CZipEntryHeader>(header));
    CZipEntryHeader* added = m_headers.back().get();
    m_current = added;
    m_currentIndex = GetCount() - 1;
    if (m_nameIndexOn)
        InsertIntoNameIndex(added, m_currentIndex);
    OnChange();
    m_storage->Flush();
    if (!m_storage->IsSpanned())
        m_storage->File()->SeekToEnd();
    return added;
}

void CZipDirectory::RemoveHeader(int index, bool shiftIndexes) {
    if (!IsValidIndex(index))
        return;
    CZipEntryHeader* header = GetHeader(index);
    if (m_current == header)
        DropEntry();
    for (size_t i = 0; i < m_nameIndex.size(); ++i) {
        if (m_nameIndex[i].header == header) {
            m_nameIndex.erase(m_nameIndex.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    if (shiftIndexes) {
        for (NameIndexEntry& e : m_nameIndex) {
            if (e.index > index)
                --e.index;
        }
    }
    m_headers.erase(m_headers.begin() + index);
}

void CZipDirectory::RemoveLastEntry(int index) {
    if (m_headers.empty())
        return;
    if (index < 0)
        index = GetCount() - 1;
    const uint64_t offset = GetHeader(index)->m_localHeaderOffset;
    RemoveHeader(index, true);
    m_storage->Truncate(offset + m_bytesBeforeZip);
    m_directoryOnDisk = false;
}

void CZipDirectory::RenameHeader(int index, const std::string& name) {
    CZipEntryHeader& h = *GetHeader(index);
    h.SetFileName(name);
    if (!m_namesConverted)
        ZipPlatformOps::ConvertName(h, false);
    if (m_nameIndexOn)
        BuildNameIndex(m_nameIndexCaseSensitive);
}

void CZipDirectory::CloseNewEntry() {
    CZipEntryHeader& h = *m_current;
    const bool spanned = m_storage->IsSpanned();
    uint8_t values[12];
    h.GetCrcAndSizes(values);
    auto patchLocal = [&]() {
        m_storage->Flush();
        CZipStream& file = *m_storage->File();
        file.Seek(static_cast<int64_t>(m_bytesBeforeZip + h.m_localHeaderOffset + 14),
                  CZipStream::kBegin);
        file.Write(values, 12);
        file.SeekToEnd();
    };
    if (h.HasDescriptor()) {
        uint8_t descriptor[16];
        uint32_t length = 0;
        if (spanned || h.IsEncrypted()) {
            ZipPut32(descriptor, kDescriptorSignature);
            length = 4;
        }
        std::memcpy(descriptor + length, values, 12);
        m_storage->Write(descriptor, length + 12, true);
        // A reader of one archive finds the values in the local header too.
        if (!spanned && h.IsEncrypted())
            patchLocal();
    } else {
        patchLocal();
    }
    DropEntry();
}

void CZipDirectory::RemoveDescriptors() {
    m_storage->Flush();
    CZipStream& file = *m_storage->File();
    const uint64_t length = file.GetLength();
    CZipByteBuffer block(65536);
    uint64_t removed = 4; // the spanning signature
    auto move = [&](uint64_t from, uint64_t to, uint64_t count, bool patch,
                    const CZipEntryHeader* h) {
        bool firstBlock = true;
        while (count > 0) {
            const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(count, block.Length()));
            file.Seek(static_cast<int64_t>(from), CZipStream::kBegin);
            if (file.Read(block.Data(), n) != n)
                CZipException::ThrowError(CZipException::kBadZipFile, m_storage->GetFilePath());
            if (patch && firstBlock && n >= CZipEntryHeader::kLocalSize) {
                uint8_t* local = block.Data();
                ZipPut16(local + 6, static_cast<uint16_t>(ZipGet16(local + 6) & ~kDescriptorFlag));
                h->GetCrcAndSizes(local + 14);
            }
            firstBlock = false;
            file.Seek(static_cast<int64_t>(to), CZipStream::kBegin);
            file.Write(block.Data(), n);
            from += n;
            to += n;
            count -= n;
        }
    };
    for (size_t i = 0; i < m_headers.size(); ++i) {
        CZipEntryHeader& h = *m_headers[i];
        const uint64_t start = h.m_localHeaderOffset;
        const uint64_t end =
            i + 1 < m_headers.size() ? m_headers[i + 1]->m_localHeaderOffset : length;
        if (end < start)
            CZipException::ThrowError(CZipException::kBadZipFile, m_storage->GetFilePath());
        const bool drop = h.HasDescriptor() && !h.IsEncrypted();
        const uint64_t keep = drop ? end - start - 16 : end - start;
        move(start, start - removed, keep, drop, &h);
        h.m_localHeaderOffset = static_cast<uint32_t>(start - removed);
        if (drop) {
            h.m_flags = static_cast<uint16_t>(h.m_flags & ~kDescriptorFlag);
            removed += 16;
        }
    }
    file.SetLength(length - removed);
    file.SeekToEnd();
}

void CZipDirectory::Write(CZipActionCallback* callback) {
    if (m_directoryOnDisk)
        return;
    const std::string path = m_storage->GetFilePath();
    if (!m_storage->IsSpanned()) {
        m_storage->Flush();
        m_storage->File()->SeekToEnd();
    }
    bool converted = false;
    if (m_storage->IsCreatingSpan() && m_storage->GetCurrentVolume() == 0) {
        uint64_t saved = 4;
        for (const auto& h : m_headers) {
            if (h->HasDescriptor() && !h->IsEncrypted())
                saved += 16;
        }
        if (uint64_t(m_storage->FreeSpace()) + saved >= GetSize(true)) {
            RemoveDescriptors();
            m_storage->BecomeSingleVolume();
            converted = true;
        }
    }
    const uint64_t directoryStart = m_storage->WritePosition();
    try {
        m_directoryStartVolume = static_cast<uint16_t>(m_storage->GetCurrentVolume());
        m_directoryOffset = static_cast<uint32_t>(directoryStart - m_bytesBeforeZip);
        m_directorySize = 0;
        m_entriesOnThisVolume = 0;
        if (callback != nullptr)
            callback->SetTotal(m_headers.size());
        int volume = m_storage->GetCurrentVolume();
        for (size_t i = 0; i < m_headers.size(); ++i) {
            if (callback != nullptr && i % 256 == 0 && !callback->OnProgress(256)) {
                if (!m_storage->IsSpanned()) {
                    m_storage->Truncate(directoryStart);
                    CZipException::ThrowError(CZipException::kAbortedSafely, path);
                }
                CZipException::ThrowError(CZipException::kAbortedAction, path);
            }
            const CZipEntryHeader& h = *m_headers[i];
            const CZipByteBuffer name = ArchiveName(h);
            m_directorySize += h.WriteCentral(*m_storage, &name);
            if (m_storage->GetCurrentVolume() != volume) {
                volume = m_storage->GetCurrentVolume();
                m_entriesOnThisVolume = 1;
                if (i == 0) {
                    m_directoryOffset = static_cast<uint32_t>(m_storage->LastWritePosition());
                    m_directoryStartVolume = static_cast<uint16_t>(volume);
                }
            } else {
                ++m_entriesOnThisVolume;
            }
        }
        const uint32_t recordSize = kEndSize + m_comment.Length();
        m_storage->Reserve(recordSize);
        if (m_storage->GetCurrentVolume() != volume) {
            if (converted)
                CZipException::ThrowError(CZipException::kBadZipFile, path);
            m_entriesOnThisVolume = 0;
            if (m_headers.empty()) {
                m_directoryStartVolume = static_cast<uint16_t>(m_storage->GetCurrentVolume());
                m_directoryOffset = 0;
            }
        }
        m_thisVolume = static_cast<uint16_t>(m_storage->GetCurrentVolume());
        m_entryCount = static_cast<uint16_t>(m_headers.size());
        CZipByteBuffer record(recordSize);
        uint8_t* r = record.Data();
        ZipPut32(r, kEndSignature);
        ZipPut16(r + 4, m_thisVolume);
        ZipPut16(r + 6, m_directoryStartVolume);
        ZipPut16(r + 8, m_entriesOnThisVolume);
        ZipPut16(r + 10, m_entryCount);
        ZipPut32(r + 12, m_directorySize);
        ZipPut32(r + 16, m_directoryOffset);
        ZipPut16(r + 20, static_cast<uint16_t>(m_comment.Length()));
        if (m_comment.Length() != 0)
            std::memcpy(r + kEndSize, m_comment.Data(), m_comment.Length());
        m_endRecordPosition = m_storage->Write(r, recordSize, true);
        if (callback != nullptr)
            callback->End();
    } catch (...) {
        if (converted)
            m_thisVolume = 0;
        throw;
    }
    m_directoryOnDisk = true;
}

int CZipDirectory::CountEntries(bool filesOnly) const {
    if (!filesOnly)
        return GetCount();
    int n = 0;
    for (const auto& h : m_headers) {
        if (!h->IsDirectory())
            ++n;
    }
    return n;
}

uint64_t CZipDirectory::GetSize(bool withHeaders) const {
    uint64_t size = kEndSize + m_comment.Length();
    if (withHeaders) {
        for (const auto& h : m_headers)
            size += h->GetSize(false);
    }
    return size;
}
