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

namespace {

constexpr double kInv42_5 = 0.023529411764705882;

double HueValue(double m1, double m2, double x) {
    if (x > 255)
        x -= 255;
    else if (x < 0)
        x += 255;
    if (x < 42.5)
        return m1 + (m2 - m1) * x * kInv42_5;
    if (x < 127.5)
        return m2;
    if (x < 170)
        return m1 + (m2 - m1) * (170 - x) * kInv42_5;
    return m1;
}

int ToChannel(double v) {
    const int c = static_cast<int>(v * 255);
    return c < 0 ? 0 : (c > 255 ? 255 : c);
}

} // namespace

RgbColor HlsToRgb(int hue, int lightness, int saturation) {
    if (saturation == 0)
        return RgbColor{lightness, lightness, lightness};
    const double l = lightness;
    const double s = saturation;
    double m2;
    if (lightness < 128)
        m2 = l * (s + 255) * 0.000015378700499807768;
    else
        m2 = (l + s - l * s * (1.0 / 255)) * (1.0 / 255);
    const double m1 = l * 0.00784313725490196 - m2;
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
