#include "imaging/operations/indexed_color_op.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstddef>
#include <exception>
#include <vector>

#include "imaging/image_object.h"
#include "imaging/operations/geometry_rows.h"

// Colour space of the quantiser: 32 blue x 64 green x 32 red cells (the top
// 5, 6 and 5 bits of each channel). A cell (b, g, r) stands for the colour at
// its centre, (8b + 4, 4g + 2, 8r + 4) in blue, green, red. Distances weigh
// blue 1, green 3, red 2 per colour unit; box extents and volumes weigh one
// cell step as blue 8, green 12, red 16.
namespace {

constexpr int kBlueCells = 32;
constexpr int kGreenCells = 64;
constexpr int kRedCells = 32;
constexpr size_t kCellCount = size_t{kBlueCells} * kGreenCells * kRedCells;

// Cell counters, saturating at 65535.
struct ColorCells {
    std::vector<uint16_t> cells;

    uint16_t& At(int b, int g, int r) {
        return cells[(static_cast<size_t>(b) * kGreenCells + g) * kRedCells + r];
    }
};

// The inverse colour map, filled on demand: per cell the chosen palette
// entry's index (top byte) and its blue, green and red (low bytes), so that
// one read gives the error diffusion both. kUnknown marks cells not filled
// yet: no palette colour has a blue of 255, since each is a rounded mean of
// cell centres, whose blues are 4..252.
constexpr uint32_t kUnknown = 0xFFFFFFFFu;

struct InverseMap {
    std::vector<uint32_t> cells;

    uint32_t& At(int b, int g, int r) {
        return cells[(static_cast<size_t>(b) * kGreenCells + g) * kRedCells + r];
    }
};

struct ColorBox {
    int32_t bmin, bmax; // 0..31
    int32_t gmin, gmax; // 0..63
    int32_t rmin, rmax; // 0..31
    int32_t volume;     // weighted squared extent
    int32_t count;      // non-empty cells inside
};

bool IsEmpty(ColorCells& hist, int b0, int b1, int g0, int g1, int r0, int r1) {
    for (int b = b0; b <= b1; ++b)
        for (int g = g0; g <= g1; ++g)
            for (int r = r0; r <= r1; ++r)
                if (hist.At(b, g, r))
                    return false;
    return true;
}

// Shrinks the box to the non-empty cells it holds, axis by axis (blue, green,
// red; minimum then maximum), and recomputes its volume and count.
void UpdateBox(ColorCells& hist, ColorBox& box) {
    while (box.bmin < box.bmax &&
           IsEmpty(hist, box.bmin, box.bmin, box.gmin, box.gmax, box.rmin, box.rmax))
        ++box.bmin;
    while (box.bmax > box.bmin &&
           IsEmpty(hist, box.bmax, box.bmax, box.gmin, box.gmax, box.rmin, box.rmax))
        --box.bmax;
    while (box.gmin < box.gmax &&
           IsEmpty(hist, box.bmin, box.bmax, box.gmin, box.gmin, box.rmin, box.rmax))
        ++box.gmin;
    while (box.gmax > box.gmin &&
           IsEmpty(hist, box.bmin, box.bmax, box.gmax, box.gmax, box.rmin, box.rmax))
        --box.gmax;
    while (box.rmin < box.rmax &&
           IsEmpty(hist, box.bmin, box.bmax, box.gmin, box.gmax, box.rmin, box.rmin))
        ++box.rmin;
    while (box.rmax > box.rmin &&
           IsEmpty(hist, box.bmin, box.bmax, box.gmin, box.gmax, box.rmax, box.rmax))
        --box.rmax;

    const int32_t db = (box.bmax - box.bmin) * 8;
    const int32_t dg = (box.gmax - box.gmin) * 12;
    const int32_t dr = (box.rmax - box.rmin) * 16;
    box.volume = dr * dr + dg * dg + db * db;
    int32_t count = 0;
    for (int b = box.bmin; b <= box.bmax; ++b)
        for (int g = box.gmin; g <= box.gmax; ++g)
            for (int r = box.rmin; r <= box.rmax; ++r)
                if (hist.At(b, g, r))
                    ++count;
    box.count = count;
}

// Median cut: while there are fewer boxes than colours, split one. In the
// first half of the splits the most populated box goes (most non-empty
// cells), then the largest; a box of zero volume is one cell and cannot be
// split, so the list may end shorter than asked.
std::vector<ColorBox> MedianCut(ColorCells& hist, int maxColors) {
    std::vector<ColorBox> boxes;
    boxes.reserve(static_cast<size_t>(maxColors));
    boxes.push_back(ColorBox{0, kBlueCells - 1, 0, kGreenCells - 1, 0, kRedCells - 1, 0, 0});
    UpdateBox(hist, boxes[0]);
    while (static_cast<int>(boxes.size()) < maxColors) {
        const bool byCount = 2 * static_cast<int>(boxes.size()) <= maxColors;
        int picked = -1;
        int32_t best = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].volume <= 0)
                continue;
            const int32_t key = byCount ? boxes[i].count : boxes[i].volume;
            if (key > best) {
                best = key;
                picked = static_cast<int>(i);
            }
        }
        if (picked < 0)
            break;

        ColorBox& box = boxes[static_cast<size_t>(picked)];
        ColorBox upper = box;
        const int32_t eb = (box.bmax - box.bmin) * 8;
        const int32_t eg = (box.gmax - box.gmin) * 12;
        const int32_t er = (box.rmax - box.rmin) * 16;
        if (eb > eg && eb > er) {
            const int32_t m = (box.bmin + box.bmax) / 2;
            box.bmax = m;
            upper.bmin = m + 1;
        } else if (er > eg) {
            const int32_t m = (box.rmin + box.rmax) / 2;
            box.rmax = m;
            upper.rmin = m + 1;
        } else {
            const int32_t m = (box.gmin + box.gmax) / 2;
            box.gmax = m;
            upper.gmin = m + 1;
        }
        UpdateBox(hist, box);
        UpdateBox(hist, upper);
        boxes.push_back(upper);
    }
    return boxes;
}

