// Colour balance: each of red, green and blue is shifted along its axis
// (cyan-red, magenta-green, yellow-blue) separately in the shadows, midtones
// and highlights, optionally keeping each pixel's lightness.
#include "imaging/operations/color_adjustments.h"
#include "imaging/operations/hls_color.h"
#include "imaging/operations/hls_wide.h"

namespace {

int ClampChannel(int v) {
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

struct BalanceTables {
    const uint8_t* red;
    const uint8_t* green;
    const uint8_t* blue;
};

// The hue and saturation of the shifted colour with the lightness of the
// original one.
struct MapBalanceKeepLightness {
    BalanceTables t;
    const CHlsTables* hls;
    const CHlsToBgr* back;
    void operator()(uint8_t* out, const uint8_t* in) const {
        const HlsColor c = hls->ToHls(t.red[in[2]], t.green[in[1]], t.blue[in[0]]);
        const int r = in[2], g = in[1], b = in[0];
        const int maxc = r > g ? (r > b ? r : b) : (g > b ? g : b);
        const int minc = r < g ? (r < b ? r : b) : (g < b ? g : b);
        back->ToBgr(c.hue, (maxc + minc) >> 1, c.saturation, out);
    }
};

} // namespace

CColorBalanceOp::CColorBalanceOp() {
    for (int i = 0; i < 256; ++i) {
        highlightsAdd_[i] = 1.075 - 1 / (i * 0.0625 + 1);
        shadowsSubtract_[255 - i] = highlightsAdd_[i];
        const double t = (i - 127) * 0.007874015748031496;
        bell_[i] = 0.667 * (1 - t * t);
    }
}

void CColorBalanceOp::BuildTable(int axis, uint8_t table[256]) const {
    const double* v = values[axis];
    const double* shadows = v[kShadows] > 0 ? bell_ : shadowsSubtract_;
    const double* midtones = bell_;
    const double* highlights = v[kHighlights] > 0 ? highlightsAdd_ : bell_;
    for (int i = 0; i < 256; ++i) {
        int c = ClampChannel(i + static_cast<int>(shadows[i] * v[kShadows]));
        c = ClampChannel(c + static_cast<int>(midtones[c] * v[kMidtones]));
        c = ClampChannel(c + static_cast<int>(highlights[c] * v[kHighlights]));
        table[i] = static_cast<uint8_t>(c);
    }
}

bool CColorBalanceOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src) || !IsMappableDepth(src->bitsPerPixel))
        return false;
    bool neutral = true;
    for (const auto& axis : values) {
        for (double v : axis) {
            if (!(v >= -100.0 && v <= 100.0)) // also refuses NaN
                return false;
            if (static_cast<int>(v) != 0)
                neutral = false;
        }
    }
    if (!PrepareDestination(dest, src) || IsCancelled())
        return false;
    if (neutral)
        return CopyUnchanged(dest, src);
    uint8_t red[256], green[256], blue[256];
    BuildTable(kCyanRed, red);
    BuildTable(kMagentaGreen, green);
    BuildTable(kYellowBlue, blue);
    const BalanceTables tables{red, green, blue};
    const MapOptions options{true, true, userValue, true};
    if (preserveLuminosity) {
        const MapBalanceKeepLightness mapColor{tables, &CHlsTables::Get(), &CHlsToBgr::Get()};
        BalanceWideTables wide;
        for (int i = 0; i < 256; ++i) {
            wide.red[i] = red[i];
            wide.green[i] = green[i];
            wide.blue[i] = blue[i];
        }
        auto mapRow = [&wide](uint8_t* d, const uint8_t* s, size_t width, int bytes) {
            return BalanceKeepLightnessRowWide(d, s, width, bytes, wide);
        };
        return MapImageRows(dest, src, mapRow, mapColor, options);
    }
    return MapThroughTables(dest, src, blue, green, red, options);
}
