#include "viewer/logic/view_layout.h"

#include <gtest/gtest.h>

namespace {

using viewer::ComputeViewLayout;
using viewer::ViewLayout;
using viewer::ViewLayoutInput;

ViewLayoutInput Input(int clientW, int clientH, int frameW, int frameH, double zoom) {
    ViewLayoutInput in;
    in.clientWidth = clientW;
    in.clientHeight = clientH;
    in.frameWidth = frameW;
    in.frameHeight = frameH;
    in.fullWidth = frameW;
    in.fullHeight = frameH;
    in.zoom = zoom;
    return in;
}

TEST(ViewLayout, SmallImageIsCentredAndDoesNotScroll) {
    for (bool actual : {true, false}) {
        ViewLayoutInput in = Input(500, 500, 100, 100, 1.0);
        in.actualSize = actual;
        in.scrollX = 30; // left over from the previous image
        ViewLayout l = ComputeViewLayout(in);
        EXPECT_EQ(l.displayedWidth, 100);
        EXPECT_EQ(l.displayedHeight, 100);
        EXPECT_EQ(l.canvasX, 200);
        EXPECT_EQ(l.canvasY, 200);
        EXPECT_EQ(l.canvasWidth, 100);
        EXPECT_EQ(l.canvasHeight, 100);
        EXPECT_FALSE(l.scrollable);
        EXPECT_EQ(l.maxScrollX, 0);
        EXPECT_EQ(l.scrollX, 0);
    }
}

TEST(ViewLayout, LargeImageScrollsAndClampsTheScrollPosition) {
    ViewLayoutInput in = Input(500, 400, 1000, 300, 1.0);
    in.scrollX = 900;
    in.scrollY = 40;
    ViewLayout l = ComputeViewLayout(in);
    EXPECT_TRUE(l.scrollable);
    EXPECT_EQ(l.maxScrollX, 500);
    EXPECT_EQ(l.scrollX, 500); // clamped
    EXPECT_EQ(l.maxScrollY, 0);
    EXPECT_EQ(l.scrollY, 0);
    EXPECT_EQ(l.offsetX, 0);
    EXPECT_EQ(l.offsetY, 50);
    EXPECT_EQ(l.canvasWidth, 500);
    EXPECT_EQ(l.canvasHeight, 300);

    // Keep view once: the position survives unclamped (the next image of the
    // same size will need it).
    in.keepScroll = true;
    l = ComputeViewLayout(in);
    EXPECT_EQ(l.scrollX, 900);
}

TEST(ViewLayout, ReducedDecodeTakesTheCanvasMapSize) {
    // A 4000 x 3000 image decoded at 800 x 600 and shown at 0.19: the full
    // size scales to 760 x 570, and the canvas gets what its height map
    // produces from the 800 x 600 bitmap (600 -> 570: 760 x 570).
    ViewLayoutInput in = Input(1000, 800, 800, 600, 0.19);
    in.fullWidth = 4000;
    in.fullHeight = 3000;
    ViewLayout l = ComputeViewLayout(in);
    EXPECT_EQ(l.displayedWidth, 760);
    EXPECT_EQ(l.displayedHeight, 570);

    // A 3 x 1 bitmap shown 2 rows high maps to 6 x 2, whatever the full size says.
    in = Input(100, 100, 3, 1, 1.0);
    in.fullWidth = 7;
    in.fullHeight = 2;
    l = ComputeViewLayout(in);
    EXPECT_EQ(l.displayedWidth, 6);
    EXPECT_EQ(l.displayedHeight, 2);
}

TEST(ViewLayout, MapFrameSizeRounds) {
    int w = 0, h = 0;
    viewer::MapFrameSize(5, 3, 2, w, h); // 5 * 2 / 3 = 3.33
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    viewer::MapFrameSize(5, 2, 3, w, h); // 7.5 rounds up
    EXPECT_EQ(w, 8);
    viewer::MapFrameSize(5, 0, 3, w, h); // no frame: nothing
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
}

TEST(ViewLayout, HugeZoomDoesNotOverflow) {
    ViewLayoutInput in = Input(500, 500, 100000, 100000, 100.0);
    ViewLayout l = ComputeViewLayout(in);
    EXPECT_GT(l.displayedWidth, 0);
    EXPECT_TRUE(l.scrollable);
    EXPECT_EQ(l.maxScrollX, l.displayedWidth - 500);
}

TEST(ViewLayout, PanAndClamp) {
    struct Case {
        int press, scroll, cursor, maximum, expected;
    } cases[] = {
        {100, 50, 80, 300, 70},  // hand moves left: the picture follows
        {100, 50, 200, 300, 0},  // past the start
        {100, 250, 0, 300, 300}, // past the end
        {100, 0, 50, 0, 0},      // nothing to scroll
    };
    for (const Case& c : cases)
        EXPECT_EQ(viewer::PanScrollPosition(c.press, c.scroll, c.cursor, c.maximum), c.expected);
    EXPECT_EQ(viewer::ClampScroll(-5, 10), 0);
    EXPECT_EQ(viewer::ClampScroll(15, 10), 10);
    EXPECT_EQ(viewer::ClampScroll(15, 0), 0);
}

TEST(ViewLayout, ImmediatePathChoice) {
    viewer::ImmediatePathInput base;
    base.progressive = true;
    base.rowsDecoded = 600;
    base.displayedWidth = 400;
    base.displayedHeight = 300;
    base.frameWidth = 800;
    base.frameHeight = 600;
    base.screenWidth = 1280;
    base.screenHeight = 1024;
    EXPECT_TRUE(viewer::UseImmediatePath(base));

    struct Case {
        const char* name;
        void (*change)(viewer::ImmediatePathInput&);
    } cases[] = {
        {"not progressive", [](viewer::ImmediatePathInput& i) { i.progressive = false; }},
        {"no rows yet", [](viewer::ImmediatePathInput& i) { i.rowsDecoded = 0; }},
        {"unscaled width", [](viewer::ImmediatePathInput& i) { i.displayedWidth = 800; }},
        {"unscaled height", [](viewer::ImmediatePathInput& i) { i.displayedHeight = 600; }},
        {"scrolls", [](viewer::ImmediatePathInput& i) { i.scrollable = true; }},
        {"larger than the screen", [](viewer::ImmediatePathInput& i) { i.screenWidth = 300; }},
        {"metafile", [](viewer::ImmediatePathInput& i) { i.metafile = true; }},
    };
    for (const Case& c : cases) {
        viewer::ImmediatePathInput in = base;
        c.change(in);
        EXPECT_FALSE(viewer::UseImmediatePath(in)) << c.name;
    }
}

} // namespace

namespace {

TEST(ViewLayout, SelectionTipText) {
    struct Case {
        int left, top, right, bottom;
        bool cursorRight, cursorBelow;
        const char* expected;
    } cases[] = {
        {10, 20, 10, 20, true, true, "X: 10  Y: 20"},
        {10, 20, 110, 70, true, true, "X: 110  Y: 70  (W: 100 x H: 50)"},
        {10, 20, 110, 70, false, false, "X: 10  Y: 20  (W: 100 x H: 50)"},
        {10, 20, 110, 70, false, true, "X: 10  Y: 70  (W: 100 x H: 50)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(viewer::FormatSelectionTip(c.left, c.top, c.right, c.bottom, c.cursorRight,
                                             c.cursorBelow),
                  c.expected);
}

TEST(ViewLayout, SelectionTipStaysOnScreen) {
    int x = 0, y = 0;
    viewer::PlaceSelectionTip(100, 100, 150, 20, 1280, 1024, x, y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 110);
    viewer::PlaceSelectionTip(1200, 1000, 150, 20, 1280, 1024, x, y);
    EXPECT_EQ(x, 1280 - 150 - 5);
    EXPECT_EQ(y, 1000 - 20 - 10);
}

} // namespace
