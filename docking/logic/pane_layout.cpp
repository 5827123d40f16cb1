#include "docking/logic/pane_layout.h"

namespace docking {

PlacementTarget ChoosePlacementTarget(int count, int centre, bool beforeCentre, int barIndex,
                                      bool alone) {
    PlacementTarget t;
    barIndex = std::max(barIndex, 0);
    if (beforeCentre) {
        const int idx = std::min(barIndex, centre);
        t.newBar = idx == centre || alone;
        t.index = idx;
    } else {
        const int idx = std::max(count - 1 - barIndex, centre);
        t.newBar = idx == centre || alone;
        t.index = t.newBar ? idx + 1 : idx;
    }
    return t;
}

int PlacementBarIndex(int count, int centre, int index, bool& beforeCentre) {
    beforeCentre = index < centre;
    return beforeCentre ? index : count - 1 - index;
}

} // namespace docking
