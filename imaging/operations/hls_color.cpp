#include "imaging/operations/hls_color.h"

#include <algorithm>

HlsColor RgbToHls(int red, int green, int blue) {
    const int maxc = std::max(red, std::max(green, blue));
    const int minc = std::min(red, std::min(green, blue));
    const int sum = maxc + minc;
    HlsColor out;
    out.lightness = (sum * 255 + 255) / 510;
    if (maxc == minc) {
        out.saturation = 0;
        out.hue = 170;
        return out;
    }
    const int d = maxc - minc;
    if (out.lightness < 128)
        out.saturation = (d * 255 + sum / 2) / sum;
    else
        out.saturation = (d * 255 + (510 - sum) / 2) / (510 - sum);
    const int rd = ((maxc - red) * 42 + d / 2) / d;
    const int gd = ((maxc - green) * 42 + d / 2) / d;
    const int bd = ((maxc - blue) * 42 + d / 2) / d;
    int hue;
    if (red == maxc)
        hue = bd - gd;
    else if (green == maxc)
        hue = 85 + rd - bd;
    else
        hue = 170 + gd - rd;
    if (hue < 0)
        hue += 255;
    else if (hue > 255)
        hue -= 255;
    out.hue = hue;
    return out;
}

using hls_detail::HueValue;
using hls_detail::Means;
using hls_detail::ToChannel;

RgbColor HlsToRgb(int hue, int lightness, int saturation) {
    if (saturation == 0)
        return RgbColor{lightness, lightness, lightness};
    double m1, m2;
    Means(lightness, saturation, &m1, &m2);
    RgbColor out;
    out.red = ToChannel(HueValue(m1, m2, hue + 85.0));
    out.green = ToChannel(HueValue(m1, m2, hue));
    out.blue = ToChannel(HueValue(m1, m2, hue - 85.0));
    return out;
}

int RgbLightness(int red, int green, int blue) {
    const int maxc = std::max(red, std::max(green, blue));
    const int minc = std::min(red, std::min(green, blue));
    return static_cast<int>((maxc + minc) * 0.5);
}

const CHlsTables& CHlsTables::Get() {
    static const CHlsTables tables;
    return tables;
}

CHlsTables::CHlsTables() {
    for (int sum = 0; sum <= 510; ++sum)
        lightnessOfSum_[sum] = static_cast<uint8_t>((sum * 255 + 255) / 510);
    // The formulas of RgbToHls, for every sum and difference a colour can
    // have (d <= min(sum, 510 - sum)); the other entries are never read.
    for (int sum = 0; sum <= 510; ++sum) {
        saturation_[sum][0] = 0;
        const int lightness = lightnessOfSum_[sum];
        for (int d = 1; d < 256; ++d) {
            int s = 0;
            if (d <= sum && d <= 510 - sum)
                s = lightness < 128 ? (d * 255 + sum / 2) / sum
                                    : (d * 255 + (510 - sum) / 2) / (510 - sum);
            saturation_[sum][d] = static_cast<uint8_t>(s);
        }
    }
    for (int a = 0; a < 256; ++a)
        hueStep_[0][a] = 0;
    for (int d = 1; d < 256; ++d)
        for (int a = 0; a < 256; ++a)
            hueStep_[d][a] = static_cast<uint8_t>(a <= d ? (a * 42 + d / 2) / d : 0);
}

const CHlsToBgr& CHlsToBgr::Get() {
    static const CHlsToBgr conversion;
    return conversion;
}

CHlsToBgr::CHlsToBgr() {
    // The branch HueValue takes for each channel's hue position x: below 42.5
    // the rising ramp at x; up to 127.5 the plateau; below 170 the ramp at
    // 170 - x (the same arithmetic); then the floor.
    auto slot = [](int x) {
        return static_cast<uint8_t>(x <= 42 ? x : x <= 127 ? kPlateau : x < 170 ? 170 - x : kFloor);
    };
    for (int h = 0; h < 256; ++h) {
        redSlot_[h] = slot(h + 85 > 255 ? h + 85 - 255 : h + 85);
        greenSlot_[h] = slot(h);
        blueSlot_[h] = slot(h - 85 < 0 ? h - 85 + 255 : h - 85);
    }
}
