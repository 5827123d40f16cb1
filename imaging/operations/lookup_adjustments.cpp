// Brightness/contrast and posterize: one lookup table shared by red, green
// and blue.
#include <cmath>

#include "imaging/operations/color_adjustments.h"

namespace {

uint8_t ClampToByte(double v) {
    if (v < 0)
        return 0;
    if (v > 255)
        return 255;
    return static_cast<uint8_t>(v);
}

} // namespace

void CBrightnessContrastOp::BuildTable(int brightness, int contrast, uint8_t table[256]) {
    const double b = brightness * 0.005;
    const double c = contrast * 0.01;
    double exponent;
    if (c < 0)
        exponent = 1 + c;
    else if (c == 1.0)
        exponent = 127; // 1 / (1 - c) has no value at full contrast
    else
        exponent = 1 / (1 - c);
    for (int i = 0; i < 256; ++i) {
        double v = i * (1.0 / 255);
        if (b < 0)
            v = v * (1 + b);
        else
            v = v + b * (1 - v);
        double n = v <= 0.5 ? v : 1 - v;
        if (n < 0)
            n = 0;
        n = 0.5 * std::pow(2 * n, exponent);
        const double result = v <= 0.5 ? n : 1 - n;
        table[i] = ClampToByte(result * 255 + 0.5);
    }
}

bool CBrightnessContrastOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src) || !IsMappableDepth(src->bitsPerPixel))
        return false;
    if (brightness < -100 || brightness > 100 || contrast < -100 || contrast > 100)
        return false;
    if (!PrepareDestination(dest, src) || IsCancelled())
        return false;
    if (brightness == 0 && contrast == 0)
        return CopyUnchanged(dest, src);
    uint8_t table[256];
    BuildTable(brightness, contrast, table);
    return MapThroughTables(dest, src, table, table, table, {true, true, userValue, true});
}

void CPosterizeOp::BuildTable(int levels, uint8_t table[256]) {
    const int steps = (levels <= 1 ? 2 : levels) - 1;
    for (int i = 0; i < 256; ++i) {
        const double q = std::floor(i * (1.0 / 255) * steps + 0.5);
        table[i] = ClampToByte(q / steps * 255 + 0.5);
    }
}

bool CPosterizeOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src) || !IsMappableDepth(src->bitsPerPixel))
        return false;
    if (levels < 2 || levels > 255)
        return false;
    if (!PrepareDestination(dest, src) || IsCancelled())
        return false;
    uint8_t table[256];
    BuildTable(levels, table);
    return MapThroughTables(dest, src, table, table, table, {true, true, userValue, true});
}
