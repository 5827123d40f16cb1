// The explorer's command states: whether each command of its menu and
// toolbar is enabled and checked, as a pure function of what the frame
// shows. The idle pass gathers the facts and applies the answers.
#pragma once

#include <cstdint>

namespace explorer_commands {

struct CommandContext {
    int selected = 0;         // S: selected items of the thumbnail list
    bool document = false;    // D: a current document exists
    bool metafile = false;    // M: it is a metafile (types 2 and 15)
    int bitsPerPixel = 0;     // B
    int pages = 1;            // P: extra pages + 1
    bool decoded = false;     // R: its decoding is complete
    bool modified = false;    // the document is modified
    bool grayPalette = false; // its palette is the 256-entry grey ramp
    bool listShown = false;   // L: a list is shown
    int kind = -1;            // K: the shown list's kind (1 = zip archive)
    bool listFocused = false;
    bool treeFocused = false;
    bool selectionMode = false; // the preview is in selection mode
    bool hasSelection = false;  // the preview has a selection
    bool undoImage = false;     // the preview keeps an undo image
    bool hotTrack = false;      // option ExplorerHotTrack
    int osMajor = 0, osMinor = 0;
    int viewMode = 2;
    bool showPreview = true;
    bool foldersShown = false, propertiesShown = false, metadataShown = false,
         contentsShown = false;
    int pageIndex = 0;
    int sortKey = 1, sortOrder = 1;
    int historyCount = 0, historyPosition = 0;
    bool treeItemHasParent = false;
    int viewerCount = 0;
};

struct CommandState {
    bool enabled = false;
    bool checked = false;
    bool operator==(const CommandState& o) const {
        return enabled == o.enabled && checked == o.checked;
    }
};

// The state of one command; commands outside the table are enabled and
// unchecked (their own handlers decide).
CommandState StateOf(int command, const CommandContext& c);

// Every command the table sets, in its order.
extern const int kStateCommands[];
extern const int kStateCommandCount;

} // namespace explorer_commands
