#include "viewer/logic/zoom_steps.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using viewer::ComputeFitZoom;
using viewer::ZoomFromPercent;
using viewer::ZoomStepIn;
using viewer::ZoomStepOut;

enum class Step { In, Out, SetPercent };

struct StepCase {
    const char* name;
    double start;
    Step step;
    double limit;      // for In
    long long percent; // for SetPercent
    double expected;
};

TEST(ZoomSteps, StepTable) {
    const StepCase cases[] = {
        {"95% in lands on 100%", 0.95, Step::In, 100.0, 0, 1.0},
        {"100% in", 1.0, Step::In, 100.0, 0, 1.25},
        {"9% in", 0.09, Step::In, 100.0, 0, 0.10},
        {"1000% in", 10.0, Step::In, 100.0, 0, 10.5},
        {"10000% in on NT is limited", 100.0, Step::In, viewer::ZoomLimitFor(true), 0, 100.0},
        {"1400% in elsewhere is limited", 14.0, Step::In, viewer::ZoomLimitFor(false), 0, 14.0},
        {"100% out", 1.0, Step::Out, 0, 0, 0.9},
        {"10% out", 0.10, Step::Out, 0, 0, 0.09},
        {"1% out stays on the floor", 0.01, Step::Out, 0, 0, 0.01},
        {"0.5% out is raised to the floor", 0.005, Step::Out, 0, 0, 0.01},
        {"below 1% in goes to 1%", 0.004, Step::In, 100.0, 0, 0.01},
        {"0.5% in goes to 1%", 0.005, Step::In, 100.0, 0, 0.01},
        {"125% out", 1.25, Step::Out, 0, 0, 1.0},
        {"1050% out", 10.5, Step::Out, 0, 0, 10.0},
        {"fit of 33.3% in", 0.333, Step::In, 100.0, 0, 0.43},
        {"set 20000% has no limit", 1.0, Step::SetPercent, 0, 20000, 200.0},
    };
    for (const StepCase& c : cases) {
        double got = 0;
        switch (c.step) {
        case Step::In:
            got = ZoomStepIn(c.start, c.limit);
            break;
        case Step::Out:
            got = ZoomStepOut(c.start);
            break;
        case Step::SetPercent:
            got = ZoomFromPercent(c.percent);
            break;
        }
        // Exact: the steps land on the grid, not near it.
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST(ZoomSteps, RepeatedZoomInDoesNotDrift) {
    // From 1 %, nine steps of 1 % give exactly 10 %, and the tenth step
    // switches to 10 % steps (summing 0.01 in binary used to creep past).
    double z = 0.01;
    for (int i = 0; i < 9; ++i)
        z = ZoomStepIn(z, 100.0);
    EXPECT_EQ(z, 0.10);
    EXPECT_EQ(viewer::ZoomPercentOf(z), 10);
    z = ZoomStepIn(z, 100.0);
    EXPECT_EQ(z, 0.20);

    // On up: 10 % steps land on 100 %, then 25 % steps, then 50 % above 1000 %.
    for (int i = 0; i < 8; ++i)
        z = ZoomStepIn(z, 100.0);
    EXPECT_EQ(z, 1.0);
    for (int i = 0; i < 36; ++i)
        z = ZoomStepIn(z, 100.0);
    EXPECT_EQ(z, 10.0);
    z = ZoomStepIn(z, 100.0);
    EXPECT_EQ(z, 10.5);

    // And all the way back down to the floor, every value on its grid.
    while (z > 0.01) {
        double next = ZoomStepOut(z);
        ASSERT_LT(next, z);
        long long p = viewer::ZoomPercentOf(next);
        EXPECT_EQ(next, static_cast<double>(p) / 100.0);
        z = next;
    }
    EXPECT_EQ(z, 0.01);
}

TEST(ZoomSteps, ZoomAboveSteppedRangeOnlyLimited) {
    // 20000 % set by percentage: Zoom In only applies the limit, Zoom Out
    // leaves it.
    EXPECT_EQ(ZoomStepIn(200.0, 100.0), 100.0);
    EXPECT_EQ(ZoomStepOut(200.0), 200.0);
}

struct FitCase {
    const char* name;
    int type;
    int clientW, clientH, fullW, fullH;
    double current;
    double expected;
};

TEST(ZoomSteps, FitTable) {
    const FitCase cases[] = {
        {"fit on screen shrinks", 1, 800, 600, 4000, 3000, 1.0, 0.2},
        {"shrink to fit keeps a small image at 100%", 2, 800, 600, 400, 300, 0.5, 1.0},
        {"enlarge to fit grows a small image", 3, 800, 600, 400, 300, 1.0, 2.0},
        {"enlarge to fit leaves a large one at 100%", 3, 800, 600, 4000, 3000, 0.3, 1.0},
        {"shrink to fit shrinks a large one", 2, 800, 600, 4000, 3000, 1.0, 0.2},
        {"actual size", 0, 800, 600, 4000, 3000, 0.3, 1.0},
        {"lock keeps the zoom", 4, 800, 600, 4000, 3000, 0.37, 0.37},
        {"fit uses the smaller ratio", 1, 800, 600, 800, 1200, 1.0, 0.5},
        {"fit on a tiny image is limited", 1, 800, 600, 1, 1, 1.0, 100.0},
        {"an empty client keeps the zoom", 1, 0, 0, 4000, 3000, 0.25, 0.25},
        {"an empty image keeps the zoom", 2, 800, 600, 0, 0, 0.25, 0.25},
    };
    for (const FitCase& c : cases) {
        double got =
            ComputeFitZoom(c.type, c.current, c.clientW, c.clientH, c.fullW, c.fullH, 100.0);
        EXPECT_DOUBLE_EQ(got, c.expected) << c.name;
    }
    // The lower limit of the other systems applies to the fit too.
    EXPECT_EQ(ComputeFitZoom(1, 1.0, 800, 600, 10, 10, viewer::ZoomLimitFor(false)), 14.0);
}

TEST(ZoomSteps, KeepCentreOnZoom) {
    // A 400 x 300 canvas scrolled to (100, 50) at 100 %: its centre is the
    // image point (300, 200); at 200 % that point is at (600, 400), so the
    // scroll position becomes (400, 250).
    int sx = 100, sy = 50;
    viewer::KeepCentreOnZoom(400, 300, 1.0, 2.0, sx, sy);
    EXPECT_EQ(sx, 400);
    EXPECT_EQ(sy, 250);

    // Unscrolled pictures and unchanged zooms stay where they are.
    sx = 0;
    sy = 0;
    viewer::KeepCentreOnZoom(400, 300, 1.0, 2.0, sx, sy);
    EXPECT_EQ(sx, 0);
    EXPECT_EQ(sy, 0);
    sx = 10;
    sy = 20;
    viewer::KeepCentreOnZoom(400, 300, 1.5, 1.5, sx, sy);
    EXPECT_EQ(sx, 10);
    EXPECT_EQ(sy, 20);
}

} // namespace
