#include "imaging/image_object.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/tests/image_test_support.h"

namespace {

using namespace image_test;

TEST(ImagePixels, GetRowHonoursOrderAndBounds) {
    CImageObject image;
    ASSERT_TRUE(image.Create(3, 4, 8, 0));
    EXPECT_EQ(image.GetRow(0, true), image.bits);
    EXPECT_EQ(image.GetRow(0, false), image.bits + 3 * image.stride);
    EXPECT_EQ(image.GetRow(3, false), image.bits);
    EXPECT_EQ(image.GetRow(4, true), nullptr);
    EXPECT_EQ(image.GetRow(-1, true), nullptr);
}

TEST(ImagePixels, Fill) {
    CImageObject indexed;
    ASSERT_TRUE(indexed.Create(3, 2, 8, 2));
    EXPECT_TRUE(indexed.Fill(Bgr(255, 255, 255, 255)));
    EXPECT_EQ(indexed.GetRow(1, true)[2], 1);
    // The reserved byte is compared: white with reserved 0 is not in the palette.
    std::vector<uint8_t> before = Pixels(indexed);
    EXPECT_FALSE(indexed.Fill(Bgr(255, 255, 255, 0)));
    EXPECT_EQ(Pixels(indexed), before);

    CImageObject rgb;
    ASSERT_TRUE(rgb.Create(3, 2, 24, 0));
    EXPECT_TRUE(rgb.Fill(Bgr(1, 2, 3, 4)));
    const uint8_t* row = rgb.GetRow(1, true);
    EXPECT_EQ(row[6], 1);
    EXPECT_EQ(row[7], 2);
    EXPECT_EQ(row[8], 3);
    EXPECT_EQ(row[9], 0); // padding untouched

    CImageObject rgba;
    ASSERT_TRUE(rgba.Create(2, 1, 32, 0));
    EXPECT_TRUE(rgba.Fill(Bgr(1, 2, 3, 4)));
    EXPECT_EQ(rgba.GetRow(0, true)[7], 4);

    CImageObject mono, empty;
    ASSERT_TRUE(mono.Create(8, 1, 1, 0));
    EXPECT_FALSE(mono.Fill(Bgr(0, 0, 0, 255)));
    EXPECT_FALSE(empty.Fill(Bgr(0, 0, 0, 0)));
}

TEST(ImagePixels, CopyRectBounds) {
    struct Case {
        int dx, dy, w, h, sx, sy;
        bool ok;
    } cases[] = {
        {0, 0, 4, 3, 0, 0, true},           {1, 1, 3, 2, 0, 0, true},   {2, 0, 3, 1, 0, 0, false},
        {0, 0, 1, 1, 4, 0, false},          {0, 0, 2, 2, 0, 2, false},  {-1, 0, 1, 1, 0, 0, false},
        {0, 0, 1, 1, 0, -1, false},         {0, 0, -1, 1, 0, 0, false}, {0, 0, 0, 0, 0, 0, true},
        {0x7FFFFFFF, 0, 2, 1, 0, 0, false},
    };
    for (int bpp : {8, 24, 32}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << bpp << " bpp " << c.dx << "," << c.dy << " " << c.w
                                            << "x" << c.h << " from " << c.sx << "," << c.sy);
            CImageObject destination, source;
            ASSERT_TRUE(destination.Create(4, 3, bpp, 0));
            ASSERT_TRUE(source.Create(4, 3, bpp, 0));
            Pattern(source, 50);
            std::vector<uint8_t> before = Pixels(destination);
            ASSERT_EQ(destination.CopyRect(c.dx, c.dy, c.w, c.h, &source, c.sx, c.sy), c.ok);
            if (!c.ok) {
                EXPECT_EQ(Pixels(destination), before);
                continue;
            }
            int bytes = bpp / 8;
            for (int y = 0; y < c.h; ++y)
                EXPECT_EQ(memcmp(destination.GetRow(c.dy + y, true) + c.dx * bytes,
                                 source.GetRow(c.sy + y, true) + c.sx * bytes, c.w * bytes),
                          0);
        }
    }
    CImageObject a, b;
    ASSERT_TRUE(a.Create(4, 4, 24, 0));
    ASSERT_TRUE(b.Create(4, 4, 32, 0));
    EXPECT_FALSE(a.CopyRect(0, 0, 1, 1, &b, 0, 0)); // depths differ
    CImageObject m1, m2;
    ASSERT_TRUE(m1.Create(8, 1, 1, 0));
    ASSERT_TRUE(m2.Create(8, 1, 1, 0));
    EXPECT_FALSE(m1.CopyRect(0, 0, 8, 1, &m2, 0, 0)); // 1 bpp refused
    EXPECT_FALSE(a.CopyRect(0, 0, 1, 1, nullptr, 0, 0));
}

TEST(ImagePixels, CopyRectTransparentIndexed) {
    CImageObject source, destination;
    ASSERT_TRUE(source.Create(3, 1, 8, 4));
    ASSERT_TRUE(destination.Create(3, 1, 8, 4));
    source.SetPaletteEntry(2, 10, 20, 30, 255);
    uint8_t* from = source.GetRow(0, true);
    from[0] = 1;
    from[1] = 2;
    from[2] = 3;
    memset(destination.GetRow(0, true), 0, 3);

    // Missing colour with index -1: nothing copied, false.
    std::vector<uint8_t> before = Pixels(destination);
    EXPECT_FALSE(destination.CopyRectTransparent(0, 0, 3, 1, &source, 0, 0, Bgr(1, 1, 1), -1));
    EXPECT_EQ(Pixels(destination), before);

    // The colour is looked up with reserved 255 whatever the caller passes.
    ASSERT_TRUE(destination.CopyRectTransparent(0, 0, 3, 1, &source, 0, 0, Bgr(30, 20, 10, 0), -1));
    const uint8_t* to = destination.GetRow(0, true);
    EXPECT_EQ(to[0], 1);
    EXPECT_EQ(to[1], 0); // skipped
    EXPECT_EQ(to[2], 3);

    memset(destination.GetRow(0, true), 0, 3);
    ASSERT_TRUE(destination.CopyRectTransparent(0, 0, 3, 1, &source, 0, 0, Bgr(0, 0, 0), 3));
    EXPECT_EQ(to[0], 1);
    EXPECT_EQ(to[1], 2);
    EXPECT_EQ(to[2], 0); // index 3 skipped
}

TEST(ImagePixels, CopyRectTransparentTrueColour) {
    for (int bpp : {24, 32}) {
        SCOPED_TRACE(bpp);
        CImageObject source, destination;
        ASSERT_TRUE(source.Create(2, 1, bpp, 0));
        ASSERT_TRUE(destination.Create(2, 1, bpp, 0));
        int n = bpp / 8;
        uint8_t* from = source.GetRow(0, true);
        uint8_t key[4] = {5, 6, 7, 99};
        uint8_t other[4] = {5, 6, 8, 1};
        memcpy(from, key, n);
        memcpy(from + n, other, n);
        PaletteEntry colour = Bgr(5, 6, 7, 0); // fourth byte differs but is not compared
        ASSERT_TRUE(destination.CopyRectTransparent(0, 0, 2, 1, &source, 0, 0, colour, -1));
        const uint8_t* to = destination.GetRow(0, true);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(to[i], 0);
            EXPECT_EQ(to[n + i], other[i]);
        }
    }
}

} // namespace