// The count-weighted mean of the cell centres inside the box, rounded.
PaletteEntry BoxColor(ColorCells& hist, const ColorBox& box) {
    uint64_t total = 0, sb = 0, sg = 0, sr = 0;
    for (int b = box.bmin; b <= box.bmax; ++b)
        for (int g = box.gmin; g <= box.gmax; ++g)
            for (int r = box.rmin; r <= box.rmax; ++r) {
                const uint64_t c = hist.At(b, g, r);
                total += c;
                sb += c * static_cast<uint64_t>(8 * b + 4);
                sg += c * static_cast<uint64_t>(4 * g + 2);
                sr += c * static_cast<uint64_t>(8 * r + 4);
            }
    PaletteEntry e{0, 0, 0, 0};
    if (total) {
        e.blue = static_cast<uint8_t>((sb + total / 2) / total);
        e.green = static_cast<uint8_t>((sg + total / 2) / total);
        e.red = static_cast<uint8_t>((sr + total / 2) / total);
    }
    return e;
}

// Squared weighted distances from colour x to the span [lo, hi] of one axis:
// the nearest point (0 inside) and the farthest corner that can matter.
inline void AxisDistances(int x, int lo, int hi, int weight, int32_t* nearest, int32_t* farthest) {
    int n = 0;
    int f;
    if (x < lo) {
        n = (x - lo) * weight;
        f = (x - hi) * weight;
    } else if (x > hi) {
        n = (x - hi) * weight;
        f = (x - lo) * weight;
    } else {
        f = (x <= (lo + hi) / 2 ? x - hi : x - lo) * weight;
    }
    *nearest += n * n;
    *farthest += f * f;
}

uint32_t PackEntry(const std::vector<PaletteEntry>& palette, int index) {
    const PaletteEntry& p = palette[static_cast<size_t>(index)];
    return static_cast<uint32_t>(index) << 24 | static_cast<uint32_t>(p.red) << 16 |
           static_cast<uint32_t>(p.green) << 8 | p.blue;
}

