// The explorer's stored settings: defaults, the read rules of each value,
// the value names and types as written, and the order in which the pane
// layout is rebuilt.
#include "explorer/logic/explorer_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

namespace {

using namespace explorer_settings;
using docking::DockingPlacement;

// A registry key held in memory: a value is a DWORD or a 4-byte binary.
class MemorySource : public ValueSource {
public:
    std::map<std::string, uint32_t> dwords;
    std::map<std::string, uint32_t> binaries;

    bool ReadDword(const char* name, uint32_t& value) override {
        auto it = dwords.find(name);
        if (it == dwords.end())
            return false;
        value = it->second;
        return true;
    }
    bool ReadBinary4(const char* name, uint32_t& bits) override {
        auto it = binaries.find(name);
        if (it == binaries.end())
            return false;
        bits = it->second;
        return true;
    }
    void Store(const std::vector<StoredValue>& values) {
        for (const StoredValue& v : values)
            (v.binary ? binaries : dwords)[v.name] = v.value;
    }
};

uint32_t FloatBits(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof(bits));
    return bits;
}

TEST(ExplorerSettings, AnEmptyKeyGivesTheDefaultsOfEveryValueAndPane) {
    MemorySource empty;
    const ExplorerSettings s = ReadSettings(empty, 100);
    EXPECT_EQ(Rect{}, s.window);
    EXPECT_FALSE(s.maximized);
    EXPECT_TRUE(s.showToolbar);
    EXPECT_TRUE(s.showAddressBar);
    EXPECT_EQ(2, s.viewMode);
    EXPECT_TRUE(s.showPreview);
    EXPECT_EQ(150, s.filmstripSplitterPos);
    EXPECT_EQ(300, s.thumbnailSplitterPos);

    struct Pane {
        int visible, docked, side, index, bar;
        float weight;
        int width, height, fl, ft, fr, fb;
    } expected[kPaneCount] = {
        {1, 1, 3, 0, 0, 0.0f, 200, 250, 250, 250, 500, 600},
        {1, 1, 19, 0, 0, 0.7f, 200, 200, 250, 250, 500, 450},
        {0, 1, 3, 0, 0, 0.3f, 200, 200, 250, 250, 500, 500},
        {1, 1, 3, 1, 0, 0.7f, 200, 200, 250, 250, 500, 450},
    };
    for (int pane = 0; pane < kPaneCount; ++pane) {
        const DockingPlacement& p = s.panes[pane];
        const Pane& e = expected[pane];
        const auto& pl = p.request.placement;
        SCOPED_TRACE(PaneName(pane));
        EXPECT_EQ(e.visible, p.visible);
        EXPECT_EQ(e.docked, p.docked);
        EXPECT_EQ(e.side, pl.flags);
        EXPECT_EQ(e.index, pl.tabIndex);
        EXPECT_EQ(e.bar, pl.docked.barIndex);
        EXPECT_FLOAT_EQ(e.weight, pl.docked.relativePosition);
        EXPECT_EQ(e.width, pl.docked.barSize);
        EXPECT_EQ(e.height, pl.docked.paneSize);
        EXPECT_EQ(e.fl, p.floating.left);
        EXPECT_EQ(e.ft, p.floating.top);
        EXPECT_EQ(e.fr, p.floating.right);
        EXPECT_EQ(e.fb, p.floating.bottom);
    }
}

