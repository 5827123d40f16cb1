#include "viewer/logic/selection_geometry.h"

#include <gtest/gtest.h>

namespace {

TEST(SelectionGeometry, FixedAspectKeepsTheRatioExactlyFromTheAnchor) {
    struct Case {
        int x2, y2, aw, ah;
    };
    const Case cases[] = {
        {110, 30, 4, 3},  {30, 110, 4, 3},         {-90, 30, 4, 3},
        {110, -50, 4, 3}, {-13, -77, 4, 3},        {510, 400, 16, 9},
        {77, 93, 1, 1},   {1000, 999, 1600, 1200}, {11, 11, 4, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "to (" << c.x2 << "," << c.y2 << ") " << c.aw << ":" << c.ah);
        int x2 = c.x2, y2 = c.y2;
        ApplyFixedAspect(10, 10, &x2, &y2, c.aw, c.ah);
        long long w = x2 - 10, h = y2 - 10;
        EXPECT_EQ((w < 0 ? -w : w) * c.ah, (h < 0 ? -h : h) * c.aw) << x2 << "," << y2;
        // Inside the dragged rectangle, in the drag's direction.
        EXPECT_LE(w < 0 ? -w : w, c.x2 >= 10 ? c.x2 - 10 : 10 - c.x2);
        EXPECT_LE(h < 0 ? -h : h, c.y2 >= 10 ? c.y2 - 10 : 10 - c.y2);
        EXPECT_TRUE(w == 0 || (w > 0) == (c.x2 > 10));
        EXPECT_TRUE(h == 0 || (h > 0) == (c.y2 > 10));
    }
    int x2 = 110, y2 = 30;
    ApplyFixedAspect(10, 10, &x2, &y2, 4, 3);
    EXPECT_EQ(x2, 34); // 24 x 18, the largest 4:3 inside 100 x 20
    EXPECT_EQ(y2, 28);
}

TEST(SelectionGeometry, AspectWithAZeroSideIsNotFixed) {
    const int aspects[][2] = {{0, 3}, {4, 0}, {0, 0}, {-4, 3}};
    for (const auto& a : aspects) {
        int x2 = 110, y2 = 30;
        ApplyFixedAspect(10, 10, &x2, &y2, a[0], a[1]);
        EXPECT_EQ(x2, 110);
        EXPECT_EQ(y2, 30);
    }
}

TEST(SelectionGeometry, CornersAreNormalised) {
    CanvasRect r = NormalizeCorners(50, 40, 10, 90);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right, 50);
    EXPECT_EQ(r.bottom, 90);
}

TEST(SelectionGeometry, ClientToImageScalesByTheHeights) {
    struct Case {
        int x, y, sx, sy, full, shown;
        int ix, iy;
    };
    const Case cases[] = {
        {10, 10, 0, 0, 200, 100, 20, 20}, // zoom 0.5
        {10, 10, 5, 0, 200, 100, 30, 20}, // scrolled
        {10, 10, 0, 0, 100, 200, 5, 5},   // zoom 2
        {4, 4, 0, 0, 100, 300, 1, 1},     // truncated
        {10, 10, 0, 0, 100, 0, 10, 10},   // nothing shown: no division by zero
    };
    for (const Case& c : cases) {
        int ix = -1, iy = -1;
        ClientToImagePoint(c.x, c.y, c.sx, c.sy, c.full, c.shown, &ix, &iy);
        EXPECT_EQ(ix, c.ix);
        EXPECT_EQ(iy, c.iy);
    }
}

TEST(SelectionGeometry, ImageRectToDisplayTruncates) {
    CanvasRect r{10, 21, 33, 45};
    CanvasRect d = ImageRectToDisplay(r, 100, 200);
    EXPECT_EQ(d.left, 5);
    EXPECT_EQ(d.top, 10);
    EXPECT_EQ(d.right, 16);
    EXPECT_EQ(d.bottom, 22);
    CanvasRect same = ImageRectToDisplay(r, 100, 0);
    EXPECT_EQ(same.right, 33);
}

TEST(SelectionGeometry, ScaleStep) {
    struct Case {
        int fw, fh, dw, dh, step;
    };
    const Case cases[] = {
        {200, 100, 200, 100, 0}, // equal
        {200, 100, 400, 200, 1}, // enlarged
        {400, 300, 100, 75, 5},  // 400 shown at 100
        {400, 300, 399, 299, 2}, // barely shrunk
        {400, 300, 0, 0, 401},   // nothing shown: no division by zero
    };
    for (const Case& c : cases)
        EXPECT_EQ(ComputeScaleStep(c.fw, c.fh, c.dw, c.dh), c.step)
            << c.fw << "x" << c.fh << " at " << c.dw << "x" << c.dh;
}

} // namespace
