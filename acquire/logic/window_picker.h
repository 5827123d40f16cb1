// The choice of the screen-capture finder tool: the window under the cursor,
// or a smaller window lying inside it. A group box drawn around controls is
// their sibling and may come before them in the z-order, so WindowFromPoint
// can name the box although the user points at a control inside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct PickRect {
    int32_t left, top, right, bottom;
};

// One window that follows the pointed-at window in its siblings' z-order.
struct PickSibling {
    PickRect rect; // screen coordinates
    bool visible;
    bool sameParent;
};

// Index of the sibling to take, or -1 for the pointed-at window itself. Only
// a window with a parent looks at its siblings; of those that are visible,
// share the parent, contain the point and are smaller in area than the best
// so far, the smallest wins.
int PickSmallestWindow(const PickRect& pointedAt, bool hasParent,
                       const std::vector<PickSibling>& laterSiblings, int32_t x, int32_t y);
