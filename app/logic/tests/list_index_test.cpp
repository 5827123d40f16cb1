#include "app/logic/list_index.h"

#include <gtest/gtest.h>

namespace {

TEST(ListIndex, WrapsAndRefuses) {
    struct Case {
        int count, index;
        bool backward;
        int expected;
    } cases[] = {
        {1, 0, false, -1}, {1, 0, true, -1},   // one item: nowhere to go
        {0, 0, false, -1}, {3, -1, false, -1}, // empty list, no current item
        {3, 3, false, -1}, {3, 7, true, -1},   // not one of the items
        {3, 2, false, 0},  {3, 0, true, 2},    // wrap at either end
        {3, 0, false, 1},  {3, 2, true, 1},    // plain steps
        {2, 1, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " items, index " << c.index
                                        << (c.backward ? " back" : " forward"));
        EXPECT_EQ(c.expected, WrapIndex(c.index, c.count, c.backward));
    }
}

TEST(ListIndex, ClampsIntoTheList) {
    struct Case {
        int count, index, expected;
    } cases[] = {
        {3, 99, 2}, {3, -5, 0}, {3, 1, 1}, {0, 0, -1}, {1, 4, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, ClampIndex(c.index, c.count)) << c.count << " items, " << c.index;
}

} // namespace
