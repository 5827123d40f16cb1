#include "acquire/logic/window_picker.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const PickRect kGroupBox = {0, 0, 200, 100};
const PickRect kButton = {20, 20, 80, 50};
const PickRect kSmallButton = {30, 25, 60, 45};
const PickRect kFarButton = {150, 70, 190, 95};

TEST(WindowPicker, TheSmallestVisibleSiblingContainingThePointWins) {
    struct Case {
        const char* what;
        bool hasParent;
        std::vector<PickSibling> siblings;
        int x, y;
        int expected;
    } cases[] = {
        {"a button inside the box", true, {{kButton, true, true}}, 40, 30, 0},
        {"the smaller of two nested",
         true,
         {{kButton, true, true}, {kSmallButton, true, true}},
         40,
         30,
         1},
        {"smaller found first stays",
         true,
         {{kSmallButton, true, true}, {kButton, true, true}},
         40,
         30,
         0},
        {"a hidden button is ignored", true, {{kButton, false, true}}, 40, 30, -1},
        {"another parent's window is ignored", true, {{kButton, true, false}}, 40, 30, -1},
        {"a button away from the point", true, {{kFarButton, true, true}}, 40, 30, -1},
        {"a top-level window has no siblings to look at",
         false,
         {{kButton, true, true}},
         40,
         30,
         -1},
        {"a larger sibling does not win", true, {{{-10, -10, 500, 500}, true, true}}, 40, 30, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, PickSmallestWindow(kGroupBox, c.hasParent, c.siblings, c.x, c.y));
    }
}

} // namespace
