#include "viewer/logic/frame_title.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using viewer::FormatFrameTitle;
using viewer::NavCommand;
using viewer::TitleState;

// Keeps the last `maxChars` characters behind "...", so tests see where the
// compactor ran and with which limit.
std::string MarkCompact(const std::string& path, int maxChars) {
    if (static_cast<int>(path.size()) <= maxChars)
        return path;
    return "..." + path.substr(path.size() - static_cast<size_t>(maxChars - 3));
}

TitleState Listed(const char* path, int index, int count) {
    TitleState s;
    s.hasList = true;
    s.itemCount = count;
    s.index = index;
    s.hasDocument = true;
    s.path = path;
    s.headerReady = true;
    s.zoom = 1.0;
    return s;
}

TEST(FrameTitle, FormsOfTheTitle) {
    struct Case {
        const char* name;
        TitleState state;
        const char* expected;
    };
    TitleState notListed = Listed("C:\\t\\a.bmp", -1, 0);
    notListed.hasList = false;
    TitleState paged = Listed("C:\\t\\p.tif", 0, 2);
    paged.frameCount = 2;
    paged.frameIndex = 1;
    TitleState pagedNotListed = paged;
    pagedNotListed.hasList = false;
    TitleState modified = Listed("C:\\t\\a.bmp", 0, 3);
    modified.modified = true;
    TitleState headerPending = Listed("C:\\t\\a.bmp", 0, 3);
    headerPending.headerReady = false;
    TitleState zoomed = Listed("C:\\t\\a.bmp", 1, 3);
    zoomed.zoom = 1.25;
    TitleState snapped = Listed("C:\\t\\a.bmp", 0, 1);
    snapped.zoom = 0.29; // 0.29 x 100 is 28.999... in binary
    TitleState emptyList;
    emptyList.hasList = true;
    TitleState nothing;
    TitleState listNoDocument;
    listNoDocument.hasList = true;
    listNoDocument.itemCount = 4;
    TitleState emptyListWithDocument = Listed("C:\\t\\a.bmp", -1, 0);

    const Case cases[] = {
        {"listed", Listed("C:\\t\\a.bmp", 0, 3), "C:\\t\\a.bmp @ 100% (1 of 3)"},
        {"folder not listed yet", notListed, "C:\\t\\a.bmp @ 100%"},
        {"pages", paged, "C:\\t\\p.tif @ 100% (1 of 2) [Page 2 of 3]"},
        {"pages, not listed", pagedNotListed, "C:\\t\\p.tif @ 100% [Page 2 of 3]"},
        {"modified", modified, "C:\\t\\a.bmp *  @ 100% (1 of 3)"},
        {"header pending", headerPending, "C:\\t\\a.bmp"},
        {"zoom in", zoomed, "C:\\t\\a.bmp @ 125% (2 of 3)"},
        {"snapped zoom", snapped, "C:\\t\\a.bmp @ 29% (1 of 1)"},
        {"empty list", emptyList, "No Image"},
        {"nothing at all", nothing, "No Image"},
        {"empty list, document", emptyListWithDocument, "No Image"},
        {"list but no document", listNoDocument, "Velmorantix XP"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFrameTitle(c.state, MarkCompact), c.expected) << c.name;
}

TEST(FrameTitle, LongPathsAreCompactedToThirtyCharacters) {
    const std::string path = "C:\\a very long folder name\\deeper still\\picture.bmp";
    std::string seenPath;
    int seenLimit = 0;
    auto spy = [&](const std::string& p, int limit) {
        seenPath = p;
        seenLimit = limit;
        return MarkCompact(p, limit);
    };
    const std::string title = FormatFrameTitle(Listed(path.c_str(), 2, 3), spy);
    EXPECT_EQ(seenPath, path);
    EXPECT_EQ(seenLimit, 30);
    EXPECT_EQ(title, MarkCompact(path, 30) + " @ 100% (3 of 3)");
}

TEST(FrameTitle, NormalizeIndex) {
    struct Case {
        int index, count;
        bool wrap;
        int expected;
    };
    const Case cases[] = {
        {0, 0, false, -1}, {5, 0, true, -1},  // nothing to point at
        {3, 3, true, 0},   {-1, 3, true, 2},  // wrap-around both ways
        {3, 3, false, 2},  {-1, 3, false, 0}, // without it: clamped
        {1, 3, true, 1},   {1, 3, false, 1},  // inside: unchanged
        {9, 3, true, 2},   {-7, 3, true, 0},  // far outside: clamped even with wrap
        {0, 1, true, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(viewer::NormalizeIndex(c.index, c.count, c.wrap), c.expected)
            << c.index << " of " << c.count << (c.wrap ? " wrapping" : "");
}

TEST(FrameTitle, NavigationSteps) {
    struct Case {
        NavCommand command;
        int index, count;
        int expectedIndex;
        bool expectedBackward;
    };
    const Case cases[] = {
        {NavCommand::Next, 1, 3, 2, false},
        {NavCommand::Previous, 1, 3, 0, true},
        {NavCommand::First, 2, 3, 0, false},
        {NavCommand::Last, 0, 3, 2, true},
    };
    for (const Case& c : cases) {
        const viewer::NavStep step = viewer::NavigationTarget(c.command, c.index, c.count);
        EXPECT_EQ(step.index, c.expectedIndex);
        EXPECT_EQ(step.backward, c.expectedBackward);
    }
}

TEST(FrameTitle, NavigationEnableRules) {
    struct Case {
        NavCommand command;
        bool document, list;
        int index, count;
        bool wrap;
        bool enabled;
    };
    const Case cases[] = {
        {NavCommand::Next, true, true, 2, 3, false, false}, // last item, no repeat
        {NavCommand::Next, true, true, 2, 3, true, true},   // last item, repeat
        {NavCommand::Next, true, true, 0, 1, true, false},  // one item never steps
        {NavCommand::Next, true, true, 1, 3, false, true},
        {NavCommand::Previous, true, true, 0, 3, false, false},
        {NavCommand::Previous, true, true, 0, 3, true, true},
        {NavCommand::First, true, true, 0, 3, true, false},
        {NavCommand::First, true, true, 2, 3, false, true},
        {NavCommand::Last, true, true, 2, 3, true, false},
        {NavCommand::Last, true, true, 0, 3, false, true},
        {NavCommand::Next, false, true, 0, 3, true, false}, // no document
        {NavCommand::Next, true, false, 0, 3, true, false}, // not listed yet
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(
            viewer::IsNavigationEnabled(c.command, c.document, c.list, c.index, c.count, c.wrap),
            c.enabled)
            << "case " << i;
    }
}

TEST(FrameTitle, UnreadableMessageSaysWhenTheImageIsTooLarge) {
    struct Case {
        const char* name;
        int64_t width, height;
        uint64_t limit;
        const char* expected;
    };
    const uint64_t limit = uint64_t(128) << 20;
    const Case cases[] = {
        {"size unknown", 0, 0, limit, "Cannot open the image file C:\\a.bmp."},
        {"at the limit", 16384, 8192, limit, "Cannot open the image file C:\\a.bmp."},
        {"over the limit", 16000, 16000, limit,
         "Cannot open the image file C:\\a.bmp. The image is too large: 16000 x 16000 pixels, "
         "more than the 134,217,728 pixels (128 megapixels) an image may have."},
        {"no limit", 16000, 16000, 0, "Cannot open the image file C:\\a.bmp."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(viewer::FormatUnreadableMessage("C:\\a.bmp", c.width, c.height, c.limit),
                  c.expected)
            << c.name;
}

} // namespace
