// CZipArchive: life cycle, directory queries, password, root folder,
// callbacks and the zlib memory hooks.
#include "zip/zip_archive.h"

#include <cstdlib>

#include "zip/zip_path.h"
#include "zip/zip_platform.h"

// Every block zlib asks for carries this header, so that all of them can be
// released after an exception without calling inflateEnd.
struct CZipArchive::ZlibBlock {
    ZlibBlock* prev;
    ZlibBlock* next;
};

namespace {
constexpr size_t kBlockHeader = 32; // keeps the payload aligned for any type
static_assert(sizeof(void*) * 2 <= kBlockHeader, "block header too small");
} // namespace

CZipArchive::CZipArchive() : m_compare(GetCompareFunction(false, true)) {
    m_directory.SetStorage(&m_storage);
    ResetStream();
}

CZipArchive::~CZipArchive() {
    try {
        if (!IsClosed())
            Close(CloseAbandon, false);
    } catch (...) {
    }
    FreeZlibBlocks();
}

void* CZipArchive::ZlibAlloc(void* opaque, unsigned items, unsigned size) {
    const uint64_t bytes = uint64_t(items) * size;
    if (bytes > SIZE_MAX - kBlockHeader)
        return nullptr;
    if (opaque == nullptr)
        return std::malloc(static_cast<size_t>(bytes));
    CZipArchive* archive = static_cast<CZipArchive*>(opaque);
    char* raw = static_cast<char*>(std::malloc(static_cast<size_t>(bytes) + kBlockHeader));
    if (raw == nullptr)
        return nullptr;
    ZlibBlock* block = reinterpret_cast<ZlibBlock*>(raw);
    block->prev = nullptr;
    block->next = archive->m_zlibBlocks;
    if (block->next != nullptr)
        block->next->prev = block;
    archive->m_zlibBlocks = block;
    return raw + kBlockHeader;
}

void CZipArchive::ZlibFree(void* opaque, void* address) {
    if (address == nullptr)
        return;
    if (opaque == nullptr) {
        std::free(address);
        return;
    }
    CZipArchive* archive = static_cast<CZipArchive*>(opaque);
    ZlibBlock* block = reinterpret_cast<ZlibBlock*>(static_cast<char*>(address) - kBlockHeader);
    if (block->prev != nullptr)
        block->prev->next = block->next;
    else
        archive->m_zlibBlocks = block->next;
    if (block->next != nullptr)
        block->next->prev = block->prev;
    std::free(block);
}

void CZipArchive::FreeZlibBlocks() {
    while (m_zlibBlocks != nullptr) {
        ZlibBlock* next = m_zlibBlocks->next;
        std::free(m_zlibBlocks);
        m_zlibBlocks = next;
    }
    m_inflateActive = false;
}

void CZipArchive::ResetStream() {
    m_info.m_stream = z_stream{};
    m_info.m_stream.zalloc = ZlibAlloc;
    m_info.m_stream.zfree = ZlibFree;
    m_info.m_stream.opaque = m_trackZlibBlocks ? this : nullptr;
}

void CZipArchive::ThrowZlib(int result) const {
    CZipException::ThrowError(CZipException::ZlibToCause(result), GetArchivePath());
}

bool CZipArchive::IsClosed(bool archive) const {
    return archive ? m_storage.IsClosed() : m_storage.IsFileClosed();
}

std::string CZipArchive::GetArchivePath() const {
    return m_storage.IsFileClosed() ? std::string() : m_storage.GetFilePath();
}

void CZipArchive::ReadDirectoryAfterOpen() {
    m_password.Release();
    m_entryState = 0;
    m_directory.Reset();
    m_systemCode = ZipPlatformOps::kSystemDos;
    m_rootFolder.clear();
    m_extractedTotal = 0;
    m_freeSpace = FreeSpaceNote();
    m_directory.Read();
    // New entries would take the system of the first entry when it is one
    // the archive handles.
    if (m_directory.GetCount() > 0) {
        const int system = m_directory.GetHeader(0)->GetSystemCompatibility();
        if (ZipPlatformOps::IsSystemHandled(system))
            m_systemCode = system;
    }
}

void CZipArchive::StartNewArchive() {
    m_password.Release();
    m_entryState = 0;
    m_directory.Reset();
    m_directory.Clear(true);
    m_systemCode = ZipPlatformOps::kOwnSystem;
    m_rootFolder.clear();
    m_extractedTotal = 0;
    m_freeSpace = FreeSpaceNote();
}

bool CZipArchive::Open(const std::string& path, int mode, uint32_t volumeSize) {
    if (!IsClosed())
        return false;
    if (mode != OpenExisting && mode != OpenReadOnly && mode != Create && mode != CreateSpan)
        return false;
    m_storage.Open(path, mode, volumeSize);
    if (mode == Create || mode == CreateSpan) {
        StartNewArchive();
        return true;
    }
    try {
        ReadDirectoryAfterOpen();
    } catch (...) {
        // An archive whose directory cannot be read (damaged, or a set on
        // removable disks with no one to change them) is not left open: its
        // file would stay locked behind an archive nobody can use.
        m_directory.Clear(true);
        m_storage.Close(true);
        throw;
    }
    return true;
}

