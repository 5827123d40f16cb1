#include "docking/logic/pane_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using docking::AreaHit;
using docking::ChoosePlacementTarget;
using docking::PaneLayout;
using Layout = PaneLayout<char>;

std::vector<int> Positions(const Layout& l) {
    std::vector<int> out;
    for (int i = 0; i < l.Count(); ++i)
        out.push_back(l.PositionAt(i));
    return out;
}

std::string Order(const Layout& l) {
    std::string out;
    for (int i = 0; i < l.Count(); ++i)
        out += l.At(i).entry;
    return out;
}

// A bar 0..300 holding A (window 0..100), B (105..200) and C (205..300).
Layout ThreePanes() {
    Layout l(1);
    l.SetBounds(0, 300);
    l.InsertAt(-5, 100, 0, 'A');
    l.InsertAt(100, 100, 1, 'B');
    l.InsertAt(200, 100, 2, 'C');
    return l;
}

void ExpectEveryEntryKeepsItsMinimum(const Layout& l) {
    for (int i = 0; i < l.Count(); ++i)
        EXPECT_GE(l.NextPosition(i) - l.PositionAt(i), docking::kMinEntryLength) << "entry " << i;
}

TEST(PaneLayout, FirstStripLiesBeforeTheRectangleAndSpansFollowTheStrips) {
    const Layout l = ThreePanes();
    EXPECT_EQ(l.Start(), -5);
    EXPECT_EQ(l.End(), 300);
    EXPECT_EQ(Positions(l), (std::vector<int>{-5, 100, 200}));
    const auto spans = l.Spans();
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_EQ(spans[0].begin, 0);
    EXPECT_EQ(spans[0].end, 100);
    EXPECT_EQ(spans[1].begin, 105);
    EXPECT_EQ(spans[1].end, 200);
    EXPECT_EQ(spans[2].begin, 205);
    EXPECT_EQ(spans[2].end, 300);
}

TEST(PaneLayout, BoundsAndRescaleKeepTwentyFivePixelsPerEntry) {
    struct Case {
        const char* name;
        int rectStart, rectEnd;
        int end;
        std::vector<int> positions;
    };
    const Case cases[] = {
        {"shrinks in proportion", 0, 150, 150, {-5, 48, 99}},
        {"grows in proportion", 0, 605, 605, {-5, 205, 405}},
        {"too little room is laid out as 25 pixels per entry", 0, 40, 70, {-5, 20, 45}},
        {"a moved start shifts every entry", 100, 400, 400, {95, 200, 300}},
    };
    for (const Case& c : cases) {
        Layout l = ThreePanes();
        l.SetBounds(c.rectStart, c.rectEnd);
        EXPECT_EQ(l.End(), c.end) << c.name;
        EXPECT_EQ(Positions(l), c.positions) << c.name;
        ExpectEveryEntryKeepsItsMinimum(l);
    }
}

TEST(PaneLayout, RescaleLetsTheLowerBoundWinForCrowdedEntries) {
    Layout l(1);
    l.SetBounds(0, 300);
    l.InsertAt(-5, 25, 0, 'A');
    l.InsertAt(20, 25, 1, 'B');
    l.InsertAt(45, 25, 2, 'C');
    l.SetBounds(0, 100);
    EXPECT_EQ(Positions(l), (std::vector<int>{-5, 20, 45}));
    // An unchanged old extent (never laid out) is not rescaled.
    Layout fresh(0);
    fresh.Rescale(0, 0, 0, 500);
    EXPECT_TRUE(fresh.Empty());
}

TEST(PaneLayout, DropsInsertBeforeAnEntryUpToItsFirstThird) {
    const Layout l = ThreePanes();
    struct Case {
        int c;
        int index;
    };
    // B runs 100..200: its first third ends at 133.
    const Case cases[] = {{-20, 0}, {-5, 0},  {30, 0},  {31, 1},
                          {133, 1}, {134, 2}, {233, 2}, {234, 3}};
    for (const Case& c : cases)
        EXPECT_EQ(l.InsertIndexFor(c.c), c.index) << "drop at " << c.c;
    Layout empty(1);
    empty.SetBounds(0, 100);
    EXPECT_EQ(empty.InsertIndexFor(50), 0);
}

