#include <gtest/gtest.h>

#include "imaging/operations/hls_color.h"

namespace {

struct HlsCase {
    int r, g, b;
    int h, l, s;
};

TEST(HlsColor, RgbToHlsKnownColours) {
    const HlsCase cases[] = {
        {255, 0, 0, 0, 128, 255},     {0, 255, 0, 85, 128, 255},    {0, 0, 255, 170, 128, 255},
        {255, 255, 255, 170, 255, 0}, {0, 0, 0, 170, 0, 0},         {100, 100, 100, 170, 100, 0},
        {128, 64, 32, 14, 80, 153},   {255, 0, 255, 213, 128, 255}, // magenta: hue -42 wraps to 213
    };
    for (const HlsCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.r << "," << c.g << "," << c.b);
        const HlsColor hls = RgbToHls(c.r, c.g, c.b);
        EXPECT_EQ(hls.hue, c.h);
        EXPECT_EQ(hls.lightness, c.l);
        EXPECT_EQ(hls.saturation, c.s);
    }
}

TEST(HlsColor, HlsToRgbKnownValues) {
    struct Case {
        int h, l, s;
        int r, g, b;
    } cases[] = {
        {14, 80, 153, 128, 63, 31}, // back from (128, 64, 32), one step darker
        {0, 128, 255, 255, 0, 0},    {85, 128, 255, 0, 255, 0}, {170, 128, 255, 0, 0, 255},
        {170, 77, 0, 77, 77, 77}, // no saturation: lightness on every channel
        {40, 255, 0, 255, 255, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.h << "," << c.l << "," << c.s);
        const RgbColor rgb = HlsToRgb(c.h, c.l, c.s);
        EXPECT_EQ(rgb.red, c.r);
        EXPECT_EQ(rgb.green, c.g);
        EXPECT_EQ(rgb.blue, c.b);
    }
}

// Every table entry the adjustments can produce goes back to a valid byte.
TEST(HlsColor, HlsToRgbStaysInByteRange) {
    for (int h = 0; h < 256; h += 3) {
        for (int l = 0; l < 256; l += 5) {
            for (int s = 0; s < 256; s += 5) {
                const RgbColor rgb = HlsToRgb(h, l, s);
                ASSERT_TRUE(rgb.red >= 0 && rgb.red <= 255 && rgb.green >= 0 && rgb.green <= 255 &&
                            rgb.blue >= 0 && rgb.blue <= 255)
                    << h << "," << l << "," << s;
            }
        }
    }
}

TEST(HlsColor, RgbLightnessTruncates) {
    EXPECT_EQ(RgbLightness(255, 0, 0), 127);
    EXPECT_EQ(RgbLightness(10, 20, 31), 20);
    EXPECT_EQ(RgbLightness(255, 255, 255), 255);
}

} // namespace
