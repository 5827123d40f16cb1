#include "zip/zip_storage.h"

#include <cstring>

#include "zip/zip_exception.h"
#include "zip/zip_header.h"
#include "zip/zip_path.h"
#include "zip/zip_platform.h"

namespace {

// Volumes and archives are read without truncation, others may read too.
constexpr ZipOpenFlags kReadOnlyFlags =
    ZipOpenFlags::kRead | ZipOpenFlags::kNoTruncate | ZipOpenFlags::kShareDenyWrite;
constexpr ZipOpenFlags kReadWriteFlags =
    ZipOpenFlags::kReadWrite | ZipOpenFlags::kNoTruncate | ZipOpenFlags::kShareDenyWrite;
// New archives and volumes are created empty.
constexpr ZipOpenFlags kCreateFlags =
    ZipOpenFlags::kReadWrite | ZipOpenFlags::kCreate | ZipOpenFlags::kShareDenyWrite;

} // namespace

CZipVolumeStorage::~CZipVolumeStorage() {
    try {
        if (!m_inMemory && !m_ownFile.IsClosed())
            m_ownFile.Close();
    } catch (...) {
    }
}

void CZipVolumeStorage::Open(const std::string& path, int mode, uint32_t volumeSize) {
    m_creatingSpan = false;
    m_inMemory = false;
    m_file = &m_ownFile;
    m_readOnly = mode == kOpenReadOnly;
    m_archivePath = path;
    m_pending = 0;
    m_bytesOnVolume = 0;
    m_volumeSize = 0;
    m_lastVolume = 0;
    m_diskRequests = 0;
    switch (mode) {
    case kOpenExisting:
    case kOpenReadOnly:
        m_ownFile.Open(path.c_str(), m_readOnly ? kReadOnlyFlags : kReadWriteFlags, true);
        m_spanMode = volumeSize != 0 ? kDetectFixedSpan : kDetectSpan;
        m_currentVolume = 0;
        break;
    case kCreate:
        m_ownFile.Open(path.c_str(), kCreateFlags, true);
        m_writeBuffer.Allocate(kWriteBufferSize);
        m_spanMode = kNoSpan;
        m_currentVolume = 0;
        break;
    case kCreateSpan: {
        if (volumeSize != 0) {
            m_volumeSize = volumeSize;
            m_spanMode = kFixedSpan;
        } else {
            if (m_callback == nullptr)
                CZipException::ThrowError(CZipException::kNoCallback, path);
            if (!ZipPlatformOps::IsDriveRemovable(path))
                CZipException::ThrowError(CZipException::kNonRemovable, path);
            m_spanMode = kRemovableSpan;
        }
        m_writeBuffer.Allocate(kWriteBufferSize);
        m_currentVolume = 0;
        m_creatingSpan = true;
        try {
            NextVolume(4);
            uint8_t signature[4];
            ZipPut32(signature, kSpanSignature);
            Write(signature, 4, true);
        } catch (...) {
            Close(true);
            throw;
        }
        break;
    }
    default:
        CZipException::ThrowError(CZipException::kInternalError, path);
    }
}

void CZipVolumeStorage::OpenMemory(CZipMemoryStream& stream, int mode) {
    if (mode != kOpenExisting && mode != kOpenReadOnly && mode != kCreate)
        CZipException::ThrowError(CZipException::kInternalError);
    m_creatingSpan = false;
    m_inMemory = true;
    m_readOnly = mode == kOpenReadOnly;
    m_archivePath.clear();
    m_file = &stream;
    m_pending = 0;
    m_bytesOnVolume = 0;
    m_volumeSize = 0;
    m_currentVolume = 0;
    if (mode == kCreate) {
        stream.SetLength(0);
        stream.SeekToBegin();
        m_writeBuffer.Allocate(kWriteBufferSize);
        m_spanMode = kNoSpan;
    } else {
        stream.SeekToBegin();
        m_spanMode = kDetectSpan;
    }
}