TEST(PaneLayout, InsertClampsTheWantedStartAndPushesNeighbours) {
    struct Case {
        const char* name;
        int wanted, length, index;
        std::string order;
        std::vector<int> positions;
    };
    const Case cases[] = {
        {"a start past the end leaves the new pane its 25 pixels",
         290,
         50,
         3,
         "ABCD",
         {-5, 100, 200, 275}},
        {"the panes after the new one move to its end", 110, 80, 1, "ADBC", {-5, 110, 190, 215}},
        {"a start before the earliest is raised and the panes before shrink",
         -100,
         30,
         2,
         "ABDC",
         {-5, 20, 45, 200}},
        {"inserting at the front takes the layout's start", 60, 40, 0, "DABC", {-5, 35, 100, 200}},
    };
    for (const Case& c : cases) {
        Layout l = ThreePanes();
        l.InsertAt(c.wanted, c.length, c.index, 'D');
        EXPECT_EQ(Order(l), c.order) << c.name;
        EXPECT_EQ(Positions(l), c.positions) << c.name;
        ExpectEveryEntryKeepsItsMinimum(l);
    }
}

TEST(PaneLayout, DroppedPaneGoesAfterAnEntryBeyondItsFirstThird) {
    Layout l = ThreePanes();
    EXPECT_EQ(l.InsertAtDrop(134, 40, 'D'), 2);
    EXPECT_EQ(Order(l), "ABDC");
    EXPECT_EQ(Positions(l), (std::vector<int>{-5, 100, 134, 200}));
}

TEST(PaneLayout, SplitterDraggedToItsLimitLeavesTwentyFivePixels) {
    struct Case {
        int strip, to;
        std::vector<int> positions;
    };
    const Case cases[] = {
        {1, 1000, {-5, 250, 275}},
        {2, -1000, {-5, 20, 45}},
        {1, 150, {-5, 150, 200}},
        {2, 120, {-5, 95, 120}},
    };
    for (const Case& c : cases) {
        Layout l = ThreePanes();
        EXPECT_TRUE(l.MoveSplitter(c.strip, c.to));
        EXPECT_EQ(Positions(l), c.positions) << "strip " << c.strip << " to " << c.to;
        ExpectEveryEntryKeepsItsMinimum(l);
    }
    Layout l = ThreePanes();
    EXPECT_FALSE(l.MoveSplitter(0, 50)) << "the first strip lies outside the rectangle";
    EXPECT_EQ(l.SplitterRange(1), (std::pair<int, int>{20, 250}));
}

TEST(PaneLayout, SplitterUnderAPointIsTheStripOnly) {
    const Layout l = ThreePanes();
    struct Case {
        int c, strip;
    };
    const Case cases[] = {{99, -1}, {100, 1}, {104, 1}, {105, -1}, {202, 2}, {250, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(l.SplitterAt(c.c), c.strip) << "at " << c.c;
}

TEST(PaneLayout, RemovingFromABarGivesTheSpaceToANeighbour) {
    Layout first = ThreePanes();
    EXPECT_TRUE(first.RemoveFromBar(0));
    EXPECT_EQ(Order(first), "BC");
    EXPECT_EQ(Positions(first), (std::vector<int>{-5, 200})) << "B now starts at the bar's start";

    Layout middle = ThreePanes();
    EXPECT_TRUE(middle.RemoveFromBar(1));
    EXPECT_EQ(Positions(middle), (std::vector<int>{-5, 200})) << "A runs on to C";

    Layout last = ThreePanes();
    EXPECT_TRUE(last.RemoveFromBar(2));
    EXPECT_EQ(last.NextPosition(1), 300) << "B runs to the end";
    EXPECT_FALSE(last.RemoveFromBar(5));
}

TEST(PaneLayout, RemovingABarFromAnAreaGivesItsLengthToTheCentre) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, char>> entries; // position, entry; '*' is the centre
        int remove;
        std::string order;
        std::vector<int> positions;
    };
    const Case cases[] = {
        {"bar before the centre",
         {{-5, 'a'}, {50, 'b'}, {100, '*'}, {250, 'c'}},
         1,
         "a*c",
         {-5, 50, 250}},
        {"first bar", {{-5, 'a'}, {50, '*'}, {250, 'c'}}, 0, "*c", {-5, 250}},
        {"last bar after the centre", {{-5, '*'}, {150, 'b'}, {220, 'c'}}, 2, "*b", {-5, 230}},
        {"bar right after the centre", {{-5, '*'}, {150, 'b'}, {220, 'c'}}, 1, "*c", {-5, 220}},
    };
    for (const Case& c : cases) {
        Layout l(0);
        l.SetBounds(0, 300);
        for (size_t i = 0; i < c.entries.size(); ++i)
            l.InsertAt(c.entries[i].first, 0, static_cast<int>(i), c.entries[i].second);
        ASSERT_EQ(l.Count(), static_cast<int>(c.entries.size())) << c.name;
        for (size_t i = 0; i < c.entries.size(); ++i)
            ASSERT_EQ(l.PositionAt(static_cast<int>(i)), c.entries[i].first) << c.name;
        const int centre = l.IndexOf('*');
        EXPECT_TRUE(l.RemoveFromArea(c.remove, centre)) << c.name;
        EXPECT_EQ(Order(l), c.order) << c.name;
        EXPECT_EQ(Positions(l), c.positions) << c.name;
    }
}

