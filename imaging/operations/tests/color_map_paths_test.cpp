// The fast row paths of the colour operations must give exactly what
// mapping each pixel on its own gives: every channel through its own table,
// the fourth byte of 32-bpp pixels kept, nothing written past the row.
#include <string>
#include <vector>

#include "imaging/operations/channel_lookup.h"
#include "imaging/operations/color_adjustments.h"
#include "imaging/operations/hls_color.h"
#include "imaging/operations/tone_operations.h"
#include "imaging/operations/tests/op_test_image.h"

namespace {

std::vector<uint8_t> NoiseBytes(size_t count, uint32_t seed) {
    std::vector<uint8_t> bytes(count);
    for (uint8_t& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>(seed >> 16);
    }
    return bytes;
}

// A 24/32-bpp image of noise whose width leaves row padding (24 bpp) and
// does not fill a whole group of four pixels.
ImagePtr MakeNoiseImage(int depth, int width, int height, uint32_t seed) {
    ImagePtr image = MakeImage(width, height, depth);
    const std::vector<uint8_t> noise =
        NoiseBytes(static_cast<size_t>(image->stride) * static_cast<size_t>(height), seed);
    std::memcpy(image->bits, noise.data(), noise.size());
    return image;
}

struct Tables {
    uint8_t blue[256], green[256], red[256];
};

Tables MakeTables(const char* kind) {
    Tables t;
    const std::string k = kind;
    for (int i = 0; i < 256; ++i) {
        const uint8_t curve = static_cast<uint8_t>(i * i / 255);
        if (k == "identity") {
            t.blue[i] = t.green[i] = t.red[i] = static_cast<uint8_t>(i);
        } else if (k == "inversion") {
            t.blue[i] = t.green[i] = t.red[i] = static_cast<uint8_t>(255 - i);
        } else if (k == "nearly inverted") { // one differing entry rules the XOR out
            t.blue[i] = t.green[i] = t.red[i] = static_cast<uint8_t>(255 - i);
            if (i == 200)
                t.red[i] = 0;
        } else if (k == "shared curve") {
            t.blue[i] = t.green[i] = t.red[i] = curve;
        } else { // one table per channel, each telling its channel apart
            t.blue[i] = curve;
            t.green[i] = static_cast<uint8_t>(255 - i);
            t.red[i] = static_cast<uint8_t>(i / 3 + 7);
        }
    }
    return t;
}

TEST(ChannelLookup, RowsMatchEachChannelsTable) {
    using Method = CChannelLookup::Method;
    struct Case {
        const char* tables;
        Method method;
    } cases[] = {
        {"identity", Method::kCopy},
        {"inversion", Method::kInvert},
        {"shared curve", Method::kByteTables},
        {"per channel", Method::kByteTables},
        {"nearly inverted", Method::kByteTables},
    };
    for (const Case& c : cases) {
        const Tables t = MakeTables(c.tables);
        for (int depth : {24, 32}) {
            for (int width : {1, 2, 3, 4, 5, 17}) {
                SCOPED_TRACE(testing::Message()
                             << c.tables << ", " << depth << " bpp, width " << width);
                const int bytesPerPixel = depth / 8;
                const size_t rowBytes = static_cast<size_t>(width) * bytesPerPixel;
                const std::vector<uint8_t> src = NoiseBytes(rowBytes, 99u + width);
                std::vector<uint8_t> dest(rowBytes + 8, 0xA5); // guard bytes after the row
                CChannelLookup lookup;
                lookup.Prepare(t.blue, t.green, t.red, depth);
                EXPECT_EQ(lookup.method(), c.method);
                lookup.MapRow(dest.data(), src.data(), width);
                for (size_t i = 0; i < rowBytes; ++i) {
                    const size_t channel = i % bytesPerPixel;
                    const uint8_t expected = channel == 0   ? t.blue[src[i]]
                                             : channel == 1 ? t.green[src[i]]
                                             : channel == 2 ? t.red[src[i]]
                                                            : src[i];
                    ASSERT_EQ(dest[i], expected) << "byte " << i;
                }
                for (size_t i = rowBytes; i < dest.size(); ++i)
                    ASSERT_EQ(dest[i], 0xA5) << "written past the row at " << i;
            }
        }
    }
}

// Colour balance maps red, green and blue through the tables of their own
// axes, on 24 and 32 bpp alike, into a fresh or a reused destination.
TEST(ChannelLookup, ColorBalanceKeepsChannelsApart) {
    for (int depth : {24, 32}) {
        for (bool reuse : {false, true}) {
            SCOPED_TRACE(testing::Message() << depth << " bpp, reuse " << reuse);
            ImagePtr src = MakeNoiseImage(depth, 13, 3, 7u);
            CColorBalanceOp op;
            op.preserveLuminosity = false;
            op.values[CColorBalanceOp::kCyanRed][CColorBalanceOp::kShadows] = 60;
            op.values[CColorBalanceOp::kMagentaGreen][CColorBalanceOp::kMidtones] = -70;
            op.values[CColorBalanceOp::kYellowBlue][CColorBalanceOp::kHighlights] = 45;
            uint8_t red[256], green[256], blue[256];
            op.BuildTable(CColorBalanceOp::kCyanRed, red);
            op.BuildTable(CColorBalanceOp::kMagentaGreen, green);
            op.BuildTable(CColorBalanceOp::kYellowBlue, blue);
            CImageObject dest;
            if (reuse) {
                ASSERT_TRUE(dest.CreateLike(src.get()));
                op.createDestination = false;
            }
            ASSERT_TRUE(op.Apply(&dest, src.get()));
            for (int y = 0; y < src->height; ++y) {
                for (int x = 0; x < src->width; ++x) {
                    const uint8_t* in = PixelAt(src.get(), x, y);
                    const uint8_t* out = PixelAt(&dest, x, y);
                    ASSERT_EQ(out[0], blue[in[0]]) << x << "," << y;
                    ASSERT_EQ(out[1], green[in[1]]) << x << "," << y;
                    ASSERT_EQ(out[2], red[in[2]]) << x << "," << y;
                    if (depth == 32) {
                        ASSERT_EQ(out[3], in[3]) << x << "," << y;
                    }
                }
            }
        }
    }
}

// The luma histogram counts pixels in groups of four: the pixels after the
// last whole group must count too. One white pixel at the end of a black
// row stays white only when it was counted.
TEST(ChannelLookup, EqualizeCountsEveryPixel) {
    for (int depth : {24, 32}) {
        for (int width : {1, 2, 3, 5, 6, 7, 8}) {
            SCOPED_TRACE(testing::Message() << depth << " bpp, width " << width);
            ImagePtr src = MakeImage(width, 2, depth);
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < width; ++x)
                    SetBgr(src.get(), x, y, 0, 0, 0);
            SetBgr(src.get(), width - 1, 1, 255, 255, 255);
            CImageObject dest;
            ASSERT_TRUE(CEqualizeOp().Apply(&dest, src.get()));
            EXPECT_EQ(GetBgr(&dest, width - 1, 1), (Bgr{255, 255, 255}));
            EXPECT_EQ(GetBgr(&dest, 0, 0), (Bgr{0, 0, 0}));
        }
    }
}

