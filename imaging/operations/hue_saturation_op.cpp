// Hue/saturation: every colour is moved to HLS, its hue range (reds,
// yellows, greens, cyans, blues, magentas) picks one set of hue, lightness
// and saturation tables (master values added), and it is moved back.
#include "imaging/operations/color_adjustments.h"
#include "imaging/operations/hls_color.h"
#include "imaging/operations/hls_wide.h"

#include <cstring>
#include <memory>
#include <new>

namespace {

int ClampTo(int v, int lo, int hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

struct RangeTables {
    uint8_t hue[256];
    uint8_t lightness[256];
    uint8_t saturation[256];
};

// The range a colour's hue falls in picks its tables; that choice and the
// turned hue are looked up once per hue value rather than worked out per
// pixel.
struct HueEntry {
    uint8_t hue;               // the turned hue
    const uint8_t* lightness;  // its range's lightness table
    const uint8_t* saturation; // its range's saturation table
};

struct MapHueSaturation {
    const CHlsTables* hls;
    const CHlsToBgr* back;
    const HueEntry* byHue; // 256 entries

    void operator()(uint8_t* out, const uint8_t* in) const {
        const HlsColor c = hls->ToHls(in[2], in[1], in[0]);
        const HueEntry& e = byHue[c.hue];
        back->ToBgr(e.hue, e.lightness[c.lightness], e.saturation[c.saturation], out);
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
    HueEntry byHue[256];
    for (int h = 0; h < 256; ++h) {
        const RangeTables& t = ranges[rangeOfHue[h]];
        byHue[h] = HueEntry{t.hue[h], t.lightness, t.saturation};
    }
    const MapHueSaturation mapColor{&CHlsTables::Get(), &CHlsToBgr::Get(), byHue};
    const MapOptions options{true, true, userValue, true};
    if (!HlsWidePathEnabled() || src->bitsPerPixel == 8)
        return MapImage(dest, src, mapColor, options);
    // Widened tables for the vector path; on the heap, as the operation may
    // run on a thread with a small stack.
    std::unique_ptr<HueSaturationWideTables> wide(new (std::nothrow) HueSaturationWideTables);
    if (!wide)
        return MapImage(dest, src, mapColor, options);
    for (int h = 0; h < 256; ++h) {
        wide->hue[h] = byHue[h].hue;
        wide->range[h] = 256 * rangeOfHue[h];
    }
    wide->sharedRange = wide->lightnessIdentity = wide->saturationIdentity = true;
    for (int k = 0; k < kRanges - 1; ++k) {
        for (int i = 0; i < 256; ++i) {
            wide->lightness[256 * k + i] = ranges[k].lightness[i];
            wide->saturation[256 * k + i] = ranges[k].saturation[i];
            if (ranges[k].lightness[i] != i)
                wide->lightnessIdentity = false;
            if (ranges[k].saturation[i] != i)
                wide->saturationIdentity = false;
        }
        if (std::memcmp(ranges[k].lightness, ranges[0].lightness, 256) != 0 ||
            std::memcmp(ranges[k].saturation, ranges[0].saturation, 256) != 0)
            wide->sharedRange = false;
    }
    const HueSaturationWideTables& tables = *wide;
    auto mapRow = [&tables](uint8_t* d, const uint8_t* s, size_t width, int bytes) {
        return HueSaturationRowWide(d, s, width, bytes, tables);
    };
    return MapImageRows(dest, src, mapRow, mapColor, options);
}
