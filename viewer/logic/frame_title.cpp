#include "viewer/logic/frame_title.h"

#include <cmath>
#include <cstdio>

namespace viewer {

const char* const kProductTitle = "Velmorantix XP";

namespace {

// 134217728 -> "134,217,728": a count the user reads at a glance.
std::string GroupThousands(uint64_t value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

} // namespace

std::string FormatUnreadableMessage(const std::string& path, int64_t width, int64_t height,
                                    uint64_t pixelLimit) {
    std::string text = "Cannot open the image file " + path + ".";
    if (pixelLimit != 0 && width > 0 && height > 0 &&
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > pixelLimit) {
        text += " The image is too large: " + std::to_string(width) + " x " +
                std::to_string(height) + " pixels, more than the " + GroupThousands(pixelLimit) +
                " pixels (" + std::to_string(pixelLimit >> 20) + " megapixels) an image may have.";
    }
    return text;
}

namespace {

// trunc(zoom x 100). A zoom snapped to whole percentages is not exact in
// binary (0.29 x 100 = 28.999...), so a hair is added before truncating;
// the hair is far below one percent and never lifts a true fraction.
int ZoomPercent(double zoom) {
    const double percent = std::floor(zoom * 100.0 + 1e-7);
    if (!(percent > -2147483648.0 && percent < 2147483647.0))
        return 0;
    return static_cast<int>(percent);
}

std::string Format(const char* pattern, const std::string& name, int a, int b = 0, int c = 0,
                   int d = 0, int e = 0) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, pattern, name.c_str(), a, b, c, d, e);
    return buffer;
}

} // namespace

std::string FormatFrameTitle(const TitleState& state, const PathCompactor& compact) {
    std::string title = kProductTitle;
    const bool listBranch = state.hasList || !state.hasDocument;
    if (listBranch) {
        if (!state.hasList || state.itemCount <= 0)
            return "No Image";
        if (!state.hasDocument)
            return title;
    }

    std::string name = compact ? compact(state.path, kTitlePathChars) : state.path;
    if (state.modified)
        name += " * ";
    if (!state.headerReady)
        return name;

    const int percent = ZoomPercent(state.zoom);
    const bool paged = state.frameCount > 0;
    const int page = state.frameIndex + 1;
    const int pages = state.frameCount + 1;
    if (state.hasList) {
        const int position = state.index + 1;
        return paged ? Format("%s @ %d%% (%d of %d) [Page %d of %d]", name, percent, position,
                              state.itemCount, page, pages)
                     : Format("%s @ %d%% (%d of %d)", name, percent, position, state.itemCount);
    }
    return paged ? Format("%s @ %d%% [Page %d of %d]", name, percent, page, pages)
                 : Format("%s @ %d%%", name, percent);
}

int NormalizeIndex(int index, int count, bool wrap) {
    if (count <= 0)
        return -1;
    if (wrap) {
        if (index == count)
            index = 0;
        else if (index == -1)
            index = count - 1;
    }
    if (index < 0)
        return 0;
    if (index > count - 1)
        return count - 1;
    return index;
}

NavStep NavigationTarget(NavCommand command, int index, int count) {
    switch (command) {
    case NavCommand::Previous:
        return {index - 1, true};
    case NavCommand::Next:
        return {index + 1, false};
    case NavCommand::First:
        return {0, false};
    case NavCommand::Last:
        return {count - 1, true};
    }
    return {index, false};
}

bool IsNavigationEnabled(NavCommand command, bool hasDocument, bool hasList, int index, int count,
                         bool wrap) {
    if (!hasDocument || !hasList)
        return false;
    const bool onFirst = index == 0;
    const bool onLast = index == count - 1;
    switch (command) {
    case NavCommand::Next:
        return count > 1 && (!onLast || wrap);
    case NavCommand::Previous:
        return count > 1 && (!onFirst || wrap);
    case NavCommand::First:
        return count > 0 && !onFirst;
    case NavCommand::Last:
        return count > 0 && !onLast;
    }
    return false;
}

} // namespace viewer
