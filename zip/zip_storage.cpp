#include "zip/zip_storage.h"

#include "zip/zip_exception.h"
#include "zip/zip_path.h"
#include "zip/zip_platform.h"

namespace {

// Volumes and archives are read without truncation, others may read too.
constexpr ZipOpenFlags kReadOnlyFlags =
    ZipOpenFlags::kRead | ZipOpenFlags::kNoTruncate | ZipOpenFlags::kShareDenyWrite;
constexpr ZipOpenFlags kReadWriteFlags =
    ZipOpenFlags::kReadWrite | ZipOpenFlags::kNoTruncate | ZipOpenFlags::kShareDenyWrite;

} // namespace

CZipVolumeStorage::~CZipVolumeStorage() {
    try {
        if (!m_inMemory && !m_ownFile.IsClosed())
            m_ownFile.Close();
    } catch (...) {
    }
}

void CZipVolumeStorage::Open(const std::string& path, int mode, uint32_t volumeSize) {
    if (mode != kOpenExisting && mode != kOpenReadOnly)
        CZipException::ThrowError(CZipException::kInternalError, path); // writing lands later
    m_creatingSpan = false;
    m_inMemory = false;
    m_file = &m_ownFile;
    m_readOnly = mode == kOpenReadOnly;
    m_archivePath = path;
    m_ownFile.Open(path.c_str(), m_readOnly ? kReadOnlyFlags : kReadWriteFlags, true);
    m_spanMode = volumeSize != 0 ? kDetectFixedSpan : kDetectSpan;
    m_currentVolume = 0;
}

void CZipVolumeStorage::OpenMemory(CZipMemoryStream& stream, int mode) {
    if (mode != kOpenExisting && mode != kOpenReadOnly)
        CZipException::ThrowError(CZipException::kInternalError);
    m_creatingSpan = false;
    m_inMemory = true;
    m_readOnly = mode == kOpenReadOnly;
    m_archivePath.clear();
    m_file = &stream;
    stream.SeekToBegin();
    m_spanMode = kDetectSpan;
    m_currentVolume = 0;
}

std::string CZipVolumeStorage::Close(bool abandon) {
    std::string path = GetFilePath();
    if (!m_inMemory && !m_ownFile.IsClosed()) {
        if (abandon) {
            try {
                m_ownFile.Close();
            } catch (...) {
            }
        } else {
            m_ownFile.Close();
        }
    }
    m_file = nullptr;
    m_currentVolume = -1;
    m_spanMode = kNoSpan;
    m_creatingSpan = false;
    m_inMemory = false;
    return path;
}

uint32_t CZipVolumeStorage::Read(void* data, uint32_t length, bool whole) {
    if (length == 0)
        return 0;
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
    if (number < 0 || (m_spanMode == kFixedSpan && static_cast<uint32_t>(number) > m_lastVolume) ||
        number >= kMaxVolumes)
        CZipException::ThrowError(CZipException::kBadZipFile, GetFilePath());
    if (m_spanMode == kRemovableSpan) {
        // Every disk holds a file of the same name; the current one must be
        // let go before the disk can be taken out.
        const std::string path = m_archivePath;
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
    if (m_spanMode == kFixedSpan)
        m_lastVolume = static_cast<uint32_t>(number);
    else if (m_callback == nullptr)
        CZipException::ThrowError(CZipException::kNoCallback, GetFilePath());
}
