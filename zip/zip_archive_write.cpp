// CZipArchive: writing new entries, copying, replacing, renaming and deleting
// entries, comments and flushing the directory.
#include <algorithm>
#include <cstring>

#include "zip/zip_archive.h"
#include "zip/zip_crc.h"
#include "zip/zip_path.h"
#include "zip/zip_platform.h"

namespace {

constexpr int kReplaceRequest = 0x0100;

// Tiny files rarely shrink; below this size they are stored.
constexpr uint32_t kTinyFile = 5;

// The Unix form of DOS attributes in the upper 16 bits, for readers on
// systems that take their permissions from there.
uint32_t WithUnixMode(uint32_t attributes) {
    const uint32_t unix = ZipPlatformOps::ConvertAttributes(
        attributes & 0xFFFFu, ZipPlatformOps::kSystemDos, ZipPlatformOps::kSystemUnix);
    return (attributes & 0xFFFFu) | (unix & 0xFFFF0000u);
}

// Sets a password aside for as long as it lives.
class PasswordAside {
public:
    PasswordAside(CZipByteBuffer& password, bool active) : m_password(password), m_active(active) {
        if (m_active)
            std::swap(m_saved, m_password);
    }
    ~PasswordAside() {
        if (m_active)
            std::swap(m_saved, m_password);
    }
    PasswordAside(const PasswordAside&) = delete;
    PasswordAside& operator=(const PasswordAside&) = delete;

private:
    CZipByteBuffer& m_password;
    CZipByteBuffer m_saved;
    bool m_active;
};

} // namespace

std::string CZipArchive::GetGlobalComment() const {
    return IsClosed() ? std::string() : m_directory.Comment().ToString();
}

bool CZipArchive::CanModify() const {
    return !IsClosed() && m_entryState == 0 && !m_storage.IsReadOnly() &&
           !m_storage.IsExistingSpan();
}

bool CZipArchive::OpenNewEntry(CZipEntryHeader& header, int level, const char* sourcePath,
                               uint32_t replacedSize) {
    (void)replacedSize; // a replacement is written beside the archive, never in place
    if (!CanModify() || m_directory.GetCount() >= static_cast<int>(kMaxEntries))
        return false;
    if ((level & 0xFFFF) == kReplaceRequest)
        return false; // replacing goes through AddFile, which can put the entry in place safely
    if (level < -1 || level > 9)
        level = -1;
    header.SetSystemCompatibility(m_systemCode);
    if (sourcePath != nullptr) {
        uint32_t attributes = 0;
        if (!ZipPlatformOps::GetFileAttributes(sourcePath, &attributes))
            return false;
        time_t modified = 0;
        if (!ZipPlatformOps::GetFileModTime(sourcePath, &modified))
            modified = std::time(nullptr);
        header.SetTime(modified);
        header.SetSystemAttributes(attributes);
    }
    std::string name = header.GetFileName();
    for (char& c : name) {
        if (c == '/')
            c = '\\';
    }
    const bool folder = header.IsDirectory();
    if (name.empty())
        name = ZipStr::FormatText("file%i", m_directory.GetCount());
    if (folder && !ZipStr::IsSeparator(name.back()))
        name += '\\';
    if (!IsSafeEntryName(name))
        return false;
    header.SetFileName(name);
    if (folder)
        level = 0;

    const bool encrypted = !m_password.IsEmpty();
    if (!header.PrepareData(level, m_storage.IsCreatingSpan(), encrypted))
        CZipException::ThrowError(CZipException::kTooLongFileName, GetArchivePath());
    m_info.m_buffer.Allocate(m_info.m_bufferSize == 0 ? 65536 : m_info.m_bufferSize);

    CZipEntryHeader* added = m_directory.AddHeader(header);
    try {
        const CZipByteBuffer archiveName = m_directory.ArchiveName(*added);
        added->WriteLocal(m_storage, &archiveName);
        added->m_localHeaderOffset -= static_cast<uint32_t>(m_directory.BytesBeforeArchive());
        if (encrypted) {
            uint8_t cryptHeader[CZipCryptKeys::kHeaderSize];
            // With a data descriptor the check value is the entry's time.
            m_keys.MakeHeader(m_password, uint32_t(added->m_modTime) << 16, cryptHeader);
            m_storage.Write(cryptHeader, CZipCryptKeys::kHeaderSize, false);
        }
        ResetStream();
        m_info.m_stream.next_out = m_info.m_buffer.Data();
        m_info.m_stream.avail_out = m_info.m_buffer.Length();
        if (added->m_method == 8) {
            const int result = deflateInit2(&m_info.m_stream, level, Z_DEFLATED, -MAX_WBITS, 8,
                                            Z_DEFAULT_STRATEGY);
            if (result != Z_OK)
                ThrowZlib(result);
        }
    } catch (...) {
        m_directory.DropEntry();
        m_entryState = 1;
        throw;
    }
    m_writtenIn = 0;
    m_info.m_crc32 = 0;
    m_entryState = 1;
    return true;
}

