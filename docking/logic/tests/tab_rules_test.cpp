#include "docking/logic/tab_rules.h"

#include <gtest/gtest.h>

namespace {

using namespace docking;

TEST(TabRules, NaturalWidthAddsInsetsAndTextMargins) {
    EXPECT_EQ(TabNaturalWidth(0, 40), 3 + 4 + 40 + 4 + 3);
    EXPECT_EQ(TabNaturalWidth(16, 40), 3 + 16 + 4 + 40 + 4 + 3);
    EXPECT_EQ(TabNaturalWidth(16, 0), 3 + 16 + 3) << "no margins without text";
}

TEST(TabRules, TabsShrinkInProportionThenEquallyThenAllAlike) {
    struct Case {
        const char* name;
        int area;
        std::vector<int> widths;
    };
    // Natural widths 50, 60 (selected) and 70.
    const Case cases[] = {
        {"enough room keeps natural widths", 300, {50, 60, 70}},
        {"unselected tabs shrink in proportion", 150, {33, 60, 47}},
        {"the narrowest would fall below the minimum: equal shares", 120, {25, 60, 25}},
        {"even the minimum does not fit: room over count", 100, {30, 30, 30}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitTabWidths({50, 60, 70}, 1, c.area), c.widths) << c.name;
    EXPECT_EQ(FitTabWidths({300}, 0, 100), (std::vector<int>{90})) << "one tab wider than the room";
    EXPECT_EQ(FitTabWidths({50, 60}, -1, 40), (std::vector<int>{50, 60})) << "nothing selected";
}

TEST(TabRules, ButtonRectanglesSitAtTheRightEnd) {
    struct Case {
        const char* name;
        TabRect client;
        unsigned style;
        TabRect close, right, left;
        int areaRight;
    };
    const Case cases[] = {
        {"close button on top", {0, 0, 200, 24}, CTS_CLOSEBUTTON, {180, 4, 195, 19}, {}, {}, 180},
        {"close button at the bottom",
         {0, 0, 200, 24},
         CTS_CLOSEBUTTON | CTS_BOTTOM,
         {182, 6, 197, 21},
         {},
         {},
         182},
        {"scroll buttons alone",
         {0, 0, 200, 24},
         CTS_SCROLLBUTTONS,
         {},
         {180, 4, 195, 19},
         {165, 4, 180, 19},
         165},
        {"scroll buttons beside the close button",
         {0, 0, 200, 24},
         CTS_SCROLLBUTTONS | CTS_CLOSEBUTTON,
         {180, 4, 195, 19},
         {165, 4, 180, 19},
         {150, 4, 165, 19},
         150},
        {"too narrow for buttons",
         {0, 0, 14, 24},
         CTS_SCROLLBUTTONS | CTS_CLOSEBUTTON,
         {},
         {},
         {},
         14},
    };
    for (const Case& c : cases) {
        const TabButtons b = LayoutTabButtons(c.client, c.style);
        EXPECT_EQ(b.close, c.close) << c.name;
        EXPECT_EQ(b.right, c.right) << c.name;
        EXPECT_EQ(b.left, c.left) << c.name;
        EXPECT_EQ(b.area.right, c.areaRight) << c.name;
    }
}

TEST(TabRules, HitFlagsNameTheButtonOrTheTab) {
    const TabButtons b =
        LayoutTabButtons(TabRect{0, 0, 200, 24}, CTS_SCROLLBUTTONS | CTS_CLOSEBUTTON);
    struct Case {
        int x, y;
        bool onTab;
        unsigned flag;
    };
    const Case cases[] = {
        {185, 10, false, CTCHT_ONCLOSEBTN},      {170, 10, false, CTCHT_ONSCROLLRIGHTBTN},
        {155, 10, false, CTCHT_ONSCROLLLEFTBTN}, {20, 10, true, CTCHT_ONITEM},
        {20, 10, false, CTCHT_NOWHERE},          {185, 1, false, CTCHT_NOWHERE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TabHitFlag(b, c.onTab, c.x, c.y), c.flag) << c.x << "," << c.y;
}

TEST(TabRules, SelectingOutsideTheTabsReselectsTheCurrentOne) {
    EXPECT_EQ(RequestedSelection(-1, 3, 1), 1);
    EXPECT_EQ(RequestedSelection(3, 3, 1), 1);
    EXPECT_EQ(RequestedSelection(2, 3, 1), 2);
}

TEST(TabRules, DeletionPlansKeepTheSelectionWhereItBelongs) {
    struct Case {
        const char* name;
        int position, count, selection;
        bool keep;
        bool valid;
        int before, after, silent;
    };
    const Case cases[] = {
        {"out of range", 3, 3, 0, true, false, -1, -1, -2},
        {"the only tab", 0, 1, 0, true, true, -1, -1, -1},
        {"selected last tab selects the one before, first", 2, 3, 2, true, true, 1, -1, -2},
        {"selected tab elsewhere reselects its place after", 0, 3, 0, true, true, -1, 0, -2},
        {"a tab before the selection moves it back quietly", 0, 3, 2, true, true, -1, -1, 1},
        {"a tab after the selection changes nothing", 2, 3, 0, true, true, -1, -1, -2},
        {"without keeping, the selected last tab leaves none", 2, 3, 2, false, true, -1, -1, -1},
    };
    for (const Case& c : cases) {
        const TabDeletePlan p = PlanTabDelete(c.position, c.count, c.selection, c.keep);
        EXPECT_EQ(p.valid, c.valid) << c.name;
        EXPECT_EQ(p.selectBefore, c.before) << c.name;
        EXPECT_EQ(p.selectAfter, c.after) << c.name;
        EXPECT_EQ(p.silentSelection, c.silent) << c.name;
    }
}

TEST(TabRules, DraggedTabSwapsBackOnlyWhenMovingTowardsIt) {
    struct Case {
        const char* name;
        int hit, dragged, lastExchanged, c, lastC;
        bool exchange;
    };
    const Case cases[] = {
        {"off the strip", -1, 1, -1, 10, 5, false},
        {"over itself", 1, 1, -1, 10, 5, false},
        {"a new neighbour", 2, 1, -1, 10, 5, true},
        {"resting over the tab just exchanged", 1, 2, 1, 50, 50, false},
        {"moving on away from it", 1, 2, 1, 55, 50, false},
        {"moving back towards it", 1, 2, 1, 45, 50, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShouldExchangeTabs(c.hit, c.dragged, c.lastExchanged, c.c, c.lastC), c.exchange)
            << c.name;
}

TEST(TabRules, FlyingStripThicknessFollowsTheAscent) {
    EXPECT_EQ(FlyingTabThickness(0), 24) << "no font";
    EXPECT_EQ(FlyingTabThickness(11), 24);
    EXPECT_EQ(FlyingTabThickness(22), 36);
    EXPECT_EQ(FlyingTabThickness(16), 29);
}

} // namespace
