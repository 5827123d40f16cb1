#include "app/logic/archive_key.h"

#include <cstring>

bool SplitArchiveKey(const char* key, std::string* archivePath, std::string* innerPath) {
    archivePath->clear();
    innerPath->clear();
    if (!key || !*key)
        return false;
    const char* bar = std::strchr(key, '|');
    std::string archive = bar ? std::string(key, static_cast<size_t>(bar - key)) : key;
    std::string inner = bar ? std::string(bar + 1) : std::string();
    if (archive.empty())
        return false;
    if (!inner.empty() && inner.back() != '\\')
        inner += '\\';
    if (inner.size() > kMaxArchiveInnerPath)
        return false;
    *archivePath = std::move(archive);
    *innerPath = std::move(inner);
    return true;
}

std::string ArchiveItemPath(const std::string& archivePath, const std::string& innerPath,
                            const char* name) {
    std::string path = archivePath;
    if (path.empty() || path.back() != '\\')
        path += '\\';
    path += innerPath;
    if (name)
        path += name;
    return path;
}

void SplitArchivePath(const char* path, char* archive, char* inner, size_t size) {
    if (size == 0)
        return;
    archive[0] = '\0';
    if (inner)
        inner[0] = '\0';
    if (!path)
        return;
    const char* bar = std::strchr(path, '|');
    const size_t archiveLength = bar ? static_cast<size_t>(bar - path) : std::strlen(path);
    const size_t kept = archiveLength < size ? archiveLength : size - 1;
    std::memcpy(archive, path, kept);
    archive[kept] = '\0';
    if (inner && bar) {
        const size_t innerLength = std::strlen(bar + 1);
        const size_t innerKept = innerLength < size ? innerLength : size - 1;
        std::memcpy(inner, bar + 1, innerKept);
        inner[innerKept] = '\0';
    }
}
