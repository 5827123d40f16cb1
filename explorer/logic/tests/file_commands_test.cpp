// The explorer's file, edit and view command rules: the command target, the
// context menus per list kind and click position, the names of clipboard
// pictures and new folders, paging and the slide-show scopes.
#include "explorer/logic/file_commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

using namespace explorer_file_commands;

// The ids of a menu, with -1 for a separator, -2 for the rotate submenu and
// -3 for the sort submenu.
std::vector<int> Ids(const std::vector<MenuEntry>& menu) {
    std::vector<int> ids;
    for (const MenuEntry& e : menu) {
        if (e.submenu == Submenu::RotateCanvas)
            ids.push_back(-2);
        else if (e.submenu == Submenu::SortBy)
            ids.push_back(-3);
        else
            ids.push_back(e.id ? e.id : -1);
    }
    return ids;
}

TEST(FileCommands, TheTreeIsTheTargetWhenFocusedOrFocusedLastWithTheFocusElsewhere) {
    struct Case {
        bool tree, list, treeLast;
        Target expected;
    } cases[] = {
        {true, false, false, Target::Tree}, {true, false, true, Target::Tree},
        {false, true, true, Target::List},  {false, true, false, Target::List},
        {false, false, true, Target::Tree}, {false, false, false, Target::List},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CommandTarget(c.tree, c.list, c.treeLast))
            << c.tree << c.list << c.treeLast;
}

