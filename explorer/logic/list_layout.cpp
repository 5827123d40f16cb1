#include "explorer/logic/list_layout.h"

#include <algorithm>

ListSize ThumbnailIconSpacing(int32_t thumbWidth, int32_t thumbHeight, int32_t xSpace,
                              int32_t ySpace) {
    return ListSize{thumbWidth + xSpace + 5, thumbHeight + ySpace + 20};
}

int32_t GrowImageCapacity(int32_t capacity, int32_t singleInsertions) {
    const double tenth = capacity * 0.1;
    const int32_t step = tenth > singleInsertions ? static_cast<int32_t>(tenth) : singleInsertions;
    return capacity + std::max<int32_t>(step, 1);
}

ListPoint TileOffset(int32_t tileWidth, int32_t tileHeight, int32_t imageWidth,
                     int32_t imageHeight) {
    return ListPoint{imageWidth < tileWidth ? (tileWidth - imageWidth) / 2 : 0,
                     imageHeight < tileHeight ? (tileHeight - imageHeight) / 2 : 0};
}

int32_t FirstVisibleItem(const ListPoint* positions, int32_t count, ListPoint origin,
                         int32_t thumbWidth, int32_t thumbHeight, bool filmstrip) {
    return FirstVisibleItem(count, origin, thumbWidth, thumbHeight, filmstrip,
                            [positions](int32_t i) { return positions[i]; });
}

int32_t FirstVisibleItem(int32_t count, ListPoint origin, int32_t thumbWidth, int32_t thumbHeight,
                         bool filmstrip, const std::function<ListPoint(int32_t)>& positionOf) {
    auto beyond = [&](int32_t i) {
        const ListPoint at = positionOf(i);
        return filmstrip ? at.x + thumbWidth > origin.x : at.y + thumbHeight > origin.y;
    };
    // The first index in [low, high) that is beyond; high when none is.
    int32_t low = 0, high = count;
    while (low < high) {
        const int32_t middle = low + (high - low) / 2;
        if (beyond(middle))
            high = middle;
        else
            low = middle + 1;
    }
    return low < count ? low : 0;
}

ListSize FramedListPreferredSize(int32_t itemCount, int32_t maxThumbnails, int32_t thumbWidth,
                                 int32_t thumbHeight) {
    const int32_t shown = std::max(0, std::min(itemCount, maxThumbnails));
    return ListSize{shown * (thumbWidth + 1) + 3, thumbHeight + 6};
}

ListSelectionMove ShiftClickMove(int32_t anchor, int32_t focused, int32_t clicked) {
    ListSelectionMove move;
    move.deselectFrom = std::min(anchor, focused);
    move.deselectTo = std::max(anchor, focused);
    move.selectFrom = std::min(anchor, clicked);
    move.selectTo = std::max(anchor, clicked);
    move.target = clicked;
    move.select = true;
    return move;
}

namespace {

ListNavResult Plain(const ListNavInput& in) {
    ListNavResult r;
    r.anchor = -1;
    const int32_t d = in.focused;
    const int32_t last = in.count - 1;
    switch (in.key) {
    case kNavLeft:
    case kNavRight: {
        r.action = ListNavResult::kConsumed;
        const bool left = in.key == kNavLeft;
        if (left ? d == 0 : d == last)
            return r;
        r.action = ListNavResult::kMove;
        r.deselectAll = !in.ctrl;
        r.move.target = left ? d - 1 : d + 1;
        r.move.select = !in.ctrl;
        return r;
    }
    case kNavDown:
        // No item a row below: the last item takes the focus.
        if (d + in.perRow >= in.count && d != last) {
            r.action = ListNavResult::kMove;
            if (!in.ctrl) {
                r.move.deselectFrom = d;
                r.move.deselectTo = d;
            }
            r.move.target = last;
            r.move.select = !in.ctrl;
        }
        return r;
    default:
        return r;
    }
}

} // namespace

ListNavResult NavigateThumbnails(const ListNavInput& in) {
    // Without a focused item there is nothing to move from.
    if (in.focused < 0 || in.focused >= in.count || in.count <= 0) {
        ListNavResult r;
        r.anchor = in.shift ? in.anchor : -1;
        return r;
    }
    if (!in.shift)
        return Plain(in);
    const int32_t d = in.focused;
    const int32_t last = in.count - 1;
    ListNavResult r;
    r.anchor = in.anchor == -1 ? d : in.anchor;
    int32_t t = d;
    switch (in.key) {
    case kNavPageUp:
        t = std::max(d - in.perPage, 0);
        break;
    case kNavPageDown:
        t = d + in.perPage < last ? d + in.perPage : last;
        break;
    case kNavHome:
        t = 0;
        break;
    case kNavEnd:
        t = last;
        break;
    case kNavLeft:
        t = d != 0 ? d - 1 : d;
        break;
    case kNavRight:
        t = d != last ? d + 1 : d;
        break;
    case kNavUp:
        t = std::max(d - in.perRow, 0);
        if (t == d)
            return r; // default handling
        break;
    case kNavDown:
        t = d + in.perRow < last ? d + in.perRow : last;
        break;
    }
    r.action = ListNavResult::kConsumed;
    if (t == d)
        return r;
    r.action = ListNavResult::kMove;
    r.move.deselectFrom = std::min(d, t);
    r.move.deselectTo = std::max(d, t);
    r.move.selectFrom = std::min(r.anchor, t);
    r.move.selectTo = std::max(r.anchor, t);
    r.move.target = t;
    r.move.select = !in.ctrl;
    return r;
}
