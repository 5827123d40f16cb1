// The parameter dialogs' rules: reading a value edit, the range messages of
// every adjustment field, Image Size's enabling, proportions and operation,
// and the extension a Save As file type gives.
#include "tools/logic/adjust_values.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/resource.h"

namespace {

using namespace tools_logic;

TEST(ValueEdits, ReadSignedDecimalNumbersAndTellNoNumberFromOutOfRange) {
    struct Case {
        const char* text;
        FieldRead read;
        int value;
    } cases[] = {
        {"0", FieldRead::kNumber, 0},
        {" -100\t", FieldRead::kNumber, -100},
        {"+100", FieldRead::kNumber, 100},
        {"101", FieldRead::kOutOfRange, 101},
        {"-101", FieldRead::kOutOfRange, -101},
        {"2147483647", FieldRead::kOutOfRange, 2147483647},
        {"-2147483648", FieldRead::kOutOfRange, -2147483647 - 1},
        {"2147483648", FieldRead::kNotNumber, 0},
        {"99999999999999999999", FieldRead::kNotNumber, 0},
        {"", FieldRead::kNotNumber, 0},
        {"  ", FieldRead::kNotNumber, 0},
        {"-", FieldRead::kNotNumber, 0},
        {"12abc", FieldRead::kNotNumber, 0},
        {"1 2", FieldRead::kNotNumber, 0},
        {"0x10", FieldRead::kNotNumber, 0},
        {"4.5", FieldRead::kNotNumber, 0},
    };
    for (const Case& c : cases) {
        int value = 0;
        EXPECT_EQ(ReadFieldValue(c.text, -100, 100, &value), c.read) << '"' << c.text << '"';
        if (c.read != FieldRead::kNotNumber) {
            EXPECT_EQ(value, c.value) << '"' << c.text << '"';
        }
    }
    EXPECT_EQ(ReadFieldValue(nullptr, 0, 1, nullptr), FieldRead::kNotNumber);
}

TEST(AdjustmentFields, HoldEachDialogsRangesAndMessages) {
    struct Case {
        const char* dialog;
        AdjustmentFields fields;
        int index;
        int edit;
        int track;
        int minimum, maximum;
        const char* message;
    } cases[] = {
        {"brightness", BrightnessContrastFields(), 0, IDC_ADJUST_VALUE, IDC_BRIGHTNESS_TRACK, -100,
         100, "Brightness must be between -100 and 100"},
        {"contrast", BrightnessContrastFields(), 1, IDC_CONTRAST_EDIT, IDC_CONTRAST_TRACK, -100,
         100, "Contrast must be between -100 and 100"},
        {"cyan-red", ColorBalanceFields(), 0, IDC_ADJUST_VALUE, IDC_BALANCE_CYAN_RED_TRACK, -100,
         100, "Value must be between -100 and 100"},
        {"yellow-blue", ColorBalanceFields(), 2, IDC_BALANCE_YELLOW_BLUE,
         IDC_BALANCE_YELLOW_BLUE_TRACK, -100, 100, "Value must be between -100 and 100"},
        {"hue", HueSaturationFields(), 0, IDC_ADJUST_VALUE, IDC_HUE_TRACK, -180, 180,
         "Value must be between -180 and 180"},
        {"lightness", HueSaturationFields(), 2, IDC_HUE_LIGHTNESS_EDIT, IDC_HUE_LIGHTNESS_TRACK,
         -100, 100, "Value must be between -100 and 100"},
        {"posterize", PosterizeFields(), 0, IDC_ADJUST_VALUE, 0, 2, 255,
         "Value must be between 2 and 255"},
    };
    for (const Case& c : cases) {
        ASSERT_LT(c.index, c.fields.count) << c.dialog;
        const ValueField& field = c.fields.fields[c.index];
        EXPECT_EQ(field.edit, c.edit) << c.dialog;
        EXPECT_EQ(field.track, c.track) << c.dialog;
        EXPECT_EQ(field.minimum, c.minimum) << c.dialog;
        EXPECT_EQ(field.maximum, c.maximum) << c.dialog;
        EXPECT_EQ(RangeMessage(field.rangePattern, field.minimum, field.maximum), c.message)
            << c.dialog;
    }
    const ValueField colors = IndexedColorField();
    EXPECT_EQ(colors.edit, IDC_INDEXED_COLORS);
    EXPECT_EQ(RangeMessage(colors.rangePattern, colors.minimum, colors.maximum),
              "Value must be between 2 and 256");
    EXPECT_EQ(ReadFieldValue("256", colors.minimum, colors.maximum, nullptr), FieldRead::kNumber);
    EXPECT_EQ(ReadFieldValue("1", colors.minimum, colors.maximum, nullptr), FieldRead::kOutOfRange);
}

TEST(ImageSizeEnabling, FollowsTheKindAndTheConstrainMode) {
    struct Case {
        int kind, constrain;
        ImageSizeEnabling expected;
    } cases[] = {
        {kSizeByPercent, kConstrainNone, {true, false, false, false, false, false}},
        {kSizeByPercent, kConstrainProportions, {true, false, false, false, false, false}},
        {kSizeByPercent, kConstrainFit, {true, false, false, false, false, false}},
        {kSizeByDimensions, kConstrainNone, {false, true, true, true, true, false}},
        {kSizeByDimensions, kConstrainProportions, {false, true, true, true, false, false}},
        {kSizeByDimensions, kConstrainFit, {false, true, true, false, true, true}},
    };
    for (const Case& c : cases) {
        const ImageSizeEnabling e = ImageSizeEnablingFor(c.kind, c.constrain);
        const ImageSizeEnabling& x = c.expected;
        EXPECT_EQ(e.percent, x.percent) << c.kind << c.constrain;
        EXPECT_EQ(e.width, x.width) << c.kind << c.constrain;
        EXPECT_EQ(e.height, x.height) << c.kind << c.constrain;
        EXPECT_EQ(e.constrain, x.constrain) << c.kind << c.constrain;
        EXPECT_EQ(e.fit, x.fit) << c.kind << c.constrain;
        EXPECT_EQ(e.fitMode, x.fitMode) << c.kind << c.constrain;
    }
}

TEST(ImageSizeProportions, TruncateTowardZero) {
    struct Case {
        int edited, editedFull, otherFull, other;
    } cases[] = {
        {320, 640, 480, 240},
        {100, 480, 640, 133},
        {1, 640, 480, 0},
        {0, 640, 480, 0},
        {-10, 640, 480, -7},
        {10, 0, 480, 0},
        {2000000000, 1, 2000000000, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProportionalSide(c.edited, c.editedFull, c.otherFull), c.other)
            << c.edited << "/" << c.editedFull << "x" << c.otherFull;
}

TEST(ImageSizeRequests, MapTheAnswerToTheResizeMode) {
    struct Case {
        int kind, constrain, fit, mode;
    } cases[] = {
        {kSizeByPercent, kConstrainNone, 0, 1},    {kSizeByPercent, kConstrainFit, 2, 1},
        {kSizeByDimensions, kConstrainNone, 1, 0}, {kSizeByDimensions, kConstrainProportions, 2, 0},
        {kSizeByDimensions, kConstrainFit, 0, 2},  {kSizeByDimensions, kConstrainFit, 1, 3},
        {kSizeByDimensions, kConstrainFit, 2, 4},  {kSizeByDimensions, kConstrainFit, 7, 2},
    };
    for (const Case& c : cases) {
        const ImageSizeRequest r = ImageSizeRequestFor(c.kind, c.constrain, c.fit, 50, 320, 240);
        EXPECT_EQ(r.mode, c.mode) << c.kind << c.constrain << c.fit;
        EXPECT_EQ(r.percent, 50);
        EXPECT_EQ(r.width, c.kind == kSizeByDimensions ? 320 : 0);
        EXPECT_EQ(r.height, c.kind == kSizeByDimensions ? 240 : 0);
    }
}

TEST(ImageSizeRequests, GiveTheResizedSizeAndRefuseImagesTooLargeToHold) {
    struct Case {
        const char* what;
        ImageSizeRequest request;
        int fullWidth, fullHeight;
        bool sized;
        int width, height;
        bool fits;
    } cases[] = {
        {"exact", {0, 0, 320, 240}, 640, 480, true, 320, 240, true},
        {"percent truncates", {1, 33, 0, 0}, 640, 480, true, 211, 158, true},
        {"percent to nothing", {1, 1, 0, 0}, 50, 50, false, 0, 0, false},
        {"fit box", {2, 0, 100, 100}, 640, 480, true, 100, 75, true},
        {"shrink only, already fits", {3, 0, 800, 800}, 640, 480, false, 0, 0, false},
        {"enlarge only", {4, 0, 1280, 1280}, 640, 480, true, 1280, 960, true},
        {"enlarge only, already bigger", {4, 0, 100, 100}, 640, 480, false, 0, 0, false},
        {"zero side", {0, 0, 0, 240}, 640, 480, false, 0, 0, false},
        {"largest accepted square", {0, 0, 11585, 11585}, 1, 1, true, 11585, 11585, true},
        {"both sides at their limit", {0, 0, 65535, 65535}, 1, 1, true, 65535, 65535, false},
        {"percent limit of a big image", {1, 10000, 0, 0}, 6000, 4000, true, 600000, 400000, false},
        {"percent past int", {1, 10000, 0, 0}, 2000000000, 10, false, 0, 0, false},
    };
    for (const Case& c : cases) {
        int width = 0, height = 0;
        ASSERT_EQ(ResizedSize(c.request, c.fullWidth, c.fullHeight, &width, &height), c.sized)
            << c.what;
        if (c.sized) {
            EXPECT_EQ(width, c.width) << c.what;
            EXPECT_EQ(height, c.height) << c.what;
        }
        EXPECT_EQ(ResizedImageFits(width, height), c.fits) << c.what;
    }
}

TEST(ImageSizeFields, RefuseSizesOfNothingAndPastTheLimits) {
    struct Case {
        ValueField field;
        const char* text;
        FieldRead read;
        const char* message;
    } cases[] = {
        {ImageSizePercentField(), "0", FieldRead::kOutOfRange,
         "Percent must be between 1 and 10000"},
        {ImageSizePercentField(), "10000", FieldRead::kNumber, nullptr},
        {ImageSizeWidthField(), "-5", FieldRead::kOutOfRange, "Width must be between 1 and 65535"},
        {ImageSizeHeightField(), "65536", FieldRead::kOutOfRange,
         "Height must be between 1 and 65535"},
        {ImageSizeHeightField(), "99999999999", FieldRead::kNotNumber, nullptr},
    };
    for (const Case& c : cases) {
        int value = 0;
        EXPECT_EQ(ReadFieldValue(c.text, c.field.minimum, c.field.maximum, &value), c.read)
            << c.text;
        if (c.message) {
            EXPECT_EQ(RangeMessage(c.field.rangePattern, c.field.minimum, c.field.maximum),
                      c.message);
        }
    }
    EXPECT_EQ(ImageSizePercentField().edit, IDC_SIZE_PERCENT);
    EXPECT_EQ(ImageSizeWidthField().edit, IDC_SIZE_WIDTH);
    EXPECT_EQ(ImageSizeHeightField().edit, IDC_SIZE_HEIGHT);
}

TEST(SaveAsFileTypes, GiveTheExtensionOfTheirFirstPattern) {
    static const char kFilters[] = "BMP (*.BMP)\0*.bmp\0"
                                   "TIFF (*.TIF;*.TIFF)\0*.tif;*.tiff\0"
                                   "JPEG (*.JPG;*.JPEG;*.JPE)\0*.jpg;*.jpeg;*.jpe\0"
                                   "Empty\0\0";
    struct Case {
        int index;
        const char* extension;
    } cases[] = {{1, ".bmp"}, {2, ".tif"}, {3, ".jpg"}, {0, ""}, {4, ""}, {9, ""}};
    for (const Case& c : cases)
        EXPECT_EQ(FilterExtension(kFilters, c.index), c.extension) << c.index;

    struct Rename {
        const char* path;
        const char* result;
    } renames[] = {
        {"C:\\pics\\photo.jpg", "C:\\pics\\photo.tif"},
        {"C:\\pics\\photo", "C:\\pics\\photo.tif"},
        {"C:\\my.pics\\photo", "C:\\my.pics\\photo.tif"},
        {"C:\\pics\\a.b.jpeg", "C:\\pics\\a.b.tif"},
        {"", ".tif"},
    };
    for (const Rename& r : renames)
        EXPECT_EQ(ReplaceExtension(r.path, ".tif"), r.result) << r.path;
}

} // namespace