void CZipArchive::FlushDataBuffer() {
    const uint32_t n = m_info.m_buffer.Length() - m_info.m_stream.avail_out;
    if (n != 0) {
        CZipEntryHeader& h = *m_directory.CurrentHeader();
        if (uint64_t(h.m_compressedSize) + n > 0xFFFFFFFFu)
            CZipException::ThrowError(CZipException::kErrnoFileTooLarge, GetArchivePath());
        if (h.IsEncrypted())
            m_keys.EncodeBuffer(m_info.m_buffer.Data(), n);
        m_storage.Write(m_info.m_buffer.Data(), n, false);
        h.m_compressedSize += n;
    }
    m_info.m_stream.next_out = m_info.m_buffer.Data();
    m_info.m_stream.avail_out = m_info.m_buffer.Length();
}

bool CZipArchive::WriteEntry(const void* data, uint32_t length) {
    if (m_entryState != 1 || m_directory.CurrentHeader() == nullptr)
        return false;
    if (length == 0)
        return true;
    CZipEntryHeader& h = *m_directory.CurrentHeader();
    // Sizes are 32-bit fields: an entry that outgrows them is refused.
    if (m_writtenIn + length > 0xFFFFFFFFu)
        CZipException::ThrowError(CZipException::kErrnoFileTooLarge, GetArchivePath());
    m_writtenIn += length;
    h.m_crc32 = ZipCrc::Update(h.m_crc32, data, length);
    z_stream& stream = m_info.m_stream;
    if (h.m_method == 8) {
        stream.next_in = static_cast<Bytef*>(const_cast<void*>(data));
        stream.avail_in = length;
        while (stream.avail_in > 0) {
            if (stream.avail_out == 0)
                FlushDataBuffer();
            const int result = deflate(&stream, Z_NO_FLUSH);
            if (result != Z_OK && result != Z_BUF_ERROR)
                ThrowZlib(result);
        }
    } else {
        const uint8_t* in = static_cast<const uint8_t*>(data);
        while (length > 0) {
            if (stream.avail_out == 0)
                FlushDataBuffer();
            const uint32_t step = std::min<uint32_t>(length, stream.avail_out);
            std::memcpy(stream.next_out, in, step);
            stream.next_out += step;
            stream.avail_out -= step;
            in += step;
            length -= step;
        }
    }
    return true;
}

bool CZipArchive::CloseNewEntry(bool afterException) {
    if (m_entryState != 1)
        return false;
    CZipEntryHeader* h = m_directory.CurrentHeader();
    if (afterException || h == nullptr) {
        m_directory.DropEntry();
    } else {
        if (h->m_method == 8) {
            int result;
            do {
                if (m_info.m_stream.avail_out == 0)
                    FlushDataBuffer();
                result = deflate(&m_info.m_stream, Z_FINISH);
            } while (result == Z_OK || (result == Z_BUF_ERROR && m_info.m_stream.avail_out == 0));
            if (result != Z_STREAM_END)
                ThrowZlib(result);
            FlushDataBuffer();
            deflateEnd(&m_info.m_stream);
        } else {
            FlushDataBuffer();
        }
        h->m_uncompressedSize = static_cast<uint32_t>(m_writtenIn);
        m_directory.CloseNewEntry();
    }
    m_entryState = 0;
    m_info.m_buffer.Release();
    FreeZlibBlocks();
    ResetStream();
    if (m_autoFlush && !afterException)
        FlushArchive();
    return true;
}

