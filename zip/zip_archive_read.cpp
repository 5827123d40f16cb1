// CZipArchive: opening, reading and closing an entry.
#include <cstring>

#include "platform/platform.h"
#include "zip/zip_archive.h"
#include "zip/zip_crc.h"
#include "zip/zip_platform.h"

namespace {

// Attribute bits that extraction applies to what it creates.
constexpr uint32_t kSettableAttributes = ZipPlatformOps::kAttrReadOnly |
                                         ZipPlatformOps::kAttrHidden | ZipPlatformOps::kAttrSystem |
                                         ZipPlatformOps::kAttrArchive;

} // namespace

void CZipArchive::DropOpenEntry() {
    m_directory.DropEntry();
    m_entryState = 0;
    m_info.m_buffer.Release();
    FreeZlibBlocks();
    ResetStream();
}

bool CZipArchive::OpenEntry(int index) {
    if (IsClosed() || !m_directory.IsValidIndex(index) || m_storage.IsCreatingSpan() ||
        m_entryState != 0)
        return false;
    const std::string path = GetArchivePath();
    try {
        m_info.m_buffer.Allocate(m_info.m_bufferSize);
        m_directory.OpenEntry(index);
        const CZipEntryHeader& h = *m_directory.CurrentHeader();

        uint32_t dataSize = h.m_compressedSize;
        if (h.IsEncrypted()) {
            // The 12-byte encryption header is part of the compressed size.
            if (dataSize < CZipCryptKeys::kHeaderSize)
                CZipException::ThrowError(CZipException::kBadZipFile, path);
            dataSize -= CZipCryptKeys::kHeaderSize;
        }
        // Stored data has one size; sizes that disagree would leave the copy
        // loop without input it is waiting for.
        if (h.m_method == 0 && dataSize != h.m_uncompressedSize)
            CZipException::ThrowError(CZipException::kBadZipFile, path);
        if (h.m_method != 0 && h.m_method != 8)
            CZipException::ThrowError(CZipException::kBadZipFile, path);

        if (h.IsEncrypted()) {
            if (m_password.IsEmpty())
                CZipException::ThrowError(CZipException::kBadPassword, path);
            m_keys.InitKeys(m_password);
            uint8_t header[CZipCryptKeys::kHeaderSize];
            m_storage.Read(header, CZipCryptKeys::kHeaderSize, false);
            const uint8_t check = h.HasDescriptor() ? static_cast<uint8_t>(h.m_modTime >> 8)
                                                    : static_cast<uint8_t>(h.m_crc32 >> 24);
            if (!m_keys.CheckHeader(header, check))
                CZipException::ThrowError(CZipException::kBadPassword, path);
        }

        ResetStream();
        if (h.m_method == 8) {
            const int result = inflateInit2(&m_info.m_stream, -MAX_WBITS);
            if (result != Z_OK)
                ThrowZlib(result);
            m_inflateActive = true;
        }
        m_info.m_compressedLeft = dataSize;
        m_info.m_uncompressedLeft = h.m_uncompressedSize;
        m_info.m_crc32 = 0;
        m_info.m_stream.avail_in = 0;
        m_info.m_stream.total_out = 0;
        m_entryState = -1;
        return true;
    } catch (...) {
        DropOpenEntry();
        throw;
    }
}

