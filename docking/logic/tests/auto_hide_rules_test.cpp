#include "docking/logic/auto_hide_rules.h"

#include <gtest/gtest.h>

namespace {

using namespace docking;

TEST(AutoHideRules, ABarSharesItsLengthShortEntriesFirst) {
    struct Case {
        const char* name;
        std::vector<int> desired;
        int barLength;
        std::vector<int> lengths;
    };
    const Case cases[] = {
        {"everything fits", {40, 50}, 200, {40, 50}},
        {"the short entry keeps its length, the long ones share the rest less the gap",
         {20, 100, 120},
         151,
         {20, 60, 60}},
        {"a bar too short for a share above the gap gives nothing", {30, 30}, 8, {0, 0}},
        {"no entries", {}, 100, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitAutoHideLengths(c.desired, c.barLength), c.lengths) << c.name;
    EXPECT_TRUE(AutoHideBarPaints(3, 11));
    EXPECT_FALSE(AutoHideBarPaints(3, 10)) << "two gaps fill the working length";
}

TEST(AutoHideRules, TabsOfAPinnedBoxAreHitBeforeOnAndAfterTheActiveOne) {
    // Three panes, the middle one active, icon tabs 22 wide, the entry 100 long:
    // [0, 22) icon tab 0, [22, 78] the active tab, then icon tab 2.
    struct Case {
        int offset, hit;
    } cases[] = {{0, 0}, {21, 0}, {22, 1}, {78, 1}, {79, 2}, {99, 2}, {500, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(AutoHideTabAt(c.offset, 1, 3, 22, 100), c.hit) << c.offset;
    EXPECT_EQ(AutoHideTabAt(50, 1, 3, 0, 2), 1) << "icon tabs of width 0: the active tab";
    EXPECT_EQ(AutoHideTabAt(5, 0, 0, 22, 100), -1) << "no tabs";
}

TEST(AutoHideRules, IconTabsShrinkOnlyWhenTheyDoNotFit) {
    EXPECT_EQ(AutoHideIconTabWidth(100, 3, 22), 22);
    EXPECT_EQ(AutoHideIconTabWidth(50, 3, 22), 16);
    EXPECT_EQ(AutoHideIconTabWidth(2, 3, 22), 0);
}

TEST(AutoHideRules, TheActivePaneStaysActiveWhenAnotherLeaves) {
    struct Case {
        const char* name;
        int active, removed, count, after;
    } cases[] = {
        {"the last, active, leaves: the one before it", 2, 2, 3, 1},
        {"one before the active leaves: the same pane, one place earlier", 1, 0, 3, 0},
        {"one after the active leaves", 0, 2, 3, 0},
        {"the active in the middle leaves: the next moves into its place", 1, 1, 3, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AutoHideActiveAfterRemove(c.active, c.removed, c.count), c.after) << c.name;
}

} // namespace