TEST(ExplorerSettings, StoredValuesAreTakenByTheirReadRules) {
    struct Case {
        const char* name;
        const char* value;
        uint32_t stored;
        int expected;
        int (*field)(const ExplorerSettings&);
    };
    auto mode = [](const ExplorerSettings& s) { return int(s.viewMode); };
    auto film = [](const ExplorerSettings& s) { return int(s.filmstripSplitterPos); };
    auto thumb = [](const ExplorerSettings& s) { return int(s.thumbnailSplitterPos); };
    auto toolbar = [](const ExplorerSettings& s) { return int(s.showToolbar); };
    auto maximized = [](const ExplorerSettings& s) { return int(s.maximized); };
    auto preview = [](const ExplorerSettings& s) { return int(s.showPreview); };
    const Case cases[] = {
        {"a view mode below 2 becomes Filmstrip", "ExplorerShowViewMode", 0, 1, mode},
        {"a negative view mode becomes Filmstrip", "ExplorerShowViewMode", 0xFFFFFFFF, 1, mode},
        {"view mode 2 stays Thumbnail", "ExplorerShowViewMode", 2, 2, mode},
        {"a view mode above 2 becomes List", "ExplorerShowViewMode", 7, 3, mode},
        {"a filmstrip pane below H+50 is raised", "FilmstripPaneSplitterPos", 10, 150, film},
        {"a filmstrip pane above 2(H+50) is cut", "FilmstripPaneSplitterPos", 1000, 300, film},
        {"a filmstrip pane in range is kept", "FilmstripPaneSplitterPos", 222, 222, film},
        {"the thumbnail pane is taken as stored", "ThumbnailPaneSplitterPos", 7, 7, thumb},
        {"a flag of 2 is false", "ExplorerShowToolbar", 2, 0, toolbar},
        {"a flag of 0 is false", "ExplorerShowToolbar", 0, 0, toolbar},
        {"maximized only for 1", "ExplorerMaximized", 1, 1, maximized},
        {"maximized 5 is not maximized", "ExplorerMaximized", 5, 0, maximized},
        {"the preview hidden", "ExplorerThumbnailModeShowPreview", 0, 0, preview},
    };
    for (const Case& c : cases) {
        MemorySource source;
        source.dwords[c.value] = c.stored;
        EXPECT_EQ(c.expected, c.field(ReadSettings(source, 100))) << c.name;
    }
}

TEST(ExplorerSettings, AValueOfTheWrongTypeKeepsTheDefault) {
    MemorySource source;
    // The weight as a DWORD, the view mode as binary: both ignored.
    source.dwords["PropertiesPaneWeight"] = FloatBits(0.2f);
    source.binaries["ExplorerShowViewMode"] = 3;
    const ExplorerSettings s = ReadSettings(source, 100);
    EXPECT_FLOAT_EQ(0.7f, s.panes[kProperties].request.placement.docked.relativePosition);
    EXPECT_EQ(2, s.viewMode);
    source.binaries["PropertiesPaneWeight"] = FloatBits(0.25f);
    EXPECT_FLOAT_EQ(
        0.25f,
        ReadSettings(source, 100).panes[kProperties].request.placement.docked.relativePosition);
}

TEST(ExplorerSettings, AHiddenFoldersPaneBringsBackTheDefaultLayoutWithFoldersShown) {
    MemorySource source;
    source.dwords["FoldersPaneVisible"] = 0;
    source.dwords["FoldersPaneIsDocked"] = 0;
    source.dwords["ContentsPaneVisible"] = 1;
    source.dwords["MetadataPaneDockedWidth"] = 333;
    ExplorerSettings s = ReadSettings(source, 100);
    EXPECT_EQ(0, s.panes[kContents].visible) << "no other pane value is read";
    EXPECT_EQ(200, s.panes[kMetadata].request.placement.docked.barSize);
    EXPECT_EQ(1, s.panes[kFolders].visible);
    EXPECT_EQ(1, s.panes[kFolders].docked);

    // Any other stored visible value reads every pane; Folders still comes
    // back shown and docked.
    source.dwords["FoldersPaneVisible"] = 3;
    s = ReadSettings(source, 100);
    EXPECT_EQ(1, s.panes[kContents].visible);
    EXPECT_EQ(333, s.panes[kMetadata].request.placement.docked.barSize);
    EXPECT_EQ(1, s.panes[kFolders].visible);
    EXPECT_EQ(1, s.panes[kFolders].docked);
}

