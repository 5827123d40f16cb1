#include "viewer/logic/arrange_geometry.h"

#include <cmath>

namespace viewer {

namespace {

int CeilDiv(int a, int b) {
    return (a + b - 1) / b;
}

} // namespace

ArrangeShape ComputeArrangeShape(int n, int k, char mode) {
    ArrangeShape shape;
    if (n < 1)
        return shape;
    if (mode == kArrangeGrid || (k > 0 && k < n)) {
        if (mode == kArrangeRows) {
            shape.columns = k;
            shape.rows = CeilDiv(n, k);
        } else if (mode == kArrangeColumns) {
            shape.rows = k;
            shape.columns = CeilDiv(n, k);
        } else if (n == 3) {
            shape.rows = 2;
            shape.columns = 2;
        } else {
            // Integer square root, so that 4, 9, 16 ... give exact squares.
            int rows = (int)std::sqrt((double)n);
            while ((rows + 1) * (rows + 1) <= n)
                ++rows;
            while (rows * rows > n)
                --rows;
            shape.rows = rows < 1 ? 1 : rows;
            shape.columns = CeilDiv(n, shape.rows);
        }
        return shape;
    }
    if (mode == kArrangeRows) {
        shape.singleRow = true;
        shape.rows = 1;
        shape.columns = n;
    } else {
        shape.singleColumn = true;
        shape.rows = n;
        shape.columns = 1;
    }
    return shape;
}

std::vector<WindowPlace> ArrangeViewerPlaces(int n, int k, char mode, const ScreenRect& work) {
    std::vector<WindowPlace> places;
    if (n < 2)
        return places;
    ArrangeShape shape = ComputeArrangeShape(n, k, mode);
    int width = work.right - work.left;
    int height = work.bottom - work.top;
    int cellWidth = width / shape.columns;
    int cellHeight = height / shape.rows;
    places.reserve((size_t)n);
    for (int i = 0; i < n; ++i) {
        WindowPlace place;
        if (shape.singleRow) {
            place = {work.left + i * cellWidth, work.top, cellWidth, height};
        } else if (shape.singleColumn) {
            place = {work.left, work.top + i * cellHeight, width, cellHeight};
        } else {
            int row = i / shape.columns;
            int column = i % shape.columns;
            place = {work.left + column * cellWidth, work.top + row * cellHeight, cellWidth,
                     cellHeight};
        }
        places.push_back(place);
    }
    return places;
}

bool UseSavedViewerRect(const ScreenRect& saved, bool maximized, const ScreenRect& work) {
    if (maximized)
        return false;
    if (saved.right <= saved.left || saved.bottom <= saved.top)
        return false;
    if (saved.left < work.left || saved.top < work.top)
        return false;
    if (saved.right > work.right || saved.bottom > work.bottom)
        return false;
    return true;
}

} // namespace viewer