std::string CZipVolumeStorage::Close(bool abandon) {
    std::string path = GetFilePath();
    bool closed = false;
    if (!abandon && m_file != nullptr && !IsFileClosed()) {
        Flush();
        if (m_creatingSpan && m_volumeSize != 0) {
            path = RenameLastVolume();
            closed = true;
        }
    }
    if (!closed && !m_inMemory && !m_ownFile.IsClosed()) {
        if (abandon) {
            try {
                m_ownFile.Close();
            } catch (...) {
            }
        } else {
            // What was written reaches the disk before the archive counts as
            // written: a rename over an older archive relies on it.
            if (!m_readOnly && (!IsSpanned() || m_creatingSpan) && m_writeBuffer.Length() != 0)
                m_ownFile.Flush();
            m_ownFile.Close();
        }
    }
    m_writeBuffer.Release();
    m_pending = 0;
    m_file = nullptr;
    m_currentVolume = -1;
    m_spanMode = kNoSpan;
    m_creatingSpan = false;
    m_inMemory = false;
    return path;
}

uint32_t CZipVolumeStorage::FreeSpace() const {
    // Never below zero: a volume filled past its measured room has none.
    uint64_t used = m_pending;
    if (m_spanMode == kFixedSpan)
        used += m_bytesOnVolume;
    else if (m_spanMode != kRemovableSpan)
        return 0xFFFFFFFFu;
    if (used >= m_capacity)
        return 0;
    const uint64_t room = m_capacity - used;
    return room > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(room);
}

uint64_t CZipVolumeStorage::WritePosition() {
    return m_file->GetPosition() + m_pending;
}

void CZipVolumeStorage::Flush() {
    if (m_pending == 0)
        return;
    const uint32_t pending = m_pending;
    // The bytes count as written only once they are: a failed write leaves
    // them pending, so that a later cut can drop them.
    m_file->Write(m_writeBuffer.Data(), pending);
    m_pending = 0;
    if (IsSpanned())
        m_bytesOnVolume += pending;
    if (m_spanMode == kRemovableSpan && !m_inMemory)
        m_capacity = ZipPlatformOps::GetDeviceFreeSpace(GetFilePath());
}

uint64_t CZipVolumeStorage::Write(const void* data, uint32_t length, bool whole) {
    const uint8_t* in = static_cast<const uint8_t*>(data);
    if (m_writeBuffer.Length() == 0)
        m_writeBuffer.Allocate(kWriteBufferSize);
    auto buffer = [this](const uint8_t* bytes, uint32_t n) {
        while (n > 0) {
            if (m_pending == m_writeBuffer.Length())
                Flush();
            const uint32_t room = m_writeBuffer.Length() - m_pending;
            const uint32_t step = n < room ? n : room;
            std::memcpy(m_writeBuffer.Data() + m_pending, bytes, step);
            m_pending += step;
            bytes += step;
            n -= step;
        }
    };
    if (!IsSpanned()) {
        const uint64_t position = WritePosition();
        buffer(in, length);
        m_lastWritePosition = position;
        return position;
    }
    const uint32_t minimum = whole ? length : 1;
    uint64_t position = WritePosition();
    bool first = true;
    while (length > 0 || first) {
        Reserve(minimum);
        if (first) {
            position = WritePosition();
            first = false;
        }
        const uint32_t room = FreeSpace();
        const uint32_t step = length < room ? length : room;
        buffer(in, step);
        in += step;
        length -= step;
    }
    m_lastWritePosition = position;
    return position;
}

void CZipVolumeStorage::Reserve(uint32_t minimum) {
    if (!IsSpanned())
        return;
    while (FreeSpace() < minimum) {
        // A fixed-size volume that is still empty takes a block larger than
        // itself rather than starting volume after volume.
        if (m_spanMode == kFixedSpan && m_bytesOnVolume == 0 && m_pending == 0) {
            m_capacity = minimum;
            return;
        }
        NextVolume(minimum);
    }
}

void CZipVolumeStorage::Truncate(uint64_t length) {
    const uint64_t written = m_file->GetLength();
    if (length >= written) {
        const uint64_t keep = length - written;
        if (keep < m_pending)
            m_pending = static_cast<uint32_t>(keep);
        Flush();
    } else {
        m_pending = 0;
        m_file->SetLength(length);
    }
    m_file->SeekToEnd();
}