TEST(ChannelLookup, DesaturateMatchesLightnessOnNoise) {
    for (int depth : {24, 32}) {
        SCOPED_TRACE(depth);
        ImagePtr src = MakeNoiseImage(depth, 11, 4, 3u);
        CImageObject dest;
        ASSERT_TRUE(CDesaturateOp().Apply(&dest, src.get()));
        for (int y = 0; y < src->height; ++y) {
            for (int x = 0; x < src->width; ++x) {
                const uint8_t* in = PixelAt(src.get(), x, y);
                const uint8_t* out = PixelAt(&dest, x, y);
                const int grey = RgbLightness(in[2], in[1], in[0]);
                ASSERT_EQ(GetBgr(&dest, x, y), (Bgr{grey, grey, grey})) << x << "," << y;
                if (depth == 32) {
                    ASSERT_EQ(out[3], in[3]);
                }
            }
        }
    }
}

// Hue/saturation and colour balance with kept lightness give exactly the
// colour-by-colour HLS result, also where colours repeat.
TEST(HlsAdjustments, MatchDirectConversion) {
    ImagePtr src = MakeNoiseImage(24, 300, 200, 11u);
    // Repeat a few colours.
    for (int x = 0; x < 300; ++x)
        SetBgr(src.get(), x, 5, 10, 200, static_cast<uint8_t>(x % 4));

    CHueSaturationOp hs;
    hs.hue[0] = 40;
    hs.saturation[3] = -30;
    hs.lightness[5] = 20;
    CColorBalanceOp balance; // preserves luminosity by default
    balance.values[CColorBalanceOp::kCyanRed][CColorBalanceOp::kMidtones] = 50;
    balance.values[CColorBalanceOp::kYellowBlue][CColorBalanceOp::kShadows] = -35;
    uint8_t red[256], green[256], blue[256];
    balance.BuildTable(CColorBalanceOp::kCyanRed, red);
    balance.BuildTable(CColorBalanceOp::kMagentaGreen, green);
    balance.BuildTable(CColorBalanceOp::kYellowBlue, blue);

    CImageObject hsOut, balanceOut;
    ASSERT_TRUE(hs.Apply(&hsOut, src.get()));
    ASSERT_TRUE(balance.Apply(&balanceOut, src.get()));
    for (int y = 0; y < src->height; ++y) {
        for (int x = 0; x < src->width; ++x) {
            const Bgr in = GetBgr(src.get(), x, y);
            // Balance: hue and saturation of the mapped colour, lightness of
            // the original.
            const HlsColor mapped = RgbToHls(red[in.r], green[in.g], blue[in.b]);
            const RgbColor kept =
                HlsToRgb(mapped.hue, RgbLightness(in.r, in.g, in.b), mapped.saturation);
            ASSERT_EQ(GetBgr(&balanceOut, x, y), (Bgr{kept.blue, kept.green, kept.red}))
                << x << "," << y;
            // Hue/saturation: compare with a second run on a one-pixel image,
            // which the scalar code maps alone.
            if ((x * 7 + y) % 97 == 0) {
                ImagePtr one = MakeRow(24, {in});
                CImageObject oneOut;
                ASSERT_TRUE(hs.Apply(&oneOut, one.get()));
                ASSERT_EQ(GetBgr(&hsOut, x, y), GetBgr(&oneOut, 0, 0)) << x << "," << y;
            }
        }
    }
}

} // namespace
