#include <vector>

#include "imaging/operations/tone_operations.h"
#include "imaging/operations/tests/op_test_image.h"

namespace {

ImagePtr MakeNoise(int depth, int width, int height) {
    ImagePtr image = MakeImage(width, height, depth, depth == 8 ? 256 : 0);
    uint32_t state = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < image->stride; ++x) {
            state = state * 1103515245u + 12345u;
            image->bits[static_cast<size_t>(y) * image->stride + x] =
                static_cast<uint8_t>(state >> 16);
        }
    }
    if (depth == 8) {
        for (int i = 0; i < 256; ++i)
            image->SetPaletteEntry(i, static_cast<uint8_t>(i * 7), static_cast<uint8_t>(i * 13),
                                   static_cast<uint8_t>(255 - i), 0);
    }
    return image;
}

TEST(Invert, TwiceIsIdentity) {
    for (int depth : {8, 24, 32}) {
        SCOPED_TRACE(depth);
        ImagePtr src = MakeNoise(depth, 7, 5);
        CImageObject once, twice;
        ASSERT_TRUE(CInvertOp().Apply(&once, src.get()));
        ASSERT_TRUE(CInvertOp().Apply(&twice, &once));
        // The first pass really changed something.
        if (depth == 8) {
            EXPECT_EQ(once.palette[src->bits[0]].red, 255 - src->palette[src->bits[0]].red);
        } else {
            EXPECT_EQ(once.bits[0], 255 - src->bits[0]);
        }
        for (int y = 0; y < 5; ++y) // the row padding is not part of the picture
            EXPECT_EQ(0, std::memcmp(twice.GetRow(y, true), src->GetRow(y, true), 7 * depth / 8));
        if (depth == 8) {
            EXPECT_EQ(0, std::memcmp(twice.palette, src->palette, 1024));
        }
        EXPECT_TRUE(twice.complete);
    }
}

TEST(Invert, MapsEachChannel) {
    ImagePtr src = MakeRow(32, {{0, 1, 255}, {128, 127, 64}});
    PixelAt(src.get(), 1, 0)[3] = 42;
    CImageObject dest;
    ASSERT_TRUE(CInvertOp().Apply(&dest, src.get()));
    EXPECT_EQ(GetBgr(&dest, 0, 0), (Bgr{255, 254, 0}));
    EXPECT_EQ(GetBgr(&dest, 1, 0), (Bgr{127, 128, 191}));
    EXPECT_EQ(PixelAt(&dest, 1, 0)[3], 42);
}

TEST(Equalize, OneColourAndBlack) {
    struct Case {
        const char* name;
        Bgr colour;
        Bgr expected;
    } cases[] = {
        {"grey 100", {100, 100, 100}, {255, 255, 255}},
        {"black stays black", {0, 0, 0}, {0, 0, 0}},
        // Y = 157: channels below it go to 0, the others to 255.
        {"mixed", {40, 200, 120}, {0, 255, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImagePtr src = MakeRow(24, std::vector<Bgr>(6, c.colour));
        CImageObject dest;
        ASSERT_TRUE(CEqualizeOp().Apply(&dest, src.get()));
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(GetBgr(&dest, x, 0), c.expected);
    }
}

TEST(Equalize, SpreadsTwoLevelsAndCountsPalettePixels) {
    // Three quarters at grey 50, one quarter at grey 150: the cumulative
    // curve is 3/4 below 150, so the table has 0 under 50, 191 from 50 and
    // 255 from 150.
    ImagePtr rgb = MakeRow(24, {{50, 50, 50}, {50, 50, 50}, {50, 50, 50}, {150, 150, 150}});
    ImagePtr indexed = MakeImage(4, 1, 8, 2);
    indexed->SetPaletteEntry(0, 50, 50, 50, 0);
    indexed->SetPaletteEntry(1, 150, 150, 150, 0);
    const uint8_t indices[] = {0, 1, 0, 0};
    std::memcpy(indexed->bits, indices, 4);

    CImageObject fromRgb, fromIndexed;
    ASSERT_TRUE(CEqualizeOp().Apply(&fromRgb, rgb.get()));
    ASSERT_TRUE(CEqualizeOp().Apply(&fromIndexed, indexed.get()));
    EXPECT_EQ(GetBgr(&fromRgb, 0, 0), (Bgr{191, 191, 191}));
    EXPECT_EQ(GetBgr(&fromRgb, 3, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(EntryBgr(&fromIndexed, 0), (Bgr{191, 191, 191}));
    EXPECT_EQ(EntryBgr(&fromIndexed, 1), (Bgr{255, 255, 255}));
}

TEST(Desaturate, GreyByLightness) {
    ImagePtr src = MakeRow(24, {{0, 0, 255}, {10, 200, 90}, {77, 77, 77}, {255, 255, 255}});
    CImageObject dest;
    ASSERT_TRUE(CDesaturateOp().Apply(&dest, src.get()));
    const int expected[] = {127, 105, 77, 255};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(GetBgr(&dest, x, 0), (Bgr{expected[x], expected[x], expected[x]})) << x;
}

TEST(ToneOperations, RefuseOneBitUntouched) {
    ImagePtr mono = MakeImage(9, 2, 1);
    CInvertOp invert;
    CEqualizeOp equalize;
    CDesaturateOp desaturate;
    CImageOperation* ops[] = {&invert, &equalize, &desaturate};
    for (CImageOperation* op : ops) {
        ImagePtr dest = MakeBusyDestination();
        const ImageSnapshot before(dest.get());
        EXPECT_FALSE(op->Apply(dest.get(), mono.get()));
        before.ExpectSame(dest.get());
    }
}

} // namespace