void CZipVolumeStorage::CreateVolumeFile(const std::string& path) {
    CZipDiskFile next;
    next.Open(path.c_str(), kCreateFlags, true);
    m_ownFile.Swap(next);
    if (!next.IsClosed())
        next.Close();
}

void CZipVolumeStorage::NextVolume(uint32_t needed) {
    Flush();
    const bool unused = m_bytesOnVolume == 0;
    if (!unused) {
        if (m_currentVolume + 1 >= kMaxVolumes)
            CZipException::ThrowError(CZipException::kTooManyVolumes, GetFilePath());
        m_bytesOnVolume = 0;
        ++m_currentVolume;
        m_diskRequests = 0;
    }
    if (m_spanMode == kRemovableSpan) {
        NextRemovableDisk(needed, unused);
        return;
    }
    if (!m_ownFile.IsClosed())
        m_ownFile.Close();
    CreateVolumeFile(VolumeName(m_currentVolume, false));
    m_capacity = m_volumeSize;
}

void CZipVolumeStorage::NextRemovableDisk(uint32_t needed, bool dropUnused) {
    const std::string path = m_archivePath;
    if (m_callback == nullptr)
        CZipException::ThrowError(CZipException::kNoCallback, path);
    if (!m_ownFile.IsClosed()) {
        m_ownFile.Close();
        // A disk given up before anything reached it (too little room for
        // the block) keeps no empty file that would later pass for a volume.
        if (dropUnused)
            ZipPlatformOps::RemoveFile(path, false);
    }
    int code = static_cast<int>(needed > 0x7FFFFFFFu ? 0x7FFFFFFFu : needed);
    for (;;) {
        if (++m_diskRequests > kMaxDiskRequests)
            CZipException::ThrowError(CZipException::kAbortedDiskChange, path);
        m_callback->m_volumePath = path;
        m_callback->m_diskNumber = m_currentVolume + 1;
        if (!m_callback->OnDiskChange(code))
            CZipException::ThrowError(CZipException::kAbortedDiskChange, path);
        if (ZipPlatformOps::FileExists(path) != 0) {
            code = -2;
            continue;
        }
        if (!ZipPlatformOps::SetVolumeLabel(
                path, ZipStr::FormatText("pkback# %.3d", m_currentVolume + 1))) {
            code = -3;
            continue;
        }
        if (!m_ownFile.Open(path.c_str(), kCreateFlags, false)) {
            code = -4;
            continue;
        }
        m_capacity = ZipPlatformOps::GetDeviceFreeSpace(path);
        return;
    }
}

std::string CZipVolumeStorage::RenameLastVolume() {
    CZipPathParts parts(m_archivePath);
    parts.SetExtension("zip");
    const std::string target = parts.GetFullPath();
    const std::string current = GetFilePath();
    if (!m_inMemory) {
        Flush();
        m_ownFile.Flush();
        m_ownFile.Close();
    }
    if (current != target) {
        if (ZipPlatformOps::FileExists(target) != 0)
            ZipPlatformOps::RemoveFile(target, true);
        ZipPlatformOps::RenameFile(current, target, true);
    }
    m_archivePath = target;
    return target;
}

void CZipVolumeStorage::FinishSpan() {
    if (!m_creatingSpan)
        return;
    std::string path;
    if (m_volumeSize != 0) {
        path = RenameLastVolume();
    } else {
        path = GetFilePath();
        Flush();
        m_ownFile.Flush();
        m_ownFile.Close();
    }
    m_creatingSpan = false;
    m_writeBuffer.Release();
    const bool spanned = m_currentVolume != 0;
    if (spanned) {
        m_spanMode = m_volumeSize != 0 ? kFixedSpan : kRemovableSpan;
        m_lastVolume = static_cast<uint32_t>(m_currentVolume);
    } else {
        m_spanMode = kNoSpan;
    }
    m_volumeSize = 0;
    m_readOnly = spanned;
    m_ownFile.Open(path.c_str(), spanned ? kReadOnlyFlags : kReadWriteFlags, true);
}

