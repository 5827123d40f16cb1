// The option pages' rules without windows: the change codes, the typed
// slide-show delay, the format rows, reconciling shortcuts and associations
// with their check boxes, and an editor's title from its path.
#include "config/logic/option_rules.h"

#include <gtest/gtest.h>

#include <set>

using namespace config_rules;

TEST(OptionRules, ExplorerPageSendsTheSizeOrElseTheSpacingCodeThenThePreviewCount) {
    const ThumbnailLayout base{100, 100, 10, 20, 4};
    struct Case {
        const char* what;
        ThumbnailLayout after;
        std::vector<uint32_t> codes;
    } cases[] = {
        {"nothing changed sends nothing", base, {}},
        {"spacing only", {100, 100, 12, 20, 4}, {3}},
        {"vertical spacing only", {100, 100, 10, 0, 4}, {3}},
        {"size and spacing send the size code only", {120, 100, 0, 0, 4}, {2}},
        {"height only", {100, 50, 10, 20, 4}, {2}},
        {"preview count only", {100, 100, 10, 20, 5}, {4}},
        {"spacing and preview count", {100, 100, 11, 20, 1}, {3, 4}},
        {"size and preview count", {200, 200, 10, 20, 10}, {2, 4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExplorerPageCodes(base, c.after), c.codes) << c.what;
}

TEST(OptionRules, ColorPageSendsThumbnailPreviewAndFolderCodesInThatOrder) {
    const ColorSet base{1, 2, 3, 4, 5};
    struct Case {
        const char* what;
        ColorSet after;
        std::vector<uint32_t> explorer, viewers;
    } cases[] = {
        {"nothing changed", base, {}, {}},
        {"all changed", {11, 12, 13, 14, 15}, {1, 0, 5}, {0}},
        {"preview only", {11, 2, 3, 4, 5}, {0}, {}},
        {"viewer only", {1, 2, 13, 4, 5}, {}, {0}},
        {"the frame colour sends nothing", {1, 2, 3, 4, 15}, {}, {}},
        {"folder preview thumbnails and explorer thumbnails", {1, 12, 3, 14, 5}, {1, 5}, {}},
    };
    for (const Case& c : cases) {
        ColorCodes codes = ColorPageCodes(base, c.after);
        EXPECT_EQ(codes.toExplorer, c.explorer) << c.what;
        EXPECT_EQ(codes.toViewers, c.viewers) << c.what;
    }
}

TEST(OptionRules, SlideShowDelayIsReadExactlyAndCheckedAgainstItsRange) {
    struct Case {
        const char* text;
        DelayParse result;
        uint32_t ms;
    } cases[] = {
        {"2.5", DelayParse::kOk, 2500},
        {"4.35", DelayParse::kOk, 4350}, // 4.35 * 1000 is 4349.999... in binary
        {"0.1", DelayParse::kOk, 100},
        {"1000", DelayParse::kOk, 1000000},
        {"1000.000", DelayParse::kOk, 1000000},
        {" 3 ", DelayParse::kOk, 3000},
        {"3.", DelayParse::kOk, 3000},
        {".5", DelayParse::kOk, 500},
        {"0.12345", DelayParse::kOk, 123}, // cut, not rounded, to whole milliseconds
        {"+7", DelayParse::kOk, 7000},
        {"0.05", DelayParse::kOutOfRange, 0},
        {"0.0999", DelayParse::kOutOfRange, 0},
        {"0", DelayParse::kOutOfRange, 0},
        {"1000.0001", DelayParse::kOutOfRange, 0},
        {"1001", DelayParse::kOutOfRange, 0},
        {"99999999999999999999", DelayParse::kOutOfRange, 0},
        {"-1", DelayParse::kOutOfRange, 0},
        {"", DelayParse::kNotANumber, 0},
        {" ", DelayParse::kNotANumber, 0},
        {".", DelayParse::kNotANumber, 0},
        {"abc", DelayParse::kNotANumber, 0},
        {"1e3", DelayParse::kNotANumber, 0},
        {"2,5", DelayParse::kNotANumber, 0},
        {"1.2.3", DelayParse::kNotANumber, 0},
    };
    for (const Case& c : cases) {
        uint32_t ms = 0;
        EXPECT_EQ(ParseSlideShowDelay(c.text, &ms), c.result) << '"' << c.text << '"';
        if (c.result == DelayParse::kOk) {
            EXPECT_EQ(ms, c.ms) << '"' << c.text << '"';
        }
    }
}

TEST(OptionRules, SlideShowDelayShowsAsSecondsWithoutTrailingZeros) {
    struct Case {
        uint32_t ms;
        const char* text;
    } cases[] = {{5000, "5"},    {2500, "2.5"},     {100, "0.1"},
                 {125, "0.125"}, {1000000, "1000"}, {1050, "1.05"}};
    for (const Case& c : cases) {
        EXPECT_EQ(FormatSlideShowDelay(c.ms), c.text);
        uint32_t back = 0;
        EXPECT_EQ(ParseSlideShowDelay(c.text, &back), DelayParse::kOk);
        EXPECT_EQ(back, c.ms) << "the shown text reads back as the same delay";
    }
}

TEST(OptionRules, FormatRowsNameEachImageTypeOnce) {
    std::set<int> types;
    for (const ImageFormatRow& row : kImageFormatRows)
        types.insert(row.type);
    EXPECT_EQ(types.size(), 15u);
    EXPECT_EQ(*types.begin(), 1);
    EXPECT_EQ(*types.rbegin(), 15);
    // The list shows PCX before PCD and WMF before WBMP.
    EXPECT_STREQ(kImageFormatRows[5].name, "PCX (PCX)");
    EXPECT_STREQ(kImageFormatRows[13].name, "WMF (Windows Metafile)");
    EXPECT_TRUE(HasSaveOptions(4));
    EXPECT_TRUE(HasSaveOptions(6));
    EXPECT_FALSE(HasSaveOptions(1));
}

TEST(OptionRules, ShortcutsAndAssociationsAreMadeAndRemovedToMatchTheirBoxes) {
    struct Case {
        bool wanted, present;
        Reconcile shortcut, association;
    } cases[] = {
        {true, false, Reconcile::kMake, Reconcile::kMake},
        {true, true, Reconcile::kNothing, Reconcile::kMake},
        {false, true, Reconcile::kRemove, Reconcile::kRemove},
        {false, false, Reconcile::kNothing, Reconcile::kNothing},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReconcileShortcut(c.wanted, c.present), c.shortcut)
            << c.wanted << " " << c.present;
        EXPECT_EQ(ReconcileAssociation(c.wanted, c.present), c.association)
            << c.wanted << " " << c.present;
    }
}

TEST(OptionRules, EditorTitleIsTheProgramNameWithoutItsExtension) {
    struct Case {
        const char* path;
        const char* title;
    } cases[] = {
        {"C:\\Program Files\\Paint\\mspaint.exe", "mspaint"},
        {"C:\\tools\\my.editor.exe", "my.editor"},
        {"C:/tools/gimp.exe", "gimp"},
        {"C:\\dotted.dir\\plain", "plain"},
        {"editor.exe", "editor"},
        {"C:editor.exe", "editor"},
        {"C:\\tools\\.hidden", ".hidden"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EditorTitleFromPath(c.path), c.title) << c.path;
}
