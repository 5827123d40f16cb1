#include "app/logic/output_naming.h"

#include <cstdio>

#include "imaging/image_file_types.h"

std::string FormatSequenceNumber(int number, int padding) {
    if (padding < 0)
        padding = 0;
    if (padding > kMaxOutputPadding)
        padding = kMaxOutputPadding;
    char digits[32];
    std::snprintf(digits, sizeof(digits), "%0*d", padding, number);
    return digits;
}

std::string BuildOutputPath(const std::string& folder, const std::string& prefix, int number,
                            int padding, const std::string& extension) {
    std::string path = folder;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    path += prefix;
    path += FormatSequenceNumber(number, padding);
    path += extension;
    return path;
}

std::string NextFreeOutputPath(const std::string& folder, const std::string& prefix, int padding,
                               const std::string& extension, int* sequence,
                               const std::function<bool(const std::string&)>& exists,
                               int maxTries) {
    int number = *sequence;
    for (int tries = 0; tries < maxTries; ++tries, ++number) {
        std::string path = BuildOutputPath(folder, prefix, number, padding, extension);
        if (path.size() > kMaxOutputPath)
            return std::string();
        if (!exists(path)) {
            *sequence = number + 1;
            return path;
        }
        if (number == 0x7FFFFFFF)
            break;
    }
    return std::string();
}

std::string BatchOutputPath(int saveMode, const std::string& file, const std::string& noun,
                            const std::string& outputFolder,
                            const std::function<bool(const std::string&)>& exists, int maxTries) {
    const size_t slash = file.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : file.substr(0, slash);
    const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    const auto join = [](const std::string& in, const std::string& leaf) {
        if (in.empty() || in.back() == '\\')
            return in + leaf;
        return in + "\\" + leaf;
    };
    std::string path;
    switch (saveMode) {
    case 0:
        path = file;
        break;
    case 2:
        path = join(outputFolder, name);
        break;
    case 1:
        for (int n = 0; n < maxTries; ++n) {
            const std::string leaf =
                n == 0 ? noun + " " + name : noun + " (" + std::to_string(n) + ") " + name;
            path = join(folder, leaf);
            if (path.size() > kMaxOutputPath)
                return std::string();
            if (!exists(path))
                return path;
        }
        return std::string();
    default:
        return std::string();
    }
    return path.size() > kMaxOutputPath ? std::string() : path;
}

std::string StripTrailingBackslash(const std::string& folder) {
    if (folder.empty() || folder.back() != '\\')
        return folder;
    if (folder.size() == 3 && folder[1] == ':')
        return folder;
    return folder.substr(0, folder.size() - 1);
}

bool IsValidOutputPrefix(const std::string& prefix) {
    for (unsigned char c : prefix) {
        if (c < 32)
            return false;
        switch (c) {
        case '\\':
        case '/':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return false;
        default:
            break;
        }
    }
    return true;
}

bool SaveFormatHasOptions(int formatIndex) {
    EImageFileType type = FileTypeFromSaveFormatIndex(formatIndex);
    return type == kFileTypeJpeg || type == kFileTypePng;
}
