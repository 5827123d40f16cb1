#include "app/logic/output_naming.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(OutputNaming, NumbersArePaddedWithZerosToTheAskedDigits) {
    struct Case {
        int number;
        int padding;
        const char* text;
    } cases[] = {
        {1, 0, "1"},       {1, 3, "001"},         {7, 3, "007"},
        {1234, 3, "1234"}, {0, 0, "0"},           {16959, 10, "0000016959"},
        {5, -2, "5"},      {5, 40, "0000000005"}, // padding kept within 0..10
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.number) + "/" + std::to_string(c.padding));
        EXPECT_EQ(c.text, FormatSequenceNumber(c.number, c.padding));
    }
}

TEST(OutputNaming, UserTextIsJoinedVerbatimEvenWithPercentSigns) {
    struct Case {
        const char* folder;
        const char* prefix;
        int number;
        int padding;
        const char* extension;
        const char* path;
    } cases[] = {
        {"C:\\out", "PHOTO", 1, 0, ".jpg", "C:\\out\\PHOTO1.jpg"},
        {"C:\\out", "P", 7, 3, ".jpg", "C:\\out\\P007.jpg"},
        {"C:\\100% photos", "%s%d%n", 2, 0, ".tif", "C:\\100% photos\\%s%d%n2.tif"},
        {"C:\\", "PHOTO", 3, 2, "", "C:\\PHOTO03"}, // a root keeps its one separator
        {"C:\\out", "", 9, 0, ".wav", "C:\\out\\9.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(c.path, BuildOutputPath(c.folder, c.prefix, c.number, c.padding, c.extension));
    }
}

TEST(OutputNaming, NextFreeNameSkipsExistingFilesAndAdvancesTheSequence) {
    std::set<std::string> existing = {"D:\\o\\P007.jpg", "D:\\o\\P008.jpg", "D:\\o\\P010.jpg"};
    auto exists = [&](const std::string& p) { return existing.count(p) != 0; };
    int sequence = 7;
    EXPECT_EQ("D:\\o\\P009.jpg", NextFreeOutputPath("D:\\o", "P", 3, ".jpg", &sequence, exists));
    EXPECT_EQ(10, sequence);
    EXPECT_EQ("D:\\o\\P011.jpg", NextFreeOutputPath("D:\\o", "P", 3, ".jpg", &sequence, exists));
    EXPECT_EQ(12, sequence);
    // Another extension is another name: P007.tif is free.
    sequence = 7;
    EXPECT_EQ("D:\\o\\P007.tif", NextFreeOutputPath("D:\\o", "P", 3, ".tif", &sequence, exists));
    EXPECT_EQ(8, sequence);
}

TEST(OutputNaming, NextFreeNameGivesUpOnOverlongPathsAndEndlessClashes) {
    int sequence = 1;
    std::string folder = "C:\\" + std::string(kMaxOutputPath - 8, 'f');
    EXPECT_EQ("", NextFreeOutputPath(folder, "PHOTO", 0, ".jpg", &sequence,
                                     [](const std::string&) { return false; }));
    EXPECT_EQ(1, sequence);
    EXPECT_EQ("", NextFreeOutputPath(
                      "C:\\o", "P", 0, "", &sequence, [](const std::string&) { return true; }, 50));
    EXPECT_EQ(1, sequence);
}

TEST(OutputNaming, BatchResultsReplaceTheFileGoBesideItUnderTheNounOrIntoTheFolder) {
    const std::set<std::string> existing = {"C:\\pics\\Rotated a b.jpg",
                                            "C:\\pics\\Rotated (1) a b.jpg"};
    auto exists = [&](const std::string& p) { return existing.count(p) != 0; };
    struct Case {
        int mode;
        const char* file;
        const char* noun;
        const char* folder;
        const char* path;
    } cases[] = {
        {0, "C:\\pics\\a b.jpg", "Rotated", "D:\\out", "C:\\pics\\a b.jpg"},
        {1, "C:\\pics\\a b.jpg", "Rotated", "D:\\out", "C:\\pics\\Rotated (2) a b.jpg"},
        {1, "C:\\pics\\c.png", "Hue Saturation", "", "C:\\pics\\Hue Saturation c.png"},
        {1, "C:\\c.png", "Resized", "", "C:\\Resized c.png"},
        {2, "C:\\pics\\a b.jpg", "Rotated", "D:\\out", "D:\\out\\a b.jpg"},
        {2, "C:\\pics\\a b.jpg", "Rotated", "D:\\", "D:\\a b.jpg"},
        {3, "C:\\pics\\a b.jpg", "Rotated", "D:\\out", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.path, BatchOutputPath(c.mode, c.file, c.noun, c.folder, exists))
            << c.mode << " " << c.file;

    // Beside a file whose every name is taken, or too long to get one.
    EXPECT_EQ(
        "", BatchOutputPath(
                1, "C:\\pics\\x.jpg", "Flipped", "", [](const std::string&) { return true; }, 20));
    const std::string deep = "C:\\" + std::string(kMaxOutputPath - 10, 'f') + "\\x.jpg";
    EXPECT_EQ("", BatchOutputPath(1, deep, "Flipped", "", exists));
    EXPECT_EQ(
        "", BatchOutputPath(2, deep, "Flipped", "C:\\" + std::string(kMaxOutputPath, 'o'), exists));
}

TEST(OutputNaming, OneTrailingBackslashIsRemovedExceptAfterADriveRoot) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"C:\\out\\", "C:\\out"},
        {"C:\\out", "C:\\out"},
        {"C:\\", "C:\\"},
        {"\\\\server\\share\\", "\\\\server\\share"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(c.out, StripTrailingBackslash(c.in));
    }
}

TEST(OutputNaming, PrefixesRefuseCharactersThatNamesCannotHold) {
    for (const char* good : {"PHOTO", "", "100% off", "a b.c", "#1-"})
        EXPECT_TRUE(IsValidOutputPrefix(good)) << good;
    for (const char* bad : {"a\\b", "a/b", "C:", "a*", "a?", "\"q\"", "<", ">", "a|b", "tab\t"})
        EXPECT_FALSE(IsValidOutputPrefix(bad)) << bad;
}

TEST(OutputNaming, OnlyJpegAndPngHaveSaveOptions) {
    // Indexes of the save-format table: 1 BMP, 2 GIF, 3 PNG, 4 PSD, 5 RAS, 6 JPEG, 7 TIFF, 8 WBMP.
    const bool expected[] = {false, false, false, true, false, false, true, false, false};
    for (int index = 0; index <= 8; ++index)
        EXPECT_EQ(expected[index], SaveFormatHasOptions(index)) << index;
}

} // namespace
