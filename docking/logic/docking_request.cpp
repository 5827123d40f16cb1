#include "docking/logic/docking_request.h"

#include <cstring>

namespace docking {

namespace {

uint32_t Bits(int32_t v) {
    return static_cast<uint32_t>(v);
}
int32_t Value(uint32_t v) {
    return static_cast<int32_t>(v);
}

} // namespace

PlacementRegistryForm ToRegistryForm(const DockingPlacement& p) {
    PlacementRegistryForm r;
    const auto& pl = p.request.placement;
    r.isDocked = Bits(p.docked);
    r.dockedSide = Bits(pl.flags);
    r.visible = Bits(p.visible);
    r.index = Bits(pl.tabIndex);
    // The four middle values are stored as they are, whichever view holds.
    r.dockedBar = Bits(pl.docked.barIndex);
    std::memcpy(&r.weightBits, &pl.docked.relativePosition, sizeof(r.weightBits));
    r.dockedWidth = Bits(pl.docked.barSize);
    r.dockedHeight = Bits(pl.docked.paneSize);
    r.floatingLeft = Bits(p.floating.left);
    r.floatingTop = Bits(p.floating.top);
    r.floatingRight = Bits(p.floating.right);
    r.floatingBottom = Bits(p.floating.bottom);
    return r;
}

DockingPlacement FromRegistryForm(const PlacementRegistryForm& r) {
    DockingPlacement p;
    p.request.code = kDockAtPlacement;
    auto& pl = p.request.placement;
    p.docked = Value(r.isDocked);
    pl.flags = Value(r.dockedSide);
    p.visible = Value(r.visible);
    pl.tabIndex = Value(r.index);
    pl.docked.barIndex = Value(r.dockedBar);
    std::memcpy(&pl.docked.relativePosition, &r.weightBits, sizeof(r.weightBits));
    pl.docked.barSize = Value(r.dockedWidth);
    pl.docked.paneSize = Value(r.dockedHeight);
    p.floating = DockRect{Value(r.floatingLeft), Value(r.floatingTop), Value(r.floatingRight),
                          Value(r.floatingBottom)};
    return p;
}

} // namespace docking
