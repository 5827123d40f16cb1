#include "docking/logic/drag_tracker.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <vector>

namespace {

using namespace docking;

struct RectLess {
    bool operator()(const DockRect& a, const DockRect& b) const {
        return std::tie(a.left, a.top, a.right, a.bottom) <
               std::tie(b.left, b.top, b.right, b.bottom);
    }
};
bool operator==(const DockRect& a, const DockRect& b) {
    return !RectLess()(a, b) && !RectLess()(b, a);
}

// Records what an inverting painter would leave on the screen.
class RecordingPainter : public GhostPainter {
public:
    void Invert(const DockRect& r) override {
        calls.push_back(r);
        if (!shown.erase(r))
            shown.insert(r);
    }
    std::vector<DockRect> calls;
    std::set<DockRect, RectLess> shown;
};

// The dragged window's client origin is at (100, 50) on the screen. A
// target accepts any rectangle whose left lies below 300 and stretches it
// across a 0..600 by 0..200 area; the clamp cuts the size to 150 x 120.
class FakeTargets : public DragTargets {
public:
    void ClientToScreen(int& x, int& y) override {
        x += 100;
        y += 50;
    }
    void Clamp(DockingRequest& r) override {
        EXPECT_EQ(r.code, kClampDragRect);
        if (r.rect.right - r.rect.left > 150)
            r.rect.right = r.rect.left + 150;
        if (r.rect.bottom - r.rect.top > 120)
            r.rect.bottom = r.rect.top + 120;
    }
    bool FindTarget(DockingRequest& r) override {
        EXPECT_EQ(r.code, kHitTest);
        clampedSeen = r.rect;
        if (r.rect.left >= 300)
            return false;
        r.host = reinterpret_cast<WindowHandle>(0x77);
        r.rect = DockRect{0, 0, 600, 200};
        return true;
    }
    bool ControlHeld() override { return control; }
    bool control = false;
    DockRect clampedSeen{};
};

TEST(DragTracker, GhostTakesTheTargetsShapeOrFloatsUnclamped) {
    struct Case {
        const char* name;
        int x, y;
        bool control;
        bool docked;
        DockRect ghost;
    };
    // Ghost size 300 x 200, floating offset (-20, -10) from the cursor.
    const Case cases[] = {
        {"over a target", 50, 20, false, true, {0, 0, 600, 200}},
        {"no target floats at the cursor plus the offset",
         250,
         20,
         false,
         false,
         {230, 10, 530, 210}},
        {"Ctrl forces floating over a target", 50, 20, true, false, {30, 10, 330, 210}},
    };
    for (const Case& c : cases) {
        RecordingPainter painter;
        FakeTargets targets;
        targets.control = c.control;
        DragTracker t(painter, targets, reinterpret_cast<WindowHandle>(0x11), 300, 200, -20, -10);
        t.Move(c.x, c.y);
        EXPECT_EQ(t.Request().host != nullptr, c.docked) << c.name;
        EXPECT_TRUE(t.Request().rect == c.ghost) << c.name;
        EXPECT_EQ(t.Request().pane, reinterpret_cast<WindowHandle>(0x11));
        if (!c.control) {
            // The targets were offered the clamped rectangle at the screen point.
            const DockRect clamped{c.x + 100, c.y + 50, c.x + 250, c.y + 170};
            EXPECT_TRUE(targets.clampedSeen == clamped) << c.name;
        }
    }
}

TEST(DragTracker, ExactlyOneGhostRemainsAfterEveryMoveAndNoneAtTheEnd) {
    RecordingPainter painter;
    FakeTargets targets;
    DragTracker t(painter, targets, nullptr, 300, 200, -20, -10);
    t.Begin(DockRect{5, 5, 305, 205});
    EXPECT_EQ(painter.shown.size(), 1u);
    const int moves[][2] = {{50, 20}, {51, 20}, {250, 20}, {250, 20}, {10, 10}};
    for (const auto& m : moves) {
        const size_t before = painter.calls.size();
        t.Move(m[0], m[1]);
        // The erase repeats the previous ghost before the new one is drawn.
        ASSERT_EQ(painter.calls.size(), before + 2);
        EXPECT_TRUE(painter.calls[before] == painter.calls[before - 1]);
        EXPECT_EQ(painter.shown.size(), 1u);
        EXPECT_TRUE(*painter.shown.begin() == t.Request().rect);
    }
    // Ctrl pressed without moving switches to the floating ghost at once.
    targets.control = true;
    t.Move(10, 10);
    EXPECT_EQ(t.Request().host, nullptr);
    EXPECT_EQ(painter.shown.size(), 1u);
    t.End();
    EXPECT_TRUE(painter.shown.empty());
    EXPECT_FALSE(t.GhostShown());
    t.End(); // a second end draws nothing
    EXPECT_TRUE(painter.shown.empty());
}

} // namespace
