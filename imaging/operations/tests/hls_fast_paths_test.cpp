// The HLS adjustments (hue/saturation, colour balance keeping lightness) go
// through conversion tables and, where the processor has them, 256-bit
// vectors. Both must give bit for bit what converting each colour with
// RgbToHls and HlsToRgb gives: the reference below is that colour-by-colour
// implementation, compared on every colour, on noise and on the edges (greys,
// ties, rows that end in a partial block, 32-bpp fourth bytes).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "imaging/operations/color_adjustments.h"
#include "imaging/operations/hls_color.h"
#include "imaging/operations/hls_wide.h"
#include "imaging/operations/tests/op_test_image.h"

namespace {

int Clamp(int v, int lo, int hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// Hue/saturation, one colour at a time.
struct ReferenceHueSaturation {
    uint8_t hue[6][256], lightness[6][256], saturation[6][256];

    explicit ReferenceHueSaturation(const CHueSaturationOp& op) {
        for (int k = 1; k < 7; ++k) {
            const int h = static_cast<int>((op.hue[0] + op.hue[k]) * 0.7083333333333334);
            const int l =
                Clamp(static_cast<int>((op.lightness[0] + op.lightness[k]) * 1.27), -255, 255);
            const int s =
                Clamp(static_cast<int>((op.saturation[0] + op.saturation[k]) * 2.5500000000000003),
                      -255, 255);
            for (int i = 0; i < 256; ++i) {
                int turned = i + h;
                if (turned < 0)
                    turned += 255;
                else if (turned > 255)
                    turned -= 255;
                hue[k - 1][i] = static_cast<uint8_t>(Clamp(turned, 0, 255));
                const int light = l < 0 ? i * (255 + l) / 255 : i + (255 - i) * l / 255;
                lightness[k - 1][i] = static_cast<uint8_t>(Clamp(light, 0, 255));
                saturation[k - 1][i] = static_cast<uint8_t>(Clamp(i * (255 + s) / 255, 0, 255));
            }
        }
    }

    void operator()(uint8_t* out, const uint8_t* in) const {
        const HlsColor hls = RgbToHls(in[2], in[1], in[0]);
        const int h = hls.hue;
        const int range = h < 43 ? 0 : h < 85 ? 1 : h < 128 ? 2 : h < 171 ? 3 : h < 213 ? 4 : 5;
        const RgbColor rgb = HlsToRgb(hue[range][h], lightness[range][hls.lightness],
                                      saturation[range][hls.saturation]);
        out[0] = static_cast<uint8_t>(rgb.blue);
        out[1] = static_cast<uint8_t>(rgb.green);
        out[2] = static_cast<uint8_t>(rgb.red);
    }
};

// Colour balance keeping lightness, one colour at a time.
struct ReferenceBalance {
    uint8_t red[256], green[256], blue[256];

    explicit ReferenceBalance(const CColorBalanceOp& op) {
        op.BuildTable(CColorBalanceOp::kCyanRed, red);
        op.BuildTable(CColorBalanceOp::kMagentaGreen, green);
        op.BuildTable(CColorBalanceOp::kYellowBlue, blue);
    }

    void operator()(uint8_t* out, const uint8_t* in) const {
        const HlsColor hls = RgbToHls(red[in[2]], green[in[1]], blue[in[0]]);
        const RgbColor rgb = HlsToRgb(hls.hue, RgbLightness(in[2], in[1], in[0]), hls.saturation);
        out[0] = static_cast<uint8_t>(rgb.blue);
        out[1] = static_cast<uint8_t>(rgb.green);
        out[2] = static_cast<uint8_t>(rgb.red);
    }
};

template <class Reference> ImagePtr ApplyReference(const Reference& ref, CImageObject* src) {
    ImagePtr out = MakeImage(src->width, src->height, src->bitsPerPixel);
    std::memcpy(out->bits, src->bits, static_cast<size_t>(src->stride) * src->height);
    for (int y = 0; y < src->height; ++y)
        for (int x = 0; x < src->width; ++x)
            ref(PixelAt(out.get(), x, y), PixelAt(src, x, y));
    return out;
}

// Pixels (and the fourth byte) compared; row padding is not part of the image.
void ExpectSamePixels(CImageObject* expected, CImageObject* actual) {
    ASSERT_EQ(expected->width, actual->width);
    ASSERT_EQ(expected->height, actual->height);
    const size_t rowBytes = static_cast<size_t>(expected->width) * (expected->bitsPerPixel / 8);
    for (int y = 0; y < expected->height; ++y) {
        const uint8_t* e = PixelAt(expected, 0, y);
        const uint8_t* a = PixelAt(actual, 0, y);
        if (std::memcmp(e, a, rowBytes) == 0)
            continue;
        for (size_t i = 0; i < rowBytes; ++i)
            ASSERT_EQ(e[i], a[i]) << "row " << y << ", byte " << i << " (pixel "
                                  << i / (expected->bitsPerPixel / 8) << ")";
    }
}

ImagePtr MakeNoise(int depth, int width, int height, uint32_t seed) {
    ImagePtr image = MakeImage(width, height, depth);
    for (size_t i = 0; i < static_cast<size_t>(image->stride) * height; ++i) {
        seed = seed * 1103515245u + 12345u;
        image->bits[i] = static_cast<uint8_t>(seed >> 16);
    }
    // Edge colours at the starts of rows: greys, black, white, ties of two
    // channels at the maximum or the minimum, one-step differences.
    const Bgr edges[] = {{0, 0, 0},       {255, 255, 255}, {128, 128, 128}, {0, 0, 255},
                         {255, 0, 255},   {0, 255, 255},   {255, 255, 0},   {10, 10, 200},
                         {200, 10, 10},   {10, 200, 200},  {127, 128, 128}, {1, 0, 0},
                         {254, 255, 255}, {0, 1, 255},     {128, 127, 129}, {64, 64, 63}};
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < 16 && i < width; ++i) {
            const Bgr& c = edges[(i + y) % 16];
            SetBgr(image.get(), i, y, c.b, c.g, c.r);
        }
    return image;
}

// Every 24-bit colour once: 4096 x 4096 pixels.
ImagePtr MakeEveryColor() {
    ImagePtr image = MakeImage(4096, 4096, 24);
    for (int y = 0; y < 4096; ++y)
        for (int x = 0; x < 4096; ++x) {
            const uint32_t c = static_cast<uint32_t>(y) * 4096u + static_cast<uint32_t>(x);
            SetBgr(image.get(), x, y, static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8),
                   static_cast<uint8_t>(c >> 16));
        }
    return image;
}

