// The pure rules behind the explorer's file, edit and view commands: which
// control a command goes to, what the thumbnail list's and the frame's
// context menus hold, how a picture pasted from the clipboard and a new
// folder are named, paging through a multi-page preview and the slide-show
// scopes offered for a list.
//
// Names are built by concatenation with only the number formatted, so a '%'
// in a folder, a prefix or a name stays a plain character.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace explorer_file_commands {

// --- the command target -------------------------------------------------------

enum class Target { Tree, List };

// The tree when it has the focus, or when neither the tree nor the list has
// it and the tree was focused last; otherwise the list.
Target CommandTarget(bool treeFocused, bool listFocused, bool treeFocusedLast);

// --- context menus --------------------------------------------------------------

// One entry of a popup menu: a command (id and text), a separator (id 0, no
// submenu) or a submenu (id 0 and its kind).
enum class Submenu { None, RotateCanvas, SortBy };
struct MenuEntry {
    int id = 0;
    const char* text = nullptr;
    Submenu submenu = Submenu::None;
    bool operator==(const MenuEntry& o) const;
};

std::vector<MenuEntry> RotateCanvasMenu();
std::vector<MenuEntry> SortByMenu();

// The thumbnail list's menu for a list kind (0 folder, 1 zip archive, 2
// favorites, 4 search result), clicked on an item or beside the items. The
// sort submenu is offered on the NT family only.
std::vector<MenuEntry> ListContextMenu(int kind, bool onItem, bool ntFamily);

// The frame's menu over the preview with a document shown: selection mode
// with or without a selection, otherwise the zoom commands and, for a
// document of several pages, paging.
std::vector<MenuEntry> PreviewContextMenu(bool selectionMode, bool hasSelection, int pages);

// --- names ------------------------------------------------------------------------

// The number written with at least `width` digits (zero-padded); width 0
// writes it as it is.
std::string PaddedNumber(unsigned number, int width);

// The file a clipboard picture is saved to: folder, '\', prefix, the first
// number from `start` (at least five digits) whose file `exists` denies, and
// the extension (with its dot). Empty when no number up to the last one is
// free, or for an empty folder.
std::string ClipboardImagePath(const std::string& folder, const std::string& prefix, unsigned start,
                               const std::string& extension,
                               const std::function<bool(const std::string&)>& exists);

// The name of a new folder: "New Folder", else "New Folder (n)" with the
// first n from 1 whose name `taken` denies (the callback decides how names
// compare). Empty when every candidate up to the limit is taken.
std::string NewFolderName(const std::function<bool(const std::string&)>& taken);

// --- paging and the slide show ---------------------------------------------------

// The page after a step of +1 or -1, kept between 0 and the extra pages.
int StepPage(int index, int extraPages, int step);

// The slide-show scopes offered: [0] "Current folder only", [1] "Current
// folder and subfolder(s)", [2] "Subfolder(s) only". None at all (every
// entry false) means the command does nothing.
struct SlideShowScopes {
    bool available[3] = {false, false, false};
    bool Any() const { return available[0] || available[1] || available[2]; }
};
SlideShowScopes SlideShowScopesFor(bool collectionsRoot, bool listShown, int kind);

} // namespace explorer_file_commands
