// The save option dialogs' rules: stored values as the controls show them,
// and what Save Images enables for each choice.
#include "tools/logic/save_options.h"

#include <gtest/gtest.h>

namespace {

using namespace tools_logic;

TEST(SaveOptionValues, OutOfRangeStoredValuesOpenAsTheFirstChoice) {
    struct Case {
        int stored, checkBox, selection;
    } cases[] = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 0, 0}, {-1, 0, 0}, {0x7FFFFFFF, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(CheckBoxState(c.stored), c.checkBox) << c.stored;
        EXPECT_EQ(SaveImagesSelectionFor(c.stored), c.selection) << c.stored;
    }
    EXPECT_EQ(kDefaultJpegValues.quality, 75);
    EXPECT_EQ(kDefaultJpegValues.optimize, 1);
    EXPECT_EQ(kDefaultJpegValues.formatIndex, 0);
    EXPECT_EQ(kDefaultJpegValues.metadata, 1);
}

TEST(SaveImagesEnabling, TheFolderControlsFollowTheThirdChoiceUnlessAlwaysReplacing) {
    struct Case {
        int selection;
        bool always;
        SaveImagesEnabling expected;
    } cases[] = {
        {kSaveReplace, false, {true, true, false}},   {kSaveRename, false, {true, true, false}},
        {kSaveToFolder, false, {true, true, true}},   {kSaveReplace, true, {false, false, false}},
        {kSaveToFolder, true, {false, false, false}},
    };
    for (const Case& c : cases) {
        const SaveImagesEnabling e = SaveImagesEnablingFor(c.selection, c.always);
        EXPECT_EQ(e.rename, c.expected.rename) << c.selection << c.always;
        EXPECT_EQ(e.toFolder, c.expected.toFolder) << c.selection << c.always;
        EXPECT_EQ(e.location, c.expected.location) << c.selection << c.always;
    }
}

} // namespace
