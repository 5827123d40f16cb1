// The rules of the folder trees' dialogs and the folder preview: the recent
// folders of Browse for Folder, the nested folders a typed path needs, new
// folder names, the folder date, and when and where the preview shows.
#include "explorer/logic/folder_rules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

TEST(RecentFolders, TheKeptCountIsHeldToTenThroughTwenty) {
    struct Case {
        bool present;
        uint32_t value, kept;
    } cases[] = {
        {false, 15, 10}, // missing or not a DWORD
        {true, 0, 10},   {true, 5, 10},  {true, 10, 10}, {true, 11, 11},
        {true, 19, 19},  {true, 20, 20}, {true, 50, 20}, {true, 0xFFFFFFFFu, 20},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.kept, ClampRecentFolderCount(c.present, c.value)) << c.value;
}

TEST(RecentFolders, AChosenFolderGoesFirstOnceAndTheOldestFallsOffPastTheCount) {
    struct Case {
        const char* name;
        Strings before;
        std::string chosen;
        uint32_t keep;
        Strings after;
    } cases[] = {
        {"a new folder goes in front",
         {"C:\\a", "C:\\b"},
         "C:\\n",
         10,
         {"C:\\n", "C:\\a", "C:\\b"}},
        {"an entry already listed moves to the top, in any case",
         {"C:\\a", "C:\\b", "C:\\c"},
         "c:\\B",
         10,
         {"c:\\B", "C:\\a", "C:\\c"}},
        {"the last entry goes when the list passes the count",
         {"1", "2", "3"},
         "4",
         3,
         {"4", "1", "2"}},
        {"moving an entry up drops nothing", {"1", "2", "3"}, "3", 3, {"3", "1", "2"}},
        {"an empty list takes the folder", {}, "C:\\x", 10, {"C:\\x"}},
    };
    for (const Case& c : cases) {
        Strings list = c.before;
        RememberRecentFolder(&list, c.chosen, c.keep);
        EXPECT_EQ(c.after, list) << c.name;
    }
}

TEST(FoldersToCreate, EveryMissingLevelOfATypedPathIsListedOutermostFirst) {
    struct Case {
        std::string path;
        Strings folders;
    } cases[] = {
        {"C:\\a\\b\\c", {"C:\\a", "C:\\a\\b", "C:\\a\\b\\c"}},
        {"C:\\a", {"C:\\a"}},
        {"C:\\a\\", {"C:\\a"}},
        {"C:\\", {}},
        {"name", {"name"}},
        {"", {}},
        {"C:\\a\\\\b", {"C:\\a", "C:\\a\\\\b"}}, // a doubled backslash adds no empty level
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.folders, FoldersToCreate(c.path)) << c.path;
}

TEST(NewFolderNames, TheFirstFreeNameIsPlainThenNumberedFromOne) {
    struct Case {
        const char* name;
        std::set<std::string> taken;
        std::string chosen;
    } cases[] = {
        {"nothing taken", {}, "New Folder"},
        {"the plain name taken", {"New Folder"}, "New Folder (1)"},
        {"a gap is filled", {"New Folder", "New Folder (1)", "New Folder (3)"}, "New Folder (2)"},
        {"a numbered name alone leaves the plain one", {"New Folder (1)"}, "New Folder"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.chosen, FirstFreeFolderName(
                                [&](const std::string& name) { return c.taken.count(name) != 0; }))
            << c.name;
    EXPECT_EQ("", FirstFreeFolderName([](const std::string&) { return true; }))
        << "a search that never ends gives up";
}

TEST(FolderDate, YearMonthAndDayPackIntoOneValueAndBack) {
    struct Case {
        uint32_t packed;
        uint16_t year;
        uint8_t month, day;
    } cases[] = {
        {0, 0, 0, 0},
        {0x0B0607E8u, 2024, 6, 11},
        {0x1F0C270Fu, 9999, 12, 31},
        {0x0B060000u, 0, 6, 11}, // no year: no date, whatever month and day say
    };
    for (const Case& c : cases) {
        const FolderDate date = UnpackFolderDate(c.packed);
        EXPECT_EQ(c.year, date.year) << c.packed;
        EXPECT_EQ(c.month, date.month) << c.packed;
        EXPECT_EQ(c.day, date.day) << c.packed;
        EXPECT_EQ(c.packed, PackFolderDate(date));
    }
}

TEST(FolderPreview, TheActivationOptionsAndCtrlDecideWhetherItShows) {
    struct Case {
        bool activate, ctrlActivate, ctrlDown, shows;
    } cases[] = {
        {true, false, false, true},   {true, false, true, true},
        {true, true, false, true},    {true, true, true, false}, // Ctrl suppresses it
        {false, true, false, false},  {false, true, true, true}, // only while Ctrl is held
        {false, false, false, false}, {false, false, true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.shows, FolderPreviewAllowed(c.activate, c.ctrlActivate, c.ctrlDown))
            << c.activate << c.ctrlActivate << c.ctrlDown;
}

TEST(FolderPreview, ThePopupStaysOnScreenBesideTheCursor) {
    struct Case {
        const char* name;
        int32_t width, cx, cy, x, y;
    } cases[] = {
        {"room right and below", 300, 100, 100, 120, 120},
        {"past the right edge in the right half", 300, 900, 100, 900 - 20 - 300, 120},
        {"past the bottom edge in the lower half", 300, 100, 700, 120, 700 - 20 - 100},
        {"past both edges in that corner", 300, 900, 700, 580, 580},
        {"past the right edge but in the left half stays right", 700, 450, 100, 470, 120},
    };
    for (const Case& c : cases) {
        const PreviewPlacement at = PlaceFolderPreview(c.cx, c.cy, c.width, 100, 1000, 768);
        EXPECT_EQ(c.x, at.x) << c.name;
        EXPECT_EQ(c.y, at.y) << c.name;
    }
}

TEST(FolderPreview, ThePopupIsAsWideAsTheTilesItShowsPlusItsFrame) {
    struct Case {
        const char* name;
        int32_t items, most, thumbWidth, thumbHeight, width, height;
    } cases[] = {
        {"no pictures leave only the frame", 0, 4, 100, 100, 3, 106},
        {"three of at most four", 3, 4, 100, 100, 3 * 101 + 3, 106},
        {"ten are cut to the most shown", 10, 4, 100, 100, 4 * 101 + 3, 106},
        {"exactly the most shown", 4, 4, 120, 80, 4 * 121 + 3, 86},
        {"one tile of the smallest thumbnails", 1, 10, 50, 50, 54, 56},
    };
    for (const Case& c : cases) {
        const PreviewSize size = FolderPreviewSize(c.items, c.most, c.thumbWidth, c.thumbHeight);
        EXPECT_EQ(c.width, size.width) << c.name;
        EXPECT_EQ(c.height, size.height) << c.name;
    }
}

} // namespace
