// The thumbnail list's arithmetic: spacing, image-list growth, tile offsets,
// the first visible item, the popup size, Shift+click and the navigation
// keys of Thumbnail mode, and the drop-effect rules.
#include "explorer/logic/list_layout.h"

#include <gtest/gtest.h>

#include <vector>

#include "explorer/logic/drop_effects.h"

namespace {

TEST(ListLayout, SpacingGrowthOffsetsAndPopupSizeFollowTheirFormulas) {
    EXPECT_EQ((ListSize{115, 140}), ThumbnailIconSpacing(100, 100, 10, 20));
    EXPECT_EQ((ListSize{55, 70}), ThumbnailIconSpacing(50, 50, 0, 0));

    struct Growth {
        int32_t capacity, single, grown;
    } growth[] = {
        {101, 1, 111},  // a tenth, truncated
        {101, 30, 131}, // the single insertions outgrow the tenth
        {5, 1, 6},      // 0.5 is below 1
        {1, 0, 2},      // at least one
        {0, 0, 1},
    };
    for (const Growth& g : growth)
        EXPECT_EQ(g.grown, GrowImageCapacity(g.capacity, g.single))
            << g.capacity << "/" << g.single;

    struct Offset {
        int32_t w, h, x, y;
    } offsets[] = {{98, 65, 1, 17}, {100, 100, 0, 0}, {120, 40, 0, 30}, {1, 1, 49, 49}};
    for (const Offset& o : offsets) {
        const ListPoint at = TileOffset(100, 100, o.w, o.h);
        EXPECT_EQ(o.x, at.x) << o.w;
        EXPECT_EQ(o.y, at.y) << o.h;
    }

    struct Popup {
        int32_t items, cx, cy;
    } popups[] = {{0, 3, 106}, {3, 306, 106}, {10, 407, 106}};
    for (const Popup& p : popups)
        EXPECT_EQ((ListSize{p.cx, p.cy}), FramedListPreferredSize(p.items, 4, 100, 100)) << p.items;
    EXPECT_EQ(0, SingleRowPosition(0, 100).x);
    EXPECT_EQ(300, SingleRowPosition(3, 100).x);
    EXPECT_EQ(0, SingleRowPosition(3, 100).y);
}

TEST(ListLayout, TheFirstVisibleItemIsTheFirstWhoseFarEdgePassesTheOrigin) {
    // Thumbnails: three per row, rows 140 apart.
    std::vector<ListPoint> grid;
    for (int i = 0; i < 9; ++i)
        grid.push_back(ListPoint{(i % 3) * 115, (i / 3) * 140});
    struct Case {
        int32_t originY, first;
    } rows[] = {{0, 0}, {99, 0}, {100, 3}, {239, 3}, {240, 6}, {5000, 0}};
    for (const Case& c : rows)
        EXPECT_EQ(c.first,
                  FirstVisibleItem(grid.data(), 9, ListPoint{0, c.originY}, 100, 100, false))
            << c.originY;
    // Filmstrip: one row 115 apart.
    std::vector<ListPoint> strip;
    for (int i = 0; i < 6; ++i)
        strip.push_back(ListPoint{i * 115, 0});
    EXPECT_EQ(0, FirstVisibleItem(strip.data(), 6, ListPoint{99, 0}, 100, 100, true));
    EXPECT_EQ(1, FirstVisibleItem(strip.data(), 6, ListPoint{100, 0}, 100, 100, true));
    EXPECT_EQ(3, FirstVisibleItem(strip.data(), 6, ListPoint{400, 0}, 100, 100, true));
    EXPECT_EQ(0, FirstVisibleItem(nullptr, 0, ListPoint{400, 0}, 100, 100, true));
}

TEST(ListLayout, TheFirstVisibleItemOfALargeFolderIsFoundReadingFewPositions) {
    // 10,000 thumbnails seven to a row: every row's first item, the last
    // row, and past the end, each found with at most 15 positions read.
    constexpr int32_t kItems = 10000;
    auto grid = [](int32_t i) { return ListPoint{(i % 7) * 115, (i / 7) * 140}; };
    struct Case {
        int32_t originY, first;
    } cases[] = {{0, 0}, {139 * 140 + 100, 140 * 7}, {1428 * 140, 1428 * 7}, {2000 * 140, 0}};
    for (const Case& c : cases) {
        int reads = 0;
        const int32_t first =
            FirstVisibleItem(kItems, ListPoint{0, c.originY}, 100, 100, false, [&](int32_t i) {
                ++reads;
                return grid(i);
            });
        EXPECT_EQ(c.first, first) << c.originY;
        EXPECT_LE(reads, 15) << c.originY;
    }
    int reads = 0;
    EXPECT_EQ(2345, FirstVisibleItem(kItems, ListPoint{2345 * 115 - 15, 0}, 100, 100, true,
                                     [&](int32_t i) {
                                         ++reads;
                                         return ListPoint{i * 115, 0};
                                     }));
    EXPECT_LE(reads, 15);
}

TEST(ListLayout, ShiftClickSelectsExactlyTheRangeFromTheAnchor) {
    // Anchor 2, focus 5, click 9: 2..5 deselected, then 2..9 selected.
    ListSelectionMove m = ShiftClickMove(2, 5, 9);
    EXPECT_EQ(2, m.deselectFrom);
    EXPECT_EQ(5, m.deselectTo);
    EXPECT_EQ(2, m.selectFrom);
    EXPECT_EQ(9, m.selectTo);
    EXPECT_EQ(9, m.target);
    // Backwards across rows: anchor 7, click 1.
    m = ShiftClickMove(7, 7, 1);
    EXPECT_EQ(7, m.deselectFrom);
    EXPECT_EQ(7, m.deselectTo);
    EXPECT_EQ(1, m.selectFrom);
    EXPECT_EQ(7, m.selectTo);
}

TEST(ListLayout, ThumbnailKeysMoveTheFocusAndTheShiftRange) {
    // 20 items, 4 per row, 8 per page.
    using A = ListNavResult;
    struct Case {
        const char* name;
        EListNavKey key;
        bool shift, ctrl;
        int32_t focused, anchor;
        A::Action action;
        bool deselectAll;
        int32_t target, selectFrom, selectTo, deselectFrom, deselectTo, anchorAfter;
        bool select;
    } cases[] = {
        {"page up takes the default", kNavPageUp, false, false, 9, 3, A::kDefault, false, -1, 0, -1,
         0, -1, -1, true},
        {"left moves and selects", kNavLeft, false, false, 9, -1, A::kMove, true, 8, 0, -1, 0, -1,
         -1, true},
        {"ctrl+left moves the focus only", kNavLeft, false, true, 9, -1, A::kMove, false, 8, 0, -1,
         0, -1, -1, false},
        {"left at the first item is swallowed", kNavLeft, false, false, 0, -1, A::kConsumed, false,
         -1, 0, -1, 0, -1, -1, true},
        {"right at the last item is swallowed", kNavRight, false, false, 19, -1, A::kConsumed,
         false, -1, 0, -1, 0, -1, -1, true},
        {"down with a row below takes the default", kNavDown, false, false, 9, -1, A::kDefault,
         false, -1, 0, -1, 0, -1, -1, true},
        {"down in the last, short row goes to the last item", kNavDown, false, false, 17, -1,
         A::kMove, false, 19, 0, -1, 17, 17, -1, true},
        {"shift+down from the anchor", kNavDown, true, false, 9, -1, A::kMove, false, 13, 9, 13, 9,
         13, 9, true},
        {"shift+down near the end stops at the last", kNavDown, true, false, 17, 12, A::kMove,
         false, 19, 12, 19, 17, 19, 12, true},
        {"shift+up past the top stops at 0", kNavUp, true, false, 2, 5, A::kMove, false, 0, 0, 5, 0,
         2, 5, true},
        {"shift+up at 0 takes the default", kNavUp, true, false, 0, 5, A::kDefault, false, -1, 0,
         -1, 0, -1, 5, true},
        {"shift+page down", kNavPageDown, true, false, 3, 3, A::kMove, false, 11, 3, 11, 3, 11, 3,
         true},
        {"shift+page up", kNavPageUp, true, false, 10, 12, A::kMove, false, 2, 2, 12, 2, 10, 12,
         true},
        {"shift+home", kNavHome, true, false, 10, 12, A::kMove, false, 0, 0, 12, 0, 10, 12, true},
        {"shift+end", kNavEnd, true, false, 10, 12, A::kMove, false, 19, 12, 19, 10, 19, 12, true},
        {"ctrl+shift+right focuses without selecting the target", kNavRight, true, true, 4, 4,
         A::kMove, false, 5, 4, 5, 4, 5, 4, false},
        {"shift+left at 0 is swallowed", kNavLeft, true, false, 0, 0, A::kConsumed, false, -1, 0,
         -1, 0, -1, 0, true},
    };
    for (const Case& c : cases) {
        ListNavInput in;
        in.key = c.key;
        in.shift = c.shift;
        in.ctrl = c.ctrl;
        in.focused = c.focused;
        in.anchor = c.anchor;
        in.count = 20;
        in.perRow = 4;
        in.perPage = 8;
        const ListNavResult r = NavigateThumbnails(in);
        EXPECT_EQ(c.action, r.action) << c.name;
        EXPECT_EQ(c.anchorAfter, r.anchor) << c.name;
        if (r.action != A::kMove)
            continue;
        EXPECT_EQ(c.deselectAll, r.deselectAll) << c.name;
        EXPECT_EQ(c.target, r.move.target) << c.name;
        EXPECT_EQ(c.select, r.move.select) << c.name;
        EXPECT_EQ(c.selectFrom, r.move.selectFrom) << c.name;
        EXPECT_EQ(c.selectTo, r.move.selectTo) << c.name;
        EXPECT_EQ(c.deselectFrom, r.move.deselectFrom) << c.name;
        EXPECT_EQ(c.deselectTo, r.move.deselectTo) << c.name;
    }
    ListNavInput none;
    none.count = 20;
    none.focused = -1;
    EXPECT_EQ(A::kDefault, NavigateThumbnails(none).action) << "no focused item";
}

TEST(DropEffects, TheBaseRuleAndTheListRuleChooseFromTheKeysAndTheAllowedEffects) {
    constexpr uint32_t all = kDropEffectCopy | kDropEffectMove | kDropEffectLink;
    constexpr uint32_t ctrl = kDropKeyControl, shift = kDropKeyShift;
    struct Case {
        const char* name;
        bool accepted;
        uint32_t keys, allowed, base, list;
    } cases[] = {
        {"nothing accepted", false, 0, all, 0, 0},
        {"no keys", true, 0, all, kDropEffectMove, kDropEffectMove},
        {"ctrl", true, ctrl, all, kDropEffectCopy, kDropEffectCopy},
        {"ctrl+shift", true, ctrl | shift, all, kDropEffectLink, kDropEffectLink},
        {"shift", true, shift, all, kDropEffectMove, kDropEffectMove},
        {"ctrl on a move-only source", true, ctrl, kDropEffectMove, 0, 0},
        {"no keys on a copy-only source", true, 0, kDropEffectCopy, 0, kDropEffectCopy},
        {"no keys on a link-only source", true, 0, kDropEffectLink, 0, kDropEffectLink},
        {"shift on a copy-only source", true, shift, kDropEffectCopy, 0, 0},
        {"nothing allowed", true, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.base, ChooseBaseDropEffect(c.accepted, c.keys, c.allowed)) << c.name;
        EXPECT_EQ(c.list, ChooseListDropEffect(c.accepted, c.keys, c.allowed)) << c.name;
    }
}

} // namespace