void CZipArchive::TakeBackPartialEntry(bool directoryWasOnDisk) {
    // The new entry goes and the directory returns to where it was, so that
    // the archive reads as before the failed addition.
    try {
        if (m_entryState == 1)
            CloseNewEntry(true);
        m_directory.RemoveLastEntry();
        if (directoryWasOnDisk)
            m_directory.Write();
    } catch (...) {
    }
}

std::string CZipArchive::NameInArchive(const std::string& path, bool keepPath) const {
    std::string trimmed = path;
    ZipStr::RemoveTrailingSeparators(trimmed);
    const CZipPathParts parts(trimmed);
    if (keepPath)
        return parts.GetNoDrive();
    // The root folder is compared with the path as given, whichever
    // separators it uses.
    std::string full = trimmed;
    if (!m_rootFolder.empty() && ZipStr::RemovePathBeginning(m_rootFolder, full, m_compare))
        return full;
    return parts.GetFileName();
}

bool CZipArchive::AddFile(CZipAddRequest& request) {
    if (request.m_bufferSize == 0 || !CanModify())
        return false;
    ZipStr::RemoveTrailingSeparators(request.m_sourcePath);
    if (request.m_sourcePath.empty() && request.m_stream == nullptr)
        return false;
    std::string name = request.m_nameInArchive;
    if (name.empty())
        name = NameInArchive(request.m_sourcePath, request.m_keepPath);

    int replaceIndex = request.m_replaceIndex;
    if (replaceIndex == -2) {
        std::string key = name;
        ZipStr::RemoveTrailingSeparators(key);
        replaceIndex = m_directory.FindEntry(key, false, false, false);
        if (replaceIndex < 0)
            replaceIndex = m_directory.FindEntry(key + "\\", false, false, false);
    } else if (replaceIndex < -1) {
        replaceIndex = -1;
    }
    if (replaceIndex >= 0 && (m_storage.IsSpanned() || m_storage.IsCreatingSpan() ||
                              !m_directory.IsValidIndex(replaceIndex)))
        return false;
    if (replaceIndex < 0 && m_directory.GetCount() >= static_cast<int>(kMaxEntries))
        return false;

    uint32_t attributes = ZipPlatformOps::kDefaultFileAttributes;
    time_t modified = std::time(nullptr);
    if (request.m_stream == nullptr) {
        if (!ZipPlatformOps::GetFileAttributes(request.m_sourcePath, &attributes))
            return false;
        if (!ZipPlatformOps::GetFileModTime(request.m_sourcePath, &modified))
            modified = std::time(nullptr);
        attributes = WithUnixMode(attributes);
    }
    CZipEntryHeader header;
    header.SetFileName(name);
    header.SetSystemCompatibility(m_systemCode);
    header.SetSystemAttributes(attributes);
    header.SetTime(modified);
    const bool folder = header.IsDirectory();

    const bool internal = (request.m_options & CZipAddRequest::kAgainStored) != 0;
    CZipActionCallback* callback = internal ? GetCallback(cbAddStore) : GetCallback(cbAdd);
    if (callback != nullptr && !internal)
        callback->Begin(name.c_str(), request.m_sourcePath.c_str());

    if (folder) {
        if (callback != nullptr)
            callback->SetTotal(0);
        if (replaceIndex >= 0)
            return AddThroughTemporary(request, replaceIndex, 0);
        bool opened;
        {
            PasswordAside aside(m_password,
                                (request.m_options & CZipAddRequest::kFolderPlain) != 0);
            opened = OpenNewEntry(header, 0);
            if (opened)
                CloseNewEntry(false);
        }
        if (callback != nullptr)
            callback->End();
        return opened;
    }

    int level = request.m_level;
    uint32_t size = 0;
    const bool sizeNeeded =
        (request.m_options & (CZipAddRequest::kEmptyPlain | CZipAddRequest::kStoreTiny |
                              CZipAddRequest::kCheckPays)) != 0 ||
        replaceIndex >= 0;
    if (sizeNeeded) {
        if (request.m_stream != nullptr) {
            const uint64_t length = request.m_stream->GetLength();
            size = length > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(length);
        } else if (!ZipPlatformOps::GetFileSize(request.m_sourcePath, &size)) {
            size = 0; // an empty file cannot be opened for its size everywhere
        }
    }
    const bool emptyPlain =
        (request.m_options & CZipAddRequest::kEmptyPlain) != 0 && size == 0 && sizeNeeded;
    if ((request.m_options & CZipAddRequest::kStoreTiny) != 0 && level != 0 && size < kTinyFile)
        level = 0;
    PasswordAside aside(m_password, emptyPlain && !m_password.IsEmpty());

    // A replacement, and a check that cannot take back what a span already
    // holds, are compressed beside the archive first.
    const bool checkPays = (request.m_options & CZipAddRequest::kCheckPays) != 0 && level != 0;
    if (replaceIndex >= 0 || (checkPays && m_storage.IsCreatingSpan())) {
        CZipAddRequest inner = request;
        inner.m_level = level;
        return AddThroughTemporary(inner, replaceIndex, size);
    }

    CZipDiskFile ownFile;
    CZipStream* source = request.m_stream;
    if (source == nullptr) {
        if (!ownFile.Open(request.m_sourcePath.c_str(),
                          ZipOpenFlags::kRead | ZipOpenFlags::kNoTruncate |
                              ZipOpenFlags::kShareDenyWrite,
                          false))
            return false;
        source = &ownFile;
    } else {
        source->SeekToBegin();
    }
    const bool directoryWasOnDisk = m_directory.IsOnDisk();
    const bool canTakeBack = !m_storage.IsCreatingSpan();
    m_info.m_bufferSize = request.m_bufferSize;
    try {
        if (!OpenNewEntry(header, level))
            return false;
        if (callback != nullptr)
            callback->SetTotal(size);
        CZipByteBuffer block(request.m_bufferSize);
        for (;;) {
            const uint32_t n = source->Read(block.Data(), block.Length());
            WriteEntry(block.Data(), n);
            const bool last = n < block.Length();
            if (callback != nullptr && !callback->Advance(n)) {
                uint8_t probe;
                if (last || source->Read(&probe, 1) == 0) {
                    CloseNewEntry(false);
                    CZipException::ThrowError(CZipException::kAbortedSafely, GetArchivePath());
                }
                if (canTakeBack) {
                    TakeBackPartialEntry(directoryWasOnDisk);
                    CZipException::ThrowError(CZipException::kAbortedSafely, GetArchivePath());
                }
                CZipException::ThrowError(CZipException::kAbortedAction, GetArchivePath());
            }
            if (last)
                break;
        }
        CloseNewEntry(false);
    } catch (const CZipException& e) {
        // A failed write (a full disk, say) takes the entry back and leaves
        // the archive as it was; an abort already did what it could.
        if (e.Cause() != CZipException::kAbortedSafely &&
            e.Cause() != CZipException::kAbortedAction && canTakeBack && m_entryState == 1)
            TakeBackPartialEntry(directoryWasOnDisk);
        throw;
    } catch (...) {
        if (canTakeBack && m_entryState == 1)
            TakeBackPartialEntry(directoryWasOnDisk);
        throw;
    }
    if (callback != nullptr)
        callback->End();

    if (checkPays) {
        const CZipEntryHeader& added = *m_directory.GetHeader(m_directory.GetCount() - 1);
        const uint32_t packed =
            added.m_compressedSize - (added.IsEncrypted() ? CZipCryptKeys::kHeaderSize : 0);
        if (packed >= added.m_uncompressedSize && added.m_uncompressedSize != 0) {
            m_directory.RemoveLastEntry();
            CZipAddRequest again = request;
            again.m_nameInArchive = name;
            again.m_level = 0;
            again.m_options = CZipAddRequest::kAgainStored;
            again.m_replaceIndex = -1;
            return AddFile(again);
        }
    }
    return true;
}

