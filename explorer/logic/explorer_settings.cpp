#include "explorer/logic/explorer_settings.h"

#include <algorithm>

namespace explorer_settings {

namespace {

const char* const kPaneNames[kPaneCount] = {"Folders", "Properties", "Contents", "Metadata"};

const char* const kFieldNames[kPaneFieldCount] = {
    "PaneIsDocked",     "PaneDockedSide",  "PaneVisible",       "PaneIndex",
    "PaneDockedBar",    "PaneWeight",      "PaneDockedWidth",   "PaneDockedHeight",
    "PaneFloatingLeft", "PaneFloatingTop", "PaneFloatingRight", "PaneFloatingBottom",
};

struct PaneDefaults {
    int32_t visible, side, index;
    float weight;
    int32_t height, floatingBottom;
};
const PaneDefaults kPaneDefaults[kPaneCount] = {
    {1, 3, 0, 0.0f, 250, 600},  // Folders
    {1, 19, 0, 0.7f, 200, 450}, // Properties: the current page of its box
    {0, 3, 0, 0.3f, 200, 500},  // Contents
    {1, 3, 1, 0.7f, 200, 450},  // Metadata: shares the Properties box
};

uint32_t* FieldOf(docking::PlacementRegistryForm& r, int field) {
    uint32_t* const fields[kPaneFieldCount] = {
        &r.isDocked,     &r.dockedSide,  &r.visible,       &r.index,
        &r.dockedBar,    &r.weightBits,  &r.dockedWidth,   &r.dockedHeight,
        &r.floatingLeft, &r.floatingTop, &r.floatingRight, &r.floatingBottom,
    };
    return fields[field];
}

bool ReadFlag(ValueSource& source, const char* name, bool fallback) {
    uint32_t v = 0;
    return source.ReadDword(name, v) ? v == 1 : fallback;
}

docking::DockingPlacement ReadPane(ValueSource& source, int pane) {
    docking::PlacementRegistryForm form = docking::ToRegistryForm(DefaultPanePlacement(pane));
    for (int field = 0; field < kPaneFieldCount; ++field) {
        const std::string name = PaneValueName(pane, field);
        uint32_t v = 0;
        const bool found = field == kFieldWeight ? source.ReadBinary4(name.c_str(), v)
                                                 : source.ReadDword(name.c_str(), v);
        if (!found)
            continue;
        // Docked is a flag; every other value is kept as stored.
        *FieldOf(form, field) = field == kFieldIsDocked ? (v == 1 ? 1u : 0u) : v;
    }
    return docking::FromRegistryForm(form);
}

} // namespace

const char* PaneName(int pane) {
    return pane >= 0 && pane < kPaneCount ? kPaneNames[pane] : "";
}

std::string PaneValueName(int pane, int field) {
    if (field < 0 || field >= kPaneFieldCount)
        return std::string();
    return std::string(PaneName(pane)) + kFieldNames[field];
}

docking::DockingPlacement DefaultPanePlacement(int pane) {
    const PaneDefaults& d = kPaneDefaults[pane >= 0 && pane < kPaneCount ? pane : 0];
    docking::DockingPlacement p;
    p.request.code = docking::kDockAtPlacement;
    auto& pl = p.request.placement;
    pl.flags = d.side;
    pl.docked.barIndex = 0;
    pl.docked.relativePosition = d.weight;
    pl.docked.barSize = 200;
    pl.docked.paneSize = d.height;
    pl.tabIndex = d.index;
    p.floating = docking::DockRect{250, 250, 500, d.floatingBottom};
    p.docked = 1;
    p.visible = d.visible;
    return p;
}

ExplorerSettings DefaultSettings(int32_t thumbnailHeight) {
    ExplorerSettings s;
    s.filmstripSplitterPos = thumbnailHeight + 50;
    s.thumbnailSplitterPos = 2 * thumbnailHeight + 100;
    for (int pane = 0; pane < kPaneCount; ++pane)
        s.panes[pane] = DefaultPanePlacement(pane);
    return s;
}

ExplorerSettings ReadSettings(ValueSource& source, int32_t thumbnailHeight) {
    ExplorerSettings s = DefaultSettings(thumbnailHeight);
    uint32_t v = 0;
    if (source.ReadDword("ExplorerLeft", v))
        s.window.left = static_cast<int32_t>(v);
    if (source.ReadDword("ExplorerTop", v))
        s.window.top = static_cast<int32_t>(v);
    if (source.ReadDword("ExplorerRight", v))
        s.window.right = static_cast<int32_t>(v);
    if (source.ReadDword("ExplorerBottom", v))
        s.window.bottom = static_cast<int32_t>(v);
    s.maximized = ReadFlag(source, "ExplorerMaximized", false);
    s.showToolbar = ReadFlag(source, "ExplorerShowToolbar", true);
    s.showAddressBar = ReadFlag(source, "ExplorerShowAddressBar", true);
    if (source.ReadDword("ExplorerShowViewMode", v)) {
        const int32_t mode = static_cast<int32_t>(v);
        s.viewMode = mode < 2 ? 1 : mode > 2 ? 3 : 2;
    }
    s.showPreview = ReadFlag(source, "ExplorerThumbnailModeShowPreview", true);
    const int32_t low = thumbnailHeight + 50;
    if (source.ReadDword("FilmstripPaneSplitterPos", v))
        s.filmstripSplitterPos = std::clamp(static_cast<int32_t>(v), low, 2 * low);
    if (source.ReadDword("ThumbnailPaneSplitterPos", v))
        s.thumbnailSplitterPos = static_cast<int32_t>(v);

    // A Folders pane stored as hidden brings back the whole default layout.
    const std::string foldersVisible = PaneValueName(kFolders, kFieldVisible);
    if (!source.ReadDword(foldersVisible.c_str(), v) || v != 0) {
        for (int pane = 0; pane < kPaneCount; ++pane)
            s.panes[pane] = ReadPane(source, pane);
    }
    s.panes[kFolders].visible = 1;
    s.panes[kFolders].docked = 1;
    return s;
}

std::vector<StoredValue> SettingsValues(const ExplorerSettings& s) {
    auto dword = [](const char* name, int64_t value) {
        return StoredValue{name, false, static_cast<uint32_t>(value)};
    };
    std::vector<StoredValue> values = {
        dword("ExplorerLeft", s.window.left),
        dword("ExplorerTop", s.window.top),
        dword("ExplorerRight", s.window.right),
        dword("ExplorerBottom", s.window.bottom),
        dword("ExplorerMaximized", s.maximized ? 1 : 0),
        dword("FilmstripPaneSplitterPos", s.filmstripSplitterPos),
        dword("ThumbnailPaneSplitterPos", s.thumbnailSplitterPos),
        dword("ExplorerShowToolbar", s.showToolbar ? 1 : 0),
        dword("ExplorerShowAddressBar", s.showAddressBar ? 1 : 0),
        dword("ExplorerShowViewMode", s.viewMode),
        dword("ExplorerThumbnailModeShowPreview", s.showPreview ? 1 : 0),
    };
    for (int pane = 0; pane < kPaneCount; ++pane) {
        docking::PlacementRegistryForm form = docking::ToRegistryForm(s.panes[pane]);
        for (int field = 0; field < kPaneFieldCount; ++field)
            values.push_back(StoredValue{PaneValueName(pane, field), field == kFieldWeight,
                                         *FieldOf(form, field)});
    }
    return values;
}

Rect StartRect(const ExplorerSettings& s, const Rect& work) {
    const Rect& r = s.window;
    const bool empty = r.right <= r.left || r.bottom <= r.top;
    const bool inside =
        r.left >= 0 && r.top >= 0 && r.right <= work.right && r.bottom <= work.bottom;
    return !s.maximized && !empty && inside ? r : work;
}

uint32_t PlacementKey(const docking::DockingPlacement& p) {
    const auto& pl = p.request.placement;
    const uint32_t notFlags = ~static_cast<uint32_t>(pl.flags);
    const uint32_t bar = static_cast<uint32_t>(pl.docked.barIndex) & 0x3FFFu;
    // Truncated like the conversion of a float to an int; a position outside
    // 0..1 (a damaged value) must not be undefined behaviour.
    const float scaled = pl.docked.relativePosition * 65535.0f;
    const uint32_t rel = scaled >= 0.0f && scaled < 65536.0f ? static_cast<uint32_t>(scaled) : 0u;
    return (((notFlags << 14) | bar) << 16) | (rel & 0xFFFFu);
}

std::vector<RestoreStep> PlanRestore(const docking::DockingPlacement (&panes)[kPaneCount]) {
    std::vector<RestoreStep> steps;
    std::vector<int> docked;
    for (int pane = 0; pane < kPaneCount; ++pane) {
        if (!panes[pane].docked) {
            RestoreStep step;
            step.kind = RestoreStep::kApply;
            step.pane = pane;
            steps.push_back(step);
        } else {
            docked.push_back(pane);
        }
    }
    // Smallest key first; equal keys keep their tab order.
    std::stable_sort(docked.begin(), docked.end(), [&](int a, int b) {
        const uint32_t ka = PlacementKey(panes[a]), kb = PlacementKey(panes[b]);
        if (ka != kb)
            return ka < kb;
        return panes[a].request.placement.tabIndex < panes[b].request.placement.tabIndex;
    });

    RestoreStep batch;
    batch.kind = RestoreStep::kAutoHideBatch;
    int batchActive = -1;
    auto closeBatch = [&](bool afterShow) {
        if (batch.batch.empty())
            return;
        batch.pane = batchActive >= 0 ? batchActive : batch.batch.front();
        batch.afterShow = afterShow;
        steps.push_back(batch);
        batch.batch.clear();
        batchActive = -1;
    };

    int stackLast = -1, stackActive = -1;
    uint32_t stackKey = 0;
    auto closeStack = [&] {
        if (stackLast >= 0 && stackActive >= 0) {
            RestoreStep step;
            step.kind = RestoreStep::kShowPage;
            step.pane = stackActive;
            step.host = stackLast;
            steps.push_back(step);
        }
        stackLast = stackActive = -1;
    };

    for (int pane : docked) {
        const docking::DockingPlacement& p = panes[pane];
        if (p.visible == 0)
            continue;
        const int32_t flags = p.request.placement.flags;
        if ((flags & docking::kPinnedAway) && !(flags & docking::kFloating)) {
            if (!batch.batch.empty()) {
                const docking::DockingPlacement& first = panes[batch.batch.back()];
                if (docking::SideOf(first.request.placement.flags) != docking::SideOf(flags) ||
                    first.request.placement.docked.barIndex != p.request.placement.docked.barIndex)
                    closeBatch(false);
            }
            RestoreStep step;
            step.kind = RestoreStep::kApplyPinned;
            step.pane = pane;
            steps.push_back(step);
            batch.batch.push_back(pane);
            batch.flags = flags;
            if (flags & docking::kCurrentTab) {
                batchActive = pane;
                batch.barSize = p.request.placement.docked.barSize;
            } else if (batchActive < 0) {
                batch.barSize = p.request.placement.docked.barSize;
            }
            continue;
        }
        const uint32_t masked = PlacementKey(p) & ~0x1FFu;
        if (stackLast >= 0 && masked != stackKey)
            closeStack();
        RestoreStep step;
        step.pane = pane;
        if (stackLast < 0) {
            step.kind = RestoreStep::kDockFirst;
            stackKey = masked;
        } else {
            step.kind = RestoreStep::kDockOnto;
            step.host = stackLast;
        }
        steps.push_back(step);
        stackLast = pane;
        if (flags & docking::kCurrentTab)
            stackActive = pane;
    }
    closeStack();

    for (int pane = 0; pane < kPaneCount; ++pane) {
        if (panes[pane].docked && panes[pane].visible == 0) {
            RestoreStep step;
            step.kind = RestoreStep::kApplyHidden;
            step.pane = pane;
            steps.push_back(step);
        }
    }
    closeBatch(true);
    return steps;
}

} // namespace explorer_settings
