// Hue/saturation: every colour is moved to HLS, its hue range (reds,
// yellows, greens, cyans, blues, magentas) picks one set of hue, lightness
// and saturation tables (master values added), and it is moved back.
#include "imaging/operations/color_adjustments.h"
#include "imaging/operations/color_memo.h"
#include "imaging/operations/hls_color.h"

namespace {

int ClampTo(int v, int lo, int hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

struct RangeTables {
    uint8_t hue[256];
    uint8_t lightness[256];
    uint8_t saturation[256];
};

struct MapHueSaturation {
    const RangeTables* ranges; // 6 entries: reds .. magentas
    // Range of each hue: 0 reds (< 43), 1 yellows (< 85), 2 greens (< 128),
    // 3 cyans (< 171), 4 blues (< 213), 5 magentas.
    const uint8_t* rangeOfHue;

    void operator()(uint8_t* out, const uint8_t* in) const {
        const HlsColor hls = RgbToHls(in[2], in[1], in[0]);
        const RangeTables& t = ranges[rangeOfHue[hls.hue]];
        const RgbColor rgb =
            HlsToRgb(t.hue[hls.hue], t.lightness[hls.lightness], t.saturation[hls.saturation]);
        out[0] = static_cast<uint8_t>(rgb.blue);
        out[1] = static_cast<uint8_t>(rgb.green);
        out[2] = static_cast<uint8_t>(rgb.red);
    }
};

void BuildRangeTables(int hueSum, int lightnessSum, int saturationSum, RangeTables* t) {
    const int h = static_cast<int>(hueSum * 0.7083333333333334);
    const int l = ClampTo(static_cast<int>(lightnessSum * 1.27), -255, 255);
    // The double one step above 2.55, so that a sum of 100 gives exactly 255.
    const int s = ClampTo(static_cast<int>(saturationSum * 2.5500000000000003), -255, 255);
    for (int i = 0; i < 256; ++i) {
        int hue = i + h;
        if (hue < 0)
            hue += 255;
        else if (hue > 255)
            hue -= 255;
        t->hue[i] = static_cast<uint8_t>(ClampTo(hue, 0, 255));
        const int light = l < 0 ? i * (255 + l) / 255 : i + (255 - i) * l / 255;
        t->lightness[i] = static_cast<uint8_t>(ClampTo(light, 0, 255));
        t->saturation[i] = static_cast<uint8_t>(ClampTo(i * (255 + s) / 255, 0, 255));
    }
}

} // namespace

bool CHueSaturationOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src) || !IsMappableDepth(src->bitsPerPixel))
        return false;
    bool neutral = true;
    for (int k = 0; k < kRanges; ++k) {
        if (hue[k] < -180 || hue[k] > 180 || saturation[k] < -100 || saturation[k] > 100 ||
            lightness[k] < -100 || lightness[k] > 100)
            return false;
        if (hue[k] != 0 || saturation[k] != 0 || lightness[k] != 0)
            neutral = false;
    }
    // A run cancelled before it starts leaves the destination as it was.
    if (IsCancelled() || !PrepareDestination(dest, src))
        return false;
    if (neutral)
        return CopyUnchanged(dest, src);
    RangeTables ranges[kRanges - 1];
    for (int k = 1; k < kRanges; ++k)
        BuildRangeTables(hue[0] + hue[k], lightness[0] + lightness[k],
                         saturation[0] + saturation[k], &ranges[k - 1]);
    uint8_t rangeOfHue[256];
    for (int h = 0; h < 256; ++h)
        rangeOfHue[h] = h < 43 ? 0 : h < 85 ? 1 : h < 128 ? 2 : h < 171 ? 3 : h < 213 ? 4 : 5;
    return MapImage(dest, src, MemoizeColors(MapHueSaturation{ranges, rangeOfHue}),
                    {true, true, userValue, true});
}
