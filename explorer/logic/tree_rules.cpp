#include "explorer/logic/tree_rules.h"

#include <cstring>

#include "resources/resource.h"

namespace explorer_tree_rules {

using explorer_file_commands::MenuEntry;

namespace {

MenuEntry Command(int id, const char* text) {
    MenuEntry e;
    e.id = id;
    e.text = text;
    return e;
}

MenuEntry Separator() {
    return MenuEntry{};
}

void PutLE32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

std::vector<MenuEntry> TreeContextMenu(const TreeMenuItem& item) {
    std::vector<MenuEntry> menu;
    switch (item.kind) {
    case 4:
        menu.push_back(Command(ID_SEARCH_CLEAR, "Clear"));
        return menu;
    case 3:
        menu.push_back(Command(ID_TREE_NEW_FOLDER, "Create New Collection..."));
        menu.push_back(Command(ID_TREE_ADD_TO_COLLECTIONS, "Add Collection..."));
        return menu;
    case 2:
        menu.push_back(Command(ID_TREE_NEW_FOLDER, "Create New Folder"));
        menu.push_back(Separator());
        menu.push_back(Command(ID_EDIT_PASTE, "Paste"));
        if (!item.favoritesRoot) {
            menu.push_back(Separator());
            menu.push_back(Command(ID_TREE_DELETE, "Delete"));
            menu.push_back(Command(ID_TREE_RENAME, "Rename"));
        }
        return menu;
    case 0:
        break;
    default:
        return menu;
    }
    if (!item.exists) {
        menu.push_back(Command(ID_TREE_REFRESH, "Refresh"));
        return menu;
    }
    menu.push_back(Command(ID_TREE_NEW_FOLDER, "Create New Folder"));
    menu.push_back(Separator());
    if (!item.driveRoot) {
        menu.push_back(Command(ID_TREE_DELETE, "Delete"));
        menu.push_back(Command(ID_TREE_RENAME, "Rename"));
        menu.push_back(Separator());
    } else if (item.inCollections) {
        menu.push_back(Command(ID_TREE_DELETE, "Delete"));
        menu.push_back(Separator());
    }
    menu.push_back(Command(ID_TREE_REFRESH, "Refresh"));
    menu.push_back(Separator());
    if (!item.driveRoot)
        menu.push_back(Command(ID_EDIT_CUT, "Cut"));
    menu.push_back(Command(ID_EDIT_COPY, "Copy"));
    menu.push_back(Command(ID_EDIT_PASTE, "Paste"));
    menu.push_back(Separator());
    if (!item.inCollections) {
        menu.push_back(Command(ID_TREE_ADD_TO_COLLECTIONS, "Add to My Collections"));
        menu.push_back(Separator());
    }
    menu.push_back(Command(ID_TREE_PROPERTIES, "Properties"));
    return menu;
}

bool PasteMoves(bool hasPreferredEffect, uint32_t preferredEffect) {
    return hasPreferredEffect && (preferredEffect & 2u) != 0;
}

std::vector<uint8_t> FolderDropBlock(const std::string& path) {
    if (path.empty())
        return {};
    constexpr size_t kHeader = 20;
    std::vector<uint8_t> block(kHeader + path.size() + 2, 0);
    PutLE32(block, 0, static_cast<uint32_t>(kHeader)); // pFiles; pt, fNC and fWide stay 0
    std::memcpy(block.data() + kHeader, path.data(), path.size());
    return block;
}

std::string RenamedFolderPath(const std::string& oldPath, const std::string& text) {
    if (text.empty() || text == "." || text == ".." ||
        text.find_first_of("\\/") != std::string::npos)
        return {};
    const size_t slash = oldPath.find_last_of('\\');
    if (slash == std::string::npos)
        return {};
    return oldPath.substr(0, slash + 1) + text;
}

std::vector<std::string> ZeroStrings(const uint8_t* data, size_t size) {
    std::vector<std::string> strings;
    size_t at = 0;
    while (data && at < size) {
        const void* end = std::memchr(data + at, 0, size - at);
        if (!end)
            break;
        const size_t length = static_cast<const uint8_t*>(end) - (data + at);
        if (length == 0)
            break;
        strings.emplace_back(reinterpret_cast<const char*>(data + at), length);
        at += length + 1;
    }
    return strings;
}

} // namespace explorer_tree_rules
