#include "viewer/logic/arrange_geometry.h"

#include <gtest/gtest.h>

namespace viewer {
namespace {

TEST(ArrangeShape, GridRowsAndColumnsFollowTheCount) {
    struct Case {
        int n, k;
        char mode;
        int rows, columns;
        bool singleRow, singleColumn;
    } cases[] = {
        {7, 0, kArrangeGrid, 2, 4, false, false}, // last cell empty
        {3, 0, kArrangeGrid, 2, 2, false, false}, // one empty cell
        {4, 0, kArrangeGrid, 2, 2, false, false},
        {2, 0, kArrangeGrid, 1, 2, false, false},
        {9, 0, kArrangeGrid, 3, 3, false, false},
        {10, 0, kArrangeGrid, 3, 4, false, false},
        {16, 0, kArrangeGrid, 4, 4, false, false},
        {5, 3, kArrangeRows, 2, 3, false, false},    // 3 columns, 2 rows
        {5, 3, kArrangeColumns, 3, 2, false, false}, // 3 rows, 2 columns
        {5, 0, kArrangeRows, 1, 5, true, false},     // k = 0: one row
        {5, 5, kArrangeRows, 1, 5, true, false},     // k = n: one row too
        {5, 0, kArrangeColumns, 5, 1, false, true},  // one column
        {4, 9, kArrangeColumns, 4, 1, false, true},
    };
    for (const Case& c : cases) {
        ArrangeShape shape = ComputeArrangeShape(c.n, c.k, c.mode);
        SCOPED_TRACE(testing::Message() << "n=" << c.n << " k=" << c.k << " mode=" << c.mode);
        EXPECT_EQ(c.rows, shape.rows);
        EXPECT_EQ(c.columns, shape.columns);
        EXPECT_EQ(c.singleRow, shape.singleRow);
        EXPECT_EQ(c.singleColumn, shape.singleColumn);
    }
}

TEST(ArrangePlaces, SevenViewersFillTwoRowsOfFourFromTheWorkAreaOrigin) {
    // A work area that does not start at the screen's corner (task bar on
    // the left and at the top): the cells start at its own origin.
    ScreenRect work{100, 30, 1300, 1030}; // 1200 x 1000
    std::vector<WindowPlace> places = ArrangeViewerPlaces(7, 0, kArrangeGrid, work);
    ASSERT_EQ(7u, places.size());
    const WindowPlace expected[7] = {
        {100, 30, 300, 500},  {400, 30, 300, 500},  {700, 30, 300, 500},  {1000, 30, 300, 500},
        {100, 530, 300, 500}, {400, 530, 300, 500}, {700, 530, 300, 500},
    };
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].x, places[i].x);
        EXPECT_EQ(expected[i].y, places[i].y);
        EXPECT_EQ(expected[i].width, places[i].width);
        EXPECT_EQ(expected[i].height, places[i].height);
    }
}

TEST(ArrangePlaces, SingleRowAndColumnAndIntegerCells) {
    ScreenRect work{0, 0, 1001, 700};
    // 's' with k = 0: one row of width W / n and the full height.
    std::vector<WindowPlace> row = ArrangeViewerPlaces(5, 0, kArrangeRows, work);
    ASSERT_EQ(5u, row.size());
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(i * 200, row[i].x);
        EXPECT_EQ(0, row[i].y);
        EXPECT_EQ(200, row[i].width);
        EXPECT_EQ(700, row[i].height);
    }
    // Any other mode without a usable k: one column of height H / n.
    std::vector<WindowPlace> column = ArrangeViewerPlaces(3, 0, kArrangeColumns, work);
    ASSERT_EQ(3u, column.size());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(0, column[i].x);
        EXPECT_EQ(i * 233, column[i].y);
        EXPECT_EQ(1001, column[i].width);
        EXPECT_EQ(233, column[i].height);
    }
    // 's' with k = 3 for 5: 3 columns, the second row holds two.
    std::vector<WindowPlace> rows = ArrangeViewerPlaces(5, 3, kArrangeRows, work);
    ASSERT_EQ(5u, rows.size());
    EXPECT_EQ(333, rows[4].x);
    EXPECT_EQ(350, rows[4].y);
    EXPECT_EQ(333, rows[4].width);
    EXPECT_EQ(350, rows[4].height);
}

TEST(ArrangePlaces, OneViewerOrNoneIsNotArranged) {
    ScreenRect work{0, 0, 800, 600};
    EXPECT_TRUE(ArrangeViewerPlaces(1, 0, kArrangeGrid, work).empty());
    EXPECT_TRUE(ArrangeViewerPlaces(0, 2, kArrangeRows, work).empty());
}

TEST(SavedViewerRect, TakenOnlyWhenWhollyInsideTheWorkArea) {
    ScreenRect work{0, 0, 1280, 994};
    ScreenRect shifted{40, 20, 1280, 1024}; // work area below a top task bar
    struct Case {
        ScreenRect saved;
        bool maximized;
        ScreenRect work;
        bool use;
    } cases[] = {
        {{100, 100, 700, 500}, false, work, true},
        {{0, 0, 1280, 994}, false, work, true},      // exactly the work area
        {{100, 100, 700, 500}, true, work, false},   // maximised
        {{0, 0, 0, 0}, false, work, false},          // never saved
        {{300, 300, 300, 500}, false, work, false},  // empty
        {{-5, 100, 600, 500}, false, work, false},   // off at the left
        {{100, -1, 600, 500}, false, work, false},   // off at the top
        {{900, 100, 1281, 500}, false, work, false}, // off at the right
        {{100, 600, 600, 995}, false, work, false},  // off at the bottom
        {{10, 10, 600, 500}, false, shifted, false}, // under the shifted edge
        {{40, 20, 600, 500}, false, shifted, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.saved.left << "," << c.saved.top << ","
                                        << c.saved.right << "," << c.saved.bottom);
        EXPECT_EQ(c.use, UseSavedViewerRect(c.saved, c.maximized, c.work));
    }
}

} // namespace
} // namespace viewer
