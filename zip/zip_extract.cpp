// CZipArchive: extraction to files and memory, testing, and the checks that
// keep extraction inside its target folder and within its limits.
#include <atomic>
#include <cctype>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/platform.h"
#include "zip/zip_archive.h"
#include "zip/zip_path.h"
#include "zip/zip_platform.h"

namespace {

bool EqualNoCase(const std::string& a, const char* b) {
    const size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    }
    return true;
}

// Names Windows resolves to devices whatever the folder and extension.
bool IsDeviceName(const std::string& component) {
    std::string base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    static const char* const kDevices[] = {"CON",    "PRN",     "AUX",   "NUL",
                                           "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : kDevices) {
        if (EqualNoCase(base, device))
            return true;
    }
    if (base.size() == 4 &&
        (EqualNoCase(base.substr(0, 3), "COM") || EqualNoCase(base.substr(0, 3), "LPT")))
        return base[3] >= '0' && base[3] <= '9';
    return false;
}

// A path component that the target system would create as asked, and that
// cannot leave the folder it is created in.
bool IsSafeComponent(const std::string& c) {
    bool onlyDots = true;
    for (unsigned char ch : c) {
        if (ch < 0x20 || std::strchr("*?\"<>|:", ch) != nullptr)
            return false;
        if (ch != '.' && ch != ' ')
            onlyDots = false;
    }
    // "..", and names Windows would silently shorten ("a.", "b ", "...").
    if (onlyDots || c.back() == '.' || c.back() == ' ')
        return false;
    return !IsDeviceName(c);
}

// Numbers of the temporary names, shared by every extraction of the
// process so that two archives extracting into one folder rarely meet; a
// clash only costs another try.
std::atomic<uint32_t> g_temporaryNumber{
    static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count())};

// Extraction output: a temporary file in the target's folder that becomes
// the target only when the entry was extracted completely.
class CTemporaryTarget {
public:
    ~CTemporaryTarget() { Discard(); }
    // Claims a fresh "ZAR....tmp" name in the folder with one exclusive
    // create, which also opens it. The folder is made only when the create
    // finds it missing: entries mostly land in the folder of the one before.
    void Create(const std::string& folder, const std::string& target) {
        m_target = target;
        const ZipOpenFlags flags =
            ZipOpenFlags::kWrite | ZipOpenFlags::kCreateNew | ZipOpenFlags::kShareDenyWrite;
        const std::string dir = folder.empty() ? std::string(".") : folder;
        bool folderMade = false;
        for (uint32_t tries = 0; tries < 0x10000u;) {
            const uint32_t number = g_temporaryNumber.fetch_add(1) & 0xFFFFu;
            if (number == 0)
                continue;
            ++tries;
            char name[plat::kMaxPath + 1] = {};
            const bool named = plat::MakeTempFileName(ZipPlatformOps::OsPath(dir).c_str(), "ZAR",
                                                      number, name) != 0;
            if (named && m_file.Open(name, flags, false)) {
                m_path = name;
                return;
            }
            const uint32_t error = plat::LastError();
            if (named && (error == plat::kErrorFileExists || error == plat::kErrorAlreadyExists))
                continue;
            // Systems differ in what a missing folder gives (not found, an
            // invalid name, a failed temporary name): any other failure
            // before the folder was made makes it and tries again.
            if (folderMade || folder.empty())
                Fail(error);
            if (!ZipPlatformOps::ForceDirectory(folder)) {
                errno = ENOENT;
                CZipException::ThrowError(ENOENT, target);
            }
            folderMade = true;
        }
        Fail(plat::kErrorFileExists);
    }
    CZipDiskFile& File() { return m_file; }
    void Commit() {
        if (!ZipPlatformOps::ReplaceFile(m_path, m_target))
            CZipException::ThrowError(CZipException::kNotRenamed, m_target);
        m_path.clear();
    }
    void Discard() {
        try {
            m_file.Close();
        } catch (...) {
        }
        if (!m_path.empty()) {
            ZipPlatformOps::SetFileAttributes(m_path, 0);
            ZipPlatformOps::RemoveFile(m_path, false);
            m_path.clear();
        }
    }

private:
    // The system's own reason (a read-only disk, a full one, no handles
    // left) is what the user can act on.
    [[noreturn]] void Fail(uint32_t systemError) const {
        const int error = ZipPlatformOps::ErrnoFromSystemError(systemError);
        errno = error;
        CZipException::ThrowError(error, m_target);
    }