// Runs the test body once with the vector path allowed and once without.
class HlsPaths : public testing::TestWithParam<bool> {
protected:
    void SetUp() override { AllowHlsWidePath(GetParam()); }
    void TearDown() override { AllowHlsWidePath(true); }
};

TEST(HlsConversionTables, GiveRgbToHlsAndHlsToRgbForEveryInput) {
    const CHlsTables& tables = CHlsTables::Get();
    const CHlsToBgr& back = CHlsToBgr::Get();
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                const HlsColor expected = RgbToHls(r, g, b);
                const HlsColor actual = tables.ToHls(r, g, b);
                if (expected.hue != actual.hue || expected.lightness != actual.lightness ||
                    expected.saturation != actual.saturation)
                    FAIL() << "RgbToHls(" << r << ", " << g << ", " << b << ")";
                // The same loops name every hue, lightness and saturation.
                const RgbColor rgb = HlsToRgb(r, g, b);
                uint8_t bgr[3];
                back.ToBgr(r, g, b, bgr);
                if (bgr[0] != rgb.blue || bgr[1] != rgb.green || bgr[2] != rgb.red)
                    FAIL() << "HlsToRgb(" << r << ", " << g << ", " << b << ")";
            }
}

struct HueCase {
    const char* name;
    int hue[7], saturation[7], lightness[7];
};

const HueCase kHueCases[] = {
    {"master hue +30", {30}, {}, {}},
    {"master hue -180, saturation +100, lightness -100", {-180}, {100}, {-100}},
    {"master hue +180, saturation -100, lightness +100", {180}, {-100}, {100}},
    {"saturation only", {}, {-40}, {}},
    {"lightness only", {}, {}, {35}},
    {"one range each",
     {0, 20, -30, 40, -50, 60, -70},
     {0, 10, -20, 30, -40, 50, -60},
     {0, -5, 15, -25, 35, -45, 55}},
    {"reds only, at the limits", {0, 180}, {0, 100}, {0, -100}},
};

