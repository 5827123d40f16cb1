#include "acquire/logic/window_picker.h"

namespace {

int64_t Area(const PickRect& r) {
    int64_t w = (int64_t)r.right - r.left;
    int64_t h = (int64_t)r.bottom - r.top;
    return w > 0 && h > 0 ? w * h : 0;
}

bool Contains(const PickRect& r, int32_t x, int32_t y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

} // namespace

int PickSmallestWindow(const PickRect& pointedAt, bool hasParent,
                       const std::vector<PickSibling>& laterSiblings, int32_t x, int32_t y) {
    if (!hasParent)
        return -1;
    int best = -1;
    int64_t bestArea = Area(pointedAt);
    for (size_t i = 0; i < laterSiblings.size(); ++i) {
        const PickSibling& s = laterSiblings[i];
        if (!s.visible || !s.sameParent || !Contains(s.rect, x, y))
            continue;
        int64_t area = Area(s.rect);
        if (area < bestArea) {
            best = (int)i;
            bestArea = area;
        }
    }
    return best;
}