TEST(PaneLayout, NewBarTakesItsRoomFromTheCentre) {
    // The default left pane: a bar of 200 plus its strip before the centre
    // gives the bar 0..200, a strip at 200..205 and the centre from 205.
    Layout left(1);
    left.SetBounds(0, 800);
    left.InsertAt(-5, 0, 0, '*');
    EXPECT_EQ(left.InsertTakingFromCentre(0, 205, 0, 'L'), -5);
    EXPECT_EQ(Positions(left), (std::vector<int>{-5, 200}));
    EXPECT_EQ(left.Spans()[0].begin, 0);
    EXPECT_EQ(left.Spans()[0].end, 200);
    EXPECT_EQ(left.Spans()[1].begin, 205);

    // After the centre the bar ends where the following entry starts.
    Layout right(1);
    right.SetBounds(0, 800);
    right.InsertAt(-5, 0, 0, '*');
    right.InsertTakingFromCentre(1, 205, 0, 'R');
    EXPECT_EQ(Positions(right), (std::vector<int>{-5, 595}));
    EXPECT_EQ(right.Spans()[1].end - right.Spans()[1].begin, 200);

    // A small centre keeps its 25 pixels.
    Layout small(1);
    small.SetBounds(0, 100);
    small.InsertAt(-5, 0, 0, '*');
    small.InsertTakingFromCentre(0, 205, 0, 'L');
    EXPECT_EQ(Positions(small), (std::vector<int>{-5, 75}));
    ExpectEveryEntryKeepsItsMinimum(small);
}

TEST(PaneLayout, StoredPlacementsChooseABarOrANewOne) {
    struct Case {
        const char* name;
        int count, centre;
        bool before;
        int barIndex;
        bool alone;
        bool newBar;
        int index;
    };
    const Case cases[] = {
        {"empty area before the centre", 1, 0, true, 0, false, true, 0},
        {"an existing bar before the centre", 3, 2, true, 1, false, false, 1},
        {"a bar index past the bars makes a bar beside the centre", 3, 2, true, 5, false, true, 2},
        {"alone in its bar", 3, 2, true, 0, true, true, 0},
        {"last bar after the centre", 3, 0, false, 0, false, false, 2},
        {"second-to-last bar", 3, 0, false, 1, false, false, 1},
        {"walk back onto the centre", 3, 0, false, 2, false, true, 1},
        {"alone after the centre, last", 3, 0, false, 0, true, true, 3},
    };
    for (const Case& c : cases) {
        const auto t = ChoosePlacementTarget(c.count, c.centre, c.before, c.barIndex, c.alone);
        EXPECT_EQ(t.newBar, c.newBar) << c.name;
        EXPECT_EQ(t.index, c.index) << c.name;
    }
    bool before = false;
    EXPECT_EQ(docking::PlacementBarIndex(4, 2, 1, before), 1);
    EXPECT_TRUE(before);
    EXPECT_EQ(docking::PlacementBarIndex(4, 2, 3, before), 0);
    EXPECT_FALSE(before);
}

TEST(PaneLayout, AreaHitTestMakesNewBarsNearStartsAndInLastThirds) {
    Layout l(1);
    l.SetBounds(0, 800);
    l.InsertAt(-5, 0, 0, 'L');
    l.InsertAt(200, 0, 1, '*');
    struct Case {
        const char* name;
        int c, far;
        AreaHit::Kind kind;
        int index;
    };
    // L runs -5..200, its last third from 132; the centre from 200.
    const Case cases[] = {
        {"within 20 after the first start", 10, 60, AreaHit::NewBar, 0},
        {"inside the bar", 50, 100, AreaHit::Entry, 0},
        {"last third, not reaching past", 150, 180, AreaHit::Entry, 0},
        {"last third, reaching past", 150, 250, AreaHit::NewBar, 0},
        {"within 20 after the centre's start", 210, 300, AreaHit::NewBar, 1},
        {"over the centre", 400, 500, AreaHit::Entry, 1},
        {"past the area", 900, 950, AreaHit::None, -1},
    };
    for (const Case& c : cases) {
        const AreaHit hit = l.HitTestArea(c.c, c.far);
        EXPECT_EQ(hit.kind, c.kind) << c.name;
        EXPECT_EQ(hit.index, c.index) << c.name;
    }
}

} // namespace
