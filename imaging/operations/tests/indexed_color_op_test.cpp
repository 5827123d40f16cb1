// Colour quantiser: the palette that median cut picks on small known images,
// the index of every pixel, saturation of the histogram counters, the
// one-colour palette, refusals, and the quality and determinism of a full
// 256-colour reduction.
#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/operations/flip_op.h"
#include "imaging/operations/indexed_color_op.h"
#include "imaging/operations/tests/geometry_test_image.h"

using namespace geotest;

namespace {

bool SameEntry(const PaletteEntry& e, int blue, int green, int red) {
    return e.blue == blue && e.green == green && e.red == red;
}

Image Quantise(const CImageObject* src, int colors, int dither = 1) {
    Image dest(new CImageObject());
    CIndexedColorOp op;
    op.colorCount = colors;
    op.dither = dither;
    EXPECT_TRUE(op.Apply(dest.get(), const_cast<CImageObject*>(src)));
    return dest;
}

// Black and white at 2 colours: green has the widest weighted extent, so the
// one split is on green; each entry is the centre of its histogram cell.
TEST(IndexedColorOp, CheckerboardSplitsIntoNearBlackAndNearWhite) {
    for (int depth : {24, 32})
        for (int dither : {1, 0}) {
            SCOPED_TRACE(testing::Message() << depth << " bpp, dither " << dither);
            Image src = Make(9, 7, depth);
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 9; ++x)
                    Set(src.get(), x, y, (x + y) % 2 ? 0x00FFFFFFu : 0xFF000000u);
            Image dest = Quantise(src.get(), 2, dither);
            ASSERT_EQ(dest->bitsPerPixel, 8);
            ASSERT_EQ(dest->width, 9);
            ASSERT_EQ(dest->height, 7);
            ASSERT_EQ(dest->paletteCount, 2);
            EXPECT_TRUE(SameEntry(dest->palette[0], 4, 2, 4));
            EXPECT_TRUE(SameEntry(dest->palette[1], 252, 254, 252));
            EXPECT_TRUE(dest->complete);
            EXPECT_EQ(dest->rowsDecoded, 7);
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 9; ++x)
                    ASSERT_EQ(Get(dest.get(), x, y), (x + y) % 2 ? 1u : 0u) << x << "," << y;
        }
}

TEST(IndexedColorOp, OneColourGivesOneUsedEntryPaddedToTwo) {
    Image src = Make(5, 4, 24);
    FillAll(src.get(), 0x1E140A); // blue 10, green 20, red 30
    Image dest = Quantise(src.get(), 256);
    ASSERT_EQ(dest->paletteCount, 2);
    // The centre of cell (blue 1, green 5, red 3).
    EXPECT_TRUE(SameEntry(dest->palette[0], 12, 22, 28));
    EXPECT_TRUE(dest->palette[1] == dest->palette[0]);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(Get(dest.get(), x, y), 0u);
    // The result can be re-created like itself by the next operation.
    Image flipped(new CImageObject());
    CFlipOp flip;
    EXPECT_TRUE(flip.Apply(flipped.get(), dest.get()));
}

TEST(IndexedColorOp, FewColoursKeepTheirOwnEntries) {
    const uint32_t colors[] = {0x0000FF, 0x00FF00, 0xFF0000}; // blue, green, red pixels
    Image src = Make(6, 6, 24);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            Set(src.get(), x, y, colors[(x / 2 + y) % 3]);
    Image dest = Quantise(src.get(), 256);
    ASSERT_EQ(dest->paletteCount, 3);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const PaletteEntry& e = dest->palette[Get(dest.get(), x, y)];
            const uint32_t c = colors[(x / 2 + y) % 3];
            // Each channel lies within its cell: the cell centre is at most 4 away.
            EXPECT_LE(std::abs(e.blue - static_cast<int>(c & 0xFF)), 4);
            EXPECT_LE(std::abs(e.green - static_cast<int>((c >> 8) & 0xFF)), 4);
            EXPECT_LE(std::abs(e.red - static_cast<int>(c >> 16)), 4);
        }
}

