// The explorer's decisions on item-list notices, options changes and info
// tips.
#include "explorer/logic/list_updates.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace list_updates;

TEST(ListUpdates, EachNoticeCodeActsOnTheListsAndUnderTheLockItsRuleSays) {
    struct Case {
        int code;
        bool known, anyList, underLock, pausesOutside;
    } const cases[] = {
        {-1, false, false, false, false},
        {kBatchBegins, true, true, false, false},
        {kBatchEnds, true, true, false, false},
        {kItemAdded, true, false, true, false},
        {kItemRemoved, true, false, true, false},
        {kItemRenamed, true, false, true, false},
        {kFolderRenamed, true, false, false, false},
        {kSourceChanged, true, false, false, false},
        // Never paused under the lock: the worker may be waiting for it.
        {kFileChanged, true, false, false, true},
        {kListRefilled, true, false, false, false},
        {kListEmptied, true, false, false, false},
        {kListReplaced, true, false, false, false},
        {11, false, false, false, false},
    };
    for (const Case& c : cases) {
        const ListChangeRule rule = RuleOf(c.code);
        EXPECT_EQ(c.known, rule.known) << c.code;
        EXPECT_EQ(c.anyList, rule.anyList) << c.code;
        EXPECT_EQ(c.underLock, rule.underListLock) << c.code;
        EXPECT_EQ(c.pausesOutside, rule.pausesWorkerOutsideLock) << c.code;
        EXPECT_FALSE(rule.underListLock && rule.pausesWorkerOutsideLock) << c.code;
    }
}

TEST(ListUpdates, ANoticeNameFindsItsLabelAndADocumentItsItemByTheListsOwnNaming) {
    struct Case {
        int kind;
        std::string name, label, reselect;
    } const cases[] = {
        {kKindFolder, "a.jpg", "a.jpg", "a.jpg"},
        {kKindArchive, "b.png", "b.png", "b.png"},
        {kKindFavorites, "C:\\pics\\c.bmp", "c.bmp", "C:\\pics\\c.bmp"},
        {kKindSearchResult, "D:\\x\\y\\d.gif", "d.gif", "D:\\x\\y\\d.gif"},
        {kKindSearchResult, "e.tif", "e.tif", "e.tif"},
        {kKindFavorites, "C:\\trailing\\", "", "C:\\trailing\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.label, LabelOfNoticeName(c.kind, c.name)) << c.kind << " " << c.name;
        EXPECT_EQ(c.reselect, ReselectName(c.kind, c.name)) << c.kind << " " << c.name;
    }
    // A document of a folder list is found by the file-name part of its path.
    EXPECT_EQ("a.jpg", ReselectName(kKindFolder, "C:\\pics\\a.jpg"));
    EXPECT_EQ("a.jpg", ReselectName(kKindArchive, "C:\\temp\\zip1\\a.jpg"));
}

TEST(ListUpdates, OnlyFavoritesAndSearchResultItemsWithinTheListHaveInfoTips) {
    struct Case {
        int kind, index, count;
        bool tip;
    } const cases[] = {
        {kKindFavorites, 0, 1, true},     {kKindSearchResult, 2, 3, true},
        {kKindSearchResult, 3, 3, false}, {kKindFavorites, -1, 3, false},
        {kKindFavorites, 0, 0, false},    {kKindFolder, 0, 3, false},
        {kKindArchive, 0, 3, false},      {3, 0, 3, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.tip, HasInfoTip(c.kind, c.index, c.count))
            << c.kind << " " << c.index << "/" << c.count;
}

TEST(ListUpdates, ATipIsCutToTheCallersBufferAndAlwaysTerminated) {
    struct Case {
        int capacity;
        std::string written;
    } const cases[] = {
        {64, "C:\\pics\\a.jpg"}, {14, "C:\\pics\\a.jpg"}, {13, "C:\\pics\\a.jp"}, {2, "C"}, {1, ""},
    };
    for (const Case& c : cases) {
        char buffer[65];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(c.written.size(), CopyTipText("C:\\pics\\a.jpg", buffer, c.capacity))
            << c.capacity;
        EXPECT_EQ(c.written, std::string(buffer)) << c.capacity;
        EXPECT_EQ('x', buffer[c.capacity]) << "nothing beyond the buffer: " << c.capacity;
    }
    char untouched = 'x';
    EXPECT_EQ(0u, CopyTipText("tip", &untouched, 0));
    EXPECT_EQ('x', untouched);
    EXPECT_EQ(0u, CopyTipText("tip", nullptr, 10));
}

TEST(ListUpdates, EachOptionsChangeHasItsActionAndListModeKeepsItsBackground) {
    struct Case {
        uint32_t code;
        int viewMode;
        OptionsAction action;
    } const cases[] = {
        {kPreviewBackgroundChanged, 2, OptionsAction::kSetPreviewBackground},
        {kPreviewBackgroundChanged, 3, OptionsAction::kSetPreviewBackground},
        {kThumbnailBackgroundChanged, 1, OptionsAction::kSetThumbnailBackground},
        {kThumbnailBackgroundChanged, 2, OptionsAction::kSetThumbnailBackground},
        {kThumbnailBackgroundChanged, 3, OptionsAction::kNone},
        {kThumbnailSizeChanged, 3, OptionsAction::kRebuildThumbnails},
        {kThumbnailSpacingChanged, 2, OptionsAction::kUpdateSpacing},
        {kFolderPreviewCountChanged, 2, OptionsAction::kCloseFolderPreview},
        {kFolderPreviewColorChanged, 2, OptionsAction::kApplyFolderPreviewColors},
        {6, 2, OptionsAction::kNone},
        {0xFFFFFFFFu, 2, OptionsAction::kNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<int>(c.action), static_cast<int>(ActionOf(c.code, c.viewMode)))
            << c.code << " in mode " << c.viewMode;
}

} // namespace
