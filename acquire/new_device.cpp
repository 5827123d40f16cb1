#include "acquire/new_device.h"

#include <windows.h>

#include "imaging/image_file_types.h"

namespace {

std::string Join(const std::string& folder, const char* name) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        return folder + "\\" + name;
    return folder + name;
}

bool IsDots(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool IsImageName(const std::string& path) {
    return DetectImageFileType(path.c_str()) != 0;
}

// Folders nested deeper than this are not searched: a junction that loops
// back would otherwise be followed until the path is too long.
constexpr int kMaxDepth = 32;

bool Find(const std::string& folder, const char* pattern, std::string* found, int depth) {
    WIN32_FIND_DATAA entry;
    HANDLE find = ::FindFirstFileA(Join(folder, pattern).c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        bool image = false;
        do
            image = !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    IsImageName(Join(folder, entry.cFileName));
        while (!image && ::FindNextFileA(find, &entry));
        ::FindClose(find);
        if (image) {
            *found = folder;
            while (found->size() > 3 && found->back() == '\\')
                found->pop_back();
            return true;
        }
    }
    if (depth >= kMaxDepth)
        return false;
    find = ::FindFirstFileA(Join(folder, "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool result = false;
    do
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDots(entry.cFileName))
            result = Find(Join(folder, entry.cFileName), pattern, found, depth + 1);
    while (!result && ::FindNextFileA(find, &entry));
    ::FindClose(find);
    return result;
}

} // namespace

bool FindImageFolder(const std::string& folder, const char* pattern, std::string* found) {
    return Find(folder, pattern ? pattern : "*", found, 0);
}

std::vector<std::string> FilesToDownload(const std::string& folder, bool picturesOnly) {
    std::vector<std::string> files;
    WIN32_FIND_DATAA entry;
    HANDLE find = ::FindFirstFileA(Join(folder, "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const std::string path = Join(folder, entry.cFileName);
        if (!picturesOnly || IsImageName(path))
            files.push_back(path);
    } while (::FindNextFileA(find, &entry));
    ::FindClose(find);
    return files;
}