uint32_t CZipVolumeStorage::Read(void* data, uint32_t length, bool whole) {
    if (length == 0)
        return 0;
    Flush();
    uint8_t* out = static_cast<uint8_t*>(data);
    uint32_t done = m_file->Read(out, length);
    while (done == 0) {
        if (!IsSpanned())
            CZipException::ThrowError(CZipException::kBadZipFile, GetFilePath());
        ChangeVolume(m_currentVolume + 1);
        done = m_file->Read(out, length);
    }
    if (done == length)
        return done;
    if (!IsSpanned() || whole)
        CZipException::ThrowError(CZipException::kBadZipFile, GetFilePath());
    while (done < length) {
        ChangeVolume(m_currentVolume + 1);
        const uint32_t n = m_file->Read(out + done, length - done);
        if (n == 0)
            CZipException::ThrowError(CZipException::kBadZipFile, GetFilePath());
        done += n;
    }
    return done;
}

std::string CZipVolumeStorage::VolumeName(int number, bool last) const {
    // The last volume is the file the archive was opened as, under the very
    // name it was given: rebuilding it would change the case of its
    // extension, which names another file where names keep their case.
    if (last)
        return m_archivePath;
    CZipPathParts parts(m_archivePath);
    parts.SetExtension(ZipStr::FormatText("%.3d", number));
    return parts.GetFullPath();
}

void CZipVolumeStorage::OpenVolumeFile(const std::string& path) {
    // The next volume is opened beside the current one, which is given up
    // only once the new one is open: a volume that cannot be opened leaves
    // the archive where it was, and the error says why.
    CZipDiskFile next;
    next.Open(path.c_str(), kReadOnlyFlags, true);
    m_ownFile.Swap(next);
}

void CZipVolumeStorage::ChangeVolume(int number) {
    // A volume whose file was lost (a disk change that failed) is opened
    // again, so that a retry after the disk is back can succeed.
    if (number == m_currentVolume && !IsFileClosed())
        return;
    // A single archive has one volume whatever its records say.
    if (!IsSpanned())
        return;
    // Volumes past the last one (or before the first) do not exist: a
    // damaged record, not a missing file.
    if (number < 0 || static_cast<uint32_t>(number) > m_lastVolume || number >= kMaxVolumes)
        CZipException::ThrowError(CZipException::kBadZipFile, GetFilePath());
    if (m_spanMode == kRemovableSpan) {
        // Every disk holds a file of the same name; the current one must be
        // let go before the disk can be taken out.
        const std::string path = m_archivePath;
        if (m_callback == nullptr)
            CZipException::ThrowError(CZipException::kNoCallback, path);
        m_ownFile.Close();
        m_callback->m_volumePath = path;
        m_callback->m_diskNumber = number + 1;
        if (!m_callback->OnDiskChange(-1))
            CZipException::ThrowError(CZipException::kAbortedDiskChange, path);
        OpenVolumeFile(path);
        m_currentVolume = number;
        return;
    }
    OpenVolumeFile(VolumeName(number, static_cast<uint32_t>(number) == m_lastVolume));
    m_currentVolume = number;
}

void CZipVolumeStorage::SetThisVolume(int number) {
    m_currentVolume = number;
    if (number == 0) {
        m_spanMode = kNoSpan;
        return;
    }
    // A memory stream holds one volume; the others cannot be reached.
    if (m_inMemory)
        CZipException::ThrowError(CZipException::kBadZipFile);
    if (m_spanMode == kDetectSpan)
        m_spanMode = ZipPlatformOps::IsDriveRemovable(m_archivePath) ? kRemovableSpan : kFixedSpan;
    else
        m_spanMode = kFixedSpan;
    // The end record lies on the last volume, on either kind of set.
    m_lastVolume = static_cast<uint32_t>(number);
    if (m_spanMode == kRemovableSpan && m_callback == nullptr)
        CZipException::ThrowError(CZipException::kNoCallback, GetFilePath());
}
