// Rules of the drops onto the folder trees and the thumbnail list that need
// no window: which formats each target accepts and in which order, which
// tree items take a drop and what a drop on each kind of item does, which
// lists take files and where the dropped files go, the favorites block a
// drop reads, and the effect a drop reports back to its source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace explorer_drop_rules {

// The formats a drop can carry: CF_HDROP, "FavoritesClipboardFormat",
// "ZipClipboardFormat", anything else.
enum class DropFormat { Files, Favorites, Zip, Other };

enum class DropTargetKind {
    FolderTree,    // the folder tree on its own
    PaneTree,      // the folder pane tree (explorer, Browse for Folder)
    ThumbnailList, // the thumbnail list
};

// The formats a target accepts, in the order they are asked for; the first
// one the data offers is the one a drop takes.
std::vector<DropFormat> AcceptedDropFormats(DropTargetKind target);

// Whether a drag may rest on a tree item: a shell folder (kind 0) whose
// path exists, and in the pane tree also Favorites (2) and My Collections (3).
bool CanDropOnTreeItem(DropTargetKind tree, int kind, bool pathExists);

// What a drop onto a tree item does.
enum class TreeDropAction {
    None,
    IntoFolder,       // files and folders copied or moved into it, zip entries extracted
    AddToCollections, // folders added to My Collections
    IntoFavorites,    // pictures added to, or favorites moved into, a favorites folder
};

struct TreeDrop {
    TreeDropAction action = TreeDropAction::None;
    bool copy = false;
};

// A drop with the chosen effect onto an item of the kind: My Collections
// copies when the effect has DROPEFFECT_COPY; a favorites folder copies
// unless it has DROPEFFECT_MOVE; a shell folder takes the drop only when the
// effect has copy or move, and copies when it has copy.
TreeDrop PlanTreeDrop(int kind, uint32_t effect);

// Whether the action does anything with data of the format.
bool TreeDropTakes(TreeDropAction action, DropFormat format);

// A list takes dropped files only when it shows a folder on disk (kind 0)
// and the data is a file list: a zip folder, a favorites folder or a result
// list has no folder to put them in.
bool ListAcceptsDrop(int sourceKind, DropFormat matched);

struct FileTransfer {
    std::string source;
    std::string target;
};

// The files a drop onto a folder's list copies or moves, and where to: each
// dropped path whose folder differs from the list's folder goes to the list's
// folder under its own name. sameFolder compares two folders (the system's
// case-insensitive comparison); paths without a folder or a name are left.
using SameFolderFn = bool (*)(const std::string&, const std::string&);
std::vector<FileTransfer> PlanListDrop(const std::string& folder,
                                       const std::vector<std::string>& dropped,
                                       SameFolderFn sameFolder);

// ASCII letters compared without regard to case.
bool SameFolderAscii(const std::string& a, const std::string& b);

// The folder part of a path ("C:\a\b.jpg" gives "C:\a", "C:\b.jpg" gives
// "C:\") and the name ("b.jpg"); empty when the path has no backslash.
std::string FolderOfPath(const std::string& path);
std::string NameOfPath(const std::string& path);

// Whether a folder dropped or pasted into target is left where it is: a
// folder never goes into itself or one of its own folders, and a drop onto
// the folder it already lies in changes nothing.
bool FolderDropSkipped(const std::string& folder, const std::string& target, bool drop,
                       SameFolderFn sameFolder);

// The source folder id and the paths of a "FavoritesClipboardFormat" block:
// uint32 id, uint32 count, then the zero-ended paths. False when the block is
// shorter than its header; paths the block cuts short are dropped, and no
// more than count are read.
bool ReadFavoritesBlock(const uint8_t* data, size_t size, uint32_t* folderId,
                        std::vector<std::string>* paths);

// The paths as the application's list form: each with its zero, then one
// more zero.
std::string ZeroSeparatedList(const std::vector<std::string>& paths);

// Whether a CF_HDROP block (a DROPFILES header, then narrow or wide
// zero-ended paths and an empty one) lies wholly inside its size bytes, so
// that reading its paths stays inside the block.
bool FileDropBlockIsSound(const uint8_t* data, size_t size);

// The effect a drop reports to its source. A source that moves by deleting
// its originals once the target answers DROPEFFECT_MOVE would delete a file
// the drop left where it was (one dropped onto its own folder, skipped or
// cancelled at a clash), so a move answers DROPEFFECT_NONE while any dropped
// path still exists.
uint32_t ReportedDropEffect(uint32_t effect, bool anySourceLeft);

} // namespace explorer_drop_rules
