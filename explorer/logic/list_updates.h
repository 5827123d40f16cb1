// What the explorer does with the application's item-list notices, with the
// options changes the options pages broadcast, and which items of a list
// get an info tip: the decisions only, so that they run in table tests. The
// frame (explorer/main_frame_notify.cpp and main_frame_panes.cpp) carries
// them out on its windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace list_updates {

// The item-list kinds, as the application's lists number them.
constexpr int kKindFolder = 0;       // items: file names
constexpr int kKindArchive = 1;      // items: file names inside the archive
constexpr int kKindFavorites = 2;    // items: full paths
constexpr int kKindSearchResult = 4; // items: full paths

// The item-list notice codes.
enum ListChangeCode : int {
    kBatchBegins = 0,
    kBatchEnds = 1,
    kItemAdded = 2,
    kItemRemoved = 3,
    kItemRenamed = 4,
    kFolderRenamed = 5, // the title of the list changed
    kSourceChanged = 6, // the folder of the list went away
    kFileChanged = 7,   // a file changed on disk
    kListRefilled = 8,
    kListEmptied = 9,
    kListReplaced = 10,
};

// How the frame takes a notice.
struct ListChangeRule {
    bool known = false;         // codes 0..10; anything else is ignored
    bool anyList = false;       // 0 and 1 act whatever list they name
    bool underListLock = false; // the list view changes while the list is locked
    // The index is looked up under the lock, and the lock is left before
    // the thumbnail worker is paused: the worker may wait for that lock.
    bool pausesWorkerOutsideLock = false;
};
ListChangeRule RuleOf(int code);

// The list-view label that stands for `name` in a notice of a list of
// `kind`: folder and archive lists name their items by file name, the
// others by full path, which their labels show only by its file-name part.
std::string LabelOfNoticeName(int kind, const std::string& name);

// The name by which the current document's item is found again after its
// list was refilled: the file-name part of its path for folder and archive
// lists, the whole path for the others.
std::string ReselectName(int kind, const std::string& documentPath);

// Whether item `index` of a list of `kind` holding `count` items has an
// info tip (its full path): only favorites and search results, whose
// labels do not tell where the file is.
bool HasInfoTip(int kind, int index, int count);

// Copies a tip into a caller's buffer of `capacity` characters, cut to fit
// and always terminated; nothing is written when there is no room at all.
// Returns the characters written, without the terminator.
size_t CopyTipText(const std::string& tip, char* buffer, int capacity);

// The "OptionsChanged" codes the options pages send (wParam).
enum OptionsChangedCode : uint32_t {
    kPreviewBackgroundChanged = 0,
    kThumbnailBackgroundChanged = 1,
    kThumbnailSizeChanged = 2,
    kThumbnailSpacingChanged = 3,
    kFolderPreviewCountChanged = 4,
    kFolderPreviewColorChanged = 5,
};

enum class OptionsAction {
    kNone,
    kSetPreviewBackground,   // the preview's background from the option; redrawn when it changed
    kSetThumbnailBackground, // the list's background from the option, then repopulated
    kRebuildThumbnails,      // every worker paused, the thumbnail cache made anew, tiles again
    kUpdateSpacing,          // the list's icon spacing from the options
    kCloseFolderPreview,     // the folder tree closes its preview popup
    kApplyFolderPreviewColors,
};

// What the explorer does for `code` in view mode `viewMode` (3 is List,
// which shows no thumbnails and so keeps its own background).
OptionsAction ActionOf(uint32_t code, int viewMode);

} // namespace list_updates
