// The arithmetic of the thumbnail list: icon spacing, the growth of its
// image list, where a tile sits, which item is the first visible one after a
// scroll, the single-row placement of the folder preview (and of the
// filmstrip where the list view has no work areas), the size of the folder
// preview popup, and the selection moves of Shift+click and of the keys in
// Thumbnail mode.
#pragma once

#include <cstdint>
#include <functional>

struct ListPoint {
    int32_t x = 0;
    int32_t y = 0;
};
struct ListSize {
    int32_t cx = 0;
    int32_t cy = 0;
};

inline bool operator==(const ListSize& a, const ListSize& b) {
    return a.cx == b.cx && a.cy == b.cy;
}

// The list view's icon spacing for the thumbnail size and the option spaces.
ListSize ThumbnailIconSpacing(int32_t thumbWidth, int32_t thumbHeight, int32_t xSpace,
                              int32_t ySpace);

// The image list's next capacity once its used count has reached capacity:
// it grows by the larger of a tenth of the capacity and the number of items
// inserted one by one since the last reset (the tenth truncated after the
// comparison), and by at least one.
int32_t GrowImageCapacity(int32_t capacity, int32_t singleInsertions);

// Top-left of a picture of imageWidth x imageHeight on a tile: centred where
// the picture is smaller, at 0 where it is not.
ListPoint TileOffset(int32_t tileWidth, int32_t tileHeight, int32_t imageWidth,
                     int32_t imageHeight);

// The first item whose right edge (filmstrip: x + thumbWidth) or bottom edge
// (thumbnails: y + thumbHeight) lies beyond the view origin; 0 when none does.
int32_t FirstVisibleItem(const ListPoint* positions, int32_t count, ListPoint origin,
                         int32_t thumbWidth, int32_t thumbHeight, bool filmstrip);
// The same with item i's position read through positionOf(i). The items lie
// in reading order (an arranged grid, or one row), so that edge never shrinks
// from one item to the next, and the item is found by halving: a scroll
// through a large folder asks the list view for about log2(count) positions,
// not for every one.
int32_t FirstVisibleItem(int32_t count, ListPoint origin, int32_t thumbWidth, int32_t thumbHeight,
                         bool filmstrip, const std::function<ListPoint(int32_t)>& positionOf);

// Item i of a single row laid out by hand, step pixels apart.
inline ListPoint SingleRowPosition(int32_t index, int32_t step) {
    return ListPoint{index * step, 0};
}

// The folder preview popup for a source of itemCount images.
ListSize FramedListPreferredSize(int32_t itemCount, int32_t maxThumbnails, int32_t thumbWidth,
                                 int32_t thumbHeight);

// A change of selection: deselect one range, select another, then focus and
// (when select) select the target. A range with from > to is empty.
struct ListSelectionMove {
    int32_t deselectFrom = 0;
    int32_t deselectTo = -1;
    int32_t selectFrom = 0;
    int32_t selectTo = -1;
    int32_t target = -1;
    bool select = true;
};

// Shift+click: anchor (already set), the focused item b and the clicked item.
ListSelectionMove ShiftClickMove(int32_t anchor, int32_t focused, int32_t clicked);

// Navigation keys of Thumbnail mode.
enum EListNavKey : int {
    kNavPageUp,
    kNavPageDown,
    kNavHome,
    kNavEnd,
    kNavLeft,
    kNavRight,
    kNavUp,
    kNavDown,
};

struct ListNavInput {
    EListNavKey key = kNavLeft;
    bool shift = false;
    bool ctrl = false;
    int32_t focused = -1; // d
    int32_t count = 0;    // items
    int32_t perRow = 1;   // items sharing the first item's top
    int32_t perPage = 1;  // perRow x rows that fit the client height
    int32_t anchor = -1;  // Shift anchor; with Shift -1 becomes focused
};

struct ListNavResult {
    enum Action : int {
        kDefault,  // the list view's own handling
        kConsumed, // nothing more to do
        kMove,     // apply move (deselectAll first when set)
    } action = kDefault;
    bool deselectAll = false;
    ListSelectionMove move;
    int32_t anchor = -1; // the anchor afterwards
};

ListNavResult NavigateThumbnails(const ListNavInput& input);