TEST(ExplorerSettings, ValuesAreWrittenInTheirOrderWithTheWeightAsBinary) {
    ExplorerSettings s = DefaultSettings(100);
    s.window = Rect{10, 20, 810, 620};
    const std::vector<StoredValue> values = SettingsValues(s);
    ASSERT_EQ(11u + 4u * 12u, values.size());
    const char* const head[] = {"ExplorerLeft",
                                "ExplorerTop",
                                "ExplorerRight",
                                "ExplorerBottom",
                                "ExplorerMaximized",
                                "FilmstripPaneSplitterPos",
                                "ThumbnailPaneSplitterPos",
                                "ExplorerShowToolbar",
                                "ExplorerShowAddressBar",
                                "ExplorerShowViewMode",
                                "ExplorerThumbnailModeShowPreview"};
    for (size_t i = 0; i < 11; ++i) {
        EXPECT_EQ(head[i], values[i].name);
        EXPECT_FALSE(values[i].binary) << head[i];
    }
    EXPECT_EQ(810u, values[2].value);
    const char* const folders[] = {
        "FoldersPaneIsDocked",    "FoldersPaneDockedSide",    "FoldersPaneVisible",
        "FoldersPaneIndex",       "FoldersPaneDockedBar",     "FoldersPaneWeight",
        "FoldersPaneDockedWidth", "FoldersPaneDockedHeight",  "FoldersPaneFloatingLeft",
        "FoldersPaneFloatingTop", "FoldersPaneFloatingRight", "FoldersPaneFloatingBottom"};
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(folders[i], values[11 + i].name);
        EXPECT_EQ(i == 5, values[11 + i].binary) << folders[i];
    }
    EXPECT_EQ("PropertiesPaneIsDocked", values[23].name);
    EXPECT_EQ("MetadataPaneFloatingBottom", values.back().name);
    EXPECT_EQ(FloatBits(0.7f), values[23 + 5].value) << "the float's own four bytes";
}

TEST(ExplorerSettings, WhatIsWrittenReadsBackTheSame) {
    ExplorerSettings s = DefaultSettings(100);
    s.window = Rect{5, 6, 700, 500};
    s.viewMode = 3;
    s.showAddressBar = false;
    s.filmstripSplitterPos = 180;
    s.thumbnailSplitterPos = 260;
    s.panes[kContents].visible = 1;
    s.panes[kMetadata].docked = 0;
    s.panes[kMetadata].request.placement.flags = docking::kFloating;
    s.panes[kMetadata].request.placement.floating = docking::DockRect{40, 50, 340, 450};
    s.panes[kProperties].visible = kVisibleShown | kVisibleBoxPage;
    MemorySource source;
    source.Store(SettingsValues(s));
    const ExplorerSettings back = ReadSettings(source, 100);
    EXPECT_EQ(s.window, back.window);
    EXPECT_EQ(3, back.viewMode);
    EXPECT_FALSE(back.showAddressBar);
    EXPECT_EQ(180, back.filmstripSplitterPos);
    EXPECT_EQ(260, back.thumbnailSplitterPos);
    for (int pane = 0; pane < kPaneCount; ++pane) {
        SCOPED_TRACE(PaneName(pane));
        const docking::PlacementRegistryForm written = docking::ToRegistryForm(s.panes[pane]);
        const docking::PlacementRegistryForm read = docking::ToRegistryForm(back.panes[pane]);
        EXPECT_EQ(0, std::memcmp(&written, &read, sizeof(written)));
    }
}

TEST(ExplorerSettings, TheWindowStartsAtItsRectangleOnlyWhenItFitsTheWorkArea) {
    const Rect work{0, 0, 1024, 740};
    struct Case {
        const char* name;
        Rect stored;
        bool maximized;
        Rect expected;
    } cases[] = {
        {"inside", {10, 10, 810, 610}, false, {10, 10, 810, 610}},
        {"the whole work area exactly", {0, 0, 1024, 740}, false, {0, 0, 1024, 740}},
        {"beyond the right edge", {300, 10, 1100, 610}, false, work},
        {"beyond the bottom", {10, 10, 810, 741}, false, work},
        {"left of the screen", {-5, 10, 800, 600}, false, work},
        {"empty", {100, 100, 100, 400}, false, work},
        {"nothing stored", {0, 0, 0, 0}, false, work},
        {"maximized", {10, 10, 810, 610}, true, work},
    };
    for (const Case& c : cases) {
        ExplorerSettings s = DefaultSettings(100);
        s.window = c.stored;
        s.maximized = c.maximized;
        EXPECT_EQ(c.expected, StartRect(s, work)) << c.name;
    }
}