    CZipDiskFile m_file;
    std::string m_path;
    std::string m_target;
};

} // namespace

bool CZipArchive::IsSafeEntryName(const std::string& name) {
    // The name must read back through the extraction checks: relative, and
    // every component one that stays in its folder.
    if (name.empty() || ZipStr::IsSeparator(name[0]))
        return false;
    size_t start = 0;
    while (start < name.size()) {
        size_t end = start;
        while (end < name.size() && !ZipStr::IsSeparator(name[end]))
            ++end;
        if (end == start || !IsSafeComponent(name.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return name.size() < kMaxPath;
}

std::string CZipArchive::BuildExtractedPath(const std::string& entryName, const std::string& folder,
                                            bool keepPath, const char* newName,
                                            std::string* relative) const {
    std::string out = folder;
    const std::string name = newName != nullptr ? std::string(newName) : entryName;
    relative->clear();
    if (name.empty())
        return out;
    if (!out.empty())
        ZipStr::AppendSeparator(out);
    std::string trimmed = name;
    ZipStr::RemoveTrailingSeparators(trimmed);
    const CZipPathParts parts(trimmed);
    if (keepPath) {
        *relative = parts.GetNoDrive();
    } else {
        std::string full = parts.GetFullPath();
        if (!m_rootFolder.empty() && ZipStr::RemovePathBeginning(m_rootFolder, full, m_compare))
            *relative = full;
        else
            *relative = parts.GetFileName();
    }
    return out + *relative;
}

std::string CZipArchive::ExtractedPathFor(const std::string& entryName, const std::string& folder,
                                          bool keepPath, const char* newName) const {
    std::string relative;
    return BuildExtractedPath(entryName, folder, keepPath, newName, &relative);
}

std::string CZipArchive::CheckedExtractPath(const CZipEntryHeader& header,
                                            const std::string& folder, bool keepPath,
                                            const char* newName) const {
    std::string relative;
    const std::string target =
        BuildExtractedPath(header.GetFileName(), folder, keepPath, newName, &relative);
    auto refuse = [&target]() {
        CZipException::ThrowError(CZipException::kPlatformNotSupported, target);
    };
    if (relative.empty() && !header.IsDirectory())
        refuse();
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = start;
        while (end < relative.size() && !ZipStr::IsSeparator(relative[end]))
            ++end;
        if (end > start && !IsSafeComponent(relative.substr(start, end - start)))
            refuse();
        start = end + 1;
    }
    // Paths live in 260-character buffers: longer ones are refused, never cut.
    if (target.size() >= kMaxPath)
        refuse();
    // With every component checked the path cannot climb out; make sure of
    // it before anything is created.
    std::string root = folder;
    if (!root.empty()) {
        ZipStr::AppendSeparator(root);
        if (!relative.empty() && target.compare(0, root.size(), root) != 0)
            refuse();
    }
    return target;
}

void CZipArchive::CheckLimits(const CZipEntryHeader& header, const std::string& folder) const {
    const uint64_t size = header.m_uncompressedSize;
    const std::string path = GetArchivePath();
    if (size > m_limits.maxEntrySize) {
        errno = CZipException::kErrnoFileTooLarge;
        CZipException::ThrowError(CZipException::kErrnoFileTooLarge, path);
    }
    if (m_extractedTotal > m_limits.maxTotalSize ||
        size > m_limits.maxTotalSize - m_extractedTotal) {
        errno = CZipException::kErrnoNoSpace;
        CZipException::ThrowError(CZipException::kErrnoNoSpace, path);
    }
    if (!m_limits.checkFreeSpace || folder.empty())
        return;
    // An answer stands for a short while, and only while what it leaves
    // after the entries since holds this one; anything else asks again, so
    // a refusal is always the system's word.
    const auto now = std::chrono::steady_clock::now();
    FreeSpaceNote& note = m_freeSpace;
    const uint64_t writtenSince = m_extractedTotal - note.extractedAt;
    if (note.folder == folder &&
        now - note.when < std::chrono::milliseconds(m_limits.freeSpaceReuseMs) &&
        note.bytes >= writtenSince && size <= note.bytes - writtenSince)
        return;
    uint64_t free = 0;
    if (!ZipPlatformOps::GetDeviceFreeSpace64(folder, &free)) {
        note.folder.clear();
        return;
    }
    note.folder = folder;
    note.bytes = free;
    note.extractedAt = m_extractedTotal;
    note.when = now;
    if (size > free) {
        errno = CZipException::kErrnoNoSpace;
        CZipException::ThrowError(CZipException::kErrnoNoSpace, path);
    }
}

bool CZipArchive::ExtractFile(int index, const std::string& folder, bool keepPath,
                              const char* newName, uint32_t bufferSize) {
    if (bufferSize == 0)
        return false;
    CZipEntryHeader header;
    if (!GetFileInfo(header, index) || m_entryState != 0)
        return false;
    const std::string target = CheckedExtractPath(header, folder, keepPath, newName);
    const std::string name = header.GetFileName();
    CZipActionCallback* callback = GetCallback(cbExtract);
    if (callback != nullptr)
        callback->Begin(name.c_str(), target.c_str());

    if (header.IsDirectory()) {
        if (callback != nullptr)
            callback->SetTotal(0);
        if (!ZipPlatformOps::ForceDirectory(target))
            return false;
        // Read-only means nothing for a Windows folder but would lock it
        // natively; the other bits are kept.
        ZipPlatformOps::SetFileAttributes(target, header.GetSystemAttributes() &
                                                      (ZipPlatformOps::kAttrHidden |
                                                       ZipPlatformOps::kAttrSystem |
                                                       ZipPlatformOps::kAttrArchive));
        if (callback != nullptr)
            callback->End();
        return true;
    }

    const std::string parent = CZipPathParts(target).GetFilePath();
    CheckLimits(header, parent);
    if (callback != nullptr)
        callback->SetTotal(header.m_uncompressedSize);
    if (!OpenEntry(index))
        return false;

    CTemporaryTarget output;
    int result = kNotOpen;
    int abortCode = 0;
    uint64_t written = 0;
    try {
        output.Create(parent, target);
        abortCode = PumpOpenEntry(bufferSize, callback, [&](const uint8_t* data, uint32_t n) {
            output.File().Write(data, n);
            written += n;
        });
        result = CloseEntryToFile(output.File(), true);
    } catch (...) {
        output.Discard();
        if (m_entryState == -1)
            DropOpenEntry();
        throw;
    }
    if (result != kClosed && abortCode == CZipException::kAbortedSafely)
        abortCode = CZipException::kAbortedAction;
    if (callback != nullptr)
        callback->End();
    if (abortCode != 0 || result != kClosed) {
        output.Discard();
        if (abortCode != 0)
            CZipException::ThrowError(abortCode, target);
        return false;
    }
    output.Commit();
    m_extractedTotal += written;
    return true;
}

int CZipArchive::PumpOpenEntry(uint32_t bufferSize, CZipActionCallback* callback,
                               const std::function<void(const uint8_t*, uint32_t)>& sink) {
    CZipByteBuffer buffer(bufferSize);
    for (;;) {
        const uint32_t n = ReadEntry(buffer.Data(), bufferSize);
        if (n > 0) {
            if (sink)
                sink(buffer.Data(), n);
            if (callback != nullptr && !callback->Advance(n))
                return (n == bufferSize && m_info.m_uncompressedLeft > 0)
                           ? CZipException::kAbortedAction
                           : CZipException::kAbortedSafely;
        }
        if (n < bufferSize)
            return 0;
    }
}

bool CZipArchive::ExtractToMemory(int index, CZipMemoryStream& stream, uint32_t bufferSize) {
    if (bufferSize == 0)
        return false;
    CZipEntryHeader header;
    if (!GetFileInfo(header, index) || m_entryState != 0)
        return false;
    CZipActionCallback* callback = GetCallback(cbExtract);
    const std::string name = header.GetFileName();
    if (callback != nullptr) {
        callback->Begin(name.c_str(), nullptr);
        callback->SetTotal(header.m_uncompressedSize);
    }
    if (header.IsDirectory())
        return false;
    CheckLimits(header, std::string());
    if (!OpenEntry(index))
        return false;
    // On failure the stream keeps only what it held before.
    const uint64_t startLength = stream.GetLength();
    int result = kNotOpen;
    int abortCode = 0;
    try {
        stream.SeekToEnd();
        abortCode = PumpOpenEntry(bufferSize, callback,
                                  [&](const uint8_t* data, uint32_t n) { stream.Write(data, n); });
        result = CloseEntry(nullptr, false);
    } catch (...) {
        if (m_entryState == -1)
            DropOpenEntry();
        stream.SetLength(startLength);
        throw;
    }
    if (result != kClosed && abortCode == CZipException::kAbortedSafely)
        abortCode = CZipException::kAbortedAction;
    if (callback != nullptr)
        callback->End();
    if (abortCode != 0 || result != kClosed) {
        stream.SetLength(startLength);
        if (abortCode != 0)
            CZipException::ThrowError(abortCode);
        return false;
    }
    m_extractedTotal += stream.GetLength() - startLength;
    return true;
}

bool CZipArchive::TestEntry(int index, uint32_t bufferSize) {
    if (m_storage.IsCreatingSpan() || bufferSize == 0)
        return false;
    CZipEntryHeader header;
    if (!GetFileInfo(header, index) || m_entryState != 0)
        return false;
    CZipActionCallback* callback = GetCallback(cbTest);
    const std::string name = header.GetFileName();
    if (callback != nullptr)
        callback->Begin(name.c_str(), nullptr);
    if (header.IsDirectory()) {
        if (callback != nullptr)
            callback->SetTotal(0);
        const bool emptyEncrypted = header.IsEncrypted() &&
                                    header.m_compressedSize == CZipCryptKeys::kHeaderSize &&
                                    header.m_uncompressedSize == 0;
        if ((header.m_compressedSize != 0 || header.m_uncompressedSize != 0) && !emptyEncrypted)
            CZipException::ThrowError(CZipException::kDirWithSize, GetArchivePath());
        if (callback != nullptr)
            callback->End();
        return true;
    }
    if (callback != nullptr)
        callback->SetTotal(header.m_uncompressedSize);
    if (!OpenEntry(index))
        return false;
    int result = kNotOpen;
    int abortCode = 0;
    try {
        abortCode = PumpOpenEntry(bufferSize, callback, nullptr);
        result = CloseEntry(nullptr, false);
    } catch (...) {
        if (m_entryState == -1)
            DropOpenEntry();
        throw;
    }
    if (result == kIncomplete && abortCode == CZipException::kAbortedSafely)
        abortCode = CZipException::kAbortedAction;
    if (abortCode != 0)
        CZipException::ThrowError(abortCode, GetArchivePath());
    if (callback != nullptr)
        callback->End();
    return result != kIncomplete;
}

bool CZipArchive::ExtractFileByName(const std::string& name, const std::string& folder,
                                    bool keepPath, const char* newName, uint32_t bufferSize) {
    if (IsClosed())
        return false;
    for (int i = 0; i < m_directory.GetCount(); ++i) {
        const CZipEntryHeader& header = *m_directory.GetHeader(i);
        if (header.IsDirectory())
            continue;
        if (header.GetFileName() == name)
            return ExtractFile(i, folder, keepPath, newName, bufferSize);
    }
    return false;
}
