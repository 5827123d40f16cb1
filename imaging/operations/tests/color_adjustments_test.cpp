#include <cmath>
#include <vector>

#include "imaging/operations/color_adjustments.h"
#include "imaging/operations/hls_color.h"
#include "imaging/operations/tests/op_test_image.h"

namespace {

// Lookup table read back through the real per-pixel path: pixel k of the
// source is grey inputs[k], so blue of pixel k is table[inputs[k]].
std::vector<int> MapRamp(CImageOperation& op, const std::vector<int>& inputs) {
    ImagePtr src = MakeRamp(inputs);
    CImageObject dest;
    EXPECT_TRUE(op.Apply(&dest, src.get()));
    std::vector<int> out;
    for (size_t k = 0; k < inputs.size(); ++k)
        out.push_back(GetBgr(&dest, static_cast<int>(k), 0).b);
    return out;
}

TEST(BrightnessContrast, TableValues) {
    const std::vector<int> inputs = {0, 1, 64, 127, 128, 191, 254, 255};
    struct Case {
        int brightness, contrast;
        std::vector<int> expected;
    } cases[] = {
        {50, 0, {64, 65, 112, 159, 160, 207, 254, 255}},
        {-50, 0, {0, 1, 48, 95, 96, 143, 191, 191}},
        {0, 50, {0, 0, 32, 127, 128, 223, 255, 255}},
        {0, -50, {0, 11, 90, 127, 128, 165, 244, 255}},
        {0, 100, {0, 0, 0, 77, 178, 255, 255, 255}}, // exponent 127 at full contrast
        {-100, -100, {128, 128, 128, 128, 128, 128, 128, 128}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.brightness << "," << c.contrast);
        CBrightnessContrastOp op;
        op.brightness = c.brightness;
        op.contrast = c.contrast;
        EXPECT_EQ(MapRamp(op, inputs), c.expected);
    }
}

TEST(Posterize, TableValues) {
    const std::vector<int> inputs = {0, 42, 43, 127, 128, 212, 213, 255};
    struct Case {
        int levels;
        std::vector<int> expected;
    } cases[] = {
        {4, {0, 0, 85, 85, 170, 170, 255, 255}},
        {2, {0, 0, 0, 0, 255, 255, 255, 255}},
        {255, {0, 42, 43, 128, 128, 212, 213, 255}}, // 127 lands on the step at 127.5
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.levels);
        CPosterizeOp op;
        op.levels = c.levels;
        EXPECT_EQ(MapRamp(op, inputs), c.expected);
    }
}

TEST(ColorBalance, RedTableValues) {
    struct Case {
        int range;
        double value;
        std::vector<int> expected; // at 0, 64, 127, 128, 255
    } cases[] = {
        {CColorBalanceOp::kMidtones, 100, {0, 114, 193, 194, 254}},
        {CColorBalanceOp::kShadows, -100, {0, 0, 31, 32, 248}},
    };
    const int inputs[] = {0, 64, 127, 128, 255};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range);
        CColorBalanceOp op;
        op.values[CColorBalanceOp::kCyanRed][c.range] = c.value;
        uint8_t red[256], green[256];
        op.BuildTable(CColorBalanceOp::kCyanRed, red);
        op.BuildTable(CColorBalanceOp::kMagentaGreen, green);
        for (size_t k = 0; k < c.expected.size(); ++k) {
            EXPECT_EQ(red[inputs[k]], c.expected[k]) << "i=" << inputs[k];
            EXPECT_EQ(green[inputs[k]], inputs[k]); // other axes untouched
        }
        // Through the pixels, without preserving lightness: only red moves.
        op.preserveLuminosity = false;
        ImagePtr src = MakeRow(24, {{64, 64, 64}, {128, 128, 128}});
        CImageObject dest;
        ASSERT_TRUE(op.Apply(&dest, src.get()));
        EXPECT_EQ(GetBgr(&dest, 0, 0), (Bgr{64, 64, red[64]}));
        EXPECT_EQ(GetBgr(&dest, 1, 0), (Bgr{128, 128, red[128]}));
    }
}

