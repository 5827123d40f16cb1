#include "explorer/logic/folder_rules.h"

#include <cstdio>

namespace {

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// More siblings than any folder holds; the search stops there.
constexpr int kMostFolderNumbers = 100000;

} // namespace

bool AsciiEqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

uint32_t ClampRecentFolderCount(bool present, uint32_t value) {
    if (!present || value <= kRecentFoldersDefault)
        return kRecentFoldersDefault;
    return value >= kRecentFoldersMost ? kRecentFoldersMost : value;
}

void RememberRecentFolder(std::vector<std::string>* recent, const std::string& chosen,
                          uint32_t keep, const NameEqualFn& equal) {
    for (auto it = recent->begin(); it != recent->end(); ++it) {
        if (equal(*it, chosen)) {
            recent->erase(it);
            break;
        }
    }
    recent->insert(recent->begin(), chosen);
    if (recent->size() > keep)
        recent->pop_back();
}

std::vector<std::string> FoldersToCreate(const std::string& path) {
    std::vector<std::string> folders;
    const size_t first = path.find('\\');
    if (first == std::string::npos) {
        if (!path.empty())
            folders.push_back(path);
        return folders;
    }
    for (size_t at = path.find('\\', first + 1); at != std::string::npos;
         at = path.find('\\', at + 1))
        if (at > 0 && path[at - 1] != '\\')
            folders.push_back(path.substr(0, at));
    // A trailing backslash names the folder already listed.
    if (path.back() != '\\')
        folders.push_back(path);
    return folders;
}

std::string FirstFreeFolderName(const std::function<bool(const std::string&)>& taken) {
    std::string name = "New Folder";
    for (int number = 1; taken(name); ++number) {
        if (number > kMostFolderNumbers)
            return std::string();
        char text[32];
        std::snprintf(text, sizeof text, "New Folder (%d)", number);
        name = text;
    }
    return name;
}

FolderDate UnpackFolderDate(uint32_t packed) {
    FolderDate date;
    date.year = static_cast<uint16_t>(packed & 0xFFFFu);
    date.month = static_cast<uint8_t>((packed >> 16) & 0xFFu);
    date.day = static_cast<uint8_t>(packed >> 24);
    return date;
}

uint32_t PackFolderDate(FolderDate date) {
    return static_cast<uint32_t>(date.year) | static_cast<uint32_t>(date.month) << 16 |
           static_cast<uint32_t>(date.day) << 24;
}

bool FolderPreviewAllowed(bool activate, bool ctrlActivate, bool ctrlDown) {
    if (activate)
        return !ctrlActivate || !ctrlDown;
    return ctrlActivate && ctrlDown;
}

PreviewPlacement PlaceFolderPreview(int32_t cursorX, int32_t cursorY, int32_t width, int32_t height,
                                    int32_t screenWidth, int32_t screenHeight) {
    constexpr int32_t kOffset = 20;
    PreviewPlacement at{cursorX + kOffset, cursorY + kOffset};
    if (at.x + width > screenWidth && cursorX > screenWidth / 2)
        at.x = cursorX - kOffset - width;
    if (at.y + height > screenHeight && cursorY > screenHeight / 2)
        at.y = cursorY - kOffset - height;
    return at;
}

PreviewSize FolderPreviewSize(int32_t items, int32_t most, int32_t thumbWidth,
                              int32_t thumbHeight) {
    const int32_t shown = items < most ? items : most;
    return {(shown > 0 ? shown : 0) * (thumbWidth + 1) + 3, thumbHeight + 6};
}
