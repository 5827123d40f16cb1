#include "docking/logic/color_picker.h"

#include <gtest/gtest.h>

namespace {

using namespace docking;

TEST(ColorPicker, LayoutAndHitTestFollowTheTextRowsAndTheGrid) {
    // Texts 100 x 13 give rows 23 high; the grid (144 wide) is wider.
    const PickerLayout l = LayoutPicker(100, 13, true, true, 2, 2);
    EXPECT_EQ(l.defaultRow, (PickerRect{2, 2, 146, 25}));
    EXPECT_EQ(l.grid, (PickerRect{2, 25, 146, 115}));
    EXPECT_EQ(l.customRow, (PickerRect{2, 115, 146, 138}));
    EXPECT_EQ(l.clientWidth, 148);
    EXPECT_EQ(l.clientHeight, 140);
    struct Case {
        int x, y, item;
    };
    const Case cases[] = {
        {10, 10, kItemDefault}, {2, 25, 0},         {145, 25, 7},        {2, 43, 8}, {145, 114, 39},
        {10, 120, kItemCustom}, {1, 50, kItemNone}, {200, 50, kItemNone}};
    for (const Case& c : cases)
        EXPECT_EQ(PickerHitTest(l, c.x, c.y), c.item) << c.x << "," << c.y;
    // A wide text widens the popup and centres the grid.
    const PickerLayout wide = LayoutPicker(200, 13, true, false, 0, 0);
    EXPECT_EQ(wide.clientWidth, 210);
    EXPECT_EQ(wide.grid.left, 33);
    EXPECT_EQ(wide.customRow.bottom - wide.customRow.top, 0);
}

TEST(ColorPicker, KeysMoveThroughCellsAndTextRows) {
    struct Case {
        const char* name;
        int item, delta;
        bool hasDefault, hasCustom;
        int next;
    };
    const Case cases[] = {
        {"nothing forwards", kItemNone, 1, true, true, kItemDefault},
        {"nothing backwards", kItemNone, -1, true, true, kItemCustom},
        {"default forwards", kItemDefault, 1, true, true, 0},
        {"custom backwards", kItemCustom, -1, true, true, 39},
        {"up from the first row", 3, -8, true, true, kItemDefault},
        {"down from the last row", 35, 8, true, true, kItemCustom},
        {"right in the grid", 3, 1, true, true, 4},
        {"no default text: up wraps back to custom", 3, -8, false, true, kItemCustom},
        {"no custom text: down wraps to default", 35, 8, true, false, kItemDefault},
        {"no texts at all: down wraps to cell 0", 35, 8, false, false, 0},
        {"no texts at all: up wraps to cell 39", 3, -8, false, false, 39},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MovePickerItem(c.item, c.delta, c.hasDefault, c.hasCustom), c.next) << c.name;
}

TEST(ColorPicker, CurrentItemAndPlacement) {
    EXPECT_EQ(CurrentPickerItem(kColorAutomatic, true, true), kItemDefault);
    EXPECT_EQ(CurrentPickerItem(0x0000FF, true, true), 16) << "red";
    EXPECT_EQ(CurrentPickerItem(0x123456, true, true), kItemCustom);
    EXPECT_EQ(CurrentPickerItem(0x123456, true, false), kItemNone);
    EXPECT_EQ(CurrentPickerItem(kColorAutomatic, false, true), kItemCustom);
    EXPECT_STREQ(kColorTable[35].name, "Pale green ");

    const PickerRect work{0, 0, 800, 600};
    int x = 0, y = 0;
    PlacePicker(work, PickerRect{100, 100, 180, 123}, 150, 140, x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 123);
    PlacePicker(work, PickerRect{700, 500, 780, 523}, 150, 140, x, y);
    EXPECT_EQ(x, 650) << "moved left at the right edge";
    EXPECT_EQ(y, 360) << "opens above the button near the bottom";
}

} // namespace