TEST(ExplorerSettings, KeysOrderSidesLeftTopRightBottomThenBarThenPosition) {
    auto at = [](int flags, int bar, float rel) {
        DockingPlacement p;
        p.request.placement.flags = flags;
        p.request.placement.docked.barIndex = bar;
        p.request.placement.docked.relativePosition = rel;
        return PlacementKey(p);
    };
    EXPECT_EQ(0u, at(3, 0, 0.0f));
    EXPECT_EQ(45874u, at(3 | docking::kCurrentTab, 0, 0.7f)) << "0.7 x 65535 truncated";
    EXPECT_LT(at(3, 5, 0.9f), at(2, 0, 0.0f)) << "left before top";
    EXPECT_LT(at(2, 0, 0.0f), at(1, 0, 0.0f)) << "top before right";
    EXPECT_LT(at(1, 0, 0.0f), at(0, 0, 0.0f)) << "right before bottom";
    EXPECT_LT(at(3, 0, 0.9f), at(3, 1, 0.0f)) << "bar before position";
    EXPECT_LT(at(3, 0, 0.2f), at(3, 0, 0.3f));
    EXPECT_EQ(at(3, 0, 0.0f), at(3, 0, -4.0f)) << "a damaged position counts as 0";
    EXPECT_EQ(at(3, 0, 0.0f), at(3, 0, 1e30f));
}

TEST(ExplorerSettings, TheDefaultLayoutDocksFoldersThenThePropertiesBoxAndLeavesContentsHidden) {
    const ExplorerSettings s = DefaultSettings(100);
    const std::vector<RestoreStep> steps = PlanRestore(s.panes);
    struct Expected {
        RestoreStep::Kind kind;
        int pane, host;
    } expected[] = {
        {RestoreStep::kDockFirst, kFolders, -1},
        {RestoreStep::kDockFirst, kProperties, -1},
        {RestoreStep::kDockOnto, kMetadata, kProperties},
        {RestoreStep::kShowPage, kProperties, kMetadata},
        {RestoreStep::kApplyHidden, kContents, -1},
    };
    ASSERT_EQ(std::size(expected), steps.size());
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(expected[i].kind, steps[i].kind) << i;
        EXPECT_EQ(expected[i].pane, steps[i].pane) << i;
        EXPECT_EQ(expected[i].host, steps[i].host) << i;
    }
}

TEST(ExplorerSettings, FloatingPanesComeFirstAndPinnedPanesGoInOneBatchPerBar) {
    ExplorerSettings s = DefaultSettings(100);
    // Folders floats; Properties and Metadata are pinned to the right bar,
    // Metadata the active one; Contents is docked at the bottom.
    s.panes[kFolders].docked = 0;
    s.panes[kFolders].request.placement.flags = docking::kFloating;
    s.panes[kProperties].request.placement.flags = 1 | docking::kPinnedAway;
    s.panes[kProperties].request.placement.docked.barSize = 150;
    s.panes[kMetadata].request.placement.flags = 1 | docking::kPinnedAway | docking::kCurrentTab;
    s.panes[kMetadata].request.placement.docked.barSize = 170;
    s.panes[kContents].visible = 1;
    s.panes[kContents].request.placement.flags = 0;
    const std::vector<RestoreStep> steps = PlanRestore(s.panes);
    ASSERT_EQ(5u, steps.size());
    EXPECT_EQ(RestoreStep::kApply, steps[0].kind);
    EXPECT_EQ(kFolders, steps[0].pane);
    EXPECT_EQ(RestoreStep::kApplyPinned, steps[1].kind);
    EXPECT_EQ(RestoreStep::kApplyPinned, steps[2].kind);
    EXPECT_EQ(RestoreStep::kDockFirst, steps[3].kind);
    EXPECT_EQ(kContents, steps[3].pane) << "bottom comes after right";
    const RestoreStep& batch = steps[4];
    EXPECT_EQ(RestoreStep::kAutoHideBatch, batch.kind);
    EXPECT_TRUE(batch.afterShow) << "the last batch waits until the window shows";
    EXPECT_EQ((std::vector<int>{kProperties, kMetadata}), batch.batch);
    EXPECT_EQ(kMetadata, batch.pane) << "the active page leads the entry";
    EXPECT_EQ(170, batch.barSize);
    EXPECT_EQ(1 | docking::kPinnedAway | docking::kCurrentTab, batch.flags);

    // Pinned to different sides: two batches, the first sent at once.
    s.panes[kProperties].request.placement.flags = 3 | docking::kPinnedAway;
    const std::vector<RestoreStep> two = PlanRestore(s.panes);
    int batches = 0;
    for (const RestoreStep& step : two) {
        if (step.kind != RestoreStep::kAutoHideBatch)
            continue;
        ++batches;
        EXPECT_EQ(1u, step.batch.size());
        EXPECT_EQ(step.batch.front(), step.pane) << "without an active page the first leads";
    }
    EXPECT_EQ(2, batches);
    EXPECT_FALSE(two[2].afterShow);
}

} // namespace
