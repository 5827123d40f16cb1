#include "app/logic/file_names.h"

#include <cctype>
#include <cstring>

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool EqualNoCaseAscii(const std::string& a, const char* b) {
    const size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices, with any extension.
bool IsDeviceName(const std::string& name) {
    const std::string stem = name.substr(0, name.find('.'));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* device : kDevices)
        if (EqualNoCaseAscii(stem, device))
            return true;
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9') {
        const std::string head = stem.substr(0, 3);
        return EqualNoCaseAscii(head, "COM") || EqualNoCaseAscii(head, "LPT");
    }
    return false;
}

} // namespace

std::string FolderOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos)
        return std::string();
    if (cut == 2 && path[1] == ':')
        return path.substr(0, 3); // a drive root keeps its separator
    return path.substr(0, cut);
}

std::string NameOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string ExtensionOf(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return std::string();
    return name.substr(dot);
}

std::string JoinFolder(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    if (IsSeparator(folder.back()))
        return folder + name;
    return folder + "\\" + name;
}

std::string MakeUniqueTargetName(const std::string& source, const std::string& target,
                                 const FileExistsFn& exists, int maxTries) {
    const std::string folder = FolderOf(target);
    const std::string name = NameOf(source);
    const std::string extension = ExtensionOf(name);
    const std::string stem = name.substr(0, name.size() - extension.size());
    for (int n = 1; n <= maxTries; ++n) {
        const std::string candidate =
            JoinFolder(folder, stem + "_" + std::to_string(n) + extension);
        if (candidate.size() > kMaxFileOpPath)
            return std::string();
        if (!exists(candidate))
            return candidate;
    }
    return std::string();
}

std::string DuplicateCandidateName(const std::string& name, int n) {
    if (n <= 1)
        return "Copy of " + name;
    return "Copy (" + std::to_string(n) + ") of " + name;
}

std::string MakeDuplicatePath(const std::string& folder, const std::string& name,
                              const FileExistsFn& exists, int maxTries) {
    for (int n = 1; n <= maxTries; ++n) {
        const std::string candidate = JoinFolder(folder, DuplicateCandidateName(name, n));
        if (candidate.size() > kMaxFileOpPath)
            return std::string();
        if (!exists(candidate))
            return candidate;
    }
    return std::string();
}

ERenameCheck ResolveReplaceRename(const std::string& target, const std::string& source,
                                  const std::string& typed, std::string* newPath) {
    // The system drops trailing blanks and dots from names: so do we, before
    // deciding whether anything is left.
    std::string name = typed;
    while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
        name.pop_back();
    size_t start = 0;
    while (start < name.size() && name[start] == ' ')
        ++start;
    name.erase(0, start);
    if (name.empty())
        return ERenameCheck::kEmpty;
    for (unsigned char c : name)
        if (c < 32 || std::strchr("\\/:*?\"<>|", c))
            return ERenameCheck::kInvalid;
    // Whatever follows the last dot typed is an extension, even at the start.
    std::string stem = name.substr(0, name.rfind('.'));
    while (!stem.empty() && (stem.back() == ' ' || stem.back() == '.'))
        stem.pop_back();
    if (stem.empty())
        return ERenameCheck::kEmpty;
    const std::string finalName = stem + ExtensionOf(NameOf(source));
    if (IsDeviceName(finalName))
        return ERenameCheck::kInvalid;
    const std::string path = JoinFolder(FolderOf(target), finalName);
    if (path.size() > kMaxFileOpPath)
        return ERenameCheck::kInvalid;
    *newPath = path;
    return ERenameCheck::kOk;
}