bool CZipArchive::AddThroughTemporary(CZipAddRequest& request, int replaceIndex, uint32_t size) {
    CZipArchive temporary;
    CZipMemoryStream memory;
    std::string temporaryPath;
    const bool inMemory = (request.m_options & CZipAddRequest::kCheckInMemory) != 0 ||
                          IsClosed(false) || m_storage.IsInMemory();
    if (!inMemory)
        temporaryPath = ZipPlatformOps::GetTemporaryFileName(m_tempFolder, uint64_t(size) + 1024);
    if (temporaryPath.empty())
        temporary.OpenFromMemory(memory, Create);
    else
        temporary.Open(temporaryPath, Create);
    bool result = false;
    try {
        temporary.m_rootFolder = m_rootFolder;
        temporary.m_password = m_password;
        temporary.m_systemCode = m_systemCode;
        const auto it = m_callbacks.find(cbAdd);
        if (it != m_callbacks.end())
            temporary.SetProgressCallback(it->second, cbAdd);
        CZipAddRequest inner = request;
        inner.m_nameInArchive = request.m_nameInArchive.empty()
                                    ? NameInArchive(request.m_sourcePath, request.m_keepPath)
                                    : request.m_nameInArchive;
        inner.m_options &= ~(CZipAddRequest::kAgainStored);
        inner.m_replaceIndex = -1;
        if (inner.m_stream != nullptr)
            inner.m_stream->SeekToBegin();
        if (temporary.AddFile(inner)) {
            temporary.FlushArchive();
            if (replaceIndex >= 0) {
                std::vector<RewriteItem> items;
                for (int i = 0; i < m_directory.GetCount(); ++i)
                    items.push_back(i == replaceIndex ? RewriteItem{&temporary, 0, nullptr}
                                                      : RewriteItem{this, i, nullptr});
                Rewrite(items, GetCallback(cbMoveData));
                result = true;
            } else {
                result = CopyEntryFrom(temporary, 0, -1, true, GetCallback(cbAddTmp));
            }
        }
        temporary.Close(CloseAbandon);
    } catch (...) {
        temporary.Close(CloseAbandon);
        if (!temporaryPath.empty())
            ZipPlatformOps::RemoveFile(temporaryPath, false);
        throw;
    }
    if (!temporaryPath.empty())
        ZipPlatformOps::RemoveFile(temporaryPath, false);
    return result;
}

