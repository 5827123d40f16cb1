// The auto-hide bars' arithmetic: how a bar shares its length among its
// entries, which tab of a pinned-away box an offset hits, and the width of
// the icon tabs. Pure, so it is tested natively.
#pragma once

#include <vector>

namespace docking {

constexpr int kAutoHideGap = 5; // between entries on a bar

// The lengths the entries get on a bar `barLength` long: their desired
// lengths while everything fits; otherwise the short ones keep theirs and
// the long ones share what is left, less the gap.
std::vector<int> FitAutoHideLengths(const std::vector<int>& desired, int barLength);

// Whether a bar with these entries paints them at all: each needs at least
// its gap inside the working length.
inline bool AutoHideBarPaints(int count, int workingLength) {
    return count * kAutoHideGap - kAutoHideGap < workingLength;
}

// The tab of a pinned-away box at `offset` along its entry: the icon tabs
// before the active one, the active one, the icon tabs after it. An icon
// tab width of 0 (a very short entry) hits the active tab.
int AutoHideTabAt(int offset, int active, int count, int iconTabWidth, int length);

// The icon-tab width after the entry was given `length`: shrunk to
// length / count when the icon tabs alone would not fit (0 below count).
int AutoHideIconTabWidth(int length, int count, int naturalWidth);

// The active index after the pane at `removed` left a box of `count` panes.
inline int AutoHideActiveAfterRemove(int active, int removed, int count) {
    if (removed < active)
        return active - 1;
    return active >= count - 1 ? count - 2 : active;
}

} // namespace docking
