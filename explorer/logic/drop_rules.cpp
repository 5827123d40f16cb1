#include "explorer/logic/drop_rules.h"

#include "explorer/logic/drop_effects.h"

namespace explorer_drop_rules {

std::vector<DropFormat> AcceptedDropFormats(DropTargetKind target) {
    switch (target) {
    case DropTargetKind::FolderTree:
        return {DropFormat::Files, DropFormat::Zip};
    case DropTargetKind::PaneTree:
        return {DropFormat::Files, DropFormat::Zip, DropFormat::Favorites};
    case DropTargetKind::ThumbnailList:
        return {DropFormat::Files, DropFormat::Favorites, DropFormat::Zip};
    }
    return {};
}

bool CanDropOnTreeItem(DropTargetKind tree, int kind, bool pathExists) {
    if (kind == 0)
        return pathExists;
    return tree == DropTargetKind::PaneTree && (kind == 2 || kind == 3);
}

TreeDrop PlanTreeDrop(int kind, uint32_t effect) {
    TreeDrop drop;
    switch (kind) {
    case 3:
        drop.action = TreeDropAction::AddToCollections;
        drop.copy = (effect & kDropEffectCopy) != 0;
        break;
    case 2:
        drop.action = TreeDropAction::IntoFavorites;
        drop.copy = (effect & kDropEffectMove) == 0;
        break;
    case 0:
        if (effect & (kDropEffectCopy | kDropEffectMove)) {
            drop.action = TreeDropAction::IntoFolder;
            drop.copy = (effect & kDropEffectCopy) != 0;
        }
        break;
    default:
        break;
    }
    return drop;
}

bool TreeDropTakes(TreeDropAction action, DropFormat format) {
    switch (action) {
    case TreeDropAction::IntoFolder:
        return format == DropFormat::Files || format == DropFormat::Zip;
    case TreeDropAction::AddToCollections:
        return format == DropFormat::Files;
    case TreeDropAction::IntoFavorites:
        return format == DropFormat::Files || format == DropFormat::Favorites;
    case TreeDropAction::None:
        break;
    }
    return false;
}

bool ListAcceptsDrop(int sourceKind, DropFormat matched) {
    return sourceKind == 0 && matched == DropFormat::Files;
}

bool SameFolderAscii(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string FolderOfPath(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos)
        return {};
    // A file in a drive's root keeps the root's backslash ("C:\").
    if (slash == 2 && path.size() > 1 && path[1] == ':')
        return path.substr(0, 3);
    return path.substr(0, slash);
}

std::string NameOfPath(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(slash + 1);
}

std::vector<FileTransfer> PlanListDrop(const std::string& folder,
                                       const std::vector<std::string>& dropped,
                                       SameFolderFn sameFolder) {
    std::vector<FileTransfer> plan;
    if (folder.empty())
        return plan;
    for (const std::string& path : dropped) {
        const std::string from = FolderOfPath(path);
        const std::string name = NameOfPath(path);
        if (from.empty() || name.empty() || sameFolder(from, folder))
            continue;
        std::string target = folder;
        if (target.back() != '\\')
            target.push_back('\\');
        plan.push_back({path, target + name});
    }
    return plan;
}

bool FolderDropSkipped(const std::string& folder, const std::string& target, bool drop,
                       SameFolderFn sameFolder) {
    if (folder.empty() || target.empty())
        return true;
    // The target itself or any folder above it that is the dropped one.
    for (std::string at = target; !at.empty();) {
        if (sameFolder(at, folder))
            return true;
        const std::string up = FolderOfPath(at);
        if (up == at)
            break;
        at = up;
    }
    return drop && sameFolder(FolderOfPath(folder), target);
}

bool ReadFavoritesBlock(const uint8_t* data, size_t size, uint32_t* folderId,
                        std::vector<std::string>* paths) {
    paths->clear();
    if (!data || size < 8)
        return false;
    auto le32 = [&](size_t at) {
        return static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
               static_cast<uint32_t>(data[at + 2]) << 16 |
               static_cast<uint32_t>(data[at + 3]) << 24;
    };
    *folderId = le32(0);
    const uint32_t count = le32(4);
    size_t at = 8;
    while (paths->size() < count && at < size) {
        size_t end = at;
        while (end < size && data[end] != 0)
            ++end;
        if (end == size || end == at)
            break; // cut short, or the list's final zero
        paths->emplace_back(reinterpret_cast<const char*>(data + at), end - at);
        at = end + 1;
    }
    return true;
}

std::string ZeroSeparatedList(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) {
        list += path;
        list.push_back('\0');
    }
    list.push_back('\0');
    return list;
}

bool FileDropBlockIsSound(const uint8_t* data, size_t size) {
    if (!data || size < 20)
        return false;
    auto le32 = [&](size_t at) {
        return static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
               static_cast<uint32_t>(data[at + 2]) << 16 |
               static_cast<uint32_t>(data[at + 3]) << 24;
    };
    const uint32_t first = le32(0);
    const size_t unit = le32(16) ? 2 : 1;
    if (first < 20 || first >= size)
        return false;
    auto zero = [&](size_t at) { return data[at] == 0 && (unit == 1 || data[at + 1] == 0); };
    for (size_t at = first;;) {
        if (at + unit > size)
            return false;
        if (zero(at))
            return true; // the empty string that ends the list
        while (at + unit <= size && !zero(at))
            at += unit;
        if (at + unit > size)
            return false;
        at += unit;
    }
}

uint32_t ReportedDropEffect(uint32_t effect, bool anySourceLeft) {
    if ((effect & kDropEffectMove) && anySourceLeft)
        return kDropEffectNone;
    return effect;
}

} // namespace explorer_drop_rules
