#include "viewer/logic/slide_show.h"

#include <gtest/gtest.h>

namespace {

using viewer::SlideStep;
using viewer::SlideTick;

SlideTick Tick(int sequence, int index, int count, bool repeat) {
    SlideTick tick;
    tick.sequence = sequence;
    tick.index = index;
    tick.count = count;
    tick.repeat = repeat;
    tick.active = true;
    return tick;
}

TEST(SlideShow, EachTickStepsByTheOrderAndStopsOnlyAtTheEndWithoutRepeat) {
    struct Case {
        const char* name;
        SlideTick tick;
        SlideStep expected;
    };
    SlideTick inactive = Tick(viewer::kSlideForward, 0, 3, false);
    inactive.active = false;
    SlideTick menu = Tick(viewer::kSlideForward, 0, 3, false);
    menu.menuOpen = true;
    const Case cases[] = {
        {"forward moves on from the first item", Tick(0, 0, 3, false), SlideStep::Next},
        {"forward moves on from the middle", Tick(0, 1, 3, false), SlideStep::Next},
        {"forward stops after the last item without repeat", Tick(0, 2, 3, false), SlideStep::Stop},
        {"forward starts again at the first item with repeat", Tick(0, 2, 3, true),
         SlideStep::First},
        {"backward moves back from the last item", Tick(1, 2, 3, false), SlideStep::Previous},
        {"backward stops at the first item without repeat", Tick(1, 0, 3, false), SlideStep::Stop},
        {"backward goes round to the last item with repeat", Tick(1, 0, 3, true), SlideStep::Last},
        {"random always takes the random step, also at the end", Tick(2, 2, 3, false),
         SlideStep::Random},
        {"a list of one item ends a forward show at once", Tick(0, 0, 1, false), SlideStep::Stop},
        {"a list of one item repeats on itself", Tick(0, 0, 1, true), SlideStep::First},
        {"an unknown order counts as forward", Tick(7, 0, 3, false), SlideStep::Next},
        {"no current item skips the tick", Tick(0, -1, 3, false), SlideStep::Skip},
        {"an empty list skips the tick", Tick(0, 0, 0, true), SlideStep::Skip},
        {"a frame that is not active skips the tick", inactive, SlideStep::Skip},
        {"an open context menu skips the tick", menu, SlideStep::Skip},
    };
    for (const Case& c : cases)
        EXPECT_EQ(viewer::NextSlideStep(c.tick), c.expected) << c.name;
}

TEST(SlideShow, TheIdleCursorHidesOnlyWhenNothingNeedsIt) {
    struct Case {
        const char* name;
        viewer::CursorState state;
        bool hides;
    };
    viewer::CursorState idle;
    idle.focusOnView = true;
    auto with = [&](void (*change)(viewer::CursorState&)) {
        viewer::CursorState s = idle;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"an idle view with the focus hides the cursor", idle, true},
        {"focus elsewhere keeps it", with([](viewer::CursorState& s) { s.focusOnView = false; }),
         false},
        {"a hand-drag pan keeps it", with([](viewer::CursorState& s) { s.panning = true; }), false},
        {"an open context menu keeps it", with([](viewer::CursorState& s) { s.menuOpen = true; }),
         false},
        {"selection mode keeps it", with([](viewer::CursorState& s) { s.selectionMode = true; }),
         false},
        {"a hidden cursor is not hidden twice",
         with([](viewer::CursorState& s) { s.cursorShown = false; }), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(viewer::ShouldHideCursor(c.state), c.hides) << c.name;
}

TEST(SlideShow, FullScreenGivesBackTheRectangleFromBeforeTheFirstEntry) {
    const viewer::ScreenRect window{50, 60, 650, 460};
    const viewer::ScreenRect screen{0, 0, 1024, 768};
    viewer::FullScreenMemory memory;
    memory.Enter(window, 0x10CF0000ul);
    // Entered again while on: the window now covers the screen, which must
    // not become what leaving restores.
    memory.Enter(screen, 0x01000000ul);
    EXPECT_TRUE(memory.on);
    EXPECT_EQ(memory.savedStyle, 0x10CF0000ul);
    EXPECT_TRUE(memory.Leave() == window);
    EXPECT_FALSE(memory.on);
    // The next entry saves afresh.
    const viewer::ScreenRect moved{10, 10, 310, 210};
    memory.Enter(moved, 0x10CF0000ul);
    EXPECT_TRUE(memory.Leave() == moved);
}

TEST(SlideShow, AViewerClosedInFullScreenRecordsItsPlacementFromBefore) {
    constexpr unsigned long kMaximise = 0x01000000ul;
    const viewer::ScreenRect before{50, 60, 650, 460};
    const viewer::ScreenRect screen{0, 0, 1024, 768};
    viewer::FullScreenMemory normal;
    normal.Enter(before, 0x10CF0000ul);
    viewer::FullScreenMemory maximised;
    maximised.Enter(screen, 0x10CF0000ul | kMaximise);
    struct Case {
        const char* name;
        bool fullScreen, zoomed;
        viewer::FullScreenMemory memory;
        bool expectMaximised;
        viewer::ScreenRect expectRect;
    };
    const Case cases[] = {
        {"full screen from a normal window records the normal window", true, true, normal, false,
         before},
        {"full screen from a maximised window records maximised", true, true, maximised, true,
         screen},
        {"a normal window records itself", false, false, viewer::FullScreenMemory{}, false, screen},
        {"a maximised window records maximised", false, true, viewer::FullScreenMemory{}, true,
         screen},
    };
    for (const Case& c : cases) {
        const viewer::ClosingPlacement placement =
            viewer::PlacementToRecord(c.fullScreen, c.zoomed, screen, c.memory, kMaximise);
        EXPECT_EQ(placement.maximised, c.expectMaximised) << c.name;
        EXPECT_TRUE(placement.rect == c.expectRect) << c.name;
    }
}

TEST(SlideShow, ARenameKeepsTheFolderAndTheExtensionAndRefusesWhatIsNoName) {
    struct Case {
        const char* name;
        const char* document;
        const char* typed;
        const char* expected;
    };
    const Case cases[] = {
        {"a name without extension takes the document's", "C:\\t\\a.jpg", "holiday",
         "C:\\t\\holiday.jpg"},
        {"a name with an extension keeps its own", "C:\\t\\a.jpg", "holiday.png",
         "C:\\t\\holiday.png"},
        {"the last dot decides", "C:\\t\\a.jpg", "my.holiday.jpeg", "C:\\t\\my.holiday.jpeg"},
        {"trailing dots and blanks are dropped before the test", "C:\\t\\a.jpg", "holiday. .",
         "C:\\t\\holiday.jpg"},
        {"a leading dot is a name, not an extension", "C:\\t\\a.jpg", ".hidden",
         "C:\\t\\.hidden.jpg"},
        {"a document without extension adds none", "C:\\t\\README", "notes", "C:\\t\\notes"},
        {"a dotted folder lends no extension", "C:\\my.pics\\scan", "page", "C:\\my.pics\\page"},
        {"blanks inside the name stay", "C:\\t\\a.bmp", "my pic", "C:\\t\\my pic.bmp"},
        {"an empty name is refused", "C:\\t\\a.jpg", "", ""},
        {"only dots are refused", "C:\\t\\a.jpg", "...", ""},
        {"a backslash would leave the folder", "C:\\t\\a.jpg", "..\\b.jpg", ""},
        {"a slash would leave the folder", "C:\\t\\a.jpg", "sub/b.jpg", ""},
        {"a drive colon is refused", "C:\\t\\a.jpg", "D:b.jpg", ""},
        {"wildcards are refused", "C:\\t\\a.jpg", "b*.jpg", ""},
        {"a control character is refused", "C:\\t\\a.jpg", "b\tc", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(viewer::RenameTargetPath(c.document, c.typed), c.expected) << c.name;
}

} // namespace