uint32_t CZipArchive::ReadEntry(void* buffer, uint32_t size) {
    if (m_entryState != -1 || buffer == nullptr || size == 0)
        return 0;
    CZipEntryHeader& h = *m_directory.CurrentHeader();
    z_stream& stream = m_info.m_stream;
    const bool deflated = h.m_method == 8;
    const uint32_t room = size < m_info.m_uncompressedLeft ? size : m_info.m_uncompressedLeft;
    stream.next_out = static_cast<Bytef*>(buffer);
    stream.avail_out = room;
    uint32_t delivered = 0;

    // Once the declared size is delivered the rest of the input is still
    // consumed, so that the stream's end (and a descriptor after it) is reached.
    while (stream.avail_out > 0 ||
           (m_info.m_uncompressedLeft == 0 &&
            (m_info.m_compressedLeft > 0 || (deflated && stream.avail_in > 0)))) {
        bool readInput = false;
        if (stream.avail_in == 0 && m_info.m_compressedLeft > 0) {
            const uint32_t chunk = m_info.m_buffer.Length() < m_info.m_compressedLeft
                                       ? m_info.m_buffer.Length()
                                       : m_info.m_compressedLeft;
            if (chunk == 0)
                return 0;
            m_storage.Read(m_info.m_buffer.Data(), chunk, false);
            if (h.IsEncrypted())
                m_keys.DecodeBuffer(m_info.m_buffer.Data(), chunk);
            m_info.m_compressedLeft -= chunk;
            stream.next_in = m_info.m_buffer.Data();
            stream.avail_in = chunk;
            readInput = true;
        }
        uint32_t produced;
        uint32_t consumed;
        if (deflated) {
            const uInt inBefore = stream.avail_in;
            const uInt outBefore = stream.avail_out;
            Bytef* out = stream.next_out;
            const int result = inflate(&stream, Z_SYNC_FLUSH);
            produced = outBefore - stream.avail_out;
            consumed = inBefore - stream.avail_in;
            m_info.m_crc32 = ZipCrc::Update(m_info.m_crc32, out, produced);
            delivered += produced;
            m_info.m_uncompressedLeft -= produced;
            if (result == Z_STREAM_END) {
                // Input after the stream's end is junk inside the entry:
                // what is buffered is dropped, CloseEntry skips the rest.
                stream.avail_in = 0;
                break;
            }
            if (result != Z_OK && result != Z_NEED_DICT)
                ThrowZlib(result);
        } else {
            produced = stream.avail_out < stream.avail_in ? stream.avail_out : stream.avail_in;
            std::memcpy(stream.next_out, stream.next_in, produced);
            m_info.m_crc32 = ZipCrc::Update(m_info.m_crc32, stream.next_out, produced);
            stream.next_in += produced;
            stream.avail_in -= produced;
            stream.next_out += produced;
            stream.avail_out -= produced;
            stream.total_in += produced;
            stream.total_out += produced;
            delivered += produced;
            m_info.m_uncompressedLeft -= produced;
            consumed = produced;
        }
        // A step that neither read, consumed nor produced anything would
        // repeat for ever.
        if (!readInput && consumed == 0 && produced == 0)
            CZipException::ThrowError(CZipException::kBadZipFile, GetArchivePath());
    }
    return delivered;
}

int CZipArchive::CloseEntry(const char* targetPath, bool afterException) {
    if (m_entryState != -1)
        return kNotOpen;
    if (afterException) {
        DropOpenEntry();
        return kClosed;
    }
    return FinishEntry(targetPath, nullptr, false);
}

int CZipArchive::FinishEntry(const char* targetPath, CZipDiskFile* file, bool freshFile) {
    CZipEntryHeader& h = *m_directory.CurrentHeader();
    int result = kClosed;
    if (m_info.m_uncompressedLeft > 0) {
        result = kIncomplete;
    } else if (!m_ignoreCrc && m_info.m_crc32 != h.m_crc32) {
        const std::string path = targetPath ? std::string(targetPath) : GetArchivePath();
        DropOpenEntry();
        CZipException::ThrowError(CZipException::kBadCrc, path);
    }
    if (m_inflateActive) {
        inflateEnd(&m_info.m_stream);
        m_inflateActive = false;
    }
    if (targetPath != nullptr) {
        const time_t time = h.GetTime();
        const uint32_t attributes = h.GetSystemAttributes() & kSettableAttributes;
        bool timeSet;
        if (file != nullptr && !file->IsClosed()) {
            // Through the open handle: the file is not looked up and opened
            // once more by name just to take its time.
            timeSet = plat::SetFileModTimeOf(file->OsHandle(), static_cast<int64_t>(time));
            file->Close();
        } else {
            timeSet = ZipPlatformOps::SetFileModTime(targetPath, time);
        }
        // A file extraction has just created carries the archive bit and
        // nothing else already.
        const bool attributesSet = (freshFile && attributes == ZipPlatformOps::kAttrArchive) ||
                                   ZipPlatformOps::SetFileAttributes(targetPath, attributes);
        if (!timeSet || !attributesSet)
            result = kAttrFailed;
    }
    try {
        bool checkDescriptor = result != kIncomplete;
        // Skip what is left of the entry's data, so that a descriptor after
        // it is read from the right place.
        while (checkDescriptor && m_info.m_compressedLeft > 0) {
            const uint32_t chunk = m_info.m_buffer.Length() < m_info.m_compressedLeft
                                       ? m_info.m_buffer.Length()
                                       : m_info.m_compressedLeft;
            if (chunk == 0) {
                checkDescriptor = false;
                break;
            }
            m_storage.Read(m_info.m_buffer.Data(), chunk, false);
            m_info.m_compressedLeft -= chunk;
        }
        m_directory.CloseEntry(!checkDescriptor);
    } catch (...) {
        DropOpenEntry();
        throw;
    }
    DropOpenEntry();
    return result;
}

int CZipArchive::CloseEntryToFile(CZipDiskFile& file) {
    return CloseEntryToFile(file, false);
}

int CZipArchive::CloseEntryToFile(CZipDiskFile& file, bool freshFile) {
    if (m_entryState != -1) {
        file.Close();
        return kNotOpen;
    }
    const std::string path = file.GetFilePath();
    try {
        return FinishEntry(path.c_str(), &file, freshFile);
    } catch (...) {
        // The file is closed whatever happened, as when it was closed first.
        try {
            file.Close();
        } catch (...) {
        }
        throw;
    }
}