bool CZipArchive::AddNewFile(const std::string& path, int level, bool keepPath, int unused,
                             uint32_t bufferSize) {
    (void)unused;
    CZipAddRequest request;
    request.m_sourcePath = path;
    request.m_keepPath = keepPath;
    request.m_level = level;
    request.m_bufferSize = bufferSize;
    return AddFile(request);
}

bool CZipArchive::AddNewFile(const std::string& path, const std::string& name, int level,
                             int unused, uint32_t bufferSize) {
    (void)unused;
    CZipAddRequest request;
    request.m_sourcePath = path;
    request.m_nameInArchive = name;
    request.m_level = level;
    request.m_bufferSize = bufferSize;
    return AddFile(request);
}

bool CZipArchive::AddNewFile(CZipStream& stream, const std::string& name, int level, int unused,
                             uint32_t bufferSize) {
    (void)unused;
    CZipAddRequest request;
    request.m_stream = &stream;
    request.m_nameInArchive = name;
    request.m_level = level;
    request.m_bufferSize = bufferSize;
    return AddFile(request);
}

void CZipArchive::AppendRaw(CZipArchive& source, int index, const std::string* name,
                            bool keepSystem, CZipActionCallback* callback) {
    const std::string sourcePath = source.GetArchivePath();
    CZipEntryHeader header = *source.m_directory.GetHeader(index);
    source.m_directory.OpenEntry(index);
    try {
        const CZipByteBuffer localExtra = source.m_directory.LocalExtraField();
        const uint32_t dataSize = header.m_compressedSize;
        if (!source.m_directory.NamesConverted())
            ZipPlatformOps::ConvertName(header, true);
        if (name != nullptr)
            header.SetFileName(*name);
        if (!keepSystem && header.GetSystemCompatibility() != m_systemCode) {
            header.m_externalAttributes = ZipPlatformOps::ConvertAttributes(
                header.m_externalAttributes, header.GetSystemCompatibility(), m_systemCode);
            header.SetSystemCompatibility(m_systemCode);
        }
        // A span cannot go back to a local header; an encrypted entry keeps
        // its flags, which its password check depends on.
        if (m_storage.IsCreatingSpan() && !header.IsEncrypted())
            header.m_flags |= CZipEntryHeader::kFlagDescriptor;
        const CZipByteBuffer centralExtra = header.ExtraField();
        header.ExtraFieldBuffer() = localExtra;
        CZipEntryHeader* added = m_directory.AddHeader(header);
        try {
            const CZipByteBuffer archiveName = m_directory.ArchiveName(*added);
            added->WriteLocal(m_storage, &archiveName);
            added->m_localHeaderOffset -= static_cast<uint32_t>(m_directory.BytesBeforeArchive());
            added->ExtraFieldBuffer() = centralExtra;
            if (callback != nullptr)
                callback->SetTotal(dataSize);
            CZipByteBuffer block(m_info.m_bufferSize == 0 ? 65536 : m_info.m_bufferSize);
            uint32_t left = dataSize;
            while (left > 0) {
                const uint32_t n = std::min(left, block.Length());
                source.m_storage.Read(block.Data(), n, false);
                m_storage.Write(block.Data(), n, false);
                left -= n;
                if (callback != nullptr && !callback->Advance(n) && left > 0)
                    CZipException::ThrowError(CZipException::kAbortedSafely, GetArchivePath());
            }
            m_directory.CloseNewEntry();
        } catch (...) {
            m_directory.DropEntry();
            throw;
        }
    } catch (...) {
        source.m_directory.DropEntry();
        throw;
    }
    source.m_directory.DropEntry();
}

