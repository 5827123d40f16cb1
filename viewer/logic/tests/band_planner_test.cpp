#include "viewer/logic/band_planner.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Drawn {
    int count;
    int first;
    int afterRow; // rows decoded when the band was drawn
    bool operator==(const Drawn& o) const {
        return count == o.count && first == o.first && afterRow == o.afterRow;
    }
};

std::ostream& operator<<(std::ostream& os, const Drawn& d) {
    return os << "(" << d.count << "," << d.first << " after " << d.afterRow << ")";
}

// A decode thread and the canvas's render thread, run one after the other:
// each report queues rows and, when a wake-up is due, the thread makes passes
// until it would wait again (the auto-reset event wakes it once per signal;
// it signals itself while bands remain).
struct RenderSim {
    CBandPlanner planner;
    int height;
    int decoded = 0;
    bool decoding = true;
    int passes = 0;
    int posts = 0;
    std::vector<Drawn> drawn;

    explicit RenderSim(int h) : height(h) { planner.SetReady(true); }

    void Wake() {
        for (;;) {
            ++passes;
            BandStep step = planner.TakeBand(height, decoding);
            if (step.pass == EBandPass::kWait)
                return;
            RowCopyInput in;
            in.frameWidth = 10;
            in.frameHeight = height;
            in.rowsDecoded = decoded;
            in.first = step.first;
            in.count = step.count;
            in.logicalWidth = 10;
            in.logicalHeight = height;
            in.fillFirst = true;
            in.postDone = true;
            RowCopyPlan plan = PlanRowCopy(in);
            drawn.push_back({plan.count, step.first, decoded});
            if (plan.postDone)
                ++posts;
            if (!planner.ShouldContinue(height))
                return;
        }
    }
    void Report(int rows) {
        int first = decoded;
        decoded += rows;
        if (decoded > height)
            decoded = height;
        planner.Queue(decoded - first, first, decoded, height);
        if (planner.ShouldWake(height))
            Wake();
    }
    void DecodeAll(int rowsPerReport) {
        while (decoded < height)
            Report(rowsPerReport);
        decoding = false;
    }
};

TEST(BandPlanner, HundredRowsReportedTenAtATimeDrawFourBands) {
    RenderSim sim(100);
    sim.DecodeAll(10);
    std::vector<Drawn> want = {{25, 0, 30}, {25, 25, 50}, {25, 50, 80}, {25, 75, 100}};
    EXPECT_EQ(sim.drawn, want);
    EXPECT_EQ(sim.posts, 1);
}

TEST(BandPlanner, TallImagesUseBandsOfAHundredthWithAShortLastBand) {
    struct Case {
        int height;
        int rowsPerReport;
        int band;
    };
    const Case cases[] = {
        {5000, 7, 50},    {5000, 5000, 50}, {5000, 333, 50}, {5020, 1, 50},
        {5020, 5020, 50}, {2600, 9, 26},    {2599, 40, 25},  {20, 3, 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.height << " rows, " << c.rowsPerReport << " a time");
        RenderSim sim(c.height);
        sim.DecodeAll(c.rowsPerReport);
        ASSERT_FALSE(sim.drawn.empty());
        int next = 0;
        for (size_t i = 0; i < sim.drawn.size(); ++i) {
            const Drawn& d = sim.drawn[i];
            EXPECT_EQ(d.first, next) << "band " << i << " leaves a gap or overlaps";
            if (i + 1 < sim.drawn.size())
                EXPECT_EQ(d.count, c.band) << "band " << i;
            else
                EXPECT_EQ(d.count, c.height - d.first) << "the last band holds the rest";
            EXPECT_LE(d.first + d.count, d.afterRow) << "band " << i << " drawn before decoded";
            next = d.first + d.count;
        }
        EXPECT_EQ(next, c.height);
        EXPECT_LE(sim.drawn.back().count, c.band);
        EXPECT_EQ(sim.posts, 1);
    }
}

TEST(BandPlanner, DecodedImageQueuedFromTheTopIsDrawnInOnePass) {
    RenderSim sim(100);
    sim.decoded = 100;
    sim.decoding = false;
    sim.planner.Queue(-1, 0, 100, 100);
    ASSERT_TRUE(sim.planner.ShouldWake(100));
    sim.Wake();
    ASSERT_EQ(sim.drawn.size(), 1u);
    EXPECT_EQ(sim.drawn[0], (Drawn{100, 0, 100}));
    EXPECT_EQ(sim.passes, 1);
    EXPECT_EQ(sim.posts, 1);
    EXPECT_EQ(sim.planner.PendingRows(), 0);
}

TEST(BandPlanner, QueueingFromTheMiddleContinuesThePicture) {
    // A layout that drew the first 40 decoded rows at once queues the rest
    // from row 40; later reports then count from the same origin.
    RenderSim sim(100);
    sim.decoded = 40;
    sim.planner.Queue(-1, 40, 40, 100);
    EXPECT_EQ(sim.planner.StartRow(), 40);
    EXPECT_EQ(sim.planner.PendingRows(), 0);
    EXPECT_FALSE(sim.planner.ShouldWake(100));
    sim.DecodeAll(30);
    std::vector<Drawn> want = {{25, 40, 70}, {25, 65, 100}, {10, 90, 100}};
    EXPECT_EQ(sim.drawn, want);
    EXPECT_EQ(sim.posts, 1);
}