TEST(ColorBalance, PreserveLuminosityKeepsLightness) {
    CColorBalanceOp op;
    op.values[CColorBalanceOp::kCyanRed][CColorBalanceOp::kMidtones] = 80;
    op.values[CColorBalanceOp::kYellowBlue][CColorBalanceOp::kHighlights] = -60;
    const std::vector<Bgr> colors = {{10, 200, 90}, {250, 30, 30}, {128, 128, 128}, {0, 60, 255}};
    ImagePtr src = MakeRow(24, colors);
    CImageObject dest;
    ASSERT_TRUE(op.Apply(&dest, src.get()));
    bool anyChanged = false;
    for (size_t k = 0; k < colors.size(); ++k) {
        const Bgr in = colors[k];
        const Bgr out = GetBgr(&dest, static_cast<int>(k), 0);
        anyChanged |= !(in == out);
        EXPECT_NEAR(RgbLightness(out.r, out.g, out.b), RgbLightness(in.r, in.g, in.b), 1) << k;
    }
    EXPECT_TRUE(anyChanged);
}

TEST(HueSaturation, MasterHueAndSaturation) {
    ImagePtr src = MakeRow(24, {{32, 64, 128}, {0, 0, 255}, {90, 90, 90}});
    {
        // A shift of 1 degree is 0 steps: only the trip through HLS shows.
        CHueSaturationOp op;
        op.hue[0] = 1;
        CImageObject dest;
        ASSERT_TRUE(op.Apply(&dest, src.get()));
        EXPECT_EQ(GetBgr(&dest, 0, 0), (Bgr{31, 63, 128}));
    }
    {
        CHueSaturationOp op;
        op.saturation[0] = -100;
        CImageObject dest;
        ASSERT_TRUE(op.Apply(&dest, src.get()));
        for (int x = 0; x < 3; ++x) {
            const Bgr c = GetBgr(&dest, x, 0);
            EXPECT_TRUE(c.r == c.g && c.g == c.b) << x << " " << c;
        }
        EXPECT_EQ(GetBgr(&dest, 1, 0), (Bgr{128, 128, 128}));
    }
    {
        // Reds only: +120 degrees turns pure red green, leaves blue alone.
        CHueSaturationOp op;
        op.hue[1] = 120;
        ImagePtr colours = MakeRow(24, {{0, 0, 255}, {255, 0, 0}});
        CImageObject dest;
        ASSERT_TRUE(op.Apply(&dest, colours.get()));
        EXPECT_EQ(GetBgr(&dest, 0, 0), (Bgr{0, 255, 0}));
        EXPECT_EQ(GetBgr(&dest, 1, 0), (Bgr{255, 0, 0}));
    }
}

// Neutral settings copy the pixels exactly, including the fourth byte.
TEST(ColorAdjustments, NeutralSettingsCopyExactly) {
    ImagePtr src = MakeImage(5, 3, 32);
    for (size_t i = 0; i < static_cast<size_t>(src->stride) * 3; ++i)
        src->bits[i] = static_cast<uint8_t>(i * 37 + 5);
    CBrightnessContrastOp bc;
    CColorBalanceOp balance;
    balance.values[2][1] = 0.9; // truncates to 0
    CHueSaturationOp hs;
    CImageOperation* ops[] = {&bc, &balance, &hs};
    for (CImageOperation* op : ops) {
        CImageObject dest;
        ASSERT_TRUE(op->Apply(&dest, src.get()));
        EXPECT_EQ(0, std::memcmp(dest.bits, src->bits, static_cast<size_t>(src->stride) * 3));
        EXPECT_EQ(dest.rowsDecoded, 3);
        EXPECT_TRUE(dest.complete);
    }
}