bool CZipArchive::CopyEntryFrom(CZipArchive& other, int index, int replaceIndex, bool keepSystem,
                                CZipActionCallback* callback) {
    if (!CanModify() || other.IsClosed() || other.m_entryState != 0 ||
        other.m_storage.IsSpanned() || other.m_storage.IsCreatingSpan() ||
        !other.m_directory.IsValidIndex(index) || &other == this)
        return false;
    std::string name = other.m_directory.GetHeader(index)->GetFileName();
    if (!other.m_directory.NamesConverted()) {
        CZipEntryHeader copy = *other.m_directory.GetHeader(index);
        ZipPlatformOps::ConvertName(copy, true);
        name = copy.GetFileName();
    }
    if (!IsSafeEntryName(name))
        return false;
    if (replaceIndex == -2)
        replaceIndex = m_directory.FindEntry(name, false, false, false);
    else if (replaceIndex < -1)
        replaceIndex = -1;
    if (replaceIndex >= 0) {
        if (m_storage.IsCreatingSpan() || !m_directory.IsValidIndex(replaceIndex))
            return false;
        std::vector<RewriteItem> items;
        for (int i = 0; i < m_directory.GetCount(); ++i)
            items.push_back(i == replaceIndex ? RewriteItem{&other, index, nullptr}
                                              : RewriteItem{this, i, nullptr});
        Rewrite(items, GetCallback(cbMoveData));
        return true;
    }
    if (m_directory.GetCount() >= static_cast<int>(kMaxEntries))
        return false;
    const bool directoryWasOnDisk = m_directory.IsOnDisk();
    try {
        AppendRaw(other, index, nullptr, keepSystem, callback);
    } catch (...) {
        if (!m_storage.IsCreatingSpan()) {
            // The header was added before the data: take both back.
            try {
                if (m_directory.GetCount() > 0 &&
                    m_directory.GetHeader(m_directory.GetCount() - 1)->GetFileName() == name)
                    m_directory.RemoveLastEntry();
                if (directoryWasOnDisk)
                    m_directory.Write();
            } catch (...) {
            }
        }
        throw;
    }
    if (m_autoFlush)
        FlushArchive();
    return true;
}

