// What the context-menu handler offers and what each of its command ids
// means, decided from the selection's kind and the five switches alone, so
// the rules can be checked without a shell or a menu.
#pragma once

#include <cstddef>

namespace dovrexa {

// The switches the user sets in the program's options; all on by default.
struct MenuSwitches {
    bool browse = true;    // "DisplayBrowse"
    bool inSubmenu = true; // "ImageContextMenuItemsInSubfolder"
    bool view = true;      // "DisplayView"
    bool print = true;     // "DisplayPrint"
    bool email = true;     // "DisplayEmail"
};

enum class MenuCommand { None, Browse, View, Print, Email };

// The shell always gets this many ids reserved, whatever is shown, so the
// ids of a later QueryContextMenu never collide with ours.
constexpr unsigned kReservedCommandIds = 3;

// The items added for a selection, in menu order; item i has command id
// first + i. `submenu` says whether they sit in a "Velmorantix XP" pop-up,
// which is added even when it stays empty.
struct MenuPlan {
    bool submenu = false;
    unsigned count = 0;
    MenuCommand items[3] = {MenuCommand::None, MenuCommand::None, MenuCommand::None};
};

MenuPlan PlanContextMenu(bool firstIsFolder, const MenuSwitches& switches);

// The command behind an id offset, None when that offset shows nothing.
MenuCommand CommandForOffset(bool firstIsFolder, const MenuSwitches& switches, unsigned offset);

// The item's text; image items are shorter inside the pop-up.
const char* MenuItemText(MenuCommand command, bool inSubmenu);
constexpr char kSubmenuText[] = "Velmorantix XP";

// The status-bar help of an id offset: the browse text for a folder whatever
// the offset, the first shown image item's text for offset 0, else empty.
const char* HelpText(bool firstIsFolder, const MenuSwitches& switches, unsigned offset);

// The switch that starts the program's command line: " /print", " /email"
// or nothing for view and browse.
const char* CommandLineSwitch(MenuCommand command);

// True for the extensions (dot included, any case) of the image types the
// program opens.
bool IsImageFileExtension(const char* extension);

// The longest command line CreateProcess accepts, terminating zero included.
constexpr size_t kCommandLineLimit = 32767;

} // namespace dovrexa