// Fills the cache for the 4 x 8 x 4 block of cells that holds (b, g, r): only
// palette entries that can be nearest to some point of the block are tried.
void FillCacheBlock(InverseMap& cache, const std::vector<PaletteEntry>& palette, int b, int g,
                    int r) {
    const int b0 = b & ~3, g0 = g & ~7, r0 = r & ~3;
    const int minB = (b >> 2) * 32 + 4, minG = (g >> 3) * 32 + 2, minR = (r >> 2) * 32 + 4;
    const int maxB = minB + 24, maxG = minG + 28, maxR = minR + 24;

    const int n = static_cast<int>(palette.size());
    int32_t nearest[256];
    int32_t limit = INT32_MAX;
    for (int i = 0; i < n; ++i) {
        int32_t near = 0, far = 0;
        AxisDistances(palette[i].blue, minB, maxB, 1, &near, &far);
        AxisDistances(palette[i].green, minG, maxG, 3, &near, &far);
        AxisDistances(palette[i].red, minR, maxR, 2, &near, &far);
        nearest[i] = near;
        limit = std::min(limit, far);
    }

    int32_t bestDist[4][8][4];
    uint16_t bestIndex[4][8][4] = {};
    std::fill(&bestDist[0][0][0], &bestDist[0][0][0] + 128, INT32_MAX);
    for (int i = 0; i < n; ++i) {
        if (nearest[i] > limit)
            continue;
        const PaletteEntry& p = palette[i];
        for (int ib = 0; ib < 4; ++ib) {
            const int db = minB + 8 * ib - p.blue;
            for (int ig = 0; ig < 8; ++ig) {
                const int dg = (minG + 4 * ig - p.green) * 3;
                for (int ir = 0; ir < 4; ++ir) {
                    const int dr = (minR + 8 * ir - p.red) * 2;
                    const int32_t d = db * db + dg * dg + dr * dr;
                    if (d < bestDist[ib][ig][ir]) {
                        bestDist[ib][ig][ir] = d;
                        bestIndex[ib][ig][ir] = static_cast<uint16_t>(i);
                    }
                }
            }
        }
    }
    for (int ib = 0; ib < 4; ++ib)
        for (int ig = 0; ig < 8; ++ig)
            for (int ir = 0; ir < 4; ++ir)
                cache.At(b0 + ib, g0 + ig, r0 + ir) = PackEntry(palette, bestIndex[ib][ig][ir]);
}

// Limits a diffused error (in colour units): full below 16, half the excess
// up to 48, a constant 32 beyond, so large errors cannot streak.
struct ErrorLimit {
    int value[511];
    ErrorLimit() {
        for (int x = -255; x <= 255; ++x) {
            const int a = x < 0 ? -x : x;
            const int l = a < 16 ? a : a < 48 ? 16 + (a - 16) / 2 : 32;
            value[x + 255] = x < 0 ? -l : l;
        }
    }
    int operator()(int x) const { return value[std::min(255, std::max(-255, x)) + 255]; }
};

const ErrorLimit kErrorLimit;