bool CZipArchive::OpenFromMemory(CZipMemoryStream& stream, int mode) {
    if (!IsClosed())
        return false;
    if (mode != OpenExisting && mode != OpenReadOnly && mode != Create)
        return false;
    m_storage.OpenMemory(stream, mode);
    if (mode == Create) {
        StartNewArchive();
        return true;
    }
    ReadDirectoryAfterOpen();
    return true;
}

void CZipArchive::Close(int afterException, bool updateTimeStamp) {
    if (IsClosed() && (afterException == CloseNormal || IsClosed(false)))
        return;
    if (m_entryState == -1)
        CloseEntry(nullptr, afterException != CloseNormal);
    if (m_entryState == 1)
        CloseNewEntry(afterException != CloseNormal);
    if (afterException != CloseAbandon && !IsClosed(false))
        m_directory.Write();
    time_t newest = 0;
    if (updateTimeStamp) {
        for (int i = 0; i < m_directory.GetCount(); ++i) {
            const time_t t = m_directory.GetHeader(i)->GetTime();
            if (t > newest)
                newest = t;
        }
    }
    m_directory.Clear(true);
    FreeZlibBlocks();
    m_info.m_buffer.Release();
    m_entryState = 0;
    const std::string path = m_storage.Close(afterException == CloseAbandon);
    if (updateTimeStamp && !path.empty())
        ZipPlatformOps::SetFileModTime(path, newest);
}

bool CZipArchive::GetFileInfo(CZipEntryHeader& header, int index) const {
    // The whole index is checked: a 16-bit cut would alias 65536 to entry 0.
    if (IsClosed() || !m_directory.IsValidIndex(index))
        return false;
    header = *m_directory.GetHeader(index);
    if (!m_directory.NamesConverted())
        ZipPlatformOps::ConvertName(header, true);
    return true;
}

int CZipArchive::GetCount() const {
    return IsClosed() ? 0 : m_directory.GetCount();
}
int CZipArchive::CountFileEntries() const {
    return m_directory.CountEntries(true);
}
int CZipArchive::CountDirectoryEntries() const {
    return m_directory.GetCount() - m_directory.CountEntries(true);
}

int CZipArchive::FindFile(const std::string& name, int caseMode, bool nameOnly) {
    if (IsClosed())
        return -1;
    switch (caseMode) {
    case 1:
        return m_directory.FindEntry(name, true, true, nameOnly);
    case 2:
        return m_directory.FindEntry(name, false, true, nameOnly);
    default:
        return m_directory.FindEntry(name, m_caseSensitive, false, nameOnly);
    }
}

void CZipArchive::FindEntries(const std::vector<std::string>& names, std::vector<int>& indexes) {
    for (const std::string& name : names) {
        const int index = FindFile(name);
        if (index >= 0)
            indexes.push_back(index);
    }
}

void CZipArchive::FindMatches(const std::string& pattern, std::vector<int>& indexes,
                              bool fullPath) {
    if (IsClosed())
        return;
    const CWildcard wildcard(pattern, m_caseSensitive);
    for (int i = 0; i < m_directory.GetCount(); ++i) {
        std::string name = m_directory.GetHeader(i)->GetFileName();
        if (!fullPath) {
            ZipStr::RemoveTrailingSeparators(name);
            name = CZipPathParts(name).GetFileName();
        }
        if (wildcard.IsMatch(name))
            indexes.push_back(i);
    }
}

bool CZipArchive::SetPassword(const char* password) {
    if (m_entryState != 0)
        return false;
    m_password.Release();
    if (password == nullptr)
        return true;
    const std::string text(password);
    for (unsigned char c : text) {
        if (c >= 128)
            return false; // the password stays cleared
    }
    m_password.Assign(text.data(), static_cast<uint32_t>(text.size()));
    return true;
}

void CZipArchive::SetRootFolder(const char* path) {
    if (m_entryState != 0 || IsClosed())
        return;
    if (path == nullptr) {
        m_rootFolder.clear();
        return;
    }
    m_rootFolder = path;
    ZipStr::RemoveTrailingSeparators(m_rootFolder);
}

void CZipArchive::SetCaseSensitivity(bool caseSensitive) {
    m_caseSensitive = caseSensitive;
    m_compare = GetCompareFunction(caseSensitive, true);
}

void CZipArchive::SetProgressCallback(CZipActionCallback* callback, int typeMask) {
    for (int bit = 1; bit <= 1024; bit <<= 1) {
        if ((typeMask & bit) == 0)
            continue;
        if (callback == nullptr)
            m_callbacks.erase(bit);
        else
            m_callbacks.emplace(bit, callback); // an existing entry stays
    }
}

CZipActionCallback* CZipArchive::GetCallback(int type) {
    const auto it = m_callbacks.find(type);
    if (it == m_callbacks.end())
        return nullptr;
    it->second->m_type = type;
    return it->second;
}
