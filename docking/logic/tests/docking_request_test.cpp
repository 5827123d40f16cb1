#include "docking/logic/docking_request.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

using namespace docking;

// Handles and the auto-hide pane list follow the pointer size of the build;
// the values after the code stay 32-bit for both builds.
static_assert(offsetof(DockingRequest, host) == sizeof(void*));
static_assert(offsetof(DockingRequest, code) == 2 * sizeof(void*));
static_assert(sizeof(DockingRequest::values) == 24);
static_assert(sizeof(PlacementRegistryForm) == 12 * 4);

TEST(DockingRequest, ValueViewsShareTheSlotsAfterTheCode) {
    DockingRequest r;
    r.placement.flags = kInnerArea | kBeforeCentre;
    r.placement.docked.barIndex = 1;
    r.placement.docked.relativePosition = 0.5f;
    r.placement.docked.barSize = 200;
    r.placement.docked.paneSize = 250;
    r.placement.tabIndex = -1;
    EXPECT_EQ(r.values[0], 3);
    EXPECT_EQ(r.values[1], 1);
    EXPECT_EQ(r.values[3], 200);
    EXPECT_EQ(r.values[4], 250);
    EXPECT_EQ(r.values[5], -1);
    // A drag rectangle is the four values after the code; a floating
    // placement's rectangle the four after the flags.
    EXPECT_EQ(r.rect.left, 3);
    EXPECT_EQ(r.placement.floating.right, 200);
    EXPECT_EQ(SideOf(r.placement.flags), kSideLeft);
}

TEST(DockingRequest, RegistryFormRoundTripsDockedAndFloatingPlacements) {
    struct Case {
        const char* name;
        int32_t flags, a, b, c, d, tab;
        float weight;
        int32_t docked, visible;
    };
    const Case cases[] = {
        {"docked left, alone", kInnerArea | kBeforeCentre | kAloneInBar, 0, 0, 200, 250, 0, 0.0f, 1,
         1},
        {"current page of a box at the bottom", kCurrentTab, 2, 0, 150, 90, 1, 0.7f, 1, 3},
        {"pinned away on the right", kSideRight | kPinnedAway | kAloneInBar, 1, 0, 200, 200, -1,
         0.3f, 1, 1},
        {"floating", kFloating, 250, 250, 500, 600, -1, 0.0f, 0, 0},
    };
    for (const Case& c : cases) {
        DockingPlacement p;
        p.request.pane = reinterpret_cast<WindowHandle>(0x1234);
        p.request.code = kGetPlacement;
        p.request.placement.flags = c.flags;
        if (c.flags & kFloating) {
            p.request.placement.floating = DockRect{c.a, c.b, c.c, c.d};
        } else {
            p.request.placement.docked.barIndex = c.a;
            p.request.placement.docked.relativePosition = c.weight;
            p.request.placement.docked.barSize = c.c;
            p.request.placement.docked.paneSize = c.d;
        }
        p.request.placement.tabIndex = c.tab;
        p.floating = DockRect{10, 20, 310, 420};
        p.docked = c.docked;
        p.visible = c.visible;

        const PlacementRegistryForm r = ToRegistryForm(p);
        EXPECT_EQ(r.dockedSide, static_cast<uint32_t>(c.flags)) << c.name;
        EXPECT_EQ(r.index, static_cast<uint32_t>(c.tab)) << c.name;
        const DockingPlacement back = FromRegistryForm(r);
        EXPECT_EQ(back.request.pane, nullptr) << "handles are never stored";
        EXPECT_EQ(back.request.code, kDockAtPlacement) << c.name;
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(back.request.values[i], p.request.values[i]) << c.name << " value " << i;
        EXPECT_EQ(back.floating.bottom, 420) << c.name;
        EXPECT_EQ(back.docked, c.docked) << c.name;
        EXPECT_EQ(back.visible, c.visible) << c.name;
    }
}

TEST(DockingRequest, WeightIsStoredAsTheFloatsFourBytes) {
    DockingPlacement p;
    p.request.placement.docked.relativePosition = 0.7f;
    EXPECT_EQ(ToRegistryForm(p).weightBits, 0x3F333333u);
}

} // namespace
