// The folder pane tree's rules: its context menu per kind of item, the copy
// or move of a paste, the CF_HDROP block of one folder and rename targets.
#include "explorer/logic/tree_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

using namespace explorer_tree_rules;
using explorer_file_commands::MenuEntry;

// The ids of a menu, with -1 for a separator.
std::vector<int> Ids(const std::vector<MenuEntry>& menu) {
    std::vector<int> ids;
    for (const MenuEntry& e : menu)
        ids.push_back(e.id ? e.id : -1);
    return ids;
}

TEST(TreeRules, EachKindOfTreeItemGetsItsOwnMenu) {
    struct Case {
        const char* name;
        TreeMenuItem item;
        std::vector<int> expected;
    } cases[] = {
        {"search result", {4}, {102}},
        {"my collections", {3}, {32848, 32837}},
        {"favorites root", {2, true}, {32848, -1, 57637}},
        {"favorites folder", {2, false}, {32848, -1, 57637, -1, 32849, 32850}},
        {"a folder",
         {0, false, true, false, false},
         {32848, -1, 32849, 32850, -1, 32836, -1, 57635, 57634, 57637, -1, 32837, -1, 32835}},
        {"a collected folder",
         {0, false, true, false, true},
         {32848, -1, 32849, 32850, -1, 32836, -1, 57635, 57634, 57637, -1, 32835}},
        {"a drive root",
         {0, false, true, true, false},
         {32848, -1, 32836, -1, 57634, 57637, -1, 32837, -1, 32835}},
        {"a collected drive root",
         {0, false, true, true, true},
         {32848, -1, 32849, -1, 32836, -1, 57634, 57637, -1, 32835}},
        {"a folder that is gone", {0, false, false, false, false}, {32836}},
        {"a zip archive", {1}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Ids(TreeContextMenu(c.item))) << c.name;
    const std::vector<MenuEntry> collections = TreeContextMenu({3});
    EXPECT_STREQ("Create New Collection...", collections[0].text);
    EXPECT_STREQ("Add Collection...", collections[1].text);
    const std::vector<MenuEntry> folder = TreeContextMenu({0, false, true, false, false});
    EXPECT_STREQ("Create New Folder", folder[0].text);
    EXPECT_STREQ("Add to My Collections", folder[11].text);
}

TEST(TreeRules, APasteMovesOnlyWhenThePreferredEffectHasTheMoveBit) {
    struct Case {
        bool has;
        uint32_t effect;
        bool moves;
    } cases[] = {
        {false, 2, false}, {true, 1, false}, {true, 2, true}, {true, 3, true}, {true, 5, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.moves, PasteMoves(c.has, c.effect)) << c.has << " " << c.effect;
}

TEST(TreeRules, TheDropBlockOfAFolderFitsItsPathExactly) {
    const std::vector<uint8_t> block = FolderDropBlock("C:\\a");
    const uint8_t expected[] = {20, 0, 0, 0, 0, 0, 0, 0,   0,   0,    0,   0, 0,
                                0,  0, 0, 0, 0, 0, 0, 'C', ':', '\\', 'a', 0, 0};
    ASSERT_EQ(sizeof expected, block.size());
    EXPECT_EQ(0, std::memcmp(expected, block.data(), block.size()));

    // The longest path a folder can have still ends in both zeros, inside
    // the block (a fixed block of 280 bytes would lose the last one).
    const std::string longest = "C:\\" + std::string(256, 'x');
    ASSERT_EQ(259u, longest.size());
    const std::vector<uint8_t> big = FolderDropBlock(longest);
    ASSERT_EQ(281u, big.size());
    EXPECT_EQ(0, big[279]);
    EXPECT_EQ(0, big[280]);
    EXPECT_EQ('x', big[278]);
    EXPECT_TRUE(FolderDropBlock("").empty());
}

TEST(TreeRules, ARenameStaysInTheFolderAndNamesOneFolder) {
    struct Case {
        const char* old;
        const char* text;
        const char* expected;
    } cases[] = {
        {"C:\\pics\\old", "new", "C:\\pics\\new"},
        {"C:\\old", "New Folder (1)", "C:\\New Folder (1)"},
        {"C:\\pics\\old", "", ""},
        {"C:\\pics\\old", "..", ""},
        {"C:\\pics\\old", "a\\b", ""},
        {"C:\\pics\\old", "a/b", ""},
        {"C:\\pics\\old", "100%", "C:\\pics\\100%"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, RenamedFolderPath(c.old, c.text)) << c.old << " -> " << c.text;
}

TEST(TreeRules, AZipBlockGivesItsStringsUpToTheFirstEmptyOne) {
    struct Case {
        const char* name;
        std::string block;
        std::vector<std::string> expected;
    } cases[] = {
        {"archive and entries",
         std::string("C:\\a.zip\0x.jpg\0d\\y.png\0\0", 24),
         {"C:\\a.zip", "x.jpg", "d\\y.png"}},
        {"zero padding after the end", std::string("a.zip\0b\0\0\0\0\0", 12), {"a.zip", "b"}},
        {"cut short", std::string("a.zip\0unfinished", 16), {"a.zip"}},
        {"empty", std::string(), {}},
        {"nothing but zeros", std::string(4, '\0'), {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected,
                  ZeroStrings(reinterpret_cast<const uint8_t*>(c.block.data()), c.block.size()))
            << c.name;
}

} // namespace
