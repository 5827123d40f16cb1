// The explorer's command states: one case per rule of the table, each with
// the facts that decide it, and the spot checks a zip list and a multi-page
// document must pass.
#include "explorer/logic/command_states.h"

#include <gtest/gtest.h>

#include <functional>

#include "resources/resource.h"

namespace {

using namespace explorer_commands;

// A shown folder list with one selected, fully decoded 24-bit photo.
CommandContext Photo() {
    CommandContext c;
    c.selected = 1;
    c.document = true;
    c.bitsPerPixel = 24;
    c.pages = 1;
    c.decoded = true;
    c.listShown = true;
    c.kind = 0;
    c.listFocused = true;
    return c;
}

TEST(CommandStates, EachCommandFollowsItsRule) {
    struct Case {
        const char* name;
        int command;
        std::function<void(CommandContext&)> change;
        CommandState expected;
    };
    const Case cases[] = {
        {"Open Viewer needs a selection",
         ID_FILE_OPEN_VIEWER,
         [](CommandContext& c) { c.selected = 0; },
         {false, false}},
        {"Open Viewer with a selection",
         ID_FILE_OPEN_VIEWER,
         [](CommandContext&) {},
         {true, false}},
        {"Print needs a list",
         ID_FILE_PRINT,
         [](CommandContext& c) { c.listShown = false; },
         {false, false}},
        {"Save needs a modified document", ID_FILE_SAVE, [](CommandContext&) {}, {false, false}},
        {"Save of a modified photo",
         ID_FILE_SAVE,
         [](CommandContext& c) { c.modified = true; },
         {true, false}},
        {"Save of a modified metafile",
         ID_FILE_SAVE,
         [](CommandContext& c) { c.modified = c.metafile = true; },
         {false, false}},
        {"Save As without a list",
         ID_FILE_SAVE_AS,
         [](CommandContext& c) { c.listShown = false; },
         {true, false}},
        {"Marquee is checked in selection mode",
         ID_VIEW_MARQUEE,
         [](CommandContext& c) { c.selectionMode = true; },
         {true, true}},
        {"Properties with the list focused follows the document",
         ID_FILE_PROPERTIES,
         [](CommandContext& c) { c.document = false; },
         {false, false}},
        {"Properties with the tree focused",
         ID_FILE_PROPERTIES,
         [](CommandContext& c) {
             c.listFocused = false;
             c.treeFocused = true;
             c.document = false;
         },
         {true, false}},
        {"Undo needs an undo image",
         ID_EDIT_UNDO,
         [](CommandContext& c) { c.undoImage = true; },
         {true, false}},
        {"Delete with the tree focused and nothing selected",
         ID_FILE_DELETE,
         [](CommandContext& c) {
             c.selected = 0;
             c.treeFocused = true;
         },
         {true, false}},
        {"Delete with nothing selected and the list focused",
         ID_FILE_DELETE,
         [](CommandContext& c) { c.selected = 0; },
         {false, false}},
        {"Hot Track is checked by its option",
         ID_TOOLS_HOT_TRACK,
         [](CommandContext& c) { c.hotTrack = true; },
         {true, true}},
        {"WIA on 5.1",
         ID_ACQUIRE_WIA,
         [](CommandContext& c) {
             c.osMajor = 5;
             c.osMinor = 1;
         },
         {true, false}},
        {"WIA on 4.90",
         ID_ACQUIRE_WIA,
         [](CommandContext& c) {
             c.osMajor = 4;
             c.osMinor = 90;
         },
         {true, false}},
        {"WIA on 5.0", ID_ACQUIRE_WIA, [](CommandContext& c) { c.osMajor = 5; }, {false, false}},
        {"WIA on 10.0", ID_ACQUIRE_WIA, [](CommandContext& c) { c.osMajor = 10; }, {false, false}},
        {"Rotate a decoded photo", ID_ROTATE_90CW, [](CommandContext&) {}, {true, false}},
        {"Rotate while decoding",
         ID_ROTATE_90CW,
         [](CommandContext& c) { c.decoded = false; },
         {false, false}},
        {"Grayscale of a grey-ramp image",
         ID_IMAGE_MODE_GRAYSCALE,
         [](CommandContext& c) {
             c.bitsPerPixel = 8;
             c.grayPalette = true;
         },
         {false, false}},
        {"Bitmap of a grey-ramp image",
         ID_IMAGE_MODE_BITMAP,
         [](CommandContext& c) {
             c.bitsPerPixel = 8;
             c.grayPalette = true;
         },
         {true, false}},
        {"Indexed of a 32-bit image",
         ID_IMAGE_MODE_INDEXED,
         [](CommandContext& c) { c.bitsPerPixel = 32; },
         {true, false}},
        {"Indexed of an 8-bit image",
         ID_IMAGE_MODE_INDEXED,
         [](CommandContext& c) { c.bitsPerPixel = 8; },
         {false, false}},
        {"RGB of a 24-bit image", ID_IMAGE_MODE_RGB, [](CommandContext&) {}, {false, false}},
        {"RGB of a 1-bit image",
         ID_IMAGE_MODE_RGB,
         [](CommandContext& c) { c.bitsPerPixel = 1; },
         {true, false}},
        {"Adjust a 4-bit image",
         ID_ADJUST_INVERT,
         [](CommandContext& c) { c.bitsPerPixel = 4; },
         {false, false}},
        {"Crop needs a selection on the preview",
         ID_IMAGE_CROP,
         [](CommandContext& c) { c.hasSelection = true; },
         {true, false}},
        {"Image Properties needs a document",
         ID_IMAGE_PROPERTIES,
         [](CommandContext& c) { c.document = false; },
         {false, false}},
        {"List is checked in List mode",
         ID_VIEW_LIST,
         [](CommandContext& c) { c.viewMode = 3; },
         {true, true}},
        {"Preview Pane only in Thumbnail mode",
         ID_VIEW_PREVIEW_PANE,
         [](CommandContext& c) { c.viewMode = 1; },
         {false, true}},
        {"Contents Pane in List mode, shown",
         ID_VIEW_CONTENTS_PANE,
         [](CommandContext& c) {
             c.viewMode = 3;
             c.contentsShown = true;
         },
         {true, true}},
        {"Folders Pane checked while shown",
         ID_VIEW_FOLDERS_PANE,
         [](CommandContext& c) { c.foldersShown = true; },
         {true, true}},
        {"Next Page on the last page",
         ID_VIEW_NEXT_PAGE,
         [](CommandContext& c) {
             c.pages = 3;
             c.pageIndex = 2;
         },
         {false, false}},
        {"Previous Page on the second page",
         ID_VIEW_PREV_PAGE,
         [](CommandContext& c) {
             c.pages = 3;
             c.pageIndex = 1;
         },
         {true, false}},
        {"Add to Favorites from a favorites list",
         ID_FAVORITES_ADD,
         [](CommandContext& c) { c.kind = 2; },
         {false, false}},
        {"Jump to Target from a search result",
         ID_EDIT_JUMP_TO_TARGET,
         [](CommandContext& c) { c.kind = 4; },
         {true, false}},
        {"Jump to Target from a folder",
         ID_EDIT_JUMP_TO_TARGET,
         [](CommandContext&) {},
         {false, false}},
        {"Sort by Type is checked for key 3",
         ID_SORT_BY_TYPE,
         [](CommandContext& c) { c.sortKey = 3; },
         {true, true}},
        {"Descending is checked for order 2",
         ID_SORT_DESCENDING,
         [](CommandContext& c) { c.sortOrder = 2; },
         {true, true}},
        {"Back on the last history entry",
         ID_GO_BACK,
         [](CommandContext& c) {
             c.historyCount = 3;
             c.historyPosition = 2;
         },
         {false, false}},
        {"Back with older entries",
         ID_GO_BACK,
         [](CommandContext& c) {
             c.historyCount = 3;
             c.historyPosition = 1;
         },
         {true, false}},
        {"Forward at position 0", ID_GO_FORWARD, [](CommandContext&) {}, {false, false}},
        {"Up needs a parent",
         ID_GO_UP,
         [](CommandContext& c) { c.treeItemHasParent = true; },
         {true, false}},
        {"Bring Viewers with one viewer",
         ID_WINDOW_BRING_VIEWERS,
         [](CommandContext& c) { c.viewerCount = 1; },
         {true, false}},
        {"Arrange with one viewer",
         ID_WINDOW_ARRANGE,
         [](CommandContext& c) { c.viewerCount = 1; },
         {false, false}},
        {"Arrange with exactly two viewers",
         ID_WINDOW_ARRANGE_HORZ,
         [](CommandContext& c) { c.viewerCount = 2; },
         {true, false}},
    };
    for (const Case& k : cases) {
        CommandContext c = Photo();
        k.change(c);
        EXPECT_EQ(k.expected, StateOf(k.command, c)) << k.name;
    }
}

TEST(CommandStates, AZipListDisablesFileAndImageCommandsAndExtractFollowsListFocus) {
    CommandContext c = Photo();
    c.kind = 1;
    for (int command : {ID_FILE_PRINT, ID_FILE_EMAIL, ID_FILE_COPY_TO, ID_FILE_MOVE_TO,
                        ID_FILE_DELETE, ID_FILE_RENAME, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE,
                        ID_ROTATE_90CW, ID_FLIP_VERTICAL, ID_IMAGE_SIZE, ID_IMAGE_MODE_INDEXED,
                        ID_ADJUST_EQUALIZE, ID_TOOLS_EDITOR, ID_FILE_CONVERT})
        EXPECT_FALSE(StateOf(command, c).enabled) << command;
    EXPECT_TRUE(StateOf(ID_EDIT_EXTRACT, c).enabled);
    c.listFocused = false;
    EXPECT_FALSE(StateOf(ID_EDIT_EXTRACT, c).enabled) << "the list lost the focus";
    c.listFocused = true;
    c.selected = 0;
    EXPECT_FALSE(StateOf(ID_EDIT_EXTRACT, c).enabled) << "nothing selected";
    EXPECT_FALSE(StateOf(ID_EDIT_EXTRACT, Photo()).enabled) << "a folder list";
}

TEST(CommandStates, AMultiPageDocumentDisablesEveryEditingCommand) {
    CommandContext c = Photo();
    c.pages = 2;
    for (int command :
         {ID_ROTATE_180, ID_ROTATE_90CW, ID_ROTATE_90CCW, ID_ROTATE_ARBITRARY, ID_FLIP_HORIZONTAL,
          ID_FLIP_VERTICAL, ID_IMAGE_SIZE, ID_IMAGE_MODE_GRAYSCALE, ID_IMAGE_MODE_INDEXED,
          ID_IMAGE_MODE_RGB, ID_IMAGE_MODE_BITMAP, ID_ADJUST_BRIGHTNESS_CONTRAST,
          ID_ADJUST_COLOR_BALANCE, ID_ADJUST_HUE_SATURATION, ID_ADJUST_DESATURATE,
          ID_ADJUST_POSTERIZE, ID_ADJUST_INVERT, ID_ADJUST_EQUALIZE})
        EXPECT_FALSE(StateOf(command, c).enabled) << command;
    EXPECT_TRUE(StateOf(ID_TOOLS_EDITOR, c).enabled) << "an editor takes any page count";
}

TEST(CommandStates, EveryCommandOfTheTableIsAnsweredByARule) {
    // With nothing shown, a command the table names but no rule answers
    // would come back enabled like an unknown id.
    const CommandContext nothing{};
    int enabled = 0;
    for (int i = 0; i < kStateCommandCount; ++i)
        if (StateOf(kStateCommands[i], nothing).enabled)
            ++enabled;
    // Hot Track, the three view modes and three panes are always enabled, and
    // Preview Pane in the default Thumbnail mode.
    EXPECT_EQ(8, enabled);
    EXPECT_TRUE(StateOf(12345, nothing).enabled);
}

} // namespace
