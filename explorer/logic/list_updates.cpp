#include "explorer/logic/list_updates.h"

#include <algorithm>
#include <cstring>

namespace list_updates {

namespace {

std::string FileNamePart(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool NamesByFileName(int kind) {
    return kind == kKindFolder || kind == kKindArchive;
}

} // namespace

ListChangeRule RuleOf(int code) {
    ListChangeRule rule;
    if (code < kBatchBegins || code > kListReplaced)
        return rule;
    rule.known = true;
    rule.anyList = code == kBatchBegins || code == kBatchEnds;
    rule.underListLock = code == kItemAdded || code == kItemRemoved || code == kItemRenamed;
    rule.pausesWorkerOutsideLock = code == kFileChanged;
    return rule;
}

std::string LabelOfNoticeName(int kind, const std::string& name) {
    return NamesByFileName(kind) ? name : FileNamePart(name);
}

std::string ReselectName(int kind, const std::string& documentPath) {
    return NamesByFileName(kind) ? FileNamePart(documentPath) : documentPath;
}

bool HasInfoTip(int kind, int index, int count) {
    return (kind == kKindFavorites || kind == kKindSearchResult) && index >= 0 && index < count;
}

size_t CopyTipText(const std::string& tip, char* buffer, int capacity) {
    if (!buffer || capacity <= 0)
        return 0;
    const size_t length = std::min(tip.size(), static_cast<size_t>(capacity) - 1);
    std::memcpy(buffer, tip.data(), length);
    buffer[length] = '\0';
    return length;
}

OptionsAction ActionOf(uint32_t code, int viewMode) {
    switch (code) {
    case kPreviewBackgroundChanged:
        return OptionsAction::kSetPreviewBackground;
    case kThumbnailBackgroundChanged:
        return viewMode == 3 ? OptionsAction::kNone : OptionsAction::kSetThumbnailBackground;
    case kThumbnailSizeChanged:
        return OptionsAction::kRebuildThumbnails;
    case kThumbnailSpacingChanged:
        return OptionsAction::kUpdateSpacing;
    case kFolderPreviewCountChanged:
        return OptionsAction::kCloseFolderPreview;
    case kFolderPreviewColorChanged:
        return OptionsAction::kApplyFolderPreviewColors;
    default:
        return OptionsAction::kNone;
    }
}

} // namespace list_updates
