#include "app/logic/path_parts.h"

#include <algorithm>

namespace path_parts {

std::string Normalized(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

void NormalizeInPlace(char* path) {
    if (!path)
        return;
    for (; *path; ++path)
        if (*path == '/')
            *path = '\\';
}

FolderAndName Split(const std::string& given) {
    const std::string path = Normalized(given);
    const size_t last = path.find_last_of('\\');
    if (last == std::string::npos) {
        // "C:name" lies in the drive's current folder; a bare name in ours.
        if (path.size() >= 2 && path[1] == ':')
            return {path.substr(0, 2), path.substr(2)};
        return {std::string(), path};
    }
    std::string folder = path.substr(0, last);
    // Roots keep their separator: "C:\" and "\" name a folder, "C:" and ""
    // would not mean the same.
    if (folder.empty() || (folder.size() == 2 && folder[1] == ':'))
        folder += '\\';
    return {folder, path.substr(last + 1)};
}

} // namespace path_parts
