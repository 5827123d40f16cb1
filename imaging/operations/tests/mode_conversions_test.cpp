#include <vector>

#include "imaging/operations/mode_conversions.h"
#include "imaging/operations/tests/op_test_image.h"

namespace {

TEST(GrayscaleMode, TrueColourWeights) {
    const std::vector<Bgr> colors = {{255, 255, 255}, {0, 0, 255}, {0, 255, 0},
                                     {255, 0, 0},     {0, 0, 0},   {10, 20, 30}};
    const int expected[] = {255, 53, 182, 18, 0, (54 * 30 + 183 * 20 + 19 * 10) / 256};
    for (int depth : {24, 32}) {
        SCOPED_TRACE(depth);
        ImagePtr src = MakeRow(depth, colors);
        if (depth == 32)
            PixelAt(src.get(), 4, 0)[3] = 255; // the fourth byte plays no part
        CImageObject dest;
        CGrayscaleModeOp op;
        ASSERT_TRUE(op.Apply(&dest, src.get()));
        EXPECT_EQ(dest.bitsPerPixel, 8);
        EXPECT_TRUE(dest.IsGrayscalePalette());
        EXPECT_EQ(dest.rowsDecoded, 1);
        EXPECT_TRUE(dest.complete);
        for (size_t k = 0; k < colors.size(); ++k)
            EXPECT_EQ(dest.bits[k], expected[k]) << k;
    }
}

TEST(GrayscaleMode, IndexedUsesPaletteLuminance) {
    ImagePtr src = MakeImage(3, 1, 8, 4);
    src->SetPaletteEntry(0, 255, 0, 0, 0);
    src->SetPaletteEntry(1, 255, 255, 255, 0);
    src->SetPaletteEntry(3, 0, 0, 100, 0);
    const uint8_t indices[] = {0, 1, 3};
    std::memcpy(src->bits, indices, 3);
    CImageObject dest;
    ASSERT_TRUE(CGrayscaleModeOp().Apply(&dest, src.get()));
    EXPECT_EQ(dest.bits[0], 53);
    EXPECT_EQ(dest.bits[1], 255);
    EXPECT_EQ(dest.bits[2], 19 * 100 / 256);
}

// A 1-bit image keeps its look: each bit takes the grey of its palette
// entry, so a white-is-zero palette is not turned into a negative.
TEST(GrayscaleMode, OneBitFollowsItsPalette) {
    struct Case {
        const char* name;
        Bgr zero, one;
        int greyZero, greyOne;
    } cases[] = {
        {"black is zero", {0, 0, 0}, {255, 255, 255}, 0, 255},
        {"white is zero", {255, 255, 255}, {0, 0, 0}, 255, 0},
        {"coloured", {0, 0, 255}, {0, 128, 0}, 53, 91},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImagePtr src = MakeImage(10, 2, 1);
        src->SetPaletteEntry(0, c.zero.r, c.zero.g, c.zero.b, 0);
        src->SetPaletteEntry(1, c.one.r, c.one.g, c.one.b, 0);
        src->bits[0] = 0xA5; // 1010 0101
        src->bits[1] = 0x80; // pixel 8 set, pixel 9 clear
        CImageObject dest;
        ASSERT_TRUE(CGrayscaleModeOp().Apply(&dest, src.get()));
        const int bitsOfRow[] = {1, 0, 1, 0, 0, 1, 0, 1, 1, 0};
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(dest.bits[x], bitsOfRow[x] ? c.greyOne : c.greyZero) << x;
        EXPECT_EQ(PixelAt(&dest, 0, 1)[0], c.greyZero);
    }
}

TEST(BitmapMode, ThresholdsGreyRamp) {
    ImagePtr src = MakeImage(11, 1, 8, 256);
    const uint8_t values[] = {0, 127, 128, 255, 200, 1, 130, 90, 255, 128, 127};
    std::memcpy(src->bits, values, sizeof values);
    CImageObject dest;
    ASSERT_TRUE(CBitmapModeOp().Apply(&dest, src.get()));
    EXPECT_EQ(dest.bitsPerPixel, 1);
    EXPECT_EQ(dest.paletteCount, 2);
    EXPECT_EQ(EntryBgr(&dest, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(EntryBgr(&dest, 1), (Bgr{255, 255, 255}));
    EXPECT_EQ(dest.bits[0], 0x3A); // 0011 1010
    EXPECT_EQ(dest.bits[1], 0xC0); // 110 and padding clear
    EXPECT_TRUE(dest.complete);
}

TEST(BitmapMode, RefusesAnythingButTheGreyRamp) {
    ImagePtr almost = MakeImage(4, 2, 8, 256);
    almost->SetPaletteEntry(17, 17, 17, 18, 0);
    ImagePtr small = MakeImage(4, 2, 8, 16);
    ImagePtr rgb = MakeImage(4, 2, 24);
    CImageObject* sources[] = {almost.get(), small.get(), rgb.get()};
    for (CImageObject* src : sources) {
        ImagePtr dest = MakeBusyDestination();
        const ImageSnapshot before(dest.get());
        EXPECT_FALSE(CBitmapModeOp().Apply(dest.get(), src));
        before.ExpectSame(dest.get());
    }
}

TEST(RgbMode, FromEachAcceptedDepth) {
    // 1 bpp through palette entries 0 and 1.
    ImagePtr mono = MakeImage(3, 1, 1);
    mono->SetPaletteEntry(0, 10, 20, 30, 0);
    mono->SetPaletteEntry(1, 200, 100, 50, 0);
    mono->bits[0] = 0x40; // 010
    // 8 bpp with 16 entries and a stray index.
    ImagePtr indexed = MakeImage(3, 1, 8, 16);
    indexed->SetPaletteEntry(2, 1, 2, 3, 0);
    indexed->SetPaletteEntry(15, 250, 240, 230, 0);
    const uint8_t indices[] = {2, 200, 15};
    std::memcpy(indexed->bits, indices, 3);
    // 32 bpp drops the fourth byte.
    ImagePtr wide = MakeImage(3, 1, 32);
    const uint8_t pixels[] = {1, 2, 3, 99, 4, 5, 6, 98, 7, 8, 9, 97};
    std::memcpy(wide->bits, pixels, sizeof pixels);

    struct Case {
        const char* name;
        CImageObject* src;
        std::vector<Bgr> expected;
    } cases[] = {
        {"1 bpp", mono.get(), {{30, 20, 10}, {50, 100, 200}, {30, 20, 10}}},
        {"8 bpp", indexed.get(), {{3, 2, 1}, {230, 240, 250}, {230, 240, 250}}},
        {"32 bpp", wide.get(), {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CImageObject dest;
        ASSERT_TRUE(CRgbModeOp().Apply(&dest, c.src));
        EXPECT_EQ(dest.bitsPerPixel, 24);
        EXPECT_EQ(dest.paletteCount, 0);
        EXPECT_TRUE(dest.complete);
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(GetBgr(&dest, x, 0), c.expected[x]) << x;
    }
}

TEST(ModeConversions, RefusalsLeaveDestinationUntouched) {
    ImagePtr rgb = MakeImage(2, 2, 24);
    CImageObject empty;
    CRgbModeOp toRgb;
    CGrayscaleModeOp toGrey;
    struct Case {
        const char* name;
        CImageOperation* op;
        CImageObject* src;
    } cases[] = {
        {"rgb from 24 bpp", &toRgb, rgb.get()},
        {"rgb from empty", &toRgb, &empty},
        {"grey from empty", &toGrey, &empty},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImagePtr dest = MakeBusyDestination();
        const ImageSnapshot before(dest.get());
        EXPECT_FALSE(c.op->Apply(dest.get(), c.src));
        before.ExpectSame(dest.get());
    }
}

// A conversion changes the depth, so it always makes a new bitmap, even when
// asked to write in place.
TEST(ModeConversions, AlwaysCreateTheDestination) {
    ImagePtr src = MakeRow(24, {{0, 0, 255}, {255, 255, 255}});
    ImagePtr dest = MakeBusyDestination();
    CGrayscaleModeOp op;
    op.createDestination = false;
    ASSERT_TRUE(op.Apply(dest.get(), src.get()));
    EXPECT_EQ(dest->bitsPerPixel, 8);
    EXPECT_EQ(dest->width, 2);
    EXPECT_EQ(dest->height, 1);
    EXPECT_EQ(dest->bits[0], 53);
    EXPECT_EQ(dest->bits[1], 255);
}

} // namespace