TEST(FileCommands, TheListMenuHoldsTheCommandsOfItsKindAndClickPosition) {
    const int kMove = ID_FILE_MOVE_TO, kCopyTo = ID_FILE_COPY_TO, kCut = ID_EDIT_CUT,
              kCopy = ID_EDIT_COPY, kDelete = ID_EDIT_DELETE_ITEMS, kRename = ID_LIST_RENAME,
              kConvert = ID_FILE_CONVERT, kFavorites = ID_FAVORITES_ADD,
              kJump = ID_EDIT_JUMP_TO_TARGET, kProperties = ID_IMAGE_PROPERTIES,
              kPaste = ID_EDIT_PASTE, kRefresh = ID_VIEW_REFRESH;
    struct Case {
        const char* name;
        int kind;
        bool onItem, nt;
        std::vector<int> expected;
    } cases[] = {
        {"folder background on NT", 0, false, true, {kPaste, -3, kRefresh}},
        {"folder background elsewhere", 0, false, false, {kPaste, kRefresh}},
        {"favorites background", 2, false, true, {kPaste, kRefresh}},
        {"search-result background", 4, false, true, {ID_SEARCH_CLEAR}},
        {"zip background is empty", 1, false, true, {}},
        {"unknown kind background is empty", 3, false, true, {}},
        {"zip item", 1, true, true, {ID_EDIT_EXTRACT}},
        {"folder item",
         0,
         true,
         true,
         {kMove, kCopyTo, kCut, kCopy, kDelete, kRename, -2, kConvert, kFavorites, -1,
          kProperties}},
        {"search-result item",
         4,
         true,
         false,
         {kMove, kCopyTo, kCut, kCopy, kDelete, kRename, -2, kConvert, kFavorites, -1,
          kProperties}},
        {"favorites item",
         2,
         true,
         true,
         {kCut, kCopy, kDelete, kRename, -2, kConvert, kJump, -1, kProperties}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Ids(ListContextMenu(c.kind, c.onItem, c.nt))) << c.name;
}

TEST(FileCommands, TheSubmenusAndThePreviewMenuHoldTheirCommandsInOrder) {
    EXPECT_EQ((std::vector<int>{ID_ROTATE_180, ID_ROTATE_90CW, ID_ROTATE_90CCW, ID_ROTATE_ARBITRARY,
                                ID_FLIP_HORIZONTAL, ID_FLIP_VERTICAL}),
              Ids(RotateCanvasMenu()));
    EXPECT_EQ((std::vector<int>{314, 315, 316, 317, 318, 319}), Ids(SortByMenu()));
    EXPECT_STREQ("Modified", SortByMenu()[3].text);
    struct Case {
        const char* name;
        bool selectionMode, hasSelection;
        int pages;
        std::vector<int> expected;
    } cases[] = {
        {"selection mode with a selection", true, true, 1, {348, 349, -1, 109, 108}},
        {"selection mode without one", true, false, 3, {109, 108}},
        {"one page", false, false, 1, {32783, 32784, 32785, 32788}},
        {"several pages", false, true, 2, {32783, 32784, 32785, 32788, -1, 32856, 32857}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Ids(PreviewContextMenu(c.selectionMode, c.hasSelection, c.pages)))
            << c.name;
}

TEST(FileCommands, AClipboardPictureTakesTheFirstFreeNumberWithFiveDigits) {
    struct Case {
        const char* name;
        std::string folder, prefix;
        unsigned start;
        std::string extension;
        std::set<std::string> existing;
        std::string expected;
    } cases[] = {
        {"an empty folder", "C:\\out", "PHOTO", 1, ".jpg", {}, "C:\\out\\PHOTO00001.jpg"},
        {"the next free number",
         "C:\\out",
         "PHOTO",
         1,
         ".jpg",
         {"C:\\out\\PHOTO00001.jpg"},
         "C:\\out\\PHOTO00002.jpg"},
        {"a gap is filled first",
         "C:\\out",
         "PHOTO",
         1,
         ".png",
         {"C:\\out\\PHOTO00001.png", "C:\\out\\PHOTO00003.png"},
         "C:\\out\\PHOTO00002.png"},
        {"another type does not count",
         "C:\\out",
         "PHOTO",
         1,
         ".png",
         {"C:\\out\\PHOTO00001.jpg"},
         "C:\\out\\PHOTO00001.png"},
        {"the start number counts", "C:\\out", "PHOTO", 42, ".bmp", {}, "C:\\out\\PHOTO00042.bmp"},
        {"six digits stay whole", "C:\\out", "P", 123456, ".jpg", {}, "C:\\out\\P123456.jpg"},
        {"a folder with a trailing backslash",
         "C:\\",
         "PHOTO",
         1,
         ".jpg",
         {},
         "C:\\PHOTO00001.jpg"},
        {"percent signs are plain text",
         "C:\\100% photos",
         "%s%n%d",
         7,
         ".tif",
         {},
         "C:\\100% photos\\%s%n%d00007.tif"},
        {"no folder gives no name", "", "PHOTO", 1, ".jpg", {}, ""},
    };
    for (const Case& c : cases) {
        const std::string path =
            ClipboardImagePath(c.folder, c.prefix, c.start, c.extension,
                               [&](const std::string& p) { return c.existing.count(p) > 0; });
        EXPECT_EQ(c.expected, path) << c.name;
    }
    // A folder in which every name exists ends the search instead of looping.
    EXPECT_EQ("", ClipboardImagePath("C:\\full", "PHOTO", 1, ".jpg",
                                     [](const std::string&) { return true; }));
    // The numbers never wrap round to 0.
    EXPECT_EQ("", ClipboardImagePath("C:\\full", "PHOTO", 0xFFFFFFFFu, ".jpg",
                                     [](const std::string&) { return true; }));
}

TEST(FileCommands, NumbersAreZeroPaddedToTheirWidth) {
    struct Case {
        unsigned number;
        int width;
        const char* expected;
    } cases[] = {{7, 0, "7"}, {7, 3, "007"}, {1234, 3, "1234"}, {0, 5, "00000"}, {5, -1, "5"}};
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, PaddedNumber(c.number, c.width)) << c.number << "/" << c.width;
}

TEST(FileCommands, ANewFolderIsNamedNewFolderThenNumberedFromOne) {
    struct Case {
        std::set<std::string> taken;
        std::string expected;
    } cases[] = {
        {{}, "New Folder"},
        {{"New Folder"}, "New Folder (1)"},
        {{"New Folder", "New Folder (1)"}, "New Folder (2)"},
        {{"New Folder (1)"}, "New Folder"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected,
                  NewFolderName([&](const std::string& n) { return c.taken.count(n) > 0; }));
    EXPECT_EQ("", NewFolderName([](const std::string&) { return true; }));
}

TEST(FileCommands, PagingStopsAtTheFirstAndTheLastPage) {
    struct Case {
        int index, extra, step, expected;
    } cases[] = {{0, 2, 1, 1},  {2, 2, 1, 2}, {1, 2, -1, 0},
                 {0, 2, -1, 0}, {0, 0, 1, 0}, {5, 2, -1, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, StepPage(c.index, c.extra, c.step))
            << c.index << " of " << c.extra << " by " << c.step;
}

TEST(FileCommands, TheSlideShowOffersTheScopesOfTheShownList) {
    struct Case {
        const char* name;
        bool collectionsRoot, listShown;
        int kind;
        bool current, withSubfolders, subfoldersOnly;
    } cases[] = {
        {"My Collections root", true, false, -1, false, false, true},
        {"no list", false, false, -1, false, false, false},
        {"folder list", false, true, 0, true, true, false},
        {"zip list", false, true, 1, true, false, false},
        {"favorites list", false, true, 2, true, false, false},
        {"search result", false, true, 4, true, false, false},
        {"another kind", false, true, 3, false, false, false},
    };
    for (const Case& c : cases) {
        const SlideShowScopes s = SlideShowScopesFor(c.collectionsRoot, c.listShown, c.kind);
        EXPECT_EQ(c.current, s.available[0]) << c.name;
        EXPECT_EQ(c.withSubfolders, s.available[1]) << c.name;
        EXPECT_EQ(c.subfoldersOnly, s.available[2]) << c.name;
        EXPECT_EQ(c.current || c.withSubfolders || c.subfoldersOnly, s.Any()) << c.name;
    }
}

} // namespace
