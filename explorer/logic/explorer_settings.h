// What the explorer window keeps in the registry (its rectangle, bars, view
// mode, splitter positions and the placement of its four panes), the rules
// by which stored values are read back, and the order in which the pane
// layout is rebuilt from them. Pure: the registry is reached through the
// small source interface, so every rule runs in a table test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "docking/logic/docking_request.h"

namespace explorer_settings {

// The panes in the order they are saved and read.
enum Pane : int { kFolders = 0, kProperties = 1, kContents = 2, kMetadata = 3, kPaneCount = 4 };

// "Folders", "Properties", "Contents", "Metadata": the pane's window text and
// the first word of its value names.
const char* PaneName(int pane);

// The twelve values of a pane, in the order SaveSettings writes them.
enum PaneField : int {
    kFieldIsDocked = 0,
    kFieldDockedSide,
    kFieldVisible,
    kFieldIndex,
    kFieldDockedBar,
    kFieldWeight, // REG_BINARY: the float's four bytes
    kFieldDockedWidth,
    kFieldDockedHeight,
    kFieldFloatingLeft,
    kFieldFloatingTop,
    kFieldFloatingRight,
    kFieldFloatingBottom,
    kPaneFieldCount
};

// "FoldersPaneIsDocked", "MetadataPaneWeight", ...
std::string PaneValueName(int pane, int field);

// Bits of a stored pane's visible value.
constexpr int32_t kVisibleShown = 0x1;
constexpr int32_t kVisibleBoxPage = 0x2;

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

struct ExplorerSettings {
    Rect window;
    bool maximized = false;
    bool showToolbar = true;
    bool showAddressBar = true;
    int32_t viewMode = 2; // 1 Filmstrip, 2 Thumbnail, 3 List
    bool showPreview = true;
    int32_t filmstripSplitterPos = 0; // list pane height below the bar, per mode
    int32_t thumbnailSplitterPos = 0;
    docking::DockingPlacement panes[kPaneCount];
};

// The pane's record before anything was stored.
docking::DockingPlacement DefaultPanePlacement(int pane);
// Every setting at its default; thumbnailHeight is the thumbnail height option.
ExplorerSettings DefaultSettings(int32_t thumbnailHeight);

// Where stored values come from. Each read answers false when the value is
// missing or has another type (REG_DWORD, or a REG_BINARY of exactly four
// bytes); the setting then keeps its default.
class ValueSource {
public:
    virtual ~ValueSource() = default;
    virtual bool ReadDword(const char* name, uint32_t& value) = 0;
    virtual bool ReadBinary4(const char* name, uint32_t& bits) = 0;
};

// Reads every setting by its rule: flags are true only for 1, the view mode
// is brought into 1..3, the Filmstrip splitter into H+50 .. 2(H+50); a
// stored "FoldersPaneVisible" of 0 leaves all four panes at their defaults,
// and the Folders pane always comes back shown and docked.
ExplorerSettings ReadSettings(ValueSource& source, int32_t thumbnailHeight);

// One value as SaveSettings writes it.
struct StoredValue {
    std::string name;
    bool binary = false; // REG_BINARY of 4 bytes, else REG_DWORD
    uint32_t value = 0;
};
// Every value in the order it is written.
std::vector<StoredValue> SettingsValues(const ExplorerSettings& settings);

// The window rectangle to start with: the stored one when not maximized,
// not empty and inside the work area; else the whole work area.
Rect StartRect(const ExplorerSettings& settings, const Rect& workArea);

// --- rebuilding the pane layout ---

// The restore order of a docked record: left, top, right, bottom side, then
// bar index, then relative position.
uint32_t PlacementKey(const docking::DockingPlacement& placement);

// One step of the restore, applied to the panes by the frame.
struct RestoreStep {
    enum Kind {
        kApply,         // SetPlacement(record) as it is (floating, hidden)
        kApplyPinned,   // SetPlacement of the pinned record (hidden), pane joins the batch
        kAutoHideBatch, // one AutoHide request: panes, flags, barSize, active
        kDockFirst,     // visible := 1, SetPlacement with host null
        kDockOnto,      // visible := 1, SetPlacement with host = `host` (previous of the stack)
        kShowPage,      // ShowPane {pane = active} sent to `host` (the stack's last pane)
        kApplyHidden,   // a hidden record, applied last
    };
    Kind kind = kApply;
    int pane = -1;
    int host = -1;          // kDockOnto, kShowPage
    std::vector<int> batch; // kAutoHideBatch, in the order added
    int32_t flags = 0;      // kAutoHideBatch
    int32_t barSize = 0;    // kAutoHideBatch
    bool afterShow = false; // kAutoHideBatch: the last batch is sent after the window shows
};

// The steps that rebuild the layout from the four records, in order. The
// records given are those read; the steps name panes by index and the frame
// edits its copies as each step says (pinned records lose their floating
// rectangle and their docked and visible fields).
std::vector<RestoreStep> PlanRestore(const docking::DockingPlacement (&panes)[kPaneCount]);

} // namespace explorer_settings