TEST(BandPlanner, NotReadyOrClearedNeverWakes) {
    CBandPlanner p;
    p.Queue(50, 0, 50, 100);
    EXPECT_FALSE(p.ShouldWake(100)) << "not laid out yet";
    p.SetReady(true);
    EXPECT_TRUE(p.ShouldWake(100));
    p.Clear();
    EXPECT_FALSE(p.ShouldWake(100));
    EXPECT_EQ(p.TakeBand(100, true).pass, EBandPass::kWait);
}

TEST(BandPlanner, RowByRowReportsWakeOncePerPass) {
    CBandPlanner p;
    p.SetReady(true);
    int wakes = 0;
    for (int row = 0; row < 60; ++row) {
        p.Queue(1, row, row + 1, 100);
        if (p.TakeWake(100))
            ++wakes;
    }
    EXPECT_EQ(wakes, 1) << "the thread has not taken a band since the first wake-up";
    ASSERT_EQ(p.TakeBand(100, true).pass, EBandPass::kBand);
    p.Queue(1, 60, 61, 100);
    EXPECT_TRUE(p.TakeWake(100)) << "rows still pending after the pass wake it again";
    p.Clear();
    p.Queue(1, 0, 1, 1);
    EXPECT_TRUE(p.TakeWake(1)) << "cleared rows forget the earlier wake-up";
}

TEST(BandPlanner, ReportsOutsideTheImageAreClamped) {
    struct Case {
        int count, first, decoded;
        int start, pending;
    };
    const Case cases[] = {
        {10, 200, 100, 0, 100},              // past the end
        {-1, 0, 150, 0, 100},                // decoded count larger than the image
        {5, 0, 5, 0, 5},                     // normal
        {0x7fffffff, 0x7fffffff, 0, 0, 100}, // would overflow
        {-1, 60, 40, 60, 0},                 // queued above what is decoded
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << "," << c.first);
        CBandPlanner p;
        p.Queue(c.count, c.first, c.decoded, 100);
        EXPECT_EQ(p.StartRow(), c.start);
        EXPECT_EQ(p.PendingRows(), c.pending);
    }
}

TEST(BandPlanner, RowCopyPlacesBandsByRowOrderAndWidensIntoDrawnRows) {
    struct Case {
        const char* name;
        bool topDown;
        int first, count, logicalHeight, step;
        bool copy;
        int left, top, right, bottom;
        bool fill, post;
    };
    const Case cases[] = {
        {"top-down first band", true, 0, 25, 100, 0, true, 0, 0, 40, 25, true, false},
        {"bottom-up first band at the bottom", false, 0, 25, 100, 0, true, 0, 75, 40, 100, true,
         false},
        {"bottom-up last band at the top", false, 75, 25, 100, 0, true, 0, 0, 40, 25, false, true},
        {"top-down widened upwards", true, 25, 25, 100, 2, true, 0, 23, 40, 50, false, false},
        {"bottom-up widened downwards", false, 25, 25, 100, 2, true, 0, 50, 40, 77, false, false},
        {"below the visible part still posts", true, 75, 25, 50, 0, false, 0, 0, 0, 0, false, true},
        {"every decoded row", true, 0, -1, 100, 0, true, 0, 0, 40, 60, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RowCopyInput in;
        in.frameWidth = 40;
        in.frameHeight = 100;
        in.rowsDecoded = 60;
        in.topDown = c.topDown;
        in.first = c.first;
        in.count = c.count;
        in.logicalWidth = 40;
        in.logicalHeight = c.logicalHeight;
        in.scaleStep = c.step;
        in.fillFirst = true;
        in.postDone = true;
        RowCopyPlan plan = PlanRowCopy(in);
        EXPECT_EQ(plan.copy, c.copy);
        if (c.copy) {
            EXPECT_EQ(plan.left, c.left);
            EXPECT_EQ(plan.top, c.top);
            EXPECT_EQ(plan.right, c.right);
            EXPECT_EQ(plan.bottom, c.bottom);
        }
        EXPECT_EQ(plan.fill, c.fill);
        EXPECT_EQ(plan.postDone, c.post);
    }
}

TEST(BandPlanner, RowCopyOfNoRowsDoesNothing) {
    RowCopyInput in;
    in.frameWidth = 40;
    in.frameHeight = 0;
    in.first = 0;
    in.count = 0;
    in.fillFirst = true;
    in.postDone = true;
    RowCopyPlan plan = PlanRowCopy(in);
    EXPECT_FALSE(plan.copy);
    EXPECT_FALSE(plan.fill);
    EXPECT_FALSE(plan.postDone) << "a zero-row call must not announce the last row";
}

} // namespace
