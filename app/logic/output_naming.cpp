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
