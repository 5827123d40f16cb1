#include "imaging/operations/tone_operations.h"

#include <algorithm>
#include <cstring>

#include "imaging/operations/wide_lookup.h"

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

// Adds each value of `values` to one of kParts histograms in turn, summed
// into `bins` at the end: neighbouring pixels of a photograph mostly share
// their luma, and a single histogram would make each count wait for the
// store of the one before. 32-bit counts keep the parts in the first-level
// cache; they are added up before any could overflow. The increments then
// run at about one per cycle whatever the data, which bounds the whole
// count; counting pairs of neighbours in 65536-entry tables halves them but
// misses the first-level cache, and chains every increment on one entry in
// flat areas.
class LumaCounter {
public:
    static constexpr int kParts = 8;

    void Count(const uint8_t* values, int n, uint64_t bins[256]) {
        if (pending_ > (uint64_t{1} << 31) - static_cast<uint64_t>(n))
            Flush(bins);
        pending_ += static_cast<uint64_t>(n);
        int k = 0;
        for (; k + kParts <= n; k += kParts)
            for (int p = 0; p < kParts; ++p)
                ++part_[p][values[k + p]];
        for (; k < n; ++k)
            ++part_[0][values[k]];
    }

    void Flush(uint64_t bins[256]) {
        for (int p = 0; p < kParts; ++p)
            for (int i = 0; i < 256; ++i)
                bins[i] += part_[p][i];
        std::memset(part_, 0, sizeof part_);
        pending_ = 0;
    }

private:
    uint32_t part_[kParts][256] = {};
    uint64_t pending_ = 0;
};

// The histogram of the luma of every pixel, computed a stretch of a row at
// a time (64 pixels at once where the processor allows).
template <int Bytes> void CountLuma(const CImageObject* src, uint64_t bins[256]) {
    const LumaWeights luma;
    LumaCounter counter;
    constexpr int kStretch = 1024;
    uint8_t values[kStretch];
    const bool wide = CChannelLookup::WidePathEnabled();
    const size_t stride = static_cast<size_t>(src->stride);
    const int width = src->width;
    for (int y = 0; y < src->height; ++y) {
        const uint8_t* s = src->bits + stride * static_cast<size_t>(y);
        for (int x = 0; x < width;) {
            const int n = std::min(kStretch, width - x);
            int k =
                wide ? static_cast<int>(LumaRowWide(values, s, static_cast<size_t>(n), Bytes)) : 0;
            for (; k < n; ++k)
                values[k] = static_cast<uint8_t>(luma(s + k * Bytes));
            counter.Count(values, n, bins);
            x += n;
            s += static_cast<size_t>(n) * Bytes;
        }
    }
    counter.Flush(bins);
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