TEST_P(HlsPaths, HueSaturationMatchesTheColourByColourResult) {
    std::vector<ImagePtr> images;
    images.push_back(MakeNoise(24, 61, 9, 7u)); // 61: blocks of 8 and a tail of 5
    images.push_back(MakeNoise(32, 37, 7, 9u));
    images.push_back(MakeNoise(24, 8, 3, 11u)); // exactly one block per row
    images.push_back(MakeNoise(24, 5, 3, 13u)); // shorter than a block
    for (const HueCase& c : kHueCases) {
        SCOPED_TRACE(c.name);
        CHueSaturationOp op;
        for (int k = 0; k < 7; ++k) {
            op.hue[k] = c.hue[k];
            op.saturation[k] = c.saturation[k];
            op.lightness[k] = c.lightness[k];
        }
        const ReferenceHueSaturation ref(op);
        for (ImagePtr& src : images) {
            SCOPED_TRACE(testing::Message() << src->width << "x" << src->height << " at "
                                            << src->bitsPerPixel << " bpp");
            const ImagePtr expected = ApplyReference(ref, src.get());
            CImageObject fresh;
            ASSERT_TRUE(op.Apply(&fresh, src.get()));
            ExpectSamePixels(expected.get(), &fresh);
            // Into a reused destination, as the previews do.
            ImagePtr reused = MakeImage(src->width, src->height, src->bitsPerPixel);
            op.createDestination = false;
            ASSERT_TRUE(op.Apply(reused.get(), src.get()));
            op.createDestination = true;
            ExpectSamePixels(expected.get(), reused.get());
        }
    }
}

struct BalanceCase {
    const char* name;
    double values[3][3]; // axis x (shadows, midtones, highlights)
};

const BalanceCase kBalanceCases[] = {
    {"red midtones +40", {{0, 40, 0}, {0, 0, 0}, {0, 0, 0}}},
    {"every axis and tone at the limits", {{-100, 100, -100}, {100, -100, 100}, {-100, -100, 100}}},
    {"small fractions", {{0.5, -1.5, 2.25}, {-3.75, 0, 7.5}, {0, 11, -13}}},
    {"blue shadows only", {{0, 0, 0}, {0, 0, 0}, {-35, 0, 0}}},
};

TEST_P(HlsPaths, ColourBalanceKeepingLightnessMatchesTheColourByColourResult) {
    std::vector<ImagePtr> images;
    images.push_back(MakeNoise(24, 61, 9, 17u));
    images.push_back(MakeNoise(32, 37, 7, 19u));
    images.push_back(MakeNoise(24, 5, 3, 23u));
    for (const BalanceCase& c : kBalanceCases) {
        SCOPED_TRACE(c.name);
        CColorBalanceOp op;
        op.preserveLuminosity = true;
        for (int a = 0; a < 3; ++a)
            for (int t = 0; t < 3; ++t)
                op.values[a][t] = c.values[a][t];
        const ReferenceBalance ref(op);
        for (ImagePtr& src : images) {
            SCOPED_TRACE(testing::Message() << src->width << "x" << src->height << " at "
                                            << src->bitsPerPixel << " bpp");
            const ImagePtr expected = ApplyReference(ref, src.get());
            CImageObject fresh;
            ASSERT_TRUE(op.Apply(&fresh, src.get()));
            ExpectSamePixels(expected.get(), &fresh);
        }
    }
}

// Every colour through both operations, with settings that move hue,
// lightness and saturation at once.
TEST_P(HlsPaths, EveryColourMapsAsTheColourByColourResult) {
    const ImagePtr src = MakeEveryColor();
    CHueSaturationOp hue;
    hue.hue[0] = 50;
    hue.saturation[2] = 30;
    hue.lightness[4] = -20;
    CImageObject hueOut;
    ASSERT_TRUE(hue.Apply(&hueOut, src.get()));
    ExpectSamePixels(ApplyReference(ReferenceHueSaturation(hue), src.get()).get(), &hueOut);

    CColorBalanceOp balance;
    balance.preserveLuminosity = true;
    balance.values[CColorBalanceOp::kCyanRed][CColorBalanceOp::kMidtones] = 60;
    balance.values[CColorBalanceOp::kYellowBlue][CColorBalanceOp::kHighlights] = -45;
    CImageObject balanceOut;
    ASSERT_TRUE(balance.Apply(&balanceOut, src.get()));
    ExpectSamePixels(ApplyReference(ReferenceBalance(balance), src.get()).get(), &balanceOut);
}

INSTANTIATE_TEST_SUITE_P(VectorPathAllowedAndNot, HlsPaths, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "VectorsAllowed" : "ScalarOnly");
                         });

} // namespace
