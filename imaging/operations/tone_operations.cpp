#include "imaging/operations/tone_operations.h"

#include <algorithm>

namespace {

struct SharedTable {
    const uint8_t* table;
    void operator()(uint8_t* out, const uint8_t* in) const {
        out[0] = table[in[0]];
        out[1] = table[in[1]];
        out[2] = table[in[2]];
    }
};

int Luma(int red, int green, int blue) {
    return (9798 * red + 19235 * green + 3735 * blue) >> 15;
}

template <int Bytes> void CountLuma(const CImageObject* src, uint64_t bins[256]) {
    const size_t stride = static_cast<size_t>(src->stride);
    for (int y = 0; y < src->height; ++y) {
        const uint8_t* s = src->bits + stride * static_cast<size_t>(y);
        for (int x = 0; x < src->width; ++x, s += Bytes)
            ++bins[Luma(s[2], s[1], s[0])];
    }
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
    return MapImage(dest, src, SharedTable{table}, options);
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
    return MapImage(dest, src, SharedTable{table}, kSilent);
}

bool CDesaturateOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src) || !IsMappableDepth(src->bitsPerPixel))
        return false;
    if (!PrepareDestination(dest, src))
        return false;
    auto grey = [](uint8_t* out, const uint8_t* in) {
        const int hi = std::max(in[0], std::max(in[1], in[2]));
        const int lo = std::min(in[0], std::min(in[1], in[2]));
        out[0] = out[1] = out[2] = static_cast<uint8_t>((hi + lo) / 2);
    };
    return MapImage(dest, src, grey, kSilent);
}
