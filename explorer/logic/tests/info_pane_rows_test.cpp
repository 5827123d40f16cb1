// The information pane's rules: the rows present for an image with and
// without an attributes record, their order and texts, the clamped header
// position and the selection count of the status band.
#include "explorer/logic/info_pane_rows.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Rows = std::vector<std::pair<EInfoRow, std::string>>;

InfoPaneFormatters Fakes() {
    InfoPaneFormatters f;
    f.date = [](uint16_t y, uint8_t m, uint8_t d) {
        return std::to_string(d) + "." + std::to_string(m) + "." + std::to_string(y);
    };
    f.fileTime = [](uint64_t t) { return "t" + std::to_string(t >> 32); };
    f.byteSize = [](uint32_t bytes) { return std::to_string(bytes) + " bytes"; };
    return f;
}

Rows Build(const InfoPaneFacts& facts) {
    Rows rows;
    for (const InfoRow& row : BuildInfoRows(facts, Fakes()))
        rows.emplace_back(row.kind, row.value);
    return rows;
}

// A single-page JPEG without an attributes record.
InfoPaneFacts Plain() {
    InfoPaneFacts f;
    f.fileName = "garden.jpg";
    f.width = 640;
    f.height = 480;
    f.fileSize = 1234;
    f.bitsPerPixel = 24;
    f.pages = 1;
    f.typeName = "JPEG";
    f.fileTime = 0x01D9000000001234ull;
    return f;
}

TEST(InfoPaneRows, AnImageWithoutRecordShowsNoArtistTakenKeywordsOrDescription) {
    const Rows expected = {{kInfoRowFileName, "garden.jpg"}, {kInfoRowDimensions, "640 x 480"},
                           {kInfoRowFileSize, "1234 bytes"}, {kInfoRowColors, "24 Bits"},
                           {kInfoRowType, "JPEG"},           {kInfoRowModified, "t30998528"}};
    EXPECT_EQ(expected, Build(Plain()));
}

TEST(InfoPaneRows, ARecordAndSeveralPagesAddTheirRowsInPlace) {
    InfoPaneFacts f = Plain();
    f.artist = "Ann";
    f.keywords = "sea,sun";
    f.description = "A long afternoon.";
    f.year = 2009;
    f.month = 6;
    f.day = 11;
    f.pages = 3;
    const Rows expected = {{kInfoRowFileName, "garden.jpg"},
                           {kInfoRowArtist, "Ann"},
                           {kInfoRowDimensions, "640 x 480"},
                           {kInfoRowFileSize, "1234 bytes"},
                           {kInfoRowColors, "24 Bits"},
                           {kInfoRowPages, "3"},
                           {kInfoRowType, "JPEG"},
                           {kInfoRowTaken, "11.6.2009"},
                           {kInfoRowModified, "t30998528"},
                           {kInfoRowKeywords, "sea,sun"},
                           {kInfoRowDescription, "A long afternoon."}};
    EXPECT_EQ(expected, Build(f));
}

TEST(InfoPaneRows, RowsThatDependOnAValueCloseUpWhenItIsMissing) {
    struct Case {
        const char* what;
        std::function<void(InfoPaneFacts&)> change;
        Rows expected;
    };
    const Case cases[] = {
        {"no file size marks the name and drops the size row",
         [](InfoPaneFacts& f) { f.fileSize = 0; },
         {{kInfoRowFileName, "garden.jpg *"},
          {kInfoRowDimensions, "640 x 480"},
          {kInfoRowColors, "24 Bits"},
          {kInfoRowType, "JPEG"},
          {kInfoRowModified, "t30998528"}}},
        {"no depth and no file time drop Colors and Modified",
         [](InfoPaneFacts& f) {
             f.bitsPerPixel = 0;
             f.fileTime = 0;
         },
         {{kInfoRowFileName, "garden.jpg"},
          {kInfoRowDimensions, "640 x 480"},
          {kInfoRowFileSize, "1234 bytes"},
          {kInfoRowType, "JPEG"}}},
        {"a file time with a zero half is no file time",
         [](InfoPaneFacts& f) {
             f.fileTime = 0x0000000100000000ull;
             f.fileSize = 1;
         },
         {{kInfoRowFileName, "garden.jpg"},
          {kInfoRowDimensions, "640 x 480"},
          {kInfoRowFileSize, "1 bytes"},
          {kInfoRowColors, "24 Bits"},
          {kInfoRowType, "JPEG"}}},
        {"a date with year 0 is no date",
         [](InfoPaneFacts& f) {
             f.year = 0;
             f.month = 6;
             f.day = 1;
             f.fileTime = 0;
         },
         {{kInfoRowFileName, "garden.jpg"},
          {kInfoRowDimensions, "640 x 480"},
          {kInfoRowFileSize, "1234 bytes"},
          {kInfoRowColors, "24 Bits"},
          {kInfoRowType, "JPEG"}}},
    };
    for (const Case& c : cases) {
        InfoPaneFacts f = Plain();
        c.change(f);
        EXPECT_EQ(c.expected, Build(f)) << c.what;
    }
}

TEST(InfoPaneRows, TheHeaderPositionIsClampedIntoTheList) {
    struct Case {
        int index, count;
        const char* header;
    };
    const Case cases[] = {{0, 1, "1 of 1 "},
                          {4, 10, "5 of 10 "},
                          {12, 10, "10 of 10 "},
                          {-3, 10, "1 of 10 "},
                          {0, 0, "1 of 0 "}};
    for (const Case& c : cases)
        EXPECT_EQ(c.header, FormatInfoHeader("%d of %d ", c.index, c.count))
            << c.index << "/" << c.count;
    // Anything but the two numbers is copied, never interpreted.
    EXPECT_EQ("2 of 3 %s %d", FormatInfoHeader("%d of %d %s %d", 1, 3));
}

TEST(InfoPaneRows, TheSelectionCountShowsOnlyForTwoOrMore) {
    const std::pair<int, const char*> cases[] = {
        {0, ""}, {1, ""}, {2, "2 object selected"}, {500, "500 object selected"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.second, SelectionCountText("%d object selected", c.first)) << c.first;
}

TEST(InfoPaneRows, SlotsFollowOneAnotherEighteenPixelsApart) {
    EXPECT_EQ(21, InfoRowTop(0));
    EXPECT_EQ(39, InfoRowTop(1));
    EXPECT_EQ(21 + 18 * 10, InfoRowTop(10));
    EXPECT_EQ(36, InfoRowTop(0) + kInfoRowHeight);
}

} // namespace
