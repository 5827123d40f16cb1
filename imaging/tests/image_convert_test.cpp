#include "imaging/image_object.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(FitSizeIntoBox, Table) {
    struct Case {
        int imageWidth, imageHeight, boxWidth, boxHeight;
        double scale;
        int fittedWidth, fittedHeight;
    } cases[] = {
        {100, 50, 400, 400, 1.0, 100, 50},   // fits: never enlarged
        {800, 400, 400, 400, 0.5, 400, 200}, // too wide
        {400, 800, 400, 400, 0.5, 200, 400}, // too tall
        {400, 400, 200, 200, 0.5, 200, 200}, // equal scales
        {100, 50, 100, 400, 1.0, 100, 50},   // exactly as wide as the box
        {100, 50, 400, 50, 1.0, 100, 50},    // exactly as tall as the box
        {3, 2, 2, 2, 2.0 / 3, 2, 1},         // 1.333 rounds down
        {10000, 1, 100, 100, 0.01, 100, 1},  // thin: the short side stays 1
        {1, 10000, 100, 100, 0.01, 1, 100},
        {0, 50, 100, 100, 0.0, 0, 0}, // empty images give 0 and an empty box
        {50, 0, 100, 100, 0.0, 0, 0},
        {-5, 50, 100, 100, 0.0, 0, 0},
        {100, 100, 0, 0, 0.0, 1, 1}, // an empty box still gives 1 x 1
        {INT_MAX, INT_MAX, 100, 100, 100.0 / INT_MAX, 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.imageWidth << "x" << c.imageHeight << " in "
                                        << c.boxWidth << "x" << c.boxHeight);
        int w = c.boxWidth, h = c.boxHeight;
        EXPECT_DOUBLE_EQ(FitSizeIntoBox(c.imageWidth, c.imageHeight, &w, &h), c.scale);
        EXPECT_EQ(w, c.fittedWidth);
        EXPECT_EQ(h, c.fittedHeight);
    }
}

TEST(ExpandImages, BitmapTo8KeepsBitValuesAndColours) {
    CImageObject source;
    ASSERT_TRUE(source.Create(10, 2, 1, 0));
    source.SetPaletteEntry(0, 200, 100, 50, 0);
    source.SetPaletteEntry(1, 1, 2, 3, 0);
    source.GetRow(0, true)[0] = 0xA0; // 1010 0000
    source.GetRow(1, true)[1] = 0x40; // pixel 9
    CImageObject destination;
    ASSERT_TRUE(ExpandBitmapTo8(&destination, &source));
    EXPECT_EQ(destination.bitsPerPixel, 8);
    EXPECT_EQ(destination.paletteCount, 256);
    EXPECT_EQ(destination.palette[0], (PaletteEntry{50, 100, 200, 255}));
    EXPECT_EQ(destination.palette[1], (PaletteEntry{3, 2, 1, 255}));
    EXPECT_EQ(destination.palette[2], (PaletteEntry{2, 2, 2, 0}));
    const uint8_t* row0 = destination.GetRow(0, true);
    const uint8_t expected0[10] = {1, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(row0[x], expected0[x]) << x;
    EXPECT_EQ(destination.GetRow(1, true)[9], 1);
    EXPECT_EQ(destination.rowsDecoded, 2);
    EXPECT_TRUE(destination.headerReady);
    EXPECT_TRUE(destination.complete);
}

TEST(ExpandImages, BitmapTo24) {
    CImageObject source;
    ASSERT_TRUE(source.Create(9, 1, 1, 0));
    source.SetPaletteEntry(1, 10, 20, 30, 0);
    source.GetRow(0, true)[1] = 0x80; // pixel 8
    CImageObject destination;
    ASSERT_TRUE(ExpandBitmapTo24(&destination, &source));
    const uint8_t* row = destination.GetRow(0, true);
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[24], 30);
    EXPECT_EQ(row[25], 20);
    EXPECT_EQ(row[26], 10);
    EXPECT_TRUE(destination.complete);
}

TEST(ExpandImages, IndexedTo24TakesStrayIndexesAsTheLastEntry) {
    CImageObject source;
    ASSERT_TRUE(source.Create(3, 1, 8, 16));
    source.SetPaletteEntry(15, 9, 8, 7, 0);
    source.SetPaletteEntry(2, 1, 2, 3, 0);
    uint8_t* from = source.GetRow(0, true);
    from[0] = 2;
    from[1] = 200; // beyond the 16 entries
    from[2] = 255;
    CImageObject destination;
    ASSERT_TRUE(ExpandIndexedTo24(&destination, &source));
    const uint8_t* row = destination.GetRow(0, true);
    const uint8_t expected[9] = {3, 2, 1, 7, 8, 9, 7, 8, 9};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(row[i], expected[i]) << i;
}

TEST(ExpandImages, RefusesWrongSources) {
    CImageObject rgb, mono, destination, empty;
    ASSERT_TRUE(rgb.Create(2, 2, 24, 0));
    ASSERT_TRUE(mono.Create(2, 2, 1, 0));
    EXPECT_FALSE(ExpandBitmapTo8(&destination, &rgb));
    EXPECT_FALSE(ExpandBitmapTo24(&destination, &rgb));
    EXPECT_FALSE(ExpandIndexedTo24(&destination, &mono));
    EXPECT_FALSE(ExpandIndexedTo24(&destination, &empty));
    EXPECT_FALSE(ExpandBitmapTo8(&mono, &mono));
    EXPECT_FALSE(ExpandBitmapTo8(nullptr, &mono));
    EXPECT_FALSE(ExpandBitmapTo24(&destination, nullptr));
}

} // namespace