inline int Clamp255(int v) {
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

// The diffusion state of one channel along a row: cur is 7 x the last error
// (for the next pixel), a and b what the next two error-row entries already
// hold of the errors before it.
struct Diffusion {
    int cur = 0, a = 0, b = 0;

    // The pixel's value with the diffused error added; `read` is the error
    // row's entry from the row above.
    int Value(int read, int pixel) const {
        // The shift of a negative sum is arithmetic (floor) on every
        // supported compiler, as the diffusion expects.
        return Clamp255(kErrorLimit((cur + read + 8) >> 4) + pixel);
    }

    // Spreads the error e: 3/16 to the entry behind below, 5/16 below and
    // 1/16 ahead below (written on the next steps), 7/16 to the next pixel.
    void Spread(int e, int16_t* entryBehind) {
        *entryBehind = static_cast<int16_t>(a + 3 * e);
        a = b + 5 * e;
        b = e;
        cur = 7 * e;
    }
};

// Maps every pixel to a palette index. Rows alternate direction (even rows
// left to right); the error row carries 16 x the diffused error of the row
// above in (width + 2) x 3 entries, entry x + 1 for column x and a margin at
// each end. Of a pixel's error e, 7/16 goes to the next pixel in the row and
// 3/16, 5/16, 1/16 to the pixels below behind, below and below ahead.
template <int Bytes, bool Diffuse>
bool MapPixels(CImageObject* dest, const CImageObject* src, InverseMap& cache,
               const std::vector<PaletteEntry>& palette) {
    const int32_t width = src->width;
    std::vector<int16_t> errors;
    try {
        errors.assign((static_cast<size_t>(width) + 2) * 3, 0);
    } catch (const std::exception&) {
        return false;
    }
    for (int32_t y = 0; y < src->height; ++y) {
        const uint8_t* in = geometry::RowAt(src, y);
        uint8_t* out = geometry::RowAt(dest, y);
        const bool forward = (y & 1) == 0;
        const ptrdiff_t dir = forward ? 1 : -1;
        // The error-row entries of the current column and of the one ahead.
        int16_t* entry = errors.data() + (forward ? 0 : 3 * (static_cast<ptrdiff_t>(width) + 1));
        const ptrdiff_t step = 3 * dir;
        Diffusion blue, green, red;
        for (int32_t n = 0; n < width; ++n) {
            const int32_t x = forward ? n : width - 1 - n;
            const uint8_t* px = in + static_cast<size_t>(x) * Bytes;
            int vb = px[0], vg = px[1], vr = px[2];
            if (Diffuse) {
                const int16_t* ahead = entry + step;
                vb = blue.Value(ahead[0], vb);
                vg = green.Value(ahead[1], vg);
                vr = red.Value(ahead[2], vr);
            }
            uint32_t* cell = &cache.At(vb >> 3, vg >> 2, vr >> 3);
            if (*cell == kUnknown)
                FillCacheBlock(cache, palette, vb >> 3, vg >> 2, vr >> 3);
            const uint32_t chosen = *cell;
            out[x] = static_cast<uint8_t>(chosen >> 24);
            if (Diffuse) {
                blue.Spread(vb - static_cast<int>(chosen & 0xFF), entry);
                green.Spread(vg - static_cast<int>((chosen >> 8) & 0xFF), entry + 1);
                red.Spread(vr - static_cast<int>((chosen >> 16) & 0xFF), entry + 2);
            }
            entry += step;
        }
        if (Diffuse) {
            entry[0] = static_cast<int16_t>(blue.a);
            entry[1] = static_cast<int16_t>(green.a);
            entry[2] = static_cast<int16_t>(red.a);
        }
    }
    return true;
}

template <int Bytes> void CountColors(ColorCells& hist, const CImageObject* src) {
    for (int32_t y = 0; y < src->height; ++y) {
        const uint8_t* p = geometry::RowAt(src, y);
        for (int32_t x = 0; x < src->width; ++x, p += Bytes) {
            uint16_t& c = hist.At(p[0] >> 3, p[1] >> 2, p[2] >> 3);
            if (c != 0xFFFF)
                ++c;
        }
    }
}

} // namespace

bool CIndexedColorOp::Apply(CImageObject* dest, CImageObject* src) {
    if (!CheckPair(dest, src))
        return false;
    const int32_t depth = src->bitsPerPixel;
    if (depth != 24 && depth != 32)
        return false;
    if (colorCount < 2 || colorCount > 256)
        return false;

    ColorCells hist;
    try {
        hist.cells.assign(kCellCount, 0);
    } catch (const std::exception&) {
        return false;
    }
    if (depth == 24)
        CountColors<3>(hist, src);
    else
        CountColors<4>(hist, src);

    const std::vector<ColorBox> boxes = MedianCut(hist, colorCount);
    std::vector<PaletteEntry> palette;
    palette.reserve(boxes.size());
    for (const ColorBox& box : boxes)
        palette.push_back(BoxColor(hist, box));

    // An 8-bpp image needs at least two entries to be re-created like itself.
    std::vector<PaletteEntry> stored = palette;
    if (stored.size() < 2)
        stored.push_back(stored[0]);
    if (!CreateDestination(dest, src->width, src->height, 8, static_cast<int>(stored.size()),
                           stored.data()))
        return false;

    InverseMap cache;
    try {
        hist.cells = std::vector<uint16_t>();
        cache.cells.assign(kCellCount, kUnknown);
    } catch (const std::exception&) {
        return false;
    }
    bool ok;
    if (dither == 1)
        ok = depth == 24 ? MapPixels<3, true>(dest, src, cache, palette)
                         : MapPixels<4, true>(dest, src, cache, palette);
    else
        ok = depth == 24 ? MapPixels<3, false>(dest, src, cache, palette)
                         : MapPixels<4, false>(dest, src, cache, palette);
    if (!ok)
        return false;
    FinishDestination(dest);
    return true;
}