// Exactly 65536 pixels of one colour overflow its 16-bit counter: the
// counter must stop at its maximum, not wrap to "empty" and lose the colour.
TEST(IndexedColorOp, HistogramCountersSaturate) {
    Image src = Make(256, 257, 24);
    FillAll(src.get(), 0x808080);
    for (int x = 0; x < 256; ++x)
        Set(src.get(), x, 256, 0x0000FF);
    Image dest = Quantise(src.get(), 2);
    ASSERT_EQ(dest->paletteCount, 2);
    const PaletteEntry grey = dest->palette[Get(dest.get(), 100, 100)];
    EXPECT_NEAR(grey.blue, 128, 4);
    EXPECT_NEAR(grey.green, 128, 2);
    EXPECT_NEAR(grey.red, 128, 4);
    const PaletteEntry blue = dest->palette[Get(dest.get(), 0, 256)];
    EXPECT_GT(blue.blue, 200);
    EXPECT_LT(blue.red, 10);
}

TEST(IndexedColorOp, RefusesPaletteSourcesAndBadCounts) {
    struct Case {
        int bitsPerPixel, colors;
    };
    const Case cases[] = {{8, 256}, {1, 2}, {24, 1}, {24, 257}, {32, 0}, {24, -5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bitsPerPixel << " bpp, " << c.colors << " colours");
        Image src = MakePattern(4, 4, c.bitsPerPixel);
        Image dest = MakePattern(3, 2, 24, 5);
        const std::vector<uint8_t> before(dest->bits, dest->bits + dest->stride * 2);
        CIndexedColorOp op;
        op.colorCount = c.colors;
        EXPECT_FALSE(op.Apply(dest.get(), src.get()));
        EXPECT_EQ(dest->bitsPerPixel, 24);
        EXPECT_EQ(std::vector<uint8_t>(dest->bits, dest->bits + dest->stride * 2), before);
    }
}

Image MakeGradient(int bitsPerPixel) {
    Image src = Make(256, 64, bitsPerPixel);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x)
            Set(src.get(), x, y,
                static_cast<uint32_t>(x | (y * 4 + 2) << 8 | (255 - x + y) / 2 << 16));
    return src;
}

double Psnr(const CImageObject* src, const CImageObject* dest) {
    double squared = 0.0;
    for (int y = 0; y < src->height; ++y)
        for (int x = 0; x < src->width; ++x) {
            const uint32_t s = Get(src, x, y);
            const PaletteEntry& e = dest->palette[Get(dest, x, y)];
            const int d[3] = {static_cast<int>(s & 0xFF) - e.blue,
                              static_cast<int>((s >> 8) & 0xFF) - e.green,
                              static_cast<int>((s >> 16) & 0xFF) - e.red};
            for (int v : d)
                squared += v * v;
        }
    const double mse = squared / (3.0 * src->width * src->height);
    return 10.0 * std::log10(255.0 * 255.0 / mse);
}

TEST(IndexedColorOp, GradientReducesWellAndDeterministically) {
    for (int depth : {24, 32}) {
        SCOPED_TRACE(testing::Message() << depth << " bpp");
        Image src = MakeGradient(depth);
        Image first = Quantise(src.get(), 256);
        ASSERT_EQ(first->bitsPerPixel, 8);
        ASSERT_GE(first->paletteCount, 2);
        ASSERT_LE(first->paletteCount, 256);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 256; ++x)
                ASSERT_LT(Get(first.get(), x, y), static_cast<uint32_t>(first->paletteCount));
        EXPECT_GE(Psnr(src.get(), first.get()), 30.0);

        Image second = Quantise(src.get(), 256);
        ExpectSamePixels(second.get(), first.get());
    }
    // Fewer colours still stay within the requested count.
    Image src = MakeGradient(24);
    for (int colors : {2, 3, 16, 255}) {
        Image dest = Quantise(src.get(), colors);
        EXPECT_LE(dest->paletteCount, colors);
        EXPECT_GE(dest->paletteCount, 2);
    }
}

} // namespace
