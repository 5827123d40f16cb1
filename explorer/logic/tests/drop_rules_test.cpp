// The drop rules of the folder trees and the thumbnail list: the formats
// each target asks for in order, the items a drag may rest on, what a drop
// does on each kind of tree item, which lists take files and where they go,
// the favorites block a drop reads, and the effect reported to the source.
#include "explorer/logic/drop_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace explorer_drop_rules;

TEST(DropRules, EachTargetAsksForItsFormatsInItsOwnOrder) {
    using F = DropFormat;
    EXPECT_EQ((std::vector<F>{F::Files, F::Zip}), AcceptedDropFormats(DropTargetKind::FolderTree));
    EXPECT_EQ((std::vector<F>{F::Files, F::Zip, F::Favorites}),
              AcceptedDropFormats(DropTargetKind::PaneTree));
    EXPECT_EQ((std::vector<F>{F::Files, F::Favorites, F::Zip}),
              AcceptedDropFormats(DropTargetKind::ThumbnailList));
}

TEST(DropRules, ADragRestsOnlyOnFoldersThatExistAndThePaneTreesOwnRoots) {
    struct Case {
        const char* name;
        DropTargetKind tree;
        int kind;
        bool exists;
        bool expected;
    } cases[] = {
        {"an existing folder", DropTargetKind::FolderTree, 0, true, true},
        {"a folder that is gone", DropTargetKind::FolderTree, 0, false, false},
        {"a zip archive", DropTargetKind::PaneTree, 1, true, false},
        {"favorites in the pane tree", DropTargetKind::PaneTree, 2, false, true},
        {"my collections in the pane tree", DropTargetKind::PaneTree, 3, false, true},
        {"search result", DropTargetKind::PaneTree, 4, false, false},
        {"favorites kind in the plain tree", DropTargetKind::FolderTree, 2, false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CanDropOnTreeItem(c.tree, c.kind, c.exists)) << c.name;
}

TEST(DropRules, EachKindOfTreeItemDoesItsOwnDropWithItsOwnCopyRule) {
    using A = TreeDropAction;
    struct Case {
        const char* name;
        int kind;
        uint32_t effect;
        A action;
        bool copy;
    } cases[] = {
        {"folder, move", 0, 2, A::IntoFolder, false},
        {"folder, copy", 0, 1, A::IntoFolder, true},
        {"folder, link only", 0, 4, A::None, false},
        {"folder, nothing", 0, 0, A::None, false},
        {"collections, copy", 3, 1, A::AddToCollections, true},
        {"collections, move", 3, 2, A::AddToCollections, false},
        {"favorites, move", 2, 2, A::IntoFavorites, false},
        {"favorites, link copies", 2, 4, A::IntoFavorites, true},
        {"favorites, copy", 2, 1, A::IntoFavorites, true},
        {"zip archive", 1, 1, A::None, false},
        {"search result", 4, 2, A::None, false},
    };
    for (const Case& c : cases) {
        const TreeDrop drop = PlanTreeDrop(c.kind, c.effect);
        EXPECT_EQ(c.action, drop.action) << c.name;
        EXPECT_EQ(c.copy, drop.copy) << c.name;
    }
    using F = DropFormat;
    struct Takes {
        A action;
        F format;
        bool expected;
    } takes[] = {
        {A::IntoFolder, F::Files, true},      {A::IntoFolder, F::Zip, true},
        {A::IntoFolder, F::Favorites, false}, {A::AddToCollections, F::Files, true},
        {A::AddToCollections, F::Zip, false}, {A::AddToCollections, F::Favorites, false},
        {A::IntoFavorites, F::Files, true},   {A::IntoFavorites, F::Favorites, true},
        {A::IntoFavorites, F::Zip, false},    {A::None, F::Files, false},
    };
    for (const Takes& t : takes)
        EXPECT_EQ(t.expected, TreeDropTakes(t.action, t.format))
            << static_cast<int>(t.action) << " " << static_cast<int>(t.format);
}

TEST(DropRules, OnlyAFoldersListTakesDroppedFiles) {
    struct Case {
        int kind;
        DropFormat format;
        bool expected;
    } cases[] = {
        {0, DropFormat::Files, true},  {0, DropFormat::Favorites, false},
        {0, DropFormat::Zip, false},   {1, DropFormat::Files, false},
        {2, DropFormat::Files, false}, {3, DropFormat::Files, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ListAcceptsDrop(c.kind, c.format))
            << "kind " << c.kind << " format " << static_cast<int>(c.format);
}

TEST(DropRules, FilesDroppedOnAFoldersListGoThereUnlessTheyComeFromIt) {
    struct Case {
        const char* name;
        std::string folder;
        std::vector<std::string> dropped;
        std::vector<std::string> sources;
        std::vector<std::string> targets;
    } cases[] = {
        {"from elsewhere",
         "C:\\pics",
         {"D:\\in\\a.jpg", "C:\\b.png"},
         {"D:\\in\\a.jpg", "C:\\b.png"},
         {"C:\\pics\\a.jpg", "C:\\pics\\b.png"}},
        {"its own folder in another case is left",
         "C:\\Pics",
         {"c:\\PICS\\a.jpg", "D:\\b.jpg"},
         {"D:\\b.jpg"},
         {"C:\\Pics\\b.jpg"}},
        {"into a drive root",
         "E:\\",
         {"C:\\x\\a.jpg", "E:\\b.jpg"},
         {"C:\\x\\a.jpg"},
         {"E:\\a.jpg"}},
        {"paths without a folder or name", "C:\\p", {"a.jpg", "C:\\x\\", ""}, {}, {}},
        {"no folder", "", {"C:\\x\\a.jpg"}, {}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> sources, targets;
        for (const FileTransfer& t : PlanListDrop(c.folder, c.dropped, SameFolderAscii)) {
            sources.push_back(t.source);
            targets.push_back(t.target);
        }
        EXPECT_EQ(c.sources, sources) << c.name;
        EXPECT_EQ(c.targets, targets) << c.name;
    }
}

TEST(DropRules, AFolderNeverGoesIntoItselfAndADropOntoItsOwnFolderIsLeft) {
    struct Case {
        const char* name;
        const char* folder;
        const char* target;
        bool drop;
        bool skipped;
    } cases[] = {
        {"elsewhere", "C:\\a\\b", "C:\\c", true, false},
        {"into itself", "C:\\a", "C:\\A", true, true},
        {"into its own folder deep down", "C:\\a", "c:\\A\\x\\y", false, true},
        {"a sibling that starts alike", "C:\\a", "C:\\ab", true, false},
        {"dropped onto its parent", "C:\\p\\a", "C:\\P", true, true},
        {"pasted into its parent", "C:\\p\\a", "C:\\p", false, false},
        {"dropped onto its drive root", "D:\\a", "D:\\", true, true},
        {"a drive root into a folder", "D:\\", "E:\\x", true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.skipped, FolderDropSkipped(c.folder, c.target, c.drop, SameFolderAscii))
            << c.name;
}

TEST(DropRules, AFavoritesBlockGivesItsFolderAndPathsAndNeverReadsPastItsEnd) {
    auto block = [](uint32_t id, uint32_t count, const std::string& strings) {
        std::vector<uint8_t> b;
        for (uint32_t v : {id, count})
            for (int i = 0; i < 4; ++i)
                b.push_back(static_cast<uint8_t>(v >> (8 * i)));
        b.insert(b.end(), strings.begin(), strings.end());
        return b;
    };
    using S = std::string;
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool ok;
        uint32_t id;
        std::vector<std::string> paths;
    } cases[] = {
        {"two paths",
         block(7, 2, S("C:\\a.jpg\0D:\\b.png\0\0", 19)),
         true,
         7,
         {"C:\\a.jpg", "D:\\b.png"}},
        {"padded with zeros",
         block(0x01020304, 1, S("C:\\a.jpg\0\0\0\0\0", 13)),
         true,
         0x01020304,
         {"C:\\a.jpg"}},
        {"a count larger than the paths",
         block(3, 9, S("C:\\a.jpg\0\0", 10)),
         true,
         3,
         {"C:\\a.jpg"}},
        {"a count smaller than the paths",
         block(3, 1, S("C:\\a\0C:\\b\0\0", 12)),
         true,
         3,
         {"C:\\a"}},
        {"a path cut short", block(3, 2, S("C:\\a\0C:\\b", 9)), true, 3, {"C:\\a"}},
        {"a header cut short", std::vector<uint8_t>{1, 0, 0, 0, 1}, false, 0, {}},
    };
    for (const Case& c : cases) {
        uint32_t id = 0;
        std::vector<std::string> paths{"stale"};
        EXPECT_EQ(c.ok, ReadFavoritesBlock(c.bytes.data(), c.bytes.size(), &id, &paths)) << c.name;
        if (c.ok) {
            EXPECT_EQ(c.id, id) << c.name;
        }
        EXPECT_EQ(c.paths, paths) << c.name;
    }
    EXPECT_EQ(S("a\0b\0\0", 5), ZeroSeparatedList({"a", "b"}));
    EXPECT_EQ(S("\0", 1), ZeroSeparatedList({}));
}

TEST(DropRules, AFileDropBlockIsReadOnlyWhenItsListEndsInsideIt) {
    auto block = [](uint32_t first, uint32_t wide, const std::string& strings) {
        std::vector<uint8_t> b(20, 0);
        for (int i = 0; i < 4; ++i) {
            b[i] = static_cast<uint8_t>(first >> (8 * i));
            b[16 + i] = static_cast<uint8_t>(wide >> (8 * i));
        }
        b.insert(b.end(), strings.begin(), strings.end());
        return b;
    };
    using S = std::string;
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool sound;
    } cases[] = {
        {"two narrow paths", block(20, 0, S("C:\\a\0C:\\b\0\0", 11)), true},
        {"an empty list", block(20, 0, S("\0", 1)), true},
        {"a wide path", block(20, 1, S("C\0:\0\\\0a\0\0\0\0\0", 12)), true},
        {"no final zero", block(20, 0, S("C:\\a\0C:\\b\0", 10)), false},
        {"a path running off the end", block(20, 0, S("C:\\a", 4)), false},
        {"a wide list cut inside its last zero", block(20, 1, S("a\0\0\0\0", 5)), false},
        {"paths starting past the end", block(4000, 0, S("C:\\a\0\0", 6)), false},
        {"paths starting inside the header", block(8, 0, S("C:\\a\0\0", 6)), false},
        {"a header cut short", std::vector<uint8_t>(19, 0), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.sound, FileDropBlockIsSound(c.bytes.data(), c.bytes.size())) << c.name;
}

TEST(DropRules, AMoveThatLeftASourceBehindReportsNoEffect) {
    struct Case {
        uint32_t effect;
        bool left;
        uint32_t expected;
    } cases[] = {
        {2, false, 2}, {2, true, 0}, {1, true, 1}, {1, false, 1}, {0, true, 0}, {4, true, 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ReportedDropEffect(c.effect, c.left))
            << "effect " << c.effect << " left " << c.left;
}

} // namespace