bool CZipArchive::CopyEntriesFrom(CZipArchive& other, std::vector<int> indexes, bool keepSystem) {
    if (!CanModify())
        return false;
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    CZipActionCallback* callback = GetCallback(cbCopyFrom);
    for (int index : indexes) {
        // The index names an entry of the source, so it is checked there.
        if (!other.m_directory.IsValidIndex(index))
            continue;
        if (!CopyEntryFrom(other, index, -1, keepSystem, callback))
            return false;
    }
    return true;
}

void CZipArchive::Rewrite(const std::vector<RewriteItem>& items, CZipActionCallback* callback) {
    const bool inMemory = m_storage.IsInMemory();
    const std::string path = GetArchivePath();
    CZipArchive target;
    CZipMemoryStream memory;
    std::string targetPath;
    if (inMemory) {
        target.OpenFromMemory(memory, Create);
    } else {
        targetPath = ZipPlatformOps::CreateTemporaryFileIn(CZipPathParts(path).GetFilePath());
        if (targetPath.empty())
            CZipException::ThrowError(CZipException::kNotRenamed, path);
        try {
            target.Open(targetPath, Create);
        } catch (...) {
            ZipPlatformOps::RemoveFile(targetPath, false);
            throw;
        }
    }
    try {
        target.m_systemCode = m_systemCode;
        target.m_info.m_bufferSize = 65536;
        target.m_directory.SetComment(m_directory.Comment().ToString());
        // Whatever precedes the first entry (a self-extractor, say) stays.
        const uint64_t before = m_directory.BytesBeforeArchive();
        uint64_t prefix = before;
        if (m_directory.GetCount() > 0)
            prefix += m_directory.GetHeader(0)->m_localHeaderOffset;
        if (prefix != 0) {
            CZipByteBuffer block(65536);
            m_storage.Seek(0);
            for (uint64_t done = 0; done < prefix;) {
                const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(prefix - done, 65536));
                m_storage.Read(block.Data(), n, true);
                target.m_storage.Write(block.Data(), n, false);
                done += n;
            }
        }
        target.m_directory.SetBytesBeforeArchive(before);
        if (callback != nullptr)
            callback->SetTotal(items.size());
        for (const RewriteItem& item : items) {
            target.AppendRaw(*item.source, item.index, item.name, true, nullptr);
            if (callback != nullptr && !callback->Advance(1))
                CZipException::ThrowError(CZipException::kAbortedSafely, path);
        }
        target.m_directory.Write();
        target.Close();
    } catch (...) {
        target.Close(CloseAbandon);
        if (!targetPath.empty())
            ZipPlatformOps::RemoveFile(targetPath, false);
        throw;
    }
    if (callback != nullptr)
        callback->End();

    // The complete new archive takes the old one's place.
    const CZipByteBuffer password = m_password;
    const std::string rootFolder = m_rootFolder;
    const int systemCode = m_systemCode;
    CZipStream* stream = m_storage.File();
    m_directory.Clear(true);
    m_storage.Close(true);
    bool replaced = true;
    if (inMemory) {
        CZipMemoryStream& own = *static_cast<CZipMemoryStream*>(stream);
        own.SetLength(0);
        own.SeekToBegin();
        own.Write(memory.Data(), static_cast<uint32_t>(memory.GetLength()));
        m_storage.OpenMemory(own, OpenExisting);
    } else {
        replaced = ZipPlatformOps::ReplaceFile(targetPath, path);
        if (!replaced)
            ZipPlatformOps::RemoveFile(targetPath, false);
        m_storage.Open(path, OpenExisting, 0);
    }
    ReadDirectoryAfterOpen();
    m_password = password;
    m_rootFolder = rootFolder;
    m_systemCode = systemCode;
    if (!replaced)
        CZipException::ThrowError(CZipException::kNotRenamed, targetPath);
}

bool CZipArchive::DeleteEntry(int index) {
    return DeleteEntries(std::vector<int>{index});
}

