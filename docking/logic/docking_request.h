// The record every docking participant exchanges (sent with WM_USER+1 or
// the registered dock-box message), the placement a pane keeps of where it
// sits, and the explicit 32-bit form in which a placement is stored, so the
// 32-bit and the 64-bit builds read and write the same registry values.
#pragma once

#include <cstdint>

struct HWND__; // the platform's window handle type, declared without the platform headers

namespace docking {

using WindowHandle = HWND__*;

enum DockingCode : int32_t {
    kHitTest = 1,
    kDock = 2,
    kUndock = 3,
    kGetPlacement = 4,
    kDockAtPlacement = 5,
    kClampDragRect = 7,
    kReplacePane = 8,
    kIsDockingBox = 9,
    kShowPane = 10,
    kIsAutoHidden = 11,
    kAutoHide = 12,
};

// Bits of a placement's flags. Bits 0 and 1 together name the frame side.
enum PlacementFlag : int32_t {
    kInnerArea = 0x1,
    kBeforeCentre = 0x2,
    kAloneInBar = 0x4,
    kFloating = 0x8,
    kCurrentTab = 0x10,
    kPinnedAway = 0x20,
    kSideMask = 0x3,
};

// The frame sides, the same numbers as the auto-hide bars' sides.
enum DockSide : int32_t { kSideBottom = 0, kSideRight = 1, kSideTop = 2, kSideLeft = 3 };

struct DockRect {
    int32_t left, top, right, bottom;
};

// The handle-carrying fields are pointer-sized; the values after the code
// stay 32-bit. Which view of the values applies depends on the code.
struct DockingRequest {
    WindowHandle pane = nullptr;
    WindowHandle host = nullptr;
    int32_t code = 0;
    union {
        DockRect rect; // codes 1, 2, 7: the dragged ghost; its top-left is the tested point
        struct {
            int32_t flags;
            union {
                struct {
                    int32_t barIndex;
                    float relativePosition;
                    int32_t barSize;
                    int32_t paneSize;
                } docked;
                DockRect floating; // with kFloating
            };
            int32_t tabIndex;
        } placement;              // codes 4, 5
        WindowHandle replacement; // code 8
        struct {
            int32_t flags;
            int32_t barSize;
            int32_t showNow;
            int32_t paneCount;
            WindowHandle* paneList; // read only when paneCount >= 2
        } autoHide;                 // code 12
        int32_t values[6];
    };

    DockingRequest() : values{} {}
};

// What a pane keeps of where it sits.
struct DockingPlacement {
    DockingRequest request;
    DockRect floating{};
    int32_t docked = 0;  // BOOL
    int32_t visible = 0; // BOOL; the explorer's store keeps bit 1 for the shown page of a box
};

// The twelve values a placement is stored as, each an explicit 32-bit value.
struct PlacementRegistryForm {
    uint32_t isDocked = 0;
    uint32_t dockedSide = 0; // the placement flags
    uint32_t visible = 0;
    uint32_t index = 0;        // tabIndex
    uint32_t dockedBar = 0;    // barIndex, or the floating left
    uint32_t weightBits = 0;   // relativePosition's 4 bytes, or the floating top
    uint32_t dockedWidth = 0;  // barSize, or the floating right
    uint32_t dockedHeight = 0; // paneSize, or the floating bottom
    uint32_t floatingLeft = 0;
    uint32_t floatingTop = 0;
    uint32_t floatingRight = 0;
    uint32_t floatingBottom = 0;
};

PlacementRegistryForm ToRegistryForm(const DockingPlacement& p);
// The handles are not stored: the restored record has none.
DockingPlacement FromRegistryForm(const PlacementRegistryForm& r);

inline int32_t SideOf(int32_t flags) {
    return flags & kSideMask;
}

} // namespace docking
