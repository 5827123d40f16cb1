#include "viewer/logic/view_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace viewer {

namespace {

int ToInt(double value) {
    if (!(value > 0.0))
        return 0;
    if (value >= 2147483647.0)
        return 2147483647;
    return static_cast<int>(value);
}

// value * numerator / denominator rounded half away from zero, as the
// system's mapping does.
int64_t MulDivRound(int64_t value, int64_t numerator, int64_t denominator) {
    int64_t product = value * numerator;
    int64_t half = denominator / 2;
    return product >= 0 ? (product + half) / denominator : (product - half) / denominator;
}

int SaturateInt(int64_t value) {
    if (value > 2147483647)
        return 2147483647;
    if (value < -2147483647)
        return -2147483647;
    return static_cast<int>(value);
}

} // namespace

void MapFrameSize(int frameWidth, int frameHeight, int displayedHeight, int& width, int& height) {
    width = 0;
    height = 0;
    if (frameHeight <= 0)
        return;
    width = SaturateInt(MulDivRound(frameWidth, displayedHeight, frameHeight));
    height = SaturateInt(MulDivRound(frameHeight, displayedHeight, frameHeight));
}

int ClampScroll(int value, int maximum) {
    if (maximum <= 0)
        return 0;
    return std::clamp(value, 0, maximum);
}

int PanScrollPosition(int press, int scroll, int cursor, int maximum) {
    int64_t wanted = static_cast<int64_t>(press) + scroll - cursor;
    wanted = std::max<int64_t>(0, wanted);
    wanted = std::min<int64_t>(wanted, std::max(0, maximum));
    return static_cast<int>(wanted);
}

ViewLayout ComputeViewLayout(const ViewLayoutInput& in) {
    ViewLayout out;
    if (in.actualSize) {
        out.displayedWidth = in.frameWidth;
        out.displayedHeight = in.frameHeight;
    } else {
        out.displayedWidth = ToInt(std::trunc(in.fullWidth * in.zoom));
        out.displayedHeight = ToInt(std::trunc(in.fullHeight * in.zoom));
        if (out.displayedWidth < in.clientWidth || out.displayedHeight < in.clientHeight) {
            // The canvas's map scales by the heights; give the canvas exactly
            // the size that map produces, so no strip of the old picture
            // shows at its edge.
            int width = 0, height = 0;
            MapFrameSize(in.frameWidth, in.frameHeight, out.displayedHeight, width, height);
            if (width > 0)
                out.displayedWidth = width;
            if (height > 0)
                out.displayedHeight = height;
        }
    }

    out.offsetX = std::max(0, (in.clientWidth - out.displayedWidth) / 2);
    out.offsetY = std::max(0, (in.clientHeight - out.displayedHeight) / 2);
    out.scrollable = false;

    if (in.clientWidth < out.displayedWidth) {
        out.maxScrollX = out.displayedWidth - in.clientWidth;
        out.scrollable = true;
        out.scrollX = in.keepScroll ? in.scrollX : ClampScroll(in.scrollX, out.maxScrollX);
    } else {
        out.maxScrollX = 0;
        out.scrollX = 0;
    }
    if (in.clientHeight < out.displayedHeight) {
        out.maxScrollY = out.displayedHeight - in.clientHeight;
        out.scrollable = true;
        out.scrollY = in.keepScroll ? in.scrollY : ClampScroll(in.scrollY, out.maxScrollY);
    } else {
        out.maxScrollY = 0;
        out.scrollY = 0;
    }

    out.canvasX = out.offsetX;
    out.canvasY = out.offsetY;
    out.canvasWidth = std::max(0, std::min(out.displayedWidth, in.clientWidth - out.offsetX));
    out.canvasHeight = std::max(0, std::min(out.displayedHeight, in.clientHeight - out.offsetY));
    return out;
}

bool UseImmediatePath(const ImmediatePathInput& in) {
    return in.progressive && in.rowsDecoded > 0 && in.displayedWidth != in.frameWidth &&
           in.displayedHeight != in.frameHeight && !in.scrollable &&
           in.displayedWidth <= in.screenWidth && in.displayedHeight <= in.screenHeight &&
           !in.metafile;
}

std::string FormatSelectionTip(int left, int top, int right, int bottom, bool cursorRight,
                               bool cursorBelow) {
    int x = cursorRight ? right : left;
    int y = cursorBelow ? bottom : top;
    char text[96];
    if (left == right && top == bottom) {
        std::snprintf(text, sizeof(text), "X: %d  Y: %d", x, y);
    } else {
        long long width = static_cast<long long>(right) - left;
        long long height = static_cast<long long>(bottom) - top;
        std::snprintf(text, sizeof(text), "X: %d  Y: %d  (W: %lld x H: %lld)", x, y, width, height);
    }
    return text;
}

void PlaceSelectionTip(int cursorX, int cursorY, int tipWidth, int tipHeight, int screenWidth,
                       int screenHeight, int& x, int& y) {
    x = cursorX;
    if (static_cast<long long>(cursorX) + tipWidth > screenWidth)
        x = screenWidth - tipWidth - 5;
    y = cursorY + 10;
    if (static_cast<long long>(y) + tipHeight > screenHeight)
        y = cursorY - tipHeight - 10;
}

} // namespace viewer
