#include "explorer/logic/file_commands.h"

#include "app/logic/output_naming.h"

#include <cstdio>
#include <cstring>

#include "resources/resource.h"

namespace explorer_file_commands {

namespace {

// How far a free number is looked for: far beyond any real folder, and a
// bound for a caller whose existence test always answers yes.
constexpr unsigned kMaxTries = 100000;

MenuEntry Command(int id, const char* text) {
    MenuEntry e;
    e.id = id;
    e.text = text;
    return e;
}

MenuEntry Separator() {
    return MenuEntry{};
}

MenuEntry Sub(const char* text, Submenu kind) {
    MenuEntry e;
    e.text = text;
    e.submenu = kind;
    return e;
}

} // namespace

bool MenuEntry::operator==(const MenuEntry& o) const {
    const bool sameText = (!text && !o.text) || (text && o.text && std::strcmp(text, o.text) == 0);
    return id == o.id && submenu == o.submenu && sameText;
}

Target CommandTarget(bool treeFocused, bool listFocused, bool treeFocusedLast) {
    if (treeFocused)
        return Target::Tree;
    if (!listFocused && treeFocusedLast)
        return Target::Tree;
    return Target::List;
}

std::vector<MenuEntry> RotateCanvasMenu() {
    return {Command(ID_ROTATE_180, "180\xB0"),
            Command(ID_ROTATE_90CW, "90\xB0 CW"),
            Command(ID_ROTATE_90CCW, "90\xB0 CCW"),
            Command(ID_ROTATE_ARBITRARY, "Arbitrary..."),
            Command(ID_FLIP_HORIZONTAL, "Flip Horizontal"),
            Command(ID_FLIP_VERTICAL, "Flip Vertical")};
}

std::vector<MenuEntry> SortByMenu() {
    return {Command(ID_SORT_BY_NAME, "Name"),        Command(ID_SORT_BY_SIZE, "Size"),
            Command(ID_SORT_BY_TYPE, "Type"),        Command(ID_SORT_BY_DATE, "Modified"),
            Command(ID_SORT_ASCENDING, "Ascending"), Command(ID_SORT_DESCENDING, "Descending")};
}

std::vector<MenuEntry> ListContextMenu(int kind, bool onItem, bool ntFamily) {
    constexpr int kFolder = 0, kArchive = 1, kFavorites = 2, kSearchResult = 4;
    std::vector<MenuEntry> menu;
    if (!onItem) {
        if (kind == kFolder) {
            menu.push_back(Command(ID_EDIT_PASTE, "Paste"));
            if (ntFamily)
                menu.push_back(Sub("Sort By", Submenu::SortBy));
            menu.push_back(Command(ID_VIEW_REFRESH, "Refresh"));
        } else if (kind == kFavorites) {
            menu.push_back(Command(ID_EDIT_PASTE, "Paste"));
            menu.push_back(Command(ID_VIEW_REFRESH, "Refresh"));
        } else if (kind == kSearchResult) {
            menu.push_back(Command(ID_SEARCH_CLEAR, "Clear"));
        }
        return menu;
    }
    if (kind == kArchive) {
        menu.push_back(Command(ID_EDIT_EXTRACT, "Extract..."));
        return menu;
    }
    const bool folderOrResult = kind == kFolder || kind == kSearchResult;
    if (folderOrResult) {
        menu.push_back(Command(ID_FILE_MOVE_TO, "Move To Folder..."));
        menu.push_back(Command(ID_FILE_COPY_TO, "Copy To Folder..."));
    }
    menu.push_back(Command(ID_EDIT_CUT, "Cut"));
    menu.push_back(Command(ID_EDIT_COPY, "Copy"));
    menu.push_back(Command(ID_EDIT_DELETE_ITEMS, "Delete"));
    menu.push_back(Command(ID_LIST_RENAME, "Rename"));
    menu.push_back(Sub("Rotate Canvas", Submenu::RotateCanvas));
    menu.push_back(Command(ID_FILE_CONVERT, "Convert..."));
    if (folderOrResult)
        menu.push_back(Command(ID_FAVORITES_ADD, "Add to Favorites"));
    else if (kind == kFavorites)
        menu.push_back(Command(ID_EDIT_JUMP_TO_TARGET, "Jump to Target Folder"));
    menu.push_back(Separator());
    menu.push_back(Command(ID_IMAGE_PROPERTIES, "Properties"));
    return menu;
}

std::vector<MenuEntry> PreviewContextMenu(bool selectionMode, bool hasSelection, int pages) {
    std::vector<MenuEntry> menu;
    if (selectionMode) {
        if (hasSelection) {
            menu.push_back(Command(ID_IMAGE_CROP, "Crop"));
            menu.push_back(Command(ID_IMAGE_SAVE_SELECTION, "Save Selection As..."));
            menu.push_back(Separator());
        }
        menu.push_back(Command(ID_MARQUEE_SETTING, "Options"));
        menu.push_back(Command(ID_MARQUEE_CANCEL, "Cancel"));
        return menu;
    }
    menu.push_back(Command(ID_ZOOM_IN, "Zoom In"));
    menu.push_back(Command(ID_ZOOM_OUT, "Zoom Out"));
    menu.push_back(Command(ID_ZOOM_100, "Actual Size"));
    menu.push_back(Command(ID_ZOOM_TYPE_SHRINK, "Shrink to Fit"));
    if (pages > 1) {
        menu.push_back(Separator());
        menu.push_back(Command(ID_VIEW_NEXT_PAGE, "Next Page"));
        menu.push_back(Command(ID_VIEW_PREV_PAGE, "Previous Page"));
    }
    return menu;
}

std::string PaddedNumber(unsigned number, int width) {
    if (width < 0)
        width = 0;
    if (width > 10)
        width = 10;
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*u", width, number);
    return digits;
}

std::string ClipboardImagePath(const std::string& folder, const std::string& prefix, unsigned start,
                               const std::string& extension,
                               const std::function<bool(const std::string&)>& exists) {
    // The output folder's numbering, as a screen capture names its files; a
    // start past the largest number has no free name.
    if (folder.empty() || start > 0x7FFFFFFFu)
        return {};
    int sequence = static_cast<int>(start);
    return NextFreeOutputPath(folder, prefix, 5, extension, &sequence, exists,
                              static_cast<int>(kMaxTries));
}

std::string NewFolderName(const std::function<bool(const std::string&)>& taken) {
    const std::string first = "New Folder";
    if (!taken(first))
        return first;
    for (unsigned n = 1; n < kMaxTries; ++n) {
        const std::string name = first + " (" + std::to_string(n) + ")";
        if (!taken(name))
            return name;
    }
    return {};
}

int StepPage(int index, int extraPages, int step) {
    if (extraPages < 0)
        extraPages = 0;
    int next = index + (step > 0 ? 1 : step < 0 ? -1 : 0);
    if (next > extraPages)
        next = extraPages;
    if (next < 0)
        next = 0;
    return next;
}

SlideShowScopes SlideShowScopesFor(bool collectionsRoot, bool listShown, int kind) {
    SlideShowScopes scopes;
    if (collectionsRoot) {
        scopes.available[2] = true;
        return scopes;
    }
    if (!listShown)
        return scopes;
    if (kind == 0) {
        scopes.available[0] = scopes.available[1] = true;
    } else if (kind == 1 || kind == 2 || kind == 4) {
        scopes.available[0] = true;
    }
    return scopes;
}

} // namespace explorer_file_commands
