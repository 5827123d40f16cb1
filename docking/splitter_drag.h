// The splitter drag that docking bars and the frame's docking areas share:
// a strip of a pane layout follows the mouse, with a ghost bar (outline
// drag) or with the panes moving live (full-window drag).
#pragma once

#include <windows.h>

#include <functional>

#include "docking/logic/pane_layout.h"

namespace docking {

// The axis coordinate of a point in a layout of that orientation.
inline int AxisOf(int orientation, POINT pt) {
    return orientation == 1 ? pt.x : pt.y;
}

// The strip of entry `index` across `rect`, in the window's client coordinates.
RECT StripRect(int orientation, const RECT& rect, int position);

// Runs the drag of the strip under `pt` (client coordinates of `window`):
// `layout` holds the positions, `rect` is the layout's rectangle across
// which the strip runs, `moveSplitter(index, position)` moves a strip and
// lays the windows out. True when a strip was hit and the drag was not
// cancelled.
template <class Entry>
bool RunSplitterDrag(HWND window, PaneLayout<Entry>& layout, const RECT& rect, POINT pt,
                     bool outline, const std::function<void(int, int)>& moveSplitter);

// The non-template part: the loop itself, over the strip's range.
bool RunSplitterDragLoop(HWND window, int orientation, const RECT& rect, int index, int position,
                         int grab, int low, int high, bool outline,
                         const std::function<void(int, int)>& moveSplitter);

template <class Entry>
bool RunSplitterDrag(HWND window, PaneLayout<Entry>& layout, const RECT& rect, POINT pt,
                     bool outline, const std::function<void(int, int)>& moveSplitter) {
    const int c = AxisOf(layout.Orientation(), pt);
    const int index = layout.SplitterAt(c);
    if (index <= 0)
        return false; // the first strip lies outside the rectangle
    const auto range = layout.SplitterRange(index);
    const int position = layout.PositionAt(index);
    return RunSplitterDragLoop(window, layout.Orientation(), rect, index, position, c - position,
                               range.first, range.second, outline, moveSplitter);
}

} // namespace docking
