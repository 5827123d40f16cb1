// Rules of the folder pane tree that need no window: the context menu of
// each kind of item, which items a command or a drop may act on, how a
// paste or a drop copies or moves, the CF_HDROP block of one folder and the
// path a rename gives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "explorer/logic/file_commands.h"

namespace explorer_tree_rules {

// What the menu of a tree item depends on. Kinds are those of the tree's
// item records: 0 shell folder, 1 zip archive, 2 Favorites root or folder,
// 3 My Collections, 4 Search Result.
struct TreeMenuItem {
    int kind = 0;
    bool favoritesRoot = false; // kind 2 with id 0
    bool exists = false;        // kind 0: its path exists
    bool driveRoot = false;     // kind 0: its path is a drive root
    bool inCollections = false; // kind 0: its path is in My Collections
};

std::vector<explorer_file_commands::MenuEntry> TreeContextMenu(const TreeMenuItem& item);

// A paste moves when the clipboard's "Preferred DropEffect" has the move
// bit; without that value it copies.
bool PasteMoves(bool hasPreferredEffect, uint32_t preferredEffect);

// The CF_HDROP block of one folder: a DROPFILES header of 20 bytes (pFiles
// 20, narrow names), the path with its zero and the list's final zero. Sized
// for the path, so the longest one fits. Empty for an empty path.
std::vector<uint8_t> FolderDropBlock(const std::string& path);

// The path a label edit renames a folder to: the old path's folder joined
// with the new text. Empty when the text is empty or names no single folder
// ("." , "..", or holding a path separator).
std::string RenamedFolderPath(const std::string& oldPath, const std::string& text);

// The zero-ended strings of a "ZipClipboardFormat" block, up to the first
// empty one or the end of the block; a string the block cuts short is
// dropped. The first is the archive, the others its entries.
std::vector<std::string> ZeroStrings(const uint8_t* data, size_t size);

} // namespace explorer_tree_rules
