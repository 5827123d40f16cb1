#include "imaging/codecs/image_writer.h"

#include <cstring>

#include "imaging/image_object.h"
#include "imaging/win32_file.h"
#include "platform/platform.h"

namespace {

// Prefix of the temporary files that writers create beside their targets.
const char kTempPrefix[] = "vxw";

// The folder part of path, without its trailing separator; "." when the path
// names a file in the current folder.
std::string FolderOf(const std::string& path) {
    size_t cut = path.find_last_of("/\\");
    if (cut == std::string::npos)
        return ".";
    if (cut == 0)
        return path.substr(0, 1);
    // "C:\name": keep the separator so that the folder stays the drive's root.
    if (cut == 2 && path[1] == ':')
        return path.substr(0, 3);
    return path.substr(0, cut);
}

} // namespace

bool FourthByteUnused(const CImageObject* image) {
    for (int32_t y = 0; y < image->height; ++y) {
        const uint8_t* row = image->GetRow(y, true);
        for (int32_t x = 0; x < image->width; ++x) {
            if (row[4 * x + 3] != 0) {
                return false;
            }
        }
    }
    return true;
}

CImageWriter::~CImageWriter() = default;

CImageFileTarget::CImageFileTarget() = default;

CImageFileTarget::~CImageFileTarget() {
    if (!m_committed)
        Abandon();
}

bool CImageFileTarget::CreateTemp(const char* targetPath) {
    Abandon();
    m_failed = false;
    m_committed = false;
    if (targetPath == nullptr || *targetPath == '\0' || std::strlen(targetPath) >= plat::kMaxPath) {
        m_failed = true;
        return false;
    }
    m_targetPath = targetPath;
    // Same folder as the target, so that the final rename never crosses volumes.
    char temp[plat::kMaxPath] = {};
    if (plat::MakeTempFileName(FolderOf(m_targetPath).c_str(), kTempPrefix, 0, temp) == 0) {
        m_failed = true;
        return false;
    }
    m_tempPath = temp;
    return true;
}

bool CImageFileTarget::Reserve(const char* targetPath) {
    return CreateTemp(targetPath);
}

bool CImageFileTarget::Open(const char* targetPath) {
    if (!CreateTemp(targetPath))
        return false;
    m_file.reset(new CWin32File());
    if (!m_file->Open(m_tempPath.c_str(), kFileWrite | kFileTruncate)) {
        Abandon();
        m_failed = true;
        return false;
    }
    return true;
}

bool CImageFileTarget::Write(const void* data, size_t count) {
    if (m_failed || !m_file || !m_file->IsOpen()) {
        m_failed = true;
        return false;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    while (count > 0) {
        uint32_t chunk = count > 0x40000000u ? 0x40000000u : static_cast<uint32_t>(count);
        if (m_file->Write(bytes, chunk) != static_cast<int64_t>(chunk)) {
            m_failed = true;
            return false;
        }
        bytes += chunk;
        count -= chunk;
    }
    return true;
}

bool CImageFileTarget::WriteUInt16LE(uint16_t value) {
    uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    return Write(b, sizeof b);
}

bool CImageFileTarget::WriteUInt32LE(uint32_t value) {
    uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                    static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return Write(b, sizeof b);
}

bool CImageFileTarget::Commit(CImageObject* image) {
    if (m_tempPath.empty() || m_failed) {
        Abandon();
        return false;
    }
    if (m_file && m_file->IsOpen()) {
        // The close is where buffered data may still fail to reach the disk.
        bool flushed = m_file->Flush();
        bool closed = m_file->Close();
        if (!flushed || !closed) {
            Abandon();
            return false;
        }
    }
    if (!plat::RenameFile(m_tempPath.c_str(), m_targetPath.c_str(), true)) {
        Abandon();
        return false;
    }
    m_tempPath.clear();
    m_committed = true;
    if (image != nullptr) {
        plat::PathInfo info = {};
        if (plat::QueryPath(m_targetPath.c_str(), &info) && info.exists)
            image->fileTime = info.lastWriteTime;
    }
    return true;
}

void CImageFileTarget::Abandon() {
    if (m_file) {
        if (m_file->IsOpen())
            m_file->Close();
        m_file.reset();
    }
    if (!m_tempPath.empty()) {
        plat::RemoveFile(m_tempPath.c_str());
        m_tempPath.clear();
    }
}