TEST(ColorAdjustments, FourthByteIsKept) {
    ImagePtr src = MakeImage(2, 1, 32);
    const uint8_t pixels[] = {10, 20, 30, 77, 200, 100, 50, 201};
    std::memcpy(src->bits, pixels, sizeof pixels);
    CBrightnessContrastOp op;
    op.brightness = 40;
    CImageObject dest;
    ASSERT_TRUE(op.Apply(&dest, src.get()));
    EXPECT_EQ(dest.bits[3], 77);
    EXPECT_EQ(dest.bits[7], 201);
    EXPECT_NE(dest.bits[0], 10);
}

// An 8-bit image: only the palette entries that pixels use change.
TEST(ColorAdjustments, PaletteImageMapsOnlyUsedEntries) {
    ImagePtr src = MakeImage(4, 2, 8, 8);
    for (int i = 0; i < 8; ++i)
        src->SetPaletteEntry(i, static_cast<uint8_t>(30 * i), 40, 50, 0);
    const uint8_t indices[] = {1, 3, 3, 1, 6, 1, 3, 6};
    for (int k = 0; k < 8; ++k)
        PixelAt(src.get(), k % 4, k / 4)[0] = indices[k];
    CPosterizeOp op;
    op.levels = 2;
    CImageObject dest;
    ASSERT_TRUE(op.Apply(&dest, src.get()));
    EXPECT_EQ(dest.bitsPerPixel, 8);
    EXPECT_EQ(0, std::memcmp(dest.bits, src->bits, static_cast<size_t>(src->stride) * 2));
    for (int i = 0; i < 8; ++i) {
        const bool used = i == 1 || i == 3 || i == 6;
        const Bgr in = EntryBgr(src.get(), i);
        const Bgr expected = used ? Bgr{0, 0, in.r > 127 ? 255 : 0} : in;
        EXPECT_EQ(EntryBgr(&dest, i), expected) << i;
    }
}

// Refusals leave the destination exactly as it was.
TEST(ColorAdjustments, RefusalsLeaveDestinationUntouched) {
    ImagePtr rgb = MakeImage(3, 2, 24);
    ImagePtr mono = MakeImage(3, 2, 1);
    CBrightnessContrastOp brightness101, contrastMinus101, brightness10, neutral;
    brightness101.brightness = 101;
    contrastMinus101.contrast = -101;
    brightness10.brightness = 10;
    CHueSaturationOp hueMinus181, saturation101, lightnessMinus101, hue10;
    hueMinus181.hue[3] = -181;
    saturation101.saturation[0] = 101;
    lightnessMinus101.lightness[6] = -101;
    hue10.hue[0] = 10;
    CColorBalanceOp balanceOver, balanceNaN, balance10;
    balanceOver.values[1][2] = 100.5;
    balanceNaN.values[0][0] = std::nan("");
    balance10.values[0][1] = 10;
    CPosterizeOp levels1, levels256, levels4;
    levels1.levels = 1;
    levels256.levels = 256;
    struct Case {
        const char* name;
        CImageOperation* op;
        CImageObject* src;
    } cases[] = {
        {"brightness 101", &brightness101, rgb.get()},
        {"contrast -101", &contrastMinus101, rgb.get()},
        {"hue -181", &hueMinus181, rgb.get()},
        {"saturation 101", &saturation101, rgb.get()},
        {"lightness -101", &lightnessMinus101, rgb.get()},
        {"balance 100.5", &balanceOver, rgb.get()},
        {"balance NaN", &balanceNaN, rgb.get()},
        {"posterize 1", &levels1, rgb.get()},
        {"posterize 256", &levels256, rgb.get()},
        {"1 bpp brightness", &brightness10, mono.get()},
        {"1 bpp balance", &balance10, mono.get()},
        {"1 bpp hue", &hue10, mono.get()},
        {"1 bpp posterize", &levels4, mono.get()},
        {"1 bpp neutral", &neutral, mono.get()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImagePtr dest = MakeBusyDestination();
        const ImageSnapshot before(dest.get());
        EXPECT_FALSE(c.op->Apply(dest.get(), c.src));
        before.ExpectSame(dest.get());
    }
}

} // namespace