bool CZipArchive::DeleteEntries(std::vector<int> indexes) {
    if (!CanModify() || m_storage.IsCreatingSpan() || indexes.empty())
        return false;
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    for (int index : indexes) {
        if (!m_directory.IsValidIndex(index))
            return false;
    }
    std::vector<RewriteItem> items;
    size_t next = 0;
    for (int i = 0; i < m_directory.GetCount(); ++i) {
        if (next < indexes.size() && indexes[next] == i) {
            ++next;
            continue;
        }
        items.push_back({this, i, nullptr});
    }
    Rewrite(items, GetCallback(cbDelete));
    return true;
}

bool CZipArchive::DeleteEntriesByName(const std::vector<std::string>& names) {
    std::vector<int> indexes;
    FindEntries(names, indexes);
    return DeleteEntries(indexes);
}

bool CZipArchive::RenameEntry(int index, const std::string& newName) {
    if (!CanModify() || m_storage.IsCreatingSpan() || !m_directory.IsValidIndex(index))
        return false;
    CZipEntryHeader& h = *m_directory.GetHeader(index);
    std::string name = newName;
    for (char& c : name) {
        if (c == '/')
            c = '\\';
    }
    ZipStr::RemoveTrailingSeparators(name);
    if (h.IsDirectory())
        name += '\\';
    if (!IsSafeEntryName(name))
        return false;
    std::string current = h.GetFileName();
    if (!m_directory.NamesConverted()) {
        CZipEntryHeader copy = h;
        ZipPlatformOps::ConvertName(copy, true);
        current = copy.GetFileName();
    }
    if (GetCompareFunction(true, true)(current.c_str(), name.c_str()) == 0)
        return true;
    std::vector<RewriteItem> items;
    for (int i = 0; i < m_directory.GetCount(); ++i)
        items.push_back({this, i, i == index ? &name : nullptr});
    Rewrite(items, GetCallback(cbRename));
    return true;
}

int CZipArchive::FindAddedName(const std::string& path, bool keepPath, bool nameOnly, int kind) {
    if (IsClosed())
        return -1;
    std::string trimmed = path;
    ZipStr::RemoveTrailingSeparators(trimmed);
    std::string name =
        nameOnly ? CZipPathParts(trimmed).GetFileName() : NameInArchive(trimmed, keepPath);
    const bool folder =
        kind == 0 || (kind != 1 && !path.empty() && ZipStr::IsSeparator(path.back()));
    if (folder && !nameOnly)
        name += '\\';
    return m_directory.FindEntry(name, false, false, nameOnly);
}

bool CZipArchive::SetGlobalComment(const std::string& comment) {
    if (!CanModify() || comment.size() > 0xFFFF)
        return false;
    m_directory.OnChange();
    m_directory.SetComment(comment);
    if (m_autoFlush)
        FlushArchive();
    return true;
}

bool CZipArchive::SetEntryComment(int index, const std::string& comment) {
    if (!CanModify() || !m_directory.IsValidIndex(index) || comment.size() > 0xFFFF)
        return false;
    m_directory.OnChange();
    m_directory.GetHeader(index)->SetComment(comment);
    if (m_autoFlush)
        FlushArchive();
    return true;
}

void CZipArchive::SetTempFolder(const std::string& path, bool create) {
    m_tempFolder = path;
    ZipStr::RemoveTrailingSeparators(m_tempFolder);
    if (create && !m_tempFolder.empty())
        ZipPlatformOps::ForceDirectory(m_tempFolder);
}

bool CZipArchive::SetSystemCode(int system) {
    if (IsClosed() || m_entryState == 1 || !ZipPlatformOps::IsSystemHandled(system))
        return false;
    m_systemCode = system;
    return true;
}

void CZipArchive::FinishDirectory(bool flushStorage) {
    if (IsClosed())
        return;
    m_directory.Write(GetCallback(cbSave));
    if (flushStorage)
        m_storage.Flush();
}

int CZipArchive::FlushArchive() {
    if (IsClosed())
        return 0;
    if (m_storage.IsExistingSpan())
        return -1;
    if (m_storage.IsReadOnly())
        return 0;
    FinishDirectory(true);
    if (!m_storage.IsInMemory())
        m_storage.File()->Flush();
    if (m_storage.IsCreatingSpan())
        m_storage.FinishSpan();
    return 0;
}
