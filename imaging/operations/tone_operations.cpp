#include "imaging/operations/tone_operations.h"

#include <algorithm>

namespace {

int Luma(int red, int green, int blue) {
    return (9798 * red + 19235 * green + 3735 * blue) >> 15;
}

// Luma weights of each channel value, so that a pixel's luma costs three
// loads and two additions: (red[R] + green[G] + blue[B]) >> 15 = Luma(R, G, B).
struct LumaWeights {
    int32_t red[256], green[256], blue[256];
    LumaWeights() {
        for (int i = 0; i < 256; ++i) {
            red[i] = 9798 * i;
            green[i] = 19235 * i;
            blue[i] = 3735 * i;
        }
    }
    int operator()(const uint8_t* pixel) const {
        return (red[pixel[2]] + green[pixel[1]] + blue[pixel[0]]) >> 15;
    }
};

// Counts the luma of every pixel into four histograms in turn and adds them
// up at the end: neighbouring pixels of a photograph mostly share their
// luma, and one histogram would make each count wait for the previous one.
template <int Bytes> void CountLuma(const CImageObject* src, uint64_t bins[256]) {
    const LumaWeights luma;
    uint64_t part[4][256] = {};
    const size_t stride = static_cast<size_t>(src->stride);
    const int width = src->width;
    for (int y = 0; y < src->height; ++y) {
        const uint8_t* s = src->bits + stride * static_cast<size_t>(y);
        int x = 0;
        for (; x + 4 <= width; x += 4, s += 4 * Bytes) {
            const int y0 = luma(s);
            const int y1 = luma(s + Bytes);
            const int y2 = luma(s + 2 * Bytes);
            const int y3 = luma(s + 3 * Bytes);
            ++part[0][y0];
            ++part[1][y1];
            ++part[2][y2];
            ++part[3][y3];
        }
        for (; x < width; ++x, s += Bytes)
            ++part[0][luma(s)];
    }
    for (int i = 0; i < 256; ++i)
        bins[i] += part[0][i] + part[1][i] + part[2][i] + part[3][i];
}

const CColorMapOp::MapOptions kSilent{false, false, 0, false};

} // namespace

bool CInvertOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src) || !IsMappableDepth(src->bitsPerPixel))
        return false;
    if (!PrepareDestination(dest, src))
        return false;
    uint8_t table[256];
    for (int i = 0; i < 256; ++i) {
        const double v = (1 - i * (1.0 / 255)) * 255 + 0.5;
        table[i] = static_cast<uint8_t>(std::min(255.0, std::max(0.0, v)));
    }
    const MapOptions options{false, true, reinterpret_cast<uintptr_t>(dest), false};
    return MapThroughTables(dest, src, table, table, table, options);
}

bool CEqualizeOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src) || !IsMappableDepth(src->bitsPerPixel))
        return false;
    if (!PrepareDestination(dest, src))
        return false;
    uint64_t bins[256] = {};
    if (src->bitsPerPixel == 8) {
        if (!src->palette || src->paletteCount < 1)
            return false;
        uint8_t clamp[256];
        BuildIndexClamp(src, clamp);
        uint64_t uses[256] = {};
        const size_t stride = static_cast<size_t>(src->stride);
        for (int y = 0; y < src->height; ++y) {
            const uint8_t* row = src->bits + stride * static_cast<size_t>(y);
            for (int x = 0; x < src->width; ++x)
                ++uses[clamp[row[x]]];
        }
        for (int i = 0; i < src->paletteCount; ++i) {
            const PaletteEntry& e = src->palette[i];
            bins[Luma(e.red, e.green, e.blue)] += uses[i];
        }
    } else if (src->bitsPerPixel == 32) {
        CountLuma<4>(src, bins);
    } else {
        CountLuma<3>(src, bins);
    }
    uint64_t cumulative[256];
    uint64_t sum = 0;
    for (int i = 0; i < 256; ++i)
        cumulative[i] = sum += bins[i];
    if (cumulative[255] == 0)
        return false;
    const double spread =
        static_cast<double>(std::max<uint64_t>(1, cumulative[255] - cumulative[0]));
    uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>((cumulative[i] - cumulative[0]) * 255.0 / spread);
    return MapThroughTables(dest, src, table, table, table, kSilent);
}

bool CDesaturateOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src) || !IsMappableDepth(src->bitsPerPixel))
        return false;
    if (!PrepareDestination(dest, src))
        return false;
    auto grey = [](uint8_t* out, const uint8_t* in) {
        // Plain unsigned values let the compiler pick branch-free minimum and
        // maximum; a photograph's channel order is too irregular to predict.
        const unsigned b = in[0], g = in[1], r = in[2];
        const unsigned hi = std::max(std::max(b, g), r);
        const unsigned lo = std::min(std::min(b, g), r);
        const uint8_t v = static_cast<uint8_t>((hi + lo) / 2);
        out[0] = v;
        out[1] = v;
        out[2] = v;
    };
    return MapImage(dest, src, grey, kSilent);
}
